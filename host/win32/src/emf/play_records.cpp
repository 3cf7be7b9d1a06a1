// Each record kind played onto the target DC. A record reaches Play only after its size and the
// library's layout checks; every count and offset is checked again here against the record's
// size before it is read.
#include <algorithm>
#include <cmath>
#include <cstring>

#include <uemf.h>

#include "emf/play.h"
#include "gdi/dib.h"
#include "win32/blits.h"
#include "win32/hostgdi.h"

namespace zolt::host::emf {

namespace {

// The bitmap of a blit record: header and bits inside the record, the header sound.
struct RecordDib {
  const BITMAPINFO* info = nullptr;
  DWORD cbInfo = 0;
  const uint8_t* bits = nullptr;
  DWORD cbBits = 0;
  gdi::DibInfo parsed;
};

bool DibOf(const uint8_t* rec, DWORD size, DWORD fixed, DWORD offBmi, DWORD cbBmi, DWORD offBits, DWORD cbBits,
           UINT usage, RecordDib& out) {
  if (cbBmi < sizeof(BITMAPCOREHEADER) || !Inside(size, fixed, offBmi, cbBmi, 1) || !Inside(size, fixed, offBits, cbBits, 1))
    return false;
  out.info = reinterpret_cast<const BITMAPINFO*>(rec + offBmi);
  out.cbInfo = cbBmi;
  out.bits = rec + offBits;
  out.cbBits = cbBits;
  // Records are four-byte aligned, so the header is too.
  return gdi::ParseDib(out.info, cbBmi, usage, nullptr, out.parsed);
}

// A DIB section holding a record's bitmap, selected into a memory DC (AlphaBlend's source).
struct DibDc {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  ~DibDc() {
    if (dc) {
      SelectObject(dc, old);
      DeleteDC(dc);
    }
    if (bitmap) DeleteObject(bitmap);
  }
  bool Make(const RecordDib& dib) {
    const int w = dib.parsed.width, h = dib.parsed.height;
    if (w <= 0 || h <= 0 || int64_t(w) * h > (int64_t(1) << 26)) return false;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* px = nullptr;
    bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &px, nullptr, 0);
    if (!bitmap) return false;
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    // 32-bit sources keep their alpha byte as it stands; other formats are drawn in.
    if (dib.parsed.bpp == 32 && dib.parsed.compression == BI_RGB) {
      const size_t row = size_t(w) * 4;
      if (dib.cbBits < row * size_t(h)) return false;
      for (int y = 0; y < h; ++y) {
        const int srcRow = dib.parsed.topDown ? y : h - 1 - y;
        std::memcpy(static_cast<uint8_t*>(px) + row * size_t(y), dib.bits + row * size_t(srcRow), row);
      }
      return true;
    }
    return StretchDIBitsChecked(dc, 0, 0, w, h, 0, 0, w, h, dib.bits, dib.cbBits, dib.info, dib.cbInfo, DIB_RGB_COLORS,
                                SRCCOPY) != 0;
  }
  // A monochrome DIB section (black 0, white 1) of a record's mask, top-down.
  bool MakeMask(const RecordDib& dib) {
    const int w = dib.parsed.width, h = dib.parsed.height;
    if (w <= 0 || h <= 0 || int64_t(w) * h > (int64_t(1) << 26)) return false;
    struct {
      BITMAPINFOHEADER h;
      RGBQUAD colors[2];
    } bi{};
    bi.h.biSize = sizeof(BITMAPINFOHEADER);
    bi.h.biWidth = w;
    bi.h.biHeight = -h;
    bi.h.biPlanes = 1;
    bi.h.biBitCount = 1;
    bi.h.biCompression = BI_RGB;
    bi.colors[1] = RGBQUAD{255, 255, 255, 0};
    void* px = nullptr;
    bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&bi), DIB_RGB_COLORS, &px, nullptr, 0);
    if (!bitmap) return false;
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    return StretchDIBitsChecked(dc, 0, 0, w, h, 0, 0, w, h, dib.bits, dib.cbBits, dib.info, dib.cbInfo, DIB_RGB_COLORS,
                                SRCCOPY) != 0;
  }
};

// The source rectangle of a blit record (top-down coordinates through the source transform) as
// the DIB's own rectangle for StretchDIBits (whose y counts from the bottom of a bottom-up DIB).
void SourceRect(const U_XFORM& xf, const U_POINTL& src, const U_POINTL& size, const gdi::DibInfo& dib, int& sx, int& sy,
                int& sw, int& sh) {
  const double x0 = src.x * xf.eM11 + src.y * xf.eM21 + xf.eDx, y0 = src.x * xf.eM12 + src.y * xf.eM22 + xf.eDy;
  const double x1 = (double(src.x) + size.x) * xf.eM11 + (double(src.y) + size.y) * xf.eM21 + xf.eDx;
  const double y1 = (double(src.x) + size.x) * xf.eM12 + (double(src.y) + size.y) * xf.eM22 + xf.eDy;
  auto clampInt = [](double v) { return int(std::clamp(std::round(v), -2e9, 2e9)); };
  sx = clampInt(x0);
  sy = clampInt(y0);
  sw = clampInt(x1) - sx;
  sh = clampInt(y1) - sy;
  // Writers that store only the copied part keep the source position of the original DC.
  if ((sx < 0 || sy < 0 || int64_t(sx) + sw > dib.width || int64_t(sy) + sh > dib.height) && std::abs(sw) == dib.width &&
      std::abs(sh) == dib.height) {
    sx = 0;
    sy = 0;
  }
  if (!dib.topDown) sy = int(std::clamp<int64_t>(int64_t(dib.height) - sy - sh, INT32_MIN, INT32_MAX));
}

