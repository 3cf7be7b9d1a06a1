// The computed finishing items: one read of every finisher family item (what a rule pass asks),
// and the option reads through the getters' row slots against plain lookups by id.
#include <benchmark/benchmark.h>

#include "bench_image_context.h"
#include "finishing_rules.h"
#include "option_access.h"

namespace {

using zolt::bench::ImageContext;

void FamilyItems(benchmark::State& state) {
  ImageContext c;
  if (!c.get()) return state.SkipWithError("no context");
  OptSetValue(c.get(), 10086, 1);  // a finisher with punch variants
  int items = 0;
  for (auto _ : state) {
    items = 0;
    for (uint16_t id = 753; id <= 905; ++id) {
      if (id == 858) continue;  // the resolution cap rewrites the paper options
      benchmark::DoNotOptimize(OptGetFinishingItem(c.get(), id));
      ++items;
    }
  }
  state.SetItemsProcessed(state.iterations() * items);
}
BENCHMARK(FamilyItems);

void FamilyTestThroughSlots(benchmark::State& state) {
  ImageContext c;
  if (!c.get()) return state.SkipWithError("no context");
  OptSetValue(c.get(), 10086, 1);  // a finisher with punch variants
  for (auto _ : state) benchmark::DoNotOptimize(OptIsDomFinisherInstalled(c.get()));
}
BENCHMARK(FamilyTestThroughSlots);

void FamilyTestByLookup(benchmark::State& state) {
  ImageContext c;
  if (!c.get()) return state.SkipWithError("no context");
  OptSetValue(c.get(), 10086, 1);  // a finisher with punch variants
  constexpr uint16_t kMembers[] = {10102, 10098, 10099, 10100, 10101, 10103};
  for (auto _ : state) {
    int any = 0;
    for (uint16_t id : kMembers)
      if ((any = OptGetValue(c.get(), id, nullptr) != 0)) break;
    benchmark::DoNotOptimize(any);
  }
}
BENCHMARK(FamilyTestByLookup);

}  // namespace
