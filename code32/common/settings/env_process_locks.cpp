// The process locks of the core (the two critical sections that guard the context caches),
// the tick count that dates parked contexts, and the release of GDI objects.
//
// INTERIM: the host does not have critical sections, GetTickCount or DeleteObject yet. Until
// it does, the sections are std::recursive_mutex (recursive like the platform's) and the tick
// count is a steady millisecond clock cut to 32 bits (so it wraps like the platform's). When
// the host has them, these bodies become InitializeCriticalSectionAndSpinCount(&cs, 4000) /
// EnterCriticalSection / LeaveCriticalSection / DeleteCriticalSection, GetTickCount and
// DeleteObject; the interfaces stay.
#include <atomic>
#include <chrono>
#include <mutex>

#include "context_services.h"

namespace {

constexpr DWORD kSpinCount = 4000;  // spin count of both sections on the platform

struct ProcessLock {
  std::recursive_mutex section;
  std::atomic<int> state{0};  // 0 not initialised, 1 initialised
};

ProcessLock g_locks[2];

ProcessLock* LockOf(int lock) { return lock == 1 || lock == 2 ? &g_locks[lock - 1] : nullptr; }

// Initialising a std::recursive_mutex cannot fail; the state records it as the platform's
// initialisation result would.
int InitSection(ProcessLock&) {
  (void)kSpinCount;
  return 1;
}

DWORD SystemTicks() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<DWORD>(static_cast<uint64_t>(ms.count()));
}

std::atomic<CtxTickSource> g_tickSource{nullptr};

}  // namespace

void EnvInitProcessLocks() {
  CtxInitCache();
  for (ProcessLock& lock : g_locks) lock.state = InitSection(lock);
}

void EnvFreeProcessLocks() {
  for (ProcessLock& lock : g_locks) lock.state = 0;
}

void EnvEnterLock(int lock) {
  ProcessLock* l = LockOf(lock);
  if (!l) return;
  if (l->state == 0) l->state = InitSection(*l);
  if (l->state == 1) l->section.lock();
}

void EnvLeaveLock(int lock) {
  ProcessLock* l = LockOf(lock);
  if (l && l->state == 1) l->section.unlock();
}

DWORD CtxGetTickCount() {
  CtxTickSource source = g_tickSource.load();
  return source ? source() : SystemTicks();
}

CtxTickSource CtxSetTickSource(CtxTickSource source) { return g_tickSource.exchange(source); }

// No code creates GDI objects yet (the sheet engine's pictures come with the window system);
// one that is there cannot be released here and is reported.
BOOL CtxDeleteGdiObject(HGDIOBJ object) { return object ? FALSE : TRUE; }