// The source rectangle of a record's bitmap once it is a top-down section.
void SectionRect(const U_XFORM& xf, const U_POINTL& src, const U_POINTL& size, const RecordDib& dib, int& sx, int& sy,
                 int& sw, int& sh) {
  gdi::DibInfo topDown = dib.parsed;
  topDown.topDown = true;
  SourceRect(xf, src, size, topDown, sx, sy, sw, sh);
}

}  // namespace

bool Player::Play(const RecordRef& r) {
  const uint8_t* p = r.p;
  const DWORD size = r.size;
  auto u32 = [&](size_t off) { return Load<DWORD>(p + off); };
  auto i32 = [&](size_t off) { return Load<LONG>(p + off); };
  switch (r.type) {
    case EMR_HEADER:
    case EMR_EOF:
    case EMR_GDICOMMENT:  // application data, EMF+ records among them: nothing of them is drawn here
    case EMR_SETMAPPERFLAGS:
    case EMR_SETCOLORADJUSTMENT:
    case EMR_SETICMMODE:
    case EMR_SETCOLORSPACE:
    case EMR_CREATECOLORSPACE:
    case EMR_CREATECOLORSPACEW:
    case EMR_DELETECOLORSPACE:
    case EMR_SETICMPROFILEA:
    case EMR_SETICMPROFILEW:
    case EMR_COLORMATCHTOTARGETW:
    case EMR_COLORCORRECTPALETTE:
    case EMR_PIXELFORMAT:
    case EMR_SETLAYOUT:
    case EMR_SETMETARGN:
    case EMR_SETLINKEDUFIS:
    case EMR_GLSRECORD:
    case EMR_GLSBOUNDEDRECORD:
      return true;

    // Coordinate state.
    case EMR_SETMAPMODE: SetMapModeState(int(u32(8))); ApplyTransform(); return true;
    case EMR_SETWINDOWEXTEX:
    case EMR_SETVIEWPORTEXTEX: {
      const SIZE s{i32(8), i32(12)};
      if (s.cx == 0 || s.cy == 0) return true;
      if (st_.page.mapMode != MM_ISOTROPIC && st_.page.mapMode != MM_ANISOTROPIC) return true;
      (r.type == EMR_SETWINDOWEXTEX ? st_.page.winExt : st_.page.vpExt) = s;
      ApplyTransform();
      return true;
    }
    case EMR_SETWINDOWORGEX: st_.page.winOrg = POINT{i32(8), i32(12)}; ApplyTransform(); return true;
    case EMR_SETVIEWPORTORGEX: st_.page.vpOrg = POINT{i32(8), i32(12)}; ApplyTransform(); return true;
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX: {
      const LONG xn = i32(8), xd = i32(12), yn = i32(16), yd = i32(20);
      if (xd == 0 || yd == 0 || st_.page.mapMode < MM_ISOTROPIC) return true;
      SIZE& e = r.type == EMR_SCALEVIEWPORTEXTEX ? st_.page.vpExt : st_.page.winExt;
      const int64_t cx = int64_t(e.cx) * xn / xd, cy = int64_t(e.cy) * yn / yd;
      if (cx == 0 || cy == 0 || cx != LONG(cx) || cy != LONG(cy)) return true;
      e = SIZE{LONG(cx), LONG(cy)};
      ApplyTransform();
      return true;
    }
    case EMR_SETWORLDTRANSFORM: st_.world = Load<XFORM>(p + 8); ApplyTransform(); return true;
    case EMR_MODIFYWORLDTRANSFORM: {
      const XFORM x = Load<XFORM>(p + 8);
      const gdi::Matrix m = gdi::ToMatrix(x), w = gdi::ToMatrix(st_.world);
      switch (u32(32)) {
        case MWT_IDENTITY: st_.world = XFORM{1, 0, 0, 1, 0, 0}; break;
        case MWT_LEFTMULTIPLY: st_.world = gdi::ToXform(m.Then(w)); break;
        case MWT_RIGHTMULTIPLY: st_.world = gdi::ToXform(w.Then(m)); break;
        case 4: st_.world = x; break;  // set
        default: return false;
      }
      ApplyTransform();
      return true;
    }
    case EMR_SAVEDC:
      if (!SaveDC(hdc_)) return false;
      saved_.push_back(st_);
      return true;
    case EMR_RESTOREDC: {
      const LONG rel = i32(8);
      // Only the metafile's own saved states can be restored.
      if (rel >= 0 || uint64_t(-int64_t(rel)) > saved_.size()) return false;
      if (!RestoreDC(hdc_, rel)) return false;
      st_ = saved_[saved_.size() - size_t(-int64_t(rel))];
      saved_.resize(saved_.size() - size_t(-int64_t(rel)));
      ApplyTransform();
      return true;
    }

    // Attributes.
    case EMR_SETBKMODE: SetBkMode(hdc_, int(u32(8))); return true;
    case EMR_SETPOLYFILLMODE: SetPolyFillMode(hdc_, int(u32(8))); return true;
    case EMR_SETROP2: SetROP2(hdc_, int(u32(8))); return true;
    case EMR_SETSTRETCHBLTMODE: SetStretchBltMode(hdc_, int(u32(8))); return true;
    case EMR_SETTEXTALIGN: SetTextAlign(hdc_, u32(8)); return true;
    case EMR_SETTEXTCOLOR: SetTextColor(hdc_, u32(8)); return true;
    case EMR_SETBKCOLOR: SetBkColor(hdc_, u32(8)); return true;
    case EMR_SETARCDIRECTION: SetArcDirection(hdc_, int(u32(8))); return true;
    case EMR_SETMITERLIMIT: {
      // Written as a float by some and as an integer by others.
      const DWORD raw = u32(8);
      FLOAT f;
      std::memcpy(&f, &raw, 4);
      if (!(std::isfinite(f) && f >= 1)) f = FLOAT(raw);
      SetMiterLimit(hdc_, f, nullptr);
      return true;
    }
    case EMR_SETBRUSHORGEX: SetBrushOrgEx(hdc_, i32(8), i32(12), nullptr); return true;
    case EMR_SETTEXTJUSTIFICATION: SetTextJustification(hdc_, i32(8), i32(12)); return true;

    // Objects.
    case EMR_CREATEPEN:
    case EMR_EXTCREATEPEN:
    case EMR_CREATEBRUSHINDIRECT:
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_CREATEMONOBRUSH:
    case EMR_EXTCREATEFONTINDIRECTW:
    case EMR_CREATEPALETTE:
      return PlayObject(r);
    case EMR_SELECTOBJECT:
    case EMR_SELECTPALETTE: {
      const DWORD ih = u32(8);
      HGDIOBJ o = nullptr;
      if (ih & ENHMETA_STOCK_OBJECT) {
        o = GetStockObject(int(ih & ~ENHMETA_STOCK_OBJECT));
      } else if (SlotOk(ih)) {
        o = table_[ih];
      }
      if (!o) return false;
      if (r.type == EMR_SELECTPALETTE) return SelectPalette(hdc_, static_cast<HPALETTE>(o), TRUE) != nullptr;
      return SelectObject(hdc_, o) != nullptr;
    }
    case EMR_DELETEOBJECT: {
      // Deleting a slot that holds nothing is a known slip of writers: nothing to do.
      const DWORD ih = u32(8);
      if (SlotOk(ih) && table_[ih]) {
        DeleteObject(table_[ih]);
        table_[ih] = nullptr;
      }
      return true;
    }
    case EMR_REALIZEPALETTE: RealizePalette(hdc_); return true;
    case EMR_SETPALETTEENTRIES: {
      const DWORD ih = u32(8), start = u32(12), n = u32(16);
      if (!Inside(size, 20, 20, n, sizeof(PALETTEENTRY))) return Damage();
      if (!SlotOk(ih) || !table_[ih]) return false;
      return SetPaletteEntries(static_cast<HPALETTE>(table_[ih]), start, n,
                               reinterpret_cast<const PALETTEENTRY*>(p + 20)) != 0 || n == 0;
    }
    case EMR_RESIZEPALETTE: return true;

    // Lines and shapes.
    case EMR_MOVETOEX: return MoveToEx(hdc_, i32(8), i32(12), nullptr) != 0;
    case EMR_LINETO: return LineTo(hdc_, i32(8), i32(12)) != 0;
    case EMR_SETPIXELV: SetPixelV(hdc_, i32(8), i32(12), u32(16)); return true;
    case EMR_RECTANGLE: return Rectangle(hdc_, i32(8), i32(12), i32(16), i32(20)) != 0;
    case EMR_ELLIPSE: return Ellipse(hdc_, i32(8), i32(12), i32(16), i32(20)) != 0;
    case EMR_ROUNDRECT: return RoundRect(hdc_, i32(8), i32(12), i32(16), i32(20), i32(24), i32(28)) != 0;
    case EMR_ARC:
    case EMR_ARCTO:
    case EMR_CHORD:
    case EMR_PIE: {
      const int a[8] = {i32(8), i32(12), i32(16), i32(20), i32(24), i32(28), i32(32), i32(36)};
      auto fn = r.type == EMR_ARC ? Arc : r.type == EMR_ARCTO ? ArcTo : r.type == EMR_CHORD ? Chord : Pie;
      return fn(hdc_, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]) != 0;
    }
    case EMR_ANGLEARC: {
      FLOAT start, sweep;
      std::memcpy(&start, p + 20, 4);
      std::memcpy(&sweep, p + 24, 4);
      if (!std::isfinite(start) || !std::isfinite(sweep)) return false;
      return AngleArc(hdc_, i32(8), i32(12), u32(16), start, sweep) != 0;
    }
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
      return PlayPoly(r, false);
    case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16: case EMR_POLYLINETO16:
      return PlayPoly(r, true);
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: return PlayPolyPoly(r, false);
    case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16: return PlayPolyPoly(r, true);
    case EMR_POLYDRAW: return PlayPolyDraw(r, false);
    case EMR_POLYDRAW16: return PlayPolyDraw(r, true);

    // Paths.
    case EMR_BEGINPATH: return BeginPath(hdc_) != 0;
    case EMR_ENDPATH: return EndPath(hdc_) != 0;
    case EMR_CLOSEFIGURE: return CloseFigure(hdc_) != 0;
    case EMR_FILLPATH: return FillPath(hdc_) != 0;
    case EMR_STROKEANDFILLPATH: return StrokeAndFillPath(hdc_) != 0;
    case EMR_STROKEPATH: return StrokePath(hdc_) != 0;
    case EMR_FLATTENPATH: return FlattenPath(hdc_) != 0;
    case EMR_WIDENPATH: return WidenPath(hdc_) != 0;
    case EMR_ABORTPATH: return AbortPath(hdc_) != 0;
    case EMR_SELECTCLIPPATH: {
      const BOOL ok = SelectClipPath(hdc_, int(u32(8)));
      KeepInsideStart();
      return ok != 0;
    }

    // Clipping.
    case EMR_INTERSECTCLIPRECT: IntersectClipRect(hdc_, i32(8), i32(12), i32(16), i32(20)); return true;
    case EMR_EXCLUDECLIPRECT: ExcludeClipRect(hdc_, i32(8), i32(12), i32(16), i32(20)); return true;
    case EMR_OFFSETCLIPRGN: {
      // Offsets in logical units of the metafile: moved as device pixels of the target.
      double x0, y0, x1, y1;
      const gdi::Matrix m = gdi::ToMatrix(st_.world).Then(base_);
      m.Apply(0, 0, x0, y0);
      m.Apply(i32(8), i32(12), x1, y1);
      POINT o[2] = {{0, 0}, {0, 0}};
      (void)o;
      auto dc = gdi::FindDc(hdc_);
      if (!dc) return false;
      // OffsetClipRgn takes logical units of the target: convert the device offset back.
      const gdi::Matrix t = gdi::LogicalToDevice(dc->st);
      gdi::Matrix inv;
      if (!t.Invert(inv)) return false;
      double lx0, ly0, lx1, ly1;
      inv.Apply(x0, y0, lx0, ly0);
      inv.Apply(x1, y1, lx1, ly1);
      OffsetClipRgn(hdc_, int(std::lround(std::clamp(lx1 - lx0, -1e9, 1e9))), int(std::lround(std::clamp(ly1 - ly0, -1e9, 1e9))));
      KeepInsideStart();
      return true;
    }
    case EMR_EXTSELECTCLIPRGN:
    case EMR_FILLRGN:
    case EMR_FRAMERGN:
    case EMR_INVERTRGN:
    case EMR_PAINTRGN:
      return PlayRegion(r);

    // Text.
    case EMR_EXTTEXTOUTW: return PlayText(r, true);
    case EMR_EXTTEXTOUTA: return PlayText(r, false);
    case EMR_POLYTEXTOUTW: return PlayPolyText(r, true);
    case EMR_POLYTEXTOUTA: return PlayPolyText(r, false);
    case EMR_SMALLTEXTOUT: return PlaySmallText(r);

    // Bitmaps and fills.
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_MASKBLT:
    case EMR_STRETCHDIBITS:
    case EMR_SETDIBITSTODEVICE:
      return PlayDibBlit(r);
    case EMR_ALPHABLEND: return PlayAlphaBlend(r);
    case EMR_TRANSPARENTBLT: return PlayTransparentBlt(r);
    case EMR_PLGBLT: return PlayPlgBlt(r);
    case EMR_EXTFLOODFILL: {
      const auto& e = *reinterpret_cast<const U_EMREXTFLOODFILL*>(p);
      COLORREF color;
      std::memcpy(&color, &e.crColor, sizeof(color));
      return ExtFloodFill(hdc_, e.ptlStart.x, e.ptlStart.y, color, e.iMode) != 0;
    }
    case EMR_GRADIENTFILL: {
      const DWORD nVert = u32(24), nMesh = u32(28), mode = u32(32);
      const uint64_t meshUnit = mode == GRADIENT_FILL_TRIANGLE ? sizeof(GRADIENT_TRIANGLE) : sizeof(GRADIENT_RECT);
      if (!Inside(size, 36, 36, nVert, sizeof(TRIVERTEX)) ||
          !Inside(size, 36, 36 + uint64_t(nVert) * sizeof(TRIVERTEX), nMesh, meshUnit))
        return Damage();
      std::vector<TRIVERTEX> v(nVert);
      if (nVert) std::memcpy(v.data(), p + 36, size_t(nVert) * sizeof(TRIVERTEX));
      std::vector<uint8_t> mesh(size_t(nMesh * meshUnit));
      if (nMesh) std::memcpy(mesh.data(), p + 36 + size_t(nVert) * sizeof(TRIVERTEX), mesh.size());
      return GradientFill(hdc_, v.data(), nVert, mesh.data(), nMesh, mode) != 0;
    }

    default:
      return true;  // records of kinds this player does not know are skipped
  }
}

