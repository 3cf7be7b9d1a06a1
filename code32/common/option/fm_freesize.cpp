// Feature module 4, custom paper sizes: what runs without a window. The allowed ranges of a
// custom size by tray and orientation, the ranges of the length and width controls, and the
// inch entry of the document's custom size (options 596 and 597 beside the stored 343 and 342).
#include <algorithm>
#include <climits>
#include <span>

#include "byte_order.h"
#include "devmode_public.h"
#include "env_system.h"
#include "fm_modules_1_4.h"
#include "model_query.h"
#include "option_access.h"
#include "option_units.h"
#include "option_values.h"
#include "free_size.h"
#include "undo_images.h"
#include "option_values.h"

namespace {

// ---- range tables -------------------------------------------------------------------------------

constexpr uint16_t kBypassTray = 4;

// Both tables allow custom sizes on the bypass tray only; each ends with a row whose tray is 0.
// The standard limits (the fixed table, and device keys 1, 4 and 8):
constexpr FreeSizeRangeRow kStandardRanges[] = {
    {kFreeSizePlatformBoth, kBypassTray, 2, 0, 14032, 6992, 14032, 6992, 14028, 6996, 14028, 6996},
    {kFreeSizePlatformBoth, kBypassTray, 1, 0, 20410, 6992, 14032, 3306, 20400, 6996, 14028, 3312},
    {},
};
// The shorter limits of device key 2:
constexpr FreeSizeRangeRow kShortRanges[] = {
    {kFreeSizePlatformBoth, kBypassTray, 2, 0, 12140, 6992, 12140, 6992, 12132, 6996, 12132, 6996},
    {kFreeSizePlatformBoth, kBypassTray, 1, 0, 17196, 6992, 12140, 3306, 17196, 6996, 12132, 3312},
    {},
};

struct DeviceRangeTable {
  int32_t key;  // the value of wdmPrnInfoFunc0 that selects the table
  const FreeSizeRangeRow* rows;
};
constexpr DeviceRangeTable kDeviceRangeTables[] = {
    {1, kStandardRanges},
    {2, kShortRanges},
    {4, kStandardRanges},
    {8, kStandardRanges},
};

// ---- controls -----------------------------------------------------------------------------------

// Length and width controls that have a custom-size range (edits and their spin controls).
constexpr WORD kRangeLengthControls[] = {2220, 2221, 2392, 2393, 2400, 2401, 2590, 2591, 2594,
                                         2595, 2682, 2683, 2684, 2685, 2686, 2687};
constexpr WORD kRangeWidthControls[] = {2224, 2225, 2394, 2395, 2398, 2399, 2592, 2593, 2596,
                                        2597, 2689, 2690, 2691, 2692, 2693, 2694};
// The edits and spin controls of the custom-size input, in the order they are searched.
constexpr WORD kLengthEdits[] = {2682, 2683, 2684, 2594};  // ZPD_IDC_FREE_EDIT_LENGTH1-4
constexpr WORD kWidthEdits[] = {2689, 2690, 2691, 2596};
constexpr WORD kLengthSpins[] = {2685, 2686, 2687, 2595};
constexpr WORD kWidthSpins[] = {2692, 2693, 2694, 2597};
// Length edits that show two decimals.
constexpr WORD kTwoDecimalEdits[] = {2220, 2224, 2392, 2394, 2398, 2400, 2590, 2592, 2594,
                                     2596, 2682, 2683, 2684, 2689, 2690, 2691};

bool Has(std::span<const WORD> ids, const ControlDescriptor* control) {
  return control && std::ranges::find(ids, control->controlId) != ids.end();
}

int32_t Value(DriverContext* ctx, WORD id) { return OptGetValue(ctx, id, nullptr); }

// The inch option a control of the input writes: 596 for the length, 597 for the width, 0 for
// a control that is neither.
WORD InchOptionOf(const ControlDescriptor* control, std::span<const WORD> lengths, std::span<const WORD> widths) {
  if (Has(lengths, control)) return kOptPaperInchLength;
  if (Has(widths, control)) return kOptPaperInchWidth;
  return 0;
}

// A range end moved inward to a whole display unit, staying in 1/1200 inch.
void MoveInward(DriverContext* ctx, LONG* max, LONG* min) {
  const int32_t shownMax = OptToDisplayUnits(ctx, 0, *max);
  if (OptFromDisplayUnits(ctx, 0, shownMax) > *max) *max = OptFromDisplayUnits(ctx, 0, shownMax - 1);
  const int32_t shownMin = OptToDisplayUnits(ctx, 0, *min);
  if (OptFromDisplayUnits(ctx, 0, shownMin) < *min) *min = OptFromDisplayUnits(ctx, 0, shownMin + 1);
}

// The Numeric range of the model item of an edit (the item bound to it, else the item of its
// option); NULL when there is none.
const ModelNumericValue* ModelRangeOf(DriverContext* ctx, const ControlDescriptor* edit) {
  const ModelItem* item = edit->modelItem;
  if (!item && edit->option) item = MdlFindActiveItem(edit->option->id, ctx);
  if (!item || ModelItemKind(item->typeWord) != kItemNumeric) return nullptr;
  return MdlImageAt<ModelNumericValue>(ctx->modelImage, item->values);
}

// A shown value kept inside the edit's range while the stored value is inside the model range.
int32_t KeepInRange(DriverContext* ctx, ControlDescriptor* edit, int32_t stored, int32_t shown) {
  const ModelNumericValue* model = ModelRangeOf(ctx, edit);
  if (!model) return shown;
  int min = INT_MIN, max = INT_MAX;
  OptGetControlRange(ctx, edit, &min, &max);
  if (stored <= model->maximum && shown > max) shown = max;
  if (stored >= model->minimum && shown < min) shown = min;
  return shown;
}

void SetIfChanged(DriverContext* ctx, WORD id, int32_t value) {
  if (Value(ctx, id) != value) OptSetValue(ctx, id, value);
}

// The 16-bit length fields of the public device mode.
constexpr size_t kDevModePaperLengthAt = 80;
constexpr size_t kDevModePaperWidthAt = 82;

uint32_t ReadDevModeLength(const BYTE* dm, size_t at) {
  const auto value = static_cast<int16_t>(ReadLe16(dm + at));
  return value > 0 ? static_cast<uint32_t>(value) : 0;
}
void WriteDevModeLength(BYTE* dm, size_t at, uint32_t value) {
  WriteLe16(dm + at, static_cast<uint16_t>(std::min<uint32_t>(value, INT16_MAX)));
}

// Notify codes of this module.
enum : DWORD {
  kNotifyEditValue = 38,
  kNotifyTypedAsIs = 39,
  kNotifyEditValue2 = 40,
  kNotifyTypedConverted = 41,
  kNotifyChangeApplied = 42,
  kNotifySpinMoved = 43,
  kNotifyMergeDevMode = 44,
  kNotifyWriteDevMode = 45,
  kNotifyControlRange = 46,
  kNotifyItemTransact = 47,
  kNotifyTwoDecimals = 51,
  kNotifyTypedConverted2 = 55,
};

void OnItemTransact(DriverContext* ctx, const FmItemTransactParam* p) {
  if (!p) return;
  if (p->dialog && p->dialog->dialogId == kDlgFreeSize && ctx->workArea && ctx->workArea->subDialogResult != 0) {
    const int slots = CfgFreeSizeSlotCount(ctx);
    for (int slot = 0; slot < slots; ++slot) CfgMirrorFreeSizeSlot(ctx, slot);
  }
  if (!p->item) return;
  const ControlDescriptor* control = OptFindControlBySymbol(ctx, p->dialog, p->item->nameIndex);
  if (!control) return;
  if (control->controlId == kCtlPresetPaperSize)
    OptRefreshPaperSettings(ctx, 3);
  else if (control->controlId == kCtlPrintSize1 || control->controlId == kCtlPrintSize2)
    OptRefreshPaperSettings(ctx, 4);
}

// ---- built-in functions ----------------------------------------------------------------------

// The options the input controls of the custom-size input show: the paper size or the print size.
struct InputBinding {
  WORD length, width, tray, orientation, orientation2;
};
constexpr InputBinding kPaperSizeInput = {kOptPaperFreeSizeLength, kOptPaperFreeSizeWidth, kOptPaperFreeSizeTray,
                                          kOptPaperFreeSizeOrient, 1197};
constexpr InputBinding kPrintSizeInput = {347, 346, kOptPrintFreeSizeTray, kOptPrintFreeSizeOrient, 1199};
constexpr WORD kInputLengthControls[] = {2682, 2683, 2684, 2685, 2686, 2687};
constexpr WORD kInputWidthControls[] = {2689, 2690, 2691, 2692, 2693, 2694};
constexpr WORD kInputTrayControl = 2697;
constexpr WORD kInputOrientationControls[] = {2701, 2702};
constexpr WORD kInputOrientation2Controls[] = {3073, 3074};

void Bind(DriverContext* ctx, std::span<const WORD> controls, WORD optionId) {
  OptionEntry* row = OptFind(ctx, optionId);
  for (WORD id : controls)
    if (ControlDescriptor* control = OptFindControl(ctx, nullptr, id)) control->option = row;
}

void BindInputControls(DriverContext* ctx, const InputBinding& to) {
  Bind(ctx, kInputLengthControls, to.length);
  Bind(ctx, kInputWidthControls, to.width);
  Bind(ctx, std::span<const WORD>(&kInputTrayControl, 1), to.tray);
  Bind(ctx, kInputOrientationControls, to.orientation);
  Bind(ctx, kInputOrientation2Controls, to.orientation2);
}

// The options are captured into the slot the custom paper-size dialog shows.
void CaptureCurrentSlot(DriverContext* ctx) {
  if (!ctx->workArea) return;
  const int32_t slot = ctx->workArea->freeSizeCurrentSlot;
  if (slot >= 0 && slot < CfgFreeSizeSlotCount(ctx)) CfgCaptureFreeSizeSlot(ctx, slot);
}

// Each (length, width) pair keeps the longer side as the length.
void MakeLengthTheLongerSide(DriverContext* ctx) {
  struct Pair {
    WORD length, width;
  };
  constexpr Pair kPairs[] = {{940, 939}, {kOptPaperFreeSizeLength, kOptPaperFreeSizeWidth}, {347, 346}};
  for (const Pair& pair : kPairs) {
    const int32_t length = Value(ctx, pair.length);
    const int32_t width = Value(ctx, pair.width);
    if (length >= width) continue;
    OptSetValue(ctx, pair.length, width);
    OptSetValue(ctx, pair.width, length);
    if (pair.length == 940) CaptureCurrentSlot(ctx);
  }
  if (CfgIsUserPaperInch(ctx) && Value(ctx, kOptInputFreeSizeType) == 1) {
    const int32_t length = Value(ctx, kOptPaperInchLength);
    const int32_t width = Value(ctx, kOptPaperInchWidth);
    if (length < width) {
      OptSetValue(ctx, kOptPaperInchLength, width);
      OptSetValue(ctx, kOptPaperInchWidth, length);
    }
  }
}

}  // namespace

