// Critical sections, mutexes, events and the wait functions.
//
// A named mutex is one lock file under <machine root>/locks/ shared by every process of the
// machine. Its bytes carry open-file-description locks (fcntl F_OFD_*), which the kernel drops
// when the last descriptor of the process goes, so that a dead process frees what it held:
//   byte 0  write lock: the process of the owning thread holds the mutex;
//   byte 1  read lock: the process holds a handle to the mutex (the name exists);
//   byte 2  write lock, held for a moment: creating or opening the name.
// The content of byte 0 is 1 while the mutex is owned. A process that takes the lock and finds
// a 1 there knows the previous owner died holding it: the wait answers WAIT_ABANDONED.
// Inside a process every handle of a name reaches one object, which keeps the owning thread
// and its recursion count.
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "waitable.h"
#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/sync.h"

namespace fs = std::filesystem;

namespace zolt::host {

std::mutex& WaitLock() {
  static std::mutex* lock = new std::mutex;  // lives until the process ends
  return *lock;
}

namespace {

std::condition_variable& WaitCondition() {
  static std::condition_variable* cv = new std::condition_variable;
  return *cv;
}

}  // namespace

void WaitNotify() { WaitCondition().notify_all(); }

std::optional<WaitClock::time_point> WaitDeadline(DWORD milliseconds) {
  if (milliseconds == INFINITE) return std::nullopt;
  return WaitClock::now() + std::chrono::milliseconds(milliseconds);
}

DWORD WaitForObjects(std::span<const std::shared_ptr<Waitable>> objects, bool all,
                     std::optional<WaitClock::time_point> deadline) {
  std::unique_lock lock(WaitLock());
  bool poll = std::any_of(objects.begin(), objects.end(), [](const auto& o) { return o->NeedsPolling(); });
  auto pollInterval = std::chrono::milliseconds(1);
  for (;;) {
    if (!all) {
      for (size_t i = 0; i < objects.size(); ++i) {
        DWORD r = objects[i]->TryAcquire();
        if (r != static_cast<DWORD>(WAIT_TIMEOUT)) return r + static_cast<DWORD>(i);
      }
    } else {
      size_t taken = 0;
      long abandoned = -1;
      for (; taken < objects.size(); ++taken) {
        DWORD r = objects[taken]->TryAcquire();
        if (r == static_cast<DWORD>(WAIT_TIMEOUT)) break;
        if (r == WAIT_ABANDONED && abandoned < 0) abandoned = static_cast<long>(taken);
      }
      if (taken == objects.size())
        return abandoned >= 0 ? WAIT_ABANDONED_0 + static_cast<DWORD>(abandoned) : WAIT_OBJECT_0;
      while (taken > 0) objects[--taken]->Undo();
    }
    auto now = WaitClock::now();
    if (deadline && now >= *deadline) return WAIT_TIMEOUT;
    if (poll) {
      auto wake = now + pollInterval;
      if (deadline && *deadline < wake) wake = *deadline;
      WaitCondition().wait_until(lock, wake);
      pollInterval = std::min(pollInterval * 2, std::chrono::milliseconds(16));
    } else if (deadline) {
      WaitCondition().wait_until(lock, *deadline);
    } else {
      WaitCondition().wait(lock);
    }
  }
}

namespace {

DWORD ThisThread() { return GetCurrentThreadId(); }

// ---------------------------------------------------------------------------------------------
// Mutexes

class MutexObject;

// The mutexes a thread owns, abandoned when the thread ends while holding them.
struct OwnedMutexes {
  std::vector<std::weak_ptr<MutexObject>> list;
  ~OwnedMutexes();
};
thread_local OwnedMutexes t_owned;

bool LockByte(int fd, short type, off_t byte, bool wait) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = byte;
  fl.l_len = 1;
  for (;;) {
    if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return true;
    if (errno != EINTR) return false;
  }
}

// True when another process holds a lock on the byte that conflicts with a write lock.
bool ByteLockedByOthers(int fd, off_t byte) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = byte;
  fl.l_len = 1;
  if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

BYTE ReadMarker(int fd) {
  BYTE b = 0;
  return ::pread(fd, &b, 1, 0) == 1 ? b : 0;
}

void WriteMarker(int fd, BYTE b) {
  if (::pwrite(fd, &b, 1, 0) != 1) {
    // The lock still works without its marker; only abandonment goes unnoticed.
  }
}

class MutexObject : public Waitable, public std::enable_shared_from_this<MutexObject> {
 public:
  MutexObject() = default;
  MutexObject(fs::path file, int fd) : file_(std::move(file)), fd_(fd) {}
  ~MutexObject() override {
    if (fd_ >= 0) ::close(fd_);
  }

