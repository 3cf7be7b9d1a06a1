// Blits and images: image records for each bitmap format, reduction, mirroring and masks,
// fills, and bitmaps whose sizes disagree with their rectangles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gr_blit.h"
#include "gr_brush.h"
#include "gr_draw_support.h"
#include "gr_drawing_entries.h"
#include "gr_drawing_services.h"

namespace zolt::test {
namespace {

using blocks::Le32;

std::vector<int> Ops(const std::vector<blocks::DecodedRecord>& records) {
  std::vector<int> ops;
  for (const auto& r : records) ops.push_back(r.opcode);
  return ops;
}

std::vector<blocks::DecodedRecord> Images(const std::vector<blocks::DecodedRecord>& records) {
  std::vector<blocks::DecodedRecord> images;
  for (const auto& r : records)
    if (r.opcode == 32) images.push_back(r);
  return images;
}

BOOL Copy(DrawTarget& t, SURFOBJ* src, RECTL dest, XLATEOBJ* pxlo = nullptr, POINTL at = {0, 0}) {
  return DrvBitBlt(t.so(), src, nullptr, nullptr, pxlo, &dest, &at, nullptr, nullptr, nullptr, 0xCCCC);
}

BOOL Stretch(DrawTarget& t, SURFOBJ* src, RECTL dest, RECTL from, XLATEOBJ* pxlo = nullptr) {
  return DrvStretchBlt(t.so(), src, nullptr, nullptr, pxlo, nullptr, nullptr, &dest, &from, nullptr, COLORONCOLOR);
}

struct FormatCase {
  ULONG format;
  uint32_t code;       // of the record's format byte
  uint32_t rowBytes;   // of a 10-pixel row in the record
};

TEST(GrBlit, EachBitmapFormatBecomesAnImageRecord) {
  const FormatCase cases[] = {{BMF_1BPP, 0, 4}, {BMF_4BPP, 1, 8}, {BMF_8BPP, 2, 12},
                              {BMF_16BPP, 4, 32}, {BMF_24BPP, 4, 32}, {BMF_32BPP, 4, 32}};
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.format);
    DrawTarget t;
    t.pdev()->machineTypeColour = 1;  // no grey conversion
    t.pdev()->apiUse = 1;
    EngBitmap src(10, 3, c.format);
    ASSERT_NE(src.so(), nullptr);
    std::memset(src.Row(0), 0x5A, size_t(src.so()->lDelta));
    ASSERT_TRUE(Copy(t, src.so(), RECTL{4, 5, 14, 8}));
    const auto images = Images(t.Records());
    ASSERT_EQ(images.size(), 1u);
    const std::string& r = images[0].bytes;
    EXPECT_EQ(uint32_t(r[2] & 0xF), c.code);
    EXPECT_EQ(Le32(r, 8), 4u);
    EXPECT_EQ(Le32(r, 20), 8u);
    EXPECT_EQ(Le32(r, 32), 10u);
    EXPECT_EQ(Le32(r, 36), 3u);
    const uint32_t palette = c.code == 0 ? 2 : c.code == 1 ? 16 : c.code == 2 ? 256 : 0;
    EXPECT_EQ(r[2] & 0x20, 0x20) << "no translation, no palette";
    EXPECT_EQ(r.size(), ((59 + 0 * palette) & ~3u) + 3 * c.rowBytes);
  }
}

TEST(GrBlit, PalettesComeFromTheTranslationExceptGreyRamps) {
  DrawTarget t;
  EngBitmap src(8, 2, BMF_4BPP);
  ULONG grey[16], colours[16];
  for (ULONG i = 0; i < 16; ++i) {
    grey[i] = (i * 255 / 15) * 0x010101;
    colours[i] = 0x00102030 + i;
  }
  XLATEOBJ xlate{0, XO_TABLE, 0, 0, 16, grey};
  ASSERT_TRUE(Copy(t, src.so(), RECTL{0, 0, 8, 2}, &xlate));
  auto images = Images(t.Records());
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].bytes[2], 0x21);  // four bits, no palette
  xlate.pulXlate = colours;
  ASSERT_TRUE(Copy(t, src.so(), RECTL{0, 0, 8, 2}, &xlate));
  images = Images(t.Records());
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].bytes[2], 0x01);
  EXPECT_EQ(Hex(images[0].bytes.substr(56, 6)), "30 20 10 31 20 10");
  // A translation shorter than the format's palette: the rest of the palette is black.
  xlate.cEntries = 3;
  ASSERT_TRUE(Copy(t, src.so(), RECTL{0, 0, 8, 2}, &xlate));
  images = Images(t.Records());
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(Hex(images[0].bytes.substr(56 + 3 * 3, 3)), "00 00 00");
  // A host-matched translation marks the record.
  xlate.flXlate = XO_TABLE | XO_HOST_ICM;
  ASSERT_TRUE(Copy(t, src.so(), RECTL{0, 0, 8, 2}, &xlate));
  images = Images(t.Records());
  EXPECT_EQ(images[0].bytes[3] & 0x08, 0x08);
}

