// Unit conversions, paper codes and the small derived values.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "option_units.h"

namespace {

TEST(Units, DotsToTenthMm) {
  struct Case {
    int32_t dots, dpi, expected;
  };
  const Case cases[] = {
      {1200, 1200, 254}, {60, 1200, 12},    {1199, 1200, 253},   {14030, 1200, 2969}, {0, 1200, 0},
      {5, 0, 0},         {600, 600, 254},   {-60, 1200, -12},    {-1200, 1200, -254}, {60, -1200, -12},
      {-1199, 1200, -253},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OptDotsToTenthMm(c.dots, c.dpi), c.expected) << c.dots << "@" << c.dpi;
    if (c.dots >= 0 && c.dpi >= 0) {
      EXPECT_EQ(OptDotsToTenthMmU(c.dots, c.dpi), static_cast<uint32_t>(c.expected)) << c.dots << "@" << c.dpi;
    }
  }
  // Extreme values stay defined.
  EXPECT_EQ(OptDotsToTenthMm(INT32_MIN, 0), 0);
  (void)OptDotsToTenthMm(INT32_MIN, -1);
  (void)OptDotsToTenthMmU(UINT32_MAX, 1);
}

TEST(Units, TenthMmToDots) {
  struct Case {
    int32_t length, dpi, expected;
  };
  const Case cases[] = {
      {254, 1200, 1200}, {1, 1200, 4},        {253, 1200, 1195}, {2970, 1200, 14031}, {0, 1200, 0},
      {254, 600, 600},   {-254, 1200, -1200}, {-1, 1200, -4},    {-253, 1200, -1195},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OptTenthMmToDots(c.length, c.dpi), c.expected) << c.length << "@" << c.dpi;
    if (c.length >= 0) {
      EXPECT_EQ(OptTenthMmToDotsU(c.length, c.dpi), static_cast<uint32_t>(c.expected));
    }
  }
  (void)OptTenthMmToDots(INT32_MAX, INT32_MAX);
}

TEST(Units, HundredthInch) {
  struct Case {
    uint32_t dots, dpi, expected, remainder;
  };
  const Case cases[] = {
      {1200, 1200, 100, 0}, {1205, 1200, 100, 5}, {600, 300, 200, 0}, {7, 1200, 0, 7},
      {5, 0, 0, 0},
      {5, 99, 0, 0},  // below 100 dpi there is no whole dot per step: no division by zero
  };
  for (const Case& c : cases) {
    uint32_t rem = 12345;
    EXPECT_EQ(OptDotsToHundredthInch(c.dots, c.dpi, &rem), c.expected) << c.dots << "@" << c.dpi;
    EXPECT_EQ(rem, c.remainder) << c.dots << "@" << c.dpi;
  }
  EXPECT_EQ(OptDotsToHundredthInch(1200, 1200, nullptr), 100u);

  EXPECT_EQ(OptHundredthInchToDots(100, 1200), 1200);
  EXPECT_EQ(OptHundredthInchToDots(-100, 1200), -1200);
  EXPECT_EQ(OptHundredthInchToDots(3, 150), 3);
  EXPECT_EQ(OptHundredthInchToDots(5, 99), 0);
}

TEST(Units, RescaleDots) {
  struct Case {
    int32_t dots;
    uint32_t from, to;
    int32_t expected;
  };
  const Case cases[] = {
      {1200, 1200, 600, 600}, {601, 1200, 600, 300}, {-601, 1200, 600, -300}, {100, 300, 1200, 400},
      {7, 0, 600, 0},         {7, 600, 0, 0},        {14030, 1200, 1200, 14030},
  };
  for (const Case& c : cases)
    EXPECT_EQ(OptRescaleDots(c.dots, c.from, c.to), c.expected) << c.dots << " " << c.from << "->" << c.to;
}

TEST(Units, InchAndMetricDisplayValues) {
  // 0.01 inch -> 0.1 mm rounds up so that the way back reaches the input.
  struct Case {
    uint32_t in, out;
  };
  for (Case c : {Case{0, 0}, Case{1, 3}, Case{3, 8}, Case{100, 254}, Case{1169, 2970}})
    EXPECT_EQ(OptHundredthInchToTenthMm(c.in), c.out) << c.in;
  for (Case c : {Case{0, 0}, Case{2, 0}, Case{3, 1}, Case{254, 100}, Case{2970, 1169}})
    EXPECT_EQ(OptTenthMmToHundredthInch(c.in), c.out) << c.in;
  for (uint32_t x = 0; x < 3000; ++x) {
    uint32_t mm = OptHundredthInchToTenthMm(x);
    ASSERT_EQ(OptTenthMmToHundredthInch(mm), x) << x;
    if (mm > 0) {
      ASSERT_LT(OptTenthMmToHundredthInch(mm - 1), x) << x;
    }
  }
}

