// The printer's list of watermark stamps in the settings file.
#pragma once

#include "driver_context.h"

// Reloads the stamp of the current watermark when watermark printing is on. 1/0.
int CfgReloadCurrentStamp(void* ignored, DriverContext* ctx);
// "StampCount" of the settings INI.
int CfgGetStampCount(DriverContext* ctx);
// Saves the current watermark settings as stamp n (n other than 256 may grow the count).
int CfgSaveStamp(DriverContext* ctx, int n);
