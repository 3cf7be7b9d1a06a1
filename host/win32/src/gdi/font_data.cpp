// What a realised font tells about itself: glyph outlines and bitmaps, its TrueType tables,
// kerning pairs, and the enumeration of the installed font families.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "gdi/device.h"
#include "gdi/font.h"
#include "gdi/font_library.h"
#include "gdi/xform.h"
#include "win32/hosttext.h"

using namespace zolt::host::gdi;

namespace {

FIXED ToFixed(double v) {
  const int32_t f = int32_t(std::lround(v * 65536.0));
  FIXED out;
  out.value = SHORT(f >> 16);
  out.fract = WORD(f & 0xFFFF);
  return out;
}

double FromFixed(FIXED f) { return f.value + f.fract / 65536.0; }

// Writes the outline as the platform's polygon records; returns the bytes needed.
size_t WriteOutline(const FT_Outline& o, bool cubic, uint8_t* out, size_t cap) {
  size_t size = 0;
  auto put = [&](const void* data, size_t n) {
    if (out && size + n <= cap) std::memcpy(out + size, data, n);
    size += n;
  };
  auto fx = [](FT_Vector v) { return POINTFX{ToFixed(v.x / 64.0), ToFixed(v.y / 64.0)}; };
  int start = 0;
  for (int c = 0; c < o.n_contours; ++c) {
    const int end = o.contours[c];
    const int n = end - start + 1;
    if (n <= 0) {
      start = end + 1;
      continue;
    }
    auto pt = [&](int i) { return o.points[start + ((i % n) + n) % n]; };
    auto on = [&](int i) { return FT_CURVE_TAG(o.tags[start + ((i % n) + n) % n]) == FT_CURVE_TAG_ON; };
    // The figure starts on an on-curve point (or the middle of two controls).
    int first = 0;
    while (first < n && !on(first)) ++first;
    FT_Vector startPt;
    if (first == n) {
      startPt = FT_Vector{(pt(0).x + pt(1).x) / 2, (pt(0).y + pt(1).y) / 2};
      first = 0;
    } else {
      startPt = pt(first);
    }
    const size_t headerAt = size;
    TTPOLYGONHEADER h{0, TT_POLYGON_TYPE, fx(startPt)};
    put(&h, sizeof(h));
    int i = first + 1;
    FT_Vector prev = startPt;
    const int stop = first + n;
    while (i <= stop) {
      if (on(i)) {
        // A run of lines.
        std::vector<POINTFX> pts;
        while (i <= stop && on(i)) {
          pts.push_back(fx(pt(i)));
          prev = pt(i);
          ++i;
        }
        const WORD type = TT_PRIM_LINE;
        const WORD count = WORD(pts.size());
        put(&type, 2);
        put(&count, 2);
        put(pts.data(), pts.size() * sizeof(POINTFX));
      } else {
        // Quadratic controls up to the next on-curve point (implied midpoints stay implied).
        std::vector<FT_Vector> ctl;
        while (i <= stop && !on(i)) ctl.push_back(pt(i++));
        const FT_Vector endPt = i <= stop ? pt(i) : startPt;
        ++i;
        std::vector<POINTFX> pts;
        WORD type = TT_PRIM_QSPLINE;
        if (!cubic) {
          for (const FT_Vector& v : ctl) pts.push_back(fx(v));
          pts.push_back(fx(endPt));
        } else {
          type = TT_PRIM_CSPLINE;
          FT_Vector from = prev;
          for (size_t k = 0; k < ctl.size(); ++k) {
            const FT_Vector to = k + 1 < ctl.size() ? FT_Vector{(ctl[k].x + ctl[k + 1].x) / 2, (ctl[k].y + ctl[k + 1].y) / 2}
                                                    : endPt;
            const FT_Vector c1{from.x + (ctl[k].x - from.x) * 2 / 3, from.y + (ctl[k].y - from.y) * 2 / 3};
            const FT_Vector c2{to.x + (ctl[k].x - to.x) * 2 / 3, to.y + (ctl[k].y - to.y) * 2 / 3};
            pts.push_back(fx(c1));
            pts.push_back(fx(c2));
            pts.push_back(fx(to));
            from = to;
          }
        }
        prev = endPt;
        const WORD count = WORD(pts.size());
        put(&type, 2);
        put(&count, 2);
        put(pts.data(), pts.size() * sizeof(POINTFX));
      }
    }
    const DWORD cb = DWORD(size - headerAt);
    if (out && headerAt + 4 <= cap) std::memcpy(out + headerAt, &cb, 4);
    start = end + 1;
  }
  return size;
}

}  // namespace

