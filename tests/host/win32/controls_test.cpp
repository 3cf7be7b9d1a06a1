// The standard and common controls: each control's messages and the notifications a user's
// actions send, driven through the automation interface, as tables of cases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine_fixture.h"
#include "win32/comctl.h"
#include "win32/hostui.h"
#include "win32/memory.h"
#include "win32/windows.h"

namespace ui = zolt::host::ui;

namespace {

struct Note {
  UINT msg;
  int id;
  int code;
};
std::vector<Note> g_notes;

LRESULT CALLBACK ParentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_COMMAND) g_notes.push_back({m, LOWORD(w), HIWORD(w)});
  if (m == WM_NOTIFY) {
    auto* nm = reinterpret_cast<NMHDR*>(l);
    g_notes.push_back({m, int(nm->idFrom), int(nm->code)});
  }
  if (m == WM_HSCROLL || m == WM_VSCROLL) g_notes.push_back({m, GetDlgCtrlID(reinterpret_cast<HWND>(l)), LOWORD(w)});
  return DefWindowProcW(h, m, w, l);
}

class ControlsTest : public zolt::test::MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    ui::Reset();
    g_notes.clear();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ParentProc;
    wc.lpszClassName = u"ZoltParent";
    RegisterClassExW(&wc);
    parent_ = CreateWindowExW(0, u"ZoltParent", u"Parent", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    UnregisterClassW(u"ZoltParent", nullptr);
    MachineTest::TearDown();
  }
  HWND Control(LPCWSTR cls, DWORD style, int id, LPCWSTR text = u"", int w = 120, int h = 24) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 10, 10 + 30 * (id % 8), w, h,
                           parent_, reinterpret_cast<HMENU>(INT_PTR(id)), nullptr, nullptr);
  }
  std::vector<int> Codes(UINT msg = WM_COMMAND) const {
    std::vector<int> out;
    for (auto& n : g_notes)
      if (n.msg == msg) out.push_back(n.code);
    return out;
  }
  HWND parent_ = nullptr;
};

TEST_F(ControlsTest, ButtonsCheckAsTheirKindSaysWhenClicked) {
  struct Case {
    DWORD style;
    std::vector<UINT> checks;  // BM_GETCHECK after each of three clicks
  };
  const Case cases[] = {
      {BS_PUSHBUTTON, {0, 0, 0}},
      {BS_CHECKBOX, {0, 0, 0}},  // the owner checks a manual box itself
      {BS_AUTOCHECKBOX, {1, 0, 1}},
      {BS_AUTO3STATE, {1, 2, 0}},
      {BS_AUTORADIOBUTTON, {1, 1, 1}},
      {BS_OWNERDRAW, {0, 0, 0}},
  };
  int id = 100;
  for (const auto& c : cases) {
    HWND b = Control(u"Button", c.style, ++id, u"B");
    g_notes.clear();
    for (UINT expect : c.checks) {
      ASSERT_TRUE(ui::Click(b));
      EXPECT_EQ(UINT(SendMessageW(b, BM_GETCHECK, 0, 0)), expect) << "style " << c.style;
    }
    EXPECT_EQ(Codes(), (std::vector<int>{BN_CLICKED, BN_CLICKED, BN_CLICKED})) << "style " << c.style;
    DestroyWindow(b);
  }
  // Disabled and group boxes take no click.
  HWND off = Control(u"Button", BS_PUSHBUTTON | WS_DISABLED, 120);
  EXPECT_FALSE(ui::Click(off));
}

