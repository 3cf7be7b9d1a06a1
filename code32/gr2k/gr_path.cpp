// Paths and clipping: stroked, filled and stroked-and-filled paths as path records, the line
// attributes in the device's terms, the fall-back to the engine for paths beyond the module's
// limit, the clip of every drawing call (with the cache that keeps it from being restated) and
// the span lists of clip regions too large for a path.
#include "gr_path.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "byte_order.h"
#include "gr_brush.h"
#include "gr_drawing_entries.h"
#include "gr_drawing_services.h"
#include "gr_records.h"

namespace {

constexpr BOOL kDdiError = static_cast<BOOL>(DDI_ERROR);

// ---- the path walk ------------------------------------------------------------------------

enum class PathForm { Record, PerSubpath, Outline };

struct PathWalk {
  PhysicalDevice* pdev;
  PATHOBJ* ppo;
  BYTE mode;
  PathForm form;
  LONG dx = 0, dy = 0;
  // The record (or outline buffer) being written.
  BYTE* start = nullptr;
  BYTE* p = nullptr;
  BYTE* end = nullptr;
  uint32_t lines = 0, curves = 0, subpaths = 0;
  bool closed = false;
  // The subpath being written.
  BYTE* countSlot = nullptr;
  uint32_t segments = 0;
  bool subpathClosed = false;
  BYTE* last = nullptr;  // the last record finished
};

uint32_t ReserveBytes(ULONG cCurves) { return 40 * cCurves + 40; }

bool OpenRecord(PathWalk& w) {
  const ULONG n = w.ppo->cCurves;
  if (n > (0xFFFFFFF0u - 40) / 40) return false;
  w.start = GrReservePathRecord(w.pdev, n);
  if (!w.start) return false;
  w.p = w.start + 28;
  w.end = w.start + ReserveBytes(n);
  w.lines = w.curves = w.subpaths = 0;
  w.closed = false;
  return true;
}

void FinishRecord(PathWalk& w) {
  BYTE* r = w.start;
  const bool several = w.subpaths > 1;
  std::memset(r, 0, 28);
  r[0] = w.curves ? kRecPathCurves : kRecPathLines;
  r[2] = static_cast<BYTE>(w.mode | (w.closed ? kPathClosed : 0) | (several ? kPathSubpaths : 0));
  const uint32_t size = static_cast<uint32_t>(w.p - r);
  WriteLe32(r + 4, size);
  RECTFX b{};
  PATHOBJ_vGetBounds(w.ppo, &b);
  WriteLe32(r + 8, static_cast<uint32_t>(b.xLeft >> 4));
  WriteLe32(r + 12, static_cast<uint32_t>(b.yTop >> 4));
  WriteLe32(r + 16, static_cast<uint32_t>(b.xRight >> 4));
  WriteLe32(r + 20, static_cast<uint32_t>(b.yBottom >> 4));
  WriteLe32(r + 24, 3 * w.lines + 7 * w.curves + 3 * w.subpaths + (several ? 1 : 0));
  GrAlignRecordEnd(&w.pdev->output, w.p);
  w.last = r;
  w.start = nullptr;
}

void Abandon(PathWalk& w) {
  if (w.form != PathForm::Outline && w.start) GrAlignRecordEnd(&w.pdev->output, w.start);
  w.start = nullptr;
}

bool PutPoint(PathWalk& w, const POINTFIX& pt) {
  WriteLe32(w.p, static_cast<uint32_t>(pt.x + w.dx));
  WriteLe32(w.p + 4, static_cast<uint32_t>(pt.y + w.dy));
  w.p += 8;
  return true;
}

void EndSubpath(PathWalk& w) {
  if (!w.countSlot) return;
  WriteLe32(w.countSlot, w.segments);
  w.countSlot = nullptr;
  if (w.form == PathForm::PerSubpath) {
    w.closed = w.subpathClosed;
    FinishRecord(w);
  }
}

// Walks the whole path in the walk's form; false for a malformed path, one larger than its
// curve count says, or a record that cannot be had.
bool WalkPath(PathWalk& w) {
  if (w.form == PathForm::Record && !OpenRecord(w)) return false;
  PATHOBJ_vEnumStart(w.ppo);
  PATHDATA pd{};
  BOOL more;
  do {
    pd = PATHDATA{};
    more = PATHOBJ_bEnum(w.ppo, &pd);
    if (pd.count == 0) {
      if (!more && !(pd.flags & PD_ENDSUBPATH) && w.subpaths == 0) return false;  // an empty path
      if (pd.flags & PD_BEGINSUBPATH) return false;
      if (pd.flags & PD_ENDSUBPATH) EndSubpath(w);
      continue;
    }
    if (!pd.pptfx) return false;
    ULONG k = 0;
    if (pd.flags & PD_BEGINSUBPATH) {
      EndSubpath(w);
      if (w.form == PathForm::PerSubpath && !OpenRecord(w)) return false;
      if (w.end - w.p < 12) return false;
      w.countSlot = w.p;
      w.p += 4;
      PutPoint(w, pd.pptfx[0]);
      w.segments = 0;
      w.subpathClosed = false;
      w.subpaths += 1;
      k = 1;
    } else if (!w.countSlot) {
      return false;  // points outside any subpath
    }
    if (pd.flags & PD_BEZIERS) {
      if ((pd.count - k) % 3) return false;
      for (; k < pd.count; k += 3) {
        if (w.end - w.p < 28) return false;
        WriteLe32(w.p, 1);
        w.p += 4;
        for (int i = 0; i < 3; ++i) PutPoint(w, pd.pptfx[k + i]);
        w.segments += 1;
        w.curves += 1;
      }
    } else {
      for (; k < pd.count; ++k) {
        if (w.end - w.p < 12) return false;
        WriteLe32(w.p, 0);
        w.p += 4;
        PutPoint(w, pd.pptfx[k]);
        w.segments += 1;
        w.lines += 1;
      }
    }
    if (pd.flags & PD_CLOSEFIGURE) w.closed = w.subpathClosed = true;
    if (pd.flags & PD_ENDSUBPATH) EndSubpath(w);
  } while (more);
  EndSubpath(w);
  if (w.subpaths == 0 && w.form != PathForm::PerSubpath) return false;
  if (w.form == PathForm::Record) FinishRecord(w);
  return true;
}

// ---- line styles --------------------------------------------------------------------------

// The 32-bit mask of a list of element lengths (dash, gap, dash, ...), all in mask units.
uint32_t StyleMask(const std::vector<uint32_t>& elements, uint32_t repeat, uint32_t remainder) {
  uint32_t mask = 0, bits = 0;
  for (size_t i = 0; i < elements.size(); ++i) {
    uint32_t n = elements[i] * repeat;
    if (remainder) n += 1, remainder -= 1;
    const uint32_t bit = (i % 2 == 0) ? 1 : 0;
    for (uint32_t j = 0; j < n && bits < 32; ++j, ++bits) mask = (mask << 1) | bit;
  }
  for (; remainder && bits < 32; --remainder, ++bits) mask = (mask << 1) | (mask & 1);
  return mask;
}

}  // namespace

