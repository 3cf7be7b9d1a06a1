// The combo-box kinds of the pages (43 plain, 48 owner-drawn with pictures and hover help): their
// items are the values of the control's model item, so the model description decides what a
// user may pick. Beside them the small lookups the control kinds share: the picture of a value,
// the text id of an owner-drawn push button and the control under a point.
#include <array>

#include "env_language.h"
#include "feature_modules.h"
#include "model_query.h"
#include "option_access.h"
#include "sheet_engine.h"

namespace {

constexpr int kItemTextChars = 1025;
constexpr uint16_t kRestrictedPictureFlags = 1;

// Pictures of the values of the paper-feed direction combo (control 2937).
constexpr std::array<ItemPictureEntry, 5> kItemPictureTable = {{
    {2937, 13137, 7447, 7451, 0},
    {2937, 13138, 7446, 7450, 0},
    {2937, 13139, 7445, 7449, 0},
    {2937, 13140, 7448, 7452, 0},
    {0, 0, 0, 0, 0},
}};

// Texts of owner-drawn push buttons (0xFFFF: the button shows only its picture).
constexpr uint16_t kNoText = 0xFFFF;
constexpr std::array<ButtonTextEntry, 27> kButtonTextTable = {{
    {2037, kNoText}, {2038, kNoText}, {2079, kNoText}, {2080, kNoText}, {2096, kNoText}, {2097, kNoText},
    {2114, kNoText}, {2115, kNoText}, {2714, kNoText}, {2715, kNoText}, {2002, kNoText}, {2922, kNoText},
    {2923, kNoText}, {3114, kNoText}, {3115, kNoText}, {3363, kNoText}, {3364, kNoText}, {2003, 13187},
    {2140, 13191},   {2143, 13189},   {2144, 13190},   {2502, 13192},   {2503, 13193},   {2792, 13194},
    {2802, 13195},   {2803, 13196},   {0, 0},
}};

// The current value of the control's option as a combo's item data compares it: kinds 2 and 5
// as unsigned 16-bit numbers.
bool SameAsCurrent(const OptionEntry* option, LRESULT itemData, int32_t current) {
  const uint32_t kind = (option->typeWord >> 24) & 0x3F;
  if (kind == 2 || kind == 5) return uint16_t(itemData) == uint16_t(current);
  return int32_t(itemData) == current;
}

// The index of the first item whose data is the current value, -1 when none.
int FindCurrentItem(DriverContext* ctx, ControlDescriptor* control) {
  const int32_t current = OptGetControlValue(ctx, control);
  const int count = int(SendMessageW(control->window, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const LRESULT data = SendMessageW(control->window, CB_GETITEMDATA, WPARAM(i), 0);
    if (data != CB_ERR && SameAsCurrent(control->option, data, current)) return i;
  }
  return -1;
}

// The tag-4 record's refuse-restricted switch and picture of restricted items.
uint32_t AuxWord32(const uint16_t* aux, int at) { return aux ? uint32_t(aux[at]) | uint32_t(aux[at + 1]) << 16 : 0; }

bool IsGreyed(const ControlDescriptor* control) { return (control->state & kControlGreyMask) != 0; }


// Item text drawn after a square of the item's height (where the picture goes), or at the left
// edge without a picture; vertically centred.
void DrawItemText(HDC dc, const RECT& item, const WCHAR* text, int length, bool afterSquare) {
  SIZE extent{};
  GetTextExtentPoint32W(dc, text, length, &extent);
  const int height = item.bottom - item.top;
  const int x = item.left + (afterSquare ? height : 0) + 2;
  const int y = item.top + (height - extent.cy) / 2;
  ExtTextOutW(dc, x, y, ETO_CLIPPED | ETO_OPAQUE, &item, text, UINT(length), nullptr);
}

}  // namespace

int UiFillComboFromItem(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!control || !control->option) return 0;
  HWND combo = control->window;
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  const ModelItem* item = control->modelItem;
  const ModelImage* image = ctx->modelImage;
  if (item && image) {
    WCHAR* text = ctx->workArea->scratchText;
    int limit = MdlCountList(image, item->values);
    for (const ModelValue* v = MdlImageAt<ModelValue>(image, item->values); v && limit-- > 0;
         v = MdlNextItemValue(image, item, v)) {
      const ItemRuleRow* rows = nullptr;
      const uint16_t valueId = UiGetItemValueId(ctx, item, v, &rows);
      if (valueId == 0) break;
      if (rows && MdlIsDisabled(item, valueId, ctx)) continue;
      text[0] = 0;
      if (EnvLoadString(ctx, valueId, text, kItemTextChars, 1) <= 0) text[0] = 0;
      const LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
      if (at >= 0) SendMessageW(combo, CB_SETITEMDATA, WPARAM(at), LPARAM(valueId));
    }
  }
  UiSelectComboByValue(ctx, dialog, control);
  return 0;
}

