// The paper geometry options: the source paper (options 40-45 and the oversize mark 85) and the
// output paper (47-52, 598, 599) in device dots, from the model's printable areas or from a
// custom-size slot, with the public paper fields that go with them; and the feed tray of a
// custom size.
#include <algorithm>
#include <cstdint>
#include <utility>

#include "devmode_public.h"
#include "dm_public_internal.h"
#include "feature_modules.h"
#include "model_image.h"
#include "model_query.h"
#include "option_access.h"
#include "option_units.h"
#include "option_validation.h"
#include "option_values.h"
#include "free_size.h"
#include "settings_files.h"

namespace {

enum : uint16_t {
  kOptDmDefaultSource = 13,
  kOptSrcLengthDot = 40,  // zdmSrcPaperLengthDot; 41-45 width, printable length and width, x and y offset
  kOptDstLengthDot = 47,  // zdmDstPaperLengthDot; 48-52 likewise
  kOptFreeShortOver = 85,  // zdmFuncSelectFreeShortOver
  kOptDstLengthMm = 598,   // zdmDstPaperLengthMM
  kOptDstWidthMm = 599,    // zdmDstPaperWidthMM
};

constexpr uint32_t kDotsPerInch = 1200;
constexpr int32_t kPaperCustomCode = 256;  // a custom size entered by hand

// Paper length, width, printable length and width, left and top offset: the six options from
// `first` on.
struct PaperGeometry {
  int32_t length = 0;
  int32_t width = 0;
  int32_t printableLength = 0;
  int32_t printableWidth = 0;
  int32_t left = 0;
  int32_t top = 0;
};

void StoreGeometry(DriverContext* ctx, uint16_t first, const PaperGeometry& g) {
  const int32_t values[6] = {g.length, g.width, g.printableLength, g.printableWidth, g.left, g.top};
  for (uint16_t i = 0; i < 6; ++i) OptSetValue(ctx, static_cast<uint16_t>(first + i), values[i]);
}

// A printable size from a paper size less its margins (counted `times` each); never below 0, as
// the options are unsigned. Model values are outside input: the arithmetic cannot overflow.
int32_t Printable(int64_t size, int64_t margin, int times = 1) {
  return static_cast<int32_t>(std::clamp<int64_t>(size - times * margin, 0, INT32_MAX));
}

// The value id of a paper code in the value texts of an option (the code itself without texts).
uint16_t PaperValueId(DriverContext* ctx, WORD option, int32_t code) {
  OptionEntry* row = OptFind(ctx, option);
  return static_cast<uint16_t>(row ? OptToUiValue(ctx, row, code) : code);
}

// Width and length (0.1 mm) of a paper value of the model as described, not turned by the
// orientation.
bool ModelPaperSize(DriverContext* ctx, uint16_t valueId, int32_t* width, int32_t* length) {
  const ModelImage* image = ctx->modelImage;
  const ModelItem* item = MdlFindItem(kOptPaperSize, ctx);
  if (!image || !item || ModelItemKind(item->typeWord) != kItemPickPage) return false;
  const ModelValue* value = MdlFindItemValue(image, item, valueId);
  if (!value) return false;
  const auto offset = static_cast<uint32_t>(reinterpret_cast<const uint8_t*>(value) - MdlImageBytes(image));
  const ModelPageValue* page = MdlImageAt<ModelPageValue>(image, offset);
  if (!page) return false;
  *width = page->paperWidth;
  *length = page->paperLength;
  return true;
}

// 1200-dpi dots at another resolution; 0 for a resolution that is not positive.
int32_t AtResolution(int32_t dots, int32_t dpi) {
  return dpi > 0 ? OptRescaleDots(dots, kDotsPerInch, static_cast<uint32_t>(dpi)) : 0;
}

// A custom-size side kept inside the profile's limits. The comparison is made with the lengths as
// the user sees them; only a clamped value changes, to the limit shown converted back to dots.
int32_t ClampShown(DriverContext* ctx, int32_t dots, DWORD minDots, DWORD maxDots) {
  int32_t low = 0, high = 0;
  OptDisplayRangeOfDots(OptDisplayUnit(ctx), static_cast<int32_t>(minDots), static_cast<int32_t>(maxDots), &low, &high);
  const int32_t shown = OptToDisplayUnits(ctx, 0, dots);
  if (shown < low) return OptFromDisplayUnits(ctx, 0, low);
  if (shown > high) return OptFromDisplayUnits(ctx, 0, high);
  return dots;
}

bool IsLandscape(const BYTE* dm) { return DmPubGetShort(dm, kDmPubOrientation) == kDmOrientLandscape; }

// The slot record of a custom paper code after the slots are loaded and the document's own size
// is captured into it; NULL when the code has no slot.
const FreeSizeSlot* CapturedSlot(DriverContext* ctx, int32_t code, bool loadAll) {
  if (!ctx->workArea) return nullptr;
  if (loadAll) CfgLoadAllFreeSizes(ctx);
  const int slot = CfgPaperToSlot(code, ctx);
  if (slot < 0 || slot >= kFreeSizeSlotCount) return nullptr;
  CfgCaptureCustomPaper(ctx, code, slot);
  return &ctx->workArea->freeSizeSlots[slot];
}

void SetPaperFields(BYTE* dm, DWORD set, DWORD clear) {
  DmPubSetDword(dm, kDmPubFields, (DmPubGetDword(dm, kDmPubFields) & ~clear) | set);
}

// The source paper of a custom-size code.
int SetCustomSourcePaper(int32_t code, DriverContext* ctx, BYTE* dm, bool oriented, const RECT& margins) {
  const FreeSizeSlot* slot = CapturedSlot(ctx, code, true);
  if (!slot) return 0;
  CfgApplySrcFreeSizeSlot(ctx, CfgPaperToSlot(code, ctx));
  int32_t width = slot->width, length = slot->length;
  // A size beyond what the public fields can hold is marked before the sides are clamped: the
  // limits would otherwise hide it.
  const bool oversize = width > kFreeSizeOversizeDots || length > kFreeSizeOversizeDots;
  if (const DriverProfile* profile = ctx->profile) {
    width = ClampShown(ctx, width, profile->paperMinWidth, profile->paperMaxWidth);
    length = ClampShown(ctx, length, profile->paperMinLength, profile->paperMaxLength);
  }
  if (oriented && IsLandscape(dm)) std::swap(width, length);
  OptSetValue(ctx, kOptFreeShortOver, oversize ? 1 : 0);

  const int32_t dpi = OptGetDstResolutionW(ctx);
  PaperGeometry g;
  g.length = AtResolution(length, dpi);
  g.width = AtResolution(width, dpi);
  g.printableLength = Printable(g.length, margins.top);
  g.printableWidth = Printable(g.width, margins.left);
  g.left = margins.left;
  g.top = margins.top;
  StoreGeometry(ctx, kOptSrcLengthDot, g);

  if (oversize) {
    DmPubSetShort(dm, kDmPubPaperLength, 0);
    DmPubSetShort(dm, kDmPubPaperWidth, 0);
    SetPaperFields(dm, kDmFieldPaperSize, kDmFieldPaperLength | kDmFieldPaperWidth);
    return 1;
  }
  FmSourcePaperParam param{dm, 0};
  FmBroadcastNotify(ctx, kFmNotifySourcePaperSet, &param);
  if (!param.answer) {
    DmPubSetShort(dm, kDmPubPaperLength, static_cast<int32_t>(OptDotsToLength(kLengthTenthMm, static_cast<uint32_t>(length), kDotsPerInch, nullptr)));
    DmPubSetShort(dm, kDmPubPaperWidth, static_cast<int32_t>(OptDotsToLength(kLengthTenthMm, static_cast<uint32_t>(width), kDotsPerInch, nullptr)));
  }
  SetPaperFields(dm, kDmFieldPaperLength | kDmFieldPaperWidth | kDmFieldPaperSize, 0);
  return 1;
}

// The output paper of a custom-size code: both margins come off each side.
int SetCustomOutputPaper(int32_t code, DriverContext* ctx, const BYTE* dm, bool oriented, const RECT& margins) {
  const FreeSizeSlot* slot = CapturedSlot(ctx, code, true);
  if (!slot) return 0;
  CfgApplyFreeSizeSlot(ctx, CfgPaperToSlot(code, ctx));
  int32_t width = slot->width, length = slot->length;
  if (oriented && IsLandscape(dm)) std::swap(width, length);
  PaperGeometry g;
  g.length = AtResolution(length, OptGetDstResolutionH(ctx));
  g.width = AtResolution(width, OptGetDstResolutionW(ctx));
  g.printableLength = Printable(g.length, margins.top, 2);
  g.printableWidth = Printable(g.width, margins.left, 2);
  g.left = margins.left;
  g.top = margins.top;
  StoreGeometry(ctx, kOptDstLengthDot, g);
  return 1;
}

// The geometry of a paper the model describes.
PaperGeometry ModelGeometry(const RECT& printable, const SIZE& paper) {
  PaperGeometry g;
  g.length = paper.cy;
  g.width = paper.cx;
  g.printableLength = Printable(printable.bottom, printable.top);
  g.printableWidth = Printable(printable.right, printable.left);
  g.left = printable.left;
  g.top = printable.top;
  return g;
}

}  // namespace

