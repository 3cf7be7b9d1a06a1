// The engine's own drawing: blits, stretches, path fills and strokes, and text, on engine
// bitmaps by the raster. A module's device surface is drawn the way the platform does it: the
// engine renders into a bitmap of the drawn area and hands it to the module's hooked copy or
// blit entry, clipped to the pixels the drawing covered.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/engine.h"
#include "engine/pdev.h"

namespace zolt::host::engine {

namespace {

RECT Ordered(const RECTL& r) {
  return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
              std::max(r.top, r.bottom)};
}

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

// Where one drawing call paints: the target's own pixels, or for a device surface a bitmap of
// the drawn area whose covered pixels go to the module afterwards.
class Canvas {
 public:
  Canvas(SURFOBJ* target, CLIPOBJ* pco, RECT bounds) : target_(target) {
    EngSurface* s = SurfaceOf(target);
    if (!s) return;
    const RECT surfRect{0, 0, target->sizlBitmap.cx, target->sizlBitmap.cy};
    bounds = Intersect(bounds, surfRect);
    clip_ = ClipRegion(pco, bounds);
    if (clip_.Empty()) {
      ok_ = true;  // nothing to draw
      return;
    }
    if (!s->device) {
      surf_ = PixelsOf(target);
      ok_ = surf_ != nullptr;
      return;
    }
    // A device surface: a bitmap of the clipped area in a format the module takes.
    area_ = clip_.Box();
    const ULONG fmt = target->iBitmapFormat == BMF_1BPP ? BMF_1BPP : BMF_24BPP;
    temp_ = EngCreateBitmap(SIZEL{area_.right - area_.left, area_.bottom - area_.top}, 0, fmt, BMF_TOPDOWN, nullptr);
    if (!temp_) return;
    tempSo_ = EngLockSurface(reinterpret_cast<HSURF>(temp_));
    surf_ = PixelsOf(tempSo_);
    if (!surf_) return;
    RECTL all{0, 0, tempSo_->sizlBitmap.cx, tempSo_->sizlBitmap.cy};
    EngEraseSurface(tempSo_, &all, surf_->PixelOf(RGB(255, 255, 255)));
    off_ = POINT{area_.left, area_.top};
    rows_.resize(size_t(area_.bottom - area_.top));
    ok_ = true;
  }
  ~Canvas() {
    if (tempSo_) EngUnlockSurface(tempSo_);
    if (temp_) EngDeleteSurface(reinterpret_cast<HSURF>(temp_));
  }
  bool Ok() const { return ok_; }
  bool Empty() const { return clip_.Empty(); }
  const gdi::Region& Clip() const { return clip_; }
  // The pixel format drawn into.
  const gdi::Surface* Pixels() const { return surf_; }

  // Paints [x0, x1) of device row y (clipped); src holds x1 - x0 pixels of the canvas format.
  void Span(int y, int x0, int x1, const gdi::Paint& paint, const DWORD* src, uint8_t rop) {
    if (!surf_ || x0 >= x1) return;
    clip_.ClipSpan(y, x0, x1, [&](int a, int b) {
      gdi::Paint p = paint;
      p.originX -= off_.x, p.originY -= off_.y;
      gdi::RasterSpan(*surf_, y - off_.y, a - off_.x, b - off_.x, p, src ? src + (a - x0) : nullptr, rop);
      if (temp_) rows_[size_t(y - off_.y)].push_back(gdi::Interval{a, b});
    });
  }

  // Hands the covered pixels of a device surface to the module.
  bool Finish() {
    if (!ok_) return false;
    if (!temp_) return true;
    gdi::Region covered = gdi::Region::FromRows(area_.top, rows_);
    if (covered.Empty()) return true;
    EngClip clip;
    const RECT box = covered.Box();
    SetClip(clip, covered, RECTL{box.left, box.top, box.right, box.bottom}, false);
    RECTL dest{area_.left, area_.top, area_.right, area_.bottom};
    POINTL src{0, 0};
    EngSurface* s = SurfaceOf(target_);
    if (s->hooks & HOOK_COPYBITS) {
      if (auto fn = EntryAs<PFN_DrvCopyBits>(DriverEntry(target_->hdev, INDEX_DrvCopyBits)))
        return fn(target_, tempSo_, &clip.co, nullptr, &dest, &src);
    }
    if (s->hooks & HOOK_BITBLT) {
      if (auto fn = EntryAs<PFN_DrvBitBlt>(DriverEntry(target_->hdev, INDEX_DrvBitBlt)))
        return fn(target_, tempSo_, nullptr, &clip.co, nullptr, &dest, &src, nullptr, nullptr, nullptr, 0xCCCC);
    }
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
  }

