// The colour-matching and user-quality dialogs: the ICM-mode list with the profile add, modify
// and delete dialogs, the hook of the profile open dialog, the adjustment controls bound by
// object, and the user quality settings of the print-quality page.
#include <array>

#include "env_language.h"
#include "fd_colour.h"
#include "fd_dialog_controls.h"
#include "fd_services.h"
#include "fm_modules_1_4.h"
#include "model_image.h"
#include "model_query.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_validation.h"
#include "quality_list.h"
#include "sheet_engine.h"
#include "undo_images.h"

namespace {

enum : uint16_t {
  kDlgPrintQuality = 1006,  // ZPD_IDD_PRINTQUALITY
  kDlgUserQuality = 1021,   // ZPD_IDD_DIALOG_USER_PQC
  kDlgSaveUser = 1033,      // ZPD_IDD_DIALOG_SAVE_USER
  kDlgUserBalance = 1038,   // ZPD_IDD_DIALOG_USER_BALANCE
  kDlgFileRefer = 4003,     // ZPD_FILEREFER
  kDlgIcmMode = 4010,       // ZPD_IDD_DIALOG_USER_ICMMODE
  kDlgCmmAdd = 4011,        // ZPD_IDD_CMMADDPROFILE
  kDlgCmmModify = 4012,     // ZPD_IDD_CMMMODPROFILE
  kDlgDensity = 4024,       // ZPD_IDD_DIALOG_DENSITY
};

enum : uint16_t {
  kCtlUserName = 2281,       // ZPD_IDC_USER_QUALITY_EDIT_NAME
  kCtlSaveUserName = 2455,   // ZPD_IDC_SAVE_USER_EDIT_NAME
  kCtlSaveUserType = 2457,   // ZPD_IDC_SAVE_USER_CHOICE_USER_TYPE
  kCtlIcmIntent = 2574,      // ZPD_IDC_ICM_CHOICE_INTENT
  kCtlAdjustChoice = 2632,   // ZPD_IDC_USER_QUALITY_CHOICE_MODE
  kCtlCmmReference = 2826,   // ZPD_IDC_CMM_BUTTON_REFERENCE
  kCtlDensityChoice = 3029,
  kCtlSamplePicture = 2249,
  kCtlPrintModeFirst = 2122,  // the print-mode radio buttons
  kCtlUserSwitch = 2133,      // ZPD_IDC_PRINTQUALITY_CHOICE_USER
  kCtlUserList = 2134,        // ZPD_IDC_PRINTQUALITY_CHOICE_USER_TYPE
  kCtlUserRegister = 2136,    // ZPD_IDC_PRINTQUALITY_BUTTON_USER
};
constexpr uint16_t kPrintModeRadios[] = {2126, 2127, 2128};

enum : uint16_t {
  kOptAdjustModeId = 128,   // zdmAdjustMode
  kOptAdjustObjectId = 129,  // zdmAdjustObject
  kOptIcmType = 131,         // zdmICMType
  kOptIcmIntent = 132,       // zdmICMIntent
  kOptColorMatching = 133,   // zdmColorMatchingMode
  kOptUseUserMacro = 176,    // zdmUseUserMacro
  kOptUserPrintMacro = 179,  // zdmUserPrintMacro
};
constexpr uint16_t kIntentByObject[] = {981, 982, 983};
constexpr uint16_t kEntryOptions[] = {kOptColorMatching, 984, 985, 986};

// Values of the colour-matching list entries and of the user settings.
constexpr uint16_t kEntryValueFirst = 565;
constexpr int32_t kCmmEntryValueFirst = 200;  // stored value of list entry 0
constexpr int32_t kUserMacroFirst = 32, kUserMacroLast = 39;
constexpr int32_t kUserListValueBase = 6002;   // the type list's value - this = the user list's value
constexpr int32_t kUserSlotBase = 6137;        // the type list's value - this = the user setting
constexpr uint16_t kUserPicture = 6137, kUserPictureGrey = 6152;

constexpr uint32_t kPendingSaveAsNew = 0x10000000u;
constexpr uint32_t kFileReferKind = 0x400, kProfileReferKind = 0x4400;

// Which adjustment options a control is bound to, by object.
struct RebindRow {
  uint16_t dialogId;
  uint16_t controlId;
  std::array<uint16_t, 4> options;  // whole page, text, lines, images
};
constexpr RebindRow kCmmRebindTable[] = {
    {kDlgUserQuality, 2258, {137, 990, 991, 992}},    {kDlgUserQuality, 2256, {133, 984, 985, 986}},
    {kDlgUserQuality, 2260, {134, 987, 988, 989}},    {kDlgUserQuality, 2574, {132, 981, 982, 983}},
    {kDlgUserQuality, 2820, {163, 1075, 1091, 1107}}, {kDlgUserBalance, 2264, {138, 993, 994, 995}},
    {kDlgUserBalance, 2263, {138, 993, 994, 995}},    {kDlgUserBalance, 2267, {139, 996, 997, 998}},
    {kDlgUserBalance, 2266, {139, 996, 997, 998}},    {kDlgUserBalance, 2270, {140, 999, 1000, 1001}},
    {kDlgUserBalance, 2269, {140, 999, 1000, 1001}},  {kDlgUserBalance, 2273, {141, 1002, 1003, 1004}},
    {kDlgUserBalance, 2272, {141, 1002, 1003, 1004}}, {kDlgUserBalance, 2275, {142, 1005, 1006, 1007}},
    {kDlgUserBalance, 2274, {142, 1005, 1006, 1007}}, {kDlgUserBalance, 2277, {143, 1008, 1009, 1010}},
    {kDlgUserBalance, 2276, {143, 1008, 1009, 1010}}, {kDlgIcmMode, 2256, {133, 984, 985, 986}},
    {kDlgIcmMode, 2574, {132, 981, 982, 983}},
};
// The sample picture's six colour options by column (tag 1 record).
constexpr uint16_t kSampleRecords[4][7] = {
    {kAuxSamplePicture, 138, 139, 140, 141, 142, 143},
    {kAuxSamplePicture, 993, 996, 999, 1002, 1005, 1008},
    {kAuxSamplePicture, 994, 997, 1000, 1003, 1006, 1009},
    {kAuxSamplePicture, 995, 998, 1001, 1004, 1007, 1010},
};

enum : WORD {
  kBfClearAdjustChoice = 100,
  kBfBindText = 101,
  kBfBindImage = 103,
  kBfAdjustText = 104,
  kBfAdjustImage = 106,
  kBfBindWholePage = 107,
  kBfAdjustWholePage = 108,
  kBfAdjustObject = 109,
  kBfBindIntent = 110,
  kBfStoreAll = 118,
  kBfStoreImage = 121,
  kBfModifyAndRefresh = 122,
  kBfAddAndSelect = 123,
  kBfClearDensityChoice = 308,
  kBfSelectUserSetting = 310,
  kBfUserDefaultName = 311,
  kBfKeepUserSetting = 325,
  kBfUserSaved = 1,
};

constexpr int kNameChars = 260;

// The controls of the open dialog the hook reads, and its warning.
constexpr int kFileNameEdit = 1152, kFolderCombo = 1121, kFileTypeCombo = 1136;
constexpr WORD kStrNotAProfile = 10077;
constexpr int kPathChars = 2 * MAX_PATH;

// Appends text to a terminated buffer of the given size, cutting what does not fit.
void AppendText(WCHAR* out, int size, const WCHAR* text) {
  int at = 0;
  while (at < size && out[at]) ++at;
  for (; text && *text && at + 1 < size; ++text) out[at++] = *text;
  if (at < size) out[at] = 0;
}

void Bind(DriverContext* ctx, ControlDescriptor* control, uint16_t option) {
  OptionEntry* row = OptFind(ctx, option);
  if (!control || !row) return;
  control->option = row;
  FdMarkOptionChanged(row);
}

void BindColumn(DriverContext* ctx, int column) {
  for (const RebindRow& r : kCmmRebindTable) {
    DialogDescriptor* dialog = OptFindDialog(ctx, r.dialogId);
    if (ControlDescriptor* c = dialog ? OptFindControl(ctx, dialog, r.controlId) : nullptr) Bind(ctx, c, r.options[column]);
  }
  if (ControlDescriptor* sample = OptFindControl(ctx, OptFindDialog(ctx, kDlgUserBalance), kCtlSamplePicture))
    sample->auxRecord = kSampleRecords[column];
}

void ClearChoice(DriverContext* ctx, uint16_t controlId) {
  ControlDescriptor* c = OptFindControl(ctx, nullptr, controlId);
  if (!c) return;
  if (c->option) OptWriteUiValue(ctx, c->option, static_cast<uint32_t>(-1));
  if (c->window) SendMessageW(c->window, CB_SETCURSEL, WPARAM(-1), 0);
}

void BindIntent(DriverContext* ctx) {
  ClearChoice(ctx, kCtlAdjustChoice);
  if (OptGetValue(ctx, kOptAdjustModeId, nullptr) == 0) return;
  const int32_t type = OptGetValue(ctx, kOptIcmType, nullptr);
  const int32_t object = OptGetValue(ctx, kOptAdjustObjectId, nullptr);
  uint16_t option = 0;
  if (type == 0) option = kOptIcmIntent;
  else if ((type == 1 || type == 2) && object >= 0 && object <= 2) option = kIntentByObject[object];
  if (!option) return;
  for (uint16_t dialogId : {kDlgUserQuality, kDlgIcmMode})
    if (DialogDescriptor* d = OptFindDialog(ctx, dialogId))
      if (ControlDescriptor* c = OptFindControl(ctx, d, kCtlIcmIntent)) Bind(ctx, c, option);
}

void RefreshCurrent(DriverContext* ctx) {
  if (DialogDescriptor* d = FdCurrentDialog(ctx)) UiRefreshDialog(ctx, d, 1);
}

// The ICM-mode list of dialog 4010: built-in modes that are not disabled and the user's entries.
int FillIcmModes(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!control->option) return 1;
  HWND combo = control->window;
  if (combo) SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  const ModelItem* item = control->modelItem;
  const ModelImage* image = ctx->modelImage;
  const int count = FmGetCmmCount(ctx);
  const int entryEnd = kEntryValueFirst + FmGetCmmMax(ctx);
  if (item && image && combo) {
    int limit = MdlCountList(image, item->values);
    for (const ModelValue* v = MdlImageAt<ModelValue>(image, item->values); v && limit-- > 0;
         v = MdlNextItemValue(image, item, v)) {
      const ItemRuleRow* rows = nullptr;
      const uint16_t id = UiGetItemValueId(ctx, item, v, &rows);
      if (id == 0) break;
      const bool entry = id >= kEntryValueFirst && id < entryEnd;
      if (!(!rows || !MdlIsDisabled(item, id, ctx) || entry)) continue;
      WCHAR text[kNameChars] = {};
      if (entry) {
        const int k = id - kEntryValueFirst;
        if (k >= count) break;
        FmLoadCmmEntry(ctx, k);
        FdGetDialogText(ctx, kDlgCmmAdd, kCtlCmmEditName, text, kNameChars);
      } else if (EnvLoadString(ctx, id, text, kNameChars, 1) <= 0) {
        text[0] = 0;
      }
      const LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
      if (at >= 0) SendMessageW(combo, CB_SETITEMDATA, WPARAM(at), LPARAM(id));
    }
  }
  FmBroadcastNotify(ctx, kFmNotifyChoicesChanged, nullptr);
  FdMarkOptionChanged(control->option);
  UiRefreshControl(ctx, dialog, control);
  return 1;
}

