// Command strings, command groups, fonts, module names and the keyword dispatch.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mdl_test_support.h"

namespace {

using zolt::test::CompileText;
using zolt::test::ItemAt;
using zolt::test::TextAt;
using zolt::test::ValueAt;

class MdlCommands : public zolt::test::MdlSymbolsTest {};

// A command group as text: nodes "S<number>", "I<name index>/<variant>", "F", and conditional
// blocks "C<condition>[...]" with "else[...]".
std::string Dump(const CompileContext* ctx, uint32_t groupLink);

std::string DumpBranch(const CompileContext* ctx, uint32_t node) {
  std::string out;
  for (; node; node = MdlAt<CommandNode>(ctx, node)->next) {
    if (!out.empty()) out += " ";
    const auto* n = MdlAt<CommandNode>(ctx, node);
    switch (n->type) {
      case kNodeItemCommand: {
        const auto* i = MdlAt<ModelItemCommandNode>(ctx, node);
        out += "I" + std::to_string(i->nameIndex) + "/" + std::to_string(i->variant);
        EXPECT_EQ(MdlRecordSize(ctx, node), 12u);
        break;
      }
      case kNodeCommandString:
        out += "S" + std::to_string(MdlAt<ModelStringCommandNode>(ctx, node)->numberOrLength);
        EXPECT_EQ(MdlRecordSize(ctx, node), 16u);
        break;
      case kNodeBlock:
        out += Dump(ctx, MdlAt<ModelBlockCommandNode>(ctx, node)->group);
        EXPECT_EQ(MdlRecordSize(ctx, node), 12u);
        break;
      case kNodeFontList:
        out += "F";
        EXPECT_EQ(MdlRecordSize(ctx, node), 8u);
        break;
      default:
        out += "?";
    }
  }
  return out;
}

std::string Dump(const CompileContext* ctx, uint32_t groupLink) {
  const auto* g = MdlAt<ModelCommandGroup>(ctx, groupLink);
  if (!g) return "-";
  std::string out = "C" + std::to_string(g->condition) + "[" + DumpBranch(ctx, g->mainBranch) + "]";
  if (g->elseBranch) out += "else[" + DumpBranch(ctx, g->elseBranch) + "]";
  return out;
}

TEST_F(MdlCommands, CommandStrings) {
  auto ctx = CompileText(
      "*CommandString 1: \"<1B>%%-12345X@PJL<0A>\"\n"
      "*CommandString 2: \"NAME=%\"x%\" <00>end\"\n"
      "*CommandString -3: \"neg\"\n"
      "*CommandString a4b2=x: \"digits anywhere\"\n"
      "*CommandString 5: \"\"\n"      // empty: the statement fails
      "*CommandString 6: no quotes\n");
  ASSERT_TRUE(ctx);
  std::vector<std::tuple<int32_t, std::string>> got;
  for (uint32_t link = ctx->commandStrings.head; link;) {
    const auto* cs = MdlAt<MdlCommandString>(ctx.get(), link);
    got.emplace_back(cs->number, std::string(MdlAt<char>(ctx.get(), cs->text), cs->length - 1));
    EXPECT_EQ(MdlAt<char>(ctx.get(), cs->text)[cs->length - 1], 0);
    link = cs->next;
  }
  using T = std::tuple<int32_t, std::string>;
  EXPECT_EQ(got, (std::vector<T>{T{1, "\x1b%-12345X@PJL\n"}, T{2, std::string("NAME=\"x\" \0end", 13)},
                                   T{-3, "neg"}, T{42, "digits anywhere"}}));
  EXPECT_EQ(ctx->stats.failed, 2u);
}

TEST_F(MdlCommands, CommandGroups) {
  auto ctx = CompileText(
      "*Judge 3=DuplexOn: ZPD_Duplex == 1\n"
      "*CommandGroup: JobStart {\n"
      "  Type: StringType 1\n"
      "  Type: GroupType *ZPD_Copies\n"
      "  Type: GroupType ZPD_Paper -2\n"
      "  Type: GroupType ZPD_Paper\n"
      "  Type: GroupType *ZPD_Unknown 5 Type: StringType 9\n"   // rest of the line skipped
      "  Command: DuplexOn {\n    Type: StringType 2\n  } Else {\n    Type: StringType 3\n  }\n"
      "  Command: Judge4 { Type: FontType } ElseIf: Judge5 { Type: StringType 4 } Else { Type: StringType 5 }\n"
      // Not a Judge: an unconditional block; its "Else" is a word that ends the body.
      "  Command: Unconditional { Type: StringType 6 } Else { Type: StringType 7 }\n"
      "  Type: StringType 0\n"
      "  Type: FontType\n"
      "}\n"
      "*CommandGroup: PageStart { Type: GroupType ZPD_Paper\n 7 Type: StringType 1 }\n"  // 7 ends the body
      "*CommandGroup: PageEnd { Type: StringType 8 }\n"
      "*CommandGroup: PageEnd { Type: StringType 11 }\n"     // replaces the slot
      "*CommandGroup: DocReset { Command: Judge1 { } }\n"    // no node at all: nothing
      "*CommandGroup: Nowhere { Type: StringType 1 }\n"      // unknown group
      "*CommandGroup: JobEnd Type: StringType 1\n");          // no brace
  ASSERT_TRUE(ctx);
  EXPECT_EQ(Dump(ctx.get(), ctx->header.groups[kGroupSlotJobStart]),
            "C0[S1 I501/0 I406/-2 I406/0 C3[S2]else[S3] "
            "C65540[F]else[C65541[S4]else[S5]] C0[S6]]");
  EXPECT_EQ(Dump(ctx.get(), ctx->header.groups[kGroupSlotPageEnd]), "C0[S11]");
  EXPECT_EQ(ctx->header.groups[kGroupSlotDocReset], 0u);
  EXPECT_EQ(ctx->header.groups[kGroupSlotJobEnd], 0u);
  EXPECT_EQ(Dump(ctx.get(), ctx->header.groups[kGroupSlotPageStart]), "C0[I406/0]");
  EXPECT_EQ(ctx->stats.ignored, 2u);
}

TEST_F(MdlCommands, MalformedBodiesStopWithoutLosingTheNodesBefore) {
  auto ctx = CompileText(
      "*CommandGroup: JobStart { Type: StringType 1 Nonsense: x Type: StringType 2 }\n"
      "*CommandGroup: PageStart { Type: StringType 1 Command: Judge1 Type: StringType 2 }\n"
      "*CommandGroup: PageEnd { Type: StringType 1 Type StringType 2 }\n");
  ASSERT_TRUE(ctx);
  EXPECT_EQ(Dump(ctx.get(), ctx->header.groups[kGroupSlotJobStart]), "C0[S1]");
  // A block whose reference is not followed by a brace is dropped.
  EXPECT_EQ(Dump(ctx.get(), ctx->header.groups[kGroupSlotPageStart]), "C0[S1 S2]");
  EXPECT_EQ(Dump(ctx.get(), ctx->header.groups[kGroupSlotPageEnd]), "C0[S1]");
}

TEST_F(MdlCommands, DeeplyNestedBlocksAreCut) {
  std::string body;
  for (int i = 0; i < 5000; ++i) body += "Command: Judge1 { ";
  body += "Type: StringType 1 ";
  for (int i = 0; i < 5000; ++i) body += "} ";
  auto ctx = CompileText("*CommandGroup: JobStart { " + body + "}\n*CommandString 1: \"after\"\n");
  ASSERT_TRUE(ctx);
  EXPECT_EQ(ctx->header.groups[kGroupSlotJobStart], 0u);
  EXPECT_NE(ctx->commandStrings.head, 0u);
}

TEST_F(MdlCommands, DeviceFontsAndCartridges) {
  auto ctx = CompileText(
      "*DeviceFonts: IDList { {\"Courier\" 1} {\"Times %{Roman%}\" 22}\n {\"Bad\" x} {\"Never\" 4} }\n"
      "*FontCartridge: IDList{{\"Barcode\" -5}}\n"
      "*FontCartridge: List { {\"x\" 1} }\n");   // not an IDList: ignored
  ASSERT_TRUE(ctx);
  ASSERT_EQ(ctx->header.deviceFontCount, 2u);
  auto* fonts = MdlAt<uint32_t>(ctx.get(), ctx->header.deviceFonts);
  auto* f0 = MdlAt<DeviceFontList>(ctx.get(), fonts[0]);
  auto* f1 = MdlAt<DeviceFontList>(ctx.get(), fonts[1]);
  EXPECT_EQ(f0->fontId, 1);
  EXPECT_EQ(TextAt(ctx.get(), f0->name), "Courier");
  EXPECT_EQ(f1->fontId, 22);
  EXPECT_EQ(TextAt(ctx.get(), f1->name), "Times {Roman}");
  ASSERT_EQ(ctx->header.cartridgeFontCount, 1u);
  auto* c0 = MdlAt<DeviceFontList>(ctx.get(), MdlAt<uint32_t>(ctx.get(), ctx->header.cartridgeFonts)[0]);
  EXPECT_EQ(c0->fontId, -5);
  EXPECT_EQ(ctx->stats.ignored, 1u);
}

TEST_F(MdlCommands, TrueTypeSubstitutions) {
  auto ctx = CompileText(
      "*OpenUI *ZPD_Fonts: FontTbl\n"
      "*ZPD_Fonts FONT_TABLE: \"Table\"\n*ZPD_Fonts FONT_BITMAP: \"Bitmap\"\n"
      "*TTFS ANY FONT_TABLE: IDList { {\"Arial\" \"Helvetica\"} {\"Times New Roman\"\n \"Times\"} {\"Lonely\"} }\n"
      "*TTFS ANY PAPER_A4: IDList { {\"A\" \"B\"} }\n"     // not a value of the item
      "*CloseUI: *ZPD_Fonts\n");
  ASSERT_TRUE(ctx);
  auto* table = ValueAt<ModelFontValue>(ctx.get(), ItemAt(ctx.get(), 506), 30001);
  ASSERT_EQ(table->pairCount, 2);
  EXPECT_EQ(TextAt(ctx.get(), MdlAt<uint32_t>(ctx.get(), table->trueTypeNames)[1]), "Times New Roman");
  EXPECT_EQ(TextAt(ctx.get(), MdlAt<uint32_t>(ctx.get(), table->deviceNames)[1]), "Times");
  EXPECT_EQ(TextAt(ctx.get(), MdlAt<uint32_t>(ctx.get(), table->deviceNames)[0]), "Helvetica");
  EXPECT_EQ(ValueAt<ModelFontValue>(ctx.get(), ItemAt(ctx.get(), 506), 30002)->pairCount, 0);
  EXPECT_EQ(ctx->stats.ignored, 1u);
}

TEST_F(MdlCommands, FileVersionAndModuleNames) {
  auto ctx = CompileText(
      "*FileVersion: 12345678901234567890\n*FileVersion: 7.70\n"
      "*UIResDLLName: \"ZOLT7RES.DLL\"\n*ExcDepDLLName: \"ZOLT\xC9XC.DLL\"\n*ExcDepDLLName: \"\"\n");
  ASSERT_TRUE(ctx);
  EXPECT_EQ(std::u16string(ctx->header.fileVersion), u"7.70");
  for (int i = 4; i < 16; ++i) EXPECT_EQ(ctx->header.fileVersion[i], 0) << i;  // zero fill
  EXPECT_EQ(std::u16string(MdlAt<WCHAR>(ctx.get(), ctx->header.uiResDllName)), u"ZOLT7RES.DLL");
  EXPECT_EQ(ctx->header.excDepDllName, 0u);
}

TEST_F(MdlCommands, KeywordsAreCaseSensitiveAndBlocksCatchTheirOwnLines) {
  auto ctx = CompileText(
      "*fileversion: 1\n*FILEVERSION: 2\n*OpenUI *ZPD_Tray: PickOne\n"
      "*ZPD_Tray TRAY_1: \"one\"\n*DefaultZPD_Tray: TRAY_1\n*ZPD_Paper PAPER_A4: \"a4\"\n"
      "*CloseUI: *ZPD_Tray\n*FileVersion: 3\n");
  ASSERT_TRUE(ctx);
  EXPECT_EQ(ctx->stats.statements, 8u);
  EXPECT_EQ(ctx->stats.failed, 3u);
  EXPECT_EQ(std::u16string(ctx->header.fileVersion), u"3");
}

}  // namespace

