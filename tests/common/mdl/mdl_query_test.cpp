// Queries of a loaded model against the sample model: items, values, rule records, fonts and
// paper.
#include <string>
#include <vector>

#include "mdl_eval_fixture.h"
#include "option_units.h"

namespace {

using zolt::test::ModelContextTest;
using zolt::test::SampleModelTest;

// A field of a byte-packed image record as a value (the test macros take references).
template <class T>
T Val(T v) {
  return v;
}

TEST_F(SampleModelTest, ItemsOfTheSampleByKind) {
  struct Row {
    const char* symbol;
    uint16_t raw;
    const char* defaultName;  // value name of the default, or NULL for defaultNumber
    uint32_t defaultNumber;
    int count;
  };
  const Row rows[] = {
      {"ZPD_IDC_PRESET_CHOICE_PAPERSIZE", kItemPickPage, "IDS_PAPERSIZE_A4", 0, 8},
      {"ZPD_IDC_PRESET_CHOICE_SOURCETRAY", kItemPickSlot, "IDS_SOURCE_AUTO", 0, 6},
      {"ZPD_IDC_PRESET_CHOICE_MEDIATYPE", kItemPickOne, "IDS_MEDIATYPE_NORMAL", 0, 8},
      {"ZPD_IDC_EDIT_CHOICE_DUPLEX", kItemBoolean, nullptr, 0, 0},
      {"ZPD_IDC_FINISH_CHOICE_SORT", kItemBoolean, nullptr, 1, 0},
      {"ZPD_IDC_BASIC_EDIT_COPIES", kItemNumeric, nullptr, 1, 0},
      {"ZPD_IDC_PRINTTYPE_EDIT_PASSWORD", kItemString, nullptr, 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.symbol);
    uint16_t id = Id(r.symbol);
    EXPECT_EQ(MdlGetItemTypeRaw(id, ctx), r.raw);
    EXPECT_EQ(MdlGetItemType(id, ctx), r.raw);
    EXPECT_EQ(MdlGetItemDefault(id, ctx), r.defaultName ? Value(r.defaultName) : r.defaultNumber);
    EXPECT_EQ(MdlGetDefaultFromHeader(id, ctx->modelImage), MdlGetItemDefault(id, ctx));
    EXPECT_EQ(MdlGetItemValueCount(id, ctx), r.count);
  }
  // A setting without item, and no image at all.
  EXPECT_EQ(MdlFindItem(0, ctx), nullptr);
  EXPECT_EQ(MdlGetItemTypeRaw(500, ctx), 0);
  EXPECT_EQ(MdlGetItemDefault(500, ctx), 0u);
  EXPECT_EQ(MdlGetItemValueCount(500, ctx), -1);
  uint16_t position = 77;
  EXPECT_EQ(MdlGetItemValues(500, ctx, &position), nullptr);
  EXPECT_EQ(position, 77);
  ModelImage* image = ctx->modelImage;
  ctx->modelImage = nullptr;
  EXPECT_EQ(MdlFindItem(8, ctx), nullptr);
  EXPECT_EQ(MdlFindItemByKey(Key("ZPD_IDC_PRESET_CHOICE_PAPERSIZE"), ctx), nullptr);
  EXPECT_EQ(MdlFindRuleByKey(Key("ZPD_IDC_EDIT_CHOICE_DUPLEX"), ctx), nullptr);
  int count = 5;
  EXPECT_EQ(MdlGetDeviceFonts(ctx, &count), nullptr);
  EXPECT_EQ(count, 0);
  ctx->modelImage = image;
}

TEST_F(SampleModelTest, ValuesAreWalkedInListOrder) {
  uint16_t position = 0;
  const auto* first = static_cast<const ModelValue*>(MdlGetItemValues(8, ctx, &position));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(position, 1);  // A4, the second value
  const ModelItem* paper = MdlFindItem(8, ctx);
  std::vector<uint16_t> ids;
  for (const ModelValue* v = first; v; v = MdlNextItemValue(ctx->modelImage, paper, v)) ids.push_back(Val(v->valueId));
  EXPECT_EQ(ids, (std::vector<uint16_t>{Value("IDS_PAPERSIZE_A3"), Value("IDS_PAPERSIZE_A4"), Value("IDS_PAPERSIZE_A5"),
                                        Value("IDS_PAPERSIZE_B4"), Value("IDS_PAPERSIZE_B5"), Value("IDS_PAPERSIZE_LETTER"),
                                        Value("IDS_PAPERSIZE_LEGAL"), Value("IDS_PAPERSIZE_DLT")}));
  EXPECT_EQ(MdlCountList(ctx->modelImage, paper->values), 8);
  EXPECT_EQ(MdlCountList(ctx->modelImage, 0), 0);
  // A Boolean item has no list to walk.
  const ModelItem* duplex = Item("ZPD_IDC_EDIT_CHOICE_DUPLEX");
  EXPECT_EQ(MdlNextItemValue(ctx->modelImage, duplex, first), nullptr);
}

TEST_F(SampleModelTest, LookupsByKeyFindVariantsFirst) {
  // The output item has a plain item and a variant: the slot names the plain one, the key the
  // variant (variants come first in the list).
  const ModelItem* plain = Item("ZPD_IDC_PRESET_CHOICE_OUTPUT");
  const ModelItem* byKey = MdlFindItemByKey(Key("ZPD_IDC_PRESET_CHOICE_OUTPUT"), ctx);
  ASSERT_NE(plain, nullptr);
  ASSERT_NE(byKey, nullptr);
  EXPECT_EQ(Val(plain->variant), 0);
  EXPECT_EQ(Val(byKey->variant), 1);
  EXPECT_EQ(MdlGetItemByKey(Key("ZPD_IDC_PRESET_CHOICE_OUTPUT"), ctx), byKey);
  // The Identity item of the paper list: type 1 with its flag kept in the raw word.
  const ModelItem* identity = MdlLookupItem(Key("ZPD_IDC_PRESET_CHOICE_PAPERSIZE2"), ctx);
  ASSERT_NE(identity, nullptr);
  EXPECT_EQ(Val(identity->typeWord), kItemIdentity | kItemPickPage);
  EXPECT_EQ(Val(ModelItemKind(identity->typeWord)), kItemPickPage);
  EXPECT_EQ(MdlFindItemByKey(1, ctx), nullptr);

  EXPECT_NE(MdlFindRuleByKey(Key("ZPD_IDC_EDIT_CHOICE_DUPLEX"), ctx), nullptr);
  EXPECT_NE(MdlFindRuleByKey(Key("ZPD_IDC_FINISH_CHOICE_SORT"), ctx), nullptr);  // second Exclusive statement
  EXPECT_EQ(MdlFindRuleByKey(Key("ZPD_IDC_PRESET_CHOICE_COLOR"), ctx), nullptr);
  const ExclusiveRule* media = MdlFindRuleByKey(Key("ZPD_IDC_PRESET_CHOICE_MEDIATYPE"), ctx);
  ASSERT_NE(media, nullptr);
  EXPECT_NE(MdlFindValueRow(ctx->modelImage, media, Value("IDS_MEDIATYPE_SEAL")), nullptr);
  EXPECT_EQ(MdlFindValueRow(ctx->modelImage, media, Value("IDS_MEDIATYPE_NORMAL")), nullptr);
}

TEST_F(SampleModelTest, ModuleNameAndFonts) {
  WCHAR name[32];
  EXPECT_EQ(MdlGetUiResDllName(ctx, name, 32), 12);
  EXPECT_EQ(std::u16string(name), u"ZOLT7RES.DLL");

  int count = 0;
  DeviceFontEntry* fonts = MdlGetDeviceFonts(ctx, &count);
  ASSERT_NE(fonts, nullptr);
  ASSERT_EQ(count, 7);
  EXPECT_EQ(fonts[0].fontId, 1);
  EXPECT_EQ(std::u16string(fonts[0].name), u"Courier");
  EXPECT_EQ(fonts[6].fontId, 7);
  EXPECT_EQ(std::u16string(fonts[6].name), u"Line Printer");
  MdlFreeMem(fonts);

  DeviceFontEntry* cartridges = MdlGetFontCartridges(ctx, &count);
  ASSERT_NE(cartridges, nullptr);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(cartridges[1].fontId, 102);
  EXPECT_EQ(std::u16string(cartridges[0].name), u"ZOLT Barcode 3 of 9");
  MdlFreeMem(cartridges);

  FontSubstEntry* subst = MdlGetFontSubstTable(ctx, &count);
  ASSERT_NE(subst, nullptr);
  ASSERT_EQ(count, 4);
  EXPECT_EQ(std::u16string(subst[0].trueTypeName), u"Arial");
  EXPECT_EQ(std::u16string(subst[0].deviceName), u"Helvetica");
  EXPECT_EQ(std::u16string(subst[1].trueTypeName), u"Times New Roman");
  MdlFreeMem(subst);
}

TEST_F(ModelContextTest, LongFontNamesAreCutAndMissingListsGiveNothing) {
  AttachSource(
      "*FileVersion: 7.70\n"
      "*DeviceFonts: IDList { {\"A font name that is much longer than thirty-one characters\" 9} }\n");
  int count = 0;
  DeviceFontEntry* fonts = MdlGetDeviceFonts(ctx, &count);
  ASSERT_NE(fonts, nullptr);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(std::u16string(fonts[0].name), u"A font name that is much longer");
  MdlFreeMem(fonts);
  count = 3;
  EXPECT_EQ(MdlGetFontCartridges(ctx, &count), nullptr);
  EXPECT_EQ(count, 0);
  count = 3;
  EXPECT_EQ(MdlGetFontSubstTable(ctx, &count), nullptr);
  EXPECT_EQ(count, 3);  // untouched without a font table
  WCHAR name[8] = u"x";
  EXPECT_EQ(MdlGetUiResDllName(ctx, name, 8), -1);
  EXPECT_EQ(name[0], 0);
}

// ---- paper

TEST_F(SampleModelTest, PageGeometryByResolutionAndOrientation) {
  Set("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION", Value("IDS_RESOLUTION_600"));
  Set("ZPD_RADIOLIST_1", Value("IDC_PRESET_RADIO_PORTRAIT"));
  RECT r{};
  SIZE s{};
  ASSERT_EQ(MdlGetPageGeometry(ctx, &r, &s, Value("IDS_PAPERSIZE_A4")), 1);
  EXPECT_EQ(r.left, 200);
  EXPECT_EQ(r.top, 200);
  EXPECT_EQ(r.right, 200 + 9521);
  EXPECT_EQ(r.bottom, 200 + 13631);
  EXPECT_EQ(s.cx, 9921);
  EXPECT_EQ(s.cy, 14031);
  Set("ZPD_RADIOLIST_1", Value("IDC_PRESET_RADIO_LANDSCAPE"));
  ASSERT_EQ(MdlGetPageGeometry(ctx, &r, &s, Value("IDS_PAPERSIZE_A4")), 1);
  EXPECT_EQ(r.right, 200 + 13631);
  EXPECT_EQ(s.cx, 14031);
  EXPECT_EQ(MdlGetPageGeometry(ctx, &r, &s, 12345), 0);  // not a paper of the model
}

// A model whose paper has a printable area for portrait only, and papers 1.5 mm apart.
constexpr const char* kPortraitOnly =
    "*FileVersion: 7.70\n"
    "*OpenUI *ZPD_IDC_PRESET_CHOICE_PAPERSIZE: PickPage\n"
    "*DefaultZPD_IDC_PRESET_CHOICE_PAPERSIZE: IDS_PAPERSIZE_A4\n"
    "*ZPD_IDC_PRESET_CHOICE_PAPERSIZE IDS_PAPERSIZE_A4: \"A4\"\n"
    "*ZPD_IDC_PRESET_CHOICE_PAPERSIZE IDS_PAPERSIZE_LETTER: \"Letter\"\n"
    "*PageMMValue ANY IDS_PAPERSIZE_A4: \"2100 2970\"\n"
    "*PageMMValue ANY IDS_PAPERSIZE_LETTER: \"2159 2794\"\n"
    "*PageValue ANY IDS_PAPERSIZE_A4: IDS_RESOLUTION_600 IDC_PRESET_RADIO_PORTRAIT \"100 150 9000 13000 9921 14031\"\n"
    "*CloseUI: *ZPD_IDC_PRESET_CHOICE_PAPERSIZE\n"
    "*OpenUI *ZPD_IDC_PRESET_CHOICE_PRINTSIZE: PickOne\n"
    "*DefaultZPD_IDC_PRESET_CHOICE_PRINTSIZE: IDS_PAPERSIZE_A4\n"
    "*ZPD_IDC_PRESET_CHOICE_PRINTSIZE IDS_PAPERSIZE_A4: \"A4\"\n"
    "*ZPD_IDC_PRESET_CHOICE_PRINTSIZE IDS_PAPERSIZE_LETTER: \"Letter\"\n"
    "*CloseUI: *ZPD_IDC_PRESET_CHOICE_PRINTSIZE\n";

TEST_F(ModelContextTest, LandscapeWithoutItsOwnRecordSwapsThePortraitRecord) {
  AttachSource(kPortraitOnly);
  Set("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION", Value("IDS_RESOLUTION_600"));
  Set("ZPD_RADIOLIST_1", Value("IDC_PRESET_RADIO_LANDSCAPE"));
  RECT r{};
  SIZE s{};
  ASSERT_EQ(MdlGetPageGeometry(ctx, &r, &s, Value("IDS_PAPERSIZE_A4")), 1);
  EXPECT_EQ(r.left, 150);
  EXPECT_EQ(r.top, 100);
  EXPECT_EQ(r.right, 150 + 13000);
  EXPECT_EQ(r.bottom, 100 + 9000);
  EXPECT_EQ(s.cx, 14031);
  EXPECT_EQ(s.cy, 9921);
  Set("ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION", Value("IDS_RESOLUTION_1200"));
  EXPECT_EQ(MdlGetPageGeometry(ctx, &r, &s, Value("IDS_PAPERSIZE_A4")), 0);  // no record at 1200 dpi
}

TEST_F(ModelContextTest, PaperBySizeExactTolerantAndEitherWayRound) {
  AttachSource(kPortraitOnly);
  OptionEntry* row = OptFind(ctx, 8);
  ASSERT_NE(row, nullptr);
  const uint16_t a4 = static_cast<uint16_t>(OptFromUiValue(ctx, row, Value("IDS_PAPERSIZE_A4")));
  const uint16_t letter = static_cast<uint16_t>(OptFromUiValue(ctx, row, Value("IDS_PAPERSIZE_LETTER")));
  ASSERT_NE(a4, 0);
  struct Case {
    int32_t width, length;
    int tolerant;
    uint16_t code;
  } cases[] = {
      {2100, 2970, 0, a4},      {2970, 2100, 0, a4},      {2101, 2970, 0, 0},
      {2115, 2985, 1, a4},      {2117, 2987, 1, a4},      {2118, 2970, 1, 0},  // 1.8 mm over
      {2099, 2970, 1, 0},       {2159, 2794, 1, letter},  {2794, 2174, 1, letter},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MdlFindPaperBySize(ctx, c.width, c.length, c.tolerant), c.code) << c.width << "x" << c.length;
}

TEST_F(ModelContextTest, PaperBySizeOnlyOffersPapersTheOutputPaperAllows) {
  std::string source = kPortraitOnly;
  // The output paper offers A4 only: a letter-sized sheet finds no paper.
  source.erase(source.find("*ZPD_IDC_PRESET_CHOICE_PRINTSIZE IDS_PAPERSIZE_LETTER"),
               std::string_view("*ZPD_IDC_PRESET_CHOICE_PRINTSIZE IDS_PAPERSIZE_LETTER: \"Letter\"\n").size());
  AttachSource(source);
  const uint16_t a4 = static_cast<uint16_t>(OptFromUiValue(ctx, OptFind(ctx, 8), Value("IDS_PAPERSIZE_A4")));
  EXPECT_EQ(MdlFindPaperBySize(ctx, 2100, 2970, 0), a4);
  EXPECT_EQ(MdlFindPaperBySize(ctx, 2159, 2794, 0), 0);
  // Without an output-paper item no paper is allowed.
  std::string noOutput = kPortraitOnly;
  noOutput.resize(noOutput.find("*OpenUI *ZPD_IDC_PRESET_CHOICE_PRINTSIZE"));
  AttachSource(noOutput);
  EXPECT_EQ(MdlFindPaperBySize(ctx, 2100, 2970, 0), 0);
}

TEST_F(SampleModelTest, PaperExtentFollowsThePaperAndOrientation) {
  Set("ZPD_IDC_PRESET_CHOICE_PAPERSIZE", Value("IDS_PAPERSIZE_A4"));
  Set("ZPD_RADIOLIST_1", Value("IDC_PRESET_RADIO_PORTRAIT"));
  SIZE s{};
  ASSERT_EQ(MdlGetPaperExtent(ctx, &s, 0), 1);
  EXPECT_EQ(s.cx, 2100);
  EXPECT_EQ(s.cy, 2970);
  ASSERT_EQ(MdlGetDocPaperExtent(ctx, &s), 1);
  EXPECT_EQ(s.cx, 2100);
  Set("ZPD_RADIOLIST_1", Value("IDC_PRESET_RADIO_LANDSCAPE"));
  ASSERT_EQ(MdlGetPaperExtent(ctx, &s, 0), 1);
  EXPECT_EQ(s.cx, 2970);
  EXPECT_EQ(s.cy, 2100);
  // The output paper: a paper code of its own, with dmPaperSize put back afterwards.
  const int32_t a4Code = OptGetValue(ctx, 8, nullptr);
  Set("ZPD_IDC_PRESET_CHOICE_PAPERSIZE", Value("IDS_PAPERSIZE_A3"));
  const int32_t a3Code = OptGetValue(ctx, 8, nullptr);
  ASSERT_EQ(OptSetValue(ctx, 46, a4Code), 1);
  ASSERT_EQ(MdlGetOutputPaperExtent(ctx, &s), 1);
  EXPECT_EQ(s.cx, 2970);
  EXPECT_EQ(s.cy, 2100);
  EXPECT_EQ(OptGetValue(ctx, 8, nullptr), a3Code);
  // A code the model has no paper for.
  ASSERT_EQ(OptSetValue(ctx, 8, 30000), 1);
  EXPECT_EQ(MdlGetPaperExtent(ctx, &s, 0), 0);
}

TEST_F(SampleModelTest, OutputPaperExtentLeavesTheDocumentPaperUntouched) {
  Set("ZPD_IDC_PRESET_CHOICE_PAPERSIZE", Value("IDS_PAPERSIZE_A3"));
  Set("ZPD_RADIOLIST_1", Value("IDC_PRESET_RADIO_PORTRAIT"));
  OptionEntry* paper = OptFind(ctx, 8);
  ASSERT_NE(paper, nullptr);
  const int32_t a3Code = OptGetValue(ctx, 8, nullptr);
  const int32_t a5Code = OptFromUiValue(ctx, paper, Value("IDS_PAPERSIZE_A5"));
  ASSERT_EQ(OptSetValue(ctx, 46, a5Code), 1);
  const std::vector<BYTE> before(Working(), Working() + kSettingsImageSize);
  paper->stateBits = 0;
  SIZE s{};
  ASSERT_EQ(MdlGetOutputPaperExtent(ctx, &s), 1);
  EXPECT_EQ(s.cx, 1480);
  EXPECT_EQ(s.cy, 2100);
  EXPECT_EQ(OptGetValue(ctx, 8, nullptr), a3Code);
  EXPECT_EQ(paper->stateBits & kStateChangedMask, 0) << "a query leaves no change mark";
  EXPECT_EQ(std::memcmp(before.data(), Working(), kSettingsImageSize), 0);
}

TEST_F(SampleModelTest, CustomSlotExtentsAndLengthsInTenthMillimetres) {
  SIZE s{5, 5};
  ASSERT_EQ(OptSetValue(ctx, 700, 448), 1);
  EXPECT_EQ(MdlGetBodyPrintExtent(ctx, &s), 1);
  EXPECT_EQ(s.cx, 0);
  EXPECT_EQ(s.cy, 0);
  ASSERT_EQ(OptSetValue(ctx, 700, 9), 1);
  EXPECT_EQ(MdlGetBodyPrintExtent(ctx, &s), 0);
  ASSERT_EQ(OptSetValue(ctx, 710, 384), 1);
  ASSERT_EQ(OptSetValue(ctx, 939, 1200), 1);
  ASSERT_EQ(OptSetValue(ctx, 940, 2400), 1);
  ASSERT_EQ(MdlGetBindFinishExtent(ctx, &s), 1);
  EXPECT_EQ(s.cx, 254);
  EXPECT_EQ(s.cy, 508);

  struct Case {
    int32_t dots, tenthMm;
  } cases[] = {{1200, 254}, {100, 22}, {0, 0}, {-100, -22}, {-1200, -254}};
  for (const Case& c : cases) {
    ASSERT_EQ(OptSetValue(ctx, 704, c.dots), 1);
    EXPECT_EQ(MdlGetCutPositionMm(ctx, 1), c.tenthMm) << c.dots;
    if (c.dots >= 0) {
      EXPECT_GE(OptTenthMmToDots(MdlGetCutPositionMm(ctx, 1), 1200), c.dots);
    }
  }
  EXPECT_EQ(MdlGetCutPositionMm(ctx, 9), 0);
  ASSERT_EQ(OptSetValue(ctx, 704, 100), 1);
  EXPECT_EQ(MdlSettingToMm(ctx, 704), 22);
}

}  // namespace

