// Device bitmaps and DIB sections, and the calls that read and write their bits.
#include "gdi/bitmap.h"

#include <algorithm>
#include <cstring>

#include "gdi/draw.h"
#include "emf/recorder.h"

namespace zolt::host::gdi {

std::vector<RGBQUAD> DefaultColorTable(int bpp) {
  std::vector<RGBQUAD> t;
  if (bpp == 1) return {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
  if (bpp == 4) {
    static const COLORREF kVga[16] = {RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
                                      RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(128, 128, 128),
                                      RGB(192, 192, 192), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
                                      RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
    for (COLORREF c : kVga) t.push_back(QuadOfColor(c));
    return t;
  }
  if (bpp == 8) {
    // The first ten and last ten static colours, and between them a 6 x 6 x 6 colour cube and
    // a ramp of greys.
    static const COLORREF kLow[10] = {RGB(0, 0, 0),     RGB(128, 0, 0),   RGB(0, 128, 0),     RGB(128, 128, 0),
                                      RGB(0, 0, 128),   RGB(128, 0, 128), RGB(0, 128, 128),   RGB(192, 192, 192),
                                      RGB(192, 220, 192), RGB(166, 202, 240)};
    static const COLORREF kHigh[10] = {RGB(255, 251, 240), RGB(160, 160, 164), RGB(128, 128, 128),
                                       RGB(255, 0, 0),     RGB(0, 255, 0),     RGB(255, 255, 0),
                                       RGB(0, 0, 255),     RGB(255, 0, 255),   RGB(0, 255, 255),
                                       RGB(255, 255, 255)};
    for (COLORREF c : kLow) t.push_back(QuadOfColor(c));
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) t.push_back(RGBQUAD{BYTE(b * 51), BYTE(g * 51), BYTE(r * 51), 0});
    while (t.size() < 246) {
      const BYTE v = BYTE(8 + (t.size() - 226) * 12);
      t.push_back(RGBQUAD{v, v, v, 0});
    }
    for (COLORREF c : kHigh) t.push_back(QuadOfColor(c));
    return t;
  }
  return t;
}

std::shared_ptr<BitmapObj> NewDeviceBitmap(int width, int height, int bpp) {
  auto bm = std::make_shared<BitmapObj>();
  if (!bm->Allocate(width, height, bpp, RowBytes(width, bpp, 2), false)) return nullptr;
  if (bpp <= 8) bm->surface.colors = DefaultColorTable(bpp);
  if (bpp == 1) bm->surface.monoDevice = true;
  if (bpp == 16 || bpp == 32) DefaultMasks(bpp, bm->surface.masks);
  return bm;
}

std::shared_ptr<BitmapObj> NewDibSection(int width, int height, bool topDown, const Surface& format) {
  auto bm = std::make_shared<BitmapObj>();
  if (!bm->Allocate(width, height, format.bpp, RowBytes(width, format.bpp, 4), !topDown)) return nullptr;
  bm->dib = true;
  bm->surface.colors = format.colors;
  std::memcpy(bm->surface.masks, format.masks, sizeof(format.masks));
  DescribeSurface(bm->surface, topDown, bm->bih);
  return bm;
}

PixelConverter::PixelConverter(const Surface& src, const Surface& dst) : src_(src), dst_(dst) {
  same_ = src.SameFormat(dst);
  if (!same_ && src.bpp <= 8) {
    table_.resize(size_t(1) << src.bpp);
    for (size_t i = 0; i < table_.size(); ++i) table_[i] = dst.PixelOf(src.ColorOf(DWORD(i)));
  }
}

}  // namespace zolt::host::gdi

using namespace zolt::host::gdi;

namespace {

int NormalBpp(UINT bits) {
  if (bits <= 1) return 1;
  if (bits <= 4) return 4;
  if (bits <= 8) return 8;
  if (bits <= 16) return 16;
  if (bits <= 24) return 24;
  return 32;
}

constexpr size_t kTrustedInfo = size_t(1) << 20;  // callers' BITMAPINFO: header, masks and colour table

}  // namespace

WIN32_API HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
  if (nWidth < 0 || nHeight < 0 || nPlanes > 32 || nBitCount > 32) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (nWidth == 0 || nHeight == 0) return static_cast<HBITMAP>(DefaultBitmapHandle());
  const int bpp = NormalBpp(nPlanes * nBitCount);
  auto bm = NewDeviceBitmap(nWidth, nHeight, bpp);
  if (!bm) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (lpBits) std::memcpy(bm->storage.get(), lpBits, bm->storageSize);
  return static_cast<HBITMAP>(InsertObject(bm));
}

