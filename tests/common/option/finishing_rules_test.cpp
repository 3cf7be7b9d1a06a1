// The computed finishing and tray items and their cached option getters: the row slots, the
// family tests, the print-paper orientation, the finisher family rules (staple, punch, feed
// orientation), the resolution cap and the dispatch of the computed ids.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../mdl/mdl_eval_fixture.h"
#include "device_caps.h"
#include "devmode_public.h"
#include "env_system.h"
#include "option_constants.h"
#include "finishing_internal.h"
#include "finishing_rules.h"
#include "option_access.h"
#include "option_image_context.h"
#include "option_values.h"

namespace {

using finishing::Facts;
using finishing::FamilyState;
using zolt::test::ImageContextTest;

class FinishingTest : public ImageContextTest {
 protected:
  void Set(uint16_t id, int32_t value) { ASSERT_EQ(OptSetValue(ctx, id, value), 1) << id; }
  void SetModel(BYTE code) { ctx->profile->modelCode = code; }
};

// ---- cached getters ---------------------------------------------------------------------------

TEST_F(FinishingTest, GetterKeepsTheRowAndReadsThroughItAfterwards) {
  OptionEntry*& slot = ctx->workArea->finishingRows[kGetStapleType];
  ASSERT_EQ(slot, nullptr);
  Set(121, 'A');
  EXPECT_EQ(OptGetFinishingOption(ctx, kGetStapleType), 'A');
  ASSERT_EQ(slot, OptFind(ctx, 121));

  // A later change of the option is seen: the slot holds the row, not the value.
  Set(121, 'D');
  EXPECT_EQ(OptGetFinishingOption(ctx, kGetStapleType), 'D');

  // The second read does not look the option up again: it goes wherever the slot points.
  Set(120, 17);
  slot = OptFind(ctx, 120);
  EXPECT_EQ(OptGetFinishingOption(ctx, kGetStapleType), 17);

  // Two getters of the same option keep separate slots.
  Set(10098, 1);
  EXPECT_EQ(OptGetFinishingOption(ctx, kGetDomFin4Na2), 1);
  EXPECT_EQ(ctx->workArea->finishingRows[kGetFin1DomFin4Na2], nullptr);
  EXPECT_NE(ctx->workArea->finishingRows[kGetDomFin4Na2], nullptr);
}

TEST_F(FinishingTest, MissingOptionReadsZeroAndLeavesTheSlotEmpty) {
  constexpr uint16_t kNoSuchOption = 64999;
  ASSERT_EQ(OptFind(ctx, kNoSuchOption), nullptr);
  OptionEntry* slot = nullptr;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(OptGetValueCached(ctx, kNoSuchOption, &slot), 0);
    EXPECT_EQ(slot, nullptr);
  }
  EXPECT_EQ(OptGetFinishingOption(ctx, kFinishingGetterCount), 0);
  EXPECT_EQ(OptGetFinishingOption(ctx, -1), 0);
}

TEST_F(FinishingTest, EveryGetterNamesAnOptionOfTheTable) {
  for (BYTE model : {23, 144, 158, 162}) {
    SetModel(model);
    for (int g = 0; g < kFinishingGetterCount; ++g)
      EXPECT_NE(OptFind(ctx, OptFinishingGetterOption(ctx, g)), nullptr) << "model " << int(model) << " getter " << g;
  }
}

TEST_F(FinishingTest, ModelChoosesTheTrayFiveAndByModelOptions) {
  struct Case {
    BYTE model;
    uint16_t tray5Paper, tray5Feed, tray5Lock;
    uint16_t family[4];
  };
  const Case cases[] = {
      {23, 10200, 10168, 10264, {10090, 10091, 10092, 10093}},
      {144, 10179, 10147, 10243, {10090, 10091, 10092, 10093}},
      {150, 10179, 10147, 10243, {10090, 10091, 10092, 10093}},
      {158, 10200, 10168, 10264, {10098, 10099, 10100, 10101}},
      {165, 10200, 10168, 10264, {10098, 10099, 10100, 10101}},
      {186, 10200, 10168, 10264, {10098, 10099, 10100, 10101}},
      {162, 10200, 10168, 10264, {10078, 10079, 10100, 10080}},
  };
  for (const Case& c : cases) {
    SetModel(c.model);
    EXPECT_EQ(OptFinishingGetterOption(ctx, kGetTray5Paper), c.tray5Paper) << int(c.model);
    EXPECT_EQ(OptFinishingGetterOption(ctx, kGetTray5Feed), c.tray5Feed) << int(c.model);
    EXPECT_EQ(OptFinishingGetterOption(ctx, kGetTray5Lock), c.tray5Lock) << int(c.model);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(OptFinishingGetterOption(ctx, kGetByModelNa + i), c.family[i]) << int(c.model) << " member " << i;
  }
}

TEST_F(FinishingTest, FamilyTestsAnswerForEachOfTheirMembers) {
  struct Family {
    const char* name;
    int (*test)(DriverContext*);
    std::initializer_list<uint16_t> members;
  };
  const Family families[] = {
      {"Fin2000", OptIsFin2000Installed, {10058, 10074, 10075, 10076, 10077}},
      {"Fin3000", OptIsFin3000Installed, {10050, 10078, 10079, 10080, 10081}},
      {"Fin2000Or3000", OptIsFin2000Or3000Installed, {10058, 10077, 10050, 10081}},
      {"FinMF", OptIsFinMfFin1Installed, {10082, 10086, 10087, 10088, 10089}},
      {"ByModel", OptIsFin2Fin4ByModelInstalled, {10090, 10091, 10092, 10093}},
      {"Fin50", OptIsFin50Fin2Installed, {10083, 10090, 10091, 10092, 10093}},
      {"Fin100", OptIsFin100Fin3Installed, {10084, 10094, 10095, 10096, 10097}},
      {"Dom", OptIsDomFinisherInstalled, {10102, 10098, 10099, 10100, 10101, 10103}},
      {"Fin1Dom", OptIsFin1DomFin4Installed, {10102, 10098, 10099, 10100, 10101}},
      {"Fin3Dom", OptIsFin3DomInstalled, {10104}},
      {"Fin4Dom", OptIsFin4DomFin4Installed, {10105, 10098, 10099, 10100, 10101}},
  };
  for (const Family& f : families) {
    EXPECT_EQ(f.test(ctx), 0) << f.name;
    for (uint16_t member : f.members) {
      Set(member, 1);
      EXPECT_EQ(f.test(ctx), 1) << f.name << " member " << member;
      Set(member, 0);
    }
    EXPECT_EQ(f.test(ctx), 0) << f.name;
  }
  // A member of another family does not count.
  Set(10103, 1);  // Fin2Dom
  EXPECT_EQ(OptIsFin1DomFin4Installed(ctx), 0);
  EXPECT_EQ(OptIsDomFinisherInstalled(ctx), 1);
}

