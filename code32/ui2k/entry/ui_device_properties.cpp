// Printer properties: the device pages of the dialog table over the printer's stored
// configuration, built through the common property-sheet host (DrvDevicePropertySheets), and
// PrinterProperties, which opens them for a caller with only a window and a printer handle. A
// user who may not write the printer's data gets the pages in no-permission mode; an accepted
// sheet stores the configuration when the host destroys it.
#include "context_services.h"
#include "csr_cleanup.h"
#include "ctx_environment.h"
#include "device_state.h"
#include "devmode_fields.h"
#include "devmode_merge.h"
#include "env_language.h"
#include "env_system.h"
#include "ini_file.h"
#include "install_defaults.h"
#include "job_control.h"
#include "option_access.h"
#include "option_values.h"
#include "printer_setup.h"
#include "prn_data.h"
#include "scenario_install.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "sheet_engine.h"
#include "ui_entry.h"
#include "user_code.h"
#include "user_sync.h"

namespace {

constexpr DWORD kCreatePrinterSheet = 0x80000000u;
constexpr DWORD kMergeNothing = 0x400000A;
constexpr DWORD kDeviceSheet = 2;
constexpr DWORD kJcAllItems = 0x2000;
constexpr ULONG_PTR kSheetIconId = 64082;
constexpr UINT kWhatsThisCommand = 20004;
constexpr DWORD kWhatsThisText = 13775;
constexpr uint16_t kOptLanguageId = 169;             // zdmLanguageID
constexpr uint16_t kOptAuthNetworkKey = 1146;         // wdmAuthenticationNetworkKey
constexpr uint16_t kOptAuthMode = 10354;              // zdmPrnFuncAuthenticationMode
constexpr uint16_t kOptAuthSecureMode = 10355;        // zdmPrnFuncAuthenticationSecureMode
constexpr uint16_t kAuthDialog = 4019;
constexpr int kAuthKeyControl = 2988;

// "ZoltInstDone" of the installation-defaults file: 1 takes the display language, 0 applies the
// pending installation defaults, anything else leaves both.
void ApplyInstallationDefaults(DriverContext* ctx) {
  WCHAR ini[MAX_PATH] = {};
  if (!PathGetInstallDefaultsIni(ini, ctx) || GetFileAttributesW(ini) == INVALID_FILE_ATTRIBUTES) return;
  const WCHAR* section = PrnGetName(ctx);
  if (!section) return;
  const BYTE done = static_cast<BYTE>(IniReadInt(section, kInstDoneKey, -1, ini));
  if (done == 1)
    OptSetValue(ctx, kOptLanguageId, static_cast<BYTE>(IniReadInt(section, kInstDispLangKey, 0, ini)));
  else if (done == 0)
    CfgApplyInstallDefaults(ctx);
}

void SetSheetEnvironment(DriverContext* ctx, DWORD headerFlags) {
  CtxSetCallSrcDefaults(ctx);
  CtxSetPropertyTypePrinter(ctx);
  (headerFlags & DPS_NOPERMISSION) ? CtxSetNoPermissionOn(ctx) : CtxSetNoPermissionOff(ctx);
}

void MakeWhatsThisMenu(DriverContext* ctx) {
  if (!CfgUseHtmlHelp(ctx)) return;
  if (!EnvIsVistaOrLater()) UiComInitialize(ctx);
  SheetEngineState* state = UiSheetState(ctx);
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  WCHAR* text = ctx->workArea->scratchText;
  if (EnvLoadString(ctx, kWhatsThisText, text, kCtxScratchChars, 1) <= 0) text[0] = 0;
  AppendMenuW(menu, MF_STRING, kWhatsThisCommand, text);
  if (state) state->whatsThisMenu = menu;
}

void FreeWhatsThisMenu(DriverContext* ctx) {
  if (!CfgUseHtmlHelp(ctx)) return;
  SheetEngineState* state = UiSheetState(ctx);
  if (state && state->whatsThisMenu) {
    DestroyMenu(state->whatsThisMenu);
    state->whatsThisMenu = nullptr;
  }
  if (!EnvIsVistaOrLater()) UiComUninitialize(ctx);
}

// The directory publication asked on every reason that has a context; its answer is not used.
void PublishPrinter(HANDLE printer) {
  PRINTER_INFO_7W info{};
  info.pszObjectGUID = nullptr;
  info.dwAction = DSPRINT_UPDATE;
  SetPrinterW(printer, 7, reinterpret_cast<BYTE*>(&info), 0);
}

DriverContext* InitDeviceSheet(PROPSHEETUI_INFO* info, DEVICEPROPERTYHEADER* header, UiEntryBracket& bracket,
                               int nameChanged) {
  HANDLE printer = header->hPrinter;
  DriverContext* ctx = CtxCreate(printer, printer, nullptr, kCreatePrinterSheet, bracket.pi2(), bracket.di2(),
                                 bracket.di3());
  if (!ctx) return nullptr;
  if (!ctx->modelImage) {
    CtxReleaseAs(ctx, kCtxReleaseDestroy);
    return nullptr;
  }
  UiCheckContextDevMode(ctx);
  if (nameChanged) {
    CfgHandlePrinterRename(ctx);
    if (CfgSyncUserSettings(ctx->printer, 1, bracket.pi2(), bracket.di2(), bracket.di3()) != 1) {
      CtxRelease(ctx);
      return nullptr;
    }
  }
  ApplyInstallationDefaults(ctx);
  CtxSetTSE(ctx, static_cast<BYTE>(EnvQueryTerminalServerForDriver(printer, nullptr)));
  CtxSetAdmin(ctx, static_cast<BYTE>(EnvIsAdministrator(ctx)));
  if (CtxGetServerClientMode(ctx) != 1 && BidiStateFileGetFlag(ctx)) BidiLoadStateFile(ctx);
  BidiRaiseNoStateEvent(ctx, nullptr);
  EnvIsWin2000OrLater() ? CtxSetOSKindWin2000(ctx) : CtxSetOSKindLegacy(ctx);
  SetSheetEnvironment(ctx, header->Flags);
  RegIsAddOnInstalled(2, ctx) ? CtxSetTMInstalledOn(ctx) : CtxSetTMInstalledOff(ctx);
  RegIsAddOnInstalled(8, ctx) ? CtxSetMIInstalledOn(ctx) : CtxSetMIInstalledOff(ctx);
  UcodeQueryProvider(ctx);
  JcReadItems(ctx, kJcAllItems);
  if (CtxGetNoPermission(ctx) == 0 && CtxGetBiDirect(ctx) == 0) CfgRunPresetRefresh(ctx, 2);
  if (!DmMergeIncoming(ctx, nullptr, kMergeNothing)) {
    CtxRelease(ctx);
    return nullptr;
  }
  info->UserData = reinterpret_cast<ULONG_PTR>(ctx);
  return ctx;
}

// The job-control items of an accepted sheet; without the network-key bit the key is not kept.
void WriteJobControlItems(DriverContext* ctx) {
  const uint32_t flags = OptGetAuthFieldFlags(ctx, 4);
  JcOpenSession(ctx);
  if (flags & 2) {
    JcWriteItemsInSession(ctx, kJcAllItems);
  } else {
    OptionEntry* row = nullptr;
    OptGetValuePointer(ctx, kOptAuthNetworkKey, &row);
    if (row) OptSetStringValue(ctx, row, u"");
    JcWriteItemsInSession(ctx, kJcAllItems);
    WCHAR* scratch = ctx->workArea->scratchText;
    scratch[0] = 0;
    DialogDescriptor* dialog = OptFindDialog(ctx, kAuthDialog);
    if (dialog && dialog->window && GetDlgItem(dialog->window, kAuthKeyControl))
      SetDlgItemTextW(dialog->window, kAuthKeyControl, scratch);
  }
  if (OptGetValue(ctx, kOptAuthMode, nullptr) == 0) OptSetValue(ctx, kOptAuthSecureMode, 0);
  JcCloseSession(ctx);
}

LONG DestroyDeviceSheet(PROPSHEETUI_INFO* info, DriverContext* ctx) {
  if (ctx->workArea->subDialogResult == 1) {
    WriteJobControlItems(ctx);
    CfgCommitPrinterSettings(ctx);
    if (RegIsSaveDeviceSetupOn(ctx)) {
      CfgWriteConfigToDefaultScenario(ctx);
      CfgWritePrnSection(nullptr, 8, ctx);
    }
    CfgRunPresetRefresh(ctx, 1);
    if (BidiCanWritePrinterData(ctx)) BidiDropStateSection(ctx);
    info->Result = 1;
    auto host = reinterpret_cast<PFNCOMPROPSHEET>(info->pfnComPropSheet);
    if (host) host(info->hComPropSheet, CPSFUNC_SET_RESULT, 0, 1);
  } else {
    info->Result = 0;
  }
  FreeWhatsThisMenu(ctx);
  CtxRelease(ctx);
  info->UserData = 0;
  return 1;
}

}  // namespace

