// From a changed control value to the model's rules: the value is stored, the item's Alert rules
// are evaluated and their message shown, and the change is either kept (the item's Transact and
// the control's built-in function run) or refused and the old value put back. Beside it the
// stepping of a picture through its item's values.
#include <vector>

#include "env_language.h"
#include "feature_modules.h"
#include "model_query.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_values.h"
#include "preset_list.h"
#include "settings_paths.h"
#include "sheet_engine.h"
#include "undo_images.h"

namespace {

constexpr uint16_t kOptPresetNo = 37;     // zdmPresetNo
constexpr uint16_t kOptPrnMethod = 209;   // zdmPrnMethod
constexpr int32_t kFirstPreset = 119;     // zdmPresetNo of preset entry 0
constexpr int kPresetEntries = 16;
constexpr uint16_t kPresetList = 2001;    // the preset icon list of page 1001
constexpr int kCaptionChars = 260;
constexpr int kTextChars = 1025;
constexpr uint32_t kSubDialogMask = kDialogModal;
constexpr int kDialogCancelled = 2;

// Notify codes of the feature modules sent from here, with their records.
constexpr DWORD kNotifyChangeRefused = 42;
constexpr DWORD kNotifyTransact = 47;
struct ControlNotice {
  DialogDescriptor* dialog;
  ControlDescriptor* control;
};
struct TransactNotice {
  DialogDescriptor* dialog;
  const ModelItem* item;
};

// The message texts whose Alerts only run their action while the print method allows it.
constexpr uint16_t kMessageNormalPrint1 = 10011;
constexpr uint16_t kMessageNormalPrint2 = 10012;
constexpr uint16_t kMessageLockedPrint = 12061;
constexpr int32_t kPrnMethodNormal = 56;
constexpr int32_t kPrnMethodLocked = 13360;

bool IsPresetIndex(int32_t presetNo) { return presetNo - kFirstPreset >= 0 && presetNo - kFirstPreset < kPresetEntries; }

// The preset selected meanwhile (by a rule's action) is loaded, its list selects it and the
// dialog shows it.
void ReloadSelectedPreset(DriverContext* ctx, DialogDescriptor* dialog) {
  const int32_t presetNo = OptGetValue(ctx, kOptPresetNo, nullptr);
  CfgLoadPreset(ctx, presetNo - kFirstPreset);
  OptSetValue(ctx, kOptPresetNo, presetNo);
  ControlDescriptor* list = OptFindControl(ctx, dialog, kPresetList);
  if (!list) return;
  if (list->window && IsPresetIndex(presetNo))
    SendMessageW(list->window, LB_SETCURSEL, WPARAM(presetNo - kFirstPreset), 0);
  UiRefreshDialog(ctx, dialog, 1);
}

// 1 when the Alert is only a notice of the print method: its action runs, the value stays.
bool IsPrintMethodNotice(DriverContext* ctx, const AlertRow* alert) {
  const MessageEntry* message = OptFindMessage(ctx, alert->messageId);
  if (!message) return false;
  const int32_t method = OptGetUiValue(ctx, kOptPrnMethod, nullptr);
  if ((method == kPrnMethodNormal || method == 0) &&
      (message->stringId == kMessageNormalPrint1 || message->stringId == kMessageNormalPrint2))
    return true;
  return method == kPrnMethodLocked && message->stringId == kMessageLockedPrint;
}

bool IsAccepted(const AlertRow* alert, int answer) {
  const UINT buttons = alert->buttons & MB_TYPEMASK;
  if (buttons == MB_OKCANCEL) return answer == IDOK;
  return buttons == MB_OK && (alert->icon & MB_ICONMASK) == MB_ICONINFORMATION;
}

// The sub-dialog a rule names, run under the rule-dialog guard of the item.
void RunRuleDialog(DriverContext* ctx, DialogDescriptor* dialog, const ModelItem* item, uint16_t dialogId) {
  if (SheetEngineState* state = UiSheetState(ctx)) {
    state->ruleGuardActive = 1;
    state->ruleGuardItem = item;
  }
  if (UiRunSubDialog(ctx, kSubDialogMask, dialogId, dialog->window) == kDialogCancelled)
    UiRefreshDialog(ctx, dialog, 1);
}

}  // namespace

int UiShowRuleMessage(DriverContext* ctx, const AlertRow* alert, HWND owner) {
  if (!ctx || !alert) return 0;
  const MessageEntry* message = OptFindMessage(ctx, alert->messageId);
  if (!message) return 0;
  WCHAR caption[kCaptionChars] = {};
  if (message->captionStringId == 0 || EnvLoadString(ctx, message->captionStringId, caption, kCaptionChars, 1) <= 0) {
    const WCHAR* printer = PrnGetName(ctx);
    lstrcpynW(caption, printer ? printer : u"", kCaptionChars);
  }
  std::vector<WCHAR> text(kTextChars, 0);
  if (EnvLoadString(ctx, message->stringId, text.data(), kTextChars, 1) <= 0) text[0] = 0;
  if (owner) PostMessageW(owner, WM_PAINT, 0, 0);
  return MessageBoxW(owner, text.data(), caption, UINT(alert->buttons) | UINT(alert->icon));
}

int UiSetControlValue(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, uint32_t uiValue) {
  return UiApplyControlChange(ctx, dialog, control, uiValue, 1);
}

