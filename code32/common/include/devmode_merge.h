// Merging a caller's device mode into the context.
#pragma once

#include "driver_context.h"

// 1 done (or nothing to do), 0 out of memory.
int DmMergeIncoming(DriverContext* ctx, const DEVMODEW* incoming, DWORD flags);
