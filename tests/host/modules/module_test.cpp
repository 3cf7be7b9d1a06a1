#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "machine_fixture.h"
#include "win32/hosttext.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

using TagFn = int (*)();
using SelfFn = HINSTANCE (*)();

// An export as a function of its own type (through the platform's generic function pointer).
template <class Fn>
Fn Proc(HMODULE h, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(h, name)));
}

class ModuleTest : public zolt::test::MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    for (int tag = 1; tag <= 3; ++tag) unsetenv(("ZOLT_TESTMOD" + std::to_string(tag) + "_EVENTS").c_str());
  }

  // Copies a built test module to a Windows path of the machine.
  void Install(const char* module, const std::u16string& windowsPath) {
    for (size_t pos = 3; (pos = windowsPath.find(u'\\', pos)) != std::u16string::npos; ++pos)
      fs::create_directory(Real(windowsPath.substr(0, pos)));
    fs::path target = Real(windowsPath);
    fs::copy_file(fs::path(ZOLT_TEST_MODULE_DIR) / module, target, fs::copy_options::overwrite_existing);
  }

  static std::string Events(int tag) {
    const char* e = std::getenv(("ZOLT_TESTMOD" + std::to_string(tag) + "_EVENTS").c_str());
    return e ? e : "";
  }

  static int Tag(HMODULE h) {
    auto fn = Proc<TagFn>(h, "TestModTag");
    return fn ? fn() : -1;
  }

  static std::u16string FileName(HMODULE h) {
    WCHAR buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(h, buf, MAX_PATH);
    return std::u16string(buf, n);
  }
};

