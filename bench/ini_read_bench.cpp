// Reading every key of a large settings section: through the in-memory reader (one file read,
// one section search, a cursor that follows the file's key order) and through the profile
// functions (one call per key), side by side. The argument is the number of keys; a second,
// smaller section stands before the printer's section as in a shared settings file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ini_file.h"
#include "win32/machine.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

constexpr const WCHAR* kFile = u"C:\\_zolt\\QVF9D170.ini";
constexpr const WCHAR* kSection = u"ZOLT Office 7000";

struct BenchMachine {
  fs::path root;
  BenchMachine() {
    std::string pattern = (fs::temp_directory_path() / "zolt-bench-ini-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    root = pattern;
    if (!zolt::host::Machine::Create(root)) std::abort();
    zolt::host::Machine::Use(root);
  }
  ~BenchMachine() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

BenchMachine& Machine() {
  static BenchMachine machine;
  return machine;
}

// Writes the settings file with `count` keys in the printer's section; returns the keys.
std::vector<std::u16string> WriteSettings(int count) {
  Machine();
  std::string text = "[us]\r\nPresetName=Standard\r\nPresetCount=4\r\n[" "ZOLT Office 7000" "]\r\n";
  std::vector<std::u16string> keys;
  for (int i = 0; i < count; ++i) {
    const std::string key = "zdmOption" + std::to_string(i);
    text += key + "=" + std::to_string(i * 7) + "\r\n";
    keys.emplace_back(key.begin(), key.end());
  }
  const fs::path folder = Machine().root / "drive_c" / "_zolt";
  fs::create_directories(folder);
  std::ofstream(folder / "QVF9D170.ini", std::ios::binary) << text;
  return keys;
}

void InMemoryReader(benchmark::State& state) {
  const auto keys = WriteSettings(static_cast<int>(state.range(0)));
  WCHAR value[32];
  for (auto _ : state) {
    char* image = IniLoadFile(kFile, 0);
    const char* body = IniFindSection(kSection, image);
    int32_t cursor = 0;
    for (const auto& key : keys) benchmark::DoNotOptimize(IniReadStringMem(key.c_str(), u"", value, 32, body, &cursor));
    IniFreeFile(image);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(keys.size()));
}
BENCHMARK(InMemoryReader)->Arg(100)->Arg(600)->Arg(2000);

void ProfileFunctions(benchmark::State& state) {
  const auto keys = WriteSettings(static_cast<int>(state.range(0)));
  WCHAR value[32];
  for (auto _ : state) {
    for (const auto& key : keys) benchmark::DoNotOptimize(IniReadString(kSection, key.c_str(), u"", value, 32, kFile));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(keys.size()));
}
BENCHMARK(ProfileFunctions)->Arg(100)->Arg(600)->Arg(2000);

}  // namespace
