// Custom paper-size slots: their sections in the settings file, their cache records in the work
// area and the options that carry them.
#include "free_size.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "env_language.h"
#include "env_text.h"
#include "ini_file.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_units.h"
#include "option_values.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "settings_section.h"
#include "undo_images.h"

namespace {

using std::u16string;
using std::u16string_view;

// Rows the settings-file serializer moves for a custom-size section and for its source twin.
constexpr DWORD kTransferFreeSize = 0x80;
constexpr DWORD kTransferSrcFreeSize = 0x200;

// The slot being edited (938-942) and the source twin (943-947): name, width, length, tray,
// orientation.
constexpr uint16_t kEditOptions[5] = {938, 939, 940, 941, 942};
constexpr uint16_t kSrcOptions[5] = {943, 944, 945, 946, 947};

// The keys of a slot's section: the field names of options 939-942.
constexpr const WCHAR* kSlotKeys[4] = {u"wdmFreeSizeWidth", u"wdmFreeSizeLength", u"wdmFreeSizeTray",
                                       u"wdmFreeSizeOrient"};

constexpr std::array<FreeSizePaperRow, kFreeSizeSlotCount> BuildPaperMap() {
  std::array<FreeSizePaperRow, kFreeSizeSlotCount> rows{};
  for (WORD slot = 0; slot < kFreeSizeUserSlots; ++slot)
    rows[slot] = {slot, static_cast<WORD>(kPaperFreeSizeFirst + slot)};
  rows[kFreeSizePaperSlot] = {kFreeSizePaperSlot, kPaperUserSize};
  rows[kFreeSizePrintSlot] = {kFreeSizePrintSlot, kPaperPrintFreeSize};
  return rows;
}
constexpr auto kPaperMap = BuildPaperMap();

constexpr std::array<std::array<uint16_t, 4>, kFreeSizeUserSlots> BuildSlotOptions() {
  std::array<std::array<uint16_t, 4>, kFreeSizeUserSlots> rows{};
  for (int slot = 0; slot < kFreeSizeUserSlots; ++slot)
    for (int i = 0; i < 4; ++i) rows[slot][i] = static_cast<uint16_t>(kOptSlotFreeSizeFirst + 4 * slot + i);
  return rows;
}
constexpr auto kSlotOptions = BuildSlotOptions();
static_assert(kSlotOptions[9][3] == 1191);

bool IsUserSlot(int slot) { return slot >= 0 && slot < kFreeSizeUserSlots; }
bool IsCacheSlot(int slot) { return slot >= 0 && slot < kFreeSizeSlotCount; }

FreeSizeSlot* CacheOf(DriverContext* ctx, int slot) {
  return ctx && ctx->workArea && IsCacheSlot(slot) ? &ctx->workArea->freeSizeSlots[slot] : nullptr;
}

u16string_view View(const WCHAR* text) { return text ? u16string_view(text, lstrlenW(text)) : u16string_view(); }

// Copies text into out (chars characters); false, with out empty, when it does not fit.
bool Put(WCHAR* out, int chars, u16string_view text) {
  if (!out || chars <= 0) return false;
  if (text.size() >= static_cast<size_t>(chars)) {
    out[0] = u'\0';
    return false;
  }
  text.copy(out, text.size());
  out[text.size()] = u'\0';
  return true;
}

u16string Decimal(int value) {
  const std::string digits = std::to_string(value);
  return u16string(digits.begin(), digits.end());
}

// A UTF-16 text into a 64-byte ANSI field of the cache (at most 63 bytes, zero-filled).
void PutAnsi(char (&field)[64], const WCHAR* text) { EnvWideToAnsi(field, text ? text : u"", sizeof field); }

// A 64-byte ANSI field as UTF-16 (it may fill all 64 bytes without a terminator).
void GetAnsi(const char (&field)[64], WCHAR (&out)[65]) {
  const size_t n = EnvAnsiBytesToWide(std::string_view(field, strnlen(field, sizeof field)), out, 64);
  out[n] = u'\0';
}

void ClearOptions(DriverContext* ctx, const uint16_t* ids, int count) {
  for (int i = 0; i < count; ++i) OptSetValue(ctx, ids[i], 0);
}

// Which file a slot section is moved with.
enum class SlotFile { kSettings, kDriverDefaults };

// Loads or saves the slot's section of a file with the serializer flags.
int TransferSlot(DriverContext* ctx, int slot, SlotFile which, DWORD flags, bool save) {
  WCHAR section[kIniSectionChars + 1];
  if (!CfgFreeSizeSection(section, slot, kIniSectionChars + 1, ctx)) return 0;
  // The path first: it must not be built while another section stands in the buffer.
  WCHAR file[kCtxPathChars];
  if (!Put(file, kCtxPathChars, View(which == SlotFile::kSettings ? PathGetSettingsIni(ctx) : PathGetDriverIni(ctx))) ||
      !file[0])
    return 0;
  return CfgWithSection(ctx, section, [&] {
    return save ? CfgSaveSettingsFile(ctx->printer, file, flags, ctx) : CfgLoadSettingsFile(ctx->printer, file, flags, ctx);
  });
}

// Cache record from a set of five options.
int Capture(DriverContext* ctx, int slot, const uint16_t (&ids)[5]) {
  if (!IsUserSlot(slot)) return 0;
  FreeSizeSlot* cache = CacheOf(ctx, slot);
  if (!cache) return 0;
  cache->width = OptGetUiValue(ctx, ids[1], nullptr);
  cache->length = OptGetUiValue(ctx, ids[2], nullptr);
  cache->tray = static_cast<int16_t>(OptGetValue(ctx, ids[3], nullptr));
  cache->orientation = static_cast<int16_t>(OptGetValue(ctx, ids[4], nullptr));
  WCHAR text[kCtxScratchChars] = {};
  if (OptionEntry* row = OptFind(ctx, ids[0])) OptGetStringValue(ctx, row, text, kCtxScratchChars);
  PutAnsi(cache->userName, text);
  // The slot's name is completed from the record: set the numbers and the user name first.
  WCHAR name[sizeof cache->displayName] = {};
  EnvLoadString(ctx, kStringFreeSizeSlot0 + slot, name, static_cast<int>(std::size(name)), 1);
  PutAnsi(cache->displayName, name);
  PutAnsi(cache->displayNameWithSize, name);
  return 1;
}

// A set of five options from a cache record.
int Apply(DriverContext* ctx, int slot, const uint16_t (&ids)[5]) {
  const FreeSizeSlot* cache = CacheOf(ctx, slot);
  if (!cache) return 0;
  WCHAR name[65];
  GetAnsi(cache->userName, name);
  if (OptionEntry* row = OptFind(ctx, ids[0])) OptSetStringValue(ctx, row, name);
  OptSetUiValue(ctx, ids[1], static_cast<uint32_t>(cache->width));
  OptSetUiValue(ctx, ids[2], static_cast<uint32_t>(cache->length));
  OptSetValue(ctx, ids[3], cache->tray);
  OptSetValue(ctx, ids[4], cache->orientation);
  return 1;
}

// Under an undo snapshot, for every slot: prepare puts the slot into options 938-942, which are
// then saved into its section. The options are restored afterwards. 1 when every save succeeded.
int SaveAllSlots(DriverContext* ctx, int (*prepare)(DriverContext*, int)) {
  if (!ctx || !ctx->workArea) return 0;
  int result = 1;
  DmPushSnapshot(ctx);
  for (int slot = 0; slot < kFreeSizeUserSlots; ++slot) {
    prepare(ctx, slot);
    if (!CfgSaveFreeSize(ctx, slot)) result = 0;
  }
  DmPopSnapshot(ctx, 1);
  return result;
}

// 1 when dmPaperSize is the custom size entered by hand and lengths are shown in the unit asked.
int IsUserPaperIn(DriverContext* ctx, bool metric) {
  if (!ctx || !ctx->settingsImage) return 0;
  return OptGetValue(ctx, kOptPaperSize, nullptr) == kPaperUserSize && (OptIsMetric(ctx) != 0) == metric ? 1 : 0;
}

}  // namespace

