// Interim drawing entry points and drawing services, for as long as the module has no
// drawing code of its own: paths become one colour record and one path record each; a source
// bitmap copied or blitted onto the device surface becomes an image record of its rectangle
// (clipping is not applied); in raster mode bit-block transfers and text are drawn by the
// engine into the band; everything else reports success without output. Images go out as image records of the bitmap as it is. The
// real drawing code replaces this file.
#include <cstring>
#include <vector>

#include "gr_drawing_entries.h"
#include "gr_drawing_services.h"
#include "gr_pdev.h"
#include "gr_records.h"

namespace {

constexpr uint8_t kModeStroke = 1, kModeFill = 2;

// The drawing state of an entry: NULL when the record is bad; *done set when nothing more is
// to be drawn (drawing switched off: success; a write error: failure).
PhysicalDevice* DrawingPdev(SURFOBJ* pso, BOOL* result) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  *result = pdev ? TRUE : FALSE;
  if (!pdev) return nullptr;
  if (pdev->flags & kPdevWriteError) {
    *result = FALSE;
    return nullptr;
  }
  if (pdev->drawingOff) return nullptr;
  return pdev;
}

BOOL EmitPath(PhysicalDevice* pdev, PATHOBJ* ppo, BRUSHOBJ* pbo, uint8_t mode) {
  if (!ppo) return FALSE;
  std::vector<std::vector<RecPathSegment>> segments;
  std::vector<RecSubpath> figures;
  PATHOBJ_vEnumStart(ppo);
  PATHDATA pd{};
  BOOL more = TRUE;
  while (more) {
    more = PATHOBJ_bEnum(ppo, &pd);
    ULONG i = 0;
    if (pd.flags & PD_BEGINSUBPATH) {
      if (pd.count == 0) continue;
      figures.push_back({{pd.pptfx[0].x, pd.pptfx[0].y}, nullptr, 0, false});
      segments.emplace_back();
      i = 1;
    }
    if (figures.empty()) continue;
    auto& run = segments.back();
    if (pd.flags & PD_BEZIERS) {
      for (; i + 2 < pd.count; i += 3) {
        RecPathSegment s{true, {}};
        for (int k = 0; k < 3; ++k) s.points[k] = {pd.pptfx[i + k].x, pd.pptfx[i + k].y};
        run.push_back(s);
      }
    } else {
      for (; i < pd.count; ++i) run.push_back({false, {{pd.pptfx[i].x, pd.pptfx[i].y}}});
    }
    if (pd.flags & PD_CLOSEFIGURE) figures.back().closed = true;
  }
  for (size_t f = 0; f < figures.size(); ++f) {
    figures[f].segments = segments[f].data();
    figures[f].count = static_cast<uint32_t>(segments[f].size());
  }
  if (figures.empty()) return TRUE;
  RECTFX bounds{};
  PATHOBJ_vGetBounds(ppo, &bounds);
  const ULONG colour = pbo ? (pbo->iSolidColor != 0xFFFFFFFF ? pbo->iSolidColor : BRUSHOBJ_ulGetBrushColor(pbo)) : 0;
  if (!GrRecColour(pdev, 0, colour & 0xFFFFFF, nullptr, nullptr)) return FALSE;
  return GrRecPath(pdev, mode, RecRect{bounds.xLeft, bounds.yTop, bounds.xRight, bounds.yBottom}, figures.data(),
                   static_cast<uint32_t>(figures.size()))
             ? TRUE
             : FALSE;
}

}  // namespace

// ---- services -----------------------------------------------------------------------------

int GrApplyClip(PhysicalDevice*, CLIPOBJ*) { return 0; }

int GrSelectRop3(PhysicalDevice* pdev, BYTE rop3) { return GrRecRop3(pdev, rop3) ? 1 : 0; }

void GrInvalidateDrawCaches(PhysicalDevice*) {}

void GrEmptyGlyphTable(PhysicalDevice* pdev) {
  std::memset(pdev->glyphTable, 0, sizeof pdev->glyphTable);
  pdev->glyphGeneration = static_cast<uint16_t>(pdev->glyphGeneration + 1);
}

