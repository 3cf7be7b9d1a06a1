// The combo boxes of the pages and the path from a changed value to the model's rules, through
// real combo windows subclassed as the engine subclasses them: the values listed, changes the
// rules take, change along or refuse with their message, the hover help, the character filter
// of numeric edits and the clickable areas of pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "context_services.h"
#include "env_language.h"
#include "machine_fixture.h"
#include "model_query.h"
#include "option_access.h"
#include "option_context_words.h"
#include "settings_paths.h"
#include "sheet_engine.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;

constexpr uint16_t kSymMediaType = 397;   // ZPD_IDC_PRESET_CHOICE_MEDIATYPE (option 54)
constexpr uint16_t kSymSource = 399;      // ZPD_IDC_PRESET_CHOICE_SOURCETRAY (option 13)
constexpr uint16_t kSymResolution = 1109;  // ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION (option 38)
constexpr uint16_t kPage = 1002;

// A page of the context with rows of our own, bound and subclassed as the engine does it.
class SheetControls : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    ui::Reset();
    printer_ = OpenTestPrinter();
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateForPrinter(printer_, printer_, nullptr, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    ASSERT_NE(ctx->modelImage, nullptr);
    UseLibrary("ZOLT7Rus.DLL");
    dialog = OptFindDialog(ctx, kPage);
    ASSERT_NE(dialog, nullptr);
    savedRows_ = dialog->controls;
    savedCount_ = dialog->controlCount;
    page_ = CreateWindowExW(0, u"#32770", u"Page", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                            nullptr);
    SetWindowLongPtrW(page_, DWLP_USER, reinterpret_cast<LONG_PTR>(ctx));
    SetActiveWindow(page_);
    dialog->window = page_;
    ctx->dialogId = kPage;
    rows_.reserve(8);
  }
  void TearDown() override {
    if (ctx) {
      UiRemoveHoverTip(ctx);
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

  // A combo row of the symbol, its window made, subclassed and filled from the model item.
  ControlDescriptor* Combo(uint16_t symbol, uint16_t id, uint16_t kind = 43) {
    ControlDescriptor row{};
    row.nameIndex = symbol;
    row.controlId = id;
    row.windowId = id;
    row.kind = kind;
    OptGetUiValueBySymbol(ctx, symbol, &row.option);
    row.modelItem = MdlLookupItem(symbol, ctx);
    const int y = 10 + 30 * int(rows_.size());
    row.window = CreateWindowExW(0, u"COMBOBOX", u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST |
                                     (kind == 48 ? CBS_OWNERDRAWFIXED | CBS_HASSTRINGS : 0),
                                 10, y, 200, 200, page_, reinterpret_cast<HMENU>(uintptr_t(id)), nullptr, nullptr);
    rows_.push_back(row);
    dialog->controls = rows_.data();
    dialog->controlCount = int16_t(rows_.size());
    ControlDescriptor* c = &rows_.back();
    c->savedWindowProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(c->window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(UiControlWndProc)));
    SetWindowLongPtrW(c->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(c));
    UiFillComboFromItem(ctx, dialog, c);
    return c;
  }

  std::vector<std::u16string> Items(const ControlDescriptor* c) { return ui::Items(c->window); }
  std::u16string Shown(const ControlDescriptor* c) { return ui::SelectedText(c->window); }
  std::u16string String(DWORD id) {
    std::u16string s(1025, u'\0');
    EnvLoadString(ctx, id, s.data(), 1025, 1);
    return std::u16string(s.c_str());
  }

  // The user chooses an item: the selection changes and the engine gets CBN_SELCHANGE.
  int Choose(ControlDescriptor* c, const std::u16string& text) {
    const LRESULT at = SendMessageW(c->window, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(text.c_str()));
    EXPECT_GE(at, 0) << "no item " << std::string(text.begin(), text.end());
    SendMessageW(c->window, CB_SETCURSEL, WPARAM(at), 0);
    return UiComboCommand(ctx, dialog, c, MAKEWPARAM(c->controlId, CBN_SELCHANGE), LPARAM(c->window));
  }
  void UseLibrary(const char* file) {
    const std::u16string path = u"C:\\Windows\\" + std::filesystem::path(file).u16string();
    // A loaded library is never written over: it stays mapped.
    if (!std::filesystem::exists(Real(path)))
      zolt::test::WriteBytes(Real(path), zolt::test::ReadBytes(std::filesystem::path(ZOLT_MODULE_DIR) / file));
    HMODULE loaded = LoadLibraryW(path.c_str());
    ASSERT_NE(loaded, nullptr);
    if (ctx->resourceLibrary) FreeLibrary(ctx->resourceLibrary);
    ctx->resourceLibrary = loaded;
  }

  DriverContext* ctx = nullptr;
  DialogDescriptor* dialog = nullptr;
  HANDLE printer_ = nullptr;
  HWND page_ = nullptr;
  std::vector<ControlDescriptor> rows_;
  ControlDescriptor* savedRows_ = nullptr;
  int16_t savedCount_ = 0;
};

