// Block transfers: PatBlt, BitBlt, StretchBlt, MaskBlt and the DIB calls, with the three-operand
// raster operations, colour conversion between formats and the stretch modes.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "gdi/bitmap.h"
#include "gdi/device.h"
#include "gdi/draw.h"
#include "win32/hostgdi.h"
#include "emf/recorder.h"

namespace zolt::host::gdi {

namespace {

// 8 x 8 ordered-dither thresholds (0..63).
const uint8_t kBayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                              {12, 44, 4, 36, 14, 46, 6, 38},  {60, 28, 52, 20, 62, 30, 54, 22},
                              {3, 35, 11, 43, 1, 33, 9, 41},   {51, 19, 59, 27, 49, 17, 57, 25},
                              {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21}};

struct Source {
  const Surface* surf = nullptr;
  const std::vector<uint8_t>* written = nullptr;  // run-length bitmaps: pixels the runs set
  bool fromDc = false;
  COLORREF bkColor = RGB(255, 255, 255);           // the source DC's background (colour to mono)
};

struct BlitArgs {
  double dx0, dy0, dx1, dy1;  // destination corners in surface pixels (mirrored when dx1 < dx0)
  int sx, sy, sw, sh;         // source rectangle (negative extents mirror)
  DWORD rop;                  // ROP3 code in bits 16-23, background ROP3 in bits 24-31 (masks)
  const Surface* mask = nullptr;
  int mx = 0, my = 0;
  int stretchMode = COLORONCOLOR;
};

// The source pixel of a destination step, or -1 when it lies outside the source.
void MapAxis(int dstLen, int srcStart, int srcLen, bool mirror, int srcLimit, std::vector<int>& out,
             std::vector<int>* spanEnd) {
  out.resize(size_t(dstLen));
  if (spanEnd) spanEnd->resize(size_t(dstLen));
  const int64_t n = srcLen;
  for (int i = 0; i < dstLen; ++i) {
    int64_t j = (int64_t(2 * i + 1) * n) / (2 * int64_t(dstLen));
    int64_t end = ((int64_t(i) + 1) * n + dstLen - 1) / dstLen;  // shrinking: the source pixels this step covers
    int64_t begin = (int64_t(i) * n) / dstLen;
    if (end <= begin) end = begin + 1;
    if (mirror) {
      j = n - 1 - j;
      const int64_t b = n - end, e = n - begin;
      begin = b;
      end = e;
    }
    const int64_t s = srcStart + j;
    out[size_t(i)] = (s < 0 || s >= srcLimit) ? -1 : int(s);
    if (spanEnd) {
      // Stored as begin in out when shrinking with a combining mode; end separately.
      (*spanEnd)[size_t(i)] = int(std::clamp<int64_t>(srcStart + end, 0, srcLimit));
      if (out[size_t(i)] >= 0) out[size_t(i)] = int(std::clamp<int64_t>(srcStart + begin, 0, srcLimit - 1));
    }
  }
}

bool Blit(DrawCtx& d, const Source& src, const BlitArgs& a) {
  if (DeviceDrawing* device = DeviceOf(d)) {
    DeviceBlit b;
    b.dx0 = a.dx0, b.dy0 = a.dy0, b.dx1 = a.dx1, b.dy1 = a.dy1;
    b.src = src.surf;
    b.written = src.written;
    b.srcBkColor = src.bkColor;
    b.sx = a.sx, b.sy = a.sy, b.sw = a.sw, b.sh = a.sh;
    b.rop = a.rop;
    b.mask = a.mask;
    b.mx = a.mx, b.my = a.my;
    b.stretchMode = a.stretchMode;
    return device->Blit(d, b);
  }
  Surface& dst = *d.surf;
  const uint8_t fore = uint8_t(a.rop >> 16);
  const uint8_t back = a.mask ? uint8_t(a.rop >> 24) : fore;
  const bool useSrc = RopUsesSource(fore) || RopUsesSource(back);
  const bool usePat = RopUsesPattern(fore) || RopUsesPattern(back);
  if (useSrc && !src.surf) return false;
  if (!std::isfinite(a.dx0) || !std::isfinite(a.dx1) || !std::isfinite(a.dy0) || !std::isfinite(a.dy1)) return false;
  const int64_t X0 = RoundCoord(std::min(a.dx0, a.dx1)), X1 = RoundCoord(std::max(a.dx0, a.dx1));
  const int64_t Y0 = RoundCoord(std::min(a.dy0, a.dy1)), Y1 = RoundCoord(std::max(a.dy0, a.dy1));
  if (X0 >= X1 || Y0 >= Y1) return true;
  const RECT box = d.clip.Box();
  const int cx0 = int(std::max<int64_t>(X0, box.left)), cx1 = int(std::min<int64_t>(X1, box.right));
  const int cy0 = int(std::max<int64_t>(Y0, box.top)), cy1 = int(std::min<int64_t>(Y1, box.bottom));
  if (cx0 >= cx1 || cy0 >= cy1) return true;
  Paint paint;
  if (usePat) {
    if (d.dc->st.brush->style == BS_NULL) return true;
    paint = d.BrushPaint();
  }
  if (!useSrc && !a.mask) {
    SpanPainter painter(dst, d.clip, paint, fore);
    painter.Rect(RECT{cx0, cy0, cx1, cy1});
    return true;
  }
  // Source sampling: destination steps [X0, X1) map onto the source rectangle.
  const int dw = int(X1 - X0), dh = int(Y1 - Y0);
  const int sw = std::abs(a.sw), sh = std::abs(a.sh);
  const int sl = a.sw < 0 ? a.sx + a.sw : a.sx, st = a.sh < 0 ? a.sy + a.sh : a.sy;
  const bool mirrorX = (a.dx1 < a.dx0) != (a.sw < 0), mirrorY = (a.dy1 < a.dy0) != (a.sh < 0);
  const Surface* s = src.surf;
  const bool halftone = a.stretchMode == HALFTONE && s;
  const bool combine = s && (a.stretchMode == BLACKONWHITE || a.stretchMode == WHITEONBLACK || halftone) &&
                       (sw > dw || sh > dh || halftone);
  std::vector<int> mapX, mapY, endX, endY;
  if (s) {
    if (sw == 0 || sh == 0) return true;
    MapAxis(dw, sl, sw, mirrorX, s->width, mapX, combine ? &endX : nullptr);
    MapAxis(dh, st, sh, mirrorY, s->height, mapY, combine ? &endY : nullptr);
  }
  // Colour conversion of the source into destination pixel values.
  Surface monoSrc;
  const bool monoToColour = s && s->monoDevice && !dst.monoDevice;
  const bool colourToMono = s && !s->monoDevice && dst.monoDevice && src.fromDc;
  const DWORD fgPixel = PixelOfColor(*d.dc, dst, d.dc->st.textColor);
  const DWORD bgPixel = PixelOfColor(*d.dc, dst, d.dc->st.bkColor);
  std::unique_ptr<PixelConverter> conv;
  if (s && !monoToColour && !colourToMono) conv = std::make_unique<PixelConverter>(*s, dst);
  const DWORD srcBkPixel = s ? s->PixelOf(src.bkColor) : 0;
  const DWORD white = dst.PixelOf(RGB(255, 255, 255)), black = dst.PixelOf(0);
  auto convert = [&](DWORD v) -> DWORD {
    if (monoToColour) return v ? bgPixel : fgPixel;
    if (colourToMono) return v == srcBkPixel ? 1 : 0;
    return (*conv)(v);
  };
  std::vector<DWORD> row(size_t(cx1 - cx0));
  std::vector<uint8_t> valid(size_t(cx1 - cx0));
  std::vector<uint8_t> useFore(size_t(cx1 - cx0), 1);
  for (int y = cy0; y < cy1; ++y) {
    if (!d.clip.FindBand(y)) continue;
    const int iy = y - int(Y0);
    int syRow = s ? mapY[size_t(iy)] : 0;
    if (s && syRow < 0) continue;
    for (int x = cx0; x < cx1; ++x) {
      const size_t k = size_t(x - cx0);
      valid[k] = 1;
      if (a.mask) {
        const int mxp = a.mx + (x - int(X0)), myp = a.my + iy;
        useFore[k] = a.mask->Contains(mxp, myp) ? uint8_t(a.mask->Get(mxp, myp) & 1) : 0;
      }
      if (!s) continue;
      const int sxCol = mapX[size_t(x - int(X0))];
      if (sxCol < 0) {
        valid[k] = 0;
        continue;
      }
      if (src.written && !(*src.written)[size_t(syRow) * size_t(s->width) + size_t(sxCol)]) {
        valid[k] = 0;
        continue;
      }
      if (!combine) {
        row[k] = convert(s->Get(sxCol, syRow));
        continue;
      }
      const int xe = std::max(endX[size_t(x - int(X0))], sxCol + 1), ye = std::max(endY[size_t(iy)], syRow + 1);
      if (halftone) {
        // Box average of the covered source pixels, then an ordered dither for few colours.
        uint32_t r = 0, g = 0, b = 0, n = 0;
        for (int yy = syRow; yy < ye; ++yy)
          for (int xx = sxCol; xx < xe; ++xx) {
            const COLORREF c = (s->monoDevice && !dst.monoDevice)
                                   ? ((s->Get(xx, yy) & 1) ? d.dc->st.bkColor : d.dc->st.textColor)
                                   : s->ColorOf(s->Get(xx, yy));
            r += GetRValue(c);
            g += GetGValue(c);
            b += GetBValue(c);
            ++n;
          }
        r /= n;
        g /= n;
        b /= n;
        if (dst.bpp == 1) {
          const uint32_t grey = (r * 77 + g * 151 + b * 28) >> 8;
          const uint32_t threshold = kBayer[y & 7][x & 7] * 4 + 2;
          row[k] = grey > threshold ? white : black;
        } else {
          row[k] = dst.PixelOf(RGB(r, g, b));
        }
        continue;
      }
      // Black on white keeps black pixels (AND), white on black keeps white ones (OR).
      DWORD acc = a.stretchMode == BLACKONWHITE ? 0xFFFFFFFFu : 0u;
      for (int yy = syRow; yy < ye; ++yy)
        for (int xx = sxCol; xx < xe; ++xx) {
          const DWORD v = convert(s->Get(xx, yy));
          acc = a.stretchMode == BLACKONWHITE ? (acc & v) : (acc | v);
        }
      row[k] = acc & dst.PixelMask();
    }
    d.clip.ClipSpan(y, cx0, cx1, [&](int l, int r) {
      int x = l;
      while (x < r) {
        const size_t k = size_t(x - cx0);
        if (!valid[k]) {
          ++x;
          continue;
        }
        int e = x + 1;
        while (e < r && valid[size_t(e - cx0)] && useFore[size_t(e - cx0)] == useFore[k]) ++e;
        RasterSpan(dst, y, x, e, paint, s ? &row[k] : nullptr, useFore[k] ? fore : back);
        x = e;
      }
    });
  }
  return true;
}

// The destination rectangle of logical x, y, w, h in surface pixels.
void DestCorners(const DrawCtx& d, int x, int y, int w, int h, BlitArgs& a) {
  d.ToSurface(x, y, a.dx0, a.dy0);
  d.ToSurface(double(x) + w, double(y) + h, a.dx1, a.dy1);
}

}  // namespace

}  // namespace zolt::host::gdi

