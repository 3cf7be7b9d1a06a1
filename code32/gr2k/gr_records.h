// The drawing records of the data blocks: one writer per record. Each reserves its record in
// the page's record buffer and fills it byte by byte (little-endian, sizes a multiple of 4,
// reserved and padding bytes 0); each returns the record, or NULL when the buffer refuses the
// space.
#pragma once

#include <cstddef>
#include <cstdint>

#include "win32/windows.h"

struct PhysicalDevice;

// Opcodes.
enum : uint8_t {
  kRecClip = 16,
  kRecPathCurves = 17,
  kRecPathLines = 18,
  kRecClipSpans = 19,
  kRecImage = 32,
  kRecColour = 48,
  kRecRop3 = 49,
  kRecMix = 50,
  kRecLineWidth = 51,
  kRecDashPhase = 52,
  kRecLineEnd = 53,
  kRecLineJoin = 54,
  kRecClipReset = 55,
  kRecBrush = 64,
  kRecFontSelect = 80,
  kRecTextRun = 81,
  kRecGlyphRun = 82,
  kRecGlyphDownload = 83,
  kRecGlyphBitmap = 84,
  kRecGlyphPositions = 85,
  kRecFontDefinition = 86,
  kRecGlyphDownload2 = 87,
  kRecPageStart = 96,
  kRecPageEnd = 97,
  kRecComment = 112,
};

// A rectangle of four i32 values left, top, right, bottom.
struct RecRect {
  int32_t left, top, right, bottom;
};

// ---- clipping -----------------------------------------------------------------------------
constexpr uint8_t kClipKindRect = 5;
BYTE* GrRecClip(PhysicalDevice* pdev, uint8_t kind, const RecRect& first, const RecRect& second);
BYTE* GrEmitClipRect(PhysicalDevice* pdev, const RecRect& rect);  // kind 5, one rectangle
// Span entries of a clip (form: 2 first record, 4 continuation, +8 last, +0x10 32-bit
// entries); nothing is written for no entries. 1/0.
int GrRecClipRects(PhysicalDevice* pdev, uint8_t form, const RecRect& bounds, const void* entries, uint32_t length);
BYTE* GrRecClipReset(PhysicalDevice* pdev);

// ---- paths --------------------------------------------------------------------------------
// Space for a path record of `segments` lines and curves (40 bytes each, plus 40); the writer
// gives the unused rest back with GrAlignRecordEnd.
BYTE* GrReservePathRecord(PhysicalDevice* pdev, uint32_t segments);

struct RecPoint {
  int32_t x, y;  // 28.4 fixed point
};
struct RecPathSegment {
  bool curve;
  RecPoint points[3];  // a line uses points[0]
};
struct RecSubpath {
  RecPoint start;
  const RecPathSegment* segments;
  uint32_t count;
  bool closed;
};
// Bounds in 28.4 fixed point; mode is the caller's drawing mode (bits below 0x8).
BYTE* GrRecPath(PhysicalDevice* pdev, uint8_t mode, const RecRect& boundsFix, const RecSubpath* subpaths,
                uint32_t count);

// ---- images -------------------------------------------------------------------------------
struct RecImage {
  uint32_t formatWord;  // bits 0-3 pixel code (0 1 bit, 1 4 bits, 2 8 bits, 4 24 bits), more bits above
  int32_t x, y, width, height;  // destination
  uint32_t values[2];
  uint32_t sourceWidth;
  uint32_t rows;
  const ULONG* palette;  // NULL or paletteCount colours 0x00RRGGBB
  uint32_t paletteCount;
  const BYTE* firstRow;
  ptrdiff_t rowStride;  // negative for a bottom-up source
  bool hostMatched;
};
// The bits per pixel of a pixel code; 0 for an unknown code.
uint32_t GrImageBitsPerPixel(uint32_t pixelCode);
// 1/0; a 24-bit image may be converted to 8-bit grey and its rows written in slices.
int GrRecImage(PhysicalDevice* pdev, const RecImage& image);

