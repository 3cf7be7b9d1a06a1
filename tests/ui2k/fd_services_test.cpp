// The window build's side of the feature-module bus (the dialog slots of the rows) and the
// message boxes: what the composer puts in front of the user, as the platform's message box
// records it, and what it answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context_services.h"
#include "fd_services.h"
#include "fd_system_error.h"
#include "feature_modules.h"
#include "machine_fixture.h"
#include "settings_paths.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;

class MessageBoxes : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    ui::Reset();
    printer_ = OpenTestPrinter();
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateWithFlags(printer_, printer_, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    UseLibrary(std::filesystem::path(ZOLT_MODULE_DIR) / "ZOLT7Rus.DLL");
  }
  void TearDown() override {
    if (owner_) DestroyWindow(owner_);
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    CtxPurgeCache(1);
    if (printer_) ClosePrinter(printer_);
    ui::Reset();
    DriverMachineTest::TearDown();
  }
  void UseLibrary(const std::filesystem::path& file) {
    const std::u16string path = u"C:\\Windows\\" + file.filename().u16string();
    zolt::test::WriteBytes(Real(path), zolt::test::ReadBytes(file));
    if (ctx->resourceLibrary) FreeLibrary(ctx->resourceLibrary);
    ctx->resourceLibrary = LoadLibraryW(path.c_str());
    ASSERT_NE(ctx->resourceLibrary, nullptr);
  }
  // The library of the tests' own formats (ids 100-104).
  void UseTestLibrary() { UseLibrary(std::filesystem::path(ZOLT_UI2K_TEST_MODULE_DIR) / "TestMsg.DLL"); }
  // A visible top-level window, made the active one.
  HWND Owner() {
    if (!owner_) {
      owner_ = CreateWindowExW(0, u"#32770", u"Owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
      SetActiveWindow(owner_);
    }
    return owner_;
  }
  static std::u16string NameOf(DriverContext* c) {
    const WCHAR* name = PrnGetName(c);
    return name ? name : u"";
  }
  std::u16string Printer() const { return NameOf(ctx); }

  HANDLE printer_ = nullptr;
  HWND owner_ = nullptr;
  DriverContext* ctx = nullptr;
};

TEST_F(MessageBoxes, TheRowsCarryTheDialogSideHandlers) {
  const FeatureModule* rows = FeatureModuleTable(nullptr);
  const FmDialogHandler dialogs[kFmModuleCount] = {
      FmPresetOnDialog, FmWatermarkOnDialog, FmColorOnDialog,   FmFreeSizeOnDialog, FmChapterOnDialog,
      FmOptionsOnDialog, FmTtfOnDialog,  FmSummaryOnDialog, FmLimitOnDialog,  FmExtOnDialog,
  };
  for (int i = 0; i < kFmModuleCount; ++i) EXPECT_EQ(rows[i].onDialog, dialogs[i]) << i + 1;
  EXPECT_EQ(rows[0].onNotify, FmPresetOnNotify);
  EXPECT_EQ(rows[1].onNotify, FmWatermarkOnNotify);
  EXPECT_EQ(rows[2].onNotify, FmCmmOnNotify);

  // No feature dialog can be open yet: every message is another dialog's, so nobody answers.
  DialogDescriptor dialog{};
  dialog.dialogId = 1011;
  for (DWORD message : {0x110u, 0x111u, 0x4Eu})
    EXPECT_EQ(FmDispatchDialogMessage(ctx, &dialog, nullptr, message, 0, 0), 0) << message;
  EXPECT_TRUE(ui::MessageBoxes().empty());
}

