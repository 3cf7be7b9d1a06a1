// The reset table: fixed repairs of the options that the model does not describe, with their
// built-in defaults, and the walk that applies them.
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#include "option_access.h"
#include "option_constants.h"
#include "option_units.h"
#include "option_validation.h"
#include "env_language.h"
#include "reset_walk.h"

namespace {

bool Between(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

// Keeps the value in mode 2 when `keep` holds; otherwise writes the default.
int KeepOrWrite(bool keep, OptionEntry* row, int32_t defaultValue, uint32_t mode, DriverContext* ctx) {
  if (mode == kResetModeValidate && keep) return 1;
  OptWriteValue(ctx, row, defaultValue);
  return 0;
}

int ResetAlways(uint16_t, int32_t, OptionEntry* row, int32_t d, uint32_t, DriverContext* ctx) {
  OptWriteValue(ctx, row, d);
  return 0;
}

int ResetZoltVersion(uint16_t, int32_t, OptionEntry* row, int32_t, uint32_t, DriverContext* ctx) {
  OptWriteValue(ctx, row, ctx->profile ? static_cast<int32_t>(ctx->profile->reserved5[0]) : 0);
  return 0;
}

int ResetMachineId(uint16_t, int32_t v, OptionEntry* row, int32_t, uint32_t mode, DriverContext* ctx) {
  const int32_t code = ctx->profile ? ctx->profile->modelCode : 0;
  return KeepOrWrite(v == code, row, code, mode, ctx);
}

// The option's first legal value stands for its default (the table gives none for these rows).
int ResetLegal(uint16_t id, int32_t v, OptionEntry* row, int32_t, uint32_t mode, DriverContext* ctx) {
  const LegalValueList* list = OptGetLegalValues(id);
  const int32_t d = list && list->count > 0 ? list->values[0] : 0;
  return KeepOrWrite(OptIsLegalValue(id, v) != 0, row, d, mode, ctx);
}

int ResetPresetNo(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, 0, 127) || (v & 0xFF) == 255, row, d, mode, ctx);
}

int ResetResolution(uint16_t id, int32_t v, OptionEntry* row, int32_t, uint32_t mode, DriverContext* ctx) {
  const int32_t quality = OptGetValue(ctx, 14, nullptr);
  const int32_t fallback = ctx->profile ? ctx->profile->resetResolutionW : 600;
  const int32_t d = DmIsValidPrintQuality(quality, ctx) ? quality : fallback;
  return KeepOrWrite(OptIsLegalValue(id, v) != 0, row, d, mode, ctx);
}

int ResetOutPaper(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, 1, 118) || OptIsLegalValue(8, v) || v == 1024, row, d, mode, ctx);
}

int ResetKeepInMode2(uint16_t, int32_t, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(true, row, d, mode, ctx);
}

int ResetScale(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, 20, 400), row, d, mode, ctx);
}

// 0 to 50 mm in dots at the output resolution, compared unsigned.
int ResetMargin(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  const auto dpi = static_cast<uint32_t>(OptGetValue(ctx, 38, nullptr));
  const uint32_t limit = OptTenthMmToDotsU(500, dpi);
  return KeepOrWrite(static_cast<uint32_t>(v) <= limit, row, d, mode, ctx);
}

int ResetFontPoint(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, 6, 100), row, d, mode, ctx);
}

int ResetWatermarkId(uint16_t, int32_t, OptionEntry*, int32_t, uint32_t, DriverContext*) { return 0; }

int ResetPaperSource(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, 1, 15) || OptIsLegalValue(13, v), row, d, mode, ctx);
}

int ResetSigned50(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, -50, 50), row, d, mode, ctx);
}

// zdmLanguageID and zdmDspLanguageID default to the profile's reset bytes 1 and 2.
int ResetLanguage(uint16_t id, int32_t v, OptionEntry* row, int32_t, uint32_t mode, DriverContext* ctx) {
  const int32_t d = ctx->profile ? ctx->profile->resetBytes[id == 169 ? 1 : 2] : 0;
  return KeepOrWrite(Between(v, 0, 0xFFFF) && EnvIsKnownLanguageIndex(static_cast<WORD>(v)), row, d, mode, ctx);
}

