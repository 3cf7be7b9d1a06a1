// The edit class: single- and multi-line text, the text limit, digits only, password
// characters, read-only text, case conversion, selection and caret, typing and deleting with
// one level of undo, the clipboard (cut, copy, paste, clear) and the change notifications.
#include <algorithm>

#include "user/window.h"
#include "win32/memory.h"

namespace zolt::host::user {

namespace {

class EditState : public ControlState {
 public:
  size_t selStart = 0;  // anchor
  size_t selEnd = 0;    // caret
  size_t limit = 30000;
  WCHAR password = 0;
  bool modified = false;
  bool focused = false;
  std::u16string undo;
  bool canUndo = false;
  bool tracking = false;
};

EditState& StateOf(Window& w) {
  if (!w.State<EditState>()) w.state = std::make_unique<EditState>();
  return *w.State<EditState>();
}

size_t Lo(const EditState& s) { return std::min(s.selStart, s.selEnd); }
size_t Hi(const EditState& s) { return std::max(s.selStart, s.selEnd); }

void Changed(HWND hwnd, bool notify) {
  InvalidateRect(hwnd, nullptr, TRUE);
  if (!notify) return;
  Notify(hwnd, EN_UPDATE);
  Notify(hwnd, EN_CHANGE);
}

// Replaces the selection with text as a user's edit: the limit holds (EN_MAXTEXT when text is
// cut short), single-line controls take the first line only.
bool ReplaceSelection(HWND hwnd, Window& w, std::u16string text, bool userEdit, bool canUndo) {
  auto& s = StateOf(w);
  if (!(w.style & ES_MULTILINE)) {
    size_t nl = text.find_first_of(u"\r\n");
    if (nl != std::u16string::npos) text.resize(nl);
  }
  if (w.style & ES_UPPERCASE)
    for (auto& c : text)
      if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
  if (w.style & ES_LOWERCASE)
    for (auto& c : text)
      if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
  size_t lo = Lo(s), hi = Hi(s);
  lo = std::min(lo, w.text.size());
  hi = std::min(hi, w.text.size());
  size_t room = s.limit > w.text.size() - (hi - lo) ? s.limit - (w.text.size() - (hi - lo)) : 0;
  bool cut = false;
  if (text.size() > room) {
    text.resize(room);
    cut = true;
  }
  if (text.empty() && lo == hi) {
    if (cut) Notify(hwnd, EN_MAXTEXT);
    return false;
  }
  if (canUndo) {
    s.undo = w.text;
    s.canUndo = true;
  }
  w.text.replace(lo, hi - lo, text);
  s.selStart = s.selEnd = lo + text.size();
  s.modified = true;
  Changed(hwnd, true);
  if (cut) Notify(hwnd, EN_MAXTEXT);
  (void)userEdit;
  return true;
}

std::u16string ClipboardText() {
  std::u16string out;
  if (!OpenClipboard(nullptr)) return out;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const WCHAR*>(GlobalLock(h))) {
      SIZE_T cap = GlobalSize(h) / sizeof(WCHAR);
      for (SIZE_T i = 0; i < cap && p[i]; ++i) out.push_back(p[i]);
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return out;
}

void CopyToClipboard(HWND hwnd, std::u16string_view text) {
  if (!OpenClipboard(hwnd)) return;
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(WCHAR));
  if (auto* p = static_cast<WCHAR*>(GlobalLock(mem))) {
    std::copy(text.begin(), text.end(), p);
    p[text.size()] = 0;
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
  }
  CloseClipboard();
}

// Lines of a multi-line text: start offsets, lines broken at CR LF (or a lone LF).
std::vector<size_t> LineStarts(const std::u16string& t) {
  std::vector<size_t> starts{0};
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') {
      starts.push_back(i + 2);
      ++i;
    } else if (t[i] == u'\n') {
      starts.push_back(i + 1);
    }
  }
  return starts;
}

size_t LineEnd(const std::u16string& t, size_t start) {
  size_t e = start;
  while (e < t.size() && t[e] != u'\r' && t[e] != u'\n') ++e;
  return e;
}

