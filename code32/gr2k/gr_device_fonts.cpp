// Device fonts: the four resident fonts of the printer, read from the module's resources, and
// the engine's font queries about them.
#include "gr_device_fonts.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "byte_order.h"
#include "gr_font_resources.h"
#include "gr_pdev.h"

namespace {

const SymbolSetRow kSymbolSetRows[kSymbolSetRowCount] = {
    {"ROMA;J83;KATA", SHIFTJIS_CHARSET, nullptr}, {"ROMA;J83V;KATA", SHIFTJIS_CHARSET, nullptr},
    {"IBML;IBM850", ANSI_CHARSET, nullptr},       {"SYML;SYMR", SYMBOL_CHARSET, nullptr},
    {"DNGL;DNGR", SYMBOL_CHARSET, nullptr},
};

// The record of a device entry point, checked; null with ERROR_INVALID_PARAMETER.
PhysicalDevice* PdevOf(DHPDEV dhpdev) {
  auto* pdev = reinterpret_cast<PhysicalDevice*>(dhpdev);
  return GrCheckPdev(pdev) ? pdev : nullptr;
}

DeviceFontTable* TableOf(PhysicalDevice* pdev) { return static_cast<DeviceFontTable*>(pdev->deviceFonts); }

// Device font iFace of the record; null with ERROR_INVALID_PARAMETER.
ResidentFont* FontOf(PhysicalDevice* pdev, ULONG iFace) {
  ResidentFont* font = GrGetDeviceFont(TableOf(pdev), iFace);
  if (!font) SetLastError(ERROR_INVALID_PARAMETER);
  return font;
}

}  // namespace

int GrCheckMetricsResource(const BYTE* r, uint32_t size) {
  if (!r) return 0;
  if (size < kFontResMetricsAt + sizeof(IFIMETRICS) || ReadLe32(r + kFontResSizeAt) > size) return false;
  const uint32_t at = ReadLe32(r + kFontResMetricsOffsetAt);
  if (at != kFontResMetricsAt) return false;
  IFIMETRICS ifi;
  std::memcpy(&ifi, r + at, sizeof ifi);
  const uint32_t room = size - at;
  if (ifi.cjThis < sizeof(IFIMETRICS) || ifi.cjThis > room) return false;
  auto nameFits = [&](PTRDIFF off) {
    if (off < PTRDIFF(sizeof(IFIMETRICS)) || off >= PTRDIFF(ifi.cjThis) || off % 2) return false;
    for (PTRDIFF p = off; p + 1 < PTRDIFF(ifi.cjThis); p += 2)
      if (r[at + p] == 0 && r[at + p + 1] == 0) return true;
    return false;
  };
  if (!nameFits(ifi.dpwszFamilyName) || !nameFits(ifi.dpwszStyleName) || !nameFits(ifi.dpwszFaceName) ||
      !nameFits(ifi.dpwszUniqueName))
    return false;
  if (ifi.dpFontSim && (ifi.dpFontSim < PTRDIFF(sizeof(IFIMETRICS)) || ifi.dpFontSim % 8 ||
                        size_t(ifi.dpFontSim) + sizeof(FONTSIM) + 3 * sizeof(FONTDIFF) > ifi.cjThis))
    return false;
  const uint32_t symbols = ReadLe32(r + kFontResSymbolSetAt);
  if (symbols < kFontResMetricsAt || symbols >= size) return false;
  return std::memchr(r + symbols, 0, size - symbols) != nullptr;
}

int GrCheckGlyphSetResource(const BYTE* r, uint32_t size) {
  constexpr size_t kRuns = offsetof(FD_GLYPHSET, awcrun);
  if (!r || size < kRuns) return 0;
  const uint32_t runs = ReadLe32(r + offsetof(FD_GLYPHSET, cRuns));
  if (runs > (size - kRuns) / sizeof(WCRUN)) return 0;
  const size_t handlesAt = kRuns + size_t{runs} * sizeof(WCRUN);
  size_t glyphs = 0;
  for (uint32_t i = 0; i < runs; ++i) glyphs += ReadLe16(r + kRuns + i * sizeof(WCRUN) + offsetof(WCRUN, cGlyphs));
  return glyphs <= (size - handlesAt) / sizeof(HGLYPH);
}

namespace {

// A point of the font's notional space through the font's transform.
bool Apply(XFORMOBJ* pxo, ULONG mode, LONG x, LONG y, POINTL& out) {
  POINTL in{x, y};
  return XFORMOBJ_bApplyXform(pxo, mode, 1, &in, &out) != FALSE;
}

FIX RoundFix(LONG v) { return static_cast<FIX>((v + 8) & ~15); }

}  // namespace

