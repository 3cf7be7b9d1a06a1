// Evaluating every rule of the sample model for one settings image: the disabled, restricted and
// locked conditions of every item and of every value, and the alert of every item; and running
// the first transact list of every item.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "context_services.h"
#include "core_memory.h"
#include "devmode_defaults.h"
#include "devmode_merge.h"
#include "devmode_record.h"
#include "mdl_compile.h"
#include "model_query.h"
#include "option_access.h"
#include "option_table.h"
#include "win32/machine.h"

namespace {

// The shared symbol tables, with the sample's settings that they do not tie to an option yet
// tied to options of the same nature.
const NameEntry* FindName(const char* name) {
  static std::map<std::string, uint16_t, std::less<>> options = {
      {"ZPD_IDC_EDIT_CHOICE_DUPLEX", 58}, {"ZPD_IDC_FINISH_CHOICE_STAPLE", 63}, {"ZPD_IDC_FINISH_CHOICE_PUNCH", 62},
      {"ZPD_IDC_FINISH_CHOICE_SORT", 19}, {"ZPD_IDC_BASIC_EDIT_COPIES", 12},    {"ZPD_MultiLock", 10386},
  };
  static std::map<std::string, NameEntry, std::less<>> tied;
  const NameEntry* shared = OptFindSymbolByName(name);
  auto it = options.find(name);
  if (!shared || it == options.end()) return shared;
  return &tied.try_emplace(name, NameEntry{it->second, shared->nameIndex, shared->name}).first->second;
}

struct Setup {
  DriverContext* ctx = nullptr;
  ModelImage* image = nullptr;
  std::filesystem::path machine;

  Setup() {
    machine = std::filesystem::temp_directory_path() / ("zolt-bench-mdl-eval-" + std::to_string(getpid()));
    if (zolt::host::Machine::Create(machine, zolt::host::MachineFacts{})) zolt::host::Machine::Use(machine);
    std::ifstream in(std::string(ZOLT_SOURCE_DIR) + "/samples/models/ZOLT7000.QCS", std::ios::binary);
    std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    static const MdlSymbolLookups lookups = {&FindName, &OptFindValueSymbolByName, nullptr, nullptr, nullptr};
    MdlSetSymbolLookups(&lookups);
    CompileContext* cc = MdlCompileBytes(source.data(), source.size());
    MdlSetSymbolLookups(nullptr);
    image = cc ? MdlPackImage(cc) : nullptr;
    ctx = CtxCreateWithFlags(reinterpret_cast<HANDLE>(1), reinterpret_cast<HANDLE>(1), nullptr, kCtxKindTablesOnly,
                             kCtxModeUi);
    if (!ctx || !image) return;
    auto* settings = static_cast<BYTE*>(CtxAllocMem(kSettingsImageSize));
    const DWORD starts[4] = {0, 0, 1236, 6500};
    for (int block = 1; block <= 3; ++block) {
      settings[359 + 2 * block] = static_cast<BYTE>(starts[block]);
      settings[360 + 2 * block] = static_cast<BYTE>(starts[block] >> 8);
    }
    ctx->settingsImage = reinterpret_cast<SettingsImage*>(settings);
    ctx->modelImage = image;
    MdlAllocEvalStack(ctx);
  }
  ~Setup() {
    if (ctx) {
      ctx->modelImage = nullptr;
      CtxReleaseAs(ctx, kCtxReleaseDestroy);
    }
    MdlFreeMem(image);
    std::error_code ec;
    std::filesystem::remove_all(machine, ec);
  }
};

Setup& Get() {
  static Setup setup;
  return setup;
}

void EvaluateAllRules(benchmark::State& state) {
  Setup& s = Get();
  if (!s.ctx || !s.image) {
    state.SkipWithError("no model");
    return;
  }
  // Settings under which the conditions reach their later terms.
  OptSetValue(s.ctx, 12, 150);
  OptSetValue(s.ctx, 63, 1);
  uint32_t conditions = 0;
  for (auto _ : state) {
    uint32_t held = 0;
    conditions = 0;
    for (const ModelItem* item = MdlImageAt<ModelItem>(s.image, s.image->header.firstItem); item;
         item = MdlImageAt<ModelItem>(s.image, item->next)) {
      if (!item->exclusive) continue;
      held += MdlIsDisabled(item, 0, s.ctx) + MdlIsRestricted(item, 0, s.ctx) + MdlIsLocked(item, 0, s.ctx);
      held += MdlGetAlertMessage(item, s.ctx) != 0;
      conditions += 4;
      for (const ModelListValue* v = MdlImageAt<ModelListValue>(s.image, ModelIsListKind(item->typeWord) ? item->values : 0); v;
           v = MdlNextItemValue(s.image, item, v)) {
        held += MdlIsDisabled(item, v->valueId, s.ctx) + MdlIsRestricted(item, v->valueId, s.ctx) +
                MdlIsLocked(item, v->valueId, s.ctx);
        conditions += 3;
      }
    }
    benchmark::DoNotOptimize(held);
  }
  state.counters["queries"] = conditions;
}
BENCHMARK(EvaluateAllRules);

void RunAllTransacts(benchmark::State& state) {
  Setup& s = Get();
  if (!s.ctx || !s.image) {
    state.SkipWithError("no model");
    return;
  }
  for (auto _ : state) {
    uint32_t dialogs = 0;
    for (const ModelItem* item = MdlImageAt<ModelItem>(s.image, s.image->header.firstItem); item;
         item = MdlImageAt<ModelItem>(s.image, item->next))
      dialogs += MdlRunItemTransact(item, s.ctx);
    benchmark::DoNotOptimize(dialogs);
  }
}
BENCHMARK(RunAllTransacts);

// The merge of a caller's device mode that is already current (a full device mode of this
// driver, as an application hands back the one it was given) into the sample's default image.
void MergeCurrentDeviceMode(benchmark::State& state) {
  Setup& s = Get();
  if (!s.ctx || !s.image) return state.SkipWithError("no model");
  SettingsImage* built = DmBuildDefaults(s.ctx, 0);
  if (!built) return state.SkipWithError("no defaults");
  std::memcpy(s.ctx->settingsImage, built, kSettingsImageSize);
  MdlFreeMem(built);
  std::vector<BYTE> caller(kFullDevModeSize);
  std::memcpy(caller.data(), DmWorking(s.ctx), kFullDevModeSize);
  const auto* incoming = reinterpret_cast<const DEVMODEW*>(caller.data());
  for (auto _ : state) benchmark::DoNotOptimize(DmMergeIncoming(s.ctx, incoming, kMergeDocument));
}
BENCHMARK(MergeCurrentDeviceMode);

}  // namespace
