// Conditions and rules: rule tokens, expressions into postfix cells, the check of the cells, and
// the rows of every rule statement.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "mdl_test_support.h"

namespace {

using zolt::test::CompileText;
using zolt::test::ContextPtr;

class MdlRules : public zolt::test::MdlSymbolsTest {};

// ---------------------------------------------------------------------------------------------
// Tokens.

std::string Tokens(std::string text) {
  TextBuffer b{};
  b.text = text.data();
  b.size = static_cast<uint32_t>(text.size());
  std::string out;
  char token[kMdlRuleTokenSize];
  for (int guard = 0; guard < 64; ++guard) {
    bool atEnd = MdlSkipSpace(&b) == 0 && b.length >= b.size;
    int kind = MdlScanRuleToken(&b, token);
    if (!out.empty()) out += " ";
    out += std::to_string(kind) + ":" + token;
    if (atEnd || kind == kRuleTokenTooLong) break;
  }
  return out;
}

TEST(MdlRuleTokens, KindsOfTokens) {
  struct Case {
    const char* text;
    const char* tokens;
  } cases[] = {
      {"ZPD_Paper==PAPER_A4", "1:ZPD_Paper 3:== 1:PAPER_A4 0:"},
      {"  12 12ab ab12 007", "2:12 1:12ab 1:ab12 2:007 0:"},
      {"(a)\n{b}", "4:( 1:a 4:) 4:{ 1:b 4:} 0:"},
      {"a&&!b||c<=d>e!=f", "1:a 3:&&! 1:b 3:|| 1:c 3:<= 1:d 3:> 1:e 3:!= 1:f 0:"},
      {"a,b-c", "1:a 0:, 1:b 0:- 1:c 0:"},
      {"@x [y] \\z ^_`", "1:@x 1:[y] 1:\\z 1:^_` 0:"},
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.text), c.tokens) << c.text;
  // A token longer than the buffer is refused, not cut.
  EXPECT_EQ(Tokens(std::string(127, 'a')), "1:" + std::string(127, 'a') + " 0:");
  EXPECT_EQ(Tokens(std::string(128, 'a') + " b"), "-1:");
  EXPECT_EQ(Tokens(std::string(300, '=')), "-1:");
}

TEST(MdlRuleTokens, Tables) {
  EXPECT_EQ(MdlLookupOperator("=="), kOpEqual);
  EXPECT_EQ(MdlLookupOperator("<"), kOpLess);
  EXPECT_EQ(MdlLookupOperator("="), 0);
  EXPECT_EQ(MdlLookupOperator("&&!"), 0);
  EXPECT_EQ(MdlLookupIcon("MB_ICONSTOP"), 0x10);
  EXPECT_EQ(MdlLookupIcon("MB_ICONHAND"), 0xFFFF);
  EXPECT_EQ(MdlLookupButtons("MB_OK"), 0);
  EXPECT_EQ(MdlLookupButtons("MB_RETRYCANCEL"), 5);
  EXPECT_EQ(MdlLookupTiming("AlertDialog"), 3);
  EXPECT_EQ(MdlLookupTiming("alertdialog"), 0xFFFF);
  EXPECT_EQ(MdlIsNumberToken(""), 1);
  EXPECT_EQ(MdlIsNumberToken("0123"), 1);
  EXPECT_EQ(MdlIsNumberToken("12a"), 0);
  EXPECT_EQ(MdlIsAlphanumeric("User01"), 1);
  EXPECT_EQ(MdlIsAlphanumeric("user_01"), 0);
  EXPECT_EQ(MdlIsAlphanumeric(""), 1);
}

// ---------------------------------------------------------------------------------------------
// Expressions.

// Cells as text: "S<option>" push setting, "#<n>" push constant, operator symbols, "END".
std::string Cells(const RuleCell* cells, size_t count) {
  static const char* const kOps[] = {"?", "==", "!=", "&&", "||", "!", ">", "<", ">=", "<=", "END"};
  std::string out;
  for (size_t i = 0; i < count; ++i) {
    if (!out.empty()) out += " ";
    const RuleCell& c = cells[i];
    if (c.op == kCellSetting)
      out += "S" + std::to_string(c.value);
    else if (c.op == kCellConstant)
      out += "#" + std::to_string(c.value);
    else if (c.op == kCellOperator && c.value <= kOpEnd)
      out += kOps[c.value];
    else
      out += "op" + std::to_string(c.op);
  }
  return out;
}

