// The statement reader of model descriptions: character classes, the source file, statements
// and the FileVersion search.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>

#include "mdl_compile.h"
#include "win32/hostpath.h"
#include "win32/hosttext.h"

namespace {

constexpr std::array<uint8_t, 256> MakeCharClasses() {
  std::array<uint8_t, 256> t{};
  for (int c = '0'; c <= '9'; ++c) t[c] |= kCharDigit;
  for (int c = 'A'; c <= 'F'; ++c) t[c] |= kCharHexLetter;
  for (int c = 'a'; c <= 'f'; ++c) t[c] |= kCharHexLetter;
  t['\n'] |= kCharLineEnd;
  t['\r'] |= kCharLineEnd;
  t['\t'] |= kCharBlank;
  t[' '] |= kCharBlank;
  t['\t'] |= kCharPrintable;
  for (int c = ' '; c <= '9'; ++c) t[c] |= kCharPrintable;
  for (int c = ';'; c <= '~'; ++c) t[c] |= kCharPrintable;
  for (int c = '!'; c <= '.'; ++c) t[c] |= kCharOption;
  for (int c = '0'; c <= '9'; ++c) t[c] |= kCharOption;
  for (int c = ';'; c <= '~'; ++c) t[c] |= kCharOption;
  for (int c = '/'; c <= '9'; ++c) t[c] |= kCharKeyword;
  for (int c = '@'; c <= 'z'; ++c) t[c] |= kCharKeyword;
  for (int c : {'\t', '\n', '\r', ' ', ',', '.', '/', '{', '|', '}'}) t[c] |= kCharDelimiter;
  for (int c = '"'; c <= '*'; ++c) t[c] |= kCharDelimiter;
  for (int c = ':'; c <= '?'; ++c) t[c] |= kCharDelimiter;
  return t;
}
constexpr std::array<uint8_t, 256> kClasses = MakeCharClasses();

constexpr uint32_t kInitialCapacity = 1024;

int InitBuffer(TextBuffer* b) {
  b->text = static_cast<char*>(std::calloc(kInitialCapacity + 1, 1));
  if (!b->text) return 0;
  b->capacity = kInitialCapacity;
  b->length = 0;
  b->size = 0;
  return 1;
}

inline void ClearBuffer(TextBuffer* b) {
  b->length = 0;
  b->size = 0;
  b->text[0] = 0;
}

// Grows the buffer so that it holds at least need bytes and a terminator. The capacity at least
// doubles, so that a long value costs linear time.
int GrowBuffer(TextBuffer* b, uint64_t need) {
  uint64_t capacity = b->capacity;
  while (capacity < need) capacity = capacity * 2 + kInitialCapacity;
  if (capacity > 0xFFFFFFF0u) return 0;
  char* text = static_cast<char*>(std::calloc(capacity + 1, 1));
  if (!text) return 0;
  std::memcpy(text, b->text, b->length);
  std::free(b->text);
  b->text = text;
  b->capacity = static_cast<uint32_t>(capacity);
  return 1;
}

inline int Append(TextBuffer* b, uint8_t byte) {
  if (b->length >= b->capacity && !GrowBuffer(b, uint64_t(b->length) + 1)) return 0;
  b->text[b->length++] = static_cast<char>(byte);
  return 1;
}

inline void Terminate(TextBuffer* b) {
  b->text[b->length] = 0;
  b->size = b->length;
}

}  // namespace

const CharClassTable kMdlCharClass = {
#define R(i) kClasses[i]
#define R8(i) R(i), R(i + 1), R(i + 2), R(i + 3), R(i + 4), R(i + 5), R(i + 6), R(i + 7)
#define R64(i) R8(i), R8(i + 8), R8(i + 16), R8(i + 24), R8(i + 32), R8(i + 40), R8(i + 48), R8(i + 56)
    R64(0), R64(64), R64(128), R64(192)
#undef R64
#undef R8
#undef R
};

int MdlAppendByte(TextBuffer* buffer, char byte) {
  if (!Append(buffer, static_cast<uint8_t>(byte))) return 0;
  Terminate(buffer);
  return 1;
}

int MdlSetText(TextBuffer* buffer, std::string_view text) {
  if (text.size() > buffer->capacity && !GrowBuffer(buffer, text.size())) return 0;
  std::memcpy(buffer->text, text.data(), text.size());
  buffer->length = static_cast<uint32_t>(text.size());
  Terminate(buffer);
  buffer->length = 0;
  return 1;
}

ModelStatement* MdlNewStatement() {
  auto* st = static_cast<ModelStatement*>(std::calloc(1, sizeof(ModelStatement)));
  if (!st) return nullptr;
  if (!InitBuffer(&st->keyword) || !InitBuffer(&st->option1) || !InitBuffer(&st->option2) ||
      !InitBuffer(&st->value)) {
    MdlFreeStatement(st);
    return nullptr;
  }
  return st;
}

