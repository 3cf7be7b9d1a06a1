// The administrator-lock module without its dialogs: the restore map and restoring locked
// options from the administrator's image, capturing the locked values, and pushing the locks
// into the preset and quality files as key pairs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "option_image_context.h"

#include "../settings/list_context.h"
#include "feature_modules.h"
#include "fm_modules_9_10.h"
#include "ini_file.h"
#include "lock_data.h"
#include "option_access.h"
#include "option_values.h"
#include "quality_list.h"

namespace {

using zolt::test::ListContextTest;

constexpr const char16_t* kMissing = u"<missing>";

class FmLimit : public ListContextTest {
 protected:
  void Set(uint16_t id, int32_t value) { ASSERT_EQ(OptSetValue(ctx, id, value), 1) << id; }
  int32_t Get(uint16_t id) { return OptGetValue(ctx, id, nullptr); }
  void SetText(uint16_t id, const std::u16string& text) {
    ASSERT_NE(OptSetStringValue(ctx, OptFind(ctx, id), text.c_str()), nullptr) << id;
  }
  std::u16string Text(uint16_t id) {
    WCHAR out[600] = {};
    OptGetStringValue(ctx, OptFind(ctx, id), out, 600);
    return out;
  }

  // Stored files: a file of the list, read and written in the printer section.
  static std::u16string FileOf(const char16_t* name) { return std::u16string(u"C:\\lists\\") + name; }
  void Put(const std::u16string& file, const char16_t* key, const char16_t* value) {
    ASSERT_TRUE(IniWriteString(kPrinter, key, value, file.c_str()));
  }
  std::u16string Key(const std::u16string& file, const char16_t* key) {
    WCHAR out[600] = {};
    IniReadString(kPrinter, key, kMissing, out, 600, file.c_str());
    return out;
  }
  // The list's entries: "<prefix><i>" := file i of `files`.
  void List(const char16_t* prefix, std::initializer_list<const char16_t*> files) {
    MakeFolders(FileOf(u"x"));
    int i = 0;
    for (const char16_t* name : files) {
      const std::u16string key = prefix + std::u16string(1, static_cast<char16_t>(u'0' + i++));
      ASSERT_TRUE(IniWriteString(kPrinter, key.c_str(), FileOf(name).c_str(), settings.c_str()));
    }
  }
};

// ---- the restore map ----------------------------------------------------------------------------

TEST(LockRestoreMap, RunsCoverTheCodesInOrderWithoutCode11922) {
  const LockRestorePair* map = FmLockRestoreMap();
  int count = 0;
  for (const LockRestorePair* p = map; p->code; ++p, ++count)
    if (count) {
      EXPECT_LT(map[count - 1].code, p->code) << p->code;
    }
  EXPECT_EQ(count, kLockRestorePairs);
  EXPECT_EQ(map[kLockRestorePairs].optionId, 0);

  auto option = [&](int code) {
    for (const LockRestorePair* p = map; p->code; ++p)
      if (p->code == code) return static_cast<int>(p->optionId);
    return -1;
  };
  struct Case {
    int code, option;
  } cases[] = {{10000, 35},    {10195, 230},   {10196, 233},  {10651, 688},  {10652, 720},  {10894, 962},
               {10895, 964},   {10962, 1031},  {10963, 1042}, {11068, 1147}, {11069, 1150}, {11169, 1250},
               {11170, 1337},  {11413, 1580},  {11414, 10001}, {11846, 10433}, {11847, 10442}, {11848, 1305},
               {11879, 1336},  {11880, 1},     {11909, 30},   {11910, 31},   {11911, 32},   {11912, 31},
               {11913, 32},    {11915, 34},    {11916, 689},  {11921, 694},  {11922, -1},   {11923, 695},
               {11926, 698},   {11927, 1581},  {11976, 1630}, {11977, 1251}, {11978, 699},  {11993, 714},
               {11994, 231},   {11995, 232},   {9999, -1},    {11996, -1}};
  for (const Case& c : cases) EXPECT_EQ(option(c.code), c.option) << c.code;
}

TEST_F(FmLimit, RestoreCodesTakeTheAdministratorsValuesOnlyWhileTheDefaultsAreLocked) {
  OptionEntry* tray = OptFind(ctx, 13);
  OptionEntry* text = OptFind(ctx, 114);  // zdmHFString, restored by its bytes
  ASSERT_NE(tray, nullptr);
  ASSERT_NE(text, nullptr);
  ASSERT_EQ(OptEncodeValue(OptGetLockDefaultValueAddress(ctx, tray), tray->typeWord, 7), 1);
  char admin[33] = "ADMIN";
  ASSERT_EQ(OptEncodeBytes(OptGetLockDefaultValueAddress(ctx, text), text->typeWord, admin), 1);
  Set(13, 3);
  SetText(114, u"mine");

  constexpr WORD trayCode = 11892;  // restores option 13 (11880 is option 1)
  EXPECT_EQ(FmRunBuiltInFunc(ctx, trayCode), 0) << "defaults not locked: nobody answers";
  EXPECT_EQ(Get(13), 3);

  Set(kOptLockDefault, 1);
  EXPECT_EQ(FmRunBuiltInFunc(ctx, trayCode), 1);
  EXPECT_EQ(Get(13), 7);
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 10000 + (114 - 35)), 1);
  EXPECT_EQ(Text(114), u"ADMIN");
  // A code outside the map is left to the other modules.
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 11922), 0);
  EXPECT_EQ(FmRestoreLockedOption(ctx, 11922), 0);
  EXPECT_EQ(FmRestoreLockedOption(ctx, 9999), 0);

  // Without the administrator's image the code is still taken, and nothing changes.
  BYTE* image = reinterpret_cast<BYTE*>(ctx->workArea->lockDefaultImage);
  ctx->workArea->lockDefaultImage = nullptr;
  Set(13, 2);
  EXPECT_EQ(FmRestoreLockedOption(ctx, trayCode), 1);
  EXPECT_EQ(Get(13), 2);
  ctx->workArea->lockDefaultImage = reinterpret_cast<SettingsImage*>(image);
}

