// Device contexts: memory DCs and the display's DC, saving and restoring their state, the
// attributes drawing reads, and the device capabilities.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "gdi/draw.h"
#include "gdi/printer.h"
#include "win32/hostgdi.h"
#include "win32/strings.h"

namespace zolt::host::gdi {

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

std::shared_ptr<DcObj> NewDc(DWORD type) {
  auto dc = std::make_shared<DcObj>();
  dc->type = type;
  dc->st.pen = std::static_pointer_cast<PenObj>(StockObject(BLACK_PEN));
  dc->st.brush = std::static_pointer_cast<BrushObj>(StockObject(WHITE_BRUSH));
  dc->st.font = std::static_pointer_cast<FontObj>(StockObject(SYSTEM_FONT));
  dc->st.palette = std::static_pointer_cast<PaletteObj>(StockObject(DEFAULT_PALETTE));
  return dc;
}

}  // namespace

HGDIOBJ DefaultBitmapHandle() { return StockObject(21)->handle; }

std::shared_ptr<DcObj> NewDeviceContext(DWORD type) { return NewDc(type); }

COLORREF PenColor(const DcObj& dc) { return dc.st.pen->dcPen ? dc.st.dcPenColor : dc.st.pen->color; }

Region EffectiveClip(const DcObj& dc) {
  const Surface* s = dc.Target();
  if (!s) return Region{};
  Region r(RECT{0, 0, s->width, s->height});
  if (dc.visible) r = Region::Combine(r, *dc.visible, RGN_AND);
  if (dc.st.clip) {
    Region c = *dc.st.clip;
    c.Offset(dc.origin.x, dc.origin.y);
    r = Region::Combine(r, c, RGN_AND);
  }
  return r;
}

bool DrawCtx::Open(HDC hdc) {
  dc = FindDc(hdc);
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  surf = dc->Target();
  if (surf && surf->width == 1 && surf->height == 1 && dc->st.bitmap->stock) {
    // The default bitmap of a memory DC takes no drawing.
  }
  clip = EffectiveClip(*dc);
  m = LogicalToSurface(*dc);
  return true;
}

RECT DrawCtx::ToPixelRect(int l, int t, int r, int b) const {
  const POINT a = ToPixel(l, t), c = ToPixel(r, b);
  return RECT{std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
}

Paint DrawCtx::PenPaint() const { return Paint::Solid(PixelOfColor(*dc, *surf, PenColor(*dc))); }
Paint DrawCtx::BrushPaint() const { return RealizeBrush(*dc, *dc->st.brush, *surf); }
Paint DrawCtx::SolidPaint(COLORREF color) const { return Paint::Solid(PixelOfColor(*dc, *surf, color)); }

}  // namespace zolt::host::gdi

using namespace zolt::host::gdi;

namespace {

template <class T, class Fn>
T WithDc(HDC hdc, T failure, Fn&& fn) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return failure;
  }
  return fn(*dc);
}

// Keeps the bitmap's record of the DC it is selected into in step with a state change.
void SwapBitmap(DcObj& dc, const std::shared_ptr<BitmapObj>& next) {
  if (dc.st.bitmap == next) return;
  if (dc.type != OBJ_MEMDC) return;  // a surface DC's bitmap is shared, never selected
  if (dc.st.bitmap && !dc.st.bitmap->stock && dc.st.bitmap->selectedInto == static_cast<HDC>(dc.handle))
    dc.st.bitmap->selectedInto = nullptr;
  if (next && !next->stock) next->selectedInto = static_cast<HDC>(dc.handle);
}

}  // namespace

WIN32_API HDC WINAPI CreateCompatibleDC(HDC hdc) {
  GDI_LOCK();
  std::shared_ptr<DcObj> source;
  if (hdc) {
    source = FindDc(hdc);
    if (!source) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
  }
  auto dc = NewDc(OBJ_MEMDC);
  dc->st.bitmap = std::static_pointer_cast<BitmapObj>(FindObject(DefaultBitmapHandle()));
  if (source) {
    dc->logPixelsX = source->logPixelsX;
    dc->logPixelsY = source->logPixelsY;
  }
  return static_cast<HDC>(InsertObject(dc));
}

