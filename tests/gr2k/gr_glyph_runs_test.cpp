// The run-length coder of glyph bitmaps, checked byte by byte on small inputs and by decoding
// its output back on a table of bitmaps; the packing of engine glyph bitmaps.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "glyph_runs.h"
#include "gr_glyph_download.h"
#include "gr_test_support.h"
#include "gr_text_out.h"

namespace zolt::test {
namespace {

std::string Code(const std::vector<BYTE>& src, uint32_t cap = 0x20000) {
  std::vector<BYTE> out(cap + 1, 0xEE);
  const int32_t n = GrRunCodeGlyph(src.data(), uint32_t(src.size()), out.data(), cap);
  if (n < 0) return "refused";
  EXPECT_EQ(out[size_t(n)], n < int32_t(cap) ? 0xEE : out[size_t(n)]) << "wrote past its length";
  return Hex(std::string_view(reinterpret_cast<const char*>(out.data()), size_t(n)));
}

std::vector<BYTE> Repeat(size_t n, BYTE b) { return std::vector<BYTE>(n, b); }

std::vector<BYTE> Join(std::initializer_list<std::vector<BYTE>> parts) {
  std::vector<BYTE> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(GrGlyphRuns, UnitsByteByByte) {
  const struct {
    const char* what;
    std::vector<BYTE> src;
    const char* coded;
  } cases[] = {
      {"nothing", {}, ""},
      {"all zeros cost nothing", Repeat(40, 0), ""},
      {"four equal bytes: one repeat unit", {5, 5, 5, 5}, "82 05"},
      {"three equal bytes: the shortest repeat", {9, 9, 9}, "81 09"},
      {"two zeros and a literal of one", {0, 0, 7}, "10 07"},
      {"20 zeros before a byte: zero count extended", Join({Repeat(20, 0), {1}}), "78 05 01"},
      {"15 zeros: extension byte 0", Join({Repeat(15, 0), {1}}), "78 00 01"},
      {"270 zeros: one 0xFF and the rest", Join({Repeat(270, 0), {1}}), "78 ff 00 01"},
      {"a literal of seven: count field 6", {1, 2, 3, 4, 5, 6, 7}, "06 01 02 03 04 05 06 07"},
      {"a literal of eight: count extended by 0", {1, 2, 3, 4, 5, 6, 7, 8}, "07 00 01 02 03 04 05 06 07 08"},
      {"a repeat of 9: count field 7", Repeat(9, 0xAA), "87 00 aa"},
      {"a repeat of 264: count 262 = 7 + 255", Repeat(264, 0x11), "87 ff 00 11"},
      {"a literal stops before four equal bytes", {1, 2, 3, 3, 3, 3}, "01 01 02 82 03"},
      {"and before three equal bytes and a zero", {1, 2, 3, 3, 3, 0, 4}, "01 01 02 81 03 08 04"},
      {"but runs on over three equal bytes and more", {1, 3, 3, 3, 2}, "04 01 03 03 03 02"},
      {"a literal ends at a zero", {1, 2, 0, 3}, "01 01 02 08 03"},
      {"trailing zeros are dropped", {0xFF, 0, 0, 0}, "00 ff"},
      {"zeros and a repeat", {0, 0, 0, 8, 8, 8, 8, 8}, "9b 08"},
  };
  for (const auto& t : cases) EXPECT_EQ(Code(t.src), t.coded) << t.what;
}

TEST(GrGlyphRuns, OutputLimits) {
  // Every byte must fit, and a literal must fit whole.
  EXPECT_EQ(Code({5, 5, 5, 5}, 2), "82 05");
  EXPECT_EQ(Code({5, 5, 5, 5}, 1), "refused");
  EXPECT_EQ(Code({1, 2, 3}, 3), "refused");
  EXPECT_EQ(Code({1, 2, 3}, 4), "02 01 02 03");
  EXPECT_EQ(Code({0, 0, 0}, 0), "");
  // A coding longer than a 16-bit length is refused instead of cut.
  std::vector<BYTE> noisy(0x12000);
  for (size_t i = 0; i < noisy.size(); ++i) noisy[i] = BYTE(1 + i % 251);
  EXPECT_EQ(Code(noisy, 0x20000), "refused");
}

// Bitmaps of a glyph: rows of (width + 7) / 8 bytes.
struct Bitmap {
  const char* what;
  uint32_t width, height;
  std::vector<BYTE> bits;
};

std::vector<Bitmap> Bitmaps() {
  std::vector<Bitmap> list;
  auto add = [&](const char* what, uint32_t w, uint32_t h, auto pixel) {
    Bitmap b{what, w, h, std::vector<BYTE>(size_t((w + 7) / 8) * h, 0)};
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < w; ++x)
        if (pixel(x, y)) b.bits[y * ((w + 7) / 8) + x / 8] |= BYTE(0x80 >> (x % 8));
    list.push_back(std::move(b));
  };
  add("empty", 24, 30, [](uint32_t, uint32_t) { return false; });
  add("full", 24, 30, [](uint32_t, uint32_t) { return true; });
  add("alternating pixels", 24, 30, [](uint32_t x, uint32_t y) { return (x + y) % 2 == 0; });
  add("alternating rows", 17, 9, [](uint32_t, uint32_t y) { return y % 2 == 0; });
  add("widest row", 2040, 1, [](uint32_t x, uint32_t) { return x % 3 != 0; });
  add("widest, sparse", 4000, 3, [](uint32_t x, uint32_t y) { return (x * 7 + y) % 97 == 0; });
  add("one pixel", 1, 1, [](uint32_t, uint32_t) { return true; });
  add("a ring", 64, 64, [](uint32_t x, uint32_t y) {
    const int dx = int(x) - 32, dy = int(y) - 32;
    return dx * dx + dy * dy < 900 && dx * dx + dy * dy > 500;
  });
  add("noise", 33, 33, [](uint32_t x, uint32_t y) { return ((x * 2654435761u) ^ (y * 40503u)) % 5 < 2; });
  // Bytes that never repeat and are never zero: no coding is shorter than the bits.
  Bitmap distinct{"no runs", 64, 16, std::vector<BYTE>(8 * 16)};
  for (size_t i = 0; i < distinct.bits.size(); ++i) distinct.bits[i] = BYTE(1 + (i * 37) % 250);
  list.push_back(distinct);
  return list;
}

TEST(GrGlyphRuns, DecodesBackOnATableOfBitmaps) {
  for (const Bitmap& b : Bitmaps()) {
    const uint32_t raw = uint32_t(b.bits.size());
    const uint32_t cap = (raw + 3) & ~3u;
    std::vector<BYTE> out(cap);
    const int32_t n = GrRunCodeGlyph(b.bits.data(), raw, out.data(), cap);
    if (n < 0) {
      // Only a coding that does not fit in the raw size is refused.
      std::vector<BYTE> big(raw * 2 + 64);
      const int32_t m = GrRunCodeGlyph(b.bits.data(), raw, big.data(), uint32_t(big.size()));
      ASSERT_GT(m, int32_t(cap)) << b.what;
      continue;
    }
    std::string decoded, error;
    ASSERT_TRUE(blocks::DecodeGlyphRuns(std::string_view(reinterpret_cast<const char*>(out.data()), size_t(n)), raw,
                                        &decoded, &error))
        << b.what << ": " << error;
    EXPECT_EQ(decoded, std::string(b.bits.begin(), b.bits.end())) << b.what;
  }
}

TEST(GrGlyphRuns, PackingChoosesCodedOrRawBits) {
  TestPdev pdev;
  for (const Bitmap& b : Bitmaps()) {
    std::vector<BYTE> storage(offsetof(GLYPHBITS, aj) + std::max<size_t>(b.bits.size(), 1));
    auto* gb = reinterpret_cast<GLYPHBITS*>(storage.data());
    gb->sizlBitmap = SIZEL{LONG(b.width), LONG(b.height)};
    std::memcpy(gb->aj, b.bits.data(), b.bits.size());
    PackedGlyph packed{};
    ASSERT_EQ(GrPackGlyphBitmap(pdev.get(), gb, &packed), 1) << b.what;
    std::string bits;
    if (packed.compression == kGlyphRunLength) {
      ASSERT_NE(packed.owned, nullptr);
      std::string error;
      ASSERT_TRUE(blocks::DecodeGlyphRuns(std::string_view(reinterpret_cast<const char*>(packed.data), packed.length),
                                          b.bits.size(), &bits, &error))
          << error;
    } else {
      EXPECT_EQ(packed.compression, kGlyphRaw);
      EXPECT_EQ(packed.data, gb->aj);
      EXPECT_EQ(packed.length, b.bits.size());
      bits.assign(reinterpret_cast<const char*>(packed.data), packed.length);
    }
    EXPECT_EQ(bits, std::string(b.bits.begin(), b.bits.end())) << b.what;
    const std::string what = b.what;
    if (what == "empty" || what == "no runs") {
      EXPECT_EQ(packed.compression, kGlyphRaw) << what;  // the empty one codes to nothing
    } else if (what == "full") {
      EXPECT_EQ(packed.compression, kGlyphRunLength);
    }
    GrFreePackedGlyph(pdev.get(), &packed);
  }
}

TEST(GrGlyphRuns, DecoderRefusesBrokenCodings) {
  std::string out, error;
  const struct {
    const char* coded;
    size_t size;
  } cases[] = {{"\x82", 8}, {"\x07\x01", 8}, {"\x78", 30}, {"\x82\x05", 3}, {"\x78\x05\x01", 20}};
  for (const auto& t : cases) EXPECT_FALSE(blocks::DecodeGlyphRuns(t.coded, t.size, &out, &error)) << Hex(t.coded);
}

TEST(GrGlyphTable, HeldGlyphsUntilTheTableIsCleared) {
  TestPdev pdev;
  const uint16_t gen = pdev->glyphGeneration;
  const uint32_t bucket = GrGlyphKey(0x1234, gen, u'A');
  EXPECT_EQ(bucket, (0x1234u + gen + 0x41) & 0x3FF);
  EXPECT_FALSE(GrGlyphCacheFind(pdev.get(), bucket, 0x1234, gen, u'A', 2));
  ASSERT_TRUE(GrGlyphCacheAdd(pdev.get(), bucket, 0x1234, gen, u'A', 2));
  // A second glyph in the same bucket chains after the first.
  const uint32_t same = GrGlyphKey(0x1234 - 1, gen, u'B');
  ASSERT_EQ(same, bucket);
  ASSERT_TRUE(GrGlyphCacheAdd(pdev.get(), same, 0x1233, gen, u'B', 2));
  EXPECT_TRUE(GrGlyphCacheFind(pdev.get(), bucket, 0x1234, gen, u'A', 2));
  EXPECT_TRUE(GrGlyphCacheFind(pdev.get(), bucket, 0x1233, gen, u'B', 2));
  // Every value of the key counts.
  EXPECT_FALSE(GrGlyphCacheFind(pdev.get(), bucket, 0x1234, gen, u'A', 3));
  EXPECT_FALSE(GrGlyphCacheFind(pdev.get(), bucket, 0x1234, uint16_t(gen + 1), u'A', 2));
  EXPECT_FALSE(GrGlyphCacheAdd(pdev.get(), 1024, 1, gen, u'A', 2));
  EXPECT_FALSE(GrGlyphCacheFind(pdev.get(), 1024, 1, gen, u'A', 2));
  GrGlyphCacheClear(pdev.get());
  EXPECT_EQ(pdev->glyphGeneration, uint16_t(gen + 1));
  EXPECT_FALSE(GrGlyphCacheFind(pdev.get(), bucket, 0x1234, gen, u'A', 2));
  for (void* b : pdev->glyphTable) ASSERT_EQ(b, nullptr);
}

}  // namespace
}  // namespace zolt::test
