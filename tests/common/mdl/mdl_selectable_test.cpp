// The command table and the selectable-value queries: the constant rows against the statements
// made about them, the set in use per model type, the values' conditions, the administrator
// locks, the N-up kind lock, the output capacity and collation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "../option/option_image_context.h"
#include "command_table.h"
#include "option_access.h"
#include "option_values.h"

namespace {

using Values = std::vector<int32_t>;

const CommandEntry* RowFor(const CommandTable* table, DWORD optionId) {
  for (DWORD i = 0; i < table->rowCount; ++i)
    if (table->rows[i].optionId == optionId) return &table->rows[i];
  return nullptr;
}

Values ListValues(const CommandEntry* row) {
  Values out;
  for (int i = 0; i < MdlGetValueListLength(row->values); ++i)
    out.push_back(static_cast<int32_t>(row->values->values[i].value));
  return out;
}

// ---- the constant rows ----------------------------------------------------------------------

TEST(CommandTableRows, BothSetsHaveThirtySevenRowsAndDifferOnlyInTheOutputPaperList) {
  const CommandTable* standard = MdlStandardCommandTable();
  const CommandTable* alternate = MdlAlternateCommandTable();
  ASSERT_EQ(standard->rowCount, 37u);
  ASSERT_EQ(alternate->rowCount, 37u);
  for (int i = 0; i < 37; ++i) {
    const CommandEntry& a = standard->rows[i];
    const CommandEntry& b = alternate->rows[i];
    EXPECT_EQ(a.optionId, b.optionId) << i;
    EXPECT_EQ(a.flags, b.flags) << i;
    EXPECT_STREQ(a.commandName, b.commandName) << i;
    if (i != 19) {
      EXPECT_EQ(a.values, b.values) << i;
    }
  }
  EXPECT_STREQ(standard->rows[19].commandName, "PAPER");
  EXPECT_EQ(standard->rows[19].optionId, 46u);

  // Row 19: 24 values in the standard set; the alternative set leaves out A3 (8) and LEDGER (3)
  // and keeps the rest in order.
  Values full = ListValues(&standard->rows[19]);
  Values shorter = ListValues(&alternate->rows[19]);
  EXPECT_EQ(full.size(), 24u);
  EXPECT_EQ(shorter.size(), 22u);
  Values expected = full;
  std::erase_if(expected, [](int32_t v) { return v == 8 || v == 3; });
  EXPECT_EQ(shorter, expected);
  EXPECT_EQ(full.front(), 1024);
}

TEST(CommandTableRows, FieldsFollowTheRowKinds) {
  const CommandTable* table = MdlStandardCommandTable();
  const std::set<std::string> numbers = {"COPIES", "PAPERSCALEH", "PAPERSCALEW", "MARGINODD", "MARGINEVEN"};
  const std::set<std::string> free = {"MEMORYSIZE", "USERCODE", "COPIES", "PAPERSCALEH", "PAPERSCALEW",
                                      "MARGINODD",  "MARGINEVEN"};
  for (DWORD i = 0; i < table->rowCount; ++i) {
    const CommandEntry& row = table->rows[i];
    const std::string name = row.commandName;
    SCOPED_TRACE(name);
    EXPECT_NE(row.optionId, 0u);
    EXPECT_EQ(row.reserved, 0u);
    EXPECT_EQ(row.assigns, nullptr);
    EXPECT_EQ(row.conditions, nullptr);
    EXPECT_TRUE(row.kinds == 1 || row.kinds == 3 || row.kinds == 4);
    const DWORD type = name == "USERCODE" ? 16u : numbers.count(name) ? 8u : 1u;
    EXPECT_EQ(row.valueType, type);
    if (free.count(name)) {
      EXPECT_EQ(row.flags, 0x2u);
      EXPECT_EQ(row.values, nullptr);
    } else {
      const DWORD flags = name == "BINDING" ? 0x10801u : name == "BOOKLET" ? 0x11001u : 0x1u;
      EXPECT_EQ(row.flags, flags);
      ASSERT_NE(row.values, nullptr);
      EXPECT_GT(row.values->count, 0u);
    }
    for (int k = 0; k < MdlGetValueListLength(row.values); ++k) {
      const CommandValue& v = row.values->values[k];
      EXPECT_EQ(v.reserved1, 0u);
      EXPECT_EQ(v.reserved2, 0u);
      EXPECT_NE(v.keyword, nullptr);
    }
  }
  EXPECT_EQ(RowFor(table, 747)->values->count, 3u);
}

// Flag 0x10 marks a keyword that repeats an earlier one of its list; flag bit 0 marks OFF only
// in the SCALETYPE and NUP lists.
TEST(CommandTableRows, ValueFlagsMarkRepeatedKeywordsAndTheOffValuesThatSetNothing) {
  const CommandTable* table = MdlStandardCommandTable();
  std::set<std::pair<std::string, DWORD>> repeated;
  std::set<std::string> noOwnValue;
  for (DWORD i = 0; i < table->rowCount; ++i) {
    const CommandEntry& row = table->rows[i];
    for (int k = 0; k < MdlGetValueListLength(row.values); ++k) {
      const CommandValue& v = row.values->values[k];
      EXPECT_EQ(v.flags & ~DWORD{0x11}, 0u);
      if (v.flags & kCommandValueRepeatedKeyword) {
        repeated.insert({row.commandName, v.value});
        bool earlier = false;
        for (int j = 0; j < k; ++j) earlier |= std::strcmp(row.values->values[j].keyword, v.keyword) == 0;
        EXPECT_TRUE(earlier) << row.commandName << " " << v.value;
      }
      if (v.flags & kCommandValueNoOwnValue) {
        EXPECT_STREQ(v.keyword, "OFF");
        EXPECT_EQ(v.value, 0u);
        noOwnValue.insert(row.commandName);
      }
    }
  }
  std::set<std::pair<std::string, DWORD>> expected = {{"NUP", 3}};
  for (DWORD v = 384; v <= 393; ++v) expected.insert({"PAPER", v});
  for (DWORD v = 17; v <= 22; ++v) expected.insert({"BINDING", v});
  EXPECT_EQ(repeated, expected);
  EXPECT_EQ(noOwnValue, (std::set<std::string>{"SCALETYPE", "NUP"}));
}

TEST(CommandTableRows, NupValuesSetTheirKindFirstAndLockOverridesNameTheirOptions) {
  const CommandEntry* nup = RowFor(MdlStandardCommandTable(), 92);
  ASSERT_NE(nup, nullptr);
  ASSERT_EQ(nup->values->count, 20u);
  for (DWORD k = 0; k < nup->values->count; ++k) {
    const CommandValue& v = nup->values->values[k];
    ASSERT_NE(v.assigns, nullptr);
    if (v.value == 0) {
      EXPECT_EQ(v.assigns->optionId, 56);  // zdmFuncSelectNup := 0, nothing else
      EXPECT_EQ(v.assigns->value, 0u);
      EXPECT_EQ(v.assigns->next, nullptr);
      continue;
    }
    EXPECT_EQ(v.assigns->optionId, 91);
    EXPECT_EQ(v.assigns->mark, 1u);
    ASSERT_NE(v.assigns->next, nullptr);
    EXPECT_EQ(v.assigns->next->optionId, 56);
    EXPECT_EQ(v.assigns->next->mark, 0u);
  }

  int count = 0;
  const LockOverride* locks = MdlLockOverrides(&count);
  ASSERT_EQ(count, 8);
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(locks[i].lockBitOption, 10419 + i);
    EXPECT_EQ(locks[i].lockedValueOption, 1236 + i);
    EXPECT_EQ(locks[i].reserved, 0);
  }
  EXPECT_EQ(locks[4].settingId, 58);
  EXPECT_EQ(locks[3].settingId, 0);
}

