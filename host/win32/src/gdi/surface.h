// Pixel surfaces of the raster: the bits of a bitmap with their format, and the conversion of
// colours to pixel values and back.
//
// A pixel value is what the bits hold: a colour-table index for 1, 4 and 8 bits per pixel, the
// packed value for 16 and 32 bits (masks give the channels), 0x00RRGGBB for 24 bits (stored
// blue, green, red). Rows run from the top row down; a bottom-up bitmap has a negative stride.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "win32/gdi.h"

namespace zolt::host::gdi {

struct Surface {
  int width = 0;
  int height = 0;
  int bpp = 0;                   // 1, 4, 8, 16, 24 or 32
  uint8_t* scan0 = nullptr;      // first byte of the top row
  ptrdiff_t stride = 0;          // bytes from one row to the row below it
  std::vector<RGBQUAD> colors;   // colour table of 1, 4 and 8 bits per pixel
  DWORD masks[3] = {0, 0, 0};    // red, green, blue masks of 16 and 32 bits per pixel
  bool monoDevice = false;       // a monochrome device bitmap: colours follow the DC's text and background
  RECT* dirty = nullptr;         // when set: grown to take in every pixel the raster changes
  std::vector<uint8_t>* written = nullptr;  // when set: one byte per pixel, 1 for each pixel written

  void Touch(int x0, int y0, int x1, int y1) const {
    if (!dirty) return;
    if (dirty->right <= dirty->left || dirty->bottom <= dirty->top) {
      *dirty = RECT{x0, y0, x1, y1};
      return;
    }
    if (x0 < dirty->left) dirty->left = x0;
    if (y0 < dirty->top) dirty->top = y0;
    if (x1 > dirty->right) dirty->right = x1;
    if (y1 > dirty->bottom) dirty->bottom = y1;
  }

  void MarkWritten(int x, int y) const {
    if (written) (*written)[size_t(y) * size_t(width) + size_t(x)] = 1;
  }
  uint8_t* Row(int y) const { return scan0 + y * stride; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  DWORD Get(int x, int y) const;
  void Set(int x, int y, DWORD pixel);
  DWORD PixelMask() const { return bpp >= 32 ? 0xFFFFFFFFu : ((1u << bpp) - 1); }

  // Pixel value of a colour: the nearest colour-table entry (first of equals) for indexed
  // formats, the packed value otherwise.
  DWORD PixelOf(COLORREF color) const;
  // Colour of a pixel value (0x00BBGGRR).
  COLORREF ColorOf(DWORD pixel) const;
  // Same bits per pixel and the same meaning of every pixel value.
  bool SameFormat(const Surface& other) const;
};

// The default masks of the formats without bit fields: 5-5-5 for 16 bits, 8-8-8 for 32 bits.
void DefaultMasks(int bpp, DWORD masks[3]);
// Bytes of a row of `width` pixels aligned to `align` bytes (4 for DIBs, 2 for device bitmaps);
// 0 when the size does not fit.
size_t RowBytes(int64_t width, int bpp, int align);
// Index of the colour nearest to `color` among `count` entries (squared distance, first of equals).
UINT NearestIndex(const RGBQUAD* table, size_t count, COLORREF color);

inline COLORREF ColorOfQuad(RGBQUAD q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }
inline RGBQUAD QuadOfColor(COLORREF c) {
  return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
}

}  // namespace zolt::host::gdi
