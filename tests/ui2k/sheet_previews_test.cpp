// The watermark and copy-guard previews drawn over a page picture, compared with golden PNG
// pictures by their decoded pixels. Text goes through the font rasteriser, whose smoothing may
// move by a shade between versions, so at most 1 pixel in 100 may differ; a stamp at the wrong
// place, angle, size or colour changes far more. ZOLT_UPDATE_GOLDEN=1 writes the pictures into
// the source tree instead of comparing them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "context_services.h"
#include "driver_context.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "png_image.h"
#include "sheet_engine.h"
#include "sheet_previews.h"
#include "win32/hostgdi.h"
#include "win32/windows.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPictureSize = 120;
constexpr COLORREF kPageColour = RGB(0xC0, 0xD0, 0xE0);

class Previews : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    printer_ = OpenTestPrinter(PRINTER_ALL_ACCESS);
    ASSERT_NE(printer_, nullptr);
    ctx = CtxCreateForPrinter(printer_, printer_, nullptr, 0x80000000u);
    ASSERT_NE(ctx, nullptr);
    dc_ = CreateCompatibleDC(nullptr);
    HDC screen = GetDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(screen, kPictureSize, kPictureSize);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(bitmap_, nullptr);
    old_ = SelectObject(dc_, bitmap_);
    PaintPage();
    UiSheetState(ctx)->composition.targetDc = dc_;
    // A 600 dpi A4 sheet: the shorter side is 4961 dots, 8 whole inches.
    Set(38, 600);
    Set(48, 4961);
    Set(47, 7016);
    control_.auxRecord = kWatermarkRecord;
  }
  void TearDown() override {
    if (ctx) UiSheetState(ctx)->composition.targetDc = nullptr;
    if (dc_) {
      SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseDestroy);
    CtxPurgeCache(1);
    if (printer_) ClosePrinter(printer_);
    DriverMachineTest::TearDown();
  }
  // The page picture: a tinted sheet on white.
  void PaintPage() {
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    RECT all{0, 0, kPictureSize, kPictureSize};
    FillRect(dc_, &all, white);
    DeleteObject(white);
    HBRUSH page = CreateSolidBrush(kPageColour);
    FillRect(dc_, &page_, page);
    DeleteObject(page);
  }
  void Set(uint16_t id, int32_t v) { ASSERT_TRUE(OptSetValue(ctx, id, v)) << id; }
  void SetText(uint16_t id, const char16_t* text) {
    OptionEntry* row = nullptr;
    OptGetValuePointer(ctx, id, &row);
    ASSERT_NE(row, nullptr);
    OptSetStringValue(ctx, row, text);
  }
  void Stamp(const char16_t* text, int effect, int angle, int colour, int density, int opaque, int tiling,
             int position) {
    Set(60, 1);
    Set(117, 1);
    SetText(952, text);
    SetText(968, u"Arial");
    Set(974, 1);
    Set(969, 200);
    Set(961, effect);
    Set(967, angle);
    Set(970, colour);
    Set(960, density);
    Set(958, opaque);
    Set(963, tiling);
    Set(962, position);
  }
  void ExpectPicture(const std::string& name) {
    const fs::path golden = fs::path(ZOLT_SOURCE_DIR) / "tests/ui2k/golden" / name;
    const fs::path shot = Root() / name;
    ASSERT_TRUE(zolt::host::SaveBitmapPng(bitmap_, shot));
    if (const char* update = std::getenv("ZOLT_UPDATE_GOLDEN"); update && *update == '1') {
      fs::create_directories(golden.parent_path());
      fs::copy_file(shot, golden, fs::copy_options::overwrite_existing);
      return;
    }
    zolt::test::RgbImage want, got;
    ASSERT_TRUE(zolt::test::ReadPng(golden, want)) << golden;
    ASSERT_TRUE(zolt::test::ReadPng(shot, got));
    ASSERT_EQ(got.width, want.width);
    ASSERT_EQ(got.height, want.height);
    size_t differing = 0;
    for (size_t i = 0; i + 2 < got.rgb.size(); i += 3)
      if (got.rgb[i] != want.rgb[i] || got.rgb[i + 1] != want.rgb[i + 1] || got.rgb[i + 2] != want.rgb[i + 2])
        ++differing;
    const size_t pixels = size_t(got.width) * size_t(got.height);
    EXPECT_LE(differing * 100, pixels) << name << ": " << differing << " of " << pixels
                                       << " pixels differ; the picture taken is " << shot;
  }
  COLORREF Pixel(int x, int y) { return GetPixel(dc_, x, y); }
  size_t CountNot(COLORREF colour) {
    size_t n = 0;
    for (int y = 0; y < kPictureSize; ++y)
      for (int x = 0; x < kPictureSize; ++x) n += Pixel(x, y) != colour && Pixel(x, y) != RGB(255, 255, 255);
    return n;
  }

  // text, face, style, effect, colour, density, angle, size, picture, scale, position, tiling,
  // opaque, page
  static constexpr uint16_t kWatermarkRecord[] = {8, 14, 952, 968, 974, 961, 970, 960, 967,
                                                  969, 953, 975, 962, 963, 958, 964};
  DriverContext* ctx = nullptr;
  HANDLE printer_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  RECT page_{20, 10, 100, 110};
  ControlDescriptor control_{};
};

