// The window manager: message order of creation, activation, focus and destruction; window
// words and subclassing chains; the queue, timers on the host's clock and painting.
#include <gtest/gtest.h>

#include <vector>

#include "machine_fixture.h"
#include "win32/hostclock.h"
#include "win32/hostui.h"
#include "win32/windows.h"
#include "win32/user.h"

namespace {

struct Logged {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
};
std::vector<Logged> g_log;

// Messages that say something about order; the rest are left out of the log.
bool Interesting(UINT m) {
  switch (m) {
    case WM_NCCREATE: case WM_NCCALCSIZE: case WM_CREATE: case WM_SIZE: case WM_MOVE: case WM_SHOWWINDOW:
    case WM_WINDOWPOSCHANGING: case WM_WINDOWPOSCHANGED: case WM_ACTIVATEAPP: case WM_NCACTIVATE:
    case WM_ACTIVATE: case WM_SETFOCUS: case WM_KILLFOCUS: case WM_DESTROY: case WM_NCDESTROY:
    case WM_PARENTNOTIFY: case WM_TIMER: case WM_PAINT: case WM_USER: case WM_USER + 1:
      return true;
  }
  return false;
}

LRESULT CALLBACK LogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (Interesting(msg)) g_log.push_back({hwnd, msg, wParam});
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class WindowTest : public zolt::test::MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    g_log.clear();
    zolt::host::ui::Reset();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = LogProc;
    wc.cbWndExtra = 16;
    wc.lpszClassName = u"ZoltLog";
    RegisterClassExW(&wc);
  }
  void TearDown() override {
    for (HWND h : created_)
      if (IsWindow(h)) DestroyWindow(h);
    UnregisterClassW(u"ZoltLog", nullptr);
    MachineTest::TearDown();
  }
  HWND Make(DWORD style, HWND parent = nullptr, int id = 0) {
    HWND h = CreateWindowExW(0, u"ZoltLog", u"w", style, 10, 10, 200, 100, parent,
                             reinterpret_cast<HMENU>(INT_PTR(id)), nullptr, nullptr);
    created_.push_back(h);
    return h;
  }
  std::vector<UINT> MessagesOf(HWND h) const {
    std::vector<UINT> out;
    for (auto& l : g_log)
      if (l.hwnd == h) out.push_back(l.msg);
    return out;
  }
  std::vector<HWND> created_;
};

TEST_F(WindowTest, CreationSendsTheDocumentedMessagesInOrder) {
  HWND top = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_NE(top, nullptr);
  std::vector<UINT> expect = {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE,  WM_SIZE,        WM_MOVE,
                              WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_ACTIVATEAPP,
                              WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_SIZE};
  EXPECT_EQ(MessagesOf(top), expect);
  g_log.clear();
  HWND child = Make(WS_CHILD | WS_VISIBLE, top, 7);
  EXPECT_EQ(MessagesOf(child), (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE,
                                                  WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE}));
  ASSERT_EQ(MessagesOf(top), std::vector<UINT>{WM_PARENTNOTIFY});
  EXPECT_EQ(LOWORD(g_log[5].wParam), WM_CREATE);
  EXPECT_EQ(HIWORD(g_log[5].wParam), 7);
  EXPECT_EQ(GetParent(child), top);
  EXPECT_EQ(GetWindow(top, GW_CHILD), child);
  EXPECT_EQ(GetDlgCtrlID(child), 7);
}

