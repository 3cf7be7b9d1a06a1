// Scenario packages: export of a printer's settings into a dated package folder, removal of an
// earlier package, and the unpacking of the driver's default package.
#include "scenario_package.h"

#include <string>
#include <vector>

#include "admin_install.h"
#include "env_language.h"
#include "feature_modules.h"
#include "fm_modules_9_10.h"
#include "ini_file.h"
#include "path_files.h"
#include "preset_list.h"
#include "quality_list.h"
#include "scenario_install.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "free_size.h"
#include "stamp_list.h"

namespace {

constexpr int kMostDigitIndex = 35;
constexpr int kFolderReserve = 34;  // "\zolt\" + 14 time digits + "\" + "Qxxxxxx1.rsb" - 1
constexpr int kCustomSizeSections = 10;
inline constexpr WCHAR kMainTemplate[] = u"Qxxxxxx1.rsb";

// The code's characters in a main or default file path: after the "Q" of the file name.
WCHAR* CodeOf(WCHAR* path) {
  WCHAR* name = PathGetFileName(path);
  return name && lstrlenW(name) > kScenarioCodeChars ? name + 1 : nullptr;
}

// The default file of entry index: the main path with the digit before the extension and the
// given extension. False (out empty) for an index without a digit or a path that does not fit.
bool DefaultFileOf(const WCHAR* mainFile, int index, const WCHAR* extension, WCHAR (&out)[MAX_PATH]) {
  out[0] = u'\0';
  if (index < 0 || index > kMostDigitIndex) return false;
  if (!PathReplaceExtension(out, mainFile, extension)) return false;
  int length = 0;
  WCHAR* dot = PathGetExtension(out, &length);
  WCHAR* name = PathGetFileName(out);
  if (!dot || dot - 1 <= name || dot[-1] != u'.') {
    out[0] = u'\0';
    return false;
  }
  dot[-2] = CfgScenarioDigit(index);
  return true;
}

bool WriteKey(const WCHAR* section, const WCHAR* key, const WCHAR* value, const WCHAR* file) {
  return IniWriteString(section, key, value, file) != FALSE;
}

std::u16string Decimal(int n) {
  WCHAR text[16];
  wsprintfW(text, u"%d", n);
  return text;
}

// A key of the printer section of the settings file.
std::u16string ListValue(const WCHAR* section, const WCHAR* key, const WCHAR* settings, int chars = MAX_PATH) {
  std::vector<WCHAR> value(static_cast<size_t>(chars), u'\0');
  IniReadString(section, key, u"", value.data(), chars, settings);
  return value.data();
}

}  // namespace

// ---- codes --------------------------------------------------------------------------------------

WCHAR CfgScenarioDigit(int index) {
  if (index < 0 || index > kMostDigitIndex) return u'0';
  return static_cast<WCHAR>(index < 10 ? u'0' + index : u'A' + index - 10);
}

void CfgNextScenarioCode(WCHAR* code) {
  if (!code) return;
  for (int i = kScenarioCodeChars - 1; i >= 0; --i) {
    WCHAR& c = code[i];
    if (c == u'9') {
      c = u'A';
      return;
    }
    if (c == u'Z') {
      c = u'0';
      continue;  // carry
    }
    ++c;
    return;
  }
}

void CfgPrevScenarioCode(WCHAR* code) {
  if (!code) return;
  for (int i = kScenarioCodeChars - 1; i >= 0; --i) {
    WCHAR& c = code[i];
    if (c == u'A') {
      c = u'9';
      return;
    }
    if (c == u'0') {
      c = u'Z';
      continue;  // borrow
    }
    --c;
    return;
  }
}

void CfgScenarioCodeOfTime(const SYSTEMTIME& time, WCHAR* out) {
  if (!out) return;
  const int64_t days = static_cast<int64_t>(time.wHour) + 24 * static_cast<int64_t>(time.wDay) +
                       744 * static_cast<int64_t>(time.wMonth) + 8928 * static_cast<int64_t>(time.wYear) - 17588928;
  int64_t t = time.wSecond + 60 * (time.wMinute + 60 * days);
  uint64_t value = static_cast<uint64_t>(t);
  for (int i = kScenarioCodeChars - 1; i >= 0; --i) {
    out[i] = CfgScenarioDigit(static_cast<int>(value % 36));
    value /= 36;
  }
  out[kScenarioCodeChars] = u'\0';
}

// ---- the package folder -------------------------------------------------------------------------

