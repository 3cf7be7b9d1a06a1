// The load and save passes that move every option of a context between its settings image and
// the printer's data and INI files, and the full load at context creation.
#include "device_state.h"
#include "devmode_fields.h"
#include "env_mutex.h"
#include "env_system.h"
#include "feature_modules.h"
#include "lock_data.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_store.h"
#include "option_values.h"
#include "settings_paths.h"

namespace {

// The public device-mode fields (rows 0-33) and the private header (rows 719-744) are never
// loaded by the pass.
constexpr int kFirstLoadedRow = 34;
constexpr int kPrivateHeaderFirstRow = 719;
constexpr int kPrivateHeaderLastRow = 744;

constexpr uint16_t kOptActionFirst = 211;  // zdmActionSecurity: the "zdmAction" word
constexpr uint16_t kOptActionLast = 226;
constexpr uint16_t kOptUserInfoFirst = 1203;  // wdmSpecial1-16: from the user-information file
constexpr uint16_t kOptUserInfoLast = 1218;
constexpr uint16_t kOptBuildFuncFirst = 1219;  // wdmSpecial1Func0-15: the build feature bits
constexpr uint16_t kOptBuildFuncLast = 1234;
constexpr uint16_t kOptLockInfoFirst = 1235;  // wdmLock000Info...: filled by built-in function 312
constexpr uint16_t kOptLockInfoLast = 1250;
constexpr uint16_t kOptPrnInfoFirst = 1264;  // wdmPrnInfoFunc...: from the driver's defaults file
constexpr uint16_t kOptPrnInfoLast = 1303;
constexpr uint16_t kOptServerLogCode = 10001;  // zdmServerLogCode
constexpr uint16_t kOptConfigFirst = 10001;
constexpr uint16_t kOptConfigLast = 10442;
constexpr uint16_t kOptLogCodeUse = 10002;
constexpr uint16_t kOptLogCodeThird = 10003;

constexpr uint16_t kFixedListFontLists = 2;  // 10004-10009: never written by the save pass
constexpr uint16_t kFixedListNotConfig = 5;  // 10001-10011, 10354, 10355

// Creation modes in which INI rows are not read.
constexpr DWORD kModesWithoutIni = kCtxModeDeviceCaps | kCtxModeDocumentNoUi | kCtxModeGraphics;
constexpr WORD kCtxKindNoIni = 1;

// The lock composites: member range, composite kind and name.
struct Composite {
  uint16_t first;
  uint16_t last;
  uint32_t kind;
  const WCHAR* name;
};
constexpr Composite kLockComposites[] = {
    {10386, 10417, kKindUInt32, kCompositeLockInfo},
    {10418, 10425, kKindUInt8, kCompositeLock000},
    {10426, 10433, kKindUInt8, kCompositeLock001},
};

const Composite* FindLockComposite(uint16_t id) {
  for (const Composite& c : kLockComposites)
    if (id >= c.first && id <= c.last) return &c;
  return nullptr;
}

bool InRange(uint16_t id, uint16_t first, uint16_t last) { return id >= first && id <= last; }

// Holds the global mutex for a pass (a context created without locking takes nothing).
class PassLock {
 public:
  explicit PassLock(DriverContext* ctx) : ctx_(ctx) { EnvLockGlobalMutex(ctx_); }
  ~PassLock() { EnvUnlockGlobalMutex(ctx_); }
  PassLock(const PassLock&) = delete;
  PassLock& operator=(const PassLock&) = delete;

 private:
  DriverContext* ctx_;
};

// Mode 2: offers the row to the modules (code 4 or 5); a row they do not keep out is stored in
// the INI file under its field name from now on. false when the row is kept out.
bool OfferToModules(DriverContext* ctx, OptionEntry* row, DWORD code) {
  FmRowPassParam offer{kPassModeFieldNames, row, 0};
  FmBroadcastNotify(ctx, code, &offer);
  if (offer.answer == 1) return false;
  row->key = row->labels ? row->labels->fieldName : nullptr;
  row->storeClass = kStoreSettingsIni;
  return true;
}

bool CanReadIni(const DriverContext* ctx) {
  const ContextWorkArea* wa = ctx->workArea;
  return wa && wa->contextKind != kCtxKindNoIni && !(wa->creationMode & kModesWithoutIni);
}

// Reads row 211 once as the 16-bit word of options 211-226.
void LoadActionWord(DriverContext* ctx, OptionEntry* row, const WCHAR* iniPath) {
  const WCHAR* key = row->key;
  const uint32_t typeWord = row->typeWord;
  row->key = kCompositeAction;
  row->typeWord = (typeWord & ~(0x3Fu << 24)) | (kKindUInt16 << 24);
  IniReadOption(ctx, row, iniPath, nullptr, nullptr);
  row->key = key;
  row->typeWord = typeWord;
}

// The changed-only rule of the save pass: a row whose value equals the saved image's.
bool EqualsSavedValue(DriverContext* ctx, const OptionEntry* row) {
  if (OptIsBitKind(TypeKind(row->typeWord))) return OptReadValue(ctx, row) == OptReadSavedValue(ctx, row);
  const BYTE* current = OptGetValueAddress(ctx, row);
  const BYTE* saved = OptGetSavedValueAddress(ctx, row);
  if (!current || !saved) return false;
  const DWORD extent = OptStorageExtent(row->typeWord);
  for (DWORD i = 0; i < extent; ++i)
    if (current[i] != saved[i]) return false;
  return true;
}

}  // namespace

