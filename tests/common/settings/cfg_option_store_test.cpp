// Stored option values: the exact bytes of each kind in printer data, the decimal and text
// encodings in INI files and in-memory sections, the composite values, and the load and save
// passes over the option table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feature_modules.h"
#include "option_store_fixture.h"

namespace {

using zolt::test::Bytes;
using zolt::test::StoreContextTest;

class OptionStore : public StoreContextTest {};

// ---- printer data -------------------------------------------------------------------------------

struct PrinterCase {
  uint16_t id;
  const char16_t* name;
  int32_t value;
  DWORD type;
  std::string bytes;
};

TEST_F(OptionStore, EachKindIsStoredInPrinterDataWithItsExactBytesAndComesBack) {
  // A flag shares its word with other flags, yet only 0 or 1 is stored.
  Set(10015, 1);
  const PrinterCase cases[] = {
      {10001, u"ServerUse", 1, REG_BINARY, Bytes({1})},
      {10012, u"RAM", 0x12345678, REG_BINARY, Bytes({0x78, 0x56, 0x34, 0x12})},
      {10014, u"Duplex", 1, REG_BINARY, Bytes({1, 0, 0, 0})},
      {10175, u"Tray1Paper", 0x0102, REG_BINARY, Bytes({2, 1})},
      {10276, u"CoverTray", -2, REG_BINARY, Bytes({0xFE, 0xFF})},
      {10275, u"Logging", 7, REG_DWORD, Bytes({7, 0, 0, 0})},
  };
  for (const PrinterCase& c : cases) {
    SCOPED_TRACE(c.id);
    Set(c.id, c.value);
    ASSERT_EQ(PrnWriteOption(printer, ctx, Row(c.id)), 1);
    const auto stored = Value(c.name);
    EXPECT_EQ(stored.type, c.type);
    EXPECT_EQ(stored.bytes, c.bytes);
  }
  SetText(1540, u"Upper");
  ASSERT_EQ(PrnWriteOption(printer, ctx, Row(1540)), 1);
  EXPECT_EQ(Value(u"Tray1").bytes, std::string("Upper") + std::string(12, '\0'));

  // Read back into a cleared image.
  for (const PrinterCase& c : cases) Set(c.id, 0);
  SetText(1540, u"");
  Set(10015, 1);
  for (const PrinterCase& c : cases) {
    SCOPED_TRACE(c.id);
    ASSERT_EQ(PrnReadOption(printer, ctx, Row(c.id), 0, nullptr), 1);
    EXPECT_EQ(Get(c.id), c.value);
  }
  EXPECT_EQ(Get(10015), 1);
  ASSERT_EQ(PrnReadOption(printer, ctx, Row(1540), 0, nullptr), 1);
  EXPECT_EQ(Text(1540), u"Upper");
}

TEST_F(OptionStore, PrinterDataThatCannotBeTakenLeavesTheOption) {
  Set(10012, 99);
  Set(10001, 5);
  EXPECT_EQ(PrnReadOption(printer, ctx, Row(10012), 0, nullptr), 0);  // missing
  Put(u"ServerUse", Bytes({1, 2}));                                    // larger than the field
  EXPECT_EQ(PrnReadOption(printer, ctx, Row(10001), 0, nullptr), 0);
  EXPECT_EQ(Get(10012), 99);
  EXPECT_EQ(Get(10001), 5);

  // A shorter value is taken with zeros after it; a raw copy does not mark the row changed.
  SetText(1541, u"0123456789ABCDEF");
  Put(u"Tray2", "Lower");
  Row(1541)->stateBits = 0;
  ASSERT_EQ(PrnReadOption(printer, ctx, Row(1541), 0, nullptr), 1);
  EXPECT_EQ(Text(1541), u"Lower");
  EXPECT_EQ(Row(1541)->stateBits & kStateChangedMask, 0);

  // A row without a key reports success and reads nothing; without an image nothing is read.
  EXPECT_EQ(PrnReadOption(printer, ctx, Row(10004), 0, nullptr), 1);
  EXPECT_EQ(PrnWriteOption(printer, ctx, Row(10004)), 1);
  // The remote-configuration service is not available: nothing comes through it.
  Put(u"RAM", Bytes({1, 0, 0, 0}));
  EXPECT_EQ(PrnReadOption(printer, ctx, Row(10012), kReadThroughServer, nullptr), 0);
  EXPECT_EQ(Get(10012), 99);
}

TEST_F(OptionStore, ValuesLargerThanTheScratchBufferAreReadWhole) {
  // wdmOvlPath widened to 2000 bytes for this test.
  OptionEntry* row = Row(976);
  row->typeWord = MakeTypeWord(kBlockUserSettings, kKindAnsi2, 2000);
  row->storeClass = kStorePrinterData;
  std::string value(2000, 'x');
  value[1999] = '\0';
  Put(u"OverlayDataPath", value);
  ASSERT_EQ(PrnReadOption(printer, ctx, row, 0, nullptr), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(OptGetValueAddress(ctx, row)), 2000), value);
}

