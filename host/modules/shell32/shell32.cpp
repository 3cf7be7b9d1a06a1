// shell32.dll: the user's well-known folders and the folder chooser. The path of
// freed with ole32.dll's CoTaskMemFree.
#include "win32/windows.h"

ZOLT_EXPORT HRESULT WINAPI SHGetKnownFolderPath(REFKNOWNFOLDERID rfid, DWORD dwFlags, HANDLE hToken, PWSTR* ppszPath) {
  return zolt::host::KnownFolderPath(rfid, dwFlags, hToken, ppszPath);
}

ZOLT_EXPORT HRESULT WINAPI SHGetFolderPathW(HWND, int csidl, HANDLE hToken, DWORD, LPWSTR pszPath) {
  return zolt::host::FolderPathByCsidl(csidl, hToken, pszPath);
}

// The folder chooser: the item list it returns is task memory, freed with CoTaskMemFree.
ZOLT_EXPORT PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderW(LPBROWSEINFOW lpbi) { return zolt::host::BrowseForFolder(lpbi); }

ZOLT_EXPORT BOOL WINAPI SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR pszPath) {
  return zolt::host::PathFromIdList(pidl, pszPath);
}
