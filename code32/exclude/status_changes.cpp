// Reading and changing one status: the record-version agreement, the checks before a change, the
// working copies for the rollback, the set handler, the rule pass, the post-set check and the
// rollback when anything fails.
#include <algorithm>
#include <cstring>

#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"
#include "api_support.h"
#include "core_memory.h"
#include "devmode_fields.h"
#include "fm_modules_5_8.h"
#include "env_system.h"
#include "model_query.h"
#include "option_access.h"
#include "option_store.h"
#include "option_values.h"
#include "win32/windows.h"

namespace {

constexpr DWORD kUserBlockBytes = 4140;
constexpr size_t kUserBlockOffsetAt = 365;  // u16 of the image's private header
constexpr size_t kUserBlockDefaultOffset = 6500;

// Block 3 of the context's settings image: at the offset its header names when that offset
// leaves room for the whole block, else at its place in this driver's layout.
BYTE* UserBlock(DriverContext* ctx) {
  BYTE* image = reinterpret_cast<BYTE*>(ctx->settingsImage);
  uint16_t offset = 0;
  std::memcpy(&offset, image + kUserBlockOffsetAt, sizeof(offset));
  size_t at = offset;
  if (at < DmGetSize() || at + kUserBlockBytes > DmGetImageSize()) at = kUserBlockDefaultOffset;
  return image + at;
}

// The three blocks a status change can touch, copied before and put back on failure.
struct WorkingCopies {
  BYTE* devmode = nullptr;
  BYTE* user = nullptr;
  BYTE* chapters = nullptr;
  LONG chapterRows = 0;

  ~WorkingCopies() {
    MdlFreeMem(devmode);
    MdlFreeMem(user);
    MdlFreeMem(chapters);
  }

  void Take(DriverContext* ctx) {
    devmode = static_cast<BYTE*>(CtxAllocMem(DmGetSize()));
    if (devmode) std::memcpy(devmode, CtxGetDevMode(ctx), DmGetSize());
    user = static_cast<BYTE*>(CtxAllocMem(kUserBlockBytes));
    if (user) std::memcpy(user, UserBlock(ctx), kUserBlockBytes);
    ContextWorkArea* wa = ctx->workArea;
    chapterRows = wa->chapterList ? wa->chapterAllocCount : 0;
    chapters = static_cast<BYTE*>(CtxAllocMem(static_cast<DWORD>(chapterRows + 1) * sizeof(ChapterEntry)));
    if (chapters && chapterRows) std::memcpy(chapters, wa->chapterList, static_cast<size_t>(chapterRows) * sizeof(ChapterEntry));
  }

