// Feature module 3, colour matching: what runs without a window.
#include "feature_modules.h"

// The colour-matching profile list and its built-in functions (111-124, 308, 310, 311, 325)
// are not built yet: no code is handled.
int FmCmmOnBuiltInFunc(DriverContext*, WORD, void*) { return 0; }

// Notify codes 15, 16, 36, 56 and 58 belong to the profile list and the sample pictures, which
// are not built yet: no code is handled.
int FmCmmOnNotify(DriverContext*, DWORD, void*, void*) { return 0; }

// Items 1379-1381 read the profile list, which is not built yet; 0 until then, as every other
// item of the module.
DWORD FmGetCmmComputedItem(DriverContext*, WORD) { return 0; }
