// Feature module 5, covers, separator sheets and chapters: what runs without a window. The
// chapter list in the work area and its keys in the settings INI, the tray codes of the chapter
// dialogs, the hooks the module answers on the bus, and the media-type copies of the inserted
// sheets. Its user data holds the undo copy of the chapter list.
#include <algorithm>
#include <cstring>
#include <string>

#include "core_memory.h"
#include "device_codes.h"
#include "devmode_public.h"
#include "env_language.h"
#include "fd_services.h"
#include "fm_modules_5_8.h"
#include "context_services.h"
#include "ini_file.h"
#include "option_access.h"
#include "option_store.h"
#include "preset_list.h"
#include "preset_list.h"
#include "settings_paths.h"

namespace {

// ---- tray codes -------------------------------------------------------------------------------

struct TrayCodeRow {
  DWORD code;
  WORD stringId;  // the tray name that option value lists map tray values to
};

// Searched in order; the first row with a string id gives its code.
constexpr TrayCodeRow kTrayCodes[] = {
    {0, 2},       {1, 3},       {2, 5},       {3, 6},       {25, 7},      {25, 169},    {27, 4},
    {27, 618},    {28, 8},      {25, 800},    {25, 801},    {29, 823},    {4, 439},     {5, 839},
    {6, 837},     {3, 865},     {4, 866},     {16, 13260},  {17, 13261},  {18, 13262},  {19, 13263},
    {14, 13254},  {15, 13255},  {286, 13551}, {299, 13552}, {1, 13624},   {2, 13625},   {3, 13626},
    {4, 13627},   {13, 13114},  {25, 13113},
};
static_assert(std::size(kTrayCodes) == 31);

// ---- the list ---------------------------------------------------------------------------------

// The use-tray options, in the order in which a changed tray replaces its old value.
constexpr WORD kUseTrayOptions[] = {kOptChapterUseTray1, kOptChapterUseTray2, kOptChapterUseTray3, 1028, 1029,
                                    1030, 1031, kOptChapterUseTray8};

int StoredValue(DriverContext* ctx, WORD id) { return std::max(0, static_cast<int>(OptGetValue(ctx, id, nullptr))); }

// The list holds wdmChapterMax + 1 entries. The limits can be read after the list was first
// made, and the count can come from a file written with other limits, so the list grows to
// whichever is larger when either has grown; what it held is kept.
LONG EntriesNeeded(DriverContext* ctx) {
  return std::max(StoredValue(ctx, kOptChapterMax), StoredValue(ctx, kOptChapterNum)) + 1;
}

ChapterEntry* ChapterArray(DriverContext* ctx) {
  ContextWorkArea* wa = ctx && ctx->workArea ? ctx->workArea : nullptr;
  if (!wa) return nullptr;
  const LONG needed = EntriesNeeded(ctx);
  if (wa->chapterList && wa->chapterAllocCount >= needed) return wa->chapterList;
  auto* list = static_cast<ChapterEntry*>(CtxAllocMem(static_cast<DWORD>(needed) * sizeof(ChapterEntry)));
  if (!list) return nullptr;
  if (wa->chapterList) {
    std::memcpy(list, wa->chapterList, static_cast<size_t>(wa->chapterAllocCount) * sizeof(ChapterEntry));
    MdlFreeMem(wa->chapterList);
  }
  wa->chapterList = list;
  wa->chapterAllocCount = needed;
  return list;
}

// ---- INI keys ---------------------------------------------------------------------------------

const WCHAR* KeyStem(int keyKind) {
  switch (keyKind) {
    case kChapterKeyPage: return u"wdmChapterPage";
    case kChapterKeyTray: return u"wdmChapterTray";
    case kChapterKeyKind: return u"wdmChapterKind";
    case kChapterKeyPageRange: return u"wdmChapterPageRange";
    default: return u"wdmChapterPrint";
  }
}

std::u16string Decimal(long long value) {
  const bool negative = value < 0;
  unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(value) : value;
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude);
  if (negative) digits.insert(digits.begin(), u'-');
  return digits;
}

