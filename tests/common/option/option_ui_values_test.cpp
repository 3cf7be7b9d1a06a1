// UI values through the value-text lists (including the landscape lists of options 92 and
// 94), text values with their cuts and code pages, and the value-id setter.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "option_access.h"
#include "option_image_context.h"

namespace {

using zolt::test::ImageContextTest;

class OptionUiValues : public ImageContextTest {};

TEST_F(OptionUiValues, StoredValuesMapToValueIdsAndBack) {
  struct Case {
    uint16_t id;
    int32_t stored;
    int32_t ui;     // OptToUiValue
    int mapped;     // OptIsMappedValue
  };
  const Case cases[] = {
      {7, 1, 2026, 1},     {7, 2, 2027, 1},      // dmOrientation
      {15, 1, 39, 1},      {15, 2, 38, 1},       // dmColor
      {38, 300, 84, 1},    {38, 2400, 2400, 0},  // zdmDstResolutionW: 2400 has no text of its own
      {38, 150, 150, 0},   {38, 500, 500, 0},    // 500 is in no pair
      {12, 3, 3, 0},                             // dmCopies: no list, same number
  };
  for (const Case& c : cases) {
    OptionEntry* row = OptFind(ctx, c.id);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(OptToUiValue(ctx, row, c.stored), c.ui) << c.id << " " << c.stored;
    EXPECT_EQ(OptIsMappedValue(ctx, row, c.stored), c.mapped) << c.id << " " << c.stored;
  }

  OptionEntry* res = OptFind(ctx, 38);
  EXPECT_EQ(OptFromUiValue(ctx, res, 86), 600);
  EXPECT_EQ(OptFromUiValue(ctx, res, 0x10000 + 86), 600) << "value ids compare in 16 bits";
  EXPECT_EQ(OptFromUiValue(ctx, res, 4242), 4242) << "an unknown value id stays itself";
  EXPECT_EQ(OptFromUiValue(ctx, OptFind(ctx, 12), 77), 77);

  // Through the image.
  EXPECT_EQ(OptSetUiValue(ctx, 7, 2027), 1);
  EXPECT_EQ(OptGetValue(ctx, 7, nullptr), 2);
  OptionEntry* found = nullptr;
  EXPECT_EQ(OptGetUiValue(ctx, 7, &found), 2027);
  EXPECT_EQ(found, OptFind(ctx, 7));
  EXPECT_EQ(OptGetUiValue(ctx, 5000, &found), 0);
  EXPECT_EQ(found, nullptr);
}

TEST_F(OptionUiValues, EveryValueIdOfEveryListComesBackThroughItsStoredValue) {
  int lists = 0;
  for (int i = 0; i < ctx->optionTable->count; ++i) {
    OptionEntry& row = ctx->optionTable->rows[i];
    const ValueTextPair* list = OptValueListInUse(ctx, &row);
    if (!list) continue;
    ++lists;
    for (const ValueTextPair* p = list; p->valueId != 0; ++p) {
      if (p->valueId == kValueIdNoText) continue;
      const int32_t stored = OptFromUiValue(ctx, &row, p->valueId);
      EXPECT_TRUE(OptIsMappedValue(ctx, &row, stored)) << row.id << " " << p->valueId;
      // The stored value's own first text may differ only when the list names one value twice.
      const int32_t back = OptToUiValue(ctx, &row, stored);
      if (back != static_cast<int32_t>(p->valueId)) {
        int namesOfValue = 0;
        for (const ValueTextPair* q = list; q->valueId != 0; ++q)
          namesOfValue += q->value == stored && q->valueId != kValueIdNoText;
        EXPECT_GT(namesOfValue, 1) << row.id << " " << p->valueId;
      }
    }
  }
  EXPECT_EQ(lists, 77);
}

TEST_F(OptionUiValues, NupAndDuplexUseTheirSecondListInLandscape) {
  OptionEntry* duplex = OptFind(ctx, 94);
  OptionEntry* nup = OptFind(ctx, 92);
  OptSetValue(ctx, 7, 1);
  EXPECT_EQ(OptToUiValue(ctx, duplex, 1), 6329);
  EXPECT_EQ(OptToUiValue(ctx, nup, 17), 7355);
  EXPECT_EQ(OptFromUiValue(ctx, duplex, 6343), 6343) << "a landscape id is unknown in portrait";

  OptSetValue(ctx, 7, 2);
  EXPECT_EQ(OptToUiValue(ctx, duplex, 1), 6343);
  EXPECT_EQ(OptToUiValue(ctx, duplex, 17), 6345);
  EXPECT_EQ(OptToUiValue(ctx, nup, 17), 7356);
  EXPECT_EQ(OptFromUiValue(ctx, duplex, 6343), 1);
  EXPECT_EQ(OptFromUiValue(ctx, duplex, 6329), 6329);
  EXPECT_EQ(OptIsMappedValue(ctx, nup, 0), 0);
  EXPECT_EQ(OptSetUiValue(ctx, 94, 6342), 1);
  EXPECT_EQ(OptGetValue(ctx, 94, nullptr), 2);
  EXPECT_EQ(OptGetUiValue(ctx, 94, nullptr), 6342);

  // Other options keep their single list in landscape.
  EXPECT_EQ(OptToUiValue(ctx, OptFind(ctx, 15), 2), 38);
}

TEST_F(OptionUiValues, SymbolAndControlFormsReachTheSameRows) {
  // zdmOrientationManualTray (405) carries symbol 180.
  OptionEntry* row = OptFind(ctx, 405);
  ASSERT_EQ(row->nameIndex, 180);
  ASSERT_NE(row->labels->valueTexts, nullptr);
  const ValueTextPair first = row->labels->valueTexts[0];
  OptSetValue(ctx, 405, first.value);
  OptionEntry* found = nullptr;
  EXPECT_EQ(OptGetUiValueBySymbol(ctx, 180, &found), OptToUiValue(ctx, row, first.value));
  EXPECT_EQ(found, row);

  ControlDescriptor control{};
  control.option = OptFind(ctx, 7);
  EXPECT_EQ(OptSetControlValue(ctx, &control, 2027), 1);
  EXPECT_EQ(OptGetValue(ctx, 7, nullptr), 2);
  EXPECT_EQ(OptGetControlValue(ctx, &control), 2027);
  EXPECT_EQ(OptGetControlValue(ctx, nullptr), 0);
  EXPECT_EQ(OptSetControlValue(ctx, nullptr, 2026), 0);
}

TEST_F(OptionUiValues, AnsiTextFillsItsWholeFieldAndReadsBackWhole) {
  OptionEntry* user = OptFind(ctx, 202);  // zdmUserID: 9 bytes at 597, zdmUserCode follows at 606
  BYTE* field = Working() + 597;
  field[9] = 'Z';
  WCHAR out[64];

  EXPECT_EQ(OptSetStringValue(ctx, user, u"ABCDEFGHIJKL"), field);
  EXPECT_EQ(std::memcmp(field, "ABCDEFGHIZ", 10), 0) << "all nine bytes, no terminator, next field kept";
  EXPECT_EQ(OptGetStringValue(ctx, user, out, 64), field);
  EXPECT_EQ(std::u16string(out), u"ABCDEFGHI") << "a full field loses no character";
  EXPECT_EQ(user->stateBits & kStateChangedMask, 1);

  // A shorter text clears the rest of the field.
  OptSetStringValue(ctx, user, u"xy");
  EXPECT_EQ(std::memcmp(field, "xy\0\0\0\0\0\0\0Z", 10), 0);
  OptGetStringValue(ctx, user, out, 64);
  EXPECT_EQ(std::u16string(out), u"xy");

  // The output buffer bounds the text.
  OptSetStringValue(ctx, user, u"ABCDEFGH");
  EXPECT_NE(OptGetStringValue(ctx, user, out, 4), nullptr);
  EXPECT_EQ(std::u16string(out), u"ABC");

  // A full 32-byte name field reads back all 32 characters.
  OptionEntry* name = nullptr;
  for (int i = 0; i < ctx->optionTable->count && !name; ++i) {
    OptionEntry* row = &ctx->optionTable->rows[i];
    if (OptIsAnsiTextKind(TypeKind(row->typeWord)) && TypeSize(row->typeWord) == 32 && OptGetValueAddress(ctx, row))
      name = row;
  }
  ASSERT_NE(name, nullptr);
  const std::u16string full(32, u'N');
  OptSetStringValue(ctx, name, (full + u"overflow").c_str());
  OptGetStringValue(ctx, name, out, 64);
  EXPECT_EQ(std::u16string(out), full);
  OptGetStringValue(ctx, name, out, 32);
  EXPECT_EQ(std::u16string(out), std::u16string(31, u'N'));
}

TEST_F(OptionUiValues, WideTextKeepsItsTerminatorAndNumbersReadAsWrong) {
  OptionEntry* form = OptFind(ctx, 20);  // dmFormName: 64 bytes at 102
  WCHAR out[80];
  const std::u16string longText(40, u'F');
  EXPECT_NE(OptSetStringValue(ctx, form, longText.c_str()), nullptr);
  EXPECT_NE(OptGetStringValue(ctx, form, out, 80), nullptr);
  EXPECT_EQ(std::u16string(out), std::u16string(31, u'F'));
  EXPECT_EQ(Working()[102 + 62], 0);
  EXPECT_EQ(Working()[102 + 63], 0);

  OptSetStringValue(ctx, form, u"Letter");
  OptGetStringValue(ctx, form, out, 80);
  EXPECT_EQ(std::u16string(out), u"Letter");

  OptionEntry* copies = OptFind(ctx, 12);
  OptSetValue(ctx, 12, 4);
  EXPECT_EQ(OptGetStringValue(ctx, copies, out, 80), Working() + 86);  // dmCopies at 86
  EXPECT_EQ(std::u16string(out), u"wrong");
  // Setting a text on a number clears the number.
  EXPECT_EQ(OptSetStringValue(ctx, copies, u"7"), Working() + 86);
  EXPECT_EQ(OptGetValue(ctx, 12, nullptr), 0);

  EXPECT_EQ(OptGetStringValue(ctx, form, nullptr, 80), nullptr);
  EXPECT_EQ(OptGetStringValue(ctx, form, out, 0), nullptr);
  EXPECT_EQ(OptGetStringValue(ctx, nullptr, out, 80), nullptr);
  EXPECT_EQ(OptSetStringValue(ctx, form, nullptr), nullptr);
}

TEST_F(OptionUiValues, AnsiTextUsesTheSystemCodePage) {
  OptionEntry* font = OptFind(ctx, 115);  // zdmHFFontName: 32 bytes
  WCHAR out[40];
  OptSetStringValue(ctx, font, u"Caf\u00e9");
  EXPECT_EQ(std::memcmp(Working() + 502, "Caf\xe9\0", 5), 0);
  OptGetStringValue(ctx, font, out, 40);
  EXPECT_EQ(std::u16string(out), u"Caf\u00e9");
}

class OptionUiValuesJapanese : public OptionUiValues {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts facts;
    facts.ansiCodePage = 932;
    return facts;
  }
};

