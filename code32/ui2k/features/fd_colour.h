// The colour-matching and user-quality dialogs: what the file dialogs and other families call.
#pragma once

#include "driver_context.h"
#include "win32/windows.h"

// The ICM-mode choice := list entry k (value 200 + k), or the first listed mode when k is not an
// entry of the list.
void FdSelectCmmEntry(DriverContext* ctx, int k);
// Hook of the profile open dialog: a chosen file must pass the profile header check, else the
// dialog stays open with a warning.
UINT_PTR CALLBACK FdCmmProfileOpenHook(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
