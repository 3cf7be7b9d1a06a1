// The device-mode entry points outside the sheets: document properties (size query, merge
// without window, or the sheets through the host), the spooler's conversion request with the
// printer initialisation it triggers, and the driver upgrade.
#include <cstring>

#include "admin_install.h"
#include "context_services.h"
#include "default_section.h"
#include "devmode_defaults.h"
#include "devmode_fields.h"
#include "devmode_merge.h"
#include "devmode_record.h"
#include "env_system.h"
#include "job_control.h"
#include "model_query.h"
#include "model_registration.h"
#include "option_access.h"
#include "option_store.h"
#include "option_values.h"
#include "path_files.h"
#include "preset_list.h"
#include "print_notification.h"
#include "printer_setup.h"
#include "prn_data.h"
#include "settings_paths.h"
#include "settings_upgrade.h"
#include "ui_entry.h"
#include "csr_cleanup.h"
#include "user_sync.h"

namespace {

constexpr DWORD kAdvancedMode = DM_ADVANCED | DM_PROMPT | DM_COPY;  // 22
constexpr uint16_t kOptCustomFunc1 = 1550;                         // wdmCustomFunc1

// Install types of the stamp written after a conversion.
enum : short { kInstallInitialised = 1, kInstallConverted = 2, kInstallBatch = 3 };

HANDLE OpenWithAccess(const WCHAR* name, ACCESS_MASK access) {
  if (!name) return nullptr;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
  HANDLE h = nullptr;
  return OpenPrinterW(const_cast<LPWSTR>(name), &h, &defaults) ? h : nullptr;
}

// The printer of a conversion request with its records. The closing work of the request runs
// when it goes away: the client-side-rendering leftovers on Windows Vista and later, the records
// freed, the printer closed and the machine-work flag cleared.
struct ConvertPrinter {
  HANDLE printer = nullptr;
  PRINTER_INFO_2W* pi2 = nullptr;
  DRIVER_INFO_2W* di2 = nullptr;
  DRIVER_INFO_3W* di3 = nullptr;

  void FetchPrinterInfo() {
    MdlFreeMem(pi2);
    pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
  }
  void FetchDriverInfo() {
    if (!di2) di2 = static_cast<DRIVER_INFO_2W*>(PrnGetDriverInfo(printer, 2));
    if (!di3) di3 = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(printer, 3));
  }
  ~ConvertPrinter() {
    if (printer && EnvIsVistaOrLater()) {
      BYTE name[260];
      DWORD type = 0, needed = 0;
      if (GetPrinterDataExW(printer, u"DsSpooler", u"printerName", &type, name, sizeof name, &needed) !=
          ERROR_SUCCESS) {
        EnvLockGlobalMutex(nullptr);
        CfgPurgeClientEntries(printer, pi2, 0, 3);
        EnvUnlockGlobalMutex(nullptr);
      } else if (PrnIsCsrConnection(printer, pi2)) {
        RegDeletePrinterJobCodes(printer, pi2);
      }
    }
    MdlFreeMem(pi2);
    MdlFreeMem(di2);
    MdlFreeMem(di3);
    if (printer) ClosePrinter(printer);
    CtxSetInstallationFlag(0);
  }
};

DEVMODEW* ContextDevMode(DriverContext* ctx) { return reinterpret_cast<DEVMODEW*>(CtxGetDevMode(ctx)); }

// Copies the context's device mode into the caller's record within the caller's own sizes.
void CopyOutOfContext(DriverContext* ctx, DEVMODEW* out) {
  if (out && ContextDevMode(ctx)) DmConvertVersion(ContextDevMode(ctx), out);
}

// The initialisation writes a whole device mode; the caller's record of the conversion request
// may be smaller, so it is written into a full-size buffer and converted into the caller's.
int InitializeInto(ConvertPrinter& p, DEVMODEW* out, int type) {
  if (!out) return CfgInitializePrinterDataEx(p.printer, nullptr, type, p.pi2, p.di2, p.di3);
  DriverDevMode full{};
  int ok = CfgInitializePrinterDataEx(p.printer, &full, type, p.pi2, p.di2, p.di3);
  if (ok && (type == kInitDefaultDevmode || type == kInitDevmodeStored)) DmConvertVersion(&full.dm, out);
  return ok;
}