TEST_F(OptionUiValuesJapanese, DoubleByteCharactersAreNeverSplitAtTheFieldEnd) {
  OptionEntry* user = OptFind(ctx, 202);  // 9 bytes: four double-byte characters fit, not five
  BYTE* field = Working() + 597;
  EXPECT_NE(OptSetStringValue(ctx, user, u"\u3042\u3044\u3046\u3048\u304a"), nullptr);
  EXPECT_EQ(std::memcmp(field, "\x82\xa0\x82\xa2\x82\xa4\x82\xa6\0", 9), 0);
  WCHAR out[16];
  OptGetStringValue(ctx, user, out, 16);
  EXPECT_EQ(std::u16string(out), u"\u3042\u3044\u3046\u3048");
}

TEST_F(OptionUiValues, ValueIdSetterLoadsTextsAndMapsNumbers) {
  EXPECT_EQ(OptSetByValueId(ctx, 7, 2027), 1);
  EXPECT_EQ(OptGetValue(ctx, 7, nullptr), 2);

  // A text option receives the value id's resource string: without a language library that
  // text is empty, and the field is cleared.
  std::memcpy(Working() + 597, "OLDVALUE", 8);
  OptFind(ctx, 202)->stateBits = 0;
  EXPECT_EQ(OptSetByValueId(ctx, 202, 235), 1);
  EXPECT_EQ(Working()[597], 0);
  EXPECT_EQ(OptFind(ctx, 202)->stateBits & kStateChangedMask, 1);
  EXPECT_EQ(OptSetByValueId(ctx, 5000, 1), 0);

  // With the language library the text is the value id's resource string, decorated.
  UseLanguageLibrary("ZOLT7Rus.DLL");
  WCHAR out[64];
  EXPECT_EQ(OptSetByValueId(ctx, 202, 2026), 1);
  OptGetStringValue(ctx, OptFind(ctx, 202), out, 64);
  EXPECT_EQ(std::u16string(out), u"Portrait");
  EnvFreeResourceDlls(ctx);
}

}  // namespace

