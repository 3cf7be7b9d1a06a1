// The pages of printing preferences opened as the common property-sheet host opens them, for
// each sample model: every page opens and its controls show the model's defaults; and the
// labels the page hook sets when a page starts.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "context_services.h"
#include "devmode_fields.h"
#include "driver_context.h"
#include "env_language.h"
#include "fd_services.h"
#include "machine_fixture.h"
#include "model_query.h"
#include "option_access.h"
#include "sheet_engine.h"
#include "ui_entry.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace fs = std::filesystem;
namespace ui = zolt::host::ui;

std::vector<HPROPSHEETPAGE> g_pages;

// The host's side: the pages are kept for the sheet the test shows.
LONG_PTR CALLBACK CollectingHost(HANDLE, UINT function, LPARAM a, LPARAM) {
  if (function == CPSFUNC_ADD_HPROPSHEETPAGE) g_pages.push_back(reinterpret_cast<HPROPSHEETPAGE>(a));
  return 1;
}

HWND TabsOf(HWND sheet) {
  for (HWND child = GetWindow(sheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    WCHAR name[64] = {};
    GetClassNameW(child, name, 64);
    if (std::u16string(name) == u"SysTabControl32") return child;
  }
  return nullptr;
}

class SheetPages : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    ui::Reset();
    g_pages.clear();
    printer_ = OpenTestPrinter(PRINTER_ALL_ACCESS);
    ASSERT_NE(printer_, nullptr);
  }
  void TearDown() override {
    CtxPurgeCache(1);
    if (printer_) ClosePrinter(printer_);
    ui::Reset();
    DriverMachineTest::TearDown();
  }
  fs::path ModelFile() const override { return model_.empty() ? fs::path() : fs::path(model_); }

  // Printing preferences as the host runs them: INIT adds the pages, the test's step runs on
  // the shown sheet (which it closes), DESTROY ends it.
  // With an input device mode the sheet merges it as an application's.
  void RunPreferences(const std::function<void(DriverContext*, HWND sheet)>& step, DEVMODEW* in = nullptr) {
    DOCUMENTPROPERTYHEADER header{};
    header.cbSize = sizeof header;
    header.hPrinter = printer_;
    header.pszPrinterName = const_cast<LPWSTR>(kPrinterName);
    header.pdmIn = in;
    header.fMode = in ? DM_IN_BUFFER | DM_IN_PROMPT : DM_IN_PROMPT;
    PROPSHEETUI_INFO info{};
    info.cbSize = sizeof info;
    info.pfnComPropSheet = CollectingHost;
    info.hComPropSheet = reinterpret_cast<HANDLE>(0x77);
    info.lParamInit = reinterpret_cast<LPARAM>(&header);
    info.Reason = PROPSHEETUI_REASON_INIT;
    ASSERT_EQ(UiHandleDocumentPropertySheets(&info, 0), 1);
    auto* ctx = reinterpret_cast<DriverContext*>(info.UserData);
    ASSERT_NE(ctx, nullptr);
    ASSERT_FALSE(g_pages.empty());
    bool ran = false;
    ui::WhenIdle([&](HWND sheet) {
      ran = true;
      step(ctx, sheet);
      ui::Click(ui::FindControl(sheet, IDCANCEL));
    });
    PROPSHEETHEADERW sheet{};
    sheet.dwSize = sizeof sheet;
    sheet.pszCaption = kPrinterName;
    sheet.nPages = static_cast<UINT>(g_pages.size());
    sheet.phpage = g_pages.data();
    PropertySheetW(&sheet);
    EXPECT_TRUE(ran);
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    EXPECT_EQ(UiHandleDocumentPropertySheets(&info, 0), 1);
  }

  std::string model_;
  HANDLE printer_ = nullptr;
};

struct PageCase {
  const char* model;
  uint16_t page;
  std::set<uint16_t> defaults;  // controls of the page that must show their model default
};

class PagesOfBothModels : public SheetPages, public testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    model_ = (fs::path(ZOLT_SOURCE_DIR) / "samples/models" / GetParam()).string();
    SheetPages::SetUp();
  }
};