// ---- queries on a context -------------------------------------------------------------------

class Selectable : public zolt::test::ImageContextTest {
 protected:
  void SetUp() override {
    ImageContextTest::SetUp();
    Set(1263, 1);  // wdmModelType: the standard set
  }
  void Set(uint16_t id, int32_t value) { ASSERT_EQ(OptSetValue(ctx, id, value), 1) << id; }
  // Options set for one case, the setting asked and the values it must offer.
  struct Case {
    const char* what;
    std::vector<std::pair<uint16_t, int32_t>> options;
    WORD setting;
    Values expected;
  };
  // Each case on the same context: its options are set, checked and put back to 0.
  void Run(std::span<const Case> cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      for (auto [id, value] : c.options) Set(id, value);
      EXPECT_EQ(Selectables(c.setting), c.expected);
      EXPECT_EQ(MdlHasSelectableValue(ctx, c.setting), c.expected.empty() ? 0 : 1);
      for (auto [id, value] : c.options) Set(id, 0);
    }
  }
  Values Selectables(WORD id) {
    int32_t buffer[64];
    int32_t count = -1;
    EXPECT_EQ(MdlGetSelectableValues(ctx, id, 64, buffer, &count), 0) << id;
    return Values(buffer, buffer + std::max(count, 0));
  }
};

