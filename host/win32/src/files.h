// Inside the file area: file handles, the attributes and times kept with a file, and the
// sharing records. Shared by the file, find and mapping calls.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "handles.h"
#include "win32/file.h"

namespace zolt::host {

// FILETIME value (100 ns since 1601) of a file system time and back.
ULONGLONG FileTimeValue(const struct timespec& ts);
struct timespec TimespecOf(ULONGLONG value);
FILETIME ToFileTime(ULONGLONG value);
ULONGLONG FromFileTime(const FILETIME& ft);

// What the platform reports about a file or folder.
struct FileInfo {
  DWORD attributes = 0;  // with DIRECTORY; NORMAL when no other bit is set
  ULONGLONG creation = 0;
  ULONGLONG lastAccess = 0;
  ULONGLONG lastWrite = 0;
  ULONGLONG size = 0;
  bool directory = false;
};

// Reads the information of a real file (fd >= 0: through that descriptor). False when the
// file is missing (errno tells why). Without `stored`, the attributes and creation time kept in
// the file's DOS record are not read (the sizes and the other times are what they always are).
bool QueryFileInfo(const std::filesystem::path& real, int fd, FileInfo& out, bool stored = true);
// Stores the settable attributes (READONLY, HIDDEN, SYSTEM, ARCHIVE, TEMPORARY,
// NOT_CONTENT_INDEXED; NORMAL alone clears them) and optionally a creation time.
bool StoreAttributes(const std::filesystem::path& real, int fd, DWORD attributes,
                     std::optional<ULONGLONG> creation = std::nullopt);
// Stores a creation time and keeps the attributes.
bool StoreCreationTime(const std::filesystem::path& real, int fd, ULONGLONG creation);

// The platform's error for an errno value of a file operation.
DWORD ErrorFromErrno(int e);

// The whole content of a real file, read with one read for its size (and more reads only if it
// grows meanwhile). False when it cannot be opened or read (errno tells why).
bool ReadRealFile(const std::filesystem::path& real, std::string& out);
bool ReadRealFile(const std::filesystem::path& real, std::vector<uint8_t>& out);

// An open file or folder.
class FileObject : public KernelObject {
 public:
  ~FileObject() override;
  int fd = -1;
  std::filesystem::path real;
  DWORD access = 0;  // specific rights (generic ones mapped)
  bool directory = false;
  bool deleteOnClose = false;
  std::mutex lock;  // guards the fields below and the file position
  bool wrote = false;
  bool archiveMarked = false;
  std::optional<ULONGLONG> fixedWrite;   // set through SetFileTime: kept on close
  std::optional<ULONGLONG> fixedAccess;
};

}  // namespace zolt::host
