// Device modes for callers: rebuilt from the model defaults, from the printer's default, as the
// context holds it, or a caller's validated; the quality data saved and restored around a batch
// of status changes; and the after-change pass of every device-mode path and status change.
#include "api_devmode.h"

#include <cstring>
#include <vector>

#include "api_frame.h"
#include "api_options.h"
#include "api_support.h"
#include "context_services.h"
#include "core_memory.h"
#include "ctx_environment.h"
#include "devmode_defaults.h"
#include "devmode_fields.h"
#include "devmode_merge.h"
#include "devmode_public.h"
#include "device_query.h"
#include "device_state.h"
#include "env_language.h"
#include "env_system.h"
#include "finishing_rules.h"
#include "device_caps.h"
#include "install_defaults.h"
#include "lock_data.h"
#include "model_query.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_context_words.h"
#include "option_store.h"
#include "option_values.h"
#include "print_notification.h"
#include "quality_list.h"
#include "settings_paths.h"
#include "undo_images.h"

namespace {

constexpr DWORD kPendingCustomSizesLoaded = 0x4000000;

DEVMODEW* Working(DriverContext* ctx) { return reinterpret_cast<DEVMODEW*>(CtxGetDevMode(ctx)); }

// Options whose value an administrator lock keeps when the model defaults are set.
struct LockedOption {
  uint16_t option;
  int (*locked)(DriverContext*);
};
constexpr LockedOption kLockedOptions[] = {
    {13, OptIsTrayLocked},          {54, OptIsMediaLocked},        {91, OptIsNupKindLocked},
    {58, OptIsDuplexLocked},        {691, OptIsPrintTypeLocked},   {10442, OptIsResolutionLocked},
    {15, OptIsColorLocked},         {699, OptIsColorLocked},       {67, OptIsHeaderFooterLocked},
};

void ApiSetDevModeEnvironment(DriverContext* ctx) {
  DEVMODEW* dm = Working(ctx);
  if (EnvIsWin9x()) {
    dm->dmSpecVersion = 0x400;
    dm->dmFields |= 0x2000000;
  }
  ApiSetOSKind(ctx);
}

bool HasBatchInstRst(DriverContext* ctx) {
  const WCHAR* ini = PathGetSettingsIni(ctx);
  const WCHAR* section = CfgPrinterSection(ctx);
  if (!ini || !section) return false;
  WCHAR value[MAX_PATH] = {};
  GetPrivateProfileStringW(section, u"BatchInstRst", u"", value, MAX_PATH, ini);
  return value[0] != u'\0';
}

void ApiCopyDefaultTrays(DriverContext* ctx) {
  if (HasBatchInstRst(ctx)) return;
  const int32_t cover = OptGetValue(ctx, 10276, nullptr);
  OptSetValue(ctx, 125, cover);
  OptSetValue(ctx, 127, cover);
  OptSetValue(ctx, 123, OptGetValue(ctx, 10277, nullptr));
  OptSetValue(ctx, 410, OptGetValue(ctx, 10288, nullptr));
  OptSetValue(ctx, 1026, OptGetValue(ctx, 10278, nullptr));
}

// From interface version 10 on, flag 0x20 reads the print-notification capabilities.
void ApiReadNotificationForFlags(DriverContext* ctx, uint32_t flags) {
  if ((flags & kApiDmNotification) && ApiGetVersion() >= 10) BidiReadPrintNotification(ctx, kNotifyReadCapabilityOnly);
}

void ApiRefreshForFlags(DriverContext* ctx, uint32_t flags) {
  if (flags & kApiDmRefreshDevice) {
    if (BidiStateFileGetFlag(ctx)) BidiLoadStateFile(ctx);
    if (BidiUpdateFromDeviceQuiet(ctx)) ApiCopyDefaultTrays(ctx);
  }
  ApiReadNotificationForFlags(ctx, flags);
}

void ApiKeepMacroPlanes(DriverContext* ctx) {
  const int32_t macro = OptGetValue(ctx, kApiOptUserPrintMacro, nullptr);
  if (OptGetValue(ctx, kApiOptUseUserMacro, nullptr) != 1 || macro < 32 || macro > 39) return;
  int32_t planes[4] = {};
  DmPushSnapshot(ctx);
  CfgLoadQuality(ctx, macro - 32);
  for (int i = 0; i < 4; ++i) planes[i] = OptGetValue(ctx, static_cast<uint16_t>(kApiOptPlaneCyan + i), nullptr);
  DmPopSnapshot(ctx, 1);
  for (int i = 0; i < 4; ++i) OptSetValue(ctx, static_cast<uint16_t>(kApiOptPlaneCyan + i), planes[i]);
}

void ApiRerunResolutionRule(DriverContext* ctx) {
  OptSetValue(ctx, kApiOptCtrlWorkPrompt, 1);
  if (const ModelItem* item = ApiFindOptionItem(ctx, kApiOptDstResolutionBoth)) MdlRunItemTransact(item, ctx);
  OptSetValue(ctx, kApiOptCtrlWorkPrompt, 0);
}

int ApiPaperFitsResolution(DriverContext* ctx) {
  DEVMODEW* dm = Working(ctx);
  BYTE* bytes = reinterpret_cast<BYTE*>(dm);
  DmSetResolutionFromOptions(bytes, ctx);
  const DWORD both = kDmFieldPaperLength | kDmFieldPaperWidth;
  if ((dm->dmFields & both) == both) OptSetSourcePaperFromDmSize(bytes, ctx);
  else DmSetSourcePaper(dm->dmPaperSize, kApiOptPaperSize, ctx, bytes);
  DmSetOutputPaper(OptGetValue(ctx, kApiOptOutPaperSize, nullptr), kApiOptOutPaperSize, ctx, bytes);
  if (dm->dmPrintQuality == 600) return 1;
  return OptDstPaperFitsDots(ctx) && OptScaledSrcPaperFitsDots(ctx);
}

int ApiLoadDefaults(DriverContext* ctx, HANDLE printer, uint32_t flags) {
  SetApiLastError(ctx, kApiErrNone);
  const bool locked = FmIsFeatureEnabled(ctx, 2, 0) && OptIsDefaultLocked(ctx);
  if (locked) {
    PrnReadLockDefaultData(printer, ctx);
    if (ctx->workArea->lockDefaultImage)
      std::memcpy(CtxGetDevMode(ctx), ctx->workArea->lockDefaultImage, DmGetSize());
  } else {
    ApiSetOptionsFromModel(ctx);
    ApiSetDevModeEnvironment(ctx);
    ApiPrepareDevMode(ctx, flags);
    CfgFreeFontBuffers(ctx);
    CfgLoadPrinterSettings(ctx);
  }
  ApiRefreshForFlags(ctx, flags);
  if (!locked) {
    CfgLoadOptions(printer, 1, ctx);
    ApiLoadJobValues(ctx, kApiJobValueMask);
    CfgApplyLocaleRegion(ctx);
    ApiFixFinishingAfterChange(ctx, nullptr);
  }
  return 1;
}

int ApiLoadPrinterDefault(DriverContext* ctx, HANDLE printer, uint32_t flags) {
  SetApiLastError(ctx, kApiErrNone);
  CfgFreeFontBuffers(ctx);
  SettingsImage* image = DmBuildDefaults(ctx, 0);
  if (!image) {
    // The context keeps the image it has: the answer is a failure of the call.
    SetApiLastError(ctx, kApiErrGeneral);
    return 0;
  }
  MdlFreeMem(ctx->settingsImage);
  ctx->settingsImage = image;
  CfgLoadPrinterSettings(ctx);
  ApiPrepareDevMode(ctx, flags);
  ApiRefreshForFlags(ctx, flags);
  ApiResetShiftMargins(ctx);
  if (OptGetValue(ctx, kApiOptFuncSelectMargin, nullptr) == 0) ApiResetMargins(ctx);
  ApiLoadJobValues(ctx, kApiJobValueMask);
  CtxSetTSE(ctx, static_cast<BYTE>(EnvQueryTerminalServer(printer)));
  CtxSetAdmin(ctx, static_cast<BYTE>(EnvCheckAdministratorToken()));
  ApiFixFinishingAfterChange(ctx, nullptr);
  return 1;
}

void ApiTakeCurrent(DriverContext* ctx, uint32_t flags) {
  ApiPrepareDevMode(ctx, flags);
  ApiReadNotificationForFlags(ctx, flags);
  if (CfgGetResolutionListKind(ctx) == 1) ApiRerunResolutionRule(ctx);
  if (ApiNeedsResolution600(ctx)) {
    OptSetValue(ctx, kApiOptDstResolutionW, 600);
    OptSetValue(ctx, kApiOptDstResolutionH, 600);
    OptSetValue(ctx, kApiOptDstResolutionBoth, 3);
    DmSetPublicFromOptions(CtxGetDevMode(ctx), ctx, 3);
  }
  ApiFixFinishingAfterChange(ctx, nullptr);
  if (OptGetValue(ctx, kApiOptUseUserMacro, nullptr) == 1 && OptGetValue(ctx, kApiOptUserPrintMacro, nullptr) == 160)
    CfgSaveQuality(ctx, kApiQualitySlot);
}

int32_t Finish(DriverContext* ctx, int ok, int32_t uiMode, DEVMODEW* out) {
  if (!ok) return -1;
  OptSetValue(ctx, kApiOptUiModeChange, uiMode);
  if (out) std::memcpy(out, CtxGetDevMode(ctx), DmGetSize());
  return static_cast<int32_t>(DmGetSize());
}

}  // namespace

