// The feature-module table, the modules' attach and detach with a context, the three
// broadcasts, the modules' computed items and the build switches.
#include <atomic>
#include <cstring>

#include "context_services.h"
#include "fd_services.h"
#include "feature_modules.h"
#include "fm_modules_9_10.h"
#include "option_access.h"

namespace {

// The dialog slots hold the printer-interface module's dialog handlers in the window build
// and a handler that returns 0 in the window-free builds; rows 1 and 2 have a notify handler
// only on the dialog side.
#if ZOLT_WINDOW_BUILD
#define FM_DIALOG(handler) handler
#define FM_DIALOG_NOTIFY(handler) handler
#define FM_COLOR_BUILTIN FmColorOnBuiltInFunc
#else
#define FM_DIALOG(handler) FmNoDialog
#define FM_DIALOG_NOTIFY(handler) FmNoNotify
#define FM_COLOR_BUILTIN FmCmmOnBuiltInFunc
#endif

// Row 5 keeps the undo copy of the chapter list in its user data: one pointer.
constexpr DWORD kChapterUserDataSize = sizeof(ChapterEntry*);

// Read-only: every context works on its own copy.
const FeatureModule kModuleTable[kFmModuleCount] = {
    {0, nullptr, FmNoBuiltInFunc, FM_DIALOG(FmPresetOnDialog), FM_DIALOG_NOTIFY(FmPresetOnNotify)},
    {0, nullptr, FmStampOnBuiltInFunc, FM_DIALOG(FmWatermarkOnDialog), FM_DIALOG_NOTIFY(FmWatermarkOnNotify)},
    {0, nullptr, FM_COLOR_BUILTIN, FM_DIALOG(FmColorOnDialog), FmCmmOnNotify},
    {0, nullptr, FmFreeSizeOnBuiltInFunc, FM_DIALOG(FmFreeSizeOnDialog), FmFreeSizeOnNotify},
    {kChapterUserDataSize, nullptr, FmChapterOnBuiltInFunc, FM_DIALOG(FmChapterOnDialog), FmChapterOnNotify},
    {0, nullptr, FmNoBuiltInFunc, FM_DIALOG(FmOptionsOnDialog), FmNoNotify},
    {0, nullptr, FmNoBuiltInFunc, FM_DIALOG(FmTtfOnDialog), FmTtfOnNotify},
    {0, nullptr, FmNoBuiltInFunc, FM_DIALOG(FmSummaryOnDialog), FmNoNotify},
    {0, nullptr, FmLimitOnBuiltInFunc, FM_DIALOG(FmLimitOnDialog), FmLimitOnNotify},
    {sizeof(FmExtUserData), nullptr, FmExtOnBuiltInFunc, FM_DIALOG(FmExtOnDialog), FmExtOnNotify},
};

std::atomic<FmTableSource> g_tableSource{nullptr};
std::atomic<FmPageHook> g_pageHook{nullptr};

FeatureModuleList* ListOf(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return nullptr;
  FeatureModuleList* list = ctx->workArea->moduleList;
  return list && list->rows && list->count > 0 ? list : nullptr;
}

// The preset value cache: forgotten at attach (a fresh work area owns no slot), freed at
// detach.
void ForgetPresetValueCache(ContextWorkArea* wa) {
  for (void*& slot : wa->presetValueCache) slot = nullptr;
}
void FreePresetValueCache(ContextWorkArea* wa) {
  for (void*& slot : wa->presetValueCache) {
    MdlFreeMem(slot);
    slot = nullptr;
  }
}

void FreeList(FeatureModuleList* list) {
  if (!list) return;
  if (list->rows)
    for (int32_t i = 0; i < list->count; ++i) MdlFreeMem(list->rows[i].userData);
  MdlFreeMem(list->rows);
  MdlFreeMem(list);
}

// The two feature words of this build: features 11 and 23.
constexpr DWORD kBuildFeatureWords[2] = {(1u << 11) | (1u << 23), 0};

constexpr WORD kOptPrnInfoFuncSupport0 = 1272;
constexpr WORD kPrnInfoFuncCount = 32;  // wdmPrnInfoFuncSupport0-31

constexpr WORD kCmmItemFirst = 1379, kCmmItemLast = 1394;
constexpr WORD kExtItemFirst = 1491, kExtItemLast = 1506;

}  // namespace

const FeatureModule* FeatureModuleTable(FeatureModuleList* list) {
  if (list) list->count = kFmModuleCount;
  return kModuleTable;
}

FmTableSource FmSetTableSource(FmTableSource source) { return g_tableSource.exchange(source); }
FmPageHook FmSetPageHook(FmPageHook hook) { return g_pageHook.exchange(hook); }

// ---- attach and detach ------------------------------------------------------------------------