// ---- the table ----------------------------------------------------------------------------

uint32_t GrSymbolSetKind(const BYTE* resource, uint32_t size) {
  if (!resource || size <= kFontResSymbolSetAt + 4) return 2;
  const uint32_t at = ReadLe32(resource + kFontResSymbolSetAt);
  if (at >= size || !std::memchr(resource + at, 0, size - at)) return 2;
  const char* list = reinterpret_cast<const char*>(resource + at);
  for (uint32_t kind = 0; kind < 4; ++kind)
    if (std::strcmp(list, kSymbolSetRows[kind].symbolSets) == 0) return kind;
  return 2;
}

DeviceFontTable* GrLoadDeviceFonts(PhysicalDevice* pdev, HMODULE module) {
  auto* table = static_cast<DeviceFontTable*>(GrHeapAlloc(pdev->heap, sizeof(DeviceFontTable)));
  if (!table) return nullptr;
  std::memset(table, 0, sizeof *table);
  table->count = kDeviceFontCount;
  table->module = module;
  std::memcpy(table->rows, kSymbolSetRows, sizeof table->rows);
  for (uint32_t i = 0; i < kDeviceFontCount; ++i) {
    ULONG size = 0;
    const void* res = EngFindResource(module, static_cast<int>(i + 1), kFontMetricsResourceType, &size);
    BYTE* copy = res && GrCheckMetricsResource(static_cast<const BYTE*>(res), size)
                     ? static_cast<BYTE*>(GrHeapAlloc(pdev->heap, size))
                     : nullptr;
    if (!copy) {
      GrFreeDeviceFonts(pdev, table);
      return nullptr;
    }
    std::memcpy(copy, res, size);
    table->fonts[i].metrics = copy;
    table->fonts[i].kind = GrSymbolSetKind(copy, size);
  }
  return table;
}

void GrFreeDeviceFonts(PhysicalDevice* pdev, DeviceFontTable* table) {
  if (!table) return;
  for (uint32_t i = 0; i < kSymbolSetRowCount; ++i) {
    FD_GLYPHSET* set = table->rows[i].glyphSet;
    if (!set) continue;
    // Rows that share a set free it once.
    for (uint32_t j = i; j < kSymbolSetRowCount; ++j)
      if (table->rows[j].glyphSet == set) table->rows[j].glyphSet = nullptr;
    GrHeapFree(pdev->heap, set);
  }
  for (ResidentFont& font : table->fonts) {
    if (font.metrics) GrHeapFree(pdev->heap, font.metrics);
    font.metrics = nullptr;
  }
  GrHeapFree(pdev->heap, table);
}

ResidentFont* GrGetDeviceFont(DeviceFontTable* table, ULONG iFace) {
  if (!table || iFace == 0 || iFace > table->count || iFace > kDeviceFontCount) return nullptr;
  ResidentFont* font = &table->fonts[iFace - 1];
  return font->metrics ? font : nullptr;
}

IFIMETRICS* GrDeviceFontMetrics(const ResidentFont* font) {
  return font ? reinterpret_cast<IFIMETRICS*>(font->metrics + kFontResMetricsAt) : nullptr;
}

FD_GLYPHSET* GrLoadGlyphSet(PhysicalDevice* pdev, HMODULE module, int id) {
  ULONG size = 0;
  const auto* res = static_cast<const BYTE*>(EngFindResource(module, id, kGlyphSetResourceType, &size));
  if (!GrCheckGlyphSetResource(res, size)) return nullptr;
  const uint32_t runs = ReadLe32(res + offsetof(FD_GLYPHSET, cRuns));
  const size_t handlesAt = offsetof(FD_GLYPHSET, awcrun) + size_t{runs} * sizeof(WCRUN);
  auto* set = static_cast<FD_GLYPHSET*>(GrHeapAlloc(pdev->heap, size));
  if (!set) return nullptr;
  std::memcpy(set, res, size);
  auto* next = reinterpret_cast<HGLYPH*>(reinterpret_cast<BYTE*>(set) + handlesAt);
  for (uint32_t r = 0; r < runs; ++r) {
    set->awcrun[r].phg = next;
    next += set->awcrun[r].cGlyphs;
  }
  return set;
}

