// Lock data, custom media and user permissions.
#pragma once

#include "driver_context.h"

// How the model offers resolutions: 0 a list, 1 a range, -1 no usable list.
int CfgGetResolutionListKind(DriverContext* ctx);
