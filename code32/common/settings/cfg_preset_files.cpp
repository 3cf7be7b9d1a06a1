// The preset files the list names: new user file names, loads (with the value cache), saves,
// installed defaults and the refresh of every list after an upgrade.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "context_services.h"
#include "devmode_public.h"
#include "env_language.h"
#include "env_system.h"
#include "env_text.h"
#include "fd_services.h"
#include "free_size.h"
#include "ini_file.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_store.h"
#include "path_files.h"
#include "preset_list.h"
#include "quality_list.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "settings_section.h"
#include "settings_upgrade.h"
#include "stamp_list.h"
#include "undo_images.h"

namespace {

// The value of a list key (empty when missing).
void ReadListKey(const SettingsListFile& list, const WCHAR* key, WCHAR* out, int size) {
  out[0] = u'\0';
  if (list.ok && key && key[0]) IniReadString(list.section, key, u"", out, size, list.file);
}

// The entry's file path under key (empty when missing).
void EntryPathOfKey(DriverContext* ctx, const WCHAR* key, WCHAR (&path)[kCtxPathChars]) {
  ReadListKey(CfgOpenSettingsList(ctx), key, path, kCtxPathChars);
}

void EntryPath(DriverContext* ctx, int index, WCHAR (&path)[kCtxPathChars]) {
  WCHAR key[kPresetKeyChars];
  path[0] = u'\0';
  if (CfgPresetKey(key, index, kPresetKeyPath) > 0) EntryPathOfKey(ctx, key, path);
}

// "<key>Name" or "<key>Comment"; false for a key that leaves no room for it.
bool PartKey(const WCHAR* key, const WCHAR* suffix, WCHAR (&out)[kPresetKeyChars]) {
  if (!key || !key[0] || lstrlenW(key) + lstrlenW(suffix) >= kPresetKeyChars) return false;
  lstrcpynW(out, key, kPresetKeyChars);
  lstrcatW(out, suffix);
  return true;
}

// An ANSI text option from UTF-16: cut at a whole character so that the field keeps its
// terminator.
void SetAnsiOption(DriverContext* ctx, uint16_t id, const WCHAR* text) {
  OptionEntry* row = OptFind(ctx, id);
  BYTE* storage = row ? OptGetValueAddress(ctx, row) : nullptr;
  if (!storage || !OptIsAnsiTextKind(TypeKind(row->typeWord))) return;
  const DWORD size = OptStorageExtent(row->typeWord);
  if (size == 0) return;
  EnvWideToAnsi(reinterpret_cast<char*>(storage), text ? text : u"", static_cast<int>(size));
}

// The entry's "Name" and "Comment" keys into wdmPresetName and wdmPresetComment.
void LoadNameAndComment(DriverContext* ctx, const WCHAR* key) {
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  WCHAR partKey[kPresetKeyChars];
  WCHAR text[kPresetTextChars];
  text[0] = u'\0';
  if (PartKey(key, kPresetNameSuffix, partKey)) ReadListKey(list, partKey, text, kPresetTextChars);
  SetAnsiOption(ctx, kOptPresetName, text);
  text[0] = u'\0';
  if (PartKey(key, kPresetCommentSuffix, partKey)) ReadListKey(list, partKey, text, kPresetTextChars);
  SetAnsiOption(ctx, kOptPresetComment, text);
}

// The watermark a preset names must exist in the stamp list: then its stamp is loaded, else
// watermark printing is turned off.
void SettleWatermark(DriverContext* ctx) {
  const int32_t id = OptGetUiValue(ctx, kOptWmId, nullptr);
  const bool on = OptGetValue(ctx, kOptFuncSelectWaterMark, nullptr) != 0;
  if (on && id >= 0 && id < CfgGetStampCount(ctx)) {
    const int32_t kind = OptGetUiValue(ctx, kOptWmKind, nullptr);
    if (kind >= 1 && kind <= 3) {
      CfgLoadStamp(ctx, id);
      OptSetUiValue(ctx, kOptWmId, static_cast<uint32_t>(id));
    }
    return;
  }
  OptSetUiValue(ctx, kOptFuncSelectWaterMark, 0);
  OptSetUiValue(ctx, kOptWmId, 0);
}

// What every preset load ends with: the watermark, the cache slot and the re-check.
void FinishLoad(DriverContext* ctx, const WCHAR* key) {
  SettleWatermark(ctx);
  CfgPresetValueCache(ctx, key, kPresetCacheStore);
  FmBroadcastRecheck(ctx);
}

// Loads a preset file: 1 when its values were taken (the load status stays clear), 0 for no path
// or a refused or unreadable file.
int LoadFile(DriverContext* ctx, const WCHAR* path, DWORD flags) {
  if (!path || !path[0]) return 0;
  CtxSetSettingsFileStatus(ctx, kSettingsFileOk);
  CfgLoadSettingsFile(ctx->printer, path, flags, ctx);
  return CtxGetSettingsFileStatus(ctx) == kSettingsFileOk ? 1 : 0;
}

bool IsEntryIndex(int index) { return index >= 0 && index < kPresetEntries; }

#if !ZOLT_WINDOW_BUILD
// The load of the settings and graphics modules: no cache restore, no refused-file handling,
// no name or comment.
int LoadPresetPlain(DriverContext* ctx, const WCHAR* key) {
  WCHAR path[kCtxPathChars];
  EntryPathOfKey(ctx, key, path);
  if (!path[0]) EntryPath(ctx, 0, path);
  const int loaded = LoadFile(ctx, path, kTransferPresetQuiet);
  FinishLoad(ctx, key);
  return loaded;
}
#endif

}  // namespace

