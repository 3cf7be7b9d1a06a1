// Settings files in the printer-interface module: a refused file and locked values that differ
// are reported to the user with the file's path, unless the caller asked for silence; a stamp
// transfer carries only the watermark rows of the option table.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "../common/option/option_image_context.h"
#include "fd_services.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_values.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "win32/hostui.h"

namespace {

std::set<uint16_t> g_written;
int RecordingWriter(HANDLE, DriverContext*, OptionEntry* row, const WCHAR*, IniSectionText*, int32_t*) {
  g_written.insert(row->id);
  return 1;
}

class SettingsFileMessages : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    zolt::host::ui::Reset();
    printer_ = OpenTestPrinter();
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateWithFlags(printer_, printer_, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    ctx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
    ASSERT_NE(ctx->settingsImage, nullptr);
    zolt::test::WriteBlockStarts(reinterpret_cast<BYTE*>(ctx->settingsImage));
    OptSetValue(ctx, kOptLanguageId, 1);
    // The English language library, which holds the messages.
    const std::u16string path = u"C:\\Windows\\ZOLT7Rus.DLL";
    zolt::test::WriteBytes(Real(path), zolt::test::ReadBytes(std::filesystem::path(ZOLT_MODULE_DIR) / "ZOLT7Rus.DLL"));
    ctx->resourceLibrary = LoadLibraryW(path.c_str());
    ASSERT_NE(ctx->resourceLibrary, nullptr);
  }
  void TearDown() override {
    CfgSetRowIo(nullptr, nullptr);
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    if (printer_) ClosePrinter(printer_);
    zolt::host::ui::Reset();
    DriverMachineTest::TearDown();
  }
  // The texts of the message boxes shown, each checked for the warning icon and the printer's
  // name as caption.
  std::vector<std::u16string> Messages() {
    std::vector<std::u16string> out;
    for (const zolt::host::ui::MessageBoxRecord& box : zolt::host::ui::MessageBoxes()) {
      EXPECT_EQ(box.caption, std::u16string(PrnGetName(ctx)));
      EXPECT_EQ(box.type, UINT(MB_ICONWARNING | MB_OK));
      out.push_back(box.text);
    }
    return out;
  }

  static constexpr const char16_t* kFile = u"C:\\settings.rst";
  HANDLE printer_ = nullptr;
  DriverContext* ctx = nullptr;
};

TEST_F(SettingsFileMessages, ARefusedFileIsNamedUnlessSilenceWasAsked) {
  zolt::test::WriteBytes(Real(kFile), "[ZOLT Office 7000]\r\nRstVersion=435\r\nRstMachine=23\r\nRstLanguage=1\r\n");
  const struct {
    DWORD flags;
    bool message;
  } cases[] = {
      {kCfgLoad | kCfgPresetRows, true},
      {kCfgLoad | kCfgPresetRows | kCfgNoMessage, false},
      {kCfgLoad | kCfgQualityRows, false},
  };
  for (const auto& c : cases) {
    zolt::host::ui::Reset();
    EXPECT_EQ(CfgTransferSettingsSection(printer_, kFile, c.flags, ctx), 1);
    EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileVersion);
    if (c.message) {
      EXPECT_EQ(Messages(),
                std::vector<std::u16string>{u"The settings file C:\\settings.rst cannot be used with this printer."});
    } else {
      EXPECT_TRUE(Messages().empty()) << c.flags;
    }
  }
}

TEST_F(SettingsFileMessages, LockedValuesThatDifferAreNamed) {
  OptSetValue(ctx, kOptLockColor, 1);
  OptSetValue(ctx, 15, 2);
  zolt::test::WriteBytes(Real(kFile),
                         "[ZOLT Office 7000]\r\nRstVersion=335\r\nRstMachine=23\r\nRstLanguage=1\r\ndmColor=1\r\n");
  EXPECT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgLoad, ctx), 0);
  EXPECT_EQ(CtxGetSettingsFileStatus(ctx), kSettingsFileLockMismatch);
  EXPECT_EQ(Messages(), std::vector<std::u16string>{u"The settings in C:\\settings.rst differ from settings locked by "
                                                   u"the administrator. The file was not loaded."});
}

TEST_F(SettingsFileMessages, AStampTransferHereLeavesOutTheTileOptions) {
  CfgSetRowIo(nullptr, RecordingWriter);
  ASSERT_EQ(CfgTransferSettingsSection(printer_, kFile, kCfgStampRows | kCfgSave, ctx), 1);
  EXPECT_TRUE(g_written.count(118));
  EXPECT_TRUE(g_written.count(967));
  for (uint16_t id = 1054; id <= 1064; ++id) EXPECT_FALSE(g_written.count(id)) << id;
  EXPECT_EQ(zolt::test::ReadBytes(Real(kFile)), "[ZOLT Office 7000]\r\nRstVersion=335\r\n");
}

}  // namespace
