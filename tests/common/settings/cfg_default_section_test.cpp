// The administrator's default section of the settings file and the printer-data image
// "LockDefaultData", kept in step through save, load and refresh, on a full context of the
// test printer; and the printer information copied between settings files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "default_section.h"
#include "devmode_fields.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "settings_paths.h"

namespace {

using zolt::test::ReadBytes;
using zolt::test::WriteBytes;

constexpr uint16_t kOrientation = 7;  // dmOrientation: the model offers 1 and 2
constexpr uint16_t kCopies = 12;      // dmCopies: no model item, kept as it is
constexpr uint16_t kTray1Name = 1540;  // wdmPrintPostTray1Name: printer configuration
constexpr uint16_t kResolution = 38;   // zdmDstResolutionW: the model offers a list, 600 first

class DefaultSection : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    printer_ = OpenTestPrinter(PRINTER_ACCESS_ADMINISTER);
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateForPrinter(printer_, printer_, nullptr, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    ASSERT_NE(ctx->settingsImage, nullptr);
    ASSERT_NE(ctx->workArea->lockDefaultImage, nullptr);
    ASSERT_EQ(PathCreateSharedDir(ctx), 1);
    ini_ = PathGetSettingsIni(ctx);
    ASSERT_FALSE(ini_.empty());
    ASSERT_EQ(OptGetValue(ctx, kOrientation, nullptr), 1);
  }
  void TearDown() override {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    if (printer_) ClosePrinter(printer_);
    DriverMachineTest::TearDown();
  }

  std::vector<BYTE> Working() const {
    auto* p = reinterpret_cast<const BYTE*>(ctx->settingsImage);
    return {p, p + kSettingsImageSize};
  }
  std::vector<BYTE> LockDefault() const {
    auto* p = reinterpret_cast<const BYTE*>(ctx->workArea->lockDefaultImage);
    return {p, p + kSettingsImageSize};
  }
  // The context's image with some values changed, as a stored "LockDefaultData" would hold it.
  std::string ImageWith(std::initializer_list<std::pair<uint16_t, int32_t>> values) {
    const std::vector<BYTE> kept = Working();
    for (const auto& [id, value] : values) OptSetValue(ctx, id, value);
    const std::vector<BYTE> changed = Working();
    std::memcpy(ctx->settingsImage, kept.data(), kept.size());
    return std::string(changed.begin(), changed.end());
  }
  void PutLockDefaultData(const std::string& image) {
    ASSERT_EQ(SetPrinterDataW(printer_, const_cast<LPWSTR>(u"LockDefaultData"), REG_BINARY,
                              reinterpret_cast<LPBYTE>(const_cast<char*>(image.data())),
                              static_cast<DWORD>(image.size())),
              static_cast<DWORD>(ERROR_SUCCESS));
  }
  std::string StoredLockDefaultData() {
    std::string buffer(kSettingsImageSize + 16, '\0');
    DWORD type = 0, needed = 0;
    if (GetPrinterDataW(printer_, const_cast<LPWSTR>(u"LockDefaultData"), &type,
                        reinterpret_cast<LPBYTE>(buffer.data()), static_cast<DWORD>(buffer.size()),
                        &needed) != ERROR_SUCCESS)
      return {};
    return buffer.substr(0, needed);
  }
  // A numeric option's value inside a stored image (read through the lock-default image).
  int32_t ValueIn(const std::string& image, uint16_t id) {
    const std::vector<BYTE> kept = LockDefault();
    std::memcpy(ctx->workArea->lockDefaultImage, image.data(), kSettingsImageSize);
    const int32_t value = OptGetLockDefaultValue(ctx, id, nullptr);
    std::memcpy(ctx->workArea->lockDefaultImage, kept.data(), kept.size());
    return value;
  }
  std::string Section() {
    WCHAR name[kCtxPathChars];
    if (!CfgDefaultSectionName(ctx, name)) return {};
    WCHAR text[32768] = {};
    const DWORD n = GetPrivateProfileSectionW(name, text, 32768, ini_.c_str());
    std::string out;
    for (DWORD i = 0; i < n; ++i) out += text[i] ? static_cast<char>(text[i]) : '\n';
    return out;
  }
  std::u16string Text(uint16_t id) {
    WCHAR out[64] = {};
    OptGetStringValue(ctx, OptFind(ctx, id), out, 64);
    return out;
  }

