// Per-user and per-client synchronisation, and the leftovers of client-side rendering.
#include "user_sync.h"

#include "context_services.h"
#include "env_mutex.h"
#include "env_system.h"
#include "win32/windows.h"

// not built yet: no stamp is written (as outside terminal-server mode).
int CfgWriteInstallStampEx(HANDLE, short, short, const WCHAR*, const PRINTER_INFO_2W*) { return 1; }
int CfgWriteInstallStamp(HANDLE printer, short type, short target) {
  return CfgWriteInstallStampEx(printer, type, target, nullptr, nullptr);
}

// not built yet: the copies of a local printer outside terminal-server mode need nothing, which
// is what these answer for every printer.
int CfgSyncUserSettings(HANDLE, DWORD, PRINTER_INFO_2W*, DRIVER_INFO_2W*, DRIVER_INFO_3W*) { return 1; }
int CfgCopyListFilesToUserFolder(HANDLE, PRINTER_INFO_2W*) { return 1; }
int CfgRefreshUserCopyEx(HANDLE, short, PRINTER_INFO_2W*, DRIVER_INFO_2W*, DRIVER_INFO_3W*) { return 1; }
int CfgRefreshUserCopy(HANDLE printer, short type) {
  return CfgRefreshUserCopyEx(printer, type, nullptr, nullptr, nullptr);
}
int CfgApplyBatchDefaultsToUserEx(HANDLE, PRINTER_INFO_2W*, DRIVER_INFO_2W*, DRIVER_INFO_3W*) { return 0; }
int CfgApplyBatchDefaultsToUser(HANDLE printer, PRINTER_INFO_2W* pi2) {
  return CfgApplyBatchDefaultsToUserEx(printer, pi2, nullptr, nullptr);
}

int PrnLacksDsPrinterName(HANDLE printer) {
  if (!EnvIsVistaOrLater()) return 0;
  BYTE buffer[260];
  DWORD type = 0, needed = 0;
  return GetPrinterDataExW(printer, u"DsSpooler", u"printerName", &type, buffer, sizeof buffer, &needed) !=
                 ERROR_SUCCESS
             ? 1
             : 0;
}

int PrnIsCsrConnection(HANDLE, const PRINTER_INFO_2W* pi2) {
  if (!EnvIsVistaOrLater() || !pi2 || !pi2->pPrinterName) return 0;
  return _wcsnicmp(pi2->pPrinterName, u"\\\\CSR|", 6) == 0 ? 1 : 0;
}

// not built yet: the settings files and job codes are left as they are.
int CfgPurgeClientEntries(HANDLE printer, PRINTER_INFO_2W* pi2, int, DWORD) {
  if (!printer) return 1;
  if (pi2) return 0;
  void* fetched = PrnGetPrinterInfo(printer, 2);
  if (!fetched) return 1;
  MdlFreeMem(fetched);
  return 0;
}

int CfgPurgeCsrLeftovers(HANDLE printer, PRINTER_INFO_2W* pi2) {
  EnvLockGlobalMutex(nullptr);
  int r = CfgPurgeClientEntries(printer, pi2, 1, 4);
  EnvUnlockGlobalMutex(nullptr);
  return r;
}

int RegDeletePrinterJobCodes(HANDLE printer, PRINTER_INFO_2W* pi2) { return CfgPurgeClientEntries(printer, pi2, 0, 5); }