TEST_F(FmLimit, CaptureCopiesTheLockableValues) {
  Set(13, 7);
  Set(54, 3);
  Set(91, 2);
  Set(209, 1);
  Set(kOptLockDstResolutionBoth, 5);
  Set(15, 2);
  EXPECT_EQ(FmRunBuiltInFunc(ctx, kBfInitLockInfo), 1);
  const std::pair<uint16_t, int32_t> expected[] = {{kOptLockInfoTray, 7},      {kOptLockInfoMedia, 3},
                                                   {kOptLockInfoNupKind, 2},   {kOptLockInfoPrintType, 1},
                                                   {kOptLockInfoResolution, 5}, {kOptLockInfoColor, 2}};
  for (const auto& [id, value] : expected) EXPECT_EQ(Get(id), value) << id;
}

TEST_F(FmLimit, TheHeaderFooterFontIsReadOnlyWhileLocked) {
  EXPECT_EQ(FmRunBuiltInFunc(ctx, kBfLockHeaderFooterFont), 0);
  EXPECT_EQ(FmLoadLockedHeaderFooterFont(ctx), 0);
  // Locked, but the printer holds no such value: nothing is stored.
  SetText(115, u"Arial");
  Set(kOptLockHeaderFooter, 1);
  EXPECT_EQ(FmLoadLockedHeaderFooterFont(ctx), 0);
  EXPECT_EQ(Text(115), u"Arial");
}

