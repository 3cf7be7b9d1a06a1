// The engine objects a module receives and their helper calls: clip objects with their
// rectangle enumeration and clip path, paths, brushes with realisation by the module, colour
// translation and transforms.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "engine/engine.h"

namespace zolt::host::engine {

namespace {

ULONG NextUniq() {
  static std::atomic<ULONG> uniq{1};
  return uniq++;
}

RECTL RectlOf(const RECT& r) { return RECTL{r.left, r.top, r.right, r.bottom}; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Clip objects.

void SetClip(EngClip& clip, const gdi::Region& region, const RECTL& bounds, bool trivialWhenCovered) {
  const RECT b{bounds.left, bounds.top, bounds.right, bounds.bottom};
  gdi::Region inside = gdi::Region::Combine(region, gdi::Region(b), RGN_AND);
  const bool same = clip.co.iUniq != 0 && inside == clip.region;
  clip.region = std::move(inside);
  clip.rects.clear();
  clip.next = 0;
  clip.co.iFComplexity = 0;
  clip.co.iMode = TC_RECTANGLES;
  clip.co.fjOptions = 0;
  if (clip.region.Empty()) {
    clip.co.iDComplexity = DC_RECT;
    clip.co.rclBounds = RECTL{0, 0, 0, 0};
  } else if (trivialWhenCovered && clip.region == gdi::Region(b)) {
    clip.co.iDComplexity = DC_TRIVIAL;
    clip.co.rclBounds = bounds;
  } else {
    clip.co.rclBounds = RectlOf(clip.region.Box());
    const bool rect = clip.region.Complexity() == SIMPLEREGION;
    clip.co.iDComplexity = rect ? DC_RECT : DC_COMPLEX;
    clip.co.iFComplexity = rect ? FC_RECT : FC_COMPLEX;
  }
  if (!same) clip.co.iUniq = NextUniq();
}

gdi::Region ClipRegion(CLIPOBJ* pco, const RECT& bounds) {
  gdi::Region all(bounds);
  if (!pco || pco->iDComplexity == DC_TRIVIAL) return all;
  EngClip* c = reinterpret_cast<EngClip*>(pco);
  if (pco->iDComplexity == DC_RECT || !c) {
    const RECT r{pco->rclBounds.left, pco->rclBounds.top, pco->rclBounds.right, pco->rclBounds.bottom};
    return gdi::Region::Combine(all, gdi::Region(r), RGN_AND);
  }
  return gdi::Region::Combine(all, c->region, RGN_AND);
}

// ---------------------------------------------------------------------------------------------
// Paths.

EngPath* PathOf(PATHOBJ* ppo) { return reinterpret_cast<EngPath*>(ppo); }

gdi::Shape ShapeOfPath(PATHOBJ* ppo) {
  gdi::Shape shape;
  EngPath* p = PathOf(ppo);
  if (!p) return shape;
  auto px = [](const POINTFIX& pt) { return gdi::PointD{pt.x / 16.0, pt.y / 16.0}; };
  for (const EngPath::Run& run : p->runs) {
    size_t i = 0;
    if (run.flags & PD_BEGINSUBPATH) {
      if (run.pts.empty()) continue;
      shape.emplace_back();
      const gdi::PointD s = px(run.pts[0]);
      shape.back().MoveTo(s.x, s.y);
      i = 1;
    }
    if (shape.empty()) continue;
    gdi::Figure& f = shape.back();
    if (run.flags & PD_BEZIERS) {
      for (; i + 2 < run.pts.size(); i += 3) f.BezierTo(px(run.pts[i]), px(run.pts[i + 1]), px(run.pts[i + 2]));
    } else {
      for (; i < run.pts.size(); ++i) {
        const gdi::PointD q = px(run.pts[i]);
        f.LineTo(q.x, q.y);
      }
    }
    if (run.flags & PD_CLOSEFIGURE) f.closed = true;
  }
  return shape;
}

namespace {

void Recount(EngPath& p) {
  ULONG curves = 0;
  bool beziers = false, integers = true;
  for (const EngPath::Run& run : p.runs) {
    const size_t n = run.pts.size() - ((run.flags & PD_BEGINSUBPATH) ? 1 : 0);
    if (run.flags & PD_BEGINSUBPATH) ++curves;
    if (run.flags & PD_BEZIERS) {
      beziers = true;
      curves += ULONG(n / 3);
    } else {
      curves += ULONG(n);
    }
    for (const POINTFIX& pt : run.pts) integers = integers && (pt.x & 15) == 0 && (pt.y & 15) == 0;
  }
  p.po.cCurves = curves;
  p.po.fl = (beziers ? PO_BEZIERS : 0) | (integers ? PO_ALL_INTEGERS : 0);
}

FIX Fix(double v) {
  const double f = std::nearbyint(v * 16.0);
  return FIX(std::clamp(f, -2147483647.0, 2147483647.0));
}

// Appends a segment run to the open figure of the path.
void AddRun(EngPath& p, bool beziers, const POINTFIX* pts, size_t n) {
  if (n == 0) return;
  if (!p.figureOpen) {
    p.runs.push_back({PD_BEGINSUBPATH | PD_RESETSTYLE | PD_ENDSUBPATH, {p.current}});
    p.figureOpen = true;
  }
  EngPath::Run& last = p.runs.back();
  const bool lastBeziers = (last.flags & PD_BEZIERS) != 0;
  const size_t lastSegments = last.pts.size() - ((last.flags & PD_BEGINSUBPATH) ? 1 : 0);
  if (lastSegments == 0 || lastBeziers == beziers) {
    if (beziers) last.flags |= PD_BEZIERS;
    last.pts.insert(last.pts.end(), pts, pts + n);
  } else {
    last.flags &= ~FLONG(PD_ENDSUBPATH);
    p.runs.push_back({FLONG((beziers ? PD_BEZIERS : 0) | PD_ENDSUBPATH), {pts, pts + n}});
  }
  p.current = pts[n - 1];
}

}  // namespace

std::unique_ptr<EngPath> PathOfShape(const gdi::Shape& shape) {
  auto p = std::make_unique<EngPath>();
  for (const gdi::Figure& f : shape) {
    if (f.pts.empty()) continue;
    p->figureOpen = false;
    p->current = POINTFIX{Fix(f.pts[0].x), Fix(f.pts[0].y)};
    size_t i = 1;
    std::vector<POINTFIX> lines;
    while (i < f.pts.size()) {
      if (f.cubic[i] && i + 2 < f.pts.size() + 0 && i + 2 <= f.pts.size() - 1) {
        if (!lines.empty()) AddRun(*p, false, lines.data(), lines.size()), lines.clear();
        POINTFIX b[3];
        for (int k = 0; k < 3; ++k) b[k] = POINTFIX{Fix(f.pts[i + k].x), Fix(f.pts[i + k].y)};
        AddRun(*p, true, b, 3);
        i += 3;
      } else {
        lines.push_back(POINTFIX{Fix(f.pts[i].x), Fix(f.pts[i].y)});
        ++i;
      }
    }
    if (!lines.empty()) AddRun(*p, false, lines.data(), lines.size());
    if (!p->figureOpen) {
      // A figure of one point: a subpath with its start point alone.
      p->runs.push_back({PD_BEGINSUBPATH | PD_RESETSTYLE | PD_ENDSUBPATH, {p->current}});
    }
    if (f.closed) p->runs.back().flags |= PD_CLOSEFIGURE;
    p->figureOpen = false;
  }
  Recount(*p);
  return p;
}

// ---------------------------------------------------------------------------------------------
// Brushes.

EngBrush::~EngBrush() = default;

gdi::Paint PaintOfBrush(BRUSHOBJ* pbo, const gdi::Surface& target, POINTL* origin) {
  if (!pbo) return gdi::Paint::Solid(0);
  if (pbo->iSolidColor != 0xFFFFFFFF) return gdi::Paint::Solid(pbo->iSolidColor & target.PixelMask());
  EngBrush* b = reinterpret_cast<EngBrush*>(pbo);
  gdi::Paint p = b->paintSet ? b->paint : gdi::Paint::Solid(0);
  if (origin) p.originX = origin->x, p.originY = origin->y;
  return p;
}

// ---------------------------------------------------------------------------------------------
// Colour translation.

DWORD TranslatePixel(XLATEOBJ* pxlo, const gdi::Surface& src, const gdi::Surface& dst, DWORD pixel) {
  if (pxlo && (pxlo->flXlate & XO_TABLE) && pxlo->pulXlate) {
    return pixel < pxlo->cEntries ? pxlo->pulXlate[pixel] & dst.PixelMask() : 0;
  }
  if (pxlo && (pxlo->flXlate & XO_TRIVIAL)) return pixel & dst.PixelMask();
  if (src.SameFormat(dst)) return pixel;
  return dst.PixelOf(src.ColorOf(pixel));
}

}  // namespace zolt::host::engine

using namespace zolt::host;
using namespace zolt::host::engine;

// ---------------------------------------------------------------------------------------------
// CLIPOBJ_*

WIN32_API ULONG WINAPI CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL, ULONG, ULONG iDirection, ULONG cLimit) {
  if (!pco) return 0;
  EngClip* c = reinterpret_cast<EngClip*>(pco);
  c->rects.clear();
  c->next = 0;
  if (pco->iDComplexity != DC_COMPLEX) {
    const RECTL& b = pco->rclBounds;
    if (b.right > b.left && b.bottom > b.top) c->rects.push_back(b);
  } else {
    // Band by band, in the asked direction.
    std::vector<std::vector<RECTL>> rows;
    for (const gdi::Band& band : c->region.Bands()) {
      rows.emplace_back();
      for (const gdi::Interval& iv : band.xs) rows.back().push_back(RECTL{iv.x0, band.y0, iv.x1, band.y1});
      if (iDirection == CD_LEFTDOWN || iDirection == CD_LEFTUP) std::reverse(rows.back().begin(), rows.back().end());
    }
    if (iDirection == CD_RIGHTUP || iDirection == CD_LEFTUP) std::reverse(rows.begin(), rows.end());
    for (auto& row : rows) c->rects.insert(c->rects.end(), row.begin(), row.end());
  }
  if (cLimit && c->rects.size() > cLimit) return 0xFFFFFFFF;
  return ULONG(c->rects.size());
}

WIN32_API BOOL WINAPI CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pul) {
  if (!pco || !pul || cj < sizeof(ULONG)) return FALSE;
  EngClip* c = reinterpret_cast<EngClip*>(pco);
  const size_t room = (cj - offsetof(ENUMRECTS, arcl)) / sizeof(RECTL);
  ENUMRECTS* er = reinterpret_cast<ENUMRECTS*>(pul);
  ULONG n = 0;
  while (n < room && c->next < c->rects.size()) std::memcpy(&er->arcl[n++], &c->rects[c->next++], sizeof(RECTL));
  er->c = n;
  // A buffer too small for one rectangle ends the enumeration rather than never advancing.
  return room > 0 && c->next < c->rects.size();
}

