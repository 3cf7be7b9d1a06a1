// Definitions the sheet engine links against until the files that own them arrive in this
// branch; each entry goes when its owner's definition is merged.
#include "feature_modules.h"
#include "sheet_engine.h"

// combo boxes and lookups
int UiFillComboFromItem(DriverContext*, DialogDescriptor*, ControlDescriptor*) { return 0; }
void UiSelectComboByValue(DriverContext*, DialogDescriptor*, ControlDescriptor*) {}
void UiRefreshChangedCombo(DriverContext*, DialogDescriptor*, ControlDescriptor*) {}
int UiComboCommand(DriverContext*, DialogDescriptor*, ControlDescriptor*, WPARAM, LPARAM) { return 0; }
int UiDrawComboItem(DriverContext*, DialogDescriptor*, ControlDescriptor*, UINT, WPARAM, LPARAM) { return 0; }
void UiRepaintControl(DriverContext*, DialogDescriptor*, ControlDescriptor*) {}
ControlDescriptor* UiFindControlAtPoint(DialogDescriptor*, int, int) { return nullptr; }
void UiPageInitHook(DriverContext*) {}

// subclassing, hover help and rule messages
LRESULT CALLBACK UiControlWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* control = reinterpret_cast<ControlDescriptor*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!control || !control->savedWindowProc) return DefWindowProcW(window, msg, wParam, lParam);
  return CallWindowProcW(control->savedWindowProc, window, msg, wParam, lParam);
}
int UiStepToNextValue(DriverContext*, DialogDescriptor*, ControlDescriptor*, UINT, WPARAM, LPARAM) { return 0; }
void UiRemoveHoverTip(DriverContext*) {}
void UiHoverTipTimer(DriverContext*, HWND) {}
void UiMakeNoticeMarker(DriverContext*, DialogDescriptor*, ControlDescriptor*) {}
void UiRemoveNoticeMarker(DriverContext*, DialogDescriptor*, ControlDescriptor*) {}
int UiShowRuleMessage(DriverContext*, const AlertRow*, HWND) { return 0; }
int UiApplyControlChange(DriverContext*, DialogDescriptor*, ControlDescriptor*, uint32_t, int) { return 0; }
void UiRunBuiltInFunc(DriverContext* ctx, uint16_t code) { FmRunBuiltInFunc(ctx, code); }
int UiRunItemTransact(DriverContext*, DialogDescriptor*, const ModelItem*, uint16_t) { return 0; }

// apply and save of the sheets
int UiApplySheet(DriverContext*) { return 1; }


// page utilities
void UiFixUpPageTables(DriverContext*) {}
void UiRefreshPresetSelectors(DriverContext*) {}
void UiRefreshEditPageLists(DriverContext*) {}
void UiRefreshSourceCombos(DriverContext*) {}
void UiRefreshOutputTrayCombos(DriverContext*) {}
void UiRefreshPaperSizeCombos(DriverContext*) {}
