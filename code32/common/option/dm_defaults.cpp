// Device-mode defaults: the settings image built from the model, the profile and the system,
// or taken from the printer's stored default device mode.
#include <cstring>
#include <vector>

#include "context_services.h"
#include "core_memory.h"
#include "ctx_environment.h"
#include "devmode_defaults.h"
#include "devmode_fields.h"
#include "devmode_merge.h"
#include "devmode_public.h"
#include "devmode_record.h"
#include "env_language.h"
#include "env_system.h"
#include "env_text.h"
#include "free_size.h"
#include "model_query.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_validation.h"
#include "option_values.h"
#include "prn_data.h"

namespace {

enum : uint16_t {
  kOptPresetNo = 37,
  kOptDspLanguageId = 170,
  kOptHFFontName = 115,
  kOptCopyProtectFontName = 527,
  kOptCharSet = 688,
  kOptUIModeChange = 36,
  kOptLogCodeUse = 10002,
  kOptDriverVersion = 1337,  // wdmDriverVersion
};

constexpr int kFirstUserSettingsRow = 745;  // table position of option 746
constexpr uint16_t kFontTableList = 2;      // fixed list 2: the font-table options 10004-10009

// Writes a text option from a wide text, as ANSI or UTF-16 by the row's kind, cut to its field.
void SetText(DriverContext* ctx, uint16_t id, const WCHAR* text) {
  OptionEntry* row = OptFind(ctx, id);
  if (!row || !text) return;
  const uint32_t size = TypeSize(row->typeWord);
  std::vector<BYTE> field(size + sizeof(WCHAR), 0);
  if (OptIsAnsiTextKind(TypeKind(row->typeWord))) {
    EnvWideToAnsi(reinterpret_cast<char*>(field.data()), text, static_cast<int>(size));
  } else if (OptIsWideTextKind(TypeKind(row->typeWord))) {
    const size_t chars = size / sizeof(WCHAR);
    for (size_t i = 0; i + 1 < chars && text[i]; ++i) std::memcpy(&field[i * sizeof(WCHAR)], &text[i], sizeof(WCHAR));
  } else {
    return;
  }
  OptWriteValueBytes(ctx, row, field.data());
}

void SetLanguageFromFile(DriverContext* ctx, const WCHAR* fileName) {
  const WORD index = EnvLanguageIndexOfFile(fileName);
  OptSetValue(ctx, kOptLanguageId, index);
  OptSetValue(ctx, kOptDspLanguageId, index);
}

}  // namespace

DEVMODEW* DmWorking(DriverContext* ctx) {
  return ctx && ctx->settingsImage ? &ctx->settingsImage->devMode.dm : nullptr;
}

SettingsImage* DmBuildDefaults(DriverContext* ctx, WORD kind) {
  if (!ctx) return nullptr;
  auto* image = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
  if (!image) return nullptr;
  SettingsImage* previous = ctx->settingsImage;
  ctx->settingsImage = image;
  DEVMODEW* dm = &image->devMode.dm;
  if (CfgTakePrinterDefaultDevmode(ctx) && kind != 3) {
    DmWriteBlockOffsets(dm);
    DmInitPrinterConfigFromModel(ctx);
    if (kind == 1) DmRefreshPaperFromOptions(reinterpret_cast<BYTE*>(dm), ctx, 1);
  } else {
    DmInitFromModel(ctx);
    DmTakeStoredDevmode(ctx);
  }
  ctx->settingsImage = previous;
  return image;
}

int DmInitFromModel(DriverContext* ctx) {
  DEVMODEW* dm = DmWorking(ctx);
  if (!dm) return 0;
  DmInitOptionsFromModel(ctx);
  DmSetDriverVersionString(ctx);
  DmInitPublicFields(dm, 1, ctx);
  DmResetPrivateDefaults(dm, ctx);
  CtxInitEnvironment(ctx);
  // The language of the printer's help file wins over the driver's (when the printer has one).
  WCHAR help[MAX_PATH] = {};
  if (PrnReadHelpFileName(help, sizeof help, ctx) && help[0]) SetLanguageFromFile(ctx, help);
  return 1;
}

void DmInitOptionsFromModel(DriverContext* ctx) {
  DEVMODEW* dm = DmWorking(ctx);
  if (!dm || !ctx->optionTable) return;
  DmWritePrivateHeader(dm, ctx);
  for (int i = 0; i < ctx->optionTable->count; ++i) {
    OptionEntry* row = &ctx->optionTable->rows[i];
    if (row->id == kOptPresetNo) {
      OptWriteUiValue(ctx, row, MdlGetItemDefault(kOptPresetNo, ctx) - 119);
    } else if (!OptIsInFixedList(kFontTableList, row->id)) {
      OptSetByValueId(ctx, row->id, MdlGetItemDefault(row->id, ctx));
    }
  }
  WCHAR help[MAX_PATH] = {};
  if (PrnGetHelpFileNameOfDriver(help, ctx)) SetLanguageFromFile(ctx, help);
  WCHAR face[kFontFaceChars] = {};
  OptGetDefaultFontName(ctx, face);
  SetText(ctx, kOptHFFontName, face);
  SetText(ctx, kOptCopyProtectFontName, face);
  OptSetCodePageCharset(ctx, kOptAuthUserNameCharSet);
  OptSetCodePageCharset(ctx, kOptAuthPasswordCharSet);
  OptLoadDriverId(ctx);
  OptSetCodePageCharset(ctx, kOptCharSet);
}

