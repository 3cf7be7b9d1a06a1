// The watermark dialogs' procedures and the font combos that the watermark, header/footer and
// copy-prevention dialogs share.
#pragma once

#include "dialog_table.h"
#include "driver_context.h"
#include "win32/windows.h"

// Fills a font combo with the TrueType families of the desktop (no vertical "@" faces), item
// data = index, and selects the face held by faceOption; a face that is not installed falls back
// to the default face, then to the first family, and faceOption takes the face chosen.
void FdFillFontCombo(DriverContext* ctx, ControlDescriptor* combo, WORD faceOption);
// The selected family: its index into the combo's option, its face into faceOption.
void FdTakeFontChoice(DriverContext* ctx, ControlDescriptor* combo, WORD faceOption);
// After a defaults button: the locked face (administrator defaults, header/footer lock) or the
// default face is chosen in combo comboId of the dialog.
void FdResetFontChoice(DriverContext* ctx, DialogDescriptor* dialog, WORD faceOption, WORD comboId);
// A screen rectangle into the window's client coordinates; always 1.
int FdRectScreenToClient(HWND window, RECT* rect);

// The control-level procedures of the edit page and stamp dialogs (the first also takes the
// dialog-level WM_INITDIALOG), of the header/footer and margin dialog and of the copy-prevention
// dialog: 1 when the message was handled.
int FdWatermarkDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
                          WPARAM wParam, LPARAM lParam);
int FdMarginDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
                       WPARAM wParam, LPARAM lParam);
int FdCopyGuardDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
                          WPARAM wParam, LPARAM lParam);
