// Fonts and strings as the engine hands them to a module: metrics (IFIMETRICS) of engine
// fonts from the font mapper, the font's transform, glyph bitmaps and outlines, and the glyph
// positions of a string.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/engine.h"
#include "engine/fonts.h"
#include "engine/pdev.h"
#include "gdi/font.h"
#include "win32/codepage.h"

namespace zolt::host::engine {

namespace {

// The metrics of an engine font with its names after the record.
std::vector<uint8_t> EngineMetrics(gdi::FontInstance& font) {
  FT_Face face = font.Face();
  const std::u16string family = font.Mapped().faceName.empty() ? u"Font" : font.Mapped().faceName;
  const std::u16string style = font.Mapped().bold ? (font.Mapped().italic ? u"Bold Italic" : u"Bold")
                                                  : (font.Mapped().italic ? u"Italic" : u"Regular");
  const size_t head = sizeof(IFIMETRICS);
  const size_t famBytes = (family.size() + 1) * 2, styleBytes = (style.size() + 1) * 2;
  std::vector<uint8_t> bytes(head + 2 * famBytes + styleBytes + famBytes, 0);
  IFIMETRICS ifi{};
  ifi.cjThis = ULONG(bytes.size());
  ifi.dpwszFamilyName = PTRDIFF(head);
  ifi.dpwszStyleName = PTRDIFF(head + famBytes);
  ifi.dpwszFaceName = PTRDIFF(head + famBytes + styleBytes);
  ifi.dpwszUniqueName = PTRDIFF(head + 2 * famBytes + styleBytes);
  const TEXTMETRICW& tm = font.Metrics();
  ifi.jWinCharSet = tm.tmCharSet;
  ifi.jWinPitchAndFamily = tm.tmPitchAndFamily;
  ifi.usWinWeight = USHORT(tm.tmWeight);
  ifi.flInfo = FM_INFO_TECH_TRUETYPE | FM_INFO_ARB_XFORMS | FM_INFO_1BPP | FM_INFO_RETURNS_OUTLINES |
               FM_INFO_RETURNS_BITMAPS | FM_INFO_RIGHT_HANDED;
  ifi.fsSelection = USHORT((tm.tmItalic ? FM_SEL_ITALIC : 0) | (tm.tmWeight >= FW_BOLD ? FM_SEL_BOLD : 0));
  const FT_UShort upem = face && face->units_per_EM ? face->units_per_EM : 2048;
  ifi.fwdUnitsPerEm = FWORD(std::min<int>(upem, 0x7FFF));
  ifi.fwdLowestPPEm = 1;
  auto* os2 = face ? static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)) : nullptr;
  if (os2 && os2->version != 0xFFFF) {
    ifi.fsType = os2->fsType;
    ifi.fwdWinAscender = FWORD(os2->usWinAscent);
    ifi.fwdWinDescender = FWORD(os2->usWinDescent);
    ifi.fwdTypoAscender = os2->sTypoAscender;
    ifi.fwdTypoDescender = os2->sTypoDescender;
    ifi.fwdTypoLineGap = os2->sTypoLineGap;
    ifi.fwdAveCharWidth = os2->xAvgCharWidth;
    ifi.fwdSubscriptXSize = os2->ySubscriptXSize;
    ifi.fwdSubscriptYSize = os2->ySubscriptYSize;
    ifi.fwdSubscriptXOffset = os2->ySubscriptXOffset;
    ifi.fwdSubscriptYOffset = os2->ySubscriptYOffset;
    ifi.fwdSuperscriptXSize = os2->ySuperscriptXSize;
    ifi.fwdSuperscriptYSize = os2->ySuperscriptYSize;
    ifi.fwdSuperscriptXOffset = os2->ySuperscriptXOffset;
    ifi.fwdSuperscriptYOffset = os2->ySuperscriptYOffset;
    ifi.fwdStrikeoutSize = os2->yStrikeoutSize;
    ifi.fwdStrikeoutPosition = os2->yStrikeoutPosition;
    std::memcpy(ifi.achVendId, os2->achVendID, 4);
    ifi.panose.bWeight = os2->panose[2];
  } else if (face) {
    ifi.fwdWinAscender = FWORD(face->ascender);
    ifi.fwdWinDescender = FWORD(-face->descender);
    ifi.fwdAveCharWidth = FWORD(upem / 2);
  }
  if (face) {
    ifi.fwdMacAscender = FWORD(face->ascender);
    ifi.fwdMacDescender = FWORD(face->descender);
    ifi.fwdMaxCharInc = FWORD(std::min<long>(face->max_advance_width, 0x7FFF));
    ifi.fwdUnderscoreSize = FWORD(face->underline_thickness);
    ifi.fwdUnderscorePosition = FWORD(face->underline_position);
    ifi.rclFontBox = RECTL{LONG(face->bbox.xMin), LONG(face->bbox.yMax), LONG(face->bbox.xMax), LONG(face->bbox.yMin)};
  }
  ifi.chFirstChar = 0x20;
  ifi.chLastChar = 0xFF;
  ifi.chDefaultChar = 0x1F;
  ifi.chBreakChar = 0x20;
  ifi.wcFirstChar = tm.tmFirstChar;
  ifi.wcLastChar = tm.tmLastChar;
  ifi.wcDefaultChar = tm.tmDefaultChar;
  ifi.wcBreakChar = tm.tmBreakChar;
  ifi.ptlBaseline = POINTL{1, 0};
  ifi.ptlAspect = POINTL{1, 1};
  ifi.ptlCaret = POINTL{0, 1};
  std::memcpy(bytes.data(), &ifi, sizeof(ifi));
  auto put = [&](PTRDIFF at, const std::u16string& s) { std::memcpy(bytes.data() + at, s.data(), s.size() * 2); };
  put(ifi.dpwszFamilyName, family);
  put(ifi.dpwszStyleName, style);
  put(ifi.dpwszFaceName, family);
  put(ifi.dpwszUniqueName, family);
  return bytes;
}

