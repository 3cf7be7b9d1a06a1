// The preset list of the printer's settings section.
#pragma once

#include "driver_context.h"

// Set-up of the feature modules on demand (notify code 12); the modules' answer.
int CfgEnsureModuleSetup(DriverContext* ctx);
