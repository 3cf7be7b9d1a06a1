// The device-state store: values derived from the device's configuration, kept in printer data
// and, where the caller may not change the printer's data, in the shared device-state file.
#pragma once

#include "driver_context.h"

// 1 when "BidiFlag" can be read and then written back unchanged (the caller may change the
// printer's data), else 0.
int BidiCanWritePrinterData(DriverContext* ctx);
// 1 when the printer's section of the device-state file has a non-zero "BidiFlag".
int BidiStateFileGetFlag(DriverContext* ctx);
// Loads the device-configuration options from the printer's section of the device-state file.
int BidiLoadStateFile(DriverContext* ctx);
// Removes the printer's section from the device-state file; 1.
int BidiDropStateSection(DriverContext* ctx);
