// The handle table, the stock objects and the calls that make, select, query and delete
// pens, brushes, fonts and regions.
#include "gdi/objects.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "gdi/raster.h"
#include "win32/hostgdi.h"

namespace zolt::host::gdi {

std::recursive_mutex& GdiLock() {
  static std::recursive_mutex lock;
  return lock;
}

namespace {

struct Table {
  std::unordered_map<uintptr_t, std::shared_ptr<GdiObject>> objects;
  uintptr_t next = 0x10000;
};

Table& Objects() {
  static Table* table = new Table;  // lives to the end of the process
  return *table;
}

std::shared_ptr<BrushObj> MakeBrush(UINT style, COLORREF color, ULONG_PTR hatch = 0) {
  auto b = std::make_shared<BrushObj>();
  b->style = style;
  b->color = color;
  b->hatch = hatch;
  return b;
}

std::shared_ptr<PenObj> MakePen(DWORD style, DWORD width, COLORREF color) {
  auto p = std::make_shared<PenObj>();
  p->style = style;
  p->width = width;
  p->color = color;
  return p;
}

std::shared_ptr<FontObj> MakeFont(LONG height, LONG weight, BYTE charset, BYTE pitchFamily, const char16_t* face) {
  auto f = std::make_shared<FontObj>();
  f->lf.lfHeight = height;
  f->lf.lfWeight = weight;
  f->lf.lfCharSet = charset;
  f->lf.lfPitchAndFamily = pitchFamily;
  for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) f->lf.lfFaceName[i] = face[i];
  return f;
}

// The 20 static colours of the default palette.
const PALETTEENTRY kDefaultPalette[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
    {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0}};

constexpr int kStockCount = 22;
constexpr int kDefaultBitmap = 21;  // the 1 x 1 monochrome bitmap of a new memory DC

std::vector<std::shared_ptr<GdiObject>> MakeStock() {
  std::vector<std::shared_ptr<GdiObject>> s(kStockCount);
  s[WHITE_BRUSH] = MakeBrush(BS_SOLID, RGB(255, 255, 255));
  s[LTGRAY_BRUSH] = MakeBrush(BS_SOLID, RGB(192, 192, 192));
  s[GRAY_BRUSH] = MakeBrush(BS_SOLID, RGB(128, 128, 128));
  s[DKGRAY_BRUSH] = MakeBrush(BS_SOLID, RGB(64, 64, 64));
  s[BLACK_BRUSH] = MakeBrush(BS_SOLID, RGB(0, 0, 0));
  s[NULL_BRUSH] = MakeBrush(BS_NULL, 0);
  s[WHITE_PEN] = MakePen(PS_SOLID, 0, RGB(255, 255, 255));
  s[BLACK_PEN] = MakePen(PS_SOLID, 0, RGB(0, 0, 0));
  s[NULL_PEN] = MakePen(PS_NULL, 0, 0);
  s[OEM_FIXED_FONT] = MakeFont(12, FW_NORMAL, OEM_CHARSET, FIXED_PITCH | FF_MODERN, u"Terminal");
  s[ANSI_FIXED_FONT] = MakeFont(12, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN, u"Courier");
  s[ANSI_VAR_FONT] = MakeFont(12, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, u"MS Sans Serif");
  s[SYSTEM_FONT] = MakeFont(16, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, u"System");
  s[DEVICE_DEFAULT_FONT] = MakeFont(16, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, u"System");
  auto pal = std::make_shared<PaletteObj>();
  pal->entries.assign(std::begin(kDefaultPalette), std::end(kDefaultPalette));
  s[DEFAULT_PALETTE] = pal;
  s[SYSTEM_FIXED_FONT] = MakeFont(15, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN, u"Fixedsys");
  s[DEFAULT_GUI_FONT] = MakeFont(-11, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, u"MS Shell Dlg");
  auto dcBrush = MakeBrush(BS_SOLID, RGB(255, 255, 255));
  dcBrush->dcBrush = true;
  s[DC_BRUSH] = dcBrush;
  auto dcPen = MakePen(PS_SOLID, 0, 0);
  dcPen->dcPen = true;
  s[DC_PEN] = dcPen;
  auto bm = std::make_shared<BitmapObj>();
  bm->Allocate(1, 1, 1, 2, false);
  bm->surface.monoDevice = true;
  bm->surface.colors = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
  s[kDefaultBitmap] = bm;
  for (auto& o : s) {
    if (!o) continue;
    o->stock = true;
    InsertObject(o);
  }
  return s;
}

const std::vector<std::shared_ptr<GdiObject>>& Stock() {
  static const std::vector<std::shared_ptr<GdiObject>>* stock = new auto(MakeStock());
  return *stock;
}

}  // namespace

