// The condition evaluator and the rules of the sample model: conditions true and false,
// disabled, restricted and locked items and values, alerts, transacts and actions with their
// effects, and images whose cells or references are hostile.
#include <cstring>
#include <vector>

#include "mdl_eval_fixture.h"

namespace {

using zolt::test::ModelContextTest;
using zolt::test::SampleModelTest;
using zolt::test::SampleSource;

template <class T>
T Val(T v) {
  return v;
}

LONG Depth(DriverContext* ctx) { return ctx->workArea->evalDepth; }

TEST_F(ModelContextTest, CellsEvaluateUnsignedAndLeaveTheStackAsFound) {
  using Cells = std::vector<RuleCell>;
  const Cells atLeast5 = {{1, 12}, {2, 5}, {3, 8}, {3, 10}};  // dmCopies >= 5
  struct Case {
    int32_t copies;
    uint32_t result;
  } cases[] = {{4, 0}, {5, 1}, {6, 1}, {-1, 1}};  // -1 is 0xFFFFFFFF unsigned
  for (const Case& c : cases) {
    ASSERT_EQ(OptSetValue(ctx, 12, c.copies), 1);
    EXPECT_EQ(MdlEvalCondition(atLeast5.data(), atLeast5.size(), ctx), c.result) << c.copies;
    EXPECT_EQ(Depth(ctx), 0);
  }
  struct Expr {
    const char* what;
    Cells cells;
    uint32_t result;
  } exprs[] = {
      {"unknown option", {{1, 2000}, {2, 0}, {3, 1}, {3, 10}}, 0},
      {"! of one value", {{2, 0}, {3, 5}, {3, 10}}, 1},
      {"A ! B negates B", {{2, 1}, {2, 7}, {3, 5}, {3, 10}}, 0},
      {"values left behind", {{2, 1}, {2, 2}, {2, 3}, {3, 10}}, 3},
      {"operator without operands", {{3, 1}, {3, 10}}, 0},
      {"end on an empty stack", {{3, 10}}, 0},
      {"no end cell", {{2, 1}, {2, 1}, {3, 1}}, 0},
      {"unknown op and code passed over", {{9, 1}, {3, 0}, {3, 77}, {2, 4}, {3, 10}}, 4},
      {"<= != ||", {{2, 3}, {2, 3}, {3, 9}, {2, 0}, {3, 2}, {2, 0}, {3, 4}, {3, 10}}, 1},
  };
  for (const Expr& e : exprs) {
    EXPECT_EQ(MdlEvalCondition(e.cells.data(), e.cells.size(), ctx), e.result) << e.what;
    EXPECT_EQ(Depth(ctx), 0) << e.what;
  }
  EXPECT_EQ(MdlEvalCondition(nullptr, 4, ctx), 0u);
}

TEST_F(ModelContextTest, StackNeverPassesItsEnd) {
  // 300 pushes: the evaluation that would overflow ends with 0 and drops what it pushed, also
  // when it starts high up the stack (an evaluation inside another).
  std::vector<RuleCell> cells(300, RuleCell{2, 1});
  cells.push_back({3, 10});
  ASSERT_EQ(OptSetValue(ctx, 12, 1), 1);
  for (LONG start : {0, 100, 254, 255, 256}) {
    ctx->workArea->evalDepth = start;
    EXPECT_EQ(MdlEvalCondition(cells.data(), cells.size(), ctx), 0u) << start;
    EXPECT_EQ(Depth(ctx), start);
    const RuleCell one[] = {{2, 1}, {3, 10}};
    EXPECT_EQ(MdlEvalCondition(one, 2, ctx), start < 256 ? 1u : 0u) << start;
    EXPECT_EQ(Depth(ctx), start);
    // A setting against a constant takes two entries: dmCopies != 0.
    const RuleCell compare[] = {{1, 12}, {2, 0}, {3, 2}, {3, 10}};
    EXPECT_EQ(MdlEvalCondition(compare, 4, ctx), start <= 254 ? 1u : 0u) << start;
    EXPECT_EQ(Depth(ctx), start);
  }
  ctx->workArea->evalDepth = 0;
  // Without a stack of its own the context still evaluates (on a stack of the evaluation).
  MdlFreeEvalStack(ctx);
  EXPECT_EQ(MdlEvalCondition(cells.data(), 256 + 0, ctx), 0u);
  const RuleCell two[] = {{2, 2}, {2, 3}, {3, 7}, {3, 10}};
  EXPECT_EQ(MdlEvalCondition(two, 4, ctx), 1u);
}

TEST_F(ModelContextTest, TextSettingsCountTheirCharacters) {
  OptionEntry* row = OptFind(ctx, 1145);
  ASSERT_NE(row, nullptr);
  ASSERT_NE(OptSetStringValue(ctx, row, u"4711x"), nullptr);
  const RuleCell cells[] = {{1, 1145}, {3, 10}};
  EXPECT_EQ(MdlEvalCondition(cells, 2, ctx), 5u);
}

TEST_F(ModelContextTest, DerivedValue1507) {
  const RuleCell cells[] = {{1, 1507}, {3, 10}};
  auto eval = [&] { return MdlEvalCondition(cells, 2, ctx); };
  if (!OptFind(ctx, 1507)) GTEST_SKIP() << "no option row 1507";
  ASSERT_EQ(OptSetValue(ctx, 350, 0x100), 1);
  ASSERT_EQ(OptSetValue(ctx, 603, 1), 1);
  ASSERT_EQ(OptSetValue(ctx, 728, 1), 1);
  EXPECT_EQ(eval(), 1u);
  EXPECT_EQ(MdlGetDerivedValue(ctx, 1508), 0u);
  ASSERT_EQ(OptSetValue(ctx, 727, 1), 1);
  EXPECT_EQ(eval(), 0u);
}

// ---- the sample's rules

TEST_F(SampleModelTest, DisabledRestrictedAndLockedFollowTheSettings) {
  const ModelItem* duplex = Item("ZPD_IDC_EDIT_CHOICE_DUPLEX");
  const ModelItem* media = Item("ZPD_IDC_PRESET_CHOICE_MEDIATYPE");
  const ModelItem* resolution = Item("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION");
  const ModelItem* printType = Item("ZPD_IDC_PRESET_CHOICE_PRINTTYPE");
  const ModelItem* sort = Item("ZPD_IDC_FINISH_CHOICE_SORT");
  ASSERT_TRUE(duplex && media && resolution && printType && sort);
  const uint16_t seal = Value("IDS_MEDIATYPE_SEAL"), r1200 = Value("IDS_RESOLUTION_1200"), r600 = Value("IDS_RESOLUTION_600");

  // Duplex is disabled for transparencies and for A5 (NoDuplexMedia).
  Set("ZPD_IDC_PRESET_CHOICE_MEDIATYPE", Value("IDS_MEDIATYPE_NORMAL"));
  Set("ZPD_IDC_PRESET_CHOICE_PAPERSIZE", Value("IDS_PAPERSIZE_A4"));
  EXPECT_EQ(MdlIsDisabled(duplex, 0, ctx), 0);
  Set("ZPD_IDC_PRESET_CHOICE_MEDIATYPE", Value("IDS_MEDIATYPE_TRANSPARENCY"));
  EXPECT_EQ(MdlIsDisabled(duplex, 0, ctx), 1);
  EXPECT_EQ(MdlIsItemKeyDisabled(ctx, Key("ZPD_IDC_EDIT_CHOICE_DUPLEX")), 1);
  Set("ZPD_IDC_PRESET_CHOICE_MEDIATYPE", Value("IDS_MEDIATYPE_NORMAL"));
  Set("ZPD_IDC_PRESET_CHOICE_PAPERSIZE", Value("IDS_PAPERSIZE_A5"));
  EXPECT_EQ(MdlIsDisabled(duplex, 0, ctx), 1);
  EXPECT_EQ(MdlIsItemKeyDisabled(ctx, 0), 0);

  // Labels are disabled while duplex is on.
  Set("ZPD_IDC_EDIT_CHOICE_DUPLEX", 1);
  EXPECT_EQ(MdlIsDisabled(media, seal, ctx), 1);
  EXPECT_EQ(MdlIsDisabled(media, Value("IDS_MEDIATYPE_NORMAL"), ctx), 0);  // no row
  Set("ZPD_IDC_EDIT_CHOICE_DUPLEX", 0);
  EXPECT_EQ(MdlIsDisabled(media, seal, ctx), 0);

  // Resolution: disabled in black and white, but a value without a row is never disabled.
  Set("ZPD_IDC_PRESET_CHOICE_COLOR", Value("IDS_MONO"));
  EXPECT_EQ(MdlIsDisabled(resolution, 0, ctx), 1);
  EXPECT_EQ(MdlIsDisabled(resolution, r600, ctx), 0);
  // 1200 dpi restricted for 100-999 copies, locked by the administrator's lock.
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 150);
  EXPECT_EQ(MdlIsRestricted(resolution, r1200, ctx), 1);
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 1000);
  EXPECT_EQ(MdlIsRestricted(resolution, r1200, ctx), 0);
  EXPECT_EQ(MdlIsLocked(resolution, r1200, ctx), 0);
  EXPECT_EQ(MdlIsLocked(sort, 0, ctx), 0);
  Set("ZPD_MultiLock", 1);
  EXPECT_EQ(MdlIsLocked(resolution, r1200, ctx), 1);
  EXPECT_EQ(MdlIsLocked(resolution, 0, ctx), 0);  // the item itself has no locked condition
  EXPECT_EQ(MdlIsLocked(sort, 0, ctx), 1);
  EXPECT_EQ(MdlIsLocked(printType, Value("IDS_PRINTTYPE_SECURITY"), ctx), 1);

  // Print type restricted for short colour runs (ColourRun).
  Set("ZPD_IDC_PRESET_CHOICE_COLOR", Value("IDS_COLOR"));
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 3);
  EXPECT_EQ(MdlIsRestricted(printType, 0, ctx), 1);
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 30);
  EXPECT_EQ(MdlIsRestricted(printType, 0, ctx), 0);
  EXPECT_EQ(Depth(ctx), 0);

  // Usable items: the paper item has no rule, the duplex item is skipped while disabled.
  EXPECT_EQ(MdlFindUsableItem(Id("ZPD_IDC_EDIT_CHOICE_DUPLEX"), ctx, kMdlSkipDisabled), nullptr);
  EXPECT_EQ(MdlFindUsableItem(Id("ZPD_IDC_EDIT_CHOICE_DUPLEX"), ctx, 0), duplex);
  EXPECT_EQ(MdlFindUsableItem(8, ctx, kMdlSkipDisabled | kMdlSkipRestricted), MdlFindItem(8, ctx));
}