bool Player::PlayPoly(const RecordRef& r, bool small) {
  const DWORD n = Load<DWORD>(r.p + 24);
  const uint64_t unit = small ? 4 : 8;
  if (!Inside(r.size, 28, 28, n, unit)) return Damage();
  std::vector<POINT> pts(n);
  for (DWORD i = 0; i < n; ++i) {
    if (small) {
      pts[i] = POINT{Load<int16_t>(r.p + 28 + 4 * i), Load<int16_t>(r.p + 30 + 4 * i)};
    } else {
      pts[i] = POINT{Load<LONG>(r.p + 28 + 8 * i), Load<LONG>(r.p + 32 + 8 * i)};
    }
  }
  const int count = int(n);
  switch (r.type) {
    case EMR_POLYBEZIER: case EMR_POLYBEZIER16: return PolyBezier(hdc_, pts.data(), n) != 0;
    case EMR_POLYGON: case EMR_POLYGON16: return Polygon(hdc_, pts.data(), count) != 0;
    case EMR_POLYLINE: case EMR_POLYLINE16: return Polyline(hdc_, pts.data(), count) != 0;
    case EMR_POLYBEZIERTO: case EMR_POLYBEZIERTO16: return PolyBezierTo(hdc_, pts.data(), n) != 0;
    default: return PolylineTo(hdc_, pts.data(), n) != 0;
  }
}

