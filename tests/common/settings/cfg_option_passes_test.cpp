// The load and save passes over a context's option table: which rows each pass visits, which
// store each row goes to, the changed-only rule, mode 2 and what the feature modules are told.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feature_modules.h"
#include "option_store_fixture.h"

namespace {

using zolt::test::Bytes;
using zolt::test::StoreContextTest;

// The value names of the printer-configuration rows kept in printer data.
const char16_t* const kPrinterValueNames[] = {
    u"Tray1", u"Tray2", u"Tray3", u"Tray4", u"Tray5", u"Tray6", u"Tray7", u"Tray8", u"Tray9",
    u"ServerUse", u"UserCodeUse", u"RAM", u"RAMType", u"Duplex", u"MultiTray", u"1Step", u"UpperBin",
    u"MailBox2", u"HDD", u"40Bin", u"2Step", u"1StepNum", u"Tray1Field", u"Tray2Field", u"Tray3Field",
    u"PFTrayField", u"MultiTrayField", u"Tray1Orient", u"Tray2Orient", u"Tray3Orient", u"PFTrayOrient",
    u"MultiTrayOrient", u"Tray1Paper", u"Tray2Paper", u"Tray3Paper", u"PFTrayPaper", u"MultiTrayPaper",
    u"Tray1Media", u"Tray2Media", u"Tray3Media", u"PFTrayMedia", u"MultiTrayMedia", u"Tray1Lock",
    u"Tray2Lock", u"Tray3Lock", u"PFTrayLock", u"MultiTrayLock", u"DllUserCode", u"Other", u"Logging",
    u"CoverTray", u"MarkTray", u"Separator", u"AuthenticationMode", u"AuthenticationSecureMode", u"TakeOver",
};

std::string Ansi(const char16_t* text) {
  const std::u16string s(text);
  return std::string(s.begin(), s.end());
}

class OptionPasses : public StoreContextTest {
 protected:
  // Stores a row under its field name in the INI file, as mode 2 does.
  OptionEntry* Keyed(uint16_t id) {
    OptionEntry* row = Row(id);
    row->key = row->labels->fieldName;
    row->storeClass = kStoreSettingsIni;
    return row;
  }
  std::vector<std::u16string> WrittenValues() {
    std::vector<std::u16string> names;
    for (const char16_t* name : kPrinterValueNames)
      if (Has(name)) names.push_back(name);
    return names;
  }
  void DropAll() {
    for (const char16_t* name : kPrinterValueNames) Drop(name);
  }
  // A new context whose feature modules are the rows of source.
  void UseModules(FmTableSource source) {
    Destroy(ctx);
    FmTableSource previous = FmSetTableSource(source);
    ctx = MakeContext(kCtxKindTablesOnly, kCtxModeUi);
    FmSetTableSource(previous);
    ASSERT_NE(ctx, nullptr);
  }
};

// A module that keeps every row out of the mode-2 passes except the chapter options
// 1019-1032, as the chapter module does.
int ChapterRowsOnly(DriverContext*, DWORD code, void* param, void*) {
  if (code == kFmNotifySaveRow || code == kFmNotifyLoadRow) {
    auto* offer = static_cast<FmRowPassParam*>(param);
    if (offer->row->id < 1019 || offer->row->id > 1032) offer->answer = 1;
  }
  return 0;
}

const FeatureModule* ChapterTable(FeatureModuleList* list) {
  static const FeatureModule rows[] = {{0, nullptr, FmNoBuiltInFunc, FmNoDialog, ChapterRowsOnly}};
  if (list) list->count = 1;
  return rows;
}

TEST_F(OptionPasses, LoadPassLeavesThePublicFieldsAndThePrivateHeader) {
  // dmCopies (row 11), zdmMachineID (row 34), a flag of row 718, the private header's
  // zdmZcomVersion (row 723) and a block-3 row, all given INI keys for this test.
  struct Case {
    uint16_t id;
    bool loaded;
  };
  const Case cases[] = {{12, false}, {35, true}, {719, true}, {724, false}, {1017, true}};
  std::string ini = zolt::test::StoreContextTest::Header();
  for (const Case& c : cases) {
    Keyed(c.id);
    ini += Ansi(Row(c.id)->key) + "=1\r\n";
  }
  WriteIni(ini);
  ASSERT_EQ(CfgLoadOptionClass(printer, ctx, -1, 0), 1);
  for (const Case& c : cases) EXPECT_EQ(Get(c.id), c.loaded ? 1 : 0) << c.id;
}

TEST_F(OptionPasses, EachBlockIsLoadedFromItsOwnStore) {
  WriteIni(Header() + "PrnMethod=2\r\nImageFormJob=3\r\n");
  Put(u"RAM", Bytes({64, 0, 0, 0}));

  ASSERT_EQ(CfgLoadOptionClass(printer, ctx, kBlockPrinterConfig, 0), 1);
  EXPECT_EQ(Get(10012), 64);
  EXPECT_EQ(Get(209), 0);
  EXPECT_EQ(Get(1193), 0);
  Set(10012, 0);
  ASSERT_EQ(CfgLoadOptionClass(printer, ctx, kBlockDevmode, 0), 1);
  EXPECT_EQ(Get(209), 2);
  EXPECT_EQ(Get(1193), 0);
  EXPECT_EQ(Get(10012), 0);
  ASSERT_EQ(CfgLoadOptionClass(printer, ctx, kBlockUserSettings, 0), 1);
  EXPECT_EQ(Get(1193), 3);

  // Contexts that read no INI rows still read printer data.
  struct Restricted {
    WORD kind;
    DWORD mode;
  };
  for (const Restricted r : {Restricted{1, kCtxModeUi}, Restricted{4, kCtxModeDeviceCaps},
                             Restricted{4, kCtxModeDocumentNoUi}, Restricted{4, kCtxModeGraphics}}) {
    SCOPED_TRACE(testing::Message() << r.kind << " " << r.mode);
    ctx->workArea->contextKind = r.kind;
    ctx->workArea->creationMode = r.mode;
    Set(209, 0);
    Set(10012, 0);
    ASSERT_EQ(CfgLoadOptionClass(printer, ctx, -1, 0), 1);
    EXPECT_EQ(Get(209), 0);
    EXPECT_EQ(Get(10012), 64);
  }
}

TEST_F(OptionPasses, BuildFeatureOptionsFollowTheBuild) {
  for (uint16_t id = 1219; id <= 1234; ++id) Set(id, id == 1230 ? 0 : 1);
  ASSERT_EQ(CfgLoadOptionClass(printer, ctx, kBlockUserSettings, 0), 1);
  // Only build feature 11 of the first sixteen is on.
  for (uint16_t id = 1219; id <= 1234; ++id) EXPECT_EQ(Get(id), id == 1230 ? 1 : 0) << id;
}

TEST_F(OptionPasses, SavePassWritesEveryPrinterDataRowOfTheBlock) {
  ASSERT_EQ(CfgSaveOptionClass(printer, ctx, kBlockPrinterConfig, 0), 1);
  EXPECT_EQ(WrittenValues().size(), std::size(kPrinterValueNames));
  for (const char16_t* name : {u"zdmLockInfo", u"zdmLock000InfoBit", u"zdmLock001InfoBit"}) EXPECT_TRUE(Has(name));
  // The font lists are not rows of the pass, and nothing of block 2 goes to the INI file.
  EXPECT_FALSE(Has(u"DeviceFontNum"));
  EXPECT_FALSE(Has(u"FontTableNum"));
  EXPECT_EQ(IniText(), "");
}

TEST_F(OptionPasses, DeviceModeRowsWithValueNamesAreLeftToTheirOwners) {
  // zdmUserCode, zdmPreviewPrint, zdmRotationMode and zdmSharedPrnData name printer-data values
  // that only the single-row operations reach.
  Put(u"UserCode", std::string("U1") + std::string(7, '\0'));
  Put(u"PreviewPrint", Bytes({1}));
  ASSERT_EQ(CfgLoadOptionClass(printer, ctx, -1, 0), 1);
  EXPECT_EQ(Text(203), u"");
  EXPECT_EQ(Get(603), 0);
  Drop(u"UserCode");
  Drop(u"PreviewPrint");
  Set(609, 1);
  Set(604, 2);
  ASSERT_EQ(CfgSaveOptionClass(printer, ctx, kBlockDevmode, kSaveEveryValue), 1);
  for (const char16_t* name : {u"UserCode", u"PreviewPrint", u"PrnMethod", u"SharedPrnData"}) EXPECT_FALSE(Has(name));
}

TEST_F(OptionPasses, FullContextWritesOnlyWhatDiffersFromTheSavedImage) {
  MakeFull();
  Set(10012, 32);
  Set(10014, 1);
  ASSERT_EQ(DmSyncSavedImage(ctx), 1);
  Set(10012, 64);
  ASSERT_EQ(CfgSaveOptionClass(printer, ctx, kBlockPrinterConfig, 0), 1);
  EXPECT_EQ(WrittenValues(), std::vector<std::u16string>{u"RAM"});
  EXPECT_EQ(Value(u"RAM").bytes, Bytes({64, 0, 0, 0}));
  // The lock composites are written every time.
  EXPECT_TRUE(Has(u"zdmLockInfo"));

  // A flag compares as its bit, not as its word.
  DropAll();
  Set(10022, 1);  // shares the word of 10014
  ASSERT_EQ(CfgSaveOptionClass(printer, ctx, kBlockPrinterConfig, 0), 1);
  EXPECT_EQ(WrittenValues(), (std::vector<std::u16string>{u"RAM", u"MultiTray"}));

  DropAll();
  ASSERT_EQ(CfgSaveOptionClass(printer, ctx, kBlockPrinterConfig, kSaveEveryValue), 1);
  EXPECT_EQ(WrittenValues().size(), std::size(kPrinterValueNames));

  // A context that is not a full one writes everything.
  DropAll();
  ctx->workArea->contextKind = 3;
  ASSERT_EQ(CfgSaveOptionClass(printer, ctx, kBlockPrinterConfig, 0), 1);
  EXPECT_EQ(WrittenValues().size(), std::size(kPrinterValueNames));
}

TEST_F(OptionPasses, ConfigurationOnlySaveSkipsFixedListFive) {
  ASSERT_EQ(CfgSaveOptionClass(printer, ctx, kBlockPrinterConfig, kSaveEveryValue | kSaveConfigRowsOnly), 1);
  const auto written = WrittenValues();
  auto has = [&](const char16_t* n) { return std::find(written.begin(), written.end(), n) != written.end(); };
  EXPECT_TRUE(has(u"RAM"));
  EXPECT_TRUE(has(u"TakeOver"));
  EXPECT_FALSE(has(u"ServerUse"));
  EXPECT_FALSE(has(u"UserCodeUse"));
  EXPECT_FALSE(has(u"AuthenticationMode"));
  EXPECT_FALSE(has(u"AuthenticationSecureMode"));
  EXPECT_FALSE(has(u"Tray1"));  // option 1540 is no configuration row
  EXPECT_EQ(CfgIsConfigOptionRow(Row(10012)), 1);
  EXPECT_EQ(CfgIsConfigOptionRow(Row(10011)), 0);
  EXPECT_EQ(CfgIsConfigOptionRow(Row(10442)), 1);
  EXPECT_EQ(CfgIsConfigOptionRow(nullptr), 0);
}

TEST_F(OptionPasses, UserCodeUseOfAServerPrinterFollowsServerUse) {
  ctx->workArea->remoteState = 1;  // reached through a print server
  ASSERT_EQ(CfgSaveOptionClass(printer, ctx, kBlockPrinterConfig, 0), 1);
  EXPECT_TRUE(Has(u"ServerUse"));
  EXPECT_FALSE(Has(u"UserCodeUse"));
  Set(10001, 1);
  ASSERT_EQ(CfgSaveOptionClass(printer, ctx, kBlockPrinterConfig, 0), 1);
  EXPECT_TRUE(Has(u"UserCodeUse"));
}

TEST_F(OptionPasses, UserSaveStoresTheChapterOptionsUnderTheirFieldNames) {
  UseModules(ChapterTable);
  Set(1019, 3);
  Set(1020, -2);
  Set(1193, 1);
  ASSERT_EQ(CfgSaveUserOptions(printer, ctx), 1);
  const std::string ini = IniText();
  EXPECT_NE(ini.find("wdmChapterNum=3\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("wdmChapterUseTray1=-2\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("ImageFormJob=1\r\n"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("wdmChapterMax"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("wdmImageFormJob"), std::string::npos) << ini;
  EXPECT_EQ(Row(1019)->storeClass, kStoreSettingsIni);
  EXPECT_EQ(std::u16string(Row(1019)->key), u"wdmChapterNum");
  EXPECT_EQ(Row(10012)->storeClass, kStorePrinterData);

  // From now on the chapter options come back from the INI file.
  Set(1019, 0);
  ASSERT_EQ(CfgLoadOptionClass(printer, ctx, kBlockUserSettings, 0), 1);
  EXPECT_EQ(Get(1019), 3);
}

// ---- what the feature modules see ------------------------------------------------------------------

struct Seen {
  DWORD code;
  uint16_t id;      // codes 4 and 5
  DWORD mode;       // all codes
  int32_t block;    // codes 18 and 23
};
std::vector<Seen> g_seen;

int RecordNotify(DriverContext*, DWORD code, void* param, void*) {
  if (code == kFmNotifySaveRow || code == kFmNotifyLoadRow) {
    auto* offer = static_cast<FmRowPassParam*>(param);
    g_seen.push_back({code, offer->row->id, offer->mode, 0});
    EXPECT_EQ(offer->answer, 0u);
    // Only zdmPrnMethod passes.
    if (offer->row->id != 209) offer->answer = 1;
  } else if (code == kFmNotifyLoadPassEnd || code == kFmNotifySavePassEnd) {
    auto* end = static_cast<FmPassEndParam*>(param);
    g_seen.push_back({code, 0, end->mode, end->block});
  }
  return 0;
}

const FeatureModule* RecordingTable(FeatureModuleList* list) {
  static const FeatureModule rows[] = {{0, nullptr, FmNoBuiltInFunc, FmNoDialog, RecordNotify}};
  if (list) list->count = 1;
  return rows;
}

TEST_F(OptionPasses, ModulesChooseTheRowsOfModeTwoAndHearTheEndOfEachPass) {
  UseModules(RecordingTable);
  g_seen.clear();

  Set(209, 2);
  Set(1193, 1);
  ASSERT_EQ(CfgSaveOptionClass(printer, ctx, kBlockDevmode, kPassModeFieldNames), 1);
  EXPECT_NE(IniText().find("zdmPrnMethod=2\r\n"), std::string::npos) << IniText();
  int offered = 0;
  for (const Seen& s : g_seen) offered += s.code == kFmNotifySaveRow && s.mode == kPassModeFieldNames;
  EXPECT_EQ(offered, ctx->optionTable->count);  // every row, before the block is looked at
  ASSERT_FALSE(g_seen.empty());
  EXPECT_EQ(g_seen.back().code, kFmNotifySavePassEnd);
  EXPECT_EQ(g_seen.back().block, 1);
  EXPECT_EQ(g_seen.back().mode, kPassModeFieldNames);
  EXPECT_EQ(Row(1193)->storeClass, kStoreSettingsIni);  // kept out: unchanged
  EXPECT_EQ(std::u16string(Row(1193)->key), u"ImageFormJob");

  g_seen.clear();
  Set(209, 0);
  ASSERT_EQ(CfgLoadOptionClass(printer, ctx, -1, kPassModeFieldNames), 1);
  EXPECT_EQ(Get(209), 2);
  ASSERT_FALSE(g_seen.empty());
  EXPECT_EQ(g_seen.front().code, kFmNotifyLoadRow);
  EXPECT_EQ(g_seen.front().id, 35);  // the load pass starts at row 34
  EXPECT_EQ(g_seen.back().code, kFmNotifyLoadPassEnd);
  EXPECT_EQ(g_seen.back().block, -1);
  EXPECT_EQ(g_seen.back().mode, kPassModeFieldNames);

  // A save with bit 31 reports its mode without it.
  g_seen.clear();
  ASSERT_EQ(CfgSaveOptionClass(printer, ctx, kBlockPrinterConfig, kSaveEveryValue), 1);
  ASSERT_FALSE(g_seen.empty());
  EXPECT_EQ(g_seen.back().code, kFmNotifySavePassEnd);
  EXPECT_EQ(g_seen.back().mode, 0u);
}

// ---- the full load --------------------------------------------------------------------------------

TEST_F(OptionPasses, FullLoadTakesEveryStoreAndTheFontLists) {
  WriteIni(Header() + "PrnMethod=1\r\nImageFormJob=1\r\nzdmAction=2\r\n");
  Put(u"RAM", Bytes({16, 0, 0, 0}));
  Put(u"DeviceFontNum", Bytes({1, 0}));
  Put(u"DeviceFont", Bytes({9, 0, 0, 0, 'A', 0}));
  ASSERT_EQ(CfgLoadPrinterSettings(ctx), 1);
  EXPECT_EQ(Get(209), 1);
  EXPECT_EQ(Get(1193), 1);
  EXPECT_EQ(Get(212), 1);
  EXPECT_EQ(Get(10012), 16);
  EXPECT_EQ(Get(kOptDeviceFontCount), 1);
  auto* fonts = static_cast<DeviceFontEntry*>(OptGetBuffer(ctx, kOptDeviceFont));
  ASSERT_NE(fonts, nullptr);
  EXPECT_EQ(fonts[0].fontId, 9);
  EXPECT_EQ(std::u16string(fonts[0].name), u"A");

  SettingsImage* image = ctx->settingsImage;
  ctx->settingsImage = nullptr;
  EXPECT_EQ(CfgLoadPrinterSettings(ctx), 0);
  EXPECT_EQ(CfgLoadOptionClass(printer, ctx, -1, 0), 0);
  EXPECT_EQ(CfgSaveOptionClass(printer, ctx, kBlockPrinterConfig, 0), 0);
  ctx->settingsImage = image;
}

TEST_F(OptionPasses, LoadOptionsChoosesTheBlocks) {
  WriteIni(Header() + "PrnMethod=1\r\nImageFormJob=1\r\n");
  Put(u"RAM", Bytes({16, 0, 0, 0}));
  struct Case {
    int which;
    bool ini;
    bool printerData;
  };
  for (const Case& c : {Case{1, true, false}, Case{2, false, true}, Case{-1, true, true}, Case{3, false, false}}) {
    SCOPED_TRACE(c.which);
    Set(209, 0);
    Set(1193, 0);
    Set(10012, 0);
    ASSERT_EQ(CfgLoadOptions(printer, c.which, ctx), 1);
    EXPECT_EQ(Get(209), c.ini ? 1 : 0);
    EXPECT_EQ(Get(1193), c.ini ? 1 : 0);
    EXPECT_EQ(Get(10012), c.printerData ? 16 : 0);
  }
}

}  // namespace