TEST_F(SampleModelTest, AlertsPickTheFirstRowThatHolds) {
  const ModelItem* resolution = Item("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION");
  const uint32_t alerts = MdlItemAlerts(resolution, ctx);
  ASSERT_NE(alerts, 0u);
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 5);
  Set("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION", Value("IDS_RESOLUTION_600"));
  EXPECT_EQ(MdlFindActiveAlert(alerts, ctx), nullptr);
  EXPECT_EQ(MdlGetAlertMessage(resolution, ctx), 0);
  Set("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION", Value("IDS_RESOLUTION_1200"));
  const AlertRow* high = MdlFindActiveAlert(alerts, ctx);
  ASSERT_NE(high, nullptr);
  EXPECT_EQ(Val(high->icon), 0x10);     // MB_ICONSTOP
  EXPECT_EQ(Val(high->buttons), 5);     // MB_RETRYCANCEL
  EXPECT_EQ(Val(high->timing), 3);      // AlertDialog
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 200);  // LargeRun comes first
  const AlertRow* large = MdlFindActiveAlert(alerts, ctx);
  ASSERT_NE(large, nullptr);
  EXPECT_EQ(Val(large->icon), 0x20);
  EXPECT_EQ(MdlGetAlertMessage(resolution, ctx), Val(large->messageId));
  EXPECT_EQ(MdlFindAlertMessage(alerts, ctx), Val(large->messageId));
  // An item without rule.
  EXPECT_EQ(MdlGetAlertMessage(MdlFindItem(8, ctx), ctx), 0);
  EXPECT_EQ(MdlGetAlertMessage(nullptr, ctx), 0);
}

