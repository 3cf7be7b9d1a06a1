// Small helpers the feature dialogs share: a control of a given dialog (control ids repeat across
// dialogs, so a lookup without the dialog can find a label of another page), its text option, the
// dialog that runs now, and the changed mark that makes the refresh redraw a rebound control.
#pragma once

#include "dialog_table.h"
#include "driver_context.h"
#include "win32/windows.h"

// Control controlId of dialog dialogId; nullptr when either is missing.
ControlDescriptor* FdDialogControl(DriverContext* ctx, uint16_t dialogId, uint16_t controlId);
// Its window; nullptr when it has none.
HWND FdDialogControlWindow(DriverContext* ctx, DialogDescriptor* dialog, uint16_t controlId);
// The text of the option bound to control controlId of dialog dialogId (empty when there is none);
// the length read.
int FdGetDialogText(DriverContext* ctx, uint16_t dialogId, uint16_t controlId, WCHAR* out, int chars);
// Sets that option's text; 1 when the control has a text option.
int FdSetDialogText(DriverContext* ctx, uint16_t dialogId, uint16_t controlId, const WCHAR* text);
// The dialog or page whose messages run now.
DialogDescriptor* FdCurrentDialog(DriverContext* ctx);
// Marks an option changed (state bits 0-1 := 1) so that the controls bound to it are refreshed.
void FdMarkOptionChanged(OptionEntry* row);