// ---- line attributes ----------------------------------------------------------------------

int32_t GrLineScale(XFORMOBJ* pxo) {
  XFORML m{};
  const ULONG kind = pxo ? XFORMOBJ_iGetXform(pxo, &m) : GX_IDENTITY;
  if (kind == GX_IDENTITY) return -1;
  const auto a = static_cast<int32_t>(m.eM11 * 256.0f), d = static_cast<int32_t>(m.eM22 * 256.0f);
  if (kind == GX_SCALE && static_cast<int32_t>(m.eM11 * 8.0f) != static_cast<int32_t>(m.eM22 * 8.0f)) return 0;
  return (std::abs(a) + std::abs(d)) / 2;
}

int GrConvertLineAttrs(PhysicalDevice* pdev, LINEATTRS* la, uint32_t color, XFORMOBJ* pxo, LineAttributes* out,
                       int* geometric) {
  *out = LineAttributes{};
  out->styleMask = 0xFFFFFFFF;
  out->styleUnit = 1;
  out->color = color;
  *geometric = 0;
  if (!la) {
    out->width = 1;
    out->miterLimit = 2560;
    return 1;
  }
  const bool geo = (la->fl & LA_GEOMETRIC) != 0;
  int32_t scale = -1;
  if (geo) {
    *geometric = 1;
    const float e = la->elWidth.e;
    const int64_t w = std::isfinite(e) ? static_cast<int64_t>(std::clamp(e, -2.0e9f, 2.0e9f)) : 0;
    scale = GrLineScale(pxo);
    if (w < 1) {
      out->width = 1;
    } else if (scale == -1) {
      out->width = static_cast<uint16_t>(std::min<int64_t>(w, 0xFFFF));
    } else if (scale == 0) {
      return 0;
    } else {
      out->width = static_cast<uint16_t>(std::max<int64_t>(1, static_cast<uint16_t>((w * scale) >> 8)));
    }
    out->join = static_cast<uint16_t>(la->iJoin);
    out->endCap = la->iEndCap == ENDCAP_SQUARE ? 2 : la->iEndCap == ENDCAP_BUTT ? 1 : 0;
  } else {
    out->width = 1;
  }
  const bool styled = (la->fl & (LA_GEOMETRIC | LA_STYLED)) != 0;
  if (styled) {
    const float limit = std::isfinite(la->eMiterLimit) ? std::clamp(la->eMiterLimit, 1.0f, 32767.0f) : 10.0f;
    out->miterLimit = static_cast<uint32_t>(256.0f * limit);
  } else {
    out->miterLimit = 2560;
  }
  if (!styled || !la->pstyle || la->cstyle == 0) return 1;
  if (out->width != 1) return 0;  // wide styled lines are refused
  if (la->cstyle <= 1 || la->cstyle > 0x10000) return 1;

  // Element lengths in device pixels.
  std::vector<uint32_t> e;
  e.reserve(la->cstyle);
  const uint32_t perUnit = std::max<uint32_t>(1, pdev->resolution / 50);
  for (ULONG i = 0; i < la->cstyle; ++i) {
    uint64_t n;
    if (geo) {
      const float f = la->pstyle[i].e;
      n = std::isfinite(f) && f > 0 ? static_cast<uint64_t>(std::min(f, 1.0e6f)) : 0;
      if (scale > 0) n = n * static_cast<uint64_t>(scale) / 256;
    } else {
      const LONG v = la->pstyle[i].l;
      n = v > 0 ? static_cast<uint64_t>(std::min<LONG>(v, 1000000)) * perUnit : 0;
    }
    e.push_back(static_cast<uint32_t>(std::min<uint64_t>(n, 0xFFFFFF)));
  }
  uint32_t gap = 0;
  if (la->fl & LA_STARTGAP) {
    gap = e.front() & 0xFF;
    e.erase(e.begin());
    if (e.size() <= 1) return 1;
  }
  uint64_t sum = 0;
  for (uint32_t v : e) sum += v;
  if (sum == 0) return 1;
  out->stylePhase = static_cast<uint16_t>(32 * uint64_t{gap} / sum);
  for (size_t i = 0; i < e.size(); ++i)
    if (e[i] == 0) e[i] = i + 1 < e.size() ? e[i + 1] : e[i - 1];
  uint64_t t = 0;
  for (uint32_t v : e) t += v;
  if (t > 32) {
    const uint64_t unit = t / 32;
    if (unit > 255) {
      if (geo) return 0;
      out->styleUnit = 255;
    } else {
      out->styleUnit = static_cast<uint16_t>(unit);
    }
    uint32_t total = 0;
    for (uint32_t& v : e) {
      v = std::max<uint32_t>(1, static_cast<BYTE>(32 * uint64_t{v} / t));
      total += v;
    }
    if (total > 32) return geo ? 0 : 1;
    for (uint32_t i = 0; total < 32; ++i, ++total) e[i % e.size()] += 1;
    uint32_t others = 0;
    for (size_t i = 0; i + 1 < e.size(); ++i) others += e[i];
    e.back() = 32 - others;
    t = 32;
  } else {
    out->styleUnit = 1;
  }
  const uint32_t r = static_cast<uint32_t>(32 / t);
  uint32_t m = static_cast<uint32_t>(32 % t);
  if (r > 1) {
    std::vector<uint32_t> repeated;
    repeated.reserve(e.size() * r);
    for (uint32_t k = 0; k < r; ++k) repeated.insert(repeated.end(), e.begin(), e.end());
    const uint32_t count = static_cast<uint32_t>(repeated.size());
    for (uint32_t& v : repeated) v += m / count;
    for (uint32_t i = 0; i < m % count; ++i) repeated[i] += 1;
    out->styleMask = StyleMask(repeated, 1, 0);
  } else {
    out->styleMask = StyleMask(e, r, m);
  }
  return 1;
}

