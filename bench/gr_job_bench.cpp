// A 20-page vector job. ModuleRecords: the graphics module's own share, its records of twenty
// pages of mixed content (paths, colours, raster operations, text runs, page framing) written
// into the page buffer and handed to an output module that takes every block. The counters give
// pages per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

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

}  // namespace
