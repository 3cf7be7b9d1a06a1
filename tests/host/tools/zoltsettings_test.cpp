// The settings utility as a person runs it: the built C program on a machine with the driver and
// two printers, reading and changing statuses through the settings module.
#include <gtest/gtest.h>


#include <string>
#include <vector>

#include "child_process.h"
#include "machine_fixture.h"
#include "win32/hostspooler.h"
#include "win32/windows.h"

namespace {

using ToolRun = zolt::test::ProgramRun;

class ZoltSettingsToolTest : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    zolt::host::PrinterSetup second;
    second.name = u"Front Desk";
    second.driver = kDriverName;
    std::string error;
    ASSERT_TRUE(zolt::host::AddPrinter(second, &error)) << error;
  }

  void SetIniVersion(const char16_t* version) {
    ASSERT_TRUE(WritePrivateProfileStringW(u"ZOLTAPI", u"ZOLTAPIVer", version,
                                           u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\QVF9D172.ini"));
  }

  ToolRun Tool(const std::vector<std::string>& args, bool withRoot = true) {
    return zolt::test::RunProgram(ZOLT_SETTINGS_TOOL, args, Root(), withRoot ? Root().string() : std::string());
  }

  static bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
};

TEST_F(ZoltSettingsToolTest, HelpAndWrongArguments) {
  ToolRun help = Tool({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* word : {"version", "status ID", "set ID FIELD=VALUE", "apply FILE", "Exit status"}) EXPECT_TRUE(Contains(help.out, word));
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  } cases[] = {
      {{}, 2, "usage"},
      {{"ZOLT Office 7000"}, 2, "usage"},
      {{"ZOLT Office 7000", "frobnicate"}, 2, "unknown command frobnicate"},
      {{"ZOLT Office 7000", "status", "x"}, 2, "needs a status id"},
      {{"ZOLT Office 7000", "status", "0"}, 2, "needs a status id"},
      {{"ZOLT Office 7000", "set", "3"}, 2, "at least one FIELD=VALUE"},
      {{"ZOLT Office 7000", "apply"}, 2, "apply takes one FILE or -"},
      {{"ZOLT Office 7000", "set", "3", "colour=2"}, 2, "not a FIELD=VALUE of a known field: colour=2"},
      {{"ZOLT Office 7000", "set", "3", "value=abc"}, 2, "not a FIELD=VALUE"},
      {{"No Such Printer", "status", "3"}, 1, "cannot find the driver of printer No Such Printer"},
      {{"ZOLT Office 7000", "status", "37"}, 1, "does not answer this status (interface error 2)"},
      {{"ZOLT Office 7000", "set", "3", "value=32767"}, 1, "refused the change (interface error 7)"},
  };
  SetIniVersion(u"22");
  for (const auto& c : cases) {
    ToolRun r = Tool(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_TRUE(Contains(r.err, c.message)) << r.err;
  }
  ToolRun noRoot = Tool({"ZOLT Office 7000", "version"}, false);
  EXPECT_EQ(noRoot.status, 2);
  EXPECT_TRUE(Contains(noRoot.err, "ZOLT_MACHINE_ROOT names no machine"));
}

TEST_F(ZoltSettingsToolTest, VersionStatusAndSetOnTwoPrinters) {
  ToolRun version = Tool({"ZOLT Office 7000", "version"});
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out, "ZOLT Office 7000: settings interface version 3\n");
  SetIniVersion(u"22");
  version = Tool({"Front Desk", "version"});
  EXPECT_EQ(version.out, "Front Desk: settings interface version 22\n");

  ToolRun status = Tool({"ZOLT Office 7000", "status", "3"});
  EXPECT_EQ(status.status, 0) << status.err;
  EXPECT_EQ(status.out,
            "status 3 (media type): record version 1, 32 bytes\n"
            "  value    1\n  field8   0\n  field12  0\n  field16  0\n  field20  0\n  field24  0\n  switch   0\n");

  // Transparencies (media value 2) drag the paper source to the bypass tray.
  ToolRun set = Tool({"Front Desk", "set", "3", "value=2"});
  EXPECT_EQ(set.status, 0) << set.err;
  EXPECT_TRUE(Contains(set.out, "status 3 (media type) set\nchanged with it:\nstatus 2 (paper source)")) << set.out;

  ToolRun orientation = Tool({"Front Desk", "set", "6", "value=0x2"});
  EXPECT_EQ(orientation.status, 0) << orientation.err;
  EXPECT_TRUE(Contains(orientation.out, "status 6 (orientation) set\n")) << orientation.out;
}

TEST_F(ZoltSettingsToolTest, CapsPrintsEveryCapability) {
  SetIniVersion(u"22");
  ToolRun caps = Tool({"Front Desk", "caps"});
  EXPECT_EQ(caps.status, 0) << caps.err;
  EXPECT_TRUE(Contains(caps.out, "     id  answer  [entries]\n      1  1\n")) << caps.out;
  EXPECT_TRUE(Contains(caps.out, "\n     58  0\n")) << caps.out;
  EXPECT_TRUE(Contains(caps.out, "\n    282  ")) << caps.out;
  EXPECT_TRUE(Contains(caps.out, "\n0x50000  ")) << caps.out;
  EXPECT_TRUE(Contains(caps.out, "\n     10  ")) << caps.out;
  // The whole record agrees with the single answers it holds.
  EXPECT_TRUE(Contains(caps.out, "\nall capabilities in one record: ")) << caps.out;
  EXPECT_FALSE(Contains(caps.out, "not available")) << caps.out;
  ToolRun extra = Tool({"Front Desk", "caps", "1"});
  EXPECT_EQ(extra.status, 2);
  EXPECT_TRUE(Contains(extra.err, "caps takes no arguments")) << extra.err;
}

}  // namespace

