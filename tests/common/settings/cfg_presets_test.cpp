// The preset list: entry keys and the count in the printer section, names of new user presets,
// read-only files, loads and saves of preset files through the settings-file serializer, the
// value cache, installed defaults and the refresh of every entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../option/option_image_context.h"
#include "env_language.h"
#include "ini_file.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_values.h"
#include "preset_list.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "stamp_list.h"

namespace {

constexpr uint16_t kOptScaleH = 89;       // zdmScaleH, preset class
constexpr uint16_t kOptDuplexType = 94;   // zdmDuplexType, preset class
constexpr uint16_t kOptBrightness = 138;  // zdmBrightness, not preset class

class PresetListTest : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    printer_ = OpenTestPrinter();
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateWithFlags(printer_, printer_, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    ctx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
    ASSERT_NE(ctx->settingsImage, nullptr);
    for (SettingsImage* image : {ctx->settingsImage, ctx->workArea->savedImage, ctx->workArea->lockDefaultImage})
      if (image) zolt::test::WriteBlockStarts(reinterpret_cast<BYTE*>(image));
    OptSetValue(ctx, kOptLanguageId, 1);  // us
    OptSetValue(ctx, 730, 2);             // zdmOSKind: Windows 2000 or later
    const WCHAR* file = PathGetSettingsIni(ctx);
    ASSERT_TRUE(file && file[0]);
    settings = file;
    section = CfgPrinterSection(ctx);
    ASSERT_FALSE(section.empty());
    WCHAR folder[MAX_PATH] = {};
    ASSERT_GT(PathGetSettingsDir(folder, MAX_PATH, ctx), 0);
    dir = folder;
    MakeFolders(settings);
  }
  void TearDown() override {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    if (printer_) ClosePrinter(printer_);
    DriverMachineTest::TearDown();
  }

  static void MakeFolders(const std::u16string& file) {
    for (size_t at = file.find(u'\\', 3); at != std::u16string::npos; at = file.find(u'\\', at + 1))
      CreateDirectoryW(file.substr(0, at).c_str(), nullptr);
  }
  void Write(const std::u16string& key, const std::u16string& value) {
    ASSERT_TRUE(IniWriteString(section.c_str(), key.c_str(), value.c_str(), settings.c_str()));
  }
  std::u16string Read(const std::u16string& key, const std::u16string& file = {}) {
    WCHAR out[1100] = {};
    IniReadString(section.c_str(), key.c_str(), u"<missing>", out, 1100, file.empty() ? settings.c_str() : file.c_str());
    return out;
  }
  std::u16string Text(uint16_t id) {
    WCHAR out[600] = {};
    OptGetStringValue(ctx, OptFind(ctx, id), out, 600);
    return out;
  }
  void SetText(uint16_t id, const std::u16string& text) {
    ASSERT_NE(OptSetStringValue(ctx, OptFind(ctx, id), text.c_str()), nullptr);
  }
  std::u16string InDir(const std::u16string& name) const { return dir + u"\\" + name; }
  std::vector<BYTE> Image() const {
    const BYTE* image = reinterpret_cast<const BYTE*>(ctx->settingsImage);
    return {image, image + kSettingsImageSize};
  }

  HANDLE printer_ = nullptr;
  DriverContext* ctx = nullptr;
  std::u16string settings;  // the settings file
  std::u16string section;   // its printer section
  std::u16string dir;       // the settings folder
};

TEST(PresetKey, NamesEntriesAndTheirParts) {
  struct Case {
    int index, part;
    const char16_t* key;
  } cases[] = {{0, 0, u"PresetList0"},           {15, 1, u"PresetList15Name"}, {3, 2, u"PresetList3Comment"},
               {2147483647, 2, u"PresetList2147483647Comment"}, {-1, 0, u""}, {1, 3, u""}};
  for (const Case& c : cases) {
    WCHAR out[kPresetKeyChars] = {u'x'};
    EXPECT_EQ(CfgPresetKey(out, c.index, c.part), static_cast<int>(std::u16string(c.key).size())) << c.index;
    EXPECT_EQ(std::u16string(out), c.key);
  }
  EXPECT_EQ(CfgPresetKeyIndex(u"PresetList15"), 15);
  for (const WCHAR* key : {u"PresetList16", u"PresetList1Name", u"presetlist", u"", static_cast<const WCHAR*>(nullptr)})
    EXPECT_EQ(CfgPresetKeyIndex(key), -1);
}

