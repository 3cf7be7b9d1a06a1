// The exports of the graphics module, its table of entry points for the engine, and the
// device entry points that make and end the job's record and its surface.
#include "gr_entry.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "devmode_merge.h"
#include "driver_context.h"
#include "gr_docflow.h"
#include "gr_drawing_entries.h"
#include "gr_pdev.h"
#include "plugin_registry.h"
#include "win32/windows.h"

namespace {

// The platform's error of a driver for an older engine.
constexpr DWORD kErrorBadDriverLevel = 119;  // ERROR_BAD_DRIVER_LEVEL

template <typename Fn>
PFN Entry(Fn fn) {
  return reinterpret_cast<PFN>(reinterpret_cast<void*>(fn));
}

// Row by row: the engine's function index and the entry point.
const DRVFN kEntries[kGrEntryCount] = {
    {INDEX_DrvEnablePDEV, Entry(DrvEnablePDEV)},
    {INDEX_DrvDisablePDEV, Entry(DrvDisablePDEV)},
    {INDEX_DrvCompletePDEV, Entry(DrvCompletePDEV)},
    {INDEX_DrvResetPDEV, Entry(DrvResetPDEV)},
    {INDEX_DrvEnableSurface, Entry(DrvEnableSurface)},
    {INDEX_DrvDisableSurface, Entry(DrvDisableSurface)},
    {INDEX_DrvStartDoc, Entry(DrvStartDoc)},
    {INDEX_DrvEndDoc, Entry(DrvEndDoc)},
    {INDEX_DrvStartPage, Entry(DrvStartPage)},
    {INDEX_DrvSendPage, Entry(DrvSendPage)},
    {INDEX_DrvStartBanding, Entry(DrvStartBanding)},
    {INDEX_DrvNextBand, Entry(DrvNextBand)},
    {INDEX_DrvBitBlt, Entry(DrvBitBlt)},
    {INDEX_DrvStretchBlt, Entry(DrvStretchBlt)},
    {INDEX_DrvStretchBltROP, Entry(DrvStretchBltROP)},
    {INDEX_DrvCopyBits, Entry(DrvCopyBits)},
    {INDEX_DrvTextOut, Entry(DrvTextOut)},
    {INDEX_DrvStrokePath, Entry(DrvStrokePath)},
    {INDEX_DrvFillPath, Entry(DrvFillPath)},
    {INDEX_DrvStrokeAndFillPath, Entry(DrvStrokeAndFillPath)},
    {INDEX_DrvRealizeBrush, Entry(DrvRealizeBrush)},
    {INDEX_DrvDitherColor, Entry(DrvDitherColor)},
    {INDEX_DrvEscape, Entry(DrvEscape)},
    {INDEX_DrvGetGlyphMode, Entry(DrvGetGlyphMode)},
    {INDEX_DrvQueryFont, Entry(DrvQueryFont)},
    {INDEX_DrvQueryFontData, Entry(DrvQueryFontData)},
    {INDEX_DrvQueryFontTree, Entry(DrvQueryFontTree)},
    {INDEX_DrvQueryAdvanceWidths, Entry(DrvQueryAdvanceWidths)},
    {INDEX_DrvIcmCreateColorTransform, Entry(DrvIcmCreateColorTransform)},
    {INDEX_DrvIcmDeleteColorTransform, Entry(DrvIcmDeleteColorTransform)},
    {INDEX_DrvPlgBlt, Entry(DrvPlgBlt)},
    {INDEX_DrvAlphaBlend, Entry(DrvAlphaBlend)},
    {INDEX_DrvGradientFill, Entry(DrvGradientFill)},
    {INDEX_DrvTransparentBlt, Entry(DrvTransparentBlt)},
    {INDEX_DrvQueryDeviceSupport, Entry(DrvTransparentBlt)},
};

}  // namespace

const DRVFN* GrEntryTable() { return kEntries; }

// ---- exports ------------------------------------------------------------------------------

