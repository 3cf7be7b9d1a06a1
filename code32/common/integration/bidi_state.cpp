// Device-state flags and the device-state file.
#include "bidi_state.h"

// not built yet: the caller is taken as one who may not change printer data
int BidiCanWritePrinterData(DriverContext*) { return 0; }