// The driver's default device mode for the spooler (CDM_DRIVER_DEFAULT); out holds DmGetSize
// bytes (the spooler's conversion checked the size).
BOOL DriverDefault(const WCHAR* name, DEVMODEW* out) {
  ConvertPrinter p;
  p.printer = OpenWithAccess(name, PRINTER_READ);
  if (!p.printer) return FALSE;
  p.FetchPrinterInfo();
  const int remote = p.pi2 ? PrnInfoIsRemote(p.pi2) : PrnIsRemotePrinterHandle(p.printer);
  if (!remote) {
    ClosePrinter(p.printer);
    p.printer = OpenWithAccess(name, PRINTER_ALL_ACCESS);
    if (!p.printer) return FALSE;
    p.FetchPrinterInfo();
  }
  p.FetchDriverInfo();
  if (remote || (PrnIsBatchInstallDone(p.printer, nullptr) && UiPrinterHasDefaultDevMode(p.printer))) {
    DriverContext* ctx =
        CtxCreateWithFlagsAndInfo(p.printer, p.printer, nullptr, 0x1B00, kCtxModeUi, p.pi2, p.di2, p.di3);
    if (!ctx) return FALSE;
    DmInitFromModel(ctx);
    if (out && CtxGetDevMode(ctx)) std::memcpy(out, CtxGetDevMode(ctx), DmGetSize());
    CtxRelease(ctx);
    return TRUE;
  }
  EnvLockGlobalMutex(nullptr);
  CtxSetInstallationFlag(1);
  if (!CfgInitializePrinterDataEx(p.printer, out, kInitDefaultDevmode, p.pi2, p.di2, p.di3)) {
    EnvUnlockGlobalMutex(nullptr);
    return FALSE;
  }
  EnvUnlockGlobalMutex(nullptr);
  CtxSetInstallationFlag(0);
  const short target = name && std::u16string_view(name).find(u"\\Client") != std::u16string_view::npos ? 0 : 2;
  return CfgWriteInstallStamp(p.printer, kInstallInitialised, target) != 0;
}

void ResetCustomFunc1AndSave(ConvertPrinter& p, DriverContext* ctx) {
  OptSetValue(ctx, kOptCustomFunc1, static_cast<int32_t>(MdlGetItemDefault(kOptCustomFunc1, ctx)));
  CfgSaveOptionClass(p.printer, ctx, 2, 0x80000004);
}

// A converted device mode whose printer has stored settings: those settings are migrated or
// initialised to the driver's version (CDM_CONVERT).
BOOL ConvertStoredSettings(WCHAR* name, const DEVMODEW* in, DEVMODEW* out) {
  const int version = DmCheckVersion(in);
  ConvertPrinter p;
  p.printer = OpenWithAccess(name, UiIsRemotePrinterName(name) ? PRINTER_READ : PRINTER_ALL_ACCESS);
  if (!p.printer) return FALSE;
  p.FetchPrinterInfo();
  WCHAR path[MAX_PATH + 1] = {};
  if (PathGetSettingsIniOfInfo(path, MAX_PATH, 0, p.printer, p.pi2) && !PathIsFilePresent(path)) return TRUE;
  p.FetchDriverInfo();
  CtxSetInstallationFlag(1);
  DriverContext* ctx = CtxCreateWithFlagsAndInfo(p.printer, p.printer, nullptr, 0x300, kCtxModeUi, p.pi2, p.di2, p.di3);
  if (!ctx) return FALSE;
  struct Release {
    DriverContext* ctx;
    ~Release() { CtxRelease(ctx); }
  } release{ctx};
  JcUpdateDriverInfo(ctx);
  PrnWriteStoredPrinterName(p.printer, p.pi2);
  const int local = !PrnIsRemotePrinter(ctx);
  short type;
  if (CfgBatchIniHasSettings(name) || CfgDriverIniHasSettings(name, p.printer)) {
    if (!InitializeInto(p, out, kInitDevmodeStored)) return FALSE;
    type = kInstallBatch;
  } else if (version == kDmVersionConvert) {
    if (local) CfgCheckModelDbEntry(ctx);
    if (out && ContextDevMode(ctx)) DmConvertVersion(out, ContextDevMode(ctx));
    CfgDeployDriverFiles(ctx, 0x1000);
    CfgEnsureModuleSetup(ctx);
    ResetCustomFunc1AndSave(p, ctx);
    DmConvertToCurrent(in, ctx);
    BidiReadPrintNotification(ctx, 1);
    DmMergeIncoming(ctx, nullptr, 0x4000008);
    CfgRefreshAllLists(p.printer, ctx);
    CopyOutOfContext(ctx, out);
    CfgImportDriverIniDefaults(p.printer, nullptr, 1, ctx, p.pi2, p.di2, p.di3);
    PathSecureSharedData(ctx);
    if (OptIsLockEnabled(ctx) && OptIsDefaultLocked(ctx)) CfgRefreshLockDefault(ctx);
    type = kInstallConverted;
  } else if (version == kDmVersionUnusable) {
    if (!InitializeInto(p, out, kInitLocalPrinter)) return FALSE;
    if (out) {
      DmInitFromModel(ctx);
      BidiReadPrintNotification(ctx, 0);
      CopyOutOfContext(ctx, out);
    }
    type = kInstallInitialised;
  } else {
    if (local) CfgCheckModelDbEntry(ctx);
    CfgDeployDriverFiles(ctx, 0x1000);
    CfgImportDriverIniDefaults(p.printer, nullptr, 1, ctx, p.pi2, p.di2, p.di3);
    ResetCustomFunc1AndSave(p, ctx);
    PathSecureSharedData(ctx);
    type = kInstallConverted;
  }
  CtxSetInstallationFlag(0);
  return CfgWriteInstallStamp(p.printer, type, 0) ? TRUE : FALSE;
}

}  // namespace

