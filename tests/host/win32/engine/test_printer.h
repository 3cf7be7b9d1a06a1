// A machine with the test graphics module installed as a driver and one printer of it.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "machine_fixture.h"
#include "testgr.h"
#include "win32/gdi.h"
#include "win32/hostspooler.h"
#include "win32/module.h"
#include "win32/spooler.h"

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

// The test module loaded for the whole test, so that its configuration and call log persist.
class TestGrTest : public TestPrinterMachine {
 protected:
  void SetUp() override {
    TestPrinterMachine::SetUp();
    std::u16string name = kTestPrinter;
    HANDLE h = nullptr;
    ASSERT_TRUE(OpenPrinterW(name.data(), &h, nullptr));
    DWORD needed = 0;
    GetPrinterDriverW(h, nullptr, 2, nullptr, 0, &needed);
    std::vector<BYTE> buf(needed);
    ASSERT_TRUE(GetPrinterDriverW(h, nullptr, 2, buf.data(), needed, &needed));
    ClosePrinter(h);
    module_ = LoadLibraryW(reinterpret_cast<DRIVER_INFO_2W*>(buf.data())->pDriverPath);
    ASSERT_NE(module_, nullptr);
    configure_ = reinterpret_cast<PFN_TestGrConfigure>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "TestGrConfigure")));
    log_ = reinterpret_cast<PFN_TestGrLog>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "TestGrLog")));
    ASSERT_TRUE(configure_ && log_);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    TestPrinterMachine::TearDown();
  }

  void Configure(const TestGrConfig& c) { configure_(&c); }
  std::vector<std::string> Log() {
    std::string text(log_(nullptr, 0) + 1, '\0');
    log_(text.data(), text.size());
    text.resize(text.size() - 1);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The first word of each line: the entries called, in order.
  std::vector<std::string> Calls() {
    std::vector<std::string> out;
    for (const std::string& l : Log()) out.push_back(l.substr(0, l.find(' ')));
    return out;
  }
  std::vector<std::string> LinesOf(const std::string& entry) {
    std::vector<std::string> out;
    for (const std::string& l : Log())
      if (l.rfind(entry + " ", 0) == 0 || l == entry) out.push_back(l);
    return out;
  }
  HDC MakeDc() {
    std::u16string name = kTestPrinter;
    return CreateDCW(nullptr, name.c_str(), nullptr, nullptr);
  }

  HMODULE module_ = nullptr;
  PFN_TestGrConfigure configure_ = nullptr;
  PFN_TestGrLog log_ = nullptr;
};

}  // namespace zolt::test
