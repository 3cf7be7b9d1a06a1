// Registry hives: the key tree, its text form and the hive files under <root>/registry/.
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <unicode/uchar.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

#include "win32/hostregistry.h"
#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/registry.h"

namespace fs = std::filesystem;

namespace zolt::host {

// ---------------------------------------------------------------------------------------------
// The key tree.

namespace {

char16_t FoldUnit(char16_t ch) {
  if (ch < 0x80) return (ch >= u'a' && ch <= u'z') ? char16_t(ch - 32) : ch;
  if (ch >= 0xD800 && ch <= 0xDFFF) return ch;
  return static_cast<char16_t>(u_toupper(ch));
}

bool FoldedEqual(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && FoldUnit(a[i]) != FoldUnit(b[i])) return false;
  return true;
}

}  // namespace

std::u16string FoldName(std::u16string_view name) {
  std::u16string out(name);
  for (auto& ch : out) ch = FoldUnit(ch);
  return out;
}

RegistryKey* RegistryKey::Subkey(std::u16string_view name) const {
  auto it = subkeys.find(FoldName(name));
  return it == subkeys.end() ? nullptr : it->second.get();
}

RegistryKey& RegistryKey::MakeSubkey(std::u16string_view name, bool* created) {
  auto [it, inserted] = subkeys.try_emplace(FoldName(name));
  if (inserted) {
    it->second = std::make_unique<RegistryKey>();
    it->second->name = std::u16string(name);
  }
  if (created) *created = inserted;
  return *it->second;
}

bool RegistryKey::RemoveSubkey(std::u16string_view name) { return subkeys.erase(FoldName(name)) != 0; }

RegistryKey* RegistryKey::Find(const std::vector<std::u16string>& path) const {
  const RegistryKey* key = this;
  for (const auto& part : path) {
    key = key->Subkey(part);
    if (!key) return nullptr;
  }
  return const_cast<RegistryKey*>(key);
}

RegistryKey& RegistryKey::Make(const std::vector<std::u16string>& path, bool* created) {
  RegistryKey* key = this;
  bool made = false;
  for (const auto& part : path) key = &key->MakeSubkey(part, &made);
  if (created) *created = made;
  return *key;
}

const RegistryValue* RegistryKey::Value(std::u16string_view name) const {
  for (const auto& v : values)
    if (FoldedEqual(v.name, name)) return &v;
  return nullptr;
}

RegistryValue* RegistryKey::Value(std::u16string_view name) {
  return const_cast<RegistryValue*>(static_cast<const RegistryKey*>(this)->Value(name));
}

void RegistryKey::SetValue(std::u16string_view name, DWORD type, std::string data) {
  if (RegistryValue* v = Value(name)) {
    v->type = type;
    v->data = std::move(data);
    return;
  }
  values.push_back(RegistryValue{std::u16string(name), type, std::move(data)});
}

bool RegistryKey::RemoveValue(std::u16string_view name) {
  const RegistryValue* v = Value(name);
  if (!v) return false;
  values.erase(values.begin() + (v - values.data()));
  return true;
}

LONG SplitKeyPath(std::u16string_view path, std::vector<std::u16string>& out) {
  out.clear();
  if (path.empty()) return ERROR_SUCCESS;
  if (path.front() == u'\\') return ERROR_BAD_PATHNAME;
  if (path.back() == u'\\') path.remove_suffix(1);
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    std::u16string_view part = path.substr(start, end - start);
    if (part.empty()) return ERROR_BAD_PATHNAME;
    if (part.size() > REG_MAX_KEY_NAME) return ERROR_INVALID_PARAMETER;
    out.emplace_back(part);
    start = end + 1;
  }
  return ERROR_SUCCESS;
}

std::string RegText(std::u16string_view text, bool terminated) {
  std::string out;
  out.reserve((text.size() + 1) * 2);
  for (char16_t ch : text) {
    out += static_cast<char>(ch & 0xFF);
    out += static_cast<char>(ch >> 8);
  }
  if (terminated) out.append(2, '\0');
  return out;
}

std::string RegMultiText(const std::vector<std::u16string>& texts) {
  std::string out;
  for (const auto& t : texts) out += RegText(t, true);
  out.append(2, '\0');
  return out;
}

std::string RegNumber(DWORD value) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

