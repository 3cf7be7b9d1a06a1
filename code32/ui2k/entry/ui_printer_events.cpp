// Printer events: the spooler tells the module when a printer is installed, a connection to a
// shared printer is made or removed, a printer is deleted or a client's cached printer is
// refreshed. The handlers create or clean up the printer's stored settings and the job-control
// items, running as the spooler itself (the client impersonation is reverted around the work).
#include <initializer_list>

#include "admin_install.h"
#include "context_services.h"
#include "deploy_files.h"
#include "env_system.h"
#include "ini_file.h"
#include "job_control.h"
#include "option_access.h"
#include "printer_setup.h"
#include "settings_paths.h"
#include "ui_entry.h"
#include "csr_cleanup.h"
#include "user_sync.h"

namespace {

constexpr uint16_t kOptUserCode = 203;  // zdmUserCode
constexpr ACCESS_MASK kServerAllAccess = 0xF0003;

HANDLE OpenFirst(LPWSTR name, std::initializer_list<ACCESS_MASK> masks) {
  if (!name) return nullptr;
  for (ACCESS_MASK access : masks) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    HANDLE h = nullptr;
    if (OpenPrinterW(name, &h, &defaults)) return h;
  }
  return nullptr;
}

// An opened printer with its records, freed and closed at the end of the handler, and the
// impersonation of the client restored.
struct EventPrinter {
  HANDLE printer;
  DRIVER_INFO_2W* di2 = nullptr;
  DRIVER_INFO_3W* di3 = nullptr;
  PRINTER_INFO_2W* pi2 = nullptr;
  HANDLE token = nullptr;

  explicit EventPrinter(HANDLE h) : printer(h) {
    if (!printer) return;
    di2 = static_cast<DRIVER_INFO_2W*>(PrnGetDriverInfo(printer, 2));
    di3 = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(printer, 3));
    pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
    token = UiRevertToPrinterSelf();
  }
  ~EventPrinter() {
    if (!printer) return;
    UiImpersonatePrinterClient(token);
    MdlFreeMem(pi2);
    MdlFreeMem(di2);
    MdlFreeMem(di3);
    ClosePrinter(printer);
  }
  bool DriverRecords() const { return di2 && di3; }

  int Initialize(int type) {
    return DriverRecords() ? CfgInitializePrinterDataEx(printer, nullptr, type, pi2, di2, di3)
                           : CfgInitializePrinterData(printer, nullptr, type);
  }
  int WriteStamp() {
    return DriverRecords() ? CfgWriteInstallStampEx(printer, 1, 0, di3->pDriverPath, pi2)
                           : CfgWriteInstallStamp(printer, 1, 0);
  }
  DriverContext* CreateContext() {
    return DriverRecords() ? CtxCreate(printer, printer, nullptr, kCtxModeUi, pi2, di2, di3)
                           : CtxCreateForPrinter(printer, printer, nullptr, kCtxModeUi);
  }
  // The client-entry purge of Windows Vista and later, under the global mutex.
  void PurgeClientEntries(DWORD event) {
    if (!EnvIsVistaOrLater()) return;
    if (!pi2) pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
    EnvLockGlobalMutex(nullptr);
    CfgPurgeClientEntries(printer, pi2, 0, event);
    EnvUnlockGlobalMutex(nullptr);
  }
};

}  // namespace

BOOL UiPrinterAddConnection(LPWSTR printerName) {
  EventPrinter p(OpenFirst(printerName, {PRINTER_ALL_ACCESS, PRINTER_READ}));
  if (!p.printer) return FALSE;
  CtxSetInstallationFlag(1);
  BOOL result = p.Initialize(kInitConnection) ? TRUE : FALSE;
  CtxSetInstallationFlag(0);
  if (!p.WriteStamp()) result = FALSE;
  if (result) result = CfgCopyListFilesToUserFolder(p.printer, p.pi2) ? TRUE : FALSE;
  if (result)
    result = (p.DriverRecords() ? CfgRefreshUserCopyEx(p.printer, 1, p.pi2, p.di2, p.di3)
                                : CfgRefreshUserCopy(p.printer, 1))
                 ? TRUE
                 : FALSE;
  if (result && p.pi2) {
    const int failed = p.DriverRecords() ? CfgApplyBatchDefaultsToUserEx(p.printer, p.pi2, p.di2, p.di3)
                                         : CfgApplyBatchDefaultsToUser(p.printer, p.pi2);
    if (failed == 1) result = FALSE;
  }
  p.PurgeClientEntries(1);
  return result;
}

