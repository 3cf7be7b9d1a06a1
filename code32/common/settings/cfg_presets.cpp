// The preset list in the printer section of the settings file, and the per-context cache of the
// values last loaded for each entry.
#include <cstring>
#include <string>

#include "context_services.h"
#include "core_memory.h"
#include "feature_modules.h"
#include "ini_file.h"
#include "option_access.h"
#include "preset_list.h"
#include "settings_paths.h"
#include "settings_section.h"

namespace {

// Counts above this are not a list the driver wrote; they are read as this many entries.
constexpr int kMaxPresetEntries = 0xFFFF;

bool WriteKey(const SettingsListFile& list, int index, int part, const WCHAR* value) {
  WCHAR key[kPresetKeyChars];
  return CfgPresetKey(key, index, part) > 0 && IniWriteString(list.section, key, value ? value : u"", list.file);
}

std::u16string Decimal(int value) {
  const std::string digits = std::to_string(value);
  return {digits.begin(), digits.end()};
}

// ---- the value cache ----------------------------------------------------------------------------

bool IsCachedRow(const OptionEntry& row) { return (row.stateBits & (kStatePresetMask | kStateWatermarkMask)) != 0; }

// Bytes one row contributes to a slot.
DWORD CachedSize(const OptionEntry& row) { return OptStorageExtent(row.typeWord); }

// Bytes of a whole slot: every preset-class or watermark-class row in table order.
DWORD SlotSize(DriverContext* ctx) {
  DWORD total = 0;
  const OptionTable* table = ctx->optionTable;
  for (int16_t i = 0; i < table->count; ++i)
    if (IsCachedRow(table->rows[i])) total += CachedSize(table->rows[i]);
  return total;
}

// Copies between the image and a slot. A bit kind shares its byte with other rows: only its own
// bit moves back into the image.
void CopySlot(DriverContext* ctx, BYTE* slot, bool intoImage) {
  const OptionTable* table = ctx->optionTable;
  DWORD at = 0;
  for (int16_t i = 0; i < table->count; ++i) {
    const OptionEntry& row = table->rows[i];
    if (!IsCachedRow(row)) continue;
    const DWORD size = CachedSize(row);
    if (BYTE* storage = OptGetValueAddress(ctx, &row)) {
      if (!intoImage)
        std::memcpy(slot + at, storage, size);
      else if (OptIsBitKind(TypeKind(row.typeWord)))
        OptEncodeValue(storage, row.typeWord, OptDecodeValue(slot + at, row.typeWord));
      else
        std::memcpy(storage, slot + at, size);
    }
    at += size;
  }
}

}  // namespace

WCHAR* CfgPrinterSection(DriverContext* ctx) { return PrnGetName(ctx); }

// ---- the list -----------------------------------------------------------------------------------

int CfgPresetKey(WCHAR* out, int index, int part) {
  if (!out) return 0;
  out[0] = u'\0';
  if (index < 0 || part < kPresetKeyPath || part > kPresetKeyComment) return 0;
  const std::string digits = std::to_string(index);
  std::u16string key(kPresetKeyPrefix);
  key.append(digits.begin(), digits.end());
  if (part == kPresetKeyName) key += kPresetNameSuffix;
  if (part == kPresetKeyComment) key += kPresetCommentSuffix;
  lstrcpynW(out, key.c_str(), kPresetKeyChars);
  return lstrlenW(out);
}

int CfgPresetKeyIndex(const WCHAR* key) {
  if (!key || !key[0]) return -1;
  WCHAR candidate[kPresetKeyChars];
  for (int index = 0; index < kPresetEntries; ++index)
    if (CfgPresetKey(candidate, index, kPresetKeyPath) > 0 && lstrcmpW(candidate, key) == 0) return index;
  return -1;
}

int CfgGetPresetCount(DriverContext* ctx) {
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (!list.ok) return 0;
  const int count = static_cast<int>(IniReadInt(list.section, kPresetCountKey, 0, list.file));
  return count < 0 ? 0 : (count > kMaxPresetEntries ? kMaxPresetEntries : count);
}

