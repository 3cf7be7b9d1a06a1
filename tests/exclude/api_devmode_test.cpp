// Device modes handed to callers and taken from them, and the quality data saved and restored.
#include <array>

#include "api_fixture.h"
#include "api_options.h"
#include "api_support.h"
#include "fm_modules_5_8.h"

namespace {

using zolt::test::ApiTest;

using DevmodeTest = zolt::test::OpenApiTest;

constexpr size_t kDm = 1236;

TEST_F(DevmodeTest, FlagsChooseTheSource) {
  std::array<BYTE, kDm + 16> out{};
  out.fill(0x77);
  auto* dm = reinterpret_cast<DEVMODEW*>(out.data());
  EXPECT_EQ(ZOLTDrvGetDevmode(ctx_, 0, dm), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrNoFlag);
  for (BYTE b : out) ASSERT_EQ(b, 0x77);  // untouched

  for (uint32_t flags : {1u, 2u, 3u, 4u, 0x14u}) {
    EXPECT_EQ(ZOLTDrvGetDevmode(ctx_, flags, nullptr), static_cast<int32_t>(kDm)) << flags;
    out.fill(0x77);
    EXPECT_EQ(ZOLTDrvGetDevmode(ctx_, flags, dm), static_cast<int32_t>(kDm)) << flags;
    EXPECT_EQ(dm->dmSize, 220);
    EXPECT_EQ(dm->dmDriverExtra, 1016);
    EXPECT_EQ(std::memcmp(out.data(), ctx_->settingsImage, kDm), 0);
    for (size_t i = kDm; i < out.size(); ++i) ASSERT_EQ(out[i], 0x77);
  }
}

TEST_F(DevmodeTest, DefaultsUndoAChangedStatus) {
  StatusRecord r = Get(ctx_, 6);
  const int32_t original = r.value;
  r.value = original == 1 ? 2 : 1;
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 6, &r, nullptr, 0), 0);
  std::array<BYTE, kDm> out{};
  ASSERT_EQ(ZOLTDrvGetDevmode(ctx_, 4, reinterpret_cast<DEVMODEW*>(out.data())), static_cast<int32_t>(kDm));
  EXPECT_EQ(reinterpret_cast<DEVMODEW*>(out.data())->dmOrientation, r.value);
  ASSERT_EQ(ZOLTDrvGetDevmode(ctx_, 1, reinterpret_cast<DEVMODEW*>(out.data())), static_cast<int32_t>(kDm));
  EXPECT_EQ(Get(ctx_, 6).value, original);
}

TEST_F(DevmodeTest, ValidationTakesTheCallersDeviceMode) {
  std::array<BYTE, kDm> mine{};
  ASSERT_EQ(ZOLTDrvGetDevmode(ctx_, 4, reinterpret_cast<DEVMODEW*>(mine.data())), static_cast<int32_t>(kDm));
  std::array<BYTE, kDm> out{};
  auto* outDm = reinterpret_cast<DEVMODEW*>(out.data());

  EXPECT_EQ(ZOLTDrvGetDevmodeEx(ctx_, 8 | 0x10, outDm, reinterpret_cast<DEVMODEW*>(mine.data()), nullptr), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrNoFlag);
  EXPECT_EQ(ZOLTDrvGetDevmodeEx(ctx_, 8, outDm, nullptr, nullptr), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrNoRecord);

  // A landscape device mode of the caller comes back validated and landscape.
  auto* in = reinterpret_cast<DEVMODEW*>(mine.data());
  in->dmOrientation = 2;
  in->dmFields |= 0x1;
  ASSERT_EQ(ZOLTDrvGetDevmodeEx(ctx_, 8, outDm, in, nullptr), static_cast<int32_t>(kDm));
  EXPECT_EQ(outDm->dmOrientation, 2);

  // Public parts of every size the platform has known, and damaged records: always a complete
  // device mode of this driver comes back.
  struct Case {
    WORD size;
    WORD extra;
    WORD specVersion;
  } cases[] = {{220, 1016, 0x401}, {188, 1016, 0x320}, {220, 0, 0x401}, {156, 0, 0x400},
               {0, 0, 0}, {0xFFFF, 0xFFFF, 0x401}, {220, 1016, 0x9999}};
  for (const Case& c : cases) {
    std::array<BYTE, 4 * kDm> damaged{};
    std::memcpy(damaged.data(), mine.data(), kDm);
    auto* d = reinterpret_cast<DEVMODEW*>(damaged.data());
    d->dmSize = c.size;
    d->dmDriverExtra = c.extra;
    d->dmSpecVersion = c.specVersion;
    out.fill(0);
    EXPECT_EQ(ZOLTDrvGetDevmodeEx(ctx_, 8, outDm, d, nullptr), static_cast<int32_t>(kDm)) << c.size << "/" << c.extra;
    EXPECT_EQ(outDm->dmSize, 220);
    EXPECT_EQ(outDm->dmDriverExtra, 1016);
  }
  // Any source flag goes to the plain call and ignores the input.
  EXPECT_EQ(ZOLTDrvGetDevmodeEx(ctx_, 9, outDm, nullptr, nullptr), static_cast<int32_t>(kDm));
}