HGDIOBJ InsertObject(std::shared_ptr<GdiObject> object) {
  GDI_LOCK();
  Table& t = Objects();
  t.next += 4;
  const HGDIOBJ h = reinterpret_cast<HGDIOBJ>(t.next);
  object->handle = h;
  t.objects.emplace(t.next, std::move(object));
  return h;
}

std::shared_ptr<GdiObject> FindObject(HGDIOBJ handle) {
  GDI_LOCK();
  if (!handle) return nullptr;
  Stock();
  Table& t = Objects();
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

bool RemoveObject(HGDIOBJ handle) {
  GDI_LOCK();
  return Objects().objects.erase(reinterpret_cast<uintptr_t>(handle)) > 0;
}

std::shared_ptr<DcObj> FindDc(HDC hdc) {
  auto o = FindObject(hdc);
  if (!o || (o->type != OBJ_DC && o->type != OBJ_MEMDC)) return nullptr;
  return std::static_pointer_cast<DcObj>(o);
}

std::shared_ptr<GdiObject> StockObject(int index) {
  GDI_LOCK();
  if (index < 0 || index >= kStockCount) return nullptr;
  return Stock()[size_t(index)];
}

bool BitmapObj::Allocate(int w, int h, int bitsPerPixel, size_t rowBytes, bool bottomUpRows) {
  if (w <= 0 || h <= 0 || rowBytes == 0) return false;
  const uint64_t total = uint64_t(rowBytes) * uint64_t(h);
  if (total > (uint64_t(1) << 31)) return false;  // 2 GB: more than any surface the platform makes
  storage.reset(new (std::nothrow) uint8_t[size_t(total)]);
  if (!storage) return false;
  std::memset(storage.get(), 0, size_t(total));
  storageSize = size_t(total);
  surface.width = w;
  surface.height = h;
  surface.bpp = bitsPerPixel;
  bottomUp = bottomUpRows;
  if (bottomUpRows) {
    surface.scan0 = storage.get() + (size_t(h) - 1) * rowBytes;
    surface.stride = -ptrdiff_t(rowBytes);
  } else {
    surface.scan0 = storage.get();
    surface.stride = ptrdiff_t(rowBytes);
  }
  return true;
}

COLORREF ResolveColor(const DcObj& dc, COLORREF color) {
  const DWORD flag = color >> 24;
  if (flag == 0x01) {  // PALETTEINDEX
    const WORD i = WORD(color);
    const auto& pal = dc.st.palette;
    if (pal && i < pal->entries.size()) {
      const PALETTEENTRY& e = pal->entries[i];
      return RGB(e.peRed, e.peGreen, e.peBlue);
    }
    return 0;
  }
  if (flag == 0x10 && (color & 0x00FF0000) == 0x00FF0000) return color;  // DIBINDEX: kept for the surface
  return color & 0x00FFFFFF;
}

DWORD PixelOfColor(const DcObj& dc, const Surface& target, COLORREF color) {
  const COLORREF c = ResolveColor(dc, color);
  if ((c >> 24) == 0x10) {  // DIBINDEX(n): that index of an indexed surface
    if (target.bpp <= 8) return (c & 0xFFFF) & target.PixelMask();
    return target.PixelOf(0);
  }
  return target.PixelOf(c);
}

namespace {

// Rows of the 8 x 8 hatches, bit 7 = leftmost pixel.
const uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF},  // HS_HORIZONTAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // HS_BDIAGONAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0xFF},  // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // HS_DIAGCROSS
};

}  // namespace

