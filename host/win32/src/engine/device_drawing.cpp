// The drawing of a printer DC on its module (see device_drawing.h): per call the engine objects
// of the drawing, the module's entry when the surface hooks it, the engine's own drawing when
// it does not, and the page's drawings kept for a banding surface.
#include "engine/device_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/device_fonts.h"
#include "engine/fonts.h"
#include "engine/pdev.h"
#include "gdi/bitmap.h"
#include "gdi/font.h"
#include "gdi/pen.h"

namespace zolt::host::engine {

namespace {

RECTL RectlOf(const RECT& r) { return RECTL{r.left, r.top, r.right, r.bottom}; }

RECT Moved(RECT r, const POINTL& org) {
  return RECT{r.left - org.x, r.top - org.y, r.right - org.x, r.bottom - org.y};
}

RECT Union(const RECT& a, const RECT& b) {
  if (a.right <= a.left || a.bottom <= a.top) return b;
  if (b.right <= b.left || b.bottom <= b.top) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

// What a drawing needs of the DC after its call has returned: colours, modes, brush and pen,
// brush origin and palette.
std::shared_ptr<gdi::DcObj> Snapshot(const gdi::DcObj& dc) {
  auto s = std::make_shared<gdi::DcObj>();
  s->st = dc.st;
  s->st.path.clear();
  s->st.clip.reset();
  s->origin = dc.origin;
  return s;
}

// The pixel format the engine draws in for a surface (its own for bitmaps; for a device
// surface the format of the bitmaps the engine hands the module).
gdi::Surface FormatOf(SURFOBJ* so) {
  gdi::Surface f;
  if (const gdi::Surface* px = PixelsOf(so)) {
    f.width = px->width, f.height = px->height, f.bpp = px->bpp;
    f.colors = px->colors;
    std::copy(std::begin(px->masks), std::end(px->masks), std::begin(f.masks));
    return f;
  }
  f.width = so->sizlBitmap.cx, f.height = so->sizlBitmap.cy;
  f.bpp = so->iBitmapFormat == BMF_1BPP ? 1 : 24;
  if (f.bpp == 1) f.colors = gdi::DefaultColorTable(1);
  return f;
}

// The clip of one drawing on a target: the page region within the band, moved to the
// surface; false when nothing of the drawing's bounds is left.
bool MakeClip(EngClip& c, const gdi::Region& page, const RECT& bounds, const PageTarget& t) {
  gdi::Region r = gdi::Region::Combine(page, gdi::Region(t.band), RGN_AND);
  r.Offset(-t.org.x, -t.org.y);
  r = gdi::Region::Combine(r, gdi::Region(RECT{0, 0, t.so->sizlBitmap.cx, t.so->sizlBitmap.cy}), RGN_AND);
  // Trivial only when the drawing lies wholly inside what it may touch.
  const RECT b = Moved(bounds, t.org);
  if (b.right <= b.left || b.bottom <= b.top) return false;
  SetClip(c, r, RectlOf(b), true);
  return !c.region.Empty();
}

// A copy of pixels handed to the module as an engine bitmap: 1 bit per pixel with the device
// colours of its two values, or 24 bits per pixel of colours.
struct Image {
  int w = 0, h = 0, bpp = 24;
  size_t stride = 0;
  std::vector<uint8_t> bits;
  ULONG table[2] = {0, 0};  // 1 bit per pixel: the device colours of 0 and 1
};

// The pixels of [x0, x1) x [y0, y1) of a surface.
std::shared_ptr<Image> CopyImage(const gdi::Surface& s, int x0, int y0, int x1, int y1, bool keepMono) {
  auto img = std::make_shared<Image>();
  img->w = x1 - x0, img->h = y1 - y0;
  img->bpp = keepMono && s.bpp == 1 ? 1 : 24;
  img->stride = gdi::RowBytes(img->w, img->bpp, 4);
  img->bits.assign(img->stride * size_t(img->h), 0);
  gdi::Surface rgb;
  rgb.bpp = 24;
  gdi::PixelConverter conv(s, rgb);
  for (int y = 0; y < img->h; ++y) {
    uint8_t* row = img->bits.data() + size_t(y) * img->stride;
    for (int x = 0; x < img->w; ++x) {
      const DWORD v = s.Get(x0 + x, y0 + y);
      if (img->bpp == 1) {
        if (v & 1) row[x >> 3] |= uint8_t(0x80 >> (x & 7));
      } else {
        const DWORD c = conv(v);
        row[3 * x] = uint8_t(c), row[3 * x + 1] = uint8_t(c >> 8), row[3 * x + 2] = uint8_t(c >> 16);
      }
    }
  }
  return img;
}

// A mask of w x h pixels: 1 where bit(x, y) holds.
template <class Fn>
std::shared_ptr<Image> MaskImage(int w, int h, Fn&& bit) {
  auto m = std::make_shared<Image>();
  m->w = w, m->h = h, m->bpp = 1;
  m->stride = gdi::RowBytes(w, 1, 4);
  m->bits.assign(m->stride * size_t(h), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (bit(x, y)) m->bits[size_t(y) * m->stride + size_t(x >> 3)] |= uint8_t(0x80 >> (x & 7));
  return m;
}

// An engine bitmap of an image, deleted with this object.
struct EngImage {
  HBITMAP hbm = nullptr;
  SURFOBJ* so = nullptr;
  EngImage(const Image& img) {
    hbm = EngCreateBitmap(SIZEL{img.w, img.h}, LONG(img.stride), FormatOfBpp(img.bpp), BMF_TOPDOWN, nullptr);
    if (!hbm) return;
    so = EngLockSurface(reinterpret_cast<HSURF>(hbm));
    for (int y = 0; y < img.h; ++y)
      std::memcpy(static_cast<uint8_t*>(so->pvScan0) + ptrdiff_t(y) * so->lDelta, img.bits.data() + size_t(y) * img.stride,
                  img.stride);
  }
  ~EngImage() {
    if (so) EngUnlockSurface(so);
    if (hbm) EngDeleteSurface(reinterpret_cast<HSURF>(hbm));
  }
  EngImage(const EngImage&) = delete;
  EngImage& operator=(const EngImage&) = delete;
};

// The colour translation from an image to the device.
void MakeXlate(EngXlate& x, const Image& img, const EngPalette* device) {
  x.xo.iUniq = 0;
  x.dst = device;
  if (img.bpp == 1) {
    x.table.assign(img.table, img.table + 2);
    x.xo.flXlate = XO_TABLE;
    x.xo.cEntries = 2;
    x.xo.pulXlate = x.table.data();
  } else {
    x.xo.flXlate = device && device->mode == PAL_INDEXED ? 0 : XO_TRIVIAL;
  }
  x.xo.iSrcType = PAL_BGR;
  x.xo.iDstType = USHORT(device ? device->mode : PAL_BGR);
}

// A brush of the DC for one drawing: a solid device colour, or a hatch or pattern that the
// module realises when it asks for it.
struct DrawBrush {
  EngBrush b;
  HBITMAP pattern = nullptr;
  EngXlate xlate;
  DrawBrush() = default;
  DrawBrush(const DrawBrush&) = delete;
  DrawBrush& operator=(const DrawBrush&) = delete;
  ~DrawBrush() {
    if (pattern) EngDeleteSurface(reinterpret_cast<HSURF>(pattern));
  }
};

void MakeBrush(DrawBrush& out, const gdi::DcObj& dc, const gdi::BrushObj& brush, const PageTarget& t,
               const EngPalette* pal, PFN realize) {
  EngBrush& b = out.b;
  b.target = t.so;
  const gdi::Surface format = FormatOf(t.so);
  b.paint = gdi::RealizeBrush(dc, brush, format);
  b.paintSet = true;
  b.realize = EntryAs<PFN_DrvRealizeBrush>(realize);
  auto device = [&](COLORREF c) { return DeviceOfColor(pal, gdi::ResolveColor(dc, c)); };
  if (brush.style == BS_SOLID || brush.style == BS_NULL || brush.style > BS_DIBPATTERNPT) {
    b.bo.iSolidColor = device(brush.dcBrush ? dc.st.dcBrushColor : brush.color);
    return;
  }
  b.bo.iSolidColor = 0xFFFFFFFF;
  out.xlate.dst = pal;
  if (brush.style == BS_HATCHED) {
    b.hatch = ULONG(brush.hatch < HS_DDI_MAX ? brush.hatch : 0);
    out.xlate.table = {device(brush.color), device(dc.st.bkColor)};
  } else {
    const gdi::Surface* pat = brush.pattern.get();
    if (!pat || pat->width <= 0 || pat->height <= 0) {
      b.bo.iSolidColor = device(RGB(0, 0, 0));
      return;
    }
    auto img = CopyImage(*pat, 0, 0, pat->width, pat->height, true);
    if (img->bpp == 1) {
      if (pat->monoDevice) {
        out.xlate.table = {device(dc.st.textColor), device(dc.st.bkColor)};
      } else {
        out.xlate.table = {device(gdi::ColorOfQuad(pat->colors.size() > 0 ? pat->colors[0] : RGBQUAD{})),
                           device(gdi::ColorOfQuad(pat->colors.size() > 1 ? pat->colors[1] : RGBQUAD{255, 255, 255, 0}))};
      }
    }
    EngImage e(*img);
    if (e.hbm) {
      EngUnlockSurface(e.so);
      e.so = nullptr;
      out.pattern = e.hbm;
      e.hbm = nullptr;
    }
    b.pattern = reinterpret_cast<HSURF>(out.pattern);
    b.hatch = HS_DDI_MAX;
    if (img->bpp != 1) out.xlate.xo.flXlate = pal && pal->mode == PAL_INDEXED ? 0 : XO_TRIVIAL;
  }
  if (!out.xlate.table.empty()) {
    out.xlate.xo.flXlate = XO_TABLE;
    out.xlate.xo.cEntries = ULONG(out.xlate.table.size());
    out.xlate.xo.pulXlate = out.xlate.table.data();
  }
  b.xlate = &out.xlate.xo;
}

// The brush origin of the DC on a target.
POINTL BrushOrigin(const gdi::DcObj& dc, const PageTarget& t) {
  return POINTL{dc.st.brushOrg.x + dc.origin.x - t.org.x, dc.st.brushOrg.y + dc.origin.y - t.org.y};
}

// The mix of a drawing: the DC's foreground mix, and for the gaps of hatches and styled lines
// the same mix, or no change when the background is transparent.
MIX MixOf(const gdi::DcObj& dc) {
  const MIX fg = MIX(dc.st.rop2 >= R2_BLACK && dc.st.rop2 <= R2_WHITE ? dc.st.rop2 : R2_COPYPEN);
  return fg | ((dc.st.bkMode == TRANSPARENT ? MIX(R2_NOP) : fg) << 8);
}

gdi::Shape MovedShape(const gdi::Shape& s, const POINTL& org) {
  gdi::Shape out = s;
  for (gdi::Figure& f : out)
    for (gdi::PointD& p : f.pts) p.x -= org.x, p.y -= org.y;
  return out;
}

RECT ShapeBox(const gdi::Shape& s, double grow) {
  double x0, y0, x1, y1;
  if (!gdi::ShapeBounds(s, x0, y0, x1, y1)) return RECT{0, 0, 0, 0};
  auto c = [](double v) { return LONG(std::clamp(v, -1e9, 1e9)); };
  return RECT{c(std::floor(x0 - grow)), c(std::floor(y0 - grow)), c(std::ceil(x1 + grow)) + 1,
              c(std::ceil(y1 + grow)) + 1};
}

// The pen of a stroke as line attributes (widths in device pixels, no world transform).
struct LineSpec {
  LINEATTRS la{};
  std::vector<FLOAT_LONG> style;
  double grow = 1;
};

LineSpec LineOf(const gdi::PenGeometry& g) {
  LineSpec s;
  if (g.cosmetic) {
    s.la.elWidth.l = 1;
    s.la.iJoin = JOIN_BEVEL;
    s.la.iEndCap = ENDCAP_BUTT;
    // Cosmetic styles go in style units, which the module (and the engine's own drawing)
    // measure by the device's style steps; PS_ALTERNATE is every other pixel.
    if (g.cosmeticStyle == PS_ALTERNATE) s.la.fl |= LA_ALTERNATE;
    const std::vector<int> units =
        g.cosmeticStyle == PS_USERSTYLE ? g.cosmeticDashes : gdi::StandardStyleUnits(g.cosmeticStyle);
    for (int v : units) {
      FLOAT_LONG fl;
      fl.l = v;
      s.style.push_back(fl);
    }
  } else {
    s.la.fl = LA_GEOMETRIC;
    s.la.elWidth.e = FLOATL(g.stroke.width);
    s.la.iJoin = g.stroke.join == PS_JOIN_BEVEL ? JOIN_BEVEL : g.stroke.join == PS_JOIN_MITER ? JOIN_MITER : JOIN_ROUND;
    s.la.iEndCap = g.stroke.cap == PS_ENDCAP_SQUARE ? ENDCAP_SQUARE
                   : g.stroke.cap == PS_ENDCAP_FLAT ? ENDCAP_BUTT
                                                    : ENDCAP_ROUND;
    s.la.eMiterLimit = FLOATL(g.stroke.miterLimit);
    for (double v : g.stroke.dashes) {
      FLOAT_LONG fl;
      fl.e = FLOATL(v);
      s.style.push_back(fl);
    }
    s.grow = g.stroke.width * std::max(1.0, g.stroke.join == PS_JOIN_MITER ? g.stroke.miterLimit : 1.0) + 1;
  }
  if (!s.style.empty()) {
    s.la.fl |= LA_STYLED;
    s.la.cstyle = ULONG(s.style.size());
  }
  return s;
}

// The brush a pen strokes with.
std::shared_ptr<gdi::BrushObj> PenBrush(const gdi::DcObj& dc) {
  auto b = std::make_shared<gdi::BrushObj>();
  const gdi::PenObj& pen = *dc.st.pen;
  b->style = pen.extended && (pen.brushStyle == BS_HATCHED || pen.brushStyle == BS_NULL) ? pen.brushStyle : BS_SOLID;
  b->color = gdi::PenColor(dc);
  b->hatch = pen.hatch;
  return b;
}

// The brush object behind a pointer the graphics interface gave (kept alive with the drawing).
std::shared_ptr<gdi::BrushObj> Keep(const gdi::BrushObj* brush) {
  if (brush && brush->handle) {
    if (auto b = gdi::FindAs<gdi::BrushObj>(brush->handle, OBJ_BRUSH); b && b.get() == brush) return b;
  }
  return brush ? std::make_shared<gdi::BrushObj>(*brush) : nullptr;
}

XFORMOBJ* IdentityXform() {
  static EngXform identity;
  return &identity.xo;
}

}  // namespace

PageDrawing::PageDrawing(HDEV hdev, HPALETTE devicePalette) : hdev_(hdev) { SetPalette(devicePalette); }

PageDrawing::~PageDrawing() { SetScratch(nullptr); }

void PageDrawing::SetPalette(HPALETTE pal) { palette_ = FindPalette(pal); }

void PageDrawing::SetScratch(SURFOBJ* scratch) {
  if (gdi::Surface* old = PixelsOf(scratch_)) old->dirty = nullptr, old->written = nullptr;
  scratch_ = scratch;
  dirty_ = RECT{0, 0, 0, 0};
  written_.clear();
  if (gdi::Surface* px = PixelsOf(scratch_)) {
    px->dirty = &dirty_;
    written_.assign(size_t(px->width) * size_t(px->height), 0);
    px->written = &written_;
  }
}

void PageDrawing::StartPage() {
  journal_.clear();
  failed_ = false;
  dirty_ = RECT{0, 0, 0, 0};
  std::fill(written_.begin(), written_.end(), uint8_t(0));
  inPage_ = true;
}

void PageDrawing::EndPage() {
  journal_.clear();
  inPage_ = false;
}

PFN PageDrawing::Entry(ULONG index, FLONG hook) const {
  EngSurface* s = SurfaceOf(so_);
  if (!s || (hook && !(s->hooks & hook))) return nullptr;
  return DriverEntry(hdev_, index);
}

bool PageDrawing::Run(PageOp op) {
  if (!so_ || !inPage_) return true;  // outside a page nothing is drawn
  if (banding_) {
    journal_.push_back(std::move(op));
    return true;
  }
  const PageTarget t{so_, POINTL{0, 0}, RECT{0, 0, so_->sizlBitmap.cx, so_->sizlBitmap.cy}};
  const bool ok = op(t);
  if (!ok) failed_ = true;
  return ok;
}

bool PageDrawing::PlayBand(POINTL org) {
  if (!so_) return false;
  const PageTarget t{so_, org, RECT{org.x, org.y, org.x + so_->sizlBitmap.cx, org.y + so_->sizlBitmap.cy}};
  bool ok = true;
  for (const PageOp& op : journal_) ok = op(t) && ok;
  if (!ok) failed_ = true;
  return ok;
}

// ---------------------------------------------------------------------------------------------
// Block transfers.

namespace {

struct BlitOp {
  RECT dest{};  // page pixels, ordered
  bool mirrorX = false, mirrorY = false;
  std::shared_ptr<Image> src, mask;
  RECTL srcRect{};
  uint8_t fore = 0xCC, back = 0xCC;
  std::shared_ptr<gdi::DcObj> dc;
  std::shared_ptr<gdi::BrushObj> brush;  // when the operation reads a pattern
  gdi::Region clip;
  ULONG mode = COLORONCOLOR;
};

}  // namespace

bool PageDrawing::Blit(gdi::DrawCtx& d, const gdi::DeviceBlit& blit) {
  if (!FlushScratch()) return false;
  if (!std::isfinite(blit.dx0) || !std::isfinite(blit.dx1) || !std::isfinite(blit.dy0) || !std::isfinite(blit.dy1))
    return false;
  auto op = std::make_shared<BlitOp>();
  op->fore = uint8_t(blit.rop >> 16);
  op->back = blit.mask ? uint8_t(blit.rop >> 24) : op->fore;
  const bool useSrc = gdi::RopUsesSource(op->fore) || gdi::RopUsesSource(op->back);
  const bool usePat = gdi::RopUsesPattern(op->fore) || gdi::RopUsesPattern(op->back);
  if (useSrc && !blit.src) return false;
  double x0 = std::min(blit.dx0, blit.dx1), x1 = std::max(blit.dx0, blit.dx1);
  double y0 = std::min(blit.dy0, blit.dy1), y1 = std::max(blit.dy0, blit.dy1);
  op->clip = blit.clip ? *blit.clip : d.clip;
  op->dc = Snapshot(*d.dc);
  if (usePat) {
    op->brush = blit.brush ? Keep(blit.brush) : d.dc->st.brush;
    if (op->brush && op->brush->style == BS_NULL) return true;
  }
  op->mode = ULONG(std::clamp(blit.stretchMode, BLACKONWHITE, HALFTONE));
  if (useSrc) {
    // The source rectangle within the source, the destination shrunk alike.
    const gdi::Surface& s = *blit.src;
    double sl = blit.sw < 0 ? blit.sx + blit.sw : blit.sx, st = blit.sh < 0 ? blit.sy + blit.sh : blit.sy;
    double sw = std::abs(blit.sw), sh = std::abs(blit.sh);
    if (sw == 0 || sh == 0) return true;
    op->mirrorX = (blit.dx1 < blit.dx0) != (blit.sw < 0);
    op->mirrorY = (blit.dy1 < blit.dy0) != (blit.sh < 0);
    const double kx = (x1 - x0) / sw, ky = (y1 - y0) / sh;
    const double cl = std::max(sl, 0.0), ct = std::max(st, 0.0);
    const double cr = std::min(sl + sw, double(s.width)), cb = std::min(st + sh, double(s.height));
    if (cr <= cl || cb <= ct) return true;
    if (op->mirrorX) {
      const double nx0 = x0 + (sl + sw - cr) * kx, nx1 = x1 - (cl - sl) * kx;
      x0 = nx0, x1 = nx1;
    } else {
      const double nx0 = x0 + (cl - sl) * kx, nx1 = x1 - (sl + sw - cr) * kx;
      x0 = nx0, x1 = nx1;
    }
    if (op->mirrorY) {
      const double ny0 = y0 + (st + sh - cb) * ky, ny1 = y1 - (ct - st) * ky;
      y0 = ny0, y1 = ny1;
    } else {
      const double ny0 = y0 + (ct - st) * ky, ny1 = y1 - (st + sh - cb) * ky;
      y0 = ny0, y1 = ny1;
    }
    op->src = CopyImage(s, int(cl), int(ct), int(cr), int(cb), true);
    if (op->src->bpp == 1) {
      const gdi::DcObj& dc = *d.dc;
      auto device = [&](COLORREF c) { return DeviceOfColor(palette_, gdi::ResolveColor(dc, c)); };
      if (s.monoDevice) {
        op->src->table[0] = device(dc.st.textColor);
        op->src->table[1] = device(dc.st.bkColor);
      } else {
        op->src->table[0] = device(gdi::ColorOfQuad(s.colors.size() > 0 ? s.colors[0] : RGBQUAD{}));
        op->src->table[1] = device(gdi::ColorOfQuad(s.colors.size() > 1 ? s.colors[1] : RGBQUAD{255, 255, 255, 0}));
      }
    }
    op->srcRect = RECTL{0, 0, op->src->w, op->src->h};
    if (blit.written) {
      // Run-length images: the pixels no run set are left alone.
      op->mask = MaskImage(op->src->w, op->src->h, [&](int x, int y) {
        return (*blit.written)[size_t(int(ct) + y) * size_t(s.width) + size_t(int(cl) + x)] != 0;
      });
      op->back = 0xAA;
    }
  }
  op->dest = RECT{gdi::RoundCoord(x0), gdi::RoundCoord(y0), gdi::RoundCoord(x1), gdi::RoundCoord(y1)};
  if (op->dest.right <= op->dest.left || op->dest.bottom <= op->dest.top) return true;
  if (blit.mask && !op->mask) {
    const int w = op->dest.right - op->dest.left, h = op->dest.bottom - op->dest.top;
    op->mask = MaskImage(w, h, [&](int x, int y) {
      return blit.mask->Contains(blit.mx + x, blit.my + y) && (blit.mask->Get(blit.mx + x, blit.my + y) & 1);
    });
  }
  const EngPalette* pal = palette_;
  return Run([this, op, pal](const PageTarget& t) -> bool {
    EngClip clip;
    if (!MakeClip(clip, op->clip, op->dest, t)) return true;
    RECTL dest = RectlOf(Moved(op->dest, t.org));
    DrawBrush brush;
    BRUSHOBJ* pbo = nullptr;
    POINTL brushOrg = BrushOrigin(*op->dc, t);
    if (op->brush) {
      MakeBrush(brush, *op->dc, *op->brush, t, pal, DriverEntry(hdev_, INDEX_DrvRealizeBrush));
      pbo = &brush.b.bo;
    }
    std::unique_ptr<EngImage> src, mask;
    EngXlate xlate;
    XLATEOBJ* pxlo = nullptr;
    if (op->src) {
      src = std::make_unique<EngImage>(*op->src);
      if (!src->so) return false;
      MakeXlate(xlate, *op->src, pal);
      pxlo = &xlate.xo;
    }
    if (op->mask) {
      mask = std::make_unique<EngImage>(*op->mask);
      if (!mask->so) return false;
    }
    SURFOBJ* psoSrc = src ? src->so : nullptr;
    SURFOBJ* psoMask = mask ? mask->so : nullptr;
    POINTL maskOrg{0, 0};
    const ROP4 rop4 = ROP4(op->fore) | (ROP4(op->mask ? op->back : op->fore) << 8);
    const bool stretched = op->src && (op->mirrorX || op->mirrorY || dest.right - dest.left != op->srcRect.right ||
                                       dest.bottom - dest.top != op->srcRect.bottom);
    if (!stretched) {
      POINTL srcOrg{0, 0};
      if (auto fn = EntryAs<PFN_DrvBitBlt>(Entry(INDEX_DrvBitBlt, HOOK_BITBLT)))
        return fn(t.so, psoSrc, psoMask, &clip.co, pxlo, &dest, psoSrc ? &srcOrg : nullptr,
                  psoMask ? &maskOrg : nullptr, pbo, &brushOrg, rop4) != FALSE;
      if (psoSrc && rop4 == 0xCCCC && !psoMask) {
        if (auto fn = EntryAs<PFN_DrvCopyBits>(Entry(INDEX_DrvCopyBits, HOOK_COPYBITS)))
          return fn(t.so, psoSrc, &clip.co, pxlo, &dest, &srcOrg) != FALSE;
      }
      return EngBitBlt(t.so, psoSrc, psoMask, &clip.co, pxlo, &dest, psoSrc ? &srcOrg : nullptr,
                       psoMask ? &maskOrg : nullptr, pbo, &brushOrg, rop4) != FALSE;
    }
    RECTL d2 = dest;
    if (op->mirrorX) std::swap(d2.left, d2.right);
    if (op->mirrorY) std::swap(d2.top, d2.bottom);
    RECTL srcRect = op->srcRect;
    COLORADJUSTMENT ca{};
    ca.caSize = sizeof(COLORADJUSTMENT);
    ca.caRedGamma = ca.caGreenGamma = ca.caBlueGamma = 10000;
    ca.caReferenceWhite = 10000;
    POINTL htOrg{0, 0};
    if (rop4 == 0xCCCC && !psoMask) {
      if (auto fn = EntryAs<PFN_DrvStretchBlt>(Entry(INDEX_DrvStretchBlt, HOOK_STRETCHBLT)))
        return fn(t.so, psoSrc, nullptr, &clip.co, pxlo, &ca, &htOrg, &d2, &srcRect, nullptr, op->mode) != FALSE;
    }
    if (auto fn = EntryAs<PFN_DrvStretchBltROP>(Entry(INDEX_DrvStretchBltROP, HOOK_STRETCHBLTROP)))
      return fn(t.so, psoSrc, psoMask, &clip.co, pxlo, &ca, &htOrg, &d2, &srcRect, psoMask ? &maskOrg : nullptr,
                op->mode, pbo, rop4) != FALSE;
    return EngStretchBltROP(t.so, psoSrc, psoMask, &clip.co, pxlo, &ca, &htOrg, &d2, &srcRect,
                            psoMask ? &maskOrg : nullptr, op->mode, pbo, rop4) != FALSE;
  });
}

// ---------------------------------------------------------------------------------------------
// AlphaBlend, GradientFill, TransparentBlt and PlgBlt: the module's own entry when its surface
// hooks it; otherwise the engine draws the effect into a bitmap of the pixels it may touch (for
// AlphaBlend first read back from the device through DrvCopyBits, which the module answers
// with its pixels or white) and hands the pixels it drew to the module's DrvCopyBits, else its
// DrvBitBlt, clipped to those pixels. On an engine bitmap the engine draws in place.

namespace {

struct EffectOp {
  gdi::DeviceEffect e;
  gdi::Region clip;
};

// The pixels of an effect's source as an image for the module (32 bits when the blend reads
// the source's alpha).
std::shared_ptr<Image> ImageOfEffect(const gdi::EffectImage& src, bool alpha) {
  auto img = std::make_shared<Image>();
  img->w = src.w, img->h = src.h;
  img->bpp = alpha ? 32 : 24;
  img->stride = gdi::RowBytes(img->w, img->bpp, 4);
  img->bits.assign(img->stride * size_t(img->h), 0);
  const int unit = img->bpp / 8;
  for (int y = 0; y < img->h; ++y)
    for (int x = 0; x < img->w; ++x) {
      uint8_t* at = img->bits.data() + size_t(y) * img->stride + size_t(x) * size_t(unit);
      const COLORREF c = src.At(x, y);
      at[0] = GetBValue(c), at[1] = GetGValue(c), at[2] = GetRValue(c);
      if (alpha) at[3] = src.alpha[size_t(y) * size_t(src.w) + size_t(x)];
    }
  return img;
}

// A 24-bit pixel value (0x00RRGGBB) of a colour.
ULONG Pixel24(COLORREF c) { return (ULONG(GetRValue(c)) << 16) | (ULONG(GetGValue(c)) << 8) | GetBValue(c); }

LONG Fix(double v) { return LONG(std::lround(std::clamp(v * 16, -2e9, 2e9))); }

}  // namespace

bool PageDrawing::Effect(gdi::DrawCtx& d, const gdi::DeviceEffect& effect) {
  if (!FlushScratch()) return false;
  if ((effect.kind != gdi::DeviceEffect::kGradient && !effect.src) || effect.bounds.right <= effect.bounds.left ||
      effect.bounds.bottom <= effect.bounds.top)
    return true;
  auto op = std::make_shared<EffectOp>();
  op->e = effect;
  op->clip = d.clip;
  const EngPalette* pal = palette_;
  return Run([this, op, pal](const PageTarget& t) -> bool {
    const gdi::DeviceEffect& e = op->e;
    EngClip clip;
    if (!MakeClip(clip, op->clip, e.bounds, t)) return true;
    COLORADJUSTMENT ca{};
    ca.caSize = sizeof(COLORADJUSTMENT);
    ca.caRedGamma = ca.caGreenGamma = ca.caBlueGamma = 10000;
    ca.caReferenceWhite = 10000;
    POINTL org0{0, 0};
    RECTL bounds = RectlOf(Moved(e.bounds, t.org));
    // The module's entry.
    std::unique_ptr<EngImage> src;
    EngXlate xlate;
    auto source = [&](bool alpha) -> bool {
      auto img = ImageOfEffect(*e.src, alpha);
      src = std::make_unique<EngImage>(*img);
      MakeXlate(xlate, *img, pal);
      return src->so != nullptr;
    };
    RECTL srcRect{0, 0, e.src ? e.src->w : 0, e.src ? e.src->h : 0};
    switch (e.kind) {
      case gdi::DeviceEffect::kAlphaBlend:
        if (auto fn = EntryAs<PFN_DrvAlphaBlend>(Entry(INDEX_DrvAlphaBlend, HOOK_ALPHABLEND))) {
          const bool alpha = (e.blend.AlphaFormat & AC_SRC_ALPHA) && !e.src->alpha.empty();
          if (!source(alpha)) return false;
          RECTL dest = RectlOf(Moved(e.dest, t.org));
          BLENDOBJ bo{e.blend};
          return fn(t.so, src->so, &clip.co, &xlate.xo, &dest, &srcRect, &bo) != FALSE;
        }
        break;
      case gdi::DeviceEffect::kTransparent:
        if (auto fn = EntryAs<PFN_DrvTransparentBlt>(Entry(INDEX_DrvTransparentBlt, HOOK_TRANSPARENTBLT))) {
          if (!source(false)) return false;
          RECTL dest = RectlOf(Moved(e.dest, t.org));
          return fn(t.so, src->so, &clip.co, &xlate.xo, &dest, &srcRect, Pixel24(e.transparent), 0) != FALSE;
        }
        break;
      case gdi::DeviceEffect::kPlg:
        if (auto fn = EntryAs<PFN_DrvPlgBlt>(Entry(INDEX_DrvPlgBlt, HOOK_PLGBLT))) {
          if (!source(false)) return false;
          std::unique_ptr<EngImage> mask;
          if (e.mask) {
            mask = std::make_unique<EngImage>(*MaskImage(e.src->w, e.src->h, [&](int x, int y) {
              return (*e.mask)[size_t(y) * size_t(e.src->w) + size_t(x)] != 0;
            }));
            if (!mask->so) return false;
          }
          POINTFIX pts[3];
          for (int i = 0; i < 3; ++i) pts[i] = POINTFIX{Fix(e.px[i] - t.org.x), Fix(e.py[i] - t.org.y)};
          POINTL brushOrg{-t.org.x, -t.org.y};
          return fn(t.so, src->so, mask ? mask->so : nullptr, &clip.co, &xlate.xo, &ca, &brushOrg, pts, &srcRect,
                    mask ? &org0 : nullptr, ULONG(std::clamp(e.stretchMode, BLACKONWHITE, HALFTONE))) != FALSE;
        }
        break;
      case gdi::DeviceEffect::kGradient:
        if (auto fn = EntryAs<PFN_DrvGradientFill>(Entry(INDEX_DrvGradientFill, HOOK_GRADIENTFILL))) {
          std::vector<TRIVERTEX> v = e.vertices;
          for (size_t i = 0; i < v.size(); ++i)
            v[i].x = LONG(std::lround(std::clamp(e.vx[i] - t.org.x, -1e9, 1e9))),
            v[i].y = LONG(std::lround(std::clamp(e.vy[i] - t.org.y, -1e9, 1e9)));
          std::vector<ULONG> mesh = e.mesh;
          const ULONG per = e.mode == GRADIENT_FILL_TRIANGLE ? 3 : 2;
          POINTL ditherOrg{-t.org.x, -t.org.y};
          EngXlate rgb;
          Image format;
          MakeXlate(rgb, format, pal);
          return fn(t.so, &clip.co, &rgb.xo, v.data(), ULONG(v.size()), mesh.data(), ULONG(mesh.size() / per), &bounds,
                    &ditherOrg, e.mode) != FALSE;
        }
        break;
    }
    // An engine bitmap: drawn in place.
    if (gdi::Surface* px = PixelsOf(t.so)) {
      gdi::Region band = gdi::Region::Combine(op->clip, gdi::Region(t.band), RGN_AND);
      gdi::DrawEffect(e, *px, POINT{t.org.x, t.org.y}, band, nullptr);
      return true;
    }
    // A device surface: drawn into a bitmap of the pixels it may touch.
    const RECT r{std::max<LONG>(bounds.left, 0), std::max<LONG>(bounds.top, 0),
                 std::min<LONG>(bounds.right, t.so->sizlBitmap.cx), std::min<LONG>(bounds.bottom, t.so->sizlBitmap.cy)};
    if (r.right <= r.left || r.bottom <= r.top) return true;
    Image img;
    img.w = r.right - r.left, img.h = r.bottom - r.top;
    img.stride = gdi::RowBytes(img.w, 24, 4);
    img.bits.assign(img.stride * size_t(img.h), 0xFF);
    RECTL whole{0, 0, img.w, img.h};
    POINTL at{r.left, r.top};
    if (e.kind == gdi::DeviceEffect::kAlphaBlend) {
      if (auto fn = EntryAs<PFN_DrvCopyBits>(Entry(INDEX_DrvCopyBits, HOOK_COPYBITS))) {
        EngImage back(img);
        if (!back.so) return false;
        if (fn(back.so, t.so, nullptr, nullptr, &whole, &at) != FALSE)
          for (int y = 0; y < img.h; ++y)
            std::memcpy(img.bits.data() + size_t(y) * img.stride,
                        static_cast<uint8_t*>(back.so->pvScan0) + ptrdiff_t(y) * back.so->lDelta, img.stride);
      }
    }
    gdi::Surface canvas;
    canvas.width = img.w, canvas.height = img.h, canvas.bpp = 24;
    canvas.scan0 = img.bits.data();
    canvas.stride = ptrdiff_t(img.stride);
    std::vector<uint8_t> covered(size_t(img.w) * size_t(img.h), 0);
    gdi::DrawEffect(e, canvas, POINT{r.left + t.org.x, r.top + t.org.y}, op->clip, &covered);
    std::vector<std::vector<gdi::Interval>> rows(size_t(img.h));
    bool any = false;
    for (int y = 0; y < img.h; ++y) {
      int x = 0;
      while (x < img.w) {
        while (x < img.w && !covered[size_t(y) * size_t(img.w) + size_t(x)]) ++x;
        const int from = x;
        while (x < img.w && covered[size_t(y) * size_t(img.w) + size_t(x)]) ++x;
        if (x > from) rows[size_t(y)].push_back(gdi::Interval{int(r.left) + from, int(r.left) + x}), any = true;
      }
    }
    if (!any) return true;
    EngClip drawn;
    SetClip(drawn, gdi::Region::FromRows(r.top, rows), RectlOf(r), true);
    EngImage out(img);
    if (!out.so) return false;
    EngXlate outXlate;
    MakeXlate(outXlate, img, pal);
    RECTL dest = RectlOf(r);
    if (auto fn = EntryAs<PFN_DrvCopyBits>(Entry(INDEX_DrvCopyBits, HOOK_COPYBITS)))
      return fn(t.so, out.so, &drawn.co, &outXlate.xo, &dest, &org0) != FALSE;
    if (auto fn = EntryAs<PFN_DrvBitBlt>(Entry(INDEX_DrvBitBlt, HOOK_BITBLT)))
      return fn(t.so, out.so, nullptr, &drawn.co, &outXlate.xo, &dest, &org0, nullptr, nullptr, nullptr, 0xCCCC) !=
             FALSE;
    return EngCopyBits(t.so, out.so, &drawn.co, &outXlate.xo, &dest, &org0) != FALSE;
  });
}

// ---------------------------------------------------------------------------------------------
// What the raster drew on the scratch page.

bool PageDrawing::FlushScratch() {
  gdi::Surface* px = PixelsOf(scratch_);
  if (!px || dirty_.right <= dirty_.left || dirty_.bottom <= dirty_.top) return true;
  RECT r{std::max<LONG>(dirty_.left, 0), std::max<LONG>(dirty_.top, 0), std::min<LONG>(dirty_.right, px->width),
         std::min<LONG>(dirty_.bottom, px->height)};
  dirty_ = RECT{0, 0, 0, 0};
  if (r.right <= r.left || r.bottom <= r.top) return true;
  // The drawn pixels: every pixel the raster wrote, white ones too.
  const DWORD white = px->PixelOf(RGB(255, 255, 255));
  auto written = [&](int x, int y) { return written_[size_t(y) * size_t(px->width) + size_t(x)] != 0; };
  std::vector<std::vector<gdi::Interval>> rows(size_t(r.bottom - r.top));
  bool any = false;
  for (int y = r.top; y < r.bottom; ++y) {
    int x = r.left;
    while (x < r.right) {
      while (x < r.right && !written(x, y)) ++x;
      const int s = x;
      while (x < r.right && written(x, y)) ++x;
      if (x > s) rows[size_t(y - r.top)].push_back(gdi::Interval{s, x}), any = true;
    }
  }
  if (!any) return true;
  auto op = std::make_shared<BlitOp>();
  op->dest = r;
  op->src = CopyImage(*px, r.left, r.top, r.right, r.bottom, false);
  op->srcRect = RECTL{0, 0, op->src->w, op->src->h};
  op->clip = gdi::Region::FromRows(r.top, rows);
  // The scratch page is white and unwritten again for the next drawing.
  RECT* keep = px->dirty;
  std::vector<uint8_t>* keepWritten = px->written;
  px->dirty = nullptr;
  px->written = nullptr;
  for (int y = r.top; y < r.bottom; ++y)
    for (const gdi::Interval& iv : rows[size_t(y - r.top)])
      for (int x = iv.x0; x < iv.x1; ++x) {
        px->Set(x, y, white);
        written_[size_t(y) * size_t(px->width) + size_t(x)] = 0;
      }
  px->dirty = keep;
  px->written = keepWritten;
  const EngPalette* pal = palette_;
  return Run([this, op, pal](const PageTarget& t) -> bool {
    EngClip clip;
    if (!MakeClip(clip, op->clip, op->dest, t)) return true;
    RECTL dest = RectlOf(Moved(op->dest, t.org));
    EngImage src(*op->src);
    if (!src.so) return false;
    EngXlate xlate;
    MakeXlate(xlate, *op->src, pal);
    POINTL srcOrg{0, 0};
    if (auto fn = EntryAs<PFN_DrvBitBlt>(Entry(INDEX_DrvBitBlt, HOOK_BITBLT)))
      return fn(t.so, src.so, nullptr, &clip.co, &xlate.xo, &dest, &srcOrg, nullptr, nullptr, nullptr, 0xCCCC) != FALSE;
    if (auto fn = EntryAs<PFN_DrvCopyBits>(Entry(INDEX_DrvCopyBits, HOOK_COPYBITS)))
      return fn(t.so, src.so, &clip.co, &xlate.xo, &dest, &srcOrg) != FALSE;
    return EngCopyBits(t.so, src.so, &clip.co, &xlate.xo, &dest, &srcOrg) != FALSE;
  });
}

// ---------------------------------------------------------------------------------------------
// Paths.

struct PathOp {
  gdi::Shape shape;
  bool winding = false;
  bool fill = false, stroke = false;
  gdi::Region clip;
  std::shared_ptr<gdi::DcObj> dc;
  std::shared_ptr<gdi::BrushObj> fillBrush, penBrush;
  LineSpec line;
  RECT bounds{};
};

bool PageDrawing::Fill(gdi::DrawCtx& d, const gdi::Shape& shape, bool winding) {
  if (!FlushScratch()) return false;
  auto op = std::make_shared<PathOp>();
  op->shape = shape;
  for (gdi::Figure& f : op->shape) f.closed = true;
  op->winding = winding;
  op->fill = true;
  op->clip = d.clip;
  op->dc = Snapshot(*d.dc);
  op->fillBrush = d.dc->st.brush;
  op->bounds = ShapeBox(shape, 1);
  return RunPath(op);
}

bool PageDrawing::Stroke(gdi::DrawCtx& d, const gdi::Shape& shape) {
  if (!FlushScratch()) return false;
  auto op = std::make_shared<PathOp>();
  op->shape = shape;
  op->stroke = true;
  op->clip = d.clip;
  op->dc = Snapshot(*d.dc);
  op->penBrush = PenBrush(*d.dc);
  if (op->penBrush->style == BS_NULL) return true;
  op->line = LineOf(gdi::PenOf(d));
  op->bounds = ShapeBox(shape, op->line.grow);
  return RunPath(op);
}

bool PageDrawing::StrokeAndFill(gdi::DrawCtx& d, const gdi::Shape& shape, bool winding) {
  if (!FlushScratch()) return false;
  auto op = std::make_shared<PathOp>();
  op->shape = shape;
  op->winding = winding;
  op->fill = op->stroke = true;
  op->clip = d.clip;
  op->dc = Snapshot(*d.dc);
  op->fillBrush = d.dc->st.brush;
  op->penBrush = PenBrush(*d.dc);
  op->line = LineOf(gdi::PenOf(d));
  if (op->penBrush->style == BS_NULL) op->stroke = false;
  op->bounds = ShapeBox(shape, op->line.grow);
  return RunPath(op);
}

bool PageDrawing::RunPath(std::shared_ptr<const PathOp> op) {
  const EngPalette* pal = palette_;
  return Run([this, op, pal](const PageTarget& t) -> bool {
    EngClip clip;
    if (!MakeClip(clip, op->clip, op->bounds, t)) return true;
    std::unique_ptr<EngPath> path = PathOfShape(MovedShape(op->shape, t.org));
    // A fill closes every figure of its path.
    std::unique_ptr<EngPath> closed;
    if (op->fill && op->stroke) {
      gdi::Shape c = MovedShape(op->shape, t.org);
      for (gdi::Figure& f : c) f.closed = true;
      closed = PathOfShape(c);
    }
    POINTL brushOrg = BrushOrigin(*op->dc, t);
    const MIX mix = MixOf(*op->dc);
    const FLONG fl = op->winding ? FP_WINDINGMODE : FP_ALTERNATEMODE;
    PFN realize = DriverEntry(hdev_, INDEX_DrvRealizeBrush);
    DrawBrush fillBrush, penBrush;
    if (op->fill) MakeBrush(fillBrush, *op->dc, *op->fillBrush, t, pal, realize);
    if (op->stroke) MakeBrush(penBrush, *op->dc, *op->penBrush, t, pal, realize);
    LINEATTRS la = op->line.la;
    la.pstyle = op->line.style.empty() ? nullptr : const_cast<FLOAT_LONG*>(op->line.style.data());
    if (op->fill && op->stroke && !closed->runs.empty() && path->runs.size() == closed->runs.size()) {
      // Every figure closed already: one path for both.
      bool same = true;
      for (size_t i = 0; i < path->runs.size() && same; ++i) same = path->runs[i].flags == closed->runs[i].flags;
      if (same) {
        if (auto fn = EntryAs<PFN_DrvStrokeAndFillPath>(Entry(INDEX_DrvStrokeAndFillPath, HOOK_STROKEANDFILLPATH))) {
          const BOOL r = fn(t.so, &path->po, &clip.co, IdentityXform(), &penBrush.b.bo, &la, &fillBrush.b.bo,
                            &brushOrg, mix, fl);
          if (r != FALSE) return r == TRUE;
          PATHOBJ_vEnumStart(&path->po);
        }
      }
    }
    bool ok = true;
    if (op->fill) {
      EngPath* p = closed ? closed.get() : path.get();
      BOOL r = FALSE;
      if (auto fn = EntryAs<PFN_DrvFillPath>(Entry(INDEX_DrvFillPath, HOOK_FILLPATH))) {
        r = fn(t.so, &p->po, &clip.co, &fillBrush.b.bo, &brushOrg, mix, fl);
        PATHOBJ_vEnumStart(&p->po);
      }
      // A path the module leaves to the engine is drawn by the engine.
      if (r == FALSE) r = EngFillPath(t.so, &p->po, &clip.co, &fillBrush.b.bo, &brushOrg, mix, fl);
      ok = r == TRUE;
    }
    if (op->stroke) {
      BOOL r = FALSE;
      if (auto fn = EntryAs<PFN_DrvStrokePath>(Entry(INDEX_DrvStrokePath, HOOK_STROKEPATH))) {
        r = fn(t.so, &path->po, &clip.co, IdentityXform(), &penBrush.b.bo, &brushOrg, &la, mix);
        PATHOBJ_vEnumStart(&path->po);
      }
      if (r == FALSE) r = EngStrokePath(t.so, &path->po, &clip.co, IdentityXform(), &penBrush.b.bo, &brushOrg, &la, mix);
      ok = r == TRUE && ok;
    }
    return ok;
  });
}

// ---------------------------------------------------------------------------------------------
// Text.

namespace {

struct TextOp {
  gdi::DeviceText text;
  gdi::Region clip;
  std::shared_ptr<gdi::DcObj> dc;
  RECT bounds{};
};

}  // namespace

EngFont* PageDrawing::FontOf(const std::shared_ptr<gdi::FontInstance>& instance) {
  auto it = fonts_.find(instance.get());
  if (it != fonts_.end()) return it->second.get();
  if (fonts_.size() >= 64) fonts_.clear();
  static ULONG uniq = 0;
  auto f = MakeEngineFont(instance, ++uniq);
  EngFont* raw = f.get();
  fonts_[instance.get()] = std::move(f);
  return raw;
}

bool PageDrawing::Text(gdi::DrawCtx& d, const gdi::DeviceText& text) {
  if (!FlushScratch()) return false;
  auto op = std::make_shared<TextOp>();
  op->text = text;
  op->clip = d.clip;
  op->dc = Snapshot(*d.dc);
  RECT b = text.background;
  const LONG grow = LONG(text.ppemY) + 2;
  b = RECT{b.left - grow, b.top - grow, b.right + grow, b.bottom + grow};
  for (const gdi::DeviceGlyphRun& run : text.runs)
    for (const POINT& p : run.at) b = Union(b, RECT{p.x - grow, p.y - grow, p.x + grow, p.y + grow});
  if (text.haveOpaque) b = Union(b, text.opaque);
  for (const RECT& e : text.extra) b = Union(b, e);
  op->bounds = b;
  const EngPalette* pal = palette_;
  return Run([this, op, pal](const PageTarget& t) -> bool {
    EngClip clip;
    if (!MakeClip(clip, op->clip, op->bounds, t)) return true;
    const gdi::DcObj& dc = *op->dc;
    const gdi::DeviceText& tx = op->text;
    auto solid = [&](DrawBrush& b, COLORREF c) {
      gdi::BrushObj brush;
      brush.color = c;
      MakeBrush(b, dc, brush, t, pal, nullptr);
    };
    DrawBrush fore, back;
    solid(fore, dc.st.textColor);
    solid(back, dc.st.bkColor);
    RECTL opaque{};
    if (tx.haveOpaque) opaque = RectlOf(Moved(tx.opaque, t.org));
    std::vector<RECTL> extra;
    for (const RECT& e : tx.extra) extra.push_back(RectlOf(Moved(e, t.org)));
    extra.push_back(RECTL{0, 0, 0, 0});
    POINTL brushOrg{-t.org.x, -t.org.y};
    const MIX mix = MIX(R2_COPYPEN) | (MIX(R2_COPYPEN) << 8);
    if (tx.runs.empty()) {
      if (!tx.haveOpaque || opaque.right <= opaque.left || opaque.bottom <= opaque.top) return true;
      if (auto fn = EntryAs<PFN_DrvBitBlt>(Entry(INDEX_DrvBitBlt, HOOK_BITBLT)))
        return fn(t.so, nullptr, nullptr, &clip.co, nullptr, &opaque, nullptr, nullptr, &back.b.bo, &brushOrg,
                  0xF0F0) != FALSE;
      return EngBitBlt(t.so, nullptr, nullptr, &clip.co, nullptr, &opaque, nullptr, nullptr, &back.b.bo, &brushOrg,
                       0xF0F0) != FALSE;
    }
    bool ok = true;
    std::u16string chars = tx.text;
    for (size_t i = 0; i < tx.runs.size(); ++i) {
      const gdi::DeviceGlyphRun& run = tx.runs[i];
      EngFont* font = tx.deviceFace ? (deviceFonts_ ? deviceFonts_->Realize(tx.deviceFace, tx.emPixels) : nullptr)
                                    : run.font ? FontOf(run.font) : nullptr;
      if (!font) {
        ok = false;
        continue;
      }
      EngString str;
      for (size_t g = 0; g < run.glyphs.size(); ++g)
        str.glyphs.push_back(GLYPHPOS{HGLYPH(run.glyphs[g]), nullptr,
                                      POINTL{run.at[g].x - t.org.x, run.at[g].y - t.org.y}});
      str.text = chars;
      str.so.cGlyphs = ULONG(str.glyphs.size());
      str.so.flAccel = SO_GLYPHINDEX_TEXTOUT | (tx.horizontal ? SO_HORIZONTAL : 0) |
                       (tx.defaultPlacement ? SO_FLAG_DEFAULT_PLACEMENT : 0);
      str.so.rclBkGround = RectlOf(Moved(tx.background, t.org));
      str.so.pgp = str.glyphs.data();
      str.so.pwszOrg = str.text.data();
      const bool first = i == 0;
      RECTL* prclOpaque = first && tx.haveOpaque ? &opaque : nullptr;
      RECTL* prclExtra = first && extra.size() > 1 ? extra.data() : nullptr;
      BOOL r;
      if (auto fn = EntryAs<PFN_DrvTextOut>(Entry(INDEX_DrvTextOut, HOOK_TEXTOUT)))
        r = fn(t.so, &str.so, &font->fo, &clip.co, prclExtra, prclOpaque, &fore.b.bo, &back.b.bo, &brushOrg, mix);
      else
        r = EngTextOut(t.so, &str.so, &font->fo, &clip.co, prclExtra, prclOpaque, &fore.b.bo, &back.b.bo, &brushOrg,
                       mix);
      ok = r != FALSE && ok;
    }
    return ok;
  });
}

bool PageDrawing::LayoutDeviceFont(const gdi::DcObj& dc, std::u16string_view text, bool glyphIndexes, double scaleY,
                                   gdi::DeviceFontLayout& out) {
  if (!deviceFonts_ || !dc.st.font) return false;
  const ULONG face = deviceFonts_->Match(dc.st.font->lf);
  if (!face) return false;
  const double em = deviceFonts_->EmPixels(face, double(dc.st.font->lf.lfHeight) * std::abs(scaleY));
  return deviceFonts_->Layout(face, em, text, glyphIndexes, out);
}

bool PageDrawing::EnumDeviceFonts(const LOGFONTW* filter, FONTENUMPROCW proc, LPARAM lParam, int* result) {
  return deviceFonts_ ? deviceFonts_->Enumerate(filter, proc, lParam, result) : true;
}

}  // namespace zolt::host::engine
