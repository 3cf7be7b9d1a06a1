// Checking option values against the sample model and repairing them; the checks of the public
// device-mode fields.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "mdl_eval_fixture.h"
#include "option_validation.h"
#include "reset_walk.h"

namespace {

using zolt::test::SampleModelTest;

class Validation : public SampleModelTest {
 protected:
  // The stored value that a UI value of an option stands for.
  int32_t Stored(uint16_t id, uint32_t valueId) {
    OptionEntry* row = OptFind(ctx, id);
    return row ? OptFromUiValue(ctx, row, valueId) : -1;
  }
  void Merge(DWORD flags) { ctx->workArea->mergeFlags = flags; }
};

TEST_F(Validation, ResultCodesOfTheChecks) {
  const int32_t a4 = Stored(8, Value("IDS_PAPERSIZE_A4"));
  const struct {
    uint16_t id;
    int32_t value;
    int check;   // OptCheckValue
    int model;   // OptCheckModelValue
  } cases[] = {
      {5000, 1, kCheckNoModelName, kCheckNoModelName},  // no row
      {57, 1, kCheckNoModelName, kCheckNoModelName},    // zdmFuncSelectPoster has no model name
      {60, 1, kCheckNoModelItem, kCheckNoModelItem},    // a model name, but the model has no item
      {91, 1, kCheckNoModelItem, kCheckNoModelItem},    // an item of a type the driver does not handle
      {8, a4, 1, 1},
      {8, 9999, 0, 0},                                  // no value text, not a model value
      {90, 25, 1, 1},
      {90, 400, 1, 1},
      {90, 401, 0, 0},                                  // outside the numeric range
      {58, 2, 0, 0},                                    // a Boolean is 0 or 1
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "option " << c.id << " value " << c.value);
    EXPECT_EQ(OptCheckValue(c.id, c.value, ctx), c.check);
    EXPECT_EQ(OptCheckModelValue(c.id, c.value, ctx), c.model);
  }
}

TEST_F(Validation, RestrictedValuesAreAllowedButReported) {
  const ModelItem* resolution = Item("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION");
  ASSERT_NE(resolution, nullptr);
  const uint16_t id = resolution->settingId;
  const uint16_t r1200 = Value("IDS_RESOLUTION_1200");
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 150);  // 1200 dpi is restricted for 100-999 copies
  const int32_t stored = Stored(id, r1200);
  EXPECT_EQ(OptCheckValueAgainstModel(OptFind(ctx, id), id, stored, ctx, resolution), kCheckRestricted);
  EXPECT_EQ(OptValidateOrRepair(id, stored, ctx), 1);
}

TEST_F(Validation, RepairTakesTheModelDefaultOrClampsTheScale) {
  const struct {
    DWORD flags;
    int32_t value;
    int32_t after;
  } cases[] = {
      {0, 500, 100},                  // the model default
      {kMergeClampRange, 500, 400},   // clamped to the maximum
      {kMergeClampRange, 10, 25},     // and to the minimum
      {kMergeClampRange, 250, 250},   // a valid value is left alone
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "flags " << c.flags << " value " << c.value);
    Merge(c.flags);
    ASSERT_EQ(OptSetValue(ctx, 90, c.value), 1);
    EXPECT_EQ(OptValidateOrRepair(90, c.value, ctx), 1);
    EXPECT_EQ(OptGetValue(ctx, 90, nullptr), c.after);
  }
}

// A model of its own: a pick item on zdmScaleV (a row without value texts, so value ids are the
// stored values) whose labels value is disabled while duplex is on.
constexpr const char* kPickModel = R"(*FileVersion: 1.00
*OpenUI *ZPD_IDC_EDIT_CHOICE_DUPLEX: Boolean
*DefaultZPD_IDC_EDIT_CHOICE_DUPLEX: False
*ZPD_IDC_EDIT_CHOICE_DUPLEX True: "2-sided"
*ZPD_IDC_EDIT_CHOICE_DUPLEX False: "1-sided"
*CloseUI: *ZPD_IDC_EDIT_CHOICE_DUPLEX
*OpenUI *ZPD_IDC_BASIC_EDIT_SCALE_V: PickOne
*DefaultZPD_IDC_BASIC_EDIT_SCALE_V: IDS_MEDIATYPE_NORMAL
*ZPD_IDC_BASIC_EDIT_SCALE_V IDS_MEDIATYPE_NORMAL: "Plain paper"
*ZPD_IDC_BASIC_EDIT_SCALE_V IDS_MEDIATYPE_SEAL: "Labels"
*CloseUI: *ZPD_IDC_BASIC_EDIT_SCALE_V
*Judge 1=DuplexOn: ZPD_IDC_EDIT_CHOICE_DUPLEX == 1
*Item 1=Values: { {IDS_MEDIATYPE_SEAL DuplexOn NULL NULL} }
*Exclusive: { {ZPD_IDC_BASIC_EDIT_SCALE_V NULL NULL Values NULL NULL NULL NULL} }
)";

using zolt::test::ModelContextTest;