// ---- new user files -------------------------------------------------------------------------------

int CfgNewUserPresetPath(DriverContext* ctx, WCHAR* out) {
  if (!out) return 0;
  out[0] = u'\0';
  if (!ctx || !ctx->workArea) return 0;
  WCHAR folder[kCtxPathChars] = {};
  const bool perUser =
      EnvIsTerminalServerMode(ctx->printer) && !(ctx->workArea->creationMode & kCtxModeInstallation);
  const int length = perUser ? PathGetUserDir(folder, kCtxPathChars, ctx) : PathGetSettingsDir(folder, kCtxPathChars, ctx);
  if (length <= 0 || !folder[0]) return 0;
  WCHAR section[kCtxPathChars];
  const bool haveSection = CfgCopyPathText(CfgPrinterSection(ctx), section);
  WCHAR path[kCtxPathChars];
  for (int n = 0; n <= kPresetUserLast; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "\\user%04d.rst", n);
    if (lstrlenW(folder) + static_cast<int>(std::strlen(name)) >= kCtxPathChars) return 0;
    lstrcpynW(path, folder, kCtxPathChars);
    WCHAR* end = path + lstrlenW(path);
    for (const char* c = name; *c; ++c) *end++ = static_cast<WCHAR>(*c);
    *end = u'\0';
    if (!haveSection || IniReadInt(section, kRstMachineKey, 0, path) == 0 || n == kPresetUserLast) break;
  }
  lstrcpynW(out, path, kPresetNewPathChars);
  return lstrlenW(out);
}

int CfgEnsureUserPresetFile(DriverContext* ctx, int index) {
  WCHAR key[kPresetKeyChars];
  if (!IsEntryIndex(index) || CfgPresetKey(key, index, kPresetKeyPath) <= 0) return 0;
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (!list.ok) return 0;
  WCHAR path[kCtxPathChars];
  ReadListKey(list, key, path, kCtxPathChars);
  const int length = lstrlenW(path);
  const bool installed = length >= 3 && (path[length - 1] == u'r' || path[length - 1] == u'R');
  if (path[0] && !installed) return 1;
  WCHAR fresh[kPresetNewPathChars];
  if (CfgNewUserPresetPath(ctx, fresh) <= 0) return 0;
  return IniWriteString(list.section, key, fresh, list.file) ? 1 : 0;
}

// ---- loads -------------------------------------------------------------------------------------

