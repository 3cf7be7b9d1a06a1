#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine_fixture.h"
#include "win32/windows.h"

using zolt::host::MachineFacts;

namespace {

std::u16string ToWide(UINT cp, const std::string& bytes, DWORD flags = 0) {
  int n = MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string out(static_cast<size_t>(n), u'\0');
  if (n) {
    EXPECT_EQ(MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n), n);
  }
  return out;
}

std::string ToBytes(UINT cp, const std::u16string& text, DWORD flags = 0, BOOL* used = nullptr,
                    const char* dflt = nullptr) {
  int n = WideCharToMultiByte(cp, flags, text.data(), static_cast<int>(text.size()), nullptr, 0, dflt, used);
  std::string out(static_cast<size_t>(n), '\0');
  if (n) {
    EXPECT_EQ(WideCharToMultiByte(cp, flags, text.data(), static_cast<int>(text.size()), out.data(), n, dflt, used),
              n);
  }
  return out;
}

class CodePageTest : public zolt::test::MachineTest {};

// Where code page 932 differs from plain Shift_JIS, and the extension rows: bytes to UTF-16
// and back as the platform converts them.
TEST_F(CodePageTest, CodePage932IsTheWindowsTableNotShiftJis) {
  struct Row {
    std::string bytes;
    char16_t wide;
    std::string back;  // what the character converts back to
  };
  const std::vector<Row> rows = {
      {"\x5C", 0x005C, "\x5C"},          {"\x7E", 0x007E, "\x7E"},
      {"\x81\x5F", 0xFF3C, "\x81\x5F"},  {"\x81\x60", 0xFF5E, "\x81\x60"},
      {"\x81\x61", 0x2225, "\x81\x61"},  {"\x81\x7C", 0xFF0D, "\x81\x7C"},
      {"\x81\x91", 0xFFE0, "\x81\x91"},  {"\x81\x92", 0xFFE1, "\x81\x92"},
      {"\x81\xCA", 0xFFE2, "\x81\xCA"},  {"\x87\x40", 0x2460, "\x87\x40"},   // NEC row 13
      {"\x87\x90", 0x2252, "\x81\xE0"},  {"\x87\x54", 0x2160, "\x87\x54"},
      {"\xFA\x40", 0x2170, "\xFA\x40"},  {"\xFA\x4A", 0x2160, "\x87\x54"},   // IBM extensions
      {"\xFA\x54", 0xFFE2, "\x81\xCA"},  {"\xFA\x55", 0xFFE4, "\xFA\x55"},
      {"\xED\x40", 0x7E8A, "\xFA\x5C"},  {"\xEE\xEF", 0x2170, "\xFA\x40"},   // NEC-selected IBM
      {"\x80", 0x0080, "\x80"},          {"\xA0", 0xF8F0, "\xA0"},
      {"\xFD", 0xF8F1, "\xFD"},          {"\xFF", 0xF8F3, "\xFF"},
      {"\xF0\x40", 0xE000, "\xF0\x40"},  {"\xB1", 0xFF71, "\xB1"},           // user area, kana
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << static_cast<unsigned>(static_cast<unsigned char>(r.bytes[0])));
    EXPECT_EQ(ToWide(932, r.bytes, MB_ERR_INVALID_CHARS), std::u16string(1, r.wide));
    BOOL used = TRUE;
    EXPECT_EQ(ToBytes(932, std::u16string(1, r.wide), 0, &used), r.back);
    EXPECT_FALSE(used);
  }
}

TEST_F(CodePageTest, CodePage1252KeepsItsFiveUndefinedBytes) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  std::u16string wide = ToWide(1252, all, MB_ERR_INVALID_CHARS);
  ASSERT_EQ(wide.size(), 255u);
  for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(wide[b - 1], char16_t(b));
  EXPECT_EQ(wide[0x80 - 1], u'\u20AC');
  EXPECT_EQ(wide[0x9F - 1], u'\u0178');
  EXPECT_EQ(ToBytes(1252, wide), all);
}