LONG UiHandleDevicePropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam) {
  if (!info || !info->lParamInit) return -1;
  auto* header = reinterpret_cast<DEVICEPROPERTYHEADER*>(info->lParamInit);
  const bool destroy = info->Reason == PROPSHEETUI_REASON_DESTROY;
  UiEntryBracket bracket(header->hPrinter, true);
  if (!destroy && !bracket.pi2()) return -1;
  int nameChanged = 0;
  if (!destroy) {
    nameChanged = PrnWasRenamed(header->hPrinter, bracket.pi2());
    if (!nameChanged && bracket.Sync(1) != 1) return -1;
  }
  DriverContext* ctx = nullptr;
  if (info->Reason == PROPSHEETUI_REASON_INIT) {
    ctx = InitDeviceSheet(info, header, bracket, nameChanged);
    if (!ctx) return -1;
  } else {
    ctx = reinterpret_cast<DriverContext*>(info->UserData);
    if (!ctx) return -1;
  }
  PublishPrinter(header->hPrinter);
  switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT: {
      MakeWhatsThisMenu(ctx);
      CfgApplyLocaleRegion(ctx);
      SetSheetEnvironment(ctx, header->Flags);
      ContextWorkArea* wa = ctx->workArea;
      wa->propSheetCallback = reinterpret_cast<void*>(info->pfnComPropSheet);
      wa->propSheetHandle = info->hComPropSheet;
      wa->sheetState = kDeviceSheet;
      if (SheetEngineState* state = UiSheetState(ctx)) {
        state->applied = 0;
        state->mayChange = (header->Flags & DPS_NOPERMISSION) ? 0 : 1;
      }
      UiAddPropertyPages(ctx, kDialogPrinterPage);
      return 1;
    }
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
      auto* h = reinterpret_cast<PROPSHEETUI_INFO_HEADER*>(lParam);
      if (!h) return -1;
      h->Flags = PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE;
      h->pTitle = header->pszPrinterName;
      h->hInst = UiGetModuleHandle();
      h->IconID = kSheetIconId;
      return 1;
    }
    case PROPSHEETUI_REASON_DESTROY:
      return DestroyDeviceSheet(info, ctx);
    case PROPSHEETUI_REASON_SET_RESULT: {
      auto* r = reinterpret_cast<SETRESULT_INFO*>(lParam);
      if (r) info->Result = static_cast<ULONG_PTR>(r->Result);
      return 1;
    }
    case PROPSHEETUI_REASON_GET_ICON:
      return -1;
    default:
      return 1;
  }
}

BOOL UiShowPrinterProperties(HWND owner, HANDLE printer) {
  DEVICEPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.Flags = 0;
  header.hPrinter = printer;
  header.pszPrinterName = nullptr;
  DWORD permission = 1;
  if (!PrnWritePermission(printer, &permission, sizeof permission)) header.Flags = DPS_NOPERMISSION;
  LONG result = 1;
  UiRunCommonPropertySheet(owner, UiHandleDevicePropertySheets, reinterpret_cast<LPARAM>(&header), &result);
  return result != 0 ? TRUE : FALSE;
}
