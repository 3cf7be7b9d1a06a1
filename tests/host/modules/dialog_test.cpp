// Dialogs built from a module's templates and driven by keyboard and mouse; message boxes;
// property sheets applying, refusing a page and cancelling; the common property-sheet host.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "machine_fixture.h"
#include "png_image.h"
#include "testmod.h"  // before the platform's headers, which define IDC_HAND only when it is not
#include "test_module.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace fs = std::filesystem;
namespace ui = zolt::host::ui;

namespace {

struct Seen {
  UINT msg;
  int id;
  int code;
};
std::vector<Seen> g_seen;
INT_PTR g_initParam = 0;

INT_PTR CALLBACK TestDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      g_initParam = lParam;
      g_seen.push_back({msg, 0, 0});
      return TRUE;
    case WM_COMMAND:
      g_seen.push_back({msg, LOWORD(wParam), HIWORD(wParam)});
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dlg, LOWORD(wParam) == IDOK ? 100 : 200);
      return TRUE;
  }
  return FALSE;
}

// Dialog templates in memory, in the platform's standard form.
struct TemplateBuilder {
  std::vector<WORD> w;
  void Dword(DWORD v) {
    w.push_back(WORD(v));
    w.push_back(WORD(v >> 16));
  }
  void Text(const std::u16string& s) {
    for (char16_t c : s) w.push_back(c);
    w.push_back(0);
  }
  TemplateBuilder(DWORD style, short cx, short cy, const std::u16string& title, WORD items) {
    Dword(style | DS_SETFONT);
    Dword(0);
    w.push_back(items);
    for (short v : {short(0), short(0), cx, cy}) w.push_back(WORD(v));
    w.push_back(0);  // no menu
    w.push_back(0);  // the dialog class
    Text(title);
    w.push_back(8);
    Text(u"MS Shell Dlg");
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls, const std::u16string& text) {
    if (w.size() % 2) w.push_back(0);
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    for (short v : {x, y, cx, cy}) w.push_back(WORD(v));
    w.push_back(id);
    w.push_back(0xFFFF);
    w.push_back(cls);
    Text(text);
    w.push_back(0);
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(w.data()); }
};

class DialogTest : public zolt::test::TestModuleTest {
 protected:
  void SetUp() override {
    TestModuleTest::SetUp();
    g_seen.clear();
  }
  std::vector<int> Commands() const {
    std::vector<int> out;
    for (auto& s : g_seen)
      if (s.msg == WM_COMMAND) out.push_back(s.id);
    return out;
  }
};

TEST_F(DialogTest, ExtendedTemplateBuildsItsControlsInDialogUnits) {
  HWND dlg = CreateDialogParamW(module_, MAKEINTRESOURCEW(IDD_TEST), nullptr, TestDialogProc, 77);
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(g_initParam, 77);
  EXPECT_EQ(ui::Text(dlg), u"Test");
  WCHAR cls[16];
  GetClassNameW(dlg, cls, 16);
  EXPECT_EQ(std::u16string(cls), u"#32770");
  EXPECT_TRUE(GetWindowLongW(dlg, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
  HWND edit = GetDlgItem(dlg, 1002);
  ASSERT_NE(edit, nullptr);
  GetClassNameW(edit, cls, 16);
  EXPECT_EQ(std::u16string(cls), u"Edit");
  RECT r;
  GetClientRect(dlg, &r);
  RECT du{0, 0, 200, 100};
  MapDialogRect(dlg, &du);
  EXPECT_EQ(r.right, du.right);
  EXPECT_EQ(r.bottom, du.bottom);
  EXPECT_NE(GetDlgItem(dlg, 1003), nullptr);  // the up-down control of the template
  EXPECT_EQ(SendMessageW(dlg, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
  EXPECT_TRUE(SetDlgItemTextW(dlg, 1002, u"abc"));
  WCHAR text[8];
  EXPECT_EQ(GetDlgItemTextW(dlg, 1002, text, 8), 3u);
  EXPECT_EQ(SendDlgItemMessageW(dlg, 1002, WM_GETTEXTLENGTH, 0, 0), 3);
  EXPECT_EQ(GetDlgItem(dlg, 4242), nullptr);
  DestroyWindow(dlg);
}

TEST_F(DialogTest, ModalDialogIsDrivenByTheKeyboardAndTheMouse) {
  // IDD_OLD: an automatic check box. Tab order, Space, Enter.
  ui::WhenIdle([](HWND dlg) {
    HWND check = GetDlgItem(dlg, 2001);
    EXPECT_EQ(GetFocus(), check);
    ui::PressKey(nullptr, VK_SPACE);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 2001), UINT(BST_CHECKED));
    ui::Click(check);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 2001), UINT(BST_UNCHECKED));
    ui::PressKey(nullptr, VK_ESCAPE);
  });
  EXPECT_EQ(DialogBoxParamW(module_, MAKEINTRESOURCEW(IDD_OLD), nullptr, TestDialogProc, 5), 200);
  EXPECT_EQ(Commands(), (std::vector<int>{2001, 2001, IDCANCEL}));

  // IDD_TEST: typing into the edit, Tab moves on, Enter presses the default button.
  g_seen.clear();
  std::u16string typed;
  ui::WhenIdle([&](HWND dlg) {
    ui::Type(GetDlgItem(dlg, 1002), u"42");
    typed = ui::Text(GetDlgItem(dlg, 1002));
    ui::PressKey(nullptr, VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, IDOK));  // the up-down is not a tab stop
    ui::PressKey(nullptr, VK_RETURN);
  });
  EXPECT_EQ(DialogBoxParamW(module_, MAKEINTRESOURCEW(IDD_TEST), nullptr, TestDialogProc, 0), 100);
  EXPECT_EQ(typed, u"42");
  EXPECT_EQ(Commands().back(), IDOK);
  EXPECT_TRUE(ui::UnattendedCloses().empty());
}