// ---- ranges -------------------------------------------------------------------------------------

const FreeSizeRangeRow* FmGetDeviceFreeSizeTable(DriverContext* ctx) {
  if (!OptHasPrnInfoFunc(ctx, 0)) return kStandardRanges;
  const int32_t key = Value(ctx, kOptPrnInfoFunc0);
  for (const DeviceRangeTable& table : kDeviceRangeTables)
    if (table.key == key) return table.rows;
  return nullptr;
}

int FmGetFreeSizeRange(DriverContext* ctx, WORD tray, WORD orientation, LONG* max, LONG* min, int isLength) {
  if (!ctx || !max || !min) return 0;
  const FreeSizeRangeRow* row = FmGetDeviceFreeSizeTable(ctx);
  if (!row) return 0;
  const uint16_t platform = EnvIsWin9x() ? kFreeSizePlatform9x : kFreeSizePlatformNt;
  for (; row->tray != 0; ++row) {
    if (row->tray != tray || row->orientation != orientation) continue;
    if (row->platform != kFreeSizePlatformBoth && row->platform != platform) continue;
    LONG high, low;
    if (OptIsMetric(ctx)) {
      high = isLength ? row->metricLengthMax : row->metricWidthMax;
      low = isLength ? row->metricLengthMin : row->metricWidthMin;
    } else {
      high = isLength ? row->inchLengthMax : row->inchWidthMax;
      low = isLength ? row->inchLengthMin : row->inchWidthMin;
    }
    MoveInward(ctx, &high, &low);
    *max = high;
    *min = low;
    return 1;
  }
  return 0;
}

