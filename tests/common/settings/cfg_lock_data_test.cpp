// Administrator lock data in printer data: the locked values of each lock (exact bytes, the
// order of the walk and where it stops), the resolution lock over the model's resolution item,
// the default settings image and the lock bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lock_data_fixture.h"

namespace {

using zolt::test::Bytes;
using zolt::test::LockDataTest;
using zolt::test::WideField;

class LockedValues : public LockDataTest {
 protected:
  void LockAll() {
    for (uint16_t id : {kOptLockTray, kOptLockMedia, kOptLockPrintType, kOptLockColor, kOptLockNupKind, kOptLockDuplex,
                        kOptLockHeaderFooter})
      Set(id, 1);
  }
};

// Every number a lock keeps, with a value each; the two texts are set on their own.
struct NumberCase {
  const char16_t* name;
  uint16_t option;
  int32_t value;
};
const NumberCase kNumbers[] = {
    {u"LockTrayData", 13, 261},         {u"LockMediaData", 54, 7},           {u"LockPrnMethodData", 691, 3},
    {u"LockColorData", 15, 2},          {u"LockNUPPOSTKindData", 91, 4},     {u"LockNUPTypeData", 92, 5},
    {u"LockDuplexTypeData", 94, 2},     {u"LockHFChoiceDateData", 100, 1},   {u"LockHFChoiceDatePosData", 108, 3},
    {u"LockHFChoiceDateFormData", 109, 6}, {u"LockHFChoicePageData", 101, 1}, {u"LockHFChoicePageFormData", 111, 2},
    {u"LockHFChoiceStrData", 102, 1},   {u"LockHFChoiceStrPosData", 112, 4}, {u"LockHFChoiceStrFormData", 113, 5},
    {u"LockHFChoiceFontData", 1011, 0x1234}, {u"LockHFChoiceSizeData", 116, 12},
};

TEST_F(LockedValues, EveryLockInForceIsWrittenWithItsExactBytesAndReadBackOntoTheOptions) {
  LockAll();
  for (const NumberCase& c : kNumbers) Set(c.option, c.value);
  SetText(114, u"Confidential");
  SetText(115, u"Arial");
  ASSERT_EQ(PrnWriteLockedValues(printer, ctx), 1);

  for (const NumberCase& c : kNumbers) {
    const auto stored = Value(c.name);
    ASSERT_EQ(stored.result, static_cast<DWORD>(ERROR_SUCCESS)) << std::string(c.name, c.name + 8);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(stored.bytes, Bytes({c.value & 0xFF, (c.value >> 8) & 0xFF, 0, 0})) << c.option;
  }
  for (auto [name, text] : {std::pair{u"LockHFChoiceStrStringData", u"Confidential"},
                            std::pair{u"LockHFChoiceFontDataName", u"Arial"}}) {
    const auto stored = Value(name);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.bytes, WideField(text, 260));
  }

  // Other values in the options, and the select switches off: reading forces the locked ones.
  for (const NumberCase& c : kNumbers) Set(c.option, 0);
  for (uint16_t id : {56, 58, 67, 209}) Set(id, 0);
  SetText(114, u"");
  SetText(115, u"Courier");
  ASSERT_EQ(PrnReadLockedValues(printer, ctx), 1);
  for (const NumberCase& c : kNumbers) EXPECT_EQ(Get(c.option), c.value) << c.option;
  EXPECT_EQ(Get(209), 3) << "the print type goes into zdmPrnMethod as well";
  EXPECT_EQ(Get(56), 1);
  EXPECT_EQ(Get(58), 1);
  EXPECT_EQ(Get(67), 1);
  EXPECT_EQ(Text(114), u"Confidential");
  EXPECT_EQ(Text(115), u"Arial");
}

