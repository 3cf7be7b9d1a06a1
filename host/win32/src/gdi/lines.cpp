// Lines and curves: LineTo, the polyline and Bézier calls, PolyDraw and the arcs.
#include <cmath>
#include <cstring>

#include "gdi/geometry.h"
#include "gdi/pen.h"
#include "emf/recorder.h"

using namespace zolt::host::gdi;

namespace {

// Adds line or Bézier points to an open path, starting a figure at the current position when
// none is open.
void RecordFrom(DcObj& dc, const Figure& deviceFig, bool startFigure) {
  auto& path = dc.st.path;
  if (startFigure || path.empty() || (path.back().type & PT_CLOSEFIGURE)) {
    double x, y;
    LogicalToDevice(dc.st).Apply(dc.st.current.x, dc.st.current.y, x, y);
    if (path.empty() || !(path.back().type == PT_MOVETO && path.back().x == x && path.back().y == y) ||
        (path.back().type & PT_CLOSEFIGURE))
      path.push_back({x, y, PT_MOVETO});
  }
  for (size_t i = 0; i < deviceFig.pts.size(); ++i)
    path.push_back({deviceFig.pts[i].x, deviceFig.pts[i].y, BYTE(deviceFig.cubic[i] ? PT_BEZIERTO : PT_LINETO)});
}

Figure LogicalFigure(const POINT* pts, size_t count, bool beziers) {
  Figure f;
  for (size_t i = 0; i < count; ++i) f.Add(pts[i].x, pts[i].y, beziers && (i % 3) != 2);
  return f;
}

Figure Transformed(const Matrix& m, Figure f) {
  for (PointD& p : f.pts) {
    double x, y;
    m.Apply(p.x, p.y, x, y);
    p = {x, y};
  }
  return f;
}

// Draws a figure that continues from the current position (LineTo, PolylineTo, ...).
BOOL DrawFromCurrent(HDC hdc, const Figure& logicalTail, POINT newCurrent) {
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  DcObj& dc = *d.dc;
  if (dc.st.pathState == PathState::Open) {
    RecordFrom(dc, Transformed(LogicalToDevice(dc.st), logicalTail), false);
    dc.st.current = newCurrent;
    return TRUE;
  }
  Figure fig;
  fig.Add(dc.st.current.x, dc.st.current.y, false);
  for (size_t i = 0; i < logicalTail.pts.size(); ++i)
    fig.Add(logicalTail.pts[i].x, logicalTail.pts[i].y, logicalTail.cubic[i]);
  dc.st.current = newCurrent;
  return StrokeFigures(d, Shape{Transformed(d.m, fig)}) ? TRUE : FALSE;
}

// Draws figures that do not touch the current position (Polyline, PolyBezier, Arc).
BOOL DrawFigures(HDC hdc, const Shape& logical) {
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  DcObj& dc = *d.dc;
  if (dc.st.pathState == PathState::Open) {
    const Matrix m = LogicalToDevice(dc.st);
    for (const Figure& f : logical) {
      const Figure t = Transformed(m, f);
      if (t.pts.empty()) continue;
      dc.st.path.push_back({t.pts[0].x, t.pts[0].y, PT_MOVETO});
      for (size_t i = 1; i < t.pts.size(); ++i)
        dc.st.path.push_back({t.pts[i].x, t.pts[i].y, BYTE(t.cubic[i] ? PT_BEZIERTO : PT_LINETO)});
    }
    return TRUE;
  }
  Shape s;
  for (const Figure& f : logical) s.push_back(Transformed(d.m, f));
  return StrokeFigures(d, s) ? TRUE : FALSE;
}

}  // namespace

WIN32_API BOOL WINAPI LineTo(HDC hdc, int x, int y) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { journal->Words(EMR_LINETO, {DWORD(x), DWORD(y)}); const POINT p[2] = {FindDc(hdc)->st.current, {x, y}}; journal->Touch(p, 2, 1); }
  Figure f;
  f.Add(x, y, false);
  return DrawFromCurrent(hdc, f, POINT{x, y});
}

WIN32_API BOOL WINAPI Polyline(HDC hdc, const POINT* apt, int cpt) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) if (cpt > 0) journal->Poly(EMR_POLYLINE, EMR_POLYLINE16, apt, DWORD(cpt));
  if (!apt || cpt < 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return DrawFigures(hdc, Shape{LogicalFigure(apt, size_t(cpt), false)});
}