// One compile run by hand: statements of a source and statements made here share the context
// and the rule names.
class RuleRun {
 public:
  RuleRun() : ctx_(MdlNewCompileContext()), st_(MdlNewStatement(), MdlFreeStatement) { MdlClearRuleNames(); }
  ~RuleRun() { MdlFreeRuleNames(); }
  CompileContext* ctx() { return ctx_.get(); }

  void Source(const std::string& text) {
    std::unique_ptr<ModelSource, void (*)(ModelSource*)> src(MdlOpenSourceBytes(text.data(), text.size()), MdlCloseSource);
    int result;
    while (src && (result = MdlReadStatement(st_.get(), src.get())) != kReadEnd)
      if (result == kReadStatement) MdlDispatchStatement(ctx_.get(), st_.get());
  }
  // 1 when the statement was handled.
  int Statement(const char* keyword, const char* option1, const std::string& value) {
    EXPECT_TRUE(MdlSetText(&st_->keyword, keyword) && MdlSetText(&st_->option1, option1) &&
                MdlSetText(&st_->option2, "") && MdlSetText(&st_->value, value));
    return MdlDispatchStatement(ctx_.get(), st_.get()) == 0 ? 1 : 0;
  }
  // The expression's cells as text, or "fail".
  std::string Expression(const std::string& text, int* check) {
    EXPECT_TRUE(MdlSetText(&st_->value, text));
    std::vector<RuleCell> cells;
    int ok = MdlCompileExpression(ctx_.get(), &st_->value, &cells);
    if (check) *check = ok ? MdlCheckExpression(cells.data(), cells.size()) : 0;
    return ok ? Cells(cells.data(), cells.size()) : "fail";
  }

 private:
  ContextPtr ctx_;
  std::unique_ptr<ModelStatement, void (*)(ModelStatement*)> st_;
};

std::string Compile(const std::string& before, const std::string& expression, int* check = nullptr) {
  RuleRun run;
  run.Source(before);
  return run.Expression(expression, check);
}

TEST_F(MdlRules, ExpressionsGivePostfixCells) {
  // Symbols: ZPD_Paper 8, ZPD_Tray 13, ZPD_Media 54, ZPD_Duplex 58, ZPD_Copies 12; values
  // PAPER_A4 10001, MEDIA_PLAIN 7.
  struct Case {
    const char* expression;
    const char* cells;
    int check;
  } cases[] = {
      {"ZPD_Paper == PAPER_A4", "S8 #10001 == END", 1},
      {"ZPD_Media!=MEDIA_PLAIN", "S54 #7 != END", 1},
      {"ZPD_Copies > 1", "S12 #1 > END", 1},
      {"ZPD_Copies < 100", "S12 #100 < END", 1},
      // Left to right, no precedence: (((C >= 2) && C) <= 10).
      {"ZPD_Copies >= 2 && ZPD_Copies <= 10", "S12 #2 >= S12 && #10 <= END", 1},
      {"ZPD_Duplex || ZPD_Media && ZPD_Tray", "S58 S54 || S13 && END", 1},
      // Parentheses group; the operator before a group waits for what comes after it.
      {"((ZPD_Copies >= 2) && (ZPD_Copies <= 10))", "S12 #2 >= S12 #10 <= && END", 1},
      {"(ZPD_Duplex && (ZPD_Media))", "S58 S54 && END", 1},
      {"ZPD_Duplex && (ZPD_Media) || ZPD_Tray", "S58 S54 && S13 || END", 1},
      {"ZPD_Duplex && (ZPD_Media || ZPD_Tray) == 0", "S58 S54 S13 || && #0 == END", 1},
      // ... and is dropped when the expression ends after the group.
      {"ZPD_Duplex && (ZPD_Media)", "S58 S54 END", 0},
      // "!" takes two operands in the check: !A and A && !B fail it, A ! B passes.
      {"!ZPD_Duplex", "S58 ! END", 0},
      {"ZPD_Duplex && !ZPD_Media", "S58 && S54 ! END", 0},
      {"ZPD_Duplex ! ZPD_Media", "S58 S54 ! END", 1},
      // An operator token that is not in the table is no operator.
      {"ZPD_Paper = PAPER_A4", "S8 #10001 END", 0},
      {"ZPD_Paper === PAPER_A4", "S8 #10001 END", 0},
      // Constants keep their 16 low bits.
      {"ZPD_Copies == 70000", "S12 #4464 == END", 1},
      // A brace, a stray byte or the end ends the expression.
      {"ZPD_Paper == PAPER_A4 } ZPD_Tray", "S8 #10001 == END", 1},
      {"ZPD_Paper == PAPER_A4, ZPD_Tray", "S8 #10001 == END", 1},
      {"(ZPD_Paper == PAPER_A4", "S8 #10001 == END", 1},
      {"", "END", 0},
      {"ZPD_Paper ==", "S8 END", 1},  // the operator still pending at the end is dropped
      // Names that do not resolve, a ")" without its "(", and "12ab" (a name, not a number).
      {"ZPD_Paper == NO_SUCH_VALUE", "fail", 0},
      {"ZPD_Unknown == 1", "fail", 0},
      {"ZPD_Paper == PAPER_A4 )", "fail", 0},
      {"ZPD_Copies == 12ab", "fail", 0},
      {"Judge1", "fail", 0},
  };
  for (const Case& c : cases) {
    int check = -1;
    EXPECT_EQ(Compile("", c.expression, &check), c.cells) << c.expression;
    EXPECT_EQ(check, c.check) << c.expression;
  }
}

