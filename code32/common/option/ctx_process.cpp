// The core's share of a module's load and unload.
#include "context_services.h"
#include "driver_context.h"
#include "model_load.h"

void CtxProcessAttach() { EnvInitProcessLocks(); }

void CtxProcessDetach() {
  CtxPurgeCache(1);
  MdlFreeCache();
  EnvFreeProcessLocks();
}
