// Where an application's device mode comes from after printing preferences were closed with OK.
// The print type that OK keeps in the printer's settings file is read by contexts with a user
// interface (the next printing preferences) and by the settings module; the device mode of
// DocumentPropertiesW without a user interface and without an input device mode is built from
// the model and the printer's stored default device mode, which the settings file does not
// touch. An application that makes the device mode it got back the printer's default sees it
// in every later default device mode. And the model's rules grey the print type while a short
// colour run is set, through printing preferences.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "tool_machine_test.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace zolt::test {
namespace {

constexpr size_t kAtPrnMethod = 732;  // zdmPrnMethod in the driver's part of the device mode
constexpr BYTE kNormalPrint = 0, kSamplePrint = 2;

class PrefsStoredSettings : public ToolMachineTest {
 protected:
  ProgramRun Prefs(const std::string& script, const fs::path& save) {
    const fs::path file = Root() / "script.txt";
    WriteBytes(file, script);
    return RunProgram(ZOLT_MACHINE_TOOL,
                      {"prefs", Root().string(), "ZOLT Office 7000", "--do", file.string(), "--save", save.string()},
                      Root());
  }
  // DocumentPropertiesW as an application calls it for the printer's default device mode: an
  // output buffer, no input device mode, no user interface.
  std::vector<BYTE> DefaultDevMode() {
    HANDLE h = OpenTestPrinter();
    std::vector<BYTE> dm;
    if (!h) return dm;
    std::u16string name = kPrinterName;
    const LONG size = DocumentPropertiesW(nullptr, h, name.data(), nullptr, nullptr, 0);
    EXPECT_EQ(size, 1236);
    dm.assign(size > 0 ? size_t(size) : 0, 0);
    EXPECT_EQ(DocumentPropertiesW(nullptr, h, name.data(), reinterpret_cast<PDEVMODEW>(dm.data()), nullptr,
                                  DM_OUT_BUFFER),
              IDOK);
    ClosePrinter(h);
    return dm;
  }
  // Printing preferences opened without an input device mode: the print type the first page
  // shows, then Cancel.
  std::u16string PrintTypeShownWithoutInput() {
    HANDLE h = OpenTestPrinter();
    if (!h) return {};
    std::u16string name = kPrinterName, shown;
    std::vector<BYTE> out(1236);
    namespace ui = zolt::host::ui;
    ui::Reset();
    ui::WhenIdle([&](HWND sheet) {
      shown = ui::SelectedText(ui::FindControl(sheet, 2022));
      ui::Click(ui::FindControl(sheet, IDCANCEL));
    });
    EXPECT_EQ(DocumentPropertiesW(nullptr, h, name.data(), reinterpret_cast<PDEVMODEW>(out.data()), nullptr,
                                  DM_OUT_BUFFER | DM_IN_PROMPT),
              IDCANCEL);
    ui::Reset();
    ClosePrinter(h);
    return shown;
  }
  bool SettingsFileHasSamplePrint() {
    for (const auto& e : fs::recursive_directory_iterator(Root() / "drive_c"))
      if (e.is_regular_file() && e.path().extension() == ".ini") {
        const std::string bytes = ReadBytes(e.path());
        if (Contains(bytes, "[ZOLT Office 7000]") && Contains(bytes, "PrnMethod=2")) return true;
      }
    return false;
  }
};

TEST_F(PrefsStoredSettings, TheSettingsFileFeedsTheNextSheetAndTheDefaultDeviceModeFollowsThePrinters) {
  const std::vector<BYTE> before = DefaultDevMode();
  ASSERT_EQ(before.size(), 1236u);
  EXPECT_EQ(before[kAtPrnMethod], kNormalPrint);
  EXPECT_EQ(PrintTypeShownWithoutInput(), u"Normal Print");

  const fs::path saved = Root() / "ok.dm";
  const ProgramRun ok = Prefs("page Preset\nselect 2028 Mono\nselect 2022 \"Sample Print\"\npress OK\n", saved);
  ASSERT_EQ(ok.status, 0) << ok.err;
  ASSERT_TRUE(Contains(ok.out, "result: OK\n")) << ok.out;
  const std::string given = ReadBytes(saved);
  ASSERT_EQ(given.size(), 1236u);
  EXPECT_EQ(BYTE(given[kAtPrnMethod]), kSamplePrint) << "the device mode given back to the application";
  EXPECT_TRUE(SettingsFileHasSamplePrint());

  // The settings file reaches the next printing preferences, not the default device mode.
  EXPECT_EQ(PrintTypeShownWithoutInput(), u"Sample Print");
  EXPECT_EQ(DefaultDevMode(), before);

  // The application makes what it got back the printer's default device mode.
  HANDLE admin = OpenTestPrinter(PRINTER_ALL_ACCESS);
  ASSERT_NE(admin, nullptr);
  DWORD needed = 0;
  GetPrinterW(admin, 2, nullptr, 0, &needed);
  std::vector<BYTE> info(needed);
  ASSERT_TRUE(GetPrinterW(admin, 2, info.data(), needed, &needed));
  std::vector<BYTE> dm(given.begin(), given.end());
  reinterpret_cast<PRINTER_INFO_2W*>(info.data())->pDevMode = reinterpret_cast<DEVMODEW*>(dm.data());
  ASSERT_TRUE(SetPrinterW(admin, 2, info.data(), 0));
  ClosePrinter(admin);

  const std::vector<BYTE> now = DefaultDevMode();
  ASSERT_EQ(now.size(), 1236u);
  EXPECT_EQ(now[kAtPrnMethod], kSamplePrint);
  EXPECT_EQ(std::memcmp(&reinterpret_cast<const DEVMODEW*>(now.data())->dmColor,
                        &reinterpret_cast<const DEVMODEW*>(given.data())->dmColor, sizeof(short)),
            0)
      << "the colour chosen with it";
}

// ColourRun: colour with fewer than ten copies restricts the print type, which the page greys;
// black and white frees it, and going back to colour greys it again with the chosen type kept.
TEST_F(PrefsStoredSettings, AShortColourRunGreysThePrintType) {
  const fs::path saved = Root() / "grey.dm";
  const ProgramRun r = Prefs(
      "page Preset\nread 2022\nselect 2028 Mono\nread 2022\nselect 2022 \"Sample Print\"\n"
      "select 2028 Color\nread 2022\npress OK\n",
      saved);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "read 2022: text \"Normal Print\" check -1 selected \"Normal Print\" disabled\n"
                              "read 2022: text \"Normal Print\" check -1 selected \"Normal Print\" enabled\n"
                              "read 2022: text \"Sample Print\" check -1 selected \"Sample Print\" disabled\n"))
      << r.out;
  const std::string dm = ReadBytes(saved);
  ASSERT_EQ(dm.size(), 1236u);
  EXPECT_EQ(BYTE(dm[kAtPrnMethod]), kSamplePrint);

  // A greyed print type takes no choice.
  const ProgramRun refused = Prefs("page Preset\nselect 2022 \"Sample Print\"\npress OK\n", Root() / "refused.dm");
  EXPECT_NE(refused.status, 0);
  EXPECT_TRUE(Contains(refused.err, "the control refused it")) << refused.err;
}

}  // namespace
}  // namespace zolt::test
