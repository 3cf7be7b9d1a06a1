// Settings folders and paths: the answers over machines of several Windows versions, terminal
// servers, administrators and users, machine contexts and client connections; joins; names;
// creation and removal of the shared folder.
#include <gtest/gtest.h>

#include <string>

#include "context_services.h"
#include "env_system.h"
#include "machine_fixture.h"
#include "printer_text.h"
#include "settings_paths.h"
#include "win32/hostspooler.h"

namespace {

using zolt::test::DriverMachineTest;

std::u16string Str(const WCHAR* text) { return text ? std::u16string(text) : std::u16string(u"<null>"); }

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

struct FolderCase {
  const char* name;
  DWORD major;
  DWORD minor;
  bool terminalServer;
  bool admin;
  bool machineContext;
  const char16_t* settingsIni;
  const char16_t* userDir;
  const char16_t* sharedDir;
};

const FolderCase kFolderCases[] = {
    {"Win10", 10, 0, false, true, false, u"C:\\_zolt\\QVF9D170.ini", u"C:\\Users\\user\\_zolt", u"C:\\_zolt"},
    {"Win10User", 10, 0, false, false, false, u"C:\\_zolt\\QVF9D170.ini", u"C:\\Users\\user\\_zolt", u"C:\\_zolt"},
    // From Windows Server 2003 on, terminal-server mode is the check module's answer: without the
    // module the settings stay in the shared folder.
    {"Win10TerminalServer", 10, 0, true, true, false, u"C:\\_zolt\\QVF9D170.ini", u"C:\\Users\\user\\_zolt",
     u"C:\\_zolt"},
    {"Server2003TerminalServer", 5, 2, true, false, false, u"C:\\_zolt\\QVF9D170.ini",
     u"C:\\Documents and Settings\\user\\_zolt", u"C:\\_zolt"},
    {"XpTerminalServer", 5, 1, true, true, false, u"C:\\Documents and Settings\\user\\_zolt\\QVF9D170.ini",
     u"C:\\Documents and Settings\\user\\_zolt", u"C:\\_zolt"},
    {"XpTerminalServerUser", 5, 1, true, false, false, u"C:\\Documents and Settings\\user\\_zolt\\QVF9D170.ini",
     u"C:\\Documents and Settings\\user\\_zolt", u"C:\\_zolt"},
    {"XpTerminalServerMachineContext", 5, 1, true, true, true, u"C:\\_zolt\\QVF9D170.ini",
     u"C:\\Documents and Settings\\user\\_zolt", u"C:\\_zolt"},
    {"XpMachineContext", 5, 1, false, true, true, u"C:\\_zolt\\QVF9D170.ini", u"C:\\Documents and Settings\\user\\_zolt",
     u"C:\\_zolt"},
    {"Xp", 5, 1, false, false, false, u"C:\\_zolt\\QVF9D170.ini", u"C:\\Documents and Settings\\user\\_zolt",
     u"C:\\_zolt"},
    {"Win2000TerminalServer", 5, 0, true, true, false, u"C:\\Documents and Settings\\user\\_zolt\\QVF9D170.ini",
     u"C:\\Documents and Settings\\user\\_zolt", u"C:\\_zolt"},
    // Before Windows 2000: the system directory, and per-user folders below it.
    {"Nt4", 4, 0, false, true, false, u"C:\\WINDOWS\\system32\\QVF9D170.ini",
     u"C:\\WINDOWS\\system32\\orvex\\_zolt\\user", u"C:\\_zolt"},
    {"Nt4TerminalServer", 4, 0, true, true, false, u"C:\\WINDOWS\\system32\\orvex\\_zolt\\user\\QVF9D170.ini",
     u"C:\\WINDOWS\\system32\\orvex\\_zolt\\user", u"C:\\_zolt"},
    {"Nt4TerminalServerMachineContext", 4, 0, true, false, true, u"C:\\WINDOWS\\system32\\QVF9D170.ini",
     u"C:\\WINDOWS\\system32\\orvex\\_zolt\\user", u"C:\\_zolt"},
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

class FolderTable : public DriverMachineTest, public ::testing::WithParamInterface<FolderCase> {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts facts;
    facts.majorVersion = GetParam().major;
    facts.minorVersion = GetParam().minor;
    facts.buildNumber = 2600;
    facts.suiteMask = GetParam().terminalServer ? 0x10 : 0;
    facts.productType = GetParam().terminalServer ? 3 : 1;
    facts.userIsAdmin = GetParam().admin;
    return facts;
  }
  void SetUp() override {
    EnvResetSystemCaches();
    DriverMachineTest::SetUp();
  }
};

TEST_P(FolderTable, SettingsFileAndFolders) {
  const FolderCase& c = GetParam();
  // These machines run without the terminal-server check module in the driver directory.
  DeleteFileW(u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\QV00C150.dll");
  DeleteFileW(u"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QV00C150.dll");
  HANDLE printer = OpenTestPrinter();
  ASSERT_NE(printer, nullptr);
  const DWORD mode = kCtxModeUi | (c.machineContext ? DWORD{kCtxModeInstallation} : 0u);
  DriverContext* ctx = CtxCreateWithFlags(printer, printer, nullptr, kCtxKindTablesOnly, mode);
  ASSERT_NE(ctx, nullptr);

  EXPECT_EQ(Str(PathGetSettingsIni(ctx)), c.settingsIni);
  EXPECT_EQ(Str(PathGetSettingsIni(ctx)), c.settingsIni);  // the same when asked again

  WCHAR buf[MAX_PATH];
  EXPECT_EQ(PathGetUserDirOf(buf, MAX_PATH, printer), static_cast<int>(std::u16string(c.userDir).size()));
  EXPECT_EQ(Str(buf), c.userDir);
  EXPECT_GT(PathGetSharedDir(buf, MAX_PATH, ctx), 0);
  EXPECT_EQ(Str(buf), c.sharedDir);
  // The context-free form with the caller's choice of folder.
  ASSERT_EQ(PathGetSettingsIniOf(buf, MAX_PATH, 1, printer), 1);
  EXPECT_EQ(Str(buf), std::u16string(c.userDir) + u"\\QVF9D170.ini");

  CtxReleaseAs(ctx, kCtxReleaseDestroy);
  ClosePrinter(printer);
}

INSTANTIATE_TEST_SUITE_P(Machines, FolderTable, ::testing::ValuesIn(kFolderCases),
                         [](const ::testing::TestParamInfo<FolderCase>& info) { return std::string(info.param.name); });

// Client connections: the folder an administrator configured in "_ZOLTDirectoryClient".
class ClientFolders : public DriverMachineTest {
 protected:
  void SetUp() override {
    EnvResetSystemCaches();
    DriverMachineTest::SetUp();
    zolt::host::PrinterSetup remote;
    remote.name = u"P1";
    remote.driver = kDriverName;
    std::string error;
    ASSERT_TRUE(zolt::host::AddClientConnection({u"printsrv01", u"PS1", false}, remote, &error)) << error;
  }
  HANDLE OpenConnection() {
    std::u16string name = u"\\\\printsrv01\\P1";
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE h = nullptr;
    EXPECT_TRUE(OpenPrinterW(name.data(), &h, &defaults)) << GetLastError();
    return h;
  }
  void SetClientValue(HANDLE printer, const std::u16string& value) {
    zolt::test::SetPrinterText(printer, kClientSharedDirValue, value);
  }
  void SetRegistryFolder(const std::u16string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Orvex\\ZoltDrv", &key), ERROR_SUCCESS);
    RegSetValueExW(key, kSharedDirValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
    RegCloseKey(key);
  }
};

TEST_F(ClientFolders, ConfiguredFolderOfAConnection) {
  ASSERT_TRUE(CreateDirectoryW(u"C:\\Windows\\Data", nullptr));
  ASSERT_TRUE(CreateDirectoryW(u"C:\\Shared", nullptr));
  // The longest folder that still leaves room: 212 characters (213 is refused).
  std::u16string longest = u"C:\\";
  longest += std::u16string(212 - longest.size(), u'L');
  ASSERT_TRUE(CreateDirectoryW(longest.c_str(), nullptr));
  std::u16string tooLong = longest + u"M";
  ASSERT_TRUE(CreateDirectoryW(tooLong.c_str(), nullptr));

  struct Case {
    const char* name;
    std::u16string value;  // empty: not set
    std::u16string folder;
  } cases[] = {
      {"not set", u"", u"C:\\_zolt"},
      {"system root", u"%SYSTEMROOT%\\Data", u"C:\\Windows\\Data\\_zolt"},
      {"system root, missing folder", u"%systemroot%\\Missing", u"C:\\_zolt"},
      {"plain folder with final backslash", u"C:\\Shared\\", u"C:\\Shared\\_zolt"},
      {"plain folder", u"c:\\shared", u"c:\\shared\\_zolt"},
      {"user profile, the rest ignored", u"%USERPROFILE%\\anything", u"C:\\Users\\user\\_zolt"},
      {"212 characters", longest, longest + u"\\_zolt"},
      {"213 characters", tooLong, u"C:\\_zolt"},
  };
  HANDLE printer = OpenConnection();
  ASSERT_NE(printer, nullptr);
  for (const Case& c : cases) {
    if (!c.value.empty()) SetClientValue(printer, c.value);
    WCHAR buf[MAX_PATH];
    EXPECT_GT(PathGetSharedDirOfPrinter(buf, MAX_PATH, printer), 0) << c.name;
    EXPECT_EQ(Str(buf), c.folder) << c.name;
    DriverContext* ctx = CtxCreateWithFlags(printer, printer, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    EXPECT_GT(PathGetSharedDir(buf, MAX_PATH, ctx), 0) << c.name;
    EXPECT_EQ(Str(buf), c.folder) << c.name;
    CtxReleaseAs(ctx, kCtxReleaseDestroy);
  }
  // A folder that does not fit the caller's buffer is not a folder found.
  SetClientValue(printer, u"C:\\Shared");
  WCHAR small[12];
  EXPECT_EQ(PrnGetClientSharedDir(printer, kClientSharedDirValue, small, 12), 0);
  EXPECT_EQ(PrnGetClientSharedDir(printer, kClientSharedDirValue, nullptr, 0), 1);

  // An unusable client folder falls back to the machine's registry value.
  SetClientValue(printer, u"C:\\Missing");
  SetRegistryFolder(u"D:\\Settings\\_zolt");
  WCHAR buf[MAX_PATH];
  PathGetSharedDirOfPrinter(buf, MAX_PATH, printer);
  EXPECT_EQ(Str(buf), u"D:\\Settings\\_zolt");
  ClosePrinter(printer);
}

TEST_F(ClientFolders, ClientValueOfALocalPrinterIsIgnored) {
  HANDLE printer = OpenTestPrinter(PRINTER_ALL_ACCESS);
  ASSERT_NE(printer, nullptr);
  ASSERT_TRUE(CreateDirectoryW(u"C:\\Shared", nullptr));
  SetClientValue(printer, u"C:\\Shared");
  WCHAR buf[MAX_PATH];
  PathGetSharedDirOfPrinter(buf, MAX_PATH, printer);
  EXPECT_EQ(Str(buf), u"C:\\_zolt");
  ClosePrinter(printer);
}

TEST_F(ClientFolders, UserProfileValueWithoutAProfileDoesNotLoop) {
  // The profile folder cannot be had without a user stand-in module: the per-user folder then
  // falls back to the shared folder, whose client value names the per-user folder again.
  const std::u16string userEnv = u"C:\\Windows\\System32\\UserEnv.dll";
  ASSERT_TRUE(DeleteFileW(userEnv.c_str()));
  HANDLE printer = OpenConnection();
  ASSERT_NE(printer, nullptr);
  SetClientValue(printer, u"%USERPROFILE%");
  WCHAR buf[MAX_PATH];
  EXPECT_GT(PathGetSharedDirOfPrinter(buf, MAX_PATH, printer), 0);
  EXPECT_EQ(Str(buf), u"C:\\_zolt\\_zolt");
  EXPECT_EQ(PathGetProfileDirStrict(buf, MAX_PATH, printer, nullptr), 0);
  ClosePrinter(printer);
}

TEST_F(ClientFolders, NamesOfLocalPrintersAndConnections) {
  HANDLE local = OpenTestPrinter();
  HANDLE remote = OpenConnection();
  ASSERT_NE(local, nullptr);
  ASSERT_NE(remote, nullptr);
  DriverContext* ctx = CtxCreateWithFlags(local, local, nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(Str(PrnGetName(ctx)), kPrinterName);
  EXPECT_EQ(Str(CfgInstallSection(ctx)), kPrinterName);
  EXPECT_EQ(Str(PrnGetPlainName(ctx)), kPrinterName);
  EXPECT_EQ(Str(PrnGetDriverName(ctx)), kDriverName);
  EXPECT_EQ(PrnIsRemotePrinter(ctx), 0);
  CtxReleaseAs(ctx, kCtxReleaseDestroy);

  // On Windows Vista and later a connection's name uses the server's short name.
  ctx = CtxCreateWithFlags(remote, remote, nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(Str(PrnGetName(ctx)), u"\\\\PS1\\P1");
  EXPECT_EQ(Str(PrnGetPlainName(ctx)), u"\\\\printsrv01\\P1");
  EXPECT_EQ(PrnIsRemotePrinter(ctx), 1);
  CtxReleaseAs(ctx, kCtxReleaseDestroy);

  WCHAR name[MAX_PATH];
  ASSERT_EQ(PrnGetSectionNameOf(remote, name, MAX_PATH), 1);
  EXPECT_EQ(Str(name), u"\\\\PS1\\P1");
  EXPECT_EQ(PrnGetNameOf(remote, name, 10), 0);  // the name does not fit
  WCHAR driver[kCtxShortNameChars];
  ASSERT_EQ(PrnGetDriverNameOf(local, driver), 1);
  EXPECT_EQ(Str(driver), kDriverName);
  // A name that does not begin with "\\" is never changed.
  WCHAR plain[MAX_PATH] = u"Office";
  EXPECT_EQ(PrnQualifyServerName(remote, plain, MAX_PATH), 0);
  EXPECT_EQ(Str(plain), u"Office");
  EXPECT_EQ(Str(CfgBatchInstallDoneKey()), u"BatchInstallDone");
  ClosePrinter(local);
  ClosePrinter(remote);
}

TEST_F(ClientFolders, ClientSideRenderingNamesResolveToTheServer) {
  zolt::host::PrinterSetup remote;
  remote.name = u"P2";
  remote.driver = kDriverName;
  std::string error;
  ASSERT_TRUE(zolt::host::AddClientConnection({u"printsrv02", u"", true}, remote, &error)) << error;
  std::u16string name = u"\\\\CSR|printsrv02\\P2";
  HANDLE printer = nullptr;
  ASSERT_TRUE(OpenPrinterW(name.data(), &printer, nullptr));
  DriverContext* ctx = CtxCreateWithFlags(printer, printer, nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(Str(PrnGetPlainName(ctx)), name);
  EXPECT_EQ(Str(PrnGetResolvedName(ctx)), u"\\\\printsrv02\\P2");
  CtxReleaseAs(ctx, kCtxReleaseDestroy);

  // A "\\CSR|" name without a "\" after the server part is not resolved: the plain name is used.
  std::u16string server = u"\\\\printsrv02";
  std::u16string odd = u"\\\\CSR|printsrv02";
  PRINTER_INFO_2W record{};
  record.pServerName = server.data();
  record.pPrinterName = odd.data();
  WCHAR out[MAX_PATH];
  EXPECT_EQ(PrnResolveName(printer, out, MAX_PATH, &record), out);
  EXPECT_EQ(Str(out), odd);
  EXPECT_EQ(PrnResolveCsrName(printer, out, MAX_PATH, nullptr), nullptr);
  ClosePrinter(printer);
}

class PathJoins : public DriverMachineTest {
 protected:
  void SetUp() override {
    EnvResetSystemCaches();
    DriverMachineTest::SetUp();
  }
};

TEST_F(PathJoins, JoinsFitOrLeaveAnEmptyResult) {
  HANDLE printer = OpenTestPrinter();
  DriverContext* ctx = CtxCreateWithFlags(printer, printer, nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  // "C:\_zolt" + "\" + name + terminator must fit.
  WCHAR dst[20];
  ASSERT_EQ(PathInSharedDir(dst, 20, u"0123456789", ctx), 1);
  EXPECT_EQ(Str(dst), u"C:\\_zolt\\0123456789");
  EXPECT_EQ(PathInSharedDir(dst, 20, u"0123456789A", ctx), 0);
  EXPECT_EQ(Str(dst), u"");
  // NULL arguments or size 0 leave dst as it is.
  dst[0] = u'x';
  dst[1] = u'\0';
  EXPECT_EQ(PathInSharedDir(dst, 0, u"a", ctx), 0);
  EXPECT_EQ(PathInSharedDir(dst, 20, nullptr, ctx), 0);
  EXPECT_EQ(Str(dst), u"x");

  WCHAR path[MAX_PATH];
  ASSERT_EQ(PathInWindowsDir(path, MAX_PATH, u"qvdb.ini"), 1);
  EXPECT_EQ(Str(path), u"C:\\Windows\\qvdb.ini");
  ASSERT_EQ(PathInSystemDir(path, MAX_PATH, u"ZOLT.ini"), 1);
  EXPECT_EQ(Str(path), u"C:\\Windows\\System32\\ZOLT.ini");
  EXPECT_EQ(PathInSystemDir(path, 20, u"ZOLT.ini"), 0);  // the folder alone is too long
  EXPECT_EQ(Str(path), u"");
  ASSERT_EQ(PathInUserDirOf(path, MAX_PATH, u"a.rst", printer, nullptr), 1);
  EXPECT_EQ(Str(path), u"C:\\Users\\user\\_zolt\\a.rst");

  const std::u16string driverDir = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\";
  EXPECT_EQ(Str(PathGetDriverDir(ctx)), driverDir);
  ASSERT_EQ(PathInDriverDir(path, MAX_PATH, u"ZOLTPLUG.ini", printer), 1);
  EXPECT_EQ(Str(path), driverDir + u"ZOLTPLUG.ini");
  EXPECT_EQ(PathInDriverDir(path, static_cast<int>(driverDir.size()) + 5, u"ZOLTPLUG.ini", printer), 0);
  EXPECT_EQ(Str(path), u"");  // checked, unlike a plain copy
  WCHAR untouched[8] = u"keep";
  EXPECT_EQ(PathInDriverDir(untouched, 8, u"x", nullptr), 0);  // no driver information
  EXPECT_EQ(Str(untouched), u"keep");
  ASSERT_EQ(PathInDriverDirOf(path, MAX_PATH, u"b.dll", nullptr, u"D:\\drv\\zoltgr.dll"), 1);
  EXPECT_EQ(Str(path), u"D:\\drv\\b.dll");

  EXPECT_EQ(Str(PathGetDriverIni(ctx)), driverDir + u"QVF9D172.ini");
  EXPECT_EQ(Str(PathGetInstallListIni(ctx)), driverDir + u"QVINSTPR.INI");
  // The context-free settings-file path honours the caller's size.
  ASSERT_EQ(PathGetSettingsIniOf(path, MAX_PATH, 0, printer), 1);
  EXPECT_EQ(Str(path), u"C:\\_zolt\\QVF9D170.ini");
  EXPECT_EQ(PathGetSettingsIniOf(path, 21, 0, printer), 0);
  EXPECT_EQ(Str(path), u"");
  ASSERT_EQ(PathGetDriverIniOf(printer, path), 1);
  EXPECT_EQ(Str(path), driverDir + u"QVF9D172.ini");
  // Without a printer the driver directory of older systems stands in.
  PathGetDriverDirOf(nullptr, path, MAX_PATH);
  EXPECT_EQ(Str(path), u"C:\\Windows\\System32\\spool\\drivers\\w32x86\\2\\");

  CtxReleaseAs(ctx, kCtxReleaseDestroy);
  ClosePrinter(printer);
}

TEST_F(PathJoins, RelativeNamesAndSystemVariables) {
  struct UpCase {
    const char16_t* name;
    int size;
    const char16_t* result;
  } ups[] = {
      {u"..\\temp\\a.ini", MAX_PATH, u"C:\\Windows\\temp\\a.ini"},
      {u"..\\..\\x", MAX_PATH, u"C:\\x"},
      {u"..\\..\\..\\x", MAX_PATH, u""},  // more levels than the system directory has
      {u"x", MAX_PATH, u""},               // no "..\"
      {u"..\\temp\\a.ini", 21, u""},       // does not fit
      {u"..\\temp\\a.ini", 22, u"C:\\Windows\\temp\\a.ini"},
  };
  for (const UpCase& c : ups) {
    WCHAR dst[MAX_PATH] = u"old";
    PathResolveUpFromSystemDir(dst, c.size, c.name);
    EXPECT_EQ(Str(dst), c.result) << Narrow(c.name) << " " << c.size;
  }

  struct VarCase {
    const char16_t* path;
    int result;
    const char16_t* expanded;
  } vars[] = {
      {u"D:\\info.ini", 1, u"D:\\info.ini"},
      {u"%SYSTEMDRIVE%info.ini", 1, u"C:\\info.ini"},
      {u"%systemroot%info.ini", 1, u"C:\\Windows\\info.ini"},
      {u"relative.ini", 0, u"relative.ini"},
  };
  for (const VarCase& c : vars) {
    WCHAR path[MAX_PATH];
    std::u16string(c.path).copy(path, MAX_PATH);
    path[std::u16string(c.path).size()] = u'\0';
    EXPECT_EQ(PathExpandSystemVars(path, MAX_PATH, nullptr) != 0, c.result != 0) << Narrow(c.path);
    EXPECT_EQ(Str(path), c.expanded) << Narrow(c.path);
  }
  WCHAR path[MAX_PATH] = u"%SYSTEMDRIVE%abcd";
  EXPECT_EQ(PathExpandSystemVars(path, 7, nullptr), 0);  // rest + 4 does not fit
  EXPECT_EQ(Str(path), u"");
}

TEST_F(PathJoins, ProfileAndLocalLowFolders) {
  HANDLE printer = OpenTestPrinter();
  WCHAR buf[MAX_PATH];
  ASSERT_EQ(PathGetProfileDirStrict(buf, MAX_PATH, printer, nullptr), 1);
  EXPECT_EQ(Str(buf), u"C:\\Users\\user");
  ASSERT_EQ(PathGetLocalLowDir(buf, MAX_PATH), 1);
  EXPECT_EQ(Str(buf), u"C:\\Users\\user\\AppData\\LocalLow");
  EXPECT_EQ(PathGetLocalLowDir(buf, 10), 0);
  EXPECT_EQ(PathGetSystemDir(buf, MAX_PATH, nullptr), 19u);
  EXPECT_EQ(Str(buf), u"C:\\Windows\\System32");
  ClosePrinter(printer);
}

TEST_F(PathJoins, SharedFolderIsCreatedHiddenAndRemovedWithItsFiles) {
  HANDLE printer = OpenTestPrinter();
  ASSERT_EQ(PathCreateSharedDirOf(printer), 1);
  const DWORD attributes = GetFileAttributesW(u"C:\\_zolt");
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(PathCreateSharedDirOf(printer), 1);  // already there

  zolt::test::WriteBytes(Real(u"C:\\_zolt\\QV00C171.ini"), "[S]\r\n");
  ASSERT_TRUE(CreateDirectoryW(u"C:\\_zolt\\sub", nullptr));
  zolt::test::WriteBytes(Real(u"C:\\_zolt\\sub\\a.rsb"), "x");
  DriverContext* ctx = CtxCreateWithFlags(printer, printer, nullptr, kCtxKindTablesOnly, kCtxModeUi);
  EXPECT_EQ(PathSecureSharedData(ctx), 1);
  CtxReleaseAs(ctx, kCtxReleaseDestroy);

  WCHAR folder[MAX_PATH];
  ASSERT_GT(PathGetDefaultSharedDir(folder, MAX_PATH), 0);
  EXPECT_EQ(Str(folder), u"C:\\_zolt");
  EXPECT_EQ(PathRemoveDefaultSharedDir(printer), 1);
  EXPECT_EQ(GetFileAttributesW(u"C:\\_zolt"), INVALID_FILE_ATTRIBUTES);
  ClosePrinter(printer);
}

TEST(SecurityDescriptors, EveryoneDaclAndAdministratorOwner) {
  PSECURITY_DESCRIPTOR everyone = EnvCreateEveryoneSd();
  ASSERT_NE(everyone, nullptr);
  EXPECT_TRUE(IsValidSecurityDescriptor(everyone));
  BOOL present = FALSE;
  BOOL defaulted = TRUE;
  PACL acl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(everyone, &present, &acl, &defaulted));
  EXPECT_TRUE(present);
  EXPECT_FALSE(defaulted);
  ASSERT_NE(acl, nullptr);
  void* ace = nullptr;
  ASSERT_TRUE(GetAce(acl, 0, &ace));
  auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
  EXPECT_EQ(allowed->Mask, 0x1F01FFu);
  EXPECT_EQ(allowed->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
  EnvFreeEveryoneSd(everyone);

  PSECURITY_DESCRIPTOR owner = EnvCreateAdminOwnerSd();
  ASSERT_NE(owner, nullptr);
  PSID sid = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorOwner(owner, &sid, &defaulted));
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                       &admins));
  EXPECT_TRUE(EqualSid(sid, admins));
  FreeSid(admins);
  EnvFreeAdminOwnerSd(owner);
}

}  // namespace
