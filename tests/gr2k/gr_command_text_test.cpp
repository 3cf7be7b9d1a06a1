// The command texts of the model's groups, expanded for a context with the model in memory.
#include <gtest/gtest.h>

#include <string>

#include "../common/mdl/mdl_eval_fixture.h"
#include "gr_command_text.h"
#include "gr_escapes.h"
#include "gr_job_services.h"
#include "gr_test_support.h"
#include "option_access.h"
#include "option_values.h"
#include "win32/hostclock.h"

namespace zolt::test {
namespace {

class CommandText : public ModelContextTest {
 protected:
  void SetUp() override {
    ModelContextTest::SetUp();
    SYSTEMTIME t{};
    t.wYear = 2026, t.wMonth = 3, t.wDay = 4, t.wHour = 7, t.wMinute = 8, t.wSecond = 9;
    ASSERT_TRUE(host::Clock::SetLocal(t));
  }
  void TearDown() override {
    host::Clock::UseRealTime();
    ModelContextTest::TearDown();
  }

  // Both passes of a group: the counted length must be the written text's.
  std::string Expand(uint32_t group) {
    int32_t counted = -1;
    EXPECT_GE(GrExpandCommandGroup(ctx, group, nullptr, &counted), 0);
    std::string text(static_cast<size_t>(std::max(counted, 0)), '\0');
    int32_t written = -1;
    EXPECT_GE(GrExpandCommandGroup(ctx, group, text.data(), &written), 0);
    EXPECT_EQ(written, counted);
    return text;
  }
};

// A model of the special kinds: every item of the JobStart group has an option whose table row
// carries a special command kind, or a String item with typed text.
constexpr char kSpecialModel[] = R"(*FileVersion: 1.00
*OpenUI *ZPD_zdmTime: Boolean
*DefaultZPD_zdmTime: True
*ZPD_zdmTime True: "on"
*ZPD_zdmTime False: "off"
*OptionCommand: { "@PJL SET TIME = " " <0D><0A>" }
*CloseUI: *ZPD_zdmTime
*OpenUI *ZPD_zdmMarginOdd: Numeric
*NumericValue: "4 0 0 9999 1 10 1"
*OptionCommand: { "@PJL SET MARGIN = " " <0D><0A>" }
*CloseUI: *ZPD_zdmMarginOdd
*OpenUI *ZPD_zdmShiftMarginX: Numeric
*NumericValue: "4 0 -9999 9999 2 10 1"
*OptionCommand: { "@PJL SET SHIFTX = " " <0D><0A>" }
*CloseUI: *ZPD_zdmShiftMarginX
*OpenUI *ZPD_zdmShiftMarginY: Numeric
*NumericValue: "4 0 -9999 9999 1 10 1"
*OptionCommand: { "@PJL SET SHIFTY = " " <0D><0A>" }
*CloseUI: *ZPD_zdmShiftMarginY
*OpenUI *ZPD_zdmUserCode: String
*StringValue: 8 ASCII
*OptionCommand: { "@PJL SET USERCODE = %"" "%" <0D><0A>" }
*CloseUI: *ZPD_zdmUserCode
*CommandString 1: "<1B>%%-12345X@PJL<0D><0A>"
*CommandString 2: "@PJL ENTER LANGUAGE = ZPDL<0D><0A>"
*CommandGroup: JobStart {
  Type: StringType 1
  Type: GroupType *ZPD_zdmTime
  Type: GroupType *ZPD_zdmMarginOdd
  Type: GroupType *ZPD_zdmShiftMarginX
  Type: GroupType *ZPD_zdmShiftMarginY
  Type: GroupType *ZPD_zdmUserCode
  Type: StringType 2
}
*CommandGroup: PageEnd { Type: FontType }
*CommandGroup: PageStart { Type: GroupType *ZPD_IDC_PRESET_CHOICE_PAPERSIZE }
)";

TEST_F(CommandText, The2100GroupsExpandWithTheChosenValues) {
  AttachSource(SampleSource("ZOLT2100.QCS"));
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 3);
  Set("ZPD_IDC_PRESET_CHOICE_MEDIATYPE", Value("IDS_MEDIATYPE_THICK"));
  Set("ZPD_IDC_PRESET_CHOICE_PAPERSIZE", Value("IDS_PAPERSIZE_A4"));
  Set("ZPD_RADIOLIST_1", Value("IDC_PRESET_RADIO_LANDSCAPE"));
  Set("ZPD_IDC_PRESET_CHOICE_SOURCETRAY", Value("IDS_SOURCE_MULTI"));
  EXPECT_EQ(Expand(kGroupSlotJobStart),
            "\x1b%-12345X@PJL\n@PJL ENTER LANGUAGE=ZPDL\n@PJL SET COPIES=3\n@PJL SET MEDIATYPE=Thick paper\n\x1b" "E");
  EXPECT_EQ(Expand(kGroupSlotPageStart),
            "@PJL SET PAPER=A4\n@PJL SET ORIENTATION=Landscape\n@PJL SET TRAY=Bypass tray\n");
  EXPECT_EQ(Expand(kGroupSlotPageEnd), "\x0c");
  // Groups the graphics module does not send are still expandable; one the model lacks is empty.
  EXPECT_EQ(Expand(kGroupSlotJobEnd), "\x1b" "E\x1b%-12345X");
  EXPECT_EQ(Expand(kGroupSlotDocReset), "");
}

