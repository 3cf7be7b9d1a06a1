// Windows paths mapped onto the machine root.
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <sys/stat.h>

#include <ctime>
#include <mutex>
#include <system_error>

#include "win32/hostpath.h"
#include "win32/hosttext.h"
#include "win32/machine.h"

namespace fs = std::filesystem;

namespace zolt::host {
namespace {

bool IsSep(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

char16_t UpperDrive(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }

struct CwdState {
  std::mutex lock;
  std::u16string cwd;
  uint64_t generation = 0;
};

CwdState& Cwd() {
  static CwdState* s = new CwdState;
  return *s;
}

// Splits text into components and applies "." and "..". A name with characters the file
// system refuses fails with ERROR_INVALID_NAME. Trailing dots and blanks of a name are dropped
// as the platform drops them.
bool AppendComponents(std::u16string_view text, std::vector<std::u16string>& parts, DWORD* error) {
  size_t i = 0;
  while (i <= text.size()) {
    size_t j = i;
    while (j < text.size() && !IsSep(text[j])) ++j;
    std::u16string name(text.substr(i, j - i));
    if (name == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!name.empty() && name != u".") {
      for (char16_t c : name) {
        if (c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|') {
          if (error) *error = ERROR_INVALID_NAME;
          return false;
        }
      }
      while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.pop_back();
      if (!name.empty()) parts.push_back(std::move(name));
    }
    if (j >= text.size()) break;
    i = j + 1;
  }
  return true;
}

std::optional<fs::path> MapPathByFolders(const WinPath& path, Resolve mode, DWORD* error);

// A path that did not resolve: the deepest folder of it that exists, as it stood then. Every
// name made, removed or renamed in a folder changes the folder's times, so while the folder
// stands as it was the path still does not resolve and its folders need not be read again.
// Only a folder that had stood still for a while is trusted, so that a change within one tick of
// the file system's clock is not missed.
struct FolderStamp {
  dev_t device = 0;
  ino_t inode = 0;
  struct timespec modified {};
  struct timespec changed {};
  bool operator==(const FolderStamp& o) const {
    return device == o.device && inode == o.inode && modified.tv_sec == o.modified.tv_sec &&
           modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
           changed.tv_nsec == o.changed.tv_nsec;
  }
};

std::optional<FolderStamp> StampFolder(const fs::path& folder) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return FolderStamp{st.st_dev, st.st_ino, st.st_mtim, st.st_ctim};
}

constexpr int64_t kSettledNs = 100'000'000;
constexpr size_t kMissingPaths = 32;

int64_t Nanoseconds(const struct timespec& t) { return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

struct MissingPath {
  std::string exact;  // the real path spelled as asked
  uint64_t generation = 0;
  fs::path folder;
  FolderStamp stamp;
  DWORD error = ERROR_FILE_NOT_FOUND;
};

struct MissingPaths {
  std::mutex lock;
  std::vector<MissingPath> entries;  // most recent last
};

MissingPaths& Missing() {
  static MissingPaths* m = new MissingPaths;
  return *m;
}

// The error of a path remembered as missing whose deepest folder has not changed since.
std::optional<DWORD> StillMissing(const std::string& exact) {
  MissingPaths& m = Missing();
  const uint64_t generation = Machine::Generation();
  std::lock_guard guard(m.lock);
  for (auto it = m.entries.rbegin(); it != m.entries.rend(); ++it) {
    if (it->exact != exact) continue;
    if (it->generation == generation && StampFolder(it->folder) == it->stamp) return it->error;
    m.entries.erase(std::next(it).base());
    break;
  }
  return std::nullopt;
}

void RememberMissing(const std::string& exact, const WinPath& path, DWORD error) {
  // The folders of the path from its root down, up to the first that is missing.
  WinPath folderPath = path;
  folderPath.parts.clear();
  std::optional<fs::path> folder;
  for (size_t i = 0; i + 1 < path.parts.size(); ++i) {
    folderPath.parts.push_back(path.parts[i]);
    DWORD ignored = 0;
    std::optional<fs::path> deeper = MapPathByFolders(folderPath, Resolve::Existing, &ignored);
    if (!deeper) break;
    folder = std::move(deeper);
  }
  if (!folder) folder = DriveRoot(path.drive);
  const std::optional<FolderStamp> stamp = StampFolder(*folder);
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  if (!stamp || Nanoseconds(now) - std::max(Nanoseconds(stamp->modified), Nanoseconds(stamp->changed)) <= kSettledNs)
    return;
  MissingPaths& m = Missing();
  std::lock_guard guard(m.lock);
  std::erase_if(m.entries, [&](const MissingPath& e) { return e.exact == exact; });
  if (m.entries.size() >= kMissingPaths) m.entries.erase(m.entries.begin());
  m.entries.push_back({exact, Machine::Generation(), std::move(*folder), *stamp, error});
}

}  // namespace

std::u16string WinPath::Text() const {
  std::u16string s;
  s += drive;
  s += u":\\";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) s += u'\\';
    s += parts[i];
  }
  return s;
}

