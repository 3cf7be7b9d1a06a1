// The document-properties sheet function as the host and the non-UI path call it: the merge of
// a caller's device mode without any window, the device mode written back to the caller, and
// the reasons of the sheet protocol that need no page. The pages themselves (INIT and DESTROY
// of a real sheet, and the printer-properties pages) are built by the sheet engine.
#include "context_services.h"
#include "ctx_environment.h"
#include "devmode_defaults.h"
#include "devmode_fields.h"
#include "devmode_merge.h"
#include "devmode_public.h"
#include "devmode_record.h"
#include "env_system.h"
#include "compact_settings.h"
#include "job_control.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_store.h"
#include "option_values.h"
#include "printer_setup.h"
#include "prn_data.h"
#include "ui_entry.h"
#include "user_code.h"
#include "csr_cleanup.h"
#include "user_sync.h"

namespace {

constexpr uint16_t kOptFuncSelectSort = 61;  // zdmFuncSelectSort
constexpr uint16_t kOptCallSrc = 729;        // zdmCallSrc
constexpr uint16_t kOptUserCodeGet = 739;    // zdmUserCodeGet
constexpr DWORD kJcItemsNotInOutput = 0x789F;
constexpr ULONG_PTR kSheetIconId = 64082;

// Field offsets of the public part (dmFields and dmCollate).
constexpr DWORD kAtFields = 72;
constexpr DWORD kAtCollate = 100;

WORD PublicSize(const BYTE* dm) { return static_cast<WORD>(dm[68] | dm[69] << 8); }
bool HasField(const BYTE* dm, DWORD at, DWORD size) { return dm && PublicSize(dm) >= at + size; }
DWORD ReadFields(const BYTE* dm) {
  return HasField(dm, kAtFields, 4) ? DWORD(dm[72]) | DWORD(dm[73]) << 8 | DWORD(dm[74]) << 16 | DWORD(dm[75]) << 24
                                    : 0;
}
void WriteFields(BYTE* dm, DWORD v) {
  if (!HasField(dm, kAtFields, 4)) return;
  for (int i = 0; i < 4; ++i) dm[kAtFields + i] = static_cast<BYTE>(v >> (8 * i));
}
void WriteCollate(BYTE* dm, int16_t v) {
  if (!HasField(dm, kAtCollate, 2)) return;
  dm[kAtCollate] = static_cast<BYTE>(v);
  dm[kAtCollate + 1] = static_cast<BYTE>(static_cast<uint16_t>(v) >> 8);
}

// DM_COLLATE and dmCollate from zdmFuncSelectSort, or both cleared where collation cannot be had.
void ApplyCollateRule(BYTE* dm, DriverContext* ctx) {
  if (OptIsCollateAvailable(ctx)) {
    WriteFields(dm, ReadFields(dm) | kDmFieldCollate);
    WriteCollate(dm, (OptGetValue(ctx, kOptFuncSelectSort, nullptr) & 0xFFFF) ? 1 : 0);
  } else {
    WriteFields(dm, ReadFields(dm) & ~kDmFieldCollate);
    WriteCollate(dm, 0);
  }
}

// The answers that a merge may overwrite with the caller's values, remembered to write them again.
struct EnvironmentAnswers {
  int tm = 0;
  int mi = 0;
  int userCode = 0;
};

void WriteAnswers(DriverContext* ctx, const EnvironmentAnswers& a) {
  a.tm ? CtxSetTMInstalledOn(ctx) : CtxSetTMInstalledOff(ctx);
  a.mi ? CtxSetMIInstalledOn(ctx) : CtxSetMIInstalledOff(ctx);
  if (a.userCode) {
    CtxSetUserCodeGetOn(nullptr, ctx);
    CtxSetUserCodeDLLOn(ctx);
  } else {
    CtxSetUserCodeGetOff(ctx);
    CtxSetUserCodeDLLOff(ctx);
  }
}

// The environment settings that the model's rules test, for a document without sheets.
EnvironmentAnswers SetDocumentEnvironment(DriverContext* ctx, DWORD mode) {
  if (EnvIsWin2000BeforeSp4()) {
    CtxSetCallSrcDefaults(ctx);
    CtxSetOSKindWin2000(ctx);
  } else {
    if (mode & DM_USER_DEFAULT) {
      CtxSetCallSrcDefaults(ctx);
      if (EnvIsWin2000Sp4() && !EnvIsExplorerHost()) CtxSetCallSrcApp(ctx);
    } else {
      CtxSetCallSrcApp(ctx);
    }
    EnvIsWin2000OrLater() ? CtxSetOSKindWin2000(ctx) : CtxSetOSKindLegacy(ctx);
  }
  (mode & DM_NOPERMISSION) ? CtxSetNoPermissionOn(ctx) : CtxSetNoPermissionOff(ctx);
  PrnIsRemotePrinter(ctx) ? CtxSetServerClientModeOn(ctx) : CtxSetServerClientModeOff(ctx);
  EnvironmentAnswers a;
  a.tm = RegIsAddOnInstalled(2, ctx);
  a.tm ? CtxSetTMInstalledOn(ctx) : CtxSetTMInstalledOff(ctx);
  a.mi = RegIsAddOnInstalled(8, ctx);
  a.mi ? CtxSetMIInstalledOn(ctx) : CtxSetMIInstalledOff(ctx);
  UcodeQueryProvider(ctx);
  a.userCode = OptGetValue(ctx, kOptUserCodeGet, nullptr) == 1;
  return a;
}

// The reasons of the host's protocol that need no page: the sheet header, the result, the icon
// (none); INIT and DESTROY without a context fail.
LONG AnswerSheetReason(PROPSHEETUI_INFO* info, LPARAM lParam, LPWSTR title) {
  switch (info->Reason) {
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
      auto* h = reinterpret_cast<PROPSHEETUI_INFO_HEADER*>(lParam);
      if (!h) return -1;
      h->Flags = PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE;
      h->pTitle = title;
      h->hInst = UiGetModuleHandle();
      h->IconID = kSheetIconId;
      return 1;
    }
    case PROPSHEETUI_REASON_SET_RESULT: {
      auto* r = reinterpret_cast<SETRESULT_INFO*>(lParam);
      if (r) info->Result = static_cast<ULONG_PTR>(r->Result);
      return 1;
    }
    case PROPSHEETUI_REASON_INIT:
    case PROPSHEETUI_REASON_DESTROY:
    case PROPSHEETUI_REASON_GET_ICON:
      return -1;
    default:
      return 1;
  }
}

}  // namespace

