// The installable options dialog: the combination rules of the option list, found by their
// item, and when an item counts as installed.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "context_services.h"
#include "driver_context.h"
#include "fd_options.h"
#include "fd_dialog_fixture.h"
#include "fd_limit_ext_fixture.h"
#include "fm_modules_5_8.h"
#include "option_access.h"
#include "sheet_engine.h"
#include "win32/windows.h"

namespace {

enum : uint16_t {
  kOptSourceUnit = 10023,
  kOptSourceUnitCount = 10110,
  kOptUpperBin = 10056,
  kOptMailbox2 = 10057,
};

using Settings = std::vector<std::pair<uint16_t, int32_t>>;

class OptionsDialog : public zolt::test::FeatureDialogTest {
 protected:
  void Set(const Settings& settings) {
    for (const auto& [option, value] : settings) OptSetValue(ctx, option, value);
  }
};

TEST_F(OptionsDialog, RulesAreFoundByTheirItem) {
  for (uint32_t item : {143u, 144u, 147u, 148u, 164u, 165u, 166u, 167u, 352u, 358u, 346u}) {
    const OptionComboRule* rule = FdFindComboRule(item, 0);
    ASSERT_NE(rule, nullptr) << item;
    EXPECT_EQ(rule->itemId, item);
    EXPECT_EQ(rule->repaint, 1u);
    EXPECT_EQ(rule->lockCondition, nullptr);
  }
  EXPECT_EQ(FdFindComboRule(0, 0), nullptr);
  EXPECT_EQ(FdFindComboRule(285, 0), nullptr);
}

// Which items are on: the rule's option has its value and so has its second option.
TEST_F(OptionsDialog, AnItemIsOnWhileItsOptionsHaveTheRulesValues) {
  struct Case {
    uint32_t item;
    Settings settings;
    int on;
  } cases[] = {
      {143, {{kOptSourceUnit, 1}, {kOptSourceUnitCount, 1}}, 1},
      {143, {{kOptSourceUnit, 1}, {kOptSourceUnitCount, 2}}, 0},
      {144, {{kOptSourceUnit, 1}, {kOptSourceUnitCount, 2}}, 1},
      {144, {{kOptSourceUnit, 0}, {kOptSourceUnitCount, 2}}, 0},
      {147, {{kOptUpperBin, 1}}, 1},
      {148, {{kOptMailbox2, 0}}, 0},
  };
  for (const Case& c : cases) {
    Set(c.settings);
    EXPECT_EQ(OptIsComboRuleOn(ctx, FdFindComboRule(c.item, 0)), c.on) << c.item;
  }
  EXPECT_EQ(OptIsComboRuleOn(ctx, nullptr), 0);
  EXPECT_EQ(FdApplyComboGroups(ctx, FdFindComboRule(143, 0)), 0u);  // no rule of this build has a group
}


// ---- the page in printer properties -------------------------------------------------------------

namespace page {

using namespace zolt::test;

enum : uint16_t {
  kOptTrayOrient0 = 10143,
  kOptTray1Paper = 10175,
  kOptTray1Media = 10207,
  kOptTrayLock0 = 10239,
};

// A tray of the table: its row text and its value id (the tray table's row parameter).
struct Tray {
  const char16_t* row;
  WORD valueId;
};
constexpr Tray kTray1{u"Tray 1", 2}, kTray2{u"Tray 2", 3}, kTray3{u"Tray 3", 5}, kBypass{u"Bypass Tray", 8};

uint16_t Code(const Tray& tray) { return uint16_t(FmTrayCodeFromItemId(tray.valueId)); }

// What a person does on the page: picks a tray row, then works its editors.
struct Step {
  enum Kind { kRow, kChoose, kClick } kind;
  uint16_t control;
  std::u16string text;
};
Step Row(const Tray& tray) { return {Step::kRow, kFdCtlTrayTable, tray.row}; }
Step Choose(uint16_t control, std::u16string text) { return {Step::kChoose, control, std::move(text)}; }
Step Press(uint16_t control) { return {Step::kClick, control, {}}; }

class OptionsPage : public SheetHostTest {
 protected:
  // The settings of the printer as the next context reads them.
  int32_t Stored(uint16_t option, bool ui) {
    CtxPurgeCache(1);
    HANDLE printer = OpenTestPrinter(PRINTER_ALL_ACCESS);
    DriverContext* c = CtxCreateForPrinter(printer, printer, nullptr, 0x80000000u);
    const int32_t v = c ? (ui ? OptGetUiValue(c, option, nullptr) : OptGetValue(c, option, nullptr)) : -1;
    if (c) CtxReleaseAs(c, kCtxReleaseDestroy);
    ClosePrinter(printer);
    return v;
  }
  // Printer properties with the installable options page brought to front, the steps done on
  // it, then `inside` on the page; OK or Cancel.
  void OnOptionsPage(const std::vector<Step>& steps, bool ok, const std::function<void(DriverContext*, HWND)>& inside = {}) {
    bool reached = false;
    Properties(
        [&](DriverContext*, HWND first) {
          HWND sheet = GetParent(first);
          ASSERT_TRUE(ui::SelectItem(PropSheet_GetTabControl(sheet), u"Options"));
          HWND page = PropSheet_GetCurrentPageHwnd(sheet);
          auto* ctx = reinterpret_cast<DriverContext*>(GetWindowLongPtrW(page, DWLP_USER));
          ASSERT_NE(ctx, nullptr);
          reached = true;
          for (const Step& s : steps) {
            HWND control = ui::FindControl(page, s.control);
            ASSERT_NE(control, nullptr) << s.control;
            switch (s.kind) {
              case Step::kRow:
              case Step::kChoose:
                EXPECT_TRUE(ui::SelectItem(control, s.text)) << s.control;
                break;
              case Step::kClick:
                EXPECT_TRUE(ui::Click(control)) << s.control;
                break;
            }
          }
          if (inside) inside(ctx, page);
        },
        ok);
    EXPECT_TRUE(reached);
  }
};

// The trays the model lists are the table's rows, and the editors show the tray chosen.
TEST_F(OptionsPage, TheTrayTableListsTheModelsTraysAndTheEditorsFollowTheRow) {
  std::vector<std::u16string> rows;
  std::u16string paper1, paper2;
  OnOptionsPage({}, false, [&](DriverContext* ctx, HWND page) {
    rows = ui::Items(ui::FindControl(page, kFdCtlTrayTable));
    OptSetUiValue(ctx, uint16_t(kOptTray1Paper + Code(kTray2)), 40);  // A3 in tray 2
    OptSetUiValue(ctx, uint16_t(kOptTray1Paper + Code(kTray1)), 48);  // Letter in tray 1
    ui::SelectItem(ui::FindControl(page, kFdCtlTrayTable), kTray2.row);
    paper2 = ui::SelectedText(ui::FindControl(page, kFdCtlTrayPaper));
    ui::SelectItem(ui::FindControl(page, kFdCtlTrayTable), kTray1.row);
    paper1 = ui::SelectedText(ui::FindControl(page, kFdCtlTrayPaper));
  });
  EXPECT_EQ(rows, (std::vector<std::u16string>{u"Tray 1", u"Tray 2", u"Tray 3", u"Paper Feed Unit", u"Bypass Tray"}));
  EXPECT_EQ(paper2, u"A3");
  EXPECT_EQ(paper1, u"Letter");
}

// A tray's paper, media, orientation and lock chosen on the page: OK stores them with the
// printer, Cancel leaves the stored ones.
TEST_F(OptionsPage, ChoicesForATrayAreStoredByOkAndLeftByCancel) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    uint16_t option;
    bool ui;
    int32_t value;
  };
  const std::vector<Case> cases = {
      {"paper of tray 2", {Row(kTray2), Choose(kFdCtlTrayPaper, u"A3")}, uint16_t(kOptTray1Paper + Code(kTray2)), true, 40},
      {"paper of tray 1", {Row(kTray1), Choose(kFdCtlTrayPaper, u"Letter")}, uint16_t(kOptTray1Paper + Code(kTray1)), true, 48},
      {"media of tray 3", {Row(kTray3), Choose(kFdCtlTrayMedia, u"Thick Paper")}, uint16_t(kOptTray1Media + Code(kTray3)), true, 17},
      {"landscape in tray 3", {Row(kTray3), Press(kFdCtlTrayLandscape)}, uint16_t(kOptTrayOrient0 + Code(kTray3)), false, 1},
      {"bypass tray locked", {Row(kBypass), Press(kFdCtlTrayLock)}, uint16_t(kOptTrayLock0 + Code(kBypass)), false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t before = Stored(c.option, c.ui);
    ASSERT_NE(before, c.value) << "the case must change the setting";
    OnOptionsPage(c.steps, false);
    EXPECT_EQ(Stored(c.option, c.ui), before) << "Cancel";
    OnOptionsPage(c.steps, true);
    EXPECT_EQ(Stored(c.option, c.ui), c.value) << "OK";
  }
}

// A click on the item of the check list that holds the value id, scrolled into view first.
void ClickItem(HWND list, uint32_t itemId) {
  const int count = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    if (uint32_t(SendMessageW(list, LB_GETITEMDATA, WPARAM(i), 0)) != itemId) continue;
    SendMessageW(list, LB_SETTOPINDEX, WPARAM(i), 0);
    RECT r{};
    SendMessageW(list, LB_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r));
    EXPECT_TRUE(ui::ClickAt(list, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
    return;
  }
  ADD_FAILURE() << "no item " << itemId;
}

// The check list offers the model's installable options; each click turns an item on or off,
// and the combination rules take out what cannot be installed with it: the upper bin and the
// mailbox exclude each other, and the paper feed unit has either one or two trays. OK stores the
// options that are left on.
TEST_F(OptionsPage, TheCheckListsRulesRefuseOptionsThatCannotBeInstalledTogether) {
  const std::vector<uint32_t> watched = {143, 144, 147, 148};
  struct Click {
    uint32_t item;
    std::vector<uint32_t> on;  // of the watched items, after the click
  };
  const std::vector<Click> clicks = {
      {147, {147}},            // the upper bin
      {148, {148}},            // the mailbox: the upper bin goes
      {147, {147}},            // the upper bin again: the mailbox goes
      {143, {143, 147}},       // the feed unit with one tray
      {144, {144, 147}},       // two trays: one tray is no longer so
      {144, {147}},            // the unit taken out
      {143, {143, 147}},
  };
  std::vector<uint32_t> items;
  std::vector<std::vector<uint32_t>> seen;
  OnOptionsPage({}, true, [&](DriverContext* ctx, HWND page) {
    HWND list = ui::FindControl(page, kFdCtlOptionList);
    ASSERT_NE(list, nullptr);
    const int count = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) items.push_back(uint32_t(SendMessageW(list, LB_GETITEMDATA, WPARAM(i), 0)));
    // Start from nothing installed.
    for (uint16_t option : {kOptSourceUnit, kOptSourceUnitCount, kOptUpperBin, kOptMailbox2}) OptSetValue(ctx, option, 0);
    for (const Click& c : clicks) {
      ClickItem(list, c.item);
      std::vector<uint32_t> on;
      for (uint32_t item : watched)
        if (OptIsComboRuleOn(ctx, FdFindComboRule(item, 0))) on.push_back(item);
      seen.push_back(on);
    }
  });
  EXPECT_EQ(items, (std::vector<uint32_t>{143, 144, 147, 148, 164, 166}));
  ASSERT_EQ(seen.size(), clicks.size());
  for (size_t i = 0; i < clicks.size(); ++i) EXPECT_EQ(seen[i], clicks[i].on) << "after click " << i + 1;
  EXPECT_EQ(Stored(kOptUpperBin, false), 1);
  EXPECT_EQ(Stored(kOptMailbox2, false), 0);
  EXPECT_EQ(Stored(kOptSourceUnit, false), 1);
  EXPECT_EQ(Stored(kOptSourceUnitCount, false), 1);
}

// Buttons of the initial settings open their dialogs: the custom paper sizes and the installable
// options.
TEST_F(OptionsPage, TheButtonsOfTheInitialSettingsOpenTheirDialogs) {
  const struct {
    uint16_t button;
    uint16_t inside;  // a control of the dialog it opens
  } cases[] = {{2444, 2217}, {2451, kFdCtlOptionList}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    bool opened = false;
    Preferences([&](DriverContext*, HWND first) {
      HWND sheet = GetParent(first);
      ASSERT_TRUE(ui::SelectItem(PropSheet_GetTabControl(sheet), u"Initial Settings"));
      HWND page = PropSheet_GetCurrentPageHwnd(sheet);
      ui::WhenIdle([&](HWND modal) {
        opened = ui::FindControl(modal, c.inside) != nullptr;
        ui::Click(ui::FindControl(modal, IDCANCEL));
      });
      EXPECT_TRUE(ui::Click(ui::FindControl(page, c.button)));
    });
    EXPECT_TRUE(opened);
  }
}

}  // namespace page

}  // namespace
