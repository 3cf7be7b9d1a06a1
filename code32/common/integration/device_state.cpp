// The device-state store in printer data and in the device-state file.
#include "device_state.h"

// not built yet: the caller may not change the printer's data.
int BidiCanWritePrinterData(DriverContext*) { return 0; }

// not built yet: no device-state file, so no flag.
int BidiStateFileGetFlag(DriverContext*) { return 0; }

// not built yet: nothing is loaded.
int BidiLoadStateFile(DriverContext*) { return 0; }

// not built yet: nothing is removed.
int BidiDropStateSection(DriverContext*) { return 0; }
