// The system and printer questions the settings code asks (spooler records, remote printers,
// Windows versions, terminal-server mode), the driver's own printer data and registry values,
// and the basic file operations the folder and INI code rely on.
#pragma once

#include "driver_context.h"

// An export found with GetProcAddress as a function of its own type.
template <typename Fn>
Fn EnvProcAs(FARPROC proc) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

// ---- Files ---------------------------------------------------------------------------------
// 1 when the folder exists afterwards (created, or already there); parents are not created.
int PathEnsureDir(const WCHAR* path);
// count when the read succeeds, -1 when it fails.
int PathReadFileBytes(HANDLE file, void* buffer, DWORD count);

// ---- Spooler records -----------------------------------------------------------------------
// A zero-filled block holding the record of the level (free with MdlFreeMem), or NULL.
void* PrnGetDriverInfo(HANDLE printer, DWORD level);
void* PrnGetPrinterInfo(HANDLE printer, DWORD level);
// Copies into the context's caches what they do not hold yet: remote state, qualified printer
// name, driver name, attributes and the plain printer name. NULL arguments: nothing.
void PrnCachePrinterInfo(const PRINTER_INFO_2W* pi2, DriverContext* ctx);

// Client connections (printers reached through a print server).
int PrnIsRemotePrinter(DriverContext* ctx);   // cached in the work area
int PrnIsRemotePrinterHandle(HANDLE printer);  // uncached
int PrnInfoIsRemote(const PRINTER_INFO_2W* pi2);

// ---- System --------------------------------------------------------------------------------
int EnvIsWin2000OrLater();     // cached per process
int EnvIsServer2003OrLater();  // major > 4, not 5.0, not 5.1
int EnvIsVistaOrLater();
// Terminal-server mode, asked once per process: before Windows Server 2003 or without a
// printer the system's suite; otherwise the answer of the check module in the driver folder.
int EnvIsTerminalServerMode(HANDLE printer);
int EnvIsTerminalServerModeFor(HANDLE printer, const WCHAR* driverPath);
int EnvQueryTerminalServerEx(HANDLE printer, const WCHAR* driverPath);  // uncached
// 1 when the model uses HTML help on the running Windows generation.
int CfgUseHtmlHelp(DriverContext* ctx);
// Forgets the per-process answers (for tests that change the machine).
void EnvResetSystemCaches();

// ---- Printer data and registry values of the driver ----------------------------------------
// 1 when GetPrinterDataW read the value into buffer (byteSize bytes).
int PrnGetData(HANDLE printer, void* buffer, DWORD byteSize, const WCHAR* valueName, DriverContext* ctx);
// The file-name part of DRIVER_INFO_3.pHelpFile (out: 260 characters); 1/0.
int PrnGetHelpFileNameOfDriver(WCHAR* out, DriverContext* ctx);
// Printer data "HelpFileName"; 1/0.
int PrnReadHelpFileName(WCHAR* buffer, DWORD byteSize, DriverContext* ctx);
int PrnReadHelpFileNameOf(WCHAR* buffer, DWORD byteSize, HANDLE printer);
// A value of HKEY_LOCAL_MACHINE "SOFTWARE\Orvex\ZoltDrv"; 1 when it was read.
int RegReadDriverValue(const WCHAR* valueName, void* buffer, DWORD byteSize);