TEST_F(OptionStore, FieldNameFormsUseTheFieldNameAndKeepTheKey) {
  OptionEntry* row = Row(203);  // zdmUserCode, key "UserCode"
  Put(u"zdmUserCode", std::string("U1234") + std::string(4, '\0'));
  ASSERT_EQ(PrnReadOptionByFieldName(printer, ctx, row), 1);
  EXPECT_EQ(Text(203), u"U1234");
  EXPECT_EQ(std::u16string(row->key), u"UserCode");
  SetText(203, u"U77");
  ASSERT_EQ(PrnWriteOptionByFieldName(printer, ctx, row), 1);
  EXPECT_EQ(Value(u"zdmUserCode").bytes, std::string("U77") + std::string(6, '\0'));
  EXPECT_FALSE(Has(u"UserCode"));

  OptionEntry nameless = *row;
  nameless.labels = nullptr;
  EXPECT_EQ(PrnReadOptionByFieldName(printer, ctx, &nameless), 0);
  EXPECT_EQ(PrnWriteOptionByFieldName(printer, ctx, &nameless), 0);
}

// ---- INI files ----------------------------------------------------------------------------------

std::string Ansi(const char16_t* text) {
  const std::u16string s(text);
  return std::string(s.begin(), s.end());
}

// Rows of every number kind, stored under their field names as mode 2 and the serializer do.
OptionEntry* Keyed(OptionEntry* row) {
  row->key = row->labels->fieldName;
  row->storeClass = kStoreSettingsIni;
  return row;
}

TEST_F(OptionStore, IniValuesAreDecimalByKindAndTextsAsText) {
  struct Case {
    uint16_t id;
    int32_t value;
    const char* line;
  };
  const Case cases[] = {
      {209, 200, "PrnMethod=200"},                  // unsigned 8-bit
      {1194, 65535, "ImageFormNumber=65535"},        // unsigned 16-bit
      {350, -1, "FrontFunc=4294967295"},             // unsigned 32-bit
      {37, -3, "zdmPresetNo=-3"},                    // signed 8-bit
      {38, -300, "zdmDstResolutionW=-300"},          // signed 16-bit
      {10289, -70000, "zdmTotalCounter=-70000"},     // signed 32-bit
      {100, 1, "zdmHFFuncSelectDate=1"},             // flag
  };
  std::string expected = Header();
  for (const Case& c : cases) {
    OptionEntry* row = Row(c.id);
    if (!row->key) Keyed(row);
    Set(c.id, c.value);
    ASSERT_EQ(IniWriteOption(printer, ctx, row, IniPath().c_str(), nullptr, nullptr), 1) << c.id;
    expected += std::string(c.line) + "\r\n";
  }
  SetText(1195, u"Form A");
  ASSERT_EQ(IniWriteOption(printer, ctx, Row(1195), IniPath().c_str(), nullptr, nullptr), 1);
  expected += "ImageFormName=Form A\r\n";
  SetText(20, u"Letter \u00e9");  // UTF-16 storage, written in the ANSI code page
  ASSERT_EQ(IniWriteOption(printer, ctx, Keyed(Row(20)), IniPath().c_str(), nullptr, nullptr), 1);
  expected += "dmFormName=Letter \xe9\r\n";
  EXPECT_EQ(IniText(), expected);

  // The same rows read back.
  for (const Case& c : cases) Set(c.id, 0);
  SetText(1195, u"");
  SetText(20, u"");
  for (const Case& c : cases) {
    ASSERT_EQ(IniReadOption(ctx, Row(c.id), IniPath().c_str(), nullptr, nullptr), 1) << c.id;
    EXPECT_EQ(Get(c.id), c.value) << c.id;
  }
  ASSERT_EQ(IniReadOption(ctx, Row(1195), IniPath().c_str(), nullptr, nullptr), 1);
  EXPECT_EQ(Text(1195), u"Form A");
  ASSERT_EQ(IniReadOption(ctx, Row(20), IniPath().c_str(), nullptr, nullptr), 1);
  EXPECT_EQ(Text(20), u"Letter \u00e9");
}

