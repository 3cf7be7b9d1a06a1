// Preparing a printer for use: the initialisation that the spooler's printer events, the
// device-mode conversion and the synchronisation of user and client copies run, and the carrying
// over of a printer's settings after its name changed.
#pragma once

#include "driver_context.h"

// Initialisation types.
enum : int {
  kInitDefaultDevmode = 0,  // prepare and return the default device mode
  kInitLocalPrinter = 1,    // first initialisation of a local printer
  kInitConnection = 2,      // a client connection
  kInitDevmodeStored = 5,   // as 0, the context loading the stored values first
  kInitUserRefresh = 6,     // as 2, for a per-user refresh (no connection-only steps)
  kInitClientSync = 7,      // as 2
};

// Notify codes of the initialisation.
enum : DWORD {
  kFmNotifyInitListsRepaired = 48,
  kFmNotifyInitRegisterModel = 49,  // InitRegisterQuery: answer 1 registers the model
  kFmNotifyInitLocksReloaded = 59,
  kFmNotifyInitLocksReloading = 60,
};
struct InitRegisterQuery {
  int32_t type;
  int32_t answer;
};

// Printer-data and settings-file marks.
inline constexpr WCHAR kPackInstallDoneKey[] = u"PackInstallDone";
inline constexpr WCHAR kDrvInstVersionKey[] = u"DrvInstVersion";

// 1, or 0 when no context could be built (nothing is written then). devmode (type 0 and 5)
// receives the default device mode (DmGetSize bytes).
int CfgInitializePrinterData(HANDLE printer, void* devmode, int type);
int CfgInitializePrinterDataEx(HANDLE printer, void* devmode, int type, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2,
                               DRIVER_INFO_3W* di3);
int CfgInitializePrinter(HANDLE printer, void* devmode, int type, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2,
                         DRIVER_INFO_3W* di3);

// 1 when printer data "BatchInstallDone" can be read and is non-zero.
int PrnIsBatchInstallDone(HANDLE printer, DriverContext* ctx);
// 1 when printer data "ClientName" is not empty.
int PrnHasClientName(HANDLE printer, DriverContext* ctx);
// 1 when the printer's remote-configuration server type is that of a master server (17).
int PrnIsRcfgMasterServer(DriverContext* ctx);

// 1 when the printer's name changed since the last set-up and its settings were carried over.
int CfgHandlePrinterRename(DriverContext* ctx);
