// Mapping logical fonts to installed fonts and realising them with FreeType.
#include "gdi/font.h"

#include <fontconfig/fontconfig.h>

#include <ft2build.h>
#include FT_TRUETYPE_TABLES_H
#include FT_SYNTHESIS_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gdi/font_library.h"
#include "gdi/xform.h"
#include "win32/hostgdi.h"
#include "win32/hosttext.h"

namespace zolt::host::gdi {

FT_Library FontLibrary() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    FT_Init_FreeType(&l);
    return l;
  }();
  return lib;
}

namespace {

struct FaceRow {
  const char16_t* face;
  const char* family;
  BYTE pitchAndFamily;
  BYTE charSet;
};

const FaceRow kFaces[] = {
#include "gdi/font_rows.inc"
};

bool SameFace(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x = char16_t(x - 32);
    if (y >= u'a' && y <= u'z') y = char16_t(y - 32);
    if (x != y) return false;
  }
  return true;
}

bool SameFamily(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// Asks fontconfig for the family with the weight and slant; true only when the match is that family.
bool Match(const std::string& family, int weight, bool italic, MappedFont& out) {
  static FcConfig* config = [] {
    FcInit();
    return FcConfigGetCurrent();
  }();
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pat, FC_WEIGHT, FcWeightFromOpenType(weight <= 0 ? FW_NORMAL : std::min(weight, 1000)));
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result;
  FcPattern* match = FcFontMatch(config, pat, &result);
  FcPatternDestroy(pat);
  if (!match) return false;
  bool ok = false;
  FcChar8* fam = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &fam) == FcResultMatch; ++i)
    if (SameFamily(reinterpret_cast<const char*>(fam), family)) ok = true;
  FcChar8* file = nullptr;
  if (ok && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    out.family = family;
    out.file = reinterpret_cast<const char*>(file);
    int index = 0, w = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &w);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    out.index = index;
    out.bold = w >= FC_WEIGHT_DEMIBOLD;
    out.italic = slant != FC_SLANT_ROMAN;
  } else {
    ok = false;
  }
  FcPatternDestroy(match);
  return ok;
}

}  // namespace

bool MapFont(const LOGFONTW& lf, MappedFont& out) {
  static std::map<std::string, std::pair<bool, MappedFont>> cache;
  std::u16string face(lf.lfFaceName, std::find(lf.lfFaceName, lf.lfFaceName + LF_FACESIZE, u'\0'));
  if (!face.empty() && face[0] == u'@') face.erase(0, 1);  // vertical faces map like their horizontal ones
  const int weight = lf.lfWeight;
  const bool italic = lf.lfItalic != 0;
  const std::string key = ToUtf8(face) + "|" + std::to_string(weight) + "|" + std::to_string(italic) + "|" +
                          std::to_string(lf.lfCharSet) + "|" + std::to_string(lf.lfPitchAndFamily);
  auto it = cache.find(key);
  if (it != cache.end()) {
    out = it->second.second;
    return it->second.first;
  }
  MappedFont m;
  bool ok = false;
  for (const FaceRow& row : kFaces) {
    if (!face.empty() && SameFace(face, row.face)) {
      ok = Match(row.family, weight, italic, m);
      if (ok) {
        m.pitchAndFamily = row.pitchAndFamily;
        m.charSet = row.charSet;
        m.faceName = face;
      }
      break;
    }
  }
  if (!ok && !face.empty()) {
    // An installed family asked for by its own name.
    ok = Match(ToUtf8(face), weight, italic, m);
    if (ok) {
      m.faceName = face;
      m.pitchAndFamily = VARIABLE_PITCH | FF_DONTCARE;
      m.charSet = ANSI_CHARSET;
    }
  }
  if (!ok) {
    // The font's character set, pitch and family choose a substitute.
    const BYTE family = lf.lfPitchAndFamily & 0xF0;
    const BYTE pitch = lf.lfPitchAndFamily & 0x03;
    const char16_t* choice = u"Arial";
    if (lf.lfCharSet == SHIFTJIS_CHARSET)
      choice = family == FF_ROMAN ? u"\uFF2D\uFF33 \u660E\u671D" : u"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF";
    else if (pitch == FIXED_PITCH || family == FF_MODERN)
      choice = u"Courier New";
    else if (family == FF_ROMAN)
      choice = u"Times New Roman";
    for (const FaceRow& row : kFaces)
      if (SameFace(choice, row.face)) {
        ok = Match(row.family, weight, italic, m);
        m.pitchAndFamily = row.pitchAndFamily;
        m.charSet = row.charSet;
        m.faceName = row.face;
        break;
      }
  }
  cache.emplace(key, std::make_pair(ok, m));
  out = m;
  return ok;
}

