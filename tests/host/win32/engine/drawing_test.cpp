// Drawing on printer DCs through the test graphics module: each call reaches the entry its
// surface hooks with the engine objects of the drawing, the engine draws what is not hooked,
// a banding surface gets the page's drawings once per band, and brushes are realised by the
// module when it asks.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "test_printer.h"
#include "win32/blits.h"
#include "win32/emf.h"

namespace zolt::test {
namespace {

class PrinterDrawingTest : public TestGrTest {
 protected:
  // Draws one page with `draw` and returns the module's calls between StartPage and the end of
  // the page (SendPage, or the first NextBand of a banded page) as whole log lines.
  std::vector<std::string> DrawPage(const TestGrConfig& config, const std::function<void(HDC)>& draw) {
    Configure(config);
    HDC dc = MakeDc();
    EXPECT_NE(dc, nullptr);
    if (!dc) return {};
    DOCINFOW di{sizeof(DOCINFOW), u"Doc", nullptr, nullptr, 0};
    EXPECT_GT(StartDocW(dc, &di), 0);
    EXPECT_GT(StartPage(dc), 0);
    draw(dc);
    EXPECT_GT(EndPage(dc), 0);
    EXPECT_GT(EndDoc(dc), 0);
    DeleteDC(dc);
    std::vector<std::string> out;
    bool in = false;
    for (const std::string& line : Log()) {
      if (line.rfind("StartPage", 0) == 0 || line.rfind("StartBanding", 0) == 0) {
        in = true;
        continue;
      }
      if (line.rfind("SendPage", 0) == 0 || line.rfind("EndDoc", 0) == 0) in = false;
      if (in && line.rfind("RealizeBrush", 0) != 0) out.push_back(line);
    }
    return out;
  }
  static std::vector<std::string> Entries(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& l : lines) out.push_back(l.substr(0, l.find(' ')));
    return out;
  }
  HDC MakeDc() { return CreateDCW(nullptr, kTestPrinter, nullptr, nullptr); }
};

constexpr FLONG kAllHooks = HOOK_BITBLT | HOOK_COPYBITS | HOOK_STRETCHBLT | HOOK_STROKEPATH | HOOK_FILLPATH |
                            HOOK_STROKEANDFILLPATH | HOOK_TEXTOUT;

void Dib(HDC dc, int x, int y, int w, int h) {
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = 2;
  bmi.bmiHeader.biHeight = 2;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 24;
  const BYTE bits[16] = {0, 0, 0, 255, 255, 255, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0};
  StretchDIBits(dc, x, y, w, h, 0, 0, 2, 2, bits, &bmi, DIB_RGB_COLORS, SRCCOPY);
}

TEST_F(PrinterDrawingTest, EachDrawingCallReachesTheEntryItsSurfaceHooks) {
  struct Case {
    const char* name;
    std::function<void(HDC)> draw;
    std::vector<std::string> lines;
  } cases[] = {
      {"rectangle", [](HDC dc) { Rectangle(dc, 10, 10, 50, 40); },
       {"StrokeAndFillPath bounds=10,10,49,39 figures=1 clip=trivial pen=000000 brush=FFFFFF mix=0D0D mode=1"}},
      {"line", [](HDC dc) { MoveToEx(dc, 5, 5, nullptr), LineTo(dc, 60, 30); },
       {"StrokePath bounds=5,5,60,30 figures=1 clip=trivial brush=000000 width=cosmetic styled=0 mix=0D0D"}},
      {"dashed wide pen, transparent",
       [](HDC dc) {
         SetBkMode(dc, TRANSPARENT);
         LOGBRUSH lb{BS_SOLID, RGB(0, 0, 255), 0};
         HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_DASH | PS_ENDCAP_FLAT, 6, &lb, 0, nullptr);
         HGDIOBJ old = SelectObject(dc, pen);
         MoveToEx(dc, 5, 50, nullptr), LineTo(dc, 150, 50);
         DeleteObject(SelectObject(dc, old));
       },
       {"StrokePath bounds=5,50,150,50 figures=1 clip=rect brush=0000FF width=6 styled=2 mix=0B0D"}},
      {"polygon without a pen",
       [](HDC dc) {
         SelectObject(dc, GetStockObject(NULL_PEN));
         SetPolyFillMode(dc, WINDING);
         const POINT pts[] = {{10, 10}, {90, 10}, {50, 80}};
         Polygon(dc, pts, 3);
       },
       {"FillPath bounds=10,10,90,80 figures=1 clip=trivial brush=FFFFFF mix=0D0D mode=2"}},
      {"pattern blit", [](HDC dc) { PatBlt(dc, 10, 20, 30, 40, PATINVERT); },
       {"BitBlt rect=10,20,40,60 src=-1,-1 rop=5A5A clip=trivial dark=-1 brush=FFFFFF mask=0 pdev=1"}},
      {"fill rect",
       [](HDC dc) {
         HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
         const RECT r{0, 0, 20, 10};
         FillRect(dc, &r, red);
         DeleteObject(red);
       },
       {"BitBlt rect=0,0,20,10 src=-1,-1 rop=F0F0 clip=trivial dark=-1 brush=FF0000 mask=0 pdev=1"}},
      {"image 1:1", [](HDC dc) { Dib(dc, 100, 50, 2, 2); },
       {"BitBlt rect=100,50,102,52 src=0,0 rop=CCCC clip=trivial dark=1 brush=none mask=0 pdev=1"}},
      {"image stretched and mirrored", [](HDC dc) { Dib(dc, 60, 10, -20, 20); },
       {"StretchBlt dest=60,10,40,30 src=0,0,2,2 mask=0 clip=trivial mode=1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestGrConfig config;
    config.hooks = kAllHooks;
    EXPECT_EQ(DrawPage(config, c.draw), c.lines);
  }
}

// A 4 x 4 source in a memory DC: red with a magenta right half.
struct EffectSource {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bm = nullptr;
  HGDIOBJ old = nullptr;
  EffectSource() {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 4;
    bi.bmiHeader.biHeight = -4;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    bm = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    old = SelectObject(dc, bm);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) SetPixel(dc, x, y, x < 2 ? RGB(255, 0, 0) : RGB(255, 0, 255));
  }
  ~EffectSource() {
    SelectObject(dc, old);
    DeleteObject(bm);
    DeleteDC(dc);
  }
};

void DrawEffects(HDC dc) {
  EffectSource src;
  BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
  AlphaBlend(dc, 10, 10, 8, 8, src.dc, 0, 0, 4, 4, half);
  TRIVERTEX v[3] = {{30, 10, 0xFF00, 0, 0, 0}, {50, 10, 0, 0xFF00, 0, 0}, {30, 30, 0, 0, 0xFF00, 0}};
  GRADIENT_TRIANGLE tri{0, 1, 2};
  GradientFill(dc, v, 3, &tri, 1, GRADIENT_FILL_TRIANGLE);
  TransparentBlt(dc, 60, 10, 8, 8, src.dc, 0, 0, 4, 4, RGB(255, 0, 255));
  const POINT plg[3] = {{80, 10}, {88, 14}, {80, 18}};
  PlgBlt(dc, plg, src.dc, 0, 0, 4, 4, nullptr, 0, 0);
}

TEST_F(PrinterDrawingTest, BlendsGradientsAndTransformedBlitsReachTheirEntriesWhenHooked) {
  TestGrConfig config;
  config.hooks = kAllHooks | HOOK_ALPHABLEND | HOOK_GRADIENTFILL | HOOK_TRANSPARENTBLT | HOOK_PLGBLT;
  EXPECT_EQ(DrawPage(config, DrawEffects),
            (std::vector<std::string>{
                "AlphaBlend dest=10,10,18,18 src=0,0,4,4 clip=trivial alpha=128",
                "GradientFill vertices=3 meshes=1 extents=30,10,51,31 clip=trivial mode=2",
                "TransparentBlt dest=60,10,68,18 src=0,0,4,4 clip=trivial color=FF00FF",
                "PlgBlt to=80,10,88,14,80,18 src=0,0,4,4 mask=0 clip=trivial mode=1",
            }));
}

TEST_F(PrinterDrawingTest, UnhookedBlendsAndGradientsAreDrawnByTheEngineAndHandedToTheBlits) {
  // Not hooked: the engine draws each into a bitmap and hands over the pixels it drew, the
  // blend after reading the device's pixels back through DrvCopyBits; the drawn pixels are the
  // clip (the triangle's, the opaque half of the transparent copy, the parallelogram's 8 x 8).
  struct Case {
    FLONG hooks;
    std::vector<std::string> lines;
  } cases[] = {
      {kAllHooks,
       {"CopyBits rect=0,0,8,8 clip=none clipped=-1 dark=-1", "CopyBits rect=10,10,18,18 clip=trivial clipped=-1 dark=0",
        "CopyBits rect=30,10,51,31 clip=complex", "CopyBits rect=60,10,68,18 clip=rect clipped=32",
        "CopyBits rect=80,10,89,23 clip=complex/9/64 clipped=64"}},
      {HOOK_BITBLT,
       {"BitBlt rect=10,10,18,18 src=0,0 rop=CCCC clip=trivial", "BitBlt rect=30,10,51,31 src=0,0 rop=CCCC clip=complex",
        "BitBlt rect=60,10,68,18 src=0,0 rop=CCCC clip=rect",
        "BitBlt rect=80,10,89,23 src=0,0 rop=CCCC clip=complex/9/64"}},
  };
  for (const Case& c : cases) {
    TestGrConfig config;
    config.hooks = c.hooks;
    const std::vector<std::string> lines = DrawPage(config, DrawEffects);
    ASSERT_EQ(lines.size(), c.lines.size()) << ::testing::PrintToString(lines);
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].rfind(c.lines[i], 0), 0u) << lines[i] << " / " << c.lines[i];
  }
}

