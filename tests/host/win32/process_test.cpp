// CreateProcessW over registered programs: the launch record, waits and exit codes.
#include <gtest/gtest.h>

#include <atomic>

#include "machine_fixture.h"
#include "win32/hostprocess.h"
#include "win32/windows.h"

namespace {

class ProcessTest : public zolt::test::MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    zolt::host::ResetPrograms();
    zolt::test::WriteBytes(Root() / "drive_c/Windows/System32/spool/drivers/x64/3/Setup.exe", "MZ");
  }
  void TearDown() override {
    zolt::host::ResetPrograms();
    MachineTest::TearDown();
  }
  static constexpr const char16_t* kDriverDir = u"C:\\Windows\\System32\\spool\\drivers\\x64\\3";
};

TEST_F(ProcessTest, ProgramRunsOnItsOwnThreadAndGivesItsExitCode) {
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> ran{false};
  zolt::host::RegisterProgram(u"c:\\windows\\system32\\SPOOL\\drivers\\x64\\3\\setup.EXE",
                              [&](const zolt::host::ProgramLaunch&) -> DWORD {
                                WaitForSingleObject(go, INFINITE);
                                ran = true;
                                return 42;
                              });
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi{};
  WCHAR commandLine[] = u"";
  ASSERT_TRUE(CreateProcessW(u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\Setup.exe", commandLine, nullptr,
                             nullptr, FALSE, 0, nullptr, kDriverDir, &si, &pi));
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
  EXPECT_EQ(code, DWORD(STILL_ACTIVE));
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 20), DWORD(WAIT_TIMEOUT));
  SetEvent(go);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, INFINITE), DWORD(WAIT_OBJECT_0));
  EXPECT_TRUE(ran);
  ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
  EXPECT_EQ(code, 42u);
  EXPECT_EQ(WaitForSingleObject(pi.hThread, 0), DWORD(WAIT_OBJECT_0));
  EXPECT_EQ(GetProcessId(pi.hProcess), pi.dwProcessId);
  auto launches = zolt::host::ProgramLaunches();
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].program, u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\Setup.exe");
  EXPECT_EQ(launches[0].commandLine, u"");
  EXPECT_EQ(launches[0].currentDirectory, kDriverDir);
  EXPECT_EQ(launches[0].startupFlags, DWORD(STARTF_USESHOWWINDOW));
  EXPECT_EQ(launches[0].showWindow, SW_HIDE);
  EXPECT_EQ(launches[0].processId, pi.dwProcessId);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  CloseHandle(go);
}

TEST_F(ProcessTest, CommandLineNamesTheProgramAndTheCurrentDirectoryDefaults) {
  zolt::test::WriteBytes(Root() / "drive_c/Windows/System32/tool.exe", "MZ");
  zolt::host::RegisterProgram(u"C:\\Windows\\System32\\tool.exe", [](const zolt::host::ProgramLaunch& l) {
    return static_cast<DWORD>(l.commandLine.size());
  });
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  WCHAR commandLine[] = u"tool /quiet";
  ASSERT_TRUE(CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, INFINITE), DWORD(WAIT_OBJECT_0));
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 11u);
  EXPECT_EQ(zolt::host::ProgramLaunches().at(0).currentDirectory, u"C:\\Windows\\System32");
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
}

TEST_F(ProcessTest, ProgramsThatCannotStart) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  struct Case {
    const char16_t* program;
    const char16_t* directory;
    DWORD error;
  } cases[] = {
      {u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\Missing.exe", nullptr, ERROR_FILE_NOT_FOUND},
      {u"C:\\No\\Such\\Folder\\x.exe", nullptr, ERROR_PATH_NOT_FOUND},
      {u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\Setup.exe", nullptr, ERROR_BAD_EXE_FORMAT},  // not registered
      {u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\Setup.exe", u"C:\\Nowhere", ERROR_DIRECTORY},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(CreateProcessW(c.program, nullptr, nullptr, nullptr, FALSE, 0, nullptr, c.directory, &si, &pi));
    EXPECT_EQ(GetLastError(), c.error) << zolt::host::ProgramLaunches().size();
  }
  EXPECT_TRUE(zolt::host::ProgramLaunches().empty());
}

}  // namespace
