// Files and directories: open, read, write, times, attributes, copy, move, delete, the sharing
// records that make conflicting opens fail in every process, and the 16-bit era calls.
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <system_error>
#include <vector>

#include "files.h"
#include "win32/hostclock.h"
#include "win32/hostpath.h"
#include "win32/hosttext.h"
#include "win32/machine.h"

namespace fs = std::filesystem;

namespace zolt::host {
namespace {

constexpr ULONGLONG kUnixEpoch = 116444736000000000ull;
constexpr const char* kAttributeName = "user.zolt.dos";
constexpr DWORD kStoredMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY |
                              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The record kept in the extended attribute: little-endian as this machine is.
struct DosRecord {
  uint32_t attributes = 0;
  uint32_t hasCreation = 0;
  uint64_t creation = 0;
};
static_assert(sizeof(DosRecord) == 16);

bool ReadRecord(const fs::path& real, int fd, DosRecord& r) {
  ssize_t n = fd >= 0 ? fgetxattr(fd, kAttributeName, &r, sizeof r)
                      : getxattr(real.c_str(), kAttributeName, &r, sizeof r);
  return n == static_cast<ssize_t>(sizeof r);
}

bool WriteRecord(const fs::path& real, int fd, const DosRecord& r) {
  int rc = fd >= 0 ? fsetxattr(fd, kAttributeName, &r, sizeof r, 0)
                   : setxattr(real.c_str(), kAttributeName, &r, sizeof r, 0);
  return rc == 0;
}

}  // namespace

ULONGLONG FileTimeValue(const struct timespec& ts) {
  return kUnixEpoch + static_cast<ULONGLONG>(static_cast<LONGLONG>(ts.tv_sec) * 10000000LL) +
         static_cast<ULONGLONG>(ts.tv_nsec / 100);
}

struct timespec TimespecOf(ULONGLONG value) {
  LONGLONG rel = static_cast<LONGLONG>(value - kUnixEpoch);
  struct timespec ts{};
  LONGLONG sec = rel / 10000000LL, rem = rel % 10000000LL;
  if (rem < 0) {
    rem += 10000000LL;
    --sec;
  }
  ts.tv_sec = static_cast<time_t>(sec);
  ts.tv_nsec = static_cast<long>(rem * 100);
  return ts;
}

FILETIME ToFileTime(ULONGLONG value) {
  return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

ULONGLONG FromFileTime(const FILETIME& ft) {
  return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

bool QueryFileInfo(const fs::path& real, int fd, FileInfo& out, bool stored) {
  struct statx sx{};
  int rc = fd >= 0 ? statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx)
                   : statx(AT_FDCWD, real.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx);
  if (rc != 0) return false;
  out = FileInfo{};
  out.directory = S_ISDIR(sx.stx_mode);
  DosRecord rec;
  bool have = stored && ReadRecord(real, fd, rec);
  DWORD a = have ? (rec.attributes & kStoredMask) : (out.directory ? 0 : FILE_ATTRIBUTE_ARCHIVE);
  if (!out.directory && !(sx.stx_mode & S_IWUSR)) a |= FILE_ATTRIBUTE_READONLY;
  if (out.directory) a |= FILE_ATTRIBUTE_DIRECTORY;
  out.attributes = a ? a : FILE_ATTRIBUTE_NORMAL;
  auto toValue = [](const struct statx_timestamp& t) {
    struct timespec ts{static_cast<time_t>(t.tv_sec), static_cast<long>(t.tv_nsec)};
    return FileTimeValue(ts);
  };
  out.lastAccess = toValue(sx.stx_atime);
  out.lastWrite = toValue(sx.stx_mtime);
  if (have && rec.hasCreation)
    out.creation = rec.creation;
  else if (sx.stx_mask & STATX_BTIME)
    out.creation = toValue(sx.stx_btime);
  else
    out.creation = out.lastWrite;
  out.size = out.directory ? 0 : sx.stx_size;
  return true;
}

bool StoreAttributes(const fs::path& real, int fd, DWORD attributes, std::optional<ULONGLONG> creation) {
  DosRecord rec;
  if (!ReadRecord(real, fd, rec)) rec = DosRecord{};
  rec.attributes = attributes & kStoredMask;
  if (creation) {
    rec.hasCreation = 1;
    rec.creation = *creation;
  }
  if (!WriteRecord(real, fd, rec)) return false;
  struct stat st{};
  if ((fd >= 0 ? fstat(fd, &st) : stat(real.c_str(), &st)) == 0 && S_ISREG(st.st_mode)) {
    mode_t mode = st.st_mode & 07777;
    mode_t want = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH))
                                                         : (mode | S_IWUSR);
    if (want != mode) {
      if (fd >= 0)
        fchmod(fd, want);
      else
        chmod(real.c_str(), want);
    }
  }
  return true;
}

bool StoreCreationTime(const fs::path& real, int fd, ULONGLONG creation) {
  FileInfo info;
  if (!QueryFileInfo(real, fd, info)) return false;
  DWORD a = info.attributes & kStoredMask;
  return StoreAttributes(real, fd, a, creation);
}