WIN32_API DWORD WINAPI GetGlyphOutlineW(HDC hdc, UINT uChar, UINT fuFormat, LPGLYPHMETRICS lpgm, DWORD cjBuffer,
                                        LPVOID pvBuffer, const MAT2* lpmat2) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc || !lpmat2 || !lpgm) return GDI_ERROR;
  auto font = RealizeFont(*dc);
  if (!font) return GDI_ERROR;
  const UINT format = fuFormat & ~(GGO_GLYPH_INDEX | GGO_UNHINTED);
  if (format > GGO_GRAY8_BITMAP) return GDI_ERROR;
  FontInstance* fi = font.get();
  FT_UInt index = uChar;
  if (!(fuFormat & GGO_GLYPH_INDEX)) {
    index = fi->GlyphIndex(uChar);
    if (index == 0 && uChar >= 0x80 && fi->Fallback() && fi->Fallback()->GlyphIndex(uChar)) {
      fi = fi->Fallback();
      index = fi->GlyphIndex(uChar);
    }
  }
  FT_Face face = fi->Face();
  const bool bitmap = format == GGO_BITMAP || format == GGO_METRICS;
  FT_Int32 flags = FT_LOAD_NO_BITMAP | (bitmap ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
  if ((fuFormat & GGO_UNHINTED) || format == GGO_NATIVE || format == GGO_BEZIER) flags |= FT_LOAD_NO_HINTING;
  if (FT_Load_Glyph(face, index, flags) != 0) return GDI_ERROR;
  FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return GDI_ERROR;
  const double m11 = FromFixed(lpmat2->eM11), m12 = FromFixed(lpmat2->eM12), m21 = FromFixed(lpmat2->eM21),
               m22 = FromFixed(lpmat2->eM22);
  FT_Matrix mat{FT_Fixed(std::llround(m11 * 65536)), FT_Fixed(std::llround(m21 * 65536)),
                FT_Fixed(std::llround(m12 * 65536)), FT_Fixed(std::llround(m22 * 65536))};
  FT_Outline_Transform(&slot->outline, &mat);
  FT_BBox box;
  FT_Outline_Get_CBox(&slot->outline, &box);
  const long x0 = box.xMin >> 6, y0 = box.yMin >> 6, x1 = (box.xMax + 63) >> 6, y1 = (box.yMax + 63) >> 6;
  const double adv = slot->advance.x / 64.0;
  GLYPHMETRICS gm{};
  gm.gmBlackBoxX = UINT(std::max<long>(1, x1 - x0));
  gm.gmBlackBoxY = UINT(std::max<long>(1, y1 - y0));
  gm.gmptGlyphOrigin = {LONG(x0), LONG(y1)};
  gm.gmCellIncX = SHORT(std::lround(adv * m11));
  gm.gmCellIncY = SHORT(std::lround(adv * m12));
  if (slot->outline.n_points == 0) {
    gm.gmBlackBoxX = gm.gmBlackBoxY = 1;
    gm.gmptGlyphOrigin = {0, 0};
  }
  *lpgm = gm;
  if (format == GGO_METRICS) return 0;
  if (format == GGO_NATIVE || format == GGO_BEZIER) {
    const size_t need = WriteOutline(slot->outline, format == GGO_BEZIER, nullptr, 0);
    if (!pvBuffer || cjBuffer == 0) return DWORD(need);
    if (cjBuffer < need) return GDI_ERROR;
    WriteOutline(slot->outline, format == GGO_BEZIER, static_cast<uint8_t*>(pvBuffer), cjBuffer);
    return DWORD(need);
  }
  // Bitmaps: rows of whole DWORDs, top row first, covering the black box.
  const int w = int(gm.gmBlackBoxX), h = int(gm.gmBlackBoxY);
  const bool mono = format == GGO_BITMAP;
  const size_t pitch = mono ? size_t((w + 31) / 32 * 4) : size_t((w + 3) / 4 * 4);
  const size_t need = pitch * size_t(h);
  if (slot->outline.n_points == 0) return 0;
  if (!pvBuffer || cjBuffer == 0) return DWORD(need);
  if (cjBuffer < need) return GDI_ERROR;
  FT_Bitmap bm{};
  bm.rows = unsigned(h);
  bm.width = unsigned(w);
  std::vector<uint8_t> buffer(size_t(mono ? (w + 31) / 32 * 4 : w) * size_t(h));
  bm.pitch = mono ? (w + 31) / 32 * 4 : w;
  bm.buffer = buffer.data();
  bm.pixel_mode = mono ? FT_PIXEL_MODE_MONO : FT_PIXEL_MODE_GRAY;
  bm.num_grays = mono ? 2 : 256;
  FT_Outline_Translate(&slot->outline, -x0 * 64, -y0 * 64);
  if (FT_Outline_Get_Bitmap(FontLibrary(), &slot->outline, &bm) != 0) return GDI_ERROR;
  uint8_t* out = static_cast<uint8_t*>(pvBuffer);
  std::memset(out, 0, need);
  const int levels = format == GGO_GRAY2_BITMAP ? 4 : format == GGO_GRAY4_BITMAP ? 16 : 64;
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = buffer.data() + size_t(y) * size_t(bm.pitch);
    if (mono) {
      std::memcpy(out + size_t(y) * pitch, src, size_t((w + 7) / 8));
    } else {
      for (int x = 0; x < w; ++x) out[size_t(y) * pitch + size_t(x)] = uint8_t((src[x] * levels + 127) / 255);
    }
  }
  return DWORD(need);
}

