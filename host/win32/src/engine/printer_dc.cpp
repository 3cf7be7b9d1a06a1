// Printer DCs: the printer's graphics module loaded from the driver directory and driven
// through its entry table by function index (enable, complete, surface, documents, pages,
// banding, escapes, reset and the reverse on delete), the printer-interface module's document
// events, and the device capabilities from the module's GDIINFO.
//
// The application's drawing reaches the module call by call (device_drawing.cpp); on a banding
// surface the page's drawings are played once per band between DrvStartBanding and
// DrvNextBand, else the page ends with DrvSendPage.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "engine/device_drawing.h"
#include "engine/device_fonts.h"
#include "engine/engine.h"
#include "engine/pdev.h"
#include "engine/print_processor.h"
#include "emf/recorder.h"
#include "gdi/draw.h"
#include "gdi/printer.h"
#include "spooler_store.h"
#include "win32/hostpath.h"
#include "win32/module.h"
#include "win32/spooler.h"
#include "win32/strings.h"

namespace zolt::host::engine {

namespace {

struct PrinterDevice {
  std::u16string printerName;
  HANDLE hPrinter = nullptr;
  HMODULE module = nullptr;
  HMODULE uiModule = nullptr;
  PFN_DrvDocumentEvent documentEvent = nullptr;
  PFN fn[INDEX_LAST] = {};
  DHPDEV dhpdev = nullptr;
  GDIINFO gi{};
  DEVINFO di{};
  HSURF patterns[HS_DDI_MAX] = {};
  std::vector<uint8_t> devmode;
  HSURF hsurf = nullptr;
  SURFOBJ* so = nullptr;  // the module's surface, locked while the DC lives
  SURFOBJ icSurface{};    // what an information context's escapes see
  std::u16string dataFile, driverPath;
  bool infoOnly = false;
  HDC hdc = nullptr;
  // Document and page.
  bool inDoc = false, inPage = false;
  DWORD jobId = 0;
  HBITMAP page = nullptr;   // the scratch page the raster draws on
  SURFOBJ* pageSo = nullptr;
  std::shared_ptr<PageDrawing> drawing;
  std::unique_ptr<DeviceFonts> fonts;  // the module's fonts, for the enabled PDEV
  // A document spooled as a metafile job: each page is recorded and sent to the spooler; the
  // print processor plays the job through the module afterwards.
  bool spooling = false;

