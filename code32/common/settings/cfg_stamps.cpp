// The watermark (stamp) list of the settings INI.
#include "stamp_list.h"

// not built yet: no stamp is stored, so the count is 0.
int CfgGetStampCount(DriverContext*) { return 0; }
// not built yet: nothing is loaded
int CfgLoadStamp(DriverContext*, int) { return 0; }
// not built yet: nothing is saved.
int CfgSaveStamp(DriverContext*, int) { return 0; }
