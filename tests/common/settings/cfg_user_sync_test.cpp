// Per-user synchronisation on a terminal server with two users, the upgrade of an old settings
// file from the driver defaults, the repair of list sections, and the clean-up of
// client-side-rendering leftovers with the Japanese and the Western code page.
#include "user_sync.h"

#include <gtest/gtest.h>

#include <string>

#include "csr_cleanup.h"
#include "env_language.h"
#include "env_system.h"
#include "install_test_support.h"
#include "path_files.h"
#include "settings_upgrade.h"
#include "win32/machine.h"

namespace {

using std::u16string;

u16string Get(const u16string& section, const u16string& key, const u16string& file) {
  WCHAR value[600] = {};
  GetPrivateProfileStringW(section.c_str(), key.c_str(), u"<none>", value, 600, file.c_str());
  return value;
}

void Set(const u16string& section, const u16string& key, const WCHAR* value, const u16string& file) {
  WritePrivateProfileStringW(section.c_str(), key.c_str(), value, file.c_str());
}

class TerminalServerSync : public zolt::test::InstallPrinterTest {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts facts;
    // Windows XP as a terminal server: terminal-server mode without the check module.
    facts.majorVersion = 5;
    facts.minorVersion = 1;
    facts.buildNumber = 2600;
    facts.productType = 3;
    facts.suiteMask = 0x10;
    facts.userName = "alice";
    return facts;
  }
  void SetUp() override {
    EnvResetSystemCaches();
    InstallPrinterTest::SetUp();
    EnvResetSystemCaches();
    ASSERT_EQ(EnvIsTerminalServerMode(printer_), 1);
    ASSERT_EQ(PathCreateSharedDirOf(printer_), 1);
  }
  void SwitchUser(const char* name) {
    zolt::host::MachineFacts facts = zolt::host::Machine::Facts();
    facts.userName = name;
    ASSERT_TRUE(zolt::host::Machine::SetFacts(facts));
    EnvResetSystemCaches();
  }
  u16string Settings(short perUser) {
    WCHAR path[MAX_PATH] = {};
    EXPECT_EQ(PathGetSettingsIniOf(path, MAX_PATH, perUser, printer_), 1);
    return path;
  }
  int State() {
    int state = -1;
    EXPECT_EQ(CfgCompareInstallStamps(printer_, &state, nullptr), 1);
    return state;
  }
};

