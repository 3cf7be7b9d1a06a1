// The module's own font resources: the metrics of the printer's four resident fonts and the
// glyph sets that map characters to the printer's character codes. Shared by the module, which
// reads them with EngFindResource, and by the build step that makes them.
//
// Metric resource (type 258, ids 1-4), little endian:
//   0    u32   total size of the resource
//   4    u32   offset of the font's IFIMETRICS (592)
//   8    u16[] per-code widths of the codes 0-281
//   572  u32   offset of the symbol-set list, an ANSI string such as "ROMA;J83;KATA"
//   576  u32x4 offsets of further strings (0: none)
//   592  IFIMETRICS with its names, its FONTSIM and three FONTDIFF records after it, then the
//        symbol-set list
//
// Glyph-set resource (type 260): an FD_GLYPHSET (cjThis = the size of the header and the runs)
// whose run pointers are zero until the table is loaded, followed by every run's glyph handles in run order.
#pragma once

#include <cstdint>

constexpr int kFontMetricsResourceType = 258;
constexpr int kGlyphSetResourceType = 260;
constexpr int kDeviceFontResourceCount = 4;

constexpr uint32_t kFontResSizeAt = 0;
constexpr uint32_t kFontResMetricsOffsetAt = 4;
constexpr uint32_t kFontResWidthsAt = 8;
constexpr uint32_t kFontResWidthCount = 282;
constexpr uint32_t kFontResSymbolSetAt = 572;
constexpr uint32_t kFontResStringsAt = 576;
constexpr uint32_t kFontResMetricsAt = 592;

static_assert(kFontResWidthsAt + 2 * kFontResWidthCount == kFontResSymbolSetAt);

// Glyph sets: the Shift-JIS codes of the Japanese fonts, and the set of the other symbol sets.
constexpr int kGlyphSetShiftJis = 2;
constexpr int kGlyphSetOther = 3;
