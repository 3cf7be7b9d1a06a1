// The preset list of the printer's settings section.
#include "context_services.h"
#include "preset_list.h"

// The printer's section name is not built yet.
WCHAR* CfgPrinterSection(DriverContext*) { return nullptr; }

// not built yet: no module is asked
int CfgEnsureModuleSetup(DriverContext*) { return 0; }
