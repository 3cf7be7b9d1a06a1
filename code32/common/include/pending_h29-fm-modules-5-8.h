// Functions of the preset list that the chapter module calls.
#pragma once

#include "driver_context.h"

// Options 1017 (wdmChapterMax) and 1018 (wdmChapterTrayMax) from the printer section of the
// settings INI; 1 when read.
int CfgLoadChapterLimits(DriverContext* ctx);