TEST_F(FinishingTest, FamiliesReadTheirMembersInTheirOwnOrder) {
  using namespace finishing;
  constexpr int kNoPunch = -1;
  struct Case {
    Family family;
    uint16_t option;
    int field;  // variant index, or kNoPunch
  };
  const Case cases[] = {
      {kFamilyFinMfFin1, 10082, 0},  {kFamilyFinMfFin1, 10086, 1},  {kFamilyFinMfFin1, 10087, 2},
      {kFamilyFinMfFin1, 10088, 3},  {kFamilyFinMfFin1, 10089, kNoPunch},
      {kFamilyFin1DomFin4, 10102, 0}, {kFamilyFin1DomFin4, 10098, 1}, {kFamilyFin1DomFin4, 10099, 2},
      {kFamilyFin1DomFin4, 10100, 3}, {kFamilyFin1DomFin4, 10101, kNoPunch},
      {kFamilyFin50Fin2, 10083, 0},  {kFamilyFin50Fin2, 10090, 1},  {kFamilyFin50Fin2, 10091, 2},
      {kFamilyFin50Fin2, 10092, 3},  {kFamilyFin50Fin2, 10093, kNoPunch},
      {kFamilyDom, 10102, 0},        {kFamilyDom, 10098, 1},        {kFamilyDom, 10099, 2},
      {kFamilyDom, 10100, 3},        {kFamilyDom, 10103, 4},        {kFamilyDom, 10101, kNoPunch},
      {kFamilyFin100Fin3, 10084, 0}, {kFamilyFin100Fin3, 10094, 1}, {kFamilyFin100Fin3, 10095, 2},
      {kFamilyFin100Fin3, 10096, 3}, {kFamilyFin100Fin3, 10097, kNoPunch},
      {kFamilyFin2Fin4ByModel, 10090, 0}, {kFamilyFin2Fin4ByModel, 10091, 1},
      {kFamilyFin2Fin4ByModel, 10092, 2}, {kFamilyFin2Fin4ByModel, 10093, 3},
      {kFamilyFin4DomFin4, 10105, 0}, {kFamilyFin4DomFin4, 10098, 1}, {kFamilyFin4DomFin4, 10099, 2},
      {kFamilyFin4DomFin4, 10100, 3}, {kFamilyFin4DomFin4, 10101, kNoPunch},
  };
  for (const Case& c : cases) {
    Set(c.option, 1);
    const FamilyState s = ReadFamily(ctx, c.family, 9);
    Set(c.option, 0);
    EXPECT_TRUE(s.installed) << "family " << c.family << " option " << c.option;
    EXPECT_EQ(s.noPunch, c.field == kNoPunch) << "family " << c.family << " option " << c.option;
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(s.variant[i], i == c.field) << "family " << c.family << " option " << c.option << " variant " << i;
  }
  EXPECT_FALSE(ReadFamily(ctx, kFamilyDom, 9).finBF);
  Set(10059, 1);
  EXPECT_TRUE(ReadFamily(ctx, kFamilyDom, 9).finBF);
}

TEST_F(FinishingTest, FactsComeFromTheSelectionsAndTheProfile) {
  SetModel(162);
  Set(121, '"');
  Set(120, 34);
  Set(kOptOutPaperSize, 13);
  Set(7, 2);
  const finishing::Facts f = finishing::ReadFacts(ctx);
  EXPECT_EQ(f.model, 162);
  EXPECT_EQ(f.staple, '"');
  EXPECT_EQ(f.punch, 34);
  EXPECT_EQ(f.paper, 13);
  EXPECT_EQ(f.orient, 1);
  Set(kOptOutPaperSize, 1024);  // the output paper follows dmPaperSize
  Set(kOptPaperSize, 5);
  EXPECT_EQ(finishing::ReadFacts(ctx).paper, 5);
}

// ---- print-paper orientation ------------------------------------------------------------------

TEST_F(FinishingTest, PrintPaperOrientFollowsTwoUpAndBookletLayouts) {
  struct Case {
    int32_t nup, nupType, duplex, duplexType, orientation, expected;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 1, 0},     {0, 0, 0, 0, 2, 1},        // plain: landscape page, turned sheet
      {1, 2, 0, 0, 1, 1},     {1, 2, 0, 0, 2, 0},        // two-up: the other way round
      {1, 18, 0, 0, 1, 1},    {1, 129, 0, 0, 1, 1},     {1, 130, 0, 0, 1, 1},
      {1, 161, 0, 0, 1, 1},   {1, 164, 0, 0, 1, 1},
      {1, 33, 0, 0, 1, 0},    {1, 33, 0, 0, 2, 1},       // four-up keeps the page's way
      {1, 19, 0, 0, 1, 0},    {1, 131, 0, 0, 1, 0},     {1, 165, 0, 0, 1, 0},
      {0, 2, 0, 0, 1, 0},                                // a type without N-up selected
      {0, 0, 1, 17, 1, 1},    {0, 0, 1, 18, 2, 0},       // booklet duplex
      {0, 0, 1, 16, 1, 0},    {0, 0, 0, 17, 1, 0},
      {1, 33, 1, 17, 1, 1},                              // four-up falls through to the booklet
  };
  for (const Case& c : cases) {
    Set(56, c.nup);
    Set(92, c.nupType);
    Set(58, c.duplex);
    Set(94, c.duplexType);
    Set(7, c.orientation);
    EXPECT_EQ(OptGetPrintPaperOrient(ctx), c.expected)
        << "nup " << c.nup << "/" << c.nupType << " duplex " << c.duplex << "/" << c.duplexType << " orient "
        << c.orientation;
    EXPECT_EQ(OptGetFinishingItem(ctx, 842), c.expected);
  }
}

// ---- family rules -----------------------------------------------------------------------------

Facts MakeFacts(int32_t paper, int orient, WORD feed, int32_t staple = 0, int32_t punch = 0, int model = 23) {
  Facts f;
  f.paper = paper;
  f.orient = orient;
  f.feed = feed;
  f.staple = staple;
  f.punch = punch;
  f.model = model;
  return f;
}

FamilyState Installed(std::initializer_list<int> variants = {}) {
  FamilyState s;
  s.installed = s.listedStrict = s.listed = s.notExcluded = true;
  for (int v : variants) s.variant[v] = true;
  return s;
}

