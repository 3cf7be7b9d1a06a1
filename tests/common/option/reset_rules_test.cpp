// The reset table and its walk on a context without a model, the N-up kinds and the paper-code
// tests.
#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "option_access.h"
#include "option_image_context.h"
#include "option_validation.h"

namespace {

class ResetRules : public zolt::test::ImageContextTest {
 protected:
  void Set(uint16_t id, int32_t value) { ASSERT_EQ(OptSetValue(ctx, id, value), 1) << id; }
  int32_t Get(uint16_t id) { return OptGetValue(ctx, id, nullptr); }
};

TEST(ResetTable, RowsCarryTheirOptionsInOrderAndEndWithZeros) {
  const ResetRule* t = OptGetResetTable();
  EXPECT_EQ(t[0].optionId, 35u);
  EXPECT_EQ(t[582].optionId, 617u);
  EXPECT_EQ(t[583].optionId, 649u);
  EXPECT_EQ(t[584].optionId, 681u);
  EXPECT_EQ(t[615].optionId, 712u);
  EXPECT_EQ(t[616].optionId, 0u);
  EXPECT_EQ(t[616].handler, nullptr);
  for (int i = 1; i < kResetRuleCount; ++i) EXPECT_LT(t[i - 1].optionId, t[i].optionId) << i;
}

TEST_F(ResetRules, DefaultsModeWritesEveryDefaultOfTheOptionsWithoutModelName) {
  // The walk reaches option 650 and no further.
  EXPECT_EQ(DmApplyResetRules(nullptr, ctx, kResetModeDefaults), 650u);
  const struct {
    uint16_t id;
    int32_t value;
  } expected[] = {
      {35, 23},                                    // the profile's model code
      {401, 5}, {404, 5}, {413, 1},                // gamma, separation cycle
      // Plane use (1, 2, 4, 8) and the actions (8, 1024) are single bits: set.
      {144, 1}, {145, 1}, {146, 1}, {147, 1}, {214, 1}, {221, 1},
      {235, 16},                                   // version
      {515, 3}, {529, 100}, {613, 2}, {614, 1},    // copy protection, paper fit, spool type
      {695, 0},                                    // never visited
      {170, 0},                                    // display language: the profile's reset byte
  };
  for (const auto& e : expected) EXPECT_EQ(Get(e.id), e.value) << e.id;
}

TEST_F(ResetRules, ValidateModeKeepsWhatPassesItsTest) {
  struct Case {
    uint16_t id;
    int32_t value;
    int32_t after;
  };
  // Two walks, since each option holds one value at a time.
  const Case kept[] = {
      {401, 7, 7}, {413, 99, 99}, {140, -50, -50}, {35, 23, 23}, {172, 77, 77},  // 172 is never written
  };
  const Case reset[] = {
      {401, 12, 5}, {413, 0, 1}, {141, 51, 0}, {35, 7, 23},
      {62, 1, 0}, {63, 1, 0},  // punch and staple switches are always reset
      {144, 0, 1},             // never keeps
  };
  for (const auto& cases : {std::vector<Case>(std::begin(kept), std::end(kept)),
                            std::vector<Case>(std::begin(reset), std::end(reset))}) {
    for (const Case& c : cases) Set(c.id, c.value);
    DmApplyResetRules(nullptr, ctx, kResetModeValidate);
    for (const Case& c : cases) EXPECT_EQ(Get(c.id), c.after) << c.id << " from " << c.value;
  }
}

TEST(ResetRulesStatic, NupKindsAndPaperCodes) {
  const struct {
    uint32_t value;
    int32_t kind;
    int32_t out;
  } nup[] = {{1, 1, 1}, {2, 1, 1}, {3, 1, 2}, {33, 2, 1}, {38, 2, 1}, {65, 3, 1}, {102, 4, 1}, {129, 11, 1},
             {164, 10, 1}, {32770, 9, 1}, {0, 1, 1}, {99, 1, 1}};
  for (const auto& n : nup) {
    int32_t out = -1;
    EXPECT_EQ(OptNupTypeToKind(n.value, &out), n.kind) << n.value;
    EXPECT_EQ(out, n.out) << n.value;
  }
  EXPECT_EQ(OptNupTypeToKind(3, nullptr), 1);
  for (int32_t code : {256, 384, 393, 448}) {
    EXPECT_EQ(OptIsSlotPaperCode(code), 1) << code;
    EXPECT_EQ(OptIsCustomPaperCode(code), 1) << code;
  }
  for (int32_t code : {0, 255, 383, 394, 447, 1024}) EXPECT_EQ(OptIsSlotPaperCode(code), 0) << code;
  EXPECT_EQ(OptIsSamePaperCode(1024), 1);
  EXPECT_EQ(DmIsStandardPaper(118), 1);
  EXPECT_EQ(DmIsStandardPaper(0), 0);
}

TEST_F(ResetRules, SizeSlotsWatermarkAndUserMacro) {
  Set(8, 390);
  Set(46, 384);
  EXPECT_EQ(OptGetSourceSizeSlot(ctx), 6);
  EXPECT_EQ(OptGetOutputSizeSlot(ctx), 0);
  Set(8, 256);
  EXPECT_EQ(OptGetSourceSizeSlot(ctx), -1);

  Set(118, 3);
  EXPECT_EQ(OptGetWatermarkId(ctx), -1);
  Set(60, 1);
  EXPECT_EQ(OptGetWatermarkId(ctx), 3);

  EXPECT_EQ(OptGetUserMacroIndex(ctx), -1);
  Set(176, 1);
  ASSERT_EQ(OptSetUiValue(ctx, 179, 137), 1);
  EXPECT_EQ(OptGetUserMacroIndex(ctx), 2);
}

}  // namespace
