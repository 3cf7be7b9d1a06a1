// Installation defaults.
#include "install_defaults.h"

// not built yet: nothing is applied
int CfgApplyLocaleRegion(DriverContext*) { return 0; }