  HDEV Hdev() { return reinterpret_cast<HDEV>(this); }
  template <class F>
  F Entry(ULONG index) const {
    return index < INDEX_LAST ? EntryAs<F>(fn[index]) : nullptr;
  }
  SURFOBJ* Surface() { return so ? so : &icSurface; }
};

struct Devices {
  std::recursive_mutex lock;
  std::unordered_map<HDC, std::unique_ptr<PrinterDevice>> byDc;
  std::unordered_map<HDEV, PrinterDevice*> byHdev;
};

Devices& D() {
  static Devices* d = new Devices;  // lives until the process ends
  return *d;
}

PrinterDevice* DeviceOfDc(HDC hdc) {
  Devices& d = D();
  std::lock_guard guard(d.lock);
  auto it = d.byDc.find(hdc);
  return it == d.byDc.end() ? nullptr : it->second.get();
}

int Event(PrinterDevice& p, int iEsc, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut) {
  if (!p.documentEvent) return DOCUMENTEVENT_UNSUPPORTED;
  return p.documentEvent(p.hPrinter, p.hdc, iEsc, cbIn, pvIn, cbOut, pvOut);
}

std::vector<uint8_t> CopyDevmode(const DEVMODEW* pdm) {
  if (!pdm) return {};
  const size_t size = size_t(pdm->dmSize) + pdm->dmDriverExtra;
  if (pdm->dmSize < offsetof(DEVMODEW, dmFields) + sizeof(DWORD) || size > 0x10000) return {};
  const auto* b = reinterpret_cast<const uint8_t*>(pdm);
  return std::vector<uint8_t>(b, b + size);
}

std::vector<uint8_t> PrinterDefaultDevmode(HANDLE h) {
  DWORD needed = 0;
  GetPrinterW(h, 2, nullptr, 0, &needed);
  if (!needed) return {};
  std::vector<BYTE> buf(needed);
  if (!GetPrinterW(h, 2, buf.data(), needed, &needed)) return {};
  return CopyDevmode(reinterpret_cast<PRINTER_INFO_2W*>(buf.data())->pDevMode);
}

bool DriverFiles(HANDLE h, std::u16string& driverPath, std::u16string& dataFile, std::u16string& configFile) {
  DWORD needed = 0;
  GetPrinterDriverW(h, nullptr, 2, nullptr, 0, &needed);
  if (!needed) return false;
  std::vector<BYTE> buf(needed);
  if (!GetPrinterDriverW(h, nullptr, 2, buf.data(), needed, &needed)) return false;
  const auto* info = reinterpret_cast<DRIVER_INFO_2W*>(buf.data());
  driverPath = info->pDriverPath ? info->pDriverPath : u"";
  dataFile = info->pDataFile ? info->pDataFile : u"";
  configFile = info->pConfigFile ? info->pConfigFile : u"";
  return !driverPath.empty();
}

// Enables a PDEV of the module for a device mode: DrvEnablePDEV, DrvCompletePDEV and, for a
// DC, DrvEnableSurface. False leaves nothing enabled.
bool EnableDevice(PrinterDevice& p, std::vector<uint8_t> devmode) {
  auto enable = p.Entry<PFN_DrvEnablePDEV>(INDEX_DrvEnablePDEV);
  auto complete = p.Entry<PFN_DrvCompletePDEV>(INDEX_DrvCompletePDEV);
  auto disable = p.Entry<PFN_DrvDisablePDEV>(INDEX_DrvDisablePDEV);
  if (!enable || !complete || !disable) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
  GDIINFO gi{};
  DEVINFO di{};
  std::fill(std::begin(p.patterns), std::end(p.patterns), nullptr);
  std::u16string name = p.printerName;
  DHPDEV dhpdev = enable(devmode.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(devmode.data()), nullptr,
                         HS_DDI_MAX, p.patterns, sizeof(GDIINFO), reinterpret_cast<ULONG*>(&gi), sizeof(DEVINFO), &di,
                         p.Hdev(), name.data(), p.hPrinter);
  if (!dhpdev) {
    if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  p.dhpdev = dhpdev;
  p.gi = gi;
  p.di = di;
  p.devmode = std::move(devmode);
  complete(dhpdev, p.Hdev());
  p.icSurface = SURFOBJ{};
  p.icSurface.dhpdev = dhpdev;
  p.icSurface.hdev = p.Hdev();
  p.icSurface.sizlBitmap = SIZEL{LONG(gi.ulHorzRes), LONG(gi.ulVertRes)};
  p.icSurface.iType = STYPE_DEVICE;
  if (p.infoOnly) return true;
  auto enableSurface = p.Entry<PFN_DrvEnableSurface>(INDEX_DrvEnableSurface);
  HSURF hsurf = enableSurface ? enableSurface(dhpdev) : nullptr;
  SURFOBJ* so = hsurf ? EngLockSurface(hsurf) : nullptr;
  if (!so || so->hdev != p.Hdev()) {
    if (so) EngUnlockSurface(so);
    if (hsurf) {
      if (auto ds = p.Entry<PFN_DrvDisableSurface>(INDEX_DrvDisableSurface)) ds(dhpdev);
    }
    disable(dhpdev);
    p.dhpdev = nullptr;
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  so->dhpdev = dhpdev;
  p.hsurf = hsurf;
  p.so = so;
  return true;
}

void DisableDevice(PrinterDevice& p) {
  if (p.so) EngUnlockSurface(p.so);
  p.so = nullptr;
  if (p.hsurf) {
    if (auto ds = p.Entry<PFN_DrvDisableSurface>(INDEX_DrvDisableSurface)) ds(p.dhpdev);
  }
  p.hsurf = nullptr;
  if (p.dhpdev) {
    if (auto dp = p.Entry<PFN_DrvDisablePDEV>(INDEX_DrvDisablePDEV)) dp(p.dhpdev);
  }
  p.dhpdev = nullptr;
}

void ReleasePage(PrinterDevice& p) {
  if (p.drawing) p.drawing->SetScratch(nullptr);
  if (auto dc = gdi::FindDc(p.hdc)) {
    if (dc->st.bitmap && p.page && dc->st.bitmap->handle == p.page) {
      dc->st.bitmap->selectedInto = nullptr;
      dc->st.bitmap = std::static_pointer_cast<gdi::BitmapObj>(gdi::FindObject(gdi::DefaultBitmapHandle()));
    }
    for (gdi::DcState& s : dc->saved) s.bitmap = dc->st.bitmap;
  }
  if (p.pageSo) EngUnlockSurface(p.pageSo);
  p.pageSo = nullptr;
  if (p.page) EngDeleteSurface(reinterpret_cast<HSURF>(p.page));
  p.page = nullptr;
}

// The page bitmap (made on the first page, white at the start of every page) selected into
// the DC so that the application's drawing lands on it.
bool PreparePage(PrinterDevice& p) {
  const LONG w = LONG(p.gi.ulHorzRes), h = LONG(p.gi.ulVertRes);
  if (w <= 0 || h <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!p.page) {
    p.page = EngCreateBitmap(SIZEL{w, h}, 0, BMF_24BPP, BMF_TOPDOWN, nullptr);
    if (!p.page) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return false;
    }
    p.pageSo = EngLockSurface(reinterpret_cast<HSURF>(p.page));
    auto dc = gdi::FindDc(p.hdc);
    auto bm = gdi::FindAs<gdi::BitmapObj>(p.page, OBJ_BITMAP);
    if (!dc || !bm || !p.pageSo) return false;
    dc->st.bitmap = bm;
    bm->selectedInto = p.hdc;
  }
  p.pageSo->dhpdev = p.dhpdev;
  p.pageSo->hdev = p.Hdev();
  std::memset(p.pageSo->pvBits, 0xFF, p.pageSo->cjBits);
  if (p.drawing) {
    p.drawing->SetScratch(p.pageSo);
    p.drawing->StartPage();
  }
  return true;
}

// The drawing of the DC goes to the module's surface.
void AttachDrawing(PrinterDevice& p) {
  EngSurface* s = SurfaceOf(p.so);
  if (!p.drawing || !s) return;
  p.drawing->SetSurface(p.so, s->banding);
  p.drawing->SetPalette(p.di.hpalDefault);
  p.drawing->SetFonts(nullptr);
  p.fonts.reset();
  if (p.di.cFonts) {
    const SIZE dpi{LONG(p.gi.ulLogPixelsX), LONG(p.gi.ulLogPixelsY)};
    p.fonts = std::make_unique<DeviceFonts>(p.Hdev(), p.di.cFonts, dpi);
    p.drawing->SetFonts(p.fonts.get());
  }
}

// Ends the page on the module: what is left of the raster's drawing, then the page's
// drawings once per band, or DrvSendPage.
bool SendPage(PrinterDevice& p) {
  EngSurface* s = SurfaceOf(p.so);
  if (!s || !p.pageSo || !p.drawing) return false;
  struct PageEnd {
    PageDrawing& d;
    ~PageEnd() { d.EndPage(); }
  } pageEnd{*p.drawing};
  if (!p.drawing->FlushScratch()) return false;
  if (s->banding) {
    auto start = p.Entry<PFN_DrvStartBanding>(INDEX_DrvStartBanding);
    auto next = p.Entry<PFN_DrvNextBand>(INDEX_DrvNextBand);
    if (!start || !next) {
      SetLastError(ERROR_PROC_NOT_FOUND);
      return false;
    }
    POINTL org{0, 0};
    if (!start(p.so, &org)) return false;
    // Every band must move on; a module that repeats an origin is stopped after one page of bands.
    const LONG limit = std::max<LONG>(p.pageSo->sizlBitmap.cy, 1) + 2;
    bool ok = true;
    for (LONG n = 0; !(org.x == -1 && org.y == -1); ++n) {
      if (n > limit) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
      }
      if (org.x >= 0 && org.y >= 0 && org.x < p.pageSo->sizlBitmap.cx && org.y < p.pageSo->sizlBitmap.cy)
        ok = p.drawing->PlayBand(org) && ok;
      if (!next(p.so, &org)) return false;
    }
    return ok;
  }
  auto send = p.Entry<PFN_DrvSendPage>(INDEX_DrvSendPage);
  return send ? send(p.so) != FALSE : true;
}

// Whether the printer takes an application's documents as metafile jobs: its data type says
// so, it does not print directly, and the module does not refuse them.
bool SpoolsMetafiles(PrinterDevice& p) {
  if (p.di.flGraphicsCaps & GCAPS_DONTJOURNAL) return false;
  DWORD needed = 0;
  GetPrinterW(p.hPrinter, 2, nullptr, 0, &needed);
  if (!needed) return false;
  std::vector<BYTE> buf(needed);
  if (!GetPrinterW(p.hPrinter, 2, buf.data(), needed, &needed)) return false;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
  if (info->Attributes & (PRINTER_ATTRIBUTE_DIRECT | PRINTER_ATTRIBUTE_RAW_ONLY)) return false;
  return info->pDatatype && NamesEqual(info->pDatatype, u"NT EMF 1.008");
}

// One record of the spool stream of a metafile job.
bool SpoolRecord(PrinterDevice& p, uint32_t kind, const void* data, size_t size) {
  const uint32_t head[2] = {kind, uint32_t(size)};
  DWORD written = 0;
  return size <= 0x7FFFFFFF && ::WritePrinter(p.hPrinter, const_cast<uint32_t*>(head), sizeof(head), &written) &&
         ::WritePrinter(p.hPrinter, const_cast<void*>(data), DWORD(size), &written);
}

// The end of a spooled document: the DC draws on the module again.
void EndSpooling(PrinterDevice& p) {
  GDI_LOCK();
  if (auto dc = gdi::FindDc(p.hdc)) {
    dc->recorder.reset();
    dc->device = p.drawing;
  }
  p.spooling = false;
}

void Unload(PrinterDevice& p) {
  if (p.module) {
    if (auto dd = EntryAs<PFN_DrvDisableDriver>(GetProcAddress(p.module, "DrvDisableDriver"))) dd();
    FreeLibrary(p.module);
  }
  if (p.uiModule) FreeLibrary(p.uiModule);
  if (p.hPrinter) ClosePrinter(p.hPrinter);
  p.module = p.uiModule = nullptr;
  p.hPrinter = nullptr;
}

}  // namespace

PFN DriverEntry(HDEV hdev, ULONG index) {
  Devices& d = D();
  std::lock_guard guard(d.lock);
  auto it = d.byHdev.find(hdev);
  if (it == d.byHdev.end() || index >= INDEX_LAST) return nullptr;
  return it->second->fn[index];
}

std::u16string DeviceDataFile(HDEV hdev) {
  Devices& d = D();
  std::lock_guard guard(d.lock);
  auto it = d.byHdev.find(hdev);
  return it == d.byHdev.end() ? std::u16string() : it->second->dataFile;
}

std::u16string DeviceDriverPath(HDEV hdev) {
  Devices& d = D();
  std::lock_guard guard(d.lock);
  auto it = d.byHdev.find(hdev);
  return it == d.byHdev.end() ? std::u16string() : it->second->driverPath;
}

bool DeviceStyleStep(HDEV hdev, ULONG& xStep, ULONG& den) {
  Devices& d = D();
  std::lock_guard guard(d.lock);
  auto it = d.byHdev.find(hdev);
  if (it == d.byHdev.end()) return false;
  xStep = it->second->gi.xStyleStep;
  den = it->second->gi.denStyleStep;
  return true;
}

DHPDEV DeviceDhpdev(HDEV hdev) {
  Devices& d = D();
  std::lock_guard guard(d.lock);
  auto it = d.byHdev.find(hdev);
  return it == d.byHdev.end() ? nullptr : it->second->dhpdev;
}

}  // namespace zolt::host::engine

