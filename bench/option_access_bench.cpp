// Option value access, the most frequent calls of the driver: reads and writes by id across
// the kinds, UI values through value-text lists, and the legal-value search.
#include <benchmark/benchmark.h>

#include "bench_image_context.h"
#include "option_access.h"
#include "option_constants.h"

namespace {

using zolt::bench::ImageContext;

// Ids across the kinds: int16, uint8, bit of a 32-bit word, uint32 in block 2, block 3.
constexpr uint16_t kIds[] = {8, 87, 449, 10005, 1050, 12, 10442, 176};

void GetValueById(benchmark::State& state) {
  ImageContext c;
  if (!c.get()) return state.SkipWithError("no context");
  for (auto _ : state)
    for (uint16_t id : kIds) benchmark::DoNotOptimize(OptGetValue(c.get(), id, nullptr));
  state.SetItemsProcessed(state.iterations() * std::size(kIds));
}
BENCHMARK(GetValueById);

void SetValueById(benchmark::State& state) {
  ImageContext c;
  if (!c.get()) return state.SkipWithError("no context");
  int32_t v = 0;
  for (auto _ : state)
    for (uint16_t id : kIds) benchmark::DoNotOptimize(OptSetValue(c.get(), id, ++v & 1));
  state.SetItemsProcessed(state.iterations() * std::size(kIds));
}
BENCHMARK(SetValueById);

void UiValueThroughList(benchmark::State& state) {
  ImageContext c;
  if (!c.get()) return state.SkipWithError("no context");
  OptSetValue(c.get(), 8, 574);  // near the end of the paper list
  for (auto _ : state) benchmark::DoNotOptimize(OptGetUiValue(c.get(), 8, nullptr));
}
BENCHMARK(UiValueThroughList);

void LegalValueSearch(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(OptIsLegalValue(1583, 1040));
}
BENCHMARK(LegalValueSearch);

}  // namespace
