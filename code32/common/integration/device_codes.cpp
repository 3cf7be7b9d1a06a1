// Translation of the device's codes into option values.
#include "device_codes.h"

// not built yet: answers 0 (no paper source value) for every tray code.
WORD BidiTrayCodeToBin(DWORD) { return 0; }