TEST_F(ModuleTest, PathAndBareNameCaseInsensitiveWithDllAppended) {
  Install("TestModA.dll", u"C:\\Program Files\\Zolt\\TestModA.dll");
  Install("TestModB.dll", u"C:\\Windows\\System32\\TestModB.dll");

  HMODULE a = LoadLibraryW(u"c:\\program files\\ZOLT\\testmoda.DLL");
  ASSERT_NE(a, nullptr) << GetLastError();
  EXPECT_EQ(Tag(a), 1);
  EXPECT_EQ(FileName(a), u"C:\\Program Files\\Zolt\\TestModA.dll");

  HMODULE b = LoadLibraryW(u"TESTMODB");  // bare name, no extension: ".dll" is added
  ASSERT_NE(b, nullptr) << GetLastError();
  EXPECT_EQ(Tag(b), 2);
  EXPECT_EQ(FileName(b), u"C:\\Windows\\System32\\TestModB.dll");
  EXPECT_EQ(GetModuleHandleW(u"testmodb.dll"), b);
  EXPECT_EQ(GetModuleHandleW(u"C:\\PROGRAM FILES\\zolt\\TestModA"), a);
  // A bare name finds a module already loaded, wherever it came from.
  EXPECT_EQ(LoadLibraryA("TestModA.dll"), a);
  EXPECT_TRUE(FreeLibrary(a));

  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_TRUE(FreeLibrary(b));
  SetLastError(0);
  EXPECT_EQ(GetModuleHandleW(u"TestModB.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  // A trailing dot means the name has no extension.
  Install("TestModB.dll", u"C:\\Windows\\System32\\NoExt");
  HMODULE c = LoadLibraryW(u"NoExt.");
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(FreeLibrary(c));
}

class SearchOrderTest : public ModuleTest {
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts f;
    f.hostImage = "C:\\App\\host.exe";
    return f;
  }
};

TEST_F(SearchOrderTest, ApplicationFolderThenSystemThenWindows) {
  Install("TestModA.dll", u"C:\\Windows\\Same.dll");
  Install("TestModB.dll", u"C:\\Windows\\System32\\Same.dll");
  Install("TestModA.dll", u"C:\\App\\Same.dll");
  const std::pair<std::u16string, int> steps[] = {
      {u"C:\\App\\Same.dll", 1}, {u"C:\\Windows\\System32\\Same.dll", 2}, {u"C:\\Windows\\Same.dll", 1}};
  for (const auto& [where, tag] : steps) {
    HMODULE h = LoadLibraryW(u"same.dll");
    ASSERT_NE(h, nullptr) << zolt::host::ToUtf8(where);
    EXPECT_EQ(FileName(h), where);
    EXPECT_EQ(Tag(h), tag);
    ASSERT_TRUE(FreeLibrary(h));
    fs::remove(Real(where));
  }
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(u"same.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  // The restricted searches look only where they say.
  Install("TestModB.dll", u"C:\\Windows\\System32\\OnlySys.dll");
  EXPECT_EQ(LoadLibraryExW(u"OnlySys.dll", nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR), nullptr);
  HMODULE h = LoadLibraryExW(u"OnlySys.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  ASSERT_NE(h, nullptr);
  FreeLibrary(h);
}

TEST_F(ModuleTest, ErrorCodes) {
  struct Case {
    std::u16string name;
    DWORD error;
  };
  zolt::test::WriteBytes(Real(u"C:\\Windows\\System32\\Text.dll"), "not a module");
  Install("TestModFail.dll", u"C:\\Windows\\System32\\TestModFail.dll");
  const Case cases[] = {
      {u"Missing.dll", ERROR_MOD_NOT_FOUND},
      {u"C:\\Nowhere\\TestModA.dll", ERROR_MOD_NOT_FOUND},
      {u"C:\\Windows", ERROR_MOD_NOT_FOUND},
      {u"Text.dll", ERROR_BAD_EXE_FORMAT},
      {u"C:\\Windows\\System32\\spoolsv.exe", ERROR_BAD_EXE_FORMAT},
      {u"TestModFail.dll", ERROR_DLL_INIT_FAILED},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(c.name.c_str()), nullptr) << zolt::host::ToUtf8(c.name);
    EXPECT_EQ(GetLastError(), c.error) << zolt::host::ToUtf8(c.name);
  }
  // A refused attach is followed by the detach.
  EXPECT_EQ(Events(3), "10");
  EXPECT_EQ(GetModuleHandleW(u"TestModFail.dll"), nullptr);

  Install("TestModA.dll", u"C:\\Windows\\System32\\TestModA.dll");
  HMODULE a = LoadLibraryW(u"TestModA.dll");
  ASSERT_NE(a, nullptr);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(a, "NoSuchExport"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
  // Only the module's own exports: the host's functions it links to are not among them.
  EXPECT_EQ(GetProcAddress(a, "GetLastError"), nullptr);
  EXPECT_EQ(GetProcAddress(a, MAKEINTRESOURCEA(1)), nullptr);
  EXPECT_TRUE(FreeLibrary(a));
  SetLastError(0);
  EXPECT_FALSE(FreeLibrary(a));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(ModuleTest, DllMainReasonsFollowTheReferenceCount) {
  Install("TestModA.dll", u"C:\\Windows\\System32\\TestModA.dll");
  HMODULE h1 = LoadLibraryW(u"TestModA.dll");
  ASSERT_NE(h1, nullptr);
  EXPECT_EQ(Events(1), "1");
  HMODULE h2 = LoadLibraryW(u"C:\\Windows\\System32\\TESTMODA.DLL");
  EXPECT_EQ(h2, h1);
  EXPECT_EQ(Events(1), "1");
  // The handle DllMain received is the one LoadLibraryW returned.
  auto self = Proc<SelfFn>(h1, "TestModSelf");
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(self(), h1);
  EXPECT_TRUE(DisableThreadLibraryCalls(h1));
  EXPECT_TRUE(FreeLibrary(h1));
  EXPECT_EQ(Events(1), "1");
  EXPECT_EQ(GetModuleHandleW(u"TestModA.dll"), h1);
  EXPECT_TRUE(FreeLibrary(h2));
  EXPECT_EQ(Events(1), "10");
  EXPECT_EQ(GetModuleHandleW(u"TestModA.dll"), nullptr);
}

TEST_F(ModuleTest, ThreadsShareOneLoadAndOneCount) {
  Install("TestModA.dll", u"C:\\Windows\\System32\\TestModA.dll");
  HMODULE keep = LoadLibraryW(u"TestModA.dll");
  ASSERT_NE(keep, nullptr);
  std::vector<std::thread> threads;
  std::vector<HMODULE> seen(8);
  for (size_t t = 0; t < seen.size(); ++t) {
    threads.emplace_back([&seen, t] {
      for (int i = 0; i < 50; ++i) {
        HMODULE h = LoadLibraryW(u"testmoda.dll");
        if (h != seen[t] && seen[t]) seen[t] = nullptr;
        if (i == 0) seen[t] = h;
        FreeLibrary(h);
      }
    });
  }
  for (auto& t : threads) t.join();
  for (HMODULE h : seen) EXPECT_EQ(h, keep);
  EXPECT_EQ(Events(1), "1");  // attached once, never detached while one reference stayed
  EXPECT_TRUE(FreeLibrary(keep));
  EXPECT_EQ(Events(1), "10");
}

TEST_F(ModuleTest, EachModuleKeepsItsOwnState) {
  // Two different files under the same file name in two folders.
  Install("TestModA.dll", u"C:\\One\\Same.dll");
  Install("TestModB.dll", u"C:\\Two\\Same.dll");
  HMODULE one = LoadLibraryW(u"C:\\One\\Same.dll");
  HMODULE two = LoadLibraryW(u"C:\\Two\\Same.dll");
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  EXPECT_NE(one, two);
  EXPECT_EQ(Tag(one), 1);
  EXPECT_EQ(Tag(two), 2);
  auto nextOne = Proc<TagFn>(one, "TestModNext");
  auto nextTwo = Proc<TagFn>(two, "TestModNext");
  EXPECT_EQ(nextOne(), 1);
  EXPECT_EQ(nextOne(), 2);
  EXPECT_EQ(nextTwo(), 1);
  EXPECT_TRUE(FreeLibrary(one));
  EXPECT_TRUE(FreeLibrary(two));
  // Two copies of one build (the same shared-object name inside) are still two modules.
  Install("TestModA.dll", u"C:\\Three\\Copy.dll");
  Install("TestModA.dll", u"C:\\Four\\Copy.dll");
  HMODULE three = LoadLibraryW(u"C:\\Three\\Copy.dll");
  HMODULE four = LoadLibraryW(u"C:\\Four\\Copy.dll");
  ASSERT_NE(three, nullptr);
  ASSERT_NE(four, nullptr);
  EXPECT_NE(three, four);
  EXPECT_EQ(Proc<TagFn>(three, "TestModNext")(), 1);
  EXPECT_EQ(Proc<TagFn>(three, "TestModNext")(), 2);
  EXPECT_EQ(Proc<TagFn>(four, "TestModNext")(), 1);
  EXPECT_EQ(FileName(four), u"C:\\Four\\Copy.dll");
  EXPECT_TRUE(FreeLibrary(three));
  EXPECT_TRUE(FreeLibrary(four));
}

TEST_F(ModuleTest, AReplacedFileLoadsItsNewContent) {
  Install("TestModA.dll", u"C:\\Drv\\Mod.dll");
  HMODULE first = LoadLibraryW(u"C:\\Drv\\Mod.dll");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Tag(first), 1);
  ASSERT_TRUE(FreeLibrary(first));
  fs::remove(Real(u"C:\\Drv\\Mod.dll"));
  Install("TestModB.dll", u"C:\\Drv\\Mod.dll");
  HMODULE second = LoadLibraryW(u"C:\\Drv\\Mod.dll");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(Tag(second), 2);
  EXPECT_EQ(FileName(second), u"C:\\Drv\\Mod.dll");
  EXPECT_TRUE(FreeLibrary(second));
}

TEST_F(ModuleTest, ProcessImageAndNameTruncation) {
  HMODULE process = GetModuleHandleW(nullptr);
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(GetModuleHandleA(nullptr), process);
  EXPECT_EQ(FileName(nullptr), u"C:\\Windows\\System32\\spoolsv.exe");
  EXPECT_EQ(FileName(process), u"C:\\Windows\\System32\\spoolsv.exe");
  // Too small: cut to the buffer with the terminator, the size returned, and the error set.
  WCHAR small[5] = {u'x', u'x', u'x', u'x', u'x'};
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameW(nullptr, small, 5), 5u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::u16string(small), u"C:\\W");
  char ansi[64];
  EXPECT_EQ(GetModuleFileNameA(nullptr, ansi, sizeof ansi), 31u);
  EXPECT_STREQ(ansi, "C:\\Windows\\System32\\spoolsv.exe");
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(0x1234000), small, 5), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  // The platform's own modules are the host's exports.
  HMODULE kernel = GetModuleHandleW(u"KERNEL32.DLL");
  ASSERT_NE(kernel, nullptr);
  EXPECT_EQ(LoadLibraryW(u"kernel32"), kernel);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(kernel, "GetLastError")), reinterpret_cast<void*>(&GetLastError));
  EXPECT_TRUE(FreeLibrary(kernel));
}

TEST_F(ModuleTest, DataFileLoadsGiveResourcesOnly) {
  Install("TestModA.dll", u"C:\\Res\\Lang.dll");
  HMODULE data = LoadLibraryExW(u"C:\\Res\\Lang.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(LDR_IS_DATAFILE(data));
  EXPECT_EQ(Events(1), "");  // no DllMain for data
  EXPECT_EQ(GetProcAddress(data, "TestModTag"), nullptr);
  EXPECT_EQ(GetModuleHandleW(u"Lang.dll"), nullptr);
  WCHAR buf[32];
  EXPECT_EQ(LoadStringW(data, 1, buf, 32), 5);
  EXPECT_NE(FindResourceW(data, MAKEINTRESOURCEW(1001), RT_DIALOG), nullptr);
  EXPECT_TRUE(FreeLibrary(data));
}

}  // namespace
