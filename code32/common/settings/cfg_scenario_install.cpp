// Installation of scenario presets and quality files.
#include "scenario_install.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "devmode_fields.h"
#include "env_language.h"
#include "env_system.h"
#include "env_text.h"
#include "fd_services.h"
#include "ini_file.h"
#include "model_query.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_context_words.h"
#include "option_store.h"
#include "option_table.h"
#include "option_units.h"
#include "admin_install.h"
#include "path_files.h"
#include "preset_list.h"
#include "prn_data.h"
#include "quality_list.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "settings_section.h"
#include "stamp_list.h"
#include "free_size.h"
#include "ui_services.h"
#include "undo_images.h"

namespace {

constexpr UINT kNoList = 0xFFFF;
constexpr UINT kMostListed = 0xFFFE;
constexpr int kScenarioPresetLimit = 16;
constexpr int kConditionChars = 260;
constexpr short kDeployWhenDifferent = 2;

enum : uint16_t {
  kOptUiModeChange = 36,          // zdmUIModeChange
  kOptPresetNo = 37,              // zdmPresetNo
  kOptTintBlockUi = 542,          // zdmFunc2SelectTintBlockUI
};
constexpr uint16_t kPresetNoPage = 1001;
constexpr uint16_t kPresetNoControl = 2001;

// Messages and the sub-dialog of the one-time preset refresh.
constexpr WORD kMsgPresetsRefreshed = 7004;
constexpr WORD kMsgDropPresets = 10017;
constexpr uint16_t kPresetRefreshDialog = 1011;
constexpr DWORD kSubDialogModal = 4;

inline constexpr WCHAR kConditionSection[] = u"condition";
inline constexpr WCHAR kDisableSection[] = u"disable";
inline constexpr WCHAR kPresetRefreshKey[] = u"PresetRefresh";

bool StartsWithNoCase(const WCHAR* text, const WCHAR* prefix) {
  const int length = lstrlenW(prefix);
  if (lstrlenW(text) < length) return false;
  for (int i = 0; i < length; ++i) {
    WCHAR a = text[i], b = prefix[i];
    if (a >= u'A' && a <= u'Z') a = static_cast<WCHAR>(a - u'A' + u'a');
    if (b >= u'A' && b <= u'Z') b = static_cast<WCHAR>(b - u'A' + u'a');
    if (a != b) return false;
  }
  return true;
}

}  // namespace


int PathExpandInstallNameEx(WCHAR* name, int size, short mode, DriverContext* ctx) {
  if (!name || size <= 0) return 0;
  if (name[0] && name[1] == u':') return 1;
  if (lstrlenW(name) >= MAX_PATH) return 0;
  WCHAR original[MAX_PATH];
  lstrcpynW(original, name, MAX_PATH);
  const bool driverSide = mode == kExpandForScenario && EnvIsWin2000OrLater();
  const int limit = size < MAX_PATH ? size : MAX_PATH;
  WCHAR result[MAX_PATH] = {};
  // "%windir%\x": the separator after the word is the one the join adds.
  const WCHAR* afterWord = original + 8;
  if (StartsWithNoCase(original, u"%windir%") || StartsWithNoCase(original, u"%sysdir%"))
    while (*afterWord == u'\\') ++afterWord;
  if (StartsWithNoCase(original, u"%windir%")) {
    if (driverSide)
      PathInContextDriverDir(result, afterWord, ctx);
    else
      PathInWindowsDir(result, MAX_PATH, afterWord);
  } else if (StartsWithNoCase(original, u"%sysdir%")) {
    if (driverSide)
      PathInSharedDir(result, MAX_PATH, afterWord, ctx);
    else
      PathInSystemDir(result, MAX_PATH, afterWord);
  } else if (StartsWithNoCase(original, u"..\\")) {
    PathResolveUpFromSystemDir(result, MAX_PATH, original);
  } else {
    const WCHAR* rest = StartsWithNoCase(original, u".\\") ? original + 2 : original;
    if (driverSide)
      PathInContextDriverDir(result, rest, ctx);
    else
      PathInSystemDir(result, MAX_PATH, rest);
  }
  // A result that does not fit the caller's buffer is refused rather than cut.
  if (!result[0] || lstrlenW(result) >= limit) {
    name[0] = u'\0';
    return 0;
  }
  lstrcpynW(name, result, limit);
  return 1;
}

