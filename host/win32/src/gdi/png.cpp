// PNG output of bitmaps through libpng, and the host's views of bitmaps and DCs.
#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "gdi/draw.h"
#include "win32/hostgdi.h"

namespace zolt::host {

using namespace gdi;

bool SaveBitmapPng(HBITMAP bitmap, const std::filesystem::path& file) {
  std::vector<uint8_t> rgb;
  int w, h;
  {
    GDI_LOCK();
    auto bm = FindAs<BitmapObj>(bitmap, OBJ_BITMAP);
    if (!bm) return false;
    const Surface& s = bm->surface;
    w = s.width;
    h = s.height;
    rgb.resize(size_t(w) * size_t(h) * 3);
    size_t k = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const COLORREF c = s.ColorOf(s.Get(x, y));
        rgb[k++] = GetRValue(c);
        rgb[k++] = GetGValue(c);
        rgb[k++] = GetBValue(c);
      }
  }
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(file.c_str(), "wb"), std::fclose);
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, f.get());
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < h; ++y) png_write_row(png, rgb.data() + size_t(y) * size_t(w) * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fflush(f.get()) == 0;
}

bool SaveDcPng(HDC dc, const std::filesystem::path& file) {
  HBITMAP bm = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
  return bm && SaveBitmapPng(bm, file);
}

bool GetBitmapBitsView(HBITMAP bitmap, BitmapBits& out) {
  GDI_LOCK();
  auto bm = FindAs<BitmapObj>(bitmap, OBJ_BITMAP);
  if (!bm) return false;
  out.width = bm->surface.width;
  out.height = bm->surface.height;
  out.bpp = bm->surface.bpp;
  out.scan0 = bm->surface.scan0;
  out.stride = bm->surface.stride;
  return true;
}

bool SetDcPlacement(HDC hdc, POINT origin, HRGN visible) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return false;
  dc->origin = origin;
  if (visible) {
    auto r = FindAs<RegionObj>(visible, OBJ_REGION);
    if (!r) return false;
    dc->visible = r->rgn;
  } else {
    dc->visible.reset();
  }
  return true;
}

}  // namespace zolt::host
