// Contexts created for a printer of a machine with the driver installed: the spooler's
// records reach the work area, and a released context is reused only for the same printer.
#include <gtest/gtest.h>

#include <string>

#include "driver_context.h"
#include "machine_fixture.h"
#include "win32/hostclock.h"
#include "win32/hostspooler.h"
#include "win32/windows.h"

namespace {

using zolt::host::Clock;

class CtxPrinterTest : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    Clock::SetTickCount(100000);
    zolt::host::PrinterSetup second;
    second.name = u"ZOLT Office 7000 (2)";
    second.driver = kDriverName;
    std::string error;
    ASSERT_TRUE(zolt::host::AddPrinter(second, &error)) << error;
  }
  void TearDown() override {
    CtxPurgeCache(1);
    Clock::UseRealTime();
    DriverMachineTest::TearDown();
  }
  HANDLE Open(const char16_t* name) {
    std::u16string n = name;
    HANDLE h = nullptr;
    EXPECT_TRUE(OpenPrinterW(n.data(), &h, nullptr)) << GetLastError();
    return h;
  }
};

TEST_F(CtxPrinterTest, TablesOnlyContextTakesThePrintersNamesAndModel) {
  HANDLE h = Open(kPrinterName);
  DriverContext* ctx = CtxCreateWithFlags(h, h, nullptr, kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(ctx->settingsImage, nullptr);
  EXPECT_EQ(std::u16string(ctx->workArea->driverName), std::u16string(kDriverName));
  EXPECT_NE(CtxFindModelEntry(ctx, ctx->workArea->driverName), nullptr);
  EXPECT_EQ(CtxDestroy(ctx, kCtxReleaseDestroy), 1);
  ClosePrinter(h);
}

TEST_F(CtxPrinterTest, ReleasedContextIsReusedForTheSamePrinterOnlyWithinHalfASecond) {
  HANDLE a = Open(kPrinterName);
  HANDLE b = Open(u"ZOLT Office 7000 (2)");
  DriverContext* first = CtxCreateWithFlags(a, a, nullptr, kCtxFlagReuseAnyFlags | kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(first, nullptr);
  CtxReleaseAs(first, kCtxReleasePark);

  DriverContext* other = CtxCreateWithFlags(b, b, nullptr, kCtxFlagReuseAnyFlags | kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, first);  // another printer never takes a parked context
  CtxDestroy(other, kCtxReleaseDestroy);

  Clock::AdvanceTick(100);
  DriverContext* again = CtxCreateWithFlags(a, a, nullptr, kCtxFlagReuseAnyFlags | kCtxKindTablesOnly, kCtxModeUi);
  EXPECT_EQ(again, first);  // same printer within 500 ms
  ASSERT_NE(again, nullptr);
  again->workArea->sheetState = 0x5A5A;  // marks the parked context
  CtxReleaseAs(again, kCtxReleasePark);

  Clock::AdvanceTick(600);
  DriverContext* late = CtxCreateWithFlags(a, a, nullptr, kCtxFlagReuseAnyFlags | kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(late, nullptr);
  EXPECT_NE(late->workArea->sheetState, 0x5A5Au);  // parked too long: purged and made anew
  EXPECT_EQ(std::u16string(late->workArea->driverName), std::u16string(kDriverName));
  CtxDestroy(late, kCtxReleaseDestroy);
  ClosePrinter(a);
  ClosePrinter(b);
}

}  // namespace