int GrEmitLineAttributes(PhysicalDevice* pdev, const LineAttributes* a) {
  auto& c = GrStateCache(pdev)->line;
  const bool all = !c.valid;
  if (all || c.width != a->width || c.styleMask != a->styleMask || c.styleUnit != a->styleUnit) {
    if (!GrRecLineWidth(pdev, a->styleUnit, a->width, a->styleMask)) return 0;
    c.width = a->width;
    c.styleMask = a->styleMask;
    c.styleUnit = a->styleUnit;
  }
  if (all || c.stylePhase != a->stylePhase) {
    if (!GrRecDashPhase(pdev, a->stylePhase)) return 0;
    c.stylePhase = static_cast<BYTE>(a->stylePhase);
  }
  if (all || c.endCap != a->endCap) {
    if (!GrRecLineEnd(pdev, static_cast<BYTE>(a->endCap))) return 0;
    c.endCap = static_cast<BYTE>(a->endCap);
  }
  if (all || c.join != a->join || c.miterLimit != a->miterLimit) {
    const float limit = static_cast<float>(a->miterLimit) / 256.0f;
    if (!GrRecLineJoin(pdev, static_cast<BYTE>(a->join), &limit)) return 0;
    c.join = static_cast<BYTE>(a->join);
    c.miterLimit = a->miterLimit;
  }
  c.valid = 1;
  return 1;
}

