// The page list of the chapter dialog as a person may type it: the first byte chooses page or
// range mode, the second the capacity of the list, the rest is UTF-16 text. A list that is taken
// gives sorted pages 1-30000 within the capacity, each range text terminated and starting with
// its page; a refused one gives nothing.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "fd_chapter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int rangeMode = data[0] & 1;
  const int limit = data[1] * 3;
  std::u16string text;
  for (size_t i = 2; i + 1 < size && text.size() < 1024; i += 2)
    text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  auto list = std::make_unique<PageListValues>();
  const int warning = FdParsePageList(text.c_str(), rangeMode, limit, list.get());
  if (warning) {
    if (list->count != 0) std::abort();
    return 0;
  }
  if (list->count < 0 || list->count > kPageListMaxValues) std::abort();
  FdSortPageList(list.get(), rangeMode);
  for (int i = 0; i < list->count; ++i) {
    if (list->values[i] < kFirstPage || list->values[i] > kLastPage) std::abort();
    if (i > 0 && list->values[i] < list->values[i - 1]) std::abort();
    if (rangeMode) {
      const std::u16string range(list->ranges[i], std::char_traits<char16_t>::length(list->ranges[i]));
      if (range.size() >= static_cast<size_t>(kChapterRangeChars)) std::abort();
      const size_t dash = range.find(u'-');
      const std::u16string first = dash == std::u16string::npos ? range : range.substr(0, dash);
      if (std::to_string(list->values[i]) != std::string(first.begin(), first.end())) std::abort();
    }
  }
  if (list->values[list->count] != 0) std::abort();
  return 0;
}
