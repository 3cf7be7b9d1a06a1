// The user quality list: entry keys and the count in the printer section, the entry names in
// option 950, the installed default of an entry and the refresh of every entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "env_language.h"
#include "ini_file.h"
#include "list_context.h"
#include "option_access.h"
#include "option_values.h"
#include "quality_list.h"
#include "settings_paths.h"

namespace {

using zolt::test::ListContextTest;

class QualityListTest : public ListContextTest {
 protected:
  void Write(const WCHAR* key, const WCHAR* value, const WCHAR* section = kPrinter) {
    ASSERT_TRUE(IniWriteString(section, key, value, settings.c_str()));
  }
  std::u16string Read(const WCHAR* key, const WCHAR* section = kPrinter) {
    WCHAR out[300] = {};
    IniReadString(section, key, u"<missing>", out, 300, settings.c_str());
    return out;
  }
  std::u16string Name() {
    WCHAR out[64] = {};
    OptGetStringValue(ctx, OptFind(ctx, kOptUserSetName), out, 64);
    return out;
  }
  void SetName(const std::u16string& text) {
    ASSERT_NE(OptSetStringValue(ctx, OptFind(ctx, kOptUserSetName), text.c_str()), nullptr);
  }
};

TEST(QualityKey, NumbersEntriesAndRefusesNegativeOnes) {
  struct Case {
    int index;
    const char16_t* key;
  } cases[] = {{0, u"QualityList0"}, {7, u"QualityList7"}, {128, u"QualityList128"},
               {2147483647, u"QualityList2147483647"}, {-1, u""}};
  for (const Case& c : cases) {
    WCHAR out[kQualityKeyChars] = {u'x'};
    EXPECT_EQ(CfgQualityKey(out, c.index), static_cast<int>(std::u16string(c.key).size())) << c.index;
    EXPECT_EQ(std::u16string(out), c.key);
  }
  EXPECT_EQ(CfgQualityKey(nullptr, 1), 0);
}

TEST_F(QualityListTest, CountIsReadFromThePrinterSectionOnly) {
  EXPECT_EQ(CfgGetQualityCount(ctx), 0) << "missing";
  Write(kQualityCountKey, u"5", u"Other Printer");
  Write(kQualityCountKey, u"3", u"us");
  EXPECT_EQ(CfgGetQualityCount(ctx), 0);
  for (const auto& [text, count] : {std::pair{u"3", 3}, std::pair{u"0", 0}, std::pair{u"-4", 0}, std::pair{u"x", 0},
                                    std::pair{u"70000", 0xFFFF}}) {
    Write(kQualityCountKey, text);
    EXPECT_EQ(CfgGetQualityCount(ctx), count) << std::string(text, text + std::char_traits<char16_t>::length(text));
  }
  EXPECT_EQ(CfgGetQualityCount(nullptr), 0);
}

TEST_F(QualityListTest, NamesGoIntoTheOptionAndAreCutToItsField) {
  Write(u"QualityList0Name", u"Photos");
  ASSERT_EQ(CfgLoadQualityName(ctx, u"QualityList0"), 1);
  EXPECT_EQ(Name(), u"Photos");

  // A missing name key empties the option.
  ASSERT_EQ(CfgLoadQualityName(ctx, u"QualityList1"), 1);
  EXPECT_EQ(Name(), u"");

  // 33 ANSI bytes hold 32 characters without a terminator at most.
  Write(u"QualityList2Name", u"A name much longer than the thirty-three bytes of the field");
  ASSERT_EQ(CfgLoadQualityName(ctx, u"QualityList2"), 1);
  EXPECT_LE(Name().size(), 33u);
  EXPECT_EQ(Name().substr(0, 20), u"A name much longer t");

  SetName(u"kept");
  EXPECT_EQ(CfgLoadQualityName(ctx, nullptr), 0);
  EXPECT_EQ(CfgLoadQualityName(ctx, u""), 0);
  EXPECT_EQ(Name(), u"kept");
  EXPECT_EQ(Read(u"QualityList0Name", u"Other Printer"), u"<missing>");
}

TEST_F(QualityListTest, AnEntryWithoutAFileLoadsAndSavesNothing) {
  Write(kQualityCountKey, u"2");
  Write(u"QualityList0Name", u"No file");
  SetName(u"Current");
  const std::vector<BYTE> before = Image();

  EXPECT_EQ(CfgLoadQuality(ctx, 0), 0);
  EXPECT_EQ(Image(), before) << "not even the name is loaded";
  EXPECT_EQ(CfgSaveQuality(ctx, 0), 0);
  EXPECT_EQ(CfgSaveQualityValues(ctx, 0), 0);
  EXPECT_EQ(Read(u"QualityList0Name"), u"No file");
  EXPECT_EQ(CfgLoadQualityDefault(nullptr, ctx, 0), 0);
  EXPECT_EQ(CfgLoadQualityDefaultName(nullptr, ctx, 0), 0);
  EXPECT_EQ(Image(), before);
  for (int index : {-1, 5}) {
    EXPECT_EQ(CfgLoadQuality(ctx, index), 0);
    EXPECT_EQ(CfgSaveQuality(ctx, index), 0);
  }
  EXPECT_EQ(Read(u"QualityList-1Name"), u"<missing>");
  EXPECT_EQ(Read(u"QualityList5Name"), u"<missing>");
}

TEST_F(QualityListTest, SavingAnEntryStoresTheNameOfTheOption) {
  Write(u"QualityList1", u"C:\\Users\\Public\\quality1.rst");
  SetName(u"Fine lines");
  CfgSaveQuality(ctx, 1);
  EXPECT_EQ(Read(u"QualityList1Name"), u"Fine lines");
  // The values-only save leaves the stored name.
  SetName(u"Changed");
  CfgSaveQualityValues(ctx, 1);
  EXPECT_EQ(Read(u"QualityList1Name"), u"Fine lines");
  // Loading takes the name back, whatever the file gave.
  CfgLoadQuality(ctx, 1);
  EXPECT_EQ(Name(), u"Fine lines");
  EXPECT_EQ(Read(u"QualityList1Name", u"Other Printer"), u"<missing>");
}

TEST_F(QualityListTest, TheInstalledDefaultIsTheEntrysFileWithExtensionRsqInThePresetFolder) {
  Write(u"QualityList0", u"D:\\Elsewhere\\user0003.rst");
  WCHAR folder[MAX_PATH] = {};
  ASSERT_GT(PathGetSettingsDir(folder, MAX_PATH, ctx), 0);
  const std::u16string expected = std::u16string(folder) + u"\\user0003.rsq";
  WCHAR path[MAX_PATH] = {u'x'};
  ASSERT_EQ(CfgQualityDefaultPath(ctx, 0, path), 1);
  EXPECT_EQ(std::u16string(path), expected);
  EXPECT_EQ(CfgQualityDefaultPath(ctx, 1, path), 0);
  EXPECT_EQ(std::u16string(path), u"");

  // Its name comes from "qualityname" of its language section.
  SetName(u"Current");
  EXPECT_EQ(CfgLoadQualityDefaultName(nullptr, ctx, 0), 0) << "no default file";
  EXPECT_EQ(Name(), u"Current");
  ASSERT_TRUE(IniWriteString(u"us", kQualityDefaultNameKey, u"Standard", expected.c_str()));
  ASSERT_TRUE(IniWriteString(u"jp", kQualityDefaultNameKey, u"Other language", expected.c_str()));
  EXPECT_EQ(CfgLoadQualityDefaultName(nullptr, ctx, 0), 1);
  EXPECT_EQ(Name(), u"Standard");

  // Loading the default takes the entry's own name from the list.
  Write(u"QualityList0Name", u"Mine");
  CfgLoadQualityDefault(nullptr, ctx, 0);
  EXPECT_EQ(Name(), u"Mine");
}

TEST_F(QualityListTest, RefreshingKeepsTheSettingsAndTheNames) {
  Write(kQualityCountKey, u"3");
  Write(u"QualityList0", u"C:\\Users\\Public\\q0.rst");
  Write(u"QualityList0Name", u"First");
  Write(u"QualityList1", u"C:\\Users\\Public\\q1.rst");  // no name yet
  Write(u"QualityList2Name", u"No file");
  Write(u"QualityList3", u"C:\\Users\\Public\\q3.rst");  // beyond the count
  SetName(u"Current");
  OptSetValue(ctx, 138, 7);  // zdmBrightness
  const std::vector<BYTE> before = Image();

  ASSERT_EQ(CfgRefreshAllQualities(ctx), 1);
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(ctx->workArea->undoState, 0u);
  EXPECT_EQ(Read(u"QualityList0Name"), u"First");
  EXPECT_EQ(Read(u"QualityList1Name"), u"") << "an entry with a file gets its name key";
  EXPECT_EQ(Read(u"QualityList2Name"), u"No file");
  EXPECT_EQ(Read(u"QualityList3Name"), u"<missing>");
}

}  // namespace
