// The in-memory INI reader and the section text writer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ini_file.h"
#include "machine_fixture.h"

namespace {

using zolt::test::MachineTest;

std::u16string ReadMem(const WCHAR* key, const char* body, int32_t* cursor, const WCHAR* def = u"<none>",
                       WORD size = 64) {
  WCHAR out[256] = {};
  const WORD n = IniReadStringMem(key, def, out, size, body, cursor);
  EXPECT_EQ(n, std::char_traits<char16_t>::length(out));
  return out;
}

constexpr char kImage[] =
    "[Other]\r\n"
    "Copies=9\r\n"
    "Only=elsewhere\r\n"
    "[ZOLT Office 7000]\r\n"
    "Copies=2\r\n"
    "Duplex=1\r\n"
    "Spaced = 1\r\n"
    "Empty=\r\n"
    "Name=Quarterly report\r\n"
    "[Last]\r\n"
    "Copies=5\r\n";

class IniMemoryTest : public MachineTest {};

TEST_F(IniMemoryTest, FindsSectionsCaseInsensitivelyOnlyWithTheirClosingBracket) {
  const char* body = IniFindSection(u"zolt office 7000", kImage);
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(std::strncmp(body, "Copies=2\r\n", 10), 0);
  EXPECT_EQ(IniFindSection(u"ZOLT Office", kImage), nullptr);  // "]" must follow the name
  EXPECT_EQ(IniFindSection(u"Missing", kImage), nullptr);
  EXPECT_EQ(IniFindSection(nullptr, kImage), nullptr);
  EXPECT_EQ(IniFindSection(u"Other", nullptr), nullptr);
  // A "[" that does not begin a line is not a section header.
  EXPECT_EQ(IniFindSection(u"Inner", "Key=[Inner]\r\n"), nullptr);
  // The body of the last section of a file without a final line end is its end.
  const char* last = IniFindSection(u"Tail", "[Tail]");
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(*last, '\0');
}

TEST_F(IniMemoryTest, ReadsKeysWithTheCursorWrappingOnceInsideTheSection) {
  const char* body = IniFindSection(u"ZOLT Office 7000", kImage);
  ASSERT_NE(body, nullptr);
  const int32_t afterCopies = 10;  // "Copies=2\r\n"
  const int32_t afterDuplex = 20;
  const int32_t afterName = static_cast<int32_t>(std::strstr(body, "[Last]") - body);
  struct Case {
    const char16_t* key;
    int32_t cursorIn;
    const char16_t* value;
    int32_t cursorOut;
  } cases[] = {
      {u"Copies", 0, u"2", afterCopies},             // first line tried
      {u"Duplex", afterCopies, u"1", afterDuplex},   // keys in file order
      {u"copies", afterName, u"2", afterCopies},     // cursor at the end: wraps to the body
      {u"Copies", afterDuplex, u"2", afterCopies},   // found after the wrap
      {u"Name", afterDuplex, u"Quarterly report", afterName},
      {u"Only", afterDuplex, u"<none>", afterDuplex},  // a key of another section is never read
      {u"Spaced", 0, u"<none>", 0},                  // "Spaced = 1" is not the key "Spaced"
      {u"Empty", 0, u"", static_cast<int32_t>(std::strstr(body, "Name=") - body)},
      {u"Missing", afterDuplex, u"<none>", afterDuplex},  // back at the start: the cursor stays
      {u"Missing", afterName, u"<none>", 0},              // at the section end: the cursor resets
  };
  for (const Case& c : cases) {
    int32_t cursor = c.cursorIn;
    EXPECT_EQ(ReadMem(c.key, body, &cursor), c.value) << std::string(c.key, c.key + 6);
    EXPECT_EQ(cursor, c.cursorOut) << std::string(c.key, c.key + 6);
  }
}

TEST_F(IniMemoryTest, MissingImageCursorOrKeyGivesTheDefaultCutToTheBuffer) {
  int32_t cursor = 7;
  EXPECT_EQ(ReadMem(u"Copies", nullptr, &cursor, u"default"), u"default");
  EXPECT_EQ(cursor, 0);
  EXPECT_EQ(ReadMem(u"Copies", kImage, nullptr, u"default"), u"default");
  EXPECT_EQ(ReadMem(u"Copies", nullptr, &cursor, u"default", 4), u"def");
  EXPECT_EQ(ReadMem(u"Copies", nullptr, &cursor, nullptr), u"");
  WCHAR untouched[2] = {u'x', u'y'};
  EXPECT_EQ(IniReadStringMem(u"Copies", u"d", untouched, 0, nullptr, &cursor), 0);
  EXPECT_EQ(untouched[0], u'x');
}

TEST_F(IniMemoryTest, ValuesAreCutToTheBufferAndLoneLineFeedsEndLines) {
  const char image[] = "[S]\nA=abcdef\nB=last";
  const char* body = IniFindSection(u"S", image);
  ASSERT_NE(body, nullptr);
  int32_t cursor = 0;
  EXPECT_EQ(ReadMem(u"A", body, &cursor, u"", 4), u"abc");
  EXPECT_EQ(cursor, 9);
  EXPECT_EQ(ReadMem(u"B", body, &cursor), u"last");
  EXPECT_EQ(cursor, static_cast<int32_t>(std::strlen(body)));
  // The cursor at the very end of the image still finds earlier keys.
  EXPECT_EQ(ReadMem(u"A", body, &cursor), u"abcdef");
}

TEST_F(IniMemoryTest, NumbersOfEmptyOrMissingValuesAreTheDefault) {
  const char image[] = "[S]\r\nN=42\r\nNeg=-7x\r\nE=\r\nT=abc\r\n";
  const char* body = IniFindSection(u"S", image);
  int32_t cursor = 0;
  EXPECT_EQ(IniReadIntMem(u"N", 5, body, &cursor), 42);
  EXPECT_EQ(IniReadIntMem(u"Neg", 5, body, &cursor), -7);
  EXPECT_EQ(IniReadIntMem(u"E", 5, body, &cursor), 5);
  EXPECT_EQ(IniReadIntMem(u"T", 5, body, &cursor), 0);  // a text is read as a number
  EXPECT_EQ(IniReadIntMem(u"Missing", 5, body, &cursor), 5);
}

class IniMemoryJapaneseTest : public MachineTest {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts facts;
    facts.ansiCodePage = 932;
    facts.userLocale = 0x0411;
    return facts;
  }
};