TEST_F(PrinterDrawingTest, TheirMetafileRecordsPlayOntoThePrinterThroughTheSameEntries) {
  TestGrConfig config;
  config.hooks = kAllHooks | HOOK_ALPHABLEND | HOOK_GRADIENTFILL | HOOK_TRANSPARENTBLT | HOOK_PLGBLT;
  Configure(config);
  HDC ref = MakeDc();
  ASSERT_NE(ref, nullptr);
  const RECT frame{0, 0, GetDeviceCaps(ref, HORZSIZE) * 100, GetDeviceCaps(ref, VERTSIZE) * 100};
  const RECT page{0, 0, GetDeviceCaps(ref, HORZRES), GetDeviceCaps(ref, VERTRES)};
  HDC mdc = CreateEnhMetaFileW(ref, nullptr, &frame, nullptr);
  ASSERT_NE(mdc, nullptr);
  DrawEffects(mdc);
  HENHMETAFILE mf = CloseEnhMetaFile(mdc);
  DeleteDC(ref);
  ASSERT_NE(mf, nullptr);
  const std::vector<std::string> lines = DrawPage(config, [&](HDC dc) { EXPECT_TRUE(PlayEnhMetaFile(dc, mf, &page)); });
  DeleteEnhMetaFile(mf);
  EXPECT_EQ(Entries(lines), (std::vector<std::string>{"AlphaBlend", "GradientFill", "TransparentBlt", "PlgBlt"}));
}