std::u16string RegUnits(std::string_view data) {
  std::u16string units(data.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(data[2 * i]) |
                                     (static_cast<unsigned char>(data[2 * i + 1]) << 8));
  return units;
}

// ---------------------------------------------------------------------------------------------
// The text form.

namespace {

const char* const kTypeNames[] = {
    "REG_NONE",  "REG_SZ",        "REG_EXPAND_SZ",     "REG_BINARY",
    "REG_DWORD", "REG_DWORD_BIG_ENDIAN", "REG_LINK",  "REG_MULTI_SZ",
    "REG_RESOURCE_LIST", "REG_FULL_RESOURCE_DESCRIPTOR", "REG_RESOURCE_REQUIREMENTS_LIST", "REG_QWORD",
};
constexpr size_t kTypeCount = sizeof(kTypeNames) / sizeof(kTypeNames[0]);

bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ || type == REG_LINK;
}

void AppendHex4(std::string& out, char prefix, char16_t unit) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%c%04X", prefix, static_cast<unsigned>(unit));
  out += buf;
}

// Quoted text of UTF-16 units with the escapes of value names and string data.
std::string QuoteUnits(std::u16string_view units) {
  std::string out = "\"";
  for (size_t i = 0; i < units.size(); ++i) {
    char16_t c = units[i];
    switch (c) {
      case u'\\': out += "\\\\"; continue;
      case u'"': out += "\\\""; continue;
      case 0: out += "\\0"; continue;
      case u'\r': out += "\\r"; continue;
      case u'\n': out += "\\n"; continue;
      case u'\t': out += "\\t"; continue;
      default: break;
    }
    if (c < 0x20 || c == 0x7F) {
      out += '\\';
      AppendHex4(out, 'u', c);
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
               units[i + 1] <= 0xDFFF) {
      out += ToUtf8(units.substr(i, 2));
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      out += '\\';
      AppendHex4(out, 'u', c);
    } else {
      out += ToUtf8(units.substr(i, 1));
    }
  }
  out += '"';
  return out;
}

std::string EscapeKeyName(std::u16string_view name) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    char16_t c = name[i];
    bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF;
    if (pair) {
      out += ToUtf8(name.substr(i, 2));
      ++i;
    } else if (c == u'%' || c == u'[' || c == u']' || c == u'"' || c < 0x20 || c == 0x7F ||
               (c >= 0xD800 && c <= 0xDFFF)) {
      AppendHex4(out, '%', c);
    } else {
      out += ToUtf8(name.substr(i, 1));
    }
  }
  return out;
}

void FormatValue(std::string& out, const RegistryValue& v) {
  out += v.name.empty() ? std::string("@") : QuoteUnits(v.name);
  out += '=';
  if (v.type < kTypeCount) {
    out += kTypeNames[v.type];
  } else {
    char buf[24];
    std::snprintf(buf, sizeof buf, "type(0x%08X)", static_cast<unsigned>(v.type));
    out += buf;
  }
  out += ' ';
  const std::string& d = v.data;
  if (IsStringType(v.type) && d.size() % 2 == 0) {
    out += QuoteUnits(RegUnits(d));
  } else if ((v.type == REG_DWORD && d.size() == 4) || (v.type == REG_QWORD && d.size() == 8)) {
    out += "0x";
    char buf[4];
    for (size_t i = d.size(); i-- > 0;) {
      std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned char>(d[i]));
      out += buf;
    }
  } else {
    out += "hex:";
    char buf[4];
    for (size_t i = 0; i < d.size(); ++i) {
      std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", static_cast<unsigned char>(d[i]));
      out += buf;
    }
  }
  out += '\n';
}

