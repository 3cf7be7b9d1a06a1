// Feature module 10, extension dialogs: what runs without a window.
#include "device_caps.h"
#include "device_query.h"
#include "device_state.h"
#include "devmode_defaults.h"
#include "dialog_table.h"
#include "feature_modules.h"
#include "fm_modules_1_4.h"
#include "fm_modules_9_10.h"
#include "job_control.h"
#include "model_query.h"
#include "option_access.h"
#include "option_validation.h"
#include "option_values.h"
#include "quality_list.h"

namespace {

constexpr uint16_t kOptCopies = 12;                 // dmCopies
constexpr uint16_t kOptSeparationSheetCycle = 413;  // zdmSeparationSheetCycle
constexpr WORD kItemCopiesBelowCycle = 1491;        // wdmJudgeHookUcf90
constexpr uint16_t kOptCopyProtectChar = 526;       // zdmCopyProtectChar
constexpr uint16_t kOptAuthenticationUserName = 1144;  // wdmAuthenticationUserName
constexpr uint16_t kOptPaperFitType = 613;            // zdmPaperFitType
constexpr WORD kBfReadDeviceVersions = 250;
constexpr WORD kBfCallAlert = 324;
constexpr DWORD kJcItemUserCode = 1;  // the job-control item read after the device's versions

// The adjustment clamps: built-in function code and the option it clamps.
constexpr struct {
  WORD code;
  uint16_t option;
} kAdjustFuncs[] = {
    {329, 704},  // BUILT_IN_FUNC_CORRECT_ADJUSTPOSVER: zdmAjstPosVer
    {330, 705},  // BUILT_IN_FUNC_CORRECT_ADJUSTPOSHOR: zdmAjstPosHor
    {331, 711},  // BUILT_IN_FUNC_CORRECT_CUTPOSADJUST: zdmCutPosAdjst
};

// Ranges of the adjustment options per display unit, ended by option 0. No option has one.
struct AdjustRange {
  uint16_t option;
  int16_t metricMin, metricMax, inchMin, inchMax;
};
constexpr AdjustRange kAdjustRanges[] = {{0, 0, 0, 0, 0}};

// The colour-matching choices a user-quality dialog remembers, in the order of their mark bits.
constexpr uint16_t kRememberedChoices[4] = {kOptColorMatchingMode, kOptColorMatchingText, kOptColorMatchingLine,
                                            kOptColorMatchingImage};

bool IsUserQualityDialog(const DialogDescriptor* dialog) {
  return dialog && (dialog->kindFlags & kDialogUndoOnCancel) != 0;
}

DialogDescriptor* DialogOf(void* param) {
  return param ? static_cast<FmDialogParam*>(param)->dialog : nullptr;
}

}  // namespace

void FmModelDefaultValue(DriverContext* ctx, FmResolutionFallback* event) {
  if (!ctx || !event || !event->row) return;
  const uint16_t setting = event->row->id;
  uint32_t value = MdlGetItemDefault(setting, ctx);
  const ModelItem* item = MdlFindItem(setting, ctx);
  if (item && (item->typeWord & 1) && event->row->labels && event->row->labels->valueTexts)
    value = static_cast<uint32_t>(OptFromUiValue(ctx, event->row, value));
  event->value = static_cast<int32_t>(value);
}

void FmCopiesToSeparationCycle(DriverContext* ctx) {
  if (!ctx) return;
  const int32_t copies = OptGetValue(ctx, kOptCopies, nullptr);
  if (copies > 0) OptSetValue(ctx, kOptSeparationSheetCycle, copies);
}

void FmClampAdjustOption(DriverContext* ctx, uint16_t optionId) {
  if (!ctx) return;
  for (const AdjustRange* range = kAdjustRanges; range->option; ++range) {
    if (range->option != optionId) continue;
    const bool metric = OptIsMetric(ctx) != 0;
    const int32_t low = metric ? range->metricMin : range->inchMin;
    const int32_t high = metric ? range->metricMax : range->inchMax;
    const int32_t value = OptGetValue(ctx, optionId, nullptr);
    if (value < low) OptSetValue(ctx, optionId, low);
    if (value > high) OptSetValue(ctx, optionId, high);
    return;
  }
}

