// Printer properties: the device sheet's protocol with the common property-sheet host, what an
// administrator's accepted sheet stores for the next documents, and what a plain user gets.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "context_services.h"
#include "devmode_fields.h"
#include "driver_context.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "prn_data.h"
#include "sheet_engine.h"
#include "ui_entry.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace {

namespace ui = zolt::host::ui;

constexpr uint16_t kOptMemoryType = 10013;  // zdmMemoryType, part of the printer configuration

struct HostCall {
  UINT function;
  LPARAM a;
  LPARAM b;
};
std::vector<HostCall> g_hostCalls;

// The host's side: pages are taken (and destroyed, as no sheet is shown), results recorded.
LONG_PTR CALLBACK FakeHost(HANDLE, UINT function, LPARAM a, LPARAM b) {
  if (function == CPSFUNC_ADD_HPROPSHEETPAGE) {
    DestroyPropertySheetPage(reinterpret_cast<HPROPSHEETPAGE>(a));
    return 1;
  }
  g_hostCalls.push_back({function, a, b});
  return 1;
}

class DeviceSheet : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    ui::Reset();
    g_hostCalls.clear();
  }
  void TearDown() override {
    CtxPurgeCache(1);
    for (HANDLE p : printers_) ClosePrinter(p);
    ui::Reset();
    DriverMachineTest::TearDown();
  }
  HANDLE Open(ACCESS_MASK access) {
    HANDLE p = OpenTestPrinter(access);
    if (p) printers_.push_back(p);
    return p;
  }
  // The sheet as the host runs it: INIT, the user's work on the context, DESTROY.
  LONG RunSheet(HANDLE printer, DWORD flags, const std::function<void(DriverContext*)>& work, ULONG_PTR* result) {
    DEVICEPROPERTYHEADER header{};
    header.cbSize = sizeof header;
    header.Flags = static_cast<WORD>(flags);
    header.hPrinter = printer;
    PROPSHEETUI_INFO info{};
    info.cbSize = sizeof info;
    info.pfnComPropSheet = FakeHost;
    info.hComPropSheet = reinterpret_cast<HANDLE>(0x77);
    info.lParamInit = reinterpret_cast<LPARAM>(&header);
    info.Reason = PROPSHEETUI_REASON_INIT;
    const LONG init = UiHandleDevicePropertySheets(&info, 0);
    if (init != 1) return init;
    auto* ctx = reinterpret_cast<DriverContext*>(info.UserData);
    if (!ctx) return -2;
    work(ctx);
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    const LONG destroyed = UiHandleDevicePropertySheets(&info, 1);
    *result = info.Result;
    return destroyed;
  }
  int32_t StoredValue(HANDLE printer, uint16_t id) {
    CtxPurgeCache(1);
    DriverContext* ctx = CtxCreateForPrinter(printer, printer, nullptr, 0x80000000u);
    if (!ctx) return -1;
    const int32_t v = OptGetValue(ctx, id, nullptr);
    CtxReleaseAs(ctx, kCtxReleaseDestroy);
    return v;
  }

  std::vector<HANDLE> printers_;
};

TEST_F(DeviceSheet, AnAdministratorsAcceptedSheetIsStoredForTheNextDocuments) {
  HANDLE printer = Open(PRINTER_ALL_ACCESS);
  ASSERT_NE(printer, nullptr);
  const int32_t before = StoredValue(printer, kOptMemoryType);
  const int32_t changed = before == 1 ? 0 : 1;
  ULONG_PTR result = 99;
  ASSERT_EQ(RunSheet(printer, 0,
                     [&](DriverContext* ctx) {
                       EXPECT_EQ(CtxGetNoPermission(ctx), 0);
                       EXPECT_EQ(ctx->workArea->sheetState, 2u);
                       ASSERT_NE(UiSheetState(ctx), nullptr);
                       EXPECT_EQ(UiSheetState(ctx)->mayChange, 1);
                       OptSetValue(ctx, kOptMemoryType, changed);
                       ctx->workArea->subDialogResult = 1;
                     },
                     &result),
            1);
  EXPECT_EQ(result, 1u);
  ASSERT_FALSE(g_hostCalls.empty());
  EXPECT_EQ(g_hostCalls.back().function, UINT(CPSFUNC_SET_RESULT));
  EXPECT_EQ(g_hostCalls.back().b, 1);
  EXPECT_EQ(StoredValue(printer, kOptMemoryType), changed);
}

