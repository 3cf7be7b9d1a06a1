// Registry and printer-data calls on a machine in a temporary folder: a read checks the hive
// file for changes, a write rewrites the whole hive under its lock.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "win32/hostregistry.h"
#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/windows.h"

namespace fs = std::filesystem;
using namespace zolt::host;

namespace {

// A fresh machine whose HKLM key holds `values` values of 4 bytes.
struct BenchMachine {
  fs::path root;
  HKEY key = nullptr;
  explicit BenchMachine(int values) {
    std::string pattern = (fs::temp_directory_path() / "zolt-bench-XXXXXX").string();
    root = ::mkdtemp(pattern.data());
    Machine::Create(root);
    Machine::Use(root);
    RegCreateKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Orvex\\Bench", &key);
    for (DWORD i = 0; i < DWORD(values); ++i) {
      std::u16string name = u"Value" + FromUtf8(std::to_string(i));
      RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4);
    }
  }
  ~BenchMachine() {
    RegCloseKey(key);
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

void BM_QueryValue(benchmark::State& state) {
  BenchMachine m(int(state.range(0)));
  DWORD value = 0, size = 4;
  for (auto _ : state) {
    size = 4;
    RegQueryValueExW(m.key, u"Value0", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_QueryValue)->Arg(10)->Arg(200);

// Opening a key that is not there, as the check for an add-on that is not installed does on
// every device-mode merge.
void BM_OpenMissingKey(benchmark::State& state) {
  BenchMachine m(10);
  for (auto _ : state) {
    HKEY key = nullptr;
    benchmark::DoNotOptimize(RegOpenKeyW(HKEY_LOCAL_MACHINE, u"Software\\Orvex\\Varenquil\\Preview", &key));
  }
}
BENCHMARK(BM_OpenMissingKey);

void BM_SetValue(benchmark::State& state) {
  BenchMachine m(int(state.range(0)));
  DWORD value = 0;
  for (auto _ : state) {
    ++value;
    RegSetValueExW(m.key, u"Value0", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
  }
}
BENCHMARK(BM_SetValue)->Arg(10)->Arg(200);

void BM_ParseHive(benchmark::State& state) {
  RegistryKey root;
  RegistryKey& key = root.Make({u"SYSTEM", u"CurrentControlSet", u"Control", u"Print", u"Printers", u"P"});
  for (int i = 0; i < state.range(0); ++i)
    key.SetValue(u"Value" + FromUtf8(std::to_string(i)), REG_BINARY, std::string(64, char(i)));
  std::string text = FormatHive(root);
  for (auto _ : state) {
    RegistryKey parsed;
    benchmark::DoNotOptimize(ParseHive(text, parsed));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ParseHive)->Arg(200);

}  // namespace
