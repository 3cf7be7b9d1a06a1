// Scenario packages: a printer's lists exported into a dated package folder, the package
// installed on a second machine, an earlier package removed, and the package folder's name cut
// to fit a path.
#include "scenario_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <string>

#include "env_language.h"
#include "env_text.h"
#include "install_test_support.h"
#include "path_files.h"
#include "preset_list.h"
#include "scenario_install.h"
#include "settings_files.h"
#include "win32/hostspooler.h"

namespace {

using std::u16string;
namespace fs = std::filesystem;

std::string Narrow(const u16string& text) { return std::string(text.begin(), text.end()); }

class ScenarioPackage : public zolt::test::InstallContextTest {
 protected:
  void SetUp() override {
    InstallContextTest::SetUp();
    if (HasFatalFailure()) return;
    settings_ = PathGetSettingsIni(ctx);
    section_ = CfgPrinterSection(ctx);
    lang_ = CfgLanguageCodeStr(ctx);
    folder_ = PathFolderPart(settings_);
    CreateDirectoryW(folder_.c_str(), nullptr);
  }
  void Set(const u16string& section, const u16string& key, const u16string& value, const u16string& file) {
    ASSERT_TRUE(WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str()));
  }
  u16string Get(const u16string& section, const u16string& key, const u16string& file) {
    WCHAR value[600] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), u"<none>", value, 600, file.c_str());
    return value;
  }
  // A printer with three presets, two quality entries, ten custom sizes and two stamps.
  void MakeLists() {
    for (int i = 0; i < 3; ++i) {
      const u16string n = u16string(1, static_cast<char16_t>(u'0' + i));
      const u16string file = folder_ + u"\\user000" + n + u".rst";
      Set(section_, u"RstVersion", u"335", file);
      Set(section_, u"dmCopies", u"1" + n, file);
      if (i == 1) Set(u"condition", u"ConditionOption0_0", u"ZDMTESMARIN_OFF", file);
      Set(section_, u"zdmFuncSelectDuplex", i == 1 ? u"1" : u"0", file);
      Set(section_, u"PresetList" + n, file, settings_);
      Set(section_, u"PresetList" + n + u"Name", u"Preset " + n, settings_);
      Set(section_, u"PresetList" + n + u"Comment", i == 2 ? u"" : u"Comment " + n, settings_);
    }
    Set(section_, u"Count", u"3", settings_);
    for (int i = 0; i < 2; ++i) {
      const u16string n = u16string(1, static_cast<char16_t>(u'0' + i));
      const u16string file = folder_ + u"\\qual000" + n + u".rsr";
      Set(section_, u"RstVersion", u"335", file);
      Set(section_, u"zdmQuality", u"2" + n, file);
      Set(section_, u"QualityList" + n, file, settings_);
      Set(section_, u"QualityList" + n + u"Name", u"Quality " + n, settings_);
    }
    Set(section_, u"QualityCount", u"2", settings_);
    for (int n = 0; n < 10; ++n)
      Set(u"FreeSize" + u16string(1, static_cast<char16_t>(u'0' + n)) + lang_, u"wdmFreeSizeWidth", u"1000", settings_);
    Set(lang_, u"StampCount", u"2", settings_);
    Set(u"Stamp0" + lang_, u"wdmWmChar", u"DRAFT", settings_);
    Set(u"Stamp1" + lang_, u"wdmWmChar", u"COPY", settings_);
  }
  u16string Export(const u16string& userFile, u16string& main) {
    WCHAR out[MAX_PATH] = {};
    EXPECT_EQ(CfgCreateScenarioFolder(userFile.c_str(), out, ctx), 1);
    main = out;
    EXPECT_EQ(CfgExportScenario(userFile.c_str(), out, ctx), 1);
    return PathFolderPart(main);
  }

  u16string settings_, section_, lang_, folder_;
};

