// Names and paths of the printer.
#include "context_services.h"

// Qualifying a name needs the printer's data, which cannot be read yet: the name is kept.
int PrnQualifyServerName(HANDLE, WCHAR*, int) { return 0; }

// The driver name cannot be had yet.
WCHAR* PrnGetDriverName(DriverContext*) { return nullptr; }
