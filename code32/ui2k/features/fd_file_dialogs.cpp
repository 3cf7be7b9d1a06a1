#include "fd_file_dialogs.h"

#include <cwctype>
#include <string_view>

#include "env_language.h"
#include "env_system.h"
#include "env_text.h"
#include "fm_modules_1_4.h"
#include "ini_file.h"
#include "option_access.h"
#include "option_table.h"
#include "preset_list.h"
#include "prn_data.h"
#include "quality_list.h"
#include "settings_paths.h"
#include "sheet_engine.h"

namespace {

constexpr uint16_t kOptOverlayPath = 976;       // wdmOvlPath
constexpr uint16_t kControlPictureFile = 2341;  // the stamp picture's file
constexpr uint16_t kControlProfileFile = 2825;  // the profile file of a colour-matching entry
constexpr uint16_t kControlOverlayFile = 2586;
constexpr int kFileTypeCombo = 1136;
constexpr uint16_t kOptSpoolDirectoryAll = 1138;  // wdmSpoolDirectoryAll
constexpr int kFolderReadChars = 260;             // a remembered folder is read back to 259 characters
constexpr int kAnsiPathBytes = 1024;
constexpr DWORD kSpoolDirectoryBytes = 2050;
constexpr WCHAR kUsedSection[] = u"ZOLT";
constexpr WCHAR kUsedKey[] = u"USED";

// The file-name offset of the last accepted file dialog; one per process, as the dialogs are.
WORD g_chosenNameOffset = 0;

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

// The option whose text a file dialog starts from and receives. The profile file is the edit of
// the colour-matching dialogs, found through them: its id also names a label of the margin dialog,
// which comes first in the dialog table and has no option.
OptionEntry* TargetOption(DriverContext* ctx, uint16_t controlId) {
  ControlDescriptor* control =
      controlId == kControlProfileFile ? FmGetCmmFileEdit(ctx) : OptFindControl(ctx, nullptr, controlId);
  return control ? control->option : nullptr;
}
void TargetText(DriverContext* ctx, uint16_t controlId, WCHAR* out) {
  out[0] = 0;
  if (OptionEntry* row = TargetOption(ctx, controlId)) OptGetStringValue(ctx, row, out, kFdBufferChars);
}
void SetTargetText(DriverContext* ctx, uint16_t controlId, const WCHAR* text) {
  if (OptionEntry* row = TargetOption(ctx, controlId)) OptSetStringValue(ctx, row, text);
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
  // One byte more than a path may take: a path that does not fit whole is not the file named.
  char ansi[kAnsiPathBytes + 2];
  if (!EnvWideToAnsi(ansi, path, sizeof ansi)) return 0;
  if (std::char_traits<char>::length(ansi) > kAnsiPathBytes) return 0;
  const HFILE file = _lopen(ansi, OF_READ);
  if (file == HFILE_ERROR) return 0;
  _lclose(file);
  return 1;
}

const WCHAR* FdGetFolderKey(const DialogDescriptor* dialog) {
  if (!dialog) return nullptr;
  const uint32_t kind = dialog->kindFlags;
  if (kind & kDialogFileOpen) return u"OpenFilePath";
  if (kind & kDialogRstOpenSave) return u"SaveFilePath";
  if (kind & 0x4000) return u"RefFile2Path";
  if (kind & kDialogFileRefer) return u"RefFilePath";
  if (kind & kDialogRpoRefer) return u"RporefPath";
  if (kind & kDialogFileSave) return u"RstSavePath";
  return nullptr;
}

int FdReadFileFolder(DriverContext* ctx, const DialogDescriptor* dialog, WCHAR* out) {
  if (!out) return 0;
  out[0] = 0;
  const WCHAR* key = FdGetFolderKey(dialog);
  const WCHAR* printer = ctx ? PrnGetName(ctx) : nullptr;
  if (!key || !printer) return 0;
  return IniReadString(printer, key, u"", out, kFolderReadChars, PathGetSettingsIni(ctx));
}

void FdRememberFileFolder(DriverContext* ctx, const DialogDescriptor* dialog, const WCHAR* path) {
  const WCHAR* key = FdGetFolderKey(dialog);
  const WCHAR* printer = ctx ? PrnGetName(ctx) : nullptr;
  if (!key || !printer || !path || !*path) return;
  WCHAR folder[kFdBufferChars];
  FolderOf(path, folder);
  IniWriteString(printer, key, folder, PathGetSettingsIni(ctx));
}

WCHAR* FdGetChosenFilePath(DriverContext* ctx) {
  SheetEngineState* state = ctx ? UiSheetState(ctx) : nullptr;
  return state ? state->chosenFilePath : nullptr;
}

void FdSetChosenFileNameOffset(WORD offset) { g_chosenNameOffset = offset; }

WORD FdGetChosenFileNameOffset() { return g_chosenNameOffset; }

int FdIsRegisteredSettingsFile(DriverContext* ctx, const WCHAR* path) {
  if (!ctx || !path || !*path) return 0;
  const WCHAR* printer = PrnGetName(ctx);
  const WCHAR* ini = PathGetSettingsIni(ctx);
  // Marks every listed file; the mark is found again through any written form of its path.
  auto markAll = [&](const WCHAR* mark) {
    if (!printer || !ini) return;
    WCHAR key[kPresetKeyChars];
    WCHAR file[kFdBufferChars];
    for (int i = 0, n = CfgGetPresetCount(ctx); i < n; ++i) {
      if (CfgPresetKey(key, i, kPresetKeyPath) <= 0) continue;
      IniReadString(printer, key, u"", file, kFdBufferChars, ini);
      if (file[0] && FdFileExists(file)) IniWriteString(kUsedSection, kUsedKey, mark, file);
    }
    for (int i = 0, n = CfgGetQualityCount(ctx); i < n; ++i) {
      if (CfgQualityKey(key, i) <= 0) continue;
      IniReadString(printer, key, u"", file, kFdBufferChars, ini);
      if (file[0] && FdFileExists(file)) IniWriteString(kUsedSection, kUsedKey, mark, file);
    }
  };
  markAll(u"1");
  const bool used = FdFileExists(path) && IniReadInt(kUsedSection, kUsedKey, 0, path) == 1;
  markAll(u"0");
  return used ? 1 : 0;
}

namespace {

// The folder for intermediate files: the driver's registry value, else the printer's data value
// (each created empty when missing), else the Windows folder's "temp", else the Windows folder.
void PrepareSpoolFolder(DriverContext* ctx, OPENFILENAMEW* ofn, WCHAR* folder) {
  OptSetValue(ctx, kOptSpoolDirectoryAll, 0);
  WCHAR value[kSpoolDirectoryBytes / sizeof(WCHAR) + 1] = {};
  if (!RegReadDriverValue(u"SpoolDirectory", value, kSpoolDirectoryBytes)) {
    value[0] = 0;
    RegWriteDriverString(u"SpoolDirectory", u"", sizeof(WCHAR));
  }
  value[kSpoolDirectoryBytes / sizeof(WCHAR)] = 0;
  if (value[0]) {
    OptSetValue(ctx, kOptSpoolDirectoryAll, 1);
  } else if (!PrnGetData(ctx->printer, value, kSpoolDirectoryBytes, u"SpoolDirectory", ctx)) {
    value[0] = 0;
    PrnSetData(ctx->printer, u"", sizeof(WCHAR), REG_SZ, u"SpoolDirectory", ctx);
  }
  value[kSpoolDirectoryBytes / sizeof(WCHAR)] = 0;
  if (value[0]) {
    Copy(folder, value);
  } else {
    WCHAR windows[kFdBufferChars] = {};
    GetWindowsDirectoryW(windows, kFdBufferChars);
    const std::u16string temp = std::u16string(windows) + u"\\temp";
    Copy(folder, GetFileAttributesW(temp.c_str()) != INVALID_FILE_ATTRIBUTES ? temp.c_str() : windows);
  }
  ofn->lpstrFile[0] = 0;
  ofn->lpstrDefExt = nullptr;
  ofn->lpstrCustomFilter = nullptr;
  ofn->nFilterIndex = 0;
}

}  // namespace

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
  bool remembered = false;   // the kind's remembered folder is asked for
  bool fixedFolder = false;  // the folder of the file text, whether that file exists or not
  // The file text of a control; empty: the pattern, and the remembered folder.
  auto initialFromControl = [&](uint16_t controlId, const WCHAR* pattern) {
    TargetText(ctx, controlId, file);
    if (!file[0]) {
      Copy(file, pattern);
      remembered = true;
    }
  };
  if (kind & (kDialogFileOpen | kDialogRstOpenSave)) {
    Copy(file, u"*.rst");
    AppendFilter(ctx, filter, &at, 376, u"*.rst");
    titleId = (kind & kDialogFileOpen) ? 5002 : 5003;
    remembered = true;
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
    if (kind & kDialogRpoSave) {
      file[0] = 0;
      OptionEntry* row = nullptr;
      OptGetValuePointer(ctx, kOptOverlayPath, &row);
      if (row) OptGetStringValue(ctx, row, file, kFdBufferChars);
      fixedFolder = file[0] != 0;
      if (!file[0]) Copy(file, u"*.rpo");
      // The store dialog remembers no folder: its key is none.
      remembered = !fixedFolder && FdGetFolderKey(dialog);
    } else {
      initialFromControl(kControlOverlayFile, u"*.rpo");
    }
    AppendFilter(ctx, filter, &at, 433, u"*.rpo");
    titleId = (kind & kDialogRpoSave) ? 5008 : 5009;
  } else if (kind & kDialogFileSave) {
    Copy(file, u"*.rst");
    AppendFilter(ctx, filter, &at, 376, u"*.rst");
    titleId = 5010;
    remembered = true;
  } else if (kind & kDialogFileCreation) {
    PrepareSpoolFolder(ctx, ofn, folder);
    return;
  }
  if (titleId && EnvLoadString(ctx, titleId, title, kFdBufferChars, 1) <= 0) title[0] = 0;
  if (remembered && !fixedFolder) {
    if (FdReadFileFolder(ctx, dialog, folder) <= 0 || !folder[0]) DocumentsFolder(folder);
  } else if (fixedFolder || FdFileExists(file)) {
    FolderOf(file, folder);
  } else {
    DocumentsFolder(folder);
  }
}

