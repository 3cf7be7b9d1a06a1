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
// CP_ACP and CP_THREAD_ACP give the machine's ANSI code page, CP_OEMCP its OEM code page; any
// other value is returned as it is.
UINT ResolveCodePage(UINT codePage);
bool IsDbcsCodePage(UINT codePage);
bool IsLeadByte(UINT codePage, unsigned char b);

enum class DecodeStatus { Ok, UnknownCodePage, Invalid };

// Bytes of a code page (not a pseudo code page) to UTF-16, as the platform converts them.
// Undefined input becomes U+FFFD (UTF-8), U+30FB (double-byte code pages) or "?"; with strict
// it fails with Invalid instead. Code page 932 is windows-31j plus the platform's single bytes
// 0x80, 0xA0 and 0xFD-0xFF; the five undefined bytes of code page 1252 map to U+0081, U+008D,
// U+008F, U+0090 and U+009D.
DecodeStatus Decode(UINT codePage, std::string_view bytes, bool strict, std::u16string& out);

struct EncodeOptions {
  bool strict = false;                // fail on an unpaired surrogate (UTF-8 only)
  bool bestFit = true;                // use the code page's best-fit mappings
  const char* defaultChar = nullptr;  // stands for an unmappable character; nullptr: "?"
};
// UTF-16 to bytes of a code page; *usedDefault tells whether the default character was used.
DecodeStatus Encode(UINT codePage, std::u16string_view text, const EncodeOptions& options, std::string& out,
                    bool* usedDefault);
// The largest length <= limit that does not cut a character of bytes in two.
size_t CharacterBoundary(UINT codePage, std::string_view bytes, size_t limit);

// Shorthands over Decode and Encode (CP_ACP and CP_OEMCP accepted). Returns false for an
// unknown code page.
bool AnsiToWide(UINT codePage, std::string_view bytes, std::u16string& out);
bool WideToAnsi(UINT codePage, std::u16string_view text, std::string& out,
                const char* defaultChar = nullptr, bool* usedDefault = nullptr);

// Length of a NUL-terminated UTF-16 string.
size_t WideLength(const WCHAR* s);
// UTF-16 text of a NUL-terminated string (empty for nullptr).
std::u16string_view WideView(const WCHAR* s);

}  // namespace zolt::host
