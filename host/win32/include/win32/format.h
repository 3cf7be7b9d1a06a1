// Formatted text: the platform's wsprintf family and the runtime's swprintf over 16-bit text.
//
// wsprintfW/wvsprintfW and wsprintfA/wvsprintfA follow the platform's format rules:
//   %[-][#][0][width][.precision]type
//   types c C d i u x X s S, each with an optional h or l size prefix (hs/hc is the ANSI form,
//   ls/lc the wide form in both functions; d i u x X take a 32-bit argument with or without l);
//   in the W form %s and %c are wide and %S and %C ANSI, in the A form the reverse;
//   "-" aligns left, "#" prefixes hexadecimal with 0x or 0X, "0" pads with zeros;
//   for numbers the precision is the least number of digits (0 or missing counts as 1), for
//   strings the most characters copied; a NULL string prints "(null)";
//   a "%" followed by a character without meaning copies that character ("%%" gives "%").
// There is no floating point and no "*" width. The output holds at most 1024 characters and
// a terminating NUL (the platform's limit); the result is the number of characters stored,
// not counting the NUL. ANSI text converts through the machine's ANSI code page.
//
// swprintf/vswprintf (runtime, C++ overloads beside the C library's wchar_t forms) take the
// same types plus "+" and " " flags, "*" width and precision, ll/I64/I32 size prefixes,
// p, o and the floating-point types e E f g G; %s is wide, %S ANSI. They write at most count
// units including the NUL; output that does not fit is cut, still NUL-terminated, and the
// result is -1.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "win32/base.h"

WIN32_API int WINAPIV wsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, ...);
WIN32_API int WINAPI wvsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, va_list arglist);
WIN32_API int WINAPIV wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...);
WIN32_API int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist);

int swprintf(WCHAR* buffer, size_t count, const WCHAR* format, ...);
int vswprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args);
