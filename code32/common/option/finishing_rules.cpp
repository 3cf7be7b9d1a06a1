// The computed finishing and tray rules.
#include "finishing_rules.h"

// not built yet: no cap
WORD OptGetResolutionCap(DriverContext*, int) { return 0; }
