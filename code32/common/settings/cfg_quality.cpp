// The quality (user setting) list.
#include "quality_list.h"

// not built yet: no installed default is loaded.
int CfgLoadQualityDefault(void*, DriverContext*, int) { return 0; }
