// Small per-context words kept in the work area, and the derived values of the option model
// that need a context but no option value.
#pragma once

#include <cstdint>

#include "driver_context.h"

// Pending-update word: request bits in the high half, a control or string id in the low half.
// Adding 0 clears the word; adding flags with a non-zero low half replaces the low half.
void CtxAddPendingFlags(DriverContext* ctx, uint32_t flags);
uint32_t CtxGetPendingFlags(const DriverContext* ctx);
// Clears the bits; request bits from 0x10000000 up are cleared in the undo levels' copies too.
void CtxClearPendingFlags(DriverContext* ctx, uint32_t flags);

// Result of the last settings-file load.
enum : int32_t {
  kSettingsFileOk = 0,
  kSettingsFileVersion = 1,     // version or format
  kSettingsFileUnreadable = 2,
  kSettingsFileLockMismatch = 3,
};
void CtxSetSettingsFileStatus(DriverContext* ctx, int32_t status);
int32_t CtxGetSettingsFileStatus(const DriverContext* ctx);

// The option of the signed-adjustment edit that has the focus: 704 zdmAjstPosVer, 705
// zdmAjstPosHor or 711 zdmCutPosAdjst; other controls leave it unchanged.
void CtxSetSignedEditOption(DriverContext* ctx, const ControlDescriptor* control);
void CtxClearSignedEditOption(DriverContext* ctx);
uint16_t CtxGetSignedEditOption(const DriverContext* ctx);

// Files chosen in the last multi-select settings import: 0 none, 1 one file, 2 or more a folder
// followed by file names.
void CtxSetImportFileCount(DriverContext* ctx, uint32_t count);
void CtxClearImportFileCount(DriverContext* ctx);
uint32_t CtxGetImportFileCount(const DriverContext* ctx);

// The code of the system ANSI code page's character set (OptCharsetToCode), 0 when the code
// page has no character set.
uint32_t OptGetCodePageCharset();

// Constant answers of this build.
int OptGetLockedResolution(const DriverContext* ctx);  // no locked resolution value: 0
int OptIsA4FitActive(const DriverContext* ctx);        // no A4-fit paper list: 0
