// A printer of a stand-in driver on the fuzz machine, and the settings images of a context over
// it, for the fuzz targets that read stored values.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core_memory.h"
#include "fuzz_machine.h"
#include "driver_context.h"
#include "win32/hostspooler.h"
#include "win32/windows.h"

namespace zolt::fuzz {

// Installs "Fuzz Driver" (empty module files: the spooler only copies them) and a printer of it
// named printerName, and opens it with administrator rights. NULL when any step fails.
inline HANDLE MakeFuzzPrinter(const std::filesystem::path& root, const char16_t* printerName) {
  namespace fs = std::filesystem;
  const fs::path modules = root / "modules";
  fs::create_directories(modules);
  for (const fs::path& file : {modules / "zoltgr.dll", modules / "zoltui.dll", root / "FUZZ.QCS"})
    std::ofstream(file, std::ios::binary) << "";
  zolt::host::DriverInstall install;
  install.name = u"Fuzz Driver";
  install.moduleDir = modules;
  install.modelFile = root / "FUZZ.QCS";
  zolt::host::PrinterSetup setup;
  setup.name = printerName;
  setup.driver = install.name;
  if (!zolt::host::InstallDriver(install) || !zolt::host::AddPrinter(setup)) return nullptr;
  std::u16string name = printerName;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
  HANDLE printer = nullptr;
  return OpenPrinterW(name.data(), &printer, &defaults) ? printer : nullptr;
}

#ifdef ZOLT_SOURCE_DIR
// Installs the 7000 sample driver (empty module files: the spooler only copies them) with the
// interface version 22 in its driver-defaults file, and a printer of it named printerName, on a
// new fuzz machine. Aborts when a step fails.
inline void MakeSamplePrinterMachine(const char* tag, const char16_t* printerName) {
  namespace fs = std::filesystem;
  const fs::path root = MakeFuzzMachine(tag);
  const fs::path modules = root / "modules";
  fs::create_directories(modules);
  for (const char* name : {"zoltgr.dll", "zoltui.dll", "zoltexc.dll"}) std::ofstream(modules / name) << "";
  zolt::host::DriverInstall install;
  install.name = u"ZOLT Office 7000 Series";
  install.moduleDir = modules;
  install.modelFile = fs::path(ZOLT_SOURCE_DIR) / "samples" / "models" / "ZOLT7000.QCS";
  zolt::host::PrinterSetup setup;
  setup.name = printerName;
  setup.driver = install.name;
  if (!zolt::host::InstallDriver(install) || !zolt::host::AddPrinter(setup)) std::abort();
  WritePrivateProfileStringW(u"ZOLTAPI", u"ZOLTAPIVer", u"22",
                             u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\QVF9D172.ini");
}
#endif

// The block start offsets of the current layout into a settings image (NULL: nothing).
inline void WriteFuzzBlockStarts(BYTE* image) {
  if (!image) return;
  constexpr DWORD kStarts[4] = {0, 0, 1236, 6500};
  for (int block = 1; block <= 3; ++block) {
    image[359 + 2 * block] = static_cast<BYTE>(kStarts[block]);
    image[360 + 2 * block] = static_cast<BYTE>(kStarts[block] >> 8);
  }
}

// A tables-only context over the printer with a settings image of its own (block starts written
// into it and into the saved image). Aborts when it cannot be had.
inline DriverContext* MakeFuzzContext(HANDLE printer) {
  DriverContext* ctx = CtxCreateWithFlags(printer, printer, nullptr, kCtxKindTablesOnly, kCtxModeUi);
  if (!ctx) std::abort();
  ctx->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
  if (!ctx->settingsImage) std::abort();
  WriteFuzzBlockStarts(reinterpret_cast<BYTE*>(ctx->settingsImage));
  WriteFuzzBlockStarts(reinterpret_cast<BYTE*>(ctx->workArea->savedImage));
  return ctx;
}

}  // namespace zolt::fuzz