using namespace zolt::host::gdi;

WIN32_API BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->PatternBlit(x, y, w, h, rop);
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  if (RopUsesSource(uint8_t(rop >> 16))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!d.Drawable()) return TRUE;
  BlitArgs a{};
  DestCorners(d, x, y, w, h, a);
  a.rop = rop;
  return Blit(d, Source{}, a) ? TRUE : FALSE;
}

namespace {

BOOL BlitFromDc(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
                int hSrc, DWORD rop, HBITMAP hbmMask, int xMask, int yMask) {
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdcDest)) return FALSE;
  const uint8_t fore = uint8_t(rop >> 16), back = uint8_t(rop >> 24);
  const bool useSrc = RopUsesSource(fore) || (hbmMask && RopUsesSource(back));
  BlitArgs a{};
  DestCorners(d, xDest, yDest, wDest, hDest, a);
  a.rop = rop;
  a.stretchMode = d.dc->st.stretchMode;
  std::shared_ptr<BitmapObj> maskBm;
  if (hbmMask) {
    maskBm = FindAs<BitmapObj>(hbmMask, OBJ_BITMAP);
    if (!maskBm || maskBm->surface.bpp != 1) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    a.mask = &maskBm->surface;
    a.mx = xMask;
    a.my = yMask;
  }
  Source src;
  std::shared_ptr<DcObj> sdc;
  if (useSrc) {
    sdc = FindDc(hdcSrc);
    if (!sdc) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    src.surf = sdc->Target();
    if (!src.surf) return d.surf ? FALSE : TRUE;
    src.fromDc = true;
    src.bkColor = ResolveColor(*sdc, sdc->st.bkColor);
    // The source rectangle in the source's surface pixels.
    const Matrix sm = LogicalToSurface(*sdc);
    double x0, y0, x1, y1;
    sm.Apply(xSrc, ySrc, x0, y0);
    sm.Apply(double(xSrc) + wSrc, double(ySrc) + hSrc, x1, y1);
    a.sx = RoundCoord(x0);
    a.sy = RoundCoord(y0);
    a.sw = RoundCoord(x1) - a.sx;
    a.sh = RoundCoord(y1) - a.sy;
  }
  if (!d.Drawable()) return TRUE;
  // The copy of one DC's surface onto itself reads the source before it is changed.
  std::vector<uint8_t> copy;
  Surface snapshot;
  if (src.surf && src.surf == d.surf) {
    snapshot = *src.surf;
    const size_t rowBytes = size_t(std::abs(snapshot.stride));
    copy.resize(rowBytes * size_t(snapshot.height));
    for (int yy = 0; yy < snapshot.height; ++yy) std::memcpy(copy.data() + rowBytes * size_t(yy), snapshot.Row(yy), rowBytes);
    snapshot.scan0 = copy.data();
    snapshot.stride = ptrdiff_t(rowBytes);
    src.surf = &snapshot;
  }
  return Blit(d, src, a) ? TRUE : FALSE;
}

}  // namespace

