// Translation of the device's codes into option values.
#pragma once

#include "win32/windows.h"

// The paper source value of a device tray code; 0 for a code not in the table.
WORD BidiTrayCodeToBin(DWORD trayCode);