// Each wrapper: the resource string as text, the printer's name as caption, its icon and
// buttons, owned by the active window when no owner is given.
TEST_F(MessageBoxes, TheWrappersShowTheirStringUnderThePrintersName) {
  HWND owner = Owner();
  const std::u16string path = u"C:\\Users\\user\\a.ini";
  struct Case {
    int result;
    std::u16string text;
    UINT type;
  } cases[] = {
      {FdShowWarning(ctx, nullptr, 7002),
       u"The printer's configuration could not be obtained. Check that the printer is turned on and connected.",
       0x30},
      {FdAskWarningOkCancel(ctx, nullptr, 10017),
       u"Presets that no longer match the printer's settings will be deleted. Do you want to continue?", 0x31},
      {FdShowMessageStyled(ctx, owner, 7004, kFdIconInformation, 0),
       u"The presets were updated to match the printer's settings.", 0x40},
      {FdShowMessage(ctx, nullptr, 10079, kFdButtonsOkCancel), u"No more colour matching entries can be added.",
       0x31},
      {FdShowMessageWithText(ctx, nullptr, 10023, path.c_str()),
       u"The settings file C:\\Users\\user\\a.ini cannot be used with this printer.", 0x30},
      {FdShowMessageWithText(ctx, owner, 12041, nullptr),
       u"The settings in  differ from settings locked by the administrator. The file was not loaded.", 0x30},
  };
  const std::vector<ui::MessageBoxRecord> boxes = ui::MessageBoxes();
  ASSERT_EQ(Printer(), u"ZOLT Office 7000");
  ASSERT_EQ(boxes.size(), std::size(cases));
  for (size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_EQ(boxes[i].text, cases[i].text) << i;
    EXPECT_EQ(boxes[i].caption, Printer()) << i;
    EXPECT_EQ(boxes[i].type, cases[i].type) << i;
    EXPECT_EQ(boxes[i].owner, owner) << i;
    // Nobody answered: a user's Escape closes an OK box with OK, an OK/Cancel box with Cancel.
    EXPECT_EQ(cases[i].result, (cases[i].type & 0xF) == 1 ? kFdIdCancel : kFdIdOk) << i;
    EXPECT_EQ(boxes[i].answer, cases[i].result) << i;
  }
}

TEST_F(MessageBoxes, TheOkCancelBoxAnswersTheButtonPressed) {
  for (int answer : {kFdIdOk, kFdIdCancel}) {
    ui::AnswerNextMessageBox(answer);
    EXPECT_EQ(FdAskWarningOkCancel(ctx, Owner(), 10017), answer);
  }
  // A box whose owner is not a window is not shown.
  EXPECT_EQ(FdAskWarningOkCancel(ctx, reinterpret_cast<HWND>(uintptr_t{0x9999}), 10017), 0);
  EXPECT_EQ(ui::MessageBoxes().size(), 2u);
}

// The composer's framing, caption string and argument modes.
TEST_F(MessageBoxes, TheComposerFramesAndFormatsTheText) {
  UseTestLibrary();
  const WORD three[] = {2, 5, 3, 7, 7, 7, 7, 7, 7};
  struct Case {
    MessageRequest request;
    std::u16string text;
    std::u16string caption;
  } cases[] = {
      {{101, 0, 0x30, 0, nullptr, kFdArgumentNone, 0, nullptr, nullptr}, u"Message", Printer()},
      {{101, 100, 0x40, 1, nullptr, kFdArgumentNone, 0, nullptr, nullptr}, u"Message", u"Printer Message"},
      {{101, 0, 0x30, 0, u"Before", kFdArgumentNone, 0, nullptr, u"After"},
       u"Before\r\n\r\nMessage\r\n\r\nAfter\r\n\r\n", Printer()},
      {{101, 0, 0x30, 0, u"Before", kFdArgumentNone, 0, nullptr, nullptr}, u"Before\r\n\r\nMessage", Printer()},
      {{102, 0, 0x30, 0, nullptr, kFdArgumentNumbers, 3, three, nullptr}, u"Copies 2 of 5, tray 3", Printer()},
      // More than eight numbers: only the first is passed.
      {{102, 0, 0x30, 0, nullptr, kFdArgumentNumbers, 9, three, nullptr}, u"Copies 2 of 0, tray 0", Printer()},
      {{103, 0, 0x30, 0, nullptr, kFdArgumentNumbers, 1, three, u"Note"}, u"Value 2\r\n\r\nNote\r\n\r\n",
       Printer()},
      // A format with more conversions than arguments gets empty texts for the rest.
      {{104, 0, 0x30, 0, nullptr, kFdArgumentText, 0, u"a.ini", nullptr}, u"File a.ini, then ", Printer()},
  };
  // Unanswered, the OK/Cancel box closes with Cancel.
  for (const Case& c : cases)
    EXPECT_EQ(FdComposeMessageBox(ctx, &c.request, Owner()), c.request.boxFlags == 1 ? kFdIdCancel : kFdIdOk);
  const std::vector<ui::MessageBoxRecord> boxes = ui::MessageBoxes();
  ASSERT_EQ(boxes.size(), std::size(cases));
  for (size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_EQ(boxes[i].text, cases[i].text) << i;
    EXPECT_EQ(boxes[i].caption, cases[i].caption) << i;
    EXPECT_EQ(boxes[i].type, UINT(cases[i].request.boxType | cases[i].request.boxFlags)) << i;
  }
}

