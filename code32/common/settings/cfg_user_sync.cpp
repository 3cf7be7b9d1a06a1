// Per-user and per-client synchronisation: the installation stamps, the comparison that finds a
// per-user copy missing or stale, its refresh, the list files and batch defaults carried into the
// per-user folder, and the version check of a client connection's settings.
#include "user_sync.h"

#include <string>
#include <vector>

#include "admin_install.h"
#include "context_services.h"
#include "core_memory.h"
#include "csr_cleanup.h"
#include "default_section.h"
#include "devmode_record.h"
#include "env_language.h"
#include "env_mutex.h"
#include "env_system.h"
#include "ini_file.h"
#include "job_control.h"
#include "option_store.h"
#include "option_values.h"
#include "path_files.h"
#include "preset_list.h"
#include "print_notification.h"
#include "printer_setup.h"
#include "prn_data.h"
#include "scenario_install.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "settings_upgrade.h"

namespace {

constexpr int kStampDigits = 14;
constexpr DWORD kNoVersion = 0xFFFF;
constexpr WORD kSyncContextFlags = kCtxFlagNoMutex | kCtxFlagNoAdminCheck;  // 0x300
constexpr WORD kBatchContextFlags = kSyncContextFlags | 0x1;                // 0x301
constexpr WORD kRedeployContextFlags = kCtxFlagNoAdminCheck;                // 0x200
constexpr DWORD kDeployKeepCopies = 0x1000;
constexpr int kFeaturePrintNotification = 1;
constexpr int kFeatureLocks = 2;

const DriverProfile* Profile() { return CtxGetTemplate()->profile; }

const WCHAR* DriverVersion() {
  const DriverProfile* profile = Profile();
  return profile && profile->driverVersionString ? profile->driverVersionString : u"";
}

DWORD SettingsVersion() {
  const DriverProfile* profile = Profile();
  return profile ? profile->storedSettingsVersion : 335;
}

std::u16string ReadKey(const std::u16string& section, const WCHAR* key, const std::u16string& file,
                       int chars = MAX_PATH) {
  std::vector<WCHAR> value(static_cast<size_t>(chars), u'\0');
  IniReadString(section.c_str(), key, u"", value.data(), chars, file.c_str());
  return value.data();
}

bool WriteKey(const std::u16string& section, const WCHAR* key, const std::u16string& value, const std::u16string& file) {
  return IniWriteString(section.c_str(), key, value.c_str(), file.c_str()) != FALSE;
}

std::u16string Decimal(DWORD n) {
  WCHAR text[16];
  wsprintfW(text, u"%u", n);
  return text;
}

// The printer section (server-qualified name) and the settings file of one side.
bool SectionOf(HANDLE printer, const PRINTER_INFO_2W* pi2, std::u16string& out) {
  WCHAR name[kCtxPathChars] = {};
  if (!(pi2 ? PrnNameFromInfo(printer, name, kCtxPathChars, pi2) : PrnGetNameOf(printer, name, kCtxPathChars)) ||
      !name[0])
    return false;
  out = name;
  return true;
}

bool SettingsOf(HANDLE printer, const PRINTER_INFO_2W* pi2, short perUser, std::u16string& out) {
  WCHAR path[MAX_PATH] = {};
  if (!PathGetSettingsIniOfInfo(path, MAX_PATH, perUser, printer, pi2) || !path[0]) return false;
  out = path;
  return true;
}

bool TerminalServer(HANDLE printer, const DRIVER_INFO_3W* di3) {
  return (di3 && di3->pDriverPath ? EnvIsTerminalServerModeFor(printer, di3->pDriverPath)
                                  : EnvIsTerminalServerMode(printer)) != 0;
}

// The global mutex without a context, released with the guard.
struct MutexGuard {
  MutexGuard() { EnvLockGlobalMutex(nullptr); }
  ~MutexGuard() { EnvUnlockGlobalMutex(nullptr); }
  MutexGuard(const MutexGuard&) = delete;
  MutexGuard& operator=(const MutexGuard&) = delete;
};

// The steps shared by the refreshes: redeployment with the driver-directory defaults (mode 1),
// the full list refresh and, with locks, the lock defaults.
void RefreshFromDriver(HANDLE printer, DriverContext* ctx, bool lists) {
  CfgDeployDriverFiles(ctx, kDeployKeepCopies);
  if (lists) CfgRefreshAllLists(printer, ctx);
  CfgImportDriverIniDefaults(printer, nullptr, 1, ctx, nullptr, nullptr, nullptr);
  if (lists && FmIsFeatureEnabled(ctx, kFeatureLocks, 0) && OptIsLockEnabled(ctx) && OptIsDefaultLocked(ctx))
    CfgRefreshLockDefault(ctx);
}

// A list entry's file moved into the per-user folder: the key names the new file and the
// sections of the old file are written into it, every line of them.
void MoveEntryToUserFolder(const std::u16string& section, const WCHAR* key, const std::u16string& oldFile,
                           const std::u16string& userFolder, const std::u16string& userIni,
                           std::initializer_list<const WCHAR*> sections) {
  const std::u16string moved = userFolder + u"\\" + PathFilePart(oldFile);
  WriteKey(section, key, moved, userIni);
  for (const WCHAR* s : sections) {
    const WCHAR* name = s ? s : section.c_str();
    IniCopySection(oldFile.c_str(), name, moved.c_str(), name);
  }
}

}  // namespace

