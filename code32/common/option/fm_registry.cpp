// The feature-module registry of a context.
#include "context_services.h"

// Build switch: features 0-5 are on.
int FmIsFeatureEnabled(const DriverContext*, WORD feature, DWORD) { return feature <= 5 ? 1 : 0; }

// The feature modules are not built yet: no module list can be attached.
int FmAttachModules(DriverContext*) { return 0; }

// Nothing to detach without a module list; a list that this code cannot free is reported.
int FmDetachModules(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  return ctx->workArea->moduleList ? 0 : 1;
}
