// Any bytes as the text of a settings, preset or installation file written by another program:
// the client-side-rendering sections are stripped (double-byte characters kept whole), and each
// line is evaluated as a preset's condition expression. Nothing may be read past the text, the
// kept text never grows, text without a marked section comes back as it was (up to its first
// NUL), and stripping is complete: the kept text holds no marked section.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "csr_cleanup.h"
#include "scenario_install.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string kept;
  const bool changed = IniStripCsrText(text, kept);
  Require(kept.size() <= size);
  if (!changed) Require(kept == text.substr(0, text.find('\0')));
  std::string again;
  Require(!IniStripCsrText(kept, again) && again == kept);

  // Each line as a condition expression; which names hold follows the name's length.
  size_t start = 0;
  while (start < size) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = size;
    const std::string line(text.substr(start, end - start));
    const int result = CfgEvalConditionExpression(line.c_str(), [](const std::string& name) { return name.size() % 2 == 0; });
    Require(result == 0 || result == 1);
    start = end + 1;
  }
  return 0;
}
