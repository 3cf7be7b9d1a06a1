// Profile (INI) files: GetPrivateProfile* and WritePrivateProfile*.
//
// Files are text in the machine's ANSI code page with CRLF lines, "[section]" headers and
// "key=value" lines. Sections and keys match case-insensitively after trimming blanks, and the
// first match wins. A file name without a path names a file in the Windows directory.
// Every call looks at the file again (a read parses it again when it changed) and every write
// reads it again and replaces it whole (a temporary file renamed over it), so another process
// sees either the old or the new file and a write never undoes one that another process made
// before it; unchanged lines, comments and their order are kept.
#pragma once

#include "win32/base.h"

// The integer of the key's value: blanks, a sign, then decimal digits, or a "0x" (hex), "0o"
// (octal) or "0b" (binary) number, up to the first character that is no digit; the value
// wraps at 32 bits. nDefault when the key, section or file is missing or the value is empty.
WIN32_API UINT WINAPI GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault,
                                            LPCWSTR lpFileName);
WIN32_API UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault,
                                            LPCSTR lpFileName);

// The value of a key, without surrounding blanks and one pair of matching quotes; the default
// (trailing blanks removed) when the key is missing. A NULL section lists the section names, a
// NULL key the section's key names, as NUL-separated lists ending in a double NUL. Returns the
// characters copied without the final NUL. A value that does not fit is cut to nSize - 1
// characters (result nSize - 1); a list that does not fit is cut and ends in two NULs (result
// nSize - 2).
WIN32_API DWORD WINAPI GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                                                LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName);
WIN32_API DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                                LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);

// Every line of a section ("key=value" and the lines without "="), as a double-NUL list.
WIN32_API DWORD WINAPI GetPrivateProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize,
                                                 LPCWSTR lpFileName);
WIN32_API DWORD WINAPI GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize,
                                                 LPCSTR lpFileName);
WIN32_API DWORD WINAPI GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName);
WIN32_API DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName);

// Writes key=value (appending the section or key when new). A NULL value deletes the key, a
// NULL key deletes the section, and (NULL, NULL, NULL, file) flushes (every write already
// reached the file). A missing file is created; a missing folder fails with
// ERROR_PATH_NOT_FOUND. A character the code page cannot hold is written as its default
// character.
WIN32_API BOOL WINAPI WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString,
                                                 LPCWSTR lpFileName);
WIN32_API BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                                 LPCSTR lpFileName);
// Replaces the whole section with the lines of a double-NUL list, in their order (a NULL list
// deletes the section).
WIN32_API BOOL WINAPI WritePrivateProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString, LPCWSTR lpFileName);
WIN32_API BOOL WINAPI WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName);
