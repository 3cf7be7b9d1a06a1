// Interim entry points for text, fonts and escapes, for as long as the
// module has no code of its own for them: in raster mode text is drawn by the engine into the
// band; everything else reports success without output. The real code replaces this file.
#include <cstring>

#include "gr_drawing_entries.h"
#include "gr_drawing_services.h"
#include "gr_pdev.h"
#include "gr_records.h"

namespace {

// The drawing state of an entry: NULL when the record is bad; *done set when nothing more is
// to be drawn (drawing switched off: success; a write error: failure).
PhysicalDevice* DrawingPdev(SURFOBJ* pso, BOOL* result) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  *result = pdev ? TRUE : FALSE;
  if (!pdev) return nullptr;
  if (pdev->flags & kPdevWriteError) {
    *result = FALSE;
    return nullptr;
  }
  if (pdev->drawingOff) return nullptr;
  return pdev;
}

}  // namespace

// ---- services -----------------------------------------------------------------------------

void GrEmptyGlyphTable(PhysicalDevice* pdev) {
  std::memset(pdev->glyphTable, 0, sizeof pdev->glyphTable);
  pdev->glyphGeneration = static_cast<uint16_t>(pdev->glyphGeneration + 1);
}

// ---- entry points -------------------------------------------------------------------------

BOOL WINAPI DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                       BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) {
  BOOL result;
  PhysicalDevice* pdev = DrawingPdev(pso, &result);
  if (!pdev) return result;
  if (pdev->rasterMode)
    return EngTextOut(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg, mix);
  return TRUE;
}

ULONG WINAPI DrvEscape(SURFOBJ* pso, ULONG, ULONG, PVOID, ULONG, PVOID) {
  GrPdevOfSurface(pso);
  return 0;
}

ULONG WINAPI DrvGetGlyphMode(DHPDEV dhpdev, FONTOBJ*) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return FO_GLYPHBITS;
}

PIFIMETRICS WINAPI DrvQueryFont(DHPDEV dhpdev, ULONG_PTR, ULONG, ULONG_PTR*) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return nullptr;
}

PVOID WINAPI DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR, ULONG, ULONG, ULONG_PTR*) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return nullptr;
}

LONG WINAPI DrvQueryFontData(DHPDEV dhpdev, FONTOBJ*, ULONG, HGLYPH, GLYPHDATA*, PVOID, ULONG) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return static_cast<LONG>(GDI_ERROR);
}

BOOL WINAPI DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ*, ULONG, HGLYPH*, PVOID, ULONG) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return FALSE;
}
