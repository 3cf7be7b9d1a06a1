// Folders and paths: the driver directory, the shared and per-user settings folders, the
// profile and LocalLow folders, the per-printer files, and path joins.
#include <algorithm>
#include <string>
#include <string_view>

#include "env_system.h"
#include "settings_paths.h"

namespace {

using std::u16string;
using std::u16string_view;

constexpr WCHAR kLegacyDriverSubdir[] = u"\\spool\\drivers\\w32x86\\2\\";
constexpr WCHAR kSystemRootVar[] = u"%SYSTEMROOT%";
constexpr WCHAR kUserProfileVar[] = u"%USERPROFILE%";
constexpr WCHAR kSystemDriveVar[] = u"%SYSTEMDRIVE%";
constexpr WCHAR kInstallListName[] = u"QVINSTPR.INI";
constexpr int kClientValueBytes = 520;
constexpr int kClientSuffixRoom = 47;    // room a configured folder must leave for "\_zolt" and a file
constexpr int kProfileSuffixRoom = 41;   // the same for a per-user folder
constexpr DWORD kMachineContextBit = kCtxModeInstallation;

u16string_view View(const WCHAR* text) { return text ? u16string_view(text, lstrlenW(text)) : u16string_view(); }

bool StartsWithNoCase(u16string_view text, u16string_view prefix) {
  return text.size() >= prefix.size() && _wcsnicmp(text.data(), prefix.data(), prefix.size()) == 0;
}

// Writes text into buf (size characters) when it fits; else buf becomes empty. Returns the
// length written, 0 when it did not fit.
int Put(WCHAR* buf, int size, u16string_view text) {
  if (!buf || size <= 0) return 0;
  if (text.size() >= static_cast<size_t>(size)) {
    buf[0] = u'\0';
    return 0;
  }
  std::copy(text.begin(), text.end(), buf);
  buf[text.size()] = u'\0';
  return static_cast<int>(text.size());
}

u16string JoinPath(u16string_view folder, u16string_view name) {
  u16string out(folder);
  out += u'\\';
  out += name;
  return out;
}

// Folder + "\" + name into dst; the folder must be non-empty and the whole path must fit.
int JoinInto(WCHAR* dst, int size, u16string_view folder, const WCHAR* name) {
  if (folder.empty() || folder.size() >= static_cast<size_t>(size)) {
    dst[0] = u'\0';
    return 0;
  }
  return Put(dst, size, JoinPath(folder, View(name))) ? 1 : 0;
}

u16string SystemDirectory() {
  WCHAR buf[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryW(buf, MAX_PATH + 1);
  return n && n <= MAX_PATH ? u16string(buf, n) : u16string();
}

u16string WindowsDirectory() {
  WCHAR buf[MAX_PATH + 1] = {};
  const UINT n = GetWindowsDirectoryW(buf, MAX_PATH + 1);
  return n && n <= MAX_PATH ? u16string(buf, n) : u16string();
}

// The folder of a path, with its final "\"; empty when the path has no "\".
u16string FolderOf(u16string_view path) {
  const size_t slash = path.rfind(u'\\');
  return slash == u16string_view::npos ? u16string() : u16string(path.substr(0, slash + 1));
}

// Does the folder exist? (A final "\" is left out of the test: the platform's search fails on
// it, and a folder configured with one is still the same folder.)
bool FolderExists(u16string_view folder) {
  u16string probe(folder);
  while (probe.size() > 3 && probe.back() == u'\\') probe.pop_back();
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(probe.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

// The per-user folder asks for the profile folder, whose fallback asks for the shared folder,
// whose client value may name the per-user folder again: the inner round takes such a value
// as not configured.
thread_local int t_userDirDepth = 0;

struct DepthGuard {
  DepthGuard() { ++t_userDirDepth; }
  ~DepthGuard() { --t_userDirDepth; }
};

const DriverProfile* TemplateProfile() { return CtxGetTemplate()->profile; }

bool IsAbsolute(const WCHAR* name) { return name && name[0] && name[1] == u':'; }

}  // namespace

UINT PathGetSystemDir(WCHAR* buf, int size, DriverContext*) {
  if (!buf || size <= 0) return 0;
  return GetSystemDirectoryW(buf, static_cast<UINT>(size));
}

int PathGetSystemWindowsDir(WCHAR* buf, int size) {
  if (buf && size > 0) GetSystemWindowsDirectoryW(buf, static_cast<UINT>(size));
  return 1;
}

// ---- Driver directory ----------------------------------------------------------------------

int PathGetDriverDirEx(HANDLE printer, WCHAR* buf, int size, const WCHAR* driverPath, const DRIVER_INFO_3W* di3) {
  if (!buf || size <= 0) return 0;
  u16string folder;
  if (driverPath) {
    folder = FolderOf(View(driverPath));
  } else if (di3 && di3->pDriverPath) {
    folder = FolderOf(View(di3->pDriverPath));
  } else if (auto* fresh = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(printer, 3))) {
    if (fresh->pDriverPath) folder = FolderOf(View(fresh->pDriverPath));
    MdlFreeMem(fresh);
  }
  if (folder.empty()) {
    const u16string system = SystemDirectory();
    if (system.empty()) {
      buf[0] = u'\0';
      return 0;
    }
    folder = system + kLegacyDriverSubdir;
  }
  return Put(buf, size, folder);
}

WCHAR* PathGetDriverDir(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return nullptr;
  ContextWorkArea* wa = ctx->workArea;
  PathGetDriverDirEx(ctx->printer, wa->driverDirectory, kCtxPathChars, nullptr, wa->driverInfo3);
  return wa->driverDirectory;
}

int PathGetDriverDirOf(HANDLE printer, WCHAR* buf, int size) {
  return PathGetDriverDirEx(printer, buf, size, nullptr, nullptr);
}

int PathGetDriverDirOfPath(HANDLE printer, WCHAR* buf, int size, const WCHAR* driverPath) {
  return PathGetDriverDirEx(printer, buf, size, driverPath, nullptr);
}

// ---- Shared folder -------------------------------------------------------------------------

int PrnGetClientSharedDirOfInfo(HANDLE printer, const WCHAR* valueName, WCHAR* out, int outSize,
                                const PRINTER_INFO_2W* pi2) {
  WCHAR value[kClientValueBytes / sizeof(WCHAR) + 1] = {};
  if (!PrnGetData(printer, value, kClientValueBytes, valueName, nullptr) || !value[0]) return 0;
  const u16string_view configured = View(value);

  u16string folder;
  if (StartsWithNoCase(configured, kUserProfileVar)) {
    // The per-user folder, whatever follows the marker; it already ends in "\_zolt".
    if (t_userDirDepth > 0) return 0;
    WCHAR user[MAX_PATH + 1] = {};
    const int n = pi2 ? PathGetUserDirOfInfo(user, MAX_PATH + 1, printer, pi2) : PathGetUserDirOf(user, MAX_PATH + 1, printer);
    if (n <= 0) return -1;
    if (n + kProfileSuffixRoom >= MAX_PATH) return 0;
    folder.assign(user, n);
  } else {
    if (StartsWithNoCase(configured, kSystemRootVar)) {
      const u16string windows = WindowsDirectory();
      if (windows.empty()) return 0;
      folder = windows + u16string(configured.substr(View(kSystemRootVar).size()));
      if (folder.size() >= MAX_PATH) return 0;
    } else {
      folder = configured;
    }
    if (folder.size() + kClientSuffixRoom >= MAX_PATH) return 0;
    if (!FolderExists(folder)) return 0;
    if (folder.back() != u'\\') folder += u'\\';
    folder += kSettingsFolderWord;
  }
  if (!out) return 1;
  // A folder that does not fit the caller's buffer is not a folder found.
  return Put(out, outSize, folder) ? 1 : 0;
}

int PrnGetClientSharedDir(HANDLE printer, const WCHAR* valueName, WCHAR* out, int outSize) {
  return PrnGetClientSharedDirOfInfo(printer, valueName, out, outSize, nullptr);
}

namespace {

// Steps 2-5 of the shared-folder rule once the client question is answered.
int SharedDirFor(WCHAR* buf, int size, HANDLE printer, bool remote, const PRINTER_INFO_2W* pi2) {
  if (!buf || size <= 0) return 0;
  if (remote && PrnGetClientSharedDirOfInfo(printer, kClientSharedDirValue, buf, size, pi2) == 1)
    return lstrlenW(buf);

  u16string registry(static_cast<size_t>(size), u'\0');
  // One character short, so that a value stored without its terminator still ends.
  if (size > 1 && RegReadDriverValue(kSharedDirValue, registry.data(), static_cast<DWORD>((size - 1) * sizeof(WCHAR)))) {
    registry.resize(lstrlenW(registry.c_str()));
    if (!registry.empty()) return Put(buf, size, registry);
  }

  u16string system = SystemDirectory();
  if (system.size() < 3) {
    buf[0] = u'\0';
    return 0;
  }
  return Put(buf, size, system.substr(0, 3) + kSettingsFolderWord);
}

}  // namespace

int PathGetSharedDir(WCHAR* buf, int size, DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  const PRINTER_INFO_2W* pi2 = ctx->workArea->printerInfo2;
  const bool remote = pi2 ? PrnInfoIsRemote(pi2) != 0 : PrnIsRemotePrinter(ctx) != 0;
  return SharedDirFor(buf, size, ctx->printer, remote, pi2);
}

int PathGetSharedDirOfPrinter(WCHAR* buf, int size, HANDLE printer) {
  return SharedDirFor(buf, size, printer, PrnIsRemotePrinterHandle(printer) != 0, nullptr);
}

int PathGetSharedDirOfInfo(WCHAR* buf, int size, HANDLE printer, const PRINTER_INFO_2W* pi2) {
  const bool remote = pi2 ? PrnInfoIsRemote(pi2) != 0 : PrnIsRemotePrinterHandle(printer) != 0;
  return SharedDirFor(buf, size, printer, remote, pi2);
}

// ---- Settings folder -----------------------------------------------------------------------

int PathGetSettingsDir(WCHAR* buf, int size, DriverContext* ctx) {
  if (EnvIsWin2000OrLater()) return PathGetSharedDir(buf, size, ctx);
  return static_cast<int>(PathGetSystemDir(buf, size, ctx));
}

int PathGetSettingsDirOf(WCHAR* buf, int size, HANDLE printer) {
  if (EnvIsWin2000OrLater()) return PathGetSharedDirOfPrinter(buf, size, printer);
  return static_cast<int>(PathGetSystemDir(buf, size, nullptr));
}

int PathGetSettingsDirOfInfo(WCHAR* buf, int size, HANDLE printer, const PRINTER_INFO_2W* pi2) {
  if (EnvIsWin2000OrLater()) return PathGetSharedDirOfInfo(buf, size, printer, pi2);
  return static_cast<int>(PathGetSystemDir(buf, size, nullptr));
}

// ---- Profile and per-user folders ----------------------------------------------------------

int PathQueryProfileDir(WCHAR* buf, int size, HANDLE printer, const PRINTER_INFO_2W* pi2, int strict) {
  if (!buf || size <= 0) return 0;
  int found = 0;
  HMODULE userEnv = LoadLibraryW(u"UserEnv.dll");
  HANDLE token = nullptr;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
    token = nullptr;
    if (GetLastError() == ERROR_NO_TOKEN && !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
      token = nullptr;
  }
  if (userEnv && token) {
    using GetProfileDirFn = BOOL(WINAPI*)(HANDLE, LPWSTR, LPDWORD);
    if (auto get = EnvProcAs<GetProfileDirFn>(GetProcAddress(userEnv, "GetUserProfileDirectoryW"))) {
      DWORD chars = static_cast<DWORD>(size);
      found = get(token, buf, &chars) ? 1 : 0;
    }
  }
  if (!found && !strict) {
    const int n = pi2 ? PathGetSharedDirOfInfo(buf, size, printer, pi2) : PathGetSharedDirOfPrinter(buf, size, printer);
    found = n > 0 ? 1 : 0;
  }
  if (token) CloseHandle(token);
  if (userEnv) FreeLibrary(userEnv);
  return found;
}

int PathGetProfileDir(WCHAR* buf, int size, HANDLE printer) { return PathQueryProfileDir(buf, size, printer, nullptr, 0); }

int PathGetProfileDirOfInfo(WCHAR* buf, int size, HANDLE printer, const PRINTER_INFO_2W* pi2) {
  return PathQueryProfileDir(buf, size, printer, pi2, 0);
}

int PathGetProfileDirStrict(WCHAR* buf, int size, HANDLE printer, const PRINTER_INFO_2W* pi2) {
  return PathQueryProfileDir(buf, size, printer, pi2, 1);
}

namespace {

// Steps 2-4 of the per-user folder rule.
int UserDirFor(WCHAR* buf, int size, HANDLE printer, const PRINTER_INFO_2W* pi2) {
  if (!buf || size <= 0) return 0;
  DepthGuard guard;
  WCHAR profile[MAX_PATH + 1] = {};
  const int found = pi2 ? PathGetProfileDirOfInfo(profile, MAX_PATH + 1, printer, pi2)
                        : PathGetProfileDir(profile, MAX_PATH + 1, printer);
  if (!found || !profile[0]) {
    buf[0] = u'\0';
    return 0;
  }
  if (EnvIsWin2000OrLater()) return Put(buf, size, JoinPath(View(profile), kSettingsFolderWord));

  // Before Windows 2000: <system>\orvex\_zolt\<user folder name>.
  u16string_view path = View(profile);
  while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  const size_t slash = path.rfind(u'\\');
  const u16string_view user = slash == u16string_view::npos ? path : path.substr(slash + 1);
  const u16string system = SystemDirectory();
  if (system.empty() || user.empty()) {
    buf[0] = u'\0';
    return 0;
  }
  return Put(buf, size, JoinPath(JoinPath(JoinPath(system, kLegacyUserFolderWord), kSettingsFolderWord), user));
}

}  // namespace

int PathGetUserDir(WCHAR* buf, int size, DriverContext* ctx) {
  if (!buf || size <= 0 || !ctx || !ctx->workArea) return 0;
  const WCHAR* settings = ctx->workArea->settingsIniPath;
  if (IsAbsolute(settings)) {
    const u16string_view path = View(settings);
    const size_t slash = path.rfind(u'\\');
    if (slash != u16string_view::npos) return Put(buf, size, path.substr(0, slash));
  }
  return UserDirFor(buf, size, ctx->printer, ctx->workArea->printerInfo2);
}

int PathGetUserDirOf(WCHAR* buf, int size, HANDLE printer) { return UserDirFor(buf, size, printer, nullptr); }

int PathGetUserDirOfInfo(WCHAR* buf, int size, HANDLE printer, const PRINTER_INFO_2W* pi2) {
  return UserDirFor(buf, size, printer, pi2);
}

// ---- LocalLow ------------------------------------------------------------------------------

int PathGetLocalLowDir(WCHAR* buf, int size) {
  if (!buf || size <= 0) return 0;
  int copied = 0;
  HMODULE shell = LoadLibraryW(u"shell32.dll");
  HMODULE ole = LoadLibraryW(u"ole32.dll");
  using KnownFolderFn = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
  using TaskFreeFn = void(WINAPI*)(LPVOID);
  auto known = shell ? EnvProcAs<KnownFolderFn>(GetProcAddress(shell, "SHGetKnownFolderPath")) : nullptr;
  auto taskFree = ole ? EnvProcAs<TaskFreeFn>(GetProcAddress(ole, "CoTaskMemFree")) : nullptr;
  if (known && taskFree) {
    PWSTR path = nullptr;
    if (known(FOLDERID_LocalAppDataLow, 0, nullptr, &path) == S_OK && path && lstrlenW(path) < size) {
      lstrcpynW(buf, path, size);
      copied = 1;
    }
    taskFree(path);
  }
  if (shell) FreeLibrary(shell);
  if (ole) FreeLibrary(ole);
  return copied;
}

// ---- Files ---------------------------------------------------------------------------------

WCHAR* PathGetSettingsIni(DriverContext* ctx) {
  if (!ctx || !ctx->workArea || !ctx->profile) return nullptr;
  ContextWorkArea* wa = ctx->workArea;
  const WCHAR* name = ctx->profile->settingsFileName;
  if (IsAbsolute(name)) {
    Put(wa->settingsIniPath, kCtxPathChars, View(name));
    return wa->settingsIniPath;
  }
  const DRIVER_INFO_3W* di3 = wa->driverInfo3;
  const bool perUserMode = di3 ? EnvIsTerminalServerModeFor(ctx->printer, di3->pDriverPath) != 0
                               : EnvIsTerminalServerMode(ctx->printer) != 0;
  WCHAR folder[kCtxPathChars] = {};
  int n = 0;
  if (perUserMode && !(wa->creationMode & kMachineContextBit)) n = PathGetUserDir(folder, kCtxPathChars, ctx);
  if (n <= 0) n = PathGetSettingsDir(folder, kCtxPathChars, ctx);
  if (n <= 0) {
    wa->settingsIniPath[0] = u'\0';
    return wa->settingsIniPath;
  }
  JoinInto(wa->settingsIniPath, kCtxPathChars, View(folder), name);
  return wa->settingsIniPath;
}

int PathGetSettingsIniOfInfo(WCHAR* out, int size, short perUser, HANDLE printer, const PRINTER_INFO_2W* pi2) {
  if (!out || size <= 0) return 0;
  WCHAR folder[kCtxPathChars] = {};
  const int n = perUser == 1 ? (pi2 ? PathGetUserDirOfInfo(folder, kCtxPathChars, printer, pi2)
                                    : PathGetUserDirOf(folder, kCtxPathChars, printer))
                             : (pi2 ? PathGetSettingsDirOfInfo(folder, kCtxPathChars, printer, pi2)
                                    : PathGetSettingsDirOf(folder, kCtxPathChars, printer));
  if (n <= 0) {
    out[0] = u'\0';
    return 0;
  }
  return JoinInto(out, size, View(folder), TemplateProfile()->settingsFileName);
}

int PathGetSettingsIniOf(WCHAR* out, int size, short perUser, HANDLE printer) {
  return PathGetSettingsIniOfInfo(out, size, perUser, printer, nullptr);
}

WCHAR* PathGetDriverIni(DriverContext* ctx) {
  if (!ctx || !ctx->workArea || !ctx->profile) return nullptr;
  ContextWorkArea* wa = ctx->workArea;
  const WCHAR* name = ctx->profile->driverIniName;
  if (IsAbsolute(name)) {
    Put(wa->driverIniPath, kCtxPathChars, View(name));
  } else {
    const u16string folder(View(PathGetDriverDir(ctx)));
    Put(wa->driverIniPath, kCtxPathChars, folder + u16string(View(name)));
  }
  return wa->driverIniPath;
}

int PathGetDriverIniOf(HANDLE printer, WCHAR* out) {
  if (!out) return 0;
  const WCHAR* name = TemplateProfile()->driverIniName;
  if (IsAbsolute(name)) return Put(out, MAX_PATH, View(name)) ? 1 : 0;
  WCHAR folder[MAX_PATH] = {};
  if (!PathGetDriverDirOf(printer, folder, MAX_PATH)) {
    out[0] = u'\0';
    return 0;
  }
  return Put(out, MAX_PATH, u16string(View(folder)) + u16string(View(name))) ? 1 : 0;
}

WCHAR* PathGetInstallListIni(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return nullptr;
  ContextWorkArea* wa = ctx->workArea;
  const WCHAR* name = ctx->profile && ctx->profile->installListName ? ctx->profile->installListName : kInstallListName;
  Put(wa->installListPath, kCtxPathChars, u16string(View(PathGetDriverDir(ctx))) + u16string(View(name)));
  return wa->installListPath;
}

// ---- Joins ---------------------------------------------------------------------------------

int PathInSharedDir(WCHAR* dst, int size, const WCHAR* name, DriverContext* ctx) {
  if (!dst || !name || size <= 0) return 0;
  WCHAR folder[kCtxPathChars] = {};
  const int n = PathGetSettingsDir(folder, kCtxPathChars, ctx);
  return JoinInto(dst, size, n > 0 ? View(folder) : u16string_view(), name);
}

int PathInWindowsDir(WCHAR* dst, int size, const WCHAR* name) {
  if (!dst || !name || size <= 0) return 0;
  return JoinInto(dst, size, WindowsDirectory(), name);
}

int PathInSystemDir(WCHAR* dst, int size, const WCHAR* name) {
  if (!dst || !name || size <= 0) return 0;
  return JoinInto(dst, size, SystemDirectory(), name);
}

int PathInUserDirOf(WCHAR* dst, int size, const WCHAR* name, HANDLE printer, const PRINTER_INFO_2W* pi2) {
  if (!dst || !name || size <= 0) return 0;
  WCHAR folder[kCtxPathChars] = {};
  const int n = pi2 ? PathGetUserDirOfInfo(folder, kCtxPathChars, printer, pi2)
                    : PathGetUserDirOf(folder, kCtxPathChars, printer);
  return JoinInto(dst, size, n > 0 ? View(folder) : u16string_view(), name);
}

int PathInDriverDirOf(WCHAR* dst, int size, const WCHAR* name, HANDLE printer, const WCHAR* driverPath) {
  if (!dst || !name || size <= 0) return 0;
  u16string folder;
  if (driverPath) {
    folder = FolderOf(View(driverPath));
  } else if (auto* di3 = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(printer, 3))) {
    if (di3->pDriverPath) folder = FolderOf(View(di3->pDriverPath));
    MdlFreeMem(di3);
  }
  if (folder.empty()) return 0;  // no driver information: dst unchanged
  return Put(dst, size, folder + u16string(View(name))) ? 1 : 0;
}

int PathInDriverDir(WCHAR* dst, int size, const WCHAR* name, HANDLE printer) {
  return PathInDriverDirOf(dst, size, name, printer, nullptr);
}

int PathResolveUpFromSystemDir(WCHAR* dst, int size, const WCHAR* name) {
  if (!dst || !name || size <= 0) return 0;
  u16string_view rest = View(name);
  int levels = 0;
  while (StartsWithNoCase(rest, u"..\\")) {
    rest.remove_prefix(3);
    ++levels;
  }
  const u16string system = SystemDirectory();
  size_t cut = system.size();
  for (int i = 0; i < levels && cut != u16string::npos; ++i) cut = cut == 0 ? u16string::npos : system.rfind(u'\\', cut - 1);
  if (levels == 0 || system.empty() || cut == u16string::npos || cut + rest.size() + 2 > static_cast<size_t>(size)) {
    dst[0] = u'\0';
    return 0;
  }
  return Put(dst, size, JoinPath(u16string_view(system).substr(0, cut), rest)) ? 1 : 0;
}

int PathExpandSystemVars(WCHAR* path, int size, DriverContext*) {
  if (!path || size <= 0) return 0;
  if (IsAbsolute(path)) return 1;
  const u16string original(View(path));
  if (original.size() >= MAX_PATH) return 0;
  if (StartsWithNoCase(original, kSystemDriveVar)) {
    const u16string_view rest = u16string_view(original).substr(View(kSystemDriveVar).size());
    const u16string system = SystemDirectory();
    if (system.size() < 3 || static_cast<size_t>(size) < rest.size() + 4) {
      path[0] = u'\0';
      return 0;
    }
    Put(path, size, system.substr(0, 3) + u16string(rest));
    return path[0];
  }
  if (StartsWithNoCase(original, kSystemRootVar)) {
    const u16string rest = original.substr(View(kSystemRootVar).size());
    PathInWindowsDir(path, size, rest.c_str());
    return path[0];
  }
  return 0;
}