TEST(FinishingFamilies, StaplePositionsFollowFeedAndOrientation) {
  using finishing::kFamilyFinMfFin1;
  struct Case {
    int32_t staple;
    WORD feed;
    int orient;
    int32_t paper;
    int expected;
  };
  const Case cases[] = {
      {'A', 1, 0, 9, 1}, {'A', 1, 1, 9, 0}, {'A', 2, 1, 9, 1}, {'A', 2, 0, 9, 0}, {'!', 1, 0, 9, 1},
      {'B', 1, 1, 9, 1}, {'C', 2, 0, 9, 1}, {'"', 1, 0, 9, 0}, {'1', 2, 0, 9, 1}, {'2', 1, 1, 9, 1},
      {'D', 1, 0, 9, 1}, {'D', 2, 0, 9, 0},   // 'D' needs feed value 0
      {'D', 1, 0, 13, 0}, {'D', 1, 0, 5, 0},  // B5 and Legal cannot take it on a plain model
      {'E', 3, 0, 9, 0}, {'A', 0, 0, 9, 0},   // unknown code; paper not in the tray
  };
  for (const Case& c : cases)
    EXPECT_EQ(finishing::FamilyStapleAllowed(kFamilyFinMfFin1, MakeFacts(c.paper, c.orient, c.feed, c.staple),
                                             Installed()),
              c.expected)
        << char(c.staple) << " feed " << c.feed << " orient " << c.orient << " paper " << c.paper;

  // Nothing without the finisher or with the paper off its strict list.
  FamilyState s = Installed();
  s.installed = false;
  EXPECT_EQ(finishing::FamilyStapleAllowed(kFamilyFinMfFin1, MakeFacts(9, 0, 1, 'A'), s), 0);
  s = Installed();
  s.listedStrict = false;
  EXPECT_EQ(finishing::FamilyStapleAllowed(kFamilyFinMfFin1, MakeFacts(9, 0, 1, 'A'), s), 0);
}

TEST(FinishingFamilies, StapleDRulesDifferByFamilyAndModel) {
  using namespace finishing;
  struct Case {
    Family family;
    int model;
    int32_t paper;
    bool finBF;
    int expected;
  };
  const Case cases[] = {
      {kFamilyFinMfFin1, 144, 7, false, 0},   {kFamilyFinMfFin1, 144, 9, false, 1},
      {kFamilyFinMfFin1, 162, 512, false, 0}, {kFamilyFinMfFin1, 162, 5, false, 1},
      {kFamilyFinMfFin1, 165, 14, false, 0},  {kFamilyFin1DomFin4, 162, 13, false, 1},
      {kFamilyFin1DomFin4, 186, 7, false, 0}, {kFamilyFin1DomFin4, 23, 13, false, 0},
      {kFamilyFin50Fin2, 23, 9, false, 0},    // this family has no 'D'
      {kFamilyFin100Fin3, 23, 9, false, 0},   {kFamilyFin100Fin3, 23, 9, true, 1},
      {kFamilyFin100Fin3, 144, 513, true, 0}, {kFamilyFin2Fin4ByModel, 23, 5, true, 0},
      {kFamilyFin4DomFin4, 23, 13, false, 1}, {kFamilyFin4DomFin4, 23, 14, false, 0},
      {kFamilyDom, 23, 9, false, 1},          {kFamilyDom, 23, 13, false, 0},
  };
  for (const Case& c : cases) {
    FamilyState s = Installed();
    s.finBF = c.finBF;
    EXPECT_EQ(FamilyStapleAllowed(c.family, MakeFacts(c.paper, 0, 1, 'D', 0, c.model), s), c.expected)
        << "family " << c.family << " model " << c.model << " paper " << c.paper;
  }
  // Fin4Dom has no '!' or '"'; Dom staples '1'/'2' on B5 only from a tray with feed value 1.
  EXPECT_EQ(FamilyStapleAllowed(kFamilyFin4DomFin4, MakeFacts(9, 0, 1, '!'), Installed()), 0);
  EXPECT_EQ(FamilyStapleAllowed(kFamilyFin4DomFin4, MakeFacts(9, 0, 1, 'A'), Installed()), 1);
  EXPECT_EQ(FamilyStapleAllowed(kFamilyDom, MakeFacts(13, 0, 1, '1'), Installed()), 0);
  EXPECT_EQ(FamilyStapleAllowed(kFamilyDom, MakeFacts(13, 0, 2, '1'), Installed()), 1);
  EXPECT_EQ(FamilyStapleAllowed(kFamilyDom, MakeFacts(13, 0, 1, 'A'), Installed()), 0);
}

