// Glyph download and glyph bitmaps: glyph images of the engine sent once per page into the
// device's glyph cache and placed by position records, or sent with every string, and the
// run-length coder of their bitmaps.
#include "gr_glyph_download.h"

#include <cstring>

#include "gr_pdev.h"
#include "gr_text_out.h"

// ---- the run-length coder -------------------------------------------------------------------

namespace {

// Writes a unit header and its extension bytes; false when the output is full.
bool PutHeader(BYTE* dst, uint32_t cap, uint32_t& out, bool repeat, uint32_t zeros, uint32_t count) {
  const uint32_t zeroField = zeros < 15 ? zeros : 15, countField = count < 7 ? count : 7;
  if (out >= cap) return false;
  dst[out++] = static_cast<BYTE>((repeat ? 0x80 : 0) | (zeroField << 3) | countField);
  auto extension = [&](uint32_t rest) {
    for (; rest >= 255; rest -= 255) {
      if (out >= cap) return false;
      dst[out++] = 0xFF;
    }
    if (out >= cap) return false;
    dst[out++] = static_cast<BYTE>(rest);
    return true;
  };
  if (zeroField == 15 && !extension(zeros - 15)) return false;
  if (countField == 7 && !extension(count - 7)) return false;
  return true;
}

}  // namespace

int32_t GrRunCodeGlyph(const BYTE* src, uint32_t n, BYTE* dst, uint32_t cap) {
  if ((!src && n) || (!dst && cap)) return -1;
  uint32_t at = 0, out = 0;
  for (;;) {
    uint32_t zeros = 0;
    while (at < n && src[at] == 0) ++at, ++zeros;
    if (at >= n) break;
    const BYTE b = src[at];
    uint32_t same = 0;
    while (at + 1 + same < n && src[at + 1 + same] == b) ++same;
    if (same >= 2) {
      if (!PutHeader(dst, cap, out, true, zeros, same - 1)) return -1;
      if (out >= cap) return -1;
      dst[out++] = b;
      at += same + 1;
      continue;
    }
    // A literal: non-zero bytes up to a run worth a repeat unit of its own.
    uint32_t end = at + 1;
    while (end < n && src[end] != 0) {
      const BYTE c = src[end];
      const bool three = end + 2 < n && src[end + 1] == c && src[end + 2] == c;
      if (three && end + 3 < n && (src[end + 3] == c || src[end + 3] == 0)) break;
      ++end;
    }
    const uint32_t length = end - at;
    if (!PutHeader(dst, cap, out, false, zeros, length - 1)) return -1;
    if (length > cap - out) return -1;
    std::memcpy(dst + out, src + at, length);
    out += length;
    at = end;
  }
  // Record fields hold the coded length in 16 bits; a longer coding is refused (and the bitmap
  // goes raw) rather than cut.
  return out > 0xFFFF ? -1 : static_cast<int32_t>(out);
}

uint32_t GrRunCodeGlyphBits(PhysicalDevice*, const BYTE* bits, BYTE* out, uint32_t capacity, uint32_t rows,
                            uint32_t rowBytes) {
  const uint64_t n = uint64_t{rows} * rowBytes;
  if (n > 0xFFFFFFFFu) return 0;
  const int32_t length = GrRunCodeGlyph(bits, static_cast<uint32_t>(n), out, capacity);
  return length < 0 ? 0 : static_cast<uint32_t>(length);
}

int GrPackGlyphBitmap(PhysicalDevice* pdev, const GLYPHBITS* bits, PackedGlyph* out) {
  *out = PackedGlyph{};
  if (!bits || bits->sizlBitmap.cx < 0 || bits->sizlBitmap.cy < 0) return 0;
  const uint32_t rows = static_cast<uint32_t>(bits->sizlBitmap.cy);
  const uint32_t rowBytes = (static_cast<uint32_t>(bits->sizlBitmap.cx) + 7) / 8;
  const uint64_t raw = uint64_t{rows} * rowBytes;
  if (raw > 0x7FFFFFF0u) return 0;
  const uint32_t space = (static_cast<uint32_t>(raw) + 3) & ~3u;
  BYTE* buffer = space ? static_cast<BYTE*>(GrHeapAlloc(pdev->heap, space)) : nullptr;
  if (space && !buffer) {
    GrGlyphCacheClear(pdev);
    buffer = static_cast<BYTE*>(GrHeapAlloc(pdev->heap, space));
    if (!buffer) return 0;
  }
  const uint32_t coded = buffer ? GrRunCodeGlyphBits(pdev, bits->aj, buffer, space, rows, rowBytes) : 0;
  if (coded) {
    std::memset(buffer + coded, 0, ((coded + 3) & ~3u) - coded);
    *out = PackedGlyph{buffer, coded, kGlyphRunLength, buffer};
    return 1;
  }
  if (buffer) GrHeapFree(pdev->heap, buffer);
  *out = PackedGlyph{bits->aj, static_cast<uint32_t>(raw), kGlyphRaw, nullptr};
  return 1;
}

void GrFreePackedGlyph(PhysicalDevice* pdev, PackedGlyph* packed) {
  if (packed->owned) GrHeapFree(pdev->heap, packed->owned);
  *packed = PackedGlyph{};
}