TEST_F(SheetControls, ListsTheItemValuesAndSelectsTheCurrentOne) {
  ControlDescriptor* media = Combo(kSymMediaType, 2010);
  const std::vector<std::u16string> items = Items(media);
  ASSERT_FALSE(items.empty());
  EXPECT_NE(std::find(items.begin(), items.end(), u"Transparency"), items.end());
  EXPECT_EQ(Shown(media), u"Plain Paper");
  // Every item carries its value id; the shown one is the option's value.
  const LRESULT sel = SendMessageW(media->window, CB_GETCURSEL, 0, 0);
  EXPECT_EQ(int32_t(SendMessageW(media->window, CB_GETITEMDATA, WPARAM(sel), 0)), OptGetControlValue(ctx, media));

  // A stored value that no item stands for: a plain combo shows no selection.
  OptWriteUiValue(ctx, media->option, 0xFFF0);
  UiSelectComboByValue(ctx, dialog, media);
  EXPECT_EQ(SendMessageW(media->window, CB_GETCURSEL, 0, 0), CB_ERR);
}

// Changes through the combo windows: taken, taken with another setting changing along, refused
// with the rule's message and the old value back.
TEST_F(SheetControls, ChangesThatTheRulesTakeChangeAlongOrRefuse) {
  ControlDescriptor* media = Combo(kSymMediaType, 2010);
  ControlDescriptor* source = Combo(kSymSource, 2011);
  ControlDescriptor* resolution = Combo(kSymResolution, 2012);
  struct Case {
    ControlDescriptor* combo;
    std::u16string choose;
    int answer;                // of the rule's message box, 0 when none is expected
    std::u16string media, source, resolution;  // shown afterwards
  };
  const std::u16string plain = Shown(media), tray = Shown(source), res = Shown(resolution);
  ASSERT_NE(tray, u"Bypass Tray");
  const Case cases[] = {
      {media, u"Recycled Paper", 0, u"Recycled Paper", tray, res},
      {media, u"Transparency", 0, u"Transparency", u"Bypass Tray", res},
      {resolution, u"Resolution 1200", IDRETRY, u"Transparency", u"Bypass Tray", res},
      {resolution, u"Resolution 1200", IDCANCEL, u"Transparency", u"Bypass Tray", res},
      {media, plain, 0, plain, u"Bypass Tray", res},
  };
  size_t boxes = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.choose.begin(), c.choose.end()));
    if (c.answer) ui::AnswerNextMessageBox(c.answer);
    EXPECT_EQ(Choose(c.combo, c.choose), 1);
    for (ControlDescriptor* row : {media, source, resolution}) UiSelectComboByValue(ctx, dialog, row);
    EXPECT_EQ(Shown(media), c.media);
    EXPECT_EQ(Shown(source), c.source);
    EXPECT_EQ(Shown(resolution), c.resolution);
    const auto shown = ui::MessageBoxes();
    ASSERT_EQ(shown.size(), boxes + (c.answer ? 1 : 0));
    if (c.answer) {
      const auto& box = shown.back();
      EXPECT_EQ(box.owner, page_);
      EXPECT_EQ(box.type, UINT(MB_ICONSTOP | MB_RETRYCANCEL));
      EXPECT_EQ(box.caption, std::u16string(PrnGetName(ctx)));
    }
    boxes = shown.size();
  }
}

TEST_F(SheetControls, AnotherDialogsSelectionChangeIsIgnored) {
  ControlDescriptor* media = Combo(kSymMediaType, 2010);
  const int32_t before = OptGetControlValue(ctx, media);
  ctx->dialogId = 1003;
  EXPECT_EQ(Choose(media, u"Transparency"), 0);
  EXPECT_EQ(OptGetControlValue(ctx, media), before);
}

