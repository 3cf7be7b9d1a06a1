// The trackbar class: range, position, page and line sizes, ticks and selection, and
// WM_HSCROLL / WM_VSCROLL with TB_ codes to the parent on keys and clicks.
#include <algorithm>

#include "comctl/comctl_internal.h"
#include "user/window.h"

namespace zolt::host::comctl {

using namespace zolt::host::user;

namespace {

class TrackbarState : public ControlState {
 public:
  int min = 0, max = 100, pos = 0;
  int page = 20, line = 1;
  int selStart = 0, selEnd = 0;
  std::vector<int> tics;
  int ticFreq = 1;
  bool focused = false;
};

TrackbarState& StateOf(Window& w) {
  if (!w.State<TrackbarState>()) w.state = std::make_unique<TrackbarState>();
  return *w.State<TrackbarState>();
}

bool Vertical(const Window& w) { return (w.style & TBS_VERT) != 0; }

void Tell(HWND hwnd, Window& w, int code, int pos) {
  if (!w.parent) return;
  SendMessageW(w.parent, Vertical(w) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(hwnd));
}

RECT Channel(const Window& w) {
  RECT c = ClientRectOf(w);
  if (Vertical(w)) return RECT{c.right / 2 - 2, 8, c.right / 2 + 2, std::max<LONG>(9, c.bottom - 8)};
  return RECT{8, c.bottom / 2 - 2, std::max<LONG>(9, c.right - 8), c.bottom / 2 + 2};
}

int PosAt(const TrackbarState& s, const Window& w, POINT p) {
  RECT ch = Channel(w);
  int length = Vertical(w) ? ch.bottom - ch.top : ch.right - ch.left;
  int at = Vertical(w) ? p.y - ch.top : p.x - ch.left;
  if (length <= 0) return s.min;
  return s.min + int(int64_t(std::clamp(at, 0, length)) * (s.max - s.min) / length);
}

void Move(HWND hwnd, Window& w, TrackbarState& s, int pos, int code) {
  pos = std::clamp(pos, s.min, s.max);
  if (pos != s.pos) {
    s.pos = pos;
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  Tell(hwnd, w, code, code == TB_THUMBTRACK || code == TB_THUMBPOSITION ? pos : 0);
}

void Paint(HWND hwnd, HDC dc, HBRUSH) {
  auto w = GetQuiet(hwnd);
  if (!w || !dc) return;
  auto& s = StateOf(*w);
  RECT c = ClientRectOf(*w);
  draw::Fill(dc, c, COLOR_BTNFACE);
  RECT ch = Channel(*w);
  draw::Edge(dc, ch, true);
  int range = std::max(1, s.max - s.min);
  int length = Vertical(*w) ? ch.bottom - ch.top : ch.right - ch.left;
  int at = int(int64_t(s.pos - s.min) * length / range);
  RECT thumb = Vertical(*w) ? RECT{ch.left - 8, ch.top + at - 5, ch.right + 8, ch.top + at + 5}
                            : RECT{ch.left + at - 5, ch.top - 8, ch.left + at + 5, ch.bottom + 8};
  draw::Fill(dc, thumb, COLOR_BTNFACE);
  draw::Edge(dc, thumb, false);
  if (s.focused) draw::Focus(dc, c);
}

}  // namespace

LRESULT CALLBACK TrackbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(hwnd);
  if (!w) return 0;
  auto& s = StateOf(*w);
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case TBM_GETPOS:
      return s.pos;
    case TBM_SETPOS:
    case TBM_SETPOSNOTIFY: {
      int pos = std::clamp(int(lParam), s.min, s.max);
      s.pos = pos;
      if (wParam || msg == TBM_SETPOSNOTIFY) InvalidateRect(hwnd, nullptr, TRUE);
      if (msg == TBM_SETPOSNOTIFY) Tell(hwnd, *w, TB_THUMBPOSITION, pos);
      return 0;
    }
    case TBM_GETRANGEMIN:
      return s.min;
    case TBM_GETRANGEMAX:
      return s.max;
    case TBM_SETRANGE:
      s.min = SHORT(LOWORD(lParam));
      s.max = SHORT(HIWORD(lParam));
      if (s.max < s.min) std::swap(s.min, s.max);
      s.pos = std::clamp(s.pos, s.min, s.max);
      if (wParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case TBM_SETRANGEMIN:
      s.min = int(lParam);
      s.pos = std::max(s.pos, s.min);
      if (wParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case TBM_SETRANGEMAX:
      s.max = int(lParam);
      s.pos = std::min(s.pos, s.max);
      if (wParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case TBM_SETPAGESIZE: {
      int old = s.page;
      s.page = int(lParam);
      return old;
    }
    case TBM_GETPAGESIZE:
      return s.page;
    case TBM_SETLINESIZE: {
      int old = s.line;
      s.line = int(lParam);
      return old;
    }
    case TBM_GETLINESIZE:
      return s.line;
    case TBM_SETTIC:
      if (int(lParam) < s.min || int(lParam) > s.max) return FALSE;
      s.tics.push_back(int(lParam));
      return TRUE;
    case TBM_GETTIC:
      return size_t(wParam) < s.tics.size() ? s.tics[size_t(wParam)] : -1;
    case TBM_GETNUMTICS:
      return LRESULT(s.tics.size() + 2);
    case TBM_CLEARTICS:
      s.tics.clear();
      return 0;
    case TBM_SETTICFREQ:
      s.ticFreq = std::max(1, int(wParam));
      return 0;
    case TBM_SETSEL:
      s.selStart = SHORT(LOWORD(lParam));
      s.selEnd = SHORT(HIWORD(lParam));
      return 0;
    case TBM_SETSELSTART:
      s.selStart = int(lParam);
      return 0;
    case TBM_SETSELEND:
      s.selEnd = int(lParam);
      return 0;
    case TBM_GETSELSTART:
      return s.selStart;
    case TBM_GETSELEND:
      return s.selEnd;
    case TBM_CLEARSEL:
      s.selStart = s.selEnd = 0;
      return 0;
    case TBM_GETCHANNELRECT:
      if (lParam) *reinterpret_cast<RECT*>(lParam) = Channel(*w);
      return 0;
    case WM_KEYDOWN: {
      bool reversed = Vertical(*w);  // down moves to larger values on a vertical bar
      switch (wParam) {
        case VK_LEFT:
        case VK_UP: Move(hwnd, *w, s, s.pos - s.line, TB_LINEUP); break;
        case VK_RIGHT:
        case VK_DOWN: Move(hwnd, *w, s, s.pos + s.line, TB_LINEDOWN); break;
        case VK_PRIOR: Move(hwnd, *w, s, s.pos - s.page, TB_PAGEUP); break;
        case VK_NEXT: Move(hwnd, *w, s, s.pos + s.page, TB_PAGEDOWN); break;
        case VK_HOME: Move(hwnd, *w, s, s.min, TB_TOP); break;
        case VK_END: Move(hwnd, *w, s, s.max, TB_BOTTOM); break;
        default: return 0;
      }
      (void)reversed;
      return 0;
    }
    case WM_KEYUP:
      if (wParam == VK_LEFT || wParam == VK_RIGHT || wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR ||
          wParam == VK_NEXT || wParam == VK_HOME || wParam == VK_END)
        Tell(hwnd, *w, TB_ENDTRACK, 0);
      return 0;
    case WM_LBUTTONDOWN: {
      SetFocus(hwnd);
      int target = PosAt(s, *w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      SetCapture(hwnd);
      Move(hwnd, *w, s, target, TB_THUMBTRACK);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (GetCapture() == hwnd && (wParam & MK_LBUTTON))
        Move(hwnd, *w, s, PosAt(s, *w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}), TB_THUMBTRACK);
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == hwnd) {
        ReleaseCapture();
        Tell(hwnd, *w, TB_THUMBPOSITION, s.pos);
        Tell(hwnd, *w, TB_ENDTRACK, 0);
      }
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      s.focused = msg == WM_SETFOCUS;
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
  }
  if (LRESULT r; CommonControlMessage(hwnd, msg, wParam, lParam, 0, Paint, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace zolt::host::comctl