TEST_F(ScenarioPackage, ExportWritesTheMainFileDefaultsAndList) {
  MakeLists();
  WCHAR shared[MAX_PATH] = {};
  PathGetSharedDir(shared, MAX_PATH, ctx);
  const u16string userFile = u16string(shared) + u"\\office.rst";
  Set(section_, u"dmCopies", u"1", userFile);  // the caller's own part of the user file
  u16string main;
  const u16string packageFolder = Export(userFile, main);

  // "<shared>\zolt\<14 digits>office\Q<code>1.rsb"
  const std::regex shape(R"(.*\\zolt\\\d{14}office\\Q[0-9A-Z]{6}1\.rsb)");
  EXPECT_TRUE(std::regex_match(Narrow(main), shape)) << Narrow(main);
  u16string code = PathFilePart(main).substr(1, 6);
  u16string next = code;
  CfgNextScenarioCode(next.data());

  EXPECT_EQ(Get(lang_, u"NumDeficonfiles", main), u"3");
  EXPECT_EQ(Get(lang_, u"Deficonfiles1", main), u"%sysdir%Q" + code + u"0.rsd");
  EXPECT_EQ(Get(lang_, u"Deficonfiles3", main), u"%sysdir%Q" + code + u"2.rsd");
  EXPECT_EQ(Get(lang_, u"NumDefqualityfiles", main), u"2");
  EXPECT_EQ(Get(lang_, u"Defqualityfiles2", main), u"%sysdir%Q" + next + u"1.rsq");
  EXPECT_EQ(Get(lang_, u"FreeSizeCount", main), u"10");
  EXPECT_EQ(Get(lang_, u"StampCount", main), u"2");
  EXPECT_EQ(Get(lang_, u"RstVersion", main), u"335");
  EXPECT_EQ(Get(u"Stamp1" + lang_, u"wdmWmChar", main), u"COPY");
  EXPECT_EQ(Get(u"FreeSize9" + lang_, u"wdmFreeSizeWidth", main), u"1000");
  EXPECT_EQ(Get(u"ScenarioInstallData", u"DefaultRstName", main), userFile);
  for (const u16string& file : {main, userFile}) {
    EXPECT_EQ(Get(u"ScenarioInstallData", u"DriverType", file), u"ZOLT");
    EXPECT_EQ(Get(u"ScenarioInstallData", u"DriverVersion", file), u"7.70");
    EXPECT_EQ(Get(u"ScenarioInstallData", u"DrvInst", file), kDriverName);
  }

  const u16string preset1 = packageFolder + u"\\Q" + code + u"1.rsd";
  EXPECT_EQ(Get(lang_, u"dmCopies", preset1), u"11");
  EXPECT_EQ(Get(lang_, u"setname", preset1), u"Preset 1");
  EXPECT_EQ(Get(lang_, u"setcomment", preset1), u"Comment 1");
  EXPECT_EQ(Get(u"condition", u"ConditionOption0_0", preset1), u"ZDMTESMARIN_OFF");
  EXPECT_EQ(Get(u"condition", u"ConditionOption0_0", packageFolder + u"\\Q" + code + u"0.rsd"), u"<none>");
  const u16string quality1 = packageFolder + u"\\Q" + next + u"1.rsq";
  EXPECT_EQ(Get(lang_, u"zdmQuality", quality1), u"21");
  EXPECT_EQ(Get(lang_, u"qualityname", quality1), u"Quality 1");

  const u16string list = u16string(shared) + u"\\office.lst";
  EXPECT_EQ(Get(u"ScenarioInstallData", u"ORVEXZOLTDriverFileList", list), u"1");
  EXPECT_EQ(Get(u"ScenarioInstallData", u"DefaultRst", list), main);
  EXPECT_EQ(Get(u"ScenarioInstallData", u"OtherFiles1", list), packageFolder + u"\\Q" + code + u"0.rsd");
  EXPECT_EQ(Get(u"ScenarioInstallData", u"OtherFiles4", list), packageFolder + u"\\Q" + next + u"0.rsq");
  EXPECT_EQ(Get(u"ScenarioInstallData", u"OtherFiles5", list), packageFolder + u"\\Q" + next + u"1.rsq");
  EXPECT_EQ(Get(u"ScenarioInstallData", u"OtherFiles6", list), u"<none>");

  // A new export of the same file removes the earlier package first; the user file stays.
  EXPECT_EQ(CfgDeleteScenario(userFile.c_str()), 1);
  EXPECT_EQ(GetFileAttributesW(packageFolder.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(list.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(userFile.c_str()), INVALID_FILE_ATTRIBUTES);
  // A list file without "DefaultRst" removes no folder; the list file itself goes.
  Set(u"ScenarioInstallData", u"ORVEXZOLTDriverFileList", u"1", list);
  EXPECT_EQ(CfgDeleteScenario(userFile.c_str()), 1);
  EXPECT_EQ(GetFileAttributesW(list.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ScenarioPackage, ALongBaseNameIsCutToFitThePath) {
  WCHAR shared[MAX_PATH] = {};
  PathGetSharedDir(shared, MAX_PATH, ctx);
  const u16string userFile = u"C:\\" + u16string(240, u'b') + u".rst";
  WCHAR out[MAX_PATH] = {};
  ASSERT_EQ(CfgCreateScenarioFolder(userFile.c_str(), out, ctx), 1);
  EXPECT_EQ(lstrlenW(out), 259);
  EXPECT_NE(GetFileAttributesW(PathFolderPart(out).c_str()), INVALID_FILE_ATTRIBUTES);
}

// The package made on a print server is carried to a client machine and installed there: the
// presets and quality entries appear in the client printer's lists with installed copies.
TEST_F(ScenarioPackage, InstalledOnASecondMachine) {
  MakeLists();
  WCHAR shared[MAX_PATH] = {};
  PathGetSharedDir(shared, MAX_PATH, ctx);
  const u16string userFile = u16string(shared) + u"\\office.rst";
  u16string main;
  const u16string packageFolder = Export(userFile, main);
  std::map<u16string, std::string> carried;  // file name -> bytes
  for (const auto& entry : fs::directory_iterator(Real(packageFolder))) {
    const std::string name = entry.path().filename().string();
    carried[u16string(name.begin(), name.end())] = zolt::test::ReadBytes(entry.path());
  }
  ASSERT_EQ(carried.size(), 6u);  // main, three presets, two qualities
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
  ctx = nullptr;
  ClosePrinter(printer_);
  printer_ = nullptr;

  // The client: its own machine, driver and printer.
  auto client = std::make_unique<zolt::test::ScopedMachine>();
  zolt::host::DriverInstall install;
  install.name = kDriverName;
  install.moduleDir = ZOLT_MODULE_DIR;
  install.modelFile = fs::path(ZOLT_SOURCE_DIR) / "samples" / "models" / kSampleModel;
  std::string error;
  ASSERT_TRUE(zolt::host::InstallDriver(install, &error)) << error;
  zolt::host::PrinterSetup setup;
  setup.name = kPrinterName;
  setup.driver = kDriverName;
  setup.driverEvents = false;  // an untouched printer, like the server's in the fixture
  ASSERT_TRUE(zolt::host::AddPrinter(setup, &error)) << error;
  HANDLE printer = OpenTestPrinter(PRINTER_ACCESS_ADMINISTER);
  ASSERT_NE(printer, nullptr);
  DriverContext* clientCtx = CtxCreateForPrinter(printer, printer, nullptr, kCtxModeUi);
  ASSERT_NE(clientCtx, nullptr);
  ASSERT_EQ(PathCreateSharedDir(clientCtx), 1);
  WCHAR clientShared[MAX_PATH] = {};
  PathGetSharedDir(clientShared, MAX_PATH, clientCtx);
  for (const auto& [name, bytes] : carried)
    zolt::test::WriteBytes(client->Real(u16string(clientShared) + u"\\" + name), bytes);
  const u16string clientMain = u16string(clientShared) + u"\\" + PathFilePart(main);

  EXPECT_EQ(CfgInstallScenarioLists(clientMain.c_str(), lang_.c_str(), kInstallRewriteCopy, clientCtx), 1);
  const u16string clientSettings = PathGetSettingsIni(clientCtx);
  EXPECT_EQ(Get(section_, u"Count", clientSettings), u"3");
  EXPECT_EQ(Get(section_, u"PresetList1Name", clientSettings), u"Preset 1");
  EXPECT_EQ(Get(section_, u"PresetList2Name", clientSettings), u"Preset 2");
  EXPECT_EQ(Get(section_, u"PresetList2Comment", clientSettings), u"");
  const u16string installed = Get(section_, u"PresetList1", clientSettings);
  EXPECT_EQ(PathFilePart(installed).substr(PathFilePart(installed).size() - 4), u".rsr");
  EXPECT_NE(GetFileAttributesW(installed.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Get(section_, u"zdmFuncSelectDuplex", installed), u"1");
  EXPECT_EQ(Get(section_, u"zdmFuncSelectDuplex", Get(section_, u"PresetList0", clientSettings)), u"0");
  EXPECT_EQ(Get(u"condition", u"ConditionOption0_0", installed), u"ZDMTESMARIN_OFF");
  EXPECT_EQ(Get(section_, u"QualityCount", clientSettings), u"2");
  EXPECT_EQ(Get(section_, u"QualityList1Name", clientSettings), u"Quality 1");

  CtxReleaseAs(clientCtx, kCtxReleaseDestroy);
  ClosePrinter(printer);
  client.reset();
  zolt::host::Machine::Use(Root());
}

}  // namespace
