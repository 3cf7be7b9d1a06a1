// The chapter dialog's page list: the text a person types into the page edit, checked and parsed
// into page values, sorted, and merged into the chapter list of the work area; deleting one
// entry or all of them, and the trays the list uses.
#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "fd_chapter.h"
#include "fd_services.h"
#include "option_access.h"

namespace {

constexpr uint16_t kOptChapterTrayNum = 1023;  // wdmChapterTrayNum
constexpr uint16_t kOptFuncSelectCover = 65;   // zdmFuncSelectCover
constexpr uint16_t kOptCoverType = 124;        // zdmCoverType
constexpr int kUseTraySlots = 8;
constexpr uint16_t kChapterUseTrays[kUseTraySlots] = {1020, 1021, 1022, 1028, 1029, 1030, 1031, 1032};
constexpr uint16_t kDesignUseTrays[kUseTraySlots] = {1033, 1034, 1035, 1036, 1037, 1038, 1039, 1040};

constexpr uint8_t kKindChapter = 0;
constexpr uint8_t kKindRange = 3;

int Value(DriverContext* ctx, uint16_t id) { return std::max(0, static_cast<int>(OptGetValue(ctx, id, nullptr))); }

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A run of digits as a number; runs past the last page count as one page too many, so that a
// long run cannot wrap. An empty run is 0.
int32_t Number(std::u16string_view digits) {
  int32_t n = 0;
  for (char16_t c : digits) {
    n = n * 10 + (c - u'0');
    if (n > kLastPage) return kLastPage + 1;
  }
  return n;
}

bool InRange(int32_t page) { return page >= kFirstPage && page <= kLastPage; }

// "%d" or "%d-%d" into a range text.
void RangeText(WCHAR (&out)[kChapterRangeChars], int32_t a, int32_t b) {
  std::u16string text;
  for (int32_t v : {a, b}) {
    if (v == b && !text.empty()) {
      if (a == b) break;
      text += u'-';
    }
    std::u16string digits;
    do {
      digits.insert(digits.begin(), static_cast<char16_t>(u'0' + v % 10));
      v /= 10;
    } while (v);
    text += digits;
  }
  const size_t n = std::min(text.size(), static_cast<size_t>(kChapterRangeChars - 1));
  std::copy_n(text.data(), n, out);
  out[n] = 0;
}

bool Listed(const PageListValues& out, int32_t page) {
  return std::find(out.values, out.values + out.count, page) != out.values + out.count;
}

// Adds a value; false when the buffer (or the caller's limit) is full.
bool Add(PageListValues* out, int limit, int32_t page, int32_t rangeEnd, int rangeMode) {
  if (out->count >= std::min(limit, kPageListMaxValues)) return false;
  out->values[out->count] = page;
  if (rangeMode) RangeText(out->ranges[out->count], page, rangeEnd);
  ++out->count;
  out->values[out->count] = 0;
  return true;
}

// Every range "a-b" of the text, each cut out with one neighbouring ','.
int ParseRanges(std::u16string& text, int rangeMode, int limit, PageListValues* out) {
  for (size_t dash = text.find(u'-'); dash != std::u16string::npos; dash = text.find(u'-')) {
    if (dash == 0 || dash + 1 >= text.size() || !IsDigit(text[dash + 1])) return kMsgBadPageList;
    const size_t comma = text.rfind(u',', dash);
    if (comma == 0) return kMsgBadPageList;
    const size_t first = comma == std::u16string::npos ? 0 : comma + 1;
    size_t last = text.find(u',', dash);
    if (last == std::u16string::npos) last = text.size();
    const std::u16string_view all(text);
    if (all.substr(dash + 1, last - dash - 1).find(u'-') != std::u16string_view::npos) return kMsgBadPageList;
    int32_t a = Number(all.substr(first, dash - first));
    int32_t b = Number(all.substr(dash + 1, last - dash - 1));
    if (a > b) std::swap(a, b);
    if (!InRange(a) || !InRange(b)) return kMsgBadPageList;
    if (rangeMode) {
      if (!Add(out, limit, a, b, 1)) return kMsgTooManyChapters;
    } else {
      for (int32_t page = a; page <= b; ++page)
        if (!Listed(*out, page) && !Add(out, limit, page, page, 0)) return kMsgTooManyChapters;
    }
    // The range goes with the ',' after it, or the one before it at the end of the text.
    if (last < text.size())
      text.erase(first, last + 1 - first);
    else
      text.erase(first == 0 ? 0 : first - 1, last - (first == 0 ? 0 : first - 1));
  }
  return 0;
}

// The single numbers left: each item 1-30000; a ',' at the very end is allowed.
int ParseNumbers(const std::u16string& text, int rangeMode, PageListValues* out) {
  if (text.empty()) return 0;
  size_t first = 0;
  while (first <= text.size()) {
    size_t last = text.find(u',', first);
    if (last == std::u16string::npos) last = text.size();
    if (last == text.size() && first == text.size() && first > 0) break;  // after a trailing ','
    const int32_t page = Number(std::u16string_view(text).substr(first, last - first));
    if (!InRange(page)) return kMsgBadPageList;
    if (!Listed(*out, page) && !Add(out, kPageListMaxValues, page, page, rangeMode)) return kMsgTooManyChapters;
    first = last + 1;
  }
  return 0;
}

// The trays of the kind-0 and kind-3 entries, in list order.
struct TrayUse {
  std::vector<int16_t> chapter, design, all;
  bool printClash = false;
};

TrayUse CollectTrays(const ChapterEntry* list, int count) {
  TrayUse use;
  for (int i = 0; i < count; ++i) {
    const ChapterEntry& e = list[i];
    if (e.kind != kKindChapter && e.kind != kKindRange) continue;
    auto& mine = e.kind == kKindChapter ? use.chapter : use.design;
    if (std::find(mine.begin(), mine.end(), e.tray) == mine.end()) mine.push_back(e.tray);
    if (std::find(use.all.begin(), use.all.end(), e.tray) == use.all.end()) use.all.push_back(e.tray);
    for (int j = 0; j < count; ++j) {
      const ChapterEntry& o = list[j];
      if (j != i && (o.kind == kKindChapter || o.kind == kKindRange) && o.tray == e.tray && e.print == 2 && o.print == 1)
        use.printClash = true;
    }
  }
  return use;
}

void StoreTrayUse(DriverContext* ctx, const TrayUse& use) {
  const auto store = [&](const std::vector<int16_t>& trays, const uint16_t (&slots)[kUseTraySlots], uint16_t count) {
    const int n = std::min<int>(static_cast<int>(trays.size()), kUseTraySlots);
    for (int i = 0; i < n; ++i) OptSetValue(ctx, slots[i], trays[i]);
    OptSetValue(ctx, count, n);
  };
  store(use.chapter, kChapterUseTrays, kOptChapterTrayNum);
  store(use.design, kDesignUseTrays, kOptDesignTrayNum);
}

// The end page of an entry or new value: the number after the hyphen of its text, else the page.
int32_t EndOf(int32_t page, const WCHAR* text) {
  if (!text) return page;
  std::u16string_view view(text, std::char_traits<WCHAR>::length(text));
  const size_t dash = view.find(u'-');
  if (dash == std::u16string_view::npos) return page;
  const int32_t end = Number(view.substr(dash + 1));
  return end > 0 ? end : page;
}

bool IsRangeEntry(const ChapterEntry& e) { return e.kind == kKindRange && e.page > 0; }

// A new value against an old entry: 12045 when they overlap.
int Overlap(const ChapterEntry& old, int32_t start, int32_t end, bool newIsRange) {
  if (old.page <= 0) return 0;
  if (IsRangeEntry(old)) {
    const int32_t f = old.page;
    const int32_t e = EndOf(old.page, old.pageRange);
    if ((start >= f && start <= e) || (end >= f && end <= e) || (start < f && end > e)) return kMsgRangeOverlap;
  }
  if (newIsRange && old.page >= start && old.page <= end) return kMsgRangeOverlap;
  return 0;
}

// The entry count from before the last delete or clear, for Cancel, per context while its chapter
// dialog is open. Contexts of several threads may have their dialogs open at once.
std::mutex g_keptLock;
std::map<const DriverContext*, int> g_keptCounts;

HWND ListWindow(DriverContext* ctx) {
  DialogDescriptor* dialog = OptFindDialog(ctx, kDlgChapter);
  ControlDescriptor* list = dialog && dialog->window ? OptFindControl(ctx, dialog, kCtlChapterList) : nullptr;
  return list ? list->window : nullptr;
}

HWND DialogWindow(DriverContext* ctx) {
  DialogDescriptor* dialog = OptFindDialog(ctx, kDlgChapter);
  return dialog ? dialog->window : nullptr;
}

void Repaint(HWND list) {
  if (list) InvalidateRect(list, nullptr, TRUE);
}

void FocusPageEdit(DriverContext* ctx) {
  if (HWND dialog = DialogWindow(ctx))
    if (HWND edit = GetDlgItem(dialog, kCtlChapterPage)) SetFocus(edit);
}

}  // namespace