FontInstance::~FontInstance() {
  if (face_) FT_Done_Face(face_);
}

std::shared_ptr<FontInstance> FontInstance::Create(const LOGFONTW& lf, double heightPixels, double widthPixels) {
  auto fi = std::shared_ptr<FontInstance>(new FontInstance);
  if (!MapFont(lf, fi->mapped_)) return nullptr;
  if (FT_New_Face(FontLibrary(), fi->mapped_.file.c_str(), fi->mapped_.index, &fi->face_) != 0) return nullptr;
  FT_Face face = fi->face_;
  const TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const TT_HoriHeader* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  const TT_Postscript* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
  const double upem = face->units_per_EM ? face->units_per_EM : 2048;
  const double winAscent = os2 ? os2->usWinAscent : face->ascender;
  const double winDescent = os2 ? os2->usWinDescent : -face->descender;
  // A positive height is the cell (ascent + descent), a negative one the em; 0 asks for the
  // default size.
  double h = heightPixels;
  if (lf.lfHeight == 0) h = 16;
  double ppem = lf.lfHeight < 0 ? std::fabs(h) : std::fabs(h) * upem / (winAscent + winDescent);
  ppem = std::clamp(ppem, 1.0, 16384.0);
  fi->ppem_ = ppem;
  const double s = ppem / upem;
  // The width: lfWidth asks for an average character width.
  double xppem = ppem;
  if (lf.lfWidth != 0 && os2 && os2->xAvgCharWidth > 0)
    xppem = std::clamp(std::fabs(widthPixels) * upem / os2->xAvgCharWidth, 1.0, 16384.0);
  FT_Set_Char_Size(face, FT_F26Dot6(std::llround(xppem * 64)), FT_F26Dot6(std::llround(ppem * 64)), 72, 72);
  fi->lf_ = lf;
  fi->heightPixels_ = heightPixels;
  if (lf.lfEscapement % 3600 != 0) {
    fi->escapement_ = (lf.lfEscapement % 3600) * M_PI / 1800.0;
    const double c = std::cos(fi->escapement_), sn = std::sin(fi->escapement_);
    FT_Matrix rot{FT_Fixed(std::llround(c * 65536)), FT_Fixed(std::llround(-sn * 65536)),
                  FT_Fixed(std::llround(sn * 65536)), FT_Fixed(std::llround(c * 65536))};
    FT_Set_Transform(face, &rot, nullptr);
  }
  const double sx = xppem / upem;
  TEXTMETRICW& tm = fi->tm_;
  tm.tmAscent = LONG(std::lround(winAscent * s));
  tm.tmDescent = LONG(std::lround(winDescent * s));
  if (lf.lfHeight > 0) tm.tmDescent = LONG(std::lround(std::fabs(h))) - tm.tmAscent;
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - LONG(std::lround(ppem)));
  if (hhea) {
    const double gap = hhea->Line_Gap - ((winAscent + winDescent) - (hhea->Ascender - hhea->Descender));
    tm.tmExternalLeading = std::max<LONG>(0, LONG(std::lround(gap * s)));
    tm.tmMaxCharWidth = LONG(std::lround(hhea->advance_Width_Max * sx));
  }
  tm.tmAveCharWidth = os2 ? LONG(std::lround(os2->xAvgCharWidth * sx)) : LONG(std::lround(xppem / 2));
  const bool wantBold = lf.lfWeight >= FW_SEMIBOLD;
  fi->emboldened_ = wantBold && !fi->mapped_.bold;
  tm.tmWeight = fi->emboldened_ ? FW_BOLD : (os2 ? os2->usWeightClass : (fi->mapped_.bold ? FW_BOLD : FW_NORMAL));
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = os2 ? WCHAR(std::max<int>(os2->usFirstCharIndex, 0x1E)) : 0x20;
  tm.tmLastChar = os2 ? WCHAR(std::min<int>(os2->usLastCharIndex, 0xFFFC)) : 0xFFFC;
  tm.tmDefaultChar = 0x1F;
  tm.tmBreakChar = 0x20;
  if (tm.tmFirstChar > 0x1F) tm.tmDefaultChar = tm.tmFirstChar;
  tm.tmItalic = lf.lfItalic ? 1 : 0;
  tm.tmUnderlined = lf.lfUnderline ? 1 : 0;
  tm.tmStruckOut = lf.lfStrikeOut ? 1 : 0;
  const bool fixed = FT_IS_FIXED_WIDTH(face) || (fi->mapped_.pitchAndFamily & 0x03) == FIXED_PITCH;
  // The platform's bit means a variable pitch despite its name.
  tm.tmPitchAndFamily = BYTE(TMPF_VECTOR | TMPF_TRUETYPE | (fixed ? 0 : TMPF_FIXED_PITCH) |
                             (fi->mapped_.pitchAndFamily & 0xF0));
  tm.tmCharSet = lf.lfCharSet == DEFAULT_CHARSET || lf.lfCharSet == OEM_CHARSET ? fi->mapped_.charSet : lf.lfCharSet;
  if (post) {
    fi->underlinePosition = std::max(1, int(std::lround(-post->underlinePosition * s)));
    fi->underlineThickness = std::max(1, int(std::lround(post->underlineThickness * s)));
  } else {
    fi->underlinePosition = std::max(1, tm.tmDescent / 2);
  }
  if (os2 && os2->yStrikeoutSize > 0) {
    fi->strikeoutPosition = int(std::lround(os2->yStrikeoutPosition * s));
    fi->strikeoutThickness = std::max(1, int(std::lround(os2->yStrikeoutSize * s)));
  } else {
    fi->strikeoutPosition = tm.tmAscent / 3;
  }
  return fi;
}

