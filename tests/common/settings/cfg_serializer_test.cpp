// The settings-file serializer on real files of a test machine: the header and its check, the
// rows each flag word chooses, sections larger than the first buffer, the locked-value check,
// the list-file sections and the whole-file load and save with the section switch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "../option/option_image_context.h"
#include "env_language.h"
#include "feature_modules.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_values.h"
#include "settings_files.h"
#include "settings_paths.h"

namespace {

using zolt::test::ReadBytes;
using zolt::test::WriteBytes;

// ---- a row reader and writer with the INI encoding of option values ----------------------------
// Numbers in decimal by kind, flags as 0 or 1, texts as text; a missing or empty value is not
// taken. Every row offered is recorded.

struct RowCall {
  uint16_t id;
  std::u16string key;
  std::u16string section;
};
std::vector<RowCall> g_calls;
bool g_longValues = false;  // the writer pads every value (sections beyond the first buffer)

std::u16string ValueText(DriverContext* ctx, const OptionEntry* row) {
  const uint32_t kind = TypeKind(row->typeWord);
  WCHAR text[300] = {};
  if (OptIsAnsiTextKind(kind) || OptIsWideTextKind(kind)) {
    OptGetStringValue(ctx, row, text, 300);
  } else {
    const int32_t v = OptReadValue(ctx, row);
    if (kind == kKindUInt8 || kind == kKindUInt16 || kind == kKindUInt32)
      wsprintfW(text, u"%u", static_cast<uint32_t>(v));
    else
      wsprintfW(text, u"%d", v);
  }
  std::u16string value = text;
  if (g_longValues) value += std::u16string(200, u'x');
  return value;
}

int TestWriteRow(HANDLE, DriverContext* ctx, OptionEntry* row, const WCHAR* path, IniSectionText* text,
                 int32_t* cursor) {
  g_calls.push_back({row->id, row->key ? row->key : u"", row->section ? row->section : u""});
  const uint32_t kind = TypeKind(row->typeWord);
  if (!OptIsNumericKind(kind) && !OptIsAnsiTextKind(kind) && !OptIsWideTextKind(kind)) return 1;
  const std::u16string value = ValueText(ctx, row);
  if (text) return IniAppendKeyMem(cursor, row->key, value.c_str(), text);
  return IniWriteString(row->section ? row->section : PrnGetName(ctx), row->key, value.c_str(), path);
}

int TestReadRow(DriverContext* ctx, OptionEntry* row, const WCHAR* path, const char* body, int32_t* cursor) {
  g_calls.push_back({row->id, row->key ? row->key : u"", row->section ? row->section : u""});
  WCHAR value[300] = {};
  if (body)
    IniReadStringMem(row->key, u"", value, 300, body, cursor);
  else
    IniReadString(row->section ? row->section : PrnGetName(ctx), row->key, u"", value, 300, path);
  if (!value[0]) return 0;
  const uint32_t kind = TypeKind(row->typeWord);
  if (OptIsAnsiTextKind(kind) || OptIsWideTextKind(kind)) return OptSetStringValue(ctx, row, value) ? 1 : 0;
  std::string digits;
  for (const WCHAR* p = value; *p; ++p) digits += static_cast<char>(*p);
  return OptWriteValue(ctx, row, static_cast<int32_t>(std::strtoll(digits.c_str(), nullptr, 10)));
}

std::set<uint16_t> CalledIds() {
  std::set<uint16_t> ids;
  for (const RowCall& c : g_calls) ids.insert(c.id);
  return ids;
}

// A module that keeps one option out of every section transfer.
uint16_t g_refusedOption = 0;
int RefusingNotify(DriverContext*, DWORD code, void* param, void*) {
  if (code != kFmNotifyTransferRow) return 0;
  auto* offer = static_cast<FmRowTransferParam*>(param);
  if (offer->row->id == g_refusedOption) offer->answer = 1;
  return 0;
}
FeatureModule g_refusingRows[1] = {{0, nullptr, nullptr, nullptr, RefusingNotify}};
const FeatureModule* RefusingTable(FeatureModuleList* list) {
  if (list) list->count = 1;
  return g_refusingRows;
}

// ---- the fixture ------------------------------------------------------------------------------

class SettingsFiles : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    printer_ = OpenTestPrinter();
    ASSERT_NE(printer_, nullptr);
    Create(nullptr);
    CfgSetRowIo(TestReadRow, TestWriteRow);
    g_calls.clear();
    g_longValues = false;
  }
  void TearDown() override {
    CfgSetRowIo(nullptr, nullptr);
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    if (printer_) ClosePrinter(printer_);
    DriverMachineTest::TearDown();
  }

  // A context of the test printer with a working settings image; its modules come from source.
  void Create(FmTableSource source) {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    FmSetTableSource(source);
    ctx = CtxCreateWithFlags(printer_, printer_, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    FmSetTableSource(nullptr);
    ASSERT_NE(ctx, nullptr);
    ctx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
    ASSERT_NE(ctx->settingsImage, nullptr);
    for (SettingsImage* image : {ctx->settingsImage, ctx->workArea->savedImage, ctx->workArea->lockDefaultImage})
      if (image) zolt::test::WriteBlockStarts(reinterpret_cast<BYTE*>(image));
    OptSetValue(ctx, kOptLanguageId, 1);
    OptSetValue(ctx, 730, 2);  // zdmOSKind: Windows 2000 or later
  }

  std::string FileText(const std::u16string& path) { return ReadBytes(Real(path)); }
  void PutFile(const std::u16string& path, const std::string& text) { WriteBytes(Real(path), text); }
  // The lines of a section ("key=value"), in file order.
  std::vector<std::string> SectionLines(const std::u16string& path, const std::string& section) {
    const std::string text = FileText(path);
    std::vector<std::string> lines;
    size_t at = text.find("[" + section + "]\r\n");
    if (at == std::string::npos) return lines;
    at = text.find('\n', at) + 1;
    while (at < text.size() && text[at] != '[') {
      const size_t end = text.find("\r\n", at);
      lines.push_back(text.substr(at, end - at));
      at = end == std::string::npos ? text.size() : end + 2;
    }
    return lines;
  }
  std::u16string Text(uint16_t id) {
    WCHAR out[300] = {};
    OptGetStringValue(ctx, OptFind(ctx, id), out, 300);
    return out;
  }
  // The printer-section buffer holds another section for the call, as the callers do.
  void PutSection(const std::u16string& name) { lstrcpynW(PrnGetName(ctx), name.c_str(), kCtxPathChars); }

  static constexpr const char16_t* kFile = u"C:\\settings.rst";
  static constexpr const char* kPrinterSection = "ZOLT Office 7000";
  HANDLE printer_ = nullptr;
  DriverContext* ctx = nullptr;
};

