// The watermark stamp list: section names, the counts of the settings and driver-defaults files,
// how saves raise the count, deleting and refreshing stamps around the current settings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "env_language.h"
#include "ini_file.h"
#include "list_context.h"
#include "option_access.h"
#include "option_values.h"
#include "settings_paths.h"
#include "stamp_list.h"

namespace {

using zolt::test::ListContextTest;

class StampListTest : public ListContextTest {
 protected:
  void SetUp() override {
    ListContextTest::SetUp();
    if (HasFatalFailure()) return;
    const WCHAR* file = PathGetDriverIni(ctx);
    ASSERT_NE(file, nullptr);
    ASSERT_NE(file[0], u'\0');
    defaults = file;
    MakeFolders(defaults);
  }
  void SetCount(const std::u16string& file, const WCHAR* section, const WCHAR* value) {
    ASSERT_TRUE(IniWriteString(section, kStampCountKey, value, file.c_str()));
  }
  int StoredCount(const WCHAR* section = u"us") {
    return static_cast<int>(IniReadInt(section, kStampCountKey, -1000, settings.c_str()));
  }
  std::u16string defaults;  // the driver-defaults file
};

TEST_F(StampListTest, SectionNamesCarryTheNumberAndTheLanguage) {
  struct Case {
    int n;
    int32_t language;
    const char16_t* name;
  } cases[] = {{0, 1, u"Stamp0us"}, {12, 0, u"Stamp12jp"}, {256, 1, u"Stamp256us"}, {65535, 1, u"Stamp65535us"},
               {-1, 1, u""},        {65536, 1, u""}};
  for (const Case& c : cases) {
    OptSetValue(ctx, kOptLanguageId, c.language);
    WCHAR out[kStampSectionChars] = {u'x'};
    EXPECT_EQ(CfgStampSection(out, c.n, nullptr, ctx), static_cast<int>(std::u16string(c.name).size())) << c.n;
    EXPECT_EQ(std::u16string(out), c.name) << c.n;
  }
  EXPECT_EQ(CfgStampSection(nullptr, 0, nullptr, ctx), 0);
}

TEST_F(StampListTest, CountsOfTheLanguageSections) {
  EXPECT_EQ(CfgGetStampCount(ctx), 0) << "missing";
  EXPECT_EQ(CfgGetDefaultStampCount(ctx), 0) << "missing";

  ASSERT_EQ(CfgSetStampCount(ctx, 4), 1);
  EXPECT_EQ(StoredCount(), 4);
  EXPECT_EQ(CfgGetStampCount(ctx), 4);
  SetCount(defaults, u"us", u"9");
  SetCount(defaults, u"jp", u"2");
  EXPECT_EQ(CfgGetDefaultStampCount(ctx), 9);

  // Another language has a list of its own.
  OptSetValue(ctx, kOptLanguageId, 0);
  EXPECT_EQ(CfgGetStampCount(ctx), 0);
  EXPECT_EQ(CfgGetDefaultStampCount(ctx), 2);
  OptSetValue(ctx, kOptLanguageId, 1);

  // Counts that are not a list read as none; a given file and section are read as they are.
  SetCount(settings, u"us", u"-3");
  EXPECT_EQ(CfgGetStampCount(ctx), 0);
  SetCount(settings, u"Package", u"6");
  EXPECT_EQ(CfgGetStampCountOf(settings.c_str(), u"Package", ctx), 6);
  EXPECT_EQ(CfgGetStampCountOf(settings.c_str(), u"Absent", ctx), 0);
  EXPECT_EQ(CfgGetStampCountOf(nullptr, u"Package", ctx), 0);
  EXPECT_EQ(CfgGetStampCountOf(settings.c_str(), nullptr, ctx), 0);
}

TEST_F(StampListTest, SavesRaiseTheCountAndNumberTheCurrentWatermark) {
  struct Case {
    int count;
    int n;
    int after;
  } cases[] = {{2, 5, 6}, {2, 2, 3}, {2, 1, 2}, {0, 0, 1}, {2, 256, 2}, {300, 256, 300}, {0, 256, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    ASSERT_EQ(CfgSetStampCount(ctx, c.count), 1);
    CfgSaveStamp(ctx, c.n);
    EXPECT_EQ(StoredCount(), c.after);
    EXPECT_EQ(OptGetUiValue(ctx, kOptWmId, nullptr), c.n);
  }
  // Numbers that no stamp can have change nothing.
  ASSERT_EQ(CfgSetStampCount(ctx, 2), 1);
  OptSetValue(ctx, kOptWmId, 1);
  for (int n : {-1, 65536}) {
    EXPECT_EQ(CfgSaveStamp(ctx, n), 0);
    EXPECT_EQ(CfgLoadStamp(ctx, n), 0);
  }
  EXPECT_EQ(StoredCount(), 2);
  EXPECT_EQ(OptGetValue(ctx, kOptWmId, nullptr), 1);
}

TEST_F(StampListTest, LoadsNumberTheWatermarkAndKeepThePrinterSection) {
  lstrcpynW(ctx->workArea->savedPrinterName, u"outer name", kCtxPathChars);
  CfgLoadStamp(ctx, 3);
  EXPECT_EQ(OptGetUiValue(ctx, kOptWmId, nullptr), 3);
  CfgSaveStamp(ctx, 4);
  CfgLoadDefaultStamp(nullptr, ctx, 1);
  CfgLoadStampFromFile(settings.c_str(), nullptr, 1, ctx);
  EXPECT_EQ(std::u16string(ctx->workArea->qualifiedPrinterName), kPrinter);
  EXPECT_EQ(std::u16string(ctx->workArea->savedPrinterName), u"outer name");
  EXPECT_EQ(CfgLoadStampFromFile(nullptr, nullptr, 1, ctx), 0);
  EXPECT_EQ(CfgLoadStampFromFile(u"", nullptr, 1, ctx), 0);
}

TEST_F(StampListTest, DeletingMovesTheCountDownAndKeepsTheSettings) {
  OptSetValue(ctx, kOptFuncSelectWaterMark, 1);
  OptSetValue(ctx, kOptWmId, 2);
  OptSetValue(ctx, 958, 1);  // wdmWmOpaque
  const std::vector<BYTE> before = Image();

  ASSERT_EQ(CfgSetStampCount(ctx, 3), 1);
  EXPECT_EQ(CfgDeleteStamp(ctx, 0), 0);
  EXPECT_EQ(StoredCount(), 2);
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(ctx->workArea->undoState, 0u);

  EXPECT_EQ(CfgDeleteStamp(ctx, 1), 0) << "the last stamp";
  EXPECT_EQ(StoredCount(), 1);

  // Numbers outside the list remove nothing; an empty list stays empty.
  for (int n : {1, 7, -1}) {
    CfgDeleteStamp(ctx, n);
    EXPECT_EQ(StoredCount(), 1) << n;
  }
  CfgDeleteStamp(ctx, 0);
  EXPECT_EQ(StoredCount(), 0);
  CfgDeleteStamp(ctx, 0);
  EXPECT_EQ(StoredCount(), 0);
  EXPECT_EQ(Image(), before);
}

TEST_F(StampListTest, RefreshingKeepsTheCountAndTheSettings) {
  OptSetValue(ctx, kOptFuncSelectWaterMark, 1);
  OptSetValue(ctx, kOptWmId, 1);
  const std::vector<BYTE> before = Image();
  ASSERT_EQ(CfgSetStampCount(ctx, 3), 1);
  ASSERT_EQ(CfgRefreshAllStamps(ctx), 1);
  EXPECT_EQ(StoredCount(), 3);
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(ctx->workArea->undoState, 0u);
  EXPECT_EQ(CfgRefreshAllStamps(nullptr), 0);
}

}  // namespace
