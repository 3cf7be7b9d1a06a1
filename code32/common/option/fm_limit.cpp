// Feature module 9, administrator limitations: what runs without a window.
#include "feature_modules.h"

// Capturing locked values (312), the locked header and footer font (328) and restoring locked
// options (10000-11995) are not built yet: no code is handled, so the broadcast goes on.
int FmLimitOnBuiltInFunc(DriverContext*, WORD, void*) { return 0; }

// Pushing the locks into the preset (59) and quality (60) files is not built yet: no code is
// handled.
int FmLimitOnNotify(DriverContext*, DWORD, void*, void*) { return 0; }
