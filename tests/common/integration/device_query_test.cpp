// The device configuration query against simulated devices: what each device answer does to
// the options, and the devices that cannot be queried.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "device_fixture.h"
#include "devmode_fields.h"

namespace {

using zolt::test::DeviceTest;
using zolt::test::kFullDevice;

enum : uint16_t {
  kBiDirect = 733,
  kMemory = 10012,
  kMemoryType = 10013,
  kTrayField0 = 10111,  // tray code 3
  kTrayField1 = 10112,  // 4 and 12
  kTrayField2 = 10113,  // 5
  kTrayField29 = 10140, // 101
  kTrayOrient0 = 10143,
  kTrayOrient1 = 10144,
  kTrayOrient2 = 10145,
  kTrayOrient29 = 10172,
  kTray1Paper = 10175,
  kTray2Paper = 10176,
  kTray3Paper = 10177,
  kTray30Paper = 10204,
  kTray1Media = 10207,
  kTray2Media = 10208,
  kTray3Media = 10209,
  kTray30Media = 10236,
  kTrayLock0 = 10239,
  kTrayLock1 = 10240,
  kSystemVersion = 10271,
  kEmulationVersion = 10272,
  kOther = 10274,
  kCoverDefTray = 10276,
  kMPDefTray = 10277,
  kReverseCoverDefTray = 10288,
  kChapterSep1 = 10285,
  kMarking = 10435,
};

class DeviceQuery : public DeviceTest {};

TEST_F(DeviceQuery, FullDeviceFillsTraysPaperMediaAndVersions) {
  Device(kFullDevice);
  Set(kTray3Paper, 9);  // replaced: the device reports no paper there
  ASSERT_EQ(BidiUpdateFromDeviceQuiet(ctx), 1);

  const std::map<uint16_t, int32_t> expected = {
      {kBiDirect, 1},      {kTrayField0, 1},    {kTrayField1, 1},     {kTrayField2, 1},   {kTrayField29, 1},
      {kTray1Paper, 1},    {kTrayOrient0, 0},   {kTray2Paper, 1},     {kTrayOrient1, 1},  {kTray3Paper, 0},
      {kTrayOrient2, 0},   {kTray30Paper, 0},   {kTrayOrient29, 1},   {kTray1Media, 1},   {kTray2Media, 257},
      {kTray3Media, 1},    {kTray30Media, 1}, {kTrayLock0, 1},      {kTrayLock1, 0},    {kMemory, 262144},
      {kMemoryType, 0},    {kMarking, 1},       {kCoverDefTray, 1},   {kMPDefTray, 3},    {kReverseCoverDefTray, 2},
      {kChapterSep1, 0},
  };
  for (auto [id, value] : expected) EXPECT_EQ(Get(id), value) << id;
  // Media code 4 translates to 263, which zdmMediaType does not offer: the tray gets the first
  // media.
  // Cover default from trays 3 and 200 (attribute bit 2): tray 3 wins; multipurpose from tray 4;
  // reverse cover from tray 5. The function bits say so.
  EXPECT_EQ(CtxGetBidiFunc(ctx), 0x43);
  EXPECT_EQ(Blob(ctx, kSystemVersion), u"V1.02.03");
  EXPECT_EQ(Blob(ctx, kEmulationVersion), u"PCL6 2.0");
  EXPECT_EQ(Blob(ctx, kOther), u"Other info");
  // The caller may write the printer's data: the state goes there.
  EXPECT_EQ(Value(u"BidiFlag").bytes, std::string("\x01\0\0\0", 4));
  EXPECT_EQ(Value(u"BidiFunc").bytes, "\x43");
}

// Devices that cannot be queried: the query fails, the device configuration stays as it was and
// the version values and the marking capability are cleared.
TEST_F(DeviceQuery, DevicesThatCannotBeQueried) {
  struct Case {
    const char* name;
    const char* device;  // nullptr: no device file
    const char* defaults;
  };
  const std::string full = kFullDevice;
  const Case cases[] = {
      {"no device", nullptr, nullptr},
      {"not ready", "ready=0\nmodel=ZOLT Office 7000\ntrays=3\n", nullptr},
      {"wrong model", "model=ZOLT Office 2100\ntrays=3\n", nullptr},
      {"session refused", "model=ZOLT Office 7000\nsession=0\ntrays=3\n", nullptr},
      {"lost at the papers", "lost=20\nmodel=ZOLT Office 7000\ntrays=3,4\npapers=23,23\n", nullptr},
      {"lost at the memory", "lost=11\nmodel=ZOLT Office 7000\ntrays=3,4\npapers=23,23\nmedia=1,1\nattributes=0,0\n",
       nullptr},
      {"no model in the defaults", kFullDevice, "[Models]\r\n"},
      {"model not in the numbered lists",
       kFullDevice, "[Models]\r\nZOLT Office 7000 Series=ZOLT Office 7000\r\n[Models1]\r\nZOLT Office 7000 Series=X\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ec;
    std::filesystem::remove(Root() / "devices" / "ZOLT Office 7000.ini", ec);
    if (c.device) Device(c.device);
    if (c.defaults) WriteDriverDefaults(c.defaults);
    Set(kTrayField0, 0);
    Set(kTray1Paper, 9);
    Set(kMemory, 1024);
    Set(kMarking, 1);
    Set(kBiDirect, 1);
    ASSERT_EQ(OptSetStringValue(ctx, Row(kSystemVersion), u"OLD") != nullptr, true);
    EXPECT_EQ(BidiUpdateFromDeviceQuiet(ctx), 0);
    EXPECT_EQ(Get(kTrayField0), 0);
    EXPECT_EQ(Get(kTray1Paper), 9);
    EXPECT_EQ(Get(kMemory), 1024);
    EXPECT_EQ(Get(kBiDirect), 0);
    EXPECT_EQ(Get(kMarking), 0);
    EXPECT_EQ(Blob(ctx, kSystemVersion), u"");
    EXPECT_EQ(Value(u"BidiFlag").bytes, std::string(4, '\0'));
    if (c.defaults) WriteDriverDefaults("[Models]\r\nZOLT Office 7000 Series=ZOLT Office 7000\r\n");
  }
}

TEST_F(DeviceQuery, NumberedModelListsDecideWhenPresent) {
  Device(kFullDevice);
  WriteDriverDefaults(
      "[Models]\r\nZOLT Office 7000 Series=Other\r\n[Models1]\r\nZOLT Office 7000 Series=X\r\n"
      "[Models2]\r\nZOLT Office 7000 Series=ZOLT Office 7000\r\n");
  EXPECT_EQ(BidiUpdateFromDeviceQuiet(ctx), 1);
}

// Without the model check any device behind the port is taken (also when the numbered lists
// name other models).
TEST_F(DeviceQuery, ModelCheckOff) {
  Device("model=Someone Else\ntrays=3\n");
  WriteDriverDefaults("[Models]\r\nZOLT Office 7000 Series=ZOLT Office 7000\r\n[Models1]\r\nZOLT Office 7000 Series=X\r\n");
  EXPECT_EQ(BidiUpdateFromDeviceQuiet(ctx), 0);
  Switch(u"bIsBIDISupportForZOLTModel", u"0");
  EXPECT_EQ(BidiUpdateFromDeviceQuiet(ctx), 1);
}

// Switched off in the settings INI: nothing is asked, the query succeeds and the device values
// stay as they were.
TEST_F(DeviceQuery, NotAllowed) {
  Device(kFullDevice);
  Switch(u"bIsBIDISupportForZOLT", u"0");
  Set(kBiDirect, 1);
  ASSERT_NE(OptSetStringValue(ctx, Row(kSystemVersion), u"OLD"), nullptr);
  EXPECT_EQ(BidiIsAllowed(ctx), 0);
  EXPECT_EQ(BidiUpdateFromDeviceQuiet(ctx), 1);
  EXPECT_EQ(Get(kBiDirect), 0);
  EXPECT_EQ(Get(kTrayField0), 0);
  EXPECT_EQ(Blob(ctx, kSystemVersion), u"OLD");
}

TEST_F(DeviceQuery, BidiSwitchedOffInTheSpooler) {
  Device(kFullDevice);
  ctx->workArea->printerAttributes = 0;
  ctx->workArea->printerAttributesKnown = 1;
  EXPECT_EQ(BidiUpdateFromDeviceQuiet(ctx), 0);
  EXPECT_EQ(Get(kTrayField0), 0);
}

// A device that does not know the paper, media or attribute lists: the tray bits stay cleared,
// the tray options as they were, and the query still succeeds.
TEST_F(DeviceQuery, DeviceWithoutTrayDetails) {
  Device("model=ZOLT Office 7000\ntrays=3,4\nmedia=1,1\nattributes=0,0\n");
  Set(kTray1Paper, 9);
  Set(kTrayOrient0, 1);
  EXPECT_EQ(BidiUpdateFromDeviceQuiet(ctx), 1);
  EXPECT_EQ(Get(kTrayField0), 0);
  EXPECT_EQ(Get(kTrayField1), 0);
  EXPECT_EQ(Get(kTray1Paper), 9);
  EXPECT_EQ(Get(kTrayOrient0), 0);  // cleared with every tray bit
}

// Bad answers are bounded: lists of different lengths read missing entries as 0, codes outside
// the tables set nothing, a version longer than its field is cut, a model name that fills its
// buffer without a terminator is compared as cut.
TEST_F(DeviceQuery, BadAnswersAreBounded) {
  Device(
      "model=ZOLT Office 7000\n"
      "trays=3,4,77,0xFFFFFFFF,5\n"
      "papers=23\n"
      "media=12345\n"
      "attributes=0xFFFFFFFF\n"
      "memory=0xFFFFFFFF\n"
      "system=hex:41424344454647484950515253545556575859\n"
      "ramtype=7\n"
      "pdl=hex:00\n");
  EXPECT_EQ(BidiUpdateFromDeviceQuiet(ctx), 1);
  EXPECT_EQ(Get(kTray1Paper), 1);
  EXPECT_EQ(Get(kTray2Paper), 0);    // no paper code at its position
  EXPECT_EQ(Get(kTrayOrient1), 0);
  EXPECT_EQ(Get(kTray1Media), 1);    // an unknown media code gives the first media
  EXPECT_EQ(Get(kTrayLock0), 1);
  EXPECT_EQ(Get(kTrayField2), 1);
  EXPECT_EQ(Get(kMemory), 0x3FFFFF);
  EXPECT_EQ(Get(kMemoryType), 1);
  const BYTE* version = OptGetValuePointer(ctx, kSystemVersion, nullptr);
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(version), 16), "ABCDEFGHIPQRSTUV");  // cut to the field
  EXPECT_EQ(Blob(ctx, kEmulationVersion), u"");
}

