// Engine surfaces and palettes: bitmaps drawn by the raster, device surfaces drawn by a module,
// their SURFOBJ records, hooks and banding marks.
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "engine/engine.h"
#include "engine/pdev.h"
#include "gdi/bitmap.h"

namespace zolt::host::engine {

namespace {

struct Tables {
  std::mutex lock;
  std::unordered_map<HSURF, std::unique_ptr<EngSurface>> surfaces;
  std::unordered_map<SURFOBJ*, EngSurface*> objects;
  std::unordered_map<HPALETTE, std::unique_ptr<EngPalette>> palettes;
  ULONG uniq = 1;
};

Tables& T() {
  static Tables* t = new Tables;  // lives until the process ends
  return *t;
}

HSURF Register(std::unique_ptr<EngSurface> s, HSURF handle) {
  Tables& t = T();
  std::lock_guard guard(t.lock);
  s->so.hsurf = handle;
  s->so.iUniq = t.uniq++;
  t.objects[&s->so] = s.get();
  t.surfaces[handle] = std::move(s);
  return handle;
}

}  // namespace

EngSurface* FindSurface(HSURF hsurf) {
  Tables& t = T();
  std::lock_guard guard(t.lock);
  auto it = t.surfaces.find(hsurf);
  return it == t.surfaces.end() ? nullptr : it->second.get();
}

EngSurface* SurfaceOf(SURFOBJ* pso) {
  if (!pso) return nullptr;
  Tables& t = T();
  std::lock_guard guard(t.lock);
  auto it = t.objects.find(pso);
  return it == t.objects.end() ? nullptr : it->second;
}

gdi::Surface* PixelsOf(SURFOBJ* pso) {
  EngSurface* s = SurfaceOf(pso);
  if (!s || !s->bitmap) return nullptr;
  auto bm = gdi::FindAs<gdi::BitmapObj>(s->bitmap, OBJ_BITMAP);
  return bm ? &bm->surface : nullptr;
}

int BppOfFormat(ULONG iFormat) {
  switch (iFormat) {
    case BMF_1BPP: return 1;
    case BMF_4BPP: return 4;
    case BMF_8BPP: return 8;
    case BMF_16BPP: return 16;
    case BMF_24BPP: return 24;
    case BMF_32BPP: return 32;
    default: return 0;
  }
}

ULONG FormatOfBpp(int bpp) {
  switch (bpp) {
    case 1: return BMF_1BPP;
    case 4: return BMF_4BPP;
    case 8: return BMF_8BPP;
    case 16: return BMF_16BPP;
    case 24: return BMF_24BPP;
    case 32: return BMF_32BPP;
    default: return 0;
  }
}

EngPalette* FindPalette(HPALETTE hpal) {
  Tables& t = T();
  std::lock_guard guard(t.lock);
  auto it = t.palettes.find(hpal);
  return it == t.palettes.end() ? nullptr : it->second.get();
}

COLORREF ColorOfDevice(const EngPalette* pal, ULONG device) {
  if (pal && pal->mode == PAL_INDEXED) {
    if (device >= pal->colors.size()) return 0;
    device = pal->colors[device];
  } else if (pal && pal->mode == PAL_RGB) {
    return device & 0xFFFFFF;
  }
  return RGB((device >> 16) & 0xFF, (device >> 8) & 0xFF, device & 0xFF);
}

ULONG DeviceOfColor(const EngPalette* pal, COLORREF color) {
  const ULONG bgr = (ULONG(GetRValue(color)) << 16) | (ULONG(GetGValue(color)) << 8) | GetBValue(color);
  if (pal && pal->mode == PAL_INDEXED) {
    ULONG best = 0;
    int bestDist = 1 << 30;
    for (size_t i = 0; i < pal->colors.size(); ++i) {
      const ULONG c = pal->colors[i];
      const int dr = int((c >> 16) & 0xFF) - GetRValue(color), dg = int((c >> 8) & 0xFF) - GetGValue(color),
                db = int(c & 0xFF) - GetBValue(color);
      const int d = dr * dr + dg * dg + db * db;
      if (d < bestDist) bestDist = d, best = ULONG(i);
    }
    return best;
  }
  if (pal && pal->mode == PAL_RGB) return color & 0xFFFFFF;
  return bgr;
}

}  // namespace zolt::host::engine

using namespace zolt::host;
using namespace zolt::host::engine;

