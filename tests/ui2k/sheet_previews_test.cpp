// The watermark and copy-guard previews drawn over a page picture, compared with golden PNG
// pictures by their decoded pixels. Text goes through the font rasteriser, whose smoothing may
// move by a shade between versions, so at most 1 pixel in 100 may differ; a stamp at the wrong
// place, angle, size or colour changes far more. ZOLT_UPDATE_GOLDEN=1 writes the pictures into
// the source tree instead of comparing them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "context_services.h"
#include "driver_context.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "golden_picture.h"
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
  // Text goes through the font rasteriser: at most 1 pixel in 100 may differ.
  void ExpectPicture(const std::string& name) { zolt::test::ExpectGoldenPicture(bitmap_, Root(), name, 1); }
  COLORREF Pixel(int x, int y) { return GetPixel(dc_, x, y); }
  size_t CountNot(COLORREF colour) {
    size_t n = 0;
    for (int y = 0; y < kPictureSize; ++y)
      for (int x = 0; x < kPictureSize; ++x) n += Pixel(x, y) != colour && Pixel(x, y) != RGB(255, 255, 255);
    return n;
  }

  // text, face, style, effect, colour, density, angle, size, picture, scale, position, tiling,
  // opaque, page
  static constexpr uint16_t kWatermarkRecord[] = {8,   952, 968, 974, 961, 970, 960, 967,
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

// The direction a stamp's text runs: its heavy letters lie at the start of the line, a dot at its
// end. The angle turns counter-clockwise: 90 runs upwards (the start at the bottom), 270
// downwards, 180 from right to left.
TEST_F(Previews, TheAngleTurnsTheTextCounterClockwise) {
  struct Case {
    int angle;
    int dx, dy;  // where the ink's centre lies from the middle of its box: -1, 0 or +1
  } cases[] = {{0, -1, 0}, {90, 0, +1}, {180, +1, 0}, {270, 0, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    PaintPage();
    Stamp(u"WW  .", 0, c.angle, 0, 100, 0, 0, 0);
    UiDrawWatermarkPreview(ctx, &control_, 50, 69, nullptr, &page_);
    long left = kPictureSize, top = kPictureSize, right = -1, bottom = -1, sumX = 0, sumY = 0, n = 0;
    for (int y = page_.top; y < page_.bottom; ++y)
      for (int x = page_.left; x < page_.right; ++x) {
        if (Pixel(x, y) == kPageColour || Pixel(x, y) == RGB(255, 255, 255)) continue;
        left = std::min<long>(left, x), right = std::max<long>(right, x);
        top = std::min<long>(top, y), bottom = std::max<long>(bottom, y);
        sumX += x, sumY += y, ++n;
      }
    ASSERT_GT(n, 0);
    // Twice the offsets of the centroid from the box's middle, against a tenth of the box.
    const long offX = 2 * sumX - n * (left + right), offY = 2 * sumY - n * (top + bottom);
    auto side = [n](long off, long span) { return off * 10 > n * span ? 1 : off * 10 < -n * span ? -1 : 0; };
    EXPECT_EQ(side(offX, right - left + 1), c.dx) << "box " << left << "," << top << " - " << right << "," << bottom;
    EXPECT_EQ(side(offY, bottom - top + 1), c.dy) << "box " << left << "," << top << " - " << right << "," << bottom;
    if (c.angle % 180) {
      EXPECT_GT(bottom - top, right - left) << "a turned line stands upright";
    }
  }
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