TEST_F(CodePageTest, LengthFormsSizeQueriesAndShortBuffers) {
  // -1 converts the terminating NUL too and counts it.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, nullptr, 0), 4);
  WCHAR w[4];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, w, 4), 4);
  EXPECT_EQ(std::u16string(w), u"abc");
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, w, 3), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  char b[8];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00e9", -1, nullptr, 0, nullptr, nullptr), 3);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00e9", -1, b, 2, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  // Parameter errors.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 0, w, 4), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(MultiByteToWideChar(12345, 0, "abc", 3, w, 4), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "abc", 3, w, 4), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));
  BOOL used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, b, 8, nullptr, &used), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(CodePageTest, InvalidInputIsReplacedOrRejected) {
  // UTF-8: replacement character, or failure with MB_ERR_INVALID_CHARS.
  EXPECT_EQ(ToWide(CP_UTF8, "a\xFF" "b"), u"a\uFFFDb");
  WCHAR w[8];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, w, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
  // An undefined double-byte character of 932 becomes the katakana middle dot.
  EXPECT_EQ(ToWide(932, "\x85\x40"), u"\u30FB");
  EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, "\x85\x40", 2, w, 8), 0);
  // A lead byte cut off at the end of the input, or followed by a byte that cannot trail.
  EXPECT_EQ(ToWide(932, "a\x82"), u"a\u30FB");
  EXPECT_EQ(ToWide(932, "\x82 b"), u"\u30FB b");
  EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, "a\x82", 2, w, 8), 0);
  EXPECT_EQ(ToWide(CP_UTF8, "a\xE3\x81"), u"a\uFFFD");
  // An unpaired surrogate: U+FFFD in UTF-8, failure with WC_ERR_INVALID_CHARS.
  EXPECT_EQ(ToBytes(CP_UTF8, std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  char b[8];
  const char16_t lone[] = {0xD800};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 1, b, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
}

TEST_F(CodePageTest, DefaultCharacterAndItsFlag) {
  BOOL used = FALSE;
  EXPECT_EQ(ToBytes(1252, u"a\u3042b", 0, &used), "a?b");
  EXPECT_TRUE(used);
  EXPECT_EQ(ToBytes(1252, u"a\u3042b", 0, &used, "*"), "a*b");
  EXPECT_TRUE(used);
  EXPECT_EQ(ToBytes(1252, u"abc", 0, &used), "abc");
  EXPECT_FALSE(used);
  // Without best fit, a character that does not round-trip is the default character.
  EXPECT_EQ(ToBytes(932, u"\u00A5", WC_NO_BEST_FIT_CHARS, &used), "?");
  EXPECT_TRUE(used);
}

TEST_F(CodePageTest, AnsiCodePageFollowsTheMachine) {
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(GetOEMCP(), 437u);
  EXPECT_FALSE(IsDBCSLeadByte(0x81));
  MachineFacts f;
  f.ansiCodePage = 932;
  f.oemCodePage = 932;
  ASSERT_TRUE(zolt::host::Machine::SetFacts(f));
  EXPECT_EQ(GetACP(), 932u);
  EXPECT_TRUE(IsDBCSLeadByte(0x81));
  EXPECT_TRUE(IsDBCSLeadByteEx(CP_ACP, 0xFC));
  EXPECT_FALSE(IsDBCSLeadByteEx(CP_ACP, 0xA0));
  EXPECT_TRUE(IsDBCSLeadByteEx(936, 0xFE));
  EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0x81));
  EXPECT_EQ(ToWide(CP_ACP, "\x82\xA0"), u"\u3042");
  EXPECT_TRUE(IsValidCodePage(950));
  EXPECT_FALSE(IsValidCodePage(12345));
  CPINFO info;
  ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
  EXPECT_EQ(info.MaxCharSize, 2u);
  EXPECT_EQ(info.LeadByte[0], 0x81);
  EXPECT_EQ(info.LeadByte[3], 0xFC);
}

// The kernel's conversions count bytes, cut at a character and add no terminator.
TEST_F(CodePageTest, RtlConversionsCountBytesAndCutWholeCharacters) {
  MachineFacts f;
  f.ansiCodePage = 932;
  ASSERT_TRUE(zolt::host::Machine::SetFacts(f));
  WCHAR w[8] = {u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x'};
  ULONG got = 0;
  EXPECT_EQ(RtlMultiByteToUnicodeN(w, 4, &got, "a\x82\xA0z", 4), STATUS_SUCCESS);
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(std::u16string(w, 3), u"a\u3042x");
  char b[8];
  std::memset(b, 'x', sizeof b);
  EXPECT_EQ(RtlUnicodeToMultiByteN(b, 2, &got, u"a\u3042", 4), STATUS_SUCCESS);
  EXPECT_EQ(got, 1u);  // the double-byte character does not fit in the second byte
  EXPECT_EQ(std::string(b, 2), "ax");
  EXPECT_EQ(RtlUnicodeToMultiByteN(b, 8, &got, u"a\u3042", 4), STATUS_SUCCESS);
  EXPECT_EQ(std::string(b, got), "a\x82\xA0");
}

TEST_F(CodePageTest, CharsetTranslation) {
  // The code pages the option model translates, and the reverse direction.
  const std::pair<UINT, UINT> rows[] = {{1252, 0}, {932, 128}, {936, 134}, {949, 129}, {950, 136}, {1250, 238},
                                        {1251, 204}, {1253, 161}, {1254, 162}, {1255, 177}, {1256, 178},
                                        {1257, 186}, {874, 222}};
  for (auto [cp, charset] : rows) {
    CHARSETINFO csi{};
    ASSERT_TRUE(TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(cp)), &csi, TCI_SRCCODEPAGE)) << cp;
    EXPECT_EQ(csi.ciCharset, charset);
    CHARSETINFO back{};
    ASSERT_TRUE(TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(charset)), &back, TCI_SRCCHARSET));
    EXPECT_EQ(back.ciACP, cp);
    EXPECT_EQ(back.fs.fsCsb[0], csi.fs.fsCsb[0]);
  }
  CHARSETINFO csi{};
  EXPECT_FALSE(TranslateCharsetInfo(reinterpret_cast<DWORD*>(UINT_PTR{437}), &csi, TCI_SRCCODEPAGE));
}

}  // namespace
