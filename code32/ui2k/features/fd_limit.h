// The administrator limitation dialog of printer properties (dialog 4031): what it shows of the
// locked values and how it answers the administrator's clicks.
#pragma once

#include "dialog_table.h"
#include "driver_context.h"

// The locked values of tray, media, layout, print type and colour as their value texts into the
// dialog's read-only fields 3142, 3146, 3150, 3144 and 3154.
void FdShowLockedValues(DialogDescriptor* dialog, DriverContext* ctx);
// Field 3150: with every layout kind locked, each layout kind the model offers (one per line);
// else the locked layout kind.
void FdShowNupLockText(DriverContext* ctx, DialogDescriptor* dialog);
// The name and comment of the selected preset into wdmPresetName and wdmPresetComment (empty
// when no preset 0-15 is selected).
void FdCopyPresetToLock(DriverContext* ctx);
// The dialog's messages: 1 when consumed.
int FdLimitationDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                           WPARAM wParam, LPARAM lParam);
