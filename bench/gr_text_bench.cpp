// RunCodeGlyph: bytes per second of the glyph bitmap coder on glyph-like bitmaps (a 48-pixel
// ring and a 200-pixel one). GlyphTablePage: a page's glyph table taking 3000 glyphs (a page of
// Japanese text) and emptied at the page end; the counter gives pages per second.
#include <benchmark/benchmark.h>

#include <vector>

#include "gr_glyph_download.h"
#include "gr_pdev.h"
#include "gr_text_out.h"

namespace {

std::vector<BYTE> Ring(int size) {
  const int row = (size + 7) / 8;
  std::vector<BYTE> bits(size_t(row) * size, 0);
  const int r2 = (size / 2) * (size / 2), inner = (size / 3) * (size / 3);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const int dx = x - size / 2, dy = y - size / 2, d = dx * dx + dy * dy;
      if (d < r2 && d > inner) bits[size_t(y) * row + x / 8] |= BYTE(0x80 >> (x % 8));
    }
  return bits;
}

void RunCodeGlyph(benchmark::State& state) {
  const std::vector<BYTE> bits = Ring(int(state.range(0)));
  std::vector<BYTE> out(bits.size() + 4);
  for (auto _ : state) {
    benchmark::DoNotOptimize(GrRunCodeGlyph(bits.data(), uint32_t(bits.size()), out.data(), uint32_t(out.size())));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bits.size()));
}
BENCHMARK(RunCodeGlyph)->Arg(48)->Arg(200);

void GlyphTablePage(benchmark::State& state) {
  PhysicalDevice* pdev = GrAllocPdev();
  pdev->magic = pdev->magicEnd = kPdevMagic;
  for (auto _ : state) {
    for (uint16_t c = 0; c < 3000; ++c) {
      const uint16_t ch = uint16_t(0x4E00 + c);
      GrGlyphCacheAdd(pdev, GrGlyphKey(7, pdev->glyphGeneration, ch), 7, pdev->glyphGeneration, ch, 2);
    }
    GrGlyphCacheClear(pdev);
  }
  state.counters["pages/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  GrFreePdev(pdev);
}
BENCHMARK(GlyphTablePage);

}  // namespace
