// Load and unload of the zoltexc module.
#include "context_services.h"
#include "win32/windows.h"

namespace {
HINSTANCE g_module = nullptr;
}

ZOLT_EXPORT BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID) {
  switch (fdwReason) {
    case DLL_PROCESS_ATTACH:
      g_module = hinstDLL;
      CtxProcessAttach();
      break;
    case DLL_PROCESS_DETACH:
      CtxProcessDetach();
      g_module = nullptr;
      break;
    default:
      break;
  }
  return TRUE;
}