WIN32_API PATHOBJ* WINAPI CLIPOBJ_ppoGetPath(CLIPOBJ* pco) {
  if (!pco) return nullptr;
  EngClip* c = reinterpret_cast<EngClip*>(pco);
  gdi::Shape shape;
  std::vector<RECT> rects;
  if (pco->iDComplexity == DC_COMPLEX) {
    rects = c->region.Rects();
  } else {
    rects.push_back(RECT{pco->rclBounds.left, pco->rclBounds.top, pco->rclBounds.right, pco->rclBounds.bottom});
  }
  // Each rectangle as a closed figure along its pixel edges (pixel centres at whole numbers).
  for (const RECT& r : rects) {
    gdi::Figure f;
    f.MoveTo(r.left, r.top);
    f.LineTo(r.right, r.top);
    f.LineTo(r.right, r.bottom);
    f.LineTo(r.left, r.bottom);
    f.closed = true;
    shape.push_back(std::move(f));
  }
  return &PathOfShape(shape).release()->po;
}

WIN32_API CLIPOBJ* WINAPI EngCreateClip(VOID) {
  auto* c = new EngClip;
  c->co.iDComplexity = DC_TRIVIAL;
  return &c->co;
}

WIN32_API VOID WINAPI EngDeleteClip(CLIPOBJ* pco) { delete reinterpret_cast<EngClip*>(pco); }

