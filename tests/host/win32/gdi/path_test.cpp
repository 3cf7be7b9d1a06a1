// Paths, filled shapes, regions and transforms.
#include <gtest/gtest.h>

#include "gdi_test_support.h"

using zolt::test::DibCanvas;
using Pic = std::vector<std::string>;

namespace {

TEST(GdiShapes, PolygonFillModes) {
  // A square with a square hole drawn the same way round: the alternate rule leaves the hole,
  // the winding rule fills it.
  const POINT pts[10] = {{0, 0}, {6, 0}, {6, 6}, {0, 6}, {0, 0}, {2, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}};
  for (int mode : {ALTERNATE, WINDING}) {
    DibCanvas c(7, 7, 1);
    SelectObject(c.dc, GetStockObject(NULL_PEN));
    SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
    SetPolyFillMode(c.dc, mode);
    Polygon(c.dc, pts, 10);
    const Pic alternate{"######.", "######.", "##..##.", "##..##.", "######.", "######.", "......."};
    const Pic winding{"######.", "######.", "######.", "######.", "######.", "######.", "......."};
    const Pic& expected = mode == ALTERNATE ? alternate : winding;
    EXPECT_EQ(c.Picture(), expected) << mode;
  }
}

TEST(GdiShapes, EllipseStaysInsideItsBox) {
  DibCanvas c(12, 10, 1);
  SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
  Ellipse(c.dc, 1, 1, 11, 9);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x)
      if (x < 1 || x > 10 || y < 1 || y > 8) {
        EXPECT_EQ(c.At(x, y), RGB(255, 255, 255)) << x << "," << y;
      }
  EXPECT_EQ(c.At(6, 5), RGB(0, 0, 0));
  EXPECT_EQ(c.At(1, 1), RGB(255, 255, 255));  // the corners are outside
  EXPECT_GT(c.Count(RGB(0, 0, 0)), 50);
}

TEST(GdiShapes, GeometricPenWidthAndCaps) {
  LOGBRUSH lb{BS_SOLID, RGB(0, 0, 0), 0};
  HPEN flat = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, 3, &lb, 0, nullptr);
  HPEN square = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE, 3, &lb, 0, nullptr);
  DibCanvas c(12, 5, 1);
  HGDIOBJ old = SelectObject(c.dc, flat);
  MoveToEx(c.dc, 3, 2, nullptr);
  LineTo(c.dc, 8, 2);
  EXPECT_EQ(c.Picture(), (Pic{"............", "...#####....", "...#####....", "...#####....", "............"}));
  SelectObject(c.dc, square);
  PatBlt(c.dc, 0, 0, 12, 5, WHITENESS);
  MoveToEx(c.dc, 3, 2, nullptr);
  LineTo(c.dc, 8, 2);
  EXPECT_EQ(c.Picture(), (Pic{"............", "..########..", "..########..", "..########..", "............"}));
  SelectObject(c.dc, old);
  DeleteObject(flat);
  DeleteObject(square);
}