TEST(Units, LengthToDots) {
  struct Case {
    uint32_t flags, length, dpi, expected;
  };
  const Case cases[] = {
      {kLengthTenthMm, 254, 1200, 1200},
      {kLengthTenthMm, 1, 1200, 4},
      {kLengthTenthMm, 3, 1200, 14},  // 14.17 dots
      {kLengthTenthMm, 2, 1200, 8},   // 9 is odd: one dot less
      {kLengthTenthMm, 0, 1200, 0},
      {kLengthTenthMm, 254, 600, 600},
      {kLengthTenthMm, 2970, 1200, 14030},
      {kLengthHundredthInch, 100, 1200, 1200},
      {kLengthHundredthInch, 1, 1200, 12},
      {kLengthHundredthInch, 1, 300, 3},
      {0, 100, 1200, 0},
      {kLengthTenthMm | kLengthHundredthInch, 254, 1200, 1200},  // 0.1 mm wins
  };
  for (const Case& c : cases)
    EXPECT_EQ(OptLengthToDots(c.flags, c.length, c.dpi), c.expected)
        << "flags " << c.flags << " length " << c.length << " dpi " << c.dpi;
}

TEST(Units, DotsToLengthRoundsUp) {
  struct Case {
    uint32_t flags, dots, dpi, expected, lengthDots;
  };
  const Case cases[] = {
      {kLengthTenthMm, 60, 1200, 13, 61},
      {kLengthHundredthInch, 60, 1200, 5, 60},
      {kLengthHundredthInch, 61, 1200, 6, 72},
      {kLengthTenthMm, 1200, 1200, 254, 1200},
      {kLengthTenthMm, 30, 600, 13, 61},
      {kLengthTenthMm, 0, 1200, 0, 0},
      {0, 60, 1200, 0, 0},
  };
  for (const Case& c : cases) {
    uint32_t dots = 99;
    EXPECT_EQ(OptDotsToLength(c.flags, c.dots, c.dpi, &dots), c.expected) << c.flags << " " << c.dots;
    EXPECT_EQ(dots, c.lengthDots) << c.flags << " " << c.dots;
  }
  EXPECT_EQ(OptDotsToLength(kLengthTenthMm, 60, 1200, nullptr), 13u);
  // Huge values end.
  (void)OptDotsToLength(kLengthHundredthInch, UINT32_MAX, 1200, nullptr);
  (void)OptLengthToDots(kLengthTenthMm, UINT32_MAX, 1200);
}

TEST(Units, DisplayLengthsSurviveTheWayThroughDots) {
  // A length the user types comes back unchanged after it was stored as dots, and stored dots
  // never shrink when shown and stored again.
  for (uint32_t flags : {uint32_t{kLengthTenthMm}, uint32_t{kLengthHundredthInch}}) {
    for (uint32_t length = 0; length < 6000; ++length)
      ASSERT_EQ(OptDotsToLength(flags, OptLengthToDots(flags, length, 1200), 1200, nullptr), length)
          << flags << " " << length;
    for (uint32_t dots = 0; dots < 24000; dots += 2)
      ASSERT_GE(OptLengthToDots(flags, OptDotsToLength(flags, dots, 1200, nullptr), 1200), dots) << flags;
  }
}

TEST(Units, SignedDisplayValuesKeepTheirSign) {
  EXPECT_EQ(OptSignedDotsToLength(kLengthTenthMm, -60), -13);
  EXPECT_EQ(OptSignedDotsToLength(kLengthTenthMm, 60), 13);
  EXPECT_EQ(OptSignedDotsToLength(kLengthHundredthInch, -1200), -100);
  EXPECT_EQ(OptSignedLengthToDots(kLengthTenthMm, -254), -1200);
  EXPECT_EQ(OptSignedLengthToDots(kLengthHundredthInch, -1), -12);
  EXPECT_EQ(OptSignedLengthToDots(kLengthTenthMm, 0), 0);
  (void)OptSignedDotsToLength(kLengthTenthMm, INT32_MIN);
  (void)OptSignedLengthToDots(kLengthHundredthInch, INT32_MIN);
}