// ---- counts and paper codes -------------------------------------------------------------------

const FreeSizePaperRow* CfgFreeSizePaperMap() { return kPaperMap.data(); }

const uint16_t* CfgFreeSizeSlotOptions(int slot) { return IsUserSlot(slot) ? kSlotOptions[slot].data() : nullptr; }

int CfgFreeSizeSlotCount(DriverContext*) { return kFreeSizeUserSlots; }

int CfgFreeSizeMapCount(DriverContext*) { return kFreeSizeSlotCount; }

int CfgIsFreeSizePaper(int32_t paperCode) {
  return paperCode >= kPaperFreeSizeFirst && paperCode <= kPaperFreeSizeLast ? 1 : 0;
}

int CfgSlotToPaper(HANDLE, int slot, int count, DriverContext*) {
  if (slot < 0 || slot > count) return 0;
  const int rows = std::clamp(count, 0, kFreeSizeSlotCount);
  for (int i = 0; i < rows; ++i)
    if (kPaperMap[i].slot == slot) return kPaperMap[i].paperCode;
  return 0;
}

int CfgPaperToSlot(int32_t paperCode, DriverContext*) {
  for (const FreeSizePaperRow& row : kPaperMap)
    if (row.paperCode == paperCode) return row.slot;
  return 0;
}