// ---- the page list ------------------------------------------------------------------------------

int FdParsePageList(const WCHAR* text, int rangeMode, int limit, PageListValues* out) {
  if (!out) return kMsgBadPageList;
  out->count = 0;
  out->values[0] = 0;
  std::u16string rest = text ? std::u16string(text) : std::u16string();
  for (char16_t c : rest)
    if (!IsDigit(c) && c != u',' && c != u'-') return kMsgBadPageCharacter;
  int failure = ParseRanges(rest, rangeMode, limit, out);
  if (!failure) failure = ParseNumbers(rest, rangeMode, out);
  if (failure) {
    out->count = 0;
    out->values[0] = 0;
  }
  return failure;
}

void FdSortPageList(PageListValues* list, int rangeMode) {
  if (!list) return;
  const int n = std::clamp(list->count, 0, kPageListMaxValues);
  for (int gap = n / 2; gap > 0; gap /= 2) {
    for (int i = gap; i < n; ++i) {
      for (int j = i - gap; j >= 0 && list->values[j] > list->values[j + gap]; j -= gap) {
        std::swap(list->values[j], list->values[j + gap]);
        if (rangeMode) std::swap(list->ranges[j], list->ranges[j + gap]);
      }
    }
  }
  list->values[n] = 0;
}

