// Critical sections, mutexes (within a process and between processes), events and waits.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "child_process.h"
#include "machine_fixture.h"
#include "win32/windows.h"

namespace {

using zolt::test::Signal;
using zolt::test::WaitChild;

using SyncTest = zolt::test::MachineTest;

// Runs fn on another thread and returns its result.
template <class Fn>
auto OnOtherThread(Fn fn) {
  decltype(fn()) result{};
  std::thread([&] { result = fn(); }).join();
  return result;
}

TEST_F(SyncTest, CriticalSectionIsRecursiveAndExcludesOtherThreads) {
  CRITICAL_SECTION cs;
  ASSERT_TRUE(InitializeCriticalSectionAndSpinCount(&cs, 4000));
  EnterCriticalSection(&cs);
  EnterCriticalSection(&cs);
  EXPECT_EQ(cs.RecursionCount, 2);
  EXPECT_FALSE(OnOtherThread([&] { return TryEnterCriticalSection(&cs); }));
  LeaveCriticalSection(&cs);
  EXPECT_FALSE(OnOtherThread([&] { return TryEnterCriticalSection(&cs); }));
  LeaveCriticalSection(&cs);
  EXPECT_TRUE(OnOtherThread([&] {
    BOOL ok = TryEnterCriticalSection(&cs);
    if (ok) LeaveCriticalSection(&cs);
    return ok;
  }));
  // Leaving a section the thread does not hold changes nothing.
  EnterCriticalSection(&cs);
  OnOtherThread([&] {
    LeaveCriticalSection(&cs);
    return 0;
  });
  EXPECT_EQ(cs.RecursionCount, 1);
  LeaveCriticalSection(&cs);
  DeleteCriticalSection(&cs);
}

TEST_F(SyncTest, MutexIsRecursivePerThreadAndOnlyTheOwnerReleasesIt) {
  for (const char16_t* name : {static_cast<const char16_t*>(nullptr), u"Local\\ZoltRecursion"}) {
    HANDLE m = CreateMutexW(nullptr, TRUE, name);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(WaitForSingleObject(m, INFINITE), DWORD(WAIT_OBJECT_0));  // second level
    EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(m, 20); }), DWORD(WAIT_TIMEOUT));
    DWORD error = OnOtherThread([&] {
      SetLastError(0);
      return ReleaseMutex(m) ? 0u : GetLastError();
    });
    EXPECT_EQ(error, DWORD(ERROR_NOT_OWNER));
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(m, 0); }), DWORD(WAIT_TIMEOUT));
    EXPECT_TRUE(ReleaseMutex(m));
    SetLastError(0);
    EXPECT_FALSE(ReleaseMutex(m));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_OWNER));
    // Free now: another thread takes it (and ends holding it, which abandons it).
    EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(m, 0); }), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(m, 1000), DWORD(WAIT_ABANDONED));
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_EQ(WaitForSingleObject(m, 0), DWORD(WAIT_OBJECT_0));
    EXPECT_TRUE(ReleaseMutex(m));
    CloseHandle(m);
  }
}