void ApiSetOptionsFromModel(DriverContext* ctx) {
  // What the model pass must leave alone: options of legal-value list 2, and the options whose
  // administrator lock is in force.
  std::vector<std::pair<OptionEntry*, std::vector<BYTE>>> kept;
  auto keep = [&](OptionEntry* row) {
    BYTE* at = row ? OptGetValueAddress(ctx, row) : nullptr;
    if (at) kept.emplace_back(row, std::vector<BYTE>(at, at + OptStorageExtent(row->typeWord)));
  };
  for (int i = 0; i < ctx->optionTable->count; ++i) {
    OptionEntry* row = &ctx->optionTable->rows[i];
    if (OptIsLegalValue(2, row->id)) keep(row);
  }
  if (FmIsFeatureEnabled(ctx, 2, 0))
    for (const LockedOption& l : kLockedOptions)
      if (l.locked(ctx)) keep(OptFind(ctx, l.option));
  DmInitFromModel(ctx);
  for (auto& [row, bytes] : kept) std::memcpy(OptGetValueAddress(ctx, row), bytes.data(), bytes.size());
  const WORD language = EnvGetPrinterLanguageIndex(ctx);
  OptSetValue(ctx, 169, language);
  OptSetValue(ctx, 170, language);
  OptSetAuthCharsets(ctx, 3);
}

