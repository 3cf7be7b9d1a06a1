// The public device-mode fields carried into the private options after a merge and back before a
// device mode is handed out; duplex, media type, print quality and resolution; the user quality
// macro; the model's Transacts over all options; and the module events of these passes.
#include <cstring>

#include "context_services.h"
#include "ctx_environment.h"
#include "devmode_fields.h"
#include "devmode_public.h"
#include "dm_public_internal.h"
#include "env_system.h"
#include "feature_modules.h"
#include "ini_file.h"
#include "model_query.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_validation.h"
#include "option_values.h"
#include "free_size.h"
#include "settings_files.h"
#include "quality_list.h"
#include "settings_paths.h"
#include "stamp_list.h"

namespace {

enum : uint16_t {
  kOptUIModeChange = 36,       // zdmUIModeChange
  kOptMediaType = 54,          // zdmMediaType
  kOptFuncSelectDuplex = 58,   // zdmFuncSelectDuplex
  kOptDuplexType = 94,         // zdmDuplexType
  kOptUseUserMacro = 176,      // zdmUseUserMacro
  kOptUserPrintMacro = 179,    // zdmUserPrintMacro
  kOptPosCutForeEdge = 231,    // zdmPosCutForeEdge, 1/1200 inch
  kOptUIStart = 1012,          // wdmUIStart
  kOptPosCutForeEdgeMm = 1304, // wdmPosCutForeEdgeMM
  kOptOther = 10274,           // zdmOther
};

// Fixed lists of the duplex binding types.
enum : uint16_t {
  kListShortEdge = 0,      // 1, 17, 20
  kListLongEdge = 1,       // 2, 3, 18, 19, 21, 22
  kListPairedWith17 = 9,   // 18, 19
  kListPairedWith20 = 10,  // 21, 22
  kListType17 = 11,
  kListType20 = 12,
};

enum : int32_t {
  kDuplexTypeShortPlain = 1,
  kDuplexTypeLongPlain = 3,
  kDuplexTypeShort17 = 17,
  kDuplexTypeLong19 = 19,
  kDuplexTypeShort20 = 20,
  kDuplexTypeLong22 = 22,
};

bool IsLandscape(const BYTE* dm) { return DmPubGetShort(dm, kDmPubOrientation) == kDmOrientLandscape; }

// The binding type that keeps its pairing on the wanted edge.
int32_t DuplexTypeForEdge(int32_t type, bool shortEdge) {
  if (shortEdge) {
    if (OptIsInFixedList(kListShortEdge, type)) return type;
    if (OptIsInFixedList(kListPairedWith17, type)) return kDuplexTypeShort17;
    if (OptIsInFixedList(kListPairedWith20, type)) return kDuplexTypeShort20;
    return kDuplexTypeShortPlain;
  }
  if (OptIsInFixedList(kListLongEdge, type)) return type;
  if (OptIsInFixedList(kListType17, type)) return kDuplexTypeLong19;
  if (OptIsInFixedList(kListType20, type)) return kDuplexTypeLong22;
  return kDuplexTypeLongPlain;
}

// dmDuplex of the working record into the duplex switch and binding type.
void ApplyDuplex(const BYTE* working, DriverContext* ctx) {
  const int16_t duplex = DmPubGetShort(working, kDmPubDuplex);
  if (duplex != kDmDuplexVertical && duplex != kDmDuplexHorizontal) {
    if (!OptGetCustomFunc(ctx, kOptCustomFuncFirst)) OptSetValue(ctx, kOptFuncSelectDuplex, 0);
    return;
  }
  const bool landscape = IsLandscape(working);
  const bool shortEdge = (duplex == kDmDuplexVertical && landscape) || (duplex == kDmDuplexHorizontal && !landscape);
  if (OptGetValue(ctx, kOptFuncSelectDuplex, nullptr)) {
    const int32_t type = OptGetValue(ctx, kOptDuplexType, nullptr);
    const int32_t wanted = DuplexTypeForEdge(type, shortEdge);
    if (wanted != type) OptSetValue(ctx, kOptDuplexType, wanted);
    return;
  }
  OptSetValue(ctx, kOptFuncSelectDuplex, 1);
  OptSetValue(ctx, kOptDuplexType, shortEdge ? kDuplexTypeShortPlain : kDuplexTypeLongPlain);
}

// The source paper of the merge, decided by the fields both records have, else by the working
// record's own fields when both have the orientation.
void ApplySourcePaper(BYTE* working, DWORD both, DriverContext* ctx) {
  auto decide = [&](DWORD fields) {
    const DWORD lengthAndWidth = kDmFieldPaperLength | kDmFieldPaperWidth;
    if ((fields & lengthAndWidth) == lengthAndWidth && !(fields & kDmFieldPaperSize) &&
        DmPubGetShort(working, kDmPubPaperLength) > 0 && DmPubGetShort(working, kDmPubPaperWidth) > 0) {
      OptSetSourcePaperFromDmSize(working, ctx);
      return true;
    }
    if (fields & kDmFieldPaperSize) {
      DmSetSourcePaper(DmPubGetShort(working, kDmPubPaperSize), kOptPaperSize, ctx, working);
      return true;
    }
    return false;
  };
  if (decide(both)) return;
  if (both & kDmFieldOrientation) decide(DmPubGetDword(working, kDmPubFields));
}

}  // namespace

