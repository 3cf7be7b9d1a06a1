// Drawing on printer DCs through the test graphics module: each call reaches the entry its
// surface hooks with the engine objects of the drawing, the engine draws what is not hooked,
// a banding surface gets the page's drawings once per band, and brushes are realised by the
// module when it asks.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "test_printer.h"

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