// ---- source paper -----------------------------------------------------------------------------

void OptSetSourcePaperFromDmSize(BYTE* dm, DriverContext* ctx) {
  if (!dm || !ctx) return;
  int32_t dpi = DmPubGetShort(dm, kDmPubPrintQuality);
  if (dpi <= 0) dpi = OptGetDstResolutionW(ctx);  // a device-independent quality has no dots
  RECT printable{};
  SIZE paper{};
  if (!MdlGetPageGeometry(ctx, &printable, &paper, PaperValueId(ctx, kOptPaperSize, kPaperCustomCode))) printable = RECT{};
  const auto toDots = [&](DWORD offset) {
    const int16_t length = DmPubGetShort(dm, offset);
    return length > 0 && dpi > 0
               ? static_cast<int32_t>(OptLengthToDots(kLengthTenthMm, static_cast<uint32_t>(length), static_cast<uint32_t>(dpi)))
               : 0;
  };
  PaperGeometry g;
  g.length = toDots(kDmPubPaperLength);
  g.width = toDots(kDmPubPaperWidth);
  g.printableLength = Printable(g.length, printable.top);
  g.printableWidth = Printable(g.width, printable.left);
  g.left = printable.left;
  g.top = printable.top;
  StoreGeometry(ctx, kOptSrcLengthDot, g);
}

