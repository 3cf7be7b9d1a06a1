// Build step of zoltgr: writes the font resources of the module (see gr_font_resources.h) into
// a folder, for zoltrc to compile with zoltgr.rc.
//
//   make_font_resources OUTPUT_DIR
//
// The metrics of the four resident fonts are one record that differs only in the names and the
// pitch. The Shift-JIS glyph set holds every character that code page 932 encodes as a printable
// single byte or as a double-byte code outside the user-defined area, each with the code that
// the platform's conversion gives it; the counts are checked so that a different conversion
// table fails the build instead of changing the printer's codes.
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "gr_font_resources.h"
#include "win32/codepage.h"
#include "win32/ddi.h"

namespace {

struct Bytes {
  std::vector<uint8_t> b;
  size_t Size() const { return b.size(); }
  void Pad(size_t to) {
    if (b.size() < to) b.resize(to, 0);
  }
  void Align(size_t n) { Pad((b.size() + n - 1) / n * n); }
  void Put32(size_t at, uint32_t v) {
    Pad(at + 4);
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
  }
  void Put16(size_t at, uint16_t v) {
    Pad(at + 2);
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
  }
  void Append(const void* p, size_t n) {
    const auto* s = static_cast<const uint8_t*>(p);
    b.insert(b.end(), s, s + n);
  }
};

bool Write(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

struct FontRow {
  const char16_t* name;
  const char* symbolSets;
  BYTE pitchAndFamily;
};

// 明朝, @明朝, ｺﾞｼｯｸ (half-width letters) and @ｺﾞｼｯｸ.
const FontRow kFonts[kDeviceFontResourceCount] = {
    {u"\u660E\u671D", "ROMA;J83;KATA", 0x11},
    {u"@\u660E\u671D", "ROMA;J83V;KATA", 0x11},
    {u"\uFF7A\uFF9E\uFF7C\uFF6F\uFF78", "ROMA;J83;KATA", 0x21},
    {u"@\uFF7A\uFF9E\uFF7C\uFF6F\uFF78", "ROMA;J83V;KATA", 0x21},
};

// A single byte of code page 932 that prints: 0x20-0x7E and the half-width katakana.
bool PrintableSingle(unsigned code) { return (code >= 0x20 && code <= 0x7E) || (code >= 0xA1 && code <= 0xDF); }

std::vector<uint8_t> MetricsResource(const FontRow& row) {
  Bytes r;
  r.Pad(kFontResMetricsAt);
  // Widths of the codes: half an em for the single bytes that print, none for the others.
  for (uint32_t code = 0; code < kFontResWidthCount; ++code)
    r.Put16(kFontResWidthsAt + 2 * code, PrintableSingle(code) ? 500 : 0);

  IFIMETRICS ifi{};
  const std::u16string name = row.name;
  const std::u16string style = u"Medium";
  const size_t nameBytes = (name.size() + 1) * 2, styleBytes = (style.size() + 1) * 2;
  size_t at = sizeof(IFIMETRICS);
  ifi.dpwszFamilyName = PTRDIFF(at);
  at += nameBytes;
  ifi.dpwszStyleName = PTRDIFF(at);
  at += styleBytes;
  ifi.dpwszFaceName = PTRDIFF(at);
  at += nameBytes;
  ifi.dpwszUniqueName = PTRDIFF(at);
  at += nameBytes;
  at = (at + 7) / 8 * 8;
  ifi.dpFontSim = PTRDIFF(at);
  const size_t simAt = at;
  at += sizeof(FONTSIM) + 3 * sizeof(FONTDIFF);
  ifi.cjThis = ULONG(at);
  ifi.jWinCharSet = SHIFTJIS_CHARSET;
  ifi.jWinPitchAndFamily = row.pitchAndFamily;
  ifi.usWinWeight = 400;
  ifi.flInfo = FM_INFO_TECH_OUTLINE_NOT_TRUETYPE | FM_INFO_ARB_XFORMS | FM_INFO_1BPP | FM_INFO_NOT_CONTIGUOUS |
               FM_INFO_RIGHT_HANDED | FM_INFO_OPTICALLY_FIXED_PITCH | FM_INFO_FAMILY_EQUIV | FM_INFO_DBCS_FIXED_PITCH;
  static_assert((FM_INFO_TECH_OUTLINE_NOT_TRUETYPE | FM_INFO_ARB_XFORMS | FM_INFO_1BPP | FM_INFO_NOT_CONTIGUOUS |
                 FM_INFO_RIGHT_HANDED | FM_INFO_OPTICALLY_FIXED_PITCH | FM_INFO_FAMILY_EQUIV |
                 FM_INFO_DBCS_FIXED_PITCH) == 0x18482038);
  ifi.fsSelection = 0;
  ifi.fsType = FM_NO_EMBEDDING;
  ifi.fwdUnitsPerEm = 1000;
  ifi.fwdLowestPPEm = 1;
  ifi.fwdWinAscender = 900;
  ifi.fwdWinDescender = 100;
  ifi.fwdMacAscender = ifi.fwdTypoAscender = 900;
  ifi.fwdMacDescender = ifi.fwdTypoDescender = -100;
  ifi.fwdMacLineGap = ifi.fwdTypoLineGap = 0;
  ifi.fwdAveCharWidth = 500;
  ifi.fwdMaxCharInc = 1000;
  ifi.fwdSubscriptXSize = ifi.fwdSubscriptYSize = 300;
  ifi.fwdSubscriptXOffset = 600;
  ifi.fwdSubscriptYOffset = -100;
  ifi.fwdSuperscriptXSize = ifi.fwdSuperscriptYSize = 300;
  ifi.fwdSuperscriptXOffset = 600;
  ifi.fwdSuperscriptYOffset = 300;
  ifi.fwdUnderscoreSize = 46;
  ifi.fwdUnderscorePosition = -93;
  ifi.fwdStrikeoutSize = 46;
  ifi.fwdStrikeoutPosition = 450;
  ifi.chFirstChar = 32;
  ifi.chLastChar = 255;
  ifi.chDefaultChar = 165;
  ifi.chBreakChar = 32;
  ifi.wcFirstChar = 0x20;
  ifi.wcLastChar = 0xFFFD;
  ifi.wcDefaultChar = 0x30FB;
  ifi.wcBreakChar = 0x20;
  ifi.ptlBaseline = POINTL{1, 0};
  ifi.ptlAspect = POINTL{1, 1};
  ifi.ptlCaret = POINTL{0, 1};
  ifi.rclFontBox = RECTL{0, 900, 500, -100};
  std::memcpy(ifi.achVendId, "Unkn", 4);
  ifi.panose.bWeight = 6;

  Bytes m;
  m.Append(&ifi, sizeof ifi);
  auto putName = [&](PTRDIFF off, const std::u16string& s) {
    for (size_t i = 0; i < s.size(); ++i) m.Put16(size_t(off) + 2 * i, s[i]);
    m.Put16(size_t(off) + 2 * s.size(), 0);
  };
  putName(ifi.dpwszFamilyName, name);
  putName(ifi.dpwszStyleName, style);
  putName(ifi.dpwszFaceName, name);
  putName(ifi.dpwszUniqueName, name);
  m.Pad(simAt);
  FONTSIM sim{};
  sim.dpBold = sizeof(FONTSIM);
  sim.dpItalic = sizeof(FONTSIM) + sizeof(FONTDIFF);
  sim.dpBoldItalic = sizeof(FONTSIM) + 2 * sizeof(FONTDIFF);
  m.Append(&sim, sizeof sim);
  const FONTDIFF diffs[3] = {
      {0, 0, 0, 6, 700, 0x20, 501, 1001, POINTL{0, 1}},
      {0, 0, 0, 6, 400, 0x01, 500, 1000, POINTL{1, 2}},
      {0, 0, 0, 8, 700, 0x21, 501, 1001, POINTL{1, 2}},
  };
  m.Append(diffs, sizeof diffs);
  if (m.Size() != ifi.cjThis) return {};

  r.Append(m.b.data(), m.Size());
  const size_t symbolsAt = r.Size();
  r.Append(row.symbolSets, std::strlen(row.symbolSets) + 1);
  r.Align(4);
  r.Put32(kFontResSizeAt, uint32_t(r.Size()));
  r.Put32(kFontResMetricsOffsetAt, kFontResMetricsAt);
  r.Put32(kFontResSymbolSetAt, uint32_t(symbolsAt));
  return r.b;
}

// Characters to glyph handles as a glyph-set resource: runs of consecutive characters.
std::vector<uint8_t> GlyphSetResource(const std::map<char16_t, uint32_t>& glyphs, uint32_t* runCount) {
  std::vector<std::pair<char16_t, uint16_t>> runs;
  char16_t previous = 0;
  for (const auto& [c, code] : glyphs) {
    if (!runs.empty() && c == previous + 1 && runs.back().second < 0xFFFF) {
      runs.back().second += 1;
    } else {
      runs.push_back({c, 1});
    }
    previous = c;
  }
  *runCount = uint32_t(runs.size());
  Bytes r;
  const size_t head = offsetof(FD_GLYPHSET, awcrun) + sizeof(WCRUN) * runs.size();
  r.Pad(head);
  r.Put32(offsetof(FD_GLYPHSET, cjThis), uint32_t(head));
  r.Put32(offsetof(FD_GLYPHSET, flAccel), 0);
  r.Put32(offsetof(FD_GLYPHSET, cGlyphsSupported), uint32_t(glyphs.size()));
  r.Put32(offsetof(FD_GLYPHSET, cRuns), uint32_t(runs.size()));
  for (size_t i = 0; i < runs.size(); ++i) {
    const size_t at = offsetof(FD_GLYPHSET, awcrun) + sizeof(WCRUN) * i;
    r.Put16(at + offsetof(WCRUN, wcLow), runs[i].first);
    r.Put16(at + offsetof(WCRUN, cGlyphs), runs[i].second);
  }
  for (const auto& [c, code] : glyphs) {
    (void)c;
    r.Put32(r.Size(), code);
  }
  return r.b;
}

// The code of a character in code page 932 as the platform converts it (no best fit), or 0.
uint32_t CodeOf932(char16_t c) {
  char bytes[4] = {};
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, reinterpret_cast<LPCWSTR>(&c), 1, bytes, 4, nullptr,
                                    &usedDefault);
  if (usedDefault || n < 1 || n > 2) return 0;
  return n == 1 ? uint8_t(bytes[0]) : (uint32_t(uint8_t(bytes[0])) << 8) | uint8_t(bytes[1]);
}

// The character of a code of a code page, or 0 when it has none (or more than one UTF-16 unit).
char16_t CharOf(UINT codePage, uint32_t code) {
  char bytes[2];
  int n = 0;
  if (code > 0xFF) bytes[n++] = char(code >> 8);
  bytes[n++] = char(code & 0xFF);
  WCHAR out[2] = {};
  const int got = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, n, out, 2);
  return got == 1 ? out[0] : 0;
}