// ---- the chapter list ---------------------------------------------------------------------------

void FdKeepChapterCount(DriverContext* ctx, int count) {
  std::lock_guard lock(g_keptLock);
  g_keptCounts[ctx] = count;
}

int FdTakeKeptChapterCount(DriverContext* ctx, int fallback) {
  std::lock_guard lock(g_keptLock);
  const auto it = g_keptCounts.find(ctx);
  if (it == g_keptCounts.end()) return fallback;
  const int count = it->second;
  g_keptCounts.erase(it);
  return count;
}

int FdGetChapterCount(DriverContext* ctx) { return ctx ? Value(ctx, kOptChapterNum) : 0; }

int FdMergeChapterPages(DriverContext* ctx, const PageListValues* values, int rangeMode) {
  int capacity = 0;
  ChapterEntry* list = FmGetChapterList(ctx, &capacity);
  if (!list || !values) return kMsgTooManyChapters;
  const int max = std::min(Value(ctx, kOptChapterMax), capacity - 1);
  const int oldCount = std::clamp(FdGetChapterCount(ctx), 0, max);
  const std::vector<ChapterEntry> old(list, list + oldCount);

  const auto kind = static_cast<uint8_t>(Value(ctx, kOptChapterKind));
  const bool withTray = kind == kKindChapter || kind == kKindRange;
  const auto tray = static_cast<int16_t>(OptGetValue(ctx, kOptChapterTray, nullptr));
  const auto print = static_cast<uint8_t>(Value(ctx, kOptChapterPrint));
  const bool coverFirst = Value(ctx, kOptFuncSelectCover) != 0 && Value(ctx, kOptCoverType) != 1;

  std::vector<ChapterEntry> merged;
  merged.reserve(static_cast<size_t>(max));
  const auto emit = [&](const ChapterEntry& e) {
    if (static_cast<int>(merged.size()) >= max) return false;
    merged.push_back(e);
    return true;
  };
  size_t o = 0;
  const int newCount = std::clamp(values->count, 0, kPageListMaxValues);
  for (int i = 0; i < newCount; ++i) {
    const int32_t start = values->values[i];
    const WCHAR* text = rangeMode ? values->ranges[i] : nullptr;
    const int32_t end = EndOf(start, text);
    const bool isRange = rangeMode && end != start;
    for (const ChapterEntry& e : old)
      if (const int overlap = Overlap(e, start, end, isRange)) return overlap;
    if (rangeMode && start == 1 && coverFirst) return kMsgRangeOnCover;
    while (o < old.size() && old[o].page < start)
      if (!emit(old[o++])) return kMsgTooManyChapters;
    if (!merged.empty() && merged.back().page == start) continue;
    if (o < old.size() && old[o].page == start) ++o;  // replaced
    ChapterEntry entry{};
    entry.page = static_cast<int16_t>(start);
    entry.kind = kind;
    if (withTray) {
      entry.tray = tray;
      entry.print = print;
      if (kind == kKindRange && text) std::memcpy(entry.pageRange, text, sizeof entry.pageRange);
    }
    if (!emit(entry)) return kMsgTooManyChapters;
  }
  while (o < old.size())
    if (!emit(old[o++])) return kMsgTooManyChapters;

  const int count = static_cast<int>(merged.size());
  const TrayUse use = CollectTrays(merged.data(), count);
  if (static_cast<int>(use.all.size()) > Value(ctx, kOptChapterTrayMax)) return kMsgTooManyTrays;
  if (use.printClash) return kMsgPrintClash;

  std::fill(list, list + capacity, ChapterEntry{});
  std::copy(merged.begin(), merged.end(), list);
  StoreTrayUse(ctx, use);
  OptSetValue(ctx, kOptChapterNum, count);
  return 0;
}

