// The installable options dialog: what a click on an item of the option list does to the
// installed options by the combination rules, the items whose clicks are ignored, and the
// orientation editor of the selected tray.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "context_services.h"
#include "driver_context.h"
#include "fd_options.h"
#include "fd_dialog_fixture.h"
#include "option_access.h"
#include "sheet_engine.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;

constexpr uint16_t kDlgOptions = 1011;
enum : uint16_t {
  kOptSourceUnit = 10023,
  kOptSourceUnitCount = 10110,
  kOptUpperBin = 10056,
  kOptMailbox2 = 10057,
  kOptOutputType14 = 10060,
  kOptTrayOrient0 = 10143,
};

using Settings = std::vector<std::pair<uint16_t, int32_t>>;

class OptionsDialog : public zolt::test::FeatureDialogTest {
 protected:
  // Opens the dialog, lists the items, lets the step act on the list, and closes with OK.
  void RunDialog(const std::function<void(HWND modal, HWND list)>& step) {
    ui::WhenIdle([&](HWND modal) {
      HWND list = ui::FindControl(modal, kFdCtlOptionList);
      ASSERT_NE(list, nullptr);
      for (uint32_t item : {143u, 144u, 147u, 148u, 999u}) {
        const LRESULT i = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"item"));
        SendMessageW(list, LB_SETITEMDATA, WPARAM(i), LPARAM(item));
      }
      step(modal, list);
      ui::Click(ui::FindControl(modal, IDOK));
    });
    UiRunSubDialog(ctx, kDialogModal, kDlgOptions, nullptr);
  }
  // The user selects the item and presses the space bar.
  static void Toggle(HWND list, uint32_t item) {
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
      if (SendMessageW(list, LB_GETITEMDATA, WPARAM(i), 0) == LRESULT(item)) SendMessageW(list, LB_SETCURSEL, WPARAM(i), 0);
    SendMessageW(list, WM_CHAR, u' ', 0);
  }
  void Set(const Settings& settings) {
    for (const auto& [option, value] : settings) OptSetValue(ctx, option, value);
  }
  Settings Read(const Settings& expected) {
    Settings out;
    for (const auto& [option, value] : expected) out.emplace_back(option, OptGetValue(ctx, option, nullptr));
    return out;
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

// A click turns the item's options on or off and applies the rule's lists; the options of the
// other items follow.
TEST_F(OptionsDialog, ClickingAnItemAppliesItsCombinationRule) {
  struct Case {
    const char* name;
    Settings before;
    std::vector<uint32_t> clicks;
    Settings after;
  } cases[] = {
      {"unit with one tray off", {{kOptSourceUnit, 1}, {kOptSourceUnitCount, 1}}, {143},
       {{kOptSourceUnit, 0}, {kOptSourceUnitCount, 0}}},
      {"and on again", {{kOptSourceUnit, 1}, {kOptSourceUnitCount, 1}}, {143, 143},
       {{kOptSourceUnit, 1}, {kOptSourceUnitCount, 1}}},
      {"unit with two trays on", {{kOptSourceUnit, 0}, {kOptSourceUnitCount, 0}}, {144},
       {{kOptSourceUnit, 1}, {kOptSourceUnitCount, 2}}},
      {"mailbox clears the upper bin", {{kOptUpperBin, 1}, {kOptMailbox2, 0}, {kOptOutputType14, 1}}, {148},
       {{kOptUpperBin, 0}, {kOptMailbox2, 1}, {kOptOutputType14, 0}}},
      {"upper bin clears the mailbox", {{kOptUpperBin, 0}, {kOptMailbox2, 1}, {kOptOutputType14, 0}}, {147},
       {{kOptUpperBin, 1}, {kOptMailbox2, 0}, {kOptOutputType14, 0}}},
      {"an item without a rule", {{kOptUpperBin, 1}, {kOptMailbox2, 0}}, {999}, {{kOptUpperBin, 1}, {kOptMailbox2, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Set(c.before);
    RunDialog([&](HWND, HWND list) {
      for (uint32_t item : c.clicks) Toggle(list, item);
    });
    EXPECT_EQ(Read(c.after), c.after);
  }
}

// A disabled list ignores clicks.
TEST_F(OptionsDialog, DisabledListIgnoresClicks) {
  const Settings before{{kOptUpperBin, 1}, {kOptMailbox2, 0}, {kOptOutputType14, 1}};
  Set(before);
  RunDialog([&](HWND, HWND list) {
    EnableWindow(list, FALSE);
    Toggle(list, 148);
  });
  EXPECT_EQ(Read(before), before);
}

// Landscape for the selected tray writes its orientation option; portrait writes it back.
TEST_F(OptionsDialog, OrientationRadiosWriteTheTraysOrientation) {
  OptSetValue(ctx, kOptTrayOrient0, 0);
  int32_t afterLandscape = -1;
  RunDialog([&](HWND modal, HWND) {
    ui::Click(ui::FindControl(modal, kFdCtlTrayLandscape));
    afterLandscape = OptGetValue(ctx, kOptTrayOrient0, nullptr);
    ui::Click(ui::FindControl(modal, kFdCtlTrayPortrait));
  });
  EXPECT_EQ(afterLandscape, 1);
  EXPECT_EQ(OptGetValue(ctx, kOptTrayOrient0, nullptr), 0);
}

}  // namespace