TEST_F(MdlRules, ExpressionsNameEarlierJudges) {
  std::string judges =
      "*Judge 1=IsA4: ZPD_Paper == PAPER_A4\n"
      "*Judge 2=Bad: ZPD_Paper == NO_SUCH_VALUE\n"
      "*Judge 3=Both: IsA4 && ZPD_Duplex\n";
  // The cells of a named Judge without its end cell; operators apply after it as after any
  // operand.
  EXPECT_EQ(Compile(judges, "IsA4"), "S8 #10001 == END");
  EXPECT_EQ(Compile(judges, "ZPD_Duplex || IsA4"), "S58 S8 #10001 == || END");
  EXPECT_EQ(Compile(judges, "Both"), "S8 #10001 == S58 && END");
  // A name whose statement failed has no cells.
  EXPECT_EQ(Compile(judges, "Bad"), "fail");
  EXPECT_EQ(Compile(judges, "Later"), "fail");
}

TEST_F(MdlRules, ExpressionLimits) {
  // A token longer than the token buffer is refused.
  EXPECT_EQ(Compile("", "ZPD_Paper == " + std::string(200, '9')), "fail");
  // Nesting: 100 levels compile, 200 are refused.
  EXPECT_EQ(Compile("", std::string(100, '(') + "ZPD_Duplex" + std::string(100, ')')), "S58 END");
  EXPECT_EQ(Compile("", std::string(200, '(') + "ZPD_Duplex" + std::string(200, ')')), "fail");
  // Judges that double with each statement stop growing at the bound of one expression.
  std::string chain = "*Judge 1=J1: ZPD_Duplex || ZPD_Media\n";
  for (int i = 2; i <= 16; ++i)
    chain += "*Judge " + std::to_string(i) + "=J" + std::to_string(i) + ": (J" + std::to_string(i - 1) + " || J" +
             std::to_string(i - 1) + ")\n";
  ContextPtr ctx = CompileText(chain);
  ASSERT_TRUE(ctx);
  uint32_t judges = 0;
  uint32_t largest = 0;
  for (uint32_t l = ctx->judges.head; l; l = MdlAt<MdlJudgeRecord>(ctx.get(), l)->next) {
    ++judges;
    largest = std::max(largest, MdlAt<MdlJudgeRecord>(ctx.get(), l)->size);
  }
  EXPECT_EQ(judges, 12u);  // J12 has 8191 cells and the end cell; J13 would need 16384
  EXPECT_EQ(largest, 8192u * 4);
}