bool Player::PlayPolyPoly(const RecordRef& r, bool small) {
  const DWORD polys = Load<DWORD>(r.p + 24), total = Load<DWORD>(r.p + 28);
  const uint64_t unit = small ? 4 : 8;
  if (!Inside(r.size, 32, 32, polys, 4) || !Inside(r.size, 32, 32 + uint64_t(polys) * 4, total, unit)) return Damage();
  std::vector<DWORD> counts(polys);
  uint64_t sum = 0;
  for (DWORD i = 0; i < polys; ++i) {
    counts[i] = Load<DWORD>(r.p + 32 + 4 * i);
    sum += counts[i];
  }
  if (sum != total || polys > 0x7FFFFFFF) return Damage();
  const uint8_t* at = r.p + 32 + size_t(polys) * 4;
  std::vector<POINT> pts(total);
  for (DWORD i = 0; i < total; ++i)
    pts[i] = small ? POINT{Load<int16_t>(at + 4 * i), Load<int16_t>(at + 4 * i + 2)}
                   : POINT{Load<LONG>(at + 8 * i), Load<LONG>(at + 8 * i + 4)};
  if (r.type == EMR_POLYPOLYGON || r.type == EMR_POLYPOLYGON16) {
    std::vector<INT> ic(counts.begin(), counts.end());
    for (DWORD c : counts)
      if (c > 0x7FFFFFFF) return false;
    return PolyPolygon(hdc_, pts.data(), ic.data(), int(polys)) != 0;
  }
  return PolyPolyline(hdc_, pts.data(), counts.data(), polys) != 0;
}

