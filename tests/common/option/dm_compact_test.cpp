// The compact settings block: its layout, the choices it makes on an incoming device mode, the
// whole-settings actions, and the capability summary with the enabled output trays.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "../mdl/mdl_eval_fixture.h"
#include "command_table.h"
#include "compact_settings.h"
#include "devmode_defaults.h"
#include "devmode_merge.h"
#include "option_access.h"

namespace {

using zolt::test::ModelContextTest;

TEST(CompactSettingsLayout, FieldsLieAtTheirBytes) {
  CompactSettings block{};
  block.action = 0xA0;
  block.valid = 0xA1;
  block.duplex = 0xA2;
  block.sort = 0xA3;
  block.punch = 0xA4;
  block.staple = 0xA5;
  block.outputTray = 0xA6;
  block.resolution = 0xA7;
  block.printArea = 0xA8;
  block.unused9 = 0xA9;
  block.zoom[0] = 0x04;  // 16388, little-endian
  block.zoom[1] = 0x40;
  block.nup = 0xAC;
  block.outputPaper = 0xAD;
  block.unused[17] = 0xBF;
  const std::array<BYTE, 32> golden = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0x04,
                                       0x40, 0xAC, 0xAD, 0,    0,    0,    0,    0,    0,    0,    0,
                                       0,    0,    0,    0,    0,    0,    0,    0,    0,    0xBF};
  std::array<BYTE, 32> bytes{};
  std::memcpy(bytes.data(), &block, sizeof block);
  EXPECT_EQ(bytes, golden);
  EXPECT_EQ(kDmAtCompactSettings, 285u);
  EXPECT_EQ(kDmAtCompactCaps, 317u);
}

// Option ids the tests read.
enum : uint16_t {
  kOrientation = 7,
  kCollate = 19,
  kResolutionW = 38,
  kResolutionH = 39,
  kOutPaper = 46,
  kOutputTray = 53,
  kSelectScale = 55,
  kSelectNup = 56,
  kSelectDuplex = 58,
  kSelectSort = 61,
  kSelectPunch = 62,
  kSelectStaple = 63,
  kScaleType = 87,
  kScaleH = 89,
  kNupKind = 91,
  kNupType = 92,
  kDuplexType = 94,
  kSortType = 119,
  kPunchType = 120,
  kStapleType = 121,
  kExtPrintArea = 173,
  kTesmarin = 727,
  kFin1000 = 10049,  // finisher with no first tray code
  kFin2000 = 10058,  // finisher with tray codes 31 and 32
};

class CompactImport : public zolt::test::ImageContextTest {
 protected:
  void SetUp() override {
    ImageContextTest::SetUp();
    incoming.assign(kFullDevModeSize, 0);
    std::memcpy(incoming.data(), Working(), kFullDevModeSize);
  }
  // Puts the context back as SetUp left it.
  void Reset() {
    if (fresh.empty()) fresh.assign(Working(), Working() + kSettingsImageSize);
    std::memcpy(Working(), fresh.data(), kSettingsImageSize);
    ctx->workArea->mergeFlags = 0;
    std::memcpy(incoming.data(), Working(), kFullDevModeSize);
  }
  DEVMODEW* In() { return reinterpret_cast<DEVMODEW*>(incoming.data()); }
  void SetBlock(std::initializer_list<std::pair<int, BYTE>> bytes) {
    incoming[kDmAtCompactSettings + 1] = kCompactValid;
    for (auto [at, value] : bytes) incoming[kDmAtCompactSettings + at] = value;
  }
  // An option as the imported device mode holds it.
  int32_t Imported(uint16_t id) {
    std::vector<BYTE> own(Working(), Working() + kFullDevModeSize);
    std::memcpy(Working(), incoming.data(), kFullDevModeSize);
    const int32_t value = OptGetValue(ctx, id, nullptr);
    std::memcpy(Working(), own.data(), kFullDevModeSize);
    return value;
  }
  std::vector<BYTE> incoming;
  std::vector<BYTE> fresh;
};

