// Remote configuration entry points and the device's web address.
#include "remote_config.h"

#include "core_memory.h"
#include "device_query.h"
#include "env_system.h"
#include "env_text.h"
#include "settings_paths.h"
#include "user_sync.h"

int RcfgGetState(DriverContext*) { return kRcfgUnavailable; }

int RcfgFetchForFeature(WORD, void*, DriverContext*) { return 0; }

int RcfgClearServerInfo(DriverContext*) { return 0; }

int RcfgGetServerDevmode(DriverContext*, void*, BYTE*) { return 0; }

int RcfgGetServerType(HANDLE, const WCHAR*, BYTE*) { return 0; }

int RcfgCopyServerPrinterData(HANDLE, const WCHAR*, DWORD*, BYTE*, DWORD, DWORD*, DWORD, void*) { return 0; }

int RcfgRefreshClientSettings(DriverContext* ctx, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3) {
  if (!ctx) return 0;
  int state = kUserCopyCurrent;
  if (CfgCompareInstallStamps(ctx->printer, &state, pi2) != 1) return 0;
  if (state == kUserCopyMissing) CfgSyncUserSettings(ctx->printer, 0, pi2, di2, di3);
  return 0;
}

int BidiGetDeviceAddress(DriverContext* ctx, char* address, int size) {
  if (!ctx || !address || size <= 0) return 0;
  HMODULE library = LoadLibraryW(kPortLibraryName);
  if (!library) return 0;
  auto getAddress = EnvProcAs<PortGetAddressFn>(GetProcAddress(library, kPortLibraryAddressExport));
  if (!getAddress) {
    FreeLibrary(library);
    return 0;
  }
  char* name = static_cast<char*>(CtxAllocMem(MAX_PATH));
  if (!name) {
    FreeLibrary(library);
    return 0;
  }
  EnvWideToAnsi(name, PrnGetName(ctx), MAX_PATH);
  getAddress(name, 0, static_cast<DWORD>(size), address, 0);
  // Whatever the library wrote, the caller's buffer ends inside itself.
  address[size - 1] = '\0';
  MdlFreeMem(name);
  FreeLibrary(library);
  return 1;
}
