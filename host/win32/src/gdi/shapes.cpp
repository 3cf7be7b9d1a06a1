// Filled shapes: rectangles, rounded rectangles, ellipses, chords, pies and polygons, and the
// rectangle calls of the window system (FillRect, FrameRect, InvertRect, DrawFocusRect).
#include <algorithm>
#include <cmath>

#include "gdi/device.h"
#include "gdi/geometry.h"
#include "gdi/pen.h"
#include "emf/recorder.h"
#include "win32/hostgdi.h"

using namespace zolt::host::gdi;

namespace {

// Draws or records a closed shape: the brush fills it, then the pen outlines it.
BOOL FilledShape(DrawCtx& d, const Shape& target, const Shape* fillOnly = nullptr) {
  DcObj& dc = *d.dc;
  if (dc.st.pathState == PathState::Open) {
    RecordFigures(dc, SurfaceToDevice(dc, target), true);
    return TRUE;
  }
  DeviceDrawing* device = DeviceOf(d);
  if (device && !fillOnly && d.Drawable() && dc.st.brush->style != BS_NULL && !PenOf(d).null)
    return device->StrokeAndFill(d, target, dc.st.polyFillMode == WINDING) ? TRUE : FALSE;
  bool ok = FillFigures(d, fillOnly ? *fillOnly : target, dc.st.polyFillMode == WINDING);
  ok = StrokeFigures(d, target) && ok;
  return ok ? TRUE : FALSE;
}

// The box shrunk for an inside-frame geometric pen.
ShapeBox InsideFrame(const DrawCtx& d, ShapeBox box) {
  const PenGeometry g = PenOf(d);
  if (g.null || g.cosmetic || !g.insideFrame) return box;
  double half = g.stroke.width / 2;
  if (box.logicalSpace) {
    double vx, vy;
    d.m.ApplyVector(1, 0, vx, vy);
    const double scale = std::hypot(vx, vy);
    if (scale > 0) half /= scale;
  }
  box.l += half;
  box.t += half;
  box.r -= half;
  box.b -= half;
  if (box.r < box.l) box.r = box.l = (box.l + box.r) / 2;
  if (box.b < box.t) box.b = box.t = (box.t + box.b) / 2;
  return box;
}

Figure RectFigure(double l, double t, double r, double b) {
  Figure f;
  f.Add(l, t, false);
  f.Add(r, t, false);
  f.Add(r, b, false);
  f.Add(l, b, false);
  f.closed = true;
  return f;
}

Figure EllipseFigure(const ShapeBox& box) {
  Figure f;
  const double cx = (box.l + box.r) / 2, cy = (box.t + box.b) / 2;
  AppendArcAngles(f, cx, cy, (box.r - box.l) / 2, (box.b - box.t) / 2, 0, 2 * M_PI, false);
  f.closed = true;
  return f;
}

}  // namespace

WIN32_API BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { journal->Words(EMR_RECTANGLE, {DWORD(left), DWORD(top), DWORD(right), DWORD(bottom)}); journal->TouchBox(left, top, right, bottom); }
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  const ShapeBox box = InsideFrame(d, BoxOf(d, left, top, right, bottom));
  const Shape outline = ToTarget(d, box, Shape{RectFigure(box.l, box.t, box.r, box.b)});
  if (d.dc->st.pathState == PathState::Open) return FilledShape(d, outline);
  const PenGeometry g = PenOf(d);
  if (!box.logicalSpace && d.Drawable() && !DeviceOf(d)) {
    // Axis-aligned: the interior is filled directly, inside a cosmetic border.
    const int inset = (!g.null && g.cosmetic) ? 1 : 0;
    const RECT inner{int(box.l) + inset, int(box.t) + inset, int(box.r), int(box.b)};
    if (d.dc->st.brush->style != BS_NULL && inner.left < inner.right && inner.top < inner.bottom) {
      const Paint paint = d.BrushPaint();
      SpanPainter painter(*d.surf, d.clip, paint, d.Mix());
      const RECT bounds = d.clip.Box();
      RECT r{std::max(inner.left, bounds.left), std::max(inner.top, bounds.top), std::min(inner.right, bounds.right),
             std::min(inner.bottom, bounds.bottom)};
      if (r.left < r.right) painter.Rect(r);
    }
    return StrokeFigures(d, outline) ? TRUE : FALSE;
  }
  return FilledShape(d, outline);
}

