// The raster: spans of pixels changed by a raster operation of the pattern (P), an optional
// source row (S) and the destination (D).
//
// Every raster operation is a bitwise function of P, S and D: the three-operand code's bit
// number (P << 2 | S << 1 | D) holds the result for those operand bits. A mix of the pen (the
// 16 two-operand codes R2_*) is the three-operand code that ignores S.
#pragma once

#include <cstdint>
#include <vector>

#include "gdi/region.h"
#include "gdi/surface.h"

namespace zolt::host::gdi {

// The pattern of a raster operation: one pixel value, or a tiled image of pixel values with a
// flag per pixel telling foreground from background (hatches and monochrome patterns); with
// transparentBackground the background pixels of the tile are left alone.
struct Paint {
  bool solid = true;
  DWORD pixel = 0;
  int w = 0, h = 0;
  std::vector<DWORD> tile;
  std::vector<uint8_t> foreground;  // empty: every pixel is foreground
  bool transparentBackground = false;
  int originX = 0, originY = 0;     // device position of the tile's top-left pixel

  static Paint Solid(DWORD pixel) {
    Paint p;
    p.pixel = pixel;
    return p;
  }
  int TileIndex(int x, int y) const {
    int tx = (x - originX) % w, ty = (y - originY) % h;
    if (tx < 0) tx += w;
    if (ty < 0) ty += h;
    return ty * w + tx;
  }
};

// Three-operand code of a two-operand mix (R2_BLACK .. R2_WHITE).
uint8_t MixToRop3(int mix);
// Whether a three-operand code reads the source or the pattern.
inline bool RopUsesSource(uint8_t rop) { return ((rop >> 2) & 0x33) != (rop & 0x33); }
inline bool RopUsesPattern(uint8_t rop) { return ((rop >> 4) & 0x0F) != (rop & 0x0F); }
inline bool RopUsesDest(uint8_t rop) { return ((rop >> 1) & 0x55) != (rop & 0x55); }
// Applies the code to every bit of the operands.
uint32_t Rop3Bits(uint8_t rop, uint32_t p, uint32_t s, uint32_t d);

// Changes [x0, x1) of row y (inside the surface) by the operation; src holds x1 - x0 pixel
// values in the surface's format (nullptr when the operation does not read the source).
void RasterSpan(Surface& dst, int y, int x0, int x1, const Paint& paint, const DWORD* src, uint8_t rop);

// Spans of one drawing, clipped to a region (device coordinates, already inside the surface).
class SpanPainter {
 public:
  SpanPainter(Surface& dst, const Region& clip, const Paint& paint, uint8_t rop)
      : dst_(dst), clip_(clip), paint_(paint), rop_(rop) {}
  void Span(int y, int x0, int x1) {
    if (x0 >= x1) return;
    clip_.ClipSpan(y, x0, x1, [&](int a, int b) { RasterSpan(dst_, y, a, b, paint_, nullptr, rop_); });
  }
  void Rect(const RECT& r) {
    for (int y = r.top; y < r.bottom; ++y) Span(y, r.left, r.right);
  }
  void Pixel(int x, int y) { Span(y, x, x + 1); }
  const Region& Clip() const { return clip_; }

 private:
  Surface& dst_;
  const Region& clip_;
  const Paint& paint_;
  uint8_t rop_;
};

}  // namespace zolt::host::gdi
