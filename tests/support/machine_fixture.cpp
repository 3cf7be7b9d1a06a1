#include "machine_fixture.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "win32/hostpath.h"
#include "win32/hostspooler.h"
#include "win32/module.h"

namespace fs = std::filesystem;

namespace zolt::test {

ScopedMachine::ScopedMachine(const host::MachineFacts& facts) {
  std::string pattern = (fs::temp_directory_path() / "zolt-test-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  if (!made) throw std::runtime_error("cannot make a temporary machine folder");
  root_ = made;
  if (!host::Machine::Create(root_, facts)) throw std::runtime_error("cannot create the machine");
  host::Machine::Use(root_);
  // Every machine has the stand-in system modules in its system directory.
  host::InstallSystemModules(ZOLT_MODULE_DIR);
}

ScopedMachine::~ScopedMachine() {
  if (std::getenv("ZOLT_KEEP_MACHINE")) {
    std::cerr << "machine kept at " << root_ << "\n";
    return;
  }
  std::error_code ec;
  fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(root_, ec);
}

fs::path ScopedMachine::Real(const std::u16string& windowsPath) const {
  DWORD error = 0;
  auto real = host::MapPath(windowsPath, host::Resolve::LastMayMiss, &error);
  return real ? *real : fs::path();
}

void MachineTest::SetUp() { machine_ = std::make_unique<ScopedMachine>(Facts()); }
void MachineTest::TearDown() { machine_.reset(); }

void DriverMachineTest::SetUp() {
  MachineTest::SetUp();
  fs::path model = ModelFile();
  if (model.empty()) model = fs::path(ZOLT_SOURCE_DIR) / "samples" / "models" / kSampleModel;
  host::DriverInstall install;
  install.name = kDriverName;
  install.moduleDir = ZOLT_MODULE_DIR;
  install.modelFile = model;
  std::string error;
  ASSERT_TRUE(host::InstallDriver(install, &error)) << error;
  host::PrinterSetup printer;
  printer.name = kPrinterName;
  printer.driver = kDriverName;
  printer.driverEvents = InitializesPrinter();
  ASSERT_TRUE(host::AddPrinter(printer, &error)) << error;
}

HANDLE DriverMachineTest::OpenTestPrinter(ACCESS_MASK access) {
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
  std::u16string name = kPrinterName;
  HANDLE h = nullptr;
  EXPECT_TRUE(OpenPrinterW(name.data(), &h, &defaults)) << "OpenPrinterW failed with " << GetLastError();
  return h;
}

std::string ReadBytes(const fs::path& file) {
  // One read of the whole file: port files of raster jobs run to hundreds of megabytes, and a
  // character-by-character copy of them dominated the tests that decode them.
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  if (!in) return {};
  const std::streamoff size = in.tellg();
  if (size <= 0) return {};
  std::string bytes(size_t(size), '\0');
  in.seekg(0);
  in.read(bytes.data(), size);
  bytes.resize(size_t(in.gcount()));
  return bytes;
}

void WriteBytes(const fs::path& file, std::string_view bytes) {
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace zolt::test
