// The printer's resident fonts offered to the engine as device fonts: their metrics and glyph
// sets from the module's resources, the font queries of the engine and the metric arithmetic
// the text output shares.
#pragma once

#include <cstdint>

#include "win32/ddi.h"

struct PhysicalDevice;

// A row of symbol sets: the list a metric resource names, its character set, and the glyph set
// loaded for it (null until the engine first asks).
struct SymbolSetRow {
  const char* symbolSets;
  uint32_t charset;
  FD_GLYPHSET* glyphSet;
};

struct ResidentFont {
  uint32_t kind;   // the symbol-set row the font's list matched (2 when none did)
  BYTE* metrics;   // a copy of the metric resource
};

constexpr uint32_t kDeviceFontCount = 4;
constexpr uint32_t kSymbolSetRowCount = 5;

struct DeviceFontTable {
  uint32_t count;
  HMODULE module;
  SymbolSetRow rows[kSymbolSetRowCount];
  ResidentFont fonts[kDeviceFontCount];
};

// The table of a record with its heap; null when a resource is missing or damaged or memory
// runs out (nothing is left allocated then).
DeviceFontTable* GrLoadDeviceFonts(PhysicalDevice* pdev, HMODULE module);
void GrFreeDeviceFonts(PhysicalDevice* pdev, DeviceFontTable* table);
// Font iFace (1-based), or null.
ResidentFont* GrGetDeviceFont(DeviceFontTable* table, ULONG iFace);
// The IFIMETRICS inside a font's metric copy.
IFIMETRICS* GrDeviceFontMetrics(const ResidentFont* font);
FD_GLYPHSET* GrGetGlyphSet(PhysicalDevice* pdev, DeviceFontTable* table, ULONG iFace);
// A glyph-set resource copied into the record's heap with its run pointers set; null when it is
// missing or its runs do not fit in it.
FD_GLYPHSET* GrLoadGlyphSet(PhysicalDevice* pdev, HMODULE module, int id);
// Whether a metric resource holds its IFIMETRICS (with names and simulations) and its
// symbol-set list inside its bytes; whether a glyph-set resource holds its runs and handles.
int GrCheckMetricsResource(const BYTE* resource, uint32_t size);
int GrCheckGlyphSetResource(const BYTE* resource, uint32_t size);
// The symbol-set row of a metric resource of `size` bytes (2 when none matches).
uint32_t GrSymbolSetKind(const BYTE* resource, uint32_t size);
// The advance of a device code in font units: half an em for single-byte and half-width codes.
LONG GrDeviceCharWidth(const IFIMETRICS* ifi, HGLYPH hg);
// The smallest integer whose square is at least a * a + b * b.
LONG GrHypot(LONG a, LONG b);

ULONG WINAPI DrvGetGlyphMode(DHPDEV dhpdev, FONTOBJ* pfo);
PIFIMETRICS WINAPI DrvQueryFont(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG_PTR* pid);
PVOID WINAPI DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG iMode, ULONG_PTR* pid);
LONG WINAPI DrvQueryFontData(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, GLYPHDATA* pgd, PVOID pv,
                             ULONG cjSize);
BOOL WINAPI DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg, PVOID pvWidths,
                                  ULONG cGlyphs);
