#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "machine_fixture.h"
#include "win32/file.h"
#include "win32/hosttext.h"

namespace fs = std::filesystem;
using zolt::host::ToUtf8;

namespace {

class FindTest : public zolt::test::MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    fs::path data = Root() / "drive_c" / "Data";
    fs::create_directories(data / "sub");
    for (const char* name : {"a.txt", "B.TXT", "abc", "abc.def.txt", "x.txtx", "readme", "Zolt.INI", "ab"})
      zolt::test::WriteBytes(data / name, name);
  }

  // The names a find returns, in order, or "error N".
  static std::string Find(const std::u16string& path) {
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW(path.c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return "error " + std::to_string(GetLastError());
    std::string names;
    do {
      if (!names.empty()) names += ' ';
      names += ToUtf8(d.cFileName);
    } while (FindNextFileW(h, &d));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(h));
    return names;
  }
};

TEST_F(FindTest, PatternsMatchLikeThePlatform) {
  struct Case {
    std::u16string pattern;
    std::string names;
  } cases[] = {
      {u"*", ". .. a.txt ab abc abc.def.txt B.TXT readme sub x.txtx Zolt.INI"},
      {u"*.*", ". .. a.txt ab abc abc.def.txt B.TXT readme sub x.txtx Zolt.INI"},
      {u"*.txt", "a.txt abc.def.txt B.TXT"},
      {u"*.", ". .. ab abc readme sub"},          // names without a dot
      {u"a*", "a.txt ab abc abc.def.txt"},        // without case
      {u"A*.*", "a.txt ab abc abc.def.txt"},
      {u"??", "ab"},
      {u"ab.*", "ab"},                            // ".*" also matches no extension
      {u"ab?", "ab abc"},                         // "?" matches nothing at the end
      {u"a?.txt", "a.txt"},                       // and nothing before a dot
      {u"*txt", "a.txt abc.def.txt B.TXT"},
      {u"*.INI", "Zolt.INI"},
      {u"zolt.ini", "Zolt.INI"},                  // one name: the spelling on disk
      {u"SUB", "sub"},                            // a folder by its name
      {u"*.t?t", "a.txt abc.def.txt B.TXT"},
      {u"nothing*", "error 2"},
      {u"missing.txt", "error 2"},
  };
  for (const auto& c : cases) EXPECT_EQ(Find(u"C:\\Data\\" + c.pattern), c.names) << ToUtf8(c.pattern);
}

TEST_F(FindTest, PathErrors) {
  EXPECT_EQ(Find(u"C:\\Data\\"), "error 2");  // a trailing backslash fails as on the platform
  EXPECT_EQ(Find(u"C:\\Data"), "Data");        // the folder existence test
  EXPECT_EQ(Find(u"c:\\DATA\\SUB"), "sub");
  EXPECT_EQ(Find(u"C:\\Missing\\*"), "error 3");
  EXPECT_EQ(Find(u"C:\\Missing\\x\\*.*"), "error 3");
  EXPECT_EQ(Find(u"C:\\"), "error 2");
  EXPECT_EQ(Find(u""), "error 3");
  std::string root = Find(u"C:\\*");
  EXPECT_EQ(root.find(". "), std::string::npos) << root;  // no "." or ".." at a drive's root
  EXPECT_NE(root.find("Data"), std::string::npos);
  EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FindTest, RecordsCarrySizeAttributesAndTimes) {
  zolt::test::WriteBytes(Root() / "drive_c" / "Data" / "big.bin", std::string(70000, 'z'));
  ASSERT_TRUE(SetFileAttributesW(u"C:\\Data\\big.bin", FILE_ATTRIBUTE_HIDDEN));
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW(u"C:\\Data\\BIG.*", &d);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FindClose(h);
  EXPECT_EQ(ToUtf8(d.cFileName), "big.bin");
  EXPECT_EQ(d.nFileSizeLow, 70000u);
  EXPECT_EQ(d.nFileSizeHigh, 0u);
  EXPECT_EQ(d.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(d.cAlternateFileName[0], 0);
  HANDLE f = CreateFileW(u"C:\\Data\\big.bin", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  FILETIME write;
  GetFileTime(f, nullptr, nullptr, &write);
  CloseHandle(f);
  EXPECT_EQ(write.dwLowDateTime, d.ftLastWriteTime.dwLowDateTime);
  EXPECT_EQ(write.dwHighDateTime, d.ftLastWriteTime.dwHighDateTime);
  h = FindFirstFileW(u"C:\\Data\\s*", &d);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FindClose(h);
  EXPECT_EQ(d.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace
