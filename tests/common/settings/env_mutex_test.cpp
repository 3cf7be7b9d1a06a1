// The machine-wide mutex and the process locks: processes that update one settings file under
// the mutex lose no update, a no-lock context neither waits nor releases, the mutex is
// recursive, the machine-context switch lives exactly as long as its lock, and the two
// critical sections keep threads apart.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "child_process.h"
#include "env_mutex.h"
#include "machine_fixture.h"

namespace {

using zolt::test::Signal;
using zolt::test::WaitChild;

using namespace std::chrono_literals;

// A context that holds only what the lock functions read: its work area's take-mutex flag.
struct LockContext {
  explicit LockContext(bool takeMutex) : area(std::make_unique<ContextWorkArea>()) {
    area->takeMutex = takeMutex ? 1 : 0;
    ctx.workArea = area.get();
  }
  std::unique_ptr<ContextWorkArea> area;
  DriverContext ctx{};
};

constexpr const WCHAR* kSettings = u"C:\\Windows\\counter.ini";

// One read-modify-write of the counter, with a pause between the read and the write so that an
// unguarded writer would be overtaken.
void Increment(DriverContext* ctx) {
  EnvLockGlobalMutex(ctx);
  const UINT value = GetPrivateProfileIntW(u"Printer", u"Count", 0, kSettings);
  std::this_thread::yield();
  const std::u16string text = [&] {
    std::string digits = std::to_string(value + 1);
    return std::u16string(digits.begin(), digits.end());
  }();
  WritePrivateProfileStringW(u"Printer", u"Count", text.c_str(), kSettings);
  EnvUnlockGlobalMutex(ctx);
}

class EnvMutex : public zolt::test::MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    EnvInitProcessLocks();
  }
  void TearDown() override {
    EnvFreeProcessLocks();
    CtxSetInstallationFlag(0);
    MachineTest::TearDown();
  }
};

TEST_F(EnvMutex, ProcessesUpdatingOneSettingsFileLoseNoUpdate) {
  constexpr int kProcesses = 3;
  constexpr int kRounds = 40;
  pid_t children[kProcesses];
  for (int p = 0; p < kProcesses; ++p) {
    children[p] = fork();
    ASSERT_GE(children[p], 0);
    if (children[p] == 0) {
      // Half the rounds with a context that takes the mutex, half without a context.
      LockContext locking(true);
      for (int i = 0; i < kRounds; ++i) Increment(i % 2 ? &locking.ctx : nullptr);
      EnvFreeProcessLocks();
      _exit(0);
    }
  }
  for (pid_t child : children) EXPECT_EQ(WaitChild(child), 0);
  EXPECT_EQ(GetPrivateProfileIntW(u"Printer", u"Count", 0, kSettings), static_cast<UINT>(kProcesses * kRounds));
}

TEST_F(EnvMutex, ANoLockContextNeitherWaitsNorReleases) {
  Signal taken, release, probed;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    EnvLockGlobalMutex(nullptr);
    taken.Send();
    release.Receive();
    EnvUnlockGlobalMutex(nullptr);
    EnvFreeProcessLocks();
    _exit(0);
  }
  ASSERT_TRUE(taken.Receive());

  LockContext noLock(false);
  auto reader = std::async(std::launch::async, [&] {
    EnvLockGlobalMutex(&noLock.ctx);
    EnvUnlockGlobalMutex(&noLock.ctx);
  });
  const bool readerDone = reader.wait_for(10s) == std::future_status::ready;
  EXPECT_TRUE(readerDone) << "a context created with the no-lock flag waited for the mutex";

  auto writer = std::async(std::launch::async, [] {
    EnvLockGlobalMutex(nullptr);
    // A no-lock context's unlock must not release what this thread holds.
    LockContext other(false);
    EnvUnlockGlobalMutex(&other.ctx);
    EnvUnlockGlobalMutex(nullptr);
  });
  EXPECT_EQ(writer.wait_for(100ms), std::future_status::timeout) << "the mutex did not keep the writer out";
  release.Send();
  EXPECT_EQ(writer.wait_for(20s), std::future_status::ready);
  EXPECT_EQ(WaitChild(child), 0);
  if (!readerDone) reader.wait();
}

