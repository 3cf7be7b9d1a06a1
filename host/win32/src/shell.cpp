// Well-known folders of the machine's user, the user's profile folder and COM basics.
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include "win32/hostpath.h"
#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/shell.h"

namespace fs = std::filesystem;

namespace zolt::host {
namespace {

enum class Folder { LocalAppData, LocalAppDataLow, RoamingAppData, Documents, ProgramData, Profile, Windows, System };

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

// The profile folder of the token's user: NULL is the current user, -1 the default user.
std::string ProfileOf(HANDLE token) {
  const MachineFacts& f = Machine::Facts();
  if (token == INVALID_HANDLE_VALUE)
    return f.ProfilesDirectory() + (f.majorVersion >= 6 ? "\\Default" : "\\Default User");
  return f.UserProfileDirectory();
}

// The Windows path of a folder, or empty when the machine's version has no such folder.
std::string FolderPath(Folder folder, HANDLE token) {
  const MachineFacts& f = Machine::Facts();
  const bool vista = f.majorVersion >= 6;
  const std::string profile = ProfileOf(token);
  switch (folder) {
    case Folder::LocalAppData:
      return profile + (vista ? "\\AppData\\Local" : "\\Local Settings\\Application Data");
    case Folder::LocalAppDataLow: return vista ? profile + "\\AppData\\LocalLow" : std::string();
    case Folder::RoamingAppData: return profile + (vista ? "\\AppData\\Roaming" : "\\Application Data");
    case Folder::Documents: return profile + (vista ? "\\Documents" : "\\My Documents");
    case Folder::ProgramData:
      return vista ? std::string("C:\\ProgramData") : f.ProfilesDirectory() + "\\All Users\\Application Data";
    case Folder::Profile: return profile;
    case Folder::Windows: return f.WindowsDirectory();
    case Folder::System: return f.SystemDirectory();
  }
  return std::string();
}

// The folder as the machine has it. The profile's standard folders exist on every machine of
// the platform, so they are made when a machine root lacks them.
HRESULT ResolveFolder(Folder folder, HANDLE token, std::u16string& out) {
  std::string path = FolderPath(folder, token);
  if (path.empty()) return E_FAIL;
  DWORD error = 0;
  auto real = MapPath(FromUtf8(path), Resolve::LastMayMiss, &error);
  std::error_code ec;
  if (real) {
    fs::create_directories(*real, ec);
  } else {
    // A missing parent: make the chain from the drive down.
    fs::path p = DriveRoot(u'C');
    std::string rest = path.substr(3);
    size_t i = 0;
    while (i <= rest.size()) {
      size_t j = rest.find('\\', i);
      if (j == std::string::npos) j = rest.size();
      p /= rest.substr(i, j - i);
      i = j + 1;
    }
    fs::create_directories(p, ec);
    if (ec) return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    real = MapPath(FromUtf8(path), Resolve::Existing, &error);
    if (!real) return HRESULT_FROM_WIN32(error);
  }
  out = ToWindowsPath(*real);
  return S_OK;
}

struct ComState {
  int count = 0;
  DWORD model = 0;
};
thread_local ComState t_com;

}  // namespace

LPVOID TaskMemAlloc(SIZE_T cb) { return std::malloc(cb ? cb : 1); }

LPVOID TaskMemRealloc(LPVOID pv, SIZE_T cb) {
  if (pv && cb == 0) {
    std::free(pv);
    return nullptr;
  }
  return std::realloc(pv, cb ? cb : 1);
}

void TaskMemFree(LPVOID pv) { std::free(pv); }

HRESULT ComInitialize(LPVOID reserved, DWORD coInit) {
  if (reserved) return E_INVALIDARG;
  DWORD model = coInit & COINIT_APARTMENTTHREADED;
  if (t_com.count > 0 && t_com.model != model) return RPC_E_CHANGED_MODE;
  t_com.model = model;
  return t_com.count++ == 0 ? S_OK : S_FALSE;
}

void ComUninitialize() {
  if (t_com.count > 0) --t_com.count;
}

HRESULT FolderPathByCsidl(int csidl, HANDLE token, LPWSTR path) {
  if (!path) return E_INVALIDARG;
  Folder folder;
  switch (csidl & ~CSIDL_FLAG_MASK) {
    case CSIDL_PERSONAL: folder = Folder::Documents; break;
    case CSIDL_APPDATA: folder = Folder::RoamingAppData; break;
    case CSIDL_LOCAL_APPDATA: folder = Folder::LocalAppData; break;
    case CSIDL_COMMON_APPDATA: folder = Folder::ProgramData; break;
    case CSIDL_WINDOWS: folder = Folder::Windows; break;
    case CSIDL_SYSTEM: folder = Folder::System; break;
    case CSIDL_PROFILE: folder = Folder::Profile; break;
    default: return E_INVALIDARG;
  }
  std::u16string text;
  HRESULT hr = ResolveFolder(folder, token, text);
  if (FAILED(hr)) return hr;
  if (text.size() >= MAX_PATH) return E_FAIL;
  std::memcpy(path, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
  return S_OK;
}

HRESULT KnownFolderPath(const KNOWNFOLDERID& id, DWORD, HANDLE token, PWSTR* path) {
  if (!path) return E_INVALIDARG;
  *path = nullptr;
  static const std::pair<const KNOWNFOLDERID*, Folder> kFolders[] = {
      {&FOLDERID_LocalAppDataLow, Folder::LocalAppDataLow}, {&FOLDERID_LocalAppData, Folder::LocalAppData},
      {&FOLDERID_RoamingAppData, Folder::RoamingAppData},   {&FOLDERID_Documents, Folder::Documents},
      {&FOLDERID_ProgramData, Folder::ProgramData},         {&FOLDERID_Profile, Folder::Profile},
      {&FOLDERID_Windows, Folder::Windows},                 {&FOLDERID_System, Folder::System},
  };
  for (const auto& [guid, folder] : kFolders) {
    if (!SameGuid(*guid, id)) continue;
    std::u16string text;
    HRESULT hr = ResolveFolder(folder, token, text);
    if (FAILED(hr)) return hr;
    auto* out = static_cast<PWSTR>(TaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
    if (!out) return E_OUTOFMEMORY;
    std::memcpy(out, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
    *path = out;
    return S_OK;
  }
  return E_INVALIDARG;
}

BOOL UserProfileDirectory(HANDLE token, LPWSTR dir, LPDWORD cch) {
  if (!token) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!cch) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::u16string text;
  HRESULT hr = ResolveFolder(Folder::Profile, nullptr, text);
  if (FAILED(hr)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  const DWORD need = static_cast<DWORD>(text.size() + 1);
  if (!dir || *cch < need) {
    *cch = need;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(dir, text.c_str(), need * sizeof(WCHAR));
  *cch = need;
  return TRUE;
}

}  // namespace zolt::host

using namespace zolt::host;

WIN32_API LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb) { return TaskMemAlloc(cb); }
WIN32_API LPVOID WINAPI CoTaskMemRealloc(LPVOID pv, SIZE_T cb) { return TaskMemRealloc(pv, cb); }
WIN32_API void WINAPI CoTaskMemFree(LPVOID pv) { TaskMemFree(pv); }
WIN32_API HRESULT WINAPI CoInitialize(LPVOID pvReserved) { return ComInitialize(pvReserved, COINIT_APARTMENTTHREADED); }
WIN32_API HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit) { return ComInitialize(pvReserved, dwCoInit); }
WIN32_API void WINAPI CoUninitialize(void) { ComUninitialize(); }
WIN32_API HRESULT WINAPI SHGetFolderPathW(HWND, int csidl, HANDLE hToken, DWORD, LPWSTR pszPath) {
  return FolderPathByCsidl(csidl, hToken, pszPath);
}
WIN32_API HRESULT WINAPI SHGetKnownFolderPath(REFKNOWNFOLDERID rfid, DWORD dwFlags, HANDLE hToken, PWSTR* ppszPath) {
  return KnownFolderPath(rfid, dwFlags, hToken, ppszPath);
}
WIN32_API BOOL WINAPI GetUserProfileDirectoryW(HANDLE hToken, LPWSTR lpProfileDir, LPDWORD lpcchSize) {
  return UserProfileDirectory(hToken, lpProfileDir, lpcchSize);
}