namespace {

template <typename Buffer>
bool ReadWhole(const fs::path& real, Buffer& out) {
  out.clear();
  const int fd = ::open(real.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int e = errno;
    ::close(fd);
    errno = e;
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return false;
  }
  size_t filled = 0;
  out.resize(st.st_size > 0 ? size_t(st.st_size) : 0);
  for (;;) {
    if (filled == out.size()) out.resize(out.size() + 4096);  // grown since fstat, or no size
    const ssize_t n = ::read(fd, out.data() + filled, out.size() - filled);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int e = errno;
      ::close(fd);
      out.clear();
      errno = e;
      return false;
    }
    if (n == 0) break;
    filled += size_t(n);
  }
  ::close(fd);
  out.resize(filled);
  return true;
}

}  // namespace

bool ReadRealFile(const fs::path& real, std::string& out) { return ReadWhole(real, out); }
bool ReadRealFile(const fs::path& real, std::vector<uint8_t>& out) { return ReadWhole(real, out); }

DWORD ErrorFromErrno(int e) {
  switch (e) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC: return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EBUSY: return ERROR_SHARING_VIOLATION;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    default: return ERROR_ACCESS_DENIED;
  }
}

FileObject::~FileObject() {
  if (fd < 0) return;
  struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
  bool set = false;
  if (fixedAccess) {
    times[0] = TimespecOf(*fixedAccess);
    set = true;
  }
  if (fixedWrite) {
    times[1] = TimespecOf(*fixedWrite);
    set = true;
  } else if (wrote && Clock::IsTimeFixed()) {
    times[1] = TimespecOf(Clock::Now());
    set = true;
  }
  if (set) futimens(fd, times);
  if (deleteOnClose) unlink(real.c_str());
  close(fd);
}

