// Creation and release of a driver context: built from the template (cold) and handed back
// from the cache of released contexts.
#include <benchmark/benchmark.h>

#include "context_services.h"

namespace {

HANDLE kPrinter = reinterpret_cast<HANDLE>(1);

void ColdCreateAndDestroy(benchmark::State& state) {
  for (auto _ : state) {
    DriverContext* ctx = CtxCreateWithFlags(kPrinter, kPrinter, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    benchmark::DoNotOptimize(ctx);
    CtxReleaseAs(ctx, kCtxReleaseDestroy);
  }
}
BENCHMARK(ColdCreateAndDestroy);

void ReleaseAndReuseFromCache(benchmark::State& state) {
  DriverContext* ctx = CtxCreateWithFlags(kPrinter, kPrinter, nullptr, kCtxKindTablesOnly, kCtxModeUi);
  if (!ctx) {
    state.SkipWithError("no context");
    return;
  }
  const WCHAR name[] = u"\\\\server\\Bench";
  for (size_t i = 0; i < sizeof name / sizeof name[0]; ++i) ctx->workArea->qualifiedPrinterName[i] = name[i];
  for (auto _ : state) {
    CtxRelease(ctx);
    ctx = CtxFindCachedByName(kPrinter, kPrinter, 0, kCtxModeUi, 0, name);
    if (!ctx) {
      state.SkipWithError("context not reused");
      return;
    }
  }
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
  CtxPurgeCache(1);
}
BENCHMARK(ReleaseAndReuseFromCache);

}  // namespace