int PathExpandInstallName(WCHAR* name, int size, DriverContext* ctx) {
  return PathExpandInstallNameEx(name, size, kExpandForScenario, ctx) && PathHasShortExtension(name) ? 1 : 0;
}

int PathExpandInstallNameForSystem(WCHAR* name, int size, DriverContext* ctx) {
  return PathExpandInstallNameEx(name, size, kExpandForSystem, ctx);
}

// ---- derived names ------------------------------------------------------------------------------

int PathDefaultPresetFile(WCHAR* out, const WCHAR* path, int size) {
  if (!out || !path || size <= 0) return 0;
  WCHAR replaced[MAX_PATH];
  if (!PathReplaceExtension(replaced, path, kPresetDefaultExtension) || lstrlenW(replaced) >= size) {
    out[0] = u'\0';
    return 0;
  }
  lstrcpynW(out, replaced, size);
  return 1;
}

int PathInstalledDefaultOf(WCHAR* out, const WCHAR* file, DWORD flags, DriverContext* ctx) {
  if (!out) return 0;
  out[0] = u'\0';
  const WCHAR* extension = (flags & kCfgPresetRows) ? u"rsd" : (flags & kCfgQualityRows) ? u"rsq" : nullptr;
  if (!file || !file[0] || !extension) return 0;
  WCHAR joined[MAX_PATH] = {};
  if (!PathInSharedDir(joined, MAX_PATH, PathGetFileName(file), ctx) || !joined[0]) return 0;
  return PathReplaceExtension(out, joined, extension);
}

// ---- checks of a listed file --------------------------------------------------------------------

int CfgPresetNotDisabled(const WCHAR* file, DriverContext* ctx) {
  const WCHAR* driver = ctx ? PrnGetDriverName(ctx) : nullptr;
  if (!file || !driver || !driver[0]) return 1;
  return IniReadInt(kDisableSection, driver, 0, file) == 0 ? 1 : 0;
}

int CfgEvalConditionExpression(const char* text, const std::function<bool(const std::string& name)>& holds) {
  bool result = true;
  char before = '&';
  const char* c = text ? text : "";
  for (;;) {
    while (*c == ' ' || *c == '\t') ++c;
    if (!*c) break;
    bool negate = false;
    if (*c == '!') {
      negate = true;
      ++c;
    }
    const char* start = c;
    while (*c && *c != ' ' && *c != '\t' && *c != '|' && *c != '&') ++c;
    if (c == start) break;  // no identifier: the expression ends with what it had
    const std::string name(start, c);
    while (*c == ' ' || *c == '\t') ++c;
    const char after = (*c == '|' || *c == '&') ? *c : '\0';
    if (!(result && before == '|')) {
      // An unknown name is false, also under "!".
      const ValueNameEntry* value = OptFindValueSymbolByName(name.c_str());
      result = value && (holds(name) != negate);
      if (!result && after == '&') return 0;
    }
    if (!after) break;
    before = after;
    ++c;
  }
  return result ? 1 : 0;
}

int CfgEvalConditionText(const char* text, const ModelItem* item, DriverContext* ctx) {
  return CfgEvalConditionExpression(text, [&](const std::string& name) {
    const ValueNameEntry* value = OptFindValueSymbolByName(name.c_str());
    return value && MdlIsDisabled(item, static_cast<uint16_t>(value->value), ctx) == 1;
  });
}

