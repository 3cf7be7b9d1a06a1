// A memory DC over a fresh DIB section, and pixel helpers for the graphics tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/gdi.h"

namespace zolt::test {

struct DibCanvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  void* bits = nullptr;
  int width = 0, height = 0, bpp = 0;
  bool top = true;

  // A white canvas (every index of indexed formats 1 = white for 1 bit, table given otherwise).
  DibCanvas(int w, int h, int bitsPerPixel, bool topDown = true, std::vector<RGBQUAD> table = {}) {
    width = w;
    height = h;
    bpp = bitsPerPixel;
    top = topDown;
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
    bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi->bmiHeader.biWidth = w;
    bmi->bmiHeader.biHeight = topDown ? -h : h;
    bmi->bmiHeader.biPlanes = 1;
    bmi->bmiHeader.biBitCount = WORD(bitsPerPixel);
    bmi->bmiHeader.biCompression = BI_RGB;
    if (bitsPerPixel <= 8) {
      if (table.empty() && bitsPerPixel == 1) table = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
      bmi->bmiHeader.biClrUsed = DWORD(table.size());
      for (size_t i = 0; i < table.size(); ++i) bmi->bmiColors[i] = table[i];
    }
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    old = SelectObject(dc, bitmap);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~DibCanvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  // The colour of a pixel read from the bits (clipping does not hide it).
  COLORREF At(int x, int y) const {
    BITMAP bm{};
    GetObjectW(bitmap, sizeof(bm), &bm);
    const uint8_t* row = static_cast<const uint8_t*>(bits) + size_t(top ? y : height - 1 - y) * size_t(bm.bmWidthBytes);
    DWORD v = 0;
    switch (bpp) {
      case 1: v = (row[x / 8] >> (7 - x % 8)) & 1; break;
      case 4: v = (x & 1) ? (row[x / 2] & 15) : (row[x / 2] >> 4); break;
      case 8: v = row[x]; break;
      case 24: return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
      case 32: return RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
      default: return GetPixel(dc, x, y);
    }
    RGBQUAD q{};
    GetDIBColorTable(dc, v, 1, &q);
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  // The canvas as rows of characters: '#' for black, '.' for white, '?' for anything else.
  std::vector<std::string> Picture(int w = -1, int h = -1) const {
    std::vector<std::string> rows;
    for (int y = 0; y < (h < 0 ? height : h); ++y) {
      std::string row;
      for (int x = 0; x < (w < 0 ? width : w); ++x) {
        const COLORREF c = At(x, y);
        row.push_back(c == RGB(0, 0, 0) ? '#' : c == RGB(255, 255, 255) ? '.' : '?');
      }
      rows.push_back(row);
    }
    return rows;
  }
  int Count(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += At(x, y) == c ? 1 : 0;
    return n;
  }
};

}  // namespace zolt::test
