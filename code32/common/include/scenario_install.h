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

// The scenario installers (flags: 0x2 copy the listed files, 0x100 from an installation file,
// 0x1000 keep installed copies). 1 when done.
int CfgInstallScenarioPresets(const WCHAR* file, const WCHAR* section, DWORD flags, DriverContext* ctx, int oldCount,
                              void* snapshot);
int CfgInstallScenarioQualities(const WCHAR* file, const WCHAR* section, DWORD flags, DriverContext* ctx,
                                int oldCount, void* snapshot);
// The printer-configuration section, then both lists; 1 when both were installed.
int CfgInstallScenarioLists(const WCHAR* file, const WCHAR* section, DWORD flags, DriverContext* ctx);
// The file's default settings, custom sizes and watermarks into the context. 1.
int CfgLoadScenarioDefaults(const WCHAR* file, const WCHAR* section, DriverContext* ctx);
int CfgLoadScenarioFreeSizes(const WCHAR* file, const WCHAR* section, DriverContext* ctx);
int CfgLoadScenarioStamps(const WCHAR* file, const WCHAR* section, DriverContext* ctx);