// ---- shared with the paper functions --------------------------------------------------------------

int16_t DmPubGetShort(const BYTE* dm, DWORD offset) {
  int16_t v;
  std::memcpy(&v, dm + offset, sizeof v);
  return v;
}

void DmPubSetShort(BYTE* dm, DWORD offset, int32_t value) {
  const int16_t v = static_cast<int16_t>(value);
  std::memcpy(dm + offset, &v, sizeof v);
}

DWORD DmPubGetDword(const BYTE* dm, DWORD offset) {
  DWORD v;
  std::memcpy(&v, dm + offset, sizeof v);
  return v;
}

void DmPubSetDword(BYTE* dm, DWORD offset, DWORD value) { std::memcpy(dm + offset, &value, sizeof value); }

void DmRefreshEnvironmentFlags(DriverContext* ctx) {
  if (OptGetValue(ctx, kOptUIModeChange, nullptr) != 0) {
    CtxSetPresentUIModeOn(ctx);
  } else {
    CtxSetPresentUIModeOff(ctx);
  }
  if (PrnIsBidiEnabled(ctx)) {
    CtxSetBidiSupportOn(ctx);
  } else {
    CtxSetBidiSupportOff(ctx);
  }
  if (PrnIsRemotePrinter(ctx)) {
    CtxSetServerClientModeOn(ctx);
  } else {
    CtxSetServerClientModeOff(ctx);
  }
}

void DmRefreshCutAndUiStart(DriverContext* ctx) {
  OptSetValue(ctx, kOptPosCutForeEdgeMm, MdlSettingToMm(ctx, kOptPosCutForeEdge));
  OptSetValue(ctx, kOptUIStart, 0);
}

// ---- the merge and the way back ---------------------------------------------------------------

void DmApplyPublicFields(BYTE* working, const BYTE* incoming, DriverContext* ctx) {
  if (!working || !incoming || !ctx) return;
  const DWORD both = DmPubGetDword(working, kDmPubFields) & DmPubGetDword(incoming, kDmPubFields);

  if (both & kDmFieldDuplex) ApplyDuplex(working, ctx);
  if (both & kDmFieldMediaType) OptSetValue(ctx, kOptMediaType, static_cast<int32_t>(DmPubGetDword(working, kDmPubMediaType)));

  CfgReloadCurrentStamp(nullptr, ctx);
  OptLoadUserQualityMacro(ctx);
  FmBroadcastNotify(ctx, kFmNotifyChoicesChanged, nullptr);
  FmBroadcastPublicApplied(ctx);
  FmRunBuiltInFunc(ctx, kBfPublicFieldsApplied);

  const DWORD mergeFlags = ctx->workArea ? ctx->workArea->mergeFlags : 0;
  if (!(mergeFlags & kMergeKeepPrintQuality)) DmApplyPrintQuality(working, ctx);

  ApplySourcePaper(working, both, ctx);
  DmSetOutputPaper(OptGetValue(ctx, kOptOutPaperSize, nullptr), kOptOutPaperSize, ctx, working);

  DmRefreshEnvironmentFlags(ctx);
  const BYTE* other = OptGetValuePointer(ctx, kOptOther, nullptr);
  if (other && other[0] == 0) OptSetOtherString(ctx);
  DmRefreshCutAndUiStart(ctx);

  DmApplyResetRules(reinterpret_cast<DEVMODEW*>(working), ctx, kResetModeValidate);
}

void DmSetPublicFromOptions(BYTE* dm, DriverContext* ctx, int kind) {
  if (!dm || !ctx) return;
  DmRefreshPaperFromOptions(dm, ctx, kind);
  DmSetDuplexFromOptions(dm, ctx);
  DmSetMediaTypeFromOptions(dm, ctx);
}

void DmRefreshPaperFromOptions(BYTE* dm, DriverContext* ctx, int kind) {
  if (!dm || !ctx) return;
  DmSetResolutionFromOptions(dm, ctx);
  DmSetSourcePaper(DmPubGetShort(dm, kDmPubPaperSize), kOptPaperSize, ctx, dm);
  DmSetOutputPaper(OptGetValue(ctx, kOptOutPaperSize, nullptr), kOptOutPaperSize, ctx, dm);
  DmRefreshEnvironmentFlags(ctx);
  if (kind == 1 || kind == 3 || kind == 4) OptSetOtherString(ctx);
  DmRefreshCutAndUiStart(ctx);
  FmBroadcastNotify(ctx, kFmNotifyPaperRefreshed, nullptr);
}