ZOLT_EXPORT BOOL WINAPI DrvQueryDriverInfo(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded) {
  if (dwMode != DRVQUERY_USERMODE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (pcbNeeded) *pcbNeeded = sizeof(DWORD);
  if (!pBuffer || cbBuf < sizeof(DWORD)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const DWORD one = 1;
  std::memcpy(pBuffer, &one, sizeof one);
  return TRUE;
}

ZOLT_EXPORT BOOL WINAPI DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded) {
  if (iEngineVersion <= 0x1FFFF) {
    SetLastError(kErrorBadDriverLevel);
    return FALSE;
  }
  if (cj <= 11 || !pded) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DRVENABLEDATA data{};
  data.iDriverVersion = 0x30000;
  data.c = kGrEntryCount;
  data.pdrvfn = const_cast<DRVFN*>(kEntries);
  std::memcpy(pded, &data, std::min<size_t>(cj, sizeof data));
  return TRUE;
}

ZOLT_EXPORT VOID WINAPI DrvDisableDriver() {}

// ---- the record ---------------------------------------------------------------------------

DHPDEV WINAPI DrvEnablePDEV(DEVMODEW* pdm, LPWSTR, ULONG cPat, HSURF* phsurfPatterns, ULONG cjCaps, ULONG* pdevcaps,
                            ULONG cjDevInfo, DEVINFO* pdi, HDEV, LPWSTR, HANDLE hDriver) {
  PhysicalDevice* pdev = GrAllocPdev();
  if (!pdev) return nullptr;
  pdev->magic = pdev->magicEnd = kPdevMagic;
  pdev->printer = pdev->output.printer = hDriver;
  pdev->output.owner = pdev;
  pdev->module = GrModuleHandle();
  auto fail = [&]() -> DHPDEV {
    PlgFreeList(pdev->filterPlugins);
    if (pdev->palette) EngDeletePalette(pdev->palette);
    GrFreePdev(pdev);
    return nullptr;
  };
  if (!pdev->module) return fail();
  pdev->context = CtxCreateForPrinter(hDriver, hDriver, nullptr, kCtxModeGraphics);
  if (!pdev->context) return fail();
  if (!DmMergeIncoming(pdev->context, pdm, 0x10008)) return fail();
  if (pdm) {
    const size_t size = size_t{pdm->dmSize} + pdm->dmDriverExtra;
    pdev->devmode = static_cast<DEVMODEW*>(GrHeapAlloc(pdev->heap, size));
    if (!pdev->devmode) return fail();
    std::memcpy(pdev->devmode, pdm, size);
  }
  GrInitPdevFromOptions(pdev);
  GrFillGdiInfo(pdev, cjCaps, reinterpret_cast<GDIINFO*>(pdevcaps));
  const ULONG pattern = cjCaps >= offsetof(GDIINFO, ulHTPatternSize) + sizeof(ULONG)
                            ? reinterpret_cast<GDIINFO*>(pdevcaps)->ulHTPatternSize
                            : GrHalftonePatternSize(pdev->resolution, pdev->resolution, 0);
  if (!GrFillDevInfo(pdev, cjDevInfo, pdi, pattern)) return fail();
  // Device fonts are offered only in vector mode of a non-type-one driver.
  pdev->deviceFonts = nullptr;
  pdev->deviceFontCount = 0;
  if (pdev->deviceFontsOn && !pdev->rasterMode && !pdev->driverTypeOne) {
    if (DeviceFontTable* table = GrLoadDeviceFonts(pdev, pdev->module)) {
      pdev->deviceFonts = table;
      pdev->deviceFontCount = table->count;
    }
  }
  if (cjDevInfo >= offsetof(DEVINFO, cFonts) + sizeof(ULONG)) pdi->cFonts = pdev->deviceFontCount;
  if (phsurfPatterns) std::memset(phsurfPatterns, 0, sizeof(HSURF) * cPat);
  pdev->osVersion.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
  GetVersionExW(&pdev->osVersion);
  return reinterpret_cast<DHPDEV>(pdev);
}

VOID WINAPI DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev) {
  auto* pdev = reinterpret_cast<PhysicalDevice*>(dhpdev);
  if (!GrCheckPdev(pdev)) return;
  pdev->engineDevice = hdev;
}