WIN32_API BOOL WINAPI PolylineTo(HDC hdc, const POINT* apt, DWORD cpt) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Poly(EMR_POLYLINETO, EMR_POLYLINETO16, apt, cpt);
  if (!apt || cpt == 0) return FALSE;
  return DrawFromCurrent(hdc, LogicalFigure(apt, cpt, false), apt[cpt - 1]);
}

WIN32_API BOOL WINAPI PolyPolyline(HDC hdc, const POINT* apt, const DWORD* asz, DWORD csz) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->PolyPoly(EMR_POLYPOLYLINE, EMR_POLYPOLYLINE16, apt, asz, csz);
  if (!apt || !asz || csz == 0) return FALSE;
  Shape s;
  size_t at = 0;
  for (DWORD i = 0; i < csz; ++i) {
    if (asz[i] < 2) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    s.push_back(LogicalFigure(apt + at, asz[i], false));
    at += asz[i];
  }
  return DrawFigures(hdc, s);
}

WIN32_API BOOL WINAPI PolyBezier(HDC hdc, const POINT* apt, DWORD cpt) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Poly(EMR_POLYBEZIER, EMR_POLYBEZIER16, apt, cpt);
  if (!apt || cpt < 4 || (cpt - 1) % 3 != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Figure f;
  f.Add(apt[0].x, apt[0].y, false);
  for (DWORD i = 1; i < cpt; ++i) f.Add(apt[i].x, apt[i].y, (i % 3) != 0);
  return DrawFigures(hdc, Shape{f});
}

WIN32_API BOOL WINAPI PolyBezierTo(HDC hdc, const POINT* apt, DWORD cpt) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Poly(EMR_POLYBEZIERTO, EMR_POLYBEZIERTO16, apt, cpt);
  if (!apt || cpt == 0 || cpt % 3 != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return DrawFromCurrent(hdc, LogicalFigure(apt, cpt, true), apt[cpt - 1]);
}

WIN32_API BOOL WINAPI PolyDraw(HDC hdc, const POINT* apt, const BYTE* aj, int cpt) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) if (cpt > 0) journal->PolyDraw(apt, aj, DWORD(cpt));
  if (cpt < 0 || (cpt > 0 && (!apt || !aj))) return FALSE;
  // Checked whole before anything is drawn.
  for (int i = 0; i < cpt; ++i) {
    const BYTE t = aj[i] & ~PT_CLOSEFIGURE;
    if (t == PT_BEZIERTO) {
      if (i + 2 >= cpt || (aj[i + 1] & ~PT_CLOSEFIGURE) != PT_BEZIERTO ||
          (aj[i + 2] & ~PT_CLOSEFIGURE) != PT_BEZIERTO)
        return FALSE;
      i += 2;
    } else if (t != PT_MOVETO && t != PT_LINETO) {
      return FALSE;
    }
  }
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  POINT cur = d.dc->st.current;
  Shape s;
  Figure f;
  f.Add(cur.x, cur.y, false);
  POINT figureStart = cur;
  for (int i = 0; i < cpt; ++i) {
    const BYTE t = aj[i] & ~PT_CLOSEFIGURE;
    if (t == PT_MOVETO) {
      if (f.pts.size() > 1) s.push_back(f);
      f = Figure{};
      f.Add(apt[i].x, apt[i].y, false);
      figureStart = apt[i];
    } else if (t == PT_LINETO) {
      f.Add(apt[i].x, apt[i].y, false);
    } else {
      f.BezierTo({double(apt[i].x), double(apt[i].y)}, {double(apt[i + 1].x), double(apt[i + 1].y)},
                 {double(apt[i + 2].x), double(apt[i + 2].y)});
      i += 2;
    }
    cur = apt[i];
    if (aj[i] & PT_CLOSEFIGURE) {
      f.Add(figureStart.x, figureStart.y, false);
      cur = figureStart;
    }
  }
  if (f.pts.size() > 1) s.push_back(f);
  d.dc->st.current = cur;
  if (d.dc->st.pathState == PathState::Open) {
    for (const Figure& fig : s) {
      const Figure t = Transformed(LogicalToDevice(d.dc->st), fig);
      d.dc->st.path.push_back({t.pts[0].x, t.pts[0].y, PT_MOVETO});
      for (size_t i = 1; i < t.pts.size(); ++i)
        d.dc->st.path.push_back({t.pts[i].x, t.pts[i].y, BYTE(t.cubic[i] ? PT_BEZIERTO : PT_LINETO)});
    }
    return TRUE;
  }
  Shape target;
  for (const Figure& fig : s) target.push_back(Transformed(d.m, fig));
  return StrokeFigures(d, target) ? TRUE : FALSE;
}