  bool Named() const { return fd_ >= 0; }

  DWORD TryAcquire() override {
    DWORD self = ThisThread();
    if (owner_ == self) {
      ++recursion_;
      return WAIT_OBJECT_0;
    }
    if (owner_ != 0) return WAIT_TIMEOUT;
    bool abandoned = abandoned_;
    if (Named()) {
      if (!LockByte(fd_, F_WRLCK, 0, false)) return WAIT_TIMEOUT;
      abandoned = abandoned || ReadMarker(fd_) != 0;
      WriteMarker(fd_, 1);
    }
    abandoned_ = false;
    lastAbandoned_ = abandoned;
    owner_ = self;
    recursion_ = 1;
    t_owned.list.push_back(weak_from_this());
    return abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
  }

  void Undo() override {
    if (owner_ != ThisThread()) return;
    if (--recursion_ > 0) return;
    Drop(lastAbandoned_);
    Forget();
  }

  bool NeedsPolling() const override { return Named(); }

  // ReleaseMutex, with WaitLock held.
  bool Release() {
    if (owner_ != ThisThread() || recursion_ == 0) return false;
    if (--recursion_ == 0) {
      Drop(false);
      Forget();
    }
    return true;
  }

  // The owning thread ended: the mutex is free and the next wait reports it abandoned.
  void AbandonBy(DWORD thread) {
    if (owner_ != thread) return;
    recursion_ = 0;
    Drop(true);
  }

  // After fork: the child has its own descriptor and owns nothing.
  void ReopenInChild() {
    owner_ = 0;
    recursion_ = 0;
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ >= 0) LockByte(fd_, F_RDLCK, 1, false);
  }

 private:
  // The calling thread no longer owns the mutex.
  void Forget() {
    auto& list = t_owned.list;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [this](const std::weak_ptr<MutexObject>& w) {
                                auto p = w.lock();
                                return !p || p.get() == this;
                              }),
               list.end());
  }

  void Drop(bool abandoned) {
    owner_ = 0;
    recursion_ = 0;
    if (Named()) {
      WriteMarker(fd_, abandoned ? 1 : 0);
      LockByte(fd_, F_UNLCK, 0, false);
    } else {
      abandoned_ = abandoned;
    }
    WaitNotify();
  }

  fs::path file_;
  int fd_ = -1;
  DWORD owner_ = 0;
  DWORD recursion_ = 0;
  bool abandoned_ = false;      // unnamed: the last owner thread ended holding it
  bool lastAbandoned_ = false;  // the current ownership began abandoned
};

OwnedMutexes::~OwnedMutexes() {
  DWORD self = ThisThread();
  std::lock_guard lock(WaitLock());
  for (auto& weak : list)
    if (auto m = weak.lock()) m->AbandonBy(self);
}

// Named mutexes of the process by lock file; events by name.
struct Names {
  std::map<fs::path, std::weak_ptr<MutexObject>> mutexes;
  std::map<std::u16string, std::weak_ptr<Waitable>> events;
};

Names& TheNames() {
  static Names* names = new Names;
  return *names;
}

void ForkPrepare() { WaitLock().lock(); }
void ForkParent() { WaitLock().unlock(); }
void ForkChild() {
  for (auto& [file, weak] : TheNames().mutexes)
    if (auto m = weak.lock()) m->ReopenInChild();
  WaitLock().unlock();
}

[[maybe_unused]] const int kForkHandlers = pthread_atfork(ForkPrepare, ForkParent, ForkChild);

