// Functions of the preset list that this branch calls before their owner lands.
#pragma once

#include "driver_context.h"

// "Count" of the printer section of the settings file (0 when missing).
int CfgGetPresetCount(DriverContext* ctx);
