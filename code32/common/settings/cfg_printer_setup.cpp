// Printer initialisation at installation, connection, upgrade and device-mode conversion, and
// the carrying over of a printer's settings after a rename.
#include "printer_setup.h"

#include <cstring>
#include <vector>

#include "admin_install.h"
#include "device_state.h"
#include "devmode_defaults.h"
#include "devmode_fields.h"
#include "env_mutex.h"
#include "env_system.h"
#include "feature_modules.h"
#include "ini_file.h"
#include "install_defaults.h"
#include "job_control.h"
#include "lock_data.h"
#include "model_query.h"
#include "model_registration.h"
#include "option_access.h"
#include "option_store.h"
#include "option_values.h"
#include "path_files.h"
#include "print_notification.h"
#include "prn_data.h"
#include "remote_config.h"
#include "settings_paths.h"
#include "settings_upgrade.h"
#include "user_code.h"
#include "user_sync.h"

namespace {

constexpr uint16_t kOptCustomFunc1 = 1550;   // wdmCustomFunc1
constexpr uint16_t kOptHidden2Func7 = 456;   // zdmHidden2Func7
constexpr uint16_t kOptLock000First = 10418;
constexpr uint16_t kOptLock000Last = 10425;
constexpr uint16_t kOptLock001First = 10426;
constexpr uint16_t kOptLock001Last = 10433;

constexpr WORD kFeaturePrintNotification = 1;
constexpr WORD kFeatureLocks = 2;

constexpr WORD kKindLocalInit = 3;
constexpr WORD kKindOther = 1;
constexpr int kPrinterDataBlock = 2;
constexpr DWORD kSaveFlagsInit = 4;

// Job-control item masks of the initialisation.
constexpr DWORD kItemsDriverInfo = 0x700;
constexpr DWORD kItemsConnectionClear = 0x409E;
constexpr DWORD kItemsClearLocal = 0x789F;

constexpr BYTE kRcfgMasterServer = 17;

// The session opened for the installation file's set-up, closed on every path.
struct SetupSession {
  DriverContext* ctx = nullptr;
  void Open(DriverContext* c) {
    ctx = c;
    JcOpenSession(ctx);
  }
  void Close() {
    if (ctx) JcCloseSession(ctx);
    ctx = nullptr;
  }
  ~SetupSession() { Close(); }
};

void WriteSettingsMark(DriverContext* ctx, const WCHAR* key, const WCHAR* value) {
  const WCHAR* file = PathGetSettingsIni(ctx);
  const WCHAR* section = PrnGetName(ctx);
  if (file && file[0] && section) IniWriteString(section, key, value, file);
}

void ReloadLockBits(HANDLE printer, DriverContext* ctx) {
  if (OptionEntry* row = OptFind(ctx, kOptLock000First))
    CfgLoadCompositeValue(printer, ctx, row, 0, kKindUInt8, kCompositeLock000, kOptLock000First, kOptLock000Last);
  if (OptionEntry* row = OptFind(ctx, kOptLock001First))
    CfgLoadCompositeValue(printer, ctx, row, 0, kKindUInt8, kCompositeLock001, kOptLock001First, kOptLock001Last);
  if (OptionEntry* row = OptFind(ctx, kOptLockDstResolutionBoth)) PrnReadOption(printer, ctx, row, 0, nullptr);
}

}  // namespace

int PrnIsBatchInstallDone(HANDLE printer, DriverContext* ctx) {
  DWORD value = 0;
  return PrnReadBatchInstallDone(printer, &value, ctx) && value != 0 ? 1 : 0;
}

int PrnHasClientName(HANDLE printer, DriverContext* ctx) {
  WCHAR name[kCtxPathChars] = {};
  if (!PrnGetData(printer, name, sizeof name - sizeof(WCHAR), u"ClientName", ctx)) return 0;
  return name[0] ? 1 : 0;
}

int PrnIsRcfgMasterServer(DriverContext* ctx) {
  if (!ctx) return 0;
  BYTE type = 0;
  RcfgGetServerType(ctx->printer, PrnGetName(ctx), &type);
  return type == kRcfgMasterServer ? 1 : 0;
}

int CfgInitializePrinterData(HANDLE printer, void* devmode, int type) {
  return CfgInitializePrinter(printer, devmode, type, nullptr, nullptr, nullptr);
}

int CfgInitializePrinterDataEx(HANDLE printer, void* devmode, int type, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2,
                               DRIVER_INFO_3W* di3) {
  return CfgInitializePrinter(printer, devmode, type, pi2, di2, di3);
}

