// Printing preferences as the common property-sheet host drives them: INIT makes the sheet's
// context from the caller's device mode, and DESTROY after OK writes the edited settings into
// the caller's device mode and the printer's stored settings, Apply then Cancel keeps what was
// applied, Cancel loses nothing.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "context_services.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "sheet_engine.h"
#include "ui_entry.h"
#include "win32/windows.h"

namespace {

constexpr uint16_t kOptPaperSize = 8;  // dmPaperSize
constexpr uint32_t kValueA5 = 42;      // IDS_PAPERSIZE_A5
constexpr size_t kAtPaperSize = offsetof(DEVMODEW, dmPaperSize);
constexpr int16_t kDmPaperA5 = 11;     // the platform's paper code of A5

// What the host was told through its callback.
struct HostRecord {
  int pagesOffered = 0;
  std::vector<LPARAM> results;
};
HostRecord* g_host = nullptr;

LONG_PTR CALLBACK RecordingHost(HANDLE, UINT function, LPARAM lParam1, LPARAM lParam2) {
  if (!g_host) return 0;
  if (function == CPSFUNC_ADD_HPROPSHEETPAGE) {
    // The recording host shows no sheet: it counts the page and lets it go.
    DestroyPropertySheetPage(reinterpret_cast<HPROPSHEETPAGE>(lParam1));
    return ++g_host->pagesOffered;
  }
  if (function == CPSFUNC_SET_RESULT) g_host->results.push_back(lParam2);
  return 1;
}

class DocumentSheet : public zolt::test::DriverMachineTest {
 protected:
  bool InitializesPrinter() const override { return true; }
  void SetUp() override {
    DriverMachineTest::SetUp();
    g_host = &host_;
    printer_ = OpenTestPrinter();
    ASSERT_NE(printer_, nullptr);
    in_ = DefaultDevMode();
    ASSERT_EQ(in_.size(), 1236u);
  }
  void TearDown() override {
    g_host = nullptr;
    if (printer_) ClosePrinter(printer_);
    CtxPurgeCache(1);
    DriverMachineTest::TearDown();
  }
  std::vector<BYTE> DefaultDevMode() {
    std::u16string name = kPrinterName;
    std::vector<BYTE> dm(1236);
    EXPECT_EQ(DocumentPropertiesW(nullptr, printer_, name.data(), reinterpret_cast<PDEVMODEW>(dm.data()), nullptr,
                                  DM_OUT_BUFFER),
              IDOK);
    return dm;
  }
  // The device mode the core gives for the caller's device mode with A5 (no sheet).
  std::vector<BYTE> MergedWithA5() {
    std::vector<BYTE> in = in_, out(1236);
    reinterpret_cast<DEVMODEW*>(in.data())->dmPaperSize = kDmPaperA5;
    std::u16string name = kPrinterName;
    EXPECT_EQ(DocumentPropertiesW(nullptr, printer_, name.data(), reinterpret_cast<PDEVMODEW>(out.data()),
                                  reinterpret_cast<PDEVMODEW>(in.data()), DM_IN_BUFFER | DM_OUT_BUFFER),
              IDOK);
    return out;
  }

  // INIT as the host calls it: the context comes back in UserData.
  DriverContext* Open(DWORD mode) {
    header_ = DOCUMENTPROPERTYHEADER{};
    header_.cbSize = sizeof header_;
    header_.hPrinter = printer_;
    header_.pszPrinterName = name_.data();
    header_.pdmIn = reinterpret_cast<PDEVMODEW>(in_.data());
    out_.assign(1236, 0xCD);
    header_.pdmOut = reinterpret_cast<PDEVMODEW>(out_.data());
    header_.fMode = mode;
    info_ = PROPSHEETUI_INFO{};
    info_.cbSize = sizeof info_;
    info_.Reason = PROPSHEETUI_REASON_INIT;
    info_.hComPropSheet = reinterpret_cast<HANDLE>(&host_);
    info_.pfnComPropSheet = RecordingHost;
    info_.lParamInit = reinterpret_cast<LPARAM>(&header_);
    EXPECT_EQ(UiHandleDocumentPropertySheets(&info_, 0), 1);
    return reinterpret_cast<DriverContext*>(info_.UserData);
  }
  LONG Close(DriverContext* ctx, bool accepted) {
    ctx->workArea->subDialogResult = accepted ? 1 : 0;
    info_.Reason = PROPSHEETUI_REASON_DESTROY;
    return UiHandleDocumentPropertySheets(&info_, accepted ? 1 : 0);
  }
  // The paper size a new context of the printer reads from the stored settings (value id).
  int32_t StoredPaper() {
    DriverContext* ctx = CtxCreateForPrinter(printer_, printer_, nullptr, kCtxModeUi);
    EXPECT_NE(ctx, nullptr);
    if (!ctx) return -1;
    const int32_t v = OptGetUiValue(ctx, kOptPaperSize, nullptr);
    CtxReleaseAs(ctx, kCtxReleaseDestroy);
    return v;
  }
  int16_t PaperOf(const std::vector<BYTE>& dm) {
    int16_t v;
    std::memcpy(&v, dm.data() + kAtPaperSize, 2);
    return v;
  }

