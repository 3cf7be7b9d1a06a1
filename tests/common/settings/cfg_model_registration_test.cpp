// The model's registration in the machine's model database and the installation programs that
// the driver-defaults file lists, on a machine with the driver installed.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "machine_fixture.h"
#include "model_registration.h"
#include "settings_paths.h"
#include "win32/hostprocess.h"

namespace {

using zolt::test::ReadBytes;
using zolt::test::WriteBytes;

class ModelRegistration : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    printer_ = OpenTestPrinter();
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateWithFlags(printer_, printer_, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    driverDir_ = PathGetDriverDir(ctx);
    ASSERT_FALSE(driverDir_.empty());
  }
  void TearDown() override {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    if (printer_) ClosePrinter(printer_);
    zolt::host::ResetPrograms();
    DriverMachineTest::TearDown();
  }

  void Defaults(const std::string& text) { WriteBytes(Real(driverDir_ + u"QVF9D172.ini"), text); }
  void InstallList(const std::string& text) { WriteBytes(Real(driverDir_ + u"QVINSTPR.INI"), text); }
  std::u16string DatabasePath() const { return u"C:\\Windows\\qvdb.ini"; }
  void Database(const std::string& text) { WriteBytes(Real(DatabasePath()), text); }
  std::string DatabaseText() { return ReadBytes(Real(DatabasePath())); }

  static constexpr const char* kDriver = "ZOLT Office 7000 Series";
  HANDLE printer_ = nullptr;
  DriverContext* ctx = nullptr;
  std::u16string driverDir_;
};

// ---- registration -------------------------------------------------------------------------------

TEST_F(ModelRegistration, SingleModelGoesIntoAnEmptyDatabaseWithoutItsLeadingBlanks) {
  // Quotes keep the blanks that the profile functions would otherwise trim.
  Defaults(std::string("[Models]\r\n") + kDriver + "=\"   ZOLT 7000\"\r\n");
  InstallList("[ZOLT 7000]\r\nLoadDll32=zolt7k.dll\r\nVersion32=7.70\r\n");
  ASSERT_EQ(CfgRegisterModel(ctx), 1);
  EXPECT_EQ(DatabaseText(), "[ZOLT 7000]\r\nLoadDll=zolt7k.dll\r\nResDll=Q411dat.dll\r\nVersion=7.70\r\n");
  // The work area keeps the name as the file gives it; callers skip the blanks.
  EXPECT_EQ(std::u16string(CfgGetModelName(ctx)), u"   ZOLT 7000");
}

TEST_F(ModelRegistration, ExistingDatabaseKeepsOtherModelsAndValuesTheInstallListLeavesOut) {
  Defaults(std::string("[Models]\r\n") + kDriver + "=ZOLT 7000\r\n");
  InstallList("[ZOLT 7000]\r\nLoadDll32=zolt7k.dll\r\n");  // no Version32
  Database("[Other]\r\nLoadDll=other.dll\r\n[ZOLT 7000]\r\nLoadDll=old.dll\r\nResDll=old.dll\r\nVersion=7.10\r\n"
           "Extra=1\r\n");
  ASSERT_EQ(CfgRegisterModel(ctx), 1);
  EXPECT_EQ(DatabaseText(),
            "[Other]\r\nLoadDll=other.dll\r\n[ZOLT 7000]\r\nLoadDll=zolt7k.dll\r\nResDll=Q411dat.dll\r\n"
            "Version=7.10\r\nExtra=1\r\n");
}

