// Lengths of a context in the user's display unit, and the displayed ranges of the custom size
// and of numeric length controls.
#include "dialog_table.h"
#include "fm_modules_1_4.h"
#include "model_query.h"
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

int OptGetControlRange(DriverContext* ctx, ControlDescriptor* control, int32_t* min, int32_t* max) {
  if (!ctx || !control) return 0;
  LONG moduleMax = 0, moduleMin = 0;
  if (FmGetFreeSizeControlRange(ctx, control, &moduleMax, &moduleMin)) {
    if (max) *max = OptToDisplayUnits(ctx, 0, moduleMax);
    if (min) *min = OptToDisplayUnits(ctx, 0, moduleMin);
    return 1;
  }
  // Otherwise the Numeric item of the control (or of its option) gives the dots.
  const ModelItem* item = control->modelItem;
  if (!item && control->option) item = MdlFindActiveItem(control->option->id, ctx);
  if (!item || ModelItemKind(item->typeWord) != kItemNumeric) return 0;
  const auto* range = MdlImageAt<ModelNumericValue>(ctx->modelImage, item->values);
  if (!range) return 0;
  OptDisplayRangeOfDots(OptDisplayUnit(ctx), range->minimum, range->maximum, min, max);
  return 1;
}