TEST_F(OptionStore, SectionTextGetsOneLinePerRowAtTheCursor) {
  IniSectionText text{};
  ASSERT_EQ(IniSectionTextInit(&text, 16), 1);
  int32_t cursor = 0;
  Set(209, 3);
  Set(350, static_cast<int32_t>(0x80000000u));
  SetText(1195, u"Two\r\nRstVersion=9");  // a line break would start another key
  for (uint16_t id : {209, 350, 1195}) ASSERT_EQ(IniWriteOption(printer, ctx, Row(id), u"C:\\x.ini", &text, &cursor), 1);
  EXPECT_EQ(std::string(text.data), "PrnMethod=3\r\nFrontFunc=2147483648\r\nImageFormName=Two\r\n");
  EXPECT_EQ(cursor, static_cast<int32_t>(std::string(text.data).size()));
  // The file was not touched.
  EXPECT_EQ(IniText(), "");
  IniSectionTextFree(&text);
}

TEST_F(OptionStore, StoredNumbersAreDecodedByKind) {
  struct Case {
    uint16_t id;
    const char* text;  // nullptr: key missing
    int result;
    int32_t value;  // expected afterwards (the option starts at 7)
  };
  const Case cases[] = {
      {209, "255", 1, 255},         {209, "256", 1, 0},       {209, "-1", 1, 255},
      {37, "-128", 1, -128},        {37, "200", 1, -56},      {1194, "65536", 1, 0},
      {38, "-2", 1, -2},            {350, "4294967295", 1, -1}, {350, "-1", 1, -1},
      {10289, "-5", 1, -5},         {209, "  42abc", 1, 42},  {209, "+9", 1, 9},
      {209, "abc", 0, 7},           {209, "", 0, 7},          {209, nullptr, 0, 7},
      {209, "-", 0, 7},             {1194, "0000000000000001", 1, 0},  // only 15 characters count
      {211, "256", 1, 1},           // a flag in a 2-byte word: 256 is non-zero
      {100, "256", 1, 0},           // a flag in a 1-byte word: 256 is cut to 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.id << " " << (c.text ? c.text : "(missing)"));
    OptionEntry* row = Row(c.id);
    if (!row->key) Keyed(row);
    Set(c.id, 7);
    std::string body = "Other=1\r\n";
    if (c.text) body += Ansi(row->key) + "=" + c.text + "\r\n";
    int32_t cursor = 0;
    EXPECT_EQ(IniReadOption(ctx, row, u"C:\\x.ini", body.c_str(), &cursor), c.result);
    EXPECT_EQ(Get(c.id), c.id == 211 || c.id == 100 ? (c.value ? 1 : 0) : c.value);
  }
}

