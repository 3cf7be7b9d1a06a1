// Reading the device's installed configuration over the port library.
#pragma once

#include "driver_context.h"

// A full query of the device without a progress window; its answers go into the context's
// options. 1 when the query succeeded, else 0.
int BidiUpdateFromDeviceQuiet(DriverContext* ctx);
