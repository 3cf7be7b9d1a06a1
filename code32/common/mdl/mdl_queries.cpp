// Queries of the loaded model description.
#include "env_language.h"

// The model queries are not built yet: no UI resource library name can be had.
const WCHAR* MdlGetUiResDllName(DriverContext*) { return nullptr; }
