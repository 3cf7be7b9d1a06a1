// Reading PNG files back in tests (libpng's simplified interface): the pixels as 8-bit RGB rows.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

namespace zolt::test {

struct RgbImage {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // rows top first, 3 bytes a pixel
  uint32_t At(int x, int y) const {
    const uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;  // as a COLORREF
  }
};

inline bool ReadPng(const std::filesystem::path& file, RgbImage& out) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  out.width = int(image.width);
  out.height = int(image.height);
  out.rgb.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  return true;
}

}  // namespace zolt::test