bool NamesEqual(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) {
    // Case folding can change lengths only outside what file names use; compare folded forms.
    UErrorCode status = U_ZERO_ERROR;
    int r = u_strCaseCompare(reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                             reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()),
                             U_FOLD_CASE_DEFAULT, &status);
    return U_SUCCESS(status) && r == 0;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x == y) continue;
    if (x < 0x80 && y < 0x80) {
      if (x >= u'a' && x <= u'z') x = char16_t(x - 32);
      if (y >= u'a' && y <= u'z') y = char16_t(y - 32);
      if (x != y) return false;
      continue;
    }
    if (u_toupper(x) != u_toupper(y)) return false;
  }
  return true;
}

std::u16string CurrentDirectory() {
  CwdState& s = Cwd();
  std::lock_guard guard(s.lock);
  if (s.cwd.empty() || s.generation != Machine::Generation()) {
    s.cwd = FromUtf8(Machine::Facts().SystemDirectory());
    s.generation = Machine::Generation();
  }
  return s.cwd;
}

bool SetCurrentDirectory(std::u16string_view path, DWORD* error) {
  auto parsed = ParseWinPath(path, error);
  if (!parsed) return false;
  auto real = MapPath(*parsed, Resolve::Existing, error);
  if (!real) return false;
  std::error_code ec;
  if (!fs::is_directory(*real, ec)) {
    if (error) *error = ERROR_DIRECTORY;
    return false;
  }
  std::u16string text = ToWindowsPath(*real);
  CwdState& s = Cwd();
  std::lock_guard guard(s.lock);
  s.cwd = text;
  s.generation = Machine::Generation();
  return true;
}

std::optional<WinPath> ParseWinPath(std::u16string_view text, DWORD* error) {
  if (error) *error = ERROR_SUCCESS;
  if (text.empty()) {
    if (error) *error = ERROR_PATH_NOT_FOUND;
    return std::nullopt;
  }
  if (text.size() >= 4 && (text.substr(0, 4) == u"\\\\?\\" || text.substr(0, 4) == u"\\\\.\\")) {
    text.remove_prefix(4);
    if (text.size() >= 4 && NamesEqual(text.substr(0, 4), u"UNC\\")) {
      if (error) *error = ERROR_BAD_NETPATH;
      return std::nullopt;
    }
  } else if (text.size() >= 2 && IsSep(text[0]) && IsSep(text[1])) {
    if (error) *error = ERROR_BAD_NETPATH;  // no network on this machine
    return std::nullopt;
  }
  WinPath out;
  out.trailingSeparator = IsSep(text.back());
  if (text.size() >= 2 && text[1] == u':') {
    if (!IsDriveLetter(text[0])) {
      if (error) *error = ERROR_INVALID_NAME;
      return std::nullopt;
    }
    out.drive = UpperDrive(text[0]);
    std::u16string_view rest = text.substr(2);
    if (!rest.empty() && !IsSep(rest[0])) {
      // "C:name" is relative to the drive's current directory: the process's when it is on
      // that drive, else the drive's root.
      std::u16string cwd = CurrentDirectory();
      if (UpperDrive(cwd[0]) == out.drive &&
          !AppendComponents(std::u16string_view(cwd).substr(2), out.parts, error))
        return std::nullopt;
    }
    if (!AppendComponents(rest, out.parts, error)) return std::nullopt;
  } else if (IsSep(text[0])) {
    std::u16string cwd = CurrentDirectory();
    out.drive = UpperDrive(cwd[0]);
    if (!AppendComponents(text, out.parts, error)) return std::nullopt;
  } else {
    std::u16string cwd = CurrentDirectory();
    out.drive = UpperDrive(cwd[0]);
    if (!AppendComponents(std::u16string_view(cwd).substr(2), out.parts, error)) return std::nullopt;
    if (!AppendComponents(text, out.parts, error)) return std::nullopt;
  }
  if (!out.parts.empty()) {
    const auto& last = out.parts.back();
    out.wildcard = last.find_first_of(u"*?") != std::u16string::npos;
    for (size_t i = 0; i + 1 < out.parts.size(); ++i) {
      if (out.parts[i].find_first_of(u"*?") != std::u16string::npos) {
        if (error) *error = ERROR_INVALID_NAME;
        return std::nullopt;
      }
    }
  }
  return out;
}