bool Player::PlayPolyDraw(const RecordRef& r, bool small) {
  const DWORD n = Load<DWORD>(r.p + 24);
  const uint64_t unit = small ? 4 : 8;
  if (!Inside(r.size, 28, 28, n, unit) || !Inside(r.size, 28, 28 + uint64_t(n) * unit, n, 1)) return Damage();
  std::vector<POINT> pts(n);
  for (DWORD i = 0; i < n; ++i)
    pts[i] = small ? POINT{Load<int16_t>(r.p + 28 + 4 * i), Load<int16_t>(r.p + 30 + 4 * i)}
                   : POINT{Load<LONG>(r.p + 28 + 8 * i), Load<LONG>(r.p + 32 + 8 * i)};
  const BYTE* types = r.p + 28 + size_t(n) * unit;
  return PolyDraw(hdc_, pts.data(), types, int(n)) != 0;
}

bool Player::PlayTextRun(const uint8_t* rec, DWORD size, const uint8_t* t, bool wide, bool hasRect) {
  // EMRTEXT: reference point, chars, string offset, options, [rectangle], spacing offset.
  const LONG x = Load<LONG>(t), y = Load<LONG>(t + 4);
  const DWORD n = Load<DWORD>(t + 8), offString = Load<DWORD>(t + 12);
  UINT options = Load<DWORD>(t + 16);
  RECT rc{0, 0, 0, 0};
  size_t at = 20;
  if (hasRect) {
    rc = Load<RECT>(t + 20);
    at = 36;
  }
  const DWORD offDx = Load<DWORD>(t + at);
  if (n == 0) return true;
  if (!Inside(size, 8, offString, n, wide ? 2 : 1)) return Damage();
  const uint64_t dxCount = uint64_t(n) * ((options & ETO_PDY) ? 2 : 1);
  const bool hasDx = offDx != 0;
  if (hasDx && !Inside(size, 8, offDx, dxCount, 4)) return Damage();
  std::vector<INT> dx;
  if (hasDx) {
    dx.resize(size_t(dxCount));
    std::memcpy(dx.data(), rec + offDx, size_t(dxCount) * 4);
  }
  std::u16string text;
  if (wide) {
    text.resize(n);
    std::memcpy(text.data(), rec + offString, size_t(n) * 2);
  } else {
    // ANSI text: the spacing of a double-byte character is the sum of its two bytes'.
    const char* s = reinterpret_cast<const char*>(rec + offString);
    std::vector<INT> wdx;
    for (DWORD i = 0; i < n;) {
      WCHAR w[2];
      int used = 1;
      int got = 0;
      if (i + 1 < n && IsDBCSLeadByte(BYTE(s[i]))) {
        got = MultiByteToWideChar(CP_ACP, 0, s + i, 2, w, 2);
        if (got == 1) used = 2;
      }
      if (used == 1) got = MultiByteToWideChar(CP_ACP, 0, s + i, 1, w, 2);
      if (got != 1) w[0] = u'?';
      text.push_back(w[0]);
      if (hasDx) {
        if (options & ETO_PDY) {
          INT sx = 0, sy = 0;
          for (int k = 0; k < used; ++k) {
            sx += dx[2 * (i + k)];
            sy += dx[2 * (i + k) + 1];
          }
          wdx.push_back(sx);
          wdx.push_back(sy);
        } else {
          INT sx = 0;
          for (int k = 0; k < used; ++k) sx += dx[i + k];
          wdx.push_back(sx);
        }
      }
      i += DWORD(used);
    }
    dx.swap(wdx);
  }
  // Writers mark text opaque with an empty rectangle: there is nothing to fill.
  const bool emptyRect = rc.right <= rc.left || rc.bottom <= rc.top;
  if ((options & ETO_OPAQUE) && emptyRect) options &= ~UINT(ETO_OPAQUE);
  const bool useRect = hasRect && (options & (ETO_OPAQUE | ETO_CLIPPED));
  return ExtTextOutW(hdc_, x, y, options & ~UINT(0x100 | 0x200), useRect ? &rc : nullptr, text.data(), UINT(text.size()),
                     hasDx ? dx.data() : nullptr) != 0;
}

bool Player::PlayText(const RecordRef& r, bool wide) {
  // rclBounds, iGraphicsMode, exScale, eyScale, then the EMRTEXT.
  return PlayTextRun(r.p, r.size, r.p + 36, wide, true);
}

bool Player::PlayPolyText(const RecordRef& r, bool wide) {
  const DWORD n = Load<DWORD>(r.p + 32);
  constexpr uint64_t kText = 40;
  if (!Inside(r.size, 36, 36, n, kText)) return Damage();
  bool ok = true;
  for (DWORD i = 0; i < n; ++i) ok = PlayTextRun(r.p, r.size, r.p + 36 + kText * i, wide, true) && ok;
  return ok;
}