TEST_F(DialogTest, ModalLoopWithNothingScriptedClosesAsEscapeAndOwnerIsEnabledAgain) {
  HWND owner = CreateDialogParamW(module_, MAKEINTRESOURCEW(IDD_OLD), nullptr, TestDialogProc, 0);
  ShowWindow(owner, SW_SHOW);
  bool ownerDisabled = false;
  ui::WhenIdle([&](HWND) { ownerDisabled = !IsWindowEnabled(owner); });
  EXPECT_EQ(DialogBoxParamW(module_, MAKEINTRESOURCEW(IDD_TEST), owner, TestDialogProc, 0), 200);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(ui::UnattendedCloses(), std::vector<std::u16string>{u"Test"});
  EXPECT_EQ(DialogBoxParamW(module_, MAKEINTRESOURCEW(9999), nullptr, TestDialogProc, 0), -1);
  DestroyWindow(owner);
}

TEST_F(DialogTest, MessageBoxesAreAnsweredAndRecorded) {
  struct Case {
    UINT type;
    int answer;   // 0: nobody answers
    int expect;
  };
  const Case cases[] = {
      {MB_OK | MB_ICONWARNING, IDOK, IDOK},
      {MB_OKCANCEL, IDCANCEL, IDCANCEL},
      {MB_YESNO | MB_ICONINFORMATION, IDNO, IDNO},
      {MB_YESNO | MB_DEFBUTTON2, IDYES, IDYES},
      {MB_OK, 0, IDOK},            // Escape closes a box with one button with it
      {MB_YESNOCANCEL, 0, IDCANCEL},
  };
  for (const auto& c : cases) {
    if (c.answer) ui::AnswerNextMessageBox(c.answer);
    EXPECT_EQ(MessageBoxW(nullptr, u"Text of the box", u"Caption", c.type), c.expect) << c.type;
  }
  auto boxes = ui::MessageBoxes();
  ASSERT_EQ(boxes.size(), std::size(cases));
  EXPECT_EQ(boxes[0].text, u"Text of the box");
  EXPECT_EQ(boxes[0].caption, u"Caption");
  EXPECT_EQ(boxes[2].type, UINT(MB_YESNO | MB_ICONINFORMATION));
  EXPECT_EQ(boxes[2].answer, IDNO);
  // A box whose only buttons are Yes and No cannot be escaped: the host gives it up with its
  // cancel answer only after the script ran dry.
  EXPECT_EQ(MessageBoxW(reinterpret_cast<HWND>(0x77), u"x", u"y", MB_OK), 0);
}

// Pages that record their notifications; page 2 refuses the first apply.
std::vector<std::pair<int, int>> g_pageNotes;  // (page, code)
int g_refusals = 0;

INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* psp = reinterpret_cast<PROPSHEETPAGEW*>(lParam);
    SetWindowLongPtrW(page, DWLP_USER, psp->lParam);
    return TRUE;
  }
  if (msg == WM_NOTIFY) {
    int which = int(GetWindowLongPtrW(page, DWLP_USER));
    auto* nm = reinterpret_cast<NMHDR*>(lParam);
    g_pageNotes.push_back({which, int(nm->code)});
    if (nm->code == PSN_APPLY && which == 2 && g_refusals > 0) {
      --g_refusals;
      SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
      return TRUE;
    }
    return FALSE;
  }
  if (msg == WM_COMMAND) {
    PropSheet_Changed(GetParent(page), page);
  }
  return FALSE;
}

class SheetTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    g_pageNotes.clear();
    g_refusals = 0;
  }
  std::vector<int> NotesOf(int page) const {
    std::vector<int> out;
    for (auto& n : g_pageNotes)
      if (n.first == page) out.push_back(n.second);
    return out;
  }
  HPROPSHEETPAGE Page(int which, const TemplateBuilder* tpl) {
    PROPSHEETPAGEW psp{};
    psp.dwSize = sizeof psp;
    psp.dwFlags = PSP_USETITLE | (tpl ? PSP_DLGINDIRECT : 0);
    psp.hInstance = module_;
    if (tpl)
      psp.pResource = tpl->Get();
    else
      psp.pszTemplate = MAKEINTRESOURCEW(IDD_OLD);
    psp.pszTitle = which == 1 ? u"First" : u"Second";
    psp.pfnDlgProc = PageProc;
    psp.lParam = which;
    return CreatePropertySheetPageW(&psp);
  }
  INT_PTR Run(std::vector<HPROPSHEETPAGE> pages, DWORD flags = 0) {
    PROPSHEETHEADERW h{};
    h.dwSize = sizeof h;
    h.dwFlags = flags;
    h.pszCaption = u"Sheet";
    h.nPages = UINT(pages.size());
    h.phpage = pages.data();
    return PropertySheetW(&h);
  }
};

TEST_F(SheetTest, PagesAreMadeWhenFirstShownAndOkAppliesEveryMadePage) {
  TemplateBuilder second(DS_CONTROL, 150, 80, u"", 1);
  second.Item(BS_AUTOCHECKBOX | WS_TABSTOP, 5, 5, 80, 10, 300, 0x80, u"Option");
  HWND firstPage = nullptr;
  ui::WhenIdle([&](HWND sheet) {
    EXPECT_EQ(ui::Text(sheet), u"Sheet");
    firstPage = PropSheet_GetCurrentPageHwnd(sheet);
    EXPECT_EQ(NotesOf(2), std::vector<int>{});  // not made yet
    HWND tab = PropSheet_GetTabControl(sheet);
    EXPECT_EQ(ui::Items(tab), (std::vector<std::u16string>{u"First", u"Second"}));
    ui::SelectItem(tab, u"Second");
    EXPECT_EQ(NotesOf(1), (std::vector<int>{int(PSN_SETACTIVE), int(PSN_KILLACTIVE)}));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, ID_APPLY_NOW)));
    ui::Click(ui::FindControl(sheet, 300));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, ID_APPLY_NOW)));
    ui::Click(GetDlgItem(sheet, IDOK));
  });
  EXPECT_EQ(Run({Page(1, nullptr), Page(2, &second)}), 1);
  EXPECT_NE(firstPage, nullptr);
  EXPECT_EQ(NotesOf(2), (std::vector<int>{int(PSN_SETACTIVE), int(PSN_KILLACTIVE), int(PSN_APPLY)}));
  EXPECT_EQ(NotesOf(1).back(), int(PSN_APPLY));
  EXPECT_FALSE(IsWindow(firstPage));
}

TEST_F(SheetTest, RefusedPageKeepsTheSheetOpenAndBecomesCurrent) {
  TemplateBuilder second(DS_CONTROL, 150, 80, u"", 0);
  g_refusals = 1;
  int okPresses = 0;
  std::function<void(HWND)> pressOk = [&](HWND sheet) {
    ++okPresses;
    ui::Click(GetDlgItem(sheet, IDOK));
  };
  ui::WhenIdle([&](HWND sheet) {
    ui::SelectItem(PropSheet_GetTabControl(sheet), u"Second");
    ui::SelectItem(PropSheet_GetTabControl(sheet), u"First");
    pressOk(sheet);
    // Still open, and the refusing page is in front.
    EXPECT_TRUE(IsWindowVisible(sheet));
    EXPECT_EQ(PropSheet_HwndToIndex(sheet, PropSheet_GetCurrentPageHwnd(sheet)), 1);
  });
  ui::WhenIdle(pressOk);
  EXPECT_EQ(Run({Page(1, nullptr), Page(2, &second)}, PSH_NOAPPLYNOW), 1);
  EXPECT_EQ(okPresses, 2);
  auto notes = NotesOf(2);
  EXPECT_EQ(std::count(notes.begin(), notes.end(), int(PSN_APPLY)), 2);
}

