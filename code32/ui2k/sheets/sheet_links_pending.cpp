// Definitions the sheet engine links against until the files that own them arrive in this
// branch; each entry goes when its owner's definition is merged.
#include "sheet_engine.h"

// sub-dialogs and context help
int UiRunSubDialog(DriverContext*, uint32_t, uint16_t, HWND) { return 0; }
void UiShowContextHelp(HWND, HWND, UINT) {}

// previews (the picture painter of picture controls)
void UiDrawLayeredPicture(DriverContext*, DialogDescriptor*, ControlDescriptor*, HDC, RECT*) {}

// pages, control dispatch and control state (the engine's own files replace these)
int UiAddPropertyPages(DriverContext*, uint32_t) { return 0; }
void UiRefreshDialog(DriverContext*, DialogDescriptor*, int) {}
int UiInitControl(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  const ControlKindEntry* kind = control ? UiFindControlKind(control->kind) : nullptr;
  return kind && kind->init ? kind->init(ctx, dialog, control) : 0;
}
void UiRefreshControl(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  const ControlKindEntry* kind = control ? UiFindControlKind(control->kind) : nullptr;
  if (kind && kind->refresh) kind->refresh(ctx, dialog, control);
}
uint16_t UiGetItemValueId(DriverContext*, const ModelItem* item, const void* value, const ItemRuleRow** rows) {
  if (rows) *rows = nullptr;
  if (!item || !value) return 0;
  return static_cast<const ModelValue*>(value)->valueId;
}
WORD UiGetCommandCode(WPARAM wParam, LPARAM) { return HIWORD(wParam); }
void UiMeasureText(HDC dc, const WCHAR* text, SIZE* out) {
  *out = SIZE{};
  if (dc && text) GetTextExtentPoint32W(dc, text, lstrlenW(text), out);
}
