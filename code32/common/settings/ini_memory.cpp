// In-memory INI files: one read of a whole settings file, then section search and key reads
// with a cursor that follows the file's key order; and the section text the serializer builds.
//
// Names and values are compared as ANSI bytes of the system code page. Letters compare without
// regard to case (ASCII letters only, as the bytes of other characters depend on the code page);
// the second byte of a double-byte character is always compared exactly, since it may look
// like an ASCII letter.
#include <algorithm>
#include <cstring>
#include <string>

#include "env_text.h"
#include "env_system.h"
#include "ini_file.h"

namespace {

constexpr DWORD kSmallFileLimit = 65535;   // only_large: files up to this size are not loaded
constexpr int kSectionNameBytes = 522;     // 8-bit copy of a section name
constexpr int kIntChars = 11;              // characters read for a number

// Lead bytes of the system code page; rebuilt when the code page changes.
struct LeadBytes {
  UINT codePage = 0xFFFFFFFFu;
  bool lead[256] = {};
};

const LeadBytes& CurrentLeadBytes() {
  thread_local LeadBytes table;
  const UINT cp = GetACP();
  if (table.codePage != cp) {
    for (int b = 0; b < 256; ++b) table.lead[b] = IsDBCSLeadByteEx(cp, static_cast<BYTE>(b)) != FALSE;
    table.codePage = cp;
  }
  return table;
}

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Does text begin with name (ANSI, case-insensitive)? Returns the length of name when it does,
// else -1. text is NUL-terminated, so the walk stops there at the latest.
int MatchPrefix(const char* text, const std::string& name, const LeadBytes& leads) {
  size_t i = 0;
  while (i < name.size()) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (leads.lead[c] && i + 1 < name.size()) {
      if (text[i] != name[i] || text[i + 1] != name[i + 1]) return -1;
      i += 2;
      continue;
    }
    if (text[i] == '\0' || FoldAscii(text[i]) != FoldAscii(name[i])) return -1;
    ++i;
  }
  return static_cast<int>(name.size());
}

// The start of the line after the one that p is in (or the terminating NUL).
const char* NextLine(const char* p) {
  while (*p && *p != '\n') ++p;
  return *p ? p + 1 : p;
}

bool IsSectionEnd(const char* line) { return *line == '\0' || *line == '['; }

std::string ToAnsi(const WCHAR* text) {
  std::string out;
  if (!text) return out;
  const size_t n = lstrlenW(text);
  out.resize(n * 2 + 2);  // a double-byte code page takes at most two bytes per character
  out.resize(EnvWideToAnsiBytes(std::u16string_view(text, n), out.data(), out.size()));
  return out;
}

WORD CopyDefault(const WCHAR* defaultValue, WCHAR* out, WORD outSize) {
  if (!out || outSize == 0) return 0;
  std::fill_n(out, outSize, u'\0');
  if (!defaultValue) return 0;
  const int n = std::min<int>(lstrlenW(defaultValue), outSize - 1);
  std::copy_n(defaultValue, n, out);
  return static_cast<WORD>(n);
}

}  // namespace

char* IniLoadFile(const WCHAR* path, int onlyLarge) {
  if (!path || !path[0] || path[1] != u':') return nullptr;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  LONG high = 0;
  const DWORD size = SetFilePointer(file, 0, &high, FILE_END);
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  // A file whose size cannot be had, or one of 2 GB and more (cursors are 32-bit), is not read.
  if ((size == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) || high != 0 || size >= 0x7FFFFFFFu ||
      (onlyLarge && size <= kSmallFileLimit)) {
    CloseHandle(file);
    return nullptr;
  }
  auto* image = static_cast<char*>(GlobalAlloc(GPTR, static_cast<SIZE_T>(size) + 1));
  if (!image) {
    CloseHandle(file);
    return nullptr;
  }
  const int read = size ? PathReadFileBytes(file, image, size) : 0;
  CloseHandle(file);
  if (read < 0 || static_cast<DWORD>(read) != size) {
    GlobalFree(image);
    return nullptr;
  }
  return image;
}

int IniFreeFile(char* image) {
  if (image) GlobalFree(image);
  return 1;
}

const char* IniFindSection(const WCHAR* section, const char* image) {
  if (!section || !image) return nullptr;
  std::string name = ToAnsi(section);
  if (name.size() >= static_cast<size_t>(kSectionNameBytes)) return nullptr;
  const LeadBytes& leads = CurrentLeadBytes();
  for (const char* line = image; *line; line = NextLine(line)) {
    if (*line != '[') continue;
    const int n = MatchPrefix(line + 1, name, leads);
    if (n >= 0 && line[1 + n] == ']') return NextLine(line);
  }
  return nullptr;
}

