// Value labels, value icons, push buttons, check boxes and radio buttons.
#include <cstring>

#include "env_language.h"
#include "remote_config.h"
#include "sheet_kinds.h"

using namespace sheet_kinds;

namespace {

// Formats the one integer of a label's format text. Only formats with at most one integer
// conversion (d i u x X, with flags, width and precision) are formatted; any other conversion
// would read an argument that is not there, so such a text is shown as it stands.
void FormatWithValue(WCHAR* out, const WCHAR* format, int32_t value) {
  int conversions = 0;
  bool safe = true;
  for (const WCHAR* p = format; *p && safe; ++p) {
    if (*p != u'%') continue;
    ++p;
    if (*p == u'%') continue;
    while (*p == u'-' || *p == u'+' || *p == u' ' || *p == u'#' || *p == u'0') ++p;
    while (*p >= u'0' && *p <= u'9') ++p;
    if (*p == u'.') {
      ++p;
      while (*p >= u'0' && *p <= u'9') ++p;
    }
    if (*p == u'l' || *p == u'h') ++p;
    if (*p == u'd' || *p == u'i' || *p == u'u' || *p == u'x' || *p == u'X')
      ++conversions;
    else
      safe = false;
    if (!*p) break;
  }
  if (safe && conversions <= 1) {
    if (swprintf(out, kTextChars, format, value) >= 0) return;
    out[kTextChars - 1] = 0;
    return;
  }
  int n = 0;
  for (; format[n] && n < kTextChars - 1; ++n) out[n] = format[n];
  out[n] = 0;
}

}  // namespace

// ---- value labels and icons ---------------------------------------------------------------------

void UiRefreshValueLabel(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!ctx || !control || !control->option || !control->modelItem || !control->window) return;
  const int32_t value = OptGetControlValue(ctx, control);
  WCHAR* format = ctx->workArea->scratchText;
  WCHAR text[kTextChars];
  bool any = false;
  ForEachEnabledValue(ctx, control, [&](uint16_t valueId) {
    if (LoadText(ctx, valueId, format)[0] == 0) return true;
    FormatWithValue(text, format, value);
    any = true;
    return true;
  });
  if (any) SetWindowTextW(control->window, text);
}

void UiDrawValueIcon(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!ctx || !control || !control->option || !control->modelItem || !control->window) return;
  const bool typeOne = (control->modelItem->typeWord & 0xFF) == 1;
  if (typeOne && control->linkedControl == 0) {
    UiDrawIconInWindow(ctx, control->window, uint16_t(OptGetControlValue(ctx, control)));
    return;
  }
  ForEachEnabledValue(ctx, control, [&](uint16_t valueId) {
    UiDrawIconInWindow(ctx, control->window, valueId);
    return !typeOne;
  });
}

// ---- push buttons -------------------------------------------------------------------------------

int UiInitPushButton(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!ctx || !control) return 0;
  UiSetButtonTextId(ctx, control);
  const uint16_t id = UiSheetState(ctx)->buttonTextId;
  if (id != 0 && id != 0xFFFF && control->window)
    SetWindowTextW(control->window, LoadText(ctx, id, ctx->workArea->scratchText));
  UiClearButtonTextId(ctx);
  return 1;
}

int UiInitTwoLineButton(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  const auto* aux = UiGetAuxRecord<AuxTwoLineButton>(control, kAuxTwoLineButton);
  if (!ctx || !aux || !control->window) return 0;
  WCHAR first[kTextChars];
  WCHAR* text = ctx->workArea->scratchText;
  LoadText(ctx, aux->firstString, first);
  LoadText(ctx, aux->secondString, text);
  const size_t a = std::char_traits<WCHAR>::length(first);
  const size_t b = std::char_traits<WCHAR>::length(text);
  WCHAR joined[2 * kTextChars];
  std::memcpy(joined, first, a * sizeof(WCHAR));
  joined[a] = u' ';
  std::memcpy(joined + a + 1, text, b * sizeof(WCHAR));
  joined[a + 1 + b] = 0;
  SetWindowTextW(control->window, joined);
  return 1;
}

int UiPushButtonCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM, LPARAM) {
  if (!ctx || !control) return 0;
  if (control->controlId == 3304 || control->controlId == 3305) {
    char address[64] = {};
    BidiGetDeviceAddress(ctx, address, sizeof address);
    address[sizeof address - 1] = 0;
    WCHAR url[8 + 64] = u"http://";
    int n = 7;
    for (int i = 0; address[i] && i < 63; ++i) url[n++] = WCHAR(uint8_t(address[i]));
    url[n] = 0;
    ShellExecuteW(nullptr, nullptr, url, nullptr, nullptr, SW_SHOWNORMAL);
    return 1;
  }
  if (control->modelItem && UiCheckItemAlert(ctx, dialog, control->modelItem) == 0)
    UiRunItemTransact(ctx, dialog, control->modelItem, control->builtInFunc);
  return 1;
}

