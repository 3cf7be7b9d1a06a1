// FreeType's monochrome rasterizer and stroker under the platform's fill conventions.
#include "gdi/outline.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_STROKER_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

#include "gdi/font_library.h"

namespace zolt::host::gdi {

namespace {

constexpr size_t kMaxPoints = 32000;  // the rasterizer's outlines count points in 16 bits
constexpr double kFar = 1 << 20;      // beyond this the shape is cut to the clip box first

// Device pixel box in which the outline is rendered; FT's y axis points up.
struct Frame {
  int bx = 0, by = 0, w = 0, h = 0;
  // Pixel centres are at c * 64 + 32 in FreeType's grid; shapes move by 1/64 pixel to the left
  // and up so that centres on left and top edges fall inside and those on right and bottom
  // edges outside.
  FT_Vector Map(PointD p) const {
    return FT_Vector{FT_Pos(std::llround((p.x - bx) * 64.0)) + 31, FT_Pos(std::llround((by + h - 1 - p.y) * 64.0)) + 33};
  }
};

struct OwnedOutline {
  std::vector<FT_Vector> points;
  std::vector<char> tags;
  std::vector<short> contours;
  FT_Outline View(bool evenOdd) {
    FT_Outline o{};
    o.n_points = short(points.size());
    o.n_contours = short(contours.size());
    o.points = points.data();
    o.tags = tags.data();
    o.contours = contours.data();
    o.flags = FT_OUTLINE_IGNORE_DROPOUTS | FT_OUTLINE_HIGH_PRECISION | (evenOdd ? FT_OUTLINE_EVEN_ODD_FILL : 0);
    return o;
  }
};

bool BuildOutline(const Shape& shape, const Frame& f, OwnedOutline& out) {
  for (const Figure& fig : shape) {
    if (fig.pts.empty()) continue;
    for (size_t i = 0; i < fig.pts.size(); ++i) {
      out.points.push_back(f.Map(fig.pts[i]));
      out.tags.push_back(fig.cubic[i] ? FT_CURVE_TAG_CUBIC : FT_CURVE_TAG_ON);
    }
    // A figure ending in controls is closed by a straight line back to its start.
    out.contours.push_back(short(out.points.size() - 1));
    if (out.points.size() > kMaxPoints) return false;
  }
  return true;
}

void Emit(const FT_Bitmap& bm, const Frame& f, const Region& clip, const SpanFn& span) {
  for (int r = 0; r < f.h; ++r) {
    const uint8_t* row = bm.buffer + size_t(r) * size_t(bm.pitch);
    const int y = f.by + r;
    int x = 0;
    while (x < f.w) {
      // Skip clear bytes quickly.
      if ((x & 7) == 0 && row[x >> 3] == 0) {
        x += 8;
        continue;
      }
      if (!((row[x >> 3] >> (7 - (x & 7))) & 1)) {
        ++x;
        continue;
      }
      int e = x + 1;
      while (e < f.w && ((row[e >> 3] >> (7 - (e & 7))) & 1)) ++e;
      clip.ClipSpan(y, f.bx + x, f.bx + e, [&](int a, int b) { span(y, a, b); });
      x = e;
    }
  }
}

// Renders the outline into a new one-bit bitmap of the frame (rows of whole DWORDs).
bool RenderMono(OwnedOutline& o, bool evenOdd, const Frame& f, std::vector<uint8_t>& buffer, FT_Bitmap& bm) {
  const size_t pitch = (size_t(f.w) + 31) / 32 * 4;
  buffer.assign(pitch * size_t(f.h), 0);
  bm = FT_Bitmap{};
  bm.rows = unsigned(f.h);
  bm.width = unsigned(f.w);
  bm.pitch = int(pitch);
  bm.buffer = buffer.data();
  bm.num_grays = 2;
  bm.pixel_mode = FT_PIXEL_MODE_MONO;
  FT_Outline view = o.View(evenOdd);
  return FT_Outline_Get_Bitmap(FontLibrary(), &view, &bm) == 0;
}

// Renders the outline in the frame into spans.
bool Render(OwnedOutline& o, bool evenOdd, const Frame& f, const Region& clip, const SpanFn& span) {
  if (o.points.empty() || f.w <= 0 || f.h <= 0) return true;
  std::vector<uint8_t> buffer;
  FT_Bitmap bm;
  if (!RenderMono(o, evenOdd, f, buffer, bm)) return false;
  Emit(bm, f, clip, span);
  return true;
}

// Sutherland-Hodgman against one edge of the box: keeps the winding numbers inside the box.
std::vector<PointD> ClipEdge(const std::vector<PointD>& in, int edge, double v) {
  std::vector<PointD> out;
  if (in.empty()) return out;
  auto inside = [&](PointD p) {
    switch (edge) {
      case 0: return p.x >= v;
      case 1: return p.x <= v;
      case 2: return p.y >= v;
      default: return p.y <= v;
    }
  };
  auto cross = [&](PointD a, PointD b) {
    const double t = (edge < 2) ? (v - a.x) / (b.x - a.x) : (v - a.y) / (b.y - a.y);
    return PointD{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
  };
  PointD prev = in.back();
  for (PointD cur : in) {
    if (inside(cur)) {
      if (!inside(prev)) out.push_back(cross(prev, cur));
      out.push_back(cur);
    } else if (inside(prev)) {
      out.push_back(cross(prev, cur));
    }
    prev = cur;
  }
  return out;
}

Shape ClipShape(const Shape& shape, double x0, double y0, double x1, double y1) {
  Shape flat = FlattenShape(shape, 0.25);
  Shape out;
  for (const Figure& fig : flat) {
    std::vector<PointD> pts = fig.pts;
    pts = ClipEdge(pts, 0, x0);
    pts = ClipEdge(pts, 1, x1);
    pts = ClipEdge(pts, 2, y0);
    pts = ClipEdge(pts, 3, y1);
    if (pts.size() < 3) continue;
    Figure f;
    for (PointD p : pts) f.Add(p.x, p.y, false);
    f.closed = true;
    out.push_back(std::move(f));
  }
  return out;
}

bool MakeFrame(double x0, double y0, double x1, double y1, const Region& clip, Frame& f) {
  const RECT box = clip.Box();
  const double l = std::max<double>(box.left, std::floor(x0) - 1), t = std::max<double>(box.top, std::floor(y0) - 1);
  const double r = std::min<double>(box.right, std::ceil(x1) + 2), b = std::min<double>(box.bottom, std::ceil(y1) + 2);
  if (!(l < r && t < b)) return false;
  f.bx = int(l);
  f.by = int(t);
  f.w = int(r - l);
  f.h = int(b - t);
  return true;
}

void CubicFlatten(PointD p0, PointD p1, PointD p2, PointD p3, double tol, std::vector<PointD>& out, int depth = 0) {
  const double d1 = std::fabs((p1.x - p3.x) * (p3.y - p0.y) - (p1.y - p3.y) * (p3.x - p0.x));
  const double d2 = std::fabs((p2.x - p3.x) * (p3.y - p0.y) - (p2.y - p3.y) * (p3.x - p0.x));
  const double len2 = (p3.x - p0.x) * (p3.x - p0.x) + (p3.y - p0.y) * (p3.y - p0.y);
  if (depth >= 16 || (d1 + d2) * (d1 + d2) <= tol * tol * len2 ||
      (len2 == 0 && std::fabs(p1.x - p0.x) + std::fabs(p1.y - p0.y) + std::fabs(p2.x - p0.x) + std::fabs(p2.y - p0.y) <= tol)) {
    out.push_back(p3);
    return;
  }
  const PointD a{(p0.x + p1.x) / 2, (p0.y + p1.y) / 2}, b{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2};
  const PointD c{(p2.x + p3.x) / 2, (p2.y + p3.y) / 2};
  const PointD ab{(a.x + b.x) / 2, (a.y + b.y) / 2}, bc{(b.x + c.x) / 2, (b.y + c.y) / 2};
  const PointD m{(ab.x + bc.x) / 2, (ab.y + bc.y) / 2};
  CubicFlatten(p0, a, ab, m, tol, out, depth + 1);
  CubicFlatten(m, bc, c, p3, tol, out, depth + 1);
}

FT_Stroker_LineCap Cap(int cap) {
  switch (cap) {
    case 0x100: return FT_STROKER_LINECAP_SQUARE;
    case 0x200: return FT_STROKER_LINECAP_BUTT;
  }
  return FT_STROKER_LINECAP_ROUND;
}

FT_Stroker_LineJoin Join(int join) {
  switch (join) {
    case 0x1000: return FT_STROKER_LINEJOIN_BEVEL;
    case 0x2000: return FT_STROKER_LINEJOIN_MITER_FIXED;
  }
  return FT_STROKER_LINEJOIN_ROUND;
}

// Cuts the figures into the dashes of the style (flattened, open pieces).
Shape Dash(const Shape& shape, const std::vector<double>& dashes) {
  double total = 0;
  for (double d : dashes) total += d;
  if (dashes.empty() || !(total > 0)) return shape;
  Shape flat = FlattenShape(shape, 0.25);
  Shape out;
  for (const Figure& fig : flat) {
    std::vector<PointD> pts = fig.pts;
    if (fig.closed && !pts.empty()) pts.push_back(pts.front());
    size_t index = 0;
    double left = dashes[0];
    bool on = true;
    Figure cur;
    if (!pts.empty()) cur.Add(pts[0].x, pts[0].y, false);
    for (size_t i = 1; i < pts.size(); ++i) {
      PointD a = pts[i - 1];
      const PointD b = pts[i];
      double seg = std::hypot(b.x - a.x, b.y - a.y);
      while (seg > left) {
        const double t = left / seg;
        const PointD m{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
        if (on) {
          cur.Add(m.x, m.y, false);
          out.push_back(std::move(cur));
        }
        cur = Figure{};
        if (!on) cur.Add(m.x, m.y, false);
        seg -= left;
        a = m;
        on = !on;
        index = (index + 1) % dashes.size();
        left = dashes[index];
        if (on && cur.pts.empty()) cur.Add(m.x, m.y, false);
        if (out.size() > kMaxPoints) return out;
      }
      left -= seg;
      if (on) cur.Add(b.x, b.y, false);
    }
    if (on && cur.pts.size() >= 2) out.push_back(std::move(cur));
  }
  return out;
}

bool StrokeToOutline(const Shape& shape, const StrokeStyle& style, const Frame& f, OwnedOutline& result) {
  FT_Stroker stroker = nullptr;
  if (FT_Stroker_New(FontLibrary(), &stroker) != 0) return false;
  std::unique_ptr<FT_StrokerRec_, void (*)(FT_Stroker)> guard(stroker, FT_Stroker_Done);
  const FT_Fixed radius = FT_Fixed(std::llround(style.width * 32.0));
  FT_Stroker_Set(stroker, radius, Cap(style.cap), Join(style.join), FT_Fixed(std::llround(style.miterLimit * 65536.0)));
  const Shape pieces = Dash(shape, style.dashes);
  for (const Figure& fig : pieces) {
    if (fig.pts.empty()) continue;
    FT_Vector start = f.Map(fig.pts[0]);
    if (FT_Stroker_BeginSubPath(stroker, &start, fig.closed ? 0 : 1) != 0) return false;
    size_t i = 1;
    bool any = false;
    while (i < fig.pts.size()) {
      if (fig.cubic[i] && i + 2 < fig.pts.size()) {
        FT_Vector c1 = f.Map(fig.pts[i]), c2 = f.Map(fig.pts[i + 1]), to = f.Map(fig.pts[i + 2]);
        FT_Stroker_CubicTo(stroker, &c1, &c2, &to);
        i += 3;
      } else {
        FT_Vector to = f.Map(fig.pts[i]);
        FT_Stroker_LineTo(stroker, &to);
        ++i;
      }
      any = true;
    }
    if (!any) {
      // A single point draws the pen's end caps around it.
      FT_Vector to = start;
      to.x += 1;
      FT_Stroker_LineTo(stroker, &to);
    }
    if (FT_Stroker_EndSubPath(stroker) != 0) return false;
  }
  FT_UInt points = 0, contours = 0;
  if (FT_Stroker_GetCounts(stroker, &points, &contours) != 0) return false;
  if (points > kMaxPoints || contours > kMaxPoints) return false;
  result.points.resize(points);
  result.tags.resize(points);
  result.contours.resize(contours);
  FT_Outline o{};
  o.points = result.points.data();
  o.tags = result.tags.data();
  o.contours = result.contours.data();
  o.n_points = 0;
  o.n_contours = 0;
  FT_Stroker_Export(stroker, &o);
  result.points.resize(size_t(o.n_points));
  result.tags.resize(size_t(o.n_points));
  result.contours.resize(size_t(o.n_contours));
  return true;
}

// Whether two edges of the closed polyline cross or touch away from their shared ends.
bool SelfCrossing(const std::vector<PointD>& p) {
  const size_t n = p.size();
  if (n > 4000) return true;  // too many to check: the triangle fan is right either way
  auto orient = [](PointD a, PointD b, PointD c) {
    const double v = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    return v > 0 ? 1 : v < 0 ? -1 : 0;
  };
  auto onSegment = [](PointD a, PointD b, PointD c) {
    return std::min(a.x, b.x) <= c.x && c.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= c.y && c.y <= std::max(a.y, b.y);
  };
  for (size_t i = 0; i < n; ++i) {
    const PointD a = p[i], b = p[(i + 1) % n];
    for (size_t j = i + 1; j < n; ++j) {
      if (j == i + 1 || (i == 0 && j == n - 1)) continue;  // neighbours share an end
      const PointD c = p[j], d = p[(j + 1) % n];
      if (std::max(a.x, b.x) < std::min(c.x, d.x) || std::max(c.x, d.x) < std::min(a.x, b.x) ||
          std::max(a.y, b.y) < std::min(c.y, d.y) || std::max(c.y, d.y) < std::min(a.y, b.y))
        continue;
      const int o1 = orient(a, b, c), o2 = orient(a, b, d), o3 = orient(c, d, a), o4 = orient(c, d, b);
      if (o1 != o2 && o3 != o4) return true;
      if ((o1 == 0 && onSegment(a, b, c)) || (o2 == 0 && onSegment(a, b, d)) || (o3 == 0 && onSegment(c, d, a)) ||
          (o4 == 0 && onSegment(c, d, b)))
        return true;
    }
  }
  return false;
}

bool IsFar(const Shape& shape, const Region& clip) {
  const RECT box = clip.Box();
  for (const Figure& fig : shape)
    for (PointD p : fig.pts)
      if (!std::isfinite(p.x) || !std::isfinite(p.y) || p.x < box.left - kFar || p.x > box.right + kFar ||
          p.y < box.top - kFar || p.y > box.bottom + kFar)
        return true;
  return false;
}

}  // namespace

bool ShapeBounds(const Shape& shape, double& x0, double& y0, double& x1, double& y1) {
  bool any = false;
  for (const Figure& fig : shape)
    for (PointD p : fig.pts) {
      if (!any) {
        x0 = x1 = p.x;
        y0 = y1 = p.y;
        any = true;
      }
      x0 = std::min(x0, p.x);
      y0 = std::min(y0, p.y);
      x1 = std::max(x1, p.x);
      y1 = std::max(y1, p.y);
    }
  return any;
}

Shape FlattenShape(const Shape& shape, double tolerance) {
  Shape out;
  for (const Figure& fig : shape) {
    Figure f;
    f.closed = fig.closed;
    size_t i = 0;
    while (i < fig.pts.size()) {
      if (fig.cubic[i] && i + 2 < fig.pts.size() && !f.pts.empty()) {
        std::vector<PointD> pts;
        CubicFlatten(f.pts.back(), fig.pts[i], fig.pts[i + 1], fig.pts[i + 2], tolerance, pts);
        for (PointD p : pts) f.Add(p.x, p.y, false);
        i += 3;
      } else {
        f.Add(fig.pts[i].x, fig.pts[i].y, false);
        ++i;
      }
    }
    out.push_back(std::move(f));
  }
  return out;
}

bool FillShape(const Shape& shape, bool winding, const Region& clip, const SpanFn& span) {
  if (clip.Empty()) return true;
  const Shape* use = &shape;
  Shape clipped;
  if (IsFar(shape, clip)) {
    for (const Figure& fig : shape)
      for (PointD p : fig.pts)
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
    const RECT box = clip.Box();
    clipped = ClipShape(shape, box.left - 4.0, box.top - 4.0, box.right + 4.0, box.bottom + 4.0);
    use = &clipped;
  }
  double x0, y0, x1, y1;
  if (!ShapeBounds(*use, x0, y0, x1, y1)) return true;
  Frame f;
  if (!MakeFrame(x0, y0, x1, y1, clip, f)) return true;
  if (winding) {
    OwnedOutline o;
    if (!BuildOutline(*use, f, o)) return false;
    return Render(o, false, f, clip, span);
  }
  // The alternate rule: FreeType's monochrome rasterizer fills by the winding rule only, so the
  // parity is built from pieces whose winding and parity agree: each simple figure on its own,
  // and a self-crossing figure as the fan of triangles from its first point.
  const size_t pitch = (size_t(f.w) + 31) / 32 * 4;
  std::vector<uint8_t> acc(pitch * size_t(f.h));
  auto addPiece = [&](const Shape& piece) -> bool {
    double px0, py0, px1, py1;
    if (!ShapeBounds(piece, px0, py0, px1, py1)) return true;
    Frame sub;
    if (!MakeFrame(px0, py0, px1, py1, clip, sub)) return true;
    // Within the frame, aligned to its bytes.
    sub.w = std::min(sub.bx + sub.w, f.bx + f.w);
    sub.h = std::min(sub.by + sub.h, f.by + f.h);
    sub.bx = std::max(sub.bx, f.bx);
    sub.by = std::max(sub.by, f.by);
    sub.bx -= (sub.bx - f.bx) % 8;
    sub.w -= sub.bx;
    sub.h -= sub.by;
    if (sub.w <= 0 || sub.h <= 0) return true;
    OwnedOutline o;
    if (!BuildOutline(piece, sub, o)) return false;
    std::vector<uint8_t> buffer;
    FT_Bitmap bm;
    if (!RenderMono(o, false, sub, buffer, bm)) return false;
    const size_t subPitch = size_t(bm.pitch);
    const size_t byteOffset = size_t(sub.bx - f.bx) / 8;
    for (int r = 0; r < sub.h; ++r) {
      uint8_t* dst = acc.data() + size_t(sub.by - f.by + r) * pitch + byteOffset;
      const uint8_t* src = buffer.data() + size_t(r) * subPitch;
      const size_t n = std::min(subPitch, pitch - byteOffset);
      for (size_t k = 0; k < n; ++k) dst[k] ^= src[k];
    }
    return true;
  };
  for (const Figure& fig : *use) {
    const Shape flat = FlattenShape(Shape{fig}, 0.25);
    const std::vector<PointD>& p = flat.front().pts;
    if (p.size() < 3) continue;
    if (!SelfCrossing(p)) {
      if (!addPiece(Shape{fig})) return false;
      continue;
    }
    // The fan's centre lies off the pixel grid, so that its edges miss the pixel centres.
    double cx0, cy0, cx1, cy1;
    ShapeBounds(flat, cx0, cy0, cx1, cy1);
    const PointD o{std::floor((cx0 + cx1) / 2) + 0.371, std::floor((cy0 + cy1) / 2) + 0.289};
    for (size_t i = 0; i < p.size(); ++i) {
      const PointD a = p[i], b = p[(i + 1) % p.size()];
      Figure tri;
      tri.Add(o.x, o.y, false);
      tri.Add(a.x, a.y, false);
      tri.Add(b.x, b.y, false);
      if (!addPiece(Shape{tri})) return false;
    }
  }
  FT_Bitmap all{};
  all.rows = unsigned(f.h);
  all.width = unsigned(f.w);
  all.pitch = int(pitch);
  all.buffer = acc.data();
  Emit(all, f, clip, span);
  return true;
}

bool StrokeShape(const Shape& shape, const StrokeStyle& style, const Region& clip, const SpanFn& span) {
  if (clip.Empty()) return true;
  if (!(style.width > 0) || style.width > 1e6) return style.width > 0 ? false : true;
  const Shape* use = &shape;
  Shape flat;
  if (IsFar(shape, clip)) {
    // Far-off figures are cut to a box around the clip wider than the pen, as open pieces.
    const RECT box = clip.Box();
    const double m = style.width * (style.join == 0x2000 ? style.miterLimit : 1) + 8;
    flat = FlattenShape(shape, 0.25);
    Shape cut;
    for (const Figure& fig : flat) {
      std::vector<PointD> pts = fig.pts;
      if (fig.closed && !pts.empty()) pts.push_back(pts.front());
      for (size_t i = 1; i < pts.size(); ++i) {
        // Keep each segment's part inside the box (Liang-Barsky).
        PointD a = pts[i - 1], b = pts[i];
        if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) return false;
        double t0 = 0, t1 = 1;
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {a.x - (box.left - m), (box.right + m) - a.x, a.y - (box.top - m), (box.bottom + m) - a.y};
        bool keep = true;
        for (int k = 0; k < 4 && keep; ++k) {
          if (p[k] == 0) {
            if (q[k] < 0) keep = false;
          } else {
            const double t = q[k] / p[k];
            if (p[k] < 0)
              t0 = std::max(t0, t);
            else
              t1 = std::min(t1, t);
          }
        }
        if (!keep || t0 > t1) continue;
        Figure piece;
        piece.Add(a.x + dx * t0, a.y + dy * t0, false);
        piece.Add(a.x + dx * t1, a.y + dy * t1, false);
        cut.push_back(std::move(piece));
      }
    }
    flat = std::move(cut);
    use = &flat;
  }
  double x0, y0, x1, y1;
  if (!ShapeBounds(*use, x0, y0, x1, y1)) return true;
  const double grow = style.width * (style.join == 0x2000 ? std::max(1.0, style.miterLimit) : 1.0) + 2;
  Frame f;
  if (!MakeFrame(x0 - grow, y0 - grow, x1 + grow, y1 + grow, clip, f)) return true;
  OwnedOutline o;
  if (!StrokeToOutline(*use, style, f, o)) return false;
  return Render(o, false, f, clip, span);
}

bool WidenShape(const Shape& shape, const StrokeStyle& style, Shape& out) {
  out.clear();
  double x0, y0, x1, y1;
  if (!ShapeBounds(shape, x0, y0, x1, y1)) return true;
  // Frame with the identity mapping apart from the 1/64 shift, undone below.
  Frame f;
  f.bx = 0;
  f.by = 0;
  f.h = 1;
  OwnedOutline o;
  if (!StrokeToOutline(shape, style, f, o)) return false;
  size_t start = 0;
  for (short end : o.contours) {
    Figure fig;
    fig.closed = true;
    for (size_t i = start; i <= size_t(end) && i < o.points.size(); ++i) {
      const double x = (o.points[i].x - 31) / 64.0;
      const double y = -((o.points[i].y - 33) / 64.0);
      const char tag = FT_CURVE_TAG(o.tags[i]);
      fig.Add(x, y, tag == FT_CURVE_TAG_CUBIC);
      if (tag == FT_CURVE_TAG_CONIC) fig.cubic.back() = 2;  // quadratic control from the stroker
    }
    start = size_t(end) + 1;
    // Quadratic controls become cubic ones for the path.
    Figure cubicFig;
    cubicFig.closed = true;
    for (size_t i = 0; i < fig.pts.size(); ++i) {
      if (fig.cubic[i] == 2 && !cubicFig.pts.empty()) {
        const PointD p0 = cubicFig.pts.back(), c = fig.pts[i];
        const PointD p2 = i + 1 < fig.pts.size() ? fig.pts[i + 1] : fig.pts[0];
        cubicFig.BezierTo({p0.x + 2.0 / 3 * (c.x - p0.x), p0.y + 2.0 / 3 * (c.y - p0.y)},
                          {p2.x + 2.0 / 3 * (c.x - p2.x), p2.y + 2.0 / 3 * (c.y - p2.y)}, p2);
        ++i;
      } else {
        cubicFig.Add(fig.pts[i].x, fig.pts[i].y, fig.cubic[i] == 1);
      }
    }
    out.push_back(std::move(cubicFig));
  }
  return true;
}

}  // namespace zolt::host::gdi
