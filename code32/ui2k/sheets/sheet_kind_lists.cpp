// List boxes: plain lists, owner-drawn lists of pictures or texts, the check list of hidden
// functions and the preset list.
#include "core_memory.h"
#include "env_language.h"
#include "preset_list.h"
#include "sheet_kinds.h"
#include "undo_images.h"

using namespace sheet_kinds;

namespace {

constexpr uint32_t kControlPictureItems = 0x08000000u;
constexpr uint16_t kPictureCheckOn = 7003, kPictureCheckOff = 7001;
constexpr uint16_t kPictureCheckOnGrey = 7004, kPictureCheckOffGrey = 7002;

bool SameValue(const ControlDescriptor* control, LRESULT data, int32_t current) {
  const uint32_t kind = OptionKind(control);
  if (kind == 2 || kind == 5) return uint16_t(data) == uint16_t(current);
  return int32_t(data) == current;
}

int FindItemOfValue(DriverContext* ctx, ControlDescriptor* control, int32_t value) {
  const int count = int(SendMessageW(control->window, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const LRESULT data = SendMessageW(control->window, LB_GETITEMDATA, WPARAM(i), 0);
    if (data != LB_ERR && SameValue(control, data, value)) return i;
  }
  (void)ctx;
  return -1;
}

void SelectItem(ControlDescriptor* control, int at) {
  if (SendMessageW(control->window, LB_GETCURSEL, 0, 0) != at) SendMessageW(control->window, LB_SETCURSEL, WPARAM(at), 0);
}

// The brush answer of WM_CTLCOLORLISTBOX for the control's own list.
int AnswerListColour(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, LPARAM lParam) {
  if (reinterpret_cast<HWND>(lParam) != control->window || !dialog || !dialog->window) return 0;
  HGDIOBJ brush = IsGreyed(control) ? ctx->workArea->gdiObjects[0] : GetStockObject(WHITE_BRUSH);
  if (control->kind == 50) brush = ctx->workArea->gdiObjects[1];
  if (!brush) brush = GetStockObject(WHITE_BRUSH);
  SetWindowLongPtrW(dialog->window, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(brush));
  return 1;
}

COLORREF ItemBackground(const ControlDescriptor* control, const DRAWITEMSTRUCT* draw, COLORREF normal) {
  if (IsGreyed(control)) return GetSysColor(COLOR_BTNFACE);
  if (draw->itemState & ODS_SELECTED) return GetSysColor(COLOR_HIGHLIGHT);
  return normal;
}

void DrawFocusIfDue(const DRAWITEMSTRUCT* draw) {
  if ((draw->itemAction & ODA_FOCUS) || (draw->itemState & ODS_FOCUS)) DrawFocusRect(draw->hDC, &draw->rcItem);
}

// The option of a check-list row: the row's entry of the list's option array.
OptionEntry* CheckListRowOption(DriverContext* ctx, const ControlDescriptor* control, int row) {
  if (!control->auxRecord || row < 0 || row >= 96) return nullptr;
  return OptFind(ctx, control->auxRecord[row]);
}

}  // namespace

// ---- plain and owner-drawn lists -------------------------------------------------------------------

int UiFillListFromItem(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!ctx || !control || !control->option || !control->window) return 0;
  SendMessageW(control->window, LB_RESETCONTENT, 0, 0);
  WCHAR* text = ctx->workArea->scratchText;
  ForEachEnabledValue(ctx, control, [&](uint16_t valueId) {
    const LRESULT at = SendMessageW(control->window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadText(ctx, valueId, text)));
    if (at >= 0) SendMessageW(control->window, LB_SETITEMDATA, WPARAM(at), LPARAM(valueId));
    return true;
  });
  UiSelectListByValue(ctx, dialog, control);
  return 0;
}

int UiFillOwnerListFromItem(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!ctx || !control || !control->option || !control->window) return 0;
  SendMessageW(control->window, LB_RESETCONTENT, 0, 0);
  ForEachEnabledValue(ctx, control, [&](uint16_t valueId) {
    const LRESULT at = SendMessageW(control->window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u""));
    if (at >= 0) SendMessageW(control->window, LB_SETITEMDATA, WPARAM(at), LPARAM(valueId));
    return true;
  });
  UiSelectListByValue(ctx, dialog, control);
  return 0;
}