int CfgIsConfigOptionRow(const OptionEntry* row) {
  return row && InRange(row->id, kOptConfigFirst, kOptConfigLast) && !OptIsInFixedList(kFixedListNotConfig, row->id)
             ? 1
             : 0;
}

// ---- the load pass ------------------------------------------------------------------------------

int CfgLoadOptionClass(HANDLE printer, DriverContext* ctx, int block, DWORD mode) {
  return CfgLoadOptionClassEx(printer, ctx, block, mode, nullptr);
}

int CfgLoadOptionClassEx(HANDLE printer, DriverContext* ctx, int block, DWORD mode, void* remote) {
  if (!ctx || !ctx->optionTable || !ctx->settingsImage) return 0;
  PassLock lock(ctx);
  const WCHAR* iniPath = PathGetSettingsIni(ctx);
  const bool iniReadable = CanReadIni(ctx);
  bool userInfoWanted = false;
  OptionEntry* actionRow = nullptr;

  OptionTable* table = ctx->optionTable;
  for (int i = kFirstLoadedRow; i < table->count; ++i) {
    if (i >= kPrivateHeaderFirstRow && i <= kPrivateHeaderLastRow) continue;
    OptionEntry* row = &table->rows[i];
    if (mode == kPassModeFieldNames && !OfferToModules(ctx, row, kFmNotifyLoadRow)) continue;
    const uint32_t rowBlock = TypeBlock(row->typeWord);
    if (block != -1 && static_cast<uint32_t>(block) != rowBlock) continue;
    const uint16_t id = row->id;

    if (InRange(id, kOptUserInfoFirst, kOptUserInfoLast)) {
      if (rowBlock == kBlockUserSettings && OptHasBuildFeature(id - kOptUserInfoFirst)) userInfoWanted = true;
      continue;
    }
    if (InRange(id, kOptBuildFuncFirst, kOptBuildFuncLast)) {
      OptWriteValue(ctx, row, OptHasBuildFeature(id - kOptBuildFuncFirst) ? 1 : 0);
      continue;
    }
    if (InRange(id, kOptLockInfoFirst, kOptLockInfoLast)) {
      if (id == kOptLockInfoFirst) FmRunBuiltInFunc(ctx, kBfInitLockInfo);
      continue;
    }
    if (InRange(id, kOptPrnInfoFirst, kOptPrnInfoLast)) {
      if (id == kOptPrnInfoFirst) CfgLoadPrnInfoFunctions(ctx);
      continue;
    }

    if (rowBlock == kBlockPrinterConfig && row->storeClass == kStorePrinterData) {
      if (const Composite* c = FindLockComposite(id)) {
        if (id == c->first) CfgLoadCompositeValue(printer, ctx, row, 2, c->kind, c->name, c->first, c->last);
        continue;
      }
      PrnReadOption(printer, ctx, row, mode, remote);
    } else if (row->storeClass == kStoreSettingsIni) {
      if (!iniReadable) continue;
      if (rowBlock != kBlockPrinterConfig && InRange(id, kOptActionFirst, kOptActionLast)) {
        if (id == kOptActionFirst) actionRow = row;
        continue;
      }
      IniReadOption(ctx, row, iniPath, nullptr, nullptr);
    }
  }
  if (actionRow) LoadActionWord(ctx, actionRow, iniPath);

  FmPassEndParam end{block, mode};
  FmBroadcastNotify(ctx, kFmNotifyLoadPassEnd, &end);
  if (OptIsDefaultLocked(ctx)) PrnReadLockDefaultData(printer, ctx);
  if (userInfoWanted) CfgLoadUserInfoFunctions(ctx);
  return 1;
}

// ---- the save pass ------------------------------------------------------------------------------

