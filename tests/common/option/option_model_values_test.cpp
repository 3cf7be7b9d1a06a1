// Values a context takes from the model's custom sizes and settings and from the driver's
// defaults file: the finishing extents in 0.1 mm and the driver id.
#include <gtest/gtest.h>

#include "core_memory.h"
#include "option_access.h"
#include "option_image_context.h"
#include "option_values.h"
#include "settings_paths.h"
#include "win32/windows.h"

namespace {

class FinishingExtents : public zolt::test::ImageContextTest {
 protected:
  void Set(uint16_t id, int32_t value) { ASSERT_EQ(OptSetValue(ctx, id, value), 1) << id; }
  int32_t Get(uint16_t id) { return OptGetValue(ctx, id, nullptr); }
};

TEST_F(FinishingExtents, CustomExtentsAndCutPositionsReachTheirWorkOptions) {
  for (uint16_t id = 1252; id <= 1262; ++id) Set(id, -7);
  // The body print takes custom slot 1's size (options 939 and 940 in 1/1200 inch); the binding
  // finish is a standard paper, so the model gives no extent for it.
  Set(700, 384);
  Set(710, 9);
  Set(939, 4960);  // 105 mm
  Set(940, 7016);  // 148.5 mm, rounded up
  const struct { uint16_t setting; int32_t dots; int32_t mm; } cuts[] = {
      {704, 1200, 254}, {705, -1200, -254}, {706, 0, 0}, {707, 13, 3}, {708, -13, -3}, {709, 6000, 1270}, {711, 1, 1},
  };
  for (const auto& c : cuts) Set(c.setting, c.dots);

  OptRefreshFinishingExtents(ctx);

  EXPECT_EQ(Get(1252), 1486);  // length
  EXPECT_EQ(Get(1253), 1050);  // width
  EXPECT_EQ(Get(1254), -7);    // no extent: the pair stays
  EXPECT_EQ(Get(1255), -7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(Get(static_cast<uint16_t>(1256 + i)), cuts[i].mm) << cuts[i].setting;
}

class DriverIdTest : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    printer_ = OpenTestPrinter();
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateWithFlags(printer_, printer_, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    ctx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
    ASSERT_NE(ctx->settingsImage, nullptr);
    zolt::test::WriteBlockStarts(reinterpret_cast<BYTE*>(ctx->settingsImage));
  }
  void TearDown() override {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    if (printer_) ClosePrinter(printer_);
    DriverMachineTest::TearDown();
  }
  HANDLE printer_ = nullptr;
  DriverContext* ctx = nullptr;
};

TEST_F(DriverIdTest, ReadFromTheDriversSectionOfTheDefaultsFile) {
  const WCHAR* file = PathGetDriverIni(ctx);
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file[1], u':');
  ASSERT_TRUE(WritePrivateProfileStringW(kDriverName, u"DriverID", u"42", file));
  ASSERT_TRUE(WritePrivateProfileStringW(u"Other Driver", u"DriverID", u"12", file));
  ASSERT_EQ(OptSetValue(ctx, 686, 99), 1);
  OptLoadDriverId(ctx);
  EXPECT_EQ(OptGetValue(ctx, 686, nullptr), 42);

  // Without the key the id is 0, not the previous value.
  ASSERT_TRUE(WritePrivateProfileStringW(kDriverName, u"DriverID", nullptr, file));
  OptLoadDriverId(ctx);
  EXPECT_EQ(OptGetValue(ctx, 686, nullptr), 0);
}

}  // namespace
