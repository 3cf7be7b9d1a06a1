// The computed finishing and tray rules.
#pragma once

#include "driver_context.h"

// The resolution cap, 0 for none.
WORD OptGetResolutionCap(DriverContext* ctx, int useDstResolution);
