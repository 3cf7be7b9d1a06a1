// Bitmaps from callers drawn on a DC: arbitrary BITMAPINFO headers, colour tables, masks and
// bits (run-length ones too) through StretchDIBits and SetDIBitsToDevice.
// Layout of an input: u16 header length, then the header, then 12 bytes of call arguments
// (destination x, y, width, height and source x, y as signed bytes, raster operation, start
// scan, lines, stretch mode, colour use, unused), then the bits.
#include <cstdint>
#include <cstring>
#include <vector>

#include "win32/hostgdi.h"
#include "win32/windows.h"

namespace {

struct Target {
  HDC dc = nullptr;
  Target() {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = 48;
    bmi.bmiHeader.biHeight = -40;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    SelectObject(dc, CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Target target;
  if (size < 2) return 0;
  const size_t infoSize = size_t(data[0]) | (size_t(data[1]) << 8);
  if (size < 2 + infoSize + 12) return 0;
  // Copies of exactly the given sizes, so that any read past them is caught.
  std::vector<uint8_t> info(data + 2, data + 2 + infoSize);
  const uint8_t* args = data + 2 + infoSize;
  std::vector<uint8_t> bits(data + 2 + infoSize + 12, data + size);
  const auto* bmi = reinterpret_cast<const BITMAPINFO*>(info.data());
  const int8_t* a = reinterpret_cast<const int8_t*>(args);
  static const DWORD kRops[4] = {SRCCOPY, SRCAND, PATINVERT, 0x00B8074A};
  const DWORD rop = kRops[args[6] & 3];
  SetStretchBltMode(target.dc, 1 + (args[9] & 3));
  const UINT usage = args[10] & 1;
  zolt::host::StretchDIBitsChecked(target.dc, a[0], a[1], a[2] * 2, a[3] * 2, a[4], a[5], a[2], a[3],
                                   bits.empty() ? nullptr : bits.data(), bits.size(), bmi, info.size(), usage, rop);
  zolt::host::SetDIBitsToDeviceChecked(target.dc, a[0], a[1], DWORD(uint8_t(a[2])), DWORD(uint8_t(a[3])), a[4], a[5],
                                       args[7], args[8], bits.empty() ? nullptr : bits.data(), bits.size(), bmi,
                                       info.size(), usage);
  return 0;
}