TEST_F(DeviceQuery, ModelNameFillingTheBuffer) {
  const std::string longName(40, 'M');
  Device("model=" + longName + "\ntrays=3\n");
  WriteDriverDefaults("[Models]\r\nZOLT Office 7000 Series=" + std::string(32, 'M') + "\r\n");
  EXPECT_EQ(BidiUpdateFromDeviceQuiet(ctx), 1);
}

// A RAM type answered without data makes the memory type 1 and ends the channel reads.
TEST_F(DeviceQuery, RamTypeWithoutData) {
  Device("model=ZOLT Office 7000\ntrays=3\nramtype=\npdl=PCL\nother=X\n");
  EXPECT_EQ(BidiUpdateFromDeviceQuiet(ctx), 1);
  EXPECT_EQ(Get(kMemoryType), 1);
  EXPECT_EQ(Blob(ctx, kEmulationVersion), u"");
  EXPECT_EQ(Blob(ctx, kOther), u"");
}

// Two trays with the cover attribute in either order: tray 3 stands first in the priority
// list. A tray code in the list but not in the tables wins over the later ones and gives 0.
TEST_F(DeviceQuery, DefaultTrayPicks) {
  struct Case {
    const char* trays;
    const char* attributes;
    int32_t cover;
  };
  const Case cases[] = {
      {"4,3", "4,4", 1},
      {"3,4", "4,4", 1},
      {"12,4", "4,4", 3},
      {"10,12", "4,4", 0},  // 10 stands before 12 but is no tray of the tables
      {"4,5", "0,0", 1},  // none: tray 3's value
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.trays);
    Device(std::string("model=ZOLT Office 7000\ntrays=") + c.trays + "\npapers=23,23\nmedia=1,1\nattributes=" +
           c.attributes + "\n");
    ASSERT_EQ(BidiUpdateFromDeviceQuiet(ctx), 1);
    EXPECT_EQ(Get(kCoverDefTray), c.cover);
  }
}