int CfgEvalFileCondition(const WCHAR* file, DriverContext* ctx) {
  const NameEntry* symbol = OptFindSymbolByName("ZPD_ConditionOption");
  const ModelItem* item = symbol ? MdlGetItemByKey(symbol->nameIndex, ctx) : nullptr;
  if (!file || !item) return 1;
  int result = 1;
  for (WCHAR a = u'0'; a <= u'9' && result; ++a) {
    bool evaluated = false, holds = false;
    for (WCHAR b = u'0'; b <= u'9'; ++b) {
      WCHAR key[] = u"ConditionOption0_0";
      key[15] = a;
      key[17] = b;
      WCHAR value[kConditionChars] = {};
      IniReadString(kConditionSection, key, u"", value, kConditionChars, file);
      if (!value[0]) break;
      char text[kConditionChars * 2] = {};
      EnvWideToAnsi(text, value, sizeof text);
      evaluated = true;
      if (CfgEvalConditionText(text, item, ctx)) {
        holds = true;
        break;
      }
    }
    if (evaluated && !holds) result = 0;
  }
  return result;
}

int CfgCheckPresetWatermark(const WCHAR* file, DriverContext* ctx) {
  if (OptGetValue(ctx, kOptTintBlockUi, nullptr) == 0) return 1;
  int length = 0;
  const WCHAR* extension = PathGetExtension(file, &length);
  if (!extension || length != 3) return 0;
  const WCHAR* section = nullptr;
  if (lstrcmpiW(extension, u"rsr") == 0)
    section = CfgPrinterSection(ctx);
  else if (lstrcmpiW(extension, u"rsd") == 0)
    section = CfgLanguageSection(ctx);
  const WCHAR* field = OptGetFieldName(ctx, kOptFuncSelectWaterMark);
  if (!section || !section[0] || !field) return 0;
  return IniReadInt(section, field, 0, file) == 0 ? 1 : 0;
}

void CfgResaveInstalledCopy(const WCHAR* copy, const WCHAR* source, DWORD kind, DriverContext* ctx) {
  if (!copy || !source || !ctx || !PathIsFilePresent(source)) return;
  for (const WCHAR* section : {kConditionSection, kDisableSection}) {
    IniWriteString(section, nullptr, nullptr, copy);
    IniCopySection(source, section, copy, section);
  }
  DmPushSnapshot(ctx);
  CfgLoadSettingsFile(ctx->printer, source, kind | kCfgInstalledDefault, ctx);
  CfgSaveSettingsFile(ctx->printer, copy, kind | kCfgInstalledDefault, ctx);
  const WCHAR* language = CfgLanguageSection(ctx);
  const WCHAR* printerSection = CfgPrinterSection(ctx);
  WCHAR readonly[16] = {};
  if (language && printerSection) {
    IniReadString(language, kPresetReadonlyKey, u"", readonly, 16, source);
    if (readonly[0]) IniWriteString(printerSection, kPresetReadonlyKey, readonly, copy);
  }
  DmPopSnapshot(ctx, 1);
}

// ---- the lists ----------------------------------------------------------------------------------

int CfgFindListedPreset(const PresetSnapshotEntry* snapshot, int count, const WCHAR* installedCopy) {
  if (!snapshot || !installedCopy) return 0;
  const WCHAR* wanted = PathGetFileName(installedCopy);
  for (int i = 0; i < count; ++i) {
    const WCHAR* own = PathGetFileName(snapshot[i].filePath);
    bool same = true;
    for (int n = 0; n < 8 && same; ++n) {
      WCHAR a = own[n], b = wanted[n];
      if (a >= u'a' && a <= u'z') a = static_cast<WCHAR>(a - u'a' + u'A');
      if (b >= u'a' && b <= u'z') b = static_cast<WCHAR>(b - u'a' + u'A');
      if (a != b) same = false;
      if (!a) break;
    }
    if (same) return 1;
  }
  return 0;
}

int CfgAddScenarioPresetEntry(DriverContext* ctx, const WCHAR* file, const WCHAR* name, const WCHAR* comment) {
  if (CfgGetPresetCount(ctx) >= kScenarioPresetLimit) return 0;
  FmAddPresetListEntry(ctx, file, name && name[0] ? name : u"NoName", comment ? comment : u"");
  return 1;
}

