// Kernel objects that a thread can wait for (mutexes, events, processes, threads), and the
// wait itself.
//
// Every waitable object keeps its state under one lock of the process (WaitLock); a change
// that may satisfy a waiter calls WaitNotify. Objects whose state another process can change
// (named mutexes) say so with NeedsPolling, and waiters then look at them again every few
// milliseconds as well.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <span>

#include "handles.h"

namespace zolt::host {

class Waitable : public KernelObject {
 public:
  // With WaitLock held: when the object is signalled, takes it for the calling thread (a mutex
  // becomes owned, an auto-reset event is reset) and returns WAIT_OBJECT_0, or WAIT_ABANDONED
  // for a mutex whose owner died holding it. Returns WAIT_TIMEOUT when it is not signalled.
  virtual DWORD TryAcquire() = 0;
  // With WaitLock held: gives back what a successful TryAcquire took (a wait for all objects
  // that cannot complete).
  virtual void Undo() {}
  // True when the state can change without a notification of this process.
  virtual bool NeedsPolling() const { return false; }
};

std::mutex& WaitLock();
// Wakes the waiters of the process to look at their objects again.
void WaitNotify();

using WaitClock = std::chrono::steady_clock;
// The deadline of a wait of so many milliseconds (none for INFINITE).
std::optional<WaitClock::time_point> WaitDeadline(DWORD milliseconds);

// Waits for any (the index of the object taken, + WAIT_ABANDONED_0 when abandoned) or all of
// the objects (WAIT_OBJECT_0 or WAIT_ABANDONED_0 + the index of an abandoned mutex), until the
// deadline (WAIT_TIMEOUT).
DWORD WaitForObjects(std::span<const std::shared_ptr<Waitable>> objects, bool all,
                     std::optional<WaitClock::time_point> deadline);

}  // namespace zolt::host
