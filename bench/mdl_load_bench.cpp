// Loading the sample model and a large one grown from it: reading the compiled cache file (with
// the check of every link) against compiling the source; the part of the read that is not the file system's (copy and
// check of bytes already read); and a whole model load of a new process (no image cached yet)
// that finds a sound cache file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "bench_models.h"
#include "context_services.h"
#include "core_memory.h"
#include "model_load.h"
#include "win32/machine.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

constexpr const WCHAR* kSource = u"C:\\bench\\ZOLT7000.QCS";
// The sample grown by 100 copies of its named rules (about 380 KB).
constexpr const WCHAR* kLargeSource = u"C:\\bench\\LARGE.QCS";

// Argument 0: the sample; 1: the large model.
const WCHAR* SourceOf(const benchmark::State& state) { return state.range(0) ? kLargeSource : kSource; }

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
    std::ifstream in(root / "drive_c" / "bench" / "ZOLT7000.QCS", std::ios::binary);
    const std::string sample((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(root / "drive_c" / "bench" / "LARGE.QCS", std::ios::binary) << zolt::bench::GenerateNamedRules(sample, 100);
    EnvInitProcessLocks();
    MdlFreeMem(MdlCompileFile(nullptr, kSource, true));
    MdlFreeMem(MdlCompileFile(nullptr, kLargeSource, true));
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
    ModelImage* image = MdlReadCacheFile(SourceOf(state));
    if (!image) state.SkipWithError("cache file refused");
    benchmark::DoNotOptimize(image);
    MdlFreeMem(image);
  }
}
BENCHMARK(BM_ReadCacheFile)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_CompileSource(benchmark::State& state) {
  Machine();
  for (auto _ : state) {
    ModelImage* image = MdlCompileFile(nullptr, SourceOf(state), false);
    if (!image) state.SkipWithError("compile failed");
    benchmark::DoNotOptimize(image);
    MdlFreeMem(image);
  }
}
BENCHMARK(BM_CompileSource)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The cache file's bytes already in memory: the copy into a new block and the check of every link.
void BM_CheckCacheBytes(benchmark::State& state) {
  Machine();
  ModelImage* file = MdlReadCacheFile(kSource);
  if (!file) state.SkipWithError("cache file refused");
  const uint32_t size = file ? file->header.totalSize : 0;
  for (auto _ : state) {
    auto* block = static_cast<ModelImage*>(CtxAllocMem(size));
    if (block) std::memcpy(block, file, size);
    if (!block || !MdlCheckImage(block, size)) state.SkipWithError("image refused");
    MdlFreeMem(block);
  }
  MdlFreeMem(file);
}
BENCHMARK(BM_CheckCacheBytes)->Unit(benchmark::kMicrosecond);

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