TEST(MdlRuleCells, CheckAndSize) {
  auto cells = [](std::initializer_list<RuleCell> list) { return std::vector<RuleCell>(list); };
  auto check = [](const std::vector<RuleCell>& c) { return MdlCheckExpression(c.data(), c.size()); };
  EXPECT_EQ(check(cells({{1, 8}, {2, 1}, {3, 1}, {3, 10}})), 1);
  EXPECT_EQ(check(cells({{1, 8}, {3, 10}})), 1);
  EXPECT_EQ(check(cells({{1, 8}, {2, 1}, {3, 10}})), 0);       // two values left
  EXPECT_EQ(check(cells({{1, 8}, {3, 5}, {3, 10}})), 0);       // "!" needs two
  EXPECT_EQ(check(cells({{1, 8}, {4, 0}, {3, 10}})), 0);       // an unknown op
  EXPECT_EQ(check(cells({{1, 8}, {2, 1}, {3, 1}})), 0);        // no end cell
  EXPECT_EQ(check(cells({{1, 8}, {3, 10}, {2, 1}, {3, 1}})), 1);  // up to the first end cell
  std::vector<RuleCell> deep(127, RuleCell{2, 1});
  deep.insert(deep.end(), 126, RuleCell{3, 4});
  deep.push_back({3, 10});
  EXPECT_EQ(check(deep), 1);
  deep.insert(deep.begin(), RuleCell{2, 1});  // 128 values on the stack
  EXPECT_EQ(check(deep), 0);
  auto c = cells({{1, 8}, {3, 10}, {2, 1}});
  EXPECT_EQ(MdlExpressionSize(c.data(), c.size()), 8u);
  EXPECT_EQ(MdlExpressionSize(c.data(), 1), 0u);
}

// ---------------------------------------------------------------------------------------------
// Judge statements.

TEST_F(MdlRules, JudgeStatements) {
  ContextPtr ctx = CompileText(
      "*Judge 3=IsA4: ZPD_Paper == PAPER_A4\n"
      "*Judge 0=Zero: ZPD_Paper == PAPER_A4\n"     // number 0: fails
      "*Judge 4=Lonely: !ZPD_Duplex\n"             // fails the check, but defines its name
      "*Judge 5: (ZPD_Duplex && IsA4)\n"
      "*Judge 6=Again: Lonely || ZPD_Duplex\n"     // Lonely has no cells
      "*Judge x7x: ZPD_Duplex == 1\n");            // the number is the digits of the option
  ASSERT_TRUE(ctx);
  std::vector<std::string> got;
  for (uint32_t l = ctx->judges.head; l; l = MdlAt<MdlJudgeRecord>(ctx.get(), l)->next) {
    const auto* j = MdlAt<MdlJudgeRecord>(ctx.get(), l);
    EXPECT_EQ(MdlRecordSize(ctx.get(), j->cells), j->size);
    got.push_back(std::to_string(j->number) + ": " + Cells(MdlAt<RuleCell>(ctx.get(), j->cells), j->size / 4));
  }
  EXPECT_EQ(got, (std::vector<std::string>{"3: S8 #10001 == END", "5: S58 S8 #10001 == && END", "7: S58 #1 == END"}));
  EXPECT_EQ(ctx->stats.failed, 3u);
}

// ---------------------------------------------------------------------------------------------
// Row statements.

// The rows of the first statement of a list, one string per row.
std::vector<std::string> Rows(const CompileContext* ctx, const MdlList& list, uint32_t* number = nullptr) {
  std::vector<std::string> out;
  const auto* s = MdlAt<MdlRuleStatement>(ctx, list.head);
  if (!s) return {"none"};
  if (number) *number = s->number;
  for (uint32_t r = s->firstRow; r; r = *MdlAt<uint32_t>(ctx, r)) {
    char line[160];
    switch (MdlRecordKind(ctx, r)) {
      case kRuleItem: {
        const auto* row = MdlAt<ItemRuleRow>(ctx, r);
        snprintf(line, sizeof line, "%u %x %x %x", row->valueId, row->disabled, row->restricted, row->locked);
        break;
      }
      case kRuleAction: {
        const auto* row = MdlAt<ActionRow>(ctx, r);
        snprintf(line, sizeof line, "%u/%u %u", row->target, row->targetKind, row->value);
        break;
      }
      case kRuleTransact: {
        const auto* row = MdlAt<TransactRow>(ctx, r);
        snprintf(line, sizeof line, "%x %x", row->judge, row->action);
        break;
      }
      case kRuleAlert: {
        const auto* row = MdlAt<AlertRow>(ctx, r);
        snprintf(line, sizeof line, "%x %u %x %x %x %x", row->judge, row->messageId, row->icon, row->buttons,
                 row->timing, row->alertAction);
        break;
      }
      case kRuleAlertAction: {
        const auto* row = MdlAt<AlertActionRow>(ctx, r);
        snprintf(line, sizeof line, "%u %x %u %u", row->nameIndex, row->transact, row->dialogId, row->controlId);
        break;
      }
      default:
        snprintf(line, sizeof line, "?");
    }
    out.push_back(line);
  }
  return out;
}

