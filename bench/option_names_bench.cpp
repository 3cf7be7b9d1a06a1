// Symbol lookups over the shared name tables (linear scans) and the unit conversions that the
// dialogs run for every shown length.
#include <benchmark/benchmark.h>

#include "option_table.h"
#include "option_units.h"

namespace {

void SymbolByName(benchmark::State& state) {
  // The last symbol before the buttons: the longest scan of a name that exists.
  const char* name = kNameTable.rows[kNameTable.count - 10].name;
  for (auto _ : state) benchmark::DoNotOptimize(OptFindSymbolByName(name));
}
BENCHMARK(SymbolByName);

void ValueSymbolByNameInTableTwo(benchmark::State& state) {
  const char* name = kValueNameTable2.rows[kValueNameTable2.count - 1].name;
  for (auto _ : state) benchmark::DoNotOptimize(OptFindValueSymbolByName(name));
}
BENCHMARK(ValueSymbolByNameInTableTwo);

void ValueSymbolByValue(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(OptFindValueSymbol(1050, 11995));
}
BENCHMARK(ValueSymbolByValue);

void LengthRoundTrip(benchmark::State& state) {
  uint32_t length = 0;
  for (auto _ : state) {
    uint32_t dots = OptLengthToDots(kLengthTenthMm, length, 1200);
    benchmark::DoNotOptimize(OptDotsToLength(kLengthTenthMm, dots, 1200, nullptr));
    length = (length + 7) % 5000;
  }
}
BENCHMARK(LengthRoundTrip);

}  // namespace
