#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "machine_fixture.h"
#include "win32/format.h"
#include "win32/memory.h"
#include "win32/hosttext.h"

namespace {

using zolt::test::MachineTest;

class FormatTest : public MachineTest {};

template <class... A>
std::u16string W(const char16_t* fmt, A... args) {
  WCHAR buf[1100];
  int n = wsprintfW(buf, fmt, args...);
  std::u16string out(buf);
  EXPECT_EQ(static_cast<size_t>(n), out.size());
  return out;
}

TEST_F(FormatTest, WsprintfWFormats) {
  struct Case {
    std::u16string got;
    std::u16string want;
  } cases[] = {
      {W(u"%d", -42), u"-42"},
      {W(u"%i|%u", 7, -1), u"7|4294967295"},
      {W(u"%ld.%01d", 12L, 5), u"12.5"},
      {W(u"%ld.%02d", 3, 7), u"3.07"},
      {W(u"%lu", 0xFFFFFFFFu), u"4294967295"},
      {W(u"%04d%02d%02d%02d%02d%02d", 2024, 1, 2, 3, 4, 5), u"20240102030405"},
      {W(u"user%04d.rst", 12), u"user0012.rst"},
      {W(u"%5d|%-5d|%05d", 42, 42, -42), u"   42|42   |-0042"},
      {W(u"%.3d", 5), u"005"},
      {W(u"%.0d", 0), u"0"},  // precision 0 still gives one digit
      {W(u"%x|%X|%#x|%#X|%lx", 255, 255, 255, 255, 0xABCDu), u"ff|FF|0xff|0XFF|abcd"},
      {W(u"%08X", 0xBEEFu), u"0000BEEF"},
      {W(u"%s", u"wide"), u"wide"},
      {W(u"%S", "ansi"), u"ansi"},
      {W(u"%hs|%ls", "h", u"l"), u"h|l"},
      {W(u"%.3s|%-6s|%6s", u"abcdef", u"ab", u"ab"), u"abc|ab    |    ab"},
      {W(u"%s", static_cast<const WCHAR*>(nullptr)), u"(null)"},
      {W(u"%c%C", u'\u00E9', 'x'), u"\u00E9x"},
      {W(u"%S", "\xE9t\xE9"), u"\u00E9t\u00E9"},  // ANSI through code page 1252
      {W(u"100%%"), u"100%"},
      {W(u"%y"), u"y"},  // no meaning: the character itself
      {W(u"%d is not string-ID", 9), u"9 is not string-ID"},
      {W(u"Stamp%d%s", 3, u"x"), u"Stamp3x"},
  };
  for (const auto& c : cases) EXPECT_EQ(zolt::host::ToUtf8(c.got), zolt::host::ToUtf8(c.want));
}

TEST_F(FormatTest, WsprintfAFormats) {
  char buf[64];
  EXPECT_EQ(wsprintfA(buf, "%s=%S %c%C %d", "a", u"\u00E9", 'b', u'c', -1), 9);
  EXPECT_STREQ(buf, "a=\xE9 bc -1");
}

TEST_F(FormatTest, OutputStopsAt1024Characters) {
  std::u16string longText(3000, u'x');
  std::u16string buf(1100, u'#');
  EXPECT_EQ(wsprintfW(buf.data(), u"%s", longText.c_str()), 1024);
  EXPECT_EQ(buf[1023], u'x');
  EXPECT_EQ(buf[1024], 0);
  EXPECT_EQ(buf[1025], u'#');  // nothing written beyond the limit
}

TEST_F(FormatTest, RuntimeSwprintf) {
  WCHAR buf[16];
  EXPECT_EQ(swprintf(buf, 16, u"%d%%", 50), 3);
  EXPECT_EQ(std::u16string(buf), u"50%");
  EXPECT_EQ(swprintf(buf, 16, u"%.1f|%+d|%*d", 2.25, 3, 3, 7), 10);
  EXPECT_EQ(std::u16string(buf), u"2.2|+3|  7");
  EXPECT_EQ(swprintf(buf, 16, u"%I64d", 1234567890123LL), 13);
  EXPECT_EQ(swprintf(buf, 4, u"%s", u"abcdef"), -1);  // cut, still terminated
  EXPECT_EQ(std::u16string(buf), u"abc");
}

// FormatMessageW: the system's texts, strings with inserts and escapes, and its buffers.
class FormatMessageTest : public MachineTest {
 protected:
  static std::u16string FromString(const char16_t* source, const DWORD_PTR* args, DWORD flags = 0) {
    WCHAR out[256];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | flags, source, 0, 0, out,
                             256, reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args)));
    return n ? std::u16string(out, n) : u"<failed>";
  }
};

