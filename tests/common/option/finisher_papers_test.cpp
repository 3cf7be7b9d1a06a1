// The finishers' paper lists, the tray matchers and the paper size classes.
#include <gtest/gtest.h>

#include "finisher_papers.h"
#include "finishing_rules.h"
#include "option_access.h"
#include "option_image_context.h"
#include "option_values.h"

namespace {

using zolt::test::ImageContextTest;

// Options of the trays and paper sources.
enum : uint16_t {
  kDefaultSource = 13,
  kMachineId = 35,
  kTray1Paper = 10175, kTray2Paper = 10176, kTray3Paper = 10177, kTray4Paper = 10178, kTray5Paper = 10179,
  kLctPaper = 10200, kManualPaper = 10202, kMultiPaper = 10203, kExt1Paper = 10204,
  kTray1Feed = 10143, kTray2Feed = 10144, kTray3Feed = 10145, kTray5Feed = 10147, kLctFeed = 10168,
  kManualFeed = 10170, kMultiFeed = 10171, kExt1Feed = 10172,
  kTray1Lock = 10239, kTray2Lock = 10240, kLctLock = 10264, kManualLock = 10266, kMultiLock = 10267,
  kSourceLctOn = 10018, kSourceManualOn = 10021, kSourceMultiOn = 10022,
};

class FinisherPapersTest : public ImageContextTest {
 protected:
  void Set(uint16_t id, int32_t value) { ASSERT_EQ(OptSetValue(ctx, id, value), 1) << id << " = " << value; }
  void SetModel(BYTE code, BYTE variant = 0) {
    ctx->profile->modelCode = code;
    ctx->profile->modelVariant = variant;
    // The getters keep the rows they chose for the model they first saw; a model is fixed for a
    // context's life, so a test that changes it starts the slots afresh.
    for (OptionEntry*& slot : ctx->workArea->finishingRows) slot = nullptr;
  }
};

// ---- paper lists ------------------------------------------------------------------------------

TEST_F(FinisherPapersTest, ListMembershipStrictLenientAndExcluded) {
  struct Case {
    int list;
    BYTE model;
    int16_t paper;
    int strict, lenient, notExcluded;
  };
  const Case cases[] = {
      {kPaperListFin2000Or3000, 23, 8, 1, 1, 1},
      {kPaperListFin2000Or3000, 23, 11, 0, 1, 1},
      {kPaperListFin2000Or3000, 23, 6, 0, 0, 1},  // 6 only with Fin2000 installed
      {kPaperListFin2000Or3000, 23, 70, 0, 0, 1},
      {kPaperListFin1000, 23, 11, 0, 0, 1},       // strict only
      {kPaperListFinBF, 23, 13, 0, 0, 1},
      {kPaperListFinBF, 23, 14, 1, 1, 1},
      {kPaperListType14, 23, 517, 1, 1, 1},
      {kPaperListType14, 146, 517, 0, 0, 1},      // 517 and 93 not listed on model 146
      {kPaperListType15, 146, 93, 0, 0, 1},
      {kPaperListType15, 146, 512, 1, 1, 1},
      {kPaperListFinMfFin1, 23, 512, 0, 0, 1},
      {kPaperListFinMfFin1, 162, 512, 1, 1, 1},   // both tests on model 162
      {kPaperListFinMfFin1, 162, 385, 0, 1, 1},   // free size, lenient only
      {kPaperListFinMfFin1, 23, 385, 0, 0, 1},
      {kPaperListFinMfFin1, 23, 9, 1, 1, 0},      // A4 is in the exclusion list
      {kPaperListFinMfFin1, 23, 8, 1, 1, 1},
      {kPaperListFin2Fin4ByModel, 162, 512, 0, 1, 1},  // lenient only
      {kPaperListFin50Fin2, 162, 512, 1, 1, 1},
      {kPaperListFin100Fin3, 165, 449, 0, 1, 1},
      {kPaperListFin100Fin3, 162, 449, 0, 0, 1},
      {kPaperListDom, 23, 514, 0, 0, 0},
      {kPaperListDom, 23, 11, 0, 0, 1},           // no 11 extra for Dom
      {kPaperListDom, 23, 3, 1, 1, 1},
      {kPaperListFin1DomFin4, 23, 6, 0, 1, 0},    // 6 without an installed test
      {kPaperListFin1DomFin4, 23, 512, 1, 1, 1},
      {kPaperListFin1DomFin4, 23, 93, 0, 0, 1},   // not in this family's exclusion list either
      {kPaperListFin3Dom, 23, 93, 1, 1, 1},
      {kPaperListFin3Dom, 23, 11, 0, 0, 1},
      {kPaperListFin4DomFin4, 23, 11, 0, 1, 0},
      {kPaperListFin4DomFin4, 23, 0, 0, 0, 1},    // the list end is no member
  };
  for (const Case& c : cases) {
    SetModel(c.model);
    SCOPED_TRACE(testing::Message() << "list " << c.list << " model " << int(c.model) << " paper " << c.paper);
    EXPECT_EQ(OptIsPaperInFinisherList(ctx, c.list, c.paper), c.strict);
    EXPECT_EQ(OptIsPaperInFinisherListLenient(ctx, c.list, c.paper), c.lenient);
    EXPECT_EQ(OptIsPaperNotExcluded(ctx, c.list, c.paper), c.notExcluded);
  }
  EXPECT_EQ(OptIsPaperInFinisherList(ctx, 99, 8), 0);
  EXPECT_EQ(OptIsPaperInFinisherListLenient(ctx, -1, 11), 0);
}

TEST_F(FinisherPapersTest, PaperSixNeedsTheFamilyInstalled) {
  SetModel(23);
  EXPECT_EQ(OptIsPaperInFinisherListLenient(ctx, kPaperListFin50Fin2, 6), 0);
  Set(OptFinishingGetterOption(ctx, kGetFin50), 1);
  ASSERT_EQ(OptIsFin50Fin2Installed(ctx), 1);
  EXPECT_EQ(OptIsPaperInFinisherListLenient(ctx, kPaperListFin50Fin2, 6), 1);
  EXPECT_EQ(OptIsPaperInFinisherList(ctx, kPaperListFin50Fin2, 6), 0);
  // Another family's installation does not count.
  EXPECT_EQ(OptIsPaperInFinisherListLenient(ctx, kPaperListFin100Fin3, 6), 0);
}

TEST(FinisherPaperCodes, LongAndFreeSizeCodes) {
  for (int16_t p : {8, 12, 5, 3, 514, 513, 14, 517, 512}) EXPECT_EQ(OptIsLongPaper(p), 1) << p;
  for (int16_t p : {0, 1, 9, 11, 13, 93, 256, -8}) EXPECT_EQ(OptIsLongPaper(p), 0) << p;
  for (int32_t p : {256, 384, 393, 448, 449}) EXPECT_EQ(OptIsFreeSizePaperCode(nullptr, p), 1) << p;
  for (int32_t p : {255, 383, 394, 447, 450, 0}) EXPECT_EQ(OptIsFreeSizePaperCode(nullptr, p), 0) << p;
  for (int32_t p : {384, 393, 449}) EXPECT_EQ(OptIsFreeSizeSlotCode(nullptr, p), 1) << p;
  for (int32_t p : {256, 448, 394}) EXPECT_EQ(OptIsFreeSizeSlotCode(nullptr, p), 0) << p;
}

// ---- tray matchers ----------------------------------------------------------------------------

TEST_F(FinisherPapersTest, AutomaticSelectionSkipsLockedTraysAndCollectsFeedFlags) {
  SetModel(23);
  Set(kDefaultSource, 7);
  Set(kTray1Paper, 9);
  Set(kTray1Lock, 1);
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 7, 9), 0);
  EXPECT_EQ(OptGetPaperFeedFlags(ctx, 9), 0);
  Set(kTray2Paper, 9);
  Set(kTray2Feed, 1);
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 7, 9), 1);
  EXPECT_EQ(OptGetPaperFeedFlags(ctx, 9), 2);
  EXPECT_EQ(OptTrayHoldsPaperFed(ctx, 7, 9, 1), 1);
  EXPECT_EQ(OptTrayHoldsPaperFed(ctx, 7, 9, 0), 0);
  Set(kTray1Lock, 0);  // tray 1 (feed value 0) joins
  EXPECT_EQ(OptGetPaperFeedFlags(ctx, 9), 3);
  EXPECT_EQ(OptSourceHoldsPaperFed(ctx, 9, 0), 1);

  // The large-capacity tray counts only while it is installed and unlocked (on model 144, whose
  // tray 5 has options of its own; elsewhere tray 5 reads the large-capacity tray's options).
  SetModel(144);
  Set(kLctPaper, 12);
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 7, 12), 0);
  Set(kSourceLctOn, 1);
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 7, 12), 1);
  Set(kLctLock, 1);
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 7, 12), 0);
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 11, 12), 1);  // the tray itself still holds it
}

