// The tree view class: items under the root and under each other (first, last, sorted or
// after a sibling), texts, item data, states (selected, expanded), navigation, the selection
// with TVN_SELCHANGING / TVN_SELCHANGED, expanding with TVN_ITEMEXPANDING / TVN_ITEMEXPANDED
// and deletion with TVN_DELETEITEM.
#include <algorithm>
#include <map>

#include "comctl/comctl_internal.h"
#include "user/window.h"

namespace zolt::host::comctl {

using namespace zolt::host::user;

namespace {

struct Node {
  UINT_PTR id = 0;
  UINT_PTR parent = 0;  // 0: the root
  std::u16string text;
  LPARAM param = 0;
  UINT state = 0;
  int image = 0, selectedImage = 0, children = 0;
  std::vector<UINT_PTR> kids;
};

class TreeState : public ControlState {
 public:
  std::map<UINT_PTR, Node> nodes;
  std::vector<UINT_PTR> roots;
  UINT_PTR next = 0x100;
  UINT_PTR selected = 0;
  UINT itemHeight = 16;
  int indent = 19;
  bool focused = false;
};

TreeState& StateOf(Window& w) {
  if (!w.State<TreeState>()) w.state = std::make_unique<TreeState>();
  return *w.State<TreeState>();
}

UINT_PTR Id(HTREEITEM h) { return reinterpret_cast<UINT_PTR>(h); }
HTREEITEM Handle(UINT_PTR id) { return reinterpret_cast<HTREEITEM>(id); }

std::vector<UINT_PTR>& Siblings(TreeState& s, UINT_PTR parent) {
  if (!parent) return s.roots;
  return s.nodes[parent].kids;
}

TVITEMW ItemOf(const Node& n) {
  TVITEMW item{};
  item.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE;
  item.hItem = Handle(n.id);
  item.state = n.state;
  item.lParam = n.param;
  return item;
}

void DeleteNode(HWND hwnd, TreeState& s, UINT_PTR id) {
  auto it = s.nodes.find(id);
  if (it == s.nodes.end()) return;
  for (UINT_PTR kid : std::vector<UINT_PTR>(it->second.kids)) DeleteNode(hwnd, s, kid);
  NMTREEVIEWW nm{};
  nm.itemOld = ItemOf(s.nodes[id]);
  NotifyParent(hwnd, nm.hdr, TVN_DELETEITEMW);
  auto& sib = Siblings(s, s.nodes[id].parent);
  sib.erase(std::remove(sib.begin(), sib.end(), id), sib.end());
  if (s.selected == id) s.selected = 0;
  s.nodes.erase(id);
}

// The visible items in display order (children of expanded items only).
void Visible(TreeState& s, const std::vector<UINT_PTR>& list, std::vector<UINT_PTR>* out, int depth,
             std::vector<int>* depths) {
  for (UINT_PTR id : list) {
    out->push_back(id);
    if (depths) depths->push_back(depth);
    const Node& n = s.nodes[id];
    if (n.state & TVIS_EXPANDED) Visible(s, n.kids, out, depth + 1, depths);
  }
}

bool Select(HWND hwnd, TreeState& s, UINT_PTR id, UINT action) {
  if (id == s.selected) return true;
  NMTREEVIEWW nm{};
  nm.action = action;
  if (s.selected) nm.itemOld = ItemOf(s.nodes[s.selected]);
  if (id) nm.itemNew = ItemOf(s.nodes[id]);
  if (NotifyParent(hwnd, nm.hdr, TVN_SELCHANGINGW)) return false;
  if (!GetQuiet(hwnd)) return false;
  if (s.selected && s.nodes.count(s.selected)) s.nodes[s.selected].state &= ~UINT(TVIS_SELECTED);
  UINT_PTR old = s.selected;
  s.selected = id;
  if (id) s.nodes[id].state |= TVIS_SELECTED;
  InvalidateRect(hwnd, nullptr, TRUE);
  NMTREEVIEWW done{};
  done.action = action;
  if (old && s.nodes.count(old)) done.itemOld = ItemOf(s.nodes[old]);
  if (id) done.itemNew = ItemOf(s.nodes[id]);
  NotifyParent(hwnd, done.hdr, TVN_SELCHANGEDW);
  return true;
}

bool Expand(HWND hwnd, TreeState& s, UINT_PTR id, UINT code) {
  auto it = s.nodes.find(id);
  if (it == s.nodes.end()) return false;
  bool open = (it->second.state & TVIS_EXPANDED) != 0;
  bool want = (code & 3) == TVE_EXPAND ? true : (code & 3) == TVE_COLLAPSE ? false : !open;
  if (want == open) return true;
  NMTREEVIEWW nm{};
  nm.action = want ? TVE_EXPAND : TVE_COLLAPSE;
  nm.itemNew = ItemOf(it->second);
  if (NotifyParent(hwnd, nm.hdr, TVN_ITEMEXPANDINGW)) return false;
  if (!GetQuiet(hwnd) || !s.nodes.count(id)) return false;
  if (want)
    s.nodes[id].state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
  else
    s.nodes[id].state &= ~UINT(TVIS_EXPANDED);
  InvalidateRect(hwnd, nullptr, TRUE);
  nm.itemNew = ItemOf(s.nodes[id]);
  NotifyParent(hwnd, nm.hdr, TVN_ITEMEXPANDEDW);
  return true;
}

void Paint(HWND hwnd, HDC dc, HBRUSH) {
  auto w = GetQuiet(hwnd);
  if (!w || !dc) return;
  auto& s = StateOf(*w);
  RECT c = ClientRectOf(*w);
  draw::Fill(dc, c, COLOR_WINDOW);
  std::vector<UINT_PTR> order;
  std::vector<int> depths;
  Visible(s, s.roots, &order, 0, &depths);
  HFONT font = FontOf(hwnd);
  for (size_t i = 0; i < order.size(); ++i) {
    int y = int(i) * int(s.itemHeight);
    if (y >= c.bottom) break;
    const Node& n = s.nodes[order[i]];
    int x = 4 + depths[i] * s.indent;
    if (!n.kids.empty() && (w->style & TVS_HASBUTTONS)) {
      RECT box{x, y + 4, x + 9, y + 13};
      draw::Frame(dc, box, COLOR_BTNSHADOW);
      draw::Line(dc, x + 2, y + 8, x + 7, y + 8, COLOR_WINDOWTEXT);
      if (!(n.state & TVIS_EXPANDED)) draw::Line(dc, x + 4, y + 6, x + 4, y + 11, COLOR_WINDOWTEXT);
    }
    RECT t{x + 14, y, c.right, y + int(s.itemHeight)};
    bool selected = (n.state & TVIS_SELECTED) != 0;
    if (selected) draw::Fill(dc, t, COLOR_HIGHLIGHT);
    draw::Text(dc, font, n.text, t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
               selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
  }
}

}  // namespace

bool TreeUserSelect(HWND hwnd, std::u16string_view text) {
  auto w = GetQuiet(hwnd);
  if (!w) return false;
  auto& s = StateOf(*w);
  for (auto& [id, node] : s.nodes)
    if (node.text == text) {
      // Its ancestors open so that it can be seen, as a user would have to.
      for (UINT_PTR p = node.parent; p; p = s.nodes[p].parent) Expand(hwnd, s, p, TVE_EXPAND);
      return Select(hwnd, s, id, TVC_BYMOUSE);
    }
  return false;
}

int TreeSelectedIndex(HWND hwnd) {
  auto w = GetQuiet(hwnd);
  if (!w) return -1;
  auto& s = StateOf(*w);
  std::vector<UINT_PTR> order;
  Visible(s, s.roots, &order, 0, nullptr);
  auto it = std::find(order.begin(), order.end(), s.selected);
  return it == order.end() ? -1 : int(it - order.begin());
}

std::vector<std::u16string> TreeItems(HWND hwnd) {
  std::vector<std::u16string> out;
  auto w = GetQuiet(hwnd);
  if (!w) return out;
  auto& s = StateOf(*w);
  std::vector<UINT_PTR> order;
  Visible(s, s.roots, &order, 0, nullptr);
  for (UINT_PTR id : order) out.push_back(s.nodes[id].text);
  return out;
}

LRESULT CALLBACK TreeViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(hwnd);
  if (!w) return 0;
  auto& s = StateOf(*w);
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case TVM_INSERTITEMW: {
      auto* ins = reinterpret_cast<const TVINSERTSTRUCTW*>(lParam);
      if (!ins) return 0;
      UINT_PTR parent = (ins->hParent == TVI_ROOT || !ins->hParent) ? 0 : Id(ins->hParent);
      if (parent && !s.nodes.count(parent)) return 0;
      Node n;
      n.id = s.next++;
      n.parent = parent;
      const TVITEMW& item = ins->item;
      if ((item.mask & TVIF_TEXT) && item.pszText && item.pszText != LPSTR_TEXTCALLBACKW) n.text = item.pszText;
      if (item.mask & TVIF_PARAM) n.param = item.lParam;
      if (item.mask & TVIF_STATE) n.state = item.state & item.stateMask & ~UINT(TVIS_SELECTED);
      if (item.mask & TVIF_IMAGE) n.image = item.iImage;
      if (item.mask & TVIF_SELECTEDIMAGE) n.selectedImage = item.iSelectedImage;
      if (item.mask & TVIF_CHILDREN) n.children = item.cChildren;
      auto& sib = Siblings(s, parent);
      size_t at = sib.size();
      if (ins->hInsertAfter == TVI_FIRST) {
        at = 0;
      } else if (ins->hInsertAfter == TVI_SORT) {
        at = 0;
        while (at < sib.size() && Lower(s.nodes[sib[at]].text) <= Lower(n.text)) ++at;
      } else if (ins->hInsertAfter != TVI_LAST && ins->hInsertAfter) {
        auto it = std::find(sib.begin(), sib.end(), Id(ins->hInsertAfter));
        if (it != sib.end()) at = size_t(it - sib.begin()) + 1;
      }
      UINT_PTR id = n.id;
      s.nodes[id] = n;
      Siblings(s, parent).insert(Siblings(s, parent).begin() + long(at), id);
      InvalidateRect(hwnd, nullptr, TRUE);
      return LRESULT(id);
    }
    case TVM_DELETEITEM: {
      HTREEITEM h = reinterpret_cast<HTREEITEM>(lParam);
      if (h == TVI_ROOT || !h) {
        for (UINT_PTR id : std::vector<UINT_PTR>(s.roots)) DeleteNode(hwnd, s, id);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
      }
      if (!s.nodes.count(Id(h))) return FALSE;
      DeleteNode(hwnd, s, Id(h));
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case TVM_GETCOUNT:
      return LRESULT(s.nodes.size());
    case TVM_GETNEXTITEM: {
      UINT_PTR id = Id(reinterpret_cast<HTREEITEM>(lParam));
      auto find = [&](UINT_PTR x) { return s.nodes.count(x) != 0; };
      switch (wParam) {
        case TVGN_ROOT: return s.roots.empty() ? 0 : LRESULT(s.roots.front());
        case TVGN_CARET: return LRESULT(s.selected);
        case TVGN_CHILD:
          if (!id || reinterpret_cast<HTREEITEM>(lParam) == TVI_ROOT) return s.roots.empty() ? 0 : LRESULT(s.roots.front());
          return find(id) && !s.nodes[id].kids.empty() ? LRESULT(s.nodes[id].kids.front()) : 0;
        case TVGN_PARENT: return find(id) ? LRESULT(s.nodes[id].parent) : 0;
        case TVGN_NEXT:
        case TVGN_PREVIOUS: {
          if (!find(id)) return 0;
          auto& sib = Siblings(s, s.nodes[id].parent);
          auto it = std::find(sib.begin(), sib.end(), id);
          if (wParam == TVGN_NEXT) return it + 1 < sib.end() ? LRESULT(*(it + 1)) : 0;
          return it > sib.begin() ? LRESULT(*(it - 1)) : 0;
        }
        case TVGN_FIRSTVISIBLE:
        case TVGN_NEXTVISIBLE:
        case TVGN_PREVIOUSVISIBLE: {
          std::vector<UINT_PTR> order;
          Visible(s, s.roots, &order, 0, nullptr);
          if (wParam == TVGN_FIRSTVISIBLE) return order.empty() ? 0 : LRESULT(order.front());
          auto it = std::find(order.begin(), order.end(), id);
          if (it == order.end()) return 0;
          if (wParam == TVGN_NEXTVISIBLE) return it + 1 < order.end() ? LRESULT(*(it + 1)) : 0;
          return it > order.begin() ? LRESULT(*(it - 1)) : 0;
        }
      }
      return 0;
    }
    case TVM_SELECTITEM: {
      UINT_PTR id = Id(reinterpret_cast<HTREEITEM>(lParam));
      if (id && !s.nodes.count(id)) return FALSE;
      if ((wParam & 0xFF) != TVGN_CARET) return id != 0 || lParam == 0;
      return Select(hwnd, s, id, TVC_UNKNOWN);
    }
    case TVM_EXPAND:
      return Expand(hwnd, s, Id(reinterpret_cast<HTREEITEM>(lParam)), UINT(wParam));
    case TVM_GETITEMW:
    case TVM_SETITEMW: {
      auto* item = reinterpret_cast<TVITEMW*>(lParam);
      if (!item || !s.nodes.count(Id(item->hItem))) return FALSE;
      Node& n = s.nodes[Id(item->hItem)];
      if (msg == TVM_SETITEMW) {
        if ((item->mask & TVIF_TEXT) && item->pszText && item->pszText != LPSTR_TEXTCALLBACKW) n.text = item->pszText;
        if (item->mask & TVIF_PARAM) n.param = item->lParam;
        if (item->mask & TVIF_STATE) n.state = (n.state & ~item->stateMask) | (item->state & item->stateMask);
        if (item->mask & TVIF_IMAGE) n.image = item->iImage;
        if (item->mask & TVIF_SELECTEDIMAGE) n.selectedImage = item->iSelectedImage;
        if (item->mask & TVIF_CHILDREN) n.children = item->cChildren;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
      }
      if ((item->mask & TVIF_TEXT) && item->pszText && item->cchTextMax > 0) {
        size_t k = std::min<size_t>(n.text.size(), size_t(item->cchTextMax) - 1);
        std::copy_n(n.text.data(), k, item->pszText);
        item->pszText[k] = 0;
      }
      if (item->mask & TVIF_PARAM) item->lParam = n.param;
      if (item->mask & TVIF_STATE) item->state = n.state & item->stateMask;
      if (item->mask & TVIF_IMAGE) item->iImage = n.image;
      if (item->mask & TVIF_SELECTEDIMAGE) item->iSelectedImage = n.selectedImage;
      if (item->mask & TVIF_CHILDREN) item->cChildren = n.kids.empty() ? n.children : 1;
      return TRUE;
    }
    case TVM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r) return FALSE;
      UINT_PTR id = *reinterpret_cast<UINT_PTR*>(lParam);
      std::vector<UINT_PTR> order;
      std::vector<int> depths;
      Visible(s, s.roots, &order, 0, &depths);
      auto it = std::find(order.begin(), order.end(), id);
      if (it == order.end()) return FALSE;
      size_t i = size_t(it - order.begin());
      int y = int(i) * int(s.itemHeight);
      *r = wParam ? RECT{4 + depths[i] * s.indent + 14, y, 4 + depths[i] * s.indent + 14 + int(s.nodes[id].text.size()) * 6,
                         y + int(s.itemHeight)}
                  : RECT{0, y, ClientRectOf(*w).right, y + int(s.itemHeight)};
      return TRUE;
    }
    case TVM_GETITEMHEIGHT:
      return s.itemHeight;
    case TVM_GETINDENT:
      return s.indent;
    case TVM_SETINDENT:
      s.indent = std::max(0, int(wParam));
      return 0;
    case TVM_GETVISIBLECOUNT:
      return std::max<LONG>(1, ClientRectOf(*w).bottom / LONG(s.itemHeight));
    case TVM_ENSUREVISIBLE: {
      UINT_PTR id = Id(reinterpret_cast<HTREEITEM>(lParam));
      if (!s.nodes.count(id)) return FALSE;
      for (UINT_PTR p = s.nodes[id].parent; p; p = s.nodes[p].parent) Expand(hwnd, s, p, TVE_EXPAND);
      return TRUE;
    }
    case TVM_SORTCHILDREN: {
      UINT_PTR id = Id(reinterpret_cast<HTREEITEM>(lParam));
      auto& sib = (reinterpret_cast<HTREEITEM>(lParam) == TVI_ROOT || !id) ? s.roots : s.nodes[id].kids;
      std::stable_sort(sib.begin(), sib.end(), [&](UINT_PTR a, UINT_PTR b) { return Lower(s.nodes[a].text) < Lower(s.nodes[b].text); });
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SetFocus(hwnd);
      std::vector<UINT_PTR> order;
      std::vector<int> depths;
      Visible(s, s.roots, &order, 0, &depths);
      int i = GET_Y_LPARAM(lParam) / int(s.itemHeight);
      if (i < 0 || size_t(i) >= order.size()) return 0;
      UINT_PTR id = order[size_t(i)];
      int x = 4 + depths[size_t(i)] * s.indent;
      if (GET_X_LPARAM(lParam) < x + 12 || msg == WM_LBUTTONDBLCLK)
        Expand(hwnd, s, id, TVE_TOGGLE);
      else
        Select(hwnd, s, id, TVC_BYMOUSE);
      NMHDR nm{};
      NotifyParent(hwnd, nm, msg == WM_LBUTTONDOWN ? NM_CLICK : NM_DBLCLK);
      return 0;
    }
    case WM_KEYDOWN: {
      std::vector<UINT_PTR> order;
      Visible(s, s.roots, &order, 0, nullptr);
      if (order.empty()) return 0;
      auto it = std::find(order.begin(), order.end(), s.selected);
      long i = it == order.end() ? -1 : long(it - order.begin());
      switch (wParam) {
        case VK_UP: if (i > 0) Select(hwnd, s, order[size_t(i - 1)], TVC_BYKEYBOARD); break;
        case VK_DOWN: if (i + 1 < long(order.size())) Select(hwnd, s, order[size_t(i + 1)], TVC_BYKEYBOARD); break;
        case VK_HOME: Select(hwnd, s, order.front(), TVC_BYKEYBOARD); break;
        case VK_END: Select(hwnd, s, order.back(), TVC_BYKEYBOARD); break;
        case VK_RIGHT: if (s.selected) Expand(hwnd, s, s.selected, TVE_EXPAND); break;
        case VK_LEFT: if (s.selected) Expand(hwnd, s, s.selected, TVE_COLLAPSE); break;
      }
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
    case WM_DESTROY:
      for (UINT_PTR id : std::vector<UINT_PTR>(s.roots)) DeleteNode(hwnd, s, id);
      return 0;
  }
  if (LRESULT r; CommonControlMessage(hwnd, msg, wParam, lParam, 0, Paint, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace zolt::host::comctl
