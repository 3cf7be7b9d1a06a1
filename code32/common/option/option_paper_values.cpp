// Paper codes of a context: the regional standard paper and the effective output paper.
#include "feature_modules.h"
#include "option_access.h"
#include "option_units.h"
#include "option_values.h"

int OptIsLetterRegion(DriverContext* ctx) {
  const bool exportLocale = OptGetValue(ctx, kOptDriverType, nullptr) != 0 && OptGetValue(ctx, kOptLocaleId, nullptr) != 0;
  const bool swapped = OptGetValue(ctx, kOptHiddenFunc16, nullptr) == 1;
  return exportLocale != swapped ? 1 : 0;
}

int16_t OptGetRegionalPaperSize(DriverContext* ctx) {
  const int letter = OptIsLetterRegion(ctx);
  // Nobody need answer: the word starts at 0.
  DWORD answer = 0;
  FmBroadcastNotify(ctx, kFmNotifyRegionalPaper, &answer);
  return OptRegionalPaperFor(letter, answer);
}

int16_t OptGetOutputPaperSize(DriverContext* ctx) {
  const auto out = static_cast<int16_t>(OptGetValue(ctx, kOptOutPaperSize, nullptr));
  if (out == kOutPaperSameAsInput) return static_cast<int16_t>(OptGetValue(ctx, kOptPaperSize, nullptr));
  if (out >= kOutPaperRegionalFirst && out <= kOutPaperRegionalLast) return OptGetRegionalPaperSize(ctx);
  return out;
}
