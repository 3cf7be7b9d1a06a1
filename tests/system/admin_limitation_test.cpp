// An administrator's limitation as the people of one machine meet it: the administrator sets the
// printer's paper source and locks it in the limitation dialog of printer properties (the machine
// tool, as the printers folder opens them); a plain user of the same machine may not open printer
// properties, finds the source locked in printing preferences and cannot change it, and the job
// printed with the preferences' device mode goes out from the administrator's source.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "block_stream.h"
#include "child_process.h"
#include "tool_machine_test.h"
#include "win32/machine.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace zolt::test {
namespace {

using blocks::DecodedStream;

constexpr char kPrinter[] = "ZOLT Office 7000";

class AdminLimitation : public ToolMachineTest {
 protected:
  // zoltmachine prefs or props with a script (prefs: the device mode it gave back in save).
  ProgramRun Scripted(const char* command, const std::string& script, const fs::path& save = {}) {
    const fs::path file = Root() / "script.txt";
    WriteBytes(file, script);
    std::vector<std::string> args = {command, kPrinter, "--do", file.string()};
    if (!save.empty()) args.insert(args.end(), {"--save", save.string()});
    return Machine(args);
  }
  // The machine's user from now on, for this process and the tools it starts.
  static void SwitchUser(const char* name, bool admin) {
    host::MachineFacts facts = host::Machine::Facts();
    facts.userName = name;
    facts.userIsAdmin = admin;
    ASSERT_TRUE(host::Machine::SetFacts(facts));
  }
  // The printer's default paper source as the administrator sets the printing defaults.
  void SetDefaultSource(short source) {
    std::u16string name = kPrinterName;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterW(name.data(), &printer, &access));
    const LONG size = DocumentPropertiesW(nullptr, printer, name.data(), nullptr, nullptr, 0);
    ASSERT_GT(size, 0);
    std::vector<BYTE> in(static_cast<size_t>(size)), out(static_cast<size_t>(size));
    ASSERT_EQ(DocumentPropertiesW(nullptr, printer, name.data(), reinterpret_cast<PDEVMODEW>(in.data()), nullptr,
                                  DM_OUT_BUFFER),
              IDOK);
    reinterpret_cast<DEVMODEW*>(in.data())->dmDefaultSource = source;
    ASSERT_EQ(DocumentPropertiesW(nullptr, printer, name.data(), reinterpret_cast<PDEVMODEW>(out.data()),
                                  reinterpret_cast<PDEVMODEW>(in.data()), DM_IN_BUFFER | DM_OUT_BUFFER),
              IDOK);
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> info(needed);
    ASSERT_TRUE(GetPrinterW(printer, 2, info.data(), needed, &needed));
    reinterpret_cast<PRINTER_INFO_2W*>(info.data())->pDevMode = reinterpret_cast<PDEVMODEW>(out.data());
    ASSERT_TRUE(SetPrinterW(printer, 2, info.data(), 0));
    ClosePrinter(printer);
  }
  // The page-start command text of the first sample page printed with the device mode file.
  std::string PageStart(const fs::path& devmode) {
    const ProgramRun r = Machine({"print", kPrinter,
                                  (fs::path(ZOLT_SOURCE_DIR) / "samples" / "jobs" / "mixed-p1.emf").string(),
                                  "--devmode", devmode.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    std::smatch m;
    DecodedStream stream;
    if (!std::regex_search(r.out, m, std::regex("output ([^\\n]+)"))) {
      ADD_FAILURE() << r.out;
      return {};
    }
    std::string error;
    EXPECT_TRUE(blocks::DecodeStream(ReadBytes(m[1].str()), &stream, &error)) << error;
    return stream.pages.empty() ? std::string() : stream.pages[0].startText;
  }
};

TEST_F(AdminLimitation, APlainUserFindsTheAdministratorsSourceLockedAndPrintsFromIt) {
  // The administrator: Tray 2 as the printer's source, locked on the advanced page's limitation
  // dialog (the source tray's box, the dialog's warning accepted).
  SwitchUser("admin", true);
  SetDefaultSource(3);  // Tray 2
  const ProgramRun admin = Scripted("props",
                                    "page Advanced\n"
                                    "press 2729\n"
                                    "check 3141\n"
                                    "read 3142\n"
                                    "answer 1\n"
                                    "press OK\n"
                                    "press OK\n");
  ASSERT_EQ(admin.status, 0) << admin.err << admin.out;
  EXPECT_TRUE(Contains(admin.out, "read 3142: text \"Tray 2\"")) << admin.out;
  EXPECT_TRUE(Contains(admin.out, "result: OK")) << admin.out;

  // A plain user of the same machine.
  SwitchUser("clerk", false);
  const ProgramRun denied = Scripted("props", "page Advanced\n");
  EXPECT_EQ(denied.status, 1);
  EXPECT_TRUE(Contains(denied.err, "may not administer")) << denied.err;

  const fs::path saved = Root() / "clerk.dm";
  const ProgramRun seen = Scripted("prefs", "page Preset\nread 2004\nselect 2009 A3\npress OK\n", saved);
  ASSERT_EQ(seen.status, 0) << seen.err << seen.out;
  EXPECT_TRUE(Contains(seen.out, "read 2004: text \"Tray 2\" check -1 selected \"Tray 2\" disabled")) << seen.out;

  const ProgramRun refused = Scripted("prefs", "page Preset\nselect 2004 \"Tray 3\"\npress OK\n");
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(Contains(refused.err, "line 2: the control refused it")) << refused.err;

  const std::string start = PageStart(saved);
  EXPECT_TRUE(Contains(start, "@PJL SET PAPER=A3\n")) << start;
  EXPECT_TRUE(Contains(start, "@PJL SET TRAY=Tray 2\n")) << start;
}

}  // namespace
}  // namespace zolt::test
