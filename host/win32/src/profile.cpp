// Profile (INI) files.
//
// A file is kept as its lines: the bytes of each line as they stand in the file and its line
// end, plus what the line means (a section header, a key line, a line without "=", a blank
// line), read from the line's text in the machine's ANSI code page. Reads parse the file
// afresh; writes change the lines they must, keep every other line byte for byte, and replace
// the file through a temporary file in the same folder.
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "files.h"
#include "win32/hostpath.h"
#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/profile.h"

namespace fs = std::filesystem;

namespace zolt::host {
namespace {

// A comment is a line whose text starts with ";": never a key, and a deleted section leaves its
// comments behind.
enum class LineKind { Blank, Section, Key, Comment, Other };

struct IniLine {
  std::string raw;  // the line's bytes without its end
  std::string end;  // "\r\n", "\n", "\r", or "" for a last line without one
  LineKind kind = LineKind::Blank;
  std::u16string name;   // section name or key, trimmed
  std::u16string value;  // key value, trimmed; the text of a line without "="
};

struct IniFile {
  std::vector<IniLine> lines;
};

// Blanks around names and values in the file: space, tab and vertical tab.
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v'; }

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Section and key names given by a caller lose their surrounding spaces only.
std::u16string_view TrimArgument(const WCHAR* text) {
  std::u16string_view s = WideView(text);
  while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == u' ') s.remove_suffix(1);
  return s;
}

UINT CodePage() { return Machine::Facts().ansiCodePage; }

void Classify(IniLine& line, UINT codePage) {
  std::u16string text;
  bool ascii = true;
  for (char c : line.raw) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    text.assign(line.raw.begin(), line.raw.end());  // the same in every code page the host knows
  } else if (!AnsiToWide(codePage, line.raw, text)) {
    AnsiToWide(1252, line.raw, text);
  }
  size_t nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);  // text ends at an embedded NUL
  std::u16string_view t = Trim(text);
  line.name.clear();
  line.value.clear();
  if (t.empty()) {
    line.kind = LineKind::Blank;
  } else if (t.front() == u'[') {
    line.kind = LineKind::Section;
    std::u16string_view inner = t.substr(1);
    size_t close = inner.find(u']');
    line.name = Trim(inner.substr(0, close));
  } else if (t.front() == u';') {
    line.kind = LineKind::Comment;
    line.value = t;
  } else if (size_t eq = t.find(u'='); eq != std::u16string_view::npos) {
    line.kind = LineKind::Key;
    line.name = Trim(t.substr(0, eq));
    line.value = Trim(t.substr(eq + 1));
  } else {
    line.kind = LineKind::Other;
    line.value = t;
  }
}