TEST_F(TerminalServerSync, TwoUsersFollowThePrinter) {
  // The printer's first installation on the server, with one preset whose default the users get.
  ASSERT_EQ(CfgWriteInstallStampEx(printer_, 1, kStampTargetSettingsDir, nullptr, nullptr), 1);
  const u16string shared = Settings(0);
  ASSERT_NE(Get(kPrinterName, u"DrvFirstInstTime", shared), u"<none>");
  EXPECT_EQ(Get(kPrinterName, u"DrvInstTime", shared).size(), 14u);
  const u16string sharedFolder = PathFolderPart(shared);
  Set(kPrinterName, u"Count", u"1", shared);
  Set(kPrinterName, u"PresetList0", (sharedFolder + u"\\user0000.rst").c_str(), shared);
  Set(kPrinterName, u"PresetList0Name", u"Office", shared);
  Set(u"us", u"setname", u"Office", sharedFolder + u"\\user0000.rsd");

  u16string userFiles[2];
  const char* users[] = {"alice", "bob"};
  for (int u = 0; u < 2; ++u) {
    SwitchUser(users[u]);
    userFiles[u] = Settings(1);
    EXPECT_EQ(State(), kUserCopyMissing) << users[u];
    ASSERT_EQ(CfgSyncUserSettings(printer_, 0, nullptr, nullptr, nullptr), 1) << users[u];
    EXPECT_EQ(Get(kPrinterName, u"DrvInstVersion", userFiles[u]), u"7.70");
    EXPECT_EQ(Get(kPrinterName, u"DrvDefJobMergePath", userFiles[u]), PathFolderPart(userFiles[u]) + u"\\QVP");
    EXPECT_NE(GetFileAttributesW((PathFolderPart(userFiles[u]) + u"\\user0000.rsd").c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(State(), kUserCopyCurrent) << users[u];
  }
  EXPECT_NE(userFiles[0], userFiles[1]);

  // The administrator installs the printer again and changes its settings after both users made
  // their copies: each user's copy is stale and refreshed at the next synchronisation.
  for (const u16string& file : userFiles) Set(kPrinterName, u"DrvInstTime", u"20000101000000", file);
  Set(kPrinterName, u"DrvFirstInstTime", u"19990101000000", shared);
  const DWORD changed = 1;
  ASSERT_EQ(SetPrinterDataW(printer_, const_cast<LPWSTR>(u"AdminChange"), REG_DWORD,
                            reinterpret_cast<LPBYTE>(const_cast<DWORD*>(&changed)), sizeof changed),
            ERROR_SUCCESS);
  for (int u = 0; u < 2; ++u) {
    SwitchUser(users[u]);
    EXPECT_EQ(State(), kUserCopyAdminStale) << users[u];
    ASSERT_EQ(CfgSyncUserSettings(printer_, 0, nullptr, nullptr, nullptr), 1) << users[u];
    EXPECT_NE(Get(kPrinterName, u"DrvInstTime", userFiles[u]), u"20000101000000");
    EXPECT_EQ(State(), kUserCopyCurrent) << users[u];
  }
}

TEST_F(TerminalServerSync, StampComparisonTable) {
  const u16string shared = Settings(0), user = Settings(1);
  PathEnsureDir(PathFolderPart(user).c_str());
  const struct {
    const char16_t* first;   // shared DrvFirstInstTime
    const char16_t* shared;  // shared DrvInstTime
    const char16_t* user;    // per-user DrvInstTime (nullptr: missing)
    int state;
  } cases[] = {
      {u"20260101000000", u"20260101000000", u"20260101000000", kUserCopyCurrent},
      {u"20260101000000", u"20260201000000", u"20260101000000", kUserCopyStale},
      {u"20260101000000", u"20260101000000", u"20251231235959", kUserCopyMissing},
      {u"20260101000000", u"20260101000000", nullptr, kUserCopyMissing},
      // Only the first 14 characters count.
      {u"20260101000000", u"20260101000000x", u"20260101000000", kUserCopyCurrent},
      {u"20260101000000", u"20260101000000", u"20260101000000999", kUserCopyCurrent},
      {u"20260101000000", u"", u"20260101000000", kUserCopyCurrent},
  };
  for (const auto& c : cases) {
    Set(kPrinterName, u"DrvFirstInstTime", c.first, shared);
    Set(kPrinterName, u"DrvInstTime", c.shared, shared);
    Set(kPrinterName, u"DrvInstTime", c.user, user);
    EXPECT_EQ(State(), c.state) << std::string(c.shared, c.shared + std::char_traits<char16_t>::length(c.shared));
  }
}

class SettingsUpgrade : public zolt::test::InstallContextTest {
 protected:
  void SetUp() override {
    EnvResetSystemCaches();
    InstallContextTest::SetUp();
  }
};

TEST_F(SettingsUpgrade, AnOldSettingsFileTakesTheDriverDefaults) {
  const u16string settings = PathGetSettingsIni(ctx);
  const u16string defaults = PathGetDriverIni(ctx);
  const u16string lang = CfgLanguageCodeStr(ctx);
  PathEnsureDir(PathFolderPart(settings).c_str());
  Set(lang, u"FreeSizeCount", u"10", defaults);
  Set(u"FreeSize0" + lang, u"wdmFreeSizeWidth", u"5000", defaults);
  Set(lang, u"StampCount", u"1", defaults);
  Set(u"Stamp0" + lang, u"wdmWmChar", u"TOP", defaults);
  Set(lang, u"RstVersion", u"335", defaults);
  Set(u"PrinterInformation", u"ORVEXINFO", u"model=7000", defaults);

  const struct {
    const char16_t* version;
    bool imported;
  } cases[] = {{u"299", true}, {u"312", false}, {nullptr, true}};
  for (const auto& c : cases) {
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, settings.c_str());
    DeleteFileW(settings.c_str());
    Set(lang, u"RstVersion", c.version ? c.version : u"", settings);
    if (!c.version) Set(lang, u"RstVersion", nullptr, settings);
    ASSERT_EQ(CfgImportDriverIniDefaults(printer_, nullptr, 0, ctx, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(Get(lang, u"FreeSizeCount", settings), c.imported ? u"10" : u"<none>");
    EXPECT_EQ(Get(u"FreeSize0" + lang, u"wdmFreeSizeWidth", settings), c.imported ? u"5000" : u"<none>");
    EXPECT_EQ(Get(u"Stamp0" + lang, u"wdmWmChar", settings), c.imported ? u"TOP" : u"<none>");
    EXPECT_EQ(Get(lang, u"RstVersion", settings), c.imported ? u"335" : u"312");
    EXPECT_EQ(Get(u"PrinterInformation", u"ORVEXINFO", settings), u"model=7000");
  }
}

TEST_F(SettingsUpgrade, ListRepairFollowsTheDriverDefaults) {
  const u16string settings = PathGetSettingsIni(ctx);
  const u16string defaults = PathGetDriverIni(ctx);
  const u16string lang = CfgLanguageCodeStr(ctx);
  PathEnsureDir(PathFolderPart(settings).c_str());
  // Driver defaults with nine custom sizes: the repair empties the list instead.
  Set(lang, u"FreeSizeCount", u"9", defaults);
  Set(u"FreeSize0" + lang, u"wdmFreeSizeWidth", u"", settings);
  // An image stamp without characters is whole; one without its image is repaired.
  Set(lang, u"StampCount", u"2", settings);
  Set(lang, u"StampCount", u"1", defaults);
  Set(u"Stamp0" + lang, u"wdmWmChar", u"DEFAULT", defaults);
  ASSERT_EQ(CfgRepairListSections(ctx), 1);
  EXPECT_EQ(Get(lang, u"FreeSizeCount", settings), u"0");
  EXPECT_EQ(Get(lang, u"StampCount", settings), u"2");
  // Both stamps were incomplete: each was loaded over the driver's default and saved whole.
  EXPECT_EQ(Get(u"Stamp1" + lang, u"wdmWmChar", settings), u"DEFAULT");
}

struct CodePageCase {
  const char* name;
  UINT codePage;
  std::string kept;  // a section in the code page's text that must survive
};

class CsrLeftovers : public zolt::test::InstallPrinterTest, public ::testing::WithParamInterface<CodePageCase> {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts facts;
    facts.ansiCodePage = GetParam().codePage;
    facts.userLocale = GetParam().codePage == 932 ? 0x0411 : 0x0409;
    return facts;
  }
  void SetUp() override {
    EnvResetSystemCaches();
    InstallPrinterTest::SetUp();
  }
  static void PutValue(HKEY root, const WCHAR* key, const WCHAR* name) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr), ERROR_SUCCESS);
    const DWORD one = 1;
    RegSetValueExW(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(handle);
  }
  static bool HasValue(HKEY root, const WCHAR* key, const WCHAR* name) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    const bool found = RegQueryValueExW(handle, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(handle);
    return found;
  }
};

