// Scenario codes and digits, condition expressions of preset files, and the stripping of
// client-side-rendering sections from settings text.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "csr_cleanup.h"
#include "scenario_install.h"
#include "scenario_package.h"

namespace {

using std::u16string;

TEST(ScenarioCode, StepsCarryAndBorrow) {
  const struct {
    const char16_t* before;
    const char16_t* after;
  } cases[] = {
      {u"000000", u"000001"}, {u"000009", u"00000A"}, {u"00000Z", u"000010"},
      {u"0000ZZ", u"000100"}, {u"ZZZZZZ", u"000000"}, {u"12AB9Z", u"12ABA0"},
  };
  for (const auto& c : cases) {
    u16string code = c.before;
    CfgNextScenarioCode(code.data());
    EXPECT_EQ(code, c.after) << "next of " << std::string(c.before, c.before + 6);
    CfgPrevScenarioCode(code.data());
    EXPECT_EQ(code, c.before);
  }
}

TEST(ScenarioCode, TakenFromTheLocalTime) {
  const struct {
    WORD year, month, day, hour, minute, second;
    const char16_t* code;
  } cases[] = {
      {1970, 1, 1, 0, 0, 0, u"000000"},
      {1970, 1, 1, 0, 0, 35, u"00000Z"},
      {1970, 1, 1, 0, 1, 0, u"00001O"},   // 60 seconds
      {1970, 2, 1, 0, 0, 0, u"01LEO0"},   // a month is 31 days: 2678400 seconds
      {2026, 12, 11, 2, 3, 4, u"U9NXP4"},
  };
  for (const auto& c : cases) {
    SYSTEMTIME time{};
    time.wYear = c.year;
    time.wMonth = c.month;
    time.wDay = c.day;
    time.wHour = c.hour;
    time.wMinute = c.minute;
    time.wSecond = c.second;
    WCHAR code[8] = {};
    CfgScenarioCodeOfTime(time, code);
    EXPECT_EQ(u16string(code), c.code) << c.year << "-" << c.month << "-" << c.day;
  }
  EXPECT_EQ(CfgScenarioDigit(9), u'9');
  EXPECT_EQ(CfgScenarioDigit(10), u'A');
  EXPECT_EQ(CfgScenarioDigit(35), u'Z');
}

TEST(ConditionExpression, LeftToRightWithShortCuts) {
  // Real value names of the shared table; which hold is the test's choice.
  const std::map<std::string, bool> holds = {
      {"ZDMTESMARIN_OFF", true}, {"ZDMTESMARIN_PASSTHROUGH", false}, {"ZDMTESMARIN_TESMARIN", true}};
  auto value = [&](const std::string& name) { return holds.at(name); };
  const struct {
    const char* text;
    int result;
  } cases[] = {
      {"ZDMTESMARIN_OFF", 1},
      {"!ZDMTESMARIN_OFF", 0},
      {"ZDMTESMARIN_PASSTHROUGH", 0},
      {" \tZDMTESMARIN_OFF\t ", 1},
      // first | second & third with first true: (first or second) and third.
      {"ZDMTESMARIN_OFF | ZDMTESMARIN_PASSTHROUGH & ZDMTESMARIN_TESMARIN", 1},
      {"ZDMTESMARIN_OFF | ZDMTESMARIN_TESMARIN & ZDMTESMARIN_PASSTHROUGH", 0},
      // A false operand before "&" ends the expression, whatever follows.
      {"ZDMTESMARIN_PASSTHROUGH & ZDMTESMARIN_OFF | ZDMTESMARIN_TESMARIN", 0},
      {"ZDMTESMARIN_PASSTHROUGH | ZDMTESMARIN_TESMARIN", 1},
      // "!" then a blank: an empty name ends the expression with what it had.
      {"! ZDMTESMARIN_PASSTHROUGH", 1},
      {"ZDMTESMARIN_PASSTHROUGH | ! ZDMTESMARIN_OFF", 0},
      // Unknown names are false, also under "!".
      {"NO_SUCH_VALUE", 0},
      {"!NO_SUCH_VALUE", 0},
      {"NO_SUCH_VALUE | ZDMTESMARIN_OFF", 1},
      {"", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(CfgEvalConditionExpression(c.text, value), c.result) << c.text;
}

TEST(CsrSections, MarkedSectionsGoAndEverythingElseStays) {
  const struct {
    const char* name;
    std::string in;
    std::string out;  // what stays; equal to in: nothing removed
  } cases[] = {
      {"marked section before an ordinary one", "[A]\r\nk=1\r\n[\\\\CSR|srv\\p]\r\nx=2\r\n[B]\r\ny=3\r\n",
       "[A]\r\nk=1\r\n[B]\r\ny=3\r\n"},
      {"no marker", "[A]\r\nk=1\r\n[\\\\csr|srv\\p]\r\n", "[A]\r\nk=1\r\n[\\\\csr|srv\\p]\r\n"},
      {"marked section at the end", "[A]\r\n[\\\\CSR|s\\p]\r\nz=9", "[A]\r\n"},
      {"marker after a '[' inside a line", "k=[\\\\CSR|x]\r\n[B]\r\n", "k=[B]\r\n"},
      // Code page 932: 0x83 0x5B is one character whose trail byte is '['.
      {"double-byte trail '[' inside a skip", "[\\\\CSR|s\\p]\r\nv=\x83[x\r\n[B]\r\n", "[B]\r\n"},
      {"double-byte trail '[' before a marker", "v=\x83[\\\\CSR|x\r\n", "v=\x83[\\\\CSR|x\r\n"},
      // Code page 1252: an accented letter keeps the byte after it, as the rule says.
      {"Western letters", "[Imprimante \xE9t\xE9]\r\nk=\xE0\r\n[\\\\CSR|s]\r\n", "[Imprimante \xE9t\xE9]\r\nk=\xE0\r\n"},
      {"a NUL ends the text", std::string("[A]\0[\\\\CSR|s]", 13), "[A]"},
  };
  for (const auto& c : cases) {
    std::string out;
    const bool changed = IniStripCsrText(c.in, out);
    EXPECT_EQ(out, c.out) << c.name;
    EXPECT_EQ(changed, c.out != c.in && c.name != std::string("a NUL ends the text")) << c.name;
  }
}

}  // namespace