IniFile Parse(std::string_view bytes, UINT codePage) {
  IniFile file;
  file.lines.reserve(size_t(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
  size_t i = 0;
  while (i < bytes.size()) {
    size_t j = i;
    while (j < bytes.size() && bytes[j] != '\r' && bytes[j] != '\n') ++j;
    IniLine line;
    line.raw.assign(bytes.substr(i, j - i));
    if (j < bytes.size()) {
      size_t endLen = (bytes[j] == '\r' && j + 1 < bytes.size() && bytes[j + 1] == '\n') ? 2 : 1;
      line.end.assign(bytes.substr(j, endLen));
      j += endLen;
    }
    Classify(line, codePage);
    file.lines.push_back(std::move(line));
    i = j;
  }
  return file;
}

std::string Serialise(const IniFile& file) {
  std::string out;
  for (const auto& line : file.lines) {
    out += line.raw;
    out += line.end;
  }
  return out;
}

// A new line of the file, written in the code page (a character it cannot hold becomes the
// code page's default character).
IniLine NewLine(std::u16string_view text, UINT codePage) {
  IniLine line;
  if (!WideToAnsi(codePage, text, line.raw)) WideToAnsi(1252, text, line.raw);
  line.end = "\r\n";
  Classify(line, codePage);
  return line;
}

// Index of the first header of the section, or npos.
size_t FindSection(const IniFile& file, std::u16string_view name) {
  for (size_t i = 0; i < file.lines.size(); ++i)
    if (file.lines[i].kind == LineKind::Section && NamesEqual(file.lines[i].name, name)) return i;
  return std::string::npos;
}

// One past the last line of the section whose header is at index header.
size_t SectionEnd(const IniFile& file, size_t header) {
  size_t i = header + 1;
  while (i < file.lines.size() && file.lines[i].kind != LineKind::Section) ++i;
  return i;
}

// Where a new line of the section goes: after its last line that is not blank.
size_t SectionAppendPoint(const IniFile& file, size_t header) {
  size_t end = SectionEnd(file, header);
  while (end > header + 1 && file.lines[end - 1].kind == LineKind::Blank) --end;
  return end;
}

size_t FindKey(const IniFile& file, size_t header, std::u16string_view key) {
  size_t end = SectionEnd(file, header);
  for (size_t i = header + 1; i < end; ++i)
    if (file.lines[i].kind == LineKind::Key && NamesEqual(file.lines[i].name, key)) return i;
  return std::string::npos;
}

// Inserts lines at a position, giving a last line without an end one first.
void InsertLines(IniFile& file, size_t at, std::vector<IniLine> lines) {
  if (lines.empty()) return;
  if (at > 0 && file.lines[at - 1].end.empty()) file.lines[at - 1].end = "\r\n";
  file.lines.insert(file.lines.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(lines.begin()),
                    std::make_move_iterator(lines.end()));
}

// The file named by a profile call: no name is win.ini, a name without a path lies in the
// Windows directory.
std::u16string ProfilePath(const WCHAR* name) {
  std::u16string_view text = name ? WideView(name) : std::u16string_view(u"win.ini");
  if (text.find_first_of(u"\\/:") == std::u16string_view::npos)
    return FromUtf8(Machine::Facts().WindowsDirectory()) + u"\\" + std::u16string(text);
  return std::u16string(text);
}

// A name as the index holds it: ASCII names only, compared without case. Two names of ASCII
// letters are equal for the profile exactly when they are equal letter for letter without case;
// a name with any other character can equal an ASCII one only by the full comparison, so such
// names stay out of the hashed part and are compared one by one.
bool IsAsciiName(std::u16string_view s) {
  for (char16_t c : s)
    if (c >= 0x80) return false;
  return true;
}

char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }

struct AsciiNoCaseHash {
  size_t operator()(std::u16string_view s) const {
    uint64_t h = 1469598103934665603ull;
    for (char16_t c : s) h = (h ^ AsciiUpper(c)) * 1099511628211ull;
    return static_cast<size_t>(h);
  }
};

struct AsciiNoCaseEqual {
  bool operator()(std::u16string_view a, std::u16string_view b) const {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
  }
};

// The first of several lines a name may have: hashed for ASCII names, in a short list for the
// others.
class NameIndex {
 public:
  void Add(std::u16string_view name, size_t line) {
    if (IsAsciiName(name)) hashed_.try_emplace(name, line);
    else others_.push_back({name, line});
  }
  // The first line whose name equals name, or npos.
  size_t Find(std::u16string_view name) const {
    size_t best = std::string::npos;
    if (IsAsciiName(name)) {
      auto it = hashed_.find(name);
      if (it != hashed_.end()) best = it->second;
    } else {
      for (const auto& [have, line] : hashed_)
        if (line < best && NamesEqual(have, name)) best = line;
    }
    for (const auto& [have, line] : others_)
      if (line < best && NamesEqual(have, name)) best = line;
    return best;
  }

 private:
  std::unordered_map<std::u16string_view, size_t, AsciiNoCaseHash, AsciiNoCaseEqual> hashed_;
  std::vector<std::pair<std::u16string_view, size_t>> others_;
};

// A parsed file as reads use it: its lines and an index of its sections (first header of each
// name) and of the keys of each such section (first key line of each name).
struct ParsedProfile {
  IniFile file;
  NameIndex sections;
  std::unordered_map<size_t, NameIndex> keys;  // by header line

  explicit ParsedProfile(IniFile parsed) : file(std::move(parsed)) {  // the index views the names in file
    NameIndex* section = nullptr;
    for (size_t i = 0; i < file.lines.size(); ++i) {
      const IniLine& line = file.lines[i];
      if (line.kind == LineKind::Section) {
        bool first = sections.Find(line.name) == std::string::npos;
        sections.Add(line.name, i);
        section = first ? &keys[i] : nullptr;  // only the first header's keys are ever read
      } else if (line.kind == LineKind::Key && section) {
        section->Add(line.name, i);
      }
    }
  }
  ParsedProfile(const ParsedProfile&) = delete;
  ParsedProfile& operator=(const ParsedProfile&) = delete;
  size_t FindSection(std::u16string_view name) const { return sections.Find(name); }
  size_t FindKey(size_t header, std::u16string_view key) const {
    auto it = keys.find(header);
    return it == keys.end() ? std::string::npos : it->second.Find(key);
  }
};

// The parsed files of recent reads. An entry is used again without reading the file while the
// file has the identity (device, inode), size and change times it had when it was read, and
// those times were old enough then that any later change must show in them: a file changed in
// the same tick of the file system's clock as it was read is read again (and parsed again only
// when its bytes differ) until its times have aged. A name is kept with the real file it
// resolved to only when it resolved letter for letter, so that no later file of another case
// could take its place.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  struct timespec modified {};
  struct timespec changed {};

  static FileStamp Of(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
  }
  bool operator==(const FileStamp& o) const {
    return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
           modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
           changed.tv_nsec == o.changed.tv_nsec;
  }
};

