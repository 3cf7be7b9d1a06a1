// The quality (user setting) list of the settings file.
#pragma once

#include "driver_context.h"

// Loads the quality entry's file into the quality options; saves them into it.
int CfgLoadQuality(DriverContext* ctx, int index);
int CfgSaveQuality(DriverContext* ctx, int index);
