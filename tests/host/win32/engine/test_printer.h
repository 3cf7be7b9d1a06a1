// A machine with the test graphics module installed as a driver and one printer of it.
#pragma once

#include <filesystem>

#include "machine_fixture.h"
#include "win32/hostspooler.h"

namespace zolt::test {

inline constexpr const char16_t* kTestPrinter = u"Test Printer";

class TestPrinterMachine : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    host::DriverInstall install;
    install.name = u"Test Driver";
    install.moduleDir = ZOLT_ENGINE_TEST_MODULE_DIR;
    install.modelFile = std::filesystem::path(ZOLT_SOURCE_DIR) / "samples" / "models" / "ZOLT7000.QCS";
    install.driverPath = u"TestGr.dll";
    install.configFile = u"TestGr.dll";
    std::string error;
    ASSERT_TRUE(host::InstallDriver(install, &error)) << error;
    host::PrinterSetup printer;
    printer.name = kTestPrinter;
    printer.driver = install.name;
    ASSERT_TRUE(host::AddPrinter(printer, &error)) << error;
  }
};

}  // namespace zolt::test