namespace {

bool IsDisplay(LPCWSTR pwszDriver, LPCWSTR pwszDevice) {
  return (pwszDriver && lstrcmpiW(pwszDriver, u"DISPLAY") == 0) ||
         (!pwszDriver && pwszDevice && lstrcmpiW(pwszDevice, u"\\\\.\\DISPLAY1") == 0);
}

HDC CreateDisplayDc() {
  GDI_LOCK();
  auto dc = NewDc(OBJ_DC);
  dc->display = true;
  return static_cast<HDC>(InsertObject(dc));
}

}  // namespace

WIN32_API HDC WINAPI CreateDCW(LPCWSTR pwszDriver, LPCWSTR pwszDevice, LPCWSTR, const DEVMODEW* pdm) {
  if (IsDisplay(pwszDriver, pwszDevice)) return CreateDisplayDc();
  return CreatePrinterDc(pwszDriver, pwszDevice, pdm, false);
}

WIN32_API HDC WINAPI CreateICW(LPCWSTR pszDriver, LPCWSTR pszDevice, LPCWSTR, const DEVMODEW* pdm) {
  if (IsDisplay(pszDriver, pszDevice)) return CreateDisplayDc();
  return CreatePrinterDc(pszDriver, pszDevice, pdm, true);
}

WIN32_API BOOL WINAPI DeleteDC(HDC hdc) {
  GDI_LOCK();
  DeletePrinterDc(hdc);
  auto dc = FindDc(hdc);
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  SwapBitmap(*dc, nullptr);
  for (DcState& s : dc->saved) s.bitmap.reset();
  dc->st.bitmap.reset();
  RemoveObject(hdc);
  return TRUE;
}

WIN32_API int WINAPI SaveDC(HDC hdc) {
  return WithDc(hdc, 0, [&](DcObj& dc) {
    dc.saved.push_back(dc.st);
    return int(dc.saved.size());
  });
}

WIN32_API BOOL WINAPI RestoreDC(HDC hdc, int nSavedDC) {
  return WithDc(hdc, BOOL(FALSE), [&](DcObj& dc) {
    const int depth = int(dc.saved.size());
    const int level = nSavedDC < 0 ? depth + 1 + nSavedDC : nSavedDC;
    if (level < 1 || level > depth) return BOOL(FALSE);
    DcState restored = dc.saved[size_t(level - 1)];
    dc.saved.resize(size_t(level - 1));
    // A saved bitmap that went to another DC meanwhile cannot come back.
    if (restored.bitmap && !restored.bitmap->stock && restored.bitmap->selectedInto &&
        restored.bitmap->selectedInto != hdc)
      restored.bitmap = dc.st.bitmap;
    SwapBitmap(dc, restored.bitmap);
    dc.st = std::move(restored);
    return BOOL(TRUE);
  });
}

WIN32_API BOOL WINAPI GdiFlush(void) { return TRUE; }