// The print-mode radio button whose id is the current print mode, else the first one.
ControlDescriptor* CurrentPrintModeRadio(DriverContext* ctx, DialogDescriptor* dialog) {
  ControlDescriptor* first = OptFindControl(ctx, dialog, kCtlPrintModeFirst);
  if (!first) return nullptr;
  const int32_t mode = OptGetControlValue(ctx, first);
  for (uint16_t id : kPrintModeRadios)
    if (mode == id)
      if (ControlDescriptor* c = OptFindControl(ctx, dialog, id)) return c;
  return first;
}

int DrawUserItem(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, LPARAM lParam) {
  auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
  if (!draw || !(draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) return 0;
  HDC dc = draw->hDC;
  if (draw->itemData != 0 && dc) {
    const bool grey = (control->state & kControlGreyMask) != 0;
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    const int background = grey ? COLOR_BTNFACE : selected ? COLOR_HIGHLIGHT : COLOR_WINDOW;
    RECT r = draw->rcItem;
    const COLORREF oldBack = SetBkColor(dc, GetSysColor(background));
    FillRect(dc, &r, GetSysColorBrush(background));
    const int height = r.bottom - r.top;
    RECT picture{r.left, r.top, r.left + height + 10, r.bottom};
    const uint16_t pictureId =
        static_cast<uint16_t>(draw->itemID + (grey ? kUserPictureGrey : kUserPicture));
    UiDrawPicture(ctx, dialog, control, control->window, &picture, pictureId, 0, 0);
    WCHAR key[kNameChars] = {};
    WCHAR name[kNameChars] = {};
    if (EnvLoadString(ctx, static_cast<DWORD>(draw->itemData), key, kNameChars, 0) > 0) {
      DmPushSnapshot(ctx);
      CfgLoadQualityByKey(ctx, key);
      FdGetDialogText(ctx, kDlgUserQuality, kCtlUserName, name, kNameChars);
      DmPopSnapshot(ctx, 1);
    }
    SetTextColor(dc, GetSysColor(grey ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    int length = 0;
    while (name[length]) ++length;
    SIZE extent{};
    GetTextExtentPoint32W(dc, name, length, &extent);
    RECT text{picture.right, r.top, r.right, r.bottom};
    ExtTextOutW(dc, text.left, r.top + (height - extent.cy) / 2, ETO_CLIPPED, &text, name, static_cast<UINT>(length),
                nullptr);
    SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
    SetBkColor(dc, oldBack);
  }
  if ((draw->itemAction & ODA_FOCUS) || (draw->itemState & ODS_FOCUS)) DrawFocusRect(dc, &draw->rcItem);
  return 1;
}

int FdUserQualityPageProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
                          WPARAM wParam, LPARAM lParam) {
  if (!control) return 0;
  if (msg == WM_COMMAND && LOWORD(wParam) != control->controlId) return 0;
  ControlDescriptor* list = OptFindControl(ctx, dialog, kCtlUserList);
  // The list's selection straight from its class procedure: a message sent to the subclassed
  // list window would come back here through this handler.
  const LRESULT selection = !list || !list->window ? LB_ERR
                            : list->savedWindowProc
                                ? CallWindowProcW(list->savedWindowProc, list->window, LB_GETCURSEL, 0, 0)
                                : SendMessageW(list->window, LB_GETCURSEL, 0, 0);
  switch (control->controlId) {
    case kCtlUserSwitch: {
      if (msg != WM_COMMAND || !control->window) return 0;
      const bool checked = SendMessageW(control->window, BM_GETCHECK, 0, 0) == BST_CHECKED;
      const int32_t value = OptGetControlValue(ctx, control);
      if (!((checked && value == 0) || (!checked && value == 1))) return 0;
      if (checked) {
        if (selection >= 0) CfgLoadQuality(ctx, static_cast<int>(selection));
      } else if (ControlDescriptor* radio = CurrentPrintModeRadio(ctx, dialog)) {
        UiRunItemTransact(ctx, dialog, radio->modelItem, radio->builtInFunc);
      }
      UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
      FmBroadcastNotify(ctx, kFmNotifyChoicesChanged, nullptr);
      return 1;
    }
    case kCtlUserList:
      if (msg == WM_DRAWITEM) return DrawUserItem(ctx, dialog, control, lParam);
      if (msg == WM_COMMAND && HIWORD(wParam) == LBN_SELCHANGE) {
        if (selection < 0) return 1;
        CfgLoadQuality(ctx, static_cast<int>(selection));
        const LRESULT data = SendMessageW(control->window, LB_GETITEMDATA, WPARAM(selection), 0);
        UiApplyControlChange(ctx, dialog, control, static_cast<uint32_t>(data), 1);
        UiRunItemTransact(ctx, dialog, control->modelItem, control->builtInFunc);
        FmBroadcastNotify(ctx, kFmNotifyChoicesChanged, nullptr);
        return 1;
      }
      return 0;
    case kCtlUserRegister: {
      if (msg != WM_COMMAND) return 0;
      if (selection < 0) return 1;
      CfgLoadQuality(ctx, static_cast<int>(selection));
      ctx->workArea->subDialogResult = 0;
      UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
      if (ctx->workArea->subDialogResult) {
        UiRunBuiltInFunc(ctx, kBfUserSaved);
        const int32_t type = OptGetControlValue(ctx, OptFindControl(ctx, nullptr, kCtlSaveUserType));
        if (list && list->option) OptWriteUiValue(ctx, list->option, static_cast<uint32_t>(type - kUserListValueBase));
        CfgSaveQuality(ctx, type - kUserSlotBase);
        if (list && list->window) InvalidateRect(list->window, nullptr, TRUE);
      }
      return 1;
    }
    default:
      return 0;
  }
}

}  // namespace

void FdSelectCmmEntry(DriverContext* ctx, int k) {
  if (!ctx) return;
  ControlDescriptor* choice = FmGetIcmModeChoice(ctx);
  if (!choice || !choice->option) return;
  uint32_t value;
  if (k >= 0 && k < FmGetCmmCount(ctx)) {
    value = static_cast<uint32_t>(kCmmEntryValueFirst + k);
  } else {
    if (!choice->window || SendMessageW(choice->window, CB_GETCOUNT, 0, 0) <= 0) return;
    value = static_cast<uint32_t>(SendMessageW(choice->window, CB_GETITEMDATA, 0, 0));
  }
  OptWriteUiValue(ctx, choice->option, value);
}

int FmColorOnBuiltInFunc(DriverContext* ctx, WORD code, void* userData) {
  if (!ctx) return 0;
  switch (code) {
    case kBfClearAdjustChoice:
      ClearChoice(ctx, kCtlAdjustChoice);
      return 1;
    case kBfBindText:
    case kBfBindText + 1:
    case kBfBindImage:
      BindColumn(ctx, 1 + (code - kBfBindText));
      return 1;
    case kBfAdjustText:
    case kBfAdjustText + 1:
    case kBfAdjustImage:
      BindColumn(ctx, 1 + (code - kBfAdjustText));
      ClearChoice(ctx, kCtlAdjustChoice);
      BindIntent(ctx);
      return 1;
    case kBfBindWholePage:
      BindColumn(ctx, 0);
      return 1;
    case kBfAdjustWholePage:
      BindColumn(ctx, 0);
      ClearChoice(ctx, kCtlAdjustChoice);
      BindIntent(ctx);
      return 1;
    case kBfAdjustObject: {
      const int32_t object = OptGetValue(ctx, kOptAdjustObjectId, nullptr);
      if (object >= 0 && object <= 2) FmColorOnBuiltInFunc(ctx, static_cast<WORD>(kBfAdjustText + object), userData);
      BindIntent(ctx);
      return 1;
    }
    case kBfBindIntent:
      BindIntent(ctx);
      return 1;
    case kBfCmmDelete: {
      const int k = FmGetSelectedCmmIndex(ctx);
      FmDeleteCmmEntry(ctx, k);
      if (k >= FmGetCmmCount(ctx)) FdSelectCmmEntry(ctx, -1);
      FmRememberCmmChoice(ctx);
      FmBroadcastNotify(ctx, kFmNotifyChoicesChanged, nullptr);
      RefreshCurrent(ctx);
      return 1;
    }
    case kBfStoreAll:
    case kBfStoreAll + 1:
    case kBfStoreAll + 2:
    case kBfStoreImage:
      FmStoreCmmEntry(ctx, FmGetCmmIndexOfOption(ctx, kEntryOptions[code - kBfStoreAll]));
      return 1;
    case kBfModifyAndRefresh:
      FmRunBuiltInFunc(ctx, kBfCmmEdit);
      RefreshCurrent(ctx);
      return 1;
    case kBfAddAndSelect:
      FmCmmOnBuiltInFunc(ctx, kBfCmmAdd, userData);
      FdSelectCmmEntry(ctx, FmGetCmmCount(ctx) - 1);
      RefreshCurrent(ctx);
      return 1;
    case kBfClearDensityChoice:
      ClearChoice(ctx, kCtlDensityChoice);
      return 1;
    case kBfSelectUserSetting: {
      DialogDescriptor* page = OptFindDialog(ctx, kDlgPrintQuality);
      const int32_t macro = OptGetValue(ctx, kOptUserPrintMacro, nullptr);
      if (macro >= kUserMacroFirst && macro <= kUserMacroLast) {
        ControlDescriptor* list = page ? OptFindControl(ctx, page, kCtlUserList) : nullptr;
        const int32_t index = macro - kUserMacroFirst;
        if (list && list->window && SendMessageW(list->window, LB_GETCURSEL, 0, 0) != index)
          SendMessageW(list->window, LB_SETCURSEL, WPARAM(index), 0);
        if (OptGetValue(ctx, kOptUseUserMacro, nullptr) == 1) CfgLoadQuality(ctx, index);
      }
      if (page) UiRefreshDialog(ctx, page, 1);
      return 1;
    }
    case kBfUserDefaultName: {
      const int32_t index = OptGetUserMacroIndex(ctx);
      if (index != -1) CfgLoadQualityDefaultName(nullptr, ctx, index);
      return 1;
    }
    case kBfKeepUserSetting: {
      const int32_t macro = OptGetValue(ctx, kOptUserPrintMacro, nullptr);
      if (OptGetValue(ctx, kOptUseUserMacro, nullptr) == 1 && macro >= kUserMacroFirst && macro <= kUserMacroLast)
        CfgSaveQuality(ctx, macro - kUserMacroFirst);
      return 1;
    }
    default:
      return FmCmmOnBuiltInFunc(ctx, code, userData);
  }
}

int FmColorOnDialog(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD msg,
                    WPARAM wParam, LPARAM lParam, void*) {
  if (!ctx || !dialog) return 0;
  const uint16_t dialogId = dialog->dialogId;
  if (msg == kPresetRefocusMessage) {
    const uint16_t target = dialogId == kDlgUserQuality ? kCtlUserName : dialogId == kDlgSaveUser ? kCtlSaveUserName : 0;
    if (!target) return 0;
    if (ControlDescriptor* c = OptFindControl(ctx, dialog, target); c && c->window) SetFocus(c->window);
    return 1;
  }
  switch (dialogId) {
    case kDlgIcmMode:
      if (!control || control->controlId != kCtlIcmModeChoice) return 0;
      if (msg == WM_INITDIALOG) return FillIcmModes(ctx, dialog, control);
      if (msg == WM_COMMAND && LOWORD(wParam) == kCtlIcmModeChoice) {
        UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
        FmLoadCmmEntry(ctx, FmGetSelectedCmmIndex(ctx));
        return 1;
      }
      return 0;
    case kDlgPrintQuality:
      return FdUserQualityPageProc(ctx, dialog, control, msg, wParam, lParam);
    case kDlgUserQuality:
      if (control || msg != WM_INITDIALOG) return 0;
      if (OptGetValue(ctx, kOptAdjustModeId, nullptr) == 0) {
        UiRunBuiltInFunc(ctx, kBfAdjustWholePage);
      } else if (OptGetValue(ctx, kOptAdjustModeId, nullptr) == 1) {
        const int32_t object = OptGetValue(ctx, kOptAdjustObjectId, nullptr);
        if (object >= 0 && object <= 2) UiRunBuiltInFunc(ctx, static_cast<WORD>(kBfAdjustText + object));
      }
      return 0;
    case kDlgCmmAdd:
    case kDlgCmmModify:
      if (control) {
        if (control->controlId != kCtlCmmReference || msg != WM_COMMAND || LOWORD(wParam) != kCtlCmmReference) return 0;
        DialogDescriptor* refer = OptFindDialog(ctx, kDlgFileRefer);
        if (refer) refer->kindFlags = kProfileReferKind;
        UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
        if (refer) refer->kindFlags = kFileReferKind;
        return 1;
      }
      if (CtxGetPendingFlags(ctx) & kPendingSaveAsNew) {
        FdSetDialogText(ctx, kDlgCmmAdd, kCtlCmmEditName, u"");
        FdSetDialogText(ctx, kDlgCmmAdd, kCtlCmmEditFile, u"");
        CtxClearPendingFlags(ctx, kPendingSaveAsNew);
      }
      return 0;
    case kDlgDensity:
      if (!control && msg == WM_INITDIALOG) UiRunBuiltInFunc(ctx, kBfClearDensityChoice);
      return 0;
    default:
      return 0;
  }
}

UINT_PTR CALLBACK FdCmmProfileOpenHook(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      const auto* ofn = reinterpret_cast<const OPENFILENAMEW*>(lParam);
      auto* ctx = ofn ? reinterpret_cast<DriverContext*>(ofn->lCustData) : nullptr;
      SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(ctx));
      HWND frame = GetParent(window) ? GetParent(window) : window;
      SetWindowLongW(frame, GWL_EXSTYLE, GetWindowLongW(frame, GWL_EXSTYLE) & ~WS_EX_CONTEXTHELP);
      if (ctx) UiRestoreClassWndProcs(ctx, frame);
      return 1;
    }
    case WM_HELP:
    case WM_CONTEXTMENU:
      return 1;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      return header && header->code == CDN_FILEOK ? 0 : 1;
    }
    case WM_COMMAND:
      break;
    default:
      return 0;
  }
  auto* ctx = reinterpret_cast<DriverContext*>(GetWindowLongPtrW(window, DWLP_USER));
  HWND frame = GetParent(window) ? GetParent(window) : window;
  const WORD id = LOWORD(wParam);
  if (id == IDOK) {
    if (ctx) UiClearRuleDialogGuard(ctx, WM_COMMAND, IDOK, 0, 1);
    WCHAR name[MAX_PATH] = {};
    GetDlgItemTextW(frame, kFileNameEdit, name, MAX_PATH);
    for (const WCHAR* p = name; *p; ++p)
      if (*p == u'*' || *p == u'?') return 0;
    WCHAR path[kPathChars] = {};
    if (name[0] && name[1] == u':') {
      AppendText(path, kPathChars, name);
    } else {
      HWND folders = GetDlgItem(frame, kFolderCombo);
      WCHAR part[MAX_PATH] = {};
      if (folders && SendMessageW(folders, CB_GETLBTEXTLEN, 0, 0) < MAX_PATH)
        SendMessageW(folders, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(part));
      AppendText(path, kPathChars, part);
      if (name[0] != u'\\' && folders) {
        const LRESULT current = SendMessageW(folders, CB_GETCURSEL, 0, 0);
        for (LRESULT i = 1; i <= current; ++i) {
          part[0] = 0;
          if (SendMessageW(folders, CB_GETLBTEXTLEN, WPARAM(i), 0) < MAX_PATH)
            SendMessageW(folders, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(part));
          AppendText(path, kPathChars, part);
          AppendText(path, kPathChars, u"\\");
        }
      }
      AppendText(path, kPathChars, name);
    }
    if (!FdCheckColorProfileFile(path)) {
      if (ctx) FdShowWarning(ctx, frame, kStrNotAProfile);
      return 1;
    }
    if (ctx && ctx->workArea) ctx->workArea->subDialogResult = 1;
    return 0;
  }
  if (id == IDCANCEL) {
    if (ctx) {
      UiClearRuleDialogGuard(ctx, WM_COMMAND, IDCANCEL, 0, 1);
      if (ctx->workArea) ctx->workArea->subDialogResult = 0;
    }
    return 0;
  }
  if (id == kFileTypeCombo && HIWORD(wParam) == CBN_SELCHANGE) {
    HWND types = GetDlgItem(frame, kFileTypeCombo);
    const LRESULT type = types ? SendMessageW(types, CB_GETCURSEL, 0, 0) : 0;
    SetDlgItemTextW(frame, kFileNameEdit, type == 1 ? u"*.*" : u"*.qcm");
    SendMessageW(frame, WM_COMMAND, IDOK, 0);
    return 1;
  }
  return 0;
}
