// The machine-wide mutex "Global\ZoltMutexTse" and the two critical sections of the process
// that guard the context caches; the tick count that dates parked contexts; the release of GDI
// objects.
//
// Each module that links the core has its own copy of this state (mutex handle, sections and
// their states), set up at process attach and freed at process detach.
#include <atomic>

#include "env_mutex.h"

namespace {

struct ProcessLock {
  CRITICAL_SECTION section;
  std::atomic<int> state{0};  // 0 not initialised, 1 initialised
};

ProcessLock g_locks[2];
std::atomic<HANDLE> g_mutex{nullptr};
std::atomic<CtxTickSource> g_tickSource{nullptr};

ProcessLock* LockOf(int lock) { return lock == 1 || lock == 2 ? &g_locks[lock - 1] : nullptr; }

int InitSection(ProcessLock& lock) {
  return InitializeCriticalSectionAndSpinCount(&lock.section, kProcessLockSpinCount) ? 1 : 0;
}

}  // namespace

void EnvInitProcessLocks() {
  // The sections first: clearing the cache tables takes them. A section that is already
  // initialised (a second attach without a detach) is kept rather than initialised twice.
  for (ProcessLock& lock : g_locks)
    if (lock.state != 1) lock.state = InitSection(lock);
  CtxInitCache();
  if (HANDLE mutex = g_mutex.exchange(nullptr)) CloseHandle(mutex);
}

void EnvFreeProcessLocks() {
  for (ProcessLock& lock : g_locks) {
    if (lock.state == 1) {
      DeleteCriticalSection(&lock.section);
      lock.state = 0;
    }
  }
  if (HANDLE mutex = g_mutex.exchange(nullptr)) CloseHandle(mutex);
}

void EnvEnterLock(int lock) {
  ProcessLock* l = LockOf(lock);
  if (!l) return;
  // A section whose initialisation failed is tried again; while it keeps failing, the cache
  // operations run without it.
  if (l->state == 0) l->state = InitSection(*l);
  if (l->state == 1) EnterCriticalSection(&l->section);
}

void EnvLeaveLock(int lock) {
  ProcessLock* l = LockOf(lock);
  if (l && l->state == 1) LeaveCriticalSection(&l->section);
}

HANDLE EnvCreateGlobalMutex() {
  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return nullptr;
  // A null DACL: every user and every session may open the mutex.
  if (!SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) return nullptr;
  SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), &descriptor, FALSE};
  return CreateMutexW(&attributes, FALSE, kGlobalMutexName);
}

void EnvLockGlobalMutex(DriverContext* ctx) {
  if (ctx && ctx->workArea && ctx->workArea->takeMutex == 0) return;
  HANDLE mutex = g_mutex.load();
  if (!mutex) {
    // Created on first use and kept until process detach. Two threads may race here: the one
    // that loses closes its handle and uses the winner's. A failure is tried again at the next
    // lock; meanwhile the caller runs unlocked.
    HANDLE created = EnvCreateGlobalMutex();
    if (!created) return;
    HANDLE expected = nullptr;
    if (g_mutex.compare_exchange_strong(expected, created)) {
      mutex = created;
    } else {
      CloseHandle(created);
      mutex = expected;
    }
  }
  // WAIT_ABANDONED (a process died holding the mutex) owns it like a free one: the shared files
  // are written whole, so there is no half-done state to repair.
  WaitForSingleObject(mutex, INFINITE);
}

void EnvUnlockGlobalMutex(DriverContext* ctx) {
  if (ctx && ctx->workArea && ctx->workArea->takeMutex != 1) return;
  if (HANDLE mutex = g_mutex.load()) ReleaseMutex(mutex);
}

void EnvLockGlobalMutexForMachine() {
  EnvLockGlobalMutex(nullptr);
  CtxSetInstallationFlag(1);
}

void EnvUnlockGlobalMutexForMachine() {
  CtxSetInstallationFlag(0);
  EnvUnlockGlobalMutex(nullptr);
}

DWORD CtxGetTickCount() {
  CtxTickSource source = g_tickSource.load();
  return source ? source() : GetTickCount();
}

CtxTickSource CtxSetTickSource(CtxTickSource source) { return g_tickSource.exchange(source); }

// No code creates GDI objects yet (the sheet engine's pictures come with the window system);
// one that is there cannot be released here and is reported.
BOOL CtxDeleteGdiObject(HGDIOBJ object) { return object ? FALSE : TRUE; }
