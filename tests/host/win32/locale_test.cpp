#include <gtest/gtest.h>

#include <string>

#include "machine_fixture.h"
#include "win32/windows.h"

namespace {

std::u16string Info(LCID lcid, LCTYPE type) {
  WCHAR buf[128];
  int n = GetLocaleInfoW(lcid, type, buf, 128);
  return n > 0 ? std::u16string(buf, static_cast<size_t>(n - 1)) : u"<fail>";
}

class LocaleTest : public zolt::test::MachineTest {};

TEST_F(LocaleTest, FieldsOfTheSupportedLanguages) {
  struct Row {
    LCID lcid;
    const char16_t* country;
    const char16_t* acp;
    const char16_t* iso639;
    const char16_t* iso3166;
    const char16_t* measure;
  };
  const Row rows[] = {
      {0x0409, u"1", u"1252", u"en", u"US", u"1"},   {0x0809, u"44", u"1252", u"en", u"GB", u"0"},
      {0x0411, u"81", u"932", u"ja", u"JP", u"0"},   {0x0407, u"49", u"1252", u"de", u"DE", u"0"},
      {0x040C, u"33", u"1252", u"fr", u"FR", u"0"},  {0x0410, u"39", u"1252", u"it", u"IT", u"0"},
      {0x0C0A, u"34", u"1252", u"es", u"ES", u"0"},  {0x0804, u"86", u"936", u"zh", u"CN", u"0"},
      {0x0404, u"886", u"950", u"zh", u"TW", u"0"},  {0x0412, u"82", u"949", u"ko", u"KR", u"0"},
      {0x0413, u"31", u"1252", u"nl", u"NL", u"0"},  {0x0416, u"55", u"1252", u"pt", u"BR", u"0"},
      {0x0419, u"7", u"1251", u"ru", u"RU", u"0"},   {0x0415, u"48", u"1250", u"pl", u"PL", u"0"},
      {0x0405, u"420", u"1250", u"cs", u"CZ", u"0"}, {0x040E, u"36", u"1250", u"hu", u"HU", u"0"},
      {0x041D, u"46", u"1252", u"sv", u"SE", u"0"},  {0x0406, u"45", u"1252", u"da", u"DK", u"0"},
      {0x040B, u"358", u"1252", u"fi", u"FI", u"0"}, {0x0414, u"47", u"1252", u"nb", u"NO", u"0"},
      {0x041F, u"90", u"1254", u"tr", u"TR", u"0"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.lcid);
    EXPECT_EQ(Info(r.lcid, LOCALE_ICOUNTRY), r.country);
    EXPECT_EQ(Info(r.lcid, LOCALE_IDEFAULTANSICODEPAGE), r.acp);
    EXPECT_EQ(Info(r.lcid, LOCALE_SISO639LANGNAME), r.iso639);
    EXPECT_EQ(Info(r.lcid, LOCALE_SISO3166CTRYNAME), r.iso3166);
    EXPECT_EQ(Info(r.lcid, LOCALE_IMEASURE), r.measure);
    EXPECT_NE(Info(r.lcid, LOCALE_SENGLANGUAGE), u"<fail>");
  }
  EXPECT_EQ(Info(0x0411, LOCALE_SENGLANGUAGE), u"Japanese");
  EXPECT_EQ(Info(0x0409, LOCALE_SLANGUAGE), u"English (United States)");
  EXPECT_EQ(Info(0x0407, LOCALE_ILANGUAGE), u"0407");
}

TEST_F(LocaleTest, SizeQueryShortBufferNumbersAndErrors) {
  EXPECT_EQ(GetLocaleInfoW(0x0411, LOCALE_ICOUNTRY, nullptr, 0), 3);
  WCHAR buf[8];
  SetLastError(0);
  EXPECT_EQ(GetLocaleInfoW(0x0411, LOCALE_ICOUNTRY, buf, 2), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  DWORD number = 0;
  EXPECT_EQ(GetLocaleInfoW(0x0411, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                           reinterpret_cast<LPWSTR>(&number), sizeof number / sizeof(WCHAR)),
            2);
  EXPECT_EQ(number, 932u);
  EXPECT_EQ(GetLocaleInfoW(0x7777, LOCALE_ICOUNTRY, buf, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(GetLocaleInfoW(0x0409, 0x7FFF, buf, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));
  char a[16];
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO3166CTRYNAME, a, 16), 3);
  EXPECT_STREQ(a, "US");
}

class JapaneseLocaleTest : public zolt::test::MachineTest {
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts f;
    f.ansiCodePage = 932;
    f.userLocale = 0x0411;
    return f;
  }
};

TEST_F(JapaneseLocaleTest, DefaultsFollowTheMachine) {
  EXPECT_EQ(GetUserDefaultLCID(), 0x0411u);
  EXPECT_EQ(GetUserDefaultLangID(), 0x0411);
  EXPECT_EQ(GetSystemDefaultLCID(), 0x0411u);
  EXPECT_EQ(GetThreadLocale(), 0x0411u);
  EXPECT_EQ(Info(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY), u"81");
  EXPECT_EQ(Info(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE), u"932");
  EXPECT_TRUE(SetThreadLocale(0x0409));
  EXPECT_EQ(GetThreadLocale(), 0x0409u);
  // The native name in ANSI is in the locale's code page.
  char a[16];
  ASSERT_EQ(GetLocaleInfoA(0x0411, LOCALE_SNATIVELANGNAME, a, 16), 7);
  EXPECT_STREQ(a, "\x93\xFA\x96\x7B\x8C\xEA");
}

}  // namespace
