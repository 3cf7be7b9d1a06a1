// Handlers of scaling, cover and mark paper, layout, duplex, watermark choice, margin shift,
// sorting, paper rotation, merge action and resolution: against the sample printer, and against
// a test model of the 2100 Mono with scaling, N-up and booklet items and a rule that turns four
// pages per sheet on when the job is fitted to the paper.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "api_fixture.h"
#include "api_options.h"

namespace {

using SamplePrinterStatusTest = zolt::test::OpenApiTest;

class LayoutStatusTest : public zolt::test::OpenApiTest {
 protected:
  std::filesystem::path ModelFile() const override {
    return std::filesystem::path(ZOLT_SOURCE_DIR) / "tests" / "exclude" / "data" / "ZOLTFIN.QCS";
  }
  std::vector<uint32_t> Marked(const std::array<uint8_t, 64>& changes) {
    std::vector<uint32_t> ids;
    for (uint32_t id = 1; id <= 512; ++id)
      if (changes[ApiBitByte(id)] & ApiBitMask(id)) ids.push_back(id);
    return ids;
  }
};

// Every handler of the file answers a read with its record, and a record the model cannot take
// is refused without a trace.
TEST_F(SamplePrinterStatusTest, EveryHandlerReadsAndRefusesWithoutATrace) {
  for (uint32_t id : {11u, 12u, 13u, 14u, 15u, 17u, 18u, 19u, 28u, 29u, 34u}) {
    StatusRecord r{};
    ASSERT_EQ(ZOLTDrvGetStatus(ctx_, id, &r, 0), 32) << id;
    const std::string before = SettingsBytes(ctx_);
    r.value = 0x7FFF;
    r.functionSwitch = 1;
    EXPECT_EQ(ZOLTDrvSetStatus(ctx_, id, &r, nullptr, 0), -1) << id;
    EXPECT_EQ(SettingsBytes(ctx_), before) << id;
  }
  // The resolution the printer holds can be set again; an unknown one is refused with error 100.
  StatusRecord resolution = Get(ctx_, 34);
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 34, &resolution, nullptr, 0), 0);
  EXPECT_EQ(Get(ctx_, 34).value, resolution.value);
  resolution.value = 0x7FFF;
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 34, &resolution, nullptr, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrGeneral);
  // The merge action needs the job-binding add-on.
  StatusRecord merge = Get(ctx_, 29);
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 29, &merge, nullptr, 0), -1);
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrRefused);
}

TEST_F(LayoutStatusTest, LayoutCodesSetTheirKind) {
  struct Case {
    int32_t code;
    int32_t version;  // interface version agreed
    int32_t result;
    int32_t kind;     // zdmNUPPOSTKind afterwards
  } cases[] = {
      {1, 22, 0, 1},
      {2, 22, 0, 1},
      {33, 22, -1, 1},  // the model has no such layout
      {129, 14, -1, 1}, // a code of a newer interface
  };
  for (const Case& c : cases) {
    ApiInitRecord init{0, c.version};
    ZOLTDrvInit(1, &init);
    StatusRecord r{};
    ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 14, &r, 1), 32);
    r.version = 1;
    r.value = c.code;
    r.functionSwitch = 1;
    EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 14, &r, nullptr, 0), c.result) << c.code;
    EXPECT_EQ(OptGetValue(ctx_, 91, nullptr), c.kind) << c.code;
    if (c.result == 0) {
      EXPECT_EQ(OptGetValue(ctx_, 92, nullptr), c.code);
      EXPECT_EQ(Get(ctx_, 14).functionSwitch, 1);
    }
  }
  // The switch alone goes off and keeps the layout.
  StatusRecord off = Get(ctx_, 14);
  off.functionSwitch = 0;
  off.value = 0x7FFF;
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 14, &off, nullptr, 0), 0);
  EXPECT_EQ(Get(ctx_, 14).functionSwitch, 0);
  EXPECT_EQ(OptGetValue(ctx_, 92, nullptr), 2);
}

TEST_F(LayoutStatusTest, FittingToThePaperDragsTheLayoutAlong) {
  EXPECT_EQ(OptGetValue(ctx_, 91, nullptr), 1);
  StatusRecord scale = Get(ctx_, 11);
  scale.version = 1;
  scale.value = 2;  // fit to paper
  scale.functionSwitch = 1;
  std::array<uint8_t, 64> changes{};
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 11, &scale, changes.data(), 0), 0) << ZOLTDrvGetLastError(ctx_);
  EXPECT_EQ(OptGetValue(ctx_, 91, nullptr), 2);
  const std::vector<uint32_t> marked = Marked(changes);
  EXPECT_NE(std::find(marked.begin(), marked.end(), 14u), marked.end());
  StatusRecord read{};
  ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 11, &read, 1), 32);
  EXPECT_EQ(read.version, 1u);
  EXPECT_EQ(read.value, 2);
  EXPECT_EQ(read.functionSwitch, 1);
  // A zoom needs a scale the model offers: refused, and everything stays.
  const std::string before = SettingsBytes(ctx_);
  scale.value = 1;
  scale.fields[0] = 100;
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 11, &scale, changes.data(), 0), -1);
  EXPECT_EQ(SettingsBytes(ctx_), before);
}

TEST_F(LayoutStatusTest, BookletDuplexAndItsLock) {
  StatusRecord r = Get(ctx_, 15);
  r.value = 18;
  r.functionSwitch = 1;
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 15, &r, nullptr, 0), 0) << ZOLTDrvGetLastError(ctx_);
  EXPECT_EQ(OptGetValue(ctx_, kApiOptDuplexType, nullptr), 18);
  EXPECT_EQ(OptGetValue(ctx_, kApiOptFuncSelectDuplex, nullptr), 1);
  r.value = 19;  // not offered by the model
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 15, &r, nullptr, 0), -1);
  r.functionSwitch = 0;
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 15, &r, nullptr, 0), 0);  // off: the type is ignored
  EXPECT_EQ(OptGetValue(ctx_, kApiOptFuncSelectDuplex, nullptr), 0);
  EXPECT_EQ(OptGetValue(ctx_, kApiOptDuplexType, nullptr), 18);
}

TEST_F(LayoutStatusTest, RecordLayoutsOfNewerInterfacesAreGated) {
  ApiInitRecord nine{0, 9};
  ZOLTDrvInit(1, &nine);
  StatusRecord r{};
  for (uint32_t id : {14u, 19u}) {
    EXPECT_EQ(ZOLTDrvGetStatus(ctx_, id, &r, 2), -1) << id;  // version 2 needs interface 10
    EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrVersion) << id;
    EXPECT_EQ(ZOLTDrvGetStatus(ctx_, id, &r, 1), 32) << id;
  }
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 28, &r, 2), -1);  // version 2 needs interface 12
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 11, &r, 2), -1);  // version 2 needs interface 14
}

}  // namespace