void Paint(HWND hwnd, HDC dc, HBRUSH background) {
  auto w = GetQuiet(hwnd);
  if (!w || !dc) return;
  auto& s = StateOf(*w);
  RECT r = ClientRectOf(*w);
  bool enabled = !(w->style & WS_DISABLED);
  draw::Background(dc, r, background, enabled && !(w->style & ES_READONLY) ? COLOR_WINDOW : COLOR_BTNFACE);
  std::u16string shown = w->text;
  if (s.password) shown.assign(w->text.size(), s.password);
  RECT t = r;
  InflateRect(&t, -2, -1);
  UINT flags = DT_NOPREFIX | ((w->style & ES_MULTILINE) ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER));
  if ((w->style & 3) == ES_CENTER) flags |= DT_CENTER;
  if ((w->style & 3) == ES_RIGHT) flags |= DT_RIGHT;
  draw::Text(dc, FontOf(hwnd), shown, t, flags, enabled ? -1 : COLOR_GRAYTEXT);
  if (s.focused) {
    // The caret or the selection, as a mark under the text.
    RECT mark{t.left, t.bottom - 1, t.right, t.bottom};
    draw::Fill(dc, mark, Lo(s) == Hi(s) ? COLOR_WINDOW : COLOR_HIGHLIGHT);
  }
}

}  // namespace

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(hwnd);
  if (!w) return 0;
  auto& s = StateOf(*w);
  bool multi = (w->style & ES_MULTILINE) != 0;
  switch (msg) {
    case WM_NCCREATE: {
      if (w->style & ES_PASSWORD) s.password = u'*';
      if (w->style & WS_BORDER) {
        w->style &= ~WS_BORDER;
        w->exStyle |= WS_EX_CLIENTEDGE;
      }
      s.limit = multi ? 0xFFFFFFFF : 30000;
      LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
      return r;
    }
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      auto* m = reinterpret_cast<MSG*>(lParam);
      if (multi && m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN && (w->style & ES_WANTRETURN))
        code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_SETTEXT: {
      std::u16string text = lParam ? std::u16string(reinterpret_cast<LPCWSTR>(lParam)) : std::u16string();
      w->text = text;
      s.selStart = s.selEnd = 0;
      s.modified = false;
      s.canUndo = false;
      InvalidateRect(hwnd, nullptr, TRUE);
      if (!multi) {
        Notify(hwnd, EN_UPDATE);
        Notify(hwnd, EN_CHANGE);
      }
      return TRUE;
    }
    case WM_CHAR: {
      WCHAR c = WCHAR(wParam);
      if (w->style & ES_READONLY) {
        if (c == 3) SendMessageW(hwnd, WM_COPY, 0, 0);
        else if (c == 1) SendMessageW(hwnd, EM_SETSEL, 0, -1);
        return 0;
      }
      switch (c) {
        case 1: SendMessageW(hwnd, EM_SETSEL, 0, -1); return 0;
        case 3: SendMessageW(hwnd, WM_COPY, 0, 0); return 0;
        case 22: SendMessageW(hwnd, WM_PASTE, 0, 0); return 0;
        case 24: SendMessageW(hwnd, WM_CUT, 0, 0); return 0;
        case 26: SendMessageW(hwnd, WM_UNDO, 0, 0); return 0;
        case 8:
          if (Lo(s) == Hi(s)) {
            if (Lo(s) == 0) return 0;
            size_t back = 1;
            if (multi && Lo(s) >= 2 && w->text[Lo(s) - 1] == u'\n' && w->text[Lo(s) - 2] == u'\r') back = 2;
            s.selStart = Lo(s) - back;
            s.selEnd = s.selStart + back;
          }
          ReplaceSelection(hwnd, *w, u"", true, true);
          return 0;
        case u'\r':
          if (multi) ReplaceSelection(hwnd, *w, u"\r\n", true, true);
          return 0;
        case u'\t':
          if (multi) ReplaceSelection(hwnd, *w, u"\t", true, true);
          return 0;
        case 27:
          return 0;
      }
      if (c < 0x20) return 0;
      if ((w->style & ES_NUMBER) && (c < u'0' || c > u'9')) {
        MessageBeep(0);
        return 0;
      }
      ReplaceSelection(hwnd, *w, std::u16string(1, c), true, true);
      return 0;
    }
    case WM_KEYDOWN: {
      bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
      size_t caret = s.selEnd;
      switch (wParam) {
        case VK_LEFT: caret = caret > 0 ? caret - 1 : 0; break;
        case VK_RIGHT: caret = std::min(caret + 1, w->text.size()); break;
        case VK_HOME: caret = 0; break;
        case VK_END: caret = w->text.size(); break;
        case VK_DELETE:
          if (w->style & ES_READONLY) return 0;
          if (Lo(s) == Hi(s)) {
            if (Lo(s) >= w->text.size()) return 0;
            s.selEnd = s.selStart + 1;
          }
          ReplaceSelection(hwnd, *w, u"", true, true);
          return 0;
        default:
          return 0;
      }
      s.selEnd = caret;
      if (!shift) s.selStart = caret;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetFocus(hwnd);
      return 0;
    case EM_GETSEL: {
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = DWORD(Lo(s));
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = DWORD(Hi(s));
      return MAKELRESULT(std::min<size_t>(Lo(s), 0xFFFF), std::min<size_t>(Hi(s), 0xFFFF));
    }
    case EM_SETSEL: {
      long start = long(int(wParam)), end = long(int(lParam));
      long n = long(w->text.size());
      if (start == -1) {
        s.selStart = s.selEnd = Hi(s);
      } else {
        if (end < 0 || end > n) end = n;
        if (start > n) start = n;
        s.selStart = size_t(start);
        s.selEnd = size_t(end);
      }
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    }
    case EM_REPLACESEL:
      if (!lParam) return 0;
      ReplaceSelection(hwnd, *w, reinterpret_cast<LPCWSTR>(lParam), false, wParam != 0);
      return 0;
    case EM_LIMITTEXT:
      s.limit = wParam ? size_t(wParam) : (multi ? 0xFFFFFFFF : 0x7FFFFFFE);
      return 0;
    case EM_GETLIMITTEXT:
      return LRESULT(s.limit);
    case EM_SETPASSWORDCHAR:
      if (multi) return 0;
      s.password = WCHAR(wParam);
      if (wParam)
        w->style |= ES_PASSWORD;
      else
        w->style &= ~ES_PASSWORD;
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case EM_GETPASSWORDCHAR:
      return s.password;
    case EM_SETREADONLY:
      if (wParam)
        w->style |= ES_READONLY;
      else
        w->style &= ~ES_READONLY;
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    case EM_GETMODIFY:
      return s.modified;
    case EM_SETMODIFY:
      s.modified = wParam != 0;
      return 0;
    case EM_CANUNDO:
      return s.canUndo;
    case EM_EMPTYUNDOBUFFER:
      s.canUndo = false;
      return 0;
    case WM_UNDO:
    case EM_UNDO:
      if (!s.canUndo || (w->style & ES_READONLY)) return FALSE;
      std::swap(w->text, s.undo);
      s.selStart = 0;
      s.selEnd = w->text.size();
      Changed(hwnd, true);
      return TRUE;
    case EM_GETLINECOUNT:
      return multi ? LRESULT(LineStarts(w->text).size()) : 1;
    case EM_LINEINDEX: {
      auto starts = LineStarts(w->text);
      long line = long(int(wParam));
      if (line == -1) {
        size_t caret = s.selEnd;
        for (size_t i = starts.size(); i-- > 0;)
          if (starts[i] <= caret) return LRESULT(starts[i]);
        return 0;
      }
      return line >= 0 && size_t(line) < starts.size() ? LRESULT(starts[size_t(line)]) : -1;
    }
    case EM_LINEFROMCHAR: {
      auto starts = LineStarts(w->text);
      size_t at = int(wParam) == -1 ? Lo(s) : size_t(wParam);
      size_t line = 0;
      for (size_t i = 0; i < starts.size(); ++i)
        if (starts[i] <= at) line = i;
      return LRESULT(line);
    }
    case EM_LINELENGTH: {
      if (!multi) return LRESULT(w->text.size());
      auto starts = LineStarts(w->text);
      size_t at = int(wParam) == -1 ? Lo(s) : size_t(wParam);
      size_t begin = 0;
      for (size_t st : starts)
        if (st <= at) begin = st;
      return LRESULT(LineEnd(w->text, begin) - begin);
    }
    case EM_GETLINE: {
      if (!lParam) return 0;
      auto starts = LineStarts(w->text);
      size_t line = multi ? size_t(wParam) : 0;
      if (line >= starts.size()) return 0;
      auto* out = reinterpret_cast<WCHAR*>(lParam);
      WORD cap;
      std::copy_n(reinterpret_cast<const BYTE*>(out), 2, reinterpret_cast<BYTE*>(&cap));
      size_t begin = starts[line], end = LineEnd(w->text, begin);
      size_t n = std::min<size_t>(end - begin, cap);
      std::copy_n(w->text.data() + begin, n, out);
      return LRESULT(n);
    }
    case WM_COPY:
      if (Lo(s) != Hi(s) && !s.password) CopyToClipboard(hwnd, std::u16string_view(w->text).substr(Lo(s), Hi(s) - Lo(s)));
      return 0;
    case WM_CUT:
      if (Lo(s) == Hi(s) || (w->style & ES_READONLY)) return 0;
      if (!s.password) CopyToClipboard(hwnd, std::u16string_view(w->text).substr(Lo(s), Hi(s) - Lo(s)));
      ReplaceSelection(hwnd, *w, u"", true, true);
      return 0;
    case WM_CLEAR:
      if (Lo(s) == Hi(s) || (w->style & ES_READONLY)) return 0;
      ReplaceSelection(hwnd, *w, u"", true, true);
      return 0;
    case WM_PASTE: {
      if (w->style & ES_READONLY) return 0;
      std::u16string text = ClipboardText();
      if (!text.empty()) ReplaceSelection(hwnd, *w, text, true, true);
      return 0;
    }
    case WM_SETFOCUS:
      s.focused = true;
      InvalidateRect(hwnd, nullptr, FALSE);
      Notify(hwnd, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s.focused = false;
      InvalidateRect(hwnd, nullptr, FALSE);
      Notify(hwnd, EN_KILLFOCUS);
      return 0;
  }
  if (LRESULT r; CommonControlMessage(hwnd, msg, wParam, lParam, (w->style & (ES_READONLY | WS_DISABLED)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT, Paint, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace zolt::host::user
