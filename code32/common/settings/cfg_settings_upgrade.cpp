// Settings-file maintenance after an installation or upgrade: the keys the printer section takes
// from the driver-directory defaults file, the list defaults (custom sizes and watermarks) it
// takes when the file is new or of another major format version, and the format version itself.
#include "settings_upgrade.h"

#include "admin_install.h"
#include "context_services.h"
#include "default_section.h"
#include "env_mutex.h"
#include "free_size.h"
#include "stamp_list.h"
#include "undo_images.h"
#include "env_language.h"
#include "env_system.h"
#include "feature_modules.h"
#include "ini_file.h"
#include "option_store.h"
#include "prn_data.h"
#include "settings_paths.h"

const uint16_t kFreeSizeKeyIds[kFreeSizeKeyCount] = {938, 939, 940, 941, 942};
const uint16_t kStampKeyIds[kStampKeyCount] = {117, 958, 959, 960, 961, 962, 963, 964, 965,  966,
                                               967, 118, 968, 969, 970, 971, 972, 973, 974,  975,
                                               952, 953, 954, 955, 956, 1113, 1130};

namespace {

struct DefaultKeyRow {
  const WCHAR* key;
  DWORD kind;
};

// Kind 0 keys come from the driver defaults; 1, 3 and 4 name scenarios; 2 asks for a preset refresh.
constexpr DefaultKeyRow kDefaultKeys[] = {
    {u"MergeKey", 0},
    {u"MergeSubKey", 0},
    {u"MergeFilePath", 0},
    {u"MergeFileName", 0},
    {u"DrvDefJobMergeFileName", 0},
    {u"DrvDefJobMergeFileExt", 0},
    {u"DrvDefJobMergePath", 0},
    {u"APIJobMergeFileName", 0},
    {u"APIJobMergePath", 0},
    {u"APIUseFlag", 0},
    {u"DriverJobMergeFileName", 0},
    {u"DriverJobMergePath", 0},
    {u"SAVEPrnMethod", 0},
    {u"SAVEACT_FILEMERGEPRINT", 0},
    {u"APIAPLName", 0},
    {u"APIAPLInfo", 0},
    {u"DefaultRst", 1},
    {u"PresetRefresh", 2},
    {u"DefaultRst", 3},
    {u"BatchInstRst", 3},
    {u"BatchInstRst", 4},
    {u"DrvDefPreviewPath", 0},
};
static_assert(sizeof(kDefaultKeys) / sizeof(kDefaultKeys[0]) == 22);

constexpr int kValueChars = 260;
constexpr int kSectionChars = 64;

// The two path keys are kept per system family in the driver defaults.
void DriverDefaultsKeyOf(const WCHAR* key, WCHAR (&out)[64]) {
  lstrcpynW(out, key, 60);
  if (lstrcmpW(key, u"DrvDefJobMergePath") == 0 || lstrcmpW(key, u"DrvDefPreviewPath") == 0)
    lstrcatW(out, EnvIsWin2000OrLater() ? u"2k" : u"nt");
}

// Copies one value from a section of the driver defaults into the same section of the settings
// file; missing values are copied as empty ones unless onlyNonEmpty.
void CopyKey(const WCHAR* section, const WCHAR* key, const WCHAR* from, const WCHAR* to, bool onlyNonEmpty) {
  if (!key || !key[0]) return;
  WCHAR value[kValueChars] = {};
  IniReadString(section, key, u"", value, kValueChars, from);
  if (onlyNonEmpty && !value[0]) return;
  IniWriteString(section, key, value, to);
}

// "FreeSize%d%s" / "Stamp%d%s": a slot's section (language codes are a few characters).
void ListSection(WCHAR (&out)[kSectionChars], const WCHAR* stem, int n, const WCHAR* lang) {
  WCHAR language[16] = {};
  lstrcpynW(language, lang ? lang : u"", 16);
  wsprintfW(out, u"%s%d%s", stem, n, language);
}

}  // namespace