TEST_F(EnvMutex, TheMutexIsRecursiveAndReleasedAsOftenAsTaken) {
  EnvLockGlobalMutex(nullptr);
  EnvLockGlobalMutex(nullptr);
  EnvUnlockGlobalMutex(nullptr);
  // Still held once: another process cannot have it.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, kGlobalMutexName);
    _exit(m && WaitForSingleObject(m, 0) == WAIT_TIMEOUT ? 0 : 1);
  }
  EXPECT_EQ(WaitChild(child), 0);
  EnvUnlockGlobalMutex(nullptr);
  child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, kGlobalMutexName);
    _exit(m && WaitForSingleObject(m, 0) == WAIT_OBJECT_0 && ReleaseMutex(m) ? 0 : 1);
  }
  EXPECT_EQ(WaitChild(child), 0);
  // An unlock without a lock fails harmlessly.
  EnvUnlockGlobalMutex(nullptr);
}

TEST_F(EnvMutex, AMutexAbandonedByADeadProcessIsTakenLikeAFreeOne) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    EnvLockGlobalMutex(nullptr);
    _exit(0);  // dies holding it
  }
  EXPECT_EQ(WaitChild(child), 0);
  auto taker = std::async(std::launch::async, [] {
    EnvLockGlobalMutex(nullptr);
    EnvUnlockGlobalMutex(nullptr);
  });
  EXPECT_EQ(taker.wait_for(20s), std::future_status::ready);
}

TEST_F(EnvMutex, AMutexThatCannotBeCreatedIsTriedAgainAtTheNextLock) {
  // Nothing can be made where the machine keeps its named objects.
  std::error_code ec;
  std::filesystem::remove_all(Root() / "locks", ec);
  zolt::test::WriteBytes(Root() / "locks", "in the way");
  EXPECT_EQ(EnvCreateGlobalMutex(), nullptr);
  EnvLockGlobalMutex(nullptr);  // runs unlocked rather than failing or hanging
  EnvUnlockGlobalMutex(nullptr);

  std::filesystem::remove(Root() / "locks", ec);
  EnvLockGlobalMutex(nullptr);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, kGlobalMutexName);
    _exit(m && WaitForSingleObject(m, 0) == WAIT_TIMEOUT ? 0 : 1);
  }
  EXPECT_EQ(WaitChild(child), 0) << "the second lock did not create and take the mutex";
  EnvUnlockGlobalMutex(nullptr);
}

TEST_F(EnvMutex, TheMachineContextSwitchLastsAsLongAsItsLock) {
  EXPECT_EQ(CtxGetInstallationFlag(), 0);
  EnvLockGlobalMutexForMachine();
  EXPECT_EQ(CtxGetInstallationFlag(), 1);
  EnvUnlockGlobalMutexForMachine();
  EXPECT_EQ(CtxGetInstallationFlag(), 0);
}

TEST_F(EnvMutex, CriticalSectionsKeepThreadsApartPerTable) {
  EnvEnterLock(1);
  EnvEnterLock(1);  // recursive like the platform's
  std::atomic<int> step{0};
  auto other = std::async(std::launch::async, [&] {
    EnvEnterLock(2);  // the other table's section is free
    step = 1;
    EnvLeaveLock(2);
    EnvEnterLock(1);
    step = 2;
    EnvLeaveLock(1);
  });
  while (step.load() < 1) std::this_thread::yield();
  EXPECT_EQ(other.wait_for(100ms), std::future_status::timeout);
  EXPECT_EQ(step.load(), 1);
  EnvLeaveLock(1);
  EnvLeaveLock(1);
  EXPECT_EQ(other.wait_for(20s), std::future_status::ready);
  EXPECT_EQ(step.load(), 2);
  // Other lock numbers are no locks at all.
  EnvEnterLock(0);
  EnvEnterLock(3);
  EnvLeaveLock(3);
}

TEST_F(EnvMutex, SectionsComeBackAfterTheyWereFreed) {
  EnvFreeProcessLocks();
  EnvFreeProcessLocks();  // a second detach finds nothing to delete
  EnvEnterLock(2);        // initialised again on demand
  EnvLeaveLock(2);
}

class EnvModules : public zolt::test::DriverMachineTest {};

TEST_F(EnvModules, EachModuleSetsUpAndFreesItsLocksWhenLoadedAndUnloaded) {
  for (const char16_t* name : {u"zoltui.dll", u"zoltgr.dll", u"zoltexc.dll"}) {
    SCOPED_TRACE(std::string(name, name + std::char_traits<char16_t>::length(name)));
    WCHAR dir[MAX_PATH] = {};
    DWORD needed = 0;
    ASSERT_TRUE(GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(dir), sizeof dir, &needed));
    std::u16string path = std::u16string(dir) + u"\\3\\" + name;
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr) << GetLastError();
    EXPECT_TRUE(FreeLibrary(module));
  }
}

}  // namespace