TEST_F(PrinterDrawingTest, FloodFillsAreRefusedBecauseTheSurfaceIsTheModules) {
  TestGrConfig config;
  config.hooks = kAllHooks;
  const std::vector<std::string> lines = DrawPage(config, [](HDC dc) {
    EXPECT_EQ(GetDeviceCaps(dc, RASTERCAPS) & RC_FLOODFILL, 0);
    EXPECT_FALSE(ExtFloodFill(dc, 5, 5, RGB(0, 0, 0), FLOODFILLBORDER));
    EXPECT_FALSE(FloodFill(dc, 5, 5, RGB(0, 0, 0)));
  });
  EXPECT_TRUE(lines.empty());
}

TEST_F(PrinterDrawingTest, PixelsTheRasterDrawsWhiteAreHandedOverToo) {
  // A white pixel over a black one: both are drawings of the page, the white one is not lost.
  TestGrConfig config;
  config.hooks = HOOK_BITBLT;
  const std::vector<std::string> lines = DrawPage(config, [](HDC dc) {
    SetPixel(dc, 5, 5, RGB(0, 0, 0));
    SetPixel(dc, 6, 5, RGB(255, 255, 255));
  });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("BitBlt rect=5,5,7,6 src=0,0 rop=CCCC clip=trivial dark=1", 0), 0u) << lines[0];
}

