#include <gtest/gtest.h>

#include "machine_fixture.h"
#include "win32/machine.h"

namespace fs = std::filesystem;
using namespace zolt::host;

namespace {

TEST(MachineTest, DefaultsAreWindows10WithOneAdministrator) {
  zolt::test::ScopedMachine m;
  const MachineFacts& f = Machine::Facts();
  EXPECT_EQ(f.majorVersion, 10u);
  EXPECT_EQ(f.buildNumber, 19045u);
  EXPECT_EQ(f.ansiCodePage, 1252u);
  EXPECT_EQ(f.userLocale, 0x0409u);
  EXPECT_EQ(f.userName, "user");
  EXPECT_TRUE(f.userIsAdmin);
  EXPECT_FALSE(f.IsTerminalServer());
  EXPECT_EQ(f.HostImage(), "C:\\Windows\\System32\\spoolsv.exe");
  EXPECT_TRUE(fs::is_directory(m.Root() / "drive_c/Windows/System32/spool/drivers/x64/3"));
  EXPECT_TRUE(fs::is_directory(m.Root() / "drive_c/Users/user/AppData/LocalLow"));
}

TEST(MachineTest, FactsRoundTripThroughMachineIni) {
  MachineFacts f;
  f.majorVersion = 5;
  f.minorVersion = 0;
  f.servicePackMajor = 3;
  f.suiteMask = 0x10;
  f.ansiCodePage = 932;
  f.userLocale = 0x0411;
  f.userName = "taro";
  f.userIsAdmin = false;
  zolt::test::ScopedMachine m(f);
  MachineFacts back;
  ASSERT_TRUE(LoadMachineFacts(m.Root(), back));
  EXPECT_EQ(back.majorVersion, 5u);
  EXPECT_EQ(back.servicePackMajor, 3u);
  EXPECT_TRUE(back.IsTerminalServer());
  EXPECT_EQ(back.ansiCodePage, 932u);
  EXPECT_EQ(back.userLocale, 0x0411u);
  EXPECT_EQ(back.userName, "taro");
  EXPECT_FALSE(back.userIsAdmin);
  EXPECT_EQ(back.WindowsDirectory(), "C:\\WINNT");
  EXPECT_EQ(back.UserProfileDirectory(), "C:\\Documents and Settings\\taro");
  EXPECT_TRUE(fs::is_directory(m.Root() / "drive_c/WINNT/system32"));
}

TEST(MachineTest, MissingFactsTakeTheDefaults) {
  zolt::test::ScopedMachine m;
  zolt::test::WriteBytes(m.Root() / "machine.ini", "[Machine]\r\nMajorVersion=6\r\n");
  Machine::Reload();
  EXPECT_EQ(Machine::Facts().majorVersion, 6u);
  EXPECT_EQ(Machine::Facts().ansiCodePage, 1252u);
  EXPECT_EQ(Machine::Facts().userName, "user");
}

}  // namespace
