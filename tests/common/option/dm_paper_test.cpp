// The paper geometry options: custom sizes from their slot (oversize, limits, orientation),
// the output paper that follows the document, margins, the feed tray of a custom size, and the
// printable areas of a real model.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "../mdl/mdl_eval_fixture.h"
#include "devmode_bytes.h"
#include "devmode_fields.h"
#include "devmode_public.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_context_words.h"
#include "option_units.h"
#include "option_values.h"

namespace {

using zolt::test::DmDword;
using zolt::test::DmSetDword;
using zolt::test::DmSetShort;
using zolt::test::DmShort;
using zolt::test::ImageContextTest;
using zolt::test::ModelContextTest;
using zolt::test::SampleModelTest;

enum : uint16_t {
  kOptOrientation = 7,
  kOptDefaultSource = 13,
  kOptSrc = 40,  // 40-45: length, width, printable length and width, left, top
  kOptDst = 47,  // 47-52 likewise
  kOptFuncSelectDuplex = 58,
  kOptDuplexType = 94,
  kOptFreeShortOver = 85,
  kOptDspUnit = 171,
  kOptDstLengthMm = 598,
  kOptDstWidthMm = 599,
};

DWORD Fields(const BYTE* dm) { return DmDword(dm, kDmPubFields); }
void SetFields(BYTE* dm, DWORD v) { DmSetDword(dm, kDmPubFields, v); }

struct Six {
  int32_t v[6];
  bool operator==(const Six&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Six& s) {
  return os << s.v[0] << " " << s.v[1] << " " << s.v[2] << " " << s.v[3] << " " << s.v[4] << " " << s.v[5];
}
Six Geometry(DriverContext* ctx, uint16_t first) {
  Six s{};
  for (int i = 0; i < 6; ++i) s.v[i] = OptGetValue(ctx, static_cast<uint16_t>(first + i), nullptr);
  return s;
}

// What the tests of both fixtures share: the working device mode, and custom-size slots that
// count as loaded so that their cache is what the test puts there.
template <class Base>
class PaperTest : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    if (this->HasFatalFailure()) return;
    dm = CtxGetDevMode(this->ctx);
    ASSERT_NE(dm, nullptr);
    CtxAddPendingFlags(this->ctx, 0x4000000);
  }
  FreeSizeSlot& Slot0() { return this->ctx->workArea->freeSizeSlots[0]; }
  void SetSlot0(int32_t width, int32_t length, int16_t tray = 0) {
    Slot0() = FreeSizeSlot{};
    Slot0().width = width;
    Slot0().length = length;
    Slot0().tray = tray;
  }
  int32_t Opt(uint16_t id) { return OptGetValue(this->ctx, id, nullptr); }

  BYTE* dm = nullptr;
};

using DmPaper = PaperTest<ImageContextTest>;

// ---- custom sizes -----------------------------------------------------------------------------

TEST_F(DmPaper, OversizeCustomSizeKeepsOnlyThePaperCodeInThePublicFields) {
  OptSetDstResolutionW(ctx, 600);
  SetSlot0(14173, 160630);  // 300 x 3400 mm
  DmSetShort(dm, kDmPubPaperLength, 100);
  DmSetShort(dm, kDmPubPaperWidth, 200);
  SetFields(dm, kDmFieldPaperSize | kDmFieldPaperLength | kDmFieldPaperWidth | kDmFieldOrientation);
  ASSERT_EQ(DmSetSourcePaper(kPaperFreeSizeFirst, kOptPaperSize, ctx, dm), 1);
  EXPECT_EQ(Opt(kOptFreeShortOver), 1);
  EXPECT_EQ(DmShort(dm, kDmPubPaperLength), 0);
  EXPECT_EQ(DmShort(dm, kDmPubPaperWidth), 0);
  EXPECT_EQ(Fields(dm), kDmFieldPaperSize | kDmFieldOrientation);
  // The dots keep to the profile's limits (432 x 297 mm shown), here at 600 dpi.
  EXPECT_EQ(Opt(kOptSrc), 10204);
  EXPECT_EQ(Opt(kOptSrc + 1), 7015);

  // A size within the threshold clears the mark and gives the public size.
  SetSlot0(9921, 14031);
  SetFields(dm, 0);
  ASSERT_EQ(DmSetSourcePaper(kPaperFreeSizeFirst, kOptPaperSize, ctx, dm), 1);
  EXPECT_EQ(Opt(kOptFreeShortOver), 0);
  EXPECT_EQ(DmShort(dm, kDmPubPaperLength), 2970);
  EXPECT_EQ(DmShort(dm, kDmPubPaperWidth), 2100);
  EXPECT_EQ(Fields(dm), kDmFieldPaperSize | kDmFieldPaperLength | kDmFieldPaperWidth);
  EXPECT_EQ(Geometry(ctx, kOptSrc), (Six{7015, 4960, 7015, 4960, 0, 0}));
}