TEST_P(CsrLeftovers, SettingsFilesAndJobCodeValuesAreCleaned) {
  WCHAR path[MAX_PATH] = {};
  ASSERT_EQ(PathGetSettingsIniOf(path, MAX_PATH, 0, printer_), 1);
  const u16string settings = path, folder = PathFolderPart(settings);
  PathEnsureDir(folder.c_str());
  const std::string marked = "[\\\\CSR|srv\\Office]\r\nx=1\r\n";
  const std::string text = GetParam().kept + marked + "[Office]\r\ny=2\r\n";
  zolt::test::WriteBytes(Real(settings), text);
  const u16string preset = folder + u"\\" + PathFilePart(settings).substr(0, 4) + u"0001.rsr";
  zolt::test::WriteBytes(Real(preset), marked + GetParam().kept);

  const WCHAR* pdl = u"SOFTWARE\\ORVEX\\JOBCODE\\JCDriverPDL";
  const WCHAR* user = u"SOFTWARE\\ORVEX\\JOBCODE\\JCUserName";
  PutValue(HKEY_LOCAL_MACHINE, pdl, u"\\\\CSR|srv\\Office");
  PutValue(HKEY_LOCAL_MACHINE, pdl, u"\\\\csr|other");  // the marker in other letters: kept
  PutValue(HKEY_LOCAL_MACHINE, pdl, kPrinterName);
  PutValue(HKEY_CURRENT_USER, user, u"\\\\CSR|a");
  PutValue(HKEY_CURRENT_USER, user, u"\\\\CSR|b");
  PutValue(HKEY_CURRENT_USER, user, kPrinterName);

  ASSERT_EQ(CfgPurgeClientEntries(printer_, nullptr, 1, kPurgeOnUpgrade), 0);
  EXPECT_EQ(zolt::test::ReadBytes(Real(settings)), GetParam().kept + "[Office]\r\ny=2\r\n[COMMON]\r\nCSRIniCorrectDone=1\r\n");
  EXPECT_EQ(zolt::test::ReadBytes(Real(preset)), GetParam().kept);
  EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, pdl, u"\\\\CSR|srv\\Office"));
  EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, pdl, u"\\\\csr|other"));
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, user, u"\\\\CSR|a"));
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, user, u"\\\\CSR|b"));
  EXPECT_TRUE(HasValue(HKEY_CURRENT_USER, user, kPrinterName));
  EXPECT_EQ(CfgNeedsCsrCorrection(printer_, nullptr, 0), 0);

  // The printer's own values go when asked.
  EXPECT_EQ(RegDeletePrinterJobCodes(printer_, nullptr), 0);
  EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, pdl, kPrinterName));
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, user, kPrinterName));
  EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, pdl, u"\\\\csr|other"));
}

INSTANTIATE_TEST_SUITE_P(CodePages, CsrLeftovers,
                         ::testing::Values(
                             // 0x83 0x5B is one character whose trail byte is '['.
                             CodePageCase{"Japanese", 932, "[\x83[\x83v\x83\x8a\x83\x93\x83^]\r\nk=\x83[\r\n"},
                             CodePageCase{"Western", 1252, "[Imprimante \xe9t\xe9]\r\nk=\xe0\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
