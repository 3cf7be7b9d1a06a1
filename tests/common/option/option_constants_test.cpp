// The constant lookup tables spot-checked against their reference rows, and the functions
// that search them or write through them.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "option_access.h"
#include "option_constants.h"
#include "option_image_context.h"

namespace {

using zolt::test::ImageContextTest;

TEST(LegalValues, RowsAndMembership) {
  int rows = 0;
  std::set<uint32_t> options;
  for (const LegalValueList* row = OptGetLegalValueTable(); row->option != 0; ++row) {
    ++rows;
    EXPECT_TRUE(options.insert(row->option).second) << "option " << row->option << " twice";
    EXPECT_GT(row->count, 0u);
  }
  EXPECT_EQ(rows, 274);

  EXPECT_EQ(OptIsLegalValue(14, 600), 1);
  EXPECT_EQ(OptIsLegalValue(14, 500), 0);
  EXPECT_EQ(OptIsLegalValue(7, 1), 0) << "an option without a row";
  EXPECT_EQ(OptGetLegalValues(7), nullptr);
  EXPECT_EQ(OptGetLegalValues(0), nullptr);

  struct Spot {
    uint16_t option;
    uint32_t count;
    int32_t first, last;
  };
  const Spot spots[] = {
      {8, 68, 256, 574},       {46, 118 + 1 + 5 + 10 + 1 + 4 + 58 + 5, 1, 1028},
      {92, 43, 0, 32772},      {1050, 4 + 25 + 6 + 1 + 32 + 2 + 1996, 1, 11995},
      {10175, 119 + 5 + 10 + 1 + 4 + 58 + 1, 0, 1024},
      {201, 15 + 16 + 1, 0, 255}, {1583, 80, 1, 1040},
  };
  for (const Spot& s : spots) {
    const LegalValueList* row = OptGetLegalValues(s.option);
    ASSERT_NE(row, nullptr) << s.option;
    EXPECT_EQ(row->count, s.count) << s.option;
    EXPECT_EQ(row->values[0], s.first) << s.option;
    EXPECT_EQ(row->values[row->count - 1], s.last) << s.option;
  }
  // Options named together share one list.
  EXPECT_EQ(OptGetLegalValues(10206)->values, OptGetLegalValues(10175)->values);
  EXPECT_EQ(OptGetLegalValues(17)->values, OptGetLegalValues(14)->values);
  EXPECT_EQ(OptIsLegalValue(10207, 279), 1);
  EXPECT_EQ(OptIsLegalValue(10207, 277), 0);
  EXPECT_EQ(OptIsLegalValue(134, 255), 1);
  EXPECT_EQ(OptIsLegalValue(987, 132), 0) << "987 stops at 131 where 134 goes to 132";
  EXPECT_EQ(OptIsLegalValue(1050, 10000), 1);
  EXPECT_EQ(OptIsLegalValue(1050, 9999), 0);
}

TEST(FixedLists, RowsAndMembership) {
  uint16_t count = 0;
  const FixedIdList* table = OptGetFixedListTable(&count);
  ASSERT_EQ(count, 14);
  for (uint16_t n = 0; n < count; ++n) EXPECT_EQ(table[n].marker, 0xFFFFu);
  EXPECT_EQ(table[13].count, 0u);
  EXPECT_EQ(OptGetFixedList(13), nullptr);
  EXPECT_EQ(OptGetFixedList(200), nullptr);
  EXPECT_EQ(OptGetFixedList(12), &table[12]);

  const uint32_t counts[13] = {3, 6, 6, 5, 5, 13, 32, 128, 64, 2, 2, 1, 1};
  for (uint16_t n = 0; n < 13; ++n) EXPECT_EQ(OptGetFixedList(n)->count, counts[n]) << n;

  EXPECT_EQ(OptIsInFixedList(2, 10007), 1);
  EXPECT_EQ(OptIsInFixedList(2, 10010), 0);
  EXPECT_EQ(OptIsInFixedList(5, 10355), 1);
  EXPECT_EQ(OptIsInFixedList(5, 10012), 0);
  EXPECT_EQ(OptIsInFixedList(7, 10109), 1);
  EXPECT_EQ(OptIsInFixedList(7, 10110), 0);
  EXPECT_EQ(OptIsInFixedList(7, 10290), 1);
  EXPECT_EQ(OptIsInFixedList(12, 20), 1);
  EXPECT_EQ(OptIsInFixedList(13, 0), 0);
  EXPECT_EQ(OptListContains(nullptr, 1), 0);
}

TEST(PageControlsAndFinishers, RowsAndLookups) {
  ASSERT_EQ(OptGetPageControlCount(), 11);
  const PageControlEntry* first = OptGetPageControlTable();
  EXPECT_EQ(first[0].option, 13);
  EXPECT_EQ(first[0].dialogId, 1002);
  EXPECT_EQ(first[0].controlId, 2007);
  const PageControlEntry* paper = OptFindPageControl(37);
  ASSERT_NE(paper, nullptr);
  EXPECT_EQ(paper->dialogId, 1001);
  EXPECT_EQ(paper->controlId, 2001);
  EXPECT_EQ(OptFindPageControl(129)->controlId, 2635);
  EXPECT_EQ(OptFindPageControl(14), nullptr);

  const FinisherCodeEntry* rows = OptGetFinisherCodeTable();
  EXPECT_EQ(rows[0].option, 10049);
  EXPECT_EQ(rows[0].codeA, kFinisherCodeNone);
  EXPECT_EQ(rows[0].codeB, 5);
  EXPECT_EQ(rows[35].option, 0xFFFF);
  EXPECT_EQ(OptIsFinisherCode(5, kFinisherSelectorB), 1);
  EXPECT_EQ(OptIsFinisherCode(5, 0), 0);
  EXPECT_EQ(OptIsFinisherCode(31, 0), 1);
  EXPECT_EQ(OptIsFinisherCode(32, 0), 0);
  EXPECT_EQ(OptIsFinisherCode(45, kFinisherSelectorB), 1);
  EXPECT_EQ(OptIsFinisherCode(0, 0), 0) << "the end row is no row";
  EXPECT_EQ(OptIsFinisherCode(kFinisherCodeNone, 0), 0) << "\"no code\" is no code";

  int count = 0;
  const NupCountEntry* nup = OptGetNupCountTable(&count);
  ASSERT_EQ(count, 5);
  EXPECT_EQ(nup[3].kind, 3u);
  EXPECT_EQ(nup[3].pagesPerSheet, 9u);
  EXPECT_EQ(nup[4].pagesPerSheet, 16u);
  EXPECT_EQ(OptGetNupCountTable(nullptr), nup);
}

TEST(ConstantTables, SmallTablesAndBuildConstants) {
  EXPECT_EQ(OptGetA4FitPaperList()[0], 0u);
  EXPECT_EQ(OptIsA4FitPaper(nullptr, 9), 0);
  EXPECT_EQ(OptHasUserCodeFile(), 0);
  EXPECT_EQ(OptHasJobControl(), 1);
  EXPECT_EQ(OptGetForcedPrintQuality(nullptr), 0);
  EXPECT_EQ(std::string(OptGetOtherText(0)), "A282020207d014");
  EXPECT_EQ(std::string(OptGetOtherText(1)), "A282020207d014");
  EXPECT_EQ(OptGetValueRemapRules()[0].fromValueId, 0);
  EXPECT_EQ(OptGetAdjustRangeTable()[0].option, 0);
}

TEST(ConstantTables, ResolutionChoicesAndDisplayRemap) {
  const ResolutionEntry* rows = OptGetResolutionTable();
  int count = 0;
  for (; rows[count].value != 0; ++count) EXPECT_EQ(rows[count].xDpi, rows[count].yDpi) << rows[count].value;
  EXPECT_EQ(count, 18);
  EXPECT_EQ(rows[0].value, 6);
  EXPECT_EQ(rows[0].xDpi, 200);
  EXPECT_EQ(rows[9].value, 33);
  EXPECT_EQ(rows[9].xDpi, 150);
  EXPECT_EQ(rows[17].value, 23);

  EXPECT_EQ(OptRemapDisplayValueId(2284), 261u);
  EXPECT_EQ(OptRemapDisplayValueId(2026), 13479u);
  EXPECT_EQ(OptRemapDisplayValueId(2669), 92u);
  EXPECT_EQ(OptRemapDisplayValueId(2672), 92u);
  EXPECT_EQ(OptRemapDisplayValueId(2840), 13463u);
  EXPECT_EQ(OptRemapDisplayValueId(84), 84u);
  EXPECT_EQ(OptRemapDisplayValueId(0), 0u);
}

class ConstantTablesInContext : public ImageContextTest {};

TEST_F(ConstantTablesInContext, CustomMediaSlotsNameTheirOptions) {
  const CustomMediaSlot* slots = OptGetCustomMediaTable();
  for (uint16_t n = 1; n <= 16; ++n) {
    const CustomMediaSlot& s = slots[n - 1];
    EXPECT_EQ(s.slot, n);
    EXPECT_EQ(s.stringId, 13707 + n);
    const std::u16string number = n < 10 ? std::u16string(1, static_cast<char16_t>(u'0' + n))
                                         : u"1" + std::u16string(1, static_cast<char16_t>(u'0' + n - 10));
    EXPECT_EQ(std::u16string(OptGetFieldName(ctx, s.quotOption)), u"wdmCustomMedia" + number + u"Quot");
    EXPECT_EQ(std::u16string(OptGetFieldName(ctx, s.nameOption)), u"wdmCustomMedia" + number + u"Name");
    EXPECT_EQ(std::u16string(OptGetFieldName(ctx, s.charSetOption)), u"wdmMedia" + number + u"NameCharSet");
  }
  EXPECT_EQ(slots[16].slot, 0);
}

TEST_F(ConstantTablesInContext, InstalledFinisherIsTheFirstNonZeroRowInTableOrder) {
  const FinisherCodeEntry* none = OptFindInstalledFinisher(ctx);
  EXPECT_EQ(none->option, 0xFFFF);
  OptSetValue(ctx, 10086, 1);
  OptSetValue(ctx, 10083, 1);
  EXPECT_EQ(OptFindInstalledFinisher(ctx)->option, 10083);
  OptSetValue(ctx, 10049, 1);
  EXPECT_EQ(OptFindInstalledFinisher(ctx)->option, 10049);
}

TEST_F(ConstantTablesInContext, BalanceMacroFollowsTheResolutionUnlessTheUserChoseOne) {
  for (int16_t dpi : {200, 300, 400, 600}) {
    OptSetValue(ctx, 178, 0);
    OptApplyBalanceMacro(dpi, ctx);
    EXPECT_EQ(OptGetValue(ctx, 178, nullptr), 17) << dpi;
  }
  for (int16_t dpi : {150, 1200, 2400, 0}) {
    OptApplyBalanceMacro(dpi, ctx);
    EXPECT_EQ(OptGetValue(ctx, 178, nullptr), 18) << dpi;
  }
  OptSetValue(ctx, 176, 1);
  OptSetValue(ctx, 178, 32);
  OptApplyBalanceMacro(600, ctx);
  EXPECT_EQ(OptGetValue(ctx, 178, nullptr), 32);
}

TEST_F(ConstantTablesInContext, OtherStringFillsTheFieldZeroPadded) {
  OptionEntry* row = OptFind(ctx, 10274);
  BYTE* field = OptGetValuePointer(ctx, 10274, nullptr);
  ASSERT_NE(field, nullptr);
  std::memset(field, 'q', TypeSize(row->typeWord));
  OptSetOtherString(ctx);
  char expected[33] = "A282020207d014";
  EXPECT_EQ(std::memcmp(field, expected, 33), 0);
  EXPECT_EQ(row->stateBits & kStateChangedMask, 1);
}

}  // namespace
