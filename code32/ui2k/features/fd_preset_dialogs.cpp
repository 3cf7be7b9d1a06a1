// The preset dialogs: the selectors on the pages, the preset page's icon list and its menu, the
// save dialog, and the grey state of the maintenance dialog's buttons.
#include <string>

#include "env_language.h"
#include "fd_presets.h"
#include "fd_services.h"
#include "ini_file.h"
#include "model_query.h"
#include "option_access.h"
#include "option_context_words.h"
#include "preset_list.h"
#include "print_notification.h"
#include "settings_paths.h"
#include "sheet_engine.h"
#include "stamp_list.h"

namespace {

using Text = std::u16string;

constexpr uint16_t kOptPresetNo = 37;  // zdmPresetNo
constexpr int kFirstPresetValue = 119;
constexpr int kNoPresetValue = 118;
constexpr int kListLimit = 16;
constexpr int kNameChars = 260;
constexpr int kValueChars = 1025;

enum : uint16_t {
  kPresetPage = 1001,
  kMaintenance = 1007,
  kSaveDialog = 1032,
  kIconList = 2001,
  kPresetPageMaintenance = 2002,
  kChangeButton = 2003,
  kDefaultButton = 2034,
  kUtilityButton = 3010,
  kList = 2139,
  kButtonDelete = 2140,
  kButtonLoad = 2142,
  kButtonMoveBack = 2143,
  kButtonMoveNext = 2144,
  kButtonSave = 2705,
  kSaveName = 2452,
  kEditPage = 1003,
  kEditPageName = 2389,
  kMenuPreset = 20001,
};
constexpr WORD kStringNamePrefix = 564;
constexpr WORD kWarnDuplicateName = 10052;
constexpr WORD kWarnListFull = 10049;
constexpr WORD kWarnReadOnly = 10024;
constexpr WORD kAskOverwrite = 10032;
constexpr uint32_t kPendingDeferredTransact = 0x20000000u;

struct PageControls {
  uint16_t dialogId, combo, nameEdit, maintenance;
};
constexpr PageControls kPages[] = {
    {1002, 2036, 2388, 2037}, {1003, 2078, 2389, 2079}, {1004, 2095, 2390, 2096}, {4016, 2921, 2924, 2922},
    {4030, 3112, 3113, 3114}, {1005, 2109, 2391, 2114}, {1042, 2713, 2733, 2714}, {4036, 3362, 3365, 3363},
    {1001, 0, 2408, kPresetPageMaintenance}, {1032, 0, kSaveName, 0},
};

const PageControls* PageOf(const DialogDescriptor* dialog) {
  for (const PageControls& p : kPages)
    if (dialog && p.dialogId == dialog->dialogId) return &p;
  return nullptr;
}

int PresetNo(DriverContext* ctx) { return OptGetValue(ctx, kOptPresetNo, nullptr); }
void SetPresetNo(DriverContext* ctx, int value) { OptSetValue(ctx, kOptPresetNo, value); }

// The change of the preset page's icon list (the rules of its item), wherever the list is.
void ApplyIconList(DriverContext* ctx) {
  DialogDescriptor* page = OptFindDialog(ctx, kPresetPage);
  if (ControlDescriptor* list = OptFindControl(ctx, page, kIconList)) UiApplyControlChange(ctx, page, list, 0, 0);
}

bool Greyed(HWND page, int id) {
  HWND button = GetDlgItem(page, id);
  return !button || !IsWindowEnabled(button);
}

void Warn(DriverContext* ctx, HWND owner, WORD id) { FdShowWarning(ctx, owner, id); }

// ---- the page selectors -------------------------------------------------------------------------

int FillCombo(DriverContext* ctx, ControlDescriptor* control) {
  if (!control->option || !control->window) return 0;
  SendMessageW(control->window, CB_RESETCONTENT, 0, 0);
  const int count = CfgGetPresetCount(ctx);
  auto add = [&](uint16_t valueId) {
    WCHAR key[kPresetKeyChars] = {};
    CfgPresetKey(key, valueId - kFirstPresetValue, kPresetKeyName);
    WCHAR name[kValueChars] = {};
    if (PrnGetName(ctx)) IniReadString(PrnGetName(ctx), key, u"", name, kValueChars - 1, PathGetSettingsIni(ctx));
    const LRESULT at = SendMessageW(control->window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    if (at >= 0) SendMessageW(control->window, CB_SETITEMDATA, static_cast<WPARAM>(at), valueId);
  };
  const ModelItem* item = control->modelItem;
  if (item && item->values) {
    const ModelImage* image = ctx->modelImage;
    int limit = MdlCountList(image, item->values);
    for (const ModelValue* v = MdlImageAt<ModelValue>(image, item->values);
         v && limit-- > 0 && SendMessageW(control->window, CB_GETCOUNT, 0, 0) < count; v = MdlNextItemValue(image, item, v)) {
      const ItemRuleRow* rows = nullptr;
      const uint16_t valueId = UiGetItemValueId(ctx, item, v, &rows);
      if (valueId >= kFirstPresetValue && valueId < kFirstPresetValue + kListLimit) add(valueId);
    }
  } else {
    // A model without the item: every entry of the list.
    for (int k = 0; k < count && k < kListLimit; ++k) add(static_cast<uint16_t>(kFirstPresetValue + k));
  }
  const int selected = PresetNo(ctx) - kFirstPresetValue;
  if (selected >= 0) SendMessageW(control->window, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  return 1;
}

int ComboCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  const LRESULT k = SendMessageW(control->window, CB_GETCURSEL, 0, 0);
  if (k < 0 || k >= kListLimit) return 1;
  const auto data = static_cast<int32_t>(SendMessageW(control->window, CB_GETITEMDATA, static_cast<WPARAM>(k), 0));
  if (data == OptGetControlValue(ctx, control)) return 1;
  CfgPresetValueCache(ctx, nullptr, kPresetCacheFree);
  CfgLoadPreset(ctx, static_cast<int>(k));
  OptSetControlValue(ctx, control, static_cast<uint32_t>(data));
  ApplyIconList(ctx);
  UiRefreshPresetSelectors(ctx);
  UiRefreshDialog(ctx, dialog, 1);
  if (HWND sheet = GetParent(dialog->window))
    SendMessageW(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(dialog->window), 0);
  return 1;
}

// The maintenance button of a page: the maintenance dialog on the selected preset, then the page
// on the entry the dialog left selected.
int MaintenanceButton(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                      LPARAM lParam) {
  const int v = PresetNo(ctx);
  DialogDescriptor* maintenance = OptFindDialog(ctx, kMaintenance);
  ControlDescriptor* list = OptFindControl(ctx, maintenance, kList);
  if (list) OptSetControlValue(ctx, list, static_cast<uint32_t>(v));
  CfgLoadPreset(ctx, v - kFirstPresetValue);
  ApplyIconList(ctx);
  if (control->modelItem)
    UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
  else
    UiRunSubDialog(ctx, kDialogModal, kMaintenance, dialog->window);
  FdRestoreSavedConfigValues(ctx);
  int k = list ? OptGetControlValue(ctx, list) - kFirstPresetValue : 0;
  if (k < 0 || k >= CfgGetPresetCount(ctx)) {
    k = 0;
    SetPresetNo(ctx, kFirstPresetValue);
  }
  CfgLoadPreset(ctx, k);
  SetPresetNo(ctx, k + kFirstPresetValue);
  ApplyIconList(ctx);
  UiRefreshPresetSelectors(ctx);
  UiRefreshDialog(ctx, dialog, 1);
  return 1;
}

// ---- the save dialog ----------------------------------------------------------------------------

void FdProposePresetName(DriverContext* ctx) {
  WCHAR name[kNameChars] = {};
  OptGetControlText(ctx, kEditPageName, name, kNameChars);
  WCHAR prefix[kNameChars] = {};
  if (EnvLoadString(ctx, kStringNamePrefix, prefix, kNameChars, 1) <= 0) prefix[0] = 0;
  const Text proposed = Text(prefix) + name;
  if (FdFindPresetByName(ctx, name, PresetNo(ctx) - kFirstPresetValue) >= 0)
    OptSetControlText(ctx, kSaveName, proposed.c_str());
}

// IDOK of the save dialog: 0 accepts (the engine closes it and stores the preset), 1 keeps it.
int SaveDialogOk(DriverContext* ctx, DialogDescriptor* dialog) {
  WCHAR name[kNameChars] = {};
  OptGetStringValue(ctx, OptFind(ctx, kOptPresetName), name, kNameChars);
  const int selected = PresetNo(ctx) - kFirstPresetValue;
  int k = FdFindPresetByName(ctx, name, selected);
  WORD warning = 0;
  if (PresetNo(ctx) > kNoPresetValue) {
    if (k < 0)
      k = selected;
    else if (k != selected)
      warning = kWarnDuplicateName;
  }
  if (!warning && CfgGetPresetCount(ctx) >= kListLimit && k < 0) warning = kWarnListFull;
  if (!warning && k >= 0 && (k == 0 || !CfgIsPresetEntryWritable(ctx, k))) warning = kWarnReadOnly;
  bool stay = warning != 0;
  if (warning) {
    Warn(ctx, dialog->window, warning);
  } else if (k >= 1 && PresetNo(ctx) == kNoPresetValue) {
    stay = FdShowMessage(ctx, dialog->window, kAskOverwrite, MB_YESNO) != IDYES;
  }
  if (stay) {
    if (HWND edit = GetDlgItem(dialog->window, kSaveName)) SetFocus(edit);
    return 1;
  }
  SetPresetNo(ctx, k >= 0 ? k + kFirstPresetValue : kNoPresetValue);
  return 0;
}

int SaveDialog(DriverContext* ctx, DialogDescriptor* dialog, UINT msg, WPARAM wParam) {
  if (CtxGetPendingFlags(ctx) & kPendingSaveAsNewRunning) {
    SetPresetNo(ctx, kNoPresetValue);
    CtxClearPendingFlags(ctx, kPendingSaveAsNewRunning);
  }
  if (msg == WM_INITDIALOG) {
    FdProposePresetName(ctx);
    return 0;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) return SaveDialogOk(ctx, dialog);
  return 0;
}

// ---- the preset page ----------------------------------------------------------------------------

int IconListMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                    WPARAM wParam, LPARAM lParam) {
  HWND page = dialog->window;
  if (msg == WM_COMMAND) {
    if (LOWORD(wParam) == 20002) PostMessageW(page, WM_COMMAND, kChangeButton, 0);
    if (LOWORD(wParam) == 20003) PostMessageW(page, WM_COMMAND, kPresetPageMaintenance, 0);
    return 0;
  }
  if (msg == WM_LBUTTONDBLCLK) {
    if (GetDlgItem(page, kChangeButton) && !Greyed(page, kChangeButton))
      PostMessageW(page, WM_COMMAND, kChangeButton, 0);
    return 0;
  }
  if (msg == WM_RBUTTONDOWN && control->window && IsWindowEnabled(control->window)) {
    SendMessageW(control->window, WM_LBUTTONDOWN, MK_LBUTTON, lParam);
    SendMessageW(control->window, WM_LBUTTONUP, 0, lParam);
    HMENU menu = LoadMenuW(ctx->resourceLibrary, MAKEINTRESOURCEW(kMenuPreset));
    if (!menu) return 0;
    HMENU popup = GetSubMenu(menu, 0);
    if (popup) {
      if (Greyed(page, kPresetPageMaintenance)) EnableMenuItem(popup, 0, MF_BYPOSITION | MF_GRAYED);
      if (Greyed(page, kChangeButton)) EnableMenuItem(popup, 1, MF_BYPOSITION | MF_GRAYED);
      POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ClientToScreen(control->window, &at);
      TrackPopupMenu(popup, TPM_LEFTBUTTON, at.x, at.y, 0, page, nullptr);
    }
    DestroyMenu(menu);
  }
  return 0;
}

// The nested sheet of the change button was cancelled: the watermark choice is put back on a
// stamp that still exists.
void RepairWatermarkChoice(DriverContext* ctx) {
  constexpr uint16_t kOptWatermarkOn = 60, kOptWmId = 118, kOptWmKind = 117;
  const int id = OptGetValue(ctx, kOptWmId, nullptr);
  const int kind = OptGetValue(ctx, kOptWmKind, nullptr);
  if (OptGetValue(ctx, kOptWatermarkOn, nullptr) && id >= 0 && id < CfgGetStampCount(ctx) && kind >= 1 && kind <= 3) {
    CfgLoadStamp(ctx, id);
    OptSetValue(ctx, kOptWmId, id);
  } else {
    OptSetValue(ctx, kOptWatermarkOn, 0);
    OptSetValue(ctx, kOptWmId, 0);
  }
}

int ChangeButton(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  const int count = CfgGetPresetCount(ctx);
  const int selected = PresetNo(ctx) - kFirstPresetValue;
  if (CfgIsPresetEntryWritable(ctx, selected))
    CtxAddPendingFlags(ctx, count >= kListLimit ? kPendingOverwriteButton
                                                : kPendingSaveAsNewButton | kPendingOverwriteButton);
  else
    CtxAddPendingFlags(ctx, kPendingSaveAsNewButton);
  if (PresetNo(ctx) == kNoPresetValue) {
    if (ControlDescriptor* list = OptFindControl(ctx, dialog, kIconList))
      UiRunItemTransact(ctx, dialog, list->modelItem, list->builtInFunc);
  }
  UiRunSubDialog(ctx, kDialogFirstPages, kEditPage, dialog->window);
  if (!ctx->workArea->subDialogResult) RepairWatermarkChoice(ctx);
  if (CfgGetPresetCount(ctx) == count + 1) {
    CfgLoadPreset(ctx, count);
    SetPresetNo(ctx, count + kFirstPresetValue);
    ApplyIconList(ctx);
  }
  if (control->window) InvalidateRect(control->window, nullptr, TRUE);
  if (ControlDescriptor* list = OptFindControl(ctx, dialog, kIconList); list && list->window)
    InvalidateRect(list->window, nullptr, TRUE);
  return 1;
}

int PresetPage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM wParam) {
  if (!control) {
    const uint32_t pending = CtxGetPendingFlags(ctx);
    if (pending & kPendingDeferredTransact) {
      CtxClearPendingFlags(ctx, kPendingDeferredTransact);
      const auto id = static_cast<uint16_t>(pending & 0xFFFF);
      for (int d = 0; ctx->dialogTable && d < ctx->dialogTable->count; ++d) {
        DialogDescriptor* any = &ctx->dialogTable->rows[d];
        if (ControlDescriptor* c = OptFindControl(ctx, any, id)) {
          UiRunItemTransact(ctx, any, c->modelItem, c->builtInFunc);
          break;
        }
      }
    }
    return 0;
  }
  if (msg != WM_COMMAND || LOWORD(wParam) != control->controlId) return 0;
  switch (control->controlId) {
    case kDefaultButton:
      CfgLoadPreset(ctx, 0);
      SetPresetNo(ctx, kFirstPresetValue);
      ApplyIconList(ctx);
      UiRefreshPresetSelectors(ctx);
      UiRefreshDialog(ctx, dialog, 1);
      return 0;
    case kChangeButton:
      return ChangeButton(ctx, dialog, control);
    case kUtilityButton:
      BidiReadPrintNotification(ctx, 1);
      UiDispatchControlCommand(ctx, dialog, control, wParam, 0);
      return 1;
    default:
      return 0;
  }
}

