// Interim entry points for text, escapes and colour transforms, for as long as the module has
// no code of its own for them: in raster mode text is drawn by the engine into the band;
// everything else reports success without output. The real code replaces this file.
#include "gr_drawing_entries.h"
#include "gr_pdev.h"

BOOL WINAPI DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                       BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  if (!pdev) return FALSE;
  if (pdev->flags & kPdevWriteError) return FALSE;
  if (pdev->drawingOff) return TRUE;
  if (pdev->rasterMode)
    return EngTextOut(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg, mix);
  return TRUE;
}

ULONG WINAPI DrvEscape(SURFOBJ* pso, ULONG, ULONG, PVOID, ULONG, PVOID) {
  GrPdevOfSurface(pso);
  return 0;
}

HANDLE WINAPI DrvIcmCreateColorTransform(DHPDEV dhpdev, LOGCOLORSPACEW*, PVOID, ULONG, PVOID, ULONG, PVOID, ULONG,
                                         DWORD) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return nullptr;
}

BOOL WINAPI DrvIcmDeleteColorTransform(DHPDEV dhpdev, HANDLE) {
  return GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev)) ? TRUE : FALSE;
}