int FmGetFreeSizeControlRange(DriverContext* ctx, ControlDescriptor* control, LONG* max, LONG* min) {
  return ctx ? FmGetFreeSizeRangeIn(ctx, static_cast<WORD>(ctx->dialogId), control, max, min) : 0;
}

int FmGetFreeSizeRangeIn(DriverContext* ctx, WORD dialogId, ControlDescriptor* control, LONG* max, LONG* min) {
  if (!ctx || !control) return 0;
  WORD trayOption, orientOption;
  switch (dialogId) {
    case kDlgFreeSize:
      trayOption = kOptFreeSizeTray;
      orientOption = kOptFreeSizeOrient;
      break;
    case kDlgFreeSizeInput:
      if (Value(ctx, kOptInputFreeSizeType) == 1) {
        trayOption = kOptPaperFreeSizeTray;
        orientOption = kOptPaperFreeSizeOrient;
      } else {
        trayOption = kOptPrintFreeSizeTray;
        orientOption = kOptPrintFreeSizeOrient;
      }
      break;
    default:
      return 0;
  }
  int isLength;
  if (Has(kRangeLengthControls, control))
    isLength = 1;
  else if (Has(kRangeWidthControls, control))
    isLength = 0;
  else
    return 0;
  return FmGetFreeSizeRange(ctx, static_cast<WORD>(Value(ctx, trayOption)), static_cast<WORD>(Value(ctx, orientOption)),
                            max, min, isLength);
}