void MdlFreeStatement(ModelStatement* st) {
  if (!st) return;
  std::free(st->keyword.text);
  std::free(st->option1.text);
  std::free(st->option2.text);
  std::free(st->value.text);
  std::free(st);
}

// ---------------------------------------------------------------------------------------------
// Source.

int MdlMapFile(const WCHAR* path, const uint8_t** base, const uint8_t** cursor, DWORD* size) {
  if (!path) return 0;
  DWORD error = 0;
  auto real = zolt::host::MapPath(zolt::host::WideView(path), zolt::host::Resolve::Existing, &error);
  if (!real) return 0;
  int fd = ::open(real->c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
      static_cast<uint64_t>(info.st_size) > 0xFFFFFFFFu) {
    ::close(fd);
    return 0;
  }
  void* view = ::mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (view == MAP_FAILED) return 0;
  *base = static_cast<const uint8_t*>(view);
  *cursor = *base;
  if (size) *size = static_cast<DWORD>(info.st_size);
  return 1;
}

void MdlUnmapFile(const void* base, size_t size) {
  if (base && size) ::munmap(const_cast<void*>(base), size);
}

static ModelSource* NewSource(const uint8_t* base, size_t size, size_t mapped) {
  auto* src = static_cast<ModelSource*>(std::calloc(1, sizeof(ModelSource)));
  if (!src) return nullptr;
  src->base = base;
  src->cursor = base;
  src->left = static_cast<uint32_t>(size);
  src->mappedSize = mapped;
  MdlLeadByteTable(MdlAnsiCodePage(), src->leadBytes);
  for (int b = 0; b < 256; ++b) src->special[b] = src->leadBytes[b];
  for (uint8_t b : {'"', '(', ')', '{', '}', '%', '\n', '\r'}) src->special[b] = 1;
  return src;
}

ModelSource* MdlOpenSource(const WCHAR* path) {
  const uint8_t* base = nullptr;
  const uint8_t* cursor = nullptr;
  DWORD size = 0;
  if (!MdlMapFile(path, &base, &cursor, &size)) return nullptr;
  ModelSource* src = NewSource(base, size, size);
  if (!src) MdlUnmapFile(base, size);
  return src;
}

ModelSource* MdlOpenSourceBytes(const void* data, size_t size) {
  if (size > 0xFFFFFFFFu) return nullptr;
  return NewSource(static_cast<const uint8_t*>(data), size, 0);
}

void MdlCloseSource(ModelSource* src) {
  if (!src) return;
  if (src->mappedSize) MdlUnmapFile(src->base, src->mappedSize);
  std::free(src);
}

