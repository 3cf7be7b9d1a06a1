// Reads arbitrary bytes as a registry hive file. A text the reader takes must write back to a
// text that reads to the same tree and writes identically.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "win32/hostregistry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zolt::host;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  RegistryKey root;
  std::string why;
  if (!ParseHive(text, root, &why)) return 0;
  std::string once = FormatHive(root);
  RegistryKey again;
  if (!ParseHive(once, again, &why)) std::abort();
  if (FormatHive(again) != once) std::abort();
  return 0;
}
