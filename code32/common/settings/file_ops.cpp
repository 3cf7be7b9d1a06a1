// File operations the folder and INI code build on.
#include "env_system.h"

int PathEnsureDir(const WCHAR* path) {
  if (!path) return 0;
  if (CreateDirectoryW(path, nullptr)) return 1;
  return GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0;
}

int PathReadFileBytes(HANDLE file, void* buffer, DWORD count) {
  DWORD read = 0;
  if (!ReadFile(file, buffer, count, &read, nullptr)) return -1;
  return static_cast<int>(count);
}
