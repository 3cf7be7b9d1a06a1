// The administrator-lock bits of the printer configuration.
#include "option_access.h"
#include "option_values.h"

namespace {

int Bit(DriverContext* ctx, uint16_t id) { return OptGetValue(ctx, id, nullptr); }

}  // namespace

int OptIsLockEnabled(DriverContext* ctx) { return Bit(ctx, kOptLockEnabled); }
int OptIsDefaultLocked(DriverContext* ctx) { return Bit(ctx, kOptLockDefault); }
int OptIsTrayLocked(DriverContext* ctx) { return Bit(ctx, kOptLockTray); }
int OptIsMediaLocked(DriverContext* ctx) { return Bit(ctx, kOptLockMedia); }
int OptIsNupKindLocked(DriverContext* ctx) { return Bit(ctx, kOptLockNupKind); }
int OptIsNupKindAllLocked(DriverContext* ctx) { return Bit(ctx, kOptLockNupKindAll); }
int OptIsDuplexLocked(DriverContext* ctx) { return Bit(ctx, kOptLockDuplex); }
int OptIsPrintTypeLocked(DriverContext* ctx) { return Bit(ctx, kOptLockPrintType); }
int OptIsResolutionLocked(DriverContext* ctx) { return Bit(ctx, kOptLockResolution); }
int OptIsColorLocked(DriverContext* ctx) { return Bit(ctx, kOptLockColor); }
int OptIsHeaderFooterLocked(DriverContext* ctx) { return Bit(ctx, kOptLockHeaderFooter); }

int OptHasAnyLock(DriverContext* ctx) {
  for (uint16_t id = kOptLockDefault; id <= kOptLockBitLast; ++id)
    if (Bit(ctx, id) != 0) return 1;
  return 0;
}
