// The device-mode merge: a caller's device mode (or none) brought into the context's working
// device mode, with the context's environment and locks kept, and the printer's own default
// device mode taken from the spooler.
#include <algorithm>
#include <cstring>
#include <vector>

#include "compact_settings.h"
#include "context_services.h"
#include "core_memory.h"
#include "ctx_environment.h"
#include "devmode_defaults.h"
#include "devmode_merge.h"
#include "devmode_public.h"
#include "devmode_record.h"
#include "env_system.h"
#include "feature_modules.h"
#include "free_size.h"
#include "job_control.h"
#include "lock_data.h"
#include "model_query.h"
#include "option_access.h"
#include "option_store.h"
#include "option_validation.h"
#include "prn_data.h"

namespace {

enum : uint16_t {
  kOptPaperSize = 8,
  kOptFuncSelectScale = 55,
  kOptOutPaperSize = 46,
  kOptHFSelectFirst = 100,  // zdmHFFuncSelectDate .. zdmHFFuncSelect7 (107)
  kOptHFSelectLast = 107,
  kOptHFString = 114,
  kOptQualityFuncTextBitmapSupport = 166,
  kOptFrontFunc = 350,
  kOptA4Fit = 385,
  kOptHidden2Func7 = 456,
  kOptSupportJobComplete = 564,
  kOptSupportJobErr = 565,
  kOptPreviewFlag = 563,
  kOptLockPrnMethod = 691,
  kOptUIStart = 1012,
  kOptCtrlWorkPrompt = 1042,
  kOptImageFormJob = 1193,
  kOptCustomFunc1 = 1550,
  kOptLockPrintType = 10424,
  kOptLockHeaderFooter = 10427,
};

constexpr DWORD kFmNotifyApplyPresetLocks = 59;
constexpr DWORD kFmNotifyApplyQualityLocks = 60;
constexpr DWORD kFmNotifyMerged = 52;
constexpr DWORD kJobItemsOfUi = 0x789F;
constexpr int kStoredDevModeClass = 1;

// Environment flags that stay the context's own whatever private part arrives.
constexpr uint16_t kAlwaysKept[] = {729, 730, 731, 732, 733, 734, 737, 741, 743, 744, 745, kOptFrontFunc};
// Header/footer settings kept while the administrator locks header and footer.
constexpr uint16_t kHeaderFooterKept[] = {100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 111, 112, 113};

// The value of a block-1 option as it stands in another device mode of the full size.
int32_t ValueIn(DriverContext* ctx, const BYTE* dm, uint16_t id) {
  const OptionEntry* row = OptFind(ctx, id);
  if (!row || TypeBlock(row->typeWord) != 1) return 0;
  const DWORD extent = OptStorageExtent(row->typeWord);
  if (row->offset + extent > kFullDevModeSize) return 0;
  return OptDecodeValue(dm + row->offset, row->typeWord);
}

// Values of the working device mode that must survive the copy of an incoming private part.
class SurvivingFields {
 public:
  SurvivingFields(DriverContext* ctx, const BYTE* scratch, DWORD flags) : ctx_(ctx) {
    for (uint16_t id : kAlwaysKept) Keep(id);
    if (OptGetValue(ctx, kOptLockPrintType, nullptr) && ValueIn(ctx, scratch, kOptPreviewFlag) == 0 &&
        !(flags & 0x10000))
      Keep(kOptLockPrnMethod);
    if ((flags & 0x200000) && OptGetValue(ctx, kOptLockHeaderFooter, nullptr)) {
      for (uint16_t id : kHeaderFooterKept) Keep(id);
      if (const BYTE* text = OptGetValuePointer(ctx, kOptHFString, nullptr)) {
        hfString_.assign(text, text + TypeSize(OptFind(ctx, kOptHFString)->typeWord));
      }
    }
    if (flags & 0x400000) {
      Keep(kOptSupportJobComplete);
      Keep(kOptSupportJobErr);
    }
  }
  void Restore() {
    for (const auto& [id, value] : values_) OptSetValue(ctx_, id, value);
    if (!hfString_.empty()) OptSetValueBytes(ctx_, kOptHFString, hfString_.data());
  }

