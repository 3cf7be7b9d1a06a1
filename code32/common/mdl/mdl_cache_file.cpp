// The compiled cache file beside a model description: the packed image byte for byte. It is read
// only when it is not older than its source, its size is the one its size slot gives and every
// link in it passes the image check; it is written whole under a temporary name and renamed into
// place.
#include <atomic>
#include <cstring>
#include <string>

#include "core_memory.h"
#include "model_load.h"

namespace {

// Closes a file handle on every path.
struct FileHandle {
  HANDLE h = INVALID_HANDLE_VALUE;
  explicit FileHandle(HANDLE handle) : h(handle) {}
  ~FileHandle() {
    if (ok()) CloseHandle(h);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool ok() const { return h != INVALID_HANDLE_VALUE && h != nullptr; }
};

size_t WideLength(const WCHAR* text) {
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

std::u16string CachePathOf(const WCHAR* sourcePath) {
  if (!sourcePath) return {};
  const size_t length = WideLength(sourcePath);
  std::u16string path(length + 5, u'\0');
  if (!MdlMakeCachePath(path.data(), path.size(), sourcePath)) return {};
  path.resize(WideLength(path.c_str()));
  return path;
}

// Readers let a writer rename a new cache file over the one they read (they keep reading the
// old one).
HANDLE OpenForReading(const WCHAR* path) {
  return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Reads exactly size bytes from the start of the file.
bool ReadWhole(HANDLE file, uint8_t* out, uint32_t size) {
  uint32_t done = 0;
  while (done < size) {
    DWORD got = 0;
    if (!ReadFile(file, out + done, size - done, &got, nullptr) || got == 0) return false;
    done += got;
  }
  // Nothing may follow: a file that grew after its size was taken is not the one measured.
  uint8_t extra;
  DWORD got = 0;
  return ReadFile(file, &extra, 1, &got, nullptr) && got == 0;
}

bool WriteWhole(HANDLE file, const uint8_t* data, uint32_t size) {
  uint32_t done = 0;
  while (done < size) {
    DWORD put = 0;
    if (!WriteFile(file, data + done, size - done, &put, nullptr) || put == 0) return false;
    done += put;
  }
  return true;
}

std::u16string Hex(uint32_t value) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string text;
  for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 0xF];
  return text;
}

std::atomic<uint32_t> g_tempSerial{0};

}  // namespace

int MdlMakeCachePath(WCHAR* out, size_t outChars, const WCHAR* sourcePath) {
  if (!out || outChars == 0) return 0;
  out[0] = 0;
  if (!sourcePath) return 0;
  const size_t length = WideLength(sourcePath);
  // The extension is the text after the last "." of the file name (a "." of a folder name is
  // not one).
  size_t stem = length;
  for (size_t i = length; i > 0; --i) {
    const WCHAR c = sourcePath[i - 1];
    if (c == u'\\' || c == u'/' || c == u':') break;
    if (c == u'.') {
      stem = i - 1;
      break;
    }
  }
  if (stem + 4 + 1 > outChars) return 0;
  std::memcpy(out, sourcePath, stem * sizeof(WCHAR));
  std::memcpy(out + stem, u".BCS", 5 * sizeof(WCHAR));
  return 1;
}

int MdlImageFileVersion(const ModelImage* image, WCHAR out[16]) {
  out[0] = 0;
  if (!image) return 0;
  WCHAR version[16];
  std::memcpy(version, image->header.fileVersion, sizeof version);
  for (int i = 0; i < 16; ++i) {
    out[i] = version[i];
    if (version[i] == 0) return 1;
  }
  out[0] = 0;
  return 0;
}

ModelImage* MdlReadCacheFile(const WCHAR* sourcePath) {
  FILETIME sourceTime{};
  {
    FileHandle source(OpenForReading(sourcePath));
    if (!source.ok() || !GetFileTime(source.h, nullptr, nullptr, &sourceTime)) return nullptr;
  }
  return MdlReadCacheFileSince(sourcePath, &sourceTime);
}

ModelImage* MdlReadCacheFileSince(const WCHAR* sourcePath, const FILETIME* sourceTime) {
  const std::u16string cachePath = CachePathOf(sourcePath);
  if (cachePath.empty() || !sourceTime) return nullptr;
  FILETIME cacheTime{};
  FileHandle cache(OpenForReading(cachePath.c_str()));
  if (!cache.ok() || !GetFileTime(cache.h, nullptr, nullptr, &cacheTime)) return nullptr;
  // A cache file as old as its source is still its compile.
  if (CompareFileTime(&cacheTime, sourceTime) < 0) return nullptr;

  LARGE_INTEGER fileSize{};
  if (!GetFileSizeEx(cache.h, &fileSize)) return nullptr;
  if (fileSize.QuadPart <= static_cast<LONGLONG>(kModelHeaderSize) ||
      static_cast<uint64_t>(fileSize.QuadPart) > kMdlMaxCacheFileSize)
    return nullptr;
  const auto size = static_cast<uint32_t>(fileSize.QuadPart);

  // Every byte is read from the file before any is looked at (a short read frees the block):
  // the block is not zeroed first. MdlFreeMem releases it like any block of the core.
  auto* block = static_cast<uint8_t*>(GlobalAlloc(GMEM_FIXED, size));
  if (!block) return nullptr;
  auto* image = reinterpret_cast<ModelImage*>(block);
  WCHAR version[16];
  if (!ReadWhole(cache.h, block, size) || image->header.totalSize != size || !MdlImageFileVersion(image, version) ||
      !MdlCheckImage(block, size)) {
    MdlFreeMem(block);
    return nullptr;
  }
  return image;
}

int MdlWriteCacheFile(const ModelImage* image, const WCHAR* sourcePath) {
  if (!image) return 0;
  const uint32_t size = image->header.totalSize;
  if (size < kModelHeaderSize) return 0;
  const std::u16string cachePath = CachePathOf(sourcePath);
  if (cachePath.empty()) return 0;

  // A name of this process and call beside the cache file: the rename then stays in one folder
  // and replaces the cache file in one step.
  std::u16string tempPath;
  FileHandle temp(INVALID_HANDLE_VALUE);
  for (int attempt = 0; attempt < 8 && !temp.ok(); ++attempt) {
    tempPath = cachePath + u"." + Hex(GetCurrentProcessId()) + Hex(g_tempSerial.fetch_add(1)) + u".tmp";
    temp.h = CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!temp.ok() && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return 0;
  }
  if (!temp.ok()) return 0;
  bool written = WriteWhole(temp.h, MdlImageBytes(image), size) && FlushFileBuffers(temp.h);
  CloseHandle(temp.h);
  temp.h = INVALID_HANDLE_VALUE;
  if (written && MoveFileExW(tempPath.c_str(), cachePath.c_str(), MOVEFILE_REPLACE_EXISTING)) return 1;
  DeleteFileW(tempPath.c_str());
  return 0;
}

int MdlDeleteCacheFile(const WCHAR* sourcePath) {
  const std::u16string cachePath = CachePathOf(sourcePath);
  return !cachePath.empty() && DeleteFileW(cachePath.c_str()) ? 1 : 0;
}