  // Puts the chapter rows back; a list that grew meanwhile keeps its size with the rows beyond
  // the copy emptied.
  void RestoreChapters(DriverContext* ctx) {
    ContextWorkArea* wa = ctx->workArea;
    if (!chapters || !wa->chapterList) return;
    const LONG rows = std::min(chapterRows, wa->chapterAllocCount);
    std::memset(wa->chapterList, 0, static_cast<size_t>(wa->chapterAllocCount) * sizeof(ChapterEntry));
    std::memcpy(wa->chapterList, chapters, static_cast<size_t>(rows) * sizeof(ChapterEntry));
  }
};

void ClearBitmap(uint8_t* changes) {
  if (changes) std::memset(changes, 0, static_cast<size_t>(ApiBitmapSize()));
}

bool IsAnyOf(uint32_t id, std::initializer_list<uint32_t> ids) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

bool NeedsSelectableMain(uint32_t id) {
  return id == 5 || IsAnyOf(id, {35, 39, 42, 43, 46, 48, 51}) || (id >= 79 && id <= 83);
}

bool IsTerminalServerRefused(uint32_t id) { return (id >= 29 && id <= 33) || (id >= 76 && id <= 78); }

bool IsUserMacroGoverned(uint32_t id) {
  return IsAnyOf(id, {34, 35, 46, 49, 257}) || (id >= 38 && id <= 43) || (id >= 265 && id <= 269);
}

// Step 12 of a change: a main option whose item is disabled or restricted refuses the change,
// with the exceptions the table of ids allows. 1 allowed.
int MainOptionAllows(DriverContext* ctx, const StatusRow* row, const StatusRecord* record) {
  if (!row->mainOption) return 1;
  const ModelItem* item = ApiFindOptionItem(ctx, row->mainOption);
  if (!item) return 1;
  const int disabled = MdlIsDisabled(item, 0, ctx) == 1;
  const int restricted = MdlIsRestricted(item, 0, ctx) == 1;
  if (!disabled && !restricted) return 1;
  const uint32_t id = row->id;
  if (id == 19 && restricted && !disabled) {
    if (record->functionSwitch == 0) return 0;
    const ModelItem* sort = ApiFindOptionItem(ctx, kApiOptSortType);
    if (sort && (MdlIsDisabled(sort, 0, ctx) == 1 || MdlIsRestricted(sort, 0, ctx) == 1)) return 0;
    return 1;
  }
  if (id == 28 && restricted && !disabled) return 1;
  if (id >= 265 && id <= 269) return 1;
  if (id == 15 && OptIsDuplexLocked(ctx)) return 1;
  if (id == 14 && OptIsNupKindLocked(ctx)) return 1;
  return 0;
}

// The checks of steps 8-12; 0 with the error stored when the change is refused.
int CheckBeforeSet(DriverContext* ctx, const StatusRow* row, const StatusRecord* record) {
  const uint32_t id = row->id;
  if (NeedsSelectableMain(id) && !ApiIsOptionSelectable(ctx, row->mainOption)) {
    SetApiLastError(ctx, kApiErrNotSupported);
    return 0;
  }
  if (IsTerminalServerRefused(id) && ApiIsTerminalServerMode(ctx)) {
    SetApiLastError(ctx, kApiErrTerminalServer);
    return 0;
  }
  if (IsUserMacroGoverned(id)) {
    const int32_t cap = ApiQueryCapability(ctx, kApiCapUserMacro, nullptr);
    if (cap != -1 && cap != 0 && !ApiIsUserMacroPrint(ctx)) {
      SetApiLastError(ctx, kApiErrUserMacro);
      return 0;
    }
  }
  if ((id == 70 || id == 71) && ApiGetVersion() < 15) {
    SetApiLastError(ctx, kApiErrNotSupported);
    return 0;
  }
  if (!MainOptionAllows(ctx, row, record)) {
    SetApiLastError(ctx, kApiErrRefused);
    return 0;
  }
  return 1;
}

// The row of a status id that exists and is enabled; else none, with the error stored.
const StatusRow* UsableRow(DriverContext* ctx, uint32_t id) {
  const StatusRow* row = StatusRowById(id);
  if (!row) {
    SetApiLastError(ctx, kApiErrGeneral);
    return nullptr;
  }
  if (!row->enabled) {
    SetApiLastError(ctx, kApiErrNotSupported);
    return nullptr;
  }
  return row;
}

// The last-error discipline of the dispatchers: a handler that succeeds leaves the code as it
// was before the call.
int32_t RememberLastError(DriverContext* ctx) { return ApiGetLastErrorRaw(ctx); }

}  // namespace

void ApiMarkStatus(uint8_t* changes, uint32_t id) {
  if (!changes || id == 0 || ApiBitByte(id) >= ApiBitmapSize()) return;
  changes[ApiBitByte(id)] |= ApiBitMask(id);
}

int ApiCompareSetVersion(const StatusRecord* record, uint32_t rowVersion, int32_t mode) {
  if (!record) return 2;
  if (record->version <= rowVersion) return 0;
  return mode == 2 ? 2 : 1;
}

int ApiCompareGetVersion(uint32_t rowVersion, uint32_t requested) {
  if (requested == 0 || requested == rowVersion) return 0;
  return requested < rowVersion ? 1 : 2;
}

void ApiRecordItemStates(DriverContext* ctx) {
  ApiExtension* ext = ApiGetExtension(ctx);
  if (!ext || !ext->statusStates) return;
  const int32_t pairs = ext->statusStatePairs;
  std::memset(ext->statusStates, 0, static_cast<size_t>(pairs) * 2 * sizeof(int32_t));
  const uint32_t low = ApiStatusIdLimit(0);
  const uint32_t high = ApiStatusIdLimit(1);
  for (uint32_t id = 1; id <= high; id = id == low ? 257 : id + 1) {
    const StatusRow* row = StatusRowById(id);
    if (!row || !row->enabled) continue;
    for (int j = 0; j < kStatusRelatedOptions && row->related[j]; ++j) {
      const int64_t index = static_cast<int64_t>(id - 1) * kStatusRelatedOptions + j;
      if (index >= pairs) break;
      const ModelItem* item = ApiFindOptionItem(ctx, row->related[j]);
      if (!item) continue;
      ext->statusStates[index * 2] = MdlIsDisabled(item, 0, ctx) == 1 ? 1 : 0;
      ext->statusStates[index * 2 + 1] = MdlIsRestricted(item, 0, ctx) == 1 ? 1 : 0;
    }
  }
}