// ---- duplex, media type, quality and resolution -----------------------------------------------

int DmSetDuplexFromOptions(BYTE* dm, DriverContext* ctx) {
  if (!dm || !ctx) return 0;
  int16_t duplex = kDmDuplexSimplex;
  if (OptGetValue(ctx, kOptFuncSelectDuplex, nullptr)) {
    const int16_t current = DmPubGetShort(dm, kDmPubDuplex);
    const int32_t type = OptGetValue(ctx, kOptDuplexType, nullptr);
    const bool landscape = IsLandscape(dm);
    if (OptGetCustomFunc(ctx, kOptCustomFuncFirst) && (current == kDmDuplexVertical || current == kDmDuplexHorizontal)) {
      duplex = current;
    } else if (type == 0) {
      duplex = kDmDuplexSimplex;
    } else if (OptIsInFixedList(kListShortEdge, type)) {
      duplex = landscape ? kDmDuplexVertical : kDmDuplexHorizontal;
    } else {
      duplex = landscape ? kDmDuplexHorizontal : kDmDuplexVertical;
    }
  }
  DmPubSetShort(dm, kDmPubDuplex, duplex);
  return duplex;
}

void DmSetMediaTypeFromOptions(BYTE* dm, DriverContext* ctx) {
  if (!dm || !ctx) return;
  DmPubSetDword(dm, kDmPubMediaType, static_cast<DWORD>(OptGetValue(ctx, kOptMediaType, nullptr)));
}

int DmApplyPrintQuality(BYTE* dm, DriverContext* ctx) {
  if (!dm || !ctx) return 0;
  const int16_t quality = DmPubGetShort(dm, kDmPubPrintQuality);
  DmPubSetShort(dm, kDmPubYResolution, quality);
  OptSetDstResolutionW(ctx, quality);
  OptSetDstResolutionH(ctx, quality);
  OptSetBalanceMacroForResolution(ctx, quality);
  return 1;
}

void DmSetResolutionFromOptions(BYTE* dm, DriverContext* ctx) {
  if (!dm || !ctx) return;
  const int32_t resolution = OptGetDstResolutionW(ctx);
  OptSetDstResolutionH(ctx, resolution);
  DmPubSetShort(dm, kDmPubPrintQuality, resolution);
  DmPubSetShort(dm, kDmPubYResolution, resolution);
}

void OptSetBalanceMacroForResolution(DriverContext* ctx, int32_t resolution) {
  OptApplyBalanceMacro(static_cast<int16_t>(resolution), ctx);
}

void OptLoadUserQualityMacro(DriverContext* ctx) {
  if (!ctx || OptGetValue(ctx, kOptUseUserMacro, nullptr) != 1) return;
  const int32_t macro = OptGetValue(ctx, kOptUserPrintMacro, nullptr);
  if (!((macro >= 32 && macro <= 39) || macro == 160)) return;
  WCHAR key[32] = {};
  if (CfgQualityKey(key, macro - 32) <= 0 || key[0] == 0) return;
  const WCHAR* section = CfgPrinterSection(ctx);
  const WCHAR* settings = PathGetSettingsIni(ctx);
  if (!section || !settings || !settings[0]) return;
  WCHAR path[kCtxPathChars] = {};
  IniReadString(section, key, u"", path, kCtxPathChars, settings);
  if (!path[0]) return;
  CfgLoadSettingsFile(ctx->printer, path, kQualityMacroLoadFlags, ctx);
  if (ctx->workArea && (ctx->workArea->mergeFlags & kMergeLoadQualityName)) CfgLoadQualityName(ctx, key);
}

// ---- the model's Transacts --------------------------------------------------------------------

void OptApplyAllTransacts(DriverContext* ctx) {
  if (!ctx || !ctx->optionTable || !ctx->modelImage) return;
  const int count = ctx->optionTable->count;
  for (int index = 0; index < count; ++index) {
    const ModelItem* item = MdlFindItemForOption(ctx, index);
    if (item) MdlRunItemTransact(item, ctx);
  }
}

void OptApplyTransactOf(DriverContext* ctx, WORD id) {
  if (!ctx || !ctx->modelImage) return;
  const ModelItem* item = MdlFindActiveItem(id, ctx);
  if (item) MdlRunItemTransact(item, ctx);
}

// ---- module events ----------------------------------------------------------------------------

void FmBroadcastPublicApplied(DriverContext* ctx) { FmBroadcastNotify(ctx, kFmNotifyPublicApplied, nullptr); }

void FmBroadcastRecheck(DriverContext* ctx) { FmBroadcastNotify(ctx, kFmNotifyRecheck, nullptr); }
