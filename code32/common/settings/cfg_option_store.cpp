// Option values kept in the printer's data and in the settings files.
#include "context_services.h"

// Loading stored values is not built yet.
int CfgLoadPrinterSettings(DriverContext*) { return 0; }

// The font-table buffers hang from the settings image; without an image there is nothing to
// free. Freeing them from an image is not built yet.
int CfgFreeFontBuffers(DriverContext* ctx) { return !ctx || !ctx->settingsImage ? 1 : 0; }

int PrnReadOptionByFieldName(HANDLE, DriverContext*, OptionEntry*) { return 0; }