TEST_F(ModelContextTest, ADisabledValueIsRepairedUnlessTheMergeKeepsIt) {
  AttachSource(kPickModel);
  const int32_t normal = Value("IDS_MEDIATYPE_NORMAL"), seal = Value("IDS_MEDIATYPE_SEAL");
  const ModelItem* item = MdlFindActiveItem(90, ctx);
  ASSERT_NE(item, nullptr);
  const OptionEntry* row = OptFind(ctx, 90);
  EXPECT_EQ(OptCheckValueAgainstModel(row, 90, seal, ctx, item), kCheckAllowed);
  ASSERT_EQ(OptSetValue(ctx, 58, 1), 1);
  EXPECT_EQ(OptCheckValueAgainstModel(row, 90, seal, ctx, item), kCheckDisabled);
  EXPECT_EQ(OptCheckValue(90, seal, ctx), 0);
  EXPECT_EQ(OptCheckValue(90, 12345, ctx), 0);  // not in the item's list
  for (DWORD flags : {DWORD{kMergeKeepDisabled}, DWORD{0}}) {
    ctx->workArea->mergeFlags = flags;
    ASSERT_EQ(OptSetValue(ctx, 90, seal), 1);
    EXPECT_EQ(OptValidateOrRepair(90, seal, ctx), 1);
    EXPECT_EQ(OptGetValue(ctx, 90, nullptr), flags ? seal : normal) << flags;
  }
  EXPECT_EQ(OptValidateOrRepair(57, 1, ctx), kCheckNoModelName);
  EXPECT_EQ(OptValidateOrRepair(60, 1, ctx), kCheckNoModelItem);
}

// The walk of the reset table is remembered per context and done again from what it wrote when
// it would read the same. Whatever the walk reads and changes between two walks (a setting, the
// merge flags, the profile, the model) must give what a walk from scratch gives.
class RememberedWalk : public ModelContextTest {
 protected:
  struct Outcome {
    uint32_t last = 0;
    std::vector<BYTE> image;
    std::vector<uint16_t> marks;  // the rows' state bits
    DWORD changed = 0;
    bool operator==(const Outcome&) const = default;
  };
  std::vector<BYTE> Image() const {
    const BYTE* image = reinterpret_cast<const BYTE*>(ctx->settingsImage);
    return {image, image + kSettingsImageSize};
  }
  // Walks in validation mode from `input` with unmarked rows, the remembered walk kept or not.
  Outcome Walk(const std::vector<BYTE>& input, bool fromScratch) {
    std::memcpy(ctx->settingsImage, input.data(), input.size());
    for (int i = 0; i < ctx->optionTable->count; ++i) ctx->optionTable->rows[i].stateBits = 0;
    ctx->workArea->optionsChanged = 0;
    if (fromScratch) OptFreeResetWalk(ctx);
    Outcome o;
    o.last = DmApplyResetRules(nullptr, ctx, kResetModeValidate);
    o.image = Image();
    for (int i = 0; i < ctx->optionTable->count; ++i) o.marks.push_back(ctx->optionTable->rows[i].stateBits);
    o.changed = ctx->workArea->optionsChanged;
    return o;
  }
};

TEST_F(RememberedWalk, EveryChangeOfWhatTheWalkReadsIsSeen) {
  const std::string model = kPickModel;
  std::string otherModel = model;  // the labels are disabled while duplex is off instead
  otherModel.replace(otherModel.find("== 1"), 4, "== 0");
  AttachSource(model);
  const int32_t normal = Value("IDS_MEDIATYPE_NORMAL"), seal = Value("IDS_MEDIATYPE_SEAL");
  ASSERT_EQ(OptSetValue(ctx, 58, 1), 1);
  ASSERT_EQ(OptSetValue(ctx, 90, seal), 1);
  const std::vector<BYTE> base = Image();
  const Outcome first = Walk(base, true);
  EXPECT_EQ(OptGetValue(ctx, 90, nullptr), normal);  // disabled while duplex is on: repaired
  EXPECT_NE(first.changed, 0u);
  for (int again = 0; again < 2; ++again) EXPECT_EQ(Walk(base, false), first) << again;

  const BYTE code = ctx->profile->modelCode;
  const struct {
    const char* what;
    std::function<void()> change, undo;
  } cases[] = {
      {"a setting", [&] { OptSetValue(ctx, 58, 0); }, [] {}},
      {"the merge flags", [&] { ctx->workArea->mergeFlags = kMergeKeepDisabled; },
       [&] { ctx->workArea->mergeFlags = 0; }},
      {"the profile", [&] { ctx->profile->modelCode = static_cast<BYTE>(code + 1); },
       [&] { ctx->profile->modelCode = code; }},
      {"the model", [&] { AttachSource(otherModel); }, [&] { AttachSource(model); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::memcpy(ctx->settingsImage, base.data(), base.size());
    c.change();
    const std::vector<BYTE> input = Image();
    const Outcome remembered = Walk(input, false);
    EXPECT_NE(remembered.image, first.image);  // the change matters to the walk
    EXPECT_EQ(remembered, Walk(input, true));
    EXPECT_EQ(Walk(input, false), remembered);
    c.undo();
    EXPECT_EQ(Walk(base, false), first);
  }
}

TEST_F(Validation, PublicFieldsUseTheModelOrTheirFixedFallback) {
  EXPECT_EQ(DmIsValidPaper(Stored(8, Value("IDS_PAPERSIZE_A4")), ctx), 1);
  EXPECT_EQ(DmIsValidPaper(9999, ctx), 0);
  // The model does not describe these fields: the fixed ranges answer.
  const struct {
    int (*check)(int32_t, DriverContext*);
    int32_t value;
    int expected;
  } cases[] = {
      {DmIsValidDuplex, 3, 1},      {DmIsValidDuplex, 4, 0},      {DmIsValidTTOption, 4, 1},
      {DmIsValidTTOption, 5, 0},    {DmIsValidDitherType, 10, 1}, {DmIsValidDitherType, 9, 0},
      {DmIsValidICMIntent, 2, 1},   {DmIsValidICMMethod, 4, 1},   {DmIsValidICMMethod, 5, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.check(c.value, ctx), c.expected) << c.value;
  EXPECT_EQ(DmIsDeviceIndependentQuality(-4), 1);
  EXPECT_EQ(DmIsDeviceIndependentQuality(0), 0);
}

}  // namespace
