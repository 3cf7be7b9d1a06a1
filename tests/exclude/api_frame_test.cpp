// The frame of the settings interface: version agreement, contexts, last errors, handles that
// are not contexts, and the support bitmaps.
#include <array>

#include "api_fixture.h"
#include "api_records.h"
#define ZOLTSETTINGS_RECORDS_ONLY
#include "zoltsettings.h"

namespace {

using zolt::test::ApiTest;
using zolt::test::kApiPrinter;

// The outside program's declarations and the module's agree byte for byte.
static_assert(sizeof(ZoltDrvStatus) == sizeof(StatusRecord));
static_assert(offsetof(ZoltDrvStatus, value) == offsetof(StatusRecord, value));
static_assert(offsetof(ZoltDrvStatus, fields) == offsetof(StatusRecord, fields));
static_assert(offsetof(ZoltDrvStatus, functionSwitch) == offsetof(StatusRecord, functionSwitch));
static_assert(sizeof(ZoltDrvInitRecord) == sizeof(ApiInitRecord));
static_assert(offsetof(ZoltDrvInitRecord, version) == offsetof(ApiInitRecord, version));
static_assert(ZOLTDRV_CHANGE_BITMAP_BYTES == kBitmapBytes);

TEST_F(ApiTest, CheckApiVersionReadsTheDriverDefaultsFile) {
  struct Case {
    const char16_t* ini;  // nullptr: no section
    int32_t answer;
    int32_t current;      // the current version afterwards (-1: unchanged from 3)
  } cases[] = {{nullptr, 3, 3}, {u"30", 22, 3}, {u"12", 12, 3}, {u"2", 2, 2}, {u"0", 0, 0}};
  for (const Case& c : cases) {
    ApiGetProcessState()->currentVersion = 3;
    SetIniVersion(c.ini);
    EXPECT_EQ(ZOLTDrvCheckAPIVer(kApiPrinter), c.answer);
    EXPECT_EQ(ApiGetProcessState()->printerVersion, c.answer);
    EXPECT_EQ(ApiGetVersion(), c.current);
  }
  const int32_t before = ApiGetProcessState()->printerVersion;
  EXPECT_EQ(ZOLTDrvCheckAPIVer(nullptr), 0);
  EXPECT_EQ(ZOLTDrvCheckAPIVer(""), 0);
  EXPECT_EQ(ApiGetProcessState()->printerVersion, before);
}

TEST_F(ApiTest, EnableInitAndLastError) {
  SetIniVersion(u"22");
  ApiGetProcessState()->currentVersion = 3;
  DriverContext* ctx = ZOLTDrvEnable(kApiPrinter);
  ASSERT_NE(ctx, nullptr);
  opened_.push_back(ctx);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx), -1);  // version 3 keeps no last error
  ApiInitRecord twelve{0, 12}, thirty{0, 30};
  EXPECT_EQ(ZOLTDrvInit(1, &twelve), 1);
  EXPECT_EQ(ApiGetVersion(), 12);
  EXPECT_EQ(ZOLTDrvInit(0, &thirty), 0);
  EXPECT_EQ(ApiGetVersion(), 12);
  EXPECT_EQ(ZOLTDrvInit(1, &thirty), 1);
  EXPECT_EQ(ApiGetVersion(), 22);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx), 0);
  // The enable step took a backup of the whole settings image.
  ApiExtension* ext = ApiGetExtension(ctx);
  ASSERT_NE(ext, nullptr);
  EXPECT_EQ(std::memcmp(ext->backupImage, ctx->settingsImage, DmGetImageSize()), 0);
  EXPECT_EQ(ext->statusStatePairs, 269 * 8);
}

TEST_F(ApiTest, EnableOfAPrinterThatCannotBeOpenedFails) {
  SetIniVersion(u"22");
  EXPECT_EQ(ZOLTDrvEnable("No Such Printer"), nullptr);
  EXPECT_EQ(ApiGetProcessState()->printerVersion, 3);  // its own version check answered 3
  EXPECT_EQ(ZOLTDrvEnable(nullptr), nullptr);
  EXPECT_EQ(ZOLTDrvEnable(""), nullptr);
  std::string longName(400, 'P');
  EXPECT_EQ(ZOLTDrvEnable(longName.c_str()), nullptr);
}