TEST_F(ControlsTest, AutomaticRadioButtonsClearTheirGroupOnly) {
  HWND a = Control(u"Button", BS_AUTORADIOBUTTON | WS_GROUP, 1, u"A");
  HWND b = Control(u"Button", BS_AUTORADIOBUTTON, 2, u"B");
  HWND c = Control(u"Button", BS_AUTORADIOBUTTON | WS_GROUP, 3, u"C");
  ui::Click(c);
  ui::Click(a);
  ui::Click(b);
  EXPECT_EQ(ui::CheckState(a), BST_UNCHECKED);
  EXPECT_EQ(ui::CheckState(b), BST_CHECKED);
  EXPECT_EQ(ui::CheckState(c), BST_CHECKED);  // another group
  EXPECT_TRUE(CheckDlgButton(parent_, 1, BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(parent_, 1), UINT(BST_CHECKED));
}

TEST_F(ControlsTest, EditTypingLimitsDigitsPasswordsAndPaste) {
  HWND e = Control(u"Edit", ES_AUTOHSCROLL, 1);
  SendMessageW(e, EM_LIMITTEXT, 5, 0);
  g_notes.clear();
  ASSERT_TRUE(ui::Type(e, u"abcdefg"));
  EXPECT_EQ(ui::Text(e), u"abcde");
  std::vector<int> codes = Codes();
  EXPECT_EQ(codes.front(), EN_SETFOCUS);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), EN_CHANGE), 5);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), EN_MAXTEXT), 2);
  ui::PressKey(e, VK_BACK);
  EXPECT_EQ(ui::Text(e), u"abcd");
  SendMessageW(e, EM_SETSEL, 1, 3);
  DWORD lo = 0, hi = 0;
  SendMessageW(e, EM_GETSEL, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
  EXPECT_EQ(lo, 1u);
  EXPECT_EQ(hi, 3u);
  ui::Type(e, u"X");
  EXPECT_EQ(ui::Text(e), u"aXd");
  EXPECT_TRUE(SendMessageW(e, EM_UNDO, 0, 0));
  EXPECT_EQ(ui::Text(e), u"abcd");

  HWND n = Control(u"Edit", ES_NUMBER, 2);
  ui::Type(n, u"1a2-3");
  EXPECT_EQ(ui::Text(n), u"123");

  // The clipboard's text goes in at the selection; a single line keeps its first line only.
  ASSERT_TRUE(OpenClipboard(parent_));
  EmptyClipboard();
  const char ansi[] = "77\r\n88";
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, sizeof ansi);
  std::memcpy(GlobalLock(mem), ansi, sizeof ansi);
  GlobalUnlock(mem);
  SetClipboardData(CF_TEXT, mem);
  CloseClipboard();
  SendMessageW(n, EM_SETSEL, 0, -1);
  SendMessageW(n, WM_PASTE, 0, 0);
  EXPECT_EQ(ui::Text(n), u"77");

  HWND p = Control(u"Edit", ES_PASSWORD, 3);
  EXPECT_EQ(SendMessageW(p, EM_GETPASSWORDCHAR, 0, 0), u'*');
  ui::Type(p, u"secret");
  EXPECT_EQ(ui::Text(p), u"secret");
  SendMessageW(p, EM_SETSEL, 0, -1);
  SendMessageW(p, WM_COPY, 0, 0);  // a password is never copied
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)))), "77\r\n88");
  CloseClipboard();

  HWND r = Control(u"Edit", ES_READONLY, 4, u"fixed");
  ui::Type(r, u"zz");
  EXPECT_EQ(ui::Text(r), u"fixed");
}

TEST_F(ControlsTest, ListAndComboItemsDataSearchAndUserSelection) {
  for (LPCWSTR cls : {u"ListBox", u"ComboBox"}) {
    bool combo = cls[0] == u'C';
    HWND c = Control(cls, combo ? CBS_DROPDOWNLIST | CBS_SORT : LBS_NOTIFY | LBS_SORT, combo ? 2 : 1, u"", 150, 120);
    UINT add = combo ? CB_ADDSTRING : LB_ADDSTRING;
    for (LPCWSTR s : {u"Pear", u"apple", u"Plum"}) SendMessageW(c, add, 0, reinterpret_cast<LPARAM>(s));
    EXPECT_EQ(ui::Items(c), (std::vector<std::u16string>{u"apple", u"Pear", u"Plum"})) << combo;
    SendMessageW(c, combo ? CB_SETITEMDATA : LB_SETITEMDATA, 2, 4242);
    EXPECT_EQ(SendMessageW(c, combo ? CB_GETITEMDATA : LB_GETITEMDATA, 2, 0), 4242);
    EXPECT_EQ(SendMessageW(c, combo ? CB_FINDSTRING : LB_FINDSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(u"p")), 1);
    EXPECT_EQ(SendMessageW(c, combo ? CB_FINDSTRING : LB_FINDSTRING, 1, reinterpret_cast<LPARAM>(u"p")), 2);
    EXPECT_EQ(SendMessageW(c, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, WPARAM(-1),
                           reinterpret_cast<LPARAM>(u"PLUM")),
              2);
    EXPECT_EQ(SendMessageW(c, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, WPARAM(-1),
                           reinterpret_cast<LPARAM>(u"Pl")),
              combo ? CB_ERR : LB_ERR);
    // Setting the selection by message notifies nobody; a user's choice does.
    g_notes.clear();
    SendMessageW(c, combo ? CB_SETCURSEL : LB_SETCURSEL, 0, 0);
    EXPECT_TRUE(Codes().empty());
    ASSERT_TRUE(ui::SelectItem(c, u"Plum"));
    EXPECT_EQ(ui::SelectedText(c), u"Plum");
    std::vector<int> codes = Codes();
    if (combo)
      EXPECT_EQ(codes, (std::vector<int>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELCHANGE, CBN_CLOSEUP, CBN_SELENDOK}));
    else
      EXPECT_EQ(codes, (std::vector<int>{LBN_SETFOCUS, LBN_SELCHANGE}));
    g_notes.clear();
    ui::PressKey(c, VK_UP);
    EXPECT_EQ(ui::SelectedText(c), u"Pear");
    EXPECT_EQ(Codes().front(), combo ? CBN_SELCHANGE : LBN_SELCHANGE);
    EXPECT_EQ(SendMessageW(c, combo ? CB_SETCURSEL : LB_SETCURSEL, 9, 0), combo ? CB_ERR : LB_ERR);
    EXPECT_EQ(SendMessageW(c, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0), -1);
    EXPECT_EQ(SendMessageW(c, combo ? CB_DELETESTRING : LB_DELETESTRING, 5, 0), combo ? CB_ERR : LB_ERR);
    EXPECT_EQ(SendMessageW(c, combo ? CB_DELETESTRING : LB_DELETESTRING, 0, 0), 2);
    DestroyWindow(c);
  }
}

