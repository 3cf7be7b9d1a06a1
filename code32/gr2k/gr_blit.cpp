// Blits and images: DrvBitBlt, DrvStretchBlt, DrvStretchBltROP and DrvCopyBits as fills and
// image records; the image path shared with the raster pages; the entries that only report
// success.
#include "gr_blit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "gr_brush.h"
#include "gr_drawing_entries.h"
#include "gr_drawing_services.h"
#include "gr_path.h"
#include "gr_records.h"

namespace {

// The common prologue of the blits: NULL with *result set when the call ends here.
PhysicalDevice* BlitPdev(SURFOBJ* pso, BOOL* result) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  *result = FALSE;
  if (!pdev) return nullptr;
  if (pdev->drawingOff) {
    *result = TRUE;
    return nullptr;
  }
  if (pdev->flags & kPdevWriteError) return nullptr;
  return pdev;
}

bool Monochrome(const PhysicalDevice* pdev) { return pdev->colourProcess == 1 && pdev->colourMode == 1; }

BYTE BackgroundOfRop4(ROP4 rop4) { return ((rop4 >> 8) & 0xFF) == 0xAA ? 1 : 2; }

ULONG FormatOfCode(uint32_t code) {
  switch (code) {
    case 0: return BMF_1BPP;
    case 1: return BMF_4BPP;
    case 2: return BMF_8BPP;
    default: return BMF_24BPP;
  }
}

// A translation whose table is the identity grey ramp of its size.
bool GreyRamp(XLATEOBJ* pxlo) {
  if (!pxlo || !(pxlo->flXlate & XO_TABLE) || !pxlo->pulXlate) return false;
  const ULONG n = pxlo->cEntries;
  if (n != 2 && n != 16 && n != 256) return false;
  for (ULONG i = 0; i < n; ++i)
    if ((pxlo->pulXlate[i] & 0xFFFFFF) != (i * 255 / (n - 1)) * 0x010101u) return false;
  return true;
}

// A source rectangle the surface holds (in either order).
bool SourceInside(SURFOBJ* so, const RECTL& r) {
  const LONG l = std::min(r.left, r.right), t = std::min(r.top, r.bottom);
  const LONG ri = std::max(r.left, r.right), b = std::max(r.top, r.bottom);
  return l >= 0 && t >= 0 && ri <= so->sizlBitmap.cx && b <= so->sizlBitmap.cy;
}

// Frees a temporary engine bitmap.
void DropBitmap(HSURF surface, SURFOBJ* so) {
  if (so) EngUnlockSurface(so);
  if (surface) EngDeleteSurface(surface);
}

// The mask of a masked transfer as a one-bit image, with raster operation 0xEE; failures
// skip it.
void SendMask(PhysicalDevice* pdev, SURFOBJ* psoMask, POINTL* pptlMask, ROP4 rop4, LONG x, LONG y, LONG w, LONG h,
              LONG sw, LONG sh) {
  HSURF surface = nullptr;
  SURFOBJ* so = GrCreateLockedBitmap(pdev, &surface, sw, sh, BMF_1BPP);
  if (so) {
    RECTL all{0, 0, sw, sh};
    POINTL from = pptlMask ? *pptlMask : POINTL{0, 0};
    if (EngEraseSurface(so, &all, 0xFFFFFFFF) &&
        EngBitBlt(so, psoMask, nullptr, nullptr, nullptr, &all, &from, nullptr, nullptr, nullptr,
                  rop4 == 0xAACC ? 0xCCCC : 0x6666) &&
        GrEmitRop(pdev, 0xEE)) {
      RecImage image{};
      image.formatWord = 0;
      image.x = x;
      image.y = y;
      image.width = w;
      image.height = h;
      image.sourceWidth = static_cast<uint32_t>(sw);
      image.rows = static_cast<uint32_t>(sh);
      image.firstRow = static_cast<const BYTE*>(so->pvScan0);
      image.rowStride = so->lDelta;
      GrRecImage(pdev, image);
    }
  }
  DropBitmap(surface, so);
}

}  // namespace

// ---- the image path -----------------------------------------------------------------------

