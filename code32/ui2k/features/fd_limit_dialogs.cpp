// The administrator limitations dialogs: the limitation dialog of printer properties, where an
// administrator chooses what is locked.
#include "fd_limit.h"

#include "context_services.h"
#include "env_language.h"
#include "fd_services.h"
#include "fd_summary.h"
#include "fm_modules_9_10.h"
#include "ini_file.h"
#include "model_query.h"
#include "option_access.h"
#include "option_values.h"
#include "preset_list.h"
#include "settings_paths.h"
#include "sheet_engine.h"

namespace {

// Controls of the limitation dialog.
enum : uint16_t {
  kCheckResolution = 3147,
  kCheckNupKindAll = 3151,
  kButtonDefault = 3158,
  kTextTray = 3142,
  kTextPrintType = 3144,
  kTextMedia = 3146,
  kTextNup = 3150,
  kTextColor = 3154,
};

// Options the dialog reads and writes.
enum : uint16_t {
  kOptDefaultSource = 13,          // dmDefaultSource
  kOptDmColor = 15,                // dmColor
  kOptPresetNo = 37,               // zdmPresetNo
  kOptMediaType = 54,              // zdmMediaType
  kOptNupPostKind = 91,            // zdmNUPPOSTKind
  kOptPrnMethod = 209,             // zdmPrnMethod
  kOptLockResolutionBoth = 10442,  // zdmLockDstResolutionBoth
};

constexpr WORD kFeatureLimitations = 2;  // the administrator's locks are offered
constexpr uint16_t kLimitationDialog = 4031;
constexpr uint16_t kLimitationStatusDialog = 4032;
constexpr uint16_t kLimitationStatusText = 3164;  // read-only text of the status dialog
constexpr WORD kMsgConfirmLocks = 12034;
constexpr uint16_t kLayoutPage = 1003;
constexpr uint16_t kLayoutKindControl = 2083;
constexpr int32_t kFirstPresetValue = 119;  // value id of preset 0
constexpr int kTextChars = 1025;

void SetText(DialogDescriptor* dialog, uint16_t controlId, const WCHAR* text) {
  if (dialog && dialog->window) SetDlgItemTextW(dialog->window, controlId, text);
}

// The resource string of a stored value of an option, shown as the option's value id.
void ShowValueOf(DriverContext* ctx, DialogDescriptor* dialog, uint16_t controlId, uint16_t valueOption,
                 uint16_t shownAs) {
  WCHAR text[kTextChars] = {};
  if (OptionEntry* row = OptFind(ctx, shownAs)) {
    const int32_t valueId = OptToUiValue(ctx, row, OptGetValue(ctx, valueOption, nullptr));
    if (valueId <= 0 || EnvLoadString(ctx, static_cast<DWORD>(valueId), text, kTextChars, 1) <= 0) text[0] = u'\0';
  }
  SetText(dialog, controlId, text);
}

// The layout-kind control of the layout page: the one bound to zdmNUPPOSTKind, else its usual id.
ControlDescriptor* LayoutKindControl(DriverContext* ctx) {
  DialogDescriptor* page = OptFindDialog(ctx, kLayoutPage);
  if (!page) return nullptr;
  for (int i = 0; page->controls && i < page->controlCount; ++i)
    if (page->controls[i].option && page->controls[i].option->id == kOptNupPostKind) return &page->controls[i];
  return OptFindControl(ctx, page, kLayoutKindControl);
}

bool IsChecked(DialogDescriptor* dialog, uint16_t controlId) {
  return dialog && dialog->window && IsDlgButtonChecked(dialog->window, controlId) == BST_CHECKED;
}

}  // namespace

void FdShowNupLockText(DriverContext* ctx, DialogDescriptor* dialog) {
  if (!ctx || !ctx->modelImage) return;
  WCHAR text[kTextChars] = {};
  if (OptGetValue(ctx, kOptLockNupKindAll, nullptr) == 0) {
    ShowValueOf(ctx, dialog, kTextNup, kOptLockInfoNupKind, kOptNupPostKind);
    return;
  }
  // Every layout kind the model offers, one per line.
  ControlDescriptor* control = LayoutKindControl(ctx);
  const ModelItem* item = control ? control->modelItem : nullptr;
  const ModelImage* image = ctx->modelImage;
  if (item) {
    int limit = MdlCountList(image, item->values);
    int used = 0;
    for (const ModelValue* v = MdlImageAt<ModelValue>(image, item->values); v && limit-- > 0;
         v = MdlNextItemValue(image, item, v)) {
      const ItemRuleRow* rows = nullptr;
      const uint16_t valueId = UiGetItemValueId(ctx, item, v, &rows);
      if (valueId == 0) break;
      if (rows && MdlIsDisabled(item, valueId, ctx)) continue;
      WCHAR one[kTextChars] = {};
      if (EnvLoadString(ctx, valueId, one, kTextChars, 1) <= 0) continue;
      const int length = lstrlenW(one);
      // Whole lines only: a line that does not fit ends the list.
      if (used + (used ? 2 : 0) + length >= kTextChars) break;
      if (used) {
        text[used++] = u'\r';
        text[used++] = u'\n';
      }
      lstrcpynW(text + used, one, kTextChars - used);
      used += length;
    }
  }
  SetText(dialog, kTextNup, text);
}