namespace {

constexpr char kBlock[] =
    "@PJL SET APLPAGESIZE = A4 \r\n"
    "@PJL SET APLPAGELAYOUT = PORTRAIT \r\n"
    "@PJL SET PAPER = SAME \r\n"
    "@PJL SET TRAY = TRAY1 \r\n"
    "@PJL SET NUP = 4IN1P2 \r\n";

TEST_F(ZoltSettingsToolTest, JobLanguageBlocksValuesAndDeviceMode) {
  const std::filesystem::path block = Root() / "block.pjl";
  zolt::test::WriteBytes(block, kBlock);
  ToolRun taken = Tool({"ZOLT Office 7000", "pjl", block.string()});
  EXPECT_EQ(taken.status, 0) << taken.err;
  EXPECT_EQ(taken.out, "the printer takes every line as given\n");

  struct Case {
    std::string text;
    int status;
    const char* message;
  } refused[] = {
      {"@PJL SET APLPAGESIZE = A4 \r\n", 1, "does not set every required command"},
      {"@PJL SET APLPAGESIZE=A4\r\n", 1, "not \"@PJL SET NAME = VALUE\""},
      {std::string("@PJL SET TRAY = A\0B \r\n", 22), 2, "holds a NUL byte"},
  };
  for (const Case& c : refused) {
    zolt::test::WriteBytes(block, c.text);
    ToolRun r = Tool({"Front Desk", "pjl", block.string()});
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_TRUE(Contains(r.err, c.message)) << r.err;
  }
  ToolRun missing = Tool({"Front Desk", "pjl", (Root() / "nothing.pjl").string()});
  EXPECT_EQ(missing.status, 2);

  ToolRun values = Tool({"ZOLT Office 7000", "pjl-values", "TRAY"});
  EXPECT_EQ(values.status, 0) << values.err;
  EXPECT_EQ(values.out, "ALL\nTRAY1\nTRAY2\nMULTI\n");
  zolt::test::WriteBytes(block, kBlock);
  ToolRun allowed = Tool({"Front Desk", "pjl-values", "DUPLEX", block.string()});
  EXPECT_EQ(allowed.status, 1);  // DUPLEX is not in the block
  allowed = Tool({"Front Desk", "pjl-values", "NUP", block.string()});
  EXPECT_EQ(allowed.status, 0) << allowed.err;
  EXPECT_TRUE(Contains(allowed.out, "4IN1P2\n")) << allowed.out;
  ToolRun option = Tool({"Front Desk", "pjl-values", "OUTBIN"});
  EXPECT_EQ(option.out, "INNER\n");
  ToolRun value = Tool({"Front Desk", "pjl-values", "TRAYPAPERORIENT1"});
  EXPECT_EQ(value.status, 0) << value.err;
  ToolRun unknown = Tool({"Front Desk", "pjl-values", "FROB"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_TRUE(Contains(unknown.err, "not a command of this printer: FROB"));

  const std::filesystem::path dm = Root() / "default.dm";
  ToolRun written = Tool({"Front Desk", "devmode", dm.string()});
  EXPECT_EQ(written.status, 0) << written.err;
  const std::string bytes = zolt::test::ReadBytes(dm);
  ASSERT_EQ(bytes.size(), 1172u);
  EXPECT_EQ(std::string(bytes.c_str()), "Front Desk");
  EXPECT_EQ(static_cast<uint8_t>(bytes[36]) | static_cast<uint8_t>(bytes[37]) << 8, 156);
  EXPECT_EQ(Tool({"Front Desk", "devmode"}).status, 2);
}

}  // namespace
