// Device modes and quality data of the ZOLTDrv interface, and the after-change pass that every
// device-mode path and every status change runs.
#pragma once

#include <cstdint>

#include "driver_context.h"
#include "win32/windows.h"

// Merge flags of this module: merging a copy of its own device mode, or a caller's.
constexpr DWORD kApiMergeOwn = 0x2260000A;
constexpr DWORD kApiMergeCaller = 0x2220000A;

// Flags of ZOLTDrvGetDevmode.
enum : uint32_t {
  kApiDmDefaults = 0x1,
  kApiDmPrinterDefault = 0x2,
  kApiDmCurrent = 0x4,
  kApiDmValidate = 0x8,  // ZOLTDrvGetDevmodeEx only, alone
  kApiDmRefreshDevice = 0x10,
  kApiDmNotification = 0x20,
  kApiDmScenarioPresets = 0x40,
};

// The driver's defaults as ZOLTDrvGetDevmode gives them for flag 1, on a context the caller
// made: the size, or -1.
int32_t ApiFetchDefaultDevMode(DriverContext* ctx, HANDLE printer, DEVMODEW* out);
int ApiMergeDevMode(DriverContext* ctx, const DEVMODEW* dm, DWORD flags);
int ApiMergeAndKeepCustomSize(DriverContext* ctx, const DEVMODEW* dm);
void ApiFixFinishingAfterChange(DriverContext* ctx, const DEVMODEW* dm);
void ApiPrepareDevMode(DriverContext* ctx, uint32_t flags);
void ApiSetOptionsFromModel(DriverContext* ctx);
int ApiNeedsResolution600(DriverContext* ctx);
int32_t ApiReadImageValue(DriverContext* ctx, const OptionEntry* row, const BYTE* image);

// A switch tried on a copy of the device mode: 1 when the sub-option keeps the value with the
// switch on (status handlers of the function switches).
int ApiTrySwitchedValue(DriverContext* ctx, uint32_t id, uint16_t switchOption, uint16_t subOption, int32_t value);

ZOLT_EXPORT int32_t WINAPI ZOLTDrvGetDevmode(DriverContext* ctx, uint32_t flags, DEVMODEW* out);
ZOLT_EXPORT int32_t WINAPI ZOLTDrvGetDevmodeEx(DriverContext* ctx, uint32_t flags, DEVMODEW* out, const DEVMODEW* input,
                                               void* reserved);
ZOLT_EXPORT int32_t WINAPI ZOLTDrvSaveQualityData(DriverContext* ctx);
ZOLT_EXPORT int32_t WINAPI ZOLTDrvRestoreQualityData(DriverContext* ctx);
