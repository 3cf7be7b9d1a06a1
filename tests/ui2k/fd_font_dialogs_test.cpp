// The TrueType font substitution dialogs: the line layout of the substitution list, which pairs
// the stored table keeps, what the user changes in the dialog and how the next print job sends
// the table to the printer.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "context_services.h"
#include "driver_context.h"
#include "fd_font.h"
#include "fd_dialog_fixture.h"
#include "option_access.h"
#include "option_store.h"
#include "sheet_engine.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;
namespace fs = std::filesystem;

constexpr uint16_t kDlgTtf = 1009;
constexpr uint16_t kOptCallSrc = 729;

std::u16string Name(const WCHAR* text) { return std::u16string(text); }

class FontDialogs : public zolt::test::FeatureDialogTest {
 protected:
  // The sample model, with the substitution item sent at the job start.
  fs::path ModelFile() const override {
    std::string text = zolt::test::ReadBytes(fs::path(ZOLT_SOURCE_DIR) / "samples" / "models" / kSampleModel);
    for (size_t at; (at = text.find("ZPD_IDC_TTF_CHOICE_TTF")) != std::string::npos;)
      text.replace(at, 22, "ZPD_RADIOLIST_8");
    const std::string fontType = "  Type: FontType\n";
    text.insert(text.find(fontType), "  Type: GroupType *ZPD_RADIOLIST_8\n");
    const fs::path file = Root() / "model" / kSampleModel;
    zolt::test::WriteBytes(file, text);
    return file;
  }
  void SetUp() override {
    FeatureDialogTest::SetUp();
    OptSetValue(ctx, kOptCallSrc, 1);  // the settings of the printer: the device fonts can be chosen
  }
  void TearDown() override {
    for (HWND w : windows_) DestroyWindow(w);
    FeatureDialogTest::TearDown();
  }
  HWND ListBox() {
    HWND w = CreateWindowExW(0, u"ListBox", u"", LBS_HASSTRINGS, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    windows_.push_back(w);
    return w;
  }
  std::vector<std::pair<std::u16string, std::u16string>> Table() {
    std::vector<std::pair<std::u16string, std::u16string>> rows;
    const auto* table = static_cast<const FontSubstEntry*>(OptGetBuffer(ctx, kOptFontTable));
    for (int i = 0; table && i < OptGetValue(ctx, kOptFontTableCount, nullptr); ++i)
      rows.emplace_back(Name(table[i].trueTypeName), Name(table[i].deviceName));
    return rows;
  }
  std::u16string Substitute(const char16_t* face) {
    WCHAR out[kFdFontNameChars];
    return Name(FdFindSubstitute(ctx, face, out));
  }
  // Prints one empty page through the host's printer DC; the bytes the port received.
  std::string PrintJob() {
    const auto before = PortFiles();
    HDC dc = CreateDCW(nullptr, kPrinterName, nullptr, nullptr);
    EXPECT_NE(dc, nullptr);
    if (!dc) return {};
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = u"Fonts";
    EXPECT_GT(StartDocW(dc, &doc), 0);
    EXPECT_GT(StartPage(dc), 0);
    EXPECT_GT(EndPage(dc), 0);
    EXPECT_GT(EndDoc(dc), 0);
    DeleteDC(dc);
    for (const fs::path& file : PortFiles())
      if (std::find(before.begin(), before.end(), file) == before.end()) return zolt::test::ReadBytes(file);
    return {};
  }
  std::vector<fs::path> PortFiles() const {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(Root() / "out", ec)) files.push_back(entry.path());
    return files;
  }

  std::vector<HWND> windows_;
};

// The face fills the first 31 characters, the device font starts at character 34; a face of 31
// characters is followed by " > " at once.
TEST_F(FontDialogs, LinesPadTheFaceAndPlaceTheDeviceFontAtColumn34) {
  const std::u16string longFace(31, u'W');
  struct Case {
    std::u16string face, device, line;
  } cases[] = {
      {u"Arial", u"Helvetica", u"Arial" + std::u16string(26, u' ') + u" > Helvetica"},
      {u"", u"Courier", std::u16string(31, u' ') + u" > Courier"},
      {longFace, u"Times", longFace + u" > Times"},
  };
  for (const Case& c : cases) {
    WCHAR line[kFdFontLineChars];
    FdBuildFontLine(c.face.c_str(), c.device.c_str(), line);
    EXPECT_EQ(Name(line), c.line);
    EXPECT_EQ(Name(line).substr(kFdFontLineDeviceAt), c.device);
  }
}

// The model's table pairs Arial with Helvetica; the match is exact, every other face gets the
// first device font.
TEST_F(FontDialogs, SubstituteIsTheTablesPairElseTheFirstDeviceFont) {
  struct Case {
    const char16_t* face;
    const char16_t* device;
  } cases[] = {{u"Arial", u"Helvetica"}, {u"Times New Roman", u"Times"}, {u"arial", u"Courier"},
               {u"Arial ", u"Courier"}, {u"Unknown Face", u"Courier"}, {u"", u"Courier"}};
  for (const Case& c : cases) EXPECT_EQ(Substitute(c.face), c.device);
  WCHAR name[kFdFontNameChars];
  EXPECT_EQ(FdGetDeviceFontCount(ctx), 9);  // seven resident fonts, two cartridge fonts
  EXPECT_EQ(Name(FdGetDeviceFontName(ctx, 7, name)), u"ZOLT Barcode 3 of 9");
  EXPECT_EQ(Name(FdGetDeviceFontName(ctx, 9, name)), u"");
  EXPECT_EQ(Name(FdGetDeviceFontName(ctx, -1, name)), u"");
}

