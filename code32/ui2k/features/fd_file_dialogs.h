// The common file dialogs of the printer interface: the kind-dependent preparation of the
// OPENFILENAMEW record, the call of the dialog, the default patterns and their match, and the
// help-topic lookup of the pages and controls.
#pragma once

#include "dialog_table.h"
#include "driver_context.h"
#include "win32/windows.h"

// The characters of each buffer of the file-dialog block.
constexpr DWORD kFdBufferChars = 1025;

// The kind's pattern: "*.bmp" for pictures, "*.rpo" for overlays (kinds 0x800, 0x1000 and
// dialog 1037), "*.qcm" or "*.*" for colour profiles (by the file-type combo), else "*.rst".
const WCHAR* FdGetFileFilter(const DialogDescriptor* dialog);
// 1 when the last four characters of a path (".xyz") match the kind's pattern, letters in either
// case; "*.*" matches every extension.
int FdMatchFileFilter(const DialogDescriptor* dialog, const WCHAR* extension);
// Flags, filter, title, initial file text and initial folder of the kind.
void FdPrepareFileDialog(DriverContext* ctx, DialogDescriptor* dialog, OPENFILENAMEW* ofn);
// GetOpenFileNameW, or GetSaveFileNameW for the kinds 0x200 and 0x2000; on success the kind's
// target control or option gets the path. A failure with an extended error clears the rule
// dialog guard.
BOOL FdRunBasicFileDialog(DriverContext* ctx, DialogDescriptor* dialog, OPENFILENAMEW* ofn, WCHAR* path);
// 1 when the file can be opened for reading.
int FdFileExists(const WCHAR* path);

// The key of the kind's remembered folder in the printer section of the settings file, NULL for
// the kinds that remember none.
const WCHAR* FdGetFolderKey(const DialogDescriptor* dialog);
// The remembered folder of the kind into out (kFdBufferChars characters, at most 259 read); its
// length, 0 when the kind has no key or nothing is stored.
int FdReadFileFolder(DriverContext* ctx, const DialogDescriptor* dialog, WCHAR* out);
// Stores the folder of the chosen path under the kind's key (a drive root keeps its backslash).
void FdRememberFileFolder(DriverContext* ctx, const DialogDescriptor* dialog, const WCHAR* path);

// The last accepted file dialog's path (for several files the folder and the blank-separated
// names), and the offset of its file-name part.
WCHAR* FdGetChosenFilePath(DriverContext* ctx);
void FdSetChosenFileNameOffset(WORD offset);
WORD FdGetChosenFileNameOffset();

// 1 when the file at path is a file of the preset list or of the quality list, however its path
// is written; each listed file is marked, the mark of path read and the marks taken back.
int FdIsRegisteredSettingsFile(DriverContext* ctx, const WCHAR* path);
// The topic path of a help id, NULL for 0 and unknown ids.
const WCHAR* FdLookupHelpTopic(DWORD helpId);