int ResetNeverWrites(uint16_t, int32_t, OptionEntry*, int32_t, uint32_t, DriverContext*) { return 1; }

int ResetGamma(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, 1, 9), row, d, mode, ctx);
}

int ResetCycle(uint16_t, int32_t v, OptionEntry* row, int32_t d, uint32_t mode, DriverContext* ctx) {
  return KeepOrWrite(Between(v, 1, 99), row, d, mode, ctx);
}

const ResetRule kResetTable[kResetRuleCount + 1] = {
#include "reset_rows.inc"
    {0, nullptr, 0},
};

constexpr uint16_t kFirstResetOption = 35;
constexpr uint16_t kLastResetOption = 719;

}  // namespace

const ResetRule* OptGetResetTable() { return kResetTable; }

namespace {

// The last walk of a context: everything it read, and its writes in their order. The option
// table's rows keep their layout for the context's life (a type word replaced for the length of
// a storage call is put back before any walk can run), and a model image is never changed once
// loaded, so their addresses stand for them.
struct ResetWalk {
  const ModelImage* image = nullptr;
  uint32_t imagesMade = 0;  // images made in the process when the walk ran
  const OptionTable* table = nullptr;
  const OptionEntry* rows = nullptr;
  int16_t tableCount = 0;
  uint32_t mode = 0;
  DWORD mergeFlags = 0;
  bool haveProfile = false;
  DriverProfile profile{};
  uint32_t last = 0;
  bool usable = false;  // the walk read nothing else and wrote numbers only
  BYTE settings[kSettingsImageSize];
  struct Write {
    size_t row;  // index in the table's rows
    int32_t value;
  };
  std::vector<Write> writes;
};

std::atomic<uint32_t> g_imagesMade{0};

// The walks of the contexts, each until its context ends or the module leaves the process
// (contexts still cached then lose theirs with the table; a walk asked for afterwards is walked
// without being kept).
std::mutex g_walksLock;
bool g_walksGone = false;
struct WalkTable {
  std::unordered_map<const DriverContext*, ResetWalk*> map;
  ~WalkTable() {
    for (auto& entry : map) delete entry.second;
    map.clear();
    g_walksGone = true;
  }
};
WalkTable g_walkTable;
std::unordered_map<const DriverContext*, ResetWalk*>& Walks() { return g_walkTable.map; }

ResetWalk* WalkOf(const DriverContext* ctx) {
  std::lock_guard<std::mutex> hold(g_walksLock);
  if (g_walksGone) return nullptr;
  auto it = Walks().find(ctx);
  return it == Walks().end() ? nullptr : it->second;
}

// The context's walk, made on its first use; NULL without memory.
ResetWalk* NewWalkOf(const DriverContext* ctx) {
  std::lock_guard<std::mutex> hold(g_walksLock);
  if (g_walksGone) return nullptr;
  try {
    ResetWalk*& w = Walks()[ctx];
    if (!w) w = new ResetWalk;
    return w;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

DWORD MergeFlagsOf(const DriverContext* ctx) { return ctx->workArea->mergeFlags; }

bool SameInputs(const ResetWalk& w, DriverContext* ctx, uint32_t mode) {
  if (!w.usable || w.image != ctx->modelImage || w.imagesMade != g_imagesMade.load(std::memory_order_acquire))
    return false;
  if (w.table != ctx->optionTable || w.rows != ctx->optionTable->rows || w.tableCount != ctx->optionTable->count ||
      w.mode != mode || w.mergeFlags != MergeFlagsOf(ctx))
    return false;
  if (w.haveProfile != (ctx->profile != nullptr)) return false;
  if (ctx->profile && std::memcmp(&w.profile, ctx->profile, sizeof(DriverProfile)) != 0) return false;
  return std::memcmp(w.settings, ctx->settingsImage, kSettingsImageSize) == 0;
}

uint32_t Walk(DriverContext* ctx, uint32_t mode) {
  uint32_t last = 0;
  // Rows are taken by position: row k serves option 35 + k.
  for (int position = 0; position < kResetRuleCount; ++position) {
    const auto id = static_cast<uint16_t>(kFirstResetOption + position);
    if (id > kLastResetOption || id > ctx->optionTable->count) break;
    last = id;
    OptionEntry* row = &ctx->optionTable->rows[id - 1];
    const int32_t value = OptReadValue(ctx, row);
    if (OptValidateOrRepair(id, value, ctx) != kCheckNoModelName) continue;
    const ResetRule& rule = kResetTable[position];
    if (rule.handler) rule.handler(id, value, row, rule.defaultValue, mode, ctx);
  }
  return last;
}

}  // namespace

thread_local DriverContext* g_resetWalkRecording = nullptr;
thread_local uint32_t g_evalOutsideReads = 0;

void OptNoteResetWalkWrite(DriverContext* ctx, OptionEntry* row, int32_t value, bool bytes) {
  ResetWalk* w = ctx ? WalkOf(ctx) : nullptr;
  if (!w || !w->usable) return;
  if (bytes) {
    w->usable = false;  // a block is not noted: the next walk walks again
    return;
  }
  const OptionTable* table = ctx->optionTable;
  if (!row || !table || row < table->rows || row >= table->rows + table->count) {
    w->usable = false;  // not a row of the table: the next walk walks again
    return;
  }
  try {
    w->writes.push_back({static_cast<size_t>(row - table->rows), value});
  } catch (const std::bad_alloc&) {
    w->usable = false;
  }
}

void MdlNoteNewImage() { g_imagesMade.fetch_add(1, std::memory_order_acq_rel); }

void OptFreeResetWalk(DriverContext* ctx) {
  ResetWalk* w = nullptr;
  {
    std::lock_guard<std::mutex> hold(g_walksLock);
    if (g_walksGone) return;
    auto it = Walks().find(ctx);
    if (it == Walks().end()) return;
    w = it->second;
    Walks().erase(it);
  }
  if (g_resetWalkRecording == ctx) g_resetWalkRecording = nullptr;
  delete w;
}

uint32_t DmApplyResetRules(DEVMODEW*, DriverContext* ctx, uint32_t mode) {
  if (!ctx || !ctx->optionTable || !ctx->optionTable->rows) return 0;
  // A walk inside a recorded one is part of it: its writes are noted with the outer walk's.
  if (!ctx->workArea || !ctx->settingsImage || g_resetWalkRecording) return Walk(ctx, mode);
  ResetWalk* w = WalkOf(ctx);
  if (w && SameInputs(*w, ctx, mode)) {
    for (const ResetWalk::Write& write : w->writes)
      OptWriteValue(ctx, &ctx->optionTable->rows[write.row], write.value);
    return w->last;
  }
  if (!w && !(w = NewWalkOf(ctx))) return Walk(ctx, mode);
  w->image = ctx->modelImage;
  w->imagesMade = g_imagesMade.load(std::memory_order_acquire);
  w->table = ctx->optionTable;
  w->rows = ctx->optionTable->rows;
  w->tableCount = ctx->optionTable->count;
  w->mode = mode;
  w->mergeFlags = MergeFlagsOf(ctx);
  w->haveProfile = ctx->profile != nullptr;
  if (ctx->profile) std::memcpy(&w->profile, ctx->profile, sizeof(DriverProfile));
  std::memcpy(w->settings, ctx->settingsImage, kSettingsImageSize);
  w->writes.clear();
  w->usable = true;
  const uint32_t outsideReads = g_evalOutsideReads;
  g_resetWalkRecording = ctx;
  w->last = Walk(ctx, mode);
  g_resetWalkRecording = nullptr;
  // Nothing read from outside the images, and the merge flags the walk reads kept.
  if (g_evalOutsideReads != outsideReads || MergeFlagsOf(ctx) != w->mergeFlags) w->usable = false;
  return w->last;
}
