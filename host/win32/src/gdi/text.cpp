// Text output and measurement: ExtTextOutW and TextOutW, extents, metrics and widths.
#include "gdi/text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include "emf/recorder.h"
#include "gdi/device.h"

namespace zolt::host::gdi {

bool LayoutText(const DcObj& dc, std::u16string_view text, bool glyphIndexes, TextLayout& out) {
  out.font = RealizeFont(dc, &out.scaleX, &out.scaleY);
  if (!out.font) return false;
  FontInstance* font = out.font.get();
  const int extra = int(std::lround(dc.st.charExtra * out.scaleX));
  int breaks = 0;
  for (char16_t c : text) breaks += c == u' ' ? 1 : 0;
  int breakLeft = int(std::lround(dc.st.breakExtra * out.scaleX));
  int breaksLeft = dc.st.breakCount > 0 ? breaks : 0;
  DeviceFontLayout device;
  if (dc.device && dc.device->LayoutDeviceFont(dc, text, glyphIndexes, out.scaleY, device)) {
    out.deviceFace = device.face;
    out.deviceEm = device.emPixels;
    out.deviceTm = device.tm;
    for (size_t i = 0; i < device.glyphs.size() && i < text.size(); ++i) {
      int adv = device.advance[i] + extra;
      if (!glyphIndexes && text[i] == u' ' && breaksLeft > 0) {
        const int share = breakLeft / breaksLeft;
        adv += share;
        breakLeft -= share;
        --breaksLeft;
      }
      out.glyphs.push_back(LaidGlyph{nullptr, FT_UInt(device.glyphs[i]), int(i)});
      out.advance.push_back(adv);
      out.width += adv;
    }
    return true;
  }
  for (size_t i = 0; i < text.size(); ++i) {
    LaidGlyph g{font, 0, int(i)};
    char32_t c = text[i];
    if (glyphIndexes) {
      g.index = text[i];
    } else {
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        ++i;
      }
      g.index = font->GlyphIndex(c);
      if (g.index == 0 && c >= 0x80) {
        if (FontInstance* fb = font->Fallback()) {
          const FT_UInt alt = fb->GlyphIndex(c);
          if (alt) {
            g.font = fb;
            g.index = alt;
          }
        }
      }
    }
    const Glyph* glyph = g.font->GetGlyph(g.index);
    int adv = (glyph ? glyph->advance : 0) + extra;
    // Justification spreads the break extra over the break characters.
    if (!glyphIndexes && text[g.unit] == u' ' && breaksLeft > 0) {
      const int share = breakLeft / breaksLeft;
      adv += share;
      breakLeft -= share;
      --breaksLeft;
    }
    out.glyphs.push_back(g);
    out.advance.push_back(adv);
    out.width += adv;
  }
  return true;
}

}  // namespace zolt::host::gdi

using namespace zolt::host::gdi;

namespace {

void DrawGlyph(DrawCtx& d, SpanPainter& painter, const Glyph& g, int penX, int penY) {
  const RECT box = d.clip.Box();
  const int x0 = penX + g.left, y0 = penY - g.top;
  if (x0 >= box.right || y0 >= box.bottom || x0 + g.width <= box.left || y0 + g.height <= box.top) return;
  for (int r = 0; r < g.height; ++r) {
    const int y = y0 + r;
    if (y < box.top || y >= box.bottom) continue;
    const uint8_t* row = g.bits.data() + size_t(r) * size_t(g.pitch);
    int c = 0;
    while (c < g.width) {
      if (!((row[c >> 3] >> (7 - (c & 7))) & 1)) {
        ++c;
        continue;
      }
      int e = c + 1;
      while (e < g.width && ((row[e >> 3] >> (7 - (e & 7))) & 1)) ++e;
      painter.Span(y, x0 + c, x0 + e);
      c = e;
    }
  }
}

}  // namespace