int FmAttachModules(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  ContextWorkArea* wa = ctx->workArea;
  // A second attach would lose the first list and its user data.
  if (wa->moduleList) return 0;

  wa->chapterList = nullptr;
  wa->chapterAllocCount = 0;
  ForgetPresetValueCache(wa);

  auto* list = static_cast<FeatureModuleList*>(CtxAllocMem(sizeof(FeatureModuleList)));
  if (!list) return 0;
  FmTableSource source = g_tableSource.load();
  const FeatureModule* table = (source ? source : FeatureModuleTable)(list);
  const int32_t count = list->count;
  if (!table || count <= 0) {
    MdlFreeMem(list);
    return 0;
  }
  list->count = 0;
  list->rows = static_cast<FeatureModule*>(CtxAllocMem(static_cast<DWORD>(count) * sizeof(FeatureModule)));
  if (!list->rows) {
    MdlFreeMem(list);
    return 0;
  }
  std::memcpy(list->rows, table, static_cast<size_t>(count) * sizeof(FeatureModule));
  list->count = count;
  for (int32_t i = 0; i < count; ++i) {
    FeatureModule& row = list->rows[i];
    row.userData = nullptr;
    if (row.userDataSize == 0) continue;
    row.userData = CtxAllocMem(row.userDataSize);
    if (!row.userData) {
      // A module without its user data cannot work: no module list at all, as when the
      // rows cannot be had.
      FreeList(list);
      return 0;
    }
  }
  wa->moduleList = list;
  FmBroadcastNotify(ctx, kFmNotifyAttached, nullptr);
  return 1;
}

int FmDetachModules(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  ContextWorkArea* wa = ctx->workArea;
  MdlFreeMem(wa->chapterList);
  wa->chapterList = nullptr;
  wa->chapterAllocCount = 0;
  FreePresetValueCache(wa);

  FeatureModuleList* list = wa->moduleList;
  if (!list) return 0;
  FmBroadcastNotify(ctx, kFmNotifyDetaching, nullptr);
  // The list leaves the context before it is freed, so that nothing reaches the modules any
  // more.
  wa->moduleList = nullptr;
  FreeList(list);
  return 1;
}

// ---- the broadcasts ---------------------------------------------------------------------------

int FmRunBuiltInFunc(DriverContext* ctx, WORD code) {
  FeatureModuleList* list = ListOf(ctx);
  if (!list) return 0;
  for (int32_t i = 0; i < list->count; ++i) {
    const FeatureModule& row = list->rows[i];
    if (row.onBuiltInFunc && row.onBuiltInFunc(ctx, code, row.userData)) return 1;
  }
  return 0;
}

int FmDispatchDialogMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                            WPARAM wParam, LPARAM lParam) {
  FmPageHook hook = g_pageHook.load();
  if (int result = (hook ? hook : UiSetInitialPageLabels)(ctx, dialog, control, message, wParam, lParam))
    return result;
  FeatureModuleList* list = ListOf(ctx);
  if (!list) return 0;
  for (int32_t i = 0; i < list->count; ++i) {
    const FeatureModule& row = list->rows[i];
    if (!row.onDialog) continue;
    if (int result = row.onDialog(ctx, dialog, control, message, wParam, lParam, row.userData)) return result;
  }
  return 0;
}

int FmBroadcastNotify(DriverContext* ctx, DWORD code, void* param) {
  FeatureModuleList* list = ListOf(ctx);
  if (!list) return 0;
  for (int32_t i = 0; i < list->count; ++i) {
    const FeatureModule& row = list->rows[i];
    if (row.onNotify && row.onNotify(ctx, code, param, row.userData)) return 1;
  }
  return 0;
}

DWORD FmGetModuleComputedItem(DriverContext* ctx, WORD item) {
  if (item >= kCmmItemFirst && item <= kCmmItemLast) return FmGetCmmComputedItem(ctx, item);
  if (item >= kExtItemFirst && item <= kExtItemLast) return FmGetExtComputedItem(ctx, item);
  return 0;
}

// ---- the empty handlers -----------------------------------------------------------------------

int FmNoBuiltInFunc(DriverContext*, WORD, void*) { return 0; }
int FmNoNotify(DriverContext*, DWORD, void*, void*) { return 0; }
int FmNoDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) { return 0; }

// ---- build switches ---------------------------------------------------------------------------

int FmIsFeatureEnabled(const DriverContext*, WORD feature, DWORD) { return feature <= 5 ? 1 : 0; }

int OptHasBuildFeature(DWORD n) {
  if (n >= 64) return 0;
  return (kBuildFeatureWords[n / 32] >> (n % 32)) & 1u ? 1 : 0;
}

int OptHasPrnInfoFunc(DriverContext* ctx, WORD n) {
  if (n >= kPrnInfoFuncCount) return 0;
  return OptGetValue(ctx, static_cast<uint16_t>(kOptPrnInfoFuncSupport0 + n), nullptr) != 0 ? 1 : 0;
}
