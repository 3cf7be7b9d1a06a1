#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "machine_fixture.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

template <class Fn>
Fn Proc(HMODULE h, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(h, name)));
}

using GetProfileFn = BOOL(WINAPI*)(HANDLE, LPWSTR, LPDWORD);
using KnownFolderFn = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
using FolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
using TaskFreeFn = void(WINAPI*)(LPVOID);
using TaskAllocFn = LPVOID(WINAPI*)(SIZE_T);
using CoInitFn = HRESULT(WINAPI*)(LPVOID);
using CoInitExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
using CoUninitFn = void(WINAPI*)();

class SystemModulesTest : public zolt::test::MachineTest {};

// The profile folder the way the settings code asks for it: the module by name, the size
// question, then the answer.
TEST_F(SystemModulesTest, UserEnvGivesTheProfileFolder) {
  HMODULE userenv = LoadLibraryW(u"UserEnv.dll");
  ASSERT_NE(userenv, nullptr) << GetLastError();
  auto get = Proc<GetProfileFn>(userenv, "GetUserProfileDirectoryW");
  ASSERT_NE(get, nullptr);
  HANDLE token = reinterpret_cast<HANDLE>(LONG_PTR{-4});  // any token of the user
  DWORD cch = 0;
  SetLastError(0);
  EXPECT_FALSE(get(token, nullptr, &cch));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(cch, 14u);  // C:\Users\user and the terminator
  WCHAR small[5];
  cch = 5;
  EXPECT_FALSE(get(token, small, &cch));
  EXPECT_EQ(cch, 14u);
  WCHAR buf[MAX_PATH];
  cch = MAX_PATH;
  ASSERT_TRUE(get(token, buf, &cch));
  EXPECT_EQ(std::u16string(buf), u"C:\\Users\\user");
  EXPECT_EQ(cch, 14u);
  EXPECT_FALSE(get(nullptr, buf, &cch));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(FreeLibrary(userenv));
}

// The LocalLow folder from shell32, freed with ole32's task memory, both loaded by name.
TEST_F(SystemModulesTest, KnownFoldersAreTaskMemoryOfOle32) {
  HMODULE shell = LoadLibraryW(u"shell32.dll");
  HMODULE ole = LoadLibraryW(u"ole32.dll");
  ASSERT_NE(shell, nullptr);
  ASSERT_NE(ole, nullptr);
  auto known = Proc<KnownFolderFn>(shell, "SHGetKnownFolderPath");
  auto taskFree = Proc<TaskFreeFn>(ole, "CoTaskMemFree");
  ASSERT_NE(known, nullptr);
  ASSERT_NE(taskFree, nullptr);
  const std::pair<const KNOWNFOLDERID*, std::u16string> rows[] = {
      {&FOLDERID_LocalAppDataLow, u"C:\\Users\\user\\AppData\\LocalLow"},
      {&FOLDERID_LocalAppData, u"C:\\Users\\user\\AppData\\Local"},
      {&FOLDERID_RoamingAppData, u"C:\\Users\\user\\AppData\\Roaming"},
      {&FOLDERID_Documents, u"C:\\Users\\user\\Documents"},
  };
  for (const auto& [id, expected] : rows) {
    PWSTR path = nullptr;
    ASSERT_EQ(known(*id, 0, nullptr, &path), S_OK);
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(std::u16string(path), expected);
    EXPECT_TRUE(fs::is_directory(Real(expected)));
    taskFree(path);
  }
  PWSTR path = reinterpret_cast<PWSTR>(1);
  const KNOWNFOLDERID unknown = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(known(unknown, 0, nullptr, &path), E_INVALIDARG);
  EXPECT_EQ(path, nullptr);
  // Memory of ole32's allocator and of the host's is the same memory.
  auto taskAlloc = Proc<TaskAllocFn>(ole, "CoTaskMemAlloc");
  ASSERT_NE(taskAlloc, nullptr);
  CoTaskMemFree(taskAlloc(16));
  taskFree(CoTaskMemAlloc(0));
  EXPECT_TRUE(FreeLibrary(shell));
  EXPECT_TRUE(FreeLibrary(ole));
}

TEST_F(SystemModulesTest, FolderPathsByCsidl) {
  HMODULE shell = LoadLibraryW(u"SHELL32");
  ASSERT_NE(shell, nullptr);
  auto folder = Proc<FolderPathFn>(shell, "SHGetFolderPathW");
  ASSERT_NE(folder, nullptr);
  const std::pair<int, std::u16string> rows[] = {
      {CSIDL_APPDATA, u"C:\\Users\\user\\AppData\\Roaming"},
      {CSIDL_LOCAL_APPDATA, u"C:\\Users\\user\\AppData\\Local"},
      {CSIDL_COMMON_APPDATA, u"C:\\ProgramData"},
      {CSIDL_PERSONAL, u"C:\\Users\\user\\Documents"},
      {CSIDL_PERSONAL | CSIDL_FLAG_CREATE, u"C:\\Users\\user\\Documents"},
      {CSIDL_WINDOWS, u"C:\\Windows"},
      {CSIDL_SYSTEM, u"C:\\Windows\\System32"},
  };
  for (const auto& [csidl, expected] : rows) {
    WCHAR buf[MAX_PATH] = {};
    EXPECT_EQ(folder(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf), S_OK) << csidl;
    EXPECT_EQ(std::u16string(buf), expected) << csidl;
  }
  WCHAR buf[MAX_PATH];
  EXPECT_EQ(folder(nullptr, 0x7E, nullptr, 0, buf), E_INVALIDARG);
  EXPECT_TRUE(FreeLibrary(shell));
}

class OlderSystemModulesTest : public zolt::test::MachineTest {
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts f;
    f.majorVersion = 5;
    f.minorVersion = 1;
    return f;
  }
};

TEST_F(OlderSystemModulesTest, FoldersOfTheOlderProfileLayout) {
  WCHAR buf[MAX_PATH];
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, buf), S_OK);
  EXPECT_EQ(std::u16string(buf), u"C:\\Documents and Settings\\user\\My Documents");
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, buf), S_OK);
  EXPECT_EQ(std::u16string(buf), u"C:\\Documents and Settings\\user\\Local Settings\\Application Data");
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_SYSTEM, nullptr, 0, buf), S_OK);
  EXPECT_EQ(std::u16string(buf), u"C:\\WINDOWS\\system32");
}

TEST_F(SystemModulesTest, ComInitialisationCountsPerThread) {
  HMODULE ole = LoadLibraryW(u"ole32.dll");
  ASSERT_NE(ole, nullptr);
  auto init = Proc<CoInitFn>(ole, "CoInitialize");
  auto initEx = Proc<CoInitExFn>(ole, "CoInitializeEx");
  auto uninit = Proc<CoUninitFn>(ole, "CoUninitialize");
  ASSERT_TRUE(init && initEx && uninit);
  EXPECT_EQ(init(nullptr), S_OK);
  EXPECT_EQ(init(nullptr), S_FALSE);
  EXPECT_EQ(initEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);  // the host's export shares the count
  uninit();
  uninit();
  CoUninitialize();
  EXPECT_EQ(initEx(nullptr, COINIT_MULTITHREADED), S_OK);
  uninit();
  EXPECT_EQ(init(reinterpret_cast<LPVOID>(1)), E_INVALIDARG);
  EXPECT_TRUE(FreeLibrary(ole));
}

TEST_F(SystemModulesTest, AMissingSystemModuleFailsToLoad) {
  fs::remove(Real(u"C:\\Windows\\System32\\UserEnv.dll"));
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(u"UserEnv.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

}  // namespace