// ---- state --------------------------------------------------------------------------------
enum : uint8_t {
  kColourSecond = 0x8,
  kColourAdditional = 0x10,
  kColourMode2 = 0x40,
  kColourMatched = 0x80,
};
// flags: kColourMode2 and kColourMatched; the second and additional colours when given.
BYTE* GrRecColour(PhysicalDevice* pdev, uint8_t flags, ULONG first, const ULONG* second, const ULONG* additional);
BYTE* GrRecRop3(PhysicalDevice* pdev, BYTE rop3);
BYTE* GrRecMix(PhysicalDevice* pdev, BYTE mix);
BYTE* GrRecLineWidth(PhysicalDevice* pdev, uint32_t dashScale, uint32_t width, uint32_t pattern);
BYTE* GrRecDashPhase(PhysicalDevice* pdev, uint32_t bit);
BYTE* GrRecLineEnd(PhysicalDevice* pdev, BYTE cap);
// mitreLimit NULL when the engine gives none.
BYTE* GrRecLineJoin(PhysicalDevice* pdev, BYTE join, const float* mitreLimit);

enum : uint8_t {
  kBrushColour24 = 0x1,
  kBrushMatched = 0x40,
  kBrushPattern = 0x80,
};
constexpr uint32_t kBrushPatternPixels = 32;
// pattern NULL for a solid brush; else 128 bytes (one bit) or 3072 bytes (kBrushColour24).
BYTE* GrRecBrush(PhysicalDevice* pdev, uint8_t flags, const BYTE* pattern);
int GrRecBrushOrigin(PhysicalDevice* pdev, LONG x, LONG y);

// ---- fonts and text -----------------------------------------------------------------------
struct RecFontFields {
  BYTE charset;
  BYTE pitchAndFamily;
  uint16_t fontFlags;
  uint16_t weight;
  uint16_t escapement;
  uint16_t emWidth;
  uint16_t emHeight;
  uint16_t internalLeading;
  uint16_t defaultChar;
};
// name: 16-bit units up to the first zero unit (bytes of the device code page read two at a
// time, or UTF-16 in the download form of the definition).
BYTE* GrRecFontSelect(PhysicalDevice* pdev, const RecFontFields& font, const void* name);
BYTE* GrRecFontDefinition(PhysicalDevice* pdev, const RecFontFields& font, const void* name);
BYTE* GrRecTextRun(PhysicalDevice* pdev, const RecRect& rect, uint32_t v1, uint32_t v2, uint16_t value);
BYTE* GrRecTextRunData(PhysicalDevice* pdev, const RecRect& rect, uint32_t v1, uint32_t v2, uint16_t value,
                       const void* data, uint32_t length);
BYTE* GrRecGlyphRun(PhysicalDevice* pdev, const RecRect& rect, uint32_t v1, uint32_t v2, const int16_t* positions,
                    uint32_t positionCount, const uint16_t* glyphs, uint32_t glyphCount);

struct RecGlyphBitmapInfo {
  uint32_t originX, originY, width, height, dataLength;
  uint16_t character;
  BYTE compression;  // 0 raw, 2 run-length
};
// First form: mode letter 'S', 'T' or 'W'; the two data parts (both or neither) and the
// bitmap part (or none).
BYTE* GrRecGlyphDownload(PhysicalDevice* pdev, BYTE modeLetter, const RecRect& rect, uint32_t v1, uint32_t v2,
                         const RecGlyphBitmapInfo& info, const void* part1, uint32_t length1, const void* part2,
                         uint32_t length2, const void* bitmap);
// Second form, opcode 83 or 87; info.dataLength bytes of data (or none).
BYTE* GrRecGlyphDownload2(PhysicalDevice* pdev, BYTE opcode, BYTE flags, const RecRect& rect, uint32_t v1,
                          uint32_t v2, const RecGlyphBitmapInfo& info, const void* data);
// Not written without data (1 then).
int GrRecGlyphBitmap(PhysicalDevice* pdev, BYTE flags, const RecGlyphBitmapInfo& info, const void* data);
BYTE* GrRecGlyphPositions(PhysicalDevice* pdev, BYTE value, const RecRect& rect, uint32_t v1, uint32_t v2,
                          const void* entries, uint16_t count);

// ---- page ---------------------------------------------------------------------------------
BYTE* GrRecPageStart(PhysicalDevice* pdev, uint32_t width, uint32_t height, uint16_t xDpi, uint16_t yDpi);
BYTE* GrRecPageEnd(PhysicalDevice* pdev);
// At most 255 bytes of text are recorded.
BYTE* GrRecComment(PhysicalDevice* pdev, const char* text, uint32_t length);
