// Lock data, custom media and user permissions kept beside the settings.
#pragma once

#include "driver_context.h"

// "LockDefaultData" from printer data into the context's lock-default image.
int PrnReadLockDefaultData(HANDLE printer, DriverContext* ctx);
// Options 1203-1218 from the user-information file; options 1264-1279 from the driver's
// defaults file.
int CfgLoadUserInfoFunctions(DriverContext* ctx);
int CfgLoadPrnInfoFunctions(DriverContext* ctx);
// How the model offers resolutions: 0 a list, 1 a range, -1 no usable list.
int CfgGetResolutionListKind(DriverContext* ctx);
// The locked values of every lock bit that is set, from printer data into the options; 1 when
// every locked value was found.
int PrnReadLockedValues(HANDLE printer, DriverContext* ctx);