TEST_F(WindowTest, DestructionGoesToTheWindowBeforeItsChildrenAndEndsWithTheParent) {
  HWND top = Make(WS_POPUP | WS_VISIBLE);
  HWND a = Make(WS_CHILD | WS_VISIBLE, top, 1);
  HWND b = Make(WS_CHILD, a, 2);
  SetFocus(b == nullptr ? a : a);
  g_log.clear();
  ASSERT_TRUE(DestroyWindow(top));
  std::vector<std::pair<HWND, UINT>> seen;
  for (auto& l : g_log)
    if (l.msg == WM_DESTROY || l.msg == WM_NCDESTROY) seen.push_back({l.hwnd, l.msg});
  std::vector<std::pair<HWND, UINT>> expect = {{top, WM_DESTROY}, {a, WM_DESTROY},   {b, WM_DESTROY},
                                               {b, WM_NCDESTROY}, {a, WM_NCDESTROY}, {top, WM_NCDESTROY}};
  EXPECT_EQ(seen, expect);
  // The focused child lost the focus before it went.
  EXPECT_EQ(MessagesOf(a).front(), WM_KILLFOCUS);
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(b));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_FALSE(DestroyWindow(top));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTest, ActivationMovesBetweenTopLevelWindowsWithTheirMessages) {
  HWND one = Make(WS_POPUP | WS_VISIBLE);
  HWND two = Make(WS_POPUP | WS_VISIBLE);
  EXPECT_EQ(GetActiveWindow(), two);
  g_log.clear();
  SetActiveWindow(one);
  EXPECT_EQ(MessagesOf(two), (std::vector<UINT>{WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS}));
  EXPECT_EQ(MessagesOf(one), (std::vector<UINT>{WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS}));
  EXPECT_EQ(GetTopWindow(nullptr), one);
  // The window that goes away hands activation to the next visible window.
  DestroyWindow(one);
  EXPECT_EQ(GetActiveWindow(), two);
}

TEST_F(WindowTest, WindowWordsUserDataAndProperties) {
  HWND h = Make(WS_POPUP);
  EXPECT_EQ(SetWindowLongPtrW(h, 8, 0x1234), 0);
  EXPECT_EQ(GetWindowLongPtrW(h, 8), 0x1234);
  EXPECT_EQ(GetWindowLongPtrW(h, 16), 0);  // past the 16 extra bytes
  EXPECT_EQ(GetLastError(), 1413u);
  SetWindowLongPtrW(h, GWLP_USERDATA, 77);
  EXPECT_EQ(GetWindowLongPtrW(h, GWLP_USERDATA), 77);
  EXPECT_TRUE(SetPropW(h, u"Key", reinterpret_cast<HANDLE>(5)));
  EXPECT_EQ(GetPropW(h, u"KEY"), reinterpret_cast<HANDLE>(5));
  EXPECT_EQ(RemovePropW(h, u"key"), reinterpret_cast<HANDLE>(5));
  EXPECT_EQ(GetPropW(h, u"Key"), nullptr);
  LONG style = GetWindowLongW(h, GWL_STYLE);
  SetWindowLongW(h, GWL_STYLE, style | WS_DISABLED);
  EXPECT_FALSE(IsWindowEnabled(h));
  EXPECT_EQ(GetWindowLongPtrW(reinterpret_cast<HWND>(0x99), GWL_STYLE), 0);
}

// A chain of two subclass procedures, each passing on what it does not handle.
WNDPROC g_first = nullptr, g_second = nullptr;
std::vector<int> g_chain;
LRESULT CALLBACK Outer(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER) g_chain.push_back(2);
  if (m == WM_USER + 1) return 99;
  return CallWindowProcW(g_second, h, m, w, l);
}
LRESULT CALLBACK Inner(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER) g_chain.push_back(1);
  return CallWindowProcW(g_first, h, m, w, l);
}

TEST_F(WindowTest, SubclassingChainsThroughTheProcedureSlot) {
  HWND top = Make(WS_POPUP);
  HWND button = CreateWindowExW(0, u"BUTTON", u"b", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 50, 20, top,
                                reinterpret_cast<HMENU>(5), nullptr, nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  ASSERT_TRUE(GetClassInfoExW(nullptr, u"button", &wc));
  g_first = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Inner)));
  EXPECT_EQ(g_first, wc.lpfnWndProc);
  g_second = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Outer)));
  EXPECT_EQ(g_second, Inner);
  g_chain.clear();
  SendMessageW(button, WM_USER, 0, 0);
  EXPECT_EQ(g_chain, (std::vector<int>{2, 1}));
  EXPECT_EQ(SendMessageW(button, WM_USER + 1, 0, 0), 99);
  // What both let through reaches the class: the check box still checks.
  SendMessageW(button, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessageW(button, BM_GETCHECK, 0, 0), BST_CHECKED);
  // Putting the class procedure back (as a host of foreign windows does) ends the chain.
  SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(wc.lpfnWndProc));
  g_chain.clear();
  SendMessageW(button, WM_USER, 0, 0);
  EXPECT_TRUE(g_chain.empty());
}

