// The paper options of a context brought in line with its paper codes: source and output paper
// geometry, the zoom of fitted output, and the custom-size slot of a chosen custom paper.
#include <algorithm>

#include "devmode_public.h"
#include "free_size.h"
#include "option_access.h"
#include "option_units.h"
#include "option_values.h"

namespace {

enum : uint16_t {
  kOptFuncSelectScale = 55,
  kOptScaleType = 87,
  kOptScaleH = 89,
  kOptScaleV = 90,
  kOptSrcPaperLengthDot = 40,
  kOptSrcPaperWidthDot = 41,
  kOptDstPaperLengthDot = 47,
  kOptDstPaperWidthDot = 48,
};

constexpr int32_t kScaleFitToPaper = 2;

int32_t Get(DriverContext* ctx, uint16_t id) { return OptGetValue(ctx, id, nullptr); }

// Loads the custom-size slot of a paper code when it is one of the ten slots.
void LoadSlotOf(DriverContext* ctx, int32_t code) {
  const int slot = OptFreeSizeSlotOfPaper(code);
  if (slot >= 0) CfgLoadFreeSize(ctx, slot);
}

}  // namespace

void OptRefreshPaperSettings(DriverContext* ctx, int kind) {
  if (!ctx || !ctx->settingsImage) return;
  if (kind == 3) return LoadSlotOf(ctx, Get(ctx, kOptPaperSize));
  if (kind == 4) return LoadSlotOf(ctx, Get(ctx, kOptOutPaperSize));
  if (kind != 1) return;

  auto* dm = reinterpret_cast<BYTE*>(ctx->settingsImage);
  DmSetSourcePaperOriented(Get(ctx, kOptPaperSize), kOptPaperSize, ctx, dm);
  const int32_t out = Get(ctx, kOptOutPaperSize);
  const bool regional = out >= kOutPaperRegionalFirst && out <= kOutPaperRegionalLast;
  DmSetOutputPaperOriented(regional ? OptGetRegionalPaperSize(ctx) : out, kOptOutPaperSize, ctx, dm);

  const bool scaling = Get(ctx, kOptFuncSelectScale) == 1;
  const bool fitToPaper = Get(ctx, kOptScaleType) == kScaleFitToPaper;
  if (regional || (scaling && fitToPaper)) {
    const int32_t byWidth = OptMulDiv(Get(ctx, kOptDstPaperWidthDot), 100, Get(ctx, kOptSrcPaperWidthDot));
    const int32_t byLength = OptMulDiv(Get(ctx, kOptDstPaperLengthDot), 100, Get(ctx, kOptSrcPaperLengthDot));
    // Without a source size there is no zoom to compute: the zoom stays as it is.
    if (byWidth < 0 || byLength < 0) return;
    const int32_t zoom = std::min(byWidth, byLength);
    OptSetValue(ctx, kOptScaleH, zoom);
    OptSetValue(ctx, kOptScaleV, zoom);
  } else if (out == kOutPaperSameAsInput && (!scaling || fitToPaper)) {
    OptSetValue(ctx, kOptScaleH, 100);
    OptSetValue(ctx, kOptScaleV, 100);
  }
}