// ---- installation stamps ------------------------------------------------------------------------

int CfgWriteInstallStamp(HANDLE printer, short type, short target) {
  return CfgWriteInstallStampEx(printer, type, target, nullptr, nullptr);
}

int CfgWriteInstallStampEx(HANDLE printer, short type, short target, const WCHAR* driverPath,
                           const PRINTER_INFO_2W* pi2) {
  if (!(driverPath ? EnvIsTerminalServerModeFor(printer, driverPath) : EnvIsTerminalServerMode(printer))) return 1;
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  WCHAR stamp[32];
  wsprintfW(stamp, u"%04d%02d%02d%02d%02d%02d", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  MutexGuard lock;
  std::u16string section, file;
  if (!SectionOf(printer, pi2, section) ||
      !SettingsOf(printer, pi2, target == kStampTargetUser ? 1 : 0, file))
    return 0;
  WriteKey(section, kDrvInstTimeKey, stamp, file);
  if (target == kStampTargetSettingsDir) WriteKey(section, kDrvFirstInstTimeKey, stamp, file);
  WriteKey(section, kDrvInstTypeKey, Decimal(static_cast<WORD>(type)), file);
  WriteKey(section, kDrvInstVersionKey, DriverVersion(), file);
  return 1;
}

int CfgCompareInstallStamps(HANDLE printer, int* state, const PRINTER_INFO_2W* pi2) {
  if (!state) return 0;
  *state = kUserCopyCurrent;
  std::u16string user, shared, section;
  if (!SettingsOf(printer, pi2, 1, user)) return 0;
  if (GetFileAttributesW(user.c_str()) == INVALID_FILE_ATTRIBUTES) {
    *state = kUserCopyMissing;
    return 1;
  }
  if (!SettingsOf(printer, pi2, 0, shared) || !SectionOf(printer, pi2, section)) return 0;
  MutexGuard lock;
  const std::u16string u = ReadKey(section, kDrvInstTimeKey, user);
  const std::u16string first = ReadKey(section, kDrvFirstInstTimeKey, shared);
  if (u.empty() || std::u16string_view(u).substr(0, kStampDigits).compare(
                       std::u16string_view(first).substr(0, kStampDigits)) < 0) {
    *state = kUserCopyMissing;
    return 1;
  }
  const std::u16string p = ReadKey(section, kDrvInstTimeKey, shared);
  if (!p.empty() && std::u16string_view(p).substr(0, kStampDigits).compare(
                        std::u16string_view(u).substr(0, kStampDigits)) > 0) {
    DWORD adminChange = 0;
    *state = PrnGetData(printer, &adminChange, sizeof adminChange, u"AdminChange", nullptr) && adminChange
                 ? kUserCopyAdminStale
                 : kUserCopyStale;
  }
  return 1;
}

// ---- per-user folder ----------------------------------------------------------------------------

int CfgRefreshJobMergePaths(HANDLE printer, const PRINTER_INFO_2W* pi2) {
  std::u16string user, section;
  if (!SettingsOf(printer, pi2, 1, user) || !SectionOf(printer, pi2, section)) return 0;
  const std::u16string folder = PathFolderPart(user);
  return WriteKey(section, u"DrvDefJobMergePath", folder + u"\\QVP", user) &&
                 WriteKey(section, u"DrvDefPreviewPath", folder + u"\\PREVIEW", user)
             ? 1
             : 0;
}

int CfgCopyListFilesToUserFolder(HANDLE printer, const PRINTER_INFO_2W* pi2) {
  std::u16string user, shared, section;
  if (!SettingsOf(printer, pi2, 1, user) || !SettingsOf(printer, pi2, 0, shared) || !SectionOf(printer, pi2, section))
    return 0;
  const std::u16string folder = PathFolderPart(user);
  if (EnvIsWin2000OrLater()) PathEnsureDir(folder.c_str());
  MutexGuard lock;
  struct Kind {
    const WCHAR* countKey;
    const WCHAR* keyFormat;
    const WCHAR* extension;
  };
  for (const Kind& kind : {Kind{u"Count", u"PresetList%d", u"rsd"}, Kind{u"QualityCount", u"QualityList%d", u"rsq"}}) {
    const int count = static_cast<int>(IniReadInt(section.c_str(), kind.countKey, 0, shared.c_str()));
    for (int i = 0; i < count && i < 0xFFFF; ++i) {
      WCHAR key[32];
      wsprintfW(key, kind.keyFormat, i);
      const std::u16string entry = ReadKey(section, key, shared);
      WCHAR installed[MAX_PATH] = {};
      if (entry.empty() || !PathReplaceExtension(installed, entry.c_str(), kind.extension)) continue;
      const std::u16string target = folder + u"\\" + PathFilePart(installed);
      if (target.size() >= MAX_PATH) return 0;
      PathSyncFile(target.c_str(), installed, 2);
    }
  }
  return 1;
}

int CfgCheckTsIniCorrection(HANDLE printer, const PRINTER_INFO_2W* pi2) {
  std::u16string user, section;
  if (!SettingsOf(printer, pi2, 1, user) || !SectionOf(printer, pi2, section)) return 1;
  if (GetFileAttributesW(user.c_str()) == INVALID_FILE_ATTRIBUTES) return 3;
  if (!ReadKey(section, u"TSIniCorrectDone", user).empty()) return 0;
  return ReadKey(section, kPresetCountKey, user).empty() ? 3 : 2;
}

int CfgCorrectTsIni(HANDLE printer, const PRINTER_INFO_2W* pi2) {
  std::u16string user, shared, section;
  if (!SettingsOf(printer, pi2, 1, user) || !SettingsOf(printer, pi2, 0, shared) || !SectionOf(printer, pi2, section))
    return 1;
  const std::u16string sharedFolder = PathFolderPart(shared), userFolder = PathFolderPart(user);
  const int presets = static_cast<int>(IniReadInt(section.c_str(), kPresetCountKey, 0, user.c_str()));
  for (int i = 0; i < presets && i < 0xFFFF; ++i) {
    WCHAR key[32], nameKey[40];
    wsprintfW(key, u"PresetList%d", i);
    const std::u16string file = ReadKey(section, key, user);
    if (!file.empty() && lstrcmpiW(PathFolderPart(file).c_str(), sharedFolder.c_str()) == 0)
      MoveEntryToUserFolder(section, key, file, userFolder, user, {nullptr, u"condition", u"disable"});
    wsprintfW(nameKey, u"PresetList%dName", i);
    if (ReadKey(section, nameKey, user).empty()) return 3;
  }
  const int qualities = static_cast<int>(IniReadInt(section.c_str(), u"QualityCount", 0, user.c_str()));
  for (int i = 0; i < qualities && i < 0xFFFF; ++i) {
    WCHAR key[32], nameKey[40];
    wsprintfW(key, u"QualityList%d", i);
    const std::u16string file = ReadKey(section, key, user);
    if (!file.empty() && lstrcmpiW(PathFolderPart(file).c_str(), sharedFolder.c_str()) == 0)
      MoveEntryToUserFolder(section, key, file, userFolder, user, {nullptr});
    wsprintfW(nameKey, u"QualityList%dName", i);
    if (ReadKey(section, nameKey, user).empty()) return 3;
  }
  if (!CfgRefreshJobMergePaths(printer, pi2)) return 3;
  WriteKey(section, u"TSIniCorrectDone", u"1", user);
  return 0;
}

int CfgApplyBatchDefaultsToUser(HANDLE printer, PRINTER_INFO_2W* pi2) {
  return CfgApplyBatchDefaultsToUserEx(printer, pi2, nullptr, nullptr);
}

int CfgApplyBatchDefaultsToUserEx(HANDLE printer, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3) {
  std::u16string user, shared, section;
  if (!SettingsOf(printer, pi2, 1, user) || !SettingsOf(printer, pi2, 0, shared) || !SectionOf(printer, pi2, section))
    return 1;
  MutexGuard lock;
  const std::u16string defaultRst = ReadKey(section, kAdminDefaultRstKey, shared);
  if (defaultRst.empty()) return 0;
  WriteKey(section, kAdminDefaultRstKey, defaultRst, user);
  const std::u16string batchRst = ReadKey(section, u"BatchInstRst", shared);
  if (batchRst.empty()) return 0;
  WriteKey(section, u"BatchInstRst", batchRst, user);

  DriverContext* ctx =
      CtxCreateWithFlagsAndInfo(printer, printer, nullptr, kBatchContextFlags, kCtxModeUi, pi2, di2, di3);
  if (!ctx) return 1;
  if (const WCHAR* language = CfgLanguageSection(ctx)) {
    const std::u16string lang = language;
    CfgLoadScenarioDefaults(batchRst.c_str(), lang.c_str(), ctx);
    CfgLoadScenarioFreeSizes(batchRst.c_str(), lang.c_str(), ctx);
    CfgLoadScenarioStamps(batchRst.c_str(), lang.c_str(), ctx);
  }
  CfgSaveOptionClass(printer, ctx, 3, 0);

  const std::u16string userFolder = PathFolderPart(user);
  const std::u16string presets = ReadKey(section, kPresetCountKey, shared, 32);
  WriteKey(section, kPresetCountKey, presets, user);
  for (int i = 0, n = static_cast<int>(IniReadInt(section.c_str(), kPresetCountKey, 0, shared.c_str()));
       i < n && i < 0xFFFF; ++i) {
    WCHAR key[32];
    wsprintfW(key, u"PresetList%d", i);
    const std::u16string file = ReadKey(section, key, shared);
    if (!file.empty()) MoveEntryToUserFolder(section, key, file, userFolder, user, {nullptr, u"condition", u"disable"});
    for (const WCHAR* suffix : {kPresetNameSuffix, kPresetCommentSuffix}) {
      const std::u16string extra = std::u16string(key) + suffix;
      const std::u16string value = ReadKey(section, extra.c_str(), shared, kPresetTextChars);
      if (!value.empty()) WriteKey(section, extra.c_str(), value, user);
    }
  }
  const std::u16string qualities = ReadKey(section, u"QualityCount", shared, 32);
  WriteKey(section, u"QualityCount", qualities, user);
  for (int i = 0, n = static_cast<int>(IniReadInt(section.c_str(), u"QualityCount", 0, shared.c_str()));
       i < n && i < 0xFFFF; ++i) {
    WCHAR key[32];
    wsprintfW(key, u"QualityList%d", i);
    const std::u16string file = ReadKey(section, key, shared);
    if (!file.empty()) MoveEntryToUserFolder(section, key, file, userFolder, user, {nullptr});
    const std::u16string nameKey = std::u16string(key) + u"Name";
    const std::u16string value = ReadKey(section, nameKey.c_str(), shared);
    if (!value.empty()) WriteKey(section, nameKey.c_str(), value, user);
  }
  CtxReleaseAs(ctx, kCtxReleaseKeepFonts);
  return 0;
}

// ---- refresh of the per-user copy ---------------------------------------------------------------

int CfgRefreshUserCopy(HANDLE printer, short type) { return CfgRefreshUserCopyEx(printer, type, nullptr, nullptr, nullptr); }

int CfgRefreshUserCopyEx(HANDLE printer, short type, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3) {
  DriverContext* ctx = CtxCreateWithFlagsAndInfo(printer, printer, nullptr, kSyncContextFlags, kCtxModeUi, pi2, di2, di3);
  if (!ctx) return 0;
  int action = kDmVersionUnusable;
  if (type != 1 && type != 3 && type != 4) {
    std::u16string user, shared;
    const WCHAR* language = CfgLanguageSection(ctx);
    DWORD userVersion = kNoVersion, sharedVersion = kNoVersion;
    if (language && SettingsOf(printer, pi2, 1, user) && SettingsOf(printer, pi2, 0, shared)) {
      MutexGuard lock;
      userVersion = IniReadInt(language, kRstVersionKey, static_cast<int>(kNoVersion), user.c_str());
      sharedVersion = IniReadInt(language, kRstVersionKey, static_cast<int>(kNoVersion), shared.c_str());
    }
    if (userVersion == kNoVersion || sharedVersion == kNoVersion) {
      CtxRelease(ctx);
      return 1;
    }
    action = DmCompareVersions(userVersion, sharedVersion);
  }
  JcUpdateDriverInfo(ctx);
  if (FmIsFeatureEnabled(ctx, kFeaturePrintNotification, 0)) BidiReadPrintNotification(ctx, 1);

  int result = 1;
  if (action == kDmVersionConvert) {
    RefreshFromDriver(printer, ctx, true);
  } else if (action == kDmVersionUnusable) {
    if (!CfgInitializePrinterDataEx(printer, nullptr, kInitUserRefresh, pi2, di2, di3))
      result = 0;
    else
      CfgImportDriverIniDefaultsEx(printer, printer, 0, ctx, 1, pi2, di2, di3);
  } else {
    RefreshFromDriver(printer, ctx, false);
  }
  if (result) {
    CfgRefreshJobMergePaths(printer, pi2);
    if (!CfgWriteInstallStampEx(printer, 1, kStampTargetUser, di3 ? di3->pDriverPath : nullptr, pi2))
      result = 0;
    else
      PathSecureSharedData(ctx);
  }
  CtxRelease(ctx);
  return result;
}

// ---- client connections -------------------------------------------------------------------------

int CfgSyncClientSettingsVersion(HANDLE printer, HANDLE printer2, const WCHAR* settingsIni, const WCHAR* section,
                                 PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3) {
  std::u16string file, name;
  if (settingsIni) file = settingsIni;
  else if (!SettingsOf(printer, pi2, 0, file)) return 0;
  if (section) name = section;
  else if (!SectionOf(printer, pi2, name)) return 0;
  const DWORD version = IniReadInt(name.c_str(), kRstVersionKey, static_cast<int>(kNoVersion), file.c_str());
  const int comparison = version == kNoVersion ? kDmVersionUnusable : DmCompareVersions(version, SettingsVersion());

  DriverContext* ctx = nullptr;
  auto createContext = [&](WORD flags) {
    ctx = CtxCreateWithFlagsAndInfo(printer, printer2, nullptr, flags, kCtxModeUi, pi2, di2, di3);
    return ctx != nullptr;
  };
  if (comparison == kDmVersionConvert) {
    if (!createContext(kSyncContextFlags)) return 0;
    JcUpdateDriverInfo(ctx);
    RefreshFromDriver(printer, ctx, true);
  } else if (comparison == kDmVersionUnusable) {
    if (!CfgInitializePrinterDataEx(printer, nullptr, kInitConnection, pi2, di2, di3)) return 0;
    if (!createContext(kSyncContextFlags)) return 0;
    JcUpdateDriverInfo(ctx);
  } else {
    if (lstrcmpiW(ReadKey(name, kDrvInstVersionKey, file).c_str(), DriverVersion()) == 0) return 1;
    if (!createContext(kSyncContextFlags)) return 0;
    JcUpdateDriverInfo(ctx);
    CfgDeployDriverFiles(ctx, kDeployKeepCopies);
    CfgImportDriverIniDefaults(printer, nullptr, 1, ctx, nullptr, nullptr, nullptr);
  }
  WriteKey(name, kRstVersionKey, Decimal(SettingsVersion()), file);
  WriteKey(name, kDrvInstVersionKey, DriverVersion(), file);
  PathSecureSharedData(ctx);
  CtxRelease(ctx);
  return 1;
}

int CfgSyncClientFolderVersion(HANDLE printer, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3) {
  if (!EnvIsWin2000OrLater() || !pi2 || !pi2->pServerName || !pi2->pServerName[0]) return 1;
  WCHAR folder[MAX_PATH] = {};
  const int found = PrnGetClientSharedDirOfInfo(printer, kClientSharedDirValue, folder, MAX_PATH, pi2);
  if (found < 0) return 0;
  if (found == 0) return 1;
  return CfgSyncClientSettingsVersion(printer, printer, nullptr, nullptr, pi2, di2, di3);
}

// ---- the synchronisation ------------------------------------------------------------------------

namespace {

// Strips client-side-rendering sections from a settings file once; false when that failed.
bool CorrectCsr(HANDLE printer, const PRINTER_INFO_2W* pi2, short perUser) {
  MutexGuard lock;
  const int needed = CfgNeedsCsrCorrection(printer, pi2, perUser);
  if (needed == 1) return false;
  return needed != 2 || CfgPurgeCsrSettingsFiles(printer, pi2, perUser, 1) != 1;
}

int SyncClientConnection(HANDLE printer, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3) {
  std::u16string shared, section;
  if (!SettingsOf(printer, pi2, 0, shared) || !SectionOf(printer, pi2, section)) return 1;
  if (IniReadInt(section.c_str(), u"BatchInstallDone", 0, shared.c_str()) == 0) {
    if (TerminalServer(printer, di3)) {
      WriteKey(section, u"BatchInstallDone", u"1", shared);
      WriteKey(section, kDrvInstVersionKey, DriverVersion(), shared);
      return 1;
    }
    CtxSetInstallationFlag(1);
    CfgInitializePrinterDataEx(printer, nullptr, kInitClientSync, pi2, di2, di3);
    CtxSetInstallationFlag(0);
    CfgWriteInstallStampEx(printer, 1, kStampTargetShared, di3 ? di3->pDriverPath : nullptr, pi2);
    WriteKey(section, kDrvInstVersionKey, DriverVersion(), shared);
    if (CfgCopyListFilesToUserFolder(printer, pi2) && CfgRefreshUserCopyEx(printer, 1, pi2, di2, di3) &&
        CfgApplyBatchDefaultsToUserEx(printer, pi2, di2, di3) == 1)
      return 0;
    return 1;
  }
  if (lstrcmpiW(ReadKey(section, kDrvInstVersionKey, shared).c_str(), DriverVersion()) == 0) return 1;
  DriverContext* ctx = CtxCreateWithFlagsAndInfo(printer, printer, nullptr, kRedeployContextFlags, kCtxModeUi, pi2,
                                                 di2, di3);
  if (ctx) {
    CfgDeployDriverFiles(ctx, kDeployKeepCopies);
    CfgRefreshAllLists(printer, ctx);
    PathSecureSharedData(ctx);
    CtxRelease(ctx);
  }
  WriteKey(section, kDrvInstVersionKey, DriverVersion(), shared);
  return 1;
}

int SyncTerminalServerUser(HANDLE printer, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3) {
  WCHAR profile[MAX_PATH] = {};
  if (!PathGetProfileDirStrict(profile, MAX_PATH, printer, pi2)) return 1;
  if (EnvIsVistaOrLater()) {
    if (!CorrectCsr(printer, pi2, 1)) return 0;
    MutexGuard lock;
    if (!CfgCorrectLocalLowIni(printer, pi2)) return 0;
  }
  bool fullCopy = false;
  {
    MutexGuard lock;
    int check = CfgCheckTsIniCorrection(printer, pi2);
    if (check == 2) check = CfgCorrectTsIni(printer, pi2);
    if (check == 1) return 0;
    fullCopy = check == 3;
  }
  int state = kUserCopyCurrent;
  if (!CfgCompareInstallStamps(printer, &state, pi2)) return 0;
  if (fullCopy) state = kUserCopyMissing;
  if (state == kUserCopyMissing && !CfgCopyListFilesToUserFolder(printer, pi2)) return 0;
  if (state != kUserCopyCurrent && CfgRefreshUserCopyEx(printer, static_cast<short>(state), pi2, di2, di3) &&
      CfgApplyBatchDefaultsToUserEx(printer, pi2, di2, di3) == 1)
    return 0;
  return 1;
}

}  // namespace

int CfgSyncUserSettings(HANDLE printer, DWORD flags, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3) {
  PRINTER_INFO_2W* ownPi2 = nullptr;
  DRIVER_INFO_2W* ownDi2 = nullptr;
  DRIVER_INFO_3W* ownDi3 = nullptr;
  if (!pi2) pi2 = ownPi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
  if (!di2) di2 = ownDi2 = static_cast<DRIVER_INFO_2W*>(PrnGetDriverInfo(printer, 2));
  if (!di3) di3 = ownDi3 = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(printer, 3));

  int result = 1;
  if (pi2) {
    if (EnvIsVistaOrLater() && !CorrectCsr(printer, pi2, 0)) result = 0;
    if (result && (flags & kSyncClientConnection) && pi2->pServerName && pi2->pServerName[0])
      result = SyncClientConnection(printer, pi2, di2, di3);
  }
  if (result) {
    if (!TerminalServer(printer, di3))
      result = CfgSyncClientFolderVersion(printer, pi2, di2, di3);
    else
      result = SyncTerminalServerUser(printer, pi2, di2, di3);
  }
  MdlFreeMem(ownPi2);
  MdlFreeMem(ownDi2);
  MdlFreeMem(ownDi3);
  return result;
}
