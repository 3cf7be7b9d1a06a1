// The recording DC: CreateEnhMetaFileW, the records written for the calls made on it, and
// CloseEnhMetaFile, which completes the header (bounds, frame, counts, handles, description)
// and, when a file was named, writes the metafile there.
#include "emf/recorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

#include "emf/metafile.h"
#include "gdi/dib.h"
#include "gdi/xform.h"
#include "win32/hostpath.h"

namespace zolt::host::gdi {

namespace {

std::vector<DcRecorder*>& Recorders() {
  static std::vector<DcRecorder*> all;
  return all;
}

void Put(std::vector<uint8_t>& out, const void* p, size_t n) {
  const auto* b = static_cast<const uint8_t*>(p);
  out.insert(out.end(), b, b + n);
}
template <class T>
void PutValue(std::vector<uint8_t>& out, const T& v) {
  Put(out, &v, sizeof(T));
}

constexpr RECTL kNoBounds{0, 0, -1, -1};

// Region data of a region (device coordinates).
std::vector<uint8_t> RegionBytes(HRGN rgn) {
  const DWORD n = GetRegionData(rgn, 0, nullptr);
  std::vector<uint8_t> data(n);
  if (n && GetRegionData(rgn, n, reinterpret_cast<RGNDATA*>(data.data())) != n) data.clear();
  return data;
}

// A 32-bit top-down DIB of a surface's pixels (colours resolved through the surface's format).
void SurfaceDib(const Surface& s, int x0, int y0, int w, int h, std::vector<uint8_t>& info, std::vector<uint8_t>& bits,
                bool keepAlpha) {
  BITMAPINFOHEADER bih{};
  bih.biSize = sizeof(bih);
  bih.biWidth = w;
  bih.biHeight = -h;
  bih.biPlanes = 1;
  bih.biBitCount = 32;
  bih.biCompression = BI_RGB;
  bih.biSizeImage = DWORD(w) * DWORD(h) * 4;
  info.assign(reinterpret_cast<const uint8_t*>(&bih), reinterpret_cast<const uint8_t*>(&bih) + sizeof(bih));
  bits.assign(size_t(w) * size_t(h) * 4, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!s.Contains(x0 + x, y0 + y)) continue;
      const DWORD px = s.Get(x0 + x, y0 + y);
      const COLORREF c = s.ColorOf(px);
      uint8_t* at = bits.data() + (size_t(y) * size_t(w) + size_t(x)) * 4;
      at[0] = GetBValue(c);
      at[1] = GetGValue(c);
      at[2] = GetRValue(c);
      at[3] = keepAlpha && s.bpp == 32 ? uint8_t(px >> 24) : 0;
    }
}

// A blit record with its bitmap: the fixed part, then the header and the bits.
void AppendDib(std::vector<uint8_t>& rec, size_t offBmiAt, const std::vector<uint8_t>& info, const std::vector<uint8_t>& bits) {
  auto set = [&](size_t at, DWORD v) { std::memcpy(rec.data() + at, &v, 4); };
  const size_t off = rec.size() + 8;  // offsets count from the record's start (type and size first)
  set(offBmiAt, DWORD(off));
  set(offBmiAt + 4, DWORD(info.size()));
  set(offBmiAt + 8, DWORD(off + info.size()));
  set(offBmiAt + 12, DWORD(bits.size()));
  Put(rec, info.data(), info.size());
  Put(rec, bits.data(), bits.size());
}

}  // namespace

DcRecorder::DcRecorder() { Recorders().push_back(this); }

