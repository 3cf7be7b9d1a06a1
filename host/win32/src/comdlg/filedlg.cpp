// The file dialogs: GetOpenFileNameW and GetSaveFileNameW over the machine's files, with filters,
// the initial folder, the flags that check and prompt, multiple selection, old-style hooks and
// templates, and explorer-style hooks with their CDN_ notifications.
#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "comdlg/template_builder.h"
#include "user/window.h"
#include "win32/commdlg.h"
#include "win32/windows.h"

namespace zolt::host::comdlg {

namespace {

thread_local DWORD g_error = 0;
const char16_t kStateProp[] = u"ZoltFileDialog";

std::u16string Lower(std::u16string_view s) { return zolt::host::user::Lower(s); }

// Wildcard matching without case; "*.*" takes names without a dot too.
bool Matches(std::u16string_view name, std::u16string_view pattern) {
  if (pattern == u"*.*") return true;
  size_t n = 0, p = 0, starP = std::u16string_view::npos, starN = 0;
  auto eq = [](char16_t a, char16_t b) { return std::towlower(a) == std::towlower(b); };
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || eq(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (starP != std::u16string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

bool MatchesAny(std::u16string_view name, std::u16string_view patterns) {
  size_t start = 0;
  while (start <= patterns.size()) {
    size_t end = patterns.find(u';', start);
    if (end == std::u16string_view::npos) end = patterns.size();
    std::u16string_view one = patterns.substr(start, end - start);
    while (!one.empty() && one.front() == u' ') one.remove_prefix(1);
    while (!one.empty() && one.back() == u' ') one.remove_suffix(1);
    if (!one.empty() && Matches(name, one)) return true;
    start = end + 1;
  }
  return false;
}

bool HasWildcard(std::u16string_view s) { return s.find_first_of(u"*?") != std::u16string_view::npos; }

struct Filter {
  std::u16string label, patterns;
};

struct FileDialog {
  OPENFILENAMEW* ofn = nullptr;
  bool save = false;
  bool explorer = false;
  bool multi = false;
  std::u16string folder;
  std::u16string pattern = u"*.*";
  std::vector<Filter> filters;
  HWND child = nullptr;  // the explorer-style hook's dialog
  UINT fileOkMessage = 0;
  DWORD error = 0;
};

FileDialog* StateOf(HWND dlg) { return static_cast<FileDialog*>(GetPropW(dlg, kStateProp)); }

std::u16string ItemText(HWND dlg, int id, UINT getLen, UINT get, int index) {
  HWND c = GetDlgItem(dlg, id);
  LRESULT n = SendMessageW(c, getLen, WPARAM(index), 0);
  if (n < 0) return {};
  std::u16string s(size_t(n) + 1, 0);
  SendMessageW(c, get, WPARAM(index), reinterpret_cast<LPARAM>(s.data()));
  s.resize(size_t(n));
  return s;
}

std::u16string ControlText(HWND dlg, int id) {
  HWND c = GetDlgItem(dlg, id);
  std::u16string s(size_t(GetWindowTextLengthW(c)) + 1, 0);
  s.resize(size_t(GetWindowTextW(c, s.data(), int(s.size()))));
  return s;
}

LRESULT Notify(FileDialog& st, HWND dlg, UINT code, LPWSTR file = nullptr) {
  if (!st.child) return 0;
  OFNOTIFYW n{{dlg, 0, code}, st.ofn, file};
  return SendMessageW(st.child, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

void FillFiles(FileDialog& st, HWND dlg) {
  HWND files = GetDlgItem(dlg, lst1);
  SendMessageW(files, WM_SETREDRAW, FALSE, 0);
  SendMessageW(files, LB_RESETCONTENT, 0, 0);
  for (const DirEntry& e : ListFolder(st.folder))
    if (!e.folder && MatchesAny(e.name, st.pattern))
      SendMessageW(files, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.name.c_str()));
  SendMessageW(files, WM_SETREDRAW, TRUE, 0);
}

// The folder list: the path's components (the current one selected), then its subfolders.
void FillFolders(FileDialog& st, HWND dlg) {
  HWND folders = GetDlgItem(dlg, lst2);
  SendMessageW(folders, LB_RESETCONTENT, 0, 0);
  auto parts = Components(st.folder);
  for (const auto& p : parts) SendMessageW(folders, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p.c_str()));
  SendMessageW(folders, LB_SETCURSEL, WPARAM(parts.size() - 1), 0);
  for (const DirEntry& e : ListFolder(st.folder))
    if (e.folder) SendMessageW(folders, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.name.c_str()));
  SetDlgItemTextW(dlg, stc1, st.folder.c_str());
  HWND drives = GetDlgItem(dlg, cmb2);
  std::u16string drive = Lower(st.folder.substr(0, 2));
  SendMessageW(drives, CB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(drive.c_str()));
}

void GoTo(FileDialog& st, HWND dlg, const std::u16string& folder) {
  st.folder = folder;
  FillFolders(st, dlg);
  FillFiles(st, dlg);
  Notify(st, dlg, CDN_FOLDERCHANGE);
}

void Init(FileDialog& st, HWND dlg) {
  OPENFILENAMEW& ofn = *st.ofn;
  SetWindowTextW(dlg, ofn.lpstrTitle ? ofn.lpstrTitle : (st.save ? u"Save As" : u"Open"));
  if (ofn.Flags & OFN_HIDEREADONLY) ShowWindow(GetDlgItem(dlg, chx1), SW_HIDE);
  CheckDlgButton(dlg, chx1, (ofn.Flags & OFN_READONLY) ? BST_CHECKED : BST_UNCHECKED);
  if (!(ofn.Flags & OFN_SHOWHELP)) ShowWindow(GetDlgItem(dlg, pshHelp), SW_HIDE);
  HWND types = GetDlgItem(dlg, cmb1);
  for (const Filter& f : st.filters) SendMessageW(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.label.c_str()));
  if (!st.filters.empty()) {
    size_t index = ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= st.filters.size() ? ofn.nFilterIndex - 1 : 0;
    ofn.nFilterIndex = DWORD(index + 1);
    SendMessageW(types, CB_SETCURSEL, index, 0);
    st.pattern = st.filters[index].patterns;
  }
  HWND drives = GetDlgItem(dlg, cmb2);
  for (char16_t d = u'a'; d <= u'z'; ++d) {
    const char16_t root[] = {d, u':', u'\\', 0};
    if (IsFolder(root)) {
      const char16_t name[] = {d, u':', 0};
      SendMessageW(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
  }
  // The initial folder: the folder of the name given, else lpstrInitialDir, else the current one.
  std::u16string name = ofn.lpstrFile ? std::u16string(ofn.lpstrFile) : std::u16string();
  std::u16string folder;
  size_t slash = name.find_last_of(u"\\/:");
  if (slash != std::u16string::npos) {
    std::u16string dir = Combine(u"", name.substr(0, slash + (name[slash] == u':' ? 1 : 0)));
    if (name[slash] == u':') dir += u"\\";
    if (IsFolder(dir)) {
      folder = dir;
      name = name.substr(slash + 1);
    }
  }
  if (folder.empty() && ofn.lpstrInitialDir && *ofn.lpstrInitialDir && IsFolder(Combine(u"", ofn.lpstrInitialDir)))
    folder = Combine(u"", ofn.lpstrInitialDir);
  if (folder.empty()) {
    WCHAR cwd[MAX_PATH];
    folder = GetCurrentDirectoryW(MAX_PATH, cwd) ? std::u16string(cwd) : std::u16string(u"C:\\");
  }
  if (HasWildcard(name)) st.pattern = name;
  SetDlgItemTextW(dlg, edt1, name.c_str());
  SendDlgItemMessageW(dlg, edt1, EM_LIMITTEXT, ofn.nMaxFile ? ofn.nMaxFile - 1 : 0, 0);
  st.folder = folder;
  FillFolders(st, dlg);
  FillFiles(st, dlg);
}

bool Ask(HWND dlg, const std::u16string& text, UINT type) {
  WCHAR caption[256];
  GetWindowTextW(dlg, caption, 256);
  const int answer = MessageBoxW(dlg, text.c_str(), caption, type);
  return answer == IDYES || answer == IDOK;
}

std::u16string NameOf(const std::u16string& path) {
  size_t slash = path.find_last_of(u'\\');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

// Writes the result into the caller's record; false (and FNERR_BUFFERTOOSMALL, with the size
// needed in the buffer's first two bytes) when it does not fit.
bool WriteResult(FileDialog& st, HWND dlg, const std::u16string& folder, const std::vector<std::u16string>& names) {
  OPENFILENAMEW& ofn = *st.ofn;
  std::u16string out;
  WORD offset, extension = 0;
  if (names.size() == 1) {
    out = Combine(folder, names[0]);
    offset = WORD(out.size() - NameOf(out).size());
    size_t dot = out.find_last_of(u'.');
    extension = dot != std::u16string::npos && dot > offset ? WORD(dot + 1) : WORD(out.size());
    out.push_back(0);
  } else {
    // Old dialogs give "folder name1 name2", explorer-style ones NUL-separated names.
    const char16_t sep = st.explorer ? u'\0' : u' ';
    out = folder;
    offset = WORD(out.size() + 1);
    for (const auto& n : names) out += sep + n;
    out.push_back(0);
    if (st.explorer) out.push_back(0);
  }
  if (out.size() > ofn.nMaxFile || out.size() > 0xFFFF) {
    st.error = FNERR_BUFFERTOOSMALL;
    if (ofn.lpstrFile && ofn.nMaxFile >= 1) ofn.lpstrFile[0] = char16_t(std::min<size_t>(out.size(), 0xFFFF));
    EndDialog(dlg, 0);
    return false;
  }
  std::copy(out.begin(), out.end(), ofn.lpstrFile);
  ofn.nFileOffset = offset;
  ofn.nFileExtension = extension;
  if (ofn.lpstrFileTitle && ofn.nMaxFileTitle) {
    std::u16string title = names[0].substr(0, ofn.nMaxFileTitle - 1);
    std::copy(title.begin(), title.end(), ofn.lpstrFileTitle);
    ofn.lpstrFileTitle[title.size()] = 0;
  }
  if (IsDlgButtonChecked(dlg, chx1))
    ofn.Flags |= OFN_READONLY;
  else
    ofn.Flags &= ~DWORD(OFN_READONLY);
  if (!st.filters.empty()) ofn.nFilterIndex = DWORD(SendDlgItemMessageW(dlg, cmb1, CB_GETCURSEL, 0, 0) + 1);
  return true;
}

// The hook's say before the dialog takes a name: non-zero keeps the dialog open.
bool HookRefuses(FileDialog& st, HWND dlg) {
  OPENFILENAMEW& ofn = *st.ofn;
  if (st.explorer) return Notify(st, dlg, CDN_FILEOK) != 0;
  if ((ofn.Flags & OFN_ENABLEHOOK) && ofn.lpfnHook)
    return ofn.lpfnHook(dlg, st.fileOkMessage, 0, reinterpret_cast<LPARAM>(&ofn)) != 0;
  return false;
}

void Accept(FileDialog& st, HWND dlg) {
  OPENFILENAMEW& ofn = *st.ofn;
  HWND folders = GetDlgItem(dlg, lst2);
  if (GetFocus() == folders) {
    // Enter in the folder list opens the folder chosen there.
    int index = int(SendMessageW(folders, LB_GETCURSEL, 0, 0));
    auto parts = Components(st.folder);
    if (index < 0) return;
    std::u16string target = parts[0];
    if (size_t(index) < parts.size()) {
      for (int i = 1; i <= index; ++i) target = Combine(target, parts[size_t(i)]);
    } else {
      target = Combine(st.folder, ItemText(dlg, lst2, LB_GETTEXTLEN, LB_GETTEXT, index));
    }
    GoTo(st, dlg, target);
    return;
  }
  // Several files chosen in the list.
  HWND files = GetDlgItem(dlg, lst1);
  if (st.multi && SendMessageW(files, LB_GETSELCOUNT, 0, 0) > 1) {
    int count = int(SendMessageW(files, LB_GETSELCOUNT, 0, 0));
    std::vector<int> indexes(static_cast<size_t>(count));
    SendMessageW(files, LB_GETSELITEMS, WPARAM(count), reinterpret_cast<LPARAM>(indexes.data()));
    std::vector<std::u16string> names;
    for (int i : indexes) names.push_back(ItemText(dlg, lst1, LB_GETTEXTLEN, LB_GETTEXT, i));
    if (!WriteResult(st, dlg, st.folder, names)) return;
    if (HookRefuses(st, dlg)) return;
    EndDialog(dlg, IDOK);
    return;
  }
  std::u16string text = ControlText(dlg, edt1);
  while (!text.empty() && text.back() == u' ') text.pop_back();
  while (!text.empty() && text.front() == u' ') text.erase(0, 1);
  if (text.empty()) return;
  if (HasWildcard(text)) {
    // A pattern filters the list (its folder part, if any, is opened).
    size_t slash = text.find_last_of(u'\\');
    if (slash != std::u16string::npos) {
      std::u16string dir = Combine(st.folder, text.substr(0, slash + 1));
      if (!IsFolder(dir)) {
        Ask(dlg, text + u"\nPath does not exist.\nCheck the path and try again.", MB_OK | MB_ICONWARNING);
        return;
      }
      st.folder = dir;
      text = text.substr(slash + 1);
    }
    st.pattern = text;
    SetDlgItemTextW(dlg, edt1, text.c_str());
    FillFolders(st, dlg);
    FillFiles(st, dlg);
    return;
  }
  if (st.multi && !st.explorer && text.find(u' ') != std::u16string::npos) {
    // The old dialog takes names typed with blanks between them as several files of the folder
    // shown (its names have no blanks of their own).
    std::vector<std::u16string> names;
    for (size_t at = 0; at < text.size();) {
      size_t end = text.find(u' ', at);
      if (end == std::u16string::npos) end = text.size();
      if (end > at) names.push_back(text.substr(at, end - at));
      at = end + 1;
    }
    for (const auto& n : names) {
      if (n.find_first_of(u"\\<>|\"") != std::u16string::npos) {
        Ask(dlg, n + u"\nThe file name is not valid.", MB_OK | MB_ICONWARNING);
        return;
      }
      if ((ofn.Flags & OFN_FILEMUSTEXIST) && GetFileAttributesW(Combine(st.folder, n).c_str()) == INVALID_FILE_ATTRIBUTES) {
        Ask(dlg, n + u"\nFile not found.\nCheck the file name and try again.", MB_OK | MB_ICONWARNING);
        return;
      }
    }
    if (!WriteResult(st, dlg, st.folder, names)) return;
    if (HookRefuses(st, dlg)) return;
    EndDialog(dlg, IDOK);
    return;
  }
  if (!(ofn.Flags & OFN_NOVALIDATE) && text.find_first_of(u"<>|\"") != std::u16string::npos) {
    Ask(dlg, text + u"\nThe file name is not valid.", MB_OK | MB_ICONWARNING);
    return;
  }
  std::u16string full = Combine(st.folder, text);
  if (IsFolder(full)) {
    SetDlgItemTextW(dlg, edt1, u"");
    GoTo(st, dlg, full);
    return;
  }
  std::u16string name = NameOf(full);
  if (name.find(u'.') == std::u16string::npos && ofn.lpstrDefExt && *ofn.lpstrDefExt) {
    full += u".";
    full += ofn.lpstrDefExt;
    name = NameOf(full);
  }
  const std::u16string dir = full.substr(0, full.size() - name.size());
  const bool exists = GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES;
  if ((ofn.Flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) && !IsFolder(dir)) {
    Ask(dlg, text + u"\nPath does not exist.\nCheck the path and try again.", MB_OK | MB_ICONWARNING);
    return;
  }
  if (!st.save && (ofn.Flags & OFN_FILEMUSTEXIST) && !exists) {
    Ask(dlg, name + u"\nFile not found.\nCheck the file name and try again.", MB_OK | MB_ICONWARNING);
    return;
  }
  if (!st.save && (ofn.Flags & OFN_CREATEPROMPT) && !exists &&
      !Ask(dlg, name + u"\nThis file does not exist.\nDo you want to create it?", MB_YESNO | MB_ICONQUESTION))
    return;
  if (st.save && (ofn.Flags & OFN_OVERWRITEPROMPT) && exists &&
      !Ask(dlg, name + u" already exists.\nDo you want to replace it?", MB_YESNO | MB_ICONWARNING))
    return;
  std::u16string folder = dir.size() > 3 ? dir.substr(0, dir.size() - 1) : dir;
  if (!WriteResult(st, dlg, folder, {name})) return;
  if (HookRefuses(st, dlg)) return;
  if (!(ofn.Flags & OFN_NOCHANGEDIR)) SetCurrentDirectoryW(folder.c_str());
  EndDialog(dlg, IDOK);
}

void Command(FileDialog& st, HWND dlg, int id, int code) {
  switch (id) {
    case IDOK:
      Accept(st, dlg);
      return;
    case IDCANCEL:
      EndDialog(dlg, IDCANCEL);
      return;
    case pshHelp:
      Notify(st, dlg, CDN_HELP);
      return;
    case lst1:
      if (code == LBN_SELCHANGE) {
        HWND files = GetDlgItem(dlg, lst1);
        int index = st.multi ? int(SendMessageW(files, LB_GETCARETINDEX, 0, 0))
                             : int(SendMessageW(files, LB_GETCURSEL, 0, 0));
        if (index >= 0) SetDlgItemTextW(dlg, edt1, ItemText(dlg, lst1, LB_GETTEXTLEN, LB_GETTEXT, index).c_str());
        Notify(st, dlg, CDN_SELCHANGE);
      } else if (code == LBN_DBLCLK) {
        Accept(st, dlg);
      }
      return;
    case lst2:
      if (code == LBN_DBLCLK) {
        SetFocus(GetDlgItem(dlg, lst2));
        Accept(st, dlg);
      }
      return;
    case cmb1:
      if (code == CBN_SELCHANGE) {
        int index = int(SendDlgItemMessageW(dlg, cmb1, CB_GETCURSEL, 0, 0));
        if (index >= 0 && size_t(index) < st.filters.size()) {
          st.pattern = st.filters[size_t(index)].patterns;
          st.ofn->nFilterIndex = DWORD(index + 1);
          FillFiles(st, dlg);
          Notify(st, dlg, CDN_TYPECHANGE);
        }
      }
      return;
    case cmb2:
      if (code == CBN_SELCHANGE) {
        int index = int(SendDlgItemMessageW(dlg, cmb2, CB_GETCURSEL, 0, 0));
        if (index >= 0) GoTo(st, dlg, ItemText(dlg, cmb2, CB_GETLBTEXTLEN, CB_GETLBTEXT, index) + u"\\");
      }
      return;
  }
}

INT_PTR CALLBACK ExplorerChildProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

INT_PTR CALLBACK FileDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* st = reinterpret_cast<FileDialog*>(lParam);
    SetPropW(dlg, kStateProp, st);
    OPENFILENAMEW& ofn = *st->ofn;
    Init(*st, dlg);
    const bool hook = (ofn.Flags & OFN_ENABLEHOOK) && ofn.lpfnHook;
    if (st->explorer && (hook || (ofn.Flags & (OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE)))) {
      // The caller's child dialog: its template (or an empty one) with the hook as its procedure.
      HINSTANCE instance = ofn.hInstance;
      const DLGTEMPLATE* tpl = nullptr;
      TemplateBuilder empty(WS_CHILD | WS_VISIBLE | DS_CONTROL | DS_3DLOOK, 1, 1, u"");
      if (ofn.Flags & OFN_ENABLETEMPLATEHANDLE) {
        tpl = reinterpret_cast<const DLGTEMPLATE*>(ofn.hInstance);
      } else if (ofn.Flags & OFN_ENABLETEMPLATE) {
        HRSRC res = FindResourceW(ofn.hInstance, ofn.lpTemplateName, RT_DIALOG);
        tpl = res ? static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(ofn.hInstance, res))) : nullptr;
      } else {
        tpl = empty.Get();
      }
      DLGPROC proc = hook ? reinterpret_cast<DLGPROC>(ofn.lpfnHook) : ExplorerChildProc;
      st->child = tpl ? CreateDialogIndirectParamW(instance, tpl, dlg, proc, reinterpret_cast<LPARAM>(&ofn)) : nullptr;
      if (st->child) {
        // Below the dialog's own controls, the dialog growing by its height.
        RECT mine, outer, child;
        GetClientRect(dlg, &mine);
        GetWindowRect(dlg, &outer);
        GetWindowRect(st->child, &child);
        SetWindowPos(st->child, nullptr, 0, mine.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(dlg, nullptr, 0, 0, outer.right - outer.left,
                     (outer.bottom - outer.top) + (child.bottom - child.top), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      Notify(*st, dlg, CDN_INITDONE);
      return TRUE;
    }
    if (!st->explorer && hook) return ofn.lpfnHook(dlg, msg, wParam, reinterpret_cast<LPARAM>(&ofn));
    return TRUE;
  }
  FileDialog* st = StateOf(dlg);
  if (!st) return FALSE;
  OPENFILENAMEW& ofn = *st->ofn;
  if (!st->explorer && (ofn.Flags & OFN_ENABLEHOOK) && ofn.lpfnHook && msg != WM_NCDESTROY) {
    if (UINT_PTR r = ofn.lpfnHook(dlg, msg, wParam, lParam)) return INT_PTR(r);
    if (!IsWindow(dlg)) return TRUE;
  }
  switch (msg) {
    case WM_COMMAND:
      Command(*st, dlg, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case CDM_GETFOLDERPATH:
    case CDM_GETFILEPATH:
    case CDM_GETSPEC: {
      std::u16string value = msg == CDM_GETFOLDERPATH ? st->folder
                             : msg == CDM_GETSPEC     ? ControlText(dlg, edt1)
                                                      : Combine(st->folder, ControlText(dlg, edt1));
      if (lParam && wParam) {
        size_t n = std::min<size_t>(value.size(), size_t(wParam) - 1);
        std::copy_n(value.data(), n, reinterpret_cast<LPWSTR>(lParam));
        reinterpret_cast<LPWSTR>(lParam)[n] = 0;
      }
      SetWindowLongPtrW(dlg, DWLP_MSGRESULT, LONG_PTR(value.size() + 1));
      return TRUE;
    }
    case CDM_SETCONTROLTEXT:
      SetDlgItemTextW(dlg, int(wParam), reinterpret_cast<LPCWSTR>(lParam));
      return TRUE;
    case CDM_HIDECONTROL:
      ShowWindow(GetDlgItem(dlg, int(wParam)), SW_HIDE);
      return TRUE;
    case WM_NCDESTROY:
      RemovePropW(dlg, kStateProp);
      return FALSE;
  }
  return FALSE;
}

// The old dialog's layout (dialog units), with the control ids its templates keep.
void BuildDefault(TemplateBuilder& t, bool multi) {
  const DWORD list = WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY;
  t.Item(0x82, u"", WS_VISIBLE | SS_LEFT, 6, 6, 90, 9, stc3, u"File &name:");
  t.Item(0x81, u"", WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 6, 16, 90, 12, edt1, u"");
  t.Item(0x83, u"", list | LBS_SORT | (multi ? LBS_EXTENDEDSEL : 0), 6, 32, 90, 66, lst1, u"");
  t.Item(0x82, u"", WS_VISIBLE | SS_LEFT, 104, 6, 96, 9, -1, u"&Folders:");
  t.Item(0x82, u"", WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 104, 18, 96, 9, stc1, u"");
  t.Item(0x83, u"", list, 104, 32, 96, 66, lst2, u"");
  t.Item(0x82, u"", WS_VISIBLE | SS_LEFT, 6, 104, 90, 9, stc2, u"List files of &type:");
  t.Item(0x85, u"", WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, 6, 114, 90, 60, cmb1, u"");
  t.Item(0x82, u"", WS_VISIBLE | SS_LEFT, 104, 104, 96, 9, stc4, u"Dri&ves:");
  t.Item(0x85, u"", WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL, 104, 114, 96, 60, cmb2, u"");
  t.Item(0x80, u"", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 208, 6, 50, 14, IDOK, u"OK");
  t.Item(0x80, u"", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 208, 24, 50, 14, IDCANCEL, u"Cancel");
  t.Item(0x80, u"", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 208, 46, 50, 14, pshHelp, u"&Help");
  t.Item(0x80, u"", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 208, 68, 50, 12, chx1, u"&Read only");
}

BOOL Run(LPOPENFILENAMEW ofn, bool save) {
  g_error = 0;
  if (!ofn) {
    g_error = CDERR_INITIALIZATION;
    return FALSE;
  }
  if (ofn->lStructSize != sizeof(OPENFILENAMEW) && ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400W) {
    g_error = CDERR_STRUCTSIZE;
    return FALSE;
  }
  if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
    g_error = CDERR_INITIALIZATION;
    return FALSE;
  }
  if ((ofn->Flags & OFN_ENABLEHOOK) && !ofn->lpfnHook) {
    g_error = CDERR_NOHOOK;
    return FALSE;
  }
  FileDialog st;
  st.ofn = ofn;
  st.save = save;
  st.explorer = (ofn->Flags & OFN_EXPLORER) != 0;
  st.multi = (ofn->Flags & OFN_ALLOWMULTISELECT) != 0;
  st.fileOkMessage = RegisterWindowMessageW(FILEOKSTRINGW);
  // The filters: pairs of a label and its patterns, ended by an empty label.
  for (LPCWSTR p = ofn->lpstrFilter; p && *p;) {
    Filter f;
    f.label = p;
    p += f.label.size() + 1;
    if (!*p) break;
    f.patterns = p;
    p += f.patterns.size() + 1;
    st.filters.push_back(std::move(f));
  }
  TemplateBuilder standard(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK, 264, 134, u"");
  BuildDefault(standard, st.multi);
  const DLGTEMPLATE* tpl = standard.Get();
  HINSTANCE instance = nullptr;
  if (!st.explorer && (ofn->Flags & OFN_ENABLETEMPLATEHANDLE)) {
    tpl = reinterpret_cast<const DLGTEMPLATE*>(ofn->hInstance);
    if (!tpl) {
      g_error = CDERR_NOTEMPLATE;
      return FALSE;
    }
  } else if (!st.explorer && (ofn->Flags & OFN_ENABLETEMPLATE)) {
    if (!ofn->hInstance) {
      g_error = CDERR_NOHINSTANCE;
      return FALSE;
    }
    HRSRC res = FindResourceW(ofn->hInstance, ofn->lpTemplateName, RT_DIALOG);
    if (!res) {
      g_error = CDERR_FINDRESFAILURE;
      return FALSE;
    }
    tpl = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(ofn->hInstance, res)));
    instance = ofn->hInstance;
  } else if (st.explorer && (ofn->Flags & OFN_ENABLETEMPLATE) && !ofn->hInstance) {
    g_error = CDERR_NOHINSTANCE;
    return FALSE;
  }
  INT_PTR r = DialogBoxIndirectParamW(instance, tpl, ofn->hwndOwner, FileDialogProc, reinterpret_cast<LPARAM>(&st));
  if (r == -1) {
    g_error = CDERR_DIALOGFAILURE;
    return FALSE;
  }
  if (st.error) g_error = st.error;
  return r == IDOK ? TRUE : FALSE;
}

}  // namespace

std::vector<DirEntry> ListFolder(const std::u16string& folder) {
  std::vector<DirEntry> out;
  std::u16string pattern = folder;
  if (!pattern.empty() && pattern.back() != u'\\') pattern += u'\\';
  pattern += u'*';
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    std::u16string name = fd.cFileName;
    if (name == u"." || name == u"..") continue;
    out.push_back({name, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  std::sort(out.begin(), out.end(), [](const DirEntry& a, const DirEntry& b) {
    if (a.folder != b.folder) return a.folder;
    return Lower(a.name) < Lower(b.name);
  });
  return out;
}

bool IsFolder(const std::u16string& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::u16string Combine(const std::u16string& folder, const std::u16string& name) {
  std::u16string joined;
  const bool absolute = (name.size() >= 2 && name[1] == u':') || (!name.empty() && name[0] == u'\\');
  if (absolute || folder.empty()) {
    joined = name;
  } else {
    joined = folder;
    if (joined.back() != u'\\') joined += u'\\';
    joined += name;
  }
  WCHAR full[MAX_PATH * 4];
  DWORD n = GetFullPathNameW(joined.c_str(), DWORD(std::size(full)), full, nullptr);
  if (n == 0 || n >= std::size(full)) return joined;
  std::u16string out(full, n);
  if (out.size() > 3 && out.back() == u'\\') out.pop_back();
  return out;
}

std::vector<std::u16string> Components(const std::u16string& path) {
  std::vector<std::u16string> out;
  if (path.size() < 2) return out;
  out.push_back(path.substr(0, 2) + u"\\");
  size_t start = 3;
  while (start < path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string::npos) end = path.size();
    if (end > start) out.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

}  // namespace zolt::host::comdlg

WIN32_API BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW lpofn) { return zolt::host::comdlg::Run(lpofn, false); }
WIN32_API BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW lpofn) { return zolt::host::comdlg::Run(lpofn, true); }
WIN32_API DWORD WINAPI CommDlgExtendedError(void) { return zolt::host::comdlg::g_error; }