TEST_F(SampleModelTest, TransactsChangeSettings) {
  const ModelItem* media = Item("ZPD_IDC_PRESET_CHOICE_MEDIATYPE");
  // Transparency: taken from the bypass tray and printed one-sided.
  Set("ZPD_IDC_PRESET_CHOICE_PAPERSIZE", Value("IDS_PAPERSIZE_A4"));
  Set("ZPD_IDC_PRESET_CHOICE_SOURCETRAY", Value("IDS_SOURCE_TRAY1"));
  Set("ZPD_IDC_EDIT_CHOICE_DUPLEX", 1);
  Set("ZPD_IDC_PRESET_CHOICE_MEDIATYPE", Value("IDS_MEDIATYPE_TRANSPARENCY"));
  EXPECT_EQ(MdlRunItemTransact(media, ctx), 0);
  EXPECT_EQ(Get("ZPD_IDC_PRESET_CHOICE_SOURCETRAY"), Value("IDS_SOURCE_MULTI"));
  EXPECT_EQ(Get("ZPD_IDC_EDIT_CHOICE_DUPLEX"), 0u);
  // A5 on plain paper: only duplex is turned off.
  Set("ZPD_IDC_PRESET_CHOICE_SOURCETRAY", Value("IDS_SOURCE_TRAY1"));
  Set("ZPD_IDC_EDIT_CHOICE_DUPLEX", 1);
  Set("ZPD_IDC_PRESET_CHOICE_MEDIATYPE", Value("IDS_MEDIATYPE_NORMAL"));
  Set("ZPD_IDC_PRESET_CHOICE_PAPERSIZE", Value("IDS_PAPERSIZE_A5"));
  EXPECT_EQ(MdlRunItemTransactByKey(Key("ZPD_IDC_PRESET_CHOICE_MEDIATYPE"), ctx), 0);
  EXPECT_EQ(Get("ZPD_IDC_PRESET_CHOICE_SOURCETRAY"), Value("IDS_SOURCE_TRAY1"));
  EXPECT_EQ(Get("ZPD_IDC_EDIT_CHOICE_DUPLEX"), 0u);

  // Actions that take the model's defaults: a locked job goes back to a plain job of one copy.
  const ModelItem* printType = Item("ZPD_IDC_PRESET_CHOICE_PRINTTYPE");
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 50);
  EXPECT_EQ(MdlRunItemTransact(printType, ctx), 0);  // AdminLocked does not hold
  EXPECT_EQ(Get("ZPD_IDC_BASIC_EDIT_COPIES"), 50u);
  Set("ZPD_MultiLock", 1);
  EXPECT_EQ(MdlRunItemTransact(printType, ctx), 0);
  EXPECT_EQ(Get("ZPD_IDC_BASIC_EDIT_COPIES"), 1u);

  // Only the first transact list runs: the output rule has only a second one.
  EXPECT_EQ(MdlRunItemTransact(Item("ZPD_IDC_PRESET_CHOICE_OUTPUT"), ctx), 0);
  EXPECT_EQ(MdlRunItemTransact(MdlFindItem(8, ctx), ctx), 0);
  EXPECT_EQ(MdlRunItemTransactByKey(1, ctx), 0);
  EXPECT_EQ(Depth(ctx), 0);
}

