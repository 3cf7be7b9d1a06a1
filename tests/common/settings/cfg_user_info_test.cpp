// Functions granted through the driver-defaults file: the user-information file and the
// section it selects, and the printer-information functions of the model.
#include <gtest/gtest.h>

#include <string>

#include "env_language.h"
#include "feature_modules.h"
#include "lock_data_fixture.h"

namespace {

using zolt::test::LockDataTest;

constexpr uint16_t kOptSpecial12 = 1214;  // the one function whose build feature is on

class UserInfo : public LockDataTest {
 protected:
  void SetAllSpecials(int32_t value) {
    for (uint16_t id = kOptUserSpecialFirst; id < kOptUserSpecialFirst + 16; ++id) Set(id, value);
  }
  void ExpectOnly12(int32_t value) {
    for (uint16_t id = kOptUserSpecialFirst; id < kOptUserSpecialFirst + 16; ++id)
      EXPECT_EQ(Get(id), id == kOptSpecial12 ? value : 0) << id;
  }
  static std::string Ansi(const std::u16string& text) { return std::string(text.begin(), text.end()); }
  // A user-information file whose every section grants Function1-16 as 100 + n, except that
  // the section `granted` grants Function12 as 12.
  void WriteUserInfo(const std::string& kind, const std::u16string& granted) {
    std::string text = "[Common]\r\nSectionName=" + kind + "\r\n";
    for (const std::u16string& section : {std::u16string(u"user"), std::u16string(kDriverName),
                                          std::u16string(PrnGetName(ctx)), std::u16string(u"other")}) {
      text += "[" + Ansi(section) + "]\r\n";
      for (int n = 1; n <= 16; ++n)
        text += "Function" + std::to_string(n) + "=" + std::to_string(section == granted && n == 12 ? 12 : 100 + n) + "\r\n";
    }
    zolt::test::WriteBytes(Real(u"C:\\Windows\\zoltusers.ini"), text);
  }
};

TEST_F(UserInfo, TheSectionKindChoosesUserDriverOrPrinterAndOnlyTheBuiltFunctionIsRead) {
  ASSERT_EQ(OptHasBuildFeature(11), 1);
  ASSERT_EQ(OptHasBuildFeature(0), 0);
  WriteDriverDefaults(PrinterSection() + "UserInfomationFile=%SYSTEMROOT%\\zoltusers.ini\r\n");
  const struct {
    const char* kind;
    std::u16string section;
  } cases[] = {
      {"User", u"user"},  // the machine's user
      {"user", u"user"},
      {"DRIVER", kDriverName},
      {"Printer", PrnGetName(ctx)},
  };
  for (const auto& c : cases) {
    WriteUserInfo(c.kind, c.section);
    SetAllSpecials(55);
    EXPECT_EQ(CfgLoadUserInfoFunctions(ctx), 1) << c.kind;
    ExpectOnly12(12);
  }
}

TEST_F(UserInfo, AnyMissingPieceGrantsNothing) {
  const struct {
    const char* what;
    std::string defaults;
    std::string kind;
  } cases[] = {
      {"no file named", PrinterSection(), "User"},
      {"a relative file name", PrinterSection() + "UserInfomationFile=zoltusers.ini\r\n", "User"},
      {"another printer's file", "[Other]\r\nUserInfomationFile=C:\\Windows\\zoltusers.ini\r\n", "User"},
      {"no section kind", PrinterSection() + "UserInfomationFile=C:\\Windows\\zoltusers.ini\r\n", ""},
      {"an unknown section kind", PrinterSection() + "UserInfomationFile=C:\\Windows\\zoltusers.ini\r\n", "Group"},
      {"a missing file", PrinterSection() + "UserInfomationFile=C:\\Windows\\missing.ini\r\n", "User"},
  };
  for (const auto& c : cases) {
    WriteDriverDefaults(c.defaults);
    WriteUserInfo(c.kind, u"user");
    SetAllSpecials(55);
    EXPECT_EQ(CfgLoadUserInfoFunctions(ctx), 0) << c.what;
    ExpectOnly12(0);
  }
}

TEST_F(UserInfo, PrinterInformationFunctionsFollowTheLanguagesMask) {
  const std::u16string language = CfgCopyLanguageCode(ctx);
  ASSERT_FALSE(language.empty());
  std::string text = "[" + Ansi(language) + "]\r\nPrnInfoFuncSupport=5\r\n[" + Ansi(kDriverName) + "]\r\n";
  for (int b = 0; b < 8; ++b) text += "PrnInfoFunc" + std::to_string(b) + "=" + std::to_string(0x10000 + 10 + b) + "\r\n";
  WriteDriverDefaults(text);
  for (uint16_t id = kOptPrnInfoFuncFirst; id < kOptPrnInfoSupportFirst + 8; ++id) Set(id, 1);

  ASSERT_EQ(CfgLoadPrnInfoFunctions(ctx), 1);
  for (int b = 0; b < 8; ++b) {
    const bool on = b == 0 || b == 2;
    EXPECT_EQ(Get(static_cast<uint16_t>(kOptPrnInfoSupportFirst + b)), on ? 1 : 0) << b;
    EXPECT_EQ(Get(static_cast<uint16_t>(kOptPrnInfoFuncFirst + b)), on ? 10 + b : 0) << "16-bit values, bit " << b;
  }

  // Without a mask for the language nothing is supported.
  WriteDriverDefaults("[" + Ansi(kDriverName) + "]\r\nPrnInfoFunc0=3\r\n");
  ASSERT_EQ(CfgLoadPrnInfoFunctions(ctx), 1);
  EXPECT_EQ(Get(kOptPrnInfoSupportFirst), 0);
  EXPECT_EQ(Get(kOptPrnInfoFuncFirst), 0);
}

}  // namespace