namespace zolt::host::gdi {

using engine::PrinterDevice;

HDC CreatePrinterDc(LPCWSTR driver, LPCWSTR device, const DEVMODEW* pdm, bool infoOnly) {
  LPCWSTR name = device && *device ? device : driver;
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto p = std::make_unique<PrinterDevice>();
  p->infoOnly = infoOnly;
  std::u16string printer(name);
  if (!OpenPrinterW(printer.data(), &p->hPrinter, nullptr)) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return nullptr;
  }
  {
    DWORD needed = 0;
    GetPrinterW(p->hPrinter, 2, nullptr, 0, &needed);
    std::vector<BYTE> buf(needed ? needed : 1);
    if (needed && GetPrinterW(p->hPrinter, 2, buf.data(), needed, &needed))
      p->printerName = reinterpret_cast<PRINTER_INFO_2W*>(buf.data())->pPrinterName;
    if (p->printerName.empty()) p->printerName = printer;
  }
  std::u16string configFile;
  if (!engine::DriverFiles(p->hPrinter, p->driverPath, p->dataFile, configFile)) {
    engine::Unload(*p);
    SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
    return nullptr;
  }
  std::vector<uint8_t> devmode = pdm ? engine::CopyDevmode(pdm) : engine::PrinterDefaultDevmode(p->hPrinter);
  if (pdm && devmode.empty()) {
    engine::Unload(*p);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }

  // The DC object first: the document events name it.
  std::shared_ptr<DcObj> dc;
  {
    GDI_LOCK();
    dc = NewDeviceContext(infoOnly ? OBJ_DC : OBJ_DC);
    p->hdc = static_cast<HDC>(InsertObject(dc));
  }
  auto fail = [&](DWORD error) -> HDC {
    engine::Unload(*p);
    GDI_LOCK();
    RemoveObject(p->hdc);
    SetLastError(error);
    return nullptr;
  };

  if (!configFile.empty()) {
    p->uiModule = LoadLibraryW(configFile.c_str());
    if (p->uiModule)
      p->documentEvent = engine::EntryAs<PFN_DrvDocumentEvent>(GetProcAddress(p->uiModule, "DrvDocumentEvent"));
  }
  DOCEVENT_CREATEDCPRE pre{const_cast<PWSTR>(driver), p->printerName.data(),
                           devmode.empty() ? nullptr : reinterpret_cast<PDEVMODEW>(devmode.data()), infoOnly};
  PDEVMODEW replaced = nullptr;
  if (engine::Event(*p, DOCUMENTEVENT_CREATEDCPRE, sizeof(pre), &pre, sizeof(replaced), &replaced) ==
      DOCUMENTEVENT_FAILURE)
    return fail(ERROR_CANCELLED);
  if (replaced) {
    std::vector<uint8_t> copy = engine::CopyDevmode(replaced);
    if (!copy.empty()) devmode = std::move(copy);
  }

  p->module = LoadLibraryW(p->driverPath.c_str());
  if (!p->module) return fail(GetLastError() ? GetLastError() : ERROR_MOD_NOT_FOUND);
  auto enableDriver = engine::EntryAs<PFN_DrvEnableDriver>(GetProcAddress(p->module, "DrvEnableDriver"));
  if (!enableDriver) return fail(ERROR_PROC_NOT_FOUND);
  DRVENABLEDATA ded{};
  if (!enableDriver(ENGINE_VERSION, sizeof(ded), &ded) || !ded.pdrvfn || ded.c > 1024)
    return fail(ERROR_BAD_DRIVER_LEVEL);
  for (ULONG i = 0; i < ded.c; ++i)
    if (ded.pdrvfn[i].iFunc < INDEX_LAST) p->fn[ded.pdrvfn[i].iFunc] = ded.pdrvfn[i].pfn;

