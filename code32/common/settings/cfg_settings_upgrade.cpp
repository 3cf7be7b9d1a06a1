// Settings-file maintenance after an installation or upgrade.
#include "settings_upgrade.h"

// not built yet: writes no key and answers 0.
int CfgRefreshDriverDefaultKeys(DriverContext*, DWORD, const WCHAR*) { return 0; }
// not built yet: nothing is imported or repaired.
int CfgImportDriverIniDefaults(HANDLE, void*, short, DriverContext*, PRINTER_INFO_2W*, DRIVER_INFO_2W*,
                               DRIVER_INFO_3W*) {
  return 0;
}
int CfgRepairListSections(DriverContext*) { return 0; }
