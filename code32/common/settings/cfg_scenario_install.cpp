// Installation of scenario presets and quality files.
#include "scenario_install.h"

// not built yet: no installed default is known
int PathInstalledDefaultOf(WCHAR*, const WCHAR*, DWORD, DriverContext*) { return 0; }
// not built yet: no name is expanded
int PathExpandInstallName(WCHAR*, int, DriverContext*) { return 0; }
// not built yet: no list is installed, nothing is loaded
int CfgInstallScenarioPresets(const WCHAR*, const WCHAR*, DWORD, DriverContext*, int, void*) { return 0; }
int CfgInstallScenarioQualities(const WCHAR*, const WCHAR*, DWORD, DriverContext*, int, void*) { return 0; }
int CfgInstallScenarioLists(const WCHAR*, const WCHAR*, DWORD, DriverContext*) { return 0; }
int CfgLoadScenarioDefaults(const WCHAR*, const WCHAR*, DriverContext*) { return 0; }
int CfgLoadScenarioFreeSizes(const WCHAR*, const WCHAR*, DriverContext*) { return 0; }
int CfgLoadScenarioStamps(const WCHAR*, const WCHAR*, DriverContext*) { return 0; }