void ApiPrepareDevMode(DriverContext* ctx, uint32_t flags) {
  OptSetValue(ctx, kApiOptUiModeChange, 0);
  CtxSetBiDirectOff(ctx);
  CtxClearPendingFlags(ctx, kPendingCustomSizesLoaded);
  if (flags & kApiDmCurrent) return;
  if (flags & kApiDmDefaults) {
    OptSetValue(ctx, kApiOptUseUserMacro, 0);
    OptSetValue(ctx, kApiOptUserPrintMacro, 0);
  } else if ((flags & kApiDmPrinterDefault) && ApiGetVersion() < 6) {
    ApiKeepMacroPlanes(ctx);
  }
  OptRefreshPaperSettings(ctx, 1);
}

int ApiNeedsResolution600(DriverContext* ctx) {
  if (OptGetValue(ctx, kApiOptMachineId, nullptr) != 130) return 0;
  if (!ApiPaperFitsResolution(ctx)) return 1;
  const int32_t memory = OptGetValue(ctx, kApiOptPrinterMemory, nullptr);
  const int32_t m = OptGetValue(ctx, 295, nullptr) && OptGetValue(ctx, 10063, nullptr) ? 160 : 32;
  return OptIsDuplexInstalled(ctx) && OptGetValue(ctx, kApiOptFuncSelectDuplex, nullptr) && memory == m &&
                 OptGetValue(ctx, kApiOptDstResolutionBoth, nullptr) == 4
             ? 1
             : 0;
}

int ApiMergeDevMode(DriverContext* ctx, const DEVMODEW* dm, DWORD flags) {
  // The window-free merge of the core leaves out the compact settings block and the job-control
  // read; the callers of this module load the job values themselves.
  return DmMergeIncoming(ctx, dm, flags & ~static_cast<DWORD>(kMergeCompactImported));
}

