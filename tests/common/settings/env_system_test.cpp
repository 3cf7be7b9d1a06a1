// The running system: the version tests over machines of several Windows versions, the help
// format of each generation, terminal-server mode with and without the check module, the
// administrator test and the shell-host test.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "env_system.h"
#include "machine_fixture.h"

namespace {

using zolt::host::MachineFacts;
using zolt::test::ScopedMachine;

MachineFacts Windows(DWORD major, DWORD minor, WORD servicePack = 0, BYTE productType = 1, WORD suite = 0,
                     DWORD platform = 2) {
  MachineFacts f;
  f.majorVersion = major;
  f.minorVersion = minor;
  f.servicePackMajor = servicePack;
  f.productType = productType;
  f.suiteMask = suite;
  f.platformId = platform;
  f.buildNumber = major * 1000 + minor;
  return f;
}

// A context holding only a work area and a profile.
struct BareContext {
  BareContext() : area(std::make_unique<ContextWorkArea>()), profile(std::make_unique<DriverProfile>()) {
    ctx.workArea = area.get();
    ctx.profile = profile.get();
    area->adminCheck = 1;
    area->takeMutex = 1;
  }
  std::unique_ptr<ContextWorkArea> area;
  std::unique_ptr<DriverProfile> profile;
  DriverContext ctx{};
};

struct VersionCase {
  const char* name;
  MachineFacts facts;
  int win2000OrLater, server2003OrLater, vistaOrLater, win9x, win2000BeforeSp4, win2000Sp4;
};

TEST(EnvVersion, AnswersOverMachinesOfEveryWindowsVersion) {
  const VersionCase cases[] = {
      {"Windows 98", Windows(4, 10, 0, 1, 0, 1), 0, 0, 0, 1, 0, 0},
      {"NT 4.0", Windows(4, 0, 6), 0, 0, 0, 0, 0, 0},
      {"2000 SP3", Windows(5, 0, 3), 1, 0, 0, 0, 1, 0},
      {"2000 SP4", Windows(5, 0, 4), 1, 0, 0, 0, 0, 1},
      {"XP SP2", Windows(5, 1, 2), 1, 0, 0, 0, 0, 0},
      {"Server 2003", Windows(5, 2, 1, 3), 1, 1, 0, 0, 0, 0},
      {"Vista", Windows(6, 0, 1), 1, 1, 1, 0, 0, 0},
      {"Windows 10", Windows(10, 0), 1, 1, 1, 0, 0, 0},
  };
  for (const VersionCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedMachine machine(c.facts);
    EnvResetSystemCaches();
    OSVERSIONINFOW info;
    std::memset(&info, 0xCC, sizeof info);
    ASSERT_TRUE(EnvGetVersionInfo(&info));
    EXPECT_EQ(info.dwOSVersionInfoSize, 276u);
    EXPECT_EQ(info.dwMajorVersion, c.facts.majorVersion);
    EXPECT_EQ(EnvIsWin2000OrLater(), c.win2000OrLater);
    EXPECT_EQ(EnvIsServer2003OrLater(), c.server2003OrLater);
    EXPECT_EQ(EnvIsVistaOrLater(), c.vistaOrLater);
    EXPECT_EQ(EnvIsWin9x(), c.win9x);
    EXPECT_EQ(EnvIsWin2000BeforeSp4(), c.win2000BeforeSp4);
    EXPECT_EQ(EnvIsWin2000Sp4(), c.win2000Sp4);

    // The help format of the running generation: this model uses HTML help from 2000 on.
    BareContext bare;
    bare.profile->featureWordLegacy = 0;
    bare.profile->featureWord = 1;
    EXPECT_EQ(CfgUseHtmlHelp(&bare.ctx), c.win2000OrLater);
    EXPECT_EQ(CfgTestModelOsFlag(&bare.ctx, 3), c.win2000OrLater);
    EXPECT_EQ(CfgTestModelOsFlag(&bare.ctx, 2), 0);
  }
  EXPECT_EQ(CfgUseHtmlHelp(nullptr), 0);
  EXPECT_FALSE(EnvGetVersionInfo(nullptr));
}

TEST(EnvVersion, TheWindows2000AnswerIsKeptForTheProcess) {
  ScopedMachine nt4(Windows(4, 0, 6));
  EnvResetSystemCaches();
  EXPECT_EQ(EnvIsWin2000OrLater(), 0);
  ScopedMachine xp(Windows(5, 1, 2));
  EXPECT_EQ(EnvIsWin2000OrLater(), 0);  // asked once per process
  EXPECT_EQ(EnvIsVistaOrLater(), 0);
  EnvResetSystemCaches();
  EXPECT_EQ(EnvIsWin2000OrLater(), 1);
}

// ---- Terminal-server mode ----------------------------------------------------------------------

struct TerminalCase {
  const char* name;
  MachineFacts facts;
  const char* moduleAnswer;  // contents of the module's answer file; nullptr: no file
  bool moduleInstalled;
  bool withPrinter;
  int expected;
};

void PrintTo(const TerminalCase& c, std::ostream* os) { *os << c.name; }

class EnvTerminalServer : public zolt::test::DriverMachineTest,
                          public ::testing::WithParamInterface<TerminalCase> {
 protected:
  MachineFacts Facts() const override { return GetParam().facts; }
  void SetUp() override {
    DriverMachineTest::SetUp();
    EnvResetSystemCaches();
  }
  void TearDown() override {
    EnvResetSystemCaches();
    DriverMachineTest::TearDown();
  }
  std::u16string ModulePath() {
    WCHAR dir[MAX_PATH] = {};
    DWORD needed = 0;
    EXPECT_TRUE(GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(dir), sizeof dir, &needed));
    return std::u16string(dir) + u"\\3\\" + kTerminalServerModule;
  }
  void Answer(const char* text) { zolt::test::WriteBytes(Root() / "qv00c150.txt", text); }
};