bool Player::PlaySmallText(const RecordRef& r) {
  // Dest, cChars, fuOptions, iGraphicsMode, exScale, eyScale, [rectangle], text.
  const LONG x = Load<LONG>(r.p + 8), y = Load<LONG>(r.p + 12);
  const DWORD n = Load<DWORD>(r.p + 16);
  UINT options = Load<DWORD>(r.p + 20);
  constexpr UINT kNoRect = 0x100, kSmallChars = 0x200;
  size_t at = 36;
  RECT rc{};
  if (!(options & kNoRect)) {
    if (r.size < 52) return Damage();
    rc = Load<RECT>(r.p + 36);
    at = 52;
  }
  const bool small = (options & kSmallChars) != 0;
  if (!Inside(r.size, at, at, n, small ? 1 : 2)) return Damage();
  std::u16string text(n, u'\0');
  for (DWORD i = 0; i < n; ++i) text[i] = small ? char16_t(r.p[at + i]) : Load<char16_t>(r.p + at + 2 * i);
  if ((options & ETO_OPAQUE) && (rc.right <= rc.left || rc.bottom <= rc.top)) options &= ~UINT(ETO_OPAQUE);
  const bool useRect = !(options & kNoRect) && (options & (ETO_OPAQUE | ETO_CLIPPED));
  return ExtTextOutW(hdc_, x, y, options & ~(kNoRect | kSmallChars), useRect ? &rc : nullptr, text.data(), n, nullptr) != 0;
}

bool Player::PlayDibBlit(const RecordRef& r) {
  const uint8_t* p = r.p;
  const DWORD size = r.size;
  switch (r.type) {
    case EMR_STRETCHDIBITS: {
      const auto& e = *reinterpret_cast<const U_EMRSTRETCHDIBITS*>(p);
      if (e.cbBmiSrc == 0) return PatBlt(hdc_, e.Dest.x, e.Dest.y, e.cDest.x, e.cDest.y, e.dwRop) != 0;
      RecordDib dib;
      if (!DibOf(p, size, 80, e.offBmiSrc, e.cbBmiSrc, e.offBitsSrc, e.cbBitsSrc, e.iUsageSrc, dib)) return Damage();
      return StretchDIBitsChecked(hdc_, e.Dest.x, e.Dest.y, e.cDest.x, e.cDest.y, e.Src.x, e.Src.y, e.cSrc.x, e.cSrc.y,
                                  dib.bits, dib.cbBits, dib.info, dib.cbInfo, e.iUsageSrc, e.dwRop) != 0;
    }
    case EMR_SETDIBITSTODEVICE: {
      const auto& e = *reinterpret_cast<const U_EMRSETDIBITSTODEVICE*>(p);
      RecordDib dib;
      if (!DibOf(p, size, 76, e.offBmiSrc, e.cbBmiSrc, e.offBitsSrc, e.cbBitsSrc, e.iUsageSrc, dib)) return Damage();
      if (e.cSrc.x < 0 || e.cSrc.y < 0) return false;
      return SetDIBitsToDeviceChecked(hdc_, e.Dest.x, e.Dest.y, DWORD(e.cSrc.x), DWORD(e.cSrc.y), e.Src.x, e.Src.y,
                                      e.iStartScan, e.cScans, dib.bits, dib.cbBits, dib.info, dib.cbInfo,
                                      e.iUsageSrc) != 0;
    }
    default: break;
  }
  // BitBlt, StretchBlt and MaskBlt share their first fields.
  const auto& e = *reinterpret_cast<const U_EMRBITBLT*>(p);
  U_POINTL cSrc = e.cDest;
  DWORD fixed = 100;
  if (r.type == EMR_STRETCHBLT) {
    cSrc = reinterpret_cast<const U_EMRSTRETCHBLT*>(p)->cSrc;
    fixed = 108;
  } else if (r.type == EMR_MASKBLT) {
    fixed = 128;
  }
  if (e.cbBmiSrc == 0) return PatBlt(hdc_, e.Dest.x, e.Dest.y, e.cDest.x, e.cDest.y, e.dwRop) != 0;
  RecordDib dib;
  if (!DibOf(p, size, fixed, e.offBmiSrc, e.cbBmiSrc, e.offBitsSrc, e.cbBitsSrc, e.iUsageSrc, dib)) return Damage();
  int sx, sy, sw, sh;
  if (r.type == EMR_MASKBLT && reinterpret_cast<const U_EMRMASKBLT*>(p)->cbBmiMask != 0) {
    // The source as a top-down section and the mask as a monochrome one: MaskBlt takes both.
    const auto& m = *reinterpret_cast<const U_EMRMASKBLT*>(p);
    RecordDib maskDib;
    if (!DibOf(p, size, fixed, m.offBmiMask, m.cbBmiMask, m.offBitsMask, m.cbBitsMask, m.iUsageMask, maskDib))
      return Damage();
    DibDc src, mask;
    if (!src.Make(dib) || !mask.MakeMask(maskDib)) return false;
    SectionRect(e.xformSrc, e.Src, cSrc, dib, sx, sy, sw, sh);
    return MaskBlt(hdc_, e.Dest.x, e.Dest.y, e.cDest.x, e.cDest.y, src.dc, sx, sy, mask.bitmap, m.Mask.x, m.Mask.y,
                   e.dwRop) != 0;
  }
  SourceRect(e.xformSrc, e.Src, cSrc, dib.parsed, sx, sy, sw, sh);
  return StretchDIBitsChecked(hdc_, e.Dest.x, e.Dest.y, e.cDest.x, e.cDest.y, sx, sy, sw, sh, dib.bits, dib.cbBits,
                              dib.info, dib.cbInfo, e.iUsageSrc, e.dwRop & 0x00FFFFFF) != 0;
}

