// The condition evaluator and the execution of rules: a stack machine over the compiled cells of
// a condition, the disabled, restricted and locked tests of items and values, alerts, and the
// transact lists whose actions change settings.
//
// The evaluator works on the context's 256-entry stack. Every push is checked against the end of
// the stack and every pop against the depth at which the evaluation began, whatever the cells of
// the image hold: an evaluation that would overflow or that finds too few operands ends with 0,
// and every evaluation leaves the stack at the depth it found it.
#include <array>
#include <cstring>

#include "core_memory.h"
#include "feature_modules.h"
#include "finishing_rules.h"
#include "mdl_query_internal.h"
#include "option_access.h"
#include "reset_walk.h"
#include "ui_services.h"

namespace {

constexpr uint32_t kStackEntries = 256;

// Cell ops and operator codes of a compiled condition.
enum : uint16_t {
  kOpPushSetting = 1,
  kOpPushConstant = 2,
  kOpOperator = 3,
};
enum : uint16_t {
  kCodeEqual = 1,
  kCodeNotEqual = 2,
  kCodeAnd = 3,
  kCodeOr = 4,
  kCodeNot = 5,
  kCodeGreater = 6,
  kCodeLess = 7,
  kCodeGreaterEqual = 8,
  kCodeLessEqual = 9,
  kCodeEnd = 10,
};

// Computed settings.
constexpr uint16_t kFinishingFirst = 746, kFinishingLast = 937;
constexpr uint16_t kModuleComputedFirst = 1347, kModuleComputedLast = 1506;
constexpr uint16_t kDerivedFirst = 1507, kDerivedLast = 1538;

constexpr uint16_t kOptBuiltInFunc = 1050;  // wdmBuiltInFunc
constexpr uint16_t kTargetDialog = 1;

bool IsTextKind(uint32_t kind) {
  switch (kind) {
    case 7: case 8: case 10: case 11: case 13: case 14: case 15:
      return true;
    default:
      return false;
  }
}

// The length in characters of a text option's current text; 0 when the buffer cannot be had.
uint32_t TextLength(DriverContext* ctx, const OptionEntry* row) {
  size_t chars = TypeSize(row->typeWord);  // twice the field's bytes, in bytes
  if (chars == 0) return 0;
  auto* buffer = static_cast<WCHAR*>(CtxAllocMem(static_cast<DWORD>(chars * sizeof(WCHAR))));
  if (!buffer) return 0;
  uint32_t length = 0;
  if (OptGetStringValue(ctx, row, buffer, chars))
    while (length < chars && buffer[length]) ++length;
  MdlFreeMem(buffer);
  return length;
}

// The value a {1, ID} cell pushes; false when the context has no such option. Everything but a
// stored number is read from outside the settings image: counted, so that what remembers a
// result of conditions knows it cannot.
bool ReadSetting(DriverContext* ctx, uint16_t id, uint32_t* value) {
  OptionEntry* row = OptFind(ctx, id);
  if (!row) return false;
  if (id >= kFinishingFirst && id <= kFinishingLast) {
    ++g_evalOutsideReads;
    *value = static_cast<uint32_t>(OptGetFinishingItem(ctx, id));
  } else if (id >= kModuleComputedFirst && id <= kModuleComputedLast) {
    ++g_evalOutsideReads;
    *value = FmGetModuleComputedItem(ctx, id);
  } else if (id >= kDerivedFirst && id <= kDerivedLast) {
    ++g_evalOutsideReads;
    *value = MdlGetDerivedValue(ctx, id);
  } else if (IsTextKind(TypeKind(row->typeWord))) {
    ++g_evalOutsideReads;
    *value = TextLength(ctx, row);
  } else {
    *value = static_cast<uint32_t>(OptReadUiValue(ctx, row));
  }
  return true;
}

// The stack of an evaluation: the context's stack above the depth it had, or a stack of its
// own when the context has none.
class EvalStack {
 public:
  explicit EvalStack(DriverContext* ctx) {
    ContextWorkArea* wa = ctx && ctx->workArea ? ctx->workArea : nullptr;
    if (wa && wa->evalStack && wa->evalDepth >= 0 && static_cast<uint32_t>(wa->evalDepth) <= kStackEntries) {
      entries_ = wa->evalStack;
      depth_ = &wa->evalDepth;
    } else {
      entries_ = own_.data();
      depth_ = &ownDepth_;
    }
    base_ = *depth_;
  }
  ~EvalStack() { *depth_ = base_; }
  EvalStack(const EvalStack&) = delete;
  EvalStack& operator=(const EvalStack&) = delete;

