// Installation of scenario presets and quality files.
#pragma once

#include "driver_context.h"

// The installed default of a settings file (flags 4 preset, 0x10 quality) into out. 1/0.
int PathInstalledDefaultOf(WCHAR* out, const WCHAR* file, DWORD flags, DriverContext* ctx);
// Expands a listed file name into a path in place (size characters). 1 when non-empty.
int PathExpandInstallName(WCHAR* name, int size, DriverContext* ctx);