Paint RealizeBrush(const DcObj& dc, const BrushObj& brush, const Surface& target) {
  Paint p;
  const POINT org{dc.st.brushOrg.x + dc.origin.x, dc.st.brushOrg.y + dc.origin.y};
  switch (brush.style) {
    case BS_SOLID:
    default:
      return Paint::Solid(PixelOfColor(dc, target, brush.dcBrush ? dc.st.dcBrushColor : brush.color));
    case BS_HATCHED: {
      const DWORD fg = PixelOfColor(dc, target, brush.color);
      const DWORD bg = PixelOfColor(dc, target, dc.st.bkColor);
      const auto& rows = kHatches[brush.hatch < 6 ? brush.hatch : 0];
      p.solid = false;
      p.w = p.h = 8;
      p.tile.resize(64);
      p.foreground.resize(64);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
          const bool on = (rows[y] >> (7 - x)) & 1;
          p.tile[size_t(y * 8 + x)] = on ? fg : bg;
          p.foreground[size_t(y * 8 + x)] = on;
        }
      p.transparentBackground = dc.st.bkMode == TRANSPARENT;
      break;
    }
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT: {
      const Surface* pat = brush.pattern.get();
      if (!pat || pat->width <= 0 || pat->height <= 0) return Paint::Solid(target.PixelOf(0));
      p.solid = false;
      p.w = pat->width;
      p.h = pat->height;
      p.tile.resize(size_t(p.w) * size_t(p.h));
      // A monochrome device pattern takes the DC's text (0) and background (1) colours.
      const bool mono = pat->monoDevice;
      const DWORD fg = mono ? PixelOfColor(dc, target, dc.st.textColor) : 0;
      const DWORD bg = mono ? PixelOfColor(dc, target, dc.st.bkColor) : 0;
      const bool same = !mono && pat->SameFormat(target);
      for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
          const DWORD v = pat->Get(x, y);
          DWORD out;
          if (mono)
            out = v ? bg : fg;
          else if (same)
            out = v;
          else
            out = target.PixelOf(pat->ColorOf(v));
          p.tile[size_t(y * p.w + x)] = out;
        }
      break;
    }
  }
  p.originX = org.x;
  p.originY = org.y;
  return p;
}

}  // namespace zolt::host::gdi

using namespace zolt::host::gdi;

// ---------------------------------------------------------------------------------------------
// Stock objects, selection and deletion.

WIN32_API HGDIOBJ WINAPI GetStockObject(int i) {
  if (i == 9 || i < 0 || i > DC_PEN) return nullptr;
  auto o = StockObject(i);
  return o ? o->handle : nullptr;
}

WIN32_API DWORD WINAPI GetObjectType(HGDIOBJ h) {
  auto o = FindObject(h);
  if (!o) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (o->type == OBJ_PEN && static_cast<PenObj*>(o.get())->extended) return OBJ_EXTPEN;
  return o->type;
}

WIN32_API HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  auto o = FindObject(h);
  if (!dc || !o) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  DcState& st = dc->st;
  switch (o->type) {
    case OBJ_PEN: {
      HGDIOBJ old = st.pen->handle;
      st.pen = std::static_pointer_cast<PenObj>(o);
      return old;
    }
    case OBJ_BRUSH: {
      HGDIOBJ old = st.brush->handle;
      st.brush = std::static_pointer_cast<BrushObj>(o);
      return old;
    }
    case OBJ_FONT: {
      HGDIOBJ old = st.font->handle;
      st.font = std::static_pointer_cast<FontObj>(o);
      return old;
    }
    case OBJ_BITMAP: {
      if (dc->type != OBJ_MEMDC) return nullptr;
      auto bm = std::static_pointer_cast<BitmapObj>(o);
      if (bm == st.bitmap) return bm->handle;
      if (!bm->stock && bm->selectedInto && bm->selectedInto != hdc) return nullptr;
      HGDIOBJ old = st.bitmap ? st.bitmap->handle : nullptr;
      if (st.bitmap && !st.bitmap->stock) st.bitmap->selectedInto = nullptr;
      st.bitmap = bm;
      if (!bm->stock) bm->selectedInto = hdc;
      return old;
    }
    case OBJ_REGION:
      return reinterpret_cast<HGDIOBJ>(intptr_t(SelectClipRgn(hdc, static_cast<HRGN>(h))));
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

WIN32_API HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN:
    case OBJ_EXTPEN: return dc->st.pen->handle;
    case OBJ_BRUSH: return dc->st.brush->handle;
    case OBJ_FONT: return dc->st.font->handle;
    case OBJ_PAL: return dc->st.palette->handle;
    case OBJ_BITMAP: return dc->st.bitmap ? dc->st.bitmap->handle : nullptr;
  }
  return nullptr;
}

