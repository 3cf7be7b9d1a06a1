// Functions of neighbouring topics that the settings-file serializer calls, declared here until
// their own headers land (see pending_h19-settings-files.cpp).
#pragma once

#include <cstdint>

#include "driver_context.h"
#include "ini_file.h"

// ---- option value persistence (h18-option-store) ----------------------------------------------
// One row from an INI file: from the in-memory section body when given (cursor kept between
// reads), else through the profile functions. 1 when a value was taken.
int IniReadOption(DriverContext* ctx, OptionEntry* row, const WCHAR* path, const char* body, int32_t* cursor);
// One row to an INI file, or appended as "key=value\r\n" to the section text at *cursor.
int IniWriteOption(HANDLE printer, DriverContext* ctx, OptionEntry* row, const WCHAR* path, IniSectionText* text,
                   int32_t* cursor);
int PrnWriteOption(HANDLE printer, DriverContext* ctx, OptionEntry* row);
// Printer-configuration rows: options 10001-10442 outside fixed list 5.
int CfgIsConfigOptionRow(const OptionEntry* row);

// ---- device-mode versions (h17-dm-record) -----------------------------------------------------
int DmCompareVersions(DWORD stored, DWORD current);
int DmRunConversionSteps(DWORD from, DWORD to, DriverContext* ctx);

// ---- custom paper-size slots (h20-free-size) --------------------------------------------------
int CfgSaveFreeSize(DriverContext* ctx, int slot);
int CfgCaptureFreeSizeSlot(DriverContext* ctx, int slot);
int CfgCaptureSrcFreeSizeSlot(DriverContext* ctx, int slot);
int CfgApplyFreeSizeSlot(DriverContext* ctx, int slot);
int CfgLoadSrcFreeSize(DriverContext* ctx, int slot);
int CfgLoadFreeSize(DriverContext* ctx, int slot);

// ---- public device-mode fields (h22-dm-public) ------------------------------------------------
void DmSetPublicFromOptions(DEVMODEW* devMode, DriverContext* ctx, int kind);
void FmBroadcastRecheck(DriverContext* ctx);
