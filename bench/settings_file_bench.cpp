// Loading a user settings file: the whole-file load (header and lock checks, every option row of
// the printer's section, the follow-up) and one pass of the section serializer, on a settings
// file of the driver's own kind and on a long one (38 KB, most of it one long value per row).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench_image_context.h"
#include "bench_machine.h"
#include "option_access.h"
#include "option_values.h"
#include "settings_files.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

void Machine() {
  static zolt::bench::TempMachine machine("settings");
  static const bool copied = [] {
    const fs::path corpus = fs::path(ZOLT_SOURCE_DIR) / "fuzz" / "corpus" / "settings_file";
    for (const char* name : {"user_settings.rst", "long_section.rst"})
      fs::copy_file(corpus / name, machine.root() / "drive_c" / name);
    return true;
  }();
  (void)copied;
}

const WCHAR* PathOf(int64_t which) { return which ? u"C:\\long_section.rst" : u"C:\\user_settings.rst"; }

void Prepare(DriverContext* ctx) {
  OptSetValue(ctx, kOptLanguageId, 1);
  lstrcpynW(ctx->workArea->qualifiedPrinterName, u"ZOLT Office 7000", kCtxPathChars);
  lstrcpynW(ctx->workArea->driverName, u"ZOLT Office 7000 Series", kCtxShortNameChars);
}

// Argument: 0 the driver's own kind of file, 1 the long one.
template <class Load>
void Run(benchmark::State& state, Load load) {
  Machine();
  zolt::bench::ImageContext c;
  if (!c.get()) return state.SkipWithError("no context");
  Prepare(c.get());
  const WCHAR* path = PathOf(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(load(path, c.get()));
}

void LoadWholeFile(benchmark::State& state) {
  Run(state, [](const WCHAR* path, DriverContext* ctx) { return CfgLoadSettingsFile(nullptr, path, 0, ctx); });
}
BENCHMARK(LoadWholeFile)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void LoadSection(benchmark::State& state) {
  Run(state, [](const WCHAR* path, DriverContext* ctx) { return CfgTransferSettingsSection(nullptr, path, kCfgLoad, ctx); });
}
BENCHMARK(LoadSection)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
