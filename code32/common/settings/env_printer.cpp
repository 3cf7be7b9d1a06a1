// The spooler's printer and driver records and what the driver reads from them: client
// connections, the printer's attributes (bidirectional communication), renamed printers and the
// administrator's change mark.
#include "env_system.h"

namespace {

constexpr WCHAR kClientNameValue[] = u"ClientName";
constexpr WCHAR kAdminChangeValue[] = u"AdminChange";
constexpr DWORD kStoredNameBytes = 522;

template <size_t N>
void CopyText(WCHAR (&dst)[N], const WCHAR* src) {
  lstrcpynW(dst, src ? src : u"", static_cast<int>(N));
}

// The platform's two-call pattern: a size query that must fail with ERROR_INSUFFICIENT_BUFFER,
// then a zero-filled block of the reported size.
template <typename Query>
void* FetchRecord(Query query, bool needSize) {
  DWORD needed = 0;
  if (query(nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER) return nullptr;
  if (needSize && needed == 0) return nullptr;
  void* block = CtxAllocMem(needed ? needed : 1);
  if (!block) return nullptr;
  DWORD got = 0;
  if (!query(static_cast<LPBYTE>(block), needed, &got)) {
    MdlFreeMem(block);
    return nullptr;
  }
  return block;
}

void* FetchPrinter(HANDLE printer, DWORD level, bool needSize) {
  if (!printer) return nullptr;
  return FetchRecord(
      [&](LPBYTE buffer, DWORD size, LPDWORD needed) { return GetPrinterW(printer, level, buffer, size, needed); },
      needSize);
}

}  // namespace

void* PrnGetDriverInfo(HANDLE printer, DWORD level) {
  if (!printer) return nullptr;
  return FetchRecord(
      [&](LPBYTE buffer, DWORD size, LPDWORD needed) {
        return GetPrinterDriverW(printer, nullptr, level, buffer, size, needed);
      },
      true);
}

void* PrnGetPrinterInfo(HANDLE printer, DWORD level) { return FetchPrinter(printer, level, true); }

void* JcGetPrinterInfo(HANDLE printer, DWORD level) { return FetchPrinter(printer, level, false); }

void PrnCachePrinterInfo(const PRINTER_INFO_2W* pi2, DriverContext* ctx) {
  if (!pi2 || !ctx || !ctx->workArea) return;
  ContextWorkArea* wa = ctx->workArea;
  if (wa->remoteState == 0) wa->remoteState = pi2->pServerName ? 1 : 2;
  // Names longer than their buffers are not cut into another printer's name: they stay unknown.
  if (!wa->qualifiedPrinterName[0] && pi2->pPrinterName && lstrlenW(pi2->pPrinterName) < kCtxPathChars) {
    CopyText(wa->qualifiedPrinterName, pi2->pPrinterName);
    PrnQualifyServerName(ctx->printer, wa->qualifiedPrinterName, kCtxPathChars);
  }
  // The work area keeps 31 characters of the driver name; a longer one is cut there.
  if (!wa->driverName[0]) CopyText(wa->driverName, pi2->pDriverName);
  if (!wa->printerAttributesKnown) {
    wa->printerAttributes = pi2->Attributes;
    wa->printerAttributesKnown = 1;
  }
  if (!wa->givenPrinterName[0] && pi2->pPrinterName && lstrlenW(pi2->pPrinterName) < kCtxPathChars)
    CopyText(wa->givenPrinterName, pi2->pPrinterName);
}

DWORD PrnTestAttributes(DWORD mask, DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  ContextWorkArea* wa = ctx->workArea;
  if (!wa->printerAttributesKnown) {
    auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(ctx->printer, 2));
    PrnCachePrinterInfo(pi2, ctx);
    MdlFreeMem(pi2);
    if (!wa->printerAttributesKnown) return 0;
  }
  return mask & wa->printerAttributes;
}

int PrnIsBidiEnabled(DriverContext* ctx) { return PrnTestAttributes(PRINTER_ATTRIBUTE_ENABLE_BIDI, ctx) ? 1 : 0; }

int PrnInfoHasServer(const PRINTER_INFO_2W* pi2) { return pi2 && pi2->pServerName ? 1 : 0; }
int PrnInfoIsRemote(const PRINTER_INFO_2W* pi2) { return PrnInfoHasServer(pi2); }
int PrnInfoIsLocal(const PRINTER_INFO_2W* pi2) { return PrnInfoHasServer(pi2) ? 0 : 1; }

int PrnQueryIsRemoteHandle(HANDLE printer) {
  auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
  const int remote = PrnInfoHasServer(pi2);
  MdlFreeMem(pi2);
  return remote;
}

int PrnIsRemotePrinterHandle(HANDLE printer) { return PrnQueryIsRemoteHandle(printer); }
int PrnIsLocalPrinterHandle(HANDLE printer) { return PrnQueryIsRemoteHandle(printer) ? 0 : 1; }

int PrnQueryIsRemote(DriverContext* ctx) {
  if (!ctx) return 0;
  auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(ctx->printer, 2));
  PrnCachePrinterInfo(pi2, ctx);
  const int remote = PrnInfoHasServer(pi2);
  MdlFreeMem(pi2);
  return remote;
}

int PrnIsRemotePrinter(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  ContextWorkArea* wa = ctx->workArea;
  if (wa->remoteState == 0) {
    // An unreadable record counts as a local printer.
    wa->remoteState = PrnQueryIsRemote(ctx) ? 1 : 2;
  }
  return wa->remoteState == 1 ? 1 : 0;
}

int PrnWasRenamed(HANDLE printer, const PRINTER_INFO_2W* pi2) {
  if (!pi2 || pi2->pServerName) return 0;
  WCHAR clientName[MAX_PATH + 1] = {};
  if (PrnGetData(printer, clientName, MAX_PATH * sizeof(WCHAR), kClientNameValue, nullptr) && clientName[0]) return 0;
  // The remote-configuration service is off in this build: no printer has a server type (17
  // would mark a printer configured from a server), so that test never holds here.
  WCHAR stored[kStoredNameBytes / sizeof(WCHAR) + 1] = {};
  if (!PrnGetData(printer, stored, kStoredNameBytes, kStoredPrinterNameValue, nullptr)) return 1;
  return lstrcmpiW(stored, pi2->pPrinterName ? pi2->pPrinterName : u"") != 0 ? 1 : 0;
}

int PrnReadAdminChange(HANDLE printer, DWORD* out) {
  if (!out) return 0;
  DWORD value = 0;
  if (!PrnGetData(printer, &value, sizeof(value), kAdminChangeValue, nullptr)) return 0;
  *out = value;
  return value != 0 ? 1 : 0;
}
