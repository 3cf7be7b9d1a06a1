// The machine tool used as a person uses it: the built program, run with arguments.
#include <gtest/gtest.h>


#include <cstdlib>
#include <string>
#include <vector>

#include "child_process.h"
#include "machine_fixture.h"
#include "win32/hostpath.h"
#include "win32/hostregistry.h"
#include "win32/hostspooler.h"
#include "win32/hosttext.h"
#include "win32/windows.h"

namespace fs = std::filesystem;
using namespace zolt::host;

namespace {

using ToolRun = zolt::test::ProgramRun;

class ZoltMachineToolTest : public zolt::test::MachineTest {
 protected:
  ToolRun Tool(const std::vector<std::string>& args) {
    const char* root = std::getenv("ZOLT_MACHINE_ROOT");
    return zolt::test::RunProgram(ZOLT_MACHINE_TOOL, args, Root(), root ? root : "");
  }

  bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
};

TEST_F(ZoltMachineToolTest, HelpAndWrongArguments) {
  ToolRun help = Tool({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* command : {"install-driver", "add-printer", "list-printers", "demo"})
    EXPECT_TRUE(Contains(help.out, command)) << command;
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  } cases[] = {
      {{}, 2, "usage"},
      {{"frobnicate"}, 2, "unknown command frobnicate"},
      {{"add-printer", "x"}, 2, "needs a machine root and a printer name"},
      {{"install-driver", "/nonexistent/root"}, 1, "is not a machine root"},
      {{"install-driver", Root().string(), "--model"}, 2, "--model needs a value"},
      {{"add-printer", Root().string(), "P", "--colour"}, 2, "unknown option --colour"},
      {{"add-printer", Root().string(), "P", "--csr"}, 2, "go with --server"},
      {{"add-printer", Root().string(), "P", "--driver", "None"}, 1, "no driver \"None\" is installed"},
      {{"install-driver", Root().string(), "--modules", (Root() / "nowhere").string()}, 1, "no module folder"},
  };
  for (const auto& c : cases) {
    ToolRun r = Tool(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_TRUE(Contains(r.err, c.message)) << r.err;
    EXPECT_TRUE(c.args.empty() || r.out.empty()) << r.out;
  }
}

TEST_F(ZoltMachineToolTest, MakesAMachineWithTheDriverAndPrinters) {
  fs::path root = Root() / "made";
  ASSERT_EQ(Tool({"create", root.string(), "--version", "6.1", "--no-admin"}).status, 0);
  zolt::test::WriteBytes(Root() / "M7000.QCS", "*Model: test\r\n");
  ToolRun install = Tool({"install-driver", root.string(), "--modules", ZOLT_MODULE_DIR, "--model",
                      (Root() / "M7000.QCS").string(), "--name", "Test Driver"});
  ASSERT_EQ(install.status, 0) << install.err;
  ASSERT_EQ(Tool({"add-printer", root.string(), "Front Desk", "--driver", "Test Driver", "--port", "FILE:",
                  "--share", "desk"})
                .status,
            0);
  ToolRun conn = Tool({"add-printer", root.string(), "P1", "--driver", "Test Driver", "--server", "printsrv01",
                   "--short-name", "PS1", "--csr"});
  ASSERT_EQ(conn.status, 0) << conn.err;
  ToolRun again = Tool({"add-printer", root.string(), "Front Desk", "--driver", "Test Driver"});
  EXPECT_EQ(again.status, 1);
  EXPECT_TRUE(Contains(again.err, "exists")) << again.err;

  // What the tool made is a machine the platform calls work on.
  Machine::Use(root);
  EXPECT_FALSE(Machine::Facts().userIsAdmin);
  std::u16string name = u"Front Desk";
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterW(name.data(), &h, nullptr)) << GetLastError();
  std::vector<BYTE> buf(4096);
  DWORD needed = 0;
  ASSERT_TRUE(GetPrinterDriverW(h, nullptr, 3, buf.data(), DWORD(buf.size()), &needed));
  auto* d3 = reinterpret_cast<DRIVER_INFO_3W*>(buf.data());
  EXPECT_EQ(std::u16string(d3->pDataFile), u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\M7000.QCS");
  DWORD error = 0;
  auto model = MapPath(d3->pDataFile, Resolve::Existing, &error);
  ASSERT_TRUE(model);
  EXPECT_EQ(zolt::test::ReadBytes(*model), "*Model: test\r\n");
  ClosePrinter(h);

  // Printer data written by the spooler show in the listing.
  ASSERT_EQ(WriteHive(Hive::LocalMachine,
                      [](RegistryKey& root2, bool& changed) {
                        std::vector<std::u16string> path;
                        SplitKeyPath(std::u16string(kPrintersKey) + u"\\Front Desk\\PrinterDriverData", path);
                        RegistryKey& data = root2.Make(path);
                        data.SetValue(u"SPLUserModePrinterDriver", REG_SZ, RegText(u"zoltgr", false));
                        data.SetValue(u"BidiFlag", REG_DWORD, RegNumber(1));
                        changed = true;
                        return LONG(ERROR_SUCCESS);
                      }),
            ERROR_SUCCESS);
  ToolRun list = Tool({"list-printers", root.string()});
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_TRUE(Contains(list.out, "printer  Front Desk\n")) << list.out;
  EXPECT_TRUE(Contains(list.out, "  port        FILE:\n")) << list.out;
  EXPECT_TRUE(Contains(list.out, "SPLUserModePrinterDriver")) << list.out;
  EXPECT_TRUE(Contains(list.out, "\"zoltgr\" (no terminator)")) << list.out;
  EXPECT_TRUE(Contains(list.out, "0x00000001 (1)")) << list.out;
  EXPECT_TRUE(Contains(list.out, "printer  \\\\CSR|printsrv01\\P1\n")) << list.out;

  ASSERT_EQ(Tool({"delete-printer", root.string(), "\\\\printsrv01\\P1"}).status, 0);
  EXPECT_EQ(ListPrinters(), (std::vector<std::u16string>{u"Front Desk"}));
  EXPECT_EQ(Tool({"remove", root.string()}).status, 0);
  EXPECT_FALSE(fs::exists(root));
}

TEST_F(ZoltMachineToolTest, ShowsCapabilitiesAndWritesTheDefaultDeviceMode) {
  fs::path root = Root() / "caps";
  ASSERT_EQ(Tool({"create", root.string()}).status, 0);
  ASSERT_EQ(Tool({"install-driver", root.string()}).status, 0);
  ASSERT_EQ(Tool({"add-printer", root.string(), "Office"}).status, 0);
  ToolRun caps = Tool({"caps", root.string(), "Office"});
  ASSERT_EQ(caps.status, 0) << caps.err;
  for (const char* line : {"  DC_SIZE                220\n", "  DC_EXTRA               1016\n",
                           "  DC_PERSONALITY         1: \"ZOLT\"\n", "  DC_NUP                 5: 1, 2, 4, 9, 16\n"})
    EXPECT_TRUE(Contains(caps.out, line)) << line << caps.out;
  EXPECT_TRUE(Contains(caps.out, "\"A4\"")) << caps.out;
  EXPECT_TRUE(Contains(caps.out, "2100x2970")) << caps.out;

  fs::path file = Root() / "default.dm";
  ToolRun dm = Tool({"devmode", root.string(), "Office", file.string()});
  ASSERT_EQ(dm.status, 0) << dm.err;
  const std::string bytes = zolt::test::ReadBytes(file);
  ASSERT_EQ(bytes.size(), 1236u);
  EXPECT_EQ(bytes.substr(220, 4), "ZOLT");

  ToolRun missing = Tool({"caps", root.string(), "Nobody"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(Contains(missing.err, "no printer")) << missing.err;
  EXPECT_EQ(Tool({"devmode", root.string(), "Office"}).status, 2);
}

TEST_F(ZoltMachineToolTest, DemoInstallsTheBuiltDriver) {
  const fs::path pages = Root() / "pages";
  ToolRun demo = Tool({"demo", "--png", pages.string()});
  ASSERT_EQ(demo.status, 0) << demo.err;
  // The second job carries what printing preferences changed, and the sheet's pages are kept.
  EXPECT_TRUE(Contains(demo.out, "  - @PJL SET PAPER=A4\n  - @PJL SET TRAY=Automatic\n"
                                 "  + @PJL SET PAPER=A3\n  + @PJL SET TRAY=Tray 3\n")) << demo.out;
  EXPECT_TRUE(Contains(demo.out, "the pages of printing preferences are pictures in " + pages.string())) << demo.out;
  EXPECT_TRUE(fs::exists(pages / "01-Preset.png"));
  EXPECT_TRUE(Contains(demo.out, "printer  ZOLT Office 7000\n")) << demo.out;
  EXPECT_TRUE(Contains(demo.out, "  driver      ZOLT Office 7000 Series\n")) << demo.out;
  EXPECT_TRUE(Contains(demo.out, "drive_c/Windows/System32/spool/drivers/x64/3/zoltui.dll")) << demo.out;
  EXPECT_TRUE(demo.err.empty()) << demo.err;
}

}  // namespace

namespace {

// A dialog of the English language library shown and driven by steps, read and saved.
TEST_F(ZoltMachineToolTest, UiShowsAModulesDialogAndActsOnIt) {
  ASSERT_EQ(Tool({"create", Root().string()}).status, 0);
  zolt::test::WriteBytes(Root() / "drive_c/Windows/ZOLT7Rus.DLL",
                         zolt::test::ReadBytes(fs::path(ZOLT_MODULE_DIR) / "ZOLT7Rus.DLL"));
  const std::string module = "C:\\Windows\\ZOLT7Rus.DLL";
  const std::string png = (Root() / "progress.png").string();
  ToolRun r = Tool({"ui", Root().string(), module, "4006", "find=5005", "read", "find=class:Static", "png=" + png});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "text \"\" check -1 selected \"\"")) << r.out;
  EXPECT_TRUE(Contains(r.out, "saved " + png)) << r.out;
  EXPECT_TRUE(fs::exists(png));

  struct Case {
    std::vector<std::string> steps;
    int status;
    const char* message;
  } cases[] = {
      {{"4242"}, 1, "no dialog 4242"},
      {{"x"}, 2, "is no dialog id"},
      {{"4006", "find=999"}, 1, "step find=999: no such window"},
      {{"4006", "wave"}, 1, "step wave: unknown step"},
      {{"4006", "find=5005", "select=Nothing"}, 1, "the window refused it"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"ui", Root().string(), module};
    args.insert(args.end(), c.steps.begin(), c.steps.end());
    ToolRun bad = Tool(args);
    EXPECT_EQ(bad.status, c.status) << bad.err;
    EXPECT_TRUE(Contains(bad.err, c.message)) << bad.err;
  }
  EXPECT_TRUE(Contains(Tool({"ui", Root().string(), "C:\\nowhere.dll", "1"}).err, "cannot load"));
}

}  // namespace

namespace {

TEST_F(ZoltMachineToolTest, PrintsAMetafileDirectlyOrSpooledAndReportsTheJob) {
  fs::path root = Root() / "print";
  ASSERT_EQ(Tool({"create", root.string()}).status, 0);
  ASSERT_EQ(Tool({"install-driver", root.string()}).status, 0);
  ASSERT_EQ(Tool({"add-printer", root.string(), "Office"}).status, 0);
  const std::string sample = (fs::path(ZOLT_SOURCE_DIR) / "samples" / "jobs" / "mixed-p1.emf").string();
  for (bool direct : {true, false}) {
    SCOPED_TRACE(direct ? "direct" : "spooled");
    std::vector<std::string> args{"print", root.string(), "Office", sample};
    if (direct) args.push_back("--direct");
    ToolRun r = Tool(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, ": printed, complete\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, "/out/Office-")) << r.out;
    EXPECT_TRUE(Contains(r.out, "\n1 page, ")) << r.out;
    EXPECT_TRUE(Contains(r.out, direct ? "(printed directly)" : "(spooled as a metafile)")) << r.out;
  }
  // A damaged metafile, a missing file and a missing printer fail with their own messages.
  zolt::test::WriteBytes(Root() / "bad.emf", zolt::test::ReadBytes(sample).substr(0, 200));
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  } cases[] = {
      {{"print", root.string(), "Office", (Root() / "bad.emf").string()}, 1, "the job failed"},
      {{"print", root.string(), "Office", (Root() / "none.emf").string()}, 1, "cannot read"},
      {{"print", root.string(), "Nowhere", sample}, 1, "no printer \"Nowhere\""},
      {{"print", root.string(), "Office"}, 2, "at least one metafile"},
  };
  for (const Case& c : cases) {
    ToolRun r = Tool(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_TRUE(Contains(r.err, c.message)) << r.err;
  }
  // No half-written output of the failed job is left.
  size_t outputs = 0;
  for (const auto& e : fs::directory_iterator(root / "out")) outputs += e.path().extension() == ".prn" ? 1 : 100;
  EXPECT_EQ(outputs, 2u);
}

}  // namespace

namespace {

// The prefs command: its help, the script's errors with their line, and a printer it cannot open.
TEST_F(ZoltMachineToolTest, PrefsChecksItsScriptAndPrinter) {
  ToolRun help = Tool({"--help"});
  EXPECT_TRUE(Contains(help.out, "prefs ROOT PRINTER [--do SCRIPT] [--png DIR]")) << help.out;
  EXPECT_TRUE(Contains(help.out, "select CONTROL TEXT")) << help.out;

  fs::path root = Root() / "prefs";
  ASSERT_EQ(Tool({"create", root.string()}).status, 0);
  ASSERT_EQ(Tool({"install-driver", root.string()}).status, 0);
  ASSERT_EQ(Tool({"add-printer", root.string(), "Office"}).status, 0);
  struct Case {
    const char* script;
    int status;
    const char* message;
  } cases[] = {
      {"# comment\n\nwave 2009\n", 2, "line 3: unknown action \"wave\""},
      {"select 2009\n", 2, "line 1: select needs a control and a value"},
      {"press \"OK\n", 2, "line 1: press needs one control"},
      {"answer yes\n", 2, "line 1: answer needs a button number"},
      {"page\n", 2, "line 1: page needs one value"},
  };
  for (const Case& c : cases) {
    const fs::path script = Root() / "script.txt";
    zolt::test::WriteBytes(script, c.script);
    ToolRun r = Tool({"prefs", root.string(), "Office", "--do", script.string()});
    EXPECT_EQ(r.status, c.status) << c.script << r.err;
    EXPECT_TRUE(Contains(r.err, c.message)) << r.err;
  }
  ToolRun missing = Tool({"prefs", root.string(), "Office", "--do", (Root() / "none.txt").string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(Contains(missing.err, "cannot read")) << missing.err;
  ToolRun nobody = Tool({"prefs", root.string(), "Nobody"});
  EXPECT_EQ(nobody.status, 1);
  EXPECT_TRUE(Contains(nobody.err, "no printer \"Nobody\"")) << nobody.err;
  EXPECT_EQ(Tool({"prefs", root.string()}).status, 2);
  EXPECT_EQ(Tool({"prefs", root.string(), "Office", "--colour"}).status, 2);
}

// The sheet opened through the spooler's DocumentPropertiesW, a value chosen on a page, every
// page saved as a picture and the sheet cancelled: the device mode stays as it was.
TEST_F(ZoltMachineToolTest, PrefsDrivesPrintingPreferencesAndSavesItsPages) {
  fs::path root = Root() / "prefs";
  ASSERT_EQ(Tool({"create", root.string()}).status, 0);
  ASSERT_EQ(Tool({"install-driver", root.string()}).status, 0);
  ASSERT_EQ(Tool({"add-printer", root.string(), "Office"}).status, 0);
  const fs::path script = Root() / "script.txt";
  zolt::test::WriteBytes(script, "# paper size on the first page\npage Preset\nselect 2009 A5\npress Cancel\n");
  const fs::path pictures = Root() / "pages";
  ToolRun r = Tool({"prefs", root.string(), "Office", "--do", script.string(), "--png", pictures.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "saved " + (pictures / "01-Preset.png").string())) << r.out;
  EXPECT_TRUE(fs::exists(pictures / "01-Preset.png"));
  EXPECT_TRUE(Contains(r.out, "result: Cancel (the device mode is unchanged)")) << r.out;

  zolt::test::WriteBytes(script, "page Nowhere\n");
  ToolRun bad = Tool({"prefs", root.string(), "Office", "--do", script.string()});
  EXPECT_EQ(bad.status, 1);
  EXPECT_TRUE(Contains(bad.err, "line 1: no page \"Nowhere\"")) << bad.err;
}

}  // namespace