void UiSelectListByValue(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!ctx || !control || !control->option || !control->window) return;
  SelectItem(control, FindItemOfValue(ctx, control, OptGetControlValue(ctx, control)));
}

int UiListCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                  LPARAM lParam) {
  if (!ctx || !control || !control->option || !control->window) return 0;
  if (UiGetCommandCode(wParam, lParam) != LBN_SELCHANGE) return 0;
  const LRESULT sel = SendMessageW(control->window, LB_GETCURSEL, 0, 0);
  if (sel == LB_ERR) return 0;
  const LRESULT data = SendMessageW(control->window, LB_GETITEMDATA, WPARAM(sel), 0);
  const int32_t old = OptGetControlValue(ctx, control);
  if (data == LB_ERR || SameValue(control, data, old)) return 0;
  const uint16_t* aux = UiGetControlAux(control, kAuxComboExtras);
  if (control->modelItem && MdlIsRestricted(control->modelItem, uint16_t(data), ctx) && AuxWord32(aux, 2) &&
      control->informationMessageId) {
    ShowInformation(ctx, control);
    SelectItem(control, FindItemOfValue(ctx, control, old));
    return 1;
  }
  UiSetControlValue(ctx, dialog, control, uint32_t(data));
  return 1;
}

int UiDrawListItem(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM,
                   LPARAM lParam) {
  if (!ctx || !control || !control->window) return 0;
  if (msg == WM_CTLCOLORLISTBOX) return AnswerListColour(ctx, dialog, control, lParam);
  if (msg != WM_DRAWITEM) return 0;
  auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
  if (!draw || draw->hwndItem != control->window) return 0;
  HDC dc = draw->hDC;
  RECT item = draw->rcItem;
  if ((draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) && draw->itemData != 0 && int(draw->itemID) >= 0) {
    const COLORREF background = ItemBackground(control, draw, GetSysColor(COLOR_WINDOW));
    const COLORREF oldBackground = SetBkColor(dc, background);
    HBRUSH fill = CreateSolidBrush(background);
    FillRect(dc, &item, fill);
    DeleteObject(fill);
    const uint16_t valueId = uint16_t(draw->itemData);
    if (control->flags & kControlPictureItems) {
      SheetEngineState* state = UiSheetState(ctx);
      const COLORREF saved = state->composition.background;
      state->composition.background = background;
      HBITMAP picture = UiLoadBitmap(ctx, valueId);
      if (picture) {
        UiDrawBitmap(ctx, dialog, control, dc, &item, 0, 0, picture, 9, 0);
        DeleteObject(picture);
      }
      state->composition.background = saved;
    } else {
      WCHAR* text = ctx->workArea->scratchText;
      LoadText(ctx, valueId, text);
      const uint16_t* aux = UiGetControlAux(control, kAuxComboExtras);
      const uint32_t restrictedPicture = AuxWord32(aux, 4);
      const bool restricted = control->modelItem && MdlIsRestricted(control->modelItem, valueId, ctx) &&
                              AuxWord32(aux, 2) && restrictedPicture;
      uint16_t picture = restricted ? uint16_t(restrictedPicture) : UiGetItemPicture(control, valueId);
      SetTextColor(dc, GetSysColor(restricted || IsGreyed(control) ? COLOR_GRAYTEXT
                                   : (draw->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHTTEXT
                                                                      : COLOR_MENUTEXT));
      SIZE extent{};
      UiMeasureText(dc, text, &extent);
      const int height = item.bottom - item.top;
      const int x = item.left + (picture ? height : 0) + 2;
      ExtTextOutW(dc, x, item.top + (height - extent.cy) / 2, ETO_CLIPPED | ETO_OPAQUE, &item, text,
                  UINT(std::char_traits<WCHAR>::length(text)), nullptr);
      if (picture) UiDrawPicture(ctx, dialog, control, nullptr, &item, picture, 1, 0);
      SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
    }
    SetBkColor(dc, oldBackground);
  }
  DrawFocusIfDue(draw);
  return 1;
}

int UiCheckListMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                       WPARAM wParam, LPARAM lParam) {
  if (!ctx || !control || !control->window) return 0;
  if (msg == WM_CTLCOLORLISTBOX) return AnswerListColour(ctx, dialog, control, lParam);
  if (msg == WM_DRAWITEM) {
    auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (!draw || draw->CtlID != control->controlId || int(draw->itemID) < 0) return 0;
    HDC dc = draw->hDC;
    RECT item = draw->rcItem;
    OptionEntry* row = CheckListRowOption(ctx, control, int(draw->itemID));
    const bool on = row && OptReadUiValue(ctx, row) != 0;
    const bool grey = IsGreyed(control) ||
                      (control->modelItem && MdlIsRestricted(control->modelItem, uint16_t(draw->itemData), ctx));
    const uint16_t picture = grey ? (on ? kPictureCheckOnGrey : kPictureCheckOffGrey) : (on ? kPictureCheckOn : kPictureCheckOff);
    const COLORREF background = GetSysColor(grey ? COLOR_BTNFACE : COLOR_WINDOW);
    HBRUSH fill = CreateSolidBrush(background);
    FillRect(dc, &item, fill);
    DeleteObject(fill);
    const COLORREF oldBackground = SetBkColor(dc, background);
    SetTextColor(dc, GetSysColor(grey ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    WCHAR* text = ctx->workArea->scratchText;
    LoadText(ctx, uint16_t(draw->itemData), text);
    const int height = item.bottom - item.top;
    RECT textArea{item.left + 2 * height, item.top, item.right, item.bottom};
    DrawTextW(dc, text, -1, &textArea, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RECT square{item.left, item.top, item.left + height, item.bottom};
    UiDrawPicture(ctx, dialog, control, nullptr, &square, picture, 1, 0);
    SetBkColor(dc, oldBackground);
    DrawFocusIfDue(draw);
    return 1;
  }
  const bool click = msg == WM_LBUTTONUP;
  const bool space = msg == WM_CHAR && wParam == u' ';
  if (!click && !space) return 0;
  const LRESULT sel = SendMessageW(control->window, LB_GETCURSEL, 0, 0);
  if (sel != LB_ERR && !IsGreyed(control)) {
    if (OptionEntry* row = CheckListRowOption(ctx, control, int(sel))) {
      OptSetUiValue(ctx, row->id, OptReadUiValue(ctx, row) ? 0 : 1);
      InvalidateRect(control->window, nullptr, TRUE);
    }
  }
  NotifySheetChanged(dialog);
  return 0;
}

// ---- the preset list ------------------------------------------------------------------------------

int UiFillPresetList(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!ctx || !control || !control->option || !control->window) return 0;
  SendMessageW(control->window, LB_RESETCONTENT, 0, 0);
  const int presets = CfgGetPresetCount(ctx);
  WCHAR* text = ctx->workArea->scratchText;
  ForEachEnabledValue(ctx, control, [&](uint16_t valueId) {
    if (SendMessageW(control->window, LB_GETCOUNT, 0, 0) >= presets) return false;
    LoadText(ctx, valueId, text);
    text[kPresetKeyChars - 1] = 0;
    const LRESULT at = SendMessageW(control->window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (at >= 0) SendMessageW(control->window, LB_SETITEMDATA, WPARAM(at), LPARAM(valueId));
    return true;
  });
  UiSelectListByValue(ctx, dialog, control);
  return 0;
}

namespace {

// The key text of a list item (kPresetKeyChars characters at most); empty when it is longer.
void ItemKey(HWND list, int index, WCHAR* key) {
  key[0] = 0;
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, WPARAM(index), 0);
  if (length < 0 || length >= kPresetKeyChars) return;
  SendMessageW(list, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(key));
}

}  // namespace

int UiPresetListCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                        LPARAM lParam) {
  if (!ctx || !control || !control->option || !control->window) return 0;
  if (UiGetCommandCode(wParam, lParam) != LBN_SELCHANGE) return 0;
  const LRESULT sel = SendMessageW(control->window, LB_GETCURSEL, 0, 0);
  if (sel == LB_ERR) return 0;
  WCHAR key[kPresetKeyChars];
  ItemKey(control->window, int(sel), key);
  CfgPresetValueCache(ctx, nullptr, kPresetCacheFree);
  DmPushSnapshot(ctx);
  CfgLoadPresetByKey(ctx, key);
  OptWriteUiValue(ctx, control->option, uint32_t(SendMessageW(control->window, LB_GETITEMDATA, WPARAM(sel), 0)));
  if (UiApplyControlChange(ctx, dialog, control, 0, 0)) {
    DmPopSnapshot(ctx, 1);
    MessageBeep(UINT(-1));
    ItemKey(control->window, 0, key);
    CfgLoadPresetByKey(ctx, key);
    OptWriteUiValue(ctx, control->option, uint32_t(SendMessageW(control->window, LB_GETITEMDATA, 0, 0)));
    if (OptGetUiValue(ctx, 364, nullptr) || OptGetUiValue(ctx, 365, nullptr))
      UiRunItemTransact(ctx, dialog, control->modelItem, control->builtInFunc);
    UiSelectListByValue(ctx, dialog, control);
  } else {
    DmPopSnapshot(ctx, 0);
  }
  UiRefreshDialog(ctx, dialog, 1);
  return 1;
}

int UiDrawPresetItem(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM,
                     LPARAM lParam) {
  if (!ctx || !control || !control->window) return 0;
  if (msg == WM_CTLCOLORLISTBOX) return AnswerListColour(ctx, dialog, control, lParam);
  if (msg != WM_DRAWITEM) return 0;
  auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
  if (!draw || draw->hwndItem != control->window || int(draw->itemID) < 0) return 0;
  if (draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
    static constexpr uint16_t kKept[] = {13, 54, 53, 15, 699};
    int32_t kept[5];
    for (int i = 0; i < 5; ++i) kept[i] = OptGetUiValue(ctx, kKept[i], nullptr);
    DmPushSnapshot(ctx);
    WCHAR key[kPresetKeyChars];
    ItemKey(control->window, int(draw->itemID), key);
    CfgLoadPresetByKey(ctx, key);
    if (draw->itemAction != ODA_SELECT && (draw->itemState & ODS_SELECTED))
      for (int i = 0; i < 5; ++i) OptSetUiValue(ctx, kKept[i], uint32_t(kept[i]));
    UiRunItemTransact(ctx, dialog, control->modelItem, control->builtInFunc);
    if (draw->itemData) {
      HDC dc = draw->hDC;
      RECT item = draw->rcItem;
      const bool selected = (draw->itemState & ODS_SELECTED) != 0;
      const COLORREF background = ItemBackground(control, draw, RGB(255, 255, 255));
      HBRUSH fill = CreateSolidBrush(background);
      FillRect(dc, &item, fill);
      DeleteObject(fill);
      WCHAR name[64] = {};
      if (OptionEntry* row = OptFind(ctx, kOptPresetName)) OptGetStringValue(ctx, row, name, 64);
      TEXTMETRICW metrics{};
      GetTextMetricsW(dc, &metrics);
      RECT band{item.left, item.bottom - (metrics.tmHeight + 4), item.right, item.bottom};
      const COLORREF oldBackground = SetBkColor(dc, background);
      SetTextColor(dc, selected && !IsGreyed(control) ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                       : IsGreyed(control)            ? GetSysColor(COLOR_GRAYTEXT)
                                                      : RGB(0, 0, 0));
      DrawTextW(dc, name, -1, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
      RECT preview{item.left, item.top, item.right, band.top};
      if (dialog && control->linkedControl) {
        if (ControlDescriptor* linked = OptFindControl(ctx, dialog, control->linkedControl))
          UiDrawLayeredPicture(ctx, dialog, linked, dc, &preview);
      }
      SetBkColor(dc, oldBackground);
    }
    DmPopSnapshot(ctx, 1);
  }
  DrawFocusIfDue(draw);
  return 1;
}
