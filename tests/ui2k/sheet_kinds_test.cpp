// The label, button, list, edit and scroll-bar kinds through real controls of an open page: the
// user's actions arrive as the controls' own notifications to the page, which hands them to the
// kind's slots, and the option values that result; typed-character limits of the edits; the
// page utilities' fix-up and dialog-kind tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "context_services.h"
#include "env_language.h"
#include "machine_fixture.h"
#include "model_query.h"
#include "option_access.h"
#include "option_values.h"
#include "sheet_kinds.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;

constexpr uint16_t kPage = 1002;

class SheetKinds;
SheetKinds* g_test = nullptr;

class SheetKinds : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    ui::Reset();
    printer_ = OpenTestPrinter();
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateForPrinter(printer_, printer_, nullptr, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    ASSERT_NE(ctx->modelImage, nullptr);
    const std::u16string path = u"C:\\Windows\\ZOLT7Rus.DLL";
    if (!std::filesystem::exists(Real(path)))
      zolt::test::WriteBytes(Real(path), zolt::test::ReadBytes(std::filesystem::path(ZOLT_MODULE_DIR) / "ZOLT7Rus.DLL"));
    if (ctx->resourceLibrary) FreeLibrary(ctx->resourceLibrary);
    ctx->resourceLibrary = LoadLibraryW(path.c_str());
    dialog = OptFindDialog(ctx, kPage);
    ASSERT_NE(dialog, nullptr);
    savedRows_ = dialog->controls;
    savedCount_ = dialog->controlCount;
    page_ = CreateWindowExW(0, u"#32770", u"Page", WS_POPUP | WS_VISIBLE, 0, 0, 500, 400, nullptr, nullptr, nullptr,
                            nullptr);
    pageProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(page_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PageProc)));
    SetActiveWindow(page_);
    dialog->window = page_;
    ctx->dialogId = kPage;
    rows_.reserve(16);
    g_test = this;
  }
  void TearDown() override {
    g_test = nullptr;
    if (ctx) {
      dialog->controls = savedRows_;
      dialog->controlCount = savedCount_;
      dialog->window = nullptr;
    }
    if (page_) DestroyWindow(page_);
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    CtxPurgeCache(1);
    if (printer_) ClosePrinter(printer_);
    ui::Reset();
    DriverMachineTest::TearDown();
  }

  // The page hands its controls' notifications to the kind of the control's row.
  static LRESULT CALLBACK PageProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    SheetKinds* t = g_test;
    if (t) {
      HWND from = msg == WM_COMMAND || msg == WM_VSCROLL || msg == WM_HSCROLL ? reinterpret_cast<HWND>(lParam) : nullptr;
      for (ControlDescriptor& row : t->rows_) {
        if (!from || row.window != from) continue;
        const ControlKindEntry* kind = UiFindControlKind(row.kind);
        if (msg == WM_COMMAND && kind->command) kind->command(t->ctx, t->dialog, &row, wParam, lParam);
        if (msg != WM_COMMAND && kind->message) kind->message(t->ctx, t->dialog, &row, msg, wParam, lParam);
        return 0;
      }
    }
    return CallWindowProcW(t ? t->pageProc_ : DefWindowProcW, window, msg, wParam, lParam);
  }

  // A row bound to the option (and its model item, when the option has one), with its window.
  ControlDescriptor* Row(uint16_t option, uint16_t id, uint16_t kind, LPCWSTR cls, DWORD style, int w = 160,
                         int h = 24) {
    ControlDescriptor row{};
    row.controlId = id;
    row.windowId = id;
    row.kind = kind;
    row.option = OptFind(ctx, option);
    EXPECT_NE(row.option, nullptr) << option;
    row.modelItem = MdlFindItem(option, ctx);
    const int y = 10 + 28 * int(rows_.size() % 12);
    row.window = CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 10, y, w, h, page_,
                                 reinterpret_cast<HMENU>(uintptr_t(id)), nullptr, nullptr);
    EXPECT_NE(row.window, nullptr);
    rows_.push_back(row);
    dialog->controls = rows_.data();
    dialog->controlCount = int16_t(rows_.size());
    ControlDescriptor* c = &rows_.back();
    const ControlKindEntry* entry = UiFindControlKind(kind);
    if (entry->init) entry->init(ctx, dialog, c);
    if (entry->refresh) entry->refresh(ctx, dialog, c);
    return c;
  }
  int32_t Value(uint16_t option) { return OptGetUiValue(ctx, option, nullptr); }
  void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }

  DriverContext* ctx = nullptr;
  DialogDescriptor* dialog = nullptr;
  HANDLE printer_ = nullptr;
  HWND page_ = nullptr;
  WNDPROC pageProc_ = nullptr;
  std::vector<ControlDescriptor> rows_;
  ControlDescriptor* savedRows_ = nullptr;
  int16_t savedCount_ = 0;
};

