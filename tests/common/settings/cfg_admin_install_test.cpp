// The administrator's installation file: which sections hold set-up, the user code, identities
// and authentication values applied and their keys removed, the folder and spool keys, the
// handled-section marks, and damaged files refused without harm.
#include <gtest/gtest.h>

#include <string>

#include "admin_install.h"
#include "devmode_fields.h"
#include "install_defaults.h"
#include "install_test_support.h"
#include "option_access.h"
#include "option_values.h"
#include "prn_data.h"
#include "settings_paths.h"

namespace {

using zolt::test::WriteBytes;

constexpr uint16_t kUserId = 202, kUserCode = 203, kOwnerName = 204;
constexpr uint16_t kLogCodeUse = 10002, kLogCode = 10003;

class AdminInstall : public zolt::test::InstallContextTest {
 protected:
  void SetUp() override {
    InstallContextTest::SetUp();
    ASSERT_EQ(PathGetAdminIniInto(file_, MAX_PATH), 1);
    ASSERT_EQ(std::u16string(PathGetAdminIni(ctx)), std::u16string(file_));
  }
  // The installation file with this printer's section (lines "key=value").
  void WriteIni(const std::string& lines) {
    WriteBytes(Real(file_), "[ZOLT Office 7000]\r\n" + lines);
  }
  std::u16string Key(const char16_t* key) { return IniKey(file_, key); }
  std::u16string Registry(const char16_t* value) {
    WCHAR text[MAX_PATH] = {};
    if (!RegReadDriverValue(value, text, sizeof text - 2)) return u"<none>";
    return text;
  }
  WCHAR file_[MAX_PATH] = {};
};

TEST_F(AdminInstall, SetupKeysOfASection) {
  struct Case {
    const char* lines;
    int lacks;
  };
  const Case cases[] = {
      {"", 1},
      {"SpoolDirectory=C:\\spool\r\n", 1},
      {"SetUserCode=*\r\nZOLTDirectory=*\r\nSetAuthenticationMode=*\r\n", 1},
      {"DefaultRst=\r\nSetUserID=\r\nSetOwnerID=\r\n", 1},
      {"SetUserCode=\r\n", 0},
      {"SetOwnerID=boss\r\n", 0},
      {"SetAuthenticationMode=0\r\n", 0},
      {"ZOLTDirectoryClient=\r\n", 0},
      {"DefaultRst=ZOLT.rsb\r\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    WriteIni(c.lines);
    EXPECT_EQ(CfgSectionLacksSetupKeys(file_, kPrinterName), c.lacks);
    EXPECT_EQ(CfgBatchIniHasSettings(kPrinterName), 1 - c.lacks);
    EXPECT_EQ(CfgAdminIniHasSetup(ctx), 1 - c.lacks);
  }
  EXPECT_EQ(CfgSectionLacksSetupKeys(file_, nullptr), 0);
  DeleteFileW(file_);
  EXPECT_EQ(CfgBatchIniHasSettings(kPrinterName), 0);
  EXPECT_EQ(CfgAdminIniHasSetup(ctx), 0);
}

TEST_F(AdminInstall, UserCodeSetClearedOrRefused) {
  struct Case {
    const char* line;
    int use;            // zdmLogCodeUse afterwards (-1: unchanged)
    const char16_t* code;
    int printLog;
    int set;            // InstallUserCodeSet
    int touched;
  };
  const Case cases[] = {
      {"SetUserCode=12345678\r\n", 1, u"12345678", 1, 1, 1},
      {"SetUserCode=\r\n", 0, u"", 0, 1, 1},
      {"SetUserCode=12a4\r\n", -1, u"77", 0, 0, 1},
      {"SetUserCode=123456789\r\n", -1, u"77", 0, 0, 1},  // too long: not cut to 8 digits
      {"SetUserCode=*\r\n", -1, u"77", 0, 0, 0},
      {"", -1, u"77", 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    WriteIni(c.line);
    OptSetValue(ctx, kLogCodeUse, 7);
    OptSetStringValue(ctx, OptFind(ctx, kLogCode), u"77");
    CtxSetPrintLog(ctx, 1);
    int32_t touched = -1;
    EXPECT_EQ(CfgApplyAdminUserCode(file_, kPrinterName, &touched, ctx), 1);
    EXPECT_EQ(OptGetValue(ctx, kLogCodeUse, nullptr), c.use < 0 ? 7 : c.use);
    EXPECT_EQ(Text(kLogCode), c.code);
    if (c.use >= 0) {
      EXPECT_EQ(Text(kUserCode), c.code);
    }
    EXPECT_EQ(CtxGetPrintLog(ctx), c.printLog);
    EXPECT_EQ(ctx->workArea->installUserCodeSet, static_cast<DWORD>(c.set));
    EXPECT_EQ(touched, c.touched);
    EXPECT_EQ(Key(u"SetUserCode"), u"<none>");
  }
}

TEST_F(AdminInstall, IdentitiesAndAuthentication) {
  // A network key sets both modes and removes their keys unread.
  WriteIni(
      "SetUserID=alice7\r\nSetOwnerID=Accounts\r\nSetAuthenticationNetworkKey=Key42\r\n"
      "SetAuthenticationSecureMode=0\r\nSetAuthenticationMode=0\r\n");
  EXPECT_EQ(CfgApplyAdminIdentity(file_, kPrinterName, ctx), 1);
  EXPECT_EQ(Text(kUserId), u"alice7");
  EXPECT_EQ(Text(kOwnerName), u"Accounts");
  EXPECT_EQ(Text(kOptAuthNetworkKey), u"Key42");
  EXPECT_EQ(OptGetValue(ctx, kOptAuthMode, nullptr), 1);
  EXPECT_EQ(OptGetValue(ctx, kOptAuthSecureMode, nullptr), 1);
  EXPECT_EQ(ctx->workArea->installIdentityFlags, kIdentityAuthMode | kIdentitySecureMode | kIdentityNetworkKey);
  for (const char16_t* key : {u"SetUserID", u"SetOwnerID", u"SetAuthenticationNetworkKey",
                              u"SetAuthenticationSecureMode", u"SetAuthenticationMode"})
    EXPECT_EQ(Key(key), u"<none>");
  EXPECT_EQ(Key(u"DrvInstSet"), u"1");
  EXPECT_EQ(CfgIsDrvInstSet(file_, kPrinterName), 1);

  // The mode alone takes effect when no other authentication key is given; empty values clear.
  WriteIni("SetAuthenticationMode=0\r\nSetAuthenticationUserName=\r\n");
  EXPECT_EQ(CfgApplyAdminIdentity(file_, kPrinterName, ctx), 1);
  EXPECT_EQ(OptGetValue(ctx, kOptAuthMode, nullptr), 1);  // the user name set it first
  EXPECT_EQ(ctx->workArea->installIdentityFlags, kIdentityAuthMode | kIdentityUserName | kIdentityUserNameEmpty);
  WriteIni("SetAuthenticationMode=0\r\n");
  CfgApplyAdminIdentity(file_, kPrinterName, ctx);
  EXPECT_EQ(OptGetValue(ctx, kOptAuthMode, nullptr), 0);

  // Values that fail their checks change nothing, but their keys go.
  const std::string longName(129, 'n');
  WriteIni("SetUserID=bad!id\r\nSetOwnerID=an owner name longer than sixteen\r\nSetAuthenticationUserName=" +
           longName + "\r\nSetAuthenticationSecureMode=2\r\nSetAuthenticationNetworkKey=has space\r\n");
  EXPECT_EQ(CfgApplyAdminIdentity(file_, kPrinterName, ctx), 1);
  EXPECT_EQ(Text(kUserId), u"alice7");
  EXPECT_EQ(Text(kOwnerName), u"Accounts");
  EXPECT_EQ(Text(kOptAuthNetworkKey), u"Key42");
  EXPECT_EQ(ctx->workArea->installIdentityFlags, 0);
  for (const char16_t* key : {u"SetUserID", u"SetOwnerID", u"SetAuthenticationUserName",
                              u"SetAuthenticationSecureMode", u"SetAuthenticationNetworkKey"})
    EXPECT_EQ(Key(key), u"<none>");

  WriteIni("SetAuthenticationNetworkKey=\r\n");
  CfgApplyAdminIdentity(file_, kPrinterName, ctx);
  EXPECT_EQ(Text(kOptAuthNetworkKey), u"");
  EXPECT_EQ(ctx->workArea->installIdentityFlags, 0x0F);
  EXPECT_EQ(Key(u"SetAuthenticationNetworkKey"), u"<none>");
}

TEST_F(AdminInstall, FolderAndSpoolKeys) {
  CreateDirectoryW(u"C:\\Windows\\Shared", nullptr);
  CreateDirectoryW(u"C:\\Spool", nullptr);
  WriteIni("ZOLTDirectory=%SYSTEMROOT%\\Shared\r\nZOLTDirectoryClient=\\\\srv\\zolt\r\n"
           "SpoolDirectory=%SYSTEMDRIVE%\\Spool\r\nSpoolDirectoryAll=on\r\n");
  EXPECT_EQ(CfgApplyAdminIniDirectoryKeys(printer_, kPrinterName, nullptr), 1);
  EXPECT_EQ(CfgApplySpoolDirectoryKeys(file_, kPrinterName, ctx, kKeepTimeAlways), 1);
  EXPECT_EQ(Registry(kSharedDirValue), u"C:\\Windows\\Shared\\_zolt");
  EXPECT_EQ(PrinterText(kClientSharedDirValue), u"\\\\srv\\zolt");
  EXPECT_EQ(Registry(kSpoolDirectoryValue), u"C:\\Spool");
  for (const char16_t* key : {u"ZOLTDirectory", u"ZOLTDirectoryClient", u"SpoolDirectory", u"SpoolDirectoryAll"})
    EXPECT_EQ(Key(key), u"<none>");

  // A folder that does not exist, or a value too long to be a folder, is ignored; the keys go.
  const std::string longFolder = "C:\\" + std::string(300, 'x');
  WriteIni("ZOLTDirectory=C:\\Missing\r\nSpoolDirectory=" + longFolder + "\r\n");
  CfgApplyAdminIniDirectoryKeys(printer_, kPrinterName, nullptr);
  CfgApplySpoolDirectoryKeys(file_, kPrinterName, ctx, kKeepTimeAlways);
  EXPECT_EQ(Registry(kSharedDirValue), u"C:\\Windows\\Shared\\_zolt");
  EXPECT_EQ(PrinterText(kSpoolDirectoryValue), u"<none>");
  EXPECT_EQ(Key(u"ZOLTDirectory"), u"<none>");
  EXPECT_EQ(Key(u"SpoolDirectory"), u"<none>");

  // Per printer unless made machine-wide; an empty shared folder clears the value.
  WriteIni("SpoolDirectory=C:\\Spool\\\r\nZOLTDirectory=\r\n");
  CfgApplySpoolDirectoryKeys(file_, kPrinterName, ctx, kKeepTimeAlways);
  CfgApplyAdminIniDirectoryKeys(printer_, kPrinterName, nullptr);
  EXPECT_EQ(PrinterText(kSpoolDirectoryValue), u"C:\\Spool\\");
  EXPECT_EQ(Registry(kSharedDirValue), u"");
}

TEST_F(AdminInstall, SectionWithoutScenarioIsMarkedHandled) {
  WriteIni("SetUserCode=2468\r\nSetUserID=bob\r\n");
  EXPECT_EQ(CfgApplyAdminIni(ctx), 0);  // set-up without a scenario
  EXPECT_EQ(Key(u"BatchInstallDone"), u"1");
  EXPECT_EQ(Key(u"SetUserCode"), u"<none>");
  EXPECT_EQ(Key(u"SetUserID"), u"<none>");
  EXPECT_EQ(Text(kLogCode), u"2468");
  EXPECT_EQ(ctx->workArea->installLogCodeFixed, 1u);
  DWORD done = 0;
  EXPECT_EQ(PrnReadBatchInstallDone(printer_, &done, ctx), 1);
  EXPECT_EQ(done, 1u);
  WCHAR settingsDone[8] = {};
  GetPrivateProfileStringW(kPrinterName, u"BatchInstallDone", u"", settingsDone, 8, PathGetSettingsIni(ctx));
  EXPECT_EQ(std::u16string(settingsDone), u"1");

  // Handled: nothing is left to apply, and the scenario pass has nothing to do.
  EXPECT_EQ(CfgAdminIniHasSetup(ctx), 0);
  EXPECT_EQ(CfgApplyAdminIni(ctx), 1);
  EXPECT_EQ(CfgApplyAdminScenario(0, ctx, 0), 0);

  DeleteFileW(file_);
  EXPECT_EQ(CfgApplyAdminIni(ctx), 0);
}

TEST_F(AdminInstall, NamedScenarioIsRecordedAndNotTriedAgain) {
  // A relative name is looked up in the driver directory.
  WriteIni("DefaultRst=missing.rsb\r\n");
  WCHAR path[MAX_PATH] = {};
  ASSERT_EQ(CfgReadBatchDefaultRst(path, ctx), 1);
  PathCompleteFromDriverDir(path, MAX_PATH, ctx);
  EXPECT_EQ(std::u16string(path), std::u16string(PathGetDriverDir(ctx)) + u"missing.rsb");
  EXPECT_EQ(PathIsScenarioFile(path), 0);

  const std::vector<BYTE> before(reinterpret_cast<BYTE*>(ctx->settingsImage),
                                 reinterpret_cast<BYTE*>(ctx->settingsImage) + kSettingsImageSize);
  EXPECT_EQ(CfgApplyAdminScenario(0, ctx, 0), 0);
  EXPECT_EQ(Key(u"DefaultRst"), u"<none>");
  EXPECT_EQ(Key(u"DefaultRstName"), path);
  EXPECT_EQ(Key(u"BatchInstallDone"), u"1");
  EXPECT_TRUE(std::equal(before.begin(), before.end(), reinterpret_cast<BYTE*>(ctx->settingsImage)));
  EXPECT_EQ(CfgApplyAdminScenario(0, ctx, 0), 0);

  // The driver's own scenario pass clears the installation file's record.
  EXPECT_EQ(CfgApplyDriverScenario(0, 1, ctx), 1);
  EXPECT_EQ(Key(u"DefaultRstName"), u"<none>");
  EXPECT_EQ(Key(u"BatchInstallDone"), u"<none>");
}

TEST_F(AdminInstall, DamagedFilesAreRefusedWithoutHarm) {
  const std::string longCode(5000, '7');
  const std::string cases[] = {
      std::string("\0\xff\xfe[ZOLT Office 7000\r\nSetUserCode", 32),
      "SetUserCode=" + longCode + "\r\nSetUserID=" + longCode + "\r\nDefaultRst=" + longCode + "\r\n",
      "ZOLTDirectory=%SYSTEMROOT%" + std::string(400, '\\') + "\r\nSetAuthenticationUserName=\xe9\xe9\r\n",
      "=\r\n==\r\n[\r\n]\r\nSetOwnerID=\xff\xfe\xfd\xfc\r\n",
  };
  for (const std::string& lines : cases) {
    WriteIni(lines);
    OptSetStringValue(ctx, OptFind(ctx, kLogCode), u"77");
    CfgApplyAdminIniDirectoryKeys(printer_, kPrinterName, nullptr);
    CfgApplyAdminIni(ctx);
    EXPECT_EQ(Text(kLogCode), u"77");
    EXPECT_EQ(Key(u"SetUserCode"), u"<none>");
    EXPECT_EQ(Key(u"ZOLTDirectory"), u"<none>");
    EXPECT_EQ(Registry(kSharedDirValue), u"<none>");
  }
}

}  // namespace
