// The escapes of the graphics module with good and bad payloads.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../common/mdl/mdl_eval_fixture.h"
#include "gr_drawing_entries.h"
#include "gr_escapes.h"
#include "gr_test_support.h"
#include "option_access.h"

namespace zolt::test {
namespace {

class Escapes : public ModelContextTest {
 protected:
  void SetUp() override {
    ModelContextTest::SetUp();
    pdev_->context = ctx;
    surface_.dhpdev = reinterpret_cast<DHPDEV>(pdev_.get());
    GrClearEscapeStrings();
  }
  void TearDown() override {
    pdev_->context = nullptr;
    GrClearEscapeStrings();
    ModelContextTest::TearDown();
  }
  ULONG Esc(ULONG escape, const void* in, ULONG inSize, void* out = nullptr, ULONG outSize = 0) {
    return DrvEscape(&surface_, escape, inSize, const_cast<void*>(in), outSize, out);
  }
  std::string Text(uint16_t option) {
    const BYTE* p = OptGetValuePointer(ctx, option, nullptr);
    return p ? std::string(reinterpret_cast<const char*>(p)) : std::string("<none>");
  }
  TestPdev pdev_;
  SURFOBJ surface_{};
};

TEST_F(Escapes, SupportQueryAndCopyCount) {
  const uint16_t numbers[] = {8, 17, 19, 20, 42, 111, 126, 127, 140, 141, 9999};
  const ULONG answers[] = {1, 999, 0, 1, 1, 1, 1, 0, 1, 1, 0};
  for (size_t i = 0; i < std::size(numbers); ++i) EXPECT_EQ(Esc(8, &numbers[i], 2), answers[i]) << numbers[i];
  pdev_->passThrough = 1;
  EXPECT_EQ(Esc(8, &numbers[2], 2), 1u);
  EXPECT_EQ(Esc(8, nullptr, 0), 0u);
  EXPECT_EQ(Esc(8, numbers, 1), 0u) << "half a number";

  struct Case {
    uint32_t count;
    uint32_t copies;
  };
  for (Case c : {Case{0, 1}, Case{5, 5}, Case{998, 998}, Case{999, 999}, Case{5000, 999}, Case{0xFFFFFFFFu, 999}}) {
    uint32_t out = 0;
    EXPECT_EQ(Esc(17, &c.count, 4, &out, 4), 1u);
    EXPECT_EQ(out, c.copies) << c.count;
    EXPECT_EQ(OptGetValue(ctx, 12, nullptr), static_cast<int32_t>(c.copies));
  }
  EXPECT_EQ(Esc(17, nullptr, 0), static_cast<ULONG>(-1));
  const uint16_t shortCount = 3;
  EXPECT_EQ(Esc(17, &shortCount, 2), static_cast<ULONG>(-1));
}

TEST_F(Escapes, AnswersIntoTheCallersBuffer) {
  char tech[5] = {};
  EXPECT_EQ(Esc(20, nullptr, 0, tech, 5), 1u);
  EXPECT_STREQ(tech, "ZOLT");
  EXPECT_EQ(Esc(20, nullptr, 0, tech, 4), 0u) << "no room for the terminator";
  char version[40] = {};
  EXPECT_EQ(Esc(140, nullptr, 0, version, sizeof version), 1u);
  EXPECT_STREQ(version, "KELDRA.LIB TYPE-B MASTER 2.74.10");
  EXPECT_EQ(Esc(140, nullptr, 0, version, 10), 0u);
  pdev_->filterFileName = u"C:\\drv\\QVF9C123.DLL";
  char filter[32] = {};
  EXPECT_EQ(Esc(141, nullptr, 0, filter, sizeof filter), 1u);
  EXPECT_STREQ(filter, "C:\\drv\\QVF9C123.DLL");
  EXPECT_EQ(Esc(141, nullptr, 0, filter, 5), 0u);

  pdev_->printWidthDots = 4800, pdev_->printLengthDots = 6800, pdev_->offsetXDots = 100, pdev_->offsetYDots = 120;
  float units[4] = {-1, -1, -1, -1};
  EXPECT_EQ(Esc(42, nullptr, 0, units, sizeof units), 1u);
  EXPECT_EQ(std::vector<float>(units, units + 4), (std::vector<float>{4800, 6800, 0, 0})) << "no page open";
  pdev_->flags |= kPdevPageOpen;
  EXPECT_EQ(Esc(42, nullptr, 0, units, sizeof units), 1u);
  EXPECT_EQ(std::vector<float>(units, units + 4), (std::vector<float>{4800, 6800, 100, 120}));
  EXPECT_EQ(Esc(42, nullptr, 0, units, 12), 0u);

  OptSetValue(ctx, 209, 3);
  uint16_t word = 0;
  EXPECT_EQ(Esc(120, nullptr, 0, &word, 2), 1u);
  EXPECT_EQ(word, 3);
  EXPECT_EQ(Esc(120, nullptr, 0, nullptr, 0), 1u) << "no output: nothing written";
  EXPECT_EQ(Esc(120, nullptr, 0, &word, 1), 1u);
}

TEST_F(Escapes, JobStringsAreCutToTheirFields) {
  EXPECT_EQ(Esc(111, "1234", 5), 1u);
  EXPECT_EQ(Text(203), "1234");
  EXPECT_EQ(Esc(111, "123456789012", 12), 1u);  // not terminated, longer than the field
  EXPECT_EQ(Text(203), "12345678");
  EXPECT_EQ(Esc(112, "Owner", 3), 1u);
  EXPECT_EQ(Text(204), "Own");
  EXPECT_EQ(Esc(123, "auth user", 10), 1u);
  EXPECT_EQ(Text(1144), "auth user");
  EXPECT_EQ(Esc(117, " 42x", 4), 1u);
  EXPECT_EQ(OptGetValue(ctx, 234, nullptr), 42);
  EXPECT_EQ(Esc(115, nullptr, 0), 1u);
  EXPECT_EQ(Text(206), "");

  const std::u16string ini = u"C:\\Temp\\job.ini";
  EXPECT_EQ(Esc(121, ini.c_str(), static_cast<ULONG>((ini.size() + 1) * 2)), 1u);
  EXPECT_EQ(std::u16string(ctx->workArea->settingsIniPath), ini);
  EXPECT_EQ(Esc(121, ini.c_str(), 7), 1u) << "an odd size reads whole characters only";
  EXPECT_EQ(std::u16string(ctx->workArea->settingsIniPath), u"C:\\");
}

TEST_F(Escapes, StringTableFillsTheTextsByPosition) {
  EscapeStringRow rows[kEscapeStringRows] = {};
  const std::u16string texts[] = {u"Secret", u"Copy", u"Draft"};
  for (int i = 0; i < 3; ++i) {
    rows[i].key = static_cast<int16_t>(1 + i);  // keys are not compared
    std::copy(texts[i].begin(), texts[i].end(), rows[i].text);
  }
  EXPECT_EQ(Esc(122, rows, sizeof rows), 1u);
  EXPECT_EQ(std::u16string(GrFindEscapeString(731)->text), u"Secret");
  EXPECT_EQ(std::u16string(GrFindEscapeString(735)->text), u"Draft");
  EXPECT_EQ(GrFindEscapeString(0), nullptr);
  EXPECT_EQ(GrFindEscapeString(732), nullptr);
  // A later table replaces the texts; a short one replaces only the rows it holds whole.
  std::fill(std::begin(rows[0].text), std::end(rows[0].text), u'x');  // no terminator
  rows[1].text[0] = u'K';
  EXPECT_EQ(Esc(122, rows, sizeof(EscapeStringRow) * 2 - 1), 1u);
  EXPECT_EQ(std::u16string(GrFindEscapeString(731)->text), std::u16string(260, u'x'));
  EXPECT_EQ(std::u16string(GrFindEscapeString(733)->text), u"Copy");
  EXPECT_EQ(Esc(122, nullptr, 0), 1u);
  // Keys and string ids of the module's table stay.
  EXPECT_EQ(GrEscapeStringTable()[2].stringId, 15002);
}

TEST_F(Escapes, PassThroughWritesTheBytesAsTheyAre) {
  const BYTE data[] = {5, 0, 'h', 'e', 'l', 'l', 'o'};
  EXPECT_EQ(Esc(19, data, sizeof data), 0u) << "not a pass-through job";
  pdev_->passThrough = 1;
  EXPECT_EQ(Esc(19, data, sizeof data), 5u);
  EXPECT_EQ(Captured().bytes, "hello");
  EXPECT_EQ(Esc(19, data, 6), static_cast<ULONG>(-1)) << "fewer bytes than announced";
  EXPECT_EQ(Esc(19, data, 1), static_cast<ULONG>(-1));
  Captured().failAt = static_cast<int>(Captured().pieces.size()) + 1;
  EXPECT_EQ(Esc(19, data, sizeof data), static_cast<ULONG>(-1));
}

TEST_F(Escapes, BadRecordOrUnknownEscape) {
  SURFOBJ other{};
  EXPECT_EQ(DrvEscape(&other, 20, 0, nullptr, 0, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  char out[8];
  EXPECT_EQ(Esc(4242, nullptr, 0, out, sizeof out), 0u);
}

}  // namespace
}  // namespace zolt::test
