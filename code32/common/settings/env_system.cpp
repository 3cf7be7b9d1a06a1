// The running system: Windows version, terminal-server mode, administrator rights, the host
// process and the help format of the model.
#include <atomic>

#include "env_system.h"
#include "settings_paths.h"

namespace {

// Process-wide answers: 0 not yet known, 1 yes, 2 no.
std::atomic<int> g_win2000OrLater{0};
std::atomic<int> g_terminalServer{0};

bool GetVersionEx(OSVERSIONINFOEXW& info) {
  info = {};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
  return GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
}

// The help-type word of the running Windows generation.
DWORD ModelOsWord(const DriverContext* ctx) {
  if (!ctx || !ctx->profile) return 0;
  return EnvIsWin2000OrLater() ? ctx->profile->featureWord : ctx->profile->featureWordLegacy;
}

// Everything the administrator check holds, released on every path.
struct AdminCheckResources {
  bool impersonating = false;
  HANDLE token = nullptr;
  PSID administrators = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;

  ~AdminCheckResources() {
    if (dacl) LocalFree(dacl);
    if (descriptor) LocalFree(descriptor);
    if (administrators) FreeSid(administrators);
    if (token) CloseHandle(token);
    if (impersonating) RevertToSelf();
  }
};

}  // namespace

static_assert(sizeof(OSVERSIONINFOW) == 276 && sizeof(OSVERSIONINFOEXW) == 284);

BOOL EnvGetVersionInfo(OSVERSIONINFOW* out) {
  if (!out) return FALSE;
  *out = {};
  out->dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
  return GetVersionExW(out);
}

int EnvIsWin2000OrLater() {
  int known = g_win2000OrLater.load();
  if (known == 0) {
    OSVERSIONINFOW info;
    known = EnvGetVersionInfo(&info) && info.dwMajorVersion >= 5 ? 1 : 2;
    g_win2000OrLater = known;
  }
  return known == 1 ? 1 : 0;
}

int EnvIsServer2003OrLater() {
  OSVERSIONINFOW info;
  if (!EnvGetVersionInfo(&info) || info.dwMajorVersion <= 4) return 0;
  if (info.dwMajorVersion == 5 && (info.dwMinorVersion == 0 || info.dwMinorVersion == 1)) return 0;
  return 1;
}

int EnvIsVistaOrLater() {
  OSVERSIONINFOW info;
  return EnvGetVersionInfo(&info) && info.dwMajorVersion > 5 ? 1 : 0;
}