TEST_F(PresetListTest, AppendingAndClearingKeepTheCountAndTheEntryKeys) {
  EXPECT_EQ(CfgGetPresetCount(ctx), 0);
  EXPECT_EQ(FmAddPresetListEntry(ctx, u"C:\\p\\a.rst", u"Booklet", u"Two-sided, folded"), 0);
  EXPECT_EQ(Read(u"PresetList0"), u"C:\\p\\a.rst");
  EXPECT_EQ(Read(u"PresetList0Name"), u"Booklet");
  EXPECT_EQ(Read(u"PresetList0Comment"), u"Two-sided, folded");
  EXPECT_EQ(Read(u"Count"), u"1");
  FmAddPresetListEntry(ctx, u"C:\\p\\b.rst", nullptr, nullptr);
  EXPECT_EQ(CfgGetPresetCount(ctx), 2);
  EXPECT_EQ(Read(u"PresetList1Name"), u"");

  EXPECT_EQ(FmClearPresetList(ctx), 0);
  EXPECT_EQ(Read(u"Count"), u"0");
  EXPECT_EQ(Read(u"PresetList1"), u"C:\\p\\b.rst") << "the entry keys stay";
  FmAddPresetListEntry(ctx, u"C:\\p\\c.rst", u"New", u"");
  EXPECT_EQ(Read(u"PresetList0"), u"C:\\p\\c.rst");

  for (const auto& [text, count] : {std::pair{u"-3", 0}, std::pair{u"x", 0}, std::pair{u"70000", 0xFFFF}}) {
    Write(u"Count", text);
    EXPECT_EQ(CfgGetPresetCount(ctx), count);
  }
}

TEST_F(PresetListTest, NewUserPresetsTakeTheFirstNumberNoModelClaims) {
  struct Case {
    const char* note;
    std::vector<std::pair<std::u16string, std::u16string>> files;  // name, "RstMachine"
    const char16_t* expected;
  } cases[] = {
      {"empty folder", {}, u"user0000.rst"},
      {"0000 claimed", {{u"user0000.rst", u"23"}}, u"user0001.rst"},
      {"0000 unclaimed", {{u"user0000.rst", u"0"}}, u"user0000.rst"},
      {"gap", {{u"user0000.rst", u"23"}, {u"user0001.rst", u""}, {u"user0002.rst", u"5"}}, u"user0001.rst"},
  };
  for (const Case& c : cases) {
    for (const auto& [name, machine] : c.files)
      ASSERT_TRUE(IniWriteString(section.c_str(), kRstMachineKey, machine.c_str(), InDir(name).c_str()));
    WCHAR out[kPresetNewPathChars] = {};
    EXPECT_GT(CfgNewUserPresetPath(ctx, out), 0) << c.note;
    EXPECT_EQ(std::u16string(out), InDir(c.expected)) << c.note;
    for (const auto& file : c.files) DeleteFileW(InDir(file.first).c_str());
  }
  EXPECT_EQ(CfgNewUserPresetPath(ctx, nullptr), 0);
}

TEST_F(PresetListTest, InstalledOrMissingFilesGetAUserFileBeforeTheFirstSave) {
  struct Case {
    const char16_t* path;
    bool replaced;
  } cases[] = {{u"", true},
               {u"C:\\Presets\\booklet.rsr", true},
               {u"C:\\Presets\\BOOKLET.RSR", true},
               {u"C:\\Presets\\folder", true},
               {u"C:\\Presets\\user0042.rst", false},
               {u"ar", false}};
  for (const Case& c : cases) {
    Write(u"PresetList2", c.path);
    EXPECT_EQ(CfgEnsureUserPresetFile(ctx, 2), 1);
    const std::u16string now = Read(u"PresetList2");
    EXPECT_EQ(now, c.replaced ? InDir(u"user0000.rst") : std::u16string(c.path))
        << std::string(now.begin(), now.end());
  }
  EXPECT_EQ(CfgEnsureUserPresetFile(ctx, 16), 0);
  EXPECT_EQ(Read(u"PresetList16"), u"<missing>");
}