WIN32_API HBITMAP WINAPI CreateBitmapIndirect(const BITMAP* pbm) {
  if (!pbm) return nullptr;
  return CreateBitmap(pbm->bmWidth, pbm->bmHeight, pbm->bmPlanes, pbm->bmBitsPixel, pbm->bmBits);
}

WIN32_API HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (cx < 0 || cy < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (cx == 0 || cy == 0) return static_cast<HBITMAP>(DefaultBitmapHandle());
  std::shared_ptr<BitmapObj> bm;
  const BitmapObj* cur = dc->st.bitmap.get();
  if (cur && cur->dib) {
    bm = NewDibSection(cx, cy, !cur->bottomUp, cur->surface);
  } else if (cur) {
    bm = NewDeviceBitmap(cx, cy, cur->surface.bpp);
  } else {
    bm = NewDeviceBitmap(cx, cy, 32);
  }
  if (!bm) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return static_cast<HBITMAP>(InsertObject(bm));
}

WIN32_API HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                                          HANDLE hSection, DWORD offset) {
  GDI_LOCK();
  if (ppvBits) *ppvBits = nullptr;
  std::shared_ptr<DcObj> dc = hdc ? FindDc(hdc) : nullptr;
  if (usage == DIB_PAL_COLORS && !dc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DibInfo info;
  if (usage > DIB_PAL_COLORS ||
      !ParseDib(pbmi, kTrustedInfo, usage, dc ? dc->st.palette.get() : nullptr, info) ||
      (info.compression != BI_RGB && info.compression != BI_BITFIELDS)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Surface format;
  format.bpp = info.bpp;
  format.colors = info.colors;
  std::memcpy(format.masks, info.masks, sizeof(format.masks));
  auto bm = NewDibSection(info.width, info.height, info.topDown, format);
  if (!bm) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::memcpy(&bm->bih, pbmi, sizeof(BITMAPINFOHEADER) <= info.infoSize ? sizeof(BITMAPINFOHEADER) : 0);
  if (bm->bih.biSize != sizeof(BITMAPINFOHEADER)) DescribeSurface(bm->surface, info.topDown, bm->bih);
  bm->bih.biSize = sizeof(BITMAPINFOHEADER);
  bm->bih.biClrUsed = info.bpp <= 8 ? DWORD(info.colors.size()) : 0;
  bm->section = hSection;
  bm->sectionOffset = offset;
  if (ppvBits) *ppvBits = bm->storage.get();
  return static_cast<HBITMAP>(InsertObject(bm));
}

namespace {

// Copies rows of a DIB into a bitmap, converting colours; returns the rows copied.
int CopyDibRows(BitmapObj& bm, const DibInfo& info, UINT start, UINT lines, const void* bits) {
  if (start >= UINT(info.height)) return 0;
  lines = std::min<UINT>(lines, UINT(info.height) - start);
  if (lines == 0) return 0;
  DibInfo part = info;
  part.height = int(lines);
  part.imageSize = info.compression == BI_RGB || info.compression == BI_BITFIELDS ? part.stride * lines : info.imageSize;
  Surface src;
  std::vector<uint8_t> decoded, written;
  if (!DibSurface(part, bits, part.imageSize, src, decoded, &written)) return 0;
  Surface& dst = bm.surface;
  PixelConverter conv(src, dst);
  const int w = std::min(src.width, dst.width);
  for (int r = 0; r < int(lines); ++r) {
    // The row's place in the whole image, counted from the top.
    const int imageRow = info.topDown ? int(start) + r : info.height - 1 - (int(start) + (int(lines) - 1 - r));
    if (imageRow < 0 || imageRow >= dst.height) continue;
    for (int x = 0; x < w; ++x) {
      if (!written.empty() && !written[size_t(r) * size_t(src.width) + size_t(x)]) continue;
      dst.Set(x, imageRow, conv(src.Get(x, r)));
    }
  }
  return int(lines);
}

}  // namespace

WIN32_API int WINAPI SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits,
                               const BITMAPINFO* lpbmi, UINT ColorUse) {
  GDI_LOCK();
  auto bm = FindAs<BitmapObj>(hbm, OBJ_BITMAP);
  std::shared_ptr<DcObj> dc = hdc ? FindDc(hdc) : nullptr;
  if (!bm || !lpBits) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DibInfo info;
  if (!ParseDib(lpbmi, kTrustedInfo, ColorUse, dc ? dc->st.palette.get() : nullptr, info)) return 0;
  return CopyDibRows(*bm, info, start, cLines, lpBits);
}

WIN32_API HBITMAP WINAPI CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* pbmih, DWORD flInit, const void* pjBits,
                                        const BITMAPINFO* pbmi, UINT iUsage) {
  GDI_LOCK();
  if (!pbmih) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  LONG width, height;
  if (pbmih->biSize == sizeof(BITMAPCOREHEADER)) {
    const auto* core = reinterpret_cast<const BITMAPCOREHEADER*>(pbmih);
    width = core->bcWidth;
    height = core->bcHeight;
  } else if (pbmih->biSize >= sizeof(BITMAPINFOHEADER)) {
    width = pbmih->biWidth;
    height = pbmih->biHeight;
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (width <= 0 || height == 0 || height == INT32_MIN) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (height < 0) height = -height;
  // A bitmap of the DC's format: the display's colours, or the bitmap selected into a memory DC.
  int bpp = 32;
  if (hdc) {
    auto dc = FindDc(hdc);
    if (!dc) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
    if (dc->st.bitmap) bpp = dc->st.bitmap->surface.bpp;
  }
  auto bm = NewDeviceBitmap(width, height, bpp);
  if (!bm) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if ((flInit & CBM_INIT) && pjBits && pbmi) {
    DibInfo info;
    std::shared_ptr<DcObj> dc = hdc ? FindDc(hdc) : nullptr;
    if (!ParseDib(pbmi, kTrustedInfo, iUsage, dc ? dc->st.palette.get() : nullptr, info)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    CopyDibRows(*bm, info, 0, UINT(info.height), pjBits);
  }
  return static_cast<HBITMAP>(InsertObject(bm));
}

WIN32_API int WINAPI GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi,
                               UINT usage) {
  GDI_LOCK();
  auto bm = FindAs<BitmapObj>(hbm, OBJ_BITMAP);
  auto dc = FindDc(hdc);
  if (!bm || !dc || !lpbmi || usage > DIB_PAL_COLORS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const Surface& src = bm->surface;
  BITMAPINFOHEADER& h = lpbmi->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) && h.biSize != sizeof(BITMAPCOREHEADER)) return 0;
  if (h.biSize == sizeof(BITMAPCOREHEADER)) return 0;  // the old header is not filled here
  RGBQUAD* table = reinterpret_cast<RGBQUAD*>(reinterpret_cast<uint8_t*>(lpbmi) + h.biSize);
  if (h.biBitCount == 0) {
    // Describe the bitmap itself.
    DescribeSurface(src, bm->dib && !bm->bottomUp, h);
    if (bm->dib) h.biHeight = bm->bottomUp ? src.height : -src.height;
    if (src.bpp == 16 || src.bpp == 32) {
      h.biCompression = BI_BITFIELDS;
      std::memcpy(table, src.masks, 12);
    }
    h.biClrUsed = 0;
    return 1;
  }
  const int bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return 0;
  if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32))) return 0;
  const bool topDown = h.biHeight < 0;
  h.biWidth = src.width;
  h.biHeight = topDown ? -src.height : src.height;
  h.biPlanes = 1;
  Surface out;
  out.width = src.width;
  out.bpp = bpp;
  if (bpp <= 8) {
    out.colors = (src.bpp == bpp) ? src.colors : DefaultColorTable(bpp);
    out.colors.resize(size_t(1) << bpp, RGBQUAD{0, 0, 0, 0});
    for (size_t i = 0; i < out.colors.size(); ++i) {
      if (usage == DIB_PAL_COLORS)
        reinterpret_cast<WORD*>(table)[i] = WORD(i);
      else
        table[i] = out.colors[i];
    }
    h.biClrUsed = 0;
  } else if (h.biCompression == BI_BITFIELDS) {
    std::memcpy(out.masks, table, 12);
    if (!(out.masks[0] && out.masks[1] && out.masks[2])) {
      DefaultMasks(bpp, out.masks);
      if (bpp == 16) {
        out.masks[0] = 0xF800;
        out.masks[1] = 0x07E0;
        out.masks[2] = 0x001F;
      }
      std::memcpy(table, out.masks, 12);
    }
  } else {
    DefaultMasks(bpp, out.masks);
  }
  const size_t stride = RowBytes(src.width, bpp, 4);
  h.biSizeImage = DWORD(stride * size_t(src.height));
  if (!lpvBits) return src.height;
  if (start >= UINT(src.height)) return 0;
  const UINT lines = std::min<UINT>(cLines, UINT(src.height) - start);
  PixelConverter conv(src, out);
  for (UINT r = 0; r < lines; ++r) {
    out.scan0 = static_cast<uint8_t*>(lpvBits) + stride * r;
    out.stride = ptrdiff_t(stride);
    out.height = 1;
    // Row r of the output is scan line start + r: from the top for top-down output.
    const int srcRow = topDown ? int(start + r) : src.height - 1 - int(start + r);
    std::memset(out.scan0, 0, stride);
    for (int x = 0; x < src.width; ++x) out.Set(x, 0, conv(src.Get(x, srcRow)));
  }
  return int(lines);
}

