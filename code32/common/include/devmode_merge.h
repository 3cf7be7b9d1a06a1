// Bringing the context's working device mode up to date with a caller's device mode, and taking
// the printer's own default device mode from the spooler.
#pragma once

#include "driver_context.h"
#include "win32/windows.h"

// Merge flags (held in the work area's merge-flags word for the request).
enum : DWORD {
  kMergeWithUi = 0x4,
  kMergeDocument = 0x8,
  kMergeKeepLockPrnMethod = 0x10000,
  kMergeImageFormJob = 0x20000,
  kMergeHeaderFooterLock = 0x200000,
  kMergeJobSupportBits = 0x400000,
  kMergeUserMacroQuality = 0x2000000,
  kMergeSettingsFileLoad = 0x10000000,
  kMergeCompactImported = 0x40000000,
  kMergeReloadLocks = 0xC220004,
  kMergeRunTransacts = 0x1D220004,
};

// 1 done (or nothing to do), 0 out of memory (the working device mode unchanged).
int DmMergeIncoming(DriverContext* ctx, const DEVMODEW* incoming, DWORD flags);
// The printer's default device mode over block 1 when it has the current sizes and a known spec
// version. 1 when copied.
int DmCopyPrinterDefault(DriverContext* ctx);
// DmCopyPrinterDefault, and when it copied, whether the copy has this driver's layout.
int CfgTakePrinterDefaultDevmode(DriverContext* ctx);
