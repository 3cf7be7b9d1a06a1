// Any bytes as a device-font metric resource and as a glyph-set resource: the checks must
// refuse what does not hold together without reading outside the bytes, and what they accept
// must be readable as the module reads it (names, simulations, symbol sets, runs and handles).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "byte_order.h"
#include "gr_device_fonts.h"
#include "gr_font_resources.h"

namespace {
void Require(bool condition) {
  if (!condition) std::abort();
}

size_t NameLength(const BYTE* ifi, PTRDIFF at) {
  size_t n = 0;
  while (ifi[at + 2 * n] || ifi[at + 2 * n + 1]) ++n;
  return n;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x100000) return 0;
  // A copy of exactly the input, so that the sanitizer sees every read past it.
  std::vector<BYTE> bytes(data, data + size);
  const uint32_t n = static_cast<uint32_t>(size);
  const uint32_t kind = GrSymbolSetKind(bytes.data(), n);
  Require(kind <= 3);
  if (GrCheckMetricsResource(bytes.data(), n)) {
    const BYTE* ifiBytes = bytes.data() + kFontResMetricsAt;
    IFIMETRICS ifi;
    std::memcpy(&ifi, ifiBytes, sizeof ifi);
    for (PTRDIFF at : {ifi.dpwszFamilyName, ifi.dpwszStyleName, ifi.dpwszFaceName, ifi.dpwszUniqueName})
      Require(size_t(at) + 2 * NameLength(ifiBytes, at) + 2 <= ifi.cjThis);
    if (ifi.dpFontSim) Require(size_t(ifi.dpFontSim) + sizeof(FONTSIM) + 3 * sizeof(FONTDIFF) <= ifi.cjThis);
    Require(kFontResMetricsAt + size_t(ifi.cjThis) <= size);
  }
  if (GrCheckGlyphSetResource(bytes.data(), n)) {
    const uint32_t runs = ReadLe32(bytes.data() + offsetof(FD_GLYPHSET, cRuns));
    size_t at = offsetof(FD_GLYPHSET, awcrun) + size_t{runs} * sizeof(WCRUN);
    uint64_t sum = 0;
    for (uint32_t r = 0; r < runs; ++r)
      sum += ReadLe16(bytes.data() + offsetof(FD_GLYPHSET, awcrun) + r * sizeof(WCRUN) + offsetof(WCRUN, cGlyphs));
    Require(at + sum * sizeof(HGLYPH) <= size);
  }
  return 0;
}