// ---- saved text -------------------------------------------------------------------------------

TEST_F(SettingsFiles, CustomSizeSectionIsTheVersionAndTheFiveSizeKeys) {
  OptSetStringValue(ctx, OptFind(ctx, 938), u"Poster");
  OptSetValue(ctx, 939, 28346);
  OptSetValue(ctx, 940, 40157);
  OptSetValue(ctx, 941, 4);
  OptSetValue(ctx, 942, 1);
  PutSection(u"FreeSize0us");
  ASSERT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgFreeSizeRows | kCfgSave, ctx), 1);
  EXPECT_EQ(FileText(kFile),
            "[FreeSize0us]\r\n"
            "RstVersion=335\r\n"
            "wdmFreeSizeName=Poster\r\n"
            "wdmFreeSizeWidth=28346\r\n"
            "wdmFreeSizeLength=40157\r\n"
            "wdmFreeSizeTray=4\r\n"
            "wdmFreeSizeOrient=1\r\n");

  // The source twins go under the same keys, without a header, and come back into 943-947.
  OptSetStringValue(ctx, OptFind(ctx, 943), u"Banner");
  OptSetValue(ctx, 944, 9921);
  OptSetValue(ctx, 945, 59528);
  OptSetValue(ctx, 946, 2);
  OptSetValue(ctx, 947, 0);
  PutSection(u"Src");
  ASSERT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgSrcFreeSizeRows | kCfgSave, ctx), 1);
  EXPECT_EQ(SectionLines(kFile, "Src"),
            (std::vector<std::string>{"wdmFreeSizeName=Banner", "wdmFreeSizeWidth=9921", "wdmFreeSizeLength=59528",
                                      "wdmFreeSizeTray=2", "wdmFreeSizeOrient=0"}));
  for (uint16_t id = 943; id <= 947; ++id) OptSetValue(ctx, id, 0);
  PutSection(u"FreeSize0us");
  ASSERT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgSrcFreeSizeRows | kCfgLoad, ctx), 1);
  EXPECT_EQ(Text(943), u"Poster");
  EXPECT_EQ(OptGetValue(ctx, 944, nullptr), 28346);
  EXPECT_EQ(OptGetValue(ctx, 947, nullptr), 1);
}

TEST_F(SettingsFiles, SavedSectionStartsWithTheFourHeaderKeysThenTheRowsInTableOrder) {
  PutFile(kFile, "[ZOLT Office 7000]\r\nstale=1\r\n[other]\r\nkeep=1\r\n");
  OptSetValue(ctx, 38, 600);
  OptSetValue(ctx, 39, 1200);
  ASSERT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgQualityRows | kCfgSave, ctx), 1);
  const std::vector<std::string> lines = SectionLines(kFile, kPrinterSection);
  ASSERT_GT(lines.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6),
            (std::vector<std::string>{"RstVersion=335", "RstMachine=23", "RstLanguage=1", "RstOSKind=2",
                                      "zdmDstResolutionW=600", "zdmDstResolutionH=1200"}));
  // Exactly the quality-class rows, in table order; the old keys are gone, other sections stay.
  std::vector<uint16_t> expected;
  for (int i = 0; i <= 1335; ++i) {
    const OptionEntry& row = ctx->optionTable->rows[i];
    if ((row.stateBits & kStateQualityMask) && (i < 719 || i > 936) && row.labels && row.labels->fieldName)
      expected.push_back(row.id);
  }
  std::vector<uint16_t> called;
  for (const RowCall& c : g_calls) called.push_back(c.id);
  EXPECT_EQ(called, expected);
  EXPECT_EQ(lines.size(), expected.size() + 4);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "stale=1"), 0);
  EXPECT_EQ(SectionLines(kFile, "other"), std::vector<std::string>{"keep=1"});
}

