// Languages and resource libraries.
#include "context_services.h"

// The language code cannot be had yet.
WCHAR* CfgHelpLanguageCode(DriverContext*) { return nullptr; }

// No resource library can be loaded yet; a handle that this code cannot free is reported.
int EnvFreeResourceDlls(DriverContext* ctx) {
  if (!ctx) return 0;
  return ctx->resourceLibrary || ctx->neutralResourceLibrary ? 0 : 1;
}