TEST_F(ModelRegistration, NumberedModelsAreRegisteredUntilTheFirstMissingSection) {
  Defaults(std::string("[Models]\r\n") + kDriver + "=Ignored\r\n[Models1]\r\n" + kDriver + "=\" ZOLT 7000\"\r\n" +
           "[Models2]\r\n" + kDriver + "=ZOLT 7500\r\n[Models4]\r\n" + kDriver + "=ZOLT 9000\r\n" +
           "[ZOLT 7000]\r\nResDll=Q7000dat.dll\r\n");
  InstallList("[ZOLT 7000]\r\nLoadDll32=a.dll\r\nVersion32=1\r\n[ZOLT 7500]\r\nLoadDll32=b.dll\r\n");
  ASSERT_EQ(CfgRegisterNumberedModels(ctx), 1);
  // The numbered models take "ResDll" from the driver-defaults file: none for the second.
  EXPECT_EQ(DatabaseText(), "[ZOLT 7000]\r\nLoadDll=a.dll\r\nResDll=Q7000dat.dll\r\nVersion=1\r\n"
                            "[ZOLT 7500]\r\nLoadDll=b.dll\r\n");
  DeleteFileW(DatabasePath().c_str());
  ASSERT_EQ(CfgRegisterModel(ctx), 1);
  EXPECT_EQ(DatabaseText().find("Ignored"), std::string::npos);
  EXPECT_NE(DatabaseText().find("[ZOLT 7500]"), std::string::npos);
}

TEST_F(ModelRegistration, NothingIsRegisteredWithoutAModelOrAResourceLibrary) {
  Defaults("[Models]\r\nSome Other Driver=ZOLT 7000\r\n");
  InstallList("[ZOLT 7000]\r\nLoadDll32=zolt7k.dll\r\n");
  EXPECT_EQ(CfgGetModelName(ctx), nullptr);
  EXPECT_EQ(CfgRegisterNumberedModels(ctx), 0);
  EXPECT_EQ(CfgRegisterModel(ctx), 0);
  EXPECT_EQ(CfgCheckModelDbEntry(ctx), 0);
  Defaults(std::string("[Models]\r\n") + kDriver + "=\"   \"\r\n");  // blanks only
  EXPECT_EQ(CfgRegisterModel(ctx), 0);

  Defaults(std::string("[Models]\r\n") + kDriver + "=ZOLT 7000\r\n");
  ctx->profile->modelDataLibraryName = u"";
  EXPECT_EQ(CfgRegisterModel(ctx), 1);
  EXPECT_EQ(CfgCheckModelDbEntry(ctx), 1);
  EXPECT_EQ(GetFileAttributesW(DatabasePath().c_str()), INVALID_FILE_ATTRIBUTES);
}

// ---- the check ----------------------------------------------------------------------------------

TEST_F(ModelRegistration, CheckRegistersAgainOnlyWhenAValueDiffersBeyondLetterCase) {
  Defaults(std::string("[Models]\r\n") + kDriver + "=ZOLT 7000\r\n");
  InstallList("[ZOLT 7000]\r\nLoadDll32=zolt7k.dll\r\nVersion32=7.70a\r\n");
  const std::string sameButCase = "[ZOLT 7000]\r\nLoadDll=ZOLT7K.DLL\r\nResDll=q411DAT.dll\r\nVersion=7.70A\r\n";
  Database(sameButCase);
  EXPECT_EQ(CfgCheckModelDbEntry(ctx), 1);
  EXPECT_EQ(DatabaseText(), sameButCase);

  for (const char* stale : {"[ZOLT 7000]\r\nLoadDll=ZOLT7K.DLL\r\nResDll=q411DAT.dll\r\nVersion=7.60\r\n",
                            "[ZOLT 7000]\r\nLoadDll=zolt6k.dll\r\nResDll=q411DAT.dll\r\nVersion=7.70A\r\n",
                            "[ZOLT 7000]\r\nLoadDll=ZOLT7K.DLL\r\nVersion=7.70A\r\nResDll=\r\n", ""}) {
    Database(stale);
    EXPECT_EQ(CfgCheckModelDbEntry(ctx), 1);
    const std::string text = DatabaseText();
    for (const char* line : {"LoadDll=zolt7k.dll\r\n", "ResDll=Q411dat.dll\r\n", "Version=7.70a\r\n"})
      EXPECT_NE(text.find(line), std::string::npos) << stale << " -> " << text;
  }

  WCHAR loadDll[MAX_PATH], resDll[MAX_PATH], version[MAX_PATH];
  ASSERT_EQ(CfgReadModelDbEntry(loadDll, MAX_PATH, resDll, 4, version, MAX_PATH, DatabasePath().c_str(), ctx), 1);
  EXPECT_EQ(std::u16string(resDll), u"Q41");  // cut to its buffer
  ASSERT_EQ(CfgReadInstallListEntry(loadDll, MAX_PATH, version, MAX_PATH, ctx), 1);
  EXPECT_EQ(std::u16string(loadDll), u"zolt7k.dll");
  EXPECT_EQ(std::u16string(version), u"7.70a");
}

