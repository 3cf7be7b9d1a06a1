// The hover help of the pages: a small popup beside the control under the pointer with the
// control's description, or the hovered item of a combo box. One tip per context: made hidden,
// shown by the dialog's timer one second later when the pointer is still there, removed by any
// new hover, command, notification or value change.
#include <algorithm>
#include <string>

#include "env_language.h"
#include "sheet_engine.h"

namespace {

constexpr UINT_PTR kTipTimer = 1;
constexpr UINT kTipDelayMs = 1000;
constexpr int kTipTextChars = 1025;
constexpr COLORREF kTipFace = 0xD8FFFF;  // light yellow
constexpr COLORREF kTipText = 0x000000;
constexpr int kTipMarginX = 8;            // window width beyond the text
constexpr int kTipMarginY = 6;
constexpr int kTipInset = 2;
constexpr int kScreenGapX = 16;           // kept free to the right and below the tip
constexpr int kScreenGapY = 12;
constexpr UINT kTipTextFormat = DT_NOPREFIX | DT_NOCLIP | DT_EXPANDTABS;

bool IsComboKind(uint16_t kind) { return kind == 43 || kind == 48; }
bool IsPaperPathPicture(const ControlDescriptor* control) {
  return control->kind == 2 && (control->controlId == 2067 || control->controlId == 0);
}

// The combo item a tip stands for: the given one, else the current selection.
int ComboItem(const ControlDescriptor* control, int item) {
  if (item >= 0) return item;
  return int(SendMessageW(control->window, CB_GETCURSEL, 0, 0));
}

// The text of a combo item: its value's string (by item data), else the item's own text.
std::u16string ComboItemText(DriverContext* ctx, const ControlDescriptor* control, int item) {
  if (item < 0) return {};
  std::u16string text(kTipTextChars, u'\0');
  const LRESULT data = SendMessageW(control->window, CB_GETITEMDATA, WPARAM(item), 0);
  if (data != CB_ERR && data > 0 && EnvLoadString(ctx, DWORD(data), text.data(), kTipTextChars, 1) > 0)
    return std::u16string(text.c_str());
  const LRESULT length = SendMessageW(control->window, CB_GETLBTEXTLEN, WPARAM(item), 0);
  if (length <= 0 || length >= kTipTextChars) return {};
  SendMessageW(control->window, CB_GETLBTEXT, WPARAM(item), reinterpret_cast<LPARAM>(text.data()));
  return std::u16string(text.c_str());
}

std::u16string TipText(DriverContext* ctx, const ControlDescriptor* control, int item) {
  if (control->descriptionStringId) {
    std::u16string text(kTipTextChars, u'\0');
    if (EnvLoadString(ctx, control->descriptionStringId, text.data(), kTipTextChars, 1) <= 0) return {};
    return std::u16string(text.c_str());
  }
  if (IsComboKind(control->kind)) return ComboItemText(ctx, control, ComboItem(control, item));
  return {};
}

// Width of the widest line and height of all lines ("\n" separates them) in the dialog's font.
SIZE MeasureTip(HWND dialog, const std::u16string& text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SIZE total{0, 0};
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(u'\n', start);
    const std::u16string line = text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
    SIZE extent{0, 0};
    GetTextExtentPoint32W(dc, line.empty() ? u" " : line.c_str(), line.empty() ? 1 : int(line.size()), &extent);
    total.cx = std::max(total.cx, line.empty() ? 0 : extent.cx);
    total.cy += extent.cy;
    if (end == std::u16string::npos) break;
    start = end + 1;
  }
  if (old) SelectObject(dc, old);
  DeleteDC(dc);
  return total;
}

// The screen without the task bar: its edge bounds the side of the screen it lies on.
RECT WorkArea() {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  HWND bar = FindWindowW(u"Shell_TrayWnd", nullptr);
  RECT r{};
  if (!bar || !GetWindowRect(bar, &r)) return area;
  const int midX = (area.left + area.right) / 2;
  const int midY = (area.top + area.bottom) / 2;
  const bool wide = (r.right - r.left) >= (r.bottom - r.top);
  if (!wide) {
    if (r.left >= midX) area.right = std::min(area.right, r.left);
    else if (r.right <= midX) area.left = std::max(area.left, r.right);
  } else {
    if (r.top >= midY) area.bottom = std::min(area.bottom, r.top);
    else if (r.bottom <= midY) area.top = std::max(area.top, r.bottom);
  }
  return area;
}

void PaintTip(HWND tip, HDC dc) {
  RECT client{};
  GetClientRect(tip, &client);
  HBRUSH face = CreateSolidBrush(kTipFace);
  FillRect(dc, &client, face);
  DeleteObject(face);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(tip, WM_GETFONT, 0, 0));
  HFONT own = nullptr;
  LOGFONTW lf{};
  if (font && GetObjectW(font, sizeof lf, &lf)) own = CreateFontIndirectW(&lf);
  HGDIOBJ old = own ? SelectObject(dc, own) : nullptr;
  SetTextColor(dc, kTipText);
  SetBkMode(dc, TRANSPARENT);
  const int length = GetWindowTextLengthW(tip);
  std::u16string text(size_t(length) + 1, u'\0');
  GetWindowTextW(tip, text.data(), length + 1);
  RECT r = client;
  InflateRect(&r, -kTipInset, -kTipInset);
  DrawTextW(dc, text.c_str(), length, &r, kTipTextFormat);
  if (old) SelectObject(dc, old);
  if (own) DeleteObject(own);
}

