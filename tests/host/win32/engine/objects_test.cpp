// The engine objects a module receives and the engine's own drawing on engine bitmaps: clip
// enumeration in every direction and the clip path, path enumeration and bounds, blits with
// raster operations and masks, path fills, and brush realisation by the module.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "machine_fixture.h"
#include "win32/ddi.h"

// Rectangles compare by their four edges (found by argument lookup in the global namespace).
static bool operator==(const RECTL& a, const RECTL& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace zolt::test {
namespace {

using host::engine::EngClip;
using host::engine::SetClip;

// Rectangles of an enumeration, read one at a time as a module does.
std::vector<RECTL> Enumerate(CLIPOBJ* pco, ULONG direction) {
  std::vector<RECTL> out;
  CLIPOBJ_cEnumStart(pco, FALSE, CT_RECTANGLES, direction, 0);
  struct {
    ULONG c;
    RECTL r[1];
  } e;
  BOOL more;
  do {
    more = CLIPOBJ_bEnum(pco, sizeof(e), reinterpret_cast<ULONG*>(&e));
    for (ULONG i = 0; i < e.c; ++i) out.push_back(e.r[i]);
  } while (more);
  return out;
}

TEST(EngineObjects, ClipRectanglesComeInTheAskedDirection) {
  // Two bands: two rectangles on top, one below.
  host::gdi::Region region = host::gdi::Region::FromRects({RECT{0, 0, 10, 10}, RECT{20, 0, 30, 10}, RECT{0, 10, 5, 20}});
  EngClip clip;
  SetClip(clip, region, RECTL{0, 0, 100, 100}, true);
  ASSERT_EQ(clip.co.iDComplexity, DC_COMPLEX);
  EXPECT_TRUE((clip.co.rclBounds == RECTL{0, 0, 30, 20}));
  const RECTL a{0, 0, 10, 10}, b{20, 0, 30, 10}, c{0, 10, 5, 20};
  const struct {
    ULONG dir;
    std::vector<RECTL> want;
  } cases[] = {{CD_RIGHTDOWN, {a, b, c}}, {CD_LEFTDOWN, {b, a, c}}, {CD_RIGHTUP, {c, a, b}},
               {CD_LEFTUP, {c, b, a}},    {CD_ANY, {a, b, c}}};
  for (const auto& t : cases) EXPECT_EQ(Enumerate(&clip.co, t.dir), t.want) << "direction " << t.dir;
  // A buffer too small for a rectangle ends the enumeration instead of looping.
  ULONG tiny = 0;
  CLIPOBJ_cEnumStart(&clip.co, FALSE, CT_RECTANGLES, CD_ANY, 0);
  EXPECT_FALSE(CLIPOBJ_bEnum(&clip.co, sizeof(tiny), &tiny));
  EXPECT_EQ(CLIPOBJ_cEnumStart(&clip.co, FALSE, CT_RECTANGLES, CD_ANY, 2), 0xFFFFFFFFu);

  // The clip path: one closed figure per rectangle, in 28.4.
  PATHOBJ* ppo = CLIPOBJ_ppoGetPath(&clip.co);
  ASSERT_NE(ppo, nullptr);
  RECTFX bounds;
  PATHOBJ_vGetBounds(ppo, &bounds);
  EXPECT_EQ(bounds.xRight, 30 * 16);
  EXPECT_EQ(bounds.yBottom, 20 * 16);
  PATHOBJ_vEnumStart(ppo);
  PATHDATA pd;
  int figures = 0;
  BOOL more;
  do {
    more = PATHOBJ_bEnum(ppo, &pd);
    if (pd.flags & PD_BEGINSUBPATH) ++figures;
    if (pd.flags & PD_ENDSUBPATH) {
      EXPECT_TRUE(pd.flags & PD_CLOSEFIGURE);
    }
  } while (more);
  EXPECT_EQ(figures, 3);
  EngDeletePath(ppo);

  // A region covering the bounds is trivial; one rectangle is DC_RECT.
  SetClip(clip, host::gdi::Region(RECT{0, 0, 100, 100}), RECTL{0, 0, 100, 100}, true);
  EXPECT_EQ(clip.co.iDComplexity, DC_TRIVIAL);
  SetClip(clip, host::gdi::Region(RECT{5, 5, 8, 9}), RECTL{0, 0, 100, 100}, true);
  EXPECT_EQ(clip.co.iDComplexity, DC_RECT);
}

TEST(EngineObjects, PathsEnumerateAsSubpathRunsWithCurveCounts) {
  PATHOBJ* ppo = EngCreatePath();
  ASSERT_TRUE(PATHOBJ_bMoveTo(ppo, POINTFIX{0, 0}));
  POINTFIX lines[] = {{160, 0}, {160, 160}};
  POINTFIX curve[] = {{100, 200}, {50, 200}, {0, 160}};
  ASSERT_TRUE(PATHOBJ_bPolyLineTo(ppo, lines, 2));
  ASSERT_TRUE(PATHOBJ_bPolyBezierTo(ppo, curve, 3));
  ASSERT_TRUE(PATHOBJ_bCloseFigure(ppo));
  EXPECT_FALSE(PATHOBJ_bPolyBezierTo(ppo, curve, 2));  // not a whole curve
  EXPECT_EQ(ppo->cCurves, 4u);                          // a start, two lines, one curve
  EXPECT_TRUE(ppo->fl & PO_BEZIERS);
  PATHOBJ_vEnumStart(ppo);
  PATHDATA pd;
  ASSERT_TRUE(PATHOBJ_bEnum(ppo, &pd));
  EXPECT_EQ(pd.flags & (PD_BEGINSUBPATH | PD_BEZIERS | PD_ENDSUBPATH), FLONG(PD_BEGINSUBPATH));
  EXPECT_EQ(pd.count, 3u);  // the start and the two line ends
  ASSERT_FALSE(PATHOBJ_bEnum(ppo, &pd));
  EXPECT_EQ(pd.flags, FLONG(PD_BEZIERS | PD_ENDSUBPATH | PD_CLOSEFIGURE));
  EXPECT_EQ(pd.count, 3u);
  EXPECT_FALSE(PATHOBJ_bEnum(ppo, &pd));
  EXPECT_EQ(pd.count, 0u);
  EngDeletePath(ppo);
}

class EngineDrawing : public MachineTest {};

// Pixel of a 24-bit top-down engine bitmap as 0x00RRGGBB.
ULONG Pixel(SURFOBJ* so, int x, int y) {
  const BYTE* p = static_cast<const BYTE*>(so->pvScan0) + y * so->lDelta + x * 3;
  return (ULONG(p[2]) << 16) | (ULONG(p[1]) << 8) | p[0];
}

TEST_F(EngineDrawing, BlitsApplyRasterOperationsMasksAndFills) {
  HSURF h = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{8, 4}, 0, BMF_24BPP, BMF_TOPDOWN, nullptr));
  SURFOBJ* so = EngLockSurface(h);
  ASSERT_NE(so, nullptr);
  EXPECT_EQ(so->lDelta, 24);
  EXPECT_EQ(so->iType, STYPE_BITMAP);
  RECTL all{0, 0, 8, 4};
  ASSERT_TRUE(EngEraseSurface(so, &all, 0x00FFFFFF));
  BRUSHOBJ red{0x00FF0000, nullptr, 0};
  RECTL left{0, 0, 4, 4};
  ASSERT_TRUE(EngBitBlt(so, nullptr, nullptr, nullptr, nullptr, &left, nullptr, nullptr, &red, nullptr, 0xF0F0));
  EXPECT_EQ(Pixel(so, 0, 0), 0xFF0000u);
  EXPECT_EQ(Pixel(so, 4, 0), 0xFFFFFFu);
  // DSTINVERT on the whole surface.
  ASSERT_TRUE(EngBitBlt(so, nullptr, nullptr, nullptr, nullptr, &all, nullptr, nullptr, nullptr, nullptr, 0x5555));
  EXPECT_EQ(Pixel(so, 0, 0), 0x00FFFFu);
  EXPECT_EQ(Pixel(so, 4, 0), 0x000000u);

  // A 1-bit mask: foreground where set (source copy), background (destination kept) elsewhere.
  HSURF hs = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{8, 4}, 0, BMF_24BPP, BMF_TOPDOWN, nullptr));
  SURFOBJ* src = EngLockSurface(hs);
  EngEraseSurface(src, &all, 0x000000FF);
  HSURF hm = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{8, 4}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr));
  SURFOBJ* mask = EngLockSurface(hm);
  std::memset(mask->pvBits, 0, mask->cjBits);
  for (int y = 0; y < 4; ++y) static_cast<BYTE*>(mask->pvScan0)[y * mask->lDelta] = 0xF0;  // left half
  POINTL origin{0, 0};
  ASSERT_TRUE(EngBitBlt(so, src, mask, nullptr, nullptr, &all, &origin, &origin, nullptr, nullptr, 0xAACC));
  EXPECT_EQ(Pixel(so, 1, 1), 0x0000FFu);
  EXPECT_EQ(Pixel(so, 6, 1), 0x000000u);

  // A mirrored stretch: the source's left column lands on the right.
  EngEraseSurface(src, &all, 0x00FFFFFF);
  RECTL col{0, 0, 1, 4};
  BRUSHOBJ green{0x0000FF00, nullptr, 0};
  EngBitBlt(src, nullptr, nullptr, nullptr, nullptr, &col, nullptr, nullptr, &green, nullptr, 0xF0F0);
  RECTL mirrored{8, 0, 0, 4};
  ASSERT_TRUE(EngStretchBlt(so, src, nullptr, nullptr, nullptr, nullptr, nullptr, &mirrored, &all, nullptr,
                            COLORONCOLOR));
  EXPECT_EQ(Pixel(so, 7, 2), 0x00FF00u);
  EXPECT_EQ(Pixel(so, 0, 2), 0xFFFFFFu);

  // A filled path (a triangle) with a solid brush.
  EngEraseSurface(so, &all, 0x00FFFFFF);
  PATHOBJ* ppo = EngCreatePath();
  PATHOBJ_bMoveTo(ppo, POINTFIX{0, 0});
  POINTFIX tri[] = {{8 * 16, 0}, {0, 4 * 16}};
  PATHOBJ_bPolyLineTo(ppo, tri, 2);
  PATHOBJ_bCloseFigure(ppo);
  BRUSHOBJ black{0, nullptr, 0};
  ASSERT_TRUE(EngFillPath(so, ppo, nullptr, &black, nullptr, R2_COPYPEN | (R2_COPYPEN << 8), FP_ALTERNATEMODE));
  EXPECT_EQ(Pixel(so, 0, 0), 0x000000u);
  EXPECT_EQ(Pixel(so, 7, 3), 0xFFFFFFu);
  EngDeletePath(ppo);

  for (SURFOBJ* s : {so, src, mask}) EngUnlockSurface(s);
  for (HSURF s : {h, hs, hm}) EXPECT_TRUE(EngDeleteSurface(s));
  EXPECT_FALSE(EngDeleteSurface(h));
  EXPECT_EQ(EngLockSurface(h), nullptr);
}

