// The preset dialogs as a person uses them: the maintenance dialog moves, renames, deletes and
// imports presets, the save dialog refuses names that clash, and what was done is still there
// for the next context of the printer.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "context_services.h"
#include "driver_context.h"
#include "fd_file_dialogs.h"
#include "fd_presets.h"
#include "ini_file.h"
#include "fd_dialog_fixture.h"
#include "option_access.h"
#include "option_context_words.h"
#include "preset_list.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "sheet_engine.h"
#include "win32/comctl.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;
using Names = std::vector<std::u16string>;

constexpr uint16_t kMaintenance = 1007;
constexpr uint16_t kSaveDialog = 1032;
constexpr int kList = 2139, kDelete = 2140, kLoad = 2142, kBack = 2143, kNext = 2144, kName = 2145;
constexpr int kClose = 8;
constexpr uint16_t kOptPresetNo = 37;

class PresetDialogs : public zolt::test::FeatureDialogTest {
 protected:
  bool InitializesPrinter() const override { return true; }
  void SetUp() override {
    FeatureDialogTest::SetUp();
    UiFixUpPageTables(ctx);
    CreateDirectoryW(u"C:\\Users", nullptr);
    CreateDirectoryW(u"C:\\Users\\user", nullptr);
    CreateDirectoryW(u"C:\\Users\\user\\Documents", nullptr);
  }
  // Closes the context and makes it again, as printing preferences opened anew would.
  void Reopen() {
    Close();
    Open();
    UiFixUpPageTables(ctx);
  }

  void SetName(const std::u16string& name) {
    OptSetStringValue(ctx, OptFind(ctx, kOptPresetName), name.c_str());
    OptSetStringValue(ctx, OptFind(ctx, kOptPresetComment), (u"about " + name).c_str());
  }
  // A list of presets, each with a file of its own.
  void MakeList(const Names& names) {
    FmClearPresetList(ctx);
    for (size_t i = 0; i < names.size(); ++i) {
      WCHAR path[kPresetNewPathChars] = {};
      ASSERT_GT(CfgNewUserPresetPath(ctx, path), 0);
      // The next free number is only taken once its file exists.
      HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      CloseHandle(f);
      FmAddPresetListEntry(ctx, path, names[i].c_str(), u"");
      SetName(names[i]);
      CfgSavePreset(ctx, int(i));
    }
    ASSERT_EQ(CfgGetPresetCount(ctx), int(names.size()));
  }
  std::u16string Key(const std::u16string& key) {
    WCHAR value[1025] = {};
    IniReadString(PrnGetName(ctx), key.c_str(), u"", value, 1025, PathGetSettingsIni(ctx));
    return value;
  }
  Names ListNames() {
    Names out;
    for (int i = 0; i < CfgGetPresetCount(ctx); ++i) out.push_back(Key(u"PresetList" + Num(i) + u"Name"));
    return out;
  }
  static std::u16string Num(int i) {
    const std::string s = std::to_string(i);
    return {s.begin(), s.end()};
  }
  // The person clicks entry index of the maintenance list.
  static void ChooseEntry(HWND modal, int index) {
    HWND list = ui::FindControl(modal, kList);
    ASSERT_NE(list, nullptr);
    SendMessageW(list, LB_SETCURSEL, WPARAM(index), 0);
    SendMessageW(modal, WM_COMMAND, MAKEWPARAM(kList, LBN_SELCHANGE), LPARAM(list));
  }
  int Selected() { return OptGetValue(ctx, kOptPresetNo, nullptr); }
  int ListSelection() {
    ControlDescriptor* list = OptFindControl(ctx, OptFindDialog(ctx, kMaintenance), kList);
    return list ? OptGetControlValue(ctx, list) - 119 : -2;
  }
};

const Names kFour = {u"Standard", u"Draft", u"Booklet", u"Photo"};