  bool Push(uint32_t v) {
    if (static_cast<uint32_t>(*depth_) >= kStackEntries) return false;
    entries_[(*depth_)++] = v;
    return true;
  }
  bool Pop(uint32_t* v) {
    if (*depth_ <= base_) return false;
    *v = entries_[--(*depth_)];
    return true;
  }

 private:
  DWORD* entries_;
  LONG* depth_;
  LONG base_;
  LONG ownDepth_ = 0;
  std::array<DWORD, kStackEntries> own_;  // only entries pushed are read: no fill per evaluation
};

uint32_t Apply(uint16_t code, uint32_t l, uint32_t r) {
  switch (code) {
    case kCodeEqual: return l == r;
    case kCodeNotEqual: return l != r;
    case kCodeAnd: return l != 0 && r != 0;
    case kCodeOr: return l != 0 || r != 0;
    case kCodeGreater: return l > r;
    case kCodeLess: return l < r;
    case kCodeGreaterEqual: return l >= r;
    case kCodeLessEqual: return l <= r;
    default: return 0;
  }
}

const ModelImage* ImageOf(DriverContext* ctx) { return ctx ? ctx->modelImage : nullptr; }

}  // namespace

namespace {

bool IsBinary(uint16_t code) { return code >= kCodeEqual && code <= kCodeLessEqual && code != kCodeNot; }

// Whether the evaluation stack takes two more entries, as EvalStack would find it.
bool RoomForTwo(const DriverContext* ctx) {
  const ContextWorkArea* wa = ctx && ctx->workArea ? ctx->workArea : nullptr;
  if (wa && wa->evalStack && wa->evalDepth >= 0 && static_cast<uint32_t>(wa->evalDepth) <= kStackEntries)
    return static_cast<uint32_t>(wa->evalDepth) + 2 <= kStackEntries;
  return true;  // a stack of its own, empty
}

}  // namespace

uint32_t MdlEvalCondition(const RuleCell* cells, uint32_t count, DriverContext* ctx) {
  if (!cells) return 0;
  // Most conditions are one setting against one constant: answered without the stack, as the
  // walk below answers them (it pushes both, applies the operator and pops the result at the
  // end cell), whenever the stack would have room for the two operands.
  if (count >= 4) {
    RuleCell c[4];
    std::memcpy(c, cells, sizeof c);
    if (c[0].op == kOpPushSetting && c[1].op == kOpPushConstant && c[2].op == kOpOperator &&
        IsBinary(c[2].value) && c[3].op == kOpOperator && c[3].value == kCodeEnd && RoomForTwo(ctx)) {
      uint32_t setting = 0;
      if (!ReadSetting(ctx, c[0].value, &setting)) return 0;
      return Apply(c[2].value, setting, c[1].value);
    }
  }
  EvalStack stack(ctx);
  bool haveLast = false;
  uint16_t lastId = 0;
  uint32_t lastValue = 0;
  for (uint32_t i = 0; i < count; ++i) {
    RuleCell cell;
    std::memcpy(&cell, &cells[i], sizeof cell);
    switch (cell.op) {
      case kOpPushSetting: {
        if (!haveLast || cell.value != lastId) {
          if (!ReadSetting(ctx, cell.value, &lastValue)) return 0;
          lastId = cell.value;
          haveLast = true;
        }
        if (!stack.Push(lastValue)) return 0;
        break;
      }
      case kOpPushConstant:
        if (!stack.Push(cell.value)) return 0;
        break;
      case kOpOperator: {
        uint32_t r, l;
        switch (cell.value) {
          case kCodeEnd:
            return stack.Pop(&r) ? r : 0;
          case kCodeNot:
            if (!stack.Pop(&r)) return 0;
            stack.Push(r == 0);
            break;
          case kCodeEqual: case kCodeNotEqual: case kCodeAnd: case kCodeOr:
          case kCodeGreater: case kCodeLess: case kCodeGreaterEqual: case kCodeLessEqual:
            if (!stack.Pop(&r) || !stack.Pop(&l)) return 0;
            stack.Push(Apply(cell.value, l, r));
            break;
          default:
            break;  // no operator
        }
        break;
      }
      default:
        break;
    }
  }
  return 0;  // no end cell
}

uint32_t MdlEvalJudge(uint32_t judgeRef, DriverContext* ctx) {
  if (!judgeRef) return 0;
  // The evaluation stops at the end cell itself, so the cells are bounded by the image alone
  // instead of being searched for their end first; cells without one still answer 0.
  const ModelImage* image = ImageOf(ctx);
  const RuleCell* cells = MdlImageRef<RuleCell>(image, judgeRef);
  if (!cells) return 0;
  const uint32_t available = (image->header.totalSize - MdlTaggedOffset(judgeRef)) / sizeof(RuleCell);
  return MdlEvalCondition(cells, available, ctx);
}