WIN32_API BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  GDI_LOCK();
  auto o = FindObject(ho);
  if (!o) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (o->stock) return TRUE;
  if (o->type == OBJ_DC || o->type == OBJ_MEMDC) return FALSE;
  // A bitmap selected into a DC stays: the platform refuses to delete it.
  if (o->type == OBJ_BITMAP && static_cast<BitmapObj*>(o.get())->selectedInto) return FALSE;
  // Pens, brushes, fonts and palettes still selected live on in their DC until replaced.
  RemoveObject(ho);
  return TRUE;
}

WIN32_API BOOL WINAPI UnrealizeObject(HGDIOBJ h) { return FindObject(h) ? TRUE : FALSE; }

WIN32_API int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv) {
  GDI_LOCK();
  auto o = FindObject(h);
  if (!o) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  auto put = [&](const void* data, int size, bool partial) -> int {
    if (!pv) return size;
    if (c < size && !partial) return 0;
    const int n = std::min(c, size);
    if (n <= 0) return 0;
    std::memcpy(pv, data, size_t(n));
    return n;
  };
  switch (o->type) {
    case OBJ_PEN: {
      auto* p = static_cast<PenObj*>(o.get());
      if (!p->extended) {
        LOGPEN lp{p->style, POINT{LONG(p->width), 0}, p->color};
        return put(&lp, sizeof(lp), false);
      }
      const size_t size = offsetof(EXTLOGPEN, elpStyleEntry) + sizeof(DWORD) * p->userStyle.size();
      std::vector<uint8_t> buf(std::max(size, sizeof(EXTLOGPEN)));
      EXTLOGPEN* e = reinterpret_cast<EXTLOGPEN*>(buf.data());
      e->elpPenStyle = p->style;
      e->elpWidth = p->width;
      e->elpBrushStyle = p->brushStyle;
      e->elpColor = p->color;
      e->elpHatch = p->hatch;
      e->elpNumEntries = DWORD(p->userStyle.size());
      if (!p->userStyle.empty())
        std::memcpy(buf.data() + offsetof(EXTLOGPEN, elpStyleEntry), p->userStyle.data(),
                    sizeof(DWORD) * p->userStyle.size());
      return put(buf.data(), int(size), false);
    }
    case OBJ_BRUSH: {
      auto* b = static_cast<BrushObj*>(o.get());
      LOGBRUSH lb{b->style, b->color, b->hatch};
      if (b->style == BS_PATTERN) lb.lbHatch = reinterpret_cast<ULONG_PTR>(b->patternBitmap);
      if (b->style == BS_DIBPATTERNPT || b->style == BS_DIBPATTERN) {
        lb.lbColor = b->dibUsage;
        lb.lbHatch = reinterpret_cast<ULONG_PTR>(b->packedDib.data());
      }
      return put(&lb, sizeof(lb), false);
    }
    case OBJ_FONT: {
      auto* f = static_cast<FontObj*>(o.get());
      return put(&f->lf, sizeof(LOGFONTW), true);
    }
    case OBJ_PAL: {
      auto* p = static_cast<PaletteObj*>(o.get());
      const WORD n = WORD(p->entries.size());
      return put(&n, sizeof(n), false);
    }
    case OBJ_BITMAP: {
      auto* b = static_cast<BitmapObj*>(o.get());
      DIBSECTION ds{};
      ds.dsBm.bmType = 0;
      ds.dsBm.bmWidth = b->surface.width;
      ds.dsBm.bmHeight = b->surface.height;
      ds.dsBm.bmWidthBytes = LONG(b->surface.stride < 0 ? -b->surface.stride : b->surface.stride);
      ds.dsBm.bmPlanes = 1;
      ds.dsBm.bmBitsPixel = WORD(b->surface.bpp);
      if (!b->dib) return put(&ds.dsBm, sizeof(BITMAP), false);
      ds.dsBm.bmBits = b->storage.get();
      if (pv && c >= int(sizeof(DIBSECTION))) {
        ds.dsBmih = b->bih;
        ds.dsBmih.biHeight = b->bottomUp ? b->surface.height : -b->surface.height;
        ds.dsBmih.biSizeImage = DWORD(b->storageSize);
        if (b->surface.bpp == 16 || b->surface.bpp == 32) {
          ds.dsBitfields[0] = b->surface.masks[0];
          ds.dsBitfields[1] = b->surface.masks[1];
          ds.dsBitfields[2] = b->surface.masks[2];
        }
        ds.dshSection = b->section;
        ds.dsOffset = b->sectionOffset;
        return put(&ds, sizeof(DIBSECTION), false);
      }
      return put(&ds.dsBm, sizeof(BITMAP), false);
    }
  }
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Pens and brushes.

WIN32_API HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
  if (iStyle < PS_SOLID || iStyle > PS_INSIDEFRAME) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // Wider pens are geometric with round ends and joins, and they draw solid.
  DWORD style = DWORD(iStyle);
  const DWORD width = cWidth < 0 ? 0 : DWORD(cWidth);
  return static_cast<HPEN>(InsertObject(MakePen(style, width, color & 0x03FFFFFF)));
}

