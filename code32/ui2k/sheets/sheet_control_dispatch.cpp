// Dispatch of the engine's calls to the control kinds: every call is first offered to the
// OnDialog chain of the feature modules where the contract says so, then to the kind's slot.
#include "feature_modules.h"
#include "sheet_engine.h"

namespace {

constexpr uint16_t kKindSlider = 84;
constexpr uint16_t kPresetIconList = 2001;

}  // namespace

int UiInitControl(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!control) return 0;
  if (FmDispatchDialogMessage(ctx, dialog, control, WM_INITDIALOG, 0, 0) == 1) return 0;
  const ControlKindEntry* kind = UiFindControlKind(control->kind);
  if (!kind) return 0;
  if (kind->windowProc && !control->savedWindowProc && control->window) {
    control->savedWindowProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control->window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kind->windowProc)));
    SetWindowLongPtrW(control->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
  }
  return kind->init ? kind->init(ctx, dialog, control) : 0;
}

void UiRefreshControl(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!control) return;
  if (FmDispatchDialogMessage(ctx, dialog, control, WM_PAINT, 0, 0) == 1) return;
  const ControlKindEntry* kind = UiFindControlKind(control->kind);
  if (kind && kind->refresh) kind->refresh(ctx, dialog, control);
}

int UiDispatchControlCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                             LPARAM lParam) {
  const ControlKindEntry* kind = control ? UiFindControlKind(control->kind) : nullptr;
  return kind && kind->command ? kind->command(ctx, dialog, control, wParam, lParam) : 0;
}

int UiOfferControlCommand(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WPARAM wParam,
                          LPARAM lParam) {
  if (!control) return 0;
  int handled = FmDispatchDialogMessage(ctx, dialog, control, WM_COMMAND, wParam, lParam);
  if (handled != 1) {
    handled = 0;
    if (control->controlId == LOWORD(wParam)) handled = UiDispatchControlCommand(ctx, dialog, control, wParam, lParam);
  }
  if (handled && dialog && dialog->window) PostMessageW(dialog->window, WM_PAINT, 0, 0);
  return handled ? 1 : 0;
}

int UiDispatchControlMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                             WPARAM wParam, LPARAM lParam) {
  if (!control || (msg == WM_LBUTTONDOWN && control->kind == kKindSlider)) return 0;
  const ControlKindEntry* kind = UiFindControlKind(control->kind);
  return kind && kind->message ? kind->message(ctx, dialog, control, msg, wParam, lParam) : 0;
}

int UiOfferControlMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg,
                          WPARAM wParam, LPARAM lParam) {
  if (!control) return 0;
  if (msg == WM_RBUTTONDOWN && control->controlId == kPresetIconList) return 0;
  if (control->state & kControlHiddenMask) return 0;
  int handled = FmDispatchDialogMessage(ctx, dialog, control, msg, wParam, lParam) == 1;
  if (!handled) handled = UiDispatchControlMessage(ctx, dialog, control, msg, wParam, lParam) != 0;
  if (handled && msg != WM_DRAWITEM && msg != WM_CTLCOLORLISTBOX && msg != WM_CTLCOLORSCROLLBAR && dialog &&
      dialog->window)
    PostMessageW(dialog->window, WM_PAINT, 0, 0);
  return handled ? 1 : 0;
}

void UiSelectComboByItemData(DriverContext* ctx, DialogDescriptor* dialog, uint16_t controlId, LPARAM itemData) {
  ControlDescriptor* control = OptFindControl(ctx, dialog, controlId);
  if (!control || !control->window) return;
  const LRESULT count = SendMessageW(control->window, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i)
    if (SendMessageW(control->window, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == itemData) {
      SendMessageW(control->window, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      break;
    }
  UiDispatchControlCommand(ctx, dialog, control, 0x10000, reinterpret_cast<LPARAM>(control->window));
}
