// The transfers with an engine entry of their own besides the block transfers: AlphaBlend,
// GradientFill, TransparentBlt and PlgBlt. Each call becomes one self-contained effect in
// surface pixels (its source pixels copied), drawn by the raster on a memory DC and handed to
// the driver engine on a printer DC, which gives it to the module's entry or draws it itself.
#pragma once

#include <memory>
#include <vector>

#include "gdi/region.h"
#include "gdi/surface.h"

namespace zolt::host::gdi {

// Source pixels of an effect: colours, and for 32-bit sources the alpha byte of each pixel.
struct EffectImage {
  int w = 0, h = 0;
  std::vector<COLORREF> color;
  std::vector<uint8_t> alpha;  // empty: no alpha of its own
  COLORREF At(int x, int y) const { return color[size_t(y) * size_t(w) + size_t(x)]; }
};

// The pixels [x, x + w) x [y, y + h) of a surface (the rectangle inside it).
std::shared_ptr<const EffectImage> CopyEffectImage(const Surface& s, int x, int y, int w, int h);

struct DeviceEffect {
  enum Kind { kAlphaBlend, kGradient, kTransparent, kPlg } kind = kAlphaBlend;
  RECT bounds{};  // the surface pixels the effect may draw (ordered)
  std::shared_ptr<const EffectImage> src;  // alpha, transparent and plg: the source rectangle's pixels
  // AlphaBlend and TransparentBlt: the destination (ordered; the source is stretched onto it).
  RECT dest{};
  BLENDFUNCTION blend{};
  COLORREF transparent = 0;  // TransparentBlt: the source colour left out
  // GradientFill: vertex positions in surface pixels with their colours, the mesh's indexes.
  std::vector<double> vx, vy;
  std::vector<TRIVERTEX> vertices;
  std::vector<ULONG> mesh;  // pairs (rectangles) or triples (triangles)
  ULONG mode = 0;
  // PlgBlt: where the source's corners (0,0), (w,0) and (0,h) land, in surface pixels; the
  // mask (one byte per source pixel, 0 leaves the pixel out; empty: none) and the stretch mode.
  double px[3] = {0, 0, 0}, py[3] = {0, 0, 0};
  std::shared_ptr<const std::vector<uint8_t>> mask;
  int stretchMode = COLORONCOLOR;
};

// Draws an effect onto `surf`, whose pixel (0, 0) is the surface pixel `org`, within `clip`
// (surface pixels). `covered`, when given (one byte per pixel of surf, zero-filled), marks the
// pixels drawn. AlphaBlend reads the pixels it blends with from surf.
void DrawEffect(const DeviceEffect& e, Surface& surf, POINT org, const Region& clip, std::vector<uint8_t>* covered);

}  // namespace zolt::host::gdi
