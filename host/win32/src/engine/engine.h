// The driver engine's own records behind the interface objects: surfaces, palettes and the
// objects it hands to a graphics module (each begins with the public record, so the module's
// pointer is the engine's record).
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "gdi/objects.h"
#include "gdi/outline.h"
#include "gdi/raster.h"
#include "gdi/region.h"
#include "win32/ddi.h"

namespace zolt::host::gdi {
class FontInstance;
}

namespace zolt::host::engine {

// A surface of the engine: a bitmap drawn by the raster, or a module's device surface that
// only the module draws.
struct EngSurface {
  SURFOBJ so{};
  HBITMAP bitmap = nullptr;  // bitmap surfaces: the raster's bitmap object
  bool device = false;
  FLONG hooks = 0;
  bool banding = false;
  int locks = 0;
};

// The surface behind a handle or a SURFOBJ the engine made; nullptr when it is not one.
EngSurface* FindSurface(HSURF hsurf);
EngSurface* SurfaceOf(SURFOBJ* pso);
// The raster's pixels of a bitmap surface; nullptr for device surfaces and unknown objects.
gdi::Surface* PixelsOf(SURFOBJ* pso);
// Engine bitmap format of a bit count (BMF_*), 0 when none.
ULONG FormatOfBpp(int bpp);
int BppOfFormat(ULONG iFormat);

struct EngPalette {
  ULONG mode = 0;
  std::vector<ULONG> colors;  // PAL_INDEXED: 0x00RRGGBB
  FLONG masks[3] = {0, 0, 0};
};
EngPalette* FindPalette(HPALETTE hpal);
// The colour (0x00BBGGRR) of a device colour under a palette (PAL_BGR when null).
COLORREF ColorOfDevice(const EngPalette* pal, ULONG device);
ULONG DeviceOfColor(const EngPalette* pal, COLORREF color);

// Clip objects made by the engine: the region in device pixels, and the path the clip came
// from when it was one.
struct EngClip {
  CLIPOBJ co{};
  gdi::Region region;
  std::vector<RECTL> rects;  // of the current enumeration
  size_t next = 0;
  gdi::Shape shape;           // DC_COMPLEX: the region's outline (rectangles) for CLIPOBJ_ppoGetPath
};
// Fills a clip object for a region within bounds (DC_TRIVIAL when the region covers them).
void SetClip(EngClip& clip, const gdi::Region& region, const RECTL& bounds, bool trivialWhenCovered);
// The pixels a clip object allows within a rectangle (every pixel for null or DC_TRIVIAL).
gdi::Region ClipRegion(CLIPOBJ* pco, const RECT& bounds);

// Paths: figures in 28.4 device coordinates with their enumeration state.
struct EngPath {
  PATHOBJ po{};
  struct Run {
    FLONG flags;
    std::vector<POINTFIX> pts;
  };
  std::vector<Run> runs;
  size_t next = 0;
  POINTFIX current{0, 0};
  bool figureOpen = false;
};
EngPath* PathOf(PATHOBJ* ppo);
// The path as figures in pixels (a 28.4 point divided by 16, pixel centres at whole numbers).
gdi::Shape ShapeOfPath(PATHOBJ* ppo);
// Builds a path from figures in pixels.
std::unique_ptr<EngPath> PathOfShape(const gdi::Shape& shape);

// Brushes: a solid device colour, or a pattern the engine realises for the module on demand.
struct EngBrush {
  BRUSHOBJ bo{};
  SURFOBJ* target = nullptr;        // the surface drawn on
  HSURF pattern = nullptr;          // pattern brushes: an engine bitmap of the pattern
  ULONG hatch = HS_DDI_MAX;         // HS_* or HS_DDI_MAX and above for patterns
  XLATEOBJ* xlate = nullptr;        // pattern colours to the target
  PFN_DrvRealizeBrush realize = nullptr;
  std::vector<uint8_t> realized;    // BRUSHOBJ_pvAllocRbrush memory
  bool realizeTried = false;
  gdi::Paint paint;                 // what the engine itself paints with
  bool paintSet = false;
  ~EngBrush();
};
// The paint of a brush for a target surface (the solid colour when the brush is not ours).
gdi::Paint PaintOfBrush(BRUSHOBJ* pbo, const gdi::Surface& target, POINTL* origin);

// Colour translation with its table.
struct EngXlate {
  XLATEOBJ xo{};
  std::vector<ULONG> table;
  const EngPalette* src = nullptr;
  const EngPalette* dst = nullptr;
};
// A source pixel in the target's pixel values.
DWORD TranslatePixel(XLATEOBJ* pxlo, const gdi::Surface& src, const gdi::Surface& dst, DWORD pixel);

// Transforms (world to device).
struct EngXform {
  XFORMOBJ xo{};
  XFORML m{1, 0, 0, 1, 0, 0};
};

// Fonts realised by the engine for a string, with the glyphs handed out to the module.
struct EngFont {
  FONTOBJ fo{};
  EngXform xform;
  std::shared_ptr<gdi::FontInstance> instance;  // engine fonts
  IFIMETRICS* ifi = nullptr;                    // device fonts: the module's metrics
  std::vector<uint8_t> ifiStorage;              // engine fonts: their metrics
  std::unordered_map<HGLYPH, std::unique_ptr<uint8_t[]>> bitsByGlyph;  // GLYPHBITS records
  FD_GLYPHSET* glyphSet = nullptr;                                     // device fonts: the module's
  std::vector<std::unique_ptr<EngPath>> glyphPaths;
  GLYPHDATA glyphData{};
};

struct EngString {
  STROBJ so{};
  std::vector<GLYPHPOS> glyphs;
  std::vector<GLYPHDEF> defs;
  std::u16string text;
  size_t next = 0;
};

}  // namespace zolt::host::engine