// Every page of printing preferences opens, and each of its shown choices (combo boxes, radio
// groups) that a model item with a list of values drives shows that item's default; the table
// names the controls that must be among them.
TEST_P(PagesOfBothModels, EveryPageOpensAndShowsTheModelsDefaults) {
  const std::vector<PageCase> cases = {
      {"ZOLT2100.QCS", 1001, {2004, 2009, 2026, 2028, 2032}},
      {"ZOLT2100.QCS", 1002, {}},
      {"ZOLT2100.QCS", 1003, {}},
      {"ZOLT2100.QCS", 4016, {}},
      {"ZOLT2100.QCS", 1005, {}},
      {"ZOLT2100.QCS", 1006, {}},
      {"ZOLT2100.QCS", 1010, {}},
      {"ZOLT2100.QCS", 4023, {}},
      {"ZOLT7000.QCS", 1001, {2004, 2009, 2010, 2022, 2023, 2026, 2028, 2032}},
      {"ZOLT7000.QCS", 1002, {2017}},
      {"ZOLT7000.QCS", 1003, {2126}},
      {"ZOLT7000.QCS", 4016, {}},
      {"ZOLT7000.QCS", 1005, {}},
      {"ZOLT7000.QCS", 1006, {}},
      {"ZOLT7000.QCS", 1010, {}},
      {"ZOLT7000.QCS", 4023, {}},
  };
  RunPreferences([&](DriverContext* ctx, HWND sheet) {
    HWND tabs = TabsOf(sheet);
    ASSERT_NE(tabs, nullptr);
    const std::vector<std::u16string> names = ui::Items(tabs);
    std::vector<uint16_t> pages;
    for (int i = 0; i < ctx->dialogTable->count; ++i) {
      const DialogDescriptor& d = ctx->dialogTable->rows[i];
      if ((d.kindFlags & kDialogDocumentPage) && !MdlIsItemKeyDisabled(ctx, d.nameIndex)) pages.push_back(d.dialogId);
    }
    ASSERT_EQ(names.size(), pages.size());
    for (const PageCase& c : cases) {
      if (std::string(c.model) != GetParam()) continue;
      SCOPED_TRACE(testing::Message() << c.model << " page " << c.page);
      size_t at = 0;
      while (at < pages.size() && pages[at] != c.page) ++at;
      ASSERT_LT(at, pages.size()) << "the page is one of the sheet's";
      ASSERT_TRUE(ui::SelectItem(tabs, names[at]));
      DialogDescriptor* dialog = OptFindDialog(ctx, c.page);
      ASSERT_NE(dialog, nullptr);
      ASSERT_NE(dialog->window, nullptr) << "the page opened";
      EXPECT_TRUE(IsWindowVisible(dialog->window));
      std::set<uint16_t> showing;
      for (int j = 0; j < dialog->controlCount; ++j) {
        const ControlDescriptor* control = &dialog->controls[j];
        if (!control->window || !control->modelItem || !control->option) continue;
        if ((control->state & kControlHiddenMask) || !IsWindowVisible(control->window)) continue;
        // The choices: combo boxes and radio groups of list items.
        const uint16_t type = control->modelItem->typeWord & 0xFF;
        if ((type != 1 && type != 2) || (control->kind != 41 && control->kind != 43 && control->kind != 48)) continue;
        const auto expected = int32_t(MdlGetItemDefault(control->modelItem->settingId, ctx));
        if (!expected) continue;
        EXPECT_EQ(OptGetControlValue(ctx, control), expected) << "control " << control->controlId;
        bool shows = false;
        if (control->kind == 43 || control->kind == 48) {
          const LRESULT item = SendMessageW(control->window, CB_GETCURSEL, 0, 0);
          ASSERT_NE(item, CB_ERR) << "control " << control->controlId;
          shows = SendMessageW(control->window, CB_GETITEMDATA, WPARAM(item), 0) == expected;
          EXPECT_TRUE(shows) << "control " << control->controlId;
        } else if (control->kind == 41) {
          const bool checked = SendMessageW(control->window, BM_GETCHECK, 0, 0) == BST_CHECKED;
          EXPECT_EQ(checked, control->controlId == expected) << "control " << control->controlId;
          shows = checked && control->controlId == expected;
        }
        if (shows) showing.insert(control->controlId);
      }
      for (uint16_t id : c.defaults) EXPECT_TRUE(showing.count(id)) << "control " << id << " shows its default";
    }
  });
}

INSTANTIATE_TEST_SUITE_P(SampleModels, PagesOfBothModels, testing::Values("ZOLT2100.QCS", "ZOLT7000.QCS"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           return name.substr(0, name.find('.'));
                         });

