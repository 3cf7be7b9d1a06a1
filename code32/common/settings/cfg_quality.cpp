// The quality (user setting) list.
#include "quality_list.h"

// not built yet: no installed default is loaded.
int CfgLoadQualityDefault(void*, DriverContext*, int) { return 0; }
// not built yet: nothing is loaded
int CfgLoadQuality(DriverContext*, int) { return 0; }
// not built yet: nothing is saved
int CfgSaveQuality(DriverContext*, int) { return 0; }
