// The document-properties sheet function as the host and the non-UI path call it: the merge of
// a caller's device mode without any window, the environment settings that the model's rules
// test, and the reasons of the sheet protocol that need no page. The opening and closing of the
// printing-preferences sheet are in ui_document_sheets.cpp, the printer-properties pages are
// built by the sheet engine.
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

constexpr uint16_t kOptUserCodeGet = 739;    // zdmUserCodeGet
constexpr ULONG_PTR kSheetIconId = 64082;

}  // namespace

void UiWriteEnvironmentAnswers(DriverContext* ctx, const UiEnvironmentAnswers& a) {
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

UiEnvironmentAnswers UiSetDocumentEnvironment(DriverContext* ctx, DWORD mode, int sheet) {
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
  if (sheet) CtxSetPropertyTypeDocument(ctx);
  (mode & DM_NOPERMISSION) ? CtxSetNoPermissionOn(ctx) : CtxSetNoPermissionOff(ctx);
  if (!sheet) PrnIsRemotePrinter(ctx) ? CtxSetServerClientModeOn(ctx) : CtxSetServerClientModeOff(ctx);
  UiEnvironmentAnswers a;
  a.tm = RegIsAddOnInstalled(2, ctx);
  a.tm ? CtxSetTMInstalledOn(ctx) : CtxSetTMInstalledOff(ctx);
  a.mi = RegIsAddOnInstalled(8, ctx);
  a.mi ? CtxSetMIInstalledOn(ctx) : CtxSetMIInstalledOff(ctx);
  UcodeQueryProvider(ctx);
  a.userCode = OptGetValue(ctx, kOptUserCodeGet, nullptr) == 1;
  return a;
}

namespace {

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
  const UiEnvironmentAnswers answers = UiSetDocumentEnvironment(ctx, header->fMode, 0);
  if ((header->fMode & DM_MODIFY) && header->pdmIn) {
    if (!DmMergeIncoming(ctx, header->pdmIn, header->fMode | 0x22000008)) return -1;
    UiWriteEnvironmentAnswers(ctx, answers);
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
  switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT:
      return UiInitDocumentSheet(info, header, bracket.pi2(), bracket.di2(), bracket.di3(), nameChanged);
    case PROPSHEETUI_REASON_DESTROY:
      return UiDestroyDocumentSheet(info);
    default:
      return AnswerSheetReason(info, lParam, header->pszPrinterName);
  }
}
