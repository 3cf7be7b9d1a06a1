// The spooler's printer records and the system environment: records fetched with the
// platform's two-call pattern, client connections, Windows versions and terminal-server mode.
#include <atomic>

#include "context_services.h"
#include "env_system.h"
#include "settings_paths.h"

namespace {

// Process-wide answers: 0 not yet known, 1 yes, 2 no.
std::atomic<int> g_win2000OrLater{0};
std::atomic<int> g_terminalServer{0};

constexpr WCHAR kTerminalServerModule[] = u"QV00C150.dll";
constexpr char kTerminalServerExport[] = "_IsTSE_WMICOM_ZOLT_Printer_Driver";

bool GetVersionInfo(OSVERSIONINFOW& info) {
  info = {};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
  return GetVersionExW(&info) != FALSE;
}

template <size_t N>
void CopyText(WCHAR (&dst)[N], const WCHAR* src) {
  lstrcpynW(dst, src ? src : u"", static_cast<int>(N));
}

}  // namespace

static_assert(sizeof(OSVERSIONINFOW) == 276);

void* PrnGetDriverInfo(HANDLE printer, DWORD level) {
  if (!printer) return nullptr;
  DWORD needed = 0;
  if (GetPrinterDriverW(printer, nullptr, level, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
      needed == 0)
    return nullptr;
  void* block = CtxAllocMem(needed);
  if (!block) return nullptr;
  if (!GetPrinterDriverW(printer, nullptr, level, static_cast<LPBYTE>(block), needed, &needed)) {
    MdlFreeMem(block);
    return nullptr;
  }
  return block;
}

void* PrnGetPrinterInfo(HANDLE printer, DWORD level) {
  if (!printer) return nullptr;
  DWORD needed = 0;
  if (GetPrinterW(printer, level, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
    return nullptr;
  void* block = CtxAllocMem(needed);
  if (!block) return nullptr;
  if (!GetPrinterW(printer, level, static_cast<LPBYTE>(block), needed, &needed)) {
    MdlFreeMem(block);
    return nullptr;
  }
  return block;
}

void PrnCachePrinterInfo(const PRINTER_INFO_2W* pi2, DriverContext* ctx) {
  if (!pi2 || !ctx || !ctx->workArea) return;
  ContextWorkArea* wa = ctx->workArea;
  if (wa->remoteState == 0) wa->remoteState = pi2->pServerName ? 1 : 2;
  if (!wa->qualifiedPrinterName[0] && pi2->pPrinterName && lstrlenW(pi2->pPrinterName) < kCtxPathChars) {
    CopyText(wa->qualifiedPrinterName, pi2->pPrinterName);
    PrnQualifyServerName(ctx->printer, wa->qualifiedPrinterName, kCtxPathChars);
  }
  // The driver name has room for 31 characters; a longer one is cut there.
  if (!wa->driverName[0]) CopyText(wa->driverName, pi2->pDriverName);
  if (!wa->printerAttributesKnown) {
    wa->printerAttributes = pi2->Attributes;
    wa->printerAttributesKnown = 1;
  }
  if (!wa->givenPrinterName[0] && pi2->pPrinterName && lstrlenW(pi2->pPrinterName) < kCtxPathChars)
    CopyText(wa->givenPrinterName, pi2->pPrinterName);
}

int PrnInfoIsRemote(const PRINTER_INFO_2W* pi2) { return pi2 && pi2->pServerName ? 1 : 0; }

int PrnIsRemotePrinterHandle(HANDLE printer) {
  auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
  const int remote = PrnInfoIsRemote(pi2);
  MdlFreeMem(pi2);
  return remote;
}

int PrnIsRemotePrinter(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  ContextWorkArea* wa = ctx->workArea;
  if (wa->remoteState == 0) {
    auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(ctx->printer, 2));
    PrnCachePrinterInfo(pi2, ctx);
    MdlFreeMem(pi2);
    // An unreadable record counts as a local printer.
    if (wa->remoteState == 0) wa->remoteState = 2;
  }
  return wa->remoteState == 1 ? 1 : 0;
}

int EnvIsWin2000OrLater() {
  int known = g_win2000OrLater.load();
  if (known == 0) {
    OSVERSIONINFOW info;
    known = GetVersionInfo(info) && info.dwMajorVersion >= 5 ? 1 : 2;
    g_win2000OrLater = known;
  }
  return known == 1 ? 1 : 0;
}

int EnvIsServer2003OrLater() {
  OSVERSIONINFOW info;
  if (!GetVersionInfo(info) || info.dwMajorVersion <= 4) return 0;
  if (info.dwMajorVersion == 5 && (info.dwMinorVersion == 0 || info.dwMinorVersion == 1)) return 0;
  return 1;
}

int EnvIsVistaOrLater() {
  OSVERSIONINFOW info;
  return GetVersionInfo(info) && info.dwMajorVersion > 5 ? 1 : 0;
}

int EnvQueryTerminalServerEx(HANDLE printer, const WCHAR* driverPath) {
  if (!EnvIsServer2003OrLater() || !printer) {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    info.wSuiteMask = VER_SUITE_TERMINAL;
    const ULONGLONG condition = VerSetConditionMask(0, VER_SUITENAME, VER_AND);
    return VerifyVersionInfoW(&info, VER_SUITENAME, condition) ? 1 : 0;
  }
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
  if (auto check = EnvProcAs<int (*)()>(GetProcAddress(module, kTerminalServerExport))) answer = check() == 1;
  FreeLibrary(module);
  return answer;
}

int EnvIsTerminalServerModeFor(HANDLE printer, const WCHAR* driverPath) {
  int known = g_terminalServer.load();
  if (known == 0) {
    known = EnvQueryTerminalServerEx(printer, driverPath) ? 1 : 2;
    g_terminalServer = known;
  }
  return known == 1 ? 1 : 0;
}

int EnvIsTerminalServerMode(HANDLE printer) { return EnvIsTerminalServerModeFor(printer, nullptr); }

int CfgUseHtmlHelp(DriverContext* ctx) {
  if (!ctx || !ctx->profile) return 0;
  const DWORD word = EnvIsWin2000OrLater() ? ctx->profile->featureWord : ctx->profile->featureWordLegacy;
  return (word & 1) ? 1 : 0;
}

void EnvResetSystemCaches() {
  g_win2000OrLater = 0;
  g_terminalServer = 0;
}