TEST_F(PrinterDrawingTest, CosmeticStylesAreStyleUnitsOfTheDevice) {
  // A dashed cosmetic line drawn by the engine (the module leaves paths to it): 6 units on and
  // 2 off, a unit being denStyleStep / xStyleStep = 12 pixels at 300 dpi.
  TestGrConfig config;
  config.surface = 2;
  config.hooks = HOOK_BITBLT | HOOK_STROKEPATH;
  config.puntPaths = TRUE;
  const std::vector<std::string> lines = DrawPage(config, [](HDC dc) {
    HPEN pen = CreatePen(PS_DASH, 0, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, 0, 50, nullptr), LineTo(dc, 200, 50);
    DeleteObject(SelectObject(dc, old));
  });
  ASSERT_EQ(Entries(lines), std::vector<std::string>{"StrokePath"});
  EXPECT_NE(lines[0].find("styled=2"), std::string::npos) << lines[0];
  const std::vector<std::string> sent = LinesOf("SendPage");
  ASSERT_EQ(sent.size(), 1u);
  // On [0, 72), [96, 168) and [192, 200).
  EXPECT_EQ(sent[0], "SendPage dark=152");
}

TEST_F(PrinterDrawingTest, TextReachesTextOutWithTheStringAndItsFont) {
  TestGrConfig config;
  config.hooks = kAllHooks;
  const std::vector<std::string> lines = DrawPage(config, [](HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 128, 0));
    TextOutW(dc, 20, 30, u"Hi!", 3);
  });
  ASSERT_EQ(Entries(lines), std::vector<std::string>{"TextOut"});
  EXPECT_EQ(lines[0].substr(0, lines[0].find(" first=")), "TextOut text=Hi! glyphs=3");
  EXPECT_NE(lines[0].find(" face=0 device=0 clip=trivial fore=008000 opaque=0 extra=0"), std::string::npos)
      << lines[0];
}

TEST_F(PrinterDrawingTest, WhatTheSurfaceDoesNotHookTheEngineDrawsAndHandsOver) {
  // A device surface with only the blits: paths and text arrive as the engine's bitmaps of the
  // pixels they cover (the rectangle's inside and its border, the text's cell and its glyph).
  TestGrConfig config;
  config.hooks = HOOK_BITBLT | HOOK_COPYBITS;
  std::vector<std::string> lines = DrawPage(config, [](HDC dc) {
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Rectangle(dc, 10, 10, 20, 20);
    TextOutW(dc, 50, 50, u"X", 1);
  });
  EXPECT_EQ(Entries(lines), (std::vector<std::string>{"CopyBits", "CopyBits", "CopyBits", "CopyBits"}));
  EXPECT_EQ(lines[0], "CopyBits rect=8,8,21,21 clip=rect clipped=81 dark=81");
  // A module that leaves a path to the engine (FALSE) gets the engine's drawing of it.
  config.hooks = HOOK_BITBLT | HOOK_COPYBITS | HOOK_FILLPATH;
  config.puntPaths = TRUE;
  lines = DrawPage(config, [](HDC dc) {
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Rectangle(dc, 10, 10, 21, 21);
  });
  EXPECT_EQ(Entries(lines), (std::vector<std::string>{"FillPath", "CopyBits"}));
}