int GrEmitImage(PhysicalDevice* pdev, XLATEOBJ*, SURFOBJ* psoSrc, COLORADJUSTMENT*, POINTL*, RECTL* prclDest,
                RECTL* prclSrc, SURFOBJ*, POINTL*, ROP4, ULONG) {
  if (!psoSrc || !psoSrc->pvScan0 || !prclDest || !prclSrc) return 0;
  const bool mono = psoSrc->iBitmapFormat == BMF_1BPP;
  if (!mono && psoSrc->iBitmapFormat != BMF_24BPP) return 0;
  const LONG left = prclSrc->left, top = prclSrc->top;
  const LONG width = prclSrc->right - left, rows = prclSrc->bottom - top;
  if (left < 0 || top < 0 || width <= 0 || rows <= 0 || prclSrc->right > psoSrc->sizlBitmap.cx ||
      prclSrc->bottom > psoSrc->sizlBitmap.cy)
    return 0;
  const auto* scan0 = static_cast<const BYTE*>(psoSrc->pvScan0);
  const BYTE* first = scan0 + static_cast<ptrdiff_t>(top) * psoSrc->lDelta;
  std::vector<BYTE> copy;
  ptrdiff_t stride = psoSrc->lDelta;
  if (!mono) {
    first += size_t(left) * 3;
  } else if (left % 8 == 0) {
    first += left / 8;
  } else {
    // One-bit rows that do not start on a byte: shifted into rows of their own.
    stride = ((width + 31) / 32) * 4;
    copy.assign(size_t(stride) * size_t(rows), 0);
    for (LONG y = 0; y < rows; ++y) {
      const BYTE* src = first + static_cast<ptrdiff_t>(y) * psoSrc->lDelta;
      BYTE* dst = copy.data() + size_t(stride) * size_t(y);
      for (LONG x = 0; x < width; ++x)
        if (src[(left + x) / 8] & (0x80 >> ((left + x) % 8))) dst[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    }
    first = copy.data();
  }
  static const ULONG kMonoPalette[2] = {0x000000, 0xFFFFFF};
  RecImage image{};
  image.formatWord = mono ? 0 : 4;
  image.x = prclDest->left;
  image.y = prclDest->top;
  image.width = prclDest->right - prclDest->left;
  image.height = prclDest->bottom - prclDest->top;
  image.sourceWidth = static_cast<uint32_t>(width);
  image.rows = static_cast<uint32_t>(rows);
  image.palette = mono ? kMonoPalette : nullptr;
  image.paletteCount = mono ? 2 : 0;
  image.firstRow = first;
  image.rowStride = stride;
  return GrRecImage(pdev, image);
}

// A source bitmap drawn on the device surface: its rectangle as an image.
static BOOL SendSource(PhysicalDevice* pdev, SURFOBJ* psoSrc, XLATEOBJ* pxlo, RECTL* prclDest, POINTL* pptlSrc, ROP4 rop4) {
  if (!psoSrc || !prclDest || psoSrc->iType != STYPE_BITMAP) return TRUE;
  const POINTL at = pptlSrc ? *pptlSrc : POINTL{0, 0};
  RECTL src{at.x, at.y, at.x + (prclDest->right - prclDest->left), at.y + (prclDest->bottom - prclDest->top)};
  return GrEmitImage(pdev, pxlo, psoSrc, nullptr, nullptr, prclDest, &src, nullptr, nullptr, rop4, 0) ? TRUE : FALSE;
}

// ---- entry points -------------------------------------------------------------------------

BOOL WINAPI DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                      RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) {
  BOOL result;
  PhysicalDevice* pdev = DrawingPdev(psoTrg, &result);
  if (!pdev) return result;
  if (pdev->rasterMode)
    return EngBitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo, pptlBrush, rop4);
  return SendSource(pdev, psoSrc, pxlo, prclTrg, pptlSrc, rop4);
}

BOOL WINAPI DrvStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                          COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask,
                          ULONG iMode) {
  BOOL result;
  PhysicalDevice* pdev = DrawingPdev(psoDest, &result);
  if (!pdev) return result;
  if (pdev->rasterMode)
    return EngStretchBlt(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc, pptlMask, iMode);
  return TRUE;
}

