// The custom paper-size module without its dialogs: which range table is in force, the ranges
// by tray, orientation and display unit (moved inward to whole display units), the ranges of
// the length and width controls, the usable edits of the input dialog and the inch entry.
#include <gtest/gtest.h>

#include "byte_order.h"
#include "feature_modules.h"
#include "fm_dialog_fixture.h"
#include "fm_modules_1_4.h"
#include "option_values.h"

namespace {

using zolt::test::FmDialogTest;

constexpr uint16_t kOptDisplayUnit = 171;  // zdmDspUnit: 0 metric, 1 inch
constexpr uint16_t kOptDmDefaultSource = 13;
constexpr uint16_t kOptPrnInfoFuncSupport0 = 1272;

class FreeSize : public FmDialogTest {
 protected:
  void Metric(bool metric) { Set(kOptDisplayUnit, metric ? 0 : 1); }
  // Device function 0: not reported (-1), or reported with this key.
  void DeviceKey(int32_t key) {
    Set(kOptPrnInfoFuncSupport0, key < 0 ? 0 : 1);
    Set(kOptPrnInfoFunc0, key < 0 ? 0 : key);
  }
};

TEST_F(FreeSize, TheDeviceKeyChoosesTheTable) {
  struct Case {
    int32_t key;             // -1: the device reports no function 0
    int32_t lengthMax;       // metric length max of orientation 1, 0: no table
  };
  for (const Case& c : {Case{-1, 20410}, Case{1, 20410}, Case{2, 17196}, Case{3, 0}, Case{4, 20410}, Case{8, 20410},
                        Case{0, 0}, Case{16, 0}}) {
    DeviceKey(c.key);
    const FreeSizeRangeRow* rows = FmGetDeviceFreeSizeTable(ctx);
    if (c.lengthMax == 0) {
      EXPECT_EQ(rows, nullptr) << c.key;
      continue;
    }
    ASSERT_NE(rows, nullptr) << c.key;
    // Two rows for the bypass tray on every platform, then the end row.
    EXPECT_EQ(rows[0].tray, 4);
    EXPECT_EQ(rows[0].orientation, 2);
    EXPECT_EQ(rows[1].tray, 4);
    EXPECT_EQ(rows[1].orientation, 1);
    EXPECT_EQ(rows[1].platform, kFreeSizePlatformBoth);
    EXPECT_EQ(rows[1].metricLengthMax, c.lengthMax) << c.key;
    EXPECT_EQ(rows[2].tray, 0);
  }
}

TEST_F(FreeSize, RangesByTableOrientationAndDisplayUnit) {
  struct Case {
    int32_t key;
    bool metric;
    WORD orientation;
    int isLength;
    LONG max, min;
  };
  // Metric columns move inward to whole 0.1 mm (20410 -> 20408, 14032 -> 14030); the inch
  // columns are whole 0.01 inch already.
  const Case cases[] = {
      {-1, true, 1, 1, 20408, 6992},  {-1, true, 1, 0, 14030, 3306},  {-1, true, 2, 1, 14030, 6992},
      {-1, true, 2, 0, 14030, 6992},  {-1, false, 1, 1, 20400, 6996}, {-1, false, 1, 0, 14028, 3312},
      {-1, false, 2, 1, 14028, 6996}, {-1, false, 2, 0, 14028, 6996}, {2, true, 1, 1, 17196, 6992},
      {2, true, 1, 0, 12140, 3306},   {2, true, 2, 1, 12140, 6992},   {2, false, 1, 1, 17196, 6996},
      {2, false, 1, 0, 12132, 3312},  {2, false, 2, 0, 12132, 6996},  {8, true, 1, 1, 20408, 6992},
  };
  for (const Case& c : cases) {
    DeviceKey(c.key);
    Metric(c.metric);
    LONG max = -1, min = -1;
    ASSERT_EQ(FmGetFreeSizeRange(ctx, 4, c.orientation, &max, &min, c.isLength), 1)
        << c.key << " " << c.metric << " " << c.orientation << " " << c.isLength;
    EXPECT_EQ(max, c.max) << c.key << " " << c.metric << " " << c.orientation << " " << c.isLength;
    EXPECT_EQ(min, c.min) << c.key << " " << c.metric << " " << c.orientation << " " << c.isLength;
    // Both ends are whole display units inside the table's limits.
    for (LONG end : {max, min}) EXPECT_EQ(OptFromDisplayUnits(ctx, 0, OptToDisplayUnits(ctx, 0, end)), end);
  }
}

TEST_F(FreeSize, NoRowNoRange) {
  struct Case {
    int32_t key;
    WORD tray, orientation;
  };
  for (const Case& c : {Case{-1, 1, 1}, Case{-1, 3, 2}, Case{-1, 4, 0}, Case{-1, 4, 3}, Case{3, 4, 1}, Case{2, 7, 1}}) {
    DeviceKey(c.key);
    LONG max = 77, min = 77;
    EXPECT_EQ(FmGetFreeSizeRange(ctx, c.tray, c.orientation, &max, &min, 1), 0) << c.key << " " << c.tray;
    EXPECT_EQ(max, 77);
    EXPECT_EQ(min, 77);
  }
}

TEST_F(FreeSize, ControlRangesFollowTheOpenDialogsTrayAndOrientation) {
  // 941/942 of the custom-size dialog, 344/345 or 348/349 of the input dialog by 1051.
  Set(kOptFreeSizeTray, 4);
  Set(kOptFreeSizeOrient, 1);
  Set(kOptPaperFreeSizeTray, 4);
  Set(kOptPaperFreeSizeOrient, 2);
  Set(kOptPrintFreeSizeTray, 1);
  Set(kOptPrintFreeSizeOrient, 1);
  struct Case {
    DWORD dialog;
    int32_t inputType;
    WORD control;
    int found;
    LONG max, min;
  };
  const Case cases[] = {
      {1017, 0, 2682, 1, 20408, 6992},  // length edit, orientation 1
      {1017, 0, 2687, 1, 20408, 6992},  // length spin
      {1017, 0, 2221, 1, 20408, 6992},
      {1017, 0, 2689, 1, 14030, 3306},  // width edit
      {1017, 0, 2597, 1, 14030, 3306},  // width spin
      {1017, 0, 2688, 0, 0, 0},         // neither
      {1041, 1, 2594, 1, 14030, 6992},  // the paper's custom size: orientation 2
      {1041, 1, 2596, 1, 14030, 6992},
      {1041, 0, 2594, 0, 0, 0},         // the print size: tray 1 has no range
      {1003, 0, 2682, 0, 0, 0},         // another page
  };
  for (const Case& c : cases) {
    ctx->dialogId = c.dialog;
    Set(kOptInputFreeSizeType, c.inputType);
    ControlDescriptor control{};
    control.controlId = c.control;
    LONG max = 0, min = 0;
    EXPECT_EQ(FmGetFreeSizeControlRange(ctx, &control, &max, &min), c.found) << c.dialog << " " << c.control;
    EXPECT_EQ(max, c.max) << c.dialog << " " << c.control;
    EXPECT_EQ(min, c.min) << c.dialog << " " << c.control;

    // Code 46 answers the same, and ends the broadcast whether or not it found one.
    FmControlRangeParam p{&control, 5, 5, 0};
    EXPECT_EQ(FmFreeSizeOnNotify(ctx, 46, &p, nullptr), 1);
    EXPECT_EQ(p.found, static_cast<DWORD>(c.found));
    EXPECT_EQ(p.max, c.found ? c.max : 5);
    EXPECT_EQ(p.min, c.found ? c.min : 5);
  }
  EXPECT_EQ(FmGetFreeSizeControlRange(ctx, nullptr, nullptr, nullptr), 0);
}

TEST_F(FreeSize, TheFirstUsableEditOfTheInputDialog) {
  AddControl(kDlgFreeSizeInput, 2682);
  AddControl(kDlgFreeSizeInput, 2683);
  AddControl(kDlgFreeSizeInput, 2684);
  AddControl(kDlgFreeSizeInput, 2596);
  Install();
  DialogDescriptor* input = OptFindDialog(ctx, kDlgFreeSizeInput);
  Control(kDlgFreeSizeInput, 2682)->state = 0x1;  // hidden
  Control(kDlgFreeSizeInput, 2683)->state = 0x2;  // disabled
  Control(kDlgFreeSizeInput, 2684)->state = 0x4;  // other state bits do not count
  EXPECT_EQ(FmIsControlUnusable(ctx, input, 2682), 1);
  EXPECT_EQ(FmIsControlUnusable(ctx, input, 2683), 1);
  EXPECT_EQ(FmIsControlUnusable(ctx, input, 2684), 0);
  EXPECT_EQ(FmIsControlUnusable(ctx, input, 2594), 1);  // missing
  EXPECT_EQ(FmIsControlUnusable(ctx, nullptr, 2684), 1);
  EXPECT_EQ(FmFindFreeSizeEdit(ctx, input, 1), Control(kDlgFreeSizeInput, 2684));
  EXPECT_EQ(FmFindFreeSizeEdit(ctx, input, 0), Control(kDlgFreeSizeInput, 2596));
  EXPECT_EQ(FmFindFreeSizeEdit(ctx, nullptr, 1), nullptr);
  Control(kDlgFreeSizeInput, 2596)->state = 0x3;
  EXPECT_EQ(FmFindFreeSizeEdit(ctx, input, 0), nullptr);
}

TEST_F(FreeSize, SyncDerivesTheInchValuesFromTheStoredSize) {
  Metric(false);
  Set(kOptPaperFreeSizeLength, 12000);  // 10 inch
  Set(kOptPaperFreeSizeWidth, 6001);    // just over 5 inch: rounds up
  Set(kOptPaperInchLength, 1);
  Set(kOptPaperInchWidth, 1);
  // Without the input dialog's edits nothing changes.
  AddDialog(kDlgFreeSizeInput);
  Install();
  FmSyncFreeSizeInputValues(ctx);
  EXPECT_EQ(Get(kOptPaperInchLength), 1);
  AddControl(kDlgFreeSizeInput, 2682);
  AddControl(kDlgFreeSizeInput, 2689);
  Install();
  FmSyncFreeSizeInputValues(ctx);
  EXPECT_EQ(Get(kOptPaperInchLength), 1000);
  EXPECT_EQ(Get(kOptPaperInchWidth), 501);
}

TEST_F(FreeSize, Code51MarksTheTwoDecimalEdits) {
  for (WORD id : {WORD{2220}, WORD{2224}, WORD{2398}, WORD{2594}, WORD{2684}, WORD{2691}, WORD{2221}, WORD{2685},
                  WORD{2597}, WORD{3000}}) {
    ControlDescriptor control{};
    control.controlId = id;
    FmControlFlagParam p{&control, 0};
    EXPECT_EQ(FmFreeSizeOnNotify(ctx, 51, &p, nullptr), 1);
    const bool twoDecimals = id != 2221 && id != 2685 && id != 2597 && id != 3000;
    EXPECT_EQ(p.answer, twoDecimals ? 1u : 0u) << id;
  }
}

// ---- inch entry ---------------------------------------------------------------------------------

TEST_F(FreeSize, InchEntryValuesOfTheEditsAndSpins) {
  Metric(false);
  ControlDescriptor length{}, width{}, lengthSpin{}, widthSpin{}, other{};
  length.controlId = 2683;
  width.controlId = 2596;
  lengthSpin.controlId = 2595;
  widthSpin.controlId = 2693;
  other.controlId = 2220;
  struct Case {
    DWORD code;
    ControlDescriptor* control;
    int32_t value;                 // given in the parameter
    int32_t inchLength, inchWidth;  // 596, 597 afterwards (both start at 100 and 200)
    int32_t answer;                // the parameter's value afterwards
  };
  const Case cases[] = {
      {38, &length, 0, 100, 200, 100},       {40, &width, 0, 100, 200, 200},
      {38, &other, 9, 100, 200, 9},          {39, &length, 850, 850, 200, 850},
      {39, &width, 1100, 100, 1100, 1100},   {39, &lengthSpin, 5, 100, 200, 5},
      {41, &length, 12000, 1000, 200, 12000}, {55, &width, 6001, 100, 501, 6001},
      {43, &lengthSpin, 700, 700, 200, 700}, {43, &widthSpin, 710, 100, 710, 710},
      {43, &length, 720, 100, 200, 720},
  };
  for (const Case& c : cases) {
    Set(kOptPaperInchLength, 100);
    Set(kOptPaperInchWidth, 200);
    FmEditValueParam p{c.control, c.value, 0};
    EXPECT_EQ(FmFreeSizeInchNotify(ctx, c.code, &p), 1);
    EXPECT_EQ(Get(kOptPaperInchLength), c.inchLength) << c.code << " " << c.control->controlId;
    EXPECT_EQ(Get(kOptPaperInchWidth), c.inchWidth) << c.code << " " << c.control->controlId;
    EXPECT_EQ(p.value, c.answer) << c.code << " " << c.control->controlId;
  }
  EXPECT_EQ(FmFreeSizeInchNotify(ctx, 46, nullptr), 0);
}

TEST_F(FreeSize, InchEntryExchangesTheSizeWithADeviceMode) {
  BYTE dm[220] = {};
  struct Case {
    int16_t length, width;  // 0.1 mm in the device mode
    int32_t inchLength, inchWidth;
  };
  for (const Case& c : {Case{2970, 2100, 1169, 826}, Case{2794, 2159, 1100, 850}, Case{-5, 0, 0, 0}}) {
    WriteLe16(dm + 80, static_cast<uint16_t>(c.length));
    WriteLe16(dm + 82, static_cast<uint16_t>(c.width));
    EXPECT_EQ(FmFreeSizeInchNotify(ctx, 44, dm), 1);
    EXPECT_EQ(Get(kOptPaperInchLength), c.inchLength) << c.length;
    EXPECT_EQ(Get(kOptPaperInchWidth), c.inchWidth) << c.width;
  }
  // Back: the smallest 0.1 mm length that reads as the inch value again.
  Set(kOptPaperInchLength, 1100);
  Set(kOptPaperInchWidth, 850);
  FmDevModeParam p{dm, 0};
  EXPECT_EQ(FmFreeSizeInchNotify(ctx, 45, &p), 1);
  EXPECT_EQ(p.handled, 1u);
  EXPECT_EQ(static_cast<int16_t>(ReadLe16(dm + 80)), 2794);
  EXPECT_EQ(static_cast<int16_t>(ReadLe16(dm + 82)), 2159);
}

TEST_F(FreeSize, BuiltInFunctionsBindTheInputSwapSidesAndTakeTrays) {
  for (WORD id : {2682, 2687, 2689, 2694, 2697, 2701, 2702, 3073, 3074}) AddControl(kDlgFreeSizeInput, id);
  Install();
  struct Binding {
    WORD control, paper, print;
  };
  const Binding bindings[] = {{2682, 343, 347}, {2687, 343, 347}, {2689, 342, 346}, {2694, 342, 346},
                              {2697, 344, 348}, {2701, 345, 349}, {2702, 345, 349}, {3073, 1197, 1199},
                              {3074, 1197, 1199}};
  for (WORD code : {WORD{200}, WORD{201}}) {
    EXPECT_EQ(FmRunBuiltInFunc(ctx, code), 1);
    for (const Binding& b : bindings) {
      const ControlDescriptor* control = Control(kDlgFreeSizeInput, b.control);
      ASSERT_NE(control->option, nullptr) << b.control;
      EXPECT_EQ(control->option->id, code == 200 ? b.paper : b.print) << code << " " << b.control;
    }
  }

  // 202: the longer side becomes the length; the dialog's slot takes an exchanged slot size.
  ctx->workArea->freeSizeCurrentSlot = 2;
  Set(940, 5000);
  Set(939, 9000);
  Set(343, 8000);
  Set(342, 7000);
  Set(347, 100);
  Set(346, 200);
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 202), 1);
  EXPECT_EQ(Get(940), 9000);
  EXPECT_EQ(Get(939), 5000);
  EXPECT_EQ(ctx->workArea->freeSizeSlots[2].length, 9000);
  EXPECT_EQ(ctx->workArea->freeSizeSlots[2].width, 5000);
  EXPECT_EQ(Get(343), 8000);
  EXPECT_EQ(Get(342), 7000);
  EXPECT_EQ(Get(347), 200);
  EXPECT_EQ(Get(346), 100);
  // With the document's custom size entered in inches the inch pair follows.
  Metric(false);
  Set(kOptPaperSize, 256);
  Set(kOptInputFreeSizeType, 1);
  Set(kOptPaperInchLength, 300);
  Set(kOptPaperInchWidth, 400);
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 202), 1);
  EXPECT_EQ(Get(kOptPaperInchLength), 400);
  EXPECT_EQ(Get(kOptPaperInchWidth), 300);

  // 203 and 204: the feed tray of the document's and the output's custom size.
  Set(kOptPaperFreeSizeTray, 4);
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 203), 1);
  EXPECT_EQ(Get(kOptDmDefaultSource), 4);
  Set(kOptOutPaperSize, 448);
  Set(kOptPrintFreeSizeTray, 261);
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 204), 1);
  EXPECT_EQ(Get(kOptDmDefaultSource), 261);

  // 205: the edited options are captured into the dialog's slot.
  ctx->workArea->freeSizeCurrentSlot = 4;
  Set(940, 7777);
  EXPECT_EQ(FmRunBuiltInFunc(ctx, 205), 1);
  EXPECT_EQ(ctx->workArea->freeSizeSlots[4].length, 7777);
  EXPECT_EQ(FmFreeSizeOnBuiltInFunc(ctx, 206, nullptr), 0);
}