namespace {

// Every rule an item or the rule list links, and the value IDs worth asking it: each row's own,
// its neighbours, and IDs no row has.
struct RuleQueries {
  std::vector<const ExclusiveRule*> rules;
  std::vector<uint16_t> valueIds{0, 1, 0xFFFF};
};

RuleQueries QueriesOf(const ModelImage* image) {
  RuleQueries q;
  for (const ModelItem* i = MdlImageAt<ModelItem>(image, image->header.firstItem); i;
       i = MdlImageAt<ModelItem>(image, i->next))
    if (const ExclusiveRule* r = MdlItemRule(image, i)) q.rules.push_back(r);
  for (const ExclusiveRule* r = MdlImageAt<ExclusiveRule>(image, image->header.firstExclusive); r;
       r = MdlImageAt<ExclusiveRule>(image, r->next))
    q.rules.push_back(r);
  for (const ExclusiveRule* r : q.rules)
    for (const ItemRuleRow* row = MdlImageRef<ItemRuleRow>(image, r->itemRules); row;
         row = MdlImageRef<ItemRuleRow>(image, row->next))
      for (uint32_t v : {row->valueId - 1, row->valueId, row->valueId + 1}) q.valueIds.push_back(static_cast<uint16_t>(v));
  return q;
}

// The index answers what the walk answers: the same row for any judge, and for one judge kind
// either the same row or none where the walk's row has no judge of that kind.
void ExpectIndexMatchesWalk(const ModelImage* image) {
  MdlRuleIndex* index = MdlBuildRuleIndex(image);
  ASSERT_NE(index, nullptr);
  const RuleQueries q = QueriesOf(image);
  ASSERT_FALSE(q.rules.empty());
  for (const ExclusiveRule* rule : q.rules)
    for (uint16_t v : q.valueIds) {
      const ItemRuleRow* walked = MdlFindValueRow(image, rule, v);
      const ItemRuleRow* found = nullptr;
      ASSERT_EQ(MdlRuleIndexFind(index, image, rule, v, kMdlRowAnyJudge, &found), 1);
      ASSERT_EQ(found, walked) << "value " << v;
      for (uint32_t mask : {kMdlRowDisabled, kMdlRowRestricted, kMdlRowLocked}) {
        ASSERT_EQ(MdlRuleIndexFind(index, image, rule, v, mask, &found), 1);
        if (found != walked) {
          ASSERT_EQ(found, nullptr);
          const uint32_t judge = mask == kMdlRowDisabled ? walked->disabled
                                 : mask == kMdlRowRestricted ? walked->restricted : walked->locked;
          EXPECT_EQ(judge, 0u) << "value " << v;
        }
      }
    }
  // Another image, or a rule the index does not cover, is left to the walk.
  const ItemRuleRow* row = nullptr;
  EXPECT_EQ(MdlRuleIndexFind(index, nullptr, q.rules[0], 1, kMdlRowAnyJudge, &row), 0);
  EXPECT_EQ(MdlRuleIndexFind(index, image, MdlImageAt<ExclusiveRule>(image, 4), 1, kMdlRowAnyJudge, &row), 0);
  MdlFreeRuleIndex(index);
}

// The judge a context reads through its index is the judge of the walk's row (0 for none), for
// each judge kind; a context whose index belongs to another image is left to the walk.
void ExpectContextJudgesMatchWalk(DriverContext* ctx, ModelImage* image) {
  MdlRuleIndex* index = MdlBuildRuleIndex(image);
  ASSERT_NE(index, nullptr);
  ModelImage* saved = ctx->modelImage;
  ctx->modelImage = image;
  ctx->workArea->ruleIndex = index;
  const RuleQueries q = QueriesOf(image);
  for (const ExclusiveRule* rule : q.rules)
    for (uint16_t v : q.valueIds) {
      const ItemRuleRow* walked = MdlFindValueRow(image, rule, v);
      for (uint32_t mask : {kMdlRowDisabled, kMdlRowRestricted, kMdlRowLocked}) {
        const uint32_t expected = !walked                     ? 0u
                                  : mask == kMdlRowDisabled   ? walked->disabled
                                  : mask == kMdlRowRestricted ? walked->restricted
                                                              : walked->locked;
        uint32_t judge = 0xDEAD;
        ASSERT_EQ(MdlRuleIndexJudge(ctx, rule, v, mask, &judge), 1);
        ASSERT_EQ(judge, expected) << "value " << v << " mask " << mask;
      }
    }
  uint32_t judge = 0xDEAD;
  EXPECT_EQ(MdlRuleIndexJudge(ctx, MdlImageAt<ExclusiveRule>(image, 4), 1, kMdlRowDisabled, &judge), 0);
  ctx->modelImage = nullptr;
  EXPECT_EQ(MdlRuleIndexJudge(ctx, q.rules[0], 1, kMdlRowDisabled, &judge), 0);
  EXPECT_EQ(judge, 0u);
  ctx->modelImage = saved;
  ctx->workArea->ruleIndex = nullptr;
  MdlFreeRuleIndex(index);
}

}  // namespace

