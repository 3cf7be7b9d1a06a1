// The "@PJL SET" command engine and the Exc exports, against the sample printer (standard
// vocabulary) and a test model of the 2100 Mono whose rules move lines (alternative vocabulary).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "api_fixture.h"
#include "exc_handle.h"
#include "option_access.h"
#include "pjl_engine.h"

namespace {

using zolt::test::ApiTest;
using zolt::test::kApiPrinter;

constexpr char kBase[] =
    "@PJL SET APLPAGESIZE = A4 \r\n"
    "@PJL SET APLPAGELAYOUT = PORTRAIT \r\n"
    "@PJL SET PAPER = SAME \r\n"
    "@PJL SET TRAY = TRAY1 \r\n"
    "@PJL SET DUPLEX = OFF \r\n"
    "@PJL SET NUP = OFF \r\n";

std::string Items(const std::vector<char>& buffer, int32_t length) {
  std::string out;
  for (int32_t i = 0; i < length; ++i) out += buffer[static_cast<size_t>(i)] ? buffer[static_cast<size_t>(i)] : '|';
  return out;
}

class PjlTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    handle_ = ExcGetExclusive(kApiPrinter);
    ASSERT_NE(handle_, nullptr);
  }
  void TearDown() override {
    ExcFreeExclusive(handle_);
    ApiTest::TearDown();
  }
  std::string Change() {
    int32_t length = 0;
    ExcGetCommandChange(handle_, 0, nullptr, &length);
    if (!length) return {};
    std::string text(static_cast<size_t>(length), '\0');
    EXPECT_EQ(ExcGetCommandChange(handle_, length, text.data(), &length), 0);
    text.pop_back();
    return text;
  }
  std::string Base() {
    int32_t length = 0;
    ExcGetCommandBase(handle_, 0, nullptr, &length);
    if (!length) return {};
    std::string text(static_cast<size_t>(length), '\0');
    EXPECT_EQ(ExcGetCommandBase(handle_, length, text.data(), &length), 0);
    text.pop_back();
    return text;
  }
  // The values of a command as "A|B|C||".
  std::string Values(const char* name, int onlyAllowed) {
    int32_t length = 0;
    const int first = ExcGetCommandValue(handle_, name, onlyAllowed, 0, nullptr, &length);
    if (length == 0) {
      EXPECT_EQ(first, 0);
      return {};
    }
    EXPECT_EQ(first, 1);
    std::vector<char> buffer(static_cast<size_t>(length));
    EXPECT_EQ(ExcGetCommandValue(handle_, name, onlyAllowed, length, buffer.data(), &length), 0);
    return Items(buffer, length);
  }
  ExclusiveHandle* handle_ = nullptr;
};

// The test model whose rules move lines.
class PjlRuleTest : public PjlTest {
 protected:
  std::filesystem::path ModelFile() const override {
    return std::filesystem::path(ZOLT_SOURCE_DIR) / "tests" / "exclude" / "data" / "ZOLTPJL.QCS";
  }
};

