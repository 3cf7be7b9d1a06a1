// Handlers of the rule statements (Judge, Item, Action, Transact, AlertAction, Alert,
// Exclusive). Until the rule compiler is built, a rule statement only defines its name
// (option 1 NUMBER=NAME), so that command groups can name their Judges, and is accepted.
#include "mdl_compile.h"

namespace {
int DefineName(ModelStatement* st, int kind) {
  int32_t number = MdlParseRuleNumber(st->option1.text);
  if (number == 0) return 0;
  if (const char* name = MdlNameAfterEquals(st->option1.text)) MdlAddRuleName(name, number, kind);
  return 1;
}
}  // namespace

int MdlOnJudge(int, CompileContext*, ModelStatement* st) { return DefineName(st, kRuleJudge); }
int MdlOnItem(int, CompileContext*, ModelStatement* st) { return DefineName(st, kRuleItem); }
int MdlOnAction(int, CompileContext*, ModelStatement* st) { return DefineName(st, kRuleAction); }
int MdlOnTransact(int, CompileContext*, ModelStatement* st) { return DefineName(st, kRuleTransact); }
int MdlOnAlertAction(int, CompileContext*, ModelStatement* st) { return DefineName(st, kRuleAlertAction); }
int MdlOnAlert(int, CompileContext*, ModelStatement* st) { return DefineName(st, kRuleAlert); }
int MdlOnExclusive(int, CompileContext*, ModelStatement*) { return 1; }
