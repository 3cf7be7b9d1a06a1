// Settings services of the ZOLTDrv interface: job values through the job-control module, the
// per-user store, the interface's watermark slot, margins, the user paper of a record and the
// tests of terminal-server and user-macro modes.
#include <cstring>

#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"
#include "api_support.h"
#include "context_services.h"
#include "devmode_fields.h"
#include "devmode_public.h"
#include "env_system.h"
#include "job_control.h"
#include "model_query.h"
#include "option_access.h"
#include "option_store.h"
#include "settings_paths.h"
#include "stamp_list.h"
#include "option_context_words.h"
#include "preset_list.h"
#include "settings_files.h"
#include "win32/profile.h"

namespace {

constexpr DWORD kJobItemsOnlyWithModule = 0x3800;  // items 9-11 (authentication)
constexpr int kStoredUserClass = 3;
constexpr DWORD kSaveUserFlags = 2;

}  // namespace

int ApiLoadJobValues(DriverContext* ctx, DWORD flags) {
  if (!ctx) return 0;
  if (!FmIsFeatureEnabled(ctx, 0, 0)) flags &= ~kJobItemsOnlyWithModule;
  return JcReadItems(ctx, flags);
}

int ApiStoreJobValue(DriverContext* ctx, DWORD flag) {
  if (!ctx) return 0;
  if (!FmIsFeatureEnabled(ctx, 0, 0)) flag &= ~kJobItemsOnlyWithModule;
  if (!flag) return 0;
  return JcWriteItems(ctx, flag);
}

int ApiSaveUserSettings(DriverContext* ctx, HANDLE printer) {
  return CfgSaveOptionClass(printer ? printer : ctx->printer, ctx, kStoredUserClass, kSaveUserFlags);
}

int ApiHasInterfaceStamp(DriverContext* ctx) {
  WCHAR section[kStampSectionChars] = {};
  if (!CfgStampSection(section, kApiStampSlot, nullptr, ctx)) return 0;
  const WCHAR* field = OptGetFieldName(ctx, kApiOptWmKind);
  const WCHAR* ini = PathGetSettingsIni(ctx);
  if (!field || !ini) return 0;
  WCHAR value[16] = {};
  GetPrivateProfileStringW(section, field, u"", value, 16, ini);
  return value[0] ? 1 : 0;
}

void ApiResetMargins(DriverContext* ctx) {
  if (OptionEntry* row = OptFind(ctx, kApiOptShiftDir)) OptWriteUiValue(ctx, row, MdlGetItemDefault(kApiOptShiftDir, ctx));
  for (uint16_t option = kApiOptShiftMarginX; option <= kApiOptHFFuncSelectString; ++option) OptSetValue(ctx, option, 0);
  for (uint16_t option : {kApiOptMarginC, kApiOptMarginA, kApiOptMarginB, kApiOptMarginD, kApiOptMarginE})
    OptSetValue(ctx, option, 0);
}

int ApiResetMarginsIfOff(DriverContext* ctx) {
  const int32_t on = OptGetValue(ctx, kApiOptFuncSelectMargin, nullptr);
  if (on) return on;
  ApiResetMargins(ctx);
  return 0;
}

int ApiMarginFollows(DriverContext* ctx, uint32_t statusId) {
  return (statusId == 14 || statusId == 15) && OptGetValue(ctx, kApiOptFuncSelectMargin, nullptr) != 0 ? 1 : 0;
}

void ApiSetUserPaperFromRecord(DriverContext* ctx, const void* record) {
  const auto* r = static_cast<const StatusRecord*>(record);
  OptSetValue(ctx, kApiOptPaperSize, r->value);
  auto* dm = reinterpret_cast<DEVMODEW*>(CtxGetDevMode(ctx));
  dm->dmPaperWidth = static_cast<SHORT>(r->fields[0]);
  dm->dmPaperLength = static_cast<SHORT>(r->fields[1]);
  dm->dmFields = (dm->dmFields | kDmFieldPaperLength | kDmFieldPaperWidth) & ~static_cast<DWORD>(kDmFieldPaperSize);
}

int ApiIsTerminalServerMode(DriverContext* ctx) {
  return !EnvIsWin9x() && OptGetValue(ctx, kApiOptTSE, nullptr) ? 1 : 0;
}

int ApiIsTerminalUserWithoutAdmin(DriverContext* ctx) {
  return ApiIsTerminalServerMode(ctx) && OptGetValue(ctx, kApiOptAdmin, nullptr) == 0 ? 1 : 0;
}

int ApiIsUserMacroPrint(DriverContext* ctx) {
  return OptGetValue(ctx, kApiOptUseUserMacro, nullptr) && OptGetValue(ctx, kApiOptUserPrintMacro, nullptr) == 160 ? 1
                                                                                                                  : 0;
}

int ApiGetAdjustedVariant(DriverContext* ctx, uint16_t option) {
  if (OptGetValue(ctx, kApiOptAdjustMode, nullptr) != 1) return option;
  return ApiGetObjectVariant(ctx, option, OptGetValue(ctx, kApiOptAdjustObject, nullptr));
}

// ---- presets loaded without a window ------------------------------------------------------------

namespace {

constexpr uint16_t kOptWmKindId = 117;
constexpr uint16_t kOptWmIdOption = 118;
constexpr DWORD kPresetLoadFlags = 0x8004;

}  // namespace

int ApiLoadPresetByKey(DriverContext* ctx, const WCHAR* key) {
  if (!ctx || !key || !key[0]) return 0;
  WCHAR path[MAX_PATH] = {};
  GetPrivateProfileStringW(CfgPrinterSection(ctx), key, u"", path, MAX_PATH, PathGetSettingsIni(ctx));
  if (!path[0]) {
    WCHAR first[kPresetKeyChars] = {};
    CfgPresetKey(first, 0, 0);
    GetPrivateProfileStringW(CfgPrinterSection(ctx), first, u"", path, MAX_PATH, PathGetSettingsIni(ctx));
  }
  CtxSetSettingsFileStatus(ctx, kSettingsFileOk);
  if (path[0]) CfgLoadSettingsFile(ctx->printer, path, kPresetLoadFlags, ctx);
  // The watermark the preset names is loaded again; one that no longer exists is switched off.
  const int32_t id = OptGetValue(ctx, kOptWmIdOption, nullptr);
  if (OptGetValue(ctx, kApiOptFuncSelectWaterMark, nullptr) != 0 && id >= 0 && id < CfgGetStampCount(ctx)) {
    const int32_t kind = OptGetValue(ctx, kOptWmKindId, nullptr);
    if (kind >= 1 && kind <= 3) {
      CfgLoadStamp(ctx, id);
      OptSetUiValue(ctx, kOptWmIdOption, static_cast<uint32_t>(id));
    }
  } else {
    OptSetValue(ctx, kApiOptFuncSelectWaterMark, 0);
    OptSetValue(ctx, kOptWmIdOption, 0);
  }
  CfgPresetValueCache(ctx, key, kPresetCacheStore);
  FmBroadcastRecheck(ctx);
  return CtxGetSettingsFileStatus(ctx) == kSettingsFileOk ? 1 : 0;
}

int ApiLoadPresetEntry(DriverContext* ctx, int index) {
  if (index < 0 || index > 15) return 0;
  WCHAR key[kPresetKeyChars] = {};
  CfgPresetKey(key, index, 0);
  return ApiLoadPresetByKey(ctx, key);
}
