// TransparentBlt, PlgBlt, MaskBlt's mask and the flood fills on memory DCs: which pixels each
// call takes from its source, which it leaves alone, and the calls it refuses.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gdi_test_support.h"
#include "win32/blits.h"

namespace zolt::test {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255),
                   kGreen = RGB(0, 255, 0), kMagenta = RGB(255, 0, 255);

// A 4 x 4 source: left half red, right half magenta (the colour left out below).
struct Source : DibCanvas {
  Source() : DibCanvas(4, 4, 24) {
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) SetPixel(dc, x, y, x < 2 ? kRed : kMagenta);
  }
};

TEST(GdiEffects, TransparentBltLeavesTheTransparentColourOutAndStretches) {
  Source src;
  DibCanvas dst(20, 20, 24);
  RECT all{0, 0, 20, 20};
  HBRUSH blue = CreateSolidBrush(kBlue);
  FillRect(dst.dc, &all, blue);
  DeleteObject(blue);
  ASSERT_TRUE(TransparentBlt(dst.dc, 2, 2, 8, 8, src.dc, 0, 0, 4, 4, kMagenta));
  EXPECT_EQ(dst.At(2, 2), kRed);
  EXPECT_EQ(dst.At(5, 9), kRed);   // stretched twice: the red half is 4 pixels wide
  EXPECT_EQ(dst.At(6, 2), kBlue);  // magenta left out
  EXPECT_EQ(dst.At(9, 9), kBlue);
  EXPECT_EQ(dst.Count(kRed), 32);
  // Refused: a source rectangle outside the source, negative extents, a DC that is not one.
  SetLastError(0);
  EXPECT_FALSE(TransparentBlt(dst.dc, 0, 0, 4, 4, src.dc, 2, 2, 4, 4, kMagenta));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(TransparentBlt(dst.dc, 0, 0, -4, 4, src.dc, 0, 0, 4, 4, kMagenta));
  EXPECT_FALSE(TransparentBlt(dst.dc, 0, 0, 4, 4, reinterpret_cast<HDC>(0x1234), 0, 0, 4, 4, kMagenta));
}

TEST(GdiEffects, PlgBltMapsTheSourceOntoTheParallelogramThroughItsMask) {
  Source src;
  {
    DibCanvas dst(20, 20, 24);
    // Mirrored horizontally: (0,0) lands at the right, (w,0) at the left.
    const POINT mirror[3] = {{12, 2}, {4, 2}, {12, 6}};
    ASSERT_TRUE(PlgBlt(dst.dc, mirror, src.dc, 0, 0, 4, 4, nullptr, 0, 0));
    EXPECT_EQ(dst.At(11, 3), kRed);
    EXPECT_EQ(dst.At(4, 3), kMagenta);
    EXPECT_EQ(dst.At(3, 3), kWhite);
    EXPECT_EQ(dst.At(8, 6), kWhite);
    EXPECT_EQ(dst.Count(kRed) + dst.Count(kMagenta), 32);
  }
  {
    // A sheared parallelogram with a mask that lets only the top row through.
    DibCanvas dst(20, 20, 24);
    HBITMAP mask = CreateBitmap(4, 4, 1, 1, nullptr);
    HDC mdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mdc, mask);
    PatBlt(mdc, 0, 0, 4, 4, BLACKNESS);
    PatBlt(mdc, 0, 0, 4, 1, WHITENESS);
    SelectObject(mdc, old);
    DeleteDC(mdc);
    const POINT shear[3] = {{2, 2}, {10, 2}, {6, 10}};
    ASSERT_TRUE(PlgBlt(dst.dc, shear, src.dc, 0, 0, 4, 4, mask, 0, 0));
    EXPECT_EQ(dst.At(3, 2), kRed);
    EXPECT_EQ(dst.At(9, 3), kMagenta);
    EXPECT_EQ(dst.At(6, 6), kWhite);  // masked out
    EXPECT_EQ(dst.Count(kRed) + dst.Count(kMagenta), 16);
    // A mask that is not monochrome is refused.
    HBITMAP colour = CreateCompatibleBitmap(dst.dc, 4, 4);
    SetLastError(0);
    EXPECT_FALSE(PlgBlt(dst.dc, shear, src.dc, 0, 0, 4, 4, colour, 0, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    DeleteObject(colour);
    DeleteObject(mask);
    EXPECT_FALSE(PlgBlt(dst.dc, nullptr, src.dc, 0, 0, 4, 4, nullptr, 0, 0));
  }
}

TEST(GdiEffects, FloodFillsFillTheConnectedAreaWithTheBrush) {
  DibCanvas c(30, 30, 24);
  HPEN pen = CreatePen(PS_SOLID, 1, kBlue);
  HGDIOBJ oldPen = SelectObject(c.dc, pen);
  HGDIOBJ oldBrush = SelectObject(c.dc, GetStockObject(NULL_BRUSH));
  Rectangle(c.dc, 5, 5, 15, 15);  // a blue frame around [6, 14)
  HBRUSH green = CreateSolidBrush(kGreen);
  SelectObject(c.dc, green);
  // Bounded by blue: the inside only.
  ASSERT_TRUE(ExtFloodFill(c.dc, 10, 10, kBlue, FLOODFILLBORDER));
  EXPECT_EQ(c.Count(kGreen), 64);
  EXPECT_EQ(c.At(5, 5), kBlue);
  EXPECT_EQ(c.At(20, 20), kWhite);
  // The white area outside the frame, by its colour.
  HBRUSH red = CreateSolidBrush(kRed);
  SelectObject(c.dc, red);
  ASSERT_TRUE(ExtFloodFill(c.dc, 0, 0, kWhite, FLOODFILLSURFACE));
  EXPECT_EQ(c.Count(kWhite), 0);
  EXPECT_EQ(c.Count(kGreen), 64);
  // A start on the border colour, or off the colour of a surface fill, fills nothing.
  EXPECT_FALSE(FloodFill(c.dc, 5, 5, kBlue));
  EXPECT_FALSE(ExtFloodFill(c.dc, 10, 10, kRed, FLOODFILLSURFACE));
  EXPECT_FALSE(ExtFloodFill(c.dc, 10, 10, kRed, 7));
  SelectObject(c.dc, oldBrush);
  SelectObject(c.dc, oldPen);
  DeleteObject(pen);
  DeleteObject(green);
  DeleteObject(red);
}

TEST(GdiEffects, MaskBltTakesTheSourceWhereTheMaskIsSet) {
  Source src;
  DibCanvas dst(10, 10, 24);
  HBITMAP mask = CreateBitmap(4, 4, 1, 1, nullptr);
  HDC mdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mdc, mask);
  PatBlt(mdc, 0, 0, 4, 4, BLACKNESS);
  PatBlt(mdc, 0, 0, 4, 2, WHITENESS);
  SelectObject(mdc, old);
  DeleteDC(mdc);
  // Foreground SRCCOPY where the mask is 1, the destination kept where it is 0.
  ASSERT_TRUE(MaskBlt(dst.dc, 1, 1, 4, 4, src.dc, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029)));
  EXPECT_EQ(dst.At(1, 1), kRed);
  EXPECT_EQ(dst.At(4, 2), kMagenta);
  EXPECT_EQ(dst.At(1, 3), kWhite);
  DeleteObject(mask);
}

}  // namespace
}  // namespace zolt::test