TEST_F(SettingsFiles, SectionsLargerThanTheFirstBufferAreWrittenWhole) {
  g_longValues = true;  // about 230 bytes a row: far more than 32,768 bytes in all
  ASSERT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgSave | kCfgNoMessage, ctx), 1);
  const std::vector<std::string> lines = SectionLines(kFile, kPrinterSection);
  size_t bytes = 0;
  for (const std::string& l : lines) bytes += l.size() + 2;
  EXPECT_GT(bytes, 32768u * 4);
  // Every row written is in the file, the last one whole.
  size_t written = 0;
  for (const RowCall& c : g_calls) {
    const uint32_t kind = TypeKind(OptFind(ctx, c.id)->typeWord);
    if (OptIsNumericKind(kind) || OptIsAnsiTextKind(kind) || OptIsWideTextKind(kind)) ++written;
  }
  EXPECT_EQ(lines.size(), written + 4);
  EXPECT_EQ(lines.back().substr(lines.back().size() - 200), std::string(200, 'x'));
}

// ---- the rows of each flag word ---------------------------------------------------------------

TEST_F(SettingsFiles, EachFlagWordChoosesItsRows) {
  struct Case {
    const char* name;
    DWORD flags;
    std::vector<uint16_t> in, out;
  };
  const Case cases[] = {
      {"plain save", kCfgSave, {1, 5, 206, 209, 609, 719, 938, 1144, 1336},
       {207, 208, 610, 612, 683, 685, 720, 937, 1054, 1064, 1145, 1148, 1149, 1150, 1235, 1250, 1337, 10001}},
      {"list-file save", kCfgListFile | kCfgSave, {6, 531, 534, 563, 566}, {1, 5, 532, 533, 564, 565, 1235}},
      {"whole table of configuration rows", kCfgDeviceStateRows | kCfgSave, {}, {6, 1336, 10001}},
      {"user rows", kCfgUserRows | kCfgSave, {938, 1144, 1336}, {6, 719, 10001}},
      {"preset save keeps everything", kCfgPresetRows | kCfgSave, {6, 13, 206, 1336}, {720, 1145}},
      {"preset re-save keeps preset rows", kCfgPresetRows | kCfgPresetResave | kCfgSave, {13, 54}, {6, 206}},
      {"rsd section", kCfgRsdSection | kCfgSave, {13, 54, 948}, {6, 206}},
      {"stamp", kCfgStampRows | kCfgSave, {117, 118, 952, 1054, 1064}, {6, 13, 38}},
      {"custom size", kCfgFreeSizeRows | kCfgSave, {938, 939, 940, 941, 942}, {1, 6, 943}},
  };
  for (const Case& c : cases) {
    g_calls.clear();
    CfgTransferSettingsSection(printer_, kFile, c.flags, ctx);
    const std::set<uint16_t> ids = CalledIds();
    for (uint16_t id : c.in) EXPECT_TRUE(ids.count(id)) << c.name << ": " << id;
    for (uint16_t id : c.out) EXPECT_FALSE(ids.count(id)) << c.name << ": " << id;
  }
}

TEST_F(SettingsFiles, LoadsTakeOnlyTheRowsOfTheirClassAndPlainLoadsTheirRanges) {
  // A preset file saved without the re-save flag holds every transferable option...
  OptSetValue(ctx, 13, 7);    // dmDefaultSource, preset class
  OptSetValue(ctx, 7, 2);     // dmOrientation, no class
  ASSERT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgPresetRows | kCfgSave, ctx), 1);
  EXPECT_TRUE(CalledIds().count(7));
  // ...and its load takes only the preset-class options.
  OptSetValue(ctx, 13, 1);
  OptSetValue(ctx, 7, 1);
  g_calls.clear();
  CfgTransferSettingsSection(printer_, kFile, kCfgPresetRows | kCfgLoad, ctx);
  EXPECT_EQ(OptGetValue(ctx, 13, nullptr), 7);
  EXPECT_EQ(OptGetValue(ctx, 7, nullptr), 1);
  for (const RowCall& c : g_calls) EXPECT_TRUE(OptFind(ctx, c.id)->stateBits & kStatePresetMask) << c.id;

  // A plain load keeps to its ranges and ends with zdmPresetNo 255.
  ASSERT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgSave, ctx), 1);
  g_calls.clear();
  CfgTransferSettingsSection(printer_, kFile, kCfgLoad, ctx);
  const std::set<uint16_t> ids = CalledIds();
  for (uint16_t id : {6, 7, 206, 209, 609, 613, 686, 938, 1144, 1336}) EXPECT_TRUE(ids.count(id)) << id;
  for (uint16_t id : {1, 5, 207, 208, 564, 565, 610, 684, 685, 1147, 1148, 1149, 1150})
    EXPECT_FALSE(ids.count(id)) << id;
  EXPECT_EQ(OptGetValue(ctx, 37, nullptr), -1);  // 255 in the signed byte of zdmPresetNo
}

TEST_F(SettingsFiles, AModuleKeepsARowOutOfEveryTransfer) {
  g_refusedOption = 7;
  Create(RefusingTable);
  CfgTransferSettingsSection(printer_, kFile, kCfgSave, ctx);
  const std::set<uint16_t> ids = CalledIds();
  EXPECT_FALSE(ids.count(7));
  EXPECT_TRUE(ids.count(8));
}