// The font name comes from the printer's data: a real printer of the test driver.
class FmLimitFont : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    if (HasFatalFailure()) return;
    printer = OpenTestPrinter(PRINTER_ACCESS_ADMINISTER);
    ASSERT_NE(printer, nullptr);
    ctx = CtxCreateWithFlags(printer, printer, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    ctx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
    ASSERT_NE(ctx->settingsImage, nullptr);
    zolt::test::WriteBlockStarts(reinterpret_cast<BYTE*>(ctx->settingsImage));
  }
  void TearDown() override {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    if (printer) ClosePrinter(printer);
    DriverMachineTest::TearDown();
  }
  void StoreName(const std::u16string& name) {
    std::vector<WCHAR> data(260, u'\0');
    std::copy(name.begin(), name.end(), data.begin());
    ASSERT_EQ(SetPrinterDataW(printer, const_cast<LPWSTR>(kLockHeaderFooterFontValue), REG_SZ,
                              reinterpret_cast<BYTE*>(data.data()), 520),
              ERROR_SUCCESS);
  }
  std::u16string FontName() {
    WCHAR out[64] = {};
    OptGetStringValue(ctx, OptFind(ctx, 115), out, 64);
    return out;
  }
  HANDLE printer = nullptr;
  DriverContext* ctx = nullptr;
};

TEST_F(FmLimitFont, TheLockedFontNameIsStoredCutToTheField) {
  StoreName(u"Gothic Sans");
  EXPECT_EQ(FmRunBuiltInFunc(ctx, kBfLockHeaderFooterFont), 0) << "not locked";
  EXPECT_EQ(FontName(), u"");
  ASSERT_EQ(OptSetValue(ctx, kOptLockHeaderFooter, 1), 1);
  EXPECT_EQ(FmRunBuiltInFunc(ctx, kBfLockHeaderFooterFont), 1);
  EXPECT_EQ(FontName(), u"Gothic Sans");
  // 40 characters: the 32-byte field keeps the first 32.
  StoreName(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd");
  EXPECT_EQ(FmLoadLockedHeaderFooterFont(ctx), 1);
  const BYTE* field = OptGetValuePointer(ctx, 115, nullptr);
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(field), 32), "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
}

// ---- preset files -----------------------------------------------------------------------------

TEST_F(FmLimit, ANumericLockKeepsEachPresetsOwnValueUntilItIsLifted) {
  List(u"PresetList", {u"p0.rst", u"p1.rst", u"p2.rst"});
  Put(FileOf(u"p0.rst"), u"dmDefaultSource", u"7");
  Put(FileOf(u"p1.rst"), u"zdmMediaType", u"1");  // no tray key: skipped
  Put(FileOf(u"p2.rst"), u"dmDefaultSource", u"15");
  Put(FileOf(u"p2.rst"), u"dmDefaultSourceLock", u"4");  // locked before
  Set(13, 3);

  FmApplyLockToPresetFiles(ctx, 13, 1, 3);
  EXPECT_EQ(Key(FileOf(u"p0.rst"), u"dmDefaultSource"), u"3");
  EXPECT_EQ(Key(FileOf(u"p0.rst"), u"dmDefaultSourceLock"), u"7");
  EXPECT_EQ(Key(FileOf(u"p1.rst"), u"dmDefaultSource"), kMissing);
  EXPECT_EQ(Key(FileOf(u"p1.rst"), u"dmDefaultSourceLock"), kMissing);
  EXPECT_EQ(Key(FileOf(u"p2.rst"), u"dmDefaultSource"), u"3");
  EXPECT_EQ(Key(FileOf(u"p2.rst"), u"dmDefaultSourceLock"), u"4") << "the own value is not overwritten";

  // Locking again with another value keeps the own values.
  Set(13, 5);
  FmApplyLockToPresetFiles(ctx, 13, 1, 3);
  EXPECT_EQ(Key(FileOf(u"p0.rst"), u"dmDefaultSource"), u"5");
  EXPECT_EQ(Key(FileOf(u"p0.rst"), u"dmDefaultSourceLock"), u"7");

  // Lifted while the setting equals p0's own value but the file still holds the old lock: the
  // own value comes back anyway.
  Set(13, 7);
  FmApplyLockToPresetFiles(ctx, 13, 0, 3);
  EXPECT_EQ(Key(FileOf(u"p0.rst"), u"dmDefaultSource"), u"7");
  EXPECT_EQ(Key(FileOf(u"p0.rst"), u"dmDefaultSourceLock"), kMissing);
  EXPECT_EQ(Key(FileOf(u"p2.rst"), u"dmDefaultSource"), u"4");
  EXPECT_EQ(Key(FileOf(u"p2.rst"), u"dmDefaultSourceLock"), kMissing);
  EXPECT_EQ(Key(FileOf(u"p1.rst"), u"dmDefaultSource"), kMissing);

  // Only the first `count` entries are touched.
  FmApplyLockToPresetFiles(ctx, 13, 1, 1);
  EXPECT_EQ(Key(FileOf(u"p0.rst"), u"dmDefaultSourceLock"), u"7");
  EXPECT_EQ(Key(FileOf(u"p2.rst"), u"dmDefaultSourceLock"), kMissing);
}

