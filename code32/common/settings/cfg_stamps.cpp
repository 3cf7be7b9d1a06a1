// The watermark (stamp) list of the settings file.
#include "stamp_list.h"

// not built yet: no stamps are counted
int CfgGetStampCount(DriverContext*) { return 0; }
// not built yet: nothing is loaded
int CfgLoadStamp(DriverContext*, int) { return 0; }
// not built yet: nothing is saved
int CfgSaveStamp(DriverContext*, int) { return 0; }