TEST(FinishingFamilies, PunchCodesFollowTheInstalledVariant) {
  using namespace finishing;
  struct Case {
    Family family;
    std::initializer_list<int> variants;
    int32_t punch;
    int expected;
  };
  // Feed value 0, page not turned: codes 1, 17, 33, 49 are the positions along the feed edge.
  const Case cases[] = {
      {kFamilyFinMfFin1, {1}, 33, 0},   // FIN1NA punches 1-3 and 17-19 only
      {kFamilyFinMfFin1, {1}, 17, 1},  {kFamilyFinMfFin1, {1}, 1, 1},
      {kFamilyFinMfFin1, {2}, 33, 1},  {kFamilyFinMfFin1, {2}, 17, 0},
      {kFamilyFinMfFin1, {0, 2}, 33, 0},  // the first installed variant decides
      {kFamilyFinMfFin1, {3}, 49, 1},  {kFamilyFinMfFin1, {3}, 1, 0},
      {kFamilyFinMfFin1, {}, 49, 1},   // no variant: every code passes that step
      {kFamilyFinMfFin1, {}, 66, 0},   // but unknown codes give 0
      {kFamilyFin50Fin2, {1}, 17, 1},  {kFamilyFin1DomFin4, {2}, 33, 1},
      {kFamilyDom, {2}, 33, 0},        // FIN4EU on Dom: 1-3 only
      {kFamilyDom, {4}, 33, 0},        // Fin2Dom 33-35: along the edge only on A3
      {kFamilyFin100Fin3, {0}, 66, 0}, // 66 only for model 165
      {kFamilyFin2Fin4ByModel, {1}, 17, 1},  {kFamilyFin2Fin4ByModel, {1}, 1, 0},
      {kFamilyFin2Fin4ByModel, {0, 1}, 17, 0},  // NA before EU
      {kFamilyFin2Fin4ByModel, {3}, 33, 1},
      {kFamilyFin4DomFin4, {1}, 18, 0},  {kFamilyFin4DomFin4, {1}, 19, 0},  // 19 passes, but across
      {kFamilyFin4DomFin4, {1}, 17, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FamilyPunchAllowed(c.family, MakeFacts(9, 0, 1, 0, c.punch), Installed(c.variants)), c.expected)
        << "family " << c.family << " punch " << c.punch;

  // Dom with Fin2Dom punches 33 along the edge on A3; Fin100 punches 66 on model 165 for A4.
  EXPECT_EQ(FamilyPunchAllowed(kFamilyDom, MakeFacts(8, 0, 1, 0, 33), Installed({4})), 1);
  EXPECT_EQ(FamilyPunchAllowed(kFamilyFin100Fin3, MakeFacts(9, 0, 1, 0, 66, 165), Installed({0})), 1);
  EXPECT_EQ(FamilyPunchAllowed(kFamilyFin100Fin3, MakeFacts(12, 0, 1, 0, 66, 165), Installed({0})), 0);
}

TEST(FinishingFamilies, PunchBlockersAndModelRules) {
  using namespace finishing;
  // The no-punch member, a missing finisher, an unlisted paper, a paper not in the tray.
  FamilyState s = Installed({1});
  s.noPunch = true;
  EXPECT_EQ(FamilyPunchAllowed(kFamilyFinMfFin1, MakeFacts(9, 0, 1, 0, 1), s), 0);
  // The by-model family has no no-punch test.
  EXPECT_EQ(FamilyPunchAllowed(kFamilyFin2Fin4ByModel, MakeFacts(9, 0, 1, 0, 1), [] {
              FamilyState t = Installed({0});
              t.noPunch = true;
              return t;
            }()),
            1);
  s = Installed();
  s.listed = false;
  EXPECT_EQ(FamilyPunchAllowed(kFamilyFinMfFin1, MakeFacts(9, 0, 1, 0, 1), s), 0);
  EXPECT_EQ(FamilyPunchAllowed(kFamilyFinMfFin1, MakeFacts(9, 0, 0, 0, 1), Installed()), 0);
  // Folded papers on the domestic models, 512 on model 162.
  EXPECT_EQ(FamilyPunchAllowed(kFamilyFinMfFin1, MakeFacts(517, 0, 1, 0, 1, 158), Installed()), 0);
  EXPECT_EQ(FamilyPunchAllowed(kFamilyFin1DomFin4, MakeFacts(517, 0, 1, 0, 1, 158), Installed()), 1);
  EXPECT_EQ(FamilyPunchAllowed(kFamilyFin50Fin2, MakeFacts(512, 0, 1, 0, 1, 162), Installed()), 0);

  // Codes 17/33 with the sheet fed across (F2 and O) take the model rule W; otherwise the
  // exclusion list decides.
  struct Case {
    Family family;
    int model;
    std::initializer_list<int> variants;
    int32_t paper;
    int32_t punch;
    WORD feed;
    int orient;
    bool notExcluded;
    int expected;
  };
  const Case cases[] = {
      {kFamilyFinMfFin1, 144, {1}, 6, 17, 2, 1, true, 0},   {kFamilyFinMfFin1, 144, {1}, 9, 17, 2, 1, true, 1},
      {kFamilyFinMfFin1, 165, {2}, 11, 33, 2, 1, true, 0},  {kFamilyFinMfFin1, 23, {1}, 6, 17, 2, 1, true, 1},
      {kFamilyFinMfFin1, 23, {1}, 9, 17, 1, 0, false, 0},   {kFamilyFinMfFin1, 23, {1}, 8, 18, 1, 1, true, 1},
      {kFamilyFin1DomFin4, 144, {1}, 6, 17, 2, 1, true, 0}, {kFamilyFin50Fin2, 144, {1}, 6, 17, 2, 1, true, 1},
      {kFamilyFin100Fin3, 144, {2}, 13, 33, 2, 1, true, 0}, {kFamilyFin100Fin3, 144, {2}, 12, 33, 1, 0, true, 0},
      {kFamilyFin100Fin3, 144, {2}, 8, 33, 1, 0, true, 1},  {kFamilyFin100Fin3, 23, {2}, 12, 34, 1, 1, true, 1},
      {kFamilyFin100Fin3, 144, {3}, 6, 49, 1, 0, true, 0},  {kFamilyFin100Fin3, 144, {3}, 6, 49, 2, 1, true, 1},
      {kFamilyFin2Fin4ByModel, 165, {1}, 11, 17, 2, 1, true, 0},
      {kFamilyFin2Fin4ByModel, 162, {1}, 6, 18, 2, 0, true, 0},
      {kFamilyFin2Fin4ByModel, 144, {3}, 13, 34, 2, 0, true, 0},
      {kFamilyFin2Fin4ByModel, 144, {3}, 12, 33, 1, 0, true, 0},
      {kFamilyDom, 23, {1}, 12, 1, 1, 0, true, 0},  // FIN4NA2 does not punch B4
      {kFamilyDom, 23, {1}, 8, 1, 2, 1, true, 0},   // nor anything but A4/Letter fed across
      {kFamilyDom, 23, {1}, 9, 1, 2, 1, true, 1},
  };
  for (const Case& c : cases) {
    FamilyState t = Installed(c.variants);
    t.notExcluded = c.notExcluded;
    EXPECT_EQ(FamilyPunchAllowed(c.family, MakeFacts(c.paper, c.orient, c.feed, 0, c.punch, c.model), t), c.expected)
        << "family " << c.family << " model " << c.model << " paper " << c.paper << " punch " << c.punch;
  }
}

TEST(FinishingFamilies, FinishableAndListItems) {
  using namespace finishing;
  Facts f = MakeFacts(11, 0, 1, 0, 0, 138);
  f.fed0 = true;
  // Model 138 cannot finish A5 on the families with that test.
  EXPECT_EQ(FamilyItem(kFamilyFinMfFin1, 0, f, Installed()), 0);
  EXPECT_EQ(FamilyItem(kFamilyDom, 0, f, Installed()), 1);
  // Kind 1 needs feed value 1 and a paper that is not long.
  f = MakeFacts(8, 0, 2);
  f.fed1 = true;
  f.longPaper = true;
  EXPECT_EQ(FamilyItem(kFamilyFinMfFin1, 1, f, Installed()), 0);
  f.longPaper = false;
  EXPECT_EQ(FamilyItem(kFamilyFinMfFin1, 1, f, Installed()), 1);
  // List kinds answer without the finisher; kind 5 drops folded papers on the domestic models.
  FamilyState s;
  s.listedStrict = true;
  s.listed = s.notExcluded = true;
  f = MakeFacts(93, 0, 0, 0, 0, 186);
  EXPECT_EQ(FamilyItem(kFamilyFinMfFin1, 2, f, s), 1);
  EXPECT_EQ(FamilyItem(kFamilyFinMfFin1, 5, f, s), 0);
  EXPECT_EQ(FamilyItem(kFamilyFin4DomFin4, 5, f, s), 1);
  EXPECT_EQ(FamilyItem(kFamilyFinMfFin1, 6, f, s), 1);
  EXPECT_EQ(FamilyItem(kFamilyFinMfFin1, 7, f, s), 0);
}

TEST(FinishingFamilies, ShortFamiliesAndFinBF) {
  using namespace finishing;
  Facts f = MakeFacts(512, 0, 1, 'A', 0, 142);
  f.fed0 = true;
  EXPECT_EQ(Type15Item(0, f, true, true), 0);  // model 142 with 512
  f.model = 23;
  EXPECT_EQ(Type15Item(0, f, true, true), 1);
  EXPECT_EQ(Type15Item(3, f, true, true), 1);
  f.staple = '!';
  EXPECT_EQ(Type15Item(3, f, true, true), 0);
  EXPECT_EQ(Fin3DomItem(3, f, true, true), 1);
  EXPECT_EQ(Type15Item(2, f, false, true), 1);

  // FinBF: long paper fed with value 0 (a), Letter/A4/B5 fed with 1 (b), Letter/A4 with 0 (d).
  struct Case {
    int32_t paper;
    bool longPaper, fed0, fed1;
    int32_t staple;
    int orient;
    int model;
    int expected815;
  };
  const Case cases[] = {
      {8, true, true, false, 'A', 0, 23, 1},   {8, true, true, false, 'A', 1, 23, 0},
      {13, false, false, true, 'A', 1, 23, 1}, {13, false, false, true, 'B', 0, 23, 1},
      {9, false, true, false, '!', 0, 23, 1},  {9, false, true, false, '1', 0, 23, 0},
      {9, false, true, false, '1', 0, 174, 1}, {9, false, true, false, '2', 0, 174, 0},
      {9, false, true, false, 'D', 0, 23, 1},  {5, true, true, false, 'D', 0, 23, 0},
      {5, true, true, false, 'D', 0, 151, 1},
  };
  for (const Case& c : cases) {
    Facts g = MakeFacts(c.paper, c.orient, 1, c.staple, 0, c.model);
    g.longPaper = c.longPaper;
    g.fed0 = c.fed0;
    g.fed1 = c.fed1;
    EXPECT_EQ(FinBFItem(5, g, true, false), c.expected815) << c.paper << " " << char(c.staple) << " " << c.model;
    EXPECT_EQ(FinBFItem(5, g, false, false), 0);
  }
  // Item 814 lists B5 only from a tray that feeds it with value 1, and needs no finisher.
  Facts b5 = MakeFacts(13, 0, 0);
  EXPECT_EQ(FinBFItem(4, b5, false, false), 0);
  b5.fed1 = true;
  EXPECT_EQ(FinBFItem(4, b5, false, false), 1);
  EXPECT_EQ(FinBFItem(4, MakeFacts(9, 0, 0), false, true), 1);
}

// ---- feed orientation -------------------------------------------------------------------------

TEST(FinishingFeedOrient, FamiliesMapPunchAndStapleToAFeedOrientation) {
  using namespace finishing;
  struct Case {
    FeedFamily family;
    bool punchStep, stapleOn;
    int32_t punch, staple;
    int orient;
    WORD expected;
  };
  const Case cases[] = {
      {kFeedFinMfFin1, true, true, 1, 'A', 0, 1},     {kFeedFinMfFin1, true, true, 1, 'A', 1, 2},
      {kFeedFinMfFin1, true, true, 2, 'A', 0, 2},     {kFeedFinMfFin1, true, true, 49, 'B', 1, 2},
      {kFeedFinMfFin1, false, true, 2, 'A', 0, 1},    // punch step skipped: the staple decides
      {kFeedFinMfFin1, false, false, 2, 'A', 0, 3},   // nothing to do: either way
      {kFeedFinMfFin1, true, true, 66, 'D', 0, 1},    {kFeedFinMfFin1, true, true, 66, 'E', 0, 0},
      {kFeedFinMfFin1, false, true, 0, '1', 0, 3},
      {kFeedFin2Fin4ByModel, true, true, 49, 'B', 0, 2},  // 49-51 not mapped
      {kFeedFin2Fin4ByModel, true, true, 17, 'B', 0, 1},
      {kFeedFin50Fin2, false, true, 0, 'D', 0, 0},    {kFeedFin100Fin3, true, true, 66, 'A', 1, 1},
      {kFeedFin100Fin3, true, true, 49, 'B', 1, 2},   {kFeedDom, true, true, 51, 'A', 1, 1},
      {kFeedFin2000Or3000, true, true, 66, 'C', 0, 2}, {kFeedFin2000Or3000, true, true, 33, 'C', 0, 1},
      {kFeedFin2000Or3000, false, true, 0, 'D', 0, 0},
      {kFeedFin1000, true, true, 1, '!', 1, 2},       {kFeedFin1000, true, true, 1, 'A', 1, 0},
      {kFeedFinBF, false, true, 0, '"', 0, 3},        {kFeedFinBF, false, true, 0, 'D', 1, 1},
      {kFeedType14, false, true, 0, '2', 0, 2},       {kFeedType14, false, false, 0, '2', 0, 3},
      {kFeedType15, false, true, 0, 'C', 1, 1},       {kFeedType15, false, true, 0, '!', 1, 0},
  };
  for (const Case& c : cases) {
    FeedState s;
    s.listed = true;
    s.punchStep = c.punchStep;
    s.stapleOn = c.stapleOn;
    EXPECT_EQ(FeedOrientOf(c.family, MakeFacts(9, c.orient, 1, c.staple, c.punch), s), c.expected)
        << "family " << c.family << " punch " << c.punch << " staple " << char(c.staple) << " orient " << c.orient;
  }
  FeedState unlisted;
  unlisted.stapleOn = false;
  EXPECT_EQ(FeedOrientOf(kFeedFinMfFin1, MakeFacts(9, 0, 1), unlisted), 0);
}

TEST_F(FinishingTest, FeedOrientTakesTheFirstInstalledFamilyAndItsNoPunchOption) {
  using namespace finishing;
  struct Case {
    uint16_t installed;  // option that installs the family
    FeedFamily family;
    uint16_t noPunch;  // option that skips the punch step, 0 for a staple-only family
  };
  // In the order of the rule: each row also has every family below it installed.
  const Case cases[] = {
      {10058, kFeedFin2000Or3000, 10077}, {10050, kFeedFin2000Or3000, 10081},
      {10049, kFeedFin1000, 0},           {10059, kFeedFinBF, 0},
      {10060, kFeedType14, 0},            {10061, kFeedType15, 0},
      {10082, kFeedFinMfFin1, 10089},     {10090, kFeedFin2Fin4ByModel, 10097},
      {10083, kFeedFin50Fin2, 10093},     {10084, kFeedFin100Fin3, 10097},
      {10103, kFeedDom, 10101},           {10102, kFeedDom, 10101},
      {10105, kFeedFin1DomFin4, 0},       // Fin4Dom alone installs none of the families
  };
  FeedFamily family;
  FeedState state;
  EXPECT_FALSE(ReadFeedFamily(ctx, 9, &family, &state));
  Set(62, 1);
  Set(63, 1);
  for (auto it = std::rbegin(cases); it != std::rend(cases); ++it) {
    Set(it->installed, 1);
    if (it->installed == 10105) {
      EXPECT_FALSE(ReadFeedFamily(ctx, 9, &family, &state));
      continue;
    }
    ASSERT_TRUE(ReadFeedFamily(ctx, 9, &family, &state)) << it->installed;
    EXPECT_EQ(family, it->family) << it->installed;
    EXPECT_TRUE(state.stapleOn);
    EXPECT_EQ(state.punchStep, it->noPunch != 0) << it->installed;
    // (FIN2NoPunch is also a member of the by-model family on this model, which then comes
    // first; the next test covers it.)
    if (it->noPunch && it->noPunch != 10093) {
      Set(it->noPunch, 1);
      ASSERT_TRUE(ReadFeedFamily(ctx, 9, &family, &state));
      EXPECT_EQ(family, it->family);
      EXPECT_FALSE(state.punchStep) << it->installed << " with " << it->noPunch;
      Set(it->noPunch, 0);
    }
  }
  // With the punch switched off there is no punch step at all.
  Set(62, 0);
  ASSERT_TRUE(ReadFeedFamily(ctx, 9, &family, &state));
  EXPECT_FALSE(state.punchStep);
}

TEST_F(FinishingTest, Fin50NoPunchSkipsThePunchStepWhereItIsNotAByModelMember) {
  using namespace finishing;
  SetModel(158);  // the by-model family reads the FIN4 options here
  Set(62, 1);
  Set(10083, 1);
  FeedFamily family;
  FeedState state;
  ASSERT_TRUE(ReadFeedFamily(ctx, 9, &family, &state));
  EXPECT_EQ(family, kFeedFin50Fin2);
  EXPECT_TRUE(state.punchStep);
  Set(10093, 1);
  ASSERT_TRUE(ReadFeedFamily(ctx, 9, &family, &state));
  EXPECT_EQ(family, kFeedFin50Fin2);
  EXPECT_FALSE(state.punchStep);
}

TEST_F(FinishingTest, FeedOrientItemsAreZeroWithoutAFinisher) {
  Set(63, 0);
  EXPECT_EQ(OptGetFinishingFeedOrient(ctx), 0);
  EXPECT_EQ(OptGetFinishingItem(ctx, 850), 0);
  EXPECT_EQ(OptGetFinishingItem(ctx, 851), 0);
}

// ---- resolution cap ---------------------------------------------------------------------------

TEST_F(FinishingTest, PaperDotTestsUseTheirBounds) {
  struct Case {
    int32_t width, length;
    int below, limit;
  };
  const Case cases[] = {{30708, 30708, 1, 1}, {30709, 100, 0, 1}, {100, 30709, 0, 1},
                        {32124, 32124, 0, 1}, {32125, 100, 0, 0}, {100, 32125, 0, 0}};
  for (const Case& c : cases) {
    Set(48, c.width);
    Set(47, c.length);
    Set(41, c.width);
    Set(40, c.length);
    EXPECT_EQ(OptDstPaperFitsDots(ctx), c.below) << c.width << "x" << c.length;
    EXPECT_EQ(OptDstPaperFitsDotLimit(ctx), c.limit) << c.width << "x" << c.length;
    EXPECT_EQ(OptSrcPaperFitsDotLimit(ctx), c.limit) << c.width << "x" << c.length;
  }
}

TEST_F(FinishingTest, ScaledSourceFitsAfterScaleOrPoster) {
  struct Case {
    int32_t width, length;
    int32_t scale, scaleType, scaleH, scaleV;
    int32_t nup, postKind, nupType;
    int expected;
  };
  const Case cases[] = {
      {30708, 30708, 0, 0, 0, 0, 0, 0, 0, 1},
      {30709, 100, 0, 0, 0, 0, 0, 0, 0, 0},
      {20000, 20000, 1, 0, 150, 100, 0, 0, 0, 1},     // 30000 x 20000
      {20000, 20000, 1, 0, 100, 160, 0, 0, 0, 0},     // length 32000
      {20000, 20000, 1, 1, 150, 200, 0, 0, 0, 1},     // type 1 scales both by H
      {40000, 40000, 1, 2, 50, 50, 0, 0, 0, 0},       // type 2 does not scale
      // Poster 0x8001 doubles the shorter side (the length when equal).
      {15354, 30708, 0, 0, 0, 0, 1, 9, 0x8001, 1},
      {15355, 30708, 0, 0, 0, 0, 1, 9, 0x8001, 0},
      {15354, 15354, 0, 0, 0, 0, 1, 9, 0x8001, 1},
      {30708, 15355, 0, 0, 0, 0, 1, 9, 0x8001, 0},
      {10236, 10236, 0, 0, 0, 0, 1, 9, 0x8003, 1},    // tripled
      {10237, 10236, 0, 0, 0, 0, 1, 9, 0x8003, 0},
      {20000, 20000, 0, 0, 0, 0, 1, 8, 0x8003, 1},    // not a poster kind
      {20000, 20000, 0, 0, 0, 0, 1, 9, 0x8000, 1},
  };
  for (const Case& c : cases) {
    Set(41, c.width);
    Set(40, c.length);
    Set(55, c.scale);
    Set(87, c.scaleType);
    Set(89, c.scaleH);
    Set(90, c.scaleV);
    Set(56, c.nup);
    Set(91, c.postKind);
    Set(92, c.nupType);
    EXPECT_EQ(OptScaledSrcPaperFitsDots(ctx), c.expected)
        << c.width << "x" << c.length << " scale " << c.scale << "/" << c.scaleType << " nup " << c.nupType;
  }
}

TEST_F(FinishingTest, NoCapAt600DpiOrBelow) {
  Set(kOptPaperSize, 8);
  Set(kOptOutPaperSize, 8);
  for (int32_t quality : {300, 600}) {
    Set(kOptDmPrintQuality, quality);
    EXPECT_EQ(OptGetResolutionCap(ctx, 0), 0) << quality;
    EXPECT_EQ(OptGetResolutionCapStrict(ctx, 0), 0) << quality;
  }
  // The cap brought the resolution options up to date.
  EXPECT_EQ(OptGetDstResolutionW(ctx), 600);
}

TEST_F(FinishingTest, CapIs600WhenThePaperIsTooLargeInDots) {
  // Paper codes that no paper table knows leave the dots set here as they are when the cap
  // brings the paper options up to date.
  Set(kOptPaperSize, 0);
  Set(kOptDmPrintQuality, 1200);
  struct Case {
    int32_t loadShare, outPaper;
    int32_t srcW, srcL, dstW, dstL;
    WORD expected;
  };
  const Case cases[] = {
      // Load sharing 3-255: destination below 30709 and the scaled source within 30708.
      {3, 0, 20000, 20000, 20000, 30708, 0},
      {3, 0, 20000, 20000, 20000, 30709, 600},
      {3, 0, 20000, 30709, 20000, 20000, 600},
      {255, 0, 20000, 20000, 30709, 20000, 600},
      // Load sharing 0-2: the destination (or, for output 1024, the source) up to 32124.
      {0, 0, 40000, 40000, 32124, 32124, 0},
      {2, 0, 100, 100, 32125, 100, 600},
      {1, 1024, 32124, 32124, 40000, 40000, 0},
      {1, 1024, 32125, 100, 100, 100, 600},
      {256 + 3, 0, 20000, 20000, 20000, 30709, 600},  // the byte is what counts
  };
  for (const Case& c : cases) {
    Set(227, c.loadShare & 0xFF);
    Set(kOptOutPaperSize, c.outPaper);
    Set(41, c.srcW);
    Set(40, c.srcL);
    Set(48, c.dstW);
    Set(47, c.dstL);
    EXPECT_EQ(OptGetResolutionCap(ctx, 0), c.expected)
        << "load share " << c.loadShare << " output " << c.outPaper << " src " << c.srcW << "x" << c.srcL << " dst "
        << c.dstW << "x" << c.dstL;
    EXPECT_EQ(OptGetFinishingItem(ctx, 858), c.expected == 0 ? 1 : 0);
  }
}

// On Windows 9x the source paper must also stay below 30709 dots for load sharing 0-2.
class FinishingOnWin9x : public FinishingTest {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts f;
    f.majorVersion = 4;
    f.minorVersion = 10;
    f.platformId = 1;
    f.buildNumber = 4010;
    return f;
  }
  void SetUp() override {
    FinishingTest::SetUp();
    EnvResetSystemCaches();
  }
  void TearDown() override {
    FinishingTest::TearDown();
    EnvResetSystemCaches();
  }
};

