// Settings-file operations that the custom-size slots call and another change provides.
#pragma once

#include "driver_context.h"

// Loads (saves) one section of a settings file under the global mutex; flags choose the rows
// (0x80 the custom size, options 938-942; 0x200 the source custom size, options 943-947).
// 1/0; the load status is left in the work area.
int CfgLoadSettingsFile(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* ctx);
int CfgSaveSettingsFile(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* ctx);
