// Glyph download and glyph bitmaps: glyph images of the engine sent once per page into the
// device's glyph cache and placed by position records, or sent with every string, and the
// run-length coder of their bitmaps.
#include "gr_glyph_download.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "byte_order.h"
#include "gr_path.h"
#include "gr_pdev.h"
#include "gr_records.h"
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

// ---- outlines -------------------------------------------------------------------------------

int GrGlyphOutline(PhysicalDevice* pdev, PATHOBJ* ppo, const RECTFX& bounds, GlyphOutline* out) {
  *out = GlyphOutline{};
  const uint32_t capacity = GrOutlineBufferSize(ppo);
  if (!capacity) return 0;
  BYTE* buffer = static_cast<BYTE*>(GrHeapAlloc(pdev->heap, capacity));
  if (!buffer) {
    GrGlyphCacheClear(pdev);
    buffer = static_cast<BYTE*>(GrHeapAlloc(pdev->heap, capacity));
    if (!buffer) return 0;
  }
  int closed = 0;
  const uint32_t length = GrBuildOutlinePath(pdev, ppo, &closed, buffer, capacity, -bounds.xLeft, -bounds.yTop);
  if (!length) {
    GrHeapFree(pdev->heap, buffer);
    return 0;
  }
  *out = GlyphOutline{buffer, length};
  return 1;
}

void GrFreeGlyphOutline(PhysicalDevice* pdev, GlyphOutline* outline) {
  if (outline->data) GrHeapFree(pdev->heap, outline->data);
  *outline = GlyphOutline{};
}

void GrOutlinePlacement(const RECTL& rect, uint32_t pathLength, BYTE out[24]) {
  WriteLe32(out, 3);
  WriteLe32(out + 4, pathLength);
  WriteLe32(out + 8, static_cast<uint32_t>(rect.left));
  WriteLe32(out + 12, static_cast<uint32_t>(rect.top));
  WriteLe32(out + 16, static_cast<uint32_t>(rect.right - rect.left));
  WriteLe32(out + 20, static_cast<uint32_t>(rect.bottom - rect.top));
}

// ---- glyph records --------------------------------------------------------------------------

namespace {

// Position records carry at most this many glyphs; longer strings go in several.
constexpr ULONG kPositionGlyphs = 0x4000;

BYTE KindFlags(const TextFontInfo& info) {
  return info.orientation == kOrientationIndices ? kGlyphIndices : kGlyphCharacters;
}

// The engine's bitmap of a glyph, or null.
const GLYPHBITS* BitsOf(FONTOBJ* pfo, HGLYPH hg) {
  GLYPHDATA* gd = nullptr;
  if (FONTOBJ_cGetGlyphs(pfo, FO_GLYPHBITS, 1, &hg, reinterpret_cast<PVOID*>(&gd)) != 1 || !gd) return nullptr;
  const GLYPHBITS* gb = gd->gdf.pgb;
  return gb && gb->sizlBitmap.cx >= 0 && gb->sizlBitmap.cy >= 0 ? gb : nullptr;
}

// The cell of a glyph's bitmap at its position.
RecRect Cell(POINTL at, const GLYPHBITS* gb) {
  const LONG x = at.x + gb->ptlOrigin.x, y = at.y + gb->ptlOrigin.y;
  return RecRect{x, y, x + gb->sizlBitmap.cx, y + gb->sizlBitmap.cy};
}

RecGlyphBitmapInfo InfoOf(POINTL at, const GLYPHBITS* gb, WCHAR c, const PackedGlyph* packed) {
  return RecGlyphBitmapInfo{static_cast<uint32_t>(at.x + gb->ptlOrigin.x),
                            static_cast<uint32_t>(at.y + gb->ptlOrigin.y),
                            static_cast<uint32_t>(gb->sizlBitmap.cx),
                            static_cast<uint32_t>(gb->sizlBitmap.cy),
                            packed ? packed->length : 0,
                            c,
                            packed ? packed->compression : BYTE{kGlyphRaw}};
}

struct Held {
  uint32_t bucket;
  bool held;
};
Held Lookup(PhysicalDevice* pdev, const TextFontInfo& info, WCHAR c) {
  const uint16_t gen = pdev->glyphGeneration;
  const uint32_t bucket = GrGlyphKey(info.fontId, gen, c);
  return Held{bucket, GrGlyphCacheFind(pdev, bucket, info.fontId, gen, c, info.orientation) != 0};
}

// Adds a glyph the device now holds; a table that cannot take it is emptied. 1/0.
int Remember(PhysicalDevice* pdev, const TextFontInfo& info, WCHAR c) {
  const uint16_t gen = pdev->glyphGeneration;
  if (GrGlyphCacheAdd(pdev, GrGlyphKey(info.fontId, gen, c), info.fontId, gen, c, info.orientation)) return 1;
  GrGlyphCacheClear(pdev);
  return 0;
}

}  // namespace