// The given file, else the printer's settings INI; NULL when neither can be named.
const WCHAR* FileOf(DriverContext* ctx, const WCHAR* file) {
  if (file && file[0]) return file;
  const WCHAR* own = PathGetSettingsIni(ctx);
  return own && own[0] ? own : nullptr;
}

const WCHAR* ReadSection(DriverContext* ctx, DWORD flags) {
  const WCHAR* section = (flags & kChapterReadLanguageSection) ? CfgLanguageSectionName(ctx) : CfgPrinterSection(ctx);
  return section && section[0] ? section : nullptr;
}

const WCHAR* WriteSection(DriverContext* ctx) {
  const WCHAR* section = CfgPrinterSection(ctx);
  return section && section[0] ? section : nullptr;
}

int WriteKey(DriverContext* ctx, int index, int keyKind, const WCHAR* value, const WCHAR* file) {
  if (!ctx || index < 0) return 0;
  const WCHAR* section = WriteSection(ctx);
  const WCHAR* path = FileOf(ctx, file);
  if (!section || !path) return 0;
  WCHAR key[kChapterKeyChars];
  return IniWriteString(section, FmChapterKeyName(ctx, key, index, keyKind), value, path) ? 1 : 0;
}

// ---- the undo copy ------------------------------------------------------------------------------

// The copy made when an undo level is pushed: the entry count, then the entries.
struct UndoCopyHeader {
  LONG count;
  LONG reserved;
};

ChapterEntry* UndoEntries(UndoCopyHeader* copy) { return reinterpret_cast<ChapterEntry*>(copy + 1); }

UndoCopyHeader*& UndoSlot(void* userData) { return *static_cast<UndoCopyHeader**>(userData); }

void PushUndoCopy(DriverContext* ctx, void* userData) {
  ChapterEntry* list = ChapterArray(ctx);
  if (!list || !userData) return;
  const LONG count = ctx->workArea->chapterAllocCount;
  UndoCopyHeader*& copy = UndoSlot(userData);
  if (copy && copy->count < count) {
    MdlFreeMem(copy);
    copy = nullptr;
  }
  if (!copy) {
    copy = static_cast<UndoCopyHeader*>(
        CtxAllocMem(static_cast<DWORD>(sizeof(UndoCopyHeader) + static_cast<size_t>(count) * sizeof(ChapterEntry))));
    if (!copy) return;
  }
  copy->count = count;
  std::memcpy(UndoEntries(copy), list, static_cast<size_t>(count) * sizeof(ChapterEntry));
}

void PopUndoCopy(DriverContext* ctx, void* userData) {
  UndoCopyHeader* copy = userData ? UndoSlot(userData) : nullptr;
  ChapterEntry* list = copy ? ChapterArray(ctx) : nullptr;
  if (!list) return;
  const LONG have = ctx->workArea->chapterAllocCount;
  const LONG kept = std::min(have, copy->count);
  std::memcpy(list, UndoEntries(copy), static_cast<size_t>(kept) * sizeof(ChapterEntry));
  // Entries the list gained after the copy were empty then.
  if (have > kept) std::memset(list + kept, 0, static_cast<size_t>(have - kept) * sizeof(ChapterEntry));
}

// ---- hooks ------------------------------------------------------------------------------------

constexpr DWORD kStatePresetClass = 0xC;

bool ChapterRowIsPresetRelevant(DriverContext* ctx) {
  const OptionEntry* row = OptFind(ctx, kOptChapterNum);
  return row && (row->stateBits & kStatePresetClass) != 0;
}

void TransferEnded(DriverContext* ctx, const FmTransferEndParam& end) {
  const DWORD flags = end.flags;
  const bool loads = flags == 1 || ((flags & 4) && (flags & 1) && ChapterRowIsPresetRelevant(ctx)) ||
                     ((flags & 8) && (flags & 1));
  if (loads) {
    FmLoadChapterList(ctx, end.file, flags);
    return;
  }
  if (flags == 2 || ((flags & 4) && (flags & 2) && ChapterRowIsPresetRelevant(ctx))) FmSaveChapterList(ctx, end.file);
}

