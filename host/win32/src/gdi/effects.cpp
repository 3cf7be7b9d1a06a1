// The raster's drawing of AlphaBlend (constant and per-pixel premultiplied alpha, stretched by
// nearest pixel), GradientFill (horizontal and vertical rectangles, Gouraud triangles),
// TransparentBlt (stretched by nearest pixel, one colour left out) and PlgBlt (the source
// mapped onto a parallelogram by the nearest source pixel under each pixel centre).
#include "gdi/effects.h"

#include <algorithm>
#include <cmath>

#include "gdi/xform.h"

namespace zolt::host::gdi {

namespace {

BYTE ClampByte(double v) { return BYTE(std::clamp(std::lround(v), 0L, 255L)); }

double Channel16(COLOR16 c) { return double(c) / 256.0; }

// The pixels an effect writes: surface pixels moved into the target by its origin.
struct Canvas {
  Surface& surf;
  POINT org;
  const Region& clip;
  std::vector<uint8_t>* covered;

  // Calls fn(x, y) for the surface pixels of [x0, x1) x [y0, y1) inside the clip and the target.
  template <class Fn>
  void ForEach(int x0, int y0, int x1, int y1, Fn&& fn) const {
    const RECT box = clip.Box();
    x0 = std::max({x0, int(box.left), int(org.x)});
    x1 = std::min({x1, int(box.right), int(org.x) + surf.width});
    y0 = std::max({y0, int(box.top), int(org.y)});
    y1 = std::min({y1, int(box.bottom), int(org.y) + surf.height});
    if (x0 >= x1) return;
    for (int y = y0; y < y1; ++y)
      clip.ClipSpan(y, x0, x1, [&](int a, int b) {
        for (int x = a; x < b; ++x) fn(x, y);
      });
  }
  COLORREF Get(int x, int y) const { return surf.ColorOf(surf.Get(x - org.x, y - org.y)); }
  void Put(int x, int y, COLORREF c) const {
    const int lx = x - org.x, ly = y - org.y;
    surf.Set(lx, ly, surf.PixelOf(c));
    if (covered) (*covered)[size_t(ly) * size_t(surf.width) + size_t(lx)] = 1;
  }
  void Put(int x, int y, double r, double g, double b) const { Put(x, y, RGB(ClampByte(r), ClampByte(g), ClampByte(b))); }
};

// The source pixel of a destination step when [d0, d1) shows [0, n) stretched.
int Nearest(int v, int d0, int d1, int n) { return int((int64_t(v - d0) * n) / (d1 - d0)); }

void DrawAlpha(const DeviceEffect& e, const Canvas& c) {
  const EffectImage& src = *e.src;
  const RECT& d = e.dest;
  if (d.right <= d.left || d.bottom <= d.top || src.w <= 0 || src.h <= 0) return;
  const bool perPixel = (e.blend.AlphaFormat & AC_SRC_ALPHA) != 0 && !src.alpha.empty();
  const double k = e.blend.SourceConstantAlpha / 255.0;
  c.ForEach(d.left, d.top, d.right, d.bottom, [&](int x, int y) {
    const int sx = Nearest(x, d.left, d.right, src.w), sy = Nearest(y, d.top, d.bottom, src.h);
    const COLORREF sc = src.At(sx, sy), dc = c.Get(x, y);
    // Premultiplied source: dst = src * k + dst * (1 - alpha * k).
    const double keep = perPixel ? 1 - src.alpha[size_t(sy) * size_t(src.w) + size_t(sx)] / 255.0 * k : 1 - k;
    c.Put(x, y, GetRValue(sc) * k + GetRValue(dc) * keep, GetGValue(sc) * k + GetGValue(dc) * keep,
          GetBValue(sc) * k + GetBValue(dc) * keep);
  });
}

void GradientRect(const DeviceEffect& e, const Canvas& c, ULONG ia, ULONG ib) {
  const double ax = e.vx[ia], ay = e.vy[ia], bx = e.vx[ib], by = e.vy[ib];
  const int x0 = RoundCoord(std::min(ax, bx)), x1 = RoundCoord(std::max(ax, bx));
  const int y0 = RoundCoord(std::min(ay, by)), y1 = RoundCoord(std::max(ay, by));
  if (x0 >= x1 || y0 >= y1) return;
  const bool vertical = e.mode == GRADIENT_FILL_RECT_V;
  // Colours run from the upper-left vertex to the lower-right one along the axis.
  const bool flip = vertical ? ay > by : ax > bx;
  const TRIVERTEX& from = e.vertices[flip ? ib : ia];
  const TRIVERTEX& to = e.vertices[flip ? ia : ib];
  const double span = vertical ? double(y1 - y0) : double(x1 - x0);
  c.ForEach(x0, y0, x1, y1, [&](int x, int y) {
    const double t = (vertical ? double(y - y0) : double(x - x0)) / span;
    c.Put(x, y, Channel16(from.Red) + (Channel16(to.Red) - Channel16(from.Red)) * t,
          Channel16(from.Green) + (Channel16(to.Green) - Channel16(from.Green)) * t,
          Channel16(from.Blue) + (Channel16(to.Blue) - Channel16(from.Blue)) * t);
  });
}

void GradientTriangle(const DeviceEffect& e, const Canvas& c, const ULONG idx[3]) {
  double px[3], py[3];
  const TRIVERTEX* v[3];
  for (int i = 0; i < 3; ++i) px[i] = e.vx[idx[i]], py[i] = e.vy[idx[i]], v[i] = &e.vertices[idx[i]];
  const double det = (py[1] - py[2]) * (px[0] - px[2]) + (px[2] - px[1]) * (py[0] - py[2]);
  if (det == 0 || !std::isfinite(det)) return;
  const double minX = std::min({px[0], px[1], px[2]}), maxX = std::max({px[0], px[1], px[2]});
  const double minY = std::min({py[0], py[1], py[2]}), maxY = std::max({py[0], py[1], py[2]});
  const int x0 = int(std::floor(std::max(minX, -1e9))), x1 = int(std::ceil(std::min(maxX, 1e9))) + 1;
  const int y0 = int(std::floor(std::max(minY, -1e9))), y1 = int(std::ceil(std::min(maxY, 1e9))) + 1;
  c.ForEach(x0, y0, x1, y1, [&](int x, int y) {
    const double cx = x + 0.5, cy = y + 0.5;
    const double w0 = ((py[1] - py[2]) * (cx - px[2]) + (px[2] - px[1]) * (cy - py[2])) / det;
    const double w1 = ((py[2] - py[0]) * (cx - px[2]) + (px[0] - px[2]) * (cy - py[2])) / det;
    const double w2 = 1 - w0 - w1;
    constexpr double kEdge = -1e-9;
    if (w0 < kEdge || w1 < kEdge || w2 < kEdge) return;
    c.Put(x, y, w0 * Channel16(v[0]->Red) + w1 * Channel16(v[1]->Red) + w2 * Channel16(v[2]->Red),
          w0 * Channel16(v[0]->Green) + w1 * Channel16(v[1]->Green) + w2 * Channel16(v[2]->Green),
          w0 * Channel16(v[0]->Blue) + w1 * Channel16(v[1]->Blue) + w2 * Channel16(v[2]->Blue));
  });
}

void DrawTransparent(const DeviceEffect& e, const Canvas& c) {
  const EffectImage& src = *e.src;
  const RECT& d = e.dest;
  if (d.right <= d.left || d.bottom <= d.top || src.w <= 0 || src.h <= 0) return;
  c.ForEach(d.left, d.top, d.right, d.bottom, [&](int x, int y) {
    const COLORREF sc = src.At(Nearest(x, d.left, d.right, src.w), Nearest(y, d.top, d.bottom, src.h));
    if (sc != e.transparent) c.Put(x, y, sc);
  });
}

void DrawPlg(const DeviceEffect& e, const Canvas& c) {
  const EffectImage& src = *e.src;
  if (src.w <= 0 || src.h <= 0) return;
  // Source units along each side of the parallelogram.
  const double ax = (e.px[1] - e.px[0]) / src.w, ay = (e.py[1] - e.py[0]) / src.w;
  const double bx = (e.px[2] - e.px[0]) / src.h, by = (e.py[2] - e.py[0]) / src.h;
  const double det = ax * by - ay * bx;
  if (det == 0 || !std::isfinite(det)) return;
  const RECT& b = e.bounds;
  c.ForEach(b.left, b.top, b.right, b.bottom, [&](int x, int y) {
    const double qx = x + 0.5 - e.px[0], qy = y + 0.5 - e.py[0];
    const double s = (qx * by - qy * bx) / det, t = (ax * qy - ay * qx) / det;
    if (!(s >= 0 && t >= 0 && s < src.w && t < src.h)) return;
    const int sx = std::min(int(s), src.w - 1), sy = std::min(int(t), src.h - 1);
    if (e.mask && !(*e.mask)[size_t(sy) * size_t(src.w) + size_t(sx)]) return;
    c.Put(x, y, src.At(sx, sy));
  });
}

}  // namespace

std::shared_ptr<const EffectImage> CopyEffectImage(const Surface& s, int x, int y, int w, int h) {
  auto img = std::make_shared<EffectImage>();
  if (w <= 0 || h <= 0 || x < 0 || y < 0 || int64_t(x) + w > s.width || int64_t(y) + h > s.height) return img;
  img->w = w, img->h = h;
  img->color.resize(size_t(w) * size_t(h));
  if (s.bpp == 32) img->alpha.resize(img->color.size());
  for (int yy = 0; yy < h; ++yy)
    for (int xx = 0; xx < w; ++xx) {
      const DWORD p = s.Get(x + xx, y + yy);
      const size_t i = size_t(yy) * size_t(w) + size_t(xx);
      img->color[i] = s.ColorOf(p);
      if (s.bpp == 32) img->alpha[i] = uint8_t(p >> 24);
    }
  return img;
}

void DrawEffect(const DeviceEffect& e, Surface& surf, POINT org, const Region& clip, std::vector<uint8_t>* covered) {
  const Canvas c{surf, org, clip, covered};
  switch (e.kind) {
    case DeviceEffect::kAlphaBlend: DrawAlpha(e, c); break;
    case DeviceEffect::kTransparent: DrawTransparent(e, c); break;
    case DeviceEffect::kPlg: DrawPlg(e, c); break;
    case DeviceEffect::kGradient:
      if (e.mode == GRADIENT_FILL_TRIANGLE) {
        for (size_t i = 0; i + 2 < e.mesh.size(); i += 3) GradientTriangle(e, c, &e.mesh[i]);
      } else {
        for (size_t i = 0; i + 1 < e.mesh.size(); i += 2) GradientRect(e, c, e.mesh[i], e.mesh[i + 1]);
      }
      break;
  }
}

}  // namespace zolt::host::gdi
