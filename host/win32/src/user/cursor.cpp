// Cursors and icons: the system's by id and a module's from its resources, as handles the
// window system hands out and the graphics interface draws; the current cursor.
#include <map>
#include <mutex>

#include "user/window.h"

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
  HANDLE h = reinterpret_cast<HANDLE>(g_next);
  g_next += 4;
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
