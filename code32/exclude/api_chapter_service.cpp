// The chapter and colour-matching requests of the interface: the chapter list edited without its
// dialog, one chapter entry read from the settings file, and the colour-matching entries.
#include <algorithm>
#include <cstring>

#include "api_frame.h"
#include "api_options.h"
#include "api_support.h"
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