int CfgInitializePrinter(HANDLE printer, void* devmode, int type, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2,
                         DRIVER_INFO_3W* di3) {
  // 1. Type and context.
  const bool refresh = type == kInitUserRefresh;
  if (type == kInitUserRefresh || type == kInitClientSync) type = kInitConnection;
  const bool connection = type == kInitConnection && !refresh;
  WORD flags = type == kInitLocalPrinter ? kKindLocalInit : kKindOther;
  if (type == kInitDevmodeStored) flags |= kCtxFlagLoadStored;
  flags |= kCtxFlagNoMutex | kCtxFlagNoAdminCheck;
  DriverContext* ctx = (di2 && di3) ? CtxCreateWithFlagsAndInfo(printer, printer, nullptr, flags, kCtxModeUi, pi2,
                                                                di2, di3)
                                    : CtxCreateWithFlags(printer, printer, nullptr, flags, kCtxModeUi);
  if (!ctx || !ctx->workArea) {
    if (ctx) CtxReleaseAs(ctx, kCtxReleaseKeepFonts);
    return 0;
  }
  if (type == kInitDevmodeStored) type = kInitDefaultDevmode;
  const bool localTypes = type == kInitDefaultDevmode || type == kInitLocalPrinter;
  const PRINTER_INFO_2W* record = pi2 ? pi2 : ctx->workArea->printerInfo2;
  WCHAR section[kCtxPathChars] = {};
  if (const WCHAR* name = PrnGetName(ctx)) lstrcpynW(section, name, kCtxPathChars);

  // 2.-3. Folder keys and the shared settings folder.
  CfgApplyDriverIniDirectoryKeys(printer, section, ctx);
  CfgApplyAdminIniDirectoryKeys(printer, section, record);
  const bool win2000 = EnvIsWin2000OrLater() != 0;
  if (win2000) PathCreateSharedDirOf(printer);

  // 4.-5. The custom function that moves the shared folder, and the default folder it replaces.
  OptSetValue(ctx, kOptCustomFunc1, static_cast<int32_t>(MdlGetItemDefault(kOptCustomFunc1, ctx)));
  CfgSaveOptionClass(printer, ctx, kPrinterDataBlock, kSaveFlagsInit);
  if (win2000 && (OptGetValue(ctx, kOptCustomFunc1, nullptr) || OptGetValue(ctx, kOptHidden2Func7, nullptr))) {
    WCHAR folder[MAX_PATH] = {};
    const bool clientFolder =
        connection && PrnGetClientSharedDirOfInfo(printer, kClientSharedDirValue, folder, MAX_PATH, record) == 1;
    const bool sharedFolder =
        type == kInitDefaultDevmode && RegReadDriverValue(kSharedDirValue, folder, sizeof folder - sizeof(WCHAR));
    if (clientFolder || sharedFolder) PathRemoveDefaultSharedDir(printer);
  }

  // 6.-13.
  bool pack = CfgBatchIniHasSettings(section) != 0;
  CfgRunExpandFilePrograms(ctx);
  CtxSetOSKind(ctx, win2000 ? 2 : 1);
  if (type != kInitConnection) PrnWriteHelpFileName(ctx);
  CfgApplyInstallDefaults(ctx);
  CfgImportDriverIniDefaults(printer, nullptr, 0, ctx, nullptr, nullptr, nullptr);
  if (type != kInitConnection) {
    PrnWriteStoredPrinterName(printer, record);
    PrnWriteDriverName(printer, record);
    PrnEnsureDefaultFontTable(printer, ctx);
  }
  BidiDropStateSection(ctx);

  // 14.-15. Driver files, job control, the installation file or the driver's scenario.
  if (CfgDeployDriverFiles(ctx, 0)) {
    JcInitPrinter(ctx);
    JcWriteItems(ctx, kItemsDriverInfo);
    if (connection) {
      JcOpenSession(ctx);
      JcClearItemsInSession(ctx, kItemsConnectionClear);
      JcCloseSession(ctx);
    }
    SetupSession session;
    if (CfgAdminIniHasSetup(ctx)) session.Open(ctx);
    int applied = CfgApplyAdminIni(ctx);
    if (applied == 1) applied = CfgApplyAdminScenario(0, ctx, refresh ? 1 : 0);
    if (applied == 0) {
      CfgApplyDriverScenario(0, type, ctx);
      pack = false;
    }
    UcodeSyncIniAtInit(ctx);
    CfgRefreshDriverDefaultKeys(ctx, kDriverDefaultKeysAll, nullptr);
    if (pack) WriteSettingsMark(ctx, kPackInstallDoneKey, u"1");
    if (connection && ctx->profile && ctx->profile->driverVersionString)
      WriteSettingsMark(ctx, kDrvInstVersionKey, ctx->profile->driverVersionString);
    if (localTypes) {
      if (!PrnIsRemotePrinter(ctx)) CfgRegisterModel(ctx);
    } else {
      InitRegisterQuery query{type, 0};
      FmBroadcastNotify(ctx, kFmNotifyInitRegisterModel, &query);
      if (query.answer == 1) CfgRegisterModel(ctx);
    }
    session.Close();
  }

  // 16.-17.
  CfgRepairListSections(ctx);
  FmBroadcastNotify(ctx, kFmNotifyInitListsRepaired, nullptr);
  if (localTypes) {
    if (FmIsFeatureEnabled(ctx, kFeaturePrintNotification, 0)) BidiReadPrintNotification(ctx, kNotifyReadAll);
    UcodeQueryProvider(ctx);
    JcClearItems(ctx, kItemsClearLocal);
    CfgSavePrinterConfigFromModel(printer, ctx);
    if (FmIsFeatureEnabled(ctx, kFeatureLocks, 0) && OptIsLockEnabled(ctx) && OptIsDefaultLocked(ctx) &&
        ctx->settingsImage && ctx->workArea->lockDefaultImage) {
      std::memcpy(ctx->workArea->lockDefaultImage, ctx->settingsImage, DmGetImageSize());
      PrnWriteLockDefaultData(printer, ctx);
    }
    PrnWriteDriverFileNames(printer, ctx);
    BidiWriteFlag(printer, 0, ctx);
    BidiWriteExFlag(printer, 0, ctx);
    BidiWriteFunc(printer, 0, ctx);
  }

  // 18.-21.
  if (!refresh) PrnWriteLogFileName(type != kInitConnection ? 1 : 0, ctx);
  if (type == kInitDefaultDevmode && devmode) {
    CtxInitEnvironment(ctx);
    if (const BYTE* working = CtxGetDevMode(ctx)) std::memcpy(devmode, working, DmGetSize());
  }
  PathSecureSharedData(ctx);
  if (FmIsFeatureEnabled(ctx, kFeatureLocks, 0) && connection && PrnIsRemotePrinter(ctx)) {
    ReloadLockBits(printer, ctx);
    PrnReadLockedValues(printer, ctx);
    FmBroadcastNotify(ctx, kFmNotifyInitLocksReloading, nullptr);
    FmBroadcastNotify(ctx, kFmNotifyInitLocksReloaded, nullptr);
  }

  // 22. Destroyed whole: the font lists a context with stored values loaded are its own.
  CtxReleaseAs(ctx, kCtxReleaseDestroy);
  return 1;
}