WIN32_API HBITMAP WINAPI EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits) {
  GDI_LOCK();
  const int bpp = BppOfFormat(iFormat);
  if (!bpp || sizl.cx <= 0 || sizl.cy <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const size_t minRow = gdi::RowBytes(sizl.cx, bpp, 1);
  size_t row = lWidth > 0 ? size_t(lWidth) : gdi::RowBytes(sizl.cx, bpp, 4);
  if (minRow == 0 || row < minRow || row > (size_t(1) << 31) / size_t(sizl.cy)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto bm = std::make_shared<gdi::BitmapObj>();
  const bool topDown = (fl & BMF_TOPDOWN) != 0;
  if (pvBits) {
    // The caller's memory: rows from pvBits on, bottom row first unless top-down.
    bm->surface.width = sizl.cx;
    bm->surface.height = sizl.cy;
    bm->surface.bpp = bpp;
    uint8_t* base = static_cast<uint8_t*>(pvBits);
    bm->surface.stride = topDown ? ptrdiff_t(row) : -ptrdiff_t(row);
    bm->surface.scan0 = topDown ? base : base + (sizl.cy - 1) * row;
  } else if (!bm->Allocate(sizl.cx, sizl.cy, bpp, row, !topDown)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  } else if (fl & BMF_NOZEROINIT) {
    // Left as allocated (zeroed): a module must not rely on the contents either way.
  }
  if (bpp <= 8) bm->surface.colors = gdi::DefaultColorTable(bpp);
  if (bpp == 16 || bpp == 32) gdi::DefaultMasks(bpp, bm->surface.masks);
  bm->dib = true;
  bm->bottomUp = !topDown;
  HBITMAP hbm = static_cast<HBITMAP>(gdi::InsertObject(bm));
  if (!hbm) return nullptr;

  auto s = std::make_unique<EngSurface>();
  s->bitmap = hbm;
  SURFOBJ& so = s->so;
  so.sizlBitmap = sizl;
  so.iBitmapFormat = iFormat;
  so.iType = STYPE_BITMAP;
  so.fjBitmap = USHORT(topDown ? BMF_TOPDOWN : 0);
  so.pvScan0 = bm->surface.scan0;
  so.lDelta = LONG(bm->surface.stride);
  so.cjBits = ULONG(row * size_t(sizl.cy));
  so.pvBits = topDown ? bm->surface.scan0 : bm->surface.scan0 + (sizl.cy - 1) * bm->surface.stride;
  Register(std::move(s), reinterpret_cast<HSURF>(hbm));
  return hbm;
}

WIN32_API HSURF WINAPI EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat) {
  if (sizl.cx <= 0 || sizl.cy <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto s = std::make_unique<EngSurface>();
  s->device = true;
  s->so.dhsurf = dhsurf;
  s->so.sizlBitmap = sizl;
  s->so.iBitmapFormat = iFormatCompat;
  s->so.iType = STYPE_DEVICE;
  HSURF handle = reinterpret_cast<HSURF>(s.get());
  return Register(std::move(s), handle);
}

WIN32_API HBITMAP WINAPI EngCreateDeviceBitmap(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat) {
  HSURF h = EngCreateDeviceSurface(dhsurf, sizl, iFormatCompat);
  if (EngSurface* s = FindSurface(h)) s->so.iType = STYPE_DEVBITMAP;
  return reinterpret_cast<HBITMAP>(h);
}

WIN32_API BOOL WINAPI EngDeleteSurface(HSURF hsurf) {
  Tables& t = T();
  std::unique_ptr<EngSurface> s;
  {
    std::lock_guard guard(t.lock);
    auto it = t.surfaces.find(hsurf);
    if (it == t.surfaces.end()) return FALSE;
    s = std::move(it->second);
    t.surfaces.erase(it);
    t.objects.erase(&s->so);
  }
  if (s->bitmap) {
    GDI_LOCK();
    DeleteObject(s->bitmap);
  }
  return TRUE;
}

WIN32_API SURFOBJ* WINAPI EngLockSurface(HSURF hsurf) {
  EngSurface* s = FindSurface(hsurf);
  if (!s) return nullptr;
  ++s->locks;
  return &s->so;
}

WIN32_API VOID WINAPI EngUnlockSurface(SURFOBJ* pso) {
  if (EngSurface* s = SurfaceOf(pso); s && s->locks > 0) --s->locks;
}

WIN32_API BOOL WINAPI EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks) {
  EngSurface* s = FindSurface(hsurf);
  if (!s || !hdev || (flHooks & ~FLONG(HOOK_FLAGS))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  s->so.hdev = hdev;
  s->so.dhpdev = DeviceDhpdev(hdev);
  s->hooks = flHooks;
  return TRUE;
}

WIN32_API BOOL WINAPI EngMarkBandingSurface(HSURF hsurf) {
  EngSurface* s = FindSurface(hsurf);
  if (!s) return FALSE;
  s->banding = true;
  return TRUE;
}

WIN32_API BOOL WINAPI EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor) {
  gdi::Surface* px = PixelsOf(pso);
  if (!px || !prcl) return FALSE;
  const LONG l = std::max<LONG>(0, std::min(prcl->left, prcl->right));
  const LONG r = std::min<LONG>(px->width, std::max(prcl->left, prcl->right));
  const LONG tp = std::max<LONG>(0, std::min(prcl->top, prcl->bottom));
  const LONG b = std::min<LONG>(px->height, std::max(prcl->top, prcl->bottom));
  for (LONG y = tp; y < b; ++y)
    for (LONG x = l; x < r; ++x) px->Set(x, y, iColor & px->PixelMask());
  return TRUE;
}

WIN32_API HPALETTE WINAPI EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed, FLONG flGreen,
                                           FLONG flBlue) {
  auto p = std::make_unique<EngPalette>();
  p->mode = iMode;
  switch (iMode) {
    case PAL_INDEXED:
      if (cColors == 0 || cColors > 65536 || !pulColors) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      p->colors.assign(pulColors, pulColors + cColors);
      break;
    case PAL_BITFIELDS:
      p->masks[0] = flRed, p->masks[1] = flGreen, p->masks[2] = flBlue;
      break;
    case PAL_RGB:
    case PAL_BGR:
    case PAL_CMYK:
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
  Tables& t = T();
  std::lock_guard guard(t.lock);
  HPALETTE h = reinterpret_cast<HPALETTE>(p.get());
  t.palettes[h] = std::move(p);
  return h;
}

WIN32_API BOOL WINAPI EngDeletePalette(HPALETTE hpal) {
  Tables& t = T();
  std::lock_guard guard(t.lock);
  return t.palettes.erase(hpal) ? TRUE : FALSE;
}
