// Paths and clipping: path records of every kind, line attributes, the fall-back to the engine
// beyond the curve limit, the clip of a drawing call with its cache, and span lists.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "gr_brush.h"
#include "gr_draw_support.h"
#include "gr_drawing_entries.h"
#include "gr_drawing_services.h"
#include "gr_path.h"

namespace zolt::test {
namespace {

using blocks::Le32;

// Rectangles as closed figures (in pixels, converted to 28.4).
PATHOBJ* Rectangles(const std::vector<RECTL>& rects) {
  PATHOBJ* ppo = EngCreatePath();
  for (const RECTL& r : rects) {
    PATHOBJ_bMoveTo(ppo, POINTFIX{r.left * 16, r.top * 16});
    POINTFIX pts[3] = {{r.right * 16, r.top * 16}, {r.right * 16, r.bottom * 16}, {r.left * 16, r.bottom * 16}};
    PATHOBJ_bPolyLineTo(ppo, pts, 3);
    PATHOBJ_bCloseFigure(ppo);
  }
  return ppo;
}

std::vector<int> Ops(const std::vector<blocks::DecodedRecord>& records) {
  std::vector<int> ops;
  for (const auto& r : records) ops.push_back(r.opcode);
  return ops;
}

const blocks::DecodedRecord* Find(const std::vector<blocks::DecodedRecord>& records, int opcode, int nth = 0) {
  for (const auto& r : records)
    if (r.opcode == opcode && nth-- == 0) return &r;
  return nullptr;
}

TEST(GrPath, PathKindsAndTheirRecords) {
  DrawTarget t;
  BRUSHOBJ black{0, nullptr, 0};
  LINEATTRS cosmetic{};
  // A stroke of two closed rectangles: one record per figure.
  PATHOBJ* two = Rectangles({{1, 1, 5, 5}, {10, 10, 20, 20}});
  ASSERT_EQ(DrvStrokePath(t.so(), two, nullptr, nullptr, &black, nullptr, &cosmetic, 0x0D0D), TRUE);
  auto r = t.Records();
  EXPECT_EQ(Ops(r), (std::vector<int>{51, 52, 53, 54, 64, 50, 49, 48, 18, 18}));
  const auto* first = Find(r, 18);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->bytes[2], 0x08);
  EXPECT_EQ(first->bytes.size(), 28u + 12 + 36);
  EXPECT_EQ(Le32(first->bytes, 24), 12u);  // 3 lines and one figure
  // Filled, the same path is one record for both figures.
  ASSERT_EQ(DrvFillPath(t.so(), two, nullptr, &black, nullptr, 0x0D0D, FP_WINDINGMODE), TRUE);
  r = t.Records();
  const auto* filled = Find(r, 18);
  ASSERT_NE(filled, nullptr);
  EXPECT_EQ(static_cast<uint8_t>(filled->bytes[2]), 0x18 | 2);
  EXPECT_EQ(Le32(filled->bytes, 24), 3u * 6 + 3 * 2 + 1);
  EXPECT_EQ(Le32(filled->bytes, 8), 1u);    // bounds in whole pixels
  EXPECT_EQ(Le32(filled->bytes, 20), 20u);
  EngDeletePath(two);

  // One curve anywhere makes it a record 17.
  PATHOBJ* curve = EngCreatePath();
  PATHOBJ_bMoveTo(curve, POINTFIX{0, 0});
  POINTFIX line{160, 0};
  PATHOBJ_bPolyLineTo(curve, &line, 1);
  POINTFIX bez[3] = {{160, 160}, {0, 160}, {0, 0}};
  PATHOBJ_bPolyBezierTo(curve, bez, 3);
  ASSERT_EQ(DrvFillPath(t.so(), curve, nullptr, &black, nullptr, 0x0D0D, FP_ALTERNATEMODE), TRUE);
  r = t.Records();
  const auto* c = Find(r, 17);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->bytes[2], 1);
  EXPECT_EQ(c->bytes.size(), 28u + 12 + 12 + 28);
  EXPECT_EQ(Le32(c->bytes, 24), 3u + 7 + 3);
  EngDeletePath(curve);