WIN32_API DWORD WINAPI GetFontData(HDC hdc, DWORD dwTable, DWORD dwOffset, PVOID pvBuffer, DWORD cjBuffer) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return GDI_ERROR;
  auto font = RealizeFont(*dc);
  if (!font) return GDI_ERROR;
  // The platform names a table by its four characters in file order read as a little-endian DWORD.
  FT_ULong tag = 0;
  if (dwTable != 0 && dwTable != 0x66637474)  // 'ttcf': the whole collection file
    tag = FT_ULong(((dwTable & 0xFF) << 24) | ((dwTable & 0xFF00) << 8) | ((dwTable >> 8) & 0xFF00) | (dwTable >> 24));
  FT_ULong length = 0;
  if (FT_Load_Sfnt_Table(font->Face(), tag, 0, nullptr, &length) != 0) return GDI_ERROR;
  if (dwOffset > length) return GDI_ERROR;
  const FT_ULong available = length - dwOffset;
  if (!pvBuffer || cjBuffer == 0) return DWORD(available);
  FT_ULong n = std::min<FT_ULong>(available, cjBuffer);
  if (n == 0) return 0;
  if (FT_Load_Sfnt_Table(font->Face(), tag, dwOffset, static_cast<FT_Byte*>(pvBuffer), &n) != 0) return GDI_ERROR;
  return DWORD(n);
}

