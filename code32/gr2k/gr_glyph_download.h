// Glyph images made by the engine sent to the printer: the download form of engine fonts (glyphs
// sent once per page into the device's glyph cache, then placed by positions), the bitmap form
// of fonts the printer does not hold, and the run-length coder of glyph bitmaps.
#pragma once

#include <cstdint>

#include "gr_text_out.h"
#include "win32/ddi.h"

// Glyph flags of the glyph records.
enum : BYTE {
  kGlyphHasBitmap = 0x1,
  kGlyphHasOutline = 0x2,
  kGlyphIndices = 0x4,
  kGlyphCharacters = 0x8,
  kGlyphHeld = 0x40,
};

// Compression types of glyph bitmaps.
enum : BYTE {
  kGlyphRaw = 0,
  kGlyphRunLength = 2,
};

// ---- the run-length coder -------------------------------------------------------------------
//
// The bytes are coded as units: a header byte (bit 7: repeat unit; bits 3-6: zero bytes before
// the unit's data, 15 meaning 15 plus extension bytes; bits 0-2: the count field, 7 meaning 7
// plus extension bytes), the extension bytes (the zero count's first: as many 0xFF as the rest
// holds whole 255s, then what is left), then the data: a repeat unit's byte once (count field =
// repetitions - 2), a literal unit's bytes (count field = bytes - 1). Zero bytes at the end are
// not coded.

// The coded length of n source bytes in dst (at most cap bytes), or -1 when it does not fit or
// is longer than 0xFFFF bytes.
int32_t GrRunCodeGlyph(const BYTE* src, uint32_t n, BYTE* dst, uint32_t cap);
// The coded length of a bitmap of rows by rowBytes bytes, 0 when it does not fit.
uint32_t GrRunCodeGlyphBits(PhysicalDevice* pdev, const BYTE* bits, BYTE* out, uint32_t capacity, uint32_t rows,
                            uint32_t rowBytes);

// A glyph bitmap as it is sent: run-length coded in a buffer of the record's heap, or the engine's
// raw bits.
struct PackedGlyph {
  const BYTE* data;
  uint32_t length;
  BYTE compression;
  BYTE* owned;  // the heap buffer to free, or null
};
// 1/0; memory that cannot be had empties the glyph table once and tries again.
int GrPackGlyphBitmap(PhysicalDevice* pdev, const GLYPHBITS* bits, PackedGlyph* out);
void GrFreePackedGlyph(PhysicalDevice* pdev, PackedGlyph* packed);

// ---- the forms ------------------------------------------------------------------------------

// The download form: the font defined with record 86, the glyphs sent once per page in mode
// 'T' and placed by a positions record; mode 'S' (rotated or vertical text, or when 'T' fails)
// and 'W' (EUDC faces and mirrored fonts, nothing cached) send a record per glyph.
int GrTextDownloadMode(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo, const XFORML& m, TextEm em,
                       TextFontInfo* info, LONG ascent);
// Fonts the printer does not hold, in the device-text form: bitmaps downloaded once per page
// and placed, or sent with the string.
int GrBitmapTextMode(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo, const XFORML& m, TextEm em,
                     TextFontInfo* info, LONG ascent);

int GrDownloadGlyphs(PhysicalDevice* pdev, FONTOBJ* pfo, STROBJ* pstro, LONG ascent, const TextFontInfo& info,
                     BYTE mode);
int GrEmitGlyphPositions(PhysicalDevice* pdev, FONTOBJ* pfo, STROBJ* pstro, const TextFontInfo& info);
int GrEmitGlyphBitmaps(PhysicalDevice* pdev, FONTOBJ* pfo, STROBJ* pstro, LONG ascent, const TextFontInfo& info,
                       bool cacheable);
int GrDownloadGlyphBitmaps(PhysicalDevice* pdev, FONTOBJ* pfo, STROBJ* pstro, const TextFontInfo& info);
int GrDownloadAndPlace(PhysicalDevice* pdev, FONTOBJ* pfo, STROBJ* pstro, LONG ascent, const TextFontInfo& info);

// A glyph outline as path data starting at 0/0 (a buffer of the record's heap), and its
// placement block {3, path length, left, top, width, height}.
struct GlyphOutline {
  BYTE* data;
  uint32_t length;
};
int GrGlyphOutline(PhysicalDevice* pdev, PATHOBJ* ppo, const RECTFX& bounds, GlyphOutline* out);
void GrFreeGlyphOutline(PhysicalDevice* pdev, GlyphOutline* outline);
void GrOutlinePlacement(const RECTL& rect, uint32_t pathLength, BYTE out[24]);
