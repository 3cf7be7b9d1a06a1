// The custom paper size register and the unit dialog as a person uses them: sizes typed in
// millimetres and in inches at the limits of the bypass tray and past them, a size kept in its
// slot after the printer's settings are closed and opened again, Cancel losing nothing, and the
// exact inch values of the document's custom size across a change of the display unit.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "context_services.h"
#include "env_language.h"
#include "fd_paper_size.h"
#include "fm_modules_1_4.h"
#include "free_size.h"
#include "fd_dialog_fixture.h"
#include "option_access.h"
#include "option_values.h"
#include "sheet_engine.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;

constexpr uint16_t kDlgUnit = 1013;
constexpr uint16_t kOptDspUnit = 171;  // zdmDspUnit: 0 millimetres, 1 inches
constexpr uint16_t kOptOldDspUnit = 1151;
constexpr uint16_t kDefaultsButton = 2227;
constexpr uint16_t kLengthEdit = 2220, kWidthEdit = 2224, kNameEdit = 2365, kSlotList = 2364;
constexpr int32_t kBypassTray = 4;
constexpr int32_t kPortrait = 1;
constexpr int32_t kCustomPaper = 256;

class PaperSizeDialogs : public zolt::test::FeatureDialogTest {
 protected:
  // The printer is prepared as the spooler would, so that it has its settings file.
  bool InitializesPrinter() const override { return true; }

  // Types into an edit of the open dialog and leaves it, as a person tabbing on would.
  void Enter(HWND modal, uint16_t id, const char16_t* text) {
    HWND edit = ui::FindControl(modal, id);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, text);
    SendMessageW(modal, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), reinterpret_cast<LPARAM>(edit));
  }
  void ChooseSlot(HWND modal, int slot) {
    HWND list = ui::FindControl(modal, kSlotList);
    ASSERT_NE(list, nullptr);
    SendMessageW(list, LB_SETCURSEL, WPARAM(slot), 0);
    SendMessageW(modal, WM_COMMAND, MAKEWPARAM(kSlotList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  }
  int32_t Shown(uint16_t option) { return OptToDisplayUnits(ctx, option, 0); }
  std::u16string Name() {
    WCHAR text[64] = {};
    OptGetStringValue(ctx, OptFind(ctx, kOptFreeSizeName), text, 64);
    return text;
  }
};

// After the defaults button (every slot A4 portrait on the bypass tray), the bypass tray takes portrait custom sizes of 148.0-432.0 mm by 70.0-297.0 mm, or
// 5.83-17.00 in by 2.76-11.69 in. A size typed at a limit is kept; one past it is brought back
// to the limit.
TEST_F(PaperSizeDialogs, SizesAtAndPastTheLimitsInBothUnits) {
  struct Case {
    int32_t unit;
    uint16_t edit;
    uint16_t option;
    const char16_t* typed;
    int32_t shown;
  } cases[] = {
      {0, kLengthEdit, kOptFreeSizeLength, u"432.0", 4320}, {0, kLengthEdit, kOptFreeSizeLength, u"432.1", 4320},
      {0, kLengthEdit, kOptFreeSizeLength, u"148.0", 1480}, {0, kLengthEdit, kOptFreeSizeLength, u"147.9", 1480},
      {0, kWidthEdit, kOptFreeSizeWidth, u"297.0", 2970},   {0, kWidthEdit, kOptFreeSizeWidth, u"297.1", 2970},
      {0, kWidthEdit, kOptFreeSizeWidth, u"70.0", 700},     {0, kWidthEdit, kOptFreeSizeWidth, u"69.9", 700},
      {1, kLengthEdit, kOptFreeSizeLength, u"17.00", 1700}, {1, kLengthEdit, kOptFreeSizeLength, u"17.01", 1700},
      {1, kLengthEdit, kOptFreeSizeLength, u"5.83", 583},   {1, kLengthEdit, kOptFreeSizeLength, u"5.82", 583},
      {1, kWidthEdit, kOptFreeSizeWidth, u"11.69", 1169},   {1, kWidthEdit, kOptFreeSizeWidth, u"11.70", 1169},
      {1, kWidthEdit, kOptFreeSizeWidth, u"2.76", 276},     {1, kWidthEdit, kOptFreeSizeWidth, u"2.75", 276},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed, c.typed + std::char_traits<char16_t>::length(c.typed)));
    OptSetValue(ctx, kOptDspUnit, c.unit);
    int32_t shown = -1, min = 0, max = 0;
    ui::WhenIdle([&](HWND modal) {
      ui::Click(ui::FindControl(modal, kDefaultsButton));
      ASSERT_EQ(OptGetValue(ctx, kOptFreeSizeTray, nullptr), kBypassTray);
      ASSERT_EQ(OptGetValue(ctx, kOptFreeSizeOrient, nullptr), kPortrait);
      Enter(modal, c.edit, c.typed);
      shown = Shown(c.option);
      DialogDescriptor* dialog = OptFindDialog(ctx, kDlgFreeSize);
      FdGetFreeSizeDisplayRange(ctx, dialog, OptFindControl(ctx, dialog, c.edit), &min, &max);
      ui::Click(ui::FindControl(modal, IDCANCEL));
    });
    UiRunSubDialog(ctx, kDialogModal, kDlgFreeSize, nullptr);
    EXPECT_EQ(shown, c.shown);
    EXPECT_TRUE(c.shown == min || c.shown == max) << min << " " << max;
  }
}