int CfgFreeSizeSection(WCHAR* out, int slot, int outChars, DriverContext* ctx) {
  if (!out || outChars <= 0) return 0;
  return Put(out, outChars, u"FreeSize" + Decimal(slot) + u16string(View(CfgLanguageCodeStr(ctx)))) ? 1 : 0;
}

// ---- the slot sections of the settings file ---------------------------------------------------

int CfgLoadFreeSize(DriverContext* ctx, int slot) {
  if (!ctx || !ctx->workArea || !IsUserSlot(slot)) return 0;
  ClearOptions(ctx, kEditOptions, 5);
  const int result = TransferSlot(ctx, slot, SlotFile::kSettings, kTransferFreeSize, false);
  WCHAR section[kIniSectionChars + 1];
  if (CfgFreeSizeSection(section, slot, kIniSectionChars + 1, ctx)) CfgMirrorFreeSizeSection(ctx, section);
  return result;
}

int CfgLoadSrcFreeSize(DriverContext* ctx, int slot) {
  if (!ctx || !ctx->workArea || !IsUserSlot(slot)) return 0;
  ClearOptions(ctx, kSrcOptions, 5);
  return TransferSlot(ctx, slot, SlotFile::kSettings, kTransferSrcFreeSize, false);
}

int CfgSaveFreeSize(DriverContext* ctx, int slot) {
  if (!ctx || !ctx->workArea || !IsUserSlot(slot)) return 0;
  const int result = TransferSlot(ctx, slot, SlotFile::kSettings, kTransferFreeSize, true);
  WCHAR section[kIniSectionChars + 1];
  if (CfgFreeSizeSection(section, slot, kIniSectionChars + 1, ctx)) CfgMirrorFreeSizeSection(ctx, section);
  return result;
}

int CfgLoadFreeSizeDefault(DriverContext* ctx, int slot) {
  if (!ctx || !ctx->workArea || !IsUserSlot(slot)) return 0;
  ClearOptions(ctx, kEditOptions, 3);
  return TransferSlot(ctx, slot, SlotFile::kDriverDefaults, kTransferFreeSize, false);
}

// ---- cache and options ------------------------------------------------------------------------

int CfgMirrorFreeSizeSection(DriverContext* ctx, const WCHAR* section) {
  if (!ctx || !section) return 0;
  for (int slot = 0; slot < kFreeSizeUserSlots; ++slot) {
    WCHAR name[kIniSectionChars + 1];
    if (!CfgFreeSizeSection(name, slot, kIniSectionChars + 1, ctx) || lstrcmpiW(name, section) != 0) continue;
    for (int i = 0; i < 4; ++i) OptSetValue(ctx, kSlotOptions[slot][i], OptGetValue(ctx, kEditOptions[1 + i], nullptr));
    return 1;
  }
  return 0;
}

int CfgMirrorFreeSizeSlot(DriverContext* ctx, int slot) {
  if (!IsUserSlot(slot)) return 0;
  const FreeSizeSlot* cache = CacheOf(ctx, slot);
  if (!cache) return 0;
  const int32_t values[4] = {cache->width, cache->length, cache->tray, cache->orientation};
  for (int i = 0; i < 4; ++i) OptSetValue(ctx, kSlotOptions[slot][i], values[i]);
  return 1;
}

int CfgApplyFreeSizeSlot(DriverContext* ctx, int slot) { return Apply(ctx, slot, kEditOptions); }

int CfgApplySrcFreeSizeSlot(DriverContext* ctx, int slot) { return Apply(ctx, slot, kSrcOptions); }

int CfgCaptureFreeSizeSlot(DriverContext* ctx, int slot) { return Capture(ctx, slot, kEditOptions); }

int CfgCaptureSrcFreeSizeSlot(DriverContext* ctx, int slot) { return Capture(ctx, slot, kSrcOptions); }

