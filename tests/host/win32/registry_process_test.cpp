// The registry seen by several processes at once: changes of another process are seen at the
// next call, and writers that overlap lose nothing.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "machine_fixture.h"
#include "win32/hostregistry.h"
#include "win32/hosttext.h"
#include "win32/windows.h"

using namespace zolt::host;

namespace {

class RegistryProcessTest : public zolt::test::MachineTest {
 protected:
  // Runs body in a child process and returns its exit status (0 when body returned true).
  template <class F>
  int InChild(F body) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(body() ? 0 : 1);
    int status = -1;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
  }
};

DWORD ReadNumber(HKEY key, const char16_t* name, LONG* rc) {
  DWORD value = 0, size = sizeof value;
  *rc = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  return value;
}

TEST_F(RegistryProcessTest, AChangeOfAnotherProcessIsSeenAtTheNextCall) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Orvex\\ZoltDrv", &key), ERROR_SUCCESS);
  LONG rc;
  ReadNumber(key, u"Counter", &rc);
  ASSERT_EQ(rc, ERROR_FILE_NOT_FOUND);  // this process now holds a copy of the hive
  ASSERT_EQ(InChild([] {
              HKEY k = nullptr;
              DWORD v = 41;
              return RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"software\\orvex\\zoltdrv", 0, KEY_SET_VALUE, &k) ==
                         ERROR_SUCCESS &&
                     RegSetValueExW(k, u"Counter", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4) == ERROR_SUCCESS;
            }),
            0);
  EXPECT_EQ(ReadNumber(key, u"Counter", &rc), 41u);
  EXPECT_EQ(rc, ERROR_SUCCESS);
  // And back: this process's change is seen by the next child.
  DWORD v = 42;
  ASSERT_EQ(RegSetValueExW(key, u"Counter", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_SUCCESS);
  EXPECT_EQ(InChild([] {
              HKEY k = nullptr;
              LONG r;
              return RegOpenKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Orvex\\ZoltDrv", &k) == ERROR_SUCCESS &&
                     ReadNumber(k, u"counter", &r) == 42 && r == ERROR_SUCCESS;
            }),
            0);
  // A key deleted by another process.
  ASSERT_EQ(InChild([] {
              return RegDeleteValueW(HKEY_LOCAL_MACHINE, u"x") == ERROR_FILE_NOT_FOUND &&
                     RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Orvex\\ZoltDrv") == ERROR_SUCCESS;
            }),
            0);
  ReadNumber(key, u"Counter", &rc);
  EXPECT_EQ(rc, ERROR_KEY_DELETED);
  RegCloseKey(key);
}

TEST_F(RegistryProcessTest, TwoProcessesAddingValuesToOneKeyLoseNothing) {
  constexpr int kPerProcess = 150;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, u"SOFTWARE\\ORVEX\\JOBCODE\\JCJobID", &key), ERROR_SUCCESS);
  auto writer = [&](const char* prefix) {
    return [=] {
      HKEY k = nullptr;
      if (RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\ORVEX\\JOBCODE\\JCJobID", 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
        return false;
      for (DWORD i = 0; i < kPerProcess; ++i) {
        std::u16string name = FromUtf8(prefix + std::to_string(i));
        if (RegSetValueExW(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&i), 4) != ERROR_SUCCESS)
          return false;
      }
      return RegCloseKey(k) == ERROR_SUCCESS;
    };
  };
  pid_t a = ::fork();
  if (a == 0) ::_exit(writer("a")() ? 0 : 1);
  pid_t b = ::fork();
  if (b == 0) ::_exit(writer("b")() ? 0 : 1);
  int sa = -1, sb = -1;
  ::waitpid(a, &sa, 0);
  ::waitpid(b, &sb, 0);
  ASSERT_TRUE(WIFEXITED(sa) && WEXITSTATUS(sa) == 0);
  ASSERT_TRUE(WIFEXITED(sb) && WEXITSTATUS(sb) == 0);
  DWORD values = 0;
  ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, DWORD(2 * kPerProcess));
  LONG rc;
  EXPECT_EQ(ReadNumber(key, u"a149", &rc), 149u);
  EXPECT_EQ(ReadNumber(key, u"B7", &rc), 7u);
  RegCloseKey(key);
}

}  // namespace
