// Text output: the engine's strings turned into font and text records, in one of four forms
// (characters of a font the printer holds, glyph outlines, glyph bitmaps with every string, or
// glyphs downloaded once per page), the font description and its records, and the page's table
// of the glyphs the device already holds.
#pragma once

#include <cstdint>

#include "gr_pdev.h"
#include "win32/ddi.h"

// The font of one string as the records describe it (built for each call; the last one of the
// download form is kept in the record's lastFontRecord).
struct TextFontInfo {
  uint16_t italic;
  uint16_t bold;
  uint16_t boldAgain;  // bold is sent twice
  uint16_t vertical;
  uint16_t downloadForm;
  BYTE charset;
  BYTE pitchAndFamily;
  uint16_t weight;
  uint16_t escapement;  // whole degrees, 0-359
  uint16_t emWidth;     // device pixels of the em along the font's x axis
  uint16_t emHeight;    // and along its y axis
  uint16_t aveWidth;
  // Wide copies (download form), or bytes of the device code page (other forms); at most 128
  // characters, zero-terminated.
  BYTE familyName[256];
  BYTE faceName[256];
  uint16_t intLeading;
  uint16_t defaultChar;
  uint32_t fontId;
  uint16_t generation;
  BYTE orientation;  // 3 glyph indices, 2 characters
  BYTE type;         // 2 printer font, 4 outline, 5 bitmap
  uint16_t eudc;
  uint16_t flags;    // download form: 2, or 3 when scaled, n-up or with the device mode
};
static_assert(sizeof(TextFontInfo) <= sizeof(PhysicalDevice::lastFontRecord));

enum : BYTE {
  kTextTypePrinter = 2,
  kTextTypeOutline = 4,
  kTextTypeBitmap = 5,
  kOrientationChars = 2,
  kOrientationIndices = 3,
};

// The em of a string's font in device pixels.
struct TextEm {
  uint16_t width, height;
};

// ---- the glyph table ------------------------------------------------------------------------
//
// 1024 buckets of entries {font identity, generation, character, orientation}; a glyph counts as
// held by the device while such an entry is chained in its bucket. Every clear increments the
// generation, which is part of every key.
struct GlyphCacheEntry {
  GlyphCacheEntry* next;
  uint32_t fontId;
  uint16_t generation;
  uint16_t character;
  BYTE orientation;
};
constexpr uint32_t kGlyphBuckets = 1024;

uint32_t GrGlyphKey(uint32_t fontId, uint16_t generation, uint16_t character);
int GrGlyphCacheFind(PhysicalDevice* pdev, uint32_t bucket, uint32_t fontId, uint16_t generation, uint16_t character,
                     BYTE orientation);
// 1, or 0 when the bucket is out of range or memory runs out.
int GrGlyphCacheAdd(PhysicalDevice* pdev, uint32_t bucket, uint32_t fontId, uint16_t generation, uint16_t character,
                    BYTE orientation);
void GrGlyphCacheClear(PhysicalDevice* pdev);

// ---- angles and metrics ---------------------------------------------------------------------

// v * f rounded to single precision, truncated toward zero.
LONG GrScaleFloat(FLOATL f, LONG v);
// Whole degrees of the direction (x, y), from -180 to 90.
LONG GrAngle(int16_t x, int16_t y);
// The last index in [lo, hi) whose tangent entry lies below v (tangents of tenths of a degree).
int GrTanSearch(int lo, int hi, LONG v);
// Sine and cosine of whole degrees (0 or more) times 16384.
LONG GrSin(LONG degrees);
LONG GrCos(LONG degrees);
// The text direction of a font transform in whole degrees, 0-359.
uint16_t GrEscapement(const XFORML& m);
// The point a glyph record refers to: the top of the glyph's cell above (x, y).
POINTL GrCellTop(LONG x, LONG y, LONG ascent, LONG escapement);
// Whether a font transform mirrors (its eM11 and eM22 of opposite signs).
bool GrMirrored(const XFORML& m);

// ---- glyphs of a string ---------------------------------------------------------------------

// The glyphs of a string one at a time, from its position array or by enumeration, never more
// than the string's count; index is the glyph's place in the whole string.
class GlyphWalk {
 public:
  explicit GlyphWalk(STROBJ* pstro);
  bool Next();
  const GLYPHPOS& Glyph() const { return batch_[at_]; }
  ULONG Index() const { return index_; }
  // The character of the glyph (pwszOrg), or the glyph handle when the string has no text.
  WCHAR Character() const;
  // The glyph's position; for fixed-pitch strings the first position plus index steps.
  POINTL Position() const;

 private:
  STROBJ* pstro_;
  GLYPHPOS* batch_ = nullptr;
  ULONG count_ = 0, at_ = 0, index_ = 0;
  bool more_ = true, started_ = false, loaded_ = false, haveFirst_ = false;
  POINTL first_{0, 0};
};
bool GrFixedPitch(const STROBJ* pstro);

// ---- font records ---------------------------------------------------------------------------

// Fills what every form takes from the string, the font and its transform (not the names, the
// type or the flags).
void GrFillTextFont(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo, const IFIMETRICS* ifi, const XFORML& m,
                    TextEm em, TextFontInfo* info);
// The family and face names of the font: UTF-16 (wide) or in the device code page, at most 127
// characters, zero-terminated.
void GrTextFontNames(TextFontInfo* info, const IFIMETRICS* ifi, bool wide);

// The font record rule: true when the page's font cache already holds this font and
// orientation (nothing to write); otherwise the cache takes them.
bool GrFontCacheHolds(PhysicalDevice* pdev, uint32_t fontId, BYTE orientation);
void GrFontCacheForget(PhysicalDevice* pdev);
// The record's font fields of a TextFontInfo with the given flags.
uint16_t GrFontFlags(const TextFontInfo& info, int form);
enum : int { kFormOutline = 0, kFormPrinter = 1, kFormDownload = 2 };
// Records 80 and 86 with a name of device-code-page bytes; 86 of the download form with the
// UTF-16 face name.
int GrWriteFontSelect(PhysicalDevice* pdev, const TextFontInfo& info, uint16_t flags);
int GrWriteFontDefinition(PhysicalDevice* pdev, const TextFontInfo& info, uint16_t flags, bool wideName);

// ---- the forms ------------------------------------------------------------------------------

int GrTextOutlineMode(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo, const XFORML& m, TextEm em,
                      TextFontInfo* info, LONG ascent);
int GrDeviceTextMode(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo, const XFORML& m, TextEm em,
                     TextFontInfo* info, LONG ascent);
int GrDefinePrinterFont(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo, const XFORML& m, TextEm em,
                        TextFontInfo* info);
int GrDefineDeviceFont(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo, const XFORML& m, TextEm em,
                       TextFontInfo* info);
int GrEmitOutlineGlyphs(PhysicalDevice* pdev, STROBJ* pstro, FONTOBJ* pfo);
int GrEmitCharRun(PhysicalDevice* pdev, STROBJ* pstro, const TextFontInfo& info, TextEm em, LONG ascent);
int GrEmitCharCells(PhysicalDevice* pdev, STROBJ* pstro, const TextFontInfo& info, TextEm em, LONG ascent);

BOOL WINAPI DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                       BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix);