int GrReductionFactor(ImageExtents s, ImageExtents d) {
  if (s.cx <= 30 || s.cy <= 30 || d.cx >= s.cx || d.cy >= s.cy) return 1;
  if (d.cx <= 0 || d.cy <= 0) return 5;
  const int64_t fx = (16 * int64_t{s.cx} + 8) / (16 * int64_t{d.cx});
  const int64_t fy = (16 * int64_t{s.cy} + 8) / (16 * int64_t{d.cy});
  return static_cast<int>(std::clamp<int64_t>(std::min(fx, fy), 1, 5));
}

uint32_t GrImageCodeOfFormat(ULONG format, bool* convert) {
  switch (format) {
    case BMF_1BPP: return 0;
    case BMF_4BPP: return 1;
    case BMF_8BPP: return 2;
    case BMF_24BPP: return 4;
    default:
      *convert = true;
      return 4;
  }
}

int GrStretchToTemp(PhysicalDevice* pdev, XLATEOBJ* pxlo, SURFOBJ* psoSrc, RECTL* prclSrc, RECTL* prclDest,
                    COLORADJUSTMENT* pca, POINTL*, SURFOBJ* psoMask, POINTL* pptlMask, ROP4 rop4, ULONG format,
                    HSURF* bitmap, SURFOBJ** surface) {
  *bitmap = nullptr;
  *surface = nullptr;
  const LONG sw = std::labs(prclSrc->right - prclSrc->left), sh = std::labs(prclSrc->bottom - prclSrc->top);
  const LONG dw = prclDest->right - prclDest->left, dh = prclDest->bottom - prclDest->top;
  const LONG adw = std::labs(dw), adh = std::labs(dh);
  int f = GrReductionFactor({sw, sh}, {adw, adh});
  bool exact = false;
  LONG tw = 0, th = 0;
  while (!*surface && f <= 5) {
    tw = sw / f;
    th = sh / f;
    if (adw < tw && adh < th) {
      tw = adw;
      th = adh;
      exact = true;
    }
    if (tw <= 0 || th <= 0) return 0;
    *surface = GrCreateLockedBitmap(pdev, bitmap, tw, th, format);
    if (!*surface) f += 1;
  }
  if (!*surface) return 0;
  RECTL target{0, 0, tw, th};
  if (dw < 0) std::swap(target.left, target.right);
  if (dh < 0) std::swap(target.top, target.bottom);
  if (psoMask) {
    RECTL all{0, 0, tw, th};
    EngEraseSurface(*surface, &all, 0xFFFFFFFF);
  }
  POINTL origin{0, 0};
  XLATEOBJ* xlate = format != psoSrc->iBitmapFormat ? pxlo : nullptr;
  if (!EngStretchBltROP(*surface, psoSrc, psoMask, nullptr, xlate, pca, &origin, &target, prclSrc, pptlMask,
                        f == 1 && !exact ? COLORONCOLOR : HALFTONE, nullptr, rop4)) {
    DropBitmap(*bitmap, *surface);
    *bitmap = nullptr;
    *surface = nullptr;
    return 0;
  }
  return f;
}

