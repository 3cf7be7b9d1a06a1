// Installation defaults: derived from the user's locale and recorded, or taken over once from
// the entries an installation tool left pending; re-recorded after a rename.
#include <gtest/gtest.h>

#include <string>

#include "install_defaults.h"
#include "install_test_support.h"

namespace {

constexpr uint16_t kPaperSize = 8, kLanguageId = 169, kDspLanguageId = 170, kDspUnit = 171, kLocaleId = 172;
constexpr uint16_t kLogCodeUse = 10002, kLogCode = 10003;

class InstallDefaultsTest : public zolt::test::InstallContextTest {
 protected:
  void SetUp() override {
    InstallContextTest::SetUp();
    ASSERT_EQ(PathGetInstallDefaultsIni(file_, ctx), 1);
  }
  std::u16string Key(const char16_t* key) { return IniKey(file_, key); }
  void Put(const char16_t* key, const char16_t* value) {
    ASSERT_TRUE(WritePrivateProfileStringW(kPrinterName, key, value, file_));
  }
  void PutPending() {
    Put(u"ZoltInstDone", u"0");
    Put(u"DispLang", u"1");
    Put(u"DefPaper", u"1");
    Put(u"DefUnit", u"0");
    Put(u"UserCode", u"1");
    Put(u"UserCodeFIX", u"1");
    Put(u"UserCodeString", u"4711");
  }

  WCHAR file_[MAX_PATH] = {};
};

// The locale's region decides unit and region; this driver's profile always starts on A4.
struct LocaleCase {
  LCID locale;
  WORD region;
  WORD unit;
};
class InstallDefaultsLocale : public InstallDefaultsTest, public ::testing::WithParamInterface<LocaleCase> {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts facts;
    facts.userLocale = GetParam().locale;
    return facts;
  }
};

TEST_P(InstallDefaultsLocale, DerivedFromLocaleAndRecorded) {
  const LocaleCase& c = GetParam();
  EXPECT_EQ(CfgLocaleRegion(ctx), c.region);
  CfgApplyInstallDefaults(ctx);
  EXPECT_EQ(ctx->profile->modelVariant, 0);
  EXPECT_EQ(OptGetValue(ctx, kLocaleId, nullptr), c.region);
  EXPECT_EQ(OptGetValue(ctx, kDspUnit, nullptr), c.unit);
  EXPECT_EQ(OptGetValue(ctx, kPaperSize, nullptr), 9);
  EXPECT_EQ(OptGetValue(ctx, kLanguageId, nullptr), 1);  // the help-file language: English
  EXPECT_EQ(OptGetValue(ctx, kDspLanguageId, nullptr), 1);
  EXPECT_EQ(Key(u"DispLang"), u"1");
  EXPECT_EQ(Key(u"DefPaper"), u"9");
  EXPECT_EQ(Key(u"DefUnit"), c.unit ? u"1" : u"0");
  EXPECT_EQ(Key(u"ZoltInstDone"), u"<none>");

  // The locale part alone, as the settings-file loader runs it.
  OptSetValue(ctx, kLocaleId, 99);
  CfgApplyLocaleRegion(ctx);
  EXPECT_EQ(OptGetValue(ctx, kLocaleId, nullptr), c.region);
  EXPECT_EQ(ctx->workArea->installDefaults.defPaper, c.region ? 1 : 9);
}

INSTANTIATE_TEST_SUITE_P(Locales, InstallDefaultsLocale,
                         ::testing::Values(LocaleCase{0x0409, 1, 1}, LocaleCase{0x080A, 5, 1},
                                           LocaleCase{0x0809, 0, 0}, LocaleCase{0x0411, 0, 0}));

