// Remote configuration: the entry points through which a client of a print server could take
// over the server's device state, settings and device mode from the maker's remote-configuration
// service. Both variants of that service are off in this model family, so every entry point
// reports that it is not available and the callers take their local paths. The device's network
// address for its web page is looked up through the port library.
#pragma once

#include "driver_context.h"

// States of RcfgGetState.
enum : int {
  kRcfgUnavailable = 0,
  kRcfgConnected = 1,
  kRcfgNotConnected = 2,
};

// kRcfgUnavailable.
int RcfgGetState(DriverContext* ctx);
// 0 for every feature number; the second argument is not read.
int RcfgFetchForFeature(WORD feature, void* unused, DriverContext* ctx);
// 0.
int RcfgClearServerInfo(DriverContext* ctx);
// 0; nothing is written (the caller keeps its local defaults).
int RcfgGetServerDevmode(DriverContext* ctx, void* devModeOut, BYTE* flagOut);
// 0; the out byte is not written (the printer is its own).
int RcfgGetServerType(HANDLE printer, const WCHAR* printerName, BYTE* typeOut);

// Copies a printer-data value from the print server's copy over an open connection: its type
// into *type, at most expectedSize bytes into out, the size into *size. No connection ever
// exists, so nothing is copied: 0.
// When the printing-preferences sheet opens and in the device-mode merge without a sheet: a
// per-user copy that is missing or older than the printer's first installation is synchronised
// (CfgSyncUserSettings). Always 0: the remote variant is not available.
int RcfgRefreshClientSettings(DriverContext* ctx, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
int RcfgCopyServerPrinterData(HANDLE printer, const WCHAR* valueName, DWORD* type, BYTE* out, DWORD expectedSize,
                              DWORD* size, DWORD valueType, void* connection);

// The device's network address from the port library ("PMGetWinPrnAddr") as ANSI text into
// address (size bytes; the printer-properties page passes 64). 1 when the library was loaded
// and asked, 0 when it or its export is missing (address then stays as it was) or memory is
// short.
int BidiGetDeviceAddress(DriverContext* ctx, char* address, int size);