  // An empty path is not a record: the call fails and nothing is left behind.
  PATHOBJ* empty = EngCreatePath();
  EXPECT_EQ(DrvFillPath(t.so(), empty, nullptr, &black, nullptr, 0x0D0D, FP_ALTERNATEMODE), FALSE);
  EXPECT_EQ(Find(t.Records(), 18), nullptr);
  EngDeletePath(empty);
}

TEST(GrPath, StrokeAndFillCarriesBothColours) {
  DrawTarget t;
  BRUSHOBJ fill{0x00FF0000, nullptr, 0}, stroke{0x000000FF, nullptr, 0};
  LINEATTRS cosmetic{};
  PATHOBJ* ppo = Rectangles({{1, 1, 5, 5}});
  ASSERT_EQ(DrvStrokeAndFillPath(t.so(), ppo, nullptr, nullptr, &stroke, &cosmetic, &fill, nullptr, 0x0D0D,
                                 FP_ALTERNATEMODE),
            TRUE);
  auto r = t.Records();
  const auto* colour = Find(r, 48);
  ASSERT_NE(colour, nullptr);
  EXPECT_EQ(Hex(colour->bytes), "30 10 19 00 ff 00 00 ff ff ff 00 00 ff 00 00 00");
  EXPECT_EQ(Find(r, 18)->bytes[2], 3 | 8);
  // A pattern fill brush: filled, then stroked.
  host::engine::EngBrush hatch;
  hatch.bo.iSolidColor = 0xFFFFFFFF;
  hatch.hatch = 1;
  hatch.target = t.so();
  hatch.realize = DrvRealizeBrush;
  ASSERT_EQ(DrvStrokeAndFillPath(t.so(), ppo, nullptr, nullptr, &stroke, &cosmetic, &hatch.bo, nullptr, 0x0D0D,
                                 FP_WINDINGMODE),
            TRUE);
  r = t.Records();
  ASSERT_NE(Find(r, 18, 1), nullptr);
  EXPECT_EQ(Find(r, 18, 0)->bytes[2], 2 | 8);
  EXPECT_EQ(Find(r, 18, 1)->bytes[2], 0 | 8);
  EngDeletePath(ppo);
}

TEST(GrPath, LineAttributes) {
  TestPdev pdev;
  pdev->resolution = 600;
  LineAttributes a;
  int geometric = 0;
  // A cosmetic dotted line {1, 1}: 12-pixel elements, 13 ones, 13 zeros, six copies of the
  // last bit.
  LONG dots[2] = {1, 1};
  LINEATTRS la{};
  la.fl = LA_STYLED;
  la.cstyle = 2;
  la.pstyle = reinterpret_cast<PFLOAT_LONG>(dots);
  la.eMiterLimit = 4.0f;
  ASSERT_EQ(GrConvertLineAttrs(pdev.get(), &la, 0, nullptr, &a, &geometric), 1);
  EXPECT_EQ(geometric, 0);
  EXPECT_EQ(a.styleUnit, 1);
  EXPECT_EQ(a.styleMask, 0xFFF80000u);
  EXPECT_EQ(a.miterLimit, 1024u);
  EXPECT_EQ(a.width, 1);

  // A long style (t > 32): scaled to 32 units with a style unit.
  LONG dashes[2] = {6, 2};  // 72 and 24 pixels: t = 96, unit 3, elements 24 and 8
  la.pstyle = reinterpret_cast<PFLOAT_LONG>(dashes);
  ASSERT_EQ(GrConvertLineAttrs(pdev.get(), &la, 0, nullptr, &a, &geometric), 1);
  EXPECT_EQ(a.styleUnit, 3);
  EXPECT_EQ(a.styleMask, 0xFFFFFF00u);

  // A wide styled geometric line is refused; a wide solid one is not.
  FLOAT_LONG gdots[2];
  gdots[0].e = 2.0f;
  gdots[1].e = 2.0f;
  LINEATTRS wide{};
  wide.fl = LA_GEOMETRIC;
  wide.elWidth.e = 3.0f;
  wide.iEndCap = ENDCAP_BUTT;
  wide.iJoin = JOIN_MITER;
  wide.eMiterLimit = 10.0f;
  ASSERT_EQ(GrConvertLineAttrs(pdev.get(), &wide, 0, nullptr, &a, &geometric), 1);
  EXPECT_EQ(a.width, 3);
  EXPECT_EQ(a.endCap, 1);
  EXPECT_EQ(a.join, 2);
  wide.cstyle = 2;
  wide.pstyle = gdots;
  EXPECT_EQ(GrConvertLineAttrs(pdev.get(), &wide, 0, nullptr, &a, &geometric), 0);

  // Under a transform: unequal scale fails, a rotation with no diagonal has scale 0 and fails,
  // an equal scale multiplies the width.
  host::engine::EngXform x;
  wide.cstyle = 0;
  wide.pstyle = nullptr;
  x.m = XFORML{2, 0, 0, 3, 0, 0};
  EXPECT_EQ(GrLineScale(&x.xo), 0);
  EXPECT_EQ(GrConvertLineAttrs(pdev.get(), &wide, 0, &x.xo, &a, &geometric), 0);
  x.m = XFORML{0, 1, -1, 0, 0, 0};
  EXPECT_EQ(GrConvertLineAttrs(pdev.get(), &wide, 0, &x.xo, &a, &geometric), 0);
  x.m = XFORML{2, 0, 0, 2, 0, 0};
  ASSERT_EQ(GrConvertLineAttrs(pdev.get(), &wide, 0, &x.xo, &a, &geometric), 1);
  EXPECT_EQ(a.width, 6);
}

