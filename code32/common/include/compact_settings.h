// The compact settings block carried inside the device mode.
#pragma once

#include "driver_context.h"

// Applies the compact block of a device mode to the context; 1 done or nothing to do, 0 out of
// memory or a failed device query.
int DmImportCompactSettings(DriverContext* ctx, DEVMODEW* dm);
