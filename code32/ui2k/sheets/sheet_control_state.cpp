// Whether a control is shown and enabled: derived at every refresh from the model's rules for
// the control's item and values and from the feature modules; and the start-of-dialog step that
// gives controls their class window procedures back while certain drawing programs run.
#include <cstring>

#include "feature_modules.h"
#include "model_query.h"
#include "sheet_engine.h"

namespace {

constexpr uint32_t kNotifyGreyQuery = 3;
constexpr uint16_t kCellPushOption = 1;
constexpr uint16_t kCellOperator = 3;
constexpr uint16_t kCellEndValue = 10;
constexpr uint16_t kCellEnd = 10;
constexpr uint16_t kOptionChangedBits = 0x3;

uint16_t ItemTypeByte(const ModelItem* item) { return static_cast<uint16_t>(item->typeWord & 0xFF); }
bool IsValueList(const ModelItem* item) { return ItemTypeByte(item) == 1 || ItemTypeByte(item) == 2; }

const ExclusiveRule* RuleOf(DriverContext* ctx, const ModelItem* item) {
  return item && ctx ? MdlItemRule(ctx->modelImage, item) : nullptr;
}

const RuleCell* CellsOf(DriverContext* ctx, uint32_t judge) {
  uint32_t count = 0;
  return judge ? MdlImageCells(ctx->modelImage, judge, &count) : nullptr;
}

// 1 when the rule's item judge or any per-value judge of the kind reads a changed option.
int RuleReadsChangedOption(DriverContext* ctx, const ExclusiveRule* rule, bool restricted) {
  if (!rule) return 0;
  if (UiCellsReadChangedOption(ctx, CellsOf(ctx, restricted ? rule->restricted : rule->disabled))) return 1;
  const ModelImage* image = ctx->modelImage;
  uint32_t limit = image ? image->header.totalSize / sizeof(ItemRuleRow) + 1 : 0;
  for (const ItemRuleRow* row = MdlImageRef<ItemRuleRow>(image, rule->itemRules); row && limit--;
       row = MdlImageRef<ItemRuleRow>(image, row->next))
    if (UiCellsReadChangedOption(ctx, CellsOf(ctx, restricted ? row->restricted : row->disabled))) return 1;
  return 0;
}

}  // namespace

uint16_t UiGetItemValueId(DriverContext* ctx, const ModelItem* item, const void* value,
                          const ItemRuleRow** valueRows) {
  if (valueRows) *valueRows = nullptr;
  if (!item || !value) return 0;
  uint16_t id = 0;
  if (IsValueList(item)) {
    id = static_cast<const ModelValue*>(value)->valueId;
  } else if (ItemTypeByte(item) == 16) {
    std::memcpy(&id, value, sizeof(id));
  } else {
    return 0;
  }
  if (valueRows && id != 0)
    if (const ExclusiveRule* rule = RuleOf(ctx, item))
      *valueRows = MdlImageRef<ItemRuleRow>(ctx->modelImage, rule->itemRules);
  return id;
}

int UiIsValueDisabled(DriverContext* ctx, const ModelItem* item, uint16_t valueId) {
  if (!item) return 0;
  if (MdlIsDisabled(item, 0, ctx)) return 1;
  if (IsValueList(item)) return MdlIsDisabled(item, valueId, ctx) ? 1 : 0;
  return 0;
}

int UiQueryControlGrey(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!control) return 0;
  UiGreyQuery query{control, dialog, 0, (control->state & kControlGreyMask) >> kControlGreyShift, control->modelItem};
  FmBroadcastNotify(ctx, kNotifyGreyQuery, &query);
  const ModelItem* item = control->modelItem;
  if (query.handled || !item) {
    query.greyState = (control->state & kControlGreyMask) >> kControlGreyShift;
  } else {
    query.greyState = MdlIsRestricted(item, 0, ctx);
    if (query.greyState == 0 && IsValueList(item)) query.greyState = MdlIsRestricted(item, control->controlId, ctx);
  }
  control->state = static_cast<uint16_t>((control->state & ~kControlGreyMask) |
                                         ((query.greyState & 0x3) << kControlGreyShift));
  return query.greyState;
}

int UiCellsReadChangedOption(DriverContext* ctx, const RuleCell* cells) {
  if (!ctx || !cells) return 0;
  // A condition is short; the bound only protects against a list without its end cell.
  for (int i = 0; i < 4096; ++i) {
    const RuleCell& cell = cells[i];
    if (cell.op == kCellEnd || (cell.op == kCellOperator && cell.value == kCellEndValue)) return 0;
    if (cell.op == kCellPushOption)
      if (const OptionEntry* row = OptFind(ctx, cell.value); row && (row->stateBits & kOptionChangedBits)) return 1;
  }
  return 0;
}

int UiIsHiddenStale(DriverContext* ctx, ControlDescriptor* control) {
  if (!control) return 0;
  if ((control->state & kControlHiddenMask) != UiIsValueDisabled(ctx, control->modelItem, control->controlId)) return 1;
  return RuleReadsChangedOption(ctx, RuleOf(ctx, control->modelItem), false);
}

int UiIsGreyStale(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!control) return 0;
  const int before = (control->state & kControlGreyMask) >> kControlGreyShift;
  if (before != UiQueryControlGrey(ctx, dialog, control)) return 1;
  return RuleReadsChangedOption(ctx, RuleOf(ctx, control->modelItem), true);
}

void UiRestoreClassWndProcs(DriverContext*, HWND parent) {
  if (!parent) return;
  if (!FindWindowW(u"CorelDRAW 8.0", nullptr) && !FindWindowW(u"CorelDRAW 9.0", nullptr)) return;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    WCHAR className[49] = {};
    if (!GetClassNameW(child, className, 48)) continue;
    WNDCLASSEXW info{};
    info.cbSize = sizeof(WNDCLASSEXW);
    if (!GetClassInfoExW(nullptr, className, &info) || !info.lpfnWndProc) continue;
    SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(info.lpfnWndProc));
  }
}