// The tip window paints itself as the tip, whoever asks it to.
LRESULT CALLBACK TipWndProc(HWND tip, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto classProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(tip, GWLP_USERDATA));
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(tip, &ps);
    PaintTip(tip, dc);
    EndPaint(tip, &ps);
    return 0;
  }
  if (msg == WM_ERASEBKGND) return 1;
  return classProc ? CallWindowProcW(classProc, tip, msg, wParam, lParam) : DefWindowProcW(tip, msg, wParam, lParam);
}

}  // namespace

void UiShowHoverTip(DriverContext* ctx, ControlDescriptor* control, HWND dialog, int x, int y) {
  UiUpdateHoverTip(ctx, control, dialog, x, y, -1);
}

void UiUpdateHoverTip(DriverContext* ctx, ControlDescriptor* control, HWND dialog, int x, int y, int item) {
  SheetEngineState* state = UiSheetState(ctx);
  if (!state) return;
  UiHoverTip& tip = state->tip;
  int32_t identity = x;
  if (control) {
    if (IsPaperPathPicture(control)) identity = y;
    else if (IsComboKind(control->kind)) identity = ComboItem(control, item);
  }
  if (control && tip.window && tip.controlId == control->controlId && tip.identity == identity) return;
  if (!control && tip.window && tip.timer) return;
  UiRemoveHoverTip(ctx);
  if (!control || !dialog) return;
  const std::u16string text = TipText(ctx, control, item);
  if (text.empty()) return;

  const SIZE size = MeasureTip(dialog, text);
  const int width = size.cx + kTipMarginX;
  const int height = size.cy + kTipMarginY;
  POINT at{x, y};
  ClientToScreen(dialog, &at);
  const RECT area = WorkArea();
  if (at.x + width + kScreenGapX > area.right) at.x = std::max(area.right - width - kScreenGapX, area.left + kScreenGapX);
  if (at.y + height + kScreenGapY > area.bottom)
    at.y = std::max(area.bottom - height - kScreenGapY, area.top + kScreenGapY);
  HWND window = CreateWindowExW(0, u"STATIC", text.c_str(), WS_POPUP | WS_BORDER, at.x, at.y, width, height, dialog,
                                nullptr, EnvLoadResourceDll(ctx), nullptr);
  if (!window) return;
  const LONG_PTR classProc = SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TipWndProc));
  SetWindowLongPtrW(window, GWLP_USERDATA, classProc);
  SendMessageW(window, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), 0);
  tip.window = window;
  tip.controlId = control->controlId;
  tip.identity = identity;
  tip.anchor = control->window;
  tip.timer = SetTimer(dialog, kTipTimer, kTipDelayMs, nullptr) ? kTipTimer : 0;
}

void UiPaintHoverTip(DriverContext* ctx) {
  SheetEngineState* state = UiSheetState(ctx);
  if (!state || !state->tip.window) return;
  HWND tip = state->tip.window;
  HDC dc = GetDC(tip);
  if (!dc) return;
  PaintTip(tip, dc);
  ReleaseDC(tip, dc);
  ValidateRect(tip, nullptr);
}

void UiRemoveHoverTip(DriverContext* ctx) {
  SheetEngineState* state = UiSheetState(ctx);
  if (!state) return;
  UiHoverTip& tip = state->tip;
  HWND dialog = tip.window ? GetWindow(tip.window, GW_OWNER) : nullptr;
  if (tip.timer && dialog) KillTimer(dialog, tip.timer);
  tip.timer = 0;
  if (tip.window) {
    const bool visible = IsWindowVisible(tip.window) != FALSE;
    RECT r{};
    GetWindowRect(tip.window, &r);
    DestroyWindow(tip.window);
    if (visible && dialog) {
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
      InvalidateRect(dialog, &r, TRUE);
    }
  }
  tip.window = nullptr;
  tip.controlId = 0;
  tip.identity = 0;
  tip.anchor = nullptr;
}

void UiHoverTipTimer(DriverContext* ctx, HWND dialog) {
  SheetEngineState* state = UiSheetState(ctx);
  KillTimer(dialog, kTipTimer);
  if (!state) return;
  UiHoverTip& tip = state->tip;
  tip.timer = 0;
  if (!tip.window || !tip.anchor) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  RECT area{};
  WCHAR cls[16] = {};
  GetClassNameW(tip.anchor, cls, 16);
  if (lstrcmpiW(cls, u"ComboBox") == 0 && SendMessageW(tip.anchor, CB_GETDROPPEDSTATE, 0, 0))
    SendMessageW(tip.anchor, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&area));
  else
    GetWindowRect(tip.anchor, &area);
  if (!PtInRect(&area, cursor)) return;
  HWND focusParent = GetParent(GetFocus());
  HWND anchorParent = GetParent(tip.anchor);
  if (!focusParent || (focusParent != anchorParent && focusParent != GetParent(anchorParent))) return;
  ShowWindow(tip.window, SW_SHOWNOACTIVATE);
  UiPaintHoverTip(ctx);
}
