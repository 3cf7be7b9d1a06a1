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
#include "env_language.h"
#include "settings_paths.h"
#include "sheet_engine.h"
#include "win32/hostui.h"
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

// The device sheet's apply marks a locked small tray: a rule in force that maps the locked
// source sets zdmLockInfoLockSmallPaperTray; tray locking off clears it; a lock byte that keeps
// the trays apart (bit 1), another locked tray or a rule whose condition is off leave it.
TEST_F(SheetEngine, ALockedSmallTrayIsMarkedByTheRemapRules) {
  constexpr uint16_t kSmallTray = 10417, kTrayLock = 10419, kLockedTray = 1236, kSource = 13, kCondition = 12;
  constexpr uint16_t kTray1 = 2, kTray2 = 3;  // value ids of the sources
  HANDLE admin = OpenTestPrinter(PRINTER_ALL_ACCESS);
  ASSERT_NE(admin, nullptr);
  OptSetUiValue(ctx, kSource, kTray1);
  const int32_t tray1 = OptGetValue(ctx, kSource, nullptr);  // stored values
  OptSetUiValue(ctx, kSource, kTray2);
  const int32_t tray2 = OptGetValue(ctx, kSource, nullptr);
  ASSERT_NE(tray1, tray2);
  const ValueRemapRule rules[] = {{kTray1, 1, kCondition}, {0, 0, 0}};
  struct Case {
    int trayLock;
    bool lockTray1;   // the locked source: tray 1, else tray 2
    int condition;    // value of the rule's condition option (dmCopies)
    DWORD lockByte;   // the printer's zdmLock000InfoBit, 0xFF: none stored
    int before, after;
  };
  const Case cases[] = {
      {1, true, 1, 0xFF, 0, 1}, {1, true, 1, 0, 0, 1},    {1, true, 0, 0xFF, 0, 0}, {1, false, 1, 0xFF, 0, 0},
      {1, true, 1, 2, 0, 0},    {0, true, 1, 0xFF, 1, 0}, {1, false, 1, 0xFF, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "lock " << c.trayLock << " tray 1 " << c.lockTray1 << " condition "
                                    << c.condition << " byte " << c.lockByte);
    if (c.lockByte == 0xFF) {
      DeletePrinterDataW(admin, const_cast<LPWSTR>(u"zdmLock000InfoBit"));
    } else {
      BYTE b = BYTE(c.lockByte);
      ASSERT_EQ(SetPrinterDataW(admin, const_cast<LPWSTR>(u"zdmLock000InfoBit"), REG_BINARY, &b, 1), DWORD(ERROR_SUCCESS));
    }
    OptSetValue(ctx, kTrayLock, c.trayLock);
    OptSetValue(ctx, kLockedTray, c.lockTray1 ? tray1 : tray2);
    OptSetValue(ctx, kCondition, c.condition);
    OptSetValue(ctx, kSmallTray, c.before);
    UiMarkLockedSmallTray(ctx, rules);
    EXPECT_EQ(OptGetValue(ctx, kSmallTray, nullptr), c.after);
  }
  // The sheet's own table maps nothing: the mark stays as it is while locking is on.
  OptSetValue(ctx, kTrayLock, 1);
  OptSetValue(ctx, kSmallTray, 0);
  UiMarkLockedSmallTray(ctx, OptGetValueRemapRules());
  EXPECT_EQ(OptGetValue(ctx, kSmallTray, nullptr), 0);
  ClosePrinter(admin);
}