namespace {

// Rule names are known from their own statement on, and only within one compile.
TEST_F(MdlCommands, JudgeNamesOfConditions) {
  auto first = CompileText(
      "*CommandGroup: JobStart { Command: Later { Type: StringType 1 } }\n"
      "*Judge 7=Later: ZPD_Duplex == 1\n"
      "*Judge 0=Zero: ZPD_Duplex == 1\n"
      "*CommandGroup: JobEnd { Command: Later { Type: StringType 1 } Command: Zero { Type: StringType 2 } }\n");
  ASSERT_TRUE(first);
  EXPECT_EQ(Dump(first.get(), first->header.groups[kGroupSlotJobStart]), "C0[C0[S1]]");
  EXPECT_EQ(Dump(first.get(), first->header.groups[kGroupSlotJobEnd]), "C0[C7[S1] C0[S2]]");
  EXPECT_EQ(first->stats.failed, 1u);  // a Judge numbered 0
  auto second = CompileText("*CommandGroup: JobStart { Command: Later { Type: StringType 1 } }\n");
  ASSERT_TRUE(second);
  EXPECT_EQ(Dump(second.get(), second->header.groups[kGroupSlotJobStart]), "C0[C0[S1]]");
}

TEST(MdlReferences, PrefixesAndNames) {
  struct Case {
    const char* word;
    uint32_t tag;
    int32_t number;
  } cases[] = {
      {"Judge12", kRefJudge, 12},      {"Item3", kRefItem, 3},
      {"Action-4", kRefAction, -4},    {"Transact1x2", kRefTransact, 12},
      {"AlertAction5", kRefAlertAction, 5}, {"Alert6", kRefAlert, 6},
      {"NULL", 0, 0},                  {"JudgeName", kRefJudge, 0},
      {"Plain", kRefName, 0},
  };
  for (const Case& c : cases) {
    uint32_t tag = 1;
    int32_t number = 1;
    MdlParseReference(c.word, &tag, &number);
    EXPECT_EQ(tag, c.tag) << c.word;
    EXPECT_EQ(number, c.number) << c.word;
  }
  MdlClearRuleNames();
  ASSERT_EQ(MdlAddRuleName("Twice", 4, kRuleAlert), 1);
  ASSERT_EQ(MdlAddRuleName("Twice", 9, kRuleAlert), 1);
  EXPECT_EQ(MdlResolveReference("Twice", kRefAlert), 4u);  // the first definition wins
  EXPECT_EQ(MdlResolveReference("Twice", kRefJudge), 0u);
  EXPECT_EQ(MdlResolveReference("Alert3", kRefAlert), kRefAlert | 3);
  EXPECT_EQ(MdlResolveReference("Judge3", kRefAlert), 0u);
  EXPECT_EQ(MdlParseRuleNumber("12=Name"), 12);
  EXPECT_EQ(MdlParseRuleNumber("-1 2"), -1);
  EXPECT_STREQ(MdlNameAfterEquals("12=Name=x"), "Name=x");
  EXPECT_EQ(MdlNameAfterEquals("12"), nullptr);
  MdlFreeRuleNames();
}

}  // namespace