TEST_F(PrinterDrawingTest, BandingPlaysEachDrawingOnTheBandsItTouches) {
  TestGrConfig config;
  config.surface = 1;
  config.bandHeight = 40;
  config.hooks = HOOK_BITBLT | HOOK_FILLPATH;
  const std::vector<std::string> lines = DrawPage(config, [](HDC dc) {
    SelectObject(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, 0, 20, 50, 71);   // rows 20-69: the first two bands
    PatBlt(dc, 100, 85, 10, 10, BLACKNESS);  // the last band only
  });
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "FillPath bounds=0,20,49,70 figures=1 clip=rect brush=FFFFFF mix=0D0D mode=1",
                       "NextBand y=0 dark=0",
                       "FillPath bounds=0,-20,49,30 figures=1 clip=rect brush=FFFFFF mix=0D0D mode=1",
                       "NextBand y=40 dark=0",
                       "BitBlt rect=100,5,110,15 src=-1,-1 rop=0000 clip=trivial dark=-1 brush=none mask=0 pdev=1",
                       "NextBand y=80 dark=100",
                   }));
}

TEST_F(PrinterDrawingTest, ComplexClipsAreEnumeratedByTheModule) {
  TestGrConfig config;
  config.hooks = kAllHooks;
  const std::vector<std::string> lines = DrawPage(config, [](HDC dc) {
    HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(20, 5, 40, 15);
    CombineRgn(a, a, b, RGN_OR);
    SelectClipRgn(dc, a);
    DeleteObject(a);
    DeleteObject(b);
    PatBlt(dc, 0, 0, 100, 100, BLACKNESS);
  });
  // Bands 0-4 (one rectangle), 5-9 (two), 10-14 (one): 100 + 200 pixels.
  EXPECT_EQ(lines, std::vector<std::string>{
                       "BitBlt rect=0,0,100,100 src=-1,-1 rop=0000 clip=complex/4/300 dark=-1 brush=none mask=0 pdev=1"});
}

TEST_F(PrinterDrawingTest, PatternsAndHatchesAreRealisedByTheModuleWhenItAsks) {
  TestGrConfig config;
  config.hooks = kAllHooks;
  Configure(config);
  HDC dc = MakeDc();
  ASSERT_NE(dc, nullptr);
  DOCINFOW di{sizeof(DOCINFOW), u"Doc", nullptr, nullptr, 0};
  ASSERT_GT(StartDocW(dc, &di), 0);
  ASSERT_GT(StartPage(dc), 0);
  HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(0, 0, 0));
  const WORD rows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  HBITMAP bm = CreateBitmap(8, 8, 1, 1, rows);
  HBRUSH pattern = CreatePatternBrush(bm);
  const RECT r{0, 0, 10, 10};
  FillRect(dc, &r, hatch);
  FillRect(dc, &r, pattern);
  EXPECT_GT(EndPage(dc), 0);
  EXPECT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
  DeleteObject(hatch);
  DeleteObject(pattern);
  DeleteObject(bm);
  EXPECT_EQ(LinesOf("RealizeBrush"),
            (std::vector<std::string>{"RealizeBrush hatch=4 pattern=0", "RealizeBrush hatch=6 pattern=1"}));
  for (const std::string& l : LinesOf("BitBlt")) EXPECT_NE(l.find("brush=realized"), std::string::npos) << l;
}

}  // namespace
}  // namespace zolt::test