TEST_F(SampleModelTest, ActionOnADialogStopsTheRunAndAlertActionsRunTheirTransacts) {
  const ModelItem* staple = Item("ZPD_IDC_FINISH_CHOICE_STAPLE");
  const uint32_t alerts = MdlItemAlerts(staple, ctx);
  ASSERT_NE(alerts, 0u);
  const ExclusiveRule* rule = MdlItemRule(ctx->modelImage, staple);
  ASSERT_NE(rule, nullptr);
  // SortForStaple: {StapleSets StartSorting} {Judge12 ShowEditPage}.
  Set("ZPD_IDC_FINISH_CHOICE_SORT", 0);
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 1);
  Set("ZPD_IDC_FINISH_CHOICE_STAPLE", 1);
  EXPECT_EQ(MdlRunTransact(rule->transact2, ctx), 0);  // StapleSets false: both rows skipped
  EXPECT_EQ(Get("ZPD_IDC_FINISH_CHOICE_SORT"), 0u);

  Set("ZPD_IDC_BASIC_EDIT_COPIES", 3);
  const AlertRow* alert = MdlFindActiveAlert(alerts, ctx);  // Uncollated
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(MdlRunAlertAction(alert, Key("ZPD_IDC_PRESET_CHOICE_COLOR"), ctx), 0);  // no row for that item
  EXPECT_EQ(Get("ZPD_IDC_FINISH_CHOICE_SORT"), 0u);
  const uint16_t dialog = MdlRunAlertAction(alert, Key("ZPD_IDC_FINISH_CHOICE_STAPLE"), ctx);
  EXPECT_EQ(dialog, 1003);  // ShowEditPage
  EXPECT_EQ(Get("ZPD_IDC_FINISH_CHOICE_SORT"), 1u);  // StartSorting ran first
  Set("ZPD_IDC_FINISH_CHOICE_SORT", 0);
  EXPECT_EQ(MdlRunAlertActions(alerts, Key("ZPD_IDC_FINISH_CHOICE_PUNCH"), ctx), dialog);
  EXPECT_EQ(MdlRunAlertAction(nullptr, Key("ZPD_IDC_FINISH_CHOICE_STAPLE"), ctx), 0);
  Set("ZPD_IDC_FINISH_CHOICE_SORT", 1);  // collated: the alert does not hold
  EXPECT_EQ(MdlRunAlertActions(alerts, Key("ZPD_IDC_FINISH_CHOICE_STAPLE"), ctx), 0);
}