// One option of an entry through its constraints: the option takes the entry's value, the
// option's rules correct it, and the corrected value is the answer.
int32_t Corrected(DriverContext* ctx, WORD id) {
  OptApplyTransactOf(ctx, id);
  return OptGetValue(ctx, id, nullptr);
}

void ReplaceUseTray(DriverContext* ctx, int32_t oldTray, int32_t newTray) {
  for (WORD id : kUseTrayOptions) {
    if (OptGetValue(ctx, id, nullptr) == oldTray) {
      OptSetValue(ctx, id, newTray);
      return;
    }
  }
}

}  // namespace

// ---- the list -----------------------------------------------------------------------------------

ChapterEntry* FmGetChapterEntry(DriverContext* ctx, int index) {
  if (!ctx || !ctx->workArea || index < 0) return nullptr;
  if (index >= OptGetUiValue(ctx, kOptChapterNum, nullptr)) return nullptr;
  ChapterEntry* list = ChapterArray(ctx);
  return list && index < ctx->workArea->chapterAllocCount ? list + index : nullptr;
}

ChapterEntry* FmGetChapterList(DriverContext* ctx, int* capacity) {
  ChapterEntry* list = ChapterArray(ctx);
  if (capacity) *capacity = list ? static_cast<int>(ctx->workArea->chapterAllocCount) : 0;
  return list;
}

WCHAR* FmChapterKeyName(DriverContext*, WCHAR* out, int index, int keyKind) {
  if (!out) return out;
  const std::u16string key = std::u16string(KeyStem(keyKind)) + Decimal(static_cast<long long>(index) + 1);
  const size_t n = std::min(key.size(), static_cast<size_t>(kChapterKeyChars - 1));
  std::copy_n(key.data(), n, out);
  out[n] = 0;
  return out;
}

int FmReadChapterInt(DriverContext* ctx, int index, int keyKind, const WCHAR* file, DWORD flags) {
  if (!ctx || index < 0) return 0;
  const WCHAR* section = ReadSection(ctx, flags);
  const WCHAR* path = FileOf(ctx, file);
  if (!section || !path) return 0;
  WCHAR key[kChapterKeyChars];
  return static_cast<int>(IniReadInt(section, FmChapterKeyName(ctx, key, index, keyKind), 0, path));
}

int FmReadChapterText(DriverContext* ctx, int index, int keyKind, const WCHAR* file, WCHAR* out, DWORD flags) {
  if (!out) return 0;
  out[0] = 0;
  if (!ctx || index < 0) return 0;
  const WCHAR* section = ReadSection(ctx, flags);
  const WCHAR* path = FileOf(ctx, file);
  if (!section || !path) return 0;
  WCHAR key[kChapterKeyChars];
  return IniReadString(section, FmChapterKeyName(ctx, key, index, keyKind), u"", out, kChapterRangeChars, path);
}

int FmWriteChapterInt(DriverContext* ctx, int index, int keyKind, int value, const WCHAR* file) {
  return WriteKey(ctx, index, keyKind, Decimal(value).c_str(), file);
}

int FmWriteChapterText(DriverContext* ctx, int index, int keyKind, const WCHAR* text, const WCHAR* file) {
  // An entry's range fills its buffer without a terminator at most; the key never takes more.
  WCHAR value[kChapterRangeChars + 1] = {};
  for (int i = 0; text && i < kChapterRangeChars && text[i]; ++i) value[i] = text[i];
  return WriteKey(ctx, index, keyKind, value, file);
}

