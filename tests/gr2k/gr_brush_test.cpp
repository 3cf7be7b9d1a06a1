// Brushes, colours and raster operations: which state records a drawing writes and when the
// cache keeps them back, the raster-operation tables, and the realised hatch and pattern
// brushes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "gr_brush.h"
#include "gr_draw_support.h"
#include "gr_drawing_entries.h"
#include "gr_drawing_services.h"

namespace zolt::test {
namespace {

// A solid fill of a rectangle with a ROP4 (the brush is solid unless given).
BOOL Fill(DrawTarget& t, ROP4 rop4, BRUSHOBJ* pbo, RECTL r = RECTL{10, 10, 20, 20}) {
  return DrvBitBlt(t.so(), nullptr, nullptr, nullptr, nullptr, &r, nullptr, nullptr, pbo, nullptr, rop4);
}

// A hatch brush the engine realises through the module.
struct HatchBrush {
  host::engine::EngBrush brush;
  ULONG table[2] = {0x00FFFFFF, 0x000000FF};  // entry 0 background, entry 1 the hatch colour
  XLATEOBJ xlate{};
  HatchBrush(SURFOBJ* target, ULONG hatch) {
    brush.bo.iSolidColor = 0xFFFFFFFF;
    brush.hatch = hatch;
    brush.target = target;
    brush.realize = DrvRealizeBrush;
    xlate.flXlate = XO_TABLE;
    xlate.cEntries = 2;
    xlate.pulXlate = table;
    brush.xlate = &xlate;
  }
};

TEST(GrBrush, RasterOperationTables) {
  // Only the sixteen pattern/destination operations have a mix; background in the high byte.
  EXPECT_EQ(GrRop4ToMix(0xAAF0), 0x0B0Du);
  EXPECT_EQ(GrRop4ToMix(0x0000), 0x0101u);
  EXPECT_EQ(GrRop4ToMix(0xCCCC), 0u);
  const BYTE want[17] = {0xCC, 0xFF, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                         0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x00};
  for (uint32_t mix = 0; mix <= 16; ++mix) {
    EXPECT_EQ(GrMixToRop3(mix), want[mix]) << mix;
    EXPECT_EQ(GrTextMixToRop3(mix), want[mix]) << mix;
  }
  EXPECT_EQ(GrMixToRop3(17), 0xCC);
  DrawState s{};
  GrStateFromMix(nullptr, 0x0B0D, &s, 1);
  EXPECT_EQ(s.backgroundMode, 1);
  EXPECT_EQ(s.hasColor3, 1);
  GrStateFromMix(nullptr, 0x0D0D, &s, 0);
  EXPECT_EQ(s.backgroundMode, 2);
  EXPECT_EQ(GrSwapRedBlue(0xFF123456), 0x00563412u);
}

TEST(GrBrush, StateRecordsAreWrittenOnlyWhenTheyChange) {
  DrawTarget t;
  BRUSHOBJ red{0x00FF0000, nullptr, 0};
  ASSERT_TRUE(Fill(t, 0xF0F0, &red));
  // First on the page: brush, colour, mix, raster operation, clip reset not needed, the fill.
  EXPECT_EQ(t.Opcodes(), (std::vector<int>{64, 48, 50, 49, 16}));
  ASSERT_TRUE(Fill(t, 0xF0F0, &red));
  EXPECT_EQ(t.Opcodes(), (std::vector<int>{16}));
  // A colour state that differs only in being host-matched writes nothing.
  BRUSHOBJ redMatched{0x00FF0000, nullptr, BR_HOST_ICM};
  ASSERT_TRUE(Fill(t, 0xF0F0, &redMatched));
  EXPECT_EQ(t.Opcodes(), (std::vector<int>{16}));
  // A page start forgets all of it.
  GrInvalidateDrawCaches(t.pdev());
  ASSERT_TRUE(Fill(t, 0xF0F0, &red));
  EXPECT_EQ(t.Opcodes(), (std::vector<int>{64, 48, 50, 49, 16}));
  // The colour record carries red, green, blue.
  BRUSHOBJ blue{0x000000FF, nullptr, 0};
  ASSERT_TRUE(Fill(t, 0xF0F0, &blue));
  const auto records = t.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(Hex(records[0].bytes), "30 0c 09 00 00 00 ff ff ff ff 00 00");
}

TEST(GrBrush, BlacknessWhitenessAndDstInvert) {
  DrawTarget t;
  ASSERT_TRUE(Fill(t, 0x0000, nullptr));
  auto r = t.Records();
  ASSERT_EQ(r.size(), 5u);
  EXPECT_EQ(Hex(r[1].bytes), "30 0c 09 00 00 00 00 ff ff ff 00 00");  // colour 1 black, colour 2 white
  EXPECT_EQ(Hex(r[3].bytes), "31 ff 00 00");                           // R2_BLACK goes out as 0xFF
  ASSERT_TRUE(Fill(t, 0x5555, nullptr));  // DSTINVERT without a brush: white on white
  r = t.Records();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(Hex(r[0].bytes), "30 0c 09 00 ff ff ff ff ff ff 00 00");
  EXPECT_EQ(Hex(r[1].bytes), "31 55 00 00");
  ASSERT_TRUE(Fill(t, 0xFFFF, nullptr));
  r = t.Records();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(Hex(r[0].bytes), "31 00 00 00");  // and R2_WHITE as 0x00
  // 0xAAAA leaves the destination as it is.
  ASSERT_TRUE(Fill(t, 0xAAAA, nullptr));
  EXPECT_TRUE(t.Records().empty());
}

TEST(GrBrush, HatchesAreSentEveryTimeAndSolidsOnlyAfterThem) {
  DrawTarget t;
  HatchBrush hatch(t.so(), 4);  // cross
  BRUSHOBJ solid{0x00000000, nullptr, 0};
  ASSERT_TRUE(Fill(t, 0xF0F0, &hatch.brush.bo));
  ASSERT_TRUE(Fill(t, 0xF0F0, &hatch.brush.bo));
  auto r = t.Records();
  std::vector<int> ops;
  for (const auto& x : r) ops.push_back(x.opcode);
  EXPECT_EQ(ops, (std::vector<int>{64, 48, 50, 49, 16, 64, 16}));
  ASSERT_EQ(r[0].bytes.size(), 136u);
  EXPECT_EQ(Hex(r[0].bytes.substr(0, 6)), "40 80 20 01 80 00");
  // The cross: rows 16-19 all ones, every other row the 4-pixel vertical bar at pixels 16-19.
  EXPECT_EQ(Hex(r[0].bytes.substr(6 + 4 * 16, 4)), "ff ff ff ff");
  EXPECT_EQ(Hex(r[0].bytes.substr(6, 4)), "00 00 f0 00");
  // Colour 1 is the hatch (entry 1, blue 0x0000FF -> R,G,B 00 00 ff), colour 2 the background.
  EXPECT_EQ(Hex(r[1].bytes), "30 0c 09 00 00 00 ff ff ff ff 00 00");

  ASSERT_TRUE(Fill(t, 0xF0F0, &solid));
  ASSERT_TRUE(Fill(t, 0xF0F0, &solid));
  ops.clear();
  r = t.Records();
  for (const auto& x : r) ops.push_back(x.opcode);
  EXPECT_EQ(ops, (std::vector<int>{64, 48, 16, 16}));
  EXPECT_EQ(Hex(r[0].bytes), "40 00 00 01 00 00 00 00");
  // A new brush origin is remembered but not sent.
  POINTL origin{3, 5};
  RECTL rect{0, 0, 4, 4};
  ASSERT_TRUE(DrvBitBlt(t.so(), nullptr, nullptr, nullptr, nullptr, &rect, nullptr, nullptr, &solid, &origin, 0xF0F0));
  EXPECT_EQ(t.Opcodes(), (std::vector<int>{16}));
}

TEST(GrBrush, HatchPatternsAreTheBuiltInRowsScaledByFour) {
  BYTE out[kMonoPatternBytes];
  GrHatchPattern(2, out);  // forward diagonal: row 0 is 0x80 -> the first four pixels
  EXPECT_EQ(out[0], 0xF0);
  EXPECT_EQ(out[3 * 4], 0xF0);
  EXPECT_EQ(out[4 * 4], 0x0F);
  EXPECT_EQ(out[31 * 4 + 3], 0x0F);
  GrHatchPattern(0, out);  // horizontal: rows 16-19
  for (int r = 0; r < 32; ++r) EXPECT_EQ(out[r * 4], r >= 16 && r < 20 ? 0xFF : 0x00) << r;
}

TEST(GrBrush, MonoPatternsAreDoubledUpToSixteenPixels) {
  DrawTarget t;
  // 8x8: a single set pixel at (0, 0) becomes a 2x2 block at the start of every 16x16 tile;
  // after the inversion it is the only 0 area.
  {
    EngBitmap pattern(8, 8, BMF_1BPP);
    std::memset(pattern.Row(0), 0, 1);
    for (int y = 0; y < 8; ++y) *pattern.Row(y) = y == 0 ? 0x80 : 0x00;
    BYTE out[kMonoPatternBytes];
    GrBuildMonoPattern(t.pdev(), pattern.so(), out);
    EXPECT_EQ(out[0], 0x3F);   // pixels 0-1 of row 0 set in the pattern: inverted to 0
    EXPECT_EQ(out[1], 0xFF);
    EXPECT_EQ(out[2], 0x3F);   // the next tile starts at pixel 16
    EXPECT_EQ(out[4], 0x3F);   // row 1 doubles row 0
    EXPECT_EQ(out[8], 0xFF);
    EXPECT_EQ(out[16 * 4], 0x3F);
  }
  // 17x8 is tiled without doubling: the pixel repeats every 17 columns and 8 rows.
  {
    EngBitmap pattern(17, 8, BMF_1BPP);
    for (int y = 0; y < 8; ++y) std::memset(pattern.Row(y), 0, 4);
    *pattern.Row(0) = 0x80;
    BYTE out[kMonoPatternBytes];
    GrBuildMonoPattern(t.pdev(), pattern.so(), out);
    EXPECT_EQ(out[0], 0x7F);
    EXPECT_EQ(out[2], 0xBF);  // pixel 17
    EXPECT_EQ(out[4], 0xFF);
    EXPECT_EQ(out[8 * 4], 0x7F);
  }
}

TEST(GrBrush, ColourPatternsAreStretchedToTheirTileAndRepeated) {
  DrawTarget t;
  EngBitmap pattern(4, 4, BMF_24BPP);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      BYTE* p = pattern.Row(y) + 3 * x;
      p[0] = static_cast<BYTE>(x * 10);
      p[1] = static_cast<BYTE>(y * 10);
      p[2] = 0x77;
    }
  BYTE out[kColorPatternBytes];
  ASSERT_EQ(GrBuildColorPattern(t.pdev(), pattern.so(), nullptr, out), 1);
  // 4 pixels wide: an 8x8 tile (each pixel doubled), repeated 4 times each way.
  auto px = [&](int x, int y) { return std::string(reinterpret_cast<char*>(out + y * 96 + x * 3), 3); };
  EXPECT_EQ(Hex(px(0, 0)), "00 00 77");
  EXPECT_EQ(Hex(px(1, 1)), "00 00 77");
  EXPECT_EQ(Hex(px(2, 0)), "0a 00 77");
  EXPECT_EQ(Hex(px(6, 6)), "1e 1e 77");
  EXPECT_EQ(px(8, 0), px(0, 0));
  EXPECT_EQ(px(31, 31), px(7, 7));
  // Zero-sized patterns cannot be built.
  EngBitmap wide(11, 1, BMF_24BPP);
  EXPECT_EQ(GrBuildColorPattern(t.pdev(), wide.so(), nullptr, out), 1);  // 11 wide: 32x32 tile
}

TEST(GrBrush, RealizeRefusesWhatItCannotBuild) {
  DrawTarget t;
  host::engine::EngBrush brush;
  brush.bo.iSolidColor = 0xFFFFFFFF;
  EXPECT_FALSE(DrvRealizeBrush(&brush.bo, t.so(), nullptr, nullptr, nullptr, HS_DDI_MAX));
  SURFOBJ bad{};
  SetLastError(0);
  EXPECT_FALSE(DrvRealizeBrush(&brush.bo, &bad, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  // A colour pattern realised: a 24-bit brush of kind 3 with black and white.
  EngBitmap pattern(2, 2, BMF_24BPP);
  ASSERT_TRUE(DrvRealizeBrush(&brush.bo, t.so(), pattern.so(), nullptr, nullptr, HS_DDI_MAX));
  auto* b = static_cast<RealizedBrush*>(brush.bo.pvRbrush);
  EXPECT_EQ(b->kind, kBrushKindPattern);
  EXPECT_EQ(b->bitsPerPixel, 24);
  EXPECT_EQ(b->color2, 0xFFFFFFu);
  EXPECT_EQ(DrvDitherColor(reinterpret_cast<DHPDEV>(t.pdev()), DM_DEFAULT, 0x123456, nullptr), ULONG(DCR_HALFTONE));
}

}  // namespace
}  // namespace zolt::test
