// Text conversions of the host: UTF-16 and UTF-8 for the Linux side, and the Windows code
// pages (through ICU's Windows converters) for ANSI text.
#pragma once

#include <string>
#include <string_view>

#include "win32/base.h"

namespace zolt::host {

std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// The ICU converter name of a Windows code page ("windows-1252", "windows-31j", ...), or
// nullptr for a code page the host does not know.
const char* CodePageConverterName(UINT codePage);

// ANSI bytes of a code page to UTF-16, as the platform converts them (for code page 1252 the
// five undefined bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D map to U+0081, U+008D, U+008F, U+0090,
// U+009D). Returns false for an unknown code page.
bool AnsiToWide(UINT codePage, std::string_view bytes, std::u16string& out);
// UTF-16 to ANSI bytes; a character the code page cannot hold becomes defaultChar (or "?")
// and sets *usedDefault. Returns false for an unknown code page.
bool WideToAnsi(UINT codePage, std::u16string_view text, std::string& out,
                const char* defaultChar = nullptr, bool* usedDefault = nullptr);

// Length of a NUL-terminated UTF-16 string.
size_t WideLength(const WCHAR* s);
// UTF-16 text of a NUL-terminated string (empty for nullptr).
std::u16string_view WideView(const WCHAR* s);

}  // namespace zolt::host