TEST_F(DmPaper, CustomSidesOutsideTheLimitsAreClampedAsTheUserSeesThem) {
  OptSetDstResolutionW(ctx, 1200);
  struct Case {
    int32_t unit;  // zdmDspUnit: 0 metric, 1 inch
    int32_t width, length;
    int32_t widthAfter, lengthAfter;
  } cases[] = {
      {0, 2000, 14031, 3306, 14031},   // below 70.0 mm: 70.0 mm
      {1, 2000, 14031, 3312, 14031},   // below 2.76 in: 2.76 in
      {0, 9921, 30000, 9921, 20408},   // above 432.0 mm
      {1, 9921, 30000, 9921, 20400},   // above 17.00 in
      {0, 14031, 6992, 14031, 6992},   // 297.0 mm is shown as the limit itself: kept
      {0, 3306, 6900, 3306, 6992},
  };
  for (const Case& c : cases) {
    OptSetValue(ctx, kOptDspUnit, c.unit);
    SetSlot0(c.width, c.length);
    ASSERT_EQ(DmSetSourcePaper(kPaperFreeSizeFirst, kOptPaperSize, ctx, dm), 1);
    EXPECT_EQ(Opt(kOptSrc + 1), c.widthAfter) << c.unit << " " << c.width;
    EXPECT_EQ(Opt(kOptSrc), c.lengthAfter) << c.unit << " " << c.length;
    EXPECT_EQ(Opt(kOptFreeShortOver), 0);
  }
}

TEST_F(DmPaper, OrientedCustomSizeTurnsInLandscape) {
  OptSetDstResolutionW(ctx, 600);
  OptSetDstResolutionH(ctx, 300);
  SetSlot0(9921, 14031);
  DmSetShort(dm, kDmPubOrientation, kDmOrientLandscape);
  ASSERT_EQ(DmSetSourcePaperOriented(kPaperFreeSizeFirst, kOptPaperSize, ctx, dm), 1);
  EXPECT_EQ(Opt(kOptSrc), 4960);
  EXPECT_EQ(Opt(kOptSrc + 1), 7015);
  EXPECT_EQ(DmShort(dm, kDmPubPaperLength), 2100);
  EXPECT_EQ(DmShort(dm, kDmPubPaperWidth), 2970);
  ASSERT_EQ(DmSetSourcePaper(kPaperFreeSizeFirst, kOptPaperSize, ctx, dm), 1);  // the plain form does not turn
  EXPECT_EQ(Opt(kOptSrc), 7015);

  // The output paper: length at the vertical, width at the horizontal resolution.
  OptSetValue(ctx, kOptOutPaperSize, kPaperFreeSizeFirst);
  ASSERT_EQ(DmSetOutputPaperOriented(kPaperFreeSizeFirst, kOptOutPaperSize, ctx, dm), 1);
  EXPECT_EQ(Geometry(ctx, kOptDst), (Six{2480, 7015, 2480, 7015, 0, 0}));
  ASSERT_EQ(DmSetOutputPaper(kPaperFreeSizeFirst, kOptOutPaperSize, ctx, dm), 1);
  EXPECT_EQ(Geometry(ctx, kOptDst), (Six{3507, 4960, 3507, 4960, 0, 0}));
}

