// Deployment of driver files: the installation files listed in the driver defaults, the listed
// names expanded for the system directory, and the companion files the cache refresh copies.
#include "deploy_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core_memory.h"
#include "env_system.h"
#include "ini_file.h"
#include "machine_fixture.h"
#include "path_files.h"
#include "scenario_install.h"
#include "settings_paths.h"

namespace {

using std::u16string;
using zolt::test::ReadBytes;
using zolt::test::WriteBytes;

constexpr ULONGLONG kOlder = 133000000000000000ull;
constexpr ULONGLONG kNewer = kOlder + 10000000ull * 3600;

class DeployFiles : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    EnvResetSystemCaches();
    printer_ = OpenTestPrinter();
    ctx_ = CtxCreateWithFlags(printer_, printer_, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    ASSERT_NE(ctx_, nullptr);
    auto* di3 = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(printer_, 3));
    ASSERT_NE(di3, nullptr);
    driverDir_ = di3->pDriverPath;
    driverDir_.resize(driverDir_.rfind(u'\\') + 1);
    MdlFreeMem(di3);
    WCHAR folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    systemDir_ = u16string(folder) + u"\\";
    GetWindowsDirectoryW(folder, MAX_PATH);
    windowsDir_ = u16string(folder) + u"\\";
    ini_ = driverDir_ + u"QVF9D172.ini";
  }
  void TearDown() override {
    CtxReleaseAs(ctx_, kCtxReleaseDestroy);
    ClosePrinter(printer_);
    DriverMachineTest::TearDown();
  }
  void Put(const u16string& path, std::string_view bytes, ULONGLONG time) {
    WriteBytes(Real(path), bytes);
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME ft{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
  }
  ULONGLONG TimeOf(const u16string& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    FILETIME ft{};
    GetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  }
  std::string Read(const u16string& path) { return ReadBytes(Real(path)); }

  HANDLE printer_ = nullptr;
  DriverContext* ctx_ = nullptr;
  u16string driverDir_, systemDir_, windowsDir_, ini_;
};

TEST_F(DeployFiles, ListedNamesExpandForTheSystemDirectory) {
  const struct {
    const char16_t* name;
    u16string expected;  // empty: refused
  } cases[] = {
      {u"a.dll", systemDir_ + u"a.dll"},
      {u".\\b.dll", systemDir_ + u"b.dll"},
      {u"%SysDir%\\c.dll", systemDir_ + u"c.dll"},
      {u"%windir%\\d.ini", windowsDir_ + u"d.ini"},
      {u"..\\e.ini", windowsDir_ + u"e.ini"},
      {u"D:\\Keep\\f.dll", u"D:\\Keep\\f.dll"},
  };
  for (const auto& c : cases) {
    WCHAR name[MAX_PATH];
    lstrcpynW(name, c.name, MAX_PATH);
    EXPECT_EQ(PathExpandInstallNameForSystem(name, MAX_PATH, ctx_), 1);
    EXPECT_EQ(u16string(name), c.expected);
  }
  // A result that does not fit the caller's buffer is refused, not cut.
  WCHAR small[12];
  lstrcpynW(small, u"a.dll", 12);
  EXPECT_EQ(PathExpandInstallNameForSystem(small, 12, ctx_), 0);
  EXPECT_EQ(small[0], u'\0');
  // A name longer than a path is refused.
  u16string longName(300, u'x');
  std::vector<WCHAR> buffer(longName.begin(), longName.end());
  buffer.push_back(0);
  EXPECT_EQ(PathExpandInstallNameForSystem(buffer.data(), static_cast<int>(buffer.size()), ctx_), 0);
}