TEST_F(LockedValues, LocksNotInForceAreNeitherWrittenNorRead) {
  Set(kOptLockMedia, 1);
  Set(54, 9);
  Set(13, 261);
  ASSERT_EQ(PrnWriteLockedValues(printer, ctx), 1);
  EXPECT_TRUE(Has(u"LockMediaData"));
  EXPECT_FALSE(Has(u"LockTrayData"));
  EXPECT_FALSE(Has(u"LockHFChoiceStrStringData"));

  Put(u"LockTrayData", Bytes({1, 0, 0, 0}));
  Set(54, 0);
  ASSERT_EQ(PrnReadLockedValues(printer, ctx), 1);
  EXPECT_EQ(Get(54), 9);
  EXPECT_EQ(Get(13), 261) << "the tray is not locked";
  EXPECT_EQ(Get(67), 0) << "the header and footer are not locked";
}

TEST_F(LockedValues, TheFirstMissingValueEndsTheWalkAndLeavesTheLaterLocksAlone) {
  Set(kOptLockTray, 1);
  Set(kOptLockMedia, 1);
  Set(kOptLockHeaderFooter, 1);
  Put(u"LockTrayData", Bytes({4, 0, 0, 0}));
  Put(u"LockHFChoiceDateData", Bytes({1, 0, 0, 0}));
  Set(54, 11);
  Set(100, 0);
  EXPECT_EQ(PrnReadLockedValues(printer, ctx), 0);
  EXPECT_EQ(Get(13), 4);
  EXPECT_EQ(Get(54), 11);
  EXPECT_EQ(Get(67), 0);
  EXPECT_EQ(Get(100), 0);

  // Inside one lock the same: the layout kind is read, the layout type is missing.
  Set(kOptLockTray, 0);
  Set(kOptLockMedia, 0);
  Set(kOptLockHeaderFooter, 0);
  Set(kOptLockNupKind, 1);
  Put(u"LockNUPPOSTKindData", Bytes({2, 0, 0, 0}));
  Set(92, 7);
  EXPECT_EQ(PrnReadLockedValues(printer, ctx), 0);
  EXPECT_EQ(Get(56), 1);
  EXPECT_EQ(Get(91), 2);
  EXPECT_EQ(Get(92), 7);
}

TEST_F(LockedValues, StoredValuesOfOtherSizesAreReadSafely) {
  Set(kOptLockMedia, 1);
  Set(kOptLockHeaderFooter, 1);
  // A short number is taken zero-extended.
  Put(u"LockMediaData", Bytes({0x21}));
  const char16_t* numbers[] = {u"LockHFChoiceDateData", u"LockHFChoiceDatePosData", u"LockHFChoiceDateFormData",
                               u"LockHFChoicePageData", u"LockHFChoicePageFormData", u"LockHFChoiceStrData",
                               u"LockHFChoiceStrPosData", u"LockHFChoiceStrFormData"};
  for (const char16_t* name : numbers) Put(name, Bytes({1, 0, 0, 0}));
  // A text without its terminator that fills the whole field, longer than the option holds.
  Put(u"LockHFChoiceStrStringData", WideField(std::u16string(130, u'x'), 260), REG_SZ);
  Put(u"LockHFChoiceFontData", Bytes({1, 0, 0, 0}));
  // A text longer than the field is not read.
  Put(u"LockHFChoiceFontDataName", WideField(u"Arial", 300), REG_SZ);
  SetText(115, u"Courier");

  EXPECT_EQ(PrnReadLockedValues(printer, ctx), 0);
  EXPECT_EQ(Get(54), 0x21);
  EXPECT_EQ(Text(114), std::u16string(33, u'x')) << "cut to the option's 33 bytes, read back whole";
  EXPECT_EQ(Text(115), u"Courier");
}

// ---- the resolution lock ------------------------------------------------------------------------

constexpr const char* kNumericResolution =
    "*OpenUI *ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION: Numeric\n"
    "*NumericValue: \"4 600 150 1200 1 10\"\n"
    "*CloseUI: *ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION\n";
constexpr const char* kBooleanResolution =
    "*OpenUI *ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION: Boolean\n"
    "*CloseUI: *ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION\n";

