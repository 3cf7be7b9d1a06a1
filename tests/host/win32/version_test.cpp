// GetVersionEx and VerifyVersionInfo over machines of several versions.
#include <gtest/gtest.h>

#include "machine_fixture.h"
#include "win32/windows.h"

namespace {

using zolt::host::MachineFacts;

MachineFacts Version(DWORD major, DWORD minor, WORD sp, WORD suite = 0, DWORD platform = 2) {
  MachineFacts f;
  f.majorVersion = major;
  f.minorVersion = minor;
  f.servicePackMajor = sp;
  f.suiteMask = suite;
  f.platformId = platform;
  f.buildNumber = major == 5 ? (minor == 0 ? 2195 : minor == 1 ? 2600 : 3790) : 19045;
  return f;
}

using VersionTest = zolt::test::MachineTest;

TEST_F(VersionTest, GetVersionExAnswersBothRecordSizes) {
  ASSERT_TRUE(zolt::host::Machine::SetFacts(Version(5, 0, 3)));
  OSVERSIONINFOEXW ex{};
  ex.dwOSVersionInfoSize = sizeof ex;
  ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex)));
  EXPECT_EQ(ex.dwMajorVersion, 5u);
  EXPECT_EQ(ex.dwMinorVersion, 0u);
  EXPECT_EQ(ex.dwBuildNumber, 2195u);
  EXPECT_EQ(ex.dwPlatformId, DWORD(VER_PLATFORM_WIN32_NT));
  EXPECT_EQ(ex.wServicePackMajor, 3);
  EXPECT_EQ(std::u16string(ex.szCSDVersion), u"Service Pack 3");
  // The short record: the fields past it are not touched.
  OSVERSIONINFOEXW shortOne;
  std::memset(&shortOne, 0xAB, sizeof shortOne);
  shortOne.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
  ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&shortOne)));
  EXPECT_EQ(shortOne.dwMajorVersion, 5u);
  EXPECT_EQ(shortOne.wServicePackMajor, 0xABAB);
  OSVERSIONINFOW bad{};
  bad.dwOSVersionInfoSize = 100;
  SetLastError(0);
  EXPECT_FALSE(GetVersionExW(&bad));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  OSVERSIONINFOA a{};
  a.dwOSVersionInfoSize = sizeof a;
  ASSERT_TRUE(GetVersionExA(&a));
  EXPECT_STREQ(a.szCSDVersion, "Service Pack 3");
}

// The driver's terminal-server question.
BOOL IsTerminalServer() {
  OSVERSIONINFOEXW want{};
  want.dwOSVersionInfoSize = sizeof want;
  want.wSuiteMask = VER_SUITE_TERMINAL;
  return VerifyVersionInfoW(&want, VER_SUITENAME, VerSetConditionMask(0, VER_SUITENAME, VER_AND));
}

// "Windows 2000 SP4 or later".
BOOL Is2000Sp4OrLater() {
  OSVERSIONINFOEXW want{};
  want.dwOSVersionInfoSize = sizeof want;
  want.dwMajorVersion = 5;
  want.dwMinorVersion = 0;
  want.wServicePackMajor = 4;
  ULONGLONG mask = 0;
  mask = VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
  mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
  mask = VerSetConditionMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
  return VerifyVersionInfoW(&want, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR, mask);
}

TEST_F(VersionTest, VerifyVersionInfoOverSeveralMachines) {
  struct Case {
    const char* what;
    MachineFacts facts;
    BOOL terminal;
    BOOL sp4;
  } cases[] = {
      {"2000 SP3", Version(5, 0, 3), FALSE, FALSE},
      {"2000 SP4", Version(5, 0, 4), FALSE, TRUE},
      {"XP SP0", Version(5, 1, 0), FALSE, TRUE},  // a later minor version beats the service pack
      {"2003 terminal server", Version(5, 2, 1, VER_SUITE_TERMINAL | VER_SUITE_ENTERPRISE), TRUE, TRUE},
      {"10", Version(10, 0, 0), FALSE, TRUE},
      {"NT 4 SP6", Version(4, 0, 6), FALSE, FALSE},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(zolt::host::Machine::SetFacts(c.facts));
    SetLastError(0);
    EXPECT_EQ(IsTerminalServer(), c.terminal) << c.what;
    if (!c.terminal) {
      EXPECT_EQ(GetLastError(), DWORD(ERROR_OLD_WIN_VERSION)) << c.what;
    }
    EXPECT_EQ(Is2000Sp4OrLater(), c.sp4) << c.what;
  }
}

TEST_F(VersionTest, ConditionMaskLayoutAndSuiteOr) {
  EXPECT_EQ(VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL), 3ull << 3);
  EXPECT_EQ(VerSetConditionMask(0, VER_SUITENAME, VER_AND), 6ull << 18);
  EXPECT_EQ(VerSetConditionMask(0, VER_PRODUCT_TYPE, VER_EQUAL), 1ull << 21);
  ASSERT_TRUE(zolt::host::Machine::SetFacts(Version(5, 2, 0, VER_SUITE_ENTERPRISE)));
  OSVERSIONINFOEXW want{};
  want.dwOSVersionInfoSize = sizeof want;
  want.wSuiteMask = VER_SUITE_TERMINAL | VER_SUITE_ENTERPRISE;
  EXPECT_TRUE(VerifyVersionInfoW(&want, VER_SUITENAME, VerSetConditionMask(0, VER_SUITENAME, VER_OR)));
  EXPECT_FALSE(VerifyVersionInfoW(&want, VER_SUITENAME, VerSetConditionMask(0, VER_SUITENAME, VER_AND)));
  want.wProductType = VER_NT_WORKSTATION;
  EXPECT_TRUE(VerifyVersionInfoW(&want, VER_PRODUCT_TYPE, VerSetConditionMask(0, VER_PRODUCT_TYPE, VER_EQUAL)));
  SetLastError(0);
  EXPECT_FALSE(VerifyVersionInfoW(&want, VER_MAJORVERSION, 0));  // no condition given
  EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_ARGUMENTS));
}

}  // namespace