// Of the codes of one character, the one a device font uses: JIS X 0208, then NEC row 13, then
// the IBM extensions, and never an NEC-selected IBM extension.
int CodeRank(uint32_t code) {
  if (code >= 0xED40 && code <= 0xEEFC) return 3;
  if (code >= 0xFA40 && code <= 0xFC4B) return 2;
  if (code >= 0x8790 && code <= 0x879C) return 1;
  return 0;
}

bool ShiftJisGlyphs(std::map<char16_t, uint32_t>& glyphs, std::string& error) {
  std::map<char16_t, std::vector<uint32_t>> codes;
  unsigned singles = 0, doubles = 0;
  for (uint32_t code = 0x20; code <= 0xFF; ++code) {
    if (!PrintableSingle(code)) continue;
    if (char16_t c = CharOf(932, code)) codes[c].push_back(code);
  }
  for (uint32_t lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0) continue;
    for (uint32_t trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const uint32_t code = (lead << 8) | trail;
      if (code >= 0xF040 && code <= 0xF9FC) continue;  // user-defined area
      if (char16_t c = CharOf(932, code)) codes[c].push_back(code);
    }
  }
  for (const auto& [c, list] : codes) {
    uint32_t best = list.front();
    for (uint32_t code : list)
      if (CodeRank(code) < CodeRank(best)) best = code;
    const uint32_t converted = CodeOf932(c);
    if (converted != best) {
      char text[96];
      std::snprintf(text, sizeof text, "U+%04X converts to %04X, expected %04X", unsigned(c), converted, best);
      error = text;
      return false;
    }
    if (CodeRank(best) == 3) {
      error = "an NEC-selected code would be used";
      return false;
    }
    glyphs[c] = best;
    (best > 0xFF ? doubles : singles) += 1;
  }
  if (singles != 158 || doubles != 7326) {
    error = "code page 932 gave " + std::to_string(singles) + " single-byte and " + std::to_string(doubles) +
            " double-byte codes";
    return false;
  }
  return true;
}