TEST_F(PresetListTest, ReadOnlyFilesAreReportedPerEntry) {
  const std::u16string locked = InDir(u"locked.rsr");
  ASSERT_TRUE(IniWriteString(section.c_str(), kPresetReadonlyKey, u"1", locked.c_str()));
  const std::u16string open = InDir(u"open.rst");
  ASSERT_TRUE(IniWriteString(section.c_str(), kPresetReadonlyKey, u"0", open.c_str()));
  Write(u"PresetList0", locked);
  Write(u"PresetList1", open);
  Write(u"PresetList2", InDir(u"missing.rst"));
  EXPECT_EQ(CfgIsPresetEntryWritable(ctx, 0), 0);
  EXPECT_EQ(CfgIsPresetEntryWritable(ctx, 1), 1);
  EXPECT_EQ(CfgIsPresetEntryWritable(ctx, 2), 1);
  EXPECT_EQ(CfgIsPresetEntryWritable(ctx, 3), 1) << "no file";
  EXPECT_EQ(CfgIsPresetEntryWritable(ctx, -1), 0);
  EXPECT_EQ(CfgIsPresetEntryWritable(ctx, 16), 0);
}

TEST_F(PresetListTest, APresetSavedAndLoadedBackCarriesOnlyThePresetRows) {
  const std::u16string file = InDir(u"user0000.rst");
  FmAddPresetListEntry(ctx, file.c_str(), u"Draft", u"Scaled, one-sided");
  OptSetValue(ctx, kOptScaleH, 75);
  OptSetValue(ctx, kOptDuplexType, 1);
  OptSetValue(ctx, kOptBrightness, 4);
  SetText(kOptPresetName, u"Draft copy");
  SetText(kOptPresetComment, u"For proofs");
  EXPECT_EQ(CfgSavePresetByKey(ctx, u"PresetList0"), 1);
  EXPECT_EQ(Read(u"PresetList0Name"), u"Draft copy");
  EXPECT_EQ(Read(u"PresetList0Comment"), u"For proofs");
  EXPECT_EQ(Read(u"zdmScaleH", file), u"75");

  OptSetValue(ctx, kOptScaleH, 100);
  OptSetValue(ctx, kOptDuplexType, 0);
  OptSetValue(ctx, kOptBrightness, 9);
  SetText(kOptPresetName, u"other");
  ASSERT_EQ(CfgLoadPresetByKey(ctx, u"PresetList0"), 1);
  EXPECT_EQ(OptGetValue(ctx, kOptScaleH, nullptr), 75);
  EXPECT_EQ(OptGetValue(ctx, kOptDuplexType, nullptr), 1);
  EXPECT_EQ(OptGetValue(ctx, kOptBrightness, nullptr), 9) << "not a preset row";
  EXPECT_EQ(Text(kOptPresetName), u"Draft copy");
  EXPECT_EQ(Text(kOptPresetComment), u"For proofs");
  EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileOk);

  // The values-only save leaves the list's name and comment.
  SetText(kOptPresetName, u"Changed");
  EXPECT_EQ(CfgSavePresetValues(ctx, 0), 1);
  EXPECT_EQ(Read(u"PresetList0Name"), u"Draft copy");
}

TEST_F(PresetListTest, NamesAndCommentsAreCutToTheirFieldsWithATerminator) {
  Write(u"PresetList0Name", std::u16string(60, u'n'));
  Write(u"PresetList0Comment", std::u16string(700, u'c'));
  CfgLoadPresetByKey(ctx, u"PresetList0");
  EXPECT_EQ(Text(kOptPresetName), std::u16string(36, u'n'));
  EXPECT_EQ(Text(kOptPresetComment), std::u16string(512, u'c'));
}