int GrDownloadGlyphs(PhysicalDevice* pdev, FONTOBJ* pfo, STROBJ* pstro, LONG ascent, const TextFontInfo& info,
                     BYTE mode) {
  BYTE flags = KindFlags(info);
  bool failed = false;
  GlyphWalk walk(pstro);
  while (walk.Next()) {
    flags |= kGlyphHasBitmap;
    if (pdev->scaledOrNup || pdev->sendDevmode) flags |= kGlyphHasOutline;
    flags &= static_cast<BYTE>(~kGlyphHeld);
    const WCHAR c = walk.Character();
    bool held = false;
    if (mode != 'W') {
      held = Lookup(pdev, info, c).held;
      if (held && mode == 'T') continue;  // placed by the positions record
    }
    HGLYPH hg = walk.Glyph().hg;
    const GLYPHBITS* gb = BitsOf(pfo, hg);
    if (!gb) continue;
    const POINTL at = walk.Position();
    PackedGlyph packed{};
    GlyphOutline outline{};
    BYTE placement[24] = {};
    if (!held) {
      if ((flags & kGlyphHasBitmap) && !GrPackGlyphBitmap(pdev, gb, &packed)) flags &= ~kGlyphHasBitmap;
      if (flags & kGlyphHasOutline) {
        GLYPHDATA* pd = nullptr;
        RECTFX b{};
        bool built = false;
        if (FONTOBJ_cGetGlyphs(pfo, FO_PATHOBJ, 1, &hg, reinterpret_cast<PVOID*>(&pd)) == 1 && pd && pd->gdf.ppo) {
          PATHOBJ_vGetBounds(pd->gdf.ppo, &b);
          built = GrGlyphOutline(pdev, pd->gdf.ppo, b, &outline) != 0;
        }
        if (built) {
          const RECTL rect{at.x + (b.xLeft >> 4), at.y + (b.yTop >> 4), at.x + (b.xRight >> 4), at.y + (b.yBottom >> 4)};
          GrOutlinePlacement(rect, outline.length, placement);
        } else {
          flags &= ~kGlyphHasOutline;
        }
      }
      if (!(flags & (kGlyphHasBitmap | kGlyphHasOutline))) continue;
    } else {
      flags = static_cast<BYTE>((flags & ~(kGlyphHasBitmap | kGlyphHasOutline)) | kGlyphHeld);
    }
    const bool withBitmap = flags & kGlyphHasBitmap, withOutline = flags & kGlyphHasOutline;
    const POINTL top = GrCellTop(at.x, at.y, ascent, info.escapement);
    BYTE* r = GrRecGlyphDownload(pdev, mode, Cell(at, gb), static_cast<uint32_t>(top.x), static_cast<uint32_t>(top.y),
                                 InfoOf(at, gb, c, withBitmap ? &packed : nullptr), withOutline ? outline.data : nullptr,
                                 outline.length, withOutline ? placement : nullptr, sizeof placement,
                                 withBitmap ? packed.data : nullptr);
    if (r) r[2] = flags;
    GrFreePackedGlyph(pdev, &packed);
    GrFreeGlyphOutline(pdev, &outline);
    // A glyph whose record was dropped is not held by the device.
    if (mode != 'W' && !held && r && !Remember(pdev, info, c) && mode == 'T') failed = true;
  }
  return failed ? 0 : 1;
}

