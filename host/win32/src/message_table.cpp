// FormatMessageW: the system's message table and the message inserts.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "win32/format.h"
#include "win32/locale.h"
#include "win32/memory.h"

namespace {

struct SystemMessage {
  DWORD code;
  const char16_t* text;
};

constexpr SystemMessage kSystemMessages[] = {
#include "message_table_rows.inc"
};

constexpr bool SortedByCode() {
  for (size_t i = 1; i < std::size(kSystemMessages); ++i)
    if (kSystemMessages[i - 1].code >= kSystemMessages[i].code) return false;
  return true;
}
static_assert(SortedByCode(), "the system messages must be sorted by code, each once");

const char16_t* FindSystemMessage(DWORD code) {
  const SystemMessage* end = std::end(kSystemMessages);
  const SystemMessage* row = std::lower_bound(std::begin(kSystemMessages), end, code,
                                              [](const SystemMessage& m, DWORD c) { return m.code < c; });
  return row != end && row->code == code ? row->text : nullptr;
}

// The table is English: the neutral language (any of its default sub-languages) and English
// itself are found, every other language is not.
bool KnownLanguage(DWORD language) {
  const WORD primary = PRIMARYLANGID(language);
  return language <= 0xFFFF && (primary == LANG_NEUTRAL || primary == LANG_ENGLISH);
}

// The arguments of the inserts, read once as pointer-sized values: strings as pointers, numbers
// in their low bits (the platform's rule for both argument forms).
class Arguments {
 public:
  Arguments(DWORD flags, va_list* list) : array_(flags & FORMAT_MESSAGE_ARGUMENT_ARRAY), list_(list) {}
  bool Present() const { return list_ != nullptr; }
  DWORD_PTR Get(int index) {  // 1-based
    if (array_) return reinterpret_cast<const DWORD_PTR*>(list_)[index - 1];
    while (int(read_.size()) < index) read_.push_back(va_arg(*list_, DWORD_PTR));
    return read_[size_t(index - 1)];
  }

 private:
  bool array_;
  va_list* list_;
  std::vector<DWORD_PTR> read_;
};

// One insert %n!format! as text; false when the format is not one the platform formats.
bool FormatInsert(const std::u16string& format, DWORD_PTR value, std::u16string& out) {
  if (format.empty() || format.find(u'*') != std::u16string::npos) return false;
  const char16_t type = format.back();
  WCHAR text[1025];
  const std::u16string conversion = u"%" + format;
  switch (type) {
    case u's':
    case u'S':
      wsprintfW(text, conversion.c_str(), reinterpret_cast<const void*>(value));
      break;
    case u'c':
    case u'C':
    case u'd':
    case u'i':
    case u'u':
    case u'x':
    case u'X':
      wsprintfW(text, conversion.c_str(), static_cast<unsigned>(value));
      break;
    default:
      return false;
  }
  out += text;
  return true;
}

// Builds the message from its source text; false with the error code set when it cannot.
bool Expand(const char16_t* source, DWORD flags, Arguments& args, std::u16string& out) {
  const bool ignoreInserts = flags & FORMAT_MESSAGE_IGNORE_INSERTS;
  const bool joinLines = (flags & FORMAT_MESSAGE_MAX_WIDTH_MASK) == FORMAT_MESSAGE_MAX_WIDTH_MASK;
  for (const char16_t* p = source; *p;) {
    if (*p == u'\r' || *p == u'\n') {
      // A line break of the text itself: CR LF, CR or LF.
      const bool pair = p[0] == u'\r' && p[1] == u'\n';
      p += pair ? 2 : 1;
      if (joinLines) {
        if (*p) out += u' ';
      } else {
        out += u"\r\n";
      }
      continue;
    }
    if (*p != u'%') {
      out += *p++;
      continue;
    }
    const char16_t* start = p++;
    if (*p >= u'1' && *p <= u'9') {
      int index = *p++ - u'0';
      if (*p >= u'0' && *p <= u'9') index = index * 10 + (*p++ - u'0');
      std::u16string format = u"s";
      if (*p == u'!') {
        const char16_t* close = p + 1;
        while (*close && *close != u'!') ++close;
        if (!*close) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return false;
        }
        format.assign(p + 1, close);
        p = close + 1;
      }
      if (ignoreInserts) {
        out.append(start, p);
        continue;
      }
      if (!args.Present()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
      }
      if (!FormatInsert(format, args.Get(index), out)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
      }
      continue;
    }
    switch (*p) {
      case u'\0':
        out += u'%';
        continue;
      case u'0':
        return true;  // the message ends here, without a final line break
      case u'n':
        out += u"\r\n";
        break;
      case u'r':
        out += u'\r';
        break;
      case u't':
        out += u'\t';
        break;
      default:
        out += *p;  // "%%", "% ", "%.", "%!" and any other character stand for themselves
        break;
    }
    ++p;
  }
  return true;
}

}  // namespace

WIN32_API DWORD WINAPI FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                                      LPWSTR lpBuffer, DWORD nSize, va_list* Arguments) {
  const DWORD sources = dwFlags & (FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_SYSTEM);
  if (!lpBuffer || (sources != FORMAT_MESSAGE_FROM_STRING && sources != FORMAT_MESSAGE_FROM_SYSTEM)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // A failed call leaves no block behind.
  if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) *reinterpret_cast<WCHAR**>(lpBuffer) = nullptr;
  const char16_t* source;
  if (sources == FORMAT_MESSAGE_FROM_STRING) {
    source = static_cast<const char16_t*>(lpSource);
    if (!source) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
  } else {
    if (!KnownLanguage(dwLanguageId)) {
      SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
      return 0;
    }
    source = FindSystemMessage(dwMessageId);
    if (!source) {
      SetLastError(ERROR_MR_MID_NOT_FOUND);
      return 0;
    }
  }
  ::Arguments args(dwFlags, Arguments);
  std::u16string text;
  if (!Expand(source, dwFlags, args, text)) return 0;

  const DWORD length = DWORD(text.size());
  if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    const SIZE_T chars = std::max<SIZE_T>(SIZE_T(length) + 1, nSize);
    auto* block = static_cast<WCHAR*>(LocalAlloc(LMEM_ZEROINIT, chars * sizeof(WCHAR)));
    if (!block) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    std::copy(text.begin(), text.end(), block);
    *reinterpret_cast<WCHAR**>(lpBuffer) = block;
    return length;
  }
  if (length + 1 > nSize) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(text.begin(), text.end(), lpBuffer);
  lpBuffer[length] = u'\0';
  return length;
}
