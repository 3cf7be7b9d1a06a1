// The file dialogs of the printer interface: the folders they remember and offer next time, the
// settings files they refuse (another printer's, another version's, a damaged one) without
// touching the current settings, and the listed settings files the delete button keeps.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "context_services.h"
#include "driver_context.h"
#include "fd_file_dialogs.h"
#include "ini_file.h"
#include "fd_dialog_fixture.h"
#include "option_access.h"
#include "preset_list.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "sheet_engine.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;

constexpr uint16_t kOpenDialog = 4001;
constexpr uint16_t kSettingsDialog = 4002;
constexpr uint16_t kSaveDialog = 4009;
constexpr uint16_t kOptPaperSize = 8;  // dmPaperSize
constexpr uint32_t kValueA4 = 41, kValueA5 = 42;
const std::u16string kDocuments = u"C:\\Users\\user\\Documents";
const std::u16string kFolder = u"C:\\Users\\user\\Documents\\Jobs";

class FileDialogs : public zolt::test::FeatureDialogTest {
 protected:
  bool InitializesPrinter() const override { return true; }
  void SetUp() override {
    FeatureDialogTest::SetUp();
    for (const char16_t* f : {u"C:\\Users", u"C:\\Users\\user", u"C:\\Users\\user\\Documents",
                              u"C:\\Users\\user\\Documents\\Jobs"})
      CreateDirectoryW(f, nullptr);
  }
  // The folder the open file dialog shows: its folder list's items up to the selection.
  static std::u16string ShownFolder(HWND dialog) {
    HWND list = ui::FindControl(dialog, 1121);
    std::u16string path;
    if (!list) return path;
    const std::vector<std::u16string> items = ui::Items(list);
    const int selected = ui::SelectedIndex(list);
    for (int i = 0; i <= selected && i < int(items.size()); ++i) {
      path += items[size_t(i)];
      if (path.back() != u'\\') path += u'\\';
    }
    if (path.size() > 3) path.pop_back();
    return path;
  }
  // Saves the current settings as a settings file through the save dialog.
  void SaveSettings(const std::u16string& path) {
    ui::WhenIdle([&](HWND modal) {
      SetWindowTextW(ui::FindControl(modal, 1152), path.c_str());
      ui::Click(ui::FindControl(modal, IDOK));
    });
    ASSERT_EQ(UiRunSubDialog(ctx, 0, kSaveDialog, nullptr), 1);
    ASSERT_TRUE(FdFileExists(path.c_str()));
  }
  std::u16string Key(const std::u16string& key) {
    WCHAR value[1025] = {};
    IniReadString(PrnGetName(ctx), key.c_str(), u"", value, 1025, PathGetSettingsIni(ctx));
    return value;
  }
};

TEST(FileDialogFolders, EachKindHasItsKey) {
  struct Case {
    uint32_t kind;
    const char16_t* key;
  } cases[] = {{kDialogFileOpen, u"OpenFilePath"},  {kDialogRstOpenSave, u"SaveFilePath"},
               {0x4400, u"RefFile2Path"},            {kDialogFileRefer, u"RefFilePath"},
               {kDialogRpoRefer, u"RporefPath"},     {kDialogFileSave, u"RstSavePath"},
               {kDialogRpoSave, nullptr},            {kDialogFileCreation, nullptr}};
  for (const Case& c : cases) {
    DialogDescriptor row{};
    row.kindFlags = c.kind;
    const WCHAR* key = FdGetFolderKey(&row);
    if (!c.key)
      EXPECT_EQ(key, nullptr) << c.kind;
    else
      EXPECT_EQ(std::u16string(key ? key : u"(none)"), c.key) << c.kind;
  }
}

// The folder of a chosen path: a drive root keeps its backslash; a kind without a key stores
// nothing.
TEST_F(FileDialogs, TheChosenFilesFolderIsRemembered) {
  struct Case {
    uint16_t dialog;
    const char16_t* path;
    const char16_t* folder;
  } cases[] = {{kOpenDialog, u"C:\\x.rst", u"C:\\"},
               {kOpenDialog, u"C:\\a\\b.rst", u"C:\\a"},
               {kSaveDialog, u"D:\\pics\\deep\\s.rst", u"D:\\pics\\deep"},
               {4007, u"C:\\a\\o.rpo", u""}};
  for (const Case& c : cases) {
    DialogDescriptor* row = OptFindDialog(ctx, c.dialog);
    ASSERT_NE(row, nullptr);
    FdRememberFileFolder(ctx, row, c.path);
    WCHAR out[kFdBufferChars] = {};
    FdReadFileFolder(ctx, row, out);
    EXPECT_EQ(std::u16string(out), c.folder) << std::u16string(c.path).size();
  }
}

