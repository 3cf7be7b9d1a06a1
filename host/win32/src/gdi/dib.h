// Device-independent bitmaps handed in by callers: checks of the header against the bits, the
// colour table, bit-field masks and the decoding of run-length compressed bits.
#pragma once

#include <cstddef>
#include <vector>

#include "gdi/objects.h"
#include "gdi/surface.h"

namespace zolt::host::gdi {

struct DibInfo {
  int width = 0;
  int height = 0;          // rows, always positive
  bool topDown = false;
  int bpp = 0;
  DWORD compression = BI_RGB;
  std::vector<RGBQUAD> colors;
  DWORD masks[3] = {0, 0, 0};
  size_t stride = 0;       // bytes of an uncompressed row
  size_t imageSize = 0;    // bytes of bits the header stands for (uncompressed: stride * height)
  size_t infoSize = 0;     // bytes of the header, masks and colour table
  UINT tableEntries = 0;   // entries of the colour table as given
};

// Reads a BITMAPINFO (or BITMAPCOREINFO) of at most infoSize bytes. DIB_PAL_COLORS tables are
// resolved through `palette` (nullptr: the default palette). False for a header the platform
// refuses: unknown size, planes, bit count, compression that does not fit the bit count,
// masks that are empty or overlap, sizes that do not fit.
bool ParseDib(const BITMAPINFO* info, size_t infoSize, UINT usage, const PaletteObj* palette, DibInfo& out);

// A surface over the caller's bits (uncompressed) or over `decoded` (run-length compressed,
// decoded into 8 or 4 bits per pixel with `written` marking the pixels the runs set). False when
// bitsSize is smaller than the header says or the runs are malformed.
bool DibSurface(const DibInfo& dib, const void* bits, size_t bitsSize, Surface& out, std::vector<uint8_t>& decoded,
                std::vector<uint8_t>* written);

// Fills a BITMAPINFOHEADER and colour table describing `s` (GetDIBits, PNG output).
void DescribeSurface(const Surface& s, bool topDown, BITMAPINFOHEADER& bih);

}  // namespace zolt::host::gdi
