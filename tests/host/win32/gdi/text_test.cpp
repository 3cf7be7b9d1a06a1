// Fonts and text: the mapper, metrics, extents and drawn text.
#include <gtest/gtest.h>

#include <filesystem>

#include "gdi_test_support.h"
#include "win32/hostgdi.h"

using zolt::test::DibCanvas;

namespace {

LOGFONTW Font(const char16_t* face, LONG height, LONG weight = FW_NORMAL, BYTE charset = DEFAULT_CHARSET) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = charset;
  for (int i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
  return lf;
}

TEST(GdiFonts, UsualFaceNamesMapToTheInstalledFonts) {
  struct Case {
    const char16_t* face;
    const char* family;
  } cases[] = {
      {u"Arial", "Liberation Sans"},        {u"Times New Roman", "Liberation Serif"},
      {u"Courier New", "Liberation Mono"},  {u"MS Shell Dlg", "Liberation Sans"},
      {u"\uFF2D\uFF33 \u660E\u671D", "IPAMincho"},
      {u"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF", "IPAGothic"},
      {u"No Such Face 123", "Liberation Sans"},
  };
  for (const Case& c : cases) {
    std::string family;
    std::filesystem::path file;
    ASSERT_TRUE(zolt::host::MappedFontFile(Font(c.face, -12), family, file)) << c.family;
    EXPECT_EQ(family, c.family);
    EXPECT_TRUE(std::filesystem::exists(file));
  }
  // An unknown face falls back by pitch and family.
  LOGFONTW fixed = Font(u"No Such Face", -12);
  fixed.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  std::string family;
  std::filesystem::path file;
  ASSERT_TRUE(zolt::host::MappedFontFile(fixed, family, file));
  EXPECT_EQ(family, "Liberation Mono");
}

TEST(GdiFonts, MetricsOfAnEmHeightAndACellHeight) {
  DibCanvas c(10, 10, 24);
  LOGFONTW lf = Font(u"Arial", -20);
  HFONT em = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(c.dc, em);
  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(c.dc, &tm));
  // The metric-compatible font has the sans face's vertical metrics: ascent 0.905 em, descent 0.212 em.
  EXPECT_EQ(tm.tmAscent, 18);
  EXPECT_EQ(tm.tmDescent, 4);
  EXPECT_EQ(tm.tmHeight, 22);
  EXPECT_EQ(tm.tmInternalLeading, 2);
  EXPECT_EQ(tm.tmWeight, FW_NORMAL);
  EXPECT_EQ(tm.tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR | TMPF_FIXED_PITCH),
            TMPF_TRUETYPE | TMPF_VECTOR | TMPF_FIXED_PITCH);
  WCHAR face[LF_FACESIZE];
  EXPECT_EQ(GetTextFaceW(c.dc, LF_FACESIZE, face), 6);
  EXPECT_EQ(std::u16string(face), u"Arial");
  LOGFONTW cellLf = Font(u"Arial", 22);
  HFONT cell = CreateFontIndirectW(&cellLf);
  SelectObject(c.dc, cell);
  ASSERT_TRUE(GetTextMetricsW(c.dc, &tm));
  EXPECT_EQ(tm.tmHeight, 22);
  SelectObject(c.dc, old);
  DeleteObject(em);
  DeleteObject(cell);
}

TEST(GdiFonts, ExtentsWidthsAndSpacing) {
  DibCanvas c(10, 10, 24);
  LOGFONTW lf = Font(u"Courier New", -20);
  HFONT f = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(c.dc, f);
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32W(c.dc, u"abcde", 5, &size));
  // A fixed-pitch face: every advance is 0.6 em.
  EXPECT_EQ(size.cx, 5 * 12);
  INT widths[3] = {};
  ASSERT_TRUE(GetCharWidth32W(c.dc, 'a', 'c', widths));
  EXPECT_EQ(widths[0], 12);
  EXPECT_EQ(widths[2], 12);
  SetTextCharacterExtra(c.dc, 2);
  ASSERT_TRUE(GetTextExtentPoint32W(c.dc, u"abcde", 5, &size));
  EXPECT_EQ(size.cx, 5 * 14);
  INT fit = 0, dx[5] = {};
  ASSERT_TRUE(GetTextExtentExPointW(c.dc, u"abcde", 5, 30, &fit, dx, &size));
  EXPECT_EQ(fit, 2);
  EXPECT_EQ(dx[1], 28);
  ABC abc{};
  ASSERT_TRUE(GetCharABCWidthsW(c.dc, 'i', 'i', &abc));
  EXPECT_EQ(abc.abcA + int(abc.abcB) + abc.abcC, 12);
  SelectObject(c.dc, old);
  DeleteObject(f);
}

