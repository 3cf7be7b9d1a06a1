// Pens and brushes applied to figures: the line rule of cosmetic pens with their styles, the
// stroker for geometric pens, and polygon fills.
#include "gdi/pen.h"

#include "gdi/device.h"

#include <algorithm>
#include <cmath>

namespace zolt::host::gdi {

namespace {

// Dash lengths of the standard styles, in pixels for cosmetic pens and in pen widths for
// geometric ones.
const std::vector<int>& StandardDashes(DWORD style) {
  static const std::vector<int> kNone, kDash{18, 6}, kDot{3, 3}, kDashDot{9, 6, 3, 6}, kDashDotDot{9, 3, 3, 3, 3, 3},
      kAlternate{1, 1};
  switch (style) {
    case PS_DASH: return kDash;
    case PS_DOT: return kDot;
    case PS_DASHDOT: return kDashDot;
    case PS_DASHDOTDOT: return kDashDotDot;
    case PS_ALTERNATE: return kAlternate;
  }
  return kNone;
}

}  // namespace

std::vector<int> StandardStyleUnits(DWORD style) {
  if (style == PS_ALTERNATE) return {};
  std::vector<int> units = StandardDashes(style);
  for (int& v : units) v /= 3;
  return units;
}

namespace {

__int128 CeilDiv(__int128 a, __int128 b) {  // b > 0
  __int128 q = a / b;
  if ((a % b != 0) && (a > 0)) ++q;
  return q;
}

// Collects the pixels of a line into runs per row and style phase.
struct RunCollector {
  SpanPainter& fg;
  SpanPainter* bg;
  int y = 0, x0 = 0, x1 = 0;
  bool on = true, open = false;
  void Flush() {
    if (!open) return;
    if (on)
      fg.Span(y, x0, x1);
    else if (bg)
      bg->Span(y, x0, x1);
    open = false;
  }
  void Pixel(int x, int py, bool isOn) {
    if (open && py == y && isOn == on) {
      if (x == x1) {
        ++x1;
        return;
      }
      if (x == x0 - 1) {
        --x0;
        return;
      }
    }
    Flush();
    y = py;
    x0 = x;
    x1 = x + 1;
    on = isOn;
    open = true;
  }
};

}  // namespace

PenGeometry PenOf(const DrawCtx& d) {
  PenGeometry g;
  const PenObj& pen = *d.dc->st.pen;
  const DWORD dash = pen.DashStyle();
  if (dash == PS_NULL) {
    g.null = true;
    return g;
  }
  // The pen's width in pixels: its logical width through the transform.
  double vx, vy;
  d.m.ApplyVector(double(pen.width), 0, vx, vy);
  double width = std::hypot(vx, vy);
  if (pen.extended && !pen.Geometric()) {
    g.cosmetic = true;
  } else if (pen.extended) {
    g.cosmetic = false;
  } else {
    g.cosmetic = pen.width == 0 || width <= 1.0;
  }
  g.insideFrame = dash == PS_INSIDEFRAME;
  if (g.cosmetic) {
    g.cosmeticStyle = dash;
    if (dash == PS_USERSTYLE) {
      for (DWORD v : pen.userStyle) g.cosmeticDashes.push_back(int(std::min<DWORD>(v, 1 << 20)));
    } else if (dash != PS_INSIDEFRAME) {
      g.cosmeticDashes = StandardDashes(dash);
    }
    return g;
  }
  g.stroke.width = std::max(width, 1.0);
  if (pen.extended) {
    g.stroke.cap = int(pen.style & PS_ENDCAP_MASK);
    g.stroke.join = int(pen.style & PS_JOIN_MASK);
    if (dash == PS_USERSTYLE) {
      double sx, sy;
      d.m.ApplyVector(1, 0, sx, sy);
      const double scale = std::hypot(sx, sy);
      for (DWORD v : pen.userStyle) g.stroke.dashes.push_back(double(v) * scale);
    } else {
      for (int v : StandardDashes(dash)) g.stroke.dashes.push_back(v * g.stroke.width / 3.0);
    }
  }
  g.stroke.miterLimit = d.dc->st.miterLimit;
  return g;
}

void CosmeticSegment(DrawCtx& d, SpanPainter& fg, SpanPainter* bg, const std::vector<int>& dashes, int64_t& pos,
                     int x0, int y0, int x1, int y1) {
  const int64_t dx = int64_t(x1) - x0, dy = int64_t(y1) - y0;
  const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const int64_t n = std::max(adx, ady);
  if (n == 0) return;
  const bool xMajor = adx >= ady;
  const RECT box = d.clip.Box();
  // Only the steps whose major coordinate lies in the clip box are walked.
  const int64_t major0 = xMajor ? x0 : y0;
  const int64_t sign = xMajor ? (dx < 0 ? -1 : 1) : (dy < 0 ? -1 : 1);
  const int64_t lo = xMajor ? box.left : box.top, hi = xMajor ? box.right : box.bottom;  // [lo, hi)
  int64_t t0, t1;
  if (sign > 0) {
    t0 = lo - major0;
    t1 = hi - major0;
  } else {
    t0 = major0 - hi + 1;
    t1 = major0 - lo + 1;
  }
  t0 = std::max<int64_t>(t0, 0);
  t1 = std::min<int64_t>(t1, n);
  int64_t total = 0;
  for (int v : dashes) total += v;
  RunCollector runs{fg, bg};
  for (int64_t t = t0; t < t1; ++t) {
    int64_t x, y;
    if (xMajor) {
      x = x0 + sign * t;
      // Halfway between two rows: the upper pixel.
      y = y0 + int64_t(CeilDiv(__int128(2) * t * dy - adx, __int128(2) * adx));
    } else {
      y = y0 + sign * t;
      // Halfway between two columns: the left pixel.
      x = x0 + int64_t(CeilDiv(__int128(2) * t * dx - ady, __int128(2) * ady));
    }
    if (x < box.left || x >= box.right || y < box.top || y >= box.bottom) continue;
    bool on = true;
    if (total > 0) {
      int64_t p = (pos + t) % total;
      if (p < 0) p += total;
      size_t i = 0;
      while (p >= dashes[i]) {
        p -= dashes[i];
        ++i;
      }
      on = (i % 2) == 0;
    }
    runs.Pixel(int(x), int(y), on);
  }
  runs.Flush();
  pos += n;
}

bool StrokeFigures(DrawCtx& d, const Shape& shape) {
  if (!d.Drawable()) return true;
  const PenGeometry g = PenOf(d);
  if (g.null) return true;
  if (DeviceDrawing* device = DeviceOf(d)) return device->Stroke(d, shape);
  const Paint pen = d.PenPaint();
  const uint8_t mix = d.Mix();
  SpanPainter fg(*d.surf, d.clip, pen, mix);
  if (g.cosmetic) {
    const Paint gap = d.SolidPaint(d.dc->st.bkColor);
    SpanPainter bgPainter(*d.surf, d.clip, gap, mix);
    SpanPainter* bg = (!g.cosmeticDashes.empty() && d.dc->st.bkMode == OPAQUE) ? &bgPainter : nullptr;
    const Shape flat = FlattenShape(shape, 0.3);
    int64_t pos = 0;
    for (const Figure& fig : flat) {
      std::vector<POINT> pts;
      for (PointD p : fig.pts) pts.push_back({RoundCoord(p.x), RoundCoord(p.y)});
      if (fig.closed && !pts.empty()) pts.push_back(pts.front());
      for (size_t i = 1; i < pts.size(); ++i)
        CosmeticSegment(d, fg, bg, g.cosmeticDashes, pos, pts[i - 1].x, pts[i - 1].y, pts[i].x, pts[i].y);
    }
    return true;
  }
  // Geometric pens: the brush of the pen fills the widened outline.
  const PenObj& penObj = *d.dc->st.pen;
  Paint paint = pen;
  if (penObj.extended && penObj.brushStyle != BS_SOLID) {
    BrushObj b;
    b.style = penObj.brushStyle;
    b.color = penObj.color;
    b.hatch = penObj.hatch;
    if (b.style == BS_NULL) return true;
    paint = RealizeBrush(*d.dc, b, *d.surf);
  }
  SpanPainter painter(*d.surf, d.clip, paint, mix);
  return StrokeShape(shape, g.stroke, d.clip, [&](int y, int a, int b) { painter.Span(y, a, b); });
}

bool FillFigures(DrawCtx& d, const Shape& shape, bool winding) {
  if (!d.Drawable()) return true;
  const BrushObj& brush = *d.dc->st.brush;
  if (brush.style == BS_NULL) return true;
  if (DeviceDrawing* device = DeviceOf(d)) return device->Fill(d, shape, winding);
  const Paint paint = d.BrushPaint();
  SpanPainter painter(*d.surf, d.clip, paint, d.Mix());
  // Closed figures only: every figure of a fill is closed back to its start.
  Shape closed = shape;
  for (Figure& f : closed) f.closed = true;
  return FillShape(closed, winding, d.clip, [&](int y, int a, int b) { painter.Span(y, a, b); });
}

Shape ToDevice(const DcObj& dc, const Shape& logical) {
  const Matrix m = LogicalToDevice(dc.st);
  Shape out = logical;
  for (Figure& f : out)
    for (PointD& p : f.pts) {
      double x, y;
      m.Apply(p.x, p.y, x, y);
      p = {x, y};
    }
  return out;
}

bool RecordFigures(DcObj& dc, const Shape& deviceShape, bool moveFirst) {
  if (dc.st.pathState != PathState::Open) return false;
  for (const Figure& f : deviceShape) {
    for (size_t i = 0; i < f.pts.size(); ++i) {
      BYTE type = f.cubic[i] ? PT_BEZIERTO : PT_LINETO;
      if (i == 0 && moveFirst) type = PT_MOVETO;
      dc.st.path.push_back({f.pts[i].x, f.pts[i].y, type});
    }
    if (f.closed && !dc.st.path.empty()) dc.st.path.back().type |= PT_CLOSEFIGURE;
  }
  return true;
}

}  // namespace zolt::host::gdi
