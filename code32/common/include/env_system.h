// The questions about the running system and the printer that the rest of the driver asks again
// and again: the spooler's printer and driver records, client connections, bidirectional
// communication, renamed printers, the Windows version, terminal-server mode, administrator
// rights, the host process and the help format; with the machine-wide mutex and the process
// locks, the driver's printer data and registry values, and the file operations.
#pragma once

#include "driver_context.h"
#include "env_mutex.h"
#include "path_files.h"
#include "prn_data.h"

// An export found with GetProcAddress as a function of its own type.
template <typename Fn>
Fn EnvProcAs(FARPROC proc) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

// The terminal-server check module in the driver directory and its export.
inline constexpr WCHAR kTerminalServerModule[] = u"QV00C150.dll";
inline constexpr char kTerminalServerExport[] = "_IsTSE_WMICOM_ZOLT_Printer_Driver";

// ---- Spooler records -----------------------------------------------------------------------
// A zero-filled block holding the record of the level (free with MdlFreeMem), or NULL. The size
// query must fail with ERROR_INSUFFICIENT_BUFFER and report a non-zero size.
void* PrnGetDriverInfo(HANDLE printer, DWORD level);
void* PrnGetPrinterInfo(HANDLE printer, DWORD level);
// The same without the test of a non-zero size.
void* JcGetPrinterInfo(HANDLE printer, DWORD level);
// Copies into the context's caches what they do not hold yet: remote state, qualified printer
// name, driver name, attributes and the plain printer name. NULL arguments: nothing.
void PrnCachePrinterInfo(const PRINTER_INFO_2W* pi2, DriverContext* ctx);
// mask & the printer's attributes (cached; 0 when the record cannot be read).
DWORD PrnTestAttributes(DWORD mask, DriverContext* ctx);
int PrnIsBidiEnabled(DriverContext* ctx);

// Client connections (printers reached through a print server).
int PrnIsRemotePrinter(DriverContext* ctx);  // cached in the work area
int PrnQueryIsRemote(DriverContext* ctx);    // fetches and caches the record
int PrnIsRemotePrinterHandle(HANDLE printer);  // uncached
int PrnIsLocalPrinterHandle(HANDLE printer);
int PrnQueryIsRemoteHandle(HANDLE printer);
int PrnInfoHasServer(const PRINTER_INFO_2W* pi2);
int PrnInfoIsRemote(const PRINTER_INFO_2W* pi2);
int PrnInfoIsLocal(const PRINTER_INFO_2W* pi2);

// 1 when the printer's stored name ("ZOLTPrinterName") is missing or differs from the record's.
int PrnWasRenamed(HANDLE printer, const PRINTER_INFO_2W* pi2);
// 1 when printer data "AdminChange" was read into *out and is non-zero.
int PrnReadAdminChange(HANDLE printer, DWORD* out);

// ---- System --------------------------------------------------------------------------------
// GetVersionExW into a zero-filled record of the short form.
BOOL EnvGetVersionInfo(OSVERSIONINFOW* out);
int EnvIsWin2000OrLater();     // cached per process; a failing query counts as no
int EnvIsServer2003OrLater();  // major > 4, not 5.0, not 5.1
int EnvIsVistaOrLater();       // major > 5
int EnvIsWin9x();              // VER_PLATFORM_WIN32_WINDOWS
int EnvIsWin2000BeforeSp4();   // 5.0 with service pack below 4
int EnvIsWin2000Sp4();         // 5.0 with service pack 4

// Terminal-server mode. Before Windows Server 2003, or without a printer, the system's suite
// decides; otherwise the answer of the check module in the driver directory (a missing module
// or export answers 0). The cached forms ask once per process.
int EnvQueryTerminalServer(HANDLE printer);
int EnvQueryTerminalServerForDriver(HANDLE printer, const WCHAR* driverPath);
int EnvQueryTerminalServerEx(HANDLE printer, const WCHAR* driverPath);
int EnvIsTerminalServerMode(HANDLE printer);
int EnvIsTerminalServerModeFor(HANDLE printer, const WCHAR* driverPath);
int EnvIsTerminalServerModeEx(HANDLE printer, const WCHAR* driverPath);

// Administrator: a context created with the no-check flag (0x200) counts as administrator;
// otherwise (and without a context) the caller's token is checked against BUILTIN\Administrators.
int EnvIsAdministrator(DriverContext* ctx);
int EnvCheckAdministratorToken();

// 1 when the host process is the Windows shell (explorer.exe in the Windows directory).
int EnvIsExplorerHost();

// Bit 0 of the model's help-type word of the running Windows generation (HTML help), and any
// bit of mask in that word.
int CfgUseHtmlHelp(DriverContext* ctx);
int CfgTestModelOsFlag(DriverContext* ctx, DWORD mask);

// Forgets the per-process answers (for tests that change the machine).
void EnvResetSystemCaches();
