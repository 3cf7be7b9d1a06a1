// Creation and destruction of driver contexts, and the saved settings image.
#include <atomic>
#include <cstring>

#include "context_services.h"
#include "ctx_internal.h"
#include "job_control.h"
#include "reset_walk.h"

namespace {

std::atomic<int> g_installationFlag{0};

constexpr DWORD kJobControlStartupItems = 30878;
constexpr DWORD kJobControlUserCodeItem = 1;
constexpr uint16_t kOptUserCode = 203;

template <typename T>
T* AllocCopy(const T& source) {
  auto* copy = static_cast<T*>(CtxAllocMem(sizeof(T)));
  if (copy) std::memcpy(static_cast<void*>(copy), &source, sizeof(T));
  return copy;
}

SettingsImage* AllocImage() { return static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize)); }

// The job-control start-up check of a full context: after an installation by the
// administrator, the job-control items stored in printer data are handed to the job-control
// module once.
void RunJobControlStartupCheck(DriverContext* ctx) {
  const WCHAR* adminIni = PathGetAdminIni(ctx);
  const WCHAR* section = CfgPrinterSection(ctx);
  if (!adminIni || !section || !CfgIsDrvInstSet(adminIni, section)) return;
  JcLoadItemsFromPrinterData(ctx, kJobControlStartupItems);
  JcWriteItems(ctx, kJobControlStartupItems);
  if (OptionEntry* row = OptFind(ctx, kOptUserCode); row && PrnReadOptionByFieldName(ctx->printer, ctx, row))
    JcWriteItems(ctx, kJobControlUserCodeItem);
  CfgWriteDrvInstSet(adminIni, section, 0);
}

// Frees a record fetched from the spooler (never the caller's) on every path.
struct FetchedRecord {
  void* block = nullptr;
  ~FetchedRecord() { MdlFreeMem(block); }
};

}  // namespace

void CtxSetInstallationFlag(int on) { g_installationFlag = on ? 1 : 0; }
int CtxGetInstallationFlag() { return g_installationFlag; }

DriverContext* CtxCreateEx(HANDLE hPrinter, HANDLE hPrinter2, void* /*reserved*/, WORD flags, DWORD mode,
                           DWORD documentMode, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3) {
  if (g_installationFlag == 1) mode |= kCtxModeInstallation;

  FetchedRecord fetched;
  PRINTER_INFO_2W* record = pi2;
  if (!record) {
    fetched.block = PrnGetPrinterInfo(hPrinter, 2);
    record = static_cast<PRINTER_INFO_2W*>(fetched.block);
  }

  if (mode == kCtxModeGraphics) mode = kCtxModeGraphicsStored;

  if (DriverContext* cached = CtxFindCached(hPrinter, hPrinter2, nullptr, flags, mode, documentMode, record))
    return cached;

  auto* ctx = static_cast<DriverContext*>(CtxAllocMem(sizeof(DriverContext)));
  if (!ctx) return nullptr;
  const ContextTemplate* tmpl = CtxGetTemplate();
  ctx->printer = hPrinter;
  ctx->printer2 = hPrinter2;
  ctx->dialogId = tmpl->dialogId;
  ctx->nameTable = tmpl->nameTable;
  ctx->valueNames1 = tmpl->valueNames1;
  ctx->valueNames2 = tmpl->valueNames2;
  ctx->messageTable = tmpl->messageTable;

  ctx->optionTable = OptCopyTable(tmpl->optionTable);
  ctx->dialogTable = OptCopyDialogTable(tmpl->dialogTable);
  OptBindDialogOptions(ctx);
  ctx->profile = AllocCopy(*tmpl->profile);
  ctx->workArea = AllocCopy(*tmpl->workArea);
  if (!ctx->workArea) {
    // Everything after this point lives in the work area.
    CtxFreeContext(ctx, kCtxReleaseDestroy);
    return nullptr;
  }
  ContextWorkArea* wa = ctx->workArea;

  wa->remoteState = 0;
  wa->printerAttributes = 0;
  wa->printerAttributesKnown = 0;
  wa->signedAdjustOption = 0;
  PrnCachePrinterInfo(record, ctx);

  if (di2 && di3) {
    wa->driverInfo2 = CtxCopyDriverInfo2(di2);
    wa->driverInfo3 = CtxCopyDriverInfo3(di3);
  }
  if (pi2) wa->printerInfo2 = CtxCopyPrinterInfo2(pi2);

  for (SettingsImage*& image : wa->undoImages) image = AllocImage();

  std::memset(wa->pictureState, 0, sizeof wa->pictureState);
  wa->gdiObjects[0] = wa->gdiObjects[1] = nullptr;
  wa->takeMutex = (flags & kCtxFlagNoMutex) ? 0 : 1;
  wa->adminCheck = (flags & kCtxFlagNoAdminCheck) ? 0 : 1;
  const WORD kind = flags & 0xff;
  wa->contextKind = kind;
  wa->creationMode = mode;
  wa->documentMode = documentMode;

  if (kind == 0 || kind == 1 || kind == 3) PrnGetDriverName(ctx);
  const SupportedModel* model = CtxFindModelEntry(ctx, wa->driverName);
  wa->modelCapability = model ? model->capability : 0;
  CfgHelpLanguageCode(ctx);

  wa->detachedFontCount = 0;
  wa->detachedFonts = nullptr;
  wa->savedImage = AllocImage();
  if (FmIsFeatureEnabled(ctx, 2, 0)) wa->lockDefaultImage = AllocImage();
  FmAttachModules(ctx);

  if (kind < kCtxKindTablesOnly) {
    ctx->modelImage = MdlLoad(ctx);
    if (!ctx->modelImage) {
      ctx->settingsImage = nullptr;
      CtxFreeContext(ctx, kCtxReleaseDestroy);
      return nullptr;
    }
    MdlAllocEvalStack(ctx);
    ctx->settingsImage = DmBuildDefaults(ctx, kind);
    if (kind == 0 || (flags & kCtxFlagLoadStored)) CfgLoadPrinterSettings(ctx);
    if (kind == 0) RunJobControlStartupCheck(ctx);
    DmSyncSavedImage(ctx);
  }
  return ctx;
}

