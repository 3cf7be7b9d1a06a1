// The administrator's installation file: the tests for set-up keys, the folder and spool keys,
// the user code, identities and authentication values, the scenario it names or the driver's
// own, and the marks that record what was handled.
#include "admin_install.h"

#include <cstring>
#include <string>
#include <vector>

#include "devmode_fields.h"
#include "env_language.h"
#include "env_mutex.h"
#include "env_system.h"
#include "env_text.h"
#include "feature_modules.h"
#include "ini_file.h"
#include "install_defaults.h"
#include "job_control.h"
#include "mdl_compile.h"
#include "option_access.h"
#include "option_store.h"
#include "option_values.h"
#include "path_files.h"
#include "prn_data.h"
#include "scenario_install.h"
#include "settings_paths.h"
#include "settings_upgrade.h"

namespace {

constexpr uint16_t kOptUserId = 202;        // zdmUserID
constexpr uint16_t kOptUserCode = 203;      // zdmUserCode
constexpr uint16_t kOptOwnerName = 204;     // zdmOwnerName
constexpr uint16_t kOptLogCodeUse = 10002;  // zdmLogCodeUse
constexpr uint16_t kOptLogCode = 10003;     // zdmLogCode

constexpr WORD kFeatureJobControlValues = 0;

// Job-control item masks.
constexpr DWORD kItemUserCode = 0x1;
constexpr DWORD kItemOwner = 0x2;
constexpr DWORD kItemUserId = 0x8;
constexpr DWORD kItemAuthUserName = 0x800;
constexpr DWORD kItemNetworkKey = 0x2000;
constexpr DWORD kItemsOfScenario = 0x789E;
constexpr DWORD kJcAuthUserNameCode = 9;

// Longest values taken (characters, terminator not counted).
constexpr int kUserCodeChars = 8;
constexpr int kUserIdBytes = 8;
constexpr int kOwnerIdBytes = 16;
constexpr int kNetworkKeyBytes = 32;
constexpr int kUserNameBytes = 128;
constexpr int kPathChars = MAX_PATH - 1;
// Room the folder keys keep for what is appended later.
constexpr int kSharedDirReserve = 46;
constexpr int kSpoolDirReserve = 21;

// Key refresh modes of the settings file's scenario keys.
constexpr DWORD kRefreshDriverScenario = 1;
constexpr DWORD kRefreshAdminScenario = 3;
constexpr DWORD kRefreshDropBatchRst = 4;

constexpr DWORD kScenarioListFlag = 0x100;
constexpr DWORD kAdminPresetFlags = 0x102;

// A value as read: not given ("*" or missing with that default), given (possibly empty), or
// given but longer than its key takes.
enum class Given { No, Yes, TooLong };

// Reads key with default def; a value longer than limit characters is reported, never cut.
Given ReadKey(const WCHAR* file, const WCHAR* section, const WCHAR* key, const WCHAR* def, std::u16string& out,
              int limit) {
  std::vector<WCHAR> buffer(static_cast<size_t>(limit) + 2, u'\0');
  IniReadString(section, key, def, buffer.data(), limit + 2, file);
  out.assign(buffer.data());
  if (def[0] && out == def) return Given::No;
  return out.size() > static_cast<size_t>(limit) ? Given::TooLong : Given::Yes;
}

void DeleteKey(const WCHAR* file, const WCHAR* section, const WCHAR* key) {
  IniWriteString(section, key, nullptr, file);
}

std::string ToAnsi(const std::u16string& text) {
  std::vector<char> bytes(text.size() * 2 + 2, '\0');
  EnvWideToAnsi(bytes.data(), text.c_str(), static_cast<int>(bytes.size()));
  return std::string(bytes.data());
}

// An ASCII letter-and-digit text of at most maxBytes ANSI bytes.
bool IsAlnumOfAtMost(const std::u16string& text, size_t maxBytes) {
  const std::string ansi = ToAnsi(text);
  return ansi.size() == text.size() && ansi.size() <= maxBytes && MdlIsAlphanumeric(ansi.c_str());
}

void SetText(DriverContext* ctx, uint16_t id, const WCHAR* text) {
  if (OptionEntry* row = OptFind(ctx, id)) OptSetStringValue(ctx, row, text);
}
std::u16string GetText(DriverContext* ctx, uint16_t id) {
  WCHAR text[kUserNameBytes + 2] = {};
  if (OptionEntry* row = OptFind(ctx, id)) OptGetStringValue(ctx, row, text, kUserNameBytes + 2);
  return text;
}
// The authentication modes go through their displayed values.
void SetMode(DriverContext* ctx, uint16_t id, int32_t value) {
  if (OptionEntry* row = OptFind(ctx, id)) OptWriteUiValue(ctx, row, OptToUiValue(ctx, row, value));
}
void WriteOptionToPrinterData(DriverContext* ctx, uint16_t id) {
  if (OptionEntry* row = OptFind(ctx, id)) PrnWriteOption(ctx->printer, ctx, row);
}

bool IsAbsolute(const WCHAR* path) { return path && path[0] && path[1] == u':'; }

// A leading variable replaced by text (the variable's name compared without case).
bool ReplaceLeading(std::u16string& path, std::u16string_view variable, const std::u16string& text) {
  if (path.size() < variable.size()) return false;
  const std::u16string head = path.substr(0, variable.size()), name(variable);
  if (lstrcmpiW(head.c_str(), name.c_str()) != 0) return false;
  path = text + path.substr(variable.size());
  return true;
}
std::u16string WindowsDirectory() {
  WCHAR dir[MAX_PATH] = {};
  PathGetSystemWindowsDir(dir, MAX_PATH);
  return dir;
}
void ExpandSystemDrive(std::u16string& path) {
  ReplaceLeading(path, u"%SYSTEMDRIVE%", WindowsDirectory().substr(0, 2));
}

// The folder exists (a final backslash does not matter).
bool FolderExists(std::u16string path) {
  while (path.size() > 3 && path.back() == u'\\') path.pop_back();
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The global mutex, taken without a context, for the folder passes.
struct MutexGuard {
  MutexGuard() { EnvLockGlobalMutex(nullptr); }
  ~MutexGuard() { EnvUnlockGlobalMutex(nullptr); }
};

bool SectionOf(DriverContext* ctx, WCHAR (&section)[kCtxPathChars]) {
  const WCHAR* name = PrnGetName(ctx);
  if (!name || !name[0]) return false;
  lstrcpynW(section, name, kCtxPathChars);
  return true;
}

// Marks written into the installation file after its read-only attribute was cleared.
void MarkAdminIni(const WCHAR* file, const WCHAR* section, const WCHAR* key) {
  PathClearReadOnly(file);
  IniWriteIntKey(section, key, 1, file);
}

}  // namespace

// ---- paths and tests -----------------------------------------------------------------------------

int PathGetAdminIniInto(WCHAR* buf, int size) {
  if (!buf || size < MAX_PATH) return 0;
  return PathInSystemDir(buf, size, kAdminIniName) && buf[0] ? 1 : 0;
}

const WCHAR* PathGetAdminIni(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return nullptr;
  WCHAR* path = ctx->workArea->installFilePath;
  if (!PathGetAdminIniInto(path, kCtxPathChars)) return nullptr;
  return path;
}

int CfgSectionLacksSetupKeys(const WCHAR* file, const WCHAR* section) {
  if (!file || !section) return 0;
  std::u16string value;
  for (const WCHAR* key : {kAdminDefaultRstKey, kAdminSetUserIdKey, kAdminSetOwnerIdKey}) {
    ReadKey(file, section, key, u"", value, kPathChars);
    if (!value.empty()) return 0;
  }
  std::vector<const WCHAR*> starred = {kAdminSetUserCodeKey, kAdminSharedDirKey, kAdminClientDirKey};
  if (FmIsFeatureEnabled(nullptr, kFeatureJobControlValues, 0))
    starred.insert(starred.end(),
                   {kAdminAuthModeKey, kAdminAuthSecureModeKey, kAdminAuthNetworkKeyKey, kAdminAuthUserNameKey});
  for (const WCHAR* key : starred)
    if (ReadKey(file, section, key, kAdminNotGiven, value, kPathChars) != Given::No) return 0;
  return 1;
}

int CfgBatchIniHasSettings(const WCHAR* printerName) {
  WCHAR file[MAX_PATH] = {};
  if (!printerName || !PathGetAdminIniInto(file, MAX_PATH) || !PathIsFilePresent(file)) return 0;
  return CfgSectionLacksSetupKeys(file, printerName) ? 0 : 1;
}

int CfgDriverIniHasSettings(const WCHAR* printerName, HANDLE printer) {
  WCHAR file[MAX_PATH] = {};
  if (!printerName || !PathGetDriverIniOf(printer, file) || !PathIsFilePresent(file)) return 0;
  return CfgSectionLacksSetupKeys(file, printerName) ? 0 : 1;
}

int CfgBatchIniHasSection(HANDLE printer) {
  WCHAR file[MAX_PATH] = {}, section[kCtxPathChars] = {};
  if (!PathGetAdminIniInto(file, MAX_PATH) || !PathIsFilePresent(file)) return 0;
  if (!PrnGetSectionNameOf(printer, section, kCtxPathChars) || !section[0]) return 0;
  WCHAR start[16] = {};
  GetPrivateProfileSectionW(IniReplaceBrackets(section), start, 16, file);
  if (!start[0]) return 0;
  return CfgSectionLacksSetupKeys(file, section) ? 0 : 1;
}

int CfgAdminIniHasSetup(DriverContext* ctx) {
  const WCHAR* file = PathGetAdminIni(ctx);
  WCHAR section[kCtxPathChars] = {};
  if (!file || !PathIsFilePresent(file) || !SectionOf(ctx, section)) return 0;
  return CfgSectionLacksSetupKeys(file, section) ? 0 : 1;
}

namespace {

// "DefaultRst" of file [section]: a path that does not fit is not taken.
int ReadDefaultRst(WCHAR* out, const WCHAR* file, const WCHAR* section) {
  out[0] = u'\0';
  if (!file || !section) return 0;
  std::u16string value;
  if (ReadKey(file, section, kAdminDefaultRstKey, u"", value, kPathChars) != Given::Yes || value.empty()) return 0;
  lstrcpynW(out, value.c_str(), MAX_PATH);
  return 1;
}

}  // namespace

int CfgReadBatchDefaultRst(WCHAR* out, DriverContext* ctx) {
  if (!out) return 0;
  out[0] = u'\0';
  const WCHAR* file = PathGetAdminIni(ctx);
  WCHAR section[kCtxPathChars] = {};
  if (!IsAbsolute(file) || !SectionOf(ctx, section)) return 0;
  return ReadDefaultRst(out, file, section);
}

int CfgReadSettingsDefaultRst(WCHAR* out, DriverContext* ctx) {
  if (!out) return 0;
  out[0] = u'\0';
  const WCHAR* file = PathGetSettingsIni(ctx);
  WCHAR section[kCtxPathChars] = {};
  if (!IsAbsolute(file) || !SectionOf(ctx, section)) return 0;
  return ReadDefaultRst(out, file, section);
}

int CfgReadDriverDefaultRst(WCHAR* out, DriverContext* ctx) {
  if (!out) return 0;
  out[0] = u'\0';
  const WCHAR* file = PathGetDriverIni(ctx);
  const WCHAR* section = CfgLanguageSection(ctx);
  if (!IsAbsolute(file) || !section || !section[0]) return 0;
  return ReadDefaultRst(out, file, section);
}

WCHAR* PathCompleteFromDriverDir(WCHAR* path, int size, DriverContext* ctx) {
  if (!path || size <= 0 || IsAbsolute(path) || !path[0]) return path;
  const WCHAR* folder = PathGetDriverDir(ctx);
  if (!folder || !folder[0]) return path;
  const std::u16string full = std::u16string(folder) + path;
  // A path that does not fit stays as it was rather than being cut into another name.
  if (full.size() < static_cast<size_t>(size)) lstrcpynW(path, full.c_str(), size);
  return path;
}

int PathIsUsableSettingsFile(const WCHAR* path) {
  int length = 0;
  if (!path || !PathGetBaseNameLength(path, &length) || length <= 0) return 0;
  return PathHasShortExtension(path) && PathIsFilePresent(path) ? 1 : 0;
}

int PathIsScenarioFile(const WCHAR* path) {
  int length = 0;
  const WCHAR* extension = path ? PathGetExtension(path, &length) : nullptr;
  if (!extension || length < 1 || length > 3) return 0;
  return lstrcmpiW(extension, u"rsb") == 0 && PathIsFilePresent(path) ? 1 : 0;
}

// ---- marks ---------------------------------------------------------------------------------------

int CfgWriteBatchInstallDone(const WCHAR* file, const WCHAR* section, int value) {
  IniWriteIntKey(section, kAdminBatchInstallDoneKey, value, file);
  return 1;
}

int CfgWriteDrvInstSet(const WCHAR* file, const WCHAR* section, int value) {
  IniWriteIntKey(section, kAdminDrvInstSetKey, value, file);
  return 1;
}

int CfgIsDrvInstSet(const WCHAR* file, const WCHAR* section) {
  if (!file || !section) return 0;
  const UINT value = IniReadInt(section, kAdminDrvInstSetKey, 0x7FFF, file);
  return value != 0 && value != 0x7FFF ? 1 : 0;
}

int PrnWriteBatchInstallDone(HANDLE printer, DWORD value, DriverContext* ctx) {
  return PrnSetBinary(printer, &value, sizeof value, kAdminBatchInstallDoneKey, ctx);
}

int PrnReadBatchInstallDone(HANDLE printer, DWORD* value, DriverContext* ctx) {
  DWORD read = 0;
  if (!value || !PrnGetData(printer, &read, sizeof read, kAdminBatchInstallDoneKey, ctx)) return 0;
  *value = read;
  return 1;
}

int CfgMarkBatchInstallDone(const WCHAR* settingsFile, const WCHAR* section, int value, int withPrinterData,
                            DriverContext* ctx) {
  if (settingsFile && section) IniWriteIntKey(section, kAdminBatchInstallDoneKey, value, settingsFile);
  if (withPrinterData && ctx) PrnWriteBatchInstallDone(ctx->printer, static_cast<DWORD>(value), ctx);
  return 1;
}

// ---- folder keys ---------------------------------------------------------------------------------

int CfgApplyDirectoryKeys(HANDLE printer, const WCHAR* section, const WCHAR* file, const PRINTER_INFO_2W* pi2,
                          int keepTimeMode) {
  if (!section || !file || !PathIsFilePresent(file)) return 1;
  MutexGuard lock;
  std::u16string value;

  const Given shared = ReadKey(file, section, kAdminSharedDirKey, kAdminNotGiven, value, kPathChars);
  if (shared == Given::Yes && value.empty()) {
    RegWriteDriverString(kSharedDirValue, u"", sizeof(WCHAR));
  } else if (shared == Given::Yes) {
    ReplaceLeading(value, u"%SYSTEMDRIVE%", WindowsDirectory().substr(0, 2));
    ReplaceLeading(value, u"%SYSTEMROOT%", WindowsDirectory());
    if (value.size() < MAX_PATH && FolderExists(value)) {
      if (value.back() != u'\\' && value.size() + 1 < MAX_PATH) value += u'\\';
      if (value.size() + kSharedDirReserve < MAX_PATH) {
        value += kSettingsFolderWord;
        RegWriteDriverString(kSharedDirValue, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
      }
    }
  }
  if (shared != Given::No) IniWriteStringKeepTime(section, kAdminSharedDirKey, nullptr, file, keepTimeMode);

  // The client folder belongs to a local printer only.
  bool local = false;
  if (pi2) {
    local = PrnInfoIsLocal(pi2) != 0;
  } else {
    local = PrnIsLocalPrinterHandle(printer) != 0;
  }
  if (local) {
    const Given client = ReadKey(file, section, kAdminClientDirKey, kAdminNotGiven, value, kPathChars);
    if (client == Given::Yes)
      PrnSetString(printer, value.c_str(), static_cast<DWORD>(value.size() * sizeof(WCHAR)), kClientSharedDirValue,
                   nullptr);
    if (client != Given::No) IniWriteStringKeepTime(section, kAdminClientDirKey, nullptr, file, keepTimeMode);
  }
  return 1;
}

int CfgApplyDriverIniDirectoryKeys(HANDLE printer, const WCHAR* section, DriverContext* ctx) {
  const WCHAR* file = PathGetDriverIni(ctx);
  return CfgApplyDirectoryKeys(printer, section, file, ctx && ctx->workArea ? ctx->workArea->printerInfo2 : nullptr,
                               kKeepTimeIfKnown);
}

int CfgApplyAdminIniDirectoryKeys(HANDLE printer, const WCHAR* section, const PRINTER_INFO_2W* pi2) {
  WCHAR file[MAX_PATH] = {};
  if (!PathGetAdminIniInto(file, MAX_PATH)) return 0;
  return CfgApplyDirectoryKeys(printer, section, file, pi2, kKeepTimeAlways);
}

int CfgApplySpoolDirectoryKeys(const WCHAR* file, const WCHAR* section, DriverContext* ctx, int keepTimeMode) {
  if (!file || !section || !PathIsFilePresent(file)) return 1;
  MutexGuard lock;
  std::u16string folder, all;
  const Given given = ReadKey(file, section, kAdminSpoolDirKey, kAdminNotGiven, folder, kPathChars);
  ReadKey(file, section, kAdminSpoolDirAllKey, u"OFF", all, 31);
  const bool machineWide = lstrcmpiW(all.c_str(), u"ON") == 0;
  if (given == Given::Yes && folder.empty()) {
    if (machineWide) RegWriteDriverString(kSpoolDirectoryValue, u"", sizeof(WCHAR));
  } else if (given == Given::Yes) {
    ExpandSystemDrive(folder);
    if (FolderExists(folder) && folder.size() + kSpoolDirReserve < MAX_PATH) {
      const DWORD bytes = static_cast<DWORD>((folder.size() + 1) * sizeof(WCHAR));
      if (machineWide)
        RegWriteDriverString(kSpoolDirectoryValue, folder.c_str(), bytes);
      else if (ctx)
        PrnSetString(ctx->printer, folder.c_str(), bytes, kSpoolDirectoryValue, ctx);
    }
  }
  if (given != Given::No) IniWriteStringKeepTime(section, kAdminSpoolDirKey, nullptr, file, keepTimeMode);
  IniWriteStringKeepTime(section, kAdminSpoolDirAllKey, nullptr, file, keepTimeMode);
  return 1;
}

// ---- user code and identities --------------------------------------------------------------------

int CfgApplyAdminUserCode(const WCHAR* file, const WCHAR* section, int32_t* touched, DriverContext* ctx) {
  if (touched) *touched = 0;
  if (!ctx || !ctx->workArea) return 1;
  ctx->workArea->installUserCodeSet = 0;
  std::u16string value;
  const Given given = ReadKey(file, section, kAdminSetUserCodeKey, kAdminNotGiven, value, kUserCodeChars);
  const std::string code = given == Given::Yes ? ToAnsi(value) : std::string();
  const bool clear = given == Given::Yes && value.empty();
  const bool valid = given == Given::Yes && code.size() == value.size() && MdlIsNumberToken(code.c_str());

  if (clear || valid) {
    if (clear) {
      CfgWriteInstallUserCode(ctx, kInstUserCodeCleared);
      CtxSetUserCodeFIX(ctx, 0);
    }
    OptSetValue(ctx, kOptLogCodeUse, clear ? 0 : 1);
    SetText(ctx, kOptLogCode, value.c_str());
    SetText(ctx, kOptUserCode, value.c_str());
    JcWriteItemsInSession(ctx, kItemUserCode);
    JcSaveItemsToPrinterData(ctx, kItemUserCode);
    WriteOptionToPrinterData(ctx, kOptLogCodeUse);
    WriteOptionToPrinterData(ctx, kOptLogCode);
    ctx->workArea->installUserCodeSet = 1;
    CtxSetPrintLog(ctx, clear ? 0 : 1);
  } else {
    // Not given, or not a user code (other characters, too long): nothing but the mark changes.
    CtxSetPrintLog(ctx, 0);
  }
  if (given != Given::No && touched) *touched = 1;
  DeleteKey(file, section, kAdminSetUserCodeKey);
  return 1;
}

int CfgApplyAdminIdentity(const WCHAR* file, const WCHAR* section, DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  BYTE& flags = ctx->workArea->installIdentityFlags;
  flags = 0;
  DWORD items = 0;
  bool modeApplied = false;
  int present = 0;
  std::u16string value;

  if (ReadKey(file, section, kAdminSetUserIdKey, u"", value, kUserIdBytes) != Given::No && !value.empty()) {
    present = 1;
    if (value.size() <= kUserIdBytes && IsAlnumOfAtMost(value, kUserIdBytes)) {
      SetText(ctx, kOptUserId, value.c_str());
      items |= kItemUserId;
    }
    DeleteKey(file, section, kAdminSetUserIdKey);
  }
  if (ReadKey(file, section, kAdminSetOwnerIdKey, u"", value, kOwnerIdBytes) != Given::No && !value.empty()) {
    present = 1;
    if (value.size() <= kOwnerIdBytes && ToAnsi(value).size() <= kOwnerIdBytes) {
      SetText(ctx, kOptOwnerName, value.c_str());
      items |= kItemOwner;
    }
    DeleteKey(file, section, kAdminSetOwnerIdKey);
  }

  if (FmIsFeatureEnabled(ctx, kFeatureJobControlValues, 0)) {
    auto setModes = [&](bool secureToo) {
      if (secureToo) {
        SetMode(ctx, kOptAuthSecureMode, 1);
        DeleteKey(file, section, kAdminAuthSecureModeKey);
      }
      SetMode(ctx, kOptAuthMode, 1);
      DeleteKey(file, section, kAdminAuthModeKey);
      modeApplied = true;
    };

    Given given = ReadKey(file, section, kAdminAuthNetworkKeyKey, kAdminNotGiven, value, kNetworkKeyBytes);
    if (given != Given::No) {
      present = 1;
      bool applied = false;
      if (given == Given::Yes && value.empty()) {
        SetText(ctx, kOptAuthNetworkKey, u"");
        flags |= kIdentityAuthMode | kIdentitySecureMode | kIdentityNetworkKey | kIdentityNetworkKeyEmpty;
        applied = true;
      } else if (given == Given::Yes && IsAlnumOfAtMost(value, kNetworkKeyBytes)) {
        SetText(ctx, kOptAuthNetworkKey, value.c_str());
        flags |= kIdentityAuthMode | kIdentitySecureMode | kIdentityNetworkKey;
        applied = true;
      }
      if (applied) {
        items |= kItemNetworkKey;
        setModes(true);
      }
      // The key's text does not stay in the file, not even until the deletion is flushed.
      IniWriteString(section, kAdminAuthNetworkKeyKey, u" ", file);
      DeleteKey(file, section, kAdminAuthNetworkKeyKey);
    }

    given = ReadKey(file, section, kAdminAuthSecureModeKey, kAdminNotGiven, value, 1);
    if (given != Given::No) {
      present = 1;
      if (given == Given::Yes && (value.empty() || value == u"0" || value == u"1")) {
        SetMode(ctx, kOptAuthSecureMode, value == u"1" ? 1 : 0);
        flags |= kIdentityAuthMode | kIdentitySecureMode;
        setModes(false);
      }
      DeleteKey(file, section, kAdminAuthSecureModeKey);
    }

    given = ReadKey(file, section, kAdminAuthUserNameKey, kAdminNotGiven, value, kUserNameBytes);
    if (given != Given::No) {
      present = 1;
      bool applied = false;
      if (given == Given::Yes && value.empty()) {
        SetText(ctx, kOptAuthUserName, u"");
        flags |= kIdentityAuthMode | kIdentityUserName | kIdentityUserNameEmpty;
        applied = true;
      } else if (given == Given::Yes && IsAlnumOfAtMost(value, kUserNameBytes)) {
        SetText(ctx, kOptAuthUserName, value.c_str());
        flags |= kIdentityAuthMode | kIdentityUserName;
        applied = true;
      }
      if (applied) {
        items |= kItemAuthUserName;
        setModes(false);
      }
      DeleteKey(file, section, kAdminAuthUserNameKey);
    }

    given = ReadKey(file, section, kAdminAuthModeKey, kAdminNotGiven, value, 1);
    if (given != Given::No) {
      present = 1;
      if (given == Given::Yes && (value.empty() || value == u"0" || value == u"1")) {
        SetMode(ctx, kOptAuthMode, value == u"1" ? 1 : 0);
        flags |= kIdentityAuthMode;
        modeApplied = true;
      }
      DeleteKey(file, section, kAdminAuthModeKey);
    }
  }

  if (items || modeApplied) {
    if (items) {
      if (flags & kIdentityNetworkKeyEmpty) {
        JcWriteItemsInSession(ctx, kItemNetworkKey);
        items &= ~kItemNetworkKey;
      }
      if (flags & kIdentityUserNameEmpty) {
        JcDeleteItem(ctx, kJcAuthUserNameCode);
        items &= ~kItemAuthUserName;
      }
      JcWriteItemsInSession(ctx, items);
      JcSaveItemsToPrinterData(ctx, items);
    }
    MarkAdminIni(file, section, kAdminDrvInstSetKey);
  }
  return present;
}

// ---- the installation-file pass and the scenarios ------------------------------------------------

int CfgApplyAdminIni(DriverContext* ctx) {
  const WCHAR* adminIni = PathGetAdminIni(ctx);
  WCHAR section[kCtxPathChars] = {};
  if (!adminIni || !PathIsFilePresent(adminIni) || !SectionOf(ctx, section)) return 0;
  WCHAR file[MAX_PATH] = {};
  lstrcpynW(file, adminIni, MAX_PATH);

  int result = 1;
  if (!CfgSectionLacksSetupKeys(file, section)) {
    WCHAR scenario[MAX_PATH] = {};
    if (CfgReadBatchDefaultRst(scenario, ctx)) {
      PathCompleteFromDriverDir(scenario, MAX_PATH, ctx);
      if (scenario[0]) {
        const WCHAR* language = CfgLanguageSection(ctx);
        CfgInstallScenarioPresets(scenario, language, kAdminPresetFlags, ctx, 0, nullptr);
        CfgInstallScenarioQualities(scenario, language, kAdminPresetFlags, ctx, 0, nullptr);
      }
    } else {
      result = 0;
      MarkAdminIni(file, section, kAdminBatchInstallDoneKey);
      CfgMarkBatchInstallDone(PathGetSettingsIni(ctx), section, 1, 1, ctx);
    }
  }

  int32_t touched = 0;
  CfgApplyAdminUserCode(file, section, &touched, ctx);
  CfgApplyAdminIdentity(file, section, ctx);
  ctx->workArea->installLogCodeFixed = (CtxGetPrintLog(ctx) || touched == 1) ? 1 : 0;
  CfgApplySpoolDirectoryKeys(PathGetDriverIni(ctx), section, ctx, kKeepTimeIfKnown);
  CfgApplySpoolDirectoryKeys(file, section, ctx, kKeepTimeAlways);
  return result;
}

int CfgApplyAdminScenario(DWORD flags, DriverContext* ctx, int perUserRefresh) {
  const WCHAR* adminIni = PathGetAdminIni(ctx);
  WCHAR section[kCtxPathChars] = {}, file[MAX_PATH] = {};
  if (!adminIni || !SectionOf(ctx, section) || !ctx->settingsImage) return 0;
  lstrcpynW(file, adminIni, MAX_PATH);
  const bool hasSetup = PathIsFilePresent(file) && !CfgSectionLacksSetupKeys(file, section);
  const bool terminalServer = EnvIsTerminalServerMode(ctx->printer) != 0;
  if (!hasSetup) {
    const bool refreshed = perUserRefresh && terminalServer && PathIsFilePresent(file) &&
                           IniReadInt(section, kAdminBatchInstallDoneKey, 0, file) != 0;
    if (!refreshed) return 0;
  }

  const DWORD imageSize = DmGetImageSize();
  std::vector<BYTE> keptImage(imageSize);
  WCHAR scenario[MAX_PATH] = {};
  const bool found = (!hasSetup && terminalServer) ? CfgReadSettingsDefaultRst(scenario, ctx) != 0
                                                   : CfgReadBatchDefaultRst(scenario, ctx) != 0;
  if (!found) {
    CfgRefreshDriverDefaultKeys(ctx, kRefreshDropBatchRst, nullptr);
    return 0;
  }

  int result = 0;
  PathCompleteFromDriverDir(scenario, MAX_PATH, ctx);
  const WCHAR* language = CfgLanguageSection(ctx);
  const bool jobValues = FmIsFeatureEnabled(ctx, kFeatureJobControlValues, 0) != 0;
  const BYTE identity = ctx->workArea->installIdentityFlags;
  if (language && language[0] && PathIsUsableSettingsFile(scenario)) {
    std::memcpy(keptImage.data(), ctx->settingsImage, imageSize);
    const std::u16string userId = GetText(ctx, kOptUserId), owner = GetText(ctx, kOptOwnerName);
    const std::u16string networkKey = GetText(ctx, kOptAuthNetworkKey), userName = GetText(ctx, kOptAuthUserName);
    const int32_t authMode = OptGetUiValue(ctx, kOptAuthMode, nullptr);
    const int32_t secureMode = OptGetUiValue(ctx, kOptAuthSecureMode, nullptr);

    CfgLoadScenarioDefaults(scenario, language, ctx);
    if (!userId.empty()) SetText(ctx, kOptUserId, userId.c_str());
    if (!owner.empty()) SetText(ctx, kOptOwnerName, owner.c_str());
    if (jobValues && (identity & kIdentityNetworkKey)) SetText(ctx, kOptAuthNetworkKey, networkKey.c_str());
    if (jobValues && (identity & kIdentityUserName)) SetText(ctx, kOptAuthUserName, userName.c_str());

    if (CfgInstallScenarioLists(scenario, language, flags | kScenarioListFlag, ctx)) {
      if (jobValues && (identity & kIdentityAuthMode)) OptSetUiValue(ctx, kOptAuthMode, authMode);
      if (jobValues && (identity & kIdentitySecureMode)) OptSetUiValue(ctx, kOptAuthSecureMode, secureMode);
      CfgRefreshDriverDefaultKeys(ctx, kRefreshAdminScenario, scenario);
      result = 1;
    } else {
      std::memcpy(ctx->settingsImage, keptImage.data(), imageSize);
    }
  } else {
    CfgRefreshDriverDefaultKeys(ctx, kRefreshDropBatchRst, nullptr);
  }

  if (result == 1) {
    CfgLoadScenarioFreeSizes(scenario, language, ctx);
    CfgLoadScenarioStamps(scenario, language, ctx);
    DWORD items = kItemsOfScenario;
    WCHAR stillNamed[MAX_PATH] = {};
    if (ctx->workArea->installUserCodeSet == 0 && CfgReadBatchDefaultRst(stillNamed, ctx)) {
      const WCHAR* field = OptGetFieldName(ctx, kOptUserCode);
      std::u16string code;
      if (field && ReadKey(scenario, language, field, u"", code, kUserCodeChars) == Given::Yes && !code.empty() &&
          MdlIsNumberToken(ToAnsi(code).c_str())) {
        CtxSetPrintLog(ctx, 0);
        items |= kItemUserCode;
      }
    }
    JcWriteItemsInSession(ctx, items);
    JcSaveItemsToPrinterData(ctx, items);
    MarkAdminIni(file, section, kAdminDrvInstSetKey);
    if (items & kItemUserCode) {
      WriteOptionToPrinterData(ctx, kOptLogCodeUse);
      WriteOptionToPrinterData(ctx, kOptLogCode);
    }
  }

  // Whatever became of it, the named scenario is not tried again.
  MarkAdminIni(file, section, kAdminBatchInstallDoneKey);
  CfgMarkBatchInstallDone(PathGetSettingsIni(ctx), section, 1, 1, ctx);
  IniWriteString(section, kAdminDefaultRstNameKey, scenario, file);
  DeleteKey(file, section, kAdminDefaultRstKey);
  return result;
}

int CfgApplyDriverScenario(DWORD flags, int type, DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  WCHAR section[kCtxPathChars] = {};
  SectionOf(ctx, section);
  WCHAR scenario[MAX_PATH] = {};
  CfgReadDriverDefaultRst(scenario, ctx);
  PathCompleteFromDriverDir(scenario, MAX_PATH, ctx);
  const WCHAR* language = CfgLanguageSection(ctx);
  if (scenario[0] && language && language[0] && PathIsScenarioFile(scenario)) {
    const int installed = CfgInstallScenarioLists(scenario, language, flags, ctx) ? 1 : 0;
    CfgMarkBatchInstallDone(PathGetSettingsIni(ctx), section, installed, type != 2, ctx);
    CtxSetBatchInst(ctx, static_cast<BYTE>(installed));
    CfgRefreshDriverDefaultKeys(ctx, kRefreshDriverScenario, scenario);
  }
  CfgRefreshDriverDefaultKeys(ctx, kRefreshDropBatchRst, nullptr);
  WCHAR adminIni[MAX_PATH] = {};
  if (section[0] && PathGetAdminIniInto(adminIni, MAX_PATH) && PathIsFilePresent(adminIni)) {
    DeleteKey(adminIni, section, kAdminDefaultRstNameKey);
    DeleteKey(adminIni, section, kAdminBatchInstallDoneKey);
  }
  return 1;
}
