// The drawing records of the data blocks.
#include "gr_records.h"

#include <algorithm>
#include <cstring>

#include "byte_order.h"
#include "gr_color_transform.h"
#include "gr_output.h"
#include "gr_pdev.h"

namespace {

constexpr uint32_t Down4(uint32_t n) { return n & ~3u; }

// A zero-filled record of size bytes with its opcode.
BYTE* Take(PhysicalDevice* pdev, uint32_t size, BYTE opcode) {
  BYTE* r = GrAllocRecord(&pdev->output, size);
  if (!r) return nullptr;
  std::memset(r, 0, size);
  r[0] = opcode;
  return r;
}

void PutRect(BYTE* p, const RecRect& r) {
  WriteLe32(p, static_cast<uint32_t>(r.left));
  WriteLe32(p + 4, static_cast<uint32_t>(r.top));
  WriteLe32(p + 8, static_cast<uint32_t>(r.right));
  WriteLe32(p + 12, static_cast<uint32_t>(r.bottom));
}

void PutColour(BYTE* p, ULONG c) {
  p[0] = static_cast<BYTE>(c);
  p[1] = static_cast<BYTE>(c >> 8);
  p[2] = static_cast<BYTE>(c >> 16);
}

// 16-bit units up to the first zero unit.
uint32_t NameUnits(const void* name) {
  if (!name) return 0;
  const auto* p = static_cast<const BYTE*>(name);
  uint32_t n = 0;
  while (p[2 * n] != 0 || p[2 * n + 1] != 0) ++n;
  return n;
}

void PutFontFields(BYTE* r, const RecFontFields& f, uint32_t size) {
  WriteLe16(r + 4, f.fontFlags);
  WriteLe16(r + 6, f.weight);
  WriteLe16(r + 8, f.escapement);
  WriteLe16(r + 10, f.emWidth);
  WriteLe16(r + 12, f.emHeight);
  WriteLe16(r + 14, static_cast<uint16_t>(size));
  WriteLe16(r + 20, f.internalLeading);
  WriteLe16(r + 22, f.defaultChar);
}

void PutGlyphInfo(BYTE* r, const RecGlyphBitmapInfo& info) {
  WriteLe32(r + 36, info.originX);
  WriteLe32(r + 40, info.originY);
  WriteLe32(r + 44, info.width);
  WriteLe32(r + 48, info.height);
  WriteLe32(r + 52, info.dataLength);
  WriteLe16(r + 60, info.character);
  r[62] = info.compression;
}

// Records 80 and 86: the same fields, the character set and pitch one byte further in the
// select record, and the name after 24 or 32 bytes.
BYTE* FontRecord(PhysicalDevice* pdev, BYTE opcode, const RecFontFields& font, const void* name, uint32_t nameAt) {
  const uint32_t units = NameUnits(name);
  if (units > 0x7FF0) return nullptr;
  const uint32_t size = Down4(2 * units + nameAt + 4);
  BYTE* r = Take(pdev, size, opcode);
  if (!r) return nullptr;
  const uint32_t at = opcode == kRecFontSelect ? 2 : 1;
  r[at] = font.charset;
  r[at + 1] = font.pitchAndFamily;
  PutFontFields(r, font, size);
  if (units) std::memcpy(r + nameAt, name, 2 * units);
  return r;
}

BYTE* Small(PhysicalDevice* pdev, BYTE opcode, BYTE value) {
  BYTE* r = Take(pdev, 4, opcode);
  if (r) r[1] = value;
  return r;
}

}  // namespace

// ---- clipping -----------------------------------------------------------------------------

BYTE* GrRecClip(PhysicalDevice* pdev, uint8_t kind, const RecRect& first, const RecRect& second) {
  const bool one = kind == 5 || kind == 6;
  const uint32_t size = one ? 24 : 40;
  BYTE* r = Take(pdev, size, kRecClip);
  if (!r) return nullptr;
  r[2] = kind;
  WriteLe32(r + 4, size);
  PutRect(r + 8, first);
  if (!one) PutRect(r + 24, second);
  return r;
}

BYTE* GrEmitClipRect(PhysicalDevice* pdev, const RecRect& rect) { return GrRecClip(pdev, kClipKindRect, rect, rect); }

