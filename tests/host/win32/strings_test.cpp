#include <gtest/gtest.h>

#include "machine_fixture.h"
#include "win32/hosttext.h"
#include "win32/strings.h"
#include "win32/windows.h"

namespace {

using zolt::test::MachineTest;

class StringsTest : public MachineTest {};

TEST_F(StringsTest, WordSortComparisons) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    int cmp;   // lstrcmpW
    int cmpi;  // lstrcmpiW
  } cases[] = {
      {u"abc", u"abc", 0, 0},
      {u"abc", u"ABC", -1, 0},    // lower case before upper case
      {u"A", u"b", -1, -1},       // letters without case first
      {u"a", u"B", -1, -1},
      {u"Zolt.ini", u"ZOLT.INI", -1, 0},
      {u"ab", u"abc", -1, -1},
      {u"9", u"a", -1, -1},       // digits before letters
      {u"_a", u"1", -1, -1},      // punctuation before digits
      {u"a_b", u"a+b", -1, -1},   // "_" before "+" in the word sort
      {u"coop", u"co-op", -1, -1},  // hyphen ignored at first, fewer of them first
      {u"co-op", u"cop", -1, -1},
      {u"it's", u"its", 1, 1},
      {u"\u00E9", u"\u00C9", -1, 0},
      {u"z", u"\u00E9", -1, -1},  // beyond ASCII after the letters
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lstrcmpW(c.a, c.b), c.cmp) << zolt::host::ToUtf8(c.a) << " vs " << zolt::host::ToUtf8(c.b);
    EXPECT_EQ(lstrcmpW(c.b, c.a), -c.cmp);
    EXPECT_EQ(lstrcmpiW(c.a, c.b), c.cmpi) << zolt::host::ToUtf8(c.a) << " vs " << zolt::host::ToUtf8(c.b);
    EXPECT_EQ(lstrcmpiW(c.b, c.a), -c.cmpi);
  }
  EXPECT_EQ(lstrcmpW(nullptr, nullptr), 0);
  EXPECT_EQ(lstrcmpW(nullptr, u""), -1);
  EXPECT_EQ(lstrcmpiA("ABC", "abc"), 0);
  EXPECT_EQ(lstrcmpiA("\xC9t\xE9", "\xE9T\xC9"), 0);  // code page 1252 letters
  EXPECT_EQ(lstrcmpA("a", "B"), -1);
}

TEST_F(StringsTest, CopiesAndConcatenations) {
  WCHAR buf[8];
  EXPECT_EQ(lstrcpynW(buf, u"abcdefghij", 5), buf);
  EXPECT_EQ(std::u16string(buf), u"abcd");  // iMaxLength counts the NUL
  lstrcpynW(buf, u"xy", 8);
  EXPECT_EQ(std::u16string(buf), u"xy");
  buf[0] = u'q';
  lstrcpynW(buf, u"abc", 1);
  EXPECT_EQ(buf[0], 0);
  lstrcatW(buf, u"ab");
  lstrcatW(buf, u"cd");
  EXPECT_EQ(std::u16string(buf), u"abcd");
  EXPECT_EQ(lstrlenW(buf), 4);
  EXPECT_EQ(lstrlenW(nullptr), 0);
  char a[6];
  lstrcpynA(a, "hello world", sizeof a);
  EXPECT_STREQ(a, "hello");
  WCHAR w[6];
  wcsncpy(w, u"ab", 5);
  EXPECT_EQ(w[1], u'b');
  EXPECT_EQ(w[4], 0);  // padded with NULs
}

TEST_F(StringsTest, NumberParsing) {
  struct Case {
    const char16_t* text;
    int toi;
    ULONG toul;  // wcstoul base 0
    size_t used;
  } cases[] = {
      {u"42", 42, 42, 2},
      {u"  -17xyz", -17, 0u - 17u, 5},
      {u"+8", 8, 8, 2},
      {u"0x1F", 0, 31, 4},
      {u"010", 10, 8, 3},
      {u"4294967295", 2147483647, 0xFFFFFFFFu, 10},
      {u"4294967296", 2147483647, 0xFFFFFFFFu, 10},  // overflow saturates
      {u"-99999999999", -2147483647 - 1, 0xFFFFFFFFu, 12},
      {u"abc", 0, 0, 0},
      {u"", 0, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(_wtoi(c.text), c.toi) << zolt::host::ToUtf8(c.text);
    WCHAR* end = nullptr;
    EXPECT_EQ(wcstoul(c.text, &end, 0), c.toul) << zolt::host::ToUtf8(c.text);
    EXPECT_EQ(static_cast<size_t>(end - c.text), c.used) << zolt::host::ToUtf8(c.text);
  }
  EXPECT_EQ(_wtol(u"123456"), 123456);
  EXPECT_EQ(wcstol(u"-2147483649", nullptr, 10), INT32_MIN);
  EXPECT_EQ(wcstoul(u"ff", nullptr, 16), 255u);
  EXPECT_EQ(wcstoul(u"z", nullptr, 36), 35u);
}

TEST_F(StringsTest, RuntimeHelpers) {
  EXPECT_EQ(wcslen(u"abc"), 3u);
  EXPECT_EQ(wcsncmp(u"20240101120000x", u"20240101120000y", 14), 0);
  EXPECT_LT(wcsncmp(u"20240101115959", u"20240101120000", 14), 0);
  EXPECT_GT(wcscmp(u"b", u"a"), 0);
  EXPECT_EQ(_wcsicmp(u"QVJC32.DLL", u"qvjc32.dll"), 0);
  EXPECT_LT(_wcsicmp(u"_", u"a"), 0);  // ordinal after folding to lower case
  EXPECT_EQ(_wcsnicmp(u"ABCx", u"abcy", 3), 0);
  const WCHAR* path = u"C:\\a\\b.txt";
  EXPECT_EQ(wcsrchr(path, u'\\'), path + 4);
  EXPECT_EQ(wcschr(path, u'\\'), path + 2);
  EXPECT_EQ(wcschr(path, u'#'), nullptr);
  EXPECT_EQ(wcsstr(path, u"b.t"), path + 5);
  WCHAR buf[16];
  wcscpy(buf, u"ab");
  wcscat(buf, u"cd");
  EXPECT_EQ(std::u16string(buf), u"abcd");
}

}  // namespace