WIN32_API BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                                  const INT* lpDx) {
  zolt::host::emf::RecordScope journal(hdc);
  if (journal) journal->Text(x, y, options, lprect, lpString, c, lpDx);
  GDI_LOCK();
  DrawCtx d;
  if (!d.Open(hdc)) return FALSE;
  if (c > 0 && !lpString) return FALSE;
  if (c > 0x7FFFFFF) return FALSE;
  DcObj& dc = *d.dc;
  TextLayout lay;
  if (!LayoutText(dc, std::u16string_view(lpString ? lpString : u"", c), (options & ETO_GLYPH_INDEX) != 0, lay))
    return FALSE;
  const TEXTMETRICW& tm = lay.Tm();
  // Advances from the caller's spacing array, in logical units.
  if (lpDx) {
    lay.width = 0;
    for (size_t i = 0; i < lay.glyphs.size(); ++i) {
      const int unit = lay.glyphs[i].unit;
      const size_t next = i + 1 < lay.glyphs.size() ? size_t(lay.glyphs[i + 1].unit) : c;
      double sum = 0;
      for (size_t u = size_t(unit); u < next; ++u) sum += (options & ETO_PDY) ? lpDx[2 * u] : lpDx[u];
      lay.advance[i] = int(std::lround(sum * lay.scaleX));
      lay.width += lay.advance[i];
    }
  }
  POINT ref{x, y};
  const bool updateCp = (dc.st.textAlign & TA_UPDATECP) != 0;
  if (updateCp) ref = dc.st.current;
  const POINT p = d.ToPixel(ref.x, ref.y);
  const double esc = lay.Escapement();
  const double ux = std::cos(esc), uy = -std::sin(esc);  // the baseline's direction on the device
  // Horizontal alignment moves the start along the baseline, vertical alignment across it.
  double along = 0;
  const UINT h = dc.st.textAlign & TA_CENTER;
  if (h == TA_RIGHT)
    along = -lay.width;
  else if (h == TA_CENTER)
    along = -lay.width / 2.0;
  double across = 0;  // pixels the baseline lies below the reference point
  const UINT v = dc.st.textAlign & TA_BASELINE;
  if (v == TA_TOP)
    across = tm.tmAscent;
  else if (v == TA_BOTTOM)
    across = -tm.tmDescent;
  const double bx = p.x + along * ux - across * uy, by = p.y + along * uy + across * ux;
  if (updateCp) {
    // The current position moves past the text (or stays at its start for right alignment).
    double nx = p.x, ny = p.y;
    if (h == TA_LEFT) {
      nx += lay.width * ux;
      ny += lay.width * uy;
    } else if (h == TA_RIGHT) {
      nx -= lay.width * ux;
      ny -= lay.width * uy;
    }
    Matrix inv;
    if (d.m.Invert(inv)) {
      double lx, ly;
      inv.Apply(nx, ny, lx, ly);
      dc.st.current = {RoundCoord(lx), RoundCoord(ly)};
    }
  }
  if (!d.Drawable()) return TRUE;
  RECT opaque{};
  if (lprect && (options & (ETO_OPAQUE | ETO_CLIPPED))) opaque = d.ToPixelRect(lprect->left, lprect->top, lprect->right, lprect->bottom);
  if (lprect && (options & ETO_OPAQUE) && !DeviceOf(d)) {
    const Paint bg = d.SolidPaint(dc.st.bkColor);
    SpanPainter painter(*d.surf, d.clip, bg, 0xF0);
    const RECT b = d.clip.Box();
    const RECT r{std::max(opaque.left, b.left), std::max(opaque.top, b.top), std::min(opaque.right, b.right),
                 std::min(opaque.bottom, b.bottom)};
    if (r.left < r.right && r.top < r.bottom) painter.Rect(r);
  }
  if (lprect && (options & ETO_CLIPPED)) d.clip = Region::Combine(d.clip, Region(opaque), RGN_AND);
  const int startX = RoundCoord(bx), baseY = RoundCoord(by);
  if (DeviceDrawing* device = DeviceOf(d)) {
    DeviceText t;
    t.text.assign(lpString ? lpString : u"", c);
    t.horizontal = esc == 0;
    t.defaultPlacement = !lpDx && dc.st.charExtra == 0 && dc.st.breakExtra == 0;
    t.escapement = esc;
    t.ppemY = int(std::lround(lay.deviceFace ? lay.deviceEm : lay.font->Ppem()));
    t.deviceFace = lay.deviceFace;
    t.emPixels = lay.deviceEm;
    t.logFont = dc.st.font->lf;
    double pen = 0;
    for (size_t i = 0; i < lay.glyphs.size(); ++i) {
      const LaidGlyph& g = lay.glyphs[i];
      if (t.runs.empty() || t.runs.back().font.get() != g.font) {
        t.runs.emplace_back();
        // A fallback font lives as long as the font that found it.
        t.runs.back().font = std::shared_ptr<FontInstance>(lay.font, g.font);
      }
      t.runs.back().glyphs.push_back(UINT(g.index));
      if (!g.font) t.runs.back().font.reset();
      t.runs.back().at.push_back(POINT{RoundCoord(bx + pen * ux), RoundCoord(by + pen * uy)});
      pen += lay.advance[i];
    }
    const RECT cell{std::min(startX, startX + lay.width), baseY - tm.tmAscent, std::max(startX, startX + lay.width),
                    baseY + tm.tmDescent};
    t.background = cell;
    if (lprect && (options & ETO_OPAQUE)) {
      t.haveOpaque = true;
      t.opaque = opaque;
    } else if (dc.st.bkMode == OPAQUE && esc == 0 && c > 0) {
      t.haveOpaque = true;
      t.opaque = cell;
    }
    if ((tm.tmUnderlined || tm.tmStruckOut) && esc == 0 && c > 0) {
      if (tm.tmUnderlined) {
        const int top = baseY + lay.font->underlinePosition - lay.font->underlineThickness / 2;
        t.extra.push_back(RECT{cell.left, top, cell.right, top + lay.font->underlineThickness});
      }
      if (tm.tmStruckOut) {
        const int top = baseY - lay.font->strikeoutPosition - lay.font->strikeoutThickness / 2;
        t.extra.push_back(RECT{cell.left, top, cell.right, top + lay.font->strikeoutThickness});
      }
    }
    return device->Text(d, t) ? TRUE : FALSE;
  }
  if (c == 0) return TRUE;
  if (dc.st.bkMode == OPAQUE && esc == 0) {
    // The character cells take the background colour (outside an opaquing rectangle).
    const RECT cell{std::min(startX, startX + lay.width), baseY - tm.tmAscent, std::max(startX, startX + lay.width),
                    baseY + tm.tmDescent};
    const Paint bg = d.SolidPaint(dc.st.bkColor);
    Region area = Region::Combine(d.clip, Region(cell), RGN_AND);
    if (lprect && (options & ETO_OPAQUE)) area = Region::Combine(area, Region(opaque), RGN_DIFF);
    SpanPainter painter(*d.surf, area, bg, 0xF0);
    for (const Band& b : area.Bands())
      for (int yy = b.y0; yy < b.y1; ++yy)
        for (const Interval& iv : b.xs) painter.Span(yy, iv.x0, iv.x1);
  }
  const Paint fg = d.SolidPaint(dc.st.textColor);
  SpanPainter painter(*d.surf, d.clip, fg, 0xF0);
  double pen = 0;
  for (size_t i = 0; i < lay.glyphs.size(); ++i) {
    const Glyph* g = lay.glyphs[i].font->GetGlyph(lay.glyphs[i].index);
    const int gx = RoundCoord(bx + pen * ux), gy = RoundCoord(by + pen * uy);
    if (g) DrawGlyph(d, painter, *g, gx, gy);
    pen += lay.advance[i];
  }
  if ((tm.tmUnderlined || tm.tmStruckOut) && esc == 0) {
    const int l = std::min(startX, startX + lay.width), r = std::max(startX, startX + lay.width);
    if (tm.tmUnderlined) {
      const int top = baseY + lay.font->underlinePosition - lay.font->underlineThickness / 2;
      painter.Rect(RECT{l, top, r, top + lay.font->underlineThickness});
    }
    if (tm.tmStruckOut) {
      const int top = baseY - lay.font->strikeoutPosition - lay.font->strikeoutThickness / 2;
      painter.Rect(RECT{l, top, r, top + lay.font->strikeoutThickness});
    }
  }
  return TRUE;
}