TEST_F(SampleModelTest, RuleIndexFindsTheRowsTheWalkFinds) {
  ExpectIndexMatchesWalk(ctx->modelImage);
  ExpectContextJudgesMatchWalk(ctx, ctx->modelImage);
  // A copy whose rows repeat value IDs (the first row holds) and spread them far apart (a
  // rule's rows kept as sorted pairs instead of a run by value ID).
  std::vector<uint8_t> bytes(MdlImageBytes(ctx->modelImage), MdlImageBytes(ctx->modelImage) + ctx->modelImage->header.totalSize);
  auto* copy = reinterpret_cast<ModelImage*>(bytes.data());
  uint32_t n = 0;
  for (const ExclusiveRule* r : QueriesOf(copy).rules)
    for (auto* row = const_cast<ItemRuleRow*>(MdlImageRef<ItemRuleRow>(copy, r->itemRules)); row;
         row = const_cast<ItemRuleRow*>(MdlImageRef<ItemRuleRow>(copy, row->next)), ++n)
      row->valueId = n % 3 == 0 ? 7 : n % 3 == 1 ? 1000 * (n % 60) : 0x12345;
  ASSERT_GT(n, 10u);
  ExpectIndexMatchesWalk(copy);
  ExpectContextJudgesMatchWalk(ctx, copy);
}