BOOL WINAPI RealizeForTest(BRUSHOBJ* pbo, SURFOBJ*, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG iHatch) {
  if (iHatch == HS_CROSS) return FALSE;
  auto* mem = static_cast<ULONG*>(BRUSHOBJ_pvAllocRbrush(pbo, sizeof(ULONG)));
  if (!mem) return FALSE;
  *mem = 0xB0 + iHatch;
  return TRUE;
}

TEST(EngineObjects, PatternBrushesAreRealisedByTheModuleOnce) {
  for (ULONG hatch : {ULONG(HS_DIAGCROSS), ULONG(HS_CROSS)}) {
    host::engine::EngBrush brush;
    brush.bo.iSolidColor = 0xFFFFFFFF;
    brush.hatch = hatch;
    brush.realize = RealizeForTest;
    void* first = BRUSHOBJ_pvGetRbrush(&brush.bo);
    void* second = BRUSHOBJ_pvGetRbrush(&brush.bo);
    EXPECT_EQ(first, second);
    if (hatch == HS_CROSS) {
      EXPECT_EQ(first, nullptr);  // the module refused it
    } else {
      ASSERT_NE(first, nullptr);
      EXPECT_EQ(*static_cast<ULONG*>(first), 0xB0 + hatch);
    }
  }
}