TEST_F(DmPaper, OutputSameAsACustomDocumentCopiesTheSourceGeometry) {
  for (uint16_t i = 0; i < 6; ++i) OptSetValue(ctx, static_cast<uint16_t>(kOptSrc + i), 1001 + i);
  DmSetShort(dm, kDmPubPaperSize, kPaperFreeSizeFirst + 3);
  ASSERT_EQ(DmSetOutputPaper(kOutPaperSameAsInput, kOptOutPaperSize, ctx, dm), 1);
  EXPECT_EQ(Geometry(ctx, kOptDst), (Six{1001, 1002, 1003, 1004, 1005, 1006}));
  // A standard document paper that no model describes: nothing changes.
  for (uint16_t i = 0; i < 6; ++i) OptSetValue(ctx, static_cast<uint16_t>(kOptDst + i), 7);
  DmSetShort(dm, kDmPubPaperSize, kPaperA4);
  EXPECT_EQ(DmSetOutputPaper(kOutPaperSameAsInput, kOptOutPaperSize, ctx, dm), 0);
  EXPECT_EQ(Geometry(ctx, kOptDst), (Six{7, 7, 7, 7, 7, 7}));
  EXPECT_EQ(DmSetSourcePaper(kPaperA4, kOptPaperSize, ctx, dm), 0);
}

TEST_F(DmPaper, FeedTrayOfACustomSize) {
  SetSlot0(9921, 14031, 4);
  EXPECT_EQ(OptGetCustomSizeTray(ctx, kPaperFreeSizeFirst, 0), 4);
  EXPECT_EQ(OptGetCustomSizeTray(ctx, kPaperFreeSizeFirst, 2), 0);
  EXPECT_EQ(Opt(kOptDefaultSource), 0);
  EXPECT_EQ(OptGetCustomSizeTray(ctx, kPaperFreeSizeFirst, 0x101), 1);  // the low byte counts
  EXPECT_EQ(Opt(kOptDefaultSource), 4);
  EXPECT_EQ(OptGetCustomSizeTray(ctx, kPaperA4, 0), 0);
  EXPECT_EQ(OptGetCustomSizeTray(nullptr, kPaperFreeSizeFirst, 0), 0);
}

// ---- margins from a model ---------------------------------------------------------------------

// Printable areas for A4, the first custom slot and the hand-entered custom size at 600 dpi.
constexpr const char* kCustomMargins =
    "*FileVersion: 7.70\n"
    "*OpenUI *ZPD_IDC_PRESET_CHOICE_PAPERSIZE: PickPage\n"
    "*DefaultZPD_IDC_PRESET_CHOICE_PAPERSIZE: IDS_PAPERSIZE_A4\n"
    "*ZPD_IDC_PRESET_CHOICE_PAPERSIZE IDS_PAPERSIZE_A4: \"A4\"\n"
    "*ZPD_IDC_PRESET_CHOICE_PAPERSIZE IDS_FREESIZE1: \"Custom 1\"\n"
    "*ZPD_IDC_PRESET_CHOICE_PAPERSIZE IDS_FREESIZE_INPUT: \"Custom\"\n"
    "*PageMMValue ANY IDS_PAPERSIZE_A4: \"2100 2970\"\n"
    "*PageMMValue ANY IDS_FREESIZE1: \"700 1480\"\n"
    "*PageMMValue ANY IDS_FREESIZE_INPUT: \"700 1480\"\n"
    "*PageValue ANY IDS_PAPERSIZE_A4: IDS_RESOLUTION_600 IDC_PRESET_RADIO_PORTRAIT \"100 150 9000 13000 9921 14031\"\n"
    "*PageValue ANY IDS_FREESIZE1: IDS_RESOLUTION_600 IDC_PRESET_RADIO_PORTRAIT \"120 240 1000 1000 3306 6992\"\n"
    "*PageValue ANY IDS_FREESIZE_INPUT: IDS_RESOLUTION_600 IDC_PRESET_RADIO_PORTRAIT \"50 60 1000 1000 3306 6992\"\n"
    "*CloseUI: *ZPD_IDC_PRESET_CHOICE_PAPERSIZE\n";

class DmPaperMargins : public PaperTest<ModelContextTest> {
 protected:
  void SetUp() override {
    PaperTest<ModelContextTest>::SetUp();
    if (HasFatalFailure()) return;
    AttachSource(kCustomMargins);
    OptSetDstResolutionW(ctx, 600);
    OptSetDstResolutionH(ctx, 600);
    OptSetValue(ctx, kOptOrientation, kDmOrientPortrait);
  }
};

