// Strings of the platform: the lstr* calls of the base library and the C runtime's 16-bit
// wide-character helpers.
//
// The runtime helpers take const WCHAR* (16-bit units): they are C++ overloads beside the
// C library's wchar_t functions of the same names, so a call with a WCHAR string picks ours.
// Those without a C library namesake (_wtoi, _wcsicmp, ...) have C linkage like the others.
//
// Comparisons. lstrcmpW and lstrcmpiW compare as the platform's word sort does for ASCII text:
//   - the apostrophe and the hyphen are ignored at first (so "coop" and "co-op" sort together,
//     the one without them first when nothing else differs);
//   - punctuation sorts before digits and digits before letters, in the order
//       space ! " # $ % & ( ) * , . / : ; ? @ [ \ ] ^ _ ` { | } ~ + < = >
//   - letters compare without case first; lstrcmpW then puts lower case before upper case
//     ("a" < "A" < "b"), lstrcmpiW treats them as equal;
//   - characters beyond ASCII follow the letters, in the order of their case-folded code.
// The result is -1, 0 or 1. A NULL string sorts before every other string, two NULLs are equal.
// The A forms convert from the machine's ANSI code page first. The _wcsicmp family compares
// ordinally after folding to lower case (as the runtime does), so "_" sorts before letters.
#pragma once

#include <cstddef>

#include "win32/base.h"

WIN32_API int WINAPI lstrlenW(LPCWSTR lpString);
WIN32_API int WINAPI lstrlenA(LPCSTR lpString);
WIN32_API LPWSTR WINAPI lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2);
WIN32_API LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2);
// Copies at most iMaxLength - 1 characters and always ends the copy with a NUL (when
// iMaxLength > 0).
WIN32_API LPWSTR WINAPI lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength);
WIN32_API LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength);
WIN32_API LPWSTR WINAPI lstrcatW(LPWSTR lpString1, LPCWSTR lpString2);
WIN32_API LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2);
WIN32_API int WINAPI lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2);
WIN32_API int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2);
WIN32_API int WINAPI lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2);
WIN32_API int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2);

// Runtime conversions with 32-bit results, as the platform's long is 32 bits: leading blanks,
// an optional sign, decimal digits. _wtoi and _wtol saturate at the limits on overflow.
WIN32_API int _wtoi(const WCHAR* str);
WIN32_API LONG _wtol(const WCHAR* str);
WIN32_API LONGLONG _wtoi64(const WCHAR* str);
// Case-insensitive ordinal comparisons of the runtime (letters folded to lower case).
WIN32_API int _wcsicmp(const WCHAR* a, const WCHAR* b);
WIN32_API int _wcsnicmp(const WCHAR* a, const WCHAR* b, size_t count);

// strtoul/strtol rules over 16-bit text with the platform's 32-bit long: base 0 detects
// "0x" and "0", overflow gives ULONG 0xFFFFFFFF (wcstoul) or the LONG limit (wcstol), a
// minus sign negates an unsigned result; *end points after the last digit used (at the start
// when none was).
ULONG wcstoul(const WCHAR* str, WCHAR** end, int base);
LONG wcstol(const WCHAR* str, WCHAR** end, int base);

size_t wcslen(const WCHAR* s);
size_t wcsnlen(const WCHAR* s, size_t max);
int wcscmp(const WCHAR* a, const WCHAR* b);
int wcsncmp(const WCHAR* a, const WCHAR* b, size_t count);
WCHAR* wcscpy(WCHAR* dst, const WCHAR* src);
// As the runtime: copies at most count characters and pads with NULs; no NUL when src is
// count characters or longer.
WCHAR* wcsncpy(WCHAR* dst, const WCHAR* src, size_t count);
WCHAR* wcscat(WCHAR* dst, const WCHAR* src);
const WCHAR* wcschr(const WCHAR* s, WCHAR c);
WCHAR* wcschr(WCHAR* s, WCHAR c);
const WCHAR* wcsrchr(const WCHAR* s, WCHAR c);
WCHAR* wcsrchr(WCHAR* s, WCHAR c);
const WCHAR* wcsstr(const WCHAR* s, const WCHAR* find);
WCHAR* wcsstr(WCHAR* s, const WCHAR* find);