namespace zolt::test {
namespace {

int CALLBACK CollectFaces(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM lParam) {
  auto* seen = reinterpret_cast<std::vector<std::pair<std::u16string, DWORD>>*>(lParam);
  seen->push_back({std::u16string(lf->lfFaceName), type});
  return 1;
}

TEST_F(PrinterDrawingTest, DeviceFontsAreEnumeratedRealisedAndDrawnByTheModule) {
  TestGrConfig config;
  config.hooks = kAllHooks;
  config.deviceFonts = 2;
  Configure(config);
  HDC dc = MakeDc();
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(LinesOf("QueryFont"), (std::vector<std::string>{"QueryFont face=1", "QueryFont face=2"}));
  // The module's fonts come first, as device fonts; the engine's fonts follow.
  std::vector<std::pair<std::u16string, DWORD>> seen;
  LOGFONTW all{};
  all.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(dc, &all, CollectFaces, reinterpret_cast<LPARAM>(&seen), 0);
  ASSERT_GT(seen.size(), 2u);
  EXPECT_EQ(seen[0], (std::pair<std::u16string, DWORD>{u"TestDev1", DEVICE_FONTTYPE}));
  EXPECT_EQ(seen[1], (std::pair<std::u16string, DWORD>{u"TestDev2", DEVICE_FONTTYPE}));
  EXPECT_EQ(seen[2].second, DWORD(TRUETYPE_FONTTYPE));
  seen.clear();
  LOGFONTW one{};
  one.lfCharSet = DEFAULT_CHARSET;
  std::u16string name = u"testdev2";
  std::copy(name.begin(), name.end(), one.lfFaceName);
  EnumFontFamiliesExW(dc, &one, CollectFaces, reinterpret_cast<LPARAM>(&seen), 0);
  EXPECT_EQ(seen, (std::vector<std::pair<std::u16string, DWORD>>{{u"TestDev2", DEVICE_FONTTYPE}}));

  // Selected, the font is measured by the module and its text drawn by the module.
  one.lfHeight = -50;
  HFONT font = CreateFontIndirectW(&one);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32W(dc, u"AB", 2, &size));
  EXPECT_EQ(size.cx, 60);  // 2 x 600 / 1000 of 50 pixels
  // Its metrics are the module's, at the realised size.
  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(dc, &tm));
  EXPECT_EQ(tm.tmAscent, 40);
  EXPECT_EQ(tm.tmDescent, 10);
  EXPECT_EQ(tm.tmAveCharWidth, 30);
  EXPECT_EQ(tm.tmMaxCharWidth, 30);
  EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_DEVICE);
  DOCINFOW di{sizeof(DOCINFOW), u"Doc", nullptr, nullptr, 0};
  ASSERT_GT(StartDocW(dc, &di), 0);
  ASSERT_GT(StartPage(dc), 0);
  SetBkMode(dc, TRANSPARENT);
  EXPECT_TRUE(TextOutW(dc, 10, 20, u"AB", 2));
  EXPECT_GT(EndPage(dc), 0);
  EXPECT_GT(EndDoc(dc), 0);
  DeleteObject(SelectObject(dc, old));
  DeleteDC(dc);
  // Baseline at the top plus the ascent (800 / 1000 of 50).
  EXPECT_EQ(LinesOf("TextOut"), std::vector<std::string>{"TextOut text=AB glyphs=2 first=10,60 face=2 device=1 "
                                                         "clip=rect fore=000000 opaque=0 extra=0"});
  EXPECT_EQ(LinesOf("QueryFontTree"), std::vector<std::string>{"QueryFontTree face=2 mode=3"});
  EXPECT_EQ(LinesOf("QueryAdvanceWidths").front(), "QueryAdvanceWidths face=2 count=2 first=141");
  EXPECT_EQ(LinesOf("GetGlyphMode"), std::vector<std::string>{"GetGlyphMode face=2"});
}

}  // namespace
}  // namespace zolt::test