int FmLoadChapterList(DriverContext* ctx, const WCHAR* file, DWORD flags) {
  if (!ctx) return 0;
  const int count = StoredValue(ctx, kOptChapterNum);
  if (!FmGetChapterEntry(ctx, 0)) return count;
  ChapterEntry* list = ChapterArray(ctx);
  if (!list) return count;
  const int max = std::min(StoredValue(ctx, kOptChapterMax), static_cast<int>(ctx->workArea->chapterAllocCount));
  for (int i = 0; i < max; ++i) {
    ChapterEntry& e = list[i];
    e = ChapterEntry{};
    if (i >= count) continue;
    e.page = static_cast<int16_t>(FmReadChapterInt(ctx, i, kChapterKeyPage, file, flags));
    e.kind = static_cast<uint8_t>(FmReadChapterInt(ctx, i, kChapterKeyKind, file, flags));
    e.tray = static_cast<int16_t>(FmReadChapterInt(ctx, i, kChapterKeyTray, file, flags));
    e.print = static_cast<uint8_t>(FmReadChapterInt(ctx, i, kChapterKeyPrint, file, flags));
    FmReadChapterText(ctx, i, kChapterKeyPageRange, file, e.pageRange, flags);
  }
  return count;
}

int FmSaveChapterList(DriverContext* ctx, const WCHAR* file) {
  if (!ctx) return 0;
  const int max = StoredValue(ctx, kOptChapterMax);
  for (int i = 0; i < max; ++i) {
    const ChapterEntry* e = FmGetChapterEntry(ctx, i);
    if (!e) break;
    FmWriteChapterInt(ctx, i, kChapterKeyPage, e->page, file);
    FmWriteChapterInt(ctx, i, kChapterKeyKind, e->kind, file);
    FmWriteChapterInt(ctx, i, kChapterKeyTray, e->tray, file);
    FmWriteChapterInt(ctx, i, kChapterKeyPrint, e->print, file);
    FmWriteChapterText(ctx, i, kChapterKeyPageRange, e->pageRange, file);
    if (e->page == 0) {
      OptSetValue(ctx, kOptChapterNum, i);
      break;
    }
  }
  return 0;
}

DWORD FmTrayCodeFromItemId(WORD stringId) {
  for (const TrayCodeRow& row : kTrayCodes)
    if (row.stringId == stringId) return row.code;
  return 0;
}

DWORD FmGetChapterTrayCode(DriverContext* ctx, int32_t trayValue) {
  const OptionEntry* row = ctx ? OptFind(ctx, kOptChapterTray) : nullptr;
  if (!row) return 0;
  return FmTrayCodeFromItemId(static_cast<WORD>(OptToUiValue(ctx, row, trayValue)));
}

// ---- hooks ------------------------------------------------------------------------------------

int FmIsChapterOption(WORD optionId) { return optionId >= kOptChapterNum && optionId <= kOptChapterUseTray8 ? 1 : 0; }

int FmIsNotDesignTrayOption(WORD optionId) {
  return optionId >= kOptDesignUseTray1 && optionId <= kOptDesignTrayNum ? 0 : 1;
}

int FmIsChapterDefaultTrayAttr(DWORD attributes, DWORD slot) {
  switch (slot) {
    case 0: return (attributes & 0xE0) ? 1 : 0;
    case 1: return (attributes & 0x20) ? 1 : 0;
    case 2: return (attributes & 0x40) ? 1 : 0;
    case 3: return (attributes & 0x80) ? 1 : 0;
    default: return 0;
  }
}

void FmSetChapterDefaultTray(DriverContext* ctx, DWORD attributes, int32_t trayValue, BYTE* functionBits) {
  struct Slot {
    DWORD attribute;
    WORD option;
    BYTE functionBit;
  };
  constexpr Slot kSlots[] = {{0x20, kOptChapterDefTray1, 4}, {0x40, kOptChapterDefTray1 + 1, 8},
                             {0x80, kOptChapterDefTray1 + 2, 16}};
  for (const Slot& slot : kSlots) {
    if (!(attributes & slot.attribute)) continue;
    OptSetValue(ctx, slot.option, trayValue);
    if (functionBits) *functionBits = static_cast<BYTE>(*functionBits | slot.functionBit);
    return;
  }
}

void FmResetChapterDefaultTrays(DriverContext* ctx) {
  constexpr DWORD kFallbackTrayCode = 3;
  const int32_t value = BidiTrayCodeToBin(kFallbackTrayCode);
  for (WORD id = kOptChapterDefTray1; id <= kOptChapterDefTray1 + 2; ++id) OptSetValue(ctx, id, value);
}