TEST_P(EnvTerminalServer, AnswersFromTheSuiteOrTheCheckModule) {
  const TerminalCase& c = GetParam();
  if (c.moduleAnswer) Answer(c.moduleAnswer);
  if (!c.moduleInstalled) {
    ASSERT_TRUE(DeleteFileW(ModulePath().c_str()));
  }
  HANDLE printer = c.withPrinter ? OpenTestPrinter() : nullptr;
  EXPECT_EQ(EnvQueryTerminalServer(printer), c.expected);
  EXPECT_EQ(EnvQueryTerminalServerEx(printer, nullptr), c.expected);
  EXPECT_EQ(EnvIsTerminalServerMode(printer), c.expected);
  if (printer) ClosePrinter(printer);
}

constexpr WORD kTerminal = 0x10;

INSTANTIATE_TEST_SUITE_P(
    Machines, EnvTerminalServer,
    ::testing::Values(
        // Before Windows Server 2003 the system's suite decides; the module is not asked.
        TerminalCase{"XP terminal server", Windows(5, 1, 2, 1, kTerminal), "0", true, true, 1},
        TerminalCase{"XP", Windows(5, 1, 2), "1", true, true, 0},
        TerminalCase{"2000 terminal server", Windows(5, 0, 4, 3, kTerminal), nullptr, false, true, 1},
        // From Server 2003 on, with a printer, only the module's answer counts.
        TerminalCase{"2003 module says yes", Windows(5, 2, 1, 3, kTerminal), "1", true, true, 1},
        TerminalCase{"2003 module says no", Windows(5, 2, 1, 3, kTerminal), "0", true, true, 0},
        TerminalCase{"2003 module says 2", Windows(5, 2, 1, 3, kTerminal), "2", true, true, 0},
        TerminalCase{"2003 module without answer", Windows(5, 2, 1, 3), nullptr, true, true, 0},
        TerminalCase{"2003 terminal server without module", Windows(5, 2, 1, 3, kTerminal), "1", false, true, 0},
        TerminalCase{"Windows 10 module says yes", Windows(10, 0, 0, 3), "1", true, true, 1},
        // Without a printer the suite decides on every version.
        TerminalCase{"2003 without printer", Windows(5, 2, 1, 3, kTerminal), "0", true, false, 1},
        TerminalCase{"Windows 10 without printer", Windows(10, 0), "1", true, false, 0}),
    [](const ::testing::TestParamInfo<TerminalCase>& info) {
      std::string name;
      for (const char* p = info.param.name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

class EnvTerminalServerCache : public zolt::test::DriverMachineTest {
 protected:
  MachineFacts Facts() const override { return Windows(5, 2, 1, 3, kTerminal); }
};

TEST_F(EnvTerminalServerCache, TheFirstAnswerHoldsForTheProcess) {
  EnvResetSystemCaches();
  zolt::test::WriteBytes(Root() / "qv00c150.txt", "1");
  HANDLE printer = OpenTestPrinter();
  EXPECT_EQ(EnvIsTerminalServerMode(printer), 1);
  zolt::test::WriteBytes(Root() / "qv00c150.txt", "0");
  EXPECT_EQ(EnvQueryTerminalServer(printer), 0);      // uncached
  EXPECT_EQ(EnvIsTerminalServerMode(printer), 1);     // cached
  EXPECT_EQ(EnvIsTerminalServerMode(nullptr), 1);     // for every printer
  EnvResetSystemCaches();
  EXPECT_EQ(EnvIsTerminalServerModeFor(printer, nullptr), 0);
  ClosePrinter(printer);
  EnvResetSystemCaches();
}

TEST_F(EnvTerminalServerCache, TheCheckModuleIsFoundBesideAGivenDriverPath) {
  EnvResetSystemCaches();
  zolt::test::WriteBytes(Root() / "qv00c150.txt", "1");
  HANDLE printer = OpenTestPrinter();
  auto* di3 = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(printer, 3));
  ASSERT_NE(di3, nullptr);
  EXPECT_EQ(EnvQueryTerminalServerForDriver(printer, di3->pDriverPath), 1);
  // A driver path in a folder without the module.
  EXPECT_EQ(EnvQueryTerminalServerForDriver(printer, u"C:\\Windows\\zoltgr.dll"), 0);
  MdlFreeMem(di3);
  ClosePrinter(printer);
}

// ---- Administrator -----------------------------------------------------------------------------

struct AdminCase {
  const char* name;
  bool userIsAdmin;
};

TEST(EnvAdministrator, TokenCheckForAnAdministratorAndAUser) {
  for (const AdminCase& c : {AdminCase{"administrator", true}, AdminCase{"user", false}}) {
    SCOPED_TRACE(c.name);
    MachineFacts facts;
    facts.userIsAdmin = c.userIsAdmin;
    ScopedMachine machine(facts);
    EXPECT_EQ(EnvCheckAdministratorToken(), c.userIsAdmin ? 1 : 0);
    EXPECT_EQ(EnvIsAdministrator(nullptr), c.userIsAdmin ? 1 : 0);

    // The check leaves the thread as it found it: not impersonating.
    HANDLE token = nullptr;
    EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_TOKEN));

    // Contexts: one created with the no-check flag (0x200) counts as administrator unasked.
    DriverContext* checked = CtxCreateWithFlags(nullptr, nullptr, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    DriverContext* unchecked =
        CtxCreateWithFlags(nullptr, nullptr, nullptr, kCtxKindTablesOnly | kCtxFlagNoAdminCheck, kCtxModeUi);
    ASSERT_NE(checked, nullptr);
    ASSERT_NE(unchecked, nullptr);
    EXPECT_EQ(EnvIsAdministrator(checked), c.userIsAdmin ? 1 : 0);
    EXPECT_EQ(EnvIsAdministrator(unchecked), 1);
    CtxReleaseAs(checked, kCtxReleaseDestroy);
    CtxReleaseAs(unchecked, kCtxReleaseDestroy);
  }
}

// ---- Host process ------------------------------------------------------------------------------

TEST(EnvHost, TheShellIsRecognisedWhateverTheCase) {
  struct Case {
    const char* image;
    int expected;
  } cases[] = {
      {"C:\\Windows\\explorer.exe", 1},
      {"C:\\WINDOWS\\EXPLORER.EXE", 1},
      {"C:\\Windows\\System32\\spoolsv.exe", 0},
      {"C:\\Program Files\\Shell\\explorer.exe", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.image);
    MachineFacts facts;
    facts.hostImage = c.image;
    ScopedMachine machine(facts);
    EXPECT_EQ(EnvIsExplorerHost(), c.expected);
  }
}

}  // namespace
