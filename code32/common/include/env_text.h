// Conversions between UTF-16 and the system's ANSI code page.
#pragma once

#include <cstddef>
#include <string_view>

#include "win32/windows.h"

// Converts a NUL-terminated ANSI text with its terminator into out (length characters; length
// <= 0 means the text's length + 1), then forces out[length - 1] to NUL. Returns out, or NULL
// for a NULL argument.
WCHAR* EnvAnsiToWide(WCHAR* out, const char* text, int length);
// Zero-fills out (size bytes; size < 1 means the text's length + 1), then converts the text
// into it, cut before the last byte so that out always ends with NUL. A character is either
// converted whole or not at all. Returns out, or NULL for a NULL argument.
char* EnvWideToAnsi(char* out, const WCHAR* text, int size);

// Building blocks over counted texts, for fields that are not NUL-terminated.
// ANSI bytes to UTF-16: at most maxChars characters into out, no terminator. Returns the
// characters written.
size_t EnvAnsiBytesToWide(std::string_view bytes, WCHAR* out, size_t maxChars);
// UTF-16 to ANSI: whole characters only, at most maxBytes bytes into out, no terminator.
// Returns the bytes written.
size_t EnvWideToAnsiBytes(std::u16string_view text, char* out, size_t maxBytes);