constexpr uint16_t kOptCollate = 19;   // dmCollate (Boolean)
constexpr uint16_t kOptMedia = 54;     // zdmMediaType (pick one)
constexpr uint16_t kOptNumber = 11;    // dmScale: a 16-bit number that no item of the model describes
constexpr uint16_t kOptUserCode = 1144;

TEST_F(SheetKinds, CheckBoxAndRadioButtonsStoreWhatTheUserClicks) {
  ASSERT_EQ(OptSetUiValue(ctx, kOptCollate, 0), 1);
  ControlDescriptor* check = Row(kOptCollate, 2301, 22, u"BUTTON", BS_AUTOCHECKBOX);
  EXPECT_EQ(ui::CheckState(check->window), BST_UNCHECKED);
  struct Step {
    int expectValue;
    int expectMark;
  };
  for (const Step& s : {Step{1, BST_CHECKED}, Step{0, BST_UNCHECKED}, Step{1, BST_CHECKED}}) {
    ASSERT_TRUE(ui::Click(check->window));
    Pump();
    EXPECT_EQ(Value(kOptCollate), s.expectValue);
    UiRefreshCheck(ctx, dialog, check);
    EXPECT_EQ(ui::CheckState(check->window), s.expectMark);
  }
  // A stored value the mark disagrees with is set again by the refresh.
  ASSERT_EQ(OptSetUiValue(ctx, kOptCollate, 0), 1);
  UiRefreshCheck(ctx, dialog, check);
  EXPECT_EQ(ui::CheckState(check->window), BST_UNCHECKED);
  EXPECT_EQ(UiToggleCheck(ctx, dialog, check, 0, 0, 0), 1);
  EXPECT_EQ(Value(kOptCollate), 1);

  // Radio buttons: the control id is the value id.
  const uint16_t first = 13100, second = 13101;
  ControlDescriptor* a = Row(kOptMedia, first, 41, u"BUTTON", BS_AUTORADIOBUTTON | WS_GROUP);
  ControlDescriptor* b = Row(kOptMedia, second, 41, u"BUTTON", BS_AUTORADIOBUTTON);
  ASSERT_TRUE(ui::Click(b->window));
  Pump();
  EXPECT_EQ(Value(kOptMedia), second);
  UiRefreshRadio(ctx, dialog, a);
  UiRefreshRadio(ctx, dialog, b);
  EXPECT_EQ(ui::CheckState(b->window), BST_CHECKED);
  // The system cleared the mark of the current value: the command stores it again.
  CheckDlgButton(page_, second, BST_UNCHECKED);
  EXPECT_EQ(UiRadioCommand(ctx, dialog, b, MAKEWPARAM(second, BN_CLICKED), LPARAM(b->window)), 1);
  EXPECT_EQ(Value(kOptMedia), second);
  UiRefreshRadio(ctx, dialog, b);
  EXPECT_EQ(ui::CheckState(b->window), BST_CHECKED);
  EXPECT_EQ(UiSelectRadio(ctx, dialog, a, 0, 0, 0), 1);
  EXPECT_EQ(Value(kOptMedia), first);
}