int DmSetSourcePaperEx(int32_t code, WORD option, DriverContext* ctx, BYTE* dm, int oriented) {
  if (!ctx || !dm) return 0;
  OptSetValue(ctx, kOptFreeShortOver, 0);
  const uint16_t valueId = PaperValueId(ctx, option, code);
  RECT printable{};
  SIZE paper{};
  const bool known = MdlGetPageGeometry(ctx, &printable, &paper, valueId) != 0;
  if (MdlIsCustomPaperCode(code)) return SetCustomSourcePaper(code, ctx, dm, oriented != 0, known ? printable : RECT{});

  int32_t widthMm = 0, lengthMm = 0;
  if (!known || !DmIsValidPaper(code, ctx) || !ModelPaperSize(ctx, valueId, &widthMm, &lengthMm)) return 0;
  StoreGeometry(ctx, kOptSrcLengthDot, ModelGeometry(printable, paper));
  DmPubSetShort(dm, kDmPubPaperLength, lengthMm);
  DmPubSetShort(dm, kDmPubPaperWidth, widthMm);
  SetPaperFields(dm, kDmFieldPaperSize, kDmFieldPaperLength | kDmFieldPaperWidth);
  return 1;
}

int DmSetSourcePaper(int32_t code, WORD option, DriverContext* ctx, BYTE* dm) {
  return DmSetSourcePaperEx(code, option, ctx, dm, 0);
}

int DmSetSourcePaperOriented(int32_t code, WORD option, DriverContext* ctx, BYTE* dm) {
  return DmSetSourcePaperEx(code, option, ctx, dm, 1);
}

// ---- output paper -----------------------------------------------------------------------------

int DmSetOutputPaperEx(int32_t code, WORD option, DriverContext* ctx, BYTE* dm, int oriented) {
  if (!ctx || !dm) return 0;
  SIZE extent{};
  if (MdlGetOutputPaperExtent(ctx, &extent)) {
    OptSetValue(ctx, kOptDstLengthMm, extent.cy);
    OptSetValue(ctx, kOptDstWidthMm, extent.cx);
  }
  if (code == kOutPaperSameAsInput) {
    code = DmPubGetShort(dm, kDmPubPaperSize);
    if (MdlIsCustomPaperCode(code)) {
      for (uint16_t i = 0; i < 6; ++i)
        OptSetValue(ctx, static_cast<uint16_t>(kOptDstLengthDot + i), OptGetValue(ctx, static_cast<uint16_t>(kOptSrcLengthDot + i), nullptr));
      return 1;
    }
  }
  OptionEntry* row = OptFind(ctx, option);
  const uint16_t valueId =
      row && OptIsMappedValue(ctx, row, code) ? static_cast<uint16_t>(OptToUiValue(ctx, row, code)) : PaperValueId(ctx, kOptPaperSize, code);
  RECT printable{};
  SIZE paper{};
  const bool known = MdlGetPageGeometry(ctx, &printable, &paper, valueId) != 0;
  if (MdlIsCustomPaperCode(code)) return SetCustomOutputPaper(code, ctx, dm, oriented != 0, known ? printable : RECT{});
  if (!known || !DmIsValidPaper(code, ctx)) return 0;
  StoreGeometry(ctx, kOptDstLengthDot, ModelGeometry(printable, paper));
  return 1;
}

int DmSetOutputPaper(int32_t code, WORD option, DriverContext* ctx, BYTE* dm) {
  const int result = DmSetOutputPaperEx(code, option, ctx, dm, 0);
  if (ctx) OptRefreshFinishingExtents(ctx);
  return result;
}

int DmSetOutputPaperOriented(int32_t code, WORD option, DriverContext* ctx, BYTE* dm) {
  const int result = DmSetOutputPaperEx(code, option, ctx, dm, 1);
  if (ctx) OptRefreshFinishingExtents(ctx);
  return result;
}

// ---- the feed tray of a custom size -----------------------------------------------------------

int OptGetCustomSizeTray(DriverContext* ctx, int32_t code, int mode) {
  if (!ctx || !MdlIsCustomPaperCode(code)) return 0;
  const FreeSizeSlot* slot = CapturedSlot(ctx, code, false);
  if (!slot) return 0;
  switch (mode & 0xFF) {
    case 0:
      return slot->tray;
    case 1:
      OptSetValue(ctx, kOptDmDefaultSource, slot->tray);
      return 1;
    default:
      return 0;
  }
}