TEST(GdiFonts, TextIsDrawnInTheTextColourOnTheCellBackground) {
  DibCanvas c(80, 30, 24);
  LOGFONTW lf = Font(u"Arial", -20);
  HFONT f = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(c.dc, f);
  SetTextColor(c.dc, RGB(0, 0, 255));
  SetBkColor(c.dc, RGB(0, 255, 0));
  ASSERT_TRUE(TextOutW(c.dc, 2, 2, u"Hi", 2));
  SIZE size{};
  GetTextExtentPoint32W(c.dc, u"Hi", 2, &size);
  EXPECT_GT(c.Count(RGB(0, 0, 255)), 40);
  // The opaque cell covers exactly the extent.
  EXPECT_EQ(c.Count(RGB(0, 255, 0)) + c.Count(RGB(0, 0, 255)), size.cx * size.cy);
  EXPECT_EQ(c.At(2 + size.cx, 2), RGB(255, 255, 255));
  // Transparent text leaves the background; clipped opaque text stays inside its rectangle.
  SetBkMode(c.dc, TRANSPARENT);
  RECT all{0, 0, 80, 30};
  FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  TextOutW(c.dc, 2, 2, u"Hi", 2);
  EXPECT_EQ(c.Count(RGB(0, 255, 0)), 0);
  FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECT box{0, 0, 6, 30};
  ExtTextOutW(c.dc, 2, 2, ETO_CLIPPED | ETO_OPAQUE, &box, u"Hi", 2, nullptr);
  EXPECT_EQ(c.Count(RGB(0, 255, 0)) + c.Count(RGB(0, 0, 255)), 6 * 30);
  SelectObject(c.dc, old);
  DeleteObject(f);
}

TEST(GdiFonts, JapaneseTextInALatinFontUsesTheJapaneseFont) {
  DibCanvas c(60, 30, 1);
  LOGFONTW lf = Font(u"Arial", -20);
  HFONT f = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(c.dc, f);
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32W(c.dc, u"\u65E5\u672C", 2, &size));
  EXPECT_EQ(size.cx, 40);  // full-width: one em each
  SetBkMode(c.dc, TRANSPARENT);
  TextOutW(c.dc, 0, 0, u"\u65E5", 1);
  EXPECT_GT(c.Count(RGB(0, 0, 0)), 30);
  SelectObject(c.dc, old);
  DeleteObject(f);
}

TEST(GdiFonts, DrawTextWrapsCentresAndCalculates) {
  DibCanvas c(200, 100, 24);
  LOGFONTW lf = Font(u"Courier New", -10);
  HFONT f = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(c.dc, f);
  TEXTMETRICW tm{};
  GetTextMetricsW(c.dc, &tm);
  RECT r{0, 0, 36, 0};  // six characters of 6 pixels
  const int h = DrawTextW(c.dc, u"abc defgh ij", -1, &r, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_EQ(h, 3 * tm.tmHeight);
  EXPECT_EQ(r.bottom, 3 * tm.tmHeight);
  EXPECT_EQ(r.right, 30);  // the widest line, "defgh"
  RECT one{0, 0, 100, 0};
  DrawTextW(c.dc, u"&File", -1, &one, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(one.right, 24);  // the prefix character takes no room
  RECT ell{0, 0, 30, 20};
  DrawTextW(c.dc, u"abcdefghij", -1, &ell, DT_SINGLELINE | DT_END_ELLIPSIS);
  SetBkMode(c.dc, TRANSPARENT);
  RECT all{0, 0, 200, 100};
  FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECT centred{0, 0, 200, 100};
  const int ch = DrawTextW(c.dc, u"x", 1, &centred, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  EXPECT_GT(ch, 0);
  // The character's pixels lie around the middle of the rectangle.
  int minX = 200, maxX = -1;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x)
      if (c.At(x, y) != RGB(255, 255, 255)) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
      }
  EXPECT_GE(minX, 95);
  EXPECT_LE(maxX, 104);
  SelectObject(c.dc, old);
  DeleteObject(f);
}

TEST(GdiPng, BitmapsAreWrittenAsPng) {
  DibCanvas c(5, 3, 8, true, {RGBQUAD{0, 0, 0, 0}, RGBQUAD{0, 0, 255, 0}, RGBQUAD{255, 255, 255, 0}});
  SetPixel(c.dc, 1, 1, RGB(255, 0, 0));
  const auto file = std::filesystem::temp_directory_path() / ("zolt-gdi-" + std::to_string(::getpid()) + ".png");
  ASSERT_TRUE(zolt::host::SaveDcPng(c.dc, file));
  std::FILE* f = std::fopen(file.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char head[24];
  ASSERT_EQ(std::fread(head, 1, 24, f), 24u);
  std::fclose(f);
  std::filesystem::remove(file);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(head + 1), 3), "PNG");
  EXPECT_EQ(head[19], 5);  // width
  EXPECT_EQ(head[23], 3);  // height
  EXPECT_FALSE(zolt::host::SaveBitmapPng(nullptr, file));
}

}  // namespace