TEST(Units, CustomSizeRangesNeverLeaveTheDotLimits) {
  struct Case {
    uint32_t flags;
    int32_t minDots, maxDots, min, max;
  };
  const Case cases[] = {
      {kLengthTenthMm, 3306, 14030, 700, 2970},        // width
      {kLengthTenthMm, 6992, 20408, 1480, 4320},       // length
      {kLengthHundredthInch, 3306, 14030, 276, 1169},  //
      {kLengthHundredthInch, 6992, 20408, 583, 1700},
  };
  for (const Case& c : cases) {
    int32_t min = 0, max = 0;
    OptDisplayRangeOfDots(c.flags, c.minDots, c.maxDots, &min, &max);
    EXPECT_EQ(min, c.min) << c.flags << " " << c.minDots;
    EXPECT_EQ(max, c.max) << c.flags << " " << c.maxDots;
    EXPECT_GE(OptSignedLengthToDots(c.flags, min), c.minDots);
    EXPECT_LE(OptSignedLengthToDots(c.flags, max), c.maxDots);
  }
  int32_t only = 0;
  OptDisplayRangeOfDots(kLengthTenthMm, 3306, 14030, nullptr, &only);
  EXPECT_EQ(only, 2970);
}

TEST(Paper, RegionalOutputAndCustomSizeSlots) {
  EXPECT_EQ(OptRegionalPaperFor(1, 1), kPaperLetter);
  EXPECT_EQ(OptRegionalPaperFor(1, 0), kPaperTabloid);  // no module answered
  EXPECT_EQ(OptRegionalPaperFor(1, 2), kPaperTabloid);
  EXPECT_EQ(OptRegionalPaperFor(0, 1), kPaperA4);
  EXPECT_EQ(OptRegionalPaperFor(0, 0), kPaperA3);

  struct Out {
    int16_t out, input, regional, expected;
  };
  const Out outs[] = {
      {9, 8, 1, 9},     {1024, 8, 1, 8},  {1025, 8, 1, 1},     {1028, 8, 9, 9},
      {1029, 8, 1, 1029}, {1023, 8, 1, 1023}, {384, 8, 1, 384},
  };
  for (const Out& o : outs) EXPECT_EQ(OptResolveOutputPaper(o.out, o.input, o.regional), o.expected) << o.out;

  struct Slot {
    int32_t code;
    int slot;
  };
  for (Slot s : {Slot{383, -1}, Slot{384, 0}, Slot{388, 4}, Slot{393, 9}, Slot{394, -1}, Slot{-384, -1},
                 Slot{1024, -1}})
    EXPECT_EQ(OptFreeSizeSlotOfPaper(s.code), s.slot) << s.code;
}

TEST(Derived, MulDiv) {
  struct Case {
    int32_t a, b, c, expected;
  };
  const Case cases[] = {
      {14030, 100, 7016, 199}, {7, 3, 2, 10},  {-7, 3, 2, -10},          {5, 5, 0, -1},
      {INT32_MAX, 2, 2, INT32_MAX}, {INT32_MAX, 4, 2, -1}, {INT32_MIN, 1, -1, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(OptMulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(Derived, TextCharacterFilter) {
  struct Case {
    uint16_t ch;
    int kind1, kind2;
  };
  const Case cases[] = {
      {'A', 1, 1},  {' ', 1, 1},    {'~', 1, 1},  {'"', 0, 1},   {':', 0, 1}, {8, 1, 1},
      {0x1F, 0, 0}, {0x7F, 0, 0},   {0, 0, 0},    {0x00E9, 0, 0}, {0x3042, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OptIsTextCharAllowed(c.ch, 1), c.kind1) << c.ch;
    EXPECT_EQ(OptIsTextCharAllowed(c.ch, 2), c.kind2) << c.ch;
    EXPECT_EQ(OptIsTextCharAllowed(c.ch, 3), 0) << c.ch;
    EXPECT_EQ(OptIsTextCharAllowed(c.ch, 0), 0) << c.ch;
  }
}

TEST(Derived, CharsetCodes) {
  struct Case {
    uint32_t charset, code;
  };
  const Case cases[] = {
      {128, 1}, {0, 2},   {238, 3},  {161, 4},  {204, 5},  {162, 6}, {186, 7}, {134, 8},
      {136, 9}, {177, 10}, {178, 11}, {222, 12}, {130, 13}, {129, 13}, {1, 0},  {255, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(OptCharsetToCode(c.charset), c.code) << c.charset;
}

TEST(Derived, BuildSwitches) {
  for (int n = -1; n <= 10; ++n) EXPECT_EQ(OptIsBuildSwitchOn(n), n == 1 ? 1 : 0) << n;
  EXPECT_EQ(OptHasBuildFeature15(), 0);
  EXPECT_EQ(OptUseSharedChapterTrayMark(), 0);
}

}  // namespace
