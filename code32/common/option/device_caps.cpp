// The device-capability lists, answered from the model's list items and the value-name tables:
// each choice of a list item has a value id, and the value-name row of the choice carries the
// stored code that the platform's lists need (the device-mode paper code, the dmDefaultSource
// code, the resolution in dpi).
#include "device_caps.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "context_services.h"
#include "devmode_fields.h"
#include "env_language.h"
#include "env_text.h"
#include "feature_modules.h"
#include "model_query.h"
#include "option_access.h"
#include "option_table.h"
#include "option_units.h"
#include "free_size.h"

namespace {

constexpr uint16_t kOptDefaultSource = 13;         // dmDefaultSource
constexpr uint16_t kOptDstResolutionW = 38;        // zdmDstResolutionW
constexpr uint16_t kOptDstResolutionBoth = 152;    // zdmDstResolutionBoth
constexpr uint16_t kOptSourceOptionDuplex = 10014; // zdmSourceOptionTypeDuplex
constexpr uint16_t kOptFreeSizeWidthId = 939;      // wdmFreeSizeWidth
constexpr uint16_t kOptFreeSizeLengthId = 940;     // wdmFreeSizeLength
constexpr WORD kPaperUser = 256;                   // a custom size entered by hand
constexpr uint32_t kDotsPerInch = 1200;
constexpr int16_t kDmColorMonochrome = 1;       // dmColor of a monochrome device mode

// Calls visit for each value of a list item in list order, as long as it returns true; false
// when a visit stopped the walk.
template <class Visit>
bool ForEachValue(const ModelImage* image, const ModelItem* item, Visit visit) {
  const int count = MdlCountList(image, item->values);
  const ModelListValue* v = MdlImageAt<ModelListValue>(image, item->values);
  for (int i = 0; i < count && v; ++i, v = MdlNextItemValue(image, item, v))
    if (!visit(v)) return false;
  return true;
}

// The value-name row of an option's value: none, or a resource symbol (kind 0), answers NULL.
// For an option with value texts the row must name one of its texted values: a name whose
// number lies outside the list carries no stored value.
const ValueNameEntry* OptionValueRow(uint16_t option, uint16_t valueId) {
  const ValueNameEntry* row = OptFindValueSymbol(option, valueId);
  if (!row || row->kind == 0) return nullptr;
  const OptionDescriptor* desc = option >= 1 && option <= kOptionRowCount ? &kOptionRows[option - 1] : nullptr;
  if (!desc || desc->id != option || !desc->valueTexts) return row;
  for (const ValueTextPair* p = desc->valueTexts; p->valueId != 0; ++p)
    if (p->valueId == row->value && p->value == static_cast<int32_t>(row->second)) return row;
  return nullptr;
}

// The value-name row of a value of the item with that key (name index): the first row of the
// context's value-name tables (table 1 before table 2; the template's when the context has
// none) with that key and value.
const ValueNameEntry* KeyValueRow(const DriverContext* ctx, uint16_t key, uint16_t valueId) {
  const ContextTemplate* tmpl = CtxGetTemplate();
  const ValueNameTable* tables[] = {ctx->valueNames1 ? ctx->valueNames1 : tmpl->valueNames1,
                                    ctx->valueNames2 ? ctx->valueNames2 : tmpl->valueNames2};
  for (const ValueNameTable* t : tables) {
    for (int i = 0; t && t->rows && i < t->count; ++i) {
      const ValueNameEntry& r = t->rows[i];
      if (r.nameIndex == key && r.value != kValueNameUnfixed && static_cast<uint16_t>(r.value) == valueId)
        return r.kind != 0 ? &r : nullptr;
    }
  }
  return nullptr;
}

// ---- bins -------------------------------------------------------------------------------------

// Walks the model's paper sources; emit(index, value, row) for each listed one (row NULL when
// names are walked without the value-name check). The count, or -1.
template <class Emit>
int WalkBins(DriverContext* ctx, bool checkRows, Emit emit) {
  if (!ctx) return -1;
  DWORD listAll = 0;
  FmBroadcastNotify(ctx, kFmNotifyListAllBins, &listAll);
  const ModelItem* item = ctx->modelImage ? MdlFindItem(kOptDefaultSource, ctx) : nullptr;
  if (!item || item->nameIndex == 0 || ModelItemKind(item->typeWord) != kItemPickSlot) return -1;
  int listed = 0;
  const bool complete = ForEachValue(ctx->modelImage, item, [&](const ModelListValue* v) {
    const ValueNameEntry* row = nullptr;
    if (checkRows && !(row = OptionValueRow(kOptDefaultSource, v->valueId))) return false;
    if (listAll || !MdlIsDisabled(item, v->valueId, ctx)) emit(listed++, v, row);
    return true;
  });
  return complete && listed > 0 ? listed : -1;
}

// ---- papers -----------------------------------------------------------------------------------

// Walks the paper list of a setting; emit(index, item, value, stored code) for each listed
// value. The paper setting takes the model's paper-size item and skips excluded papers; another
// setting takes its list item and lists every value. The count, or -1.
template <class Emit>
int WalkPapers(DriverContext* ctx, WORD setting, Emit emit) {
  if (!ctx || !ctx->modelImage) return -1;
  const bool paperList = setting == kCapsPaperSetting;
  const ModelItem* item = paperList ? MdlFindItem(setting, ctx) : MdlFindActiveItem(setting, ctx);
  const uint16_t wanted = paperList ? kItemPickPage : kItemPickOne;
  if (!item || item->nameIndex == 0 || ModelItemKind(item->typeWord) != wanted) return -1;
  int listed = 0;
  const bool complete = ForEachValue(ctx->modelImage, item, [&](const ModelListValue* v) {
    const ValueNameEntry* row = KeyValueRow(ctx, item->nameIndex, v->valueId);
    if (!row) return false;
    if (paperList && MdlIsDisabled(item, v->valueId, ctx)) return true;
    emit(listed++, item, v, static_cast<WORD>(row->second));
    return true;
  });
  return complete && listed > 0 ? listed : -1;
}

// The cache record of a custom paper (256, 384-393), filled from the document first where the
// slot is the document's own; NULL for other papers.
const FreeSizeSlot* CustomPaperSlot(DriverContext* ctx, WORD code) {
  if (code != kPaperUser && (code < kPaperFreeSizeFirst || code > kPaperFreeSizeLast)) return nullptr;
  if (!ctx->workArea) return nullptr;
  const int slot = CfgPaperToSlot(code, ctx);
  if (slot < 0 || slot >= kFreeSizeSlotCount) return nullptr;
  CfgCaptureCustomPaper(ctx, code, slot);
  return &ctx->workArea->freeSizeSlots[slot];
}

// 1200-dpi dots to 0.1 mm, rounded up; a negative length counts as 0.
LONG DotsToTenthMm(int32_t dots) {
  return static_cast<LONG>(OptDotsToLength(kLengthTenthMm, static_cast<uint32_t>(std::max(dots, 0)), kDotsPerInch, nullptr));
}

// The size record of a paper value: the value's own record for the paper-size item, else the
// record of the same paper in the paper-size item. NULL when there is none.
const ModelPageValue* PaperRecord(DriverContext* ctx, const ModelItem* item, const ModelListValue* v) {
  const ModelImage* image = ctx->modelImage;
  if (ModelItemKind(item->typeWord) != kItemPickPage) {
    item = MdlFindItem(kCapsPaperSetting, ctx);
    if (!item || ModelItemKind(item->typeWord) != kItemPickPage) return nullptr;
    v = MdlFindItemValue(image, item, v->valueId);
    if (!v) return nullptr;
  }
  const auto offset = static_cast<uint32_t>(reinterpret_cast<const uint8_t*>(v) - MdlImageBytes(image));
  return MdlImageAt<ModelPageValue>(image, offset);
}

// ---- resolutions ------------------------------------------------------------------------------

// Collects resolution entries into the caller's buffer: a pair (x, y) each, or one table value
// each in the values-only form.
class ResolutionOutput {
 public:
  ResolutionOutput(int32_t* out, bool valuesOnly) : out_(out), valuesOnly_(valuesOnly) {}
  void Add(int32_t x, int32_t y, int32_t value) {
    if (out_) {
      if (valuesOnly_) {
        out_[count_] = value;
      } else {
        out_[2 * count_] = x;
        out_[2 * count_ + 1] = y;
      }
    }
    ++count_;
  }
  void Reset() { count_ = 0; }
  int count() const { return count_; }

