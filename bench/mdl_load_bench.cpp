// Loading the sample model: reading its compiled cache file (with the check of every link)
// against compiling its source, and a whole model load of a new process (no image cached yet)
// that finds a sound cache file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "context_services.h"
#include "core_memory.h"
#include "model_load.h"
#include "win32/machine.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

constexpr const WCHAR* kSource = u"C:\\bench\\ZOLT7000.QCS";

// One machine for the whole program with the sample model and its cache file; removed at exit.
struct BenchMachine {
  fs::path root;
  BenchMachine() {
    std::string pattern = (fs::temp_directory_path() / "zolt-bench-mdl-load-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    root = pattern;
    zolt::host::Machine::Create(root);
    zolt::host::Machine::Use(root);
    fs::create_directories(root / "drive_c" / "bench");
    fs::copy_file(fs::path(ZOLT_SOURCE_DIR) / "samples" / "models" / "ZOLT7000.QCS",
                  root / "drive_c" / "bench" / "ZOLT7000.QCS");
    EnvInitProcessLocks();
    MdlFreeMem(MdlCompileFile(nullptr, kSource, true));
  }
  ~BenchMachine() {
    MdlFreeCache();
    EnvFreeProcessLocks();
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

void Machine() { static BenchMachine machine; }

void BM_ReadCacheFile(benchmark::State& state) {
  Machine();
  for (auto _ : state) {
    ModelImage* image = MdlReadCacheFile(kSource);
    if (!image) state.SkipWithError("cache file refused");
    benchmark::DoNotOptimize(image);
    MdlFreeMem(image);
  }
}
BENCHMARK(BM_ReadCacheFile)->Unit(benchmark::kMicrosecond);

void BM_CompileSource(benchmark::State& state) {
  Machine();
  for (auto _ : state) {
    ModelImage* image = MdlCompileFile(nullptr, kSource, false);
    if (!image) state.SkipWithError("compile failed");
    benchmark::DoNotOptimize(image);
    MdlFreeMem(image);
  }
}
BENCHMARK(BM_CompileSource)->Unit(benchmark::kMicrosecond);

// MdlLoad as the first context of a process runs it: source path from the context's driver
// information, the version of the source, the cache file, the global mutex.
void BM_LoadInNewProcess(benchmark::State& state) {
  Machine();
  std::u16string dataFile = kSource;
  DRIVER_INFO_2W info{};
  info.pDataFile = dataFile.data();
  DriverProfile profile = *CtxGetTemplate()->profile;
  auto area = std::make_unique<ContextWorkArea>();
  area->takeMutex = 1;
  area->driverInfo2 = &info;
  DriverContext ctx{};
  ctx.profile = &profile;
  ctx.workArea = area.get();
  for (auto _ : state) {
    MdlFreeCache();
    if (!MdlLoad(&ctx)) state.SkipWithError("no image");
  }
  MdlFreeCache();
}
BENCHMARK(BM_LoadInNewProcess)->Unit(benchmark::kMicrosecond);

}  // namespace
