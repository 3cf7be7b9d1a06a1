// Installation of scenario presets and quality files: the names listed in scenario packages and
// installation lists resolved to paths.
#pragma once

#include "driver_context.h"

// The installed default of a settings file (flags 4 preset, 0x10 quality) into out. 1/0.
int PathInstalledDefaultOf(WCHAR* out, const WCHAR* file, DWORD flags, DriverContext* ctx);

// Modes of PathExpandInstallNameEx: 0 names of installation files (system directory), 1 names of
// scenario lists (driver directory and shared settings folder on Windows 2000 and later).
enum : short {
  kExpandForSystem = 0,
  kExpandForScenario = 1,
};
// Expands a listed name in place (size characters); 1 when the result is non-empty.
int PathExpandInstallNameEx(WCHAR* name, int size, short mode, DriverContext* ctx);
// Scenario lists: mode 1, and the name must have an extension of 1-3 characters.
int PathExpandInstallName(WCHAR* name, int size, DriverContext* ctx);
int PathExpandInstallNameForSystem(WCHAR* name, int size, DriverContext* ctx);
