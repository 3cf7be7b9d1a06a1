// Settings-file operations used by the custom-size slots.
#include "pending_h20-free-size.h"

// placeholder until h19-settings-files lands: nothing is read.
int CfgLoadSettingsFile(HANDLE, const WCHAR*, DWORD, DriverContext*) { return 0; }

// placeholder until h19-settings-files lands: nothing is written.
int CfgSaveSettingsFile(HANDLE, const WCHAR*, DWORD, DriverContext*) { return 0; }
