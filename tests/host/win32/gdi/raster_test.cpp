// The raster: fills, cosmetic lines by the line rule, mixes and raster operations, clipping.
#include <gtest/gtest.h>

#include "gdi_test_support.h"

using zolt::test::DibCanvas;
using Pic = std::vector<std::string>;

namespace {

TEST(GdiRaster, FillRectExcludesRightAndBottomAndIgnoresInvertedRects) {
  DibCanvas c(6, 4, 1);
  RECT r{1, 1, 4, 3};
  FillRect(c.dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RECT inverted{5, 3, 2, 0};
  FillRect(c.dc, &inverted, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Picture(), (Pic{"......", ".###..", ".###..", "......"}));
}

TEST(GdiRaster, RectangleDrawsBorderAndInterior) {
  DibCanvas c(7, 6, 24);
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(c.dc, red);
  Rectangle(c.dc, 1, 1, 6, 5);
  EXPECT_EQ(c.Picture(), (Pic{".......", ".#####.", ".#???#.", ".#???#.", ".#####.", "......."}));
  EXPECT_EQ(c.At(3, 2), RGB(255, 0, 0));
  // With the null pen the filled area is one pixel smaller each way.
  RECT all{0, 0, 7, 6};
  FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
  Rectangle(c.dc, 1, 1, 6, 5);
  EXPECT_EQ(c.Picture(), (Pic{".......", ".####..", ".####..", ".####..", ".......", "......."}));
  SelectObject(c.dc, old);
  DeleteObject(red);
}

struct LineCase {
  POINT from, to;
  Pic expected;
};

// Cosmetic lines: one pixel per major step, the last pixel left out, halfway cases to the
// upper (x-major) or left (y-major) pixel.
TEST(GdiRaster, CosmeticLinesFollowTheLineRule) {
  const LineCase cases[] = {
      {{0, 0}, {5, 0}, {"#####.", "......", "......"}},
      {{5, 0}, {0, 0}, {".#####", "......", "......"}},
      {{0, 0}, {4, 2}, {"##....", "..##..", "......"}},
      {{4, 2}, {0, 0}, {".#....", "..##..", "....#."}},
      {{0, 0}, {2, 4}, {"#.....", "#.....", ".#....", ".#....", "......"}},
      {{0, 0}, {3, 3}, {"#.....", ".#....", "..#...", "......"}},
      {{1, 1}, {1, 1}, {"......", "......"}},
  };
  for (const LineCase& lc : cases) {
    DibCanvas c(6, int(lc.expected.size()), 1);
    MoveToEx(c.dc, lc.from.x, lc.from.y, nullptr);
    LineTo(c.dc, lc.to.x, lc.to.y);
    EXPECT_EQ(c.Picture(), lc.expected) << lc.from.x << "," << lc.from.y << " -> " << lc.to.x << "," << lc.to.y;
    POINT cur{};
    GetCurrentPositionEx(c.dc, &cur);
    EXPECT_EQ(cur.x, lc.to.x);
  }
}

TEST(GdiRaster, LinesFarOutsideTheSurfaceAreClippedWithoutWalkingThem) {
  DibCanvas c(4, 3, 1);
  MoveToEx(c.dc, -2000000000, 1, nullptr);
  LineTo(c.dc, 2000000000, 1);
  EXPECT_EQ(c.Picture(), (Pic{"....", "####", "...."}));
}

TEST(GdiRaster, DashedCosmeticPenWithBackgroundGaps) {
  DibCanvas c(30, 1, 24);
  HPEN dot = CreatePen(PS_DOT, 0, RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(c.dc, dot);
  SetBkColor(c.dc, RGB(255, 0, 0));
  MoveToEx(c.dc, 0, 0, nullptr);
  LineTo(c.dc, 12, 0);
  EXPECT_EQ(c.Picture()[0].substr(0, 13), "###???###???.");
  SetBkMode(c.dc, TRANSPARENT);
  MoveToEx(c.dc, 13, 0, nullptr);
  LineTo(c.dc, 25, 0);
  EXPECT_EQ(c.Picture()[0].substr(13), "###...###........");
  SelectObject(c.dc, old);
  DeleteObject(dot);
}

// Every mix of the pen against black and white destinations with a black and a white pen.
TEST(GdiRaster, TheSixteenMixes) {
  // Results for (pen, dest) = (0,0), (0,1), (1,0), (1,1); 1 = white.
  const char* expected[16] = {"0000", "1000", "0100", "1100", "0010", "1010", "0110", "1110",
                              "0001", "1001", "0101", "1101", "0011", "1011", "0111", "1111"};
  for (int mix = R2_BLACK; mix <= R2_WHITE; ++mix) {
    DibCanvas c(4, 1, 1);
    RECT black{0, 0, 1, 1}, black2{2, 0, 3, 1};
    FillRect(c.dc, &black, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(c.dc, &black2, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetROP2(c.dc, mix);
    for (int x = 0; x < 4; ++x) {
      SelectObject(c.dc, GetStockObject(x < 2 ? BLACK_PEN : WHITE_PEN));
      MoveToEx(c.dc, x, 0, nullptr);
      LineTo(c.dc, x + 1, 0);
    }
    std::string got;
    for (int x = 0; x < 4; ++x) got.push_back(c.At(x, 0) == RGB(255, 255, 255) ? '1' : '0');
    EXPECT_EQ(got, expected[mix - 1]) << "mix " << mix;
  }
}

// A three-operand code computes its bit for every combination of pattern, source and destination.
TEST(GdiRaster, AllRasterOperationsOfBitBlt) {
  // Source: columns 0-3 = 0,0,1,1 ... in two rows; destination: 0,1,0,1; pattern: row 0 black, row 1 white.
  DibCanvas src(4, 2, 1);
  RECT s{2, 0, 4, 2};
  FillRect(src.dc, &s, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RECT s2{0, 0, 4, 2};
  InvertRect(src.dc, &s2);  // columns 0-1 black, 2-3 white
  for (int rop = 0; rop < 256; ++rop) {
    DibCanvas dst(4, 2, 1);
    for (int x : {0, 2}) {
      RECT d{x, 0, x + 1, 2};
      FillRect(dst.dc, &d, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    // Row 0 with a black pattern, row 1 with a white one.
    SelectObject(dst.dc, GetStockObject(BLACK_BRUSH));
    BitBlt(dst.dc, 0, 0, 4, 1, src.dc, 0, 0, DWORD(rop) << 16);
    SelectObject(dst.dc, GetStockObject(WHITE_BRUSH));
    BitBlt(dst.dc, 0, 1, 4, 1, src.dc, 0, 1, DWORD(rop) << 16);
    for (int p = 0; p < 2; ++p)
      for (int x = 0; x < 4; ++x) {
        const int sBit = x >= 2 ? 1 : 0, dBit = x & 1;
        const int want = (rop >> ((p << 2) | (sBit << 1) | dBit)) & 1;
        EXPECT_EQ(dst.At(x, p) == RGB(255, 255, 255) ? 1 : 0, want) << "rop " << rop << " p" << p << " x" << x;
      }
  }
}

TEST(GdiRaster, MonochromeAndColourConversionsOfBitBlt) {
  // Colour to a monochrome device bitmap: the source background colour becomes white.
  DibCanvas colour(3, 1, 24);
  SetPixel(colour.dc, 0, 0, RGB(10, 20, 30));
  SetPixel(colour.dc, 1, 0, RGB(200, 200, 200));
  SetBkColor(colour.dc, RGB(10, 20, 30));
  HDC mono = CreateCompatibleDC(nullptr);
  HBITMAP monoBm = CreateBitmap(3, 1, 1, 1, nullptr);
  HGDIOBJ old = SelectObject(mono, monoBm);
  BitBlt(mono, 0, 0, 3, 1, colour.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(mono, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(mono, 1, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(mono, 2, 0), RGB(0, 0, 0));
  // Monochrome to colour: 0 takes the text colour, 1 the background colour of the destination.
  SetTextColor(colour.dc, RGB(255, 0, 0));
  SetBkColor(colour.dc, RGB(0, 0, 255));
  BitBlt(colour.dc, 0, 0, 3, 1, mono, 0, 0, SRCCOPY);
  EXPECT_EQ(colour.At(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(colour.At(1, 0), RGB(255, 0, 0));
  SelectObject(mono, old);
  DeleteObject(monoBm);
  DeleteDC(mono);
}

TEST(GdiRaster, ClipRegionsLimitEveryDrawing) {
  DibCanvas c(6, 3, 1);
  HRGN a = CreateRectRgn(0, 0, 2, 3), b = CreateRectRgn(4, 1, 6, 2);
  CombineRgn(a, a, b, RGN_OR);
  EXPECT_EQ(SelectClipRgn(c.dc, a), COMPLEXREGION);
  PatBlt(c.dc, 0, 0, 6, 3, BLACKNESS);
  EXPECT_EQ(c.Picture(), (Pic{"##....", "##..##", "##...."}));
  ExcludeClipRect(c.dc, 0, 1, 6, 2);
  PatBlt(c.dc, 0, 0, 6, 3, WHITENESS);
  EXPECT_EQ(c.Picture(), (Pic{"......", "##..##", "......"}));
  SelectClipRgn(c.dc, nullptr);
  PatBlt(c.dc, 0, 0, 6, 3, DSTINVERT);
  EXPECT_EQ(c.Picture(), (Pic{"######", "..##..", "######"}));
  DeleteObject(a);
  DeleteObject(b);
}

TEST(GdiRaster, HatchBrushesTakeTheBackgroundModeAndOrigin) {
  DibCanvas c(8, 8, 1);
  HBRUSH h = CreateHatchBrush(HS_VERTICAL, RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(c.dc, h);
  SetBkColor(c.dc, RGB(0, 0, 0));
  SetBkMode(c.dc, TRANSPARENT);
  PatBlt(c.dc, 0, 0, 8, 8, PATCOPY);
  EXPECT_EQ(c.Picture()[3], "....#...");
  SetBrushOrgEx(c.dc, 2, 0, nullptr);
  PatBlt(c.dc, 0, 0, 8, 8, PATCOPY);
  EXPECT_EQ(c.Picture()[3], "....#.#.");
  SetBkMode(c.dc, OPAQUE);  // the background colour (black) fills the rest
  PatBlt(c.dc, 0, 0, 8, 1, PATCOPY);
  EXPECT_EQ(c.Picture()[0], "########");
  SelectObject(c.dc, old);
  DeleteObject(h);
}

}  // namespace