// ---- loading and the header check -------------------------------------------------------------

TEST_F(SettingsFiles, LoadedValuesMarkTheirRowsChanged) {
  OptSetValue(ctx, 38, 600);
  ASSERT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgQualityRows | kCfgSave, ctx), 1);
  OptSetValue(ctx, 38, 300);
  OptionEntry* row = OptFind(ctx, 38);
  row->stateBits &= static_cast<uint16_t>(~kStateChangedMask);
  ctx->workArea->optionsChanged = 0;
  EXPECT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgQualityRows | kCfgLoad, ctx), 1);
  EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileOk);
  EXPECT_EQ(OptGetValue(ctx, 38, nullptr), 600);
  EXPECT_EQ(row->stateBits & kStateChangedMask, 1);
  EXPECT_EQ(ctx->workArea->optionsChanged, 1u);

  // A key missing from the section leaves its option and makes the load report 0.
  PutFile(kFile,
          "[ZOLT Office 7000]\r\nRstVersion=335\r\nRstMachine=23\r\nRstLanguage=1\r\nzdmDstResolutionW=1200\r\n");
  OptSetValue(ctx, 39, 400);
  EXPECT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgQualityRows | kCfgLoad, ctx), 0);
  EXPECT_EQ(OptGetValue(ctx, 38, nullptr), 1200);
  EXPECT_EQ(OptGetValue(ctx, 39, nullptr), 400);
  EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileOk);
}

TEST_F(SettingsFiles, TheHeaderDecidesWhetherAFileIsLoaded) {
  struct Case {
    const char* header;
    bool loads;
  };
  const Case cases[] = {
      {"RstVersion=335\r\nRstMachine=23\r\nRstLanguage=1\r\n", true},
      {"RstVersion=340\r\nRstMachine=23\r\nRstLanguage=1\r\n", true},  // same hundred
      {"RstVersion=320\r\nRstMachine=23\r\nRstLanguage=1\r\n", true},
      {"RstVersion=299\r\nRstMachine=23\r\nRstLanguage=1\r\n", false},
      {"RstVersion=401\r\nRstMachine=23\r\nRstLanguage=1\r\n", false},
      {"RstVersion=335\r\nRstMachine=24\r\nRstLanguage=1\r\n", false},  // another model
      {"RstVersion=335\r\nRstMachine=23\r\nRstLanguage=2\r\n", false},  // another language
      {"RstVersion=335\r\nRstLanguage=1\r\n", false},                   // no model
      {"RstMachine=23\r\nRstLanguage=1\r\n", false},                    // no version
      {"RstVersion=abc\r\nRstMachine=23\r\nRstLanguage=1\r\n", false},
  };
  for (const Case& c : cases) {
    PutFile(kFile, std::string("[ZOLT Office 7000]\r\n") + c.header + "zdmDstResolutionW=600\r\n");
    OptSetValue(ctx, 38, 300);
    EXPECT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgQualityRows | kCfgLoad, ctx), c.loads ? 0 : 1)
        << c.header;  // a load reports 0 for the keys the file lacks; a refused file reports 1
    EXPECT_EQ(CtxGetSettingsFileStatus(ctx), c.loads ? kSettingsFileOk : kSettingsFileVersion) << c.header;
    EXPECT_EQ(OptGetValue(ctx, 38, nullptr), c.loads ? 600 : 300) << c.header;
  }
  // Stamp and custom-size sections accept any version and none; installed defaults are not
  // checked and come from the language section.
  PutFile(kFile, "[Stamp0us]\r\nwdmWmAngle=45\r\n[us]\r\nRstVersion=1\r\nzdmDstResolutionW=1200\r\n");
  PutSection(u"Stamp0us");
  CfgTransferSettingsSection(printer_, kFile, kCfgStampRows | kCfgLoad, ctx);
  EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileOk);
  EXPECT_EQ(OptGetValue(ctx, 967, nullptr), 45);
  CfgTransferSettingsSection(printer_, kFile, kCfgInstalledDefault | kCfgQualityRows | kCfgLoad, ctx);
  EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileOk);
  EXPECT_EQ(OptGetValue(ctx, 38, nullptr), 1200);
}

TEST_F(SettingsFiles, FilesThatCannotBeReadOrHaveNoDriveTransferNothing) {
  EXPECT_EQ(CfgTransferSettingsSection(printer_, u"C:\\no folder\\x.rst", kCfgQualityRows | kCfgLoad, ctx), 0);
  EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileUnreadable);
  for (const char16_t* path : {u"settings.rst", u"\\\\server\\share\\x.rst", u"", u"1:\\x.rst"}) {
    EXPECT_EQ(CfgTransferSettingsSection(printer_, path, kCfgQualityRows | kCfgSave, ctx), 0);
    EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileOk);
  }
  EXPECT_EQ(CfgTransferSettingsSection(printer_, nullptr, kCfgLoad, ctx), 0);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(CfgTransferSettingsSection(printer_, kFile, 0, ctx), 0);  // neither load nor save
}

// ---- locked values ----------------------------------------------------------------------------

