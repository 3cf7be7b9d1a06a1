// Objects of the graphics interface: stock objects, selection, queries and deletion.
#include <gtest/gtest.h>

#include "gdi_test_support.h"

using zolt::test::DibCanvas;

namespace {

TEST(GdiObjects, StockObjectsAndTheirRecords) {
  LOGBRUSH lb{};
  ASSERT_EQ(GetObjectW(GetStockObject(LTGRAY_BRUSH), sizeof(lb), &lb), int(sizeof(lb)));
  EXPECT_EQ(lb.lbStyle, UINT(BS_SOLID));
  EXPECT_EQ(lb.lbColor, RGB(192, 192, 192));
  ASSERT_EQ(GetObjectW(GetStockObject(NULL_BRUSH), sizeof(lb), &lb), int(sizeof(lb)));
  EXPECT_EQ(lb.lbStyle, UINT(BS_NULL));
  LOGPEN lp{};
  ASSERT_EQ(GetObjectW(GetStockObject(NULL_PEN), sizeof(lp), &lp), int(sizeof(lp)));
  EXPECT_EQ(lp.lopnStyle, UINT(PS_NULL));
  LOGFONTW lf{};
  ASSERT_EQ(GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf), int(sizeof(lf)));
  EXPECT_EQ(std::u16string(lf.lfFaceName), u"MS Shell Dlg");
  EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_PALETTE)), DWORD(OBJ_PAL));
  WORD entries = 0;
  EXPECT_EQ(GetObjectW(GetStockObject(DEFAULT_PALETTE), sizeof(entries), &entries), 2);
  EXPECT_EQ(entries, 20);
  // Stock objects survive deletion; unknown indexes have no object.
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
  EXPECT_NE(GetObjectType(GetStockObject(BLACK_PEN)), 0u);
  EXPECT_EQ(GetStockObject(9), nullptr);
  EXPECT_EQ(GetStockObject(42), nullptr);
}

TEST(GdiObjects, NewMemoryDcHasTheDefaultObjects) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetObjectType(dc), DWORD(OBJ_MEMDC));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
  BITMAP bm{};
  ASSERT_EQ(GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof(bm), &bm), int(sizeof(bm)));
  EXPECT_EQ(bm.bmWidth, 1);
  EXPECT_EQ(bm.bmHeight, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
  EXPECT_EQ(GetMapMode(dc), MM_TEXT);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
}

TEST(GdiObjects, SelectReturnsThePreviousObjectAndDeletionWaitsForDeselection) {
  DibCanvas c(8, 8, 24);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(c.dc, red);
  EXPECT_EQ(old, GetStockObject(WHITE_BRUSH));
  // The brush is deleted while selected: the handle goes, the DC keeps painting with it.
  EXPECT_TRUE(DeleteObject(red));
  EXPECT_EQ(GetObjectType(red), 0u);
  EXPECT_TRUE(PatBlt(c.dc, 0, 0, 2, 2, PATCOPY));
  EXPECT_EQ(c.At(1, 1), RGB(255, 0, 0));
  SelectObject(c.dc, old);
  // A bitmap selected into a DC is not deleted, nor selected into a second DC.
  EXPECT_FALSE(DeleteObject(c.bitmap));
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, c.bitmap), nullptr);
  DeleteDC(other);
  // Palettes are not selected with SelectObject.
  EXPECT_EQ(SelectObject(c.dc, GetStockObject(DEFAULT_PALETTE)), nullptr);
}

TEST(GdiObjects, PensKeepTheirRecords) {
  HPEN cosmetic = CreatePen(PS_DASH, 0, RGB(1, 2, 3));
  LOGPEN lp{};
  ASSERT_EQ(GetObjectW(cosmetic, sizeof(lp), &lp), int(sizeof(lp)));
  EXPECT_EQ(lp.lopnStyle, UINT(PS_DASH));
  EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
  EXPECT_EQ(GetObjectType(cosmetic), DWORD(OBJ_PEN));
  LOGBRUSH lb{BS_SOLID, RGB(9, 8, 7), 0};
  const DWORD dashes[3] = {4, 2, 1};
  HPEN ext = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_MITER, 5, &lb, 3, dashes);
  ASSERT_NE(ext, nullptr);
  EXPECT_EQ(GetObjectType(ext), DWORD(OBJ_EXTPEN));
  const int size = GetObjectW(ext, 0, nullptr);
  EXPECT_EQ(size, int(offsetof(EXTLOGPEN, elpStyleEntry) + 3 * sizeof(DWORD)));
  std::vector<uint8_t> buf(static_cast<size_t>(size));
  ASSERT_EQ(GetObjectW(ext, size, buf.data()), size);
  const auto* e = reinterpret_cast<const EXTLOGPEN*>(buf.data());
  EXPECT_EQ(e->elpWidth, 5u);
  EXPECT_EQ(e->elpNumEntries, 3u);
  EXPECT_EQ(e->elpStyleEntry[2], 1u);
  // Cosmetic pens are one pixel wide and solid-brushed; user styles need their lengths.
  EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_SOLID, 2, &lb, 0, nullptr), nullptr);
  EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 2, &lb, 0, nullptr), nullptr);
  EXPECT_EQ(CreatePen(42, 1, 0), nullptr);
  DeleteObject(cosmetic);
  DeleteObject(ext);
}

TEST(GdiObjects, SaveAndRestoreBringBackEverything) {
  DibCanvas c(4, 4, 24);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  const int level = SaveDC(c.dc);
  EXPECT_EQ(level, 1);
  SelectObject(c.dc, pen);
  SetTextColor(c.dc, RGB(1, 1, 1));
  SetBkMode(c.dc, TRANSPARENT);
  SetMapMode(c.dc, MM_LOMETRIC);
  IntersectClipRect(c.dc, 0, 0, 1, 1);
  EXPECT_EQ(SaveDC(c.dc), 2);
  EXPECT_TRUE(RestoreDC(c.dc, -2));
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetTextColor(c.dc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkMode(c.dc), OPAQUE);
  EXPECT_EQ(GetMapMode(c.dc), MM_TEXT);
  RECT box{};
  EXPECT_EQ(GetClipBox(c.dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 4);
  EXPECT_FALSE(RestoreDC(c.dc, 1));  // that level is gone
  DeleteObject(pen);
}

}  // namespace
