// The spooler's printer records and the system environment.
#include "context_services.h"

// The spooler is not reachable yet: no record can be fetched.
void* PrnGetPrinterInfo(HANDLE, DWORD) { return nullptr; }

// Filling the context's printer caches from a record is not built yet.
void PrnCachePrinterInfo(const PRINTER_INFO_2W*, DriverContext*) {}

// The system version cannot be asked yet; answers no.
int EnvIsVistaOrLater() { return 0; }
