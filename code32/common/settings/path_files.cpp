// File operations: existence, deletion through the read-only attribute, copies that leave the
// destination writable, write-time comparison, folder creation and file-name dissection.
#include "path_files.h"

namespace {

bool IsDotEntry(const WCHAR* name) {
  return name[0] == u'.' && (name[1] == u'\0' || (name[1] == u'.' && name[2] == u'\0'));
}

// The last-write time of a file opened for attribute access only.
bool LastWriteTime(const WCHAR* path, ULONGLONG& out) {
  HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME written{};
  const BOOL ok = GetFileTime(file, nullptr, nullptr, &written);
  CloseHandle(file);
  if (!ok) return false;
  out = (static_cast<ULONGLONG>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
  return true;
}

// Start of the file-name part (after the last "\").
template <typename Char>
Char* FileNameOf(Char* path) {
  Char* name = path;
  for (Char* p = path; *p; ++p)
    if (*p == u'\\') name = p + 1;
  return name;
}

template <typename Char>
Char* ExtensionOf(Char* path, int* length) {
  if (!path) return nullptr;
  Char* name = FileNameOf(path);
  if (!*name) {
    if (length) *length = 0;
    return path;
  }
  Char* dot = nullptr;
  for (Char* p = name; *p; ++p)
    if (*p == u'.') dot = p;
  if (!dot) {
    if (length) *length = 0;
    return name;
  }
  if (length) *length = lstrlenW(dot + 1);
  return dot + 1;
}

}  // namespace

int PathIsFilePresent(const WCHAR* path) {
  if (!path) return 0;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  CloseHandle(file);
  return 1;
}

int PathDeleteFile(const WCHAR* path) {
  if (!path || !SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL)) return 0;
  DeleteFileW(path);
  return 1;
}

int PathDeleteMatchingFiles(const WCHAR* pattern) {
  if (!pattern) return 0;
  WCHAR path[MAX_PATH];
  const int patternLength = lstrlenW(pattern);
  if (patternLength >= MAX_PATH) return 0;
  lstrcpynW(path, pattern, MAX_PATH);
  WCHAR* name = FileNameOf(path);
  const int folderLength = static_cast<int>(name - path);

  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(pattern, &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int any = 0;
  do {
    // Folders are neither entered nor touched: their attributes stay as they are.
    if (IsDotEntry(found.cFileName) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (folderLength + lstrlenW(found.cFileName) >= MAX_PATH) continue;
    lstrcpynW(name, found.cFileName, MAX_PATH - folderLength);
    if (SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL)) {
      any = 1;
      DeleteFileW(path);
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return any;
}

int PathCopyFile(const WCHAR* source, const WCHAR* destination, BOOL failIfExists) {
  if (!source || !destination) return 0;
  if (!CopyFileW(source, destination, failIfExists)) return 0;
  if (!SetFileAttributesW(destination, FILE_ATTRIBUTE_NORMAL)) return 0;
  return SetFileAttributesW(destination, FILE_ATTRIBUTE_ARCHIVE) ? 1 : 0;
}

int PathClearReadOnly(const WCHAR* path) {
  if (!path) return 1;
  const DWORD attributes = GetFileAttributesW(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  return 1;
}

int PathCompareWriteTimes(const WCHAR* a, const WCHAR* b, int mode) {
  if (!a || !b) return 0;
  ULONGLONG timeA = 0;
  ULONGLONG timeB = 0;
  if (!LastWriteTime(a, timeA) || !LastWriteTime(b, timeB)) return 0;
  switch (mode) {
    case kCompareSameTime:
      return timeA == timeB ? 1 : 0;
    case kCompareNotNewer:
      return timeA <= timeB ? 1 : 0;
    default:
      return 0;
  }
}

int PathEnsureDir(const WCHAR* path) {
  if (!path) return 0;
  if (CreateDirectoryW(path, nullptr)) return 1;
  return GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0;
}

int PathReadFileBytes(HANDLE file, void* buffer, DWORD count) {
  DWORD read = 0;
  if (!buffer || !ReadFile(file, buffer, count, &read, nullptr)) return -1;
  // What was really read: a file that shrank since its size was taken gives fewer bytes.
  return static_cast<int>(read);
}

// ---- Names ---------------------------------------------------------------------------------

WCHAR* PathGetFileName(WCHAR* path) { return path ? FileNameOf(path) : nullptr; }
const WCHAR* PathGetFileName(const WCHAR* path) { return path ? FileNameOf(path) : nullptr; }

WCHAR* PathGetExtension(WCHAR* path, int* length) { return ExtensionOf(path, length); }
const WCHAR* PathGetExtension(const WCHAR* path, int* length) { return ExtensionOf(path, length); }

const WCHAR* PathGetBaseNameLength(const WCHAR* path, int* length) {
  if (!path) return nullptr;
  const WCHAR* name = FileNameOf(path);
  if (!*name) {
    if (length) *length = 0;
    return path;
  }
  int base = 0;
  while (name[base] && name[base] != u'.') ++base;
  if (length) *length = base;
  return name;
}

int PathHasShortExtension(const WCHAR* path) {
  int base = 0;
  const WCHAR* name = PathGetBaseNameLength(path, &base);
  if (!name || base == 0 || name[base] != u'.') return 0;
  int extension = 0;
  PathGetExtension(path, &extension);
  return extension >= 1 && extension <= 3 ? 1 : 0;
}

int PathReplaceExtension(WCHAR* out, const WCHAR* path, const WCHAR* newExtension) {
  if (!out || !path || !newExtension || !path[0]) return 0;
  const int pathLength = lstrlenW(path);
  if (pathLength >= MAX_PATH) return 0;
  lstrcpynW(out, path, MAX_PATH);
  WCHAR* extension = PathGetExtension(out, nullptr);
  const int keep = static_cast<int>(extension - out);
  // The result must fit the buffer: a longer one is refused rather than cut.
  if (keep + lstrlenW(newExtension) >= MAX_PATH) {
    out[0] = u'\0';
    return 0;
  }
  lstrcpynW(extension, newExtension, MAX_PATH - keep);
  return 1;
}

int PathQualityFileOf(WCHAR* out, const WCHAR* presetPath) { return PathReplaceExtension(out, presetPath, u"rsq"); }

std::u16string PathFolderPart(const std::u16string& path) {
  const size_t slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

std::u16string PathFilePart(const std::u16string& path) {
  const size_t slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}
