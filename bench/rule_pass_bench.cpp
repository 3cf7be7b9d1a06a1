// Every rule on one settings image of a large model: 200 items of 20 values, each value disabled
// by a condition on a neighbouring item (4,000 constraints), its disabled, restricted and locked
// state asked item by item and value by value as the sheets ask them. Where the
// PPD library is installed (libcups2-dev), its conflict check runs on a PPD carrying the same
// options and the same 4,000 constraints, in the same program, for comparison.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unordered_map>

#include "bench_image_context.h"
#include "context_services.h"
#include "core_memory.h"
#include "mdl_compile.h"
#include "model_query.h"

#if ZOLT_BENCH_PPD
#include <cups/ppd.h>
#endif

namespace {

constexpr int kItems = 200;
constexpr int kValues = 20;

// Names of the generated model resolve through a table of the benchmark's own: every item is
// an option of its own, every value a value id of its own.
std::unordered_map<std::string_view, NameEntry> gNames;
std::unordered_map<std::string_view, ValueNameEntry> gValues;
std::deque<std::string> gStrings;

const NameEntry* FindName(const char* name) {
  if (auto it = gNames.find(name); it != gNames.end()) return &it->second;
  int item = 0;
  if (std::sscanf(name, "ZPD_Item%d", &item) != 1) return nullptr;
  const char* kept = gStrings.emplace_back(name).c_str();
  const auto id = static_cast<uint16_t>(10 + item);  // options 10..209 of the settings image
  return &gNames.emplace(kept, NameEntry{id, static_cast<uint16_t>(item + 1), kept}).first->second;
}

const ValueNameEntry* FindValue(const char* name) {
  if (auto it = gValues.find(name); it != gValues.end()) return &it->second;
  int item = 0, value = 0;
  if (std::sscanf(name, "VAL_%d_%d", &item, &value) != 2) return nullptr;
  const char* kept = gStrings.emplace_back(name).c_str();
  return &gValues.emplace(kept, ValueNameEntry{0, 0, static_cast<uint32_t>(value + 1), 1, kept, 0}).first->second;
}

const MdlSymbolLookups kLookups = {FindName, FindValue, nullptr, nullptr, nullptr};

std::string Format(const char* format, int a, int b = 0) {
  char text[32];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}
std::string Item(int i) { return Format("ZPD_Item%d", i % kItems); }
std::string Value(int i, int v) { return Format("VAL_%d_%d", i % kItems, v); }

// A small string builder: the pieces appended in order.
template <class... Parts>
void Add(std::string& s, const Parts&... parts) {
  (s.append(parts), ...);
}

// Value v of item i is disabled while the item three further on holds its value v + 1.
std::string Description() {
  std::string s = "*FileVersion: 7.70\n";
  for (int i = 0; i < kItems; ++i) {
    Add(s, "*OpenUI *", Item(i), ": PickOne\n*Default", Item(i), ": ", Value(i, 0), "\n");
    for (int v = 0; v < kValues; ++v) Add(s, "*", Item(i), " ", Value(i, v), ": \"", std::to_string(v), "\"\n");
    Add(s, "*CloseUI: *", Item(i), "\n");
  }
  int judge = 0;
  for (int i = 0; i < kItems; ++i) {
    std::string rows;
    for (int v = 0; v < kValues; ++v) {
      const std::string number = std::to_string(++judge);
      Add(s, "*Judge ", number, ": ", Item(i + 3), " == ", Value(i + 3, (v + 1) % kValues), "\n");
      Add(rows, " {", Value(i, v), " Judge", number, " NULL NULL}");
    }
    const std::string number = std::to_string(i + 1);
    Add(s, "*Item ", number, ": {", rows, " }\n");
    Add(s, "*Exclusive: { {", Item(i), " NULL NULL Item", number, " NULL NULL NULL NULL} }\n");
  }
  return s;
}

struct Model {
  ModelImage* image = nullptr;
  MdlRuleIndex* index = nullptr;  // as the image cache keeps it for a loaded model
  Model() {
    const std::string source = Description();
    MdlSetSymbolLookups(&kLookups);
    CompileContext* cc = MdlCompileBytes(source.data(), source.size());
    if (cc && !cc->stats.failed && !cc->stats.ignored) image = MdlPackImage(cc);  // frees the context
    else MdlFreeCompileContext(cc);
    MdlSetSymbolLookups(nullptr);
    index = MdlBuildRuleIndex(image);
  }
  ~Model() {
    MdlFreeRuleIndex(index);
    MdlFreeMem(image);
  }
};

void ModelRulePass(benchmark::State& state) {
  static Model model;
  zolt::bench::ImageContext c;
  if (!c.get() || !model.image) return state.SkipWithError("no model");
  DriverContext* ctx = c.get();
  ctx->modelImage = model.image;
  ctx->workArea->ruleIndex = model.index;
  MdlAllocEvalStack(ctx);
  uint32_t queries = 0;
  for (auto _ : state) {
    uint32_t held = 0;
    queries = 0;
    for (const ModelItem* item = MdlImageAt<ModelItem>(model.image, model.image->header.firstItem); item;
         item = MdlImageAt<ModelItem>(model.image, item->next)) {
      if (!item->exclusive || !ModelIsListKind(item->typeWord)) continue;
      for (const ModelValue* v = MdlImageAt<ModelValue>(model.image, item->values); v;
           v = MdlNextItemValue(model.image, item, v)) {
        held += MdlIsDisabled(item, v->valueId, ctx) + MdlIsRestricted(item, v->valueId, ctx) +
                MdlIsLocked(item, v->valueId, ctx);
        queries += 3;
      }
    }
    benchmark::DoNotOptimize(held);
  }
  ctx->modelImage = nullptr;
  ctx->workArea->ruleIndex = nullptr;
  state.counters["queries"] = queries;
}
BENCHMARK(ModelRulePass)->Unit(benchmark::kMicrosecond);

#if ZOLT_BENCH_PPD
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

// The same options and constraints as a PPD: each constraint forbids a value together with the
// neighbour's value that disables, restricts or locks it.
std::string Ppd() {
  std::string s =
      "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
      "*LanguageEncoding: ISOLatin1\n*PCFileName: \"BENCH.PPD\"\n*Manufacturer: \"Bench\"\n*Product: \"(Bench)\"\n"
      "*ModelName: \"Bench\"\n*ShortNickName: \"Bench\"\n*NickName: \"Bench\"\n*PSVersion: \"(3010.000) 0\"\n";
  auto option = [](int i) { return Format("Opt%d", i % kItems); };
  auto choice = [](int v) { return Format("C%d", v % kValues); };
  for (int i = 0; i < kItems; ++i) {
    Add(s, "*OpenUI *", option(i), ": PickOne\n*Default", option(i), ": C0\n");
    for (int v = 0; v < kValues; ++v) Add(s, "*", option(i), " ", choice(v), ": \"\"\n");
    Add(s, "*CloseUI: *", option(i), "\n");
  }
  for (int i = 0; i < kItems; ++i)
    for (int v = 0; v < kValues; ++v)
      Add(s, "*UIConstraints: *", option(i), " ", choice(v), " *", option(i + 3), " ", choice(v + 1), "\n");
  return s;
}

void PpdConflictCheck(benchmark::State& state) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "zolt-bench-rule-pass.ppd";
  std::ofstream(file, std::ios::binary) << Ppd();
  ppd_file_t* ppd = ppdOpenFile(file.c_str());
  std::filesystem::remove(file);
  if (!ppd) return state.SkipWithError("PPD refused");
  ppdMarkDefaults(ppd);
  ppdMarkOption(ppd, "Opt1", "C1");  // a setting that meets some constraints
  for (auto _ : state) benchmark::DoNotOptimize(ppdConflicts(ppd));
  state.counters["constraints"] = ppd->num_consts;
  ppdClose(ppd);
}
BENCHMARK(PpdConflictCheck)->Unit(benchmark::kMicrosecond);

