#include "fd_file_dialogs.h"

#include <cwctype>
#include <string_view>

#include "env_language.h"
#include "env_system.h"
#include "option_access.h"
#include "option_table.h"
#include "sheet_engine.h"

namespace {

constexpr uint16_t kOptOverlayPath = 976;       // wdmOvlPath
constexpr uint16_t kControlPictureFile = 2341;  // the stamp picture's file
constexpr uint16_t kControlProfileFile = 2825;  // the profile file of a colour-matching entry
constexpr uint16_t kControlOverlayFile = 2586;
constexpr int kFileTypeCombo = 1136;

size_t Length(const WCHAR* s) { return s ? std::char_traits<WCHAR>::length(s) : 0; }

void Copy(WCHAR* out, const WCHAR* text, size_t cap = kFdBufferChars) {
  size_t n = std::min(Length(text), cap - 1);
  std::char_traits<WCHAR>::copy(out, text ? text : u"", n);
  out[n] = 0;
}

// The folder of a path: cut at its last '\', which stays when it is the drive root's.
void FolderOf(const WCHAR* path, WCHAR* out) {
  Copy(out, path);
  WCHAR* slash = nullptr;
  for (WCHAR* p = out; *p; ++p)
    if (*p == u'\\') slash = p;
  if (!slash) return;
  slash[slash - out == 2 ? 1 : 0] = 0;
}

void DocumentsFolder(WCHAR* out) {
  out[0] = 0;
  if (EnvIsVistaOrLater()) {
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, out))) return;
  }
  GetSystemDirectoryW(out, kFdBufferChars);
}

// Filter pairs: description (decorated resource string), its terminator, the pattern, a second
// terminator; a final terminator closes the list.
void AppendFilter(DriverContext* ctx, WCHAR* filter, size_t* at, DWORD stringId, const WCHAR* pattern) {
  WCHAR text[260];
  if (EnvLoadString(ctx, stringId, text, 260, 1) <= 0) text[0] = 0;
  for (const WCHAR* part : {static_cast<const WCHAR*>(text), pattern}) {
    const size_t n = Length(part);
    if (*at + n + 2 >= kFdBufferChars) return;
    std::char_traits<WCHAR>::copy(filter + *at, part, n);
    *at += n;
    filter[(*at)++] = 0;
  }
  filter[*at] = 0;
}

}  // namespace

const WCHAR* FdGetFileFilter(const DialogDescriptor* dialog) {
  if (!dialog) return u"*.rst";
  const uint32_t kind = dialog->kindFlags;
  if (kind & 0x4000) {
    HWND combo = dialog->window ? GetDlgItem(dialog->window, kFileTypeCombo) : nullptr;
    const LRESULT sel = combo ? SendMessageW(combo, CB_GETCURSEL, 0, 0) : 0;
    return sel > 0 ? u"*.*" : u"*.qcm";
  }
  if (kind & kDialogFileRefer) return u"*.bmp";
  if ((kind & (kDialogRpoSave | kDialogRpoRefer)) || dialog->dialogId == 1037) return u"*.rpo";
  return u"*.rst";
}

int FdMatchFileFilter(const DialogDescriptor* dialog, const WCHAR* extension) {
  const WCHAR* pattern = FdGetFileFilter(dialog);
  if (std::u16string_view(pattern) == u"*.*") return 1;
  if (!extension || Length(extension) < 4 || extension[0] != pattern[1]) return 0;
  for (int i = 1; i < 4; ++i) {
    const WCHAR p = pattern[i + 1];
    if (extension[i] != p && extension[i] != static_cast<WCHAR>(towupper(p))) return 0;
  }
  return 1;
}

int FdFileExists(const WCHAR* path) {
  if (!path || !*path) return 0;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  CloseHandle(file);
  return 1;
}