TEST_F(CompactImport, InvalidBlockIsIgnoredWhateverItsAction) {
  for (BYTE valid : {0, 2, 0xFF}) {
    SetBlock({{0, kCompactActionDefaults}, {2, 2}, {7, 3}});
    incoming[kDmAtCompactSettings + 1] = valid;
    const std::vector<BYTE> before = incoming;
    const std::vector<BYTE> ownBefore(Working(), Working() + kFullDevModeSize);
    ctx->workArea->mergeFlags = 0;
    EXPECT_EQ(DmImportCompactSettings(ctx, In()), 1);
    EXPECT_EQ(incoming, before) << int(valid);
    EXPECT_EQ(std::vector<BYTE>(Working(), Working() + kFullDevModeSize), ownBefore);
    EXPECT_EQ(ctx->workArea->mergeFlags & kMergeCompactImported, 0u);
  }
}

struct ByteCase {
  int at;
  int value;  // bytes 10-11 take a 16-bit zoom
  std::vector<std::pair<uint16_t, int32_t>> expected;
};

TEST_F(CompactImport, EachByteSetsItsOptionsOnTheIncomingDeviceModeOnly) {
  const std::vector<ByteCase> cases = {
      {2, 1, {{kSelectDuplex, 0}}},
      {2, 3, {{kSelectDuplex, 1}, {kDuplexType, 2}}},
      {2, 4, {{kSelectDuplex, 1}, {kDuplexType, 3}}},
      {2, 9, {{kSelectDuplex, 0}, {kDuplexType, 0xFF}}},  // unlisted: -1 in the 8-bit type only
      {3, 2, {{kSelectSort, 1}, {kSortType, 1}, {kCollate, 1}}},
      {3, 4, {{kSelectSort, 1}, {kSortType, 6}, {kCollate, 1}}},
      {3, 1, {{kSelectSort, 0}, {kCollate, 0}}},
      {4, 3, {{kSelectPunch, 1}, {kPunchType, 2}}},
      {5, 2, {{kSelectStaple, 1}, {kStapleType, 34}}},
      {5, 7, {{kSelectStaple, 1}, {kStapleType, 49}}},
      {5, 10, {{kSelectStaple, 1}, {kStapleType, 66}}},
      {5, 12, {{kSelectStaple, 1}, {kStapleType, 49}}},
      {5, 13, {{kSelectStaple, 1}, {kStapleType, 0xFFFF}}},  // -1 in a 16-bit field
      {5, 1, {{kSelectStaple, 0}}},
      {6, 1, {{kOutputTray, 0}}},
      {6, 3, {{kOutputTray, 13}}},
      {6, 5, {{kOutputTray, 15}}},
      {6, 13, {{kOutputTray, 23}}},
      {6, 14, {{kOutputTray, 0}}},  // no finisher installed
      {6, 15, {{kOutputTray, 0}}},
      {6, 16, {{kOutputTray, 14}}},
      {6, 17, {{kOutputTray, 1}}},
      {6, 18, {{kOutputTray, 0xFFFF}}},  // -1 in a 16-bit unsigned field
      {7, 1, {{kResolutionW, 400}, {kResolutionH, 400}}},
      {7, 3, {{kResolutionW, 1200}, {kResolutionH, 1200}}},
      {8, 2, {{kExtPrintArea, 1}}},
      {10, 16388, {{kSelectScale, 1}, {kScaleType, 1}, {kScaleH, 80}}},
      {10, 16385, {{kScaleH, 67}}},
      {10, 16391, {{kScaleH, 115}}},
      {10, 250, {{kSelectScale, 1}, {kScaleType, 1}, {kScaleH, 250}}},
      {12, 1, {{kSelectNup, 0}}},
      {12, 2, {{kSelectNup, 1}, {kNupKind, 1}, {kNupType, 1}}},
      {12, 3, {{kSelectNup, 1}, {kNupKind, 1}, {kNupType, 2}}},
      {12, 7, {{kSelectNup, 1}, {kNupKind, 2}, {kNupType, 38}}},
      {13, 1, {{kOutPaper, 8}}},
      {13, 15, {{kOutPaper, 66}}},
      {13, 16, {{kOutPaper, -1}}},
      {13, 18, {{kOutPaper, 269}}},
  };
  for (const ByteCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.at) + "=" + std::to_string(c.value));
    Reset();
    ASSERT_EQ(OptSetValue(ctx, kTesmarin, 0x1234), 1);
    ASSERT_EQ(OptSetValue(ctx, kSelectDuplex, 0), 1);
    std::memcpy(incoming.data(), Working(), kFullDevModeSize);
    const std::vector<BYTE> ownBefore(Working(), Working() + kFullDevModeSize);
    SetBlock({{0, 0}});
    incoming[kDmAtCompactSettings + c.at] = static_cast<BYTE>(c.value);
    if (c.at == 10) incoming[kDmAtCompactSettings + 11] = static_cast<BYTE>(c.value >> 8);

    EXPECT_EQ(DmImportCompactSettings(ctx, In()), 1);
    for (auto [option, value] : c.expected) EXPECT_EQ(Imported(option), value) << option;
    EXPECT_EQ(Imported(kTesmarin), 0);
    EXPECT_NE(ctx->workArea->mergeFlags & kMergeCompactImported, 0u);
    EXPECT_EQ(std::vector<BYTE>(Working(), Working() + kFullDevModeSize), ownBefore);
  }
}

