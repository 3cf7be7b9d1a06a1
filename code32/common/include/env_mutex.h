// The machine-wide mutex that serialises the driver's shared state across processes and
// sessions, and the two critical sections of the process that guard the context caches (their
// calls are declared in context_services.h).
#pragma once

#include "context_services.h"

inline constexpr WCHAR kGlobalMutexName[] = u"Global\\ZoltMutexTse";
inline constexpr DWORD kProcessLockSpinCount = 4000;

// Creates (or opens) the named mutex with a null DACL, so that every user and session may open
// it. NULL when it cannot be had.
HANDLE EnvCreateGlobalMutex();
// Waits for the mutex without a time-out. A context created with the no-mutex flag (0x100)
// locks nothing; the unlock of a pair must name the same context (or NULL for both).
void EnvLockGlobalMutex(DriverContext* ctx);
void EnvUnlockGlobalMutex(DriverContext* ctx);

// Printer initialisation: the mutex (without a context) with the process-wide switch that makes
// every context created meanwhile a machine context; the switch goes off before the release.
void EnvLockGlobalMutexForMachine();
void EnvUnlockGlobalMutexForMachine();