// Hover help: the tip asks the language library for the control's description, or shows the
// hovered item's value string; both libraries.
TEST_F(SheetControls, HoverHelpAsksForTheControlsString) {
  for (const char* library : {"ZOLT7Rus.DLL", "ZOLT7Rjp.DLL"}) {
    SCOPED_TRACE(library);
    UseLibrary(library);
    rows_.clear();
    ControlDescriptor* source = Combo(kSymSource, 2011);
    ControlDescriptor* media = Combo(kSymMediaType, 2010);
    media->descriptionStringId = 8;
    RECT r{};
    GetWindowRect(media->window, &r);
    SendMessageW(media->window, WM_NCHITTEST, 0, MAKELPARAM(r.left + 2, r.top + 2));
    SheetEngineState* state = UiSheetState(ctx);
    ASSERT_NE(state->tip.window, nullptr);
    EXPECT_EQ(ui::Text(state->tip.window), String(8));
    EXPECT_EQ(state->tip.controlId, 2010);
    EXPECT_FALSE(IsWindowVisible(state->tip.window));  // shown by the timer a second later

    // A combo without description shows its current item's text; the tip moves to it.
    GetWindowRect(source->window, &r);
    SendMessageW(source->window, WM_NCHITTEST, 0, MAKELPARAM(r.left + 2, r.top + 2));
    ASSERT_NE(state->tip.window, nullptr);
    EXPECT_EQ(ui::Text(state->tip.window), Shown(source));
    EXPECT_EQ(state->tip.controlId, 2011);
    if (std::string(library) == "ZOLT7Rjp.DLL") {
      const std::vector<std::u16string> items = Items(source);
      EXPECT_NE(std::find(items.begin(), items.end(), String(8)), items.end());
      EXPECT_EQ(String(8), u"手差しトレイ");
    }
    UiRemoveHoverTip(ctx);
    EXPECT_EQ(state->tip.window, nullptr);
    for (ControlDescriptor& row : rows_) DestroyWindow(row.window);
  }
}

TEST_F(SheetControls, NumericEditsTakeDigitsAndTheirLanguagesSeparator) {
  struct Case {
    char16_t ch;
    bool signedOption;
    int accepted;
  } cases[] = {
      {u'0', false, 1}, {u'9', false, 1}, {u'\b', false, 1}, {u'.', false, 1}, {u',', false, 0},
      {u'-', false, 0}, {u'-', true, 1},  {u'a', true, 0},   {u' ', false, 0},
  };
  ControlDescriptor adjust{};
  OptGetUiValue(ctx, 704, &adjust.option);
  ASSERT_NE(adjust.option, nullptr);
  for (const Case& c : cases) {
    if (c.signedOption) CtxSetSignedEditOption(ctx, &adjust);
    else CtxClearSignedEditOption(ctx);
    EXPECT_EQ(UiIsNumericEditChar(ctx, c.ch), c.accepted) << char(c.ch) << " signed " << c.signedOption;
  }
}

TEST_F(SheetControls, ClickableAreasFollowTheirConditionsAndOffsets) {
  constexpr uint16_t kCopies = 12;  // dmCopies: its UI value is the number itself
  static const HitAreaOffset shifted[] = {{kCopies, 100, 0}, {0, 0, 0}};
  const HitAreaEntry rows[] = {
      {0, {0, 0, 10, 10}, 0, 1, 0, 0, nullptr},
      {0, {20, 0, 30, 10}, 0, 2, kCopies, 5, nullptr},  // only while five copies are set
      {0, {20, 0, 30, 10}, 0, 3, 0, 0, shifted},        // 100 to the right while one copy is set
      {0, {-10, 20, 0, 30}, 0, 4, 0, 0, nullptr},       // right-anchored: negative x
      {0, {40, 0, 50, 10}, kCopies, 5, 0, 0, nullptr},  // only while its condition option reads 1
      {0, {0, 0, 0, 0}, 0, 0, 0, 0, nullptr},
  };
  struct Case {
    int copies;
    POINT p;
    uint16_t value;
  } cases[] = {
      {1, {0, 0}, 1},  {1, {9, 9}, 1},   {1, {10, 5}, 0},    {1, {25, 5}, 0},   {1, {125, 5}, 3}, {2, {25, 5}, 3},
      {5, {25, 5}, 2}, {1, {-5, 25}, 4}, {1, {-11, 25}, 0}, {1, {45, 5}, 5},   {2, {45, 5}, 0},
  };
  for (const Case& c : cases) {
    OptSetValue(ctx, kCopies, c.copies);
    POINT p = c.p;
    RECT hit{};
    const HitAreaEntry* row = UiHitTestAreas(ctx, &hit, &p, rows);
    EXPECT_EQ(row ? row->valueId : 0, c.value) << c.copies << " copies at " << c.p.x << "," << c.p.y;
  }
}

}  // namespace