const uint16_t kRefocus[][2] = {{1002, 2388}, {1003, 2389}, {1004, 2390}, {1005, 2391}, {1032, kSaveName},
                                {1042, 2733}, {4016, 2924}, {4030, 3113}, {4036, 3365}};

}  // namespace

int FmPresetOnDialog(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg, WPARAM wParam,
                     LPARAM lParam, void*) {
  if (!ctx) return 0;
  if (msg == kPresetRefocusMessage && dialog) {
    for (const auto& r : kRefocus)
      if (r[0] == dialog->dialogId) {
        if (HWND edit = dialog->window ? GetDlgItem(dialog->window, r[1]) : nullptr) SetFocus(edit);
        return 1;
      }
  }
  if (!dialog) return 0;
  const PageControls* page = PageOf(dialog);
  if (control && page && page->combo && control->controlId == page->combo) {
    if (msg == WM_INITDIALOG) return FillCombo(ctx, control);
    if (msg == WM_COMMAND) {
      if (LOWORD(wParam) != control->controlId) return 0;
      return ComboCommand(ctx, dialog, control);
    }
    return 0;
  }
  if (control && page && control->controlId == page->nameEdit && dialog->dialogId != kSaveDialog &&
      dialog->dialogId != kPresetPage) {
    if (msg != WM_COMMAND || LOWORD(wParam) != control->controlId || HIWORD(wParam) != EN_KILLFOCUS) return 0;
    UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
    UiRefreshPresetSelectors(ctx);
    return 1;
  }
  if (control && page && page->maintenance && control->controlId == page->maintenance && control->kind == 21) {
    if (msg != WM_COMMAND || LOWORD(wParam) != control->controlId) return 0;
    return MaintenanceButton(ctx, dialog, control, wParam, lParam);
  }
  if (control && dialog->dialogId == kPresetPage && control->controlId == kIconList)
    return IconListMessage(ctx, dialog, control, msg, wParam, lParam);
  if (dialog->dialogId == kMaintenance) return FdPresetMaintenanceProc(ctx, dialog, control, msg, wParam, lParam);
  if (dialog->dialogId == kSaveDialog) return control ? 0 : SaveDialog(ctx, dialog, msg, wParam);
  if (dialog->dialogId == kPresetPage) return PresetPage(ctx, dialog, control, msg, wParam);
  return 0;
}