DcRecorder::~DcRecorder() {
  auto& all = Recorders();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void DcRecorder::Bytes(DWORD type, const void* payload, size_t n) {
  const size_t padded = (n + 3) / 4 * 4;
  PutValue(bytes, type);
  PutValue(bytes, DWORD(8 + padded));
  Put(bytes, payload, n);
  bytes.resize(bytes.size() + (padded - n));
  ++records;
}

void DcRecorder::Words(DWORD type, std::initializer_list<uint32_t> words) {
  std::vector<uint32_t> w(words);
  Bytes(type, w.data(), w.size() * 4);
}

void DcRecorder::TouchDevice(const RECT& r) {
  if (r.right < r.left || r.bottom < r.top) return;
  if (!drew) {
    bounds = r;
    drew = true;
    return;
  }
  bounds.left = std::min(bounds.left, r.left);
  bounds.top = std::min(bounds.top, r.top);
  bounds.right = std::max(bounds.right, r.right);
  bounds.bottom = std::max(bounds.bottom, r.bottom);
}

RECTL DcRecorder::DeviceBoundsOf(const POINT* pts, size_t n) const {
  if (!n) return kNoBounds;
  const Matrix m = LogicalToDevice(dc->st);
  double l = 1e300, t = 1e300, r = -1e300, b = -1e300;
  for (size_t i = 0; i < n; ++i) {
    double x, y;
    m.Apply(pts[i].x, pts[i].y, x, y);
    l = std::min(l, x);
    t = std::min(t, y);
    r = std::max(r, x);
    b = std::max(b, y);
  }
  auto clampInt = [](double v) { return LONG(std::clamp(std::floor(v), -2e9, 2e9)); };
  return RECTL{clampInt(l), clampInt(t), clampInt(r), clampInt(b)};
}

void DcRecorder::Touch(const POINT* pts, size_t n, int grow) {
  const RECTL r = DeviceBoundsOf(pts, n);
  if (r.right < r.left) return;
  TouchDevice(RECT{r.left - grow, r.top - grow, r.right + grow, r.bottom + grow});
}

RECTL DcRecorder::DestBounds(int x, int y, int w, int h) {
  const POINT corners[2] = {{x, y}, {x + w, y + h}};
  RECTL b = DeviceBoundsOf(corners, 2);
  b.right -= 1;
  b.bottom -= 1;
  TouchDevice(RECT{b.left, b.top, b.right, b.bottom});
  return b;
}

void DcRecorder::TouchBox(int l, int t, int r, int b) {
  const POINT pts[4] = {{l, t}, {r, t}, {r, b}, {l, b}};
  // The pen's half width around a shape.
  const int grow = int(dc->st.pen->width / 2 + 1);
  Touch(pts, 4, grow);
}

// ---------------------------------------------------------------------------------------------
// Objects.

DWORD DcRecorder::SlotOf(HGDIOBJ object) {
  auto o = FindObject(object);
  if (!o) return 0;
  if (o->stock) {
    for (int i = 0; i <= DC_PEN; ++i)
      if (GetStockObject(i) == object) return ENHMETA_STOCK_OBJECT | DWORD(i);
    return 0;
  }
  if (auto it = slots.find(object); it != slots.end()) return it->second;
  DWORD slot = 1;
  while (slot < used.size() && used[slot]) ++slot;
  if (slot >= 0xFFFF) return 0;
  std::vector<uint8_t> rec;
  DWORD type = 0;
  PutValue(rec, slot);
  switch (o->type) {
    case OBJ_PEN: {
      const auto& pen = static_cast<const PenObj&>(*o);
      if (!pen.extended) {
        type = EMR_CREATEPEN;
        PutValue(rec, DWORD(pen.style));
        PutValue(rec, POINTL{LONG(pen.width), 0});
        PutValue(rec, pen.color);
        break;
      }
      type = EMR_EXTCREATEPEN;
      const DWORD words[] = {0, 0, 0, 0, pen.style, pen.width, pen.brushStyle, pen.color, DWORD(pen.hatch),
                             DWORD(pen.userStyle.size())};
      Put(rec, words, sizeof(words));
      for (DWORD e : pen.userStyle) PutValue(rec, e);
      break;
    }
    case OBJ_BRUSH: {
      const auto& brush = static_cast<const BrushObj&>(*o);
      if (brush.style == BS_DIBPATTERNPT && !brush.packedDib.empty()) {
        DibInfo info;
        if (!ParseDib(reinterpret_cast<const BITMAPINFO*>(brush.packedDib.data()), brush.packedDib.size(), DIB_RGB_COLORS,
                      nullptr, info) ||
            info.infoSize + info.imageSize > brush.packedDib.size())
          return 0;
        type = EMR_CREATEDIBPATTERNBRUSHPT;
        PutValue(rec, DWORD(brush.dibUsage));
        const std::vector<uint8_t> head(brush.packedDib.begin(), brush.packedDib.begin() + ptrdiff_t(info.infoSize));
        const std::vector<uint8_t> bits(brush.packedDib.begin() + ptrdiff_t(info.infoSize),
                                        brush.packedDib.begin() + ptrdiff_t(info.infoSize + info.imageSize));
        rec.resize(rec.size() + 16);
        AppendDib(rec, 8, head, bits);
        break;
      }
      if ((brush.style == BS_PATTERN || brush.style == BS_DIBPATTERNPT) && brush.pattern) {
        const Surface& s = *brush.pattern;
        std::vector<uint8_t> head, bits;
        if (s.bpp == 1 && s.monoDevice) {
          // A monochrome pattern: a one-bit DIB drawn in the DC's colours.
          type = EMR_CREATEMONOBRUSH;
          PutValue(rec, DWORD(DIB_PAL_COLORS));
          BITMAPINFOHEADER bih{};
          bih.biSize = sizeof(bih);
          bih.biWidth = s.width;
          bih.biHeight = -s.height;
          bih.biPlanes = 1;
          bih.biBitCount = 1;
          const size_t row = RowBytes(s.width, 1, 4);
          bih.biSizeImage = DWORD(row * size_t(s.height));
          head.assign(reinterpret_cast<const uint8_t*>(&bih), reinterpret_cast<const uint8_t*>(&bih) + sizeof(bih));
          const WORD indexes[2] = {0, 1};
          head.insert(head.end(), reinterpret_cast<const uint8_t*>(indexes), reinterpret_cast<const uint8_t*>(indexes) + 4);
          bits.assign(bih.biSizeImage, 0);
          for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
              if (s.Get(x, y)) bits[row * size_t(y) + size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
        } else {
          type = EMR_CREATEDIBPATTERNBRUSHPT;
          PutValue(rec, DWORD(DIB_RGB_COLORS));
          SurfaceDib(s, 0, 0, s.width, s.height, head, bits, false);
        }
        rec.resize(rec.size() + 16);
        AppendDib(rec, 8, head, bits);
        break;
      }
      type = EMR_CREATEBRUSHINDIRECT;
      PutValue(rec, DWORD(brush.style));
      PutValue(rec, brush.color);
      PutValue(rec, DWORD(brush.hatch));
      break;
    }
    case OBJ_FONT: {
      type = EMR_EXTCREATEFONTINDIRECTW;
      const auto& font = static_cast<const FontObj&>(*o);
      PutValue(rec, font.lf);
      rec.resize(4 + 320);  // the extended form's names and panose, empty
      break;
    }
    case OBJ_PAL: {
      type = EMR_CREATEPALETTE;
      const auto& pal = static_cast<const PaletteObj&>(*o);
      PutValue(rec, WORD(0x300));
      PutValue(rec, WORD(pal.entries.size()));
      for (const PALETTEENTRY& e : pal.entries) PutValue(rec, e);
      break;
    }
    default:
      return 0;
  }
  if (slot >= used.size()) used.resize(slot + 1, false);
  used[slot] = true;
  slots[object] = slot;
  Bytes(type, rec.data(), rec.size());
  return slot;
}

bool DcRecorder::Select(HGDIOBJ object) {
  auto o = FindObject(object);
  if (!o) return false;
  if (o->type == OBJ_REGION) {
    Region(EMR_EXTSELECTCLIPRGN, static_cast<HRGN>(object), RGN_COPY, nullptr, 0, 0);
    return true;
  }
  const DWORD slot = SlotOf(object);
  if (!slot) return false;
  Words(o->type == OBJ_PAL ? EMR_SELECTPALETTE : EMR_SELECTOBJECT, {slot});
  return true;
}

void DcRecorder::Deleted(HGDIOBJ object) {
  auto it = slots.find(object);
  if (it == slots.end()) return;
  Words(EMR_DELETEOBJECT, {it->second});
  used[it->second] = false;
  slots.erase(it);
}

// ---------------------------------------------------------------------------------------------
// Drawing.

void DcRecorder::Poly(DWORD type32, DWORD type16, const POINT* pts, DWORD n) {
  if (!pts) return;
  const bool small = std::all_of(pts, pts + n, [](const POINT& p) {
    return p.x >= -32768 && p.x <= 32767 && p.y >= -32768 && p.y <= 32767;
  });
  std::vector<uint8_t> rec;
  const RECTL b = DeviceBoundsOf(pts, n);
  PutValue(rec, b);
  PutValue(rec, n);
  for (DWORD i = 0; i < n; ++i) {
    if (small) {
      PutValue(rec, int16_t(pts[i].x));
      PutValue(rec, int16_t(pts[i].y));
    } else {
      PutValue(rec, pts[i]);
    }
  }
  Touch(pts, n, int(dc->st.pen->width / 2 + 1));
  Bytes(small ? type16 : type32, rec.data(), rec.size());
}

void DcRecorder::PolyPoly(DWORD type32, DWORD type16, const POINT* pts, const DWORD* counts, DWORD polys) {
  if (!pts || !counts) return;
  uint64_t total = 0;
  for (DWORD i = 0; i < polys; ++i) total += counts[i];
  if (total > 0x0FFFFFFF) return;
  const bool small = std::all_of(pts, pts + total, [](const POINT& p) {
    return p.x >= -32768 && p.x <= 32767 && p.y >= -32768 && p.y <= 32767;
  });
  std::vector<uint8_t> rec;
  PutValue(rec, DeviceBoundsOf(pts, size_t(total)));
  PutValue(rec, polys);
  PutValue(rec, DWORD(total));
  Put(rec, counts, size_t(polys) * 4);
  for (uint64_t i = 0; i < total; ++i) {
    if (small) {
      PutValue(rec, int16_t(pts[i].x));
      PutValue(rec, int16_t(pts[i].y));
    } else {
      PutValue(rec, pts[i]);
    }
  }
  Touch(pts, size_t(total), int(dc->st.pen->width / 2 + 1));
  Bytes(small ? type16 : type32, rec.data(), rec.size());
}

void DcRecorder::PolyDraw(const POINT* pts, const BYTE* types, DWORD n) {
  if (!pts || !types) return;
  std::vector<uint8_t> rec;
  PutValue(rec, DeviceBoundsOf(pts, n));
  PutValue(rec, n);
  Put(rec, pts, size_t(n) * sizeof(POINT));
  Put(rec, types, n);
  Touch(pts, n, int(dc->st.pen->width / 2 + 1));
  Bytes(EMR_POLYDRAW, rec.data(), rec.size());
}

void DcRecorder::Text(int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT n, const INT* dx) {
  if (n && !text) return;
  if (n > 0x00FFFFFF) return;
  // rclBounds, iGraphicsMode, exScale, eyScale, then the text record: reference, count, string
  // offset, options, rectangle, spacing offset; the string and spacing follow.
  const size_t dxCount = dx ? size_t(n) * ((options & ETO_PDY) ? 2 : 1) : 0;
  constexpr DWORD kFixed = 8 + 16 + 12 + 40;
  const DWORD offString = kFixed;
  const DWORD stringBytes = DWORD((size_t(n) * 2 + 3) / 4 * 4);
  const DWORD offDx = dx ? offString + stringBytes : 0;
  SIZE extent{0, 0};
  GetTextExtentPoint32W(static_cast<HDC>(dc->handle), text ? text : u"", int(n), &extent);
  const POINT corners[2] = {{x, y}, {x + extent.cx, y + extent.cy}};
  RECTL b = DeviceBoundsOf(corners, 2);
  if (rect) {
    const POINT rc[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    const RECTL r = DeviceBoundsOf(rc, 2);
    b = RECTL{std::min(b.left, r.left), std::min(b.top, r.top), std::max(b.right, r.right), std::max(b.bottom, r.bottom)};
  }
  TouchDevice(RECT{b.left, b.top, b.right, b.bottom});
  std::vector<uint8_t> rec;
  PutValue(rec, b);
  PutValue(rec, DWORD(dc->st.graphicsMode));
  PutValue(rec, FLOAT(1));
  PutValue(rec, FLOAT(1));
  PutValue(rec, POINTL{x, y});
  PutValue(rec, DWORD(n));
  PutValue(rec, offString);
  PutValue(rec, DWORD(options));
  PutValue(rec, rect ? RECTL{rect->left, rect->top, rect->right, rect->bottom} : RECTL{0, 0, 0, 0});
  PutValue(rec, offDx);
  Put(rec, text, size_t(n) * 2);
  rec.resize(offString - 8 + stringBytes);
  if (dx) Put(rec, dx, dxCount * 4);
  Bytes(EMR_EXTTEXTOUTW, rec.data(), rec.size());
}

void DcRecorder::Region(DWORD type, HRGN rgn, DWORD mode, HBRUSH brush, int w, int h) {
  std::vector<uint8_t> data;
  if (rgn) data = RegionBytes(rgn);
  if (rgn && data.empty()) return;
  std::vector<uint8_t> rec;
  if (type == EMR_EXTSELECTCLIPRGN) {
    PutValue(rec, DWORD(data.size()));
    PutValue(rec, mode);
  } else {
    RECT box{0, 0, 0, 0};
    GetRgnBox(rgn, &box);
    PutValue(rec, RECTL{box.left, box.top, box.right - 1, box.bottom - 1});
    TouchDevice(RECT{box.left, box.top, box.right - 1, box.bottom - 1});
    PutValue(rec, DWORD(data.size()));
    if (type == EMR_FILLRGN || type == EMR_FRAMERGN) {
      const DWORD slot = SlotOf(brush);
      if (!slot) return;
      PutValue(rec, slot);
    }
    if (type == EMR_FRAMERGN) {
      PutValue(rec, LONG(w));
      PutValue(rec, LONG(h));
    }
  }
  Put(rec, data.data(), data.size());
  Bytes(type, rec.data(), rec.size());
}

void DcRecorder::PatternBlit(int x, int y, int w, int h, DWORD rop) {
  // A BitBlt record without a bitmap.
  std::vector<uint8_t> rec(100 - 8, 0);
  const RECTL b = DestBounds(x, y, w, h);
  const LONG words[] = {b.left, b.top, b.right, b.bottom, x, y, w, h, LONG(rop)};
  std::memcpy(rec.data(), words, sizeof(words));
  const XFORM identity{1, 0, 0, 1, 0, 0};
  std::memcpy(rec.data() + 44, &identity, sizeof(identity));
  Bytes(EMR_BITBLT, rec.data(), rec.size());
}

namespace {

// The source rectangle of a transfer in the source DC's pixels as a 32-bit top-down DIB; false
// when the DC has no bitmap or the rectangle is empty or too large.
bool SourceDibOf(const DcObj& sdc, int sx, int sy, int sw, int sh, bool keepAlpha, int& pw, int& ph,
                 std::vector<uint8_t>& info, std::vector<uint8_t>& bits) {
  const Surface* s = sdc.Target();
  if (!s) return false;
  const Matrix sm = LogicalToSurface(sdc);
  double x0, y0, x1, y1;
  sm.Apply(sx, sy, x0, y0);
  sm.Apply(double(sx) + sw, double(sy) + sh, x1, y1);
  const int px = RoundCoord(std::min(x0, x1)), py = RoundCoord(std::min(y0, y1));
  pw = std::abs(RoundCoord(x1) - RoundCoord(x0)), ph = std::abs(RoundCoord(y1) - RoundCoord(y0));
  if (pw <= 0 || ph <= 0 || int64_t(pw) * ph > (int64_t(1) << 26)) return false;
  SurfaceDib(*s, px, py, pw, ph, info, bits, keepAlpha);
  return true;
}

// w x h pixels of a monochrome bitmap from (x, y) as a 1-bit top-down DIB (outside: 0).
bool MaskDibOf(HBITMAP mask, int x, int y, int w, int h, std::vector<uint8_t>& info, std::vector<uint8_t>& bits) {
  auto bm = FindAs<BitmapObj>(mask, OBJ_BITMAP);
  if (!bm || bm->surface.bpp != 1) return false;
  const Surface& s = bm->surface;
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[2];
  } head{};
  head.h.biSize = sizeof(BITMAPINFOHEADER);
  head.h.biWidth = w;
  head.h.biHeight = -h;
  head.h.biPlanes = 1;
  head.h.biBitCount = 1;
  head.h.biCompression = BI_RGB;
  head.h.biClrUsed = 2;
  head.colors[1] = RGBQUAD{255, 255, 255, 0};
  const size_t stride = RowBytes(w, 1, 4);
  head.h.biSizeImage = DWORD(stride * size_t(h));
  info.assign(reinterpret_cast<const uint8_t*>(&head), reinterpret_cast<const uint8_t*>(&head) + sizeof(head));
  bits.assign(stride * size_t(h), 0);
  for (int yy = 0; yy < h; ++yy)
    for (int xx = 0; xx < w; ++xx)
      if (s.Contains(x + xx, y + yy) && (s.Get(x + xx, y + yy) & 1))
        bits[size_t(yy) * stride + size_t(xx >> 3)] |= uint8_t(0x80 >> (xx & 7));
  return true;
}

// The part every source-taking record shares after its destination fields: Src (0, 0: the
// bitmap is the source rectangle itself), xformSrc, crBkColorSrc, iUsageSrc and room for the
// bitmap's offsets (returned).
size_t PutSourceFields(std::vector<uint8_t>& rec, const DcObj& sdc) {
  PutValue(rec, POINTL{0, 0});
  const XFORM identity{1, 0, 0, 1, 0, 0};
  PutValue(rec, identity);
  PutValue(rec, ResolveColor(sdc, sdc.st.bkColor));
  PutValue(rec, DWORD(DIB_RGB_COLORS));
  const size_t offsetsAt = rec.size();
  rec.resize(rec.size() + 16);
  return offsetsAt;
}

}  // namespace

void DcRecorder::DcBlit(DWORD type, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop,
                        const BLENDFUNCTION* blend) {
  auto sdc = FindDc(src);
  if (!sdc || !sdc->Target()) {
    if (type == EMR_BITBLT) PatternBlit(x, y, w, h, rop);
    return;
  }
  int pw, ph;
  std::vector<uint8_t> info, bits;
  if (!SourceDibOf(*sdc, sx, sy, sw, sh, type == EMR_ALPHABLEND, pw, ph, info, bits)) return;
  const RECTL b = DestBounds(x, y, w, h);
  // rclBounds, Dest, cDest, dwRop (the blend, the transparent colour), the source fields, then
  // cSrc for the stretching kinds.
  std::vector<uint8_t> rec;
  PutValue(rec, b);
  PutValue(rec, POINTL{x, y});
  PutValue(rec, POINTL{w, h});
  if (blend) {
    PutValue(rec, *blend);
  } else {
    PutValue(rec, rop);
  }
  const size_t offsetsAt = PutSourceFields(rec, *sdc);
  if (type != EMR_BITBLT) PutValue(rec, POINTL{pw, ph});
  AppendDib(rec, offsetsAt, info, bits);
  Bytes(type, rec.data(), rec.size());
}

void DcRecorder::MaskBlit(int x, int y, int w, int h, HDC src, int sx, int sy, HBITMAP mask, int mx, int my,
                          DWORD rop) {
  auto sdc = FindDc(src);
  int pw, ph;
  std::vector<uint8_t> info, bits, maskInfo, maskBits;
  if (!sdc || !SourceDibOf(*sdc, sx, sy, w, h, false, pw, ph, info, bits) ||
      !MaskDibOf(mask, mx, my, pw, ph, maskInfo, maskBits))
    return;
  std::vector<uint8_t> rec;
  PutValue(rec, DestBounds(x, y, w, h));
  PutValue(rec, POINTL{x, y});
  PutValue(rec, POINTL{w, h});
  PutValue(rec, rop);
  const size_t offsetsAt = PutSourceFields(rec, *sdc);
  // Mask (0, 0: the mask bitmap is the mask rectangle), iUsageMask, the mask's offsets.
  PutValue(rec, POINTL{0, 0});
  PutValue(rec, DWORD(DIB_RGB_COLORS));
  const size_t maskOffsetsAt = rec.size();
  rec.resize(rec.size() + 16);
  AppendDib(rec, offsetsAt, info, bits);
  AppendDib(rec, maskOffsetsAt, maskInfo, maskBits);
  Bytes(EMR_MASKBLT, rec.data(), rec.size());
}

void DcRecorder::PlgBlit(const POINT* pts, HDC src, int sx, int sy, int w, int h, HBITMAP mask, int mx, int my) {
  auto sdc = FindDc(src);
  int pw, ph;
  std::vector<uint8_t> info, bits, maskInfo, maskBits;
  if (!sdc || !SourceDibOf(*sdc, sx, sy, w, h, false, pw, ph, info, bits)) return;
  if (mask && !MaskDibOf(mask, mx, my, pw, ph, maskInfo, maskBits)) return;
  // The fourth corner closes the parallelogram.
  const POINT corners[4] = {pts[0], pts[1], pts[2], POINT{pts[1].x + pts[2].x - pts[0].x, pts[1].y + pts[2].y - pts[0].y}};
  std::vector<uint8_t> rec;
  PutValue(rec, DeviceBoundsOf(corners, 4));
  Touch(corners, 4);
  for (int i = 0; i < 3; ++i) PutValue(rec, POINTL{pts[i].x, pts[i].y});
  // Src, cSrc, xformSrc, crBkColorSrc, iUsageSrc, the bitmap's offsets.
  PutValue(rec, POINTL{0, 0});
  PutValue(rec, POINTL{pw, ph});
  const XFORM identity{1, 0, 0, 1, 0, 0};
  PutValue(rec, identity);
  PutValue(rec, ResolveColor(*sdc, sdc->st.bkColor));
  PutValue(rec, DWORD(DIB_RGB_COLORS));
  const size_t offsetsAt = rec.size();
  rec.resize(rec.size() + 16);
  PutValue(rec, POINTL{0, 0});
  PutValue(rec, DWORD(DIB_RGB_COLORS));
  const size_t maskOffsetsAt = rec.size();
  rec.resize(rec.size() + 16);
  AppendDib(rec, offsetsAt, info, bits);
  if (mask) AppendDib(rec, maskOffsetsAt, maskInfo, maskBits);
  Bytes(EMR_PLGBLT, rec.data(), rec.size());
}

void DcRecorder::DibBlit(DWORD type, int x, int y, int w, int h, int sx, int sy, int sw, int sh, UINT startScan,
                         UINT lines, const void* bits, const BITMAPINFO* bmi, UINT usage, DWORD rop) {
  DibInfo info;
  if (!bmi || !ParseDib(bmi, size_t(1) << 20, usage, dc->st.palette.get(), info)) return;
  size_t bitsSize = info.imageSize;
  if (type == EMR_SETDIBITSTODEVICE && info.compression != BI_RLE8 && info.compression != BI_RLE4)
    bitsSize = info.stride * std::min<size_t>(lines, size_t(info.height));
  if (bitsSize > (size_t(1) << 28)) return;
  const std::vector<uint8_t> head(reinterpret_cast<const uint8_t*>(bmi), reinterpret_cast<const uint8_t*>(bmi) + info.infoSize);
  std::vector<uint8_t> data;
  const bool useSrc = type == EMR_SETDIBITSTODEVICE || (((rop >> 2) ^ rop) & 0x330000) != 0;
  if (useSrc && bits) data.assign(static_cast<const uint8_t*>(bits), static_cast<const uint8_t*>(bits) + bitsSize);
  const RECTL b = DestBounds(x, y, w, h);
  std::vector<uint8_t> rec;
  PutValue(rec, b);
  PutValue(rec, POINTL{x, y});
  if (type == EMR_STRETCHDIBITS) {
    PutValue(rec, POINTL{sx, sy});
    PutValue(rec, POINTL{sw, sh});
    const size_t offsetsAt = rec.size();
    rec.resize(rec.size() + 16);
    PutValue(rec, DWORD(usage));
    PutValue(rec, rop);
    PutValue(rec, POINTL{w, h});
    if (data.empty()) {
      Bytes(type, rec.data(), rec.size());
      return;
    }
    AppendDib(rec, offsetsAt, head, data);
  } else {
    PutValue(rec, POINTL{sx, sy});
    PutValue(rec, POINTL{w, h});
    const size_t offsetsAt = rec.size();
    rec.resize(rec.size() + 16);
    PutValue(rec, DWORD(usage));
    PutValue(rec, DWORD(startScan));
    PutValue(rec, DWORD(lines));
    AppendDib(rec, offsetsAt, head, data);
  }
  Bytes(type, rec.data(), rec.size());
}

void DcRecorder::Gradient(const TRIVERTEX* v, ULONG nv, const void* mesh, ULONG nm, ULONG mode) {
  if ((nv && !v) || (nm && !mesh) || nv > 0x00FFFFFF || nm > 0x00FFFFFF) return;
  std::vector<POINT> pts(nv);
  for (ULONG i = 0; i < nv; ++i) pts[i] = POINT{v[i].x, v[i].y};
  std::vector<uint8_t> rec;
  PutValue(rec, DeviceBoundsOf(pts.data(), nv));
  Touch(pts.data(), nv);
  PutValue(rec, DWORD(nv));
  PutValue(rec, DWORD(nm));
  PutValue(rec, DWORD(mode));
  Put(rec, v, size_t(nv) * sizeof(TRIVERTEX));
  Put(rec, mesh, size_t(nm) * (mode == GRADIENT_FILL_TRIANGLE ? sizeof(GRADIENT_TRIANGLE) : sizeof(GRADIENT_RECT)));
  Bytes(EMR_GRADIENTFILL, rec.data(), rec.size());
}

}  // namespace zolt::host::gdi

namespace zolt::host::emf {

RecordScope::RecordScope(HDC hdc) {
  GDI_LOCK();
  dc_ = gdi::FindDc(hdc);
  if (!dc_ || !dc_->recorder) {
    dc_.reset();
    return;
  }
  if (dc_->recorder->depth++ == 0) rec_ = dc_->recorder.get();
}

RecordScope::~RecordScope() {
  if (dc_) {
    GDI_LOCK();
    --dc_->recorder->depth;
  }
}

void ObjectDeleted(HGDIOBJ object) {
  GDI_LOCK();
  for (gdi::DcRecorder* r : gdi::Recorders()) r->Deleted(object);
}

std::shared_ptr<gdi::DcRecorder> StartRecording(gdi::DcObj& dc, SIZE refPixels, SIZE refMillimeters, const RECT* frame) {
  auto rec = std::make_shared<gdi::DcRecorder>();
  rec->refPixels = refPixels;
  rec->refMillimeters = refMillimeters;
  if (frame) {
    rec->frameGiven = true;
    rec->frame = *frame;
  }
  rec->bytes.resize(sizeof(ENHMETAHEADER), 0);
  rec->records = 1;
  rec->dc = &dc;
  dc.recorder = rec;
  return rec;
}

void RecordState(gdi::DcRecorder& r, const gdi::DcState& st) {
  for (HGDIOBJ o : {st.pen ? st.pen->handle : nullptr, st.brush ? st.brush->handle : nullptr,
                    st.font ? st.font->handle : nullptr})
    if (o) r.Select(o);
  r.Words(EMR_SETTEXTCOLOR, {st.textColor});
  r.Words(EMR_SETBKCOLOR, {st.bkColor});
  r.Words(EMR_SETBKMODE, {DWORD(st.bkMode)});
  r.Words(EMR_SETROP2, {DWORD(st.rop2)});
  r.Words(EMR_SETPOLYFILLMODE, {DWORD(st.polyFillMode)});
  r.Words(EMR_SETSTRETCHBLTMODE, {DWORD(st.stretchMode)});
  r.Words(EMR_SETTEXTALIGN, {st.textAlign});
  r.Words(EMR_SETMAPMODE, {DWORD(st.mapMode)});
  if (st.mapMode == MM_ISOTROPIC || st.mapMode == MM_ANISOTROPIC) {
    r.Words(EMR_SETWINDOWEXTEX, {DWORD(st.windowExt.cx), DWORD(st.windowExt.cy)});
    r.Words(EMR_SETVIEWPORTEXTEX, {DWORD(st.viewportExt.cx), DWORD(st.viewportExt.cy)});
  }
  r.Words(EMR_SETWINDOWORGEX, {DWORD(st.windowOrg.x), DWORD(st.windowOrg.y)});
  r.Words(EMR_SETVIEWPORTORGEX, {DWORD(st.viewportOrg.x), DWORD(st.viewportOrg.y)});
  if (st.graphicsMode == GM_ADVANCED) r.Bytes(EMR_SETWORLDTRANSFORM, &st.world, sizeof(XFORM));
}

std::vector<uint8_t> FinishRecording(gdi::DcRecorder& r) {
  r.Words(EMR_EOF, {0, 16, 20});
  ENHMETAHEADER h{};
  h.iType = EMR_HEADER;
  h.nSize = DWORD(sizeof(ENHMETAHEADER) + (r.description.size() * 2 + 3) / 4 * 4);
  h.rclBounds = r.drew ? RECTL{r.bounds.left, r.bounds.top, r.bounds.right, r.bounds.bottom} : RECTL{0, 0, -1, -1};
  const double kx = r.refMillimeters.cx * 100.0 / std::max<LONG>(1, r.refPixels.cx);
  const double ky = r.refMillimeters.cy * 100.0 / std::max<LONG>(1, r.refPixels.cy);
  if (r.frameGiven) {
    h.rclFrame = RECTL{r.frame.left, r.frame.top, r.frame.right, r.frame.bottom};
  } else if (r.drew) {
    h.rclFrame = RECTL{LONG(std::lround(r.bounds.left * kx)), LONG(std::lround(r.bounds.top * ky)),
                       LONG(std::lround((r.bounds.right + 1) * kx)), LONG(std::lround((r.bounds.bottom + 1) * ky))};
  }
  h.dSignature = ENHMETA_SIGNATURE;
  h.nVersion = 0x10000;
  h.nBytes = DWORD(r.bytes.size());
  h.nRecords = r.records;
  h.nHandles = WORD(std::max<size_t>(1, r.used.size()));
  h.nDescription = DWORD(r.description.size());
  h.offDescription = r.description.empty() ? 0 : DWORD(sizeof(ENHMETAHEADER));
  h.szlDevice = SIZEL{r.refPixels.cx, r.refPixels.cy};
  h.szlMillimeters = SIZEL{r.refMillimeters.cx, r.refMillimeters.cy};
  h.szlMicrometers = SIZEL{r.refMillimeters.cx * 1000, r.refMillimeters.cy * 1000};
  std::memcpy(r.bytes.data(), &h, sizeof(h));
  if (!r.description.empty()) std::memcpy(r.bytes.data() + sizeof(h), r.description.data(), r.description.size() * 2);
  return std::move(r.bytes);
}

}  // namespace zolt::host::emf

using namespace zolt::host;
using namespace zolt::host::gdi;

WIN32_API HDC WINAPI CreateEnhMetaFileW(HDC hdcRef, LPCWSTR lpFilename, const RECT* lprc, LPCWSTR lpDescription) {
  GDI_LOCK();
  HDC ref = hdcRef;
  bool ownRef = false;
  if (!ref) {
    ref = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
    ownRef = true;
  } else if (!FindDc(ref)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto rec = std::make_shared<DcRecorder>();
  rec->refPixels = SIZE{GetDeviceCaps(ref, HORZRES), GetDeviceCaps(ref, VERTRES)};
  rec->refMillimeters = SIZE{GetDeviceCaps(ref, HORZSIZE), GetDeviceCaps(ref, VERTSIZE)};
  auto refDc = FindDc(ref);
  auto dc = std::make_shared<DcObj>();
  dc->type = OBJ_ENHMETADC;
  dc->display = true;
  dc->logPixelsX = refDc->logPixelsX;
  dc->logPixelsY = refDc->logPixelsY;
  dc->st.pen = std::static_pointer_cast<PenObj>(StockObject(BLACK_PEN));
  dc->st.brush = std::static_pointer_cast<BrushObj>(StockObject(WHITE_BRUSH));
  dc->st.font = std::static_pointer_cast<FontObj>(StockObject(SYSTEM_FONT));
  dc->st.palette = std::static_pointer_cast<PaletteObj>(StockObject(DEFAULT_PALETTE));
  if (ownRef) DeleteDC(ref);
  if (lprc) {
    rec->frameGiven = true;
    rec->frame = *lprc;
  }
  if (lpDescription) {
    // "application\0picture\0\0": both strings and the final NUL.
    const WCHAR* p = lpDescription;
    for (int part = 0; part < 2; ++part) {
      while (*p) rec->description.push_back(*p++);
      rec->description.push_back(0);
      ++p;
      if (part == 0 && !*p) break;
    }
    rec->description.push_back(0);
  }
  if (lpFilename) rec->file = lpFilename;
  // The header's place; filled in on close.
  rec->bytes.resize(sizeof(ENHMETAHEADER) + (rec->description.size() * 2 + 3) / 4 * 4, 0);
  rec->records = 1;
  rec->dc = dc.get();
  dc->recorder = rec;
  return static_cast<HDC>(InsertObject(dc));
}

WIN32_API HENHMETAFILE WINAPI CloseEnhMetaFile(HDC hdc) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc || !dc->recorder || dc->type != OBJ_ENHMETADC) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  DcRecorder& r = *dc->recorder;
  const std::u16string file = r.file;
  std::vector<uint8_t> bits = emf::FinishRecording(r);
  dc->recorder.reset();
  DeleteDC(hdc);
  if (!file.empty()) {
    DWORD error = 0;
    auto path = MapPath(file, Resolve::LastMayMiss, &error);
    if (!path) {
      SetLastError(error ? error : ERROR_PATH_NOT_FOUND);
      return nullptr;
    }
    std::ofstream out(*path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bits.data()), std::streamsize(bits.size()));
    if (!out.flush()) {
      SetLastError(ERROR_WRITE_FAULT);
      return nullptr;
    }
  }
  return emf::NewMetaFile(std::move(bits));
}

WIN32_API BOOL WINAPI GdiComment(HDC hdc, UINT nSize, const BYTE* lpData) {
  if (nSize && !lpData) return FALSE;
  emf::RecordScope rec(hdc);
  if (!rec) return gdi::FindDc(hdc) ? TRUE : FALSE;
  std::vector<uint8_t> payload(4);
  std::memcpy(payload.data(), &nSize, 4);
  payload.insert(payload.end(), lpData, lpData + nSize);
  rec->Bytes(EMR_GDICOMMENT, payload.data(), payload.size());
  return TRUE;
}