int GrEmitImage(PhysicalDevice* pdev, XLATEOBJ* pxlo, SURFOBJ* psoSrc, COLORADJUSTMENT* pca, POINTL* pptlOrigin,
                RECTL* prclDest, RECTL* prclSrc, SURFOBJ* psoMask, POINTL* pptlMask, ROP4 rop4, ULONG extraFlags) {
  if (!psoSrc || !prclDest || !prclSrc || !psoSrc->pvScan0) return 0;
  const LONG x = std::min(prclDest->left, prclDest->right), y = std::min(prclDest->top, prclDest->bottom);
  const int64_t w64 = int64_t{prclDest->right} - prclDest->left, h64 = int64_t{prclDest->bottom} - prclDest->top;
  const int64_t sw64 = int64_t{prclSrc->right} - prclSrc->left, sh64 = int64_t{prclSrc->bottom} - prclSrc->top;
  // Extents past what a coordinate holds are refused; an empty transfer draws nothing.
  if (std::abs(w64) > 0x7FFFFFFF || std::abs(h64) > 0x7FFFFFFF || std::abs(sw64) > 0x7FFFFFFF ||
      std::abs(sh64) > 0x7FFFFFFF)
    return 0;
  const LONG w = static_cast<LONG>(w64), h = static_cast<LONG>(h64);
  const LONG sw = static_cast<LONG>(sw64), sh = static_cast<LONG>(sh64);
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return 1;
  if (!SourceInside(psoSrc, *prclSrc)) return 0;

  bool convert = false;
  uint32_t code = GrImageCodeOfFormat(psoSrc->iBitmapFormat, &convert);
  if (psoSrc->sizlBitmap.cx != sw || psoSrc->sizlBitmap.cy != sh || prclSrc->left != 0 || prclSrc->top != 0 ||
      w < 0 || h < 0)
    convert = true;
  const StateCache* cache = GrStateCache(pdev);
  const bool trueColour = psoSrc->iBitmapFormat == BMF_24BPP || psoSrc->iBitmapFormat == BMF_32BPP;
  if (pdev->drawOptimise && cache->rop.valid && cache->rop.rop3 == 0xCC && trueColour && std::labs(w) < std::labs(sw) &&
      std::labs(h) < std::labs(sh))
    convert = true;
  // Rows the surface says it has must fit its stride.
  if (!convert && static_cast<uint64_t>(std::llabs(psoSrc->lDelta)) <
                      GrScanlineBytes(psoSrc->iBitmapFormat, psoSrc->sizlBitmap.cx))
    return 0;
  const bool grey = GreyRamp(pxlo);

  const bool masked = (rop4 == 0xAACC || rop4 == 0xCCAA) && psoMask;
  if (masked) {
    convert = true;
    code = 4;
    SendMask(pdev, psoMask, pptlMask, rop4, x, y, std::labs(w), std::labs(h), std::labs(sw), std::labs(sh));
  }

  uint32_t flags = extraFlags;
  HSURF temp = nullptr;
  SURFOBJ* source = psoSrc;
  LONG width = sw, rows = sh;
  if (convert) {
    const int f = GrStretchToTemp(pdev, pxlo, psoSrc, prclSrc, prclDest, pca, pptlOrigin, masked ? psoMask : nullptr,
                                  pptlMask, masked ? rop4 : 0xCCCC, FormatOfCode(code), &temp, &source);
    if (!f) return 0;
    width = source->sizlBitmap.cx;
    rows = source->sizlBitmap.cy;
    if (f > 1) flags |= kImageReduced;
  }

  ULONG* palette = nullptr;
  const uint32_t bpp = GrImageBitsPerPixel(code);
  if (code != 4 && !grey && pxlo && (pxlo->flXlate & XO_TABLE) && pxlo->pulXlate) {
    const uint32_t count = 1u << bpp;
    palette = static_cast<ULONG*>(GrHeapAlloc(pdev->heap, count * sizeof(ULONG)));
    if (!palette) {
      DropBitmap(temp, convert ? source : nullptr);
      return 0;
    }
    for (uint32_t i = 0; i < count; ++i) palette[i] = i < pxlo->cEntries ? pxlo->pulXlate[i] & 0xFFFFFF : 0;
  }
  if (pxlo && (pxlo->flXlate & XO_HOST_ICM)) flags |= kImageHostIcm;
  int ok = 1;
  if (masked) ok = GrEmitRop(pdev, 0x88);
  if (ok) {
    RecImage image{};
    image.formatWord = code | flags;
    image.x = x;
    image.y = y;
    image.width = std::labs(w);
    image.height = std::labs(h);
    image.values[0] = 0;
    image.values[1] = 0;
    image.sourceWidth = static_cast<uint32_t>(width);
    image.rows = static_cast<uint32_t>(rows);
    image.palette = palette;
    image.paletteCount = palette ? 1u << bpp : 0;
    image.firstRow = static_cast<const BYTE*>(source->pvScan0);
    image.rowStride = source->lDelta;
    ok = GrRecImage(pdev, image);
  }
  if (convert) DropBitmap(temp, source);
  if (palette) GrHeapFree(pdev->heap, palette);
  return ok;
}

// ---- entry points -------------------------------------------------------------------------