TEST_F(LockedValues, TheResolutionListKindFollowsTheModelsResolutionItem) {
  EXPECT_EQ(CfgGetResolutionListKind(ctx), -1) << "no model";
  AttachSampleModel();
  EXPECT_EQ(CfgGetResolutionListKind(ctx), 0) << "a list of values";

  AttachModel(SampleWithResolution(kNumericResolution));
  Set(kOptDstResolutionW, 600);
  EXPECT_EQ(CfgGetResolutionListKind(ctx), 1) << "a range";
  Set(kOptDstResolutionW, 0);
  EXPECT_EQ(CfgGetResolutionListKind(ctx), -1) << "a range without a current value";

  AttachModel(SampleWithResolution(kBooleanResolution));
  Set(kOptDstResolutionW, 600);
  EXPECT_EQ(CfgGetResolutionListKind(ctx), -1);
  AttachModel(SampleWithResolution(""));
  EXPECT_EQ(CfgGetResolutionListKind(ctx), -1) << "no item";
}

TEST_F(LockedValues, TheLockedResolutionSetsTheDotsAndForARangeItsOwnOptionToo) {
  Set(kOptLockResolution, 1);
  Set(kOptLockDstResolutionBoth, 4);  // 1200 x 1200
  Set(152, 3);

  AttachSampleModel();
  ASSERT_EQ(PrnReadLockedValues(printer, ctx), 1);
  EXPECT_EQ(Get(kOptDstResolutionW), 1200);
  EXPECT_EQ(Get(kOptDstResolutionH), 1200);
  EXPECT_EQ(Get(152), 3) << "a list model keeps its own choice";

  AttachModel(SampleWithResolution(kNumericResolution));
  Set(kOptDstResolutionW, 600);
  Set(kOptLockDstResolutionBoth, 1);  // 300 x 300
  ASSERT_EQ(PrnReadLockedValues(printer, ctx), 1);
  EXPECT_EQ(Get(152), 1);
  EXPECT_EQ(Get(kOptDstResolutionW), 300);
  EXPECT_EQ(Get(kOptDstResolutionH), 300);

  // A value without a row of the resolution table, or a model without a usable item, ends the
  // walk before the header and footer.
  Set(kOptLockHeaderFooter, 1);
  Set(kOptLockDstResolutionBoth, 999);
  EXPECT_EQ(PrnReadLockedValues(printer, ctx), 0);
  EXPECT_EQ(Get(67), 0);
  AttachModel(SampleWithResolution(""));
  Set(kOptLockDstResolutionBoth, 4);
  EXPECT_EQ(PrnReadLockedValues(printer, ctx), 0);
  EXPECT_EQ(Get(kOptDstResolutionW), 300);
}

// ---- the default image and the lock bytes -------------------------------------------------------

TEST_F(LockedValues, TheDefaultImageIsStoredWholeWithoutItsProcessLocalReferences) {
  BYTE* image = reinterpret_cast<BYTE*>(ctx->workArea->lockDefaultImage);
  ASSERT_NE(image, nullptr);
  for (DWORD i = 400; i < kSettingsImageSize; ++i) image[i] = static_cast<BYTE>(i * 7 + 1);
  std::vector<BYTE> expected(image, image + kSettingsImageSize);
  DmClearProcessLocalFields(expected.data());
  ASSERT_NE(std::vector<BYTE>(image, image + kSettingsImageSize), expected) << "the image holds font references";

  ASSERT_EQ(PrnWriteLockDefaultData(printer, ctx), 1);
  const auto stored = Value(kLockDefaultDataValue);
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_BINARY));
  ASSERT_EQ(stored.bytes.size(), kSettingsImageSize);
  EXPECT_EQ(std::memcmp(stored.bytes.data(), expected.data(), kSettingsImageSize), 0);

  std::memset(image + 400, 0, kSettingsImageSize - 400);
  ASSERT_EQ(PrnReadLockDefaultData(printer, ctx), 1);
  EXPECT_EQ(std::vector<BYTE>(image, image + kSettingsImageSize), expected);
}