TEST_F(SheetTest, CancelResetsEveryPageAndPressButtonActsAsOk) {
  ui::WhenIdle([&](HWND sheet) { ui::Click(GetDlgItem(sheet, IDCANCEL)); });
  EXPECT_EQ(Run({Page(1, nullptr)}), 0);
  EXPECT_EQ(NotesOf(1), (std::vector<int>{int(PSN_SETACTIVE), int(PSN_QUERYCANCEL), int(PSN_RESET)}));
  g_pageNotes.clear();
  ui::WhenIdle([&](HWND sheet) { PropSheet_PressButton(sheet, PSBTN_OK); });
  EXPECT_EQ(Run({Page(1, nullptr)}), 1);
  EXPECT_EQ(NotesOf(1).back(), int(PSN_APPLY));
  PROPSHEETHEADERW bad{};
  bad.dwSize = 8;
  EXPECT_EQ(PropertySheetW(&bad), -1);
  EXPECT_EQ(PropertySheetW(nullptr), -1);
}

// A printer module's sheet function, as the common property-sheet host calls it.
struct HostLog {
  std::vector<int> reasons;
  LPARAM destroyParam = -1;
  LRESULT setResult = 0;
};
HostLog g_host;
HMODULE g_module = nullptr;

LONG CALLBACK SheetFunction(PPROPSHEETUI_INFO info, LPARAM lParam) {
  if (!info) return -1;
  g_host.reasons.push_back(info->Reason);
  switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT: {
      EXPECT_EQ(info->lParamInit, 1234);
      info->UserData = 55;
      PROPSHEETPAGEW psp{};
      psp.dwSize = sizeof psp;
      psp.hInstance = g_module;
      psp.pszTemplate = MAKEINTRESOURCEW(IDD_OLD);
      psp.pfnDlgProc = PageProc;
      psp.lParam = 1;
      HPROPSHEETPAGE page = CreatePropertySheetPageW(&psp);
      if (!info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_HPROPSHEETPAGE, reinterpret_cast<LPARAM>(page), 0))
        return -1;
      EXPECT_EQ(info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_GET_PAGECOUNT, 0, 0), 1);
      info->Result = 1;
      return 1;
    }
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
      auto* hdr = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam);
      hdr->Flags = PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE;
      hdr->pTitle = const_cast<LPWSTR>(u"Office Printer");
      hdr->hInst = g_module;
      hdr->IconID = 64082;
      return 1;
    }
    case PROPSHEETUI_REASON_SET_RESULT:
      g_host.setResult = reinterpret_cast<PSETRESULT_INFO>(lParam)->Result;
      info->Result = ULONG_PTR(g_host.setResult);
      return 1;
    case PROPSHEETUI_REASON_DESTROY:
      EXPECT_EQ(info->UserData, 55u);
      g_host.destroyParam = lParam;
      info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_SET_RESULT, 0, lParam ? 7 : 0);
      return 1;
  }
  return -1;
}

LONG CALLBACK RefusingSheetFunction(PPROPSHEETUI_INFO info, LPARAM) {
  g_host.reasons.push_back(info->Reason);
  return info->Reason == PROPSHEETUI_REASON_INIT ? -1 : 1;
}

TEST_F(DialogTest, CommonPropertySheetHostRunsTheModulesSheetFunction) {
  g_module = module_;
  g_host = {};
  HMODULE host = LoadLibraryA("compstui.dll");
  ASSERT_NE(host, nullptr);
  auto run = reinterpret_cast<LONG(WINAPI*)(HWND, PFNPROPSHEETUI, LPARAM, LPDWORD)>(
      reinterpret_cast<void (*)()>(GetProcAddress(host, "CommonPropertySheetUIW")));
  ASSERT_NE(run, nullptr);
  std::u16string caption;
  ui::WhenIdle([&](HWND sheet) {
    caption = ui::Text(sheet);
    EXPECT_EQ(GetDlgItem(sheet, ID_APPLY_NOW), nullptr);
    ui::Click(GetDlgItem(sheet, IDOK));
  });
  DWORD result = 99;
  EXPECT_EQ(run(nullptr, SheetFunction, 1234, &result), CPSUI_OK);
  EXPECT_EQ(caption, u"Office Printer Properties");
  EXPECT_EQ(g_host.reasons, (std::vector<int>{PROPSHEETUI_REASON_INIT, PROPSHEETUI_REASON_GET_INFO_HEADER,
                                              PROPSHEETUI_REASON_DESTROY, PROPSHEETUI_REASON_SET_RESULT}));
  EXPECT_EQ(g_host.destroyParam, 1);
  EXPECT_EQ(result, 7u);

  g_host = {};
  ui::WhenIdle([&](HWND sheet) { ui::Click(GetDlgItem(sheet, IDCANCEL)); });
  EXPECT_EQ(run(nullptr, SheetFunction, 1234, &result), CPSUI_OK);
  EXPECT_EQ(g_host.destroyParam, 0);
  EXPECT_EQ(result, 0u);

  g_host = {};
  EXPECT_EQ(run(nullptr, RefusingSheetFunction, 0, &result), CPSUI_CANCEL);
  EXPECT_EQ(g_host.reasons, (std::vector<int>{PROPSHEETUI_REASON_INIT, PROPSHEETUI_REASON_DESTROY}));
  FreeLibrary(host);
}