int FmAddPresetListEntry(DriverContext* ctx, const WCHAR* file, const WCHAR* name, const WCHAR* comment) {
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (!list.ok) return 0;
  const int n = CfgGetPresetCount(ctx);
  // The count moves only when the entry's keys are all in place.
  if (n < kMaxPresetEntries && WriteKey(list, n, kPresetKeyPath, file) && WriteKey(list, n, kPresetKeyName, name) &&
      WriteKey(list, n, kPresetKeyComment, comment))
    IniWriteString(list.section, kPresetCountKey, Decimal(n + 1).c_str(), list.file);
  CfgPresetValueCache(ctx, nullptr, kPresetCacheFree);
  return 0;
}

int FmClearPresetList(DriverContext* ctx) {
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (list.ok) IniWriteString(list.section, kPresetCountKey, u"0", list.file);
  CfgPresetValueCache(ctx, nullptr, kPresetCacheFree);
  return 0;
}

int CfgIsPresetWritable(DriverContext* ctx, const WCHAR* file) {
  if (!file || !file[0]) return 1;
  const WCHAR* section = CfgPrinterSection(ctx);
  if (!section || !section[0]) return 1;
  return IniReadInt(section, kPresetReadonlyKey, 0, file) == 1 ? 0 : 1;
}

int CfgIsPresetEntryWritable(DriverContext* ctx, int index) {
  if (index < 0 || index >= kPresetEntries) return 0;
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  if (!list.ok) return 1;
  WCHAR key[kPresetKeyChars];
  WCHAR path[kCtxPathChars] = {};
  CfgPresetKey(key, index, kPresetKeyPath);
  IniReadString(list.section, key, u"", path, kCtxPathChars, list.file);
  return CfgIsPresetWritable(ctx, path);
}

// ---- the value cache ----------------------------------------------------------------------------

int CfgPresetValueCache(DriverContext* ctx, const WCHAR* key, int mode) {
  if (!ctx || !ctx->workArea) return 0;
  ContextWorkArea* wa = ctx->workArea;
  if (mode == kPresetCacheForget) {
    for (void*& slot : wa->presetValueCache) slot = nullptr;
    return 1;
  }
  if (mode == kPresetCacheFree) {
    for (void*& slot : wa->presetValueCache) {
      MdlFreeMem(slot);
      slot = nullptr;
    }
    return 1;
  }
  const int index = CfgPresetKeyIndex(key);
  if (index < 0 || !ctx->optionTable || !ctx->optionTable->rows || !ctx->settingsImage) return 0;
  void*& slot = wa->presetValueCache[index];
  if (mode == kPresetCacheRestore) {
    if (!slot) return 0;
    CopySlot(ctx, static_cast<BYTE*>(slot), true);
    return 1;
  }
  if (mode == kPresetCacheStore) {
    if (!slot) slot = CtxAllocMem(SlotSize(ctx) ? SlotSize(ctx) : 1);
    if (!slot) return 0;
    CopySlot(ctx, static_cast<BYTE*>(slot), false);
    return 1;
  }
  return 0;
}

// ---- other settings of the printer section ------------------------------------------------------

int CfgLoadChapterLimits(DriverContext* ctx) {
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  int loaded = 0;
  for (const uint16_t id : {kOptChapterMax, kOptChapterTrayMax}) {
    OptionEntry* row = OptFind(ctx, id);
    if (!row) continue;
    const WCHAR* key = row->key ? row->key : (row->labels ? row->labels->fieldName : nullptr);
    const int value = list.ok && key && key[0] ? static_cast<int>(IniReadInt(list.section, key, 0, list.file)) : 0;
    OptSetValue(ctx, id, value);
    ++loaded;
  }
  return loaded == 2 ? 1 : 0;
}

int CfgEnsureModuleSetup(DriverContext* ctx) {
  int answer = 1;
  FmBroadcastNotify(ctx, kFmNotifyModuleSetup, &answer);
  return answer;
}