TEST_F(SheetKinds, ListBoxListsTheValuesAndTakesTheChoice) {
  ControlDescriptor* list = Row(kOptMedia, 2040, 42, u"LISTBOX", LBS_NOTIFY | WS_VSCROLL, 200, 150);
  const std::vector<std::u16string> items = ui::Items(list->window);
  ASSERT_GE(items.size(), 2u);
  // Every item carries its value id, and the current value is selected.
  const LRESULT sel = SendMessageW(list->window, LB_GETCURSEL, 0, 0);
  ASSERT_NE(sel, LB_ERR);
  EXPECT_EQ(int32_t(SendMessageW(list->window, LB_GETITEMDATA, WPARAM(sel), 0)), Value(kOptMedia));
  const int other = sel == 0 ? 1 : 0;
  const int32_t otherValue = int32_t(SendMessageW(list->window, LB_GETITEMDATA, WPARAM(other), 0));
  ASSERT_TRUE(ui::SelectItem(list->window, items[other]));
  Pump();
  EXPECT_EQ(Value(kOptMedia), otherValue);
  // A value that no item stands for clears the selection.
  SendMessageW(list->window, LB_DELETESTRING, WPARAM(other), 0);
  UiSelectListByValue(ctx, dialog, list);
  EXPECT_EQ(SendMessageW(list->window, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(SheetKinds, NumbersAreParsedToTheDecimalsOfTheirDivisor) {
  struct Case {
    const char16_t* text;
    int divisor;
    int language;  // 169 zdmLanguageID: 2 takes a decimal comma
    int expect;
  };
  const Case cases[] = {
      {u"12.5", 10, 1, 125},       {u"12,5", 10, 2, 125},   {u"12.5", 10, 2, 120},  {u"12", 100, 1, 1200},
      {u"1.234", 100, 1, 123},     {u"-3.5", 10, 1, -35},   {u"abc", 10, 1, 0},     {u"", 0, 1, 0},
      {u"mm 7", 1, 1, 7},          {u"7.9", 0, 1, 7},       {u"99999999999999999999", 1, 1, INT32_MAX},
      {u"-99999999999999999999", 10, 1, INT32_MIN},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(OptSetValue(ctx, kOptLanguageId, c.language), 1);
    EXPECT_EQ(UiParseNumber(c.text, c.divisor, ctx), c.expect) << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
  }
}

TEST_F(SheetKinds, NumericEditTakesTypedDigitsWithinItsLimit) {
  // Without a Numeric record of the model the edit takes six characters; dmScale is a 16-bit
  // field, so a digit that takes the value past 32767 is taken back.
  ControlDescriptor* copies = Row(kOptNumber, 2019, 63, u"EDIT", ES_AUTOHSCROLL);
  SetWindowTextW(copies->window, u"");
  ASSERT_TRUE(ui::Type(copies->window, u"42"));
  Pump();
  EXPECT_EQ(Value(kOptNumber), 42);
  ASSERT_TRUE(ui::Type(copies->window, u"78901"));
  Pump();
  EXPECT_EQ(ui::Text(copies->window), u"4278");
  EXPECT_EQ(Value(kOptNumber), 4278);
  // A hidden edit stores nothing.
  copies->state |= 1;
  SetWindowTextW(copies->window, u"5");
  EXPECT_EQ(UiNumberEditCommand(ctx, dialog, copies, MAKEWPARAM(2019, EN_CHANGE), LPARAM(copies->window)), 0);
  EXPECT_EQ(Value(kOptNumber), 4278);
}

TEST_F(SheetKinds, DisplayUnitEditRefusesADigitThatOverflowsTheLength) {
  OptionEntry* row = OptFind(ctx, 96);
  ASSERT_NE(row, nullptr);
  ASSERT_GE(TypeKind(row->typeWord), 1u);
  ASSERT_LE(TypeKind(row->typeWord), 6u);
  ASSERT_EQ(OptSetValue(ctx, 171, 0), 1);                // metric
  ASSERT_EQ(OptSetValue(ctx, kOptLanguageId, 2), 1);     // decimal comma
  ControlDescriptor* edit = Row(96, 2260, 63, u"EDIT", ES_AUTOHSCROLL);
  edit->flags |= kControlDisplayUnit;
  SendMessageW(edit->window, EM_LIMITTEXT, 40, 0);
  SetWindowTextW(edit->window, u"");
  ASSERT_TRUE(ui::Type(edit->window, u"12,5"));
  Pump();
  EXPECT_EQ(Value(96), OptFromDisplayUnits(ctx, 0, 125));
  // 45455071 whole millimetres do not fit the dots: the last digit is taken back.
  SetWindowTextW(edit->window, u"4545507");
  const int32_t before = Value(96);
  ASSERT_TRUE(ui::Type(edit->window, u"1"));
  Pump();
  EXPECT_EQ(ui::Text(edit->window), u"4545507");
  EXPECT_EQ(Value(96), before);
}

TEST_F(SheetKinds, TextEditStoresNoMoreThanItsFieldHolds) {
  OptionEntry* option = OptFind(ctx, kOptUserCode);
  ASSERT_NE(option, nullptr);
  const int field = int(TypeSize(option->typeWord));
  ControlDescriptor* edit = Row(kOptUserCode, 2270, 61, u"EDIT", ES_AUTOHSCROLL);
  // Pasted text of any length: the stored text is cut to the field, the field keeps its end.
  std::u16string pasted(3000, u'x');
  SetWindowTextW(edit->window, pasted.c_str());
  EXPECT_EQ(UiTextEditCommand(ctx, dialog, edit, MAKEWPARAM(2270, EN_CHANGE), LPARAM(edit->window)), 1);
  WCHAR stored[1025];
  ASSERT_NE(OptGetStringValue(ctx, option, stored, 1025), nullptr);
  EXPECT_EQ(std::char_traits<WCHAR>::length(stored), size_t(field - 1));
  // Blanks around the text go when the edit loses the focus, unless the control keeps them.
  SetWindowTextW(edit->window, u"  ab ");
  UiTextEditCommand(ctx, dialog, edit, MAKEWPARAM(2270, EN_KILLFOCUS), LPARAM(edit->window));
  ASSERT_NE(OptGetStringValue(ctx, option, stored, 1025), nullptr);
  EXPECT_EQ(std::u16string(stored), u"ab");
  EXPECT_EQ(ui::Text(edit->window), u"ab");
  edit->flags |= 0x00800000u;
  SetWindowTextW(edit->window, u" cd ");
  UiTextEditCommand(ctx, dialog, edit, MAKEWPARAM(2270, EN_KILLFOCUS), LPARAM(edit->window));
  EXPECT_EQ(ui::Text(edit->window), u" cd ");
}

TEST_F(SheetKinds, SpinAndSliderStepTheirValues) {
  ASSERT_EQ(OptSetUiValue(ctx, kOptNumber, 10), 1);
  ControlDescriptor* spin = Row(kOptNumber, 2020, 23, u"SCROLLBAR", SBS_VERT, 17, 60);
  struct Step {
    WPARAM code;
    int32_t expect;
  };
  const Step spinSteps[] = {{SB_LINEUP, 11}, {SB_LINEDOWN, 10}, {SB_LINEDOWN, 9}, {MAKEWPARAM(SB_THUMBPOSITION, 50), 50},
                            {MAKEWPARAM(SB_THUMBTRACK, 5000), 100}, {MAKEWPARAM(SB_THUMBTRACK, -5000), -100}};
  for (const Step& s : spinSteps) {
    SendMessageW(page_, WM_VSCROLL, s.code, LPARAM(spin->window));
    EXPECT_EQ(Value(kOptNumber), s.expect) << s.code;
  }
  ASSERT_EQ(OptSetUiValue(ctx, kOptNumber, 10), 1);
  ControlDescriptor* slider = Row(kOptNumber, 2021, 82, u"SCROLLBAR", SBS_HORZ, 150, 17);
  const Step sliderSteps[] = {{SB_LINELEFT, 9}, {SB_LINERIGHT, 10}, {SB_PAGERIGHT, 20}, {SB_PAGELEFT, 10},
                              {MAKEWPARAM(SB_THUMBPOSITION, 0), 0}, {SB_LINELEFT, 0}};
  for (const Step& s : sliderSteps) {
    UiRefreshSlider(ctx, dialog, slider);
    SendMessageW(page_, WM_HSCROLL, s.code, LPARAM(slider->window));
    EXPECT_EQ(Value(kOptNumber), s.expect) << s.code;
  }
  // A greyed slider takes nothing.
  slider->state |= 1 << kControlGreyShift;
  SendMessageW(page_, WM_HSCROLL, SB_LINERIGHT, LPARAM(slider->window));
  EXPECT_EQ(Value(kOptNumber), 0);
}

TEST_F(SheetKinds, DialogKindsAndAClosedRefresherDoNothing) {
  DialogDescriptor fileDialog{};
  fileDialog.kindFlags = 0x8000;
  EXPECT_EQ(UiIsFileDialogKind(&fileDialog), 1);
  EXPECT_EQ(UiIsModalDialogKind(&fileDialog), 0);
  fileDialog.kindFlags = kDialogModal;
  EXPECT_EQ(UiIsFileDialogKind(&fileDialog), 0);
  // The source list of this page is filled again while the page is open, and left alone when closed.
  ControlDescriptor* source = Row(kOptMedia, 2007, 42, u"LISTBOX", LBS_NOTIFY, 200, 100);
  const LRESULT count = SendMessageW(source->window, LB_GETCOUNT, 0, 0);
  ASSERT_GT(count, 0);
  SendMessageW(source->window, LB_RESETCONTENT, 0, 0);
  UiRefreshSourceCombos(ctx);
  EXPECT_EQ(SendMessageW(source->window, LB_GETCOUNT, 0, 0), count);
  SendMessageW(source->window, LB_RESETCONTENT, 0, 0);
  dialog->window = nullptr;
  UiRefreshSourceCombos(ctx);
  UiRefreshPaperSizeCombos(ctx);
  EXPECT_EQ(SendMessageW(source->window, LB_GETCOUNT, 0, 0), 0);
  dialog->window = page_;
}

TEST_F(SheetKinds, FixUpMarksOptionsAndControls) {
  UiFixUpPageTables(ctx);
  struct OptionCase {
    uint16_t id;
    uint32_t flags;
  };
  for (const OptionCase& c : {OptionCase{7, 0x1030000u}, OptionCase{10062, 0x1130000u}, OptionCase{96, 0x80000000u},
                              OptionCase{704, 0xC0000000u}, OptionCase{12, 0u}}) {
    const OptionEntry* row = OptFind(ctx, c.id);
    if (!row) continue;
    EXPECT_EQ(row->flags, c.flags) << c.id;
  }
  // Storage aliases read and write one value.
  OptionEntry* a = OptFind(ctx, 92);
  OptionEntry* b = OptFind(ctx, 977);
  if (a && b) {
    EXPECT_EQ(a->offset, b->offset);
    EXPECT_EQ(a->typeWord, b->typeWord);
  }
  // The preset number shows its value ids 118 (none) to 134.
  const OptionEntry* preset = OptFind(ctx, 37);
  ASSERT_NE(preset, nullptr);
  ASSERT_NE(preset->labels, nullptr);
  EXPECT_EQ(OptListToUi(preset->labels->valueTexts, -1), 118);
  EXPECT_EQ(OptListToUi(preset->labels->valueTexts, 15), 134);
}

}  // namespace