TEST_F(SyncTest, NamesOpenTheSameMutexInTheirNamespace) {
  SetLastError(0);
  HANDLE a = CreateMutexW(nullptr, TRUE, u"Global\\ZoltNames");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  HANDLE b = CreateMutexW(nullptr, FALSE, u"Global\\ZoltNames");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  HANDLE c = OpenMutexW(SYNCHRONIZE, FALSE, u"Global\\ZoltNames");
  ASSERT_NE(c, nullptr);
  // Every handle reaches the one mutex, owned by this thread.
  EXPECT_EQ(WaitForSingleObject(b, 0), DWORD(WAIT_OBJECT_0));
  EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(c, 0); }), DWORD(WAIT_TIMEOUT));
  // Other namespaces and other case are other names.
  HANDLE local = CreateMutexW(nullptr, FALSE, u"ZoltNames");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  HANDLE upper = CreateMutexW(nullptr, FALSE, u"Global\\ZOLTNAMES");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(upper, 0); }), DWORD(WAIT_OBJECT_0));
  EXPECT_EQ(CreateMutexW(nullptr, FALSE, u"Local\\ZoltNames") != nullptr && GetLastError() == ERROR_ALREADY_EXISTS,
            true);
  SetLastError(0);
  EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, u"Global\\ZoltMissing"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(CreateMutexW(nullptr, FALSE, u"Global\\a\\b"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
  EXPECT_TRUE(ReleaseMutex(a));
  EXPECT_TRUE(ReleaseMutex(a));
  for (HANDLE h : {a, b, c, local, upper}) CloseHandle(h);
  // With every handle closed the name is gone.
  EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, u"Global\\ZoltNames"), nullptr);
}

TEST_F(SyncTest, NamedMutexSerialisesProcesses) {
  Signal taken, release;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HANDLE m = CreateMutexW(nullptr, TRUE, u"Global\\ZoltCross");
    taken.Send();
    release.Receive();
    _exit(m && ReleaseMutex(m) ? 0 : 1);
  }
  ASSERT_TRUE(taken.Receive());
  SetLastError(0);
  HANDLE m = CreateMutexW(nullptr, FALSE, u"Global\\ZoltCross");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(WaitForSingleObject(m, 50), DWORD(WAIT_TIMEOUT));
  release.Send();
  EXPECT_EQ(WaitForSingleObject(m, 10000), DWORD(WAIT_OBJECT_0));
  EXPECT_EQ(WaitChild(child), 0);
  EXPECT_TRUE(ReleaseMutex(m));
  CloseHandle(m);
}

TEST_F(SyncTest, MutexOfADeadProcessIsAbandonedToTheNextOwner) {
  HANDLE m = CreateMutexW(nullptr, FALSE, u"Global\\ZoltMutexTse");
  ASSERT_NE(m, nullptr);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, u"Global\\ZoltMutexTse");
    _exit(h && WaitForSingleObject(h, 5000) == WAIT_OBJECT_0 ? 0 : 1);  // dies holding it
  }
  EXPECT_EQ(WaitChild(child), 0);
  EXPECT_EQ(WaitForSingleObject(m, 5000), DWORD(WAIT_ABANDONED));
  EXPECT_TRUE(ReleaseMutex(m));
  EXPECT_EQ(WaitForSingleObject(m, 0), DWORD(WAIT_OBJECT_0));  // released properly this time
  EXPECT_TRUE(ReleaseMutex(m));
  CloseHandle(m);
}

TEST_F(SyncTest, EventsAndWaitsForSeveralObjects) {
  HANDLE autoReset = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE both[] = {autoReset, manual};
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 10), DWORD(WAIT_TIMEOUT));
  std::thread setter([&] { SetEvent(manual); });
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 5000), DWORD(WAIT_OBJECT_0 + 1));
  setter.join();
  EXPECT_EQ(WaitForSingleObject(manual, 0), DWORD(WAIT_OBJECT_0));  // stays set
  // Waiting for all does not take the auto-reset event while the other is missing.
  ResetEvent(manual);
  SetEvent(autoReset);
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 10), DWORD(WAIT_TIMEOUT));
  SetEvent(manual);
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), DWORD(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(autoReset, 0), DWORD(WAIT_TIMEOUT));  // consumed
  SetLastError(0);
  HANDLE named = CreateEventW(nullptr, TRUE, FALSE, u"ZoltEvent");
  HANDLE again = CreateEventW(nullptr, TRUE, FALSE, u"ZoltEvent");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  SetEvent(named);
  EXPECT_EQ(WaitForSingleObject(again, 0), DWORD(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(0x7777), 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  for (HANDLE h : {autoReset, manual, named, again}) CloseHandle(h);
}

}  // namespace