void DmInitPrinterConfigFromModel(DriverContext* ctx) {
  if (!ctx || !ctx->optionTable) return;
  for (int i = kFirstUserSettingsRow; i < ctx->optionTable->count; ++i) {
    const OptionEntry& row = ctx->optionTable->rows[i];
    if (TypeBlock(row.typeWord) == 3) OptSetByValueId(ctx, row.id, MdlGetItemDefault(row.id, ctx));
  }
  DmSetDriverVersionString(ctx);
}

void DmSetDriverVersionString(DriverContext* ctx) {
  if (ctx && ctx->profile) SetText(ctx, kOptDriverVersion, ctx->profile->driverVersionString);
}

int DmTakeStoredDevmode(DriverContext* ctx) {
  DEVMODEW* working = DmWorking(ctx);
  if (!working || !ctx->workArea) return 0;
  PRINTER_INFO_2W* pi2 = ctx->workArea->printerInfo2;
  void* fetched = nullptr;
  if (!pi2) pi2 = static_cast<PRINTER_INFO_2W*>(fetched = PrnGetPrinterInfo(ctx->printer, 2));
  int taken = 0;
  const DEVMODEW* stored = pi2 ? pi2->pDevMode : nullptr;
  if (stored && stored->dmSize && stored->dmDriverExtra && stored->dmDriverVersion &&
      stored->dmSize == working->dmSize && stored->dmDriverExtra == working->dmDriverExtra &&
      stored->dmDriverVersion == working->dmDriverVersion && stored->dmSize + stored->dmDriverExtra == kFullDevModeSize &&
      DmIsCurrentVersion(stored, ctx)) {
    std::memcpy(working, stored, kFullDevModeSize);
    taken = 1;
  }
  MdlFreeMem(fetched);
  return taken;
}

void CtxInitEnvironment(DriverContext* ctx) {
  if (!DmWorking(ctx)) return;
  CtxSetCallSrcDefaults(ctx);
  if (EnvIsWin2000OrLater()) CtxSetOSKindWin2000(ctx);
  else CtxSetOSKindLegacy(ctx);
  const WCHAR* driverPath = nullptr;
  if (ctx->workArea && ctx->workArea->driverInfo2) driverPath = ctx->workArea->driverInfo2->pDriverPath;
  CtxSetTSE(ctx, static_cast<BYTE>(EnvIsTerminalServerModeFor(ctx->printer, driverPath) ? 1 : 0));
  CtxSetAdmin(ctx, static_cast<BYTE>(EnvIsAdministrator(ctx) ? 1 : 0));
  CtxSetBatchInstOn(ctx);
  CtxSetPrintLogOff(ctx);
  CtxSetBiDirectOff(ctx);
  CtxSetNoPermissionOff(ctx);
  if (OptGetValue(ctx, kOptUIModeChange, nullptr)) CtxSetPresentUIModeOn(ctx);
  else CtxSetPresentUIModeOff(ctx);
  if (PrnIsBidiEnabled(ctx)) CtxSetBidiSupportOn(ctx);
  else CtxSetBidiSupportOff(ctx);
  if (PrnIsRemotePrinter(ctx)) CtxSetServerClientModeOn(ctx);
  else CtxSetServerClientModeOff(ctx);
  if (OptGetValue(ctx, kOptLogCodeUse, nullptr)) CtxSetUserCodeFIXOn(ctx);
  else CtxSetUserCodeFIXOff(ctx);
  CtxSetUserCodeGetOff(ctx);
  if (RegIsAddOnInstalled(kAddOnJobBinding, ctx)) CtxSetTMInstalledOn(ctx);
  else CtxSetTMInstalledOff(ctx);
  if (RegIsAddOnInstalled(kAddOnPreview, ctx)) CtxSetMIInstalledOn(ctx);
  else CtxSetMIInstalledOff(ctx);
  CtxSetPropertyTypeDocument(ctx);
  CtxSetUserCodeDLLOff(ctx);
}

void DmInitPublicFields(DEVMODEW*, int, DriverContext* ctx) { DmValidatePublicFields(ctx); }

void DmResetPrivateDefaults(DEVMODEW* devmode, DriverContext* ctx) {
  DmApplyResetRules(devmode, ctx, kResetModeDefaults);
  DmRefreshPaperFromOptions(reinterpret_cast<BYTE*>(devmode), ctx, 1);
  DmWriteCommonHeader(ctx);
}

int OptResetToModelDefault(DriverContext* ctx, OptionEntry* row) {
  if (!ctx || !row) return 0;
  return OptWriteUiValue(ctx, row, MdlGetItemDefault(row->id, ctx));
}