// The other symbol sets: the printable codes of code page 850.
void OtherGlyphs(std::map<char16_t, uint32_t>& glyphs) {
  for (uint32_t code = 0x20; code <= 0xFF; ++code) {
    if (code == 0x7F) continue;
    char16_t c = CharOf(850, code);
    if (c && !glyphs.count(c)) glyphs[c] = code;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_font_resources OUTPUT_DIR\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  for (int i = 0; i < kDeviceFontResourceCount; ++i) {
    const std::vector<uint8_t> bytes = MetricsResource(kFonts[i]);
    if (bytes.empty() || !Write(dir / ("font_metrics_" + std::to_string(i + 1) + ".bin"), bytes)) {
      std::fprintf(stderr, "make_font_resources: cannot write the metrics of font %d\n", i + 1);
      return 1;
    }
  }
  std::map<char16_t, uint32_t> sjis;
  std::string error;
  if (!ShiftJisGlyphs(sjis, error)) {
    std::fprintf(stderr, "make_font_resources: %s\n", error.c_str());
    return 1;
  }
  uint32_t runs = 0;
  const std::vector<uint8_t> sjisSet = GlyphSetResource(sjis, &runs);
  if (sjis.size() != 7484 || runs != 4247 || sjis.begin()->first != 0x20 || sjis.rbegin()->first != 0xFFE5) {
    std::fprintf(stderr, "make_font_resources: the Shift-JIS glyph set has %zu glyphs in %u runs\n", sjis.size(),
                 runs);
    return 1;
  }
  std::map<char16_t, uint32_t> other;
  OtherGlyphs(other);
  const std::vector<uint8_t> otherSet = GlyphSetResource(other, &runs);
  if (!Write(dir / "glyph_set_2.bin", sjisSet) || !Write(dir / "glyph_set_3.bin", otherSet)) {
    std::fprintf(stderr, "make_font_resources: cannot write the glyph sets\n");
    return 1;
  }
  return 0;
}
