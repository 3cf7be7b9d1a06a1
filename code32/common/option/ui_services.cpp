// The sheet engine's built-in functions of rule actions, and the spooler-rights pair of the
// printer-interface entry points.
#include "ui_services.h"

#include "feature_modules.h"
#include "option_context_words.h"
#include "option_values.h"
#include "win32/windows.h"

namespace {
// Pending-update class that makes the sheet engine rebuild the open dialog.
constexpr uint32_t kPendingClearDialog = 0x10000000;
UiSubDialogRunner g_subDialogRunner = nullptr;
}  // namespace

void UiRunBuiltInFunc(DriverContext* ctx, WORD code) {
  if (!ctx) return;
  switch (code) {
    case kBuiltInFuncRate:
    case kBuiltInFuncPaperFreeSize:
    case kBuiltInFuncPrintFreeSize:
      OptRefreshPaperSettings(ctx, code);
      break;
    case kBuiltInFuncClearDialog:
      CtxAddPendingFlags(ctx, kPendingClearDialog);
      break;
    default:
      FmRunBuiltInFunc(ctx, code);
      break;
  }
}

HANDLE UiRevertToPrinterSelf() { return RevertToPrinterSelf(); }

BOOL UiImpersonatePrinterClient(HANDLE token) { return token ? ImpersonatePrinterClient(token) : FALSE; }

void UiSetSubDialogRunner(UiSubDialogRunner runner) { g_subDialogRunner = runner; }

int UiRunSubDialog(DriverContext* ctx, uint16_t dialogId, DWORD kind) {
  return g_subDialogRunner ? g_subDialogRunner(ctx, dialogId, kind) : 0;
}