TEST_F(DevmodeTest, QualityDataComesBackAsSaved) {
  const int32_t planes = OptGetValue(ctx_, kApiOptPlaneCyan, nullptr);
  const int32_t balance = OptGetValue(ctx_, kApiOptBalanceMacro, nullptr);
  OptSetValue(ctx_, kApiOptBalanceMacro, balance + 3);
  EXPECT_EQ(ZOLTDrvRestoreQualityData(ctx_), 1);  // the state at enable time
  EXPECT_EQ(OptGetValue(ctx_, kApiOptBalanceMacro, nullptr), balance);
  EXPECT_EQ(OptGetValue(ctx_, kApiOptPlaneCyan, nullptr), planes);

  OptSetValue(ctx_, kApiOptBalanceMacro, balance + 5);
  EXPECT_EQ(ZOLTDrvSaveQualityData(ctx_), 1);
  OptSetValue(ctx_, kApiOptBalanceMacro, balance);
  EXPECT_EQ(ZOLTDrvRestoreQualityData(ctx_), 1);
  EXPECT_EQ(OptGetValue(ctx_, kApiOptBalanceMacro, nullptr), balance + 5);
}

TEST(ApiTexts, NamesPathsAndFileNames) {
  struct Case {
    const char* text;
    int name;  // ApiIsValidNameChars without backslash
    int path;  // ApiIsValidPathChars
    int rpo;   // ApiIsValidRpoFileName
  } cases[] = {
      {"C:\\data\\Menu.RPO", 0, 1, 1},
      {"C:\\data\\menu.rpo", 0, 1, 1},
      {"menu.rpo", 1, 1, 1},
      {"C:\\data\\me*nu.rpo", 0, 0, 0},
      {"C:\\data\\", 0, 1, 0},
      {"C:\\data\\menu.rst", 0, 1, 0},
      {"C:\\data\\menu", 0, 1, 0},
      {"C:\\da:ta\\menu.rpo", 0, 0, 0},
      {"a|b", 0, 0, 0},
      {"plain name", 1, 1, 0},
      {"", 1, 1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ApiIsValidNameChars(c.text, 0), c.name) << c.text;
    EXPECT_EQ(ApiIsValidPathChars(c.text), c.path) << c.text;
    EXPECT_EQ(ApiIsValidRpoFileName(c.text), c.rpo) << c.text;
  }
  EXPECT_EQ(ApiIsValidNameChars(nullptr, 1), 0);
  EXPECT_EQ(ApiIsValidRpoFileName(nullptr), 0);
  EXPECT_EQ(ApiIsAbsolutePath(u"C:\\x"), 1);
  EXPECT_EQ(ApiIsAbsolutePath(u"\\\\server\\x"), 1);
  EXPECT_EQ(ApiIsAbsolutePath(u"x\\y"), 0);
  EXPECT_EQ(ApiIsAbsolutePath(u"C"), 0);
  int length = -1;
  EXPECT_STREQ(ApiFileExtension("C:\\a.b\\name", &length), "C:\\a.b\\name");
  EXPECT_EQ(length, 0);
  EXPECT_STREQ(ApiFileExtension("C:\\a.b\\name.txt", &length), "txt");
  EXPECT_EQ(length, 3);
  EXPECT_STREQ(ApiFileNamePart("nofolder"), "nofolder");
  for (int k : {0, 4, -1}) EXPECT_EQ(ApiIsValidKind(k), 0);
  for (int k : {1, 2, 3}) EXPECT_EQ(ApiIsValidKind(k), 1);
}

class JapaneseMachineTest : public zolt::test::MachineTest {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts facts;
    facts.ansiCodePage = 932;
    return facts;
  }
};

TEST_F(JapaneseMachineTest, DoubleByteTrailBytesAreNotCharacters) {
  // The trail byte of a double-byte character may be '\' (0x5C) or '|' (0x7C).
  const char sjis[] = "C:\\\x83\x5C\x83\x7C.rpo";
  EXPECT_EQ(ApiTextHasChar(sjis + 3, '\\'), 0);
  EXPECT_EQ(ApiIsValidNameChars(sjis + 3, 0), 1);
  EXPECT_EQ(ApiIsValidRpoFileName(sjis), 1);
  EXPECT_STREQ(ApiFileNamePart(sjis), sjis + 3);
  EXPECT_EQ(ApiTextHasChar("a\\b", '\\'), 1);
}