TEST_F(PresetListTest, ASecondLoadRestoresFromTheCacheUntilTheListChanges) {
  const std::u16string file = InDir(u"user0000.rst");
  FmAddPresetListEntry(ctx, file.c_str(), u"A", u"");
  OptSetValue(ctx, kOptScaleH, 60);
  CfgSavePreset(ctx, 0);
  ASSERT_EQ(CfgLoadPresetByKey(ctx, u"PresetList0"), 1);
  EXPECT_NE(ctx->workArea->presetValueCache[0], nullptr);

  // The file changes behind the cache's back: the second load does not read it.
  ASSERT_TRUE(IniWriteString(section.c_str(), u"zdmScaleH", u"120", file.c_str()));
  OptSetValue(ctx, kOptScaleH, 100);
  EXPECT_EQ(CfgLoadPresetByKey(ctx, u"PresetList0"), 1);
  EXPECT_EQ(OptGetValue(ctx, kOptScaleH, nullptr), 60);

  // Any change of the list frees the cache; the file is read again.
  FmAddPresetListEntry(ctx, InDir(u"user0001.rst").c_str(), u"B", u"");
  EXPECT_EQ(ctx->workArea->presetValueCache[0], nullptr);
  CfgLoadPresetByKey(ctx, u"PresetList0");
  EXPECT_EQ(OptGetValue(ctx, kOptScaleH, nullptr), 120);

  // Keys outside the entries 0-15 have no slot.
  EXPECT_EQ(CfgPresetValueCache(ctx, u"PresetList16", kPresetCacheStore), 0);
  EXPECT_EQ(CfgPresetValueCache(ctx, u"QualityList0", kPresetCacheRestore), 0);
}

TEST_F(PresetListTest, ARefusedFileLosesItsEntryAndTheFirstEntryStandsIn) {
  const std::u16string first = InDir(u"user0000.rst");
  const std::u16string foreign = InDir(u"foreign.rst");
  FmAddPresetListEntry(ctx, first.c_str(), u"First", u"");
  FmAddPresetListEntry(ctx, foreign.c_str(), u"Foreign", u"from another driver");
  OptSetValue(ctx, kOptScaleH, 55);
  CfgSavePreset(ctx, 0);
  OptSetValue(ctx, kOptScaleH, 88);
  SetText(kOptPresetName, u"Foreign");
  CfgSavePreset(ctx, 1);
  ASSERT_TRUE(IniWriteString(section.c_str(), kRstVersionKey, u"1", foreign.c_str()));

  OptSetValue(ctx, kOptScaleH, 100);
  CfgLoadPresetByKey(ctx, u"PresetList1");
  EXPECT_EQ(Read(u"PresetList1"), u"");
  EXPECT_EQ(OptGetValue(ctx, kOptScaleH, nullptr), 55);
  EXPECT_EQ(Text(kOptPresetName), u"Foreign") << "the entry's own name stays";
  EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileOk);
  EXPECT_EQ(Read(u"zdmScaleH", foreign), u"88") << "the file itself is not touched";
}

TEST_F(PresetListTest, AWatermarkOutsideTheStampListIsTurnedOff) {
  const std::u16string file = InDir(u"user0000.rst");
  FmAddPresetListEntry(ctx, file.c_str(), u"Stamped", u"");
  OptSetValue(ctx, kOptFuncSelectWaterMark, 1);
  OptSetValue(ctx, kOptWmId, 3);
  CfgSavePreset(ctx, 0);
  CfgLoadPresetByKey(ctx, u"PresetList0");
  EXPECT_EQ(OptGetValue(ctx, kOptFuncSelectWaterMark, nullptr), 0) << "no stamps";
  EXPECT_EQ(OptGetValue(ctx, kOptWmId, nullptr), 0);
}

