// Blending and gradients: AlphaBlend (constant and per-pixel premultiplied alpha, stretched by
// nearest pixel) and GradientFill (horizontal and vertical rectangles, Gouraud triangles).
#include <algorithm>
#include <cmath>

#include "gdi/draw.h"

namespace zolt::host::gdi {

namespace {

// A channel 0..255 of a 16-bit vertex colour.
double Channel16(COLOR16 c) { return double(c) / 256.0; }

BYTE ClampByte(double v) { return BYTE(std::clamp(std::lround(v), 0L, 255L)); }

void PutColor(DrawCtx& d, int x, int y, double r, double g, double b) {
  d.surf->Set(x, y, d.surf->PixelOf(RGB(ClampByte(r), ClampByte(g), ClampByte(b))));
}

// Pixels [x0, x1) x [y0, y1) of the clip, calling fn(x, y).
template <class Fn>
void ForClipped(const DrawCtx& d, int x0, int y0, int x1, int y1, Fn&& fn) {
  const RECT box = d.clip.Box();
  y0 = std::max(y0, int(box.top));
  y1 = std::min(y1, int(box.bottom));
  for (int y = y0; y < y1; ++y)
    d.clip.ClipSpan(y, x0, x1, [&](int a, int b) {
      for (int x = a; x < b; ++x) fn(x, y);
    });
}

void FillGradientRect(DrawCtx& d, const TRIVERTEX& a, const TRIVERTEX& b, bool vertical) {
  double ax, ay, bx, by;
  d.ToSurface(a.x, a.y, ax, ay);
  d.ToSurface(b.x, b.y, bx, by);
  const int x0 = RoundCoord(std::min(ax, bx)), x1 = RoundCoord(std::max(ax, bx));
  const int y0 = RoundCoord(std::min(ay, by)), y1 = RoundCoord(std::max(ay, by));
  if (x0 >= x1 || y0 >= y1) return;
  // Colours run from the upper-left vertex to the lower-right one along the axis.
  const bool flip = vertical ? ay > by : ax > bx;
  const TRIVERTEX& from = flip ? b : a;
  const TRIVERTEX& to = flip ? a : b;
  const double span = vertical ? double(y1 - y0) : double(x1 - x0);
  ForClipped(d, x0, y0, x1, y1, [&](int x, int y) {
    const double t = (vertical ? double(y - y0) : double(x - x0)) / span;
    PutColor(d, x, y, Channel16(from.Red) + (Channel16(to.Red) - Channel16(from.Red)) * t,
             Channel16(from.Green) + (Channel16(to.Green) - Channel16(from.Green)) * t,
             Channel16(from.Blue) + (Channel16(to.Blue) - Channel16(from.Blue)) * t);
  });
}

void FillGradientTriangle(DrawCtx& d, const TRIVERTEX* v[3]) {
  double px[3], py[3];
  for (int i = 0; i < 3; ++i) d.ToSurface(v[i]->x, v[i]->y, px[i], py[i]);
  const double det = (py[1] - py[2]) * (px[0] - px[2]) + (px[2] - px[1]) * (py[0] - py[2]);
  if (det == 0 || !std::isfinite(det)) return;
  const double minX = std::min({px[0], px[1], px[2]}), maxX = std::max({px[0], px[1], px[2]});
  const double minY = std::min({py[0], py[1], py[2]}), maxY = std::max({py[0], py[1], py[2]});
  const RECT box = d.clip.Box();
  const int x0 = std::max(int(box.left), int(std::floor(std::max(minX, -1e9))));
  const int x1 = std::min(int(box.right), int(std::ceil(std::min(maxX, 1e9))) + 1);
  const int y0 = std::max(int(box.top), int(std::floor(std::max(minY, -1e9))));
  const int y1 = std::min(int(box.bottom), int(std::ceil(std::min(maxY, 1e9))) + 1);
  if (x0 >= x1 || y0 >= y1) return;
  ForClipped(d, x0, y0, x1, y1, [&](int x, int y) {
    const double cx = x + 0.5, cy = y + 0.5;
    const double w0 = ((py[1] - py[2]) * (cx - px[2]) + (px[2] - px[1]) * (cy - py[2])) / det;
    const double w1 = ((py[2] - py[0]) * (cx - px[2]) + (px[0] - px[2]) * (cy - py[2])) / det;
    const double w2 = 1 - w0 - w1;
    constexpr double kEdge = -1e-9;
    if (w0 < kEdge || w1 < kEdge || w2 < kEdge) return;
    PutColor(d, x, y, w0 * Channel16(v[0]->Red) + w1 * Channel16(v[1]->Red) + w2 * Channel16(v[2]->Red),
             w0 * Channel16(v[0]->Green) + w1 * Channel16(v[1]->Green) + w2 * Channel16(v[2]->Green),
             w0 * Channel16(v[0]->Blue) + w1 * Channel16(v[1]->Blue) + w2 * Channel16(v[2]->Blue));
  });
}

}  // namespace

}  // namespace zolt::host::gdi

