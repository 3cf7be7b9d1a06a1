// The driver's values in the printer's data (the spooler's per-printer store) and under the
// maker's key of HKEY_LOCAL_MACHINE: generic readers and writers, the fixed driver keys written
// at installation and upgrade, and the small registry switches.
#pragma once

#include "driver_context.h"

inline constexpr WCHAR kDriverRegKey[] = u"SOFTWARE\\Orvex\\ZoltDrv";
inline constexpr WCHAR kPrintLogRegKey[] = u"Software\\Orvex\\PrintLog";
inline constexpr WCHAR kCustomSetupRegKey[] = u"Software\\Orvex\\ZoltDrvCustomSetup";
inline constexpr WCHAR kStoredPrinterNameValue[] = u"ZOLTPrinterName";

// Add-on tools asked by RegIsAddOnInstalled.
enum : int {
  kAddOnJobBinding = 2,
  kAddOnPreview = 8,
};

// ---- Generic printer data ------------------------------------------------------------------
// 1 when GetPrinterDataW read the value into buffer (byteSize bytes); ctx is not used.
int PrnGetData(HANDLE printer, void* buffer, DWORD byteSize, const WCHAR* valueName, DriverContext* ctx);
int PrnSetBinary(HANDLE printer, const void* data, DWORD byteSize, const WCHAR* valueName, DriverContext* ctx);
int PrnSetString(HANDLE printer, const void* data, DWORD byteSize, const WCHAR* valueName, DriverContext* ctx);
int PrnSetData(HANDLE printer, const void* data, DWORD byteSize, DWORD type, const WCHAR* valueName,
               DriverContext* ctx);

// ---- Driver keys ---------------------------------------------------------------------------
// "SPLUserModePrinterDriver" and "DriverIniFileName" from the profile (each skipped when the
// profile has no name), then "DriverGRFileName" and "DriverEDFileName" (results not reported).
int PrnWriteDriverFileNames(HANDLE printer, DriverContext* ctx);
int PrnWriteGraphicsFileName(DriverContext* ctx);
int PrnWriteEdFileName(DriverContext* ctx);
int PrnWriteHelpFileName(DriverContext* ctx);
// Makes sure the print-log registry defaults exist; with writeName, "LogFileName" too.
int PrnWriteLogFileName(int writeName, DriverContext* ctx);
// The part after the last "\" of DRIVER_INFO_3.pDriverPath / pHelpFile into out (MAX_PATH).
int PrnGetDriverFileName(WCHAR* out, DriverContext* ctx);
int PrnGetHelpFileNameOfDriver(WCHAR* out, DriverContext* ctx);
// Printer data "HelpFileName" (the text is always terminated inside the buffer).
int PrnReadHelpFileName(WCHAR* buffer, DWORD byteSize, DriverContext* ctx);
int PrnReadHelpFileNameOf(WCHAR* buffer, DWORD byteSize, HANDLE printer);
// "ZOLTPrinterName": written from the record (or a fresh one), read with 522 bytes.
int PrnWriteStoredPrinterName(HANDLE printer, const PRINTER_INFO_2W* pi2);
// out: 261 characters, or NULL for the work area's plain printer name.
int PrnReadStoredPrinterName(HANDLE printer, WCHAR* out, DriverContext* ctx);
int PrnReadStoredPrinterNameOf(HANDLE printer, WCHAR* out);
int PrnWriteDriverName(HANDLE printer, const PRINTER_INFO_2W* pi2);
int PrnWritePermission(HANDLE printer, const void* data, DWORD byteSize);

// ---- Registry (HKEY_LOCAL_MACHINE) ---------------------------------------------------------
int RegReadMachineValue(const WCHAR* subKey, const WCHAR* valueName, void* buffer, DWORD byteSize,
                        DriverContext* ctx);
int RegQueryMachineValue(const WCHAR* subKey, const WCHAR* valueName, void* buffer, DWORD byteSize);
int RegWriteMachineValue(const WCHAR* subKey, const WCHAR* valueName, const void* data, DWORD byteSize,
                         DWORD type, DriverContext* ctx);
// The same on SOFTWARE\Orvex\ZoltDrv (the writer always REG_SZ).
int RegReadDriverValue(const WCHAR* valueName, void* buffer, DWORD byteSize);
int RegWriteDriverString(const WCHAR* valueName, const WCHAR* text, DWORD byteSize);
int RegIsAddOnInstalled(int kind, DriverContext* ctx);
int RegEnsurePrintLogDefaults(DriverContext* ctx);
int RegIsSaveDeviceSetupOn(DriverContext* ctx);