WIN32_API BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->DcBlit(EMR_BITBLT, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop, nullptr);
  return BlitFromDc(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop & 0x00FFFFFF, nullptr, 0, 0);
}

WIN32_API BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                                 int ySrc, int wSrc, int hSrc, DWORD rop) {
  zolt::host::emf::RecordScope journal(hdcDest);
  if (journal) journal->DcBlit(EMR_STRETCHBLT, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, rop, nullptr);
  return BlitFromDc(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, rop & 0x00FFFFFF, nullptr,
                    0, 0);
}

WIN32_API BOOL WINAPI MaskBlt(HDC hdcDest, int xDest, int yDest, int width, int height, HDC hdcSrc, int xSrc,
                              int ySrc, HBITMAP hbmMask, int xMask, int yMask, DWORD rop) {
  zolt::host::emf::RecordScope journal(hdcDest);
  if (journal && hbmMask) journal->MaskBlit(xDest, yDest, width, height, hdcSrc, xSrc, ySrc, hbmMask, xMask, yMask, rop);
  else if (journal) journal->DcBlit(EMR_BITBLT, xDest, yDest, width, height, hdcSrc, xSrc, ySrc, width, height, rop & 0x00FFFFFF, nullptr);
  if (!hbmMask) return BlitFromDc(hdcDest, xDest, yDest, width, height, hdcSrc, xSrc, ySrc, width, height,
                                  rop & 0x00FFFFFF, nullptr, 0, 0);
  // The foreground code in bits 16-23, the background code in bits 24-31.
  return BlitFromDc(hdcDest, xDest, yDest, width, height, hdcSrc, xSrc, ySrc, width, height, rop, hbmMask, xMask,
                    yMask);
}

