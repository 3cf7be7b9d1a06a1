// The scroll-bar class (horizontal and vertical scroll-bar controls): range, position, page,
// arrows enabled or not, the scroll calls with SB_CTL, and WM_HSCROLL / WM_VSCROLL to the
// parent on clicks and keys.
#include <algorithm>

#include "user/window.h"

namespace zolt::host::user {

namespace {

class ScrollState : public ControlState {
 public:
  int min = 0;
  int max = 100;
  UINT page = 0;
  int pos = 0;
  int trackPos = 0;
  UINT arrows = ESB_ENABLE_BOTH;
  bool pressed = false;
};

ScrollState& StateOf(Window& w) {
  if (!w.State<ScrollState>()) w.state = std::make_unique<ScrollState>();
  return *w.State<ScrollState>();
}

bool Vertical(const Window& w) { return (w.style & SBS_VERT) != 0; }

int Clamp(const ScrollState& s, int pos) {
  int hi = s.max - (s.page ? int(s.page) - 1 : 0);
  return std::clamp(pos, s.min, std::max(s.min, hi));
}

void Tell(HWND hwnd, Window& w, int code, int pos) {
  if (!w.parent) return;
  SendMessageW(w.parent, Vertical(w) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(hwnd));
}

void Paint(HWND hwnd, HDC dc, HBRUSH background) {
  auto w = GetQuiet(hwnd);
  if (!w || !dc) return;
  auto& s = StateOf(*w);
  RECT c = ClientRectOf(*w);
  bool vertical = Vertical(*w);
  draw::Background(dc, c, background, COLOR_SCROLLBAR);
  int arrow = vertical ? std::min<int>(c.right, c.bottom / 2) : std::min<int>(c.bottom, c.right / 2);
  RECT a = vertical ? RECT{0, 0, c.right, arrow} : RECT{0, 0, arrow, c.bottom};
  RECT b = vertical ? RECT{0, c.bottom - arrow, c.right, c.bottom} : RECT{c.right - arrow, 0, c.right, c.bottom};
  bool enabled = !(w->style & WS_DISABLED);
  draw::Fill(dc, a, COLOR_BTNFACE);
  draw::Edge(dc, a, false);
  draw::Arrow(dc, a, vertical ? 0 : 2, enabled && !(s.arrows & ESB_DISABLE_UP));
  draw::Fill(dc, b, COLOR_BTNFACE);
  draw::Edge(dc, b, false);
  draw::Arrow(dc, b, vertical ? 1 : 3, enabled && !(s.arrows & ESB_DISABLE_DOWN));
  int track = (vertical ? c.bottom : c.right) - 2 * arrow;
  int range = s.max - s.min + 1;
  if (track <= 8 || range <= 0 || !enabled) return;
  int thumb = s.page ? std::max(8, int(int64_t(track) * int(s.page) / range)) : std::min(arrow, track);
  int span = std::max(1, range - int(s.page ? s.page : 1));
  int at = arrow + int(int64_t(track - thumb) * (s.pos - s.min) / span);
  RECT t = vertical ? RECT{0, at, c.right, at + thumb} : RECT{at, 0, at + thumb, c.bottom};
  draw::Fill(dc, t, COLOR_BTNFACE);
  draw::Edge(dc, t, false);
}

}  // namespace

LRESULT CALLBACK ScrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(hwnd);
  if (!w) return 0;
  auto& s = StateOf(*w);
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case SBM_SETPOS: {
      int old = s.pos;
      s.pos = Clamp(s, int(wParam));
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return old;
    }
    case SBM_GETPOS:
      return s.pos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
      int old = s.pos;
      s.min = int(wParam);
      s.max = int(lParam);
      if (s.max < s.min) std::swap(s.min, s.max);
      s.pos = Clamp(s, s.pos);
      if (msg == SBM_SETRANGEREDRAW) InvalidateRect(hwnd, nullptr, TRUE);
      return old;
    }
    case SBM_GETRANGE:
      if (wParam) *reinterpret_cast<int*>(wParam) = s.min;
      if (lParam) *reinterpret_cast<int*>(lParam) = s.max;
      return 0;
    case SBM_ENABLE_ARROWS:
      s.arrows = UINT(wParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    case SBM_SETSCROLLINFO: {
      auto* si = reinterpret_cast<SCROLLINFO*>(lParam);
      if (!si || (si->cbSize != sizeof(SCROLLINFO) && si->cbSize != sizeof(SCROLLINFO) - 4)) return s.pos;
      if (si->fMask & SIF_RANGE) {
        s.min = si->nMin;
        s.max = si->nMax;
        if (s.max < s.min) s.max = s.min;
      }
      if (si->fMask & SIF_PAGE) s.page = std::min<UINT>(si->nPage, UINT(s.max - s.min + 1));
      if (si->fMask & SIF_POS) s.pos = si->nPos;
      s.pos = Clamp(s, s.pos);
      if (wParam) InvalidateRect(hwnd, nullptr, TRUE);
      return s.pos;
    }
    case SBM_GETSCROLLINFO: {
      auto* si = reinterpret_cast<SCROLLINFO*>(lParam);
      if (!si || (si->cbSize != sizeof(SCROLLINFO) && si->cbSize != sizeof(SCROLLINFO) - 4)) return FALSE;
      if (si->fMask & SIF_RANGE) {
        si->nMin = s.min;
        si->nMax = s.max;
      }
      if (si->fMask & SIF_PAGE) si->nPage = s.page;
      if (si->fMask & SIF_POS) si->nPos = s.pos;
      if ((si->fMask & SIF_TRACKPOS) && si->cbSize == sizeof(SCROLLINFO)) si->nTrackPos = s.trackPos;
      return TRUE;
    }
    case WM_LBUTTONDOWN: {
      if (GetFocus() != hwnd && (w->style & WS_TABSTOP)) SetFocus(hwnd);
      RECT c = ClientRectOf(*w);
      bool vertical = Vertical(*w);
      int arrow = vertical ? std::min<int>(c.right, c.bottom / 2) : std::min<int>(c.bottom, c.right / 2);
      int at = vertical ? GET_Y_LPARAM(lParam) : GET_X_LPARAM(lParam);
      int length = vertical ? c.bottom : c.right;
      int code;
      if (at < arrow) {
        if (s.arrows & ESB_DISABLE_UP) return 0;
        code = SB_LINEUP;
      } else if (at >= length - arrow) {
        if (s.arrows & ESB_DISABLE_DOWN) return 0;
        code = SB_LINEDOWN;
      } else {
        int range = std::max(1, s.max - s.min);
        int track = std::max(1, length - 2 * arrow);
        int thumbAt = arrow + int(int64_t(track) * (s.pos - s.min) / range);
        code = at < thumbAt ? SB_PAGEUP : SB_PAGEDOWN;
      }
      s.pressed = true;
      SetCapture(hwnd);
      Tell(hwnd, *w, code, 0);
      return 0;
    }
    case WM_LBUTTONUP:
      if (s.pressed) {
        s.pressed = false;
        if (GetCapture() == hwnd) ReleaseCapture();
        Tell(hwnd, *w, SB_ENDSCROLL, 0);
      }
      return 0;
    case WM_KEYDOWN: {
      int code = -1;
      switch (wParam) {
        case VK_UP:
        case VK_LEFT: code = SB_LINEUP; break;
        case VK_DOWN:
        case VK_RIGHT: code = SB_LINEDOWN; break;
        case VK_PRIOR: code = SB_PAGEUP; break;
        case VK_NEXT: code = SB_PAGEDOWN; break;
        case VK_HOME: code = SB_TOP; break;
        case VK_END: code = SB_BOTTOM; break;
      }
      if (code >= 0) Tell(hwnd, *w, code, 0);
      return 0;
    }
    case WM_KEYUP:
      if (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_LEFT || wParam == VK_RIGHT || wParam == VK_PRIOR ||
          wParam == VK_NEXT || wParam == VK_HOME || wParam == VK_END)
        Tell(hwnd, *w, SB_ENDSCROLL, 0);
      return 0;
  }
  if (LRESULT r; CommonControlMessage(hwnd, msg, wParam, lParam, WM_CTLCOLORSCROLLBAR, Paint, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace zolt::host::user

using namespace zolt::host::user;

// The scroll calls address a scroll-bar control with SB_CTL; window scroll bars are not kept.
WIN32_API int WINAPI SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO si, BOOL redraw) {
  if (bar != SB_CTL || !Get(hwnd)) return 0;
  return int(SendMessageW(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(si)));
}

WIN32_API BOOL WINAPI GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO si) {
  if (bar != SB_CTL || !Get(hwnd)) return FALSE;
  return BOOL(SendMessageW(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(si)));
}