int GrRecClipRects(PhysicalDevice* pdev, uint8_t form, const RecRect& bounds, const void* entries, uint32_t length) {
  if (length == 0) return 1;
  const uint32_t size = Down4(length + 27);
  BYTE* r = Take(pdev, size, kRecClipSpans);
  if (!r) return 0;
  r[2] = form;
  WriteLe32(r + 4, size);
  PutRect(r + 8, bounds);
  std::memcpy(r + 24, entries, length);
  return 1;
}

BYTE* GrRecClipReset(PhysicalDevice* pdev) { return Small(pdev, kRecClipReset, 0); }

// ---- paths --------------------------------------------------------------------------------

BYTE* GrReservePathRecord(PhysicalDevice* pdev, uint32_t segments) {
  if (segments > (0xFFFFFFFFu - 40) / 40) return nullptr;
  return GrAllocRecord(&pdev->output, 40 * segments + 40);
}

BYTE* GrRecPath(PhysicalDevice* pdev, uint8_t mode, const RecRect& boundsFix, const RecSubpath* subpaths,
                uint32_t count) {
  uint32_t segments = 0, lines = 0, curves = 0;
  bool closed = false;
  for (uint32_t i = 0; i < count; ++i) {
    segments += subpaths[i].count;
    for (uint32_t s = 0; s < subpaths[i].count; ++s) (subpaths[i].segments[s].curve ? curves : lines) += 1;
    closed = closed || subpaths[i].closed;
  }
  // The customary reservation is 40 bytes per segment plus 40; figures without segments may
  // need more than that, so the record's exact size is the least taken.
  const uint64_t exact = 28 + 12ull * count + 12ull * lines + 28ull * curves;
  const uint64_t customary = 40ull * segments + 40;
  if (std::max(exact, customary) > 0xFFFFFF00u) return nullptr;
  BYTE* r = exact > customary ? GrAllocRecord(&pdev->output, static_cast<uint32_t>(exact))
                              : GrReservePathRecord(pdev, segments);
  if (!r) return nullptr;
  r[0] = curves ? kRecPathCurves : kRecPathLines;
  r[1] = 0;
  r[2] = static_cast<BYTE>((mode & 0x7) | (closed ? 0x8 : 0) | (count > 1 ? 0x10 : 0));
  r[3] = 0;
  const RecRect bounds{boundsFix.left >> 4, boundsFix.top >> 4, boundsFix.right >> 4, boundsFix.bottom >> 4};
  PutRect(r + 8, bounds);
  const uint32_t weight = 3 * lines + 7 * curves + 3 * (count ? count - 1 : 0) + 3 + (count > 1 ? 1 : 0);
  WriteLe32(r + 24, weight);
  BYTE* p = r + 28;
  for (uint32_t i = 0; i < count; ++i) {
    const RecSubpath& sp = subpaths[i];
    WriteLe32(p, sp.count);
    WriteLe32(p + 4, static_cast<uint32_t>(sp.start.x));
    WriteLe32(p + 8, static_cast<uint32_t>(sp.start.y));
    p += 12;
    for (uint32_t s = 0; s < sp.count; ++s) {
      const RecPathSegment& seg = sp.segments[s];
      const int points = seg.curve ? 3 : 1;
      WriteLe32(p, seg.curve ? 1 : 0);
      p += 4;
      for (int k = 0; k < points; ++k) {
        WriteLe32(p, static_cast<uint32_t>(seg.points[k].x));
        WriteLe32(p + 4, static_cast<uint32_t>(seg.points[k].y));
        p += 8;
      }
    }
  }
  WriteLe32(r + 4, static_cast<uint32_t>(p - r));
  GrAlignRecordEnd(&pdev->output, p);
  return r;
}

// ---- images -------------------------------------------------------------------------------

uint32_t GrImageBitsPerPixel(uint32_t pixelCode) {
  switch (pixelCode) {
    case 0: return 1;
    case 1: return 4;
    case 2: return 8;
    case 4: return 24;
    default: return 0;
  }
}

