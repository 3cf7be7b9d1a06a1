// After a status was set: the printer's rules applied to the change, the follow-ups of each
// status, and the change report that tells the caller which other statuses changed with it.
#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"
#include "api_support.h"
#include "core_memory.h"
#include "devmode_fields.h"
#include "fm_modules_5_8.h"
#include "devmode_public.h"
#include "devmode_record.h"
#include "lock_data.h"
#include "model_query.h"
#include "option_access.h"
#include "option_store.h"
#include "settings_paths.h"
#include "win32/windows.h"

void ApiFixFinishingAfterChange(DriverContext* ctx, const DEVMODEW* dm);

namespace {

bool IsTextKind(uint32_t kind) { return kind == 7 || kind == 10 || kind == 11 || kind == 13 || kind == 14 || kind == 15; }

bool IsJobText(uint16_t option) {
  for (uint16_t o : {202, 207, 208, 204, 206, 205, 976})
    if (o == option) return true;
  return false;
}

// Whether an option's working value differs from the value before the change; *text tells
// whether it is a text whose change marks its row at once.
bool OptionChanged(DriverContext* ctx, uint16_t option, bool* text) {
  *text = false;
  OptionEntry* row = OptFind(ctx, option);
  if (!row) return false;
  if (IsTextKind(TypeKind(row->typeWord))) {
    const BYTE* now = OptGetValuePointer(ctx, option, nullptr);
    const BYTE* before = OptGetSavedValuePointer(ctx, option, nullptr);
    if (!now || !before) return false;
    *text = true;
    return std::memcmp(now, before, TypeSize(row->typeWord)) != 0;
  }
  return OptGetValue(ctx, option, nullptr) != OptGetSavedValue(ctx, option, nullptr);
}

bool PairIn(int32_t a, int32_t b, std::initializer_list<std::pair<int32_t, int32_t>> pairs) {
  for (const auto& p : pairs)
    if (p.first == a && p.second == b) return true;
  return false;
}

// The changed status itself: marked only when the rules left a value that differs from the
// request in the ways each id describes.
void MarkChangedRow(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t* changes) {
  switch (id) {
    case 14:
      if (PairIn(OptGetValue(ctx, kApiOptNupType, nullptr), record->value,
                 {{1, 3}, {3, 1}, {3, 2}, {129, 130}, {130, 129}, {161, 163}, {163, 161}, {163, 162}}))
        ApiMarkStatus(changes, 14);
      break;
    case 15:
      if (PairIn(OptGetValue(ctx, kApiOptDuplexType, nullptr), record->value,
                 {{18, 17}, {17, 18}, {17, 19}, {21, 20}, {20, 21}, {20, 22}}))
        ApiMarkStatus(changes, 15);
      break;
    case 19: {
      const int32_t cap = ApiQueryCapability(ctx, kApiCapSeparationSheet, nullptr);
      if (cap != -1 && cap != 0 && OptGetValue(ctx, kApiOptSeparationSheet, nullptr) &&
          OptGetValue(ctx, kApiOptSeparationSheetCycle, nullptr) != record->fields[1])
        ApiMarkStatus(changes, 19);
      break;
    }
    case 66: {
      bool text = false;
      if (!OptionChanged(ctx, kApiOptReverseCoverOutside, &text)) break;
      if (ApiIsOptionAvailable(ctx, kApiOptFuncSelectBack, 0, 3)) ApiMarkStatus(changes, 64);
      else if (ApiIsOptionAvailable(ctx, kApiOptFuncSelectReverseCover, 0, 3)) ApiMarkStatus(changes, 65);
      break;
    }
    case 67:
      if (OptGetValue(ctx, kApiOptFuncSelectChapter, nullptr) != record->value) ApiMarkStatus(changes, 67);
      break;
    case 28: {
      bool text = false;
      if (ApiGetVersion() >= 14 && OptionChanged(ctx, kApiOptRotationMode, &text) &&
          (OptionChanged(ctx, kApiOptNupLayout, &text) || OptionChanged(ctx, kApiOptBookLayout, &text)))
        ApiMarkStatus(changes, 28);
      break;
    }
    default:
      break;
  }
}

bool ExaminesObjectVariants(uint32_t id) {
  for (uint32_t v : {39u, 40u, 41u, 42u, 43u, 46u, 267u, 269u})
    if (v == id) return true;
  return false;
}

// Whether option j of row n (as the option `option`) marks the row; `index` is its pair in the
// status state array.
bool RelatedMarks(DriverContext* ctx, const StatusRow* row, int j, uint16_t option) {
  const uint32_t n = row->id;
  bool text = false;
  const bool changed = OptionChanged(ctx, option, &text);
  if (n == 265 || n == 268) return changed;
  if (!changed) return false;
  if (text && IsJobText(option)) return true;
  const FunctionSwitchRow* sw = nullptr;
  const uint16_t switchOption = ApiFindSwitchOption(n, &sw);
  if (sw && (sw->flags & 1) && option != switchOption) {
    const ModelItem* item = ApiFindOptionItem(ctx, switchOption);
    if (item && (MdlIsDisabled(item, 0, ctx) == 1 || MdlIsRestricted(item, 0, ctx) == 1)) return false;
  }
  if (sw && (sw->flags & 2) && (option == kApiOptCoverType || option == kApiOptMarkPaperType) &&
      OptGetValue(ctx, switchOption, nullptr) == 0)
    return false;
  const ModelItem* item = ApiFindOptionItem(ctx, option);
  ApiExtension* ext = ApiGetExtension(ctx);
  if (!item || !ext || !ext->statusStates) return true;
  if (MdlIsDisabled(item, 0, ctx) == 1) return false;
  if (MdlIsRestricted(item, 0, ctx) != 1) return true;
  const int64_t index = static_cast<int64_t>(n - 1) * kStatusRelatedOptions + j;
  const bool restrictedBefore = index < ext->statusStatePairs && ext->statusStates[index * 2 + 1] == 1;
  return !restrictedBefore;
}

bool RowMarks(DriverContext* ctx, const StatusRow* row) {
  const uint32_t n = row->id;
  const BYTE* dm = CtxGetDevMode(ctx);
  const auto* pub = reinterpret_cast<const DEVMODEW*>(dm);
  for (int j = 0; j < kStatusRelatedOptions; ++j) {
    const uint16_t x = row->related[j];
    if (!x) break;
    if ((x == kApiOptSeparationSheet || x == kApiOptSeparationSheetCycle) && ApiGetVersion() < 10) continue;
    if (n == 7 && (x == kApiOptPaperLength || x == kApiOptPaperWidth)) {
      const DWORD both = kDmFieldPaperLength | kDmFieldPaperWidth;
      bool text = false;
      if (pub->dmPaperLength && pub->dmPaperWidth && (pub->dmFields & both) == both && OptionChanged(ctx, x, &text))
        return true;
      continue;
    }
    const int32_t scaleType = OptGetValue(ctx, kApiOptScaleType, nullptr);
    if (n == 11 && x == kApiOptScaleV && scaleType >= 0 && scaleType <= 2) continue;
    if (n == 11 && x == kApiOptScaleH && scaleType == 2) {
      bool text = false;
      if (OptionChanged(ctx, x, &text)) return true;
      continue;
    }
    if (n == 34) {
      const int kind = CfgGetResolutionListKind(ctx);
      if (kind == -1) continue;
      if (kind == 0 && x == kApiOptDstResolutionBoth) continue;
      if (kind == 1 && x == kApiOptDstResolutionW) continue;
    }
    if (n == 18) {
      if (x == kApiOptFuncSelectMargin) continue;
      bool text = false;
      if (!OptionChanged(ctx, kApiOptFuncSelectMargin, &text)) break;
    }
    if (ExaminesObjectVariants(n)) {
      for (int object = -1; object <= 2; ++object) {
        const uint16_t variant = object < 0 ? x : ApiGetObjectVariant(ctx, x, object);
        if (RelatedMarks(ctx, row, j, variant)) return true;
      }
      continue;
    }
    if (RelatedMarks(ctx, row, j, x)) return true;
  }
  return false;
}

void FillChangeReport(DriverContext* ctx, const StatusRow* changedRow, const StatusRecord* record, uint8_t* changes,
                      const BYTE* chapterCopy) {
  std::memset(changes, 0, static_cast<size_t>(ApiBitmapSize()));
  const uint32_t low = ApiStatusIdLimit(0);
  const uint32_t high = ApiStatusIdLimit(1);
  for (uint32_t n = 1; n <= high; n = n == low ? 257 : n + 1) {
    const StatusRow* row = StatusRowById(n);
    if (!row || !row->enabled) continue;
    if (n == changedRow->id) {
      MarkChangedRow(ctx, n, record, changes);
      ContextWorkArea* wa = ctx->workArea;
      const bool differ = ApiChapterListsDiffer(ctx, reinterpret_cast<const ChapterEntry*>(chapterCopy), wa->chapterList) != 0;
      if (differ) ApiMarkStatus(changes, 67);
      if (differ || n == 67) ApiSaveUserSettings(ctx, ctx->printer);
      continue;
    }
    if (RowMarks(ctx, row)) ApiMarkStatus(changes, n);
  }
}

// The follow-ups of status 10: the job texts of the print method given in the record.
void RunPrintMethodFollowUps(DriverContext* ctx, const StatusRecord* record) {
  const int32_t method = record->value;
  const uint32_t flags = static_cast<uint32_t>(record->fields[0]);
  auto run = [&](uint16_t option) { ApiRunOptionRules(ctx, option); };
  switch (method) {
    case 0:
    case 2:
      if (flags & 0x1) run(202);
      break;
    case 1:
      if (flags & 0x1) run(202);
      if (flags & 0x82) run(207);
      break;
    case 3:
      if (flags & 0x1) run(202);
      if (flags & 0x104) run(208);
      if (flags & 0x8) run(204);
      if (flags & 0x10) run(206);
      break;
    case 5:
      if (flags & 0x20) run(205);
      break;
    case 7:
      if (flags & 0x40) run(976);
      break;
    case 8:
      if (flags & 0x1) run(202);
      if (flags & 0x200) run(206);
      break;
    case 9:
      if (flags & 0x1) run(202);
      if (flags & 0x400) run(206);
      if (flags & 0x800) run(208);
      if (flags & 0x4000) run(609);
      break;
    case 10:
      if (flags & 0x1) run(202);
      if (flags & 0x1000) run(206);
      if (flags & 0x2000) run(208);
      if (flags & 0x4000) run(609);
      break;
    default:
      break;
  }
}

void RunFollowUps(DriverContext* ctx, const StatusRow* row, const StatusRecord* record) {
  auto run = [&](uint16_t option) { ApiRunOptionRules(ctx, option); };
  switch (row->id) {
    case 3:
      OptSetValue(ctx, kApiOptUiStart, 1);
      run(54);
      OptSetValue(ctx, kApiOptUiStart, 0);
      break;
    case 10: RunPrintMethodFollowUps(ctx, record); break;
    case 11: {
      run(kApiOptScaleType);
      const int32_t type = OptGetValue(ctx, kApiOptScaleType, nullptr);
      if (type == 1 || type == 3) {
        if (type == 3) run(kApiOptScaleV);
        run(kApiOptScaleH);
      }
      break;
    }
    case 14: run(91); run(92); break;
    case 15: run(94); break;
    case 19: run(119); break;
    case 20: run(121); break;
    case 21: run(120); break;
    case 35: run(145); run(146); run(147); break;
    case 39: ApiRunOptionAlerts(ctx, 134); break;
    case 51: run(513); break;
    case 79:
      for (uint16_t o : {546, 547, 548, 695, 696, 697, 698}) run(o);
      break;
    case 80: run(701); break;
    case 81: run(71); break;
    case 82: run(550); break;
    case 83: run(78); break;
    case 84: ApiRunOptionAlerts(ctx, 552); break;
    case 262:
      OptSetValue(ctx, kApiOptCtrlWorkPrompt, 1);
      ApiRunOptionRules(ctx, kApiOptUseUserMacro);
      ApiRunOptionAlerts(ctx, kApiOptUseUserMacro);
      run(177);
      run(178);
      run(179);
      OptSetValue(ctx, kApiOptCtrlWorkPrompt, 0);
      break;
    default:
      break;
  }
}

}  // namespace