TEST_F(FmLimit, TextLocksWriteTheCurrentTextAndGiveTheOwnTextBackUnlessDropped) {
  List(u"PresetList", {u"t0.rst", u"t1.rst"});
  Put(FileOf(u"t0.rst"), u"zdmHFString", u"Draft");
  SetText(114, u"CONFIDENTIAL");

  FmApplyTextLockToPresetFiles(ctx, 114, 1, 2, 1);
  EXPECT_EQ(Key(FileOf(u"t0.rst"), u"zdmHFString"), u"CONFIDENTIAL");
  EXPECT_EQ(Key(FileOf(u"t0.rst"), u"zdmHFStringLock"), u"Draft");
  EXPECT_EQ(Key(FileOf(u"t1.rst"), u"zdmHFString"), u"CONFIDENTIAL") << "a text lock needs no key";
  EXPECT_EQ(Key(FileOf(u"t1.rst"), u"zdmHFStringLock"), u"");

  // Dropped: the locked text stays, the lock key goes.
  FmApplyTextLockToPresetFiles(ctx, 114, 0, 2, 1);
  EXPECT_EQ(Key(FileOf(u"t0.rst"), u"zdmHFString"), u"CONFIDENTIAL");
  EXPECT_EQ(Key(FileOf(u"t0.rst"), u"zdmHFStringLock"), kMissing);

  // Kept: the own text comes back.
  Put(FileOf(u"t0.rst"), u"zdmHFString", u"Draft");
  FmApplyTextLockToPresetFiles(ctx, 114, 1, 2, 0);
  FmApplyTextLockToPresetFiles(ctx, 114, 0, 2, 0);
  EXPECT_EQ(Key(FileOf(u"t0.rst"), u"zdmHFString"), u"Draft");
  EXPECT_EQ(Key(FileOf(u"t0.rst"), u"zdmHFStringLock"), kMissing);
  // The dropped lock left the locked text as t1's own.
  EXPECT_EQ(Key(FileOf(u"t1.rst"), u"zdmHFString"), u"CONFIDENTIAL");
  EXPECT_EQ(Key(FileOf(u"t1.rst"), u"zdmHFStringLock"), kMissing);
}

// ---- quality files ---------------------------------------------------------------------------

