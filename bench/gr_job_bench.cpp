// A 20-page vector job. WholeJob: from StartDocW to the last byte in the port file, through a
// printer DC of a printer of the driver on a machine of its own (the engine, the graphics module
// and its output module). ModuleRecords: the graphics module's own share, its records of twenty
// pages of mixed content (paths, colours, raster operations, text runs, page framing) written
// into the page buffer and handed to an output module that takes every block. The counters give
// pages per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "win32/hostspooler.h"
#include "win32/module.h"
#include "win32/windows.h"

#include "bench_machine.h"
#include "gr_output.h"
#include "gr_pdev.h"
#include "gr_records.h"

namespace {

constexpr int kPages = 20;

BOOL WINAPI Sink(HANDLE, const void*, DWORD length, DWORD* written) {
  *written = length;
  return TRUE;
}

// One page of mixed content: 200 paths (lines and curves), their colours and raster
// operations, 100 text runs, 20 clip rectangles.
bool WritePage(PhysicalDevice* pdev, int page) {
  OutputContext* out = &pdev->output;
  if (!GrWriteTypedBlock(pdev, nullptr, 0, kBlockPageStart) || !GrWriteTypedBlock(pdev, nullptr, 0, kBlockEmpty))
    return false;
  if (!GrRecPageStart(pdev, 4960, 7016, 600, 600)) return false;
  if (!GrRecComment(pdev, "StartPage : 09:05:07.042", 24)) return false;
  RecPathSegment segments[8];
  for (int i = 0; i < 8; ++i) segments[i] = {i % 3 == 2, {{i * 160, page * 16}, {i * 160 + 80, 40}, {i * 160 + 16, 16}}};
  for (int i = 0; i < 200; ++i) {
    const ULONG colour = static_cast<ULONG>(i * 0x010203);
    if (!GrRecColour(pdev, 0, colour, nullptr, nullptr) || !GrRecRop3(pdev, 0xCC)) return false;
    const RecSubpath figure{{i * 16, i * 16}, segments, 8, i % 2 == 0};
    if (!GrRecPath(pdev, 1, RecRect{0, 0, 16000, 16000}, &figure, 1)) return false;
    if (i % 10 == 0 && !GrEmitClipRect(pdev, RecRect{i, i, i + 100, i + 100})) return false;
  }
  static const char kText[] = "The quick brown fox jumps over the lazy dog";
  for (int i = 0; i < 100; ++i)
    if (!GrRecTextRunData(pdev, RecRect{100, i * 60, 2000, i * 60 + 50}, 0, 0, 1, kText, sizeof kText - 1)) return false;
  if (!GrRecComment(pdev, "SendPage : 09:05:07.042", 23) || !GrRecPageEnd(pdev)) return false;
  return GrFlushRecords(out) && GrWriteTypedBlock(pdev, nullptr, 0, kBlockPageEnd);
}

void ModuleRecords(benchmark::State& state) {
  PhysicalDevice* pdev = GrAllocPdev();
  pdev->magic = pdev->magicEnd = kPdevMagic;
  pdev->output.owner = pdev;
  pdev->output.module = reinterpret_cast<HMODULE>(pdev);
  pdev->output.write = Sink;
  GrResetRecordBuffer(&pdev->output);
  for (auto _ : state) {
    for (int page = 1; page <= kPages; ++page)
      if (!WritePage(pdev, page)) {
        state.SkipWithError("a record was refused");
        break;
      }
  }
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kPages,
                                                 benchmark::Counter::kIsRate);
  GrFreePdev(pdev);
}
BENCHMARK(ModuleRecords)->Unit(benchmark::kMillisecond);

void WholeJob(benchmark::State& state) {
  zolt::bench::TempMachine machine("gr-job");
  zolt::host::InstallSystemModules(ZOLT_MODULE_DIR);
  zolt::host::DriverInstall install;
  install.name = u"ZOLT Office 7000 Series";
  install.moduleDir = ZOLT_MODULE_DIR;
  install.modelFile = ZOLT_SAMPLE_MODEL;
  zolt::host::PrinterSetup printer;
  printer.name = u"ZOLT Office 7000";
  printer.driver = install.name;
  std::string error;
  if (!zolt::host::InstallDriver(install, &error) || !zolt::host::AddPrinter(printer, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) {
    HDC dc = CreateDCW(nullptr, printer.name.c_str(), nullptr, nullptr);
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = u"Benchmark";
    if (!dc || StartDocW(dc, &doc) <= 0) {
      state.SkipWithError("no job");
      break;
    }
    for (int page = 0; page < kPages; ++page) {
      StartPage(dc);
      for (int i = 0; i < 20; ++i) {
        MoveToEx(dc, 200 + i * 100, 300, nullptr);
        LineTo(dc, 400 + i * 100, 2000);
        Rectangle(dc, 300 + i * 150, 2500, 400 + i * 150, 2600);
      }
      EndPage(dc);
    }
    EndDoc(dc);
    DeleteDC(dc);
  }
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kPages,
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(WholeJob)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
