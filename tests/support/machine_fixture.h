// The test fixture: a fresh machine in a temporary folder for every test, removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "win32/machine.h"
#include "win32/spooler.h"

namespace zolt::test {

// Makes a machine root with the given facts in a new temporary folder and makes it the
// machine of this process. The folder is removed when the object goes away, unless the
// environment variable ZOLT_KEEP_MACHINE is set (then its path is printed).
class ScopedMachine {
 public:
  explicit ScopedMachine(const host::MachineFacts& facts = {});
  ~ScopedMachine();
  ScopedMachine(const ScopedMachine&) = delete;
  ScopedMachine& operator=(const ScopedMachine&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  // The real file behind a Windows path on this machine ("C:\Windows\x.ini").
  std::filesystem::path Real(const std::u16string& windowsPath) const;

 private:
  std::filesystem::path root_;
};

// Base fixture: override Facts() to choose the machine a test runs on.
class MachineTest : public ::testing::Test {
 protected:
  virtual host::MachineFacts Facts() const { return {}; }
  void SetUp() override;
  void TearDown() override;

  const std::filesystem::path& Root() const { return machine_->Root(); }
  std::filesystem::path Real(const std::u16string& windowsPath) const { return machine_->Real(windowsPath); }

  std::unique_ptr<ScopedMachine> machine_;
};

// A machine with the driver installed from the build's module folder (ZOLT_MODULE_DIR) and one
// local printer of it. Override ModelFile() to install a given model description; by default the
// sample model description samples/models/ZOLT7000.QCS is the driver's data file.
class DriverMachineTest : public MachineTest {
 protected:
  static constexpr const char16_t* kPrinterName = u"ZOLT Office 7000";
  static constexpr const char16_t* kDriverName = u"ZOLT Office 7000 Series";
  static constexpr const char* kSampleModel = "ZOLT7000.QCS";

  virtual std::filesystem::path ModelFile() const { return {}; }
  // Whether the driver prepares the printer when it is added (its printer event and default
  // device mode, as the platform's spooler calls them); by default the printer is registered
  // as it stands before the driver's work.
  virtual bool InitializesPrinter() const { return false; }
  void SetUp() override;

  // Opens the test printer with these rights (nullptr when it fails; the test fails too).
  HANDLE OpenTestPrinter(ACCESS_MASK access = PRINTER_ACCESS_USE);
};

// Reads a whole real file as bytes; writes bytes to a real file (parents created).
std::string ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, std::string_view bytes);

}  // namespace zolt::test
