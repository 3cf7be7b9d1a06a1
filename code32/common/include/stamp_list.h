// The watermark (stamp) list of the settings file.
#pragma once

#include "driver_context.h"

// "StampCount" of the settings file.
int CfgGetStampCount(DriverContext* ctx);
// Loads stamp n into the watermark options; saves the watermark options as stamp n.
int CfgLoadStamp(DriverContext* ctx, int n);
int CfgSaveStamp(DriverContext* ctx, int n);