// How long after a change its file times are trusted to tell every later change: several ticks
// of the coarsest clock a local file system stamps times with.
constexpr int64_t kSettledNs = 100'000'000;

int64_t Nanoseconds(const struct timespec& t) { return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

bool Settled(const FileStamp& stamp, const struct timespec& now) {
  int64_t latest = std::max(Nanoseconds(stamp.modified), Nanoseconds(stamp.changed));
  return Nanoseconds(now) - latest > kSettledNs;
}

struct CachedFile {
  std::u16string name;  // the profile path as the caller named it
  uint64_t generation = 0;
  UINT codePage = 0;
  bool exact = false;  // name resolved letter for letter to real
  fs::path real;
  FileStamp stamp;
  bool settled = false;
  std::string bytes;
  std::shared_ptr<const ParsedProfile> parsed;
};

struct ParseCache {
  std::mutex lock;
  std::vector<CachedFile> entries;  // most recent last
};

ParseCache& TheCache() {
  static ParseCache* cache = new ParseCache;
  return *cache;
}

constexpr size_t kCachedFiles = 16;

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The real path a name maps to when every component matches letter for letter.
std::optional<fs::path> ExactPath(std::u16string_view name) {
  if (name.size() < 3 || name[1] != u':' || !IsSeparator(name[2])) return std::nullopt;  // absolute names only
  DWORD error = 0;
  auto parsed = ParseWinPath(name, &error);
  if (!parsed || parsed->wildcard) return std::nullopt;
  fs::path real = DriveRoot(parsed->drive);
  for (const auto& part : parsed->parts) real /= ToUtf8(part);
  return real;
}

// The parsed lines of an existing profile file, or nullptr and why not (ERROR_FILE_NOT_FOUND,
// ERROR_PATH_NOT_FOUND, ERROR_INVALID_NAME, ERROR_ACCESS_DENIED for a folder).
std::shared_ptr<const ParsedProfile> ReadProfile(const WCHAR* name, DWORD* error) {
  // A name with a path is used as it is, without a copy.
  std::u16string_view path = name ? WideView(name) : std::u16string_view();
  std::u16string madePath;
  if (!name || path.find_first_of(u"\\/:") == std::u16string_view::npos) path = madePath = ProfilePath(name);
  const uint64_t generation = Machine::Generation();
  const UINT codePage = CodePage();
  ParseCache& cache = TheCache();
  struct timespec now {};
  {
    std::lock_guard guard(cache.lock);
    for (auto it = cache.entries.rbegin(); it != cache.entries.rend(); ++it) {
      if (!it->exact || !it->settled || it->generation != generation || it->codePage != codePage ||
          it->name != path)
        continue;
      struct stat st {};
      if (::stat(it->real.c_str(), &st) == 0 && S_ISREG(st.st_mode) && FileStamp::Of(st) == it->stamp)
        return it->parsed;
      break;
    }
  }
  auto real = MapPath(path, Resolve::Existing, error);
  if (!real) return nullptr;
  int fd = ::open(real->c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
    return nullptr;
  }
  ::clock_gettime(CLOCK_REALTIME, &now);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    *error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  std::string bytes;
  bytes.reserve(static_cast<size_t>(st.st_size));
  char chunk[65536];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  CachedFile entry;
  entry.name = std::u16string(path);
  entry.generation = generation;
  entry.codePage = codePage;
  auto exact = ExactPath(entry.name);
  entry.exact = exact && *exact == *real;
  entry.real = *real;
  entry.stamp = FileStamp::Of(st);
  entry.settled = Settled(entry.stamp, now);
  {
    std::lock_guard guard(cache.lock);
    for (const auto& e : cache.entries)
      if (e.real == *real && e.codePage == codePage && e.bytes == bytes) entry.parsed = e.parsed;
  }
  if (!entry.parsed) entry.parsed = std::make_shared<const ParsedProfile>(Parse(bytes, codePage));
  entry.bytes = std::move(bytes);
  std::shared_ptr<const ParsedProfile> parsed = entry.parsed;
  std::lock_guard guard(cache.lock);
  std::erase_if(cache.entries, [&](const CachedFile& e) { return e.real == entry.real || e.name == entry.name; });
  if (cache.entries.size() >= kCachedFiles) cache.entries.erase(cache.entries.begin());
  cache.entries.push_back(std::move(entry));
  return parsed;
}

// What a read answers: one value or a list of strings.
struct ReadResult {
  DWORD error = ERROR_SUCCESS;  // the last error of the read
  bool list = false;
  bool sectionNames = false;  // the list of the section-names call
  std::u16string value;
  std::vector<std::u16string> items;
  bool found = false;
};

// What a read leaves in the last error: success when it found what it was asked, else why not.
DWORD LastErrorOf(const ReadResult& r) {
  if (r.found) return ERROR_SUCCESS;
  return r.error != ERROR_SUCCESS ? r.error : static_cast<DWORD>(ERROR_FILE_NOT_FOUND);
}

std::u16string Unquote(std::u16string_view v) {
  if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return std::u16string(v);
}

ReadResult ReadString(const WCHAR* app, const WCHAR* key, const WCHAR* def, const WCHAR* fileName) {
  ReadResult r;
  std::shared_ptr<const ParsedProfile> parsed = ReadProfile(fileName, &r.error);
  static const ParsedProfile kEmpty{IniFile{}};
  const ParsedProfile& profile = parsed ? *parsed : kEmpty;
  const IniFile& file = profile.file;
  if (!app) {
    r.list = true;
    r.found = parsed != nullptr;
    for (const auto& line : file.lines)
      if (line.kind == LineKind::Section) r.items.push_back(line.name);
    return r;
  }
  std::u16string_view section = TrimArgument(app);
  size_t header = profile.FindSection(section);
  if (!key) {
    r.list = true;
    r.found = header != std::string::npos;
    if (r.found) {
      size_t end = SectionEnd(file, header);
      for (size_t i = header + 1; i < end; ++i)
        if (file.lines[i].kind == LineKind::Key) r.items.push_back(file.lines[i].name);
    }
    return r;
  }
  if (header != std::string::npos) {
    size_t at = profile.FindKey(header, TrimArgument(key));
    if (at != std::string::npos) {
      r.found = true;
      r.value = Unquote(file.lines[at].value);
      return r;
    }
  }
  std::u16string_view d = WideView(def);
  while (!d.empty() && d.back() == u' ') d.remove_suffix(1);  // trailing spaces only
  r.value.assign(d);
  return r;
}

ReadResult ReadSection(const WCHAR* app, const WCHAR* fileName) {
  ReadResult r;
  r.list = true;
  if (!app) return r;
  std::shared_ptr<const ParsedProfile> parsed = ReadProfile(fileName, &r.error);
  if (!parsed) return r;
  const IniFile& file = parsed->file;
  size_t header = parsed->FindSection(TrimArgument(app));
  if (header == std::string::npos) return r;
  r.found = true;
  size_t end = SectionEnd(file, header);
  for (size_t i = header + 1; i < end; ++i) {
    const IniLine& line = file.lines[i];
    if (line.kind == LineKind::Key) r.items.push_back(line.name + u"=" + line.value);
    else if (line.kind == LineKind::Other || line.kind == LineKind::Comment) r.items.push_back(line.value);
  }
  return r;
}

// Copies a value: at most size - 1 characters and a NUL; the result counts the characters.
template <class Char>
DWORD FillValue(std::basic_string_view<Char> text, Char* buf, DWORD size) {
  if (!buf || size == 0) return 0;
  size_t n = std::min<size_t>(text.size(), size - 1);
  std::copy_n(text.data(), n, buf);
  buf[n] = 0;
  if (n < text.size()) SetLastError(ERROR_MORE_DATA);
  return static_cast<DWORD>(n);
}

// Copies a list: each string and its NUL, and a final NUL. A list that does not fit is cut
// after size - 2 characters and ends in two NULs (result size - 2). The section names take one
// character more than the list: a buffer of exactly the list's size is cut as one too small.
template <class Char>
DWORD FillList(const std::vector<std::basic_string<Char>>& items, Char* buf, DWORD size, bool exactIsShort) {
  if (!buf || size == 0) return 0;
  if (size == 1) {
    buf[0] = 0;
    return 0;
  }
  size_t need = 1;
  for (const auto& s : items) need += s.size() + 1;
  if (items.empty()) {
    buf[0] = buf[1] = 0;
    return 0;
  }
  if (need < size || (need == size && !exactIsShort)) {
    Char* p = buf;
    for (const auto& s : items) {
      p = std::copy(s.begin(), s.end(), p);
      *p++ = 0;
    }
    *p = 0;
    return static_cast<DWORD>(need - 1);
  }
  size_t room = size - 2, at = 0;
  for (const auto& s : items) {
    for (size_t k = 0; k <= s.size() && at < room; ++k) buf[at++] = k < s.size() ? s[k] : Char(0);
    if (at >= room) break;
  }
  buf[size - 2] = 0;
  buf[size - 1] = 0;
  SetLastError(ERROR_MORE_DATA);
  return size - 2;
}

DWORD FillWide(const ReadResult& r, WCHAR* buf, DWORD size) {
  if (r.list) return FillList<char16_t>(r.items, buf, size, r.sectionNames);
  return FillValue<char16_t>(r.value, buf, size);
}

std::string ToAnsi(std::u16string_view text) {
  std::string out;
  if (!WideToAnsi(CodePage(), text, out)) WideToAnsi(1252, text, out);
  return out;
}

// The longest start of ANSI text whose whole characters fit in maxBytes, so that a cut never
// splits a double-byte character.
std::string AnsiPrefix(const std::string& text, size_t maxBytes) {
  return text.substr(0, CharacterBoundary(CodePage(), text, maxBytes));
}

// The ANSI forms of the results, cut as the wide ones are but at character boundaries.
DWORD FillAnsi(const ReadResult& r, CHAR* buf, DWORD size) {
  if (!buf || size == 0) return 0;
  if (!r.list) {
    std::string value = ToAnsi(r.value);
    if (value.size() >= size) {
      value = AnsiPrefix(value, size - 1);
      SetLastError(ERROR_MORE_DATA);
    }
    return FillValue<char>(value, buf, size);
  }
  std::vector<std::string> items;
  size_t need = 1;
  for (const auto& s : r.items) {
    items.push_back(ToAnsi(s));
    need += items.back().size() + 1;
  }
  if (need < size || (need == size && !r.sectionNames) || size < 2)
    return FillList<char>(items, buf, size, r.sectionNames);
  // Whole characters up to size - 2 bytes, then the double NUL.
  size_t room = size - 2, at = 0;
  for (size_t i = 0; i < r.items.size() && at < room; ++i) {
    std::string part = AnsiPrefix(items[i], room - at);
    std::copy(part.begin(), part.end(), buf + at);
    at += part.size();
    if (part.size() < items[i].size() || at >= room) break;
    buf[at++] = 0;
  }
  buf[at] = 0;
  buf[at + 1] = 0;
  SetLastError(ERROR_MORE_DATA);
  return static_cast<DWORD>(at);
}

// The integer of a profile value (the platform's rule for numbers in text).
UINT ParseProfileInt(std::u16string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] <= u' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
  uint32_t base = 10;
  if (i + 1 < s.size() && s[i] == u'0') {
    char16_t p = s[i + 1];
    if (p == u'x' || p == u'X') base = 16;
    else if (p == u'o' || p == u'O') base = 8;
    else if (p == u'b' || p == u'B') base = 2;
    if (base != 10) i += 2;
  }
  uint32_t v = 0;
  for (; i < s.size(); ++i) {
    char16_t c = s[i];
    uint32_t d;
    if (c >= u'0' && c <= u'9') d = c - u'0';
    else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
    else break;
    if (d >= base) break;
    v = v * base + d;  // wraps at 32 bits
  }
  return negative ? 0u - v : v;
}