TEST_F(CompactImport, CollationFollowsTheSortSwitchEvenWithoutASortChoice) {
  for (int sort : {0, 1}) {
    ASSERT_EQ(OptSetValue(ctx, kSelectSort, sort), 1);
    ASSERT_EQ(OptSetValue(ctx, kCollate, 1 - sort), 1);
    std::memcpy(incoming.data(), Working(), kFullDevModeSize);
    SetBlock({{3, 0}});
    EXPECT_EQ(DmImportCompactSettings(ctx, In()), 1);
    EXPECT_EQ(Imported(kCollate), sort);
  }
}

TEST_F(CompactImport, NupTwoUpFollowsTheIncomingOrientation) {
  ASSERT_EQ(OptSetValue(ctx, kOrientation, 1), 1);  // the context's own stays portrait
  std::memcpy(incoming.data(), Working(), kFullDevModeSize);
  incoming[kDmPubOrientation] = 2;
  incoming[kDmPubOrientation + 1] = 0;
  SetBlock({{12, 2}});
  EXPECT_EQ(DmImportCompactSettings(ctx, In()), 1);
  EXPECT_EQ(Imported(kNupKind), 1);
  EXPECT_EQ(Imported(kNupType), 3);
}

TEST_F(CompactImport, FinisherTraysComeFromTheInstalledFinisher) {
  struct Case {
    uint16_t finisher;
    int byte;
    int32_t tray;
  };
  // Fin2000 has tray codes 31 and 32; Fin1000 has no first code, which no list holds.
  for (const Case& c : {Case{kFin2000, 14, 32}, Case{kFin2000, 15, 31}, Case{kFin1000, 14, 5},
                        Case{kFin1000, 15, 0xFFFF}}) {
    SCOPED_TRACE(std::to_string(c.finisher) + " byte " + std::to_string(c.byte));
    Reset();
    ASSERT_EQ(OptSetValue(ctx, c.finisher, 1), 1);
    std::memcpy(incoming.data(), Working(), kFullDevModeSize);
    SetBlock({{6, static_cast<BYTE>(c.byte)}});
    EXPECT_EQ(DmImportCompactSettings(ctx, In()), 1);
    EXPECT_EQ(Imported(kOutputTray), c.tray);
  }
}

TEST_F(CompactImport, FailedDeviceQueryFailsAndLeavesTheDeviceModeAlone) {
  SetBlock({{0, kCompactActionQueryDevice}, {2, 2}});
  const std::vector<BYTE> before = incoming;
  EXPECT_EQ(DmImportCompactSettings(ctx, In()), 0);
  EXPECT_EQ(incoming, before);
  EXPECT_NE(ctx->workArea->mergeFlags & kMergeCompactImported, 0u);
}

TEST(CompactPackedOptions, MaskBitsFollowTheListOrder) {
  const WORD* list = DmPackedOptions();
  int n = 0;
  while (list[n] != 0xFFFF) ++n;
  EXPECT_EQ(n, 19);
  EXPECT_EQ(list[0], kTesmarin);
  EXPECT_EQ(list[18], kExtPrintArea);
}