 private:
  void Keep(uint16_t id) { values_.emplace_back(id, OptGetValue(ctx_, id, nullptr)); }
  DriverContext* ctx_;
  std::vector<std::pair<uint16_t, int32_t>> values_;
  std::vector<BYTE> hfString_;
};

enum class Judgement { kUsable, kConvert, kNotUsable };

Judgement Judge(const DEVMODEW* dm, DriverContext* ctx) {
  if (!DmCheckPrivateStrings(dm)) return Judgement::kNotUsable;
  if (DmIsCurrentVersion(dm, ctx)) return Judgement::kUsable;
  if (!DmIsCompatibleModel(dm, ctx)) return Judgement::kNotUsable;
  switch (DmCheckVersion(dm)) {
    case 0: return Judgement::kUsable;
    case 1: return Judgement::kConvert;
    default: return Judgement::kNotUsable;
  }
}

// The public part of a caller's record in the current size: a field the record does not reach
// (it ends before the field's offset) is zero and its dmFields bit is clear, so the public merges
// never read past the caller's record.
void PadPublicPart(const DEVMODEW* incoming, DEVMODEW* out) {
  static constexpr struct {
    DWORD bit;
    WORD offset;
  } kFieldOffsets[] = {
      {kDmFieldOrientation, 76},  {kDmFieldPaperSize, 78},     {kDmFieldPaperLength, 80},
      {kDmFieldPaperWidth, 82},   {kDmFieldScale, 84},         {kDmFieldCopies, 86},
      {kDmFieldDefaultSource, 88}, {kDmFieldPrintQuality, 90}, {kDmFieldColor, 92},
      {kDmFieldDuplex, 94},       {kDmFieldYResolution, 96},   {kDmFieldTTOption, 98},
      {kDmFieldCollate, 100},     {kDmFieldFormName, 102},     {kDmFieldICMMethod, 188},
      {kDmFieldICMIntent, 192},   {kDmFieldMediaType, 196},    {kDmFieldDitherType, 200},
  };
  constexpr size_t kHeaderBytes = 72;  // through dmDriverExtra: every record holds it
  const size_t reach = std::max<size_t>(incoming->dmSize, kHeaderBytes);
  std::memset(out, 0, kDmPublicSize);
  std::memcpy(out, incoming, std::min<size_t>(reach, kDmPublicSize));
  for (const auto& field : kFieldOffsets)
    if (field.offset >= reach) out->dmFields &= ~field.bit;
}

}  // namespace

