// Any UTF-16 text (the input's bytes in pairs, little-endian) as a path taken apart by the name
// helpers of the file operations: every pointer they return must lie inside the path, every
// length must match the text there, and a replaced extension must fit its buffer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "path_files.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string path;
  for (size_t i = 0; i + 1 < size; i += 2) path.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  path = path.substr(0, path.find(u'\0'));
  const WCHAR* begin = path.c_str();
  const WCHAR* end = begin + path.size();

  const WCHAR* name = PathGetFileName(begin);
  Check(name >= begin && name <= end);
  int length = -1;
  const WCHAR* extension = PathGetExtension(begin, &length);
  Check(extension >= begin && extension <= end && length >= 0 && (length == 0 || extension + length == end));
  int base = -1;
  const WCHAR* baseName = PathGetBaseNameLength(begin, &base);
  Check(baseName >= begin && base >= 0 && baseName + base <= end);
  const int hasShort = PathHasShortExtension(begin);
  Check(hasShort == 0 || (base > 0 && length >= 1 && length <= 3));

  for (const WCHAR* replacement : {u"", u"rsr", u"log", u"a-much-longer-extension"}) {
    WCHAR out[MAX_PATH + 8];
    std::memset(out, 0xA5, sizeof out);
    if (PathReplaceExtension(out, begin, replacement)) {
      Check(std::char_traits<char16_t>::length(out) < MAX_PATH);
      Check(out[MAX_PATH] == static_cast<WCHAR>(0xA5A5));
    }
  }
  WCHAR quality[MAX_PATH];
  PathQualityFileOf(quality, begin);
  return 0;
}