TEST_F(FinisherPapersTest, BypassTrayIsTheManualOrTheMultiForm) {
  SetModel(23);
  Set(kManualPaper, 5);
  Set(kMultiPaper, 8);
  Set(kMultiFeed, 1);
  // Neither form installed: the multi form is absent, the manual form is not looked at.
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 4, 5), 0);
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 4, 8), 0);
  int16_t paper = -1;
  int32_t feed = -1;
  EXPECT_EQ(OptGetTrayContents(ctx, 4, &paper, &feed), 0);
  EXPECT_EQ(paper, -1);
  EXPECT_EQ(feed, -1);

  Set(kSourceMultiOn, 1);
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 4, 8), 1);
  EXPECT_EQ(OptTrayHoldsPaperFed(ctx, 4, 8, 1), 1);
  EXPECT_EQ(OptTrayHoldsPaperFed(ctx, 4, 8, 0), 0);
  EXPECT_EQ(OptGetTrayContents(ctx, 4, &paper, &feed), 1);
  EXPECT_EQ(paper, 8);
  Set(kDefaultSource, 4);
  EXPECT_EQ(OptGetPaperFeedFlags(ctx, 8), 2);

  Set(kSourceManualOn, 1);  // the manual form takes over
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 4, 8), 0);
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 4, 5), 1);
  EXPECT_EQ(OptGetPaperFeedFlags(ctx, 5), 1);
  EXPECT_EQ(OptGetTrayContents(ctx, 4, &paper, &feed), 0);
  EXPECT_EQ(paper, 5);

  // On the manual-form models the manual paper matches first, the multi form after it.
  Set(kSourceManualOn, 0);
  SetModel(147);
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 4, 5), 1);
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 4, 8), 1);
  Set(kManualFeed, 1);
  EXPECT_EQ(OptTrayHoldsPaperFed(ctx, 4, 8, 1), 1);
  EXPECT_EQ(OptTrayHoldsPaperFed(ctx, 4, 8, 0), 0);  // the manual feed value decides first
}