  HANDLE printer_ = nullptr;
  DriverContext* ctx = nullptr;
  std::u16string ini_;
};

TEST_F(DefaultSection, SavedSectionLoadsBackWithThePrinterConfiguration) {
  EXPECT_EQ(CfgLoadDefaultSection(ctx), 0);  // no section yet
  OptSetValue(ctx, kCopies, 4);
  OptSetValue(ctx, kOrientation, 2);
  OptSetStringValue(ctx, OptFind(ctx, kTray1Name), u"Upper");
  ASSERT_EQ(CfgSaveDefaultSection(ctx), 1);
  const std::string section = Section();
  EXPECT_EQ(section.rfind("RstVersion=", 0), 0u) << section;
  for (const char* line : {"\nzdmMachineID=", "\ndmCopies=4\n", "\ndmOrientation=2\n", "\nwdmPrintPostTray1Name=Upper\n"})
    EXPECT_NE(section.find(line), std::string::npos) << line;
  // The first three printer-configuration options stay out, as in the list file.
  EXPECT_EQ(section.find("\nzdmLogCodeUse="), std::string::npos);

  // The section holds the font lists as 0; loading it keeps the context's own lists.
  EXPECT_NE(section.find("\nzdmFontTable=0\n"), std::string::npos);
  const int32_t fontTable = OptGetValue(ctx, kOptFontTable, nullptr);
  OptSetValue(ctx, kCopies, 9);
  OptSetValue(ctx, kOrientation, 1);
  OptSetStringValue(ctx, OptFind(ctx, kTray1Name), u"Other");
  ASSERT_EQ(CfgLoadDefaultSection(ctx), 1);
  EXPECT_EQ(OptGetValue(ctx, kCopies, nullptr), 4);
  EXPECT_EQ(OptGetValue(ctx, kOrientation, nullptr), 2);
  EXPECT_EQ(Text(kTray1Name), u"Upper");
  EXPECT_EQ(OptGetValue(ctx, kOptFontTable, nullptr), fontTable);
  // The section switch left the printer's own section name in place.
  EXPECT_EQ(std::u16string(PrnGetName(ctx)), u"ZOLT Office 7000");
}

TEST_F(DefaultSection, SectionWithoutMachineIdOrFromAnotherDriverLoadsNothing) {
  OptSetValue(ctx, kCopies, 4);
  OptSetStringValue(ctx, OptFind(ctx, kTray1Name), u"Upper");
  ASSERT_EQ(CfgSaveDefaultSection(ctx), 1);
  WCHAR name[kCtxPathChars];
  ASSERT_EQ(CfgDefaultSectionName(ctx, name), 1);
  EXPECT_EQ(std::u16string(name), u"ZOLT Office 7000.DefaultSection");
  OptSetValue(ctx, kCopies, 9);
  OptSetStringValue(ctx, OptFind(ctx, kTray1Name), u"Other");

  // Another driver's header: present, but nothing comes in, the configuration included.
  WritePrivateProfileStringW(name, u"RstVersion", u"1", ini_.c_str());
  EXPECT_EQ(CfgLoadDefaultSection(ctx), 1);
  EXPECT_EQ(OptGetValue(ctx, kCopies, nullptr), 9);
  EXPECT_EQ(Text(kTray1Name), u"Other");

  WritePrivateProfileStringW(name, u"zdmMachineID", u"", ini_.c_str());
  EXPECT_EQ(CfgLoadDefaultSection(ctx), 0);
  EXPECT_EQ(OptGetValue(ctx, kCopies, nullptr), 9);
}

TEST_F(DefaultSection, BracketsInThePrinterNameBecomeCommasInTheSectionName) {
  lstrcpynW(ctx->workArea->qualifiedPrinterName, u"Office [2F]", kCtxPathChars);
  OptSetValue(ctx, kCopies, 6);
  ASSERT_EQ(CfgSaveDefaultSection(ctx), 1);
  EXPECT_NE(ReadBytes(Real(ini_)).find("[Office ,2F,.DefaultSection]\r\n"), std::string::npos);
  OptSetValue(ctx, kCopies, 1);
  ASSERT_EQ(CfgLoadDefaultSection(ctx), 1);
  EXPECT_EQ(OptGetValue(ctx, kCopies, nullptr), 6);
  // A name that leaves no room for the suffix has no section.
  lstrcpynW(ctx->workArea->qualifiedPrinterName, std::u16string(250, u'p').c_str(), kCtxPathChars);
  EXPECT_EQ(CfgLoadDefaultSection(ctx), 0);
  EXPECT_EQ(CfgSaveDefaultSection(ctx), 0);
}

