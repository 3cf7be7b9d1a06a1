// The device-state store: where a successful query keeps the device's configuration (printer
// data for a caller who may change them, the shared state file otherwise), the flags, and the
// decision made when a sheet opens.
#include <gtest/gtest.h>

#include <string>

#include "device_fixture.h"
#include "devmode_fields.h"
#include "feature_modules.h"
#include "settings_paths.h"

namespace {

using zolt::test::DeviceTest;
using zolt::test::kFullDevice;

enum : uint16_t {
  kBiDirect = 733,
  kServerClientMode = 737,
  kTrayField0 = 10111,
  kTray1Paper = 10175,
  kTray1Media = 10207,
  kCoverDefTray = 10276,
  kMPDefTray = 10277,
  kChapterDefTray1 = 10278,
  kReverseCoverDefTray = 10288,
  kMPInputTray = 123,
  kCoverInputTray = 125,
  kBackCoverInputTray = 127,
  kReverseCoverInputTray = 410,
  kChapterTray = 1026,
};

class DeviceState : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_FALSE(StateFile().empty());
  }
  std::string Section() {
    std::u16string name = PrnGetName(ctx);
    return std::string(name.begin(), name.end());
  }
  void WriteState(const std::string& lines) { zolt::test::WriteBytes(Real(StateFile()), "[" + Section() + "]\r\n" + lines); }
};

TEST_F(DeviceState, AdministratorQueryKeepsTheStateInPrinterData) {
  Device(kFullDevice);
  WriteState("BidiFlag=1\r\n");
  ASSERT_EQ(BidiCanWritePrinterData(ctx), 1);
  ASSERT_EQ(BidiUpdateFromDeviceQuiet(ctx), 1);
  EXPECT_EQ(Value(u"BidiFlag").bytes, std::string("\x01\0\0\0", 4));
  EXPECT_EQ(BidiPrinterDataHasState(printer, ctx), 1);
  // The printer's section of the state file is dropped.
  EXPECT_EQ(StateText().find(Section()), std::string::npos);
  EXPECT_EQ(BidiStateFileHasFlag(ctx), 0);
}