TEST_F(WindowTest, PostedMessagesComeBeforePaintAndTimersFollowTheClock) {
  zolt::host::Clock::SetTickCount(1000);
  HWND h = Make(WS_POPUP | WS_VISIBLE);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  g_log.clear();
  ASSERT_EQ(SetTimer(h, 3, 100, nullptr), 3u);
  InvalidateRect(h, nullptr, TRUE);
  PostMessageW(h, WM_USER, 1, 0);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, UINT(WM_USER));
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, UINT(WM_PAINT));
  DispatchMessageW(&m);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(h, &update, FALSE));
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));  // the timer is not due yet
  zolt::host::Clock::AdvanceTick(100);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));  // next one 100 ms later
  zolt::host::Clock::AdvanceTick(100);
  EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  EXPECT_TRUE(KillTimer(h, 3));
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_FALSE(KillTimer(h, 3));
  zolt::host::Clock::UseRealTime();
}

TEST_F(WindowTest, UpdateAreaGrowsWithInvalidationAndBeginPaintTakesIt) {
  HWND h = Make(WS_POPUP | WS_VISIBLE);
  ValidateRect(h, nullptr);
  RECT a{10, 10, 20, 20}, b{30, 5, 40, 15}, r;
  InvalidateRect(h, &a, FALSE);
  InvalidateRect(h, &b, FALSE);
  ASSERT_TRUE(GetUpdateRect(h, &r, FALSE));
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 5);
  EXPECT_EQ(r.right, 40);
  EXPECT_EQ(r.bottom, 20);
  PAINTSTRUCT ps;
  BeginPaint(h, &ps);
  EXPECT_TRUE(EqualRect(&ps.rcPaint, &r));
  EndPaint(h, &ps);
  EXPECT_FALSE(GetUpdateRect(h, &r, FALSE));
  BeginPaint(h, &ps);
  EXPECT_TRUE(IsRectEmpty(&ps.rcPaint));
  EndPaint(h, &ps);
}

TEST_F(WindowTest, CoordinatesMapThroughParentsAndTheFrame) {
  HWND top = CreateWindowExW(0, u"ZoltLog", u"t", WS_POPUP | WS_BORDER, 100, 50, 300, 200, nullptr, nullptr, nullptr,
                             nullptr);
  created_.push_back(top);
  HWND child = Make(WS_CHILD | WS_VISIBLE, top, 1);  // at (10, 10) of the client area
  POINT p{0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, 100 + 1 + 10);
  EXPECT_EQ(p.y, 50 + 1 + 10);
  RECT wr;
  GetWindowRect(child, &wr);
  EXPECT_EQ(wr.left, 111);
  POINT q{5, 5};
  MapWindowPoints(child, top, &q, 1);
  EXPECT_EQ(q.x, 15);
  RECT cr;
  GetClientRect(top, &cr);
  EXPECT_EQ(cr.right, 298);
  EXPECT_EQ(cr.bottom, 198);
  ShowWindow(top, SW_SHOW);
  EXPECT_EQ(WindowFromPoint(POINT{115, 65}), child);
  EXPECT_EQ(FindWindowW(u"zoltlog", u"t"), top);
  EXPECT_EQ(FindWindowW(u"Shell_TrayWnd", nullptr), nullptr);
  HWND tray = zolt::host::ui::AddForeignWindow(u"Shell_TrayWnd", u"");
  created_.push_back(tray);
  EXPECT_EQ(FindWindowW(u"Shell_TrayWnd", nullptr), tray);
}

TEST_F(WindowTest, BadHandlesAndNullPointersGetThePlatformsAnswers) {
  HWND bogus = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(SendMessageW(bogus, WM_USER, 0, 0), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(PostMessageW(bogus, WM_USER, 0, 0));
  EXPECT_FALSE(GetWindowRect(bogus, nullptr));
  HWND h = Make(WS_POPUP);
  EXPECT_FALSE(GetWindowRect(h, nullptr));
  EXPECT_EQ(GetWindowTextW(h, nullptr, 10), 0);
  EXPECT_FALSE(PeekMessageW(nullptr, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), 1407u);
  EXPECT_EQ(CreateWindowExW(0, u"ZoltLog", u"", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

}  // namespace
