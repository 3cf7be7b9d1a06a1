// The watermark stamp list.
#include "stamp_list.h"

// not built yet: nothing is reloaded; answers 0.
int CfgReloadCurrentStamp(void*, DriverContext*) { return 0; }
