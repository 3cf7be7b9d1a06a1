// Remote configuration through the print server's configuration service (not available in
// this model family).
#pragma once

#include "driver_context.h"

// Copies a printer-data value from the print server's copy over an open connection: its type
// into *type, at most expectedSize bytes into out, the size into *size. 1 copied, 0 not.
int RcfgCopyServerPrinterData(HANDLE printer, const WCHAR* valueName, DWORD* type, BYTE* out, DWORD expectedSize,
                              DWORD* size, DWORD valueType, void* connection);