// Reading a PPD of about 3.8 MB (the 200 options with 4,000 constraints, then options of their
// own until the size is reached), against which the compile benchmark's 4 MB description stands.
void PpdOpenLarge(benchmark::State& state) {
  std::string text = Ppd();
  for (int i = kItems; text.size() < 3800000; ++i) {
    Add(text, "*OpenUI *Big", std::to_string(i), ": PickOne\n*DefaultBig", std::to_string(i), ": C0\n");
    for (int v = 0; v < kValues; ++v)
      Add(text, "*Big", std::to_string(i), " ", Format("C%d", v), ": \"<1B>&l", std::to_string(v), "A\"\n");
    Add(text, "*CloseUI: *Big", std::to_string(i), "\n");
  }
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "zolt-bench-large.ppd";
  std::ofstream(file, std::ios::binary) << text;
  for (auto _ : state) {
    ppd_file_t* ppd = ppdOpenFile(file.c_str());
    if (!ppd) {
      state.SkipWithError("PPD refused");
      break;
    }
    ppdClose(ppd);
  }
  std::filesystem::remove(file);
  state.counters["MB/s"] =
      benchmark::Counter(static_cast<double>(text.size()) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(PpdOpenLarge)->Unit(benchmark::kMillisecond);

#pragma GCC diagnostic pop
#endif

}  // namespace