DriverContext* CtxCreateForPrinter(HANDLE hPrinter, HANDLE hPrinter2, void* reserved, DWORD mode) {
  return CtxCreateEx(hPrinter, hPrinter2, reserved, 0, mode, 0, nullptr, nullptr, nullptr);
}

DriverContext* CtxCreateWithFlags(HANDLE hPrinter, HANDLE hPrinter2, void* reserved, WORD flags, DWORD mode) {
  return CtxCreateEx(hPrinter, hPrinter2, reserved, flags, mode, 0, nullptr, nullptr, nullptr);
}

DriverContext* CtxCreateWithPrinterInfo(HANDLE hPrinter, HANDLE hPrinter2, void* reserved, WORD flags, DWORD mode,
                                        DWORD documentMode, PRINTER_INFO_2W* pi2) {
  return CtxCreateEx(hPrinter, hPrinter2, reserved, flags, mode, documentMode, pi2, nullptr, nullptr);
}

DriverContext* CtxCreate(HANDLE hPrinter, HANDLE hPrinter2, void* reserved, DWORD mode, PRINTER_INFO_2W* pi2,
                         DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3) {
  return CtxCreateEx(hPrinter, hPrinter2, reserved, 0, mode, 0, pi2, di2, di3);
}

DriverContext* CtxCreateWithFlagsAndInfo(HANDLE hPrinter, HANDLE hPrinter2, void* reserved, WORD flags, DWORD mode,
                                         PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3) {
  return CtxCreateEx(hPrinter, hPrinter2, reserved, flags, mode, 0, pi2, di2, di3);
}

DriverContext* CtxCreateForDocument(HANDLE hPrinter, HANDLE hPrinter2, void* reserved, DWORD mode,
                                    DWORD documentMode, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2,
                                    DRIVER_INFO_3W* di3) {
  return CtxCreateEx(hPrinter, hPrinter2, reserved, 0, mode, documentMode, pi2, di2, di3);
}

void CtxFreeContext(DriverContext* ctx, WORD kind) {
  if (!ctx) return;
  ContextWorkArea* wa = ctx->workArea;

  DmFreeSavedFontTables(ctx);
  if (wa) {
    MdlFreeMem(wa->savedImage);
    wa->savedImage = nullptr;
    MdlFreeMem(wa->lockDefaultImage);
    wa->lockDefaultImage = nullptr;
  }
  if (kind == kCtxReleasePark || kind == kCtxReleaseParkCaps || kind == kCtxReleaseDestroy) CfgFreeFontBuffers(ctx);
  // A job-control session its caller left open is closed and the module released.
  if (wa && wa->jobControl.module) JcDispatch(ctx, kJcCmdCloseSession, 0);
  EnvFreeResourceDlls(ctx);
  if (ctx->modelImage || (wa && wa->evalStack)) MdlFreeEvalStack(ctx);
  OptFreeResetWalk(ctx);

  // What is freed before the modules detach is cleared too: their handlers still see the
  // context when notify code 2 reaches them.
  OptFreeTable(ctx->optionTable);
  ctx->optionTable = nullptr;
  OptFreeDialogTable(ctx->dialogTable);
  ctx->dialogTable = nullptr;
  MdlFreeMem(ctx->profile);
  ctx->profile = nullptr;
  MdlFreeMem(ctx->settingsImage);
  ctx->settingsImage = nullptr;

  if (wa) {
    for (SettingsImage*& image : wa->undoImages) {
      MdlFreeMem(image);
      image = nullptr;
    }
    MdlFreeMem(wa->detachedFonts);
    wa->detachedFonts = nullptr;
    wa->detachedFontCount = 0;
    FmDetachModules(ctx);
    for (HGDIOBJ object : wa->gdiObjects)
      if (object) CtxDeleteGdiObject(object);
    MdlFreeMem(wa->driverInfo2);
    MdlFreeMem(wa->driverInfo3);
    MdlFreeMem(wa->printerInfo2);
    MdlFreeMem(wa);
  }
  MdlFreeMem(ctx);
}

// DmSyncSavedImage and DmFreeSavedFontTables live with the buffer handles (option_buffers.cpp).
