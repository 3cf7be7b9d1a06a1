// Region objects and the clipping of device contexts.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "gdi/geometry.h"
#include "gdi/outline.h"
#include "gdi/pen.h"
#include "emf/recorder.h"
#include "gdi/device.h"
#include "win32/hostgdi.h"

namespace zolt::host::gdi {

// The pixels whose centres lie inside the figures (surface coordinates), as a region.
Region RegionOfShape(const Shape& shape, bool winding) {
  double x0, y0, x1, y1;
  if (!ShapeBounds(shape, x0, y0, x1, y1)) return Region{};
  const RECT bounds{int(std::max(-1e9, std::floor(x0))) - 1, int(std::max(-1e9, std::floor(y0))) - 1,
                    int(std::min(1e9, std::ceil(x1))) + 1, int(std::min(1e9, std::ceil(y1))) + 1};
  const Region clip(bounds);
  std::vector<std::vector<Interval>> rows(size_t(bounds.bottom - bounds.top));
  Shape closed = shape;
  for (Figure& f : closed) f.closed = true;
  FillShape(closed, winding, clip, [&](int y, int a, int b) { rows[size_t(y - bounds.top)].push_back({a, b}); });
  return Region::FromRows(bounds.top, rows);
}

}  // namespace zolt::host::gdi

using namespace zolt::host::gdi;

namespace {

HRGN NewRegion(Region r) {
  auto o = std::make_shared<RegionObj>();
  o->rgn = std::move(r);
  return static_cast<HRGN>(InsertObject(o));
}

std::shared_ptr<RegionObj> FindRegion(HRGN h) { return FindAs<RegionObj>(h, OBJ_REGION); }

Figure EllipseIn(double l, double t, double r, double b) {
  Figure f;
  AppendArcAngles(f, (l + r) / 2, (t + b) / 2, (r - l) / 2, (b - t) / 2, 0, 2 * M_PI, false);
  f.closed = true;
  return f;
}

// The device area of a DC without a clip region: its surface, seen from its origin.
Region WholeDevice(const DcObj& dc) {
  const Surface* s = dc.Target();
  if (!s) return Region(RECT{0, 0, 1920, 1080});
  return Region(RECT{-dc.origin.x, -dc.origin.y, s->width - dc.origin.x, s->height - dc.origin.y});
}

int ClipComplexity(const DcObj& dc) { return EffectiveClip(dc).Complexity(); }

int CombineClip(DcObj& dc, const Region& r, int mode) {
  if (mode == RGN_COPY) {
    dc.st.clip = r;
  } else {
    const Region current = dc.st.clip ? *dc.st.clip : WholeDevice(dc);
    dc.st.clip = Region::Combine(current, r, mode);
  }
  return ClipComplexity(dc);
}

// A logical rectangle as a device region of the DC.
Region DeviceRect(const DcObj& dc, int l, int t, int r, int b) {
  const Matrix m = LogicalToDevice(dc.st);
  double x0, y0, x1, y1;
  m.Apply(l, t, x0, y0);
  m.Apply(r, b, x1, y1);
  return Region(RECT{RoundCoord(std::min(x0, x1)), RoundCoord(std::min(y0, y1)), RoundCoord(std::max(x0, x1)),
                     RoundCoord(std::max(y0, y1))});
}

}  // namespace

WIN32_API HRGN WINAPI CreateRectRgn(int x1, int y1, int x2, int y2) { return NewRegion(Region(RECT{x1, y1, x2, y2})); }

WIN32_API HRGN WINAPI CreateRectRgnIndirect(const RECT* lprect) {
  if (!lprect) return nullptr;
  return CreateRectRgn(lprect->left, lprect->top, lprect->right, lprect->bottom);
}

WIN32_API HRGN WINAPI CreateEllipticRgn(int x1, int y1, int x2, int y2) {
  const double l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2), b = std::max(y1, y2);
  if (r - l < 1 || b - t < 1) return NewRegion(Region{});
  return NewRegion(RegionOfShape(Shape{EllipseIn(l - 0.5, t - 0.5, r - 0.5, b - 0.5)}, false));
}

