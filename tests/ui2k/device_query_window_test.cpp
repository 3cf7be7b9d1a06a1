// The device query of the printer-interface module: the full query and the versions-only query
// show the progress window around the session with the device, and close it again.
#include <gtest/gtest.h>

#include "../common/integration/device_fixture.h"
#include "fd_services.h"
#include "settings_paths.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

using zolt::test::DeviceTest;
using zolt::test::kFullDevice;

class DeviceQueryWindow : public DeviceTest {
 protected:
  void SetUp() override {
    FdStandInReset();
    DeviceTest::SetUp();
    if (HasFatalFailure()) return;
    // The English language library, which holds the progress window's template and text.
    const std::u16string path = u"C:\\Windows\\ZOLT7Rus.DLL";
    zolt::test::WriteBytes(Real(path), zolt::test::ReadBytes(std::filesystem::path(ZOLT_MODULE_DIR) / "ZOLT7Rus.DLL"));
    ctx->resourceLibrary = LoadLibraryW(path.c_str());
    ASSERT_NE(ctx->resourceLibrary, nullptr);
  }
  void TearDown() override {
    DeviceTest::TearDown();
    FdStandInReset();
  }
};

TEST_F(DeviceQueryWindow, ProgressWindowAroundTheSession) {
  Device(kFullDevice);
  HWND parent = reinterpret_cast<HWND>(uintptr_t{0x1234});
  ASSERT_EQ(BidiUpdateFromDevice(ctx, parent), 1);
  ASSERT_EQ(BidiReadDeviceVersions(ctx, parent), 1);
  ASSERT_EQ(BidiUpdateFromDeviceQuiet(ctx), 1);  // no window
  const std::vector<FdRecordedCall> calls = FdStandInCalls();
  ASSERT_EQ(calls.size(), 4u);
  for (int i : {0, 2}) {
    EXPECT_EQ(calls[i].kind, FdCallKind::kShowProgress);
    EXPECT_EQ(calls[i].stringId, kBidiProgressString);
    EXPECT_EQ(calls[i].ctx, ctx);
    EXPECT_EQ(calls[i + 1].kind, FdCallKind::kCloseProgress);
    EXPECT_NE(calls[i].dialog, nullptr);
    EXPECT_EQ(calls[i + 1].dialog, calls[i].dialog);
    EXPECT_FALSE(IsWindow(calls[i].dialog));  // destroyed when the session ended
  }
}

// The progress window is a modeless dialog of the language library: the printer's name as its
// caption, the text of the string in item 5005, owned by the active window.
TEST_F(DeviceQueryWindow, ProgressWindowShowsThePrinterAndTheText) {
  HWND owner = CreateWindowExW(0, u"#32770", u"Owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  SetActiveWindow(owner);
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
  DestroyWindow(owner);
}

// Without a device the probe fails before any window is shown; the failure message is the
// page's to show.
TEST_F(DeviceQueryWindow, NoWindowWithoutADevice) {
  EXPECT_EQ(BidiUpdateFromDevice(ctx, nullptr), 0);
  EXPECT_TRUE(FdStandInCalls().empty());
  BidiShowQueryFailed(ctx, nullptr);
  const std::vector<FdRecordedCall> calls = FdStandInCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].kind, FdCallKind::kWarning);
  EXPECT_EQ(calls[0].stringId, kBidiQueryFailedString);
}

}  // namespace
