// Synchronisation: critical sections, mutexes (named ones serialise across the processes of
// the machine), events and the wait functions.
#pragma once

#include "win32/base.h"

#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED 0x00000080L
#define WAIT_ABANDONED_0 0x00000080L
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64
#define STATUS_WAIT_0 0x00000000L
#define STATUS_ABANDONED_WAIT_0 0x00000080L
#define ERROR_ABANDONED_WAIT_0 735L
#define ERROR_INVALID_HANDLE_STATE 1609L

#define MUTANT_QUERY_STATE 0x0001
#define MUTANT_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | MUTANT_QUERY_STATE)
#define MUTEX_MODIFY_STATE MUTANT_QUERY_STATE
#define MUTEX_ALL_ACCESS MUTANT_ALL_ACCESS
#define EVENT_MODIFY_STATE 0x0002
#define EVENT_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | 0x3)

// A critical section: a recursive lock of the threads of one process. The fields keep the
// platform's names and 64-bit layout; OwningThread holds the owner's thread id and
// RecursionCount its depth, DebugInfo the host's lock.
typedef struct _RTL_CRITICAL_SECTION {
  PVOID DebugInfo;
  LONG LockCount;
  LONG RecursionCount;
  HANDLE OwningThread;
  HANDLE LockSemaphore;
  ULONG_PTR SpinCount;
} RTL_CRITICAL_SECTION, CRITICAL_SECTION, *PCRITICAL_SECTION, *LPCRITICAL_SECTION;
static_assert(sizeof(CRITICAL_SECTION) == 40);

WIN32_API void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
WIN32_API BOOL WINAPI InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection,
                                                            DWORD dwSpinCount);
WIN32_API void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
WIN32_API BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
WIN32_API void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
WIN32_API void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

// Mutexes. A name places the mutex in a namespace: "Global\name" is shared by every session of
// the machine, "Local\name" and a name without prefix by the caller's session; names are case
// sensitive. A named mutex serialises the threads of every process of the machine; when its
// owner process dies holding it, the next wait gets WAIT_ABANDONED and owns it. Creating a
// name that exists opens it (bInitialOwner is then ignored) and sets ERROR_ALREADY_EXISTS.
WIN32_API HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner,
                                     LPCWSTR lpName);
WIN32_API HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner,
                                     LPCSTR lpName);
WIN32_API HANDLE WINAPI OpenMutexW(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCWSTR lpName);
// Releases one level of the calling thread's ownership; ERROR_NOT_OWNER when the thread does
// not own the mutex.
WIN32_API BOOL WINAPI ReleaseMutex(HANDLE hMutex);

// Events of the process (a name is shared by the process's handles).
WIN32_API HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset,
                                     BOOL bInitialState, LPCWSTR lpName);
WIN32_API BOOL WINAPI SetEvent(HANDLE hEvent);
WIN32_API BOOL WINAPI ResetEvent(HANDLE hEvent);

// Waits for mutexes, events and processes. dwMilliseconds INFINITE waits without a time-out.
WIN32_API DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
WIN32_API DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                                              DWORD dwMilliseconds);
