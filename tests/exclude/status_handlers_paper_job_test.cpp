// Handlers of the paper size, output paper size and user-id statuses against the sample printer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "api_fixture.h"
#include "api_options.h"
#include "devmode_public.h"
#include "option_store.h"

namespace {

using PaperStatusTest = zolt::test::OpenApiTest;

TEST_F(PaperStatusTest, PaperSizesAndTheOutputPaperThatFollows) {
  struct Case {
    int32_t paper;
    int32_t result;
    int32_t width, length;  // 0.1 mm, as the output paper "same as source" reports them
  } cases[] = {
      {8, 0, 2970, 4200},
      {11, 0, 1480, 2100},
      {9, 0, 2100, 2970},
      {256, -1, 2100, 2970},     // the model offers no user-defined size
      {0x7FFF, -1, 2100, 2970},
  };
  StatusRecord same = Get(ctx_, 8);
  same.value = 1024;
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 8, &same, nullptr, 0), 0) << ZOLTDrvGetLastError(ctx_);
  for (const Case& c : cases) {
    StatusRecord r = Get(ctx_, 7);
    const std::string before = SettingsBytes(ctx_);
    r.value = c.paper;
    r.fields[0] = 3000;
    r.fields[1] = 2000;
    EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 7, &r, nullptr, 0), c.result) << c.paper;
    if (c.result != 0) {
      EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrRefused);
      EXPECT_EQ(SettingsBytes(ctx_), before) << c.paper;
      continue;
    }
    const StatusRecord paper = Get(ctx_, 7);
    EXPECT_EQ(paper.value, c.paper);
    EXPECT_EQ(paper.fields[0], c.width);
    EXPECT_EQ(paper.fields[1], c.length);
    const auto* dm = reinterpret_cast<const DEVMODEW*>(CtxGetDevMode(ctx_));
    EXPECT_EQ(dm->dmFields & (kDmFieldPaperSize | kDmFieldPaperLength | kDmFieldPaperWidth),
              static_cast<DWORD>(kDmFieldPaperSize));
    const StatusRecord output = Get(ctx_, 8);
    EXPECT_EQ(output.value, 1024);
    EXPECT_EQ(output.fields[0], c.width);
    EXPECT_EQ(output.fields[1], c.length);
  }
}

TEST_F(PaperStatusTest, OutputPaperSizesAndTheirLayouts) {
  StatusRecord r = Get(ctx_, 8);
  r.value = 8;
  ASSERT_EQ(ZOLTDrvSetStatus(ctx_, 8, &r, nullptr, 0), 0);
  const StatusRecord a3 = Get(ctx_, 8);
  EXPECT_EQ(a3.value, 8);
  EXPECT_EQ(a3.fields[0], 2970);  // the model's size of the paper
  EXPECT_EQ(a3.fields[1], 4200);
  // A user-defined output size needs a record of version 2 and a size the model takes.
  r.value = 448;
  r.fields[0] = 2000;
  r.fields[1] = 3000;
  for (uint32_t version : {1u, 3u}) {
    r.version = version;
    EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 8, &r, nullptr, 0), -1) << version;
  }
  EXPECT_EQ(Get(ctx_, 8).value, 8);
  // Version 1 stops after the code.
  StatusRecord v1{};
  ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 8, &v1, 1), 32);
  EXPECT_EQ(v1.version, 1u);
  EXPECT_EQ(v1.fields[0], 0);
}

TEST_F(PaperStatusTest, LayoutsOfNewerInterfacesAreGated) {
  ApiInitRecord nine{0, 9};
  ZOLTDrvInit(1, &nine);
  StatusRecord r{};
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 8, &r, 2), -1);  // needs interface 10
  EXPECT_EQ(ZOLTDrvGetLastError(ctx_), kApiErrVersion);
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 7, &r, 2), -1);  // needs interface 14
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 7, &r, 1), 32);
  // A set record of a layout the interface does not know is refused.
  r.version = 2;
  r.value = 9;
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 7, &r, nullptr, 0), -1);
  r.version = 1;
  EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 7, &r, nullptr, 0), 0);
}

}  // namespace

namespace {

// The user id lies in the 392-byte layout of the print-method record.
TEST_F(PaperStatusTest, UserIdReadAndSetInItsField) {
  EXPECT_EQ(ZOLTDrvGetStatus(ctx_, 26, nullptr, 0), 392);
  std::vector<uint8_t> record(392 + 16, 0xCD);
  ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 26, reinterpret_cast<StatusRecord*>(record.data()), 0), 392);
  EXPECT_EQ(record[392], 0xCD);  // nothing beyond the record
  struct Case {
    std::string id;  // the field's 9 bytes (no terminator when all are used)
    int32_t method;  // zdmPrnMethod while setting
    int32_t result;
  } cases[] = {
      {"CLERK42", 0, 0},
      {"", 0, 0},
      {"", 1, -1},           // held jobs need an id
      {"AB-12", 0, -1},      // letters and digits only
      {"ABCDEFGHI", 0, -1},  // nine characters fill the field: too long
      {"ZZ9", 2, 0},
  };
  for (const Case& c : cases) {
    // Stored as the user's setting: every change reloads the printer's stored values first.
    OptSetValue(ctx_, kApiOptPrnMethod, c.method);
    HANDLE printer = OpenTestPrinter();
    CfgSaveUserOptions(printer, ctx_);
    ClosePrinter(printer);
    std::vector<uint8_t> set(392, 0);
    set[0] = 1;
    std::memcpy(set.data() + 12, c.id.data(), c.id.size());
    EXPECT_EQ(ZOLTDrvSetStatus(ctx_, 26, reinterpret_cast<StatusRecord*>(set.data()), nullptr, 0), c.result) << c.id;
    if (c.result != 0) continue;
    std::vector<uint8_t> got(392, 0xCD);
    ASSERT_EQ(ZOLTDrvGetStatus(ctx_, 26, reinterpret_cast<StatusRecord*>(got.data()), 0), 392);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(got.data()) + 12), c.id);
    EXPECT_EQ(got[8], c.id.empty() ? 0 : 1) << c.id;
  }
}

}  // namespace