 private:
  SURFOBJ* target_;
  gdi::Region clip_;
  gdi::Surface* surf_ = nullptr;
  HBITMAP temp_ = nullptr;
  SURFOBJ* tempSo_ = nullptr;
  RECT area_{};
  POINT off_{0, 0};
  std::vector<std::vector<gdi::Interval>> rows_;
  bool ok_ = false;
};

uint8_t Rop3OfMix(MIX mix) {
  const int r2 = int(mix & 0xFF);
  return gdi::MixToRop3(r2 >= R2_BLACK && r2 <= R2_WHITE ? r2 : R2_COPYPEN);
}

// One pixel of a 1-bit mask surface (1 = foreground).
bool MaskBit(const gdi::Surface* mask, int x, int y) {
  if (!mask || !mask->Contains(x, y)) return true;
  return (mask->Row(y)[x >> 3] >> (7 - (x & 7))) & 1;
}

// Blits and stretches share this: each target pixel reads the source pixel that the
// (possibly mirrored) rectangles map it to.
BOOL Transfer(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
              RECTL* prclSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) {
  if (!psoDest || !prclDest) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const uint8_t fg = uint8_t(rop4 & 0xFF), bg = uint8_t((rop4 >> 8) & 0xFF);
  const bool usesSource = gdi::RopUsesSource(fg) || (psoMask && gdi::RopUsesSource(bg));
  gdi::Surface* src = nullptr;
  if (usesSource) {
    src = PixelsOf(psoSrc);
    if (!src || !prclSrc) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  }
  gdi::Surface* mask = psoMask ? PixelsOf(psoMask) : nullptr;
  if (psoMask && (!mask || mask->bpp != 1)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const RECT dest = Ordered(*prclDest);
  Canvas canvas(psoDest, pco, dest);
  if (!canvas.Ok()) return FALSE;
  if (canvas.Empty()) return TRUE;
  const gdi::Surface& px = *canvas.Pixels();
  const gdi::Paint paint = PaintOfBrush(pbo, px, pptlBrush);

  const LONG dw = prclDest->right - prclDest->left, dh = prclDest->bottom - prclDest->top;
  LONG sw = 0, sh = 0;
  if (prclSrc) sw = prclSrc->right - prclSrc->left, sh = prclSrc->bottom - prclSrc->top;
  // Source coordinate of a target pixel (mirrored when the signs of the extents differ).
  auto srcX = [&](int x) {
    const double t = (x - std::min(prclDest->left, prclDest->right) + 0.5) / std::abs(double(dw));
    const double u = (dw < 0) != (sw < 0) ? 1.0 - t : t;
    return int(std::floor(std::min(prclSrc->left, prclSrc->right) + u * std::abs(double(sw))));
  };
  auto srcY = [&](int y) {
    const double t = (y - std::min(prclDest->top, prclDest->bottom) + 0.5) / std::abs(double(dh));
    const double u = (dh < 0) != (sh < 0) ? 1.0 - t : t;
    return int(std::floor(std::min(prclSrc->top, prclSrc->bottom) + u * std::abs(double(sh))));
  };
  const int width = dest.right - dest.left;
  std::vector<DWORD> row(size_t(std::max(width, 0)));
  std::vector<uint8_t> maskRow(row.size());
  for (int y = dest.top; y < dest.bottom; ++y) {
    const int sy = src ? srcY(y) : 0;
    for (int x = dest.left; x < dest.right; ++x) {
      const size_t i = size_t(x - dest.left);
      if (src) {
        const int sx = srcX(x);
        row[i] = src->Contains(sx, sy) ? TranslatePixel(pxlo, *src, px, src->Get(sx, sy)) : 0;
      }
      if (psoMask) {
        const int mx = (pptlMask ? pptlMask->x : 0) + (sw && src ? srcX(x) - std::min(prclSrc->left, prclSrc->right)
                                                                : x - dest.left);
        const int my = (pptlMask ? pptlMask->y : 0) + (sh && src ? sy - std::min(prclSrc->top, prclSrc->bottom)
                                                                : y - dest.top);
        maskRow[i] = MaskBit(mask, mx, my);
      }
    }
    if (!psoMask) {
      canvas.Span(y, dest.left, dest.right, paint, src ? row.data() : nullptr, fg);
      continue;
    }
    // Runs of equal mask bits take the foreground or the background operation.
    int x = dest.left;
    while (x < dest.right) {
      const uint8_t bit = maskRow[size_t(x - dest.left)];
      int e = x + 1;
      while (e < dest.right && maskRow[size_t(e - dest.left)] == bit) ++e;
      if (!(bit == 0 && bg == 0xAA)) canvas.Span(y, x, e, paint, src ? row.data() + (x - dest.left) : nullptr, bit ? fg : bg);
      x = e;
    }
  }
  return canvas.Finish();
}

// Fills or strokes a shape in pixels with a brush.
BOOL PaintShape(SURFOBJ* pso, CLIPOBJ* pco, const gdi::Shape& shape, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix,
                const gdi::StrokeStyle* stroke, bool winding) {
  double x0, y0, x1, y1;
  if (!gdi::ShapeBounds(shape, x0, y0, x1, y1)) return TRUE;
  const double grow = stroke ? stroke->width * (stroke->join == PS_JOIN_MITER ? stroke->miterLimit : 1.0) + 2 : 2;
  auto clampL = [](double v) { return LONG(std::clamp(v, -1e9, 1e9)); };
  const RECT bounds{clampL(std::floor(x0 - grow)), clampL(std::floor(y0 - grow)), clampL(std::ceil(x1 + grow)),
                    clampL(std::ceil(y1 + grow))};
  Canvas canvas(pso, pco, bounds);
  if (!canvas.Ok()) return FALSE;
  if (canvas.Empty()) return TRUE;
  const gdi::Paint paint = PaintOfBrush(pbo, *canvas.Pixels(), pptlBrushOrg);
  const uint8_t rop = Rop3OfMix(mix);
  auto span = [&](int y, int a, int b) { canvas.Span(y, a, b, paint, nullptr, rop); };
  const bool ok = stroke ? gdi::StrokeShape(shape, *stroke, canvas.Clip(), span)
                         : gdi::FillShape(shape, winding, canvas.Clip(), span);
  if (!ok) return FALSE;
  return canvas.Finish();
}

// The pixels of a cosmetic style unit on a surface: the device's denStyleStep over its
// xStyleStep; one pixel on a surface of no device.
double StyleUnitPixels(SURFOBJ* pso) {
  ULONG x = 0, den = 0;
  if (!pso || !DeviceStyleStep(pso->hdev, x, den) || x == 0 || den == 0) return 1.0;
  return double(den) / double(x);
}

// The pen of a line in pixels.
// `unit`: the pixels of one style unit of cosmetic styles.
bool StrokeOf(XFORMOBJ* pxo, const LINEATTRS* la, double unit, gdi::StrokeStyle& out) {
  out = gdi::StrokeStyle{};
  if (!la) return true;
  double scale = 1;
  if (pxo) {
    XFORML m;
    if (XFORMOBJ_iGetXform(pxo, &m) == DDI_ERROR) return false;
    scale = std::sqrt(std::abs(double(m.eM11) * m.eM22 - double(m.eM12) * m.eM21));
  }
  if (la->fl & LA_GEOMETRIC) {
    const double w = double(la->elWidth.e) * scale;
    if (!std::isfinite(w) || w > 1e6) return false;
    out.width = std::max(w, 1.0);
    out.cap = la->iEndCap == ENDCAP_SQUARE ? PS_ENDCAP_SQUARE : la->iEndCap == ENDCAP_BUTT ? PS_ENDCAP_FLAT
                                                                                           : PS_ENDCAP_ROUND;
    out.join = la->iJoin == JOIN_BEVEL ? PS_JOIN_BEVEL : la->iJoin == JOIN_MITER ? PS_JOIN_MITER : PS_JOIN_ROUND;
    const double miter = la->eMiterLimit;
    out.miterLimit = std::isfinite(miter) && miter >= 1 ? std::min(miter, 100.0) : 10.0;
  } else {
    out.width = 1;
    out.cap = PS_ENDCAP_FLAT;
    out.join = PS_JOIN_BEVEL;
  }
  if ((la->fl & LA_STYLED) && la->pstyle && la->cstyle > 0 && la->cstyle <= 64) {
    for (ULONG i = 0; i < la->cstyle; ++i) {
      const double v = (la->fl & LA_GEOMETRIC) ? double(la->pstyle[i].e) * scale : double(la->pstyle[i].l) * unit;
      out.dashes.push_back(std::isfinite(v) ? std::clamp(v, 0.5, 1e6) : 1.0);
    }
    if (out.dashes.size() % 2) {
      const auto copy = out.dashes;
      out.dashes.insert(out.dashes.end(), copy.begin(), copy.end());
    }
    if (la->fl & LA_STARTGAP) std::rotate(out.dashes.begin(), out.dashes.begin() + 1, out.dashes.end());
  } else if (!(la->fl & LA_GEOMETRIC) && (la->fl & LA_ALTERNATE)) {
    out.dashes = {1, 1};
  }
  return true;
}

}  // namespace

}  // namespace zolt::host::engine