TEST(GrPath, WideStyledStrokeFailsAndLineRecordsFollowTheirChanges) {
  DrawTarget t;
  BRUSHOBJ black{0, nullptr, 0};
  FLOAT_LONG style[2];
  style[0].e = 4.0f;
  style[1].e = 4.0f;
  LINEATTRS wide{};
  wide.fl = LA_GEOMETRIC;
  wide.elWidth.e = 3.0f;
  wide.cstyle = 2;
  wide.pstyle = style;
  PATHOBJ* ppo = Rectangles({{1, 1, 5, 5}});
  EXPECT_EQ(DrvStrokePath(t.so(), ppo, nullptr, nullptr, &black, nullptr, &wide, 0x0D0D), FALSE);
  EXPECT_TRUE(t.Records().empty());
  LINEATTRS cosmetic{};
  ASSERT_EQ(DrvStrokePath(t.so(), ppo, nullptr, nullptr, &black, nullptr, &cosmetic, 0x0D0D), TRUE);
  t.Records();
  // Only the width changes: only record 51.
  wide.cstyle = 0;
  wide.pstyle = nullptr;
  wide.fl = LA_GEOMETRIC;
  wide.iEndCap = ENDCAP_ROUND;
  wide.iJoin = JOIN_ROUND;
  wide.eMiterLimit = 10.0f;
  ASSERT_EQ(DrvStrokePath(t.so(), ppo, nullptr, nullptr, &black, nullptr, &wide, 0x0D0D), TRUE);
  EXPECT_EQ(Ops(t.Records()), (std::vector<int>{51, 18}));
  EngDeletePath(ppo);
}

// A path of n line segments in one figure.
PATHOBJ* Polyline(ULONG n) {
  PATHOBJ* ppo = EngCreatePath();
  PATHOBJ_bMoveTo(ppo, POINTFIX{0, 0});
  std::vector<POINTFIX> pts(n);
  for (ULONG i = 0; i < n; ++i) pts[i] = POINTFIX{LONG(i % 200) * 16, LONG(i / 200) * 16};
  PATHOBJ_bPolyLineTo(ppo, pts.data(), n);
  return ppo;
}

TEST(GrPath, PathsBeyondTheLimitGoToTheEngine) {
  DrawTarget t;
  t.pdev()->pathLimit = 1;
  BRUSHOBJ black{0, nullptr, 0};
  PATHOBJ* within = Polyline(4999);  // 5000 curves with the figure
  ASSERT_EQ(within->cCurves, 5000u);
  ASSERT_EQ(DrvFillPath(t.so(), within, nullptr, &black, nullptr, 0x0D0D, FP_ALTERNATEMODE), TRUE);
  EXPECT_NE(Find(t.Records(), 18), nullptr);
  PATHOBJ* over = Polyline(5000);
  ASSERT_EQ(DrvFillPath(t.so(), over, nullptr, &black, nullptr, 0x0D0D, FP_ALTERNATEMODE), TRUE);
  EXPECT_EQ(Find(t.Records(), 18), nullptr);
  // A cosmetic stroke is always the module's.
  LINEATTRS cosmetic{};
  ASSERT_EQ(DrvStrokePath(t.so(), over, nullptr, nullptr, &black, nullptr, &cosmetic, 0x0D0D), TRUE);
  EXPECT_NE(Find(t.Records(), 18), nullptr);
  // Without the limit switch the module writes everything.
  t.pdev()->pathLimit = 0;
  ASSERT_EQ(DrvFillPath(t.so(), over, nullptr, &black, nullptr, 0x0D0D, FP_ALTERNATEMODE), TRUE);
  EXPECT_NE(Find(t.Records(), 18), nullptr);
  EngDeletePath(within);
  EngDeletePath(over);
}

