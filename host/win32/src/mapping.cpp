// File mappings: CreateFileMappingW, MapViewOfFile and UnmapViewOfFile over mmap.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "files.h"

namespace zolt::host {
namespace {

constexpr ULONGLONG kGranularity = 65536;  // the platform's allocation granularity

class MappingObject : public KernelObject {
 public:
  std::shared_ptr<FileObject> file;  // the file stays open while the mapping lives
  ULONGLONG size = 0;
  bool writable = false;
};

struct Views {
  std::mutex lock;
  std::map<uintptr_t, size_t> lengths;
};

Views& TheViews() {
  static Views* v = new Views;
  return *v;
}

}  // namespace
}  // namespace zolt::host

using namespace zolt::host;

WIN32_API HANDLE WINAPI CreateFileMappingW(HANDLE hFile, LPSECURITY_ATTRIBUTES, DWORD flProtect,
                                           DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow, LPCWSTR) {
  auto file = HandleGetAs<FileObject>(hFile);
  if (!file || file->directory) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  DWORD protect = flProtect & 0xFF;
  bool writable = protect == PAGE_READWRITE;
  if (protect != PAGE_READONLY && protect != PAGE_READWRITE && protect != PAGE_WRITECOPY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!(file->access & FILE_READ_DATA) || (writable && !(file->access & FILE_WRITE_DATA))) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  struct stat st{};
  if (fstat(file->fd, &st) != 0) {
    SetLastError(ErrorFromErrno(errno));
    return nullptr;
  }
  ULONGLONG size = (static_cast<ULONGLONG>(dwMaximumSizeHigh) << 32) | dwMaximumSizeLow;
  ULONGLONG have = static_cast<ULONGLONG>(st.st_size);
  if (size == 0) {
    if (have == 0) {
      SetLastError(ERROR_FILE_INVALID);  // an empty file cannot be mapped
      return nullptr;
    }
    size = have;
  } else if (size > have) {
    if (!writable) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    if (ftruncate(file->fd, static_cast<off_t>(size)) != 0) {
      SetLastError(ErrorFromErrno(errno));
      return nullptr;
    }
  }
  auto mapping = std::make_shared<MappingObject>();
  mapping->file = file;
  mapping->size = size;
  mapping->writable = writable;
  return HandleInsert(mapping);
}

WIN32_API LPVOID WINAPI MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess,
                                      DWORD dwFileOffsetHigh, DWORD dwFileOffsetLow,
                                      SIZE_T dwNumberOfBytesToMap) {
  auto mapping = HandleGetAs<MappingObject>(hFileMappingObject);
  if (!mapping) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  bool write = (dwDesiredAccess & FILE_MAP_WRITE) != 0;
  bool copy = (dwDesiredAccess & FILE_MAP_COPY) != 0 && !write;
  if (write && !mapping->writable) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  ULONGLONG offset = (static_cast<ULONGLONG>(dwFileOffsetHigh) << 32) | dwFileOffsetLow;
  if (offset % kGranularity) {
    SetLastError(ERROR_MAPPED_ALIGNMENT);
    return nullptr;
  }
  if (offset >= mapping->size || dwNumberOfBytesToMap > mapping->size - offset) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  size_t length = dwNumberOfBytesToMap ? dwNumberOfBytesToMap : static_cast<size_t>(mapping->size - offset);
  int prot = PROT_READ | (write || copy ? PROT_WRITE : 0);
  void* at = mmap(nullptr, length, prot, copy ? MAP_PRIVATE : MAP_SHARED, mapping->file->fd,
                  static_cast<off_t>(offset));
  if (at == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Views& v = TheViews();
  std::lock_guard guard(v.lock);
  v.lengths[reinterpret_cast<uintptr_t>(at)] = length;
  return at;
}

WIN32_API BOOL WINAPI UnmapViewOfFile(LPCVOID lpBaseAddress) {
  Views& v = TheViews();
  size_t length = 0;
  {
    std::lock_guard guard(v.lock);
    auto it = v.lengths.find(reinterpret_cast<uintptr_t>(lpBaseAddress));
    if (it == v.lengths.end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    length = it->second;
    v.lengths.erase(it);
  }
  munmap(const_cast<void*>(lpBaseAddress), length);
  return TRUE;
}
