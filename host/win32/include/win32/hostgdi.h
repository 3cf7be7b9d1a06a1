// The host's own calls around the graphics interface: for tools, tests, the window system and
// the driver engine (not part of the platform's interface).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "win32/gdi.h"

namespace zolt::host {

// Writes a bitmap (any format) as an 8-bit RGB PNG file; false when the handle is not a
// bitmap or the file cannot be written.
bool SaveBitmapPng(HBITMAP bitmap, const std::filesystem::path& file);
// Writes the bitmap selected into a memory DC.
bool SaveDcPng(HDC dc, const std::filesystem::path& file);

// The bits of a bitmap as the raster holds them (for the window system and the driver engine).
struct BitmapBits {
  int width = 0, height = 0, bpp = 0;
  uint8_t* scan0 = nullptr;  // top row
  ptrdiff_t stride = 0;      // bytes to the row below (negative for bottom-up bits)
};
bool GetBitmapBitsView(HBITMAP bitmap, BitmapBits& out);

// Places a DC inside its surface: drawing at device (0, 0) lands at `origin`, and only the
// visible region (surface coordinates; nullptr = all of the surface) is drawn. The window system
// uses it for the DCs of child windows drawing into their top-level window's surface.
bool SetDcPlacement(HDC dc, POINT origin, HRGN visible);

// A DC drawing into `surface` without selecting it: any number of such DCs share one bitmap
// (the window system's DCs of the windows of one top-level window). The bitmap cannot be
// replaced with SelectObject; deleting the DC leaves it alone.
HDC CreateSurfaceDC(HBITMAP surface);

// System colours as brushes: a solid brush that DeleteObject leaves alone (GetSysColorBrush
// makes one per colour), and the brush a COLOR_x + 1 value stands for where the platform takes
// one in place of a brush (any other handle is returned as it is).
constexpr uintptr_t kSystemColorCount = 31;
HBRUSH CreateSystemBrush(COLORREF color);
HBRUSH SystemColorBrush(HBRUSH brush);

// StretchDIBits and SetDIBitsToDevice with the sizes of the caller's header and bits, which are
// checked against what the header claims (the platform's calls trust the header).
int StretchDIBitsChecked(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                         int SrcWidth, int SrcHeight, const void* lpBits, size_t cbBits, const BITMAPINFO* lpbmi,
                         size_t cbInfo, UINT iUsage, DWORD rop);
int SetDIBitsToDeviceChecked(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT StartScan,
                             UINT cLines, const void* lpvBits, size_t cbBits, const BITMAPINFO* lpbmi, size_t cbInfo,
                             UINT ColorUse);

// The installed font file a logical font maps to (for tests and diagnostics): family name and
// file path; false when nothing matched.
bool MappedFontFile(const LOGFONTW& lf, std::string& family, std::filesystem::path& file);

}  // namespace zolt::host