using namespace zolt::host;
using namespace zolt::host::engine;

WIN32_API BOOL WINAPI EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush,
                                ROP4 rop4) {
  GDI_LOCK();
  if (!prclTrg) return FALSE;
  RECTL src{}, *psrc = nullptr;
  if (pptlSrc) {
    const RECT d = Ordered(*prclTrg);
    src = RECTL{pptlSrc->x, pptlSrc->y, pptlSrc->x + (d.right - d.left), pptlSrc->y + (d.bottom - d.top)};
    psrc = &src;
  }
  RECTL dest = *prclTrg;
  if (dest.right < dest.left) std::swap(dest.left, dest.right);
  if (dest.bottom < dest.top) std::swap(dest.top, dest.bottom);
  return Transfer(psoTrg, psoSrc, psoMask, pco, pxlo, &dest, psrc, pptlMask, pbo, pptlBrush, rop4);
}

WIN32_API BOOL WINAPI EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                                  POINTL* pptlSrc) {
  if (!psoSrc || !pptlSrc) return FALSE;
  return EngBitBlt(psoDest, psoSrc, nullptr, pco, pxlo, prclDest, pptlSrc, nullptr, nullptr, nullptr, 0xCCCC);
}

WIN32_API BOOL WINAPI EngStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                       XLATEOBJ* pxlo, COLORADJUSTMENT*, POINTL*, RECTL* prclDest, RECTL* prclSrc,
                                       POINTL* pptlMask, ULONG iMode, BRUSHOBJ* pbo, DWORD rop4) {
  GDI_LOCK();
  if (!psoSrc || !prclSrc || !prclDest || iMode < BLACKONWHITE || iMode > HALFTONE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (prclDest->left == prclDest->right || prclDest->top == prclDest->bottom) return TRUE;
  if (prclSrc->left == prclSrc->right || prclSrc->top == prclSrc->bottom) return TRUE;
  return Transfer(psoDest, psoSrc, psoMask, pco, pxlo, prclDest, prclSrc, pptlMask, pbo, nullptr, rop4);
}

WIN32_API BOOL WINAPI EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                    COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                                    POINTL* pptlMask, ULONG iMode) {
  return EngStretchBltROP(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc, pptlMask, iMode,
                          nullptr, psoMask ? 0xAACC : 0xCCCC);
}

