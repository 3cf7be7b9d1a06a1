// Blending, gradients and the other transfers with an engine entry of their own: AlphaBlend,
// GradientFill, TransparentBlt and PlgBlt. Each call is checked, made into an effect in surface
// pixels (gdi/effects.h) and drawn by the raster, or handed to the driver engine on a printer DC.
#include <algorithm>
#include <cmath>

#include "gdi/device.h"
#include "win32/blits.h"
#include "gdi/draw.h"
#include "gdi/effects.h"
#include "emf/recorder.h"

namespace zolt::host::gdi {

namespace {

BOOL Draw(DrawCtx& d, const DeviceEffect& e) {
  if (DeviceDrawing* device = DeviceOf(d)) return device->Effect(d, e) ? TRUE : FALSE;
  DrawEffect(e, *d.surf, POINT{0, 0}, d.clip, nullptr);
  return TRUE;
}

// The source rectangle of a transfer in the source's pixels; false (ERROR_INVALID_PARAMETER)
// when it does not lie inside the source.
bool SourcePixels(const DcObj& sdc, const Surface& src, int x, int y, int w, int h, RECT& out) {
  const Matrix sm = LogicalToSurface(sdc);
  double sx0, sy0, sx1, sy1;
  sm.Apply(x, y, sx0, sy0);
  sm.Apply(double(x) + w, double(y) + h, sx1, sy1);
  out = RECT{RoundCoord(std::min(sx0, sx1)), RoundCoord(std::min(sy0, sy1)), RoundCoord(std::max(sx0, sx1)),
             RoundCoord(std::max(sy0, sy1))};
  if (out.left < 0 || out.top < 0 || out.right > src.width || out.bottom > src.height) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

// A destination rectangle in surface pixels, ordered.
RECT DestPixels(const DrawCtx& d, int x, int y, int w, int h) {
  double dx0, dy0, dx1, dy1;
  d.ToSurface(x, y, dx0, dy0);
  d.ToSurface(double(x) + w, double(y) + h, dx1, dy1);
  return RECT{RoundCoord(std::min(dx0, dx1)), RoundCoord(std::min(dy0, dy1)), RoundCoord(std::max(dx0, dx1)),
              RoundCoord(std::max(dy0, dy1))};
}

// The source DC of a transfer and its bitmap; false (with the error) when there is none.
bool SourceDc(HDC hdcSrc, std::shared_ptr<DcObj>& sdc) {
  sdc = FindDc(hdcSrc);
  if (!sdc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  return true;
}

// What AlphaBlend and TransparentBlt share: the DCs, the checks, the source pixels and the
// destination. False when the call ends here with `result`.
bool StretchedEffect(DrawCtx& d, HDC hdcDest, int xd, int yd, int wd, int hd, HDC hdcSrc, int xs, int ys, int ws, int hs,
                     bool argsOk, DeviceEffect& e, std::shared_ptr<DcObj>& sdc, BOOL& result) {
  result = FALSE;
  if (!d.Open(hdcDest) || !SourceDc(hdcSrc, sdc)) return false;
  if (!argsOk || wd < 0 || hd < 0 || ws < 0 || hs < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const Surface* src = sdc->Target();
  result = d.surf ? FALSE : TRUE;
  if (!src) return false;
  RECT s;
  result = FALSE;
  if (!SourcePixels(*sdc, *src, xs, ys, ws, hs, s)) return false;
  result = TRUE;
  if (!d.Drawable() || s.right <= s.left || s.bottom <= s.top) return false;
  e.dest = e.bounds = DestPixels(d, xd, yd, wd, hd);
  if (e.dest.left >= e.dest.right || e.dest.top >= e.dest.bottom) return false;
  e.src = CopyEffectImage(*src, s.left, s.top, s.right - s.left, s.bottom - s.top);
  return true;
}

}  // namespace

}  // namespace zolt::host::gdi

using namespace zolt::host::gdi;

WIN32_API BOOL WINAPI GradientFill(HDC hdc, PTRIVERTEX pVertex, ULONG nVertex, PVOID pMesh, ULONG nMesh,
                                   ULONG ulMode) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Gradient(pVertex, nVertex, pMesh, nMesh, ulMode);
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  if (ulMode > GRADIENT_FILL_TRIANGLE || (nVertex && !pVertex) || (nMesh && !pMesh)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DeviceEffect e;
  e.kind = DeviceEffect::kGradient;
  e.mode = ulMode;
  // Every index is checked before anything is drawn.
  const ULONG per = ulMode == GRADIENT_FILL_TRIANGLE ? 3 : 2;
  const auto* idx = static_cast<const ULONG*>(pMesh);
  e.mesh.assign(idx, idx + size_t(nMesh) * per);
  for (ULONG i : e.mesh)
    if (i >= nVertex) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  if (!d.Drawable() || nMesh == 0) return TRUE;
  e.vertices.assign(pVertex, pVertex + nVertex);
  double x0 = 1e18, y0 = 1e18, x1 = -1e18, y1 = -1e18;
  for (ULONG i = 0; i < nVertex; ++i) {
    double x, y;
    d.ToSurface(pVertex[i].x, pVertex[i].y, x, y);
    e.vx.push_back(x), e.vy.push_back(y);
  }
  for (ULONG i : e.mesh) {
    x0 = std::min(x0, e.vx[i]), x1 = std::max(x1, e.vx[i]);
    y0 = std::min(y0, e.vy[i]), y1 = std::max(y1, e.vy[i]);
  }
  auto c = [](double v) { return LONG(std::clamp(v, -1e9, 1e9)); };
  // Rectangles cover [round(left), round(right)); triangles every pixel centre inside them.
  if (ulMode == GRADIENT_FILL_TRIANGLE)
    e.bounds = RECT{c(std::floor(x0)), c(std::floor(y0)), c(std::ceil(x1)) + 1, c(std::ceil(y1)) + 1};
  else
    e.bounds = RECT{RoundCoord(c(x0)), RoundCoord(c(y0)), RoundCoord(c(x1)), RoundCoord(c(y1))};
  return Draw(d, e);
}

WIN32_API BOOL WINAPI AlphaBlend(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                                 int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, BLENDFUNCTION ftn) {
  zolt::host::emf::RecordScope journal(hdcDest);
  if (journal) journal->DcBlit(EMR_ALPHABLEND, xoriginDest, yoriginDest, wDest, hDest, hdcSrc, xoriginSrc, yoriginSrc, wSrc, hSrc, 0, &ftn);
  GDI_LOCK();
  DrawCtx d;
  DeviceEffect e;
  e.kind = DeviceEffect::kAlphaBlend;
  std::shared_ptr<DcObj> sdc;
  BOOL result;
  if (!StretchedEffect(d, hdcDest, xoriginDest, yoriginDest, wDest, hDest, hdcSrc, xoriginSrc, yoriginSrc, wSrc, hSrc,
                       ftn.BlendOp == AC_SRC_OVER, e, sdc, result))
    return result;
  e.blend = ftn;
  return Draw(d, e);
}

WIN32_API BOOL WINAPI TransparentBlt(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                                     int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, UINT crTransparent) {
  zolt::host::emf::RecordScope journal(hdcDest);
  if (journal) journal->DcBlit(EMR_TRANSPARENTBLT, xoriginDest, yoriginDest, wDest, hDest, hdcSrc, xoriginSrc, yoriginSrc, wSrc, hSrc, crTransparent, nullptr);
  GDI_LOCK();
  DrawCtx d;
  DeviceEffect e;
  e.kind = DeviceEffect::kTransparent;
  std::shared_ptr<DcObj> sdc;
  BOOL result;
  if (!StretchedEffect(d, hdcDest, xoriginDest, yoriginDest, wDest, hDest, hdcSrc, xoriginSrc, yoriginSrc, wSrc, hSrc,
                       true, e, sdc, result))
    return result;
  const Surface* src = sdc->Target();
  // The colour left out as the source shows it (an indexed source: its nearest entry).
  e.transparent = src->ColorOf(src->PixelOf(ResolveColor(*sdc, crTransparent)));
  return Draw(d, e);
}

WIN32_API BOOL WINAPI PlgBlt(HDC hdcDest, const POINT* lpPoint, HDC hdcSrc, int xSrc, int ySrc, int width, int height,
                             HBITMAP hbmMask, int xMask, int yMask) {
  zolt::host::emf::RecordScope journal(hdcDest);
  if (journal && lpPoint) journal->PlgBlit(lpPoint, hdcSrc, xSrc, ySrc, width, height, hbmMask, xMask, yMask);
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdcDest)) return FALSE;
  std::shared_ptr<DcObj> sdc;
  if (!SourceDc(hdcSrc, sdc)) return FALSE;
  if (!lpPoint || width < 0 || height < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::shared_ptr<BitmapObj> maskBm;
  if (hbmMask) {
    maskBm = FindAs<BitmapObj>(hbmMask, OBJ_BITMAP);
    if (!maskBm || maskBm->surface.bpp != 1) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  }
  const Surface* src = sdc->Target();
  if (!src) return d.surf ? FALSE : TRUE;
  RECT s;
  if (!SourcePixels(*sdc, *src, xSrc, ySrc, width, height, s)) return FALSE;
  if (!d.Drawable() || s.right <= s.left || s.bottom <= s.top) return TRUE;
  DeviceEffect e;
  e.kind = DeviceEffect::kPlg;
  e.stretchMode = d.dc->st.stretchMode;
  e.src = CopyEffectImage(*src, s.left, s.top, s.right - s.left, s.bottom - s.top);
  for (int i = 0; i < 3; ++i) {
    d.ToSurface(lpPoint[i].x, lpPoint[i].y, e.px[i], e.py[i]);
    if (!std::isfinite(e.px[i]) || !std::isfinite(e.py[i])) return FALSE;
  }
  const double fx = e.px[1] + e.px[2] - e.px[0], fy = e.py[1] + e.py[2] - e.py[0];
  auto c = [](double v) { return LONG(std::clamp(v, -1e9, 1e9)); };
  e.bounds = RECT{c(std::floor(std::min({e.px[0], e.px[1], e.px[2], fx}))),
                  c(std::floor(std::min({e.py[0], e.py[1], e.py[2], fy}))),
                  c(std::ceil(std::max({e.px[0], e.px[1], e.px[2], fx}))) + 1,
                  c(std::ceil(std::max({e.py[0], e.py[1], e.py[2], fy}))) + 1};
  if (maskBm) {
    // A mask pixel of 1 takes the source pixel; outside the mask bitmap the source is taken.
    auto mask = std::make_shared<std::vector<uint8_t>>(size_t(e.src->w) * size_t(e.src->h), 1);
    const Surface& m = maskBm->surface;
    for (int y = 0; y < e.src->h; ++y)
      for (int x = 0; x < e.src->w; ++x)
        if (m.Contains(xMask + x, yMask + y))
          (*mask)[size_t(y) * size_t(e.src->w) + size_t(x)] = uint8_t(m.Get(xMask + x, yMask + y) & 1);
    e.mask = mask;
  }
  return Draw(d, e);
}
