// The two process-wide caches of released contexts. A released context is parked with the
// tick count of its release and handed back unchanged to the next creation for the same
// printer and mode within 500 ms; older ones are destroyed by the next lookup.
//
// Table 1 (critical section 1) holds contexts of the device-capabilities mode, table 2
// (critical section 2) all others. Only the table operations run under a section; contexts
// are destroyed outside them, and the two sections are never held together.
#include <string_view>

#include "context_services.h"
#include "ctx_internal.h"

namespace {

constexpr uint16_t kOptPassThrough = 727;  // bit 0: values passed through for the job-binding tool
constexpr DWORD kPassThroughBit = 0x1;

ContextCache g_tables[2];

int TableIndexForMode(DWORD mode) { return mode == kCtxModeDeviceCaps ? 0 : 1; }
int LockOf(int tableIndex) { return tableIndex + 1; }

// Milliseconds since a tick count, correct across the 32-bit wrap of the tick counter.
DWORD Age(DWORD now, DWORD then) { return now - then; }

// A context whose pass-through option has bit 0 set is never parked. The option is a field
// of the device mode at the start of the settings image.
bool HoldsPassThroughValues(DriverContext* ctx) {
  if (!ctx->settingsImage) return false;
  const OptionEntry* row = OptFind(ctx, kOptPassThrough);
  if (!row || TypeBlock(row->typeWord) != kBlockDevmode || row->offset >= kFullDevModeSize) return false;
  const BYTE firstByte = reinterpret_cast<const BYTE*>(ctx->settingsImage)[row->offset];
  return (firstByte & kPassThroughBit) != 0;
}

DriverContext* TakeMatching(HANDLE hPrinter, HANDLE hPrinter2, WORD flags, DWORD mode, DWORD documentMode,
                            std::u16string_view name) {
  if (flags != 0 && !(flags & kCtxFlagReuseAnyFlags)) return nullptr;
  const int t = TableIndexForMode(mode);
  DriverContext* found = nullptr;
  EnvEnterLock(LockOf(t));
  for (ContextCacheSlot& slot : g_tables[t].slots) {
    DriverContext* ctx = slot.context;
    if (!ctx || !ctx->workArea) continue;
    const ContextWorkArea* wa = ctx->workArea;
    if (!(flags & kCtxFlagReuseAnyHandle) && ctx->printer != hPrinter) continue;
    if (wa->creationMode != mode) continue;
    if (std::u16string_view(wa->qualifiedPrinterName) != name) continue;
    if (mode == kCtxModeDocumentNoUi && documentMode == 2 && wa->documentMode != 2) continue;
    if (flags & kCtxFlagReuseAnyHandle) {
      ctx->printer = hPrinter;
      ctx->printer2 = hPrinter2;
    }
    slot = {};
    found = ctx;
    break;
  }
  EnvLeaveLock(LockOf(t));
  return found;
}

}  // namespace

void CtxInitCache() {
  for (int t = 0; t < 2; ++t) {
    EnvEnterLock(LockOf(t));
    g_tables[t] = {};
    EnvLeaveLock(LockOf(t));
  }
}

void CtxPurgeCache(int all) {
  const DWORD now = CtxGetTickCount();
  DriverContext* doomed[4] = {};
  int count = 0;
  for (int t = 0; t < 2; ++t) {
    EnvEnterLock(LockOf(t));
    for (ContextCacheSlot& slot : g_tables[t].slots) {
      if (slot.context && (all || Age(now, slot.parkedAt) > kCtxReuseMilliseconds)) {
        doomed[count++] = slot.context;
        slot = {};
      }
    }
    EnvLeaveLock(LockOf(t));
  }
  for (int i = 0; i < count; ++i) CtxFreeContext(doomed[i], kCtxReleaseDestroy);
}

DriverContext* CtxFindCachedByName(HANDLE hPrinter, HANDLE hPrinter2, WORD flags, DWORD mode, DWORD documentMode,
                                   const WCHAR* printerName) {
  CtxPurgeCache(0);
  if (!printerName || !printerName[0]) return nullptr;
  return TakeMatching(hPrinter, hPrinter2, flags, mode, documentMode, printerName);
}

DriverContext* CtxFindCached(HANDLE hPrinter, HANDLE hPrinter2, void* /*reserved*/, WORD flags, DWORD mode,
                             DWORD documentMode, PRINTER_INFO_2W* pi2) {
  CtxPurgeCache(0);

  // The name to match: the record's printer name, server-qualified on Windows Vista and later
  // as the context's cached name is.
  void* fetched = pi2 ? nullptr : PrnGetPrinterInfo(hPrinter, 2);
  WCHAR* name = CtxCopyPrinterName(pi2 ? pi2 : static_cast<PRINTER_INFO_2W*>(fetched));
  MdlFreeMem(fetched);
  if (!name) return nullptr;
  WCHAR qualified[kCtxPathChars] = {};
  std::u16string_view match = name;
  if (EnvIsVistaOrLater() && match.size() < kCtxPathChars) {
    match.copy(qualified, match.size());
    PrnQualifyServerName(hPrinter, qualified, kCtxPathChars);
    match = qualified;
  }
  DriverContext* found = match.empty() ? nullptr : TakeMatching(hPrinter, hPrinter2, flags, mode, documentMode, match);
  MdlFreeMem(name);
  return found;
}

int CtxDestroy(DriverContext* ctx, WORD kind) {
  if (!ctx) return 0;
  if ((kind == kCtxReleasePark || kind == kCtxReleaseParkCaps) && ctx->workArea && !HoldsPassThroughValues(ctx)) {
    const int t = kind == kCtxReleaseParkCaps ? 0 : 1;
    DriverContext* evicted = nullptr;
    EnvEnterLock(LockOf(t));
    const DWORD now = CtxGetTickCount();
    ContextCacheSlot* target = nullptr;
    for (ContextCacheSlot& slot : g_tables[t].slots)
      if (!slot.context) {
        target = &slot;
        break;
      }
    if (!target) {
      // Both slots taken: the one parked longest ago makes room (the first on a tie).
      target = &g_tables[t].slots[0];
      for (ContextCacheSlot& slot : g_tables[t].slots)
        if (Age(now, slot.parkedAt) > Age(now, target->parkedAt)) target = &slot;
      evicted = target->context;
    }
    *target = {ctx, now};
    EnvLeaveLock(LockOf(t));
    if (evicted) CtxFreeContext(evicted, kCtxReleasePark);
    return 1;
  }
  CtxFreeContext(ctx, kind);
  return 1;
}

int CtxRelease(DriverContext* ctx) { return CtxDestroy(ctx, kCtxReleasePark); }

int CtxReleaseAs(DriverContext* ctx, WORD kind) { return CtxDestroy(ctx, kind); }
