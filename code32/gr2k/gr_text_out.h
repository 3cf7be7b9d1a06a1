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
