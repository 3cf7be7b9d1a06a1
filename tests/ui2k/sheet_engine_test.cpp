// The sheet engine: the control rows against the dialog table and the templates, and real dialogs
// built from the language library's templates through the common dialog procedure (binding,
// the first refresh with the model's defaults and rules, preset tracking, closing commands and
// the extra sheet buttons).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "context_services.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "option_context_words.h"
#include "sheet_engine.h"
#include "win32/comctl.h"
#include "win32/windows.h"

namespace {

// ---- the tables --------------------------------------------------------------------------------

TEST(SheetTables, RowsFollowTheDialogTable) {
  int total = 0;
  std::set<uint16_t> kinds;
  for (const ControlKindEntry& k : kControlKindTable) kinds.insert(k.kind);
  EXPECT_EQ(kinds.size(), 34u);
  for (int i = 0; i < kDialogTable.count; ++i) {
    const DialogDescriptor& d = kDialogTable.rows[i];
    SCOPED_TRACE(d.name);
    ASSERT_NE(d.controls, nullptr);
    std::set<uint16_t> ids;
    for (int j = 0; j < d.controlCount; ++j) {
      const ControlDescriptor& c = d.controls[j];
      EXPECT_TRUE(ids.insert(c.controlId).second) << "control " << c.controlId << " twice";
      EXPECT_NE(UiFindControlKind(c.kind), nullptr) << "control " << c.controlId << " kind " << c.kind;
      EXPECT_EQ(c.windowId, 0);
      EXPECT_EQ(c.option, nullptr);
      EXPECT_EQ(c.flags & ~kControlStaticFlag, 0u);
    }
    total += d.controlCount;
  }
  EXPECT_EQ(total, 1566);
}

struct NamedRow {
  uint16_t dialog, control, kind;
};
// Rows the descriptions name by id and kind.
constexpr NamedRow kNamedRows[] = {
    {1012, 2177, 1}, {1012, 2178, 1},  {1012, 2179, 2},  {1012, 2180, 2},  {1012, 2181, 22},
    {1012, 1, 21},   {1012, 2, 21},    {1012, 9, 21},    {1013, 2560, 4},  {1013, 2182, 41}, {1002, 2039, 2},
    {1013, 2183, 41}, {1013, 1, 21},   {1001, 2001, 50}, {1001, 2030, 23},
    {1002, 2221, 23}, {1065, 2817, 49}, {1007, 2139, 50}, {4024, 3032, 84}, {1002, 2007, 48},
};

TEST(SheetTables, NamedRowsCarryTheirIdsKindsAndLinks) {
  for (const NamedRow& n : kNamedRows) {
    const DialogDescriptor* d = nullptr;
    for (int i = 0; i < kDialogTable.count; ++i)
      if (kDialogTable.rows[i].dialogId == n.dialog) d = &kDialogTable.rows[i];
    ASSERT_NE(d, nullptr);
    const ControlDescriptor* found = nullptr;
    for (int j = 0; j < d->controlCount; ++j)
      if (d->controls[j].controlId == n.control) found = &d->controls[j];
    ASSERT_NE(found, nullptr) << n.dialog << "/" << n.control << " kind " << n.kind;
    EXPECT_EQ(found->kind, n.kind) << n.dialog << "/" << n.control;
    if (n.control == 2001) {
      EXPECT_EQ(found->linkedControl, 2039);
      EXPECT_EQ(found->builtInFunc, 1);
    }
    if (n.control == 2030) EXPECT_EQ(found->linkedControl, 2029);
    if (n.control == 3032) EXPECT_EQ(found->builtInFunc, 308);
    if (n.control == 2817) EXPECT_EQ(found->auxRecord[95], 648);
  }
  ControlDescriptor combo{};
  const uint16_t record[] = {4, 0, 1, 0, 7005, 0};
  combo.auxRecord = record;
  EXPECT_EQ(UiGetControlAux(&combo, 4), record);
  EXPECT_EQ(UiGetControlAux(&combo, 5), nullptr);
  EXPECT_EQ(UiFindControlKind(7), nullptr);
}

TEST(SheetTables, RowsAndTemplatesComeFromTheirSource) {
  const std::string command = std::string("python3 ") + ZOLT_SOURCE_DIR + "/scripts/dialogs/gen_controls.py --check";
  EXPECT_EQ(std::system(command.c_str()), 0) << "rerun scripts/dialogs/gen_controls.py";
}

// ---- dialogs built from the templates ------------------------------------------------------

class SheetEngine : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    InitCommonControls();  // as the sheet host does before pages are made
    printer_ = OpenTestPrinter();
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateForPrinter(printer_, printer_, nullptr, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    ASSERT_NE(ctx->modelImage, nullptr);
    const std::u16string path = u"C:\\Windows\\ZOLT7Rus.DLL";
    if (!std::filesystem::exists(Real(path)))
      zolt::test::WriteBytes(Real(path), zolt::test::ReadBytes(std::filesystem::path(ZOLT_MODULE_DIR) / "ZOLT7Rus.DLL"));
    library_ = LoadLibraryW(path.c_str());
    ASSERT_NE(library_, nullptr);
    if (ctx->resourceLibrary) FreeLibrary(ctx->resourceLibrary);
    ctx->resourceLibrary = library_;
  }
  void TearDown() override {
    for (HWND w : windows_) DestroyWindow(w);
    if (ctx) {
      for (int i = 0; ctx->dialogTable && i < ctx->dialogTable->count; ++i) ctx->dialogTable->rows[i].window = nullptr;
      CtxReleaseAs(ctx, kCtxReleaseDestroy);
    }
    CtxPurgeCache(1);
    if (printer_) ClosePrinter(printer_);
    DriverMachineTest::TearDown();
  }
  static void Pump() {
    MSG msg{};
    for (int i = 0; i < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // A dialog of the table made from its template, built and refreshed once; a page is made
  // inside a sheet window as the property sheet makes it.
  HWND Open(uint16_t dialogId) {
    ctx->dialogId = dialogId;
    HWND owner = nullptr;
    if (OptFindDialog(ctx, dialogId)->kindFlags & (kDialogDocumentPage | kDialogPrinterPage)) {
      owner = CreateWindowExW(0, u"#32770", u"Sheet", WS_POPUP | WS_VISIBLE, 0, 0, 500, 500, nullptr, nullptr, nullptr, nullptr);
      windows_.push_back(owner);
    }
    HWND dialog = CreateDialogParamW(library_, MAKEINTRESOURCEW(dialogId), owner, UiCommonDialogProc,
                                     reinterpret_cast<LPARAM>(ctx));
    if (dialog) windows_.insert(windows_.begin(), dialog);
    if (dialog && owner) ShowWindow(dialog, SW_SHOW);  // the sheet shows its current page
    Pump();
    return dialog;
  }
  ControlDescriptor* Row(uint16_t dialogId, uint16_t controlId) {
    return OptFindControl(ctx, OptFindDialog(ctx, dialogId), controlId);
  }

  HANDLE printer_ = nullptr;
  DriverContext* ctx = nullptr;
  HMODULE library_ = nullptr;
  std::vector<HWND> windows_;
};

TEST_F(SheetEngine, FirstPageShowsTheModelsSettings) {
  HWND page = Open(1001);
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(IsWindowEnabled(page));
  EXPECT_EQ(UiSheetState(ctx)->building, 0);
  ControlDescriptor* paper = Row(1001, 2009);
  ASSERT_NE(paper, nullptr);
  ASSERT_NE(paper->modelItem, nullptr);  // bound to the model's paper-size item
  EXPECT_EQ(paper->window, GetDlgItem(page, 2009));
  EXPECT_EQ(paper->windowId, 2009);
  EXPECT_NE(paper->savedWindowProc, nullptr);  // subclassed
  EXPECT_TRUE(IsWindowVisible(paper->window));
  // Every row of every dialog is bound once: the context's option row of its symbol.
  for (int j = 0; j < OptFindDialog(ctx, 1001)->controlCount; ++j) {
    ControlDescriptor& c = OptFindDialog(ctx, 1001)->controls[j];
    EXPECT_EQ(c.option, OptFindBySymbol(ctx, c.nameIndex));
    // The first forced refresh shows exactly the controls that the rules do not hide.
    EXPECT_EQ((c.state & kControlHiddenMask) != 0, !IsWindowVisible(c.window)) << c.controlId;
    EXPECT_EQ(UiIsHiddenStale(ctx, &c), 0) << c.controlId;
  }
  EXPECT_EQ(UiAnyOptionChanged(ctx), 0);
}

TEST_F(SheetEngine, HiddenAndGreyFollowTheRules) {
  HWND page = Open(1001);
  ASSERT_NE(page, nullptr);
  // Radio buttons of the orientation stand for values; neither is disabled by the sample's rules.
  ControlDescriptor* portrait = Row(1001, 2026);
  ASSERT_NE(portrait, nullptr);
  EXPECT_EQ(UiIsValueDisabled(ctx, portrait->modelItem, portrait->controlId), portrait->state & kControlHiddenMask);
  // A control without item is never hidden by rules.
  EXPECT_EQ(UiIsValueDisabled(ctx, nullptr, 2026), 0);
  // Grey: a control whose item is not restricted is enabled.
  ControlDescriptor* paper = Row(1001, 2009);
  EXPECT_EQ(UiQueryControlGrey(ctx, OptFindDialog(ctx, 1001), paper) != 0, !IsWindowEnabled(paper->window));
  EXPECT_EQ(UiCellsReadChangedOption(ctx, nullptr), 0);
}

TEST_F(SheetEngine, ChangesAwayFromASelectedPresetSelectUserSettings) {
  HWND page = Open(1001);
  ASSERT_NE(page, nullptr);
  DialogDescriptor* dialog = OptFindDialog(ctx, 1001);
  OptSetValue(ctx, 37, 120);  // preset 1
  UiClearOptionChanges(ctx);
  OptSetValue(ctx, 948, 0);  // the preset's name: the selection stays
  OptFind(ctx, 948)->stateBits |= 1;
  UiRefreshDialog(ctx, dialog, 0);
  EXPECT_EQ(OptGetValue(ctx, 37, nullptr), 120);
  OptSetValue(ctx, 8, OptGetValue(ctx, 8, nullptr) + 1);  // another setting: user settings
  OptFind(ctx, 8)->stateBits |= 1;
  UiRefreshDialog(ctx, dialog, 0);
  EXPECT_EQ(OptGetValue(ctx, 37, nullptr), 118);
  // The guard: a refresh inside a refresh does nothing.
  UiSheetState(ctx)->refreshGuard = 1;
  OptSetValue(ctx, 37, 120);
  OptFind(ctx, 8)->stateBits |= 1;
  UiRefreshDialog(ctx, dialog, 0);
  EXPECT_EQ(OptGetValue(ctx, 37, nullptr), 120);
  UiSheetState(ctx)->refreshGuard = 0;
}

TEST_F(SheetEngine, OkWaitsForAPendingRuleAlertThenCloses) {
  HWND dialog = Open(1012);
  ASSERT_NE(dialog, nullptr);
  DialogDescriptor* row = OptFindDialog(ctx, 1012);
  EXPECT_EQ(row->window, dialog);
  PostMessageW(dialog, kRuleAlertMessage, 2181, 0);
  EXPECT_EQ(SendMessageW(dialog, WM_COMMAND, IDOK, 0), 0);
  EXPECT_EQ(row->window, dialog);  // still open
  MSG msg{};
  while (PeekMessageW(&msg, dialog, kRuleAlertMessage, kRuleAlertMessage, PM_REMOVE)) {
  }
  ctx->workArea->subDialogResult = 0;
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(row->window, nullptr);
  EXPECT_EQ(ctx->workArea->subDialogResult, 1u);
  for (int j = 0; j < row->controlCount; ++j) EXPECT_EQ(row->controls[j].window, nullptr);
}

TEST_F(SheetEngine, PresetButtonsTakeTheSheetsOkPlace) {
  struct Case {
    uint32_t bits;
    bool secondButton;
    int okId;
  };
  for (const Case& c : {Case{kPendingSaveAsNewButton | kPendingOverwriteButton, true, kCommandOverwrite},
                        Case{kPendingSaveAsNewButton, false, kCommandSaveAsNew},
                        Case{kPendingOverwriteButton, false, kCommandOverwrite}}) {
    HWND sheet = CreateWindowExW(0, u"#32770", u"Sheet", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    windows_.push_back(sheet);
    HWND ok = CreateWindowExW(0, u"BUTTON", u"OK", WS_CHILD | BS_DEFPUSHBUTTON, 200, 260, 60, 20, sheet,
                              reinterpret_cast<HMENU>(IDOK), nullptr, nullptr);
    CreateWindowExW(0, u"BUTTON", u"Cancel", WS_CHILD, 270, 260, 60, 20, sheet, reinterpret_cast<HMENU>(IDCANCEL),
                    nullptr, nullptr);
    CtxAddPendingFlags(ctx, 0);
    CtxAddPendingFlags(ctx, c.bits);
    PROPSHEETPAGEW psp{};
    psp.dwSize = sizeof psp;
    psp.hInstance = library_;
    psp.pszTemplate = MAKEINTRESOURCEW(1001);
    psp.pfnDlgProc = UiPageDialogProc;
    psp.lParam = reinterpret_cast<LPARAM>(ctx);
    HWND page = CreateDialogParamW(library_, MAKEINTRESOURCEW(1001), sheet, UiPageDialogProc,
                                   reinterpret_cast<LPARAM>(&psp));
    ASSERT_NE(page, nullptr);
    Pump();
    EXPECT_EQ(GetDlgCtrlID(ok), c.okId);
    EXPECT_EQ(GetDlgItem(sheet, kCommandSaveAsNew) != nullptr, c.secondButton || c.okId == kCommandSaveAsNew);
    EXPECT_TRUE(CtxGetPendingFlags(ctx) & kPendingExtraButtons);
    EXPECT_FALSE(CtxGetPendingFlags(ctx) & (kPendingSaveAsNewButton | kPendingOverwriteButton));
    RECT rc{};
    GetWindowRect(ok, &rc);
    EXPECT_EQ(rc.right - rc.left, 80);  // widened by a third
    DestroyWindow(page);
    OptFindDialog(ctx, 1001)->window = nullptr;
  }
}

}  // namespace