TEST(EngineObjects, TransformsReportTheirKindAndMapPoints) {
  host::engine::EngXform x;
  XFORML m;
  EXPECT_EQ(XFORMOBJ_iGetXform(&x.xo, &m), ULONG(GX_IDENTITY));
  x.m = XFORML{2, 0, 0, 3, 0, 0};
  EXPECT_EQ(XFORMOBJ_iGetXform(&x.xo, &m), ULONG(GX_SCALE));
  POINTL in{10, 20}, out{};
  ASSERT_TRUE(XFORMOBJ_bApplyXform(&x.xo, XF_LTOL, 1, &in, &out));
  EXPECT_EQ(out.x, 20);
  EXPECT_EQ(out.y, 60);
  ASSERT_TRUE(XFORMOBJ_bApplyXform(&x.xo, XF_LTOFX, 1, &in, &out));
  EXPECT_EQ(out.x, 320);
  ASSERT_TRUE(XFORMOBJ_bApplyXform(&x.xo, XF_INV_LTOL, 1, &out, &in));
  EXPECT_EQ(in.x, 160);
  x.m = XFORML{0, 1, -1, 0, 0, 0};
  EXPECT_EQ(XFORMOBJ_iGetXform(&x.xo, &m), ULONG(GX_GENERAL));
  x.m = XFORML{0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(XFORMOBJ_bApplyXform(&x.xo, XF_INV_LTOL, 1, &in, &out));  // not invertible
}

}  // namespace
}  // namespace zolt::test