// ---- document properties ---------------------------------------------------------------------

LONG UiHandleDocumentProperties(HWND owner, HANDLE printer, LPWSTR deviceName, DEVMODEW* out, DEVMODEW* in,
                                DWORD mode) {
  if (mode == 0 || !out) return static_cast<LONG>(DmGetSize());
  UiEntryBracket bracket(printer);
  bracket.Sync(1);
  const LONG r = UiRunDocumentProperties(owner, printer, deviceName, out, in, mode, bracket.pi2(), bracket.di2(),
                                         bracket.di3());
  return r > 0 ? IDOK : r == 0 ? IDCANCEL : r;
}

LONG UiShowAdvancedDocumentProperties(HWND owner, HANDLE printer, LPWSTR deviceName, DEVMODEW* out, DEVMODEW* in) {
  if (!out) return static_cast<LONG>(DmGetSize());
  UiEntryBracket bracket(printer);
  bracket.Sync(1);
  const LONG r = UiRunDocumentProperties(owner, printer, deviceName, out, in, kAdvancedMode, bracket.pi2(),
                                         bracket.di2(), bracket.di3());
  return r > 0 ? TRUE : FALSE;
}

LONG UiRunDocumentProperties(HWND owner, HANDLE printer, LPWSTR deviceName, DEVMODEW* out, DEVMODEW* in, DWORD mode,
                             PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3) {
  DOCUMENTPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.Reserved = 0;
  header.hPrinter = printer;
  header.pszPrinterName = deviceName;
  header.pdmIn = in;
  header.pdmOut = out;
  header.cbOut = 0;
  header.fMode = mode;
  if (mode & DM_PROMPT) {
    LONG result = -1;  // what a missing host leaves
    UiRunCommonPropertySheet(owner, UiHandleDocumentPropertySheets, reinterpret_cast<LPARAM>(&header), &result);
    return result;
  }
  return UiMergeDocumentProperties(&header, pi2, di2, di3, 1);
}

// ---- the spooler's conversion ------------------------------------------------------------------

BOOL UiConvertDevMode(LPWSTR printerName, DEVMODEW* in, DEVMODEW* out, DWORD* size, DWORD mode) {
  const int r = DmConvertForSpooler(printerName, in, out, size, mode);
  if (r == 2 && mode == CDM_DRIVER_DEFAULT) return DriverDefault(printerName, out);
  if (r == 1 && mode == CDM_CONVERT) return ConvertStoredSettings(printerName, in, out);
  return r == 1 ? TRUE : FALSE;
}

int UiIsRemotePrinterName(const WCHAR* printerName) {
  HANDLE h = OpenWithAccess(printerName, PRINTER_READ);
  if (!h) return 0;
  const int remote = PrnIsRemotePrinterHandle(h);
  ClosePrinter(h);
  return remote;
}

// ---- driver upgrade ------------------------------------------------------------------------

int UiUpgradeDriverNames(HANDLE printer, DriverContext* ctx) { return PrnWriteDriverFileNames(printer, ctx) != 0; }

BOOL UiUpgradePrinter(DWORD level, DRIVER_UPGRADE_INFO_1W* info) {
  HANDLE printer = level == 1 && info ? OpenWithAccess(info->pPrinterName, PRINTER_ALL_ACCESS) : nullptr;
  if (!printer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
  auto* di2 = static_cast<DRIVER_INFO_2W*>(PrnGetDriverInfo(printer, 2));
  auto* di3 = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(printer, 3));
  BOOL result = FALSE;
  if (CfgSyncUserSettings(printer, 1, pi2, di2, di3) == 1) {
    if (DriverContext* ctx = CtxCreate(printer, printer, nullptr, kCtxModeUi, pi2, di2, di3)) {
      result = UiUpgradeDriverNames(printer, ctx) ? TRUE : FALSE;
      CtxRelease(ctx);
    }
  }
  if (EnvIsVistaOrLater()) {
    EnvLockGlobalMutex(nullptr);
    CfgPurgeClientEntries(printer, pi2, 0, 2);
    EnvUnlockGlobalMutex(nullptr);
  }
  MdlFreeMem(pi2);
  MdlFreeMem(di2);
  MdlFreeMem(di3);
  ClosePrinter(printer);
  return result;
}
