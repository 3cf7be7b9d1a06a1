// The graphics module's entry points for the engine and its exports.
#pragma once

#include "win32/ddi.h"

constexpr ULONG kGrEntryCount = 35;

// The table handed to the engine by DrvEnableDriver (kGrEntryCount rows).
const DRVFN* GrEntryTable();

extern "C" {
BOOL WINAPI DrvQueryDriverInfo(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded);
BOOL WINAPI DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded);
VOID WINAPI DrvDisableDriver();
}

DHPDEV WINAPI DrvEnablePDEV(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat, HSURF* phsurfPatterns, ULONG cjCaps,
                            ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev, LPWSTR pwszDeviceName,
                            HANDLE hDriver);
VOID WINAPI DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev);
VOID WINAPI DrvDisablePDEV(DHPDEV dhpdev);
BOOL WINAPI DrvResetPDEV(DHPDEV dhpdevOld, DHPDEV dhpdevNew);
HSURF WINAPI DrvEnableSurface(DHPDEV dhpdev);
VOID WINAPI DrvDisableSurface(DHPDEV dhpdev);
