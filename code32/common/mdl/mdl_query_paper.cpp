// Paper queries of the loaded model: printable areas by resolution and orientation, paper
// extents of the document, output, body-print and binding papers, cut positions, and the paper
// code of a size.
#include <utility>

#include "mdl_query_internal.h"
#include "option_access.h"
#include "option_units.h"
#include "option_validation.h"
#include "option_values.h"

namespace {

enum : uint16_t {
  kOptDmFields = 6,
  kOptDmOrientation = 7,
  kOptDmPaperLength = 9,
  kOptDmPaperWidth = 10,
  kOptFreeShortOver = 85,  // zdmFuncSelectFreeShortOver
  kOptBodyPrint = 700,     // zdmBodyPrint
  kOptBindFinishSize = 710,
};
constexpr uint32_t kDmPaperSizeField = 0x2;  // DM_PAPERSIZE of dmFields
constexpr int32_t kPaperCustom = 256;
constexpr int32_t kPaperCustomOutput = 448;
constexpr int32_t kTolerance = 17;  // 0.1 mm

const ModelItem* PaperItem(DriverContext* ctx) { return MdlFindItem(kOptPaperSize, ctx); }

// The page value with that value ID of the paper item, or NULL.
const ModelPageValue* PaperValue(DriverContext* ctx, uint16_t valueId) {
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  const ModelItem* item = PaperItem(ctx);
  if (!item || ModelItemKind(item->typeWord) != kItemPickPage) return nullptr;
  const ModelValue* v = MdlFindItemValue(image, item, valueId);
  return v ? MdlImageAt<ModelPageValue>(image, MdlOffsetOf(image, v)) : nullptr;
}

bool GeometryHolds(DriverContext* ctx, const PageGeometry& g) {
  if (g.conditionName == 0) return true;
  return static_cast<uint32_t>(OptGetUiValueBySymbol(ctx, g.conditionName, nullptr)) == g.conditionValue;
}

// 1200-dpi dots to 0.1 mm, rounded up to the next display step.
int32_t DotsToMm(int32_t dots) {
  return static_cast<int32_t>(OptDotsToLength(kLengthTenthMm, static_cast<uint32_t>(dots), 1200, nullptr));
}

void SwapIfLandscape(DriverContext* ctx, SIZE* out) {
  if (OptGetValue(ctx, kOptDmOrientation, nullptr) == 2) std::swap(out->cx, out->cy);  // stored DMORIENT_LANDSCAPE
}

// The custom size kept for a paper code: the working custom width and length (939, 940) for
// the slots that are loaded into them, the context's slot record for the output-only code 448.
void CustomSlotSize(DriverContext* ctx, int32_t code, SIZE* out) {
  int slot = OptFreeSizeSlotOfPaper(code);
  if (code == kPaperCustomOutput || slot < 0) {
    const FreeSizeSlot* s = ctx->workArea && slot >= 0 ? &ctx->workArea->freeSizeSlots[slot] : nullptr;
    out->cx = s ? DotsToMm(s->width) : 0;
    out->cy = s ? DotsToMm(s->length) : 0;
    return;
  }
  out->cx = DotsToMm(OptGetValue(ctx, kOptFreeSizeWidth, nullptr));
  out->cy = DotsToMm(OptGetValue(ctx, kOptFreeSizeLength, nullptr));
}

}  // namespace

int MdlIsCustomPaperCode(int32_t code) {
  return code == kPaperCustom || code == kPaperCustomOutput || (code >= kPaperFreeSizeFirst && code <= kPaperFreeSizeLast);
}

int MdlGetPageGeometry(DriverContext* ctx, RECT* printable, SIZE* paper, uint16_t paperValueId) {
  const ModelPageValue* value = PaperValue(ctx, paperValueId);
  if (!value) return 0;
  const ModelImage* image = ctx->modelImage;
  uint32_t resolution = static_cast<uint32_t>(OptGetUiValue(ctx, kOptDstResolutionW, nullptr));
  uint32_t orientation = static_cast<uint32_t>(OptGetUiValue(ctx, kOptDmOrientation, nullptr));
  const PageGeometry* sameRes = nullptr;
  uint32_t limit = MdlWalkLimit(image, sizeof(PageGeometry));
  for (const PageGeometry* g = MdlImageAt<PageGeometry>(image, value->geometry); g && limit--;
       g = MdlImageAt<PageGeometry>(image, g->next)) {
    if (g->resolution != resolution || !GeometryHolds(ctx, *g)) continue;
    if (g->orientation == orientation) {
      if (printable) *printable = RECT{g->left, g->top, g->left + g->width, g->top + g->height};
      if (paper) *paper = SIZE{g->paperWidth, g->paperLength};
      return 1;
    }
    if (!sameRes) sameRes = g;
  }
  if (!sameRes) return 0;
  const PageGeometry& g = *sameRes;
  if (printable) *printable = RECT{g.top, g.left, g.top + g.height, g.left + g.width};
  if (paper) *paper = SIZE{g.paperLength, g.paperWidth};
  return 1;
}

namespace {

// The size of the paper value with a UI value, turned with the orientation.
int PaperValueExtent(DriverContext* ctx, SIZE* out, int32_t uiValue) {
  const ModelPageValue* value = PaperValue(ctx, static_cast<uint16_t>(uiValue));
  if (!value) return 0;
  out->cx = value->paperWidth;
  out->cy = value->paperLength;
  SwapIfLandscape(ctx, out);
  return 1;
}

}  // namespace