int CfgHandlePrinterRename(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  if (PrnIsRemotePrinter(ctx) || PrnHasClientName(ctx->printer, ctx) || PrnIsRcfgMasterServer(ctx)) return 0;

  EnvLockGlobalMutex(nullptr);
  int result = 0;
  WCHAR stored[kCtxPathChars] = {};
  const WCHAR* current = PrnGetPlainName(ctx);
  const bool readable = PrnReadStoredPrinterName(ctx->printer, stored, ctx) != 0;
  if (current && (!readable || lstrcmpiW(stored, current) != 0)) {
    const DWORD keptMode = ctx->workArea->creationMode;
    ctx->workArea->creationMode |= kCtxModeInstallation;
    CfgRefreshDriverDefaultKeys(ctx, kDriverDefaultKeysAll, nullptr);

    // The device state kept under the old name goes with the printer, every line of it.
    WCHAR stateFile[MAX_PATH] = {};
    const WCHAR* newSection = PrnGetName(ctx);
    if (readable && stored[0] && newSection && BidiStateFilePath(ctx, stateFile) && PathIsFilePresent(stateFile)) {
      WCHAR oldSection[kCtxPathChars] = {};
      lstrcpynW(oldSection, stored, kCtxPathChars);
      IniReplaceBrackets(oldSection);
      std::vector<WCHAR> lines = IniReadWholeSection(oldSection, stateFile);
      if (lines.size() > 2) {
        WCHAR target[kCtxPathChars] = {};
        lstrcpynW(target, newSection, kCtxPathChars);
        WritePrivateProfileSectionW(IniReplaceBrackets(target), lines.data(), stateFile);
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, stateFile);
      }
    }

    CfgApplyDriverScenario(0x10, -1, ctx);
    CfgRepairListSections(ctx);
    CfgRerecordInstallDefaults(ctx);
    ctx->workArea->creationMode = keptMode;

    const PRINTER_INFO_2W* record = ctx->workArea->printerInfo2;
    if (CfgWriteInstallStampEx(ctx->printer, 1, kStampTargetSettingsDir, nullptr, record)) {
      PrnWriteStoredPrinterName(ctx->printer, record);
      PrnWriteDriverName(ctx->printer, record);
      result = 1;
    }
  }
  EnvUnlockGlobalMutex(nullptr);
  return result;
}