// Attributes 0x20/0x40/0x80 mark chapter trays: the separator masks get the tray's lock bit and
// the chapter default trays its source value.
TEST_F(DeviceQuery, ChapterTrays) {
  Device("model=ZOLT Office 7000\ntrays=3,5\npapers=23,23\nmedia=1,1\nattributes=0x20,0x40\n");
  ASSERT_EQ(BidiUpdateFromDeviceQuiet(ctx), 1);
  EXPECT_EQ(Get(kChapterSep1), 1);      // tray 3: lock bit 0
  EXPECT_EQ(Get(kChapterSep1 + 1), 4);  // tray 5: lock bit 2
  EXPECT_EQ(Get(kChapterSep1 + 2), 0);
  EXPECT_EQ(Get(10278), 1);
  EXPECT_EQ(Get(10279), 2);
  EXPECT_EQ(CtxGetBidiFunc(ctx), 0x4 | 0x8);
}

TEST_F(DeviceQuery, VersionsOnly) {
  Device(kFullDevice);
  EXPECT_EQ(BidiReadDeviceVersions(ctx, nullptr), 1);
  EXPECT_EQ(Blob(ctx, kSystemVersion), u"V1.02.03");
  EXPECT_EQ(Blob(ctx, kEmulationVersion), u"PCL6 2.0");
  EXPECT_EQ(Get(kTrayField0), 0);
  EXPECT_EQ(Value(u"BidiFlag").bytes, std::string(4, '\0'));

  std::error_code ec;
  std::filesystem::remove(Root() / "devices" / "ZOLT Office 7000.ini", ec);
  EXPECT_EQ(BidiReadDeviceVersions(ctx, nullptr), 0);
  EXPECT_EQ(Blob(ctx, kSystemVersion), u"");
}

