// Conditions and rules: the rule tokens, the expression compiler (postfix cells) and the
// handlers of the rule statements (Judge, Item, Action, Transact, AlertAction, Alert, Exclusive).
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "driver_context.h"
#include "mdl_compile.h"
#include "option_table.h"

namespace {

// Parentheses nest at most this deep inside one expression.
constexpr int kMaxExpressionNesting = 128;
// Cells of one expression, end cell included. Judges copied by name grow an expression, so a
// chain of Judges could otherwise double it with every statement.
constexpr size_t kMaxExpressionCells = 8192;
// Bytes of the cells of all Judges of one description.
constexpr uint32_t kMaxJudgeCellBytes = 16u << 20;

bool IsOperatorByte(uint8_t c) { return c == '=' || c == '!' || c == '&' || c == '|' || c == '>' || c == '<'; }

const MdlNameRow kIcons[] = {
    {"MB_ICONEXCLAMATION", 0x30}, {"MB_ICONINFORMATION", 0x40}, {"MB_ICONQUESTION", 0x20},
    {"MB_ICONSTOP", 0x10},        {nullptr, 0xFFFF},
};
const MdlNameRow kButtons[] = {
    {"MB_ABORTRETRYIGNORE", 2}, {"MB_OK", 0},    {"MB_OKCANCEL", 1},
    {"MB_RETRYCANCEL", 5},      {"MB_YESNO", 4}, {"MB_YESNOCANCEL", 3},
    {nullptr, 0xFFFF},
};
const MdlNameRow kTimings[] = {
    {"AlertAtOnce", 0}, {"AlertProperty", 1}, {"AlertOkApply", 2}, {"AlertDialog", 3}, {nullptr, 0xFFFF},
};

struct OperatorRow {
  const char* token;
  uint16_t code;
};
const OperatorRow kOperators[] = {
    {"==", kOpEqual},        {"!=", kOpNotEqual},    {"&&", kOpAnd}, {"||", kOpOr},   {"!", kOpNot},
    {">=", kOpGreaterEqual}, {"<=", kOpLessEqual},   {">", kOpGreater}, {"<", kOpLess},
};

// Decimal digits of a token (wrapping like the other numbers of the reader).
uint32_t DigitsValue(const char* text) {
  uint32_t value = 0;
  for (const char* p = text; *p; ++p)
    if (*p >= '0' && *p <= '9') value = value * 10u + static_cast<uint32_t>(*p - '0');
  return value;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Tokens.

int MdlScanRuleToken(TextBuffer* b, char token[kMdlRuleTokenSize]) {
  token[0] = 0;
  MdlSkipSpace(b);
  uint32_t p = b->length;
  if (p >= b->size) return kRuleTokenOther;
  auto take = [&](uint32_t end, int kind) {
    uint32_t n = end - p;
    if (n >= kMdlRuleTokenSize) {
      b->length = end;
      return static_cast<int>(kRuleTokenTooLong);
    }
    std::memcpy(token, b->text + p, n);
    token[n] = 0;
    b->length = end;
    return kind;
  };
  uint8_t c = static_cast<uint8_t>(b->text[p]);
  uint32_t end = p;
  if (MdlIsClass(c, kCharKeyword)) {
    bool digits = true;
    while (end < b->size && MdlIsClass(static_cast<uint8_t>(b->text[end]), kCharKeyword)) {
      if (!MdlIsClass(static_cast<uint8_t>(b->text[end]), kCharDigit)) digits = false;
      ++end;
    }
    return take(end, digits ? kRuleTokenNumber : kRuleTokenName);
  }
  if (c == '(' || c == ')' || c == '{' || c == '}') return take(p + 1, kRuleTokenBracket);
  if (IsOperatorByte(c)) {
    while (end < b->size && IsOperatorByte(static_cast<uint8_t>(b->text[end]))) ++end;
    return take(end, kRuleTokenOperator);
  }
  return take(p + 1, kRuleTokenOther);
}

uint16_t MdlLookupOperator(const char* token) {
  for (const OperatorRow& row : kOperators)
    if (std::strcmp(row.token, token) == 0) return row.code;
  return 0;
}

uint16_t MdlLookupIcon(const char* word) { return static_cast<uint16_t>(MdlLookupName(kIcons, word)); }
uint16_t MdlLookupButtons(const char* word) { return static_cast<uint16_t>(MdlLookupName(kButtons, word)); }
uint16_t MdlLookupTiming(const char* word) { return static_cast<uint16_t>(MdlLookupName(kTimings, word)); }

int MdlIsAllDigits(const char* text) {
  for (const char* p = text; p && *p; ++p)
    if (*p < '0' || *p > '9') return 0;
  return 1;
}

int MdlIsAlphanumeric(const char* text) {
  for (const char* p = text; p && *p; ++p) {
    char c = *p;
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return 0;
  }
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Expressions.

uint32_t MdlFindJudgeByName(const CompileContext* ctx, const char* name) {
  int32_t number = MdlFindRuleName(name, kRuleJudge);
  if (number == 0) return 0;
  uint32_t link = MdlFindJudgeLink(number);  // the first Judge of the number in ctx->judges
  return link && MdlAt<MdlJudgeRecord>(ctx, link) ? link : 0;
}

namespace {

// Results of one level of an expression.
enum class Level { kClosed, kEnded, kFailed };

struct ExpressionState {
  CompileContext* ctx;
  TextBuffer* b;
  std::vector<RuleCell>* cells;
};

bool Emit(ExpressionState& s, uint16_t op, uint16_t value) {
  if (s.cells->size() >= kMaxExpressionCells) return false;
  s.cells->push_back(RuleCell{op, value});
  return true;
}

// An operand name: a setting, a value, or an earlier Judge (its cells without the end cell).
bool EmitName(ExpressionState& s, const char* name) {
  if (const NameEntry* symbol = MdlFindSymbol(name)) return Emit(s, kCellSetting, symbol->optionId);
  if (const ValueNameEntry* value = MdlFindValue(name))
    return Emit(s, kCellConstant, static_cast<uint16_t>(value->value));
  uint32_t judge = MdlFindJudgeByName(s.ctx, name);
  if (!judge) return false;
  const auto* record = MdlAt<MdlJudgeRecord>(s.ctx, judge);
  const auto* cells = MdlAt<RuleCell>(s.ctx, record->cells);
  size_t count = record->size / sizeof(RuleCell);
  if (!cells || count == 0) return false;
  if (s.cells->size() + count - 1 > kMaxExpressionCells) return false;
  s.cells->insert(s.cells->end(), cells, cells + count - 1);
  return true;
}

// One level: up to its ")" (kClosed) or to the end of the expression (kEnded, the end cell
// written). The pending operator is emitted after each operand, before each operator and at ")".
Level CompileLevel(ExpressionState& s, int nesting) {
  uint16_t pending = 0;
  char token[kMdlRuleTokenSize];
  for (;;) {
    int kind = MdlScanRuleToken(s.b, token);
    switch (kind) {
      case kRuleTokenName:
      case kRuleTokenNumber: {
        bool ok = kind == kRuleTokenName ? EmitName(s, token)
                                          : Emit(s, kCellConstant, static_cast<uint16_t>(DigitsValue(token)));
        if (!ok) return Level::kFailed;
        if (pending && !Emit(s, kCellOperator, pending)) return Level::kFailed;
        pending = 0;
        break;
      }
      case kRuleTokenOperator:
        if (pending && !Emit(s, kCellOperator, pending)) return Level::kFailed;
        pending = MdlLookupOperator(token);
        break;
      case kRuleTokenBracket:
        if (token[0] == '(') {
          // The group's cells; the pending operator stays pending after it.
          if (nesting + 1 >= kMaxExpressionNesting) return Level::kFailed;
          Level inner = CompileLevel(s, nesting + 1);
          if (inner != Level::kClosed) return inner;
          break;
        }
        if (token[0] == ')') {
          // A ")" without its "(" leaves the expression without an end: refused.
          if (nesting == 0) return Level::kFailed;
          if (pending && !Emit(s, kCellOperator, pending)) return Level::kFailed;
          return Level::kClosed;
        }
        [[fallthrough]];  // "{" and "}" end the expression
      case kRuleTokenOther:
        // A pending operator is dropped here.
        return Emit(s, kCellOperator, kOpEnd) ? Level::kEnded : Level::kFailed;
      default:  // a token too long for its buffer
        return Level::kFailed;
    }
  }
}

}  // namespace

int MdlCompileExpression(CompileContext* ctx, TextBuffer* value, std::vector<RuleCell>* cells) {
  cells->clear();
  ExpressionState s{ctx, value, cells};
  try {
    return CompileLevel(s, 0) == Level::kEnded ? 1 : 0;
  } catch (const std::bad_alloc&) {
    cells->clear();
    return 0;
  }
}

int MdlCheckExpression(const RuleCell* cells, size_t count) {
  int depth = 0;
  for (size_t i = 0; i < count; ++i) {
    const RuleCell& cell = cells[i];
    if (cell.op == kCellSetting || cell.op == kCellConstant) {
      if (++depth >= 128) return 0;
    } else if (cell.op == kCellOperator) {
      if (cell.value == kOpEnd) return depth == 1 ? 1 : 0;
      if (depth < 2) return 0;
      --depth;
    } else {
      return 0;
    }
  }
  return 0;  // no end cell
}

uint32_t MdlExpressionSize(const RuleCell* cells, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (cells[i].op == kCellOperator && cells[i].value == kOpEnd) return static_cast<uint32_t>((i + 1) * sizeof(RuleCell));
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Statement numbers and Judge.

namespace {

// The statement's number from option 1 (0 fails the statement); a name after "=" is defined
// first, so that it stays defined when the statement fails afterwards.
int32_t StatementNumber(const ModelStatement* st, int kind) {
  int32_t number = MdlParseRuleNumber(st->option1.text);
  if (number == 0) return 0;
  if (const char* name = MdlNameAfterEquals(st->option1.text)) MdlAddRuleName(name, number, kind);
  return number;
}

}  // namespace

int MdlOnJudge(int, CompileContext* ctx, ModelStatement* st) {
  int32_t number = StatementNumber(st, kRuleJudge);
  if (number == 0) return 0;
  std::vector<RuleCell> cells;
  st->value.length = 0;
  if (!MdlCompileExpression(ctx, &st->value, &cells)) return 0;
  if (!MdlCheckExpression(cells.data(), cells.size())) return 0;
  uint32_t size = MdlExpressionSize(cells.data(), cells.size());
  if (size > kMaxJudgeCellBytes - ctx->judgeCellBytes) return 0;
  uint32_t cellLink = MdlAlloc(ctx, size, kTagCells);
  uint32_t link = cellLink ? MdlAlloc(ctx, sizeof(MdlJudgeRecord), kTagJudge) : 0;
  if (!link) return 0;
  std::memcpy(MdlAt<RuleCell>(ctx, cellLink), cells.data(), size);
  auto* judge = MdlAt<MdlJudgeRecord>(ctx, link);
  judge->number = static_cast<uint32_t>(number);
  judge->size = size;
  judge->cells = cellLink;
  if (!MdlAddJudgeLink(number, link)) return 0;
  ctx->judgeCellBytes += size;
  MdlListAppend(ctx, &ctx->judges, link);
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Row statements.

namespace {

struct RowKind {
  int kind;           // MdlRuleKind, or -1 for Exclusive
  uint32_t size;      // bytes of a row
  int fields;         // fields of a row
  void (*set)(CompileContext* ctx, uint8_t* row, int field, const char* token);
};

template <class T>
T& As(uint8_t* row) {
  return *reinterpret_cast<T*>(row);
}

uint32_t ValueOf(const char* token) {
  const ValueNameEntry* v = MdlFindValue(token);
  return v ? v->value : 0;
}

uint16_t NameIndexOf(const char* token) {
  const NameEntry* symbol = MdlFindSymbol(token);
  return symbol ? symbol->nameIndex : 0;
}

void SetItemField(CompileContext*, uint8_t* row, int field, const char* token) {
  auto& r = As<ItemRuleRow>(row);
  switch (field) {
    case 0: r.valueId = ValueOf(token); break;
    case 1: r.disabled = MdlResolveReference(token, kRefJudge); break;
    case 2: r.restricted = MdlResolveReference(token, kRefJudge); break;
    default: r.locked = MdlResolveReference(token, kRefJudge); break;
  }
}

// The model's default of a setting from the items compiled so far: the value ID at the default
// position for pick kinds, the Boolean default, the Numeric default, the String default value ID.
uint32_t CompiledDefault(const CompileContext* ctx, uint16_t settingId) {
  uint32_t link = 0;
  if (const uint32_t* slot = ModelItemSlot(&ctx->header, settingId)) {
    link = *slot;
  } else if (settingId != 0) {
    for (uint32_t l = ctx->header.firstItem; l; l = MdlAt<ModelItem>(ctx, l)->next)
      if (MdlAt<ModelItem>(ctx, l)->settingId == settingId) {
        link = l;
        break;
      }
  }
  if (!link || MdlRecordTag(ctx, link) != kTagItem) return 0;
  const auto* item = MdlAt<ModelItem>(ctx, link);
  uint32_t values = item->values;
  if (!values) return 0;
  switch (item->typeWord & 0xFF) {
    case 1: {
      uint32_t position = 0;
      for (uint32_t v = values; v && MdlRecordTag(ctx, v) == kTagListValue; v = MdlAt<ModelListValue>(ctx, v)->next)
        if (position++ == item->defaultValue) return MdlAt<ModelListValue>(ctx, v)->valueId;
      return 0;
    }
    case 4:
      return MdlRecordTag(ctx, values) == kTagBoolean ? static_cast<uint32_t>(MdlAt<ModelBooleanValue>(ctx, values)->defaultValue) : 0;
    case 8:
      return MdlRecordTag(ctx, values) == kTagNumeric ? static_cast<uint32_t>(MdlAt<ModelNumericValue>(ctx, values)->defaultValue) : 0;
    case 16:
      return MdlRecordTag(ctx, values) == kTagString ? MdlAt<ModelStringValue>(ctx, values)->defaultValueId : 0;
    default:
      return 0;
  }
}

void SetActionField(CompileContext* ctx, uint8_t* row, int field, const char* token) {
  auto& r = As<ActionRow>(row);
  if (field == 0) {
    uint16_t dialogId = 0;
    if (MdlFindDialogName(token, &dialogId)) {
      r.target = dialogId;
      r.targetKind = 1;
    } else if (const NameEntry* symbol = MdlFindSymbol(token)) {
      r.target = symbol->optionId;
      r.targetKind = 0;
    }
    return;
  }
  if (MdlIsAllDigits(token))
    r.value = DigitsValue(token);
  else if (std::strcmp(token, "Default") == 0)
    r.value = r.targetKind == 0 ? CompiledDefault(ctx, r.target) : 0;
  else
    r.value = ValueOf(token);
}

void SetTransactField(CompileContext*, uint8_t* row, int field, const char* token) {
  auto& r = As<TransactRow>(row);
  if (field == 0)
    r.judge = MdlResolveReference(token, kRefJudge);
  else
    r.action = MdlResolveReference(token, kRefAction);
}

void SetAlertField(CompileContext*, uint8_t* row, int field, const char* token) {
  auto& r = As<AlertRow>(row);
  switch (field) {
    case 0: r.judge = MdlResolveReference(token, kRefJudge); break;
    case 1: {
      uint16_t nameIndex = 0;
      r.messageId = MdlFindMessageName(token, &nameIndex) ? nameIndex : 0;
      break;
    }
    case 2: r.icon = MdlLookupIcon(token); break;
    case 3: r.buttons = MdlLookupButtons(token); break;
    case 4: r.timing = MdlLookupTiming(token); break;
    default: r.alertAction = MdlResolveReference(token, kRefAlertAction); break;
  }
}

void SetAlertActionField(CompileContext*, uint8_t* row, int field, const char* token) {
  auto& r = As<AlertActionRow>(row);
  uint16_t id = 0;
  switch (field) {
    case 0: r.nameIndex = NameIndexOf(token); break;
    case 1: r.transact = MdlResolveReference(token, kRefTransact); break;
    case 2: r.dialogId = MdlFindDialogName(token, &id) ? id : 0; break;
    default: r.controlId = MdlFindControlName(token, &id) ? id : 0; break;
  }
}

void SetExclusiveField(CompileContext*, uint8_t* row, int field, const char* token) {
  auto& r = As<ExclusiveRule>(row);
  switch (field) {
    case 0: r.nameIndex = NameIndexOf(token); break;
    case 1: r.disabled = MdlResolveReference(token, kRefJudge); break;
    case 2: r.restricted = MdlResolveReference(token, kRefJudge); break;
    case 3: r.itemRules = MdlResolveReference(token, kRefItem); break;
    case 4: r.alert = MdlResolveReference(token, kRefAlert); break;
    case 5: r.transact1 = MdlResolveReference(token, kRefTransact); break;
    case 6: r.transact2 = MdlResolveReference(token, kRefTransact); break;
    default: r.locked = MdlResolveReference(token, kRefJudge); break;
  }
}

constexpr int kExclusiveKind = -1;

const RowKind kItemRows = {kRuleItem, sizeof(ItemRuleRow), 4, SetItemField};
const RowKind kActionRows = {kRuleAction, sizeof(ActionRow), 2, SetActionField};
const RowKind kTransactRows = {kRuleTransact, sizeof(TransactRow), 2, SetTransactField};
const RowKind kAlertActionRows = {kRuleAlertAction, sizeof(AlertActionRow), 4, SetAlertActionField};
const RowKind kAlertRows = {kRuleAlert, sizeof(AlertRow), 6, SetAlertField};
const RowKind kExclusiveRows = {kExclusiveKind, sizeof(ExclusiveRule), 8, SetExclusiveField};

// Reads the brace groups of a row statement into a list of rows (every row begins with its
// next link). 1 when the outer group closed; 0 for a value that ends before it closes, a "}"
// without its "{", a token too long for its buffer or no memory.
int ReadRows(CompileContext* ctx, TextBuffer* b, const RowKind& rows, MdlList* out) {
  *out = {};
  char token[kMdlRuleTokenSize];
  int depth = 0;
  int field = 0;
  uint32_t row = 0;
  uint16_t tag = rows.kind == kExclusiveKind ? kTagExclusive : kTagRuleRow;
  uint16_t kind = rows.kind == kExclusiveKind ? 0 : static_cast<uint16_t>(rows.kind);
  for (;;) {
    MdlSkipSpace(b);
    if (b->length >= b->size) return 0;  // the value ended inside its braces (or had none)
    int k = MdlScanRuleToken(b, token);
    if (k == kRuleTokenTooLong) return 0;
    if (k == kRuleTokenBracket && token[0] == '{') {
      ++depth;
      continue;
    }
    if (k == kRuleTokenBracket && token[0] == '}') {
      if (depth == 0) return 0;
      if (--depth == 0) return 1;
      continue;
    }
    if (field == 0) {
      row = MdlAlloc(ctx, rows.size, tag, kind);
      if (!row) return 0;
      MdlListAppend(ctx, out, row);
    }
    rows.set(ctx, MdlAt<uint8_t>(ctx, row), field, token);
    field = (field + 1) % rows.fields;
  }
}

int OnRowStatement(CompileContext* ctx, ModelStatement* st, const RowKind& rows, MdlList* list) {
  int32_t number = StatementNumber(st, rows.kind);
  if (number == 0) return 0;
  st->value.length = 0;
  MdlList read;
  if (!ReadRows(ctx, &st->value, rows, &read)) return 0;
  uint32_t link = MdlAlloc(ctx, sizeof(MdlRuleStatement), kTagRuleStatement, static_cast<uint16_t>(rows.kind));
  if (!link) return 0;
  auto* statement = MdlAt<MdlRuleStatement>(ctx, link);
  statement->number = static_cast<uint32_t>(number);
  statement->firstRow = read.head;
  MdlListAppend(ctx, list, link);
  return 1;
}

}  // namespace

int MdlOnItem(int, CompileContext* ctx, ModelStatement* st) { return OnRowStatement(ctx, st, kItemRows, &ctx->itemRules); }
int MdlOnAction(int, CompileContext* ctx, ModelStatement* st) { return OnRowStatement(ctx, st, kActionRows, &ctx->actions); }
int MdlOnTransact(int, CompileContext* ctx, ModelStatement* st) {
  return OnRowStatement(ctx, st, kTransactRows, &ctx->transacts);
}
int MdlOnAlertAction(int, CompileContext* ctx, ModelStatement* st) {
  return OnRowStatement(ctx, st, kAlertActionRows, &ctx->alertActions);
}
int MdlOnAlert(int, CompileContext* ctx, ModelStatement* st) { return OnRowStatement(ctx, st, kAlertRows, &ctx->alerts); }

// The rows of an Exclusive statement are the rule records themselves. They join the context's
// list only when the whole statement was read, so a statement that fails part way leaves the list
// as it was; the rows of every Exclusive statement of the description are appended to the one
// list in statement order.
int MdlOnExclusive(int, CompileContext* ctx, ModelStatement* st) {
  st->value.length = 0;
  MdlList read;
  if (!ReadRows(ctx, &st->value, kExclusiveRows, &read)) return 0;
  if (!read.head) return 1;
  if (ctx->exclusives.tail)
    MdlAt<ExclusiveRule>(ctx, ctx->exclusives.tail)->next = read.head;
  else
    ctx->exclusives.head = read.head;
  ctx->exclusives.tail = read.tail;
  return 1;
}
