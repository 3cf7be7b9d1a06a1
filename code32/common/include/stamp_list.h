// The watermark (stamp) list of the settings INI.
#pragma once

#include "driver_context.h"

// "StampCount" of the settings INI.
int CfgGetStampCount(DriverContext* ctx);
// Saves the current watermark settings as stamp n (n other than 256 may grow the count).
int CfgSaveStamp(DriverContext* ctx, int n);