int GrRecImage(PhysicalDevice* pdev, const RecImage& image) {
  const uint32_t code = image.formatWord & 0xF;
  const uint32_t bpp = GrImageBitsPerPixel(code);
  if (bpp == 0 || image.sourceWidth == 0 || image.sourceWidth > 0x7FFFFFFF / 32) return 0;
  const bool plain24 = image.formatWord == 4 && pdev->printMethod != 5 && pdev->printMethod != 7 && !pdev->apiUse &&
                       !pdev->sendDevmode;
  const bool grey = plain24 && (pdev->machineTypeColour == 0 || pdev->colourMode == 1);
  uint32_t paletteCount = 0;
  if (image.palette && !grey) paletteCount = bpp == 1 ? 2 : bpp == 4 ? 16 : bpp == 8 ? 256 : 0;
  const uint32_t sourceRowBytes = (image.sourceWidth * bpp + 31) / 32 * 4;
  const uint32_t outBpp = grey ? 8 : bpp;
  const uint32_t rowBytes = (image.sourceWidth * outBpp + 31) / 32 * 4;
  const uint32_t headerBytes = Down4(paletteCount * 3 + 59);
  const uint64_t rowsBytes = uint64_t{rowBytes} * image.rows;
  if (rowsBytes + headerBytes > 0xFFFFFFF0u) return 0;
  const uint32_t size = headerBytes + static_cast<uint32_t>(rowsBytes);
  const bool sliced = plain24 && rowsBytes > 0xFFFFF;

  BYTE* r = GrAllocRecord(&pdev->output, sliced ? headerBytes : size);
  if (!r) return 0;
  std::memset(r, 0, headerBytes);
  r[0] = kRecImage;
  r[1] = static_cast<BYTE>(image.formatWord >> 16);
  BYTE format = static_cast<BYTE>(code | (image.formatWord & 0xC0) | (paletteCount ? 0 : 0x20));
  if (grey) format = static_cast<BYTE>((format & 0xE0) | 0x12);
  r[2] = format;
  r[3] = static_cast<BYTE>(((image.formatWord >> 8) & 0xFF) | (pdev->rasterMode ? 0x4 : 0) | (image.hostMatched ? 0x8 : 0));
  WriteLe32(r + 4, size);
  PutRect(r + 8, RecRect{image.x, image.y, image.x + image.width, image.y + image.height});
  WriteLe32(r + 24, image.values[0]);
  WriteLe32(r + 28, image.values[1]);
  WriteLe32(r + 32, image.sourceWidth);
  WriteLe32(r + 36, image.rows);
  WriteLe32(r + 40, static_cast<uint32_t>(image.x));
  WriteLe32(r + 44, static_cast<uint32_t>(image.y));
  WriteLe32(r + 48, static_cast<uint32_t>(image.width));
  WriteLe32(r + 52, static_cast<uint32_t>(image.height));
  for (uint32_t i = 0; i < paletteCount; ++i) PutColour(r + 56 + 3 * i, image.palette[i]);

  // Colours not matched by the caller are matched here: the palette, and 24-bit rows block by
  // block as they are written (a sliced record is marked before its first slice leaves).
  const bool match = !grey && !image.hostMatched && !(image.formatWord & 0x800) && GrHostMatchingImages(pdev) &&
                     GrTransformOf(pdev, kIcmObjectImage);
  const bool matchRows = match && bpp == 24;
  bool matched = match;
  if (match && paletteCount)
    matched = GrTranslateColors(pdev, r + 56, BM_RGBTRIPLETS, paletteCount, 1, nullptr, kIcmObjectImage) != 0;
  if (sliced && matchRows) r[3] |= 0x8;
  BYTE* block = r + headerBytes;
  uint32_t blockRows = 0;
  auto matchBlock = [&]() {
    if (matchRows && blockRows && !GrTranslateColors(pdev, block, BM_RGBTRIPLETS, image.sourceWidth, blockRows,
                                                     nullptr, kIcmObjectImage))
      matched = false;
    blockRows = 0;
  };

  BYTE* rows = r + headerBytes;
  const uint32_t sliceRows = sliced ? std::max<uint32_t>(1, 0x100000 / rowBytes) : image.rows;
  for (uint32_t y = 0; y < image.rows; ++y) {
    if (sliced && y % sliceRows == 0) {
      matchBlock();
      const uint32_t n = std::min(sliceRows, image.rows - y);
      rows = GrAllocRecord(&pdev->output, n * rowBytes);
      if (!rows) return 0;
      block = rows;
    }
    blockRows += 1;
    const BYTE* src = image.firstRow + static_cast<ptrdiff_t>(y) * image.rowStride;
    if (grey) {
      uint32_t x = 0;
      for (; x < image.sourceWidth; ++x) {
        const BYTE* px = src + 3 * x;
        rows[x] = static_cast<BYTE>((px[2] * 306 + px[1] * 601 + px[0] * 117) >> 10);
      }
      std::memset(rows + x, 0, rowBytes - x);
    } else {
      std::memcpy(rows, src, std::min(rowBytes, sourceRowBytes));
    }
    rows += rowBytes;
  }
  matchBlock();
  if (!sliced && match && matched) r[3] |= 0x8;
  // The row counts of a slice are whole rows, so the last slice ends the record exactly.
  return 1;
}

