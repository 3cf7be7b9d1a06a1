// Merging a caller's device mode into the context.
#include "devmode_merge.h"

// not built yet: nothing is merged
int DmMergeIncoming(DriverContext*, const DEVMODEW*, DWORD) { return 0; }