 private:
  int32_t* out_;
  bool valuesOnly_;
  int count_ = 0;
};

int32_t TableValueOf(int32_t x, int32_t y) {
  return OptFindResolutionValue(static_cast<int16_t>(x), static_cast<int16_t>(y));
}

// The walk of the resolution items; false on a failure.
bool WalkResolutions(DriverContext* ctx, ResolutionOutput& out) {
  if (!ctx->modelImage) return false;
  DWORD listAll = 0;
  FmBroadcastNotify(ctx, kFmNotifyListAllResolutions, &listAll);
  const ModelImage* image = ctx->modelImage;
  const ModelItem* item = MdlFindItem(kOptDstResolutionW, ctx);
  if (!item) return false;
  const uint16_t kind = ModelItemKind(item->typeWord);
  if (kind == kItemPickOne) {
    return ForEachValue(image, item, [&](const ModelListValue* v) {
      const ValueNameEntry* row = OptionValueRow(kOptDstResolutionW, v->valueId);
      if (!row) return false;
      if (listAll || !MdlIsDisabled(item, v->valueId, ctx)) {
        const auto dpi = static_cast<int32_t>(row->second);
        out.Add(dpi, dpi, TableValueOf(dpi, dpi));
      }
      return true;
    });
  }
  if (kind != kItemNumeric) return false;
  const int32_t current = OptGetValue(ctx, kOptDstResolutionW, nullptr);
  if (current == 0) return false;
  const ModelItem* both = MdlFindItem(kOptDstResolutionBoth, ctx);
  if (!both) return false;
  if (ModelItemKind(both->typeWord) == kItemNumeric) {
    out.Add(current, current, TableValueOf(current, current));
    return true;
  }
  if (ModelItemKind(both->typeWord) != kItemPickOne) return false;
  int32_t lastX = -1, lastY = -1;
  return ForEachValue(image, both, [&](const ModelListValue* v) {
    // The stored value of the choice: its value-name row, else the value id itself.
    const ValueNameEntry* row = OptionValueRow(kOptDstResolutionBoth, v->valueId);
    const auto value = static_cast<int16_t>(row ? row->second : v->valueId);
    const ResolutionEntry* entry = OptFindResolutionRow(value);
    if (!entry) return false;
    if (!listAll && MdlIsDisabled(both, v->valueId, ctx)) return true;
    if (entry->xDpi != entry->yDpi || entry->xDpi == lastX || entry->yDpi == lastY) return true;
    lastX = entry->xDpi;
    lastY = entry->yDpi;
    out.Add(entry->xDpi, entry->yDpi, entry->value);
    return true;
  });
}

const DriverProfile* ProfileOfContext(const DriverContext* ctx) {
  return ctx && ctx->profile ? ctx->profile : CtxGetTemplate()->profile;
}

}  // namespace

