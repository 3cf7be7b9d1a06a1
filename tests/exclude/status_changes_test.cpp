// Reading and changing statuses: version agreement, refusals with their codes, the change report
// of a change the rules drag others along with, and the complete rollback of a refused change.
#include <array>

#include "api_fixture.h"
#include "api_options.h"

namespace {

using zolt::test::ApiTest;
using zolt::test::kApiPrinter;

constexpr uint16_t kSourceOption = 13;
constexpr uint16_t kMediaOption = 54;

bool Marked(const std::array<uint8_t, 64>& bitmap, uint32_t id) { return bitmap[(id - 1) >> 3] & (0x80 >> ((id - 1) & 7)); }

std::vector<uint32_t> MarkedIds(const std::array<uint8_t, 64>& bitmap) {
  std::vector<uint32_t> ids;
  for (uint32_t id = 1; id <= 512; ++id)
    if (Marked(bitmap, id)) ids.push_back(id);
  return ids;
}

using StatusTest = zolt::test::OpenApiTest;

// The test model whose rules put plain paper back when thick paper is chosen.
class RefusingModelTest : public StatusTest {
 protected:
  std::filesystem::path ModelFile() const override {
    return std::filesystem::path(ZOLT_SOURCE_DIR) / "tests" / "exclude" / "data" / "ZOLTRULE.QCS";
  }
};

TEST_F(StatusTest, GetAgreesTheRecordVersion) {
  StatusRecord r{};
  r.version = 77;
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 3, &r, 0), 32);
  EXPECT_EQ(r.version, 1u);  // the driver's own version
  EXPECT_EQ(r.value, OptGetValue(ctx_, kMediaOption, nullptr));
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 3, nullptr, 1), 32);
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 3, &r, 2), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrVersion);
}

TEST_F(StatusTest, RefusalsCarryTheirCodes) {
  StatusRecord r = Get(ctx_, 3);
  struct Case {
    uint32_t id;
    const StatusRecord* record;
    int32_t error;
  } cases[] = {
      {37, &r, kApiErrNotSupported},   // not offered by the model family
      {44, &r, kApiErrNotSupported},
      {600, &r, kApiErrNotSupported},  // beyond every table
      {0, &r, kApiErrNotSupported},
      {3, nullptr, kApiErrNoRecord},
      {36, &r, kApiErrGeneral},        // a row without handlers
      {54, &r, kApiErrGeneral},        // a row that can only be read
  };
  for (const Case& c : cases) {
    ApiPutLastErrorRaw(ctx_, 0);
    EXPECT_EQ(ZOLTDrvSetStatus(ctx_, c.id, c.record, nullptr, 0), -1) << c.id;
    EXPECT_EQ(ZOLTDrvGetLastError(ctx_), c.error) << c.id;
  }
  // An id the model offers but the agreed version does not know.
  ApiInitRecord five{0, 5};
  ZOLTDrvInit(1, &five);
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 40, &r, nullptr, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), -1);  // version 5 keeps no last error
}

TEST_F(StatusTest, ANewerRecordIsAppliedAsFarAsTheDriverKnowsIt) {
  StatusRecord r = Get(ctx_, 6);
  const int32_t before = r.value;
  const int32_t other = before == 1 ? 2 : 1;
  r.version = 3;
  r.value = other;
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 6, &r, nullptr, 2), 1);  // mode 2: nothing done
  EXPECT_EQ(Get(ctx_, 6).value, before);
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 6, &r, nullptr, 0), 1);
  EXPECT_EQ(Get(ctx_, 6).value, other);
  r.version = 1;
  r.value = before;
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 6, &r, nullptr, 0), 0);
  EXPECT_EQ(Get(ctx_, 6).value, before);
  EXPECT_EQ(static_cast<uint8_t>(OptGetValue(ctx_, kApiOptPresetNo, nullptr)), 255);  // no preset in force
}

