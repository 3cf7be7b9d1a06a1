// Definitions the sheet engine links against until the files that own them arrive in this
// branch; each entry goes when its owner's definition is merged.
#include "sheet_engine.h"

// pages, the common dialog procedure and control state
int UiAddPropertyPages(DriverContext*, uint32_t) { return 0; }
INT_PTR CALLBACK UiPageDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK UiCommonDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void UiRefreshDialog(DriverContext*, DialogDescriptor*, int) {}
void UiClearOptionChanges(DriverContext*) {}
void UiRestoreClassWndProcs(DriverContext*, HWND) {}

// page utilities
void UiFixUpPageTables(DriverContext*) {}
void UiRefreshPresetSelectors(DriverContext*) {}
void UiRefreshEditPageLists(DriverContext*) {}
void UiRefreshSourceCombos(DriverContext*) {}
void UiRefreshOutputTrayCombos(DriverContext*) {}
void UiRefreshPaperSizeCombos(DriverContext*) {}
void UiRefreshWatermarkCombo(DriverContext*) {}