TEST_F(FinishingOnWin9x, SourceMustStayBelowTheLowerBound) {
  ASSERT_EQ(EnvIsWin9x(), 1);
  Set(kOptPaperSize, 0);
  Set(kOptOutPaperSize, 1024);  // not looked at on this system
  Set(kOptDmPrintQuality, 1200);
  Set(227, 0);
  struct Case {
    int32_t srcW, srcL, dstW, dstL;
    WORD expected;
  };
  const Case cases[] = {
      {30708, 30708, 32124, 32124, 0},
      {30709, 100, 100, 100, 600},
      {100, 30709, 100, 100, 600},
      {100, 100, 32125, 100, 600},
  };
  for (const Case& c : cases) {
    Set(41, c.srcW);
    Set(40, c.srcL);
    Set(48, c.dstW);
    Set(47, c.dstL);
    EXPECT_EQ(OptGetResolutionCap(ctx, 0), c.expected) << c.srcW << "x" << c.srcL << " " << c.dstW << "x" << c.dstL;
  }
}

// The lock step, driven by the locked resolution row and the tested option. The output paper is
// made too large in dots so that the cap before the lock is 600.
class ResolutionLock : public FinishingTest {
 protected:
  void SetUp() override {
    FinishingTest::SetUp();
    Set(kOptLockResolution, 1);
    Set(kOptPaperSize, 0);  // no paper table knows these codes: the dots set here stay
    Set(kOptOutPaperSize, 0);
    Set(227, 3);  // load sharing: the destination and scaled-source tests decide
    Set(41, 20000);
    Set(40, 20000);
    Set(48, 20000);
    Set(47, 30709);
  }
  // A resolution row with the given horizontal resolution, or nullptr.
  const ResolutionEntry* RowWithDpi(uint16_t dpi) {
    for (const ResolutionEntry* r = OptGetResolutionTable(); r && r->value; ++r)
      if (r->xDpi == dpi) return r;
    return nullptr;
  }
};

