// The administrator's limitations: the limitation dialog an administrator uses in printer
// properties, what a plain user then finds in printing preferences, the lock copies of
// watermarks and exported files, and the help topic of every dialog and control.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "dialog_table.h"
#include "fd_limit.h"
#include "fd_limit_ext_fixture.h"
#include "fd_file_dialogs.h"
#include "fm_modules_9_10.h"
#include "ini_file.h"
#include "option_table.h"
#include "option_values.h"
#include "preset_list.h"
#include "settings_paths.h"
#include "settings_section.h"
#include "stamp_list.h"

namespace {

using namespace zolt::test;

enum : uint16_t {
  kOptDefaultSource = 13,
  kOptPrnMethod = 209,
  kOptLockPrnMethod = 691,
  kOptLockTray = 10419,
  kOptLockResolutionBoth = 10442,
};

class Limitations : public SheetHostTest {};

// The administrator locks the paper source in printer properties; a plain user's printing
// preferences then carry the lock and the administrator's source, and show it in the dialog.
TEST_F(Limitations, AnAdministratorsLockIsSeenByAPlainUser) {
  SwitchUser("admin", true);
  int32_t lockedTray = -1;
  int result = 0;
  ASSERT_TRUE(Properties([&](DriverContext* ctx, HWND page) {
    lockedTray = OptGetValue(ctx, kOptDefaultSource, nullptr);
    result = RunDialog(ctx, page, 4031, {Click(3141), Answer(IDOK), Click(IDOK)});
    EXPECT_EQ(UiSheetState(ctx)->lockWriteRequest, 1);
  }));
  EXPECT_EQ(result, IDOK);
  ASSERT_FALSE(ui::MessageBoxes().empty());
  EXPECT_EQ(ui::MessageBoxes().back().caption, kPrinterName);
  EXPECT_EQ(ui::MessageBoxes().back().type & MB_ICONMASK, UINT(MB_ICONWARNING));

  SwitchUser("clerk", false);
  int32_t lockBit = -1, userLockedTray = -2;
  std::u16string shown, expected;
  Preferences([&](DriverContext* ctx, HWND page) {
    lockBit = OptGetValue(ctx, kOptLockTray, nullptr);
    userLockedTray = OptGetValue(ctx, kOptLockInfoTray, nullptr);
    const int32_t valueId = OptToUiValue(ctx, OptFind(ctx, kOptDefaultSource), userLockedTray);
    expected = String(ctx, DWORD(valueId));
    RunDialog(ctx, page, 4031, {}, [&](HWND modal) { shown = ui::Text(ui::FindControl(modal, 3142)); });
  });
  EXPECT_EQ(lockBit, 1);
  EXPECT_EQ(userLockedTray, lockedTray);
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(shown, expected);
}

TEST_F(Limitations, CancellingTheConfirmationKeepsTheDialogAndTheLockedResolution) {
  SwitchUser("admin", true);
  int result = 0;
  int32_t before = 0, after = 0, request = -1;
  Properties(
      [&](DriverContext* ctx, HWND page) {
        OptSetValue(ctx, kOptLockResolutionBoth, 7);
        before = OptGetValue(ctx, kOptLockInfoResolution, nullptr);
        bool stillOpen = false;
        result = RunDialog(ctx, page, 4031, {Answer(IDCANCEL), Click(IDOK)}, [&](HWND) { stillOpen = true; });
        EXPECT_TRUE(stillOpen);
        after = OptGetValue(ctx, kOptLockInfoResolution, nullptr);
        request = UiSheetState(ctx)->lockWriteRequest;
      },
      false);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(after, before);
  EXPECT_NE(after, 7);
  EXPECT_EQ(request, 0);
}

TEST_F(Limitations, EveryLayoutKindAndAClickThatChangesNothing) {
  SwitchUser("admin", true);
  std::u16string all, one;
  int unchanged = -1;
  int32_t valueAfter = -1;
  Properties(
      [&](DriverContext* ctx, HWND page) {
        RunDialog(ctx, page, 4031, {Click(3151)}, [&](HWND modal) {
          all = ui::Text(ui::FindControl(modal, 3150));
          // The box already agrees with the stored value: the click is not the dialog's.
          DialogDescriptor* dialog = OptFindDialog(ctx, 4031);
          ControlDescriptor* box = OptFindControl(ctx, dialog, 3151);
          SendMessageW(box->window, BM_SETCHECK, BST_CHECKED, 0);
          unchanged = FdLimitationDialogProc(ctx, dialog, box, WM_COMMAND, MAKEWPARAM(3151, BN_CLICKED),
                                             LPARAM(box->window));
          valueAfter = OptGetValue(ctx, kOptLockNupKindAll, nullptr);
          ui::Click(box->window);
          one = ui::Text(ui::FindControl(modal, 3150));
        });
      },
      false);
  EXPECT_NE(all.find(u"\r\n"), std::u16string::npos) << "every layout kind, one per line";
  EXPECT_EQ(all.find(u"\r\n\r\n"), std::u16string::npos);
  EXPECT_EQ(unchanged, 0);
  EXPECT_EQ(valueAfter, 1);
  EXPECT_EQ(one.find(u"\r\n"), std::u16string::npos);
}

// ---- the window-free lock copies -----------------------------------------------------------------

class LockCopies : public DriverMachineTest {
 protected:
  bool InitializesPrinter() const override { return true; }
  void SetUp() override {
    DriverMachineTest::SetUp();
    printer_ = OpenTestPrinter(PRINTER_ALL_ACCESS);
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateForPrinter(printer_, printer_, nullptr, 0x80000000u);
    ASSERT_NE(ctx, nullptr);
  }
  void TearDown() override {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    CtxPurgeCache(1);
    if (printer_) ClosePrinter(printer_);
    DriverMachineTest::TearDown();
  }
  DriverContext* ctx = nullptr;
  HANDLE printer_ = nullptr;
};

TEST_F(LockCopies, PrintMethodLockSkipsTheJobsThatAreNotKept) {
  const struct {
    int32_t method, lockedBefore, lockedAfter;
  } cases[] = {{1, 0, 1}, {3, 0, 3}, {2, 9, 9}, {5, 9, 9}, {7, 9, 9}, {0x103, 0, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.method);
    OptSetValue(ctx, kOptPrnMethod, c.method);
    OptSetValue(ctx, kOptLockPrnMethod, c.lockedBefore);
    FdSetLockPrintMethod(ctx);
    EXPECT_EQ(OptGetValue(ctx, kOptLockPrnMethod, nullptr), c.lockedAfter & 0xFF);
  }
}

TEST_F(LockCopies, ExportedPresetFilesLoseTheirLockKeysUpToIndexB) {
  const SettingsListFile list = CfgOpenSettingsList(ctx);
  ASSERT_TRUE(list.ok);
  IniWriteString(list.section, kPresetCountKey, u"12", list.file);
  ASSERT_EQ(CfgGetPresetCount(ctx), 12);
  OptSetValue(ctx, kOptLockTray, 1);
  OptSetValue(ctx, kOptLockColor, 0);
  const std::u16string section = CfgLanguageSectionName(ctx);
  ASSERT_TRUE(CreateDirectoryW(u"C:\\Export", nullptr));
  const std::u16string main = u"C:\\Export\\Q0000010.rst";
  const char16_t digits[] = u"0123456789ABC";
  for (int i = 0; i < 13; ++i) {
    std::u16string file = u"C:\\Export\\Q000001" + std::u16string(1, digits[i]) + u".rsd";
    IniWriteString(section.c_str(), u"dmDefaultSourceLock", u"7", file.c_str());
    IniWriteString(section.c_str(), u"dmColorLock", u"1", file.c_str());
  }
  FdClearPresetLockKeys(ctx, main.c_str());
  for (int i = 0; i < 13; ++i) {
    SCOPED_TRACE(i);
    std::u16string file = u"C:\\Export\\Q000001" + std::u16string(1, digits[i]) + u".rsd";
    WCHAR value[16] = {};
    IniReadString(section.c_str(), u"dmDefaultSourceLock", u"-", value, 16, file.c_str());
    EXPECT_EQ(std::u16string(value), i < 12 ? u"-" : u"7");  // the tray is locked
    IniReadString(section.c_str(), u"dmColorLock", u"-", value, 16, file.c_str());
    EXPECT_EQ(std::u16string(value), u"1");  // the colour is not
  }
}

TEST_F(LockCopies, WatermarkLockCopiesAreSavedLoadedAndCleared) {
  // Two watermarks of different kinds.
  OptSetValue(ctx, kOptWmKind, 1);
  ASSERT_EQ(CfgSaveStamp(ctx, 0), 1);
  OptSetValue(ctx, kOptWmKind, 2);
  ASSERT_EQ(CfgSaveStamp(ctx, 1), 1);
  IniWriteString(CfgLanguageSection(ctx), kStampCountKey, u"2", PathGetSettingsIni(ctx));
  ASSERT_EQ(CfgGetStampCount(ctx), 2);
  FdSaveStampLocks(ctx);
  const WCHAR* settings = PathGetSettingsIni(ctx);
  WCHAR section[kStampSectionChars];
  std::vector<std::u16string> lockSections;
  for (int n = 0; n < 2; ++n) {
    CfgStampSection(section, n, nullptr, ctx);
    lockSections.push_back(std::u16string(section) + u"Lock");
    WCHAR keys[4096] = {};
    EXPECT_GT(GetPrivateProfileSectionW(lockSections.back().c_str(), keys, 4096, settings), 0u) << n;
  }
  // The lock copy of watermark 1 brings its kind back.
  OptSetValue(ctx, kOptWmKind, 0);
  OptSetValue(ctx, kOptWmId, 0);
  FdLoadStampLock(ctx, 1);
  EXPECT_EQ(OptGetValue(ctx, kOptWmKind, nullptr), 2);
  EXPECT_EQ(OptGetUiValue(ctx, kOptWmId, nullptr), 1);
  FdClearStampLocks(ctx);
  for (const auto& s : lockSections) {
    WCHAR keys[4096] = {};
    EXPECT_EQ(GetPrivateProfileSectionW(s.c_str(), keys, 4096, settings), 0u);
  }
}

TEST_F(LockCopies, SelectedPresetNameAndCommentGoToTheLockCopies) {
  IniWriteString(CfgPrinterSection(ctx), u"PresetList3Name", u"Office", PathGetSettingsIni(ctx));
  IniWriteString(CfgPrinterSection(ctx), u"PresetList3Comment", u"Two-sided", PathGetSettingsIni(ctx));
  OptSetUiValue(ctx, 37, 119 + 3);
  FdCopyPresetToLock(ctx);
  WCHAR name[64] = {}, comment[64] = {};
  OptGetStringValue(ctx, OptFind(ctx, 948), name, 64);
  OptGetStringValue(ctx, OptFind(ctx, 949), comment, 64);
  EXPECT_EQ(std::u16string(name), u"Office");
  EXPECT_EQ(std::u16string(comment), u"Two-sided");
  OptSetUiValue(ctx, 37, 118);  // no preset
  FdCopyPresetToLock(ctx);
  OptGetStringValue(ctx, OptFind(ctx, 948), name, 64);
  EXPECT_EQ(std::u16string(name), u"");
}

// ---- help topics ----------------------------------------------------------------------------------

// Every help id a dialog or a control names opens a topic.
TEST(HelpTopicsOfDialogs, EveryDialogAndControlFindsItsTopic) {
  int controls = 0;
  std::set<std::u16string> anchors;
  for (int i = 0; i < kDialogTable.count; ++i) {
    const DialogDescriptor& d = kDialogTable.rows[i];
    SCOPED_TRACE(d.name);
    if (d.helpId) {
      EXPECT_NE(FdLookupHelpTopic(d.helpId), nullptr);
    }
    for (int j = 0; j < d.controlCount; ++j) {
      const ControlDescriptor& c = d.controls[j];
      if (!c.helpId) continue;
      ++controls;
      const WCHAR* topic = FdLookupHelpTopic(c.helpId);
      ASSERT_NE(topic, nullptr) << "control " << c.controlId << " help id " << c.helpId;
      // A topic of a control's own id is anchored at a control of that id.
      const std::u16string t = topic;
      if (t.find(u'#') != std::u16string::npos) anchors.insert(t.substr(t.find(u'#') + 1));
    }
  }
  EXPECT_GT(controls, 500);
  EXPECT_TRUE(anchors.count(u"ZPD_IDC_LIMITATION_BUTTON_DEFAULT"));
  EXPECT_EQ(std::u16string(FdLookupHelpTopic(16201)).find(u"IDH_DLG_ADVANCED_LIMITATION.htm"), 9u);
  EXPECT_EQ(std::u16string(FdLookupHelpTopic(20102)), u"zolt_rtf/IDH_TAB_PRESET.htm#ZPD_IDC_PRESET_ICONLIST");
  EXPECT_EQ(std::u16string(FdLookupHelpTopic(104)), u"zoltContext_rtf/IDH_KEY_COM_DEFAULT.htm");
  EXPECT_EQ(FdLookupHelpTopic(0), nullptr);
  EXPECT_EQ(FdLookupHelpTopic(28006), nullptr);
}

}  // namespace
