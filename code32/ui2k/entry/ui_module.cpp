// Start-up and unload of the module, the bracket of spooler calls around the printer-level
// entry points, the common property-sheet host and COM for the What's-this menu.
#include "context_services.h"
#include "env_system.h"
#include "ui_entry.h"
#include "csr_cleanup.h"
#include "user_sync.h"

namespace {
HINSTANCE g_module = nullptr;
}

BOOL UiHandleDllMain(HINSTANCE module, DWORD reason) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      g_module = module;
      CtxProcessAttach();
      break;
    case DLL_PROCESS_DETACH:
      // The parked contexts go before the compiled models they point at.
      CtxProcessDetach();
      g_module = nullptr;
      break;
    default:
      break;
  }
  return TRUE;
}

HINSTANCE UiGetModuleHandle() { return g_module; }

LONG UiRunCommonPropertySheet(HWND owner, PFNPROPSHEETUI callback, LPARAM lParam, LONG* result) {
  HMODULE host = LoadLibraryA("compstui.dll");
  if (!host) return -1;
  using CommonPropertySheetFn = LONG(WINAPI*)(HWND, PFNPROPSHEETUI, LPARAM, LPDWORD);
  auto fn = EnvProcAs<CommonPropertySheetFn>(GetProcAddress(host, "CommonPropertySheetUIW"));
  LONG r = fn ? fn(owner, callback, lParam, reinterpret_cast<LPDWORD>(result)) : -1;
  FreeLibrary(host);
  return r;
}

HRESULT UiComInitialize(DriverContext* ctx) {
  HRESULT hr = CoInitialize(nullptr);
  if (hr >= 0 && ctx && ctx->workArea) ctx->workArea->comInitialized = 1;
  return hr;
}

void UiComUninitialize(DriverContext* ctx) {
  if (!ctx || !ctx->workArea || !ctx->workArea->comInitialized) return;
  CoUninitialize();
  ctx->workArea->comInitialized = 0;
}

// ---- the entry bracket -------------------------------------------------------------------------

UiEntryBracket::UiEntryBracket(HANDLE printer, bool fetchRecords) : printer_(printer) {
  lacksDsName_ = PrnLacksDsPrinterName(printer);
  if (!fetchRecords) return;
  pi2_ = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
  di2_ = static_cast<DRIVER_INFO_2W*>(PrnGetDriverInfo(printer, 2));
  di3_ = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(printer, 3));
  csr_ = PrnIsCsrConnection(printer, pi2_);
}

int UiEntryBracket::Sync(DWORD flags) {
  syncResult_ = CfgSyncUserSettings(printer_, flags, pi2_, di2_, di3_);
  return syncResult_;
}

UiEntryBracket::~UiEntryBracket() {
  if (lacksDsName_)
    CfgPurgeCsrLeftovers(printer_, pi2_);
  else if (csr_)
    RegDeletePrinterJobCodes(printer_, pi2_);
  MdlFreeMem(pi2_);
  MdlFreeMem(di2_);
  MdlFreeMem(di3_);
}
