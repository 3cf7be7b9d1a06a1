// The profile-function wrappers: bracket-safe section names, flushed writes, kept file times.
#include <gtest/gtest.h>

#include <string>

#include "ini_file.h"
#include "machine_fixture.h"

namespace {

using zolt::test::MachineTest;

constexpr const WCHAR* kFile = u"C:\\Windows\\settings.ini";

class IniAccessTest : public MachineTest {
 protected:
  std::string FileText() const { return zolt::test::ReadBytes(Real(kFile)); }
  FILETIME LastWrite(const WCHAR* file) {
    HANDLE h = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    FILETIME t{};
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) {
      GetFileTime(h, nullptr, nullptr, &t);
      CloseHandle(h);
    }
    return t;
  }
  void SetLastWrite(const WCHAR* file, FILETIME t) {
    HANDLE h = CreateFileW(file, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFileTime(h, nullptr, nullptr, &t);
    CloseHandle(h);
  }
};

TEST_F(IniAccessTest, BracketsInSectionNamesBecomeCommasOnEveryCall) {
  const std::u16string printer = u"Office [2nd floor]";
  ASSERT_TRUE(IniWriteString(printer.c_str(), u"Copies", u"3", kFile));
  EXPECT_NE(FileText().find("[Office ,2nd floor,]\r\nCopies=3\r\n"), std::string::npos);
  EXPECT_EQ(printer, u"Office [2nd floor]");  // the caller's name is left alone

  WCHAR out[16] = {};
  EXPECT_EQ(IniReadString(printer.c_str(), u"Copies", u"x", out, 16, kFile), 1);
  EXPECT_EQ(std::u16string(out), u"3");
  EXPECT_EQ(IniReadInt(printer.c_str(), u"Copies", 7, kFile), 3u);
  EXPECT_EQ(IniReadInt(u"Office ,2nd floor,", u"Copies", 7, kFile), 3u);  // the same section

  // A NULL value deletes the key, a NULL key the section.
  ASSERT_TRUE(IniWriteString(printer.c_str(), u"Copies", nullptr, kFile));
  EXPECT_EQ(IniReadInt(printer.c_str(), u"Copies", 7, kFile), 7u);
  ASSERT_TRUE(IniWriteString(printer.c_str(), u"Other", u"1", kFile));
  ASSERT_TRUE(IniWriteString(printer.c_str(), nullptr, nullptr, kFile));
  EXPECT_EQ(FileText().find("Office"), std::string::npos);

  WCHAR text[] = u"[a]b]";
  EXPECT_EQ(IniReplaceBrackets(text), text);
  EXPECT_EQ(std::u16string(text), u",a,b,");
  EXPECT_EQ(IniReplaceBrackets(nullptr), nullptr);
}

TEST_F(IniAccessTest, OverlongSectionNamesAreRefusedNotCut) {
  const std::u16string longName(kIniSectionChars + 1, u'P');
  EXPECT_FALSE(IniWriteString(longName.c_str(), u"Copies", u"3", kFile));
  EXPECT_FALSE(std::filesystem::exists(Real(kFile)));
  WCHAR out[8] = {u'x'};
  EXPECT_EQ(IniReadString(longName.c_str(), u"Copies", u"default", out, 4, kFile), 3);
  EXPECT_EQ(std::u16string(out), u"def");
  EXPECT_EQ(IniReadInt(longName.c_str(), u"Copies", 9, kFile), 9u);
  // The longest accepted name still works.
  const std::u16string longest(kIniSectionChars, u'P');
  EXPECT_TRUE(IniWriteString(longest.c_str(), u"Copies", u"3", kFile));
  EXPECT_EQ(IniReadInt(longest.c_str(), u"Copies", 9, kFile), 3u);
}

TEST_F(IniAccessTest, WritesKeepTheFileTimeWhenAsked) {
  ASSERT_TRUE(IniWriteString(u"S", u"Key", u"1", kFile));
  const FILETIME old{0x12345678, 0x01D00000};
  SetLastWrite(kFile, old);

  for (int mode : {0, 1}) {
    EXPECT_TRUE(IniWriteStringKeepTime(u"S", u"Key", mode ? u"3" : u"2", kFile, mode));
    const FILETIME now = LastWrite(kFile);
    EXPECT_EQ(now.dwLowDateTime, old.dwLowDateTime) << mode;
    EXPECT_EQ(now.dwHighDateTime, old.dwHighDateTime) << mode;
  }
  EXPECT_EQ(IniReadInt(u"S", u"Key", 0, kFile), 3u);
  // Deleting a key the same way.
  EXPECT_TRUE(IniWriteStringKeepTime(u"S", u"Key", nullptr, kFile, 1));
  EXPECT_EQ(IniReadInt(u"S", u"Key", 0, kFile), 0u);
  EXPECT_EQ(LastWrite(kFile).dwLowDateTime, old.dwLowDateTime);
}

TEST_F(IniAccessTest, KeepTimeOnAFileThatCannotBeOpened) {
  // Mode 1 writes nothing when the file cannot be opened.
  EXPECT_FALSE(IniWriteStringKeepTime(u"S", u"Key", u"1", u"C:\\NoSuchFolder\\a.ini", 1));
  EXPECT_FALSE(std::filesystem::exists(Real(u"C:\\NoSuchFolder")));

  // A file held open without sharing cannot be opened either.
  HANDLE held = CreateFileW(kFile, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(IniWriteStringKeepTime(u"S", u"Key", u"1", kFile, 1));
  CloseHandle(held);
  EXPECT_EQ(IniReadInt(u"S", u"Key", 0, kFile), 0u);

  // Mode 0 on a missing file: created, then written.
  const WCHAR* fresh = u"C:\\Windows\\fresh.ini";
  EXPECT_TRUE(IniWriteStringKeepTime(u"S", u"Key", u"5", fresh, 0));
  EXPECT_EQ(IniReadInt(u"S", u"Key", 0, fresh), 5u);
}

}  // namespace
