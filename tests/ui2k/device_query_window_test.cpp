// The device query of the printer-interface module: the full query and the versions-only query
// show the progress window around the session with the device, and close it again.
#include <gtest/gtest.h>

#include "../common/integration/device_fixture.h"
#include "fd_services.h"

namespace {

using zolt::test::DeviceTest;
using zolt::test::kFullDevice;

class DeviceQueryWindow : public DeviceTest {
 protected:
  void SetUp() override {
    FdStandInReset();
    DeviceTest::SetUp();
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
    EXPECT_EQ(calls[i + 1].dialog, calls[i].dialog);
  }
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