// ---- path records -------------------------------------------------------------------------

int GrPathWithinLimit(PhysicalDevice* pdev, PATHOBJ* ppo) {
  return pdev->pathLimit && ppo && ppo->cCurves > kPathCurveLimit ? 0 : 1;
}

BYTE* GrEmitPathPerSubpath(PhysicalDevice* pdev, PATHOBJ* ppo, BYTE mode) {
  if (!ppo) return nullptr;
  PathWalk w{pdev, ppo, mode, PathForm::PerSubpath};
  if (!WalkPath(w)) {
    Abandon(w);
    return nullptr;
  }
  return w.last;
}

BYTE* GrEmitPath(PhysicalDevice* pdev, PATHOBJ* ppo, BYTE mode) {
  if (!ppo) return nullptr;
  PathWalk w{pdev, ppo, mode, PathForm::Record};
  if (!WalkPath(w)) {
    Abandon(w);
    return nullptr;
  }
  // A stroke of several closed figures goes out one figure per record.
  if (mode == kPathStroke && w.subpaths > 1 && w.closed) {
    GrAlignRecordEnd(&pdev->output, w.last);
    return GrEmitPathPerSubpath(pdev, ppo, mode);
  }
  return w.last;
}

uint32_t GrOutlineBufferSize(PATHOBJ* ppo) {
  if (!ppo || ppo->cCurves > (0xFFFFFFF0u - 16) / 40) return 0;
  return 40 * ppo->cCurves + 16;
}

uint32_t GrBuildOutlinePath(PhysicalDevice* pdev, PATHOBJ* ppo, int* closed, BYTE* buffer, uint32_t capacity,
                            LONG dx, LONG dy) {
  if (closed) *closed = 0;
  if (!ppo || !buffer || capacity < 4) return 0;
  PathWalk w{pdev, ppo, 0, PathForm::Outline};
  w.dx = dx;
  w.dy = dy;
  w.start = buffer;
  w.p = buffer + 4;
  w.end = buffer + capacity;
  if (!WalkPath(w)) return 0;
  WriteLe32(buffer, 3 * w.lines + 7 * w.curves + 3 * w.subpaths + (w.subpaths > 1 ? 1 : 0));
  if (closed) *closed = w.closed ? 1 : 0;
  return static_cast<uint32_t>(w.p - buffer + 3) & ~3u;
}

// ---- clipping -----------------------------------------------------------------------------

ClipCache* GrCreateClipCache(PhysicalDevice* pdev) {
  auto* cache = static_cast<ClipCache*>(GrHeapAlloc(pdev->heap, sizeof(ClipCache)));
  if (cache) *cache = ClipCache{};
  return cache;
}

