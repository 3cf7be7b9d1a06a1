// Paths and clipping: lines, filled areas and clip regions as path records, the engine's line
// attributes in the device's terms, the clip of every drawing call with its cache, and the
// span lists of clip regions too complex for a path record.
#pragma once

#include <cstdint>

#include "gr_pdev.h"
#include "win32/ddi.h"

struct LineAttributes {
  uint16_t width;
  uint16_t styleUnit;
  uint16_t join;    // 0 round, 1 bevel, 2 miter
  uint16_t endCap;  // 0 round, 1 butt, 2 square
  uint16_t stylePhase;
  uint32_t miterLimit;  // times 256
  uint32_t styleMask;   // first element in the most significant bit; all ones: solid
  uint32_t color;
};

// The clip last put in place on the page.
struct ClipCache {
  uint32_t valid;
  ULONG identity;  // the clip object's iUniq
  int result;
  uint32_t kind;  // 0 none, 1 rectangle, 3 path
  RECTL rect;
};

// Path modes and the flags added to them.
enum : BYTE {
  kPathStroke = 0,
  kPathFillAlternate = 1,
  kPathFillWinding = 2,
  kPathStrokeFillAlternate = 3,
  kPathStrokeFillWinding = 4,
  kPathClip = 5,
  kPathClosed = 0x08,
  kPathSubpaths = 0x10,
};

constexpr ULONG kPathCurveLimit = 5000;
constexpr uint32_t kClipSpansPerRecord = 2000;

int GrConvertLineAttrs(PhysicalDevice* pdev, LINEATTRS* plineattrs, uint32_t color, XFORMOBJ* pxo,
                       LineAttributes* out, int* geometric);
// -1 identity, 0 unusable (unequal scale), else the scale times 256.
int32_t GrLineScale(XFORMOBJ* pxo);
int GrEmitLineAttributes(PhysicalDevice* pdev, const LineAttributes* attributes);

BYTE* GrEmitPath(PhysicalDevice* pdev, PATHOBJ* ppo, BYTE mode);
BYTE* GrEmitPathPerSubpath(PhysicalDevice* pdev, PATHOBJ* ppo, BYTE mode);
// Size of the buffer GrBuildOutlinePath needs for a path.
uint32_t GrOutlineBufferSize(PATHOBJ* ppo);
// The path data (weight, then subpaths) with (dx, dy) added to every point, into a buffer of
// `capacity` bytes; the byte length (a multiple of 4), 0 for a malformed path.
uint32_t GrBuildOutlinePath(PhysicalDevice* pdev, PATHOBJ* ppo, int* closed, BYTE* buffer, uint32_t capacity,
                            LONG dx, LONG dy);
int GrPathWithinLimit(PhysicalDevice* pdev, PATHOBJ* ppo);

ClipCache* GrCreateClipCache(PhysicalDevice* pdev);
void GrInvalidateClipCache(ClipCache* cache);
int GrLookupClipCache(ClipCache* cache, ULONG identity, uint32_t kind, const RECTL* rect);
void GrStoreClipCache(ClipCache* cache, ULONG identity, int result, uint32_t kind, const RECTL* rect);
void GrFreeClipCache(PhysicalDevice* pdev, ClipCache* cache);

// The clip region as span records; 1 when written, 0 for an empty region or a failed write.
int GrEmitClipSpans(PhysicalDevice* pdev, CLIPOBJ* pco, const RECTL& bounds);

BOOL GrStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                  LINEATTRS* plineattrs, MIX mix);
BOOL GrFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix,
                FLONG flOptions);
