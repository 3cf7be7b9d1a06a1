// The font lists in printer data: repaired from the model on first load, stored records and
// table halves byte for byte, the rows of the last write removed, the default table, and bad
// stored counts and records taken safely.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "option_store_fixture.h"

namespace {

using zolt::test::Bytes;
using zolt::test::StoreContextTest;
using zolt::test::WideField;

std::string DeviceRecord(int32_t id, const std::u16string& name) {
  return Bytes({id & 0xFF, (id >> 8) & 0xFF, (id >> 16) & 0xFF, (id >> 24) & 0xFF}) + WideField(name, 64);
}

FontSubstEntry Pair(const std::u16string& trueType, const std::u16string& device) {
  FontSubstEntry e{};
  trueType.copy(e.trueTypeName, 31);
  device.copy(e.deviceName, 31);
  return e;
}

class FontLists : public StoreContextTest {
 protected:
  std::u16string Name(const char16_t* prefix, int i) {
    std::string n = std::to_string(i);
    return prefix + std::u16string(n.begin(), n.end());
  }
  const FontSubstEntry* Table() { return static_cast<const FontSubstEntry*>(OptGetBuffer(ctx, kOptFontTable)); }
};

TEST_F(FontLists, FirstLoadWritesTheModelsListsAndTakesThem) {
  AttachSampleModel();
  ASSERT_EQ(CfgLoadFontLists(printer, ctx), 1);

  EXPECT_EQ(Value(u"DeviceFontNum").bytes, Bytes({7, 0}));
  const std::string devices = Value(u"DeviceFont").bytes;
  ASSERT_EQ(devices.size(), 7u * 68);
  EXPECT_EQ(devices.substr(0, 68), DeviceRecord(1, u"Courier"));
  EXPECT_EQ(devices.substr(6 * 68), DeviceRecord(7, u"Line Printer"));
  EXPECT_EQ(Value(u"OptionFontNum").bytes, Bytes({2, 0}));
  EXPECT_EQ(Value(u"OptionFont").bytes, DeviceRecord(101, u"ZOLT Barcode 3 of 9") + DeviceRecord(102, u"ZOLT OCR-B"));

  EXPECT_EQ(Value(u"FontTableNum").bytes, Bytes({4, 0}));
  EXPECT_EQ(Value(u"LastFontTableNum").bytes, Bytes({4, 0}));
  const auto half = Value(u"TTFontTable1");
  EXPECT_EQ(half.type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(half.bytes, WideField(u"Arial", 64));
  EXPECT_EQ(Value(u"DevFontTable1").bytes, WideField(u"Helvetica", 64));
  EXPECT_EQ(Value(u"TTFontTable4").bytes, WideField(u"Symbol", 64));
  EXPECT_FALSE(Has(u"TTFontTable5"));
  EXPECT_FALSE(Has(u"DefFontTableNum"));

  EXPECT_EQ(Get(kOptDeviceFontCount), 7);
  EXPECT_EQ(Get(kOptOptionFontCount), 2);
  EXPECT_EQ(Get(kOptFontTableCount), 4);
  auto* fonts = static_cast<const DeviceFontEntry*>(OptGetBuffer(ctx, kOptOptionFont));
  ASSERT_NE(fonts, nullptr);
  EXPECT_EQ(fonts[1].fontId, 102);
  EXPECT_EQ(std::u16string(fonts[1].name), u"ZOLT OCR-B");
  ASSERT_NE(Table(), nullptr);
  EXPECT_EQ(std::u16string(Table()[1].trueTypeName), u"Times New Roman");
  EXPECT_EQ(std::u16string(Table()[1].deviceName), u"Times");

  // Stored lists win over the model once they exist.
  Put(u"DeviceFontNum", Bytes({1, 0}));
  Put(u"DeviceFont", DeviceRecord(42, u"Mono"));
  ASSERT_EQ(PrnLoadDeviceFonts(printer, ctx), 1);
  EXPECT_EQ(Get(kOptDeviceFontCount), 1);
  fonts = static_cast<const DeviceFontEntry*>(OptGetBuffer(ctx, kOptDeviceFont));
  ASSERT_NE(fonts, nullptr);
  EXPECT_EQ(fonts[0].fontId, 42);
}

TEST_F(FontLists, WithoutModelListsOrStoredCountsNothingIsWritten) {
  EXPECT_EQ(PrnLoadDeviceFonts(printer, ctx), 1);
  EXPECT_EQ(PrnLoadOptionFonts(printer, ctx), 1);
  EXPECT_EQ(PrnLoadFontSubstTable(printer, ctx), 1);
  for (const char16_t* name : {u"DeviceFontNum", u"OptionFontNum", u"FontTableNum", u"LastFontTableNum"})
    EXPECT_FALSE(Has(name));
  EXPECT_EQ(Get(kOptFontTableCount), 0);
  EXPECT_EQ(OptGetBuffer(ctx, kOptFontTable), nullptr);
}

TEST_F(FontLists, BadStoredListsAreTakenSafely) {
  struct Case {
    const char* what;
    std::string count;
    std::string records;
    int loaded;
    int32_t expectedCount;
  };
  std::string unterminated = Bytes({5, 0, 0, 0}) + std::string(64, 'A');  // a name of 32 characters
  const Case cases[] = {
      {"empty list", Bytes({0, 0}), "", 0, 0},
      {"negative count", Bytes({0xFF, 0xFF}), DeviceRecord(1, u"A"), 0, 0},
      {"count above the records", Bytes({3, 0}), DeviceRecord(1, u"A"), 1, 3},
      {"records above the count", Bytes({1, 0}), DeviceRecord(1, u"A") + DeviceRecord(2, u"B"), 0, 0},
      {"missing records", Bytes({2, 0}), "", 0, 0},
      {"unterminated name", Bytes({1, 0}), unterminated, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put(u"DeviceFontNum", c.count);
    if (c.records.empty())
      Drop(u"DeviceFont");
    else
      Put(u"DeviceFont", c.records);
    EXPECT_EQ(PrnLoadDeviceFonts(printer, ctx), c.loaded);
    EXPECT_EQ(Get(kOptDeviceFontCount), c.expectedCount);
    auto* fonts = static_cast<const DeviceFontEntry*>(OptGetBuffer(ctx, kOptDeviceFont));
    EXPECT_EQ(fonts != nullptr, c.expectedCount > 0);
    if (fonts) {
      EXPECT_EQ(fonts[c.expectedCount - 1].name[31], u'\0');
    }
  }
  // A count of the wrong size is repaired from the model (none here: nothing is written).
  Put(u"DeviceFontNum", Bytes({1, 0, 0, 0}));
  EXPECT_EQ(PrnLoadDeviceFonts(printer, ctx), 1);
  EXPECT_EQ(Get(kOptDeviceFontCount), 0);
}

TEST_F(FontLists, TableRowsOfTheLastWriteAreRemoved) {
  const FontSubstEntry three[] = {Pair(u"A", u"a"), Pair(u"B", u"b"), Pair(u"C", u"c")};
  ASSERT_EQ(PrnWriteFontTableRows(printer, three, 3, 0), 1);
  EXPECT_EQ(Value(u"LastFontTableNum").bytes, Bytes({3, 0}));
  EXPECT_TRUE(Has(u"DevFontTable3"));
  ASSERT_EQ(PrnWriteFontTableRows(printer, three + 2, 1, 0), 1);
  EXPECT_EQ(Value(u"TTFontTable1").bytes, WideField(u"C", 64));
  EXPECT_FALSE(Has(u"TTFontTable2"));
  EXPECT_FALSE(Has(u"DevFontTable3"));
  EXPECT_EQ(Value(u"LastFontTableNum").bytes, Bytes({1, 0}));

  // The default table has names of its own and removes nothing.
  ASSERT_EQ(PrnWriteFontTableRows(printer, three, 2, kFontTableDefault), 1);
  EXPECT_EQ(Value(u"DefFontTableNum").bytes, Bytes({2, 0}));
  EXPECT_EQ(Value(u"DevFontDefTable2").bytes, WideField(u"b", 64));
  EXPECT_TRUE(Has(u"TTFontTable1"));

  EXPECT_EQ(PrnWriteFontTableRows(printer, nullptr, 1, 0), 0);
  EXPECT_EQ(PrnWriteFontTableRows(printer, three, -1, 0), 0);
  ASSERT_EQ(PrnDeleteFontTableRows(printer), 1);
  EXPECT_FALSE(Has(u"TTFontTable1"));
}

TEST_F(FontLists, RowsThatCannotBeReadAreEmptied) {
  const FontSubstEntry two[] = {Pair(u"A", u"a"), Pair(u"B", u"b")};
  ASSERT_EQ(PrnWriteFontTableRows(printer, two, 2, 0), 1);
  Drop(u"DevFontTable1");
  Put(u"TTFontTable2", std::string(64, 'x'));  // no terminator
  FontSubstEntry rows[3];
  for (FontSubstEntry& r : rows) r = Pair(u"old", u"old");
  EXPECT_EQ(PrnReadFontTableRows(printer, rows, 3, 0), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(rows[0].trueTypeName[0], u'\0');
  EXPECT_EQ(rows[0].deviceName[0], u'\0');
  EXPECT_EQ(rows[1].trueTypeName[31], u'\0');
  EXPECT_EQ(std::u16string(rows[1].deviceName), u"b");
  EXPECT_EQ(rows[2].trueTypeName[0], u'\0');
  EXPECT_EQ(PrnReadFontTableRows(printer, nullptr, 1, 0), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(PrnReadFontTableRows(printer, rows, 1, kFontTableDefault), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  // A table with an unreadable row is not taken.
  Put(u"FontTableNum", Bytes({2, 0}));
  EXPECT_EQ(PrnLoadFontSubstTable(printer, ctx), 0);
  EXPECT_EQ(Get(kOptFontTableCount), 0);
  EXPECT_EQ(Table(), nullptr);
}

TEST_F(FontLists, ListsEqualToTheSavedImageAreNotWrittenAgain) {
  AttachSampleModel();
  MakeFull();
  ASSERT_EQ(CfgLoadFontLists(printer, ctx), 1);
  ASSERT_EQ(DmSyncSavedImage(ctx), 1);
  for (const char16_t* name : {u"DeviceFontNum", u"DeviceFont", u"OptionFontNum", u"OptionFont", u"FontTableNum"})
    Drop(name);
  ASSERT_EQ(PrnSaveFontLists(printer, ctx), 1);
  for (const char16_t* name : {u"DeviceFontNum", u"OptionFontNum", u"FontTableNum"}) EXPECT_FALSE(Has(name));

  // One changed entry writes its list.
  auto* table = static_cast<FontSubstEntry*>(OptGetBuffer(ctx, kOptFontTable));
  ASSERT_NE(table, nullptr);
  table[0] = Pair(u"Arial", u"Courier");
  ASSERT_EQ(PrnSaveFontLists(printer, ctx), 1);
  EXPECT_EQ(Value(u"FontTableNum").bytes, Bytes({4, 0}));
  EXPECT_EQ(Value(u"DevFontTable1").bytes, WideField(u"Courier", 64));
  EXPECT_FALSE(Has(u"DeviceFontNum"));

  // Without the changed-only flag, or outside a full context, every list is written.
  ASSERT_EQ(PrnWriteDeviceFonts(printer, ctx, 0), 1);
  EXPECT_TRUE(Has(u"DeviceFontNum"));
  ctx->workArea->contextKind = 2;
  ASSERT_EQ(PrnWriteOptionFonts(printer, ctx, kFontListChangedOnly), 1);
  EXPECT_TRUE(Has(u"OptionFontNum"));
}

TEST_F(FontLists, AnEmptiedTableIsSavedAsEmpty) {
  const FontSubstEntry two[] = {Pair(u"A", u"a"), Pair(u"B", u"b")};
  ASSERT_EQ(PrnWriteFontTableRows(printer, two, 2, 0), 1);
  Put(u"FontTableNum", Bytes({2, 0}));
  ASSERT_EQ(PrnLoadFontSubstTable(printer, ctx), 1);
  ASSERT_EQ(Get(kOptFontTableCount), 2);

  ASSERT_EQ(CfgFreeFontBuffers(ctx), 1);
  ASSERT_EQ(PrnWriteFontSubstTable(printer, ctx, 0), 1);
  EXPECT_EQ(Value(u"FontTableNum").bytes, Bytes({0, 0}));
  EXPECT_EQ(Value(u"LastFontTableNum").bytes, Bytes({0, 0}));
  EXPECT_FALSE(Has(u"TTFontTable1"));
  ASSERT_EQ(PrnLoadFontSubstTable(printer, ctx), 1);
  EXPECT_EQ(Get(kOptFontTableCount), 0);

  // A count whose rows are not held is not written.
  Set(kOptFontTableCount, 3);
  EXPECT_EQ(PrnWriteFontSubstTable(printer, ctx, 0), 0);
  EXPECT_EQ(Value(u"FontTableNum").bytes, Bytes({0, 0}));
}

TEST_F(FontLists, DefaultTableIsWrittenOnceAndReplacesTheTable) {
  AttachSampleModel();
  ASSERT_EQ(PrnEnsureDefaultFontTable(printer, ctx), 1);
  EXPECT_EQ(Value(u"DefFontTableNum").bytes, Bytes({4, 0}));
  EXPECT_EQ(Value(u"TTFontDefTable3").bytes, WideField(u"Courier New", 64));
  EXPECT_FALSE(Has(u"FontTableNum"));
  EXPECT_FALSE(Has(u"LastFontTableNum"));
  Put(u"DefFontTableNum", Bytes({1, 0}));
  ASSERT_EQ(PrnEnsureDefaultFontTable(printer, ctx), 1);
  EXPECT_EQ(Value(u"DefFontTableNum").bytes, Bytes({1, 0}));  // present: left alone

  const FontSubstEntry mine[] = {Pair(u"X", u"x"), Pair(u"Y", u"y")};
  ASSERT_EQ(PrnWriteFontTableRows(printer, mine, 2, 0), 1);
  Put(u"FontTableNum", Bytes({2, 0}));
  ASSERT_EQ(PrnLoadFontSubstTable(printer, ctx), 1);
  ASSERT_EQ(Get(kOptFontTableCount), 2);
  ASSERT_EQ(CfgLoadDefaultFontTable(printer, ctx), 1);
  EXPECT_EQ(Get(kOptFontTableCount), 1);
  ASSERT_NE(Table(), nullptr);
  EXPECT_EQ(std::u16string(Table()[0].trueTypeName), u"Arial");
  EXPECT_EQ(std::u16string(Table()[0].deviceName), u"Helvetica");
}

TEST_F(FontLists, FreeingReleasesEveryList) {
  AttachSampleModel();
  ASSERT_EQ(CfgLoadFontLists(printer, ctx), 1);
  ASSERT_EQ(CfgFreeFontBuffers(ctx), 1);
  for (uint16_t id : {kOptFontTableCount, kOptFontTable, kOptDeviceFontCount, kOptDeviceFont, kOptOptionFontCount,
                      kOptOptionFont})
    EXPECT_EQ(Get(id), 0) << id;
  EXPECT_EQ(CfgFreeFontBuffers(ctx), 1);
  EXPECT_EQ(CfgFreeFontBuffers(nullptr), 1);
  // Reloading after a load frees what was held (the sanitizer reports a leak otherwise).
  ASSERT_EQ(CfgLoadFontLists(printer, ctx), 1);
  ASSERT_EQ(CfgLoadFontLists(printer, ctx), 1);
}

}  // namespace