void UiCheckContextDevMode(DriverContext* ctx) {
  const DEVMODEW* dm = reinterpret_cast<const DEVMODEW*>(CtxGetDevMode(ctx));
  if (!dm) return;
  const DWORD extent = DWORD{dm->dmSize} + dm->dmDriverExtra;
  const bool convertible = DmIsCompatibleModel(dm, ctx) && DmCheckVersion(dm) == kDmVersionConvert;
  if (extent != DmGetSize() || (!DmIsCurrentVersion(dm, ctx) && !convertible)) {
    DmInitFromModel(ctx);
    CfgFreeFontBuffers(ctx);
    CfgLoadPrinterSettings(ctx);
  } else if (convertible) {
    DmConvertToCurrent(dm, ctx);
  }
}

int UiPrinterHasDefaultDevMode(HANDLE printer) {
  auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
  const int has = pi2 && pi2->pDevMode ? 1 : 0;
  MdlFreeMem(pi2);
  return has;
}

int UiWriteOutputDevMode(DriverContext* ctx) {
  ContextWorkArea* wa = ctx->workArea;
  const DWORD mode = wa->documentMode;
  if (!(mode & (DM_UPDATE | DM_COPY))) return 1;
  if ((mode & DM_COPY) && OptHasJobControl()) DmWriteZcomCaps(ctx);
  JcClearItems(ctx, kJcItemsNotInOutput);
  auto* working = reinterpret_cast<DEVMODEW*>(CtxGetDevMode(ctx));
  auto* in = static_cast<DEVMODEW*>(wa->callerDevModeIn);
  auto* out = static_cast<DEVMODEW*>(wa->callerDevModeOut);
  BYTE* outBytes = reinterpret_cast<BYTE*>(out);
  if ((mode & DM_COPY) || (wa->creationMode & kCtxModeDocumentNoUi)) {
    DmMergeForOutput(working, in, out, ctx);
    if (out) {
      const BYTE* inBytes = reinterpret_cast<const BYTE*>(in);
      const bool keepCallers = OptIsCollateAvailable(ctx) && in && (ReadFields(inBytes) & kDmFieldCollate) &&
                               (EnvIsWin2000BeforeSp4() || OptGetValue(ctx, kOptCallSrc, nullptr) != 1);
      if (!keepCallers) ApplyCollateRule(outBytes, ctx);
    }
  } else {
    if (out) DmMergeForOutput(working, in, out, ctx);
    ApplyCollateRule(reinterpret_cast<BYTE*>(working), ctx);
  }
  return 1;
}