BOOL WINAPI DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                      RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) {
  BOOL result;
  PhysicalDevice* pdev = BlitPdev(psoTrg, &result);
  if (!pdev) return result;
  if (pdev->rasterMode)
    return EngBitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo, pptlBrush, rop4);
  if (rop4 == 0xAAAA) return TRUE;
  if (!prclTrg) return FALSE;
  const BYTE fg = static_cast<BYTE>(rop4 & 0xFF);
  const uint32_t hostMatched = pbo && (pbo->flColorType & BR_HOST_ICM) ? 1 : 0;

  if (psoSrc && fg != 0x00 && fg != 0xFF) {
    DrawState state{};
    state.color1 = state.color2 = 0xFFFFFF;
    if (pbo) {
      if (RealizedBrush* brush = GrGetBrush(pdev, psoTrg, pbo, pptlBrush)) {
        if (!GrEmitBrush(pdev, brush)) return FALSE;
        state.color1 = brush->color1;
        state.color2 = brush->color2;
      }
    }
    if (!GrEmitBackgroundMode(pdev, BackgroundOfRop4(rop4))) return FALSE;
    if (!GrEmitRop(pdev, rop4 == 0xCCAA && !psoMask ? 0xCC : fg)) return FALSE;
    state.objectKind = kObjectImage;
    state.hostMatched = hostMatched;
    GrSwapStateColors(&state);
    if (!GrEmitColors(pdev, &state)) return FALSE;
    if (GrApplyClip(pdev, pco) < 0) return FALSE;
    const POINTL at = pptlSrc ? *pptlSrc : POINTL{0, 0};
    RECTL src{at.x, at.y, static_cast<LONG>(int64_t{at.x} + (int64_t{prclTrg->right} - prclTrg->left)),
              static_cast<LONG>(int64_t{at.y} + (int64_t{prclTrg->bottom} - prclTrg->top))};
    return GrEmitImage(pdev, pxlo, psoSrc, nullptr, nullptr, prclTrg, &src, psoMask, pptlMask, rop4,
                       rop4 != 0xCCCC ? ULONG{kImageRopNotCopy} : 0u)
               ? TRUE
               : FALSE;
  }

  RealizedBrush* brush;
  if (fg == 0x00 || fg == 0xFF)
    brush = GrSolidScratchBrush(pdev, fg == 0x00 ? 0 : 0xFFFFFF, 0xFFFFFF);
  else if (fg == 0x55 && !pbo)
    brush = GrSolidScratchBrush(pdev, 0xFFFFFF, 0xFFFFFF);
  else
    brush = GrGetBrush(pdev, psoTrg, pbo, pptlBrush);
  if (!GrEmitBrush(pdev, brush)) return FALSE;
  DrawState state{};
  const uint16_t mix = GrRop4ToMix(rop4);
  GrStateFromMix(pdev, mix, &state, 0);
  state.color1 = brush->color1;
  state.color2 = brush->color2;
  state.objectKind = kObjectFill;
  state.hostMatched = hostMatched;
  GrSwapStateColors(&state);
  if (!GrEmitColors(pdev, &state) || !GrEmitBackgroundMode(pdev, static_cast<BYTE>(state.backgroundMode)) ||
      !GrEmitRop(pdev, GrMixToRop3(mix & 0xFF)))
    return FALSE;
  if (pdev->pathLimit && pco && pco->iDComplexity == DC_COMPLEX) {
    if (PATHOBJ* ppo = CLIPOBJ_ppoGetPath(pco)) {
      // A clip path the device cannot take: the region is filled as spans instead.
      const bool spans = ppo->cCurves > kPathCurveLimit && GrApplyClip(pdev, nullptr) >= 0 &&
                         GrEmitClipSpans(pdev, pco, *prclTrg);
      EngDeletePath(ppo);
      if (spans) return TRUE;
    }
  }
  if (GrApplyClip(pdev, pco) < 0) return FALSE;
  const RecRect r{prclTrg->left, prclTrg->top, prclTrg->right, prclTrg->bottom};
  return GrRecClip(pdev, 1, r, r) ? TRUE : FALSE;
}