TEST_F(ResolutionLock, LockedResolutionLimitsTheCapAndIsWrittenToTheTestedOption) {
  const ResolutionEntry* row = RowWithDpi(1200);
  ASSERT_NE(row, nullptr);
  Set(10442, row->value);
  Set(kOptDstResolutionW, 400);
  // useDst: zdmDstResolutionW is remembered (400), set to 1200, and dmPrintQuality follows it.
  EXPECT_EQ(OptGetResolutionCap(ctx, 1), 600);  // 400 != 600, 1200 is not below 600
  EXPECT_EQ(OptGetDstResolutionW(ctx), 1200);
  EXPECT_EQ(OptGetPrintQuality(ctx), 1200);
  // Strict: the remembered 1200 is not at most 600 either.
  EXPECT_EQ(OptGetResolutionCapStrict(ctx, 1), 600);
  // Remembered value equal to the cap: no cap.
  Set(kOptDstResolutionW, 600);
  EXPECT_EQ(OptGetResolutionCap(ctx, 1), 0);
  Set(kOptDstResolutionW, 300);
  EXPECT_EQ(OptGetResolutionCapStrict(ctx, 1), 0);
  // Each computation leaves the locked resolution in the option: the next one tests 1200.
  EXPECT_EQ(OptGetFinishingItem(ctx, 858), 0);
  Set(kOptDstResolutionW, 300);
  EXPECT_EQ(OptGetFinishingItem(ctx, 858), 1);
}

