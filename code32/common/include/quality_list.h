// The printer's list of user quality entries in the settings file.
#pragma once

#include "driver_context.h"

// The key "QualityList%d" of an entry into out (at least 32 characters); its length.
int CfgQualityKey(WCHAR* out, int index);
// The entry's name ("<key>Name" of the printer section) into wdmUserSetName. 1/0.
int CfgLoadQualityName(DriverContext* ctx, const WCHAR* key);
// Loads the installed default of quality entry index into the working settings.
int CfgLoadQualityDefault(void* reserved, DriverContext* ctx, int index);
// Loads the quality entry's file into the quality options; saves them into it.
int CfgLoadQuality(DriverContext* ctx, int index);
int CfgSaveQuality(DriverContext* ctx, int index);
