// The user quality list: its keys in the printer section of the settings file and the quality
// files its entries name.
#include "quality_list.h"

#include <string>

#include "env_language.h"
#include "ini_file.h"
#include "option_access.h"
#include "path_files.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "settings_section.h"
#include "undo_images.h"

namespace {

// Counts above this are not a list the driver wrote; they are read as this many entries.
constexpr int kMaxQualityEntries = 0xFFFF;

// "<key>Name"; false for a key that leaves no room for it.
bool NameKey(const WCHAR* key, WCHAR (&out)[kQualityKeyChars + 8]) {
  if (!key || !key[0] || lstrlenW(key) >= kQualityKeyChars) return false;
  lstrcpynW(out, key, kQualityKeyChars);
  lstrcatW(out, kQualityNameSuffix);
  return true;
}

// The entry's file path (empty when the key is missing). false when it names no file.
bool EntryPath(DriverContext* ctx, const WCHAR* key, WCHAR (&path)[kCtxPathChars]) {
  path[0] = u'\0';
  if (!key || !key[0]) return false;
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (!list.ok) return false;
  IniReadString(list.section, key, u"", path, kCtxPathChars, list.file);
  return path[0] != u'\0';
}

bool SetUserSetName(DriverContext* ctx, const WCHAR* name) {
  OptionEntry* row = OptFind(ctx, kOptUserSetName);
  return row && OptSetStringValue(ctx, row, name);
}

int SaveEntry(DriverContext* ctx, int index, bool withName) {
  WCHAR key[kQualityKeyChars];
  if (CfgQualityKey(key, index) <= 0) return 0;
  if (withName) return CfgSaveQualityByKey(ctx, key);
  WCHAR path[kCtxPathChars];
  if (!EntryPath(ctx, key, path)) return 0;
  return CfgSaveSettingsFile(ctx->printer, path, kTransferQuality, ctx);
}

}  // namespace

int CfgGetQualityCount(DriverContext* ctx) {
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (!list.ok) return 0;
  const int count = static_cast<int>(IniReadInt(list.section, kQualityCountKey, 0, list.file));
  return count < 0 ? 0 : (count > kMaxQualityEntries ? kMaxQualityEntries : count);
}

int CfgQualityKey(WCHAR* out, int index) {
  if (!out) return 0;
  out[0] = u'\0';
  if (index < 0) return 0;
  const std::string digits = std::to_string(index);
  std::u16string key(kQualityKeyPrefix);
  key.append(digits.begin(), digits.end());
  lstrcpynW(out, key.c_str(), kQualityKeyChars);
  return lstrlenW(out);
}

// ---- loads and saves ------------------------------------------------------------------------

int CfgLoadQuality(DriverContext* ctx, int index) {
  WCHAR key[kQualityKeyChars];
  if (CfgQualityKey(key, index) <= 0) return 0;
  return CfgLoadQualityByKey(ctx, key);
}

int CfgLoadQualityByKey(DriverContext* ctx, const WCHAR* key) {
  WCHAR path[kCtxPathChars];
  if (!EntryPath(ctx, key, path)) return 0;
  const int result = CfgLoadSettingsFile(ctx->printer, path, kTransferQuality, ctx);
  CfgLoadQualityName(ctx, key);
  return result;
}

int CfgLoadQualityName(DriverContext* ctx, const WCHAR* key) {
  WCHAR nameKey[kQualityKeyChars + 8];
  if (!NameKey(key, nameKey)) return 0;
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (!list.ok) return 0;
  WCHAR name[kQualityNameChars] = {};
  IniReadString(list.section, nameKey, u"", name, kQualityNameChars, list.file);
  return SetUserSetName(ctx, name) ? 1 : 0;
}

int CfgSaveQuality(DriverContext* ctx, int index) { return SaveEntry(ctx, index, true); }

int CfgSaveQualityByKey(DriverContext* ctx, const WCHAR* key) {
  WCHAR path[kCtxPathChars];
  WCHAR nameKey[kQualityKeyChars + 8];
  if (!NameKey(key, nameKey) || !EntryPath(ctx, key, path)) return 0;
  const int saved = CfgSaveSettingsFile(ctx->printer, path, kTransferQuality, ctx);
  // The serializer may have used the printer-section buffer: take the list's place afresh.
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  WCHAR name[kQualityNameChars] = {};
  if (OptionEntry* row = OptFind(ctx, kOptUserSetName)) OptGetStringValue(ctx, row, name, kQualityNameChars);
  const bool named = list.ok && IniWriteString(list.section, nameKey, name, list.file);
  return saved && named ? 1 : 0;
}

int CfgSaveQualityValues(DriverContext* ctx, int index) { return SaveEntry(ctx, index, false); }

// ---- installed defaults ---------------------------------------------------------------------

int CfgQualityDefaultPath(DriverContext* ctx, int index, WCHAR* out) {
  if (!out) return 0;
  out[0] = u'\0';
  WCHAR key[kQualityKeyChars];
  WCHAR path[kCtxPathChars];
  if (CfgQualityKey(key, index) <= 0 || !EntryPath(ctx, key, path)) return 0;
  WCHAR installed[MAX_PATH] = {};
  if (!PathInstalledPresetPath(installed, path, MAX_PATH, ctx) || !installed[0]) return 0;
  if (!PathQualityFileOf(out, installed)) {
    out[0] = u'\0';
    return 0;
  }
  return out[0] ? 1 : 0;
}

int CfgLoadQualityDefault(void*, DriverContext* ctx, int index) {
  WCHAR file[MAX_PATH];
  if (!CfgQualityDefaultPath(ctx, index, file)) return 0;
  const int result = CfgLoadSettingsFile(ctx->printer, file, kTransferQualityDefault, ctx);
  WCHAR key[kQualityKeyChars];
  if (CfgQualityKey(key, index) > 0) CfgLoadQualityName(ctx, key);
  return result;
}

int CfgLoadQualityDefaultName(void*, DriverContext* ctx, int index) {
  WCHAR file[MAX_PATH];
  if (!CfgQualityDefaultPath(ctx, index, file)) return 0;
  const WCHAR* section = CfgLanguageSection(ctx);
  if (!section || !section[0]) return 0;
  WCHAR name[kQualityNameChars] = {};
  IniReadString(section, kQualityDefaultNameKey, u"", name, kQualityNameChars, file);
  if (!name[0]) return 0;
  return SetUserSetName(ctx, name) ? 1 : 0;
}

// ---- all entries ----------------------------------------------------------------------------

int CfgRefreshAllQualities(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  const int count = CfgGetQualityCount(ctx);
  DmPushSnapshot(ctx);
  for (int index = 0; index < count; ++index) {
    CfgLoadQualityDefault(nullptr, ctx, index);
    CfgLoadQuality(ctx, index);
    CfgSaveQuality(ctx, index);
  }
  DmPopSnapshot(ctx, 1);
  return 1;
}