TEST_F(FinisherPapersTest, FreeSizeRuleOnModels162And165) {
  Set(kTray1Paper, 386);
  Set(kManualPaper, 449);
  for (BYTE model : {23, 162, 165}) {
    SetModel(model);
    const int freeRule = model != 23;
    SCOPED_TRACE(int(model));
    EXPECT_EQ(OptTrayHoldsPaper(ctx, 1, 256), freeRule);
    EXPECT_EQ(OptTrayHoldsPaper(ctx, 1, 448), freeRule);
    EXPECT_EQ(OptTrayHoldsPaper(ctx, 1, 386), 1);
    EXPECT_EQ(OptTrayHoldsPaper(ctx, 1, 9), 0);
    EXPECT_EQ(OptTrayHoldsPaper(ctx, 7, 256), 0);  // never for automatic selection
    Set(kDefaultSource, 1);
    EXPECT_EQ(OptGetPaperFeedFlags(ctx, 384), freeRule);
  }
  // Model 165's bypass tray: the free-size rule on the manual paper, without a feed test.
  SetModel(165);
  Set(kManualFeed, 1);
  EXPECT_EQ(OptTrayHoldsPaperFed(ctx, 4, 256, 0), 1);
  EXPECT_EQ(OptTrayHoldsPaperFed(ctx, 4, 9, 0), 0);
  Set(kDefaultSource, 4);
  EXPECT_EQ(OptGetPaperFeedFlags(ctx, 393), 2);
}

TEST_F(FinisherPapersTest, TrayContentsBySource) {
  SetModel(23);
  Set(kTray3Paper, 13);
  Set(kTray3Feed, 1);
  Set(kExt1Paper, 11);
  Set(kExt1Feed, 1);
  Set(kLctPaper, 3);
  struct Case {
    WORD source;
    int32_t result;
    int16_t paper;
    int32_t feed;
  };
  const Case cases[] = {
      {2, 1, 13, 1},      // tray 3
      {286, 1, 11, 1},    // the extension tray is known here ...
      {261, 0, 3, 0},     // tray 5 is the large-capacity tray's options on this model
      {7, 7, -1, -1},     // no single tray: the source code back, outputs untouched
      {99, 99, -1, -1},
  };
  for (const Case& c : cases) {
    int16_t paper = -1;
    int32_t feed = -1;
    EXPECT_EQ(OptGetTrayContents(ctx, c.source, &paper, &feed), c.result) << c.source;
    EXPECT_EQ(paper, c.paper) << c.source;
    EXPECT_EQ(feed, c.feed) << c.source;
  }
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 286, 11), 0);  // ... but never holds paper for the matchers
  SetModel(144);
  Set(kTray5Paper, 14);
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 261, 14), 1);
  EXPECT_EQ(OptTrayHoldsPaper(ctx, 261, 3), 0);
}