TEST_F(SettingsFiles, APlainLoadRefusesAFileThatDiffersInALockedSetting) {
  OptSetValue(ctx, kOptLockTray, 1);
  OptSetValue(ctx, 13, 7);
  OptSetValue(ctx, 54, 3);
  ASSERT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgSave, ctx), 1);
  const std::string saved = FileText(kFile);

  // The same tray: the file loads (the media is not locked and may differ).
  OptSetValue(ctx, 54, 9);
  CfgTransferSettingsSection(printer_, kFile, kCfgLoad, ctx);
  EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileOk);
  EXPECT_EQ(OptGetValue(ctx, 54, nullptr), 3);

  // Another tray: nothing is loaded.
  OptSetValue(ctx, 13, 1);
  OptSetValue(ctx, 54, 9);
  EXPECT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgLoad, ctx), 0);
  EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileLockMismatch);
  EXPECT_EQ(OptGetValue(ctx, 54, nullptr), 9);
  EXPECT_EQ(FileText(kFile), saved);
}

TEST_F(SettingsFiles, LockedValuesCompareByTheirRules) {
  const std::u16string section = u"ZOLT Office 7000";
  struct Case {
    const char* name;
    uint16_t lock;
    std::string keys;
    bool passes;
  };
  OptSetValue(ctx, 91, 2);
  OptSetStringValue(ctx, OptFind(ctx, 115), u"Arial");
  const Case cases[] = {
      {"layout kind equal", kOptLockNupKind, "zdmFuncSelectNup=0\r\nzdmNUPPOSTKind=2\r\n", true},
      {"layout kind differs", kOptLockNupKind, "zdmFuncSelectNup=0\r\nzdmNUPPOSTKind=3\r\n", false},
      {"layout kind missing", kOptLockNupKind, "zdmFuncSelectNup=0\r\n", false},
      {"font name equal", kOptLockHeaderFooter, "zdmHFFontName=Arial\r\n", true},
      {"font name differs", kOptLockHeaderFooter, "zdmHFFontName=Arial Black\r\n", false},
  };
  for (const Case& c : cases) {
    for (uint16_t id = kOptLockDefault; id <= kOptLockBitLast; ++id) OptSetValue(ctx, id, 0);
    OptSetValue(ctx, c.lock, 1);
    std::string keys = c.keys;
    if (c.lock == kOptLockHeaderFooter) {
      // Every other header and footer setting equal (all 0); the header text is missing, which
      // passes while the current text is empty.
      for (const char* k : {"zdmFuncSelectMargin", "zdmHFFuncSelectDate", "zdmHFDatePosi", "zdmHFDateForm",
                            "zdmHFFuncSelectPage", "zdmHFPageForm", "zdmHFFuncSelectString", "zdmHFStrPosi",
                            "zdmHFStrForm", "zdmHFFontPoint"})
        keys += std::string(k) + "=0\r\n";
    }
    PutFile(kFile, "[ZOLT Office 7000]\r\n" + keys);
    EXPECT_EQ(CfgCheckLockedValues(ctx, kFile, section.c_str(), 0), c.passes ? 1 : 0) << c.name;
  }
  // While every layout kind is locked, any kind 1-4 passes.
  for (uint16_t id = kOptLockDefault; id <= kOptLockBitLast; ++id) OptSetValue(ctx, id, 0);
  OptSetValue(ctx, kOptLockNupKind, 1);
  OptSetValue(ctx, kOptLockNupKindAll, 1);
  PutFile(kFile, "[ZOLT Office 7000]\r\nzdmFuncSelectNup=0\r\nzdmNUPPOSTKind=4\r\n");
  EXPECT_EQ(CfgCheckLockedValues(ctx, kFile, section.c_str(), 0), 1);
  PutFile(kFile, "[ZOLT Office 7000]\r\nzdmFuncSelectNup=0\r\nzdmNUPPOSTKind=5\r\n");
  EXPECT_EQ(CfgCheckLockedValues(ctx, kFile, section.c_str(), 0), 0);
}

// ---- line ends --------------------------------------------------------------------------------

TEST(CfgLinesToMultiString, LineEndsBecomeSingleNuls) {
  struct Case {
    std::u16string in, out;
  };
  const Case cases[] = {
      {u"a=1\r\nb=2\r\n", std::u16string(u"a=1\0b=2\0", 8)},
      {u"a=1\n\rb=2", std::u16string(u"a=1\0b=2", 7)},
      {u"a=1\nb=2\rc=3", std::u16string(u"a=1\0b=2\0c=3", 11)},
      {u"a\r\rb\n\nc", std::u16string(u"a\0\0b\0\0c", 7)},
      {u"\r\n\r\n", std::u16string(u"\0\0", 2)},
      {u"abc", u"abc"},
  };
  for (const Case& c : cases) {
    std::u16string text = c.in;
    const int n = CfgLinesToMultiString(text.data(), static_cast<int>(text.size()));
    EXPECT_EQ(text.substr(0, n), c.out);
  }
  EXPECT_EQ(CfgLinesToMultiString(nullptr, 4), 0);
}

// ---- the list file and the option ranges ------------------------------------------------------