TEST_F(DeviceQuery, PortLibraryMissing) {
  Device(kFullDevice);
  ASSERT_TRUE(DeleteFileW(u"C:\\Windows\\System32\\qv4manNT.dll"));
  EXPECT_EQ(BidiUpdateFromDeviceQuiet(ctx), 0);
  EXPECT_EQ(Get(kTrayField0), 0);
}

}  // namespace

namespace {

// After an installation that applied a default settings file the device's default trays and
// chapter trays do not replace the user's; the trays themselves are still read.
class DeviceQueryAfterBatchInstall : public zolt::test::DeviceTest {};

TEST_F(DeviceQueryAfterBatchInstall, KeepsTheUsersTrays) {
  Device("model=ZOLT Office 7000\ntrays=3,5\npapers=23,23\nmedia=1,1\nattributes=0x25,0x208\n");
  ASSERT_TRUE(IniWriteString(CfgPrinterSection(ctx), u"BatchInstRst", u"Office.rst", PathGetSettingsIni(ctx)));
  ASSERT_EQ(CfgHasBatchInstRst(ctx), 1);
  Set(10276, 7);    // zdmCoverDefTray
  Set(10278, 7);    // zdmChapterDefTray1
  Set(10285, 9);    // zdmTrayChapterSep1
  ASSERT_EQ(BidiUpdateFromDeviceQuiet(ctx), 1);
  EXPECT_EQ(Get(10111), 1);
  EXPECT_EQ(Get(10175), 1);
  EXPECT_EQ(Get(10239), 1);  // the lock comes from the device all the same
  EXPECT_EQ(Get(10276), 7);
  EXPECT_EQ(Get(10278), 7);
  EXPECT_EQ(Get(10285), 9);
  EXPECT_EQ(CtxGetBidiFunc(ctx), 0);
  Set(125, 4);  // zdmCoverInputTray
  BidiApplyTrayDefaults(ctx);
  EXPECT_EQ(Get(125), 4);
}

}  // namespace
