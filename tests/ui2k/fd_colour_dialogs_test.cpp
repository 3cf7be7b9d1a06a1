// The colour-matching and user-quality dialogs: the profile open dialog's hook takes only a
// profile of the right class and maker (a refused file leaves the dialog open with its warning
// and the settings as they were), the colour-matching list grows, is chosen from and shrinks
// through the module's built-in functions, the adjustment controls follow the object being
// adjusted, and a user quality setting in use is stored and found again.
#include <gtest/gtest.h>

#include <string>

#include "context_services.h"
#include "env_language.h"
#include "fd_colour.h"
#include "feature_modules.h"
#include "fm_modules_1_4.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "quality_list.h"
#include "sheet_engine.h"
#include "ui_services.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;

// A profile header with every checked field right, patched by the case.
std::string Profile() {
  std::string bytes(132, '\0');
  bytes.replace(4, 4, "QVMS");
  bytes.replace(12, 4, "prtr");
  bytes.replace(16, 4, "RGB ");
  bytes.replace(20, 4, "XYZ ");
  bytes.replace(36, 4, "acsp");
  bytes.replace(48, 4, "ORVX");
  return bytes;
}

class ColourDialogs : public zolt::test::DriverMachineTest {
 protected:
  bool InitializesPrinter() const override { return true; }
  void SetUp() override {
    DriverMachineTest::SetUp();
    ui::Reset();
    printer_ = OpenTestPrinter(PRINTER_ALL_ACCESS);
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateForPrinter(printer_, printer_, nullptr, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
  }
  void TearDown() override {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    CtxPurgeCache(1);
    if (printer_) ClosePrinter(printer_);
    ui::Reset();
    DriverMachineTest::TearDown();
  }
  // The name and file of the entry being edited, held by the edits of the profile dialogs (the
  // file edit's id also names a label of the margin dialog, so it is found through its dialog).
  ControlDescriptor* Edit(uint16_t control) {
    return control == kCtlCmmEditFile ? FmGetCmmFileEdit(ctx) : FmGetCmmNameEdit(ctx);
  }
  std::u16string Text(uint16_t control) {
    WCHAR buffer[600] = {};
    if (ControlDescriptor* edit = Edit(control)) OptGetStringValue(ctx, edit->option, buffer, 600);
    return buffer;
  }
  void Type(uint16_t control, const char16_t* text) {
    ControlDescriptor* edit = Edit(control);
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(OptSetStringValue(ctx, edit->option, text), nullptr);
  }
  std::u16string String(DWORD id) {
    std::u16string s(1025, u'\0');
    EnvLoadString(ctx, id, s.data(), 1025, 1);
    return std::u16string(s.c_str());
  }

  DriverContext* ctx = nullptr;
  HANDLE printer_ = nullptr;
};

// The OK of the profile open dialog through its hook: accepted files close the dialog (0) and
// set the result flag; refused ones keep it open (1) with warning 10077.
TEST_F(ColourDialogs, TheOpenDialogTakesOnlyAProfileOfTheRightClass) {
  struct Case {
    const char* name;
    std::string bytes;
    bool accepted;
  } cases[] = {
      {"good", Profile(), true},
      {"first byte of the module differs", Profile().replace(4, 1, "X"), false},
      {"scanner class", Profile().replace(12, 4, "scnr"), false},
      {"grey data", Profile().replace(16, 4, "GRAY"), false},
      {"not a profile file", Profile().replace(36, 4, "xxxx"), false},
      {"another maker", Profile().replace(48, 4, "APPL"), false},
      {"cut short", Profile().substr(0, 40), false},
      {"a picture", std::string("BM") + std::string(60, '\x01'), false},
  };
  HWND frame = CreateWindowExW(0, u"#32770", u"Open", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
  HWND hook = CreateWindowExW(0, u"#32770", u"", WS_CHILD, 0, 0, 10, 10, frame, nullptr, nullptr, nullptr);
  HWND edit = CreateWindowExW(0, u"EDIT", u"", WS_CHILD, 0, 0, 100, 20, frame, reinterpret_cast<HMENU>(1152), nullptr,
                              nullptr);
  ASSERT_NE(edit, nullptr);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lCustData = reinterpret_cast<LPARAM>(ctx);
  EXPECT_EQ(FdCmmProfileOpenHook(hook, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&ofn)), 1u);
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string path = u"C:\\profile" + std::u16string(1, char16_t(u'a' + n++)) + u".qcm";
    zolt::test::WriteBytes(Real(path), c.bytes);
    SetWindowTextW(edit, path.c_str());
    ctx->workArea->subDialogResult = 0;
    const size_t boxes = ui::MessageBoxes().size();
    EXPECT_EQ(FdCmmProfileOpenHook(hook, WM_COMMAND, IDOK, 0), c.accepted ? 0u : 1u);
    EXPECT_EQ(ctx->workArea->subDialogResult, c.accepted ? 1u : 0u);
    ASSERT_EQ(ui::MessageBoxes().size(), boxes + (c.accepted ? 0 : 1));
    if (!c.accepted) {
      EXPECT_NE(ui::MessageBoxes().back().text.find(String(10077)), std::u16string::npos);
    }
  }
  // A pattern is left to the dialog as its filter; Cancel clears the result.
  SetWindowTextW(edit, u"*.qcm");
  EXPECT_EQ(FdCmmProfileOpenHook(hook, WM_COMMAND, IDOK, 0), 0u);
  ctx->workArea->subDialogResult = 1;
  EXPECT_EQ(FdCmmProfileOpenHook(hook, WM_COMMAND, IDCANCEL, 0), 0u);
  EXPECT_EQ(ctx->workArea->subDialogResult, 0u);
  EXPECT_EQ(FdCmmProfileOpenHook(hook, WM_HELP, 0, 0), 1u);
  DestroyWindow(frame);
}

