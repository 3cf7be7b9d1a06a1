// The device query of the printer-interface module: the full query and the versions-only query
// show the progress window around the session with the device, and close it again; a failed
// query is reported in a message box.
#include <gtest/gtest.h>

#include "../common/integration/device_fixture.h"
#include "fd_services.h"
#include "settings_paths.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;
using zolt::test::DeviceTest;

// The windows that took the activation from the test's owner window, in order.
std::vector<HWND> g_activated;
WNDPROC g_ownerProc = nullptr;
LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) g_activated.push_back(reinterpret_cast<HWND>(lParam));
  return CallWindowProcW(g_ownerProc, window, message, wParam, lParam);
}
using zolt::test::kFullDevice;

class DeviceQueryWindow : public DeviceTest {
 protected:
  void SetUp() override {
    ui::Reset();
    g_activated.clear();
    DeviceTest::SetUp();
    if (HasFatalFailure()) return;
    // The English language library, which holds the progress window's template and text.
    const std::u16string path = u"C:\\Windows\\ZOLT7Rus.DLL";
    zolt::test::WriteBytes(Real(path), zolt::test::ReadBytes(std::filesystem::path(ZOLT_MODULE_DIR) / "ZOLT7Rus.DLL"));
    ctx->resourceLibrary = LoadLibraryW(path.c_str());
    ASSERT_NE(ctx->resourceLibrary, nullptr);
  }
  void TearDown() override {
    if (owner_) DestroyWindow(owner_);
    DeviceTest::TearDown();
    ui::Reset();
  }
  // A visible window made the active one, which hears who takes the activation from it.
  HWND Owner() {
    if (!owner_) {
      owner_ = CreateWindowExW(0, u"#32770", u"Owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
      g_ownerProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(owner_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OwnerProc)));
      SetActiveWindow(owner_);
    }
    return owner_;
  }
  HWND owner_ = nullptr;
};

TEST_F(DeviceQueryWindow, ProgressWindowAroundTheSession) {
  Device(kFullDevice);
  HWND parent = Owner();
  ASSERT_EQ(BidiUpdateFromDevice(ctx, parent), 1);
  ASSERT_EQ(BidiReadDeviceVersions(ctx, parent), 1);
  ASSERT_EQ(BidiUpdateFromDeviceQuiet(ctx), 1);  // no window
  // Each windowed query showed its own progress window over the owner and destroyed it.
  ASSERT_EQ(g_activated.size(), 2u);
  for (HWND progress : g_activated) {
    EXPECT_NE(progress, nullptr);
    EXPECT_FALSE(IsWindow(progress));
  }
  EXPECT_EQ(GetActiveWindow(), parent);
  EXPECT_TRUE(ui::MessageBoxes().empty());
}

// The progress window is a modeless dialog of the language library: the printer's name as its
// caption, the text of the string in item 5005, owned by the active window.
TEST_F(DeviceQueryWindow, ProgressWindowShowsThePrinterAndTheText) {
  HWND owner = Owner();
  ASSERT_NE(owner, nullptr);
  HWND progress = FdShowProgressDialog(ctx, nullptr, kBidiProgressString);
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(IsWindowVisible(progress));
  EXPECT_EQ(GetWindow(progress, GW_OWNER), owner);
  EXPECT_EQ(zolt::host::ui::Text(progress), std::u16string(PrnGetName(ctx)));
  WCHAR text[128];
  GetDlgItemTextW(progress, 5005, text, 128);
  EXPECT_EQ(std::u16string(text), u"Getting the printer's configuration...");
  EXPECT_TRUE(zolt::host::ui::SavePng(progress, (Root() / "progress.png").string()));
  EXPECT_TRUE(FdCloseProgressDialog(nullptr, progress));
  EXPECT_FALSE(IsWindow(progress));
  EXPECT_FALSE(FdCloseProgressDialog(nullptr, progress));
}

// Without a device the probe fails before any window is shown; the failure message is the
// page's to show: a warning under the printer's name.
TEST_F(DeviceQueryWindow, NoWindowWithoutADevice) {
  HWND parent = Owner();
  EXPECT_EQ(BidiUpdateFromDevice(ctx, parent), 0);
  EXPECT_TRUE(g_activated.empty());
  EXPECT_TRUE(ui::MessageBoxes().empty());
  BidiShowQueryFailed(ctx, parent);
  const std::vector<ui::MessageBoxRecord> boxes = ui::MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            u"The printer's configuration could not be obtained. Check that the printer is turned on and connected.");
  EXPECT_EQ(boxes[0].caption, std::u16string(PrnGetName(ctx)));
  EXPECT_EQ(boxes[0].type, UINT(MB_ICONWARNING | MB_OK));
  EXPECT_EQ(boxes[0].owner, parent);
}

}  // namespace
