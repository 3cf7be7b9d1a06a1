// The file dialogs and the folder chooser over the machine's files, driven as a user would:
// filters, folders, the flags that check and prompt, results and their offsets, old-style hooks
// and templates, explorer-style hooks with their notifications.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "testmod.h"  // before the platform's headers, which define IDC_HAND only when it is not
#include "test_module.h"
#include "win32/commdlg.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace fs = std::filesystem;
namespace ui = zolt::host::ui;

namespace {

const char16_t kFilter[] = u"Text files\0*.txt\0Everything\0*.*\0";

class FileDialogTest : public zolt::test::TestModuleTest {
 protected:
  void SetUp() override {
    TestModuleTest::SetUp();
    for (const char* name : {"Data/a.txt", "Data/B.txt", "Data/c.log", "Data/Docs/inner.txt"}) {
      fs::path p = Root() / "drive_c" / name;
      fs::create_directories(p.parent_path());
      std::ofstream(p) << "x";
    }
    ofn_.lStructSize = sizeof ofn_;
    ofn_.lpstrFilter = kFilter;
    ofn_.nFilterIndex = 1;
    ofn_.lpstrFile = file_;
    ofn_.nMaxFile = 1025;
    ofn_.lpstrInitialDir = u"C:\\Data";
    ofn_.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  }
  static HWND Item(HWND dlg, int id) { return GetDlgItem(dlg, id); }
  std::u16string File() const { return std::u16string(file_); }

  OPENFILENAMEW ofn_{};
  WCHAR file_[1025] = {};
};

TEST_F(FileDialogTest, ChoosingAFileOfTheMachineThroughTheTypesAndFolders) {
  std::vector<std::u16string> shown, all, folders, inner;
  std::u16string current;
  ui::WhenIdle([&](HWND dlg) {
    shown = ui::Items(Item(dlg, lst1));
    ui::SelectItem(Item(dlg, cmb1), u"Everything");
    all = ui::Items(Item(dlg, lst1));
    ui::Type(Item(dlg, edt1), u"Docs");
    ui::Click(Item(dlg, IDOK));  // a folder's name opens it
    current = ui::Text(Item(dlg, stc1));
    folders = ui::Items(Item(dlg, lst2));
    inner = ui::Items(Item(dlg, lst1));
    ui::SelectItem(Item(dlg, lst1), u"inner.txt");
    ui::Click(Item(dlg, IDOK));
  });
  ASSERT_TRUE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(shown, (std::vector<std::u16string>{u"a.txt", u"B.txt"}));
  EXPECT_EQ(all, (std::vector<std::u16string>{u"a.txt", u"B.txt", u"c.log"}));
  EXPECT_EQ(current, u"C:\\Data\\Docs");
  EXPECT_EQ(folders, (std::vector<std::u16string>{u"C:\\", u"Data", u"Docs"}));
  EXPECT_EQ(inner, std::vector<std::u16string>{u"inner.txt"});
  EXPECT_EQ(File(), u"C:\\Data\\Docs\\inner.txt");
  EXPECT_EQ(ofn_.nFileOffset, 13);
  EXPECT_EQ(ofn_.nFileExtension, 19);
  EXPECT_EQ(ofn_.nFilterIndex, 2u);
  WCHAR cwd[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, cwd);
  EXPECT_EQ(std::u16string(cwd), u"C:\\Data\\Docs");  // without OFN_NOCHANGEDIR
}

TEST_F(FileDialogTest, ChecksAndPromptsOfTheFlags) {
  struct Case {
    bool save;
    DWORD flags;
    const char16_t* typed;
    int answer;  // the answer to the message box, 0 for none expected
    BOOL result;
    const char16_t* file;
    const char16_t* boxText;
  } cases[] = {
      {false, OFN_FILEMUSTEXIST, u"missing.txt", IDOK, FALSE, u"", u"missing.txt\nFile not found.\nCheck the file name and try again."},
      {false, OFN_CREATEPROMPT, u"new.txt", IDYES, TRUE, u"C:\\Data\\new.txt", u"new.txt\nThis file does not exist.\nDo you want to create it?"},
      {true, OFN_OVERWRITEPROMPT, u"a", IDNO, FALSE, u"", u"a.txt already exists.\nDo you want to replace it?"},
      {true, OFN_OVERWRITEPROMPT, u"a", IDYES, TRUE, u"C:\\Data\\a.txt", u"a.txt already exists.\nDo you want to replace it?"},
      {true, OFN_OVERWRITEPROMPT, u"fresh", 0, TRUE, u"C:\\Data\\fresh.txt", nullptr},
      {false, OFN_PATHMUSTEXIST, u"Nowhere\\x.txt", IDOK, FALSE, u"", u"Nowhere\\x.txt\nPath does not exist.\nCheck the path and try again."},
      {false, 0, u"b.TXT", 0, TRUE, u"C:\\Data\\b.TXT", nullptr},
  };
  for (const Case& c : cases) {
    ui::Reset();
    file_[0] = 0;
    ofn_.Flags = OFN_HIDEREADONLY | c.flags;
    ofn_.lpstrDefExt = u"txt";
    ui::WhenIdle([&](HWND dlg) {
      if (c.answer) ui::AnswerNextMessageBox(c.answer);
      ui::Type(Item(dlg, edt1), c.typed);
      ui::Click(Item(dlg, IDOK));
    });
    // What stays open is cancelled when nothing more is scripted.
    BOOL r = c.save ? GetSaveFileNameW(&ofn_) : GetOpenFileNameW(&ofn_);
    EXPECT_EQ(r, c.result) << std::string(c.typed, c.typed + 3);
    if (c.result) {
      EXPECT_EQ(File(), c.file);
    }
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    auto boxes = ui::MessageBoxes();
    if (c.boxText) {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].text, c.boxText);
    } else {
      EXPECT_TRUE(boxes.empty());
    }
  }
}

