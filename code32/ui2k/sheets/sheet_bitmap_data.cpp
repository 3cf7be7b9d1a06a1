// Bitmaps as outside data: the check of a packed bitmap of a resource library (header, colour
// table, bits, run-length data walked to its end), and BMP files read into bitmaps of the
// display.
#include <algorithm>
#include <cstring>

#include "env_language.h"
#include "sheet_resources.h"

namespace {

constexpr LONG kMaxDimension = 16384;
constexpr size_t kMaxFileImageBytes = size_t(64) << 20;  // the largest picture file read
constexpr DWORD kFileChunkBytes = 16384;
constexpr LONG kFileInfoOffset = 14;
constexpr LONG kFileBitCountOffset = 28;

bool KnownBitCount(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

size_t Stride(int bits, int width) { return ((size_t(bits) * size_t(width) + 31) / 32) * 4; }

// Walks run-length data of `size` bytes. False for an escape or an absolute run cut off by the
// end, rows beyond the height, or data without its end-of-bitmap mark. firstIndex receives the
// index of the bottom-left pixel when a run sets it.
bool WalkRuns(const BYTE* src, size_t size, bool four, int width, int height, int* firstIndex) {
  long x = 0, y = 0;
  size_t i = 0;
  auto put = [&](int value) {
    if (x == 0 && y == 0 && *firstIndex < 0) *firstIndex = value;
    ++x;
  };
  while (i + 1 < size) {
    const BYTE count = src[i], value = src[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count && x <= width; ++k) put(four ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
      x = std::min<long>(x, width + 1L);
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (i + 1 >= size) return false;
      x += src[i];
      y += src[i + 1];
      i += 2;
    } else {
      const size_t bytes = four ? (size_t(value) + 1) / 2 : size_t(value);
      if (i + bytes > size) return false;
      for (int k = 0; k < value && x <= width; ++k) {
        const BYTE b = src[i + (four ? size_t(k) / 2 : size_t(k))];
        put(four ? ((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
      }
      x = std::min<long>(x, width + 1L);
      i += (bytes + 1) & ~size_t(1);
    }
    if (y > height) return false;
  }
  return false;
}

}  // namespace

int UiCheckDib(const void* data, size_t size, UiDibView* out) {
  if (!out) return 0;
  *out = UiDibView{};
  out->firstPixelIndex = -1;
  const auto* bytes = static_cast<const BYTE*>(data);
  if (!bytes || size < sizeof(BITMAPINFOHEADER)) return 0;
  BITMAPINFOHEADER h;
  std::memcpy(&h, bytes, sizeof h);
  // The info header and its later versions (masks and colour spaces follow inside them).
  if ((h.biSize != 40 && h.biSize != 52 && h.biSize != 56 && h.biSize != 108 && h.biSize != 124) || h.biSize > size)
    return 0;
  if (h.biPlanes != 1 || !KnownBitCount(h.biBitCount)) return 0;
  if (h.biWidth <= 0 || h.biWidth > kMaxDimension || h.biHeight == 0 || h.biHeight < -kMaxDimension ||
      h.biHeight > kMaxDimension)
    return 0;
  const bool topDown = h.biHeight < 0;
  switch (h.biCompression) {
    case BI_RGB: break;
    case BI_RLE8:
      if (h.biBitCount != 8 || topDown) return 0;
      break;
    case BI_RLE4:
      if (h.biBitCount != 4 || topDown) return 0;
      break;
    case BI_BITFIELDS:
      if (h.biBitCount != 16 && h.biBitCount != 32) return 0;
      break;
    default: return 0;
  }
  const DWORD fullTable = h.biBitCount <= 8 ? DWORD(1) << h.biBitCount : 0;
  if (h.biBitCount <= 8 && h.biClrUsed > fullTable) return 0;
  if (h.biBitCount > 8 && h.biClrUsed > 256) return 0;
  const DWORD tableEntries = h.biClrUsed ? h.biClrUsed : fullTable;
  size_t infoSize = h.biSize;
  if (h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER)) infoSize += 3 * sizeof(DWORD);
  infoSize += size_t(tableEntries) * sizeof(RGBQUAD);
  if (infoSize > size) return 0;

  const int width = int(h.biWidth), height = int(topDown ? -h.biHeight : h.biHeight);
  const BYTE* bits = bytes + infoSize;
  size_t bitsSize = size - infoSize;
  const bool runs = h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4;
  if (runs) {
    if (h.biSizeImage == 0 || h.biSizeImage > bitsSize) return 0;
    bitsSize = h.biSizeImage;
    if (!WalkRuns(bits, bitsSize, h.biCompression == BI_RLE4, width, height, &out->firstPixelIndex)) return 0;
  } else {
    const size_t stride = Stride(h.biBitCount, width);
    if (stride * size_t(height) > bitsSize) return 0;
    bitsSize = stride * size_t(height);
    if (h.biBitCount <= 8) {
      const BYTE* bottom = bits + (topDown ? stride * size_t(height - 1) : 0);
      out->firstPixelIndex = bottom[0] >> (8 - h.biBitCount);
    }
  }
  if (out->firstPixelIndex >= int(tableEntries)) out->firstPixelIndex = tableEntries ? 0 : -1;

  out->header = h;
  out->header.biSize = sizeof(BITMAPINFOHEADER);
  out->header.biClrUsed = h.biBitCount <= 8 ? tableEntries : 0;
  out->header.biSizeImage = runs ? DWORD(bitsSize) : 0;
  // Bit-field masks sit at offset 40 both after a plain info header and inside the later ones.
  if (h.biCompression == BI_BITFIELDS) std::memcpy(out->masks, bytes + sizeof(BITMAPINFOHEADER), sizeof out->masks);
  out->width = width;
  out->height = height;
  out->topDown = topDown;
  out->bitCount = h.biBitCount;
  out->compression = h.biCompression;
  out->colourCount = h.biBitCount <= 8 ? tableEntries : 0;
  if (out->colourCount)
    std::memcpy(out->colours, bytes + infoSize - size_t(tableEntries) * sizeof(RGBQUAD),
                size_t(tableEntries) * sizeof(RGBQUAD));
  out->bits = bits;
  out->bitsSize = bitsSize;
  out->infoSize = infoSize;
  return 1;
}

int UiReadFileChunks(HFILE file, HGLOBAL memory, DWORD count) {
  if (file == HFILE_ERROR || !memory || GlobalSize(memory) < count) return 0;
  auto* to = static_cast<BYTE*>(GlobalLock(memory));
  if (!to) return 0;
  DWORD done = 0;
  while (done < count) {
    const UINT piece = std::min(count - done, kFileChunkBytes);
    const UINT got = _lread(file, to + done, piece);
    if (got != piece) break;
    done += piece;
  }
  GlobalUnlock(memory);
  return done == count ? 1 : 0;
}

HBITMAP UiLoadBmpFile(const WCHAR* path, int* width, int* height) {
  if (width) *width = 0;
  if (height) *height = 0;
  HFILE file = HFILE_ERROR;
  if (!path || !EnvOpenBitmapFile(path, &file)) return nullptr;
  HBITMAP bitmap = nullptr;
  HGLOBAL info = nullptr, bits = nullptr;
  BYTE countBytes[2] = {};
  if (_llseek(file, kFileBitCountOffset, FILE_BEGIN) == kFileBitCountOffset &&
      _lread(file, countBytes, 2) == 2) {
    const int bitCount = countBytes[0] | countBytes[1] << 8;
    const DWORD infoBytes = bitCount > 8 ? sizeof(BITMAPINFOHEADER)
                                         : DWORD(sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * (DWORD(1) << (bitCount & 15)));
    info = KnownBitCount(bitCount) ? GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, infoBytes) : nullptr;
    if (info && _llseek(file, kFileInfoOffset, FILE_BEGIN) == kFileInfoOffset &&
        UiReadFileChunks(file, info, infoBytes)) {
      auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(info));
      // Only plain pixel rows: the row length below is theirs.
      const bool usable = header->biBitCount == bitCount && header->biPlanes == 1 && header->biCompression == BI_RGB &&
                          header->biWidth > 0 && header->biWidth <= kMaxDimension && header->biHeight != 0 &&
                          header->biHeight >= -kMaxDimension && header->biHeight <= kMaxDimension;
      const LONG rows = header->biHeight < 0 ? -header->biHeight : header->biHeight;
      const size_t image = usable ? Stride(bitCount, header->biWidth) * size_t(rows) : 0;
      if (usable && image <= kMaxFileImageBytes) {
        header->biSizeImage = DWORD(image);
        header->biClrUsed = 0;
        bits = GlobalAlloc(GMEM_MOVEABLE, image);
        // The pixel rows follow the colour table directly.
        if (bits && UiReadFileChunks(file, bits, DWORD(image))) {
          HDC display = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
          const void* pixels = GlobalLock(bits);
          bitmap = display ? CreateDIBitmap(display, header, CBM_INIT, pixels,
                                            reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS)
                           : nullptr;
          GlobalUnlock(bits);
          if (display) DeleteDC(display);
          if (bitmap) {
            if (width) *width = header->biWidth;
            if (height) *height = rows;
          }
        }
      }
      GlobalUnlock(info);
    }
  }
  if (bits) GlobalFree(bits);
  if (info) GlobalFree(info);
  _lclose(file);
  return bitmap;
}
