// Custom media in printer data: the exact rows of "CustomMediaData" and its count, the reset
// state, and stored values that do not fit.
#include <gtest/gtest.h>

#include <string>

#include "lock_data_fixture.h"
#include "option_constants.h"

namespace {

using zolt::test::Bytes;
using zolt::test::LockDataTest;

class CustomMedia : public LockDataTest {
 protected:
  const CustomMediaSlot& Slot(int n) { return OptGetCustomMediaTable()[n - 1]; }
  void Fill(int n, int32_t quot, const std::u16string& name, int32_t charset) {
    Set(Slot(n).quotOption, quot);
    SetText(Slot(n).nameOption, name);
    Set(Slot(n).charSetOption, charset);
  }
  void ExpectReset(int n) {
    EXPECT_EQ(Get(Slot(n).quotOption), 1) << n;
    EXPECT_EQ(Text(Slot(n).nameOption), u"") << n;
    EXPECT_EQ(Get(Slot(n).charSetOption), 0) << n;
  }
  static std::string Row(uint32_t quot, uint32_t charset, const std::string& name) {
    std::string row = Bytes({int(quot & 0xFF), int(quot >> 8 & 0xFF), int(quot >> 16 & 0xFF), int(quot >> 24),
                             int(charset & 0xFF), int(charset >> 8 & 0xFF), 0, 0});
    row += name;
    row.resize(sizeof(CustomMediaEntry), '\0');
    return row;
  }
};

TEST_F(CustomMedia, RowsAreStoredWithTheirExactLayoutAndComeBack) {
  Set(kOptCustomMediaMaxNum, 3);
  Set(kOptCustomMediaDataNum, 2);
  Fill(1, 0x01020304, u"Recycled", 0);
  Fill(2, 5, u"Heavy 2", 128);
  Fill(3, 1, u"", 0);
  ASSERT_EQ(CfgSaveCustomMedia(printer, ctx), 1);

  const auto count = Value(kCustomMediaDataNumValue);
  EXPECT_EQ(count.type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(count.bytes, Bytes({2, 0}));
  const auto data = Value(kCustomMediaDataValue);
  EXPECT_EQ(data.type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(data.bytes, Row(0x01020304, 0, "Recycled") + Row(5, 128, "Heavy 2") + Row(1, 0, ""));

  CfgResetCustomMedia(ctx);
  EXPECT_EQ(Get(kOptCustomMediaDataNum), 3);
  for (int n = 1; n <= 16; ++n) ExpectReset(n);

  ASSERT_EQ(CfgLoadCustomMedia(printer, ctx), 1);
  EXPECT_EQ(Get(kOptCustomMediaDataNum), 2);
  EXPECT_EQ(Get(Slot(1).quotOption), 0x01020304);
  EXPECT_EQ(Text(Slot(1).nameOption), u"Recycled");
  EXPECT_EQ(Get(Slot(2).quotOption), 5);
  EXPECT_EQ(Text(Slot(2).nameOption), u"Heavy 2");
  EXPECT_EQ(Get(Slot(2).charSetOption), 128);
  ExpectReset(3);
}

TEST_F(CustomMedia, StoredDataThatDoesNotFitLeavesTheResetState) {
  Set(kOptCustomMediaMaxNum, 2);
  const std::string rows = Row(7, 0, "Glossy") + Row(8, 0, "Matt");
  struct Case {
    const char* what;
    std::string count;
    std::string data;
  } cases[] = {
      {"count 0", Bytes({0, 0}), rows},
      {"one row short", Bytes({2, 0}), rows.substr(0, sizeof(CustomMediaEntry))},
      {"one byte more", Bytes({2, 0}), rows + "x"},
      {"count wider than 2 bytes", Bytes({2, 0, 0, 0}), rows},
  };
  for (const Case& c : cases) {
    Fill(1, 9, u"Old", 2);
    Put(kCustomMediaDataNumValue, c.count);
    Put(kCustomMediaDataValue, c.data);
    EXPECT_EQ(CfgLoadCustomMedia(printer, ctx), 0) << c.what;
    EXPECT_EQ(Get(kOptCustomMediaDataNum), 2) << c.what;
    ExpectReset(1);
  }
  Drop(kCustomMediaDataNumValue);
  EXPECT_EQ(CfgLoadCustomMedia(printer, ctx), 0);
}

TEST_F(CustomMedia, CountsAndNamesAreKeptInsideTheSlots) {
  // A count beyond the rows that exist stops at the maximum.
  Set(kOptCustomMediaMaxNum, 2);
  std::string longName(300, 'N');
  Put(kCustomMediaDataNumValue, Bytes({9, 0}));
  Put(kCustomMediaDataValue, Row(3, 0, longName.substr(0, 260)) + Row(4, 0, "Card"));
  ASSERT_EQ(CfgLoadCustomMedia(printer, ctx), 1);
  EXPECT_EQ(Get(kOptCustomMediaDataNum), 2);
  EXPECT_EQ(Text(Slot(1).nameOption), std::u16string(256, u'N')) << "a name without a terminator is cut to the option";
  EXPECT_EQ(Text(Slot(2).nameOption), u"Card");
  ExpectReset(3);

  // A maximum beyond the slot table writes the sixteen slots there are.
  Set(kOptCustomMediaMaxNum, 40);
  Set(kOptCustomMediaDataNum, 16);
  Fill(16, 6, u"Last", 0);
  ASSERT_EQ(CfgSaveCustomMedia(printer, ctx), 1);
  const auto data = Value(kCustomMediaDataValue);
  ASSERT_EQ(data.bytes.size(), 16 * sizeof(CustomMediaEntry));
  EXPECT_EQ(data.bytes.substr(15 * sizeof(CustomMediaEntry)), Row(6, 0, "Last"));
}

}  // namespace