TEST_F(CommandText, The7000JobStartFollowsItsConditions) {
  AttachSource(SampleSource("ZOLT7000.QCS"));
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 1);
  Set("ZPD_IDC_FINISH_CHOICE_SORT", 1);
  Set("ZPD_IDC_PRESET_CHOICE_COLOR", Value("IDS_COLOR"));
  Set("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION", Value("IDS_RESOLUTION_600"));
  Set("ZPD_IDC_EDIT_STATIC_DUPLEX", Value("IDS_EDIT_DUPLEX_LEFT"));
  Set("ZPD_IDC_PRESET_CHOICE_PAPERSIZE", Value("IDS_PAPERSIZE_A4"));
  const std::string plain = Expand(kGroupSlotJobStart);
  EXPECT_EQ(plain.rfind("\x1b%-12345X@PJL\n@PJL JOB NAME=\"ZOLT\"\n@PJL SET COPIES=1\n@PJL SET QTY=Collate\n"
                        "@PJL SET DUPLEX=1-sided\n@PJL SET OUTBIN=",
                        0),
            0u)
      << plain;
  EXPECT_EQ(plain.find("@PJL SET BINDING="), std::string::npos) << "the duplex block is skipped";
  EXPECT_NE(plain.find("@PJL SET RENDERMODE=Colour\n@PJL SET RESOLUTION=600 x 600 dpi\n"), std::string::npos);
  EXPECT_EQ(plain.find("ECONOMODE"), std::string::npos);
  // Duplex on and black and white: the conditional blocks add their lines.
  Set("ZPD_IDC_EDIT_CHOICE_DUPLEX", 1);
  Set("ZPD_IDC_BASIC_EDIT_COPIES", 12);
  Set("ZPD_IDC_PRESET_CHOICE_COLOR", Value("IDS_MONO"));
  const std::string duplex = Expand(kGroupSlotJobStart);
  EXPECT_NE(duplex.find("@PJL SET COPIES=12\n"), std::string::npos);
  EXPECT_NE(duplex.find("@PJL SET DUPLEX=2-sided\n@PJL SET BINDING=Open to left\n"), std::string::npos) << duplex;
  EXPECT_NE(duplex.find("@PJL SET RENDERMODE=Black and white\n@PJL SET ECONOMODE=OFF\n"), std::string::npos);
  // The page start picks the branch of the paper size.
  EXPECT_NE(Expand(kGroupSlotPageStart).find("\x1b&u1200D"), std::string::npos);
  Set("ZPD_IDC_PRESET_CHOICE_PAPERSIZE", Value("IDS_PAPERSIZE_A5"));
  EXPECT_NE(Expand(kGroupSlotPageStart).find("\x1b&u600D"), std::string::npos);
}

