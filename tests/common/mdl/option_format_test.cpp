// Display texts of option values, by the kind of the model item that names the option.
#include <gtest/gtest.h>

#include <string>

#include "mdl_eval_fixture.h"
#include "option_access.h"
#include "option_format.h"

namespace {

using zolt::test::SampleModelTest;

constexpr uint16_t kOptCopies = 12;
constexpr uint16_t kOptDisplayUnit = 171;  // 0: 0.1 mm, else 0.01 inch

class OptionFormatTest : public SampleModelTest {
 protected:
  std::u16string Format(const char* symbol) {
    WCHAR buf[64];
    OptFormatValue(ctx, Key(symbol), buf, 64);
    return buf;
  }
};

TEST_F(OptionFormatTest, NumbersAndLengthsInTheDisplayUnit) {
  OptionEntry* row = OptFind(ctx, kOptCopies);
  ASSERT_NE(row, nullptr);
  ASSERT_EQ(OptSetValue(ctx, kOptCopies, 5), 1);
  EXPECT_EQ(Format("ZPD_IDC_BASIC_EDIT_COPIES"), u"5");

  struct Case {
    uint32_t flags;
    int32_t dots;
    int32_t unit;
    const char16_t* text;
  } cases[] = {
      {kOptFlagDecimalLength, 1200, 0, u"25.4"},
      {kOptFlagDecimalLength, 1200, 1, u"1.00"},
      {kOptFlagDecimalLength | kOptFlagNegativeLength, -60, 0, u"-1.3"},
      {kOptFlagDecimalLength | kOptFlagNegativeLength, -60, 1, u"-0.05"},
  };
  for (const Case& c : cases) {
    row->flags = c.flags;
    ASSERT_EQ(OptSetValue(ctx, kOptCopies, c.dots), 1);
    ASSERT_EQ(OptSetValue(ctx, kOptDisplayUnit, c.unit), 1);
    EXPECT_EQ(Format("ZPD_IDC_BASIC_EDIT_COPIES"), c.text) << c.dots << " unit " << c.unit;
  }
}

TEST_F(OptionFormatTest, ListValueWithoutTextNamesItsId) {
  // No language library is loaded: the value id itself is shown.
  const std::u16string text = Format("ZPD_IDC_PRESET_CHOICE_PRINTSIZE");
  EXPECT_NE(text.find(u" is not string-ID"), std::u16string::npos) << std::string(text.begin(), text.end());
}

TEST_F(OptionFormatTest, UnknownSymbolAndTinyBuffers) {
  WCHAR buf[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(OptFormatValue(ctx, 0, buf, 4), 0);
  EXPECT_EQ(buf[0], u'\0');
  ASSERT_EQ(OptSetValue(ctx, kOptCopies, 123456), 1);
  WCHAR small[3];
  OptFormatValue(ctx, Key("ZPD_IDC_BASIC_EDIT_COPIES"), small, 3);
  EXPECT_EQ(small[2], u'\0');  // cut, and terminated inside the buffer
  EXPECT_EQ(OptFormatValue(nullptr, 1, buf, 4), 0);
}

}  // namespace
