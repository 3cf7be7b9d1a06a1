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
    ctx = CtxCreateForPrinter(printer_, printer_, nullptr, 0x80000000u);
    ASSERT_NE(ctx, nullptr);
    // The English language library of the model.
    const std::u16string path = u"C:\\Windows\\" + std::filesystem::path(LanguageLibrary()).u16string();
    if (!std::filesystem::exists(Real(path)))
      WriteBytes(Real(path), ReadBytes(std::filesystem::path(ZOLT_MODULE_DIR) / LanguageLibrary()));
    HMODULE library = LoadLibraryW(path.c_str());
    ASSERT_NE(library, nullptr);
    EnvFreeResourceDlls(ctx);
    ctx->resourceLibrary = library;
  }
  virtual std::string LanguageLibrary() const { return "ZOLT7Rus.DLL"; }
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