int CfgLoadPresetByKey(DriverContext* ctx, const WCHAR* key) {
  if (!ctx || !ctx->workArea || !ctx->settingsImage || !key || !key[0]) return 0;
  if (CfgPresetValueCache(ctx, key, kPresetCacheRestore)) return 1;

  WCHAR path[kCtxPathChars];
  EntryPathOfKey(ctx, key, path);
  if (!path[0]) EntryPath(ctx, 0, path);
  CtxSetSettingsFileStatus(ctx, kSettingsFileOk);
  int loaded = LoadFile(ctx, path, kTransferPresetQuiet);

  // A refused file loses its entry; the first entry stands in for it.
  bool refused = false;
  if (CtxGetSettingsFileStatus(ctx) != kSettingsFileOk) {
    refused = true;
    const SettingsListFile list = CfgOpenSettingsList(ctx);
    if (list.ok) IniWriteString(list.section, key, u"", list.file);
    CtxSetSettingsFileStatus(ctx, kSettingsFileOk);
    WCHAR first[kCtxPathChars];
    EntryPath(ctx, 0, first);
    loaded = LoadFile(ctx, first, kTransferPreset);
  }

  LoadNameAndComment(ctx, key);
  SettleWatermark(ctx);
  CfgPresetValueCache(ctx, key, kPresetCacheStore);
  if (refused) FdShowMessageWithText(ctx, nullptr, kMsgSettingsFileRefused, path);
  FmBroadcastRecheck(ctx);
  return loaded;
}

int CfgLoadPreset(DriverContext* ctx, int index) {
  if (!ctx || !ctx->settingsImage) return 0;
  WCHAR key[kPresetKeyChars];
#if !ZOLT_WINDOW_BUILD
  if (!IsEntryIndex(index) || CfgPresetKey(key, index, kPresetKeyPath) <= 0) return 0;
  return LoadPresetPlain(ctx, key);
#else
  if (!IsEntryIndex(index) || CfgPresetKey(key, index, kPresetKeyPath) <= 0) {
    SetAnsiOption(ctx, kOptPresetName, u"");
    SetAnsiOption(ctx, kOptPresetComment, u"");
    return 0;
  }
  return CfgLoadPresetByKey(ctx, key);
#endif
}

int CfgPresetDefaultPath(DriverContext* ctx, int index, WCHAR* out) {
  if (!out) return 0;
  out[0] = u'\0';
  WCHAR path[kCtxPathChars];
  if (!IsEntryIndex(index)) return 0;
  EntryPath(ctx, index, path);
  if (!path[0]) return 0;
  WCHAR name[MAX_PATH] = {};
  if (!PathReplaceExtension(name, PathGetFileName(path), kPresetDefaultExtension) || !name[0]) return 0;
  if (!PathInSharedDir(out, MAX_PATH, name, ctx) || !out[0]) {
    out[0] = u'\0';
    return 0;
  }
  return 1;
}

int CfgLoadPresetDefault(DriverContext* ctx, int index) {
  if (!ctx || !ctx->workArea || !ctx->settingsImage) return 0;
  WCHAR file[MAX_PATH];
  if (!CfgPresetDefaultPath(ctx, index, file)) return 0;
  if (GetFileAttributesW(file) == INVALID_FILE_ATTRIBUTES) return 0;
  WCHAR key[kPresetKeyChars];
  CfgPresetKey(key, index, kPresetKeyPath);
  if (CfgPresetValueCache(ctx, key, kPresetCacheRestore)) return 1;
  WCHAR language[kCtxPathChars];
  if (!CfgCopyPathText(CfgCopyLanguageCode(ctx), language)) return 0;
  const int loaded = CfgWithSection(
      ctx, language, [&] { return LoadFile(ctx, file, kTransferPresetQuiet); });
  LoadNameAndComment(ctx, key);
  FinishLoad(ctx, key);
  return loaded;
}

// ---- saves -------------------------------------------------------------------------------------

