// The load and save passes of stored option values on a printer whose data and settings INI
// hold every value: the printer-configuration rows from printer data (one read per row, no
// allocation for values up to 1044 bytes), the user-settings rows from the INI file through the
// profile functions one by one, and a changed-only save of the printer configuration.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "option_store.h"
#include "settings_paths.h"
#include "win32/hostspooler.h"
#include "win32/machine.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

struct BenchPrinter {
  fs::path root;
  HANDLE printer = nullptr;
  DriverContext* ctx = nullptr;

  BenchPrinter() {
    std::string pattern = (fs::temp_directory_path() / "zolt-bench-store-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    root = pattern;
    if (!zolt::host::Machine::Create(root)) std::abort();
    zolt::host::Machine::Use(root);
    // The spooler only copies the driver's files; they are never loaded here.
    fs::create_directories(root / "modules");
    for (const char* name : {"zoltgr.dll", "zoltui.dll"}) std::ofstream(root / "modules" / name) << "";
    std::ofstream(root / "BENCH.QCS") << "";
    zolt::host::DriverInstall install;
    install.name = u"Bench Driver";
    install.moduleDir = root / "modules";
    install.modelFile = root / "BENCH.QCS";
    zolt::host::PrinterSetup setup;
    setup.name = u"Bench Printer";
    setup.driver = install.name;
    if (!zolt::host::InstallDriver(install) || !zolt::host::AddPrinter(setup)) std::abort();
    std::u16string name = setup.name;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
    if (!OpenPrinterW(name.data(), &printer, &defaults)) std::abort();
    ctx = CtxCreateWithFlags(printer, printer, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    if (!ctx) std::abort();
    for (SettingsImage** image : {&ctx->settingsImage, &ctx->workArea->savedImage}) {
      if (!*image) *image = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
      auto* bytes = reinterpret_cast<BYTE*>(*image);
      constexpr DWORD kStarts[4] = {0, 0, 1236, 6500};
      for (int block = 1; block <= 3; ++block) {
        bytes[359 + 2 * block] = static_cast<BYTE>(kStarts[block]);
        bytes[360 + 2 * block] = static_cast<BYTE>(kStarts[block] >> 8);
      }
    }
    PathCreateSharedDir(ctx);
    // Every value stored once.
    CfgSaveOptionClass(printer, ctx, kBlockPrinterConfig, kSaveEveryValue);
    CfgSaveUserOptions(printer, ctx);
  }
  ~BenchPrinter() {
    CtxReleaseAs(ctx, kCtxReleaseDestroy);
    ClosePrinter(printer);
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

BenchPrinter& Printer() {
  static BenchPrinter printer;
  return printer;
}

void LoadPrinterConfig(benchmark::State& state) {
  BenchPrinter& p = Printer();
  for (auto _ : state) benchmark::DoNotOptimize(CfgLoadOptionClass(p.printer, p.ctx, kBlockPrinterConfig, 0));
}
BENCHMARK(LoadPrinterConfig)->Unit(benchmark::kMillisecond);

void LoadUserSettings(benchmark::State& state) {
  BenchPrinter& p = Printer();
  for (auto _ : state) {
    benchmark::DoNotOptimize(CfgLoadOptionClass(p.printer, p.ctx, kBlockUserSettings, 0));
    benchmark::DoNotOptimize(CfgLoadOptionClass(p.printer, p.ctx, kBlockDevmode, 0));
  }
}
BENCHMARK(LoadUserSettings)->Unit(benchmark::kMillisecond);

void SaveUnchangedPrinterConfig(benchmark::State& state) {
  BenchPrinter& p = Printer();
  p.ctx->workArea->contextKind = kCtxKindFull;
  DmSyncSavedImage(p.ctx);
  for (auto _ : state) benchmark::DoNotOptimize(CfgSaveOptionClass(p.printer, p.ctx, kBlockPrinterConfig, 0));
  p.ctx->workArea->contextKind = kCtxKindTablesOnly;
}
BENCHMARK(SaveUnchangedPrinterConfig)->Unit(benchmark::kMillisecond);

}  // namespace