int CfgAppendQualityEntry(DriverContext* ctx, const WCHAR* file, const WCHAR* name) {
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (!list.ok || !file) return 0;
  const int n = CfgGetQualityCount(ctx);
  WCHAR key[kQualityKeyChars + 8] = {};
  CfgQualityKey(key, n);
  if (!IniWriteString(list.section, key, file, list.file)) return 0;
  lstrcatW(key, kQualityNameSuffix);
  if (!IniWriteString(list.section, key, name && name[0] ? name : u"NoName", list.file)) return 0;
  return IniWriteIntKey(list.section, kQualityCountKey, n + 1, list.file) ? 1 : 0;
}

namespace {

struct ListKeys {
  const WCHAR* countKey;
  const WCHAR* entryFormat;
  DWORD kind;
  const WCHAR* doneKey;
};
constexpr ListKeys kPresetKeys{u"NumDeficonfiles", u"Deficonfiles%u", kCfgPresetRows, u"DrvInstPresetDone"};
constexpr ListKeys kQualityKeys{u"NumDefqualityfiles", u"Defqualityfiles%u", kCfgQualityRows, u"DrvInstQualityDone"};

// The steps that copy the listed file and make sure the installed copy exists (flag 0x02).
int DeployListedFile(const WCHAR* listed, const WCHAR* installed, DWORD flags, DWORD kind, DriverContext* ctx) {
  int result = PathDeployFile(listed, nullptr, kDeployWhenDifferent, ctx);
  if (!result && (flags & kInstallWriteMark)) result = PathDeployFile(listed, nullptr, kDeployWhenDifferent, ctx);
  if (PathIsFilePresent(installed)) {
    if (!(flags & kInstallKeepCopies)) CfgResaveInstalledCopy(installed, listed, kind, ctx);
  } else if (flags & kInstallWriteMark) {
    WCHAR fromDriver[MAX_PATH] = {};
    PathInContextDriverDir(fromDriver, PathGetFileName(installed), ctx);
    if (fromDriver[0]) PathCopyFile(fromDriver, installed, FALSE);
    const WCHAR* printerSection = CfgPrinterSection(ctx);
    WCHAR version[16] = {};
    if (printerSection) IniReadString(printerSection, kRstVersionKey, u"", version, 16, installed);
    if (!version[0]) CfgResaveInstalledCopy(installed, listed, kind, ctx);
    if (!result) result = 1;
  }
  return result;
}

int InstallList(const ListKeys& keys, const WCHAR* file, const WCHAR* section, DWORD flags, DriverContext* ctx,
                int oldCount, const PresetSnapshotEntry* snapshot) {
  if (!file || !section || !ctx || !ctx->workArea) return 0;
  const bool presets = keys.kind == kCfgPresetRows;
  if (flags & kInstallAddToList) {
    if (presets) {
      if (!(flags & kInstallKeepList) && !((flags & kInstallWriteMark) && (flags & kInstallChecked)))
        FmClearPresetList(ctx);
    } else {
      const SettingsListFile list = CfgOpenSettingsList(ctx);
      if (list.ok) IniWriteString(list.section, kQualityCountKey, u"0", list.file);
    }
  }
  const UINT count = IniReadInt(section, keys.countKey, static_cast<int>(kNoList), file);
  if (count == kNoList || count == 0) return 1;
  const WCHAR* settings = PathGetSettingsIni(ctx);
  if (!settings || !(settings[0] && settings[1] == u':')) return 0;

  int result = 1;
  for (UINT i = 1; i <= count && i <= kMostListed; ++i) {
    WCHAR key[32];
    wsprintfW(key, keys.entryFormat, i);
    WCHAR listed[MAX_PATH] = {};
    IniReadString(section, key, u"", listed, MAX_PATH, file);
    if (!listed[0] || !PathExpandInstallName(listed, MAX_PATH, ctx)) continue;
    WCHAR installed[MAX_PATH] = {};
    if (!PathInstalledPresetPath(installed, listed, MAX_PATH, ctx)) continue;

    if (flags & kInstallAddToList) {
      const WCHAR* language = CfgLanguageSection(ctx);
      WCHAR name[kPresetTextChars] = {}, comment[kPresetTextChars] = {};
      if (presets) {
        IniReadString(language, u"setname", u"", name, MAX_PATH, listed);
        IniReadString(language, u"setcomment", u"", comment, MAX_PATH, listed);
        bool stop = false;
        if (flags & kInstallChecked) {
          if (CfgPresetNotDisabled(listed, ctx) && CfgEvalFileCondition(listed, ctx) &&
              CfgCheckPresetWatermark(listed, ctx)) {
            if (flags & kInstallWriteMark) {
              stop = !CfgAddScenarioPresetEntry(ctx, installed, name, comment);
            } else if (!CfgFindListedPreset(snapshot, oldCount, installed) && i != 1 && (flags & kInstallKeepList)) {
              stop = !CfgAddScenarioPresetEntry(ctx, installed, name, comment);
              if (!stop && !CfgCheckRstHeader(installed, CfgPrinterSection(ctx), kCfgPresetRows, 0, ctx, nullptr,
                                              nullptr, nullptr, 1))
                CfgResaveInstalledCopy(installed, listed, kCfgPresetRows, ctx);
            }
          }
        } else if (CfgPresetNotDisabled(listed, ctx)) {
          stop = !CfgAddScenarioPresetEntry(ctx, installed, name, comment);
        }
        if (stop) break;
      } else {
        IniReadString(language, kQualityDefaultNameKey, u"", name, MAX_PATH, listed);
        CfgAppendQualityEntry(ctx, installed, name);
      }
      if (flags & kInstallRewriteCopy) CfgResaveInstalledCopy(installed, listed, keys.kind, ctx);
    }
    if (flags & kInstallCopyFiles) {
      const int deployed = DeployListedFile(listed, installed, flags, keys.kind, ctx);
      if (deployed > result) result = deployed;
    }
    if (flags & kInstallDeleteCopy) PathDeleteFile(installed);
  }
  if ((flags & kInstallWriteMark) && result) {
    const WCHAR* language = CfgLanguageSection(ctx);
    if (language && language[0]) IniWriteString(language, keys.doneKey, u"1", file);
  }
  return result;
}

}  // namespace