int UiDrawPushButton(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM,
                     LPARAM lParam) {
  if (!ctx || !control || !control->window) return 0;
  if (msg == WM_MEASUREITEM) {
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (!measure || measure->CtlID != control->controlId) return 0;
    RECT client{};
    GetClientRect(control->window, &client);
    measure->itemWidth = UINT(client.right - client.left);
    measure->itemHeight = UINT(client.bottom - client.top);
    return 1;
  }
  if (msg != WM_DRAWITEM) return 0;
  auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
  if (!draw || draw->hwndItem != control->window) return 0;
  if (!(draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT | ODA_FOCUS))) return 0;
  HDC dc = draw->hDC;
  RECT item = draw->rcItem;
  const int focused = (draw->itemAction & ODA_FOCUS) || (draw->itemState & ODS_FOCUS);
  const int pressed = (draw->itemState & ODS_SELECTED) != 0;
  const int height = item.bottom - item.top;
  const auto* twoLine = UiGetAuxRecord<AuxTwoLineButton>(control, kAuxTwoLineButton);
  if (twoLine) {
    UiDrawPanelButton(ctx, dialog, control, control->window, dc, &item, 2, pressed, focused);
    RECT area{item.left + height, item.top, item.right, item.bottom};
    InflateRect(&area, -8, -8);
    WCHAR first[kTextChars], second[kTextChars];
    LoadText(ctx, twoLine->firstString, first);
    LoadText(ctx, twoLine->secondString, second);
    const bool disabled = (draw->itemState & ODS_DISABLED) != 0;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    auto drawTexts = [&](int dx, COLORREF colour) {
      SetTextColor(dc, colour);
      RECT r1 = area;
      OffsetRect(&r1, dx, dx);
      const int h1 = DrawTextW(dc, first, -1, &r1, DT_WORDBREAK | DT_NOPREFIX);
      RECT r2 = area;
      r2.top += h1 + 7;
      OffsetRect(&r2, dx, dx);
      if (twoLine->underline) {
        HPEN pen = CreatePen(PS_SOLID, 1, colour);
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, r2.left, r2.top - 4, nullptr);
        LineTo(dc, r2.right, r2.top - 4);
        SelectObject(dc, old);
        DeleteObject(pen);
      }
      DrawTextW(dc, second, -1, &r2, DT_WORDBREAK | DT_NOPREFIX);
    };
    if (disabled) {
      drawTexts(1, RGB(255, 255, 255));
      drawTexts(0, GetSysColor(COLOR_GRAYTEXT));
    } else {
      drawTexts(0, GetSysColor(COLOR_BTNTEXT));
    }
    SetBkMode(dc, oldMode);
  } else {
    UiSetButtonTextId(ctx, control);
    UiDrawPanelButton(ctx, dialog, control, control->window, dc, &item, 2, pressed, focused);
    UiClearButtonTextId(ctx);
  }
  ForEachEnabledValue(ctx, control, [&](uint16_t valueId) {
    if (twoLine) {
      RECT square{item.left, item.top, item.left + height, item.bottom};
      UiDrawPicture(ctx, dialog, control, nullptr, &square, valueId, 0x51, 0);
      return true;
    }
    UiSetButtonTextId(ctx, control);
    const uint16_t textId = UiSheetState(ctx)->buttonTextId;
    UiClearButtonTextId(ctx);
    WCHAR* text = ctx->workArea->scratchText;
    text[0] = 0;
    if (textId == 0)
      std::memcpy(text, u"...", 4 * sizeof(WCHAR));
    else if (textId != 0xFFFF)
      LoadText(ctx, textId, text);
    RECT picture = item;
    if (text[0]) {
      SIZE extent{};
      UiMeasureText(dc, text, &extent);
      picture.right = item.left + (item.right - item.left - extent.cx) / 2;
    }
    UiDrawPicture(ctx, dialog, control, nullptr, &picture, valueId, 1, 0);
    return true;
  });
  return 1;
}

LRESULT CALLBACK UiPushButtonWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (GetWindowLongPtrW(window, GWLP_USERDATA) == 0) return 0;
  return UiControlWndProc(window, msg, wParam, lParam);
}

// ---- check boxes and radio buttons ----------------------------------------------------------------

void UiRefreshCheck(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!ctx || !dialog || !control || !control->option || !dialog->window) return;
  CheckDlgButton(dialog->window, control->controlId,
                 OptGetControlValue(ctx, control) ? BST_CHECKED : BST_UNCHECKED);
}

int UiToggleCheck(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT, WPARAM, LPARAM) {
  if (!ctx || !control || !control->option) return 0;
  UiSetControlValue(ctx, dialog, control, OptGetControlValue(ctx, control) ? 0 : 1);
  return 1;
}

int UiCheckCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM, LPARAM) {
  if (!ctx || !dialog || !control || !control->option || !dialog->window) return 0;
  const bool marked = IsDlgButtonChecked(dialog->window, control->controlId) == BST_CHECKED;
  const bool on = OptGetControlValue(ctx, control) != 0;
  if (marked == on) return 0;
  UiSetControlValue(ctx, dialog, control, on ? 0 : 1);
  return 1;
}

void UiRefreshRadio(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!ctx || !dialog || !control || !control->option || !dialog->window) return;
  const bool current = uint32_t(OptGetControlValue(ctx, control)) == control->controlId;
  CheckDlgButton(dialog->window, control->controlId, current ? BST_CHECKED : BST_UNCHECKED);
}

int UiSelectRadio(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT, WPARAM, LPARAM) {
  if (!ctx || !control || !control->option) return 0;
  UiSetControlValue(ctx, dialog, control, control->controlId);
  return 1;
}

int UiRadioCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM, LPARAM) {
  if (!ctx || !dialog || !control || !control->option || !dialog->window) return 0;
  const bool marked = IsDlgButtonChecked(dialog->window, control->controlId) == BST_CHECKED;
  const bool current = uint32_t(OptGetControlValue(ctx, control)) == control->controlId;
  if (marked == current) return 0;
  UiSetControlValue(ctx, dialog, control, control->controlId);
  return 1;
}