TEST_F(SampleModelTest, RuleTestsAnswerTheSameThroughTheIndex) {
  MdlRuleIndex* index = MdlBuildRuleIndex(ctx->modelImage);
  ASSERT_NE(index, nullptr);
  const ModelImage* image = ctx->modelImage;
  for (const ModelItem* item = MdlImageAt<ModelItem>(image, image->header.firstItem); item;
       item = MdlImageAt<ModelItem>(image, item->next)) {
    if (!ModelIsListKind(item->typeWord)) continue;
    for (const ModelValue* v = MdlImageAt<ModelValue>(image, item->values); v; v = MdlNextItemValue(image, item, v)) {
      ctx->workArea->ruleIndex = nullptr;
      const int walked[3] = {MdlIsDisabled(item, v->valueId, ctx), MdlIsRestricted(item, v->valueId, ctx),
                             MdlIsLocked(item, v->valueId, ctx)};
      ctx->workArea->ruleIndex = index;
      EXPECT_EQ(MdlIsDisabled(item, v->valueId, ctx), walked[0]);
      EXPECT_EQ(MdlIsRestricted(item, v->valueId, ctx), walked[1]);
      EXPECT_EQ(MdlIsLocked(item, v->valueId, ctx), walked[2]);
    }
  }
  ctx->workArea->ruleIndex = nullptr;
  MdlFreeRuleIndex(index);
}
