// Device fonts: the resident fonts read from the module's resources, their glyph set, and the
// engine's font queries with their metric arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "gr_device_fonts.h"
#include "gr_font_resources.h"
#include "gr_pdev.h"
#include "gr_test_support.h"
#include "machine_fixture.h"

namespace zolt::test {
namespace {

using host::engine::EngFont;

std::u16string Name(const IFIMETRICS* ifi, PTRDIFF at) {
  return std::u16string(reinterpret_cast<const char16_t*>(reinterpret_cast<const BYTE*>(ifi) + at));
}

// The glyph handle of a character in a glyph set, or HGLYPH_INVALID.
HGLYPH Lookup(const FD_GLYPHSET* set, WCHAR c) {
  for (ULONG r = 0; r < set->cRuns; ++r) {
    const WCRUN& run = set->awcrun[r];
    if (c >= run.wcLow && c < run.wcLow + run.cGlyphs) return run.phg[c - run.wcLow];
  }
  return HGLYPH_INVALID;
}

class GrDeviceFonts : public DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    module_ = LoadLibraryW(u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\zoltgr.dll");
    ASSERT_NE(module_, nullptr);
    table_ = GrLoadDeviceFonts(pdev_.get(), module_);
    ASSERT_NE(table_, nullptr);
    pdev_->deviceFonts = table_;
    pdev_->deviceFontCount = table_->count;
  }
  void TearDown() override {
    if (table_) GrFreeDeviceFonts(pdev_.get(), table_);
    pdev_->deviceFonts = nullptr;
    if (module_) FreeLibrary(module_);
    DriverMachineTest::TearDown();
  }
  DHPDEV Dhpdev() { return reinterpret_cast<DHPDEV>(pdev_.get()); }

  // A device font realised at `pixelsPerEm` pixels per em, turned by `degrees`.
  EngFont Font(ULONG iFace, double pixelsPerEm, double degrees = 0) {
    EngFont f;
    f.fo.iFace = iFace;
    f.ifi = DrvQueryFont(Dhpdev(), 0, iFace, nullptr);
    const double s = pixelsPerEm / 1000, a = degrees * 3.14159265358979323846 / 180;
    f.xform.m = XFORML{FLOATL(s * std::cos(a)), FLOATL(-s * std::sin(a)), FLOATL(s * std::sin(a)),
                       FLOATL(s * std::cos(a)), 0, 0};
    return f;
  }

  TestPdev pdev_;
  HMODULE module_ = nullptr;
  DeviceFontTable* table_ = nullptr;
};

TEST_F(GrDeviceFonts, FourFontsWithTheirNamesPitchesAndSharedMetrics) {
  const struct {
    const char16_t* name;
    BYTE pitch;
    uint32_t kind;
  } fonts[] = {{u"明朝", 0x11, 0}, {u"@明朝", 0x11, 1}, {u"ｺﾞｼｯｸ", 0x21, 0}, {u"@ｺﾞｼｯｸ", 0x21, 1}};
  for (ULONG face = 1; face <= 4; ++face) {
    const auto& want = fonts[face - 1];
    ULONG_PTR id = 77;
    const IFIMETRICS* ifi = DrvQueryFont(Dhpdev(), 0, face, &id);
    ASSERT_NE(ifi, nullptr) << face;
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(Name(ifi, ifi->dpwszFamilyName), want.name);
    EXPECT_EQ(Name(ifi, ifi->dpwszFaceName), want.name);
    EXPECT_EQ(Name(ifi, ifi->dpwszUniqueName), want.name);
    EXPECT_EQ(Name(ifi, ifi->dpwszStyleName), u"Medium");
    EXPECT_EQ(ifi->jWinPitchAndFamily, want.pitch);
    EXPECT_EQ(table_->fonts[face - 1].kind, want.kind);
    EXPECT_EQ(ifi->jWinCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(ifi->flInfo, 0x18482038u);
    EXPECT_EQ(ifi->fsType, 2);
    EXPECT_EQ(ifi->fwdUnitsPerEm, 1000);
    EXPECT_EQ(ifi->fwdWinAscender, 900);
    EXPECT_EQ(ifi->fwdWinDescender, 100);
    EXPECT_EQ(ifi->fwdAveCharWidth, 500);
    EXPECT_EQ(ifi->fwdMaxCharInc, 1000);
    EXPECT_EQ(ifi->wcDefaultChar, 0x30FB);
    EXPECT_EQ(ifi->wcLastChar, 0xFFFD);
    EXPECT_EQ(ifi->chDefaultChar, 165);
    EXPECT_EQ(ifi->rclFontBox.top, 900);
    EXPECT_EQ(ifi->rclFontBox.bottom, -100);
    EXPECT_EQ(ifi->panose.bWeight, 6);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ifi->achVendId), 4), "Unkn");
    // The bold, italic and bold-italic simulations.
    ASSERT_NE(ifi->dpFontSim, 0);
    const auto* sim = reinterpret_cast<const FONTSIM*>(reinterpret_cast<const BYTE*>(ifi) + ifi->dpFontSim);
    auto diff = [&](PTRDIFF at) { return reinterpret_cast<const FONTDIFF*>(reinterpret_cast<const BYTE*>(sim) + at); };
    EXPECT_EQ(diff(sim->dpBold)->usWinWeight, 700);
    EXPECT_EQ(diff(sim->dpBold)->fwdMaxCharInc, 1001);
    EXPECT_EQ(diff(sim->dpItalic)->fsSelection, 0x1);
    EXPECT_EQ(diff(sim->dpItalic)->ptlCaret.y, 2);
    EXPECT_EQ(diff(sim->dpBoldItalic)->bWeight, 8);
    EXPECT_EQ(diff(sim->dpBoldItalic)->fsSelection, 0x21);
  }
}

