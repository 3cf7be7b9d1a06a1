// The listed capabilities of watermarks, presets, quality entries and colour matching, and the
// all-capabilities record, against both sample models.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "api_fixture.h"
#include "api_records.h"
#include "preset_list.h"
#include "quality_list.h"
#include "stamp_list.h"
#define ZOLTSETTINGS_RECORDS_ONLY
#include "zoltsettings.h"

namespace {

using zolt::test::ApiTest;

// The outside program's record and the module's agree byte for byte.
static_assert(sizeof(ZoltDrvAllCaps) == sizeof(AllCapabilities));
static_assert(sizeof(ZoltCapList) == sizeof(ApiCapList));
static_assert(offsetof(ZoltDrvAllCaps, cap2) == offsetof(AllCapabilities, cap2));
static_assert(offsetof(ZoltDrvAllCaps, cap124) == offsetof(AllCapabilities, cap124));
static_assert(offsetof(ZoltDrvAllCaps, cap282) == offsetof(AllCapabilities, cap282));
static_assert(ZOLTDRV_CAPS_ALL == kCapAllCapabilities && ZOLTDRV_CAPS_FREE == kCapFreeAllCapabilities);

// Each sample model as the printer's data file.
class BothModelsTest : public ApiTest, public ::testing::WithParamInterface<const char*> {
 protected:
  std::filesystem::path ModelFile() const override {
    return std::filesystem::path(ZOLT_SOURCE_DIR) / "samples" / "models" / GetParam();
  }
  void SetUp() override {
    ApiTest::SetUp();
    SetIniVersion(u"22");
    ctx_ = Open();
    ASSERT_NE(ctx_, nullptr);
  }
  std::vector<uint32_t> List(uint32_t id) {
    const int32_t n = ZOLTDrvGetCaps(ctx_, id, nullptr);
    if (n <= 0) return {};
    std::vector<uint32_t> out(static_cast<size_t>(n) + 1, 0xCDCDCDCDu);
    EXPECT_EQ(ZOLTDrvGetCaps(ctx_, id, out.data()), n) << "capability " << id;
    EXPECT_EQ(out.back(), 0xCDCDCDCDu) << "capability " << id << " wrote past its count";
    out.pop_back();
    return out;
  }
  std::vector<std::string> Names(uint32_t id, size_t slot = 64) {
    const int32_t n = ZOLTDrvGetCaps(ctx_, id, nullptr);
    if (n <= 0) return {};
    std::vector<char> buffer((static_cast<size_t>(n) + 1) * slot, '\x7F');
    EXPECT_EQ(ZOLTDrvGetCaps(ctx_, id, buffer.data()), n) << "capability " << id;
    std::vector<std::string> out;
    for (int32_t i = 0; i < n; ++i) {
      const char* name = buffer.data() + static_cast<size_t>(i) * slot;
      EXPECT_LT(strnlen(name, slot), slot) << "capability " << id << " slot " << i;
      out.emplace_back(name, strnlen(name, slot));
    }
    EXPECT_EQ(buffer[static_cast<size_t>(n) * slot], '\x7F') << "capability " << id << " wrote past its slots";
    return out;
  }
  DriverContext* ctx_ = nullptr;
};

TEST_P(BothModelsTest, NameListsFollowTheirCodeLists) {
  struct Pair {
    uint32_t codes;
    uint32_t names;
  } pairs[] = {{32, 33}, {85, 86}, {271, 272}, {266, 267}, {268, 269}, {281, 282}, {278, 279}};
  for (const Pair& p : pairs) {
    const std::vector<uint32_t> codes = List(p.codes);
    const std::vector<std::string> names = Names(p.names);
    EXPECT_EQ(names.size(), codes.size()) << "capabilities " << p.codes << " and " << p.names;
  }
  // The watermark list starts with the interface's slot, whose name is empty.
  const std::vector<uint32_t> watermarks = List(32);
  if (!watermarks.empty()) {
    EXPECT_EQ(watermarks[0], 256u);
    EXPECT_EQ(watermarks.size(), static_cast<size_t>(CfgGetStampCount(ctx_)) + 1);
    EXPECT_EQ(Names(33)[0], "");
  }
  // The quality list starts with the interface's entry 160 and has one more entry per quality.
  const std::vector<uint32_t> macros = List(271);
  ASSERT_FALSE(macros.empty());
  EXPECT_EQ(macros[0], 160u);
  EXPECT_EQ(List(85).size(), static_cast<size_t>(CfgGetPresetCount(ctx_)));
}

TEST_P(BothModelsTest, ListsThatStartWithOffAndFixedAnswers) {
  // The duplex lists lead with 0 (off) while duplex is not locked, and 104 holds every type of 103.
  if (ZOLTDrvGetCaps(ctx_, 25, nullptr) != 0) {
    const std::vector<uint32_t> selectable = List(103);
    const std::vector<uint32_t> all = List(104);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all[0], 0u);
    for (uint32_t type : selectable) EXPECT_NE(std::find(all.begin(), all.end(), type), all.end()) << type;
  } else {
    EXPECT_EQ(ZOLTDrvGetCaps(ctx_, 103, nullptr), 0);
  }
  // The layout lists are computed on a copy: the settings are as before.
  const std::string before = SettingsBytes(ctx_);
  List(105);
  List(106);
  List(271);
  Names(272);
  Names(33);
  EXPECT_EQ(SettingsBytes(ctx_), before);
  // The fixed adjustment lengths: zero, and data 0.
  uint32_t positive = 7;
  EXPECT_EQ(ZOLTDrvGetCaps(ctx_, 131, &positive), 0);
  EXPECT_EQ(positive, 0u);
  // The largest paper is not smaller than the smallest.
  int32_t largest[2] = {}, smallest[2] = {};
  EXPECT_EQ(ZOLTDrvGetCaps(ctx_, 124, largest), 1);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx_, 125, smallest), 1);
  EXPECT_GE(largest[0], smallest[0]);
  EXPECT_GE(largest[1], smallest[1]);
  EXPECT_GT(smallest[0], 0);
  // The mark paper list ends with 0.
  const std::vector<uint32_t> marks = List(56);
  if (!marks.empty()) {
    EXPECT_EQ(marks.back(), 0u);
  }
}