int CfgSavePresetByKey(DriverContext* ctx, const WCHAR* key) {
  if (!ctx || !ctx->workArea || !ctx->settingsImage) return 0;
  WCHAR path[kCtxPathChars];
  EntryPathOfKey(ctx, key, path);
  if (!path[0]) return 0;
  const int saved = CfgSaveSettingsFile(ctx->printer, path, kTransferPreset, ctx);
  // The serializer may have used the printer-section buffer: take the list's place afresh.
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  WCHAR partKey[kPresetKeyChars];
  WCHAR text[kPresetTextChars];
  for (const auto& [suffix, id] : {std::pair{kPresetNameSuffix, kOptPresetName},
                                   std::pair{kPresetCommentSuffix, kOptPresetComment}}) {
    text[0] = u'\0';
    if (OptionEntry* row = OptFind(ctx, id)) OptGetStringValue(ctx, row, text, kPresetTextChars);
    if (list.ok && PartKey(key, suffix, partKey)) IniWriteString(list.section, partKey, text, list.file);
  }
  CfgPresetValueCache(ctx, nullptr, kPresetCacheFree);
  return saved;
}

int CfgSavePreset(DriverContext* ctx, int index) {
  WCHAR key[kPresetKeyChars];
  if (CfgPresetKey(key, index, kPresetKeyPath) > 0) CfgSavePresetByKey(ctx, key);
  return 0;
}

int CfgSavePresetValues(DriverContext* ctx, int index) {
  if (!ctx || !ctx->workArea || !ctx->settingsImage) return 0;
  WCHAR path[kCtxPathChars];
  EntryPath(ctx, index, path);
  if (!path[0]) return 0;
  const int saved = CfgSaveSettingsFile(ctx->printer, path, kTransferPreset, ctx);
  CfgPresetValueCache(ctx, nullptr, kPresetCacheFree);
  return saved;
}

// ---- all entries -------------------------------------------------------------------------------

int CfgRefreshAllPresets(DriverContext* ctx) {
  if (!ctx || !ctx->workArea || !ctx->settingsImage) return 0;
  // Only the entries the index operations reach are rewritten: a save beyond them would write
  // settings that were never loaded from the entry's file.
  const int count = std::min(CfgGetPresetCount(ctx), kPresetEntries);
  DmPushSnapshot(ctx);
  for (int index = 0; index < count; ++index) {
    WCHAR path[kCtxPathChars];
    WCHAR section[kCtxPathChars];
    WCHAR readonly[16] = {};
    EntryPath(ctx, index, path);
    if (path[0] && CfgCopyPathText(CfgPrinterSection(ctx), section))
      IniReadString(section, kPresetReadonlyKey, u"", readonly, 16, path);
    CfgLoadPresetDefault(ctx, index);
    CtxSetSettingsFileStatus(ctx, kSettingsFileOk);
    CfgLoadPreset(ctx, index);
    // A file the load refused keeps its contents: nothing of it was read to save again.
    if (CtxGetSettingsFileStatus(ctx) != kSettingsFileOk) {
      CtxSetSettingsFileStatus(ctx, kSettingsFileOk);
      continue;
    }
    // The settings module's load leaves name and comment as they were: the entry's own go back.
    WCHAR key[kPresetKeyChars];
    if (CfgPresetKey(key, index, kPresetKeyPath) > 0) LoadNameAndComment(ctx, key);
    CfgSavePreset(ctx, index);
    if (readonly[0] && CfgCopyPathText(CfgPrinterSection(ctx), section))
      IniWriteString(section, kPresetReadonlyKey, readonly, path);
  }
  DmPopSnapshot(ctx, 1);
  return 1;
}

int CfgRefreshAllLists(HANDLE printer, DriverContext* ctx) {
  if (!ctx) return 1;
  if (!PrnIsRemotePrinter(ctx)) CfgSavePrinterConfig(printer, ctx);
  CfgRefreshDriverDefaultKeys(ctx, kDriverDefaultKeysFill, nullptr);
  CfgRefreshAllPresets(ctx);
  CfgRefreshAllQualities(ctx);
  CfgRefreshAllStamps(ctx);
  CfgRefreshAllFreeSizes(ctx);
  return 1;
}
