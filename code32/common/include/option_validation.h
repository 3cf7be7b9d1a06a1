// Checks of option values against the model and the reset rules of the options it does not
// describe.
#pragma once

#include <cstdint>

#include "driver_context.h"

// 1 when the model allows the paper code for dmPaperSize.
int DmIsValidPaper(int32_t value, DriverContext* ctx);
// Walks the reset rules over the device mode's options (mode 1 resets, mode 2 validates); the
// last option id visited.
int DmApplyResetRules(BYTE* dm, DriverContext* ctx, DWORD mode);