bool Player::PlayAlphaBlend(const RecordRef& r) {
  const auto& e = *reinterpret_cast<const U_EMRALPHABLEND*>(r.p);
  if (e.cbBmiSrc == 0) return true;
  RecordDib dib;
  if (!DibOf(r.p, r.size, 108, e.offBmiSrc, e.cbBmiSrc, e.offBitsSrc, e.cbBitsSrc, e.iUsageSrc, dib)) return Damage();
  DibDc src;
  if (!src.Make(dib)) return false;
  int sx, sy, sw, sh;
  SectionRect(e.xformSrc, e.Src, e.cSrc, dib, sx, sy, sw, sh);
  BLENDFUNCTION bf;
  std::memcpy(&bf, &e.Blend, sizeof(bf));
  return AlphaBlend(hdc_, e.Dest.x, e.Dest.y, e.cDest.x, e.cDest.y, src.dc, sx, sy, sw, sh, bf) != 0;
}

bool Player::PlayTransparentBlt(const RecordRef& r) {
  const auto& e = *reinterpret_cast<const U_EMRTRANSPARENTBLT*>(r.p);
  if (e.cbBmiSrc == 0) return true;
  RecordDib dib;
  if (!DibOf(r.p, r.size, 108, e.offBmiSrc, e.cbBmiSrc, e.offBitsSrc, e.cbBitsSrc, e.iUsageSrc, dib)) return Damage();
  DibDc src;
  if (!src.Make(dib)) return false;
  int sx, sy, sw, sh;
  SectionRect(e.xformSrc, e.Src, e.cSrc, dib, sx, sy, sw, sh);
  return TransparentBlt(hdc_, e.Dest.x, e.Dest.y, e.cDest.x, e.cDest.y, src.dc, sx, sy, sw, sh, e.TColor) != 0;
}

bool Player::PlayPlgBlt(const RecordRef& r) {
  const auto& e = *reinterpret_cast<const U_EMRPLGBLT*>(r.p);
  if (e.cbBmiSrc == 0) return true;
  RecordDib dib, maskDib;
  if (!DibOf(r.p, r.size, 140, e.offBmiSrc, e.cbBmiSrc, e.offBitsSrc, e.cbBitsSrc, e.iUsageSrc, dib)) return Damage();
  if (e.cbBmiMask != 0 &&
      !DibOf(r.p, r.size, 140, e.offBmiMask, e.cbBmiMask, e.offBitsMask, e.cbBitsMask, e.iUsageMask, maskDib))
    return Damage();
  DibDc src, mask;
  if (!src.Make(dib) || (e.cbBmiMask != 0 && !mask.MakeMask(maskDib))) return false;
  int sx, sy, sw, sh;
  SectionRect(e.xformSrc, e.Src, e.cSrc, dib, sx, sy, sw, sh);
  const POINT pts[3] = {{e.aptlDst[0].x, e.aptlDst[0].y}, {e.aptlDst[1].x, e.aptlDst[1].y},
                        {e.aptlDst[2].x, e.aptlDst[2].y}};
  return PlgBlt(hdc_, pts, src.dc, sx, sy, sw, sh, mask.bitmap, e.Mask.x, e.Mask.y) != 0;
}

