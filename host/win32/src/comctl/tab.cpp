// The tab control class: items with text and data, the current and focused tab, item
// rectangles, the display area (TCM_ADJUSTRECT), and TCN_SELCHANGING / TCN_SELCHANGE on clicks
// and keys.
#include <algorithm>

#include "comctl/comctl_internal.h"
#include "user/window.h"

namespace zolt::host::comctl {

using namespace zolt::host::user;

namespace {

constexpr int kTabHeight = 20;

struct TabItem {
  std::u16string text;
  LPARAM param = 0;
  int image = -1;
  DWORD state = 0;
};

class TabState : public ControlState {
 public:
  std::vector<TabItem> items;
  int current = -1;
  int focus = -1;
  bool focused = false;
};

TabState& StateOf(Window& w) {
  if (!w.State<TabState>()) w.state = std::make_unique<TabState>();
  return *w.State<TabState>();
}

RECT ItemRect(const TabState& s, int index) {
  int x = 2;
  for (int i = 0; i < index; ++i) x += 12 + int(s.items[size_t(i)].text.size()) * 6;
  int width = 12 + int(s.items[size_t(index)].text.size()) * 6;
  return RECT{x, 2, x + width, kTabHeight};
}

bool Valid(const TabState& s, int i) { return i >= 0 && size_t(i) < s.items.size(); }

void CopyItem(const TabItem& item, TCITEMW* out) {
  if (out->mask & TCIF_TEXT && out->pszText && out->cchTextMax > 0) {
    size_t n = std::min<size_t>(item.text.size(), size_t(out->cchTextMax) - 1);
    std::copy_n(item.text.data(), n, out->pszText);
    out->pszText[n] = 0;
  }
  if (out->mask & TCIF_PARAM) out->lParam = item.param;
  if (out->mask & TCIF_IMAGE) out->iImage = item.image;
  if (out->mask & TCIF_STATE) out->dwState = item.state & out->dwStateMask;
}

void Apply(TabItem& item, const TCITEMW& in) {
  if ((in.mask & TCIF_TEXT) && in.pszText) item.text = in.pszText;
  if (in.mask & TCIF_PARAM) item.param = in.lParam;
  if (in.mask & TCIF_IMAGE) item.image = in.iImage;
  if (in.mask & TCIF_STATE) item.state = (item.state & ~in.dwStateMask) | (in.dwState & in.dwStateMask);
}

void Paint(HWND hwnd, HDC dc, HBRUSH) {
  auto w = GetQuiet(hwnd);
  if (!w || !dc) return;
  auto& s = StateOf(*w);
  RECT c = ClientRectOf(*w);
  draw::Fill(dc, c, COLOR_BTNFACE);
  RECT pane{0, kTabHeight, c.right, c.bottom};
  draw::Edge(dc, pane, false);
  HFONT font = FontOf(hwnd);
  for (int i = 0; i < int(s.items.size()); ++i) {
    RECT r = ItemRect(s, i);
    if (i == s.current) InflateRect(&r, 2, 2);
    draw::Fill(dc, r, COLOR_BTNFACE);
    draw::Edge(dc, r, false);
    draw::Text(dc, font, s.items[size_t(i)].text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, COLOR_BTNTEXT);
    if (s.focused && i == s.focus) {
      RECT f = r;
      InflateRect(&f, -3, -3);
      draw::Focus(dc, f);
    }
  }
}

}  // namespace

// A user's change of tab: TCN_SELCHANGING may refuse it, TCN_SELCHANGE follows.
bool TabUserSelect(HWND hwnd, int index) {
  auto w = GetQuiet(hwnd);
  if (!w) return false;
  auto& s = StateOf(*w);
  if (!Valid(s, index)) return false;
  if (index == s.current) return true;
  NMHDR nm{};
  if (NotifyParent(hwnd, nm, TCN_SELCHANGING)) return false;
  if (!GetQuiet(hwnd)) return false;
  s.current = s.focus = index;
  InvalidateRect(hwnd, nullptr, TRUE);
  NMHDR done{};
  NotifyParent(hwnd, done, TCN_SELCHANGE);
  return true;
}

LRESULT CALLBACK TabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(hwnd);
  if (!w) return 0;
  auto& s = StateOf(*w);
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case TCM_GETITEMCOUNT:
      return LRESULT(s.items.size());
    case TCM_INSERTITEMW: {
      auto* in = reinterpret_cast<const TCITEMW*>(lParam);
      if (!in) return -1;
      int at = std::clamp(int(wParam), 0, int(s.items.size()));
      TabItem item;
      Apply(item, *in);
      s.items.insert(s.items.begin() + at, item);
      if (s.current >= at) ++s.current;
      if (s.current < 0) s.current = 0;
      if (s.focus < 0) s.focus = s.current;
      InvalidateRect(hwnd, nullptr, TRUE);
      return at;
    }
    case TCM_SETITEMW:
    case TCM_GETITEMW: {
      int i = int(wParam);
      auto* item = reinterpret_cast<TCITEMW*>(lParam);
      if (!Valid(s, i) || !item) return FALSE;
      if (msg == TCM_SETITEMW) {
        Apply(s.items[size_t(i)], *item);
        InvalidateRect(hwnd, nullptr, TRUE);
      } else {
        CopyItem(s.items[size_t(i)], item);
      }
      return TRUE;
    }
    case TCM_DELETEITEM: {
      int i = int(wParam);
      if (!Valid(s, i)) return FALSE;
      s.items.erase(s.items.begin() + i);
      if (s.current == i) s.current = -1;
      else if (s.current > i) --s.current;
      if (s.focus >= int(s.items.size())) s.focus = int(s.items.size()) - 1;
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case TCM_DELETEALLITEMS:
      s.items.clear();
      s.current = s.focus = -1;
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    case TCM_GETCURSEL:
      return s.current;
    case TCM_SETCURSEL: {
      int i = int(wParam);
      if (!Valid(s, i)) return -1;
      int old = s.current;
      s.current = s.focus = i;
      InvalidateRect(hwnd, nullptr, TRUE);
      return old;
    }
    case TCM_GETCURFOCUS:
      return s.focus;
    case TCM_SETCURFOCUS:
      if (Valid(s, int(wParam))) TabUserSelect(hwnd, int(wParam));
      return 0;
    case TCM_GETITEMRECT:
      if (!Valid(s, int(wParam)) || !lParam) return FALSE;
      *reinterpret_cast<RECT*>(lParam) = ItemRect(s, int(wParam));
      return TRUE;
    case TCM_GETROWCOUNT:
      return 1;
    case TCM_HITTEST: {
      auto* hit = reinterpret_cast<TCHITTESTINFO*>(lParam);
      if (!hit) return -1;
      for (int i = 0; i < int(s.items.size()); ++i) {
        RECT r = ItemRect(s, i);
        if (PtInRect(&r, hit->pt)) {
          hit->flags = 6;  // TCHT_ONITEM
          return i;
        }
      }
      hit->flags = 1;  // TCHT_NOWHERE
      return -1;
    }
    case TCM_ADJUSTRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r) return 0;
      if (wParam) {  // display rectangle -> window rectangle
        r->left -= 4;
        r->right += 4;
        r->top -= kTabHeight + 2;
        r->bottom += 4;
      } else {
        r->left += 4;
        r->right -= 4;
        r->top += kTabHeight + 2;
        r->bottom -= 4;
      }
      return 0;
    }
    case TCM_SETITEMEXTRA:
    case TCM_SETITEMSIZE:
    case TCM_SETIMAGELIST:
      return 0;
    case TCM_GETIMAGELIST:
      return 0;
    case WM_LBUTTONDOWN: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      for (int i = 0; i < int(s.items.size()); ++i) {
        RECT r = ItemRect(s, i);
        if (PtInRect(&r, p)) {
          if (!(w->style & TCS_FOCUSNEVER)) SetFocus(hwnd);
          TabUserSelect(hwnd, i);
          break;
        }
      }
      return 0;
    }
    case WM_KEYDOWN: {
      NMHDR nm{};
      struct {
        NMHDR hdr;
        WORD wVKey;
        UINT flags;
      } key{nm, WORD(wParam), 0};
      NotifyParent(hwnd, key.hdr, TCN_KEYDOWN);
      int n = int(s.items.size());
      if (n == 0) return 0;
      if (wParam == VK_LEFT) TabUserSelect(hwnd, std::max(0, s.current - 1));
      if (wParam == VK_RIGHT) TabUserSelect(hwnd, std::min(n - 1, s.current + 1));
      if (wParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000)) TabUserSelect(hwnd, (s.current + 1) % n);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      s.focused = msg == WM_SETFOCUS;
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
  }
  if (LRESULT r; CommonControlMessage(hwnd, msg, wParam, lParam, 0, Paint, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int TabSelectedIndex(HWND hwnd) { return int(SendMessageW(hwnd, TCM_GETCURSEL, 0, 0)); }

std::vector<std::u16string> TabItems(HWND hwnd) {
  std::vector<std::u16string> out;
  auto w = GetQuiet(hwnd);
  if (!w) return out;
  for (auto& item : StateOf(*w).items) out.push_back(item.text);
  return out;
}

}  // namespace zolt::host::comctl
