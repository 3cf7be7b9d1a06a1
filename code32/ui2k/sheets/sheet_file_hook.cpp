// The hook of the engine's old-style file dialogs: it checks the typed name before the dialog
// may close (wildcards, missing or existing files, extensions, settings files that do not load,
// read-only or listed settings files), asks before files are replaced or deleted, and hands the
// export, load and delete buttons to the sub-dialog runner as follow-up codes.
#include <string>

#include "env_language.h"
#include "env_system.h"
#include "fd_file_dialogs.h"
#include "fd_services.h"
#include "option_access.h"
#include "option_context_words.h"
#include "preset_list.h"
#include "prn_data.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "sheet_engine.h"
#include "sheet_engine_state.h"
#include "undo_images.h"

namespace {

constexpr int kNameEdit = 1152;
constexpr int kFolderList = 1121;
constexpr int kFileTypeCombo = 1136;
constexpr int kDefaultFolderButton = 2887;
constexpr int kSpoolAllCheck = 2897;
constexpr uint16_t kOptSpoolDirectoryAll = 1138;  // wdmSpoolDirectoryAll
constexpr uint16_t kOpenDialog = 4001;
constexpr uint16_t kFolderDialog = 4015;
constexpr int kPresetLimit = 16;
constexpr size_t kMaxPathChars = 258;
constexpr DWORD kTrialLoad = 0x20004;
constexpr DWORD kTrialLoadPlain = 4;

using Text = std::u16string;

DriverContext* ContextOf(HWND dialog) {
  return reinterpret_cast<DriverContext*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

Text WindowText(HWND window) {
  WCHAR buffer[kFdBufferChars] = {};
  if (window) GetWindowTextW(window, buffer, kFdBufferChars);
  return buffer;
}

bool HasWildcard(const Text& name) { return name.find_first_of(u"*?") != Text::npos; }

// The folder the list shows: its items 0 to the selection, each followed by "\".
Text FolderPath(HWND dialog) {
  HWND list = GetDlgItem(dialog, kFolderList);
  Text path;
  if (!list) return path;
  const LRESULT selection = SendMessageW(list, LB_GETCURSEL, 0, 0);
  for (LRESULT i = 0; i <= selection; ++i) {
    WCHAR item[kFdBufferChars] = {};
    const LRESULT n = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (n < 0 || n >= static_cast<LRESULT>(kFdBufferChars)) break;
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
    path += item;
    if (path.empty() || path.back() != u'\\') path += u'\\';
  }
  return path;
}

bool IsAbsolute(const Text& name) { return (!name.empty() && name[0] == u'\\') || (name.size() > 1 && name[1] == u':'); }

Text FullPath(HWND dialog, const Text& name) { return IsAbsolute(name) ? name : FolderPath(dialog) + name; }

// A name without "." after its last "\" gets the row's extension.
Text WithExtension(const DialogDescriptor* row, Text name) {
  const size_t slash = name.rfind(u'\\');
  const size_t dot = name.rfind(u'.');
  if (dot == Text::npos || (slash != Text::npos && dot < slash)) name += FdGetFileFilter(row) + 1;
  return name;
}

bool HasExtension(const Text& name) {
  const size_t slash = name.rfind(u'\\');
  const size_t dot = name.rfind(u'.');
  return dot != Text::npos && (slash == Text::npos || dot > slash);
}

bool ExtensionMatches(const DialogDescriptor* row, const Text& path) {
  return path.size() >= 4 && FdMatchFileFilter(row, path.c_str() + path.size() - 4);
}

// The text after the last "." replaced by the pattern's extension.
Text ReplaceExtension(const DialogDescriptor* row, const Text& path) {
  const size_t dot = path.rfind(u'.');
  return (dot == Text::npos ? path : path.substr(0, dot)) + (FdGetFileFilter(row) + 1);
}

// A name that cannot be a file: empty, or its last "." or "\" is a "\" at the start or after
// another "\".
bool IsBadName(const Text& name) {
  if (name.empty()) return true;
  const size_t last = name.find_last_of(u".\\");
  if (last == Text::npos || name[last] != u'\\') return false;
  return last == 0 || name[last - 1] == u'\\' || last + 1 == name.size();
}

int Warn(DriverContext* ctx, HWND dialog, WORD id) {
  FdShowWarning(ctx, dialog, id);
  return 1;
}
bool Ask(DriverContext* ctx, HWND dialog, WORD id) { return FdAskWarningOkCancel(ctx, dialog, id) == kFdIdOk; }

// Loads the file under an undo snapshot (the settings stay as they were) and reports whether it
// loaded without a settings-file status; for kind 0x100 of a renamed printer the file is saved
// back before the snapshot is restored.
bool TrialLoad(DriverContext* ctx, const Text& path, DWORD flags, bool saveBack) {
  CtxSetSettingsFileStatus(ctx, 0);
  DmPushSnapshot(ctx);
  CfgLoadSettingsFile(ctx->printer, path.c_str(), flags, ctx);
  const bool ok = CtxGetSettingsFileStatus(ctx) == 0;
  if (ok && saveBack) CfgSaveSettingsFile(ctx->printer, path.c_str(), flags, ctx);
  DmPopSnapshot(ctx, 1);
  return ok;
}

bool PrinterRenamed(DriverContext* ctx) {
  const WCHAR* printer = PrnGetName(ctx);
  const WCHAR* driver = PrnGetDriverName(ctx);
  return printer && driver && Text(printer) != Text(driver);
}

void Accept(DriverContext* ctx) { ctx->workArea->subDialogResult = 1; }

void SendOk(HWND dialog) { SendMessageW(dialog, WM_COMMAND, IDOK, 0); }

// Multi-selection of settings files in the open dialog: each name is test-loaded.
UINT_PTR CheckSettingsFiles(DriverContext* ctx, HWND dialog, const DialogDescriptor* row, const Text& names) {
  int blanks = 0;
  for (WCHAR c : names) blanks += c == u' ';
  if (CfgGetPresetCount(ctx) + blanks >= kPresetLimit) return Warn(ctx, dialog, 10049);
  size_t at = 0;
  while (at <= names.size()) {
    size_t end = names.find(u' ', at);
    if (end == Text::npos) end = names.size();
    const Text name = names.substr(at, end - at);
    at = end + 1;
    if (name.empty()) continue;
    if (HasWildcard(name)) return 0;
    if (!TrialLoad(ctx, FullPath(dialog, WithExtension(row, name)), kTrialLoadPlain, false)) return 1;
  }
  Accept(ctx);
  return 0;
}

// The folder for intermediate files: an empty name stores the shown folder as "SpoolDirectory".
UINT_PTR ChooseSpoolFolder(DriverContext* ctx, HWND dialog, Text name) {
  if (name == u"*.*") name.clear();
  if (!name.empty()) return 0;
  Text folder = FolderPath(dialog);
  if (!folder.empty() && folder.back() == u'\\') folder.pop_back();
  WCHAR windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const Text temp = Text(windows) + u"\\temp";
  if (_wcsicmp(folder.c_str(), temp.c_str()) == 0)
    folder.clear();
  const DWORD bytes = static_cast<DWORD>((folder.size() + 1) * sizeof(WCHAR));
  if (OptGetValue(ctx, kOptSpoolDirectoryAll, nullptr) == 1)
    RegWriteDriverString(u"SpoolDirectory", folder.c_str(), bytes);
  else
    PrnSetData(ctx->printer, folder.c_str(), bytes, REG_SZ, u"SpoolDirectory", ctx);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  return 1;
}

UINT_PTR CheckOneFile(DriverContext* ctx, HWND dialog, const DialogDescriptor* row, Text name) {
  if (HasWildcard(name)) return 0;
  if (!name.empty() && !HasExtension(name)) {
    name = WithExtension(row, name);
    SetDlgItemTextW(dialog, kNameEdit, name.c_str());
  }
  const uint32_t kind = row->kindFlags;
  SheetEngineState* state = UiSheetState(ctx);
  const Text path = FullPath(dialog, name);
  if (kind & kDialogFileRefer) {
    HFILE file = HFILE_ERROR;
    if (!EnvOpenBitmapFile(path.c_str(), &file)) return Warn(ctx, dialog, 10043);
    if (file != HFILE_ERROR) _lclose(file);
  } else if (kind & kDialogRpoSave) {
    if (name.empty()) return Warn(ctx, dialog, 10024);
    Text target = path;
    if (!ExtensionMatches(row, target)) {
      if (!Ask(ctx, dialog, 10060)) return 1;
      target = ReplaceExtension(row, target);
      SetDlgItemTextW(dialog, kNameEdit, target.c_str());
    }
    if (FdFileExists(target.c_str()) && !Ask(ctx, dialog, 10026)) return 1;
  } else if (kind & kDialogRpoRefer) {
    if (!FdFileExists(path.c_str())) return Warn(ctx, dialog, 10043);
    if (!ExtensionMatches(row, path)) return Warn(ctx, dialog, 10024);
  } else if ((kind & kDialogRstOpenSave) && state->followUpCode == 0) {
    state->followUpCode = 5001;
    SendMessageW(dialog, WM_COMMAND, 5001, 0);
    return 1;
  } else if (kind & (kDialogFileOpen | kDialogRstOpenSave)) {
    if (state->followUpCode != 5001) {
      const bool saveBack = (kind & kDialogFileOpen) && PrinterRenamed(ctx);
      if (!TrialLoad(ctx, path, kTrialLoad, saveBack)) return 1;
    }
  } else if (kind & kDialogFileSave) {
    Text target = path;
    if (!name.empty() && name[0] == u'\\') target = FolderPath(dialog).substr(0, 2) + name;
    if (target.size() > kMaxPathChars) return Warn(ctx, dialog, 10024);
    if (FdFileExists(target.c_str()) && !Ask(ctx, dialog, 10026)) return 1;
    if (!ExtensionMatches(row, target)) {
      if (!Ask(ctx, dialog, 10025)) return 1;
      SetDlgItemTextW(dialog, kNameEdit, ReplaceExtension(row, target).c_str());
    }
    state->followUpCode = 5001;
  }
  Accept(ctx);
  return 0;
}

// The export (5001), load (5002) and delete (5003) buttons.
UINT_PTR SettingsFileButton(DriverContext* ctx, HWND dialog, const DialogDescriptor* row, WORD button) {
  Text name = WindowText(GetDlgItem(dialog, kNameEdit));
  if (HasWildcard(name)) {
    SendOk(dialog);
    return 1;
  }
  if (IsBadName(name)) return button == 5001 ? Warn(ctx, dialog, 10024) : 1;
  Text path = WithExtension(row, FullPath(dialog, name));
  if (path.size() > kMaxPathChars) return Warn(ctx, dialog, 10024);
  const bool exists = FdFileExists(path.c_str());
  if (!exists) {
    if (button == 5002) return Warn(ctx, dialog, 10023);
    if (button == 5003) return Warn(ctx, dialog, 10027);
    if (!ExtensionMatches(row, path)) {
      if (!Ask(ctx, dialog, 10025)) return 1;
      path = ReplaceExtension(row, path);
    }
  } else {
    if (!ExtensionMatches(row, path)) {
      if (!Ask(ctx, dialog, 10025)) return 1;
      path = ReplaceExtension(row, path);
    }
    if (!(row->kindFlags & kDialogRpoSave)) {
      if (!CfgIsPresetWritable(ctx, path.c_str())) return Warn(ctx, dialog, 374);
      if (button == 5001 && !Ask(ctx, dialog, 10026)) return 1;
      if (button == 5003 && FdIsRegisteredSettingsFile(ctx, path.c_str())) return Warn(ctx, dialog, 375);
    }
    if (button == 5003) {
      if (!Ask(ctx, dialog, 10028)) return 1;
      if (row->kindFlags & kDialogRpoSave) {
        DeleteFileW(path.c_str());
        SetDlgItemTextW(dialog, kNameEdit, FdGetFileFilter(row));
        SendOk(dialog);
        return 1;
      }
    }
  }
  SetDlgItemTextW(dialog, kNameEdit, path.c_str());
  UiSheetState(ctx)->followUpCode = button;
  Accept(ctx);
  SendOk(dialog);
  return 1;
}

UINT_PTR OnCommand(DriverContext* ctx, HWND dialog, WPARAM wParam) {
  DialogDescriptor* row = OptFindDialog(ctx, static_cast<uint16_t>(ctx->dialogId));
  if (!row) return 0;
  const WORD id = LOWORD(wParam);
  switch (id) {
    case IDOK: {
      UiClearRuleDialogGuard(ctx, WM_COMMAND, wParam, 0, 0);
      SheetEngineState* state = UiSheetState(ctx);
      if (state->followUpCode == 5002 || state->followUpCode == 5003 ||
          (state->followUpCode == 5001 && !(row->kindFlags & (kDialogRstOpenSave | kDialogFileSave))))
        return 0;  // a button already checked the name
      const Text name = WindowText(GetDlgItem(dialog, kNameEdit));
      if (row->dialogId == kOpenDialog && name.find(u' ') != Text::npos)
        return CheckSettingsFiles(ctx, dialog, row, name);
      if (row->dialogId == kFolderDialog) return ChooseSpoolFolder(ctx, dialog, name);
      return CheckOneFile(ctx, dialog, row, name);
    }
    case IDCANCEL:
      UiClearRuleDialogGuard(ctx, WM_COMMAND, wParam, 0, 0);
      ctx->workArea->subDialogResult = 0;
      return 0;
    case kFileTypeCombo:
      if (HIWORD(wParam) != CBN_SELCHANGE) return 0;
      SetDlgItemTextW(dialog, kNameEdit, FdGetFileFilter(row));
      SendOk(dialog);
      return 1;
    case kDefaultFolderButton: {
      WCHAR windows[MAX_PATH] = {};
      GetWindowsDirectoryW(windows, MAX_PATH);
      Text folder = Text(windows) + u"\\temp";
      if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) folder = windows;
      SetDlgItemTextW(dialog, kNameEdit, folder.c_str());
      ctx->workArea->subDialogResult = 0;
      SendOk(dialog);
      return 1;
    }
    case kSpoolAllCheck:
      OptSetValue(ctx, kOptSpoolDirectoryAll, IsDlgButtonChecked(dialog, kSpoolAllCheck) == BST_CHECKED ? 1 : 0);
      return 0;
    case 5001:
    case 5002:
    case 5003:
      return SettingsFileButton(ctx, dialog, row, id);
    default:
      return 0;
  }
}

}  // namespace

UINT_PTR CALLBACK UiFileDialogHookProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* ofn = reinterpret_cast<OPENFILENAMEW*>(lParam);
    auto* ctx = ofn ? reinterpret_cast<DriverContext*>(ofn->lCustData) : nullptr;
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(ctx));
    if (EnvIsVistaOrLater())
      SetWindowLongPtrW(dialog, GWL_EXSTYLE, GetWindowLongPtrW(dialog, GWL_EXSTYLE) & ~WS_EX_CONTEXTHELP);
    if (ctx) {
      UiRestoreClassWndProcs(ctx, dialog);
      if (ctx->dialogId == kFolderDialog)
        CheckDlgButton(dialog, kSpoolAllCheck, OptGetValue(ctx, kOptSpoolDirectoryAll, nullptr) == 1);
    }
    return 1;
  }
  if (msg == WM_NOTIFY || msg == WM_HELP || msg == WM_CONTEXTMENU) return 1;
  if (msg != WM_COMMAND) return 0;
  DriverContext* ctx = ContextOf(dialog);
  return ctx ? OnCommand(ctx, dialog, wParam) : 0;
}
