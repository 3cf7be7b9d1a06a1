// Boxes and elliptic arcs of the shape calls.
#include "gdi/geometry.h"

#include <algorithm>
#include <cmath>

namespace zolt::host::gdi {

ShapeBox BoxOf(const DrawCtx& d, int left, int top, int right, int bottom) {
  ShapeBox box{};
  if (d.dc->st.graphicsMode == GM_ADVANCED) {
    box.logicalSpace = true;
    box.l = std::min(left, right);
    box.r = std::max(left, right);
    box.t = std::min(top, bottom);
    box.b = std::max(top, bottom);
    return box;
  }
  const POINT a = d.ToPixel(left, top), c = d.ToPixel(right, bottom);
  box.l = std::min(a.x, c.x);
  box.r = std::max(a.x, c.x) - 1.0;
  box.t = std::min(a.y, c.y);
  box.b = std::max(a.y, c.y) - 1.0;
  return box;
}

PointD PointIn(const DrawCtx& d, const ShapeBox& box, int x, int y) {
  if (box.logicalSpace) return PointD{double(x), double(y)};
  const POINT p = d.ToPixel(x, y);
  return PointD{double(p.x), double(p.y)};
}

Shape ToTarget(const DrawCtx& d, const ShapeBox& box, Shape shape) {
  if (!box.logicalSpace) return shape;
  for (Figure& f : shape)
    for (PointD& p : f.pts) {
      double x, y;
      d.m.Apply(p.x, p.y, x, y);
      p = {x, y};
    }
  return shape;
}

Shape SurfaceToDevice(const DcObj& dc, Shape shape) {
  for (Figure& f : shape)
    for (PointD& p : f.pts) {
      p.x -= dc.origin.x;
      p.y -= dc.origin.y;
    }
  return shape;
}

void AppendArcAngles(Figure& fig, double cx, double cy, double rx, double ry, double start, double sweep,
                     bool lineToStart) {
  auto at = [&](double u, double v) { return PointD{cx + rx * u, cy - ry * v}; };
  const PointD first = at(std::cos(start), std::sin(start));
  if (fig.pts.empty())
    fig.MoveTo(first.x, first.y);
  else if (lineToStart)
    fig.LineTo(first.x, first.y);
  const int pieces = std::max(1, int(std::ceil(std::fabs(sweep) / (M_PI / 2) - 1e-9)));
  const double step = sweep / pieces;
  const double k = 4.0 / 3.0 * std::tan(step / 4);
  double a = start;
  for (int i = 0; i < pieces; ++i) {
    const double b = a + step;
    const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    fig.BezierTo(at(ca - k * sa, sa + k * ca), at(cb + k * sb, sb - k * cb), at(cb, sb));
    a = b;
  }
}

namespace {

double AngleOf(const ShapeBox& box, PointD p) {
  const double cx = (box.l + box.r) / 2, cy = (box.t + box.b) / 2;
  const double rx = std::max((box.r - box.l) / 2, 1e-9), ry = std::max((box.b - box.t) / 2, 1e-9);
  return std::atan2(-(p.y - cy) / ry, (p.x - cx) / rx);
}

}  // namespace

PointD ArcPoint(const ShapeBox& box, PointD radial) {
  const double a = AngleOf(box, radial);
  const double cx = (box.l + box.r) / 2, cy = (box.t + box.b) / 2;
  return PointD{cx + (box.r - box.l) / 2 * std::cos(a), cy - (box.b - box.t) / 2 * std::sin(a)};
}

void AppendArc(Figure& fig, const ShapeBox& box, PointD from, PointD to, bool clockwise, bool lineToStart) {
  const double a0 = AngleOf(box, from), a1 = AngleOf(box, to);
  double sweep = a1 - a0;
  if (clockwise) {
    while (sweep >= 0) sweep -= 2 * M_PI;
  } else {
    while (sweep <= 0) sweep += 2 * M_PI;
  }
  if (std::fabs(sweep) > 2 * M_PI) sweep = clockwise ? -2 * M_PI : 2 * M_PI;
  const double cx = (box.l + box.r) / 2, cy = (box.t + box.b) / 2;
  AppendArcAngles(fig, cx, cy, (box.r - box.l) / 2, (box.b - box.t) / 2, a0, sweep, lineToStart);
}

}  // namespace zolt::host::gdi
