// The resolution cap: a page whose size in dots at the chosen resolution passes what the engine
// can take is printed at 600 dpi at most; under the administrator's resolution lock the locked
// resolution limits the cap too.
#include <cstdint>
#include <cstring>

#include "context_services.h"
#include "device_caps.h"
#include "devmode_public.h"
#include "env_system.h"
#include "finishing_rules.h"
#include "option_access.h"
#include "option_values.h"

namespace {

enum : uint16_t {
  kOptSrcPaperLengthDot = 40,
  kOptSrcPaperWidthDot = 41,
  kOptDstPaperLengthDot = 47,
  kOptDstPaperWidthDot = 48,
  kOptFuncSelectScale = 55,
  kOptFuncSelectNup = 56,
  kOptScaleType = 87,
  kOptScaleH = 89,
  kOptScaleV = 90,
  kOptNupPostKind = 91,
  kOptNupType = 92,
  kOptLoadShare = 227,
  kOptLockDstResolutionBoth = 10442,
};

constexpr WORD kFeatureAdminLocks = 2;
constexpr int32_t kDotsBelow = 30709;      // a page below this many dots takes any resolution
constexpr int32_t kDotLimit = 32124;       // the most dots one side may have
constexpr int32_t kScaledDotLimit = 30708;
constexpr WORD kCapResolution = 600;
constexpr int32_t kOutputSameAsSource = 1024;
constexpr int32_t kNupKindPoster = 9;
constexpr int32_t kNupTypeBase = 0x8000;

int32_t Value(DriverContext* ctx, uint16_t id) { return OptGetValue(ctx, id, nullptr); }

bool BothBelow(DriverContext* ctx, uint16_t widthId, uint16_t lengthId, int32_t bound) {
  return Value(ctx, widthId) < bound && Value(ctx, lengthId) < bound;
}
bool BothAtMost(DriverContext* ctx, uint16_t widthId, uint16_t lengthId, int32_t bound) {
  return Value(ctx, widthId) <= bound && Value(ctx, lengthId) <= bound;
}

// Step 2 of the cap: the resolution and both papers brought up to date in the settings.
void RefreshResolutionAndPaper(DriverContext* ctx, int useDst) {
  auto* dm = reinterpret_cast<BYTE*>(ctx->settingsImage);
  if (!dm) return;
  if (useDst)
    DmSetResolutionFromOptions(dm, ctx);
  else
    DmApplyPrintQuality(dm, ctx);
  DWORD fields = 0;
  std::memcpy(&fields, dm + kDmPubFields, sizeof(fields));
  const DWORD lengthAndWidth = kDmFieldPaperLength | kDmFieldPaperWidth;
  if (!useDst && (fields & lengthAndWidth) == lengthAndWidth) {
    OptSetSourcePaperFromDmSize(dm, ctx);
  } else {
    int16_t paperSize = 0;
    std::memcpy(&paperSize, dm + kDmPubPaperSize, sizeof(paperSize));
    DmSetSourcePaper(paperSize, kOptPaperSize, ctx, dm);
  }
  DmSetOutputPaper(Value(ctx, kOptOutPaperSize), kOptOutPaperSize, ctx, dm);
}

}  // namespace

int OptDstPaperFitsDots(DriverContext* ctx) {
  return ctx && BothBelow(ctx, kOptDstPaperWidthDot, kOptDstPaperLengthDot, kDotsBelow);
}
int OptDstPaperFitsDotLimit(DriverContext* ctx) {
  return ctx && BothAtMost(ctx, kOptDstPaperWidthDot, kOptDstPaperLengthDot, kDotLimit);
}
int OptSrcPaperFitsDotLimit(DriverContext* ctx) {
  return ctx && BothAtMost(ctx, kOptSrcPaperWidthDot, kOptSrcPaperLengthDot, kDotLimit);
}

