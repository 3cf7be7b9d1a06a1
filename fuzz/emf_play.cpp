// Metafiles from outside played onto a memory DC: arbitrary bytes through SetEnhMetaFileBits,
// PlayEnhMetaFile (stretched onto a rectangle) and EnumEnhMetaFile with PlayEnhMetaFileRecord.
#include <cstdint>
#include <vector>

#include "win32/windows.h"

namespace {

struct Target {
  HDC dc = nullptr;
  Target() {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = 64;
    bmi.bmiHeader.biHeight = -48;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    SelectObject(dc, CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
  }
};

int CALLBACK Each(HDC hdc, HANDLETABLE* table, const ENHMETARECORD* rec, int n, LPARAM) {
  PlayEnhMetaFileRecord(hdc, table, rec, UINT(n));
  return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Target target;
  // A copy of exactly the given size, so that any read past it is caught.
  std::vector<uint8_t> bits(data, data + size);
  HENHMETAFILE mf = SetEnhMetaFileBits(UINT(bits.size()), bits.data());
  if (!mf) return 0;
  const RECT rect{2, 3, 61, 45};
  PlayEnhMetaFile(target.dc, mf, &rect);
  EnumEnhMetaFile(target.dc, mf, Each, nullptr, &rect);
  DeleteEnhMetaFile(mf);
  return 0;
}