void FmValidateChapterTrays(DriverContext* ctx) {
  if (!ctx) return;
  const int32_t savedTray = OptGetValue(ctx, kOptChapterTray, nullptr);
  const int32_t savedPrint = OptGetValue(ctx, kOptChapterPrint, nullptr);
#if !ZOLT_WINDOW_BUILD
  const int32_t savedKind = OptGetValue(ctx, kOptChapterKind, nullptr);
#endif
  const int count = std::min(StoredValue(ctx, kOptChapterMax), StoredValue(ctx, kOptChapterNum));
  for (int i = 0; i < count; ++i) {
    ChapterEntry* e = FmGetChapterEntry(ctx, i);
    if (!e) break;
#if ZOLT_WINDOW_BUILD
    OptSetValue(ctx, kOptChapterTray, e->tray);
    const int32_t tray = Corrected(ctx, kOptChapterTray);
    if (tray != e->tray) ReplaceUseTray(ctx, e->tray, tray);
    e->tray = static_cast<int16_t>(tray);
    OptSetValue(ctx, kOptChapterPrint, e->print);
    e->print = static_cast<uint8_t>(Corrected(ctx, kOptChapterPrint));
#else
    // The settings module also passes the kind; each option takes the entry's value before any
    // is corrected, so that the rules of one see the others' entry values.
    OptSetValue(ctx, kOptChapterKind, e->kind);
    OptSetValue(ctx, kOptChapterTray, e->tray);
    OptSetValue(ctx, kOptChapterPrint, e->print);
    e->kind = static_cast<uint8_t>(Corrected(ctx, kOptChapterKind));
    const int32_t tray = Corrected(ctx, kOptChapterTray);
    if (tray != e->tray) ReplaceUseTray(ctx, e->tray, tray);
    e->tray = static_cast<int16_t>(tray);
    e->print = static_cast<uint8_t>(Corrected(ctx, kOptChapterPrint));
#endif
  }
  OptSetValue(ctx, kOptChapterTray, savedTray);
  OptSetValue(ctx, kOptChapterPrint, savedPrint);
#if !ZOLT_WINDOW_BUILD
  OptSetValue(ctx, kOptChapterKind, savedKind);
#endif
}

int FmEnsureChapterSetup(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  ContextWorkArea* wa = ctx->workArea;
  if (wa->chapterSetupDone) return 1;
  // Marked first: the load and the re-check below reach this module again.
  wa->chapterSetupDone = 1;
  const int loaded = CfgLoadOptionClass(ctx->printer, ctx, kBlockUserSettings, kPassModeFieldNames);
  CfgLoadChapterLimits(ctx);
  FmBroadcastRecheck(ctx);
  return loaded;
}

void FmEnsureChapterSetupIfSelected(DriverContext* ctx) {
  if (OptGetValue(ctx, kOptFuncSelectChapter, nullptr) != 0) CfgEnsureModuleSetup(ctx);
}

void FmCopyInsertMediaType(DriverContext* ctx, WORD sourceOption) {
  constexpr WORD kMediaTypes[] = {kOptCoverMediaType, kOptBackCoverMediaType, kOptMPInputMediaType,
                                  kOptChapterMediaType, kOptReverseCoverMediaType};
  const int32_t value = static_cast<int16_t>(OptGetValue(ctx, sourceOption, nullptr));
  for (WORD id : kMediaTypes)
    if (id != sourceOption) OptSetValue(ctx, id, value);
}

// ---- the module's handlers ----------------------------------------------------------------------

// The list edits (300-302) belong to the chapter dialog; the media-type copies run anywhere.
int FmChapterOnBuiltInFunc(DriverContext* ctx, WORD code, void*) {
  switch (code) {
#if ZOLT_WINDOW_BUILD
    case kBfChapterAdd:
    case kBfChapterDelete:
    case kBfChapterDeleteAll:
      return FdChapterListFunc(ctx, code);
#endif
    case kBfCoverMediaTypeCopy: FmCopyInsertMediaType(ctx, kOptCoverMediaType); return 1;
    case kBfBackCoverMediaTypeCopy: FmCopyInsertMediaType(ctx, kOptBackCoverMediaType); return 1;
    case kBfMarkMediaTypeCopy: FmCopyInsertMediaType(ctx, kOptMPInputMediaType); return 1;
    case kBfChapterMediaTypeCopy: FmCopyInsertMediaType(ctx, kOptChapterMediaType); return 1;
    case kBfReverseCoverMediaTypeCopy: FmCopyInsertMediaType(ctx, kOptReverseCoverMediaType); return 1;
    default: return 0;
  }
}