int FmRevertUserQualityDialog(DriverContext* ctx, DialogDescriptor* dialog) {
  if (!ctx || !ctx->workArea || !IsUserQualityDialog(dialog)) return 0;
  const BYTE* memory = ctx->workArea->cmmMemory;
  for (int slot = 0; slot < 4; ++slot)
    if (memory[kCmmMarkByte] & (1u << slot)) OptSetValue(ctx, kRememberedChoices[slot], memory[slot]);
  FmBroadcastNotify(ctx, kFmNotifyChoicesChanged, nullptr);
  const int32_t macro = OptGetUserMacroIndex(ctx);
  if (macro != -1) CfgSaveQuality(ctx, macro);
  FmDialogParam param{dialog};
  FmBroadcastNotify(ctx, kFmNotifySubDialogOk, &param);
  return 1;
}

int FmCommitUserQualityDialog(DriverContext* ctx, DialogDescriptor* dialog) {
  if (!ctx || !ctx->workArea || !IsUserQualityDialog(dialog)) return 0;
  ctx->workArea->cmmMemory[kCmmMarkByte] = 0;
  return 1;
}

int FmExtOnBuiltInFunc(DriverContext* ctx, WORD code, void*) {
  if (!ctx) return 0;
  if (code == kBfReadDeviceVersions) {
    BidiReadDeviceVersions(ctx, nullptr);
    JcReadItems(ctx, kJcItemUserCode);
    return 1;
  }
#if ZOLT_WINDOW_BUILD
  if (code == kBfCallAlert) return FdCheckLastCommandAlert(ctx);
#endif
  if (code == kBfCopiesToSeparationCycle) {
    FmCopiesToSeparationCycle(ctx);
    return 1;
  }
  for (const auto& func : kAdjustFuncs)
    if (func.code == code) {
      FmClampAdjustOption(ctx, func.option);
      return 1;
    }
  return 0;
}

int FmExtOnNotify(DriverContext* ctx, DWORD code, void* param, void*) {
  // The device-configuration query asks whether the per-tray details are wanted: they are.
  if (code == kFmNotifyDeviceTraysRead) {
    if (param) *static_cast<DWORD*>(param) = 1;
    return 1;
  }
  if (code == kFmNotifySubDialogCancelled) return FmRevertUserQualityDialog(ctx, DialogOf(param));
  if (!ctx) return 0;
#if ZOLT_WINDOW_BUILD
  if (code == kFmNotifyHiddenFunction || code == kFmNotifyControlMarks || code == kFmNotifyComboChanged)
    return FdExtWindowNotify(ctx, code, param);
#endif
  switch (code) {
    case kFmNotifyNoDeviceState:
      if (param) {
        auto* event = static_cast<BidiNoStateEvent*>(param);
        event->answer = static_cast<DWORD>(BidiUpdateFromDevice(ctx, event->parent));
      }
      return 1;
    case kFmNotifyListAllResolutions:
      if (param) *static_cast<DWORD*>(param) = 0;
      return 1;
    case kFmNotifyResolutionFallback:
      if (param) FmModelDefaultValue(ctx, static_cast<FmResolutionFallback*>(param));
      return 1;
    case kFmNotifyRegionalPaper:
      if (param) {
        const int32_t fit = OptGetValue(ctx, kOptPaperFitType, nullptr);
        *static_cast<DWORD*>(param) = fit == 2 || fit == 4 ? 1 : 2;
      }
      return 1;
    default:
      break;
  }
  if (code == kFmNotifySubDialogOk) return FmCommitUserQualityDialog(ctx, DialogOf(param));
  return 0;
}

// Item 1491: fewer copies than the separation-sheet cycle (both signed 16-bit). Other items 0.
DWORD FmGetExtComputedItem(DriverContext* ctx, WORD item) {
  if (item != kItemCopiesBelowCycle) return 0;
  const auto copies = static_cast<int16_t>(OptGetValue(ctx, kOptCopies, nullptr));
  const auto cycle = static_cast<int16_t>(OptGetValue(ctx, kOptSeparationSheetCycle, nullptr));
  return copies < cycle ? 1 : 0;
}

int FmIsEmptyTextAllowedOption(uint16_t id) {
  return id == kOptCopyProtectChar || id == kOptAuthenticationUserName ? 1 : 0;
}
