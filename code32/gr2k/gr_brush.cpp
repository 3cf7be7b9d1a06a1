// Brushes, colours and raster operations: brush realisation (hatches, one-bit and colour
// patterns), the translation of the engine's raster-operation codes into the device's, and the
// state records written only when the device's current state differs.
#include "gr_brush.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "gr_drawing_entries.h"
#include "gr_drawing_services.h"
#include "gr_path.h"
#include "gr_records.h"

namespace {

// The ROP2 of the sixteen ternary operations that use only the pattern and the destination.
constexpr std::array<BYTE, 256> kRop3ToRop2 = [] {
  std::array<BYTE, 256> t{};
  const BYTE rop3[16] = {0x00, 0x05, 0x0A, 0x0F, 0x50, 0x55, 0x5A, 0x5F,
                         0xA0, 0xA5, 0xAA, 0xAF, 0xF0, 0xF5, 0xFA, 0xFF};
  for (int i = 0; i < 16; ++i) t[rop3[i]] = static_cast<BYTE>(i + 1);
  return t;
}();

// ROP2 in source/destination form for the device, which takes the brush or pen as its source;
// black and white are the device's own codes for them.
constexpr BYTE kMixToRop3[17] = {0xCC, 0xFF, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x00};
constexpr BYTE kTextMixToRop3[17] = {0xCC, 0xFF, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                     0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x00};

// The built-in 8x8 hatches, top row first, bit 7 leftmost.
constexpr BYTE kHatchRows[HS_DDI_MAX][8] = {
    {0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00},  // horizontal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal
    {0x08, 0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
};

// Entry i of a translation; 0 without one or beyond its table.
ULONG XlateEntry(XLATEOBJ* pxlo, ULONG i) {
  if (!pxlo) return 0;
  if ((pxlo->flXlate & XO_TABLE) && pxlo->pulXlate) return i < pxlo->cEntries ? pxlo->pulXlate[i] : 0;
  return XLATEOBJ_iXlate(pxlo, i);
}

// A pixel of a one-bit surface (false outside it).
bool MonoPixel(SURFOBJ* so, LONG x, LONG y) {
  const auto* row = static_cast<const BYTE*>(so->pvScan0) + static_cast<ptrdiff_t>(y) * so->lDelta;
  return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

// Tiles the pattern bit by bit without scaling.
void TileMonoBits(SURFOBJ* pattern, BYTE out[kMonoPatternBytes]) {
  std::memset(out, 0, kMonoPatternBytes);
  const LONG w = pattern->sizlBitmap.cx, h = pattern->sizlBitmap.cy;
  if (!pattern->pvScan0) return;
  for (LONG y = 0; y < 32; ++y)
    for (LONG x = 0; x < 32; ++x)
      if (MonoPixel(pattern, x % w, y % h)) out[y * 4 + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
}

}  // namespace

// ---- the state cache ----------------------------------------------------------------------

StateCache* GrStateCache(PhysicalDevice* pdev) {
  return std::launder(reinterpret_cast<StateCache*>(pdev->attributeCaches));
}

void GrInvalidateStateCache(PhysicalDevice* pdev) {
  StateCache* c = GrStateCache(pdev);
  c->line.valid = c->rop.valid = c->background.valid = c->brush.valid = c->colours.valid = c->font.valid = 0;
}

// ---- raster operations --------------------------------------------------------------------

uint16_t GrRop4ToMix(ROP4 rop4) {
  return static_cast<uint16_t>(kRop3ToRop2[rop4 & 0xFF] | (kRop3ToRop2[(rop4 >> 8) & 0xFF] << 8));
}

BYTE GrMixToRop3(uint32_t rop2) { return rop2 > 16 ? 0xCC : kMixToRop3[rop2]; }

BYTE GrTextMixToRop3(uint32_t rop2) { return rop2 > 16 ? 0xCC : kTextMixToRop3[rop2]; }

int GrStateFromMix(PhysicalDevice*, MIX mix, DrawState* state, int thirdColour) {
  state->foregroundMix = static_cast<uint16_t>(mix & 0xFF);
  state->backgroundMode = ((mix >> 8) & 0xFF) == 11 ? 1 : 2;  // R2_NOP behind: transparent
  state->hasColor3 = thirdColour ? 1 : 0;
  return 1;
}

uint32_t GrSwapRedBlue(uint32_t colour) {
  return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

void GrSwapStateColors(DrawState* state) {
  state->color1 = GrSwapRedBlue(state->color1);
  state->color2 = GrSwapRedBlue(state->color2);
  state->color3 = GrSwapRedBlue(state->color3);
}

// ---- brushes ------------------------------------------------------------------------------

RealizedBrush* GrSolidScratchBrush(PhysicalDevice* pdev, uint32_t color1, uint32_t color2) {
  auto* b = std::launder(reinterpret_cast<RealizedBrush*>(pdev->scratchBrush.bytes));
  *b = RealizedBrush{kBrushKindSolid, 0, 0, color1, color2, 0, 0, 0};
  return b;
}

RealizedBrush* GrGetBrush(PhysicalDevice* pdev, SURFOBJ*, BRUSHOBJ* pbo, POINTL* pptlBrush) {
  if (!pbo) return nullptr;
  RealizedBrush* brush;
  if (pbo->iSolidColor == 0xFFFFFFFF) {
    brush = static_cast<RealizedBrush*>(BRUSHOBJ_pvGetRbrush(pbo));
    if (!brush) return nullptr;
    brush->originX = pptlBrush ? static_cast<uint16_t>(pptlBrush->x & 0xFF) : 0;
    brush->originY = pptlBrush ? static_cast<uint16_t>(pptlBrush->y & 0xFF) : 0;
  } else {
    brush = GrSolidScratchBrush(pdev, pbo->iSolidColor, 0xFFFFFF);
  }
  brush->hostMatched = (pbo->flColorType & BR_HOST_ICM) ? 1 : 0;
  return brush;
}

void GrHatchPattern(ULONG iHatch, BYTE out[kMonoPatternBytes]) {
  for (int r = 0; r < 32; ++r) {
    const BYTE bits = kHatchRows[iHatch % HS_DDI_MAX][r / 4];
    uint32_t wide = 0;
    for (int b = 7; b >= 0; --b) wide = (wide << 4) | (((bits >> b) & 1) ? 0xF : 0);
    for (int i = 0; i < 4; ++i) out[r * 4 + i] = static_cast<BYTE>(wide >> (24 - 8 * i));
  }
}

void GrBuildMonoPattern(PhysicalDevice* pdev, SURFOBJ* pattern, BYTE out[kMonoPatternBytes]) {
  std::memset(out, 0, kMonoPatternBytes);
  const LONG pw = pattern->sizlBitmap.cx, ph = pattern->sizlBitmap.cy;
  if (pw <= 0 || ph <= 0) return;
  HSURF surface = nullptr;
  SURFOBJ* tile = GrCreateLockedBitmap(pdev, &surface, 32, 32, BMF_1BPP);
  bool copied = tile != nullptr;
  if (tile) {
    const LONG k = pw <= 16 && ph <= 16 ? 2 : 1;
    for (LONG h = 32; copied && h > 0;) {
      const LONG tileH = std::min(ph, h / k);
      if (tileH <= 0) break;
      for (LONG w = 32; copied && w > 0;) {
        const LONG tileW = std::min(pw, w / k);
        if (tileW <= 0) break;
        RECTL src{0, 0, tileW, tileH};
        RECTL dst{32 - w, 32 - h, 32 - w + k * tileW, 32 - h + k * tileH};
        copied = EngStretchBlt(tile, pattern, nullptr, nullptr, nullptr, nullptr, nullptr, &dst, &src, nullptr,
                               COLORONCOLOR) != FALSE;
        w -= k * tileW;
      }
      h -= k * tileH;
    }
    if (copied)
      for (int y = 0; y < 32; ++y)
        std::memcpy(out + 4 * y, static_cast<const BYTE*>(tile->pvScan0) + static_cast<ptrdiff_t>(y) * tile->lDelta, 4);
  }
  if (!copied) TileMonoBits(pattern, out);
  for (uint32_t i = 0; i < kMonoPatternBytes; ++i) out[i] = static_cast<BYTE>(~out[i]);
  if (tile) EngUnlockSurface(tile);
  if (surface) EngDeleteSurface(surface);
}

int GrBuildColorPattern(PhysicalDevice* pdev, SURFOBJ* pattern, XLATEOBJ* pxlo, BYTE out[kColorPatternBytes]) {
  const LONG pw = pattern->sizlBitmap.cx, ph = pattern->sizlBitmap.cy;
  if (pw <= 0 || ph <= 0) return 0;
  const LONG size = pw < 3 ? 4 : pw < 5 ? 8 : pw < 11 ? 16 : 32;
  HSURF surface = nullptr;
  SURFOBJ* tile = GrCreateLockedBitmap(pdev, &surface, size, size, BMF_24BPP);
  if (!tile) return 0;
  const bool trueColour = pattern->iBitmapFormat == BMF_24BPP || pattern->iBitmapFormat == BMF_32BPP;
  RECTL src{0, 0, pw, ph}, dst{0, 0, size, size};
  const BOOL ok = EngStretchBlt(tile, pattern, nullptr, nullptr, trueColour ? nullptr : pxlo, nullptr, nullptr, &dst,
                                &src, nullptr, COLORONCOLOR);
  if (ok) {
    const auto* bits = static_cast<const BYTE*>(tile->pvScan0);
    for (LONG y = 0; y < 32; ++y) {
      const BYTE* row = bits + static_cast<ptrdiff_t>(y % size) * tile->lDelta;
      for (LONG x = 0; x < 32; ++x) std::memcpy(out + y * 96 + x * 3, row + (x % size) * 3, 3);
    }
  }
  EngUnlockSurface(tile);
  EngDeleteSurface(surface);
  return ok ? 1 : 0;
}

BOOL WINAPI DrvRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ*, XLATEOBJ* pxlo,
                            ULONG iHatch) {
  PhysicalDevice* pdev = GrPdevOfSurface(psoTarget);
  if (!pdev || !pbo) return FALSE;
  if (iHatch >= HS_DDI_MAX && !psoPattern) return FALSE;
  const bool mono = iHatch < HS_DDI_MAX || psoPattern->iBitmapFormat == BMF_1BPP;
  const uint32_t bytes = mono ? kMonoPatternBytes : kColorPatternBytes;
  void* memory = BRUSHOBJ_pvAllocRbrush(pbo, sizeof(RealizedBrush) + bytes);
  if (!memory) return FALSE;
  auto* brush = new (memory) RealizedBrush{};
  brush->patternSize = 32;
  if (iHatch < HS_DDI_MAX) {
    brush->kind = kBrushKindHatch;
    brush->bitsPerPixel = 1;
    brush->color1 = pxlo ? XlateEntry(pxlo, 1) : 0;
    brush->color2 = pxlo ? XlateEntry(pxlo, 0) : 0xFFFFFF;
    GrHatchPattern(iHatch, brush->Pattern());
  } else if (mono) {
    brush->kind = kBrushKindPattern;
    brush->bitsPerPixel = 1;
    brush->color1 = pxlo ? XlateEntry(pxlo, 0) : 0;
    brush->color2 = pxlo ? XlateEntry(pxlo, 1) : 0xFFFFFF;
    GrBuildMonoPattern(pdev, psoPattern, brush->Pattern());
  } else {
    brush->kind = kBrushKindPattern;
    brush->bitsPerPixel = 24;
    brush->color1 = 0;
    brush->color2 = 0xFFFFFF;
    if (!GrBuildColorPattern(pdev, psoPattern, pxlo, brush->Pattern())) std::memset(brush->Pattern(), 0, bytes);
  }
  pbo->pvRbrush = memory;
  return TRUE;
}

ULONG WINAPI DrvDitherColor(DHPDEV dhpdev, ULONG, ULONG, ULONG*) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return DCR_HALFTONE;
}

// ---- state records ------------------------------------------------------------------------

int GrEmitRop(PhysicalDevice* pdev, BYTE rop3) {
  StateCache* c = GrStateCache(pdev);
  if (c->rop.valid && c->rop.rop3 == rop3) return 1;
  if (!GrRecRop3(pdev, rop3)) return 0;
  c->rop.rop3 = rop3;
  c->rop.valid = 1;
  return 1;
}

int GrSelectRop3(PhysicalDevice* pdev, BYTE rop3) { return GrEmitRop(pdev, rop3); }

int GrEmitBackgroundMode(PhysicalDevice* pdev, BYTE mode) {
  StateCache* c = GrStateCache(pdev);
  if (c->background.valid && c->background.mode == mode) return 1;
  if (!GrRecMix(pdev, mode)) return 0;
  c->background.mode = mode;
  c->background.valid = 1;
  return 1;
}

int GrEmitBrush(PhysicalDevice* pdev, const RealizedBrush* brush) {
  if (!brush) return 0;
  StateCache* c = GrStateCache(pdev);
  // Pattern and hatch brushes go out every time; a solid one only after a non-solid one, since
  // its colour travels in the colour record.
  if (!c->brush.valid || brush->kind != kBrushKindSolid || c->brush.kind != kBrushKindSolid) {
    const bool pattern = brush->kind != kBrushKindSolid;
    const uint8_t flags = static_cast<uint8_t>((pattern && brush->bitsPerPixel == 24 ? kBrushColour24 : 0) |
                                               (brush->hostMatched ? kBrushMatched : 0));
    if (!GrRecBrush(pdev, flags, pattern ? const_cast<RealizedBrush*>(brush)->Pattern() : nullptr)) return 0;
    c->brush.kind = brush->kind;
    c->brush.valid = 1;
  }
  c->brush.originX = brush->originX;
  c->brush.originY = brush->originY;
  return 1;
}

int GrEmitColors(PhysicalDevice* pdev, const DrawState* s) {
  StateCache* c = GrStateCache(pdev);
  auto& k = c->colours;
  if (k.valid && k.objectKind == s->objectKind && k.backgroundMode == s->backgroundMode &&
      k.hasColor3 == s->hasColor3 && k.color2 == s->color2 && k.color1 == s->color1 &&
      (s->hasColor3 != 1 || k.color3 == s->color3))
    return 1;
  const ULONG second = s->color2, third = s->color3;
  const uint8_t flags = static_cast<uint8_t>((s->objectKind == kObjectText ? kColourMode2 : 0) |
                                             (s->hostMatched ? kColourMatched : 0));
  if (!GrRecColour(pdev, flags, s->color1, s->backgroundMode == 2 ? &second : nullptr,
                   s->hasColor3 == 1 ? &third : nullptr))
    return 0;
  k.backgroundMode = s->backgroundMode;
  k.hasColor3 = s->hasColor3;
  k.color2 = s->color2;
  k.color1 = s->color1;
  k.color3 = s->color3;
  k.objectKind = s->objectKind;
  k.hostMatched = s->hostMatched;
  k.valid = 1;
  return 1;
}

void GrInvalidateDrawCaches(PhysicalDevice* pdev) {
  GrInvalidateStateCache(pdev);
  if (pdev->clipCache) GrInvalidateClipCache(static_cast<ClipCache*>(pdev->clipCache));
}