// A name split into its namespace and the object's own name; false with the last error set
// when the name cannot name an object.
bool SplitName(std::u16string_view name, std::u16string& space, std::u16string& object) {
  if (name.size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  space = u"Local";
  if (name.substr(0, 7) == u"Global\\") {
    space = u"Global";
    name.remove_prefix(7);
  } else if (name.substr(0, 6) == u"Local\\") {
    name.remove_prefix(6);
  }
  if (name.find(u'\\') != std::u16string_view::npos) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  object.assign(name);
  return true;
}

// The lock file of a named mutex: readable name characters and a hash of the exact name
// (names are case sensitive, file names on the machine need not be).
fs::path LockFileOf(const std::u16string& space, const std::u16string& object) {
  uint64_t hash = 1469598103934665603ull;
  for (char16_t c : space + u"\\" + object) {
    hash ^= c & 0xFF;
    hash *= 1099511628211ull;
    hash ^= c >> 8;
    hash *= 1099511628211ull;
  }
  std::string shown;
  for (char16_t c : object) {
    if (shown.size() >= 48) break;
    bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                 c == u'_' || c == u'-';
    shown += plain ? static_cast<char>(c) : '_';
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  std::string ns = space == u"Global" ? "global" : "local";
  return Machine::Root() / "locks" / ("mutex-" + ns + "-" + shown + "-" + hex + ".lock");
}

enum class OpenMode { Create, OpenExisting };

// Finds or makes the process's object of a named mutex. *existed tells whether the name was
// alive (in this or another process) before the call.
std::shared_ptr<MutexObject> NamedMutex(const fs::path& file, OpenMode mode, bool* existed) {
  Names& names = TheNames();
  auto it = names.mutexes.find(file);
  if (it != names.mutexes.end()) {
    if (auto live = it->second.lock()) {
      *existed = true;
      return live;
    }
  }
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  LockByte(fd, F_WRLCK, 2, true);
  bool alive = ByteLockedByOthers(fd, 1);
  if (!alive && mode == OpenMode::OpenExisting) {
    ::close(fd);  // drops the lock on byte 2 as well
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  // A name nobody holds is a new mutex: a mark left by a dead owner belongs to the old one.
  if (!alive) WriteMarker(fd, 0);
  LockByte(fd, F_RDLCK, 1, false);
  LockByte(fd, F_UNLCK, 2, false);
  auto object = std::make_shared<MutexObject>(file, fd);
  names.mutexes[file] = object;
  *existed = alive;
  return object;
}

std::shared_ptr<MutexObject> MutexOf(HANDLE h) { return HandleGetAs<MutexObject>(h); }

}  // namespace
}  // namespace zolt::host

using namespace zolt::host;

// ---------------------------------------------------------------------------------------------
// Critical sections

namespace {

struct CsLock {
  std::recursive_mutex lock;
};

std::mutex& CsInitLock() {
  static std::mutex* m = new std::mutex;
  return *m;
}

CsLock* CsOf(LPCRITICAL_SECTION cs) {
  if (!cs->DebugInfo) {
    // A section that was never initialised (zero-filled) gets its lock on first use.
    std::lock_guard guard(CsInitLock());
    if (!cs->DebugInfo) {
      cs->DebugInfo = new CsLock;
      cs->LockCount = -1;
    }
  }
  return static_cast<CsLock*>(cs->DebugInfo);
}

void CsTaken(LPCRITICAL_SECTION cs) {
  cs->OwningThread = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(GetCurrentThreadId()));
  ++cs->RecursionCount;
  cs->LockCount = -2;
}

}  // namespace

WIN32_API void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) {
  InitializeCriticalSectionAndSpinCount(cs, 0);
}

WIN32_API BOOL WINAPI InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION cs, DWORD spinCount) {
  if (!cs) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::memset(cs, 0, sizeof *cs);
  cs->DebugInfo = new CsLock;
  cs->LockCount = -1;
  cs->SpinCount = spinCount & 0x00FFFFFF;
  return TRUE;
}

WIN32_API void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) {
  if (!cs) return;
  CsOf(cs)->lock.lock();
  CsTaken(cs);
}

WIN32_API BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
  if (!cs || !CsOf(cs)->lock.try_lock()) return FALSE;
  CsTaken(cs);
  return TRUE;
}

WIN32_API void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) {
  if (!cs || !cs->DebugInfo) return;
  // Leaving a section the thread does not hold would free another thread's lock: ignored.
  if (cs->RecursionCount <= 0 ||
      cs->OwningThread != reinterpret_cast<HANDLE>(static_cast<uintptr_t>(GetCurrentThreadId())))
    return;
  if (--cs->RecursionCount == 0) {
    cs->OwningThread = nullptr;
    cs->LockCount = -1;
  }
  static_cast<CsLock*>(cs->DebugInfo)->lock.unlock();
}

WIN32_API void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) {
  if (!cs || !cs->DebugInfo) return;
  delete static_cast<CsLock*>(cs->DebugInfo);
  std::memset(cs, 0, sizeof *cs);
}