int UiApplyControlChange(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, uint32_t uiValue,
                         int set) {
  if (!ctx || !dialog || !control) return 0;
  UiRemoveHoverTip(ctx);
  int32_t old = 0;
  if (set == 1) {
    old = OptGetControlValue(ctx, control);
    OptSetControlValue(ctx, control, uiValue);
  }
  const ModelItem* item = control->modelItem;
  if (!item) return 0;
  const int32_t presetBefore = OptGetValue(ctx, kOptPresetNo, nullptr);
  SheetEngineState* state = UiSheetState(ctx);
  const bool applying = state && state->applying;
  OptionRowStates* saved = applying ? OptSaveRowStates(ctx) : nullptr;
  const uint16_t alertMessage = MdlGetAlertMessage(item, ctx);
  const AlertRow* alert = alertMessage ? MdlFindActiveAlert(MdlItemAlerts(item, ctx), ctx) : nullptr;
  if (applying) OptRestoreRowStates(ctx, saved);

  if (alertMessage == 0) {
    UiRunItemTransact(ctx, dialog, item, control->builtInFunc);
  } else {
    if (!alert) return 0;
    int answer;
    if (control->kind == 63) {
      // A numeric edit keeps the focus while the user types: its message comes afterwards.
      PostMessageW(dialog->window, kRuleAlertMessage, control->controlId, reinterpret_cast<LPARAM>(alert));
      answer = IDOK;
    } else {
      answer = UiShowRuleMessage(ctx, alert, dialog->window);
    }
    if (IsPrintMethodNotice(ctx, alert)) {
      MdlRunAlertAction(alert, item->nameIndex, ctx);
      return 0;
    }
    if (IsAccepted(alert, answer)) {
      MdlRunAlertAction(alert, item->nameIndex, ctx);
    } else {
      if (set == 1) OptSetControlValue(ctx, control, uint32_t(old));
      MdlRunAlertAction(alert, item->nameIndex, ctx);
      ControlNotice notice{dialog, control};
      FmBroadcastNotify(ctx, kNotifyChangeRefused, &notice);
      ControlDescriptor* refocus = control;
      if (OptGetValue(ctx, kOptPresetNo, nullptr) != presetBefore) {
        ReloadSelectedPreset(ctx, dialog);
        refocus = OptFindControl(ctx, dialog, kPresetList);
      }
      FmDispatchDialogMessage(ctx, dialog, refocus, kPresetRefocusMessage, alert->messageId, 0);
      return 1;
    }
  }
  if (OptGetValue(ctx, kOptPresetNo, nullptr) != presetBefore) ReloadSelectedPreset(ctx, dialog);
  return 0;
}

int UiCheckItemAlert(DriverContext* ctx, DialogDescriptor* dialog, const ModelItem* item) {
  if (!ctx || !dialog || !item || !item->exclusive) return 0;
  if (MdlGetAlertMessage(item, ctx) == 0) return 0;
  const uint32_t alerts = MdlItemAlerts(item, ctx);
  if (!alerts) return 0;
  const AlertRow* alert = MdlFindActiveAlert(alerts, ctx);
  if (!alert) return 0;
  const int answer = UiShowRuleMessage(ctx, alert, dialog->window);
  if (const uint16_t dialogId = MdlRunAlertAction(alert, item->nameIndex, ctx))
    RunRuleDialog(ctx, dialog, item, dialogId);
  return answer;
}

int UiRunItemTransact(DriverContext* ctx, DialogDescriptor* dialog, const ModelItem* item, uint16_t code) {
  if (!ctx || !item) return 0;
  const SheetEngineState* state = UiSheetState(ctx);
  if (state && state->ruleGuardActive && state->ruleGuardItem == item) return 0;
  TransactNotice notice{dialog, item};
  FmBroadcastNotify(ctx, kNotifyTransact, &notice);
  const uint16_t dialogId = MdlRunItemTransact(item, ctx);
  UiRunBuiltInFunc(ctx, code);
  if (!dialogId || !dialog) return 0;
  RunRuleDialog(ctx, dialog, item, dialogId);
  return 1;
}

int UiStepToNextValue(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control, UINT, WPARAM, LPARAM) {
  if (!ctx || !control || !control->modelItem || !control->option || !ctx->modelImage) return 0;
  const ModelItem* item = control->modelItem;
  const ModelImage* image = ctx->modelImage;
  struct Value {
    uint16_t id;
    bool hasRows;
  };
  std::vector<Value> values;
  int limit = MdlCountList(image, item->values);
  for (const ModelValue* v = MdlImageAt<ModelValue>(image, item->values); v && limit-- > 0;
       v = MdlNextItemValue(image, item, v)) {
    const ItemRuleRow* rows = nullptr;
    const uint16_t id = UiGetItemValueId(ctx, item, v, &rows);
    values.push_back({id, rows != nullptr});
  }
  const int32_t current = OptGetControlValue(ctx, control);
  size_t at = values.size();
  for (size_t i = 0; i < values.size(); ++i)
    if (values[i].id == uint16_t(current)) {
      at = i;
      break;
    }
  if (at == values.size()) return 0;
  for (size_t step = 1; step < values.size(); ++step) {
    const Value& next = values[(at + step) % values.size()];
    if (next.id == 0) continue;
    if (next.hasRows && MdlIsDisabled(item, next.id, ctx)) continue;
    OptWriteUiValue(ctx, control->option, next.id);
    return 1;
  }
  return 0;
}
