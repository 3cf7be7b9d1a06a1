// Printing preferences as the common property-sheet host opens and closes them: at INIT a
// context is made for the sheet, its device mode brought into shape, the environment that the
// model's rules test set, the caller's device mode merged and the document pages added; at
// DESTROY the accepted settings reach the job-control module, the caller's device mode and the
// stored settings, or a cancelled sheet leaves them as they were.
#include <cstring>

#include "core_memory.h"
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
#include "option_store.h"
#include "option_values.h"
#include "print_notification.h"
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

constexpr uint16_t kOptLanguageId = 169;        // zdmLanguageID
constexpr uint16_t kOptCallSrc = 729;           // zdmCallSrc
constexpr uint16_t kOptNoPermission = 734;      // zdmNoPermission
constexpr uint16_t kOptPresentUIMode = 735;     // zdmPresentUIMode
constexpr uint16_t kOptServerClientMode = 737;  // zdmServerClientMode
constexpr uint16_t kOptPresetRefreshMark = 10014;
constexpr uint16_t kOptAuthUserName = 1144;     // wdmAuthenticationUserName
constexpr uint16_t kOptAuthPassword = 1145;     // wdmAuthenticationPassword

constexpr DWORD kMergeFlagsSheet = 0x2000000;
constexpr DWORD kMergeFlagsNotified = 0x2400000;
constexpr DWORD kSheetKindDocument = 1;
constexpr WORD kFeatureJobControl = 0;
constexpr WORD kFeaturePrintNotification = 1;

constexpr DWORD kJcItemsAccepted = 0x409E;
constexpr DWORD kJcItemsPassword = 0x1000;
constexpr DWORD kJcItemUserName = 9;
constexpr DWORD kJcReadAll = 1;
constexpr uint32_t kAuthFieldsDocument = 3;
constexpr uint32_t kAuthUserNameKept = 0x1;
constexpr uint32_t kAuthPasswordKept = 0x2;

constexpr DWORD kWhatsThisStringId = 13775;
constexpr int kPathChars = 260;

// Whether the device's default trays are still to be stored: they have not been applied yet and
// the device's state is known (from the state file or the printer data).
struct TrayDefaults {
  int applied = 0;
  int hasState = 0;
  bool Pending() const { return applied == 0 && hasState == 1; }
};

TrayDefaults ReadTrayDefaults(DriverContext* ctx) {
  TrayDefaults t;
  t.applied = BidiAreTrayDefaultsApplied(ctx);
  if (OptGetValue(ctx, kOptServerClientMode, nullptr) != 1 && BidiStateFileHasFlag(ctx))
    t.hasState = BidiStateFileGetFlag(ctx);
  else
    t.hasState = BidiPrinterDataHasState(ctx->printer, ctx);
  return t;
}

// "ZoltInstDone" of the printer's section in the installation-defaults file: 1 takes only the
// display language, 0 applies the installation defaults, absent does nothing.
void ApplyInstallationDefaults(DriverContext* ctx) {
  WCHAR path[kPathChars] = {};
  if (!PathInSharedDir(path, kPathChars, kUserCodeIniName, ctx) || !path[0]) return;
  if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return;
  const WCHAR* section = PrnGetName(ctx);
  switch (IniReadInt(section, kInstDoneKey, -1, path) & 0xFF) {
    case 1:
      OptSetValue(ctx, kOptLanguageId, int32_t(IniReadInt(section, u"DispLang", 0, path) & 0xFF));
      break;
    case 0:
      CfgApplyInstallDefaults(ctx);
      break;
    default:
      break;
  }
}

// The one-time refresh of the preset list when the sheet opens.
void RefreshPresets(DriverContext* ctx) {
  const bool noPermission = OptGetValue(ctx, kOptNoPermission, nullptr) != 0;
  if (EnvIsWin2000BeforeSp4()) {
    OptionEntry* mark = nullptr;
    OptGetValue(ctx, kOptPresetRefreshMark, &mark);
    if (!noPermission && mark && PrnWriteOption(ctx->printer, ctx, mark)) CfgRunPresetRefresh(ctx, 0);
  } else if (OptGetValue(ctx, kOptCallSrc, nullptr) == 1 && !noPermission) {
    CfgRunPresetRefresh(ctx, 0);
  }
}