TEST(GrPath, MalformedPathsAbandonTheirRecord) {
  DrawTarget t;
  // A curve run that is not a multiple of three points.
  host::engine::EngPath bad;
  bad.runs.push_back({PD_BEGINSUBPATH | PD_BEZIERS | PD_ENDSUBPATH, {{0, 0}, {16, 16}, {32, 32}}});
  bad.po.cCurves = 2;
  EXPECT_EQ(GrEmitPath(t.pdev(), &bad.po, 1), nullptr);
  // More points than the curve count claims: refused rather than written past the space.
  host::engine::EngPath liar;
  liar.runs.push_back({PD_BEGINSUBPATH | PD_ENDSUBPATH, std::vector<POINTFIX>(50, POINTFIX{16, 16})});
  liar.po.cCurves = 1;
  EXPECT_EQ(GrEmitPath(t.pdev(), &liar.po, 1), nullptr);
  // Points before any figure begins.
  host::engine::EngPath loose;
  loose.runs.push_back({0, {{0, 0}}});
  loose.po.cCurves = 1;
  EXPECT_EQ(GrEmitPath(t.pdev(), &loose.po, 1), nullptr);
  EXPECT_TRUE(t.Records().empty());
  // An outline into a caller's buffer, moved by (1, 2) pixels.
  PATHOBJ* ppo = Rectangles({{0, 0, 1, 1}});
  std::vector<BYTE> buffer(GrOutlineBufferSize(ppo));
  int closed = 0;
  const uint32_t n = GrBuildOutlinePath(t.pdev(), ppo, &closed, buffer.data(), uint32_t(buffer.size()), 16, 32);
  ASSERT_EQ(n, 4u + 12 + 36);
  EXPECT_EQ(closed, 1);
  const std::string s(reinterpret_cast<char*>(buffer.data()), n);
  EXPECT_EQ(Le32(s, 0), 12u);
  EXPECT_EQ(Le32(s, 4), 3u);
  EXPECT_EQ(Le32(s, 8), 16u);
  EXPECT_EQ(Le32(s, 12), 32u);
  EngDeletePath(ppo);
}

TEST(GrPath, ClipsAreWrittenOncePerPage) {
  DrawTarget t;
  CLIPOBJ rect{7, RECTL{0, 0, 50, 60}, DC_RECT, FC_RECT, TC_RECTANGLES, 0};
  EXPECT_GT(GrApplyClip(t.pdev(), &rect), 0);
  EXPECT_GT(GrApplyClip(t.pdev(), &rect), 0);
  auto r = t.Records();
  ASSERT_EQ(Ops(r), (std::vector<int>{16}));
  EXPECT_EQ(Hex(r[0].bytes), "10 00 05 00 18 00 00 00 00 00 00 00 00 00 00 00 32 00 00 00 3c 00 00 00");
  GrInvalidateDrawCaches(t.pdev());
  EXPECT_GT(GrApplyClip(t.pdev(), &rect), 0);
  EXPECT_EQ(Ops(t.Records()), (std::vector<int>{16}));
  // No clip after a clip: a reset, once.
  EXPECT_EQ(GrApplyClip(t.pdev(), nullptr), 0);
  EXPECT_EQ(GrApplyClip(t.pdev(), nullptr), 0);
  EXPECT_EQ(Ops(t.Records()), (std::vector<int>{55}));

  // A complex clip: its path, again each time when it has no identity.
  host::engine::EngClip complex;
  host::engine::SetClip(complex, host::gdi::Region::FromRects({RECT{0, 0, 10, 10}, RECT{20, 0, 30, 10}}),
                        RECTL{0, 0, 100, 100}, true);
  complex.co.iUniq = 9;
  EXPECT_GT(GrApplyClip(t.pdev(), &complex.co), 0);
  EXPECT_GT(GrApplyClip(t.pdev(), &complex.co), 0);
  r = t.Records();
  ASSERT_EQ(Ops(r), (std::vector<int>{18}));
  EXPECT_EQ(static_cast<uint8_t>(r[0].bytes[2]), 5 | 0x08 | 0x10);
  complex.co.iUniq = 0;
  EXPECT_GT(GrApplyClip(t.pdev(), &complex.co), 0);
  EXPECT_GT(GrApplyClip(t.pdev(), &complex.co), 0);
  EXPECT_EQ(Ops(t.Records()), (std::vector<int>{18, 18}));
  // An unknown complexity is refused.
  CLIPOBJ odd{1, RECTL{0, 0, 5, 5}, 7, 0, 0, 0};
  EXPECT_EQ(GrApplyClip(t.pdev(), &odd), -1);
}

