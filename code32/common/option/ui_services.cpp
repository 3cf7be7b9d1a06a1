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

#if !ZOLT_WINDOW_BUILD
// The printer-interface module's sheet engine runs the dialogs; here there are none.
int UiRunSubDialog(DriverContext*, uint32_t, uint16_t, HWND) { return 0; }
#endif