int SetStatusById(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t* changes, int32_t mode) {
  const StatusRow* row = UsableRow(ctx, id);
  if (!row) return -1;
  if (!record) {
    SetApiLastError(ctx, kApiErrNoRecord);
    return -1;
  }
  if (!row->setHandler) {
    SetApiLastError(ctx, kApiErrGeneral);
    return -1;
  }
  HANDLE printer = nullptr;
  PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!ApiOpenPrinterForCall(ctx, &printer, &all) && !ApiOpenPrinterForCall(ctx, &printer, nullptr)) {
    SetApiLastError(ctx, kApiErrGeneral);
    return -1;
  }

  int result = -1;
  const int versionAnswer = ApiCompareSetVersion(record, row->recordVersion, mode);
  if (versionAnswer == 2) {
    ApiClosePrinter(printer);
    return static_cast<int>(row->recordVersion);
  }

  WorkingCopies copies;
  copies.Take(ctx);
  const bool haveBlocks = copies.devmode && copies.user;
  if (haveBlocks && copies.chapters) {
    const int marginFollows = ApiMarginFollows(ctx, id);
    CfgLoadOptions(printer, 1, ctx);
    if (ctx->workArea->savedImage) {
      DmFreeSavedFontTables(ctx);
      DmSyncSavedImage(ctx);
      ApiRecordItemStates(ctx);
    }
    if (CheckBeforeSet(ctx, row, record)) {
      const int32_t remembered = RememberLastError(ctx);
      SetApiLastError(ctx, kApiErrRefused);
      if (row->setHandler(ctx, id, record, changes, mode) == 1) {
        ApiPutLastErrorRaw(ctx, remembered);
        ResolveAfterSet(ctx, row, record, changes);
        if (changes && ApiQueryCapability(ctx, kApiCapShiftMarginRange, nullptr) == 0) {
          if (ApiBitByte(18) < ApiBitmapSize()) changes[ApiBitByte(18)] &= static_cast<uint8_t>(~ApiBitMask(18));
        }
        if (row->postSetCheck && row->postSetCheck(ctx, id, record, changes, mode) != 1) {
          SetApiLastError(ctx, kApiErrRefused);
        } else {
          if (marginFollows) ApiResetMarginsIfOff(ctx);
          result = versionAnswer == 1 ? static_cast<int>(row->recordVersion) : 0;
          if (id != 50 && id != 56) OptSetUiValue(ctx, kApiOptPresetNo, 255);
        }
      }
    }
  }

  if (result == -1 && haveBlocks) {
    std::memcpy(CtxGetDevMode(ctx), copies.devmode, DmGetSize());
    ClearBitmap(changes);
    std::memcpy(UserBlock(ctx), copies.user, kUserBlockBytes);
    ClearBitmap(changes);
    ApiSaveUserSettings(ctx, printer);
    copies.RestoreChapters(ctx);
    ApiSaveUserSettings(ctx, printer);
  }
  ApiClosePrinter(printer);
  return result;
}

int32_t GetStatusById(DriverContext* ctx, uint32_t id, StatusRecord* out, uint32_t version) {
  const StatusRow* row = UsableRow(ctx, id);
  if (!row) return -1;
  if (!row->getHandler) return -1;
  HANDLE printer = nullptr;
  if (!ApiOpenPrinterForCall(ctx, &printer, nullptr)) {
    SetApiLastError(ctx, kApiErrGeneral);
    return -1;
  }
  const int32_t remembered = RememberLastError(ctx);
  SetApiLastError(ctx, kApiErrGeneral);
  int32_t result = -1;
  const int answer = ApiCompareGetVersion(row->recordVersion, version);
  if (answer == 2) {
    SetApiLastError(ctx, kApiErrVersion);
  } else {
    result = row->getHandler(ctx, id, out, version);
    if (out) out->version = answer == 1 ? version : row->recordVersion;
    if (result != -1) ApiPutLastErrorRaw(ctx, remembered);
  }
  ApiClosePrinter(printer);
  return result;
}

ZOLT_EXPORT int32_t WINAPI ZOLTDrvSetStatus(DriverContext* ctx, uint32_t id, const StatusRecord* record,
                                            uint8_t* changes, int32_t mode) {
  if (!ApiIsLiveContext(ctx)) return -1;
  if (!IsIdSupported(kApiKindStatus, id)) {
    SetApiLastError(ctx, kApiErrNotSupported);
    return -1;
  }
  return SetStatusById(ctx, id, record, changes, mode);
}

ZOLT_EXPORT int32_t WINAPI ZOLTDrvGetStatus(DriverContext* ctx, uint32_t id, StatusRecord* out, uint32_t version) {
  if (!ApiIsLiveContext(ctx)) return -1;
  if (!IsIdSupported(kApiKindStatus, id)) {
    SetApiLastError(ctx, kApiErrNotSupported);
    return -1;
  }
  return GetStatusById(ctx, id, out, version);
}
