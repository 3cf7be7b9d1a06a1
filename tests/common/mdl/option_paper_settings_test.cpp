// The paper options refreshed from the paper codes, and the displayed range of numeric length
// controls (the custom-size module's range first, else the model item's).
#include <gtest/gtest.h>

#include <algorithm>

#include "dialog_table.h"
#include "mdl_eval_fixture.h"
#include "option_values.h"

namespace {

using zolt::test::SampleModelTest;

class PaperSettings : public SampleModelTest {
 protected:
  void SetUp() override {
    SampleModelTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(OptSetValue(ctx, 38, 600), 1);  // zdmDstResolutionW
    ASSERT_EQ(OptSetValue(ctx, 39, 600), 1);
    ASSERT_EQ(OptSetValue(ctx, 7, 1), 1);     // portrait
    ASSERT_EQ(OptSetValue(ctx, 8, 9), 1);     // A4
  }
  int32_t Get(uint16_t id) { return OptGetValue(ctx, id, nullptr); }
};

TEST_F(PaperSettings, FittedOutputZoomsByTheSmallerRatioAndSameSizePrintsAtOneHundred) {
  // The regional standard paper outside a letter region, with no module answer, is A3.
  ASSERT_EQ(OptSetValue(ctx, 46, 1025), 1);
  ASSERT_EQ(OptSetValue(ctx, 89, 50), 1);
  OptRefreshPaperSettings(ctx, 1);
  ASSERT_GT(Get(40), 0);
  ASSERT_GT(Get(41), 0);
  EXPECT_GT(Get(47), Get(40));  // A3 is longer than A4
  const int32_t expected = std::min(Get(48) * 100 / Get(41), Get(47) * 100 / Get(40));
  EXPECT_GE(expected, 140);
  EXPECT_LE(expected, 142);
  EXPECT_EQ(Get(89), expected);
  EXPECT_EQ(Get(90), expected);

  // The document's own paper without scaling: 100 %.
  ASSERT_EQ(OptSetValue(ctx, 46, 1024), 1);
  ASSERT_EQ(OptSetValue(ctx, 55, 0), 1);
  OptRefreshPaperSettings(ctx, 1);
  EXPECT_EQ(Get(89), 100);
  EXPECT_EQ(Get(90), 100);
  EXPECT_EQ(Get(47), Get(40));
  EXPECT_EQ(Get(48), Get(41));
}

TEST_F(PaperSettings, CustomSlotOfTheChosenPaperIsLoaded) {
  // Loading a slot first clears the slot being edited (938-942).
  ASSERT_EQ(OptSetValue(ctx, 939, 1234), 1);
  OptRefreshPaperSettings(ctx, 3);  // dmPaperSize is A4: no slot
  EXPECT_EQ(Get(939), 1234);
  ASSERT_EQ(OptSetValue(ctx, 8, 385), 1);
  OptRefreshPaperSettings(ctx, 4);  // zdmOutPaperSize is not a slot either
  EXPECT_EQ(Get(939), 1234);
  OptRefreshPaperSettings(ctx, 3);
  EXPECT_EQ(Get(939), 0);
}

TEST_F(PaperSettings, ControlRangeFromTheModuleElseFromTheModelItem) {
  ASSERT_EQ(OptSetValue(ctx, 171, 0), 1);  // lengths in 0.1 mm
  ControlDescriptor control{};
  control.modelItem = const_cast<ModelItem*>(Item("ZPD_IDC_BASIC_EDIT_SCALE_V"));  // Numeric 25-400
  ASSERT_NE(control.modelItem, nullptr);
  int32_t min = -1, max = -1;
  ASSERT_EQ(OptGetControlRange(ctx, &control, &min, &max), 1);
  EXPECT_EQ(min, 6);   // 25 dots, rounded up, never below the limit
  EXPECT_EQ(max, 85);  // 400 dots

  // A custom-size length edit of the custom-size dialog, bypass tray, orientation 1.
  ctx->dialogId = 1017;
  control.controlId = 2220;
  ASSERT_EQ(OptSetValue(ctx, 941, 4), 1);
  ASSERT_EQ(OptSetValue(ctx, 942, 1), 1);
  ASSERT_EQ(OptGetControlRange(ctx, &control, &min, &max), 1);
  EXPECT_EQ(min, 1480);
  EXPECT_EQ(max, 4320);

  ControlDescriptor bare{};
  ctx->dialogId = 0;
  EXPECT_EQ(OptGetControlRange(ctx, &bare, &min, &max), 0);
}

}  // namespace
