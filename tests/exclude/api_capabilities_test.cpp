// Capability queries of the settings interface against the sample printer.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "api_fixture.h"

namespace {

using zolt::test::ApiTest;
using zolt::test::kApiPrinter;

TEST_F(ApiTest, EveryEnabledCapabilityAnswersWithoutAndWithABuffer) {
  SetIniVersion(u"22");
  DriverContext* ctx = Open();
  ASSERT_NE(ctx, nullptr);
  std::vector<uint32_t> ids;
  for (uint32_t id = 1; id <= 150; ++id) ids.push_back(id);
  for (uint32_t id = 257; id <= 282; ++id) ids.push_back(id);
  for (uint32_t id : ids) {
    const int32_t count = ZOLTDrvGetCaps(ctx, id, nullptr);
    EXPECT_GE(count, -1) << "capability " << id;
    // A buffer large enough for the widest slots (numbers and pairs answer more than any list
    // holds): the answer with data matches the answer without.
    const size_t entries = count > 0 && count < 4096 ? static_cast<size_t>(count) : 1;
    std::vector<uint8_t> buffer(entries * 260 + 64, 0xCD);
    const int32_t again = ZOLTDrvGetCaps(ctx, id, buffer.data());
    EXPECT_EQ(again, count) << "capability " << id;
  }
}

TEST_F(ApiTest, DisabledRowsAndSpecialIds) {
  SetIniVersion(u"22");
  DriverContext* ctx = Open();
  ASSERT_NE(ctx, nullptr);
  for (uint32_t id : {58u, 59u, 68u}) EXPECT_EQ(ZOLTDrvGetCaps(ctx, id, nullptr), 0) << id;
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 1, nullptr), 1);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 24, nullptr), 1);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 0x30000, nullptr), OptGetValue(ctx, 236, nullptr));
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 74, nullptr), 1);  // version 22 is above 9
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 999, nullptr), 0);
}

TEST_F(ApiTest, VersionThreeKnowsOnlyTheFirstCapabilities) {
  SetIniVersion(u"22");
  DriverContext* ctx = Open(kApiPrinter, 3);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 57, nullptr), 0);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 74, nullptr), 0);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 1, nullptr), 1);
}

TEST_F(ApiTest, PaperListsAgreeWithEachOther) {
  SetIniVersion(u"22");
  DriverContext* ctx = Open();
  ASSERT_NE(ctx, nullptr);
  const int32_t papers = ZOLTDrvGetCaps(ctx, 10, nullptr);
  ASSERT_GT(papers, 0);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 11, nullptr), papers);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 12, nullptr), papers);
  std::vector<uint32_t> codes(static_cast<size_t>(papers));
  ASSERT_EQ(ZOLTDrvGetCaps(ctx, 10, codes.data()), papers);
  std::vector<char> names(static_cast<size_t>(papers) * 64);
  ASSERT_EQ(ZOLTDrvGetCaps(ctx, 11, names.data()), papers);
  std::vector<int32_t> sizes(static_cast<size_t>(papers) * 2);
  ASSERT_EQ(ZOLTDrvGetCaps(ctx, 12, sizes.data()), papers);
  for (int32_t i = 0; i < papers; ++i) {
    const char* name = names.data() + i * 64;
    EXPECT_LT(std::strlen(name), 64u);
    if (codes[static_cast<size_t>(i)] == 9) {  // A4
      EXPECT_EQ(sizes[static_cast<size_t>(2 * i)], 2100);
      EXPECT_EQ(sizes[static_cast<size_t>(2 * i + 1)], 2970);
    }
  }
  int16_t maxExtent[2] = {};
  int16_t minExtent[2] = {};
  const int32_t packed = ZOLTDrvGetCaps(ctx, 13, maxExtent);
  EXPECT_EQ(packed, static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(maxExtent[1])) << 16) |
                                         static_cast<uint16_t>(maxExtent[0])));
  ZOLTDrvGetCaps(ctx, 14, minExtent);
  EXPECT_GT(maxExtent[0], minExtent[0]);
  EXPECT_GT(maxExtent[1], minExtent[1]);
}

TEST_F(ApiTest, SelectableListsAndRanges) {
  SetIniVersion(u"22");
  DriverContext* ctx = Open();
  ASSERT_NE(ctx, nullptr);
  // Sources: the count without a buffer is what the list holds, and the names follow it.
  const int32_t bins = ZOLTDrvGetCaps(ctx, 2, nullptr);
  ASSERT_GE(bins, 0);
  std::vector<char> binNames(static_cast<size_t>(bins) * 24 + 24);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 3, binNames.data()), bins);
  for (int32_t i = 0; i < bins; ++i) EXPECT_LT(std::strlen(binNames.data() + i * 24), 24u);
  // Output trays: none offered, or a leading 0 (only the 0 when fewer than two trays follow).
  const int32_t trays = ZOLTDrvGetCaps(ctx, 6, nullptr);
  ASSERT_GE(trays, 0);
  EXPECT_NE(trays, 2);
  if (trays > 0) {
    std::vector<uint32_t> trayList(static_cast<size_t>(trays));
    ZOLTDrvGetCaps(ctx, 6, trayList.data());
    EXPECT_EQ(trayList[0], 0u);
  }
  // Copies and the margin ranges.
  EXPECT_GT(ZOLTDrvGetCaps(ctx, 17, nullptr), 1);
  const int32_t shift = ZOLTDrvGetCaps(ctx, 34, nullptr);
  if (shift == 1) {
    EXPECT_GE(ZOLTDrvGetCaps(ctx, 37, nullptr), ZOLTDrvGetCaps(ctx, 38, nullptr));
  }
  // Resolutions: at least the fallback entry.
  int32_t resolutions[64] = {};
  EXPECT_GE(ZOLTDrvGetCaps(ctx, 54, resolutions), 1);
}

TEST_F(ApiTest, FunctionBitsOfTheDriverDefaultsFile) {
  SetIniVersion(u"22");
  DriverContext* ctx = Open();
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 57, nullptr), 0);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 0x40000, nullptr), 0);
  std::u16string path = zolt::test::kDriverIni;
  ASSERT_TRUE(WritePrivateProfileStringW(u"ZOLTAPI", u"ZOLTAPIFunc1", u"1028", path.c_str()));  // 4 | 0x400
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 57, nullptr), 1);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 0x40000, nullptr), 1);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 118, nullptr), 0);  // bit 0x200 is not set
}

}  // namespace