int MdlReadSourceByte(ModelSource* src, uint8_t* byte) {
  if (src->left == 0) return 1;
  *byte = *src->cursor++;
  --src->left;
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Statements.

namespace {

// A cursor over the source that is written back when the read ends.
struct Reader {
  ModelSource* src;
  const uint8_t* p;
  const uint8_t* end;
  bool Next(uint8_t* c) {
    if (p == end) return false;
    *c = *p++;
    return true;
  }
  ~Reader() {
    src->left = static_cast<uint32_t>(end - p);
    src->cursor = p;
  }
};

inline bool Is(uint8_t c, uint8_t cls) { return (kClasses[c] & cls) != 0; }

// Appends bytes [from, to) at once.
inline int AppendRun(TextBuffer* b, const uint8_t* from, const uint8_t* to) {
  uint32_t n = static_cast<uint32_t>(to - from);
  if (n == 0) return 1;
  if (uint64_t(b->length) + n > b->capacity && !GrowBuffer(b, uint64_t(b->length) + n)) return 0;
  std::memcpy(b->text + b->length, from, n);
  b->length += n;
  return 1;
}

// Reads a run of characters of a class into the buffer, starting with c. On return c is the
// byte after the run. false at the end of the source; *oom on a failed append.
bool ReadRun(Reader& r, TextBuffer* b, uint8_t& c, uint8_t cls, bool* oom) {
  const uint8_t* start = r.p - 1;  // c, already taken
  const uint8_t* p = r.p;
  while (p < r.end && Is(*p, cls)) ++p;
  if (!AppendRun(b, start, p)) {
    *oom = true;
    return false;
  }
  r.p = p;
  return r.Next(&c);
}

bool SkipBlanks(Reader& r, uint8_t& c) {
  while (Is(c, kCharBlank))
    if (!r.Next(&c)) return false;
  return true;
}

}  // namespace

int MdlReadStatement(ModelStatement* st, ModelSource* src) {
  ClearBuffer(&st->keyword);
  ClearBuffer(&st->option1);
  ClearBuffer(&st->option2);
  ClearBuffer(&st->value);
  Reader r{src, src->cursor, src->cursor + src->left};
  uint8_t c = 0;
  bool oom = false;

  // Statement start: "*" followed by anything but "%" at the start of a line.
  for (;;) {
    if (!r.Next(&c)) return kReadEnd;
    if (Is(c, kCharLineEnd)) continue;
    if (c == '*') {
      st->sourceOffset = static_cast<uint32_t>(r.p - 1 - src->base);
      if (!r.Next(&c)) return kReadEnd;
      if (c != '%') break;
    }
    // Comment or any other line: skip to its end.
    do {
      if (!r.Next(&c)) return kReadEnd;
    } while (!Is(c, kCharLineEnd));
  }

  // Keyword.
  if (!Is(c, kCharKeyword)) return kReadSyntaxError;
  if (!ReadRun(r, &st->keyword, c, kCharKeyword, &oom)) return oom ? kReadNoMemory : kReadEnd;
  Terminate(&st->keyword);
  if (Is(c, kCharLineEnd)) return kReadStatement;

  // Options.
  if (!SkipBlanks(r, c)) return kReadEnd;
  if (c != ':') {
    if (!Is(c, kCharOption)) return kReadSyntaxError;
    if (!ReadRun(r, &st->option1, c, kCharOption, &oom)) return oom ? kReadNoMemory : kReadEnd;
    Terminate(&st->option1);
    if (!SkipBlanks(r, c)) return kReadEnd;
    if (c != ':') {
      if (!Is(c, kCharOption)) return kReadSyntaxError;
      if (!ReadRun(r, &st->option2, c, kCharOption, &oom)) return oom ? kReadNoMemory : kReadEnd;
      Terminate(&st->option2);
      if (!SkipBlanks(r, c)) return kReadEnd;
      if (c != ':') return kReadSyntaxError;
    }
  }

  // Value: after ":" and its blanks, up to a line end outside quotes, parentheses and braces.
  if (!r.Next(&c)) return kReadEnd;
  if (!SkipBlanks(r, c)) return kReadEnd;
  TextBuffer* v = &st->value;
  bool quoted = false;
  uint32_t parens = 0;
  uint32_t braces = 0;
  const uint8_t* lead = src->leadBytes;
  for (;;) {
    if (!quoted && parens == 0 && braces == 0 && Is(c, kCharLineEnd)) break;
    if (!src->special[c]) {
      // A run of ordinary bytes: appended at once.
      const uint8_t* start = r.p - 1;
      const uint8_t* p = r.p;
      while (p < r.end && !src->special[*p]) ++p;
      if (!AppendRun(v, start, p)) return kReadNoMemory;
      r.p = p;
      if (!r.Next(&c)) return kReadEnd;
      continue;
    }
    if (lead[c]) {
      if (!Append(v, c)) return kReadNoMemory;
      if (!r.Next(&c)) return kReadEnd;
    } else {
      switch (c) {
        case '"':
          quoted = !quoted;
          break;
        case '(':
          if (quoted) return kReadSyntaxError;
          ++parens;
          break;
        case ')':
          if (quoted || parens == 0) return kReadSyntaxError;
          --parens;
          break;
        case '{':
          if (quoted || parens) return kReadSyntaxError;
          ++braces;
          break;
        case '}':
          if (quoted || parens || braces == 0) return kReadSyntaxError;
          --braces;
          break;
        case '%':
          if (quoted) {
            if (!Append(v, c)) return kReadNoMemory;
            if (!r.Next(&c)) return kReadEnd;
            if (Is(c, kCharLineEnd)) return kReadSyntaxError;
          }
          break;
        default:
          break;
      }
    }
    if (!Append(v, c)) return kReadNoMemory;
    if (!r.Next(&c)) return kReadEnd;
  }
  Terminate(v);
  return kReadStatement;
}

// ---------------------------------------------------------------------------------------------

int MdlCheckSourceExtension(WCHAR* path, bool compiledExtension) {
  if (!path) return 0;
  WCHAR* dot = nullptr;
  for (WCHAR* p = path; *p; ++p)
    if (*p == u'.') dot = p;
  if (!dot) return 0;
  auto upper = [](WCHAR ch) { return (ch >= u'a' && ch <= u'z') ? WCHAR(ch - 32) : ch; };
  const char16_t* want = compiledExtension ? u"QCD" : u"QCS";
  const WCHAR* ext = dot + 1;
  for (int i = 0; i < 3; ++i)
    if (upper(ext[i]) != want[i]) return 0;
  if (ext[3] != 0) return 0;
  if (compiledExtension) {
    dot[1] = u'Q';
    dot[2] = u'C';
    dot[3] = u'S';
  }
  return 1;
}

int MdlReadFileVersion(const WCHAR* path, WCHAR out[15]) {
  ModelStatement* st = MdlNewStatement();
  if (!st) return 1;
  ModelSource* src = MdlOpenSource(path);
  if (src) {
    for (;;) {
      int result = MdlReadStatement(st, src);
      if (result == kReadStatement) {
        if (std::strcmp(st->keyword.text, "FileVersion") == 0) {
          MdlAnsiToWide(out, st->value.text, -1, 15);
          break;
        }
      } else if (result != kReadSyntaxError) {
        break;
      }
    }
    MdlCloseSource(src);
  }
  MdlFreeStatement(st);
  return 1;
}