TEST_F(MessageBoxes, ARequestThatDoesNotHoldTogetherShowsNothing) {
  const WORD numbers[] = {1};
  const MessageRequest refused[] = {
      {7002, 0, 0x30, 0, nullptr, kFdArgumentNone, 0, u"argument", nullptr},  // argument without a mode
      {7002, 0, 0x30, 0, nullptr, kFdArgumentNumbers, 0, numbers, nullptr},   // no numbers
      {7002, 0, 0x30, 0, nullptr, kFdArgumentNumbers, 2, nullptr, nullptr},   // numbers without their array
  };
  for (const MessageRequest& r : refused) EXPECT_EQ(FdComposeMessageBox(ctx, &r, Owner()), 0);
  EXPECT_EQ(FdComposeMessageBox(ctx, nullptr, Owner()), 0);
  EXPECT_TRUE(ui::MessageBoxes().empty());
}

// The longest text of a library with a prefix and a suffix arrives whole, framing and all.
TEST_F(MessageBoxes, TheLongestTextKeepsItsFraming) {
  UseTestLibrary();
  std::u16string longest;
  for (int i = 0; i < 102; ++i) longest += u"0123456789";
  MessageRequest request{105, 0, 0x30, 0, u"P", kFdArgumentNone, 0, nullptr, u"S"};
  ASSERT_EQ(FdComposeMessageBox(ctx, &request, Owner()), kFdIdOk);
  EXPECT_EQ(ui::MessageBoxes().at(0).text, u"P\r\n\r\n" + longest + u"\r\n\r\nS\r\n\r\n");
}

// A context of the tables alone, over no printer, has no language library.
TEST_F(MessageBoxes, WithoutALanguageLibraryTheBoxShowsAnEmptyText) {
  DriverContext* bare = CtxCreateWithFlags(reinterpret_cast<HANDLE>(uintptr_t{1}), reinterpret_cast<HANDLE>(uintptr_t{1}),
                                           nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(FdShowWarning(bare, Owner(), 7002), kFdIdOk);
  const std::vector<ui::MessageBoxRecord> boxes = ui::MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"");
  EXPECT_EQ(boxes[0].caption, NameOf(bare));
  // Nor a progress window; closing none fails.
  EXPECT_EQ(FdShowProgressDialog(bare, nullptr, 7001), nullptr);
  EXPECT_EQ(FdCloseProgressDialog(nullptr, nullptr), FALSE);
  EXPECT_EQ(FdCloseProgressDialog(nullptr, reinterpret_cast<HWND>(uintptr_t{5})), FALSE);  // no window at all
  CtxReleaseAs(bare, kCtxReleaseDestroy);
}

TEST_F(MessageBoxes, ASystemErrorShowsTheSystemsText) {
  EXPECT_EQ(FdShowSystemError(ctx, ERROR_ACCESS_DENIED, Owner()), 1);
  EXPECT_EQ(FdShowSystemError(ctx, 0xDEAD, Owner()), 1);  // no text: nothing shown
  const std::vector<ui::MessageBoxRecord> boxes = ui::MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"Access is denied.\r\n");
  EXPECT_EQ(boxes[0].caption, Printer());
  EXPECT_EQ(boxes[0].type, UINT(kFdIconWarning));
  EXPECT_EQ(boxes[0].owner, Owner());
}

}  // namespace
