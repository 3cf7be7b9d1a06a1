// Custom paper-size slots: the slot/paper map, section names, the cache filled from the driver
// defaults, capture, apply and mirror between the cache and the options, the document's custom
// sizes, the once-per-context load and the counts in the files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "../option/option_image_context.h"
#include "env_language.h"
#include "free_size.h"
#include "ini_file.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_values.h"
#include "settings_paths.h"
#include "undo_images.h"

namespace {

using zolt::test::ImageContextTest;

std::u16string Str(const WCHAR* text) { return text ? std::u16string(text) : std::u16string(u"<null>"); }

// A context with a settings image whose English language library is loaded.
class FreeSizeTest : public ImageContextTest {
 protected:
  void SetUp() override {
    ImageContextTest::SetUp();
    if (HasFatalFailure()) return;
    const std::u16string windowsPath = u"C:\\Windows\\ZOLT7Rus.DLL";
    zolt::test::WriteBytes(Real(windowsPath),
                           zolt::test::ReadBytes(std::filesystem::path(ZOLT_MODULE_DIR) / "ZOLT7Rus.DLL"));
    ctx->resourceLibrary = LoadLibraryW(windowsPath.c_str());
    ASSERT_NE(ctx->resourceLibrary, nullptr);
    OptSetValue(ctx, kOptLanguageId, 1);  // us
    OptSetValue(ctx, 171, 0);             // lengths in millimetres
  }
  void TearDown() override {
    if (ctx) EnvFreeResourceDlls(ctx);
    ImageContextTest::TearDown();
  }

