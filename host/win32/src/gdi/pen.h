// Drawing with the DC's pen (cosmetic lines by the platform's line rule, or geometric pens
// widened by the stroker) and filling with its brush.
#pragma once

#include "gdi/draw.h"
#include "gdi/outline.h"

namespace zolt::host::gdi {

// The pen in surface pixels: null, cosmetic (one pixel, styled) or geometric (widened).
struct PenGeometry {
  bool null = false;
  bool cosmetic = true;
  bool insideFrame = false;
  StrokeStyle stroke;             // geometric pens
  std::vector<int> cosmeticDashes;  // on, off, ... in pixels; empty = solid
  DWORD cosmeticStyle = PS_SOLID;   // the pen's style (PS_DASH ... PS_USERSTYLE)
};
// The lengths of a standard cosmetic style in style units (a third of the pixels the raster
// draws them with, its style unit being three pixels); empty for the styles without dashes.
std::vector<int> StandardStyleUnits(DWORD style);
PenGeometry PenOf(const DrawCtx& d);

// Draws the figures (surface coordinates) with the pen.
bool StrokeFigures(DrawCtx& d, const Shape& shape);
// Fills the figures with the brush by the DC's fill mode (or the given rule).
bool FillFigures(DrawCtx& d, const Shape& shape, bool winding);
// One cosmetic segment by the line rule: from (x0, y0) up to, not including, (x1, y1).
// `pos` is the style position, advanced by the segment's length along its major axis.
void CosmeticSegment(DrawCtx& d, SpanPainter& fg, SpanPainter* bg, const std::vector<int>& dashes, int64_t& pos,
                     int x0, int y0, int x1, int y1);

// Path recording: true when the DC is inside a path bracket (the figure was added).
bool RecordFigures(DcObj& dc, const Shape& deviceShape, bool moveFirst);
// Logical points to device coordinates of the DC (for paths) and to surface pixels.
Shape ToDevice(const DcObj& dc, const Shape& logical);

}  // namespace zolt::host::gdi
