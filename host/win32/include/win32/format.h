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
//
// FormatMessageW builds a message from the system's message table (FORMAT_MESSAGE_FROM_SYSTEM:
// the texts of the system error codes, in English, each ending with CR LF) or from a string
// (FORMAT_MESSAGE_FROM_STRING). Inserts %1 to %99, each optionally with a !format! of wsprintf
// (default !s!), take their arguments from the va_list or, with FORMAT_MESSAGE_ARGUMENT_ARRAY,
// from an array of DWORD_PTR; FORMAT_MESSAGE_IGNORE_INSERTS copies them as they stand. Escapes:
// %0 ends the message without anything after it, %n a line break (CR LF), %r CR, %t a tab,
// "%%", "% ", "%." and "%!" the character itself. Width 0xFF of FORMAT_MESSAGE_MAX_WIDTH_MASK
// turns the text's own line breaks into spaces (other widths do not wrap). The languages are
// the neutral and user/system defaults and English; others fail with
// ERROR_RESOURCE_LANG_NOT_FOUND, an unknown code with ERROR_MR_MID_NOT_FOUND. With
// FORMAT_MESSAGE_ALLOCATE_BUFFER, lpBuffer is really a LPWSTR* that receives a LocalAlloc block
// of at least nSize characters (freed with LocalFree); otherwise a result that does not fit
// nSize characters fails with ERROR_INSUFFICIENT_BUFFER. The result is the number of characters
// stored without the NUL, 0 on failure.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "win32/base.h"

WIN32_API int WINAPIV wsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, ...);
WIN32_API int WINAPI wvsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, va_list arglist);
WIN32_API int WINAPIV wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...);
WIN32_API int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist);

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100u
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200u
#define FORMAT_MESSAGE_FROM_STRING 0x00000400u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000u
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000u
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FFu

WIN32_API DWORD WINAPI FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                                      LPWSTR lpBuffer, DWORD nSize, va_list* Arguments);

int swprintf(WCHAR* buffer, size_t count, const WCHAR* format, ...);
int vswprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args);
