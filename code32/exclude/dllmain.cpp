// Load and unload of the zoltexc module: the core's process locks start at attach; at detach
// every parked context goes, then the compiled-model cache, then the locks (contexts are
// destroyed before the models they were built on). The module handle is not kept.
#include "context_services.h"
#include "win32/windows.h"

ZOLT_EXPORT BOOL WINAPI DllMain(HINSTANCE, DWORD fdwReason, LPVOID) {
  switch (fdwReason) {
    case DLL_PROCESS_ATTACH:
      CtxProcessAttach();
      break;
    case DLL_PROCESS_DETACH:
      CtxProcessDetach();
      break;
    default:
      break;
  }
  return TRUE;
}
