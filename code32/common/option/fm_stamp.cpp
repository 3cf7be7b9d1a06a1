// Feature module 2, watermarks: what runs without a window.
#include "feature_modules.h"

// Built-in function 327 saves the current watermark as a stamp of the list; the stamp list is
// not built yet, so no code is handled here.
int FmStampOnBuiltInFunc(DriverContext*, WORD, void*) { return 0; }
