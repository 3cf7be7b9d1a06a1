// Sub-dialogs of the sheets under their undo snapshot, the file-dialog hook's checks and
// context help: what the settings are after OK and after Cancel, and which help topic a user
// gets for a control.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context_services.h"
#include "driver_context.h"
#include "env_language.h"
#include "env_system.h"
#include "fd_file_dialogs.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "sheet_engine.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;

constexpr uint16_t kModalDialog = 4033;      // ZPD_IDD_DIALOG_EXTENSIONS, a modal dialog of the table
constexpr uint16_t kOptWatermarkOn = 60;     // zdmFuncSelectWaterMark
constexpr uint16_t kOptStampKind = 117;      // zdmWmKind

class SubDialogs : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    ui::Reset();
    printer_ = OpenTestPrinter(PRINTER_ALL_ACCESS);
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateForPrinter(printer_, printer_, nullptr, 0x80000000u);
    ASSERT_NE(ctx, nullptr);
    ASSERT_NE(ctx->modelImage, nullptr);
    const std::u16string path = u"C:\\Windows\\TestDlg.DLL";
    zolt::test::WriteBytes(Real(path),
                           zolt::test::ReadBytes(std::filesystem::path(ZOLT_UI2K_TEST_MODULE_DIR) / "TestDlg.DLL"));
    EnvFreeResourceDlls(ctx);
    ctx->resourceLibrary = LoadLibraryW(path.c_str());
    ASSERT_NE(ctx->resourceLibrary, nullptr);
  }
  void TearDown() override {
    for (HWND w : windows_) DestroyWindow(w);
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    CtxPurgeCache(1);
    if (printer_) ClosePrinter(printer_);
    ui::Reset();
    DriverMachineTest::TearDown();
  }
  HWND Window(const char16_t* cls, HWND parent, DWORD style) {
    HWND w = CreateWindowExW(0, cls, u"", style, 0, 0, 100, 40, parent, nullptr, nullptr, nullptr);
    if (!parent) windows_.push_back(w);
    return w;
  }

  DriverContext* ctx = nullptr;
  HANDLE printer_ = nullptr;
  std::vector<HWND> windows_;
};

// What the user does in the modal dialog: changes options (one directly, one as a rule would),
// then confirms or cancels. The settings afterwards are the confirmed ones or those from before.
TEST_F(SubDialogs, ModalDialogKeepsWhatIsConfirmedAndRollsBackWhatIsCancelled) {
  struct Case {
    const char* name;
    int accept;
    int button;
  } cases[] = {{"confirmed", 1, IDOK}, {"cancelled", 0, IDCANCEL}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t before = OptGetValue(ctx, kOptWatermarkOn, nullptr);
    const int32_t kindBefore = OptGetValue(ctx, kOptStampKind, nullptr);
    ctx->workArea->subDialogResult = 0;
    bool ran = false;
    ui::WhenIdle([&](HWND modal) {
      ran = true;
      OptSetValue(ctx, kOptWatermarkOn, before ? 0 : 1);
      OptSetValue(ctx, kOptStampKind, kindBefore == 1 ? 2 : 1);
      ctx->workArea->subDialogResult = static_cast<DWORD>(c.accept);
      EndDialog(modal, c.button);
    });
    EXPECT_EQ(UiRunSubDialog(ctx, kDialogModal, kModalDialog, nullptr), c.button);
    EXPECT_TRUE(ran);
    const int32_t expected = c.accept ? (before ? 0 : 1) : before;
    EXPECT_EQ(OptGetValue(ctx, kOptWatermarkOn, nullptr), expected);
    EXPECT_EQ(OptGetValue(ctx, kOptStampKind, nullptr), c.accept ? (kindBefore == 1 ? 2 : 1) : kindBefore);
    EXPECT_EQ(OptFindDialog(ctx, kModalDialog)->modalState, 0u);
    EXPECT_EQ(ctx->dialogId, 0u);
  }
}

// Nothing scripted: the headless loop closes the dialog as Escape would; nothing changes.
TEST_F(SubDialogs, AnUnansweredDialogIsCancelledAndChangesNothing) {
  const int32_t before = OptGetValue(ctx, kOptWatermarkOn, nullptr);
  ctx->workArea->subDialogResult = 0;
  EXPECT_EQ(UiRunSubDialog(ctx, kDialogModal, kModalDialog, nullptr), IDCANCEL);
  EXPECT_EQ(OptGetValue(ctx, kOptWatermarkOn, nullptr), before);
  ASSERT_EQ(ui::UnattendedCloses().size(), 1u);
  EXPECT_EQ(ui::UnattendedCloses()[0], u"Extensions");
}

