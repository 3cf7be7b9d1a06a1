// Drives the job-language command engine with arbitrary blocks against a real printer (the
// sample model of the 7000). Input: one flag byte, then NUL-separated pieces: the base text,
// then update lines (each also asked as a command name). The engine must never read past a
// piece, and every line it hands back must be one line of its grammar, free of control bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "exc_handle.h"
#include "fuzz_printer.h"
#include "pjl_engine.h"
#include "win32/hostspooler.h"
#include "win32/windows.h"

namespace {

ExclusiveHandle* Handle() {
  static ExclusiveHandle* handle = [] {
    zolt::fuzz::MakeSamplePrinterMachine("pjl", u"Fuzz 7000");
    ExclusiveHandle* made = ExcGetExclusive("Fuzz 7000");
    if (!made) std::abort();
    return made;
  }();
  return handle;
}

// Every line of a text that the engine hands out parses, and nothing but its line ends is a
// control byte.
void CheckLines(const std::vector<char>& text, int32_t length) {
  if (length <= 0) return;
  if (text[static_cast<size_t>(length) - 1] != 0) std::abort();
  char name[kPjlTokenBytes];
  char value[kPjlTokenBytes];
  for (const char* p = text.data(); *p;) {
    const int used = ParseCommandLine(p, name, value);
    if (used <= 0) std::abort();
    p += used;
  }
}

void TakeChange(ExclusiveHandle* handle) {
  int32_t length = 0;
  ExcGetCommandChange(handle, 0, nullptr, &length);
  if (length <= 0) return;
  std::vector<char> text(static_cast<size_t>(length));
  if (ExcGetCommandChange(handle, length, text.data(), &length) != 0) std::abort();
  CheckLines(text, length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 64 * 1024) return 0;
  ExclusiveHandle* handle = Handle();
  const uint8_t flags = data[0];
  // Pieces, each copied into a block of its own so that a read past its NUL is caught.
  std::vector<std::string> pieces;
  std::string current;
  for (size_t i = 1; i < size; ++i) {
    if (data[i] == 0) {
      pieces.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  pieces.push_back(current);

  int32_t length = 0;
  const int base = ExcSetCommandBase(handle, pieces[0].c_str(), &length);
  if (base < -2 || base > 1) std::abort();
  TakeChange(handle);
  for (size_t i = 1; i < pieces.size() && i < 16; ++i) {
    const int update = ExcUpdateCommand(handle, pieces[i].c_str(), &length);
    if (update < -1 || update > 1) std::abort();
    TakeChange(handle);
    std::vector<char> values(4096);
    const int listed = ExcGetCommandValue(handle, pieces[i].c_str(), flags & 1, 4096, values.data(), &length);
    if (listed == 0 && length > 0 && (values[static_cast<size_t>(length) - 1] != 0)) std::abort();
    ExcGetPrinterOption(handle, pieces[i].c_str(), 4096, values.data(), &length);
    ExcGetPrinterValue(handle, pieces[i].c_str(), 4096, values.data(), &length);
  }
  if (flags & 2) {
    std::vector<char> marks(1 << 16);
    ExcGetWaterMarkList(handle, flags & 4 ? 1 : 0, static_cast<int32_t>(marks.size()), marks.data(), &length);
  }
  return 0;
}