std::vector<std::string> Exclusives(const CompileContext* ctx) {
  std::vector<std::string> out;
  for (uint32_t r = ctx->exclusives.head; r; r = MdlAt<ExclusiveRule>(ctx, r)->next) {
    const auto* e = MdlAt<ExclusiveRule>(ctx, r);
    char line[160];
    snprintf(line, sizeof line, "%u %x %x %x %x %x %x %x", e->nameIndex, e->disabled, e->restricted, e->itemRules,
             e->alert, e->transact1, e->transact2, e->locked);
    out.push_back(line);
  }
  return out;
}

using Lines = std::vector<std::string>;

TEST_F(MdlRules, RowsOfEveryStatement) {
  // Names defined by earlier statements; rows may also name statements that come later.
  const std::string names =
      "*Judge 1=IsA4: ZPD_Paper == PAPER_A4\n"
      "*Judge 2=Duplexed: ZPD_Duplex == 1\n"
      "*Action 7=Simplex: { {ZPD_Duplex 0} }\n"
      "*Transact 4=Fix: { {IsA4 Simplex} }\n"
      "*AlertAction 6=Undo: { {ZPD_Duplex Fix ZPD_IDD_BASIC ZPD_IDC_DUPLEX} }\n"
      "*OpenUI *ZPD_Paper: PickOne\n*DefaultZPD_Paper: PAPER_A3\n"
      "*ZPD_Paper: IDList { PAPER_A4 PAPER_A3 }\n*CloseUI: *ZPD_Paper\n"
      "*OpenUI *ZPD_Copies: Numeric\n*NumericValue: \"3 7 1 99\"\n*CloseUI: *ZPD_Copies\n";
  struct Case {
    const char* statement;
    const MdlList CompileContext::*list;
    Lines rows;
  } cases[] = {
      // Item: value; disabled, restricted, locked Judges (numbered, named, NULL, 0, other kinds).
      {"*Item 1: { {PAPER_A4 Judge3 NULL 0} {PAPER_A3 IsA4 Duplexed Action2} }", &CompileContext::itemRules,
       {"10001 10003 0 0", "10002 1 2 0"}},
      // Braces only delimit: fields are counted across them; a name starting with a prefix word is
      // a numbered reference with number 0; an unknown value gives 0.
      {"*Item 2: { PAPER_A4 Judge1 {Judgement Duplexed} NO_VALUE x }", &CompileContext::itemRules,
       {"10001 10001 10000 2", "0 0 0 0"}},
      // Action: a dialog (kind 1), a setting (kind 0), nothing; digits, Default, a value name.
      {"*Action 1: { {ZPD_IDD_EDIT 5} {ZPD_Duplex 1} {ZPD_Paper Default} {ZPD_Copies Default} "
       "{ZPD_Tray Default} {ZPD_Media MEDIA_PLAIN} {Nothing 4294967297} {ZPD_Paper Other} }",
       &CompileContext::actions,
       {"1003/1 5", "58/0 1", "8/0 10002", "12/0 7", "13/0 0", "54/0 7", "0/0 1", "8/0 0"}},
      // Transact: Judge and Action references of both forms; a reference of another kind is 0.
      {"*Transact 2: { {Judge2 Action7} {IsA4 Simplex} {NULL Judge1} {Action7 NoSuchAction} }",
       &CompileContext::transacts, {"10002 30007", "1 7", "0 0", "0 0"}},
      // Alert: Judge, message, icon, buttons, timing, AlertAction.
      {"*Alert 3: { {IsA4 ZPD_TestMessage MB_ICONQUESTION MB_YESNO AlertOkApply Undo} "
       "{Judge9 NoMessage MB_ICONHAND MB_OK AlertLater AlertAction2} }",
       &CompileContext::alerts, {"1 275 20 4 2 6", "10009 0 ffff 0 ffff 60002"}},
      // AlertAction: item name index, Transact, dialog, control.
      {"*AlertAction 5: { {ZPD_Duplex Fix ZPD_IDD_BASIC ZPD_IDC_DUPLEX} {ZPD_None Transact3 ZPD_IDD_NONE ZPD_IDC_COPIES} }",
       &CompileContext::alertActions, {"500 4 1002 2101", "0 40003 0 2102"}},
  };
  for (const Case& c : cases) {
    ContextPtr ctx = CompileText(names + c.statement + "\n");
    ASSERT_TRUE(ctx);
    // The rows of the statement under test are the last of its list.
    MdlList last = ctx.get()->*c.list;
    last.head = last.tail;
    EXPECT_EQ(Rows(ctx.get(), last), c.rows) << c.statement;
    EXPECT_EQ(ctx->stats.failed, 0u) << c.statement;
  }
}