TEST_F(SubDialogs, AnIdTheTableLacksShowsNothingAndKeepsTheUndoStack) {
  const DWORD levels = ctx->workArea->undoState;
  const int32_t before = OptGetValue(ctx, kOptWatermarkOn, nullptr);
  EXPECT_EQ(UiRunSubDialog(ctx, kDialogModal, 4999, nullptr), 0);
  EXPECT_EQ(ctx->workArea->undoState, levels);
  EXPECT_EQ(OptGetValue(ctx, kOptWatermarkOn, nullptr), before);
  EXPECT_TRUE(ui::UnattendedCloses().empty());
  EXPECT_EQ(UiRunSubDialog(nullptr, kDialogModal, kModalDialog, nullptr), -1);
}

// The save dialog of settings files: a typed name without extension gets ".rst", is accepted and
// is saved there by the follow-up of the run; a cancelled dialog writes no file.
TEST_F(SubDialogs, SettingsFileSaveDialogSavesUnderTheRowsExtension) {
  CreateDirectoryW(u"C:\\Users", nullptr);
  CreateDirectoryW(u"C:\\Users\\user", nullptr);
  CreateDirectoryW(u"C:\\Users\\user\\Documents", nullptr);
  ui::WhenIdle([&](HWND modal) {
    HWND edit = ui::FindControl(modal, 1152);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, u"C:\\Users\\user\\Documents\\mine");
    ui::Click(ui::FindControl(modal, IDOK));
  });
  EXPECT_EQ(UiRunSubDialog(ctx, 0, 4009, nullptr), 1);
  EXPECT_TRUE(FdFileExists(u"C:\\Users\\user\\Documents\\mine.rst"));
  EXPECT_EQ(ctx->workArea->subDialogResult, 1u);

  ui::WhenIdle([&](HWND modal) { ui::Click(ui::FindControl(modal, IDCANCEL)); });
  EXPECT_EQ(UiRunSubDialog(ctx, 0, 4009, nullptr), 0);
  EXPECT_EQ(ctx->workArea->subDialogResult, 0u);
}

TEST(FileDialogPatterns, ExtensionsMatchInEitherCase) {
  DialogDescriptor settings{};
  settings.kindFlags = kDialogFileSave;
  DialogDescriptor picture{};
  picture.kindFlags = kDialogFileRefer;
  struct Case {
    const DialogDescriptor* row;
    const char16_t* ext;
    int match;
  } cases[] = {{&settings, u".rst", 1}, {&settings, u".RST", 1}, {&settings, u".Rst", 1},
               {&settings, u".bmp", 0}, {&settings, u"xrst", 0}, {&settings, u".rs", 0},
               {&picture, u".BMP", 1},  {&picture, u".rst", 0}};
  for (const Case& c : cases) EXPECT_EQ(FdMatchFileFilter(c.row, c.ext), c.match) << std::string(c.ext, c.ext + 4);
  EXPECT_EQ(std::u16string(FdGetFileFilter(&picture)), u"*.bmp");
  EXPECT_EQ(std::u16string(FdGetFileFilter(&settings)), u"*.rst");
}

TEST(RuleDialogGuard, ClearedByTheClosingCommandsOnly) {
  struct Case {
    UINT msg;
    WPARAM wParam;
    int force;
    bool cleared;
  } cases[] = {{WM_COMMAND, IDOK, 0, true},  {WM_COMMAND, IDCANCEL, 0, true}, {WM_COMMAND, IDYES, 0, true},
               {WM_COMMAND, IDNO, 0, true},  {WM_COMMAND, 8, 0, true},        {WM_COMMAND, 3, 0, false},
               {WM_COMMAND, 5, 0, false},    {WM_PAINT, 0, 0, false},          {WM_PAINT, 0, 1, true}};
  for (const Case& c : cases) {
    ContextWorkArea wa{};
    DriverContext ctx{};
    ctx.workArea = &wa;
    wa.sheet.ruleGuardActive = 1;
    UiClearRuleDialogGuard(&ctx, c.msg, c.wParam, 0, c.force);
    EXPECT_EQ(wa.sheet.ruleGuardActive == 0, c.cleared) << c.msg << " " << c.wParam;
  }
  UiClearRuleDialogGuard(nullptr, WM_COMMAND, IDOK, 0, 1);
}

