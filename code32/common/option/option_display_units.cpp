// Lengths of a context in the user's display unit, and the displayed range of the custom size.
#include "option_access.h"
#include "option_units.h"
#include "option_values.h"

uint32_t OptDisplayUnit(DriverContext* ctx) { return OptIsMetric(ctx) ? kLengthTenthMm : kLengthHundredthInch; }

int32_t OptToDisplayUnits(DriverContext* ctx, uint16_t id, int32_t value) {
  if (id != 0) value = OptGetUiValue(ctx, id, nullptr);
  return OptSignedDotsToLength(OptDisplayUnit(ctx), value);
}

int32_t OptFromDisplayUnits(DriverContext* ctx, uint16_t id, int32_t length) {
  const int32_t dots = OptSignedLengthToDots(OptDisplayUnit(ctx), length);
  if (id != 0) OptSetUiValue(ctx, id, static_cast<uint32_t>(dots));
  return dots;
}

int OptGetFreeSizeRange(DriverContext* ctx, uint16_t id, int32_t* min, int32_t* max) {
  if (id != kOptFreeSizeWidth && id != kOptFreeSizeLength) return 0;
  const DriverProfile* profile = ctx ? ctx->profile : nullptr;
  if (!profile) return 0;
  const bool width = id == kOptFreeSizeWidth;
  const auto minDots = static_cast<int32_t>(width ? profile->paperMinWidth : profile->paperMinLength);
  const auto maxDots = static_cast<int32_t>(width ? profile->paperMaxWidth : profile->paperMaxLength);
  OptDisplayRangeOfDots(OptDisplayUnit(ctx), minDots, maxDots, min, max);
  return 1;
}
