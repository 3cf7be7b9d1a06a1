// Speed of the code-page conversions on a page of text.
#include <benchmark/benchmark.h>

#include <string>

#include "win32/windows.h"

namespace {

std::string Text(UINT cp) {
  // About 4 KiB of INI-like text; double-byte characters for code page 932.
  std::string line = cp == 932 ? "Key=\x93\xFA\x96\x7B\x8C\xEA\x82\xA0\x82\xA2 value 12345\r\n"
                               : "Key=Caf\xE9 na\xEFve r\xE9sum\xE9 value 12345\r\n";
  std::string text;
  while (text.size() < 4096) text += line;
  return text;
}

void ToWide(benchmark::State& state) {
  const UINT cp = static_cast<UINT>(state.range(0));
  const std::string text = Text(cp);
  std::u16string out(text.size(), u'\0');
  for (auto _ : state) {
    int n = MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                static_cast<int>(out.size()));
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ToWide)->Arg(1252)->Arg(932)->Arg(65001);

void ToBytes(benchmark::State& state) {
  const UINT cp = static_cast<UINT>(state.range(0));
  const std::string text = Text(cp);
  std::u16string wide(text.size(), u'\0');
  wide.resize(static_cast<size_t>(MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()),
                                                       wide.data(), static_cast<int>(wide.size()))));
  std::string out(text.size() * 2, '\0');
  for (auto _ : state) {
    BOOL used = FALSE;
    int n = WideCharToMultiByte(cp, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                                static_cast<int>(out.size()), nullptr, cp == CP_UTF8 ? nullptr : &used);
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * wide.size() * 2));
}
BENCHMARK(ToBytes)->Arg(1252)->Arg(932)->Arg(65001);

}  // namespace
