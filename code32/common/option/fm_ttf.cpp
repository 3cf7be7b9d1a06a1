// Feature module 7, TrueType font substitution: what runs without a window.
#include "feature_modules.h"

// The state of the device-font choice (code 3) is not built yet: no code is handled.
int FmTtfOnNotify(DriverContext*, DWORD, void*, void*) { return 0; }