// A user who may not change the printer's data: the device's configuration goes to the state
// file, which a second context reads back; an administrator's next settings load moves it into
// printer data and drops the section.
TEST_F(DeviceState, UserQueryKeepsTheStateInTheSharedFile) {
  Device(kFullDevice);
  DriverContext* user = UserContext();
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(BidiCanWritePrinterData(user), 0);
  ASSERT_EQ(BidiUpdateFromDeviceQuiet(user), 1);
  EXPECT_EQ(Value(u"BidiFlag").bytes, std::string(4, '\0'));  // unchanged
  const std::string text = StateText();
  EXPECT_NE(text.find("BidiFlag=1"), std::string::npos) << text;
  EXPECT_NE(text.find("BidiFunc=67"), std::string::npos) << text;
  EXPECT_NE(text.find("BidiExFlag=1"), std::string::npos) << text;
  EXPECT_NE(text.find("zdmTray1Paper=1"), std::string::npos) << text;

  // A second context reads it back.
  EXPECT_EQ(BidiStateFileGetFlag(ctx), 1);
  EXPECT_EQ(Get(kTrayField0), 0);
  BidiLoadStateFile(ctx);
  EXPECT_EQ(Get(kTrayField0), 1);
  EXPECT_EQ(Get(kTray1Paper), 1);
  EXPECT_EQ(CtxGetBidiFunc(ctx), 0x43);

  // The administrator's settings load moves it into printer data.
  Set(kTrayField0, 0);
  ASSERT_EQ(CfgLoadPrinterSettings(ctx), 1);
  EXPECT_EQ(Get(kTrayField0), 1);
  EXPECT_EQ(BidiStateFileHasFlag(ctx), 0);
  DriverContext* fresh = MakeContext(kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(fresh, nullptr);
  CfgLoadOptions(printer, 2, fresh);
  EXPECT_EQ(OptGetValue(fresh, kTrayField0, nullptr), 1);
  EXPECT_EQ(OptGetValue(fresh, kTray1Paper, nullptr), 1);
  Destroy(fresh);
}

TEST_F(DeviceState, FlagsOfTheStateFile) {
  struct Case {
    const char* lines;
    int hasFlag, getFlag, hasEx, getEx;
  };
  const Case cases[] = {
      {"", 0, 0, 0, 0},
      {"BidiFlag=1\r\n", 1, 1, 0, 0},
      {"BidiFlag=0\r\nBidiExFlag=1\r\n", 1, 0, 1, 1},
      {"BidiFlag=7\r\nBidiExFlag=7\r\n", 0, 0, 0, 0},  // 7 reads as absent
      {"BidiFlag=2\r\n", 1, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    WriteState(c.lines);
    EXPECT_EQ(BidiStateFileHasFlag(ctx), c.hasFlag);
    EXPECT_EQ(BidiStateFileGetFlag(ctx), c.getFlag);
    EXPECT_EQ(BidiStateFileHasExFlag(ctx), c.hasEx);
    EXPECT_EQ(BidiStateFileGetExFlag(ctx), c.getEx);
  }
  EXPECT_EQ(BidiStateFileSetFunc(ctx, 64), 1);
  EXPECT_NE(StateText().find("BidiFunc=64"), std::string::npos);
  BidiStateFileLoadFunc(ctx);
  EXPECT_EQ(CtxGetBidiFunc(ctx), 64);
  EXPECT_EQ(BidiDropStateSection(ctx), 1);
  EXPECT_EQ(StateText().find(Section()), std::string::npos);
}

// The sheet-open decision. Nobody answers notification 17 in the window-free build, so a sheet
// without usable state gets 0 (the modules did not query the device).
TEST_F(DeviceState, SheetOpenDecision) {
  struct Case {
    const char* name;
    const char* state;   // the state file's section, nullptr for none
    DWORD printerFlag;
    BYTE serverClient;
    int result;
    int biDirect;
  };
  const Case cases[] = {
      {"state file says yes", "BidiFlag=1\r\n", 0, 0, 1, 1},
      {"state file says no, printer data ignored", "BidiFlag=0\r\n", 1, 0, 0, 0},
      {"printer data", nullptr, 1, 0, 1, 1},
      {"nothing stored", nullptr, 0, 0, 0, 0},
      {"client of a server ignores the file", "BidiFlag=1\r\n", 0, 1, 0, 0},
      {"client of a server takes printer data", "BidiFlag=0\r\n", 1, 1, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.state) WriteState(c.state);
    else BidiDropStateSection(ctx);
    DWORD flag = c.printerFlag;
    Put(u"BidiFlag", std::string(reinterpret_cast<const char*>(&flag), 4));
    Put(u"BidiFunc", "\x05");
    CtxSetServerClientMode(ctx, c.serverClient);
    Set(kBiDirect, 0);
    CtxSetBidiFunc(ctx, 0);
    EXPECT_EQ(BidiInitAtSheetOpen(ctx, nullptr), c.result);
    EXPECT_EQ(Get(kBiDirect), c.biDirect);
    if (!c.state && c.printerFlag) {
      EXPECT_EQ(CtxGetBidiFunc(ctx), 5);
    }
  }
}

TEST_F(DeviceState, StoredFunctionData) {
  // Without a state-file key: printer data.
  BidiStoreFuncData(ctx, kOptBidiFuncDataTwoColor, 1);
  EXPECT_EQ(Value(u"BidiFuncData").bytes, std::string("\x01\0\0\0", 4));
  Put(u"BidiFuncDataMarking", std::string("\x06\0\0\0", 4));
  BidiStoreFuncData(ctx, kOptBidiFuncDataMarking, 1);
  EXPECT_EQ(Value(u"BidiFuncDataMarking").bytes, std::string("\x07\0\0\0", 4));
  BidiStoreFuncData(ctx, kOptBidiFuncDataMarking, 0);
  EXPECT_EQ(Value(u"BidiFuncDataMarking").bytes, std::string(4, '\0'));
  Put(u"BidiFuncData", std::string("\x03\0\0\0", 4));
  BidiStoreFuncData(ctx, kOptBidiFuncDataTwoColor, 0);
  EXPECT_EQ(Value(u"BidiFuncData").bytes, std::string("\x02\0\0\0", 4));
  // A state-file key that reads non-zero takes the value instead.
  WriteState("zdmBidiFuncDataMarking=1\r\n");
  BidiStoreFuncData(ctx, kOptBidiFuncDataMarking, 0);
  EXPECT_NE(StateText().find("zdmBidiFuncDataMarking=0"), std::string::npos);
  EXPECT_EQ(Value(u"BidiFuncDataMarking").bytes, std::string(4, '\0'));
  // Other options do nothing.
  BidiStoreFuncData(ctx, 10436, 1);
}

TEST_F(DeviceState, TrayDefaultsAreAppliedOnce) {
  Set(kCoverDefTray, 3);
  Set(kMPDefTray, 5);
  Set(kReverseCoverDefTray, 2);
  Set(kChapterDefTray1, 256);
  EXPECT_EQ(BidiAreTrayDefaultsApplied(ctx), 0);
  BidiApplyTrayDefaults(ctx);
  EXPECT_EQ(Get(kCoverInputTray), 3);
  EXPECT_EQ(Get(kBackCoverInputTray), 3);
  EXPECT_EQ(Get(kMPInputTray), 5);
  EXPECT_EQ(Get(kReverseCoverInputTray), 2);
  EXPECT_EQ(Get(kChapterTray), 256);
  EXPECT_NE(IniText().find("=256"), std::string::npos);
  BidiSetTrayDefaultsApplied(ctx);
  EXPECT_EQ(Value(u"BidiExFlag").bytes, std::string("\x01\0\0\0", 4));
  EXPECT_EQ(BidiAreTrayDefaultsApplied(ctx), 1);
  Set(kCoverDefTray, 1);
  BidiApplyTrayDefaults(ctx);
  EXPECT_EQ(Get(kCoverInputTray), 3);

  // With the state file holding BidiExFlag it is the file's flag that counts.
  WriteState("BidiExFlag=0\r\n");
  EXPECT_EQ(BidiAreTrayDefaultsApplied(ctx), 0);
  BidiSetTrayDefaultsApplied(ctx);
  EXPECT_EQ(BidiStateFileGetExFlag(ctx), 1);
}

// A caller who cannot write the printer's data never copies the trays.
TEST_F(DeviceState, UserWithoutRightsCountsAsApplied) {
  DriverContext* user = UserContext();
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(BidiAreTrayDefaultsApplied(user), 1);
}

TEST_F(DeviceState, StateFileCreatedForEveryone) {
  EXPECT_EQ(BidiCreateStateFile(ctx), 1);
  EXPECT_EQ(StateText(), "\r\n");
  WriteState("BidiFlag=1\r\n");
  EXPECT_EQ(BidiCreateStateFile(ctx), 1);
  EXPECT_EQ(BidiStateFileGetFlag(ctx), 1);  // the content stays
}

TEST_F(DeviceState, QueryFailedMessageIsQuietHere) { BidiShowQueryFailed(ctx, nullptr); }

}  // namespace