TEST_F(FinisherPapersTest, MainTrayCountsAutomaticSelectionAsTrayOneUnlessTheModelMatchesIt) {
  Set(kDefaultSource, 7);
  Set(kTray2Paper, 9);
  Set(kTray1Paper, 1);
  struct Case {
    BYTE model, variant;
    int autoMatched;
  };
  for (const Case& c : {Case{23, 0, 0}, Case{144, 0, 1}, Case{145, 0, 0}, Case{145, 1, 1}, Case{186, 0, 1},
                        Case{143, 0, 0}}) {
    SetModel(c.model, c.variant);
    EXPECT_EQ(OptModelMatchesAutoTray(ctx), c.autoMatched) << int(c.model);
    EXPECT_EQ(OptMainTrayHoldsPaperFed(ctx, 9, 0), c.autoMatched) << int(c.model);
    EXPECT_EQ(OptMainTrayHoldsPaperFed(ctx, 1, 0), 1) << int(c.model);
  }
}

// ---- size classes -----------------------------------------------------------------------------

TEST_F(FinisherPapersTest, SizeClassesByMachineId) {
  struct Case {
    int32_t machine, paper;
    BYTE sizeClass;
  };
  const Case cases[] = {
      {144, 8, 1}, {144, 9, 2}, {144, 1, 2}, {144, 390, 3}, {144, 448, 3}, {144, 449, 0}, {144, 512, 0},
      {158, 5, 1}, {186, 93, 3}, {162, 512, 1}, {162, 88, 3}, {162, 9, 2},
      {23, 8, 0}, {0, 9, 0}, {143, 9, 0},
  };
  for (const Case& c : cases) {
    Set(kMachineId, c.machine);
    EXPECT_EQ(OptGetPaperSizeClass(ctx, c.paper), c.sizeClass) << c.machine << " paper " << c.paper;
  }
  Set(kMachineId, 23);
  EXPECT_EQ(OptGetPaperClassTable(ctx), nullptr);
  EXPECT_EQ(OptGetModelTrayList(ctx), nullptr);
  EXPECT_EQ(OptGetPaperSizeClass(nullptr, 8), 0);
}

TEST_F(FinisherPapersTest, ModelTraysByPaperAndSizeClass) {
  Set(kMachineId, 158);
  Set(kTray3Paper, 8);  // source 2
  Set(kTray3Feed, 1);
  EXPECT_EQ(OptModelTrayHoldsPaper(ctx, 8, 1), 1);
  EXPECT_EQ(OptModelTrayHoldsPaper(ctx, 8, 0), 0);
  EXPECT_EQ(OptModelTrayHoldsSizeClass(ctx, 1, 1), 1);
  EXPECT_EQ(OptModelTrayHoldsSizeClass(ctx, 2, 1), 0);
  // Machine 158 lists trays 5-7, not the large-capacity tray; 144 the other way round.
  Set(kTray3Paper, 0);
  Set(kLctPaper, 9);
  EXPECT_EQ(OptModelTrayHoldsSizeClass(ctx, 2, 0), 1);  // tray 5 reads the large-capacity options here
  Set(kMachineId, 144);
  EXPECT_EQ(OptModelTrayHoldsPaper(ctx, 9, 0), 1);
  Set(kMachineId, 23);
  EXPECT_EQ(OptModelTrayHoldsPaper(ctx, 9, 0), 0);
}

TEST_F(FinisherPapersTest, BypassUseBySourceInsertAndChapterTrays) {
  EXPECT_EQ(OptIsBypassUnused(ctx), 1);
  struct Case {
    uint16_t tray, select;
  };
  // Each insert tray counts only while its function is selected.
  for (const Case& c : {Case{125, 65}, Case{123, 64}, Case{127, 66}, Case{410, 70}, Case{1026, 69},
                        Case{1020, 69}, Case{1031, 69}}) {
    SCOPED_TRACE(c.tray);
    Set(c.tray, 4);
    EXPECT_EQ(OptIsBypassUnused(ctx), 1);
    Set(c.select, 1);
    EXPECT_EQ(OptIsBypassUnused(ctx), 0);
    Set(c.select, 0);
    Set(c.tray, 1);
  }
  Set(1020, 4);
  EXPECT_EQ(OptChapterUsesBypass(ctx), 1);
  Set(1020, 1);
  EXPECT_EQ(OptChapterUsesBypass(ctx), 0);
  Set(kDefaultSource, 4);
  EXPECT_EQ(OptIsBypassUnused(ctx), 0);
}

}  // namespace