WIN32_API LONG WINAPI GetBitmapBits(HBITMAP hbit, LONG cb, LPVOID lpvBits) {
  GDI_LOCK();
  auto bm = FindAs<BitmapObj>(hbit, OBJ_BITMAP);
  if (!bm || cb < 0) return 0;
  const Surface& s = bm->surface;
  const size_t row = RowBytes(s.width, s.bpp, 2);
  const size_t total = row * size_t(s.height);
  if (!lpvBits) return LONG(total);
  const size_t n = std::min(total, size_t(cb));
  for (size_t y = 0; y * row < n; ++y) std::memcpy(static_cast<uint8_t*>(lpvBits) + y * row, s.Row(int(y)), std::min(row, n - y * row));
  return LONG(n);
}

WIN32_API LONG WINAPI SetBitmapBits(HBITMAP hbm, DWORD cb, const void* pvBits) {
  GDI_LOCK();
  auto bm = FindAs<BitmapObj>(hbm, OBJ_BITMAP);
  if (!bm || !pvBits || bm->stock) return 0;
  Surface& s = bm->surface;
  const size_t row = RowBytes(s.width, s.bpp, 2);
  const size_t n = std::min(row * size_t(s.height), size_t(cb));
  for (size_t y = 0; y * row < n; ++y) std::memcpy(s.Row(int(y)), static_cast<const uint8_t*>(pvBits) + y * row, std::min(row, n - y * row));
  return LONG(n);
}