int GrEmitGlyphPositions(PhysicalDevice* pdev, FONTOBJ* pfo, STROBJ* pstro, const TextFontInfo& info) {
  const size_t count = pstro->cGlyphs;
  struct Entry {
    BYTE bytes[6];
  };
  auto* entries = static_cast<Entry*>(GrHeapAlloc(pdev->heap, std::max<size_t>(count, 1) * sizeof(Entry)));
  auto* starts = static_cast<POINTL*>(GrHeapAlloc(pdev->heap, (count / kPositionGlyphs + 1) * sizeof(POINTL)));
  if (!entries || !starts) {
    if (entries) GrHeapFree(pdev->heap, entries);
    if (starts) GrHeapFree(pdev->heap, starts);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  const RECTL& bk = pstro->rclBkGround;
  POINTL previous{bk.left, bk.top};
  ULONG n = 0;
  GlyphWalk walk(pstro);
  while (walk.Next()) {
    // Each record starts where its first glyph is placed relative to.
    if (n % kPositionGlyphs == 0) starts[n / kPositionGlyphs] = previous;
    LONG dx = 0, dy = 0;
    if (const GLYPHBITS* gb = BitsOf(pfo, walk.Glyph().hg)) {
      const POINTL at = walk.Position();
      const POINTL point{at.x + gb->ptlOrigin.x, at.y + gb->ptlOrigin.y};
      if (n == 0) {
        starts[0] = point;
      } else {
        dx = point.x - previous.x;
        dy = point.y - previous.y;
      }
      previous = point;
    }
    WriteLe16(entries[n].bytes, static_cast<uint16_t>(dx));
    WriteLe16(entries[n].bytes + 2, static_cast<uint16_t>(dy));
    WriteLe16(entries[n].bytes + 4, walk.Character());
    ++n;
  }
  int ok = 1;
  const RecRect bounds{bk.left, bk.top, bk.right, bk.bottom};
  for (ULONG first = 0; ok && (first < n || first == 0); first += kPositionGlyphs) {
    const ULONG part = std::min<ULONG>(kPositionGlyphs, n - first);
    const POINTL& start = starts[first / kPositionGlyphs];
    ok = GrRecGlyphPositions(pdev, KindFlags(info), bounds, static_cast<uint32_t>(start.x),
                             static_cast<uint32_t>(start.y), entries + first, static_cast<uint16_t>(part)) != nullptr;
    if (n == 0) break;
  }
  GrHeapFree(pdev->heap, starts);
  GrHeapFree(pdev->heap, entries);
  return ok;
}

int GrEmitGlyphBitmaps(PhysicalDevice* pdev, FONTOBJ* pfo, STROBJ* pstro, LONG ascent, const TextFontInfo& info,
                       bool cacheable) {
  const BYTE kind = KindFlags(info);
  GlyphWalk walk(pstro);
  while (walk.Next()) {
    const GLYPHBITS* gb = BitsOf(pfo, walk.Glyph().hg);
    if (!gb) continue;
    const WCHAR c = walk.Character();
    const POINTL at = walk.Position();
    const POINTL top = GrCellTop(at.x, at.y, ascent, info.escapement);
    if (cacheable && Lookup(pdev, info, c).held) {
      GrRecGlyphDownload2(pdev, kRecGlyphDownload, kind | kGlyphHeld, Cell(at, gb), static_cast<uint32_t>(top.x),
                          static_cast<uint32_t>(top.y), InfoOf(at, gb, c, nullptr), nullptr);
      continue;
    }
    PackedGlyph packed{};
    if (!GrPackGlyphBitmap(pdev, gb, &packed)) return 0;
    const BYTE* r = GrRecGlyphDownload2(pdev, cacheable ? kRecGlyphDownload : kRecGlyphDownload2,
                                        kind | kGlyphHasBitmap, Cell(at, gb), static_cast<uint32_t>(top.x),
                                        static_cast<uint32_t>(top.y), InfoOf(at, gb, c, &packed), packed.data);
    GrFreePackedGlyph(pdev, &packed);
    if (cacheable && r) Remember(pdev, info, c);
  }
  return 1;
}

int GrDownloadGlyphBitmaps(PhysicalDevice* pdev, FONTOBJ* pfo, STROBJ* pstro, const TextFontInfo& info) {
  const BYTE kind = KindFlags(info);
  GlyphWalk walk(pstro);
  while (walk.Next()) {
    const WCHAR c = walk.Character();
    if (Lookup(pdev, info, c).held) continue;
    const GLYPHBITS* gb = BitsOf(pfo, walk.Glyph().hg);
    if (!gb) continue;
    PackedGlyph packed{};
    if (!GrPackGlyphBitmap(pdev, gb, &packed)) return 0;
    const RecGlyphBitmapInfo bitmap = InfoOf(POINTL{0, 0}, gb, c, &packed);
    const int written = GrRecGlyphBitmap(pdev, kind, bitmap, packed.data);
    GrFreePackedGlyph(pdev, &packed);
    if (written && !Remember(pdev, info, c)) return 0;
  }
  return 1;
}

int GrDownloadAndPlace(PhysicalDevice* pdev, FONTOBJ* pfo, STROBJ* pstro, LONG ascent, const TextFontInfo& info) {
  if (!GrDownloadGlyphBitmaps(pdev, pfo, pstro, info)) {
    GrGlyphCacheClear(pdev);
    return GrEmitGlyphBitmaps(pdev, pfo, pstro, ascent, info, false);
  }
  return GrEmitGlyphPositions(pdev, pfo, pstro, info);
}

// ---- the forms ------------------------------------------------------------------------------

namespace {

bool WideNameIs(const BYTE* name, const char16_t* text) {
  return std::u16string_view(reinterpret_cast<const char16_t*>(name)) == text;
}

}  // namespace

int GrTextDownloadMode(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo, const XFORML& m, TextEm em,
                       TextFontInfo* info, LONG ascent) {
  const IFIMETRICS* ifi = FONTOBJ_pifi(pfo);
  auto* kept = reinterpret_cast<TextFontInfo*>(pdev->lastFontRecord);
  const BYTE orientation = (pstro->flAccel & SO_GLYPHINDEX_TEXTOUT) ? kOrientationIndices : kOrientationChars;
  if (GrFontCacheHolds(pdev, pfo->iUniq, orientation)) {
    std::memcpy(info, kept, sizeof *info);
  } else {
    GrFillTextFont(pdev, pstro, pfo, ifi, m, em, info);
    info->downloadForm = 1;
    GrTextFontNames(info, ifi, true);
    info->flags = (pdev->scaledOrNup || pdev->sendDevmode) ? 3 : 2;
    info->eudc = WideNameIs(info->familyName, u"EUDC") || WideNameIs(info->faceName, u"EUDC") || GrMirrored(m);
    if (!GrWriteFontDefinition(pdev, *info, GrFontFlags(*info, kFormDownload), true)) {
      GrFontCacheForget(pdev);
      return 0;
    }
    std::memcpy(kept, info, sizeof *info);
  }
  if (info->eudc) return GrDownloadGlyphs(pdev, pfo, pstro, ascent, *info, 'W');
  if (info->escapement != 0 || (pstro->flAccel & SO_VERTICAL))
    return GrDownloadGlyphs(pdev, pfo, pstro, ascent, *info, 'S');
  if (GrDownloadGlyphs(pdev, pfo, pstro, ascent, *info, 'T')) return GrEmitGlyphPositions(pdev, pfo, pstro, *info);
  return GrDownloadGlyphs(pdev, pfo, pstro, ascent, *info, 'S');
}

int GrBitmapTextMode(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo, const XFORML& m, TextEm, TextFontInfo* info,
                     LONG ascent) {
  const bool eudc = std::strcmp(reinterpret_cast<const char*>(info->familyName), "EUDC") == 0 ||
                    std::strcmp(reinterpret_cast<const char*>(info->faceName), "EUDC") == 0;
  const bool mirrored = GrMirrored(m);
  if (!eudc && !mirrored && info->escapement == 0 && !(pstro->flAccel & SO_VERTICAL))
    return GrDownloadAndPlace(pdev, pfo, pstro, ascent, *info);
  return GrEmitGlyphBitmaps(pdev, pfo, pstro, ascent, *info, !eudc && !mirrored);
}
