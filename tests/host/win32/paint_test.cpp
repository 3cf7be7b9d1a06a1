// Painting: the surfaces of top-level windows, the placement and clip of window DCs, system
// colour brushes, erasing and painting in order, the colours parents give controls, owner
// drawing, and windows saved as PNG files.
#include <gtest/gtest.h>

#include <string>

#include "machine_fixture.h"
#include "png_image.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace ui = zolt::host::ui;
namespace fs = std::filesystem;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 160, 0), kBlue = RGB(0, 0, 255);
HBRUSH g_staticBrush = nullptr;
int g_erases = 0;

LRESULT CALLBACK SurfaceParentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_ERASEBKGND:
      ++g_erases;
      break;
    case WM_CTLCOLORSTATIC:
      if (g_staticBrush) {
        SetTextColor(reinterpret_cast<HDC>(w), RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(g_staticBrush);
      }
      break;
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(l);
      HBRUSH b = CreateSolidBrush(kBlue);
      FillRect(dis->hDC, &dis->rcItem, b);
      DeleteObject(b);
      return TRUE;
    }
  }
  return DefWindowProcW(h, m, w, l);
}

class PaintTest : public zolt::test::MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    ui::Reset();
    g_staticBrush = nullptr;
    g_erases = 0;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = SurfaceParentProc;
    wc.lpszClassName = u"ZoltSurface";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(INT_PTR(COLOR_HIGHLIGHT + 1));
    RegisterClassExW(&wc);
    top_ = CreateWindowExW(0, u"ZoltSurface", u"Surface", WS_POPUP | WS_VISIBLE, 50, 40, 200, 100, nullptr, nullptr,
                           nullptr, nullptr);
    ASSERT_NE(top_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(top_);
    UnregisterClassW(u"ZoltSurface", nullptr);
    if (g_staticBrush) DeleteObject(g_staticBrush);
    MachineTest::TearDown();
  }
  HWND Child(LPCWSTR cls, DWORD style, int x, int y, int w, int h, LPCWSTR text = u"", int id = 10) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, top_,
                           reinterpret_cast<HMENU>(INT_PTR(id)), nullptr, nullptr);
  }
  COLORREF TopPixel(int x, int y) {
    HDC dc = GetDC(top_);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(top_, dc);
    return c;
  }
  HWND top_ = nullptr;
};

TEST_F(PaintTest, ChildDcDrawsAtItsPlaceInTheTopLevelSurfaceAndNowhereElse) {
  HWND child = Child(u"ZoltSurface", 0, 20, 10, 40, 30);
  ASSERT_NE(child, nullptr);
  HDC dc = GetDC(child);
  ASSERT_NE(dc, nullptr);
  HBRUSH red = CreateSolidBrush(kRed);
  RECT all{-100, -100, 500, 500};
  FillRect(dc, &all, red);
  ReleaseDC(child, dc);
  struct Case {
    int x, y;
    bool red;
  } cases[] = {{20, 10, true}, {59, 39, true}, {19, 10, false}, {60, 39, false}, {20, 40, false}, {0, 0, false}};
  for (const Case& c : cases) EXPECT_EQ(TopPixel(c.x, c.y) == kRed, c.red) << c.x << "," << c.y;

  // A hidden child draws nothing; a grandchild is clipped by its parent's client area.
  ShowWindow(child, SW_HIDE);
  HWND other = Child(u"ZoltSurface", 0, 100, 10, 40, 30);
  HWND grand = CreateWindowExW(0, u"ZoltSurface", u"", WS_CHILD | WS_VISIBLE, 30, 20, 40, 40, other, nullptr,
                               nullptr, nullptr);
  HDC hidden = GetDC(child);
  FillRect(hidden, &all, GetSysColorBrush(COLOR_WINDOW));
  ReleaseDC(child, hidden);
  EXPECT_EQ(TopPixel(30, 20), kRed);
  HDC g = GetDC(grand);
  FillRect(g, &all, red);
  ReleaseDC(grand, g);
  EXPECT_EQ(TopPixel(130, 30), kRed);
  EXPECT_EQ(TopPixel(139, 39), kRed);
  EXPECT_NE(TopPixel(140, 39), kRed);  // past the right edge of the grandchild's parent
  EXPECT_NE(TopPixel(135, 40), kRed);  // below it
  DeleteObject(red);
}

TEST_F(PaintTest, SystemColourBrushesAreSharedAndStandForColourIndexes) {
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), face);
  EXPECT_TRUE(DeleteObject(face));
  LOGBRUSH lb{};
  ASSERT_EQ(GetObjectW(face, sizeof lb, &lb), int(sizeof lb));  // still there
  EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(GetSysColorBrush(-1), nullptr);
  EXPECT_EQ(GetSysColorBrush(200), nullptr);

  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(mem, 8, 8);
  HBITMAP screenBm = CreateBitmap(8, 8, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(mem, screenBm);
  RECT r{0, 0, 8, 8};
  for (int index : {COLOR_HIGHLIGHT, COLOR_WINDOW, COLOR_3DDKSHADOW}) {
    EXPECT_TRUE(FillRect(mem, &r, reinterpret_cast<HBRUSH>(INT_PTR(index + 1))));
    EXPECT_EQ(GetPixel(mem, 3, 3), GetSysColor(index)) << index;
  }
  SelectObject(mem, old);
  DeleteObject(screenBm);
  DeleteObject(bm);
  DeleteDC(mem);
}

