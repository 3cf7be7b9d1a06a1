// The administrator's installation file.
#include "context_services.h"

// Not built yet: no path, and the installation mark cannot be read or written.
const WCHAR* PathGetAdminIni(DriverContext*) { return nullptr; }
int CfgIsDrvInstSet(const WCHAR*, const WCHAR*) { return 0; }
int CfgWriteDrvInstSet(const WCHAR*, const WCHAR*, int) { return 0; }
