// Compile throughput of model descriptions: the sample and a large generated description.
// Names resolve through a hashed table of the benchmark's own, as the compiler's index over the
// shared tables answers them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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

// A description in the sample's own style grown to a size: the sample once, then `copies` more
// copies of its rules (Judges, value rules, Actions, Transacts, AlertActions, Alerts), each copy
// with its own numbers and names ("Stapled" becomes "StapledR3" in copy 3), so every rule refers
// to the others by name as the sample's do.
std::string GenerateNamedRules(int copies) {
  const std::string sample = ReadSample("ZOLT7000.QCS");
  static constexpr std::string_view kKinds[] = {"Judge", "Item", "Action", "Transact", "AlertAction", "Alert"};
  std::vector<std::string> statements;  // the rule statements, each with its continuation lines
  std::unordered_map<std::string, int> names;  // rule name -> its kind
  int stride[std::size(kKinds)] = {};
  for (size_t at = 0; at < sample.size();) {
    size_t end = sample.find('\n', at);
    for (end = end == std::string::npos ? sample.size() : end + 1; end < sample.size() && (sample[end] == ' ' || sample[end] == '\t');) {
      size_t next = sample.find('\n', end);
      end = next == std::string::npos ? sample.size() : next + 1;
    }
    std::string_view st(sample.data() + at, end - at);
    at = end;
    for (size_t k = 0; k < std::size(kKinds); ++k) {
      std::string head(1, '*');
      head.append(kKinds[k]).push_back(' ');
      if (st.substr(0, head.size()) != head) continue;
      int number = std::atoi(std::string(st.substr(head.size())).c_str());
      stride[k] = std::max(stride[k], number);
      size_t eq = st.find('='), colon = st.find(':');
      names.emplace(std::string(st.substr(eq + 1, colon - eq - 1)), static_cast<int>(k));
      statements.emplace_back(st);
    }
  }
  auto isWord = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
  std::string s = sample;
  for (int copy = 1; copy <= copies; ++copy) {
    char tag[16];
    std::snprintf(tag, sizeof tag, "R%d", copy);
    for (const std::string& st : statements) {
      std::string out;
      for (size_t i = 0; i < st.size();) {
        if (!isWord(st[i])) {
          out += st[i++];
          continue;
        }
        size_t j = i;
        while (j < st.size() && isWord(st[j])) ++j;
        std::string word = st.substr(i, j - i);
        if (names.count(word)) {
          word += tag;
        } else if (word.size() > 5 && word.compare(0, 5, "Judge") == 0 && std::isdigit(static_cast<unsigned char>(word[5]))) {
          char judge[24];
          std::snprintf(judge, sizeof judge, "Judge%d", std::atoi(word.c_str() + 5) + copy * stride[0]);
          word = judge;
        } else if (i > 0 && st[i - 1] == ' ' && j < st.size() && st[j] == '=' && std::isdigit(static_cast<unsigned char>(word[0]))) {
          // the statement's own number
          for (size_t k = 0; k < std::size(kKinds); ++k)
            if (st.compare(1, kKinds[k].size(), kKinds[k]) == 0 && st[kKinds[k].size() + 1] == ' ')
              word = std::to_string(std::atoi(word.c_str()) + copy * stride[k]);
        }
        out += word;
        i = j;
      }
      s += out;
    }
  }
  return s;
}

// Argument: copies of the sample's rules (about 5 KB each): the cost per byte stays flat.
void BM_CompileNamedRules(benchmark::State& state) {
  const std::string source = GenerateNamedRules(static_cast<int>(state.range(0)));
  state.counters["bytes"] = static_cast<double>(source.size());
  Compile(state, source);
}
BENCHMARK(BM_CompileNamedRules)->Arg(0)->Arg(100)->Arg(800)->Unit(benchmark::kMillisecond);

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