void FdShowLockedValues(DialogDescriptor* dialog, DriverContext* ctx) {
  if (!ctx) return;
  ShowValueOf(ctx, dialog, kTextTray, kOptLockInfoTray, kOptDefaultSource);
  ShowValueOf(ctx, dialog, kTextMedia, kOptLockInfoMedia, kOptMediaType);
  FdShowNupLockText(ctx, dialog);
  ShowValueOf(ctx, dialog, kTextPrintType, kOptLockInfoPrintType, kOptPrnMethod);
  ShowValueOf(ctx, dialog, kTextColor, kOptLockInfoColor, kOptDmColor);
}

void FdCopyPresetToLock(DriverContext* ctx) {
  if (!ctx) return;
  OptionEntry* nameRow = OptFind(ctx, kOptPresetName);
  OptionEntry* commentRow = OptFind(ctx, kOptPresetComment);
  const int index = OptGetUiValue(ctx, kOptPresetNo, nullptr) - kFirstPresetValue;
  WCHAR name[kTextChars] = {}, comment[kTextChars] = {};
  const WCHAR* settings = PathGetSettingsIni(ctx);
  const WCHAR* section = CfgPrinterSection(ctx);
  if (index >= 0 && index < kPresetEntries && settings && section) {
    WCHAR key[kPresetKeyChars];
    if (CfgPresetKey(key, index, 1) > 0) IniReadString(section, key, u"", name, kTextChars, settings);
    if (CfgPresetKey(key, index, 2) > 0) IniReadString(section, key, u"", comment, kTextChars, settings);
  }
  if (nameRow) OptSetStringValue(ctx, nameRow, name);
  if (commentRow) OptSetStringValue(ctx, commentRow, comment);
}

int FdLimitationDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                           WPARAM wParam, LPARAM lParam) {
  if (!ctx || !dialog) return 0;
  if (!control) {
    if (message == WM_INITDIALOG) {
      FdShowLockedValues(dialog, ctx);
      FdCopyPresetToLock(ctx);
      return 0;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
      // The administrator confirms: Cancel in the box keeps the dialog open.
      if (FdAskWarningOkCancel(ctx, dialog->window, kMsgConfirmLocks) != kFdIdOk) return 1;
      OptSetValue(ctx, kOptLockInfoResolution, OptGetValue(ctx, kOptLockResolutionBoth, nullptr));
      if (SheetEngineState* state = UiSheetState(ctx)) state->lockWriteRequest = 1;
      return 0;
    }
    return 0;
  }
  if (message != WM_COMMAND || control->controlId != LOWORD(wParam)) return 0;
  switch (control->controlId) {
    case kCheckResolution:
      UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
      OptSetValue(ctx, kOptLockResolution, IsChecked(dialog, kCheckResolution) ? 1 : 0);
      return 1;
    case kCheckNupKindAll: {
      const int32_t old = OptGetValue(ctx, kOptLockNupKindAll, nullptr);
      const bool checked = IsChecked(dialog, kCheckNupKindAll);
      if (checked == (old != 0)) return 0;
      UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
      OptSetValue(ctx, kOptLockNupKindAll, old ? 0 : 1);
      FdShowNupLockText(ctx, dialog);
      UiRefreshDialog(ctx, dialog, 0);
      return 1;
    }
    case kButtonDefault:
      UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
      FdShowNupLockText(ctx, dialog);
      UiRefreshDialog(ctx, dialog, 0);
      return 1;
    default:
      return 0;
  }
}

int FmLimitOnDialog(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                    WPARAM wParam, LPARAM lParam, void*) {
  if (!ctx || !dialog) return 0;
  if (dialog->dialogId == kLimitationDialog)
    return FmIsFeatureEnabled(ctx, kFeatureLimitations, 0)
               ? FdLimitationDialogProc(ctx, dialog, control, message, wParam, lParam)
               : 0;
  if (dialog->dialogId == kLimitationStatusDialog && control && control->controlId == kLimitationStatusText &&
      message == WM_PAINT)
    FdUpdateSummaryText(ctx, dialog, control);
  return 0;
}