// ---------------------------------------------------------------------------------------------
// PATHOBJ_*

WIN32_API PATHOBJ* WINAPI EngCreatePath(VOID) { return &(new EngPath)->po; }

WIN32_API VOID WINAPI EngDeletePath(PATHOBJ* ppo) { delete PathOf(ppo); }

WIN32_API VOID WINAPI PATHOBJ_vEnumStart(PATHOBJ* ppo) {
  if (EngPath* p = PathOf(ppo)) p->next = 0;
}

WIN32_API BOOL WINAPI PATHOBJ_bEnum(PATHOBJ* ppo, PATHDATA* ppd) {
  EngPath* p = PathOf(ppo);
  if (!p || !ppd) return FALSE;
  if (p->next >= p->runs.size()) {
    ppd->flags = 0;
    ppd->count = 0;
    ppd->pptfx = nullptr;
    return FALSE;
  }
  EngPath::Run& run = p->runs[p->next++];
  ppd->flags = run.flags;
  ppd->count = ULONG(run.pts.size());
  ppd->pptfx = run.pts.data();
  return p->next < p->runs.size();
}

WIN32_API VOID WINAPI PATHOBJ_vGetBounds(PATHOBJ* ppo, PRECTFX prectfx) {
  EngPath* p = PathOf(ppo);
  if (!prectfx) return;
  *prectfx = RECTFX{0, 0, 0, 0};
  bool first = true;
  if (!p) return;
  for (const EngPath::Run& run : p->runs) {
    for (const POINTFIX& pt : run.pts) {
      if (first) {
        *prectfx = RECTFX{pt.x, pt.y, pt.x, pt.y};
        first = false;
      }
      prectfx->xLeft = std::min(prectfx->xLeft, pt.x);
      prectfx->yTop = std::min(prectfx->yTop, pt.y);
      prectfx->xRight = std::max(prectfx->xRight, pt.x);
      prectfx->yBottom = std::max(prectfx->yBottom, pt.y);
    }
  }
}

