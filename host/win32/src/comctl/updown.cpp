// The up-down class: range (either order), position, buddy window (its text follows the
// position with UDS_SETBUDDYINT), base, accelerations, wrapping, UDN_DELTAPOS and the scroll
// messages to the parent.
#include <algorithm>
#include <string>

#include "comctl/comctl_internal.h"
#include "user/window.h"

namespace zolt::host::comctl {

using namespace zolt::host::user;

namespace {

class UpDownState : public ControlState {
 public:
  int low = 100, high = 0;  // the platform's default range runs backwards
  int pos = 0;
  HWND buddy = nullptr;
  int base = 10;
  std::vector<UDACCEL> accel{{0, 1}};
  bool pressed = false;
};

UpDownState& StateOf(Window& w) {
  if (!w.State<UpDownState>()) w.state = std::make_unique<UpDownState>();
  return *w.State<UpDownState>();
}

int Lo(const UpDownState& s) { return std::min(s.low, s.high); }
int Hi(const UpDownState& s) { return std::max(s.low, s.high); }

void ShowInBuddy(Window& w, UpDownState& s) {
  if (!(w.style & UDS_SETBUDDYINT) || !s.buddy || !IsWindow(s.buddy)) return;
  std::string text;
  if (s.base == 16) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04X", unsigned(s.pos));
    text = buf;
  } else {
    text = std::to_string(s.pos);
    if (!(w.style & UDS_NOTHOUSANDS) && std::abs(s.pos) >= 1000) {
      std::string digits = std::to_string(std::abs(s.pos)), grouped;
      for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
      }
      text = (s.pos < 0 ? "-" : "") + grouped;
    }
  }
  std::u16string wide(text.begin(), text.end());
  SetWindowTextW(s.buddy, wide.c_str());
}

// The position read back from the buddy's text, when it holds a number.
bool ReadBuddy(const Window& w, UpDownState& s) {
  if (!(w.style & UDS_SETBUDDYINT) || !s.buddy || !IsWindow(s.buddy)) return true;
  WCHAR buf[64];
  GetWindowTextW(s.buddy, buf, 64);
  long long v = 0;
  bool neg = false, any = false;
  const WCHAR* p = buf;
  if (*p == u'-') {
    neg = true;
    ++p;
  }
  for (; *p; ++p) {
    if (*p == u',') continue;
    if (*p < u'0' || *p > u'9') return false;
    v = v * 10 + (*p - u'0');
    if (v > 0x7FFFFFFF) return false;
    any = true;
  }
  if (!any) return false;
  s.pos = int(neg ? -v : v);
  return true;
}

void Step(HWND hwnd, Window& w, UpDownState& s, int direction) {
  ReadBuddy(w, s);
  // "Up" goes towards the range's upper end as the range is given.
  int delta = direction * int(s.accel.empty() ? 1 : s.accel.front().nInc) * (s.high >= s.low ? 1 : -1);
  NMUPDOWN nm{{}, s.pos, delta};
  if (NotifyParent(hwnd, nm.hdr, UDN_DELTAPOS)) return;
  if (!GetQuiet(hwnd)) return;
  int next = s.pos + nm.iDelta;
  if (next > Hi(s)) next = (w.style & UDS_WRAP) ? Lo(s) : Hi(s);
  if (next < Lo(s)) next = (w.style & UDS_WRAP) ? Hi(s) : Lo(s);
  s.pos = next;
  ShowInBuddy(w, s);
  HWND parent = w.parent;
  if (parent)
    SendMessageW(parent, (w.style & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, WORD(s.pos)),
                 reinterpret_cast<LPARAM>(hwnd));
}

void Paint(HWND hwnd, HDC dc, HBRUSH) {
  auto w = GetQuiet(hwnd);
  if (!w) return;
  RECT c = ClientRectOf(*w);
  bool horizontal = (w->style & UDS_HORZ) != 0;
  RECT a = horizontal ? RECT{0, 0, c.right / 2, c.bottom} : RECT{0, 0, c.right, c.bottom / 2};
  RECT b = horizontal ? RECT{c.right / 2, 0, c.right, c.bottom} : RECT{0, c.bottom / 2, c.right, c.bottom};
  bool enabled = IsWindowEnabled(hwnd);
  draw::Fill(dc, c, COLOR_BTNFACE);
  draw::Edge(dc, a, false);
  draw::Edge(dc, b, false);
  draw::Arrow(dc, a, horizontal ? 2 : 0, enabled);
  draw::Arrow(dc, b, horizontal ? 3 : 1, enabled);
}

}  // namespace

