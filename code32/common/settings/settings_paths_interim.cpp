// INTERIM: the folder and path helpers that the file operations, the environment and the
// printer-data code call, until the settings-folder work brings the full rules (shared and
// per-user folders, older Windows forms). Here the settings folder is the Windows directory's
// "_zolt" and the per-user folder the profile folder's "_zolt".
#include <string>

#include "env_system.h"
#include "settings_paths.h"

namespace {

std::u16string FolderOfDriverPath(const WCHAR* driverPath, HANDLE printer) {
  std::u16string path;
  if (driverPath) {
    path = driverPath;
  } else if (auto* di3 = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(printer, 3))) {
    if (di3->pDriverPath) path = di3->pDriverPath;
    MdlFreeMem(di3);
  }
  const size_t slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

int Put(WCHAR* dst, int size, const std::u16string& text) {
  if (!dst || size <= 0) return 0;
  if (static_cast<int>(text.size()) >= size) {
    dst[0] = u'\0';
    return 0;
  }
  lstrcpynW(dst, text.c_str(), size);
  return static_cast<int>(text.size());
}

int Join(WCHAR* dst, int size, const std::u16string& folder, const WCHAR* name) {
  if (!dst || !name || size <= 0) return 0;
  if (folder.empty()) {
    dst[0] = u'\0';
    return 0;
  }
  return Put(dst, size, folder + u"\\" + name) ? 1 : 0;
}

std::u16string WindowsDir() {
  WCHAR buf[MAX_PATH] = {};
  const UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
  return n && n < MAX_PATH ? std::u16string(buf, n) : std::u16string();
}

std::u16string SystemDir() {
  WCHAR buf[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryW(buf, MAX_PATH);
  return n && n < MAX_PATH ? std::u16string(buf, n) : std::u16string();
}

}  // namespace

int PathGetDriverDirOfPath(HANDLE printer, WCHAR* buf, int size, const WCHAR* driverPath) {
  return Put(buf, size, FolderOfDriverPath(driverPath, printer)) ? 1 : 0;
}

int PathGetDriverDirOf(HANDLE printer, WCHAR* buf, int size) {
  return PathGetDriverDirOfPath(printer, buf, size, nullptr);
}

int PathGetSettingsDir(WCHAR* buf, int size, DriverContext*) {
  const std::u16string windows = WindowsDir();
  return windows.empty() ? 0 : Put(buf, size, windows + u"\\_zolt");
}

int PathGetUserDir(WCHAR* buf, int size, DriverContext*) {
  WCHAR profile[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(u"USERPROFILE", profile, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 0;
  return Put(buf, size, std::u16string(profile, n) + u"\\_zolt");
}

WCHAR* PathGetDriverIni(DriverContext* ctx) {
  if (!ctx || !ctx->workArea || !ctx->profile || !ctx->profile->driverIniName) return nullptr;
  const std::u16string folder = FolderOfDriverPath(nullptr, ctx->printer);
  Put(ctx->workArea->driverIniPath, kCtxPathChars, folder.empty() ? folder : folder + ctx->profile->driverIniName);
  return ctx->workArea->driverIniPath;
}

int PathInWindowsDir(WCHAR* dst, int size, const WCHAR* name) { return Join(dst, size, WindowsDir(), name); }

int PathInSystemDir(WCHAR* dst, int size, const WCHAR* name) { return Join(dst, size, SystemDir(), name); }

int PathInDriverDirOf(WCHAR* dst, int size, const WCHAR* name, HANDLE printer, const WCHAR* driverPath) {
  if (!dst || !name || size <= 0) return 0;
  const std::u16string folder = FolderOfDriverPath(driverPath, printer);
  if (folder.empty()) return 0;
  return Put(dst, size, folder + name) ? 1 : 0;
}

int PathInDriverDir(WCHAR* dst, int size, const WCHAR* name, HANDLE printer) {
  return PathInDriverDirOf(dst, size, name, printer, nullptr);
}