WIN32_API BOOL WINAPI RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { journal->Words(EMR_ROUNDRECT, {DWORD(left), DWORD(top), DWORD(right), DWORD(bottom), DWORD(width), DWORD(height)}); journal->TouchBox(left, top, right, bottom); }
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  const ShapeBox box = InsideFrame(d, BoxOf(d, left, top, right, bottom));
  // The corner ellipse, scaled like the box and no larger than it.
  double ew, eh;
  if (box.logicalSpace) {
    ew = std::abs(width);
    eh = std::abs(height);
  } else {
    double vx, vy;
    d.m.ApplyVector(width, height, vx, vy);
    ew = std::fabs(vx);
    eh = std::fabs(vy);
  }
  ew = std::min(ew, box.r - box.l);
  eh = std::min(eh, box.b - box.t);
  const double rx = ew / 2, ry = eh / 2;
  Figure f;
  if (rx <= 0 || ry <= 0) {
    f = RectFigure(box.l, box.t, box.r, box.b);
  } else {
    AppendArcAngles(f, box.r - rx, box.t + ry, rx, ry, 0, M_PI / 2, false);
    AppendArcAngles(f, box.l + rx, box.t + ry, rx, ry, M_PI / 2, M_PI / 2, true);
    AppendArcAngles(f, box.l + rx, box.b - ry, rx, ry, M_PI, M_PI / 2, true);
    AppendArcAngles(f, box.r - rx, box.b - ry, rx, ry, 3 * M_PI / 2, M_PI / 2, true);
    f.closed = true;
  }
  return FilledShape(d, ToTarget(d, box, Shape{f}));
}

WIN32_API BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { journal->Words(EMR_ELLIPSE, {DWORD(left), DWORD(top), DWORD(right), DWORD(bottom)}); journal->TouchBox(left, top, right, bottom); }
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  const ShapeBox box = InsideFrame(d, BoxOf(d, left, top, right, bottom));
  return FilledShape(d, ToTarget(d, box, Shape{EllipseFigure(box)}));
}

namespace {

BOOL ChordOrPie(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, bool pie) {
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  if (x1 == x2 || y1 == y2) return FALSE;
  const ShapeBox box = InsideFrame(d, BoxOf(d, x1, y1, x2, y2));
  Figure f;
  if (pie) f.Add((box.l + box.r) / 2, (box.t + box.b) / 2, false);
  AppendArc(f, box, PointIn(d, box, x3, y3), PointIn(d, box, x4, y4), d.dc->st.arcDirection == AD_CLOCKWISE,
            true);
  f.closed = true;
  return FilledShape(d, ToTarget(d, box, Shape{f}));
}

}  // namespace

WIN32_API BOOL WINAPI Chord(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { journal->Words(EMR_CHORD, {DWORD(x1), DWORD(y1), DWORD(x2), DWORD(y2), DWORD(x3), DWORD(y3), DWORD(x4), DWORD(y4)}); journal->TouchBox(x1, y1, x2, y2); }
  return ChordOrPie(hdc, x1, y1, x2, y2, x3, y3, x4, y4, false);
}

WIN32_API BOOL WINAPI Pie(HDC hdc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { journal->Words(EMR_PIE, {DWORD(left), DWORD(top), DWORD(right), DWORD(bottom), DWORD(xr1), DWORD(yr1), DWORD(xr2), DWORD(yr2)}); journal->TouchBox(left, top, right, bottom); }
  return ChordOrPie(hdc, left, top, right, bottom, xr1, yr1, xr2, yr2, true);
}

WIN32_API BOOL WINAPI PolyPolygon(HDC hdc, const POINT* apt, const INT* asz, int csz) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { if (apt && asz && csz > 0) { std::vector<DWORD> counts(asz, asz + csz); journal->PolyPoly(EMR_POLYPOLYGON, EMR_POLYPOLYGON16, apt, counts.data(), DWORD(csz)); } }
  if (!apt || !asz || csz <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  Shape s;
  size_t at = 0;
  for (int i = 0; i < csz; ++i) {
    if (asz[i] < 2) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    Figure f;
    for (int k = 0; k < asz[i]; ++k) {
      double x, y;
      d.m.Apply(apt[at + size_t(k)].x, apt[at + size_t(k)].y, x, y);
      f.Add(x, y, false);
    }
    f.closed = true;
    at += size_t(asz[i]);
    s.push_back(std::move(f));
  }
  return FilledShape(d, s);
}

WIN32_API BOOL WINAPI Polygon(HDC hdc, const POINT* apt, int cpt) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) if (cpt > 0) journal->Poly(EMR_POLYGON, EMR_POLYGON16, apt, DWORD(cpt));
  if (cpt < 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const INT count = cpt;
  return PolyPolygon(hdc, apt, &count, 1);
}

// ---------------------------------------------------------------------------------------------
// Rectangles of the window system: brush fills that ignore the pen and the mix.