void FdPrepareFileDialog(DriverContext* ctx, DialogDescriptor* dialog, OPENFILENAMEW* ofn) {
  const uint32_t kind = dialog->kindFlags;
  if (dialog->dialogId == 4001)
    ofn->Flags = OFN_NOLONGNAMES | OFN_ALLOWMULTISELECT | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
  else if (kind & kDialogRstOpenSave)
    ofn->Flags = OFN_PATHMUSTEXIST | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
  else
    ofn->Flags = OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
  auto* file = ofn->lpstrFile;
  auto* folder = const_cast<WCHAR*>(ofn->lpstrInitialDir);
  auto* title = const_cast<WCHAR*>(ofn->lpstrTitle);
  auto* filter = const_cast<WCHAR*>(ofn->lpstrFilter);
  title[0] = 0;
  size_t at = 0;
  DWORD titleId = 0;
  bool fixedFolder = false;
  auto initialFromControl = [&](uint16_t controlId, const WCHAR* pattern) {
    file[0] = 0;
    OptGetControlText(ctx, controlId, file, kFdBufferChars);
    if (!file[0]) Copy(file, pattern);
  };
  if (kind & (kDialogFileOpen | kDialogRstOpenSave)) {
    Copy(file, u"*.rst");
    AppendFilter(ctx, filter, &at, 376, u"*.rst");
    titleId = (kind & kDialogFileOpen) ? 5002 : 5003;
  } else if (kind & 0x4000) {
    initialFromControl(kControlProfileFile, u"*.qcm");
    AppendFilter(ctx, filter, &at, 918, u"*.qcm");
    AppendFilter(ctx, filter, &at, 920, u"*.*");
    titleId = 917;
  } else if (kind & kDialogFileRefer) {
    initialFromControl(kControlPictureFile, u"*.bmp");
    AppendFilter(ctx, filter, &at, 377, u"*.bmp");
    titleId = 5004;
  } else if (kind & (kDialogRpoSave | kDialogRpoRefer)) {
    file[0] = 0;
    if (kind & kDialogRpoSave) {
      OptionEntry* row = nullptr;
      OptGetValuePointer(ctx, kOptOverlayPath, &row);
      if (row) OptGetStringValue(ctx, row, file, kFdBufferChars);
      fixedFolder = file[0] != 0;
    } else {
      OptGetControlText(ctx, kControlOverlayFile, file, kFdBufferChars);
    }
    if (!file[0]) Copy(file, u"*.rpo");
    AppendFilter(ctx, filter, &at, 433, u"*.rpo");
    titleId = (kind & kDialogRpoSave) ? 5008 : 5009;
  } else if (kind & kDialogFileSave) {
    Copy(file, u"*.rst");
    AppendFilter(ctx, filter, &at, 376, u"*.rst");
    titleId = 5010;
  } else if (kind & kDialogFileCreation) {
    // The folder chooser: its folder is prepared by the caller's hook data (the spool folder).
    file[0] = 0;
    ofn->lpstrDefExt = nullptr;
    ofn->lpstrCustomFilter = nullptr;
    ofn->nFilterIndex = 0;
    GetWindowsDirectoryW(folder, kFdBufferChars);
    std::u16string_view windows(folder);
    std::u16string temp = std::u16string(windows) + u"\\temp";
    if (GetFileAttributesW(temp.c_str()) != INVALID_FILE_ATTRIBUTES) Copy(folder, temp.c_str());
    return;
  }
  if (titleId && EnvLoadString(ctx, titleId, title, kFdBufferChars, 1) <= 0) title[0] = 0;
  if (fixedFolder || FdFileExists(file))
    FolderOf(file, folder);
  else
    DocumentsFolder(folder);
}

BOOL FdRunBasicFileDialog(DriverContext* ctx, DialogDescriptor* dialog, OPENFILENAMEW* ofn, WCHAR* path) {
  const uint32_t kind = dialog->kindFlags;
  const BOOL ok = (kind & (kDialogRstOpenSave | kDialogFileSave)) ? GetSaveFileNameW(ofn) : GetOpenFileNameW(ofn);
  const DWORD error = CommDlgExtendedError();
  if (ok) {
    if (kind & 0x4000)
      OptSetControlText(ctx, kControlProfileFile, path);
    else if (kind & kDialogFileRefer)
      OptSetControlText(ctx, kControlPictureFile, path);
    else if (kind & kDialogRpoRefer)
      OptSetControlText(ctx, kControlOverlayFile, path);
    else if (kind & kDialogRpoSave) {
      OptionEntry* row = nullptr;
      OptGetValuePointer(ctx, kOptOverlayPath, &row);
      if (row) OptSetStringValue(ctx, row, path);
    }
  } else if (error) {
    UiClearRuleDialogGuard(ctx, 0, 0, 0, 1);
  }
  return ok;
}

const WCHAR* FdLookupHelpTopic(DWORD helpId) {
  if (!helpId) return nullptr;
  for (const HelpTopicEntry* row = OptGetHelpTopicTable(); row->helpId; ++row)
    if (row->helpId == helpId) return row->topic;
  return nullptr;
}