// ---- disabled, restricted, locked -------------------------------------------------------------

namespace {

enum class Test { kDisabled, kRestricted, kLocked };

int EvalRule(const ExclusiveRule* rule, uint16_t valueId, DriverContext* ctx, Test test) {
  if (!rule) return 0;
  uint32_t judge;
  if (valueId == 0) {
    judge = test == Test::kDisabled ? rule->disabled : test == Test::kRestricted ? rule->restricted : rule->locked;
  } else {
    const uint32_t mask = test == Test::kDisabled     ? kMdlRowDisabled
                          : test == Test::kRestricted ? kMdlRowRestricted
                                                      : kMdlRowLocked;
    if (!MdlRuleIndexJudge(ctx, rule, valueId, mask, &judge)) {
      const ItemRuleRow* row = MdlFindValueRow(ImageOf(ctx), rule, valueId);
      if (!row) return 0;
      judge = test == Test::kDisabled ? row->disabled : test == Test::kRestricted ? row->restricted : row->locked;
    }
  }
  return MdlEvalJudge(judge, ctx) != 0;
}

}  // namespace

int MdlEvalDisabledRule(const ExclusiveRule* rule, uint16_t valueId, DriverContext* ctx) {
  return EvalRule(rule, valueId, ctx, Test::kDisabled);
}
int MdlEvalRestrictedRule(const ExclusiveRule* rule, uint16_t valueId, DriverContext* ctx) {
  return EvalRule(rule, valueId, ctx, Test::kRestricted);
}
int MdlEvalLockedRule(const ExclusiveRule* rule, uint16_t valueId, DriverContext* ctx) {
  return EvalRule(rule, valueId, ctx, Test::kLocked);
}

namespace {
// MdlItemRule without the call.
const ExclusiveRule* RuleOf(const ModelItem* item, DriverContext* ctx) {
  return item ? MdlImageAt<ExclusiveRule>(ImageOf(ctx), item->exclusive) : nullptr;
}
}  // namespace

int MdlIsDisabled(const ModelItem* item, uint16_t valueId, DriverContext* ctx) {
  return EvalRule(RuleOf(item, ctx), valueId, ctx, Test::kDisabled);
}
int MdlIsRestricted(const ModelItem* item, uint16_t valueId, DriverContext* ctx) {
  return EvalRule(RuleOf(item, ctx), valueId, ctx, Test::kRestricted);
}
int MdlIsLocked(const ModelItem* item, uint16_t valueId, DriverContext* ctx) {
  return EvalRule(RuleOf(item, ctx), valueId, ctx, Test::kLocked);
}

// ---- alerts -----------------------------------------------------------------------------------

uint32_t MdlItemAlerts(const ModelItem* item, DriverContext* ctx) {
  const ExclusiveRule* rule = MdlItemRule(ImageOf(ctx), item);
  return rule ? rule->alert : 0;
}

const AlertRow* MdlFindActiveAlert(uint32_t firstAlert, DriverContext* ctx) {
  const ModelImage* image = ImageOf(ctx);
  uint32_t limit = MdlWalkLimit(image, sizeof(AlertRow));
  for (const AlertRow* row = MdlImageRef<AlertRow>(image, firstAlert); row && limit--;
       row = MdlImageRef<AlertRow>(image, row->next))
    if (MdlEvalJudge(row->judge, ctx)) return row;
  return nullptr;
}

uint16_t MdlFindAlertMessage(uint32_t firstAlert, DriverContext* ctx) {
  const AlertRow* row = MdlFindActiveAlert(firstAlert, ctx);
  return row ? row->messageId : 0;
}

uint16_t MdlGetAlertMessage(const ModelItem* item, DriverContext* ctx) {
  return MdlFindAlertMessage(MdlItemAlerts(item, ctx), ctx);
}

// ---- transacts and actions --------------------------------------------------------------------

namespace {

// Runs the action rows of a transact row; the dialog ID of an action on a dialog page, else 0.
uint16_t RunActions(uint32_t firstAction, DriverContext* ctx) {
  const ModelImage* image = ImageOf(ctx);
  uint32_t limit = MdlWalkLimit(image, sizeof(ActionRow));
  for (const ActionRow* action = MdlImageRef<ActionRow>(image, firstAction); action && limit--;
       action = MdlImageRef<ActionRow>(image, action->next)) {
    if (action->targetKind == kTargetDialog) return action->target;
#if ZOLT_WINDOW_BUILD
    if (action->target == kOptBuiltInFunc) {
      UiRunBuiltInFunc(ctx, static_cast<WORD>(action->value));
      continue;
    }
#else
    (void)kOptBuiltInFunc;
#endif
    OptSetByValueId(ctx, action->target, action->value);
  }
  return 0;
}

}  // namespace