// ---- hostile images

// A copy of the sample image that tests may damage.
class HostileImageTest : public SampleModelTest {
 protected:
  uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(ctx->modelImage); }
  ExclusiveRule* Rule(const char* symbol) {
    return const_cast<ExclusiveRule*>(MdlFindRuleByKey(Key(symbol), ctx));
  }
  // The cells of a Judge reference, writable.
  RuleCell* Cells(uint32_t ref, uint32_t* count) { return const_cast<RuleCell*>(MdlImageCells(ctx->modelImage, ref, count)); }
};

TEST_F(HostileImageTest, PushesPastTheStackEndAreRefusedWhateverTheCells) {
  // A long condition made into pushes only: far more than 256 values before its end cell.
  std::string source = SampleSource("ZOLT7000.QCS");
  std::string judge = "*Judge 30=Long: ((ZPD_IDC_BASIC_EDIT_COPIES == 1)";
  for (int i = 0; i < 70; ++i) judge += "\n  && (ZPD_IDC_BASIC_EDIT_COPIES == 1)";
  source += judge + ")\n*Exclusive: { {ZPD_IDC_PRESET_CHOICE_COLOR Long NULL NULL NULL NULL NULL NULL} }\n";
  AttachSource(source);
  ExclusiveRule* rule = Rule("ZPD_IDC_PRESET_CHOICE_COLOR");
  ASSERT_NE(rule, nullptr);
  uint32_t count = 0;
  RuleCell* cells = Cells(rule->disabled, &count);
  ASSERT_NE(cells, nullptr);
  ASSERT_GT(count, 270u);
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 1);
  EXPECT_EQ(MdlIsDisabled(Item("ZPD_IDC_PRESET_CHOICE_COLOR"), 0, ctx), 1);
  for (uint32_t i = 0; i + 1 < count; ++i) {
    const RuleCell push{static_cast<uint16_t>(i % 2 ? 1 : 2), static_cast<uint16_t>(i % 2 ? 12 : 1)};
    std::memcpy(&cells[i], &push, sizeof push);
  }
  EXPECT_EQ(MdlCheckImage(ctx->modelImage, ctx->modelImage->header.totalSize), 1);  // the check walks cells only
  ctx->workArea->evalDepth = 3;
  EXPECT_EQ(MdlIsDisabled(Item("ZPD_IDC_PRESET_CHOICE_COLOR"), 0, ctx), 0);
  EXPECT_EQ(Depth(ctx), 3);
}

