// The list view class in its report view: columns, items with sub-item texts, item data and
// states (selected, focused), single selection, search, item and sub-item rectangles,
// owner-drawn rows (LVS_OWNERDRAWFIXED, WM_DRAWITEM with ODT_LISTVIEW), and the
// LVN_ITEMCHANGING / LVN_ITEMCHANGED, LVN_INSERTITEM / LVN_DELETEITEM and click notifications.
#include <algorithm>

#include "comctl/comctl_internal.h"
#include "user/window.h"

namespace zolt::host::comctl {

using namespace zolt::host::user;

namespace {

constexpr int kHeaderHeight = 20;

struct Column {
  std::u16string text;
  int width = 60;
  int fmt = LVCFMT_LEFT;
};

struct Row {
  std::vector<std::u16string> texts;  // per column
  LPARAM param = 0;
  UINT state = 0;
  int image = -1;
};

class ListViewState : public ControlState {
 public:
  std::vector<Column> columns;
  std::vector<Row> rows;
  UINT rowHeight = 17;
  DWORD exStyle = 0;
  int top = 0;
  int mark = -1;
  bool focused = false;
  bool measured = false;
};

ListViewState& StateOf(Window& w) {
  if (!w.State<ListViewState>()) w.state = std::make_unique<ListViewState>();
  return *w.State<ListViewState>();
}

bool Valid(const ListViewState& s, int i) { return i >= 0 && size_t(i) < s.rows.size(); }
int HeaderHeight(const Window& w) { return (w.style & LVS_NOCOLUMNHEADER) ? 0 : kHeaderHeight; }

RECT RowRect(const ListViewState& s, const Window& w, int i) {
  RECT c = ClientRectOf(w);
  int width = 0;
  for (auto& col : s.columns) width += col.width;
  int y = HeaderHeight(w) + (i - s.top) * int(s.rowHeight);
  return RECT{0, y, std::max<LONG>(width, c.right), y + int(s.rowHeight)};
}

RECT SubItemRect(const ListViewState& s, const Window& w, int i, int sub) {
  RECT r = RowRect(s, w, i);
  int x = 0;
  for (int k = 0; k < sub && size_t(k) < s.columns.size(); ++k) x += s.columns[size_t(k)].width;
  int width = size_t(sub) < s.columns.size() ? s.columns[size_t(sub)].width : 0;
  return RECT{x, r.top, x + width, r.bottom};
}

// Changes the state bits of a row with the notifications; false when the parent refused.
bool ChangeState(HWND hwnd, Window& w, ListViewState& s, int i, UINT state, UINT mask) {
  Row& row = s.rows[size_t(i)];
  UINT next = (row.state & ~mask) | (state & mask);
  if (next == row.state) return true;
  NMLISTVIEW nm{{}, i, 0, next, row.state, LVIF_STATE, {0, 0}, row.param};
  if (NotifyParent(hwnd, nm.hdr, LVN_ITEMCHANGING)) return false;
  if (!GetQuiet(hwnd) || !Valid(s, i)) return false;
  UINT old = s.rows[size_t(i)].state;
  s.rows[size_t(i)].state = next;
  InvalidateRect(hwnd, nullptr, TRUE);
  NMLISTVIEW done{{}, i, 0, next, old, LVIF_STATE, {0, 0}, s.rows[size_t(i)].param};
  NotifyParent(hwnd, done.hdr, LVN_ITEMCHANGED);
  (void)w;
  return true;
}

void SetItemState(HWND hwnd, Window& w, ListViewState& s, int i, UINT state, UINT mask) {
  if (i == -1) {
    for (int k = 0; k < int(s.rows.size()); ++k) SetItemState(hwnd, w, s, k, state, mask);
    return;
  }
  if (!Valid(s, i)) return;
  // Single selection: choosing a row clears the others first; one row has the focus.
  if ((mask & LVIS_SELECTED) && (state & LVIS_SELECTED) && (w.style & LVS_SINGLESEL))
    for (int k = 0; k < int(s.rows.size()); ++k)
      if (k != i && (s.rows[size_t(k)].state & LVIS_SELECTED)) ChangeState(hwnd, w, s, k, 0, LVIS_SELECTED);
  if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED))
    for (int k = 0; k < int(s.rows.size()); ++k)
      if (k != i && (s.rows[size_t(k)].state & LVIS_FOCUSED)) ChangeState(hwnd, w, s, k, 0, LVIS_FOCUSED);
  if (Valid(s, i)) ChangeState(hwnd, w, s, i, state, mask);
}

