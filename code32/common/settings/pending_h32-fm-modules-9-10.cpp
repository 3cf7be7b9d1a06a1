#include "pending_h32-fm-modules-9-10.h"

// placeholder until h30-presets lands: no presets.
int CfgGetPresetCount(DriverContext*) { return 0; }