WIN32_API BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c) {
  if (c < 0) return FALSE;
  return ExtTextOutW(hdc, x, y, 0, nullptr, lpString, UINT(c), nullptr);
}

namespace {

template <class Fn>
BOOL WithLayout(HDC hdc, LPCWSTR text, int count, bool glyphIndexes, Fn&& fn) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (count < 0 || (count > 0 && !text)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  TextLayout lay;
  if (!LayoutText(*dc, std::u16string_view(text ? text : u"", size_t(count)), glyphIndexes, lay)) return FALSE;
  return fn(*dc, lay);
}

}  // namespace

WIN32_API BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl) {
  if (!psizl) return FALSE;
  return WithLayout(hdc, lpString, c, false, [&](DcObj&, TextLayout& lay) {
    psizl->cx = ToLogical(lay.width, lay.scaleX);
    psizl->cy = ToLogical(lay.Tm().tmHeight, lay.scaleY);
    return TRUE;
  });
}

WIN32_API BOOL WINAPI GetTextExtentPointW(HDC hdc, LPCWSTR lpString, int c, LPSIZE lpsz) {
  return GetTextExtentPoint32W(hdc, lpString, c, lpsz);
}

WIN32_API BOOL WINAPI GetTextExtentPointI(HDC hdc, const WORD* pgiIn, int cgi, LPSIZE psize) {
  if (!psize) return FALSE;
  std::u16string units;
  for (int i = 0; pgiIn && i < cgi; ++i) units.push_back(char16_t(pgiIn[i]));
  return WithLayout(hdc, units.data(), cgi, true, [&](DcObj&, TextLayout& lay) {
    psize->cx = ToLogical(lay.width, lay.scaleX);
    psize->cy = ToLogical(lay.Tm().tmHeight, lay.scaleY);
    return TRUE;
  });
}

