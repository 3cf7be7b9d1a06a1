// Option validation and reset rules.
#pragma once

#include "driver_context.h"

// The selected user print macro (zdmUserPrintMacro as display value - 135 while
// zdmUseUserMacro is 1), else -1.
int OptGetUserMacroIndex(DriverContext* ctx);