BOOL WINAPI DrvStretchBltROP(SURFOBJ* psoDest, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*,
                             RECTL*, RECTL*, POINTL*, ULONG, BRUSHOBJ*, DWORD) {
  BOOL result;
  DrawingPdev(psoDest, &result);
  return result;
}

BOOL WINAPI DrvCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ*, XLATEOBJ* pxlo, RECTL* prclDest, POINTL* pptlSrc) {
  BOOL result;
  PhysicalDevice* pdev = DrawingPdev(psoDest, &result);
  return pdev ? SendSource(pdev, psoSrc, pxlo, prclDest, pptlSrc, 0xCCCC) : result;
}

BOOL WINAPI DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                       BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) {
  BOOL result;
  PhysicalDevice* pdev = DrawingPdev(pso, &result);
  if (!pdev) return result;
  if (pdev->rasterMode)
    return EngTextOut(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg, mix);
  return TRUE;
}

BOOL WINAPI DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ* pbo, POINTL*, LINEATTRS*, MIX) {
  BOOL result;
  PhysicalDevice* pdev = DrawingPdev(pso, &result);
  return pdev ? EmitPath(pdev, ppo, pbo, kModeStroke) : result;
}

BOOL WINAPI DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ*, BRUSHOBJ* pbo, POINTL*, MIX, FLONG) {
  BOOL result;
  PhysicalDevice* pdev = DrawingPdev(pso, &result);
  return pdev ? EmitPath(pdev, ppo, pbo, kModeFill) : result;
}

BOOL WINAPI DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ* pboStroke, LINEATTRS*,
                                 BRUSHOBJ* pboFill, POINTL*, MIX, FLONG) {
  BOOL result;
  PhysicalDevice* pdev = DrawingPdev(pso, &result);
  if (!pdev) return result;
  return EmitPath(pdev, ppo, pboFill, kModeFill) && EmitPath(pdev, ppo, pboStroke, kModeStroke) ? TRUE : FALSE;
}

BOOL WINAPI DrvRealizeBrush(BRUSHOBJ*, SURFOBJ* psoTarget, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG) {
  GrPdevOfSurface(psoTarget);
  return FALSE;  // no patterns are realised yet: the engine takes the brush's colour
}

ULONG WINAPI DrvDitherColor(DHPDEV dhpdev, ULONG, ULONG, ULONG*) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return DCR_SOLID;
}

ULONG WINAPI DrvGetGlyphMode(DHPDEV dhpdev, FONTOBJ*) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return FO_GLYPHBITS;
}

PIFIMETRICS WINAPI DrvQueryFont(DHPDEV dhpdev, ULONG_PTR, ULONG, ULONG_PTR*) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return nullptr;
}

PVOID WINAPI DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR, ULONG, ULONG, ULONG_PTR*) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return nullptr;
}

LONG WINAPI DrvQueryFontData(DHPDEV dhpdev, FONTOBJ*, ULONG, HGLYPH, GLYPHDATA*, PVOID, ULONG) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return static_cast<LONG>(GDI_ERROR);
}

BOOL WINAPI DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ*, ULONG, HGLYPH*, PVOID, ULONG) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return FALSE;
}

HANDLE WINAPI DrvIcmCreateColorTransform(DHPDEV dhpdev, LOGCOLORSPACEW*, PVOID, ULONG, PVOID, ULONG, PVOID, ULONG,
                                         DWORD) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return nullptr;
}

BOOL WINAPI DrvIcmDeleteColorTransform(DHPDEV dhpdev, HANDLE) {
  return GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev)) ? TRUE : FALSE;
}

BOOL WINAPI DrvPlgBlt(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*, POINTFIX*, RECTL*,
                      POINTL*, ULONG) {
  return TRUE;
}

BOOL WINAPI DrvAlphaBlend(SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, RECTL*, BLENDOBJ*) { return TRUE; }

BOOL WINAPI DrvGradientFill(SURFOBJ*, CLIPOBJ*, XLATEOBJ*, TRIVERTEX*, ULONG, PVOID, ULONG, RECTL*, POINTL*, ULONG) {
  return TRUE;
}

BOOL WINAPI DrvTransparentBlt(SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, RECTL*, ULONG, ULONG) { return TRUE; }
