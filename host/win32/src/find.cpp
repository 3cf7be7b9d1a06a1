// FindFirstFileW/FindNextFileW/FindClose: folder listings with the platform's wildcard rules.
#include <unicode/uchar.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "files.h"
#include "win32/hostpath.h"
#include "win32/hosttext.h"

namespace fs = std::filesystem;

namespace zolt::host {
namespace {

// The platform's wildcard forms after translation: "*" before a dot, "?" and a dot before a
// wildcard or at the end behave the MS-DOS way.
constexpr char16_t kDosStar = 0xF001;
constexpr char16_t kDosQm = 0xF002;
constexpr char16_t kDosDot = 0xF003;

bool IsSep(char16_t c) { return c == u'\\' || c == u'/'; }

char16_t Upper(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
  UChar32 u = u_toupper(c);
  return u <= 0xFFFF ? static_cast<char16_t>(u) : c;
}

std::u16string Translate(std::u16string_view pattern) {
  if (pattern == u"*.*") return u"*";
  std::u16string out;
  for (size_t k = 0; k < pattern.size(); ++k) {
    char16_t c = pattern[k];
    char16_t next = k + 1 < pattern.size() ? pattern[k + 1] : 0;
    if (c == u'?')
      out += kDosQm;
    else if (c == u'*')
      out += next == u'.' ? kDosStar : u'*';
    else if (c == u'.')
      out += (next == 0 || next == u'?' || next == u'*') ? kDosDot : u'.';
    else
      out += Upper(c);
  }
  return out;
}

// Does a translated pattern match a name? Dynamic programming over (pattern, name) positions.
bool Matches(std::u16string_view pattern, std::u16string_view name) {
  const size_t m = pattern.size(), n = name.size();
  size_t lastDot = name.rfind(u'.');
  std::vector<char> next(n + 1, 0), cur(n + 1, 0);
  next[n] = 1;  // the empty pattern matches the end of the name
  for (size_t i = m; i-- > 0;) {
    char16_t p = pattern[i];
    for (size_t j = n + 1; j-- > 0;) {
      bool more = j < n;
      bool r = false;
      switch (p) {
        case u'*': r = next[j] || (more && cur[j + 1]); break;
        case kDosStar: r = next[j] || (more && j != lastDot && cur[j + 1]); break;
        case kDosQm: r = (more && name[j] != u'.') ? next[j + 1] : next[j]; break;
        case kDosDot: r = more ? (name[j] == u'.' && next[j + 1]) : next[j]; break;
        case u'?': r = more && next[j + 1]; break;
        default: r = more && Upper(name[j]) == p && next[j + 1]; break;
      }
      cur[j] = r;
    }
    std::swap(next, cur);
  }
  return next[0] != 0;
}

bool FillEntry(const fs::path& real, std::u16string_view name, WIN32_FIND_DATAW& d) {
  FileInfo info;
  if (name.size() >= MAX_PATH || !QueryFileInfo(real, -1, info)) return false;
  std::memset(&d, 0, sizeof d);
  d.dwFileAttributes = info.attributes;
  d.ftCreationTime = ToFileTime(info.creation);
  d.ftLastAccessTime = ToFileTime(info.lastAccess);
  d.ftLastWriteTime = ToFileTime(info.lastWrite);
  d.nFileSizeHigh = static_cast<DWORD>(info.size >> 32);
  d.nFileSizeLow = static_cast<DWORD>(info.size);
  std::copy(name.begin(), name.end(), d.cFileName);
  return true;
}

class FindObject : public KernelObject {
 public:
  std::vector<WIN32_FIND_DATAW> entries;
  size_t next = 0;
};

HANDLE FailFind(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

HANDLE Deliver(std::shared_ptr<FindObject> find, LPWIN32_FIND_DATAW out) {
  if (find->entries.empty()) return FailFind(ERROR_FILE_NOT_FOUND);
  *out = find->entries[0];
  find->next = 1;
  return HandleInsert(std::move(find));
}

}  // namespace
}  // namespace zolt::host

using namespace zolt::host;

WIN32_API HANDLE WINAPI FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
  if (!lpFileName || !lpFindFileData) return FailFind(ERROR_INVALID_PARAMETER);
  std::u16string_view text = WideView(lpFileName);
  if (text.empty()) return FailFind(ERROR_PATH_NOT_FOUND);
  if (IsSep(text.back())) return FailFind(ERROR_FILE_NOT_FOUND);  // as the platform refuses it
  if (text.size() >= MAX_PATH && text.substr(0, 4) != u"\\\\?\\") return FailFind(ERROR_FILENAME_EXCED_RANGE);
  size_t cut = text.find_last_of(u"\\/");
  std::u16string_view folderText, pattern;
  if (cut != std::u16string_view::npos) {
    folderText = text.substr(0, cut + 1);
    pattern = text.substr(cut + 1);
  } else if (text.size() >= 2 && text[1] == u':') {
    folderText = text.substr(0, 2);
    pattern = text.substr(2);
  } else {
    pattern = text;
  }
  DWORD err = 0;
  auto find = std::make_shared<FindObject>();

