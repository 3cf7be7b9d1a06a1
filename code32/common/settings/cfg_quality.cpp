// The quality (user setting) list of the settings file.
#include "quality_list.h"

// not built yet: nothing is loaded
int CfgLoadQuality(DriverContext*, int) { return 0; }
// not built yet: nothing is saved
int CfgSaveQuality(DriverContext*, int) { return 0; }