TEST_F(CompactImport, SetPackedOptionAnswersItsBitAndRefusesOthers) {
  EXPECT_EQ(DmSetPackedOption(ctx, kTesmarin, 7), 1u);
  EXPECT_EQ(OptGetValue(ctx, kTesmarin, nullptr), 7);
  EXPECT_EQ(DmSetPackedOption(ctx, kSelectSort, 1), 1u << 7);
  EXPECT_EQ(DmSetPackedOption(ctx, kExtPrintArea, 1), 1u << 18);
  ASSERT_EQ(OptSetValue(ctx, kCollate, 0), 1);
  EXPECT_EQ(DmSetPackedOption(ctx, kCollate, 1), 0u);
  EXPECT_EQ(OptGetValue(ctx, kCollate, nullptr), 0);
}

// ---- the summary -------------------------------------------------------------------------------

TEST_F(CompactImport, SummaryReplacesTheBlockAndKeepsItsFixedBytes) {
  ASSERT_EQ(OptSetValueBytes(ctx, 725, std::string(32, '\x05').data()), 1);
  ASSERT_EQ(DmWriteZcomCaps(ctx), 1);
  const BYTE* block = Working() + kDmAtCompactSettings;
  const BYTE* caps = Working() + kDmAtCompactCaps;
  for (int i = 0; i < 32; ++i) EXPECT_EQ(block[i], 0) << i;
  EXPECT_EQ(caps[0], 0);
  EXPECT_EQ(caps[1], 0);  // no duplex unit
  EXPECT_EQ(caps[3], 3);
  EXPECT_EQ(caps[7] & 0x02, 0x02);
  EXPECT_EQ(caps[9], 0);
  EXPECT_EQ(caps[11], 1);
  EXPECT_EQ(caps[12], 63);
  EXPECT_EQ(caps[16], 0);
  EXPECT_EQ(caps[17], 1);
  for (int i = 18; i < 32; ++i) EXPECT_EQ(caps[i], 0) << i;
}

// The value sets come from the command table, which only the model types 1 and 2 have: each value
// offered sets the bit of its block value, and nothing else is set.
TEST_F(CompactImport, SummaryBitsAreTheSelectableValuesInBlockCoding) {
  BYTE caps[kCompactCapsSize];
  ASSERT_EQ(DmBuildZcomCaps(ctx, caps), 1);
  for (int at : {2, 4, 5, 6, 13, 14, 15}) EXPECT_EQ(caps[at], 0) << at;

  ASSERT_EQ(OptSetValue(ctx, 1263, 1), 1);  // wdmModelType: the standard set
  ASSERT_EQ(DmBuildZcomCaps(ctx, caps), 1);
  struct Coding {
    uint16_t option;
    int firstByte;
    std::vector<int32_t> byBit;  // the value of each bit; 0 for a bit without one
  };
  const std::vector<Coding> codings = {
      {kSortType, 2, {1, 4, 6}},
      {kPunchType, 4, {1, 2, 3}},
      {kStapleType, 5, {34, 33, 18, 17, 2, 1, 65, 67, 66, 50, 49}},
      {kOutPaper, 13, {8, 9, 11, 70, 12, 13, 88, 1, 5, 43, 6, 3, 267, 268, 66, 0, 0, 269}},
  };
  for (const Coding& c : codings) {
    int32_t values[256];
    int32_t count = 0;
    ASSERT_EQ(MdlGetSelectableValues(ctx, c.option, 256, values, &count), 0);
    for (size_t bit = 0; bit < c.byBit.size(); ++bit) {
      const bool offered = c.byBit[bit] != 0 && std::find(values, values + count, c.byBit[bit]) != values + count;
      const bool set = (caps[c.firstByte + bit / 8] >> (bit % 8)) & 1;
      EXPECT_EQ(set, offered) << c.option << " bit " << bit;
    }
  }
  EXPECT_NE(caps[2] | caps[5] | caps[13], 0);  // the standard set offers some of them
}

