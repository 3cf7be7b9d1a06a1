#include <gtest/gtest.h>

#include <string>

#include "machine_fixture.h"
#include "win32/file.h"
#include "win32/hosttext.h"
#include "win32/path.h"

using zolt::host::ToUtf8;

namespace {

class PathTest : public zolt::test::MachineTest {};

class OldPathTest : public zolt::test::MachineTest {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts f;
    f.majorVersion = 5;
    f.minorVersion = 1;
    f.userName = "Taro";
    return f;
  }
};

TEST_F(PathTest, ExpandsTheMachinesVariables) {
  struct Case {
    std::u16string in;
    std::u16string out;
  } cases[] = {
      {u"%SYSTEMROOT%\\System32", u"C:\\Windows\\System32"},
      {u"%SystemRoot%|%windir%|%WINDIR%", u"C:\\Windows|C:\\Windows|C:\\Windows"},
      {u"%SYSTEMDRIVE%\\_zolt", u"C:\\_zolt"},
      {u"%USERPROFILE%\\x", u"C:\\Users\\user\\x"},
      {u"%TEMP%;%TMP%", u"C:\\Windows\\Temp;C:\\Windows\\Temp"},
      {u"%USERNAME%@%COMPUTERNAME%", u"user@ZOLTHOST"},
      {u"%NOSUCH%\\a", u"%NOSUCH%\\a"},        // unknown names stay as written
      {u"100% sure", u"100% sure"},
      {u"%%windir%", u"%C:\\Windows"},
      {u"%NOSUCH%windir%", u"%NOSUCHC:\\Windows"},  // the closing sign may open the next name
      {u"", u""},
  };
  for (const auto& c : cases) {
    WCHAR buf[256];
    DWORD n = ExpandEnvironmentStringsW(c.in.c_str(), buf, 256);
    EXPECT_EQ(ToUtf8(buf), ToUtf8(c.out)) << ToUtf8(c.in);
    EXPECT_EQ(n, c.out.size() + 1) << ToUtf8(c.in);  // the size with the NUL
  }
}

TEST_F(PathTest, ExpansionBufferRules) {
  const std::u16string want = u"C:\\Windows\\x";  // 12 characters
  WCHAR buf[32];
  EXPECT_EQ(ExpandEnvironmentStringsW(u"%windir%\\x", nullptr, 0), 13u);
  buf[0] = u'#';
  EXPECT_EQ(ExpandEnvironmentStringsW(u"%windir%\\x", buf, 12), 13u);  // no room for the NUL
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(ExpandEnvironmentStringsW(u"%windir%\\x", buf, 13), 13u);
  EXPECT_EQ(std::u16string(buf), want);
}