// ---------------------------------------------------------------------------------------------
// Writing

std::mutex& WriteLock() {
  static std::mutex* m = new std::mutex;
  return *m;
}

// A process that forks while another thread reads or writes a profile gives the child free
// locks, not ones held by a thread the child does not have.
void ForkPrepare() {
  WriteLock().lock();
  TheCache().lock.lock();
}
void ForkDone() {
  TheCache().lock.unlock();
  WriteLock().unlock();
}
[[maybe_unused]] const int kForkHandlers = pthread_atfork(ForkPrepare, ForkDone, ForkDone);

DWORD ErrnoToError(int e) {
  switch (e) {
    case ENOENT: case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES: case EPERM: case EROFS: case EISDIR: return ERROR_ACCESS_DENIED;
    case ENOSPC: case EDQUOT: return ERROR_DISK_FULL;
    default: return ERROR_CANTWRITE;
  }
}

// Writes bytes to a temporary file beside the target and renames it over the target, so the
// target is always either the old file or the new one, whenever a process dies. (Like the
// platform's own profile writes, it does not wait for the disk: no fsync.)
// Gives the new file the extended attributes of the old one (where the host keeps more of a
// file's state than its permissions).
void CopyExtendedAttributes(const fs::path& from, int toFd) {
  ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
  if (size <= 0) return;
  std::string names(static_cast<size_t>(size), '\0');
  size = ::listxattr(from.c_str(), names.data(), names.size());
  if (size <= 0) return;
  for (size_t at = 0; at < static_cast<size_t>(size);) {
    const char* name = names.c_str() + at;
    at += std::strlen(name) + 1;
    ssize_t len = ::getxattr(from.c_str(), name, nullptr, 0);
    if (len < 0) continue;
    std::string value(static_cast<size_t>(len), '\0');
    len = ::getxattr(from.c_str(), name, value.data(), value.size());
    if (len >= 0) ::fsetxattr(toFd, name, value.data(), static_cast<size_t>(len), 0);
  }
}

