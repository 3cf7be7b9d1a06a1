// A full context of the installed driver: the model description is loaded from the printer's
// data file, the feature modules are attached and the strings come from the language library
// that the model names.
#include <gtest/gtest.h>

#include <string>

#include "driver_context.h"
#include "env_language.h"
#include "machine_fixture.h"
#include "win32/windows.h"

namespace {

class DriverStringsTest : public zolt::test::DriverMachineTest {};

TEST_F(DriverStringsTest, FullContextLoadsTheModelAndItsLanguageLibrary) {
  HANDLE h = OpenTestPrinter();
  ASSERT_NE(h, nullptr);
  DriverContext* ctx = CtxCreateWithFlags(h, h, nullptr, kCtxKindFull, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  EXPECT_NE(ctx->modelImage, nullptr);
  EXPECT_NE(ctx->workArea->moduleList, nullptr);  // the feature modules are attached
  WCHAR text[64] = {};
  EXPECT_GT(EnvLoadString(ctx, 41, text, 64, 0), 0);
  EXPECT_EQ(std::u16string(text), u"A4");
  CtxDestroy(ctx, kCtxReleaseDestroy);
  ClosePrinter(h);
}

}  // namespace
