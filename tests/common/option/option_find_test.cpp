// Option lookup in a context's own table: by id (direct index, the rebasing of the
// printer-configuration ids, unknown and wrapping ids), by symbol and the field names.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "ctx_internal.h"

namespace {

// A context that holds only an option table built from the given rows (and optionally a name
// table), freed with it.
class TableContext {
 public:
  explicit TableContext(const std::vector<OptionDescriptor>& rows, const NameTable* names = nullptr)
      : rows_(rows) {
    const OptionDescriptorTable source = {static_cast<int16_t>(rows_.size()), rows_.data()};
    ctx_.optionTable = OptCopyTable(&source);
    ctx_.nameTable = names;
  }
  ~TableContext() { OptFreeTable(ctx_.optionTable); }
  DriverContext* get() { return &ctx_; }

 private:
  std::vector<OptionDescriptor> rows_;
  DriverContext ctx_{};
};

OptionDescriptor Row(uint16_t id, uint16_t nameIndex = 0, const WCHAR* field = nullptr) {
  return {id, nameIndex, MakeTypeWord(kBlockDevmode, kKindUInt16, 2), 0, 0, nullptr, nullptr, nullptr, 0, 0, field};
}

// Ids 1..firstRun, then 10001..10000+secondRun: the shape of the driver's table.
std::vector<OptionDescriptor> DriverShapedRows(int firstRun, int secondRun) {
  std::vector<OptionDescriptor> rows;
  for (int i = 1; i <= firstRun; ++i) rows.push_back(Row(static_cast<uint16_t>(i)));
  for (int i = 1; i <= secondRun; ++i) rows.push_back(Row(static_cast<uint16_t>(10000 + i)));
  return rows;
}

TEST(OptFind, FindsEveryIdOfBothRangesAndNothingElse) {
  TableContext t(DriverShapedRows(1642, 442));
  DriverContext* ctx = t.get();
  ASSERT_NE(ctx->optionTable, nullptr);
  ASSERT_EQ(ctx->optionTable->count, 2084);

  for (uint32_t id = 1; id <= 1642; ++id) {
    const OptionEntry* row = OptFind(ctx, static_cast<uint16_t>(id));
    ASSERT_NE(row, nullptr) << id;
    EXPECT_EQ(row, &ctx->optionTable->rows[id - 1]);
  }
  EXPECT_EQ(OptFind(ctx, 10001), &ctx->optionTable->rows[1642]);  // the row after 1642
  EXPECT_EQ(OptFind(ctx, 10442), &ctx->optionTable->rows[2083]);  // the last row
  EXPECT_EQ(ctx->optionTable->firstGap, 1642);

  // Ids that have no row: 0, the ids between the ranges (1643-2084 are valid row indexes but
  // must not answer an unrelated row), 10000, beyond 10442, and ids whose rebased key would
  // pass 16 bits.
  for (uint16_t id : {0, 1643, 2000, 2084, 2085, 9999, 10000, 10443, 60000, 63894, 65535})
    EXPECT_EQ(OptFind(ctx, id), nullptr) << id;
}

TEST(OptFind, RebasedKeysThatWrapNeverAnswerAnUnrelatedRow) {
  // A first run so long that id + gap - 10000 passes 65535 for high ids: in 16 bits 65000
  // would land on row 1464.
  TableContext t(DriverShapedRows(12000, 3));
  DriverContext* ctx = t.get();
  EXPECT_EQ(OptFind(ctx, 65000), nullptr);
  EXPECT_EQ(OptFind(ctx, 10002)->id, 10002);
  EXPECT_EQ(OptFind(ctx, 1464)->id, 1464);
}

TEST(OptFind, SearchesTablesWithoutTheUsualShape) {
  // No gap at all: ids above 10000 are found by search, not by a rebased index.
  std::vector<OptionDescriptor> consecutive;
  for (int i = 1; i <= 10010; ++i) consecutive.push_back(Row(static_cast<uint16_t>(i)));
  TableContext noGap(consecutive);
  EXPECT_EQ(OptFind(noGap.get(), 10005)->id, 10005);
  EXPECT_EQ(noGap.get()->optionTable->firstGap, 0);
  EXPECT_EQ(OptFind(noGap.get(), 10011), nullptr);

  // Sparse ascending ids (binary search) and ids out of order (the scan that follows it).
  TableContext sparse({Row(5), Row(9), Row(40), Row(41), Row(700), Row(10001), Row(30000)});
  for (uint16_t id : {5, 9, 40, 41, 700, 10001, 30000}) EXPECT_EQ(OptFind(sparse.get(), id)->id, id);
  for (uint16_t id : {1, 6, 42, 10002, 29999}) EXPECT_EQ(OptFind(sparse.get(), id), nullptr) << id;

  TableContext unordered({Row(50), Row(3), Row(900), Row(7), Row(20)});
  for (uint16_t id : {50, 3, 900, 7, 20}) EXPECT_EQ(OptFind(unordered.get(), id)->id, id);
  EXPECT_EQ(OptFind(unordered.get(), 8), nullptr);
}

TEST(OptFind, AnswersNullWithoutATable) {
  DriverContext empty{};
  EXPECT_EQ(OptFind(nullptr, 1), nullptr);
  EXPECT_EQ(OptFind(&empty, 1), nullptr);
  EXPECT_EQ(OptFindBySymbol(&empty, 1), nullptr);
  EXPECT_EQ(OptGetFieldName(&empty, 1), nullptr);
}

TEST(OptFindBySymbol, PrefersTheTableRowThenResolvesThroughTheNameTable) {
  const NameEntry names[] = {
      {0, 1, "IDOKBUTTON"},           // a symbol that names no option
      {30, 77, "ZPD_zdmSomething"},   // also carried by the row of option 30 below
      {12, 400, "ZPD_dmCopies"},      // known only to the name table
      {999, 401, "ZPD_zdmMissing"},   // names an option the table does not have
  };
  const NameTable nameTable = {4, names};
  TableContext t({Row(1), Row(2, 77), Row(12), Row(30, 77), Row(31, 500)}, &nameTable);
  DriverContext* ctx = t.get();

  EXPECT_EQ(OptFindBySymbol(ctx, 77)->id, 2);    // the first row that carries it, not option 30
  EXPECT_EQ(OptFindBySymbol(ctx, 500)->id, 31);  // a row symbol the name table does not know
  EXPECT_EQ(OptFindBySymbol(ctx, 400)->id, 12);  // through the name table's option id
  EXPECT_EQ(OptFindBySymbol(ctx, 1), nullptr);   // option id 0
  EXPECT_EQ(OptFindBySymbol(ctx, 401), nullptr);
  EXPECT_EQ(OptFindBySymbol(ctx, 402), nullptr);  // no entry anywhere
  EXPECT_EQ(OptFindBySymbol(ctx, 0), nullptr);    // 0 is "no symbol", not the first row
}

TEST(OptGetFieldName, AnswersTheRowsLabel) {
  TableContext t({Row(1, 0, u"dmDeviceName"), Row(2), Row(10001, 0, u"zdmFirstConfig")});
  DriverContext* ctx = t.get();
  EXPECT_EQ(std::u16string_view(OptGetFieldName(ctx, 1)), u"dmDeviceName");
  EXPECT_EQ(std::u16string_view(OptGetFieldName(ctx, 10001)), u"zdmFirstConfig");
  EXPECT_EQ(OptGetFieldName(ctx, 2), nullptr);
  EXPECT_EQ(OptGetFieldName(ctx, 3), nullptr);
}

TEST(OptCopyTable, CopiesEveryFieldIntoRowAndLabels) {
  static const ValueTextPair texts[] = {{1, 2026}, {2, 2027}, {0, 0}};
  const OptionDescriptor source[] = {
      {7, 42, MakeTypeWord(kBlockDevmode, kKindInt16, 2), 76, kStoreSettingsIni, u"Sec", u"Key", texts, 9, 0x00D4,
       u"dmOrientation"},
  };
  const OptionDescriptorTable table = {1, source};
  OptionTable* copy = OptCopyTable(&table);
  ASSERT_NE(copy, nullptr);
  const OptionEntry& r = copy->rows[0];
  EXPECT_EQ(r.id, 7);
  EXPECT_EQ(r.nameIndex, 42);
  EXPECT_EQ(r.typeWord, source[0].typeWord);
  EXPECT_EQ(r.offset, 76);
  EXPECT_EQ(r.storeClass, kStoreSettingsIni);
  EXPECT_EQ(r.section, source[0].section);
  EXPECT_EQ(r.key, source[0].key);
  EXPECT_EQ(r.specialCode, 9);
  EXPECT_EQ(r.stateBits, 0x00D4);
  EXPECT_EQ(r.flags, 0u);
  ASSERT_NE(r.labels, nullptr);
  EXPECT_EQ(r.labels->valueTexts, texts);
  EXPECT_EQ(r.labels->fieldName, source[0].fieldName);
  OptFreeTable(copy);

  const OptionDescriptorTable empty = {0, nullptr};
  EXPECT_EQ(OptCopyTable(&empty), nullptr);
}

}  // namespace
