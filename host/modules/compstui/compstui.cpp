// compstui.dll: the print system's common property-sheet host, which shows a printer module's
// document and device pages. The host library holds the implementation.
#include "win32/windows.h"

ZOLT_EXPORT LONG WINAPI CommonPropertySheetUIW(HWND hWndOwner, PFNPROPSHEETUI pfnPropSheetUI, LPARAM lParam,
                                               LPDWORD pResult) {
  return zolt::host::CommonPropertySheetHost(hWndOwner, pfnPropSheetUI, lParam, pResult);
}