TEST_F(LockedValues, ADefaultImageOfAnotherSizeIsNotTaken) {
  BYTE* image = reinterpret_cast<BYTE*>(ctx->workArea->lockDefaultImage);
  const std::vector<BYTE> before(image, image + kSettingsImageSize);
  for (size_t size : {size_t{10576}, size_t{kSettingsImageSize + 1}, size_t{1}}) {
    Put(kLockDefaultDataValue, std::string(size, '\x5A'));
    EXPECT_EQ(PrnReadLockDefaultData(printer, ctx), 0) << size;
    EXPECT_EQ(std::vector<BYTE>(image, image + kSettingsImageSize), before) << size;
  }
  Drop(kLockDefaultDataValue);
  EXPECT_EQ(PrnReadLockDefaultData(printer, ctx), 0);

  // A context without the image reads and writes nothing.
  SettingsImage* kept = ctx->workArea->lockDefaultImage;
  ctx->workArea->lockDefaultImage = nullptr;
  EXPECT_EQ(PrnWriteLockDefaultData(printer, ctx), 0);
  EXPECT_FALSE(Has(kLockDefaultDataValue));
  ctx->workArea->lockDefaultImage = kept;
}

TEST_F(LockedValues, TheLoadPassTakesTheDefaultImageOnlyWhileTheDefaultsAreLocked) {
  BYTE* image = reinterpret_cast<BYTE*>(ctx->workArea->lockDefaultImage);
  std::string stored(reinterpret_cast<const char*>(image), kSettingsImageSize);
  for (size_t i = 400; i < stored.size(); ++i) stored[i] = static_cast<char>(i % 251);
  Put(kLockDefaultDataValue, stored);

  Put(u"zdmLock000InfoBit", Bytes({0}));
  ASSERT_EQ(CfgLoadOptionClass(printer, ctx, 2, 0), 1);
  EXPECT_NE(std::string(reinterpret_cast<const char*>(image), kSettingsImageSize), stored);

  Put(u"zdmLock000InfoBit", Bytes({1}));
  ASSERT_EQ(CfgLoadOptionClass(printer, ctx, 2, 0), 1);
  EXPECT_EQ(Get(kOptLockDefault), 1);
  std::string expected = stored;
  DmClearProcessLocalFields(reinterpret_cast<BYTE*>(expected.data()));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(image), kSettingsImageSize), expected);
}

TEST_F(LockedValues, LockBytesAndSmallSwitchesAreReadByName) {
  Put(u"zdmLock000InfoBit", Bytes({0x85}));
  Put(u"zdmLock001InfoBit", Bytes({0x02}));
  BYTE out = 0;
  EXPECT_EQ(PrnReadLockInfoByte(printer, &out, kOptLockDefault), 1);
  EXPECT_EQ(out, 0x85);
  EXPECT_EQ(PrnReadLockInfoByte(printer, &out, kOptLockColor), 1);
  EXPECT_EQ(out, 0x02);
  out = 0x77;
  EXPECT_EQ(PrnReadLockInfoByte(printer, &out, kOptLockTray), 0);
  EXPECT_EQ(PrnReadLockInfoByte(printer, nullptr, kOptLockDefault), 0);
  Drop(u"zdmLock001InfoBit");
  EXPECT_EQ(PrnReadLockInfoByte(printer, &out, kOptLockColor), 0);
  EXPECT_EQ(out, 0x77);

  uint32_t value = 0;
  EXPECT_EQ(PrnReadAuthenticationMode(printer, &value), 0);
  Put(kAuthenticationModeValue, Bytes({2, 0, 0, 0}));
  Put(kUserCustomizePopupValue, Bytes({1, 1, 0, 0}));
  EXPECT_EQ(PrnReadAuthenticationMode(printer, &value), 1);
  EXPECT_EQ(value, 2u);
  EXPECT_EQ(PrnReadUserCustomizePopup(printer, &value), 1);
  EXPECT_EQ(value, 0x101u);
  EXPECT_EQ(PrnReadUserCustomizePopup(printer, nullptr), 0);
}

}  // namespace
