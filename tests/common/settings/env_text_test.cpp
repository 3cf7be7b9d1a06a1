// Conversions between UTF-16 and the system's ANSI code page: lengths, cuts and terminators.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "env_text.h"
#include "machine_fixture.h"

namespace {

class EnvText : public zolt::test::MachineTest {};

TEST_F(EnvText, AnsiToWideConvertsWithTheTerminatorAndForcesTheLastCharacter) {
  WCHAR out[8];
  std::memset(out, 0x55, sizeof out);
  EXPECT_EQ(EnvAnsiToWide(out, "caf\xe9", 8), out);
  EXPECT_EQ(std::u16string(out), u"caf\u00e9");

  // A longer text is cut to length - 1 characters.
  EXPECT_EQ(std::u16string(EnvAnsiToWide(out, "ABCDEFGHIJ", 4)), u"ABC");
  // length <= 0: the text's own length + 1.
  EXPECT_EQ(std::u16string(EnvAnsiToWide(out, "xyz", 0)), u"xyz");
  EXPECT_EQ(EnvAnsiToWide(nullptr, "x", 4), nullptr);
  EXPECT_EQ(EnvAnsiToWide(out, nullptr, 4), nullptr);
}

TEST_F(EnvText, WideToAnsiZeroFillsAndAlwaysTerminates) {
  char out[6];
  std::memset(out, 'Q', sizeof out);
  EXPECT_EQ(EnvWideToAnsi(out, u"ab", 6), out);
  EXPECT_EQ(std::memcmp(out, "ab\0\0\0\0", 6), 0);
  EnvWideToAnsi(out, u"abcdefgh", 6);
  EXPECT_EQ(std::memcmp(out, "abcde\0", 6), 0);
  // Characters the code page cannot hold become '?'.
  EnvWideToAnsi(out, u"\u3042z", 6);
  EXPECT_EQ(std::string(out), "?z");
  EXPECT_EQ(EnvWideToAnsi(nullptr, u"x", 4), nullptr);
}

class EnvTextJapanese : public EnvText {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts facts;
    facts.ansiCodePage = 932;
    return facts;
  }
};

TEST_F(EnvTextJapanese, DoubleByteCharactersAreKeptWhole) {
  char out[6];
  EnvWideToAnsi(out, u"\u3042\u3044\u3046", 6);  // 6 bytes needed, 5 available before the NUL
  EXPECT_EQ(std::memcmp(out, "\x82\xa0\x82\xa2\0\0", 6), 0);
  WCHAR wide[8];
  EXPECT_EQ(std::u16string(EnvAnsiToWide(wide, "\x82\xa0\x82\xa2" "a", 8)), u"\u3042\u3044a");
  EXPECT_EQ(EnvWideToAnsiBytes(u"\u3042\u3044", out, 3), 2u);
  EXPECT_EQ(EnvAnsiBytesToWide("\x82\xa0" "bc", wide, 2), 2u);
  EXPECT_EQ(wide[0], u'\u3042');
  EXPECT_EQ(wide[1], u'b');
}

}  // namespace
