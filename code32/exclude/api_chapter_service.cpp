// The chapter and colour-matching requests of the interface: the chapter list edited without its
// dialog, one chapter entry read from the settings file, and the colour-matching entries.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "api_frame.h"
#include "api_options.h"
#include "api_support.h"
#include "core_memory.h"
#include "fm_modules_1_4.h"
#include "fm_modules_5_8.h"
#include "option_access.h"
#include "settings_paths.h"

static_assert(sizeof(ChapterEntry) == kChapterEntryBytes);

namespace {

constexpr uint16_t kChapterDialog = 1044;
constexpr int kCmmNameChars = 260;

int32_t* Field(void* record, int offset) { return reinterpret_cast<int32_t*>(static_cast<BYTE*>(record) + offset); }

int32_t ChapterCount(DriverContext* ctx) {
  const int32_t n = OptGetValue(ctx, kApiOptChapterNum, nullptr);
  const LONG rows = ctx->workArea->chapterList ? ctx->workArea->chapterAllocCount : 0;
  return std::clamp<int32_t>(n, 0, rows);
}

// The chapter entry the interface named is removed and the rest moved up. 0 done, 1 refused.
int DeleteChapter(DriverContext* ctx) {
  ApiExtension* ext = ApiGetExtension(ctx);
  ChapterEntry* list = ctx->workArea->chapterList;
  const int32_t count = ChapterCount(ctx);
  if (!ext || !list || ext->chapterIndex < 0 || ext->chapterIndex >= count) return 1;
  const int32_t index = ext->chapterIndex;
  std::memmove(list + index, list + index + 1, static_cast<size_t>(count - index - 1) * sizeof(ChapterEntry));
  std::memset(list + count - 1, 0, sizeof(ChapterEntry));
  OptSetValue(ctx, kApiOptChapterNum, count - 1);
  return 0;
}

int ClearChapters(DriverContext* ctx) {
  if (ChapterEntry* list = ctx->workArea->chapterList)
    std::memset(list, 0, static_cast<size_t>(ctx->workArea->chapterAllocCount) * sizeof(ChapterEntry));
  OptSetValue(ctx, kApiOptChapterNum, 0);
  return 0;
}

// The number after the '-' of a range text, the whole text's number, or `fallback`.
int32_t RangeEnd(const WCHAR* text, int32_t fallback) {
  if (!text || !text[0]) return fallback;
  const WCHAR* p = text;
  while (*p && *p != u'-') ++p;
  if (*p == u'-') ++p;
  else p = text;
  int32_t value = 0;
  bool any = false;
  for (; *p >= u'0' && *p <= u'9' && value < 100000; ++p) {
    value = value * 10 + (*p - u'0');
    any = true;
  }
  return any ? value : fallback;
}

constexpr uint16_t kOptChapterTrayMax = 1018;
constexpr uint16_t kOptChapterTrayNum = 1023;
constexpr uint16_t kOptChapterKind = 1025;
constexpr uint16_t kOptChapterTray = 1026;
constexpr uint16_t kOptChapterPrint = 1027;
constexpr uint16_t kOptDesignTrayNum = 1041;
constexpr uint16_t kOptFuncSelectCover = 65;
constexpr uint16_t kOptCoverType = 124;
constexpr uint16_t kChapterUseTrays[8] = {1020, 1021, 1022, 1028, 1029, 1030, 1031, 1032};
constexpr uint16_t kDesignUseTrays[8] = {1033, 1034, 1035, 1036, 1037, 1038, 1039, 1040};
constexpr int kUseTraySlots = 8;
constexpr uint8_t kKindRange = 3;
constexpr int32_t kLastPage = 30000;

// The pages an entry covers: its page, or for a range entry the range of its text.
void EntrySpan(const ChapterEntry& e, int32_t* first, int32_t* last) {
  *first = e.page;
  *last = e.kind == kKindRange ? RangeEnd(e.pageRange, e.page) : e.page;
}

// The tray-use options from the list: the distinct trays of plain and range entries. 0 when
// more trays are used than the device has, or one tray is asked both to print and not to.
int UpdateTrayUse(DriverContext* ctx, const ChapterEntry* list, int32_t count) {
  int32_t chapter[kUseTraySlots] = {}, design[kUseTraySlots] = {}, all[2 * kUseTraySlots] = {};
  int chapters = 0, designs = 0, distinct = 0;
  auto has = [](const int32_t* set, int n, int32_t tray) {
    for (int i = 0; i < n; ++i)
      if (set[i] == tray) return true;
    return false;
  };
  for (int32_t i = 0; i < count; ++i) {
    const ChapterEntry& e = list[i];
    if (e.kind != 0 && e.kind != kKindRange) continue;
    if (!has(all, distinct, e.tray) && distinct < 2 * kUseTraySlots) all[distinct++] = e.tray;
    if (e.kind == 0 && !has(chapter, chapters, e.tray) && chapters < kUseTraySlots) chapter[chapters++] = e.tray;
    if (e.kind == kKindRange && !has(design, designs, e.tray) && designs < kUseTraySlots) design[designs++] = e.tray;
    for (int32_t k = 0; k < count; ++k)
      if (k != i && list[k].tray == e.tray && e.print == 2 && list[k].print == 1) return 0;
  }
  if (distinct > OptGetValue(ctx, kOptChapterTrayMax, nullptr)) return 0;
  for (int i = 0; i < kUseTraySlots; ++i) {
    OptSetValue(ctx, kChapterUseTrays[i], i < chapters ? chapter[i] : 0);
    OptSetValue(ctx, kDesignUseTrays[i], i < designs ? design[i] : 0);
  }
  OptSetValue(ctx, kOptChapterTrayNum, chapters);
  OptSetValue(ctx, kOptDesignTrayNum, designs);
  return 1;
}

// Grows the work area's chapter table to (wdmChapterMax + 1) rows, keeping what it holds.
void EnsureChapterRows(DriverContext* ctx) {
  ContextWorkArea* wa = ctx->workArea;
  const LONG needed = std::max<int32_t>(OptGetValue(ctx, kApiOptChapterMax, nullptr), 0) + 1;
  if (wa->chapterList && wa->chapterAllocCount >= needed) return;
  auto* list = static_cast<ChapterEntry*>(CtxAllocMem(static_cast<DWORD>(needed) * sizeof(ChapterEntry)));
  if (!list) return;
  if (wa->chapterList) {
    std::memcpy(list, wa->chapterList, static_cast<size_t>(wa->chapterAllocCount) * sizeof(ChapterEntry));
    MdlFreeMem(wa->chapterList);
  }
  wa->chapterList = list;
  wa->chapterAllocCount = needed;
}

// Merges one page or page range into the chapter list in page order. 0 inserted, 1 refused (the
// list as it was).
int InsertChapter(DriverContext* ctx, int32_t first, int32_t last) {
  EnsureChapterRows(ctx);
  ContextWorkArea* wa = ctx->workArea;
  ChapterEntry* list = wa->chapterList;
  const int32_t max = std::min<int32_t>(OptGetValue(ctx, kApiOptChapterMax, nullptr), wa->chapterAllocCount - 1);
  const int32_t count = ChapterCount(ctx);
  if (!list || first < 1 || first > kLastPage || last > kLastPage || max < 1) return 1;
  const bool range = last > first;
  if (!range) last = first;
  if (range && first == 1 && OptGetValue(ctx, kOptFuncSelectCover, nullptr) && OptGetValue(ctx, kOptCoverType, nullptr) != 1)
    return 1;
  int32_t at = 0;
  while (at < count && list[at].page < first) ++at;
  // A new range may neither overlap a range entry nor enclose an entry.
  for (int32_t i = 0; i < count; ++i) {
    int32_t f = 0, e = 0;
    EntrySpan(list[i], &f, &e);
    if (list[i].kind == kKindRange && ((first >= f && first <= e) || (last >= f && last <= e) || (first < f && last > e)))
      return 1;
    if (range && list[i].page >= first && list[i].page <= last && list[i].page != first) return 1;
  }
  const bool replaces = at < count && list[at].page == first;
  if (!replaces && count >= max) return 1;

  std::vector<ChapterEntry> saved(list, list + wa->chapterAllocCount);
  if (!replaces) std::memmove(list + at + 1, list + at, static_cast<size_t>(count - at) * sizeof(ChapterEntry));
  ChapterEntry entry{};
  entry.page = static_cast<int16_t>(first);
  entry.kind = static_cast<uint8_t>(OptGetValue(ctx, kOptChapterKind, nullptr));
  if (entry.kind == 0 || entry.kind == kKindRange) {
    entry.tray = static_cast<int16_t>(OptGetValue(ctx, kOptChapterTray, nullptr));
    entry.print = static_cast<uint8_t>(OptGetValue(ctx, kOptChapterPrint, nullptr));
  }
  if (entry.kind == kKindRange) {
    char text[32] = {};
    if (range) std::snprintf(text, sizeof text, "%d-%d", first, last);
    else std::snprintf(text, sizeof text, "%d", first);
    for (int i = 0; i < kChapterRangeChars - 1 && text[i]; ++i) entry.pageRange[i] = static_cast<WCHAR>(text[i]);
  }
  list[at] = entry;
  const int32_t newCount = replaces ? count : count + 1;
  if (!UpdateTrayUse(ctx, list, newCount)) {
    std::memcpy(list, saved.data(), saved.size() * sizeof(ChapterEntry));
    UpdateTrayUse(ctx, list, count);
    return 1;
  }
  OptSetValue(ctx, kApiOptChapterNum, newCount);
  return 0;
}

}  // namespace