void UiSelectComboByValue(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!control || !control->option) return;
  const int at = FindCurrentItem(ctx, control);
  if (at < 0) {
    SendMessageW(control->window, CB_SETCURSEL, WPARAM(-1), 0);
    return;
  }
  if (SendMessageW(control->window, CB_GETCURSEL, 0, 0) != at) SendMessageW(control->window, CB_SETCURSEL, WPARAM(at), 0);
}

void UiRefreshChangedCombo(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!control || !control->option || !(control->option->stateBits & 0x3)) return;
  const int at = FindCurrentItem(ctx, control);
  if (at >= 0 && SendMessageW(control->window, CB_GETCURSEL, 0, 0) != at)
    SendMessageW(control->window, CB_SETCURSEL, WPARAM(at), 0);
}

int UiComboCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                   LPARAM) {
  if (!ctx || !dialog || !control || !control->option) return 0;
  if (HIWORD(wParam) != CBN_SELCHANGE || ctx->dialogId != dialog->dialogId) return 0;
  const int32_t old = OptGetControlValue(ctx, control);
  const LRESULT sel = SendMessageW(control->window, CB_GETCURSEL, 0, 0);
  if (sel == CB_ERR) return 0;
  const uint32_t value = uint32_t(SendMessageW(control->window, CB_GETITEMDATA, WPARAM(sel), 0));
  const uint16_t* aux = UiGetControlAux(control, kAuxComboExtras);
  if (control->modelItem && MdlIsRestricted(control->modelItem, uint16_t(value), ctx) && AuxWord32(aux, 2) &&
      control->informationMessageId) {
    WCHAR* text = ctx->workArea->scratchText;
    if (EnvLoadString(ctx, control->informationMessageId, text, kItemTextChars, 1) <= 0) text[0] = 0;
    MessageBoxW(control->window, text, u"Information", MB_ICONINFORMATION);
    const int back = FindCurrentItem(ctx, control);
    SendMessageW(control->window, CB_SETCURSEL, WPARAM(back), 0);
    return 1;
  }
  if (SameAsCurrent(control->option, LRESULT(value), old)) {
    UiApplyControlChange(ctx, dialog, control, 0, 0);
    return 1;
  }
  UiSetControlValue(ctx, dialog, control, value);
  const int32_t now = OptGetControlValue(ctx, control);
  if (now != old) {
    FmComboChangedParam notice{control, dialog, old, now, 0};
    FmBroadcastNotify(ctx, kFmNotifyComboChanged, &notice);
  }
  return 1;
}