int CfgSaveOptionClass(HANDLE printer, DriverContext* ctx, int block, DWORD flags) {
  if (!ctx || !ctx->optionTable || !ctx->settingsImage) return 0;
  const bool everyValue = (flags & kSaveEveryValue) != 0;
  const DWORD mode = flags & ~kSaveEveryValue;
  {
    PassLock lock(ctx);
    const WCHAR* iniPath = PathGetSettingsIni(ctx);
    const ContextWorkArea* wa = ctx->workArea;
    const bool changedOnly = !everyValue && block == static_cast<int>(kBlockPrinterConfig) && wa &&
                             wa->contextKind == kCtxKindFull && wa->savedImage;
    OptionEntry* actionRow = nullptr;

    OptionTable* table = ctx->optionTable;
    for (int i = 0; i < table->count; ++i) {
      OptionEntry* row = &table->rows[i];
      const uint16_t id = row->id;
      if ((flags & kSaveCustomFuncsOnly) && !InRange(id, kOptCustomFuncFirst, kOptCustomFuncLast)) continue;
      if ((flags & kSaveConfigRowsOnly) && !CfgIsConfigOptionRow(row)) continue;
      if (mode == kPassModeFieldNames && !OfferToModules(ctx, row, kFmNotifySaveRow)) continue;
      if (static_cast<int>(TypeBlock(row->typeWord)) != block) continue;
      if (OptIsInFixedList(kFixedListFontLists, id)) continue;

      if (const Composite* c = FindLockComposite(id)) {
        if (id == c->first) CfgSaveCompositeValue(printer, ctx, row, 0, c->kind, c->name);
        continue;
      }
      if ((id == kOptLogCodeUse || id == kOptLogCodeThird) && PrnIsRemotePrinter(ctx) &&
          OptGetValue(ctx, kOptServerLogCode, nullptr) == 0)
        continue;
      if (changedOnly && EqualsSavedValue(ctx, row)) continue;
      if (InRange(id, kOptActionFirst, kOptActionLast)) {
        if (id == kOptActionFirst) actionRow = row;
        continue;
      }
      CfgWriteOption(printer, ctx, row, iniPath);
    }
    if (actionRow) CfgSaveCompositeValue(printer, ctx, actionRow, 0, kKindUInt16, kCompositeAction);

    FmPassEndParam end{block, mode};
    FmBroadcastNotify(ctx, kFmNotifySavePassEnd, &end);
  }
  if (block == static_cast<int>(kBlockUserSettings) && mode == 0)
    CfgSaveOptionClass(printer, ctx, block, kPassModeFieldNames);
  return 1;
}

int CfgSaveUserOptions(HANDLE printer, DriverContext* ctx) {
  CfgSaveOptionClass(printer, ctx, kBlockUserSettings, 0);
  CfgSaveOptionClass(printer, ctx, kBlockDevmode, 0);
  return 1;
}

int CfgSavePrinterConfig(HANDLE printer, DriverContext* ctx) {
  const int saved = CfgSaveOptionClass(printer, ctx, kBlockPrinterConfig, 0);
  const int fonts = PrnSaveFontLists(printer, ctx);
  return saved == 1 && fonts == 1 ? 1 : 0;
}

int CfgSavePrinterConfigFromModel(HANDLE printer, DriverContext* ctx) {
  const int saved = CfgSaveOptionClass(printer, ctx, kBlockPrinterConfig, 0);
  const int fonts = PrnSaveModelFontLists(printer, ctx);
  return saved == 1 && fonts == 1 ? 1 : 0;
}

// ---- the full load --------------------------------------------------------------------------------

int CfgLoadOptions(HANDLE printer, int which, DriverContext* ctx) {
  if (!ctx) return 0;
  switch (which) {
    case -1:
      CfgLoadOptionClassEx(printer, ctx, -1, 0, nullptr);
      CfgLoadFontLists(printer, ctx);
      break;
    case 1:
      CfgLoadOptionClassEx(printer, ctx, kBlockUserSettings, 0, nullptr);
      CfgLoadOptionClassEx(printer, ctx, kBlockDevmode, 0, nullptr);
      break;
    case 2:
      CfgLoadOptionClassEx(printer, ctx, kBlockPrinterConfig, 0, nullptr);
      CfgLoadFontLists(printer, ctx);
      break;
    default:
      break;
  }
  return 1;
}

int CfgLoadPrinterSettings(DriverContext* ctx) {
  // Without a settings image there is nothing to load into.
  if (!ctx || !ctx->settingsImage) return 0;
  CfgLoadOptions(ctx->printer, -1, ctx);
  if (CtxGetServerClientMode(ctx) != 1 && BidiStateFileGetFlag(ctx)) {
    BidiLoadStateFile(ctx);
    if (BidiCanWritePrinterData(ctx)) {
      CfgSaveOptionClass(ctx->printer, ctx, kBlockPrinterConfig, kSaveEveryValue | kSaveConfigRowsOnly);
      BidiDropStateSection(ctx);
    }
  }
  return 1;
}