WIN32_API DWORD WINAPI GetKerningPairsW(HDC hdc, DWORD nPairs, LPKERNINGPAIR lpKernPair) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc) return 0;
  double sx = 1;
  auto font = RealizeFont(*dc, &sx);
  if (!font) return 0;
  FT_Face face = font->Face();
  FT_ULong length = 0;
  std::vector<KERNINGPAIR> pairs;
  if (FT_Load_Sfnt_Table(face, FT_MAKE_TAG('k', 'e', 'r', 'n'), 0, nullptr, &length) == 0 && length >= 4) {
    std::vector<uint8_t> kern(length);
    FT_Load_Sfnt_Table(face, FT_MAKE_TAG('k', 'e', 'r', 'n'), 0, kern.data(), &length);
    auto u16 = [&](size_t at) -> unsigned { return at + 2 <= kern.size() ? unsigned(kern[at] << 8 | kern[at + 1]) : 0u; };
    // Characters of each glyph (the first character that maps to it).
    std::map<FT_UInt, FT_ULong> charOf;
    FT_UInt g = 0;
    for (FT_ULong c = FT_Get_First_Char(face, &g); g != 0; c = FT_Get_Next_Char(face, c, &g))
      if (c <= 0xFFFF) charOf.emplace(g, c);
    const double scale = font->Ppem() / face->units_per_EM / sx;
    const unsigned tables = u16(2);
    size_t at = 4;
    for (unsigned t = 0; t < tables && at + 6 <= kern.size(); ++t) {
      const unsigned len = u16(at + 2), coverage = u16(at + 4);
      // Format 0, horizontal, not cross-stream, not minimum values.
      if ((coverage >> 8) == 0 && (coverage & 0x7) == 0x1) {
        const unsigned count = u16(at + 6);
        for (unsigned i = 0; i < count; ++i) {
          const size_t p = at + 14 + size_t(i) * 6;
          if (p + 6 > kern.size()) break;
          auto l = charOf.find(u16(p)), r = charOf.find(u16(p + 2));
          if (l == charOf.end() || r == charOf.end()) continue;
          const int value = int16_t(u16(p + 4));
          pairs.push_back(KERNINGPAIR{WORD(l->second), WORD(r->second), int(std::lround(value * scale))});
        }
      }
      if (len == 0) break;
      at += len;
    }
  }
  if (!lpKernPair) return DWORD(pairs.size());
  const DWORD n = std::min<DWORD>(nPairs, DWORD(pairs.size()));
  std::copy_n(pairs.begin(), n, lpKernPair);
  return n;
}

// ---------------------------------------------------------------------------------------------
// Enumeration: the face names of the mapper's table whose fonts are installed, and the
// installed families themselves.

namespace {

struct EnumFace {
  std::u16string face;
  BYTE charSet;
  BYTE pitchAndFamily;
};

std::vector<EnumFace> FindInstalledFaces() {
  static const char16_t* kFaces[] = {u"Arial", u"Times New Roman", u"Courier New", u"MS Shell Dlg", u"MS Sans Serif",
                                     u"\uFF2D\uFF33 \u660E\u671D", u"\uFF2D\uFF33 \uFF30\u660E\u671D",
                                     u"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF",
                                     u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF", u"Liberation Sans",
                                     u"Liberation Serif", u"Liberation Mono"};
  std::vector<EnumFace> out;
  std::set<std::u16string> listed;
  auto add = [&](const std::u16string& face) {
    if (face.empty() || face.size() >= LF_FACESIZE || listed.count(face)) return;
    LOGFONTW lf{};
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    MappedFont m;
    if (!MapFont(lf, m) || m.faceName != face) return;
    listed.insert(face);
    out.push_back({face, m.charSet, m.pitchAndFamily});
  };
  for (const char16_t* face : kFaces) add(face);
  // Then every other scalable family installed on the machine, by its first (English) name.
  FcInit();
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
  FcObjectSet* fields = FcObjectSetBuild(FC_FAMILY, FC_FONTFORMAT, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, fields);
  std::set<std::u16string> families;
  for (int i = 0; fonts && i < fonts->nfont; ++i) {
    FcChar8* family = nullptr;
    FcChar8* format = nullptr;
    if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch) continue;
    if (FcPatternGetString(fonts->fonts[i], FC_FONTFORMAT, 0, &format) == FcResultMatch) {
      const std::string kind = reinterpret_cast<const char*>(format);
      if (kind != "TrueType" && kind != "CFF") continue;
    }
    families.insert(zolt::host::FromUtf8(reinterpret_cast<const char*>(family)));
  }
  if (fonts) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(fields);
  FcPatternDestroy(pattern);
  for (const std::u16string& family : families) add(family);
  return out;
}

