// The list box class: single, multiple and extended selection, sorted lists, item data,
// owner-drawn fixed and variable items (WM_MEASUREITEM, WM_DRAWITEM), search, the top index,
// mouse and keyboard selection, and the LBN_ notifications.
#include <algorithm>

#include "user/list_model.h"

namespace zolt::host::user {

namespace {

class ListBoxState : public ControlState {
 public:
  ListModel list;
  UINT itemHeight = 16;
  bool focused = false;
  bool redraw = true;
  int anchor = -1;
};

ListBoxState& StateOf(Window& w) {
  if (!w.State<ListBoxState>()) w.state = std::make_unique<ListBoxState>();
  return *w.State<ListBoxState>();
}

bool Multi(const Window& w) { return (w.style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
bool OwnerDraw(const Window& w) { return (w.style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }

UINT HeightOf(const ListBoxState& s, const Window& w, int i) {
  if ((w.style & LBS_OWNERDRAWVARIABLE) && s.list.Valid(i) && s.list.items[size_t(i)].height)
    return s.list.items[size_t(i)].height;
  return s.itemHeight;
}

RECT ItemRect(const ListBoxState& s, const Window& w, int i) {
  RECT c = ClientRectOf(w);
  int y = 0;
  if (i >= s.list.top)
    for (int k = s.list.top; k < i; ++k) y += int(HeightOf(s, w, k));
  else
    for (int k = i; k < s.list.top; ++k) y -= int(HeightOf(s, w, k));
  return RECT{0, y, c.right, y + int(HeightOf(s, w, i))};
}

int ItemAt(const ListBoxState& s, const Window& w, POINT p) {
  for (int i = s.list.top; i < s.list.Count(); ++i) {
    RECT r = ItemRect(s, w, i);
    if (r.top > ClientRectOf(w).bottom) break;
    if (p.y >= r.top && p.y < r.bottom) return i;
  }
  return -1;
}

void Measure(HWND hwnd, Window& w, ListBoxState& s, int index) {
  if (!OwnerDraw(w) || !w.parent) return;
  MEASUREITEMSTRUCT mis{ODT_LISTBOX, UINT(w.id), UINT(index < 0 ? 0 : index), UINT(ClientRectOf(w).right),
                        s.itemHeight, index >= 0 && s.list.Valid(index) ? s.list.items[size_t(index)].data : 0};
  SendMessageW(w.parent, WM_MEASUREITEM, w.id, reinterpret_cast<LPARAM>(&mis));
  if (!GetQuiet(hwnd)) return;
  if (index >= 0 && (w.style & LBS_OWNERDRAWVARIABLE))
    s.list.items[size_t(index)].height = std::max<UINT>(1, mis.itemHeight);
  else
    s.itemHeight = std::max<UINT>(1, mis.itemHeight);
}

int VisibleCount(const ListBoxState& s, const Window& w) {
  return std::max(1, int(ClientRectOf(w).bottom) / int(std::max<UINT>(1, s.itemHeight)));
}

void EnsureVisible(ListBoxState& s, const Window& w, int i) {
  if (i < 0) return;
  int visible = VisibleCount(s, w);
  if (i < s.list.top) s.list.top = i;
  if (i >= s.list.top + visible) s.list.top = i - visible + 1;
}

void Redraw(HWND hwnd, ListBoxState& s) {
  if (s.redraw) InvalidateRect(hwnd, nullptr, TRUE);
}

// The user chose an item (mouse or keyboard).
void UserSelect(HWND hwnd, Window& w, ListBoxState& s, int index, bool toggle) {
  if (!s.list.Valid(index) || (w.style & LBS_NOSEL)) return;
  if (Multi(w)) {
    auto& item = s.list.items[size_t(index)];
    if (toggle || (w.style & LBS_MULTIPLESEL)) {
      item.selected = !item.selected;
    } else {
      for (auto& it : s.list.items) it.selected = false;
      item.selected = true;
    }
    s.list.current = index;
  } else {
    if (s.list.current == index) {
      EnsureVisible(s, w, index);
      return;
    }
    s.list.current = index;
  }
  EnsureVisible(s, w, index);
  Redraw(hwnd, s);
  if (w.style & LBS_NOTIFY) Notify(hwnd, LBN_SELCHANGE);
}

void Paint(HWND hwnd, HDC dc, HBRUSH background) {
  auto w = GetQuiet(hwnd);
  if (!w) return;
  auto& s = StateOf(*w);
  RECT c = ClientRectOf(*w);
  if (w->style & WS_DISABLED)
    draw::Fill(dc, c, COLOR_BTNFACE);
  else
    draw::Background(dc, c, background, COLOR_WINDOW);
  HFONT font = FontOf(hwnd);
  for (int i = s.list.top; i < s.list.Count(); ++i) {
    RECT r = ItemRect(s, *w, i);
    if (r.top >= c.bottom) break;
    const auto& item = s.list.items[size_t(i)];
    bool selected = Multi(*w) ? item.selected : i == s.list.current;
    bool focus = s.focused && i == (s.list.current < 0 ? 0 : s.list.current);
    if (OwnerDraw(*w)) {
      DRAWITEMSTRUCT dis{ODT_LISTBOX, UINT(w->id), UINT(i), ODA_DRAWENTIRE,
                         UINT((selected ? ODS_SELECTED : 0) | (focus ? ODS_FOCUS : 0) |
                              ((w->style & WS_DISABLED) ? ODS_DISABLED : 0)),
                         hwnd, dc, r, item.data};
      if (w->parent) SendMessageW(w->parent, WM_DRAWITEM, w->id, reinterpret_cast<LPARAM>(&dis));
      if (!GetQuiet(hwnd)) return;
      continue;
    }
    if (!dc) continue;
    if (selected) draw::Fill(dc, r, COLOR_HIGHLIGHT);
    RECT t = r;
    t.left += 2;
    draw::Text(dc, font, item.text, t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
               selected ? COLOR_HIGHLIGHTTEXT : ((w->style & WS_DISABLED) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
    if (focus) draw::Focus(dc, r);
  }
}

}  // namespace

LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(hwnd);
  if (!w) return 0;
  auto& s = StateOf(*w);
  auto& list = s.list;
  switch (msg) {
    case WM_NCCREATE:
      list.hasStrings = !OwnerDraw(*w) || (w->style & LBS_HASSTRINGS);
      list.sorted = (w->style & LBS_SORT) != 0;
      if (w->style & WS_BORDER) {
        w->style &= ~WS_BORDER;
        w->exStyle |= WS_EX_CLIENTEDGE;
      }
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CREATE:
      // A fixed owner-drawn list asks its parent for the item height now, before the dialog
      // is initialised.
      if (w->style & LBS_OWNERDRAWFIXED) Measure(hwnd, *w, s, -1);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
      int at = msg == LB_ADDSTRING ? list.Add(lParam) : list.Insert(int(wParam), lParam);
      if (at < 0) return LB_ERR;
      if (w->style & LBS_OWNERDRAWVARIABLE) Measure(hwnd, *w, s, at);
      Redraw(hwnd, s);
      return at;
    }
    case LB_DELETESTRING: {
      int i = int(wParam);
      if (!list.Valid(i)) return LB_ERR;
      if (OwnerDraw(*w) && w->parent) {
        DELETEITEMSTRUCT dis{ODT_LISTBOX, UINT(w->id), UINT(i), hwnd, list.items[size_t(i)].data};
        SendMessageW(w->parent, WM_DELETEITEM, w->id, reinterpret_cast<LPARAM>(&dis));
      }
      LRESULT r = list.Delete(i);
      Redraw(hwnd, s);
      return r;
    }
    case LB_RESETCONTENT:
      list.Reset();
      Redraw(hwnd, s);
      return 0;
    case LB_INITSTORAGE:
      return LRESULT(list.Count() + int(wParam));
    case LB_GETCOUNT:
      return list.Count();
    case LB_SETCURSEL: {
      if (Multi(*w)) return LB_ERR;
      int i = int(wParam);
      if (i == -1 || !list.Valid(i)) {
        list.current = -1;
        Redraw(hwnd, s);
        return LB_ERR;
      }
      list.current = i;
      EnsureVisible(s, *w, i);
      Redraw(hwnd, s);
      return i;
    }
    case LB_GETCURSEL:
      if (Multi(*w)) return list.current;
      return list.current;
    case LB_SETSEL: {
      if (!Multi(*w)) return LB_ERR;
      int i = int(lParam);
      if (i == -1) {
        for (auto& it : list.items) it.selected = wParam != 0;
      } else {
        if (!list.Valid(i)) return LB_ERR;
        list.items[size_t(i)].selected = wParam != 0;
        list.current = i;
      }
      Redraw(hwnd, s);
      return 0;
    }
    case LB_GETSEL: {
      int i = int(wParam);
      if (!list.Valid(i)) return LB_ERR;
      return Multi(*w) ? list.items[size_t(i)].selected : i == list.current;
    }
    case LB_GETSELCOUNT: {
      if (!Multi(*w)) return LB_ERR;
      return std::count_if(list.items.begin(), list.items.end(), [](const ListItem& i) { return i.selected; });
    }
    case LB_GETSELITEMS: {
      if (!Multi(*w)) return LB_ERR;
      auto* out = reinterpret_cast<int*>(lParam);
      int n = 0;
      for (int i = 0; i < list.Count() && n < int(wParam); ++i)
        if (list.items[size_t(i)].selected) {
          if (out) out[n] = i;
          ++n;
        }
      return n;
    }
    case LB_SELITEMRANGE:
    case LB_SELITEMRANGEEX: {
      if (!Multi(*w)) return LB_ERR;
      int a = msg == LB_SELITEMRANGE ? LOWORD(lParam) : int(wParam);
      int b = msg == LB_SELITEMRANGE ? HIWORD(lParam) : int(lParam);
      bool sel = msg == LB_SELITEMRANGE ? wParam != 0 : a <= b;
      for (int i = std::min(a, b); i <= std::max(a, b); ++i)
        if (list.Valid(i)) list.items[size_t(i)].selected = sel;
      Redraw(hwnd, s);
      return 0;
    }
    case LB_GETTEXT:
      return list.CopyText(int(wParam), lParam);
    case LB_GETTEXTLEN:
      return list.TextLength(int(wParam));
    case LB_GETITEMDATA: {
      int i = int(wParam);
      if (!list.Valid(i)) return LB_ERR;
      return LRESULT(list.items[size_t(i)].data);
    }
    case LB_SETITEMDATA: {
      int i = int(wParam);
      if (!list.Valid(i)) return LB_ERR;
      list.items[size_t(i)].data = ULONG_PTR(lParam);
      return TRUE;
    }
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
      return list.Find(int(wParam), lParam, msg == LB_FINDSTRINGEXACT);
    case LB_SELECTSTRING: {
      int i = list.Find(int(wParam), lParam, false);
      if (i < 0) return LB_ERR;
      if (Multi(*w)) return i;
      list.current = i;
      EnsureVisible(s, *w, i);
      Redraw(hwnd, s);
      return i;
    }
    case LB_GETTOPINDEX:
      return list.top;
    case LB_SETTOPINDEX: {
      int i = int(wParam);
      if (!list.Valid(i) && !(i == 0 && list.Count() == 0)) return LB_ERR;
      list.top = i;
      Redraw(hwnd, s);
      return 0;
    }
    case LB_GETITEMHEIGHT:
      return HeightOf(s, *w, int(wParam));
    case LB_SETITEMHEIGHT:
      if (LOWORD(lParam) == 0 || LOWORD(lParam) > 255) return LB_ERR;
      if ((w->style & LBS_OWNERDRAWVARIABLE) && list.Valid(int(wParam)))
        list.items[size_t(wParam)].height = LOWORD(lParam);
      else
        s.itemHeight = LOWORD(lParam);
      Redraw(hwnd, s);
      return 0;
    case LB_GETITEMRECT: {
      int i = int(wParam);
      if (!list.Valid(i) && !(i == 0 && list.Count() == 0)) return LB_ERR;
      if (lParam) *reinterpret_cast<RECT*>(lParam) = ItemRect(s, *w, i);
      return 1;
    }
    case LB_ITEMFROMPOINT: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      int i = ItemAt(s, *w, p);
      RECT c = ClientRectOf(*w);
      if (i < 0) return MAKELRESULT(std::max(0, list.Count() - 1), 1);
      return MAKELRESULT(i, PtInRect(&c, p) ? 0 : 1);
    }
    case LB_GETCARETINDEX:
      return list.current < 0 ? 0 : list.current;
    case LB_SETCARETINDEX:
      if (!list.Valid(int(wParam))) return LB_ERR;
      if (Multi(*w)) list.current = int(wParam);
      return 0;
    case LB_GETANCHORINDEX:
      return s.anchor;
    case LB_SETANCHORINDEX:
      s.anchor = int(wParam);
      return 0;
    case LB_SETCOLUMNWIDTH:
    case LB_SETTABSTOPS:
    case LB_SETHORIZONTALEXTENT:
      return TRUE;
    case LB_GETHORIZONTALEXTENT:
      return 0;
    case LB_SETCOUNT:
      return LB_ERR;
    case LB_GETLOCALE:
      return 0x0409;
    case LB_SETLOCALE:
      return 0x0409;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (GetFocus() != hwnd) SetFocus(hwnd);
      int i = ItemAt(s, *w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (i < 0) return 0;
      if (msg == WM_LBUTTONDOWN) UserSelect(hwnd, *w, s, i, (wParam & MK_CONTROL) != 0);
      if (msg == WM_LBUTTONDBLCLK && (w->style & LBS_NOTIFY)) Notify(hwnd, LBN_DBLCLK);
      return 0;
    }
    case WM_KEYDOWN: {
      if (w->style & LBS_WANTKEYBOARDINPUT) {
        LRESULT r = w->parent ? SendMessageW(w->parent, WM_VKEYTOITEM, MAKEWPARAM(wParam, list.current),
                                             reinterpret_cast<LPARAM>(hwnd))
                              : -1;
        if (r == -2) return 0;
      }
      int n = list.Count();
      if (n == 0) return 0;
      int cur = list.current < 0 ? 0 : list.current;
      int next = cur;
      switch (wParam) {
        case VK_UP: next = list.current < 0 ? 0 : std::max(0, cur - 1); break;
        case VK_DOWN: next = list.current < 0 ? 0 : std::min(n - 1, cur + 1); break;
        case VK_HOME: next = 0; break;
        case VK_END: next = n - 1; break;
        case VK_PRIOR: next = std::max(0, cur - VisibleCount(s, *w) + 1); break;
        case VK_NEXT: next = std::min(n - 1, cur + VisibleCount(s, *w) - 1); break;
        case VK_SPACE:
          if (Multi(*w)) UserSelect(hwnd, *w, s, cur, true);
          return 0;
        default:
          return 0;
      }
      if (Multi(*w) && (w->style & LBS_MULTIPLESEL)) {
        list.current = next;
        Redraw(hwnd, s);
        return 0;
      }
      UserSelect(hwnd, *w, s, next, false);
      return 0;
    }
    case WM_CHAR: {
      if (!list.hasStrings || wParam < 0x20) return 0;
      std::u16string prefix(1, char16_t(wParam));
      int i = list.Find(list.current, reinterpret_cast<LPARAM>(prefix.c_str()), false);
      if (i >= 0) UserSelect(hwnd, *w, s, i, false);
      return 0;
    }
    case WM_SETFOCUS:
      s.focused = true;
      Redraw(hwnd, s);
      Notify(hwnd, LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s.focused = false;
      Redraw(hwnd, s);
      Notify(hwnd, LBN_KILLFOCUS);
      return 0;
    case WM_SETREDRAW:
      s.redraw = wParam != 0;
      if (s.redraw) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      w->font = reinterpret_cast<HFONT>(wParam);
      if (lParam) Redraw(hwnd, s);
      return 0;
    case WM_ENABLE:
      Redraw(hwnd, s);
      return 0;
    case WM_NCDESTROY:
      if (OwnerDraw(*w) && w->parent && IsWindow(w->parent))
        for (int i = 0; i < list.Count(); ++i) {
          DELETEITEMSTRUCT dis{ODT_LISTBOX, UINT(w->id), UINT(i), hwnd, list.items[size_t(i)].data};
          SendMessageW(w->parent, WM_DELETEITEM, w->id, reinterpret_cast<LPARAM>(&dis));
        }
      return 0;
  }
  if (LRESULT r; CommonControlMessage(hwnd, msg, wParam, lParam, WM_CTLCOLORLISTBOX, Paint, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace zolt::host::user

namespace zolt::host::user {

bool ListBoxChoose(HWND hwnd, int index) {
  auto w = GetQuiet(hwnd);
  if (!w || !w->State<ListBoxState>()) return false;
  auto& s = *w->State<ListBoxState>();
  if (!s.list.Valid(index)) return false;
  if (GetFocus() != hwnd) SetFocus(hwnd);
  UserSelect(hwnd, *w, s, index, false);
  return true;
}

}  // namespace zolt::host::user