struct Measured {
  int count = 0;
  UINT ctlType = 0;
};
Measured g_measured;
LRESULT CALLBACK MeasureParent(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_MEASUREITEM) {
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
    ++g_measured.count;
    g_measured.ctlType = mis->CtlType;
    mis->itemHeight = 30;
    return TRUE;
  }
  return ParentProc(h, m, w, l);
}

TEST_F(ControlsTest, OwnerDrawnListsAskForHeightsAndKeepDataWithoutStrings) {
  SetWindowLongPtrW(parent_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MeasureParent));
  g_measured = {};
  HWND list = Control(u"ListBox", LBS_OWNERDRAWFIXED, 1, u"", 100, 100);
  EXPECT_EQ(g_measured.count, 1);
  EXPECT_EQ(g_measured.ctlType, UINT(ODT_LISTBOX));
  EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), 30);
  SendMessageW(list, LB_ADDSTRING, 0, 0xBEEF);
  EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, 0, 0), 0xBEEF);
  EXPECT_EQ(SendMessageW(list, LB_FINDSTRING, WPARAM(-1), 0xBEEF), 0);
  g_measured = {};
  HWND combo = Control(u"ComboBox", CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS, 2, u"", 100, 100);
  EXPECT_EQ(g_measured.count, 1);  // the selection field
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"x"));
  EXPECT_EQ(g_measured.count, 2);
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMHEIGHT, WPARAM(-1), 0), 30);
}

TEST_F(ControlsTest, ScrollBarsTrackbarsAndUpDownsReportToTheirParent) {
  HWND sb = Control(u"ScrollBar", SBS_VERT, 1, u"", 17, 80);
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_POS, 0, 10, 0, 12, 0};
  EXPECT_EQ(SetScrollInfo(sb, SB_CTL, &si, TRUE), 10);  // the position is kept in range
  EXPECT_EQ(GetScrollPos(sb, SB_CTL), 10);
  EXPECT_EQ(SendMessageW(sb, SBM_SETPOS, 3, TRUE), 10);
  g_notes.clear();
  ui::ClickAt(sb, POINT{5, 2});   // the upper arrow
  ui::ClickAt(sb, POINT{5, 78});  // the lower arrow
  EXPECT_EQ(Codes(WM_VSCROLL), (std::vector<int>{SB_LINEUP, SB_ENDSCROLL, SB_LINEDOWN, SB_ENDSCROLL}));
  EnableScrollBar(sb, SB_CTL, ESB_DISABLE_BOTH);
  EXPECT_FALSE(IsWindowEnabled(sb));

  HWND tb = Control(TRACKBAR_CLASSW, 0, 2, u"", 120, 30);
  SendMessageW(tb, TBM_SETRANGE, FALSE, MAKELPARAM(0, 10));
  SendMessageW(tb, TBM_SETPOS, TRUE, 20);
  EXPECT_EQ(SendMessageW(tb, TBM_GETPOS, 0, 0), 10);
  g_notes.clear();
  ui::PressKey(tb, VK_LEFT);
  EXPECT_EQ(SendMessageW(tb, TBM_GETPOS, 0, 0), 9);
  EXPECT_EQ(Codes(WM_HSCROLL), (std::vector<int>{TB_LINEUP, TB_ENDTRACK}));

  HWND buddy = Control(u"Edit", 0, 3, u"", 60, 20);
  HWND ud = Control(UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ARROWKEYS, 4, u"", 16, 20);
  SendMessageW(ud, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
  SendMessageW(ud, UDM_SETRANGE32, 0, 1500);
  SendMessageW(ud, UDM_SETPOS32, 0, 999);
  EXPECT_EQ(ui::Text(buddy), u"999");
  g_notes.clear();
  ui::ClickAt(ud, POINT{8, 2});
  EXPECT_EQ(ui::Text(buddy), u"1,000");
  EXPECT_EQ(Codes(WM_NOTIFY), (std::vector<int>{int(UDN_DELTAPOS)}));
  SetWindowTextW(buddy, u"1500");
  ui::ClickAt(ud, POINT{8, 2});
  EXPECT_EQ(SendMessageW(ud, UDM_GETPOS32, 0, 0), 1500);  // no wrap without UDS_WRAP
}