void FreeBackup(SheetEngineState* state) {
  MdlFreeMem(state->backupImage);
  state->backupImage = nullptr;
}

// The What's-this menu of the sheet (HTML help only): one item that opens the context help.
void MakeWhatsThisMenu(DriverContext* ctx, SheetEngineState* state) {
  if (!CfgUseHtmlHelp(ctx)) return;
  if (!EnvIsVistaOrLater()) UiComInitialize(ctx);
  HMENU menu = CreatePopupMenu();
  state->whatsThisMenu = menu;
  if (!menu) return;
  WCHAR* text = ctx->workArea->scratchText;
  text[0] = 0;
  if (EnvLoadString(ctx, kWhatsThisStringId, text, kCtxScratchChars, 1) <= 0) text[0] = 0;
  AppendMenuW(menu, MF_STRING, kCommandWhatsThis, text);
}

void SetHostResult(PROPSHEETUI_INFO* info, DriverContext* ctx) {
  info->Result = 1;
  auto callback = reinterpret_cast<PFNCOMPROPSHEET>(ctx->workArea->propSheetCallback);
  if (callback) callback(ctx->workArea->propSheetHandle, CPSFUNC_SET_RESULT, 0, 1);
}

// The job-control items of an accepted sheet; the user name and password are emptied when the
// authentication fields do not keep them.
void CommitJobControlItems(DriverContext* ctx) {
  JcOpenSession(ctx);
  if (FmIsFeatureEnabled(ctx, kFeatureJobControl, 0)) {
    JcWriteItemsInSession(ctx, kJcItemsAccepted);
    const uint32_t flags = OptGetAuthFieldFlags(ctx, kAuthFieldsDocument);
    OptionEntry* row = nullptr;
    if (!(flags & kAuthUserNameKept)) {
      JcDeleteItem(ctx, kJcItemUserName);
      OptGetValue(ctx, kOptAuthUserName, &row);
      if (row) OptSetStringValue(ctx, row, u"");
    }
    if (!(flags & kAuthPasswordKept)) {
      row = nullptr;
      OptGetValue(ctx, kOptAuthPassword, &row);
      if (row) OptSetStringValue(ctx, row, u"");
      JcWriteItemsInSession(ctx, kJcItemsPassword);
    }
  }
  JcReadItemsInSession(ctx, kJcReadAll);
  JcCloseSession(ctx);
}

}  // namespace