int EnvIsWin9x() {
  OSVERSIONINFOW info;
  return EnvGetVersionInfo(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0;
}

int EnvIsWin2000BeforeSp4() {
  OSVERSIONINFOEXW info;
  return GetVersionEx(info) && info.dwMajorVersion == 5 && info.dwMinorVersion == 0 && info.wServicePackMajor < 4
             ? 1
             : 0;
}

int EnvIsWin2000Sp4() {
  OSVERSIONINFOEXW info;
  return GetVersionEx(info) && info.dwMajorVersion == 5 && info.dwMinorVersion == 0 && info.wServicePackMajor == 4
             ? 1
             : 0;
}

int EnvQueryTerminalServerEx(HANDLE printer, const WCHAR* driverPath) {
  if (!EnvIsServer2003OrLater() || !printer) {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    info.wSuiteMask = VER_SUITE_TERMINAL;
    const ULONGLONG condition = VerSetConditionMask(0, VER_SUITENAME, VER_AND);
    return VerifyVersionInfoW(&info, VER_SUITENAME, condition) ? 1 : 0;
  }
  // From Windows Server 2003 on, the check module in the driver directory decides; without it
  // the driver is never in terminal-server mode.
  WCHAR path[MAX_PATH] = {};
  if (driverPath)
    PathGetDriverDirOfPath(printer, path, MAX_PATH, driverPath);
  else
    PathGetDriverDirOf(printer, path, MAX_PATH);
  if (!path[0] || lstrlenW(path) + lstrlenW(kTerminalServerModule) >= MAX_PATH) return 0;
  lstrcatW(path, kTerminalServerModule);
  HMODULE module = LoadLibraryW(path);
  if (!module) return 0;
  int answer = 0;
  if (auto check = EnvProcAs<int (*)()>(GetProcAddress(module, kTerminalServerExport)))
    answer = check() == 1 ? 1 : 0;
  FreeLibrary(module);
  return answer;
}

int EnvQueryTerminalServer(HANDLE printer) { return EnvQueryTerminalServerEx(printer, nullptr); }

int EnvQueryTerminalServerForDriver(HANDLE printer, const WCHAR* driverPath) {
  return EnvQueryTerminalServerEx(printer, driverPath);
}

int EnvIsTerminalServerModeEx(HANDLE printer, const WCHAR* driverPath) {
  int known = g_terminalServer.load();
  if (known == 0) {
    known = EnvQueryTerminalServerEx(printer, driverPath) ? 1 : 2;
    g_terminalServer = known;
  }
  return known == 1 ? 1 : 0;
}

int EnvIsTerminalServerMode(HANDLE printer) { return EnvIsTerminalServerModeEx(printer, nullptr); }

int EnvIsTerminalServerModeFor(HANDLE printer, const WCHAR* driverPath) {
  return EnvIsTerminalServerModeEx(printer, driverPath);
}

int EnvCheckAdministratorToken() {
  AdminCheckResources r;
  r.impersonating = ImpersonateSelf(SecurityImpersonation) != FALSE;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &r.token)) {
    r.token = nullptr;
    if (GetLastError() != ERROR_NO_TOKEN || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &r.token)) {
      r.token = nullptr;
      return 0;
    }
  }
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                0, &r.administrators)) {
    r.administrators = nullptr;
    return 0;
  }
  r.descriptor = LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH);
  if (!r.descriptor || !InitializeSecurityDescriptor(r.descriptor, SECURITY_DESCRIPTOR_REVISION)) return 0;
  // One allowing ACE: the ACL header, the ACE without its first SID word, and the SID.
  const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(r.administrators);
  r.dacl = static_cast<PACL>(LocalAlloc(LPTR, aclSize));
  if (!r.dacl || !InitializeAcl(r.dacl, aclSize, ACL_REVISION)) return 0;
  constexpr DWORD kAccessRead = 1;
  constexpr DWORD kAccessWrite = 2;
  if (!AddAccessAllowedAce(r.dacl, ACL_REVISION, kAccessRead | kAccessWrite, r.administrators)) return 0;
  if (!SetSecurityDescriptorDacl(r.descriptor, TRUE, r.dacl, FALSE) ||
      !SetSecurityDescriptorOwner(r.descriptor, r.administrators, FALSE) ||
      !SetSecurityDescriptorGroup(r.descriptor, r.administrators, FALSE) || !IsValidSecurityDescriptor(r.descriptor))
    return 0;
  GENERIC_MAPPING mapping{kAccessRead, kAccessWrite, 0, kAccessRead | kAccessWrite};
  PRIVILEGE_SET privileges{};
  DWORD privilegesSize = sizeof(privileges);
  DWORD granted = 0;
  BOOL status = FALSE;
  if (!AccessCheck(r.descriptor, r.token, kAccessRead, &mapping, &privileges, &privilegesSize, &granted, &status))
    return 0;
  return status ? 1 : 0;
}

int EnvIsAdministrator(DriverContext* ctx) {
  if (ctx && ctx->workArea && !ctx->workArea->adminCheck) return 1;
  return EnvCheckAdministratorToken();
}

int EnvIsExplorerHost() {
  WCHAR host[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, host, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 0;
  WCHAR shell[MAX_PATH] = {};
  if (!PathInWindowsDir(shell, MAX_PATH, u"explorer.exe") || !shell[0]) return 0;
  return lstrcmpiW(host, shell) == 0 ? 1 : 0;
}

int CfgUseHtmlHelp(DriverContext* ctx) { return (ModelOsWord(ctx) & 1) ? 1 : 0; }

int CfgTestModelOsFlag(DriverContext* ctx, DWORD mask) { return (ModelOsWord(ctx) & mask) ? 1 : 0; }

void EnvResetSystemCaches() {
  g_win2000OrLater = 0;
  g_terminalServer = 0;
}
