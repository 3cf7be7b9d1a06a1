// Lock data, custom media and user permissions.
#include "lock_data.h"

// not built yet: nothing is read.
int PrnReadLockDefaultData(HANDLE, DriverContext*) { return 0; }

// not built yet: the options keep their values.
int CfgLoadUserInfoFunctions(DriverContext*) { return 0; }

// not built yet: the options keep their values.
int CfgLoadPrnInfoFunctions(DriverContext*) { return 0; }

// not built yet: no usable resolution list
int CfgGetResolutionListKind(DriverContext*) { return -1; }

// not built yet: no locked value is read
int PrnReadLockedValues(HANDLE, DriverContext*) { return 0; }