  if (pattern.find_first_of(u"*?") == std::u16string_view::npos) {
    // One file or folder by its name.
    auto parsed = ParseWinPath(text, &err);
    if (!parsed) return FailFind(err);
    if (parsed->parts.empty()) return FailFind(ERROR_FILE_NOT_FOUND);
    auto real = MapPath(*parsed, Resolve::Existing, &err);
    if (!real) return FailFind(err);
    WIN32_FIND_DATAW d;
    if (FillEntry(*real, FromUtf8(real->filename().string()), d)) find->entries.push_back(d);
    return Deliver(std::move(find), lpFindFileData);
  }

  for (char16_t c : pattern)
    if (c < 0x20 || c == u'<' || c == u'>' || c == u'"' || c == u'|' || c == u':')
      return FailFind(ERROR_INVALID_NAME);
  auto folder = ParseWinPath(folderText.empty() ? std::u16string_view(CurrentDirectory()) : folderText, &err);
  if (!folder) return FailFind(err);
  auto real = MapPath(*folder, Resolve::Existing, &err);
  if (!real) return FailFind(err == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : err);
  std::error_code ec;
  if (!fs::is_directory(*real, ec)) return FailFind(ERROR_PATH_NOT_FOUND);

  std::u16string translated = Translate(pattern);
  if (!folder->parts.empty()) {
    // A folder below a drive's root lists itself and its parent first.
    WIN32_FIND_DATAW d;
    if (Matches(translated, u".") && FillEntry(*real, u".", d)) find->entries.push_back(d);
    if (Matches(translated, u"..") && FillEntry(real->parent_path(), u"..", d)) find->entries.push_back(d);
  }
  struct Named {
    std::u16string upper;
    WIN32_FIND_DATAW data;
  };
  std::vector<Named> found;
  for (const auto& entry : fs::directory_iterator(*real, ec)) {
    std::string raw = entry.path().filename().string();
    if (raw.rfind(".zolt-copy-", 0) == 0) continue;  // a copy in progress
    std::u16string name = FromUtf8(raw);
    if (!Matches(translated, name)) continue;
    Named n;
    if (!FillEntry(entry.path(), name, n.data)) continue;
    for (char16_t c : name) n.upper += Upper(c);
    found.push_back(std::move(n));
  }
  std::stable_sort(found.begin(), found.end(), [](const Named& a, const Named& b) { return a.upper < b.upper; });
  for (auto& n : found) find->entries.push_back(n.data);
  return Deliver(std::move(find), lpFindFileData);
}

WIN32_API BOOL WINAPI FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
  auto find = HandleGetAs<FindObject>(hFindFile);
  if (!find) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!lpFindFileData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (find->next >= find->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  *lpFindFileData = find->entries[find->next++];
  return TRUE;
}

WIN32_API BOOL WINAPI FindClose(HANDLE hFindFile) {
  if (!HandleGetAs<FindObject>(hFindFile) || !HandleRemove(hFindFile)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