namespace {

class OptionControlTexts : public zolt::test::ImageContextTest {
 protected:
  void SetUp() override {
    ImageContextTest::SetUp();
    // Two pages; the same control id on both, bound to different options.
    controlsA[0].controlId = 2310;
    controlsA[0].option = OptFind(ctx, 115);  // zdmHFFontName
    controlsB[0].controlId = 2310;
    controlsB[0].option = OptFind(ctx, 202);
    controlsB[1].controlId = 2339;
    controlsB[1].option = OptFind(ctx, 20);  // dmFormName
    dialogs[0].dialogId = 1001;
    dialogs[0].controls = controlsA;
    dialogs[0].controlCount = 1;
    dialogs[1].dialogId = 1002;
    dialogs[1].controls = controlsB;
    dialogs[1].controlCount = 2;
    table.count = 2;
    table.rows = dialogs;
    saved = ctx->dialogTable;
    ctx->dialogTable = &table;
  }
  void TearDown() override {
    if (ctx) ctx->dialogTable = saved;
    ImageContextTest::TearDown();
  }
  ControlDescriptor controlsA[1] = {};
  ControlDescriptor controlsB[2] = {};
  DialogDescriptor dialogs[2] = {};
  DialogTable table = {};
  DialogTable* saved = nullptr;
};

TEST_F(OptionControlTexts, TheFirstControlWithTheIdInDialogOrderIsUsed) {
  EXPECT_EQ(OptSetControlText(ctx, 2310, u"Gothic"), Working() + 502);
  WCHAR out[40];
  EXPECT_EQ(OptGetControlText(ctx, 2310, out, 40), Working() + 502);
  EXPECT_EQ(std::u16string(out), u"Gothic");
  EXPECT_EQ(Working()[597], 0) << "the second page's control is not reached";

  EXPECT_NE(OptSetControlText(ctx, 2339, u"A4"), nullptr);
  OptGetStringValue(ctx, OptFind(ctx, 20), out, 40);
  EXPECT_EQ(std::u16string(out), u"A4");

  EXPECT_EQ(OptSetControlText(ctx, 9999, u"x"), nullptr);
  EXPECT_EQ(OptGetControlText(ctx, 9999, out, 40), nullptr);
}

}  // namespace
