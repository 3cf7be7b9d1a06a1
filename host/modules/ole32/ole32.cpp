// ole32.dll: COM's task memory and the initialisation count of a thread.
#include "win32/windows.h"

ZOLT_EXPORT LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb) { return zolt::host::TaskMemAlloc(cb); }
ZOLT_EXPORT LPVOID WINAPI CoTaskMemRealloc(LPVOID pv, SIZE_T cb) { return zolt::host::TaskMemRealloc(pv, cb); }
ZOLT_EXPORT void WINAPI CoTaskMemFree(LPVOID pv) { zolt::host::TaskMemFree(pv); }
ZOLT_EXPORT HRESULT WINAPI CoInitialize(LPVOID pvReserved) {
  return zolt::host::ComInitialize(pvReserved, COINIT_APARTMENTTHREADED);
}
ZOLT_EXPORT HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit) {
  return zolt::host::ComInitialize(pvReserved, dwCoInit);
}
ZOLT_EXPORT void WINAPI CoUninitialize(void) { zolt::host::ComUninitialize(); }