int CfgCaptureCustomPaper(DriverContext* ctx, int32_t paperCode, int slot) {
  FreeSizeSlot* cache = CacheOf(ctx, slot);
  if (!cache) return 0;
  uint16_t first = 0;
  DWORD stringId = 0;
  if (paperCode == kPaperUserSize) {
    first = kOptPaperFreeSizeFirst;
    stringId = kStringPaperFreeSize;
  } else if (paperCode == kPaperPrintFreeSize) {
    first = kOptPrintFreeSizeFirst;
    stringId = kStringPrintFreeSize;
  } else {
    return 0;
  }
  WCHAR name[32] = {};  // at most 31 characters
  EnvLoadString(ctx, stringId, name, static_cast<int>(std::size(name)), 1);
  PutAnsi(cache->displayName, name);
  cache->width = OptGetUiValue(ctx, first, nullptr);
  cache->length = OptGetUiValue(ctx, static_cast<uint16_t>(first + 1), nullptr);
  cache->tray = static_cast<int16_t>(OptGetValue(ctx, static_cast<uint16_t>(first + 2), nullptr));
  cache->orientation = static_cast<int16_t>(OptGetValue(ctx, static_cast<uint16_t>(first + 3), nullptr));
  return 1;
}

// ---- all slots --------------------------------------------------------------------------------

int CfgLoadAllFreeSizes(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  if (CtxGetPendingFlags(ctx) & kPendingFreeSizesLoaded) return 1;
  DmPushSnapshot(ctx);
  for (int slot = 0; slot < kFreeSizeUserSlots; ++slot) {
    CfgLoadFreeSize(ctx, slot);
    CfgCaptureFreeSizeSlot(ctx, slot);
  }
  DmPopSnapshot(ctx, 1);
  for (int slot = 0; slot < kFreeSizeUserSlots; ++slot) CfgMirrorFreeSizeSlot(ctx, slot);
  CtxAddPendingFlags(ctx, kPendingFreeSizesLoaded);
  return 1;
}

int CfgSaveAllFreeSizes(DriverContext* ctx) { return SaveAllSlots(ctx, CfgApplyFreeSizeSlot); }

int CfgRefreshAllFreeSizes(DriverContext* ctx) { return SaveAllSlots(ctx, CfgLoadFreeSize); }

int CfgLoadFreeSizeDefaults(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  WCHAR file[kCtxPathChars];
  if (!Put(file, kCtxPathChars, View(PathGetDriverIni(ctx)))) file[0] = u'\0';
  for (int slot = 0; slot < kFreeSizeUserSlots; ++slot) {
    FreeSizeSlot& cache = ctx->workArea->freeSizeSlots[slot];
    WCHAR section[kIniSectionChars + 1];
    const bool known = file[0] && CfgFreeSizeSection(section, slot, kIniSectionChars + 1, ctx);
    auto read = [&](int key, int fallback) {
      return known ? static_cast<int32_t>(IniReadInt(section, kSlotKeys[key], fallback, file)) : fallback;
    };
    cache.width = read(0, kFreeSizeDefaultWidth);
    cache.length = read(1, kFreeSizeDefaultLength);
    cache.tray = static_cast<int16_t>(read(2, kFreeSizeDefaultTray));
    cache.orientation = static_cast<int16_t>(read(3, kFreeSizeDefaultOrient));

    WCHAR name[sizeof cache.displayName] = {};
    EnvLoadString(ctx, kStringFreeSizeSlot0 + slot, name, static_cast<int>(std::size(name)), 0);
    PutAnsi(cache.displayName, name);
    PutAnsi(cache.userName, name);
    // Formatted last: the text is completed from the record's user name and size.
    EnvLoadString(ctx, kStringFreeSizeSlot0 + slot, name, static_cast<int>(std::size(name)), 1);
    PutAnsi(cache.displayNameWithSize, name);
  }
  return 1;
}

// ---- counts in the files ----------------------------------------------------------------------

int CfgGetDefaultFreeSizeCount(DriverContext* ctx) {
  const WCHAR* file = PathGetDriverIni(ctx);
  const WCHAR* section = CfgLanguageSection(ctx);
  if (!file || !file[0] || !section) return 0;
  return IniReadInt(section, kFreeSizeCountKey, 0, file) == kFreeSizeUserSlots ? kFreeSizeUserSlots : 0;
}

int CfgSetFreeSizeCount(HANDLE, DriverContext* ctx, int n) {
  const WCHAR* file = PathGetSettingsIni(ctx);
  const WCHAR* section = CfgLanguageSection(ctx);
  if (!file || !file[0] || !section) return 0;
  return IniWriteString(section, kFreeSizeCountKey, Decimal(n).c_str(), file) ? 1 : 0;
}

// ---- the document's custom size ---------------------------------------------------------------

int CfgIsUserPaperInch(DriverContext* ctx) { return IsUserPaperIn(ctx, false); }

int CfgIsUserPaperMetric(DriverContext* ctx) { return IsUserPaperIn(ctx, true); }