// A size entered into the fourth slot is still there when the printer's settings are opened
// again; a later change that is cancelled is lost and the stored size stays.
TEST_F(PaperSizeDialogs, ASlotKeepsItsSizeAcrossSessionsAndCancelLosesNothing) {
  OptSetValue(ctx, kOptDspUnit, 0);
  ui::WhenIdle([&](HWND modal) {
    ui::Click(ui::FindControl(modal, kDefaultsButton));
    ChooseSlot(modal, 3);
    EXPECT_EQ(ctx->workArea->freeSizeCurrentSlot, 3);
    Enter(modal, kLengthEdit, u"250.0");
    Enter(modal, kWidthEdit, u"180.0");
    SetWindowTextW(ui::FindControl(modal, kNameEdit), u"Postcard sheet");
    ui::Click(ui::FindControl(modal, IDOK));
  });
  EXPECT_EQ(UiRunSubDialog(ctx, kDialogModal, kDlgFreeSize, nullptr), IDOK);

  Close();
  Open();
  OptSetValue(ctx, kOptDspUnit, 0);
  CfgLoadAllFreeSizes(ctx);
  ASSERT_EQ(CfgApplyFreeSizeSlot(ctx, 3), 1);
  EXPECT_EQ(Shown(kOptFreeSizeLength), 2500);
  EXPECT_EQ(Shown(kOptFreeSizeWidth), 1800);
  EXPECT_EQ(Name(), u"Postcard sheet");
  ASSERT_EQ(CfgApplyFreeSizeSlot(ctx, 2), 1);
  EXPECT_NE(Shown(kOptFreeSizeLength), 2500);  // the neighbours kept their own sizes

  ui::WhenIdle([&](HWND modal) {
    ChooseSlot(modal, 3);
    EXPECT_EQ(Shown(kOptFreeSizeLength), 2500);
    Enter(modal, kLengthEdit, u"300.0");
    ui::Click(ui::FindControl(modal, IDCANCEL));
  });
  EXPECT_EQ(UiRunSubDialog(ctx, kDialogModal, kDlgFreeSize, nullptr), IDCANCEL);
  ASSERT_EQ(CfgApplyFreeSizeSlot(ctx, 3), 1);
  EXPECT_EQ(Shown(kOptFreeSizeLength), 2500);
}

// The document's custom size keeps exact inch values: switched to inches, a length of 148.0 mm
// (6992 dots) is 5.82 in, brought up to the bypass tray's 5.83 in; switched back it becomes the
// exact length of 5.83 in, not the old one. The unit dialog's Cancel changes nothing.
TEST_F(PaperSizeDialogs, UnitChangeKeepsTheExactInchValues) {
  OptSetValue(ctx, kOptPaperSize, kCustomPaper);
  OptSetValue(ctx, kOptInputFreeSizeType, 1);
  OptSetValue(ctx, kOptPaperFreeSizeTray, kBypassTray);
  OptSetValue(ctx, kOptPaperFreeSizeOrient, kPortrait);
  OptSetValue(ctx, kOptDspUnit, 0);
  OptSetValue(ctx, kOptOldDspUnit, 0);
  struct Case {
    int32_t length, width;
    int32_t inchLength, inchWidth;
    int32_t lengthBack, widthBack;
  } cases[] = {
      {6992, 3306, 583, 276, 6996, 3316},      // both below the inch limits
      {12000, 6000, 1000, 500, 12000, 6000},   // 10 in by 5 in exactly
      {20410, 14032, 1700, 1169, 20400, 14030},  // both above the inch limits
  };
  const auto run = [&](int button, int radio) {
    ui::WhenIdle([&, button, radio](HWND modal) {
      ui::Click(ui::FindControl(modal, radio));
      ui::Click(ui::FindControl(modal, button));
    });
    UiRunSubDialog(ctx, kDialogModal, kDlgUnit, nullptr);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    OptSetValue(ctx, kOptPaperFreeSizeLength, c.length);
    OptSetValue(ctx, kOptPaperFreeSizeWidth, c.width);
    OptSetValue(ctx, kOptPaperInchLength, 0);
    run(IDCANCEL, 2183);
    EXPECT_EQ(OptGetValue(ctx, kOptDspUnit, nullptr), 0);
    EXPECT_EQ(OptGetValue(ctx, kOptPaperInchLength, nullptr), 0);
    run(IDOK, 2183);
    ASSERT_EQ(OptGetValue(ctx, kOptDspUnit, nullptr), 1);
    EXPECT_EQ(OptGetValue(ctx, kOptPaperInchLength, nullptr), c.inchLength);
    EXPECT_EQ(OptGetValue(ctx, kOptPaperInchWidth, nullptr), c.inchWidth);
    run(IDOK, 2182);
    ASSERT_EQ(OptGetValue(ctx, kOptDspUnit, nullptr), 0);
    EXPECT_EQ(OptGetValue(ctx, kOptPaperFreeSizeLength, nullptr), c.lengthBack);
    EXPECT_EQ(OptGetValue(ctx, kOptPaperFreeSizeWidth, nullptr), c.widthBack);
  }
}

// The longer side becomes the length (built-in function 202, raised by the register's rules).
TEST_F(PaperSizeDialogs, TheLongerSideBecomesTheLength) {
  OptSetValue(ctx, kOptFreeSizeLength, 7000);
  OptSetValue(ctx, kOptFreeSizeWidth, 9000);
  EXPECT_EQ(FmRunBuiltInFunc(ctx, kBfFreeLength), 1);
  EXPECT_EQ(OptGetValue(ctx, kOptFreeSizeLength, nullptr), 9000);
  EXPECT_EQ(OptGetValue(ctx, kOptFreeSizeWidth, nullptr), 7000);
}

}  // namespace