// ---------------------------------------------------------------------------------------------
// Mutexes

namespace {

HANDLE MakeMutex(BOOL initialOwner, LPCWSTR name, OpenMode mode) {
  std::u16string_view text = WideView(name);
  std::shared_ptr<MutexObject> object;
  bool existed = false;
  if ((!name || text.empty()) && mode == OpenMode::OpenExisting) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::u16string space, own;
  if (!text.empty() && !SplitName(text, space, own)) return nullptr;
  {
    // Made (or found) and, when new, taken by its creator in one step: no other thread gets
    // in between.
    std::lock_guard lock(WaitLock());
    if (text.empty()) {
      object = std::make_shared<MutexObject>();
    } else {
      object = NamedMutex(LockFileOf(space, own), mode, &existed);
      if (!object) return nullptr;
    }
    if (initialOwner && !existed && mode == OpenMode::Create) object->TryAcquire();
  }
  HANDLE h = HandleInsert(object);
  SetLastError(existed && mode == OpenMode::Create ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return h;
}

}  // namespace

WIN32_API HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCWSTR lpName) {
  return MakeMutex(bInitialOwner, lpName, OpenMode::Create);
}

WIN32_API HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL bInitialOwner, LPCSTR lpName) {
  if (!lpName) return CreateMutexW(attributes, bInitialOwner, nullptr);
  std::u16string wide;
  AnsiToWide(Machine::Facts().ansiCodePage, lpName, wide);
  return CreateMutexW(attributes, bInitialOwner, wide.c_str());
}

WIN32_API HANDLE WINAPI OpenMutexW(DWORD, BOOL, LPCWSTR lpName) {
  if (!lpName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return MakeMutex(FALSE, lpName, OpenMode::OpenExisting);
}

WIN32_API BOOL WINAPI ReleaseMutex(HANDLE hMutex) {
  auto m = MutexOf(hMutex);
  if (!m) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(WaitLock());
  if (!m->Release()) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Events

namespace {

class EventObject : public Waitable {
 public:
  EventObject(bool manual, bool state) : manual_(manual), signalled_(state) {}
  DWORD TryAcquire() override {
    if (!signalled_) return WAIT_TIMEOUT;
    if (!manual_) signalled_ = false;
    return WAIT_OBJECT_0;
  }
  void Undo() override {
    if (!manual_) signalled_ = true;
  }
  void Set(bool state) {
    signalled_ = state;
    if (state) WaitNotify();
  }

 private:
  bool manual_;
  bool signalled_;
};

BOOL SetEventState(HANDLE h, bool state) {
  auto e = HandleGetAs<EventObject>(h);
  if (!e) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(WaitLock());
  e->Set(state);
  return TRUE;
}

}  // namespace

WIN32_API HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName) {
  std::u16string_view name = WideView(lpName);
  std::lock_guard lock(WaitLock());
  if (!name.empty()) {
    std::u16string space, own;
    if (!SplitName(name, space, own)) return nullptr;
    std::u16string key = space + u"\\" + own;
    auto& slot = TheNames().events[key];
    if (auto live = slot.lock()) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return HandleInsert(live);
    }
    auto e = std::make_shared<EventObject>(bManualReset != FALSE, bInitialState != FALSE);
    slot = e;
    SetLastError(ERROR_SUCCESS);
    return HandleInsert(e);
  }
  SetLastError(ERROR_SUCCESS);
  return HandleInsert(std::make_shared<EventObject>(bManualReset != FALSE, bInitialState != FALSE));
}

WIN32_API BOOL WINAPI SetEvent(HANDLE hEvent) { return SetEventState(hEvent, true); }
WIN32_API BOOL WINAPI ResetEvent(HANDLE hEvent) { return SetEventState(hEvent, false); }

// ---------------------------------------------------------------------------------------------
// Waits

WIN32_API DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

WIN32_API DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                                              DWORD dwMilliseconds) {
  if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || !lpHandles) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  std::vector<std::shared_ptr<Waitable>> objects;
  objects.reserve(nCount);
  for (DWORD i = 0; i < nCount; ++i) {
    auto w = HandleGetAs<Waitable>(lpHandles[i]);
    if (!w) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    if (bWaitAll && std::find(objects.begin(), objects.end(), w) != objects.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return WAIT_FAILED;
    }
    objects.push_back(std::move(w));
  }
  return WaitForObjects(objects, bWaitAll != FALSE, WaitDeadline(dwMilliseconds));
}