int ApiMergeAndKeepCustomSize(DriverContext* ctx, const DEVMODEW* dm) {
  const DWORD size = DmGetSize();
  auto* copy = static_cast<DEVMODEW*>(CtxAllocMem(size));
  if (!copy) return 0;
  std::memcpy(copy, dm ? static_cast<const void*>(dm) : CtxGetDevMode(ctx), dm ? std::min<DWORD>(size, dm->dmSize + dm->dmDriverExtra) : size);
  const DWORD both = kDmFieldPaperLength | kDmFieldPaperWidth;
  const bool keep = (copy->dmFields & both) == both && copy->dmPaperLength && copy->dmPaperWidth;
  const SHORT length = copy->dmPaperLength;
  const SHORT width = copy->dmPaperWidth;
  const int merged = ApiMergeDevMode(ctx, copy, dm ? kApiMergeCaller : kApiMergeOwn);
  if (keep) {
    DEVMODEW* working = Working(ctx);
    working->dmPaperLength = length;
    working->dmPaperWidth = width;
    working->dmFields = (working->dmFields | both) & ~static_cast<DWORD>(kDmFieldPaperSize);
  }
  if (const ModelItem* item = ApiFindOptionItem(ctx, kApiOptMediaType)) MdlRunItemTransact(item, ctx);
  MdlFreeMem(copy);
  return merged;
}

void ApiFixFinishingAfterChange(DriverContext* ctx, const DEVMODEW* dm) {
  struct Pair {
    uint16_t switchOption;
    uint16_t typeOption;
    bool restricted;
    int32_t value;
  };
  Pair pairs[] = {{kApiOptFuncSelectDuplex, kApiOptDuplexType, false, 0},
                  {kApiOptFuncSelectStaple, kApiOptStapleType, false, 0},
                  {kApiOptFuncSelectPunch, kApiOptPunchType, false, 0},
                  {kApiOptFuncSelectFold, kApiOptFoldType, false, 0}};
  for (Pair& p : pairs) {
    const ModelItem* item = ApiFindOptionItem(ctx, p.switchOption);
    if (item && MdlIsRestricted(item, 0, ctx) == 1) {
      p.restricted = true;
      p.value = OptGetValue(ctx, p.typeOption, nullptr);
    }
  }
  const bool adjust = OptGetValue(ctx, kApiOptAdjustMode, nullptr) == 1;
  if (adjust) OptSetValue(ctx, kApiOptAdjustMode, 0);
  ApiMergeAndKeepCustomSize(ctx, dm);
  if (adjust) OptSetValue(ctx, kApiOptAdjustMode, 1);
  for (const Pair& p : pairs) {
    if (!p.restricted) continue;
    const ModelItem* item = ApiFindOptionItem(ctx, p.switchOption);
    if (item && MdlIsRestricted(item, 0, ctx) == 1) OptSetValue(ctx, p.typeOption, p.value);
  }
  OptSetValue(ctx, kApiOptCollate, OptGetValue(ctx, kApiOptFuncSelectSort, nullptr) ? 1 : 0);
}

int32_t ApiReadImageValue(DriverContext*, const OptionEntry* row, const BYTE* image) {
  if (!row || !image) return 0;
  const uint32_t block = TypeBlock(row->typeWord);
  if (block == 0) return 0;
  uint16_t offset = 0;
  std::memcpy(&offset, image + 361 + 2 * (block - 1), sizeof(offset));
  const size_t at = static_cast<size_t>(offset) + row->offset;
  if (at + OptStorageExtent(row->typeWord) > DmGetImageSize()) return 0;
  return OptDecodeValue(image + at, row->typeWord);
}

int32_t ApiFetchDefaultDevMode(DriverContext* ctx, HANDLE printer, DEVMODEW* out) {
  const int32_t uiMode = OptGetValue(ctx, kApiOptUiModeChange, nullptr);
  ApiSetChapterChanged(ctx, 0);
  return Finish(ctx, ApiLoadDefaults(ctx, printer, kApiDmDefaults), uiMode, out);
}

