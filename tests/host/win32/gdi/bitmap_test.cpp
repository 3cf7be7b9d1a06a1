// Bitmaps: every format to every other and back, DIB calls, run-length bitmaps and bad headers.
#include <gtest/gtest.h>

#include <cstring>

#include "gdi_test_support.h"
#include "win32/hostgdi.h"

using zolt::test::DibCanvas;

namespace {

std::vector<RGBQUAD> TableFor(int bpp) {
  if (bpp == 4) {
    std::vector<RGBQUAD> t(16, RGBQUAD{128, 128, 128, 0});
    t[0] = {0, 0, 0, 0};
    t[1] = {0, 0, 255, 0};
    t[2] = {255, 0, 0, 0};
    t[3] = {255, 255, 255, 0};
    return t;
  }
  if (bpp == 8) {
    std::vector<RGBQUAD> t(256, RGBQUAD{7, 7, 7, 0});
    t[10] = {0, 0, 0, 0};
    t[20] = {0, 0, 255, 0};
    t[30] = {255, 0, 0, 0};
    t[40] = {255, 255, 255, 0};
    return t;
  }
  return {};
}

// Every format converted to every other and back keeps the colours both can hold.
TEST(GdiBitmaps, EveryFormatToEveryOtherAndBack) {
  const int formats[] = {1, 4, 8, 16, 24, 32};
  for (int a : formats)
    for (int b : formats)
      for (bool topDown : {true, false}) {
        const bool mono = a == 1 || b == 1;
        const COLORREF colours[4] = {RGB(0, 0, 0), RGB(255, 255, 255), mono ? RGB(0, 0, 0) : RGB(255, 0, 0),
                                     mono ? RGB(255, 255, 255) : RGB(0, 0, 255)};
        DibCanvas src(9, 3, a, topDown, TableFor(a)), mid(9, 3, b, !topDown, TableFor(b)), back(9, 3, a, topDown, TableFor(a));
        for (int y = 0; y < 3; ++y)
          for (int x = 0; x < 9; ++x) SetPixel(src.dc, x, y, colours[(x + y) % 4]);
        ASSERT_TRUE(BitBlt(mid.dc, 0, 0, 9, 3, src.dc, 0, 0, SRCCOPY));
        ASSERT_TRUE(BitBlt(back.dc, 0, 0, 9, 3, mid.dc, 0, 0, SRCCOPY));
        for (int y = 0; y < 3; ++y)
          for (int x = 0; x < 9; ++x) {
            ASSERT_EQ(mid.At(x, y), colours[(x + y) % 4]) << a << "->" << b << " at " << x << "," << y;
            ASSERT_EQ(back.At(x, y), colours[(x + y) % 4]) << a << "->" << b << "->" << a;
          }
      }
}

TEST(GdiBitmaps, GetDIBitsDescribesAndConverts) {
  DibCanvas c(5, 2, 24);
  SetPixel(c.dc, 0, 0, RGB(255, 0, 0));
  SetPixel(c.dc, 4, 1, RGB(0, 0, 255));
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * 4);
  auto* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
  bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  HDC screen = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
  ASSERT_NE(GetDIBits(screen, c.bitmap, 0, 0, nullptr, bmi, DIB_RGB_COLORS), 0);
  EXPECT_EQ(bmi->bmiHeader.biWidth, 5);
  EXPECT_EQ(bmi->bmiHeader.biBitCount, 24);
  // As 32 bits per pixel, bottom-up.
  bmi->bmiHeader.biBitCount = 32;
  bmi->bmiHeader.biHeight = 2;
  bmi->bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> px(10);
  ASSERT_EQ(GetDIBits(screen, c.bitmap, 0, 2, px.data(), bmi, DIB_RGB_COLORS), 2);
  EXPECT_EQ(px[5], 0x00FF0000u);  // top-left pixel is in the second (upper) row
  EXPECT_EQ(px[4], 0x000000FFu);
  // As 1 bit per pixel: the default black and white table, the nearest colour of each pixel.
  bmi->bmiHeader.biBitCount = 1;
  std::vector<uint8_t> mono(8);
  ASSERT_EQ(GetDIBits(screen, c.bitmap, 0, 2, mono.data(), bmi, DIB_RGB_COLORS), 2);
  EXPECT_EQ(bmi->bmiColors[1].rgbRed, 255);
  EXPECT_EQ(mono[4], 0xF8 & ~0x80);  // upper row: red is nearer black, the rest white
  DeleteDC(screen);
}