int CfgInstallScenarioPresets(const WCHAR* file, const WCHAR* section, DWORD flags, DriverContext* ctx, int oldCount,
                              void* snapshot) {
  return InstallList(kPresetKeys, file, section, flags, ctx, oldCount,
                     static_cast<const PresetSnapshotEntry*>(snapshot));
}

int CfgInstallScenarioQualities(const WCHAR* file, const WCHAR* section, DWORD flags, DriverContext* ctx, int, void*) {
  return InstallList(kQualityKeys, file, section, flags, ctx, 0, nullptr);
}

int CfgInstallScenarioLists(const WCHAR* file, const WCHAR* section, DWORD flags, DriverContext* ctx) {
  if (!file || !section || !ctx) return 0;
  CfgTransferPrnSection(file, kCfgLoad | kCfgListFile, ctx);
  const int presets = CfgInstallScenarioPresets(file, section, flags | kInstallAddToList, ctx, 0, nullptr);
  const int qualities = CfgInstallScenarioQualities(file, section, flags | kInstallAddToList, ctx, 0, nullptr);
  return presets && qualities ? 1 : 0;
}

// ---- the scenario's settings, custom sizes and watermarks ---------------------------------------

int CfgLoadScenarioDefaults(const WCHAR* file, const WCHAR* section, DriverContext* ctx) {
  if (!file || !ctx) return 0;
  CfgWithSection(ctx, section, [&] { return CfgLoadSettingsFile(ctx->printer, file, kCfgListFile, ctx); });
  CfgTransferPrnSection(file, kCfgLoad | kCfgListFile, ctx);
  CtxSetPresentUIMode(ctx, OptGetValue(ctx, kOptUiModeChange, nullptr) ? 1 : 0);
  return 1;
}