TEST_F(FormatMessageTest, SystemTextsInTheDefaultLanguages) {
  for (DWORD language : {0x0u, 0x400u, 0x800u, 0x409u}) {
    WCHAR* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
        ERROR_FILE_NOT_FOUND, language, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    ASSERT_NE(text, nullptr) << language;
    EXPECT_EQ(std::u16string(text, n), u"The system cannot find the file specified.\r\n");
    EXPECT_EQ(LocalFree(text), nullptr);
  }
  // Inserts of a system text stay as they are when ignored.
  WCHAR out[128];
  ASSERT_NE(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_BAD_EXE_FORMAT,
                           0, out, 128, nullptr),
            0u);
  EXPECT_EQ(std::u16string(out), u"%1 is not a valid Win32 application.\r\n");
}

TEST_F(FormatMessageTest, FailuresSayWhy) {
  WCHAR out[8];
  WCHAR* block = reinterpret_cast<WCHAR*>(1);
  const DWORD system = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  struct Case {
    std::function<DWORD()> call;
    DWORD error;
  } cases[] = {
      {[&] {
         return FormatMessageW(system | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, 0xDEAD, 0,
                               reinterpret_cast<LPWSTR>(&block), 0, nullptr);
       },
       ERROR_MR_MID_NOT_FOUND},
      {[&] { return FormatMessageW(system, nullptr, ERROR_ACCESS_DENIED, 0x411, out, 8, nullptr); },
       ERROR_RESOURCE_LANG_NOT_FOUND},
      {[&] { return FormatMessageW(system, nullptr, ERROR_ACCESS_DENIED, 0, out, 8, nullptr); },
       ERROR_INSUFFICIENT_BUFFER},
      // An insert without arguments.
      {[&] { return FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_BAD_EXE_FORMAT, 0, out, 8, nullptr); },
       ERROR_INVALID_PARAMETER},
      {[&] { return FormatMessageW(0, nullptr, 0, 0, out, 8, nullptr); }, ERROR_INVALID_PARAMETER},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SetLastError(0);
    EXPECT_EQ(cases[i].call(), 0u) << i;
    EXPECT_EQ(GetLastError(), cases[i].error) << i;
  }
  EXPECT_EQ(block, nullptr);  // a failed allocating call leaves no block
}

TEST_F(FormatMessageTest, InsertsAndEscapes) {
  const DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(u"file.ini"), 42, 0xBEEF};
  struct Case {
    const char16_t* source;
    DWORD flags;
    std::u16string want;
  } cases[] = {
      {u"Open %1 now", 0, u"Open file.ini now"},
      {u"%2!u! of %1, %3!04X!", 0, u"42 of file.ini, BEEF"},
      {u"%1%n100%% %t.%0 never", 0, u"file.ini\r\n100% \t."},
      {u"Line one\nline two\r\n", 0, u"Line one\r\nline two\r\n"},
      {u"Line one\r\nline two\r\n", FORMAT_MESSAGE_MAX_WIDTH_MASK, u"Line one line two"},
      {u"Keep %1 and %2!u!", FORMAT_MESSAGE_IGNORE_INSERTS, u"Keep %1 and %2!u!"},
      {u"%1!*d!", 0, u"<failed>"},  // widths from the arguments are not the platform's
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(FromString(cases[i].source, args, cases[i].flags), cases[i].want) << i;
}

}  // namespace
