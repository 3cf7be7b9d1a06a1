// Profile reads and writes on a file the size of a driver's settings file (40 sections of 25
// keys).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "win32/machine.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

constexpr const char16_t* kIni = u"C:\\bench.ini";

// One machine for the whole program, removed at exit.
struct BenchMachine {
  fs::path root;
  BenchMachine() {
    std::string pattern = (fs::temp_directory_path() / "zolt-bench-profile-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    root = pattern;
    zolt::host::Machine::Create(root);
    zolt::host::Machine::Use(root);
    std::ofstream out(root / "drive_c" / "bench.ini", std::ios::binary);
    for (int s = 0; s < 40; ++s) {
      out << "[Section" << s << "]\r\n";
      for (int k = 0; k < 25; ++k) out << "Key" << k << "=Value of key " << k << " in " << s << "\r\n";
      out << "\r\n";
    }
  }
  ~BenchMachine() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

void Machine() { static BenchMachine machine; }

void BM_ReadString(benchmark::State& state) {
  Machine();
  WCHAR buf[256];
  for (auto _ : state) benchmark::DoNotOptimize(GetPrivateProfileStringW(u"Section39", u"Key24", u"", buf, 256, kIni));
}
BENCHMARK(BM_ReadString);

void BM_ReadInt(benchmark::State& state) {
  Machine();
  for (auto _ : state) benchmark::DoNotOptimize(GetPrivateProfileIntW(u"Section20", u"Key3", 0, kIni));
}
BENCHMARK(BM_ReadInt);

void BM_WriteString(benchmark::State& state) {
  Machine();
  int n = 0;
  for (auto _ : state) {
    std::u16string v = n++ % 2 ? u"one" : u"two";
    benchmark::DoNotOptimize(WritePrivateProfileStringW(u"Section10", u"Key10", v.c_str(), kIni));
  }
}
BENCHMARK(BM_WriteString);

}  // namespace