int CfgLoadScenarioFreeSizes(const WCHAR* file, const WCHAR* section, DriverContext* ctx) {
  if (!file || !section || !ctx) return 0;
  const WCHAR* code = CfgLanguageCodeStr(ctx);
  const int count = static_cast<int>(IniReadInt(section, kFreeSizeCountKey, 0, file));
  for (int n = 0; n < count && n < kFreeSizeUserSlots; ++n) {
    WCHAR slot[kCtxPathChars];
    wsprintfW(slot, u"FreeSize%d%s", n, code ? code : u"");
    const int loaded = CfgWithSection(ctx, slot, [&] {
      for (uint16_t id = kOptFreeSizeName; id <= kOptFreeSizeOrient; ++id) OptSetValue(ctx, id, 0);
      return CfgTransferSettingsSection(ctx->printer, file, kCfgLoad | kCfgFreeSizeRows, ctx);
    });
    if (loaded) CfgSaveFreeSize(ctx, n);
  }
  return 1;
}

int CfgLoadScenarioStamps(const WCHAR* file, const WCHAR* section, DriverContext* ctx) {
  if (!file || !section || !ctx) return 0;
  const int count = CfgGetStampCountOf(file, section, ctx);
  if (count > CfgGetStampCount(ctx)) CfgSetStampCount(ctx, count);
  const int32_t keptId = OptGetValue(ctx, kOptWmId, nullptr);
  for (int n = 0; n < count && n <= kStampNumberLast; ++n)
    if (CfgLoadStampFromFile(file, nullptr, n, ctx)) CfgSaveStamp(ctx, n);
  OptSetValue(ctx, kOptWmId, keptId);
  return 1;
}

// ---- the preset refresh -------------------------------------------------------------------------

int CfgIsPresetFileApplicable(const WCHAR* file, DriverContext* ctx) {
  if (!ctx || !ctx->settingsImage) return 0;
  const DWORD size = DmGetImageSize();
  std::vector<BYTE> kept(reinterpret_cast<const BYTE*>(ctx->settingsImage),
                         reinterpret_cast<const BYTE*>(ctx->settingsImage) + size);
  CfgLoadSettingsFile(ctx->printer, file, kTransferPresetQuiet, ctx);
  int applicable = 1;
  const int32_t status = CtxGetSettingsFileStatus(ctx);
  if (status != 1 && status != 3) {
    if (const PageControlEntry* entry = OptFindPageControl(kOptPresetNo)) {
      DialogDescriptor* dialog = OptFindDialog(ctx, entry->dialogId ? entry->dialogId : kPresetNoPage);
      ControlDescriptor* control =
          dialog ? OptFindControl(ctx, dialog, entry->controlId ? entry->controlId : kPresetNoControl) : nullptr;
      const ModelItem* item = control ? MdlGetItemByKey(control->nameIndex, ctx) : nullptr;
      if (item && MdlGetAlertMessage(item, ctx)) applicable = 0;
    }
  }
  std::memcpy(ctx->settingsImage, kept.data(), size);
  return applicable;
}