namespace {

// The arc calls: built in the box's space, then stroked or recorded.
BOOL ArcCall(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, bool fromCurrent) {
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  if (x1 == x2 || y1 == y2) return FALSE;
  const ShapeBox box = BoxOf(d, x1, y1, x2, y2);
  const bool clockwise = d.dc->st.arcDirection == AD_CLOCKWISE;
  Figure f;
  if (fromCurrent) {
    const POINT c = d.dc->st.current;
    if (box.logicalSpace)
      f.Add(c.x, c.y, false);
    else {
      const POINT p = d.ToPixel(c.x, c.y);
      f.Add(p.x, p.y, false);
    }
  }
  AppendArc(f, box, PointIn(d, box, x3, y3), PointIn(d, box, x4, y4), clockwise, true);
  Shape s = ToTarget(d, box, Shape{f});
  if (fromCurrent) {
    // The current position moves to the arc's end, in logical coordinates.
    const PointD end = s[0].pts.back();
    Matrix inv;
    if (d.m.Invert(inv)) {
      double lx, ly;
      inv.Apply(end.x, end.y, lx, ly);
      d.dc->st.current = {RoundCoord(lx), RoundCoord(ly)};
    }
  }
  if (d.dc->st.pathState == PathState::Open) {
    RecordFigures(*d.dc, SurfaceToDevice(*d.dc, s), true);
    return TRUE;
  }
  return StrokeFigures(d, s) ? TRUE : FALSE;
}

}  // namespace

WIN32_API BOOL WINAPI Arc(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { journal->Words(EMR_ARC, {DWORD(x1), DWORD(y1), DWORD(x2), DWORD(y2), DWORD(x3), DWORD(y3), DWORD(x4), DWORD(y4)}); journal->TouchBox(x1, y1, x2, y2); }
  return ArcCall(hdc, x1, y1, x2, y2, x3, y3, x4, y4, false);
}

WIN32_API BOOL WINAPI ArcTo(HDC hdc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { journal->Words(EMR_ARCTO, {DWORD(left), DWORD(top), DWORD(right), DWORD(bottom), DWORD(xr1), DWORD(yr1), DWORD(xr2), DWORD(yr2)}); journal->TouchBox(left, top, right, bottom); }
  return ArcCall(hdc, left, top, right, bottom, xr1, yr1, xr2, yr2, true);
}

WIN32_API BOOL WINAPI AngleArc(HDC hdc, int x, int y, DWORD r, FLOAT StartAngle, FLOAT SweepAngle) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) { DWORD a, b; std::memcpy(&a, &StartAngle, 4); std::memcpy(&b, &SweepAngle, 4); journal->Words(EMR_ANGLEARC, {DWORD(x), DWORD(y), r, a, b}); journal->TouchBox(x - int(r), y - int(r), x + int(r), y + int(r)); }
  if (r > 0x7FFFFFFF || !std::isfinite(StartAngle) || !std::isfinite(SweepAngle)) return FALSE;
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  double sweep = SweepAngle * M_PI / 180.0;
  if (sweep > 2 * M_PI * 2) sweep = 2 * M_PI * 2;
  if (sweep < -2 * M_PI * 2) sweep = -2 * M_PI * 2;
  Figure f;
  f.Add(d.dc->st.current.x, d.dc->st.current.y, false);
  AppendArcAngles(f, x, y, r, r, StartAngle * M_PI / 180.0, sweep, true);
  const PointD end = f.pts.back();
  const POINT newCurrent{RoundCoord(end.x), RoundCoord(end.y)};
  if (d.dc->st.pathState == PathState::Open) {
    Figure tail = f;
    tail.pts.erase(tail.pts.begin());
    tail.cubic.erase(tail.cubic.begin());
    RecordFrom(*d.dc, Transformed(LogicalToDevice(d.dc->st), tail), false);
    d.dc->st.current = newCurrent;
    return TRUE;
  }
  d.dc->st.current = newCurrent;
  return StrokeFigures(d, Shape{Transformed(d.m, f)}) ? TRUE : FALSE;
}