TEST_F(SettingsFiles, ThePrinterConfigurationGoesToTheListFileWithProcessValuesHidden) {
  OptSetValue(ctx, kOptFontTableCount, 5);
  OptSetValue(ctx, kOptLockTray, 1);
  OptSetValue(ctx, kOptLockEnabled, 0);
  OptSetStringValue(ctx, OptFind(ctx, 1540), u"Upper");
  ctx->workArea->optionsChanged = 0;
  ASSERT_EQ(CfgWritePrnSection(nullptr, kCfgListFile, ctx), 0);  // no shared settings folder yet
  ASSERT_EQ(PathCreateSharedDir(ctx), 1);
  ASSERT_EQ(CfgWritePrnSection(nullptr, kCfgListFile, ctx), 1);

  WCHAR listPath[MAX_PATH] = {};
  ASSERT_EQ(PathInSharedDir(listPath, MAX_PATH, kListFileName, ctx), 1);
  const std::vector<std::string> lines = SectionLines(listPath, "ZOLTPrnSection");
  ASSERT_FALSE(lines.empty());
  auto has = [&](const std::string& line) { return std::count(lines.begin(), lines.end(), line) == 1; };
  EXPECT_TRUE(has("zdmFontTableNum=0"));
  EXPECT_TRUE(has("zdmLockInfoLockInfo=1"));
  EXPECT_TRUE(has("zdmLock000InfoBitTray=1"));
  EXPECT_TRUE(has("wdmPrintPostTray1Name=Upper"));
  for (const std::string& l : lines) {
    EXPECT_NE(l.rfind("zdmServerLogCode=", 0), 0u);
    EXPECT_NE(l.rfind("zdmLogCodeUse=", 0), 0u);
  }
  // The values stand as they were, with no mark of a change.
  EXPECT_EQ(OptGetValue(ctx, kOptFontTableCount, nullptr), 5);
  EXPECT_EQ(OptGetValue(ctx, kOptLockEnabled, nullptr), 0);
  EXPECT_EQ(ctx->workArea->optionsChanged, 0u);

  // A package's configuration comes back from its language section.
  const std::u16string package = u"C:\\package.rsb";
  PutFile(package, "[us]\r\nwdmPrintPostTray1Name=Lower\r\nzdmServerLogCode=3\r\n");
  EXPECT_EQ(CfgTransferPrnSection(package.c_str(), kCfgListFile | kCfgLoad, ctx), 1);
  EXPECT_EQ(Text(1540), u"Lower");
  EXPECT_EQ(OptGetValue(ctx, 10001, nullptr), 0);
}

TEST_F(SettingsFiles, TheRsdSectionOfTheListFileHoldsTheHeaderAndThePresetRows) {
  OptSetValue(ctx, 13, 7);
  ASSERT_EQ(PathCreateSharedDir(ctx), 1);
  ASSERT_EQ(CfgWriteRsdSection(printer_, nullptr, kCfgSave, ctx), 1);
  WCHAR listPath[MAX_PATH] = {};
  ASSERT_EQ(PathInSharedDir(listPath, MAX_PATH, kListFileName, ctx), 1);
  const std::vector<std::string> lines = SectionLines(listPath, "ZOLTRsdSection");
  ASSERT_GT(lines.size(), 5u);
  EXPECT_EQ(lines[0], "RstVersion=335");
  EXPECT_EQ(lines[3], "RstOSKind=2");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "dmDefaultSource=7"), 1);
  for (const RowCall& c : g_calls) EXPECT_TRUE(OptFind(ctx, c.id)->stateBits & kStatePresetMask) << c.id;
  EXPECT_EQ(std::u16string(PrnGetName(ctx)), u"ZOLT Office 7000");
}

TEST_F(SettingsFiles, TheOSKindOfAFileIsReadFromThePrinterSection) {
  PutFile(kFile, "[ZOLT Office 7000]\r\nRstOSKind=1\r\n[other]\r\nRstOSKind=2\r\n");
  EXPECT_EQ(CfgReadRstOSKind(kFile, ctx), 1);
  PutFile(kFile, "[other]\r\nRstOSKind=2\r\n");
  EXPECT_EQ(CfgReadRstOSKind(kFile, ctx), 0xFFFF);
  EXPECT_EQ(CfgReadRstOSKind(u"x.rst", ctx), 0xFFFF);
}

TEST_F(SettingsFiles, TheConfigurationSubsetCarriesAuthenticationAndLocks) {
  OptSetValue(ctx, kOptAuthMode, 1);
  OptSetValue(ctx, kOptLockMedia, 1);
  OptSetValue(ctx, 10442, 600);
  ASSERT_EQ(CfgTransferConfigSubset(kFile, kCfgSave, ctx, 10001, 10442), 1);
  EXPECT_EQ(SectionLines(kFile, kPrinterSection).front(), "zdmPrnFuncAuthenticationMode=1");
  const std::vector<std::string> lines = SectionLines(kFile, kPrinterSection);
  auto has = [&](const std::string& line) { return std::count(lines.begin(), lines.end(), line) == 1; };
  EXPECT_TRUE(has("zdmPrnFuncAuthenticationSecureMode=0"));
  EXPECT_TRUE(has("zdmLockInfoLockInfo=1"));  // any lock bit set
  EXPECT_TRUE(has("zdmLock000InfoBitMedia=1"));
  EXPECT_TRUE(has("zdmLockDstResolutionBoth=600"));
  EXPECT_EQ(lines.size(), 2u + 1u + 16u + 1u);
  EXPECT_EQ(OptGetValue(ctx, kOptLockEnabled, nullptr), 0);

  // Other transfers read and write nothing; a plain load reads only for a caller who may change
  // the printer's data.
  g_calls.clear();
  EXPECT_EQ(CfgTransferConfigSubset(kFile, kCfgQualityRows | kCfgSave, ctx, 10001, 10442), 1);
  EXPECT_EQ(CfgTransferConfigSubset(kFile, kCfgPresetRows | kCfgLoad, ctx, 10001, 10442), 1);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(CfgTransferConfigSubset(u"settings.rst", kCfgSave, ctx, 10001, 10442), 0);

  // A package's subset (list-file flag) comes from its language section.
  PutFile(kFile, "[us]\r\nzdmPrnFuncAuthenticationMode=0\r\nzdmLock000InfoBitTray=1\r\n");
  EXPECT_EQ(CfgTransferConfigSubset(kFile, kCfgListFile | kCfgLoad, ctx, 10001, 10442), 1);
  EXPECT_EQ(OptGetValue(ctx, kOptAuthMode, nullptr), 0);
  EXPECT_EQ(OptGetValue(ctx, kOptLockTray, nullptr), 1);
}

