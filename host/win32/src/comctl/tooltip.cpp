// The tooltip class: tools (a window or a rectangle of one) with their texts, shown and hidden
// on request or by tracking, as a top-level popup window with the tip's text.
#include <algorithm>

#include "comctl/comctl_internal.h"
#include "user/window.h"

namespace zolt::host::comctl {

using namespace zolt::host::user;

namespace {

struct Tool {
  UINT flags = 0;
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  RECT rect{};
  std::u16string text;
  LPARAM param = 0;
};

class TipState : public ControlState {
 public:
  std::vector<Tool> tools;
  bool active = true;
  int maxWidth = -1;
  int shown = -1;
};

TipState& StateOf(Window& w) {
  if (!w.State<TipState>()) w.state = std::make_unique<TipState>();
  return *w.State<TipState>();
}

int Find(const TipState& s, const TTTOOLINFOW* info) {
  for (size_t i = 0; i < s.tools.size(); ++i)
    if (s.tools[i].hwnd == info->hwnd && s.tools[i].id == info->uId) return int(i);
  return -1;
}

void Show(HWND hwnd, Window& w, TipState& s, int index, POINT at) {
  if (index < 0 || !s.active) return;
  s.shown = index;
  w.text = s.tools[size_t(index)].text;
  int width = std::min<int>(int(w.text.size()) * 6 + 8, s.maxWidth > 0 ? s.maxWidth : 10000);
  SetWindowPos(hwnd, HWND_TOP, at.x, at.y, width, 18, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  NMHDR nm{hwnd, s.tools[size_t(index)].id, TTN_SHOW};
  if (s.tools[size_t(index)].hwnd) SendMessageW(s.tools[size_t(index)].hwnd, WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
}

void Pop(HWND hwnd, TipState& s) {
  if (s.shown < 0) return;
  int was = s.shown;
  s.shown = -1;
  ShowWindow(hwnd, SW_HIDE);
  if (size_t(was) < s.tools.size() && s.tools[size_t(was)].hwnd) {
    NMHDR nm{hwnd, s.tools[size_t(was)].id, TTN_POP};
    SendMessageW(s.tools[size_t(was)].hwnd, WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
  }
}

void Paint(HWND hwnd, HDC dc, HBRUSH) {
  auto w = GetQuiet(hwnd);
  if (!w) return;
  RECT c = ClientRectOf(*w);
  draw::Fill(dc, c, COLOR_INFOBK);
  draw::Frame(dc, c, COLOR_INFOTEXT);
  RECT t = c;
  InflateRect(&t, -3, -1);
  draw::Text(dc, FontOf(hwnd), w->text, t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, COLOR_INFOTEXT);
}

}  // namespace

LRESULT CALLBACK ToolTipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(hwnd);
  if (!w) return 0;
  auto& s = StateOf(*w);
  switch (msg) {
    case WM_NCCREATE:
      w->style = (w->style & ~WS_CHILD) | WS_POPUP;
      w->exStyle |= WS_EX_TOOLWINDOW;
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case TTM_ADDTOOLW: {
      auto* info = reinterpret_cast<const TTTOOLINFOW*>(lParam);
      if (!info || info->cbSize < offsetof(TTTOOLINFOW, lParam)) return FALSE;
      Tool t{info->uFlags, info->hwnd, info->uId, info->rect, {}, info->cbSize > offsetof(TTTOOLINFOW, lParam) ? info->lParam : 0};
      if (info->lpszText && info->lpszText != LPSTR_TEXTCALLBACKW) {
        if (IS_INTRESOURCE(info->lpszText)) {
          WCHAR buf[512];
          if (LoadStringW(info->hinst, LOWORD(reinterpret_cast<ULONG_PTR>(info->lpszText)), buf, 512)) t.text = buf;
        } else {
          t.text = info->lpszText;
        }
      }
      s.tools.push_back(t);
      return TRUE;
    }
    case TTM_DELTOOLW: {
      auto* info = reinterpret_cast<const TTTOOLINFOW*>(lParam);
      if (!info) return 0;
      int i = Find(s, info);
      if (i >= 0) {
        if (s.shown == i) Pop(hwnd, s);
        s.tools.erase(s.tools.begin() + i);
      }
      return 0;
    }
    case TTM_UPDATETIPTEXTW:
    case TTM_SETTOOLINFOW:
    case TTM_NEWTOOLRECTW: {
      auto* info = reinterpret_cast<const TTTOOLINFOW*>(lParam);
      if (!info) return 0;
      int i = Find(s, info);
      if (i < 0) return 0;
      Tool& t = s.tools[size_t(i)];
      if (msg != TTM_NEWTOOLRECTW && info->lpszText && info->lpszText != LPSTR_TEXTCALLBACKW && !IS_INTRESOURCE(info->lpszText))
        t.text = info->lpszText;
      if (msg != TTM_UPDATETIPTEXTW) t.rect = info->rect;
      if (msg == TTM_SETTOOLINFOW) t.flags = info->uFlags;
      if (s.shown == i) {
        w->text = t.text;
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    }
    case TTM_GETTOOLINFOW:
    case TTM_GETTEXTW: {
      auto* info = reinterpret_cast<TTTOOLINFOW*>(lParam);
      if (!info) return FALSE;
      int i = Find(s, info);
      if (i < 0) return FALSE;
      const Tool& t = s.tools[size_t(i)];
      if (info->lpszText && !IS_INTRESOURCE(info->lpszText) && info->lpszText != LPSTR_TEXTCALLBACKW) {
        size_t cap = msg == TTM_GETTEXTW && wParam ? size_t(wParam) : 80;
        size_t n = std::min(t.text.size(), cap - 1);
        std::copy_n(t.text.data(), n, info->lpszText);
        info->lpszText[n] = 0;
      }
      if (msg == TTM_GETTOOLINFOW) {
        info->uFlags = t.flags;
        info->rect = t.rect;
      }
      return TRUE;
    }
    case TTM_GETTOOLCOUNT:
      return LRESULT(s.tools.size());
    case TTM_ACTIVATE:
      s.active = wParam != 0;
      if (!s.active) Pop(hwnd, s);
      return 0;
    case TTM_SETMAXTIPWIDTH: {
      int old = s.maxWidth;
      s.maxWidth = int(lParam);
      return old;
    }
    case TTM_GETMAXTIPWIDTH:
      return s.maxWidth;
    case TTM_SETDELAYTIME:
      return 0;
    case TTM_TRACKACTIVATE: {
      auto* info = reinterpret_cast<const TTTOOLINFOW*>(lParam);
      if (wParam && info) {
        POINT at{0, 0};
        GetCursorPos(&at);
        Show(hwnd, *w, s, Find(s, info), at);
      } else {
        Pop(hwnd, s);
      }
      return 0;
    }
    case TTM_TRACKPOSITION:
      if (s.shown >= 0) SetWindowPos(hwnd, nullptr, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    case TTM_POPUP: {
      POINT at{0, 0};
      GetCursorPos(&at);
      at.y += 20;
      Show(hwnd, *w, s, s.tools.empty() ? -1 : 0, at);
      return 0;
    }
    case TTM_POP:
      Pop(hwnd, s);
      return 0;
    case TTM_RELAYEVENT:
      return 0;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
  }
  if (LRESULT r; CommonControlMessage(hwnd, msg, wParam, lParam, 0, Paint, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace zolt::host::comctl