TEST_F(ApiTest, HandlesThatAreNotContextsAreRefused) {
  SetIniVersion(u"22");
  DriverContext* ctx = Open();
  ASSERT_NE(ctx, nullptr);
  alignas(DriverContext) std::array<BYTE, sizeof(DriverContext)> random{};
  random.fill(0xA5);
  auto* fake = reinterpret_cast<DriverContext*>(random.data());
  StatusRecord r{};
  BYTE dm[1236] = {};
  for (DriverContext* bad : {static_cast<DriverContext*>(nullptr), fake}) {
    EXPECT_EQ(ZOLTDrvGetLastError(bad), -1);
    EXPECT_EQ(ZOLTDrvGetStatus(bad, 3, &r, 0), -1);
    EXPECT_EQ(ZOLTDrvSetStatus(bad, 3, &r, nullptr, 0), -1);
    EXPECT_EQ(ZOLTDrvGetDevmode(bad, 4, reinterpret_cast<DEVMODEW*>(dm)), -1);
    EXPECT_EQ(ZOLTDrvSaveQualityData(bad), 0);
    EXPECT_EQ(ZOLTDrvGetCaps(bad, 0, nullptr), -1);
    EXPECT_EQ(ZOLTDrvDisable(bad), 1);
  }
  // A context given back is no context any more.
  Close(ctx);
  EXPECT_EQ(ZOLTDrvGetStatus(ctx, 3, &r, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx), -1);
  EXPECT_EQ(ZOLTDrvDisable(ctx), 1);
  for (BYTE b : random) ASSERT_EQ(b, 0xA5);
}

TEST_F(ApiTest, CommunicationErrorsMapToInterfaceErrors) {
  struct Case {
    DWORD system;
    int32_t api;
  } cases[] = {{2, 200}, {14, 201}, {56, 201}, {10, 202}, {102, 0}, {18, 200}, {12345, 200}, {0, 200}};
  for (const Case& c : cases) EXPECT_EQ(MapCommError(c.system), c.api) << c.system;
}

TEST_F(ApiTest, ModelMasksHoldTheFamilysIds) {
  const std::array<uint8_t, 64> capabilities = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x9F, 0xEF, 0xFF,
                                                0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFC, 0,
                                                0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
                                                0,    0,    0xFF, 0xFF, 0x7F, 0xC0};
  const std::array<uint8_t, 64> statuses = {0xFF, 0xFF, 0xFF, 0xFF, 0xF7, 0xEF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0, 0,
                                            0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
                                            0,    0,    0,    0,    0,    0,    0,    0,    0xFD, 0xF8};
  EXPECT_EQ(std::memcmp(ApiBuildModelMask(kApiKindCapability), capabilities.data(), 64), 0);
  EXPECT_EQ(std::memcmp(ApiBuildModelMask(kApiKindStatus), statuses.data(), 64), 0);
}

TEST_F(ApiTest, StatusSupportBitmapFollowsTheVersion) {
  SetIniVersion(u"22");
  DriverContext* ctx = Open(kApiPrinter, 3);
  ASSERT_NE(ctx, nullptr);
  std::array<uint8_t, 64> bitmap{};
  bitmap.fill(0xEE);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 0, nullptr), 32);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 0, bitmap.data()), 32);
  EXPECT_EQ(bitmap[32], 0xEE);  // nothing written beyond the 32 bytes
  EXPECT_EQ(bitmap[4], 0xE0);   // ids 33-35, nothing above the version's 35
  for (int i = 5; i < 32; ++i) EXPECT_EQ(bitmap[i], 0) << i;

  ApiInitRecord all{0, 22};
  ZOLTDrvInit(1, &all);
  EXPECT_EQ(ZOLTDrvGetCaps(ctx, 0, bitmap.data()), 64);
  EXPECT_EQ(bitmap[4] & 0x08, 0);   // 37
  EXPECT_EQ(bitmap[5] & 0x10, 0);   // 44
  EXPECT_EQ(bitmap[32] & 0x02, 0);  // 263
  EXPECT_NE(bitmap[32] & 0x80, 0);  // 257
  EXPECT_EQ(bitmap[10], 0xF0);      // 81-84

  for (uint32_t id : {58u, 59u, 68u, 273u, 600u, 0u}) EXPECT_FALSE(IsIdSupported(kApiKindCapability, id)) << id;
  for (uint32_t id : {0x30000u, 0x40000u, 0x50000u, 1u, 150u, 282u}) EXPECT_TRUE(IsIdSupported(kApiKindCapability, id)) << id;
}

TEST_F(ApiTest, IdsAboveTheVersionsLimitsHaveNoRow) {
  ApiGetProcessState()->currentVersion = 3;
  EXPECT_NE(StatusRowById(35), nullptr);
  EXPECT_EQ(StatusRowById(36), nullptr);
  EXPECT_EQ(StatusRowById(257), nullptr);
  EXPECT_EQ(CapabilityRowById(57), nullptr);
  EXPECT_NE(CapabilityRowById(0x30000), nullptr);
  ApiGetProcessState()->currentVersion = 6;
  EXPECT_NE(StatusRowById(264), nullptr);
  EXPECT_EQ(StatusRowById(265), nullptr);
  ApiGetProcessState()->currentVersion = 30;
  EXPECT_NE(StatusRowById(84), nullptr);
  EXPECT_EQ(StatusRowById(85), nullptr);
  EXPECT_EQ(StatusRowById(0), nullptr);
  ApiGetProcessState()->currentVersion = -4;
  EXPECT_EQ(StatusRowById(1), nullptr);
}

}  // namespace
