// The quality (user setting) list.
#pragma once

#include "driver_context.h"

// Loads the installed default of quality entry index into the working settings.
int CfgLoadQualityDefault(void* reserved, DriverContext* ctx, int index);