TEST(GrBlit, LargeTrueColourSourcesDrawnSmallerAreReduced) {
  DrawTarget t(600, 600);
  t.pdev()->machineTypeColour = 1;
  t.pdev()->apiUse = 1;
  EngBitmap src(300, 300, BMF_24BPP);
  ASSERT_TRUE(GrEmitRop(t.pdev(), 0xCC));
  ASSERT_TRUE(Stretch(t, src.so(), RECTL{0, 0, 100, 100}, RECTL{0, 0, 300, 300}));
  auto images = Images(t.Records());
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(Le32(images[0].bytes, 32), 100u);  // reduced by 3
  EXPECT_EQ(Le32(images[0].bytes, 36), 100u);
  EXPECT_EQ(images[0].bytes[1], 0x02);  // flag 0x20000
  ASSERT_TRUE(Stretch(t, src.so(), RECTL{0, 0, 50, 55}, RECTL{0, 0, 300, 300}));
  images = Images(t.Records());
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(Le32(images[0].bytes, 32), 50u);  // factor 5 gives 60: made exactly 50 by 55
  EXPECT_EQ(Le32(images[0].bytes, 36), 55u);
  EXPECT_EQ(GrReductionFactor({300, 300}, {100, 100}), 3);
  EXPECT_EQ(GrReductionFactor({300, 300}, {50, 55}), 5);
  EXPECT_EQ(GrReductionFactor({30, 300}, {10, 10}), 1);
  EXPECT_EQ(GrReductionFactor({300, 300}, {300, 10}), 1);
  // Drawn larger: sent as it is.
  ASSERT_TRUE(Stretch(t, src.so(), RECTL{0, 0, 600, 600}, RECTL{0, 0, 300, 300}));
  images = Images(t.Records());
  EXPECT_EQ(Le32(images[0].bytes, 32), 300u);
  EXPECT_EQ(images[0].bytes[1], 0);
}

TEST(GrBlit, MirroredDestinationsFlipTheBitmap) {
  DrawTarget t;
  t.pdev()->machineTypeColour = 1;
  t.pdev()->apiUse = 1;
  EngBitmap src(2, 1, BMF_24BPP);
  BYTE* row = src.Row(0);
  const BYTE pixels[6] = {1, 2, 3, 4, 5, 6};
  std::memcpy(row, pixels, 6);
  ASSERT_TRUE(Stretch(t, src.so(), RECTL{12, 0, 10, 1}, RECTL{0, 0, 2, 1}));
  const auto images = Images(t.Records());
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(Le32(images[0].bytes, 8), 10u);
  EXPECT_EQ(Le32(images[0].bytes, 48), 2u);  // a positive width
  EXPECT_EQ(Hex(images[0].bytes.substr(56, 6)), "04 05 06 01 02 03");
}