TEST(PjlGrammar, LinesAsTheGrammarReadsThem) {
  const std::string longName(264, 'N');
  const std::string longestName(263, 'N');
  struct Case {
    std::string text;
    int result;  // bytes used, 0 end, -1 malformed
    const char* name;
    const char* value;
  } cases[] = {
      {"@PJL SET TRAY = TRAY1 \r\n", 24, "TRAY", "TRAY1"},
      {"  \t@PJL\tSET  TRAY\t=\tTRAY1\r\nrest", 27, "TRAY", "TRAY1"},
      {"@PJLSET TRAY = TRAY1\r\n", 22, "TRAY", "TRAY1"},
      {"@PJL SETTRAY = TRAY1\r\n", 22, "TRAY", "TRAY1"},
      {"", 0, "", ""},
      {" \t ", 0, "", ""},
      {"@PJL SET TRAY=TRAY1 \r\n", -1, "", ""},        // NAME glued to "="
      {"@PJL SET TRAY =TRAY1 \r\n", 23, "TRAY", "TRAY1"},
      {"@PJL SET TRAY = TRAY1 \n", -1, "", ""},        // LF alone
      {"@PJL SET TRAY = TRAY1 \r", -1, "", ""},
      {"@PJL SET TRAY = TRAY1", -1, "", ""},           // no final line end
      {"@pjl SET TRAY = TRAY1 \r\n", -1, "", ""},
      {"@PJL set TRAY = TRAY1 \r\n", -1, "", ""},
      {"@PJL SET TRAY = TRAY 1 \r\n", -1, "", ""},     // a value cannot hold blanks
      {"@PJL SET TRAY = \r\n", 18, "TRAY", ""},
      {"@PJL SET = X \r\n", -1, "", ""},
      {"@PJL SET TRAY = T\x1bR \r\n", -1, "", ""},     // control bytes never pass
      {"@PJL SET TR\x01Y = T \r\n", -1, "", ""},
      {"@PJL SET " + longestName + " = V \r\n", 279, longestName.c_str(), "V"},
      {"@PJL SET " + longName + " = V \r\n", -1, "", ""},
      {"@PJL SET N = " + longName + " \r\n", -1, "", ""},
  };
  for (const Case& c : cases) {
    char name[kPjlTokenBytes] = "x";
    char value[kPjlTokenBytes] = "x";
    const int result = ParseCommandLine(c.text.c_str(), name, value);
    EXPECT_EQ(result, c.result) << c.text;
    if (result > 0) {
      EXPECT_STREQ(name, c.name) << c.text;
      EXPECT_STREQ(value, c.value) << c.text;
    }
  }
}

TEST_F(PjlTest, BaseTextResultsAndTheMergedBase) {
  struct Case {
    const char* text;
    int result;
    const char* base;  // after the call
  } cases[] = {
      {kBase, 0, kBase},
      // Unknown names and keywords are ignored and dropped from the base.
      {"@PJL SET APLPAGESIZE = A4 \r\n@PJL SET APLPAGELAYOUT = LANDSCAPE \r\n@PJL SET PAPER = A4 \r\n"
       "@PJL SET TRAY = ALL \r\n@PJL SET FOO = BAR \r\n@PJL SET NUP = 3IN1 \r\n",
       0, "@PJL SET APLPAGESIZE = A4 \r\n@PJL SET APLPAGELAYOUT = LANDSCAPE \r\n@PJL SET PAPER = A4 \r\n@PJL SET TRAY = ALL \r\n"},
      // A required command missing: -2 and no base.
      {"@PJL SET APLPAGESIZE = A4 \r\n@PJL SET PAPER = A4 \r\n@PJL SET TRAY = ALL \r\n", -2, ""},
      {"", -2, ""},
      {nullptr, -2, ""},
      // A malformed line anywhere: -1.
      {"@PJL SET APLPAGESIZE = A4 \r\n@PJL SET APLPAGELAYOUT=PORTRAIT \r\n", -1, ""},
      {"@PJL SET APLPAGESIZE = A4 \r\nGARBAGE\r\n", -1, ""},
  };
  for (const Case& c : cases) {
    int32_t length = -7;
    EXPECT_EQ(ExcSetCommandBase(handle_, c.text, &length), c.result) << (c.text ? c.text : "(null)");
    EXPECT_EQ(length, 0);
    EXPECT_EQ(Base(), c.base) << (c.text ? c.text : "(null)");
  }
  EXPECT_EQ(ExcSetCommandBase(nullptr, kBase, nullptr), -1);
}

TEST_F(PjlTest, UpdatesTakenAsGivenIgnoredOrRefused) {
  ASSERT_EQ(ExcSetCommandBase(handle_, kBase, nullptr), 0);
  int32_t length = -1;
  // Taken as given: no change text, the base follows.
  EXPECT_EQ(ExcUpdateCommand(handle_, "@PJL SET APLPAGELAYOUT = LANDSCAPE \r\n", &length), 0);
  EXPECT_EQ(length, 0);
  EXPECT_NE(Base().find("@PJL SET APLPAGELAYOUT = LANDSCAPE \r\n"), std::string::npos);
  EXPECT_EQ(OptGetValue(handle_->context, 7, nullptr), 2);
  // Unknown keyword, unknown command, a command the base did not set, a printer value: nothing.
  const std::string before = Base();
  for (const char* line : {"@PJL SET TRAY = TRAY9 \r\n", "@PJL SET FOO = BAR \r\n", "@PJL SET OUTBIN = INNER \r\n",
                           "@PJL SET TRAYPAPER1 = A4 \r\n", ""}) {
    EXPECT_EQ(ExcUpdateCommand(handle_, line, &length), 0) << line;
    EXPECT_EQ(length, 0) << line;
    EXPECT_EQ(Base(), before) << line;
  }
  EXPECT_EQ(ExcUpdateCommand(handle_, "@PJL SET TRAY=TRAY2\r\n", &length), -1);
  EXPECT_EQ(ExcUpdateCommand(handle_, nullptr, &length), 0);
  EXPECT_EQ(ExcUpdateCommand(nullptr, "@PJL SET TRAY = TRAY2 \r\n", &length), -1);
}