// ---- bins and papers ----------------------------------------------------------------------------

int DmCapsBins(DriverContext* ctx, WORD* out, DWORD /*reserved*/) {
  return WalkBins(ctx, true, [&](int index, const ModelListValue*, const ValueNameEntry* row) {
    if (out) out[index] = static_cast<WORD>(row->second);
  });
}

int DmCapsBinNames(DriverContext* ctx, WCHAR* out, int step, DWORD /*reserved*/) {
  if (out && step <= 0) return -1;
  return WalkBins(ctx, false, [&](int index, const ModelListValue* v, const ValueNameEntry*) {
    if (!out) return;
    WCHAR* slot = out + static_cast<size_t>(index) * step;
    std::fill_n(slot, step, u'\0');
    EnvLoadString(ctx, v->valueId, slot, step, 1);
  });
}

int DmCapsPapers(DriverContext* ctx, WORD* out, WORD setting) {
  return WalkPapers(ctx, setting, [&](int index, const ModelItem*, const ModelListValue*, WORD code) {
    if (out) out[index] = code;
  });
}

int DmCapsPaperNames(DriverContext* ctx, WCHAR* out, int step, WORD setting) {
  if (out && step <= 0) return -1;
  if (ctx) CfgLoadAllFreeSizes(ctx);
  return WalkPapers(ctx, setting, [&](int index, const ModelItem*, const ModelListValue* v, WORD code) {
    if (!out) return;
    WCHAR* slot = out + static_cast<size_t>(index) * step;
    std::fill_n(slot, step, u'\0');
    const FreeSizeSlot* custom = code != kPaperUser ? CustomPaperSlot(ctx, code) : nullptr;
    if (custom) {
      const char* name = custom->displayName;
      EnvAnsiBytesToWide(std::string_view(name, strnlen(name, sizeof custom->displayName)), slot,
                         static_cast<size_t>(step - 1));
    } else {
      EnvLoadString(ctx, v->valueId, slot, step, 1);
    }
  });
}

