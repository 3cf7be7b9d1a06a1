// Printer set-up as the printer-event and device-mode-conversion entry points run it, on a
// machine where the host has just added the printer: the steps of a fresh installation on each
// kind of machine, one-time marks that hold on a second run, the installation file applied and
// cleared, connections and per-user refreshes, the default device mode, and a rename.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "admin_install.h"
#include "device_state.h"
#include "env_mutex.h"
#include "env_system.h"
#include "install_defaults.h"
#include "install_test_support.h"
#include "printer_setup.h"
#include "settings_paths.h"

namespace {

using zolt::test::WriteBytes;

class PrinterSetup : public zolt::test::InstallPrinterTest {
 protected:
  void SetUp() override {
    EnvResetSystemCaches();
    InstallPrinterTest::SetUp();
  }
  void TearDown() override {
    InstallPrinterTest::TearDown();
    EnvResetSystemCaches();
  }
  // The entry points hold the mutex with the machine-context switch around the call.
  int Initialize(int type, void* devmode = nullptr) {
    EnvLockGlobalMutexForMachine();
    const int result = CfgInitializePrinterData(printer_, devmode, type);
    EnvUnlockGlobalMutexForMachine();
    return result;
  }
  bool HasPrinterData(const char16_t* value) { return PrinterText(value) != u"<none>"; }
  // Files of the printer that a context names.
  struct Files {
    std::u16string settings, installDefaults, admin, state;
  };
  Files FilesOf() {
    Files f;
    DriverContext* ctx = CtxCreateForPrinter(printer_, printer_, nullptr, kCtxModeUi);
    EXPECT_NE(ctx, nullptr);
    if (!ctx) return f;
    WCHAR path[MAX_PATH] = {};
    f.settings = PathGetSettingsIni(ctx);
    PathGetInstallDefaultsIni(path, ctx);
    f.installDefaults = path;
    PathGetAdminIniInto(path, MAX_PATH);
    f.admin = path;
    BidiStateFilePath(ctx, path);
    f.state = path;
    CtxReleaseAs(ctx, kCtxReleaseDestroy);
    return f;
  }
  static std::u16string Key(const std::u16string& file, const char16_t* key, const char16_t* section = kPrinterName) {
    return IniKey(file, key, section);
  }
};

// A fresh installation on each kind of machine the set-up branches on.
struct MachineCase {
  const char* name;
  DWORD major, minor, build;
  WORD servicePack;
  BYTE productType;
  WORD suite;
  bool admin;
};
class PrinterSetupMachines : public PrinterSetup, public ::testing::WithParamInterface<MachineCase> {
 protected:
  zolt::host::MachineFacts Facts() const override {
    const MachineCase& c = GetParam();
    zolt::host::MachineFacts facts;
    facts.majorVersion = c.major;
    facts.minorVersion = c.minor;
    facts.buildNumber = c.build;
    facts.servicePackMajor = c.servicePack;
    facts.productType = c.productType;
    facts.suiteMask = c.suite;
    facts.userIsAdmin = c.admin;
    return facts;
  }
  ACCESS_MASK Access() const override { return GetParam().admin ? PRINTER_ACCESS_ADMINISTER : PRINTER_ACCESS_USE; }
};

TEST_P(PrinterSetupMachines, FreshInstallation) {
  ASSERT_EQ(Initialize(kInitLocalPrinter), 1);
  // A plain user's handle may not change the printer's data: those steps fail, the rest run.
  const bool admin = GetParam().admin;
  EXPECT_EQ(PrinterText(u"ZOLTPrinterName"), admin ? std::u16string(kPrinterName) : u"<none>");
  EXPECT_EQ(HasPrinterData(u"DriverName"), admin);
  EXPECT_EQ(HasPrinterData(u"BidiFlag"), admin);
  EXPECT_EQ(HasPrinterData(u"SPLUserModePrinterDriver"), admin);
  const Files f = FilesOf();
  EXPECT_EQ(Key(f.installDefaults, u"DispLang"), u"1");
  EXPECT_EQ(Key(f.installDefaults, u"DefPaper"), u"9");
  // Without an installation file the driver's scenario pass ran and left no marks of one.
  EXPECT_EQ(Key(f.settings, kPackInstallDoneKey), u"<none>");
  EXPECT_EQ(Key(f.settings, kDrvInstVersionKey), u"<none>");
  WCHAR shared[MAX_PATH] = {};
  ASSERT_GT(PathGetSharedDirOfPrinter(shared, MAX_PATH, printer_), 0);
  EXPECT_NE(GetFileAttributesW(shared), INVALID_FILE_ATTRIBUTES);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, PrinterSetupMachines,
    ::testing::Values(MachineCase{"Windows10", 10, 0, 19045, 0, 1, 0, true},
                      MachineCase{"PlainUser", 10, 0, 19045, 0, 1, 0, false},
                      MachineCase{"Windows2000Sp3", 5, 0, 2195, 3, 1, 0, true},
                      MachineCase{"WindowsXp", 5, 1, 2600, 3, 1, 0, true},
                      MachineCase{"TerminalServer", 5, 2, 3790, 2, 3, 0x10, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrinterSetup, OneTimeDefaultsAreNotAppliedTwice) {
  const Files f = FilesOf();
  CreateDirectoryW(std::u16string(f.installDefaults.substr(0, f.installDefaults.rfind(u'\\'))).c_str(), nullptr);
  for (auto [key, value] : {std::pair{u"ZoltInstDone", u"0"}, {u"DispLang", u"1"}, {u"DefPaper", u"1"},
                            {u"DefUnit", u"0"}})
    WritePrivateProfileStringW(kPrinterName, key, value, f.installDefaults.c_str());
  ASSERT_EQ(Initialize(kInitLocalPrinter), 1);
  EXPECT_EQ(Key(f.installDefaults, u"ZoltInstDone"), u"1");
  EXPECT_EQ(Key(f.installDefaults, u"DefUnit"), u"0");  // the tool's choice, over the locale's inches

  ASSERT_EQ(Initialize(kInitLocalPrinter), 1);
  EXPECT_EQ(Key(f.installDefaults, u"ZoltInstDone"), u"1");
  EXPECT_EQ(Key(f.installDefaults, u"DefUnit"), u"1");  // now the driver's own choice
}

TEST_F(PrinterSetup, InstallationFileIsAppliedAndCleared) {
  const Files f = FilesOf();
  CreateDirectoryW(u"C:\\Spool", nullptr);
  WriteBytes(Real(f.admin), "[ZOLT Office 7000]\r\nSetUserCode=1234\r\nSetUserID=alice\r\n"
                            "SpoolDirectory=C:\\Spool\r\n[Other printer]\r\nSetUserID=bob\r\n");
  ASSERT_EQ(Initialize(kInitLocalPrinter), 1);
  for (const char16_t* key : {u"SetUserCode", u"SetUserID", u"SpoolDirectory"})
    EXPECT_EQ(Key(f.admin, key), u"<none>");
  EXPECT_EQ(Key(f.admin, u"SetUserID", u"Other printer"), u"bob");
  // Handled, then the driver's scenario took the file's record of it back; the printer keeps it.
  EXPECT_EQ(Key(f.admin, u"BatchInstallDone"), u"<none>");
  EXPECT_EQ(Key(f.admin, u"DrvInstSet"), u"1");
  EXPECT_EQ(PrinterText(kSpoolDirectoryValue), u"C:\\Spool");
  EXPECT_EQ(PrnIsBatchInstallDone(printer_, nullptr), 1);
  // No scenario was named: the set-up is not recorded as a package installation.
  EXPECT_EQ(Key(f.settings, kPackInstallDoneKey), u"<none>");
  EXPECT_EQ(CfgBatchIniHasSection(printer_), 0);

  // A second run finds nothing left to apply.
  ASSERT_EQ(Initialize(kInitLocalPrinter), 1);
  EXPECT_EQ(Key(f.admin, u"SetUserID", u"Other printer"), u"bob");
  EXPECT_EQ(PrnIsBatchInstallDone(printer_, nullptr), 1);
}

TEST_F(PrinterSetup, ConnectionsAndRefreshes) {
  ASSERT_EQ(Initialize(kInitConnection), 1);
  const Files f = FilesOf();
  EXPECT_FALSE(HasPrinterData(u"ZOLTPrinterName"));
  EXPECT_FALSE(HasPrinterData(u"HelpFileName"));
  EXPECT_FALSE(HasPrinterData(u"BidiFlag"));
  EXPECT_EQ(Key(f.settings, kDrvInstVersionKey), u"7.70");

  WritePrivateProfileStringW(kPrinterName, kDrvInstVersionKey, nullptr, f.settings.c_str());
  ASSERT_EQ(Initialize(kInitUserRefresh), 1);
  EXPECT_EQ(Key(f.settings, kDrvInstVersionKey), u"<none>");
  ASSERT_EQ(Initialize(kInitClientSync), 1);
  EXPECT_EQ(Key(f.settings, kDrvInstVersionKey), u"7.70");
}

TEST_F(PrinterSetup, DeviceModeConversionGetsTheDefaultDeviceMode) {
  for (int type : {kInitDefaultDevmode, kInitDevmodeStored}) {
    std::string devmode(kFullDevModeSize, '\xAA');
    ASSERT_EQ(Initialize(type, devmode.data()), 1);
    WORD size = 0, extra = 0;
    std::memcpy(&size, devmode.data() + 68, 2);
    std::memcpy(&extra, devmode.data() + 70, 2);
    EXPECT_EQ(size, 220);
    EXPECT_EQ(size + extra, static_cast<int>(kFullDevModeSize));
  }
}

TEST_F(PrinterSetup, RenameCarriesTheSettingsOver) {
  ASSERT_EQ(Initialize(kInitLocalPrinter), 1);
  const Files f = FilesOf();
  const std::u16string oldName = u"Old [ZOLT] printer";
  std::string section = "[Old ,ZOLT, printer]\r\n";
  for (int i = 0; i < 3000; ++i) section += "Key" + std::to_string(i) + "=value of line " + std::to_string(i) + "\r\n";
  WriteBytes(Real(f.state), section);
  ASSERT_EQ(SetPrinterDataW(printer_, const_cast<LPWSTR>(u"ZOLTPrinterName"), REG_SZ,
                            reinterpret_cast<LPBYTE>(const_cast<char16_t*>(oldName.c_str())),
                            static_cast<DWORD>((oldName.size() + 1) * 2)),
            static_cast<DWORD>(ERROR_SUCCESS));

  DriverContext* ctx = CtxCreateForPrinter(printer_, printer_, nullptr, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(CfgHandlePrinterRename(ctx), 1);
  EXPECT_EQ(PrinterText(u"ZOLTPrinterName"), kPrinterName);
  // Every line of the old section, the last one too (the section is larger than one read).
  EXPECT_EQ(Key(f.state, u"Key0"), u"value of line 0");
  EXPECT_EQ(Key(f.state, u"Key2999"), u"value of line 2999");
  EXPECT_EQ(Key(f.installDefaults, u"ZoltInstDone"), u"1");
  EXPECT_EQ(Key(f.installDefaults, u"UserCode"), u"0");

  // Same name, whatever its case: nothing to do.
  EXPECT_EQ(CfgHandlePrinterRename(ctx), 0);
  const std::u16string upper = u"ZOLT OFFICE 7000";
  SetPrinterDataW(printer_, const_cast<LPWSTR>(u"ZOLTPrinterName"), REG_SZ,
                  reinterpret_cast<LPBYTE>(const_cast<char16_t*>(upper.c_str())),
                  static_cast<DWORD>((upper.size() + 1) * 2));
  EXPECT_EQ(CfgHandlePrinterRename(ctx), 0);
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
}

TEST_F(PrinterSetup, UpgradeOfAnInstalledPrinterKeepsItsMarks) {
  ASSERT_EQ(Initialize(kInitLocalPrinter), 1);
  const Files f = FilesOf();
  WriteBytes(Real(f.admin), "[ZOLT Office 7000]\r\nSetOwnerID=Finance\r\n");
  // The upgrade's per-user refresh takes the administrator's new set-up and keeps the rest.
  ASSERT_EQ(Initialize(kInitUserRefresh), 1);
  EXPECT_EQ(Key(f.admin, u"SetOwnerID"), u"<none>");
  EXPECT_EQ(Key(f.admin, u"DrvInstSet"), u"1");
  EXPECT_EQ(PrinterText(u"ZOLTPrinterName"), kPrinterName);
  EXPECT_EQ(Key(f.installDefaults, u"DispLang"), u"1");
}

}  // namespace