int CfgRefreshDriverDefaultKeys(DriverContext* ctx, DWORD mode, const WCHAR* path) {
  if (mode > kDriverDefaultKeysInstallScenario) return 1;
  if (!ctx || !ctx->workArea) return 0;
  const WCHAR* settingsIni = PathGetSettingsIni(ctx);
  const WCHAR* printerSection = CfgPrinterSection(ctx);
  if (!settingsIni || !settingsIni[0] || !printerSection || !printerSection[0]) return 0;
  WCHAR section[kIniSectionChars + 1];
  lstrcpynW(section, printerSection, kIniSectionChars + 1);

  if (mode == kDriverDefaultKeysScenario) {
    if (!path) return 0;
    for (const DefaultKeyRow& row : kDefaultKeys)
      if (row.kind == 1) IniWriteString(section, row.key, path, settingsIni);
    return 1;
  }
  if (mode == kDriverDefaultKeysBothScenarios || mode == kDriverDefaultKeysInstallScenario) {
    for (const DefaultKeyRow& row : kDefaultKeys)
      if (row.kind == mode) IniWriteString(section, row.key, path, settingsIni);
    return 1;
  }

  // Modes 0 and 2: the keys the driver defaults give.
  const WCHAR* lang = CfgLanguageSection(ctx);
  const WCHAR* driverIni = PathGetDriverIni(ctx);
  if (!lang || !lang[0] || !driverIni || !driverIni[0]) return 0;
  WCHAR language[kCtxShortNameChars];
  lstrcpynW(language, lang, kCtxShortNameChars);
  for (const DefaultKeyRow& row : kDefaultKeys) {
    if (row.kind == 0) {
      WCHAR key[64];
      DriverDefaultsKeyOf(row.key, key);
      WCHAR value[kValueChars] = {};
      IniReadString(language, key, u"", value, kValueChars, driverIni);
      if (mode == kDriverDefaultKeysAll || !value[0]) IniWriteString(section, row.key, value, settingsIni);
    } else if (row.kind == 2) {
      const WCHAR* refresh = u"1";
      if (mode == kDriverDefaultKeysAll) {
        DWORD flag = 0;
        refresh = PrnGetData(ctx->printer, &flag, sizeof(flag), row.key, ctx) && flag ? u"1" : u"0";
      }
      IniWriteString(section, row.key, refresh, settingsIni);
    }
  }
  CfgSaveUserOptions(ctx->printer, ctx);
  return 1;
}

int CfgRstMajorDiffers(const WCHAR* settingsIni, int* missing, DriverContext* ctx) {
  if (missing) *missing = 0;
  const WCHAR* lang = CfgLanguageCodeStr(ctx);
  WCHAR value[kValueChars] = {};
  IniReadString(lang ? lang : u"", u"RstVersion", u"", value, kValueChars, settingsIni);
  if (!value[0]) {
    if (missing) *missing = 1;
    return 1;
  }
  const DWORD stored = ctx && ctx->profile ? ctx->profile->storedSettingsVersion : 335;
  int number = 0;
  for (const WCHAR* c = value; *c >= u'0' && *c <= u'9' && number < 100000000; ++c) number = number * 10 + (*c - u'0');
  return static_cast<DWORD>(number) / 100 != stored / 100 ? 1 : 0;
}

int CfgCopyRstVersion(const WCHAR* settingsIni, const WCHAR* driverIni, DriverContext* ctx) {
  if (!settingsIni || !driverIni) return 0;
  const WCHAR* lang = CfgLanguageCodeStr(ctx);
  if (!lang || !lang[0]) return 0;
  CopyKey(lang, u"RstVersion", driverIni, settingsIni, false);
  return 1;
}

int CfgImportListDefaults(const WCHAR* settingsIni, const WCHAR* driverIni, DriverContext* ctx) {
  if (!settingsIni || !driverIni || !ctx) return 0;
  const WCHAR* code = CfgLanguageCodeStr(ctx);
  if (!code || !code[0]) return 0;
  WCHAR lang[kCtxShortNameChars];
  lstrcpynW(lang, code, kCtxShortNameChars);
  WCHAR driverIniCopy[MAX_PATH];
  WCHAR settingsIniCopy[MAX_PATH];
  lstrcpynW(driverIniCopy, driverIni, MAX_PATH);
  lstrcpynW(settingsIniCopy, settingsIni, MAX_PATH);
  FmListDefaultsParam param{driverIniCopy, settingsIniCopy, 1};
  int missing = 0;
  if (GetFileAttributesW(settingsIni) != INVALID_FILE_ATTRIBUTES && !CfgRstMajorDiffers(settingsIni, &missing, ctx)) {
    FmBroadcastNotify(ctx, kFmNotifyListDefaultsImported, &param);
    return 1;
  }
  struct ListKind {
    const WCHAR* countKey;
    const WCHAR* stem;
    const uint16_t* ids;
    int idCount;
  };
  const ListKind kinds[] = {{u"FreeSizeCount", u"FreeSize", kFreeSizeKeyIds, kFreeSizeKeyCount},
                            {u"StampCount", u"Stamp", kStampKeyIds, kStampKeyCount}};
  for (const ListKind& kind : kinds) {
    WCHAR count[kValueChars] = {};
    IniReadString(lang, kind.countKey, u"0", count, kValueChars, driverIniCopy);
    IniWriteString(lang, kind.countKey, count, settingsIniCopy);
    const int slots = static_cast<int>(IniReadInt(lang, kind.countKey, 0, driverIniCopy));
    for (int n = 0; n < slots && n < 10000; ++n) {
      WCHAR section[kSectionChars];
      ListSection(section, kind.stem, n, lang);
      CopyKey(section, u"RstVersion", driverIniCopy, settingsIniCopy, true);
      for (int i = 0; i < kind.idCount; ++i)
        CopyKey(section, OptGetFieldName(ctx, kind.ids[i]), driverIniCopy, settingsIniCopy, false);
    }
  }
  param.skipped = 0;
  FmBroadcastNotify(ctx, kFmNotifyListDefaultsImported, &param);
  for (const WCHAR* key : {u"RstVersion", u"bIsBIDISupportForZOLTModel", u"bIsBIDISupportForZOLTFont",
                           u"bIsBIDISupportForZOLT"})
    CopyKey(lang, key, driverIniCopy, settingsIniCopy, false);
  return 1;
}