TEST_F(IniMemoryJapaneseTest, DoubleByteTextIsReadWholeAndTrailBytesCompareExactly) {
  // "表" is 0x95 0x5C in code page 932, "ア" 0x83 0x41: its trail byte looks like 'A'.
  const char image[] = "[\x83\x61]\r\nK=other\r\n[\x83\x41]\r\nK=\x95\x5C\x95\x5C\r\n";
  const char* body = IniFindSection(u"\u30A2", image);
  ASSERT_NE(body, nullptr);
  int32_t cursor = 0;
  EXPECT_EQ(ReadMem(u"K", body, &cursor), u"\u8868\u8868");
  // Three bytes of room: only the first whole character fits.
  cursor = 0;
  EXPECT_EQ(ReadMem(u"K", body, &cursor, u"", 4), u"\u8868");
}

TEST_F(IniMemoryTest, LoadsOnlyAbsolutePathsAndCreatesMissingFiles) {
  EXPECT_EQ(IniLoadFile(u"relative.ini", 0), nullptr);
  EXPECT_EQ(IniLoadFile(u"", 0), nullptr);
  EXPECT_EQ(IniLoadFile(nullptr, 0), nullptr);

  char* image = IniLoadFile(u"C:\\Windows\\created.ini", 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image[0], '\0');
  IniFreeFile(image);
  EXPECT_TRUE(std::filesystem::exists(Real(u"C:\\Windows\\created.ini")));

  zolt::test::WriteBytes(Real(u"C:\\Windows\\small.ini"), "[S]\r\nA=1\r\n");
  EXPECT_EQ(IniLoadFile(u"C:\\Windows\\SMALL.INI", 1), nullptr);  // small files are left to the profile calls
  image = IniLoadFile(u"C:\\Windows\\SMALL.INI", 0);
  ASSERT_NE(image, nullptr);
  EXPECT_STREQ(image, "[S]\r\nA=1\r\n");
  IniFreeFile(image);

  std::string large = "[S]\r\n";
  while (large.size() <= 65535) large += "Key=Value\r\n";
  zolt::test::WriteBytes(Real(u"C:\\Windows\\large.ini"), large);
  image = IniLoadFile(u"C:\\Windows\\large.ini", 1);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(std::strlen(image), large.size());
  IniFreeFile(image);
}

TEST_F(IniMemoryTest, SectionTextGrowsInsteadOfOverflowing) {
  IniSectionText text;
  ASSERT_EQ(IniSectionTextInit(&text, 16), 1);
  int32_t cursor = 0;
  EXPECT_EQ(IniAppendKeyMem(&cursor, u"Copies", u"2", &text), 1);
  EXPECT_EQ(IniAppendKeyMem(&cursor, u"", u"ignored", &text), 1);  // an empty key writes nothing
  EXPECT_EQ(IniAppendKeyMem(&cursor, u"Empty", u"", &text), 1);
  EXPECT_EQ(IniAppendKeyMem(&cursor, u"Name", u"\u00C9t\u00E9", &text), 1);  // ANSI text
  EXPECT_STREQ(text.data, "Copies=2\r\nEmpty=\r\nName=\xC9t\xE9\r\n");
  EXPECT_EQ(cursor, static_cast<int32_t>(std::strlen(text.data)));

  // Far more than the 32,768 bytes a fixed section buffer would hold: nothing is lost.
  std::u16string value(200, u'v');
  for (int i = 0; i < 400; ++i) {
    const std::u16string key = u"Key" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                               std::u16string(1, static_cast<char16_t>(u'a' + i / 26));
    ASSERT_EQ(IniAppendKeyMem(&cursor, key.c_str(), value.c_str(), &text), 1);
  }
  EXPECT_GT(cursor, 32768);
  EXPECT_EQ(cursor, static_cast<int32_t>(std::strlen(text.data)));
  EXPECT_LE(cursor, text.capacity - 1);

  // The text reads back through the in-memory reader.
  const std::string image = "[S]\r\n" + std::string(text.data);
  const char* body = IniFindSection(u"S", image.c_str());
  int32_t readCursor = 0;
  EXPECT_EQ(ReadMem(u"Copies", body, &readCursor), u"2");
  EXPECT_EQ(ReadMem(u"KeyZo", body, &readCursor, u"", 256), value);

  EXPECT_EQ(IniAppendKeyMem(nullptr, u"K", u"V", &text), 0);
  EXPECT_EQ(IniAppendKeyMem(&cursor, nullptr, u"V", &text), 0);
  EXPECT_EQ(IniAppendKeyMem(&cursor, u"K", nullptr, &text), 0);
  EXPECT_EQ(IniAppendKeyMem(&cursor, u"K", u"V", nullptr), 0);
  int32_t outside = text.capacity;
  EXPECT_EQ(IniAppendKeyMem(&outside, u"K", u"V", &text), 0);
  IniSectionTextFree(&text);
  EXPECT_EQ(text.data, nullptr);
}

}  // namespace