WIN32_API HRGN WINAPI CreateEllipticRgnIndirect(const RECT* lprect) {
  if (!lprect) return nullptr;
  return CreateEllipticRgn(lprect->left, lprect->top, lprect->right, lprect->bottom);
}

WIN32_API HRGN WINAPI CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h) {
  const double l = std::min(x1, x2) - 0.5, r = std::max(x1, x2) - 0.5, t = std::min(y1, y2) - 0.5,
               b = std::max(y1, y2) - 0.5;
  const double rx = std::min(std::abs(w) / 2.0, (r - l) / 2), ry = std::min(std::abs(h) / 2.0, (b - t) / 2);
  Figure f;
  if (rx <= 0 || ry <= 0) return CreateRectRgn(x1, y1, x2, y2);
  AppendArcAngles(f, r - rx, t + ry, rx, ry, 0, M_PI / 2, false);
  AppendArcAngles(f, l + rx, t + ry, rx, ry, M_PI / 2, M_PI / 2, true);
  AppendArcAngles(f, l + rx, b - ry, rx, ry, M_PI, M_PI / 2, true);
  AppendArcAngles(f, r - rx, b - ry, rx, ry, 3 * M_PI / 2, M_PI / 2, true);
  f.closed = true;
  return NewRegion(RegionOfShape(Shape{f}, false));
}