BOOL UiPrinterDeleteConnection(LPWSTR printerName) {
  EventPrinter p(OpenFirst(printerName, {PRINTER_ALL_ACCESS, kServerAllAccess, PRINTER_ACCESS_USE}));
  if (!p.printer) return FALSE;
  if (DriverContext* ctx = p.CreateContext()) {
    JcOpenSession(ctx);
    OptSetStringValue(ctx, OptFind(ctx, kOptUserCode), u"");
    for (DWORD item : {2u, 3u, 4u, 5u, 8u, 9u, 10u}) JcDeleteItem(ctx, item);
    JcCloseSession(ctx);
    const WCHAR* settingsIni = PathGetSettingsIni(ctx);
    CfgWriteBatchInstallDone(settingsIni, PrnGetName(ctx), 0);
    IniWriteString(PrnGetName(ctx), kDrvInstVersionKey, u"", settingsIni);
    CtxRelease(ctx);
  }
  return TRUE;
}

BOOL UiPrinterInitialize(LPWSTR printerName) {
  EventPrinter p(OpenFirst(printerName, {PRINTER_ALL_ACCESS}));
  if (!p.printer) return FALSE;
  CtxSetInstallationFlag(1);
  BOOL result = TRUE;
  if (!PrnIsBatchInstallDone(p.printer, nullptr)) {
    const bool win2000 = EnvIsWin2000OrLater();
    // A batch installation prepares the printer later, at its first device-mode conversion.
    if (!win2000 || !CfgBatchIniHasSection(p.printer)) {
      if (win2000) EnvLockGlobalMutex(nullptr);
      const int ok = p.Initialize(kInitLocalPrinter);
      if (win2000) EnvUnlockGlobalMutex(nullptr);
      if (ok) {
        CtxSetInstallationFlag(0);
        if (!p.WriteStamp()) result = FALSE;
      } else {
        result = FALSE;
      }
    }
  }
  p.PurgeClientEntries(0);
  CtxSetInstallationFlag(0);
  return result;
}

BOOL UiPrinterDelete(LPWSTR printerName) {
  EventPrinter p(OpenFirst(printerName, {PRINTER_ALL_ACCESS, kServerAllAccess, PRINTER_ACCESS_USE}));
  if (!p.printer) return FALSE;
  if (DriverContext* ctx = p.CreateContext()) {
    JcOpenSession(ctx);
    for (DWORD item : {256u, 257u, 258u}) JcDeleteItem(ctx, item);
    JcCloseSession(ctx);
    CtxRelease(ctx);
  }
  return TRUE;
}

BOOL UiPrinterCacheRefresh(LPWSTR printerName) {
  HANDLE printer = OpenFirst(printerName, {PRINTER_ALL_ACCESS, kServerAllAccess, PRINTER_ACCESS_USE});
  if (!printer) return FALSE;
  CfgCopyDriverFilesToSystem(printer);
  ClosePrinter(printer);
  return TRUE;
}

BOOL UiHandlePrinterEvent(LPWSTR printerName, int event, DWORD, LPARAM) {
  switch (event) {
    case PRINTER_EVENT_ADD_CONNECTION:
      return UiPrinterAddConnection(printerName);
    case PRINTER_EVENT_DELETE_CONNECTION:
      UiPrinterDeleteConnection(printerName);
      return TRUE;
    case PRINTER_EVENT_INITIALIZE:
      return UiPrinterInitialize(printerName);
    case PRINTER_EVENT_DELETE:
      UiPrinterDelete(printerName);
      return TRUE;
    case PRINTER_EVENT_CACHE_REFRESH:
      return UiPrinterCacheRefresh(printerName);
    default:
      return TRUE;
  }
}
