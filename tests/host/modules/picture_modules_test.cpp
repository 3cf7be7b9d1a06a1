// The modules behind the driver's pictures: bitmaps of the language-neutral library (run-length
// ones decoded by LoadBitmapW) and the visual-styles module with its tab pane.
#include <gtest/gtest.h>

#include <filesystem>

#include "machine_fixture.h"
#include "test_module.h"
#include "testmod.h"
#include "win32/windows.h"

namespace {

template <class Fn>
Fn Proc(HMODULE h, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(h, name)));
}

using OpenThemeFn = HANDLE(WINAPI*)(HWND, LPCWSTR);
using CloseThemeFn = HRESULT(WINAPI*)(HANDLE);
using DrawThemeFn = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
using ThemeActiveFn = BOOL(WINAPI*)();

class PictureModules : public zolt::test::MachineTest {};

TEST_F(PictureModules, LoadBitmapDecodesRunLengthPictures) {
  namespace fs = std::filesystem;
  fs::copy_file(fs::path(ZOLT_MODULE_DIR) / "ZOLTCRXX.DLL", Root() / "drive_c/Windows/System32/ZOLTCRXX.DLL",
                fs::copy_options::overwrite_existing);
  HMODULE library = LoadLibraryW(u"ZOLTCRXX.DLL");
  ASSERT_NE(library, nullptr);
  // 7380: a landscape sheet (70 x 52) centred in 108 x 91 on the key colour, run-length coded.
  HBITMAP bitmap = LoadBitmapW(library, MAKEINTRESOURCEW(7380));
  ASSERT_NE(bitmap, nullptr);
  BITMAP bm{};
  ASSERT_TRUE(GetObjectW(bitmap, sizeof bm, &bm));
  EXPECT_EQ(bm.bmWidth, 108);
  EXPECT_EQ(bm.bmHeight, 91);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0xCC, 0x00, 0x33));
  EXPECT_EQ(GetPixel(dc, 54, 45), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 19, 19), RGB(64, 64, 64));  // the sheet's top-left border
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
  EXPECT_EQ(LoadBitmapW(library, MAKEINTRESOURCEW(1)), nullptr);
  FreeLibrary(library);
}

TEST_F(PictureModules, TheTabPaneOfTheVisualStyles) {
  HMODULE ux = LoadLibraryW(u"UxTheme.DLL");
  ASSERT_NE(ux, nullptr);
  auto open = Proc<OpenThemeFn>(ux, "OpenThemeData");
  auto close = Proc<CloseThemeFn>(ux, "CloseThemeData");
  auto draw = Proc<DrawThemeFn>(ux, "DrawThemeBackground");
  auto active = Proc<ThemeActiveFn>(ux, "IsThemeActive");
  ASSERT_TRUE(open && close && draw && active);
  EXPECT_EQ(active(), TRUE);
  HWND window = CreateWindowExW(0, u"#32770", u"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(open(window, u"Button"), nullptr);
  HANDLE theme = open(window, u"TAB");
  ASSERT_NE(theme, nullptr);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 20, 20);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, 20, 20, BLACKNESS);
  RECT pane{0, 0, 20, 20}, clip{0, 0, 10, 20};
  EXPECT_EQ(draw(theme, dc, 9, 0, &pane, &clip), S_OK);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(137, 140, 149));
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(252, 252, 252));
  EXPECT_EQ(GetPixel(dc, 15, 5), RGB(0, 0, 0));  // outside the clip
  EXPECT_NE(draw(theme, dc, 1, 0, &pane, nullptr), S_OK);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EXPECT_EQ(close(theme), S_OK);
  DestroyWindow(window);
  FreeLibrary(ux);
}

// A module's icon is drawn from its images: the test module's 1 x 1 icon is opaque RGB(3, 2, 1).
class ModuleIcons : public zolt::test::TestModuleTest {};

TEST_F(ModuleIcons, LoadIconGivesAnIconThatDraws) {
  HICON icon = LoadIconW(module_, MAKEINTRESOURCEW(IDI_APP));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIconW(module_, MAKEINTRESOURCEW(IDI_APP)), icon);  // shared
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, 4, 4, WHITENESS);
  EXPECT_TRUE(DrawIcon(dc, 1, 1, icon));
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(3, 2, 1));
  EXPECT_EQ(GetPixel(dc, 3, 3), RGB(3, 2, 1));  // drawn at the system's icon size
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EXPECT_EQ(LoadIconW(module_, MAKEINTRESOURCEW(1)), nullptr);
}

class PictureModulesOnWindows2000 : public PictureModules {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts f;
    f.majorVersion = 5;
    f.minorVersion = 0;
    f.buildNumber = 2195;
    return f;
  }
};

TEST_F(PictureModulesOnWindows2000, NoVisualStyles) {
  HMODULE ux = LoadLibraryW(u"UxTheme.DLL");
  ASSERT_NE(ux, nullptr);
  EXPECT_EQ(Proc<ThemeActiveFn>(ux, "IsThemeActive")(), FALSE);
  HWND window = CreateWindowExW(0, u"#32770", u"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(Proc<OpenThemeFn>(ux, "OpenThemeData")(window, u"Tab"), nullptr);
  DestroyWindow(window);
  FreeLibrary(ux);
}

}  // namespace
