// The driver engine's benchmark: a 20-page job of mixed metafile pages (paths, fills, text,
// images, clipping, transforms) printed directly through the test graphics module on a device
// surface that hooks every drawing entry, and on a banding bitmap that draws through the
// engine. The test module only logs what it gets; the time it spends in its entries is counted
// apart, so "engine ms" is the engine's own share of a job (metafile playing, the graphics
// interface, the engine objects and the engine's drawing).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_machine.h"
#include "testgr.h"
#include "win32/hostspooler.h"
#include "win32/module.h"
#include "win32/spooler.h"
#include "win32/windows.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPages = 20;

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void PlayJob(benchmark::State& state, int surface) {
  zolt::bench::TempMachine machine("engine-play");
  zolt::host::DriverInstall install;
  install.name = u"Test Driver";
  install.moduleDir = ZOLT_BENCH_TESTGR_DIR;
  install.modelFile = ZOLT_SAMPLE_MODEL;
  install.driverPath = u"TestGr.dll";
  install.configFile = u"TestGr.dll";
  zolt::host::PrinterSetup printer;
  printer.name = u"Test Printer";
  printer.driver = install.name;
  std::string error;
  if (!zolt::host::InstallDriver(install, &error) || !zolt::host::AddPrinter(printer, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::vector<std::string> pages;
  const char* names[] = {"mixed-p1.emf", "mixed-p2.emf", "mixed-p3.emf"};
  for (int i = 0; i < kPages; ++i) pages.push_back(Read(fs::path(ZOLT_SAMPLE_JOBS) / names[i % 3]));
  // The module stays loaded so that its configuration holds for every DC.
  HMODULE module = nullptr;
  {
    std::u16string name = printer.name;
    HANDLE h = nullptr;
    DWORD needed = 0;
    if (OpenPrinterW(name.data(), &h, nullptr)) {
      GetPrinterDriverW(h, nullptr, 2, nullptr, 0, &needed);
      std::vector<BYTE> buf(needed ? needed : 1);
      if (needed && GetPrinterDriverW(h, nullptr, 2, buf.data(), needed, &needed))
        module = LoadLibraryW(reinterpret_cast<DRIVER_INFO_2W*>(buf.data())->pDriverPath);
      ClosePrinter(h);
    }
  }
  auto configure = reinterpret_cast<PFN_TestGrConfigure>(reinterpret_cast<void (*)()>(GetProcAddress(module, "TestGrConfigure")));
  auto busy = reinterpret_cast<PFN_TestGrBusyNanoseconds>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "TestGrBusyNanoseconds")));
  if (!configure || !busy) {
    state.SkipWithError("the test module has no configuration");
    return;
  }
  TestGrConfig config;
  config.surface = surface;
  config.width = 2400;
  config.height = 3300;
  config.bandHeight = 400;
  config.hooks = surface == 0 ? HOOK_BITBLT | HOOK_COPYBITS | HOOK_STRETCHBLT | HOOK_STROKEPATH | HOOK_FILLPATH |
                                    HOOK_STROKEANDFILLPATH | HOOK_TEXTOUT
                              : HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT;
  double total = 0, inModule = 0;
  for (auto _ : state) {
    configure(&config);
    const uint64_t before = busy();
    const auto start = std::chrono::steady_clock::now();
    zolt::host::PrintResult result;
    if (!zolt::host::PrintMetafiles(printer.name, pages, {}, u"Benchmark", true, result, &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    inModule += double(busy() - before) / 1e6;
    std::error_code ec;
    fs::remove(result.output, ec);
  }
  const double n = double(std::max<int64_t>(state.iterations(), 1));
  state.counters["engine ms"] = (total - inModule) / n;
  state.counters["module ms"] = inModule / n;
  state.counters["pages/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kPages, benchmark::Counter::kIsRate);
  FreeLibrary(module);
}

void DeviceSurfaceJob(benchmark::State& state) { PlayJob(state, 0); }
void BandedBitmapJob(benchmark::State& state) { PlayJob(state, 1); }
BENCHMARK(DeviceSurfaceJob)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BandedBitmapJob)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