TEST_F(Selectable, ModelTypePicksTheSetAndWhetherThereAreRows) {
  struct Case {
    int32_t modelType;
    const CommandTable* table;
    int rows;
    size_t paperValues;  // 46 zdmOutPaperSize
  };
  const Case cases[] = {
      {0, MdlStandardCommandTable(), 0, 0},  {1, MdlStandardCommandTable(), 37, 24},
      {2, MdlAlternateCommandTable(), 37, 22}, {3, MdlStandardCommandTable(), 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.modelType);
    Set(1263, c.modelType);
    EXPECT_EQ(MdlGetValueTable(ctx), c.table);
    EXPECT_EQ(MdlGetValueTableRowCount(ctx), c.rows);
    EXPECT_EQ(Selectables(46).size(), c.paperValues);
    EXPECT_EQ(MdlHasSelectableValue(ctx, 8), c.rows ? 1 : 0);
    EXPECT_EQ(MdlFindValueTableRow(ctx, 8, kCommandKindSelect) != nullptr, c.rows != 0);
  }
}

TEST_F(Selectable, RowSearchNeedsTheAskedKind) {
  // TRAYPAPER1 (10175) answers kind 4 only; OUTBIN (53) kinds 1 and 2.
  EXPECT_EQ(MdlFindValueTableRow(ctx, 10175, kCommandKindSelect), nullptr);
  EXPECT_NE(MdlFindValueTableRow(ctx, 10175, 4), nullptr);
  EXPECT_NE(MdlFindValueTableRow(ctx, 53, 2), nullptr);
  EXPECT_EQ(MdlFindValueTableRow(ctx, 53, 8), nullptr);
  EXPECT_EQ(MdlFindValueTableRow(ctx, 0, 0xFFFFFFFF), nullptr);
  int32_t count = -1;
  EXPECT_EQ(MdlGetSelectableValues(ctx, 10175, 64, nullptr, &count), 0);
  EXPECT_EQ(count, 0);
}

TEST_F(Selectable, InstalledOptionsDecideWhichValuesAreOffered) {
  const Case cases[] = {
      {"no finisher", {}, 53, {13}},
      {"mailbox", {{10057, 1}}, 53, {13, 15, 16, 17, 18}},
      {"two-step tray", {{10108, 1}}, 53, {128, 129}},
      {"tray 3 needs both one-step options", {{10023, 1}}, 13, {7, 1, 3, 4}},
      {"one-step unit with two trays", {{10023, 1}, {10110, 2}}, 13, {7, 1, 3, 2, 4}},
      {"one-step count alone", {{10110, 2}}, 13, {7, 1, 3, 4}},
      {"no duplex unit", {}, 58, {0}},
      {"duplex unit", {{10014, 1}}, 58, {1, 0}},
      {"simplex binding", {}, 95, {3, 2, 1, 4}},
      {"duplex binding", {{58, 1}}, 94, {3, 2, 1, 19, 18, 17, 22, 21, 20}},
      {"no binding without duplex", {}, 94, {}},
      {"no N-up frame without N-up", {}, 93, {}},
      {"N-up frame", {{56, 1}}, 93, {1, 0}},
      {"no row", {}, 119, {}},
      {"free value", {}, 12, {}},
  };
  Run(cases);
}

TEST_F(Selectable, AdministratorLockLeavesOnlyTheLockedValueWhenTheListHasIt) {
  const Case cases[] = {
      // The locked value wins even where its condition does not hold.
      {"duplex locked on without a duplex unit", {{10423, 1}, {1240, 1}}, 58, {1}},
      {"duplex locked off", {{10014, 1}, {10423, 1}, {1240, 0}}, 58, {0}},
      {"locked value not in the list", {{10014, 1}, {10423, 1}, {1240, 5}}, 58, {1, 0}},
      {"locked value without the lock bit", {{10014, 1}, {1240, 0}}, 58, {1, 0}},
      {"tray locked to tray 3", {{10419, 1}, {1236, 2}}, 13, {2}},
      {"another setting's lock", {{10419, 1}, {1236, 2}}, 58, {0}},
      {"media locked", {{10420, 1}, {1237, 1}}, 54, {1}},
      {"colour locked to a value the list lacks", {{10426, 1}, {1243, 2}}, 15, {1}},
  };
  Run(cases);
}

