// Option validation and reset rules.
#include "opt_validation.h"

// not built yet: no user print macro counts as selected.
int OptGetUserMacroIndex(DriverContext*) { return -1; }