FD_GLYPHSET* GrGetGlyphSet(PhysicalDevice* pdev, DeviceFontTable* table, ULONG iFace) {
  ResidentFont* font = GrGetDeviceFont(table, iFace);
  if (!font) return nullptr;
  uint32_t row;
  int id;
  switch (font->kind) {
    case 0: case 1: row = 0, id = kGlyphSetShiftJis; break;
    case 2: case 3: row = font->kind, id = kGlyphSetOther; break;
    default: return nullptr;
  }
  if (!table->rows[row].glyphSet) table->rows[row].glyphSet = GrLoadGlyphSet(pdev, table->module, id);
  // The vertical fonts share the set of the horizontal ones.
  if (font->kind == 1) table->rows[1].glyphSet = table->rows[0].glyphSet;
  return table->rows[row].glyphSet;
}

LONG GrDeviceCharWidth(const IFIMETRICS* ifi, HGLYPH hg) {
  if (hg < 256 || hg == 0x8640 || (hg >> 8) == 0x85) return ifi->fwdAveCharWidth;
  return ifi->fwdMaxCharInc;
}

LONG GrHypot(LONG a, LONG b) {
  const uint64_t x = static_cast<uint64_t>(std::llabs(int64_t{a})), y = static_cast<uint64_t>(std::llabs(int64_t{b}));
  if (x == 0) return static_cast<LONG>(std::min<uint64_t>(y, 0x7FFFFFFF));
  if (y == 0) return static_cast<LONG>(std::min<uint64_t>(x, 0x7FFFFFFF));
  const uint64_t n = x * x + y * y;
  uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<double>(n)));
  while (r * r > n) --r;
  while (r * r < n) ++r;
  return static_cast<LONG>(std::min<uint64_t>(r, 0x7FFFFFFF));
}

// ---- the engine's queries -----------------------------------------------------------------

ULONG WINAPI DrvGetGlyphMode(DHPDEV dhpdev, FONTOBJ*) {
  PdevOf(dhpdev);
  return FO_GLYPHBITS;
}

PIFIMETRICS WINAPI DrvQueryFont(DHPDEV dhpdev, ULONG_PTR, ULONG iFace, ULONG_PTR* pid) {
  PhysicalDevice* pdev = PdevOf(dhpdev);
  if (!pdev) return nullptr;
  if (pid) *pid = 0;
  return GrDeviceFontMetrics(FontOf(pdev, iFace));
}