WIN32_API BOOL WINAPI GetTextExtentExPointW(HDC hdc, LPCWSTR lpszString, int cchString, int nMaxExtent, LPINT lpnFit,
                                            LPINT lpnDx, LPSIZE lpSize) {
  if (!lpSize) return FALSE;
  return WithLayout(hdc, lpszString, cchString, false, [&](DcObj&, TextLayout& lay) {
    // Cumulative extents per character; a surrogate pair's second unit repeats the first.
    std::vector<int> cumulative(size_t(cchString), 0);
    int sum = 0;
    for (size_t i = 0; i < lay.glyphs.size(); ++i) {
      sum += lay.advance[i];
      const size_t next = i + 1 < lay.glyphs.size() ? size_t(lay.glyphs[i + 1].unit) : size_t(cchString);
      for (size_t u = size_t(lay.glyphs[i].unit); u < next; ++u) cumulative[u] = ToLogical(sum, lay.scaleX);
    }
    int fit = 0;
    while (fit < cchString && (nMaxExtent < 0 || cumulative[size_t(fit)] <= nMaxExtent)) ++fit;
    if (lpnFit) *lpnFit = fit;
    if (lpnDx)
      for (int i = 0; i < (lpnFit ? fit : cchString); ++i) lpnDx[i] = cumulative[size_t(i)];
    lpSize->cx = ToLogical(lay.width, lay.scaleX);
    lpSize->cy = ToLogical(lay.Tm().tmHeight, lay.scaleY);
    return TRUE;
  });
}

WIN32_API BOOL WINAPI GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm) {
  if (!lptm) return FALSE;
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  double sx = 1, sy = 1;
  auto font = RealizeFont(*dc, &sx, &sy);
  if (!font) return FALSE;
  TEXTMETRICW tm = font->Metrics();
  // A font of the printer's module: its own metrics (IFIMETRICS at the realised size).
  if (DeviceFontLayout device; dc->device && dc->device->LayoutDeviceFont(*dc, u"", false, sy, device)) tm = device.tm;
  if (sx != 1 || sy != 1) {
    for (LONG* v : {&tm.tmHeight, &tm.tmAscent, &tm.tmDescent, &tm.tmInternalLeading, &tm.tmExternalLeading})
      *v = ToLogical(*v, sy);
    for (LONG* v : {&tm.tmAveCharWidth, &tm.tmMaxCharWidth, &tm.tmOverhang}) *v = ToLogical(*v, sx);
  }
  *lptm = tm;
  return TRUE;
}

