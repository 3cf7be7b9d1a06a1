// The installable options dialog: the combination rules of the option list, found by their
// item, and when an item counts as installed.
#include <gtest/gtest.h>

#include <vector>

#include "context_services.h"
#include "driver_context.h"
#include "fd_options.h"
#include "fd_dialog_fixture.h"
#include "option_access.h"
#include "sheet_engine.h"
#include "win32/windows.h"

namespace {

enum : uint16_t {
  kOptSourceUnit = 10023,
  kOptSourceUnitCount = 10110,
  kOptUpperBin = 10056,
  kOptMailbox2 = 10057,
};

using Settings = std::vector<std::pair<uint16_t, int32_t>>;

class OptionsDialog : public zolt::test::FeatureDialogTest {
 protected:
  void Set(const Settings& settings) {
    for (const auto& [option, value] : settings) OptSetValue(ctx, option, value);
  }
};

TEST_F(OptionsDialog, RulesAreFoundByTheirItem) {
  for (uint32_t item : {143u, 144u, 147u, 148u, 164u, 165u, 166u, 167u, 352u, 358u, 346u}) {
    const OptionComboRule* rule = FdFindComboRule(item, 0);
    ASSERT_NE(rule, nullptr) << item;
    EXPECT_EQ(rule->itemId, item);
    EXPECT_EQ(rule->repaint, 1u);
    EXPECT_EQ(rule->lockCondition, nullptr);
  }
  EXPECT_EQ(FdFindComboRule(0, 0), nullptr);
  EXPECT_EQ(FdFindComboRule(285, 0), nullptr);
}

// Which items are on: the rule's option has its value and so has its second option.
TEST_F(OptionsDialog, AnItemIsOnWhileItsOptionsHaveTheRulesValues) {
  struct Case {
    uint32_t item;
    Settings settings;
    int on;
  } cases[] = {
      {143, {{kOptSourceUnit, 1}, {kOptSourceUnitCount, 1}}, 1},
      {143, {{kOptSourceUnit, 1}, {kOptSourceUnitCount, 2}}, 0},
      {144, {{kOptSourceUnit, 1}, {kOptSourceUnitCount, 2}}, 1},
      {144, {{kOptSourceUnit, 0}, {kOptSourceUnitCount, 2}}, 0},
      {147, {{kOptUpperBin, 1}}, 1},
      {148, {{kOptMailbox2, 0}}, 0},
  };
  for (const Case& c : cases) {
    Set(c.settings);
    EXPECT_EQ(OptIsComboRuleOn(ctx, FdFindComboRule(c.item, 0)), c.on) << c.item;
  }
  EXPECT_EQ(OptIsComboRuleOn(ctx, nullptr), 0);
  EXPECT_EQ(FdApplyComboGroups(ctx, FdFindComboRule(143, 0)), 0u);  // no rule of this build has a group
}

}  // namespace
