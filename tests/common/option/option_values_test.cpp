// Values derived from a context's options: display lengths, the custom-size range, regional and
// output paper, authentication fields and character sets, small accessors and the lock bits.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "feature_modules.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_image_context.h"
#include "option_units.h"
#include "option_values.h"

namespace {

class OptionValues : public zolt::test::ImageContextTest {
 protected:
  void Set(uint16_t id, int32_t value) { ASSERT_EQ(OptSetValue(ctx, id, value), 1) << id; }
  void SetText(uint16_t id, const char* text) {
    std::vector<char> field(TypeSize(OptFind(ctx, id)->typeWord), 0);
    std::strncpy(field.data(), text, field.size() - 1);
    ASSERT_EQ(OptSetValueBytes(ctx, id, field.data()), 1) << id;
  }
  void Metric(bool metric) { Set(171, metric ? 0 : 1); }
  // Puts a module list of one row that answers the regional-paper question in place of the
  // context's own list, which comes back at the end of the test.
  void AnswerRegionalPaper();
  void TearDown() override {
    if (ctx && ctx->workArea && ownModules_.rows) ctx->workArea->moduleList = attached_;
    ImageContextTest::TearDown();
  }

 private:
  FeatureModule row_{};
  FeatureModuleList ownModules_{};
  FeatureModuleList* attached_ = nullptr;
};

TEST_F(OptionValues, DisplayUnitsFollowTheContextsUnitAndKeepTheSign) {
  struct Case {
    bool metric;
    int32_t dots;
    int32_t shown;      // OptToDisplayUnits
    int32_t backDots;   // OptFromDisplayUnits(shown)
  };
  const Case cases[] = {
      {true, 60, 13, 60},        {false, 60, 5, 60},         {true, 1200, 254, 1200},
      {false, 1200, 100, 1200},  {true, -60, -13, -60},      {false, -61, -6, -72},
      {true, 0, 0, 0},           {true, 1, 1, 4},            {false, 14030, 1170, 14040},
  };
  for (const Case& c : cases) {
    Metric(c.metric);
    EXPECT_EQ(OptToDisplayUnits(ctx, 0, c.dots), c.shown) << c.dots << (c.metric ? " mm" : " inch");
    EXPECT_EQ(OptFromDisplayUnits(ctx, 0, c.shown), c.backDots) << c.shown << (c.metric ? " mm" : " inch");
  }
}

TEST_F(OptionValues, DisplayUnitsOfAnOptionReadAndWriteItsValue) {
  Metric(true);
  Set(939, 2400);  // wdmFreeSizeWidth
  EXPECT_EQ(OptToDisplayUnits(ctx, 939, 999999), 508);  // the option's value, not the argument
  EXPECT_EQ(OptFromDisplayUnits(ctx, 939, 2100), 9920);  // 210 mm: even dots not passing the length
  EXPECT_EQ(OptGetValue(ctx, 939, nullptr), 9920);
  Metric(false);
  EXPECT_EQ(OptToDisplayUnits(ctx, 939, 0), 827);  // 8.27 inch
  // A signed option keeps a negative length.
  EXPECT_EQ(OptFromDisplayUnits(ctx, 704, -100), -1200);
  EXPECT_EQ(OptGetValue(ctx, 704, nullptr), -1200);
  EXPECT_EQ(OptToDisplayUnits(ctx, 704, 0), -100);
}

TEST_F(OptionValues, FreeSizeRangeStaysInsideTheProfilesDotLimits) {
  struct Case {
    bool metric;
    uint16_t id;
    int32_t min, max;
  };
  const Case cases[] = {
      {true, 939, 700, 2970}, {true, 940, 1480, 4320}, {false, 939, 276, 1169}, {false, 940, 583, 1700},
  };
  for (const Case& c : cases) {
    Metric(c.metric);
    int32_t min = -1, max = -1;
    ASSERT_EQ(OptGetFreeSizeRange(ctx, c.id, &min, &max), 1) << c.id;
    EXPECT_EQ(min, c.min) << c.id << (c.metric ? " mm" : " inch");
    EXPECT_EQ(max, c.max) << c.id << (c.metric ? " mm" : " inch");
    // Converted back, the range never leaves the dot limits.
    const bool width = c.id == 939;
    EXPECT_GE(OptFromDisplayUnits(ctx, 0, min), static_cast<int32_t>(width ? 3306 : 6992)) << c.id;
    EXPECT_LE(OptFromDisplayUnits(ctx, 0, max), static_cast<int32_t>(width ? 14030 : 20408)) << c.id;
  }
  // One output alone, and options that have no range.
  int32_t max = 0;
  EXPECT_EQ(OptGetFreeSizeRange(ctx, 940, nullptr, &max), 1);
  EXPECT_EQ(max, 1700);
  int32_t untouched = 77;
  EXPECT_EQ(OptGetFreeSizeRange(ctx, 941, &untouched, &untouched), 0);
  EXPECT_EQ(untouched, 77);
  EXPECT_EQ(OptGetFreeSizeRange(nullptr, 939, &untouched, nullptr), 0);
}

// A module that answers the regional-paper question.
DWORD g_regionalAnswer = 0;
int g_regionalAsked = 0;
int AnswerRegional(DriverContext*, DWORD code, void* param, void*) {
  if (code != kFmNotifyRegionalPaper) return 0;
  ++g_regionalAsked;
  *static_cast<DWORD*>(param) = g_regionalAnswer;
  return 1;
}

void OptionValues::AnswerRegionalPaper() {
  row_.onNotify = AnswerRegional;
  ownModules_ = {1, &row_};
  attached_ = ctx->workArea->moduleList;
  ctx->workArea->moduleList = &ownModules_;
}

TEST_F(OptionValues, RegionAndRegionalPaper) {
  struct Case {
    int32_t driverType, locale, hidden16;
    int letter;
  };
  const Case regions[] = {
      {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {1, 1, 0, 1}, {1, 1, 1, 0}, {0, 0, 1, 1}, {2, 5, 0, 1},
  };
  for (const Case& c : regions) {
    Set(244, c.driverType);
    Set(172, c.locale);
    Set(367, c.hidden16);
    EXPECT_EQ(OptIsLetterRegion(ctx), c.letter) << c.driverType << c.locale << c.hidden16;
    // No module answers: the larger size of the region.
    EXPECT_EQ(OptGetRegionalPaperSize(ctx), c.letter ? 3 : 8);
  }

  AnswerRegionalPaper();
  struct Answer {
    bool letter;
    DWORD answer;
    int16_t paper;
  };
  const Answer answers[] = {{true, 1, 1}, {true, 2, 3}, {false, 1, 9}, {false, 0, 8}};
  for (const Answer& a : answers) {
    Set(244, a.letter ? 1 : 0);
    Set(172, 1);
    Set(367, 0);
    g_regionalAnswer = a.answer;
    EXPECT_EQ(OptGetRegionalPaperSize(ctx), a.paper) << a.letter << " " << a.answer;
  }
}

TEST_F(OptionValues, OutputPaperResolvesSameAsInputAndRegionalCodes) {
  AnswerRegionalPaper();
  g_regionalAnswer = 1;
  Set(244, 0);  // A4 region
  Set(8, 11);   // dmPaperSize A5
  struct Case {
    int32_t out;
    int16_t paper;
    int asked;  // the modules are asked only for the regional codes
  };
  const Case cases[] = {{9, 9, 0}, {1024, 11, 0}, {1025, 9, 1}, {1028, 9, 1}, {1029, 1029, 0}, {384, 384, 0}};
  for (const Case& c : cases) {
    Set(46, c.out);
    g_regionalAsked = 0;
    EXPECT_EQ(OptGetOutputPaperSize(ctx), c.paper) << c.out;
    EXPECT_EQ(g_regionalAsked, c.asked) << c.out;
  }
}

TEST_F(OptionValues, AuthenticationFieldsNeedTheModeAndATextEach) {
  SetText(1144, "user");
  SetText(1145, "secret");
  SetText(1146, "key");
  struct Case {
    int32_t mode, secure;
    uint32_t asked, result;
  };
  const Case cases[] = {
      {0, 1, 7, 0},  // authentication off: nothing
      {1, 0, 7, 3},  // the network key only in secure mode
      {1, 1, 7, 7},
      {1, 1, 2, 2},  // only what is asked
      {1, 1, 4, 4},
      {1, 1, 0, 0},
  };
  for (const Case& c : cases) {
    Set(10354, c.mode);
    Set(10355, c.secure);
    EXPECT_EQ(OptGetAuthFieldFlags(ctx, c.asked), c.result) << c.mode << c.secure << " asked " << c.asked;
  }
  SetText(1145, "");
  EXPECT_EQ(OptGetAuthFieldFlags(ctx, 7), 5u);
}

TEST_F(OptionValues, AuthCharsetsStoreTheCodePagesCode) {
  const auto code = static_cast<int32_t>(OptGetCodePageCharset());
  ASSERT_NE(code, 0);  // the test machine's ANSI code page has a code
  struct Case {
    uint32_t flags;
    int32_t user, password;
  };
  const Case cases[] = {{0, 0, 0}, {1, code, 0}, {2, 0, code}, {3, code, code}};
  for (const Case& c : cases) {
    Set(615, 0);
    Set(616, 0);
    OptSetAuthCharsets(ctx, c.flags);
    EXPECT_EQ(OptGetValue(ctx, 615, nullptr), c.user) << c.flags;
    EXPECT_EQ(OptGetValue(ctx, 616, nullptr), c.password) << c.flags;
  }
  EXPECT_EQ(OptSetCodePageCharset(ctx, 0), 0);  // no such option
}

TEST_F(OptionValues, DecimalCommaLanguagesAndCustomFunctions) {
  for (int32_t language = 0; language <= 22; ++language) {
    Set(169, language);
    const bool comma = (language >= 2 && language <= 15) || language == 21;
    EXPECT_EQ(OptUsesDecimalComma(ctx), comma ? 1 : 0) << language;
  }
  Set(1549, 1);
  Set(1580, 1);
  Set(1560, 0);
  EXPECT_EQ(OptGetCustomFunc(ctx, 1549), 1);
  EXPECT_EQ(OptGetCustomFunc(ctx, 1580), 1);
  EXPECT_EQ(OptGetCustomFunc(ctx, 1560), 0);
  Set(171, 1);
  EXPECT_EQ(OptGetCustomFunc(ctx, 171), 0);  // not a custom function
  Set(1581, 1);
  EXPECT_EQ(OptGetCustomFunc(ctx, 1581), 0);
}

TEST_F(OptionValues, ResolutionOptions) {
  EXPECT_EQ(OptSetDstResolutionW(ctx, 1200), 1);
  EXPECT_EQ(OptSetDstResolutionH(ctx, 600), 1);
  EXPECT_EQ(OptSetPrintQuality(ctx, -4), 1);
  EXPECT_EQ(OptSetYResolution(ctx, 300), 1);
  EXPECT_EQ(OptGetDstResolutionW(ctx), 1200);
  EXPECT_EQ(OptGetDstResolutionH(ctx), 600);
  EXPECT_EQ(OptGetPrintQuality(ctx), -4);
  EXPECT_EQ(OptGetValue(ctx, 17, nullptr), 300);
  EXPECT_EQ(OptGetValue(ctx, 38, nullptr), 1200);
}

TEST_F(OptionValues, EachLockGetterReadsItsOwnBit) {
  using Getter = int (*)(DriverContext*);
  struct Case {
    Getter get;
    uint16_t option;
  };
  const Case cases[] = {
      {OptIsLockEnabled, 10386},       {OptIsDefaultLocked, 10418},    {OptIsTrayLocked, 10419},
      {OptIsMediaLocked, 10420},       {OptIsNupKindLocked, 10421},    {OptIsNupKindAllLocked, 10422},
      {OptIsDuplexLocked, 10423},      {OptIsPrintTypeLocked, 10424},  {OptIsResolutionLocked, 10425},
      {OptIsColorLocked, 10426},       {OptIsHeaderFooterLocked, 10427},
  };
  for (const Case& c : cases) {
    Set(c.option, 1);
    for (const Case& other : cases) EXPECT_EQ(other.get(ctx), other.option == c.option ? 1 : 0) << c.option;
    Set(c.option, 0);
  }
}

TEST_F(OptionValues, AnyLockIsOneOfTheSixteenLockBits) {
  EXPECT_EQ(OptHasAnyLock(ctx), 0);
  Set(10386, 1);  // the lock switch itself is not a lock bit
  EXPECT_EQ(OptHasAnyLock(ctx), 0);
  for (uint16_t id = 10418; id <= 10433; ++id) {
    Set(id, 1);
    EXPECT_EQ(OptHasAnyLock(ctx), 1) << id;
    Set(id, 0);
  }
  EXPECT_EQ(OptHasAnyLock(ctx), 0);
  Set(10434, 1);  // outside the range
  EXPECT_EQ(OptHasAnyLock(ctx), 0);
}

TEST_F(OptionValues, AContextWithoutImageReadsZero) {
  DriverContext* bare = CtxCreateWithFlags(reinterpret_cast<HANDLE>(1), reinterpret_cast<HANDLE>(1), nullptr,
                                           kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(OptHasAnyLock(bare), 0);
  EXPECT_EQ(OptGetAuthFieldFlags(bare, 7), 0u);
  EXPECT_EQ(OptIsLetterRegion(bare), 0);
  EXPECT_EQ(OptSetDstResolutionW(bare, 600), 0);
  EXPECT_EQ(OptFromDisplayUnits(bare, 939, 100), 472);  // converted, nothing stored
  CtxReleaseAs(bare, kCtxReleaseDestroy);
  EXPECT_EQ(OptHasAnyLock(nullptr), 0);
  EXPECT_EQ(OptGetOutputPaperSize(nullptr), 0);
}

}  // namespace