WIN32_API HPEN WINAPI CreatePenIndirect(const LOGPEN* plpen) {
  if (!plpen) return nullptr;
  return CreatePen(int(plpen->lopnStyle), plpen->lopnWidth.x, plpen->lopnColor);
}

WIN32_API HPEN WINAPI ExtCreatePen(DWORD iPenStyle, DWORD cWidth, const LOGBRUSH* plbrush, DWORD cStyle,
                                   const DWORD* pstyle) {
  const DWORD dash = iPenStyle & PS_STYLE_MASK;
  const bool geometric = (iPenStyle & PS_TYPE_MASK) == PS_GEOMETRIC;
  const bool bad = !plbrush || dash > PS_ALTERNATE || (iPenStyle & PS_TYPE_MASK) > PS_GEOMETRIC ||
                   ((iPenStyle & PS_ENDCAP_MASK) >> 8) > 2 || ((iPenStyle & PS_JOIN_MASK) >> 12) > 2 ||
                   (!geometric && cWidth != 1) || (!geometric && plbrush && plbrush->lbStyle != BS_SOLID) ||
                   (geometric && dash == PS_ALTERNATE) || (dash == PS_USERSTYLE) != (cStyle > 0) || cStyle > 16 ||
                   (cStyle > 0 && !pstyle);
  if (bad) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (dash == PS_USERSTYLE) {
    bool any = false;
    for (DWORD i = 0; i < cStyle; ++i) any = any || pstyle[i] != 0;
    if (!any) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
  }
  auto p = MakePen(iPenStyle, cWidth, plbrush->lbColor & 0x03FFFFFF);
  p->extended = true;
  p->brushStyle = plbrush->lbStyle;
  p->hatch = plbrush->lbHatch;
  if (cStyle) p->userStyle.assign(pstyle, pstyle + cStyle);
  return static_cast<HPEN>(InsertObject(p));
}

WIN32_API HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  return static_cast<HBRUSH>(InsertObject(MakeBrush(BS_SOLID, color & 0x03FFFFFF)));
}