int CfgImportScenarioFreeSizes(const WCHAR* settingsIni, const WCHAR* driverIni, DriverContext* ctx, short keepTimeMode) {
  if (!settingsIni || !driverIni || !ctx) return 0;
  WCHAR scenario[MAX_PATH] = {};
  if (!CfgReadDriverDefaultRst(scenario, ctx)) return 1;
  PathCompleteFromDriverDir(scenario, MAX_PATH, ctx);
  const WCHAR* code = CfgLanguageCodeStr(ctx);
  if (!scenario[0] || !code || !code[0]) return 1;
  WCHAR lang[16] = {};
  lstrcpynW(lang, code, 16);
  const int slots = static_cast<int>(IniReadInt(lang, u"FreeSizeCount", 0, driverIni));
  for (int n = 0; n < slots && n < 10000; ++n) {
    WCHAR section[kSectionChars];
    ListSection(section, u"FreeSize", n, lang);
    for (const uint16_t id : kFreeSizeKeyIds) {
      const WCHAR* key = OptGetFieldName(ctx, id);
      if (!key || !key[0]) continue;
      WCHAR value[kValueChars] = {};
      IniReadString(section, key, u"", value, kValueChars, scenario);
      if (value[0]) IniWriteString(section, key, value, settingsIni);
    }
  }
  const BOOL written = IniWriteStringKeepTime(u"BatchInstallDone", u"BatchInstallDone", u"1", driverIni, keepTimeMode);
  return written || keepTimeMode != 1 ? 1 : 0;
}

int CfgImportDriverIniDefaultsEx(HANDLE printer, HANDLE printer2, short mode, DriverContext* ctx, short target,
                                 PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3) {
  EnvLockGlobalMutex(nullptr);
  DriverContext* own = nullptr;
  if (!ctx) {
    WCHAR driverIni[MAX_PATH] = {};
    const WCHAR* name = CtxGetTemplate()->profile ? CtxGetTemplate()->profile->driverIniName : nullptr;
    WCHAR folder[MAX_PATH] = {};
    if (name && PathGetDriverDirEx(printer, folder, MAX_PATH, di3 ? di3->pDriverPath : nullptr, di3) &&
        lstrlenW(folder) + lstrlenW(name) < MAX_PATH) {
      lstrcpynW(driverIni, folder, MAX_PATH);
      lstrcatW(driverIni, name);
    }
    WCHAR done[kValueChars] = {};
    if (driverIni[0]) IniReadString(u"BatchInstallDone", u"BatchInstallDone", u"", done, kValueChars, driverIni);
    if (mode == 1 && done[0]) {
      EnvUnlockGlobalMutex(nullptr);
      return 1;
    }
    own = CtxCreate(printer, printer2, nullptr, kCtxModeUi, pi2, di2, di3);
    if (!own) {
      EnvUnlockGlobalMutex(nullptr);
      return 0;
    }
    ctx = own;
  }
  WCHAR driverIni[MAX_PATH] = {}, settingsIni[MAX_PATH] = {};
  if (const WCHAR* d = PathGetDriverIni(ctx)) lstrcpynW(driverIni, d, MAX_PATH);
  if (target == 1) {
    if (const WCHAR* t = PathGetSettingsIni(ctx)) lstrcpynW(settingsIni, t, MAX_PATH);
  } else {
    PathGetSettingsIniOf(settingsIni, MAX_PATH, 0, ctx->printer);
  }
  int result = 1;
  if (driverIni[0] && settingsIni[0]) {
    if (mode == 1)
      CfgCopyRstVersion(settingsIni, driverIni, ctx);
    else
      CfgImportListDefaults(settingsIni, driverIni, ctx);
    CfgCopyPrinterInformation(nullptr, settingsIni, driverIni);
    CfgImportScenarioFreeSizes(settingsIni, driverIni, ctx, 1);
  } else {
    result = 0;
  }
  if (own) CtxRelease(own);
  EnvUnlockGlobalMutex(nullptr);
  return result;
}

