// INTERIM: the folder and path helpers of the settings-folder work, reduced to what the file
// operations, the environment and the printer-data code call. The settings-folder work brings
// the full header and replaces this one and settings_paths_interim.cpp; the declarations are
// the same.
#pragma once

#include "driver_context.h"

int PathGetDriverDirOf(HANDLE printer, WCHAR* buf, int size);
int PathGetDriverDirOfPath(HANDLE printer, WCHAR* buf, int size, const WCHAR* driverPath);
int PathGetSettingsDir(WCHAR* buf, int size, DriverContext* ctx);
int PathGetUserDir(WCHAR* buf, int size, DriverContext* ctx);
WCHAR* PathGetDriverIni(DriverContext* ctx);
int PathInWindowsDir(WCHAR* dst, int size, const WCHAR* name);
int PathInSystemDir(WCHAR* dst, int size, const WCHAR* name);
int PathInDriverDir(WCHAR* dst, int size, const WCHAR* name, HANDLE printer);
int PathInDriverDirOf(WCHAR* dst, int size, const WCHAR* name, HANDLE printer, const WCHAR* driverPath);
