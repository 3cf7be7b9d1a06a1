// Installation defaults.
#pragma once

#include "driver_context.h"

// Region, unit and paper of the locale into the installation defaults, then zdmLocaleID.
int CfgApplyLocaleRegion(DriverContext* ctx);
