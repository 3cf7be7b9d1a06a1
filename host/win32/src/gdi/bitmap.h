// Bitmaps: making them and converting their pixels between formats.
#pragma once

#include <memory>

#include "gdi/dib.h"
#include "gdi/objects.h"

namespace zolt::host::gdi {

// The default colour tables of indexed bitmaps that have none of their own: black and white,
// the 16 VGA colours, and the 256 colours of the halftone palette.
std::vector<RGBQUAD> DefaultColorTable(int bpp);
// A new device bitmap (top-down, word-aligned rows): monochrome for 1 bit per pixel.
std::shared_ptr<BitmapObj> NewDeviceBitmap(int width, int height, int bpp);
// A new DIB section of the format (colour table and masks taken from `format`).
std::shared_ptr<BitmapObj> NewDibSection(int width, int height, bool topDown, const Surface& format);

// Maps pixel values of one surface to those of another by colour (cached for indexed sources).
class PixelConverter {
 public:
  PixelConverter(const Surface& src, const Surface& dst);
  DWORD operator()(DWORD pixel) const {
    if (same_) return pixel;
    if (!table_.empty()) return pixel < table_.size() ? table_[pixel] : 0;
    return dst_.PixelOf(src_.ColorOf(pixel));
  }

 private:
  const Surface& src_;
  const Surface& dst_;
  bool same_ = false;
  std::vector<DWORD> table_;
};

}  // namespace zolt::host::gdi