TEST_F(DmPaperMargins, SourceTakesOneMarginOffAndOutputBoth) {
  SetSlot0(9921, 14031);
  ASSERT_EQ(DmSetSourcePaper(kPaperFreeSizeFirst, kOptPaperSize, ctx, dm), 1);
  EXPECT_EQ(Geometry(ctx, kOptSrc), (Six{7015, 4960, 7015 - 240, 4960 - 120, 120, 240}));
  OptSetValue(ctx, kOptOutPaperSize, kPaperFreeSizeFirst);
  ASSERT_EQ(DmSetOutputPaper(kPaperFreeSizeFirst, kOptOutPaperSize, ctx, dm), 1);
  EXPECT_EQ(Geometry(ctx, kOptDst), (Six{7015, 4960, 7015 - 480, 4960 - 240, 120, 240}));
  // A4 from the model: printable size straight from the printable rectangle.
  ASSERT_EQ(DmSetSourcePaper(kPaperA4, kOptPaperSize, ctx, dm), 1);
  EXPECT_EQ(Geometry(ctx, kOptSrc), (Six{14031, 9921, 13000, 9000, 100, 150}));
}

// A merge carries the duplex edge and the paper code through to the geometry.
TEST_F(DmPaperMargins, MergeReachesThePrintableArea) {
  DmSetShort(dm, kDmPubPaperSize, kPaperA4);
  DmSetShort(dm, kDmPubPrintQuality, 600);
  DmSetShort(dm, kDmPubDuplex, kDmDuplexHorizontal);
  const DWORD fields = kDmFieldPaperSize | kDmFieldDuplex;
  SetFields(dm, fields);
  std::vector<BYTE> incoming(kFullDevModeSize, 0);
  SetFields(incoming.data(), fields);
  DmApplyPublicFields(dm, incoming.data(), ctx);
  EXPECT_EQ(Opt(kOptFuncSelectDuplex), 1);
  EXPECT_EQ(Opt(kOptDuplexType), 1);
  EXPECT_EQ(Geometry(ctx, kOptSrc), (Six{14031, 9921, 13000, 9000, 100, 150}));
  EXPECT_EQ(DmShort(dm, kDmPubPaperLength), 2970);
  DmSetShort(dm, kDmPubDuplex, kDmDuplexSimplex);
  DmApplyPublicFields(dm, incoming.data(), ctx);
  EXPECT_EQ(Opt(kOptFuncSelectDuplex), 0);
}

TEST_F(DmPaperMargins, SizeFromTheDeviceModeTakesTheMarginsOfTheHandEnteredSize) {
  DmSetShort(dm, kDmPubPaperLength, 2970);
  DmSetShort(dm, kDmPubPaperWidth, 2100);
  DmSetShort(dm, kDmPubPrintQuality, 600);
  OptSetSourcePaperFromDmSize(dm, ctx);
  EXPECT_EQ(Geometry(ctx, kOptSrc), (Six{7015, 4960, 7015 - 60, 4960 - 50, 50, 60}));
  // At another quality the dots follow it; the margins are the model's.
  DmSetShort(dm, kDmPubPrintQuality, 300);
  OptSetSourcePaperFromDmSize(dm, ctx);
  EXPECT_EQ(Opt(kOptSrc), static_cast<int32_t>(OptLengthToDots(kLengthTenthMm, 2970, 300)));
}

// ---- the sample model -------------------------------------------------------------------------

using DmPaperSample = PaperTest<SampleModelTest>;