// A new file gets the process's usual permissions; a replaced one keeps those of the old, its
// extended attributes (the platform's file attributes among them) and its creation time, as the
// platform keeps the creation time of a file replaced under its name. Its security is kept by
// name and stays with it.
bool ReplaceFile(const fs::path& target, const std::string& bytes, std::optional<mode_t> keepMode) {
  static std::atomic<unsigned> counter{0};
  fs::path tmp = target.parent_path() /
                 (".~" + target.filename().string() + "." + std::to_string(getpid()) + "." +
                  std::to_string(counter.fetch_add(1)) + ".tmp");
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetLastError(ErrnoToError(errno));
    return false;
  }
  if (keepMode) {
    ::fchmod(fd, *keepMode);
    CopyExtendedAttributes(target, fd);
    FileInfo old;
    if (QueryFileInfo(target, -1, old)) StoreCreationTime(tmp, fd, old.creation);
  }
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int e = errno;
      ::close(fd);
      ::unlink(tmp.c_str());
      SetLastError(ErrnoToError(e));
      return false;
    }
    done += static_cast<size_t>(n);
  }
  if (::close(fd) != 0) {
    int e = errno;
    ::unlink(tmp.c_str());
    SetLastError(ErrnoToError(e));
    return false;
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    int e = errno;
    ::unlink(tmp.c_str());
    SetLastError(ErrnoToError(e));
    return false;
  }
  return true;
}