WIN32_API BOOL WINAPI EngFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                                  MIX mix, FLONG flOptions) {
  GDI_LOCK();
  if (!pso || !ppo) return FALSE;
  return PaintShape(pso, pco, ShapeOfPath(ppo), pbo, pptlBrushOrg, mix, nullptr, flOptions == FP_WINDINGMODE);
}

WIN32_API BOOL WINAPI EngStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                                    POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix) {
  GDI_LOCK();
  if (!pso || !ppo) return FALSE;
  gdi::StrokeStyle style;
  if (!StrokeOf(pxo, plineattrs, StyleUnitPixels(pso), style)) return FALSE;
  return PaintShape(pso, pco, ShapeOfPath(ppo), pbo, pptlBrushOrg, mix, &style, true);
}

WIN32_API BOOL WINAPI EngStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                           BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                           POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions) {
  return EngFillPath(pso, ppo, pco, pboFill, pptlBrushOrg, mixFill, flOptions) &&
         EngStrokePath(pso, ppo, pco, pxo, pboStroke, pptlBrushOrg, plineattrs, mixFill);
}

WIN32_API BOOL WINAPI EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                                 RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) {
  GDI_LOCK();
  if (!pso || !pstro || !pfo) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  POINTL org{0, 0};
  if (!pptlOrg) pptlOrg = &org;
  if (prclOpaque && pboOpaque && prclOpaque->right > prclOpaque->left && prclOpaque->bottom > prclOpaque->top) {
    if (!EngBitBlt(pso, nullptr, nullptr, pco, nullptr, prclOpaque, nullptr, nullptr, pboOpaque, pptlOrg, 0xF0F0))
      return FALSE;
  }
  // The glyphs' bits, one run of set bits at a time.
  RECT bounds = Ordered(pstro->rclBkGround);
  STROBJ_vEnumStart(pstro);
  struct Piece {
    POINTL at;
    const GLYPHBITS* gb;
  };
  std::vector<Piece> pieces;
  BOOL more;
  do {
    ULONG c = 0;
    GLYPHPOS* gp = nullptr;
    more = STROBJ_bEnum(pstro, &c, &gp);
    for (ULONG i = 0; gp && i < c; ++i) {
      GLYPHDATA* gd = nullptr;
      HGLYPH hg = gp[i].hg;
      if (FONTOBJ_cGetGlyphs(pfo, FO_GLYPHBITS, 1, &hg, reinterpret_cast<PVOID*>(&gd)) != 1 || !gd || !gd->gdf.pgb)
        continue;
      const GLYPHBITS* gb = gd->gdf.pgb;
      const POINTL at{gp[i].ptl.x + gb->ptlOrigin.x, gp[i].ptl.y + gb->ptlOrigin.y};
      pieces.push_back({at, gb});
      bounds.left = std::min(bounds.left, at.x);
      bounds.top = std::min(bounds.top, at.y);
      bounds.right = std::max(bounds.right, at.x + gb->sizlBitmap.cx);
      bounds.bottom = std::max(bounds.bottom, at.y + gb->sizlBitmap.cy);
    }
  } while (more);
  Canvas canvas(pso, pco, bounds);
  if (!canvas.Ok()) return FALSE;
  if (!canvas.Empty()) {
    const gdi::Paint paint = PaintOfBrush(pboFore, *canvas.Pixels(), pptlOrg);
    const uint8_t rop = Rop3OfMix(mix);
    for (const Piece& p : pieces) {
      const LONG w = p.gb->sizlBitmap.cx, h = p.gb->sizlBitmap.cy;
      const LONG pitch = (w + 7) / 8;
      for (LONG y = 0; y < h; ++y) {
        const BYTE* bits = p.gb->aj + size_t(y) * size_t(pitch);
        LONG x = 0;
        while (x < w) {
          while (x < w && !((bits[x >> 3] >> (7 - (x & 7))) & 1)) ++x;
          const LONG s = x;
          while (x < w && ((bits[x >> 3] >> (7 - (x & 7))) & 1)) ++x;
          if (x > s) canvas.Span(p.at.y + y, p.at.x + s, p.at.x + x, paint, nullptr, rop);
        }
      }
    }
    // Underlines and strike-outs: rectangles up to the first empty one.
    for (RECTL* r = prclExtra; r && !(r->left == 0 && r->top == 0 && r->right == 0 && r->bottom == 0); ++r) {
      const RECT e = Ordered(*r);
      for (LONG y = e.top; y < e.bottom; ++y) canvas.Span(y, e.left, e.right, paint, nullptr, rop);
    }
  }
  return canvas.Finish();
}
