// Lock data, custom media and user permissions.
#include "lock_data.h"

// not built yet: no usable resolution list
int CfgGetResolutionListKind(DriverContext*) { return -1; }