enum class Change { None, Write };

// Reads the file (again), lets edit change its lines and writes it back when it changed. A
// missing file starts empty and is created only when edit wrote something.
template <class Edit>
BOOL ModifyProfile(const WCHAR* fileName, Edit edit) {
  DWORD error = 0;
  auto real = MapPath(ProfilePath(fileName), Resolve::LastMayMiss, &error);
  if (!real) {
    SetLastError(error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error);
    return FALSE;
  }
  std::lock_guard guard(WriteLock());
  struct stat st {};
  bool exists = ::stat(real->c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  std::string bytes;
  if (exists) {
    if (!(st.st_mode & S_IWUSR)) {  // a read-only file
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (!ReadRealFile(*real, bytes)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
  }
  UINT codePage = CodePage();
  IniFile file = Parse(bytes, codePage);
  if (edit(file, codePage) == Change::None) {
    SetLastError(ERROR_SUCCESS);
    return TRUE;
  }
  // A rewritten file ends its last line, as the platform writes every line it keeps.
  if (!file.lines.empty() && file.lines.back().end.empty()) file.lines.back().end = "\r\n";
  std::optional<mode_t> keepMode;
  if (exists) keepMode = st.st_mode & 07777;
  if (!ReplaceFile(*real, Serialise(file), keepMode)) return FALSE;
  // A write that had to create the file succeeds with ERROR_FILE_NOT_FOUND, as on the platform.
  SetLastError(exists ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
  return TRUE;
}

// Removes the section's header and entries; its comments stay where they were.
void DeleteSectionAt(IniFile& file, size_t header) {
  size_t end = SectionEnd(file, header);
  auto first = file.lines.begin() + static_cast<std::ptrdiff_t>(header);
  auto last = file.lines.begin() + static_cast<std::ptrdiff_t>(end);
  file.lines.erase(std::remove_if(first, last, [](const IniLine& l) { return l.kind != LineKind::Comment; }), last);
}

Change DeleteSection(IniFile& file, std::u16string_view section) {
  Change change = Change::None;
  for (size_t header; (header = FindSection(file, section)) != std::string::npos;) {
    DeleteSectionAt(file, header);
    change = Change::Write;
  }
  return change;
}

BOOL WriteString(const WCHAR* app, const WCHAR* key, const WCHAR* value, const WCHAR* fileName) {
  if (!app && !key && !value) return TRUE;  // flush: every write already reached its file
  if (!app) {  // no section: the platform looks for a section it cannot find
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  std::u16string section(TrimArgument(app));
  if (!key) return ModifyProfile(fileName, [&](IniFile& file, UINT) { return DeleteSection(file, section); });
  std::u16string name(TrimArgument(key));
  if (!value) {
    return ModifyProfile(fileName, [&](IniFile& file, UINT) {
      size_t header = FindSection(file, section);
      if (header == std::string::npos) return Change::None;
      Change change = Change::None;
      for (size_t at; (at = FindKey(file, header, name)) != std::string::npos;) {
        file.lines.erase(file.lines.begin() + static_cast<std::ptrdiff_t>(at));
        change = Change::Write;
      }
      return change;
    });
  }
  std::u16string text(WideView(value));
  return ModifyProfile(fileName, [&](IniFile& file, UINT codePage) {
    size_t header = FindSection(file, section);
    if (header == std::string::npos) {
      std::vector<IniLine> lines;
      lines.push_back(NewLine(u"[" + section + u"]", codePage));
      lines.push_back(NewLine(name + u"=" + text, codePage));
      InsertLines(file, file.lines.size(), std::move(lines));
      return Change::Write;
    }
    size_t at = FindKey(file, header, name);
    if (at != std::string::npos) {
      // The key keeps its spelling in the file; the line keeps its end.
      IniLine line = NewLine(file.lines[at].name + u"=" + text, codePage);
      line.end = file.lines[at].end;
      if (line.raw == file.lines[at].raw) return Change::None;
      file.lines[at] = std::move(line);
      return Change::Write;
    }
    std::vector<IniLine> lines;
    lines.push_back(NewLine(name + u"=" + text, codePage));
    InsertLines(file, SectionAppendPoint(file, header), std::move(lines));
    return Change::Write;
  });
}

// The strings of a double-NUL list.
std::vector<std::u16string> SplitList(const WCHAR* list) {
  std::vector<std::u16string> out;
  for (const WCHAR* p = list; p && *p;) {
    std::u16string_view s = WideView(p);
    out.emplace_back(s);
    p += s.size() + 1;
  }
  return out;
}

BOOL WriteSection(const WCHAR* app, const WCHAR* list, const WCHAR* fileName) {
  if (!app) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::u16string section(TrimArgument(app));
  if (!list) return ModifyProfile(fileName, [&](IniFile& file, UINT) { return DeleteSection(file, section); });
  std::vector<std::u16string> entries = SplitList(list);
  return ModifyProfile(fileName, [&](IniFile& file, UINT codePage) {
    std::vector<IniLine> lines;
    for (const auto& e : entries) lines.push_back(NewLine(e, codePage));
    size_t header = FindSection(file, section);
    if (header == std::string::npos) {
      lines.insert(lines.begin(), NewLine(u"[" + section + u"]", codePage));
      InsertLines(file, file.lines.size(), std::move(lines));
      return Change::Write;
    }
    // The section's lines go; blank lines that separate it from the next section stay.
    size_t bodyEnd = SectionAppendPoint(file, header);
    file.lines.erase(file.lines.begin() + static_cast<std::ptrdiff_t>(header + 1),
                     file.lines.begin() + static_cast<std::ptrdiff_t>(bodyEnd));
    InsertLines(file, header + 1, std::move(lines));
    return Change::Write;
  });
}

// ANSI arguments in the machine's code page.
struct Wide {
  explicit Wide(const CHAR* s) : null(s == nullptr) {
    if (s && !AnsiToWide(CodePage(), s, text)) AnsiToWide(1252, s, text);
  }
  const WCHAR* get() const { return null ? nullptr : text.c_str(); }
  bool null;
  std::u16string text;
};

// A double-NUL list of ANSI strings.
std::u16string WideList(const CHAR* list) {
  std::u16string out;
  for (const CHAR* p = list; p && *p;) {
    size_t n = std::strlen(p);
    std::u16string s;
    AnsiToWide(CodePage(), std::string_view(p, n), s);
    out += s;
    out += u'\0';
    p += n + 1;
  }
  out += u'\0';
  return out;
}

}  // namespace
}  // namespace zolt::host

using namespace zolt::host;

WIN32_API UINT WINAPI GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName) {
  if (!lpAppName || !lpKeyName) return static_cast<UINT>(nDefault);
  ReadResult r = ReadString(lpAppName, lpKeyName, nullptr, lpFileName);
  if (!r.found || r.value.empty()) return static_cast<UINT>(nDefault);
  return ParseProfileInt(r.value);
}

WIN32_API UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
  Wide app(lpAppName), key(lpKeyName), file(lpFileName);
  return GetPrivateProfileIntW(app.get(), key.get(), nDefault, file.get());
}

WIN32_API DWORD WINAPI GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                                                LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName) {
  if (!lpReturnedString || nSize == 0) return 0;
  ReadResult r = ReadString(lpAppName, lpKeyName, lpDefault, lpFileName);
  SetLastError(LastErrorOf(r));
  return FillWide(r, lpReturnedString, nSize);
}