WIN32_API int WINAPI SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  if (bar != SB_CTL || !Get(hwnd)) return 0;
  return int(SendMessageW(hwnd, SBM_SETPOS, WPARAM(pos), redraw));
}

WIN32_API int WINAPI GetScrollPos(HWND hwnd, int bar) {
  if (bar != SB_CTL || !Get(hwnd)) return 0;
  return int(SendMessageW(hwnd, SBM_GETPOS, 0, 0));
}

WIN32_API BOOL WINAPI SetScrollRange(HWND hwnd, int bar, int min, int max, BOOL redraw) {
  if (bar != SB_CTL || !Get(hwnd)) return FALSE;
  SendMessageW(hwnd, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, WPARAM(min), LPARAM(max));
  return TRUE;
}

WIN32_API BOOL WINAPI GetScrollRange(HWND hwnd, int bar, LPINT min, LPINT max) {
  if (bar != SB_CTL || !Get(hwnd)) return FALSE;
  SendMessageW(hwnd, SBM_GETRANGE, reinterpret_cast<WPARAM>(min), reinterpret_cast<LPARAM>(max));
  return TRUE;
}

WIN32_API BOOL WINAPI EnableScrollBar(HWND hwnd, UINT bar, UINT arrows) {
  if (bar != SB_CTL || !Get(hwnd)) return FALSE;
  SendMessageW(hwnd, SBM_ENABLE_ARROWS, arrows, 0);
  if (arrows == ESB_DISABLE_BOTH)
    EnableWindow(hwnd, FALSE);
  else if (arrows == ESB_ENABLE_BOTH)
    EnableWindow(hwnd, TRUE);
  return TRUE;
}
