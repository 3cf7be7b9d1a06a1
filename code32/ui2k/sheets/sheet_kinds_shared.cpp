// Helpers shared by the label, button, list, edit and slider kinds.
#include "env_language.h"
#include "sheet_kinds.h"

namespace sheet_kinds {

const ModelNumericValue* NumericRecord(DriverContext* ctx, const ControlDescriptor* control) {
  const ModelItem* item = control ? control->modelItem : nullptr;
  if (!ctx || !item || ModelItemKind(item->typeWord) != kItemNumeric) return nullptr;
  return MdlImageAt<ModelNumericValue>(ctx->modelImage, item->values);
}

const ModelStringValue* StringRecord(DriverContext* ctx, const ControlDescriptor* control) {
  const ModelItem* item = control ? control->modelItem : nullptr;
  if (!ctx || !item || ModelItemKind(item->typeWord) != kItemString) return nullptr;
  return MdlImageAt<ModelStringValue>(ctx->modelImage, item->values);
}

WCHAR* LoadText(DriverContext* ctx, uint16_t id, WCHAR* out) {
  out[0] = 0;
  if (id == 0 || EnvLoadString(ctx, id, out, kTextChars, 1) <= 0) out[0] = 0;
  out[kTextChars - 1] = 0;
  return out;
}

uint32_t OptionKind(const ControlDescriptor* control) {
  return control && control->option ? TypeKind(control->option->typeWord) : 0;
}

void NotifySheetChanged(DialogDescriptor* dialog) {
  if (!dialog || !dialog->window) return;
  if (HWND sheet = GetParent(dialog->window))
    SendMessageW(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(dialog->window), 0);
}

void ShowInformation(DriverContext* ctx, ControlDescriptor* control) {
  WCHAR* text = ctx->workArea->scratchText;
  LoadText(ctx, control->informationMessageId, text);
  MessageBoxW(control->window, text, u"Information", MB_ICONINFORMATION);
}

}  // namespace sheet_kinds