// A model with an output-tray item: the default tray, a post-inserter tray (disabled while duplex
// is on) and a tray without a bit of its own.
constexpr char kTrayModel[] = R"(*FileVersion: 1.00
*OpenUI *ZPD_IDC_PRESET_CHOICE_OUTPUT: PickOne
*DefaultZPD_IDC_PRESET_CHOICE_OUTPUT: IDS_OUTPUT_DEFAULT
*ZPD_IDC_PRESET_CHOICE_OUTPUT IDS_OUTPUT_DEFAULT: "Default"
*ZPD_IDC_PRESET_CHOICE_OUTPUT IDS_OUTPUT_PRINTPOST1: "Post 1"
*ZPD_IDC_PRESET_CHOICE_OUTPUT IDS_OPTION_UDTRAY: "Upper"
*CloseUI: *ZPD_IDC_PRESET_CHOICE_OUTPUT
*OpenUI *ZPD_IDC_EDIT_CHOICE_DUPLEX: Boolean
*DefaultZPD_IDC_EDIT_CHOICE_DUPLEX: False
*CloseUI: *ZPD_IDC_EDIT_CHOICE_DUPLEX
*Judge 1=DuplexOn: ZPD_IDC_EDIT_CHOICE_DUPLEX == 1
*Item 1=TrayValues: { {IDS_OUTPUT_PRINTPOST1 DuplexOn NULL NULL} }
*Exclusive: { {ZPD_IDC_PRESET_CHOICE_OUTPUT NULL NULL TrayValues NULL NULL NULL NULL} }
)";

class CompactTrays : public ModelContextTest {
 protected:
  std::vector<WORD> Trays() {
    const int n = OptListSelectableTrays(ctx, nullptr);
    if (n < 0) return {};
    std::vector<WORD> out(n + 1, 0xEEEE);
    EXPECT_EQ(OptListSelectableTrays(ctx, out.data()), n);
    EXPECT_EQ(out[n], 0xEEEE);
    out.resize(n);
    return out;
  }
};

TEST_F(CompactTrays, EnabledTraysAreListedAsStoredValuesAndSummarised) {
  AttachSource(kTrayModel);
  EXPECT_EQ(Trays(), (std::vector<WORD>{0, 15, 128}));
  BYTE caps[kCompactCapsSize];
  ASSERT_EQ(DmBuildZcomCaps(ctx, caps), 1);
  EXPECT_EQ(caps[7], 0x01 | 0x02 | 0x10);  // tray 0, tray 2 always, tray 15
  EXPECT_EQ(caps[8], 0);

  ASSERT_EQ(OptSetValue(ctx, kSelectDuplex, 1), 1);
  EXPECT_EQ(Trays(), (std::vector<WORD>{0, 128}));
  ASSERT_EQ(DmBuildZcomCaps(ctx, caps), 1);
  EXPECT_EQ(caps[7], 0x01 | 0x02);
}

TEST_F(CompactTrays, DefaultsActionResetsTheContextAndTheIncomingDeviceMode) {
  AttachSource(kTrayModel);
  ASSERT_EQ(DmInitFromModel(ctx), 1);
  const int32_t tray = OptGetValue(ctx, kOutputTray, nullptr);
  ASSERT_EQ(OptSetValue(ctx, kOutputTray, 128), 1);
  ASSERT_NE(tray, 128);
  std::vector<BYTE> incoming(Working(), Working() + kFullDevModeSize);
  incoming[kDmAtCompactSettings] = kCompactActionDefaults;
  incoming[kDmAtCompactSettings + 1] = kCompactValid;
  incoming[kDmAtCompactSettings + 6] = 16;  // not applied under this action
  EXPECT_EQ(DmImportCompactSettings(ctx, reinterpret_cast<DEVMODEW*>(incoming.data())), 1);
  EXPECT_EQ(OptGetValue(ctx, kOutputTray, nullptr), tray);
  EXPECT_EQ(std::memcmp(incoming.data(), Working(), kFullDevModeSize), 0);
}

TEST_F(CompactTrays, NoUsableTrayItemListsNothing) {
  EXPECT_EQ(OptListSelectableTrays(ctx, nullptr), -1);  // no model
  AttachSource("*FileVersion: 1.00\n");
  EXPECT_EQ(OptListSelectableTrays(ctx, nullptr), -1);
  BYTE caps[kCompactCapsSize];
  ASSERT_EQ(DmBuildZcomCaps(ctx, caps), 1);
  EXPECT_EQ(caps[7], 0x02);
}

}  // namespace