struct OutlineSink {
  gdi::Shape shape;
  double scale;  // 26.6 font units to pixels
  FT_Vector last{0, 0};
  gdi::PointD P(const FT_Vector* v) const { return gdi::PointD{v->x * scale, -v->y * scale}; }
};

int MoveTo(const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  if (!s->shape.empty()) s->shape.back().closed = true;
  s->shape.emplace_back();
  const gdi::PointD p = s->P(to);
  s->shape.back().MoveTo(p.x, p.y);
  s->last = *to;
  return 0;
}
int LineTo(const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  if (s->shape.empty()) return 1;
  const gdi::PointD p = s->P(to);
  s->shape.back().LineTo(p.x, p.y);
  s->last = *to;
  return 0;
}
int ConicTo(const FT_Vector* c, const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  if (s->shape.empty()) return 1;
  const gdi::PointD p0 = s->P(&s->last), pc = s->P(c), p3 = s->P(to);
  const gdi::PointD c1{p0.x + 2.0 / 3 * (pc.x - p0.x), p0.y + 2.0 / 3 * (pc.y - p0.y)};
  const gdi::PointD c2{p3.x + 2.0 / 3 * (pc.x - p3.x), p3.y + 2.0 / 3 * (pc.y - p3.y)};
  s->shape.back().BezierTo(c1, c2, p3);
  s->last = *to;
  return 0;
}
int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  if (s->shape.empty()) return 1;
  s->shape.back().BezierTo(s->P(c1), s->P(c2), s->P(to));
  s->last = *to;
  return 0;
}

}  // namespace

std::unique_ptr<EngFont> MakeEngineFont(std::shared_ptr<gdi::FontInstance> instance, ULONG uniq) {
  auto f = std::make_unique<EngFont>();
  f->instance = std::move(instance);
  f->fo.iUniq = uniq;
  f->fo.flFontType = FO_TYPE_TRUETYPE;
  f->ifiStorage = EngineMetrics(*f->instance);
  const IFIMETRICS* ifi = reinterpret_cast<const IFIMETRICS*>(f->ifiStorage.data());
  const double s = f->instance->Ppem() / std::max<int>(ifi->fwdUnitsPerEm, 1);
  const double a = f->instance->Escapement();
  f->xform.m = XFORML{FLOATL(s * std::cos(a)), FLOATL(-s * std::sin(a)), FLOATL(s * std::sin(a)),
                      FLOATL(s * std::cos(a)), 0, 0};
  f->fo.cxMax = ULONG(std::max<LONG>(f->instance->Metrics().tmMaxCharWidth, 0));
  return f;
}

const GLYPHBITS* GlyphBitsOf(EngFont& font, HGLYPH hg) {
  if (!font.instance) return nullptr;
  auto it = font.bitsByGlyph.find(hg);
  if (it != font.bitsByGlyph.end()) return reinterpret_cast<const GLYPHBITS*>(it->second.get());
  const gdi::Glyph* g = font.instance->GetGlyph(FT_UInt(hg));
  if (!g) return nullptr;
  const LONG w = std::max(g->width, 0), h = std::max(g->height, 0);
  const size_t pitch = size_t(w + 7) / 8;
  const size_t size = offsetof(GLYPHBITS, aj) + std::max<size_t>(pitch * size_t(h), 1);
  auto bytes = std::make_unique<uint8_t[]>(size);
  std::memset(bytes.get(), 0, size);
  auto* gb = reinterpret_cast<GLYPHBITS*>(bytes.get());
  gb->ptlOrigin = POINTL{g->left, -g->top};
  gb->sizlBitmap = SIZEL{w, h};
  for (LONG y = 0; y < h && g->pitch > 0; ++y)
    std::memcpy(gb->aj + size_t(y) * pitch, g->bits.data() + size_t(y) * size_t(g->pitch),
                std::min(pitch, size_t(g->pitch)));
  const GLYPHBITS* out = gb;
  font.bitsByGlyph.emplace(hg, std::move(bytes));
  return out;
}

}  // namespace zolt::host::engine

using namespace zolt::host;
using namespace zolt::host::engine;