TEST_F(PjlTest, NupOffTouchesOnlyItsSwitch) {
  ASSERT_EQ(ExcSetCommandBase(handle_, kBase, nullptr), 0);
  EXPECT_EQ(OptGetValue(handle_->context, 56, nullptr), 0);
  EXPECT_EQ(ExcUpdateCommand(handle_, "@PJL SET NUP = 4IN1P2 \r\n", nullptr), 0);
  EXPECT_EQ(OptGetValue(handle_->context, 92, nullptr), 37);
  EXPECT_EQ(OptGetValue(handle_->context, 91, nullptr), 2);
  EXPECT_EQ(OptGetValue(handle_->context, 56, nullptr), 1);
  EXPECT_EQ(ExcUpdateCommand(handle_, "@PJL SET NUP = OFF \r\n", nullptr), 0);
  EXPECT_EQ(OptGetValue(handle_->context, 56, nullptr), 0);
  EXPECT_EQ(OptGetValue(handle_->context, 92, nullptr), 37);  // the layout is kept
  EXPECT_NE(Base().find("@PJL SET NUP = OFF \r\n"), std::string::npos);
}

TEST_F(PjlTest, BookletMovesTheBindingIntoItsGroup) {
  const std::string base = std::string(kBase) + "@PJL SET BINDING = LEFT \r\n@PJL SET BOOKLET = BOOKLETC \r\n";
  ASSERT_GE(ExcSetCommandBase(handle_, base.c_str(), nullptr), 0);
  EXPECT_EQ(HandleValue(handle_, 747), 1);
  EXPECT_EQ(HandleValue(handle_, 94), 19);
  EXPECT_EQ(OptGetValue(handle_->context, 94, nullptr), 19);
  EXPECT_NE(Base().find("@PJL SET BINDING = LEFT \r\n"), std::string::npos);
  EXPECT_NE(Base().find("@PJL SET BOOKLET = BOOKLETC \r\n"), std::string::npos);
  // Another side in the same group; then the other booklet group.
  EXPECT_EQ(ExcUpdateCommand(handle_, "@PJL SET BINDING = TOP \r\n", nullptr), 0);
  EXPECT_EQ(OptGetValue(handle_->context, 94, nullptr), 17);
  EXPECT_EQ(ExcUpdateCommand(handle_, "@PJL SET BOOKLET = BOOKLETF \r\n", nullptr), 0);
  EXPECT_EQ(OptGetValue(handle_->context, 94, nullptr), 20);
  EXPECT_NE(Base().find("@PJL SET BINDING = TOP \r\n"), std::string::npos);
}

TEST_F(PjlTest, ChangeTextIsHandedOverOnce) {
  ASSERT_EQ(ExcSetCommandBase(handle_, kBase, nullptr), 0);
  handle_->changeText = static_cast<char*>(CtxAllocMem(6));
  std::memcpy(handle_->changeText, "ABCDE", 6);
  handle_->changeLength = 6;
  char small[4] = {};
  int32_t length = 0;
  EXPECT_EQ(ExcGetCommandChange(handle_, sizeof small, small, &length), 1);
  EXPECT_EQ(length, 6);
  char whole[6] = {};
  EXPECT_EQ(ExcGetCommandChange(handle_, sizeof whole, whole, &length), 0);
  EXPECT_STREQ(whole, "ABCDE");
  EXPECT_EQ(ExcGetCommandChange(handle_, sizeof whole, whole, &length), 0);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(ExcGetCommandChange(nullptr, 0, nullptr, &length), -1);
}

