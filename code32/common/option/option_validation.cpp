// Checks of option values against the model description, their repair, the checks of the public
// device-mode fields and the paper-code tests.
#include "option_validation.h"

#include "model_query.h"
#include "option_access.h"
#include "option_constants.h"

namespace {

enum : uint16_t {
  kOptOrientation = 7,
  kOptPaperSize = 8,
  kOptDefaultSource = 13,
  kOptPrintQuality = 14,
  kOptColor = 15,
  kOptDuplex = 16,
  kOptTTOption = 18,
  kOptICMMethod = 27,
  kOptICMIntent = 28,
  kOptMediaType = 29,
  kOptDitherType = 30,
  kOptPresetNo = 37,
  kOptOutPaperSize = 46,
  kOptFuncSelectNup = 56,
  kOptFuncSelectWaterMark = 60,
  kOptScaleH = 89,
  kOptScaleV = 90,
  kOptNupPostKind = 91,
  kOptNupType = 92,
  kOptWmId = 118,
  kOptColorMatchingMode = 133,
  kOptUseUserMacro = 176,
  kOptUserPrintMacro = 179,
};

constexpr int32_t kPaperSame = 1024;

bool Between(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

bool IsPickKind(uint16_t kind) {
  return kind == kItemPickOne || kind == kItemPickMany || kind == kItemPickPage || kind == kItemPickSlot;
}

bool HasValueList(const OptionEntry* row) { return row && row->labels && row->labels->valueTexts; }

bool Usable(const ModelItem* item, DriverContext* ctx) {
  return item && !MdlIsDisabled(item, 0, ctx) && !MdlIsRestricted(item, 0, ctx);
}

// zdmNUPType: the chosen value's N-up kind and zdmNUPPOSTKind are brought in step while N-up is
// on; a disabled value of the current kind falls back to that kind's first layout.
void ReconcileNupKind(const ModelItem* item, uint16_t valueId, int32_t value, DriverContext* ctx) {
  const ModelItem* nup = MdlFindActiveItem(kOptFuncSelectNup, ctx);
  if (!Usable(nup, ctx) || OptGetValue(ctx, kOptFuncSelectNup, nullptr) == 0) return;
  const bool portrait = OptGetValue(ctx, kOptOrientation, nullptr) == 1;
  const int32_t first = portrait ? 1 : 3;
  const int32_t kind = OptNupTypeToKind(static_cast<uint32_t>(value), nullptr);
  const int32_t current = OptGetValue(ctx, kOptNupPostKind, nullptr);
  const bool known = Between(current, 1, 4) || Between(current, 9, 11);
  if (known && kind == current) {
    if (!MdlIsDisabled(item, valueId, ctx)) return;
    if (kind == 1) OptSetValue(ctx, kOptNupType, first);
    else if (kind == 10) OptSetValue(ctx, kOptNupType, portrait ? 161 : 163);
    else if (kind == 11) OptSetValue(ctx, kOptNupType, portrait ? 129 : 130);
  } else if (kind != current) {
    if (kind != 0) OptSetValue(ctx, kOptNupPostKind, kind);
    if (kind == 1) OptSetValue(ctx, kOptNupType, first);
  }
}

// Options whose values only matter while a switch is on: type option -> switch option.
struct SwitchedOption {
  uint16_t option;
  uint16_t switchOption;
};
constexpr SwitchedOption kSwitchedOptions[] = {{94, 58}, {120, 62}, {121, 63}, {513, 78}, {524, 518}};

int CheckPickValue(const OptionEntry* row, uint16_t id, int32_t value, DriverContext* ctx, const ModelItem* item) {
  // Colour-matching list entries (200 + n) are not model values.
  if ((id == kOptColorMatchingMode || Between(id, 984, 986)) && Between(value, 200, 215)) return kCheckAllowed;
  int32_t valueId = value;
  if (HasValueList(row)) {
    valueId = OptToUiValue(ctx, row, value);
    if (valueId == value && !OptIsMappedValue(ctx, row, value)) return kCheckNotAllowed;
  }
  if (item->values == 0) return valueId != 0 ? kCheckAllowed : kCheckNotAllowed;
  const auto vid = static_cast<uint16_t>(valueId);
  if (static_cast<uint32_t>(valueId) > 0xFFFF || !MdlFindItemValue(ctx->modelImage, item, vid)) return kCheckNotAllowed;

  if (id == kOptNupType) {
    ReconcileNupKind(item, vid, value, ctx);
    return kCheckAllowed;
  }
  for (const SwitchedOption& s : kSwitchedOptions) {
    if (s.option != id) continue;
    const ModelItem* sw = MdlFindActiveItem(s.switchOption, ctx);
    if (!Usable(sw, ctx)) return kCheckAllowed;
    return OptGetValue(ctx, s.switchOption, nullptr) != 0 && MdlIsDisabled(item, vid, ctx) ? kCheckDisabled
                                                                                          : kCheckAllowed;
  }
  if (MdlIsDisabled(item, vid, ctx)) return kCheckDisabled;
  if (MdlIsRestricted(item, vid, ctx)) return kCheckRestricted;
  return kCheckAllowed;
}

const ModelNumericValue* NumericRecord(DriverContext* ctx, const ModelItem* item) {
  if (!item || ModelItemKind(item->typeWord) != kItemNumeric) return nullptr;
  return MdlImageAt<ModelNumericValue>(ctx->modelImage, item->values);
}

// The option's row and active item, or the check result that stands for their absence.
int Locate(uint16_t id, DriverContext* ctx, OptionEntry** row, const ModelItem** item) {
  *row = OptFind(ctx, id);
  if (!*row || (*row)->nameIndex == 0) return kCheckNoModelName;
  *item = MdlFindActiveItem(id, ctx);
  if (!*item || ((*item)->typeWord & kItemTypeUnknown)) return kCheckNoModelItem;
  return -1;
}

int Allowed(int r) { return r == kCheckAllowed || r == kCheckRestricted ? 1 : 0; }

// A model check, with the fixed fallback when the model does not describe the field.
template <typename Fallback>
int CheckPublic(int modelResult, Fallback fallback) {
  if (modelResult == kCheckNoModelName || modelResult == kCheckNoModelItem) return fallback() ? 1 : 0;
  return modelResult;
}

}  // namespace

int OptCheckValueAgainstModel(const OptionEntry* row, uint16_t id, int32_t value, DriverContext* ctx,
                              const ModelItem* item) {
  if (!ctx || !item) return kCheckNotAllowed;
  const uint16_t kind = ModelItemKind(item->typeWord);
  if (IsPickKind(kind)) return CheckPickValue(row, id, value, ctx, item);
  if (kind == kItemBoolean) return value == 0 || value == 1 ? kCheckAllowed : kCheckNotAllowed;
  if (kind == kItemNumeric) {
    const ModelNumericValue* n = NumericRecord(ctx, item);
    return n && value >= n->minimum && value <= n->maximum ? kCheckAllowed : kCheckNotAllowed;
  }
  return kCheckAllowed;
}

int OptCheckValueSimple(const OptionEntry* row, uint16_t id, int32_t value, DriverContext* ctx) {
  const ModelItem* item = MdlFindActiveItem(id, ctx);
  if (!item) return 0;
  return Allowed(OptCheckValueAgainstModel(row, id, value, ctx, item));
}

int OptValidateOrRepair(uint16_t id, int32_t value, DriverContext* ctx) {
  OptionEntry* row = nullptr;
  const ModelItem* item = nullptr;
  if (int missing = Locate(id, ctx, &row, &item); missing >= 0) return missing;
  const int r = OptCheckValueAgainstModel(row, id, value, ctx, item);
  if (Allowed(r)) return 1;
  if (id == kOptPresetNo) {
    int32_t n = value;
    if (Between(n, 119, 134)) n -= 119;
    else if (n == 118) n = 255;
    if (!Between(n, 0, 127) && (n & 0xFF) != 255) OptWriteUiValue(ctx, row, 0);
    return 1;
  }
  const DWORD flags = ctx->workArea ? ctx->workArea->mergeFlags : 0;
  if (r == kCheckDisabled && (flags & kMergeKeepDisabled)) return 1;
  if (flags & kMergeClampRange) OptResetToDefaultClamped(ctx, row, id, value);
  else OptResetToModelDefault(ctx, row);
  return 1;
}

int OptCheckValue(uint16_t id, int32_t value, DriverContext* ctx) {
  OptionEntry* row = nullptr;
  const ModelItem* item = nullptr;
  if (int missing = Locate(id, ctx, &row, &item); missing >= 0) return missing;
  return Allowed(OptCheckValueAgainstModel(row, id, value, ctx, item));
}

int OptCheckModelValue(uint16_t id, int32_t value, DriverContext* ctx) {
  OptionEntry* row = nullptr;
  const ModelItem* item = nullptr;
  if (int missing = Locate(id, ctx, &row, &item); missing >= 0) return missing;
  return OptCheckValueSimple(row, id, value, ctx);
}

int OptCheckValueOrMapped(uint16_t id, int32_t value, DriverContext* ctx) {
  const int r = OptCheckModelValue(id, value, ctx);
  if (r != kCheckNotAllowed) return r;
  OptionEntry* row = OptFind(ctx, id);
  const ModelItem* item = MdlFindActiveItem(id, ctx);
  if (HasValueList(row) && item && IsPickKind(ModelItemKind(item->typeWord)))
    return OptIsMappedValue(ctx, row, value) ? 1 : 0;
  OptResetToModelDefault(ctx, row);
  return 1;
}

void OptResetToDefaultClamped(DriverContext* ctx, OptionEntry* row, uint16_t id, int32_t value) {
  if (id == kOptScaleH || id == kOptScaleV) {
    if (const ModelNumericValue* n = NumericRecord(ctx, MdlFindActiveItem(id, ctx))) {
      if (value < n->minimum) {
        OptWriteUiValue(ctx, row, static_cast<uint32_t>(n->minimum));
        return;
      }
      if (value > n->maximum) {
        OptWriteUiValue(ctx, row, static_cast<uint32_t>(n->maximum));
        return;
      }
    }
  }
  OptResetToModelDefault(ctx, row);
}

// ---- public device-mode fields ----------------------------------------------------------------

int DmIsValidSource(int32_t value, DriverContext* ctx) {
  return CheckPublic(OptCheckModelValue(kOptDefaultSource, value, ctx),
                     [&] { return Between(value, 1, 15) || OptIsLegalValue(kOptDefaultSource, value); });
}
int DmIsValidOrientation(int32_t value, DriverContext* ctx) {
  return CheckPublic(OptCheckValueOrMapped(kOptOrientation, value, ctx), [&] { return value == 1 || value == 2; });
}
int DmIsValidPaper(int32_t value, DriverContext* ctx) {
  return CheckPublic(OptCheckModelValue(kOptPaperSize, value, ctx), [] { return false; });
}
int DmIsValidPrintQuality(int32_t value, DriverContext* ctx) {
  return CheckPublic(OptCheckModelValue(kOptPrintQuality, value, ctx),
                     [&] { return OptIsLegalValue(kOptPrintQuality, value) != 0; });
}
int DmIsValidDuplex(int32_t value, DriverContext* ctx) {
  return CheckPublic(OptCheckModelValue(kOptDuplex, value, ctx), [&] { return Between(value, 1, 3); });
}
int DmIsValidColor(int32_t value, DriverContext* ctx) {
  return CheckPublic(OptCheckModelValue(kOptColor, value, ctx), [&] { return value == 1 || value == 2; });
}
int DmIsValidTTOption(int32_t value, DriverContext* ctx) {
  return CheckPublic(OptCheckModelValue(kOptTTOption, value, ctx), [&] { return Between(value, 1, 4); });
}
int DmIsValidICMMethod(int32_t value, DriverContext* ctx) {
  return CheckPublic(OptCheckModelValue(kOptICMMethod, value, ctx),
                     [&] { return Between(value, 1, 4) || OptIsLegalValue(kOptICMMethod, value); });
}
int DmIsValidICMIntent(int32_t value, DriverContext* ctx) {
  return CheckPublic(OptCheckModelValue(kOptICMIntent, value, ctx),
                     [&] { return value == 1 || value == 2 || OptIsLegalValue(kOptICMIntent, value); });
}
int DmIsValidMediaType(int32_t value, DriverContext* ctx) {
  return CheckPublic(OptCheckModelValue(kOptMediaType, value, ctx),
                     [&] { return Between(value, 1, 3) || OptIsLegalValue(kOptMediaType, value); });
}
int DmIsValidDitherType(int32_t value, DriverContext* ctx) {
  return CheckPublic(OptCheckModelValue(kOptDitherType, value, ctx), [&] {
    return Between(value, 1, 4) || value == 10 || OptIsLegalValue(kOptDitherType, value);
  });
}
int DmIsValidFormName(const WCHAR*, DriverContext*) { return 1; }
int DmIsDeviceIndependentQuality(int32_t value) { return Between(value, -4, -1) ? 1 : 0; }

// ---- paper codes and small derived values -----------------------------------------------------

int OptIsSlotPaperCode(int32_t code) { return Between(code, 384, 393) || code == 256 || code == 448 ? 1 : 0; }
int OptIsCustomPaperCode(int32_t code) { return OptIsSlotPaperCode(code); }
int OptIsSamePaperCode(int32_t code) { return code == kPaperSame ? 1 : 0; }
int DmIsStandardPaper(int32_t code) { return Between(code, 1, 118) || OptIsLegalValue(kOptPaperSize, code) ? 1 : 0; }

int OptGetSourceSizeSlot(DriverContext* ctx) {
  const int32_t code = OptGetValue(ctx, kOptPaperSize, nullptr);
  return Between(code, 384, 393) ? code - 384 : -1;
}
int OptGetOutputSizeSlot(DriverContext* ctx) {
  const int32_t code = OptGetValue(ctx, kOptOutPaperSize, nullptr);
  return Between(code, 384, 393) ? code - 384 : -1;
}

int32_t OptGetWatermarkId(DriverContext* ctx) {
  if (OptGetValue(ctx, kOptFuncSelectWaterMark, nullptr) == 0) return -1;
  return OptGetValue(ctx, kOptWmId, nullptr);
}

int32_t OptGetUserMacroIndex(DriverContext* ctx) {
  if (OptGetValue(ctx, kOptUseUserMacro, nullptr) != 1) return -1;
  return OptGetUiValue(ctx, kOptUserPrintMacro, nullptr) - 135;
}

int32_t OptNupTypeToKind(uint32_t value, int32_t* out) {
  if (out) *out = value == 3 ? 2 : 1;
  switch (value) {
    case 1: case 2: case 3: return 1;
    case 33: case 34: case 37: case 38: return 2;
    case 65: case 66: case 69: case 70: return 3;
    case 97: case 98: case 101: case 102: return 4;
    case 129: case 130: return 11;
    case 161: case 162: case 163: case 164: return 10;
    case 32769: case 32770: case 32771: return 9;
    default: return 1;
  }
}