  // Writes a key of a file the context names, creating its folder.
  void WriteKey(const WCHAR* file, const std::u16string& section, const WCHAR* key, const std::u16string& value) {
    MakeFolders(file);
    ASSERT_TRUE(IniWriteString(section.c_str(), key, value.c_str(), file));
  }
  // Creates the folders of a Windows path, one level at a time.
  static void MakeFolders(const std::u16string& file) {
    for (size_t at = file.find(u'\\', 3); at != std::u16string::npos; at = file.find(u'\\', at + 1))
      CreateDirectoryW(file.substr(0, at).c_str(), nullptr);
  }
  std::u16string Text(uint16_t id) {
    WCHAR out[128] = {};
    OptGetStringValue(ctx, OptFind(ctx, id), out, 128);
    return out;
  }
  void SetText(uint16_t id, const std::u16string& text) {
    ASSERT_NE(OptSetStringValue(ctx, OptFind(ctx, id), text.c_str()), nullptr);
  }
  FreeSizeSlot& Slot(int n) { return ctx->workArea->freeSizeSlots[n]; }
  // Sets the five options of an edit set: name, width, length, tray, orientation.
  void SetFive(uint16_t first, const std::u16string& name, int32_t w, int32_t l, int32_t tray, int32_t orient) {
    SetText(first, name);
    OptSetValue(ctx, first + 1, w);
    OptSetValue(ctx, first + 2, l);
    OptSetValue(ctx, first + 3, tray);
    OptSetValue(ctx, first + 4, orient);
  }
  std::vector<int32_t> Values(uint16_t first, int count) {
    std::vector<int32_t> v;
    for (int i = 0; i < count; ++i) v.push_back(OptGetValue(ctx, static_cast<uint16_t>(first + i), nullptr));
    return v;
  }
};

// ---- map and names ----------------------------------------------------------------------------

TEST(FreeSizeMap, SlotsAndPaperCodes) {
  EXPECT_EQ(CfgFreeSizeSlotCount(nullptr), 10);
  EXPECT_EQ(CfgFreeSizeMapCount(nullptr), 12);

  struct PaperCase {
    int32_t paper;
    int slot;
  } papers[] = {{384, 0}, {390, 6}, {393, 9}, {256, 10}, {448, 11}, {100, 0}, {394, 0}, {449, 0}, {-1, 0}};
  for (const PaperCase& c : papers) EXPECT_EQ(CfgPaperToSlot(c.paper, nullptr), c.slot) << c.paper;

  struct SlotCase {
    int slot;
    int count;
    int paper;
  } slots[] = {{6, 12, 390},  {0, 12, 384}, {10, 12, 256}, {11, 12, 448},
               {9, 10, 393},  {10, 10, 0},   // among the first 10 rows only the user slots
               {11, 10, 0},                  // above the count
               {5, 100, 389},                // a count beyond the map reads only its 12 rows
               {12, 100, 0},  {-1, 12, 0},  {0, 0, 0}};
  for (const SlotCase& c : slots) EXPECT_EQ(CfgSlotToPaper(nullptr, c.slot, c.count, nullptr), c.paper) << c.slot;

  for (int32_t code : {383, 384, 390, 393, 394, 256, 448})
    EXPECT_EQ(CfgIsFreeSizePaper(code), code >= 384 && code <= 393) << code;

  const uint16_t* first = CfgFreeSizeSlotOptions(0);
  const uint16_t* last = CfgFreeSizeSlotOptions(9);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(std::vector<uint16_t>(first, first + 4), (std::vector<uint16_t>{1152, 1153, 1154, 1155}));
  EXPECT_EQ(std::vector<uint16_t>(last, last + 4), (std::vector<uint16_t>{1188, 1189, 1190, 1191}));
  EXPECT_EQ(CfgFreeSizeSlotOptions(10), nullptr);
  EXPECT_EQ(CfgFreeSizeSlotOptions(-1), nullptr);
}

TEST_F(FreeSizeTest, SectionNamesFollowTheLanguage) {
  WCHAR name[32];
  ASSERT_EQ(CfgFreeSizeSection(name, 0, 32, ctx), 1);
  EXPECT_EQ(Str(name), u"FreeSize0us");
  OptSetValue(ctx, kOptLanguageId, 0);
  ASSERT_EQ(CfgFreeSizeSection(name, 9, 32, ctx), 1);
  EXPECT_EQ(Str(name), u"FreeSize9jp");
  // A buffer too small gets nothing rather than a cut name that addresses another section.
  EXPECT_EQ(CfgFreeSizeSection(name, 9, 11, ctx), 0);
  EXPECT_EQ(Str(name), u"");
  EXPECT_EQ(CfgFreeSizeSection(name, 9, 12, ctx), 1);
  EXPECT_EQ(CfgFreeSizeSection(nullptr, 9, 12, ctx), 0);
}

// ---- defaults ---------------------------------------------------------------------------------

TEST_F(FreeSizeTest, DefaultsComeFromTheDriverDefaultsFileWithA4ForMissingKeys) {
  const WCHAR* file = PathGetDriverIni(ctx);
  ASSERT_NE(file, nullptr);
  ASSERT_NE(file[0], u'\0');
  const std::u16string path = file;
  WriteKey(path.c_str(), u"FreeSize0us", u"wdmFreeSizeWidth", u"7086");
  WriteKey(path.c_str(), u"FreeSize0us", u"wdmFreeSizeLength", u"4724");
  WriteKey(path.c_str(), u"FreeSize0us", u"wdmFreeSizeTray", u"2");
  WriteKey(path.c_str(), u"FreeSize0us", u"wdmFreeSizeOrient", u"2");
  WriteKey(path.c_str(), u"FreeSize1us", u"wdmFreeSizeWidth", u"5000");  // no length, tray, orientation
  WriteKey(path.c_str(), u"FreeSize2jp", u"wdmFreeSizeWidth", u"1");     // another language's section

  ASSERT_EQ(CfgLoadFreeSizeDefaults(ctx), 1);
  struct Expect {
    int slot;
    int32_t width, length;
    int16_t tray, orient;
    const char* name;
    const char* withSize;
  } expect[] = {
      {0, 7086, 4724, 2, 2, "Custom Size 1", "Custom Size 1(150.0 x 100.0mm)"},
      {1, 5000, 14031, 4, 1, "Custom Size 2", nullptr},
      {2, 9921, 14031, 4, 1, "Custom Size 3", "Custom Size 3(210.0 x 297.0mm)"},
      {9, 9921, 14031, 4, 1, "Custom Size 10", "Custom Size 10(210.0 x 297.0mm)"},
  };
  for (const Expect& e : expect) {
    SCOPED_TRACE(e.slot);
    const FreeSizeSlot& s = Slot(e.slot);
    EXPECT_EQ(s.width, e.width);
    EXPECT_EQ(s.length, e.length);
    EXPECT_EQ(s.tray, e.tray);
    EXPECT_EQ(s.orientation, e.orient);
    EXPECT_STREQ(s.displayName, e.name);
    EXPECT_STREQ(s.userName, e.name);
    if (e.withSize) {
      EXPECT_STREQ(s.displayNameWithSize, e.withSize);
    }
  }
}

TEST_F(FreeSizeTest, CountsInTheFiles) {
  const std::u16string defaults = PathGetDriverIni(ctx);
  EXPECT_EQ(CfgGetDefaultFreeSizeCount(ctx), 0) << "no file";
  for (const auto& [text, count] : {std::pair{u"10", 10}, std::pair{u"9", 0}, std::pair{u"11", 0}, std::pair{u"x", 0}}) {
    WriteKey(defaults.c_str(), u"us", kFreeSizeCountKey, text);
    EXPECT_EQ(CfgGetDefaultFreeSizeCount(ctx), count) << Str(text).size();
  }

  const WCHAR* settings = PathGetSettingsIni(ctx);
  ASSERT_NE(settings, nullptr);
  ASSERT_NE(settings[0], u'\0');
  const std::u16string settingsPath = settings;
  MakeFolders(settingsPath);
  ASSERT_EQ(CfgSetFreeSizeCount(nullptr, ctx, 10), 1);
  EXPECT_EQ(IniReadInt(u"us", kFreeSizeCountKey, -1, settingsPath.c_str()), 10u);
  OptSetValue(ctx, kOptLanguageId, 6);  // fr: its own section
  ASSERT_EQ(CfgSetFreeSizeCount(nullptr, ctx, 0), 1);
  EXPECT_EQ(IniReadInt(u"fr", kFreeSizeCountKey, -1, settingsPath.c_str()), 0u);
  EXPECT_EQ(IniReadInt(u"us", kFreeSizeCountKey, -1, settingsPath.c_str()), 10u);
}

// ---- cache and options ------------------------------------------------------------------------

TEST_F(FreeSizeTest, CaptureApplyAndMirrorMoveASlotBetweenCacheAndOptions) {
  SetFive(kOptFreeSizeName, u"Postcard wide", 7086, 4724, 3, 2);
  ASSERT_EQ(CfgCaptureFreeSizeSlot(ctx, 4), 1);
  const FreeSizeSlot& s = Slot(4);
  EXPECT_STREQ(s.userName, "Postcard wide");
  EXPECT_EQ(s.width, 7086);
  EXPECT_EQ(s.length, 4724);
  EXPECT_EQ(s.tray, 3);
  EXPECT_EQ(s.orientation, 2);
  EXPECT_STREQ(s.displayName, "Postcard wide(150.0 x 100.0mm)");
  EXPECT_STREQ(s.displayNameWithSize, "Postcard wide(150.0 x 100.0mm)");

  // Back to the edit options and to the source twins.
  SetFive(kOptFreeSizeName, u"", 0, 0, 0, 0);
  ASSERT_EQ(CfgApplyFreeSizeSlot(ctx, 4), 1);
  EXPECT_EQ(Text(938), u"Postcard wide");
  EXPECT_EQ(Values(939, 4), (std::vector<int32_t>{7086, 4724, 3, 2}));
  ASSERT_EQ(CfgApplySrcFreeSizeSlot(ctx, 4), 1);
  EXPECT_EQ(Text(943), u"Postcard wide");
  EXPECT_EQ(Values(944, 4), (std::vector<int32_t>{7086, 4724, 3, 2}));

  // The source twins captured into another slot.
  OptSetValue(ctx, 944, 9921);
  OptSetValue(ctx, 945, 14031);
  ASSERT_EQ(CfgCaptureSrcFreeSizeSlot(ctx, 5), 1);
  EXPECT_STREQ(Slot(5).userName, "Postcard wide");
  EXPECT_EQ(Slot(5).width, 9921);
  EXPECT_STREQ(Slot(5).displayNameWithSize, "Postcard wide(210.0 x 297.0mm)");

  // The slot's own options.
  ASSERT_EQ(CfgMirrorFreeSizeSlot(ctx, 4), 1);
  EXPECT_EQ(Values(1168, 4), (std::vector<int32_t>{7086, 4724, 3, 2}));
  EXPECT_EQ(Values(1164, 4), (std::vector<int32_t>{0, 0, 0, 0})) << "slot 3 untouched";

  // Slots outside the ranges are refused.
  EXPECT_EQ(CfgCaptureFreeSizeSlot(ctx, 10), 0);
  EXPECT_EQ(CfgCaptureFreeSizeSlot(ctx, -1), 0);
  EXPECT_EQ(CfgMirrorFreeSizeSlot(ctx, 10), 0);
  EXPECT_EQ(CfgApplyFreeSizeSlot(ctx, 12), 0);
  EXPECT_EQ(CfgApplyFreeSizeSlot(ctx, 11), 1) << "the output custom size's record";
  EXPECT_EQ(CfgApplyFreeSizeSlot(nullptr, 0), 0);
}

TEST_F(FreeSizeTest, NamesAreCutToTheirFields) {
  // A user name that fills its 64 bytes without a terminator reaches option 938 cut to its 33
  // bytes, and reads back whole.
  std::memset(Slot(2).userName, 'N', sizeof Slot(2).userName);
  ASSERT_EQ(CfgApplyFreeSizeSlot(ctx, 2), 1);
  EXPECT_EQ(Text(938), std::u16string(33, u'N'));

  // A long name keeps at most 63 bytes and its terminator in the cache.
  SetText(kOptFreeSizeName, std::u16string(32, u'M'));
  ASSERT_EQ(CfgCaptureFreeSizeSlot(ctx, 2), 1);
  EXPECT_EQ(std::string(Slot(2).userName), std::string(32, 'M'));
  EXPECT_EQ(std::string(Slot(2).displayNameWithSize), std::string(32, 'M') + "(0.0 x 0.0mm)");
}

TEST_F(FreeSizeTest, MirrorBySectionNameFindsItsSlot) {
  SetFive(kOptFreeSizeName, u"x", 1111, 2222, 3, 1);
  EXPECT_EQ(CfgMirrorFreeSizeSection(ctx, u"freesize6US"), 1);
  EXPECT_EQ(Values(1176, 4), (std::vector<int32_t>{1111, 2222, 3, 1}));
  for (const char16_t* other : {u"FreeSize6jp", u"FreeSize10us", u"FreeSize", u"us", u""})
    EXPECT_EQ(CfgMirrorFreeSizeSection(ctx, other), 0) << Str(other).size();
  EXPECT_EQ(CfgMirrorFreeSizeSection(ctx, nullptr), 0);
}

TEST_F(FreeSizeTest, TheDocumentsCustomSizesAreCapturedWithTheirNames) {
  OptSetValue(ctx, 342, 9921);
  OptSetValue(ctx, 343, 14031);
  OptSetValue(ctx, 344, 2);
  OptSetValue(ctx, 345, 2);
  OptSetValue(ctx, 346, 7086);
  OptSetValue(ctx, 347, 4724);
  OptSetValue(ctx, 348, 3);
  OptSetValue(ctx, 349, 1);
  ASSERT_EQ(CfgCaptureCustomPaper(ctx, 256, 10), 1);
  EXPECT_STREQ(Slot(10).displayName, "Custom Paper Size(210.0 x 297.0") << "at most 31 characters";
  EXPECT_EQ(Slot(10).width, 9921);
  EXPECT_EQ(Slot(10).length, 14031);
  EXPECT_EQ(Slot(10).tray, 2);
  EXPECT_EQ(Slot(10).orientation, 2);
  ASSERT_EQ(CfgCaptureCustomPaper(ctx, 448, 11), 1);
  EXPECT_STREQ(Slot(11).displayName, "Custom Print Size(150.0 x 100.0");
  EXPECT_EQ(Slot(11).width, 7086);
  EXPECT_EQ(Slot(11).orientation, 1);

  const FreeSizeSlot before = Slot(3);
  EXPECT_EQ(CfgCaptureCustomPaper(ctx, 9, 3), 0);
  EXPECT_EQ(std::memcmp(&Slot(3), &before, sizeof before), 0);
  EXPECT_EQ(CfgCaptureCustomPaper(ctx, 256, 12), 0);
}

TEST_F(FreeSizeTest, UserPaperUnit) {
  struct Case {
    int32_t paper;
    int32_t unit;  // option 171: 0 metric
    int inch, metric;
  } cases[] = {{256, 0, 0, 1}, {256, 1, 1, 0}, {9, 0, 0, 0}, {384, 1, 0, 0}};
  for (const Case& c : cases) {
    OptSetValue(ctx, kOptPaperSize, c.paper);
    OptSetValue(ctx, 171, c.unit);
    EXPECT_EQ(CfgIsUserPaperInch(ctx), c.inch) << c.paper << " " << c.unit;
    EXPECT_EQ(CfgIsUserPaperMetric(ctx), c.metric) << c.paper << " " << c.unit;
  }
  SettingsImage* image = ctx->settingsImage;
  ctx->settingsImage = nullptr;
  EXPECT_EQ(CfgIsUserPaperInch(ctx), 0);
  ctx->settingsImage = image;
}

// ---- loads and saves --------------------------------------------------------------------------

TEST_F(FreeSizeTest, LoadingAllSlotsHappensOncePerContextAndLeavesTheOptions) {
  SetFive(kOptFreeSizeName, u"Being edited", 1000, 2000, 3, 2);
  CtxAddPendingFlags(ctx, 0x20000);
  std::vector<BYTE> before(Working(), Working() + kSettingsImageSize);

  ASSERT_EQ(CfgLoadAllFreeSizes(ctx), 1);
  EXPECT_EQ(CtxGetPendingFlags(ctx), 0x20000u | kPendingFreeSizesLoaded);
  EXPECT_EQ(ctx->workArea->undoState, 0u) << "the snapshot was popped";
  // The edit options are as before; only the slots' own options took the cache.
  EXPECT_EQ(Text(938), u"Being edited");
  EXPECT_EQ(Values(939, 4), (std::vector<int32_t>{1000, 2000, 3, 2}));
  for (int slot = 0; slot < 10; ++slot) {
    const FreeSizeSlot& s = Slot(slot);
    const uint16_t* own = CfgFreeSizeSlotOptions(slot);
    EXPECT_EQ(Values(own[0], 4), (std::vector<int32_t>{s.width, s.length, s.tray, s.orientation})) << slot;
  }

  // A second call reads nothing and changes nothing.
  Slot(3).width = 777;
  std::strcpy(Slot(3).userName, "kept");
  SetText(kOptFreeSizeName, u"changed since");
  before.assign(Working(), Working() + kSettingsImageSize);
  ASSERT_EQ(CfgLoadAllFreeSizes(ctx), 1);
  EXPECT_EQ(Slot(3).width, 777);
  EXPECT_STREQ(Slot(3).userName, "kept");
  EXPECT_EQ(std::vector<BYTE>(Working(), Working() + kSettingsImageSize), before);
}

TEST_F(FreeSizeTest, SavingAndRefreshingAllSlotsGiveTheOptionsBack) {
  for (int slot = 0; slot < 10; ++slot) {
    Slot(slot).width = 1000 + slot;
    std::strcpy(Slot(slot).userName, "slot");
  }
  SetFive(kOptFreeSizeName, u"Being edited", 1, 2, 3, 1);
  const std::vector<BYTE> before(Working(), Working() + kSettingsImageSize);
  CfgSaveAllFreeSizes(ctx);
  EXPECT_EQ(std::vector<BYTE>(Working(), Working() + kSettingsImageSize), before);
  CfgRefreshAllFreeSizes(ctx);
  EXPECT_EQ(std::vector<BYTE>(Working(), Working() + kSettingsImageSize), before);
  EXPECT_EQ(ctx->workArea->undoState, 0u);
  EXPECT_EQ(Slot(7).width, 1007) << "neither touches the cache";
}

TEST_F(FreeSizeTest, SingleSlotLoadsClearTheirOptionsAndKeepThePrinterSection) {
  // The printer-section buffer carries the slot's section only for the call.
  lstrcpynW(ctx->workArea->qualifiedPrinterName, u"Office Printer", kCtxPathChars);
  lstrcpynW(ctx->workArea->savedPrinterName, u"outer name", kCtxPathChars);

  SetFive(kOptFreeSizeName, u"old", 5, 6, 3, 2);
  SetFive(kOptSrcFreeSizeName, u"old source", 5, 6, 3, 2);
  CfgLoadFreeSize(ctx, 2);
  // Nothing was in the file: the options stay cleared and the slot's own options follow them.
  EXPECT_EQ(Text(938), u"");
  EXPECT_EQ(Values(939, 4), (std::vector<int32_t>{0, 0, 0, 0}));
  EXPECT_EQ(Values(1160, 4), (std::vector<int32_t>{0, 0, 0, 0}));
  CfgLoadSrcFreeSize(ctx, 2);
  EXPECT_EQ(Text(943), u"");
  EXPECT_EQ(Values(944, 4), (std::vector<int32_t>{0, 0, 0, 0}));

  // The default load clears only the name, width and length.
  SetFive(kOptFreeSizeName, u"old", 5, 6, 3, 2);
  CfgLoadFreeSizeDefault(ctx, 2);
  EXPECT_EQ(Text(938), u"");
  EXPECT_EQ(Values(939, 4), (std::vector<int32_t>{0, 0, 3, 2}));

  EXPECT_EQ(Str(ctx->workArea->qualifiedPrinterName), u"Office Printer");
  EXPECT_EQ(Str(ctx->workArea->savedPrinterName), u"outer name");

  // Slots without a section are refused before anything is cleared.
  SetFive(kOptFreeSizeName, u"old", 5, 6, 3, 2);
  for (int slot : {-1, 10, 11}) {
    EXPECT_EQ(CfgLoadFreeSize(ctx, slot), 0);
    EXPECT_EQ(CfgSaveFreeSize(ctx, slot), 0);
    EXPECT_EQ(CfgLoadSrcFreeSize(ctx, slot), 0);
    EXPECT_EQ(CfgLoadFreeSizeDefault(ctx, slot), 0);
  }
  EXPECT_EQ(Text(938), u"old");
}

}  // namespace