TEST_F(DeviceSheet, ACancelledSheetStoresNothing) {
  HANDLE printer = Open(PRINTER_ALL_ACCESS);
  ASSERT_NE(printer, nullptr);
  const int32_t before = StoredValue(printer, kOptMemoryType);
  ULONG_PTR result = 99;
  ASSERT_EQ(RunSheet(printer, 0,
                     [&](DriverContext* ctx) {
                       OptSetValue(ctx, kOptMemoryType, before == 1 ? 0 : 1);
                       ctx->workArea->subDialogResult = 0;
                     },
                     &result),
            1);
  EXPECT_EQ(result, 0u);
  EXPECT_TRUE(g_hostCalls.empty());
  EXPECT_EQ(StoredValue(printer, kOptMemoryType), before);
}

TEST_F(DeviceSheet, WithoutAHeaderOrContextTheSheetFails) {
  EXPECT_EQ(UiHandleDevicePropertySheets(nullptr, 0), -1);
  PROPSHEETUI_INFO info{};
  info.Reason = PROPSHEETUI_REASON_INIT;
  EXPECT_EQ(UiHandleDevicePropertySheets(&info, 0), -1);
  HANDLE printer = Open(PRINTER_ALL_ACCESS);
  ASSERT_NE(printer, nullptr);
  DEVICEPROPERTYHEADER header{static_cast<WORD>(sizeof(DEVICEPROPERTYHEADER)), 0, printer, nullptr};
  info.lParamInit = reinterpret_cast<LPARAM>(&header);
  info.Reason = PROPSHEETUI_REASON_DESTROY;  // no context in UserData
  EXPECT_EQ(UiHandleDevicePropertySheets(&info, 0), -1);
}

class PlainUserDeviceSheet : public DeviceSheet {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts f;
    f.userIsAdmin = false;
    return f;
  }
};

// A plain user may not write the printer's data: PrinterProperties opens the sheet in
// no-permission mode, and even an accepted sheet leaves the stored configuration as it was.
TEST_F(PlainUserDeviceSheet, APlainUserIsRefused) {
  HANDLE printer = Open(PRINTER_ACCESS_USE);
  ASSERT_NE(printer, nullptr);
  DWORD probe = 1;
  EXPECT_EQ(PrnWritePermission(printer, &probe, sizeof probe), 0);
  const int32_t before = StoredValue(printer, kOptMemoryType);
  ULONG_PTR result = 99;
  ASSERT_EQ(RunSheet(printer, DPS_NOPERMISSION,
                     [&](DriverContext* ctx) {
                       EXPECT_EQ(CtxGetNoPermission(ctx), 1);
                       ASSERT_NE(UiSheetState(ctx), nullptr);
                       EXPECT_EQ(UiSheetState(ctx)->mayChange, 0);
                       OptSetValue(ctx, kOptMemoryType, before == 1 ? 0 : 1);
                       ctx->workArea->subDialogResult = 1;
                     },
                     &result),
            1);
  EXPECT_EQ(StoredValue(printer, kOptMemoryType), before);
  // Through the spooler as the platform calls it: the sheet closes unattended and nothing is kept.
  EXPECT_FALSE(PrinterProperties(nullptr, printer));
  EXPECT_EQ(StoredValue(printer, kOptMemoryType), before);
}

}  // namespace