uint16_t MdlRunTransact(uint32_t firstTransact, DriverContext* ctx) {
  const ModelImage* image = ImageOf(ctx);
  uint32_t limit = MdlWalkLimit(image, sizeof(TransactRow));
  bool havePrevious = false;
  uint32_t previousJudge = 0;
  bool previousHeld = false;
  for (const TransactRow* row = MdlImageRef<TransactRow>(image, firstTransact); row && limit--;
       row = MdlImageRef<TransactRow>(image, row->next)) {
    bool applies;
    if (row->judge == 0)
      applies = true;
    else if (havePrevious && row->judge == previousJudge && !previousHeld)
      applies = false;  // the same condition did not hold for the row before
    else
      applies = MdlEvalJudge(row->judge, ctx) != 0;
    havePrevious = true;
    previousJudge = row->judge;
    previousHeld = applies;
    if (!applies) continue;
    if (uint16_t dialog = RunActions(row->action, ctx)) return dialog;
  }
  return 0;
}

uint16_t MdlRunItemTransact(const ModelItem* item, DriverContext* ctx) {
  const ExclusiveRule* rule = MdlItemRule(ImageOf(ctx), item);
  return rule ? MdlRunTransact(rule->transact1, ctx) : 0;
}

uint16_t MdlRunItemTransactByKey(uint16_t nameIndex, DriverContext* ctx) {
  const ExclusiveRule* rule = MdlFindRuleByKey(nameIndex, ctx);
  return rule ? MdlRunTransact(rule->transact1, ctx) : 0;
}

namespace {

const AlertActionRow* AlertActionFor(const AlertRow* alert, uint16_t nameIndex, DriverContext* ctx) {
  const ModelImage* image = ImageOf(ctx);
  uint32_t limit = MdlWalkLimit(image, sizeof(AlertActionRow));
  for (const AlertActionRow* row = MdlImageRef<AlertActionRow>(image, alert->alertAction); row && limit--;
       row = MdlImageRef<AlertActionRow>(image, row->next))
    if (row->nameIndex == nameIndex) return row;
  return nullptr;
}

}  // namespace

uint16_t MdlRunAlertAction(const AlertRow* alert, uint16_t nameIndex, DriverContext* ctx) {
  if (!alert) return 0;
  const AlertActionRow* row = AlertActionFor(alert, nameIndex, ctx);
  if (!row) return 0;
  // The focus on the row's control belongs to the window build's dialog engine, which puts it
  // there once the run returns; the run itself is the same in every build.
  return MdlRunTransact(row->transact, ctx);
}

uint16_t MdlRunAlertActions(uint32_t firstAlert, uint16_t nameIndex, DriverContext* ctx) {
  const ModelImage* image = ImageOf(ctx);
  uint32_t limit = MdlWalkLimit(image, sizeof(AlertRow));
  for (const AlertRow* alert = MdlImageRef<AlertRow>(image, firstAlert); alert && limit--;
       alert = MdlImageRef<AlertRow>(image, alert->next)) {
    if (!MdlEvalJudge(alert->judge, ctx)) continue;
    const AlertActionRow* row = AlertActionFor(alert, nameIndex, ctx);
    if (!row) continue;
    if (uint16_t dialog = MdlRunTransact(row->transact, ctx)) return dialog;
  }
  return 0;
}

// ---- derived values ---------------------------------------------------------------------------

uint32_t MdlGetDerivedValue(DriverContext* ctx, uint16_t settingId) {
  if (settingId != kDerivedFirst) return 0;
  constexpr uint16_t kFrontFunc = 350, kApiUseFlag = 245, kTesmarin = 727, kPreviewPrint = 603, kOption728 = 728;
  return (OptGetValue(ctx, kFrontFunc, nullptr) & 0x100) != 0 && OptGetValue(ctx, kApiUseFlag, nullptr) == 0 &&
                 (OptGetValue(ctx, kTesmarin, nullptr) & 1) == 0 && (OptGetValue(ctx, kPreviewPrint, nullptr) & 0xFF) != 0 &&
                 (OptGetValue(ctx, kOption728, nullptr) & 0xFF) != 0
             ? 1
             : 0;
}
