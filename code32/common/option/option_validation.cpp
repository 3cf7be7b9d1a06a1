// Option validation against the model and the reset rules.
#include "option_validation.h"

// not built yet: every paper passes, so the model's paper geometry alone decides.
int DmIsValidPaper(int32_t, DriverContext*) { return 1; }

// not built yet: no rule is applied; answers 0.
int DmApplyResetRules(BYTE*, DriverContext*, DWORD) { return 0; }
