// Option validation and the small getters of the reset rules.
#include "option_checks.h"

// not built yet: no slot
int OptGetSourceSizeSlot(DriverContext*) { return -1; }
// not built yet: no slot
int OptGetOutputSizeSlot(DriverContext*) { return -1; }
// not built yet: no watermark
int OptGetWatermarkId(DriverContext*) { return -1; }
// not built yet: no user macro
int OptGetUserMacroIndex(DriverContext*) { return -1; }