// ---- the custom-size input --------------------------------------------------------------------

int FmIsControlUnusable(DriverContext* ctx, DialogDescriptor* dialog, WORD controlId) {
  // Without a dialog nothing is searched: a lookup with no dialog would search them all.
  const ControlDescriptor* control = dialog ? OptFindControl(ctx, dialog, controlId) : nullptr;
  return !control || (control->state & 0x3) != 0 ? 1 : 0;
}

ControlDescriptor* FmFindFreeSizeEdit(DriverContext* ctx, DialogDescriptor* dialog, int isLength) {
  for (WORD id : isLength ? std::span<const WORD>(kLengthEdits) : std::span<const WORD>(kWidthEdits))
    if (!FmIsControlUnusable(ctx, dialog, id)) return OptFindControl(ctx, dialog, id);
  return nullptr;
}

void FmSyncFreeSizeInputValues(DriverContext* ctx) {
  if (!ctx) return;
  int32_t length = OptToDisplayUnits(ctx, kOptPaperFreeSizeLength, 0);
  int32_t width = OptToDisplayUnits(ctx, kOptPaperFreeSizeWidth, 0);
  DialogDescriptor* input = OptFindDialog(ctx, kDlgFreeSizeInput);
  ControlDescriptor* lengthEdit = FmFindFreeSizeEdit(ctx, input, 1);
  ControlDescriptor* widthEdit = FmFindFreeSizeEdit(ctx, input, 0);
  if (!lengthEdit || !widthEdit) return;
  length = KeepInRange(ctx, lengthEdit, Value(ctx, kOptPaperFreeSizeLength), length);
  width = KeepInRange(ctx, widthEdit, Value(ctx, kOptPaperFreeSizeWidth), width);
  SetIfChanged(ctx, kOptPaperInchLength, length);
  SetIfChanged(ctx, kOptPaperInchWidth, width);
}

int FmIsFreeSizeInchEntry(DriverContext* ctx) {
  return ctx && CfgIsUserPaperInch(ctx) && Value(ctx, kOptInputFreeSizeType) == 1 ? 1 : 0;
}