// The rows' own strings: a restricted value chosen in a combo that refuses it shows the
// control's information message and keeps the old value; the notice marker of a greyed control
// shows its information message; a control's hover tip is its description string (with its line
// break), in the English and the Japanese library.
TEST_F(SheetEngine, RowsShowTheirDescriptionsAndInformationMessages) {
  namespace ui = zolt::host::ui;
  ui::Reset();
  HWND page = Open(1001);
  ASSERT_NE(page, nullptr);
  DialogDescriptor* dialog = OptFindDialog(ctx, 1001);
  auto text = [&](uint16_t id) {
    std::u16string s(1025, u'\0');
    EnvLoadString(ctx, id, s.data(), 1025, 1);
    return std::u16string(s.c_str());
  };

  // Thick paper is refused on A5.
  constexpr uint32_t kA5 = 42, kThick = 17;
  OptSetUiValue(ctx, 8, kA5);
  UiRefreshDialog(ctx, dialog, 1);
  ControlDescriptor* media = Row(1001, 2032);
  ASSERT_NE(media, nullptr);
  EXPECT_EQ(media->informationMessageId, 16403);
  const int32_t before = OptGetControlValue(ctx, media);
  const LRESULT count = SendMessageW(media->window, CB_GETCOUNT, 0, 0);
  LRESULT thick = CB_ERR;
  for (LRESULT i = 0; i < count; ++i)
    if (SendMessageW(media->window, CB_GETITEMDATA, WPARAM(i), 0) == LRESULT(kThick)) thick = i;
  ASSERT_NE(thick, CB_ERR);
  SendMessageW(media->window, CB_SETCURSEL, WPARAM(thick), 0);
  EXPECT_EQ(UiComboCommand(ctx, dialog, media, MAKEWPARAM(2032, CBN_SELCHANGE), LPARAM(media->window)), 1);
  EXPECT_EQ(OptGetControlValue(ctx, media), before);
  EXPECT_NE(SendMessageW(media->window, CB_GETCURSEL, 0, 0), thick);
  auto boxes = ui::MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, text(16403));
  EXPECT_EQ(boxes[0].caption, u"Information");
  EXPECT_EQ(boxes[0].owner, media->window);
  EXPECT_EQ(boxes[0].type & MB_ICONMASK, UINT(MB_ICONINFORMATION));

  // The notice marker beside the print type, greyed by the model for a short colour run, shows
  // the row's information message.
  ControlDescriptor* printType = Row(1001, 2022);
  ASSERT_NE(printType, nullptr);
  EXPECT_EQ(printType->informationMessageId, 16404);
  EXPECT_EQ((printType->state & kControlGreyMask) >> kControlGreyShift, 1);
  EXPECT_FALSE(IsWindowEnabled(printType->window));
  UiMakeNoticeMarker(ctx, dialog, printType);
  HWND marker = nullptr;
  for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (child != printType->window && GetWindowLongPtrW(child, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(printType))
      marker = child;
  ASSERT_NE(marker, nullptr);
  SendMessageW(marker, WM_LBUTTONUP, 0, 0);
  boxes = ui::MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, text(16404));
  EXPECT_EQ(boxes[1].caption, std::u16string(PrnGetName(ctx)));
  EXPECT_EQ(boxes[1].type & MB_ICONMASK, UINT(MB_ICONINFORMATION));

  // The hover tip of the initial-settings button: its description, two lines.
  ControlDescriptor* init = Row(1001, 2011);
  ASSERT_NE(init, nullptr);
  ASSERT_EQ(init->descriptionStringId, 16101);
  ASSERT_FALSE(init->state & kControlHiddenMask);
  RECT r{};
  GetWindowRect(init->window, &r);
  SendMessageW(init->window, WM_NCHITTEST, 0, MAKELPARAM(r.left + 2, r.top + 2));
  SheetEngineState* state = UiSheetState(ctx);
  ASSERT_NE(state->tip.window, nullptr);
  EXPECT_EQ(state->tip.controlId, 2011);
  EXPECT_EQ(ui::Text(state->tip.window), text(16101));
  EXPECT_NE(text(16101).find(u'\n'), std::u16string::npos);
  UiRemoveHoverTip(ctx);

  // The Japanese library carries the same strings in its own language.
  const std::u16string english = text(16101);
  const std::u16string path = u"C:\\Windows\\ZOLT7Rjp.DLL";
  if (!std::filesystem::exists(Real(path)))
    zolt::test::WriteBytes(Real(path), zolt::test::ReadBytes(std::filesystem::path(ZOLT_MODULE_DIR) / "ZOLT7Rjp.DLL"));
  HMODULE japanese = LoadLibraryW(path.c_str());
  ASSERT_NE(japanese, nullptr);
  ctx->resourceLibrary = japanese;
  for (uint16_t id : {16101, 16403, 16404}) {
    EXPECT_FALSE(text(id).empty()) << id;
    EXPECT_NE(text(id), english) << id;
  }
  EXPECT_EQ(text(16404), u"現在のカラーと部数の設定では印刷方法を変えられません。");
  ctx->resourceLibrary = library_;
  FreeLibrary(japanese);
  ui::Reset();
}

}  // namespace