// The Help button of a page or dialog: the dialog's topic through HTML Help, owned by the sheet.
TEST_F(SubDialogs, TheHelpButtonOpensTheDialogsTopic) {
  DialogDescriptor* row = OptFindDialog(ctx, kModalDialog);
  ASSERT_NE(row, nullptr);
  const auto savedHelp = row->helpId;
  row->helpId = 104;  // a help id with a topic
  ASSERT_NE(FdLookupHelpTopic(row->helpId), nullptr);
  HWND sheet = Window(u"#32770", nullptr, WS_POPUP | WS_VISIBLE);
  HWND dialog = Window(u"#32770", sheet, WS_CHILD | WS_VISIBLE);
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(ctx));
  row->window = dialog;
  row->modalState = 0;
  UiCommonDialogProc(dialog, WM_COMMAND, IDHELP, 0);
  row->window = nullptr;
  const DWORD helpId = row->helpId;
  row->helpId = savedHelp;
  const auto calls = ui::HelpCalls();
  ASSERT_EQ(calls.size(), 1u);
  if (CfgUseHtmlHelp(ctx)) {
    EXPECT_EQ(calls[0].function, "HtmlHelpW");
    EXPECT_EQ(calls[0].window, sheet);
    EXPECT_EQ(calls[0].command, UINT(HH_DISPLAY_TOPIC));
    EXPECT_EQ(calls[0].topic, std::u16string(FdLookupHelpTopic(helpId)));
  } else {
    EXPECT_EQ(calls[0].function, "WinHelpW");
    EXPECT_EQ(calls[0].command, UINT(HELP_CONTEXT));
    EXPECT_EQ(calls[0].data, helpId);
  }
}

// Context help of a control: the control's topic through HTML Help (owner: the page's sheet, or
// the dialog itself while it runs modally), or WinHelp with the control's id pair; nothing for a
// hidden control or a window the dialog's table does not know.
TEST_F(SubDialogs, ContextHelpOpensTheControlsTopic) {
  // A page row with one control row of a known topic (the default button's).
  DialogDescriptor* row = OptFindDialog(ctx, kModalDialog);
  ASSERT_NE(row, nullptr);
  ControlDescriptor rows[1] = {};
  ControlDescriptor* control = &rows[0];
  control->controlId = 1003;
  control->kind = 2;
  control->helpId = 104;
  ASSERT_NE(FdLookupHelpTopic(104), nullptr);
  ControlDescriptor* savedControls = row->controls;
  const int16_t savedCount = row->controlCount;
  row->controls = rows;
  row->controlCount = 1;
  HWND sheet = Window(u"#32770", nullptr, WS_POPUP | WS_VISIBLE);
  HWND dialog = Window(u"#32770", sheet, WS_CHILD | WS_VISIBLE);
  HWND target = Window(u"Button", dialog, WS_CHILD | WS_VISIBLE);
  HWND stranger = Window(u"Button", dialog, WS_CHILD | WS_VISIBLE);
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(ctx));
  row->window = dialog;
  control->window = target;
  control->state = 0;

  UiShowContextHelp(dialog, target, WM_HELP);
  UiShowContextHelp(dialog, target, WM_CONTEXTMENU);
  UiShowContextHelp(dialog, stranger, WM_HELP);
  control->state = 1;
  UiShowContextHelp(dialog, target, WM_HELP);
  control->state = 0;
  UiShowContextHelp(nullptr, target, WM_HELP);

  const auto calls = ui::HelpCalls();
  ASSERT_EQ(calls.size(), 2u);
  const std::u16string file = PathGetHelpFile(ctx) ? PathGetHelpFile(ctx) : u"";
  if (CfgUseHtmlHelp(ctx)) {
    for (const auto& call : calls) {
      EXPECT_EQ(call.function, "HtmlHelpW");
      EXPECT_EQ(call.window, sheet);
      EXPECT_EQ(call.command, UINT(HH_DISPLAY_TOPIC));
      EXPECT_EQ(call.topic, std::u16string(FdLookupHelpTopic(control->helpId)));
      EXPECT_EQ(call.file, file);
    }
  } else {
    EXPECT_EQ(calls[0].function, "WinHelpW");
    EXPECT_EQ(calls[0].command, UINT(HELP_WM_HELP));
    EXPECT_EQ(calls[0].window, target);
    EXPECT_EQ(calls[1].command, UINT(HELP_CONTEXTMENU));
    EXPECT_EQ(calls[1].window, target);
  }
  row->window = nullptr;
  row->controls = savedControls;
  row->controlCount = savedCount;
}

TEST(HelpTopics, LookupFindsTheFirstRowAndNothingForUnknownIds) {
  EXPECT_EQ(FdLookupHelpTopic(0), nullptr);
  EXPECT_EQ(FdLookupHelpTopic(99999), nullptr);
  ASSERT_NE(FdLookupHelpTopic(104), nullptr);
  EXPECT_NE(std::u16string(FdLookupHelpTopic(104)).find(u"IDH_KEY_COM_DEFAULT"), std::u16string::npos);
}

}  // namespace