// A caller's device mode whose settings hold stored values that no value of their lists stands
// for (the public paper source and private options): the sheet opens on every page, the merge
// brings each value back into its list, and each list shows the item of its value, never
// another's text or one read from beyond its table.
TEST_F(SheetPages, StoredValuesOutsideTheirListsComeBackIntoThem) {
  struct Case {
    uint16_t option, control;
    size_t at, width;  // where the value lives in the device mode
  };
  const Case cases[] = {
      {13, 2004, 88, 2},   // paper source (a public field)
      {46, 2023, 400, 2},  // print size
      {53, 2010, 428, 2},  // output tray
      {54, 2032, 432, 4},  // media type
      {209, 2022, 732, 1}, // print type
  };
  std::u16string name = kPrinterName;
  std::vector<BYTE> in(1236);
  ASSERT_EQ(DocumentPropertiesW(nullptr, printer_, name.data(), reinterpret_cast<PDEVMODEW>(in.data()), nullptr,
                                DM_OUT_BUFFER),
            IDOK);
  for (const Case& c : cases) std::memset(in.data() + c.at, 0xFA, c.width);

  RunPreferences(
      [&](DriverContext* ctx, HWND sheet) {
        HWND tabs = TabsOf(sheet);
        ASSERT_NE(tabs, nullptr);
        const std::vector<std::u16string> names = ui::Items(tabs);
        for (const std::u16string& tab : names) ASSERT_TRUE(ui::SelectItem(tabs, tab));
        ASSERT_TRUE(ui::SelectItem(tabs, names.front()));
        DialogDescriptor* page = OptFindDialog(ctx, 1001);
        ASSERT_NE(page, nullptr);
        ASSERT_NE(page->window, nullptr);
        for (const Case& c : cases) {
          SCOPED_TRACE(testing::Message() << "option " << c.option);
          ControlDescriptor* control = OptFindControl(ctx, page, c.control);
          ASSERT_NE(control, nullptr);
          ASSERT_NE(control->window, nullptr);
          const int32_t stored = OptReadValue(ctx, control->option);
          const LRESULT item = SendMessageW(control->window, CB_GETCURSEL, 0, 0);
          EXPECT_TRUE(OptIsMappedValue(ctx, control->option, stored)) << stored;
          ASSERT_NE(item, CB_ERR);
          EXPECT_EQ(int32_t(SendMessageW(control->window, CB_GETITEMDATA, WPARAM(item), 0)),
                    OptGetControlValue(ctx, control));
          EXPECT_FALSE(ui::SelectedText(control->window).empty());
        }
      },
      reinterpret_cast<DEVMODEW*>(in.data()));
}

// ---- the page hook ----------------------------------------------------------------------------

std::u16string String(DriverContext* ctx, uint16_t id) {
  WCHAR text[1025] = {};
  EnvLoadString(ctx, id, text, 1025, 1);
  return text;
}

