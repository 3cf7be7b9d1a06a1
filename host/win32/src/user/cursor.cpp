// Cursors and icons: the system's by id and a module's from its resources, as handles the
// window system hands out and the graphics interface draws; the current cursor.
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "user/window.h"
#include "win32/hostgdi.h"

namespace zolt::host::user {
namespace {
std::mutex g_lock;
std::map<std::pair<UINT_PTR, std::u16string>, HANDLE> g_loaded;
UINT_PTR g_next = 0x40010;
HCURSOR g_cursor = nullptr;
int g_showCount = 0;

std::u16string Key(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return u"#" + std::u16string(1, char16_t(LOWORD(reinterpret_cast<ULONG_PTR>(name))));
  return Lower(name);
}

const BYTE* ResourceBytes(HINSTANCE instance, LPCWSTR name, LPCWSTR type, size_t& size) {
  HRSRC found = FindResourceW(instance, name, type);
  HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  size = found ? SizeofResource(instance, found) : 0;
  return loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
}

uint32_t Le(const BYTE* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

// A module's icon drawn from its resources: the group directory's 32 x 32 image (else its first),
// an RT_ICON image of an info header of twice the height, the colour bits and the AND mask. Null
// for a damaged or unsupported image.
HICON IconFromResources(HINSTANCE instance, LPCWSTR name) {
  size_t size = 0;
  const BYTE* dir = ResourceBytes(instance, name, RT_GROUP_ICON, size);
  if (!dir || size < 6) return nullptr;
  const uint32_t count = Le(dir + 4, 2);
  if (count == 0 || size < 6 + 14 * size_t(count)) return nullptr;
  const BYTE* entry = dir + 6;
  for (uint32_t i = 0; i < count; ++i)
    if (dir[6 + 14 * i] == 32 && dir[6 + 14 * i + 1] == 32) entry = dir + 6 + 14 * i;
  const BYTE* image = ResourceBytes(instance, MAKEINTRESOURCEW(Le(entry + 12, 2)), RT_ICON, size);
  if (!image || size < sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPINFOHEADER h;
  std::memcpy(&h, image, sizeof h);
  const int bits = h.biBitCount;
  if (h.biSize != sizeof h || h.biCompression != BI_RGB || h.biPlanes != 1 || h.biWidth <= 0 || h.biWidth > 256 ||
      h.biHeight <= 0 || h.biHeight > 512 || (h.biHeight & 1) ||
      (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32))
    return nullptr;
  const int width = h.biWidth, height = h.biHeight / 2;
  const size_t colours = bits <= 8 ? (h.biClrUsed && h.biClrUsed <= (1u << bits) ? h.biClrUsed : (1u << bits)) : 0;
  const size_t info = sizeof h + colours * sizeof(RGBQUAD);
  const size_t colourBytes = ((size_t(bits) * width + 31) / 32) * 4 * height;
  const size_t maskBytes = ((size_t(width) + 31) / 32) * 4 * height;
  if (info + colourBytes + maskBytes > size) return nullptr;

  std::vector<BYTE> header(image, image + info);
  auto* colourHeader = reinterpret_cast<BITMAPINFOHEADER*>(header.data());
  colourHeader->biHeight = height;
  colourHeader->biSizeImage = 0;
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
  } mono{{sizeof(BITMAPINFOHEADER), width, height, 1, 1, BI_RGB, 0, 0, 0, 2, 0},
         {{0, 0, 0, 0}, {255, 255, 255, 0}}};
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  bool drawn = false;
  if (colour && mask && dc) {
    HGDIOBJ old = SelectObject(dc, colour);
    drawn = zolt::host::SetDIBitsToDeviceChecked(dc, 0, 0, DWORD(width), DWORD(height), 0, 0, 0, UINT(height),
                                                 image + info, colourBytes,
                                                 reinterpret_cast<const BITMAPINFO*>(header.data()), info,
                                                 DIB_RGB_COLORS) > 0;
    SelectObject(dc, mask);
    drawn = drawn && zolt::host::SetDIBitsToDeviceChecked(dc, 0, 0, DWORD(width), DWORD(height), 0, 0, 0,
                                                          UINT(height), image + info + colourBytes, maskBytes,
                                                          reinterpret_cast<const BITMAPINFO*>(&mono), sizeof mono,
                                                          DIB_RGB_COLORS) > 0;
    SelectObject(dc, old);
  }
  HICON icon = nullptr;
  if (drawn) {
    ICONINFO ii{TRUE, 0, 0, mask, colour};
    icon = CreateIconIndirect(&ii);
  }
  if (dc) DeleteDC(dc);
  if (colour) DeleteObject(colour);
  if (mask) DeleteObject(mask);
  return icon;
}

// The handle of a system picture or of a module's group resource (null when there is none).
HANDLE Load(HINSTANCE instance, LPCWSTR name, LPCWSTR groupType) {
  if (!name) return nullptr;
  if (instance && !FindResourceW(instance, name, groupType)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  if (!instance && !IS_INTRESOURCE(name)) return nullptr;
  std::lock_guard<std::mutex> lock(g_lock);
  auto key = std::make_pair(reinterpret_cast<UINT_PTR>(instance) ^ reinterpret_cast<UINT_PTR>(groupType), Key(name));
  auto it = g_loaded.find(key);
  if (it != g_loaded.end()) return it->second;
  // A module's icon is a real icon the graphics interface draws; the others are tokens.
  HANDLE h = instance && groupType == RT_GROUP_ICON ? IconFromResources(instance, name) : nullptr;
  if (!h) {
    h = reinterpret_cast<HANDLE>(g_next);
    g_next += 4;
  }
  g_loaded[key] = h;
  return h;
}
}  // namespace
}  // namespace zolt::host::user

using namespace zolt::host::user;

WIN32_API HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  return reinterpret_cast<HCURSOR>(Load(instance, name, RT_GROUP_CURSOR));
}

WIN32_API HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name) {
  return reinterpret_cast<HICON>(Load(instance, name, RT_GROUP_ICON));
}

WIN32_API HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  std::lock_guard<std::mutex> lock(g_lock);
  HCURSOR old = g_cursor;
  g_cursor = cursor;
  return old;
}

WIN32_API HCURSOR WINAPI GetCursor(void) {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_cursor;
}

WIN32_API int WINAPI ShowCursor(BOOL show) {
  std::lock_guard<std::mutex> lock(g_lock);
  return show ? ++g_showCount : --g_showCount;
}

// Shared pictures of LoadCursorW are never destroyed; icons are destroyed by the graphics
// interface, which owns the icons made from bitmaps.
WIN32_API BOOL WINAPI DestroyCursor(HCURSOR) { return TRUE; }

WIN32_API HBITMAP WINAPI LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
  return static_cast<HBITMAP>(LoadBitmapForWindow(instance, name));
}

WIN32_API HANDLE WINAPI LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int, int, UINT) {
  switch (type) {
    case IMAGE_ICON: return LoadIconW(instance, name);
    case IMAGE_CURSOR: return LoadCursorW(instance, name);
    case IMAGE_BITMAP: return LoadBitmapForWindow(instance, name);
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}