// ---- state --------------------------------------------------------------------------------

BYTE* GrRecColour(PhysicalDevice* pdev, uint8_t flags, ULONG first, const ULONG* second, const ULONG* additional) {
  const uint32_t count = 1 + (second ? 1 : 0) + (additional ? 1 : 0);
  const uint32_t size = Down4(3 * count + 7);
  BYTE* r = Take(pdev, size, kRecColour);
  if (!r) return nullptr;
  r[1] = static_cast<BYTE>(size);
  r[2] = static_cast<BYTE>(0x1 | (flags & (kColourMode2 | kColourMatched)) | (second ? kColourSecond : 0) |
                           (additional ? kColourAdditional : 0));
  BYTE* p = r + 4;
  PutColour(p, first);
  p += 3;
  if (second) PutColour(p, *second), p += 3;
  if (additional) PutColour(p, *additional);
  // Colours not yet matched are matched here through the host's transform.
  if (!(flags & kColourMatched) && GrHostMatching(pdev) &&
      GrTranslateColors(pdev, r + 4, BM_BGRTRIPLETS, count, 1, nullptr,
                        (flags & kColourMode2) ? kIcmObjectText : kIcmObjectLine))
    r[2] |= kColourMatched;
  return r;
}

BYTE* GrRecRop3(PhysicalDevice* pdev, BYTE rop3) { return Small(pdev, kRecRop3, rop3 == 0xF0 ? 0xCC : rop3); }

BYTE* GrRecMix(PhysicalDevice* pdev, BYTE mix) { return Small(pdev, kRecMix, mix); }

BYTE* GrRecLineWidth(PhysicalDevice* pdev, uint32_t dashScale, uint32_t width, uint32_t pattern) {
  BYTE* r = Take(pdev, 8, kRecLineWidth);
  if (!r) return nullptr;
  r[1] = static_cast<BYTE>(std::clamp<uint32_t>(dashScale, 1, 0xFF));
  WriteLe16(r + 2, static_cast<uint16_t>(std::clamp<uint32_t>(width, 1, 0xFFFF)));
  WriteLe32(r + 4, pattern);
  return r;
}

BYTE* GrRecDashPhase(PhysicalDevice* pdev, uint32_t bit) { return Small(pdev, kRecDashPhase, static_cast<BYTE>(bit & 31)); }

BYTE* GrRecLineEnd(PhysicalDevice* pdev, BYTE cap) { return Small(pdev, kRecLineEnd, cap); }

BYTE* GrRecLineJoin(PhysicalDevice* pdev, BYTE join, const float* mitreLimit) {
  BYTE* r = Take(pdev, 8, kRecLineJoin);
  if (!r) return nullptr;
  r[1] = join;
  uint32_t limit = 2560;
  if (mitreLimit) {
    const float scaled = *mitreLimit * 256.0f;
    limit = scaled >= 0.0f && scaled < 4294967040.0f ? static_cast<uint32_t>(scaled) : 2560;
  }
  WriteLe32(r + 4, limit);
  return r;
}

