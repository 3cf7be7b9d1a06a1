// Settings-file maintenance after an installation or upgrade: the driver-default keys of the
// printer section, the list defaults taken from the driver-directory defaults file and the
// settings-file format version.
#pragma once

#include "driver_context.h"

// Modes of CfgRefreshDriverDefaultKeys: 0 every default key from the driver defaults, 1 the
// applied scenario, 2 only the keys whose driver default is empty, 3 the applied and the
// installation scenario, 4 only the installation scenario (3 and 4: a NULL path deletes).
enum : DWORD {
  kDriverDefaultKeysAll = 0,
  kDriverDefaultKeysScenario = 1,
  kDriverDefaultKeysFill = 2,
  kDriverDefaultKeysBothScenarios = 3,
  kDriverDefaultKeysInstallScenario = 4,
};

// Notify code sent when the list defaults were (0) or were not (1) imported into a settings file.
constexpr DWORD kFmNotifyListDefaultsImported = 15;
struct FmListDefaultsParam {
  const WCHAR* driverIni;
  const WCHAR* settingsIni;
  int32_t skipped;
};

// Key lists of the list sections: custom sizes (5 option ids) and watermarks (27).
constexpr int kFreeSizeKeyCount = 5;
constexpr int kStampKeyCount = 27;
extern const uint16_t kFreeSizeKeyIds[kFreeSizeKeyCount];
extern const uint16_t kStampKeyIds[kStampKeyCount];

int CfgRefreshDriverDefaultKeys(DriverContext* ctx, DWORD mode, const WCHAR* path);
// 1 when the settings file's "RstVersion" is missing (*missing := 1) or of another major version
// than the driver's stored settings.
int CfgRstMajorDiffers(const WCHAR* settingsIni, int* missing, DriverContext* ctx);
int CfgCopyRstVersion(const WCHAR* settingsIni, const WCHAR* driverIni, DriverContext* ctx);
int CfgImportListDefaults(const WCHAR* settingsIni, const WCHAR* driverIni, DriverContext* ctx);

// The printer section of the driver-defaults file into a settings file (target 0 the shared
// settings folder's). 1/0.
int CfgImportDriverIniDefaults(HANDLE printer, void* reserved, short mode, DriverContext* ctx,
                               PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
// The driver-directory defaults into the settings file of the target (0 the shared settings
// folder's, 1 the context's own): mode 1 the format version, mode 0 the list defaults; then the
// printer information and the default scenario's custom sizes. Without a context one is made
// from the records (mode 1 does nothing once the driver scenario was imported). 1/0.
int CfgImportDriverIniDefaultsEx(HANDLE printer, HANDLE printer2, short mode, DriverContext* ctx, short target,
                                 PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
// The custom-size keys the driver's default scenario gives, into the settings file; then the
// mark [BatchInstallDone] of the driver defaults with their date kept (keep-time mode 1: 0 when
// the date cannot be read). 1/0.
int CfgImportScenarioFreeSizes(const WCHAR* settingsIni, const WCHAR* driverIni, DriverContext* ctx,
                               short keepTimeMode);
// Brings the custom-size and watermark list sections of the settings file into step. 1/0.
int CfgRepairListSections(DriverContext* ctx);
