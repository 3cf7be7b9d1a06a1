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