  PrinterDevice* raw = p.get();
  {
    engine::Devices& d = engine::D();
    std::lock_guard guard(d.lock);
    d.byHdev[raw->Hdev()] = raw;
  }
  if (!engine::EnableDevice(*raw, std::move(devmode))) {
    const DWORD error = GetLastError();
    engine::Devices& d = engine::D();
    std::lock_guard guard(d.lock);
    d.byHdev.erase(raw->Hdev());
    return fail(error ? error : ERROR_INVALID_PARAMETER);
  }
  {
    GDI_LOCK();
    dc->logPixelsX = int(raw->gi.ulLogPixelsX ? raw->gi.ulLogPixelsX : 96);
    dc->logPixelsY = int(raw->gi.ulLogPixelsY ? raw->gi.ulLogPixelsY : 96);
    if (!infoOnly) {
      raw->drawing = std::make_shared<engine::PageDrawing>(raw->Hdev(), raw->di.hpalDefault);
      engine::AttachDrawing(*raw);
      dc->device = raw->drawing;
    }
  }
  HDC hdc = raw->hdc;
  {
    engine::Devices& d = engine::D();
    std::lock_guard guard(d.lock);
    d.byDc[hdc] = std::move(p);
  }
  engine::Event(*raw, DOCUMENTEVENT_CREATEDCPOST, sizeof(PDEVMODEW), &replaced, 0, nullptr);
  return hdc;
}

bool DeletePrinterDc(HDC hdc) {
  std::unique_ptr<PrinterDevice> p;
  {
    engine::Devices& d = engine::D();
    std::lock_guard guard(d.lock);
    auto it = d.byDc.find(hdc);
    if (it == d.byDc.end()) return false;
    p = std::move(it->second);
    d.byDc.erase(it);
  }
  engine::Event(*p, DOCUMENTEVENT_DELETEDC, 0, nullptr, 0, nullptr);
  if (p->inDoc) {  // the job of a DC deleted in the middle of a document is cancelled
    if (p->spooling) {
      engine::EndSpooling(*p);
    } else if (auto end = p->Entry<PFN_DrvEndDoc>(INDEX_DrvEndDoc)) {
      end(p->Surface(), ED_ABORTDOC);
    }
    AbortPrinter(p->hPrinter);
  }
  {
    GDI_LOCK();
    if (auto dc = FindDc(hdc)) dc->device.reset();
    engine::ReleasePage(*p);
  }
  engine::DisableDevice(*p);
  {
    engine::Devices& d = engine::D();
    std::lock_guard guard(d.lock);
    d.byHdev.erase(p->Hdev());
  }
  engine::Unload(*p);
  return true;
}

bool PrinterDeviceCaps(HDC hdc, int index, int& value) {
  PrinterDevice* p = engine::DeviceOfDc(hdc);
  if (!p) return false;
  const GDIINFO& gi = p->gi;
  auto mm = [](ULONG v) { return LONG(v) < 0 ? int((-LONG(v) + 500) / 1000) : int(v); };
  engine::EngSurface* s = engine::SurfaceOf(p->so);
  switch (index) {
    case DRIVERVERSION: value = int(gi.ulVersion); break;
    case TECHNOLOGY: value = int(gi.ulTechnology); break;
    case HORZSIZE: value = mm(gi.ulHorzSize); break;
    case VERTSIZE: value = mm(gi.ulVertSize); break;
    case HORZRES: value = int(gi.ulHorzRes); break;
    case VERTRES: value = int(gi.ulVertRes); break;
    case BITSPIXEL: value = int(gi.cBitsPixel); break;
    case PLANES: value = int(gi.cPlanes); break;
    case NUMBRUSHES:
    case NUMPENS: value = -1; break;
    case NUMMARKERS: value = 0; break;
    case NUMFONTS: value = int(p->di.cFonts); break;
    case NUMCOLORS: value = gi.cBitsPixel * gi.cPlanes > 8 ? -1 : int(gi.ulNumColors); break;
    case PDEVICESIZE: value = 0; break;
    case CURVECAPS: value = 0x1FF; break;
    case LINECAPS: value = 0xFE; break;
    case POLYGONALCAPS: value = 0xFF; break;
    case TEXTCAPS: value = int(gi.flTextCaps); break;
    case CLIPCAPS: value = 1; break;
    case RASTERCAPS:
      value = RC_BITBLT | RC_BITMAP64 | RC_GDI20_OUTPUT | RC_DI_BITMAP | RC_DIBTODEV | RC_BIGFONT | RC_STRETCHBLT |
              RC_STRETCHDIB | (s && s->banding ? RC_BANDING : 0);
      break;
    case ASPECTX: value = int(gi.ulAspectX); break;
    case ASPECTY: value = int(gi.ulAspectY); break;
    case ASPECTXY: value = int(gi.ulAspectXY); break;
    case LOGPIXELSX: value = int(gi.ulLogPixelsX); break;
    case LOGPIXELSY: value = int(gi.ulLogPixelsY); break;
    case SIZEPALETTE: value = (gi.flRaster & RC_PALETTE) ? int(gi.ulNumPalReg) : 0; break;
    case NUMRESERVED: value = 0; break;
    case COLORRES: value = int(gi.cBitsPixel * gi.cPlanes); break;
    case PHYSICALWIDTH: value = gi.szlPhysSize.cx; break;
    case PHYSICALHEIGHT: value = gi.szlPhysSize.cy; break;
    case PHYSICALOFFSETX: value = gi.ptlPhysOffset.x; break;
    case PHYSICALOFFSETY: value = gi.ptlPhysOffset.y; break;
    case SCALINGFACTORX:
    case SCALINGFACTORY:
    case VREFRESH:
    case DESKTOPVERTRES:
    case DESKTOPHORZRES:
    case BLTALIGNMENT:
    case SHADEBLENDCAPS: value = 0; break;
    case COLORMGMTCAPS: value = (p->di.flGraphicsCaps & GCAPS_ICM) ? 1 : 0; break;
    default: value = 0; break;
  }
  return true;
}

}  // namespace zolt::host::gdi

