// The button class: push and default push buttons, check boxes (two and three states, manual
// and automatic), radio buttons (manual and automatic, grouped), group boxes and owner-drawn
// buttons, with their messages, notifications and painting.
#include <algorithm>

#include "user/window.h"

namespace zolt::host::user {

namespace {

class ButtonState : public ControlState {
 public:
  UINT check = BST_UNCHECKED;
  bool pushed = false;
  bool focused = false;
  HANDLE image = nullptr;
  bool tracking = false;
};

DWORD TypeOf(const Window& w) { return w.style & BS_TYPEMASK; }

bool IsRadio(DWORD type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }
bool IsCheck(DWORD type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}
bool IsPush(DWORD type) { return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_PUSHBOX; }

ButtonState& StateOf(Window& w) {
  if (!w.State<ButtonState>()) w.state = std::make_unique<ButtonState>();
  return *w.State<ButtonState>();
}

// An automatic radio button checks itself and clears the other automatic radio buttons of its
// group (from the WS_GROUP button before it up to the next WS_GROUP control).
void CheckInGroup(HWND self) {
  auto w = GetQuiet(self);
  auto parent = w ? GetQuiet(w->parent) : nullptr;
  if (!parent) return;
  const auto& list = parent->children;
  size_t at = 0;
  while (at < list.size() && list[at] != self) ++at;
  if (at == list.size()) return;
  size_t begin = at;
  while (begin > 0 && !(GetWindowLongW(list[begin], GWL_STYLE) & WS_GROUP)) --begin;
  size_t end = at + 1;
  while (end < list.size() && !(GetWindowLongW(list[end], GWL_STYLE) & WS_GROUP)) ++end;
  std::vector<HWND> group(list.begin() + long(begin), list.begin() + long(end));
  for (HWND h : group) {
    if (h == self || !ClassIs(h, u"button")) continue;
    if ((GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON) SendMessageW(h, BM_SETCHECK, BST_UNCHECKED, 0);
  }
  SendMessageW(self, BM_SETCHECK, BST_CHECKED, 0);
}

void Clicked(HWND hwnd) {
  auto w = GetQuiet(hwnd);
  if (!w) return;
  auto& s = StateOf(*w);
  switch (TypeOf(*w)) {
    case BS_AUTOCHECKBOX:
      SendMessageW(hwnd, BM_SETCHECK, s.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
      break;
    case BS_AUTO3STATE:
      SendMessageW(hwnd, BM_SETCHECK, s.check == BST_UNCHECKED ? BST_CHECKED
                                      : s.check == BST_CHECKED ? BST_INDETERMINATE
                                                               : BST_UNCHECKED, 0);
      break;
    case BS_AUTORADIOBUTTON:
      CheckInGroup(hwnd);
      break;
    case BS_GROUPBOX:
      return;
  }
  Notify(hwnd, BN_CLICKED);
}

void SetPushed(HWND hwnd, bool pushed) {
  auto w = GetQuiet(hwnd);
  if (!w) return;
  auto& s = StateOf(*w);
  if (s.pushed == pushed) return;
  s.pushed = pushed;
  InvalidateRect(hwnd, nullptr, FALSE);
}

void Paint(HWND hwnd, HDC dc, HBRUSH background) {
  auto w = GetQuiet(hwnd);
  if (!w) return;
  auto& s = StateOf(*w);
  RECT r = ClientRectOf(*w);
  DWORD type = TypeOf(*w);
  bool enabled = !(w->style & WS_DISABLED);
  HFONT font = FontOf(hwnd);
  // Push buttons take the face colour; the others the parent's WM_CTLCOLORSTATIC colours.
  int textColour = enabled ? (IsPush(type) ? COLOR_BTNTEXT : -1) : COLOR_GRAYTEXT;
  if (type == BS_OWNERDRAW) {
    DRAWITEMSTRUCT dis{ODT_BUTTON, UINT(w->id), 0, ODA_DRAWENTIRE,
                       UINT((s.pushed ? ODS_SELECTED : 0) | (s.focused ? ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED)),
                       hwnd, dc, r, 0};
    if (w->parent) SendMessageW(w->parent, WM_DRAWITEM, w->id, reinterpret_cast<LPARAM>(&dis));
    return;
  }
  if (!dc) return;
  if (IsPush(type) || (w->style & BS_PUSHLIKE)) {
    draw::Fill(dc, r, COLOR_BTNFACE);
    bool down = s.pushed || ((w->style & BS_PUSHLIKE) && s.check == BST_CHECKED);
    if (type == BS_DEFPUSHBUTTON) draw::Frame(dc, r, COLOR_WINDOWFRAME);
    RECT e = r;
    if (type == BS_DEFPUSHBUTTON) InflateRect(&e, -1, -1);
    draw::Edge(dc, e, down);
    RECT t = r;
    if (down) OffsetRect(&t, 1, 1);
    draw::Text(dc, font, w->text, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE, textColour);
    if (s.focused) {
      RECT f = r;
      InflateRect(&f, -4, -4);
      draw::Focus(dc, f);
    }
    return;
  }
  if (type == BS_GROUPBOX) {
    RECT frame = r;
    frame.top += 6;
    draw::Frame(dc, frame, COLOR_BTNSHADOW);
    RECT label{r.left + 8, r.top, r.right - 8, r.top + 13};
    if (!w->text.empty()) {
      // The caption interrupts the frame: its width is cleared with the background first.
      RECT measure = label;
      const std::u16string caption = u" " + w->text + u" ";
      HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
      DrawTextW(dc, reinterpret_cast<LPCWSTR>(caption.c_str()), int(caption.size()), &measure,
                DT_LEFT | DT_SINGLELINE | DT_TOP | DT_CALCRECT);
      SelectObject(dc, old);
      measure.right = std::min(measure.right, label.right);
      draw::Background(dc, measure, background, COLOR_BTNFACE);
      draw::Text(dc, font, caption, label, DT_LEFT | DT_SINGLELINE | DT_TOP, textColour);
    }
    return;
  }
  // Check boxes and radio buttons: a 13-pixel box at the left (right with BS_LEFTTEXT).
  draw::Background(dc, r, background, COLOR_BTNFACE);
  int box = 13;
  bool left = !(w->style & BS_LEFTTEXT);
  int top = r.top + ((r.bottom - r.top) - box) / 2;
  RECT b = left ? RECT{r.left, top, r.left + box, top + box} : RECT{r.right - box, top, r.right, top + box};
  draw::Check(dc, b, int(s.check | (s.pushed ? BST_PUSHED : 0)), IsRadio(type));
  RECT t = left ? RECT{r.left + box + 4, r.top, r.right, r.bottom} : RECT{r.left, r.top, r.right - box - 4, r.bottom};
  draw::Text(dc, font, w->text, t, DT_LEFT | DT_VCENTER | DT_SINGLELINE, textColour);
  if (s.focused) draw::Focus(dc, t);
}

}  // namespace

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(hwnd);
  if (!w) return 0;
  auto& s = StateOf(*w);
  DWORD type = TypeOf(*w);
  switch (msg) {
    case WM_GETDLGCODE:
      if (type == BS_GROUPBOX) return DLGC_STATIC;
      if (IsRadio(type)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
      if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (IsPush(type) || type == BS_OWNERDRAW) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      return DLGC_BUTTON;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (type == BS_GROUPBOX) return 0;
      SetFocus(hwnd);
      SetCapture(hwnd);
      s.tracking = true;
      SetPushed(hwnd, true);
      if (msg == WM_LBUTTONDBLCLK && (IsRadio(type) || type == BS_OWNERDRAW || (w->style & BS_NOTIFY)))
        Notify(hwnd, BN_DOUBLECLICKED);
      return 0;
    case WM_MOUSEMOVE:
      if (s.tracking) {
        RECT r = ClientRectOf(*w);
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        SetPushed(hwnd, PtInRect(&r, p) != 0);
      }
      return 0;
    case WM_LBUTTONUP: {
      if (!s.tracking) return 0;
      s.tracking = false;
      bool was = s.pushed;
      SetPushed(hwnd, false);
      if (GetCapture() == hwnd) ReleaseCapture();
      RECT r = ClientRectOf(*w);
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (was && PtInRect(&r, p)) Clicked(hwnd);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (s.tracking && reinterpret_cast<HWND>(lParam) != hwnd) {
        s.tracking = false;
        SetPushed(hwnd, false);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && type != BS_GROUPBOX) SetPushed(hwnd, true);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && s.pushed) {
        SetPushed(hwnd, false);
        Clicked(hwnd);
      }
      return 0;
    case WM_CHAR:
      return 0;
    case BM_CLICK:
      if (!IsWindowEnabled(hwnd) || !IsWindowVisible(hwnd)) return 0;
      SetPushed(hwnd, true);
      SetPushed(hwnd, false);
      Clicked(hwnd);
      return 0;
    case BM_GETCHECK:
      return (IsCheck(type) || IsRadio(type)) ? s.check : 0;
    case BM_SETCHECK: {
      UINT v = UINT(wParam);
      if (v == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE) v = BST_CHECKED;
      if (v > BST_INDETERMINATE) v = BST_CHECKED;
      if (!IsCheck(type) && !IsRadio(type) && !(w->style & BS_PUSHLIKE)) return 0;
      if (s.check != v) {
        s.check = v;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      if (IsRadio(type)) {
        if (v == BST_CHECKED)
          w->style |= WS_TABSTOP;
        else
          w->style &= ~WS_TABSTOP;
      }
      return 0;
    }
    case BM_GETSTATE:
      return s.check | (s.pushed ? BST_PUSHED : 0) | (s.focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
      SetPushed(hwnd, wParam != 0);
      return 0;
    case BM_SETSTYLE:
      w->style = (w->style & ~DWORD(0xFFFF)) | DWORD(LOWORD(wParam));
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case BM_SETIMAGE: {
      HANDLE old = s.image;
      s.image = reinterpret_cast<HANDLE>(lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    case BM_GETIMAGE:
      return reinterpret_cast<LRESULT>(s.image);
    case WM_SETFOCUS:
      s.focused = true;
      InvalidateRect(hwnd, nullptr, FALSE);
      if (w->style & BS_NOTIFY) Notify(hwnd, BN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s.focused = false;
      if (s.tracking) {
        s.tracking = false;
        if (GetCapture() == hwnd) ReleaseCapture();
      }
      SetPushed(hwnd, false);
      InvalidateRect(hwnd, nullptr, FALSE);
      if (w->style & BS_NOTIFY) Notify(hwnd, BN_KILLFOCUS);
      return 0;
    case WM_SETTEXT:
      DefWindowProcW(hwnd, msg, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    case WM_NCHITTEST:
      if (type == BS_GROUPBOX) return HTTRANSPARENT;
      return HTCLIENT;
  }
  if (LRESULT r; CommonControlMessage(hwnd, msg, wParam, lParam, IsPush(type) || type == BS_OWNERDRAW ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC, Paint, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace zolt::host::user
