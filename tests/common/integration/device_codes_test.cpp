// The device code tables: the tray tables against the option names they fill, and the lookups
// with the edge cases of their place-holder values and the priority list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../settings/option_store_fixture.h"
#include "device_codes.h"

namespace {

using zolt::test::StoreContextTest;

std::u16string Name(DriverContext* ctx, uint16_t id) {
  const WCHAR* name = OptGetFieldName(ctx, id);
  return name ? name : u"";
}

std::u16string Number(int n) {
  const std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

class DeviceCodeTables : public StoreContextTest {};

// Every tray row names the installed bit, orientation, paper, media and lock option of one
// device tray n: zdmTrayField<n>, zdmTrayOrient<n>, zdmTray<n+1>Paper..., zdmTray<n+1>Media...,
// zdmTrayLock<n>.
TEST_F(DeviceCodeTables, TrayRowsNameTheOptionsOfOneTray) {
  const DeviceCodeRow* installed = BidiFixedTrayTable(DeviceTrayColumn::kInstalled);
  int rows = 0;
  for (const DeviceCodeRow* row = installed; row->value != 0; ++row, ++rows) {
    const DWORD code = row->code;
    const int n = row->value - 10111;
    SCOPED_TRACE(code);
    EXPECT_EQ(Name(ctx, row->value), u"zdmTrayField" + Number(n));
    EXPECT_EQ(Name(ctx, BidiTrayCodeToOption(code, DeviceTrayColumn::kOrientation)), u"zdmTrayOrient" + Number(n));
    EXPECT_EQ(Name(ctx, BidiTrayCodeToOption(code, DeviceTrayColumn::kPaper)).rfind(u"zdmTray" + Number(n + 1) + u"Paper", 0), 0u);
    EXPECT_EQ(Name(ctx, BidiTrayCodeToOption(code, DeviceTrayColumn::kMedia)).rfind(u"zdmTray" + Number(n + 1) + u"Media", 0), 0u);
    EXPECT_EQ(Name(ctx, BidiTrayCodeToOption(code, DeviceTrayColumn::kLock)), u"zdmTrayLock" + Number(n));
    EXPECT_NE(BidiTrayCodeToBin(code), 0);
  }
  EXPECT_EQ(rows, 12);
  // The model family has no tray table of its own: the fixed ones are in force.
  EXPECT_EQ(BidiTrayTable(DeviceTrayColumn::kPaper), BidiFixedTrayTable(DeviceTrayColumn::kPaper));
}

// The paper source values are the ones the tray options use: each is a value of dmDefaultSource.
TEST_F(DeviceCodeTables, TrayBinsAreSourceValues) {
  const std::vector<std::pair<DWORD, WORD>> bins = {{3, 1},  {4, 3},  {12, 5}, {5, 2},  {6, 256},  {8, 262},
                                                    {9, 263}, {7, 11}, {11, 11}, {1, 4}, {2, 4}, {101, 286}};
  for (auto [code, bin] : bins) EXPECT_EQ(BidiTrayCodeToBin(code), bin) << code;
  for (DWORD code : {0u, 10u, 13u, 51u, 102u, 0xFFFFFFFFu}) EXPECT_EQ(BidiTrayCodeToBin(code), 0) << code;
}

TEST(DeviceCodes, TraysFourAndTwelveShareEveryOptionButTheBin) {
  for (auto column : {DeviceTrayColumn::kInstalled, DeviceTrayColumn::kOrientation, DeviceTrayColumn::kPaper,
                      DeviceTrayColumn::kMedia, DeviceTrayColumn::kLock})
    EXPECT_EQ(BidiTrayCodeToOption(4, column), BidiTrayCodeToOption(12, column));
  EXPECT_EQ(BidiTrayCodeToBin(4), 3);
  EXPECT_EQ(BidiTrayCodeToBin(12), 5);
}

TEST(DeviceCodes, PaperCodesWithTheirFeedDirection) {
  struct Case {
    DWORD code;
    WORD value;
    DWORD rotated;
  };
  const Case cases[] = {
      {23, 1, 0},    {22, 1, 1},     {0, 0, 0},     {1, 0, 0},      {999, 0, 1},   {2, 449, 0},
      {58, 3, 0},    {57, 3, 1},     {284, 562, 0}, {65, 93, 1},    {5, 8, 0},     {4, 8, 1},
      {69, 512, 0},  {56, 512, 1},   {257, 538, 0}, {0xFFFFFFFF, 0, 1},
  };
  for (const Case& c : cases) {
    DWORD rotated = 7;
    EXPECT_EQ(BidiPaperCodeToValue(c.code, &rotated), c.value) << c.code;
    EXPECT_EQ(rotated, c.rotated) << c.code;
  }
  EXPECT_EQ(BidiPaperCodeToValue(23, nullptr), 1);
}

TEST(DeviceCodes, MediaCodesTakeTheirFirstRow) {
  const std::pair<DWORD, WORD> cases[] = {{6, 257}, {4, 263}, {0, 0},   {1, 1},     {22, 264},
                                          {45, 520}, {46, 0}, {9, 264}, {999, 0}};
  for (auto [code, value] : cases) EXPECT_EQ(BidiMediaCodeToValue(code), value) << code;
}

TEST(DeviceCodes, TableSizesAndEnds) {
  auto count = [](const DeviceCodeRow* rows) {
    int n = 0;
    while (rows[n].value != 0) ++n;
    return n;
  };
  EXPECT_EQ(count(BidiPaperCodeTable()), 55);
  EXPECT_EQ(count(BidiRotatedPaperCodeTable()), 29);
  EXPECT_EQ(count(BidiMediaCodeTable()), 47);
  EXPECT_EQ(BidiLookupCode(0, nullptr), 0);
  EXPECT_EQ(BidiOptionCodeToOption(1, nullptr), 0);
}

TEST(DeviceCodes, PriorityPick) {
  struct Case {
    std::vector<DWORD> codes;
    WORD picked;
  };
  const Case cases[] = {
      {{12, 4}, 4},   {{51, 0, 60}, 51}, {{200}, 0},   {{4, 3}, 3},  {{0, 0}, 0},
      {{}, 0},        {{103, 102}, 102}, {{10, 9}, 9}, {{13, 70}, 13},
  };
  for (const Case& c : cases)
    EXPECT_EQ(BidiPickPriorityTray(c.codes.data(), static_cast<DWORD>(c.codes.size())), c.picked);
  EXPECT_EQ(BidiPickPriorityTray(nullptr, 3), 0);
  EXPECT_EQ(BidiPriorityTrayList()[kDevicePriorityTrays - 1], 102u);
}

}  // namespace