using namespace zolt::host;
using namespace zolt::host::engine;

WIN32_API int WINAPI StartDocW(HDC hdc, const DOCINFOW* lpdi) {
  PrinterDevice* p = DeviceOfDc(hdc);
  if (!p || p->infoOnly) {
    SetLastError(ERROR_INVALID_HANDLE);
    return SP_ERROR;
  }
  if (p->inDoc || !lpdi) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return SP_ERROR;
  }
  DOCINFOW info = *lpdi;
  if (Event(*p, DOCUMENTEVENT_STARTDOC, sizeof(info), &info, 0, nullptr) == DOCUMENTEVENT_FAILURE) {
    SetLastError(ERROR_CANCELLED);
    return SP_ERROR;
  }
  std::u16string docName = lpdi->lpszDocName ? lpdi->lpszDocName : u"";
  std::u16string output = lpdi->lpszOutput ? lpdi->lpszOutput : u"";
  DWORD job = AttachedJob();
  if (job) {
    // The print processor plays a spooled job: the driver's output goes into that job.
    if (!AttachJobOutput(p->hPrinter, job)) {
      SetLastError(ERROR_INVALID_PRINTER_STATE);
      return SP_ERROR;
    }
    AttachedJob() = 0;
  } else if (SpoolsMetafiles(*p)) {
    // The first phase: the document's pages are recorded into the job.
    DOC_INFO_1W doc{docName.data(), output.empty() ? nullptr : output.data(), const_cast<LPWSTR>(u"NT EMF 1.008")};
    job = StartDocPrinterW(p->hPrinter, 1, reinterpret_cast<LPBYTE>(&doc));
    if (!job) return SP_ERROR;
    if (!p->devmode.empty() && !SpoolRecord(*p, kSpoolDevmode, p->devmode.data(), p->devmode.size())) {
      AbortPrinter(p->hPrinter);
      return SP_ERROR;
    }
    p->spooling = true;
    p->inDoc = true;
    p->jobId = job;
    {
      GDI_LOCK();
      if (auto dc = gdi::FindDc(hdc)) dc->device.reset();
    }
    Event(*p, DOCUMENTEVENT_STARTDOCPOST, sizeof(DWORD), &p->jobId, 0, nullptr);
    return int(job);
  } else {
    DOC_INFO_1W doc{docName.data(), output.empty() ? nullptr : output.data(), const_cast<LPWSTR>(u"RAW")};
    job = StartDocPrinterW(p->hPrinter, 1, reinterpret_cast<LPBYTE>(&doc));
    if (!job) return SP_ERROR;
  }
  auto start = p->Entry<PFN_DrvStartDoc>(INDEX_DrvStartDoc);
  if (start && !start(p->so, docName.data(), job)) {
    AbortPrinter(p->hPrinter);
    if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_CAN_NOT_COMPLETE);
    return SP_ERROR;
  }
  p->inDoc = true;
  p->jobId = job;
  Event(*p, DOCUMENTEVENT_STARTDOCPOST, sizeof(DWORD), &p->jobId, 0, nullptr);
  return int(job);
}