int CfgCreateScenarioFolder(const WCHAR* userFile, WCHAR* out, DriverContext* ctx) {
  if (!userFile || !out) return 0;
  out[0] = u'\0';
  std::u16string baseName = PathGetFileName(userFile);
  if (const size_t dot = baseName.rfind(u'.'); dot != std::u16string::npos) baseName.resize(dot);
  WCHAR shared[MAX_PATH] = {};
  const int sharedLength = PathGetSharedDir(shared, MAX_PATH, ctx);
  if (sharedLength <= 0) return 0;
  if (sharedLength + kFolderReserve + static_cast<int>(baseName.size()) > MAX_PATH) {
    const int keep = MAX_PATH - (sharedLength + kFolderReserve);
    if (keep < 0) return 0;
    baseName.resize(static_cast<size_t>(keep));
  }
  PathCreateSharedDir(ctx);
  std::u16string folder = std::u16string(shared) + u"\\zolt";
  if (!PathEnsureDir(folder.c_str())) return 0;
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  WCHAR stamp[32];
  wsprintfW(stamp, u"%04d%02d%02d%02d%02d%02d", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  folder += u"\\";
  folder += stamp;
  folder += baseName;
  if (!PathEnsureDir(folder.c_str())) return 0;
  WCHAR name[16];
  lstrcpynW(name, kMainTemplate, 16);
  CfgScenarioCodeOfTime(now, name + 1);
  name[1 + kScenarioCodeChars] = u'1';
  const std::u16string path = folder + u"\\" + name;
  if (path.size() >= MAX_PATH) return 0;
  lstrcpynW(out, path.c_str(), MAX_PATH);
  return 1;
}

int PathRemoveFolderOf(const WCHAR* path) {
  if (!path) return 0;
  WCHAR pattern[MAX_PATH];
  lstrcpynW(pattern, path, MAX_PATH);
  WCHAR* name = PathGetFileName(pattern);
  if (!name || name == pattern) return 0;
  if (name - pattern + 3 >= MAX_PATH) return 0;
  lstrcpyW(name, u"*.*");
  const int deleted = PathDeleteMatchingFiles(pattern);
  name[-1] = u'\0';
  RemoveDirectoryW(pattern);
  return deleted;
}

int CfgDeleteScenario(const WCHAR* userFile) {
  WCHAR listFile[MAX_PATH] = {};
  if (!userFile || !PathReplaceExtension(listFile, userFile, u"lst")) return 1;
  if (GetFileAttributesW(listFile) == INVALID_FILE_ATTRIBUTES) return 1;
  WCHAR mainFile[MAX_PATH] = {};
  IniReadString(kScenarioDataSection, kAdminDefaultRstKey, u"", mainFile, MAX_PATH, listFile);
  if (mainFile[0] && PathGetFileName(mainFile) != mainFile) PathRemoveFolderOf(mainFile);
  PathDeleteFile(listFile);
  return 1;
}

// ---- export -------------------------------------------------------------------------------------

int CfgWriteScenarioHeader(const WCHAR* file, DriverContext* ctx) {
  if (!file || !ctx || !ctx->profile) return 0;
  const WCHAR* version = ctx->profile->driverVersionString;
  const WCHAR* driver = PrnGetDriverName(ctx);
  return WriteKey(kScenarioDataSection, u"DriverType", u"ZOLT", file) &&
                 WriteKey(kScenarioDataSection, u"RstFileOSVersion", u"1", file) &&
                 WriteKey(kScenarioDataSection, u"DriverVersion", version ? version : u"", file) &&
                 WriteKey(kScenarioDataSection, u"DrvInst", driver ? driver : u"", file)
             ? 1
             : 0;
}

int CfgWriteScenarioMain(const WCHAR* userFile, const WCHAR* mainFile, DriverContext* ctx) {
  const WCHAR* settings = PathGetSettingsIni(ctx);
  const WCHAR* printerSection = CfgPrinterSection(ctx);
  const WCHAR* code = CfgLanguageCodeStr(ctx);
  if (!userFile || !mainFile || !settings || !printerSection || !code || !code[0]) return 0;
  const std::u16string settingsFile = settings, section = printerSection, lang = code;
  const WCHAR* S = settingsFile.c_str();
  const WCHAR* L = lang.c_str();

  const int presets = CfgGetPresetCount(ctx);
  const int qualities = CfgGetQualityCount(ctx);
  if (!WriteKey(L, u"NumDeficonfiles", Decimal(presets).c_str(), mainFile)) return 0;
  for (int i = 0; i < presets; ++i) {
    WCHAR target[MAX_PATH], key[32];
    if (!DefaultFileOf(mainFile, i, u"rsd", target)) return 0;
    wsprintfW(key, u"Deficonfiles%u", static_cast<unsigned>(i + 1));
    if (!WriteKey(L, key, (std::u16string(u"%sysdir%") + PathGetFileName(target)).c_str(), mainFile)) return 0;
  }
  if (!WriteKey(L, u"NumDefqualityfiles", Decimal(qualities).c_str(), mainFile)) return 0;
  WCHAR qualityMain[MAX_PATH];
  lstrcpynW(qualityMain, mainFile, MAX_PATH);
  CfgNextScenarioCode(CodeOf(qualityMain));
  for (int i = 0; i < qualities; ++i) {
    WCHAR target[MAX_PATH], key[32];
    if (!DefaultFileOf(qualityMain, i, u"rsq", target)) return 0;
    wsprintfW(key, u"Defqualityfiles%u", static_cast<unsigned>(i + 1));
    if (!WriteKey(L, key, (std::u16string(u"%sysdir%") + PathGetFileName(target)).c_str(), mainFile)) return 0;
  }
  if (!CfgWriteRstHeader(mainFile, nullptr, ctx, L, nullptr, 0)) return 0;
  if (!CfgTransferOptionRange(mainFile, kCfgSave | kCfgListFile, ctx, L, nullptr, 10004, 10442) ||
      !CfgTransferOptionRange(mainFile, kCfgSave | kCfgListFile, ctx, L, nullptr, 1540, 1630))
    return 0;
  if (!WriteKey(L, kFreeSizeCountKey, u"10", mainFile)) return 0;
  const int stamps = CfgGetStampCount(ctx);
  if (!WriteKey(L, kStampCountKey, Decimal(stamps).c_str(), mainFile)) return 0;

  for (int n = 0; n < kCustomSizeSections; ++n) {
    WCHAR name[64];
    wsprintfW(name, u"FreeSize%d%s", n, L);
    if (!IniCopySection(S, name, mainFile, name)) return 0;
  }
  for (int n = 0; n < stamps; ++n) {
    WCHAR name[64];
    wsprintfW(name, u"Stamp%d%s", n, L);
    if (!IniCopySection(S, name, mainFile, name)) return 0;
  }
  if (!CfgWriteScenarioHeader(mainFile, ctx)) return 0;
  return WriteKey(kScenarioDataSection, u"DefaultRstName", userFile, mainFile) ? 1 : 0;
}

int CfgExportPresetDefaults(const WCHAR* mainFile, DriverContext* ctx) {
  const WCHAR* settings = PathGetSettingsIni(ctx);
  const WCHAR* printerSection = CfgPrinterSection(ctx);
  const WCHAR* code = CfgLanguageCodeStr(ctx);
  if (!mainFile || !settings || !printerSection || !code) return 0;
  const std::u16string S = settings, P = printerSection, L = code;
  const int count = CfgGetPresetCount(ctx);
  for (int i = 0; i < count; ++i) {
    WCHAR target[MAX_PATH], key[kPresetKeyChars];
    if (!DefaultFileOf(mainFile, i, u"rsd", target)) return 0;
    CfgPresetKey(key, i, kPresetKeyPath);
    const std::u16string file = ListValue(P.c_str(), key, S.c_str());
    if (file.empty() || !IniCopySection(file.c_str(), P.c_str(), target, L.c_str())) return 0;
    CfgPresetKey(key, i, kPresetKeyName);
    if (!WriteKey(L.c_str(), u"setname", ListValue(P.c_str(), key, S.c_str(), kPresetTextChars).c_str(), target))
      return 0;
    CfgPresetKey(key, i, kPresetKeyComment);
    if (!WriteKey(L.c_str(), u"setcomment", ListValue(P.c_str(), key, S.c_str(), kPresetTextChars).c_str(), target))
      return 0;
    for (const WCHAR* section : {u"condition", u"disable"})
      if (!IniReadWholeSection(section, file.c_str()).empty() && !IniCopySection(file.c_str(), section, target, section))
        return 0;
    if (!CfgWriteScenarioHeader(target, ctx)) return 0;
  }
  return 1;
}

int CfgExportQualityDefaults(const WCHAR* mainFile, DriverContext* ctx) {
  const WCHAR* settings = PathGetSettingsIni(ctx);
  const WCHAR* printerSection = CfgPrinterSection(ctx);
  const WCHAR* code = CfgLanguageCodeStr(ctx);
  if (!mainFile || !settings || !printerSection || !code) return 0;
  const std::u16string S = settings, P = printerSection, L = code;
  WCHAR qualityMain[MAX_PATH];
  lstrcpynW(qualityMain, mainFile, MAX_PATH);
  CfgNextScenarioCode(CodeOf(qualityMain));  // raised for the qualities only; the main path stays
  const int count = CfgGetQualityCount(ctx);
  for (int i = 0; i < count; ++i) {
    WCHAR target[MAX_PATH], key[kQualityKeyChars + 8];
    if (!DefaultFileOf(qualityMain, i, u"rsq", target)) return 0;
    CfgQualityKey(key, i);
    const std::u16string file = ListValue(P.c_str(), key, S.c_str());
    if (file.empty() || !IniCopySection(file.c_str(), P.c_str(), target, L.c_str())) return 0;
    lstrcatW(key, kQualityNameSuffix);
    if (!WriteKey(L.c_str(), kQualityDefaultNameKey, ListValue(P.c_str(), key, S.c_str()).c_str(), target)) return 0;
    if (!CfgWriteScenarioHeader(target, ctx)) return 0;
  }
  return 1;
}

int CfgWriteScenarioList(const WCHAR* userFile, const WCHAR* mainFile, DriverContext* ctx) {
  WCHAR listFile[MAX_PATH] = {};
  if (!userFile || !mainFile || !PathReplaceExtension(listFile, userFile, u"lst")) return 0;
  if (!WriteKey(kScenarioDataSection, u"ORVEXZOLTDriverFileList", u"1", listFile) ||
      !WriteKey(kScenarioDataSection, kAdminDefaultRstKey, mainFile, listFile))
    return 0;
  int n = 1;
  WCHAR qualityMain[MAX_PATH];
  lstrcpynW(qualityMain, mainFile, MAX_PATH);
  CfgNextScenarioCode(CodeOf(qualityMain));
  struct Kind {
    const WCHAR* main;
    int count;
    const WCHAR* extension;
  };
  for (const Kind& kind : {Kind{mainFile, CfgGetPresetCount(ctx), u"rsd"},
                           Kind{qualityMain, CfgGetQualityCount(ctx), u"rsq"}}) {
    for (int i = 0; i < kind.count; ++i) {
      WCHAR target[MAX_PATH], key[32];
      if (!DefaultFileOf(kind.main, i, kind.extension, target)) return 0;
      wsprintfW(key, u"OtherFiles%d", n++);
      if (!WriteKey(kScenarioDataSection, key, target, listFile)) return 0;
    }
  }
  return CfgWriteScenarioHeader(listFile, ctx);
}

int CfgExportScenario(const WCHAR* userFile, const WCHAR* mainFile, DriverContext* ctx) {
  if (!userFile || !mainFile || !ctx) return 0;
  WCHAR main[MAX_PATH];
  lstrcpynW(main, mainFile, MAX_PATH);
  if (!CfgWriteScenarioHeader(userFile, ctx) || !CfgWriteScenarioMain(userFile, main, ctx) ||
      !CfgExportPresetDefaults(main, ctx))
    return 0;
  FmScenarioExportParam param{main};
  if (OptHasAnyLock(ctx)) FmBroadcastNotify(ctx, kFmNotifyScenarioPresetsExported, &param);
  if (!CfgExportQualityDefaults(main, ctx)) return 0;
  if (OptHasAnyLock(ctx)) FmBroadcastNotify(ctx, kFmNotifyScenarioQualitiesExported, &param);
  return CfgWriteScenarioList(userFile, main, ctx);
}

// ---- the driver's default package ---------------------------------------------------------------

int CfgInstallScenarioDefaults(DriverContext* ctx) {
  WCHAR package[MAX_PATH] = {};
  const WCHAR* code = CfgLanguageCodeStr(ctx);
  if (!ctx || !code || !code[0] || !CfgReadDriverDefaultRst(package, ctx)) return 1;
  PathCompleteFromDriverDir(package, MAX_PATH, ctx);
  const std::u16string lang = code;
  struct Kind {
    const WCHAR* countKey;
    const WCHAR* entryFormat;
    bool withConditions;
  };
  for (const Kind& kind : {Kind{u"NumDeficonfiles", u"Deficonfiles%u", true},
                           Kind{u"NumDefqualityfiles", u"Defqualityfiles%u", false}}) {
    WCHAR key[32];
    wsprintfW(key, kind.entryFormat, 0u);
    WCHAR source[MAX_PATH] = {};
    IniReadString(lang.c_str(), key, u"", source, MAX_PATH, package);
    if (!source[0] || !PathExpandInstallName(source, MAX_PATH, ctx)) continue;
    const UINT count = IniReadInt(lang.c_str(), kind.countKey, 0, package);
    for (UINT u = 1; u <= count && u <= 0xFFFE; ++u) {
      wsprintfW(key, kind.entryFormat, u);
      WCHAR target[MAX_PATH] = {};
      IniReadString(lang.c_str(), key, u"", target, MAX_PATH, package);
      if (!target[0] || !PathExpandInstallName(target, MAX_PATH, ctx)) continue;
      std::vector<std::u16string> sections;
      if (kind.withConditions) sections = {u"condition", u"disable"};
      sections.push_back(lang);
      for (const std::u16string& section : sections) {
        const std::u16string stored = section + PathGetFileName(target);
        if (stored.size() > kIniSectionChars) continue;
        IniCopySection(source, stored.c_str(), target, section.c_str());
      }
    }
  }
  return 1;
}