TEST_F(DevmodeTest, UnknownChapterRequestIsNotHandled) { EXPECT_EQ(ApiChapterService(ctx_, 7, nullptr), 0); }

}  // namespace

namespace {

using ChapterTest = zolt::test::OpenApiTest;

struct InsertRecord {
  int32_t first, unused, last, answer;
};

std::vector<int> Pages(DriverContext* ctx) {
  std::vector<int> pages;
  for (int i = 0; i < OptGetValue(ctx, kApiOptChapterNum, nullptr); ++i) pages.push_back(ctx->workArea->chapterList[i].page);
  return pages;
}

TEST_F(ChapterTest, ChapterListEditedWithoutItsDialog) {
  OptSetValue(ctx_, kApiOptChapterMax, 4);
  OptSetValue(ctx_, 1018, 2);  // trays the device has for chapter sheets
  OptSetValue(ctx_, 1026, 2);
  struct Case {
    int32_t kind;  // 3 range entries, 0 plain chapter sheets
    int32_t first, last;
    int32_t answer;
    std::vector<int> pages;
  } cases[] = {
      {3, 10, 12, 0, {10}},
      {3, 5, 0, 0, {5, 10}},
      {0, 11, 0, 1, {5, 10}},       // inside the range 10-12
      {3, 9, 13, 1, {5, 10}},       // encloses it
      {0, 5, 0, 1, {5, 10}},        // the page of a range entry
      {0, 20, 0, 0, {5, 10, 20}},
      {0, 20, 0, 0, {5, 10, 20}},   // the same page replaces its entry
      {0, 1, 0, 0, {1, 5, 10, 20}},
      {0, 30, 0, 1, {1, 5, 10, 20}},  // the list is full
      {0, 0, 0, 1, {1, 5, 10, 20}},
      {0, 40000, 0, 1, {1, 5, 10, 20}},
  };
  for (const Case& c : cases) {
    OptSetValue(ctx_, 1025, c.kind);
    InsertRecord r{c.first, 0, c.last, -1};
    EXPECT_EQ(ApiChapterService(ctx_, 2, &r), 1);
    EXPECT_EQ(r.answer, c.answer) << c.first;
    EXPECT_EQ(Pages(ctx_), c.pages) << c.first;
  }
  EXPECT_EQ(std::u16string(ctx_->workArea->chapterList[2].pageRange), u"10-12");

  int32_t remove[2] = {1, -1};
  EXPECT_EQ(ApiChapterService(ctx_, 3, remove), 1);
  EXPECT_EQ(remove[1], 0);
  EXPECT_EQ(Pages(ctx_), (std::vector<int>{1, 10, 20}));
  remove[0] = 7;
  EXPECT_EQ(ApiChapterService(ctx_, 3, remove), 1);
  EXPECT_EQ(remove[1], 1);
  int32_t cleared = -1;
  EXPECT_EQ(ApiChapterService(ctx_, 4, &cleared), 1);
  EXPECT_EQ(cleared, 0);
  EXPECT_TRUE(Pages(ctx_).empty());
}

}  // namespace

namespace {

// Flag 0x20 reads the print-notification capabilities from interface version 10 on, with every
// source flag.
TEST_F(ApiTest, NotificationFlagFromVersionTen) {
  WCHAR dir[MAX_PATH] = {};
  GetSystemDirectoryW(dir, MAX_PATH);
  const std::u16string system = std::u16string(dir) + u"\\";
  std::error_code ec;
  std::filesystem::copy_file(std::filesystem::path(ZOLT_MODULE_DIR) / "QVPNInf.dll", Real(system + u"QVPNInf.dll"),
                             std::filesystem::copy_options::overwrite_existing, ec);
  ASSERT_FALSE(ec) << ec.message();
  zolt::test::WriteBytes(Real(system + u"QVPNInf.ini"), "[ZOLT Office 7000]\r\nCapability=3\r\nValue=0\r\n");
  SetIniVersion(u"22");
  struct Case {
    int32_t version;
    uint32_t flags;
    int32_t want;  // zdmSupportFunc2SelectJobComplete afterwards
  } cases[] = {{9, 0x24, 0}, {10, 0x24, 1}, {10, 0x04, 0}, {10, 0x21, 1}, {10, 0x22, 1}};
  for (const Case& c : cases) {
    DriverContext* ctx = Open(zolt::test::kApiPrinter, c.version);
    ASSERT_NE(ctx, nullptr);
    OptSetValue(ctx, 564, 0);
    OptSetValue(ctx, 565, 0);
    EXPECT_EQ(ZOLTDrvGetDevmode(ctx, c.flags, nullptr), 1236);
    EXPECT_EQ(OptGetValue(ctx, 564, nullptr), c.want) << c.version << " " << c.flags;
    EXPECT_EQ(OptGetValue(ctx, 565, nullptr), c.want) << c.version << " " << c.flags;
    Close(ctx);
  }
}

}  // namespace
