// In the printer-interface module a rule action on the built-in-function setting runs the sheet
// engine's built-in function; the window-free modules store it like any other setting.
#include <gtest/gtest.h>

#include "../common/mdl/mdl_eval_fixture.h"
#include "option_context_words.h"

namespace {

using zolt::test::SampleModelTest;
using zolt::test::SampleSource;

class BuiltInAction : public SampleModelTest {
 protected:
  // The colour item gets a transact whose one action names built-in function `code`.
  void AttachWithAction(int code) {
    std::string source = SampleSource("ZOLT7000.QCS");
    source += "*Action 20=RunBuiltIn: { {ZPD_BuiltInFunc " + std::to_string(code) + "} }\n";
    source += "*Transact 20=BuiltInRun: { {NULL RunBuiltIn} }\n";
    source += "*Exclusive: { {ZPD_IDC_PRESET_CHOICE_COLOR NULL NULL NULL NULL BuiltInRun NULL NULL} }\n";
    AttachSource(source);
  }
};

TEST_F(BuiltInAction, ClearDialogCodeMarksThePendingUpdate) {
  AttachWithAction(2);
  if (HasFatalFailure()) return;
  CtxAddPendingFlags(ctx, 0);
  ASSERT_EQ(CtxGetPendingFlags(ctx), 0u);
  EXPECT_EQ(MdlRunItemTransact(Item("ZPD_IDC_PRESET_CHOICE_COLOR"), ctx), 0);
  EXPECT_EQ(CtxGetPendingFlags(ctx), 0x10000000u);
}

TEST_F(BuiltInAction, PaperCodeRecomputesTheZoom) {
  AttachWithAction(1);
  if (HasFatalFailure()) return;
  ASSERT_EQ(OptSetValue(ctx, 38, 600), 1);
  ASSERT_EQ(OptSetValue(ctx, 39, 600), 1);
  ASSERT_EQ(OptSetValue(ctx, 7, 1), 1);
  ASSERT_EQ(OptSetValue(ctx, 8, 9), 1);     // A4
  ASSERT_EQ(OptSetValue(ctx, 46, 1024), 1);  // same as the document
  ASSERT_EQ(OptSetValue(ctx, 55, 0), 1);     // no scaling
  ASSERT_EQ(OptSetValue(ctx, 89, 50), 1);
  ASSERT_EQ(OptSetValue(ctx, 90, 50), 1);
  EXPECT_EQ(MdlRunItemTransact(Item("ZPD_IDC_PRESET_CHOICE_COLOR"), ctx), 0);
  EXPECT_EQ(OptGetValue(ctx, 89, nullptr), 100);
  EXPECT_EQ(OptGetValue(ctx, 90, nullptr), 100);
  EXPECT_GT(OptGetValue(ctx, 40, nullptr), 0);
}

}  // namespace