namespace {

// ---- Sharing records ----------------------------------------------------------------------
//
// Each open with data access holds shared open-file-description locks on single bytes far
// beyond any real data: one byte per right it has and one per sharing it refuses. An opener
// tests the bytes it would conflict with (a lock held by any other open shows up), then takes
// its own. A machine-wide gate (an exclusive lock on a file under <root>/locks) makes the test
// and the taking one step for every process.

constexpr off_t kLockBase = 0x7FFFFFFF00000000LL;
enum Slot : int { kHasRead, kHasWrite, kHasDelete, kDenyRead, kDenyWrite, kDenyDelete };

constexpr DWORD kReadRights = FILE_READ_DATA | FILE_EXECUTE;
constexpr DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA;

// The gate's file stays open in the process: one open per machine root, and a forked child
// opens its own (an inherited descriptor shares its lock with the parent). A lock on one open
// file does not keep out the process's own other threads, so they pass one at a time.
struct GateFile {
  std::mutex lock;
  int fd = -1;
  uint64_t forks = 0;
  fs::path root;
};

GateFile& TheGate() {
  static GateFile* gate = new GateFile;  // lives until the process ends
  return *gate;
}

std::atomic<uint64_t> gForks{0};
void GatePrepare() { TheGate().lock.lock(); }
void GateParent() { TheGate().lock.unlock(); }
void GateChild() {
  gForks.fetch_add(1, std::memory_order_relaxed);
  TheGate().lock.unlock();
}
[[maybe_unused]] const int kGateForkHandlers = pthread_atfork(GatePrepare, GateParent, GateChild);

class ShareGate {
 public:
  ShareGate() : gate_(TheGate()), guard_(gate_.lock) {
    const fs::path& root = Machine::Root();
    const uint64_t forks = gForks.load(std::memory_order_relaxed);
    if (gate_.fd < 0 || gate_.forks != forks || gate_.root != root) {
      if (gate_.fd >= 0) close(gate_.fd);
      std::error_code ec;
      fs::path dir = root / "locks";
      fs::create_directories(dir, ec);
      gate_.fd = open((dir / "share.gate").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
      gate_.forks = forks;
      gate_.root = root;
    }
    if (gate_.fd >= 0)
      while (flock(gate_.fd, LOCK_EX) != 0 && errno == EINTR) {
      }
  }
  ~ShareGate() {
    if (gate_.fd >= 0) flock(gate_.fd, LOCK_UN);
  }
  ShareGate(const ShareGate&) = delete;
  ShareGate& operator=(const ShareGate&) = delete;

 private:
  GateFile& gate_;
  std::lock_guard<std::mutex> guard_;
};

bool SlotHeld(int fd, Slot slot) {
  struct flock fl{};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = kLockBase + slot;
  fl.l_len = 1;
  if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

void TakeSlots(int fd, Slot first, int count) {
  struct flock fl{};
  fl.l_type = F_RDLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = kLockBase + first;
  fl.l_len = count;
  fcntl(fd, F_OFD_SETLK, &fl);
}

bool HasDataAccess(DWORD access) { return (access & (kReadRights | kWriteRights | DELETE)) != 0; }

// Would an open with this access and sharing conflict with the opens of the file? One look over
// every slot first: a file no other open holds (the usual case) needs no look slot by slot.
bool AnySlotHeld(int fd) {
  struct flock fl{};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = kLockBase;
  fl.l_len = kDenyDelete + 1;
  if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return true;  // cannot tell: look slot by slot
  return fl.l_type != F_UNLCK;
}

bool Conflicts(int fd, DWORD access, DWORD share) {
  if (!HasDataAccess(access)) return false;
  if (!AnySlotHeld(fd)) return false;
  if ((access & kReadRights) && SlotHeld(fd, kDenyRead)) return true;
  if ((access & kWriteRights) && SlotHeld(fd, kDenyWrite)) return true;
  if ((access & DELETE) && SlotHeld(fd, kDenyDelete)) return true;
  if (!(share & FILE_SHARE_READ) && SlotHeld(fd, kHasRead)) return true;
  if (!(share & FILE_SHARE_WRITE) && SlotHeld(fd, kHasWrite)) return true;
  if (!(share & FILE_SHARE_DELETE) && SlotHeld(fd, kHasDelete)) return true;
  return false;
}

// Takes the slots of an open, each run of neighbouring slots as one lock.
void Record(int fd, DWORD access, DWORD share) {
  if (!HasDataAccess(access)) return;
  const bool take[kDenyDelete + 1] = {
      (access & kReadRights) != 0,       (access & kWriteRights) != 0,       (access & DELETE) != 0,
      !(share & FILE_SHARE_READ),        !(share & FILE_SHARE_WRITE),        !(share & FILE_SHARE_DELETE),
  };
  for (int slot = kHasRead; slot <= kDenyDelete;) {
    if (!take[slot]) {
      ++slot;
      continue;
    }
    int end = slot;
    while (end <= kDenyDelete && take[end]) ++end;
    TakeSlots(fd, static_cast<Slot>(slot), end - slot);
    slot = end;
  }
}

// Tests a real regular file against an access it is about to undergo (under the gate).
bool WouldConflict(const fs::path& real, DWORD access, DWORD share) {
  int fd = open(real.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st{};
  bool conflict = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && Conflicts(fd, access, share);
  close(fd);
  return conflict;
}

// ---- Helpers ------------------------------------------------------------------------------

DWORD MapGeneric(DWORD access) {
  if (access & GENERIC_READ) access |= FILE_GENERIC_READ;
  if (access & GENERIC_WRITE) access |= FILE_GENERIC_WRITE;
  if (access & GENERIC_EXECUTE) access |= FILE_GENERIC_EXECUTE;
  if (access & GENERIC_ALL) access |= FILE_ALL_ACCESS;
  return access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

std::shared_ptr<FileObject> FileOf(HANDLE h) {
  auto f = HandleGetAs<FileObject>(h);
  if (!f) SetLastError(ERROR_INVALID_HANDLE);
  return f;
}

// A parsed path that names one file or folder (no wildcards), mapped onto the machine.
struct Target {
  WinPath path;
  fs::path real;
  bool exists = false;
  FileInfo info;
};

// The longest full path (without its NUL) a call takes unless the path starts with "\\?\".
constexpr size_t kMaxPathChars = MAX_PATH - 1;
// CreateDirectoryW leaves room for an 8.3 name below the new folder.
constexpr size_t kMaxDirectoryChars = MAX_PATH - 12;

bool Locate(LPCWSTR name, Resolve mode, Target& t, size_t maxChars = kMaxPathChars) {
  if (!name) return Fail(ERROR_PATH_NOT_FOUND);
  DWORD err = 0;
  std::u16string_view text = WideView(name);
  auto parsed = ParseWinPath(text, &err);
  if (!parsed) return Fail(err);
  if (parsed->wildcard) return Fail(ERROR_INVALID_NAME);
  if (parsed->Text().size() > maxChars && text.substr(0, 4) != u"\\\\?\\")
    return Fail(ERROR_FILENAME_EXCED_RANGE);
  auto real = MapPath(*parsed, mode, &err);
  if (!real) return Fail(err);
  t.path = std::move(*parsed);
  t.real = std::move(*real);
  t.exists = QueryFileInfo(t.real, -1, t.info);
  if (t.exists && !t.info.directory && t.path.trailingSeparator) return Fail(ERROR_INVALID_NAME);
  return TRUE;
}

bool IsReadOnly(const FileInfo& info) { return (info.attributes & FILE_ATTRIBUTE_READONLY) != 0; }

bool SameFile(const fs::path& a, const fs::path& b) {
  struct stat sa{}, sb{};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

void StampNow(int fd) {
  if (!Clock::IsTimeFixed()) return;
  struct timespec t = TimespecOf(Clock::Now());
  struct timespec times[2] = {t, t};
  futimens(fd, times);
}

// Copies the bytes of one descriptor to another.
bool CopyBytes(int from, int to) {
  std::vector<char> buf(1 << 16);
  for (;;) {
    ssize_t n = read(from, buf.data(), buf.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = write(to, buf.data() + done, static_cast<size_t>(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += w;
    }
  }
}

HANDLE OpenFile(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, DWORD disposition,
                DWORD flags) {
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  DWORD access = MapGeneric(dwDesiredAccess);
  if (flags & FILE_FLAG_DELETE_ON_CLOSE) access |= DELETE;
  if (disposition == TRUNCATE_EXISTING && !(access & FILE_WRITE_DATA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  Target t;
  if (!Locate(lpFileName, Resolve::LastMayMiss, t)) return INVALID_HANDLE_VALUE;
  auto object = std::make_shared<FileObject>();
  object->real = t.real;
  object->access = access;
  object->deleteOnClose = (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0;

  if (t.exists && t.info.directory) {
    if (disposition == CREATE_NEW) {
      SetLastError(ERROR_FILE_EXISTS);
      return INVALID_HANDLE_VALUE;
    }
    if (disposition != OPEN_EXISTING && disposition != OPEN_ALWAYS) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    if (!(flags & FILE_FLAG_BACKUP_SEMANTICS)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    object->fd = open(t.real.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (object->fd < 0) {
      SetLastError(ErrorFromErrno(errno));
      return INVALID_HANDLE_VALUE;
    }
    object->directory = true;
    object->deleteOnClose = false;
    SetLastError(disposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return HandleInsert(object);
  }
  if (t.path.trailingSeparator || t.path.parts.empty()) {
    SetLastError(t.exists ? ERROR_ACCESS_DENIED : ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }

  bool existed = t.exists;
  if (existed) {
    if (disposition == CREATE_NEW) {
      SetLastError(ERROR_FILE_EXISTS);
      return INVALID_HANDLE_VALUE;
    }
    bool truncate = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    if (IsReadOnly(t.info) && (truncate || (access & (kWriteRights | DELETE)))) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    DWORD hs = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (disposition == CREATE_ALWAYS && (t.info.attributes & hs) & ~(flags & hs)) {
      SetLastError(ERROR_ACCESS_DENIED);  // the platform refuses to drop HIDDEN or SYSTEM so
      return INVALID_HANDLE_VALUE;        // (documented for CREATE_ALWAYS)
    }
    bool needWrite = truncate || (access & kWriteRights);
    object->fd = open(t.real.c_str(), O_RDWR | O_CLOEXEC);
    if (object->fd < 0 && !needWrite) object->fd = open(t.real.c_str(), O_RDONLY | O_CLOEXEC);
    if (object->fd < 0) {
      SetLastError(ErrorFromErrno(errno));
      return INVALID_HANDLE_VALUE;
    }
    {
      ShareGate gate;
      if (Conflicts(object->fd, access, dwShareMode)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;  // the object closes its descriptor
      }
      Record(object->fd, access, dwShareMode);
    }
    if (truncate) {
      if (ftruncate(object->fd, 0) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
      }
      if (disposition == CREATE_ALWAYS)
        StoreAttributes(t.real, object->fd, (flags & kStoredMask) | FILE_ATTRIBUTE_ARCHIVE);
      StampNow(object->fd);
    }
  } else {
    if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }
    object->fd = open(t.real.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (object->fd < 0) {
      DWORD e = ErrorFromErrno(errno);
      if (errno == EEXIST && disposition != CREATE_NEW)  // made meanwhile: open it as existing
        return OpenFile(lpFileName, dwDesiredAccess, dwShareMode, disposition, flags);
      SetLastError(e);
      return INVALID_HANDLE_VALUE;
    }
    {
      ShareGate gate;  // another process may have opened the new file already
      if (Conflicts(object->fd, access, dwShareMode)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
      }
      Record(object->fd, access, dwShareMode);
    }
    StampNow(object->fd);
    StoreAttributes(t.real, object->fd, (flags & kStoredMask) | FILE_ATTRIBUTE_ARCHIVE, Clock::Now());
  }
  HANDLE h = HandleInsert(object);
  // Success clears the last error, except that replacing or opening an existing file with
  // CREATE_ALWAYS or OPEN_ALWAYS reports ERROR_ALREADY_EXISTS.
  bool always = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
  SetLastError(always && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return h;
}

}  // namespace
}  // namespace zolt::host

using namespace zolt::host;

WIN32_API HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                    LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition,
                                    DWORD dwFlagsAndAttributes, HANDLE) {
  return OpenFile(lpFileName, dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes);
}

WIN32_API HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                    LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                                    DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
  if (!lpFileName) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::u16string wide;
  AnsiToWide(Machine::Facts().ansiCodePage, lpFileName, wide);
  return CreateFileW(wide.c_str(), dwDesiredAccess, dwShareMode, lpSecurityAttributes,
                     dwCreationDisposition, dwFlagsAndAttributes, hTemplateFile);
}

WIN32_API BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                               LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  auto f = FileOf(hFile);
  if (!f) return FALSE;
  if (!lpNumberOfBytesRead && !lpOverlapped) return Fail(ERROR_INVALID_PARAMETER);
  if (f->directory || !(f->access & FILE_READ_DATA)) return Fail(ERROR_ACCESS_DENIED);
  if (nNumberOfBytesToRead && !lpBuffer) return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard guard(f->lock);
  auto* out = static_cast<char*>(lpBuffer);
  DWORD done = 0;
  off_t at = 0;
  if (lpOverlapped) {
    at = static_cast<off_t>((static_cast<ULONGLONG>(lpOverlapped->OffsetHigh) << 32) | lpOverlapped->Offset);
    struct stat st{};
    if (fstat(f->fd, &st) == 0 && at >= st.st_size && nNumberOfBytesToRead) return Fail(ERROR_HANDLE_EOF);
  }
  while (done < nNumberOfBytesToRead) {
    ssize_t n = lpOverlapped ? pread(f->fd, out + done, nNumberOfBytesToRead - done, at + done)
                             : read(f->fd, out + done, nNumberOfBytesToRead - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
      return Fail(ErrorFromErrno(errno));
    }
    if (n == 0) break;
    done += static_cast<DWORD>(n);
  }
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
  if (lpOverlapped) lpOverlapped->InternalHigh = done;
  return TRUE;
}

WIN32_API BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  auto f = FileOf(hFile);
  if (!f) return FALSE;
  if (!lpNumberOfBytesWritten && !lpOverlapped) return Fail(ERROR_INVALID_PARAMETER);
  if (f->directory || !(f->access & kWriteRights)) return Fail(ERROR_ACCESS_DENIED);
  if (nNumberOfBytesToWrite && !lpBuffer) return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard guard(f->lock);
  const auto* in = static_cast<const char*>(lpBuffer);
  bool append = !(f->access & FILE_WRITE_DATA);  // append rights alone write at the end
  off_t at = 0;
  if (append)
    lseek(f->fd, 0, SEEK_END);
  else if (lpOverlapped)
    at = static_cast<off_t>((static_cast<ULONGLONG>(lpOverlapped->OffsetHigh) << 32) | lpOverlapped->Offset);
  DWORD done = 0;
  while (done < nNumberOfBytesToWrite) {
    ssize_t n = lpOverlapped && !append ? pwrite(f->fd, in + done, nNumberOfBytesToWrite - done, at + done)
                                        : write(f->fd, in + done, nNumberOfBytesToWrite - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
      return Fail(ErrorFromErrno(errno));
    }
    done += static_cast<DWORD>(n);
  }
  f->wrote = true;
  if (!f->archiveMarked) {
    // A change marks the file for backup.
    f->archiveMarked = true;
    FileInfo info;
    if (QueryFileInfo(f->real, f->fd, info) && !(info.attributes & FILE_ATTRIBUTE_ARCHIVE))
      StoreAttributes(f->real, f->fd, (info.attributes & kStoredMask) | FILE_ATTRIBUTE_ARCHIVE);
  }
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
  if (lpOverlapped) lpOverlapped->InternalHigh = done;
  return TRUE;
}

namespace {

bool Seek(FileObject& f, LONGLONG distance, DWORD method, LONGLONG& result) {
  int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : method == FILE_END ? SEEK_END : -1;
  if (whence < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  off_t base = 0;
  if (whence == SEEK_CUR) base = lseek(f.fd, 0, SEEK_CUR);
  if (whence == SEEK_END) {
    struct stat st{};
    fstat(f.fd, &st);
    base = st.st_size;
  }
  LONGLONG target;
  if (__builtin_add_overflow(static_cast<LONGLONG>(base), distance, &target) || target < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return false;
  }
  if (lseek(f.fd, static_cast<off_t>(target), SEEK_SET) < 0) {
    SetLastError(ErrorFromErrno(errno));
    return false;
  }
  result = target;
  return true;
}

}  // namespace

WIN32_API DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                                      DWORD dwMoveMethod) {
  auto f = FileOf(hFile);
  if (!f) return INVALID_SET_FILE_POINTER;
  if (f->directory) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return INVALID_SET_FILE_POINTER;
  }
  std::lock_guard guard(f->lock);
  LONGLONG distance = lpDistanceToMoveHigh
                          ? static_cast<LONGLONG>((static_cast<ULONGLONG>(static_cast<DWORD>(*lpDistanceToMoveHigh)) << 32) |
                                                  static_cast<DWORD>(lDistanceToMove))
                          : lDistanceToMove;
  LONGLONG now = lseek(f->fd, 0, SEEK_CUR);
  LONGLONG result = 0;
  if (!Seek(*f, distance, dwMoveMethod, result)) return INVALID_SET_FILE_POINTER;
  if (!lpDistanceToMoveHigh && result > 0xFFFFFFFELL) {
    lseek(f->fd, static_cast<off_t>(now), SEEK_SET);
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<ULONGLONG>(result) >> 32);
  SetLastError(NO_ERROR);
  return static_cast<DWORD>(result);
}

WIN32_API BOOL WINAPI SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove,
                                       PLARGE_INTEGER lpNewFilePointer, DWORD dwMoveMethod) {
  auto f = FileOf(hFile);
  if (!f) return FALSE;
  if (f->directory) return Fail(ERROR_INVALID_FUNCTION);
  std::lock_guard guard(f->lock);
  LONGLONG result = 0;
  if (!Seek(*f, liDistanceToMove.QuadPart, dwMoveMethod, result)) return FALSE;
  if (lpNewFilePointer) lpNewFilePointer->QuadPart = result;
  return TRUE;
}

WIN32_API BOOL WINAPI SetEndOfFile(HANDLE hFile) {
  auto f = FileOf(hFile);
  if (!f) return FALSE;
  if (f->directory || !(f->access & FILE_WRITE_DATA)) return Fail(ERROR_ACCESS_DENIED);
  std::lock_guard guard(f->lock);
  off_t at = lseek(f->fd, 0, SEEK_CUR);
  if (at < 0 || ftruncate(f->fd, at) != 0) return Fail(ErrorFromErrno(errno));
  f->wrote = true;
  return TRUE;
}

WIN32_API DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  auto f = FileOf(hFile);
  if (!f) return INVALID_FILE_SIZE;
  struct stat st{};
  if (fstat(f->fd, &st) != 0) {
    SetLastError(ErrorFromErrno(errno));
    return INVALID_FILE_SIZE;
  }
  ULONGLONG size = f->directory ? 0 : static_cast<ULONGLONG>(st.st_size);
  if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
  if (static_cast<DWORD>(size) == INVALID_FILE_SIZE) SetLastError(NO_ERROR);
  return static_cast<DWORD>(size);
}

WIN32_API BOOL WINAPI GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize) {
  auto f = FileOf(hFile);
  if (!f) return FALSE;
  if (!lpFileSize) return Fail(ERROR_INVALID_PARAMETER);
  struct stat st{};
  if (fstat(f->fd, &st) != 0) return Fail(ErrorFromErrno(errno));
  lpFileSize->QuadPart = f->directory ? 0 : static_cast<LONGLONG>(st.st_size);
  return TRUE;
}

WIN32_API DWORD WINAPI GetFileType(HANDLE hFile) {
  if (!FileOf(hFile)) return FILE_TYPE_UNKNOWN;
  SetLastError(NO_ERROR);
  return FILE_TYPE_DISK;
}

WIN32_API BOOL WINAPI GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                                  LPFILETIME lpLastWriteTime) {
  auto f = FileOf(hFile);
  if (!f) return FALSE;
  FileInfo info;
  // The DOS record holds only the creation time of the three.
  if (!QueryFileInfo(f->real, f->fd, info, lpCreationTime != nullptr)) return Fail(ErrorFromErrno(errno));
  std::lock_guard guard(f->lock);
  if (f->fixedWrite) info.lastWrite = *f->fixedWrite;
  if (f->fixedAccess) info.lastAccess = *f->fixedAccess;
  if (lpCreationTime) *lpCreationTime = ToFileTime(info.creation);
  if (lpLastAccessTime) *lpLastAccessTime = ToFileTime(info.lastAccess);
  if (lpLastWriteTime) *lpLastWriteTime = ToFileTime(info.lastWrite);
  return TRUE;
}

WIN32_API BOOL WINAPI SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime,
                                  const FILETIME* lpLastAccessTime, const FILETIME* lpLastWriteTime) {
  auto f = FileOf(hFile);
  if (!f) return FALSE;
  if (!(f->access & FILE_WRITE_ATTRIBUTES)) return Fail(ERROR_ACCESS_DENIED);
  // 0 leaves a time as it is; all ones only stops its updates through this handle.
  auto given = [](const FILETIME* ft) {
    if (!ft) return std::optional<ULONGLONG>();
    ULONGLONG v = FromFileTime(*ft);
    if (v == 0 || v == ~0ull) return std::optional<ULONGLONG>();
    return std::optional<ULONGLONG>(v);
  };
  auto c = given(lpCreationTime), a = given(lpLastAccessTime), w = given(lpLastWriteTime);
  for (const auto& v : {a, w})
    if (v && *v > 0x7FFFFFFFFFFFFFFFull) return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard guard(f->lock);
  struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
  if (a) times[0] = TimespecOf(*a);
  if (w) times[1] = TimespecOf(*w);
  if ((a || w) && futimens(f->fd, times) != 0) return Fail(ErrorFromErrno(errno));
  if (c && !StoreCreationTime(f->real, f->fd, *c)) return Fail(ERROR_ACCESS_DENIED);
  if (a) f->fixedAccess = a;
  if (w) f->fixedWrite = w;
  return TRUE;
}

WIN32_API BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
  auto f = FileOf(hFile);
  if (!f) return FALSE;
  if (!f->directory && !(f->access & kWriteRights)) return Fail(ERROR_ACCESS_DENIED);
  if (fsync(f->fd) != 0) return Fail(ErrorFromErrno(errno));
  return TRUE;
}

WIN32_API BOOL WINAPI DeleteFileW(LPCWSTR lpFileName) {
  Target t;
  if (!Locate(lpFileName, Resolve::Existing, t)) return FALSE;
  if (!t.exists) return Fail(ERROR_FILE_NOT_FOUND);
  if (t.info.directory || IsReadOnly(t.info)) return Fail(ERROR_ACCESS_DENIED);
  ShareGate gate;
  if (WouldConflict(t.real, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
    return Fail(ERROR_SHARING_VIOLATION);
  if (unlink(t.real.c_str()) != 0) return Fail(ErrorFromErrno(errno));
  return TRUE;
}

WIN32_API BOOL WINAPI CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists) {
  Target src, dst;
  if (!Locate(lpExistingFileName, Resolve::Existing, src)) return FALSE;
  if (!src.exists) return Fail(ERROR_FILE_NOT_FOUND);
  if (src.info.directory) return Fail(ERROR_ACCESS_DENIED);
  if (!Locate(lpNewFileName, Resolve::LastMayMiss, dst)) return FALSE;
  if (dst.path.trailingSeparator || dst.path.parts.empty()) return Fail(ERROR_INVALID_NAME);
  DWORD hs = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (dst.exists) {
    if (SameFile(src.real, dst.real)) return Fail(ERROR_SHARING_VIOLATION);
    if (bFailIfExists) return Fail(ERROR_FILE_EXISTS);
    if (dst.info.directory || IsReadOnly(dst.info)) return Fail(ERROR_ACCESS_DENIED);
    if ((dst.info.attributes & hs) & ~(src.info.attributes & hs)) return Fail(ERROR_ACCESS_DENIED);
  }
  int in = open(src.real.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Fail(ErrorFromErrno(errno));
  ShareGate gate;
  if (Conflicts(in, FILE_READ_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) ||
      (dst.exists && WouldConflict(dst.real, FILE_WRITE_DATA | DELETE, FILE_SHARE_READ))) {
    close(in);
    return Fail(ERROR_SHARING_VIOLATION);
  }
  // Into a new file beside the destination, which then replaces it in one step: a failed
  // copy leaves the old destination as it was.
  std::string tmpl = (dst.real.parent_path() / ".zolt-copy-XXXXXX").string();
  int out = mkstemp(tmpl.data());
  if (out < 0) {
    DWORD e = ErrorFromErrno(errno);
    close(in);
    return Fail(e);
  }
  bool ok = CopyBytes(in, out);
  DWORD e = ok ? 0 : ErrorFromErrno(errno);
  if (ok) {
    fchmod(out, 0644);
    StoreAttributes(tmpl, out, src.info.attributes & kStoredMask, Clock::Now());
    struct timespec times[2] = {TimespecOf(Clock::Now()), TimespecOf(src.info.lastWrite)};
    futimens(out, times);
    if (rename(tmpl.c_str(), dst.real.c_str()) != 0) {
      ok = false;
      e = ErrorFromErrno(errno);
    }
  }
  if (!ok) unlink(tmpl.c_str());
  close(out);
  close(in);
  return ok ? TRUE : Fail(e);
}

WIN32_API BOOL WINAPI MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags) {
  if ((dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT) || !lpNewFileName) return Fail(ERROR_INVALID_PARAMETER);
  Target src, dst;
  if (!Locate(lpExistingFileName, Resolve::Existing, src)) return FALSE;
  if (!src.exists) return Fail(ERROR_FILE_NOT_FOUND);
  if (src.path.parts.empty()) return Fail(ERROR_ACCESS_DENIED);
  if (!Locate(lpNewFileName, Resolve::LastMayMiss, dst)) return FALSE;
  if (dst.path.parts.empty()) return Fail(ERROR_ACCESS_DENIED);
  fs::path target = dst.real;
  ShareGate gate;
  if (dst.exists && SameFile(src.real, dst.real)) {
    // The same file under another spelling: a change of case of the name.
    target = dst.real.parent_path() / ToUtf8(dst.path.parts.back());
  } else if (dst.exists) {
    if (!(dwFlags & MOVEFILE_REPLACE_EXISTING)) return Fail(ERROR_ALREADY_EXISTS);
    if (dst.info.directory || src.info.directory || IsReadOnly(dst.info)) return Fail(ERROR_ACCESS_DENIED);
    if (WouldConflict(dst.real, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
      return Fail(ERROR_SHARING_VIOLATION);
  }
  if (!src.info.directory && WouldConflict(src.real, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
    return Fail(ERROR_SHARING_VIOLATION);
  if (src.info.directory) {
    // A folder cannot move into itself.
    fs::path s = src.real.lexically_normal(), d = target.lexically_normal();
    auto mismatch = std::mismatch(s.begin(), s.end(), d.begin(), d.end());
    if (mismatch.first == s.end()) return Fail(ERROR_SHARING_VIOLATION);
  }
  if (rename(src.real.c_str(), target.c_str()) == 0) return TRUE;
  if (errno != EXDEV || src.info.directory || !(dwFlags & MOVEFILE_COPY_ALLOWED))
    return Fail(ErrorFromErrno(errno));
  // Across file systems: copy the bytes with times and attributes, then remove the source.
  int in = open(src.real.c_str(), O_RDONLY | O_CLOEXEC);
  int out = in < 0 ? -1 : open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  bool ok = in >= 0 && out >= 0 && CopyBytes(in, out);
  DWORD e = ok ? 0 : ErrorFromErrno(errno);
  if (ok) {
    StoreAttributes(target, out, src.info.attributes & kStoredMask, src.info.creation);
    struct timespec times[2] = {TimespecOf(src.info.lastAccess), TimespecOf(src.info.lastWrite)};
    futimens(out, times);
  }
  if (out >= 0) close(out);
  if (in >= 0) close(in);
  if (!ok) {
    unlink(target.c_str());
    return Fail(e);
  }
  unlink(src.real.c_str());
  return TRUE;
}

WIN32_API BOOL WINAPI MoveFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName) {
  return MoveFileExW(lpExistingFileName, lpNewFileName, MOVEFILE_COPY_ALLOWED);
}

WIN32_API BOOL WINAPI CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES) {
  Target t;
  if (!Locate(lpPathName, Resolve::LastMayMiss, t, kMaxDirectoryChars)) {
    if (GetLastError() == ERROR_INVALID_NAME && t.exists) SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  if (t.exists || t.path.parts.empty()) return Fail(ERROR_ALREADY_EXISTS);
  if (mkdir(t.real.c_str(), 0777) != 0) return Fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : ErrorFromErrno(errno));
  if (Clock::IsTimeFixed()) {
    struct timespec now = TimespecOf(Clock::Now());
    struct timespec times[2] = {now, now};
    utimensat(AT_FDCWD, t.real.c_str(), times, 0);
  }
  StoreAttributes(t.real, -1, 0, Clock::Now());
  return TRUE;
}

WIN32_API BOOL WINAPI RemoveDirectoryW(LPCWSTR lpPathName) {
  Target t;
  if (!Locate(lpPathName, Resolve::Existing, t)) return FALSE;
  if (!t.exists) return Fail(ERROR_FILE_NOT_FOUND);
  if (!t.info.directory) return Fail(ERROR_DIRECTORY);
  if (t.path.parts.empty() || IsReadOnly(t.info)) return Fail(ERROR_ACCESS_DENIED);
  DWORD err = 0;
  auto cwd = MapPath(CurrentDirectory(), Resolve::Existing, &err);
  if (cwd && SameFile(*cwd, t.real)) return Fail(ERROR_SHARING_VIOLATION);
  if (rmdir(t.real.c_str()) != 0) return Fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ErrorFromErrno(errno));
  return TRUE;
}

WIN32_API DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName) {
  Target t;
  if (!Locate(lpFileName, Resolve::Existing, t)) return INVALID_FILE_ATTRIBUTES;
  if (!t.exists) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  return t.info.attributes;
}

WIN32_API BOOL WINAPI SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes) {
  Target t;
  if (!Locate(lpFileName, Resolve::Existing, t)) return FALSE;
  if (!t.exists) return Fail(ERROR_FILE_NOT_FOUND);
  if (!StoreAttributes(t.real, -1, dwFileAttributes & kStoredMask)) return Fail(ErrorFromErrno(errno));
  return TRUE;
}

// ---- The 16-bit era calls ------------------------------------------------------------------

namespace {

HANDLE FromHfile(HFILE h) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(h)); }

}  // namespace

WIN32_API HFILE WINAPI _lopen(LPCSTR lpPathName, int iReadWrite) {
  DWORD access = 0;
  switch (iReadWrite & 3) {
    case OF_READ: access = GENERIC_READ; break;
    case OF_WRITE: access = GENERIC_WRITE; break;
    case OF_READWRITE: access = GENERIC_READ | GENERIC_WRITE; break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return HFILE_ERROR;
  }
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  switch (iReadWrite & 0x70) {
    case OF_SHARE_EXCLUSIVE: share = 0; break;
    case OF_SHARE_DENY_WRITE: share = FILE_SHARE_READ; break;
    case OF_SHARE_DENY_READ: share = FILE_SHARE_WRITE; break;
    default: break;  // compatibility mode and deny-none share reading and writing
  }
  HANDLE h = CreateFileA(lpPathName, access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return HFILE_ERROR;
  auto value = reinterpret_cast<intptr_t>(h);
  if (value > INT32_MAX) {
    CloseHandle(h);
    SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    return HFILE_ERROR;
  }
  return static_cast<HFILE>(value);
}

WIN32_API LONG WINAPI _llseek(HFILE hFile, LONG lOffset, int iOrigin) {
  DWORD r = SetFilePointer(FromHfile(hFile), lOffset, nullptr, static_cast<DWORD>(iOrigin));
  if (r == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return HFILE_ERROR;
  return static_cast<LONG>(r);
}

WIN32_API UINT WINAPI _lread(HFILE hFile, LPVOID lpBuffer, UINT uBytes) {
  DWORD n = 0;
  if (!ReadFile(FromHfile(hFile), lpBuffer, uBytes, &n, nullptr)) return static_cast<UINT>(HFILE_ERROR);
  return n;
}

WIN32_API HFILE WINAPI _lclose(HFILE hFile) {
  if (!FileOf(FromHfile(hFile))) return HFILE_ERROR;
  return CloseHandle(FromHfile(hFile)) ? 0 : HFILE_ERROR;
}