LONG UiInitDocumentSheet(PROPSHEETUI_INFO* info, DOCUMENTPROPERTYHEADER* header, PRINTER_INFO_2W* pi2,
                         DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3, int nameChanged) {
  HANDLE printer = header->hPrinter;
  DriverContext* ctx = CtxCreate(printer, printer, nullptr, kCtxModeUi, pi2, di2, di3);
  if (!ctx) return -1;
  if (!ctx->modelImage) {
    CtxReleaseAs(ctx, kCtxReleaseDestroy);
    return -1;
  }
  UiCheckContextDevMode(ctx);
  if (nameChanged == 1) {
    CfgHandlePrinterRename(ctx);
    if (CfgSyncUserSettings(ctx->printer, 1, pi2, di2, di3) != 1) {
      CtxRelease(ctx);
      return -1;
    }
  }
  ApplyInstallationDefaults(ctx);
  CtxSetTSE(ctx, BYTE(EnvQueryTerminalServerForDriver(printer, di3 ? di3->pDriverPath : nullptr)));
  CtxSetAdmin(ctx, BYTE(EnvIsAdministrator(ctx)));

  DWORD mergeFlags = kMergeFlagsSheet;
  if (OptGetValue(ctx, kOptPresentUIMode, nullptr) == 0 && FmIsFeatureEnabled(ctx, kFeaturePrintNotification, 0)) {
    BidiReadPrintNotification(ctx, 1);
    mergeFlags = kMergeFlagsNotified;
  }
  if (OptGetValue(ctx, kOptServerClientMode, nullptr) != 1 && BidiStateFileGetFlag(ctx)) BidiLoadStateFile(ctx);
  BidiInitAtSheetOpen(ctx, nullptr);

  SheetEngineState* state = UiSheetState(ctx);
  const TrayDefaults trays = ReadTrayDefaults(ctx);
  if (trays.Pending()) {
    BidiApplyTrayDefaults(ctx);
    state->backupImage = static_cast<SettingsImage*>(CtxAllocMem(DmGetImageSize()));
    if (!state->backupImage) {
      CtxRelease(ctx);
      return -1;
    }
  }

  const UiEnvironmentAnswers answers = UiSetDocumentEnvironment(ctx, header->fMode, 1);
  RefreshPresets(ctx);
  if (!DmMergeIncoming(ctx, header->pdmIn, mergeFlags | header->fMode)) {
    FreeBackup(state);
    CtxRelease(ctx);
    return -1;
  }
  UiWriteEnvironmentAnswers(ctx, answers);
  info->UserData = reinterpret_cast<ULONG_PTR>(ctx);
  MakeWhatsThisMenu(ctx, state);
  CfgApplyLocaleRegion(ctx);
  if (trays.Pending()) {
    BidiApplyTrayDefaults(ctx);
    if (state->backupImage && ctx->settingsImage)
      std::memcpy(state->backupImage, ctx->settingsImage, DmGetImageSize());
  }

  ContextWorkArea* wa = ctx->workArea;
  wa->callerDevModeIn = header->pdmIn;
  wa->callerDevModeOut = header->pdmOut;
  wa->documentMode = header->fMode;
  wa->propSheetCallback = reinterpret_cast<void*>(info->pfnComPropSheet);
  wa->propSheetHandle = info->hComPropSheet;
  state->applied = 0;
  wa->sheetState = kSheetKindDocument;
  UiAddPropertyPages(ctx, kDialogDocumentPage);
  return 1;
}

LONG UiDestroyDocumentSheet(PROPSHEETUI_INFO* info) {
  auto* ctx = reinterpret_cast<DriverContext*>(info->UserData);
  if (!ctx) return -1;
  SheetEngineState* state = UiSheetState(ctx);
  ContextWorkArea* wa = ctx->workArea;
  const TrayDefaults trays = ReadTrayDefaults(ctx);
  if (wa->subDialogResult == 1) {
    CommitJobControlItems(ctx);
    if (wa->documentMode & (DM_UPDATE | DM_COPY)) CfgCommitDocumentSettings(ctx);
    if (trays.Pending()) BidiSetTrayDefaultsApplied(ctx);
    if (RegIsSaveDeviceSetupOn(ctx)) {
      CfgWriteConfigToDefaultScenario(ctx);
      CfgWritePrnSection(nullptr, 8, ctx);
    }
    SetHostResult(info, ctx);
  } else if (EnvIsWin2000OrLater() && state->applied) {
    if (trays.Pending()) BidiSetTrayDefaultsApplied(ctx);
    SetHostResult(info, ctx);
  } else if (trays.Pending()) {
    // The device's default trays are stored once even when the first sheet is cancelled.
    if (state->backupImage) {
      if (ctx->settingsImage) std::memcpy(ctx->settingsImage, state->backupImage, DmGetImageSize());
      FreeBackup(state);
      CfgCommitDocumentSettings(ctx);
    }
    BidiSetTrayDefaultsApplied(ctx);
    SetHostResult(info, ctx);
  } else {
    info->Result = 0;
  }
  if (CfgUseHtmlHelp(ctx)) {
    if (state->whatsThisMenu) DestroyMenu(state->whatsThisMenu);
    state->whatsThisMenu = nullptr;
    if (!EnvIsVistaOrLater()) UiComUninitialize(ctx);
  }
  // The backup lives with the sheet: the context's release does not know it.
  FreeBackup(state);
  info->UserData = 0;
  // A parked context is handed to the printer's next caller as it is: one that holds the edits
  // of a cancelled sheet is destroyed instead, so that nothing of them comes back.
  if (info->Result == 0) CtxReleaseAs(ctx, kCtxReleaseDestroy);
  else CtxRelease(ctx);
  return 1;
}
