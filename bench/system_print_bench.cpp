// Whole print jobs as an application prints them: the sample document's pages, repeated to 20
// pages, played on a printer DC of a printer of the driver on a machine of its own, from the
// application's first call (CreateDCW) to the last byte in the printer's port file (the job
// completes at EndDoc), through the host's engine, the graphics module and its output module.
// VectorJob uses the printer's defaults; RasterJob the printer's device mode with the raster
// mode on, the engine drawing each page in bands. The counters give pages per second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench_machine.h"
#include "print_application.h"
#include "win32/hostspooler.h"
#include "win32/module.h"

namespace {

constexpr int kPages = 20;
constexpr char16_t kPrinter[] = u"ZOLT Office 7000";

struct PrinterMachine {
  zolt::bench::TempMachine machine{"system-print"};
  std::string error;
  bool ready = false;
  PrinterMachine() {
    zolt::host::InstallSystemModules(ZOLT_MODULE_DIR);
    zolt::host::DriverInstall install;
    install.name = u"ZOLT Office 7000 Series";
    install.moduleDir = ZOLT_MODULE_DIR;
    install.modelFile = ZOLT_SAMPLE_MODEL;
    zolt::host::PrinterSetup printer;
    printer.name = kPrinter;
    printer.driver = install.name;
    ready = zolt::host::InstallDriver(install, &error) && zolt::host::AddPrinter(printer, &error);
  }
};

std::vector<std::string> TwentyPages() {
  const std::vector<std::string> sample = zolt::app::ReadDocument(ZOLT_SAMPLE_JOBS);
  std::vector<std::string> pages;
  for (int i = 0; !sample.empty() && i < kPages; ++i) pages.push_back(sample[size_t(i) % sample.size()]);
  return pages;
}

void RunJobs(benchmark::State& state, bool raster) {
  PrinterMachine m;
  if (!m.ready) {
    state.SkipWithError(m.error.c_str());
    return;
  }
  const std::vector<std::string> pages = TwentyPages();
  if (pages.size() != size_t(kPages)) {
    state.SkipWithError("no sample document");
    return;
  }
  std::string devmode;
  if (raster) {
    devmode = zolt::app::PrinterDevMode(kPrinter);
    if (devmode.empty()) {
      state.SkipWithError("the printer gave no device mode");
      return;
    }
    zolt::app::SetRasterMode(devmode, true);
  }
  uint64_t bytes = 0;
  for (auto _ : state) {
    const zolt::app::AppJob job = zolt::app::PrintDocument(kPrinter, pages, devmode);
    if (!job.failure.empty()) {
      state.SkipWithError(job.failure.c_str());
      break;
    }
    std::error_code ec;
    const auto size = std::filesystem::file_size(zolt::host::JobOutputPath(kPrinter, DWORD(job.jobId)), ec);
    if (ec || size == 0) {
      state.SkipWithError("no port file");
      break;
    }
    bytes += size;
  }
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kPages,
                                                 benchmark::Counter::kIsRate);
  state.counters["port bytes/job"] =
      benchmark::Counter(state.iterations() ? double(bytes) / double(state.iterations()) : 0.0);
}

void VectorJob(benchmark::State& state) { RunJobs(state, false); }
void RasterJob(benchmark::State& state) { RunJobs(state, true); }

BENCHMARK(VectorJob)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(RasterJob)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