TEST_F(PathTest, CopyOutBufferRules) {
  // Each call: the length without the NUL when it fits, the size with the NUL when not.
  WCHAR buf[64];
  EXPECT_EQ(GetSystemDirectoryW(buf, 64), 19u);
  EXPECT_EQ(std::u16string(buf), u"C:\\Windows\\System32");
  buf[0] = u'#';
  EXPECT_EQ(GetSystemDirectoryW(buf, 19), 20u);
  EXPECT_EQ(buf[0], u'#');  // untouched
  EXPECT_EQ(GetSystemDirectoryW(nullptr, 0), 20u);
  EXPECT_EQ(GetWindowsDirectoryW(buf, 64), 10u);
  EXPECT_EQ(GetSystemWindowsDirectoryW(buf, 11), 10u);
  char a[64];
  EXPECT_EQ(GetSystemDirectoryA(a, 64), 19u);
  EXPECT_STREQ(a, "C:\\Windows\\System32");
  EXPECT_EQ(GetWindowsDirectoryA(a, 5), 11u);
  EXPECT_EQ(GetTempPathW(64, buf), 16u);
  EXPECT_EQ(std::u16string(buf), u"C:\\Windows\\Temp\\");
  EXPECT_EQ(GetTempPathW(16, buf), 17u);
  EXPECT_EQ(GetEnvironmentVariableW(u"windir", buf, 64), 10u);
  EXPECT_EQ(GetEnvironmentVariableW(u"WINDIR", buf, 10), 11u);
  EXPECT_EQ(GetEnvironmentVariableW(u"NOSUCH", buf, 64), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
  EXPECT_EQ(GetCurrentDirectoryW(64, buf), 19u);
  EXPECT_EQ(GetCurrentDirectoryW(3, buf), 20u);
}

TEST_F(PathTest, TempPathFollowsTheEnvironment) {
  ASSERT_TRUE(SetEnvironmentVariableW(u"TMP", u"C:\\Users\\user\\Tmp"));
  WCHAR buf[64];
  EXPECT_EQ(GetTempPathW(64, buf), 18u);
  EXPECT_EQ(std::u16string(buf), u"C:\\Users\\user\\Tmp\\");
  ASSERT_TRUE(SetEnvironmentVariableW(u"tmp", nullptr));
  EXPECT_EQ(GetEnvironmentVariableW(u"TMP", buf, 64), 0u);
  GetTempPathW(64, buf);
  EXPECT_EQ(std::u16string(buf), u"C:\\Windows\\Temp\\");  // TEMP next
}

TEST_F(PathTest, FullAndShortNames) {
  struct Case {
    std::u16string in;
    std::u16string full;
    std::u16string filePart;
  } cases[] = {
      {u"C:\\a\\.\\b\\..\\c.txt", u"C:\\a\\c.txt", u"c.txt"},
      {u"c:/x/y/", u"C:\\x\\y\\", u""},
      {u"zolt.ini", u"C:\\Windows\\System32\\zolt.ini", u"zolt.ini"},
      {u"\\Temp\\f", u"C:\\Temp\\f", u"f"},
      {u"C:\\", u"C:\\", u""},
  };
  for (const auto& c : cases) {
    WCHAR buf[MAX_PATH];
    LPWSTR part = nullptr;
    DWORD n = GetFullPathNameW(c.in.c_str(), MAX_PATH, buf, &part);
    EXPECT_EQ(ToUtf8(buf), ToUtf8(c.full));
    EXPECT_EQ(n, c.full.size());
    EXPECT_EQ(part ? ToUtf8(part) : "", ToUtf8(c.filePart)) << ToUtf8(c.in);
    EXPECT_EQ(GetFullPathNameW(c.in.c_str(), static_cast<DWORD>(c.full.size()), buf, nullptr), c.full.size() + 1);
  }
  WCHAR s[MAX_PATH];
  EXPECT_EQ(GetShortPathNameW(u"c:\\windows\\EXPLORER.exe", s, MAX_PATH), 23u);
  EXPECT_EQ(ToUtf8(s), "c:\\windows\\EXPLORER.exe");  // no 8.3 names here: as given
  EXPECT_EQ(GetShortPathNameW(u"C:\\Windows\\none.exe", s, MAX_PATH), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetShortPathNameW(u"C:\\none\\x.exe", s, MAX_PATH), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(PathTest, CurrentDirectoryDrivesRelativePaths) {
  ASSERT_TRUE(CreateDirectoryW(u"C:\\Work", nullptr));
  ASSERT_TRUE(SetCurrentDirectoryW(u"c:\\work"));
  WCHAR buf[64];
  GetCurrentDirectoryW(64, buf);
  EXPECT_EQ(std::u16string(buf), u"C:\\Work");
  HANDLE h = CreateFileW(u"rel.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_NE(GetFileAttributesW(u"C:\\Work\\rel.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(RemoveDirectoryW(u"C:\\Work"));  // the current directory is in use
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(SetCurrentDirectoryW(u"C:\\Work\\rel.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
  EXPECT_FALSE(SetCurrentDirectoryW(u"C:\\Nowhere"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\"));
  EXPECT_EQ(GetCurrentDirectoryW(64, buf), 3u);
  EXPECT_EQ(std::u16string(buf), u"C:\\");
}

TEST_F(OldPathTest, OlderSystemsUseTheirOwnFolders) {
  WCHAR buf[MAX_PATH];
  ExpandEnvironmentStringsW(u"%SystemRoot%|%USERPROFILE%|%USERNAME%", buf, MAX_PATH);
  EXPECT_EQ(ToUtf8(buf), "C:\\WINDOWS|C:\\Documents and Settings\\Taro|Taro");
  GetSystemDirectoryW(buf, MAX_PATH);
  EXPECT_EQ(ToUtf8(buf), "C:\\WINDOWS\\system32");
}

}  // namespace
