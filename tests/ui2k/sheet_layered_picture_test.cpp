// The layered picture control: the pictures of its item's values drawn as layers (or only the
// current one), one preview request for the first page picture, and the colour balance of a
// sample record. Compared with golden PNG pictures like the previews; ZOLT_UPDATE_GOLDEN=1
// writes them into the source tree instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "context_services.h"
#include "driver_context.h"
#include "feature_modules.h"
#include "machine_fixture.h"
#include "model_image.h"
#include "option_access.h"
#include "golden_picture.h"
#include "sheet_engine.h"
#include "sheet_previews.h"
#include "win32/hostgdi.h"
#include "win32/windows.h"

namespace {


constexpr int kSize = 100;
constexpr uint16_t kPortraitPage = 6001;  // a page picture of the portrait list
constexpr uint16_t kFeedIcon = 6193;      // a small picture drawn over it
constexpr uint16_t kOptSelection = 12;    // dmCopies: a plain number picks the single layer

std::vector<UiPreviewRequest> g_requests;
int g_drawnNotices = 0;

int RecordPictureNotices(DriverContext*, DWORD code, void* param, void*) {
  if (code == kNotifyPreview) g_requests.push_back(*static_cast<UiPreviewRequest*>(param));
  if (code == kNotifyPictureDrawn) ++g_drawnNotices;
  return 0;
}

const FeatureModule* RecordingModules(FeatureModuleList* list) {
  static const FeatureModule rows[] = {{0, nullptr, nullptr, nullptr, RecordPictureNotices}};
  if (list) list->count = 1;
  return rows;
}

class LayeredPicture : public zolt::test::DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    g_requests.clear();
    g_drawnNotices = 0;
    printer_ = OpenTestPrinter(PRINTER_ALL_ACCESS);
    ASSERT_NE(printer_, nullptr);
    FmTableSource previous = FmSetTableSource(RecordingModules);
    ctx = CtxCreateForPrinter(printer_, printer_, nullptr, 0x80000000u);
    FmSetTableSource(previous);
    ASSERT_NE(ctx, nullptr);
    ASSERT_NE(ctx->modelImage, nullptr);
    AddPictureItem();
    dc_ = CreateCompatibleDC(nullptr);
    HDC screen = GetDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(screen, kSize, kSize);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    Clear();
  }
  void TearDown() override {
    if (ctx) ctx->modelImage = realImage_;
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
  // The context's model with one more item: a list of two picture values, the page picture
  // first. The context reads the enlarged copy while the test runs.
  void AddPictureItem() {
    realImage_ = ctx->modelImage;
    const uint32_t size = realImage_->header.totalSize;
    const uint32_t itemAt = size, firstAt = size + sizeof(ModelItem), secondAt = firstAt + sizeof(ModelValue);
    image_.assign(secondAt + sizeof(ModelValue), 0);
    std::memcpy(image_.data(), realImage_, size);
    ModelItem item{};
    item.typeWord = 2;
    item.values = firstAt;
    ModelValue first{secondAt, kPortraitPage, 0, 0}, second{0, kFeedIcon, 0, 0};
    std::memcpy(&image_[itemAt], &item, sizeof item);
    std::memcpy(&image_[firstAt], &first, sizeof first);
    std::memcpy(&image_[secondAt], &second, sizeof second);
    auto* copy = reinterpret_cast<ModelImage*>(image_.data());
    copy->header.totalSize = uint32_t(image_.size());
    ctx->modelImage = copy;
    item_ = reinterpret_cast<ModelItem*>(&image_[itemAt]);
    control_.controlId = 2039;
    control_.kind = 2;
    control_.modelItem = item_;
    control_.option = OptFind(ctx, kOptSelection);
  }
  void Clear() {
    HBRUSH grey = CreateSolidBrush(RGB(0x80, 0x80, 0x80));
    RECT all{0, 0, kSize, kSize};
    FillRect(dc_, &all, grey);
    DeleteObject(grey);
  }
  void ExpectPicture(const std::string& name) { zolt::test::ExpectGoldenPicture(bitmap_, Root(), name, 0); }

  DriverContext* ctx = nullptr;
  HANDLE printer_ = nullptr;
  ModelImage* realImage_ = nullptr;
  std::vector<uint8_t> image_;
  ModelItem* item_ = nullptr;
  ControlDescriptor control_{};
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// A list item draws every value as a layer, the page picture asks once for its 50 x 69 preview
// on the rectangle moved to the origin; a single-choice item draws only its current value.
TEST_F(LayeredPicture, LayersOrTheCurrentValue) {
  RECT rect{10, 5, 90, 95};
  UiDrawLayeredPicture(ctx, nullptr, &control_, dc_, &rect);
  ASSERT_EQ(g_requests.size(), 1u);
  EXPECT_EQ(g_requests[0].control, &control_);
  EXPECT_EQ(g_requests[0].width, 50);
  EXPECT_EQ(g_requests[0].height, 69);
  EXPECT_EQ(g_requests[0].target, dc_);
  EXPECT_EQ(g_drawnNotices, 0) << "only a control of id 0 reports the drawing";
  ExpectPicture("layers_page_and_feed.png");

  Clear();
  g_requests.clear();
  item_->typeWord = 1;
  ASSERT_TRUE(OptSetValue(ctx, kOptSelection, kFeedIcon));
  UiDrawLayeredPicture(ctx, nullptr, &control_, dc_, &rect);
  EXPECT_TRUE(g_requests.empty()) << "no page picture was drawn";
  ExpectPicture("layers_current_only.png");
}

// The sample record colours the layers from its six options; afterwards the balance is neutral.
TEST_F(LayeredPicture, ASampleRecordBalancesTheColours) {
  static constexpr uint16_t kSample[] = {1, 0, 0, 138, 139, 140, 141, 142, 143};
  control_.auxRecord = kSample;
  ASSERT_TRUE(OptSetValue(ctx, 139, -40));  // low contrast
  RECT rect{10, 5, 90, 95};
  UiDrawLayeredPicture(ctx, nullptr, &control_, dc_, &rect);
  ExpectPicture("layers_low_contrast.png");
  for (int32_t value : UiSheetState(ctx)->composition.colourAdjust) EXPECT_EQ(value, 50);
}

}  // namespace