// Codes that every module must see (attach, detach, the re-check, the undo levels, the ends of
// the passes) answer 0; the questions this module answers stop the broadcast.
int FmChapterOnNotify(DriverContext* ctx, DWORD code, void* param, void* userData) {
  switch (code) {
    case kFmNotifyAttached:
      if (userData) UndoSlot(userData) = nullptr;
      if (ctx && ctx->workArea) ctx->workArea->chapterSetupDone = 0;
      return 0;
    case kFmNotifyDetaching:
      if (userData) {
        MdlFreeMem(UndoSlot(userData));
        UndoSlot(userData) = nullptr;
      }
      return 0;
    case kFmNotifySaveRow:
    case kFmNotifyLoadRow: {
      auto* offer = static_cast<FmRowPassParam*>(param);
      if (!offer) return 0;
      if (!offer->row || !FmIsChapterOption(offer->row->id)) offer->answer = 1;
      return 1;
    }
    case kFmNotifyTransferRow: {
      auto* offer = static_cast<FmRowTransferParam*>(param);
      if (offer && offer->row && !FmIsNotDesignTrayOption(offer->row->id)) offer->answer = 1;
      return 0;
    }
    case kFmNotifyChapterTrayQuery: {
      auto* query = static_cast<FmChapterTrayQuery*>(param);
      if (!query) return 0;
      query->answer = static_cast<DWORD>(FmIsChapterDefaultTrayAttr(query->attributes, query->slot));
      return 1;
    }
    case kFmNotifyChapterTraySet: {
      auto* set = static_cast<FmChapterTraySet*>(param);
      if (!set) return 0;
      FmSetChapterDefaultTray(ctx, set->attributes, static_cast<int32_t>(set->trayValue), set->functionBits);
      return 1;
    }
    case kFmNotifyChapterTraysReset: FmResetChapterDefaultTrays(ctx); return 0;
    case kFmNotifyRecheck: FmValidateChapterTrays(ctx); return 0;
    case kFmNotifyEnsureSetup: {
      auto* result = static_cast<int32_t*>(param);
      if (!result) return 0;
      *result = FmEnsureChapterSetup(ctx);
      return 1;
    }
    case kFmNotifyPublicApplied: FmEnsureChapterSetupIfSelected(ctx); return 0;
    case kFmNotifyLoadPassEnd: {
      const auto* end = static_cast<const FmPassEndParam*>(param);
      if (end && end->block == static_cast<int32_t>(kBlockUserSettings) && end->mode == kPassModeFieldNames) FmLoadChapterList(ctx, nullptr, 0);
      return 0;
    }
    case kFmNotifySavePassEnd: {
      const auto* end = static_cast<const FmPassEndParam*>(param);
      if (end && end->block == static_cast<int32_t>(kBlockUserSettings) && end->mode == kPassModeFieldNames) FmSaveChapterList(ctx, nullptr);
      return 0;
    }
    case kFmNotifyTransferEnd:
      if (param) TransferEnded(ctx, *static_cast<const FmTransferEndParam*>(param));
      return 0;
#if ZOLT_WINDOW_BUILD
    case kFmNotifyControlState: return FdChapterGreyQuery(ctx, param);
    case kFmNotifyDialogClosed: FdChapterDialogClosed(ctx, param); return 0;
#endif
    case kFmNotifySnapshotPushed: PushUndoCopy(ctx, userData); return 0;
    case kFmNotifySnapshotPopped: PopUndoCopy(ctx, userData); return 0;
    default: return 0;
  }
}
