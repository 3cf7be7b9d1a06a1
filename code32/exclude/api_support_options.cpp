// Whether the model offers an option or a value in the current state, and the model's rules run
// without dialogs.
#include "api_support.h"
#include "mdl_query_internal.h"
#include "model_query.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_validation.h"

namespace {

// Calls fn for every model item of the option, in the model's order.
template <typename Fn>
void ForEachItemOf(DriverContext* ctx, uint16_t option, Fn fn) {
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  if (!image || !option) return;
  uint32_t limit = MdlWalkLimit(image, sizeof(ModelItem));
  for (const ModelItem* i = MdlImageAt<ModelItem>(image, image->header.firstItem); i && limit--;
       i = MdlImageAt<ModelItem>(image, i->next))
    if (i->settingId == option) fn(i);
}

bool IsDisabled(DriverContext* ctx, const ModelItem* item, uint16_t value) { return MdlIsDisabled(item, value, ctx) == 1; }
bool IsRestricted(DriverContext* ctx, const ModelItem* item, uint16_t value) { return MdlIsRestricted(item, value, ctx) == 1; }

}  // namespace

const ModelItem* ApiFindOptionItem(DriverContext* ctx, uint16_t option) {
  if (!ctx || !ctx->modelImage) return nullptr;
  if (const PageControlEntry* entry = OptFindPageControl(option)) {
    DialogDescriptor* dialog = OptFindDialog(ctx, entry->dialogId);
    ControlDescriptor* control = dialog ? OptFindControl(ctx, dialog, entry->controlId) : nullptr;
    if (control && (dialog->kindFlags & (kDialogDocumentPage | kDialogUndoOnCancel)) &&
        MdlIsItemKeyDisabled(ctx, dialog->nameIndex) == 0) {
      if (const ModelItem* item = MdlGetItemByKey(control->nameIndex, ctx)) return item;
    }
  }
  return MdlFindActiveItem(option, ctx);
}

int ApiHasItem(DriverContext* ctx, uint16_t option) { return MdlFindActiveItem(option, ctx) ? 1 : 0; }

int ApiIsOptionSelectable(DriverContext* ctx, uint16_t option) {
  const ModelItem* item = MdlFindActiveItem(option, ctx);
  if (!item) return 0;
  if (!OptFindControlBySymbol(ctx, nullptr, item->nameIndex)) return 0;
  return IsDisabled(ctx, item, 0) ? 0 : 1;
}

int ApiIsOptionAvailable(DriverContext* ctx, uint16_t option, uint16_t valueId, int flags) {
  if (!ApiHasItem(ctx, option)) return 0;
  const ModelItem* item = ApiFindOptionItem(ctx, option);
  if (!item) return 0;
  if ((flags & 1) && IsDisabled(ctx, item, valueId)) return 0;
  if ((flags & 2) && IsRestricted(ctx, item, valueId)) return 0;
  return 1;
}

int ApiIsItemUsableOnDialog(DriverContext* ctx, uint16_t option, uint16_t dialogId) {
  const ModelItem* item = MdlFindActiveItem(option, ctx);
  DialogDescriptor* dialog = item ? OptFindDialog(ctx, dialogId) : nullptr;
  if (!dialog || !OptFindControlBySymbol(ctx, dialog, item->nameIndex)) return 0;
  return IsDisabled(ctx, item, 0) ? 0 : 1;
}

int ApiIsControlUsable(DriverContext* ctx, uint16_t dialogId, uint16_t controlId, int flags) {
  DialogDescriptor* dialog = OptFindDialog(ctx, dialogId);
  ControlDescriptor* control = dialog ? OptFindControl(ctx, dialog, controlId) : nullptr;
  if (!control || !control->nameIndex) return 0;
  if ((flags & 1) && ApiIsKeyDisabled(ctx, control->nameIndex, 0) == 1) return 0;
  if (flags & 2) return ApiIsKeyRestricted(ctx, control->nameIndex, 0) != 1 ? 1 : 0;
  return 1;
}