TEST_F(FileDialogTest, BadRecordsAndASmallBufferAreReported) {
  OPENFILENAMEW bad = ofn_;
  bad.lStructSize = 12;
  EXPECT_FALSE(GetOpenFileNameW(&bad));
  EXPECT_EQ(CommDlgExtendedError(), DWORD(CDERR_STRUCTSIZE));
  bad = ofn_;
  bad.lpstrFile = nullptr;
  EXPECT_FALSE(GetOpenFileNameW(&bad));
  EXPECT_EQ(CommDlgExtendedError(), DWORD(CDERR_INITIALIZATION));
  bad = ofn_;
  bad.Flags |= OFN_ENABLETEMPLATE;
  bad.hInstance = module_;
  bad.lpTemplateName = MAKEINTRESOURCEW(4242);
  EXPECT_FALSE(GetOpenFileNameW(&bad));
  EXPECT_EQ(CommDlgExtendedError(), DWORD(CDERR_FINDRESFAILURE));

  ofn_.nMaxFile = 8;
  ui::WhenIdle([&](HWND dlg) {
    ui::Type(Item(dlg, edt1), u"a.txt");
    ui::Click(Item(dlg, IDOK));
  });
  EXPECT_FALSE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(CommDlgExtendedError(), DWORD(FNERR_BUFFERTOOSMALL));
  EXPECT_EQ(file_[0], 14);  // "C:\Data\a.txt" and its terminator
}

UINT g_fileOk = 0;
std::vector<UINT> g_hookSeen;
int g_refusals = 0;

UINT_PTR CALLBACK OldHook(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    EXPECT_EQ(reinterpret_cast<OPENFILENAMEW*>(lParam)->lCustData, 77);
    SetDlgItemTextW(dlg, edt1, u"*.log");
    g_hookSeen.push_back(msg);
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == 5001) {
    // The template's own button: the hook applies a pattern through the dialog's OK.
    g_hookSeen.push_back(5001);
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    return TRUE;
  }
  if (msg == g_fileOk) {
    g_hookSeen.push_back(msg);
    return g_refusals-- > 0;  // the first name is refused
  }
  return FALSE;
}

TEST_F(FileDialogTest, OldStyleTemplateAndHookSeeEveryMessageFirst) {
  g_fileOk = RegisterWindowMessageW(FILEOKSTRINGW);
  EXPECT_EQ(g_fileOk, RegisterWindowMessageW(u"COMMDLG_FILENAMEOK"));
  g_hookSeen.clear();
  g_refusals = 1;
  ofn_.Flags |= OFN_ENABLETEMPLATE | OFN_ENABLEHOOK;
  ofn_.hInstance = module_;
  ofn_.lpTemplateName = MAKEINTRESOURCEW(IDD_FILEOPEN);
  ofn_.lpfnHook = OldHook;
  ofn_.lCustData = 77;
  std::vector<std::u16string> logs;
  ui::WhenIdle([&](HWND dlg) {
    EXPECT_EQ(ui::Text(dlg), u"Open");
    ui::Click(Item(dlg, 5001));
    logs = ui::Items(Item(dlg, lst1));
    ui::SelectItem(Item(dlg, lst1), u"c.log");
    ui::Click(Item(dlg, IDOK));  // refused by the hook
    ui::Click(Item(dlg, IDOK));
  });
  ASSERT_TRUE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(logs, std::vector<std::u16string>{u"c.log"});
  EXPECT_EQ(File(), u"C:\\Data\\c.log");
  EXPECT_EQ(g_hookSeen, (std::vector<UINT>{WM_INITDIALOG, 5001, g_fileOk, g_fileOk}));
}