WIN32_API HRGN WINAPI CreatePolyPolygonRgn(const POINT* pptl, const INT* pc, int cPoly, int iMode) {
  if (!pptl || !pc || cPoly <= 0 || (iMode != ALTERNATE && iMode != WINDING)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Shape s;
  size_t at = 0;
  for (int i = 0; i < cPoly; ++i) {
    if (pc[i] < 0) return nullptr;
    Figure f;
    for (int k = 0; k < pc[i]; ++k) f.Add(pptl[at + size_t(k)].x, pptl[at + size_t(k)].y, false);
    at += size_t(pc[i]);
    if (pc[i] >= 2) s.push_back(std::move(f));
  }
  return NewRegion(RegionOfShape(s, iMode == WINDING));
}

WIN32_API HRGN WINAPI CreatePolygonRgn(const POINT* pptl, int cPoint, int iMode) {
  const INT count = cPoint;
  return CreatePolyPolygonRgn(pptl, &count, 1, iMode);
}

WIN32_API HRGN WINAPI ExtCreateRegion(const XFORM* lpx, DWORD nCount, const RGNDATA* lpData) {
  if (!lpData || nCount < sizeof(RGNDATAHEADER) || lpData->rdh.dwSize < sizeof(RGNDATAHEADER) ||
      lpData->rdh.iType != RDH_RECTANGLES) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const DWORD count = lpData->rdh.nCount;
  if (count > (nCount - lpData->rdh.dwSize) / sizeof(RECT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const uint8_t* base = reinterpret_cast<const uint8_t*>(lpData) + lpData->rdh.dwSize;
  std::vector<RECT> rects(count);
  if (count) std::memcpy(rects.data(), base, sizeof(RECT) * count);
  if (lpx) {
    // Transformed rectangles become polygons.
    const Matrix m = ToMatrix(*lpx);
    Shape s;
    for (const RECT& r : rects) {
      Figure f;
      const double xs[4] = {double(r.left), double(r.right), double(r.right), double(r.left)};
      const double ys[4] = {double(r.top), double(r.top), double(r.bottom), double(r.bottom)};
      for (int i = 0; i < 4; ++i) {
        double x, y;
        m.Apply(xs[i] - 0.5, ys[i] - 0.5, x, y);
        f.Add(x, y, false);
      }
      s.push_back(f);
    }
    return NewRegion(RegionOfShape(s, true));
  }
  return NewRegion(Region::FromRects(rects));
}

WIN32_API int WINAPI CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode) {
  GDI_LOCK();
  auto dst = FindRegion(hrgnDst), a = FindRegion(hrgnSrc1);
  if (!dst || !a || iMode < RGN_AND || iMode > RGN_COPY) return ERROR;
  if (iMode == RGN_COPY) {
    dst->rgn = a->rgn;
    return dst->rgn.Complexity();
  }
  auto b = FindRegion(hrgnSrc2);
  if (!b) return ERROR;
  dst->rgn = Region::Combine(a->rgn, b->rgn, iMode);
  return dst->rgn.Complexity();
}

WIN32_API int WINAPI OffsetRgn(HRGN hrgn, int x, int y) {
  GDI_LOCK();
  auto r = FindRegion(hrgn);
  if (!r) return ERROR;
  const RECT box = r->rgn.Box();
  // Moves that would leave the coordinate range fail and keep the region.
  if (!r->rgn.Empty() && (int64_t(box.left) + x < INT_MIN / 2 || int64_t(box.right) + x > INT_MAX / 2 ||
                          int64_t(box.top) + y < INT_MIN / 2 || int64_t(box.bottom) + y > INT_MAX / 2))
    return ERROR;
  r->rgn.Offset(x, y);
  return r->rgn.Complexity();
}

WIN32_API BOOL WINAPI SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom) {
  GDI_LOCK();
  auto r = FindRegion(hrgn);
  if (!r) return FALSE;
  r->rgn.SetRect(RECT{left, top, right, bottom});
  return TRUE;
}

WIN32_API int WINAPI GetRgnBox(HRGN hrgn, LPRECT lprc) {
  GDI_LOCK();
  auto r = FindRegion(hrgn);
  if (!r || !lprc) return ERROR;
  *lprc = r->rgn.Box();
  return r->rgn.Complexity();
}

WIN32_API BOOL WINAPI PtInRegion(HRGN hrgn, int x, int y) {
  GDI_LOCK();
  auto r = FindRegion(hrgn);
  return r && r->rgn.Contains(x, y) ? TRUE : FALSE;
}

WIN32_API BOOL WINAPI RectInRegion(HRGN hrgn, const RECT* lprect) {
  GDI_LOCK();
  auto r = FindRegion(hrgn);
  return r && lprect && r->rgn.Intersects(*lprect) ? TRUE : FALSE;
}

WIN32_API BOOL WINAPI EqualRgn(HRGN hrgn1, HRGN hrgn2) {
  GDI_LOCK();
  auto a = FindRegion(hrgn1), b = FindRegion(hrgn2);
  if (!a || !b) return ERROR;
  return a->rgn == b->rgn ? TRUE : FALSE;
}

WIN32_API DWORD WINAPI GetRegionData(HRGN hrgn, DWORD nCount, LPRGNDATA lpRgnData) {
  GDI_LOCK();
  auto r = FindRegion(hrgn);
  if (!r) return 0;
  const std::vector<RECT> rects = r->rgn.Rects();
  const DWORD size = DWORD(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  if (!lpRgnData) return size;
  if (nCount < size) return 0;
  lpRgnData->rdh.dwSize = sizeof(RGNDATAHEADER);
  lpRgnData->rdh.iType = RDH_RECTANGLES;
  lpRgnData->rdh.nCount = DWORD(rects.size());
  lpRgnData->rdh.nRgnSize = DWORD(rects.size() * sizeof(RECT));
  lpRgnData->rdh.rcBound = r->rgn.Box();
  if (!rects.empty()) std::memcpy(lpRgnData->Buffer, rects.data(), rects.size() * sizeof(RECT));
  return size;
}

namespace {

// Draws a region given in logical coordinates with a brush and raster operation.
BOOL PaintRegion(HDC hdc, HRGN hrgn, const BrushObj* brush, uint8_t rop) {
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  auto r = FindRegion(hrgn);
  if (!r) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!d.Drawable()) return TRUE;
  Region target;
  if (d.m.IsAxisAligned()) {
    std::vector<RECT> rects;
    for (RECT rc : r->rgn.Rects()) rects.push_back(d.ToPixelRect(rc.left, rc.top, rc.right, rc.bottom));
    target = d.m.m11 == 1 && d.m.m22 == 1 ? r->rgn : Region::FromRects(rects);
    if (d.m.m11 == 1 && d.m.m22 == 1) target.Offset(RoundCoord(d.m.dx), RoundCoord(d.m.dy));
  } else {
    Shape s;
    for (RECT rc : r->rgn.Rects()) {
      Figure f;
      const double xs[4] = {double(rc.left), double(rc.right), double(rc.right), double(rc.left)};
      const double ys[4] = {double(rc.top), double(rc.top), double(rc.bottom), double(rc.bottom)};
      for (int i = 0; i < 4; ++i) {
        double x, y;
        d.m.Apply(xs[i] - 0.5, ys[i] - 0.5, x, y);
        f.Add(x, y, false);
      }
      s.push_back(f);
    }
    target = RegionOfShape(s, true);
  }
  const Region clipped = Region::Combine(target, d.clip, RGN_AND);
  if (brush && brush->style == BS_NULL) return TRUE;
  if (DeviceDrawing* device = DeviceOf(d)) {
    if (clipped.Empty()) return TRUE;
    const RECT box = clipped.Box();
    BrushObj none;
    none.style = BS_NULL;
    DeviceBlit blit;
    blit.dx0 = box.left, blit.dy0 = box.top, blit.dx1 = box.right, blit.dy1 = box.bottom;
    blit.rop = DWORD(rop) << 16;
    blit.brush = brush ? brush : &none;
    blit.clip = &clipped;
    return device->Blit(d, blit) ? TRUE : FALSE;
  }
  const Paint paint = brush ? RealizeBrush(*d.dc, *brush, *d.surf) : Paint{};
  SpanPainter painter(*d.surf, clipped, paint, rop);
  for (const Band& b : clipped.Bands())
    for (int y = b.y0; y < b.y1; ++y)
      for (const Interval& iv : b.xs) RasterSpan(*d.surf, y, iv.x0, iv.x1, paint, nullptr, rop);
  return TRUE;
}

}  // namespace

WIN32_API BOOL WINAPI FillRgn(HDC hdc, HRGN hrgn, HBRUSH hbr) {
  hbr = zolt::host::SystemColorBrush(hbr);
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Region(EMR_FILLRGN, hrgn, 0, hbr, 0, 0);
  auto b = FindAs<BrushObj>(hbr, OBJ_BRUSH);
  if (!b) return FALSE;
  return PaintRegion(hdc, hrgn, b.get(), 0xF0);
}

WIN32_API BOOL WINAPI PaintRgn(HDC hdc, HRGN hrgn) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Region(EMR_PAINTRGN, hrgn, 0, nullptr, 0, 0);
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  return PaintRegion(hdc, hrgn, dc->st.brush.get(), MixToRop3(dc->st.rop2));
}