TEST_F(PjlTest, ValuesOfCommandsAndPrinterOptions) {
  // Without a base only the plain list; only-allowed needs the command in the base.
  EXPECT_EQ(Values("TRAY", 0), "ALL|TRAY1|TRAY2|MULTI||");  // TRAY3 needs the one-step unit
  EXPECT_EQ(Values("TRAY", 1), "");
  EXPECT_EQ(Values("BINDING", 0), "LEFT|RIGHT|TOP||");
  EXPECT_EQ(Values("TRAYPAPER1", 0), "");  // a printer value, not a job command
  EXPECT_EQ(Values("NOSUCH", 0), "");
  ASSERT_EQ(ExcSetCommandBase(handle_, kBase, nullptr), 0);
  EXPECT_EQ(Values("TRAY", 1), "ALL|TRAY1|TRAY2|MULTI||");
  EXPECT_EQ(Values("DUPLEX", 1), "OFF||");  // no duplex unit reported by the device
  EXPECT_EQ(Values("PAPER", 1).find("CUSTOM|CUSTOM"), std::string::npos);
  // Trials leave the handle and the driver as they were.
  EXPECT_EQ(Base(), kBase);
  EXPECT_EQ(OptGetValue(handle_->context, 13, nullptr), 1);

  int32_t length = 0;
  std::vector<char> buffer(256);
  EXPECT_EQ(ExcGetPrinterOption(handle_, "DUPLEX", 256, buffer.data(), &length), 0);
  EXPECT_EQ(Items(buffer, length), "OFF||");
  EXPECT_EQ(ExcGetPrinterOption(handle_, "OUTBIN", 256, buffer.data(), &length), 0);
  EXPECT_EQ(Items(buffer, length), "INNER||");
  EXPECT_EQ(ExcGetPrinterOption(handle_, "APLPAGESIZE", 256, buffer.data(), &length), 0);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(ExcGetPrinterValue(handle_, "TRAYPAPERORIENT1", 0, nullptr, &length), 1);
  ASSERT_GT(length, 0);
  EXPECT_EQ(ExcGetPrinterValue(handle_, "TRAYPAPERORIENT1", length, buffer.data(), &length), 0);
  EXPECT_TRUE(std::string(buffer.data()) == "PORTRAIT" || std::string(buffer.data()) == "LANDSCAPE") << buffer.data();
  EXPECT_EQ(ExcGetPrinterValue(handle_, "TRAY", 256, buffer.data(), &length), 0);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(ExcGetPrinterValue(nullptr, "TRAY", 256, buffer.data(), &length), -1);
}

TEST_F(PjlTest, WatermarkLinesParseAndEndEachWatermark) {
  for (int kind : {0, 1}) {
    int32_t length = 0;
    const int first = ExcGetWaterMarkList(handle_, kind, 0, nullptr, &length);
    if (length == 0) {
      EXPECT_EQ(first, 0);
      continue;
    }
    EXPECT_EQ(first, 1);
    std::vector<char> buffer(static_cast<size_t>(length));
    ASSERT_EQ(ExcGetWaterMarkList(handle_, kind, length, buffer.data(), &length), 0);
    ASSERT_GE(length, 2);
    EXPECT_EQ(buffer[static_cast<size_t>(length) - 1], 0);
    EXPECT_EQ(buffer[static_cast<size_t>(length) - 2], 0);
    for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1) {
      char name[kPjlTokenBytes];
      char value[kPjlTokenBytes];
      EXPECT_EQ(std::string(p).find("@PJL SET WMKORDER = PAPER \r\n"), 0u) << p;
      for (const char* line = p; *line;) {
        const int used = ParseCommandLine(line, name, value);
        ASSERT_GT(used, 0) << line;
        line += used;
      }
    }
  }
  EXPECT_EQ(ExcGetWaterMarkList(nullptr, 0, 0, nullptr, nullptr), -1);
}

TEST_F(PjlTest, OtherModelTypesKnowNoCommand) {
  ASSERT_EQ(ExcSetCommandBase(handle_, kBase, nullptr), 0);
  EXPECT_NE(FindCommandByName(handle_, "TRAY", kPjlKindJob), nullptr);
  OptSetValue(handle_->context, 1263, 3);
  EXPECT_EQ(FindCommandByName(handle_, "TRAY", kPjlKindJob), nullptr);
  EXPECT_EQ(CommandFindById(handle_, 13, kPjlKindJob), nullptr);
  OptSetValue(handle_->context, 1263, 1);
  EXPECT_NE(FindCommandByName(handle_, "TRAY", kPjlKindPrinterOption), nullptr);
  EXPECT_EQ(FindCommandByName(handle_, "APLPAGESIZE", kPjlKindPrinterOption), nullptr);
}

