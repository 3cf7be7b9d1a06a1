// Parsing and decoding of caller-supplied device-independent bitmaps.
#include "gdi/dib.h"

#include <bit>
#include <cstring>

namespace zolt::host::gdi {

namespace {

bool Contiguous(DWORD m) {
  if (m == 0) return false;
  const DWORD shifted = m >> std::countr_zero(m);
  return (shifted & (shifted + 1)) == 0;
}

}  // namespace

bool ParseDib(const BITMAPINFO* info, size_t infoSize, UINT usage, const PaletteObj* palette, DibInfo& out) {
  out = DibInfo{};
  if (!info || infoSize < sizeof(DWORD)) return false;
  DWORD headerSize;
  std::memcpy(&headerSize, info, sizeof(headerSize));
  if (headerSize > infoSize) return false;
  const auto* bytes = reinterpret_cast<const uint8_t*>(info);
  int64_t width, height;
  int planes, bpp;
  DWORD compression = BI_RGB, clrUsed = 0, sizeImage = 0;
  bool core = false;
  if (headerSize == sizeof(BITMAPCOREHEADER)) {
    BITMAPCOREHEADER h;
    std::memcpy(&h, bytes, sizeof(h));
    width = h.bcWidth;
    height = h.bcHeight;
    planes = h.bcPlanes;
    bpp = h.bcBitCount;
    core = true;
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
    BITMAPINFOHEADER h;
    std::memcpy(&h, bytes, sizeof(h));
    width = h.biWidth;
    height = h.biHeight;
    planes = h.biPlanes;
    bpp = h.biBitCount;
    compression = h.biCompression;
    clrUsed = h.biClrUsed;
    sizeImage = h.biSizeImage;
  } else {
    return false;
  }
  if (planes != 1 || width <= 0 || height == 0 || height == INT32_MIN) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  switch (compression) {
    case BI_RGB: break;
    case BI_RLE8:
      if (bpp != 8 || height < 0) return false;
      break;
    case BI_RLE4:
      if (bpp != 4 || height < 0) return false;
      break;
    case BI_BITFIELDS:
      if (bpp != 16 && bpp != 32) return false;
      break;
    default: return false;
  }
  out.width = int(width);
  out.height = int(height < 0 ? -height : height);
  out.topDown = height < 0;
  out.bpp = bpp;
  out.compression = compression;
  out.stride = RowBytes(width, bpp, 4);
  if (out.stride == 0) return false;
  const uint64_t image = uint64_t(out.stride) * uint64_t(out.height);
  if (image > (uint64_t(1) << 31)) return false;
  out.imageSize = (compression == BI_RLE8 || compression == BI_RLE4) ? sizeImage : size_t(image);

  size_t offset = headerSize;
  if (compression == BI_BITFIELDS) {
    if (headerSize == 40) {
      if (infoSize < offset + 12) return false;
      std::memcpy(out.masks, bytes + offset, 12);
      offset += 12;
    } else {
      std::memcpy(out.masks, bytes + 40, 12);
    }
    for (DWORD m : out.masks)
      if (!Contiguous(m)) return false;
    if ((out.masks[0] & out.masks[1]) || (out.masks[1] & out.masks[2]) || (out.masks[0] & out.masks[2])) return false;
    if (bpp == 16 && ((out.masks[0] | out.masks[1] | out.masks[2]) >> 16)) return false;
  } else if (bpp == 16 || bpp == 32) {
    DefaultMasks(bpp, out.masks);
  }

  UINT entries = 0;
  if (bpp <= 8) {
    const UINT full = 1u << bpp;
    entries = (clrUsed == 0 || clrUsed > full) ? full : clrUsed;
  } else {
    entries = clrUsed > 256 ? 256 : clrUsed;  // an optional table for palette devices, skipped
  }
  out.tableEntries = entries;
  const size_t entrySize = usage == DIB_PAL_COLORS ? 2 : (core ? 3 : 4);
  if (infoSize < offset + entrySize * entries) return false;
  if (bpp <= 8) {
    out.colors.resize(entries);
    for (UINT i = 0; i < entries; ++i) {
      const uint8_t* e = bytes + offset + entrySize * i;
      if (usage == DIB_PAL_COLORS) {
        WORD index;
        std::memcpy(&index, e, 2);
        static const PALETTEENTRY kBlack{0, 0, 0, 0};
        const PALETTEENTRY& pe = palette && index < palette->entries.size() ? palette->entries[index] : kBlack;
        out.colors[i] = RGBQUAD{pe.peBlue, pe.peGreen, pe.peRed, 0};
      } else {
        out.colors[i] = RGBQUAD{e[0], e[1], e[2], 0};
      }
    }
  }
  out.infoSize = offset + entrySize * entries;
  return true;
}

namespace {

// Run-length decoding; rows are counted from the bottom as the bits are stored.
bool DecodeRle(const DibInfo& dib, const uint8_t* src, size_t size, std::vector<uint8_t>& pixels,
               std::vector<uint8_t>& written) {
  const int w = dib.width, h = dib.height;
  pixels.assign(size_t(w) * size_t(h), 0);
  written.assign(size_t(w) * size_t(h), 0);
  const bool four = dib.compression == BI_RLE4;
  int x = 0, y = 0;  // y = 0 is the bottom row
  size_t i = 0;
  auto put = [&](int value) {
    if (x < w && y < h) {
      const size_t at = size_t(h - 1 - y) * size_t(w) + size_t(x);
      pixels[at] = uint8_t(value);
      written[at] = 1;
    }
    ++x;
  };
  while (i + 1 < size) {
    const uint8_t count = src[i], value = src[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(four ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return true;
      case 2:  // delta
        if (i + 1 >= size) return false;
        x += src[i];
        y += src[i + 1];
        i += 2;
        break;
      default: {  // absolute run of `value` pixels, padded to a whole word
        const size_t bytesNeeded = four ? (size_t(value) + 1) / 2 : size_t(value);
        if (i + bytesNeeded > size) return false;
        for (int k = 0; k < value; ++k) {
          const uint8_t b = src[i + (four ? size_t(k) / 2 : size_t(k))];
          put(four ? ((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
        }
        i += (bytesNeeded + 1) & ~size_t(1);
        break;
      }
    }
    if (y > h) return true;  // runs past the top are dropped
  }
  return true;  // no end-of-bitmap mark: what was decoded stands
}

}  // namespace

bool DibSurface(const DibInfo& dib, const void* bits, size_t bitsSize, Surface& out, std::vector<uint8_t>& decoded,
                std::vector<uint8_t>* written) {
  if (!bits) return false;
  out = Surface{};
  out.width = dib.width;
  out.height = dib.height;
  out.bpp = dib.bpp;
  out.colors = dib.colors;
  std::memcpy(out.masks, dib.masks, sizeof(out.masks));
  if (dib.compression == BI_RLE8 || dib.compression == BI_RLE4) {
    if (dib.imageSize == 0 || bitsSize < dib.imageSize) return false;
    std::vector<uint8_t> mask;
    if (!DecodeRle(dib, static_cast<const uint8_t*>(bits), dib.imageSize, decoded, mask)) return false;
    out.bpp = 8;
    out.scan0 = decoded.data();
    out.stride = dib.width;
    if (written) *written = std::move(mask);
    return true;
  }
  if (bitsSize < dib.imageSize) return false;
  uint8_t* base = const_cast<uint8_t*>(static_cast<const uint8_t*>(bits));
  if (dib.topDown) {
    out.scan0 = base;
    out.stride = ptrdiff_t(dib.stride);
  } else {
    out.scan0 = base + dib.stride * size_t(dib.height - 1);
    out.stride = -ptrdiff_t(dib.stride);
  }
  if (written) written->clear();
  return true;
}

void DescribeSurface(const Surface& s, bool topDown, BITMAPINFOHEADER& bih) {
  bih = BITMAPINFOHEADER{};
  bih.biSize = sizeof(BITMAPINFOHEADER);
  bih.biWidth = s.width;
  bih.biHeight = topDown ? -s.height : s.height;
  bih.biPlanes = 1;
  bih.biBitCount = WORD(s.bpp);
  bih.biCompression = BI_RGB;
  bih.biSizeImage = DWORD(RowBytes(s.width, s.bpp, 4) * size_t(s.height));
  bih.biClrUsed = s.bpp <= 8 ? DWORD(s.colors.size()) : 0;
}

}  // namespace zolt::host::gdi
