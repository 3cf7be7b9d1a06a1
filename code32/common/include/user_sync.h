// Per-user and per-client copies of the settings and the installation stamps that decide when
// they are refreshed; the clean-up of what client-side-rendering connections leave behind.
#pragma once

#include "driver_context.h"

// Targets of the installation stamp: 2 the settings file of the settings folder, with
// "DrvFirstInstTime".
constexpr short kStampTargetSettingsDir = 2;

// Writes the installation stamp (terminal-server mode only); 1, also when nothing is written.
int CfgWriteInstallStampEx(HANDLE printer, short type, short target, const WCHAR* driverPath,
                           const PRINTER_INFO_2W* pi2);
int CfgWriteInstallStamp(HANDLE printer, short type, short target);

// Brings the per-user or client copy of the printer's settings up to date before an entry point
// works (flag bit 0: a client connection too). 1 when the caller may go on. Records given as
// NULL are fetched (and freed) by the call.
int CfgSyncUserSettings(HANDLE printer, DWORD flags, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
// Copies the installed preset and quality files into the per-user folder; non-zero on success.
int CfgCopyListFilesToUserFolder(HANDLE printer, PRINTER_INFO_2W* pi2);
// Refreshes a per-user settings copy; 1 on success.
int CfgRefreshUserCopy(HANDLE printer, short type);
int CfgRefreshUserCopyEx(HANDLE printer, short type, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
// Carries the administrator's batch defaults into the user's copy; 0 done, 1 failure.
int CfgApplyBatchDefaultsToUser(HANDLE printer, PRINTER_INFO_2W* pi2);
int CfgApplyBatchDefaultsToUserEx(HANDLE printer, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);

// Client-side-rendering leftovers.
// 1 on Windows Vista and later when the printer has no "DsSpooler" "printerName".
int PrnLacksDsPrinterName(HANDLE printer);
// 1 on Windows Vista and later when the printer's name begins "\\CSR|".
int PrnIsCsrConnection(HANDLE printer, const PRINTER_INFO_2W* pi2);
// Purge events 0-5; 0 done, 1 without printer information.
int CfgPurgeClientEntries(HANDLE printer, PRINTER_INFO_2W* pi2, int mark, DWORD event);
// Event 4 under the global mutex; event 5 (this printer's job codes).
int CfgPurgeCsrLeftovers(HANDLE printer, PRINTER_INFO_2W* pi2);
int RegDeletePrinterJobCodes(HANDLE printer, PRINTER_INFO_2W* pi2);