PVOID WINAPI DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR, ULONG iFace, ULONG iMode, ULONG_PTR* pid) {
  PhysicalDevice* pdev = PdevOf(dhpdev);
  if (!pdev) return nullptr;
  if (pid) *pid = 0;
  if (!FontOf(pdev, iFace)) return nullptr;
  switch (iMode) {
    case QFT_KERNPAIRS: {
      static const FD_KERNINGPAIR kNoPairs[1] = {};
      return const_cast<FD_KERNINGPAIR*>(kNoPairs);
    }
    case QFT_GLYPHSET:
      return GrGetGlyphSet(pdev, TableOf(pdev), iFace);
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

LONG WINAPI DrvQueryFontData(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, GLYPHDATA* pgd, PVOID pv,
                             ULONG cjSize) {
  PhysicalDevice* pdev = PdevOf(dhpdev);
  if (!pdev) return -1;
  if (!pfo) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  const IFIMETRICS* ifi = GrDeviceFontMetrics(FontOf(pdev, pfo->iFace));
  if (!ifi) return -1;
  XFORMOBJ* pxo = FONTOBJ_pxoGetXform(pfo);
  const LONG boxTop = ifi->rclFontBox.top, boxBottom = ifi->rclFontBox.bottom;
  switch (iMode) {
    case QFD_GLYPHANDBITMAP: {
      if (!pgd) return 0;
      POINTL top, bottom, unit;
      if (!pxo || !Apply(pxo, XF_LTOFX, 0, boxTop, top) || !Apply(pxo, XF_LTOFX, 0, boxBottom, bottom) ||
          !Apply(pxo, XF_LTOFX, 4096, 0, unit))
        return -1;
      const LONG w = GrDeviceCharWidth(ifi, hg);
      const LONG sTop = boxTop < 0 ? -1 : 1, sBottom = boxBottom < 0 ? -1 : 1;
      pgd->fxInkBottom = RoundFix(sBottom * GrHypot(bottom.x, bottom.y));
      pgd->fxInkTop = RoundFix(sTop * GrHypot(top.x, top.y));
      const int64_t length = GrHypot(unit.x, unit.y);
      pgd->fxD = RoundFix(static_cast<LONG>((w * length) >> 12));
      // The advance vector in the high parts, the fractions 0.
      pgd->ptqD.x.QuadPart = LONGLONG{RoundFix(static_cast<LONG>((int64_t{w} * unit.x) >> 12))} * 0x100000000LL;
      pgd->ptqD.y.QuadPart = LONGLONG{RoundFix(static_cast<LONG>((int64_t{w} * unit.y) >> 12))} * 0x100000000LL;
      pgd->fxA = 0;
      pgd->fxAB = pgd->fxD;
      pgd->hg = hg;
      return 0;
    }
    case QFD_MAXEXTENTS: {
      if (!pv) return sizeof(FD_DEVICEMETRICS);
      // A buffer too small for the record is refused rather than overrun.
      if (cjSize < sizeof(FD_DEVICEMETRICS)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return -1;
      }
      POINTL base, side, top, bottom, maxInc, underline, strike, thickness;
      const LONG d = std::abs(boxBottom);
      if (!pxo || !Apply(pxo, XF_LTOFX, 1000, 0, base) || !Apply(pxo, XF_LTOFX, 0, -1000, side) ||
          !Apply(pxo, XF_LTOFX, 0, boxTop, top) || !Apply(pxo, XF_LTOFX, 0, d, bottom) ||
          !Apply(pxo, XF_LTOL, ifi->fwdMaxCharInc, 0, maxInc) ||
          !Apply(pxo, XF_LTOL, 0, -ifi->fwdUnderscorePosition, underline) ||
          !Apply(pxo, XF_LTOL, 0, -ifi->fwdStrikeoutPosition, strike) ||
          !Apply(pxo, XF_LTOL, 0, ifi->fwdUnderscoreSize, thickness))
        return -1;
      FD_DEVICEMETRICS dm{};
      dm.flRealizedType = 0;
      const LONG e = GrHypot(base.x, base.y), f = GrHypot(side.x, side.y);
      if (e) dm.pteBase = POINTE{FLOATL(base.x) / FLOATL(e), FLOATL(base.y) / FLOATL(e)};
      if (f) dm.pteSide = POINTE{FLOATL(side.x) / FLOATL(f), FLOATL(side.y) / FLOATL(f)};
      dm.cxMax = static_cast<ULONG>(GrHypot(maxInc.x, maxInc.y));
      dm.lD = (ifi->flInfo & FM_INFO_CONSTANT_WIDTH) ? static_cast<LONG>(dm.cxMax) : 0;
      dm.fxMaxAscender = RoundFix(GrHypot(top.x, top.y));
      LONG descender = RoundFix(GrHypot(bottom.x, bottom.y));
      if ((ifi->jWinPitchAndFamily & 1) && !(ifi->flInfo & FM_INFO_DBCS_FIXED_PITCH))
        descender = std::max<LONG>(0, descender - (boxTop - boxBottom - 1000));
      dm.fxMaxDescender = descender;
      dm.ptlUnderline1 = underline;
      dm.ptlStrikeOut = strike;
      dm.ptlULThickness = dm.ptlSOThickness = thickness;
      std::memcpy(pv, &dm, sizeof dm);
      return sizeof(FD_DEVICEMETRICS);
    }
    default:
      return -1;
  }
}

BOOL WINAPI DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg, PVOID pvWidths,
                                  ULONG cGlyphs) {
  PhysicalDevice* pdev = PdevOf(dhpdev);
  if (!pdev) return FALSE;
  if (iMode != QAW_GETWIDTHS && iMode != QAW_GETEASYWIDTHS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (cGlyphs == 0) return TRUE;
  if (!pfo || !phg || !pvWidths) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const IFIMETRICS* ifi = GrDeviceFontMetrics(FontOf(pdev, pfo->iFace));
  if (!ifi) return FALSE;
  XFORMOBJ* pxo = FONTOBJ_pxoGetXform(pfo);
  POINTL unit;
  if (!pxo || !Apply(pxo, XF_LTOFX, 4096, 0, unit)) return FALSE;
  const int64_t length = GrHypot(unit.x, unit.y);
  auto* widths = static_cast<USHORT*>(pvWidths);
  for (ULONG i = 0; i < cGlyphs; ++i)
    widths[i] = static_cast<USHORT>(((GrDeviceCharWidth(ifi, phg[i]) * length >> 12) + 8) & ~int64_t{15});
  return TRUE;
}