int OptScaledSrcPaperFitsDots(DriverContext* ctx) {
  if (!ctx) return 0;
  // 64-bit products: a scale or a poster factor read from a damaged image cannot overflow.
  int64_t w = Value(ctx, kOptSrcPaperWidthDot);
  int64_t l = Value(ctx, kOptSrcPaperLengthDot);
  const int32_t scaleType = Value(ctx, kOptScaleType);
  const int32_t nupType = Value(ctx, kOptNupType);
  if (Value(ctx, kOptFuncSelectScale) && scaleType != 2) {
    const int64_t scaleH = Value(ctx, kOptScaleH);
    w = w * scaleH / 100;
    l = l * (scaleType == 1 ? scaleH : Value(ctx, kOptScaleV)) / 100;
  } else if (Value(ctx, kOptFuncSelectNup) && Value(ctx, kOptNupPostKind) == kNupKindPoster && nupType > kNupTypeBase) {
    if (nupType == kNupTypeBase + 1) {
      if (w < l)
        w *= 2;
      else
        l *= 2;  // the length when both sides are equal
    } else {
      w *= nupType - kNupTypeBase;
      l *= nupType - kNupTypeBase;
    }
  }
  return w <= kScaledDotLimit && l <= kScaledDotLimit;
}

WORD OptComputeResolutionCap(DriverContext* ctx, int useDst, int strict) {
  if (!ctx) return 0;
  // 1. The administrator's resolution lock: the tested resolution is set to the locked one. A
  // lock value without a resolution row leaves the lock step out.
  bool locked = false;
  uint32_t lockedDpi = 0;
  uint32_t tested = 0;
  if (FmIsFeatureEnabled(ctx, kFeatureAdminLocks, 0) && OptIsResolutionLocked(ctx)) {
    const ResolutionEntry* row =
        OptFindResolutionRow(static_cast<int16_t>(Value(ctx, kOptLockDstResolutionBoth)));
    if (row) {
      locked = true;
      lockedDpi = row->xDpi;
      const uint16_t option = useDst ? kOptDstResolutionW : kOptDmPrintQuality;
      tested = static_cast<uint32_t>(Value(ctx, option));
      OptSetValue(ctx, option, static_cast<int32_t>(lockedDpi));
    }
  }

  // 2. Resolution and papers up to date.
  RefreshResolutionAndPaper(ctx, useDst);

  // 3. Whether the page fits at the resolution.
  bool fits = OptGetPrintQuality(ctx) <= static_cast<int32_t>(kCapResolution);
  if (!fits) {
    const auto loadShare = static_cast<BYTE>(Value(ctx, kOptLoadShare));
    if (loadShare <= 2) {
      if (EnvIsWin9x())
        fits = BothBelow(ctx, kOptSrcPaperWidthDot, kOptSrcPaperLengthDot, kDotsBelow) && OptDstPaperFitsDotLimit(ctx);
      else if (Value(ctx, kOptOutPaperSize) == kOutputSameAsSource)
        fits = OptSrcPaperFitsDotLimit(ctx);
      else
        fits = OptDstPaperFitsDotLimit(ctx);
    } else {
      fits = OptDstPaperFitsDots(ctx) && OptScaledSrcPaperFitsDots(ctx);
    }
  }

  // 4, 5. The cap, limited by the lock.
  uint32_t cap = fits ? 0 : kCapResolution;
  if (locked) {
    if ((strict && tested <= cap) || (!strict && tested == cap))
      cap = 0;
    else if (lockedDpi < cap)
      cap = lockedDpi;
  }
  return static_cast<WORD>(cap);
}

WORD OptGetResolutionCap(DriverContext* ctx, int useDstResolution) {
  return OptComputeResolutionCap(ctx, useDstResolution, 0);
}
WORD OptGetResolutionCapStrict(DriverContext* ctx, int useDstResolution) {
  return OptComputeResolutionCap(ctx, useDstResolution, 1);
}