int DmMergeIncoming(DriverContext* ctx, const DEVMODEW* incoming, DWORD flags) {
  if (!(flags & (kMergeDocument | kMergeUserMacroQuality))) return 1;
  // The public fields of a record shorter than the current public part come from a full-size
  // copy; its private part is read from the record itself.
  DEVMODEW padded;
  const DEVMODEW* publicPart = incoming;
  if (incoming && incoming->dmSize < kDmPublicSize) {
    PadPublicPart(incoming, &padded);
    publicPart = &padded;
  }
  DEVMODEW* working = DmWorking(ctx);
  if (!working || !ctx->workArea) return 1;
  ctx->workArea->mergeFlags = flags;
  if (!(flags & kMergeSettingsFileLoad)) OptSetValue(ctx, kOptCtrlWorkPrompt, (flags & kMergeWithUi) ? 1 : 0);

  auto* scratchBytes = static_cast<BYTE*>(CtxAllocMem(kFullDevModeSize));
  if (!scratchBytes) return 0;
  auto* scratch = reinterpret_cast<DEVMODEW*>(scratchBytes);
  auto* workingBytes = reinterpret_cast<BYTE*>(working);
  std::memcpy(scratchBytes, workingBytes, kFullDevModeSize);

  if (incoming) {
    DmCopySameDriver(incoming, scratch);
    switch (Judge(scratch, ctx)) {
      case Judgement::kUsable:
        break;
      case Judgement::kConvert: {
        auto* backup = static_cast<BYTE*>(CtxAllocMem(kFullDevModeSize));
        if (!backup) {
          MdlFreeMem(scratchBytes);
          return 0;
        }
        std::memcpy(backup, workingBytes, kFullDevModeSize);
        std::memcpy(workingBytes, scratchBytes, kFullDevModeSize);
        DmConvertToCurrent(scratch, ctx);
        std::memcpy(scratchBytes, workingBytes, kFullDevModeSize);
        std::memcpy(workingBytes, backup, kFullDevModeSize);
        MdlFreeMem(backup);
        break;
      }
      case Judgement::kNotUsable:
        std::memcpy(scratchBytes + kDmPublicSize, workingBytes + kDmPublicSize, kDmPrivateSize);
        break;
    }
  }

  // The compact settings block and the job-control items belong to the printer-interface module;
  // the window-free modules merge without them.
#if ZOLT_WINDOW_BUILD
  DmImportCompactSettings(ctx, scratch);
  if (ctx->workArea->mergeFlags & kMergeCompactImported) flags |= kMergeCompactImported;
#endif

  {
    SurvivingFields kept(ctx, scratchBytes, flags);
    std::memcpy(workingBytes + kDmPublicSize, scratchBytes + kDmPublicSize, kDmPrivateSize);
    kept.Restore();
  }

  // What the model fixes in every private part.
  OptSetValue(ctx, kOptQualityFuncTextBitmapSupport,
              MdlGetItemDefault(kOptQualityFuncTextBitmapSupport, ctx) != 0 ? 1 : 0);
  if (MdlGetItemDefault(kOptCustomFunc1, ctx) != 0) OptSetValue(ctx, kOptHidden2Func7, 1);

  if ((flags & kMergeImageFormJob) && OptGetValue(ctx, kOptImageFormJob, nullptr)) {
    OptSetValue(ctx, kOptFuncSelectScale, 0);
    OptSetValue(ctx, kOptOutPaperSize, 1024);
    OptSetValue(ctx, kOptA4Fit, 0);
  }

  if (flags & kMergeReloadLocks) {
    PrnReadLockedValues(ctx->printer, ctx);
    if (PrnIsRemotePrinter(ctx)) {
      FmBroadcastNotify(ctx, kFmNotifyApplyQualityLocks, nullptr);
      FmBroadcastNotify(ctx, kFmNotifyApplyPresetLocks, nullptr);
    }
  }

  DmMergePublicFields(working, publicPart, ctx);

  if (RegIsAddOnInstalled(kAddOnJobBinding, ctx)) CtxSetTMInstalledOn(ctx);
  else CtxSetTMInstalledOff(ctx);
  if (RegIsAddOnInstalled(kAddOnPreview, ctx)) CtxSetMIInstalledOn(ctx);
  else CtxSetMIInstalledOff(ctx);
#if ZOLT_WINDOW_BUILD
  if (flags & kMergeWithUi) JcReadItems(ctx, kJobItemsOfUi);
#endif

  if (!(flags & kMergeSettingsFileLoad) && (flags & kMergeReloadLocks))
    CfgLoadOptionClass(ctx->printer, ctx, kStoredDevModeClass, 0);

  if (publicPart) DmApplyPublicFields(workingBytes, reinterpret_cast<const BYTE*>(publicPart), ctx);

  FmBroadcastNotify(ctx, kFmNotifyMerged, &flags);
  OptSetValue(ctx, kOptUIStart, 0);
  if (flags & kMergeRunTransacts) OptApplyAllTransacts(ctx);

  if ((ctx->workArea->mergeFlags & kMergeCompactImported) || (ctx->workArea->mergeFlags & kMergeWithUi)) {
    DmSetPublicFromOptions(workingBytes, ctx, 2);
  } else {
    const int32_t code = working->dmPaperSize;
    if (OptIsCustomPaperCode(code)) {
      CfgLoadAllFreeSizes(ctx);
      const int slot = CfgPaperToSlot(code, ctx);
      CfgCaptureCustomPaper(ctx, code, slot);
      CfgApplySrcFreeSizeSlot(ctx, slot);
    }
    DmSetOutputPaper(OptGetValue(ctx, kOptOutPaperSize, nullptr), kOptOutPaperSize, ctx, workingBytes);
  }
  MdlFreeMem(scratchBytes);
  return 1;
}

int DmCopyPrinterDefault(DriverContext* ctx) {
  DEVMODEW* working = DmWorking(ctx);
  if (!working || !ctx->workArea) return 0;
  PRINTER_INFO_2W* pi2 = ctx->workArea->printerInfo2;
  void* fetched = nullptr;
  if (!pi2) pi2 = static_cast<PRINTER_INFO_2W*>(fetched = PrnGetPrinterInfo(ctx->printer, 2));
  int copied = 0;
  const DEVMODEW* stored = pi2 ? pi2->pDevMode : nullptr;
  // The layout is judged by the version its size gives, not by the record's own version field.
  if (stored && DmGetSpecVersion(stored) != 0 && stored->dmSize == kDmPublicSize &&
      stored->dmDriverExtra == kDmPrivateSize) {
    std::memcpy(working, stored, kFullDevModeSize);
    copied = 1;
  }
  MdlFreeMem(fetched);
  return copied;
}

int CfgTakePrinterDefaultDevmode(DriverContext* ctx) {
  if (!DmCopyPrinterDefault(ctx)) return 0;
  return DmIsSameLayout(DmWorking(ctx), ctx);
}
