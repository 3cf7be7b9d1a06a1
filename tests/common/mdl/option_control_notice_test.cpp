// The lock marker of a control: the locked conditions of the sample model's rules, or the
// control's own lock option.
#include <gtest/gtest.h>

#include "dialog_table.h"
#include "mdl_eval_fixture.h"
#include "option_values.h"

namespace {

using zolt::test::SampleModelTest;

ControlDescriptor Control(uint16_t controlId, const ModelItem* item, uint16_t notice, uint16_t lockOption) {
  ControlDescriptor c{};
  c.controlId = controlId;
  c.modelItem = const_cast<ModelItem*>(item);
  c.lockMessageId = notice;
  c.lockOption = lockOption;
  return c;
}

TEST_F(SampleModelTest, ControlNoticeFollowsTheLockedConditionOfItsValueRowOrItsRule) {
  const ModelItem* resolution = Item("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION");
  const ModelItem* sort = Item("ZPD_IDC_FINISH_CHOICE_SORT");
  ASSERT_TRUE(resolution && sort);
  const uint16_t r1200 = Value("IDS_RESOLUTION_1200"), r600 = Value("IDS_RESOLUTION_600");

  const ControlDescriptor lockedValue = Control(r1200, resolution, 1, 0);
  const ControlDescriptor plainValue = Control(r600, resolution, 1, 0);  // no locked row: the rule decides
  const ControlDescriptor ruleLocked = Control(1, sort, 1, 0);
  const ControlDescriptor noSwitch = Control(r1200, resolution, 0, 0);
  const ControlDescriptor byOption = Control(7, nullptr, 1, 10419);
  const ControlDescriptor nothing = Control(7, nullptr, 1, 0);

  for (int lock : {0, 1}) {
    SCOPED_TRACE(lock);
    Set("ZPD_MultiLock", static_cast<uint32_t>(lock));
    ASSERT_EQ(OptSetValue(ctx, 10419, lock), 1);
    EXPECT_EQ(OptHasControlNotice(ctx, &lockedValue), lock);
    EXPECT_EQ(OptHasControlNotice(ctx, &plainValue), 0);
    EXPECT_EQ(OptHasControlNotice(ctx, &ruleLocked), lock);
    EXPECT_EQ(OptHasControlNotice(ctx, &noSwitch), 0);
    EXPECT_EQ(OptHasControlNotice(ctx, &byOption), lock);
    EXPECT_EQ(OptHasControlNotice(ctx, &nothing), 0);
  }
  EXPECT_EQ(OptHasControlNotice(ctx, nullptr), 0);
}

}  // namespace
