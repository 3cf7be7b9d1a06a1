// The dialog manager: dialogs built from templates, dialog units, modal and modeless dialogs,
// the default dialog procedure (focus, tab order, default button, Enter and Escape, the
// message result word) and the dialog-item calls.
#include <algorithm>
#include <cstring>

#include "user/window.h"
#include "win32/strings.h"

namespace zolt::host::user {

namespace {

INT_PTR ReadWord(HWND dlg, int offset) { return GetWindowLongPtrW(dlg, offset); }

bool IsTabCandidate(HWND h) {
  auto w = GetQuiet(h);
  return w && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED) && (w->style & WS_TABSTOP);
}

// The dialog's controls in tab order: children in Z order, stepping into child windows that
// hold controls of their own (WS_EX_CONTROLPARENT, such as property pages).
void Collect(HWND parent, std::vector<HWND>* out) {
  auto p = GetQuiet(parent);
  if (!p) return;
  for (HWND h : p->children) {
    auto c = GetQuiet(h);
    if (!c) continue;
    if ((c->exStyle & WS_EX_CONTROLPARENT) && !c->children.empty()) {
      if ((c->style & WS_VISIBLE) && !(c->style & WS_DISABLED)) Collect(h, out);
      continue;
    }
    out->push_back(h);
  }
}

bool IsPushButton(HWND h) {
  if (!ClassIs(h, u"button")) return false;
  DWORD type = DWORD(GetWindowLongW(h, GWL_STYLE)) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW || type == BS_PUSHBOX;
}

HWND FindById(HWND dlg, int id) {
  auto w = GetQuiet(dlg);
  if (!w) return nullptr;
  for (HWND h : w->children) {
    auto c = GetQuiet(h);
    if (c && int(c->id) == id) return h;
  }
  return nullptr;
}

void SetDialogFocus(HWND dlg, HWND ctl) {
  if (!ctl) return;
  SetFocus(ctl);
  if (ClassIs(ctl, u"edit")) SendMessageW(ctl, EM_SETSEL, 0, -1);
  // The default push button follows the focus among push buttons.
  if (IsPushButton(ctl)) {
    auto d = GetQuiet(dlg);
    for (HWND h : std::vector<HWND>(d ? d->children : std::vector<HWND>{})) {
      if (!IsPushButton(h) || h == ctl) continue;
      if ((GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
        SendMessageW(h, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
    if ((GetWindowLongW(ctl, GWL_STYLE) & BS_TYPEMASK) == BS_PUSHBUTTON)
      SendMessageW(ctl, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  }
}

HWND FirstTabItem(HWND dlg) { return GetNextDlgTabItem(dlg, nullptr, FALSE); }

// The pixels of a dialog unit rectangle.
RECT ToPixels(const DialogState& d, short x, short y, short cx, short cy) {
  int left = x * d.baseX / 4, top = y * d.baseY / 8;
  return RECT{left, top, left + cx * d.baseX / 4, top + cy * d.baseY / 8};
}

}  // namespace

HWND CreateDialogFromTemplate(HINSTANCE instance, const DialogTemplate& tpl, HWND parent, DLGPROC proc, LPARAM param,
                              bool modal) {
  EnsureSystemClasses();
  auto state = std::make_unique<DialogState>();
  state->modal = modal;
  if (tpl.style & DS_SETFONT) {
    if (tpl.pointSize == 0x7FFF) {
      state->font = nullptr;  // the system font
    } else {
      state->font = CreateDialogFont(tpl.typeface, tpl.pointSize, tpl.weight, tpl.italic != 0, tpl.charset,
                                     &state->baseX, &state->baseY);
      state->ownFont = state->font != nullptr;
    }
  } else {
    DialogBaseUnitsFor(u"", 8, &state->baseX, &state->baseY);
  }
  DWORD style = tpl.style;
  bool child = (style & WS_CHILD) != 0;
  DWORD exStyle = tpl.exStyle;
  if (style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
  if (style & DS_CONTROL) {
    style = (style & ~(WS_CAPTION | WS_SYSMENU | WS_POPUP)) | WS_CHILD;
    exStyle |= WS_EX_CONTROLPARENT;
    child = true;
  }
  if (style & DS_CONTEXTHELP) exStyle |= WS_EX_CONTEXTHELP;
  RECT r = ToPixels(*state, tpl.x, tpl.y, tpl.cx, tpl.cy);
  RECT window{0, 0, r.right - r.left, r.bottom - r.top};
  AdjustWindowRectEx(&window, style, FALSE, exStyle);
  int x = r.left + window.left, y = r.top + window.top;
  int width = window.right - window.left, height = window.bottom - window.top;
  if (!child) {
    HWND owner = parent ? RootOf(parent) : nullptr;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner && !(style & DS_ABSALIGN)) {
      RECT ownerRect;
      GetWindowRect(owner, &ownerRect);
      POINT o{0, 0};
      ClientToScreen(owner, &o);
      x += o.x;
      y += o.y;
      area = ownerRect;
    }
    if ((style & DS_CENTER) || (tpl.x == 0 && tpl.y == 0 && !(style & DS_ABSALIGN))) {
      x = area.left + ((area.right - area.left) - width) / 2;
      y = area.top + ((area.bottom - area.top) - height) / 2;
    }
    x = std::clamp(x, 0, std::max(0, GetSystemMetrics(SM_CXSCREEN) - width));
    y = std::clamp(y, 0, std::max(0, GetSystemMetrics(SM_CYSCREEN) - height));
  }
  std::u16string className = tpl.className.empty() ? u"#32770" : tpl.className;
  LPCWSTR cls = tpl.classOrdinal ? MAKEINTRESOURCEW(tpl.classOrdinal) : className.c_str();
  if (tpl.classOrdinal) cls = u"#32770";
  bool visible = (style & WS_VISIBLE) != 0;
  HWND dlg = CreateWindowExW(exStyle, cls, tpl.title.c_str(), style & ~WS_VISIBLE, x, y, width, height, parent,
                             child ? nullptr : nullptr, instance, nullptr);
  if (!dlg) {
    if (state->ownFont) DeleteDialogFont(state->font);
    return nullptr;
  }
  auto w = GetQuiet(dlg);
  HFONT font = state->font;
  w->dialog = std::move(state);
  if (child) w->id = 0;
  SetWindowLongPtrW(dlg, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
  if (tpl.menuOrdinal || !tpl.menu.empty()) {
    HMENU menu = LoadMenuW(instance, tpl.menuOrdinal ? MAKEINTRESOURCEW(tpl.menuOrdinal) : tpl.menu.c_str());
    if (!child) w->id = reinterpret_cast<UINT_PTR>(menu);
  }
  if (font) SendMessageW(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  for (const auto& item : tpl.items) {
    RECT ir = ToPixels(*w->dialog, item.x, item.y, item.cx, item.cy);
    WCHAR ordinalText[3] = {0xFFFF, WCHAR(item.textOrdinal), 0};
    LPCWSTR text = item.textIsOrdinal ? ordinalText : item.text.c_str();
    LPVOID data = item.creationData.empty() ? nullptr : const_cast<BYTE*>(item.creationData.data());
    HWND ctl = CreateWindowExW(item.exStyle | WS_EX_NOPARENTNOTIFY, item.className.c_str(), text,
                               (item.style | WS_CHILD) & ~WS_POPUP, ir.left, ir.top, ir.right - ir.left,
                               ir.bottom - ir.top, dlg, reinterpret_cast<HMENU>(UINT_PTR(item.id)), instance, data);
    if (!IsWindow(dlg)) return nullptr;
    if (!ctl) {
      if (!(tpl.style & DS_NOFAILCREATE)) {
        DestroyWindow(dlg);
        return nullptr;
      }
      continue;
    }
    if (font) SendMessageW(ctl, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if ((item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && ClassIs(ctl, u"button")) w->dialog->defId = item.id;
  }
  HWND first = FirstTabItem(dlg);
  LRESULT focusIt = SendMessageW(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  if (!IsWindow(dlg)) return nullptr;
  auto again = GetQuiet(dlg);
  if (focusIt && first && IsWindow(first) && !again->dialog->ended) {
    again->dialog->lastFocus = first;
    if (visible || modal) SetDialogFocus(dlg, first);
  }
  if (visible && !again->dialog->ended) ShowWindow(dlg, SW_SHOWNORMAL);
  return dlg;
}

}  // namespace zolt::host::user

using namespace zolt::host::user;

namespace {

bool LoadTemplate(HINSTANCE instance, LPCWSTR name, DialogTemplate* tpl) {
  HRSRC res = FindResourceW(instance, name, RT_DIALOG);
  if (!res) return false;
  HGLOBAL data = LoadResource(instance, res);
  DWORD size = SizeofResource(instance, res);
  const BYTE* bytes = static_cast<const BYTE*>(LockResource(data));
  if (!bytes || !ParseDialogTemplate(bytes, size, tpl)) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return false;
  }
  return true;
}

// Templates in memory carry no size; the parser reads only as far as the template goes.
constexpr size_t kIndirectBound = 1u << 20;

}  // namespace

namespace zolt::host::user {

INT_PTR RunModalDialog(HINSTANCE instance, const DialogTemplate& tpl, HWND parent, DLGPROC proc, LPARAM param) {
  HWND owner = parent ? RootOf(parent) : nullptr;
  bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  HWND dlg = CreateDialogFromTemplate(instance, tpl, owner, proc, param, true);
  if (!dlg) return -1;
  auto w = GetQuiet(dlg);
  if (!w->dialog->ended) {
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    if (!IsWindowVisible(dlg)) ShowWindow(dlg, SW_SHOWNORMAL);
    if (!GetFocus() || RootOf(GetFocus()) != dlg) {
      HWND first = w->dialog->lastFocus ? w->dialog->lastFocus : GetNextDlgTabItem(dlg, nullptr, FALSE);
      if (first) SetFocus(first);
    }
    RunModalLoop(dlg, [&] {
      auto d = GetQuiet(dlg);
      return !d || d->dialog->ended;
    });
  }
  auto d = GetQuiet(dlg);
  INT_PTR result = d ? d->dialog->result : -1;
  if (ownerWasEnabled && IsWindow(owner)) EnableWindow(owner, TRUE);
  if (d) DestroyWindow(dlg);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  return result;
}

}  // namespace zolt::host::user

namespace {
INT_PTR RunModal(HINSTANCE instance, const DialogTemplate& tpl, HWND parent, DLGPROC proc, LPARAM param) {
  return RunModalDialog(instance, tpl, parent, proc, param);
}
}  // namespace

WIN32_API INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param) {
  DialogTemplate tpl;
  if (!LoadTemplate(instance, name, &tpl)) return -1;
  return RunModal(instance, tpl, parent, proc, param);
}

WIN32_API INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW tplData, HWND parent,
                                                 DLGPROC proc, LPARAM param) {
  DialogTemplate tpl;
  if (!tplData || !ParseDialogTemplate(reinterpret_cast<const BYTE*>(tplData), kIndirectBound, &tpl)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  return RunModal(instance, tpl, parent, proc, param);
}

WIN32_API HWND WINAPI CreateDialogParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param) {
  DialogTemplate tpl;
  if (!LoadTemplate(instance, name, &tpl)) return nullptr;
  return CreateDialogFromTemplate(instance, tpl, parent, proc, param, false);
}

WIN32_API HWND WINAPI CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW tplData, HWND parent,
                                                 DLGPROC proc, LPARAM param) {
  DialogTemplate tpl;
  if (!tplData || !ParseDialogTemplate(reinterpret_cast<const BYTE*>(tplData), kIndirectBound, &tpl)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateDialogFromTemplate(instance, tpl, parent, proc, param, false);
}

WIN32_API BOOL WINAPI EndDialog(HWND dlg, INT_PTR result) {
  auto w = Get(dlg);
  if (!w || !w->dialog) {
    if (w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  w->dialog->ended = true;
  w->dialog->result = result;
  if (w->dialog->modal) {
    if (w->owner && IsWindow(w->owner)) EnableWindow(w->owner, TRUE);
    if (w->style & WS_VISIBLE) ShowWindow(dlg, SW_HIDE);
  }
  return TRUE;
}

WIN32_API LRESULT WINAPI DefDlgProcW(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(dlg);
  if (!w) return 0;
  if (!w->dialog) w->dialog = std::make_unique<DialogState>();
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(dlg, DWLP_DLGPROC));
  SetWindowLongPtrW(dlg, DWLP_MSGRESULT, 0);
  INT_PTR r = proc ? proc(dlg, msg, wParam, lParam) : 0;
  if (!IsWindow(dlg)) return r;
  if (r) {
    // These answer with the procedure's result itself, not DWLP_MSGRESULT.
    if (IsCtlColorMessage(msg)) return r;
    switch (msg) {
      case WM_COMPAREITEM:
      case WM_VKEYTOITEM:
      case WM_CHARTOITEM:
      case WM_INITDIALOG:
      case 0x0037:  // WM_QUERYDRAGICON
        return r;
    }
    return ReadWord(dlg, DWLP_MSGRESULT);
  }
  DialogState& d = *w->dialog;
  switch (msg) {
    case WM_INITDIALOG:
      return 0;
    case WM_ERASEBKGND: {
      RECT rc = ClientRectOf(*w);
      EraseWithBrush(reinterpret_cast<HDC>(wParam), rc, reinterpret_cast<HBRUSH>(INT_PTR(COLOR_BTNFACE + 1)));
      return TRUE;
    }
    case WM_CLOSE: {
      HWND cancel = GetDlgItem(dlg, IDCANCEL);
      if (cancel && !IsWindowEnabled(cancel)) {
        MessageBeep(0);
        return 0;
      }
      PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    case WM_SETFOCUS: {
      HWND target = d.lastFocus && IsWindow(d.lastFocus) && IsChild(dlg, d.lastFocus) ? d.lastFocus
                                                                                      : GetNextDlgTabItem(dlg, nullptr, FALSE);
      if (target) SetDialogFocus(dlg, target);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(dlg, focus)) d.lastFocus = focus;
      } else {
        HWND target = d.lastFocus && IsWindow(d.lastFocus) ? d.lastFocus : GetNextDlgTabItem(dlg, nullptr, FALSE);
        if (target) SetFocus(target);
        else SetFocus(dlg);
      }
      return 0;
    case WM_SHOWWINDOW:
      if (!wParam) {
        HWND focus = GetFocus();
        if (focus && IsChild(dlg, focus)) d.lastFocus = focus;
      }
      return DefWindowProcW(dlg, msg, wParam, lParam);
    case WM_NEXTDLGCTL: {
      HWND target;
      if (LOWORD(lParam))
        target = reinterpret_cast<HWND>(wParam);
      else
        target = GetNextDlgTabItem(dlg, GetFocus(), wParam != 0);
      if (target) {
        d.lastFocus = target;
        SetDialogFocus(dlg, target);
      }
      return 0;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(d.font);
    case WM_SETFONT:
      d.font = reinterpret_cast<HFONT>(wParam);
      return 0;
    case DM_GETDEFID:
      return d.defId ? MAKELRESULT(d.defId, DC_HASDEFID) : 0;
    case DM_SETDEFID: {
      HWND old = FindById(dlg, int(d.defId));
      if (old && IsPushButton(old)) SendMessageW(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
      d.defId = UINT(wParam);
      HWND now = FindById(dlg, int(d.defId));
      if (now && IsPushButton(now)) SendMessageW(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
      return TRUE;
    }
    case DM_REPOSITION:
      return 0;
    case WM_NCDESTROY:
      if (d.ownFont) DeleteDialogFont(d.font);
      d.font = nullptr;
      d.ownFont = false;
      return 0;
    case WM_NOTIFY:
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      return 0;
  }
  return DefWindowProcW(dlg, msg, wParam, lParam);
}

WIN32_API BOOL WINAPI IsDialogMessageW(HWND dlg, LPMSG msg) {
  if (!msg || !IsWindow(dlg)) return FALSE;
  if (msg->hwnd != dlg && !IsChild(dlg, msg->hwnd)) return FALSE;
  HWND focus = msg->hwnd;
  auto wants = [&](LRESULT bits) {
    LRESULT code = SendMessageW(focus, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    return (code & bits) != 0;
  };
  switch (msg->message) {
    case WM_KEYDOWN:
      switch (msg->wParam) {
        case VK_TAB:
          if (wants(DLGC_WANTTAB | DLGC_WANTALLKEYS)) break;
          {
            HWND next = GetNextDlgTabItem(dlg, GetFocus(), (GetKeyState(VK_SHIFT) & 0x8000) != 0);
            if (next) SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
          }
          return TRUE;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
          if (wants(DLGC_WANTARROWS | DLGC_WANTALLKEYS)) break;
          {
            bool back = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
            HWND next = GetNextDlgGroupItem(dlg, GetFocus(), back);
            if (next && next != GetFocus()) {
              SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
              if (ClassIs(next, u"button") && (GetWindowLongW(next, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
                SendMessageW(next, BM_CLICK, 0, 0);
            }
          }
          return TRUE;
        case VK_RETURN: {
          if (wants(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) break;
          HWND target = nullptr;
          HWND f = GetFocus();
          if (f && IsPushButton(f) && IsChild(dlg, f)) {
            target = f;
          } else {
            LRESULT def = SendMessageW(dlg, DM_GETDEFID, 0, 0);
            UINT id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
            target = GetDlgItem(dlg, int(id));
            if (!target) {
              SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
              return TRUE;
            }
          }
          if (IsWindowEnabled(target))
            SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(target), BN_CLICKED),
                         reinterpret_cast<LPARAM>(target));
          else
            MessageBeep(0);
          return TRUE;
        }
        case VK_ESCAPE: {
          if (wants(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) break;
          HWND cancel = GetDlgItem(dlg, IDCANCEL);
          if (cancel && !IsWindowEnabled(cancel)) {
            MessageBeep(0);
            return TRUE;
          }
          SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
          return TRUE;
        }
      }
      break;
    case WM_CHAR:
      if (msg->wParam == u'\t' || msg->wParam == u'\r' || msg->wParam == 27) {
        if (!wants(DLGC_WANTCHARS | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return TRUE;
      }
      break;
  }
  TranslateMessage(msg);
  DispatchMessageW(msg);
  return TRUE;
}

WIN32_API HWND WINAPI GetDlgItem(HWND dlg, int id) {
  if (!Get(dlg)) return nullptr;
  HWND h = FindById(dlg, id);
  if (!h) SetLastError(1421);  // ERROR_CONTROL_ID_NOT_FOUND
  return h;
}

WIN32_API int WINAPI GetDlgCtrlID(HWND hwnd) {
  auto w = Get(hwnd);
  if (!w || !w->parent) return 0;
  return int(w->id);
}

WIN32_API UINT WINAPI GetDlgItemTextW(HWND dlg, int id, LPWSTR out, int max) {
  HWND h = GetDlgItem(dlg, id);
  if (!h) {
    if (out && max > 0) out[0] = 0;
    return 0;
  }
  return UINT(GetWindowTextW(h, out, max));
}

WIN32_API BOOL WINAPI SetDlgItemTextW(HWND dlg, int id, LPCWSTR text) {
  HWND h = GetDlgItem(dlg, id);
  return h ? SetWindowTextW(h, text) : FALSE;
}

WIN32_API UINT WINAPI GetDlgItemInt(HWND dlg, int id, BOOL* ok, BOOL isSigned) {
  if (ok) *ok = FALSE;
  WCHAR buf[64];
  if (!GetDlgItemTextW(dlg, id, buf, 64)) return 0;
  const WCHAR* p = buf;
  while (*p == u' ') ++p;
  bool negative = false;
  if (isSigned && *p == u'-') {
    negative = true;
    ++p;
  }
  if (*p < u'0' || *p > u'9') return 0;
  unsigned long long v = 0;
  while (*p >= u'0' && *p <= u'9') {
    v = v * 10 + unsigned(*p - u'0');
    if (v > (isSigned ? 0x80000000ull : 0xFFFFFFFFull)) return 0;
    ++p;
  }
  while (*p == u' ') ++p;
  if (*p) return 0;
  if (isSigned && !negative && v > 0x7FFFFFFF) return 0;
  if (ok) *ok = TRUE;
  return negative ? UINT(-static_cast<long long>(v)) : UINT(v);
}

WIN32_API BOOL WINAPI SetDlgItemInt(HWND dlg, int id, UINT value, BOOL isSigned) {
  std::string s = isSigned ? std::to_string(int(value)) : std::to_string(value);
  std::u16string t(s.begin(), s.end());
  return SetDlgItemTextW(dlg, id, t.c_str());
}

WIN32_API BOOL WINAPI CheckDlgButton(HWND dlg, int id, UINT check) {
  HWND h = GetDlgItem(dlg, id);
  if (!h) return FALSE;
  SendMessageW(h, BM_SETCHECK, check, 0);
  return TRUE;
}

WIN32_API UINT WINAPI IsDlgButtonChecked(HWND dlg, int id) {
  HWND h = GetDlgItem(dlg, id);
  if (!h) return 0;
  return UINT(SendMessageW(h, BM_GETCHECK, 0, 0));
}

WIN32_API BOOL WINAPI CheckRadioButton(HWND dlg, int first, int last, int check) {
  if (!Get(dlg)) return FALSE;
  for (int id = first; id <= last; ++id)
    if (HWND h = FindById(dlg, id)) SendMessageW(h, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
  return TRUE;
}

WIN32_API LRESULT WINAPI SendDlgItemMessageW(HWND dlg, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND h = GetDlgItem(dlg, id);
  return h ? SendMessageW(h, msg, wParam, lParam) : 0;
}

WIN32_API HWND WINAPI GetNextDlgTabItem(HWND dlg, HWND ctl, BOOL previous) {
  if (!Get(dlg)) return nullptr;
  std::vector<HWND> all;
  Collect(dlg, &all);
  if (all.empty()) return nullptr;
  int n = int(all.size());
  int start = -1;
  if (ctl) {
    auto it = std::find(all.begin(), all.end(), ctl);
    if (it != all.end()) start = int(it - all.begin());
  }
  if (start < 0) start = previous ? 0 : n - 1;
  for (int step = 1; step <= n; ++step) {
    int i = previous ? (start - step + n * 2) % n : (start + step) % n;
    if (IsTabCandidate(all[size_t(i)])) return all[size_t(i)];
  }
  return ctl && IsTabCandidate(ctl) ? ctl : nullptr;
}

WIN32_API HWND WINAPI GetNextDlgGroupItem(HWND dlg, HWND ctl, BOOL previous) {
  if (!Get(dlg)) return nullptr;
  std::vector<HWND> all;
  Collect(dlg, &all);
  auto it = std::find(all.begin(), all.end(), ctl);
  if (it == all.end()) return GetNextDlgTabItem(dlg, nullptr, FALSE);
  // The group: from the item with WS_GROUP at or before ctl, up to the next WS_GROUP item.
  size_t at = size_t(it - all.begin());
  size_t begin = at;
  while (begin > 0 && !(GetWindowLongW(all[begin], GWL_STYLE) & WS_GROUP)) --begin;
  size_t end = at + 1;
  while (end < all.size() && !(GetWindowLongW(all[end], GWL_STYLE) & WS_GROUP)) ++end;
  size_t count = end - begin;
  for (size_t step = 1; step < count; ++step) {
    size_t i = previous ? begin + (at - begin + count - step) % count : begin + (at - begin + step) % count;
    if (IsWindowVisible(all[i]) && IsWindowEnabled(all[i])) return all[i];
  }
  return ctl;
}

WIN32_API BOOL WINAPI MapDialogRect(HWND dlg, LPRECT r) {
  auto w = Get(dlg);
  if (!w || !r || !w->dialog) return FALSE;
  *r = RECT{r->left * w->dialog->baseX / 4, r->top * w->dialog->baseY / 8, r->right * w->dialog->baseX / 4,
            r->bottom * w->dialog->baseY / 8};
  return TRUE;
}

WIN32_API LONG WINAPI GetDialogBaseUnits(void) { return MAKELONG(8, 16); }