TEST_F(StatusTest, TheChangeReportNamesWhatTheRulesDraggedAlong) {
  // Transparencies are fed from the bypass tray: the paper source follows the media type. A
  // first change settles the values the driver derives.
  StatusRecord r = Get(ctx_, 3);
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 3, &r, nullptr, 0), 0);
  r.value = StoredValueOf(ctx_, kMediaOption, "IDS_MEDIATYPE_TRANSPARENCY");
  std::array<uint8_t, 64> changes{};
  changes.fill(0xFF);
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 3, &r, changes.data(), 0), 0) << ZOLTDrvGetLastError(ctx_);
  EXPECT_EQ(MarkedIds(changes), std::vector<uint32_t>{2});
  EXPECT_EQ(Get(ctx_, 2).value, StoredValueOf(ctx_, kSourceOption, "IDS_SOURCE_MULTI"));
  EXPECT_EQ(Get(ctx_, 3).value, r.value);

  // Setting it again changes nothing more.
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 3, &r, changes.data(), 0), 0);
  EXPECT_TRUE(MarkedIds(changes).empty());
}

TEST_F(StatusTest, AValueTheModelDoesNotOfferIsRefusedAndRolledBack) {
  StatusRecord r = Get(ctx_, 3);
  const std::string before = SettingsBytes(ctx_);
  r.value = 0x7FFF;
  std::array<uint8_t, 64> changes{};
  changes.fill(0xFF);
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 3, &r, changes.data(), 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrRefused);
  EXPECT_EQ(SettingsBytes(ctx_), before);
  EXPECT_TRUE(MarkedIds(changes).empty());
}

TEST_F(StatusTest, StapleAndPunchSwitchOnAndOff) {
  StatusRecord r = Get(ctx_, 20);
  r.functionSwitch = 0;
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 20, &r, nullptr, 0), 0);
  EXPECT_EQ(Get(ctx_, 20).functionSwitch, 0);
  EXPECT_EQ(OptGetValue(ctx_, kApiOptFuncSelectStaple, nullptr), 0);
}

TEST_F(RefusingModelTest, AChangeTheRulesUndoRollsBackCompletely) {
  StatusRecord r = Get(ctx_, 3);
  const int32_t plain = r.value;
  const int32_t source = Get(ctx_, 2).value;
  const std::string before = SettingsBytes(ctx_);
  r.value = StoredValueOf(ctx_, kMediaOption, "IDS_MEDIATYPE_TRANSPARENCY");
  std::array<uint8_t, 64> changes{};
  changes.fill(0x5A);
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 3, &r, changes.data(), 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrRefused);
  EXPECT_EQ(SettingsBytes(ctx_), before);
  EXPECT_TRUE(MarkedIds(changes).empty());
  EXPECT_EQ(Get(ctx_, 3).value, plain);
  EXPECT_EQ(Get(ctx_, 2).value, source);

  // Plain paper holds and changes nothing else.
  r.value = plain;
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 3, &r, changes.data(), 0), 0);
  EXPECT_EQ(Get(ctx_, 2).value, source);
}

TEST_F(StatusTest, TwoPrintersAtOnceKeepTheirOwnSettings) {
  zolt::host::PrinterSetup second;
  second.name = u"Second 7000";
  second.driver = kDriverName;
  std::string error;
  ASSERT_TRUE(zolt::host::AddPrinter(second, &error)) << error;
  DriverContext* other = Open("Second 7000");
  ASSERT_NE(other, nullptr);
  ASSERT_NE(other, ctx_);

  StatusRecord r = Get(ctx_, 3);
  const int32_t otherMedia = Get(other, 3).value;
  r.value = StoredValueOf(ctx_, kMediaOption, "IDS_MEDIATYPE_TRANSPARENCY");
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 3, &r, nullptr, 0), 0);
  EXPECT_EQ(Get(other, 3).value, otherMedia);
  EXPECT_EQ(Get(ctx_, 3).value, r.value);
  Close(other);
  EXPECT_EQ(Get(ctx_, 3).value, r.value);
}

TEST_F(StatusTest, ChangeBitmapHasTheSizeOfTheVersion) {
  ApiInitRecord five{0, 5};
  ZOLTDrvInit(1, &five);
  StatusRecord r = Get(ctx_, 3);
  r.value = StoredValueOf(ctx_, kMediaOption, "IDS_MEDIATYPE_TRANSPARENCY");
  std::array<uint8_t, 64> changes{};
  changes.fill(0x33);
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 3, &r, changes.data(), 0), 0);
  for (int i = 32; i < 64; ++i) EXPECT_EQ(changes[i], 0x33) << i;  // only 32 bytes at version 5
  EXPECT_TRUE(Marked(changes, 2));
}

}  // namespace