VOID WINAPI DrvDisablePDEV(DHPDEV dhpdev) {
  auto* pdev = reinterpret_cast<PhysicalDevice*>(dhpdev);
  if (!GrCheckPdev(pdev)) return;
  if (pdev->palette) EngDeletePalette(pdev->palette);
  pdev->palette = nullptr;
  GrFreeDeviceFonts(pdev, static_cast<DeviceFontTable*>(pdev->deviceFonts));
  pdev->deviceFonts = nullptr;
  PlgFreeList(pdev->filterPlugins);
  pdev->filterPlugins = nullptr;
  PlgFreeIdList(pdev->moduleNames);
  pdev->moduleNames = nullptr;
  GrFreePdev(pdev);
}

BOOL WINAPI DrvResetPDEV(DHPDEV dhpdevOld, DHPDEV dhpdevNew) {
  auto* oldPdev = reinterpret_cast<PhysicalDevice*>(dhpdevOld);
  auto* newPdev = reinterpret_cast<PhysicalDevice*>(dhpdevNew);
  if (!GrCheckPdev(oldPdev) || !GrCheckPdev(newPdev)) return FALSE;
  if (!(oldPdev->flags & kPdevDocStarted)) return TRUE;
  return GrCarryOverDocument(oldPdev, newPdev);
}

// ---- the surface --------------------------------------------------------------------------

HSURF WINAPI DrvEnableSurface(DHPDEV dhpdev) {
  auto* pdev = reinterpret_cast<PhysicalDevice*>(dhpdev);
  if (!GrCheckPdev(pdev)) return nullptr;
  const bool mono = pdev->colourProcess == 1 && pdev->colourMode == 1;
  HSURF surface = nullptr;
  FLONG hooks = 0;
  if (pdev->rasterMode == 0) {
    const ULONG format = pdev->monoDeviceSurface && mono ? BMF_1BPP : BMF_24BPP;
    surface = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(pdev), SIZEL{pdev->printWidthDots, pdev->printLengthDots},
                                     format);
    hooks = pdev->fewerHooks ? 0x4EB : 0x24EB;
  } else {
    const ULONG format = mono ? BMF_1BPP : BMF_24BPP;
    LONG height = pdev->printLengthDots;
    if (!pdev->wholePageBitmap) {
      if (pdev->printWidthDots <= 0 || pdev->printLengthDots <= 0) return nullptr;
      const ULONG scan = GrScanlineBytes(BMF_1BPP, pdev->printWidthDots);
      height = std::min<LONG>(static_cast<LONG>((307200 / scan / 32 + 1) * 32), pdev->printLengthDots);
    }
    HBITMAP bitmap = EngCreateBitmap(SIZEL{pdev->printWidthDots, height}, 0, format, BMF_TOPDOWN, nullptr);
    surface = reinterpret_cast<HSURF>(bitmap);
    if (surface && !pdev->wholePageBitmap && !EngMarkBandingSurface(surface)) {
      EngDeleteSurface(surface);
      return nullptr;
    }
    hooks = 0xB;
  }
  if (!surface) return nullptr;
  if (!EngAssociateSurface(surface, pdev->engineDevice, hooks)) {
    EngDeleteSurface(surface);
    return nullptr;
  }
  pdev->surface = surface;
  return surface;
}

VOID WINAPI DrvDisableSurface(DHPDEV dhpdev) {
  auto* pdev = reinterpret_cast<PhysicalDevice*>(dhpdev);
  if (!GrCheckPdev(pdev)) return;
  if (pdev->surface) EngDeleteSurface(pdev->surface);
  pdev->surface = nullptr;
}