TEST_F(ModelRegistration, NumberedCheckRewritesEveryModelWhenOneIsStale) {
  Defaults(std::string("[Models1]\r\n") + kDriver + "=A\r\n[Models2]\r\n" + kDriver + "=B\r\n" +
           "[A]\r\nResDll=Q411dat.dll\r\n[B]\r\nResDll=Q411dat.dll\r\n");
  InstallList("[A]\r\nLoadDll32=a.dll\r\nVersion32=1\r\n[B]\r\nLoadDll32=b.dll\r\nVersion32=2\r\n");
  const std::string current =
      "[A]\r\nLoadDll=a.dll\r\nResDll=Q411dat.dll\r\nVersion=1\r\n[B]\r\nLoadDll=b.dll\r\nResDll=Q411dat.dll\r\n"
      "Version=2\r\n";
  Database(current);
  EXPECT_EQ(CfgCheckNumberedModels(ctx), 1);
  EXPECT_EQ(DatabaseText(), current);
  Database("[A]\r\nLoadDll=a.dll\r\nResDll=Q411dat.dll\r\nVersion=1\r\n[B]\r\nLoadDll=x.dll\r\n");
  EXPECT_EQ(CfgCheckModelDbEntry(ctx), 1);
  EXPECT_EQ(DatabaseText(), current);
}

// ---- installation programs ----------------------------------------------------------------------

class InstallPrograms : public ModelRegistration {
 protected:
  // A program file in the driver directory whose body records that it ran to its end.
  void Program(const std::u16string& name, std::function<void()> work = {}) {
    const std::u16string path = driverDir_ + name;
    WriteBytes(Real(path), "MZ");
    zolt::host::RegisterProgram(path, [this, name, work](const zolt::host::ProgramLaunch&) -> DWORD {
      if (work) work();
      std::lock_guard guard(lock_);
      finished_.push_back(name);
      return 0;
    });
  }
  std::vector<std::u16string> Finished() {
    std::lock_guard guard(lock_);
    return finished_;
  }
  std::vector<std::u16string> Launched() {
    std::vector<std::u16string> names;
    for (const auto& launch : zolt::host::ProgramLaunches())
      names.push_back(launch.program.substr(launch.program.find_last_of(u'\\') + 1));
    return names;
  }

  std::mutex lock_;
  std::vector<std::u16string> finished_;
};