WORD IniReadStringMem(const WCHAR* key, const WCHAR* defaultValue, WCHAR* out, WORD outSize, const char* body,
                      int32_t* cursor) {
  if (!body) {
    if (cursor) *cursor = 0;
    return CopyDefault(defaultValue, out, outSize);
  }
  if (!cursor || !key) return CopyDefault(defaultValue, out, outSize);

  const std::string name = ToAnsi(key);
  const LeadBytes& leads = CurrentLeadBytes();
  // A cursor that does not point at a line start of this body (a cursor of another section, a
  // negative one) starts the walk at the body.
  int32_t offset = *cursor;
  if (offset < 0 || (offset > 0 && body[offset - 1] != '\n' && body[offset] != '\0')) offset = 0;
  const char* start = body + offset;
  const char* line = start;
  bool wrapped = false;
  for (;;) {
    if (IsSectionEnd(line)) {
      if (wrapped) {
        *cursor = 0;
        break;
      }
      wrapped = true;
      line = body;
      if (line == start) break;
      continue;
    }
    if (wrapped && line == start) break;
    const int n = MatchPrefix(line, name, leads);
    if (n >= 0 && line[n] == '=') {
      const char* value = line + n + 1;
      size_t length = 0;
      while (value[length] && value[length] != '\r' && value[length] != '\n') ++length;
      WORD copied = 0;
      if (out && outSize) {
        std::fill_n(out, outSize, u'\0');
        // At most outSize - 1 bytes, never half of a double-byte character.
        size_t limit = std::min<size_t>(length, outSize - 1u);
        size_t cut = 0;
        while (cut < limit) {
          const size_t step = leads.lead[static_cast<unsigned char>(value[cut])] ? 2 : 1;
          if (cut + step > limit) break;
          cut += step;
        }
        copied = static_cast<WORD>(EnvAnsiBytesToWide(std::string_view(value, cut), out, outSize - 1u));
        out[outSize - 1] = u'\0';
      }
      *cursor = static_cast<int32_t>(NextLine(value + length) - body);
      return copied;
    }
    line = NextLine(line);
  }
  return CopyDefault(defaultValue, out, outSize);
}

int IniReadIntMem(const WCHAR* key, int defaultValue, const char* body, int32_t* cursor) {
  WCHAR text[kIntChars] = {};
  IniReadStringMem(key, u"", text, kIntChars, body, cursor);
  return text[0] ? _wtoi(text) : defaultValue;
}

int IniSectionTextInit(IniSectionText* text, int32_t capacity) {
  if (!text) return 0;
  text->data = nullptr;
  text->capacity = 0;
  if (capacity < 1) capacity = 1;
  text->data = static_cast<char*>(CtxAllocMem(static_cast<DWORD>(capacity)));
  if (!text->data) return 0;
  text->capacity = capacity;
  return 1;
}

void IniSectionTextFree(IniSectionText* text) {
  if (!text) return;
  MdlFreeMem(text->data);
  text->data = nullptr;
  text->capacity = 0;
}

int IniAppendKeyMem(int32_t* cursor, const WCHAR* key, const WCHAR* value, IniSectionText* text) {
  if (!cursor || !key || !value || !text || !text->data) return 0;
  if (*cursor < 0 || *cursor >= text->capacity) return 0;
  if (!key[0]) return 1;
  const std::string keyBytes = ToAnsi(key);
  const std::string valueBytes = ToAnsi(value);
  const int64_t needed = static_cast<int64_t>(*cursor) + keyBytes.size() + 1 + valueBytes.size() + 2 + 1;
  if (needed > text->capacity) {
    int64_t capacity = text->capacity;
    while (capacity < needed) capacity *= 2;
    if (capacity > 0x7FFFFFFF) return 0;
    char* grown = static_cast<char*>(CtxAllocMem(static_cast<DWORD>(capacity)));
    if (!grown) return 0;
    std::memcpy(grown, text->data, static_cast<size_t>(*cursor));
    MdlFreeMem(text->data);
    text->data = grown;
    text->capacity = static_cast<int32_t>(capacity);
  }
  char* p = text->data + *cursor;
  p = std::copy(keyBytes.begin(), keyBytes.end(), p);
  *p++ = '=';
  p = std::copy(valueBytes.begin(), valueBytes.end(), p);
  *p++ = '\r';
  *p++ = '\n';
  *p = '\0';
  *cursor = static_cast<int32_t>(p - text->data);
  return 1;
}