int MdlGetPaperExtent(DriverContext* ctx, SIZE* out, uint16_t settingId) {
  const ModelItem* item = PaperItem(ctx);
  if (!item || !out) return 0;
  uint16_t id = settingId ? settingId : item->settingId;
  return PaperValueExtent(ctx, out, OptGetUiValue(ctx, id, nullptr));
}

int MdlGetDocPaperExtent(DriverContext* ctx, SIZE* out) {
  if (!PaperItem(ctx) || !out) return 0;
  int32_t code = OptGetValue(ctx, kOptPaperSize, nullptr);
  if (!MdlIsCustomPaperCode(code)) return MdlGetPaperExtent(ctx, out, 0);
  uint32_t fields = static_cast<uint32_t>(OptGetValue(ctx, kOptDmFields, nullptr));
  if (((fields & kDmPaperSizeField) && code != kPaperCustom) || OptGetValue(ctx, kOptFreeShortOver, nullptr) == 1) {
    CustomSlotSize(ctx, code, out);
  } else {
    out->cx = OptGetValue(ctx, kOptDmPaperWidth, nullptr);
    out->cy = OptGetValue(ctx, kOptDmPaperLength, nullptr);
  }
  SwapIfLandscape(ctx, out);
  return 1;
}

int MdlGetOutputPaperExtent(DriverContext* ctx, SIZE* out) {
  if (!out) return 0;
  int32_t code = OptGetValue(ctx, kOptOutPaperSize, nullptr);
  if (code == kOutPaperSameAsInput) return MdlGetDocPaperExtent(ctx, out);
  if (MdlIsCustomPaperCode(code)) {
    CustomSlotSize(ctx, code, out);
    return 1;
  }
  // The document extent as if dmPaperSize held the code: a query, so dmPaperSize itself is
  // neither written nor marked changed.
  const ModelItem* item = PaperItem(ctx);
  if (!item) return 0;
  if (item->settingId != kOptPaperSize) return MdlGetPaperExtent(ctx, out, 0);
  OptionEntry* row = OptFind(ctx, kOptPaperSize);
  return PaperValueExtent(ctx, out, row ? OptToUiValue(ctx, row, code) : code);
}

namespace {

int SlotExtent(DriverContext* ctx, uint16_t settingId, SIZE* out) {
  int32_t code = OptGetValue(ctx, settingId, nullptr);
  if (!out || !MdlIsCustomPaperCode(code)) return 0;
  if (code == kPaperCustomOutput) {
    *out = SIZE{0, 0};
  } else {
    CustomSlotSize(ctx, code, out);
  }
  return 1;
}

}  // namespace

int MdlGetBodyPrintExtent(DriverContext* ctx, SIZE* out) { return SlotExtent(ctx, kOptBodyPrint, out); }
int MdlGetBindFinishExtent(DriverContext* ctx, SIZE* out) { return SlotExtent(ctx, kOptBindFinishSize, out); }

int32_t MdlGetCutPositionMm(DriverContext* ctx, int which) {
  static constexpr uint16_t kCutSettings[8] = {0, 704, 705, 706, 707, 708, 709, 711};
  uint16_t id = which >= 1 && which <= 7 ? kCutSettings[which] : 0;
  int32_t v = OptGetValue(ctx, id, nullptr);
  int32_t n = OptDotsToTenthMm(v, 1200);
  if (v >= 0) {
    while (OptTenthMmToDots(n, 1200) < v) ++n;
  } else {
    while (OptTenthMmToDots(n, 1200) > v) --n;
  }
  return n;
}

int32_t MdlSettingToMm(DriverContext* ctx, uint16_t settingId) {
  return DotsToMm(OptGetValue(ctx, settingId, nullptr));
}

uint16_t MdlFindPaperBySize(DriverContext* ctx, int32_t width, int32_t length, int tolerant) {
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  const ModelItem* item = PaperItem(ctx);
  if (!item || ModelItemKind(item->typeWord) != kItemPickPage) return 0;
  OptionEntry* row = OptFind(ctx, item->settingId);
  const int32_t w = static_cast<int16_t>(width), l = static_cast<int16_t>(length);
  auto fits = [&](int32_t paperSide, int32_t asked) {
    return tolerant ? asked >= paperSide && asked <= paperSide + kTolerance : asked == paperSide;
  };
  uint32_t limit = MdlWalkLimit(image, sizeof(ModelPageValue));
  for (const ModelValue* v = MdlImageAt<ModelValue>(image, item->values); v && limit--;
       v = MdlImageAt<ModelValue>(image, v->next)) {
    const auto* page = MdlImageAt<ModelPageValue>(image, MdlOffsetOf(image, v));
    if (!page) break;
    bool match = (fits(page->paperWidth, w) && fits(page->paperLength, l)) ||
                 (fits(page->paperLength, w) && fits(page->paperWidth, l));
    if (!match) continue;
    int32_t code = row ? OptFromUiValue(ctx, row, v->valueId) : v->valueId;
    if (code == kPaperCustom || (code >= kPaperFreeSizeFirst && code <= kPaperFreeSizeLast) || code <= 0 || code > 0xFFFF)
      continue;
    // A paper the output-paper rules refuse is not offered.
    if (OptCheckValue(kOptOutPaperSize, code, ctx) != 1) continue;
    return static_cast<uint16_t>(code);
  }
  return 0;
}