bool Player::PlayObject(const RecordRef& r) {
  const uint8_t* p = r.p;
  const DWORD size = r.size;
  const DWORD ih = Load<DWORD>(p + 8);
  if (!SlotOk(ih)) return false;
  HGDIOBJ made = nullptr;
  switch (r.type) {
    case EMR_CREATEPEN: {
      // LOGPEN: style, width as a point (x used), colour.
      made = CreatePen(int(Load<DWORD>(p + 12)), Load<LONG>(p + 16), Load<DWORD>(p + 24));
      break;
    }
    case EMR_EXTCREATEPEN: {
      const auto& e = *reinterpret_cast<const U_EMREXTCREATEPEN*>(p);
      const DWORD entries = e.elp.elpNumEntries;
      if (!Inside(size, 52, 52, entries, 4)) return Damage();
      std::vector<DWORD> styleEntries(entries);
      if (entries) std::memcpy(styleEntries.data(), p + 52, size_t(entries) * 4);
      const COLORREF color = Load<DWORD>(p + 40);
      LOGBRUSH lb{e.elp.elpBrushStyle, color, e.elp.elpHatch};
      // Pattern pens are drawn with their colour.
      if (lb.lbStyle != BS_SOLID && lb.lbStyle != BS_HATCHED && lb.lbStyle != BS_NULL && lb.lbStyle != BS_HOLLOW)
        lb.lbStyle = BS_SOLID;
      made = ExtCreatePen(e.elp.elpPenStyle, e.elp.elpWidth, &lb, entries, entries ? styleEntries.data() : nullptr);
      if (!made) made = CreatePen(PS_SOLID, 0, color);
      break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
      LOGBRUSH lb{Load<DWORD>(p + 12), Load<DWORD>(p + 16), Load<DWORD>(p + 20)};
      if (lb.lbStyle != BS_SOLID && lb.lbStyle != BS_HATCHED && lb.lbStyle != BS_NULL) lb.lbStyle = BS_SOLID;
      made = CreateBrushIndirect(&lb);
      break;
    }
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_CREATEMONOBRUSH: {
      const auto& e = *reinterpret_cast<const U_EMRCREATEDIBPATTERNBRUSHPT*>(p);
      // A monochrome brush is drawn in the DC's colours: its colour table, of either kind that
      // writers use (two colours, or two palette indexes as a printer DC records it), is only
      // read past.
      const UINT usage = e.iUsage;
      RecordDib dib;
      if (!DibOf(p, size, 32, e.offBmi, e.cbBmi, e.offBits, e.cbBits, usage > DIB_PAL_COLORS ? DIB_RGB_COLORS : usage, dib)) return Damage();
      if (dib.parsed.width <= 0 || dib.parsed.height <= 0 || dib.cbBits < dib.parsed.imageSize) return false;
      if (r.type == EMR_CREATEMONOBRUSH) {
        // A monochrome pattern: drawn in the DC's text and background colours.
        if (dib.parsed.bpp != 1 || dib.parsed.compression != BI_RGB) return false;
        const int w = dib.parsed.width, h = dib.parsed.height;
        const size_t row = (size_t(w) + 15) / 16 * 2;
        std::vector<uint8_t> packed(row * size_t(h));
        for (int y = 0; y < h; ++y) {
          const int srcRow = dib.parsed.topDown ? y : h - 1 - y;
          std::memcpy(packed.data() + row * size_t(y), dib.bits + dib.parsed.stride * size_t(srcRow), std::min(row, dib.parsed.stride));
        }
        HBITMAP bm = CreateBitmap(w, h, 1, 1, packed.data());
        if (!bm) return false;
        made = CreatePatternBrush(bm);
        DeleteObject(bm);
        break;
      }
      std::vector<uint8_t> packed(size_t(e.cbBmi) + dib.parsed.imageSize);
      std::memcpy(packed.data(), dib.info, e.cbBmi);
      std::memcpy(packed.data() + e.cbBmi, dib.bits, dib.parsed.imageSize);
      // The packed form needs the bits right after the header and colour table.
      if (dib.parsed.infoSize != e.cbBmi) {
        std::vector<uint8_t> tight(dib.parsed.infoSize + dib.parsed.imageSize);
        std::memcpy(tight.data(), dib.info, std::min<size_t>(dib.parsed.infoSize, e.cbBmi));
        std::memcpy(tight.data() + dib.parsed.infoSize, dib.bits, dib.parsed.imageSize);
        if (dib.parsed.infoSize > e.cbBmi) return false;
        packed.swap(tight);
      }
      made = CreateDIBPatternBrushPt(packed.data(), usage);
      break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
      LOGFONTW lf;
      std::memcpy(&lf, p + 12, sizeof(lf));
      lf.lfFaceName[LF_FACESIZE - 1] = 0;
      made = CreateFontIndirectW(&lf);
      break;
    }
    case EMR_CREATEPALETTE: {
      // LOGPALETTE: version, count, entries.
      const WORD n = Load<WORD>(p + 14);
      if (!Inside(size, 16, 16, n, sizeof(PALETTEENTRY)) || n == 0) return Damage();
      std::vector<uint8_t> lp(4 + size_t(n) * 4);
      std::memcpy(lp.data(), p + 12, lp.size());
      made = CreatePalette(reinterpret_cast<const LOGPALETTE*>(lp.data()));
      break;
    }
    default: return true;
  }
  if (!made) return false;
  Store(ih, made);
  return true;
}

bool Player::PlayRegion(const RecordRef& r) {
  const uint8_t* p = r.p;
  const DWORD size = r.size;
  DWORD cb = 0, at = 0;
  switch (r.type) {
    case EMR_EXTSELECTCLIPRGN: cb = Load<DWORD>(p + 8); at = 16; break;
    case EMR_FILLRGN: cb = Load<DWORD>(p + 24); at = 32; break;
    case EMR_FRAMERGN: cb = Load<DWORD>(p + 24); at = 40; break;
    default: cb = Load<DWORD>(p + 24); at = 28; break;
  }
  if (!Inside(size, at, at, cb, 1)) return Damage();
  if (r.type == EMR_EXTSELECTCLIPRGN) {
    const int mode = int(Load<DWORD>(p + 12));
    if (cb == 0) {
      // No region: back to the clip the target had when playing began (only with RGN_COPY).
      if (mode != RGN_COPY) return false;
      SelectClipRgn(hdc_, initialClip_);
      return true;
    }
    HRGN rgn = RegionOf(p + at, cb);
    if (!rgn) return Damage();
    const int got = ExtSelectClipRgn(hdc_, rgn, mode);
    DeleteObject(rgn);
    KeepInsideStart();
    return got != ERROR;
  }
  HRGN rgn = RegionOf(p + at, cb);
  if (!rgn) return Damage();
  BOOL ok = FALSE;
  switch (r.type) {
    case EMR_FILLRGN:
    case EMR_FRAMERGN: {
      const DWORD ih = Load<DWORD>(p + 28);
      HGDIOBJ brush = (ih & ENHMETA_STOCK_OBJECT) ? GetStockObject(int(ih & ~ENHMETA_STOCK_OBJECT))
                                                  : (SlotOk(ih) ? table_[ih] : nullptr);
      if (brush && r.type == EMR_FILLRGN) ok = FillRgn(hdc_, rgn, static_cast<HBRUSH>(brush));
      if (brush && r.type == EMR_FRAMERGN)
        ok = FrameRgn(hdc_, rgn, static_cast<HBRUSH>(brush), Load<LONG>(p + 32), Load<LONG>(p + 36));
      break;
    }
    case EMR_INVERTRGN: ok = InvertRgn(hdc_, rgn); break;
    default: ok = PaintRgn(hdc_, rgn); break;
  }
  DeleteObject(rgn);
  return ok != 0;
}

}  // namespace zolt::host::emf