WIN32_API HBRUSH WINAPI CreateHatchBrush(int iHatch, COLORREF color) {
  if (iHatch < HS_HORIZONTAL || iHatch > HS_DIAGCROSS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return static_cast<HBRUSH>(InsertObject(MakeBrush(BS_HATCHED, color & 0x03FFFFFF, ULONG_PTR(iHatch))));
}

WIN32_API HBRUSH WINAPI CreatePatternBrush(HBITMAP hbm) {
  GDI_LOCK();
  auto bm = FindAs<BitmapObj>(hbm, OBJ_BITMAP);
  if (!bm) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto b = MakeBrush(BS_PATTERN, 0);
  b->patternBitmap = hbm;
  // A copy of the bits: the brush keeps its pattern when the bitmap changes or goes.
  const Surface& s = bm->surface;
  const size_t rowBytes = size_t(s.stride < 0 ? -s.stride : s.stride);
  b->patternBits.resize(rowBytes * size_t(s.height));
  for (int y = 0; y < s.height; ++y) std::memcpy(b->patternBits.data() + rowBytes * size_t(y), s.Row(y), rowBytes);
  auto pat = std::make_shared<Surface>(s);
  pat->scan0 = b->patternBits.data();
  pat->stride = ptrdiff_t(rowBytes);
  b->pattern = pat;
  return static_cast<HBRUSH>(InsertObject(b));
}

WIN32_API HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* plbrush) {
  if (!plbrush) return nullptr;
  switch (plbrush->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(plbrush->lbColor);
    case BS_NULL: return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case BS_HATCHED: return CreateHatchBrush(int(plbrush->lbHatch), plbrush->lbColor);
    case BS_PATTERN:
    case BS_PATTERN8X8: return CreatePatternBrush(reinterpret_cast<HBITMAP>(plbrush->lbHatch));
    case BS_DIBPATTERNPT:
    case BS_DIBPATTERN8X8:
      return CreateDIBPatternBrushPt(reinterpret_cast<const void*>(plbrush->lbHatch), plbrush->lbColor);
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

WIN32_API COLORREF WINAPI SetDCBrushColor(HDC hdc, COLORREF color) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF old = dc->st.dcBrushColor;
  dc->st.dcBrushColor = color;
  return old;
}

WIN32_API COLORREF WINAPI SetDCPenColor(HDC hdc, COLORREF color) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF old = dc->st.dcPenColor;
  dc->st.dcPenColor = color;
  return old;
}

WIN32_API COLORREF WINAPI GetDCBrushColor(HDC hdc) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  return dc ? dc->st.dcBrushColor : CLR_INVALID;
}

WIN32_API COLORREF WINAPI GetDCPenColor(HDC hdc) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  return dc ? dc->st.dcPenColor : CLR_INVALID;
}

WIN32_API BOOL WINAPI SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  if (lppt) *lppt = dc->st.brushOrg;
  dc->st.brushOrg = {x, y};
  return TRUE;
}

WIN32_API BOOL WINAPI GetBrushOrgEx(HDC hdc, LPPOINT lppt) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc || !lppt) return FALSE;
  *lppt = dc->st.brushOrg;
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Fonts (the objects; the mapper realises them when text is drawn or measured).

WIN32_API HFONT WINAPI CreateFontIndirectW(const LOGFONTW* lplf) {
  if (!lplf) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto f = std::make_shared<FontObj>();
  f->lf = *lplf;
  f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
  return static_cast<HFONT>(InsertObject(f));
}

WIN32_API HFONT WINAPI CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                                   DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                                   DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                                   DWORD iPitchAndFamily, LPCWSTR pszFaceName) {
  LOGFONTW lf{};
  lf.lfHeight = cHeight;
  lf.lfWidth = cWidth;
  lf.lfEscapement = cEscapement;
  lf.lfOrientation = cOrientation;
  lf.lfWeight = cWeight;
  lf.lfItalic = BYTE(bItalic);
  lf.lfUnderline = BYTE(bUnderline);
  lf.lfStrikeOut = BYTE(bStrikeOut);
  lf.lfCharSet = BYTE(iCharSet);
  lf.lfOutPrecision = BYTE(iOutPrecision);
  lf.lfClipPrecision = BYTE(iClipPrecision);
  lf.lfQuality = BYTE(iQuality);
  lf.lfPitchAndFamily = BYTE(iPitchAndFamily);
  for (int i = 0; pszFaceName && pszFaceName[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = pszFaceName[i];
  return CreateFontIndirectW(&lf);
}

namespace zolt::host {

HBRUSH CreateSystemBrush(COLORREF color) {
  GDI_LOCK();
  auto b = MakeBrush(BS_SOLID, color & 0x00FFFFFF);
  b->stock = true;
  return static_cast<HBRUSH>(InsertObject(b));
}

HBRUSH SystemColorBrush(HBRUSH brush) {
  const auto value = reinterpret_cast<uintptr_t>(brush);
  if (value == 0 || value > kSystemColorCount) return brush;
  return GetSysColorBrush(int(value) - 1);
}

}  // namespace zolt::host
