// Load and unload of the zoltgr module.
#include "context_services.h"
#include "gr_pdev.h"
#include "win32/windows.h"

ZOLT_EXPORT BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID) {
  switch (fdwReason) {
    case DLL_PROCESS_ATTACH:
      GrSetModuleHandle(reinterpret_cast<HMODULE>(hinstDLL));
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