TEST_F(Selectable, NupKindLockKeepsTheLockedKindAndDropsOff) {
  const Values all = {1, 2, 3, 33, 37, 34, 38, 65, 69, 66, 70, 97, 101, 98, 102, 17, 49, 81, 113, 0};
  const Values allButOff(all.begin(), all.end() - 1);
  const Case cases[] = {
      {"no lock", {}, 92, all},
      {"kind lock, 4-in-1", {{10421, 1}, {1238, 2}}, 92, {33, 37, 34, 38}},
      {"kind lock, 2-in-1", {{10421, 1}, {1238, 1}}, 92, {1, 2, 3}},
      {"kind lock, 2-in-1 repeated", {{10421, 1}, {1238, 16}}, 92, {17}},
      {"kind lock, every kind", {{10421, 1}, {10422, 1}, {1238, 2}}, 92, allButOff},
      {"every-kind bit alone", {{10422, 1}}, 92, all},
      {"kind lock, a kind no value sets", {{10421, 1}, {1238, 99}}, 92, {}},
  };
  Run(cases);
}

TEST_F(Selectable, CapacityTooSmallOrNoArrayReportsTheCountWithoutCopying) {
  struct Case {
    int capacity;
    bool array;
    int result;
  };
  const Case cases[] = {{5, true, 1}, {12, true, 1}, {0, true, 1}, {-1, true, 1},
                        {13, true, 0}, {64, true, 0}, {64, false, 1}};
  const Values expected = {8, 9, 11, 70, 43, 12, 13, 88, 1, 5, 6, 3, 256};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.capacity);
    int32_t buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), -7);
    int32_t count = -1;
    EXPECT_EQ(MdlGetSelectableValues(ctx, 8, c.capacity, c.array ? buffer : nullptr, &count), c.result);
    EXPECT_EQ(count, 13);
    if (c.result == 0) {
      EXPECT_EQ(Values(buffer, buffer + 13), expected);
      EXPECT_EQ(buffer[13], -7);
    } else {
      EXPECT_EQ(buffer[0], -7);
    }
  }
}

// The count is optional: a caller that only wants the answer passes NULL.
TEST_F(Selectable, CountMayBeOmitted) {
  EXPECT_EQ(MdlGetSelectableValues(ctx, 8, 0, nullptr, nullptr), 1);
  EXPECT_EQ(MdlGetSelectableValues(ctx, 119, 0, nullptr, nullptr), 0);
}

// BOOKLET's list is counted by its own header (3 values), so option 747 offers values.
TEST_F(Selectable, BookletOffersItsListByItsOwnCount) {
  EXPECT_EQ(Selectables(747), (Values{0}));
  Set(58, 1);
  EXPECT_EQ(Selectables(747), (Values{2, 1, 0}));
  EXPECT_EQ(MdlHasSelectableValue(ctx, 747), 1);
}

// Values whose flag bit 0 is set are left out of the "has a value" question: a row where only
// OFF survives has no selectable value, while the full list still shows OFF.
TEST_F(Selectable, HasSelectableValueLeavesOutValuesThatSetNothing) {
  static constexpr ConditionTest kNeedsScale = {nullptr, kChainEndGroup, 10014, 1};
  static constexpr CommandValue kValues[] = {
      {0, 2, "PAPERDEFSCALE", 0, nullptr, &kNeedsScale, 0},
      {0, 1, "PAPERSCALE", 0, nullptr, &kNeedsScale, 0},
      {kCommandValueNoOwnValue, 0, "OFF", 0, nullptr, nullptr, 0},
  };
  static constexpr CommandValueList kList = {3, kValues};
  static constexpr CommandEntry kRow = {87, 0, kCommandRowHasList, 1, 1, "SCALETYPE", nullptr, &kList, nullptr};

  int32_t count = -1;
  EXPECT_EQ(MdlCollectSelectableValues(ctx, &kRow, 0, 0, nullptr, &count), 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(MdlCollectSelectableValues(ctx, &kRow, kCommandValueNoOwnValue, 0, nullptr, &count), 0);
  EXPECT_EQ(count, 0);
  Set(10014, 1);
  EXPECT_EQ(MdlCollectSelectableValues(ctx, &kRow, kCommandValueNoOwnValue, 0, nullptr, &count), 1);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(MdlCollectSelectableValues(ctx, nullptr, 0, 0, nullptr, &count), 0);
  EXPECT_EQ(count, 0);

  // The real SCALETYPE row offers its scale values unconditionally.
  EXPECT_EQ(MdlHasSelectableValue(ctx, 87), 1);
  EXPECT_EQ(Selectables(87), (Values{2, 1, 0}));
}

// zdmSortType has no row in either set, so collation is never offered.
TEST_F(Selectable, CollationIsNotOfferedWithoutSortTypeValues) {
  for (int32_t type : {0, 1, 2}) {
    Set(1263, type);
    EXPECT_EQ(OptCanCollate(ctx), 0) << type;
    EXPECT_EQ(OptIsCollateAvailable(ctx), 0) << type;
  }
}

}  // namespace