int DmCapsPaperSizes(DriverContext* ctx, POINT* out, WORD setting) {
  return WalkPapers(ctx, setting, [&](int index, const ModelItem* item, const ModelListValue* v, WORD code) {
    if (!out) return;
    POINT size = {0, 0};
    if (const FreeSizeSlot* custom = CustomPaperSlot(ctx, code)) {
      size = {DotsToTenthMm(custom->width), DotsToTenthMm(custom->length)};
    } else if (const ModelPageValue* page = PaperRecord(ctx, item, v)) {
      size = {page->paperWidth, page->paperLength};
    }
    out[index] = size;
  });
}

// ---- extents, resolutions and single answers -------------------------------------------------------

DWORD DmCapsExtent(DriverContext* ctx, POINTS* out, int16_t which) {
  if (which != kCapsMinExtent && which != kCapsMaxExtent) return 0;
  const DriverProfile* profile = ProfileOfContext(ctx);
  const bool minimum = which == kCapsMinExtent;
  auto extent = [&](DWORD minDots, DWORD maxDots) {
    const auto dots = static_cast<int32_t>(minimum ? minDots : maxDots);
    int32_t length = DotsToTenthMm(dots);
    // The custom-size range of the option, in 0.1 mm whatever the display unit.
    int32_t low = 0, high = 0;
    OptDisplayRangeOfDots(kLengthTenthMm, static_cast<int32_t>(minDots), static_cast<int32_t>(maxDots), &low, &high);
    return std::clamp(length, low, std::max(low, high));
  };
  static_assert(kOptFreeSizeWidthId == 939 && kOptFreeSizeLengthId == 940);
  const int32_t width = extent(profile->paperMinWidth, profile->paperMaxWidth);     // option 939
  const int32_t length = extent(profile->paperMinLength, profile->paperMaxLength);  // option 940
  if (out) *out = {static_cast<SHORT>(width), static_cast<SHORT>(length)};
  return (static_cast<DWORD>(length) & 0xFFFF) << 16 | (static_cast<DWORD>(width) & 0xFFFF);
}

int DmCapsResolutionList(DriverContext* ctx, int32_t* out, int valuesOnly) {
  ResolutionOutput list(out, valuesOnly != 0);
  if (!ctx || !WalkResolutions(ctx, list) || list.count() == 0) {
    // No list or a failure: the profile's resolution as the only entry.
    const auto dpi = static_cast<int32_t>(ProfileOfContext(ctx)->resolution);
    list.Reset();
    list.Add(dpi, dpi, TableValueOf(dpi, dpi));
  }
  return list.count();
}

int DmCapsResolutions(DriverContext* ctx, int32_t* out) { return DmCapsResolutionList(ctx, out, 0); }

int OptIsDuplexInstalled(DriverContext* ctx) { return OptGetValue(ctx, kOptSourceOptionDuplex, nullptr) != 0 ? 1 : 0; }

int DmIsColorDevice(BYTE lockBits, const BYTE* printerDefault) {
  if (!printerDefault) return 0;
  if (!OptTestByteBit(DmGetMachineTypeBits(printerDefault), 0)) return 0;
  const bool colourLocked = FmIsFeatureEnabled(nullptr, 2, 0) && OptTestByteBit(lockBits, 0);
  return colourLocked && DmGetColor(printerDefault) == kDmColorMonochrome ? 0 : 1;
}

int OptTestByteBit(DWORD value, int bit) {
  if (bit < 0 || bit > 7) return 0;
  return ((value & 0xFF) >> bit) & 1;
}

// ---- the resolution table -------------------------------------------------------------------

const ResolutionEntry* OptFindResolutionRow(int16_t value) {
  if (value == 0) return nullptr;
  for (const ResolutionEntry* r = OptGetResolutionTable(); r->value != 0; ++r)
    if (r->value == static_cast<uint16_t>(value)) return r;
  return nullptr;
}

int OptFindResolutionValue(int16_t x, int16_t y) {
  if (x == 0 || y == 0) return 0;
  for (const ResolutionEntry* r = OptGetResolutionTable(); r->value != 0; ++r)
    if (r->xDpi == static_cast<uint16_t>(x) && r->yDpi == static_cast<uint16_t>(y)) return r->value;
  return 0;
}

int OptFindResolutionByX(WORD x) {
  for (const ResolutionEntry* r = OptGetResolutionTable(); r->value != 0; ++r)
    if (r->xDpi == x) return r->value;
  return 0;
}

int OptFindNextResolutionByX(WORD x, int16_t current) {
  const ResolutionEntry* r = OptFindResolutionRow(current);
  if (!r) return 0;
  for (++r; r->value != 0; ++r)
    if (r->xDpi == x) return r->value;
  return 0;
}
