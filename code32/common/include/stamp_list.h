// The printer's list of watermark stamps in the settings file.
#pragma once

#include "driver_context.h"

// Reloads the stamp of the current watermark when watermark printing is on. 1/0.
int CfgReloadCurrentStamp(void* ignored, DriverContext* ctx);
// "StampCount" of the settings INI.
int CfgGetStampCount(DriverContext* ctx);
// Loads stamp n into the watermark options; saves the watermark options as stamp n (n other
// than 256 may grow the count).
int CfgLoadStamp(DriverContext* ctx, int n);
int CfgSaveStamp(DriverContext* ctx, int n);