void GrInvalidateClipCache(ClipCache* cache) {
  if (cache) cache->valid = 0;
}

int GrLookupClipCache(ClipCache* cache, ULONG identity, uint32_t kind, const RECTL* rect) {
  if (!cache || !cache->valid || cache->kind != kind) return 0;
  if (kind == 1)
    return rect && cache->rect.left == rect->left && cache->rect.top == rect->top &&
                   cache->rect.right == rect->right && cache->rect.bottom == rect->bottom
               ? cache->result
               : 0;
  return cache->identity == identity ? cache->result : 0;
}

void GrStoreClipCache(ClipCache* cache, ULONG identity, int result, uint32_t kind, const RECTL* rect) {
  cache->valid = 1;
  cache->identity = identity;
  cache->result = result;
  cache->kind = kind;
  if (kind == 1 && rect) cache->rect = *rect;
}

void GrFreeClipCache(PhysicalDevice* pdev, ClipCache* cache) {
  if (cache) GrHeapFree(pdev->heap, cache);
}

int GrApplyClip(PhysicalDevice* pdev, CLIPOBJ* pco) {
  if (!pdev->clipCache) pdev->clipCache = GrCreateClipCache(pdev);
  auto* cache = static_cast<ClipCache*>(pdev->clipCache);
  if (!cache) return -1;
  if (!pco || pco->iDComplexity == DC_TRIVIAL) {
    if (cache->kind != 0) {
      if (!GrRecClipReset(pdev)) return -1;
      cache->kind = 0;
    }
    return 0;
  }
  if (pco->iDComplexity == DC_RECT) {
    if (int r = GrLookupClipCache(cache, pco->iUniq, 1, &pco->rclBounds)) return r;
    const RECTL& b = pco->rclBounds;
    if (!GrEmitClipRect(pdev, RecRect{b.left, b.top, b.right, b.bottom})) return -1;
    GrStoreClipCache(cache, pco->iUniq, 1, 1, &b);
    return 1;
  }
  if (pco->iDComplexity != DC_COMPLEX) return -1;
  if (pco->iUniq != 0)
    if (int r = GrLookupClipCache(cache, pco->iUniq, 3, nullptr)) return r;
  PATHOBJ* ppo = CLIPOBJ_ppoGetPath(pco);
  if (!ppo) return -1;
  BYTE* record = GrEmitPath(pdev, ppo, kPathClip);
  EngDeletePath(ppo);
  if (!record) return -1;
  GrStoreClipCache(cache, pco->iUniq, 1, 3, nullptr);
  return 1;
}

int GrEmitClipSpans(PhysicalDevice* pdev, CLIPOBJ* pco, const RECTL& bounds) {
  const bool wide = std::max({bounds.left, bounds.top, bounds.right, bounds.bottom}) > 0x7FFF;
  const uint32_t entryBytes = wide ? 12 : 6;
  BYTE* buffer = static_cast<BYTE*>(GrHeapAlloc(pdev->heap, size_t{kClipSpansPerRecord} * entryBytes));
  if (!buffer) return 0;
  const BYTE wideFlag = wide ? 0x10 : 0;
  const RecRect recBounds{bounds.left, bounds.top, bounds.right, bounds.bottom};
  uint32_t count = 0;
  bool first = true, ok = true;
  auto put = [&](LONG y, LONG x0, LONG x1) {
    if (count == kClipSpansPerRecord) {
      ok = GrRecClipRects(pdev, static_cast<uint8_t>((first ? 2 : 4) | wideFlag), recBounds, buffer,
                          count * entryBytes) != 0;
      first = false;
      count = 0;
      if (!ok) return;
    }
    BYTE* e = buffer + count * entryBytes;
    if (wide) {
      WriteLe32(e, static_cast<uint32_t>(y));
      WriteLe32(e + 4, static_cast<uint32_t>(x0));
      WriteLe32(e + 8, static_cast<uint32_t>(x1));
    } else {
      WriteLe16(e, static_cast<uint16_t>(y));
      WriteLe16(e + 2, static_cast<uint16_t>(x0));
      WriteLe16(e + 4, static_cast<uint16_t>(x1));
    }
    count += 1;
  };
  // Only what lies inside the drawing's own rectangle is filled.
  const LONG bl = std::min(bounds.left, bounds.right), br = std::max(bounds.left, bounds.right);
  const LONG bt = std::min(bounds.top, bounds.bottom), bb = std::max(bounds.top, bounds.bottom);
  CLIPOBJ_cEnumStart(pco, FALSE, CT_RECTANGLES, CD_ANY, 0);
  struct {
    ULONG c;
    RECTL r[1];
  } enumeration{};
  bool any = false;
  BOOL more;
  do {
    enumeration.c = 0;
    more = CLIPOBJ_bEnum(pco, sizeof enumeration, reinterpret_cast<ULONG*>(&enumeration));
    for (ULONG i = 0; ok && i < enumeration.c && i < 1; ++i) {
      const RECTL& r = enumeration.r[i];
      const LONG left = std::max({std::min(r.left, r.right), bl, LONG{0}});
      const LONG right = std::min(std::max(r.left, r.right), br);
      const LONG top = std::max({std::min(r.top, r.bottom), bt, LONG{0}});
      const LONG bottom = std::min(std::max(r.top, r.bottom), bb);
      if (right <= left || bottom <= top) continue;
      for (LONG y = top; ok && y < bottom; ++y) {
        put(y, left, std::max<LONG>(right - 1, 0));
        any = true;
      }
    }
  } while (ok && more);
  if (ok && any)
    ok = GrRecClipRects(pdev, static_cast<uint8_t>((first ? 10 : 12) | wideFlag), recBounds, buffer,
                        count * entryBytes) != 0;
  GrHeapFree(pdev->heap, buffer);
  return ok && any ? 1 : 0;
}