TEST_F(SettingsFiles, TheDefaultScenarioGetsTheHeaderAndThePrinterConfiguration) {
  const std::u16string driverIni = PathGetDriverIni(ctx);
  const std::u16string scenario = u"C:\\Q0000001.rsb";
  PutFile(scenario, "[us]\r\nNumDeficonfiles=0\r\n");
  PutFile(driverIni, "[us]\r\nDefaultRst=C:\\Q0000001.rsb\r\n");
  OptSetStringValue(ctx, OptFind(ctx, 1541), u"Lower");
  OptSetValue(ctx, 10001, 1);
  ASSERT_EQ(CfgWriteConfigToDefaultScenario(ctx), 1);
  const std::vector<std::string> lines = SectionLines(scenario, "us");
  ASSERT_GT(lines.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
            (std::vector<std::string>{"NumDeficonfiles=0", "RstVersion=335", "RstMachine=23", "RstLanguage=1",
                                      "RstOSKind=2"}));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "wdmPrintPostTray2Name=Lower"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "zdmServerLogCode=1"), 0);  // 10001-10003 stay out

  // Without "DefaultRst" nothing is written anywhere.
  PutFile(driverIni, "[us]\r\n");
  PutFile(scenario, "");
  EXPECT_EQ(CfgWriteConfigToDefaultScenario(ctx), 1);
  EXPECT_EQ(FileText(scenario), "");
}

// ---- whole files ------------------------------------------------------------------------------

TEST_F(SettingsFiles, AUserSettingsFileIsSavedAndLoadedInTheDriverNameSection) {
  OptSetValue(ctx, 7, 2);
  OptSetValue(ctx, 1203, 77);
  EXPECT_EQ(CfgSaveSettingsFile(printer_, kFile, 0, ctx), 1);
  const std::string driverSection = "ZOLT Office 7000 Series";
  const std::vector<std::string> lines = SectionLines(kFile, driverSection);
  ASSERT_GT(lines.size(), 4u);
  EXPECT_EQ(lines[0], "RstVersion=335");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "dmOrientation=2"), 1);
  EXPECT_EQ(std::u16string(PrnGetName(ctx)), u"ZOLT Office 7000");

  OptSetValue(ctx, 7, 1);
  OptSetValue(ctx, 1203, 5);
  OptSetValue(ctx, 730, 2);
  CfgLoadSettingsFile(printer_, kFile, 0, ctx);
  EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileOk);
  EXPECT_EQ(OptGetValue(ctx, 7, nullptr), 2);
  EXPECT_EQ(OptGetValue(ctx, 1203, nullptr), 5);  // kept across the load
  EXPECT_EQ(OptGetValue(ctx, 730, nullptr), 2);
  EXPECT_EQ(OptGetValue(ctx, 37, nullptr), -1);
  EXPECT_EQ(std::u16string(PrnGetName(ctx)), u"ZOLT Office 7000");
  for (const RowCall& c : g_calls) EXPECT_NE(c.section, u"ZOLT Office 7000") << c.id;
}

TEST_F(SettingsFiles, ARefusedFileChangesNothingAndIsReported) {
  PutFile(kFile, "[ZOLT Office 7000 Series]\r\nRstVersion=235\r\nRstMachine=23\r\nRstLanguage=1\r\n"
                 "dmOrientation=2\r\n");
  OptSetValue(ctx, 7, 1);
  OptSetValue(ctx, 6, 0x100);
  EXPECT_EQ(CfgLoadSettingsFile(printer_, kFile, 0, ctx), 1);
  EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileVersion);
  EXPECT_EQ(OptGetValue(ctx, 7, nullptr), 1);
  EXPECT_EQ(OptGetValue(ctx, 6, nullptr), 0x100);  // the follow-up keeps this system's fields
  EXPECT_EQ(std::u16string(PrnGetName(ctx)), u"ZOLT Office 7000");
}

