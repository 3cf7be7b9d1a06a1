// Compile throughput of model descriptions: the sample and a large generated description.
// Names resolve through a hashed table of the benchmark's own, as the compiler's index over the
// shared tables answers them.
#include <benchmark/benchmark.h>

#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bench_models.h"
#include "mdl_compile.h"
#include "option_table.h"

namespace {

std::unordered_map<std::string_view, NameEntry> gNames;
std::unordered_map<std::string_view, ValueNameEntry> gValues;
std::deque<std::string> gStrings;

const NameEntry* FindName(const char* name) {
  auto it = gNames.find(name);
  if (it != gNames.end()) return &it->second;
  if (std::strncmp(name, "ZPD_", 4) != 0) return nullptr;
  uint16_t n = static_cast<uint16_t>(gNames.size() + 1);
  const char* kept = gStrings.emplace_back(name).c_str();
  return &gNames.emplace(kept, NameEntry{static_cast<uint16_t>(n % 700 + 1), n, kept}).first->second;
}

const ValueNameEntry* FindValue(const char* name) {
  auto it = gValues.find(name);
  if (it != gValues.end()) return &it->second;
  if (!std::strchr(name, '_')) return nullptr;
  const char* kept = gStrings.emplace_back(name).c_str();
  return &gValues.emplace(kept, ValueNameEntry{0, 0, static_cast<uint32_t>(gValues.size() + 1), 1, kept, 0})
              .first->second;
}

const MdlSymbolLookups kLookups = {FindName, FindValue, nullptr, nullptr, nullptr};

std::string ReadSample(const char* name) {
  std::ifstream in(std::string(ZOLT_SOURCE_DIR) + "/samples/models/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A description with many items: each a paper-like item with values, geometry, tray lists,
// option commands, plus command strings, groups and rules.
std::string Generate(int items) {
  std::string s = "*% generated model description\n*FileVersion: 7.70\n";
  for (int i = 0; i < items; ++i) {
    std::string name = "ZPD_Item" + std::to_string(i);
    s += "*OpenUI *" + name + ": PickPage\n*Default" + name + ": VAL_" + std::to_string(i) + "_2\n";
    for (int v = 0; v < 8; ++v) {
      std::string value = "VAL_" + std::to_string(i) + "_" + std::to_string(v);
      s += "*" + name + " " + value + ": \"Value %(" + std::to_string(v) + "%) <41 42>\"\n";
      s += "*PageMMValue ANY " + value + ": \"2100 2970\"\n";
      s += "*PageValue ANY " + value + ": RES_600 ORIENT_PORTRAIT \"200 200 9521 13631 9921 14031\"\n";
      s += "*PageValue ANY " + value + ": RES_600 ORIENT_LANDSCAPE ZPD_Cond True \"200 200 13631 9521 14031 9921\"\n";
    }
    s += "*OptionCommand: { \"@PJL SET ITEM" + std::to_string(i) + "=\" \"<0A>\" }\n*CloseUI: *" + name + "\n";
    s += "*CommandString " + std::to_string(i + 1) + ": \"<1B>%%-12345X@PJL SET X=" + std::to_string(i) + "<0A>\"\n";
    s += "*Judge " + std::to_string(i + 1) + ": " + name + " == VAL_" + std::to_string(i) + "_1\n";
  }
  s += "*CommandGroup: JobStart {\n";
  for (int i = 0; i < items; ++i)
    s += "  Command: Judge" + std::to_string(i + 1) + " { Type: StringType " + std::to_string(i + 1) +
         " } Else { Type: GroupType *ZPD_Item" + std::to_string(i) + " }\n";
  s += "}\n*DeviceFonts: IDList { {\"Courier\" 1} {\"Times\" 2} {\"Helvetica\" 3} }\n";
  return s;
}

void Compile(benchmark::State& state, const std::string& source) {
  MdlSetSymbolLookups(&kLookups);
  for (auto _ : state) {
    CompileContext* ctx = MdlCompileBytes(source.data(), source.size());
    if (!ctx || ctx->stats.failed || ctx->stats.ignored) state.SkipWithError("statements skipped");
    benchmark::DoNotOptimize(ctx);
    MdlFreeCompileContext(ctx);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(source.size()));
  state.counters["MB/s"] = benchmark::Counter(static_cast<double>(source.size()) / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
  MdlSetSymbolLookups(nullptr);
}

void BM_CompileSample(benchmark::State& state) {
  static const std::string source = ReadSample("ZOLT7000.QCS");
  Compile(state, source);
}
BENCHMARK(BM_CompileSample);

void BM_CompileGenerated(benchmark::State& state) {
  static const std::string source = Generate(2000);
  Compile(state, source);
}
BENCHMARK(BM_CompileGenerated)->Unit(benchmark::kMillisecond);

// Argument: copies of the sample's rules (about 3.7 KB each, 1070 copies about 4 MB): the cost per
// byte stays flat.
void BM_CompileNamedRules(benchmark::State& state) {
  const std::string source = zolt::bench::GenerateNamedRules(ReadSample("ZOLT7000.QCS"), static_cast<int>(state.range(0)));
  state.counters["bytes"] = static_cast<double>(source.size());
  Compile(state, source);
}
BENCHMARK(BM_CompileNamedRules)->Arg(0)->Arg(100)->Arg(800)->Arg(1070)->Unit(benchmark::kMillisecond);

// The statement reader alone.
void BM_ReadStatements(benchmark::State& state) {
  static const std::string source = Generate(2000);
  for (auto _ : state) {
    ModelSource* src = MdlOpenSourceBytes(source.data(), source.size());
    ModelStatement* st = MdlNewStatement();
    int n = 0;
    while (MdlReadStatement(st, src) == kReadStatement) ++n;
    benchmark::DoNotOptimize(n);
    MdlFreeStatement(st);
    MdlCloseSource(src);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_ReadStatements)->Unit(benchmark::kMillisecond);

// Packing a compiled description into its image, and the check of every link of an image (what
// a loaded cache file goes through before it is used).
void BM_PackGenerated(benchmark::State& state) {
  static const std::string source = Generate(2000);
  MdlSetSymbolLookups(&kLookups);
  CompileContext* ctx = MdlCompileBytes(source.data(), source.size());
  uint32_t size = ctx ? MdlSizeImage(ctx) : 0;
  std::vector<uint8_t> image(size);
  for (auto _ : state)
    if (!size || !MdlPackInto(image.data(), size, ctx)) state.SkipWithError("no image");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
  MdlFreeCompileContext(ctx);
  MdlSetSymbolLookups(nullptr);
}
BENCHMARK(BM_PackGenerated)->Unit(benchmark::kMillisecond);

void BM_CheckImageGenerated(benchmark::State& state) {
  static const std::string source = Generate(2000);
  MdlSetSymbolLookups(&kLookups);
  CompileContext* ctx = MdlCompileBytes(source.data(), source.size());
  uint32_t size = ctx ? MdlSizeImage(ctx) : 0;
  std::vector<uint8_t> image(size);
  if (!size || !MdlPackInto(image.data(), size, ctx)) state.SkipWithError("no image");
  MdlFreeCompileContext(ctx);
  MdlSetSymbolLookups(nullptr);
  for (auto _ : state)
    if (!MdlCheckImage(image.data(), image.size())) state.SkipWithError("image refused");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_CheckImageGenerated)->Unit(benchmark::kMillisecond);

}  // namespace
