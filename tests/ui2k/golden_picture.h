// Compares a bitmap with a golden PNG picture of tests/ui2k/golden by its decoded pixels;
// ZOLT_UPDATE_GOLDEN=1 writes the picture into the source tree instead of comparing.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "png_image.h"
#include "win32/hostgdi.h"
#include "win32/windows.h"

namespace zolt::test {

// At most `differingPercent` of the pixels may differ (0: none).
inline void ExpectGoldenPicture(HBITMAP bitmap, const std::filesystem::path& scratch, const std::string& name,
                                size_t differingPercent) {
  namespace fs = std::filesystem;
  const fs::path golden = fs::path(ZOLT_SOURCE_DIR) / "tests/ui2k/golden" / name;
  const fs::path shot = scratch / name;
  ASSERT_TRUE(zolt::host::SaveBitmapPng(bitmap, shot));
  if (const char* update = std::getenv("ZOLT_UPDATE_GOLDEN"); update && *update == '1') {
    fs::create_directories(golden.parent_path());
    fs::copy_file(shot, golden, fs::copy_options::overwrite_existing);
    return;
  }
  RgbImage want, got;
  ASSERT_TRUE(ReadPng(golden, want)) << golden;
  ASSERT_TRUE(ReadPng(shot, got));
  ASSERT_EQ(got.width, want.width);
  ASSERT_EQ(got.height, want.height);
  size_t differing = 0;
  for (size_t i = 0; i + 2 < got.rgb.size(); i += 3)
    if (got.rgb[i] != want.rgb[i] || got.rgb[i + 1] != want.rgb[i + 1] || got.rgb[i + 2] != want.rgb[i + 2])
      ++differing;
  const size_t pixels = size_t(got.width) * size_t(got.height);
  EXPECT_LE(differing * 100, pixels * differingPercent)
      << name << ": " << differing << " of " << pixels << " pixels differ; the picture taken is " << shot;
}

}  // namespace zolt::test
