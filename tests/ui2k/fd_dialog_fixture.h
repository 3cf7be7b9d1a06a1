// A printer's settings context with the host's windows reset: what the feature-dialog tests open
// their dialogs on.
#pragma once

#include <gtest/gtest.h>

#include "context_services.h"
#include "driver_context.h"
#include "machine_fixture.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace zolt::test {

class FeatureDialogTest : public DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    host::ui::Reset();
    printer_ = OpenTestPrinter(PRINTER_ALL_ACCESS);
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateForPrinter(printer_, printer_, nullptr, 0x80000000u);
    ASSERT_NE(ctx, nullptr);
  }
  void TearDown() override {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    CtxPurgeCache(1);
    if (printer_) ClosePrinter(printer_);
    host::ui::Reset();
    DriverMachineTest::TearDown();
  }

  DriverContext* ctx = nullptr;
  HANDLE printer_ = nullptr;
};

}  // namespace zolt::test
