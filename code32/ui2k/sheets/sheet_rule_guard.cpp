// The rule-dialog guard and the small message helpers the control kinds share.
#include "sheet_engine.h"
#include "win32/comctl.h"

void UiClearRuleDialogGuard(DriverContext* ctx, UINT msg, WPARAM wParam, LPARAM lParam, int force) {
  SheetEngineState* state = UiSheetState(ctx);
  if (!state) return;
  bool clear = force != 0;
  if (msg == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    clear |= header && (header->code == static_cast<UINT>(PSN_APPLY) || header->code == static_cast<UINT>(PSN_RESET));
  } else if (msg == WM_COMMAND) {
    const WORD id = LOWORD(wParam);
    clear |= id == IDOK || id == IDCANCEL || id == IDYES || id == IDNO || id == IDCLOSE;
  }
  if (!clear) return;
  state->ruleGuardActive = 0;
  state->ruleGuardItem = nullptr;
}

WORD UiGetCommandCode(WPARAM wParam, LPARAM) { return HIWORD(wParam); }

int UiSameValue(int, int a, int b) { return a == b; }

int UiIsSettingsDialog(uint16_t dialogId) { return dialogId != 1020 && dialogId != 1025; }