TEST(GdiPaths, RecordedFiguresAreReturnedFlattenedAndFilled) {
  DibCanvas c(10, 10, 1);
  ASSERT_TRUE(BeginPath(c.dc));
  MoveToEx(c.dc, 1, 1, nullptr);
  LineTo(c.dc, 8, 1);
  LineTo(c.dc, 8, 8);
  CloseFigure(c.dc);
  EXPECT_EQ(GetPath(c.dc, nullptr, nullptr, 0), -1);  // still open
  ASSERT_TRUE(EndPath(c.dc));
  POINT pts[8];
  BYTE types[8];
  ASSERT_EQ(GetPath(c.dc, pts, types, 8), 3);
  EXPECT_EQ(types[0], PT_MOVETO);
  EXPECT_EQ(types[2], PT_LINETO | PT_CLOSEFIGURE);
  EXPECT_EQ(pts[2].x, 8);
  EXPECT_EQ(GetPath(c.dc, pts, types, 2), -1);  // too small
  ASSERT_TRUE(FillPath(c.dc));
  EXPECT_EQ(c.At(7, 2), RGB(255, 255, 255));  // the white stock brush
  EXPECT_FALSE(FillPath(c.dc));               // the path is used up
  // Curves flatten into lines.
  BeginPath(c.dc);
  Ellipse(c.dc, 0, 0, 9, 9);
  EndPath(c.dc);
  const int curved = GetPath(c.dc, nullptr, nullptr, 0);
  std::vector<POINT> cp(static_cast<size_t>(curved));
  std::vector<BYTE> ct(static_cast<size_t>(curved));
  GetPath(c.dc, cp.data(), ct.data(), curved);
  EXPECT_NE(std::count(ct.begin(), ct.end(), BYTE(PT_BEZIERTO)), 0);
  ASSERT_TRUE(FlattenPath(c.dc));
  const int flat = GetPath(c.dc, nullptr, nullptr, 0);
  std::vector<POINT> fp(static_cast<size_t>(flat));
  std::vector<BYTE> ft(static_cast<size_t>(flat));
  GetPath(c.dc, fp.data(), ft.data(), flat);
  EXPECT_EQ(std::count(ft.begin(), ft.end(), BYTE(PT_BEZIERTO)), 0);
  EXPECT_GT(flat, curved);
  // A path as the clip.
  ASSERT_TRUE(SelectClipPath(c.dc, RGN_COPY));
  PatBlt(c.dc, 0, 0, 10, 10, BLACKNESS);
  EXPECT_EQ(c.At(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(c.At(4, 4), RGB(0, 0, 0));
}

TEST(GdiPaths, WidenedPathCoversThePen) {
  DibCanvas c(20, 10, 1);
  HPEN pen = CreatePen(PS_SOLID, 4, RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(c.dc, pen);
  BeginPath(c.dc);
  MoveToEx(c.dc, 4, 5, nullptr);
  LineTo(c.dc, 15, 5);
  EndPath(c.dc);
  ASSERT_TRUE(WidenPath(c.dc));
  SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
  SetPolyFillMode(c.dc, WINDING);
  ASSERT_TRUE(FillPath(c.dc));
  EXPECT_EQ(c.At(10, 3), RGB(0, 0, 0));
  EXPECT_EQ(c.At(10, 6), RGB(0, 0, 0));
  EXPECT_EQ(c.At(10, 8), RGB(255, 255, 255));
  SelectObject(c.dc, old);
  DeleteObject(pen);
}

TEST(GdiRegions, CombineOffsetAndCompare) {
  HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15), r = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(r, a, b, RGN_AND), SIMPLEREGION);
  RECT box{};
  GetRgnBox(r, &box);
  EXPECT_EQ(box.left, 5);
  EXPECT_EQ(box.right, 10);
  EXPECT_EQ(CombineRgn(r, a, b, RGN_XOR), COMPLEXREGION);
  EXPECT_FALSE(PtInRegion(r, 7, 7));
  EXPECT_TRUE(PtInRegion(r, 2, 7));
  EXPECT_EQ(CombineRgn(r, a, a, RGN_DIFF), NULLREGION);
  HRGN u = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(u, a, b, RGN_OR);
  const DWORD size = GetRegionData(u, 0, nullptr);
  std::vector<uint8_t> data(size);
  ASSERT_EQ(GetRegionData(u, size, reinterpret_cast<RGNDATA*>(data.data())), size);
  HRGN again = ExtCreateRegion(nullptr, size, reinterpret_cast<RGNDATA*>(data.data()));
  EXPECT_TRUE(EqualRgn(u, again));
  EXPECT_EQ(ExtCreateRegion(nullptr, size - 1, reinterpret_cast<RGNDATA*>(data.data())), nullptr);
  EXPECT_EQ(OffsetRgn(u, 3, 0), COMPLEXREGION);
  EXPECT_FALSE(EqualRgn(u, again));
  EXPECT_EQ(OffsetRgn(u, 0x7FFFFFF0, 0), ERROR);
  HRGN tri = CreatePolygonRgn(std::vector<POINT>{{0, 0}, {10, 0}, {0, 10}}.data(), 3, ALTERNATE);
  EXPECT_TRUE(PtInRegion(tri, 1, 1));
  EXPECT_FALSE(PtInRegion(tri, 8, 8));
  for (HRGN h : {a, b, r, u, again, tri}) DeleteObject(h);
}

TEST(GdiTransforms, MappingModesAndWorldTransform) {
  DibCanvas c(100, 100, 24);
  SetMapMode(c.dc, MM_ANISOTROPIC);
  SetWindowExtEx(c.dc, 10, 10, nullptr);
  SetViewportExtEx(c.dc, 100, -100, nullptr);
  SetViewportOrgEx(c.dc, 0, 100, nullptr);
  POINT p{3, 2};
  LPtoDP(c.dc, &p, 1);
  EXPECT_EQ(p.x, 30);
  EXPECT_EQ(p.y, 80);
  DPtoLP(c.dc, &p, 1);
  EXPECT_EQ(p.y, 2);
  SetMapMode(c.dc, MM_TEXT);
  SetViewportOrgEx(c.dc, 0, 0, nullptr);
  EXPECT_FALSE(SetWorldTransform(c.dc, std::vector<XFORM>{{1, 0, 0, 1, 5, 5}}.data()));  // compatible mode
  SetGraphicsMode(c.dc, GM_ADVANCED);
  XFORM x{2, 0, 0, 2, 5, 5};
  ASSERT_TRUE(SetWorldTransform(c.dc, &x));
  RECT r{0, 0, 10, 10};
  FillRect(c.dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.At(5, 5), RGB(0, 0, 0));
  EXPECT_EQ(c.At(24, 24), RGB(0, 0, 0));
  EXPECT_EQ(c.At(25, 25), RGB(255, 255, 255));
  XFORM singular{0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(SetWorldTransform(c.dc, &singular));
  EXPECT_EQ(SetGraphicsMode(c.dc, GM_COMPATIBLE), 0);  // not while the transform is set
  ModifyWorldTransform(c.dc, nullptr, MWT_IDENTITY);
  EXPECT_EQ(SetGraphicsMode(c.dc, GM_COMPATIBLE), GM_ADVANCED);
}

}  // namespace