int FmPresetOnNotify(DriverContext* ctx, DWORD code, void* param, void*) {
  if (!ctx || code != kFmNotifyControlState || !param) return 0;
  auto* query = static_cast<UiGreyQuery*>(param);
  ControlDescriptor* control = query->control;
  if (!control) return 0;
  const uint16_t id = control->controlId;
  if (id != kButtonMoveBack && id != kButtonMoveNext && id != kButtonDelete && id != kButtonLoad && id != kButtonSave)
    return 0;
  DialogDescriptor* maintenance = OptFindDialog(ctx, kMaintenance);
  if (query->dialog != maintenance) return 0;
  ControlDescriptor* list = OptFindControl(ctx, maintenance, kList);
  if (!list || !list->option) return 0;
  const int s = OptGetControlValue(ctx, list) - kFirstPresetValue;
  const int n = CfgGetPresetCount(ctx);
  bool enabled = false;
  switch (id) {
    case kButtonMoveBack: enabled = 1 < s && s < n; break;
    case kButtonMoveNext: enabled = 0 < s && s < n - 1; break;
    case kButtonDelete: enabled = 0 < s && s < n; break;
    case kButtonLoad: {
      const LRESULT items = list->window ? SendMessageW(list->window, LB_GETCOUNT, 0, 0) : n;
      enabled = items <= 15;
      break;
    }
    default: enabled = s >= 0; break;
  }
  control->state = static_cast<uint16_t>((control->state & ~kControlGreyMask) | (enabled ? 0 : 1u << kControlGreyShift));
  query->handled = 1;
  return 1;
}