WIN32_API int WINAPI StartPage(HDC hdc) {
  PrinterDevice* p = DeviceOfDc(hdc);
  if (!p || !p->inDoc || p->inPage) {
    SetLastError(p ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return SP_ERROR;
  }
  if (Event(*p, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr) == DOCUMENTEVENT_FAILURE) return SP_ERROR;
  {
    GDI_LOCK();
    if (!PreparePage(*p)) return SP_ERROR;
  }
  StartPagePrinter(p->hPrinter);
  if (p->spooling) {
    GDI_LOCK();
    auto dc = gdi::FindDc(hdc);
    if (!dc) return SP_ERROR;
    // The page's metafile: the printable area at the device's resolution.
    const GDIINFO& gi = p->gi;
    auto mm = [](ULONG v, ULONG res, ULONG dpi) {
      return LONG(v) < 0 ? LONG((-LONG(v) + 500) / 1000) : v ? LONG(v) : LONG(res * 254 / std::max<ULONG>(dpi, 1) / 10);
    };
    const SIZE pixels{LONG(gi.ulHorzRes), LONG(gi.ulVertRes)};
    const SIZE millimeters{mm(gi.ulHorzSize, gi.ulHorzRes, gi.ulLogPixelsX), mm(gi.ulVertSize, gi.ulVertRes, gi.ulLogPixelsY)};
    const RECT frame{0, 0, LONG(std::lround(pixels.cx * millimeters.cx * 100.0 / std::max<LONG>(pixels.cx, 1))),
                     LONG(std::lround(pixels.cy * millimeters.cy * 100.0 / std::max<LONG>(pixels.cy, 1)))};
    auto rec = emf::StartRecording(*dc, pixels, millimeters, &frame);
    emf::RecordState(*rec, dc->st);
    p->inPage = true;
    return 1;
  }
  auto start = p->Entry<PFN_DrvStartPage>(INDEX_DrvStartPage);
  if (start && !start(p->so)) return SP_ERROR;
  p->inPage = true;
  return 1;
}

WIN32_API int WINAPI EndPage(HDC hdc) {
  PrinterDevice* p = DeviceOfDc(hdc);
  if (!p || !p->inPage) {
    SetLastError(p ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return SP_ERROR;
  }
  Event(*p, DOCUMENTEVENT_ENDPAGE, 0, nullptr, 0, nullptr);
  p->inPage = false;
  bool ok;
  if (p->spooling) {
    std::vector<uint8_t> page;
    {
      GDI_LOCK();
      auto dc = gdi::FindDc(hdc);
      if (dc && dc->recorder) {
        page = emf::FinishRecording(*dc->recorder);
        dc->recorder.reset();
      }
    }
    ok = !page.empty() && SpoolRecord(*p, kSpoolDevicePage, page.data(), page.size());
  } else {
    GDI_LOCK();
    ok = SendPage(*p);
  }
  EndPagePrinter(p->hPrinter);
  return ok ? 1 : SP_ERROR;
}

WIN32_API int WINAPI EndDoc(HDC hdc) {
  PrinterDevice* p = DeviceOfDc(hdc);
  if (!p || !p->inDoc) {
    SetLastError(p ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return SP_ERROR;
  }
  bool ok = true;
  if (p->inPage) ok = EndPage(hdc) > 0;
  Event(*p, DOCUMENTEVENT_ENDDOC, 0, nullptr, 0, nullptr);
  if (p->spooling) {
    // The second phase runs as the spooler takes the job.
    EndSpooling(*p);
  } else if (auto end = p->Entry<PFN_DrvEndDoc>(INDEX_DrvEndDoc); end && !end(p->so, 0)) {
    ok = false;
  }
  p->inDoc = false;
  if (!ok) {
    AbortPrinter(p->hPrinter);
    return SP_ERROR;
  }
  if (!EndDocPrinter(p->hPrinter)) return SP_ERROR;
  Event(*p, DOCUMENTEVENT_ENDDOCPOST, 0, nullptr, 0, nullptr);
  return 1;
}

WIN32_API int WINAPI AbortDoc(HDC hdc) {
  PrinterDevice* p = DeviceOfDc(hdc);
  if (!p || !p->inDoc) {
    SetLastError(p ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return SP_ERROR;
  }
  Event(*p, DOCUMENTEVENT_ABORTDOC, 0, nullptr, 0, nullptr);
  if (p->spooling) {
    EndSpooling(*p);
  } else if (auto end = p->Entry<PFN_DrvEndDoc>(INDEX_DrvEndDoc)) {
    end(p->so, ED_ABORTDOC);
  }
  p->inDoc = p->inPage = false;
  AbortPrinter(p->hPrinter);
  return 1;
}

WIN32_API int WINAPI SetAbortProc(HDC hdc, ABORTPROC) { return DeviceOfDc(hdc) ? 1 : SP_ERROR; }

WIN32_API HDC WINAPI ResetDCW(HDC hdc, const DEVMODEW* lpdm) {
  PrinterDevice* p = DeviceOfDc(hdc);
  if (!p) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (p->inPage || !lpdm) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::vector<uint8_t> devmode = CopyDevmode(lpdm);
  if (devmode.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Event(*p, DOCUMENTEVENT_RESETDCPRE, sizeof(PDEVMODEW), &lpdm, 0, nullptr);
  // The new PDEV beside the old one; the module carries a running document over.
  PrinterDevice old;
  old.dhpdev = p->dhpdev;
  old.hsurf = p->hsurf;
  old.so = p->so;
  std::copy(std::begin(p->fn), std::end(p->fn), std::begin(old.fn));
  const GDIINFO oldGi = p->gi;
  const DEVINFO oldDi = p->di;
  std::vector<uint8_t> oldDevmode = p->devmode;
  p->dhpdev = nullptr;
  p->hsurf = nullptr;
  p->so = nullptr;
  GDI_LOCK();
  if (!EnableDevice(*p, std::move(devmode))) {
    p->dhpdev = old.dhpdev, p->hsurf = old.hsurf, p->so = old.so;
    p->gi = oldGi, p->di = oldDi, p->devmode = std::move(oldDevmode);
    return nullptr;
  }
  if (p->inDoc) {
    auto reset = p->Entry<PFN_DrvResetPDEV>(INDEX_DrvResetPDEV);
    if (reset && !reset(old.dhpdev, p->dhpdev)) {
      // The old device keeps the document.
      DisableDevice(*p);
      p->dhpdev = old.dhpdev, p->hsurf = old.hsurf, p->so = old.so;
      p->gi = oldGi, p->di = oldDi, p->devmode = std::move(oldDevmode);
      SetLastError(ERROR_CAN_NOT_COMPLETE);
      return nullptr;
    }
  }
  DisableDevice(old);
  ReleasePage(*p);
  AttachDrawing(*p);
  if (auto dc = gdi::FindDc(hdc)) {
    dc->logPixelsX = int(p->gi.ulLogPixelsX ? p->gi.ulLogPixelsX : 96);
    dc->logPixelsY = int(p->gi.ulLogPixelsY ? p->gi.ulLogPixelsY : 96);
  }
  Event(*p, DOCUMENTEVENT_RESETDCPOST, sizeof(PDEVMODEW), &lpdm, 0, nullptr);
  return hdc;
}

WIN32_API int WINAPI ExtEscape(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput, LPSTR lpOutData) {
  PrinterDevice* p = DeviceOfDc(hdc);
  if (!p) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (cjInput < 0 || cjOutput < 0 || (cjInput && !lpInData)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  auto esc = p->Entry<PFN_DrvEscape>(INDEX_DrvEscape);
  if (!esc) return 0;
  return int(esc(p->Surface(), ULONG(iEscape), ULONG(cjInput), const_cast<LPSTR>(lpInData),
                 lpOutData ? ULONG(cjOutput) : 0, lpOutData));
}

WIN32_API int WINAPI Escape(HDC hdc, int iEscape, int cjIn, LPCSTR pvIn, LPVOID pvOut) {
  PrinterDevice* p = DeviceOfDc(hdc);
  if (!p) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  switch (iEscape) {
    case QUERYESCSUPPORT: {
      if (!pvIn || cjIn < int(sizeof(WORD))) return 0;
      WORD asked = 0;
      std::memcpy(&asked, pvIn, sizeof(WORD));
      switch (asked) {
        case NEWFRAME:
        case ABORTDOC:
        case QUERYESCSUPPORT:
        case SETABORTPROC:
        case STARTDOC:
        case ENDDOC:
        case GETPHYSPAGESIZE:
        case GETPRINTINGOFFSET:
        case GETSCALINGFACTOR: return 1;
        default: return ExtEscape(hdc, QUERYESCSUPPORT, cjIn, pvIn, 0, nullptr);
      }
    }
    case NEWFRAME: return EndPage(hdc) > 0 && StartPage(hdc) > 0 ? 1 : SP_ERROR;
    case ABORTDOC: return AbortDoc(hdc);
    case ENDDOC: return EndDoc(hdc);
    case SETABORTPROC: return 1;
    case STARTDOC: {
      std::u16string name;
      for (int i = 0; pvIn && i < cjIn && pvIn[i]; ++i) name.push_back(char16_t(static_cast<unsigned char>(pvIn[i])));
      DOCINFOW di{sizeof(DOCINFOW), name.c_str(), nullptr, nullptr, 0};
      const int job = StartDocW(hdc, &di);
      return job > 0 && StartPage(hdc) > 0 ? job : SP_ERROR;
    }
    case GETPHYSPAGESIZE:
    case GETPRINTINGOFFSET:
    case GETSCALINGFACTOR: {
      if (!pvOut) return 0;
      POINT pt{0, 0};
      if (iEscape == GETPHYSPAGESIZE) pt = POINT{p->gi.szlPhysSize.cx, p->gi.szlPhysSize.cy};
      if (iEscape == GETPRINTINGOFFSET) pt = POINT{p->gi.ptlPhysOffset.x, p->gi.ptlPhysOffset.y};
      std::memcpy(pvOut, &pt, sizeof(pt));
      return 1;
    }
    default:
      // Other escapes go to the driver; this old call gives no output size.
      return ExtEscape(hdc, iEscape, cjIn, pvIn, 0, static_cast<LPSTR>(pvOut));
  }
}
