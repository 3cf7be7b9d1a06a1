// Definitions the sheet engine links against until the files that own them arrive in this
// branch; each entry goes when its owner's definition is merged.
#include "sheet_engine.h"

// sub-dialogs and context help
int UiRunSubDialog(DriverContext*, uint32_t, uint16_t, HWND) { return 0; }
void UiShowContextHelp(HWND, HWND, UINT) {}

// page utilities
void UiFixUpPageTables(DriverContext*) {}
void UiRefreshPresetSelectors(DriverContext*) {}
void UiRefreshEditPageLists(DriverContext*) {}
void UiRefreshSourceCombos(DriverContext*) {}
void UiRefreshOutputTrayCombos(DriverContext*) {}
void UiRefreshPaperSizeCombos(DriverContext*) {}

// previews (the picture painter of picture controls)
void UiDrawLayeredPicture(DriverContext*, DialogDescriptor*, ControlDescriptor*, HDC, RECT*) {}