WIN32_API int WINAPI GetTextFaceW(HDC hdc, int c, LPWSTR lpName) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return 0;
  auto font = RealizeFont(*dc);
  const std::u16string name = font ? font->Mapped().faceName : std::u16string();
  if (!lpName) return int(name.size()) + 1;
  if (c <= 0) return 0;
  const size_t n = std::min(name.size(), size_t(c - 1));
  std::memcpy(lpName, name.data(), n * sizeof(WCHAR));
  lpName[n] = 0;
  return int(n) + 1;
}

WIN32_API int WINAPI GetTextCharset(HDC hdc) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return DEFAULT_CHARSET;
  auto font = RealizeFont(*dc);
  return font ? font->Metrics().tmCharSet : DEFAULT_CHARSET;
}

WIN32_API DWORD WINAPI GetTextCharsetInfo(HDC hdc, LPFONTSIGNATURE lpSig, DWORD) {
  if (lpSig) std::memset(lpSig, 0, sizeof(*lpSig));
  return DWORD(GetTextCharset(hdc));
}

WIN32_API BOOL WINAPI GetCharWidth32W(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer) {
  if (!lpBuffer || iLast < iFirst || iLast - iFirst > 0x10FFFF) return FALSE;
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  double sx = 1;
  auto font = RealizeFont(*dc, &sx);
  if (!font) return FALSE;
  for (UINT ch = iFirst; ch <= iLast; ++ch) {
    FontInstance* f = font.get();
    FT_UInt g = f->GlyphIndex(ch);
    if (g == 0 && ch >= 0x80 && f->Fallback() && f->Fallback()->GlyphIndex(ch)) {
      f = f->Fallback();
      g = f->GlyphIndex(ch);
    }
    const Glyph* glyph = f->GetGlyph(g);
    lpBuffer[ch - iFirst] = ToLogical(glyph ? glyph->advance : 0, sx);
  }
  return TRUE;
}

WIN32_API BOOL WINAPI GetCharWidthW(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer) {
  return GetCharWidth32W(hdc, iFirst, iLast, lpBuffer);
}

namespace {

BOOL AbcWidths(HDC hdc, UINT first, UINT count, const WORD* indexes, bool byIndex, LPABC out) {
  if (!out || count > 0x110000) return FALSE;
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  double sx = 1;
  auto font = RealizeFont(*dc, &sx);
  if (!font) return FALSE;
  for (UINT i = 0; i < count; ++i) {
    FontInstance* f = font.get();
    FT_UInt g;
    if (byIndex) {
      g = indexes ? indexes[i] : first + i;
    } else {
      g = f->GlyphIndex(first + i);
      if (g == 0 && first + i >= 0x80 && f->Fallback() && f->Fallback()->GlyphIndex(first + i)) {
        f = f->Fallback();
        g = f->GlyphIndex(first + i);
      }
    }
    const Glyph* glyph = f->GetGlyph(g);
    ABC abc = glyph ? glyph->abc : ABC{};
    abc.abcA = ToLogical(abc.abcA, sx);
    abc.abcB = UINT(ToLogical(abc.abcB, sx));
    abc.abcC = ToLogical(abc.abcC, sx);
    out[i] = abc;
  }
  return TRUE;
}

}  // namespace

WIN32_API BOOL WINAPI GetCharABCWidthsW(HDC hdc, UINT wFirst, UINT wLast, LPABC lpABC) {
  if (wLast < wFirst) return FALSE;
  return AbcWidths(hdc, wFirst, wLast - wFirst + 1, nullptr, false, lpABC);
}

WIN32_API BOOL WINAPI GetCharABCWidthsI(HDC hdc, UINT giFirst, UINT cgi, LPWORD pgi, LPABC pabc) {
  return AbcWidths(hdc, giFirst, cgi, pgi, true, pabc);
}

WIN32_API DWORD WINAPI GetGlyphIndicesW(HDC hdc, LPCWSTR lpstr, int c, LPWORD pgi, DWORD fl) {
  if (c < 0 || (c > 0 && (!lpstr || !pgi))) return GDI_ERROR;
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return GDI_ERROR;
  auto font = RealizeFont(*dc);
  if (!font) return GDI_ERROR;
  for (int i = 0; i < c; ++i) {
    const FT_UInt g = font->GlyphIndex(lpstr[i]);
    pgi[i] = WORD(g == 0 && (fl & GGI_MARK_NONEXISTING_GLYPHS) ? 0xFFFF : g);
  }
  return DWORD(c);
}
