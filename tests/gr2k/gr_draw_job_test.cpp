// The sample documents printed through a printer DC of the test printer, in vector mode and in
// raster mode: every call succeeds and the pages carry the drawing records of their content.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "gr_job_support.h"
#include "gr_pdev.h"
#include "win32/blits.h"

namespace fs = std::filesystem;

namespace zolt::test {
namespace {

class GrDrawJob : public GrJobTest {
 protected:
  // Plays every sample page on its own page of one job.
  JobResult PrintSamples(const std::string& devmode) {
    const char* names[] = {"mixed-p1.emf", "mixed-p2.emf", "mixed-p3.emf"};
    return Print(3,
                 [&](HDC dc, int page) {
                   const std::string bytes = ReadBytes(fs::path(ZOLT_SOURCE_DIR) / "samples" / "jobs" / names[page - 1]);
                   HENHMETAFILE emf = SetEnhMetaFileBits(UINT(bytes.size()), reinterpret_cast<const BYTE*>(bytes.data()));
                   ASSERT_NE(emf, nullptr);
                   RECT frame{0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
                   EXPECT_TRUE(PlayEnhMetaFile(dc, emf, &frame)) << names[page - 1];
                   DeleteEnhMetaFile(emf);
                 },
                 devmode);
  }
};

std::map<int, int> Opcodes(const DecodedStream& stream) {
  std::map<int, int> counts;
  for (const auto& page : stream.pages)
    for (const auto& r : page.records) counts[r.opcode] += 1;
  return counts;
}

TEST_F(GrDrawJob, SamplesPrintInVectorMode) {
  const auto job = PrintSamples(DevModeWith({}));
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  const DecodedStream stream = Decode(job.output);
  ASSERT_EQ(stream.pages.size(), 3u);
  const auto ops = Opcodes(stream);
  EXPECT_GT(ops.count(48), 0u) << "colours";
  EXPECT_GT(ops.count(49), 0u) << "raster operations";
  EXPECT_GT(ops.count(17) + ops.count(18) + ops.count(32) + ops.count(16), 0u) << "something drawn";
}

// The destination rectangles (x, y, right, bottom) of a page's image records, and the clip
// record written before each (16 a rectangle, 18 a path; 0 none).
struct PageImage {
  int32_t rect[4];
  int clipBefore;
};
std::vector<PageImage> Images(const DecodedPage& page) {
  std::vector<PageImage> out;
  int clip = 0;
  for (const auto& r : page.records) {
    if (r.opcode == 16 || r.opcode == 18) clip = r.opcode;
    if (r.opcode != 32) continue;
    PageImage img{};
    for (int i = 0; i < 4; ++i) img.rect[i] = int32_t(zolt::blocks::Le32(r.bytes, 8 + 4 * size_t(i)));
    img.clipBefore = clip;
    clip = 0;
    out.push_back(img);
  }
  return out;
}

TEST_F(GrDrawJob, BlendsGradientsAndTransformedBlitsReachThePageAsImages) {
  // The module leaves these calls to the engine, which hands it what they drew through
  // DrvCopyBits: each becomes an image record of its bounds, clipped to the pixels drawn where
  // those are not the whole rectangle (the transparent copy's opaque half, a rectangle; the
  // triangle and the parallelogram, paths).
  const auto job = Print(1, [](HDC dc, int) {
    HDC src = CreateCompatibleDC(dc);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 4;
    bi.bmiHeader.biHeight = -4;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bm = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(src, bm);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) SetPixel(src, x, y, x < 2 ? RGB(200, 0, 0) : RGB(255, 0, 255));
    BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
    EXPECT_TRUE(AlphaBlend(dc, 100, 100, 64, 64, src, 0, 0, 4, 4, half));
    TRIVERTEX v[4] = {{300, 100, 0xFF00, 0, 0, 0}, {400, 200, 0, 0, 0xFF00, 0}, {600, 100, 0, 0xFF00, 0, 0},
                      {500, 200, 0, 0, 0, 0}};
    GRADIENT_RECT rect{0, 1};
    EXPECT_TRUE(GradientFill(dc, v, 2, &rect, 1, GRADIENT_FILL_RECT_H));
    GRADIENT_TRIANGLE tri{0, 2, 3};
    v[0].x = 500;
    EXPECT_TRUE(GradientFill(dc, v, 4, &tri, 1, GRADIENT_FILL_TRIANGLE));
    EXPECT_TRUE(TransparentBlt(dc, 700, 100, 64, 64, src, 0, 0, 4, 4, RGB(255, 0, 255)));
    const POINT plg[3] = {{900, 100}, {964, 132}, {900, 164}};
    EXPECT_TRUE(PlgBlt(dc, plg, src, 0, 0, 4, 4, nullptr, 0, 0));
    SelectObject(src, old);
    DeleteObject(bm);
    DeleteDC(src);
  }, DevModeWith({}));
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  const DecodedStream stream = Decode(job.output);
  ASSERT_EQ(stream.pages.size(), 1u);
  const std::vector<PageImage> images = Images(stream.pages[0]);
  const int32_t want[5][4] = {{100, 100, 164, 164}, {300, 100, 400, 200}, {500, 100, 601, 201},
                              {700, 100, 764, 164}, {900, 100, 965, 197}};
  const int clips[5] = {0, 0, 18, 16, 18};
  ASSERT_EQ(images.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(std::vector<int32_t>(images[i].rect, images[i].rect + 4), std::vector<int32_t>(want[i], want[i] + 4));
    EXPECT_EQ(images[i].clipBefore, clips[i]);
  }
}

TEST_F(GrDrawJob, SamplesPrintInRasterMode) {
  const auto job = PrintSamples(DevModeWith({{kGrOptImagePrint, 1}}));
  ASSERT_TRUE(job.startDoc && job.pagesOk && job.endDoc);
  const DecodedStream stream = Decode(job.output);
  ASSERT_EQ(stream.pages.size(), 3u);
  const auto ops = Opcodes(stream);
  EXPECT_GT(ops.count(32), 0u) << "band images";
  EXPECT_EQ(ops.count(17) + ops.count(18), 0u) << "no paths in raster mode";
}

}  // namespace
}  // namespace zolt::test
