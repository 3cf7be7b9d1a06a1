// The progress bar class: range, position, step, and a plain bar.
#include <algorithm>

#include "comctl/comctl_internal.h"
#include "user/window.h"

namespace zolt::host::comctl {

using namespace zolt::host::user;

namespace {
class ProgressState : public ControlState {
 public:
  int low = 0, high = 100, pos = 0, step = 10;
};
ProgressState& StateOf(Window& w) {
  if (!w.State<ProgressState>()) w.state = std::make_unique<ProgressState>();
  return *w.State<ProgressState>();
}
LRESULT SetPos(HWND hwnd, ProgressState& s, int pos) {
  int old = s.pos;
  s.pos = std::clamp(pos, s.low, std::max(s.low, s.high));
  if (old != s.pos) InvalidateRect(hwnd, nullptr, TRUE);
  return old;
}
void Paint(HWND hwnd, HDC dc, HBRUSH) {
  auto w = GetQuiet(hwnd);
  if (!w) return;
  auto& s = StateOf(*w);
  RECT c = ClientRectOf(*w);
  draw::Fill(dc, c, COLOR_BTNFACE);
  draw::Edge(dc, c, true);
  int range = std::max(1, s.high - s.low);
  RECT bar{2, 2, 2 + int(int64_t(c.right - 4) * (s.pos - s.low) / range), c.bottom - 2};
  draw::Fill(dc, bar, COLOR_HIGHLIGHT);
}

}  // namespace

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(hwnd);
  if (!w) return 0;
  auto& s = StateOf(*w);
  switch (msg) {
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
      LRESULT old = MAKELRESULT(s.low, s.high);
      s.low = msg == PBM_SETRANGE ? int(LOWORD(lParam)) : int(wParam);
      s.high = msg == PBM_SETRANGE ? int(HIWORD(lParam)) : int(lParam);
      SetPos(hwnd, s, s.pos);
      InvalidateRect(hwnd, nullptr, TRUE);
      return old;
    }
    case PBM_GETRANGE:
      if (lParam) *reinterpret_cast<PBRANGE*>(lParam) = PBRANGE{s.low, s.high};
      return wParam ? s.low : s.high;
    case PBM_SETPOS:
      return SetPos(hwnd, s, int(wParam));
    case PBM_GETPOS:
      return s.pos;
    case PBM_DELTAPOS:
      return SetPos(hwnd, s, s.pos + int(wParam));
    case PBM_SETSTEP: {
      int old = s.step;
      s.step = int(wParam);
      return old;
    }
    case PBM_GETSTEP:
      return s.step;
    case PBM_STEPIT: {
      // Stepping past the end starts again at the beginning.
      int old = s.pos;
      int next = s.pos + s.step;
      if (next > s.high) next = s.low + (next - s.high);
      if (next < s.low) next = s.high - (s.low - next);
      SetPos(hwnd, s, next);
      return old;
    }
  }
  if (LRESULT r; CommonControlMessage(hwnd, msg, wParam, lParam, 0, Paint, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace zolt::host::comctl