// Entries added from the edit options, chosen as the colour-matching mode, modified and
// deleted; deleting the chosen last entry moves the choice off the list.
TEST_F(ColourDialogs, ColourMatchingEntriesAddChooseModifyAndDelete) {
  // The controls bound as the sheet binds them, and the ICM-mode choice to the whole page's
  // option, as the quality settings page does when it opens (built-in function 108).
  UiBuildPageControls(ctx, nullptr);
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 108), 1);
  const int before = FmGetCmmCount(ctx);
  ASSERT_LT(before + 2, FmGetCmmMax(ctx));
  Type(kCtlCmmEditName, u"Proofing");
  Type(kCtlCmmEditFile, u"C:\\proof.qcm");
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 111), 1);
  Type(kCtlCmmEditName, u"Photos");
  Type(kCtlCmmEditFile, u"C:\\photo.qcm");
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 123), 1);
  ASSERT_EQ(FmGetCmmCount(ctx), before + 2);
  // 123 chose the entry it added.
  EXPECT_EQ(FmGetSelectedCmmIndex(ctx), before + 1);

  FdSelectCmmEntry(ctx, before);
  EXPECT_EQ(FmGetSelectedCmmIndex(ctx), before);
  FmLoadCmmEntry(ctx, FmGetSelectedCmmIndex(ctx));
  EXPECT_EQ(Text(kCtlCmmEditName), u"Proofing");
  Type(kCtlCmmEditName, u"Proofing 2");
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 122), 1);
  FmLoadCmmEntry(ctx, before);
  EXPECT_EQ(Text(kCtlCmmEditName), u"Proofing 2");
  EXPECT_EQ(Text(kCtlCmmEditFile), u"C:\\proof.qcm");

  FdSelectCmmEntry(ctx, before + 1);
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 112), 1);
  EXPECT_EQ(FmGetCmmCount(ctx), before + 1);
  EXPECT_EQ(FmGetSelectedCmmIndex(ctx), -1);
  FmLoadCmmEntry(ctx, before);
  EXPECT_EQ(Text(kCtlCmmEditName), u"Proofing 2");
}

// The ICM-mode and colour-balance controls are bound to the whole page's options or to those of
// the object being adjusted.
TEST_F(ColourDialogs, AdjustmentControlsFollowTheObject) {
  struct Case {
    WORD code;
    uint16_t icmMode;     // control 2256 of dialog 1021
    uint16_t brightness;  // control 2264 of dialog 1038
  } cases[] = {{104, 984, 993}, {105, 985, 994}, {106, 986, 995}, {108, 133, 138}};
  ControlDescriptor* mode = OptFindControl(ctx, OptFindDialog(ctx, 1021), 2256);
  ControlDescriptor* brightness = OptFindControl(ctx, OptFindDialog(ctx, 1038), 2264);
  ASSERT_NE(mode, nullptr);
  ASSERT_NE(brightness, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(FmRunBuiltInFunc(ctx, c.code), 1);
    ASSERT_NE(mode->option, nullptr);
    ASSERT_NE(brightness->option, nullptr);
    EXPECT_EQ(mode->option->id, c.icmMode);
    EXPECT_EQ(brightness->option->id, c.brightness);
    EXPECT_NE(mode->option->stateBits & 0x3, 0);
  }
  // Intent by type and object: type 0 keeps the whole page's intent.
  OptSetValue(ctx, 128, 1);
  OptSetValue(ctx, 129, 2);
  OptSetValue(ctx, 131, 1);
  FmRunBuiltInFunc(ctx, 110);
  ControlDescriptor* intent = OptFindControl(ctx, OptFindDialog(ctx, 1021), 2574);
  ASSERT_NE(intent, nullptr);
  EXPECT_EQ(intent->option->id, 983);
  OptSetValue(ctx, 131, 0);
  FmRunBuiltInFunc(ctx, 110);
  EXPECT_EQ(intent->option->id, 132);
}

// A user setting in use keeps the settings it was used with, and another context of the printer
// finds them; while no user setting is in use (or the value is not one), nothing is stored.
TEST_F(ColourDialogs, UserQualitySettingsAreKept) {
  constexpr uint16_t kBrightness = 138;
  struct Case {
    int32_t inUse;
    int32_t macro;
    int32_t brightness;
    int32_t expectInSlot2;
  } cases[] = {{1, 34, 12, 12}, {0, 34, 17, 12}, {1, 20, 18, 12}, {1, 34, 7, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.brightness);
    ASSERT_TRUE(OptSetValue(ctx, kBrightness, c.brightness));
    OptSetValue(ctx, 176, c.inUse);
    OptSetValue(ctx, 179, c.macro);
    EXPECT_EQ(FmRunBuiltInFunc(ctx, 325), 1);
    DriverContext* other = CtxCreateForPrinter(printer_, printer_, nullptr, kCtxModeUi);
    ASSERT_NE(other, nullptr);
    OptSetValue(other, kBrightness, 1);
    CfgLoadQuality(other, 2);
    EXPECT_EQ(OptGetValue(other, kBrightness, nullptr), c.expectInSlot2);
    CtxReleaseAs(other, kCtxReleaseDestroy);
  }
}

}  // namespace