TEST_F(DmPaperSample, PrintableAreasOfTheModelByOrientationAndDuplex) {
  Set("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION", Value("IDS_RESOLUTION_600"));
  Set("ZPD_RADIOLIST_1", Value("IDC_PRESET_RADIO_PORTRAIT"));
  SetFields(dm, kDmFieldPaperLength | kDmFieldPaperWidth);
  ASSERT_EQ(DmSetSourcePaper(kPaperA4, kOptPaperSize, ctx, dm), 1);
  EXPECT_EQ(Geometry(ctx, kOptSrc), (Six{14031, 9921, 13631, 9521, 200, 200}));
  EXPECT_EQ(DmShort(dm, kDmPubPaperLength), 2970);
  EXPECT_EQ(DmShort(dm, kDmPubPaperWidth), 2100);
  EXPECT_EQ(Fields(dm), kDmFieldPaperSize);

  Set("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION", Value("IDS_RESOLUTION_1200"));
  ASSERT_EQ(DmSetSourcePaper(kPaperA3, kOptPaperSize, ctx, dm), 1);
  EXPECT_EQ(Geometry(ctx, kOptSrc), (Six{19843, 14031, 19443, 13631, 200, 200}));
  EXPECT_EQ(DmShort(dm, kDmPubPaperLength), 4200);

  Set("ZPD_RADIOLIST_1", Value("IDC_PRESET_RADIO_LANDSCAPE"));
  ASSERT_EQ(DmSetSourcePaper(kPaperA4, kOptPaperSize, ctx, dm), 1);
  EXPECT_EQ(Geometry(ctx, kOptSrc), (Six{9921, 14031, 9521, 13631, 200, 200}));
  EXPECT_EQ(DmShort(dm, kDmPubPaperLength), 2970);  // the public size is the paper's, not the page's
  EXPECT_EQ(DmShort(dm, kDmPubPaperWidth), 2100);

  // A paper the model does not describe changes nothing.
  EXPECT_EQ(DmSetSourcePaper(70, kOptPaperSize, ctx, dm), 0);
  EXPECT_EQ(Geometry(ctx, kOptSrc), (Six{9921, 14031, 9521, 13631, 200, 200}));
}

TEST_F(DmPaperSample, OutputPaperFollowsTheDocumentOrItsOwnCode) {
  Set("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION", Value("IDS_RESOLUTION_600"));
  Set("ZPD_RADIOLIST_1", Value("IDC_PRESET_RADIO_PORTRAIT"));
  Set("ZPD_IDC_PRESET_CHOICE_PAPERSIZE", Value("IDS_PAPERSIZE_A4"));
  OptSetValue(ctx, kOptOutPaperSize, kOutPaperSameAsInput);
  ASSERT_EQ(DmSetOutputPaper(kOutPaperSameAsInput, kOptOutPaperSize, ctx, dm), 1);
  EXPECT_EQ(Geometry(ctx, kOptDst), (Six{14031, 9921, 13631, 9521, 200, 200}));
  EXPECT_EQ(Opt(kOptDstLengthMm), 2970);
  EXPECT_EQ(Opt(kOptDstWidthMm), 2100);

  OptSetValue(ctx, kOptOutPaperSize, kPaperA3);
  ASSERT_EQ(DmSetOutputPaper(kPaperA3, kOptOutPaperSize, ctx, dm), 1);
  EXPECT_EQ(Geometry(ctx, kOptDst), (Six{19843, 14031, 19443, 13631, 200, 200}));
  EXPECT_EQ(Opt(kOptDstLengthMm), 4200);
  EXPECT_EQ(Opt(kOptDstWidthMm), 2970);
  EXPECT_EQ(DmShort(dm, kDmPubPaperSize), kPaperA4);
}

TEST_F(DmPaperSample, MergedPublicFieldsReachThePaperGeometry) {
  Set("ZPD_RADIOLIST_1", Value("IDC_PRESET_RADIO_PORTRAIT"));
  OptSetValue(ctx, kOptOutPaperSize, kOutPaperSameAsInput);
  DmSetShort(dm, kDmPubPaperSize, kPaperA4);
  DmSetShort(dm, kDmPubPrintQuality, 600);
  DmSetShort(dm, kDmPubDuplex, kDmDuplexVertical);  // long edge in portrait
  const DWORD fields = kDmFieldPaperSize | kDmFieldOrientation | kDmFieldDuplex;
  SetFields(dm, fields);
  std::vector<BYTE> incoming(kFullDevModeSize, 0);
  SetFields(incoming.data(), fields);
  DmApplyPublicFields(dm, incoming.data(), ctx);
  EXPECT_EQ(Opt(kOptFuncSelectDuplex), 1);
  EXPECT_EQ(Opt(kOptDuplexType), 3);
  EXPECT_EQ(OptGetDstResolutionW(ctx), 600);
  EXPECT_EQ(Geometry(ctx, kOptSrc), (Six{14031, 9921, 13631, 9521, 200, 200}));
  EXPECT_EQ(Geometry(ctx, kOptDst), Geometry(ctx, kOptSrc));
  EXPECT_EQ(Get("ZPD_IDC_EDIT_CHOICE_DUPLEX"), 1u);

  // And back out: the resolution and the duplex edge.
  OptSetDstResolutionW(ctx, 1200);
  DmSetPublicFromOptions(dm, ctx, 2);
  EXPECT_EQ(DmShort(dm, kDmPubPrintQuality), 1200);
  EXPECT_EQ(DmShort(dm, kDmPubDuplex), kDmDuplexVertical);
  EXPECT_EQ(DmShort(dm, kDmPubYResolution), 1200);
}

