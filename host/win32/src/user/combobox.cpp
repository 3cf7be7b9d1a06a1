// The combo box class: drop-down lists, drop-downs and simple combo boxes (with their edit
// field, id 1001), sorted and owner-drawn (fixed and variable) lists, item data, search, the
// drop-down state and the CBN_ notifications.
#include <algorithm>

#include "user/list_model.h"

namespace zolt::host::user {

namespace {

constexpr int kEditId = 1001;

class ComboState : public ControlState {
 public:
  ListModel list;
  UINT itemHeight = 16;
  UINT fieldHeight = 16;
  bool dropped = false;
  bool focused = false;
  bool extendedUi = false;
  int droppedHeight = 0;
  int droppedWidth = 0;
  HWND edit = nullptr;
};

ComboState& StateOf(Window& w) {
  if (!w.State<ComboState>()) w.state = std::make_unique<ComboState>();
  return *w.State<ComboState>();
}

DWORD Kind(const Window& w) { return w.style & 3; }
bool OwnerDraw(const Window& w) { return (w.style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0; }

void Measure(HWND hwnd, Window& w, ComboState& s, int index) {
  if (!OwnerDraw(w) || !w.parent) return;
  MEASUREITEMSTRUCT mis{ODT_COMBOBOX, UINT(w.id), UINT(index), UINT(w.rect.right - w.rect.left), s.itemHeight,
                        index >= 0 && s.list.Valid(index) ? s.list.items[size_t(index)].data : 0};
  SendMessageW(w.parent, WM_MEASUREITEM, w.id, reinterpret_cast<LPARAM>(&mis));
  if (!GetQuiet(hwnd)) return;
  UINT h = std::max<UINT>(1, mis.itemHeight);
  if (index == -1)
    s.fieldHeight = h;
  else if ((w.style & CBS_OWNERDRAWVARIABLE) && s.list.Valid(index))
    s.list.items[size_t(index)].height = h;
  else
    s.itemHeight = h;
}

void ShowSelectionText(Window& w, ComboState& s) {
  if (!s.edit) return;
  std::u16string text = s.list.Valid(s.list.current) ? s.list.items[size_t(s.list.current)].text : std::u16string();
  // The edit field shows the item without telling the combo box that its text changed.
  if (auto e = GetQuiet(s.edit)) e->text = text;
  InvalidateRect(s.edit, nullptr, TRUE);
  (void)w;
}

void SetDropped(HWND hwnd, Window& w, ComboState& s, bool dropped) {
  if (Kind(w) == CBS_SIMPLE || s.dropped == dropped) return;
  if (dropped) Notify(hwnd, CBN_DROPDOWN);
  s.dropped = dropped;
  if (!dropped) Notify(hwnd, CBN_CLOSEUP);
  InvalidateRect(hwnd, nullptr, TRUE);
}

// The user chose an item (with the list dropped or with the arrow keys).
void UserSelect(HWND hwnd, Window& w, ComboState& s, int index) {
  if (!s.list.Valid(index)) return;
  bool changed = s.list.current != index;
  s.list.current = index;
  ShowSelectionText(w, s);
  InvalidateRect(hwnd, nullptr, TRUE);
  if (changed) Notify(hwnd, CBN_SELCHANGE);
}

void Paint(HWND hwnd, HDC dc, HBRUSH background) {
  auto w = GetQuiet(hwnd);
  if (!w) return;
  auto& s = StateOf(*w);
  RECT c = ClientRectOf(*w);
  bool enabled = !(w->style & WS_DISABLED);
  int arrow = GetSystemMetrics(SM_CXVSCROLL);
  RECT field{0, 0, Kind(*w) == CBS_SIMPLE ? c.right : c.right - arrow, std::min<LONG>(c.bottom, LONG(s.fieldHeight + 6))};
  if (dc) {
    draw::Fill(dc, c, COLOR_BTNFACE);
    if (enabled)
      draw::Background(dc, field, background, COLOR_WINDOW);
    else
      draw::Fill(dc, field, COLOR_BTNFACE);
    draw::Frame(dc, RECT{0, 0, c.right, field.bottom}, COLOR_BTNSHADOW);
    if (Kind(*w) != CBS_SIMPLE) {
      RECT a{c.right - arrow, 0, c.right, field.bottom};
      draw::Fill(dc, a, COLOR_BTNFACE);
      draw::Edge(dc, a, s.dropped);
      draw::Arrow(dc, a, 1, enabled);
    }
  }
  if (Kind(*w) != CBS_DROPDOWNLIST) return;
  RECT item = field;
  InflateRect(&item, -3, -3);
  bool selected = s.focused && !s.dropped;
  if (OwnerDraw(*w)) {
    DRAWITEMSTRUCT dis{ODT_COMBOBOX, UINT(w->id), UINT(s.list.current), ODA_DRAWENTIRE,
                       UINT(ODS_COMBOBOXEDIT | (selected ? ODS_SELECTED | ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED)),
                       hwnd, dc, item,
                       s.list.Valid(s.list.current) ? s.list.items[size_t(s.list.current)].data : 0};
    if (w->parent) SendMessageW(w->parent, WM_DRAWITEM, w->id, reinterpret_cast<LPARAM>(&dis));
    return;
  }
  if (!dc) return;
  if (selected) draw::Fill(dc, item, COLOR_HIGHLIGHT);
  if (s.list.Valid(s.list.current))
    draw::Text(dc, FontOf(hwnd), s.list.items[size_t(s.list.current)].text, item,
               DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
               selected ? COLOR_HIGHLIGHTTEXT : (enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
}

}  // namespace

LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(hwnd);
  if (!w) return 0;
  auto& s = StateOf(*w);
  auto& list = s.list;
  switch (msg) {
    case WM_NCCREATE:
      list.hasStrings = !OwnerDraw(*w) || (w->style & CBS_HASSTRINGS);
      list.sorted = (w->style & CBS_SORT) != 0;
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CREATE: {
      // Fixed owner-drawn combo boxes ask for the field's and the items' heights now.
      if (w->style & CBS_OWNERDRAWFIXED) {
        Measure(hwnd, *w, s, -1);
        Measure(hwnd, *w, s, 0);
      } else if (w->style & CBS_OWNERDRAWVARIABLE) {
        Measure(hwnd, *w, s, -1);
      }
      s.droppedHeight = w->rect.bottom - w->rect.top;
      s.droppedWidth = w->rect.right - w->rect.left;
      if (Kind(*w) != CBS_SIMPLE) w->rect.bottom = w->rect.top + LONG(s.fieldHeight) + 6;
      if (Kind(*w) == CBS_DROPDOWN || Kind(*w) == CBS_SIMPLE) {
        int arrow = Kind(*w) == CBS_SIMPLE ? 0 : GetSystemMetrics(SM_CXVSCROLL);
        s.edit = CreateWindowExW(0, u"Edit", w->text.c_str(),
                                 WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | ((w->style & CBS_AUTOHSCROLL) ? 0 : 0),
                                 3, 3, std::max<int>(0, int(w->rect.right - w->rect.left) - arrow - 6),
                                 int(s.fieldHeight), hwnd, reinterpret_cast<HMENU>(UINT_PTR(kEditId)), w->instance, nullptr);
      }
      return 0;
    }
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
      auto* m = reinterpret_cast<MSG*>(lParam);
      if (s.dropped && m && m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE))
        code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_COMMAND:
      // The edit field's changes are the combo box's.
      if (reinterpret_cast<HWND>(lParam) == s.edit && s.edit) {
        if (HIWORD(wParam) == EN_CHANGE) Notify(hwnd, CBN_EDITCHANGE);
        if (HIWORD(wParam) == EN_UPDATE) Notify(hwnd, CBN_EDITUPDATE);
        if (HIWORD(wParam) == EN_SETFOCUS && !s.focused) {
          s.focused = true;
          Notify(hwnd, CBN_SETFOCUS);
        }
        if (HIWORD(wParam) == EN_KILLFOCUS && GetFocus() != hwnd) {
          s.focused = false;
          Notify(hwnd, CBN_KILLFOCUS);
        }
      }
      return 0;
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
      int at = msg == CB_ADDSTRING ? list.Add(lParam) : list.Insert(int(wParam), lParam);
      if (at < 0) return CB_ERR;
      if (w->style & CBS_OWNERDRAWVARIABLE) Measure(hwnd, *w, s, at);
      InvalidateRect(hwnd, nullptr, TRUE);
      return at;
    }
    case CB_DELETESTRING: {
      int i = int(wParam);
      if (!list.Valid(i)) return CB_ERR;
      if (OwnerDraw(*w) && w->parent) {
        DELETEITEMSTRUCT dis{ODT_COMBOBOX, UINT(w->id), UINT(i), hwnd, list.items[size_t(i)].data};
        SendMessageW(w->parent, WM_DELETEITEM, w->id, reinterpret_cast<LPARAM>(&dis));
      }
      LRESULT r = list.Delete(i);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case CB_RESETCONTENT:
      list.Reset();
      if (s.edit)
        if (auto e = GetQuiet(s.edit)) e->text.clear();
      InvalidateRect(hwnd, nullptr, TRUE);
      return CB_OKAY;
    case CB_INITSTORAGE:
      return LRESULT(list.Count() + int(wParam));
    case CB_GETCOUNT:
      return list.Count();
    case CB_SETCURSEL: {
      int i = int(wParam);
      if (!list.Valid(i)) {
        list.current = -1;
        ShowSelectionText(*w, s);
        InvalidateRect(hwnd, nullptr, TRUE);
        return CB_ERR;
      }
      list.current = i;
      ShowSelectionText(*w, s);
      InvalidateRect(hwnd, nullptr, TRUE);
      return i;
    }
    case CB_GETCURSEL:
      return list.current;
    case CB_GETLBTEXT:
      return list.CopyText(int(wParam), lParam);
    case CB_GETLBTEXTLEN:
      return list.TextLength(int(wParam));
    case CB_GETITEMDATA: {
      int i = int(wParam);
      if (!list.Valid(i)) return CB_ERR;
      return LRESULT(list.items[size_t(i)].data);
    }
    case CB_SETITEMDATA: {
      int i = int(wParam);
      if (!list.Valid(i)) return CB_ERR;
      list.items[size_t(i)].data = ULONG_PTR(lParam);
      return TRUE;
    }
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
      return list.Find(int(wParam), lParam, msg == CB_FINDSTRINGEXACT);
    case CB_SELECTSTRING: {
      int i = list.Find(int(wParam), lParam, false);
      if (i < 0) return CB_ERR;
      list.current = i;
      ShowSelectionText(*w, s);
      InvalidateRect(hwnd, nullptr, TRUE);
      return i;
    }
    case CB_SHOWDROPDOWN:
      SetDropped(hwnd, *w, s, wParam != 0);
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return s.dropped;
    case CB_GETDROPPEDCONTROLRECT: {
      if (!lParam) return CB_ERR;
      RECT r{0, 0, s.droppedWidth, s.droppedHeight};
      POINT o{w->rect.left, w->rect.top};
      if (w->parent) ClientToScreen(w->parent, &o);
      OffsetRect(&r, o.x, o.y);
      *reinterpret_cast<RECT*>(lParam) = r;
      return TRUE;
    }
    case CB_SETITEMHEIGHT: {
      int i = int(wParam);
      UINT h = LOWORD(lParam);
      if (h == 0 || h > 255) return CB_ERR;
      if (i == -1) {
        s.fieldHeight = h;
        w->rect.bottom = w->rect.top + LONG(h) + 6;
      } else if ((w->style & CBS_OWNERDRAWVARIABLE) && list.Valid(i)) {
        list.items[size_t(i)].height = h;
      } else {
        s.itemHeight = h;
      }
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case CB_GETITEMHEIGHT: {
      int i = int(wParam);
      if (i == -1) return s.fieldHeight;
      if ((w->style & CBS_OWNERDRAWVARIABLE) && list.Valid(i) && list.items[size_t(i)].height)
        return list.items[size_t(i)].height;
      return s.itemHeight;
    }
    case CB_GETTOPINDEX:
      return list.top;
    case CB_SETTOPINDEX:
      if (!list.Valid(int(wParam))) return CB_ERR;
      list.top = int(wParam);
      return 0;
    case CB_SETEXTENDEDUI:
      s.extendedUi = wParam != 0;
      return CB_OKAY;
    case CB_GETEXTENDEDUI:
      return s.extendedUi;
    case CB_GETDROPPEDWIDTH:
      return s.droppedWidth;
    case CB_SETDROPPEDWIDTH:
      s.droppedWidth = std::max<int>(int(wParam), int(w->rect.right - w->rect.left));
      return s.droppedWidth;
    case CB_LIMITTEXT:
      if (!s.edit) return FALSE;
      SendMessageW(s.edit, EM_LIMITTEXT, wParam, 0);
      return TRUE;
    case CB_GETEDITSEL:
      if (!s.edit) return CB_ERR;
      return SendMessageW(s.edit, EM_GETSEL, wParam, lParam);
    case CB_SETEDITSEL:
      if (!s.edit) return CB_ERR;
      SendMessageW(s.edit, EM_SETSEL, WPARAM(SHORT(LOWORD(lParam))), LPARAM(SHORT(HIWORD(lParam))));
      return TRUE;
    case CB_GETLOCALE:
    case CB_SETLOCALE:
      return 0x0409;
    case CB_SETHORIZONTALEXTENT:
      return 0;
    case CB_GETHORIZONTALEXTENT:
      return 0;
    case WM_SETTEXT:
      if (s.edit) return SendMessageW(s.edit, WM_SETTEXT, wParam, lParam);
      {
        int i = lParam ? list.Find(-1, lParam, true) : -1;
        if (i < 0) return CB_ERR;
        list.current = i;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
      }
    case WM_GETTEXT:
      if (s.edit) return SendMessageW(s.edit, WM_GETTEXT, wParam, lParam);
      {
        if (!wParam || !lParam) return 0;
        std::u16string t = list.Valid(list.current) && list.hasStrings ? list.items[size_t(list.current)].text : u"";
        size_t n = std::min<size_t>(t.size(), size_t(wParam) - 1);
        auto* out = reinterpret_cast<WCHAR*>(lParam);
        std::copy_n(t.data(), n, out);
        out[n] = 0;
        return LRESULT(n);
      }
    case WM_GETTEXTLENGTH:
      if (s.edit) return SendMessageW(s.edit, WM_GETTEXTLENGTH, 0, 0);
      return list.Valid(list.current) && list.hasStrings ? LRESULT(list.items[size_t(list.current)].text.size()) : 0;
    case WM_LBUTTONDOWN:
      if (GetFocus() != hwnd && !(s.edit && GetFocus() == s.edit)) SetFocus(s.edit ? s.edit : hwnd);
      SetDropped(hwnd, *w, s, !s.dropped);
      return 0;
    case WM_KEYDOWN: {
      int n = list.Count();
      switch (wParam) {
        case VK_F4:
          SetDropped(hwnd, *w, s, !s.dropped);
          return 0;
        case VK_RETURN:
        case VK_ESCAPE:
          if (s.dropped) {
            SetDropped(hwnd, *w, s, false);
            Notify(hwnd, wParam == VK_RETURN ? CBN_SELENDOK : CBN_SELENDCANCEL);
          }
          return 0;
        case VK_UP:
        case VK_DOWN:
        case VK_HOME:
        case VK_END: {
          if ((GetKeyState(VK_MENU) & 0x8000) && (wParam == VK_UP || wParam == VK_DOWN)) {
            SetDropped(hwnd, *w, s, !s.dropped);
            return 0;
          }
          if (n == 0) return 0;
          int cur = list.current;
          int next = wParam == VK_HOME ? 0
                     : wParam == VK_END ? n - 1
                     : wParam == VK_UP  ? std::max(0, cur - 1)
                                        : std::min(n - 1, cur + 1);
          UserSelect(hwnd, *w, s, next);
          if (!s.dropped) Notify(hwnd, CBN_SELENDOK);
          return 0;
        }
      }
      return 0;
    }
    case WM_CHAR: {
      if (s.edit) return SendMessageW(s.edit, WM_CHAR, wParam, lParam);
      if (!list.hasStrings || wParam < 0x20) return 0;
      std::u16string prefix(1, char16_t(wParam));
      int i = list.Find(list.current, reinterpret_cast<LPARAM>(prefix.c_str()), false);
      if (i >= 0) UserSelect(hwnd, *w, s, i);
      return 0;
    }
    case WM_SETFOCUS:
      if (s.edit) {
        SetFocus(s.edit);
        SendMessageW(s.edit, EM_SETSEL, 0, -1);
        return 0;
      }
      if (!s.focused) {
        s.focused = true;
        Notify(hwnd, CBN_SETFOCUS);
      }
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_KILLFOCUS:
      if (s.edit && reinterpret_cast<HWND>(wParam) == s.edit) return 0;
      if (s.dropped) {
        SetDropped(hwnd, *w, s, false);
        Notify(hwnd, CBN_SELENDCANCEL);
      }
      if (s.focused) {
        s.focused = false;
        Notify(hwnd, CBN_KILLFOCUS);
      }
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      if (s.edit) SendMessageW(s.edit, WM_SETFONT, wParam, lParam);
      break;
    case WM_ENABLE:
      if (s.edit) EnableWindow(s.edit, BOOL(wParam));
      break;
    case WM_NCDESTROY:
      if (OwnerDraw(*w) && w->parent && IsWindow(w->parent))
        for (int i = 0; i < list.Count(); ++i) {
          DELETEITEMSTRUCT dis{ODT_COMBOBOX, UINT(w->id), UINT(i), hwnd, list.items[size_t(i)].data};
          SendMessageW(w->parent, WM_DELETEITEM, w->id, reinterpret_cast<LPARAM>(&dis));
        }
      return 0;
  }
  if (LRESULT r; CommonControlMessage(hwnd, msg, wParam, lParam, WM_CTLCOLOREDIT, Paint, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace zolt::host::user

namespace zolt::host::user {

bool ComboChoose(HWND hwnd, int index) {
  auto w = GetQuiet(hwnd);
  if (!w || !w->State<ComboState>()) return false;
  auto& s = *w->State<ComboState>();
  if (!s.list.Valid(index)) return false;
  SetDropped(hwnd, *w, s, true);
  UserSelect(hwnd, *w, s, index);
  if (!GetQuiet(hwnd)) return true;
  SetDropped(hwnd, *w, s, false);
  Notify(hwnd, CBN_SELENDOK);
  return true;
}

}  // namespace zolt::host::user