TEST_F(InstallDefaultsTest, PendingEntriesAreTakenOverOnce) {
  PutPending();
  CfgApplyInstallDefaults(ctx);
  EXPECT_EQ(Key(u"ZoltInstDone"), u"1");
  EXPECT_EQ(OptGetValue(ctx, kLogCodeUse, nullptr), 1);
  EXPECT_EQ(Text(kLogCode), u"4711");
  EXPECT_EQ(ctx->workArea->installDefaults.userCodeFix, 1);
  EXPECT_EQ(OptGetValue(ctx, kDspUnit, nullptr), 0);  // the file's unit, not the locale's
  EXPECT_EQ(OptGetValue(ctx, kLocaleId, nullptr), 1);

  // A second run finds nothing pending: the code stays as the settings hold it, and the
  // locale's choices are recorded.
  OptSetValue(ctx, kLogCodeUse, 0);
  CfgApplyInstallDefaults(ctx);
  EXPECT_EQ(OptGetValue(ctx, kLogCodeUse, nullptr), 0);
  EXPECT_EQ(OptGetValue(ctx, kDspUnit, nullptr), 1);
  EXPECT_EQ(Key(u"DefUnit"), u"1");
  EXPECT_EQ(Key(u"ZoltInstDone"), u"1");
}

TEST_F(InstallDefaultsTest, EntriesThatAreNotPendingOrAreDamagedAreNotTaken) {
  struct Case {
    const char16_t* done;
    const char16_t* dispLang;
    const char16_t* code;
    bool loaded;
  };
  const Case cases[] = {
      {u"1", u"1", u"4711", false},        // already applied
      {u"0", nullptr, u"4711", false},     // no language: nothing pending
      {u"0", u"1", u"123456789", true},    // a code longer than 8 characters is not cut
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(i);
    WritePrivateProfileStringW(kPrinterName, nullptr, nullptr, file_);
    PutPending();
    Put(u"ZoltInstDone", c.done);
    Put(u"DispLang", c.dispLang);
    Put(u"UserCodeString", c.code);
    ctx->workArea->installDefaults = {};
    const int loaded = CfgLoadPendingInstallDefaults(ctx);
    EXPECT_EQ(loaded, c.loaded ? 1 : 0);
    if (c.loaded) {
      EXPECT_EQ(ctx->workArea->installDefaults.userCode, 0);
      EXPECT_EQ(ctx->workArea->installDefaults.userCodeString[0], u'\0');
    }
  }
}

TEST_F(InstallDefaultsTest, RerecordWritesTheSettingsAsPendingAndTakesThemOver) {
  CfgApplyInstallDefaults(ctx);
  OptSetValue(ctx, kLocaleId, 5);
  OptSetValue(ctx, kDspUnit, 1);
  OptSetValue(ctx, kLogCodeUse, 1);
  OptSetStringValue(ctx, OptFind(ctx, kLogCode), u"123");
  EXPECT_EQ(CfgRerecordInstallDefaults(ctx), 1);
  EXPECT_EQ(Key(u"DefPaper"), u"1");
  EXPECT_EQ(Key(u"DefUnit"), u"1");
  EXPECT_EQ(Key(u"UserCode"), u"1");
  EXPECT_EQ(Key(u"UserCodeFIX"), u"1");
  EXPECT_EQ(Key(u"UserCodeString"), u"123");
  EXPECT_EQ(Key(u"ZoltInstDone"), u"1");
  EXPECT_EQ(ctx->workArea->installDefaults.defPaper, 1);
  EXPECT_EQ(std::u16string(ctx->workArea->installDefaults.userCodeString), u"123");

  // Without a code in force the entries say so; a cleared code keeps its text.
  OptSetValue(ctx, kLogCodeUse, 0);
  EXPECT_EQ(CfgWriteInstallUserCode(ctx, kInstUserCodeFromSettings), 0);
  EXPECT_EQ(Key(u"UserCode"), u"0");
  EXPECT_EQ(Key(u"UserCodeString"), u"");
  Put(u"UserCodeString", u"55");
  EXPECT_EQ(CfgWriteInstallUserCode(ctx, kInstUserCodeCleared), 1);
  EXPECT_EQ(Key(u"UserCodeFIX"), u"0");
  EXPECT_EQ(Key(u"UserCodeString"), u"55");
}

}  // namespace