BYTE* GrRecBrush(PhysicalDevice* pdev, uint8_t flags, const BYTE* pattern) {
  const uint32_t length = !pattern ? 0 : (flags & kBrushColour24) ? 32 * 32 * 3 : 32 * 32 / 8;
  const uint32_t size = Down4(length + 9);
  BYTE* r = Take(pdev, size, kRecBrush);
  if (!r) return nullptr;
  r[1] = static_cast<BYTE>((flags & (kBrushColour24 | kBrushMatched)) | (pattern ? kBrushPattern : 0));
  r[2] = pattern ? kBrushPatternPixels : 0;
  r[3] = 1;
  WriteLe16(r + 4, static_cast<uint16_t>(length));
  if (!pattern) return r;
  // A colour pattern not yet matched goes through the host's transform straight into the
  // record; otherwise it is copied as it is.
  if ((flags & kBrushColour24) && !(flags & kBrushMatched) && GrHostMatching(pdev) &&
      GrTranslateColors(pdev, const_cast<BYTE*>(pattern), BM_RGBTRIPLETS, kBrushPatternPixels, kBrushPatternPixels,
                        r + 6, kIcmObjectLine)) {
    r[1] |= kBrushMatched;
    return r;
  }
  std::memcpy(r + 6, pattern, length);
  return r;
}

int GrRecBrushOrigin(PhysicalDevice*, LONG, LONG) { return 1; }

// ---- fonts and text -----------------------------------------------------------------------

BYTE* GrRecFontSelect(PhysicalDevice* pdev, const RecFontFields& font, const void* name) {
  return FontRecord(pdev, kRecFontSelect, font, name, 24);
}

BYTE* GrRecFontDefinition(PhysicalDevice* pdev, const RecFontFields& font, const void* name) {
  return FontRecord(pdev, kRecFontDefinition, font, name, 32);
}

BYTE* GrRecTextRun(PhysicalDevice* pdev, const RecRect& rect, uint32_t v1, uint32_t v2, uint16_t value) {
  return GrRecTextRunData(pdev, rect, v1, v2, value, nullptr, 0);
}

BYTE* GrRecTextRunData(PhysicalDevice* pdev, const RecRect& rect, uint32_t v1, uint32_t v2, uint16_t value,
                       const void* data, uint32_t length) {
  const bool withData = data != nullptr;
  if (length > 0xFFFFFF00u) return nullptr;
  const uint32_t size = withData ? Down4(length + 39) : 36;
  BYTE* r = Take(pdev, size, kRecTextRun);
  if (!r) return nullptr;
  r[2] = withData ? 2 : 0;
  WriteLe32(r + 4, size);
  PutRect(r + 8, rect);
  WriteLe32(r + 24, v1);
  WriteLe32(r + 28, v2);
  WriteLe16(r + 32, value);
  if (withData && length) std::memcpy(r + 36, data, length);
  return r;
}

BYTE* GrRecGlyphRun(PhysicalDevice* pdev, const RecRect& rect, uint32_t v1, uint32_t v2, const int16_t* positions,
                    uint32_t positionCount, const uint16_t* glyphs, uint32_t glyphCount) {
  if (glyphCount > 0xFFFF || positionCount > 0xFFFF) return nullptr;
  const uint32_t size = Down4(2 * positionCount + 2 * glyphCount + 3) + 36;
  BYTE* r = Take(pdev, size, kRecGlyphRun);
  if (!r) return nullptr;
  r[2] = glyphCount == positionCount ? 0x80 : 0;
  WriteLe32(r + 4, size);
  PutRect(r + 8, rect);
  WriteLe32(r + 24, v1);
  WriteLe32(r + 28, v2);
  WriteLe16(r + 32, static_cast<uint16_t>(glyphCount));
  BYTE* p = r + 36;
  for (uint32_t i = 0; i < positionCount; ++i, p += 2) WriteLe16(p, static_cast<uint16_t>(positions[i]));
  for (uint32_t i = 0; i < glyphCount; ++i, p += 2) WriteLe16(p, glyphs[i]);
  return r;
}

BYTE* GrRecGlyphDownload(PhysicalDevice* pdev, BYTE modeLetter, const RecRect& rect, uint32_t v1, uint32_t v2,
                         const RecGlyphBitmapInfo& info, const void* part1, uint32_t length1, const void* part2,
                         uint32_t length2, const void* bitmap) {
  const bool parts = part1 && part2;
  const uint64_t partsBytes = (parts ? uint64_t{length1} + length2 : 0) + (bitmap ? info.dataLength : 0);
  if (partsBytes > 0xFFFFFF00u) return nullptr;
  const uint32_t size = Down4(static_cast<uint32_t>(partsBytes) + 67);
  BYTE* r = Take(pdev, size, kRecGlyphDownload);
  if (!r) return nullptr;
  r[1] = modeLetter;
  r[2] = static_cast<BYTE>((bitmap ? 0x1 : 0) | (parts ? 0x2 : 0));
  WriteLe32(r + 4, size);
  PutRect(r + 8, rect);
  WriteLe32(r + 24, v1);
  WriteLe32(r + 28, v2);
  PutGlyphInfo(r, info);
  BYTE* p = r + 64;
  if (parts) {
    std::memcpy(p, part2, length2);
    p += length2;
    std::memcpy(p, part1, length1);
    p += length1;
  }
  if (bitmap) {
    WriteLe32(r + 32, static_cast<uint32_t>(p - r));
    std::memcpy(p, bitmap, info.dataLength);
  }
  return r;
}