// Only families that do not use the first device font are stored; a face is read back from the
// first 32 characters without its padding.
TEST_F(FontDialogs, SavedTableKeepsOnlyFamiliesOffTheDefaultSubstitute) {
  HWND list = ListBox();
  const std::u16string longFace(31, u'L');
  const std::pair<std::u16string, std::u16string> lines[] = {
      {u"Arial", u"Helvetica"}, {u"Courier New", u"Courier"}, {longFace, u"Times"}, {u"Symbol", u"Courier"}};
  for (const auto& [face, device] : lines) {
    WCHAR line[kFdFontLineChars];
    FdBuildFontLine(face.c_str(), device.c_str(), line);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  }
  FdSaveFontTable(ctx, list);
  using Rows = std::vector<std::pair<std::u16string, std::u16string>>;
  EXPECT_EQ(Table(), (Rows{{u"Arial", u"Helvetica"}, {longFace, u"Times"}}));

  // Everything mapped back to the default: an empty table, not the default one.
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  WCHAR line[kFdFontLineChars];
  FdBuildFontLine(u"Arial", u"Courier", line);
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  FdSaveFontTable(ctx, list);
  EXPECT_TRUE(Table().empty());
  EXPECT_EQ(Substitute(u"Arial"), u"Courier");

  // Back to the printer's default table.
  EXPECT_EQ(FdSetFontTable(ctx, 0, nullptr), 1);
  EXPECT_EQ(Substitute(u"Arial"), u"Helvetica");
}

// The user picks a family and a device font and confirms: the line shows the new pair, the table
// holds it, and once the printer's settings are stored the next job sends it to the printer.
// Cancelling instead leaves the table as it was.
TEST_F(FontDialogs, ChosenDeviceFontReachesTheNextPrintJob) {
  struct Case {
    const char* name;
    int button;
  } cases[] = {{"cancelled", IDCANCEL}, {"confirmed", IDOK}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::u16string face;
    std::vector<std::u16string> families, devices;
    std::u16string shownFace, changedLine, selectedBefore;
    ui::WhenIdle([&](HWND modal) {
      HWND pairs = ui::FindControl(modal, kFdCtlFontPairs);
      HWND fonts = ui::FindControl(modal, kFdCtlDeviceFonts);
      ASSERT_NE(pairs, nullptr);
      ASSERT_NE(fonts, nullptr);
      families = ui::Items(pairs);
      devices = ui::Items(fonts);
      ASSERT_FALSE(families.empty());
      selectedBefore = ui::SelectedText(pairs);
      // Choosing a device font with no family selected changes nothing.
      SendMessageW(pairs, LB_SETCURSEL, WPARAM(-1), 0);
      ui::SelectItem(fonts, u"Times");
      EXPECT_EQ(ui::Items(pairs), families);
      // A family with a Latin name, so that the job's ANSI text shows it unchanged.
      std::u16string line = families.back();
      for (const std::u16string& f : families)
        if (std::all_of(f.begin(), f.end(), [](char16_t ch) { return ch < 0x80; })) line = f;
      face = line.substr(0, line.find_last_not_of(u' ', 31) + 1);
      ui::SelectItem(pairs, line);
      shownFace = ui::Text(ui::FindControl(modal, kFdCtlFontSelected));
      ui::SelectItem(fonts, u"Times");
      changedLine = ui::SelectedText(pairs);
      ui::Click(ui::FindControl(modal, c.button));
    });
    UiRunSubDialog(ctx, kDialogModal, kDlgTtf, nullptr);
    EXPECT_EQ(selectedBefore, families.empty() ? u"" : families.front());
    for (const std::u16string& line : families) {
      EXPECT_NE(line.substr(0, 1), u"@");
      EXPECT_EQ(line.substr(31, 3), u" > ");
    }
    for (const std::u16string& name : devices) EXPECT_NE(name.substr(0, 1), u"@");
    EXPECT_EQ(devices.size(), 9u);
    EXPECT_EQ(shownFace, face);
    WCHAR expected[kFdFontLineChars];
    FdBuildFontLine(face.c_str(), u"Times", expected);
    EXPECT_EQ(changedLine, Name(expected));
    if (c.button == IDCANCEL) {
      EXPECT_NE(Substitute(face.c_str()), u"Times");
      continue;
    }
    EXPECT_EQ(Substitute(face.c_str()), u"Times");
    EXPECT_EQ(Substitute(u"Arial"), face == u"Arial" ? u"Times" : u"Helvetica");
    // What the sheet's apply stores of the printer's settings.
    ASSERT_EQ(CfgSavePrinterConfig(printer_, ctx), 1);
    const std::string job = PrintJob();
    std::string ansiFace(face.begin(), face.end());
    EXPECT_NE(job.find("@PJL SET SUBFONTTABLE = \""), std::string::npos) << job.substr(0, 400);
    EXPECT_NE(job.find(ansiFace + "+Times"), std::string::npos) << job.substr(0, 400);
  }
}

}  // namespace
