// Conversions between UTF-16 and the system's ANSI code page (the machine's code page).
#include "env_text.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "win32/hosttext.h"
#include "win32/machine.h"

namespace {

UINT AnsiCodePage() { return zolt::host::Machine::Facts().ansiCodePage; }

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

size_t EnvAnsiBytesToWide(std::string_view bytes, WCHAR* out, size_t maxChars) {
  if (!out || maxChars == 0) return 0;
  std::u16string wide;
  if (!zolt::host::AnsiToWide(AnsiCodePage(), bytes, wide)) return 0;
  size_t n = std::min(wide.size(), maxChars);
  // Never leave half of a surrogate pair at the end.
  if (n < wide.size() && n > 0 && IsHighSurrogate(wide[n - 1])) --n;
  std::copy_n(wide.data(), n, out);
  return n;
}

size_t EnvWideToAnsiBytes(std::u16string_view text, char* out, size_t maxBytes) {
  if (!out || maxBytes == 0) return 0;
  std::string all;
  if (!zolt::host::WideToAnsi(AnsiCodePage(), text, all)) return 0;
  if (all.size() <= maxBytes) {
    std::memcpy(out, all.data(), all.size());
    return all.size();
  }
  // Too long: take whole characters while they fit (a double-byte character is never split).
  size_t used = 0;
  for (size_t i = 0; i < text.size();) {
    const size_t units = IsHighSurrogate(text[i]) && i + 1 < text.size() ? 2 : 1;
    std::string bytes;
    if (!zolt::host::WideToAnsi(AnsiCodePage(), text.substr(i, units), bytes)) break;
    if (used + bytes.size() > maxBytes) break;
    std::memcpy(out + used, bytes.data(), bytes.size());
    used += bytes.size();
    i += units;
  }
  return used;
}

WCHAR* EnvAnsiToWide(WCHAR* out, const char* text, int length) {
  if (!out || !text) return nullptr;
  const size_t textLength = std::strlen(text);
  if (length <= 0) length = static_cast<int>(textLength + 1);
  const size_t n = EnvAnsiBytesToWide(std::string_view(text, textLength), out, static_cast<size_t>(length));
  if (n < static_cast<size_t>(length)) out[n] = u'\0';
  out[length - 1] = u'\0';
  return out;
}

char* EnvWideToAnsi(char* out, const WCHAR* text, int size) {
  if (!out || !text) return nullptr;
  const std::u16string_view view = zolt::host::WideView(text);
  if (size < 1) size = static_cast<int>(view.size() + 1);
  std::memset(out, 0, static_cast<size_t>(size));
  EnvWideToAnsiBytes(view, out, static_cast<size_t>(size) - 1);
  return out;
}
