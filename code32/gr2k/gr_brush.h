// Brushes, colours and raster operations: the module's form of a brush, the drawing state of
// one call, and the page's cache of what the device was last told (raster operation,
// background mode, brush, colours, line attributes, font), so that a state record is written
// only when it changes.
#pragma once

#include <cstdint>

#include "gr_pdev.h"
#include "win32/ddi.h"

// The module's realised brush; a pattern of patternSize x patternSize pixels follows the fields
// (128 bytes at one bit per pixel, 3072 bytes at 24).
struct RealizedBrush {
  uint16_t kind;  // 0 solid, 2 hatch, 3 pattern
  uint16_t originX, originY;
  uint32_t color1;  // painted where a pattern bit is 1; the solid colour
  uint32_t color2;  // painted where a pattern bit is 0
  uint16_t bitsPerPixel;
  uint16_t patternSize;
  uint32_t hostMatched;
  BYTE* Pattern() { return reinterpret_cast<BYTE*>(this + 1); }
};
static_assert(sizeof(RealizedBrush) <= sizeof(ScratchBrush));

enum : uint16_t { kBrushKindSolid = 0, kBrushKindHatch = 2, kBrushKindPattern = 3 };
constexpr uint32_t kMonoPatternBytes = 128;
constexpr uint32_t kColorPatternBytes = 3072;

// The drawing state of one call.
struct DrawState {
  uint16_t foregroundMix;
  uint16_t backgroundMode;  // 1 transparent, 2 opaque
  uint32_t color2;
  uint32_t color1;
  uint32_t color3;
  uint16_t hasColor3;
  uint16_t objectKind;  // 0 area fill, 1 line, 2 text, 3 line and fill, 4 image
  uint32_t hostMatched;
};
enum : uint16_t { kObjectFill = 0, kObjectLine = 1, kObjectText = 2, kObjectLineAndFill = 3, kObjectImage = 4 };

// The page's state cache (inside the PhysicalDevice's attribute caches).
struct StateCache {
  struct {
    uint16_t valid;
    uint16_t width;
    uint32_t styleMask;
    uint32_t styleUnit;
    BYTE join, endCap, stylePhase;
    uint32_t miterLimit;
  } line;
  struct {
    uint16_t valid;
    BYTE rop3;
  } rop;
  struct {
    uint16_t valid;
    BYTE mode;
  } background;
  struct {
    uint16_t valid;
    uint16_t kind, originX, originY;
  } brush;
  struct {
    uint16_t valid;
    uint16_t backgroundMode, hasColor3;
    uint32_t color2, color1, color3;
    uint16_t objectKind;
    uint32_t hostMatched;
  } colours;
  struct {
    uint16_t valid;
    uint32_t identity;
    BYTE orientation;
  } font;
};
static_assert(sizeof(StateCache) <= sizeof(PhysicalDevice::attributeCaches));

StateCache* GrStateCache(PhysicalDevice* pdev);
// Clears every valid flag (page start).
void GrInvalidateStateCache(PhysicalDevice* pdev);

// Raster operations.
uint16_t GrRop4ToMix(ROP4 rop4);
BYTE GrMixToRop3(uint32_t rop2);
BYTE GrTextMixToRop3(uint32_t rop2);
int GrStateFromMix(PhysicalDevice* pdev, MIX mix, DrawState* state, int thirdColour);
uint32_t GrSwapRedBlue(uint32_t colour);
void GrSwapStateColors(DrawState* state);

// The brush of a drawing call: the engine's realised brush or the solid scratch brush; NULL
// without a brush object or when the engine realises none.
RealizedBrush* GrGetBrush(PhysicalDevice* pdev, SURFOBJ* surface, BRUSHOBJ* pbo, POINTL* pptlBrush);
// The scratch brush filled with a solid colour.
RealizedBrush* GrSolidScratchBrush(PhysicalDevice* pdev, uint32_t color1, uint32_t color2);

// Emitters: 1, or 0 when the record cannot be written (the cache then keeps its values).
int GrEmitRop(PhysicalDevice* pdev, BYTE rop3);
int GrEmitBackgroundMode(PhysicalDevice* pdev, BYTE mode);
int GrEmitBrush(PhysicalDevice* pdev, const RealizedBrush* brush);
int GrEmitColors(PhysicalDevice* pdev, const DrawState* state);

// Pattern builders (exposed for their tests).
void GrHatchPattern(ULONG iHatch, BYTE out[kMonoPatternBytes]);
void GrBuildMonoPattern(PhysicalDevice* pdev, SURFOBJ* pattern, BYTE out[kMonoPatternBytes]);
int GrBuildColorPattern(PhysicalDevice* pdev, SURFOBJ* pattern, XLATEOBJ* pxlo, BYTE out[kColorPatternBytes]);
