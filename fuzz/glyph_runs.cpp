// Any bytes as a glyph bitmap for the run-length coder: the coding must stay within the space
// it is given, and the tests' decoder must give the bytes back exactly; an output one byte too
// small must be refused, never overrun.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "glyph_runs.h"
#include "gr_glyph_download.h"

namespace {
void Require(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x20000) return 0;
  const uint32_t n = static_cast<uint32_t>(size);
  const uint32_t cap = n * 2 + 16;
  std::vector<BYTE> out(cap);
  const int32_t length = GrRunCodeGlyph(data, n, out.data(), cap);
  if (length < 0) {
    Require(n > 0x7000);  // only a coding longer than 16 bits of length is refused with this room
    return 0;
  }
  std::string decoded, error;
  Require(zolt::blocks::DecodeGlyphRuns(std::string_view(reinterpret_cast<const char*>(out.data()), size_t(length)),
                                        size, &decoded, &error));
  Require(decoded == std::string_view(reinterpret_cast<const char*>(data), size));
  if (length > 0) {
    // Exactly the room it needs: the same coding; a byte less: refused, nothing written past it.
    std::vector<BYTE> exact(size_t(length) + 1, 0xA5);
    Require(GrRunCodeGlyph(data, n, exact.data(), uint32_t(length)) == length);
    Require(exact[size_t(length)] == 0xA5);
    std::vector<BYTE> tight(size_t(length), 0xA5);
    Require(GrRunCodeGlyph(data, n, tight.data(), uint32_t(length - 1)) == -1);
    Require(tight[size_t(length) - 1] == 0xA5);
  }
  return 0;
}