TEST_F(SettingsFiles, TheFollowUpRunsUnlessLockedValuesRefusedTheFile) {
  // A refused header and an unreadable file still run the follow-up on the kept settings.
  PutFile(kFile, "[ZOLT Office 7000 Series]\r\nRstVersion=235\r\nRstMachine=23\r\nRstLanguage=1\r\n");
  for (const char16_t* path : {kFile, u"C:\\missing.rst"}) {
    OptSetValue(ctx, 37, 3);
    OptSetValue(ctx, 730, 3);
    OptSetValue(ctx, 6, 0);
    CfgLoadSettingsFile(printer_, path, 0, ctx);
    EXPECT_NE(CtxGetSettingsFileStatus(ctx), kSettingsFileOk);
    EXPECT_EQ(OptGetValue(ctx, 37, nullptr), -1) << std::string(path, path + 3);
    EXPECT_NE(OptGetValue(ctx, 6, nullptr) & 0x02000000, 0);
  }
  // A file that differs in a locked setting changes nothing.
  OptSetValue(ctx, 13, 7);
  ASSERT_EQ(CfgSaveSettingsFile(printer_, kFile, 0, ctx), 1);
  OptSetValue(ctx, 37, 3);
  OptSetValue(ctx, 6, 0);
  OptSetValue(ctx, kOptLockTray, 1);
  OptSetValue(ctx, 13, 1);
  EXPECT_EQ(CfgLoadSettingsFile(printer_, kFile, 0, ctx), 0);
  ASSERT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileLockMismatch);
  EXPECT_EQ(OptGetValue(ctx, 37, nullptr), 3);
  EXPECT_EQ(OptGetValue(ctx, 6, nullptr), 0);
}

TEST_F(SettingsFiles, ASaveWritesTheSectionEvenWhenARowFails) {
  CfgSetRowIo(TestReadRow, [](HANDLE printer, DriverContext* c, OptionEntry* row, const WCHAR* path,
                              IniSectionText* text, int32_t* cursor) {
    if (row->id == 7) return 0;
    return TestWriteRow(printer, c, row, path, text, cursor);
  });
  OptSetValue(ctx, 12, 4);
  EXPECT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgSave, ctx), 0);
  const std::vector<std::string> lines = SectionLines(kFile, kPrinterSection);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "dmCopies=4"), 1);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("dmOrientation=", 0) == 0; }), 0);
}

TEST_F(SettingsFiles, AFileLoadedOnANewerSystemTakesTheMediaTypeFieldOfThisOne) {
  OptSetValue(ctx, 730, 3);
  OptSetValue(ctx, 6, 0);
  EXPECT_EQ(CfgSaveSettingsFile(printer_, kFile, 0, ctx), 1);
  OptSetValue(ctx, 6, 0x02000000);
  OptSetValue(ctx, 730, 2);
  CfgLoadSettingsFile(printer_, kFile, 0, ctx);
  ASSERT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileOk);
  EXPECT_EQ(OptGetValue(ctx, 6, nullptr) & 0x02000000, 0);
  OptSetValue(ctx, 730, 3);
  CfgLoadSettingsFile(printer_, kFile, 0, ctx);
  EXPECT_NE(OptGetValue(ctx, 6, nullptr) & 0x02000000, 0);
  EXPECT_EQ(OptGetValue(ctx, 730, nullptr), 3);

  // On a system before Windows 2000 the colour matching of the file is switched off.
  OptSetValue(ctx, 27, 3);
  OptSetValue(ctx, 28, 4);
  OptSetValue(ctx, 130, 1);
  OptSetValue(ctx, 730, 1);
  ASSERT_EQ(CfgSaveSettingsFile(printer_, kFile, 0, ctx), 1);
  OptSetValue(ctx, 6, 0x03800000);
  CfgLoadSettingsFile(printer_, kFile, 0, ctx);
  ASSERT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileOk);
  EXPECT_EQ(OptGetValue(ctx, 27, nullptr), 1);
  EXPECT_EQ(OptGetValue(ctx, 28, nullptr), 1);
  EXPECT_EQ(OptGetValue(ctx, 130, nullptr), 0);
  EXPECT_EQ(static_cast<DWORD>(OptGetValue(ctx, 6, nullptr)) & 0x03800000, 0u);
  EXPECT_EQ(OptGetValue(ctx, 730, nullptr), 1);
}

TEST_F(SettingsFiles, AFileWithoutADriverSectionLoadsFromThePrinterSection) {
  PutFile(kFile, "[ZOLT Office 7000 Series]\r\ndmOrientation=1\r\n"
                 "[ZOLT Office 7000]\r\nRstVersion=335\r\nRstMachine=23\r\nRstLanguage=1\r\ndmOrientation=2\r\n");
  OptSetValue(ctx, 7, 1);
  CfgLoadSettingsFile(printer_, kFile, 0, ctx);
  EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileOk);
  EXPECT_EQ(OptGetValue(ctx, 7, nullptr), 2);
}

TEST_F(SettingsFiles, SavingAWholeFileLeavesTheSettingsAsTheyWere) {
  OptSetValue(ctx, kOptLockTray, 1);  // the lock switch is stored as 1 for the save only
  std::vector<BYTE> before(reinterpret_cast<BYTE*>(ctx->settingsImage),
                           reinterpret_cast<BYTE*>(ctx->settingsImage) + kSettingsImageSize);
  CfgSaveSettingsFile(printer_, kFile, 0, ctx);
  EXPECT_EQ(std::memcmp(before.data(), ctx->settingsImage, kSettingsImageSize), 0);
}

}  // namespace
