// The printer section's driver-default keys and the list defaults an old settings file takes from
// the driver-directory defaults.
#include "settings_upgrade.h"

#include <gtest/gtest.h>

#include <string>

#include "ini_file.h"
#include "list_context.h"
#include "settings_paths.h"

namespace zolt::test {
namespace {

class SettingsUpgradeTest : public ListContextTest {
 protected:
  void SetUp() override {
    ListContextTest::SetUp();
    if (HasFatalFailure()) return;
    const WCHAR* ini = PathGetDriverIni(ctx);
    ASSERT_NE(ini, nullptr);
    driverIni = ini;
    MakeFolders(driverIni);
  }
  std::u16string Read(const std::u16string& file, const WCHAR* section, const WCHAR* key) {
    WCHAR value[260] = {};
    IniReadString(section, key, u"<none>", value, 260, file.c_str());
    return value;
  }
  void PutDefault(const WCHAR* section, const WCHAR* key, const WCHAR* value) {
    IniWriteString(section, key, value, driverIni.c_str());
  }
  void PutSetting(const WCHAR* section, const WCHAR* key, const WCHAR* value) {
    IniWriteString(section, key, value, settings.c_str());
  }
  std::u16string driverIni;
};

TEST_F(SettingsUpgradeTest, AllModeCopiesEveryDefaultAndFillModeOnlyTheEmptyOnes) {
  PutDefault(u"us", u"MergeKey", u"");
  PutDefault(u"us", u"MergeFilePath", u"C:\\Merge");
  PutDefault(u"us", u"DrvDefJobMergePath2k", u"C:\\Jobs2k");
  PutDefault(u"us", u"DrvDefJobMergePathnt", u"C:\\JobsNt");
  PutSetting(kPrinter, u"MergeKey", u"old key");
  PutSetting(kPrinter, u"MergeFilePath", u"D:\\Kept");

  ASSERT_EQ(CfgRefreshDriverDefaultKeys(ctx, kDriverDefaultKeysFill, nullptr), 1);
  EXPECT_EQ(Read(settings, kPrinter, u"MergeKey"), u"");
  EXPECT_EQ(Read(settings, kPrinter, u"MergeFilePath"), u"D:\\Kept");
  EXPECT_EQ(Read(settings, kPrinter, u"DrvDefJobMergePath"), u"<none>");
  EXPECT_EQ(Read(settings, kPrinter, u"MergeSubKey"), u"");  // no driver default: written empty
  EXPECT_EQ(Read(settings, kPrinter, u"PresetRefresh"), u"1");

  ASSERT_EQ(CfgRefreshDriverDefaultKeys(ctx, kDriverDefaultKeysAll, nullptr), 1);
  EXPECT_EQ(Read(settings, kPrinter, u"MergeFilePath"), u"C:\\Merge");
  EXPECT_EQ(Read(settings, kPrinter, u"DrvDefJobMergePath"), u"C:\\Jobs2k");  // the 2000-and-later key
  EXPECT_EQ(Read(settings, kPrinter, u"PresetRefresh"), u"0");  // no printer data says so
}

TEST_F(SettingsUpgradeTest, ScenarioModesWriteAndDeleteTheirKeys) {
  EXPECT_EQ(CfgRefreshDriverDefaultKeys(ctx, kDriverDefaultKeysScenario, nullptr), 0);
  ASSERT_EQ(CfgRefreshDriverDefaultKeys(ctx, kDriverDefaultKeysBothScenarios, u"C:\\a.rst"), 1);
  EXPECT_EQ(Read(settings, kPrinter, u"DefaultRst"), u"C:\\a.rst");
  EXPECT_EQ(Read(settings, kPrinter, u"BatchInstRst"), u"C:\\a.rst");
  ASSERT_EQ(CfgRefreshDriverDefaultKeys(ctx, kDriverDefaultKeysInstallScenario, nullptr), 1);
  EXPECT_EQ(Read(settings, kPrinter, u"BatchInstRst"), u"<none>");
  ASSERT_EQ(CfgRefreshDriverDefaultKeys(ctx, kDriverDefaultKeysScenario, u"C:\\b.rst"), 1);
  EXPECT_EQ(Read(settings, kPrinter, u"DefaultRst"), u"C:\\b.rst");
  EXPECT_EQ(CfgRefreshDriverDefaultKeys(ctx, 5, nullptr), 1);
}

TEST_F(SettingsUpgradeTest, ListDefaultsGoOnlyIntoNewFilesOrOnesOfAnotherMajorVersion) {
  PutDefault(u"us", u"RstVersion", u"335");
  PutDefault(u"us", u"FreeSizeCount", u"2");
  PutDefault(u"us", u"StampCount", u"1");
  PutDefault(u"FreeSize1us", u"wdmFreeSizeName", u"Card");
  PutDefault(u"FreeSize1us", u"RstVersion", u"335");
  PutDefault(u"Stamp0us", u"zdmWmKind", u"1");
  PutDefault(u"Stamp0us", u"wdmWmChar", u"DRAFT");
  const struct {
    const WCHAR* version;  // NULL: no settings file
    bool imported;
  } cases[] = {{u"312", false}, {u"299", true}, {u"", true}, {nullptr, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version ? std::string(c.version, c.version + lstrlenW(c.version)) : "no file");
    DeleteFileW(settings.c_str());
    if (c.version) PutSetting(u"us", u"RstVersion", c.version);
    int missing = -1;
    EXPECT_EQ(CfgRstMajorDiffers(settings.c_str(), &missing, ctx), c.imported ? 1 : 0);
    EXPECT_EQ(missing, !c.version || !c.version[0] ? 1 : 0);
    ASSERT_EQ(CfgImportListDefaults(settings.c_str(), driverIni.c_str(), ctx), 1);
    EXPECT_EQ(Read(settings, u"FreeSize1us", u"wdmFreeSizeName"), c.imported ? u"Card" : u"<none>");
    EXPECT_EQ(Read(settings, u"Stamp0us", u"wdmWmChar"), c.imported ? u"DRAFT" : u"<none>");
    if (c.imported) {
      EXPECT_EQ(Read(settings, u"us", u"FreeSizeCount"), u"2");
      EXPECT_EQ(Read(settings, u"us", u"RstVersion"), u"335");
      EXPECT_EQ(Read(settings, u"FreeSize0us", u"RstVersion"), u"<none>");  // empty: not copied
      EXPECT_EQ(Read(settings, u"FreeSize0us", u"wdmFreeSizeWidth"), u"");  // copied empty
    }
  }
}

}  // namespace
}  // namespace zolt::test