TEST_F(DmPaperSample, RefreshFromTheOptionsBeforeTheDeviceModeIsHandedOut) {
  Set("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION", Value("IDS_RESOLUTION_1200"));
  Set("ZPD_RADIOLIST_1", Value("IDC_PRESET_RADIO_PORTRAIT"));
  Set("ZPD_IDC_PRESET_CHOICE_PAPERSIZE", Value("IDS_PAPERSIZE_A5"));
  OptSetValue(ctx, kOptOutPaperSize, kPaperA3);
  OptSetDstResolutionH(ctx, 600);
  DmRefreshPaperFromOptions(dm, ctx, 1);
  EXPECT_EQ(OptGetDstResolutionH(ctx), 1200);
  EXPECT_EQ(DmShort(dm, kDmPubPrintQuality), 1200);
  EXPECT_EQ(DmShort(dm, kDmPubYResolution), 1200);
  EXPECT_EQ(Geometry(ctx, kOptSrc), (Six{9921, 6992, 9521, 6592, 200, 200}));
  EXPECT_EQ(DmShort(dm, kDmPubPaperLength), 2100);
  EXPECT_EQ(DmShort(dm, kDmPubPaperWidth), 1480);
  EXPECT_EQ(Geometry(ctx, kOptDst), (Six{19843, 14031, 19443, 13631, 200, 200}));
  EXPECT_EQ(Opt(kOptDstLengthMm), 4200);
  EXPECT_STREQ(reinterpret_cast<const char*>(OptGetValuePointer(ctx, 10274, nullptr)), OptGetOtherText(0));
}

// ---- the model's Transacts ----------------------------------------------------------------------

TEST_F(DmPaperSample, TransactsRunOverAllOptionsOrOne) {
  Set("ZPD_IDC_PRESET_CHOICE_PAPERSIZE", Value("IDS_PAPERSIZE_A4"));
  Set("ZPD_IDC_PRESET_CHOICE_SOURCETRAY", Value("IDS_SOURCE_TRAY1"));
  Set("ZPD_IDC_EDIT_CHOICE_DUPLEX", 1);
  Set("ZPD_IDC_PRESET_CHOICE_MEDIATYPE", Value("IDS_MEDIATYPE_TRANSPARENCY"));
  OptApplyTransactOf(ctx, Id("ZPD_IDC_BASIC_EDIT_COPIES"));  // no rule: nothing
  EXPECT_EQ(Get("ZPD_IDC_PRESET_CHOICE_SOURCETRAY"), Value("IDS_SOURCE_TRAY1"));
  OptApplyTransactOf(ctx, Id("ZPD_IDC_PRESET_CHOICE_MEDIATYPE"));
  EXPECT_EQ(Get("ZPD_IDC_PRESET_CHOICE_SOURCETRAY"), Value("IDS_SOURCE_MULTI"));
  EXPECT_EQ(Get("ZPD_IDC_EDIT_CHOICE_DUPLEX"), 0u);

  // All options: the media rule and the locked print type both act.
  Set("ZPD_IDC_PRESET_CHOICE_SOURCETRAY", Value("IDS_SOURCE_TRAY1"));
  Set("ZPD_IDC_EDIT_CHOICE_DUPLEX", 1);
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 50);
  Set("ZPD_MultiLock", 1);
  OptApplyAllTransacts(ctx);
  EXPECT_EQ(Get("ZPD_IDC_PRESET_CHOICE_SOURCETRAY"), Value("IDS_SOURCE_MULTI"));
  EXPECT_EQ(Get("ZPD_IDC_EDIT_CHOICE_DUPLEX"), 0u);
  EXPECT_EQ(Get("ZPD_IDC_BASIC_EDIT_COPIES"), 1u);
}

TEST_F(DmPaper, TransactsNeedAModel) {
  OptApplyAllTransacts(ctx);
  OptApplyTransactOf(ctx, 8);
  OptApplyAllTransacts(nullptr);
  SUCCEED();
}

}  // namespace
