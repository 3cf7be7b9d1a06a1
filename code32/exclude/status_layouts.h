// The record layouts of the statuses that have several, and the versions a handler works with.
#pragma once

#include <cstdint>

#include "api_records.h"
#include "driver_context.h"

// 1 when the layout of that record version may be used at the current interface version.
bool ApiStatusLayoutAllowed(uint32_t id, uint32_t version);
// The record version a set handler works with: the caller's (0 counts as 1), at most the row's.
uint32_t ApiStatusSetVersion(uint32_t id, const StatusRecord* record);
// The version a get handler fills: the requested one, or the row's for 0 or a newer request.
uint32_t ApiStatusGetVersion(uint32_t id, uint32_t requested);
// A get handler's version gate: false with error 6 when the layout needs a newer interface.
bool ApiStatusGetGate(DriverContext* ctx, uint32_t id, uint32_t version);