int FdInsertChapterPages(DriverContext* ctx, const PageListValues* values, int rangeMode) {
  const int refused = FdMergeChapterPages(ctx, values, rangeMode);
  HWND list = ListWindow(ctx);
  if (refused) {
    FdShowWarning(ctx, DialogWindow(ctx), static_cast<WORD>(refused));
    FocusPageEdit(ctx);
    Repaint(list);
    return 1;
  }
  if (list) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(std::max(0, FdGetChapterCount(ctx) - 1)), 0);
  Repaint(list);
  return 0;
}

int FdRemoveChapterAt(DriverContext* ctx, int index) {
  int capacity = 0;
  ChapterEntry* list = FmGetChapterList(ctx, &capacity);
  const int count = std::min(FdGetChapterCount(ctx), capacity - 1);
  if (!list || index < 0 || index >= count || list[index].page == 0) return -1;
  std::memmove(list + index, list + index + 1, static_cast<size_t>(count - index - 1) * sizeof(ChapterEntry));
  list[count - 1] = ChapterEntry{};
  FdKeepChapterCount(ctx, count);
  OptSetValue(ctx, kOptChapterNum, count - 1);
  return index < count - 1 ? index : std::max(0, index - 1);
}

void FdDeleteSelectedChapter(DriverContext* ctx) {
  HWND list = ListWindow(ctx);
  if (!list) return;
  const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  const int next = FdRemoveChapterAt(ctx, selected == LB_ERR ? -1 : static_cast<int>(selected));
  if (next < 0) return;
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(next), 0);
  Repaint(list);
}

void FdClearChapters(DriverContext* ctx) {
  int capacity = 0;
  ChapterEntry* list = FmGetChapterList(ctx, &capacity);
  if (!list) return;
  FdKeepChapterCount(ctx, FdGetChapterCount(ctx));
  std::fill(list, list + capacity, ChapterEntry{});
  OptSetValue(ctx, kOptChapterNum, 0);
  if (HWND window = ListWindow(ctx)) {
    SendMessageW(window, LB_SETCURSEL, 0, 0);
    Repaint(window);
  }
}

void FdUpdateChapterTrayUse(DriverContext* ctx) {
  int capacity = 0;
  const ChapterEntry* list = FmGetChapterList(ctx, &capacity);
  if (!list) return;
  StoreTrayUse(ctx, CollectTrays(list, std::clamp(FdGetChapterCount(ctx), 0, capacity - 1)));
}

// ---- built-in functions 300-302 and the module's window notifications -----------------------------

int FdChapterListFunc(DriverContext* ctx, WORD code) {
  HWND dialog = DialogWindow(ctx);
  if (!dialog) return 1;
  switch (code) {
    case 300: {
      // The list is at most as long as wdmChapterPage holds; a longer text is refused whole, never cut.
      WCHAR text[kPageListMaxValues + 1] = {};
      HWND edit = GetDlgItem(dialog, kCtlChapterPage);
      if (edit && GetWindowTextLengthW(edit) > kPageListMaxValues) {
        FdShowWarning(ctx, dialog, kMsgBadPageList);
        FocusPageEdit(ctx);
        return 1;
      }
      if (edit) GetWindowTextW(edit, text, kPageListMaxValues + 1);
      const int rangeMode = Value(ctx, kOptChapterKind) == kKindRange ? 1 : 0;
      auto parsed = std::make_unique<PageListValues>();
      if (const int warning = FdParsePageList(text, rangeMode, Value(ctx, kOptChapterMax), parsed.get())) {
        FdShowWarning(ctx, dialog, static_cast<WORD>(warning));
        FocusPageEdit(ctx);
        return 1;
      }
      if (parsed->count > 0) {
        FdSortPageList(parsed.get(), rangeMode);
        FdInsertChapterPages(ctx, parsed.get(), rangeMode);
      }
      return 1;
    }
    case 301:
      if (FdShowMessageStyled(ctx, dialog, kMsgDeleteChapter, 0, kFdButtonsOkCancel) == kFdIdOk)
        FdDeleteSelectedChapter(ctx);
      return 1;
    case 302:
      if (FdShowMessageStyled(ctx, dialog, kMsgDeleteAllChapters, 0, kFdButtonsOkCancel) == kFdIdOk)
        FdClearChapters(ctx);
      return 1;
    default:
      return 0;
  }
}
