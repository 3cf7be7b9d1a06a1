// Apply and OK of the sheets: the settings edited in the context reach the public fields of the
// device mode, the caller's output device mode (document sheets) and the stored settings
// (per-user settings of a document sheet, the printer configuration of a device sheet).
#include "compact_settings.h"
#include "devmode_fields.h"
#include "devmode_merge.h"
#include "devmode_public.h"
#include "devmode_record.h"
#include "env_system.h"
#include "job_control.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_store.h"
#include "option_values.h"
#include "prn_data.h"
#include "scenario_install.h"
#include "sheet_engine.h"
#include "undo_images.h"
#include "user_code.h"

namespace {

constexpr uint16_t kOptFuncSelectSort = 61;          // zdmFuncSelectSort
constexpr uint16_t kOptCallSrc = 729;                // zdmCallSrc
constexpr uint16_t kOptPresentUIMode = 735;          // zdmPresentUIMode
constexpr uint16_t kOptNetworkKey = 1146;            // wdmAuthenticationNetworkKey
constexpr uint16_t kOptPrnFuncAuthMode = 10354;      // zdmPrnFuncAuthenticationMode
constexpr uint16_t kOptPrnFuncAuthSecureMode = 10355;  // zdmPrnFuncAuthenticationSecureMode

constexpr int kSaveOnOk = 3;
constexpr int kSaveOnApply = 4;
constexpr DWORD kSheetKindDevice = 0x2;

// Job-control item sets.
constexpr DWORD kJcItemsAfterApply = 0x789F;
constexpr DWORD kJcItemsNotInOutput = 0x789F;
constexpr DWORD kJcItemsDocumentApply = 0x589E;
constexpr DWORD kJcItemsNetworkKey = 0x2000;
constexpr DWORD kJcReadAll = 1;
constexpr uint32_t kAuthFieldsDevice = 4;
constexpr uint32_t kAuthNetworkKeyKept = 0x4;

// The advanced page and its network-key edit.
constexpr uint16_t kAdvancedPage = 4019;
constexpr uint16_t kNetworkKeyEdit = 2988;

// dmFields and dmCollate of a device mode's public part, read and written only where the
// record's dmSize reaches them.
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

bool IsDeviceSheet(const DriverContext* ctx) { return (ctx->workArea->sheetState & kSheetKindDevice) != 0; }

// The device sheet's network key: kept in the job-control session, or emptied (with its edit on
// the advanced page) when the authentication fields do not keep it.
void CommitNetworkKey(DriverContext* ctx) {
  const uint32_t flags = OptGetAuthFieldFlags(ctx, kAuthFieldsDevice);
  JcOpenSession(ctx);
  if (flags & kAuthNetworkKeyKept) {
    JcWriteItemsInSession(ctx, kJcItemsNetworkKey);
  } else {
    OptionEntry* row = nullptr;
    OptGetValue(ctx, kOptNetworkKey, &row);
    if (row) OptSetStringValue(ctx, row, u"");
    JcWriteItemsInSession(ctx, kJcItemsNetworkKey);
    WCHAR* scratch = ctx->workArea->scratchText;
    scratch[0] = 0;
    DialogDescriptor* page = OptFindDialog(ctx, kAdvancedPage);
    ControlDescriptor* edit = page ? OptFindControl(ctx, page, kNetworkKeyEdit) : nullptr;
    if (edit && edit->window) SetWindowTextW(edit->window, scratch);
    if (OptGetValue(ctx, kOptPrnFuncAuthMode, nullptr) == 0) OptSetValue(ctx, kOptPrnFuncAuthSecureMode, 0);
  }
  JcCloseSession(ctx);
}

}  // namespace

int UiApplySheet(DriverContext* ctx) {
  ContextWorkArea* wa = ctx->workArea;
  const int32_t presentUiMode = OptGetValue(ctx, kOptPresentUIMode, nullptr);
  if (SheetEngineState* state = UiSheetState(ctx)) state->applied = 1;
  const int result = UiApplySheetSettings(ctx);
  DmFreeSavedFontTables(ctx);
  DmSyncSavedImage(ctx);
  JcReadItems(ctx, kJcItemsAfterApply);
  OptSetValue(ctx, kOptPresentUIMode, presentUiMode);
  auto callback = reinterpret_cast<PFNCOMPROPSHEET>(wa->propSheetCallback);
  if (callback) {
    if (IsDeviceSheet(ctx)) {
      PRINTER_INFO_7W publish{nullptr, DSPRINT_UPDATE};
      SetPrinterW(ctx->printer, 7, reinterpret_cast<LPBYTE>(&publish), 0);
      callback(wa->propSheetHandle, CPSFUNC_SET_RESULT, 0, 1);
    } else if (wa->documentMode & (DM_UPDATE | DM_COPY)) {
      callback(wa->propSheetHandle, CPSFUNC_SET_RESULT, 0, 1);
    }
  }
  return result;
}

int UiApplySheetSettings(DriverContext* ctx) {
  if (IsDeviceSheet(ctx)) {
    CommitNetworkKey(ctx);
    CfgRunPresetRefresh(ctx, 1);
    return CfgCommitPrinterSettings(ctx);
  }
  JcOpenSession(ctx);
  JcWriteItemsInSession(ctx, kJcItemsDocumentApply);
  JcReadItemsInSession(ctx, kJcReadAll);
  JcCloseSession(ctx);
  return UiSaveDocumentSheet(ctx, kSaveOnApply);
}

int CfgCommitDocumentSettings(DriverContext* ctx) { return UiSaveDocumentSheet(ctx, kSaveOnOk); }

int CfgCommitPrinterSettings(DriverContext* ctx) { return UiSaveDeviceSheet(ctx, kSaveOnOk); }

int UiSaveDocumentSheet(DriverContext* ctx, int saveMode) {
  DmSetPublicFromOptions(CtxGetDevMode(ctx), ctx, saveMode);
  return UiWriteOutputAndSave(ctx);
}

int UiSaveDeviceSheet(DriverContext* ctx, int saveMode) {
  UcodeSaveToIni(ctx);
  DmSetPublicFromOptions(CtxGetDevMode(ctx), ctx, saveMode);
  CfgSavePrinterConfig(ctx->printer, ctx);
  return 1;
}

int UiWriteOutputAndSave(DriverContext* ctx) {
  UiWriteOutputDevMode(ctx);
  CfgSaveUserOptions(ctx->printer, ctx);
  return 1;
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

int UiPrinterHasDefaultDevMode(HANDLE printer) {
  auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
  const int has = pi2 && pi2->pDevMode ? 1 : 0;
  MdlFreeMem(pi2);
  return has;
}