ZOLT_EXPORT int32_t WINAPI ZOLTDrvGetDevmode(DriverContext* ctx, uint32_t flags, DEVMODEW* out) {
  if (!ApiIsLiveContext(ctx)) return -1;
  HANDLE printer = nullptr;
  if (!ApiOpenPrinterForCall(ctx, &printer, nullptr)) {
    SetApiLastError(ctx, kApiErrGeneral);
    return -1;
  }
  const int32_t uiMode = OptGetValue(ctx, kApiOptUiModeChange, nullptr);
  ApiSetChapterChanged(ctx, 0);
  int ok = 1;
  if (flags & kApiDmDefaults) {
    ok = ApiLoadDefaults(ctx, printer, flags);
  } else if (flags & kApiDmPrinterDefault) {
    ok = ApiLoadPrinterDefault(ctx, printer, flags);
  } else if (flags & kApiDmCurrent) {
    ApiTakeCurrent(ctx, flags);
  } else {
    SetApiLastError(ctx, kApiErrNoFlag);
    ok = 0;
  }
  const int32_t result = Finish(ctx, ok, uiMode, out);
  ApiClosePrinter(printer);
  return result;
}

ZOLT_EXPORT int32_t WINAPI ZOLTDrvGetDevmodeEx(DriverContext* ctx, uint32_t flags, DEVMODEW* out, const DEVMODEW* input,
                                               void*) {
  if (flags & (kApiDmDefaults | kApiDmPrinterDefault | kApiDmCurrent)) return ZOLTDrvGetDevmode(ctx, flags, out);
  if (!ApiIsLiveContext(ctx)) return -1;
  HANDLE printer = nullptr;
  if (!ApiOpenPrinterForCall(ctx, &printer, nullptr)) {
    SetApiLastError(ctx, kApiErrGeneral);
    return -1;
  }
  ApiSetChapterChanged(ctx, 0);
  int32_t result = -1;
  if (flags == kApiDmValidate) {
    if (!input) {
      SetApiLastError(ctx, kApiErrNoRecord);
    } else {
      ApiFixFinishingAfterChange(ctx, input);
      const int32_t uiMode = OptGetValue(ctx, kApiOptUiModeChange, nullptr);
      ApiPrepareDevMode(ctx, kApiDmValidate);
      ApiResetShiftMargins(ctx);
      if (OptGetValue(ctx, kApiOptFuncSelectMargin, nullptr) == 0) ApiResetMargins(ctx);
      ApiLoadJobValues(ctx, kApiJobValueMask);
      ApiFixFinishingAfterChange(ctx, nullptr);
      result = Finish(ctx, 1, uiMode, out);
    }
  } else {
    SetApiLastError(ctx, kApiErrNoFlag);
  }
  ApiClosePrinter(printer);
  return result;
}

ZOLT_EXPORT int32_t WINAPI ZOLTDrvSaveQualityData(DriverContext* ctx) {
  if (!ApiIsLiveContext(ctx)) return 0;
  ApiExtension* ext = ApiGetExtension(ctx);
  if (!ext || !ext->backupImage) return 0;
  std::memcpy(ext->backupImage, ctx->settingsImage, DmGetImageSize());
  return 1;
}

ZOLT_EXPORT int32_t WINAPI ZOLTDrvRestoreQualityData(DriverContext* ctx) {
  if (!ApiIsLiveContext(ctx)) return 0;
  ApiExtension* ext = ApiGetExtension(ctx);
  if (!ext || !ext->backupImage) return 0;
  for (int i = 0; i < ctx->optionTable->count; ++i) {
    OptionEntry* row = &ctx->optionTable->rows[i];
    if (!(row->stateBits & kStateQualityMask)) continue;
    if (OptIsAnsiTextKind(TypeKind(row->typeWord)) || OptIsWideTextKind(TypeKind(row->typeWord))) continue;
    OptWriteValue(ctx, row, ApiReadImageValue(ctx, row, ext->backupImage));
  }
  for (uint16_t option : {kApiOptPrintMacro, kApiOptBalanceMacro, kApiOptUseUserMacro})
    if (OptionEntry* row = OptFind(ctx, option)) OptWriteValue(ctx, row, ApiReadImageValue(ctx, row, ext->backupImage));
  return 1;
}