TEST_F(Previews, WatermarkStamps) {
  struct Case {
    const char* name;
    const char16_t* text;
    int effect, angle, colour, density, opaque, tiling, position;
    bool portrait;
  } cases[] = {
      {"wm_plain_grey.png", u"DRAFT", 0, 0, 0, 50, 0, 0, 0, true},
      {"wm_framed_red_45.png", u"COPY", 1, 45, 1, 100, 1, 0, 0, true},
      {"wm_tiled_circled_blue_90.png", u"Zolt", 2, 90, 3, 30, 0, 1, 0, false},
      {"wm_outline_bottom_right.png", u"TOP", 3, 0, 6, 20, 0, 0, 32, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PaintPage();
    Stamp(c.text, c.effect, c.angle, c.colour, c.density, c.opaque, c.tiling, c.position);
    UiDrawWatermarkPreview(ctx, &control_, c.portrait ? 50 : 68, c.portrait ? 69 : 50, nullptr, &page_);
    EXPECT_GT(CountNot(kPageColour), 0u) << "the stamp is drawn";
    ExpectPicture(c.name);
  }
}

TEST_F(Previews, NothingIsDrawnWhenTheWatermarkIsOffOrTheRecordIsMissing) {
  Stamp(u"DRAFT", 0, 0, 0, 100, 0, 0, 0);
  Set(60, 0);
  UiDrawWatermarkPreview(ctx, &control_, 50, 69, nullptr, &page_);
  EXPECT_EQ(CountNot(kPageColour), 0u);
  Set(60, 1);
  ControlDescriptor bare{};
  UiDrawWatermarkPreview(ctx, &bare, 50, 69, nullptr, &page_);
  EXPECT_EQ(CountNot(kPageColour), 0u);
  UiDrawWatermarkPreview(ctx, &control_, 50, 69, nullptr, nullptr);
  EXPECT_EQ(CountNot(kPageColour), 0u);
}

// A non-opaque stamp leaves the page picture visible around its letters.
TEST_F(Previews, ANonOpaqueStampKeepsThePageAroundTheText) {
  Stamp(u"I", 0, 0, 0, 100, 0, 0, 0);
  UiDrawWatermarkPreview(ctx, &control_, 50, 69, nullptr, &page_);
  EXPECT_EQ(Pixel(page_.left + 12, page_.top + 12), kPageColour);
  EXPECT_GT(CountNot(kPageColour), 0u);
}

// The printed sheet shows the pattern colour all over; the copy shows the pattern text in rows,
// every second row turned by 180 degrees and started from the right edge.
TEST_F(Previews, CopyGuardAsPrintedAndAsCopied) {
  Set(79, 1);
  Set(514, 1);
  Set(515, 3);
  Set(517, 1);
  Set(521, 1);
  Set(522, 1);
  SetText(526, u"NO");
  SetText(527, u"Arial");
  Set(529, 120);
  Set(530, 0);
  Set(531, 140);
  ControlDescriptor printed{};
  printed.controlId = 2931;
  UiDrawCopyGuardPreview(ctx, &printed, 50, 69, nullptr, &page_);
  ExpectPicture("cg_printed.png");
  PaintPage();
  ControlDescriptor copied{};
  copied.controlId = 2943;
  Set(517, 0);  // without the copy guard the copy shows the text on the page
  UiDrawCopyGuardPreview(ctx, &copied, 50, 69, nullptr, &page_);
  ExpectPicture("cg_copied.png");
  ControlDescriptor other{};
  other.controlId = 2930;
  PaintPage();
  UiDrawCopyGuardPreview(ctx, &other, 50, 69, nullptr, &page_);
  EXPECT_EQ(CountNot(kPageColour), 0u) << "only the two preview controls draw";
}

}  // namespace