TEST(GrBlit, MaskedTransferSendsTheMaskFirst) {
  DrawTarget t;
  EngBitmap src(8, 8, BMF_24BPP), mask(8, 8, BMF_1BPP);
  RECTL dest{0, 0, 8, 8};
  POINTL zero{0, 0};
  ASSERT_TRUE(DrvBitBlt(t.so(), src.so(), mask.so(), nullptr, nullptr, &dest, &zero, &zero, nullptr, nullptr, 0xAACC));
  const auto r = t.Records();
  std::vector<int> ops = Ops(r);
  // Mix, raster operation and colours come first; then 0xEE, the mask, 0x88 and the image.
  ASSERT_GE(ops.size(), 4u);
  const std::vector<int> tail(ops.end() - 4, ops.end());
  EXPECT_EQ(tail, (std::vector<int>{49, 32, 49, 32}));
  const auto& maskRecord = r[r.size() - 3];
  EXPECT_EQ(Hex(r[r.size() - 4].bytes), "31 ee 00 00");
  EXPECT_EQ(maskRecord.bytes[2], 0x20);  // one bit, no palette
  EXPECT_EQ(Hex(r[r.size() - 2].bytes), "31 88 00 00");
  EXPECT_EQ(r.back().bytes[2] & 0xF, 4);
  EXPECT_EQ(r.back().bytes[2] & 0x80, 0x80);  // not a plain copy
}

TEST(GrBlit, BadRectanglesAreRefusedOrDrawNothing) {
  DrawTarget t;
  EngBitmap src(10, 10, BMF_24BPP);
  // A source rectangle outside the bitmap.
  EXPECT_FALSE(Copy(t, src.so(), RECTL{0, 0, 10, 10}, nullptr, POINTL{5, 5}));
  EXPECT_FALSE(Stretch(t, src.so(), RECTL{0, 0, 10, 10}, RECTL{-1, 0, 9, 10}));
  EXPECT_FALSE(Stretch(t, src.so(), RECTL{0, 0, 10, 10}, RECTL{0, 0, 0x7FFFFFFF, 10}));
  // Enormous destinations cannot be expressed.
  EXPECT_FALSE(Stretch(t, src.so(), RECTL{-0x7FFFFFFF, 0, 0x7FFFFFFF, 10}, RECTL{0, 0, 10, 10}));
  EXPECT_TRUE(Images(t.Records()).empty());
  // An empty one draws nothing and succeeds.
  EXPECT_TRUE(Stretch(t, src.so(), RECTL{5, 5, 5, 9}, RECTL{0, 0, 10, 10}));
  EXPECT_TRUE(Images(t.Records()).empty());
  // A sub-rectangle of the source is cut out.
  EXPECT_TRUE(Copy(t, src.so(), RECTL{0, 0, 4, 4}, nullptr, POINTL{6, 6}));
  const auto images = Images(t.Records());
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(Le32(images[0].bytes, 32), 4u);
}

TEST(GrBlit, EntriesThatOnlyReportSuccessAndCopyBitsFromTheDevice) {
  DrawTarget t;
  EXPECT_TRUE(DrvAlphaBlend(t.so(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_TRUE(DrvGradientFill(t.so(), nullptr, nullptr, nullptr, 0, nullptr, 0, nullptr, nullptr, 0));
  EXPECT_TRUE(DrvPlgBlt(t.so(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_TRUE(DrvTransparentBlt(t.so(), nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0));
  EXPECT_TRUE(t.Records().empty());
  // Reading back from a device surface: the bitmap is made white.
  EngBitmap dest(4, 4, BMF_24BPP);
  SURFOBJ device = *t.so();
  device.iType = STYPE_DEVICE;
  RECTL all{0, 0, 4, 4};
  POINTL zero{0, 0};
  ASSERT_TRUE(DrvCopyBits(dest.so(), &device, nullptr, nullptr, &all, &zero));
  EXPECT_EQ(Hex(std::string(reinterpret_cast<char*>(dest.Row(3)), 3)), "ff ff ff");
  EXPECT_TRUE(t.Records().empty());
}

TEST(GrBlit, GreyConversionOnAMonochromeJob) {
  DrawTarget t;
  t.pdev()->machineTypeColour = 0;
  EngBitmap src(2, 1, BMF_24BPP);
  const BYTE pixels[6] = {0, 0, 255, 255, 255, 255};  // red, white
  std::memcpy(src.Row(0), pixels, 6);
  ASSERT_TRUE(Copy(t, src.so(), RECTL{0, 0, 2, 1}));
  const auto images = Images(t.Records());
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].bytes[2], 0x32);
  EXPECT_EQ(Hex(images[0].bytes.substr(56, 4)), "4c ff 00 00");
}

}  // namespace
}  // namespace zolt::test