int FmFreeSizeInchNotify(DriverContext* ctx, DWORD code, void* param) {
  switch (code) {
    case kNotifyEditValue:
    case kNotifyEditValue2: {
      auto* p = static_cast<FmEditValueParam*>(param);
      if (const WORD id = p ? InchOptionOf(p->control, kLengthEdits, kWidthEdits) : 0) p->value = Value(ctx, id);
      return 1;
    }
    case kNotifyTypedAsIs: {
      auto* p = static_cast<FmEditValueParam*>(param);
      if (const WORD id = p ? InchOptionOf(p->control, kLengthEdits, kWidthEdits) : 0) OptSetValue(ctx, id, p->value);
      return 1;
    }
    case kNotifyTypedConverted:
    case kNotifyTypedConverted2: {
      auto* p = static_cast<FmEditValueParam*>(param);
      if (const WORD id = p ? InchOptionOf(p->control, kLengthEdits, kWidthEdits) : 0)
        OptSetValue(ctx, id, OptToDisplayUnits(ctx, 0, p->value));
      return 1;
    }
    case kNotifyChangeApplied:
      FmSyncFreeSizeInputValues(ctx);
      return 1;
    case kNotifySpinMoved: {
      auto* p = static_cast<FmEditValueParam*>(param);
      if (const WORD id = p ? InchOptionOf(p->control, kLengthSpins, kWidthSpins) : 0) OptSetValue(ctx, id, p->value);
      return 1;
    }
    case kNotifyMergeDevMode: {
      const auto* dm = static_cast<const BYTE*>(param);
      if (dm) {
        OptSetValue(ctx, kOptPaperInchLength,
                    static_cast<int32_t>(OptTenthMmToHundredthInch(ReadDevModeLength(dm, kDevModePaperLengthAt))));
        OptSetValue(ctx, kOptPaperInchWidth,
                    static_cast<int32_t>(OptTenthMmToHundredthInch(ReadDevModeLength(dm, kDevModePaperWidthAt))));
      }
      return 1;
    }
    case kNotifyWriteDevMode: {
      auto* p = static_cast<FmDevModeParam*>(param);
      if (p && p->devMode) {
        const auto inch = [&](WORD id) { return static_cast<uint32_t>(std::max(Value(ctx, id), 0)); };
        WriteDevModeLength(p->devMode, kDevModePaperLengthAt, OptHundredthInchToTenthMm(inch(kOptPaperInchLength)));
        WriteDevModeLength(p->devMode, kDevModePaperWidthAt, OptHundredthInchToTenthMm(inch(kOptPaperInchWidth)));
        p->handled = 1;
      }
      return 1;
    }
    default:
      return 0;
  }
}

// ---- the module's handlers ----------------------------------------------------------------------

// The built-in functions 200-205 belong to the module's dialog side and to the settings
// module's own handler; here no code is handled.
int FmFreeSizeOnBuiltInFunc(DriverContext* ctx, WORD code, void*) {
  if (!ctx) return 0;
  switch (code) {
    case kBfFreePaper:
      BindInputControls(ctx, kPaperSizeInput);
      return 1;
    case kBfFreePrint:
      BindInputControls(ctx, kPrintSizeInput);
      return 1;
    case kBfFreeLength:
      MakeLengthTheLongerSide(ctx);
      return 1;
    case kBfFreeSetPaper:
      OptGetCustomSizeTray(ctx, Value(ctx, kOptPaperSize), 1);
      return 1;
    case kBfFreeSetPrint:
      OptGetCustomSizeTray(ctx, Value(ctx, kOptOutPaperSize), 1);
      return 1;
    case kBfFreeRegister:
      CaptureCurrentSlot(ctx);
      return 1;
    default:
      return 0;
  }
}

int FmFreeSizeOnNotify(DriverContext* ctx, DWORD code, void* param, void*) {
  if (!ctx) return 0;
  switch (code) {
    case kNotifyEditValue:
    case kNotifyTypedAsIs:
    case kNotifyEditValue2:
    case kNotifyTypedConverted:
    case kNotifyChangeApplied:
    case kNotifySpinMoved:
    case kNotifyMergeDevMode:
    case kNotifyWriteDevMode:
    case kNotifyTypedConverted2:
      if (FmIsFreeSizeInchEntry(ctx)) FmFreeSizeInchNotify(ctx, code, param);
      return 1;
    case kNotifyControlRange: {
      auto* p = static_cast<FmControlRangeParam*>(param);
      LONG max = 0, min = 0;
      if (p && FmGetFreeSizeControlRange(ctx, p->control, &max, &min)) {
        p->max = max;
        p->min = min;
        p->found = 1;
      }
      return 1;
    }
    case kNotifyItemTransact:
      OnItemTransact(ctx, static_cast<const FmItemTransactParam*>(param));
      return 1;
    case kNotifyTwoDecimals: {
      auto* p = static_cast<FmControlFlagParam*>(param);
      if (p && Has(kTwoDecimalEdits, p->control)) p->answer = 1;
      return 1;
    }
    default:
      return 0;
  }
}