TEST_F(FmLimit, TheResolutionLockMovesTheSeparateResolutionsAlongAndBack) {
  List(u"QualityList", {u"q0.rsq", u"q1.rsq"});
  ASSERT_TRUE(IniWriteString(kPrinter, kQualityCountKey, u"2", settings.c_str()));
  for (const char16_t* name : {u"q0.rsq", u"q1.rsq"}) {
    Put(FileOf(name), u"zdmDstResolutionBoth", u"3");
    Put(FileOf(name), u"zdmDstResolutionW", u"600");
    Put(FileOf(name), u"zdmDstResolutionH", u"601");
  }
  Set(152, 4);  // 1200 x 1200
  Set(kOptLockResolution, 1);
  ASSERT_EQ(FmBroadcastNotify(ctx, kFmNotifyResolutionLockApply, nullptr), 1);
  for (const char16_t* name : {u"q0.rsq", u"q1.rsq"}) {
    const std::u16string file = FileOf(name);
    EXPECT_EQ(Key(file, u"zdmDstResolutionBoth"), u"4");
    EXPECT_EQ(Key(file, u"zdmDstResolutionBothLock"), u"3");
    EXPECT_EQ(Key(file, u"zdmDstResolutionW"), u"1200");
    EXPECT_EQ(Key(file, u"zdmDstResolutionH"), u"1200");
    EXPECT_EQ(Key(file, u"zdmDstResolutionWLock"), u"600");
    EXPECT_EQ(Key(file, u"zdmDstResolutionHLock"), u"601");
  }

  Set(kOptLockResolution, 0);
  ASSERT_EQ(FmBroadcastNotify(ctx, kFmNotifyResolutionLockApply, nullptr), 1);
  for (const char16_t* name : {u"q0.rsq", u"q1.rsq"}) {
    const std::u16string file = FileOf(name);
    EXPECT_EQ(Key(file, u"zdmDstResolutionBoth"), u"3");
    EXPECT_EQ(Key(file, u"zdmDstResolutionW"), u"600");
    EXPECT_EQ(Key(file, u"zdmDstResolutionH"), u"601");
    for (const char16_t* key : {u"zdmDstResolutionBothLock", u"zdmDstResolutionWLock", u"zdmDstResolutionHLock"})
      EXPECT_EQ(Key(file, key), kMissing);
  }
}

TEST_F(FmLimit, AQualityFileWithoutTheCombinedResolutionSendsTheLockThroughTheSeparateKeys) {
  List(u"QualityList", {u"old.rsq", u"new.rsq"});
  ASSERT_TRUE(IniWriteString(kPrinter, kQualityCountKey, u"2", settings.c_str()));
  Put(FileOf(u"old.rsq"), u"zdmDstResolutionW", u"300");
  Put(FileOf(u"old.rsq"), u"zdmDstResolutionH", u"300");
  Put(FileOf(u"new.rsq"), u"zdmDstResolutionBoth", u"3");
  Put(FileOf(u"new.rsq"), u"zdmDstResolutionW", u"600");
  Put(FileOf(u"new.rsq"), u"zdmDstResolutionH", u"600");
  Set(152, 4);
  ASSERT_EQ(OptSetDstResolutionW(ctx, 1200), 1);
  ASSERT_EQ(OptSetDstResolutionH(ctx, 2400), 1);

  EXPECT_EQ(FmApplyLockToQualityFiles(ctx, 152, 1, 2), 0);
  Set(kOptLockResolution, 1);
  FmApplyResolutionLockToQualities(ctx);
  EXPECT_EQ(Key(FileOf(u"new.rsq"), u"zdmDstResolutionBoth"), u"3");
  EXPECT_EQ(Key(FileOf(u"new.rsq"), u"zdmDstResolutionBothLock"), kMissing);
  const std::pair<const char16_t*, const char16_t*> own[] = {{u"old.rsq", u"300"}, {u"new.rsq", u"600"}};
  for (const auto& [name, value] : own) {
    EXPECT_EQ(Key(FileOf(name), u"zdmDstResolutionW"), u"1200") << std::u16string(name).size();
    EXPECT_EQ(Key(FileOf(name), u"zdmDstResolutionH"), u"2400");
    EXPECT_EQ(Key(FileOf(name), u"zdmDstResolutionWLock"), value);
    EXPECT_EQ(Key(FileOf(name), u"zdmDstResolutionHLock"), value);
  }
}

TEST_F(FmLimit, LockNotifyCodesAreTakenEvenWithoutPresets) {
  // The preset count comes from the preset list; with none nothing is written.
  Set(kOptLockTray, 1);
  EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifyLocksApply, nullptr), 1);
  EXPECT_EQ(FmLimitOnNotify(ctx, 58, nullptr, nullptr), 0);
  EXPECT_EQ(FmLimitOnNotify(nullptr, kFmNotifyLocksApply, nullptr, nullptr), 0);
}

}  // namespace
