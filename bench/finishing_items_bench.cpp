// The computed finishing items: one read of every finisher family item (what a rule pass asks),
// and the option reads through the getters' row slots against plain lookups by id.
#include <benchmark/benchmark.h>

#include "finishing_rules.h"
#include "option_access.h"

namespace {

HANDLE kPrinter = reinterpret_cast<HANDLE>(1);

// A tables-only context with a working image laid out in its three blocks.
class ImageContext {
 public:
  ImageContext() {
    ctx_ = CtxCreateWithFlags(kPrinter, kPrinter, nullptr, kCtxKindTablesOnly, kCtxModeUi);
    if (!ctx_) return;
    ctx_->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
    auto* image = reinterpret_cast<BYTE*>(ctx_->settingsImage);
    if (!image) return;
    const DWORD starts[3] = {0, 1236, 6500};
    for (int i = 0; i < 3; ++i) {
      image[361 + 2 * i] = static_cast<BYTE>(starts[i]);
      image[362 + 2 * i] = static_cast<BYTE>(starts[i] >> 8);
    }
    OptSetValue(ctx_, 10086, 1);  // a finisher with punch variants
  }
  ~ImageContext() {
    if (ctx_) CtxReleaseAs(ctx_, kCtxReleaseDestroy);
  }
  DriverContext* get() const { return ctx_ && ctx_->settingsImage ? ctx_ : nullptr; }

 private:
  DriverContext* ctx_ = nullptr;
};

void FamilyItems(benchmark::State& state) {
  ImageContext c;
  if (!c.get()) return state.SkipWithError("no context");
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
  for (auto _ : state) benchmark::DoNotOptimize(OptIsDomFinisherInstalled(c.get()));
}
BENCHMARK(FamilyTestThroughSlots);

void FamilyTestByLookup(benchmark::State& state) {
  ImageContext c;
  if (!c.get()) return state.SkipWithError("no context");
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