LRESULT CALLBACK UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(hwnd);
  if (!w) return 0;
  auto& s = StateOf(*w);
  switch (msg) {
    case WM_CREATE:
      if (w->style & UDS_AUTOBUDDY) {
        s.buddy = GetWindow(hwnd, GW_HWNDPREV);
        if (s.buddy && (w->style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT))) {
          RECT b;
          GetWindowRect(s.buddy, &b);
          POINT o{b.left, b.top};
          ScreenToClient(w->parent, &o);
          int width = w->rect.right - w->rect.left;
          int x = (w->style & UDS_ALIGNRIGHT) ? o.x + (b.right - b.left) : o.x - width;
          w->rect = RECT{x, o.y, x + width, o.y + (b.bottom - b.top)};
        }
      }
      return 0;
    case UDM_SETRANGE:
      s.low = SHORT(HIWORD(lParam));
      s.high = SHORT(LOWORD(lParam));
      s.pos = std::clamp(s.pos, Lo(s), Hi(s));
      return 0;
    case UDM_GETRANGE:
      return MAKELRESULT(WORD(s.high), WORD(s.low));
    case UDM_SETRANGE32:
      s.low = int(wParam);
      s.high = int(lParam);
      s.pos = std::clamp(s.pos, Lo(s), Hi(s));
      return 0;
    case UDM_GETRANGE32:
      if (wParam) *reinterpret_cast<int*>(wParam) = s.low;
      if (lParam) *reinterpret_cast<int*>(lParam) = s.high;
      return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
      int old = s.pos;
      s.pos = std::clamp(msg == UDM_SETPOS ? int(SHORT(LOWORD(lParam))) : int(lParam), Lo(s), Hi(s));
      ShowInBuddy(*w, s);
      return old;
    }
    case UDM_GETPOS: {
      bool ok = ReadBuddy(*w, s);
      return MAKELRESULT(WORD(s.pos), ok ? 0 : 1);
    }
    case UDM_GETPOS32: {
      bool ok = ReadBuddy(*w, s);
      if (lParam) *reinterpret_cast<BOOL*>(lParam) = ok ? FALSE : TRUE;
      return s.pos;
    }
    case UDM_SETBUDDY: {
      HWND old = s.buddy;
      s.buddy = reinterpret_cast<HWND>(wParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case UDM_GETBUDDY:
      return reinterpret_cast<LRESULT>(s.buddy);
    case UDM_SETBASE: {
      if (wParam != 10 && wParam != 16) return 0;
      int old = s.base;
      s.base = int(wParam);
      return old;
    }
    case UDM_GETBASE:
      return s.base;
    case UDM_SETACCEL:
      if (!lParam || !wParam) return FALSE;
      s.accel.assign(reinterpret_cast<UDACCEL*>(lParam), reinterpret_cast<UDACCEL*>(lParam) + wParam);
      return TRUE;
    case UDM_GETACCEL: {
      size_t n = std::min<size_t>(wParam, s.accel.size());
      if (lParam) std::copy_n(s.accel.begin(), n, reinterpret_cast<UDACCEL*>(lParam));
      return LRESULT(s.accel.size());
    }
    case WM_LBUTTONDOWN: {
      RECT c = ClientRectOf(*w);
      bool first = (w->style & UDS_HORZ) ? GET_X_LPARAM(lParam) < c.right / 2 : GET_Y_LPARAM(lParam) < c.bottom / 2;
      // The upper (left) arrow goes up unless horizontal, where the right arrow does.
      int direction = (w->style & UDS_HORZ) ? (first ? -1 : 1) : (first ? 1 : -1);
      Step(hwnd, *w, s, direction);
      return 0;
    }
    case WM_KEYDOWN:
      if (!(w->style & UDS_ARROWKEYS)) return 0;
      if (wParam == VK_UP || wParam == VK_RIGHT) Step(hwnd, *w, s, 1);
      if (wParam == VK_DOWN || wParam == VK_LEFT) Step(hwnd, *w, s, -1);
      return 0;
  }
  if (LRESULT r; CommonControlMessage(hwnd, msg, wParam, lParam, 0, Paint, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace zolt::host::comctl