fs::path DriveRoot(char16_t drive) {
  std::string name = "drive_";
  name += static_cast<char>(UpperDrive(drive) - u'A' + 'a');
  return Machine::Root() / name;
}

std::optional<fs::path> MapPath(const WinPath& path, Resolve mode, DWORD* error) {
  if (error) *error = ERROR_SUCCESS;
  fs::path real = DriveRoot(path.drive);
  std::error_code ec;
  if (!path.parts.empty()) {
    // A path that exists as spelled is its own answer: every component of it exists as spelled,
    // and an exact match comes first at each step below. One look instead of one per component.
    // A path remembered as missing whose deepest folder is unchanged is still missing in every
    // spelling, this one too: no look at it is needed.
    fs::path exact = real;
    for (const auto& part : path.parts) exact /= ToUtf8(part);
    if (mode == Resolve::Existing) {
      if (const auto missing = StillMissing(exact.native())) {
        if (error) *error = *missing;
        return std::nullopt;
      }
    }
    if (fs::symlink_status(exact, ec).type() != fs::file_type::not_found && !ec) return exact;
    ec.clear();
    if (mode == Resolve::Existing) {
      DWORD why = ERROR_SUCCESS;
      auto resolved = MapPathByFolders(path, mode, &why);
      if (!resolved && (why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND))
        RememberMissing(exact.native(), path, why);
      if (error) *error = why;
      return resolved;
    }
  }
  return MapPathByFolders(path, mode, error);
}

namespace {

// Resolves a path component by component, each matched without case when it does not exist as
// spelled.
std::optional<fs::path> MapPathByFolders(const WinPath& path, Resolve mode, DWORD* error) {
  if (error) *error = ERROR_SUCCESS;
  fs::path real = DriveRoot(path.drive);
  std::error_code ec;
  if (!fs::is_directory(real, ec)) {
    if (path.drive == u'C') {
      Machine::Facts();  // creates a missing drive C tree
      if (!fs::is_directory(real, ec)) fs::create_directories(real, ec);
    }
    if (!fs::is_directory(real, ec)) {
      if (error) *error = path.parts.empty() ? ERROR_INVALID_DRIVE : ERROR_PATH_NOT_FOUND;
      return std::nullopt;
    }
  }
  for (size_t i = 0; i < path.parts.size(); ++i) {
    const std::u16string& want = path.parts[i];
    bool last = i + 1 == path.parts.size();
    std::string exact = ToUtf8(want);
    fs::path candidate = real / exact;
    if (fs::symlink_status(candidate, ec).type() != fs::file_type::not_found && !ec) {
      real = candidate;
      continue;
    }
    bool found = false;
    if (fs::is_directory(real, ec)) {
      for (const auto& entry : fs::directory_iterator(real, ec)) {
        std::u16string have = FromUtf8(entry.path().filename().string());
        if (NamesEqual(have, want)) {
          real = entry.path();
          found = true;
          break;
        }
      }
    }
    if (found) continue;
    if (!last) {
      if (error) *error = ERROR_PATH_NOT_FOUND;
      return std::nullopt;
    }
    if (mode == Resolve::Existing) {
      if (error) *error = ERROR_FILE_NOT_FOUND;
      return std::nullopt;
    }
    real = candidate;
  }
  return real;
}

}  // namespace

std::optional<fs::path> MapPath(std::u16string_view text, Resolve mode, DWORD* error) {
  auto parsed = ParseWinPath(text, error);
  if (!parsed) return std::nullopt;
  return MapPath(*parsed, mode, error);
}

std::u16string ToWindowsPath(const fs::path& real) {
  fs::path root = Machine::Root();
  std::error_code ec;
  fs::path abs = fs::absolute(real, ec).lexically_normal();
  fs::path rel = abs.lexically_relative(root.lexically_normal());
  if (rel.empty() || *rel.begin() == "..") return {};
  auto it = rel.begin();
  std::string driveDir = it->string();
  if (driveDir.size() != 7 || driveDir.rfind("drive_", 0) != 0) return {};
  char letter = driveDir[6];
  if (letter < 'a' || letter > 'z') return {};
  std::u16string out;
  out += static_cast<char16_t>(letter - 'a' + 'A');
  out += u":";
  ++it;
  if (it == rel.end()) return out + u"\\";
  for (; it != rel.end(); ++it) {
    if (it->empty()) continue;
    out += u'\\';
    out += FromUtf8(it->string());
  }
  return out;
}

}  // namespace zolt::host
