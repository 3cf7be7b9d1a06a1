// The public device-mode fields into the options and back: duplex edges, media type, print
// quality and the balance macro, the paper choice of the merge, the tidy-up fields and the module
// events of the passes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "context_services.h"
#include "ctx_environment.h"
#include "devmode_bytes.h"
#include "devmode_fields.h"
#include "devmode_public.h"
#include "feature_modules.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_context_words.h"
#include "option_image_context.h"
#include "option_units.h"
#include "option_values.h"

namespace {

using zolt::test::DmDword;
using zolt::test::DmSetDword;
using zolt::test::DmSetShort;
using zolt::test::DmShort;
using zolt::test::ImageContextTest;

enum : uint16_t {
  kOptDmFields = 6,
  kOptOrientation = 7,
  kOptDuplex = 16,
  kOptDmMediaType = 29,
  kOptUIModeChange = 36,
  kOptSrcLength = 40,
  kOptSrcWidth = 41,
  kOptMediaType = 54,
  kOptFuncSelectDuplex = 58,
  kOptDuplexType = 94,
  kOptUseUserMacro = 176,
  kOptBalanceMacro = 178,
  kOptPosCutForeEdge = 231,
  kOptUIStart = 1012,
  kOptPosCutForeEdgeMm = 1304,
  kOptCustomFunc0 = 1549,
  kOptOther = 10274,
};


class DmPublicFields : public ImageContextTest {
 protected:
  void SetUp() override {
    ImageContextTest::SetUp();
    if (HasFatalFailure()) return;
    dm = CtxGetDevMode(ctx);
    ASSERT_NE(dm, nullptr);
    incoming.assign(kFullDevModeSize, 0);
    // The custom-size slots count as loaded in these tests: their cache is set up directly.
    CtxAddPendingFlags(ctx, 0x4000000);
  }
  // Both records carry the fields; the working record holds the values.
  void Apply(DWORD fields) {
    DmSetDword(dm, kDmPubFields, fields);
    DmSetDword(incoming.data(), kDmPubFields, fields);
    DmApplyPublicFields(dm, incoming.data(), ctx);
  }
  int32_t Get(uint16_t id) { return OptGetValue(ctx, id, nullptr); }
  void Set(uint16_t id, int32_t v) { ASSERT_EQ(OptSetValue(ctx, id, v), 1) << id; }