int CfgImportDriverIniDefaults(HANDLE printer, void*, short mode, DriverContext* ctx, PRINTER_INFO_2W* pi2,
                               DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3) {
  return CfgImportDriverIniDefaultsEx(printer, printer, mode, ctx, 0, pi2, di2, di3);
}

namespace {

bool IsEmptyKey(const WCHAR* section, const WCHAR* key, const WCHAR* file) {
  if (!key || !key[0]) return false;
  WCHAR value[kValueChars] = {};
  IniReadString(section, key, u"", value, kValueChars, file);
  return !value[0];
}

bool FreeSizesNeedRepair(DriverContext* ctx, const WCHAR* settingsIni, const WCHAR* lang, int slots, int wanted) {
  if (slots == 0 || (wanted != 0 && wanted != slots)) return true;
  for (int n = 0; n < slots; ++n) {
    WCHAR section[kSectionChars];
    ListSection(section, u"FreeSize", n, lang);
    for (const uint16_t id : kFreeSizeKeyIds)
      if (id != kOptFreeSizeName && IsEmptyKey(section, OptGetFieldName(ctx, id), settingsIni)) return true;
  }
  return false;
}

bool StampsNeedRepair(DriverContext* ctx, const WCHAR* settingsIni, const WCHAR* lang, int have) {
  if (have <= 0) return true;
  enum : uint16_t { kWmChar = 952, kWmImage = 953, kWmCharName = 954, kWmImageName = 955 };
  for (int n = 0; n < have && n <= kStampNumberLast; ++n) {
    WCHAR section[kSectionChars];
    ListSection(section, u"Stamp", n, lang);
    const WCHAR* kindKey = OptGetFieldName(ctx, kOptWmKind);
    const UINT kind = kindKey ? IniReadInt(section, kindKey, 0, settingsIni) : 0;
    for (const uint16_t id : kStampKeyIds) {
      if ((id == kWmChar || id == kWmCharName) && kind != 1) continue;
      if ((id == kWmImage || id == kWmImageName) && kind != 2) continue;
      if (IsEmptyKey(section, OptGetFieldName(ctx, id), settingsIni)) return true;
    }
  }
  return false;
}

}  // namespace

int CfgRepairListSections(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  WCHAR settingsIni[MAX_PATH] = {};
  const WCHAR* s = PathGetSettingsIni(ctx);
  const WCHAR* code = CfgLanguageCodeStr(ctx);
  if (!s || !s[0] || !code || !code[0] || !PathGetDriverIni(ctx)) return 0;
  lstrcpynW(settingsIni, s, MAX_PATH);
  WCHAR lang[16] = {};
  lstrcpynW(lang, code, 16);

  const int slots = CfgFreeSizeSlotCount(ctx);
  const int wanted = CfgGetDefaultFreeSizeCount(ctx);
  if (FreeSizesNeedRepair(ctx, settingsIni, lang, slots, wanted)) {
    DmPushSnapshot(ctx);
    CfgSetFreeSizeCount(nullptr, ctx, wanted);
    for (int n = 0; n < wanted; ++n)
      if (CfgLoadFreeSizeDefault(ctx, n)) CfgSaveFreeSize(ctx, n);
    DmPopSnapshot(ctx, 1);
  }

  int have = CfgGetStampCount(ctx);
  const int wantedStamps = CfgGetDefaultStampCount(ctx);
  if (StampsNeedRepair(ctx, settingsIni, lang, have)) {
    DmPushSnapshot(ctx);
    if (have < wantedStamps) {
      CfgSetStampCount(ctx, wantedStamps);
      have = wantedStamps;
    }
    for (int n = 0; n < have && n <= kStampNumberLast; ++n) {
      CfgLoadDefaultStamp(nullptr, ctx, n < wantedStamps ? n : 0);
      CfgLoadStamp(ctx, n);
      CfgSaveStamp(ctx, n);
    }
    DmPopSnapshot(ctx, 1);
  }
  return 1;
}