WIN32_API UINT WINAPI GetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, RGBQUAD* prgbq) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc || !dc->st.bitmap || !dc->st.bitmap->dib || !prgbq) return 0;
  const auto& colors = dc->st.bitmap->surface.colors;
  if (iStart >= colors.size()) return 0;
  const UINT n = std::min<UINT>(cEntries, UINT(colors.size()) - iStart);
  std::memcpy(prgbq, colors.data() + iStart, n * sizeof(RGBQUAD));
  return n;
}

WIN32_API UINT WINAPI SetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, const RGBQUAD* prgbq) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc || !dc->st.bitmap || !dc->st.bitmap->dib || !prgbq) return 0;
  auto& colors = dc->st.bitmap->surface.colors;
  if (iStart >= colors.size()) return 0;
  const UINT n = std::min<UINT>(cEntries, UINT(colors.size()) - iStart);
  for (UINT i = 0; i < n; ++i) colors[iStart + i] = RGBQUAD{prgbq[i].rgbBlue, prgbq[i].rgbGreen, prgbq[i].rgbRed, 0};
  return n;
}

WIN32_API BOOL WINAPI GetBitmapDimensionEx(HBITMAP hbit, LPSIZE lpsize) {
  GDI_LOCK();
  auto bm = FindAs<BitmapObj>(hbit, OBJ_BITMAP);
  if (!bm || !lpsize) return FALSE;
  *lpsize = bm->dimension;
  return TRUE;
}