// Page 1003 names its watermark switch with string 563 while the overlay button is not
// disabled by the model; a later message to the page changes nothing.
TEST_F(SheetPages, TheWatermarkSwitchIsNamedWhenThePageStarts) {
  RunPreferences([&](DriverContext* ctx, HWND sheet) {
    HWND tabs = TabsOf(sheet);
    ASSERT_NE(tabs, nullptr);
    DialogDescriptor* edit = OptFindDialog(ctx, 1003);
    ASSERT_NE(edit, nullptr);
    for (const std::u16string& name : ui::Items(tabs)) {
      ui::SelectItem(tabs, name);
      if (edit->window) break;
    }
    ASSERT_NE(edit->window, nullptr);
    ControlDescriptor* overlay = OptFindControl(ctx, edit, 2407);
    ASSERT_NE(overlay, nullptr);
    ASSERT_EQ(UiIsValueDisabled(ctx, overlay->modelItem, 2407), 0);
    HWND watermark = GetDlgItem(edit->window, 2088);
    ASSERT_NE(watermark, nullptr);
    const std::u16string label = String(ctx, 563);
    ASSERT_FALSE(label.empty());
    EXPECT_EQ(ui::Text(watermark), label);
    // Only a dialog-level WM_INITDIALOG sets labels; the hook never consumes a message.
    SetWindowTextW(watermark, u"unchanged");
    EXPECT_EQ(UiSetInitialPageLabels(ctx, edit, nullptr, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(UiSetInitialPageLabels(ctx, edit, overlay, WM_INITDIALOG, 0, 0), 0);
    EXPECT_EQ(ui::Text(watermark), u"unchanged");
    EXPECT_EQ(UiSetInitialPageLabels(ctx, edit, nullptr, WM_INITDIALOG, 0, 0), 0);
    EXPECT_EQ(ui::Text(watermark), label);
  });
}

// Dialog 1011 names its two feed labels after the machine's feed type when it starts.
TEST_F(SheetPages, TheFeedLabelsFollowTheMachinesFeedType) {
  RunPreferences([&](DriverContext* ctx, HWND sheet) {
    const std::u16string longEdge = String(ctx, 13724), shortEdge = String(ctx, 13725);
    ASSERT_FALSE(longEdge.empty());
    ASSERT_NE(longEdge, shortEdge);
    struct Case {
      int32_t feed;
      const std::u16string& first;
      const std::u16string& second;
    } cases[] = {{1, longEdge, shortEdge}, {0, shortEdge, longEdge}};
    for (const Case& c : cases) {
      SCOPED_TRACE(c.feed);
      ASSERT_TRUE(OptSetValue(ctx, 237, c.feed));
      std::u16string first, second;
      bool ran = false;
      ui::WhenIdle([&](HWND modal) {
        ran = true;
        first = ui::Text(GetDlgItem(modal, 2173));
        second = ui::Text(GetDlgItem(modal, 2175));
        ctx->workArea->subDialogResult = 0;
        EndDialog(modal, IDCANCEL);
      });
      EXPECT_EQ(UiRunSubDialog(ctx, kDialogModal, 1011, sheet), IDCANCEL);
      EXPECT_TRUE(ran);
      EXPECT_EQ(first, c.first);
      EXPECT_EQ(second, c.second);
    }
  });
}

// The print-quality page's user-quality list answers every message through its subclassed
// window, its own selection query included, without the page asking the list again.
TEST_F(SheetPages, TheUserQualityListAnswersThroughItsSubclassedWindow) {
  RunPreferences([&](DriverContext* ctx, HWND sheet) {
    HWND tabs = TabsOf(sheet);
    ASSERT_NE(tabs, nullptr);
    DialogDescriptor* quality = OptFindDialog(ctx, 1006);
    ASSERT_NE(quality, nullptr);
    for (const std::u16string& name : ui::Items(tabs)) {
      ui::SelectItem(tabs, name);
      if (quality->window) break;
    }
    ASSERT_NE(quality->window, nullptr);
    ControlDescriptor* list = OptFindControl(ctx, quality, 2134);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list->window, nullptr);
    ASSERT_NE(list->savedWindowProc, nullptr) << "subclassed";
    const LRESULT direct = CallWindowProcW(list->savedWindowProc, list->window, LB_GETCURSEL, 0, 0);
    EXPECT_EQ(SendMessageW(list->window, LB_GETCURSEL, 0, 0), direct);
    RECT r{};
    GetWindowRect(list->window, &r);
    SendMessageW(list->window, WM_NCHITTEST, 0, MAKELPARAM(r.left + 2, r.top + 2));
    SendMessageW(list->window, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(SendMessageW(list->window, LB_GETCOUNT, 0, 0),
              CallWindowProcW(list->savedWindowProc, list->window, LB_GETCOUNT, 0, 0));
  });
}

// On a Japanese machine the sheet comes from the Japanese library: every page's tab and the
// preset page's controls read in Japanese, the lists show the Japanese value strings, and the
// description strings of the rows are the Japanese ones.
class JapanesePages : public SheetPages {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts japanese;
    japanese.ansiCodePage = japanese.oemCodePage = 932;
    japanese.userLocale = 0x0411;
    return japanese;
  }
};

TEST_F(JapanesePages, EveryPageReadsInJapanese) {
  RunPreferences([&](DriverContext* ctx, HWND sheet) {
    HWND tabs = TabsOf(sheet);
    ASSERT_NE(tabs, nullptr);
    const auto japanese = [](const std::u16string& text) {
      for (char16_t c : text)
        if (c >= 0x3000) return true;
      return false;
    };
    for (const std::u16string& name : ui::Items(tabs)) {
      EXPECT_TRUE(japanese(name)) << "a page's tab";
      ASSERT_TRUE(ui::SelectItem(tabs, name));
    }
    DialogDescriptor* preset = OptFindDialog(ctx, 1001);
    ASSERT_NE(preset, nullptr);
    ASSERT_TRUE(ui::SelectItem(tabs, ui::Items(tabs)[0]));
    ASSERT_NE(preset->window, nullptr);
    EXPECT_EQ(ui::SelectedText(GetDlgItem(preset->window, 2004)), String(ctx, 1));
    EXPECT_EQ(String(ctx, 1), u"自動選択");
    EXPECT_EQ(String(ctx, 16104), u"矢印をクリックして部数を変えます。");
    EXPECT_TRUE(japanese(ui::Text(GetDlgItem(preset->window, 2013)))) << "the paper-size label";
  });
}

}  // namespace
