// Per-user and per-client copies of the settings and the installation stamps that decide when
// they are refreshed.
#pragma once

#include "driver_context.h"

// Targets of the installation stamp: 2 the settings file of the settings folder, with
// "DrvFirstInstTime".
constexpr short kStampTargetSettingsDir = 2;

// Writes the installation stamp (terminal-server mode only); 1, also when nothing is written.
int CfgWriteInstallStampEx(HANDLE printer, short type, short target, const WCHAR* driverPath,
                           const PRINTER_INFO_2W* pi2);