WIN32_API COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc) || !d.surf) return CLR_INVALID;
  const POINT p = d.ToPixel(x, y);
  if (!d.clip.Contains(p.x, p.y)) return CLR_INVALID;
  return d.surf->ColorOf(d.surf->Get(p.x, p.y));
}

WIN32_API COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { journal->Words(EMR_SETPIXELV, {DWORD(x), DWORD(y), color}); const POINT p{x, y}; journal->Touch(&p, 1); }
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc) || !d.surf) return COLORREF(-1);
  const POINT p = d.ToPixel(x, y);
  if (!d.clip.Contains(p.x, p.y)) return COLORREF(-1);
  const DWORD pixel = PixelOfColor(*d.dc, *d.surf, color);
  d.surf->Set(p.x, p.y, pixel);
  return d.surf->ColorOf(pixel);
}

WIN32_API BOOL WINAPI SetPixelV(HDC hdc, int x, int y, COLORREF color) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { journal->Words(EMR_SETPIXELV, {DWORD(x), DWORD(y), color}); const POINT p{x, y}; journal->Touch(&p, 1); }
  return SetPixel(hdc, x, y, color) != COLORREF(-1) ? TRUE : FALSE;
}

WIN32_API HBRUSH WINAPI CreateDIBPatternBrushPt(const void* lpPackedDIB, UINT iUsage) {
  GDI_LOCK();
  DibInfo info;
  if (!lpPackedDIB || iUsage > DIB_PAL_COLORS ||
      !ParseDib(static_cast<const BITMAPINFO*>(lpPackedDIB), kTrustedInfo, iUsage, nullptr, info) ||
      (info.compression != BI_RGB && info.compression != BI_BITFIELDS)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto b = std::make_shared<BrushObj>();
  b->style = BS_DIBPATTERNPT;
  b->dibUsage = iUsage;
  const size_t total = info.infoSize + info.imageSize;
  b->packedDib.assign(static_cast<const uint8_t*>(lpPackedDIB), static_cast<const uint8_t*>(lpPackedDIB) + total);
  Surface src;
  std::vector<uint8_t> decoded;
  if (!DibSurface(info, b->packedDib.data() + info.infoSize, info.imageSize, src, decoded, nullptr)) return nullptr;
  b->patternBits.resize(info.stride * size_t(info.height));
  auto pat = std::make_shared<Surface>(src);
  pat->scan0 = b->patternBits.data();
  pat->stride = ptrdiff_t(info.stride);
  for (int y = 0; y < info.height; ++y) std::memcpy(pat->Row(y), src.Row(y), info.stride);
  b->pattern = pat;
  return static_cast<HBRUSH>(InsertObject(b));
}