// A settings file opened through the open dialog: its folder is remembered under
// "OpenFilePath", the dialog opens there next time, also for the next context of the printer,
// and the chosen path is the chosen-file record.
TEST_F(FileDialogs, TheOpenDialogOffersTheFolderChosenLastTime) {
  const std::u16string file = kFolder + u"\\mine.rst";
  SaveSettings(file);
  std::u16string firstShown;
  ui::WhenIdle([&](HWND open) {
    firstShown = ShownFolder(open);
    SetWindowTextW(ui::FindControl(open, 1152), file.c_str());
    ui::Click(ui::FindControl(open, IDOK));
  });
  ASSERT_EQ(UiRunSubDialog(ctx, 0, kOpenDialog, nullptr), 1);
  EXPECT_EQ(firstShown, kDocuments);
  EXPECT_EQ(Key(u"OpenFilePath"), kFolder);
  EXPECT_EQ(std::u16string(FdGetChosenFilePath(ctx)), file);
  EXPECT_EQ(FdGetChosenFileNameOffset(), kFolder.size() + 1);

  Close();
  Open();
  std::u16string shown;
  ui::WhenIdle([&](HWND open) {
    shown = ShownFolder(open);
    ui::Click(ui::FindControl(open, IDCANCEL));
  });
  EXPECT_EQ(UiRunSubDialog(ctx, 0, kOpenDialog, nullptr), 0);
  EXPECT_EQ(shown, kFolder);
  // A cancelled dialog remembers nothing new.
  EXPECT_EQ(Key(u"OpenFilePath"), kFolder);
}

// Settings files a person picks that are not this printer's: another model's, another
// version's, a damaged one. Each is refused with a message, the dialog stays open, and the
// current settings are as they were.
TEST_F(FileDialogs, ForeignAndDamagedSettingsFilesAreRefused) {
  OptSetUiValue(ctx, kOptPaperSize, kValueA5);
  const std::u16string good = kFolder + u"\\a5.rst";
  SaveSettings(good);
  OptSetUiValue(ctx, kOptPaperSize, kValueA4);
  const std::u16string section = PrnGetName(ctx);
  struct Case {
    const char* name;
    const char16_t* key;    // header key changed in a copy of the good file, or NULL
    const char16_t* value;
    const char* bytes;      // else the file's whole content
  } cases[] = {
      {"damaged", nullptr, nullptr, "\x01\xff[\x00garbage\r\n=\r\n[[["},
      {"empty", nullptr, nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string bad = kFolder + u"\\bad.rst";
    if (c.key) {
      ASSERT_TRUE(CopyFileW(good.c_str(), bad.c_str(), FALSE));
      IniWriteString(section.c_str(), c.key, c.value, bad.c_str());
    } else {
      zolt::test::WriteBytes(Real(bad), std::string(c.bytes, c.bytes[0] ? 17 : 0));
    }
    ui::Reset();
    bool stayedOpen = false;
    ui::WhenIdle([&](HWND open) {
      SetWindowTextW(ui::FindControl(open, 1152), bad.c_str());
      ui::Click(ui::FindControl(open, IDOK));
    });
    ui::WhenIdle([&](HWND open) {
      stayedOpen = true;
      ui::Click(ui::FindControl(open, IDCANCEL));
    });
    EXPECT_EQ(UiRunSubDialog(ctx, 0, kOpenDialog, nullptr), 0);
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(ui::MessageBoxes().empty());
    EXPECT_EQ(OptGetUiValue(ctx, kOptPaperSize, nullptr), int32_t(kValueA4));
  }
  // The good file loads through the settings-file dialog's load button.
  ui::Reset();
  ui::WhenIdle([&](HWND dialog) {
    SetWindowTextW(ui::FindControl(dialog, 1152), good.c_str());
    ui::Click(ui::FindControl(dialog, 5002));
  });
  EXPECT_EQ(UiRunSubDialog(ctx, 0, kSettingsDialog, nullptr), 1);
  EXPECT_EQ(OptGetUiValue(ctx, kOptPaperSize, nullptr), int32_t(kValueA5));
}

// The delete button keeps a settings file that the preset list names, however its path is
// written (375); a file of no list is deleted after the question.
TEST_F(FileDialogs, ListedSettingsFilesAreNotDeleted) {
  const std::u16string listed = kFolder + u"\\listed.rst";
  const std::u16string loose = kFolder + u"\\loose.rst";
  SaveSettings(listed);
  SaveSettings(loose);
  FmClearPresetList(ctx);
  FmAddPresetListEntry(ctx, listed.c_str(), u"Listed", u"");
  EXPECT_EQ(FdIsRegisteredSettingsFile(ctx, listed.c_str()), 1);
  EXPECT_EQ(FdIsRegisteredSettingsFile(ctx, u"c:\\USERS\\user\\documents\\jobs\\LISTED.RST"), 1);
  EXPECT_EQ(FdIsRegisteredSettingsFile(ctx, loose.c_str()), 0);
  // The marks are taken back.
  EXPECT_EQ(IniReadInt(u"ZOLT", u"USED", 7, listed.c_str()), 0u);

  struct Case {
    std::u16string path;
    bool deleted;
  } cases[] = {{listed, false}, {loose, true}};
  for (const Case& c : cases) {
    ui::Reset();
    ui::AnswerNextMessageBox(IDOK);
    ui::WhenIdle([&](HWND dialog) {
      SetWindowTextW(ui::FindControl(dialog, 1152), c.path.c_str());
      ui::Click(ui::FindControl(dialog, 5003));
    });
    ui::WhenIdle([&](HWND dialog) { ui::Click(ui::FindControl(dialog, IDCANCEL)); });
    UiRunSubDialog(ctx, 0, kSettingsDialog, nullptr);
    EXPECT_EQ(!FdFileExists(c.path.c_str()), c.deleted);
    ASSERT_FALSE(ui::MessageBoxes().empty());
    if (!c.deleted) {
      EXPECT_NE(ui::MessageBoxes()[0].text.find(u"preset list"), std::u16string::npos);
    }
  }
}

}  // namespace
