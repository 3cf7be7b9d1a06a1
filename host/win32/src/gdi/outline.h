// Shapes in surface coordinates (pixel centres at whole numbers) filled by FreeType's outline
// rasterizer and widened by its stroker; the spans it sets go through the raster with the
// DC's clipping.
#pragma once

#include <functional>
#include <vector>

#include "gdi/region.h"

namespace zolt::host::gdi {

struct PointD {
  double x, y;
};

// One figure: points with a tag each (on the outline, or the two controls of a cubic Bézier
// before the next on-point), open or closed.
struct Figure {
  std::vector<PointD> pts;
  std::vector<char> cubic;  // 1 for a control point
  bool closed = false;

  void MoveTo(double x, double y) { Add(x, y, false); }
  void LineTo(double x, double y) { Add(x, y, false); }
  void BezierTo(PointD c1, PointD c2, PointD to) {
    Add(c1.x, c1.y, true);
    Add(c2.x, c2.y, true);
    Add(to.x, to.y, false);
  }
  void Add(double x, double y, bool control) {
    pts.push_back({x, y});
    cubic.push_back(control ? 1 : 0);
  }
};
using Shape = std::vector<Figure>;

// How a geometric pen widens a shape.
struct StrokeStyle {
  double width = 1;          // surface pixels
  int cap = 0;               // PS_ENDCAP_ROUND, PS_ENDCAP_SQUARE, PS_ENDCAP_FLAT
  int join = 0;              // PS_JOIN_ROUND, PS_JOIN_BEVEL, PS_JOIN_MITER
  double miterLimit = 10;
  std::vector<double> dashes;  // on, off, on, ... lengths in pixels; empty = solid
};

using SpanFn = std::function<void(int y, int x0, int x1)>;

// Fills the shape with the alternate (even-odd) or winding rule: a pixel is set when its
// centre is inside; centres on a left or top edge are inside, on a right or bottom edge outside.
// Only pixels of `clip` are reported. False when the shape is too large for the rasterizer.
bool FillShape(const Shape& shape, bool winding, const Region& clip, const SpanFn& span);
// The outline of the shape widened by the style (filled with the winding rule).
bool StrokeShape(const Shape& shape, const StrokeStyle& style, const Region& clip, const SpanFn& span);
// The widened outline itself, as figures (WidenPath).
bool WidenShape(const Shape& shape, const StrokeStyle& style, Shape& out);
// Replaces Béziers by line segments no further than `tolerance` pixels from the curve.
Shape FlattenShape(const Shape& shape, double tolerance = 0.25);
// Bounding box of the points of the shape.
bool ShapeBounds(const Shape& shape, double& x0, double& y0, double& x1, double& y1);

}  // namespace zolt::host::gdi
