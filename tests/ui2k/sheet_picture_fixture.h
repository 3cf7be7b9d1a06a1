// A driver context on the test printer for the picture tests, and a small 32-bit surface whose
// pixels the tests read.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "context_services.h"
#include "machine_fixture.h"
#include "sheet_resources.h"
#include "win32/windows.h"

namespace zolt::test {

// A DIB section of w x h pixels in a memory DC, filled with one colour.
class Surface {
 public:
  Surface(int w, int h, COLORREF fill) : w_(w), h_(h) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    Fill(fill);
  }
  ~Surface() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  void Fill(COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all{0, 0, w_, h_};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  // The number of pixels that are not `colour`.
  int CountOther(COLORREF colour) const {
    int n = 0;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) n += At(x, y) != colour;
    return n;
  }

 private:
  int w_, h_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

class PictureTest : public DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    printer_ = OpenTestPrinter();
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateWithFlags(printer_, printer_, nullptr, kCtxKindFull, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
  }
  void TearDown() override {
    if (ctx) {
      UiFreePictures(ctx);
      CtxReleaseAs(ctx, kCtxReleaseDestroy);
    }
    CtxPurgeCache(1);
    if (printer_) ClosePrinter(printer_);
    DriverMachineTest::TearDown();
  }
  // The library of the tests' own pictures in place of the language-neutral library: its
  // pictures are reached by name.
  void UseTestPictures() {
    const std::filesystem::path file = std::filesystem::path(ZOLT_UI2K_TEST_MODULE_DIR) / "TestPic.DLL";
    const std::u16string path = u"C:\\TestPic.DLL";
    WriteBytes(Real(path), ReadBytes(file));
    if (ctx->neutralResourceLibrary) FreeLibrary(ctx->neutralResourceLibrary);
    ctx->neutralResourceLibrary = LoadLibraryW(path.c_str());
    ASSERT_NE(ctx->neutralResourceLibrary, nullptr);
  }
  static HBITMAP Named(const char16_t* name) { return UiBitmapText(name); }
  UiComposition& Composition() { return ctx->workArea->sheet.composition; }

  HANDLE printer_ = nullptr;
  DriverContext* ctx = nullptr;
};

}  // namespace zolt::test
