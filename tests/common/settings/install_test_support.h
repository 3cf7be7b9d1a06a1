// Fixtures of the installation tests: the test printer opened on a fresh driver machine, and a
// context over it with the shared settings folder made; readers of printer data, INI keys and
// option texts.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "machine_fixture.h"
#include "option_access.h"
#include "settings_paths.h"

namespace zolt::test {

class InstallPrinterTest : public DriverMachineTest {
 protected:
  virtual ACCESS_MASK Access() const { return PRINTER_ACCESS_ADMINISTER; }
  void SetUp() override {
    DriverMachineTest::SetUp();
    printer_ = OpenTestPrinter(Access());
    ASSERT_NE(printer_, nullptr);
  }
  void TearDown() override {
    if (printer_) ClosePrinter(printer_);
    DriverMachineTest::TearDown();
  }
  // A text value of the printer's data, "<none>" when it cannot be read.
  std::u16string PrinterText(const char16_t* value) {
    WCHAR text[MAX_PATH] = {};
    DWORD type = 0, needed = 0;
    if (GetPrinterDataW(printer_, const_cast<LPWSTR>(value), &type, reinterpret_cast<LPBYTE>(text),
                        sizeof text - 2, &needed) != ERROR_SUCCESS)
      return u"<none>";
    return text;
  }
  // A key of an INI file, "<none>" when missing.
  static std::u16string IniKey(const std::u16string& file, const char16_t* key,
                               const char16_t* section = kPrinterName) {
    WCHAR value[300] = {};
    GetPrivateProfileStringW(section, key, u"<none>", value, 300, file.c_str());
    return value;
  }

  HANDLE printer_ = nullptr;
};

class InstallContextTest : public InstallPrinterTest {
 protected:
  void SetUp() override {
    InstallPrinterTest::SetUp();
    ctx = CtxCreateForPrinter(printer_, printer_, nullptr, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    ASSERT_EQ(PathCreateSharedDir(ctx), 1);
  }
  void TearDown() override {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    InstallPrinterTest::TearDown();
  }
  std::u16string Text(uint16_t id) {
    WCHAR text[160] = {};
    OptGetStringValue(ctx, OptFind(ctx, id), text, 160);
    return text;
  }

  DriverContext* ctx = nullptr;
};

}  // namespace zolt::test