uint16_t ApiFindValueByCode(DriverContext* ctx, uint16_t option, uint32_t code) {
  const ModelItem* item = MdlFindActiveItem(option, ctx);
  if (!item) return 0;
  if (!ModelIsListKind(item->typeWord)) return 0;
  const ModelImage* image = ctx->modelImage;
  uint32_t limit = MdlWalkLimit(image, sizeof(ModelListValue));
  for (const ModelListValue* v = MdlImageAt<ModelListValue>(image, item->values); v && limit--;
       v = MdlImageAt<ModelListValue>(image, v->next)) {
    const ValueNameEntry* name = OptFindValueSymbol(option, v->valueId);
    if (name && name->kind != 0 && name->second == code) return v->valueId;
  }
  return 0;
}

const ExclusiveRule* ApiFindItemRule(DriverContext* ctx, uint16_t option) {
  if (!option) return nullptr;
  const ModelItem* item = MdlFindActiveItem(option, ctx);
  return item ? MdlItemRule(ctx->modelImage, item) : nullptr;
}

int ApiIsRuleValueDisabled(DriverContext* ctx, const ExclusiveRule* rule, uint16_t valueId) {
  if (!rule) return -1;
  if (valueId && !MdlFindValueRow(ctx->modelImage, rule, valueId)) return 1;
  return MdlEvalDisabledRule(rule, valueId, ctx) ? 1 : 0;
}

int ApiIsValueDisabled(DriverContext* ctx, uint16_t option, uint16_t valueId) {
  const ExclusiveRule* rule = ApiFindItemRule(ctx, option);
  return rule ? ApiIsRuleValueDisabled(ctx, rule, valueId) : -1;
}

int ApiIsKeyDisabled(DriverContext* ctx, uint16_t key, uint16_t valueId) {
  const ExclusiveRule* rule = MdlFindRuleByKey(key, ctx);
  return rule ? (MdlEvalDisabledRule(rule, valueId, ctx) ? 1 : 0) : -1;
}

int ApiIsKeyRestricted(DriverContext* ctx, uint16_t key, uint16_t valueId) {
  const ExclusiveRule* rule = MdlFindRuleByKey(key, ctx);
  return rule ? (MdlEvalRestrictedRule(rule, valueId, ctx) ? 1 : 0) : -1;
}

int ApiAlertRaisesMessage(DriverContext* ctx, uint16_t option, uint16_t stringId, int32_t trial, int trialFlag) {
  OptionEntry* row = OptFind(ctx, option);
  if (!row) return 0;
  const int32_t previous = OptReadValue(ctx, row);
  if (trialFlag == 1) OptWriteValue(ctx, row, trial);
  int answer = 0;
  if (const ModelItem* item = MdlFindActiveItem(option, ctx)) {
    if (const uint16_t alert = MdlGetAlertMessage(item, ctx)) {
      const MessageEntry* message = OptFindMessage(ctx, alert);
      answer = message && message->stringId == stringId ? 1 : 0;
    }
  }
  OptWriteValue(ctx, row, previous);
  return answer;
}

int ApiTestItemValue(DriverContext* ctx, uint16_t option, int32_t value) {
  OptionEntry* row = OptFind(ctx, option);
  const ModelItem* item = MdlFindActiveItem(option, ctx);
  if (!row || !item) return 0;
  return OptCheckValueAgainstModel(row, option, value, ctx, item);
}

void ApiRunOptionRules(DriverContext* ctx, uint16_t option) {
  ForEachItemOf(ctx, option, [&](const ModelItem* item) { MdlRunItemTransact(item, ctx); });
}

void ApiRunOptionAlerts(DriverContext* ctx, uint16_t option) {
  ForEachItemOf(ctx, option, [&](const ModelItem* item) {
    if (const uint32_t alerts = MdlItemAlerts(item, ctx)) MdlRunAlertActions(alerts, item->nameIndex, ctx);
  });
}