// Every field of the record is what the single query answers.
TEST_P(BothModelsTest, WholeRecordMatchesTheSingleQueries) {
  AllCapabilities* record = nullptr;
  ASSERT_EQ(ZOLTDrvGetCaps(ctx_, kCapAllCapabilities, &record), 1) << ZOLTDrvGetLastError(ctx_);
  ASSERT_NE(record, nullptr);
  uint8_t bitmap[64] = {};
  ASSERT_EQ(ZOLTDrvGetCaps(ctx_, 0, bitmap), 64);
  EXPECT_EQ(std::memcmp(record->statusBitmap, bitmap, 64), 0);
  EXPECT_EQ(record->cap1, 1);
  EXPECT_EQ(record->cap17, ZOLTDrvGetCaps(ctx_, 17, nullptr));
  EXPECT_EQ(record->cap150, ZOLTDrvGetCaps(ctx_, 150, nullptr));
  int16_t extent[2] = {};
  ZOLTDrvGetCaps(ctx_, 13, extent);
  EXPECT_EQ(record->cap13[0], extent[0]);
  EXPECT_EQ(record->cap13[1], extent[1]);
  int32_t largest[2] = {};
  ZOLTDrvGetCaps(ctx_, 124, largest);
  EXPECT_EQ(record->cap124[0], largest[0]);
  struct ListField {
    uint32_t id;
    const ApiCapList* list;
    size_t element;
  } lists[] = {{2, &record->cap2, 4},   {10, &record->cap10, 4},  {12, &record->cap12, 8},
               {11, &record->cap11, 64}, {54, &record->cap54, 4},  {85, &record->cap85, 4},
               {86, &record->cap86, 64}, {271, &record->cap271, 4}, {127, &record->cap127, 260}};
  for (const ListField& f : lists) {
    const int32_t n = ZOLTDrvGetCaps(ctx_, f.id, nullptr);
    EXPECT_EQ(f.list->count, n > 0 ? n : 0) << "capability " << f.id;
    if (n <= 0) {
      EXPECT_EQ(f.list->entries, nullptr) << "capability " << f.id;
      continue;
    }
    std::vector<uint8_t> single(static_cast<size_t>(n) * f.element);
    ZOLTDrvGetCaps(ctx_, f.id, single.data());
    ASSERT_NE(f.list->entries, nullptr);
    EXPECT_EQ(std::memcmp(f.list->entries, single.data(), single.size()), 0) << "capability " << f.id;
  }
  EXPECT_EQ(ZOLTDrvGetCaps(ctx_, kCapFreeAllCapabilities, record), 1);
}

INSTANTIATE_TEST_SUITE_P(Models, BothModelsTest, ::testing::Values("ZOLT7000.QCS", "ZOLT2100.QCS"));

TEST_F(ApiTest, WholeRecordErrorsAndVersions) {
  SetIniVersion(u"22");
  DriverContext* ctx = Open(zolt::test::kApiPrinter, 22);
  ASSERT_NE(ctx, nullptr);
  // No place for the record: refused with error 5; freeing nothing succeeds.
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, kCapAllCapabilities, nullptr), 0);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx), kApiErrNoRecord);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, kCapFreeAllCapabilities, nullptr), 1);
  // Below version 6 the record stops after capability 57, and the bitmap copy is 32 bytes.
  ApiInitRecord init{0, 5};
  ZOLTDrvInit(1, &init);
  AllCapabilities* record = nullptr;
  ASSERT_EQ(ZOLTDrvGetCaps(ctx, kCapAllCapabilities, &record), 1);
  EXPECT_EQ(record->cap1, 1);
  EXPECT_EQ(record->cap60, 0);
  EXPECT_EQ(record->cap61.count, 0);
  EXPECT_EQ(record->cap150, 0);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, kCapFreeAllCapabilities, record), 1);
  // Version 2: the watermark kinds never hold the tile pattern.
  init.version = 2;
  ZOLTDrvInit(1, &init);
  std::u16string path = zolt::test::kDriverIni;
  ASSERT_TRUE(WritePrivateProfileStringW(u"ZOLTAPI", u"ZOLTAPIFunc1", u"1", path.c_str()));
  uint32_t kinds[8] = {};
  const int32_t n = ZOLTDrvGetCaps(ctx, 30, kinds);
  for (int32_t i = 0; i < n; ++i) EXPECT_NE(kinds[i], 128u);
  init.version = 22;
  ZOLTDrvInit(1, &init);
  if (ZOLTDrvGetCaps(ctx, 31, nullptr) != 0) {
    const int32_t m = ZOLTDrvGetCaps(ctx, 30, kinds);
    ASSERT_GT(m, 0);
    EXPECT_EQ(kinds[m - 1], 128u);
  }
}

}  // namespace