TEST(GdiBitmaps, RunLengthBitmapsLeaveSkippedPixelsAlone) {
  DibCanvas c(4, 2, 24);
  SetPixel(c.dc, 3, 0, RGB(0, 255, 0));
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colours[16];
  } info{};
  info.h.biSize = sizeof(BITMAPINFOHEADER);
  info.h.biWidth = 4;
  info.h.biHeight = 2;
  info.h.biPlanes = 1;
  info.h.biBitCount = 4;
  info.h.biCompression = BI_RLE4;
  info.colours[1] = {0, 0, 255, 0};
  info.colours[2] = {255, 0, 0, 0};
  // Bottom row: four pixels of colour 1; top row: two of colour 2, then end of bitmap.
  const uint8_t bits[] = {4, 0x11, 0, 0, 2, 0x22, 0, 1};
  info.h.biSizeImage = sizeof(bits);
  ASSERT_EQ(SetDIBitsToDevice(c.dc, 0, 0, 4, 2, 0, 0, 0, 2, bits, reinterpret_cast<BITMAPINFO*>(&info),
                              DIB_RGB_COLORS),
            2);
  EXPECT_EQ(c.At(0, 1), RGB(255, 0, 0));
  EXPECT_EQ(c.At(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(c.At(1, 0), RGB(0, 0, 255));
  EXPECT_EQ(c.At(2, 0), RGB(255, 255, 255));  // not set by the runs
  EXPECT_EQ(c.At(3, 0), RGB(0, 255, 0));
}

TEST(GdiBitmaps, HeadersThatDisagreeWithTheBitsAreRefused) {
  DibCanvas c(4, 4, 24);
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colours[256];
  } info{};
  auto* bmi = reinterpret_cast<BITMAPINFO*>(&info);
  auto reset = [&] {
    info.h = BITMAPINFOHEADER{};
    info.h.biSize = sizeof(BITMAPINFOHEADER);
    info.h.biWidth = 4;
    info.h.biHeight = 4;
    info.h.biPlanes = 1;
    info.h.biBitCount = 8;
  };
  std::vector<uint8_t> bits(16, 1);
  reset();
  EXPECT_EQ(zolt::host::StretchDIBitsChecked(c.dc, 0, 0, 4, 4, 0, 0, 4, 4, bits.data(), bits.size(), bmi,
                                             sizeof(info), DIB_RGB_COLORS, SRCCOPY),
            4);
  // Fewer bits than the header claims.
  EXPECT_EQ(zolt::host::StretchDIBitsChecked(c.dc, 0, 0, 4, 4, 0, 0, 4, 4, bits.data(), 15, bmi, sizeof(info),
                                             DIB_RGB_COLORS, SRCCOPY),
            0);
  // A colour table longer than the header given.
  EXPECT_EQ(zolt::host::StretchDIBitsChecked(c.dc, 0, 0, 4, 4, 0, 0, 4, 4, bits.data(), bits.size(), bmi,
                                             sizeof(BITMAPINFOHEADER) + 16, DIB_RGB_COLORS, SRCCOPY),
            0);
  struct Bad {
    const char* what;
    void (*change)(BITMAPINFOHEADER&);
  } bad[] = {
      {"bit count", [](BITMAPINFOHEADER& h) { h.biBitCount = 7; }},
      {"planes", [](BITMAPINFOHEADER& h) { h.biPlanes = 2; }},
      {"zero height", [](BITMAPINFOHEADER& h) { h.biHeight = 0; }},
      {"negative width", [](BITMAPINFOHEADER& h) { h.biWidth = -4; }},
      {"rle with 24 bits", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8, h.biBitCount = 24; }},
      {"top-down rle", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8, h.biHeight = -4; }},
      {"header size", [](BITMAPINFOHEADER& h) { h.biSize = 41; }},
      {"huge", [](BITMAPINFOHEADER& h) { h.biWidth = 0x7FFFFFFF, h.biHeight = 0x7FFFFFFF; }},
      {"jpeg", [](BITMAPINFOHEADER& h) { h.biCompression = BI_JPEG; }},
  };
  for (const Bad& b : bad) {
    reset();
    b.change(info.h);
    EXPECT_EQ(zolt::host::SetDIBitsToDeviceChecked(c.dc, 0, 0, 4, 4, 0, 0, 0, 4, bits.data(), bits.size(), bmi,
                                                   sizeof(info), DIB_RGB_COLORS),
              0)
        << b.what;
  }
}