// The installed fonts do not change while the process runs.
const std::vector<EnumFace>& InstalledFaces() {
  static const std::vector<EnumFace> faces = FindInstalledFaces();
  return faces;
}

int Enumerate(HDC hdc, const LOGFONTW* filter, FONTENUMPROCW proc, LPARAM lParam, bool allCharsets) {
  GDI_LOCK();
  auto dc = FindDc(hdc);
  if (!dc || !proc) return 0;
  std::u16string wanted;
  BYTE charSet = DEFAULT_CHARSET;
  if (filter) {
    wanted.assign(filter->lfFaceName, std::find(filter->lfFaceName, filter->lfFaceName + LF_FACESIZE, u'\0'));
    charSet = filter->lfCharSet;
  }
  int result = 1;
  // A printer DC offers its module's fonts first.
  if (dc->device && !dc->device->EnumDeviceFonts(filter, proc, lParam, &result)) return result;
  for (const EnumFace& f : InstalledFaces()) {
    if (!wanted.empty() && wanted != f.face) continue;
    // A Japanese face also offers the Western character set.
    std::vector<BYTE> sets{f.charSet};
    if (f.charSet == SHIFTJIS_CHARSET) sets.push_back(ANSI_CHARSET);
    for (BYTE set : sets) {
      if (charSet != DEFAULT_CHARSET && set != charSet) continue;
      ENUMLOGFONTEXW elf{};
      elf.elfLogFont.lfHeight = -16;
      elf.elfLogFont.lfWeight = FW_NORMAL;
      elf.elfLogFont.lfCharSet = set;
      elf.elfLogFont.lfOutPrecision = OUT_STROKE_PRECIS;
      elf.elfLogFont.lfClipPrecision = CLIP_STROKE_PRECIS;
      elf.elfLogFont.lfQuality = DRAFT_QUALITY;
      elf.elfLogFont.lfPitchAndFamily = f.pitchAndFamily;
      std::copy(f.face.begin(), f.face.end(), elf.elfLogFont.lfFaceName);
      std::copy(f.face.begin(), f.face.end(), elf.elfFullName);
      const char16_t* style = u"Regular";
      for (int i = 0; style[i]; ++i) elf.elfStyle[i] = style[i];
      const char16_t* script = set == SHIFTJIS_CHARSET ? u"Japanese" : u"Western";
      for (int i = 0; script[i]; ++i) elf.elfScript[i] = script[i];
      NEWTEXTMETRICEXW ntm{};
      auto inst = FontInstance::Create(elf.elfLogFont, 16, 0);
      if (inst) std::memcpy(&ntm.ntmTm, &inst->Metrics(), sizeof(TEXTMETRICW));
      ntm.ntmTm.tmCharSet = set;
      ntm.ntmTm.ntmFlags = NTM_REGULAR;
      ntm.ntmTm.ntmSizeEM = 2048;
      ntm.ntmTm.ntmCellHeight = inst ? UINT(inst->Metrics().tmHeight) : 16;
      ntm.ntmTm.ntmAvgWidth = inst ? UINT(inst->Metrics().tmAveCharWidth) : 8;
      result = proc(&elf.elfLogFont, reinterpret_cast<const TEXTMETRICW*>(&ntm), TRUETYPE_FONTTYPE, lParam);
      if (!result) return 0;
      if (!allCharsets) break;
    }
  }
  return result;
}

}  // namespace

WIN32_API int WINAPI EnumFontFamiliesExW(HDC hdc, LPLOGFONTW lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam,
                                         DWORD) {
  return Enumerate(hdc, lpLogfont, lpProc, lParam, true);
}

WIN32_API int WINAPI EnumFontFamiliesW(HDC hdc, LPCWSTR lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  for (int i = 0; lpLogfont && lpLogfont[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = lpLogfont[i];
  return Enumerate(hdc, &lf, lpProc, lParam, false);
}

WIN32_API int WINAPI EnumFontsW(HDC hdc, LPCWSTR lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam) {
  return EnumFontFamiliesW(hdc, lpLogfont, lpProc, lParam);
}