WIN32_API BOOL WINAPI PATHOBJ_bMoveTo(PATHOBJ* ppo, POINTFIX ptfx) {
  EngPath* p = PathOf(ppo);
  if (!p) return FALSE;
  p->figureOpen = false;
  p->current = ptfx;
  return TRUE;
}

WIN32_API BOOL WINAPI PATHOBJ_bPolyLineTo(PATHOBJ* ppo, POINTFIX* pptfx, ULONG cptfx) {
  EngPath* p = PathOf(ppo);
  if (!p || (!pptfx && cptfx)) return FALSE;
  AddRun(*p, false, pptfx, cptfx);
  Recount(*p);
  return TRUE;
}

WIN32_API BOOL WINAPI PATHOBJ_bPolyBezierTo(PATHOBJ* ppo, POINTFIX* pptfx, ULONG cptfx) {
  EngPath* p = PathOf(ppo);
  if (!p || (!pptfx && cptfx) || cptfx % 3) return FALSE;
  AddRun(*p, true, pptfx, cptfx);
  Recount(*p);
  return TRUE;
}

WIN32_API BOOL WINAPI PATHOBJ_bCloseFigure(PATHOBJ* ppo) {
  EngPath* p = PathOf(ppo);
  if (!p || !p->figureOpen) return FALSE;
  p->runs.back().flags |= PD_CLOSEFIGURE;
  p->figureOpen = false;
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// BRUSHOBJ_*

WIN32_API PVOID WINAPI BRUSHOBJ_pvAllocRbrush(BRUSHOBJ* pbo, ULONG cj) {
  if (!pbo || cj == 0) return nullptr;
  EngBrush* b = reinterpret_cast<EngBrush*>(pbo);
  b->realized.assign(cj, 0);
  pbo->pvRbrush = b->realized.data();
  return pbo->pvRbrush;
}

WIN32_API PVOID WINAPI BRUSHOBJ_pvGetRbrush(BRUSHOBJ* pbo) {
  if (!pbo) return nullptr;
  EngBrush* b = reinterpret_cast<EngBrush*>(pbo);
  if (!pbo->pvRbrush && !b->realizeTried && b->realize) {
    b->realizeTried = true;
    SURFOBJ* pattern = b->pattern ? EngLockSurface(b->pattern) : nullptr;
    const BOOL ok = b->realize(pbo, b->target, pattern, nullptr, b->xlate, b->hatch);
    if (pattern) EngUnlockSurface(pattern);
    if (!ok) pbo->pvRbrush = nullptr;
  }
  return pbo->pvRbrush;
}

WIN32_API ULONG WINAPI BRUSHOBJ_ulGetBrushColor(BRUSHOBJ* pbo) { return pbo ? pbo->iSolidColor : 0xFFFFFFFF; }

WIN32_API HANDLE WINAPI BRUSHOBJ_hGetColorTransform(BRUSHOBJ*) { return nullptr; }

// ---------------------------------------------------------------------------------------------
// XLATEOBJ_* and PALOBJ_*

WIN32_API ULONG WINAPI XLATEOBJ_iXlate(XLATEOBJ* pxlo, ULONG iColor) {
  if (!pxlo || (pxlo->flXlate & XO_TRIVIAL)) return iColor;
  if ((pxlo->flXlate & XO_TABLE) && pxlo->pulXlate) return iColor < pxlo->cEntries ? pxlo->pulXlate[iColor] : 0;
  EngXlate* x = reinterpret_cast<EngXlate*>(pxlo);
  return DeviceOfColor(x->dst, ColorOfDevice(x->src, iColor));
}

WIN32_API ULONG* WINAPI XLATEOBJ_piVector(XLATEOBJ* pxlo) {
  return pxlo && (pxlo->flXlate & XO_TABLE) ? pxlo->pulXlate : nullptr;
}

WIN32_API ULONG WINAPI XLATEOBJ_cGetPalette(XLATEOBJ* pxlo, ULONG iPal, ULONG cPal, ULONG* pPal) {
  if (!pxlo) return 0;
  EngXlate* x = reinterpret_cast<EngXlate*>(pxlo);
  const EngPalette* pal = iPal == XO_SRCPALETTE ? x->src : iPal == XO_DESTPALETTE ? x->dst : nullptr;
  if (!pal || pal->mode != PAL_INDEXED) return 0;
  if (!pPal) return ULONG(pal->colors.size());
  const ULONG n = std::min<ULONG>(cPal, ULONG(pal->colors.size()));
  std::copy_n(pal->colors.begin(), n, pPal);
  return n;
}

WIN32_API HANDLE WINAPI XLATEOBJ_hGetColorTransform(XLATEOBJ*) { return nullptr; }

WIN32_API ULONG WINAPI PALOBJ_cGetColors(PALOBJ* ppalo, ULONG iStart, ULONG cColors, ULONG* pulColors) {
  EngPalette* pal = reinterpret_cast<EngPalette*>(ppalo);
  if (!pal || pal->mode != PAL_INDEXED || iStart >= pal->colors.size() || !pulColors) return 0;
  const ULONG n = std::min<ULONG>(cColors, ULONG(pal->colors.size() - iStart));
  std::copy_n(pal->colors.begin() + iStart, n, pulColors);
  return n;
}

// ---------------------------------------------------------------------------------------------
// XFORMOBJ_*

WIN32_API ULONG WINAPI XFORMOBJ_iGetXform(XFORMOBJ* pxo, XFORML* pxform) {
  if (!pxo) return DDI_ERROR;
  const XFORML& m = reinterpret_cast<EngXform*>(pxo)->m;
  if (pxform) *pxform = m;
  if (m.eM12 != 0 || m.eM21 != 0) return GX_GENERAL;
  if (m.eM11 != 1 || m.eM22 != 1) return GX_SCALE;
  if (m.eDx != 0 || m.eDy != 0) return GX_OFFSET;
  return GX_IDENTITY;
}

WIN32_API BOOL WINAPI XFORMOBJ_bApplyXform(XFORMOBJ* pxo, ULONG iMode, ULONG cPoints, PVOID pvIn, PVOID pvOut) {
  if (!pxo || !pvIn || !pvOut) return FALSE;
  const XFORML& m = reinterpret_cast<EngXform*>(pxo)->m;
  double a = m.eM11, b = m.eM12, c = m.eM21, d = m.eM22, dx = m.eDx, dy = m.eDy;
  const bool inverse = iMode == XF_INV_LTOL || iMode == XF_INV_FXTOL;
  if (iMode > XF_INV_FXTOL) return FALSE;
  if (inverse) {
    const double det = a * d - b * c;
    if (det == 0 || !std::isfinite(det)) return FALSE;
    const double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
    const double idx = -(dx * ia + dy * ic), idy = -(dx * ib + dy * id);
    a = ia, b = ib, c = ic, d = id, dx = idx, dy = idy;
  }
  const double inScale = iMode == XF_INV_FXTOL ? 1.0 / 16 : 1.0;
  const double outScale = iMode == XF_LTOFX ? 16.0 : 1.0;
  const LONG* in = static_cast<const LONG*>(pvIn);
  std::vector<LONG> out(size_t(cPoints) * 2);
  for (ULONG i = 0; i < cPoints; ++i) {
    const double x = in[2 * i] * inScale, y = in[2 * i + 1] * inScale;
    const double ox = (x * a + y * c + dx) * outScale, oy = (x * b + y * d + dy) * outScale;
    out[2 * i] = LONG(std::clamp(std::nearbyint(ox), -2147483647.0, 2147483647.0));
    out[2 * i + 1] = LONG(std::clamp(std::nearbyint(oy), -2147483647.0, 2147483647.0));
  }
  std::memcpy(pvOut, out.data(), out.size() * sizeof(LONG));
  return TRUE;
}
