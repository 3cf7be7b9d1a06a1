// The watermark module without its dialogs: built-in function 327 is its own.
#include <gtest/gtest.h>

#include "feature_modules.h"
#include "option_access.h"
#include "option_image_context.h"

namespace {

class StampModule : public zolt::test::ImageContextTest {};

TEST_F(StampModule, Code327IsAnsweredWhetherOrNotAStampIsSaved) {
  // Watermark printing off, then on with a stamp beyond the list: nothing to save either time.
  for (int32_t on : {0, 1}) {
    ASSERT_EQ(OptSetValue(ctx, 60, on), 1);
    ASSERT_EQ(OptSetValue(ctx, 118, 3), 1);
    EXPECT_EQ(FmStampOnBuiltInFunc(ctx, kBfStampWriteFile, nullptr), 1) << on;
    EXPECT_EQ(OptGetValue(ctx, 118, nullptr), 3);
  }
  // Through the bus the watermark module ends the broadcast.
  EXPECT_EQ(FmRunBuiltInFunc(ctx, kBfStampWriteFile), 1);
}

TEST_F(StampModule, OtherCodesPass) {
  for (WORD code : {WORD{0}, WORD{111}, WORD{313}, WORD{326}, WORD{328}, WORD{10000}})
    EXPECT_EQ(FmStampOnBuiltInFunc(ctx, code, nullptr), 0) << code;
  EXPECT_EQ(FmStampOnBuiltInFunc(nullptr, kBfStampWriteFile, nullptr), 1);
}

}  // namespace
