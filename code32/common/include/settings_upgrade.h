// Settings-file maintenance after an installation or upgrade: the driver-default keys of the
// printer section.
#pragma once

#include "driver_context.h"

// Modes of CfgRefreshDriverDefaultKeys: 0 every default key from the driver defaults, 2 only the
// keys whose driver default is empty, 3 and 4 the scenario keys := path.
enum : DWORD {
  kDriverDefaultKeysAll = 0,
  kDriverDefaultKeysFill = 2,
};

int CfgRefreshDriverDefaultKeys(DriverContext* ctx, DWORD mode, const WCHAR* path);

// The printer section of the driver-defaults file into a settings file (target 0 the shared
// settings folder's). 1/0.
int CfgImportDriverIniDefaults(HANDLE printer, void* reserved, short mode, DriverContext* ctx,
                               PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
// Brings the custom-size and watermark list sections of the settings file into step. 1/0.
int CfgRepairListSections(DriverContext* ctx);
