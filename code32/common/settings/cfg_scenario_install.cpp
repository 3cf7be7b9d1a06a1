// Installation of scenario presets and quality files.
#include "scenario_install.h"

// not built yet: no installed default is known
int PathInstalledDefaultOf(WCHAR*, const WCHAR*, DWORD, DriverContext*) { return 0; }
// not built yet: no name is expanded
int PathExpandInstallName(WCHAR*, int, DriverContext*) { return 0; }