int ApiChapterListsDiffer(DriverContext* ctx, const ChapterEntry* a, const ChapterEntry* b) {
  if (!a || !b) return 1;
  const int32_t count = ChapterCount(ctx);
  for (int32_t i = 0; i < count; ++i)
    if (a[i].page != b[i].page || a[i].tray != b[i].tray || a[i].kind != b[i].kind || a[i].print != b[i].print)
      return 1;
  return 0;
}

int ApiChapterService(DriverContext* ctx, int request, void* record) {
  if (!ctx || !ctx->workArea) return 0;
  switch (request) {
    case 0:
      if (record) *Field(record, 0) = FmGetCmmCount(ctx);
      return 1;
    case 1: {
      if (!record) return 1;
      const int32_t index = *Field(record, 0);
      auto* out = reinterpret_cast<WCHAR*>(static_cast<BYTE*>(record) + 4);
      ControlDescriptor* edit = FmGetCmmNameEdit(ctx);
      if (!edit) return 1;
      FmLoadCmmEntryByName(ctx, index);
      OptionEntry* row = OptFindBySymbol(ctx, edit->nameIndex);
      out[0] = u'\0';
      if (row) OptGetStringValue(ctx, row, out, kCmmNameChars);
      return 1;
    }
    case 2: {
      if (!record || !OptFindDialog(ctx, kChapterDialog)) return 1;
      const int32_t first = *Field(record, 0);
      const int32_t last = *Field(record, 8);
      *Field(record, 12) = InsertChapter(ctx, first, last > 0 && last != first ? last : first);
      return 1;
    }
    case 3: {
      if (!record || !OptFindDialog(ctx, kChapterDialog)) return 1;
      if (ApiExtension* ext = ApiGetExtension(ctx)) ext->chapterIndex = *Field(record, 0);
      *Field(record, 4) = DeleteChapter(ctx);
      return 1;
    }
    case 4:
      if (!OptFindDialog(ctx, kChapterDialog)) return 1;
      if (record) *Field(record, 0) = ClearChapters(ctx);
      else ClearChapters(ctx);
      return 1;
    case 5: {
      if (!record) return 1;
      const int32_t index = *Field(record, 0);
      const WCHAR* ini = PathGetSettingsIni(ctx);
      const int32_t page = FmReadChapterInt(ctx, index, 1, ini, 0);
      const int32_t kind = FmReadChapterInt(ctx, index, 3, ini, 0);
      *Field(record, 4) = page;
      *Field(record, 8) = kind;
      *Field(record, 12) = FmReadChapterInt(ctx, index, 2, ini, 0);
      *Field(record, 16) = FmReadChapterInt(ctx, index, 4, ini, 0);
      if (kind == 3) {
        WCHAR range[64] = {};
        FmReadChapterText(ctx, index, 5, ini, range, 0);
        *Field(record, 20) = RangeEnd(range, page);
      }
      return 1;
    }
    case 6: {
      if (!record) return 1;
      const auto* lists = static_cast<ChapterEntry* const*>(record);
      *Field(record, static_cast<int>(2 * sizeof(void*))) = ApiChapterListsDiffer(ctx, lists[0], lists[1]);
      return 1;
    }
    default:
      return 0;
  }
}
