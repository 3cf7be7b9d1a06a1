// Items and their values: the records each statement makes.
#include <gtest/gtest.h>

#include <string>

#include "mdl_test_support.h"

namespace {

using zolt::test::CompileText;
using zolt::test::ItemAt;
using zolt::test::TextAt;
using zolt::test::ValueAt;
using zolt::test::ValueIds;

class MdlItems : public zolt::test::MdlSymbolsTest {};

TEST_F(MdlItems, OpenUiMakesTheItemAndItsSlot) {
  auto ctx = CompileText(
      "*OpenUI *ZPD_Paper: PickPage\n*CloseUI: *ZPD_Paper\n"
      "*OpenUI *ZPD_Memory: Numeric\n*CloseUI: *ZPD_Memory\n"
      "*OpenUI *ZPD_Mid: String\n*CloseUI: *ZPD_Mid\n"
      "*OpenUI *ZPD_NoSlot: Boolean\n*CloseUI: *ZPD_NoSlot\n");
  ASSERT_TRUE(ctx);
  ModelItem* paper = ItemAt(ctx.get(), 406);
  ASSERT_NE(paper, nullptr);
  EXPECT_EQ(paper->nameIndex, 406);
  EXPECT_EQ(paper->settingId, 8);
  EXPECT_EQ(paper->typeWord, kItemPickPage);
  EXPECT_EQ(paper->variant, 0);
  EXPECT_EQ(ctx->header.itemsLow[8 - 1], MdlFindItemByName(ctx.get(), 406));
  EXPECT_EQ(ctx->header.itemsHigh[10012 - 10001], MdlFindItemByName(ctx.get(), 503));
  EXPECT_EQ(ctx->header.itemsMid[1500 - 720], MdlFindItemByName(ctx.get(), 504));
  // The list keeps the statement order.
  std::vector<uint16_t> order;
  for (uint32_t link = ctx->header.firstItem; link;) {
    const ModelItem* item = MdlAt<ModelItem>(ctx.get(), link);
    order.push_back(item->nameIndex);
    link = item->next;
  }
  EXPECT_EQ(order, (std::vector<uint16_t>{406, 503, 504, 505}));
  EXPECT_EQ(ctx->stats.failed, 0u);
  EXPECT_EQ(ctx->stats.ignored, 0u);
}

TEST_F(MdlItems, TypeWords) {
  struct Case {
    const char* value;
    uint16_t type;
  } cases[] = {
      {"PickOne", 1},          {"PickMany", 2},           {"Boolean", 4},
      {"Numeric", 8},          {"String", 16},            {"PickPage", 0x101},
      {"PickSlot", 0x201},     {"FontTbl", 0x401},        {"TypeUnknown", 0x2000},
      {"Unheard", 1},          {"PickOne|TypeUnknown", 0x2001}, {"Boolean xx |  TypeUnknown", 0x2004},
      {"PickMany|Numeric", 10}, {"pickone", 1},
  };
  for (const Case& c : cases) {
    auto ctx = CompileText(std::string("*OpenUI *ZPD_Paper: ") + c.value + "\n");
    ASSERT_TRUE(ctx);
    ModelItem* item = ItemAt(ctx.get(), 406);
    ASSERT_NE(item, nullptr) << c.value;
    EXPECT_EQ(item->typeWord, c.type) << c.value;
  }
}

TEST_F(MdlItems, OpenUiFailures) {
  zolt::test::SkipLog log;
  auto ctx = CompileText(
      "*OpenUI ZPD_Paper: PickOne\n"          // no "*"
      "*OpenUI *ZPD_Unknown: PickOne\n"       // not a symbol
      "*OpenUI *ZPD_Paper: Identity *ZPD_Nope\n"  // identity without a known source
      "*OpenUI *ZPD_Tray: PickSlot\n"
      "*OpenUI *ZPD_Media: PickOne\n"         // block already open
      "*ZPD_Tray TRAY_1: \"one\"\n"
      "*CloseUI: *ZPD_Tray\n"
      "*ZPD_Tray TRAY_2: \"two\"\n",          // outside the block: no keyword of the table
      &log);
  ASSERT_TRUE(ctx);
  EXPECT_EQ(ctx->stats.failed, 5u) << ::testing::PrintToString(log.entries);
  EXPECT_EQ(ItemAt(ctx.get(), 406), nullptr);
  EXPECT_EQ(ItemAt(ctx.get(), 397), nullptr);
  EXPECT_EQ(ValueIds(ctx.get(), ItemAt(ctx.get(), 399)), (std::vector<uint16_t>{20001}));
}

TEST_F(MdlItems, OptionLinesDefaultsAndCloseUi) {
  auto ctx = CompileText(
      "*OpenUI *ZPD_Paper: PickPage\n"
      "*DefaultZPD_Paper: PAPER_LETTER trailing words\n"
      "*ZPD_Paper PAPER_A4: \"A4 %(210 x 297%)\"\n"
      "*ZPD_Paper PAPER_A3: \"\"\n"
      "*ZPD_Paper PAPER_A4: \"again\"\n"        // same value ID: dropped
      "*ZPD_Paper UNKNOWN_VALUE: \"x\"\n"       // not a value name: ignored
      "*ZPD_Paper PAPER_LETTER: \"Letter\"\n"
      "*CloseUI: *ZPD_Paper\n"
      "*OpenUI *ZPD_Tray: PickSlot\n"
      "*DefaultZPD_Tray: TRAY_2\n"              // not in the list: position 0
      "*ZPD_Tray TRAY_1:\n"
      "*CloseUI: *ZPD_Tray\n");
  ASSERT_TRUE(ctx);
  ModelItem* paper = ItemAt(ctx.get(), 406);
  ASSERT_NE(paper, nullptr);
  EXPECT_EQ(ValueIds(ctx.get(), paper), (std::vector<uint16_t>{10001, 10002, 10003}));
  EXPECT_EQ(paper->defaultValue, 2);
  auto* a4 = ValueAt<ModelPageValue>(ctx.get(), paper, 10001);
  EXPECT_EQ(TextAt(ctx.get(), a4->head.text), "A4 (210 x 297)");
  EXPECT_EQ(ValueAt<ModelPageValue>(ctx.get(), paper, 10002)->head.text, 0u);
  EXPECT_EQ(MdlRecordSize(ctx.get(), MdlFindValue(ctx.get(), 10001, paper->values)), 24u);
  ModelItem* tray = ItemAt(ctx.get(), 399);
  EXPECT_EQ(tray->defaultValue, 0);
  EXPECT_EQ(MdlRecordSize(ctx.get(), tray->values), 20u);
  EXPECT_EQ(ctx->stats.ignored, 2u);
  EXPECT_EQ(ctx->openName, nullptr);
  EXPECT_EQ(ctx->keywordHint, 0u);
}

TEST_F(MdlItems, IdList) {
  zolt::test::SkipLog log;
  auto ctx = CompileText(
      "*OpenUI *ZPD_Media: PickMany\n"
      "*ZPD_Media: IDList { PAPER_A4 {PAPER_A3 \"A3 text\"}\n  *PAPER_LETTER }\n"
      "*CloseUI: *ZPD_Media\n"
      "*OpenUI *ZPD_Tray: PickOne\n"
      "*ZPD_Tray: IDList { TRAY_1 NOT_A_VALUE TRAY_2 }\n"     // stops at the unknown name
      "*ZPD_Tray: IDList { {TRAY_2 \"two\" extra} TRAY_2 }\n"  // group not closed after its text
      "*ZPD_Tray: List { TRAY_2 }\n"                           // not an IDList
      "*CloseUI: *ZPD_Tray\n",
      &log);
  ASSERT_TRUE(ctx);
  ModelItem* media = ItemAt(ctx.get(), 397);
  EXPECT_EQ(ValueIds(ctx.get(), media), (std::vector<uint16_t>{10001, 10002, 10003}));
  EXPECT_EQ(ValueAt<ModelValue>(ctx.get(), media, 10001)->text, 0u);
  EXPECT_EQ(TextAt(ctx.get(), ValueAt<ModelValue>(ctx.get(), media, 10002)->text), "A3 text");
  EXPECT_EQ(ValueIds(ctx.get(), ItemAt(ctx.get(), 399)), (std::vector<uint16_t>{20001}));
  EXPECT_EQ(ctx->stats.ignored, 3u) << ::testing::PrintToString(log.entries);
}

TEST_F(MdlItems, BooleanItems) {
  auto ctx = CompileText(
      "*OpenUI *ZPD_Duplex: Boolean\n"
      "*DefaultZPD_Duplex: True\n"
      "*ZPD_Duplex True: \"On\"\n"
      "*ZPD_Duplex False: \"Off\"\n"
      "*ZPD_Duplex Other: \"Replaced\"\n"   // any other word is the text for False
      "*CloseUI: *ZPD_Duplex\n"
      "*OpenUI *ZPD_Cond: Boolean\n"
      "*DefaultZPD_Cond: Yes\n"
      "*CloseUI: *ZPD_Cond\n");
  ASSERT_TRUE(ctx);
  ModelItem* duplex = ItemAt(ctx.get(), 500);
  ASSERT_EQ(MdlRecordSize(ctx.get(), duplex->values), 12u);
  auto* b = MdlAt<ModelBooleanValue>(ctx.get(), duplex->values);
  EXPECT_EQ(b->defaultValue, 1);
  EXPECT_EQ(TextAt(ctx.get(), b->trueText), "On");
  EXPECT_EQ(TextAt(ctx.get(), b->falseText), "Replaced");
  auto* c = MdlAt<ModelBooleanValue>(ctx.get(), ItemAt(ctx.get(), 508)->values);
  EXPECT_EQ(c->defaultValue, 0);
}

TEST_F(MdlItems, NumericValue) {
  struct Case {
    const char* value;
    ModelNumericValue expect;
  } cases[] = {
      {"12 \"3 1 1 999 1 10 7 8\"", {12, 3, 1, 10, 7, 8, 1, 1, 999}},
      {"\"3 50 -20 400\"", {0, 3, 0, 0, 0, 0, 50, -20, 400}},
      {"\"3 50 25 400 \"", {0, 3, 0, 0, 0, 0, 50, 25, 400}},
      {"  \"5\"", {0, 5, 0, 0, 0, 0, 0, 0, 0}},
      {"9", {9, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"7\"1 2\"", {7, 1, 0, 0, 0, 0, 2, 0, 0}},
  };
  for (const Case& c : cases) {
    auto ctx = CompileText(std::string("*OpenUI *ZPD_Copies: Numeric\n*NumericValue: \"1 1 1 1 1 1 1 1\"\n*NumericValue: ") +
                           c.value + "\n*CloseUI: *ZPD_Copies\n");
    ASSERT_TRUE(ctx);
    ModelItem* item = ItemAt(ctx.get(), 501);
    ASSERT_EQ(MdlRecordSize(ctx.get(), item->values), 24u);
    EXPECT_EQ(std::memcmp(MdlAt<ModelNumericValue>(ctx.get(), item->values), &c.expect, 24), 0) << c.value;
  }
}

TEST_F(MdlItems, StringValue) {
  struct Case {
    const char* value;
    uint16_t length, charAttr, displayAttr;
  } cases[] = {
      {"8 Numeric |Password", 8, 4, 0x100},
      {"8 Numeric|Password", 8, 4, 0},  // the bar ends the attribute word and is not found again
      {"32 ASCII", 32, 2, 0},
      {"16 Odd | ShowCapital", 16, 1, 0x200},
      {"16 Small | Nothing", 16, 16, 0},
  };
  for (const Case& c : cases) {
    auto ctx = CompileText(std::string("*OpenUI *ZPD_UserCode: String\n*DefaultZPD_UserCode: USER_DEFAULT\n*StringValue: ") +
                           c.value + "\n*CloseUI: *ZPD_UserCode\n");
    ASSERT_TRUE(ctx);
    auto* s = MdlAt<ModelStringValue>(ctx.get(), ItemAt(ctx.get(), 502)->values);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->defaultValueId, 40001) << c.value;
    EXPECT_EQ(s->maxChars, c.length) << c.value;
    EXPECT_EQ(s->charAttr, c.charAttr) << c.value;
    EXPECT_EQ(s->displayAttr, c.displayAttr) << c.value;
  }
}

TEST_F(MdlItems, StatementsNeverWritePastTheRecordTheItemHas) {
  // A pick item's first value is a 12-byte record: the Numeric, String and Boolean shapes are
  // refused instead of being written over it.
  auto ctx = CompileText(
      "*OpenUI *ZPD_Media: PickOne\n"
      "*ZPD_Media MEDIA_PLAIN: \"Plain\"\n"
      "*NumericValue: \"1 2 3 4 5 6 7 8\"\n"
      "*StringValue: 99 ASCII |Password\n"
      "*CloseUI: *ZPD_Media\n"
      "*OpenUI *ZPD_Duplex: Boolean\n"
      "*ZPD_Duplex True: \"On\"\n"
      "*NumericValue: \"1 2 3 4 5 6 7 8\"\n"
      "*ZPD_Duplex: IDList { PAPER_A4 }\n"
      "*CloseUI: *ZPD_Duplex\n"
      "*OpenUI *ZPD_Copies: Numeric\n"
      "*NumericValue: \"1 2 3 4\"\n"
      "*DefaultZPD_Copies: True\n"
      "*ZPD_Copies True: \"x\"\n"
      "*CloseUI: *ZPD_Copies\n");
  ASSERT_TRUE(ctx);
  auto* plain = MdlAt<ModelValue>(ctx.get(), ItemAt(ctx.get(), 397)->values);
  EXPECT_EQ(plain->valueId, 7);
  EXPECT_EQ(plain->next, 0u);
  EXPECT_EQ(TextAt(ctx.get(), plain->text), "Plain");
  auto* on = MdlAt<ModelBooleanValue>(ctx.get(), ItemAt(ctx.get(), 500)->values);
  EXPECT_EQ(TextAt(ctx.get(), on->trueText), "On");
  auto* n = MdlAt<ModelNumericValue>(ctx.get(), ItemAt(ctx.get(), 501)->values);
  EXPECT_EQ(n->maximum, 4);
  EXPECT_EQ(ctx->stats.ignored, 6u);
}

TEST_F(MdlItems, VariantsAndIdentity) {
  auto ctx = CompileText(
      "*OpenUI *ZPD_Tray 2: PickOne\n"   // no base yet: a plain item
      "*CloseUI: *ZPD_Tray\n"
      "*OpenUI *ZPD_Paper: PickPage\n"
      "*DefaultZPD_Paper: PAPER_A3\n"
      "*ZPD_Paper PAPER_A4: \"A4\"\n*ZPD_Paper PAPER_A3: \"A3\"\n"
      "*OptionCommand: { \"SIZE=\" \"\n\" }\n"
      "*CloseUI: *ZPD_Paper\n"
      "*OpenUI *ZPD_Paper -3: Numeric\n"  // a variant copies its base; the value is not read
      "*OptionCommand: { \"VARIANT\" }\n"
      "*CloseUI: *ZPD_Paper\n"
      "*OpenUI *ZPD_Paper2: Identity  *ZPD_Paper\n"
      "*CloseUI: *ZPD_Paper2\n");
  ASSERT_TRUE(ctx);
  ModelItem* plainTray = ItemAt(ctx.get(), 399);
  ASSERT_NE(plainTray, nullptr);
  EXPECT_EQ(plainTray->typeWord, kItemPickOne);
  ModelItem* base = ItemAt(ctx.get(), 406);
  ModelItem* variant = ItemAt(ctx.get(), 406, static_cast<uint16_t>(-3));
  ASSERT_NE(variant, nullptr);
  EXPECT_EQ(base->defaultValue, 1);
  EXPECT_EQ(variant->typeWord, kItemPickPage);
  EXPECT_EQ(variant->values, base->values);
  EXPECT_EQ(variant->defaultValue, 1);  // the base's position stays
  EXPECT_EQ(variant->settingId, 8);
  EXPECT_NE(variant->optionCommand, base->optionCommand);
  EXPECT_EQ(TextAt(ctx.get(), MdlAt<ModelOptionCommand>(ctx.get(), base->optionCommand)->text1), "SIZE=");
  EXPECT_EQ(MdlAt<ModelOptionCommand>(ctx.get(), base->optionCommand)->text2, 0u);  // line ends dropped
  EXPECT_EQ(TextAt(ctx.get(), MdlAt<ModelOptionCommand>(ctx.get(), variant->optionCommand)->text1), "VARIANT");
  EXPECT_EQ(MdlAt<ModelOptionCommand>(ctx.get(), variant->optionCommand)->text2, 0u);
  // The direct slot keeps the plain item.
  EXPECT_EQ(ctx->header.itemsLow[8 - 1], MdlFindItemByName(ctx.get(), 406));
  ModelItem* identity = ItemAt(ctx.get(), 507, 406);
  ASSERT_NE(identity, nullptr);
  EXPECT_EQ(identity->typeWord, kItemIdentity | kItemPickPage);
  EXPECT_EQ(identity->values, base->values);
  EXPECT_EQ(identity->defaultValue, 1);
  EXPECT_EQ(identity->settingId, 8);
}

TEST_F(MdlItems, PageGeometryAndPaperSizes) {
  zolt::test::SkipLog log;
  auto ctx = CompileText(
      "*OpenUI *ZPD_Paper: PickPage\n"
      "*ZPD_Paper PAPER_A4: \"A4\"\n"
      "*PageMMValue ANY PAPER_A4: \"2100 2970\"\n"
      "*PageValue ANY PAPER_A4: RES_600 PORTRAIT \"200 210 9521 13631 9921 14031\"\n"
      "*PageValue ANY PAPER_A4: 1200 LANDSCAPE ZPD_Duplex True \"1 2 3 4\"\n"
      "*PageValue ANY PAPER_A4: RES_600 PORTRAIT ZPD_Tray TRAY_2 \"5 6\"\n"
      "*PageValue ANY PAPER_A4: 0 PORTRAIT \"1 2 3 4\"\n"          // resolution 0
      "*PageValue ANY PAPER_A4: RES_600 SIDEWAYS \"1 2 3 4\"\n"    // unknown orientation
      "*PageValue ANY PAPER_A4: RES_600 PORTRAIT ZPD_None 1 \"1\"\n"  // unknown condition
      "*PageValue ANY PAPER_A3: RES_600 PORTRAIT \"1 2 3 4\"\n"    // not a value of the item
      "*PageMMValue ANY PAPER_A4: \"2159\"\n"
      "*CloseUI: *ZPD_Paper\n",
      &log);
  ASSERT_TRUE(ctx);
  auto* a4 = ValueAt<ModelPageValue>(ctx.get(), ItemAt(ctx.get(), 406), 10001);
  EXPECT_EQ(a4->paperWidth, 2159);
  EXPECT_EQ(a4->paperLength, 2970);
  std::vector<PageGeometry> g;
  for (uint32_t link = a4->geometry; link;) {
    g.push_back(*MdlAt<PageGeometry>(ctx.get(), link));
    link = g.back().next;
  }
  ASSERT_EQ(g.size(), 3u);
  EXPECT_EQ(g[0].resolution, 600);
  EXPECT_EQ(g[0].orientation, 1);
  EXPECT_EQ(g[0].conditionName, 0);
  EXPECT_EQ(g[0].left, 200);
  EXPECT_EQ(g[0].top, 210);
  EXPECT_EQ(g[0].width, 9521);
  EXPECT_EQ(g[0].height, 13631);
  EXPECT_EQ(g[0].paperWidth, 9921);
  EXPECT_EQ(g[0].paperLength, 14031);
  EXPECT_EQ(g[1].resolution, 1200);
  EXPECT_EQ(g[1].orientation, 2);
  EXPECT_EQ(g[1].conditionName, 500);
  EXPECT_EQ(g[1].conditionValue, 1);
  EXPECT_EQ(g[1].height, 4);
  EXPECT_EQ(g[1].paperWidth, 0);
  EXPECT_EQ(g[2].conditionName, 399);
  EXPECT_EQ(g[2].conditionValue, 20002);
  EXPECT_EQ(g[2].top, 6);
  EXPECT_EQ(g[2].width, 0);
  EXPECT_EQ(ctx->stats.ignored, 4u) << ::testing::PrintToString(log.entries);
}

TEST_F(MdlItems, SlotPaper) {
  auto ctx = CompileText(
      "*OpenUI *ZPD_Tray: PickSlot\n"
      "*ZPD_Tray TRAY_1: \"Tray 1\"\n*ZPD_Tray TRAY_2: \"Tray 2\"\n"
      "*SlotPaper ANY TRAY_1: { PAPER_A4 PAPER_A3 }\n"
      "*SlotPaper ANY TRAY_1: { PAPER_LETTER\n *PAPER_A4 }\n"   // replaces the earlier list
      "*SlotPaper ANY TRAY_2: { PAPER_A4 NOT_A_PAPER }\n"       // stores nothing
      "*CloseUI: *ZPD_Tray\n");
  ASSERT_TRUE(ctx);
  ModelItem* tray = ItemAt(ctx.get(), 399);
  auto* t1 = ValueAt<ModelSlotValue>(ctx.get(), tray, 20001);
  ASSERT_EQ(t1->paperCount, 2);
  EXPECT_EQ(MdlAt<uint16_t>(ctx.get(), t1->papers)[0], 10003);
  EXPECT_EQ(MdlAt<uint16_t>(ctx.get(), t1->papers)[1], 10001);
  auto* t2 = ValueAt<ModelSlotValue>(ctx.get(), tray, 20002);
  EXPECT_EQ(t2->paperCount, 0);
  EXPECT_EQ(t2->papers, 0u);
}

TEST_F(MdlItems, ValueStatementsOutsideABlockAreNotKeywords) {
  auto ctx = CompileText(
      "*NumericValue: \"1 2 3 4\"\n*StringValue: 8 ASCII\n*OptionCommand: { \"x\" }\n"
      "*PageMMValue ANY PAPER_A4: \"1 2\"\n*SlotPaper ANY TRAY_1: { PAPER_A4 }\n*CloseUI:\n");
  ASSERT_TRUE(ctx);
  EXPECT_EQ(ctx->stats.failed, 0u);
  EXPECT_EQ(ctx->stats.ignored, 5u);
  EXPECT_EQ(ctx->header.firstItem, 0u);
}

// With the full symbol tables of the option model, the model's own names resolve.
TEST(MdlItemsSharedTables, OpenUiWithSharedSymbols) {
  if (!OptFindSymbolByName("ZPD_zdmCallSrc")) GTEST_SKIP() << "symbol tables not transcribed yet";
  const ValueNameEntry* property = OptFindValueSymbolByName("ZDMCALLSRC_PROPERTY");
  if (!property || property->value == kValueNameUnfixed) GTEST_SKIP() << "value names carry no value IDs yet";
  auto ctx = CompileText(
      "*OpenUI *ZPD_zdmCallSrc: PickOne\n"
      "*DefaultZPD_zdmCallSrc: ZDMCALLSRC_PROPERTY\n"
      "*ZPD_zdmCallSrc ZDMCALLSRC_APPL: \"Application\"\n"
      "*ZPD_zdmCallSrc ZDMCALLSRC_PROPERTY: \"Property\"\n"
      "*CloseUI: *ZPD_zdmCallSrc\n");
  ASSERT_TRUE(ctx);
  ModelItem* item = MdlAt<ModelItem>(ctx.get(), ctx->header.itemsMid[729 - 720]);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->settingId, 729);
  EXPECT_EQ(ValueIds(ctx.get(), item).size(), 2u);
  EXPECT_EQ(item->defaultValue, 1);
}

}  // namespace
