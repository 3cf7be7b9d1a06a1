// Well-known folders, full and short path names, the current directory and the environment.
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "win32/hostpath.h"
#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/path.h"

namespace {

using namespace zolt::host;

// The platform's buffer rule: the text and its NUL when they fit (result: the length), else
// nothing (result: the size needed with the NUL).
template <class C>
DWORD CopyOut(std::basic_string_view<C> text, C* buffer, DWORD size) {
  if (!buffer || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
  std::char_traits<C>::copy(buffer, text.data(), text.size());
  buffer[text.size()] = 0;
  return static_cast<DWORD>(text.size());
}

std::string Ansi(std::u16string_view text) {
  std::string out;
  WideToAnsi(Machine::Facts().ansiCodePage, text, out);
  return out;
}

std::u16string WindowsDir() { return FromUtf8(Machine::Facts().WindowsDirectory()); }
std::u16string SystemDir() { return FromUtf8(Machine::Facts().SystemDirectory()); }

std::u16string UpperName(std::u16string_view name) {
  std::u16string out;
  for (char16_t c : name) out += (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
  return out;
}

// Variables changed by this process (nullopt: removed), for the machine in use.
struct Overrides {
  std::mutex lock;
  uint64_t generation = 0;
  std::map<std::u16string, std::optional<std::u16string>> values;  // by upper-case name
};

Overrides& TheOverrides() {
  static Overrides* o = new Overrides;
  return *o;
}

std::optional<std::u16string> Variable(std::u16string_view name) {
  std::u16string key = UpperName(name);
  {
    Overrides& o = TheOverrides();
    std::lock_guard guard(o.lock);
    if (o.generation != Machine::Generation()) o.values.clear();
    auto it = o.values.find(key);
    if (it != o.values.end()) return it->second;
  }
  const MachineFacts& f = Machine::Facts();
  if (key == u"SYSTEMROOT" || key == u"WINDIR") return WindowsDir();
  if (key == u"SYSTEMDRIVE") return WindowsDir().substr(0, 2);
  if (key == u"USERPROFILE") return FromUtf8(f.UserProfileDirectory());
  if (key == u"TEMP" || key == u"TMP") return WindowsDir() + u"\\Temp";
  if (key == u"USERNAME") return FromUtf8(f.userName);
  if (key == u"COMPUTERNAME") return FromUtf8(f.computerName);
  return std::nullopt;
}

}  // namespace

WIN32_API UINT WINAPI GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize) {
  return CopyOut<char16_t>(SystemDir(), lpBuffer, uSize);
}
WIN32_API UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
  return CopyOut<char>(Ansi(SystemDir()), lpBuffer, uSize);
}
WIN32_API UINT WINAPI GetWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize) {
  return CopyOut<char16_t>(WindowsDir(), lpBuffer, uSize);
}
WIN32_API UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
  return CopyOut<char>(Ansi(WindowsDir()), lpBuffer, uSize);
}
WIN32_API UINT WINAPI GetSystemWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize) {
  return GetWindowsDirectoryW(lpBuffer, uSize);
}
WIN32_API UINT WINAPI GetSystemWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
  return GetWindowsDirectoryA(lpBuffer, uSize);
}

WIN32_API DWORD WINAPI GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer) {
  std::u16string path;
  for (const char16_t* name : {u"TMP", u"TEMP", u"USERPROFILE"}) {
    auto v = Variable(name);
    if (v && !v->empty()) {
      path = *v;
      break;
    }
  }
  if (path.empty()) path = WindowsDir();
  if (path.back() != u'\\') path += u'\\';
  return CopyOut<char16_t>(path, lpBuffer, nBufferLength);
}

WIN32_API DWORD WINAPI GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer,
                                        LPWSTR* lpFilePart) {
  if (lpFilePart) *lpFilePart = nullptr;
  if (!lpFileName || !*lpFileName) {
    SetLastError(ERROR_INVALID_NAME);
    return 0;
  }
  DWORD err = 0;
  auto parsed = ParseWinPath(WideView(lpFileName), &err);
  if (!parsed) {
    SetLastError(err);
    return 0;
  }
  std::u16string full = parsed->Text();
  if (parsed->trailingSeparator && !parsed->parts.empty()) full += u'\\';
  DWORD r = CopyOut<char16_t>(full, lpBuffer, nBufferLength);
  if (r == full.size() && lpFilePart && full.back() != u'\\')
    *lpFilePart = lpBuffer + full.rfind(u'\\') + 1;
  return r;
}

WIN32_API DWORD WINAPI GetShortPathNameW(LPCWSTR lpszLongPath, LPWSTR lpszShortPath, DWORD cchBuffer) {
  if (!lpszLongPath) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DWORD err = 0;
  if (!MapPath(WideView(lpszLongPath), Resolve::Existing, &err)) {
    SetLastError(err);
    return 0;
  }
  std::u16string text(WideView(lpszLongPath));  // a copy: the buffers may be the same
  return CopyOut<char16_t>(text, lpszShortPath, cchBuffer);
}

WIN32_API DWORD WINAPI GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer) {
  std::u16string cwd = CurrentDirectory();
  if (cwd.size() == 2) cwd += u'\\';  // a drive's root keeps its backslash
  return CopyOut<char16_t>(cwd, lpBuffer, nBufferLength);
}

WIN32_API BOOL WINAPI SetCurrentDirectoryW(LPCWSTR lpPathName) {
  DWORD err = 0;
  if (!lpPathName || !SetCurrentDirectory(WideView(lpPathName), &err)) {
    SetLastError(lpPathName ? err : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

WIN32_API DWORD WINAPI ExpandEnvironmentStringsW(LPCWSTR lpSrc, LPWSTR lpDst, DWORD nSize) {
  if (!lpSrc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string_view src = WideView(lpSrc);
  std::u16string out;
  size_t i = 0;
  while (i < src.size()) {
    if (src[i] != u'%') {
      out += src[i++];
      continue;
    }
    size_t close = src.find(u'%', i + 1);
    if (close == std::u16string_view::npos) {
      out += src.substr(i);
      break;
    }
    std::u16string_view name = src.substr(i + 1, close - i - 1);
    auto value = name.empty() ? std::nullopt : Variable(name);
    if (value) {
      out += *value;
      i = close + 1;
    } else {
      // Unknown: the text stays as written, and the closing "%" may open the next name.
      out += src.substr(i, close - i);
      i = close;
    }
  }
  DWORD needed = static_cast<DWORD>(out.size() + 1);
  if (lpDst && nSize >= needed) {
    std::char_traits<char16_t>::copy(lpDst, out.data(), out.size());
    lpDst[out.size()] = 0;
  } else if (lpDst && nSize > 0) {
    lpDst[0] = 0;
  }
  return needed;
}

WIN32_API DWORD WINAPI GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize) {
  auto value = lpName ? Variable(WideView(lpName)) : std::nullopt;
  if (!value) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  return CopyOut<char16_t>(*value, lpBuffer, nSize);
}

WIN32_API BOOL WINAPI SetEnvironmentVariableW(LPCWSTR lpName, LPCWSTR lpValue) {
  if (!lpName || !*lpName || WideView(lpName).find(u'=') != std::u16string_view::npos) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Overrides& o = TheOverrides();
  std::lock_guard guard(o.lock);
  std::u16string key = UpperName(WideView(lpName));
  if (o.generation != Machine::Generation()) {
    o.values.clear();
    o.generation = Machine::Generation();
  }
  if (lpValue)
    o.values[key] = std::u16string(WideView(lpValue));
  else
    o.values[key] = std::nullopt;
  return TRUE;
}