WIN32_API DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                                LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
  if (!lpReturnedString || nSize == 0) return 0;
  Wide app(lpAppName), key(lpKeyName), def(lpDefault), file(lpFileName);
  ReadResult r = ReadString(app.get(), key.get(), def.get(), file.get());
  SetLastError(LastErrorOf(r));
  return FillAnsi(r, lpReturnedString, nSize);
}

WIN32_API DWORD WINAPI GetPrivateProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize,
                                                 LPCWSTR lpFileName) {
  ReadResult r = ReadSection(lpAppName, lpFileName);
  SetLastError(LastErrorOf(r));
  return FillWide(r, lpReturnedString, nSize);
}

WIN32_API DWORD WINAPI GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize,
                                                 LPCSTR lpFileName) {
  Wide app(lpAppName), file(lpFileName);
  ReadResult r = ReadSection(app.get(), file.get());
  SetLastError(LastErrorOf(r));
  return FillAnsi(r, lpReturnedString, nSize);
}

WIN32_API DWORD WINAPI GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName) {
  ReadResult r = ReadString(nullptr, nullptr, nullptr, lpFileName);
  r.sectionNames = true;
  SetLastError(LastErrorOf(r));
  return FillWide(r, lpszReturnBuffer, nSize);
}

WIN32_API DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName) {
  Wide file(lpFileName);
  ReadResult r = ReadString(nullptr, nullptr, nullptr, file.get());
  r.sectionNames = true;
  SetLastError(LastErrorOf(r));
  return FillAnsi(r, lpszReturnBuffer, nSize);
}

WIN32_API BOOL WINAPI WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString,
                                                 LPCWSTR lpFileName) {
  return WriteString(lpAppName, lpKeyName, lpString, lpFileName);
}

WIN32_API BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                                 LPCSTR lpFileName) {
  Wide app(lpAppName), key(lpKeyName), value(lpString), file(lpFileName);
  return WriteString(app.get(), key.get(), value.get(), file.get());
}

WIN32_API BOOL WINAPI WritePrivateProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString, LPCWSTR lpFileName) {
  return WriteSection(lpAppName, lpString, lpFileName);
}

WIN32_API BOOL WINAPI WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName) {
  Wide app(lpAppName), file(lpFileName);
  std::u16string list;
  if (lpString) list = WideList(lpString);
  return WriteSection(app.get(), lpString ? list.c_str() : nullptr, file.get());
}