LONG UiMergeDocumentProperties(DOCUMENTPROPERTYHEADER* header, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2,
                               DRIVER_INFO_3W* di3, int nameChanged) {
  header->cbOut = DmGetSize();
  if (header->fMode == 0 || !header->pdmOut) return static_cast<LONG>(header->cbOut);
  HANDLE printer = header->hPrinter;
  DriverContext* ctx =
      CtxCreateForDocument(printer, printer, nullptr, kCtxModeDocumentNoUi, header->fMode, pi2, di2, di3);
  if (!ctx) return -1;
  if (!ctx->modelImage) {
    CtxReleaseAs(ctx, kCtxReleaseDestroy);
    return -1;
  }
  struct Release {
    DriverContext* ctx;
    ~Release() { CtxRelease(ctx); }
  } release{ctx};
  UiCheckContextDevMode(ctx);
  ContextWorkArea* wa = ctx->workArea;
  wa->callerDevModeIn = header->pdmIn;
  wa->callerDevModeOut = header->pdmOut;
  wa->documentMode = header->fMode;
  if (nameChanged) {
    CfgHandlePrinterRename(ctx);
    if (pi2 && CfgSyncUserSettings(printer, 1, pi2, di2, di3) != 1) return -1;
  }
  const EnvironmentAnswers answers = SetDocumentEnvironment(ctx, header->fMode);
  if ((header->fMode & DM_MODIFY) && header->pdmIn) {
    if (!DmMergeIncoming(ctx, header->pdmIn, header->fMode | 0x22000008)) return -1;
    WriteAnswers(ctx, answers);
  }
  if (header->fMode & (DM_UPDATE | DM_COPY)) UiWriteOutputDevMode(ctx);
  return 1;
}

LONG UiHandleDocumentPropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam) {
  auto* header = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(info ? info->lParamInit : lParam);
  if (!header) return -1;
  const bool fetch = info || (header->fMode != 0 && header->pdmOut);
  UiEntryBracket bracket(header->hPrinter, fetch);
  int nameChanged = 0;
  if (fetch) {
    if (!bracket.pi2()) return -1;
    nameChanged = PrnWasRenamed(header->hPrinter, bracket.pi2());
    if (!nameChanged && bracket.Sync(1) != 1) return -1;
  }
  if (!info) {
    if (bracket.pi2()) bracket.SetCsrConnection(PrnIsCsrConnection(header->hPrinter, bracket.pi2()));
    return UiMergeDocumentProperties(header, bracket.pi2(), bracket.di2(), bracket.di3(), nameChanged);
  }
  // The document pages are the sheet engine's: INIT hands no context to the host.
  return AnswerSheetReason(info, lParam, header->pszPrinterName);
}