BYTE* GrRecGlyphDownload2(PhysicalDevice* pdev, BYTE opcode, BYTE flags, const RecRect& rect, uint32_t v1,
                          uint32_t v2, const RecGlyphBitmapInfo& info, const void* data) {
  const uint32_t length = data ? info.dataLength : 0;
  if (length > 0xFFFFFF00u) return nullptr;
  const uint32_t size = Down4(length + 67);
  BYTE* r = Take(pdev, size, opcode == kRecGlyphDownload2 ? kRecGlyphDownload2 : kRecGlyphDownload);
  if (!r) return nullptr;
  r[2] = flags;
  WriteLe32(r + 4, size);
  PutRect(r + 8, rect);
  WriteLe32(r + 24, v1);
  WriteLe32(r + 28, v2);
  WriteLe32(r + 32, data ? 64 : 0);
  PutGlyphInfo(r, info);
  WriteLe32(r + 52, length);
  if (length) std::memcpy(r + 64, data, length);
  return r;
}

int GrRecGlyphBitmap(PhysicalDevice* pdev, BYTE flags, const RecGlyphBitmapInfo& info, const void* data) {
  if (!data || info.dataLength == 0) return 1;
  if (info.dataLength > 0xFFFFFF00u) return 0;
  const uint32_t size = Down4(info.dataLength + 31);
  BYTE* r = Take(pdev, size, kRecGlyphBitmap);
  if (!r) return 0;
  r[2] = flags;
  WriteLe32(r + 4, size);
  WriteLe32(r + 8, info.dataLength);
  WriteLe32(r + 12, info.width);
  WriteLe32(r + 16, info.height);
  WriteLe16(r + 24, info.character);
  r[26] = info.compression;
  std::memcpy(r + 28, data, info.dataLength);
  return 1;
}

BYTE* GrRecGlyphPositions(PhysicalDevice* pdev, BYTE value, const RecRect& rect, uint32_t v1, uint32_t v2,
                          const void* entries, uint16_t count) {
  const uint32_t size = Down4(6u * count + 3) + 36;
  BYTE* r = Take(pdev, size, kRecGlyphPositions);
  if (!r) return nullptr;
  r[2] = value;
  WriteLe32(r + 4, size);
  PutRect(r + 8, rect);
  WriteLe32(r + 24, v1);
  WriteLe32(r + 28, v2);
  WriteLe16(r + 32, count);
  if (count) std::memcpy(r + 36, entries, 6u * count);
  return r;
}

// ---- page ---------------------------------------------------------------------------------

BYTE* GrRecPageStart(PhysicalDevice* pdev, uint32_t width, uint32_t height, uint16_t xDpi, uint16_t yDpi) {
  BYTE* r = Take(pdev, 16, kRecPageStart);
  if (!r) return nullptr;
  WriteLe32(r + 4, width);
  WriteLe32(r + 8, height);
  WriteLe16(r + 12, xDpi);
  WriteLe16(r + 14, yDpi);
  return r;
}

BYTE* GrRecPageEnd(PhysicalDevice* pdev) { return Take(pdev, 4, kRecPageEnd); }

BYTE* GrRecComment(PhysicalDevice* pdev, const char* text, uint32_t length) {
  const uint32_t n = std::min<uint32_t>(length, 255);
  const uint32_t size = Down4(n + 7);
  BYTE* r = Take(pdev, size, kRecComment);
  if (!r) return nullptr;
  r[1] = static_cast<BYTE>(n);
  r[2] = static_cast<BYTE>(size);
  if (n) std::memcpy(r + 4, text, n);
  return r;
}