TEST_F(ResolutionLock, LockWithoutAResolutionRowIsLeftOut) {
  Set(10442, 0);
  ASSERT_EQ(OptFindResolutionRow(0), nullptr);
  Set(kOptDmPrintQuality, 1200);
  EXPECT_EQ(OptGetResolutionCap(ctx, 0), 600);
  EXPECT_EQ(OptGetPrintQuality(ctx), 1200);
}

// ---- items answered through the paper lists and the trays -------------------------------------

TEST_F(FinishingTest, FamilyItemsReadThePaperListsAndTheMainTray) {
  SetModel(23);
  Set(kOptOutPaperSize, 8);          // A3: listed, not excluded, long
  Set(13, 1);                        // main source tray 1
  Set(10175, 8);                     // tray 1 holds A3, feed value 0
  Set(OptFinishingGetterOption(ctx, kGetFinMf), 1);
  EXPECT_EQ(OptGetFinishingItem(ctx, 828), 1);  // listed
  EXPECT_EQ(OptGetFinishingItem(ctx, 831), 1);  // listed (lenient)
  EXPECT_EQ(OptGetFinishingItem(ctx, 832), 1);  // not excluded
  EXPECT_EQ(OptGetFinishingItem(ctx, 826), 1);  // finishable with feed value 0
  EXPECT_EQ(OptGetFinishingItem(ctx, 827), 0);  // not with feed value 1
  Set(kOptOutPaperSize, 9);          // A4 is excluded, and tray 1 does not hold it
  EXPECT_EQ(OptGetFinishingItem(ctx, 828), 1);
  EXPECT_EQ(OptGetFinishingItem(ctx, 832), 0);
  EXPECT_EQ(OptGetFinishingItem(ctx, 826), 0);
}

