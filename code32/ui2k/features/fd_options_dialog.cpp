// The installable options dialog (ZPD_IDD_DIALOG_OPTION, 1011): the check list of installable
// options with its combination rules, and the tray table with the editors of the selected tray.
// Every choice is written into the context's options at once; the sheet's apply stores them.
#include <algorithm>

#include "devmode_public.h"
#include "env_language.h"
#include "fd_options.h"
#include "feature_modules.h"
#include "fm_modules_5_8.h"
#include "fm_options_fonts.h"
#include "option_access.h"
#include "sheet_engine.h"

namespace {

constexpr uint16_t kDlgOptions = 1011;

enum : uint16_t {
  kOptMachineTypeFeed = 237,  // zdmMachineTypeFeed
  kOptOutputRemote = 10062,   // zdmOutputOptionTypeRemote
  kOptTrayOrient0 = 10143,    // zdmTrayOrient0 + tray code
  kOptTrayField0 = 10111,     // zdmTrayField0 + tray code: the tray is present
  kOptTray1Paper = 10175,     // zdmTray1Paper + tray code
  kOptTray1Media = 10207,     // zdmTray1Media + tray code
  kOptTrayLock0 = 10239,      // zdmTrayLock0 + tray code
};

// Pictures of the language library.
enum : uint16_t {
  kPictureUnchecked = 7001,
  kPictureUncheckedGrey = 7002,
  kPictureChecked = 7003,
  kPictureCheckedGrey = 7004,
  kPicturePortrait = 6193,
  kPictureLandscape = 6194,
  kStringColumn0 = 6001,  // 6001-6004: the column titles
};

constexpr int kTextChars = 260;

bool IsUsable(const ControlDescriptor* control) {
  return control && control->window && IsWindowEnabled(control->window) && IsWindowVisible(control->window) &&
         !(control->state & kControlHiddenMask);
}

bool Holds(DriverContext* ctx, const OptionValuePair* condition) {
  return condition && condition->option &&
         OptGetUiValue(ctx, uint16_t(condition->option), nullptr) == int32_t(condition->value);
}

void ApplyList(DriverContext* ctx, const OptionValuePair* list) {
  for (; list && list->option; ++list) OptSetUiValue(ctx, uint16_t(list->option), list->value);
}

void TurnOn(DriverContext* ctx, const OptionComboRule* rule) {
  OptSetUiValue(ctx, uint16_t(rule->option), rule->value);
  if (rule->option2) OptSetUiValue(ctx, uint16_t(rule->option2), rule->value2);
}

// The tray code of the row the tray table shows selected (its control's value).
uint16_t SelectedTray(DriverContext* ctx, DialogDescriptor* dialog) {
  ControlDescriptor* table = OptFindControl(ctx, dialog, kFdCtlTrayTable);
  if (!table) return 0;
  return uint16_t(FmTrayCodeFromItemId(WORD(OptGetControlValue(ctx, table))));
}

void Repaint(DriverContext* ctx, DialogDescriptor* dialog, uint16_t controlId) {
  ControlDescriptor* control = OptFindControl(ctx, dialog, controlId);
  if (control && control->window) InvalidateRect(control->window, nullptr, TRUE);
}

void PageChanged(DialogDescriptor* dialog) {
  if (dialog->window)
    SendMessageW(GetParent(dialog->window), PSM_CHANGED, reinterpret_cast<WPARAM>(dialog->window), 0);
}

void SetControlFromOption(DriverContext* ctx, DialogDescriptor* dialog, uint16_t controlId, uint16_t option) {
  if (ControlDescriptor* control = OptFindControl(ctx, dialog, controlId))
    OptSetControlValue(ctx, control, uint32_t(OptGetUiValue(ctx, option, nullptr)));
}

// The editors show the tray the table has selected.
void ShowSelectedTray(DriverContext* ctx, DialogDescriptor* dialog) {
  const uint16_t tray = SelectedTray(ctx, dialog);
  SetControlFromOption(ctx, dialog, kFdCtlTrayPaper, uint16_t(kOptTray1Paper + tray));
  SetControlFromOption(ctx, dialog, kFdCtlTrayMedia, uint16_t(kOptTray1Media + tray));
  SetControlFromOption(ctx, dialog, kFdCtlTrayLock, uint16_t(kOptTrayLock0 + tray));
  const bool landscape = OptGetValue(ctx, uint16_t(kOptTrayOrient0 + tray), nullptr) != 0;
  if (ControlDescriptor* radio = OptFindControl(ctx, dialog, landscape ? kFdCtlTrayLandscape : kFdCtlTrayPortrait))
    OptSetControlValue(ctx, radio, radio->controlId);
  if (dialog->window) {
    CheckDlgButton(dialog->window, kFdCtlTrayPortrait, landscape ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(dialog->window, kFdCtlTrayLandscape, landscape ? BST_CHECKED : BST_UNCHECKED);
  }
  UiRefreshDialog(ctx, dialog, 0);
}

// ---- the tray table ---------------------------------------------------------------------------

void AddColumns(DriverContext* ctx, HWND table) {
  RECT client{};
  GetClientRect(table, &client);
  const int width = (client.right - client.left) / 4;
  for (int i = 0; i < 4; ++i) {
    WCHAR title[kTextChars] = {};
    EnvLoadString(ctx, DWORD(kStringColumn0 + i), title, kTextChars, 1);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.cx = width;
    column.pszText = title;
    column.iSubItem = i;
    SendMessageW(table, LVM_INSERTCOLUMNW, WPARAM(i), reinterpret_cast<LPARAM>(&column));
  }
}

void SetPresence(DriverContext* ctx, uint16_t tray, bool present) {
  const uint16_t option = uint16_t(kOptTrayField0 + tray);
  const int32_t value = OptGetValue(ctx, option, nullptr);
  if (present && value == 0) OptSetValue(ctx, option, 1);
  if (!present && value == 1) OptSetValue(ctx, option, 0);
}

void BuildTrayTable(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  HWND table = control->window;
  if (SendMessageW(table, LVM_GETITEMCOUNT, 0, 0) != 0) return;
  if (SheetEngineState* state = UiSheetState(ctx); state && state->refreshGuard) return;
  if (SendMessageW(table, LVM_GETCOLUMNWIDTH, 0, 0) == 0) AddColumns(ctx, table);
  OptSetValue(ctx, control->option ? control->option->id : 0, 2);
  const ModelItem* item = control->modelItem;
  const ModelImage* image = ctx->modelImage;
  bool first = true;
  int row = 0;
  for (const ModelValue* v = item && image ? MdlImageAt<ModelValue>(image, item->values) : nullptr; v;
       v = MdlNextItemValue(image, item, v)) {
    const ItemRuleRow* rules = nullptr;
    const uint16_t valueId = UiGetItemValueId(ctx, item, v, &rules);
    if (!valueId) continue;
    const uint16_t tray = uint16_t(FmTrayCodeFromItemId(valueId));
    if (rules && MdlIsDisabled(item, valueId, ctx)) {
      SetPresence(ctx, tray, false);
      continue;
    }
    WCHAR text[kTextChars] = {};
    EnvLoadString(ctx, valueId, text, kTextChars, 1);
    LVITEMW entry{};
    entry.mask = LVIF_TEXT | LVIF_PARAM;
    entry.iItem = row++;
    entry.pszText = text;
    entry.lParam = valueId;
    const LRESULT index = SendMessageW(table, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry));
    if (first) {
      first = false;
      OptSetControlValue(ctx, control, valueId);
      LVITEMW state{};
      state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      state.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageW(table, LVM_SETITEMSTATE, WPARAM(index), reinterpret_cast<LPARAM>(&state));
    }
    SetPresence(ctx, tray, true);
  }
  ShowSelectedTray(ctx, dialog);
}

void RebuildTrayTable(DriverContext* ctx, DialogDescriptor* dialog) {
  ControlDescriptor* table = OptFindControl(ctx, dialog, kFdCtlTrayTable);
  if (!table || !table->window) return;
  SendMessageW(table->window, LVM_DELETEALLITEMS, 0, 0);
  UiInitControl(ctx, dialog, table);
}

void DrawCellText(HDC dc, RECT cell, uint16_t stringId, DriverContext* ctx) {
  WCHAR text[kTextChars] = {};
  if (stringId) EnvLoadString(ctx, stringId, text, kTextChars, 1);
  ExtTextOutW(dc, cell.left + 2, cell.top + 1, ETO_CLIPPED | ETO_OPAQUE, &cell, text, UINT(lstrlenW(text)), nullptr);
}

// A picture of the language library, by its id (UiDrawBitmap takes ids below 0x10000 as such).
void DrawPicture(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, HDC dc, RECT cell,
                 uint16_t pictureId) {
  UiDrawBitmap(ctx, dialog, control, dc, &cell, 0, 0, reinterpret_cast<HBITMAP>(ULONG_PTR(pictureId)), 9, 0);
}

void DrawTrayRow(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, const DRAWITEMSTRUCT* draw) {
  HDC dc = draw->hDC;
  COLORREF back, fore;
  if (draw->itemState & ODS_SELECTED) {
    back = GetSysColor(COLOR_HIGHLIGHT);
    fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
  } else if (!IsUsable(control)) {
    back = GetSysColor(COLOR_BTNFACE);
    fore = GetSysColor(COLOR_GRAYTEXT);
  } else {
    back = GetSysColor(COLOR_WINDOW);
    fore = GetSysColor(COLOR_WINDOWTEXT);
  }
  const COLORREF oldBack = SetBkColor(dc, back);
  const COLORREF oldFore = SetTextColor(dc, fore);
  const uint16_t valueId = uint16_t(draw->itemData);
  const uint16_t tray = uint16_t(FmTrayCodeFromItemId(valueId));
  RECT cell = draw->rcItem;
  for (int column = 0; column < 4; ++column) {
    const int width = int(SendMessageW(control->window, LVM_GETCOLUMNWIDTH, WPARAM(column), 0));
    cell.right = column == 3 ? draw->rcItem.right : cell.left + width;
    switch (column) {
      case 0:
        DrawCellText(dc, cell, valueId, ctx);
        break;
      case 1:
        DrawCellText(dc, cell, uint16_t(OptGetUiValue(ctx, uint16_t(kOptTray1Paper + tray), nullptr)), ctx);
        break;
      case 2: {
        const bool rotated = OptGetValue(ctx, uint16_t(kOptTrayOrient0 + tray), nullptr) != 0;
        const bool feedOne = OptGetValue(ctx, kOptMachineTypeFeed, nullptr) == 1;
        HBRUSH fill = CreateSolidBrush(back);
        FillRect(dc, &cell, fill);
        DeleteObject(fill);
        DrawPicture(ctx, dialog, control, dc, cell, rotated == feedOne ? kPictureLandscape : kPicturePortrait);
        break;
      }
      default:
        DrawCellText(dc, cell, uint16_t(OptGetUiValue(ctx, uint16_t(kOptTray1Media + tray), nullptr)), ctx);
        break;
    }
    cell.left = cell.right;
  }
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldFore);
}

int TrayTableMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                     WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      if (control->window) BuildTrayTable(ctx, dialog, control);
      return 1;  // a list view: the list kind's own filling does not apply
    case WM_NOTIFY: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
      if (LOWORD(wParam) != control->controlId || !change || change->hdr.code != LVN_ITEMCHANGED) return 0;
      if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) {
        FmBroadcastRecheck(ctx);
        OptSetControlValue(ctx, control, uint32_t(change->lParam));
        ShowSelectedTray(ctx, dialog);
      }
      return 1;
    }
    case WM_DRAWITEM: {
      const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (!draw || draw->hwndItem != control->window || int(draw->itemID) < 0) return 0;
      DrawTrayRow(ctx, dialog, control, draw);
      return 1;
    }
    case WM_COMMAND:
      return LOWORD(wParam) == control->controlId ? 1 : 0;
    default:
      return 0;
  }
}

// ---- the editors of the selected tray -------------------------------------------------------------

int EditorMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                  WPARAM wParam, LPARAM lParam) {
  const uint16_t id = control->controlId;
  const bool radio = id == kFdCtlTrayPortrait || id == kFdCtlTrayLandscape;
  const uint16_t tray = SelectedTray(ctx, dialog);
  const uint16_t orientOption = uint16_t(kOptTrayOrient0 + tray);
  if (message == WM_PAINT && radio && dialog->window) {
    const int32_t shown = IsDlgButtonChecked(dialog->window, kFdCtlTrayLandscape) == BST_CHECKED ? 1 : 0;
    const bool anyChecked = shown || IsDlgButtonChecked(dialog->window, kFdCtlTrayPortrait) == BST_CHECKED;
    if (anyChecked && (OptGetValue(ctx, orientOption, nullptr) != 0) != (shown != 0)) OptSetValue(ctx, orientOption, shown);
    return 0;
  }
  if (message != WM_COMMAND || LOWORD(wParam) != id) return 0;
  const bool combo = id == kFdCtlTrayPaper || id == kFdCtlTrayMedia;
  if (combo && HIWORD(wParam) != CBN_SELCHANGE) return 0;
  UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
  switch (id) {
    case kFdCtlTrayPaper:
      OptSetUiValue(ctx, uint16_t(kOptTray1Paper + tray), uint32_t(OptGetControlValue(ctx, control)));
      break;
    case kFdCtlTrayMedia:
      OptSetUiValue(ctx, uint16_t(kOptTray1Media + tray), uint32_t(OptGetControlValue(ctx, control)));
      break;
    case kFdCtlTrayLock: {
      const bool locked = dialog->window && IsDlgButtonChecked(dialog->window, kFdCtlTrayLock) == BST_CHECKED;
      OptSetValue(ctx, uint16_t(kOptTrayLock0 + tray), locked ? 1 : 0);
      break;
    }
    default: {
      const bool landscape = dialog->window && (id == kFdCtlTrayLandscape ||
                                                IsDlgButtonChecked(dialog->window, kFdCtlTrayLandscape) == BST_CHECKED);
      OptSetValue(ctx, orientOption, landscape ? 1 : 0);
      break;
    }
  }
  Repaint(ctx, dialog, kFdCtlTrayTable);
  if (radio) {
    PageChanged(dialog);
    UiRefreshDialog(ctx, dialog, 1);
  }
  return 1;
}

int RebuildButtonMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                         WPARAM wParam, LPARAM lParam) {
  if (message != WM_COMMAND || LOWORD(wParam) != control->controlId) return 0;
  UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
  PageChanged(dialog);
  Repaint(ctx, dialog, kFdCtlOptionList);
  RebuildTrayTable(ctx, dialog);
  UiRefreshDialog(ctx, dialog, 1);
  return 1;
}

// ---- the option list --------------------------------------------------------------------------------

bool IsLocked(DriverContext* ctx, const OptionComboRule* rule) { return rule && Holds(ctx, rule->lockCondition); }

void ToggleSelected(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  const LRESULT selected = SendMessageW(control->window, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return;
  const LRESULT data = SendMessageW(control->window, LB_GETITEMDATA, WPARAM(selected), 0);
  const OptionComboRule* rule = data == LB_ERR ? nullptr : FdFindComboRule(uint32_t(data), 0);
  if (!rule || !IsUsable(control) || IsLocked(ctx, rule)) return;
  if (OptIsComboRuleOn(ctx, rule)) {
    OptSetUiValue(ctx, uint16_t(rule->option), uint32_t(1 - int32_t(rule->value)));
    ApplyList(ctx, rule->offList);
  } else {
    TurnOn(ctx, rule);
    ApplyList(ctx, rule->onList);
  }
  const uint32_t flags = FdApplyComboGroups(ctx, rule);
  if (rule->repaint || (flags & kFdComboRepaintList)) InvalidateRect(control->window, nullptr, TRUE);
  if (rule->refresh || (flags & kFdComboRebuildTrays)) RebuildTrayTable(ctx, dialog);
  OptSetControlValue(ctx, control, 0);
  UiDispatchControlCommand(ctx, dialog, control, 0x10000, reinterpret_cast<LPARAM>(control->window));
  PageChanged(dialog);
  UiRefreshDialog(ctx, dialog, 0);
}

void DrawOptionItem(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control,
                    const DRAWITEMSTRUCT* draw) {
  const uint32_t itemId = uint32_t(draw->itemData);
  const OptionComboRule* rule = FdFindComboRule(itemId, 0);
  bool grey = !IsUsable(control) || IsLocked(ctx, rule);
  if (!rule && itemId >= 285 && itemId <= 288 && OptGetValue(ctx, kOptOutputRemote, nullptr) == 0) grey = true;
  const bool checked = rule && OptIsComboRuleOn(ctx, rule);
  HDC dc = draw->hDC;
  const COLORREF oldBack = SetBkColor(dc, GetSysColor(grey ? COLOR_BTNFACE : COLOR_WINDOW));
  const COLORREF oldFore = SetTextColor(dc, GetSysColor(grey ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
  WCHAR text[kTextChars] = {};
  EnvLoadString(ctx, itemId, text, kTextChars, 1);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text, lstrlenW(text), &extent);
  RECT item = draw->rcItem;
  const int height = item.bottom - item.top;
  ExtTextOutW(dc, item.left + 2 * extent.cy, item.top + (height - extent.cy) / 2, ETO_CLIPPED | ETO_OPAQUE, &item,
              text, UINT(lstrlenW(text)), nullptr);
  const uint16_t picture = checked ? (grey ? kPictureCheckedGrey : kPictureChecked)
                                   : (grey ? kPictureUncheckedGrey : kPictureUnchecked);
  DrawPicture(ctx, dialog, control, dc, item, picture);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldFore);
}

int OptionListMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                      WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONUP:
      ToggleSelected(ctx, dialog, control);
      return 0;  // the list box itself still ends its click
    case WM_CHAR:
      if (wParam != u' ') return 0;
      ToggleSelected(ctx, dialog, control);
      return 1;
    case WM_DRAWITEM: {
      const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (!draw || draw->hwndItem != control->window) return 0;
      if ((draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) && draw->itemData != 0 && int(draw->itemID) >= 0)
        DrawOptionItem(ctx, dialog, control, draw);
      if (draw->itemAction == ODA_FOCUS || (draw->itemState & ODS_FOCUS)) {
        RECT r = draw->rcItem;
        DrawFocusRect(draw->hDC, &r);
      }
      return 1;
    }
    default:
      return 0;
  }
}

}  // namespace