  BYTE* dm = nullptr;
  std::vector<BYTE> incoming;
};

// ---- duplex -----------------------------------------------------------------------------------

TEST_F(DmPublicFields, DuplexEdgeOfTheDeviceModeMovesTheBindingType) {
  struct Case {
    int16_t dmDuplex, orientation;
    int32_t switchBefore, typeBefore, customFunc0;
    int32_t switchAfter, typeAfter;
  } cases[] = {
      // Vertical flip in landscape and horizontal flip in portrait bind on the short edge.
      {2, 2, 1, 19, 0, 1, 17},  {2, 1, 1, 19, 0, 1, 19},  {2, 2, 1, 22, 0, 1, 20},
      {2, 2, 1, 3, 0, 1, 1},    {2, 2, 1, 17, 0, 1, 17},  {3, 1, 1, 21, 0, 1, 20},
      {3, 2, 1, 17, 0, 1, 19},  {3, 2, 1, 20, 0, 1, 22},  {3, 2, 1, 1, 0, 1, 3},
      {2, 1, 1, 18, 0, 1, 18},  {3, 1, 1, 2, 0, 1, 1},    {2, 1, 1, 20, 0, 1, 22},
      // Duplex off: turned on with the plain type of the edge.
      {2, 1, 0, 19, 0, 1, 3},   {3, 1, 0, 19, 0, 1, 1},   {2, 2, 0, 0, 0, 1, 1},
      // Simplex turns the switch off unless custom function 0 keeps it.
      {1, 1, 1, 19, 0, 0, 19},  {1, 1, 1, 19, 1, 1, 19},  {0, 1, 1, 2, 0, 0, 2},
  };
  for (const Case& c : cases) {
    Set(kOptFuncSelectDuplex, c.switchBefore);
    Set(kOptDuplexType, c.typeBefore);
    Set(kOptCustomFunc0, c.customFunc0);
    DmSetShort(dm, kDmPubDuplex, c.dmDuplex);
    DmSetShort(dm, kDmPubOrientation, c.orientation);
    Apply(kDmFieldDuplex);
    EXPECT_EQ(Get(kOptFuncSelectDuplex), c.switchAfter) << c.dmDuplex << "/" << c.orientation << "/" << c.typeBefore;
    EXPECT_EQ(Get(kOptDuplexType), c.typeAfter) << c.dmDuplex << "/" << c.orientation << "/" << c.typeBefore;
  }
}

TEST_F(DmPublicFields, DuplexBitMissingInEitherRecordLeavesTheOptions) {
  Set(kOptFuncSelectDuplex, 1);
  Set(kOptDuplexType, 19);
  DmSetShort(dm, kDmPubDuplex, 1);
  DmSetDword(dm, kDmPubFields, kDmFieldDuplex);
  DmSetDword(incoming.data(), kDmPubFields, 0);
  DmApplyPublicFields(dm, incoming.data(), ctx);
  EXPECT_EQ(Get(kOptFuncSelectDuplex), 1);
  EXPECT_EQ(Get(kOptDuplexType), 19);
  DmApplyPublicFields(nullptr, incoming.data(), ctx);  // nothing happens
  DmApplyPublicFields(dm, nullptr, ctx);
}

TEST_F(DmPublicFields, DuplexOfTheOptionsIntoTheDeviceMode) {
  struct Case {
    int32_t on, type, customFunc0;
    int16_t orientation, dmBefore, dmAfter;
  } cases[] = {
      {0, 1, 0, 1, 3, 1},   {1, 0, 0, 2, 3, 1},   {1, 1, 0, 2, 1, 2},   {1, 1, 0, 1, 1, 3},
      {1, 17, 0, 2, 1, 2},  {1, 20, 0, 1, 1, 3},  {1, 19, 0, 2, 1, 3},  {1, 19, 0, 1, 1, 2},
      {1, 3, 0, 1, 1, 2},   {1, 1, 1, 2, 3, 3},   {1, 1, 1, 2, 1, 2},   {0, 1, 1, 2, 3, 1},
  };
  for (const Case& c : cases) {
    Set(kOptFuncSelectDuplex, c.on);
    Set(kOptDuplexType, c.type);
    Set(kOptCustomFunc0, c.customFunc0);
    DmSetShort(dm, kDmPubOrientation, c.orientation);
    DmSetShort(dm, kDmPubDuplex, c.dmBefore);
    EXPECT_EQ(DmSetDuplexFromOptions(dm, ctx), c.dmAfter);
    EXPECT_EQ(DmShort(dm, kDmPubDuplex), c.dmAfter) << c.on << "/" << c.type << "/" << c.orientation;
  }
  EXPECT_EQ(DmSetDuplexFromOptions(nullptr, ctx), 0);
}

// Out and back in keeps every binding type: the two directions agree on the edges.
TEST_F(DmPublicFields, EveryBindingTypeSurvivesTheWayOutAndBack) {
  for (int16_t orientation : {1, 2}) {
    for (int32_t type : {1, 2, 3, 17, 18, 19, 20, 21, 22}) {
      Set(kOptFuncSelectDuplex, 1);
      Set(kOptDuplexType, type);
      DmSetShort(dm, kDmPubOrientation, orientation);
      DmSetDuplexFromOptions(dm, ctx);
      Apply(kDmFieldDuplex);
      EXPECT_EQ(Get(kOptDuplexType), type) << "orientation " << orientation;
      EXPECT_EQ(Get(kOptFuncSelectDuplex), 1);
    }
  }
}

// ---- media type, quality, resolution ----------------------------------------------------------

TEST_F(DmPublicFields, MediaTypeBothWays) {
  DmSetDword(dm, kDmPubMediaType, 3);
  Apply(kDmFieldMediaType);
  EXPECT_EQ(Get(kOptMediaType), 3);
  DmSetDword(dm, kDmPubMediaType, 7);
  Apply(kDmFieldDuplex);  // the bit is missing: kept
  EXPECT_EQ(Get(kOptMediaType), 3);
  Set(kOptMediaType, 12);
  DmSetMediaTypeFromOptions(dm, ctx);
  EXPECT_EQ(DmDword(dm, kDmPubMediaType), 12u);
}

TEST_F(DmPublicFields, PrintQualitySetsTheResolutionAndTheBalanceMacro) {
  struct Case {
    int16_t quality;
    int32_t userMacro, macro;
  } cases[] = {{600, 0, 17}, {1200, 0, 18}, {300, 0, 17}, {200, 0, 17}, {400, 0, 17}, {720, 0, 18}, {1200, 1, 5}};
  for (const Case& c : cases) {
    Set(kOptUseUserMacro, c.userMacro);
    Set(kOptBalanceMacro, 5);
    DmSetShort(dm, kDmPubPrintQuality, c.quality);
    DmSetShort(dm, kDmPubYResolution, 150);
    ASSERT_EQ(DmApplyPrintQuality(dm, ctx), 1);
    EXPECT_EQ(DmShort(dm, kDmPubYResolution), c.quality);
    EXPECT_EQ(OptGetDstResolutionW(ctx), c.quality);
    EXPECT_EQ(OptGetDstResolutionH(ctx), c.quality);
    EXPECT_EQ(Get(kOptBalanceMacro), c.macro) << c.quality << "/" << c.userMacro;
  }
  Set(kOptUseUserMacro, 0);
  OptSetBalanceMacroForResolution(ctx, 1200);
  EXPECT_EQ(Get(kOptBalanceMacro), 18);
}

TEST_F(DmPublicFields, MergeFlagKeepsThePrintQualityOut) {
  OptSetDstResolutionW(ctx, 300);
  DmSetShort(dm, kDmPubPrintQuality, 1200);
  ctx->workArea->mergeFlags = kMergeKeepPrintQuality;
  Apply(0);
  EXPECT_EQ(OptGetDstResolutionW(ctx), 300);
  ctx->workArea->mergeFlags = 0;
  Apply(0);
  EXPECT_EQ(OptGetDstResolutionW(ctx), 1200);
  EXPECT_EQ(DmShort(dm, kDmPubYResolution), 1200);
}

TEST_F(DmPublicFields, ResolutionOfTheOptionsIntoTheDeviceMode) {
  OptSetDstResolutionW(ctx, 600);
  OptSetDstResolutionH(ctx, 1200);
  DmSetShort(dm, kDmPubPrintQuality, -4);
  DmSetResolutionFromOptions(dm, ctx);
  EXPECT_EQ(OptGetDstResolutionH(ctx), 600);
  EXPECT_EQ(DmShort(dm, kDmPubPrintQuality), 600);
  EXPECT_EQ(DmShort(dm, kDmPubYResolution), 600);
}

// ---- paper choice of the merge ----------------------------------------------------------------

TEST_F(DmPublicFields, SourcePaperComesFromTheSizeOrTheCodeAsTheFieldsSay) {
  DmSetShort(dm, kDmPubPrintQuality, 600);
  DmSetShort(dm, kDmPubPaperLength, 2970);
  DmSetShort(dm, kDmPubPaperWidth, 2100);
  // Length and width in both records and no paper code in both: the size is taken.
  Apply(kDmFieldPaperLength | kDmFieldPaperWidth);
  EXPECT_EQ(Get(kOptSrcLength), 7015);
  EXPECT_EQ(Get(kOptSrcWidth), 4960);

  // A paper code in both wins over the size: custom slot 1 of 10 x 15 inches.
  ctx->workArea->freeSizeSlots[0] = FreeSizeSlot{};
  ctx->workArea->freeSizeSlots[0].width = 12000;
  ctx->workArea->freeSizeSlots[0].length = 18000;
  DmSetShort(dm, kDmPubPaperSize, kPaperFreeSizeFirst);
  Apply(kDmFieldPaperSize | kDmFieldPaperLength | kDmFieldPaperWidth);
  EXPECT_EQ(Get(kOptSrcLength), 9000);
  EXPECT_EQ(Get(kOptSrcWidth), 6000);

  // Only the orientation in both: the working record's own fields decide (here its size).
  DmSetShort(dm, kDmPubPaperLength, 2100);
  DmSetShort(dm, kDmPubPaperWidth, 1480);
  DmSetDword(dm, kDmPubFields, kDmFieldOrientation | kDmFieldPaperLength | kDmFieldPaperWidth);
  DmSetDword(incoming.data(), kDmPubFields, kDmFieldOrientation);
  DmApplyPublicFields(dm, incoming.data(), ctx);
  EXPECT_EQ(Get(kOptSrcLength), static_cast<int32_t>(OptLengthToDots(kLengthTenthMm, 2100, 600)));
  EXPECT_EQ(Get(kOptSrcWidth), static_cast<int32_t>(OptLengthToDots(kLengthTenthMm, 1480, 600)));

  // A size that is not positive is not taken.
  Set(kOptSrcLength, 1);
  DmSetShort(dm, kDmPubPaperLength, 0);
  Apply(kDmFieldPaperLength | kDmFieldPaperWidth);
  EXPECT_EQ(Get(kOptSrcLength), 1);
}

// ---- the tidy-up fields -----------------------------------------------------------------------

TEST_F(DmPublicFields, EmptyOtherTextCutPositionUiStartAndPresentationMode) {
  Set(kOptPosCutForeEdge, 1200);  // one inch
  Set(kOptUIStart, 1);
  Set(kOptUIModeChange, 1);
  Apply(0);
  char other[33] = {};
  std::memcpy(other, OptGetValuePointer(ctx, kOptOther, nullptr), 32);
  EXPECT_STREQ(other, OptGetOtherText(0));
  EXPECT_EQ(Get(kOptPosCutForeEdgeMm), 254);
  EXPECT_EQ(Get(kOptUIStart), 0);
  EXPECT_EQ(CtxGetPresentUIMode(ctx), 1);

  // A text already there stays after a merge; the sheet commits put the default back.
  char mine[33] = "mine";
  ASSERT_EQ(OptSetValueBytes(ctx, kOptOther, mine), 1);
  Set(kOptUIModeChange, 0);
  Apply(0);
  EXPECT_STREQ(reinterpret_cast<const char*>(OptGetValuePointer(ctx, kOptOther, nullptr)), "mine");
  EXPECT_EQ(CtxGetPresentUIMode(ctx), 0);
  DmSetPublicFromOptions(dm, ctx, 2);
  EXPECT_STREQ(reinterpret_cast<const char*>(OptGetValuePointer(ctx, kOptOther, nullptr)), "mine");
  DmSetPublicFromOptions(dm, ctx, 3);
  std::memcpy(other, OptGetValuePointer(ctx, kOptOther, nullptr), 32);
  EXPECT_STREQ(other, OptGetOtherText(0));
}

// ---- module events ----------------------------------------------------------------------------

struct Heard {
  std::vector<std::string> events;
  DWORD sourcePaperAnswer = 0;
} g_heard;

int RecordNotify(DriverContext*, DWORD code, void* param, void*) {
  if (code == kFmNotifyAttached || code == kFmNotifyDetaching) return 0;
  g_heard.events.push_back("n" + std::to_string(code));
  if (code == kFmNotifySourcePaperSet && param) {
    auto* p = static_cast<FmSourcePaperParam*>(param);
    p->answer = g_heard.sourcePaperAnswer;
  }
  return 0;
}
int RecordBuiltIn(DriverContext*, WORD code, void*) {
  g_heard.events.push_back("b" + std::to_string(code));
  return 0;
}
const FeatureModule kRecorder[] = {{0, nullptr, RecordBuiltIn, FmNoDialog, RecordNotify}};
const FeatureModule* RecorderTable(FeatureModuleList* list) {
  if (list) list->count = 1;
  return kRecorder;
}

class DmPublicEvents : public DmPublicFields {
 protected:
  void SetUp() override {
    DmPublicFields::SetUp();
    if (HasFatalFailure()) return;
    FmDetachModules(ctx);
    FmSetTableSource(RecorderTable);
    ASSERT_EQ(FmAttachModules(ctx), 1);
    FmSetTableSource(nullptr);
    g_heard = Heard{};
  }
};

TEST_F(DmPublicEvents, ThePassesTellTheModules) {
  Apply(0);
  EXPECT_EQ(g_heard.events, (std::vector<std::string>{"n36", "n13", "b124"}));
  g_heard.events.clear();
  DmRefreshPaperFromOptions(dm, ctx, 2);
  EXPECT_EQ(g_heard.events, (std::vector<std::string>{"n53"}));
  g_heard.events.clear();
  FmBroadcastRecheck(ctx);
  FmBroadcastPublicApplied(ctx);
  EXPECT_EQ(g_heard.events, (std::vector<std::string>{"n11", "n13"}));
}

// A module that writes the public size itself (an inch entry, say) answers code 45.
TEST_F(DmPublicEvents, AModuleThatAnswersTheSourcePaperKeepsItsOwnPublicSize) {
  ctx->workArea->freeSizeSlots[0].width = 12000;
  ctx->workArea->freeSizeSlots[0].length = 18000;
  DmSetShort(dm, kDmPubPaperLength, 3810);
  DmSetShort(dm, kDmPubPaperWidth, 2540);
  DmSetDword(dm, kDmPubFields, 0);
  g_heard.sourcePaperAnswer = 1;
  ASSERT_EQ(DmSetSourcePaper(kPaperFreeSizeFirst, kOptPaperSize, ctx, dm), 1);
  EXPECT_EQ(DmShort(dm, kDmPubPaperLength), 3810);
  EXPECT_EQ(DmShort(dm, kDmPubPaperWidth), 2540);
  EXPECT_EQ(DmDword(dm, kDmPubFields), kDmFieldPaperSize | kDmFieldPaperLength | kDmFieldPaperWidth);
  g_heard.sourcePaperAnswer = 0;
  ASSERT_EQ(DmSetSourcePaper(kPaperFreeSizeFirst, kOptPaperSize, ctx, dm), 1);
  EXPECT_EQ(DmShort(dm, kDmPubPaperLength), 3810);  // 15 inches
  EXPECT_EQ(DmShort(dm, kDmPubPaperWidth), 2540);
  ctx->workArea->freeSizeSlots[0].length = 17000;
  ASSERT_EQ(DmSetSourcePaper(kPaperFreeSizeFirst, kOptPaperSize, ctx, dm), 1);
  EXPECT_EQ(DmShort(dm, kDmPubPaperLength), 3599);  // 359.83 mm, rounded up
}

}  // namespace
