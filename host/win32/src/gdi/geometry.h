// Figures of the shape calls: boxes in the space the DC draws them in, elliptic arcs as Béziers.
#pragma once

#include "gdi/draw.h"
#include "gdi/outline.h"

namespace zolt::host::gdi {

// The box of a shape call in surface coordinates. In the compatible mode the right and bottom
// edges are excluded (the box shrinks by one pixel); in the advanced mode the box is built in
// logical space (inclusive) and `logicalSpace` is set: figures built in it go through ToTarget.
struct ShapeBox {
  double l, t, r, b;
  bool logicalSpace = false;
};
ShapeBox BoxOf(const DrawCtx& d, int left, int top, int right, int bottom);
// A point of the call in the box's space.
PointD PointIn(const DrawCtx& d, const ShapeBox& box, int x, int y);
// Figures of the box's space to surface coordinates.
Shape ToTarget(const DrawCtx& d, const ShapeBox& box, Shape shape);
// Surface coordinates to the DC's device coordinates (for paths).
Shape SurfaceToDevice(const DcObj& dc, Shape shape);

// Appends the arc of the ellipse in the box from the angle of `from` to the angle of `to`
// (counter-clockwise unless clockwise), starting a figure when `fig` is empty.
void AppendArc(Figure& fig, const ShapeBox& box, PointD from, PointD to, bool clockwise, bool lineToStart);
// Angle-based arc: centre, radii, start and sweep in radians (counter-clockwise positive).
void AppendArcAngles(Figure& fig, double cx, double cy, double rx, double ry, double start, double sweep,
                     bool lineToStart);
// The points where the arc starts and ends.
PointD ArcPoint(const ShapeBox& box, PointD radial);

}  // namespace zolt::host::gdi