std::vector<UINT> g_notes;

UINT_PTR CALLBACK ExplorerHook(HWND child, UINT msg, WPARAM, LPARAM lParam) {
  if (msg != WM_NOTIFY) return msg == WM_INITDIALOG;
  auto* n = reinterpret_cast<OFNOTIFYW*>(lParam);
  g_notes.push_back(n->hdr.code);
  if (n->hdr.code == CDN_FILEOK) {
    WCHAR folder[MAX_PATH];
    SendMessageW(GetParent(child), CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
    EXPECT_EQ(std::u16string(folder), u"C:\\Data");
    SetWindowLongPtrW(child, DWLP_MSGRESULT, g_refusals-- > 0);
    return TRUE;
  }
  return FALSE;
}

TEST_F(FileDialogTest, ExplorerStyleHookHearsTheNotificationsAndMayRefuse) {
  g_notes.clear();
  g_refusals = 1;
  ofn_.Flags |= OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ALLOWMULTISELECT;
  ofn_.lpfnHook = ExplorerHook;
  ui::WhenIdle([&](HWND dlg) {
    ui::SelectItem(Item(dlg, cmb1), u"Everything");
    ui::SelectItem(Item(dlg, lst1), u"a.txt");
    ui::Click(Item(dlg, IDOK));
    ui::Click(Item(dlg, IDOK));
  });
  ASSERT_TRUE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(File(), u"C:\\Data\\a.txt");
  EXPECT_EQ(g_notes, (std::vector<UINT>{CDN_INITDONE, CDN_TYPECHANGE, CDN_SELCHANGE, CDN_FILEOK, CDN_FILEOK}));
}

BOOL(WINAPI* g_pathFromIdList)(PCIDLIST_ABSOLUTE, LPWSTR) = nullptr;

int CALLBACK BrowseCallback(HWND dlg, UINT msg, LPARAM lParam, LPARAM data) {
  auto* seen = reinterpret_cast<std::vector<std::u16string>*>(data);
  if (msg == BFFM_INITIALIZED) {
    seen->push_back(u"init");
    SendMessageW(dlg, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(u"C:\\Data"));
  } else if (msg == BFFM_SELCHANGED) {
    WCHAR path[MAX_PATH];
    g_pathFromIdList(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path);
    seen->push_back(path);
  }
  return 0;
}

TEST_F(FileDialogTest, FolderChooserOpensTheTreeToTheChosenFolder) {
  HMODULE shell = LoadLibraryW(u"shell32.dll");
  ASSERT_NE(shell, nullptr);
  auto browse = reinterpret_cast<PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOW)>(
      reinterpret_cast<void (*)()>(GetProcAddress(shell, "SHBrowseForFolderW")));
  ASSERT_NE(browse, nullptr);
  g_pathFromIdList = reinterpret_cast<BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR)>(
      reinterpret_cast<void (*)()>(GetProcAddress(shell, "SHGetPathFromIDListW")));
  ASSERT_NE(g_pathFromIdList, nullptr);
  std::vector<std::u16string> seen;
  WCHAR name[MAX_PATH] = {};
  BROWSEINFOW bi{};
  bi.lpszTitle = u"Where do the files go?";
  bi.pszDisplayName = name;
  bi.lpfn = BrowseCallback;
  bi.lParam = reinterpret_cast<LPARAM>(&seen);
  ui::WhenIdle([&](HWND dlg) {
    EXPECT_EQ(ui::Text(dlg), u"Browse for Folder");
    HWND tree = GetDlgItem(dlg, IDC_BROWSE_TREE);
    EXPECT_EQ(ui::SelectedText(tree), u"Data");
    ui::SelectItem(tree, u"Docs");
    ui::Click(GetDlgItem(dlg, IDOK));
  });
  PIDLIST_ABSOLUTE pidl = browse(&bi);
  ASSERT_NE(pidl, nullptr);
  WCHAR path[MAX_PATH];
  ASSERT_TRUE(g_pathFromIdList(pidl, path));
  EXPECT_EQ(std::u16string(path), u"C:\\Data\\Docs");
  EXPECT_EQ(std::u16string(name), u"Docs");
  CoTaskMemFree(pidl);
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(seen.front(), u"init");
  EXPECT_EQ(seen.back(), u"C:\\Data\\Docs");

  ui::Reset();
  EXPECT_EQ(browse(&bi), nullptr);  // cancelled
  FreeLibrary(shell);
}

}  // namespace