using namespace zolt::host::gdi;

WIN32_API BOOL WINAPI GradientFill(HDC hdc, PTRIVERTEX pVertex, ULONG nVertex, PVOID pMesh, ULONG nMesh,
                                   ULONG ulMode) {
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  if (ulMode > GRADIENT_FILL_TRIANGLE || (nVertex && !pVertex) || (nMesh && !pMesh)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // Every index is checked before anything is drawn.
  if (ulMode == GRADIENT_FILL_TRIANGLE) {
    const auto* tri = static_cast<const GRADIENT_TRIANGLE*>(pMesh);
    for (ULONG i = 0; i < nMesh; ++i)
      if (tri[i].Vertex1 >= nVertex || tri[i].Vertex2 >= nVertex || tri[i].Vertex3 >= nVertex) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
    if (!d.Drawable()) return TRUE;
    for (ULONG i = 0; i < nMesh; ++i) {
      const TRIVERTEX* v[3] = {&pVertex[tri[i].Vertex1], &pVertex[tri[i].Vertex2], &pVertex[tri[i].Vertex3]};
      FillGradientTriangle(d, v);
    }
    return TRUE;
  }
  const auto* rects = static_cast<const GRADIENT_RECT*>(pMesh);
  for (ULONG i = 0; i < nMesh; ++i)
    if (rects[i].UpperLeft >= nVertex || rects[i].LowerRight >= nVertex) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  if (!d.Drawable()) return TRUE;
  for (ULONG i = 0; i < nMesh; ++i)
    FillGradientRect(d, pVertex[rects[i].UpperLeft], pVertex[rects[i].LowerRight], ulMode == GRADIENT_FILL_RECT_V);
  return TRUE;
}

WIN32_API BOOL WINAPI AlphaBlend(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                                 int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, BLENDFUNCTION ftn) {
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdcDest)) return FALSE;
  auto sdc = FindDc(hdcSrc);
  if (!sdc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (ftn.BlendOp != AC_SRC_OVER || wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const Surface* src = sdc->Target();
  if (!src) return d.surf ? FALSE : TRUE;
  // The source rectangle in the source's pixels must lie inside the source.
  const Matrix sm = LogicalToSurface(*sdc);
  double sx0, sy0, sx1, sy1;
  sm.Apply(xoriginSrc, yoriginSrc, sx0, sy0);
  sm.Apply(double(xoriginSrc) + wSrc, double(yoriginSrc) + hSrc, sx1, sy1);
  const int sl = RoundCoord(std::min(sx0, sx1)), sr = RoundCoord(std::max(sx0, sx1));
  const int st = RoundCoord(std::min(sy0, sy1)), sb = RoundCoord(std::max(sy0, sy1));
  if (sl < 0 || st < 0 || sr > src->width || sb > src->height) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!d.Drawable() || sr <= sl || sb <= st) return TRUE;
  double dx0, dy0, dx1, dy1;
  d.ToSurface(xoriginDest, yoriginDest, dx0, dy0);
  d.ToSurface(double(xoriginDest) + wDest, double(yoriginDest) + hDest, dx1, dy1);
  const int dl = RoundCoord(std::min(dx0, dx1)), dr = RoundCoord(std::max(dx0, dx1));
  const int dt = RoundCoord(std::min(dy0, dy1)), db = RoundCoord(std::max(dy0, dy1));
  if (dl >= dr || dt >= db) return TRUE;
  const bool perPixel = (ftn.AlphaFormat & AC_SRC_ALPHA) != 0 && src->bpp == 32;
  const double constant = ftn.SourceConstantAlpha / 255.0;
  Surface& dst = *d.surf;
  ForClipped(d, dl, dt, dr, db, [&](int x, int y) {
    const int px = sl + int((int64_t(x - dl) * (sr - sl)) / (dr - dl));
    const int py = st + int((int64_t(y - dt) * (sb - st)) / (db - dt));
    const DWORD sp = src->Get(px, py);
    const COLORREF sc = src->ColorOf(sp);
    const COLORREF dc = dst.ColorOf(dst.Get(x, y));
    double r, g, b;
    if (perPixel) {
      // Premultiplied source: dst = src * k + dst * (1 - alpha * k).
      const double alpha = double(sp >> 24) / 255.0;
      const double keep = 1 - alpha * constant;
      r = GetRValue(sc) * constant + GetRValue(dc) * keep;
      g = GetGValue(sc) * constant + GetGValue(dc) * keep;
      b = GetBValue(sc) * constant + GetBValue(dc) * keep;
    } else {
      r = GetRValue(sc) * constant + GetRValue(dc) * (1 - constant);
      g = GetGValue(sc) * constant + GetGValue(dc) * (1 - constant);
      b = GetBValue(sc) * constant + GetBValue(dc) * (1 - constant);
    }
    dst.Set(x, y, dst.PixelOf(RGB(ClampByte(r), ClampByte(g), ClampByte(b))));
  });
  return TRUE;
}