// ---- entry points -------------------------------------------------------------------------

namespace {

// The common prologue: NULL with *result set when the call ends here.
PhysicalDevice* PathPdev(SURFOBJ* pso, BOOL* result) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  if (!pdev) {
    *result = kDdiError;
    return nullptr;
  }
  if (pdev->drawingOff) {
    *result = TRUE;
    return nullptr;
  }
  if (pdev->flags & kPdevWriteError) {
    *result = FALSE;
    return nullptr;
  }
  return pdev;
}

BOOL OutOfMemory() {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return kDdiError;
}

BOOL FillThenStroke(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                    LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions) {
  const BOOL fill = GrFillPath(pso, ppo, pco, pboFill, pptlBrushOrg, mixFill, flOptions);
  if (fill != TRUE) return fill;
  const BOOL stroke = GrStrokePath(pso, ppo, pco, pxo, pboStroke, pptlBrushOrg, plineattrs, mixFill);
  return stroke == TRUE ? TRUE : stroke;
}

}  // namespace

BOOL GrStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                  LINEATTRS* plineattrs, MIX mix) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  if (!pdev || !ppo || !pbo || pbo->iSolidColor == 0xFFFFFFFF) return FALSE;
  LineAttributes la;
  int geometric = 0;
  if (!GrConvertLineAttrs(pdev, plineattrs, pbo->iSolidColor, pxo, &la, &geometric) && geometric) return FALSE;
  if (!GrEmitLineAttributes(pdev, &la)) return FALSE;
  RealizedBrush* brush = GrGetBrush(pdev, pso, pbo, pptlBrushOrg);
  if (!brush || !GrEmitBrush(pdev, brush)) return OutOfMemory();
  DrawState state{};
  GrStateFromMix(pdev, mix, &state, 0);
  if (!GrEmitBackgroundMode(pdev, static_cast<BYTE>(state.backgroundMode)) ||
      !GrEmitRop(pdev, GrMixToRop3(mix & 0xFF)) || GrApplyClip(pdev, pco) < 0)
    return FALSE;
  state.color1 = pbo->iSolidColor;
  state.color2 = 0xFFFFFF;
  state.color3 = 0;
  state.objectKind = kObjectLine;
  GrSwapStateColors(&state);
  state.hostMatched = brush->hostMatched;
  if (!GrEmitColors(pdev, &state)) return FALSE;
  if (GrPathWithinLimit(pdev, ppo) || !geometric) return GrEmitPath(pdev, ppo, kPathStroke) ? TRUE : FALSE;
  return EngStrokePath(pso, ppo, pco, pxo, pbo, pptlBrushOrg, plineattrs, mix);
}