WIN32_API int WINAPI GetDeviceCaps(HDC hdc, int index) {
  {
    GDI_LOCK();
    if (int value = 0; PrinterDeviceCaps(hdc, index, value)) return value;
  }
  return WithDc(hdc, 0, [&](DcObj& dc) {
    const int width = kScreenWidth, height = kScreenHeight;
    switch (index) {
      case DRIVERVERSION: return 0x4000;
      case TECHNOLOGY: return DT_RASDISPLAY;
      case HORZSIZE: return int(std::lround(width * 25.4 / dc.logPixelsX));
      case VERTSIZE: return int(std::lround(height * 25.4 / dc.logPixelsY));
      case HORZRES:
      case DESKTOPHORZRES: return width;
      case VERTRES:
      case DESKTOPVERTRES: return height;
      case BITSPIXEL: return 32;
      case PLANES: return 1;
      case NUMBRUSHES:
      case NUMPENS:
      case NUMCOLORS: return -1;
      case NUMMARKERS: return 0;
      case NUMFONTS: return 0;
      case PDEVICESIZE: return 0;
      case CURVECAPS: return 0x1FF;
      case LINECAPS: return 0xFE;
      case POLYGONALCAPS: return 0xFF;
      case TEXTCAPS: return 0x7804;
      case CLIPCAPS: return 1;
      case RASTERCAPS:
        return RC_BITBLT | RC_BITMAP64 | RC_GDI20_OUTPUT | RC_DI_BITMAP | RC_DIBTODEV | RC_BIGFONT |
               RC_STRETCHBLT | RC_FLOODFILL | RC_STRETCHDIB;
      case ASPECTX:
      case ASPECTY: return 36;
      case ASPECTXY: return 51;
      case LOGPIXELSX: return dc.logPixelsX;
      case LOGPIXELSY: return dc.logPixelsY;
      case SIZEPALETTE:
      case NUMRESERVED: return 0;
      case COLORRES: return 24;
      case PHYSICALWIDTH:
      case PHYSICALHEIGHT:
      case PHYSICALOFFSETX:
      case PHYSICALOFFSETY:
      case SCALINGFACTORX:
      case SCALINGFACTORY: return 0;
      case VREFRESH: return 60;
      case BLTALIGNMENT: return 0;
      case SHADEBLENDCAPS: return 0;
      case COLORMGMTCAPS: return 0;
    }
    return 0;
  });
}

// ---------------------------------------------------------------------------------------------
// Attributes.

WIN32_API COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  return WithDc(hdc, COLORREF(CLR_INVALID), [&](DcObj& dc) {
    const COLORREF old = dc.st.bkColor;
    dc.st.bkColor = color;
    return old;
  });
}

WIN32_API COLORREF WINAPI GetBkColor(HDC hdc) {
  return WithDc(hdc, COLORREF(CLR_INVALID), [&](DcObj& dc) { return dc.st.bkColor; });
}

WIN32_API COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  return WithDc(hdc, COLORREF(CLR_INVALID), [&](DcObj& dc) {
    const COLORREF old = dc.st.textColor;
    dc.st.textColor = color;
    return old;
  });
}

WIN32_API COLORREF WINAPI GetTextColor(HDC hdc) {
  return WithDc(hdc, COLORREF(CLR_INVALID), [&](DcObj& dc) { return dc.st.textColor; });
}

WIN32_API int WINAPI SetBkMode(HDC hdc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return WithDc(hdc, 0, [&](DcObj& dc) {
    const int old = dc.st.bkMode;
    dc.st.bkMode = mode;
    return old;
  });
}

WIN32_API int WINAPI GetBkMode(HDC hdc) {
  return WithDc(hdc, 0, [&](DcObj& dc) { return dc.st.bkMode; });
}

WIN32_API int WINAPI SetROP2(HDC hdc, int rop2) {
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return WithDc(hdc, 0, [&](DcObj& dc) {
    const int old = dc.st.rop2;
    dc.st.rop2 = rop2;
    return old;
  });
}

WIN32_API int WINAPI GetROP2(HDC hdc) {
  return WithDc(hdc, 0, [&](DcObj& dc) { return dc.st.rop2; });
}

WIN32_API int WINAPI SetPolyFillMode(HDC hdc, int mode) {
  if (mode != ALTERNATE && mode != WINDING) return 0;
  return WithDc(hdc, 0, [&](DcObj& dc) {
    const int old = dc.st.polyFillMode;
    dc.st.polyFillMode = mode;
    return old;
  });
}

WIN32_API int WINAPI GetPolyFillMode(HDC hdc) {
  return WithDc(hdc, 0, [&](DcObj& dc) { return dc.st.polyFillMode; });
}

WIN32_API int WINAPI SetStretchBltMode(HDC hdc, int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  return WithDc(hdc, 0, [&](DcObj& dc) {
    const int old = dc.st.stretchMode;
    dc.st.stretchMode = mode;
    return old;
  });
}