// ---------------------------------------------------------------------------------------------
// DIBs drawn on a DC.

namespace zolt::host {

int StretchDIBitsChecked(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                         int SrcWidth, int SrcHeight, const void* lpBits, size_t cbBits, const BITMAPINFO* lpbmi,
                         size_t cbInfo, UINT iUsage, DWORD rop) {
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return 0;
  DibInfo info;
  if (iUsage > DIB_PAL_COLORS || !ParseDib(lpbmi, cbInfo, iUsage, d.dc->st.palette.get(), info)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Surface s;
  std::vector<uint8_t> decoded, written;
  const bool useSrc = RopUsesSource(uint8_t(rop >> 16));
  if (useSrc && !DibSurface(info, lpBits, cbBits, s, decoded, &written)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!d.Drawable()) return std::abs(DestHeight);
  BlitArgs a{};
  DestCorners(d, xDest, yDest, DestWidth, DestHeight, a);
  a.rop = rop & 0x00FFFFFF;
  a.stretchMode = d.dc->st.stretchMode;
  // The source rectangle's y counts from the bottom row of a bottom-up image.
  a.sx = xSrc;
  a.sw = SrcWidth;
  if (info.topDown) {
    a.sy = ySrc;
    a.sh = SrcHeight;
  } else {
    const int64_t top = int64_t(info.height) - ySrc - SrcHeight;
    if (top < INT32_MIN || top > INT32_MAX) return 0;
    a.sy = int(top);
    a.sh = SrcHeight;
    if (SrcHeight < 0) {
      a.sy = int(int64_t(info.height) - ySrc);
    }
  }
  Source src;
  if (useSrc) {
    src.surf = &s;
    src.written = written.empty() ? nullptr : &written;
  }
  if (!Blit(d, src, a)) return 0;
  return std::abs(DestHeight);
}

int SetDIBitsToDeviceChecked(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT StartScan,
                             UINT cLines, const void* lpvBits, size_t cbBits, const BITMAPINFO* lpbmi, size_t cbInfo,
                             UINT ColorUse) {
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return 0;
  DibInfo info;
  if (ColorUse > DIB_PAL_COLORS || !ParseDib(lpbmi, cbInfo, ColorUse, d.dc->st.palette.get(), info) ||
      w > 0x7FFFFFFF || h > 0x7FFFFFFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const bool rle = info.compression == BI_RLE8 || info.compression == BI_RLE4;
  // The bits hold scan lines StartScan .. StartScan + cLines - 1 (all of them for run-length bits).
  DibInfo part = info;
  if (!rle) {
    if (StartScan >= UINT(info.height)) return 0;
    cLines = std::min<UINT>(cLines, UINT(info.height) - StartScan);
    if (cLines == 0) return 0;
    part.height = int(cLines);
    part.imageSize = part.stride * cLines;
  } else {
    StartScan = 0;
    cLines = UINT(info.height);
  }
  Surface s;
  std::vector<uint8_t> decoded, written;
  if (!DibSurface(part, lpvBits, cbBits, s, decoded, &written)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!d.Drawable()) return int(cLines);
  // Source rows of the band as rows of the part: scan n of a bottom-up image is row
  // (height - 1 - n) from the top; the band starts at scan StartScan.
  const POINT org = d.ToPixel(xDest, yDest);
  BlitArgs a{};
  a.dx0 = org.x;
  a.dy0 = org.y;
  a.dx1 = double(org.x) + double(w);
  a.dy1 = double(org.y) + double(h);
  a.rop = SRCCOPY;
  a.sx = xSrc;
  a.sw = int(w);
  a.sh = int(h);
  if (info.topDown) {
    a.sy = ySrc - int(StartScan);
  } else {
    // Top row of the source rectangle is scan ySrc + h - 1; in the part it is row
    // (StartScan + cLines - 1) - scan.
    a.sy = int(int64_t(StartScan) + cLines - 1 - (int64_t(ySrc) + int64_t(h) - 1));
  }
  Source src;
  src.surf = &s;
  src.written = written.empty() ? nullptr : &written;
  if (!Blit(d, src, a)) return 0;
  return int(cLines);
}

}  // namespace zolt::host

namespace {
constexpr size_t kTrustedInfo = size_t(1) << 20;

size_t TrustedBits(const BITMAPINFO* bmi, UINT lines) {
  if (!bmi) return 0;
  const BITMAPINFOHEADER& h = bmi->bmiHeader;
  if (h.biSize == sizeof(BITMAPCOREHEADER)) {
    const auto* c = reinterpret_cast<const BITMAPCOREHEADER*>(bmi);
    return RowBytes(c->bcWidth, c->bcBitCount, 4) * std::min<UINT>(lines, c->bcHeight);
  }
  if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) return h.biSizeImage;
  const int64_t height = h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight;
  return RowBytes(h.biWidth, h.biBitCount, 4) * size_t(std::min<int64_t>(lines, height));
}
}  // namespace

WIN32_API int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                                   int SrcWidth, int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi,
                                   UINT iUsage, DWORD rop) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->DibBlit(EMR_STRETCHDIBITS, xDest, yDest, DestWidth, DestHeight, xSrc, ySrc, SrcWidth, SrcHeight, 0, 0, lpBits, lpbmi, iUsage, rop);
  return zolt::host::StretchDIBitsChecked(hdc, xDest, yDest, DestWidth, DestHeight, xSrc, ySrc, SrcWidth, SrcHeight,
                                          lpBits, TrustedBits(lpbmi, 0x7FFFFFFF), lpbmi, kTrustedInfo, iUsage, rop);
}

WIN32_API int WINAPI SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc,
                                       UINT StartScan, UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi,
                                       UINT ColorUse) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->DibBlit(EMR_SETDIBITSTODEVICE, xDest, yDest, int(w), int(h), xSrc, ySrc, int(w), int(h), StartScan, cLines, lpvBits, lpbmi, ColorUse, SRCCOPY);
  return zolt::host::SetDIBitsToDeviceChecked(hdc, xDest, yDest, w, h, xSrc, ySrc, StartScan, cLines, lpvBits,
                                              TrustedBits(lpbmi, cLines), lpbmi, kTrustedInfo, ColorUse);
}