namespace {

BOOL FillPixelRect(HDC hdc, const RECT* lprc, HBRUSH hbr, uint8_t rop, bool frame) {
  if (!lprc) return FALSE;
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  std::shared_ptr<BrushObj> brush;
  if (hbr) {
    brush = FindAs<BrushObj>(hbr, OBJ_BRUSH);
    if (!brush) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  if (!d.Drawable()) return TRUE;
  const POINT a = d.ToPixel(lprc->left, lprc->top), c = d.ToPixel(lprc->right, lprc->bottom);
  if (c.x <= a.x || c.y <= a.y) return TRUE;  // an empty or inverted rectangle fills nothing
  const RECT r{a.x, a.y, c.x, c.y};
  const Paint paint = brush ? RealizeBrush(*d.dc, *brush, *d.surf) : Paint{};
  SpanPainter painter(*d.surf, d.clip, paint, rop);
  const RECT b = d.clip.Box();
  DeviceDrawing* device = DeviceOf(d);
  BrushObj none;
  none.style = BS_NULL;
  auto fill = [&](RECT x) {
    if (device) {
      DeviceBlit blit;
      blit.dx0 = x.left, blit.dy0 = x.top, blit.dx1 = x.right, blit.dy1 = x.bottom;
      blit.rop = DWORD(rop) << 16;
      blit.brush = brush ? brush.get() : &none;
      device->Blit(d, blit);
      return;
    }
    x.left = std::max(x.left, b.left);
    x.top = std::max(x.top, b.top);
    x.right = std::min(x.right, b.right);
    x.bottom = std::min(x.bottom, b.bottom);
    if (x.left < x.right && x.top < x.bottom) painter.Rect(x);
  };
  if (!frame) {
    fill(r);
    return TRUE;
  }
  // FrameRect: one logical unit wide borders.
  const POINT unit = [&] {
    double vx, vy;
    d.m.ApplyVector(1, 1, vx, vy);
    return POINT{std::max(1, int(std::fabs(vx) + 0.5)), std::max(1, int(std::fabs(vy) + 0.5))};
  }();
  const LONG w = std::min<LONG>(unit.x, r.right - r.left), h = std::min<LONG>(unit.y, r.bottom - r.top);
  fill(RECT{r.left, r.top, r.right, r.top + h});
  fill(RECT{r.left, r.bottom - h, r.right, r.bottom});
  fill(RECT{r.left, r.top + h, r.left + w, r.bottom - h});
  fill(RECT{r.right - w, r.top + h, r.right, r.bottom - h});
  return TRUE;
}

}  // namespace

WIN32_API int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  hbr = zolt::host::SystemColorBrush(hbr);
  zolt::host::emf::RecordScope journal(hDC);
  if (journal && lprc && hbr) {
    // Recorded as the brush selected for a pattern copy, then the DC's own brush again.
    HGDIOBJ cur = GetCurrentObject(hDC, OBJ_BRUSH);
    if (journal->Select(hbr)) {
      journal->PatternBlit(lprc->left, lprc->top, lprc->right - lprc->left, lprc->bottom - lprc->top, PATCOPY);
      journal->Select(cur);
    }
  }
  if (!hbr) return FALSE;
  return FillPixelRect(hDC, lprc, hbr, 0xF0, false);
}

WIN32_API int WINAPI FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  hbr = zolt::host::SystemColorBrush(hbr);
  if (!hbr) return FALSE;
  return FillPixelRect(hDC, lprc, hbr, 0xF0, true);
}

WIN32_API BOOL WINAPI InvertRect(HDC hDC, const RECT* lprc) { return FillPixelRect(hDC, lprc, nullptr, 0x55, false); }

WIN32_API BOOL WINAPI DrawFocusRect(HDC hDC, const RECT* lprc) {
  if (!lprc) return FALSE;
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hDC)) return FALSE;
  if (!d.Drawable()) return TRUE;
  // A dotted frame of every other pixel, inverted so that a second call takes it away.
  const RECT r = d.ToPixelRect(lprc->left, lprc->top, lprc->right, lprc->bottom);
  if (r.left >= r.right || r.top >= r.bottom) return TRUE;
  const Paint none;
  SpanPainter painter(*d.surf, d.clip, none, 0x55);
  auto dot = [&](int x, int y) {
    if (((x + y) & 1) == 0) painter.Pixel(x, y);
  };
  for (int x = r.left; x < r.right; ++x) {
    dot(x, r.top);
    if (r.bottom - 1 > r.top) dot(x, r.bottom - 1);
  }
  for (int y = r.top + 1; y < r.bottom - 1; ++y) {
    dot(r.left, y);
    if (r.right - 1 > r.left) dot(r.right - 1, y);
  }
  return TRUE;
}