TEST_F(PjlRuleTest, RulesMoveOtherLinesAndAdjustRefusedValues) {
  // The 2100 has neither A3 nor Ledger: the alternative vocabulary.
  EXPECT_EQ(OptGetValue(handle_->context, 1263, nullptr), 2);
  EXPECT_EQ(Values("PAPER", 0).find("A3|"), std::string::npos);
  ASSERT_EQ(ExcSetCommandBase(handle_, kBase, nullptr), 0);
  int32_t length = 0;
  // A5 is taken as given and drags the tray along.
  EXPECT_EQ(ExcUpdateCommand(handle_, "@PJL SET APLPAGESIZE = A5 \r\n", &length), 1);
  EXPECT_EQ(Change(), "@PJL SET TRAY = TRAY2 \r\n");
  EXPECT_NE(Base().find("@PJL SET TRAY = TRAY2 \r\n"), std::string::npos);
  // Legal is refused: A4 comes back in the change text.
  EXPECT_EQ(ExcUpdateCommand(handle_, "@PJL SET APLPAGESIZE = LEGAL \r\n", &length), 1);
  EXPECT_EQ(Change(), "@PJL SET APLPAGESIZE = A4 \r\n");
  EXPECT_EQ(OptGetValue(handle_->context, 8, nullptr), 9);
  // Only-allowed values leave out what the rules would move.
  const std::string sizes = Values("APLPAGESIZE", 1);
  EXPECT_EQ(sizes.find("LEGAL|"), std::string::npos) << sizes;
  EXPECT_NE(sizes.find("A4|"), std::string::npos) << sizes;
}

TEST_F(PjlTest, StandAloneQueries) {
  int32_t length = 0;
  EXPECT_EQ(ExcGetIniFileName(kApiPrinter, 0, nullptr, &length), 1);
  ASSERT_GT(length, 1);
  std::string path(static_cast<size_t>(length), '\0');
  EXPECT_EQ(ExcGetIniFileName(kApiPrinter, length, path.data(), &length), 0);
  EXPECT_EQ(path.size(), std::strlen(path.c_str()) + 1);
  EXPECT_EQ(ExcGetIniFileName("No Such Printer", 0, nullptr, &length), -1);

  std::vector<uint8_t> dm(1172, 0xCD);
  EXPECT_EQ(ExcGetDriverDevmode(kApiPrinter, 7, 0, nullptr, &length), 1);
  EXPECT_EQ(length, 1172);
  EXPECT_EQ(ExcGetDriverDevmode(kApiPrinter, 7, 1172, dm.data(), &length), -1);
  EXPECT_EQ(ExcGetDriverDevmode("No Such Printer", 1, 1172, dm.data(), &length), -1);
  ASSERT_EQ(ExcGetDriverDevmode(kApiPrinter, 1, 1172, dm.data(), &length), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(dm.data()), kApiPrinter);
  uint16_t size = 0;
  uint16_t extra = 0;
  std::memcpy(&size, dm.data() + 36, 2);
  std::memcpy(&extra, dm.data() + 38, 2);
  EXPECT_EQ(size, 156);
  EXPECT_EQ(size + extra, 1172);
  EXPECT_STREQ(reinterpret_cast<const char*>(dm.data()) + 70, "A4");
  // The private part is the driver's own, byte for byte.
  DriverContext* ctx = Open();
  ASSERT_NE(ctx, nullptr);
  std::vector<uint8_t> wide(1236);
  ASSERT_EQ(ZOLTDrvGetDevmode(ctx, 1, reinterpret_cast<DEVMODEW*>(wide.data())), 1236);
  EXPECT_EQ(std::memcmp(dm.data() + 156, wide.data() + 220, 1016), 0);
}

TEST(PjlHandle, FreeOfNullAndUnknownPrinter) {
  ExcFreeExclusive(nullptr);
  EXPECT_EQ(ExcGetExclusive(nullptr), nullptr);
}

}  // namespace
