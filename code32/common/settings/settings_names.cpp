// The printer and driver names that serve as section names of the settings files: the
// server-qualified printer name, the plain name, client-side-rendering names and the driver name.
#include <string>
#include <string_view>

#include "context_services.h"
#include "env_system.h"
#include "settings_paths.h"

namespace {

using std::u16string;
using std::u16string_view;

constexpr WCHAR kDsSpoolerKey[] = u"DsSpooler";
constexpr DWORD kDsValueBytes = 260;
constexpr WCHAR kCsrPrefix[] = u"\\\\CSR|";

u16string_view View(const WCHAR* text) { return text ? u16string_view(text, lstrlenW(text)) : u16string_view(); }

// A "DsSpooler" text value (at most 260 bytes); empty when it cannot be read.
u16string ReadDsSpoolerText(HANDLE printer, const WCHAR* valueName) {
  WCHAR value[kDsValueBytes / sizeof(WCHAR) + 1] = {};
  DWORD type = 0;
  DWORD needed = 0;
  if (GetPrinterDataExW(printer, kDsSpoolerKey, valueName, &type, reinterpret_cast<LPBYTE>(value), kDsValueBytes,
                        &needed) != ERROR_SUCCESS)
    return {};
  return u16string(View(value));
}

bool Put(WCHAR* dst, int size, u16string_view text) {
  if (!dst || size <= 0 || text.size() >= static_cast<size_t>(size)) return false;
  text.copy(dst, text.size());
  dst[text.size()] = u'\0';
  return true;
}

// Fills the context's name caches from its cached record or a fresh one.
void CacheNames(DriverContext* ctx) {
  ContextWorkArea* wa = ctx->workArea;
  if (wa->printerInfo2) {
    PrnCachePrinterInfo(wa->printerInfo2, ctx);
    return;
  }
  auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(ctx->printer, 2));
  PrnCachePrinterInfo(pi2, ctx);
  MdlFreeMem(pi2);
}

}  // namespace

int PrnQualifyServerName(HANDLE printer, WCHAR* name, int size) {
  if (!name || size <= 0 || !EnvIsVistaOrLater()) return 0;
  if (name[0] != u'\\' || name[1] != u'\\') return 0;
  const u16string server = ReadDsSpoolerText(printer, u"shortServerName");
  const u16string printerName = ReadDsSpoolerText(printer, u"printerName");
  if (server.empty() || printerName.empty() || server.size() + printerName.size() + 3 >= static_cast<size_t>(size))
    return 0;
  return Put(name, size, u"\\\\" + server + u"\\" + printerName) ? 1 : 0;
}

WCHAR* PrnGetName(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return nullptr;
  if (!ctx->workArea->qualifiedPrinterName[0]) CacheNames(ctx);
  return ctx->workArea->qualifiedPrinterName;
}

int PrnNameFromInfo(HANDLE printer, WCHAR* dst, int size, const PRINTER_INFO_2W* pi2) {
  if (!dst || size <= 0 || !pi2 || !pi2->pPrinterName) return 0;
  if (!Put(dst, size, View(pi2->pPrinterName))) return 0;
  PrnQualifyServerName(printer, dst, size);
  return 1;
}

int PrnGetNameOf(HANDLE printer, WCHAR* dst, int size) {
  auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
  const int found = PrnNameFromInfo(printer, dst, size, pi2);
  MdlFreeMem(pi2);
  return found;
}

WCHAR* PrnGetPlainName(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return nullptr;
  if (!ctx->workArea->givenPrinterName[0]) CacheNames(ctx);
  return ctx->workArea->givenPrinterName;
}

WCHAR* PrnResolveCsrName(HANDLE printer, WCHAR* out, int size, const PRINTER_INFO_2W* pi2) {
  if (!pi2 || !pi2->pPrinterName) return nullptr;
  if (!out || size <= 0 || !EnvIsVistaOrLater() || !pi2->pServerName) return out;
  const u16string_view name = View(pi2->pPrinterName);
  const u16string_view prefix = kCsrPrefix;
  if (name.size() < prefix.size() || _wcsnicmp(name.data(), prefix.data(), prefix.size()) != 0) return out;
  const u16string_view afterBar = name.substr(prefix.size());
  const size_t slash = afterBar.find(u'\\');
  if (slash == u16string_view::npos) return out;
  const u16string_view server = afterBar.substr(0, slash);
  const u16string printerName = ReadDsSpoolerText(printer, u"printerName");
  if (server.empty() || printerName.empty() || server.size() + printerName.size() + 3 >= static_cast<size_t>(size))
    return out;
  Put(out, size, u"\\\\" + u16string(server) + u"\\" + printerName);
  return out;
}

WCHAR* PrnResolveName(HANDLE printer, WCHAR* out, int size, const PRINTER_INFO_2W* pi2) {
  if (!out || size <= 0) return nullptr;
  out[0] = u'\0';
  WCHAR* result = PrnResolveCsrName(printer, out, size, pi2);
  if (!out[0] && pi2 && pi2->pPrinterName) Put(out, size, View(pi2->pPrinterName));
  return result;
}

WCHAR* PrnGetResolvedName(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return nullptr;
  ContextWorkArea* wa = ctx->workArea;
  if (!wa->resolvedPrinterName[0]) {
    PRINTER_INFO_2W* pi2 = wa->printerInfo2;
    void* fresh = pi2 ? nullptr : PrnGetPrinterInfo(ctx->printer, 2);
    if (!pi2) pi2 = static_cast<PRINTER_INFO_2W*>(fresh);
    PrnResolveCsrName(ctx->printer, wa->resolvedPrinterName, kCtxPathChars, pi2);
    MdlFreeMem(fresh);
  }
  return wa->resolvedPrinterName[0] ? wa->resolvedPrinterName : PrnGetPlainName(ctx);
}

WCHAR* PrnGetDriverName(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return nullptr;
  ContextWorkArea* wa = ctx->workArea;
  if (!wa->driverName[0]) CacheNames(ctx);
  if (!wa->driverName[0] && ctx->profile && ctx->profile->defaultDriverName)
    lstrcpynW(wa->driverName, ctx->profile->defaultDriverName, kCtxShortNameChars);
  return wa->driverName;
}

int PrnGetDriverNameOf(HANDLE printer, WCHAR* out) {
  if (!out) return 0;
  out[0] = u'\0';
  if (auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2))) {
    if (pi2->pDriverName) lstrcpynW(out, pi2->pDriverName, kCtxShortNameChars);
    MdlFreeMem(pi2);
  }
  const DriverProfile* profile = CtxGetTemplate()->profile;
  if (!out[0] && profile->defaultDriverName) lstrcpynW(out, profile->defaultDriverName, kCtxShortNameChars);
  return out[0] ? 1 : 0;
}

WCHAR* CfgInstallSection(DriverContext* ctx) { return PrnGetName(ctx); }

int PrnGetSectionNameOf(HANDLE printer, WCHAR* dst, int size) { return PrnGetNameOf(printer, dst, size); }

const WCHAR* CfgBatchInstallDoneKey() { return u"BatchInstallDone"; }
