// Value scanners of model description statements and the ANSI text helpers of the compiler.
#include <cstring>
#include <string>

#include "mdl_compile.h"
#include "win32/hosttext.h"
#include "win32/machine.h"

// ---------------------------------------------------------------------------------------------
// ANSI code page.

UINT MdlAnsiCodePage() { return zolt::host::Machine::Facts().ansiCodePage; }

// Lead bytes of the double-byte code pages that the driver meets; every other code page is a
// single-byte one for the reader.
void MdlLeadByteTable(UINT codePage, uint8_t table[256]) {
  std::memset(table, 0, 256);
  auto range = [&](int first, int last) {
    for (int b = first; b <= last; ++b) table[b] = 1;
  };
  switch (codePage) {
    case 932:  // Shift JIS
      range(0x81, 0x9F);
      range(0xE0, 0xFC);
      break;
    case 936:  // GBK
    case 949:  // Unified Hangul
    case 950:  // Big5
      range(0x81, 0xFE);
      break;
    default:
      break;
  }
}

WCHAR* MdlAnsiToWide(WCHAR* out, const char* text, int inLength, int outChars) {
  if (!out || outChars <= 0) return out;
  size_t n = inLength < 0 ? (text ? std::strlen(text) : 0) : static_cast<size_t>(inLength);
  std::u16string wide;
  if (n && !zolt::host::AnsiToWide(MdlAnsiCodePage(), std::string_view(text, n), wide)) {
    wide.clear();
    for (size_t i = 0; i < n; ++i) wide.push_back(static_cast<uint8_t>(text[i]));
  }
  size_t copy = wide.size() < static_cast<size_t>(outChars) ? wide.size() : static_cast<size_t>(outChars);
  std::memcpy(out, wide.data(), copy * sizeof(WCHAR));
  if (copy < static_cast<size_t>(outChars)) out[copy] = 0;
  out[outChars - 1] = 0;
  return out;
}

// ---------------------------------------------------------------------------------------------
// Scanners.

namespace {
inline bool IsSpace(uint8_t c) { return MdlIsClass(c, kCharBlank | kCharLineEnd); }
inline uint32_t End(const TextBuffer* b) { return b->size; }
}  // namespace

char MdlSkipSpace(TextBuffer* b) {
  uint32_t p = b->length;
  while (p < End(b) && IsSpace(static_cast<uint8_t>(b->text[p]))) ++p;
  b->length = p;
  return p < End(b) ? b->text[p] : 0;
}

char MdlSkipBlanks(TextBuffer* b) {
  uint32_t p = b->length;
  while (p < End(b) && MdlIsClass(static_cast<uint8_t>(b->text[p]), kCharBlank)) ++p;
  b->length = p;
  return p < End(b) ? b->text[p] : 0;
}

char* MdlScanWord(TextBuffer* b, char* delimiter) {
  MdlSkipSpace(b);
  uint32_t p = b->length;
  if (p >= End(b)) {
    if (delimiter) *delimiter = 0;
    return nullptr;
  }
  if (b->text[p] == '*') ++p;
  uint32_t start = p;
  while (p < End(b) && !MdlIsClass(static_cast<uint8_t>(b->text[p]), kCharDelimiter)) ++p;
  if (p >= End(b)) {
    // The word runs to the end: the position stays at the end of the text.
    if (delimiter) *delimiter = 0;
    b->length = End(b);
  } else {
    if (delimiter) *delimiter = b->text[p];
    b->text[p] = 0;
    b->length = p + 1;
  }
  return b->text + start;
}

int32_t MdlParseInt(const char* text, const char* end, uint32_t* used) {
  const char* p = text;
  auto more = [&] { return end ? p < end : *p != 0; };
  bool negative = false;
  if (more() && *p == '-') {
    negative = true;
    ++p;
  }
  uint32_t value = 0;
  while (more() && *p >= '0' && *p <= '9') value = value * 10u + static_cast<uint32_t>(*p++ - '0');
  if (used) *used = static_cast<uint32_t>(p - text);
  return static_cast<int32_t>(negative ? 0u - value : value);
}

int32_t MdlScanNumber(TextBuffer* b, char* after) {
  MdlSkipSpace(b);
  if (b->length >= End(b)) {
    if (after) *after = 0;
    return 0;
  }
  uint32_t used = 0;
  int32_t value = MdlParseInt(b->text + b->length, b->text + End(b), &used);
  b->length += used;
  if (after) *after = b->length < End(b) ? b->text[b->length] : 0;
  return value;
}

int MdlSkipTo(TextBuffer* b, char byte) {
  uint32_t p = b->length;
  while (p < End(b)) {
    if (b->text[p] == byte) {
      b->length = p + 1;
      return 1;
    }
    ++p;
  }
  b->length = End(b);
  return 0;
}

int MdlHexDigitValue(uint8_t byte) {
  if (byte >= '0' && byte <= '9') return byte - '0';
  if (byte >= 'a' && byte <= 'f') return byte - 87;
  return byte - 55;
}

void MdlExtractQuoted(char* text, char* end, uint32_t* length, uint32_t* consumed, char* after) {
  char* p = text;
  while (p < end && *p != '"') ++p;
  if (p < end) ++p;
  char* out = text;
  bool hex = false;
  int high = -1;
  bool closed = false;
  while (p < end) {
    uint8_t c = static_cast<uint8_t>(*p++);
    if (c == '"') {
      closed = true;
      break;
    }
    if (MdlIsClass(c, kCharLineEnd)) continue;
    if (!hex) {
      if (c == '<') {
        hex = true;
        high = -1;
      } else if (c == '%') {
        if (p < end) *out++ = *p++;
      } else {
        *out++ = static_cast<char>(c);
      }
    } else if (c == '>') {
      hex = false;
    } else if (MdlIsHexDigit(c)) {
      if (high < 0) {
        high = MdlHexDigitValue(c);
      } else {
        *out++ = static_cast<char>((high << 4) | MdlHexDigitValue(c));
        high = -1;
      }
    } else {
      high = -1;
    }
  }
  (void)closed;
  uint32_t copied = static_cast<uint32_t>(out - text);
  // The terminator goes after the copied bytes; out never passes p, so it stays in the text.
  if (out < end) *out = 0;
  if (length) *length = copied ? copied + 1 : 0;
  if (consumed) *consumed = static_cast<uint32_t>(p - text);
  if (after) *after = p < end ? *p : 0;
}

namespace {
// Extracts the quoted text at the position in place and moves the position past it.
char* ExtractAtPosition(TextBuffer* b, uint32_t* length, char* after) {
  uint32_t consumed = 0;
  char next = 0;
  char* start = b->text + b->length;
  MdlExtractQuoted(start, b->text + End(b), length, &consumed, &next);
  b->length += consumed;
  if (after) *after = next;
  return start;
}
}  // namespace

uint32_t MdlScanQuotedText(CompileContext* ctx, TextBuffer* b, char* after, uint32_t* length) {
  uint32_t len = 0;
  char* start = ExtractAtPosition(b, &len, after);
  if (length) *length = len;
  if (len == 0) return 0;
  return MdlCopyText(ctx, start, len - 1);
}

uint32_t MdlScanQuotedWide(CompileContext* ctx, TextBuffer* b, char* after) {
  uint32_t len = 0;
  char* start = ExtractAtPosition(b, &len, after);
  if (len == 0) return 0;
  uint32_t link = MdlAlloc(ctx, len * 2, kTagText);
  if (!link) return 0;
  MdlAnsiToWide(MdlAt<WCHAR>(ctx, link), start, static_cast<int>(len - 1), static_cast<int>(len));
  return link;
}