TEST_F(FinishingTest, TrayItemsAndInsertTraysReadTheTrays) {
  SetModel(23);
  Set(kOptOutPaperSize, 9);
  Set(10176, 9);                     // tray 2 holds A4 with feed value 1
  Set(10144, 1);
  EXPECT_EQ(OptGetFinishingItem(ctx, 845), 1);
  EXPECT_EQ(OptGetFinishingItem(ctx, 844), 0);
  EXPECT_EQ(OptGetFinishingItem(ctx, 843), 1);  // automatic selection finds tray 2
  Set(10240, 1);                     // ... until tray 2 is locked
  EXPECT_EQ(OptGetFinishingItem(ctx, 843), 0);

  // Cover tray 2 holds what the main tray (tray 1 here) holds, with the same feed value.
  Set(13, 1);
  Set(10175, 9);
  Set(125, 3);
  EXPECT_EQ(OptGetFinishingItem(ctx, 859), 0);  // feed values differ
  Set(10143, 1);
  EXPECT_EQ(OptGetFinishingItem(ctx, 859), 1);
}

TEST_F(FinishingTest, SizeClassItemsFollowTheMachineId) {
  Set(kOptOutPaperSize, 8);
  EXPECT_EQ(OptGetFinishingItem(ctx, 865), 0);  // no class table
  Set(35, 144);
  EXPECT_EQ(OptGetFinishingItem(ctx, 865), 1);
  EXPECT_EQ(OptGetFinishingItem(ctx, 866), 0);
  Set(kOptOutPaperSize, 9);
  EXPECT_EQ(OptGetFinishingItem(ctx, 866), 1);
  Set(kOptOutPaperSize, 13);
  EXPECT_EQ(OptGetFinishingItem(ctx, 867), 1);

  // 869: a class-3 paper is supplied by a model tray holding a class 1 or 2 paper with feed 0.
  EXPECT_EQ(OptGetFinishingItem(ctx, 869), 0);
  Set(10177, 1);                     // tray 3 (source 2) holds Letter
  EXPECT_EQ(OptGetFinishingItem(ctx, 869), 1);
  Set(13, 4);                        // not while the bypass tray is in use
  EXPECT_EQ(OptGetFinishingItem(ctx, 869), 0);
}

// ---- dispatch ---------------------------------------------------------------------------------

TEST_F(FinishingTest, ItemsWithoutARuleAndLockDefaultSwitches) {
  for (uint16_t id : {746, 752, 760, 781, 789, 805, 809, 816, 817, 825, 833, 841, 854, 857, 870, 892, 906, 937})
    EXPECT_EQ(OptGetFinishingItem(ctx, id), 0) << id;

  // 893/894 read the administrator's lock-default image, only while the defaults are locked.
  OptionEntry* copyProtect = OptFind(ctx, 79);
  OptionEntry* tonerSave = OptFind(ctx, 68);
  ASSERT_NE(copyProtect, nullptr);
  ASSERT_NE(tonerSave, nullptr);
  ASSERT_EQ(OptEncodeValue(OptGetLockDefaultValueAddress(ctx, copyProtect), copyProtect->typeWord, 1), 1);
  Set(79, 0);
  EXPECT_EQ(OptGetFinishingItem(ctx, 893), 0);
  Set(kOptLockDefault, 1);
  EXPECT_EQ(OptGetFinishingItem(ctx, 893), 1);
  EXPECT_EQ(OptGetFinishingItem(ctx, 894), 0);
  ASSERT_EQ(OptEncodeValue(OptGetLockDefaultValueAddress(ctx, tonerSave), tonerSave->typeWord, 1), 1);
  EXPECT_EQ(OptGetFinishingItem(ctx, 894), 1);
}

// The condition evaluator reads the computed items through the rules.
class FinishingEval : public zolt::test::ModelContextTest {};

TEST_F(FinishingEval, ConditionsReadComputedItems) {
  ASSERT_EQ(OptSetValue(ctx, 7, 2), 1);  // landscape page: the sheet is turned
  const RuleCell readOrient[] = {{1, 842}, {3, 10}};
  EXPECT_EQ(MdlEvalCondition(readOrient, 2, ctx), 1u);
  ASSERT_EQ(OptSetValue(ctx, 7, 1), 1);
  EXPECT_EQ(MdlEvalCondition(readOrient, 2, ctx), 0u);
  // An item without a rule reads 0; "not item 841" is true.
  const RuleCell notUnused[] = {{1, 841}, {3, 5}, {3, 10}};
  EXPECT_EQ(MdlEvalCondition(notUnused, 3, ctx), 1u);
}

}  // namespace
