// The compact settings block carried inside the device mode.
#include "compact_settings.h"

// not built yet: nothing to import
int DmImportCompactSettings(DriverContext*, DEVMODEW*) { return 1; }