TEST_F(ControlsTest, TabsListViewsAndTreesNotifyTheUsersChoice) {
  HWND tab = Control(WC_TABCONTROLW, 0, 1, u"", 300, 60);
  TCITEMW ti{TCIF_TEXT | TCIF_PARAM, 0, 0, const_cast<LPWSTR>(u"Paper"), 0, -1, 11};
  SendMessageW(tab, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ti));
  ti.pszText = const_cast<LPWSTR>(u"Layout");
  ti.lParam = 22;
  SendMessageW(tab, TCM_INSERTITEMW, 1, reinterpret_cast<LPARAM>(&ti));
  EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0);
  g_notes.clear();
  ASSERT_TRUE(ui::SelectItem(tab, u"Layout"));
  EXPECT_EQ(Codes(WM_NOTIFY), (std::vector<int>{int(TCN_SELCHANGING), int(TCN_SELCHANGE)}));
  TCITEMW got{};
  got.mask = TCIF_PARAM;
  SendMessageW(tab, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&got));
  EXPECT_EQ(got.lParam, 22);

  HWND lv = Control(WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL, 2, u"", 300, 100);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.cx = 100;
  col.pszText = const_cast<LPWSTR>(u"Name");
  SendMessageW(lv, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
  for (int i = 0; i < 3; ++i) {
    std::u16string name = u"Row" + std::u16string(1, char16_t(u'0' + i));
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = i;
    item.pszText = name.data();
    item.lParam = 100 + i;
    EXPECT_EQ(SendMessageW(lv, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)), i);
  }
  LVITEMW first{};
  first.state = first.stateMask = LVIS_SELECTED;
  SendMessageW(lv, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
  g_notes.clear();
  ASSERT_TRUE(ui::SelectItem(lv, u"Row2"));
  EXPECT_EQ(SendMessageW(lv, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED), 2);
  EXPECT_EQ(SendMessageW(lv, LVM_GETSELECTEDCOUNT, 0, 0), 1);
  std::vector<int> codes = Codes(WM_NOTIFY);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), int(LVN_ITEMCHANGED)), 2);  // row 0 cleared, row 2 chosen
  LVFINDINFOW find{};
  find.flags = LVFI_PARAM;
  find.lParam = 101;
  EXPECT_EQ(SendMessageW(lv, LVM_FINDITEMW, WPARAM(-1), reinterpret_cast<LPARAM>(&find)), 1);

  HWND tv = Control(WC_TREEVIEWW, TVS_HASBUTTONS, 3, u"", 200, 100);
  TVINSERTSTRUCTW ins{};
  ins.hParent = TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM;
  ins.item.pszText = const_cast<LPWSTR>(u"Root");
  ins.item.lParam = 5;
  auto root = reinterpret_cast<HTREEITEM>(SendMessageW(tv, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
  ins.hParent = root;
  ins.item.pszText = const_cast<LPWSTR>(u"Leaf");
  ins.item.lParam = 6;
  auto leaf = reinterpret_cast<HTREEITEM>(SendMessageW(tv, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
  EXPECT_EQ(SendMessageW(tv, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)), reinterpret_cast<LRESULT>(leaf));
  g_notes.clear();
  ASSERT_TRUE(ui::SelectItem(tv, u"Leaf"));
  EXPECT_EQ(SendMessageW(tv, TVM_GETNEXTITEM, TVGN_CARET, 0), reinterpret_cast<LRESULT>(leaf));
  // The list view loses the focus to the tree, the leaf's parent opens, the leaf is chosen.
  EXPECT_EQ(Codes(WM_NOTIFY), (std::vector<int>{int(NM_KILLFOCUS), int(NM_SETFOCUS), int(TVN_ITEMEXPANDINGW),
                                                int(TVN_ITEMEXPANDEDW), int(TVN_SELCHANGINGW), int(TVN_SELCHANGEDW)}));
  g_notes.clear();
  SendMessageW(tv, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  EXPECT_EQ(Codes(WM_NOTIFY), (std::vector<int>{int(TVN_DELETEITEMW), int(TVN_DELETEITEMW)}));
  EXPECT_EQ(SendMessageW(tv, TVM_GETCOUNT, 0, 0), 0);
}

}  // namespace