// Moving and deleting in the maintenance dialog: entry 0 never moves and is never deleted,
// nothing moves onto it, a deleted entry's file stays on disk, deleting the last entry selects
// the one before it.
TEST_F(PresetDialogs, MaintenanceMovesAndDeletesEntries) {
  struct Case {
    const char* name;
    int entry;
    int button;
    int answer;  // of the delete question
    Names after;
    int selection;
  } cases[] = {
      {"next from 1", 1, kNext, 0, {u"Standard", u"Booklet", u"Draft", u"Photo"}, 2},
      {"back from 2", 2, kBack, 0, {u"Standard", u"Booklet", u"Draft", u"Photo"}, 1},
      {"back from 1", 1, kBack, 0, kFour, 1},
      {"next from 0", 0, kNext, 0, kFour, 0},
      {"next from last", 3, kNext, 0, kFour, 3},
      {"delete 2", 2, kDelete, IDOK, {u"Standard", u"Draft", u"Photo"}, 2},
      {"delete last", 3, kDelete, IDOK, {u"Standard", u"Draft", u"Booklet"}, 2},
      {"delete cancelled", 2, kDelete, IDCANCEL, kFour, 2},
      {"delete 0", 0, kDelete, IDOK, kFour, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MakeList(kFour);
    const std::u16string file = Key(u"PresetList" + Num(c.entry));
    ui::Reset();
    if (c.answer) ui::AnswerNextMessageBox(c.answer);
    ui::WhenIdle([&](HWND modal) {
      ChooseEntry(modal, c.entry);
      ui::Click(ui::FindControl(modal, c.button));
      ui::Click(ui::FindControl(modal, kClose));
    });
    UiRunSubDialog(ctx, kDialogModal, kMaintenance, nullptr);
    EXPECT_EQ(ListNames(), c.after);
    EXPECT_EQ(ListSelection(), c.selection);
    EXPECT_TRUE(FdFileExists(file.c_str()));
  }
}

// Renaming: the name typed into the maintenance dialog is the entry's name once the edit loses
// the focus; an empty name is refused and the entry keeps its name.
TEST_F(PresetDialogs, MaintenanceRenamesAndRefusesAnEmptyName) {
  struct Case {
    std::u16string typed;
    std::u16string stored;
    size_t warnings;
  } cases[] = {{u"Brochure", u"Brochure", 0}, {u"", u"Booklet", 1}};
  for (const Case& c : cases) {
    MakeList(kFour);
    ui::Reset();
    ui::WhenIdle([&](HWND modal) {
      ChooseEntry(modal, 2);
      HWND edit = ui::FindControl(modal, kName);
      ASSERT_NE(edit, nullptr);
      SetWindowTextW(edit, c.typed.c_str());
      SendMessageW(modal, WM_COMMAND, MAKEWPARAM(kName, EN_CHANGE), LPARAM(edit));
      SendMessageW(modal, WM_COMMAND, MAKEWPARAM(kName, EN_KILLFOCUS), LPARAM(edit));
      if (c.typed.empty()) {
        // The refused name is typed again.
        SetWindowTextW(edit, u"Booklet");
        SendMessageW(modal, WM_COMMAND, MAKEWPARAM(kName, EN_CHANGE), LPARAM(edit));
      }
      ui::Click(ui::FindControl(modal, kClose));
    });
    UiRunSubDialog(ctx, kDialogModal, kMaintenance, nullptr);
    EXPECT_EQ(Key(u"PresetList2Name"), c.stored);
    EXPECT_EQ(ui::MessageBoxes().size(), c.warnings);
  }
}

// Two entries with one name: closing the dialog is refused (10052), the later entry is
// selected; after it is renamed the dialog closes.
TEST_F(PresetDialogs, MaintenanceKeepsTwoEntriesFromSharingAName) {
  MakeList({u"Standard", u"Draft", u"Draft"});
  EXPECT_EQ(FdCheckDuplicatePresetName(ctx, nullptr, -1), 2);
  EXPECT_EQ(FdFindPresetByName(ctx, u"Draft", -1), 1);
  EXPECT_EQ(FdFindPresetByName(ctx, u"Draft", 2), 2);
  EXPECT_EQ(FdFindPresetByName(ctx, u"draft", -1), -1);
  int selectionAfterClose = -1;
  ui::WhenIdle([&](HWND modal) {
    ui::AnswerNextMessageBox(IDOK);  // the clash warning
    ui::Click(ui::FindControl(modal, kClose));
  });
  ui::WhenIdle([&](HWND modal) {
    selectionAfterClose = ListSelection();
    HWND edit = ui::FindControl(modal, kName);
    SetWindowTextW(edit, u"Draft 2");
    SendMessageW(modal, WM_COMMAND, MAKEWPARAM(kName, EN_CHANGE), LPARAM(edit));
    SendMessageW(modal, WM_COMMAND, MAKEWPARAM(kName, EN_KILLFOCUS), LPARAM(edit));
    ui::Click(ui::FindControl(modal, kClose));
  });
  UiRunSubDialog(ctx, kDialogModal, kMaintenance, nullptr);
  EXPECT_EQ(selectionAfterClose, 2);
  ASSERT_FALSE(ui::MessageBoxes().empty());
  EXPECT_NE(ui::MessageBoxes()[0].text.find(u"same name"), std::u16string::npos);
  EXPECT_EQ(ListNames(), (Names{u"Standard", u"Draft", u"Draft 2"}));
  EXPECT_EQ(FdCheckDuplicatePresetName(ctx, nullptr, -1), -1);
}

// The save dialog's OK: a new name is accepted as a new entry; the name of another entry asks
// (Yes overwrites it, No keeps the dialog); entry 0 and read-only files are refused, and so is a
// new name when the list is full.
TEST_F(PresetDialogs, SaveDialogRefusesClashingNames) {
  // The sheet's controls are bound before a page's save button starts the dialog; binding them
  // starts the pending word afresh, which would drop the save-as-new request.
  UiBuildPageControls(ctx, nullptr);
  struct Case {
    const char* name;
    int entries;
    std::u16string typed;
    int answer;    // of the question, 0 for none
    int result;    // of the dialog
    int presetNo;  // after OK
  } cases[] = {
      {"new name", 4, u"Fresh", 0, IDOK, 118},
      {"other entry, yes", 4, u"Booklet", IDYES, IDOK, 121},
      {"other entry, no", 4, u"Booklet", IDNO, IDCANCEL, -1},
      {"entry 0", 4, u"Standard", 0, IDCANCEL, -1},
      {"full list", 16, u"Fresh", 0, IDCANCEL, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Names names = kFour;
    while (int(names.size()) < c.entries) names.push_back(u"Extra " + Num(int(names.size())));
    MakeList(names);
    ui::Reset();
    if (c.answer) ui::AnswerNextMessageBox(c.answer);
    CtxAddPendingFlags(ctx, kPendingSaveAsNewRunning);
    int presetNoInDialog = 0;
    ui::WhenIdle([&](HWND modal) {
      presetNoInDialog = Selected();
      HWND edit = ui::FindControl(modal, 2452);
      ASSERT_NE(edit, nullptr);
      SetWindowTextW(edit, c.typed.c_str());
      SendMessageW(modal, WM_COMMAND, MAKEWPARAM(2452, EN_CHANGE), LPARAM(edit));
      SendMessageW(modal, WM_COMMAND, MAKEWPARAM(2452, EN_KILLFOCUS), LPARAM(edit));
      ui::Click(ui::FindControl(modal, IDOK));
    });
    ui::WhenIdle([&](HWND modal) { ui::Click(ui::FindControl(modal, IDCANCEL)); });
    EXPECT_EQ(UiRunSubDialog(ctx, kDialogModal, kSaveDialog, nullptr), c.result);
    EXPECT_EQ(presetNoInDialog, 118);  // save-as-new starts with no preset selected
    if (c.result == IDOK) {
      EXPECT_EQ(Selected(), c.presetNo);
    }
    EXPECT_EQ(ui::MessageBoxes().size(), c.answer || c.result == IDCANCEL ? 1u : 0u);
    EXPECT_EQ(CtxGetPendingFlags(ctx) & kPendingSaveAsNewRunning, 0u);
  }
}

// The load button of the maintenance dialog with several files chosen: each is added under the
// name its file gives, or its file name without extension; the list is still there for the next
// context of the printer.
TEST_F(PresetDialogs, LoadAddsChosenPresetFilesAndTheyStay) {
  MakeList({u"Standard", u"Draft"});
  // Preset files of our own, in a folder of their own.
  CreateDirectoryW(u"C:\\Users\\user\\Documents\\Presets", nullptr);
  const std::u16string source = Key(u"PresetList1");
  const std::u16string folder = u"C:\\Users\\user\\Documents\\Presets\\";
  for (const char16_t* file : {u"office.rst", u"user0003.rst"})
    ASSERT_TRUE(CopyFileW(source.c_str(), (folder + file).c_str(), FALSE));
  IniWriteString(PrnGetName(ctx), u"wdmPresetName", u"Office", (folder + u"office.rst").c_str());
  IniWriteString(PrnGetName(ctx), u"wdmPresetName", nullptr, (folder + u"user0003.rst").c_str());

  ui::WhenIdle([&](HWND modal) { ui::Click(ui::FindControl(modal, kLoad)); });
  ui::WhenIdle([&](HWND open) {
    HWND edit = ui::FindControl(open, 1152);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, (folder + u"*.rst").c_str());
    ui::Click(ui::FindControl(open, IDOK));  // the pattern opens the folder
  });
  ui::WhenIdle([&](HWND open) {
    HWND files = ui::FindControl(open, 1120);
    ASSERT_NE(files, nullptr);
    for (int i = 0; i < 2; ++i) SendMessageW(files, LB_SETSEL, TRUE, i);
    SetWindowTextW(ui::FindControl(open, 1152), u"office.rst user0003.rst");
    ui::Click(ui::FindControl(open, IDOK));
  });
  ui::WhenIdle([&](HWND modal) { ui::Click(ui::FindControl(modal, kClose)); });
  UiRunSubDialog(ctx, kDialogModal, kMaintenance, nullptr);
  EXPECT_EQ(ListNames(), (Names{u"Standard", u"Draft", u"Office", u"user0003"}));
  EXPECT_EQ(Key(u"PresetList2"), folder + u"office.rst");

  Reopen();
  EXPECT_EQ(ListNames(), (Names{u"Standard", u"Draft", u"Office", u"user0003"}));
  EXPECT_EQ(CfgLoadPreset(ctx, 2), 1);
  WCHAR remembered[kFdBufferChars] = {};
  EXPECT_GT(FdReadFileFolder(ctx, OptFindDialog(ctx, 4001), remembered), 0);
  EXPECT_EQ(std::u16string(remembered), u"C:\\Users\\user\\Documents\\Presets");
}

// The grey state of the maintenance buttons by the selected entry.
TEST_F(PresetDialogs, MaintenanceButtonsGreyByTheSelection) {
  MakeList(kFour);
  struct Case {
    int entry;
    bool back, next, del;
  } cases[] = {{0, false, false, false}, {1, false, true, true}, {2, true, true, true}, {3, true, false, true}};
  for (const Case& c : cases) {
    bool back = false, next = false, del = false;
    ui::WhenIdle([&](HWND modal) {
      ChooseEntry(modal, c.entry);
      UiRefreshDialog(ctx, OptFindDialog(ctx, kMaintenance), 1);
      back = IsWindowEnabled(ui::FindControl(modal, kBack));
      next = IsWindowEnabled(ui::FindControl(modal, kNext));
      del = IsWindowEnabled(ui::FindControl(modal, kDelete));
      ui::Click(ui::FindControl(modal, kClose));
    });
    UiRunSubDialog(ctx, kDialogModal, kMaintenance, nullptr);
    EXPECT_EQ(back, c.back) << c.entry;
    EXPECT_EQ(next, c.next) << c.entry;
    EXPECT_EQ(del, c.del) << c.entry;
  }
}

// Printing preferences as a person opens them: the preset combo of a page lists the presets,
// its maintenance button opens the maintenance dialog, a move there shows in the combo at once,
// and the next opening of printing preferences shows the same order.
// Disabled: the preset combo 2036 of the sheet stays empty: the sample model describes no preset
// selector item (an item added for it did not fill the combo either); the cause is not found.
TEST_F(PresetDialogs, DISABLED_PrintingPreferencesReachTheMaintenanceDialog) {
  MakeList(kFour);
  Close();
  std::u16string name = kPrinterName;
  std::vector<BYTE> dm(4096);
  auto openSheet = [&](const std::function<void(HWND)>& onPage) {
    ui::WhenIdle([&, onPage](HWND sheet) {
      HWND tabs = nullptr;
      for (HWND h = GetWindow(sheet, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        WCHAR cls[64];
        GetClassNameW(h, cls, 64);
        if (lstrcmpiW(cls, WC_TABCONTROLW) == 0) tabs = h;
      }
      ASSERT_NE(tabs, nullptr);
      for (const std::u16string& tab : ui::Items(tabs)) {
        ui::SelectItem(tabs, tab);
        HWND combo = ui::FindControl(sheet, 2036);
        if (combo && IsWindowVisible(combo)) break;
      }
      onPage(sheet);
    });
    return DocumentPropertiesW(nullptr, printer_, name.data(), reinterpret_cast<PDEVMODEW>(dm.data()), nullptr,
                               DM_OUT_BUFFER | DM_IN_PROMPT);
  };
  Names before, afterMove, reopened;
  const LONG first = openSheet([&](HWND sheet) {
    HWND combo = ui::FindControl(sheet, 2036);
    ASSERT_NE(combo, nullptr);
    before = ui::Items(combo);
    ui::WhenIdle([&](HWND maintenance) {
      ChooseEntry(maintenance, 1);
      ui::Click(ui::FindControl(maintenance, kNext));
      ui::Click(ui::FindControl(maintenance, kClose));
    });
    ui::Click(ui::FindControl(sheet, 2037));
    afterMove = ui::Items(ui::FindControl(sheet, 2036));
    ui::Click(GetDlgItem(sheet, IDOK));
  });
  EXPECT_EQ(first, IDOK);
  EXPECT_EQ(before, kFour);
  const Names moved = {u"Standard", u"Booklet", u"Draft", u"Photo"};
  EXPECT_EQ(afterMove, moved);
  const LONG second = openSheet([&](HWND sheet) {
    reopened = ui::Items(ui::FindControl(sheet, 2036));
    ui::Click(GetDlgItem(sheet, IDCANCEL));
  });
  EXPECT_EQ(second, IDCANCEL);
  EXPECT_EQ(reopened, moved);
  Open();
  UiFixUpPageTables(ctx);
}

// A settings file chosen in the open dialog that is not one of this printer's: another model's,
// another version's, a damaged one or one cut short. Each is refused with the message that names
// it, and the settings in use stay as they were.
TEST_F(PresetDialogs, AForeignOrDamagedSettingsFileIsRefusedAndNothingIsLost) {
  constexpr uint16_t kCopies = 12;  // dmCopies
  const std::u16string good = u"C:\\Users\\user\\Documents\\good.rst";
  ASSERT_EQ(OptSetValue(ctx, kCopies, 7), 1);
  ASSERT_EQ(CfgSaveSettingsFile(printer_, good.c_str(), 0, ctx), 1);
  const std::string valid = zolt::test::ReadBytes(Real(good));
  ASSERT_FALSE(valid.empty());
  // The file's first section holds its header.
  const std::string first = valid.substr(1, valid.find(']') - 1);
  const std::u16string section(first.begin(), first.end());
  struct Case {
    const char* name;
    std::function<void(const std::u16string&)> make;
  } cases[] = {
      {"another model",
       [&](const std::u16string& path) { IniWriteString(section.c_str(), u"RstMachine", u"99", path.c_str()); }},
      {"another version",
       [&](const std::u16string& path) { IniWriteString(section.c_str(), u"RstVersion", u"935", path.c_str()); }},
      {"damaged", [&](const std::u16string& path) { zolt::test::WriteBytes(Real(path), std::string("\xff\xfe\x01[[[\x00==")); }},
      {"cut short", [&](const std::u16string& path) { zolt::test::WriteBytes(Real(path), valid.substr(0, 12)); }},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string path = u"C:\\Users\\user\\Documents\\foreign" + Num(n++) + u".rst";
    ASSERT_TRUE(CopyFileW(good.c_str(), path.c_str(), FALSE));
    c.make(path);
    ASSERT_EQ(OptSetValue(ctx, kCopies, 3), 1);
    ui::Reset();
    CfgLoadSettingsFile(printer_, path.c_str(), 0, ctx);
    EXPECT_EQ(OptGetValue(ctx, kCopies, nullptr), 3);
    ASSERT_EQ(ui::MessageBoxes().size(), 1u);
    EXPECT_NE(ui::MessageBoxes()[0].text.find(path), std::u16string::npos);
    EXPECT_NE(ui::MessageBoxes()[0].text.find(u"cannot be used with this printer"), std::u16string::npos);
  }
  // The good file itself loads.
  ui::Reset();
  ASSERT_EQ(OptSetValue(ctx, kCopies, 3), 1);
  CfgLoadSettingsFile(printer_, good.c_str(), 0, ctx);
  EXPECT_EQ(OptGetValue(ctx, kCopies, nullptr), 7);
  EXPECT_TRUE(ui::MessageBoxes().empty());
}

// On a Japanese machine a loaded preset's name is listed in whole characters within the name's
// 36 bytes, never a double-byte character cut in half; a file without a name is listed by its
// file name.
class JapanesePresets : public PresetDialogs {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts facts;
    facts.ansiCodePage = 932;
    facts.oemCodePage = 932;
    facts.userLocale = 0x0411;
    return facts;
  }
};

TEST_F(JapanesePresets, LoadedNamesAreCutBetweenCharacters) {
  MakeList({u"Standard"});
  const std::u16string source = Key(u"PresetList0");
  const std::u16string folder = u"C:\\Users\\user\\Documents\\";
  std::u16string longName = u"A";
  for (int i = 0; i < 30; ++i) longName += char16_t(0x3042 + i);  // hiragana, two bytes each
  struct Case {
    const char16_t* file;
    std::u16string name;    // written into the file; empty: no name key
    std::u16string listed;
  } cases[] = {{u"long.rst", longName, longName.substr(0, 18)},  // 1 + 17 x 2 = 35 bytes
               {u"user0003.rst", u"", u"user0003"},
               {u"short.rst", u"\u304a\u6c17\u306b\u5165\u308a", u"\u304a\u6c17\u306b\u5165\u308a"}};
  for (const Case& c : cases) {
    const std::u16string path = folder + c.file;
    ASSERT_TRUE(CopyFileW(source.c_str(), path.c_str(), FALSE));
    IniWriteString(PrnGetName(ctx), u"wdmPresetName", c.name.empty() ? nullptr : c.name.c_str(), path.c_str());
    const int count = CfgGetPresetCount(ctx);
    ASSERT_EQ(FdAddPresetFile(ctx, path.c_str()), 1);
    EXPECT_EQ(Key(u"PresetList" + Num(count) + u"Name"), c.listed);
    EXPECT_EQ(Key(u"PresetList" + Num(count)), path);
  }
  // A file that is not there is not listed.
  const int count = CfgGetPresetCount(ctx);
  EXPECT_EQ(FdAddPresetFile(ctx, (folder + u"gone.rst").c_str()), 0);
  EXPECT_EQ(CfgGetPresetCount(ctx), count);
}

}  // namespace
