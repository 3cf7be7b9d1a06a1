// The job samples play whole onto a page-sized memory DC and draw what each page holds.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "../gdi/gdi_test_support.h"
#include "win32/emf.h"
#include "win32/hostgdi.h"

namespace zolt::test {
namespace {

std::vector<uint8_t> ReadSample(const std::string& name) {
  std::ifstream in(std::string(ZOLT_SOURCE_DIR) + "/samples/jobs/" + name, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Plays a sample onto a canvas of A4 at 75 dpi (half the samples' resolution).
void PlaySample(const std::string& name, DibCanvas& canvas) {
  const auto bits = ReadSample(name);
  ASSERT_FALSE(bits.empty()) << name;
  HENHMETAFILE mf = SetEnhMetaFileBits(UINT(bits.size()), bits.data());
  ASSERT_NE(mf, nullptr);
  const RECT page{0, 0, canvas.width, canvas.height};
  EXPECT_TRUE(PlayEnhMetaFile(canvas.dc, mf, &page)) << name;
  if (const char* dir = std::getenv("ZOLT_EMF_PNG_DIR")) zolt::host::SaveDcPng(canvas.dc, std::string(dir) + "/" + name + ".png");
  DeleteEnhMetaFile(mf);
}

TEST(EmfSamples, PageOneTextAndShapes) {
  DibCanvas c(620, 877, 24);
  PlaySample("mixed-p1.emf", c);
  EXPECT_EQ(c.At(100, 287), RGB(220, 60, 60));   // the red rectangle at (100..300, 500..650) / 2
  EXPECT_EQ(c.At(225, 287), RGB(60, 160, 60));   // the green rounded rectangle
  int ink = 0;                                  // the Japanese line (y 340..376 / 2)
  for (int y = 170; y < 188; ++y)
    for (int x = 50; x < 250; ++x) ink += c.At(x, y) != RGB(255, 255, 255);
  EXPECT_GT(ink, 200);
}

TEST(EmfSamples, PageTwoPicturesAndFills) {
  DibCanvas c(620, 877, 24);
  PlaySample("mixed-p2.emf", c);
  std::set<COLORREF> photo;
  for (int x = 60; x < 400; x += 7) photo.insert(c.At(x, 120));
  EXPECT_GT(photo.size(), 20u);  // the photograph, stretched
  // The horizontal gradient runs from red to blue.
  const COLORREF left = c.At(52, 350), right = c.At(298, 350);
  EXPECT_GT(GetRValue(left), 200);
  EXPECT_GT(GetBValue(right), 200);
  EXPECT_LT(GetRValue(right), 40);
  // The cross drawn without its magenta background, and the photograph through its ellipse.
  EXPECT_EQ(c.At(90, 715), RGB(0, 0, 255));
  EXPECT_EQ(c.At(55, 680), RGB(255, 255, 255));
  EXPECT_NE(c.At(435, 715), RGB(255, 255, 255));  // the masked copy's middle
  EXPECT_EQ(c.At(377, 677), RGB(255, 255, 255));  // its corner, outside the ellipse
  int turned = 0;                                  // the parallelogram's photograph
  for (int y = 680; y < 760; ++y)
    for (int x = 205; x < 300; ++x) turned += c.At(x, y) != RGB(255, 255, 255);
  EXPECT_GT(turned, 2000);
}

TEST(EmfSamples, PageThreePathsAndClipping) {
  DibCanvas c(620, 877, 24);
  PlaySample("mixed-p3.emf", c);
  EXPECT_EQ(c.At(125, 100), RGB(250, 200, 60));  // inside the filled path
  // The clipped ellipse stays inside its clip rectangle (100..400, 700..800) / 2 minus the hole.
  EXPECT_EQ(c.At(30, 375), RGB(255, 255, 255));
  EXPECT_EQ(c.At(110, 375), RGB(255, 255, 255));  // the excluded hole
  EXPECT_EQ(c.At(80, 375), RGB(250, 200, 60));
}

}  // namespace
}  // namespace zolt::test