WIN32_API IFIMETRICS* WINAPI FONTOBJ_pifi(FONTOBJ* pfo) {
  EngFont* f = reinterpret_cast<EngFont*>(pfo);
  if (!f) return nullptr;
  if (f->ifi) return f->ifi;
  return f->ifiStorage.empty() ? nullptr : reinterpret_cast<IFIMETRICS*>(f->ifiStorage.data());
}

WIN32_API XFORMOBJ* WINAPI FONTOBJ_pxoGetXform(FONTOBJ* pfo) {
  return pfo ? &reinterpret_cast<EngFont*>(pfo)->xform.xo : nullptr;
}

WIN32_API ULONG WINAPI FONTOBJ_cGetGlyphs(FONTOBJ* pfo, ULONG iMode, ULONG cGlyph, HGLYPH* phg, PVOID* ppvGlyph) {
  EngFont* f = reinterpret_cast<EngFont*>(pfo);
  if (!f || !phg || !ppvGlyph || cGlyph == 0) return 0;
  *ppvGlyph = nullptr;
  if (!f->instance) return 0;  // device fonts: the module draws them
  GLYPHDATA& gd = f->glyphData;
  gd = GLYPHDATA{};
  gd.hg = phg[0];
  const gdi::Glyph* g = f->instance->GetGlyph(FT_UInt(phg[0]));
  if (!g) return 0;
  gd.fxD = FIX(g->advance * 16);
  gd.fxAB = gd.fxD;
  gd.fxInkTop = FIX(g->top * 16);
  gd.fxInkBottom = FIX((g->top - g->height) * 16);
  gd.rclInk = RECTL{g->left, -g->top, g->left + g->width, g->height - g->top};
  gd.ptqD.x.QuadPart = LONGLONG(g->advX) << 26;
  gd.ptqD.y.QuadPart = -(LONGLONG(g->advY) << 26);
  if (iMode == FO_GLYPHBITS) {
    gd.gdf.pgb = const_cast<GLYPHBITS*>(GlyphBitsOf(*f, phg[0]));
    if (!gd.gdf.pgb) return 0;
  } else if (iMode == FO_PATHOBJ) {
    FT_Face face = f->instance->Face();
    if (!face || FT_Load_Glyph(face, FT_UInt(phg[0]), FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) ||
        face->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
      return 0;
    OutlineSink sink;
    sink.scale = 1.0 / 64;
    FT_Outline_Funcs funcs{MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
    if (FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink)) return 0;
    if (!sink.shape.empty()) sink.shape.back().closed = true;
    f->glyphPaths.push_back(PathOfShape(sink.shape));
    gd.gdf.ppo = &f->glyphPaths.back()->po;
  } else if (iMode != FO_HGLYPHS) {
    return 0;
  }
  *ppvGlyph = &gd;
  return 1;
}

WIN32_API ULONG WINAPI FONTOBJ_cGetAllGlyphHandles(FONTOBJ* pfo, HGLYPH* phg) {
  EngFont* f = reinterpret_cast<EngFont*>(pfo);
  if (!f || !f->instance || !f->instance->Face()) return 0;
  const ULONG n = ULONG(f->instance->Face()->num_glyphs);
  for (ULONG i = 0; phg && i < n; ++i) phg[i] = i;
  return n;
}

WIN32_API VOID WINAPI FONTOBJ_vGetInfo(FONTOBJ* pfo, ULONG cjSize, FONTINFO* pfi) {
  if (!pfo || !pfi || cjSize == 0) return;
  FONTINFO info{};
  info.cjThis = sizeof(FONTINFO);
  EngFont* f = reinterpret_cast<EngFont*>(pfo);
  info.flCaps = f->instance ? FO_OUTLINE_CAPABLE : FO_DEVICE_FONT;
  if (f->instance && f->instance->Face()) info.cGlyphsSupported = ULONG(f->instance->Face()->num_glyphs);
  std::memcpy(pfi, &info, std::min<size_t>(cjSize, sizeof(info)));
}

WIN32_API FD_GLYPHSET* WINAPI FONTOBJ_pfdg(FONTOBJ* pfo) {
  EngFont* f = reinterpret_cast<EngFont*>(pfo);
  return f ? f->glyphSet : nullptr;
}

WIN32_API VOID WINAPI STROBJ_vEnumStart(STROBJ* pstro) {
  if (pstro) reinterpret_cast<EngString*>(pstro)->next = 0;
}

WIN32_API BOOL WINAPI STROBJ_bEnum(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos) {
  if (!pstro || !pc || !ppgpos) return FALSE;
  EngString* s = reinterpret_cast<EngString*>(pstro);
  const size_t left = s->glyphs.size() - std::min(s->next, s->glyphs.size());
  const size_t n = std::min<size_t>(left, kGlyphBatch);
  *pc = ULONG(n);
  *ppgpos = n ? s->glyphs.data() + s->next : nullptr;
  s->next += n;
  return s->next < s->glyphs.size();
}

WIN32_API BOOL WINAPI STROBJ_bEnumPositionsOnly(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos) {
  return STROBJ_bEnum(pstro, pc, ppgpos);
}

WIN32_API DWORD WINAPI STROBJ_dwGetCodePage(STROBJ*) { return GetACP(); }
