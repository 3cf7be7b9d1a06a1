// Definitions the sheet engine links against until the files that own them arrive in this
// branch; each entry goes when its owner's definition is merged.
#include "sheet_engine.h"

// sub-dialogs and context help
int UiRunSubDialog(DriverContext*, uint32_t, uint16_t, HWND) { return 0; }
void UiShowContextHelp(HWND, HWND, UINT) {}

// previews (the picture painter of picture controls)
void UiDrawLayeredPicture(DriverContext*, DialogDescriptor*, ControlDescriptor*, HDC, RECT*) {}

// sub-dialog helpers
void UiMeasureText(HDC dc, const WCHAR* text, SIZE* out) {
  *out = SIZE{};
  if (dc && text) GetTextExtentPoint32W(dc, text, lstrlenW(text), out);
}