TEST_F(DeployFiles, InstallFilesAreCopiedOnceAndKeepTheirTimes) {
  Put(driverDir_ + u"QVPLUG.dll", "plug v2", kNewer);
  Put(driverDir_ + u"qvpath.ini", "path", kOlder);
  IniWriteString(u"us", u"NumInstallfiles", u"3", ini_.c_str());
  IniWriteString(u"us", u"Installfiles1", u"QVPLUG.dll", ini_.c_str());
  IniWriteString(u"us", u"Installfiles2", u"", ini_.c_str());  // skipped
  IniWriteString(u"us", u"Installfiles3", u"%windir%\\qvpath.ini", ini_.c_str());
  Put(systemDir_ + u"QVPLUG.dll", "plug v1", kOlder);

  ASSERT_EQ(CfgDeployInstallFiles(ini_.c_str(), u"us", ctx_), 1);
  EXPECT_EQ(Read(systemDir_ + u"QVPLUG.dll"), "plug v2");
  EXPECT_EQ(TimeOf(systemDir_ + u"QVPLUG.dll"), kNewer);
  EXPECT_EQ(Read(windowsDir_ + u"qvpath.ini"), "path");
  // The second run finds every copy as new as its source and copies nothing.
  Put(systemDir_ + u"QVPLUG.dll", "local", kNewer);
  ASSERT_EQ(CfgDeployInstallFiles(ini_.c_str(), u"us", ctx_), 1);
  EXPECT_EQ(Read(systemDir_ + u"QVPLUG.dll"), "local");

  // No list, or an empty one: nothing looked at, still 1.
  for (const char16_t* count : {u"0", static_cast<const char16_t*>(nullptr)}) {
    IniWriteString(u"us", u"NumInstallfiles", count, ini_.c_str());
    DeleteFileW((windowsDir_ + u"qvpath.ini").c_str());
    EXPECT_EQ(CfgDeployInstallFiles(ini_.c_str(), u"us", ctx_), 1);
    EXPECT_EQ(GetFileAttributesW((windowsDir_ + u"qvpath.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

TEST_F(DeployFiles, CacheRefreshCopiesCompanionFilesAndLeavesNewerCopies) {
  Put(driverDir_ + u"qv4mon.dll", "mon v2", kNewer);
  Put(driverDir_ + u"QVPRINT.dll", "print v1", kOlder);
  Put(driverDir_ + u"QV00C140.dll", "c140", kOlder);
  Put(systemDir_ + u"QVPRINT.dll", "print v3", kNewer);  // newer than the driver's: kept
  EXPECT_NE(CfgCopyDriverFilesToSystem(printer_), 0);
  EXPECT_EQ(Read(systemDir_ + u"qv4mon.dll"), "mon v2");
  EXPECT_EQ(TimeOf(systemDir_ + u"qv4mon.dll"), kNewer);
  EXPECT_EQ(Read(systemDir_ + u"QVPRINT.dll"), "print v3");
  EXPECT_EQ(Read(systemDir_ + u"QV00C140.dll"), "c140");
  EXPECT_EQ(CfgCopyDriverFilesToSystem(nullptr), 0);
}

}  // namespace

namespace {

class DeployDriverFiles : public DeployFiles {};

TEST_F(DeployDriverFiles, WholeDeploymentCopiesOnceAndPlacesTheScenarioFiles) {
  WCHAR shared[MAX_PATH] = {};
  ASSERT_GT(PathGetSharedDir(shared, MAX_PATH, ctx_), 0);
  ASSERT_EQ(PathCreateSharedDir(ctx_), 1);
  const u16string sharedDir = u16string(shared) + u"\\";
  Put(driverDir_ + u"QV00C140.dll", "c140", kOlder);
  Put(driverDir_ + u"P1.rsd", "[us]\r\nsetname=First\r\n", kOlder);
  Put(driverDir_ + u"scen.rsb", "[us]\r\nNumDeficonfiles=1\r\nDeficonfiles1=%sysdir%P1.rsd\r\n", kOlder);
  IniWriteString(u"us", u"DefaultRst", u"scen.rsb", ini_.c_str());

  EXPECT_EQ(CfgDeployDriverFiles(ctx_, 0), 1);
  EXPECT_EQ(Read(systemDir_ + u"QV00C140.dll"), "c140");
  EXPECT_EQ(TimeOf(systemDir_ + u"QV00C140.dll"), kOlder);  // the copy keeps its source's time
  EXPECT_NE(Read(sharedDir + u"P1.rsd").find("setname=First"), std::string::npos);
  // On this system the driver-directory files are used where they are: no copy of the defaults
  // or the scenario goes into the system directory.
  EXPECT_EQ(GetFileAttributesW((systemDir_ + u"QVF9D172.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW((systemDir_ + u"scen.rsb").c_str()), INVALID_FILE_ATTRIBUTES);

  // The second run finds every copy in step: a copy changed in place (its time kept) stays.
  Put(systemDir_ + u"QV00C140.dll", "local", kOlder);
  Put(sharedDir + u"P1.rsd", "[us]\r\nsetname=Local\r\n", kOlder);
  EXPECT_EQ(CfgDeployDriverFiles(ctx_, 0), 1);
  EXPECT_EQ(Read(systemDir_ + u"QV00C140.dll"), "local");
  EXPECT_NE(Read(sharedDir + u"P1.rsd").find("setname=Local"), std::string::npos);
}

}  // namespace
