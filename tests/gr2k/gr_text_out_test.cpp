// Text output: the form a string takes (glyphs downloaded once per page, glyph bitmaps, the
// printer's own fonts, outlines), the font records and their cache, the records of each form
// decoded, and strings the module must survive.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "glyph_runs.h"
#include "gr_brush.h"
#include "gr_device_fonts.h"
#include "gr_drawing_services.h"
#include "gr_glyph_download.h"
#include "gr_text_out.h"
#include "gr_text_support.h"
#include "machine_fixture.h"

namespace zolt::test {
namespace {

using blocks::DecodedRecord;
using blocks::Le16;
using blocks::Le32;

int32_t I32(const std::string& s, size_t at) { return static_cast<int32_t>(Le32(s, at)); }
int16_t I16(const std::string& s, size_t at) { return static_cast<int16_t>(Le16(s, at)); }

// The UTF-16 name of a font definition of the download form.
std::u16string WideRecordName(const DecodedRecord& r) {
  std::u16string name;
  for (size_t at = 32; at + 1 < r.bytes.size() && Le16(r.bytes, at); at += 2) name += char16_t(Le16(r.bytes, at));
  return name;
}
// The byte name of records 80 (at 24) and 86 of the device-text form (at 32).
std::string ByteRecordName(const DecodedRecord& r) {
  const size_t at = r.opcode == 80 ? 24 : 32;
  return std::string(r.bytes.c_str() + at);
}

class GrTextOut : public DriverMachineTest {
 protected:
  host::MachineFacts Facts() const override {
    host::MachineFacts f;
    f.ansiCodePage = 932;
    return f;
  }
  void SetUp() override {
    DriverMachineTest::SetUp();
    target_ = std::make_unique<DrawTarget>(2000, 2000);
    pdev()->osVersion.dwMajorVersion = 10;
    pdev()->textBitmapQuality = 1;
  }
  void TearDown() override {
    if (pdev()->deviceFonts) GrFreeDeviceFonts(pdev(), static_cast<DeviceFontTable*>(pdev()->deviceFonts));
    pdev()->deviceFonts = nullptr;
    target_.reset();
    if (module_) FreeLibrary(module_);
    DriverMachineTest::TearDown();
  }
  PhysicalDevice* pdev() { return target_->pdev(); }
  void LoadDeviceFonts() {
    module_ = LoadLibraryW(u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\zoltgr.dll");
    ASSERT_NE(module_, nullptr);
    auto* table = GrLoadDeviceFonts(pdev(), module_);
    ASSERT_NE(table, nullptr);
    pdev()->deviceFonts = table;
    pdev()->deviceFontCount = table->count;
    pdev()->textMode = 1;
  }
  // A page break as the document flow makes it.
  void NextPage() {
    GrEmptyGlyphTable(pdev());
    GrInvalidateDrawCaches(pdev());
  }
  std::vector<DecodedRecord> Draw(EngString& s, EngFont& f, const TextCall& call = {}) {
    EXPECT_TRUE(DrawText(*target_, s, f, call));
    return target_->Records();
  }

  std::unique_ptr<DrawTarget> target_;
  HMODULE module_ = nullptr;
};

// ---- the download form ------------------------------------------------------------------------

TEST_F(GrTextOut, DownloadFormSendsEachGlyphOncePerPage) {
  auto font = TrueTypeFont(u"Times New Roman", 40, 0x51);
  ASSERT_NE(font, nullptr);
  auto s = LayOut(*font, u"Hello", POINTL{100, 200});
  auto first = Draw(*s, *font);
  // The font definition with the wide face name, one glyph record per distinct glyph, the positions.
  auto defs = OfOpcode(first, 86);
  ASSERT_EQ(defs.size(), 1u);
  EXPECT_EQ(WideRecordName(defs[0]), u"Times New Roman");
  const uint16_t fontFlags = Le16(defs[0].bytes, 4);
  EXPECT_EQ(fontFlags, 0x4000 | 0x40 | 0x8);
  EXPECT_EQ(uint8_t(defs[0].bytes[1]), 0);  // ANSI character set
  auto glyphs = OfOpcode(first, 83);
  ASSERT_EQ(glyphs.size(), 4u);  // H, e, l, o
  const char16_t order[] = {u'H', u'e', u'l', u'o'};
  for (size_t i = 0; i < glyphs.size(); ++i) {
    const std::string& r = glyphs[i].bytes;
    EXPECT_EQ(r[1], 'T');
    EXPECT_EQ(uint8_t(r[2]), 0x8 | 0x1);
    EXPECT_EQ(Le16(r, 60), order[i]);
    // The bitmap decodes back to the engine's bits.
    const uint32_t width = Le32(r, 44), height = Le32(r, 48), length = Le32(r, 52);
    const size_t raw = size_t((width + 7) / 8) * height;
    std::string bits;
    const std::string data = r.substr(Le32(r, 32), length);
    if (r[62] == 2) {
      std::string error;
      ASSERT_TRUE(blocks::DecodeGlyphRuns(data, raw, &bits, &error)) << error;
    } else {
      ASSERT_EQ(r[62], 0);
      bits = data;
    }
    HGLYPH hg = s->glyphs[i == 3 ? 4 : i].hg;
    GLYPHDATA* gd = nullptr;
    ASSERT_EQ(FONTOBJ_cGetGlyphs(&font->fo, FO_GLYPHBITS, 1, &hg, reinterpret_cast<PVOID*>(&gd)), 1u);
    EXPECT_EQ(bits, std::string(reinterpret_cast<const char*>(gd->gdf.pgb->aj), raw)) << char(order[i]);
    EXPECT_EQ(I32(r, 8), s->glyphs[i == 3 ? 4 : i].ptl.x + gd->gdf.pgb->ptlOrigin.x);
  }
  auto positions = OfOpcode(first, 85);
  ASSERT_EQ(positions.size(), 1u);
  const std::string& p = positions[0].bytes;
  EXPECT_EQ(uint8_t(p[2]), 0x8);
  EXPECT_EQ(Le16(p, 32), 5);
  EXPECT_EQ(I16(p, 36), 0);
  EXPECT_EQ(I16(p, 38), 0);
  EXPECT_EQ(Le16(p, 40), u'H');
  EXPECT_EQ(Le16(p, 36 + 6 * 3 + 4), u'l');

  // The same string again on the page: positions only.
  auto again = Draw(*s, *font);
  std::vector<int> ops;
  for (const auto& r : again) ops.push_back(r.opcode);
  EXPECT_EQ(ops, std::vector<int>{85});
  EXPECT_EQ(again[0].bytes, p);

  // The next page sends the font and the glyphs again.
  NextPage();
  auto next = Draw(*s, *font);
  EXPECT_EQ(OfOpcode(next, 86).size(), 1u);
  EXPECT_EQ(OfOpcode(next, 83).size(), 4u);
  EXPECT_EQ(OfOpcode(next, 85).size(), 1u);
}

TEST_F(GrTextOut, RotatedTextSendsEveryGlyphMarkingTheHeldOnes) {
  auto font = TrueTypeFont(u"Arial", 30, 0x60, 900);
  ASSERT_NE(font, nullptr);
  auto ab = LayOut(*font, u"ab", POINTL{300, 300});
  auto first = Draw(*ab, *font);
  auto defs = OfOpcode(first, 86);
  ASSERT_EQ(defs.size(), 1u);
  EXPECT_EQ(Le16(defs[0].bytes, 8), 90);  // escapement
  for (const auto& r : OfOpcode(first, 83)) {
    EXPECT_EQ(r.bytes[1], 'S');
    EXPECT_EQ(uint8_t(r.bytes[2]), 0x9);
  }
  EXPECT_TRUE(OfOpcode(first, 85).empty());
  // "a" is held now; of "ac" only the first record carries the mark and no data.
  auto ac = LayOut(*font, u"ac", POINTL{300, 400});
  auto second = OfOpcode(Draw(*ac, *font), 83);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(uint8_t(second[0].bytes[2]), 0x8 | 0x40);
  EXPECT_EQ(second[0].bytes.size(), 64u);
  EXPECT_EQ(Le32(second[0].bytes, 32), 0u);
  EXPECT_EQ(uint8_t(second[1].bytes[2]), 0x8 | 0x1);
  EXPECT_GT(second[1].bytes.size(), 64u);
}

TEST_F(GrTextOut, MirroredFontsAndEudcFacesAreNeverCached) {
  auto font = TrueTypeFont(u"Arial", 30, 0x61);
  ASSERT_NE(font, nullptr);
  font->xform.m.eM22 = -font->xform.m.eM22;  // mirrored
  auto s = LayOut(*font, u"xx", POINTL{100, 100});
  for (int round = 0; round < 2; ++round) {
    auto records = Draw(*s, *font);
    auto glyphs = OfOpcode(records, 83);
    ASSERT_EQ(glyphs.size(), 2u);
    for (const auto& g : glyphs) {
      EXPECT_EQ(g.bytes[1], 'W');
      EXPECT_EQ(uint8_t(g.bytes[2]), 0x9);
    }
    if (round == 0) {
      EXPECT_TRUE(Le16(OfOpcode(records, 86)[0].bytes, 4) & 0x2000);
    }
  }
  for (void* bucket : pdev()->glyphTable) ASSERT_EQ(bucket, nullptr);
}

TEST_F(GrTextOut, ScaledJobsSendOutlinesWithTheBitmaps) {
  pdev()->scaledOrNup = 1;
  auto font = TrueTypeFont(u"Arial", 30, 0x62);
  ASSERT_NE(font, nullptr);
  auto s = LayOut(*font, u"O", POINTL{100, 100});
  auto records = Draw(*s, *font);
  EXPECT_EQ(Le16(OfOpcode(records, 86)[0].bytes, 4) & 0x200, 0x200);  // flags value 3
  auto glyphs = OfOpcode(records, 83);
  ASSERT_EQ(glyphs.size(), 1u);
  const std::string& r = glyphs[0].bytes;
  EXPECT_EQ(uint8_t(r[2]), 0x8 | 0x1 | 0x2);
  // The placement block first: 3, the path length, then the outline's rectangle.
  EXPECT_EQ(Le32(r, 64), 3u);
  const uint32_t pathLength = Le32(r, 68);
  EXPECT_GT(pathLength, 0u);
  EXPECT_GT(I32(r, 80), 0);  // width
  EXPECT_GT(I32(r, 84), 0);  // height
  // The bitmap follows the path data.
  EXPECT_EQ(Le32(r, 32), 64 + 24 + pathLength);
}

TEST_F(GrTextOut, GlyphIndexStringsLongStringsAndMissingGlyphs) {
  auto font = TrueTypeFont(u"Arial", 20, 0x63);
  ASSERT_NE(font, nullptr);
  std::u16string text;
  for (int i = 0; i < 250; ++i) text += char16_t(u'A' + i % 26);
  auto s = LayOut(*font, text, POINTL{10, 100}, SO_HORIZONTAL | SO_GLYPHINDEX_TEXTOUT);
  // A string of glyph indices carries the indices as its text; one of them is outside the font.
  s->glyphs[3].hg = 0xFFFFF;
  for (size_t i = 0; i < s->glyphs.size(); ++i) s->text[i] = char16_t(s->glyphs[i].hg);
  auto records = Draw(*s, *font);
  EXPECT_EQ(Le16(OfOpcode(records, 86)[0].bytes, 4) & 0x18, 0x10);
  auto glyphs = OfOpcode(records, 83);
  // 26 letters, and the glyph outside the font as the engine gives it (no bits).
  ASSERT_EQ(glyphs.size(), 27u);
  for (const auto& g : glyphs) EXPECT_EQ(uint8_t(g.bytes[2]) & 0xC, 0x4);
  EXPECT_EQ(Le16(glyphs[3].bytes, 60), 0xFFFF);
  EXPECT_EQ(Le32(glyphs[3].bytes, 44) * Le32(glyphs[3].bytes, 48), 0u);
  // One positions record for the whole string, across the engine's batches of glyphs.
  auto positions = OfOpcode(records, 85);
  ASSERT_EQ(positions.size(), 1u);
  EXPECT_EQ(Le16(positions[0].bytes, 32), 250);
  EXPECT_EQ(uint8_t(positions[0].bytes[2]), 0x4);
  const std::string& p = positions[0].bytes;
  LONG x = I32(p, 24);
  for (size_t i = 1; i < 250; ++i) x += I16(p, 36 + 6 * i);
  HGLYPH last = s->glyphs[249].hg;
  GLYPHDATA* gd = nullptr;
  ASSERT_EQ(FONTOBJ_cGetGlyphs(&font->fo, FO_GLYPHBITS, 1, &last, reinterpret_cast<PVOID*>(&gd)), 1u);
  EXPECT_EQ(x, s->glyphs[249].ptl.x + gd->gdf.pgb->ptlOrigin.x);
}

TEST_F(GrTextOut, AStringShorterThanItsCountEndsWhereItsGlyphsEnd) {
  auto font = TrueTypeFont(u"Arial", 20, 0x64);
  ASSERT_NE(font, nullptr);
  auto s = LayOut(*font, u"abc", POINTL{10, 100});
  s->so.cGlyphs = 40;  // the engine claims more glyphs than it enumerates
  s->text.resize(40, u'z');
  s->so.pwszOrg = s->text.data();
  auto records = Draw(*s, *font);
  EXPECT_EQ(OfOpcode(records, 83).size(), 3u);
  EXPECT_EQ(Le16(OfOpcode(records, 85)[0].bytes, 32), 3);
}

// ---- the device-text form ---------------------------------------------------------------------

TEST_F(GrTextOut, DeviceFontsAreSentAsCharacters) {
  LoadDeviceFonts();
  auto mincho = DeviceFont(pdev(), 1, 100, 0x70);
  auto s = LayOut(*mincho, u"日本語ABC", POINTL{100, 500});
  auto records = Draw(*s, *mincho);
  auto select = OfOpcode(records, 80);
  ASSERT_EQ(select.size(), 1u);
  EXPECT_EQ(ByteRecordName(select[0]), "\x96\xBE\x92\xA9");  // 明朝 in Shift-JIS
  EXPECT_EQ(uint8_t(select[0].bytes[2]), 128);
  EXPECT_EQ(uint8_t(select[0].bytes[3]), 0x11);
  EXPECT_EQ(Le16(select[0].bytes, 4), 0x8);       // a printer font of characters
  EXPECT_EQ(Le16(select[0].bytes, 10), 100);      // em width
  EXPECT_EQ(Le16(select[0].bytes, 12), 100);      // em height
  EXPECT_EQ(Le16(select[0].bytes, 22), 0x30FB);   // default character
  EXPECT_TRUE(OfOpcode(records, 83).empty());
  auto runs = OfOpcode(records, 82);
  ASSERT_EQ(runs.size(), 1u);
  const std::string& r = runs[0].bytes;
  EXPECT_EQ(uint8_t(r[2]), 0x80);
  EXPECT_EQ(Le16(r, 32), 6);
  EXPECT_EQ(I32(r, 24), 100);
  EXPECT_EQ(I32(r, 28), 500 - 90);  // the baseline less the ascent
  // Advances by the layout, the last 0, then the characters.
  EXPECT_EQ(I16(r, 36), 0);  // the layout's device fonts place every glyph on the start point
  EXPECT_EQ(Le16(r, 36 + 12), u'日');
  EXPECT_EQ(Le16(r, 36 + 12 + 10), u'C');

  // The same font again on the page: no second font record.
  auto again = Draw(*s, *mincho);
  EXPECT_TRUE(OfOpcode(again, 80).empty());
  NextPage();
  EXPECT_EQ(OfOpcode(Draw(*s, *mincho), 80).size(), 1u);
}

TEST_F(GrTextOut, FixedPitchAndVerticalDeviceText) {
  LoadDeviceFonts();
  auto gothic = DeviceFont(pdev(), 3, 60, 0x71);
  // A fixed-pitch horizontal string: one advance for all.
  auto fixed = LayOut(*gothic, u"ABCD", POINTL{50, 100}, SO_HORIZONTAL | SO_FLAG_DEFAULT_PLACEMENT, 30);
  auto runs = OfOpcode(Draw(*fixed, *gothic), 82);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(uint8_t(runs[0].bytes[2]), 0);  // one advance for four glyphs
  EXPECT_EQ(runs[0].bytes.size(), 36u + ((2 + 8 + 3) & ~3u));
  EXPECT_EQ(I16(runs[0].bytes, 36), 30);
  EXPECT_EQ(Le16(runs[0].bytes, 38), u'A');
  EXPECT_EQ(I32(runs[0].bytes, 24), fixed->so.rclBkGround.left);
  auto one = LayOut(*gothic, u"A", POINTL{50, 100}, SO_HORIZONTAL | SO_FLAG_DEFAULT_PLACEMENT, 30);
  EXPECT_EQ(uint8_t(OfOpcode(Draw(*one, *gothic), 82)[0].bytes[2]), 0x80);

  // The vertical face: advances along y, the vertical flag in the font record.
  auto vertical = DeviceFont(pdev(), 2, 60, 0x72);
  auto down = LayOut(*vertical, u"縦書き", POINTL{400, 100}, SO_VERTICAL, 60);
  auto records = Draw(*down, *vertical);
  auto select = OfOpcode(records, 80);
  ASSERT_EQ(select.size(), 1u);
  EXPECT_EQ(ByteRecordName(select[0]), "\x40\x96\xBE\x92\xA9");  // @明朝
  EXPECT_EQ(Le16(select[0].bytes, 4) & 0x80, 0x80);
  auto column = OfOpcode(records, 82);
  ASSERT_EQ(column.size(), 1u);
  EXPECT_EQ(I16(column[0].bytes, 36), 60);
  EXPECT_EQ(I16(column[0].bytes, 38), 60);
  EXPECT_EQ(I16(column[0].bytes, 40), 0);
  EXPECT_EQ(Le16(column[0].bytes, 42), u'縦');

  // Rotated device text: one character cell per glyph.
  auto turned = DeviceFont(pdev(), 1, 100, 0x73);
  const double c = std::cos(3.14159265358979 / 6), sn = std::sin(3.14159265358979 / 6);
  turned->xform.m = XFORML{FLOATL(0.1 * c), FLOATL(-0.1 * sn), FLOATL(0.1 * sn), FLOATL(0.1 * c), 0, 0};
  auto slanted = LayOut(*turned, u"AB", POINTL{500, 500});
  auto cells = Draw(*slanted, *turned);
  EXPECT_EQ(Le16(OfOpcode(cells, 80)[0].bytes, 8), 30);
  auto textRuns = OfOpcode(cells, 81);
  ASSERT_EQ(textRuns.size(), 2u);
  EXPECT_EQ(uint8_t(textRuns[0].bytes[2]), 0);
  EXPECT_EQ(Le16(textRuns[1].bytes, 32), u'B');
  // The cell's top: the ascent (91 pixels as the turned transform rounds it) up the turned y axis.
  EXPECT_EQ(I32(textRuns[0].bytes, 24), 500 - ((91 * GrSin(30)) >> 14));
  EXPECT_EQ(I32(textRuns[0].bytes, 28), 500 - ((91 * GrCos(30)) >> 14));
}

TEST_F(GrTextOut, FontsThePrinterLacksGoAsGlyphBitmaps) {
  LoadDeviceFonts();
  auto font = TrueTypeFont(u"Arial", 30, 0x74);
  ASSERT_NE(font, nullptr);
  auto s = LayOut(*font, u"Hi!", POINTL{100, 100});
  auto first = Draw(*s, *font);
  auto defs = OfOpcode(first, 86);
  ASSERT_EQ(defs.size(), 1u);
  EXPECT_EQ(ByteRecordName(defs[0]), "Arial");
  EXPECT_EQ(Le16(defs[0].bytes, 4), 0x8 | 0x2000);  // a bitmap font of characters
  auto bitmaps = OfOpcode(first, 84);
  EXPECT_EQ(bitmaps.size(), 3u);
  EXPECT_EQ(uint8_t(bitmaps[0].bytes[2]), 0x8);
  EXPECT_EQ(Le16(bitmaps[0].bytes, 24), u'H');
  EXPECT_EQ(OfOpcode(first, 85).size(), 1u);
  // Held now: positions only.
  auto again = Draw(*s, *font);
  EXPECT_TRUE(OfOpcode(again, 84).empty());
  EXPECT_EQ(OfOpcode(again, 85).size(), 1u);

  // Rotated: glyph records of the second form, the held ones marked.
  auto turned = TrueTypeFont(u"Arial", 30, 0x75, 450);
  auto t = LayOut(*turned, u"HH", POINTL{100, 300});
  auto rotated = OfOpcode(Draw(*t, *turned), 83);
  ASSERT_EQ(rotated.size(), 2u);
  EXPECT_EQ(rotated[0].bytes[1], 0);
  EXPECT_EQ(uint8_t(rotated[0].bytes[2]), 0x8 | 0x1);
  EXPECT_EQ(uint8_t(rotated[1].bytes[2]), 0x8 | 0x40);
  EXPECT_EQ(rotated[1].bytes.size(), 64u);
}

TEST_F(GrTextOut, EudcFacesInTheBitmapFormAreSentEveryTime) {
  LoadDeviceFonts();
  auto font = TrueTypeFont(u"Arial", 30, 0x76);
  ASSERT_NE(font, nullptr);
  // The same metrics under the name EUDC.
  std::vector<uint8_t> metrics = font->ifiStorage;
  auto* ifi = reinterpret_cast<IFIMETRICS*>(metrics.data());
  for (PTRDIFF at : {ifi->dpwszFamilyName, ifi->dpwszFaceName}) {
    auto* name = reinterpret_cast<char16_t*>(metrics.data() + at);
    std::memcpy(name, u"EUDC", 10);
  }
  font->ifi = ifi;
  auto s = LayOut(*font, u"aa", POINTL{100, 100});
  for (int round = 0; round < 2; ++round) {
    auto glyphs = OfOpcode(Draw(*s, *font), 87);
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_EQ(uint8_t(glyphs[1].bytes[2]), 0x9);
  }
  for (void* bucket : pdev()->glyphTable) ASSERT_EQ(bucket, nullptr);
}

// Font names and versions that make an engine font go as outlines in the printer-font form.
TEST_F(GrTextOut, PrinterFontTypeRules) {
  pdev()->textMode = 1;
  pdev()->printMethod = 5;
  struct Case {
    const char16_t* family;
    DWORD major;
    uint32_t eudcSwitch;
    BYTE type;
  };
  const Case cases[] = {
      {u"12345", 10, 0, kTextTypeOutline},      {u"12345", 5, 0, kTextTypePrinter},
      {u"My___Font", 6, 0, kTextTypeOutline},   {u"Font.tmp", 5, 0, kTextTypeOutline},
      {u"ＤＦＧ明朝", 5, 0, kTextTypeOutline},   {u"EUDC", 10, 0, kTextTypePrinter},
      {u"EUDC", 10, 1, kTextTypeOutline},       {u"外字明朝", 10, 1, kTextTypeOutline},
      {u"外字明朝", 10, 0, kTextTypePrinter},    {u"Arial", 10, 0, kTextTypePrinter},
  };
  ULONG uniq = 0x100;
  for (const Case& t : cases) {
    auto font = TrueTypeFont(u"Arial", 30, ++uniq);
    ASSERT_NE(font, nullptr);
    std::vector<uint8_t> metrics(font->ifiStorage.size() + 64, 0);
    std::memcpy(metrics.data(), font->ifiStorage.data(), font->ifiStorage.size());
    auto* ifi = reinterpret_cast<IFIMETRICS*>(metrics.data());
    ifi->fsType = 0;
    ifi->dpwszFamilyName = PTRDIFF(font->ifiStorage.size());
    std::memcpy(metrics.data() + ifi->dpwszFamilyName, t.family, std::char_traits<char16_t>::length(t.family) * 2);
    font->ifi = ifi;
    pdev()->osVersion.dwMajorVersion = t.major;
    pdev()->eudcSwitch = t.eudcSwitch;
    auto s = LayOut(*font, u"o", POINTL{100, 100});
    auto records = Draw(*s, *font);
    const bool outline = !OfOpcode(records, 81).empty();
    EXPECT_EQ(outline ? kTextTypeOutline : kTextTypePrinter, t.type)
        << std::string(t.family, t.family + std::char_traits<char16_t>::length(t.family)).size() << " "
        << t.major << " " << t.eudcSwitch;
    auto select = OfOpcode(records, 80);
    ASSERT_EQ(select.size(), 1u);
    EXPECT_EQ(Le16(select[0].bytes, 4) & 0x200, outline ? 0x200 : 0);
  }
}

TEST_F(GrTextOut, EudcCharactersGoAsOutlinesAndRestateTheFont) {
  pdev()->textMode = 1;
  pdev()->printMethod = 5;
  pdev()->eudcSwitch = 1;
  auto font = TrueTypeFont(u"Arial", 30, 0xABC);
  ASSERT_NE(font, nullptr);
  auto pua = LayOut(*font, u"a\uE000", POINTL{100, 100});
  auto records = Draw(*pua, *font);
  auto select = OfOpcode(records, 80);
  ASSERT_EQ(select.size(), 1u);
  EXPECT_EQ(ByteRecordName(select[0]), "Arial_abc");
  EXPECT_FALSE(OfOpcode(records, 81).empty());
  // The next string in the same font states its font again, under its own name.
  auto plain = LayOut(*font, u"a", POINTL{100, 200});
  auto next = OfOpcode(Draw(*plain, *font), 80);
  ASSERT_EQ(next.size(), 1u);
  EXPECT_EQ(ByteRecordName(next[0]), "Arial");
}

// ---- the outline form -------------------------------------------------------------------------

TEST_F(GrTextOut, OutlineFormSendsPathsPerGlyph) {
  pdev()->apiUse = 1;
  auto font = TrueTypeFont(u"Arial", 50, 0x80);
  ASSERT_NE(font, nullptr);
  auto s = LayOut(*font, u"I O", POINTL{100, 200});
  auto records = Draw(*s, *font);
  auto select = OfOpcode(records, 80);
  ASSERT_EQ(select.size(), 1u);
  EXPECT_EQ(Le16(select[0].bytes, 4), 0x8 | 0x200 | 0x2000);
  auto runs = OfOpcode(records, 81);
  ASSERT_EQ(runs.size(), 2u);  // the space has no outline
  for (const auto& r : runs) {
    EXPECT_EQ(uint8_t(r.bytes[2]), 2);
    EXPECT_EQ(I32(r.bytes, 24), I32(r.bytes, 8));   // the cell's left
    EXPECT_EQ(I32(r.bytes, 28), I32(r.bytes, 12));  // and top
    EXPECT_GT(r.bytes.size(), 36u + 8);
  }
  EXPECT_EQ(Le16(runs[1].bytes, 32), u'O');
  // An outline that cannot be had fails the call.
  s->glyphs[0].hg = 0xFFFFF;
  EXPECT_FALSE(DrawText(*target_, *s, *font));
}

// ---- the call itself --------------------------------------------------------------------------

TEST_F(GrTextOut, OpaqueAndExtraRectanglesAreClipRecords) {
  auto font = TrueTypeFont(u"Arial", 20, 0x90);
  ASSERT_NE(font, nullptr);
  auto s = LayOut(*font, u"x", POINTL{100, 100});
  RECTL opaque{90, 80, 140, 110};
  RECTL extra[3] = {{100, 104, 120, 106}, {100, 95, 120, 97}, {0, 0, 0, 0}};
  TextCall call;
  call.opaqueRect = &opaque;
  call.extra = extra;
  call.opaque.iSolidColor = 0x00FF00;
  auto records = Draw(*s, *font, call);
  auto clips = OfOpcode(records, 16);
  ASSERT_EQ(clips.size(), 3u);
  for (const auto& c : clips) EXPECT_EQ(c.bytes[2], 1);
  EXPECT_EQ(I32(clips[0].bytes, 8), 90);
  EXPECT_EQ(I32(clips[2].bytes, 12), 95);
  // The opaque colour comes before the first clip, the text colour after it.
  std::vector<int> ops;
  for (const auto& r : records) ops.push_back(r.opcode);
  EXPECT_EQ(ops.front(), 64);
  auto colours = OfOpcode(records, 48);
  ASSERT_EQ(colours.size(), 2u);
  EXPECT_EQ(uint8_t(colours[0].bytes[2]) & 0x40, 0x40);  // text colours
  EXPECT_EQ(colours[0].bytes.substr(4, 3), std::string("\x00\xFF\x00", 3));
}

TEST_F(GrTextOut, RefusedCallsAndSwitches) {
  auto font = TrueTypeFont(u"Arial", 20, 0x91);
  ASSERT_NE(font, nullptr);
  auto s = LayOut(*font, u"x", POINTL{100, 100});
  BRUSHOBJ fore{0, nullptr, 0};
  SetLastError(0);
  EXPECT_FALSE(DrvTextOut(target_->so(), nullptr, &font->fo, nullptr, nullptr, nullptr, &fore, nullptr, nullptr, 0x0D0D));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(DrvTextOut(target_->so(), &s->so, nullptr, nullptr, nullptr, nullptr, &fore, nullptr, nullptr, 0x0D0D));
  // No foreground brush: nothing to draw with.
  EXPECT_FALSE(DrvTextOut(target_->so(), &s->so, &font->fo, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0x0D0D));
  target_->Records();
  pdev()->drawingOff = 1;
  EXPECT_TRUE(DrawText(*target_, *s, *font));
  EXPECT_TRUE(target_->Records().empty());
  pdev()->drawingOff = 0;
  pdev()->flags |= kPdevWriteError;
  EXPECT_FALSE(DrawText(*target_, *s, *font));
  pdev()->flags &= ~kPdevWriteError;
}

// ---- golden records ---------------------------------------------------------------------------

std::string Joined(const std::vector<DecodedRecord>& records) {
  std::string all;
  for (const auto& r : records) all += r.bytes;
  return all;
}

TEST_F(GrTextOut, GoldenDeviceFontRecords) {
  LoadDeviceFonts();
  auto mincho = DeviceFont(pdev(), 1, 50, 0x201);
  auto gothic = DeviceFont(pdev(), 3, 50, 0x202);
  auto vertical = DeviceFont(pdev(), 2, 50, 0x203);
  auto latin = LayOut(*mincho, u"Page 1: ", POINTL{100, 100}, SO_HORIZONTAL, 25);
  auto japanese = LayOut(*mincho, u"日本語のテキスト", POINTL{300, 100}, SO_HORIZONTAL, 50);
  auto halfWidth = LayOut(*gothic, u"ｶﾀｶﾅ ABC", POINTL{100, 200}, SO_HORIZONTAL | SO_FLAG_DEFAULT_PLACEMENT, 25);
  auto column = LayOut(*vertical, u"縦書き「。」", POINTL{900, 100}, SO_VERTICAL, 50);
  std::string all;
  for (auto [s, f] : {std::pair{latin.get(), mincho.get()}, {japanese.get(), mincho.get()},
                      {halfWidth.get(), gothic.get()}, {column.get(), vertical.get()}})
    all += Joined(Draw(*s, *f));
  ExpectGolden("text_device_fonts.bin", all);
}

TEST_F(GrTextOut, GoldenTrueTypeRecords) {
  auto serif = TrueTypeFont(u"Times New Roman", 40, 0x301);
  auto mincho = TrueTypeFont(u"ＭＳ 明朝", 40, 0x302);
  ASSERT_NE(serif, nullptr);
  ASSERT_NE(mincho, nullptr);
  auto latin = LayOut(*serif, u"Quick brown fox", POINTL{100, 100});
  auto japanese = LayOut(*mincho, u"日本語のテキスト", POINTL{100, 200});
  auto column = LayOut(*mincho, u"縦書き", POINTL{900, 100}, SO_VERTICAL, 40);
  std::string all;
  for (auto [s, f] : {std::pair{latin.get(), serif.get()}, {japanese.get(), mincho.get()},
                      {column.get(), mincho.get()}, {latin.get(), serif.get()}})
    all += Joined(Draw(*s, *f));
  ExpectGolden("text_truetype.bin", all);
}

// ---- angles -----------------------------------------------------------------------------------

TEST(GrTextAngles, EscapementOfTransforms) {
  const struct {
    double degrees;
    uint16_t escapement;
  } cases[] = {{0, 0}, {90, 90}, {180, 180}, {270, 270}, {45, 45}, {30, 30}, {10, 10}, {300, 300}, {135, 135}};
  for (const auto& t : cases) {
    const double a = t.degrees * 3.14159265358979323846 / 180, s = 0.05;
    const XFORML m{FLOATL(s * std::cos(a)), FLOATL(-s * std::sin(a)), FLOATL(s * std::sin(a)), FLOATL(s * std::cos(a)),
                   0, 0};
    EXPECT_EQ(GrEscapement(m), t.escapement) << t.degrees;
  }
  EXPECT_EQ(GrAngle(1000, 1000), 45);
  EXPECT_EQ(GrAngle(-1000, 0), 180);
  EXPECT_EQ(GrAngle(0, -5), -90);
}

TEST(GrTextAngles, SinesAndCosinesOfWholeDegrees) {
  const struct {
    LONG n, sin, cos;
  } cases[] = {{0, 0, 16384},      {21, 5871, 15296},  {30, 8192, 14189}, {90, 16384, 0},
               {180, 0, -16384},   {270, -16384, 0},   {360, 0, 16384},   {201, -5871, -15296}};
  for (const auto& t : cases) {
    EXPECT_EQ(GrSin(t.n), t.sin) << t.n;
    EXPECT_EQ(GrCos(t.n), t.cos) << t.n;
  }
  EXPECT_EQ(GrScaleFloat(0.1f, 25), 2);
  EXPECT_EQ(GrScaleFloat(-0.1f, 25), -2);
}

}  // namespace
}  // namespace zolt::test