std::u16string TextOf(const Row& row, int sub) {
  return size_t(sub) < row.texts.size() ? row.texts[size_t(sub)] : std::u16string();
}

void SetText(Row& row, int sub, LPCWSTR text) {
  if (sub < 0) return;
  if (row.texts.size() <= size_t(sub)) row.texts.resize(size_t(sub) + 1);
  row.texts[size_t(sub)] = text && text != LPSTR_TEXTCALLBACKW ? std::u16string(text) : std::u16string();
}

void Measure(HWND hwnd, Window& w, ListViewState& s) {
  if (s.measured || !(w.style & LVS_OWNERDRAWFIXED) || !w.parent) return;
  s.measured = true;
  MEASUREITEMSTRUCT mis{ODT_LISTVIEW, UINT(w.id), 0, 0, s.rowHeight, 0};
  SendMessageW(w.parent, WM_MEASUREITEM, w.id, reinterpret_cast<LPARAM>(&mis));
  if (GetQuiet(hwnd) && mis.itemHeight) s.rowHeight = mis.itemHeight;
}

void Paint(HWND hwnd, HDC dc, HBRUSH) {
  auto w = GetQuiet(hwnd);
  if (!w) return;
  auto& s = StateOf(*w);
  RECT c = ClientRectOf(*w);
  HFONT font = FontOf(hwnd);
  if (dc) {
    draw::Fill(dc, c, COLOR_WINDOW);
    if (HeaderHeight(*w)) {
      int x = 0;
      for (auto& col : s.columns) {
        RECT h{x, 0, x + col.width, kHeaderHeight};
        draw::Fill(dc, h, COLOR_BTNFACE);
        draw::Edge(dc, h, false);
        RECT t = h;
        InflateRect(&t, -4, 0);
        draw::Text(dc, font, col.text, t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, COLOR_BTNTEXT);
        x += col.width;
      }
    }
  }
  for (int i = s.top; i < int(s.rows.size()); ++i) {
    RECT r = RowRect(s, *w, i);
    if (r.top >= c.bottom) break;
    const Row& row = s.rows[size_t(i)];
    bool selected = (row.state & LVIS_SELECTED) != 0;
    if (w->style & LVS_OWNERDRAWFIXED) {
      DRAWITEMSTRUCT dis{ODT_LISTVIEW, UINT(w->id), UINT(i), ODA_DRAWENTIRE,
                         UINT((selected ? ODS_SELECTED : 0) | ((s.focused && (row.state & LVIS_FOCUSED)) ? ODS_FOCUS : 0)),
                         hwnd, dc, r, ULONG_PTR(row.param)};
      if (w->parent) SendMessageW(w->parent, WM_DRAWITEM, w->id, reinterpret_cast<LPARAM>(&dis));
      if (!GetQuiet(hwnd)) return;
      continue;
    }
    if (!dc) continue;
    if (selected) draw::Fill(dc, r, COLOR_HIGHLIGHT);
    for (int k = 0; k < int(s.columns.size()); ++k) {
      RECT t = SubItemRect(s, *w, i, k);
      InflateRect(&t, -4, 0);
      UINT align = s.columns[size_t(k)].fmt == LVCFMT_RIGHT ? DT_RIGHT : s.columns[size_t(k)].fmt == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
      draw::Text(dc, font, TextOf(row, k), t, align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX,
                 selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    }
  }
}

int RowAt(const ListViewState& s, const Window& w, POINT p) {
  if (p.y < HeaderHeight(w)) return -1;
  int i = s.top + (p.y - HeaderHeight(w)) / int(std::max<UINT>(1, s.rowHeight));
  return Valid(s, i) ? i : -1;
}

}  // namespace