TEST_F(InstallPrograms, BothListsRunHiddenFromTheDriverDirectoryEachWaitedFor) {
  Program(u"sys1.exe", [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); });
  Program(u"drv1.exe");
  Defaults("[Expand File]\r\nSystemDirfiles=2\r\nSystemDir1=sys1.exe\r\nSystemDir2=\r\n"
           "DriverDirfiles=1\r\nDriverDir1=drv1.exe\r\n");
  CfgRunExpandFilePrograms(ctx);
  // Each program had ended before the next started and before the call returned.
  EXPECT_EQ(Finished(), (std::vector<std::u16string>{u"sys1.exe", u"drv1.exe"}));
  const auto launches = zolt::host::ProgramLaunches();
  ASSERT_EQ(launches.size(), 2u);
  WCHAR system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  const std::u16string currentDirs[] = {system, driverDir_};
  for (size_t i = 0; i < launches.size(); ++i) {
    const auto& l = launches[i];
    EXPECT_EQ(lstrcmpiW(l.program.substr(0, driverDir_.size()).c_str(), driverDir_.c_str()), 0) << i;
    EXPECT_EQ(l.commandLine, u"") << i;
    EXPECT_EQ(l.creationFlags, 0u) << i;
    EXPECT_EQ(l.startupFlags, static_cast<DWORD>(STARTF_USESHOWWINDOW)) << i;
    EXPECT_EQ(l.showWindow, SW_HIDE) << i;
    std::u16string dir = l.currentDirectory;
    if (dir.back() != u'\\') dir += u'\\';
    std::u16string want = currentDirs[i];
    if (want.back() != u'\\') want += u'\\';
    EXPECT_EQ(lstrcmpiW(dir.c_str(), want.c_str()), 0) << i;
  }
}

TEST_F(InstallPrograms, ProgramsThatCannotStartAreSkipped) {
  Program(u"good.exe");
  WriteBytes(Real(driverDir_ + u"notaprogram.exe"), "text");  // a file, but nothing the machine runs
  Defaults("[Expand File]\r\nSystemDirfiles=3\r\nSystemDir1=missing.exe\r\nSystemDir2=notaprogram.exe\r\n"
           "SystemDir3=good.exe\r\nDriverDirfiles=1\r\nDriverDir1=..\\..\\..\\..\\..\\..\\..\\..\\nothing.exe\r\n");
  CfgRunExpandFilePrograms(ctx);
  EXPECT_EQ(Launched(), std::vector<std::u16string>{u"good.exe"});
  EXPECT_EQ(Finished(), std::vector<std::u16string>{u"good.exe"});
}

TEST_F(InstallPrograms, CountsThatAreNotUsableRunNothingOrAreBounded) {
  Program(u"p.exe");
  for (const char* counts : {"SystemDirfiles=0\r\nDriverDirfiles=0\r\n", "SystemDirfiles=-3\r\nDriverDirfiles=x\r\n",
                             "SystemDirfiles=\r\n"}) {
    Defaults(std::string("[Expand File]\r\n") + counts + "SystemDir1=p.exe\r\nDriverDir1=p.exe\r\n");
    CfgRunExpandFilePrograms(ctx);
    EXPECT_TRUE(Launched().empty()) << counts;
  }
  // A huge count reads no further than the bound and runs what is listed.
  Defaults("[Expand File]\r\nSystemDirfiles=2000000000\r\nSystemDir1=p.exe\r\n");
  CfgRunExpandFilePrograms(ctx);
  EXPECT_EQ(Launched(), std::vector<std::u16string>{u"p.exe"});
}

TEST_F(InstallPrograms, AProgramThatDoesNotEndReleasesTheCallerAfterTheBound) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  Program(u"hangs.exe", [released] { released.wait(); });
  Program(u"next.exe");
  Defaults("[Expand File]\r\nSystemDirfiles=1\r\nSystemDir1=hangs.exe\r\nDriverDirfiles=1\r\nDriverDir1=next.exe\r\n");
  const DWORD previous = CfgSetInstallProgramWait(200);
  EXPECT_EQ(previous, kInstallProgramWait);
  CfgRunExpandFilePrograms(ctx);
  CfgSetInstallProgramWait(0);
  // The call came back while the first program still ran, and the next one was run.
  EXPECT_EQ(Launched(), (std::vector<std::u16string>{u"hangs.exe", u"next.exe"}));
  EXPECT_EQ(Finished(), std::vector<std::u16string>{u"next.exe"});
  release.set_value();
  for (int i = 0; i < 500 && Finished().size() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(Finished().size(), 2u);
}

}  // namespace