TEST_F(DialogTest, MalformedTemplatesAreRefused) {
  TemplateBuilder good(WS_POPUP, 50, 20, u"x", 1);
  good.Item(WS_TABSTOP, 1, 1, 10, 10, 5, 0x80, u"b");
  HWND ok = CreateDialogIndirectParamW(nullptr, good.Get(), nullptr, TestDialogProc, 0);
  EXPECT_NE(ok, nullptr);
  DestroyWindow(ok);
  TemplateBuilder unknownClass(WS_POPUP, 50, 20, u"x", 1);
  unknownClass.Item(0, 1, 1, 10, 10, 5, 0x99, u"b");
  EXPECT_EQ(CreateDialogIndirectParamW(nullptr, unknownClass.Get(), nullptr, TestDialogProc, 0), nullptr);
  EXPECT_EQ(CreateDialogIndirectParamW(nullptr, nullptr, nullptr, TestDialogProc, 0), nullptr);
}

// Pictures of dialogs compared with golden PNG files. The pixels are compared, not the files'
// bytes: the compressed bytes change with the library's version while the picture does not.
// Frames, fills, check marks and the places of controls must match exactly; text goes through the
// font rasteriser, whose smoothing may move by a shade between versions, so at most 1 pixel in
// 200 may differ. A control drawn at the wrong place or in the wrong state changes far more.
// ZOLT_UPDATE_GOLDEN=1 writes the pictures into the source tree instead of comparing them.
class DialogPngTest : public DialogTest {
 protected:
  // Saves the window and compares it with the golden picture of that name.
  void ExpectPicture(HWND window, const std::string& name) {
    const fs::path golden = fs::path(ZOLT_SOURCE_DIR) / "tests/host/modules/golden" / name;
    const fs::path shot = Root() / name;
    ASSERT_TRUE(ui::SavePng(window, shot.string()));
    if (const char* update = std::getenv("ZOLT_UPDATE_GOLDEN"); update && *update == '1') {
      fs::copy_file(shot, golden, fs::copy_options::overwrite_existing);
      return;
    }
    zolt::test::RgbImage want, got;
    ASSERT_TRUE(zolt::test::ReadPng(golden, want)) << golden;
    ASSERT_TRUE(zolt::test::ReadPng(shot, got));
    ASSERT_EQ(got.width, want.width);
    ASSERT_EQ(got.height, want.height);
    size_t differing = 0;
    for (size_t i = 0; i + 2 < got.rgb.size(); i += 3)
      if (got.rgb[i] != want.rgb[i] || got.rgb[i + 1] != want.rgb[i + 1] || got.rgb[i + 2] != want.rgb[i + 2])
        ++differing;
    const size_t pixels = size_t(got.width) * size_t(got.height);
    EXPECT_LE(differing * 200, pixels) << name << ": " << differing << " of " << pixels
                                       << " pixels differ; the picture taken is " << shot;
  }

};

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

TEST_F(DialogPngTest, DialogWithCaptionLabelEditAndButtons) {
  HWND dlg = CreateDialogParamW(module_, MAKEINTRESOURCEW(IDD_TEST), nullptr, PlainDialogProc, 0);
  ASSERT_NE(dlg, nullptr);
  SetDlgItemTextW(dlg, 1002, u"Zolt 7000");
  ExpectPicture(dlg, "test_dialog.png");
  DestroyWindow(dlg);
}

TEST_F(DialogPngTest, CheckedBoxAndBitmapOfAnOldTemplate) {
  HWND dlg = CreateDialogParamW(module_, MAKEINTRESOURCEW(IDD_OLD), nullptr, PlainDialogProc, 0);
  ASSERT_NE(dlg, nullptr);
  ShowWindow(dlg, SW_SHOW);
  ASSERT_TRUE(ui::Click(GetDlgItem(dlg, 2001)));
  ASSERT_EQ(ui::CheckState(GetDlgItem(dlg, 2001)), BST_CHECKED);
  ExpectPicture(dlg, "old_dialog_checked.png");
  DestroyWindow(dlg);
}

}  // namespace