WIN32_API BOOL WINAPI InvertRgn(HDC hdc, HRGN hrgn) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Region(EMR_INVERTRGN, hrgn, 0, nullptr, 0, 0);
  return PaintRegion(hdc, hrgn, nullptr, 0x55);
}

WIN32_API BOOL WINAPI FrameRgn(HDC hdc, HRGN hrgn, HBRUSH hbr, int w, int h) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Region(EMR_FRAMERGN, hrgn, 0, hbr, w, h);
  GDI_LOCK();
  auto r = FindRegion(hrgn);
  if (!r || w < 0 || h < 0) return FALSE;
  // The frame is the region less the region shrunk by w and h on every side.
  Region inner = r->rgn;
  for (int dir = 0; dir < 4; ++dir) {
    Region moved = r->rgn;
    moved.Offset(dir == 0 ? w : dir == 1 ? -w : 0, dir == 2 ? h : dir == 3 ? -h : 0);
    inner = Region::Combine(inner, moved, RGN_AND);
  }
  auto frame = std::make_shared<RegionObj>();
  frame->rgn = Region::Combine(r->rgn, inner, RGN_DIFF);
  HRGN tmp = static_cast<HRGN>(InsertObject(frame));
  const BOOL ok = FillRgn(hdc, tmp, hbr);
  DeleteObject(tmp);
  return ok;
}

