// Any bytes as a colour profile file: the header check reads only the signature bytes it
// compares and answers exactly whether all twenty of them match.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "fm_modules_1_4.h"
#include "fuzz_machine.h"

namespace {

std::filesystem::path g_file;

bool Expected(const uint8_t* data, size_t size) {
  static constexpr struct {
    size_t offset;
    char bytes[5];
  } kSignatures[] = {{4, "QVMS"}, {12, "prtr"}, {16, "RGB "}, {36, "acsp"}, {48, "ORVX"}};
  for (const auto& s : kSignatures)
    if (size < s.offset + 4 || std::memcmp(data + s.offset, s.bytes, 4) != 0) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_file = zolt::fuzz::MakeFuzzMachine("profile-check") / "drive_c" / "fuzz.icm";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const int want = Expected(data, size) ? 1 : 0;
  if (FmCheckColorProfileHeader(u"C:\\fuzz.icm") != want) std::abort();
  if (FdCheckColorProfileFile(u"C:\\fuzz.icm") != want) std::abort();
  return 0;
}
