// A machine with the host's test module (TestModA.dll, its templates and pictures) loaded.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "machine_fixture.h"
#include "win32/hostui.h"
#include "win32/windows.h"

namespace zolt::test {

class TestModuleTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    namespace fs = std::filesystem;
    fs::copy_file(fs::path(ZOLT_TEST_MODULE_DIR) / "TestModA.dll", Root() / "drive_c/Windows/System32/TestModA.dll",
                  fs::copy_options::overwrite_existing);
    module_ = LoadLibraryW(u"TestModA.dll");
    ASSERT_NE(module_, nullptr);
    zolt::host::ui::Reset();
  }
  void TearDown() override {
    FreeLibrary(module_);
    MachineTest::TearDown();
  }
  HMODULE module_ = nullptr;
};

}  // namespace zolt::test