TEST(GdiBitmaps, StretchModesWhenShrinking) {
  // A 4 x 1 source of black, white, white, white shrunk to 1 pixel.
  DibCanvas src(4, 1, 1), dst(1, 1, 1);
  SetPixel(src.dc, 0, 0, RGB(0, 0, 0));
  SetStretchBltMode(dst.dc, BLACKONWHITE);
  StretchBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(dst.At(0, 0), RGB(0, 0, 0));
  SetStretchBltMode(dst.dc, WHITEONBLACK);
  StretchBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(dst.At(0, 0), RGB(255, 255, 255));
  // Halftone: a mid grey becomes a dither of about half black pixels.
  DibCanvas grey(16, 16, 24), ht(16, 16, 1);
  RECT all{0, 0, 16, 16};
  HBRUSH g = CreateSolidBrush(RGB(128, 128, 128));
  FillRect(grey.dc, &all, g);
  DeleteObject(g);
  SetStretchBltMode(ht.dc, HALFTONE);
  StretchBlt(ht.dc, 0, 0, 16, 16, grey.dc, 0, 0, 16, 16, SRCCOPY);
  EXPECT_NEAR(ht.Count(RGB(0, 0, 0)), 128, 8);
  // Mirrored by a negative width.
  DibCanvas row(3, 1, 24), mirror(3, 1, 24);
  SetPixel(row.dc, 0, 0, RGB(255, 0, 0));
  StretchBlt(mirror.dc, 2, 0, -3, 1, row.dc, 0, 0, 3, 1, SRCCOPY);
  // The rectangle runs from x + width to x: pixels -1 .. 1, the source's first pixel last.
  EXPECT_EQ(mirror.At(1, 0), RGB(255, 0, 0));
  EXPECT_EQ(mirror.At(0, 0), RGB(255, 255, 255));
}

TEST(GdiBitmaps, DeviceBitmapsAndTheirBits) {
  const uint8_t rows[4] = {0xF0, 0x00, 0x0F, 0x00};  // word-aligned rows of 8 pixels
  HBITMAP bm = CreateBitmap(8, 2, 1, 1, rows);
  BITMAP info{};
  ASSERT_EQ(GetObjectW(bm, sizeof(info), &info), int(sizeof(BITMAP)));
  EXPECT_EQ(info.bmWidthBytes, 2);
  EXPECT_EQ(info.bmBits, nullptr);
  uint8_t out[4] = {};
  EXPECT_EQ(GetBitmapBits(bm, 4, out), 4);
  EXPECT_EQ(std::memcmp(out, rows, 4), 0);
  EXPECT_EQ(CreateBitmap(0, 5, 1, 1, nullptr), GetCurrentObject(CreateCompatibleDC(nullptr), OBJ_BITMAP));
  EXPECT_EQ(CreateBitmap(-1, 5, 1, 1, nullptr), nullptr);
  DeleteObject(bm);
}

}  // namespace