TEST_F(CommandText, SpecialKindsAndTypedText) {
  AttachSource(kSpecialModel);
  ASSERT_EQ(OptSetValue(ctx, kOptDstResolutionW, 600), 1);
  ASSERT_EQ(OptSetValue(ctx, 98, 100), 1);    // zdmMarginOdd
  ASSERT_EQ(OptSetValue(ctx, 96, 240), 1);    // zdmShiftMarginX
  ASSERT_EQ(OptSetValue(ctx, 97, 120), 1);    // zdmShiftMarginY
  struct Case {
    int32_t shiftDir;
    const char* shifts;
  };
  const Case cases[] = {
      {1, "@PJL SET SHIFTX = 60 \r\n@PJL SET SHIFTY = 60 \r\n"},
      {2, "@PJL SET SHIFTX = -60 \r\n@PJL SET SHIFTY = 60 \r\n"},
      {3, "@PJL SET SHIFTX = 60 \r\n@PJL SET SHIFTY = -60 \r\n"},
      {4, "@PJL SET SHIFTX = -60 \r\n@PJL SET SHIFTY = -60 \r\n"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(OptSetValue(ctx, 95, c.shiftDir), 1);
    const std::string expected = std::string("\x1b%-12345X@PJL\r\n") +
                                 "@PJL SET DATE = \"2026/03/04\" \r\n@PJL SET TIME = \"07:08:09\" \r\n" +
                                 "@PJL SET MARGIN = 50 \r\n" + c.shifts + "@PJL ENTER LANGUAGE = ZPDL\r\n";
    EXPECT_EQ(Hex(Expand(kGroupSlotJobStart)), Hex(expected)) << "shift direction " << c.shiftDir;
  }
}

TEST_F(CommandText, TypedTextNeverEndsTheLineOrStartsACommand) {
  AttachSource(kSpecialModel);
  struct Case {
    std::string typed;
    std::string sent;
  };
  const Case cases[] = {
      {"12ab", "12ab"},
      {"a\r\nb", "a  b"},
      {"\x1b%-123", " %-123"},
      {"x\x7fy\x01", "x y "},
      {"\x82\xa0\x82\xa2", "\x82\xa0\x82\xa2"},  // double-byte characters stay
  };
  for (const Case& c : cases) {
    char field[9] = {};
    std::memcpy(field, c.typed.data(), std::min<size_t>(c.typed.size(), 8));
    ASSERT_EQ(OptSetValueBytes(ctx, 203, field), 1);
    const std::string text = Expand(kGroupSlotJobStart);
    const std::string line = "@PJL SET USERCODE = \"" + c.sent + "\" \r\n";
    EXPECT_NE(text.find(line), std::string::npos) << Hex(text);
  }
}

TEST_F(CommandText, DeviceFontListAndBadGroups) {
  AttachSource(kSpecialModel);
  // A font list whose rows all carry id 0xFFFF: an empty quoted list.
  auto* fonts = static_cast<DeviceFontEntry*>(CtxAllocMem(2 * sizeof(DeviceFontEntry)));
  ASSERT_NE(fonts, nullptr);
  std::memset(fonts, 0, 2 * sizeof(DeviceFontEntry));
  fonts[0].fontId = 0xFFFF;
  fonts[1].fontId = 0x3FFFF;
  ASSERT_EQ(OptSetBuffer(ctx, kOptDeviceFont, fonts), 1);
  ASSERT_EQ(OptSetValue(ctx, kOptDeviceFontCount, 2), 1);
  EXPECT_EQ(Expand(kGroupSlotPageEnd), "@PJL SET DEVFONTID = \" \r\n");
  fonts[1].fontId = 7;
  const std::u16string name = u"Line \"Printer\"";
  std::copy(name.begin(), name.end(), fonts[1].name);
  EXPECT_EQ(Expand(kGroupSlotPageEnd), "@PJL SET DEVFONTID = \"7+Line 'Printer'\" \r\n");
  OptSetBuffer(ctx, kOptDeviceFont, nullptr);
  MdlFreeMem(fonts);
  // An item the model does not describe ends the expansion with a failure.
  int32_t length = 0;
  EXPECT_EQ(GrExpandCommandGroup(ctx, kGroupSlotPageStart, nullptr, &length), -1);
  // A group the model does not have is empty.
  EXPECT_EQ(GrExpandCommandGroup(ctx, kGroupSlotJobEnd, nullptr, &length), 0);
  EXPECT_EQ(length, 0);
}

}  // namespace
}  // namespace zolt::test