WIN32_API int WINAPI GetStretchBltMode(HDC hdc) {
  return WithDc(hdc, 0, [&](DcObj& dc) { return dc.st.stretchMode; });
}

WIN32_API UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
  return WithDc(hdc, UINT(GDI_ERROR), [&](DcObj& dc) {
    const UINT old = dc.st.textAlign;
    dc.st.textAlign = align & TA_MASK;
    return old;
  });
}

WIN32_API UINT WINAPI GetTextAlign(HDC hdc) {
  return WithDc(hdc, UINT(GDI_ERROR), [&](DcObj& dc) { return dc.st.textAlign; });
}

WIN32_API int WINAPI SetTextCharacterExtra(HDC hdc, int extra) {
  return WithDc(hdc, int(0x80000000), [&](DcObj& dc) {
    const int old = dc.st.charExtra;
    dc.st.charExtra = extra;
    return old;
  });
}

WIN32_API int WINAPI GetTextCharacterExtra(HDC hdc) {
  return WithDc(hdc, int(0x80000000), [&](DcObj& dc) { return dc.st.charExtra; });
}

WIN32_API BOOL WINAPI SetTextJustification(HDC hdc, int extra, int count) {
  return WithDc(hdc, BOOL(FALSE), [&](DcObj& dc) {
    dc.st.breakExtra = count > 0 ? extra : 0;
    dc.st.breakCount = count > 0 ? count : 0;
    return BOOL(TRUE);
  });
}

WIN32_API int WINAPI SetArcDirection(HDC hdc, int dir) {
  if (dir != AD_COUNTERCLOCKWISE && dir != AD_CLOCKWISE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return WithDc(hdc, 0, [&](DcObj& dc) {
    const int old = dc.st.arcDirection;
    dc.st.arcDirection = dir;
    return old;
  });
}

WIN32_API int WINAPI GetArcDirection(HDC hdc) {
  return WithDc(hdc, 0, [&](DcObj& dc) { return dc.st.arcDirection; });
}

WIN32_API BOOL WINAPI SetMiterLimit(HDC hdc, FLOAT limit, FLOAT* old) {
  if (!(limit >= 1.0f)) return FALSE;
  return WithDc(hdc, BOOL(FALSE), [&](DcObj& dc) {
    if (old) *old = dc.st.miterLimit;
    dc.st.miterLimit = limit;
    return BOOL(TRUE);
  });
}

WIN32_API BOOL WINAPI GetMiterLimit(HDC hdc, FLOAT* plimit) {
  return WithDc(hdc, BOOL(FALSE), [&](DcObj& dc) {
    if (plimit) *plimit = dc.st.miterLimit;
    return BOOL(TRUE);
  });
}

WIN32_API BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return WithDc(hdc, BOOL(FALSE), [&](DcObj& dc) {
    if (lppt) *lppt = dc.st.current;
    dc.st.current = {x, y};
    if (dc.st.pathState == PathState::Open) {
      double dx, dy;
      LogicalToDevice(dc.st).Apply(x, y, dx, dy);
      dc.st.path.push_back({dx, dy, PT_MOVETO});
    }
    return BOOL(TRUE);
  });
}

WIN32_API BOOL WINAPI GetCurrentPositionEx(HDC hdc, LPPOINT lppt) {
  return WithDc(hdc, BOOL(FALSE), [&](DcObj& dc) {
    if (lppt) *lppt = dc.st.current;
    return BOOL(TRUE);
  });
}

namespace zolt::host {

HDC CreateSurfaceDC(HBITMAP surface) {
  GDI_LOCK();
  auto bm = FindAs<BitmapObj>(surface, OBJ_BITMAP);
  if (!bm) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto dc = NewDc(OBJ_DC);
  dc->st.bitmap = bm;
  return static_cast<HDC>(InsertObject(dc));
}

}  // namespace zolt::host