BOOL FdRunBasicFileDialog(DriverContext* ctx, DialogDescriptor* dialog, OPENFILENAMEW* ofn, WCHAR* path) {
  const uint32_t kind = dialog->kindFlags;
  const BOOL ok = (kind & (kDialogRstOpenSave | kDialogFileSave)) ? GetSaveFileNameW(ofn) : GetOpenFileNameW(ofn);
  const DWORD error = CommDlgExtendedError();
  if (ok) {
    if (kind & 0x4000)
      SetTargetText(ctx, kControlProfileFile, path);
    else if (kind & kDialogFileRefer)
      SetTargetText(ctx, kControlPictureFile, path);
    else if (kind & kDialogRpoRefer)
      SetTargetText(ctx, kControlOverlayFile, path);
    else if (kind & kDialogRpoSave) {
      OptionEntry* row = nullptr;
      OptGetValuePointer(ctx, kOptOverlayPath, &row);
      if (row) OptSetStringValue(ctx, row, path);
    }
    if (kind & kDialogFileCreation) return ok;
    const WORD offset = ofn->nFileOffset;
    const size_t length = Length(path);
    if (offset > 0 && offset <= length && path[offset - 1] == u' ') {
      // Several files: "folder name1 name2 ..."; the folder is what is remembered.
      std::u16string folder(path, offset - 1);
      if (folder.empty() || folder.back() != u'\\') folder += u'\\';
      FdRememberFileFolder(ctx, dialog, folder.c_str());
    } else {
      FdRememberFileFolder(ctx, dialog, path);
    }
    if (WCHAR* chosen = FdGetChosenFilePath(ctx)) Copy(chosen, path);
    FdSetChosenFileNameOffset(offset);
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