BOOL WINAPI DrvStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                          COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask,
                          ULONG iMode) {
  BOOL result;
  PhysicalDevice* pdev = BlitPdev(psoDest, &result);
  if (!pdev) return result;
  if (pdev->rasterMode)
    return EngStretchBlt(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc, pptlMask,
                         Monochrome(pdev) ? HALFTONE : iMode);
  if (!psoSrc || psoSrc->iType != STYPE_BITMAP) return FALSE;
  if (pdev->monoDeviceSurface && Monochrome(pdev)) {
    COLORADJUSTMENT standard{};
    standard.caSize = sizeof(COLORADJUSTMENT);
    standard.caRedGamma = standard.caGreenGamma = standard.caBlueGamma = 10000;
    standard.caReferenceWhite = 10000;
    return EngStretchBlt(psoDest, psoSrc, psoMask, pco, pxlo, pca ? pca : &standard, pptlHTOrg, prclDest, prclSrc,
                         pptlMask, HALFTONE);
  }
  if (GrApplyClip(pdev, pco) < 0 || !GrEmitRop(pdev, 0xCC)) return FALSE;
  return GrEmitImage(pdev, pxlo, psoSrc, pca, pptlHTOrg, prclDest, prclSrc, psoMask, pptlMask,
                     psoMask ? 0xCCAA : 0xCCCC, 0)
             ? TRUE
             : FALSE;
}

BOOL WINAPI DrvStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                             COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                             POINTL* pptlMask, ULONG, BRUSHOBJ* pbo, DWORD rop4) {
  BOOL result;
  PhysicalDevice* pdev = BlitPdev(psoDest, &result);
  if (!pdev) return result;
  if (!psoSrc || psoSrc->iType != STYPE_BITMAP) return FALSE;
  if (!GrEmitBackgroundMode(pdev, BackgroundOfRop4(rop4))) return FALSE;
  DrawState state{};
  state.color1 = state.color2 = 0xFFFFFF;
  if (pbo) {
    RealizedBrush* brush = GrGetBrush(pdev, psoDest, pbo, nullptr);
    if (!brush || !GrEmitBrush(pdev, brush)) return FALSE;
    state.color1 = brush->color1;
    state.color2 = brush->color2;
  }
  state.objectKind = kObjectImage;
  state.hostMatched = pbo && (pbo->flColorType & BR_HOST_ICM) ? 1 : 0;
  GrSwapStateColors(&state);
  if (!GrEmitColors(pdev, &state)) return FALSE;
  if (!GrEmitRop(pdev, rop4 == 0xCCAA && !psoMask ? 0xCC : static_cast<BYTE>(rop4 & 0xFF))) return FALSE;
  if (GrApplyClip(pdev, pco) < 0) return FALSE;
  return GrEmitImage(pdev, pxlo, psoSrc, pca, pptlHTOrg, prclDest, prclSrc, psoMask, pptlMask, rop4, 0) ? TRUE
                                                                                                       : FALSE;
}

BOOL WINAPI DrvCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                        POINTL* pptlSrc) {
  if (!psoSrc || !psoDest) return FALSE;
  // Reading back from the device: nothing to read, the target becomes white.
  if (psoSrc->iType != STYPE_BITMAP) return EngEraseSurface(psoDest, prclDest, 0xFFFFFFFF);
  if (psoDest->iType != STYPE_DEVICE) return FALSE;
  BOOL result;
  PhysicalDevice* pdev = BlitPdev(psoDest, &result);
  if (!pdev) return result;
  if (!prclDest || !GrEmitRop(pdev, 0xCC) || GrApplyClip(pdev, pco) < 0) return FALSE;
  const POINTL at = pptlSrc ? *pptlSrc : POINTL{0, 0};
  RECTL src{at.x, at.y, static_cast<LONG>(int64_t{at.x} + (int64_t{prclDest->right} - prclDest->left)),
            static_cast<LONG>(int64_t{at.y} + (int64_t{prclDest->bottom} - prclDest->top))};
  return GrEmitImage(pdev, pxlo, psoSrc, nullptr, nullptr, prclDest, &src, nullptr, nullptr, 0xCCCC, 0) ? TRUE
                                                                                                        : FALSE;
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