TEST_F(PaintTest, InvalidWindowsEraseWithTheirClassBackgroundAndValidateOnPaint) {
  InvalidateRect(top_, nullptr, TRUE);
  RECT update{};
  EXPECT_TRUE(GetUpdateRect(top_, &update, FALSE));
  EXPECT_EQ(update.right, 200);
  UpdateWindow(top_);
  EXPECT_GE(g_erases, 1);
  EXPECT_FALSE(GetUpdateRect(top_, &update, FALSE));
  EXPECT_EQ(TopPixel(5, 5), GetSysColor(COLOR_HIGHLIGHT));

  // BeginPaint hands out what was invalid, and nothing once it was painted.
  RECT part{10, 10, 30, 20};
  InvalidateRect(top_, &part, FALSE);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(top_, &ps);
  ASSERT_NE(dc, nullptr);
  EXPECT_TRUE(EqualRect(&ps.rcPaint, &part));
  EndPaint(top_, &ps);
  dc = BeginPaint(top_, &ps);
  EXPECT_TRUE(IsRectEmpty(&ps.rcPaint));
  EndPaint(top_, &ps);
}

TEST_F(PaintTest, ControlsPaintWithTheirParentsColoursAndOwnerDrawing) {
  g_staticBrush = CreateSolidBrush(kGreen);
  HWND label = Child(u"Static", SS_LEFT, 10, 10, 80, 20, u"", 11);
  HWND owner = Child(u"Button", BS_OWNERDRAW, 100, 10, 60, 24, u"Draw", 12);
  HWND push = Child(u"Button", BS_PUSHBUTTON, 100, 50, 60, 24, u"", 13);
  ASSERT_TRUE(label && owner && push);
  fs::path file = Root() / "surface.png";
  ASSERT_TRUE(ui::SavePng(top_, file.string()));
  EXPECT_EQ(TopPixel(15, 15), kGreen);                         // WM_CTLCOLORSTATIC's brush
  EXPECT_EQ(TopPixel(130, 20), kBlue);                         // WM_DRAWITEM into the window's DC
  EXPECT_EQ(TopPixel(130, 60), GetSysColor(COLOR_BTNFACE));    // a push button's face
  EXPECT_EQ(TopPixel(180, 90), GetSysColor(COLOR_HIGHLIGHT));  // the class background

  zolt::test::RgbImage image;
  ASSERT_TRUE(zolt::test::ReadPng(file, image));
  EXPECT_EQ(image.width, 200);
  EXPECT_EQ(image.height, 100);
  EXPECT_EQ(image.At(15, 15), kGreen);
  EXPECT_EQ(image.At(130, 20), kBlue);

  // A child alone: its own window rectangle out of the surface.
  fs::path piece = Root() / "owner.png";
  ASSERT_TRUE(ui::SavePng(owner, piece.string()));
  ASSERT_TRUE(zolt::test::ReadPng(piece, image));
  EXPECT_EQ(image.width, 60);
  EXPECT_EQ(image.height, 24);
  EXPECT_EQ(image.At(0, 0), kBlue);
  EXPECT_EQ(image.At(59, 23), kBlue);
  EXPECT_FALSE(ui::SavePng(reinterpret_cast<HWND>(INT_PTR(0x7777)), piece.string()));
}

// Overlapping siblings: the one higher in the Z order (here the first created) shows.
TEST_F(PaintTest, AWindowHigherInTheZOrderCoversItsSiblings) {
  g_staticBrush = CreateSolidBrush(kGreen);
  HWND label = Child(u"Static", SS_LEFT, 10, 10, 80, 20, u"", 11);
  HWND under = Child(u"Button", BS_PUSHBUTTON, 0, 0, 200, 100, u"", 12);
  ASSERT_TRUE(label && under);
  ASSERT_EQ(GetWindow(top_, GW_CHILD), label);
  ASSERT_TRUE(ui::SavePng(top_, (Root() / "overlap.png").string()));
  EXPECT_EQ(TopPixel(15, 15), kGreen);
  EXPECT_EQ(TopPixel(150, 60), GetSysColor(COLOR_BTNFACE));
  // Brought to the top, the button covers the label.
  SetWindowPos(under, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ASSERT_TRUE(ui::SavePng(top_, (Root() / "overlap.png").string()));
  EXPECT_EQ(TopPixel(15, 15), GetSysColor(COLOR_BTNFACE));
}

}  // namespace