void FormatKey(std::string& out, const RegistryKey& key, const std::string& path, bool isRoot) {
  if (!isRoot || !key.values.empty()) {
    out += '[';
    out += path;
    out += "]\n";
    for (const auto& v : key.values) FormatValue(out, v);
  }
  for (const auto& [folded, sub] : key.subkeys) {
    std::string subPath = isRoot ? EscapeKeyName(sub->name) : path + "\\" + EscapeKeyName(sub->name);
    FormatKey(out, *sub, subPath, false);
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHex4(std::string_view s, size_t pos, char16_t& out) {
  if (pos + 4 > s.size()) return false;
  unsigned v = 0;
  for (size_t i = 0; i < 4; ++i) {
    int d = HexDigit(s[pos + i]);
    if (d < 0) return false;
    v = v * 16 + static_cast<unsigned>(d);
  }
  out = static_cast<char16_t>(v);
  return true;
}

// Decodes a run of plain UTF-8; fails on bytes that are not valid UTF-8.
bool AppendUtf8(std::string_view run, std::u16string& out) {
  if (run.empty()) return true;
  std::u16string units = FromUtf8(run);
  if (ToUtf8(units) != run) return false;
  out += units;
  return true;
}

// Reads a quoted text at s[pos] (pos at the opening quote); pos ends after the closing quote.
bool ParseQuoted(std::string_view s, size_t& pos, std::u16string& out) {
  out.clear();
  if (pos >= s.size() || s[pos] != '"') return false;
  ++pos;
  size_t runStart = pos;
  while (pos < s.size()) {
    char c = s[pos];
    if (c == '"' || c == '\\') {
      if (!AppendUtf8(s.substr(runStart, pos - runStart), out)) return false;
      if (c == '"') {
        ++pos;
        return true;
      }
      if (pos + 1 >= s.size()) return false;
      char e = s[pos + 1];
      pos += 2;
      switch (e) {
        case '\\': out += u'\\'; break;
        case '"': out += u'"'; break;
        case '0': out += u'\0'; break;
        case 'r': out += u'\r'; break;
        case 'n': out += u'\n'; break;
        case 't': out += u'\t'; break;
        case 'u': {
          char16_t unit;
          if (!ParseHex4(s, pos, unit)) return false;
          out += unit;
          pos += 4;
          break;
        }
        default: return false;
      }
      runStart = pos;
      continue;
    }
    if (static_cast<unsigned char>(c) < 0x20) return false;
    ++pos;
  }
  return false;  // no closing quote
}

bool ParseKeyPath(std::string_view s, std::vector<std::u16string>& path) {
  path.clear();
  if (s.empty()) return true;
  size_t start = 0;
  while (true) {
    size_t end = s.find('\\', start);
    std::string_view part = s.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    std::u16string name;
    size_t runStart = 0;
    for (size_t i = 0; i < part.size();) {
      if (part[i] == '%') {
        if (!AppendUtf8(part.substr(runStart, i - runStart), name)) return false;
        char16_t unit;
        if (!ParseHex4(part, i + 1, unit)) return false;
        name += unit;
        i += 5;
        runStart = i;
      } else if (part[i] == '[' || part[i] == ']' || part[i] == '"' || static_cast<unsigned char>(part[i]) < 0x20) {
        return false;
      } else {
        ++i;
      }
    }
    if (!AppendUtf8(part.substr(runStart), name)) return false;
    if (name.empty() || name.size() > REG_MAX_KEY_NAME || name.find(u'\\') != std::u16string::npos) return false;
    path.push_back(std::move(name));
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

bool ParseType(std::string_view token, DWORD& type) {
  for (size_t i = 0; i < kTypeCount; ++i)
    if (token == kTypeNames[i]) {
      type = static_cast<DWORD>(i);
      return true;
    }
  if (token.size() == 16 && token.substr(0, 7) == "type(0x" && token.back() == ')') {
    DWORD v = 0;
    for (size_t i = 7; i < 15; ++i) {
      int d = HexDigit(token[i]);
      if (d < 0) return false;
      v = v * 16 + static_cast<DWORD>(d);
    }
    type = v;
    return true;
  }
  return false;
}

bool ParseData(std::string_view s, std::string& data) {
  data.clear();
  if (!s.empty() && s[0] == '"') {
    size_t pos = 0;
    std::u16string units;
    if (!ParseQuoted(s, pos, units) || pos != s.size()) return false;
    data = RegText(units, false);
    return true;
  }
  if (s.substr(0, 4) == "hex:") {
    std::string_view rest = s.substr(4);
    if (rest.empty()) return true;
    for (size_t i = 0;; i += 3) {
      if (i + 2 > rest.size()) return false;
      int hi = HexDigit(rest[i]), lo = HexDigit(rest[i + 1]);
      if (hi < 0 || lo < 0) return false;
      data += static_cast<char>(hi * 16 + lo);
      if (i + 2 == rest.size()) return true;
      if (rest[i + 2] != ',') return false;
    }
  }
  if (s.substr(0, 2) == "0x" && (s.size() == 10 || s.size() == 18)) {
    size_t bytes = (s.size() - 2) / 2;
    data.assign(bytes, '\0');
    for (size_t i = 0; i < bytes; ++i) {
      int hi = HexDigit(s[2 + 2 * i]), lo = HexDigit(s[3 + 2 * i]);
      if (hi < 0 || lo < 0) return false;
      data[bytes - 1 - i] = static_cast<char>(hi * 16 + lo);
    }
    return true;
  }
  return false;
}

}  // namespace

std::string FormatHive(const RegistryKey& root) {
  std::string out = "; ZOLT registry hive\n";
  FormatKey(out, root, std::string(), true);
  return out;
}

bool ParseHive(std::string_view text, RegistryKey& root, std::string* error) {
  RegistryKey parsed;
  RegistryKey* current = &parsed;
  size_t lineNo = 0;
  auto fail = [&](const char* why) {
    if (error) *error = "line " + std::to_string(lineNo) + ": " + why;
    return false;
  };
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']') return fail("a key line must end with ]");
      std::vector<std::u16string> path;
      if (!ParseKeyPath(line.substr(1, line.size() - 2), path)) return fail("bad key path");
      current = &parsed.Make(path);
      continue;
    }
    std::u16string name;
    size_t p = 0;
    if (line[0] == '@') {
      p = 1;
    } else if (line[0] == '"') {
      if (!ParseQuoted(line, p, name)) return fail("bad value name");
      if (name.empty()) return fail("the default value is written @");
      if (name.size() > REG_MAX_VALUE_NAME) return fail("value name too long");
    } else {
      return fail("expected [key], \"name\"= or @=");
    }
    if (p >= line.size() || line[p] != '=') return fail("expected = after the value name");
    ++p;
    size_t space = line.find(' ', p);
    if (space == std::string_view::npos) return fail("expected a type and data");
    DWORD type = 0;
    if (!ParseType(line.substr(p, space - p), type)) return fail("unknown type");
    std::string data;
    if (!ParseData(line.substr(space + 1), data)) return fail("bad data");
    if (data.size() > 0xFFFFFFFFull) return fail("data too long");
    if (current->Value(name)) return fail("value given twice");
    current->values.push_back(RegistryValue{std::move(name), type, std::move(data)});
  }
  root = std::move(parsed);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Hive files.

namespace {

struct Stamp {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  int64_t mtimeNs = 0;
  int64_t ctimeNs = 0;
  bool operator==(const Stamp&) const = default;
};

Stamp StampOf(const struct stat& st) {
  Stamp s;
  s.exists = true;
  s.dev = st.st_dev;
  s.ino = st.st_ino;
  s.size = st.st_size;
  s.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.ctimeNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return s;
}

// The memory copy of a hive file. Beside the file, <file>.lock is the file whose lock writers
// take; it holds the number of changes written so far (8 bytes), which every writer raises
// after it renamed the new hive into place. A reader compares that number and the hive file's
// identity, size and times with what it last saw, so it notices a change even when the file
// system reuses an inode within one tick of its clock. The number is read through a shared
// mapping of the lock file, which shows every writer's update without a call.
struct HiveCache {
  bool loaded = false;
  Stamp stamp;
  uint64_t changes = 0;
  RegistryKey root;
  int lockFd = -1;
  uint64_t lockForks = 0;  // the fork count when lockFd was opened (a forked child opens its own)
  const uint64_t* lockChanges = nullptr;  // the number in the lock file, mapped shared
  uint64_t checkedAt = ~uint64_t{0};      // the number when the file was last compared with the copy

  HiveCache() = default;
  HiveCache(const HiveCache&) = delete;
  HiveCache& operator=(const HiveCache&) = delete;
  ~HiveCache() { CloseLock(); }
  void CloseLock() {
    if (lockChanges) ::munmap(const_cast<uint64_t*>(lockChanges), sizeof(uint64_t));
    if (lockFd >= 0) ::close(lockFd);
    lockChanges = nullptr;
    lockFd = -1;
  }
};

// Forks of this process so far, as the child counts them: a child's inherited lock descriptors
// share their open file with the parent's, so it opens its own.
std::atomic<uint64_t> gForks{0};
void CountFork() { gForks.fetch_add(1, std::memory_order_relaxed); }
[[maybe_unused]] const int kForkCounter = pthread_atfork(nullptr, nullptr, CountFork);

struct Store {
  std::mutex lock;
  uint64_t generation = 0;
  std::map<std::string, std::unique_ptr<HiveCache>, std::less<>> hives;  // by file path
};

Store& TheStore() {
  static Store* s = new Store;  // lives until the process ends
  return *s;
}

HiveCache& CacheOf(Store& s, const fs::path& file) {
  uint64_t gen = Machine::Generation();
  if (gen != s.generation) {
    s.hives.clear();
    s.generation = gen;
  }
  auto it = s.hives.find(std::string_view(file.native()));
  if (it == s.hives.end()) it = s.hives.emplace(file.native(), nullptr).first;
  if (!it->second) it->second = std::make_unique<HiveCache>();
  return *it->second;
}

int LockFd(HiveCache& cache, const fs::path& file) {
  const uint64_t forks = gForks.load(std::memory_order_relaxed);
  if (cache.lockFd >= 0 && cache.lockForks == forks) return cache.lockFd;
  cache.CloseLock();  // inherited through fork: this process's own copy
  fs::path lockFile = file;
  lockFile += ".lock";
  cache.lockFd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  cache.lockForks = forks;
  // A new lock file holds no number yet: zero, as its length of 8 bytes says (a number already
  // written is left as it is).
  struct stat st {};
  if (cache.lockFd >= 0 && ::fstat(cache.lockFd, &st) == 0 &&
      (st.st_size >= static_cast<off_t>(sizeof(uint64_t)) || ::ftruncate(cache.lockFd, sizeof(uint64_t)) == 0)) {
    void* map = ::mmap(nullptr, sizeof(uint64_t), PROT_READ, MAP_SHARED, cache.lockFd, 0);
    if (map != MAP_FAILED) cache.lockChanges = static_cast<const uint64_t*>(map);
  }
  return cache.lockFd;
}

uint64_t ReadChanges(int fd) {
  uint64_t n = 0;
  if (fd < 0 || ::pread(fd, &n, sizeof n, 0) != static_cast<ssize_t>(sizeof n)) return 0;
  return n;
}

uint64_t ReadChanges(HiveCache& cache, const fs::path& file) {
  int fd = LockFd(cache, file);
  if (cache.lockChanges) return __atomic_load_n(cache.lockChanges, __ATOMIC_ACQUIRE);
  return ReadChanges(fd);
}

// Brings the memory copy up to date with the file.
LONG Refresh(HiveCache& cache, const fs::path& file) {
  uint64_t changes = ReadChanges(cache, file);
  if (changes != cache.changes) cache.loaded = false;
  cache.changes = changes;
  // Every write raises the shared number after its rename: a copy read since the number last
  // moved (and checked against the file then) is current without another look at the file.
  if (cache.loaded && cache.lockChanges && cache.checkedAt == changes) return ERROR_SUCCESS;
  cache.checkedAt = changes;
  struct stat st;
  if (::stat(file.c_str(), &st) != 0) {
    if (errno != ENOENT) return ERROR_CANTREAD;
    if (!cache.loaded || cache.stamp.exists) {
      cache.root = RegistryKey{};
      cache.stamp = Stamp{};
      cache.loaded = true;
    }
    return ERROR_SUCCESS;
  }
  if (cache.loaded && cache.stamp == StampOf(st)) return ERROR_SUCCESS;
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    cache.checkedAt = ~uint64_t{0};  // look again
    return errno == ENOENT ? Refresh(cache, file) : ERROR_CANTREAD;
  }
  struct stat fst;
  std::string text;
  bool ok = ::fstat(fd, &fst) == 0;
  if (ok) {
    text.resize(static_cast<size_t>(fst.st_size));
    size_t got = 0;
    while (got < text.size()) {
      ssize_t n = ::read(fd, text.data() + got, text.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    ok = got == text.size();
  }
  ::close(fd);
  if (!ok) return ERROR_CANTREAD;
  RegistryKey root;
  if (!ParseHive(text, root)) {
    cache.loaded = false;
    return ERROR_BADDB;
  }
  cache.root = std::move(root);
  cache.stamp = StampOf(fst);
  cache.loaded = true;
  return ERROR_SUCCESS;
}

bool WriteWhole(const fs::path& file, const std::string& text) {
  fs::path tmp = file;
  tmp += ".tmp" + std::to_string(::getpid());
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  bool ok = done == text.size();
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(tmp.c_str(), file.c_str()) == 0;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

// Holds the cross-process lock of a hive file while it lives.
class FileLock {
 public:
  explicit FileLock(int fd) : fd_(fd) {
    while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) fd_ = -1;
    }
  }
  ~FileLock() {
    if (fd_ >= 0) ::flock(fd_, LOCK_UN);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_;
};

std::string LowerAscii(std::string s) {
  for (auto& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    else if (c == '/') c = '_';
  return s;
}

}  // namespace

namespace {

// The names are made again only when the machine, its root or the user changes: every read of a
// value asks for one, and joining paths parses every component. The path is this thread's copy,
// valid until the thread's next call.
const fs::path& HiveFileOfThread(Hive hive) {
  struct Names {
    uint64_t generation = ~uint64_t{0};
    std::string root;
    std::string user;
    fs::path machine;
    fs::path userHive;
  };
  thread_local Names names;
  const uint64_t generation = Machine::Generation();
  const fs::path& root = Machine::Root();
  if (names.generation != generation || names.root != root.native()) {
    names = Names{generation, root.native(), {}, root / "registry" / "machine.hive", {}};
  }
  if (hive == Hive::LocalMachine) return names.machine;
  const std::string& user = Machine::Facts().userName;
  if (names.userHive.empty() || names.user != user) {
    names.user = user;
    names.userHive = root / "registry" / ("user." + LowerAscii(user) + ".hive");
  }
  return names.userHive;
}

}  // namespace

fs::path HiveFile(Hive hive) { return HiveFileOfThread(hive); }

namespace {

LONG ReadHiveUnguarded(Hive hive, const std::function<LONG(const RegistryKey& root)>& fn) {
  const fs::path& file = HiveFileOfThread(hive);
  Store& s = TheStore();
  std::lock_guard guard(s.lock);
  HiveCache& cache = CacheOf(s, file);
  LONG rc = Refresh(cache, file);
  if (rc != ERROR_SUCCESS) return rc;
  return fn(cache.root);
}

LONG WriteHiveUnguarded(Hive hive, const std::function<LONG(RegistryKey& root, bool& changed)>& fn) {
  fs::path file = HiveFile(hive);
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  Store& s = TheStore();
  std::lock_guard guard(s.lock);
  HiveCache& cache = CacheOf(s, file);
  FileLock lock(LockFd(cache, file));
  if (!lock.Held()) return ERROR_CANTWRITE;
  LONG rc = Refresh(cache, file);
  if (rc != ERROR_SUCCESS) return rc;
  bool changed = false;
  rc = fn(cache.root, changed);
  if (rc != ERROR_SUCCESS && changed) cache.loaded = false;  // read the file again next time
  if (rc != ERROR_SUCCESS || !changed) return rc;
  if (!WriteWhole(file, FormatHive(cache.root))) {
    cache.loaded = false;
    return ERROR_CANTWRITE;
  }
  uint64_t changes = ReadChanges(cache.lockFd) + 1;
  if (::pwrite(cache.lockFd, &changes, sizeof changes, 0) == static_cast<ssize_t>(sizeof changes)) {
    cache.changes = changes;
  } else {
    cache.loaded = false;
  }
  struct stat st;
  if (::stat(file.c_str(), &st) == 0) {
    cache.stamp = StampOf(st);
  } else {
    cache.loaded = false;
  }
  return ERROR_SUCCESS;
}

}  // namespace

// No exception leaves a platform call: running out of memory (a huge hive, a huge value) is
// reported as the platform reports it.
LONG ReadHive(Hive hive, const std::function<LONG(const RegistryKey& root)>& fn) {
  try {
    return ReadHiveUnguarded(hive, fn);
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  }
}

LONG WriteHive(Hive hive, const std::function<LONG(RegistryKey& root, bool& changed)>& fn) {
  try {
    return WriteHiveUnguarded(hive, fn);
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  }
}

}  // namespace zolt::host
