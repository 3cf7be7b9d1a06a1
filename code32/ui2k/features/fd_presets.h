// The preset dialogs' routines that the sheet engine uses too: names of the preset list, the
// duplicate scan, and the text of a list entry.
#pragma once

#include "dialog_table.h"
#include "driver_context.h"
#include "win32/windows.h"

// Private messages of the preset dialogs.
constexpr UINT kPresetDuplicateMessage = 0x8004;  // wParam: the later entry of a clashing pair

// The first entry whose name equals name (case-sensitive); the preferred entry when it is equal
// too; -1 when none.
int FdFindPresetByName(DriverContext* ctx, const WCHAR* name, int preferred);
// The later entry of the first pair of entries with equal names; kPresetDuplicateMessage is
// posted to the dialog with it. -1 (nothing posted) when all names differ.
int FdCheckDuplicatePresetName(DriverContext* ctx, HWND dialog, int start);
// The name (part 1) or comment (part 2) of entry index as the list shows it, into out (1025
// characters); its length.
int FdReadPresetListText(DriverContext* ctx, HWND list, int index, int part, WCHAR* out);

// The maintenance dialog's branch of the module's dialog handler.
int FdPresetMaintenanceProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                            WPARAM wParam, LPARAM lParam);
// Adds each file of a multi-selection ("folder name1 name2 ...") to the preset list.
void FdImportPresetFileList(DriverContext* ctx, const WCHAR* chosen);
// Adds one preset file: its name and comment from the file's printer section, an empty name
// replaced by the file's name without folder and extension. 1 when it was added.
int FdAddPresetFile(DriverContext* ctx, const WCHAR* path);
// Writes the option values the maintenance dialog's refresh kept back into their rows and frees
// them; 1 when there were any.
int FdRestoreSavedConfigValues(DriverContext* ctx);
// Closing the maintenance dialog: when two entries share a name, the later one is selected and
// loaded, its name edit takes the focus and the dialog stays open (1); else 0.
int FdKeepMaintenanceOnDuplicate(DriverContext* ctx, DialogDescriptor* dialog);