// ---------------------------------------------------------------------------------------------
// Clipping.

WIN32_API int WINAPI ExtSelectClipRgn(HDC hdc, HRGN hrgn, int mode) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Region(EMR_EXTSELECTCLIPRGN, hrgn, DWORD(mode), nullptr, 0, 0);
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  if (!hrgn) {
    if (mode != RGN_COPY) return ERROR;
    dc->st.clip.reset();
    return ClipComplexity(*dc);
  }
  auto r = FindRegion(hrgn);
  if (!r) return ERROR;
  return CombineClip(*dc, r->rgn, mode);
}

WIN32_API int WINAPI SelectClipRgn(HDC hdc, HRGN hrgn) { return ExtSelectClipRgn(hdc, hrgn, RGN_COPY); }

WIN32_API int WINAPI GetClipRgn(HDC hdc, HRGN hrgn) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  auto r = FindRegion(hrgn);
  if (!dc || !r) return -1;
  if (!dc->st.clip) return 0;
  r->rgn = *dc->st.clip;
  return 1;
}

WIN32_API int WINAPI GetClipBox(HDC hdc, LPRECT lprect) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc || !lprect) return ERROR;
  Region clip = dc->Target() ? EffectiveClip(*dc) : (dc->st.clip ? *dc->st.clip : WholeDevice(*dc));
  if (dc->Target()) clip.Offset(-dc->origin.x, -dc->origin.y);
  const RECT box = clip.Box();
  // Back to logical coordinates.
  Matrix inv;
  if (!LogicalToDevice(dc->st).Invert(inv)) return ERROR;
  double x0, y0, x1, y1;
  inv.Apply(box.left, box.top, x0, y0);
  inv.Apply(box.right, box.bottom, x1, y1);
  *lprect = RECT{RoundCoord(std::min(x0, x1)), RoundCoord(std::min(y0, y1)), RoundCoord(std::max(x0, x1)),
                 RoundCoord(std::max(y0, y1))};
  return clip.Complexity();
}

WIN32_API int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_INTERSECTCLIPRECT, {DWORD(left), DWORD(top), DWORD(right), DWORD(bottom)});
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return ERROR;
  return CombineClip(*dc, DeviceRect(*dc, left, top, right, bottom), RGN_AND);
}

WIN32_API int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_EXCLUDECLIPRECT, {DWORD(left), DWORD(top), DWORD(right), DWORD(bottom)});
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return ERROR;
  return CombineClip(*dc, DeviceRect(*dc, left, top, right, bottom), RGN_DIFF);
}

WIN32_API int WINAPI OffsetClipRgn(HDC hdc, int x, int y) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Words(EMR_OFFSETCLIPRGN, {DWORD(x), DWORD(y)});
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return ERROR;
  if (dc->st.clip) {
    double dx, dy;
    LogicalToDevice(dc->st).ApplyVector(x, y, dx, dy);
    dc->st.clip->Offset(RoundCoord(dx), RoundCoord(dy));
  }
  return ClipComplexity(*dc);
}

WIN32_API BOOL WINAPI PtVisible(HDC hdc, int x, int y) {
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return -1;
  const POINT p = d.ToPixel(x, y);
  if (!d.surf) return TRUE;
  return d.clip.Contains(p.x, p.y) ? TRUE : FALSE;
}

WIN32_API BOOL WINAPI RectVisible(HDC hdc, const RECT* lprect) {
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc) || !lprect) return FALSE;
  if (!d.surf) return TRUE;
  return d.clip.Intersects(d.ToPixelRect(lprect->left, lprect->top, lprect->right, lprect->bottom)) ? TRUE : FALSE;
}
