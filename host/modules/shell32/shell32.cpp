// shell32.dll: the user's well-known folders. The path of SHGetKnownFolderPath is task memory,
// freed with ole32.dll's CoTaskMemFree.
#include "win32/windows.h"

ZOLT_EXPORT HRESULT WINAPI SHGetKnownFolderPath(REFKNOWNFOLDERID rfid, DWORD dwFlags, HANDLE hToken, PWSTR* ppszPath) {
  return zolt::host::KnownFolderPath(rfid, dwFlags, hToken, ppszPath);
}

ZOLT_EXPORT HRESULT WINAPI SHGetFolderPathW(HWND, int csidl, HANDLE hToken, DWORD, LPWSTR pszPath) {
  return zolt::host::FolderPathByCsidl(csidl, hToken, pszPath);
}