TEST_F(DefaultSection, RefreshWithoutSectionRevalidatesThePrinterDataImageAndWritesBoth) {
  PutLockDefaultData(ImageWith({{kCopies, 7}, {kResolution, 9999}}));
  const std::vector<BYTE> before = Working();
  ASSERT_EQ(CfgRefreshLockDefault(ctx), 1);
  EXPECT_EQ(Working(), before);  // the context's own settings are untouched

  // The value the model does not offer was repaired; the rest came from printer data.
  EXPECT_EQ(OptGetLockDefaultValue(ctx, kCopies, nullptr), 7);
  EXPECT_EQ(OptGetLockDefaultValue(ctx, kResolution, nullptr), 600);
  const std::string stored = StoredLockDefaultData();
  ASSERT_EQ(stored.size(), kSettingsImageSize);
  EXPECT_EQ(ValueIn(stored, kCopies), 7);
  EXPECT_EQ(ValueIn(stored, kResolution), 600);
  const std::string section = Section();
  EXPECT_NE(section.find("\ndmCopies=7\n"), std::string::npos);
  EXPECT_NE(section.find("\nzdmDstResolutionW=600\n"), std::string::npos);
}

TEST_F(DefaultSection, RefreshTakesThePresentSectionOverThePrinterData) {
  OptSetValue(ctx, kCopies, 3);
  ASSERT_EQ(CfgSaveDefaultSection(ctx), 1);
  PutLockDefaultData(ImageWith({{kCopies, 7}}));
  OptSetValue(ctx, kCopies, 5);
  const std::vector<BYTE> before = Working();
  ASSERT_EQ(CfgRefreshLockDefault(ctx), 1);
  EXPECT_EQ(Working(), before);
  EXPECT_EQ(OptGetLockDefaultValue(ctx, kCopies, nullptr), 3);
  EXPECT_EQ(ValueIn(StoredLockDefaultData(), kCopies), 3);
  EXPECT_NE(Section().find("\ndmCopies=3\n"), std::string::npos);
}

TEST_F(DefaultSection, RefreshWithNothingStoredTakesTheSettingsInForce) {
  OptSetValue(ctx, kCopies, 2);
  ASSERT_EQ(CfgRefreshLockDefault(ctx), 1);
  // Not an empty image: the settings in force, with their block layout.
  EXPECT_EQ(OptGetLockDefaultValue(ctx, kCopies, nullptr), 2);
  EXPECT_EQ(OptGetLockDefaultValue(ctx, kOrientation, nullptr), 1);
  EXPECT_EQ(ValueIn(StoredLockDefaultData(), kCopies), 2);
  EXPECT_NE(Section().find("\ndmCopies=2\n"), std::string::npos);
}

// ---- printer information ------------------------------------------------------------------------

class PrinterInformation : public zolt::test::MachineTest {};

TEST_F(PrinterInformation, CopiedWholeAndEmptyWhenMissing) {
  const std::u16string source = u"C:\\source.ini", destination = u"C:\\dest.ini";
  const std::string longText(400, 'x');
  WriteBytes(Real(source), "[PrinterInformation]\r\nORVEXINFO=" + longText + "\r\n");
  WriteBytes(Real(destination), "[Other]\r\nA=1\r\n");
  ASSERT_EQ(CfgCopyPrinterInformation(nullptr, destination.c_str(), source.c_str()), 1);
  EXPECT_EQ(ReadBytes(Real(destination)), "[Other]\r\nA=1\r\n[PrinterInformation]\r\nORVEXINFO=" + longText + "\r\n");

  WriteBytes(Real(source), "[Other]\r\n");
  ASSERT_EQ(CfgCopyPrinterInformation(nullptr, destination.c_str(), source.c_str()), 1);
  EXPECT_EQ(ReadBytes(Real(destination)), "[Other]\r\nA=1\r\n[PrinterInformation]\r\nORVEXINFO=\r\n");
  EXPECT_EQ(CfgCopyPrinterInformation(nullptr, nullptr, source.c_str()), 0);
}

}  // namespace