const OptionComboRule* FdFindComboRule(uint32_t itemId, uint32_t) {
  for (const OptionComboRule* rule = OptGetOptionComboRules(); rule && rule->itemId; ++rule)
    if (rule->itemId == itemId) return rule;
  return nullptr;
}

uint32_t FdApplyComboGroups(DriverContext* ctx, const OptionComboRule* clicked) {
  uint32_t flags = 0;
  for (const OptionComboRule* rule = OptGetOptionComboRules(); rule && rule->itemId; ++rule) {
    if (!rule->groupList || !OptIsComboRuleOn(ctx, rule)) continue;
    bool anyOn = false;
    for (const uint32_t* member = rule->groupList; *member && !anyOn; ++member) {
      const OptionComboRule* m = FdFindComboRule(*member, 0);
      anyOn = m && OptIsComboRuleOn(ctx, m);
    }
    if (anyOn || !rule->groupList[0]) continue;
    const OptionComboRule* chosen = FdFindComboRule(rule->groupList[0], 0);
    if (chosen == clicked && rule->groupList[1]) chosen = FdFindComboRule(rule->groupList[1], 0);
    if (!chosen) continue;
    TurnOn(ctx, chosen);
    if (chosen->refresh) flags |= kFdComboRebuildTrays;
    if (chosen->repaint) flags |= kFdComboRepaintList;
  }
  return flags;
}

int FdOptionDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                       WPARAM wParam, LPARAM lParam) {
  if (!ctx || !dialog || !control) return 0;
  switch (control->controlId) {
    case kFdCtlOptionList:
      return control->window ? OptionListMessage(ctx, dialog, control, message, wParam, lParam) : 0;
    case kFdCtlTrayTable:
      return TrayTableMessage(ctx, dialog, control, message, wParam, lParam);
    case kFdCtlTrayPaper:
    case kFdCtlTrayMedia:
    case kFdCtlTrayPortrait:
    case kFdCtlTrayLandscape:
    case kFdCtlTrayLock:
      return EditorMessage(ctx, dialog, control, message, wParam, lParam);
    case kFdCtlTrayRebuild:
      return RebuildButtonMessage(ctx, dialog, control, message, wParam, lParam);
    default:
      return 0;
  }
}

int FmOptionsOnDialog(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                      WPARAM wParam, LPARAM lParam, void*) {
  if (!dialog || dialog->dialogId != kDlgOptions) return 0;
  return FdOptionDialogProc(ctx, dialog, control, message, wParam, lParam);
}
