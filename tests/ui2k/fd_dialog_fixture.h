// A printer's settings context with the host's windows reset: what the feature-dialog tests open
// their dialogs on.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "context_services.h"
#include "driver_context.h"
#include "env_language.h"
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
    Open();
  }
  void TearDown() override {
    Close();
    if (printer_) ClosePrinter(printer_);
    host::ui::Reset();
    DriverMachineTest::TearDown();
  }
  virtual std::string LanguageLibrary() const { return "ZOLT7Rus.DLL"; }

  // Makes the printer's settings context with the model's language library loaded into it; a
  // test that closes and opens again sees what the first context stored.
  void Open() {
    ctx = CtxCreateForPrinter(printer_, printer_, nullptr, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    const std::u16string path = u"C:\\Windows\\" + std::filesystem::path(LanguageLibrary()).u16string();
    if (!std::filesystem::exists(Real(path)))
      WriteBytes(Real(path), ReadBytes(std::filesystem::path(ZOLT_MODULE_DIR) / LanguageLibrary()));
    HMODULE library = LoadLibraryW(path.c_str());
    ASSERT_NE(library, nullptr);
    EnvFreeResourceDlls(ctx);
    ctx->resourceLibrary = library;
  }
  void Close() {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    ctx = nullptr;
    CtxPurgeCache(1);
  }

  DriverContext* ctx = nullptr;
  HANDLE printer_ = nullptr;
};

}  // namespace zolt::test
