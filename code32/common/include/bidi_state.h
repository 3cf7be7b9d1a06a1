// Device-state flags and the device-state file.
#pragma once

#include "driver_context.h"

// 1 when the caller may change the printer's data.
int BidiCanWritePrinterData(DriverContext* ctx);