bool ListViewUserSelect(HWND hwnd, int i) {
  auto w = GetQuiet(hwnd);
  if (!w) return false;
  auto& s = StateOf(*w);
  if (!Valid(s, i)) return false;
  SetItemState(hwnd, *w, s, -1, 0, LVIS_SELECTED);
  if (auto again = GetQuiet(hwnd)) SetItemState(hwnd, *again, StateOf(*again), i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  return true;
}

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(hwnd);
  if (!w) return 0;
  auto& s = StateOf(*w);
  switch (msg) {
    case WM_NCCREATE:
      if (w->style & WS_BORDER) {
        w->style &= ~WS_BORDER;
        w->exStyle |= WS_EX_CLIENTEDGE;
      }
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case LVM_GETITEMCOUNT:
      return LRESULT(s.rows.size());
    case LVM_INSERTCOLUMNW: {
      auto* col = reinterpret_cast<const LVCOLUMNW*>(lParam);
      if (!col) return -1;
      int at = std::clamp(int(wParam), 0, int(s.columns.size()));
      Column c;
      if ((col->mask & LVCF_TEXT) && col->pszText) c.text = col->pszText;
      if (col->mask & LVCF_WIDTH) c.width = col->cx;
      if (col->mask & LVCF_FMT) c.fmt = col->fmt & 3;
      s.columns.insert(s.columns.begin() + at, c);
      for (auto& row : s.rows)
        if (at > 0 && row.texts.size() > size_t(at)) row.texts.insert(row.texts.begin() + at, std::u16string());
      InvalidateRect(hwnd, nullptr, TRUE);
      return at;
    }
    case LVM_SETCOLUMNW:
    case LVM_GETCOLUMNW: {
      auto* col = reinterpret_cast<LVCOLUMNW*>(lParam);
      if (!col || size_t(wParam) >= s.columns.size()) return FALSE;
      Column& c = s.columns[size_t(wParam)];
      if (msg == LVM_SETCOLUMNW) {
        if ((col->mask & LVCF_TEXT) && col->pszText) c.text = col->pszText;
        if (col->mask & LVCF_WIDTH) c.width = col->cx;
        if (col->mask & LVCF_FMT) c.fmt = col->fmt & 3;
        InvalidateRect(hwnd, nullptr, TRUE);
      } else {
        if (col->mask & LVCF_WIDTH) col->cx = c.width;
        if (col->mask & LVCF_FMT) col->fmt = c.fmt;
        if ((col->mask & LVCF_TEXT) && col->pszText && col->cchTextMax > 0) {
          size_t n = std::min<size_t>(c.text.size(), size_t(col->cchTextMax) - 1);
          std::copy_n(c.text.data(), n, col->pszText);
          col->pszText[n] = 0;
        }
      }
      return TRUE;
    }
    case LVM_DELETECOLUMN:
      if (size_t(wParam) >= s.columns.size()) return FALSE;
      s.columns.erase(s.columns.begin() + long(wParam));
      for (auto& row : s.rows)
        if (row.texts.size() > size_t(wParam)) row.texts.erase(row.texts.begin() + long(wParam));
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    case LVM_GETCOLUMNWIDTH:
      return size_t(wParam) < s.columns.size() ? s.columns[size_t(wParam)].width : 0;
    case LVM_SETCOLUMNWIDTH:
      if (size_t(wParam) >= s.columns.size()) return FALSE;
      s.columns[size_t(wParam)].width = std::max(0, int(SHORT(LOWORD(lParam))));
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    case LVM_INSERTITEMW: {
      auto* item = reinterpret_cast<const LVITEMW*>(lParam);
      if (!item || item->iSubItem != 0) return -1;
      Measure(hwnd, *w, s);
      int at = std::clamp(item->iItem, 0, int(s.rows.size()));
      Row row;
      if (item->mask & LVIF_TEXT) SetText(row, 0, item->pszText);
      if (item->mask & LVIF_PARAM) row.param = item->lParam;
      if (item->mask & LVIF_IMAGE) row.image = item->iImage;
      s.rows.insert(s.rows.begin() + at, row);
      if (s.mark >= at) ++s.mark;
      NMLISTVIEW nm{{}, at, 0, 0, 0, 0, {0, 0}, row.param};
      NotifyParent(hwnd, nm.hdr, LVN_INSERTITEM);
      if (auto again = GetQuiet(hwnd); again && (item->mask & LVIF_STATE) && Valid(s, at))
        SetItemState(hwnd, *again, s, at, item->state, item->stateMask);
      InvalidateRect(hwnd, nullptr, TRUE);
      return at;
    }
    case LVM_SETITEMW:
    case LVM_GETITEMW: {
      auto* item = reinterpret_cast<LVITEMW*>(lParam);
      if (!item || !Valid(s, item->iItem)) return FALSE;
      Row& row = s.rows[size_t(item->iItem)];
      if (msg == LVM_SETITEMW) {
        if (item->mask & LVIF_TEXT) SetText(row, item->iSubItem, item->pszText);
        if (item->iSubItem == 0) {
          if (item->mask & LVIF_PARAM) row.param = item->lParam;
          if (item->mask & LVIF_IMAGE) row.image = item->iImage;
          if (item->mask & LVIF_STATE) SetItemState(hwnd, *w, s, item->iItem, item->state, item->stateMask);
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
      }
      if ((item->mask & LVIF_TEXT) && item->pszText && item->cchTextMax > 0) {
        std::u16string t = TextOf(row, item->iSubItem);
        size_t n = std::min<size_t>(t.size(), size_t(item->cchTextMax) - 1);
        std::copy_n(t.data(), n, item->pszText);
        item->pszText[n] = 0;
      }
      if (item->mask & LVIF_PARAM) item->lParam = row.param;
      if (item->mask & LVIF_IMAGE) item->iImage = row.image;
      if (item->mask & LVIF_STATE) item->state = row.state & item->stateMask;
      return TRUE;
    }
    case LVM_SETITEMTEXTW:
    case LVM_GETITEMTEXTW: {
      auto* item = reinterpret_cast<LVITEMW*>(lParam);
      if (!item || !Valid(s, int(wParam))) return msg == LVM_SETITEMTEXTW ? FALSE : 0;
      Row& row = s.rows[size_t(wParam)];
      if (msg == LVM_SETITEMTEXTW) {
        SetText(row, item->iSubItem, item->pszText);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
      }
      if (!item->pszText || item->cchTextMax <= 0) return 0;
      std::u16string t = TextOf(row, item->iSubItem);
      size_t n = std::min<size_t>(t.size(), size_t(item->cchTextMax) - 1);
      std::copy_n(t.data(), n, item->pszText);
      item->pszText[n] = 0;
      return LRESULT(n);
    }
    case LVM_SETITEMSTATE: {
      auto* item = reinterpret_cast<const LVITEMW*>(lParam);
      if (!item) return FALSE;
      if (int(wParam) != -1 && !Valid(s, int(wParam))) return FALSE;
      SetItemState(hwnd, *w, s, int(wParam), item->state, item->stateMask);
      return TRUE;
    }
    case LVM_GETITEMSTATE:
      return Valid(s, int(wParam)) ? LRESULT(s.rows[size_t(wParam)].state & UINT(lParam)) : 0;
    case LVM_GETNEXTITEM: {
      int start = int(wParam);
      UINT flags = UINT(lParam) & 0xFF;
      for (int i = start + 1; i < int(s.rows.size()); ++i) {
        UINT st = s.rows[size_t(i)].state;
        if ((flags & LVNI_SELECTED) && !(st & LVIS_SELECTED)) continue;
        if ((flags & LVNI_FOCUSED) && !(st & LVIS_FOCUSED)) continue;
        return i;
      }
      return -1;
    }
    case LVM_GETSELECTEDCOUNT:
      return std::count_if(s.rows.begin(), s.rows.end(), [](const Row& r) { return (r.state & LVIS_SELECTED) != 0; });
    case LVM_GETSELECTIONMARK:
      return s.mark;
    case LVM_SETSELECTIONMARK: {
      int old = s.mark;
      s.mark = int(lParam);
      return old;
    }
    case LVM_DELETEITEM: {
      int i = int(wParam);
      if (!Valid(s, i)) return FALSE;
      NMLISTVIEW nm{{}, i, 0, 0, 0, 0, {0, 0}, s.rows[size_t(i)].param};
      NotifyParent(hwnd, nm.hdr, LVN_DELETEITEM);
      if (!GetQuiet(hwnd) || !Valid(s, i)) return FALSE;
      s.rows.erase(s.rows.begin() + i);
      if (s.mark == i) s.mark = -1;
      else if (s.mark > i) --s.mark;
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case LVM_DELETEALLITEMS: {
      NMLISTVIEW nm{{}, -1, 0, 0, 0, 0, {0, 0}, 0};
      // A parent that answers TRUE takes no LVN_DELETEITEM per item.
      bool each = !NotifyParent(hwnd, nm.hdr, LVN_DELETEALLITEMS);
      if (!GetQuiet(hwnd)) return FALSE;
      if (each)
        for (int i = 0; i < int(s.rows.size()); ++i) {
          NMLISTVIEW one{{}, i, 0, 0, 0, 0, {0, 0}, s.rows[size_t(i)].param};
          NotifyParent(hwnd, one.hdr, LVN_DELETEITEM);
        }
      s.rows.clear();
      s.mark = -1;
      s.top = 0;
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case LVM_FINDITEMW: {
      auto* find = reinterpret_cast<const LVFINDINFOW*>(lParam);
      if (!find) return -1;
      int n = int(s.rows.size());
      for (int step = 1; step <= n; ++step) {
        int i = int(wParam) + step;
        if (i >= n) {
          if (!(find->flags & LVFI_WRAP)) break;
          i %= n;
        }
        const Row& row = s.rows[size_t(i)];
        if (find->flags & LVFI_PARAM) {
          if (row.param == find->lParam) return i;
        } else if ((find->flags & (LVFI_STRING | LVFI_PARTIAL)) && find->psz) {
          std::u16string t = TextOf(row, 0);
          std::u16string_view want(find->psz);
          bool hit = (find->flags & LVFI_PARTIAL)
                         ? (t.size() >= want.size() && EqualNoCase(std::u16string_view(t).substr(0, want.size()), want))
                         : EqualNoCase(t, want);
          if (hit) return i;
        }
      }
      return -1;
    }
    case LVM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r || !Valid(s, int(wParam))) return FALSE;
      *r = RowRect(s, *w, int(wParam));
      if (r->left == LVIR_LABEL && !s.columns.empty()) *r = SubItemRect(s, *w, int(wParam), 0);
      return TRUE;
    }
    case LVM_GETSUBITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r || !Valid(s, int(wParam))) return FALSE;
      int sub = r->top;
      *r = sub == 0 ? RowRect(s, *w, int(wParam)) : SubItemRect(s, *w, int(wParam), sub);
      if (sub == 0 && !s.columns.empty()) r->right = r->left + s.columns[0].width;
      return TRUE;
    }
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST: {
      auto* hit = reinterpret_cast<LVHITTESTINFO*>(lParam);
      if (!hit) return -1;
      int i = RowAt(s, *w, hit->pt);
      hit->iItem = i;
      hit->iSubItem = 0;
      hit->flags = i >= 0 ? LVHT_ONITEMLABEL : LVHT_NOWHERE;
      if (i >= 0 && msg == LVM_SUBITEMHITTEST) {
        int x = 0;
        for (int k = 0; k < int(s.columns.size()); ++k) {
          if (hit->pt.x >= x && hit->pt.x < x + s.columns[size_t(k)].width) hit->iSubItem = k;
          x += s.columns[size_t(k)].width;
        }
      }
      return i;
    }
    case LVM_ENSUREVISIBLE: {
      int i = int(wParam);
      if (!Valid(s, i)) return FALSE;
      int per = std::max(1, (int(ClientRectOf(*w).bottom) - HeaderHeight(*w)) / int(s.rowHeight));
      if (i < s.top) s.top = i;
      if (i >= s.top + per) s.top = i - per + 1;
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case LVM_GETTOPINDEX:
      return s.top;
    case LVM_GETCOUNTPERPAGE:
      return std::max(1, (int(ClientRectOf(*w).bottom) - HeaderHeight(*w)) / int(s.rowHeight));
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      DWORD old = s.exStyle;
      DWORD mask = wParam ? DWORD(wParam) : 0xFFFFFFFF;
      s.exStyle = (s.exStyle & ~mask) | (DWORD(lParam) & mask);
      return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
      return s.exStyle;
    case LVM_GETSTRINGWIDTHW:
      return lParam ? LRESULT(std::char_traits<char16_t>::length(reinterpret_cast<LPCWSTR>(lParam)) * 6) : 0;
    case LVM_REDRAWITEMS:
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    case LVM_SETIMAGELIST:
    case LVM_GETHEADER:
    case LVM_SETITEMCOUNT:
      return 0;
    case LVM_SETBKCOLOR:
      return TRUE;
    case LVM_GETBKCOLOR:
      return GetSysColor(COLOR_WINDOW);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SetFocus(hwnd);
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      int i = RowAt(s, *w, p);
      if (i >= 0 && msg != WM_LBUTTONDBLCLK) ListViewUserSelect(hwnd, i);
      if (!GetQuiet(hwnd)) return 0;
      NMITEMACTIVATE nm{{}, i, 0, 0, 0, 0, p, 0, 0};
      NotifyParent(hwnd, nm.hdr, msg == WM_LBUTTONDOWN ? NM_CLICK : msg == WM_RBUTTONDOWN ? NM_RCLICK : NM_DBLCLK);
      return 0;
    }
    case WM_KEYDOWN: {
      struct {
        NMHDR hdr;
        WORD wVKey;
        UINT flags;
      } key{{}, WORD(wParam), 0};
      NotifyParent(hwnd, key.hdr, LVN_KEYDOWN);
      if (!GetQuiet(hwnd) || s.rows.empty()) return 0;
      int cur = -1;
      for (int i = 0; i < int(s.rows.size()); ++i)
        if (s.rows[size_t(i)].state & LVIS_FOCUSED) cur = i;
      int n = int(s.rows.size());
      int next = cur;
      if (wParam == VK_UP) next = std::max(0, cur - 1);
      else if (wParam == VK_DOWN) next = std::min(n - 1, cur + 1);
      else if (wParam == VK_HOME) next = 0;
      else if (wParam == VK_END) next = n - 1;
      else return 0;
      ListViewUserSelect(hwnd, next);
      SendMessageW(hwnd, LVM_ENSUREVISIBLE, WPARAM(next), FALSE);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      s.focused = msg == WM_SETFOCUS;
      InvalidateRect(hwnd, nullptr, TRUE);
      NMHDR nm{};
      NotifyParent(hwnd, nm, msg == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS);
      return 0;
    }
  }
  if (LRESULT r; CommonControlMessage(hwnd, msg, wParam, lParam, 0, Paint, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int ListViewSelectedIndex(HWND hwnd) { return int(SendMessageW(hwnd, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); }

std::vector<std::u16string> ListViewItems(HWND hwnd) {
  std::vector<std::u16string> out;
  auto w = GetQuiet(hwnd);
  if (!w) return out;
  for (auto& row : StateOf(*w).rows) out.push_back(TextOf(row, 0));
  return out;
}

}  // namespace zolt::host::comctl