FT_UInt FontInstance::GlyphIndex(char32_t c) const {
  FT_UInt g = FT_Get_Char_Index(face_, FT_ULong(c));
  if (g == 0 && mapped_.charSet == SYMBOL_CHARSET) g = FT_Get_Char_Index(face_, FT_ULong(0xF000 | (c & 0xFF)));
  return g;
}

const Glyph* FontInstance::GetGlyph(FT_UInt index) {
  auto it = glyphs_.find(index);
  if (it != glyphs_.end()) return &it->second;
  Glyph g;
  if (FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) == 0) {
    FT_GlyphSlot slot = face_->glyph;
    if (emboldened_) FT_GlyphSlot_Embolden(slot);
    if (tm_.tmItalic && !mapped_.italic && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      FT_Matrix shear{0x10000, 0x366A, 0, 0x10000};  // about 12 degrees
      FT_Outline_Transform(&slot->outline, &shear);
    }
    // Advances in font space (y up) become device vectors (y down).
    g.advX = slot->advance.x;
    g.advY = -slot->advance.y;
    g.advance = escapement_ == 0 ? int((slot->advance.x + 32) >> 6)
                                 : int(std::lround(std::hypot(double(slot->advance.x), double(slot->advance.y)) / 64));
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) == 0) {
      const FT_Bitmap& bm = slot->bitmap;
      g.left = slot->bitmap_left;
      g.top = slot->bitmap_top;
      g.width = int(bm.width);
      g.height = int(bm.rows);
      g.pitch = (g.width + 7) / 8;
      g.bits.resize(size_t(g.pitch) * size_t(g.height));
      for (int y = 0; y < g.height; ++y)
        std::memcpy(g.bits.data() + size_t(y) * size_t(g.pitch), bm.buffer + ptrdiff_t(y) * bm.pitch, size_t(g.pitch));
    }
    const FT_Glyph_Metrics& m = slot->metrics;
    g.abc.abcA = int(std::floor(m.horiBearingX / 64.0));
    g.abc.abcB = UINT(std::max<long>(1, long(std::ceil((m.horiBearingX + m.width) / 64.0)) - g.abc.abcA));
    if (m.width == 0) g.abc.abcB = 0;
    g.abc.abcC = g.advance - g.abc.abcA - int(g.abc.abcB);
  }
  return &glyphs_.emplace(index, std::move(g)).first->second;
}