TEST_F(HostileImageTest, ReferencesOutOfRangeCountAsAbsent) {
  ExclusiveRule* rule = Rule("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION");
  ASSERT_NE(rule, nullptr);
  const ModelItem* resolution = Item("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION");
  Set("ZPD_IDC_PRESET_CHOICE_COLOR", Value("IDS_MONO"));
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 200);
  Set("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION", Value("IDS_RESOLUTION_1200"));
  ASSERT_EQ(MdlIsDisabled(resolution, 0, ctx), 1);
  const uint32_t size = ctx->modelImage->header.totalSize;
  const uint32_t bad[] = {MdlMakeTaggedRef(size), MdlMakeTaggedRef(size - 2), MdlMakeTaggedRef(4), 0xFFFFFFFFu,
                          MdlMakeTaggedRef(kModelHeaderSize + 1) & ~1u};
  for (uint32_t ref : bad) {
    rule->disabled = ref;
    rule->itemRules = ref;
    rule->alert = ref;
    rule->transact1 = ref;
    EXPECT_EQ(MdlIsDisabled(resolution, 0, ctx), 0) << std::hex << ref;
    EXPECT_EQ(MdlIsRestricted(resolution, Value("IDS_RESOLUTION_1200"), ctx), 0);
    EXPECT_EQ(MdlGetAlertMessage(resolution, ctx), 0);
    EXPECT_EQ(MdlRunItemTransact(resolution, ctx), 0);
    EXPECT_EQ(MdlCheckImage(ctx->modelImage, size), 0);
  }
  // A list that comes back on itself ends.
  ModelItem* paper = const_cast<ModelItem*>(MdlFindItem(8, ctx));
  const auto self = static_cast<uint32_t>(reinterpret_cast<uint8_t*>(paper) - Bytes());
  paper->next = self;
  EXPECT_EQ(MdlFindItem(2000, ctx), nullptr);
  EXPECT_EQ(MdlFindItemByKey(1, ctx), nullptr);
}

}  // namespace

namespace {

// The hand-built image of the fuzz corpus: one PickOne item on dmCopies (12) whose rule is
// disabled and restricted while copies >= 5, whose value 7 is disabled and locked likewise, and
// whose transact list sets 3 copies under that condition (twice, the second row repeating the
// first row's condition).
using zolt::test::ModelContextTest;

TEST_F(ModelContextTest, HandBuiltImageOfTheFuzzCorpus) {
  std::ifstream in(std::string(ZOLT_SOURCE_DIR) + "/fuzz/corpus/mdl_eval/image-copies.bin", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 8524u);
  auto* image = static_cast<ModelImage*>(CtxAllocMem(static_cast<DWORD>(bytes.size())));
  ASSERT_NE(image, nullptr);
  std::memcpy(image, bytes.data(), bytes.size());
  Attach(image);
  const ModelItem* item = MdlFindItem(12, ctx);
  ASSERT_NE(item, nullptr);
  ASSERT_EQ(OptSetValue(ctx, 12, 7), 1);
  EXPECT_EQ(MdlIsDisabled(item, 0, ctx), 1);
  EXPECT_EQ(MdlIsRestricted(item, 0, ctx), 1);
  EXPECT_EQ(MdlIsDisabled(item, 7, ctx), 1);
  EXPECT_EQ(MdlIsLocked(item, 7, ctx), 1);
  EXPECT_EQ(MdlIsRestricted(item, 7, ctx), 0);
  EXPECT_EQ(MdlRunItemTransact(item, ctx), 0);
  EXPECT_EQ(OptGetValue(ctx, 12, nullptr), 3);
  EXPECT_EQ(MdlIsDisabled(item, 0, ctx), 0);
  EXPECT_EQ(MdlGetItemDefault(12, ctx), 7u);
}

}  // namespace
