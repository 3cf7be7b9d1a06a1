// Speed of the settings module's interface on the sample printer of the 7000: applying a block
// of 40 job-language lines (each base reopens the handle's context), updating one line against
// it, and reading every capability of the interface once.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "api_frame.h"
#include "bench_machine.h"
#include "exc_handle.h"
#include "win32/hostspooler.h"
#include "win32/windows.h"

namespace {

// 23 lines the printer knows and 17 that belong to other parts of a tool's job header.
constexpr char kBlock[] =
    "@PJL SET APLPAGESIZE = A4 \r\n@PJL SET APLPAGELAYOUT = PORTRAIT \r\n@PJL SET PAPER = SAME \r\n"
    "@PJL SET TRAY = TRAY1 \r\n@PJL SET DUPLEX = OFF \r\n@PJL SET OUTBIN = INNER \r\n@PJL SET COPIES = 2 \r\n"
    "@PJL SET SCALETYPE = PAPERSCALE \r\n@PJL SET PAPERSCALEH = 90 \r\n@PJL SET PAPERSCALEW = 90 \r\n"
    "@PJL SET BINDING = LEFT \r\n@PJL SET MARGINODD = 0 \r\n@PJL SET MARGINEVEN = 0 \r\n@PJL SET NUP = 2IN1P1 \r\n"
    "@PJL SET NUPENCLOSURE = OFF \r\n@PJL SET MEDIATYPE = PLAIN \r\n@PJL SET DSTRESOLUTIONH = 600 \r\n"
    "@PJL SET DSTRESOLUTIONW = 600 \r\n@PJL SET SRCRESOLUTIONH = 600 \r\n@PJL SET SRCRESOLUTIONW = 600 \r\n"
    "@PJL SET COLORSELECT = MONO \r\n@PJL SET SIMPLEXBINDING = LEFT \r\n@PJL SET BOOKLET = OFF \r\n"
    "@PJL SET JOBNAME = REPORT \r\n@PJL SET USERNAME = CLERK \r\n@PJL SET HOLD = OFF \r\n@PJL SET HOLDTYPE = PUBLIC \r\n"
    "@PJL SET QTY = 1 \r\n@PJL SET RENDERMODE = GRAYSCALE \r\n@PJL SET ECONOMODE = OFF \r\n@PJL SET DENSITY = 3 \r\n"
    "@PJL SET RET = MEDIUM \r\n@PJL SET PAGEPROTECT = AUTO \r\n@PJL SET TIMEOUT = 15 \r\n@PJL SET LANG = ENGLISH \r\n"
    "@PJL SET FORMLINES = 60 \r\n@PJL SET SYMSET = PC8 \r\n@PJL SET FONTSOURCE = I \r\n@PJL SET FONTNUMBER = 0 \r\n"
    "@PJL SET PITCH = 10 \r\n";

class Machine {
 public:
  Machine() : machine_("settings-api") {
    namespace fs = std::filesystem;
    const fs::path modules = machine_.root() / "modules";
    fs::create_directories(modules);
    for (const char* name : {"zoltgr.dll", "zoltui.dll", "zoltexc.dll"}) std::ofstream(modules / name) << "";
    zolt::host::DriverInstall install;
    install.name = u"ZOLT Office 7000 Series";
    install.moduleDir = modules;
    install.modelFile = fs::path(ZOLT_SOURCE_DIR) / "samples" / "models" / "ZOLT7000.QCS";
    zolt::host::PrinterSetup setup;
    setup.name = u"Bench 7000";
    setup.driver = install.name;
    if (!zolt::host::InstallDriver(install) || !zolt::host::AddPrinter(setup)) std::abort();
    WritePrivateProfileStringW(u"ZOLTAPI", u"ZOLTAPIVer", u"22",
                               u"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\QVF9D172.ini");
  }

 private:
  zolt::bench::TempMachine machine_;
};

Machine& TheMachine() {
  static Machine machine;
  return machine;
}

void ApplyBlock(benchmark::State& state) {
  TheMachine();
  ExclusiveHandle* handle = ExcGetExclusive("Bench 7000");
  if (!handle) {
    state.SkipWithError("no handle");
    return;
  }
  int32_t length = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ExcSetCommandBase(handle, kBlock, &length));
  ExcFreeExclusive(handle);
}
BENCHMARK(ApplyBlock)->Unit(benchmark::kMicrosecond);

void UpdateLine(benchmark::State& state) {
  TheMachine();
  ExclusiveHandle* handle = ExcGetExclusive("Bench 7000");
  if (!handle || ExcSetCommandBase(handle, kBlock, nullptr) < 0) {
    state.SkipWithError("no base");
    return;
  }
  const char* lines[] = {"@PJL SET NUP = 4IN1P1 \r\n", "@PJL SET NUP = 2IN1P1 \r\n"};
  int32_t length = 0;
  size_t n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ExcUpdateCommand(handle, lines[n++ & 1], &length));
  ExcFreeExclusive(handle);
}
BENCHMARK(UpdateLine)->Unit(benchmark::kMicrosecond);

void ReadEveryCapability(benchmark::State& state) {
  TheMachine();
  DriverContext* ctx = ZOLTDrvEnable("Bench 7000");
  if (!ctx) {
    state.SkipWithError("no context");
    return;
  }
  ApiInitRecord init{0, 22};
  ZOLTDrvInit(1, &init);
  std::vector<uint32_t> ids;
  for (uint32_t id = 1; id <= 150; ++id) ids.push_back(id);
  for (uint32_t id = 257; id <= 282; ++id) ids.push_back(id);
  std::vector<uint8_t> buffer(1 << 20);
  for (auto _ : state) {
    for (uint32_t id : ids) {
      const int32_t count = ZOLTDrvGetCaps(ctx, id, nullptr);
      if (count > 0 && count < 2048) benchmark::DoNotOptimize(ZOLTDrvGetCaps(ctx, id, buffer.data()));
    }
  }
  state.counters["capabilities"] = static_cast<double>(ids.size());
  ZOLTDrvDisable(ctx);
}
BENCHMARK(ReadEveryCapability)->Unit(benchmark::kMicrosecond);

// Every capability at once, in the record a caller takes and hands back.
void ReadWholeRecord(benchmark::State& state) {
  TheMachine();
  DriverContext* ctx = ZOLTDrvEnable("Bench 7000");
  if (!ctx) {
    state.SkipWithError("no context");
    return;
  }
  ApiInitRecord init{0, 22};
  ZOLTDrvInit(1, &init);
  for (auto _ : state) {
    AllCapabilities* record = nullptr;
    if (ZOLTDrvGetCaps(ctx, kCapAllCapabilities, &record) != 1) {
      state.SkipWithError("no record");
      break;
    }
    ZOLTDrvGetCaps(ctx, kCapFreeAllCapabilities, record);
  }
  ZOLTDrvDisable(ctx);
}
BENCHMARK(ReadWholeRecord)->Unit(benchmark::kMicrosecond);

}  // namespace
