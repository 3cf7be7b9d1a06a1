// Pictures of the resource libraries and BMP files as the sheets read them: the check of a packed
// bitmap (header, colour table, run-length data) and its drawing with its own colours and with a
// mask table, and the same bytes as a BMP file loaded into a bitmap of the display.
// An input is a BMP file (14-byte file header, then the packed bitmap a resource holds).
#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

#include "fuzz_machine.h"
#include "sheet_pictures_internal.h"
#include "sheet_resources.h"
#include "win32/windows.h"

namespace {

struct Target {
  HDC dc = nullptr;
  std::filesystem::path file;
  Target() {
    const std::filesystem::path root = zolt::fuzz::MakeFuzzMachine("sheet-pictures");
    file = root / "drive_c" / "picture.bmp";
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = 32;
    bmi.bmiHeader.biHeight = -32;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    SelectObject(dc, CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Target target;
  if (size > (1u << 20)) return 0;
  if (size >= 14) {
    // An exact copy, so that any read past the packed bitmap is caught.
    std::vector<uint8_t> packed(data + 14, data + size);
    UiDibView view;
    if (UiCheckDib(packed.data(), packed.size(), &view)) {
      UiDrawDib(target.dc, -4, 3, view, view.colours, SRCCOPY);
      RGBQUAD mask[256];
      for (DWORD i = 0; i < view.colourCount; ++i) mask[i] = RGBQUAD{0, 0, 0, 0};
      UiDrawDib(target.dc, 5, -2, view, mask, SRCAND);
    }
  }
  {
    std::ofstream out(target.file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  }
  int width = 0, height = 0;
  if (HBITMAP bitmap = UiLoadBmpFile(u"C:\\picture.bmp", &width, &height)) DeleteObject(bitmap);
  return 0;
}