int UiDrawComboItem(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM,
                    LPARAM lParam) {
  if (msg != WM_DRAWITEM || !control || control->kind != 48) return 0;
  auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
  if (!draw || int(draw->itemID) < 0) return 0;
  HDC dc = draw->hDC;
  RECT item = draw->rcItem;
  const bool greyed = IsGreyed(control);
  const bool selected = (draw->itemState & ODS_SELECTED) != 0;
  const COLORREF background = GetSysColor(greyed ? COLOR_BTNFACE : selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  const COLORREF oldBackground = SetBkColor(dc, background);
  if (draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
    if (selected && SendMessageW(control->window, CB_GETDROPPEDSTATE, 0, 0) && dialog && dialog->window) {
      RECT combo{};
      GetWindowRect(control->window, &combo);
      POINT at{combo.right, combo.bottom + item.top};
      ScreenToClient(dialog->window, &at);
      UiUpdateHoverTip(ctx, control, dialog->window, at.x, at.y, int(draw->itemID));
    }
    WCHAR* text = ctx->workArea->scratchText;
    text[0] = 0;
    const LRESULT length = SendMessageW(control->window, CB_GETLBTEXTLEN, draw->itemID, 0);
    int n = 0;
    if (length >= 0 && length < kItemTextChars)
      n = int(SendMessageW(control->window, CB_GETLBTEXT, draw->itemID, reinterpret_cast<LPARAM>(text)));
    if (n < 0) n = 0;
    const uint16_t valueId = uint16_t(draw->itemData);
    const uint16_t* aux = UiGetControlAux(control, kAuxComboExtras);
    const uint32_t restrictedPicture = AuxWord32(aux, 4);
    if (control->modelItem && MdlIsRestricted(control->modelItem, valueId, ctx) && AuxWord32(aux, 2) &&
        restrictedPicture) {
      SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
      DrawItemText(dc, item, text, n, true);
      UiDrawPicture(ctx, dialog, control, nullptr, &item, uint16_t(restrictedPicture), kRestrictedPictureFlags, 0);
    } else {
      const uint16_t picture = UiGetItemPicture(control, valueId);
      SetTextColor(dc, GetSysColor(greyed ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
      DrawItemText(dc, item, text, n, picture != 0);
      if (picture) UiDrawPicture(ctx, dialog, control, nullptr, &item, picture, kRestrictedPictureFlags, 0);
    }
    SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
  }
  SetBkColor(dc, oldBackground);
  if ((draw->itemAction & ODA_FOCUS) || (draw->itemState & ODS_FOCUS)) DrawFocusRect(dc, &item);
  return 1;
}

void UiRepaintControl(DriverContext*, DialogDescriptor*, ControlDescriptor* control) {
  if (control && control->window) InvalidateRect(control->window, nullptr, FALSE);
}

uint16_t UiGetItemPicture(const ControlDescriptor* control, uint16_t valueId) {
  if (!control) return 0;
  for (const ItemPictureEntry& row : kItemPictureTable) {
    if (row.valueId == 0) break;
    if (row.controlId == control->controlId && row.valueId == valueId)
      return row.greyPictureId && IsGreyed(control) ? row.greyPictureId : row.pictureId;
  }
  return 0;
}

uint16_t UiGetItemSecondPicture(const ControlDescriptor* control, uint16_t valueId) {
  if (!control) return 0;
  for (const ItemPictureEntry& row : kItemPictureTable) {
    if (row.valueId == 0) break;
    if (row.controlId == control->controlId && row.valueId == valueId) return row.secondPictureId;
  }
  return 0;
}

void UiSetButtonTextId(DriverContext* ctx, const ControlDescriptor* control) {
  SheetEngineState* state = UiSheetState(ctx);
  if (!state) return;
  state->buttonTextId = 0;
  if (!control) return;
  for (const ButtonTextEntry& row : kButtonTextTable) {
    if (row.controlId == 0) break;
    if (row.controlId == control->controlId) {
      state->buttonTextId = row.stringId;
      return;
    }
  }
}

void UiClearButtonTextId(DriverContext* ctx) {
  if (SheetEngineState* state = UiSheetState(ctx)) state->buttonTextId = 0;
}

ControlDescriptor* UiFindControlAtPoint(DialogDescriptor* dialog, int x, int y) {
  if (!dialog || !dialog->controls) return nullptr;
  for (int i = dialog->controlCount - 1; i >= 0; --i) {
    ControlDescriptor* control = &dialog->controls[i];
    if (!control->window || !IsWindow(control->window) || (control->state & kControlHiddenMask)) continue;
    RECT r{};
    GetWindowRect(control->window, &r);
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return control;
  }
  return nullptr;
}

void UiPageInitHook(DriverContext*) {}
