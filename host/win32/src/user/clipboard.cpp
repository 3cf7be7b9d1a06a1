// The clipboard of the machine's session: one owner at a time, data by format as global
// memory, and the text formats converted into each other on request (CF_TEXT in the ANSI code
// page, CF_UNICODETEXT).
#include <map>
#include <mutex>

#include "user/window.h"
#include "win32/codepage.h"
#include "win32/memory.h"

namespace zolt::host::user {
namespace {
std::mutex g_clipLock;
bool g_open = false;
DWORD g_openThread = 0;
HWND g_openWindow = nullptr;
HWND g_owner = nullptr;
// Kept for the life of the process (what the clipboard holds outlives every window).
std::map<UINT, HANDLE>& g_data = *new std::map<UINT, HANDLE>;

HANDLE Synthesize(UINT format) {
  if (format == CF_TEXT || format == CF_OEMTEXT) {
    auto it = g_data.find(CF_UNICODETEXT);
    if (it == g_data.end()) return nullptr;
    auto* w = static_cast<const WCHAR*>(GlobalLock(it->second));
    if (!w) return nullptr;
    int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
    HGLOBAL mem = n > 0 ? GlobalAlloc(GMEM_MOVEABLE, SIZE_T(n)) : nullptr;
    if (auto* a = static_cast<char*>(GlobalLock(mem))) {
      WideCharToMultiByte(CP_ACP, 0, w, -1, a, n, nullptr, nullptr);
      GlobalUnlock(mem);
    }
    GlobalUnlock(it->second);
    return mem;
  }
  if (format == CF_UNICODETEXT) {
    auto it = g_data.find(CF_TEXT);
    if (it == g_data.end()) return nullptr;
    auto* a = static_cast<const char*>(GlobalLock(it->second));
    if (!a) return nullptr;
    int n = MultiByteToWideChar(CP_ACP, 0, a, -1, nullptr, 0);
    HGLOBAL mem = n > 0 ? GlobalAlloc(GMEM_MOVEABLE, SIZE_T(n) * sizeof(WCHAR)) : nullptr;
    if (auto* w = static_cast<WCHAR*>(GlobalLock(mem))) {
      MultiByteToWideChar(CP_ACP, 0, a, -1, w, n);
      GlobalUnlock(mem);
    }
    GlobalUnlock(it->second);
    return mem;
  }
  return nullptr;
}

bool OpenedByCaller() { return g_open && g_openThread == GetCurrentThreadId(); }
}  // namespace
}  // namespace zolt::host::user

using namespace zolt::host::user;

WIN32_API BOOL WINAPI OpenClipboard(HWND hwnd) {
  std::lock_guard<std::mutex> lock(g_clipLock);
  if (g_open && g_openThread != GetCurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  g_open = true;
  g_openThread = GetCurrentThreadId();
  g_openWindow = hwnd;
  return TRUE;
}

WIN32_API BOOL WINAPI CloseClipboard(void) {
  std::lock_guard<std::mutex> lock(g_clipLock);
  if (!OpenedByCaller()) {
    SetLastError(1418);  // ERROR_CLIPBOARD_NOT_OPEN
    return FALSE;
  }
  g_open = false;
  return TRUE;
}

WIN32_API BOOL WINAPI EmptyClipboard(void) {
  std::lock_guard<std::mutex> lock(g_clipLock);
  if (!OpenedByCaller()) {
    SetLastError(1418);
    return FALSE;
  }
  for (auto& [format, handle] : g_data) GlobalFree(handle);
  g_data.clear();
  g_owner = g_openWindow;
  return TRUE;
}

WIN32_API HANDLE WINAPI SetClipboardData(UINT format, HANDLE mem) {
  std::lock_guard<std::mutex> lock(g_clipLock);
  if (!OpenedByCaller()) {
    SetLastError(1418);
    return nullptr;
  }
  auto it = g_data.find(format);
  if (it != g_data.end() && it->second != mem) GlobalFree(it->second);
  g_data[format] = mem;
  // A text format set anew drops the other one made from the old text.
  if (format == CF_TEXT) {
    if (auto u = g_data.find(CF_UNICODETEXT); u != g_data.end()) {
      GlobalFree(u->second);
      g_data.erase(u);
    }
  } else if (format == CF_UNICODETEXT) {
    if (auto a = g_data.find(CF_TEXT); a != g_data.end()) {
      GlobalFree(a->second);
      g_data.erase(a);
    }
  }
  return mem;
}

WIN32_API HANDLE WINAPI GetClipboardData(UINT format) {
  std::lock_guard<std::mutex> lock(g_clipLock);
  if (!OpenedByCaller()) {
    SetLastError(1418);
    return nullptr;
  }
  auto it = g_data.find(format);
  if (it != g_data.end()) return it->second;
  HANDLE made = Synthesize(format);
  if (made) g_data[format] = made;
  return made;
}

WIN32_API BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
  std::lock_guard<std::mutex> lock(g_clipLock);
  if (g_data.count(format)) return TRUE;
  if (format == CF_TEXT || format == CF_OEMTEXT) return g_data.count(CF_UNICODETEXT) != 0;
  if (format == CF_UNICODETEXT) return g_data.count(CF_TEXT) != 0;
  return FALSE;
}

WIN32_API HWND WINAPI GetClipboardOwner(void) {
  std::lock_guard<std::mutex> lock(g_clipLock);
  return g_owner;
}
