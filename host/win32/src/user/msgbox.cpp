// Message boxes: a real modal dialog with the text, an icon mark and the buttons of its type;
// the automation interface answers it and records every box shown.
#include <algorithm>

#include "user/window.h"
#include "win32/codepage.h"
#include "win32/hostui.h"

namespace zolt::host::user {

namespace {

struct BoxButton {
  int id;
  const char16_t* text;
};

std::vector<BoxButton> ButtonsOf(UINT type, bool help) {
  std::vector<BoxButton> b;
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: b = {{IDOK, u"OK"}, {IDCANCEL, u"Cancel"}}; break;
    case MB_ABORTRETRYIGNORE: b = {{IDABORT, u"&Abort"}, {IDRETRY, u"&Retry"}, {IDIGNORE, u"&Ignore"}}; break;
    case MB_YESNOCANCEL: b = {{IDYES, u"&Yes"}, {IDNO, u"&No"}, {IDCANCEL, u"Cancel"}}; break;
    case MB_YESNO: b = {{IDYES, u"&Yes"}, {IDNO, u"&No"}}; break;
    case MB_RETRYCANCEL: b = {{IDRETRY, u"&Retry"}, {IDCANCEL, u"Cancel"}}; break;
    case MB_CANCELTRYCONTINUE: b = {{IDCANCEL, u"Cancel"}, {IDTRYAGAIN, u"&Try Again"}, {IDCONTINUE, u"&Continue"}}; break;
    default: b = {{IDOK, u"OK"}}; break;
  }
  if (help) b.push_back({IDHELP, u"Help"});
  return b;
}

struct BoxContext {
  UINT type;
  std::vector<BoxButton> buttons;
};

INT_PTR CALLBACK BoxProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<BoxContext*>(GetWindowLongPtrW(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dlg, DWLP_USER, lParam);
      box = reinterpret_cast<BoxContext*>(lParam);
      SetPropW(dlg, u"ZoltMessageBox", reinterpret_cast<HANDLE>(1));
      size_t def = std::min<size_t>((box->type & MB_DEFMASK) >> 8, box->buttons.size() - 1);
      HWND target = GetDlgItem(dlg, box->buttons[def].id);
      SendMessageW(dlg, DM_SETDEFID, WPARAM(box->buttons[def].id), 0);
      SetFocus(target);
      return FALSE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id == IDHELP) {
        HELPINFO hi{sizeof(HELPINFO), HELPINFO_WINDOW, 0, dlg, 0, {0, 0}};
        if (HWND owner = GetWindow(dlg, GW_OWNER)) SendMessageW(owner, WM_HELP, 0, reinterpret_cast<LPARAM>(&hi));
        return TRUE;
      }
      bool known = std::any_of(box->buttons.begin(), box->buttons.end(), [&](const BoxButton& b) { return b.id == id; });
      if (id == IDCANCEL && !known) {
        // Escape closes a box without a Cancel button only when it has just an OK button.
        if (box->buttons.size() == 1 || (box->buttons.size() == 2 && box->buttons[1].id == IDHELP)) id = box->buttons[0].id;
        else return TRUE;
      } else if (!known) {
        return FALSE;
      }
      EndDialog(dlg, id);
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

}  // namespace zolt::host::user

using namespace zolt::host::user;

WIN32_API int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  if (owner && !IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (!owner) owner = GetActiveWindow();
  std::u16string body = text ? text : u"";
  std::u16string title = caption ? caption : u"Error";
  BoxContext box{type, ButtonsOf(type, (type & MB_HELP) != 0)};
  // The layout in dialog units: the text's lines at about four units a character.
  int longest = 0, lines = 1, run = 0;
  for (char16_t c : body) {
    if (c == u'\n') {
      ++lines;
      run = 0;
    } else if (c != u'\r') {
      longest = std::max(longest, ++run);
    }
  }
  int icon = (type & MB_ICONMASK) ? 28 : 0;
  int buttonsWidth = int(box.buttons.size()) * 54;
  int width = std::clamp(longest * 4 + 24 + icon, std::max(120, buttonsWidth + 16), 300);
  int perLine = std::max(1, (width - 24 - icon) / 4);
  int wrapped = 0;
  run = 0;
  for (char16_t c : body) {
    if (c == u'\n') {
      wrapped += 1 + run / perLine;
      run = 0;
    } else if (c != u'\r') {
      ++run;
    }
  }
  wrapped += 1 + run / perLine;
  lines = std::max(lines, wrapped);
  int textHeight = std::max(lines * 8, icon ? 20 : 8);
  DialogTemplate tpl;
  tpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_VISIBLE;
  tpl.cx = short(width);
  tpl.cy = short(textHeight + 14 + 14 + 10);
  tpl.title = title;
  tpl.pointSize = 8;
  tpl.typeface = u"MS Shell Dlg";
  if (icon) {
    DialogItem mark;
    mark.style = WS_VISIBLE | SS_ICON;
    mark.x = 8;
    mark.y = 8;
    mark.cx = 20;
    mark.cy = 20;
    mark.id = 20;
    mark.className = u"Static";
    const WCHAR* iconName = (type & MB_ICONMASK) == MB_ICONHAND       ? IDI_HAND
                            : (type & MB_ICONMASK) == MB_ICONQUESTION ? IDI_QUESTION
                            : (type & MB_ICONMASK) == MB_ICONEXCLAMATION ? IDI_EXCLAMATION
                                                                          : IDI_ASTERISK;
    mark.textIsOrdinal = true;
    mark.textOrdinal = LOWORD(reinterpret_cast<ULONG_PTR>(iconName));
    tpl.items.push_back(mark);
  }
  DialogItem label;
  label.style = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
  label.x = short(8 + icon);
  label.y = 8;
  label.cx = short(width - 16 - icon);
  label.cy = short(textHeight);
  label.id = 0xFFFF;
  label.className = u"Static";
  label.text = body;
  tpl.items.push_back(label);
  int x = width - 8 - int(box.buttons.size()) * 54 + 4;
  for (size_t i = 0; i < box.buttons.size(); ++i) {
    DialogItem b;
    b.style = WS_VISIBLE | WS_TABSTOP | (i == 0 ? WS_GROUP : 0) | BS_PUSHBUTTON;
    b.x = short(x + int(i) * 54);
    b.y = short(textHeight + 18);
    b.cx = 50;
    b.cy = 14;
    b.id = DWORD(box.buttons[i].id);
    b.className = u"Button";
    b.text = box.buttons[i].text;
    tpl.items.push_back(b);
  }
  INT_PTR answer = RunModalDialog(nullptr, tpl, owner, BoxProc, reinterpret_cast<LPARAM>(&box));
  zolt::host::ui::detail::RecordMessageBox({owner, body, title, type, int(answer)});
  return answer < 0 ? 0 : int(answer);
}

WIN32_API int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  auto widen = [](LPCSTR s) {
    std::u16string out;
    if (!s) return out;
    int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    if (n <= 0) return out;
    out.resize(size_t(n));
    MultiByteToWideChar(CP_ACP, 0, s, -1, out.data(), n);
    out.resize(size_t(n - 1));
    return out;
  };
  std::u16string t = widen(text), c = widen(caption);
  return MessageBoxW(owner, text ? t.c_str() : nullptr, caption ? c.c_str() : nullptr, type);
}