FontInstance* FontInstance::Fallback() {
  if (!fallbackTried_) {
    fallbackTried_ = true;
    if (mapped_.charSet != SHIFTJIS_CHARSET) {
      LOGFONTW lf = lf_;
      const char16_t* face = (mapped_.pitchAndFamily & 0xF0) == FF_ROMAN ? u"\uFF2D\uFF33 \u660E\u671D"
                                                                        : u"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF";
      std::memset(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
      for (int i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
      lf.lfCharSet = SHIFTJIS_CHARSET;
      lf.lfWidth = 0;
      fallback_ = Create(lf, heightPixels_, 0);
    }
  }
  return fallback_.get();
}

std::shared_ptr<FontInstance> RealizeFont(const DcObj& dc, double* scaleX, double* scaleY) {
  const Matrix m = LogicalToDevice(dc.st);
  double hx, hy, wx, wy;
  m.ApplyVector(0, 1, hx, hy);
  m.ApplyVector(1, 0, wx, wy);
  const double sy = std::hypot(hx, hy), sx = std::hypot(wx, wy);
  if (scaleX) *scaleX = sx > 0 ? sx : 1;
  if (scaleY) *scaleY = sy > 0 ? sy : 1;
  const LOGFONTW& lf = dc.st.font->lf;
  const double h = std::fabs(double(lf.lfHeight)) * sy, w = std::fabs(double(lf.lfWidth)) * sx;
  struct Key {
    LOGFONTW lf;
    long long h, w;
  };
  static std::vector<std::pair<std::vector<uint8_t>, std::shared_ptr<FontInstance>>> cache;
  Key key{lf, std::llround(h * 64), std::llround(w * 64)};
  std::vector<uint8_t> bytes(sizeof(Key));
  std::memset(bytes.data(), 0, bytes.size());
  std::memcpy(bytes.data(), &key.lf, sizeof(LOGFONTW));
  std::memcpy(bytes.data() + sizeof(LOGFONTW), &key.h, sizeof(long long));
  std::memcpy(bytes.data() + sizeof(LOGFONTW) + sizeof(long long), &key.w, sizeof(long long));
  for (auto& [k, inst] : cache)
    if (k == bytes) return inst;
  auto inst = FontInstance::Create(lf, h, w);
  if (!inst) return nullptr;
  if (cache.size() >= 64) cache.erase(cache.begin());
  cache.emplace_back(std::move(bytes), inst);
  return inst;
}

}  // namespace zolt::host::gdi

namespace zolt::host {

bool MappedFontFile(const LOGFONTW& lf, std::string& family, std::filesystem::path& file) {
  GDI_LOCK();
  gdi::MappedFont m;
  if (!gdi::MapFont(lf, m)) return false;
  family = m.family;
  file = m.file;
  return true;
}

}  // namespace zolt::host

// fontconfig keeps parts of its parsed configuration for the life of the process; the leak
// checker of the sanitizer builds is told so (the hook is found in any loaded object).
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
