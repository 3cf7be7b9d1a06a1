// Leftovers of client-side-rendering connections and per-user folder corrections.
//
// On Windows Vista and later the spooler may show a print server's printer as a connection named
// "\\CSR|server\name". Settings stored under such names (sections of the settings files, the
// installed presets and the installation files, and values under the job-code registry keys)
// are removed; a printer's own job-code values are deleted on request. The one-time move of a
// user's settings from the LocalLow folder into the per-user folder lives here too.
#pragma once

#include <string_view>

#include "driver_context.h"

// The marker at the start of a section or value name (two backslashes, "CSR", a vertical bar).
inline constexpr char kCsrMarker[] = "\\\\CSR|";
constexpr int kCsrMarkerBytes = 6;

// Events of CfgPurgeClientEntries.
enum : DWORD {
  kPurgeOnInitialise = 0,
  kPurgeOnConnectionAdded = 1,
  kPurgeOnUpgrade = 2,
  kPurgeOnDevmodeConversion = 3,
  kPurgeAfterEntryPoint = 4,
  kPurgePrinterJobCodes = 5,
};

int PrnIsCsrConnection(HANDLE printer, const PRINTER_INFO_2W* pi2);
int PrnLacksDsPrinterName(HANDLE printer);
// 0 done, 1 without printer information.
int CfgPurgeCsrLeftovers(HANDLE printer, PRINTER_INFO_2W* pi2);
int RegDeletePrinterJobCodes(HANDLE printer, PRINTER_INFO_2W* pi2);
int CfgPurgeClientEntries(HANDLE printer, PRINTER_INFO_2W* pi2, int mark, DWORD event);
// 2 the settings file needs cleaning, 0 it is clean or missing, 1 failure.
int CfgNeedsCsrCorrection(HANDLE printer, const PRINTER_INFO_2W* pi2, short perUser);
// 0, or 1 when a path cannot be formed.
int CfgPurgeCsrSettingsFiles(HANDLE printer, const PRINTER_INFO_2W* pi2, short perUser, int mark);
int CfgPurgeCsrInstallFiles(HANDLE printer, const PRINTER_INFO_2W* pi2, short system);
// The marked sections stripped from ANSI settings text: a '[' followed by the marker starts a
// skip that ends before the next '['; the lead bytes 0x81-0x9F and 0xE0-0xFC always keep the
// byte after them. True when something was removed; out receives the kept bytes.
bool IniStripCsrText(std::string_view text, std::string& out);
// Strips the file; 1 when it was read (and rewritten when something was removed).
int IniStripCsrSections(const WCHAR* path);
int RegPurgeCsrUserJobCodes();
int RegPurgeCsrMachineJobCodes();
int RegPurgeCsrValues(const WCHAR* subKey, HKEY root);
int RegDeleteUserJobCodes(const WCHAR* valueName);
int RegDeleteMachineJobCodes(const WCHAR* valueName);
int RegDeleteValueOf(const WCHAR* subKey, HKEY root, const WCHAR* valueName);
// The LocalLow move; 1 done or nothing to do, 0 on failure.
int CfgCorrectLocalLowIni(HANDLE printer, const PRINTER_INFO_2W* pi2);
