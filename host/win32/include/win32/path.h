// Well-known folders, path names, the current directory and the environment of the process.
//
// Buffer rules, as the platform documents them for these calls: when the text fits (with its
// NUL) the result is its length without the NUL; when it does not, nothing is copied and the
// result is the size needed, NUL included. Sizes are in characters (bytes for the A forms).
//
// Environment. The process sees the machine's variables: SystemRoot and windir (the Windows
// folder), SystemDrive ("C:"), USERPROFILE, TEMP and TMP (<Windows folder>\Temp), USERNAME and
// COMPUTERNAME. Names compare without case. SetEnvironmentVariableW changes or removes a
// variable for this process only (until the process changes machine).
#pragma once

#include "win32/base.h"

WIN32_API UINT WINAPI GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize);
WIN32_API UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize);
WIN32_API UINT WINAPI GetWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize);
WIN32_API UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize);
WIN32_API UINT WINAPI GetSystemWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize);
WIN32_API UINT WINAPI GetSystemWindowsDirectoryA(LPSTR lpBuffer, UINT uSize);
// The first of TMP, TEMP, USERPROFILE and the Windows folder, with a trailing backslash.
WIN32_API DWORD WINAPI GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer);
// The full form of a path, made from the current directory without touching the disk.
// *lpFilePart (when asked) points at the last component in the buffer, or is NULL when the
// path ends in a separator.
WIN32_API DWORD WINAPI GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer,
                                        LPWSTR* lpFilePart);
// This machine makes no 8.3 names: for an existing file or folder the path comes back as given.
// lpszShortPath may be lpszLongPath.
WIN32_API DWORD WINAPI GetShortPathNameW(LPCWSTR lpszLongPath, LPWSTR lpszShortPath, DWORD cchBuffer);
WIN32_API DWORD WINAPI GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer);
WIN32_API BOOL WINAPI SetCurrentDirectoryW(LPCWSTR lpPathName);

// Replaces each %NAME% of a known variable by its value; an unknown one stays as written.
// The result is the size of the expanded text including its NUL, also when it does not fit
// (then lpDst, when nSize > 0, receives an empty string).
WIN32_API DWORD WINAPI ExpandEnvironmentStringsW(LPCWSTR lpSrc, LPWSTR lpDst, DWORD nSize);
// 0 with ERROR_ENVVAR_NOT_FOUND for an unknown variable.
WIN32_API DWORD WINAPI GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize);
// lpValue NULL removes the variable.
WIN32_API BOOL WINAPI SetEnvironmentVariableW(LPCWSTR lpName, LPCWSTR lpValue);
