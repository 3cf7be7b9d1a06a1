// Feature module 4, custom paper sizes: what runs without a window.
#include "feature_modules.h"

// The custom-size built-in functions (200-205) are not built yet: no code is handled.
int FmFreeSizeOnBuiltInFunc(DriverContext*, WORD, void*) { return 0; }

// The inch entry mode and the size ranges (codes 38-47, 51, 55) are not built yet: no code is
// handled.
int FmFreeSizeOnNotify(DriverContext*, DWORD, void*, void*) { return 0; }