TEST(GrPath, ClipSpansComeInRecordsOfTwoThousand) {
  for (const auto& [rows, forms] : std::vector<std::pair<LONG, std::vector<int>>>{{2000, {10}}, {2001, {2, 12}}}) {
    DrawTarget t;
    host::engine::EngClip clip;
    host::engine::SetClip(clip, host::gdi::Region::FromRects({RECT{5, 0, 9, rows}}), RECTL{0, 0, 100, 3000}, true);
    ASSERT_EQ(GrEmitClipSpans(t.pdev(), &clip.co, RECTL{0, 0, 100, 3000}), 1);
    const auto r = t.Records();
    ASSERT_EQ(r.size(), forms.size());
    for (size_t i = 0; i < r.size(); ++i) EXPECT_EQ(r[i].bytes[2], forms[i]) << rows;
    EXPECT_EQ(Hex(r[0].bytes.substr(24, 6)), "00 00 05 00 08 00");
    EXPECT_EQ(Le32(r[0].bytes, 4), (2000u * 6 + 27) & ~3u);
  }
  // Bounds beyond 0x7FFF: 32-bit entries. Only the drawing's own rectangle is filled.
  DrawTarget t;
  host::engine::EngClip clip;
  host::engine::SetClip(clip, host::gdi::Region::FromRects({RECT{0, 0, 4, 4}, RECT{10, 10, 12, 12}}),
                        RECTL{0, 0, 100, 100}, true);
  ASSERT_EQ(GrEmitClipSpans(t.pdev(), &clip.co, RECTL{0, 0, 0x8000, 3}), 1);
  const auto r = t.Records();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].bytes[2], 0x1A);
  EXPECT_EQ(r[0].bytes.size(), 24u + 3 * 12);
  // Nothing of the region inside the rectangle: no record.
  EXPECT_EQ(GrEmitClipSpans(t.pdev(), &clip.co, RECTL{50, 50, 60, 60}), 0);
}

TEST(GrPath, BlitFillThroughAClipPathBeyondTheLimitBecomesSpans) {
  DrawTarget t;
  t.pdev()->pathLimit = 1;
  // A staircase of 1300 rectangles: its clip path has more than 5000 curves.
  std::vector<RECT> steps;
  for (LONG y = 0; y < 1300; ++y) steps.push_back(RECT{y % 7, y, y % 7 + 3, y + 1});
  host::engine::EngClip clip;
  host::engine::SetClip(clip, host::gdi::Region::FromRects(steps), RECTL{0, 0, 100, 2000}, true);
  BRUSHOBJ black{0, nullptr, 0};
  RECTL target{0, 0, 100, 1300};
  ASSERT_TRUE(DrvBitBlt(t.so(), nullptr, nullptr, &clip.co, nullptr, &target, nullptr, nullptr, &black, nullptr,
                        0xF0F0));
  const auto ops = Ops(t.Records());
  EXPECT_EQ(ops.back(), 19);
  EXPECT_EQ(std::count(ops.begin(), ops.end(), 16), 0);
}

}  // namespace
}  // namespace zolt::test