  HostRecord host_;
  HANDLE printer_ = nullptr;
  std::u16string name_ = kPrinterName;
  std::vector<BYTE> in_, out_;
  DOCUMENTPROPERTYHEADER header_{};
  PROPSHEETUI_INFO info_{};
};

TEST_F(DocumentSheet, InitMakesTheSheetsContextFromTheCallersDeviceMode) {
  reinterpret_cast<DEVMODEW*>(in_.data())->dmPaperSize = kDmPaperA5;
  DriverContext* ctx = Open(DM_IN_BUFFER | DM_OUT_BUFFER | DM_IN_PROMPT);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(ctx->workArea->sheetState, 1u);
  EXPECT_EQ(ctx->workArea->documentMode, DWORD(DM_IN_BUFFER | DM_OUT_BUFFER | DM_IN_PROMPT));
  EXPECT_EQ(ctx->workArea->callerDevModeOut, out_.data());
  EXPECT_EQ(host_.pagesOffered, 8);  // the document pages that the sample model keeps
  EXPECT_EQ(OptGetUiValue(ctx, kOptPaperSize, nullptr), int32_t(kValueA5));
  EXPECT_EQ(Close(ctx, false), 1);
  EXPECT_EQ(info_.UserData, 0u);
  // Later reasons without a context fail.
  info_.Reason = PROPSHEETUI_REASON_DESTROY;
  EXPECT_EQ(UiHandleDocumentPropertySheets(&info_, 0), -1);
}

// OK: the caller's device mode is the one the core computes for the same change, the printer's
// stored settings keep it, and the host hears result 1.
TEST_F(DocumentSheet, OkWritesTheCallersDeviceModeAndTheStoredSettings) {
  const std::vector<BYTE> expected = MergedWithA5();
  DriverContext* ctx = Open(DM_IN_BUFFER | DM_OUT_BUFFER | DM_IN_PROMPT);
  ASSERT_NE(ctx, nullptr);
  ASSERT_NE(OptGetUiValue(ctx, kOptPaperSize, nullptr), int32_t(kValueA5));
  OptSetUiValue(ctx, kOptPaperSize, kValueA5);
  EXPECT_EQ(Close(ctx, true), 1);
  EXPECT_EQ(info_.Result, 1u);
  EXPECT_EQ(host_.results, std::vector<LPARAM>{1});
  EXPECT_EQ(PaperOf(out_), kDmPaperA5);
  EXPECT_EQ(out_, expected);
  EXPECT_EQ(StoredPaper(), int32_t(kValueA5));
}

TEST_F(DocumentSheet, CancelLosesNothing) {
  const std::vector<BYTE> before = DefaultDevMode();
  const int32_t stored = StoredPaper();
  DriverContext* ctx = Open(DM_IN_BUFFER | DM_OUT_BUFFER | DM_IN_PROMPT);
  ASSERT_NE(ctx, nullptr);
  OptSetUiValue(ctx, kOptPaperSize, kValueA5);
  EXPECT_EQ(Close(ctx, false), 1);
  EXPECT_EQ(info_.Result, 0u);
  EXPECT_TRUE(host_.results.empty());
  EXPECT_EQ(out_, std::vector<BYTE>(1236, 0xCD));
  EXPECT_EQ(DefaultDevMode(), before);
  EXPECT_EQ(StoredPaper(), stored);
}

// Apply commits at once; a later Cancel still reports the applied result.
TEST_F(DocumentSheet, ApplyThenCancelKeepsWhatWasApplied) {
  DriverContext* ctx = Open(DM_IN_BUFFER | DM_OUT_BUFFER | DM_IN_PROMPT);
  ASSERT_NE(ctx, nullptr);
  OptSetUiValue(ctx, kOptPaperSize, kValueA5);
  EXPECT_EQ(UiApplySheet(ctx), 1);
  EXPECT_EQ(host_.results, std::vector<LPARAM>{1});
  EXPECT_EQ(PaperOf(out_), kDmPaperA5);
  EXPECT_EQ(Close(ctx, false), 1);
  EXPECT_EQ(info_.Result, 1u);
  EXPECT_EQ(StoredPaper(), int32_t(kValueA5));
}

// A sheet opened with the prompt flag only: Apply stores the user settings but writes no output
// device mode and tells the host nothing.
TEST_F(DocumentSheet, ApplyWithoutOutputFlagsTellsTheHostNothing) {
  DriverContext* ctx = Open(DM_IN_PROMPT);
  ASSERT_NE(ctx, nullptr);
  OptSetUiValue(ctx, kOptPaperSize, kValueA5);
  EXPECT_EQ(UiApplySheet(ctx), 1);
  EXPECT_TRUE(host_.results.empty());
  EXPECT_EQ(out_, std::vector<BYTE>(1236, 0xCD));
  EXPECT_EQ(Close(ctx, false), 1);
  EXPECT_EQ(StoredPaper(), int32_t(kValueA5));
}

TEST_F(DocumentSheet, HeaderIconAndMissingHeader) {
  PROPSHEETUI_INFO info{};
  info.Reason = PROPSHEETUI_REASON_GET_ICON;
  info.lParamInit = reinterpret_cast<LPARAM>(&header_);
  header_.hPrinter = printer_;
  EXPECT_EQ(UiHandleDocumentPropertySheets(&info, 0), -1);
  info.lParamInit = 0;
  info.Reason = PROPSHEETUI_REASON_INIT;
  EXPECT_EQ(UiHandleDocumentPropertySheets(&info, 0), -1);
}

}  // namespace
