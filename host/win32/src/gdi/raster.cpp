// Raster operations on rows of every pixel format, with word-wide paths for one bit per pixel.
#include "gdi/raster.h"

#include <algorithm>
#include <cstring>

namespace zolt::host::gdi {

uint8_t MixToRop3(int mix) {
  const int table = (mix - 1) & 0x0F;  // bit (P << 1 | D) holds the result
  uint8_t rop = 0;
  for (int i = 0; i < 8; ++i) {
    const int p = (i >> 2) & 1, d = i & 1;
    if ((table >> ((p << 1) | d)) & 1) rop = uint8_t(rop | (1 << i));
  }
  return rop;
}

uint32_t Rop3Bits(uint8_t rop, uint32_t p, uint32_t s, uint32_t d) {
  switch (rop) {
    case 0x00: return 0;
    case 0xFF: return 0xFFFFFFFFu;
    case 0xCC: return s;
    case 0xF0: return p;
    case 0xAA: return d;
    case 0x55: return ~d;
    case 0x33: return ~s;
    case 0x0F: return ~p;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x66: return s ^ d;
    case 0x5A: return p ^ d;
    case 0xA0: return p & d;
    case 0xFA: return p | d;
    case 0xC0: return p & s;
    case 0xBB: return ~s | d;
    case 0x44: return s & ~d;
    case 0x11: return ~(s | d);
    default: break;
  }
  uint32_t r = 0;
  for (int i = 0; i < 8; ++i) {
    if (!((rop >> i) & 1)) continue;
    const uint32_t tp = (i & 4) ? p : ~p;
    const uint32_t ts = (i & 2) ? s : ~s;
    const uint32_t td = (i & 1) ? d : ~d;
    r |= tp & ts & td;
  }
  return r;
}

namespace {

// The pattern's pixel at (x, y); false where a transparent background leaves the pixel alone.
inline bool PatternAt(const Paint& paint, int x, int y, DWORD& pv) {
  if (paint.solid) {
    pv = paint.pixel;
    return true;
  }
  const int i = paint.TileIndex(x, y);
  if (paint.transparentBackground && !paint.foreground.empty() && !paint.foreground[size_t(i)]) return false;
  pv = paint.tile[size_t(i)];
  return true;
}

// One bit per pixel: bytes at a time where the pattern is solid.
void Span1(Surface& dst, int y, int x0, int x1, const Paint& paint, const DWORD* src, uint8_t rop) {
  uint8_t* row = dst.Row(y);
  if (paint.solid && !src) {
    const uint32_t p = (paint.pixel & 1) ? 0xFFu : 0u;
    int x = x0;
    while (x < x1) {
      const int byte = x >> 3;
      const int first = x & 7;
      const int last = std::min(8, first + (x1 - x));
      const uint8_t mask = uint8_t((0xFFu >> first) & (0xFFu << (8 - last)));
      if (mask == 0xFF && (rop == 0xF0 || rop == 0x00 || rop == 0xFF)) {
        // Whole bytes of a constant result.
        const int bytes = (x1 - x) >> 3;
        const uint8_t value = uint8_t(Rop3Bits(rop, p, 0, 0));
        std::memset(row + byte, value, size_t(bytes));
        x += bytes * 8;
        continue;
      }
      const uint8_t d = row[byte];
      const uint8_t r = uint8_t(Rop3Bits(rop, p, 0, d));
      row[byte] = uint8_t((d & ~mask) | (r & mask));
      x += last - first;
    }
    return;
  }
  for (int x = x0; x < x1; ++x) {
    DWORD pv;
    if (!PatternAt(paint, x, y, pv)) continue;
    const DWORD s = src ? src[x - x0] : 0;
    const uint8_t bit = uint8_t(0x80 >> (x & 7));
    const DWORD d = (row[x >> 3] & bit) ? 1 : 0;
    if (Rop3Bits(rop, pv, s, d) & 1)
      row[x >> 3] |= bit;
    else
      row[x >> 3] &= uint8_t(~bit);
  }
}

void Span24(Surface& dst, int y, int x0, int x1, const Paint& paint, const DWORD* src, uint8_t rop) {
  uint8_t* p = dst.Row(y) + 3 * x0;
  if (paint.solid && !src && rop == 0xF0) {
    const uint8_t b = uint8_t(paint.pixel), g = uint8_t(paint.pixel >> 8), r = uint8_t(paint.pixel >> 16);
    for (int x = x0; x < x1; ++x, p += 3) {
      p[0] = b;
      p[1] = g;
      p[2] = r;
    }
    return;
  }
  if (src && rop == 0xCC) {
    for (int x = x0; x < x1; ++x, p += 3) {
      const DWORD s = src[x - x0];
      p[0] = uint8_t(s);
      p[1] = uint8_t(s >> 8);
      p[2] = uint8_t(s >> 16);
    }
    return;
  }
  for (int x = x0; x < x1; ++x, p += 3) {
    DWORD pv;
    if (!PatternAt(paint, x, y, pv)) continue;
    const DWORD s = src ? src[x - x0] : 0;
    const DWORD d = DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16);
    const DWORD r = Rop3Bits(rop, pv, s, d);
    p[0] = uint8_t(r);
    p[1] = uint8_t(r >> 8);
    p[2] = uint8_t(r >> 16);
  }
}

void Span32(Surface& dst, int y, int x0, int x1, const Paint& paint, const DWORD* src, uint8_t rop) {
  uint32_t* p = reinterpret_cast<uint32_t*>(dst.Row(y)) + x0;
  if (paint.solid && !src && rop == 0xF0) {
    for (int x = x0; x < x1; ++x) *p++ = paint.pixel;
    return;
  }
  for (int x = x0; x < x1; ++x, ++p) {
    DWORD pv;
    if (!PatternAt(paint, x, y, pv)) continue;
    const DWORD s = src ? src[x - x0] : 0;
    *p = Rop3Bits(rop, pv, s, *p);
  }
}

void SpanAny(Surface& dst, int y, int x0, int x1, const Paint& paint, const DWORD* src, uint8_t rop) {
  const DWORD mask = dst.PixelMask();
  for (int x = x0; x < x1; ++x) {
    DWORD pv;
    if (!PatternAt(paint, x, y, pv)) continue;
    const DWORD s = src ? src[x - x0] : 0;
    const DWORD d = RopUsesDest(rop) ? dst.Get(x, y) : 0;
    dst.Set(x, y, Rop3Bits(rop, pv, s, d) & mask);
  }
}

}  // namespace

void RasterSpan(Surface& dst, int y, int x0, int x1, const Paint& paint, const DWORD* src, uint8_t rop) {
  if (x0 >= x1 || rop == 0xAA) return;
  dst.Touch(x0, y, x1, y + 1);
  if (dst.written) {
    // Pixel by pixel, so that every pixel written is marked and no gap of a pattern is.
    SpanAny(dst, y, x0, x1, paint, src, rop);
    return;
  }
  switch (dst.bpp) {
    case 1: Span1(dst, y, x0, x1, paint, src, rop); break;
    case 24: Span24(dst, y, x0, x1, paint, src, rop); break;
    case 32: Span32(dst, y, x0, x1, paint, src, rop); break;
    default: SpanAny(dst, y, x0, x1, paint, src, rop); break;
  }
}

}  // namespace zolt::host::gdi