TEST_F(PresetListTest, IndexLoadsOfTheSettingsModuleReachOnlyTheEntries) {
  SetText(kOptPresetName, u"kept");
  const std::vector<BYTE> before = Image();
  EXPECT_EQ(CfgLoadPreset(ctx, 16), 0);
  EXPECT_EQ(CfgLoadPreset(ctx, -1), 0);
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(CfgSavePreset(ctx, 0), 0) << "no file: nothing saved";
}

TEST_F(PresetListTest, TheInstalledDefaultLivesInTheSharedFolderUnderTheLanguageSection) {
  Write(u"PresetList0", u"D:\\Elsewhere\\booklet.rsr");
  Write(u"PresetList0Name", u"Booklet");
  WCHAR path[MAX_PATH] = {u'x'};
  ASSERT_EQ(CfgPresetDefaultPath(ctx, 0, path), 1);
  const std::u16string expected = InDir(u"booklet.rsd");
  EXPECT_EQ(std::u16string(path), expected);
  EXPECT_EQ(CfgPresetDefaultPath(ctx, 1, path), 0);
  EXPECT_EQ(std::u16string(path), u"");

  OptSetValue(ctx, kOptScaleH, 100);
  EXPECT_EQ(CfgLoadPresetDefault(ctx, 0), 0) << "no default file";
  EXPECT_EQ(OptGetValue(ctx, kOptScaleH, nullptr), 100);

  ASSERT_EQ(CfgWriteRstHeader(expected.c_str(), nullptr, ctx, u"us", nullptr, 0), 1);
  ASSERT_TRUE(IniWriteString(u"us", u"zdmScaleH", u"140", expected.c_str()));
  ASSERT_TRUE(IniWriteString(section.c_str(), u"zdmScaleH", u"33", expected.c_str()));
  EXPECT_EQ(CfgLoadPresetDefault(ctx, 0), 1);
  EXPECT_EQ(OptGetValue(ctx, kOptScaleH, nullptr), 140);
  EXPECT_EQ(Text(kOptPresetName), u"Booklet");
  EXPECT_EQ(std::u16string(CfgPrinterSection(ctx)), section) << "the printer section is put back";
}

TEST_F(PresetListTest, RefreshingKeepsReadOnlyFilesAndTheSettings) {
  const std::u16string locked = InDir(u"user0000.rst");
  const std::u16string open = InDir(u"user0001.rst");
  FmAddPresetListEntry(ctx, locked.c_str(), u"Locked", u"");
  FmAddPresetListEntry(ctx, open.c_str(), u"Open", u"");
  OptSetValue(ctx, kOptScaleH, 70);
  CfgSavePreset(ctx, 0);
  ASSERT_TRUE(IniWriteString(section.c_str(), kPresetReadonlyKey, u"1", locked.c_str()));
  OptSetValue(ctx, kOptScaleH, 80);
  SetText(kOptPresetName, u"Open");
  CfgSavePreset(ctx, 1);
  SetText(kOptPresetName, u"Current");

  OptSetValue(ctx, kOptScaleH, 100);
  const std::vector<BYTE> before = Image();
  ASSERT_EQ(CfgRefreshAllPresets(ctx), 1);
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(Read(kPresetReadonlyKey, locked), u"1");
  EXPECT_EQ(Read(kPresetReadonlyKey, open), u"<missing>");
  EXPECT_EQ(Read(u"zdmScaleH", locked), u"70");
  EXPECT_EQ(Read(u"zdmScaleH", open), u"80");
  EXPECT_EQ(Read(u"PresetList1Name"), u"Open");
}

TEST_F(PresetListTest, ChapterLimitsComeFromThePrinterSectionUnderTheirFieldNames) {
  Write(u"wdmChapterMax", u"12");
  OptSetValue(ctx, kOptChapterTrayMax, 7);
  EXPECT_EQ(CfgLoadChapterLimits(ctx), 1);
  EXPECT_EQ(OptGetValue(ctx, kOptChapterMax, nullptr), 12);
  EXPECT_EQ(OptGetValue(ctx, kOptChapterTrayMax, nullptr), 0) << "missing key";
}

}  // namespace