TEST_F(MdlRules, ExclusiveRows) {
  RuleRun run;
  run.Source(
      "*Judge 1=IsA4: ZPD_Paper == PAPER_A4\n"
      "*Exclusive: { {ZPD_Duplex IsA4 Judge2 Item3 Alert4 Transact5 Fix Judge6}\n"
      "  {ZPD_Unknown NULL NULL ValueRules NULL NULL NULL NULL} }\n"
      "*Item 3=ValueRules: { {PAPER_A4 IsA4 NULL NULL} }\n"
      "*Transact 8=Fix: { {IsA4 Action1} }\n"
      "*Exclusive: { {ZPD_Paper NULL NULL NULL NULL NULL NULL NULL} }\n");  // a later statement
  // A statement that fails part way adds none of its rows.
  EXPECT_EQ(run.Statement("Exclusive", "", "{ {ZPD_Tray NULL NULL NULL NULL NULL NULL NULL} {ZPD_Media"), 0);
  EXPECT_EQ(run.Statement("Exclusive", "", "{ {ZPD_Tray Fix} {ZPD_Media " + std::string(128, 'x') + "} }"), 0);
  EXPECT_EQ(run.Statement("Exclusive", "", "{ {ZPD_Media ValueRules} }"), 1);
  EXPECT_EQ(Exclusives(run.ctx()), (Lines{"500 1 10002 20003 50004 40005 0 10006", "0 0 0 0 0 0 0 0",
                                          "406 0 0 0 0 0 0 0", "397 0 0 0 0 0 0 0"}));
  EXPECT_EQ(MdlAt<ExclusiveRule>(run.ctx(), run.ctx()->exclusives.tail)->next, 0u);
}

TEST_F(MdlRules, MalformedRowStatementsFail) {
  const char* failing[] = {
      "{ {PAPER_A4 NULL NULL NULL}",          // the outer group is not closed
      "PAPER_A4 NULL NULL NULL",              // no braces at all
      "} {PAPER_A4 NULL NULL NULL}",          // a "}" without its "{"
      "",                                     // no value
  };
  for (const char* value : failing) {
    RuleRun run;
    EXPECT_EQ(run.Statement("Item", "1", value), 0) << value;
    EXPECT_EQ(run.Statement("Action", "1", value), 0) << value;
    EXPECT_EQ(run.Statement("Exclusive", "", value), 0) << value;
    EXPECT_EQ(run.ctx()->itemRules.head, 0u) << value;
    EXPECT_EQ(run.ctx()->actions.head, 0u) << value;
    EXPECT_EQ(run.ctx()->exclusives.head, 0u) << value;
  }
  RuleRun run;
  EXPECT_EQ(run.Statement("Item", "0", "{ {PAPER_A4 NULL NULL NULL} }"), 0);      // number 0
  EXPECT_EQ(run.Statement("Item", "=Name", "{ {PAPER_A4 NULL NULL NULL} }"), 0);  // no number
  EXPECT_EQ(run.Statement("Transact", "1", "{ {NULL " + std::string(130, 'A') + "} }"), 0);  // a token too long
  EXPECT_EQ(run.ctx()->itemRules.head, 0u);
  EXPECT_EQ(run.ctx()->transacts.head, 0u);
  // A statement that fails after its number keeps its name.
  EXPECT_EQ(run.Statement("Transact", "3=Fix", "{ {NULL NULL}"), 0);
  EXPECT_EQ(run.Statement("Exclusive", "", "{ {ZPD_Duplex NULL NULL NULL NULL Fix NULL NULL} }"), 1);
  EXPECT_EQ(Exclusives(run.ctx()), (Lines{"500 0 0 0 0 3 0 0"}));
  // Text after the closing brace is not read; an empty group makes no row.
  EXPECT_EQ(run.Statement("Item", "4", "{ } junk {"), 1);
  uint32_t number = 0;
  EXPECT_EQ(Rows(run.ctx(), run.ctx()->itemRules, &number), Lines{});
  EXPECT_EQ(number, 4u);
  EXPECT_EQ(run.Statement("Item", "5", "{ {PAPER_A4} } {PAPER_A3}"), 1);
  MdlList second{run.ctx()->itemRules.tail, run.ctx()->itemRules.tail};
  EXPECT_EQ(Rows(run.ctx(), second), (Lines{"10001 0 0 0"}));
}

}  // namespace