int CfgRefreshScenarioPresets(DriverContext* ctx, int ask) {
  if (!ctx || !ctx->workArea) return 0;
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (!list.ok) return 0;
  const int count = CfgGetPresetCount(ctx);
  std::vector<PresetSnapshotEntry> snapshot(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    PresetSnapshotEntry& entry = snapshot[static_cast<size_t>(i)];
    WCHAR key[kPresetKeyChars];
    CfgPresetKey(key, i, kPresetKeyPath);
    IniReadString(list.section, key, u"", entry.filePath, MAX_PATH, list.file);
    PathDefaultPresetFile(entry.installedDefault, entry.filePath, MAX_PATH);
    CfgPresetKey(key, i, kPresetKeyName);
    IniReadString(list.section, key, u"", entry.name, kPresetSnapshotTextChars, list.file);
    CfgPresetKey(key, i, kPresetKeyComment);
    IniReadString(list.section, key, u"", entry.comment, kPresetSnapshotTextChars, list.file);
  }

  WCHAR scenario[MAX_PATH] = {};
  if (!CfgReadSettingsDefaultRst(scenario, ctx)) return 0;
  const WCHAR* language = CfgLanguageSection(ctx);
  if (!language || !language[0]) return 0;
  const UINT listedCount = IniReadInt(language, kPresetKeys.countKey, static_cast<int>(kNoList), scenario);
  if (listedCount == kNoList) return 0;
  std::vector<std::u16string> listedNames;
  for (UINT i = 1; i <= listedCount && i <= kMostListed; ++i) {
    WCHAR key[32];
    wsprintfW(key, kPresetKeys.entryFormat, i);
    WCHAR listed[MAX_PATH] = {};
    IniReadString(language, key, u"", listed, MAX_PATH, scenario);
    if (!listed[0] || !PathExpandInstallName(listed, MAX_PATH, ctx)) return 0;
    listedNames.emplace_back(PathGetFileName(listed));
  }

  bool dropping = false;
  for (PresetSnapshotEntry& entry : snapshot) {
    int length = 0;
    const WCHAR* extension = PathGetExtension(entry.filePath, &length);
    bool keep;
    if (length == 3 && lstrcmpiW(extension, u"rsr") == 0) {
      bool listed = false;
      for (const std::u16string& name : listedNames)
        if (lstrcmpiW(name.c_str(), PathGetFileName(entry.installedDefault)) == 0) listed = true;
      keep = !(listed && (!CfgEvalFileCondition(entry.filePath, ctx) || !CfgCheckPresetWatermark(entry.filePath, ctx)));
    } else {
      keep = length == 0 || CfgIsPresetFileApplicable(entry.filePath, ctx);
    }
    entry.dropMark = keep ? 0 : 1;
    dropping = dropping || !keep;
  }
  if (dropping && ask && FdAskWarningOkCancel(ctx, nullptr, kMsgDropPresets) == kFdIdCancel) return 0;

  FmClearPresetList(ctx);
  for (const PresetSnapshotEntry& entry : snapshot)
    if (!entry.dropMark) FmAddPresetListEntry(ctx, entry.filePath, entry.name, entry.comment);
  return CfgInstallScenarioPresets(scenario, language, kInstallAddToList | kInstallChecked | kInstallKeepList, ctx,
                                   count, snapshot.data());
}

namespace {

void MarkPresetRefresh(DriverContext* ctx) {
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (list.ok) IniWriteString(list.section, kPresetRefreshKey, u"1", list.file);
  const DWORD one = 1;
  PrnSetData(ctx->printer, &one, sizeof one, REG_BINARY, kPresetRefreshKey, ctx);
}

}  // namespace

int CfgRunPresetRefresh(DriverContext* ctx, BYTE mode) {
  if (!ctx || !ctx->workArea || !OptIsBuildSwitchOn(1)) return 1;
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (!list.ok) return 1;
  const UINT packDone = IniReadInt(list.section, u"PackInstallDone", 0, list.file);
  if (mode == 2 && packDone == 1) return 1;
  if (mode == 0 && (CtxGetBiDirect(ctx) == 1 || packDone == 1)) mode = 1;
  if (IniReadInt(list.section, kPresetRefreshKey, 0, list.file) != 0) return 1;
  const bool terminalServer = EnvQueryTerminalServer(ctx->printer) != 0;
  if (mode == 0 && !terminalServer) {
    ctx->workArea->presetRefreshRunning = 1;
    FdShowMessageStyled(ctx, nullptr, kMsgPresetsRefreshed, kFdIconInformation, 0);
    UiRunSubDialog(ctx, kSubDialogModal, kPresetRefreshDialog, nullptr);
    ctx->workArea->presetRefreshRunning = 0;
    if (ctx->workArea->sheetState == 1) {
      CfgSaveOptionClass(ctx->printer, ctx, 2, 0);
      CfgRefreshScenarioPresets(ctx, 0);
      MarkPresetRefresh(ctx);
    }
  } else if (mode == 1) {
    CfgRefreshScenarioPresets(ctx, 0);
    MarkPresetRefresh(ctx);
  } else if (mode == 2 && !terminalServer) {
    FdShowMessageStyled(ctx, nullptr, kMsgPresetsRefreshed, kFdIconInformation, 0);
    CfgRefreshScenarioPresets(ctx, 0);
    MarkPresetRefresh(ctx);
  }
  return 1;
}