BOOL GrFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix,
                FLONG flOptions) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  if (!pdev || !ppo) return FALSE;
  RealizedBrush* brush = GrGetBrush(pdev, pso, pbo, pptlBrushOrg);
  if (!brush || !GrEmitBrush(pdev, brush)) return OutOfMemory();
  DrawState state{};
  GrStateFromMix(pdev, mix, &state, 0);
  state.color1 = brush->color1;
  state.color2 = brush->color2;
  state.color3 = 0;
  state.objectKind = kObjectFill;
  GrSwapStateColors(&state);
  state.hostMatched = brush->hostMatched;
  if (!GrEmitColors(pdev, &state)) return FALSE;
  const BYTE background = brush->kind == kBrushKindPattern ? 2 : static_cast<BYTE>(state.backgroundMode);
  if (!GrEmitBackgroundMode(pdev, background) || !GrEmitRop(pdev, GrMixToRop3(mix & 0xFF)) ||
      GrApplyClip(pdev, pco) < 0)
    return FALSE;
  const BYTE mode = flOptions == FP_WINDINGMODE ? kPathFillWinding : kPathFillAlternate;
  if (GrPathWithinLimit(pdev, ppo)) return GrEmitPath(pdev, ppo, mode) ? TRUE : FALSE;
  return EngFillPath(pso, ppo, pco, pbo, pptlBrushOrg, mix, flOptions);
}

BOOL WINAPI DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                          POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix) {
  BOOL result;
  if (!PathPdev(pso, &result)) return result;
  return GrStrokePath(pso, ppo, pco, pxo, pbo, pptlBrushOrg, plineattrs, mix);
}

BOOL WINAPI DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix,
                        FLONG flOptions) {
  BOOL result;
  if (!PathPdev(pso, &result)) return result;
  return GrFillPath(pso, ppo, pco, pbo, pptlBrushOrg, mix, flOptions);
}

BOOL WINAPI DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                                 LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mixFill,
                                 FLONG flOptions) {
  BOOL result;
  PhysicalDevice* pdev = PathPdev(pso, &result);
  if (!pdev) return result;
  if (!ppo) return FALSE;
  if (!pboFill || !pboStroke || pboFill->iSolidColor == 0xFFFFFFFF || pboStroke->iSolidColor == 0xFFFFFFFF)
    return FillThenStroke(pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill, pptlBrushOrg, mixFill, flOptions);
  LineAttributes la;
  int geometric = 0;
  if (!GrConvertLineAttrs(pdev, plineattrs, pboStroke->iSolidColor, pxo, &la, &geometric)) return FALSE;
  const bool within = GrPathWithinLimit(pdev, ppo) != 0;
  if (!within && !geometric)
    return FillThenStroke(pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill, pptlBrushOrg, mixFill, flOptions);
  if (!GrEmitLineAttributes(pdev, &la)) return FALSE;
  RealizedBrush* brush = GrGetBrush(pdev, pso, pboFill, pptlBrushOrg);
  if (!brush || !GrEmitBrush(pdev, brush)) return OutOfMemory();
  DrawState state{};
  GrStateFromMix(pdev, mixFill, &state, 1);
  const BYTE background = brush->kind == kBrushKindPattern ? 2 : static_cast<BYTE>(state.backgroundMode);
  if (!GrEmitBackgroundMode(pdev, background) || !GrEmitRop(pdev, GrMixToRop3(mixFill & 0xFF)) ||
      GrApplyClip(pdev, pco) < 0)
    return FALSE;
  state.color1 = brush->color1;
  state.color2 = brush->color2;
  state.color3 = pboStroke->iSolidColor;
  state.hasColor3 = 1;
  state.objectKind = kObjectLineAndFill;
  GrSwapStateColors(&state);
  state.hostMatched = brush->hostMatched;
  if (!GrEmitColors(pdev, &state)) return FALSE;
  const BYTE mode = flOptions == FP_WINDINGMODE ? kPathStrokeFillWinding : kPathStrokeFillAlternate;
  if (within) return GrEmitPath(pdev, ppo, mode) ? TRUE : FALSE;
  return EngStrokeAndFillPath(pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill, pptlBrushOrg, mixFill, flOptions);
}
