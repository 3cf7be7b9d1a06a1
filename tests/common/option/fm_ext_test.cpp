// The extension module without its dialogs: copies to the separation cycle, the adjustment
// clamps and the cancel and OK of the user-quality sub-dialogs.
#include <gtest/gtest.h>

#include "dialog_table.h"
#include "feature_modules.h"
#include "fm_modules_1_4.h"
#include "fm_modules_9_10.h"
#include "option_access.h"
#include "option_image_context.h"

namespace {

class FmExt : public zolt::test::ImageContextTest {
 protected:
  void Set(uint16_t id, int32_t value) { ASSERT_EQ(OptSetValue(ctx, id, value), 1) << id; }
  int32_t Get(uint16_t id) { return OptGetValue(ctx, id, nullptr); }
};

TEST_F(FmExt, CopiesBecomeTheSeparationCycleOnlyWhenPositive) {
  const struct {
    int32_t copies, cycleBefore, cycleAfter;
  } cases[] = {{4, 9, 4}, {1, 9, 1}, {0, 9, 9}, {-2, 9, 9}};
  for (const auto& c : cases) {
    Set(12, c.copies);
    Set(413, c.cycleBefore);
    EXPECT_EQ(FmRunBuiltInFunc(ctx, kBfCopiesToSeparationCycle), 1);
    EXPECT_EQ(Get(413), c.cycleAfter) << c.copies;
  }
}

TEST_F(FmExt, TheAdjustmentClampsAreTakenAndLeaveTheValuesInEitherUnit) {
  const std::pair<WORD, uint16_t> funcs[] = {{329, 704}, {330, 705}, {331, 711}};
  for (int32_t unit : {0, 1}) {
    Set(171, unit);  // zdmDspUnit
    for (const auto& [code, option] : funcs) {
      Set(option, -30000);
      const int32_t before = Get(option);
      EXPECT_EQ(FmRunBuiltInFunc(ctx, code), 1) << code;
      EXPECT_EQ(Get(option), before) << option;
    }
  }
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 332), 0);
}

TEST_F(FmExt, CancelOfAUserQualityDialogPutsBackTheMarkedChoicesAndForgetsThem) {
  const uint16_t choices[4] = {kOptColorMatchingMode, kOptColorMatchingText, kOptColorMatchingLine,
                               kOptColorMatchingImage};
  for (uint16_t id : choices) Set(id, 9);
  BYTE* memory = ctx->workArea->cmmMemory;
  memory[0] = 1;
  memory[1] = 2;
  memory[2] = 3;
  memory[3] = 4;
  memory[kCmmMarkByte] = 0x5;  // the choices of 133 and 985

  // Another kind of dialog is not this module's business.
  DialogDescriptor page{};
  page.kindFlags = kDialogDocumentPage | kDialogModal;
  FmDialogParam param{&page};
  EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifySubDialogCancelled, &param), 0);
  EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifySubDialogOk, &param), 0);
  EXPECT_EQ(Get(kOptColorMatchingMode), 9);
  EXPECT_EQ(memory[kCmmMarkByte], 0x5);
  EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifySubDialogCancelled, nullptr), 0);

  DialogDescriptor quality{};
  quality.dialogId = 1021;
  quality.kindFlags = kDialogUndoOnCancel | kDialogModal;
  param.dialog = &quality;
  EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifySubDialogCancelled, &param), 1);
  const int32_t expected[4] = {1, 9, 3, 9};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Get(choices[i]), expected[i]) << choices[i];
  EXPECT_EQ(memory[kCmmMarkByte], 0) << "the OK that follows forgets the marks";

  // OK alone forgets the marks and changes nothing.
  memory[kCmmMarkByte] = 0xF;
  for (uint16_t id : choices) Set(id, 9);
  EXPECT_EQ(FmBroadcastNotify(ctx, kFmNotifySubDialogOk, &param), 1);
  EXPECT_EQ(memory[kCmmMarkByte], 0);
  for (uint16_t id : choices) EXPECT_EQ(Get(id), 9);
}

TEST(FmExtTexts, OnlyTheTwoTextOptionsMayBeStoredEmpty) {
  for (uint16_t id : {uint16_t{526}, uint16_t{1144}}) EXPECT_EQ(FmIsEmptyTextAllowedOption(id), 1) << id;
  for (uint16_t id : {uint16_t{0}, uint16_t{114}, uint16_t{525}, uint16_t{527}, uint16_t{1145}})
    EXPECT_EQ(FmIsEmptyTextAllowedOption(id), 0) << id;
}

}  // namespace