void ResolveAfterSet(DriverContext* ctx, const StatusRow* row, const StatusRecord* record, uint8_t* changes) {
  if (!ctx->workArea->savedImage) return;
  const bool uiMode = OptGetValue(ctx, kApiOptUiModeChange, nullptr) == 1;
  if (uiMode) OptSetValue(ctx, kApiOptUiModeChange, 0);

  ContextWorkArea* wa = ctx->workArea;
  const LONG rows = wa->chapterList ? wa->chapterAllocCount : 0;
  const LONG copyRows = std::max<LONG>(rows, OptGetValue(ctx, kApiOptChapterNum, nullptr)) + 1;
  auto* chapterCopy = static_cast<BYTE*>(CtxAllocMem(static_cast<DWORD>(copyRows) * sizeof(ChapterEntry)));
  if (!chapterCopy) {
    if (uiMode) OptSetValue(ctx, kApiOptUiModeChange, 1);
    return;
  }
  if (rows) std::memcpy(chapterCopy, wa->chapterList, static_cast<size_t>(rows) * sizeof(ChapterEntry));

  if (row->mainOption) ApiRunOptionRules(ctx, row->mainOption);
  RunFollowUps(ctx, row, record);

  if (OptionEntry* method = OptFind(ctx, kApiOptPrnMethod)) CfgWriteOption(ctx->printer, ctx, method, PathGetSettingsIni(ctx));

  BYTE* dm = CtxGetDevMode(ctx);
  auto* pub = reinterpret_cast<DEVMODEW*>(dm);
  const bool userSize = pub->dmPaperSize == 256;
  const SHORT width = pub->dmPaperWidth;
  const SHORT length = pub->dmPaperLength;
  DmSetPublicFromOptions(dm, ctx, 3);
  if (row->id == 7 && record->value == 256) {
    ApiSetUserPaperFromRecord(ctx, record);
  } else if (pub->dmPaperSize == 256) {
    if (userSize) {
      pub->dmPaperWidth = width;
      pub->dmPaperLength = length;
    }
    pub->dmFields = (pub->dmFields & ~static_cast<DWORD>(kDmFieldPaperSize)) | kDmFieldPaperLength | kDmFieldPaperWidth;
  }
  if (ApiGetVersion() < 6 && row->id == 35) OptSetValue(ctx, kApiOptUseUserMacro, 1);
  ApiFixFinishingAfterChange(ctx, nullptr);
  FmBroadcastRecheck(ctx);
  if (changes) FillChangeReport(ctx, row, record, changes, chapterCopy);

  if (uiMode) OptSetValue(ctx, kApiOptUiModeChange, 1);
  MdlFreeMem(chapterCopy);
}