TEST_F(GrDeviceFonts, FacesOutsideTheTableAndAMissingTableFail) {
  for (ULONG face : {0u, 5u}) {
    SetLastError(0);
    EXPECT_EQ(DrvQueryFont(Dhpdev(), 0, face, nullptr), nullptr) << face;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    SetLastError(0);
    EXPECT_EQ(DrvQueryFontTree(Dhpdev(), 0, face, QFT_GLYPHSET, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  SetLastError(0);
  EXPECT_EQ(DrvQueryFontTree(Dhpdev(), 0, 1, QFT_LIGATURES, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EngFont five = Font(1, 100);
  five.fo.iFace = 5;
  GLYPHDATA gd{};
  SetLastError(0);
  EXPECT_EQ(DrvQueryFontData(Dhpdev(), &five.fo, QFD_GLYPHANDBITMAP, 0x41, &gd, nullptr, 0), -1);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  // Device fonts switched off: no table, every query fails.
  pdev_->deviceFonts = nullptr;
  SetLastError(0);
  EXPECT_EQ(DrvQueryFont(Dhpdev(), 0, 1, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EngFont one = Font(1, 100);
  HGLYPH hg = 0x41;
  USHORT width = 0;
  EXPECT_FALSE(DrvQueryAdvanceWidths(Dhpdev(), &one.fo, QAW_GETWIDTHS, &hg, &width, 1));
  pdev_->deviceFonts = table_;

  // A record that is not one.
  PhysicalDevice* bad = pdev_.get();
  bad->magicEnd = 0;
  SetLastError(0);
  EXPECT_EQ(DrvQueryFont(Dhpdev(), 0, 1, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(DrvGetGlyphMode(Dhpdev(), nullptr), ULONG(FO_GLYPHBITS));
  bad->magicEnd = kPdevMagic;
  EXPECT_EQ(DrvGetGlyphMode(Dhpdev(), &one.fo), ULONG(FO_GLYPHBITS));
}

TEST_F(GrDeviceFonts, OneShiftJisGlyphSetServesAllFourFonts) {
  auto* set1 = static_cast<FD_GLYPHSET*>(DrvQueryFontTree(Dhpdev(), 0, 1, QFT_GLYPHSET, nullptr));
  ASSERT_NE(set1, nullptr);
  EXPECT_EQ(DrvQueryFontTree(Dhpdev(), 0, 2, QFT_GLYPHSET, nullptr), set1);
  EXPECT_EQ(DrvQueryFontTree(Dhpdev(), 0, 3, QFT_GLYPHSET, nullptr), set1);
  EXPECT_EQ(DrvQueryFontTree(Dhpdev(), 0, 4, QFT_GLYPHSET, nullptr), set1);
  EXPECT_EQ(set1->cGlyphsSupported, 7484u);
  EXPECT_EQ(set1->cRuns, 4247u);
  EXPECT_EQ(set1->awcrun[0].wcLow, 0x20);
  const WCRUN& last = set1->awcrun[set1->cRuns - 1];
  EXPECT_EQ(last.wcLow + last.cGlyphs - 1, 0xFFE5);
  // Characters with one code, and characters with several codes taking the preferred one.
  const struct {
    WCHAR c;
    HGLYPH code;
  } cases[] = {
      {u'A', 0x41},        {u'ｱ', 0xB1},        {u'あ', 0x82A0},     {u'漢', 0x8ABF},
      {0x2252, 0x81E0},    // ≒: JIS X 0208 before NEC row 13 (0x8790)
      {0x2160, 0x8754},    // Ⅰ: NEC row 13 before the IBM extension (0xFA4A)
      {0xFFE2, 0x81CA},    // ￢
      {0x2170, 0xFA40},    // ⅰ: the IBM extension before the NEC-selected code (0xEEEF)
      {0x7E8A, 0xFA5C},    // 纊: never 0xED40
  };
  for (const auto& t : cases) EXPECT_EQ(Lookup(set1, t.c), t.code) << std::hex << unsigned(t.c);
  EXPECT_EQ(Lookup(set1, 0xE000), HGLYPH_INVALID);  // the user-defined area is left out
  // No code of the NEC-selected area occurs.
  for (ULONG r = 0; r < set1->cRuns; ++r)
    for (USHORT i = 0; i < set1->awcrun[r].cGlyphs; ++i) {
      const HGLYPH code = set1->awcrun[r].phg[i];
      ASSERT_FALSE(code >= 0xED40 && code <= 0xEEFC) << std::hex << code;
    }
  // The kerning pairs: an empty list.
  const auto* pairs = static_cast<const FD_KERNINGPAIR*>(DrvQueryFontTree(Dhpdev(), 0, 1, QFT_KERNPAIRS, nullptr));
  ASSERT_NE(pairs, nullptr);
  EXPECT_EQ(pairs->wcFirst, 0);
  EXPECT_EQ(pairs->wcSecond, 0);
  EXPECT_EQ(pairs->fwdKern, 0);
}

TEST_F(GrDeviceFonts, AdvanceWidthsAreHalfForSingleByteAndHalfWidthCodes) {
  // 10 points at 600 dpi: 83.33 pixels per em.
  EngFont font = Font(1, 600.0 * 10 / 72);
  HGLYPH codes[] = {0x41, 0xB1, 0x8640, 0x8540, 0x82A0, 0x889F};
  USHORT widths[6] = {};
  ASSERT_TRUE(DrvQueryAdvanceWidths(Dhpdev(), &font.fo, QAW_GETWIDTHS, codes, widths, 6));
  // 12.4 values rounded to whole pixels.
  EXPECT_EQ(widths[0], 42 * 16);
  EXPECT_EQ(widths[1], widths[0]);
  EXPECT_EQ(widths[2], widths[0]);
  EXPECT_EQ(widths[3], widths[0]);
  EXPECT_EQ(widths[4], 83 * 16);
  EXPECT_EQ(widths[5], widths[4]);
  // The same along a rotated baseline.
  EngFont turned = Font(1, 600.0 * 10 / 72, 90);
  USHORT turnedWidths[6] = {};
  ASSERT_TRUE(DrvQueryAdvanceWidths(Dhpdev(), &turned.fo, QAW_GETEASYWIDTHS, codes, turnedWidths, 6));
  EXPECT_EQ(std::vector<USHORT>(turnedWidths, turnedWidths + 6), std::vector<USHORT>(widths, widths + 6));
  // Modes and counts.
  SetLastError(0);
  EXPECT_FALSE(DrvQueryAdvanceWidths(Dhpdev(), &font.fo, 7, codes, widths, 6));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(DrvQueryAdvanceWidths(Dhpdev(), &font.fo, QAW_GETWIDTHS, nullptr, nullptr, 0));
}

TEST_F(GrDeviceFonts, GlyphDataAndMaximumExtents) {
  EngFont font = Font(2, 100);
  GLYPHDATA gd{};
  // Without a record only the size of nothing is answered.
  EXPECT_EQ(DrvQueryFontData(Dhpdev(), &font.fo, QFD_GLYPHANDBITMAP, 0x82A0, nullptr, nullptr, 0), 0);
  BYTE untouched[4] = {1, 2, 3, 4};
  ASSERT_EQ(DrvQueryFontData(Dhpdev(), &font.fo, QFD_GLYPHANDBITMAP, 0x82A0, &gd, untouched, 4), 0);
  EXPECT_EQ(gd.hg, 0x82A0u);
  EXPECT_EQ(gd.fxD, 100 * 16);           // a double-byte code: one em
  EXPECT_EQ(gd.fxAB, gd.fxD);
  EXPECT_EQ(gd.fxA, 0);
  EXPECT_EQ(gd.fxInkTop, 90 * 16);       // the font box top, 900 of 1000
  EXPECT_EQ(gd.fxInkBottom, -10 * 16);   // and its bottom below the baseline
  EXPECT_EQ(gd.ptqD.x.u.HighPart, 100 * 16);
  EXPECT_EQ(gd.ptqD.y.u.HighPart, 0);
  EXPECT_EQ(untouched[0], 1);
  ASSERT_EQ(DrvQueryFontData(Dhpdev(), &font.fo, QFD_GLYPHANDBITMAP, 0x41, &gd, nullptr, 0), 0);
  EXPECT_EQ(gd.fxD, 50 * 16);

  EXPECT_EQ(DrvQueryFontData(Dhpdev(), &font.fo, QFD_MAXEXTENTS, 0, nullptr, nullptr, 0), 124);
  FD_DEVICEMETRICS dm;
  std::memset(&dm, 0xCC, sizeof dm);
  ASSERT_EQ(DrvQueryFontData(Dhpdev(), &font.fo, QFD_MAXEXTENTS, 0, nullptr, &dm, sizeof dm), 124);
  EXPECT_FLOAT_EQ(dm.pteBase.x, 1);
  EXPECT_FLOAT_EQ(dm.pteBase.y, 0);
  EXPECT_FLOAT_EQ(dm.pteSide.x, 0);
  EXPECT_FLOAT_EQ(dm.pteSide.y, -1);
  EXPECT_EQ(dm.cxMax, 100u);
  EXPECT_EQ(dm.lD, 0);  // not of constant width
  EXPECT_EQ(dm.fxMaxAscender, 90 * 16);
  EXPECT_EQ(dm.fxMaxDescender, 10 * 16);
  EXPECT_EQ(dm.ptlUnderline1.y, 9);  // 93 of 1000 below the baseline
  EXPECT_EQ(dm.ptlStrikeOut.y, -45);
  EXPECT_EQ(dm.ptlULThickness.y, 5);
  EXPECT_EQ(dm.ptlSOThickness.y, 5);
  EXPECT_EQ(dm.cjGlyphMax, 0u);
  // A buffer too small for the record is refused, not overrun.
  BYTE small[64];
  EXPECT_EQ(DrvQueryFontData(Dhpdev(), &font.fo, QFD_MAXEXTENTS, 0, nullptr, small, sizeof small), -1);
  EXPECT_EQ(DrvQueryFontData(Dhpdev(), &font.fo, QFD_GLYPHANDOUTLINE, 0x41, &gd, nullptr, 0), -1);
}

TEST_F(GrDeviceFonts, DamagedResourcesAreRefused) {
  ULONG size = 0;
  const auto* res = static_cast<const BYTE*>(EngFindResource(module_, 1, kFontMetricsResourceType, &size));
  ASSERT_NE(res, nullptr);
  ASSERT_TRUE(GrCheckMetricsResource(res, size));
  EXPECT_EQ(GrSymbolSetKind(res, size), 0u);
  auto damaged = [&](size_t at, uint32_t value) {
    std::vector<BYTE> copy(res, res + size);
    std::memcpy(copy.data() + at, &value, 4);
    return copy;
  };
  const size_t ifiAt = kFontResMetricsAt;
  const struct {
    const char* what;
    std::vector<BYTE> bytes;
  } cases[] = {
      {"cut short", std::vector<BYTE>(res, res + 600)},
      {"metrics elsewhere", damaged(kFontResMetricsOffsetAt, 8)},
      {"metrics longer than the resource", damaged(ifiAt + offsetof(IFIMETRICS, cjThis), 0x10000)},
      {"a name outside the metrics", damaged(ifiAt + offsetof(IFIMETRICS, dpwszFaceName), 0x7FFFFFF0)},
      {"simulations outside the metrics", damaged(ifiAt + offsetof(IFIMETRICS, dpFontSim), 0x1000)},
      {"symbol sets outside the resource", damaged(kFontResSymbolSetAt, 0xFFFFFF00)},
      {"total size past the end", damaged(kFontResSizeAt, size + 1)},
  };
  for (const auto& t : cases) EXPECT_FALSE(GrCheckMetricsResource(t.bytes.data(), uint32_t(t.bytes.size()))) << t.what;
  // Symbol sets that match no row, or that cannot be read, give kind 2.
  std::vector<BYTE> other(res, res + size);
  const uint32_t listAt = *reinterpret_cast<const uint32_t*>(res + kFontResSymbolSetAt);
  other[listAt] = 'r';
  EXPECT_EQ(GrSymbolSetKind(other.data(), size), 2u);
  EXPECT_EQ(GrSymbolSetKind(damaged(kFontResSymbolSetAt, size).data(), size), 2u);
  std::vector<BYTE> unterminated(res, res + size);
  std::memset(unterminated.data() + listAt, 'A', size - listAt);
  EXPECT_EQ(GrSymbolSetKind(unterminated.data(), size), 2u);

  const auto* set = static_cast<const BYTE*>(EngFindResource(module_, 2, kGlyphSetResourceType, &size));
  ASSERT_NE(set, nullptr);
  EXPECT_TRUE(GrCheckGlyphSetResource(set, size));
  EXPECT_FALSE(GrCheckGlyphSetResource(set, size - 4));  // the last handle cut off
  std::vector<BYTE> runs(set, set + size);
  const uint32_t many = 0x10000000;
  std::memcpy(runs.data() + offsetof(FD_GLYPHSET, cRuns), &many, 4);
  EXPECT_FALSE(GrCheckGlyphSetResource(runs.data(), size));
  EXPECT_FALSE(GrCheckGlyphSetResource(set, 8));
  // A glyph set the module lacks gives none.
  EXPECT_EQ(GrLoadGlyphSet(pdev_.get(), module_, 1), nullptr);
}

TEST(GrDeviceFontMath, HypotIsTheCeilingOfTheLength) {
  const struct {
    LONG a, b, want;
  } cases[] = {{0, 0, 0},     {0, -7, 7},     {-9, 0, 9},        {3, 4, 5},
               {1, 1, 2},     {-5, 12, 13},   {100, 1, 101},     {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
               {-2147483647 - 1, 0, 0x7FFFFFFF}};
  for (const auto& t : cases) EXPECT_EQ(GrHypot(t.a, t.b), t.want) << t.a << ", " << t.b;
}

TEST(GrDeviceFontMath, SingleByteAndHalfWidthCodesTakeTheAverageWidth) {
  IFIMETRICS ifi{};
  ifi.fwdAveCharWidth = 500;
  ifi.fwdMaxCharInc = 1000;
  const struct {
    HGLYPH code;
    LONG width;
  } cases[] = {{0x20, 500}, {0xFF, 500}, {0x100, 1000}, {0x8640, 500}, {0x8641, 1000},
               {0x8540, 500}, {0x85FF, 500}, {0x8140, 1000}, {0xFC4B, 1000}};
  for (const auto& t : cases) EXPECT_EQ(GrDeviceCharWidth(&ifi, t.code), t.width) << std::hex << t.code;
}

}  // namespace
}  // namespace zolt::test
