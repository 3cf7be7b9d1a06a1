// The drawing records, byte by byte.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "block_stream.h"
#include "gr_pdev.h"
#include "gr_records.h"
#include "gr_test_support.h"

namespace zolt::test {

using namespace zolt::blocks;
namespace {

// The records buffered so far, as the data block would carry them.
std::string Buffered(TestPdev& pdev) {
  Captured() = {};
  EXPECT_EQ(GrFlushRecords(pdev.out()), 1);
  return Captured().bytes.size() >= 8 ? Captured().bytes.substr(8) : std::string();
}

struct RecordCase {
  const char* name;
  std::function<bool(PhysicalDevice*)> write;
  const char* hex;
};

TEST(GrRecords, FixedLayouts) {
  const RecRect r{1, 2, 3, 4};
  const ULONG red = 0x0000FF, green = 0x00FF00;
  const float mitre = 4.5f;
  const std::vector<RecordCase> cases = {
      {"clip kind 1", [&](PhysicalDevice* p) { return GrRecClip(p, 1, r, RecRect{5, 6, 7, 8}) != nullptr; },
       "10 00 01 00 28 00 00 00 01 00 00 00 02 00 00 00 03 00 00 00 04 00 00 00 05 00 00 00 06 00 00 00 07 00 00 00 "
       "08 00 00 00"},
      {"clip rect (kind 5)", [&](PhysicalDevice* p) { return GrEmitClipRect(p, r) != nullptr; },
       "10 00 05 00 18 00 00 00 01 00 00 00 02 00 00 00 03 00 00 00 04 00 00 00"},
      {"clip spans", [&](PhysicalDevice* p) {
         const uint16_t spans[3] = {7, 1, 9};
         return GrRecClipRects(p, 2 | 8, r, spans, 6) == 1;
       },
       "13 00 0a 00 20 00 00 00 01 00 00 00 02 00 00 00 03 00 00 00 04 00 00 00 07 00 01 00 09 00 00 00"},
      {"clip spans without entries", [&](PhysicalDevice* p) { return GrRecClipRects(p, 2, r, nullptr, 0) == 1; }, ""},
      {"clip reset", [&](PhysicalDevice* p) { return GrRecClipReset(p) != nullptr; }, "37 00 00 00"},
      {"one colour", [&](PhysicalDevice* p) { return GrRecColour(p, 0, red, nullptr, nullptr) != nullptr; },
       "30 08 01 00 ff 00 00 00"},
      {"two colours, mode 2", [&](PhysicalDevice* p) { return GrRecColour(p, kColourMode2, red, &green, nullptr) != nullptr; },
       "30 0c 49 00 ff 00 00 00 ff 00 00 00"},
      {"three colours, matched",
       [&](PhysicalDevice* p) { return GrRecColour(p, kColourMatched, red, &green, &red) != nullptr; },
       "30 10 99 00 ff 00 00 00 ff 00 ff 00 00 00 00 00"},
      {"rop 0xF0 as 0xCC", [&](PhysicalDevice* p) { return GrRecRop3(p, 0xF0) != nullptr; }, "31 cc 00 00"},
      {"rop 0x66", [&](PhysicalDevice* p) { return GrRecRop3(p, 0x66) != nullptr; }, "31 66 00 00"},
      {"mix", [&](PhysicalDevice* p) { return GrRecMix(p, 13) != nullptr; }, "32 0d 00 00"},
      {"line width, at least 1", [&](PhysicalDevice* p) { return GrRecLineWidth(p, 0, 0, 0xFFFFFFFF) != nullptr; },
       "33 01 01 00 ff ff ff ff"},
      {"line width 300 dash", [&](PhysicalDevice* p) { return GrRecLineWidth(p, 3, 300, 0x00FF00FF) != nullptr; },
       "33 03 2c 01 ff 00 ff 00"},
      {"dash phase", [&](PhysicalDevice* p) { return GrRecDashPhase(p, 17) != nullptr; }, "34 11 00 00"},
      {"line end square", [&](PhysicalDevice* p) { return GrRecLineEnd(p, 2) != nullptr; }, "35 02 00 00"},
      {"line join, no limit", [&](PhysicalDevice* p) { return GrRecLineJoin(p, 2, nullptr) != nullptr; },
       "36 02 00 00 00 0a 00 00"},
      {"line join, limit 4.5", [&](PhysicalDevice* p) { return GrRecLineJoin(p, 0, &mitre) != nullptr; },
       "36 00 00 00 80 04 00 00"},
      {"solid brush", [&](PhysicalDevice* p) { return GrRecBrush(p, kBrushMatched, nullptr) != nullptr; },
       "40 40 00 01 00 00 00 00"},
      {"page start", [&](PhysicalDevice* p) { return GrRecPageStart(p, 4960, 7016, 600, 600) != nullptr; },
       "60 00 00 00 60 13 00 00 68 1b 00 00 58 02 58 02"},
      {"page end", [&](PhysicalDevice* p) { return GrRecPageEnd(p) != nullptr; }, "61 00 00 00"},
      {"text run", [&](PhysicalDevice* p) { return GrRecTextRun(p, r, 5, 6, 7) != nullptr; },
       "51 00 00 00 24 00 00 00 01 00 00 00 02 00 00 00 03 00 00 00 04 00 00 00 05 00 00 00 06 00 00 00 07 00 00 00"},
      {"text run with data", [&](PhysicalDevice* p) { return GrRecTextRunData(p, r, 5, 6, 7, "AB", 2) != nullptr; },
       "51 00 02 00 28 00 00 00 01 00 00 00 02 00 00 00 03 00 00 00 04 00 00 00 05 00 00 00 06 00 00 00 07 00 00 00 "
       "41 42 00 00"},
      {"glyph run", [&](PhysicalDevice* p) {
         const int16_t pos[2] = {-1, 2};
         const uint16_t glyphs[2] = {0x41, 0x42};
         return GrRecGlyphRun(p, r, 5, 6, pos, 2, glyphs, 2) != nullptr;
       },
       "52 00 80 00 2c 00 00 00 01 00 00 00 02 00 00 00 03 00 00 00 04 00 00 00 05 00 00 00 06 00 00 00 02 00 00 00 "
       "ff ff 02 00 41 00 42 00"},
      {"glyph positions", [&](PhysicalDevice* p) {
         const BYTE entries[6] = {1, 2, 3, 4, 5, 6};
         return GrRecGlyphPositions(p, 9, r, 5, 6, entries, 1) != nullptr;
       },
       "55 00 09 00 2c 00 00 00 01 00 00 00 02 00 00 00 03 00 00 00 04 00 00 00 05 00 00 00 06 00 00 00 01 00 00 00 "
       "01 02 03 04 05 06 00 00"},
      {"glyph bitmap", [&](PhysicalDevice* p) {
         RecGlyphBitmapInfo info{0, 0, 8, 2, 2, 0x41, 0};
         return GrRecGlyphBitmap(p, 1, info, "\xF0\x0F") == 1;
       },
       "54 00 01 00 20 00 00 00 02 00 00 00 08 00 00 00 02 00 00 00 00 00 00 00 41 00 00 00 f0 0f 00 00"},
      {"glyph bitmap without data", [&](PhysicalDevice* p) {
         RecGlyphBitmapInfo info{0, 0, 8, 2, 0, 0x41, 0};
         return GrRecGlyphBitmap(p, 1, info, nullptr) == 1;
       },
       ""},
  };
  for (const RecordCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestPdev pdev;
    ASSERT_TRUE(c.write(pdev.get()));
    EXPECT_EQ(Hex(Buffered(pdev)), c.hex);
  }
}

TEST(GrRecords, CommentIsCountedAndPaddedToFourBytes) {
  TestPdev pdev;
  const std::string text = "StartPage : 09:05:07.04";  // 23 characters
  ASSERT_NE(GrRecComment(pdev.get(), text.data(), 23), nullptr);
  const std::string r = Buffered(pdev);
  ASSERT_EQ(r.size(), 28u);
  EXPECT_EQ(Hex(r.substr(0, 4)), "70 17 1c 00");
  EXPECT_EQ(r.substr(4, 23), text);
  EXPECT_EQ(r[27], 0);
  // A longer text is cut at 255 bytes.
  const std::string longText(300, 'z');
  ASSERT_NE(GrRecComment(pdev.get(), longText.data(), 300), nullptr);
  const std::string cut = Buffered(pdev);
  EXPECT_EQ(cut.size(), 260u);
  EXPECT_EQ(Hex(cut.substr(0, 4)), "70 ff 04 00");
}

TEST(GrRecords, PathOfOneFigureOfThreeLines) {
  TestPdev pdev;
  const RecPathSegment lines[3] = {{false, {{160, 0}}}, {false, {{160, 160}}}, {false, {{0, 0}}}};
  const RecSubpath figure{{0, 0}, lines, 3, true};
  BYTE* r = GrRecPath(pdev.get(), 1, RecRect{0, 0, 160, 170}, &figure, 1);
  ASSERT_NE(r, nullptr);
  const std::string bytes = Buffered(pdev);
  ASSERT_EQ(bytes.size(), 76u) << "the unused rest of the reservation is given back";
  EXPECT_EQ(Hex(bytes.substr(0, 32)),
            "12 00 09 00 4c 00 00 00 00 00 00 00 00 00 00 00 0a 00 00 00 0a 00 00 00 0c 00 00 00 03 00 00 00");
  EXPECT_EQ(Hex(bytes.substr(40, 12)), "00 00 00 00 a0 00 00 00 00 00 00 00");
}

TEST(GrRecords, PathWithCurvesAndTwoFigures) {
  TestPdev pdev;
  const RecPathSegment first[1] = {{true, {{1, 2}, {3, 4}, {5, 6}}}};
  const RecPathSegment second[1] = {{false, {{7, 8}}}};
  const RecSubpath figures[2] = {{{0, 0}, first, 1, false}, {{9, 9}, second, 1, false}};
  ASSERT_NE(GrRecPath(pdev.get(), 2, RecRect{0, 0, 16, 16}, figures, 2), nullptr);
  const std::string bytes = Buffered(pdev);
  ASSERT_EQ(bytes.size(), 28u + 12 + 28 + 12 + 12);
  EXPECT_EQ(Hex(bytes.substr(0, 4)), "11 00 12 00");
  // 7 per curve + 3 per line + 3 per figure after the first + 3 + 1 for several figures.
  EXPECT_EQ(Le32(bytes, 24), 7u + 3 + 3 + 3 + 1);
}

TEST(GrRecords, PathOfFiguresWithoutSegmentsStaysInsideItsSpace) {
  TestPdev pdev;
  std::vector<RecSubpath> moves(50, RecSubpath{{16, 16}, nullptr, 0, false});
  ASSERT_NE(GrRecPath(pdev.get(), 0, RecRect{}, moves.data(), 50), nullptr);
  EXPECT_EQ(Buffered(pdev).size(), 28u + 12 * 50);
}

TEST(GrRecords, BrushPatterns) {
  TestPdev pdev;
  std::string mono(128, '\x55'), colour(3072, '\x11');
  ASSERT_NE(GrRecBrush(pdev.get(), 0, reinterpret_cast<const BYTE*>(mono.data())), nullptr);
  std::string r = Buffered(pdev);
  ASSERT_EQ(r.size(), 136u);
  EXPECT_EQ(Hex(r.substr(0, 6)), "40 80 20 01 80 00");
  EXPECT_EQ(r.substr(6, 128), mono);
  ASSERT_NE(GrRecBrush(pdev.get(), kBrushColour24 | kBrushMatched, reinterpret_cast<const BYTE*>(colour.data())),
            nullptr);
  r = Buffered(pdev);
  ASSERT_EQ(r.size(), 3080u);
  EXPECT_EQ(Hex(r.substr(0, 6)), "40 c1 20 01 00 0c");
}

TEST(GrRecords, FontSelectAndDefinitionCarryTheNameAndItsSize) {
  TestPdev pdev;
  RecFontFields font{128, 0x31, 0x2, 700, 90, 50, 100, 12, 0x20};
  const char name[] = "Mincho\0\0";  // device-code-page bytes, read in 16-bit units
  ASSERT_NE(GrRecFontSelect(pdev.get(), font, name), nullptr);
  std::string r = Buffered(pdev);
  ASSERT_EQ(r.size(), 32u);  // 3 units: (6 + 28) & ~3
  EXPECT_EQ(Hex(r.substr(0, 24)), "50 00 80 31 02 00 bc 02 5a 00 32 00 64 00 20 00 00 00 00 00 0c 00 20 00");
  EXPECT_EQ(r.substr(24, 6), "Mincho");
  EXPECT_EQ(r.substr(30), std::string(2, '\0'));

  const char16_t wide[] = u"Ab";
  ASSERT_NE(GrRecFontDefinition(pdev.get(), font, wide), nullptr);
  r = Buffered(pdev);
  ASSERT_EQ(r.size(), 40u);  // (4 + 36) & ~3
  EXPECT_EQ(Hex(r.substr(0, 16)), "56 80 31 00 02 00 bc 02 5a 00 32 00 64 00 28 00");
  EXPECT_EQ(Hex(r.substr(24, 16)), "00 00 00 00 00 00 00 00 41 00 62 00 00 00 00 00");
}

TEST(GrRecords, GlyphDownloadForms) {
  TestPdev pdev;
  RecGlyphBitmapInfo info{1, 2, 8, 1, 1, 0x3042, 2};
  ASSERT_NE(GrRecGlyphDownload(pdev.get(), 'T', RecRect{}, 5, 6, info, "P1", 2, "Q", 1, "\x80"), nullptr);
  std::string r = Buffered(pdev);
  ASSERT_EQ(r.size(), 68u);  // (2 + 1 + 1 + 67) & ~3
  EXPECT_EQ(Hex(r.substr(0, 8)), "53 54 03 00 44 00 00 00");
  EXPECT_EQ(Le32(r, 32), 67u) << "the bitmap part follows the second and first data parts";
  EXPECT_EQ(Hex(r.substr(36, 28)),
            "01 00 00 00 02 00 00 00 08 00 00 00 01 00 00 00 01 00 00 00 00 00 00 00 42 30 02 00");
  EXPECT_EQ(r.substr(64, 4), std::string("QP1\x80", 4));

  ASSERT_NE(GrRecGlyphDownload2(pdev.get(), kRecGlyphDownload2, 1, RecRect{}, 5, 6, info, "\xFF"), nullptr);
  r = Buffered(pdev);
  ASSERT_EQ(r.size(), 68u);
  EXPECT_EQ(Hex(r.substr(0, 8)), "57 00 01 00 44 00 00 00");
  EXPECT_EQ(Le32(r, 32), 64u);
  EXPECT_EQ(static_cast<uint8_t>(r[64]), 0xFF);
}

TEST(GrRecords, ImageWithPaletteKeepsRowsAsGiven) {
  TestPdev pdev;
  const ULONG palette[2] = {0x000000, 0xFFFFFF};
  const BYTE rows[2][4] = {{0xAA, 0, 0, 0}, {0x55, 0, 0, 0}};
  RecImage image{0, 10, 20, 8, 2, {3, 4}, 8, 2, palette, 2, &rows[1][0], -4, false};  // bottom-up source
  ASSERT_EQ(GrRecImage(pdev.get(), image), 1);
  const std::string r = Buffered(pdev);
  ASSERT_EQ(r.size(), 64u + 8);  // (6 + 59) & ~3 = 64 header and palette, two rows of 4 bytes
  EXPECT_EQ(Hex(r.substr(0, 8)), "20 00 00 00 48 00 00 00");
  EXPECT_EQ(Hex(r.substr(8, 16)), "0a 00 00 00 14 00 00 00 12 00 00 00 16 00 00 00");
  EXPECT_EQ(Hex(r.substr(56, 6)), "00 00 00 ff ff ff");
  EXPECT_EQ(Hex(r.substr(64, 8)), "55 00 00 00 aa 00 00 00") << "rows read upwards";
}

TEST(GrRecords, TwentyFourBitImageOnAMonochromeJobBecomesGreyInSlices) {
  TestPdev pdev;
  pdev->colourMode = 1;
  const uint32_t width = 2000, height = 3000;
  std::vector<BYTE> pixels(size_t{width} * 3 * height);
  for (size_t i = 0; i < pixels.size(); i += 3) pixels[i] = 0, pixels[i + 1] = 0, pixels[i + 2] = 255;  // red
  RecImage image{4, 0, 0, width, height, {0, 0}, width, height, nullptr, 0, pixels.data(), width * 3, false};
  Captured() = {};
  ASSERT_EQ(GrRecImage(pdev.get(), image), 1);
  // 0x100000 / 2000 = 524 rows per slice; each slice is its own allocation, so earlier slices
  // leave in data blocks before the record is complete.
  EXPECT_GT(Captured().bytes.size(), 0u);
  ASSERT_EQ(GrFlushRecords(pdev.out()), 1);
  DecodedStream stream;
  std::string error;
  std::string data;
  ASSERT_FALSE(DecodeStream(Captured().bytes, &stream, &error)) << "data blocks outside a page";
  for (const DecodedBlock& b : stream.blocks) {
    EXPECT_EQ(b.type, 0xF5);
    data += b.payload;
  }
  ASSERT_EQ(data.size(), 56u + size_t{width} * height);
  EXPECT_EQ(Hex(data.substr(0, 8)), "20 00 32 00 b8 8d 5b 00");  // grey, no palette; 56 + 6,000,000 bytes
  EXPECT_EQ(static_cast<uint8_t>(data[56]), (255 * 306) >> 10);
  EXPECT_EQ(static_cast<uint8_t>(data[56 + 1999]), (255 * 306) >> 10);
}

TEST(GrRecords, TheBufferRefusingSpaceFailsTheWriter) {
  TestPdev pdev;
  Captured().failAt = 1;
  while (pdev.out()->total <= kRecordFlushThreshold) ASSERT_NE(GrAllocRecord(pdev.out(), 40000), nullptr);
  // The buffer's last chunk is full: the next record needs a chunk, the flush before it fails.
  std::string big(20000, 'q');
  EXPECT_EQ(GrRecTextRunData(pdev.get(), RecRect{}, 0, 0, 0, big.data(), 20000), nullptr);
}

}  // namespace
}  // namespace zolt::test
