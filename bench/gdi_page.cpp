// A page of mixed content (text, lines, shapes, a picture) drawn onto an A4 page at 600 dpi
// (4960 x 7016 pixels), on a 1-bit and a 24-bit surface.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "win32/windows.h"

namespace {

struct Page {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  std::vector<uint8_t> picture;
  BITMAPINFO pictureInfo{};
  HFONT body = nullptr, title = nullptr;

  explicit Page(int bpp) {
    struct {
      BITMAPINFOHEADER h;
      RGBQUAD colours[2];
    } info{};
    info.h.biSize = sizeof(BITMAPINFOHEADER);
    info.h.biWidth = 4960;
    info.h.biHeight = -7016;
    info.h.biPlanes = 1;
    info.h.biBitCount = WORD(bpp);
    info.colours[1] = {255, 255, 255, 0};
    dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bitmap);
    // A 400 x 300 colour picture.
    pictureInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    pictureInfo.bmiHeader.biWidth = 400;
    pictureInfo.bmiHeader.biHeight = 300;
    pictureInfo.bmiHeader.biPlanes = 1;
    pictureInfo.bmiHeader.biBitCount = 24;
    picture.resize(400 * 3 * 300);
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 400; ++x) {
        uint8_t* p = &picture[size_t(y) * 1200 + size_t(x) * 3];
        p[0] = uint8_t(x * 255 / 400);
        p[1] = uint8_t(y * 255 / 300);
        p[2] = uint8_t((x + y) & 0xFF);
      }
    LOGFONTW lf{};
    lf.lfHeight = -83;  // 10 points at 600 dpi
    const char16_t face[] = u"Times New Roman";
    for (size_t i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
    body = CreateFontIndirectW(&lf);
    lf.lfHeight = -200;
    lf.lfWeight = FW_BOLD;
    title = CreateFontIndirectW(&lf);
  }
  ~Page() {
    DeleteDC(dc);
    DeleteObject(bitmap);
    DeleteObject(body);
    DeleteObject(title);
  }

  void Draw() {
    PatBlt(dc, 0, 0, 4960, 7016, WHITENESS);
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, title);
    TextOutW(dc, 300, 300, u"Quarterly report", 16);
    SelectObject(dc, body);
    static const std::u16string line =
        u"The quick brown fox jumps over the lazy dog while the printer keeps its pages in order, 0123456789.";
    for (int i = 0; i < 50; ++i) TextOutW(dc, 300, 700 + i * 100, line.c_str(), int(line.size()));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    for (int i = 0; i < 40; ++i) {
      MoveToEx(dc, 300, 6000 + i * 20, nullptr);
      LineTo(dc, 4600, 6000 + i * 25);
    }
    HBRUSH grey = CreateSolidBrush(RGB(160, 160, 160));
    HGDIOBJ old = SelectObject(dc, grey);
    Rectangle(dc, 3000, 5800, 4600, 6800);
    Ellipse(dc, 3200, 5900, 4400, 6700);
    SelectObject(dc, old);
    DeleteObject(grey);
    SetStretchBltMode(dc, HALFTONE);
    StretchDIBits(dc, 300, 5800, 1200, 900, 0, 0, 400, 300, picture.data(), &pictureInfo, DIB_RGB_COLORS, SRCCOPY);
  }
};

void BM_MixedPage(benchmark::State& state) {
  Page page(int(state.range(0)));
  for (auto _ : state) page.Draw();
}
BENCHMARK(BM_MixedPage)->Arg(1)->Arg(24)->Unit(benchmark::kMillisecond);

}  // namespace
