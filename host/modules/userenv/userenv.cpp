// UserEnv.dll: the profile folder of a user.
#include "win32/windows.h"

ZOLT_EXPORT BOOL WINAPI GetUserProfileDirectoryW(HANDLE hToken, LPWSTR lpProfileDir, LPDWORD lpcchSize) {
  return zolt::host::UserProfileDirectory(hToken, lpProfileDir, lpcchSize);
}
