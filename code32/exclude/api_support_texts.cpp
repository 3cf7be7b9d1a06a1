// Checks of the texts, file names and paths that callers hand in (ANSI, in the system code page;
// the second byte of a double-byte character is never taken for a character of its own).
#include <cstring>

#include "api_support.h"
#include "win32/windows.h"

namespace {

bool IsForbidden(unsigned char c, int allowBackslash) {
  switch (c) {
    case '/': case ':': case ';': case ',': case '*': case '?': case '"': case '<': case '>': case '|':
      return true;
    case '\\':
      return !allowBackslash;
    default:
      return false;
  }
}

bool EqualsNoCase(const char* a, int length, const char* b) {
  if (static_cast<int>(std::strlen(b)) != length) return false;
  for (int i = 0; i < length; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Calls fn(pointer to the byte) for every single-byte character of an ANSI text, skipping both
// bytes of a double-byte character; stops early when fn answers true. true when it stopped.
template <typename Fn>
bool AnySingleByte(const char* text, Fn fn) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (IsDBCSLeadByte(*p)) {
      if (!p[1]) break;
      ++p;
      continue;
    }
    if (fn(p)) return true;
  }
  return false;
}

}  // namespace

int ApiIsValidNameChars(const char* text, int allowBackslash) {
  if (!text) return 0;
  return AnySingleByte(text, [&](const unsigned char* p) { return IsForbidden(*p, allowBackslash); }) ? 0 : 1;
}

int ApiIsValidPathChars(const char* path) {
  if (!path) return 0;
  if (std::strlen(path) > 1 && path[1] == ':') path += 2;
  return ApiIsValidNameChars(path, 1);
}

const char* ApiFileNamePart(const char* path) {
  if (!path) return nullptr;
  const char* name = path;
  AnySingleByte(path, [&](const unsigned char* p) {
    if (*p == '\\') name = reinterpret_cast<const char*>(p + 1);
    return false;
  });
  return name;
}

const char* ApiFileExtension(const char* path, int* length) {
  const char* name = ApiFileNamePart(path);
  if (!name) {
    if (length) *length = 0;
    return path;
  }
  const char* dot = std::strrchr(name, '.');
  if (!dot) {
    if (length) *length = 0;
    return path;
  }
  if (length) *length = static_cast<int>(std::strlen(dot + 1));
  return dot + 1;
}

int ApiIsValidRpoFileName(const char* path) {
  if (!path || !ApiIsValidPathChars(path)) return 0;
  const char* name = ApiFileNamePart(path);
  if (!name || !*name || !ApiIsValidNameChars(name, 0)) return 0;
  int length = 0;
  const char* ext = ApiFileExtension(path, &length);
  return length > 0 && EqualsNoCase(ext, length, "rpo") ? 1 : 0;
}

int ApiIsValidKind(int n) { return n >= 1 && n <= 3 ? 1 : 0; }

int ApiTextHasChar(const char* text, char c) {
  if (!text) return 0;
  return AnySingleByte(text, [&](const unsigned char* p) { return *p == static_cast<unsigned char>(c); }) ? 1 : 0;
}

int ApiIsAbsolutePath(const WCHAR* path) {
  if (!path || !path[0]) return 0;
  if (path[1] == u':' && path[2] == u'\\') return 1;
  return path[0] == u'\\' && path[1] == u'\\' ? 1 : 0;
}

int ApiIsUsableFile(int kind, const char* path) {
  if (!path || (kind != 2 && kind != 3)) return 0;
  WCHAR wide[MAX_PATH] = {};
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) <= 0) return 0;
  if (!ApiIsAbsolutePath(wide)) return 0;
  if (kind == 2) {
    HANDLE file = CreateFileW(wide, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    CloseHandle(file);
    return 1;
  }
  const DWORD attributes = GetFileAttributesW(wide);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  int length = 0;
  const char* ext = ApiFileExtension(path, &length);
  return length > 0 && EqualsNoCase(ext, length, "rpo") ? 1 : 0;
}

namespace {

struct FontSearch {
  const WCHAR* name;
  int found;
};

int CALLBACK MatchFontFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM param) {
  auto* search = reinterpret_cast<FontSearch*>(param);
  if (!(type & TRUETYPE_FONTTYPE) || font->lfFaceName[0] == u'@') return 1;
  if (lstrcmpW(font->lfFaceName, search->name) != 0) return 1;
  search->found = 1;
  return 0;
}

}  // namespace

int ApiIsFontInstalled(const char* faceName) {
  if (!faceName) return 0;
  WCHAR name[LF_FACESIZE] = {};
  if (MultiByteToWideChar(CP_ACP, 0, faceName, -1, name, LF_FACESIZE) <= 0) return 0;
  name[LF_FACESIZE - 1] = 0;
  HWND desktop = GetDesktopWindow();
  HDC dc = GetDC(desktop);
  if (!dc) return 0;
  FontSearch search{name, 0};
  EnumFontFamiliesW(dc, nullptr, MatchFontFamily, reinterpret_cast<LPARAM>(&search));
  ReleaseDC(desktop, dc);
  return search.found;
}