TEST_F(OptionStore, EmptyTextsCountOnlyForTheTwoOptionsThatAllowThem) {
  OptionEntry* guard = Keyed(Row(526));  // zdmCopyProtectChar
  SetText(526, u"COPY");
  SetText(1195, u"Form");
  WriteIni(Header() + "zdmCopyProtectChar=\r\nImageFormName=\r\n");
  EXPECT_EQ(IniReadOption(ctx, guard, IniPath().c_str(), nullptr, nullptr), 1);
  EXPECT_EQ(Text(526), u"");
  EXPECT_EQ(IniReadOption(ctx, Row(1195), IniPath().c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(Text(1195), u"Form");

  SetText(526, u"COPY");
  WriteIni(Header() + "Other=1\r\n");
  EXPECT_EQ(IniReadOption(ctx, guard, IniPath().c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(Text(526), u"COPY");

  // The same from an in-memory section.
  int32_t cursor = 0;
  EXPECT_EQ(IniReadOption(ctx, guard, u"C:\\x.ini", "zdmCopyProtectChar=\r\n", &cursor), 1);
  EXPECT_EQ(Text(526), u"");
  SetText(526, u"COPY");
  cursor = 0;
  EXPECT_EQ(IniReadOption(ctx, guard, u"C:\\x.ini", "Other=\r\n", &cursor), 0);
  EXPECT_EQ(Text(526), u"COPY");
}

TEST_F(OptionStore, RowsWithoutKeyOrPathsWithoutDriveAreLeftAlone) {
  Set(209, 4);
  for (const char16_t* path : {u"\\\\server\\share\\x.ini", u"x.ini", u"1:\\x.ini", u""}) {
    EXPECT_EQ(IniWriteOption(printer, ctx, Row(209), path, nullptr, nullptr), 1);
    EXPECT_EQ(IniReadOption(ctx, Row(209), path, "PrnMethod=9\r\n", nullptr), 1);
  }
  EXPECT_EQ(IniReadOption(ctx, Row(209), nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(IniWriteOption(printer, ctx, Row(10004), IniPath().c_str(), nullptr, nullptr), 1);
  EXPECT_EQ(Get(209), 4);
  EXPECT_EQ(IniText(), "");
}

// ---- composites ---------------------------------------------------------------------------------

TEST_F(OptionStore, ActionWordIsOneKeyInThePrinterSection) {
  Set(211, 1);
  for (uint16_t id = 212; id <= 226; ++id) Set(id, 1);
  WriteIni(Header() + "zdmAction=5\r\n");
  ASSERT_EQ(CfgLoadOptionClass(printer, ctx, kBlockDevmode, 0), 1);
  EXPECT_EQ(Get(211), 1);
  EXPECT_EQ(Get(212), 0);
  EXPECT_EQ(Get(213), 1);
  for (uint16_t id = 214; id <= 226; ++id) EXPECT_EQ(Get(id), 0) << id;
  EXPECT_EQ(std::u16string(Row(211)->key), u"ACT_SECUREPRINT");
  EXPECT_EQ(TypeKind(Row(211)->typeWord), kKindBitFirst);

  Set(226, 1);
  WriteIni("");
  ASSERT_EQ(CfgSaveOptionClass(printer, ctx, kBlockDevmode, 0), 1);
  const std::string ini = IniText();
  EXPECT_NE(ini.find("zdmAction=32773\r\n"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("ACT_"), std::string::npos) << ini;
}

TEST_F(OptionStore, LockCompositesAreOneValueAndAreRebuiltWhenMissing) {
  Put(u"zdmLockInfo", Bytes({0x05, 0, 0, 0x80}));
  Put(u"zdmLock000InfoBit", Bytes({0x02}));
  ASSERT_EQ(CfgLoadOptionClass(printer, ctx, kBlockPrinterConfig, 0), 1);
  EXPECT_EQ(Get(10386), 1);
  EXPECT_EQ(Get(10387), 0);
  EXPECT_EQ(Get(10388), 1);
  EXPECT_EQ(Get(10417), 1);
  EXPECT_EQ(Get(10418), 0);
  EXPECT_EQ(Get(10419), 1);
  // zdmLock001InfoBit was missing: written back from the current value.
  EXPECT_EQ(Value(u"zdmLock001InfoBit").bytes, Bytes({0}));

  Set(10427, 1);
  Set(10386, 0);
  ASSERT_EQ(CfgSaveOptionClass(printer, ctx, kBlockPrinterConfig, 0), 1);
  EXPECT_EQ(Value(u"zdmLockInfo").bytes, Bytes({0x04, 0, 0, 0x80}));
  EXPECT_EQ(Value(u"zdmLock001InfoBit").bytes, Bytes({0x02}));
  EXPECT_EQ(Row(10386)->key, nullptr);
  EXPECT_EQ(TypeKind(Row(10386)->typeWord), kKindBitFirst);
}

}  // namespace
