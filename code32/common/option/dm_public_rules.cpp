// The public device-mode fields: their checks against the model with the profile's fallbacks,
// and the merge of a caller's fields into the working device mode.
#include <cstddef>
#include <cstring>

#include "devmode_defaults.h"
#include "devmode_public.h"
#include "devmode_record.h"
#include "feature_modules.h"
#include "finishing_rules.h"
#include "free_size.h"
#include "model_query.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_units.h"
#include "option_validation.h"
#include "option_values.h"
#include "quality_list.h"
#include "undo_images.h"

namespace {

enum : uint16_t {
  kOptSpecVersion = 2,
  kOptFields = 6,
  kOptOrientation = 7,
  kOptPaperLength = 9,
  kOptPaperWidth = 10,
  kOptScale = 11,
  kOptCopies = 12,
  kOptDefaultSource = 13,
  kOptPrintQuality = 14,
  kOptColor = 15,
  kOptDuplex = 16,
  kOptYResolution = 17,
  kOptTTOption = 18,
  kOptFormName = 20,
  kOptICMMethod = 27,
  kOptICMIntent = 28,
  kOptMediaType = 29,
  kOptDitherType = 30,
  kOptFuncSelectSort = 61,
  kOptFreeShortOver = 85,
  kOptResolutionBoth = 152,
  kOptUseUserMacro = 176,
  kOptUserPrintMacro = 179,
  kOptPaperFreeSizeWidth = 342,
  kOptPaperFreeSizeLength = 343,
  kOptPaperLengthWidthAsSize = 473,  // zdmHidden2Func24
};

constexpr DWORD kFmNotifyCustomSizeMerged = 44;
constexpr int32_t kDefaultPaper = 9;  // A4
constexpr int32_t kDefaultQuality = 600;

bool Between(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

const ModelItem* FieldItem(DriverContext* ctx, uint16_t id) { return MdlFindItemForOption(ctx, id - 1); }

uint16_t FieldKind(DriverContext* ctx, uint16_t id) {
  const ModelItem* item = FieldItem(ctx, id);
  return item ? ModelItemKind(item->typeWord) : 0;
}

// The range of a Numeric item; false for any other item.
bool NumericRange(DriverContext* ctx, uint16_t id, int32_t* min, int32_t* max) {
  const ModelItem* item = FieldItem(ctx, id);
  if (!item || ModelItemKind(item->typeWord) != kItemNumeric) return false;
  const auto* n = MdlImageAt<ModelNumericValue>(ctx->modelImage, item->values);
  if (!n) return false;
  *min = n->minimum;
  *max = n->maximum;
  return true;
}

bool InNumericRange(DriverContext* ctx, uint16_t id, int32_t v) {
  int32_t lo = 0, hi = 0;
  return NumericRange(ctx, id, &lo, &hi) && Between(v, lo, hi);
}

// The model's default of a field as a stored value.
int32_t ModelDefault(DriverContext* ctx, uint16_t id) {
  OptionEntry* row = OptFind(ctx, id);
  const uint32_t valueId = MdlGetItemDefault(id, ctx);
  return row ? OptFromUiValue(ctx, row, valueId) : static_cast<int32_t>(valueId);
}

int32_t DefaultOr(DriverContext* ctx, uint16_t id, int32_t fallback) {
  return FieldItem(ctx, id) ? ModelDefault(ctx, id) : fallback;
}

void SetBit(DEVMODEW* dm, DWORD bit, bool on) {
  if (on) dm->dmFields |= bit;
  else dm->dmFields &= ~bit;
}

bool PrintQualityPasses(DriverContext* ctx, int32_t v) {
  const uint16_t kind = FieldKind(ctx, kOptPrintQuality);
  if (kind == kItemPickOne) return v > 0 || Between(v, -4, -1);
  if (kind == kItemNumeric) return InNumericRange(ctx, kOptPrintQuality, v) || Between(v, -4, -1);
  return false;
}

// The paper's size from the model into dmPaperLength and dmPaperWidth (0.1 mm).
void PaperSizeFromModel(DEVMODEW* dm, DriverContext* ctx) {
  SIZE size{};
  if (!MdlGetPaperExtent(ctx, &size, 0)) return;
  dm->dmPaperWidth = static_cast<SHORT>(size.cx);
  dm->dmPaperLength = static_cast<SHORT>(size.cy);
}

// Fields that lie past the end of a shorter public part are absent.
DWORD FieldsWithin(const DEVMODEW* dm) {
  DWORD f = dm->dmFields;
  const struct {
    size_t end;
    DWORD bit;
  } tail[] = {
      {offsetof(DEVMODEW, dmICMMethod) + 4, kDmFieldICMMethod},
      {offsetof(DEVMODEW, dmICMIntent) + 4, kDmFieldICMIntent},
      {offsetof(DEVMODEW, dmMediaType) + 4, kDmFieldMediaType},
      {offsetof(DEVMODEW, dmDitherType) + 4, kDmFieldDitherType},
  };
  for (const auto& t : tail)
    if (dm->dmSize < t.end) f &= ~t.bit;
  return f;
}

}  // namespace

void DmValidatePublicFields(DriverContext* ctx) {
  DEVMODEW* dm = DmWorking(ctx);
  if (!dm) return;
  const DriverProfile* p = ctx->profile;
  if (!p) return;
  // Header words: kept when the model describes them, else the profile's.
  if (!FieldItem(ctx, kOptSpecVersion)) dm->dmSpecVersion = p->specVersion;
  if (!FieldItem(ctx, 3)) dm->dmDriverVersion = p->driverVersion;
  if (!FieldItem(ctx, 4)) dm->dmSize = static_cast<WORD>(kDmPublicSize);
  if (!FieldItem(ctx, 5)) dm->dmDriverExtra = static_cast<WORD>(kFullDevModeSize - kDmPublicSize);
  if (!FieldItem(ctx, kOptFields)) dm->dmFields = p->defaultFields;

  if (!(FieldKind(ctx, kOptOrientation) == kItemPickOne && Between(dm->dmOrientation, 1, 2)))
    dm->dmOrientation = p->defaultOrientation;
  SetBit(dm, kDmFieldOrientation, true);

  if (!(FieldKind(ctx, kOptPaperSize) == kItemPickPage && (Between(dm->dmPaperSize, 1, 118) || dm->dmPaperSize >= 256)))
    dm->dmPaperSize = p->defaultPaperSize;
  SetBit(dm, kDmFieldPaperSize, true);

  // Length and width: a positive pair marks a size of its own.
  const bool numericLength = FieldKind(ctx, kOptPaperLength) == kItemNumeric;
  if (numericLength && dm->dmPaperLength >= 0) {
    if (dm->dmPaperLength > 0) SetBit(dm, kDmFieldPaperLength, dm->dmPaperWidth > 0);
  } else {
    dm->dmPaperLength = 0;
    SetBit(dm, kDmFieldPaperLength, false);
  }
  const bool numericWidth = FieldKind(ctx, kOptPaperWidth) == kItemNumeric;
  if (numericWidth && dm->dmPaperWidth >= 0) {
    if (dm->dmPaperWidth > 0) SetBit(dm, kDmFieldPaperWidth, dm->dmPaperLength > 0);
  } else {
    dm->dmPaperWidth = 0;
    SetBit(dm, kDmFieldPaperWidth, false);
  }

  const uint16_t scaleKind = FieldKind(ctx, kOptScale);
  if (!((scaleKind == kItemPickOne && dm->dmScale > 0) ||
        (scaleKind == kItemNumeric && InNumericRange(ctx, kOptScale, dm->dmScale))))
    dm->dmScale = p->defaultScale;

  if (!(InNumericRange(ctx, kOptCopies, dm->dmCopies) && dm->dmCopies > 0)) dm->dmCopies = p->defaultCopies;
  SetBit(dm, kDmFieldCopies, true);

  if (!(FieldKind(ctx, kOptDefaultSource) == kItemPickSlot &&
        (Between(dm->dmDefaultSource, 1, 15) || dm->dmDefaultSource >= 256)))
    dm->dmDefaultSource = p->defaultSource;
  SetBit(dm, kDmFieldDefaultSource, true);

  if (!PrintQualityPasses(ctx, dm->dmPrintQuality)) dm->dmPrintQuality = p->defaultPrintQuality;
  SetBit(dm, kDmFieldPrintQuality, true);

  if (FieldKind(ctx, kOptColor) == kItemPickOne && dm->dmColor > 0) SetBit(dm, kDmFieldColor, true);
  else dm->dmColor = p->defaultColor;

  const uint16_t duplexKind = FieldKind(ctx, kOptDuplex);
  if (!((duplexKind == kItemPickOne || duplexKind == kItemBoolean) && dm->dmDuplex > 0)) dm->dmDuplex = p->defaultDuplex;
  SetBit(dm, kDmFieldDuplex, true);

  const uint16_t yKind = FieldKind(ctx, kOptYResolution);
  if (!((yKind == kItemPickOne && dm->dmYResolution > 0) ||
        (yKind == kItemNumeric && InNumericRange(ctx, kOptYResolution, dm->dmYResolution)))) {
    if (FieldItem(ctx, kOptPrintQuality)) {
      if (!PrintQualityPasses(ctx, dm->dmPrintQuality)) dm->dmPrintQuality = p->defaultPrintQuality;
      dm->dmYResolution = dm->dmPrintQuality;
    } else {
      dm->dmYResolution = p->defaultYResolution;
    }
  }
  SetBit(dm, kDmFieldYResolution, true);

  if (!(FieldKind(ctx, kOptTTOption) == kItemPickOne && dm->dmTTOption > 0)) dm->dmTTOption = p->defaultTTOption;
  SetBit(dm, kDmFieldTTOption, true);

  if (OptIsCollateAvailable(ctx)) {
    if (!(dm->dmFields & kDmFieldCollate)) {
      dm->dmCollate = OptGetValue(ctx, kOptFuncSelectSort, nullptr) ? 1 : 0;
      SetBit(dm, kDmFieldCollate, true);
    }
  } else {
    dm->dmCollate = 0;
    SetBit(dm, kDmFieldCollate, false);
  }

  if (FieldItem(ctx, kOptFormName) && dm->dmFormName[0]) {
    SetBit(dm, kDmFieldFormName, true);
  } else {
    if (p->defaultFormName) {
      std::memset(dm->dmFormName, 0, sizeof dm->dmFormName);
      for (int i = 0; i + 1 < CCHFORMNAME && p->defaultFormName[i]; ++i) dm->dmFormName[i] = p->defaultFormName[i];
    }
    SetBit(dm, kDmFieldFormName, false);
  }

  const struct {
    uint16_t id;
    DWORD* field;
    DWORD fallback;
    DWORD bit;
  } icm[] = {
      {kOptICMMethod, &dm->dmICMMethod, p->defaultICMMethod, kDmFieldICMMethod},
      {kOptICMIntent, &dm->dmICMIntent, p->defaultICMIntent, kDmFieldICMIntent},
      {kOptDitherType, &dm->dmDitherType, p->defaultDitherType, kDmFieldDitherType},
  };
  for (const auto& f : icm) {
    if (FieldKind(ctx, f.id) == kItemPickOne && *f.field != 0) SetBit(dm, f.bit, true);
    else *f.field = f.fallback;
  }
  if (!(FieldKind(ctx, kOptMediaType) == kItemPickOne && dm->dmMediaType != 0)) dm->dmMediaType = p->defaultMediaType;
}

void DmMergePublicFields(DEVMODEW* working, const DEVMODEW* incoming, DriverContext* ctx) {
  if (!working || !incoming || !ctx || !ctx->profile) return;
  const DriverProfile* p = ctx->profile;
  DWORD f = FieldsWithin(incoming);

  // Every field whose bit is given, as it comes.
  if (f & kDmFieldOrientation) working->dmOrientation = incoming->dmOrientation;
  if (f & kDmFieldPaperSize) working->dmPaperSize = incoming->dmPaperSize;
  if (f & kDmFieldPaperLength) working->dmPaperLength = incoming->dmPaperLength;
  if (f & kDmFieldPaperWidth) working->dmPaperWidth = incoming->dmPaperWidth;
  if (f & kDmFieldScale) working->dmScale = incoming->dmScale;
  if (f & kDmFieldCopies) working->dmCopies = incoming->dmCopies;
  if (f & kDmFieldDefaultSource) working->dmDefaultSource = incoming->dmDefaultSource;
  if (f & kDmFieldPrintQuality) working->dmPrintQuality = incoming->dmPrintQuality;
  if (f & kDmFieldColor) working->dmColor = incoming->dmColor;
  if (f & kDmFieldDuplex) working->dmDuplex = incoming->dmDuplex;
  if (f & kDmFieldYResolution) working->dmYResolution = incoming->dmYResolution;
  if (f & kDmFieldTTOption) working->dmTTOption = incoming->dmTTOption;
  if (f & kDmFieldCollate) working->dmCollate = incoming->dmCollate;
  if (f & kDmFieldICMMethod) working->dmICMMethod = incoming->dmICMMethod;
  if (f & kDmFieldICMIntent) working->dmICMIntent = incoming->dmICMIntent;
  if (f & kDmFieldMediaType) working->dmMediaType = incoming->dmMediaType;
  if (f & kDmFieldDitherType) working->dmDitherType = incoming->dmDitherType;

  if (f & kDmFieldDefaultSource) {
    if (!DmIsValidSource(incoming->dmDefaultSource, ctx))
      working->dmDefaultSource = static_cast<SHORT>(DefaultOr(ctx, kOptDefaultSource, p->defaultSource));
    SetBit(working, kDmFieldDefaultSource, true);
  }
  if (f & kDmFieldOrientation) {
    if (!DmIsValidOrientation(incoming->dmOrientation, ctx))
      working->dmOrientation = static_cast<SHORT>(DefaultOr(ctx, kOptOrientation, 1));
    SetBit(working, kDmFieldOrientation, true);
  }

  // Paper.
  const bool oversize = OptGetValue(ctx, kOptFreeShortOver, nullptr) == 1;
  if (incoming->dmPaperSize == 256 && (f & kDmFieldPaperSize)) {
    f |= kDmFieldPaperLength | kDmFieldPaperWidth;
    f &= ~kDmFieldPaperSize;
  }
  if (oversize) {
    f &= ~(kDmFieldPaperLength | kDmFieldPaperWidth);
    f |= kDmFieldPaperSize;
  }
  const DWORD lengthAndWidth = kDmFieldPaperLength | kDmFieldPaperWidth;
  if ((f & lengthAndWidth) == lengthAndWidth && incoming->dmPaperLength > 0 && incoming->dmPaperWidth > 0 &&
      !(f & kDmFieldPaperSize)) {
    working->dmPaperSize = incoming->dmPaperSize;
    working->dmPaperLength = incoming->dmPaperLength;
    working->dmPaperWidth = incoming->dmPaperWidth;
    SetBit(working, lengthAndWidth, true);
    SetBit(working, kDmFieldPaperSize, OptGetValue(ctx, kOptPaperLengthWidthAsSize, nullptr) != 0);
    FmBroadcastNotify(ctx, kFmNotifyCustomSizeMerged, working);
    OptSetValue(ctx, kOptPaperFreeSizeLength,
                static_cast<int32_t>(OptLengthToDots(kLengthTenthMm, static_cast<uint32_t>(incoming->dmPaperLength), 1200)));
    OptSetValue(ctx, kOptPaperFreeSizeWidth,
                static_cast<int32_t>(OptLengthToDots(kLengthTenthMm, static_cast<uint32_t>(incoming->dmPaperWidth), 1200)));
  } else if (f & kDmFieldPaperSize) {
    const int32_t code = incoming->dmPaperSize;
    if (OptIsCustomPaperCode(code)) {
      working->dmPaperSize = static_cast<SHORT>(code);
      if (oversize) {
        SetBit(working, lengthAndWidth, false);
      } else {
        CfgLoadAllFreeSizes(ctx);
        const int slot = CfgPaperToSlot(code, ctx);
        CfgCaptureCustomPaper(ctx, code, slot);
        if (ctx->workArea && slot >= 0 && slot < kFreeSizeSlotCount) {
          const FreeSizeSlot& s = ctx->workArea->freeSizeSlots[slot];
          working->dmPaperLength = static_cast<SHORT>(
              OptDotsToLength(kLengthTenthMm, static_cast<uint32_t>(s.length), 1200, nullptr));
          working->dmPaperWidth = static_cast<SHORT>(
              OptDotsToLength(kLengthTenthMm, static_cast<uint32_t>(s.width), 1200, nullptr));
        }
        SetBit(working, lengthAndWidth, true);
      }
    } else if (DmIsValidPaper(code, ctx)) {
      working->dmPaperSize = static_cast<SHORT>(code);
      SetBit(working, lengthAndWidth, false);
      if (!oversize) PaperSizeFromModel(working, ctx);
    } else {
      working->dmPaperSize = static_cast<SHORT>(DefaultOr(ctx, kOptPaperSize, kDefaultPaper));
      SetBit(working, lengthAndWidth, false);
    }
    SetBit(working, kDmFieldPaperSize, true);
  } else if (f & kDmFieldOrientation) {
    if ((working->dmFields & kDmFieldPaperSize) && !OptIsCustomPaperCode(working->dmPaperSize))
      PaperSizeFromModel(working, ctx);
  } else if (f & kDmFieldFormName) {
    if (!incoming->dmFormName[0]) {
      std::memset(working->dmFormName, 0, sizeof working->dmFormName);
      SetBit(working, kDmFieldFormName, false);
    } else if (working->dmFormName[0]) {
      std::memcpy(working->dmFormName, incoming->dmFormName, sizeof working->dmFormName);
      working->dmFormName[CCHFORMNAME - 1] = 0;
      SetBit(working, kDmFieldFormName, true);
    } else {
      SetBit(working, kDmFieldFormName, false);
    }
  }

  // Scale and copies against the model's range or the profile's.
  if (f & kDmFieldScale) {
    int32_t lo = static_cast<int32_t>(p->scaleMin), hi = static_cast<int32_t>(p->scaleMax);
    NumericRange(ctx, kOptScale, &lo, &hi);
    if (!Between(working->dmScale, lo, hi)) working->dmScale = 100;
  }
  SetBit(working, kDmFieldScale, false);
  if (f & kDmFieldCopies) {
    int32_t lo = static_cast<int32_t>(p->copiesMin), hi = static_cast<int32_t>(p->copiesMax);
    NumericRange(ctx, kOptCopies, &lo, &hi);
    if (!Between(working->dmCopies, lo, hi)) working->dmCopies = 1;
    SetBit(working, kDmFieldCopies, true);
  }
  if ((f & kDmFieldMediaType) && !DmIsValidMediaType(static_cast<int32_t>(incoming->dmMediaType), ctx))
    working->dmMediaType = 1;
  if (f & kDmFieldPrintQuality) DmMergePrintQuality(working, incoming, ctx);
  working->dmYResolution = working->dmPrintQuality;
  SetBit(working, kDmFieldYResolution, true);

  if (f & kDmFieldDuplex) {
    if (!DmIsValidDuplex(incoming->dmDuplex, ctx)) working->dmDuplex = 1;
    SetBit(working, kDmFieldDuplex, true);
  }
  if (f & kDmFieldColor) {
    if (!DmIsValidColor(incoming->dmColor, ctx)) working->dmColor = 1;
    SetBit(working, kDmFieldColor, true);
  }
  if (f & kDmFieldTTOption) {
    if (DmIsValidTTOption(incoming->dmTTOption, ctx)) SetBit(working, kDmFieldTTOption, true);
    else working->dmTTOption = 3;
  }

  SetBit(working, kDmFieldCollate, false);
  working->dmCollate = 0;
  if (OptIsCollateAvailable(ctx)) {
    SetBit(working, kDmFieldCollate, true);
    if (incoming->dmFields & kDmFieldCollate) working->dmCollate = incoming->dmCollate == 1 ? 1 : 0;
    else working->dmCollate = OptGetValue(ctx, kOptFuncSelectSort, nullptr) ? 1 : 0;
  }

  const struct {
    DWORD bit;
    DWORD* field;
    DWORD value;
    int (*valid)(int32_t, DriverContext*);
  } icm[] = {
      {kDmFieldICMMethod, &working->dmICMMethod, incoming->dmICMMethod, DmIsValidICMMethod},
      {kDmFieldICMIntent, &working->dmICMIntent, incoming->dmICMIntent, DmIsValidICMIntent},
      {kDmFieldDitherType, &working->dmDitherType, incoming->dmDitherType, DmIsValidDitherType},
  };
  for (const auto& e : icm) {
    if (!(f & e.bit)) continue;
    if (e.valid(static_cast<int32_t>(e.value), ctx)) SetBit(working, e.bit, true);
    else *e.field = 1;
  }
}

void DmMergePrintQuality(DEVMODEW* working, const DEVMODEW* incoming, DriverContext* ctx) {
  if (!working || !incoming || !ctx) return;
  const int32_t q = incoming->dmPrintQuality;
  OptionEntry* row38 = OptFind(ctx, kOptDstResolutionW);
  if (Between(q, -4, -1)) {
    working->dmPrintQuality = static_cast<SHORT>(DefaultOr(ctx, kOptPrintQuality, kDefaultQuality));
  } else if (DmIsValidPrintQuality(q, ctx)) {
    working->dmPrintQuality = static_cast<SHORT>(q);
  } else if (row38) {
    FmResolutionFallback event{working, row38, q};
    FmBroadcastNotify(ctx, kFmNotifyResolutionFallback, &event);
    working->dmPrintQuality = static_cast<SHORT>(event.value);
  } else {
    working->dmPrintQuality = kDefaultQuality;
  }

  // The resolution option that stands for the print quality, and its value.
  const ModelItem* item38 = MdlFindActiveItem(kOptDstResolutionW, ctx);
  const bool viaTable = item38 && ModelItemKind(item38->typeWord) == kItemNumeric;
  const uint16_t option = viaTable ? uint16_t{kOptResolutionBoth} : uint16_t{kOptDstResolutionW};
  const ResolutionEntry* table = OptGetResolutionTable();
  auto rowOf = [&](int32_t v) -> const ResolutionEntry* {
    for (const ResolutionEntry* r = table; r && r->value != 0; ++r)
      if (static_cast<int32_t>(r->value) == v) return r;
    return nullptr;
  };
  const int32_t quality = working->dmPrintQuality;
  int32_t v = quality;
  if (viaTable) {
    const int32_t current = OptGetValue(ctx, kOptResolutionBoth, nullptr);
    const ResolutionEntry* currentRow = rowOf(current);
    if (OptGetValue(ctx, kOptUseUserMacro, nullptr) == 1 && currentRow &&
        static_cast<int32_t>(currentRow->xDpi) == quality) {
      v = current;
    } else {
      v = quality;
      for (const ResolutionEntry* r = table; r && r->value != 0; ++r) {
        if (static_cast<int32_t>(r->xDpi) == quality && OptCheckValue(kOptResolutionBoth, static_cast<int32_t>(r->value), ctx) == 1) {
          v = static_cast<int32_t>(r->value);
          break;
        }
      }
    }
  }
  if (OptCheckValue(option, v, ctx) != 1) {
    OptionEntry* row = OptFind(ctx, option);
    FmResolutionFallback event{working, row, v};
    FmBroadcastNotify(ctx, kFmNotifyResolutionFallback, &event);
    if (viaTable) {
      if (const ResolutionEntry* r = rowOf(event.value)) working->dmPrintQuality = static_cast<SHORT>(r->xDpi);
    } else {
      working->dmPrintQuality = static_cast<SHORT>(event.value);
    }
  }

  // A user quality macro brings its own resolution.
  const DWORD mergeFlags = ctx->workArea ? ctx->workArea->mergeFlags : 0;
  if (OptGetValue(ctx, kOptUseUserMacro, nullptr) == 1 && (mergeFlags & 0x2000000) && (mergeFlags & 0x4)) {
    const int32_t u = OptGetValue(ctx, kOptUserPrintMacro, nullptr);
    if (Between(u, 32, 39) || u == 160) {
      DmPushSnapshot(ctx);
      CfgLoadQuality(ctx, u - 32);
      const int32_t resolution = OptGetValue(ctx, kOptDstResolutionW, nullptr);
      DmPopSnapshot(ctx, 1);
      if (resolution != working->dmPrintQuality) working->dmPrintQuality = static_cast<SHORT>(resolution);
    }
  }
  if (!(mergeFlags & 0x10000000)) {
    if (const WORD cap = OptGetResolutionCap(ctx, 0)) working->dmPrintQuality = static_cast<SHORT>(cap);
  }
  SetBit(working, kDmFieldPrintQuality, true);
}
