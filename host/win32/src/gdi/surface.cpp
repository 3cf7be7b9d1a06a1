// Pixel access and colour conversion of surfaces.
#include "gdi/surface.h"

#include <bit>

namespace zolt::host::gdi {

namespace {

// Expands a masked channel to 8 bits.
BYTE Channel(DWORD pixel, DWORD mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  DWORD v = (pixel & mask) >> shift;
  if (bits >= 8) return BYTE(v >> (bits - 8));
  // Replicate the high bits into the low ones, so that the largest value becomes 255.
  DWORD out = 0;
  int filled = 0;
  while (filled < 8) {
    out = (out << bits) | v;
    filled += bits;
  }
  return BYTE(out >> (filled - 8));
}

DWORD Pack(BYTE value, DWORD mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  DWORD v = bits >= 8 ? DWORD(value) << (bits - 8) : DWORD(value) >> (8 - bits);
  return (v << shift) & mask;
}

}  // namespace

void DefaultMasks(int bpp, DWORD masks[3]) {
  if (bpp == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  } else {
    masks[0] = 0x00FF0000;
    masks[1] = 0x0000FF00;
    masks[2] = 0x000000FF;
  }
}

size_t RowBytes(int64_t width, int bpp, int align) {
  if (width < 0 || width > (int64_t(1) << 40)) return 0;
  const uint64_t bits = uint64_t(width) * uint64_t(bpp);
  const uint64_t unit = uint64_t(align) * 8;
  return size_t((bits + unit - 1) / unit * uint64_t(align));
}

UINT NearestIndex(const RGBQUAD* table, size_t count, COLORREF color) {
  const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  UINT best = 0;
  int bestDistance = 1 << 30;
  for (size_t i = 0; i < count; ++i) {
    const int dr = table[i].rgbRed - r, dg = table[i].rgbGreen - g, db = table[i].rgbBlue - b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = UINT(i);
      if (d == 0) break;
    }
  }
  return best;
}

DWORD Surface::Get(int x, int y) const {
  const uint8_t* row = Row(y);
  switch (bpp) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case 8: return row[x];
    case 16: return DWORD(row[2 * x]) | (DWORD(row[2 * x + 1]) << 8);
    case 24: {
      const uint8_t* p = row + 3 * x;
      return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16);
    }
    case 32: {
      const uint8_t* p = row + 4 * x;
      return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24);
    }
  }
  return 0;
}

void Surface::Set(int x, int y, DWORD pixel) {
  Touch(x, y, x + 1, y + 1);
  MarkWritten(x, y);
  uint8_t* row = Row(y);
  switch (bpp) {
    case 1: {
      const uint8_t bit = uint8_t(0x80 >> (x & 7));
      if (pixel & 1)
        row[x >> 3] |= bit;
      else
        row[x >> 3] &= uint8_t(~bit);
      break;
    }
    case 4:
      if (x & 1)
        row[x >> 1] = uint8_t((row[x >> 1] & 0xF0) | (pixel & 0x0F));
      else
        row[x >> 1] = uint8_t((row[x >> 1] & 0x0F) | ((pixel & 0x0F) << 4));
      break;
    case 8: row[x] = uint8_t(pixel); break;
    case 16:
      row[2 * x] = uint8_t(pixel);
      row[2 * x + 1] = uint8_t(pixel >> 8);
      break;
    case 24: {
      uint8_t* p = row + 3 * x;
      p[0] = uint8_t(pixel);
      p[1] = uint8_t(pixel >> 8);
      p[2] = uint8_t(pixel >> 16);
      break;
    }
    case 32: {
      uint8_t* p = row + 4 * x;
      p[0] = uint8_t(pixel);
      p[1] = uint8_t(pixel >> 8);
      p[2] = uint8_t(pixel >> 16);
      p[3] = uint8_t(pixel >> 24);
      break;
    }
  }
}

DWORD Surface::PixelOf(COLORREF color) const {
  const BYTE r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  switch (bpp) {
    case 1:
    case 4:
    case 8:
      if (colors.empty()) return 0;
      return NearestIndex(colors.data(), colors.size(), color & 0x00FFFFFF);
    case 24: return DWORD(b) | (DWORD(g) << 8) | (DWORD(r) << 16);
    default: return Pack(r, masks[0]) | Pack(g, masks[1]) | Pack(b, masks[2]);
  }
}

COLORREF Surface::ColorOf(DWORD pixel) const {
  switch (bpp) {
    case 1:
    case 4:
    case 8:
      if (pixel < colors.size()) return ColorOfQuad(colors[pixel]);
      return 0;
    case 24: return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    default: return RGB(Channel(pixel, masks[0]), Channel(pixel, masks[1]), Channel(pixel, masks[2]));
  }
}

bool Surface::SameFormat(const Surface& other) const {
  if (bpp != other.bpp) return false;
  if (bpp <= 8) {
    if (monoDevice != other.monoDevice) return false;
    if (colors.size() != other.colors.size()) return false;
    for (size_t i = 0; i < colors.size(); ++i)
      if (ColorOfQuad(colors[i]) != ColorOfQuad(other.colors[i])) return false;
    return true;
  }
  if (bpp == 24) return true;
  return masks[0] == other.masks[0] && masks[1] == other.masks[1] && masks[2] == other.masks[2];
}

}  // namespace zolt::host::gdi