TEST_F(FreeSize, OutsideInchEntryTheCodesEndTheBroadcastUntouched) {
  Metric(false);
  Set(kOptPaperSize, 9);  // A4, not the document's custom size
  Set(kOptInputFreeSizeType, 1);
  EXPECT_EQ(FmIsFreeSizeInchEntry(ctx), 0);
  ControlDescriptor length{};
  length.controlId = 2682;
  Set(kOptPaperInchLength, 100);
  for (DWORD code : {38u, 39u, 40u, 41u, 43u, 55u}) {
    FmEditValueParam p{&length, 777, 0};
    EXPECT_EQ(FmFreeSizeOnNotify(ctx, code, &p, nullptr), 1) << code;
    EXPECT_EQ(p.value, 777) << code;
    EXPECT_EQ(Get(kOptPaperInchLength), 100) << code;
  }
  BYTE dm[220] = {};
  FmDevModeParam p{dm, 0};
  EXPECT_EQ(FmFreeSizeOnNotify(ctx, 45, &p, nullptr), 1);
  EXPECT_EQ(p.handled, 0u);
  EXPECT_EQ(FmFreeSizeOnNotify(ctx, 42, nullptr, nullptr), 1);
  EXPECT_EQ(FmFreeSizeOnNotify(ctx, 47, nullptr, nullptr), 1);
  for (DWORD code : {1u, 36u, 37u, 48u, 50u, 52u, 56u})
    EXPECT_EQ(FmFreeSizeOnNotify(ctx, code, nullptr, nullptr), 0) << code;
}

}  // namespace
