// The remote-configuration entry points and their fixed answers, and the device's web address
// through the port library.
#include <gtest/gtest.h>

#include <cstring>

#include "../settings/option_store_fixture.h"
#include "remote_config.h"

namespace {

using zolt::test::StoreContextTest;
using zolt::test::WriteBytes;

class RemoteConfig : public StoreContextTest {};

TEST_F(RemoteConfig, EveryEntryPointReportsNotAvailable) {
  BYTE devMode[16];
  std::memset(devMode, 0xAB, sizeof(devMode));
  BYTE flag = 0xCD, type = 0xEF;
  DWORD valueType = 0, size = 0;
  BYTE out[8] = {};
  struct Case {
    const char* name;
    int result;
  };
  const Case cases[] = {
      {"state", RcfgGetState(ctx)},
      {"feature 0", RcfgFetchForFeature(0, nullptr, ctx)},
      {"feature 7", RcfgFetchForFeature(7, devMode, ctx)},
      {"clear", RcfgClearServerInfo(ctx)},
      {"device mode", RcfgGetServerDevmode(ctx, devMode, &flag)},
      {"server type", RcfgGetServerType(printer, u"ZOLT Office 7000", &type)},
      {"printer data", RcfgCopyServerPrinterData(printer, u"BidiFlag", &valueType, out, 4, &size, 3, nullptr)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, 0) << c.name;
  EXPECT_EQ(devMode[0], 0xAB);
  EXPECT_EQ(flag, 0xCD);
  EXPECT_EQ(type, 0xEF);
}

TEST_F(RemoteConfig, DeviceAddress) {
  WriteBytes(Root() / "devices" / "ZOLT Office 7000.ini", "model=X\naddress=192.168.10.20\n");
  char address[64] = {};
  EXPECT_EQ(BidiGetDeviceAddress(ctx, address, sizeof(address)), 1);
  EXPECT_STREQ(address, "192.168.10.20");

  // Cut to the buffer.
  char small[8] = {};
  EXPECT_EQ(BidiGetDeviceAddress(ctx, small, sizeof(small)), 1);
  EXPECT_STREQ(small, "192.168");

  // No device: the library is asked and the buffer stays as the caller cleared it.
  std::filesystem::remove(Root() / "devices" / "ZOLT Office 7000.ini");
  char none[64] = {};
  EXPECT_EQ(BidiGetDeviceAddress(ctx, none, sizeof(none)), 1);
  EXPECT_STREQ(none, "");

  // No library.
  ASSERT_TRUE(DeleteFileW(u"C:\\Windows\\System32\\qv4manNT.dll"));
  std::strcpy(none, "kept");
  EXPECT_EQ(BidiGetDeviceAddress(ctx, none, sizeof(none)), 0);
  EXPECT_STREQ(none, "kept");
  EXPECT_EQ(BidiGetDeviceAddress(ctx, nullptr, 64), 0);
}

}  // namespace
