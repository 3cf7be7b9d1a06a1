// The finishers' paper lists, the tray matchers and the paper size classes. Everything here reads
// options through the finishing getters; nothing is written.
#include "finisher_papers.h"

#include "finishing_rules.h"
#include "option_access.h"
#include "option_values.h"

namespace {

// ---- paper lists ------------------------------------------------------------------------------

enum ListKind : int { kListed, kExcluded };

struct PaperListRow {
  int list;
  int kind;
  int16_t codes[16];  // zero-ended
};

constexpr PaperListRow kPaperLists[] = {
#include "finisher_paper_rows.inc"
};

int ModelCode(const DriverContext* ctx) { return ctx && ctx->profile ? ctx->profile->modelCode : 0; }

bool InRow(int list, int kind, int16_t paper) {
  for (const PaperListRow& row : kPaperLists) {
    if (row.list != list || row.kind != kind) continue;
    for (const int16_t* c = row.codes; *c; ++c)
      if (*c == paper) return true;
    return false;
  }
  return false;
}

bool IsFreeSizeCode(int32_t paper) { return paper == 256 || (paper >= 384 && paper <= 393) || paper == 448 || paper == 449; }
bool IsSlotCode(int32_t paper) { return (paper >= 384 && paper <= 393) || paper == 449; }

// Membership with the model rules that apply to both tests.
bool ListedStrict(DriverContext* ctx, int list, int16_t paper) {
  const int model = ModelCode(ctx);
  switch (list) {
    case kPaperListType14:
    case kPaperListType15:
      if (model == 146 && (paper == 517 || paper == 93)) return false;
      return InRow(list, kListed, paper);
    case kPaperListFinMfFin1:
    case kPaperListFin50Fin2:
      return InRow(list, kListed, paper) || (model == 162 && paper == 512);
    case kPaperListFin2000Or3000: case kPaperListFin1000: case kPaperListFinBF:
    case kPaperListFin2Fin4ByModel: case kPaperListFin100Fin3: case kPaperListDom:
    case kPaperListFin1DomFin4: case kPaperListFin3Dom: case kPaperListFin4DomFin4: case kPaperListLong:
      return InRow(list, kListed, paper);
    default:
      return false;
  }
}

// ---- trays ------------------------------------------------------------------------------------

// The getters that describe one tray; lock -1 for a tray without a lock option.
struct Tray {
  int paper, feed, lock;
};

constexpr Tray kTray1{kGetTray1Paper, kGetTray1Feed, kGetTray1Lock};
constexpr Tray kTray2{kGetTray2Paper, kGetTray2Feed, kGetTray2Lock};
constexpr Tray kTray3{kGetTray3Paper, kGetTray3Feed, kGetTray3Lock};
constexpr Tray kTray4{kGetTray4Paper, kGetTray4Feed, kGetTray4Lock};
constexpr Tray kTray5{kGetTray5Paper, kGetTray5Feed, kGetTray5Lock};  // the getters pick by model
constexpr Tray kTray6{kGetTray6Paper, kGetTray6Feed, kGetTray6Lock};
constexpr Tray kTray7{kGetTray7Paper, kGetTray7Feed, kGetTray7Lock};
constexpr Tray kLct{kGetLctPaper, kGetLctFeed, kGetLctLock};
constexpr Tray kManual{kGetManualPaper, kGetManualFeed, kGetManualLock};
constexpr Tray kMulti{kGetMultiPaper, kGetMultiFeed, kGetMultiLock};
constexpr Tray kExt1{kGetExt1Paper, kGetExt1Feed, -1};

// The tray behind a source other than the bypass tray and automatic selection.
const Tray* FixedTray(WORD source) {
  switch (source) {
    case kSourceTray1: return &kTray1;
    case kSourceTray2: return &kTray2;
    case kSourceTray3: return &kTray3;
    case kSourceTray4: return &kTray4;
    case kSourceTray5: return &kTray5;
    case kSourceTray6: return &kTray6;
    case kSourceTray7: return &kTray7;
    case kSourceLct: return &kLct;
    case kSourceExt1: return &kExt1;
    default: return nullptr;
  }
}

int32_t Get(DriverContext* ctx, int getter) { return OptGetFinishingOption(ctx, getter); }
int32_t PaperOf(DriverContext* ctx, const Tray& t) { return Get(ctx, t.paper); }
int32_t FeedOf(DriverContext* ctx, const Tray& t) { return Get(ctx, t.feed); }
bool Unlocked(DriverContext* ctx, const Tray& t) { return t.lock < 0 || Get(ctx, t.lock) == 0; }
WORD FeedBit(DriverContext* ctx, const Tray& t) { return FeedOf(ctx, t) != 0 ? 2 : 1; }

// The models on which the bypass tray is always the manual form.
bool ManualModel(int model) {
  return model == 143 || model == 147 || model == 149 || model == 164 || model == 172;
}
bool ManualForm(DriverContext* ctx) { return ManualModel(ModelCode(ctx)) || Get(ctx, kGetSourceManual) != 0; }
bool MultiPresent(DriverContext* ctx) { return Get(ctx, kGetSourceMulti) != 0; }

// A tray's paper against P, with the free-size rule of models 162 and 165 where it applies.
bool PaperMatches(DriverContext* ctx, int32_t trayPaper, int32_t paper, bool freeSizeRule) {
  const int model = ModelCode(ctx);
  if (freeSizeRule && (model == 162 || model == 165) && IsFreeSizeCode(paper)) return IsSlotCode(trayPaper);
  return trayPaper == paper;
}

// The trays automatic selection may use, in order; `visit` returns true to stop.
template <typename Visit>
bool ForEachAutoTray(DriverContext* ctx, Visit visit) {
  for (const Tray* t : {&kTray1, &kTray2, &kTray3, &kTray4, &kTray5, &kTray6, &kTray7})
    if (Unlocked(ctx, *t) && visit(*t)) return true;
  if (Get(ctx, kGetSourceLct) != 0 && Unlocked(ctx, kLct) && visit(kLct)) return true;
  if (MultiPresent(ctx) && Unlocked(ctx, kMulti) && visit(kMulti)) return true;
  if (ManualForm(ctx) && Unlocked(ctx, kManual) && visit(kManual)) return true;
  return false;
}

// OptTrayHoldsPaper, and with `feed` also the tray's feed value.
bool Holds(DriverContext* ctx, WORD source, int32_t paper, const int32_t* feed) {
  if (!ctx) return false;
  auto fedOk = [&](const Tray& t) { return !feed || FeedOf(ctx, t) == *feed; };
  switch (source) {
    case kSourceTray1: case kSourceTray2: case kSourceTray3: case kSourceTray4: {
      const Tray& t = *FixedTray(source);
      return fedOk(t) && PaperMatches(ctx, PaperOf(ctx, t), paper, true);
    }
    case kSourceLct: case kSourceTray5: case kSourceTray6: case kSourceTray7: {
      const Tray& t = *FixedTray(source);
      return fedOk(t) && PaperOf(ctx, t) == paper;
    }
    case kSourceBypass: {
      const int model = ModelCode(ctx);
      if (ManualModel(model)) {
        if (!fedOk(kManual)) return false;
        if (PaperOf(ctx, kManual) == paper) return true;
      }
      if (model != 165 && Get(ctx, kGetSourceManual) == 0)
        return MultiPresent(ctx) && fedOk(kMulti) && PaperOf(ctx, kMulti) == paper;
      if (model == 165 && IsFreeSizeCode(paper)) return IsSlotCode(PaperOf(ctx, kManual));
      return fedOk(kManual) && PaperOf(ctx, kManual) == paper;
    }
    case kSourceAuto:
      return ForEachAutoTray(ctx, [&](const Tray& t) { return fedOk(t) && PaperOf(ctx, t) == paper; });
    default:
      return false;
  }
}

WORD DefaultSource(DriverContext* ctx) { return static_cast<WORD>(Get(ctx, kGetDefaultSource)); }

// ---- size classes -----------------------------------------------------------------------------

#include "paper_size_class_rows.inc"
#include "model_tray_rows.inc"

constexpr uint16_t kOptMachineId = 35;

}  // namespace

// ---- paper lists ------------------------------------------------------------------------------

int OptIsFreeSizePaperCode(DriverContext*, int32_t paper) { return IsFreeSizeCode(paper) ? 1 : 0; }
int OptIsFreeSizeSlotCode(DriverContext*, int32_t paper) { return IsSlotCode(paper) ? 1 : 0; }

int OptIsPaperInFinisherList(DriverContext* ctx, int list, int16_t paper) {
  return paper != 0 && ListedStrict(ctx, list, paper) ? 1 : 0;
}

int OptIsPaperInFinisherListLenient(DriverContext* ctx, int list, int16_t paper) {
  if (paper == 0) return 0;
  if (ListedStrict(ctx, list, paper)) return 1;
  const int model = ModelCode(ctx);
  bool extra = false;
  switch (list) {
    case kPaperListFin2000Or3000:
      extra = paper == 11 || (paper == 6 && OptIsFin2000Installed(ctx));
      break;
    case kPaperListFinMfFin1:
      extra = paper == 11 || (paper == 6 && OptIsFinMfFin1Installed(ctx)) || (model == 162 && IsFreeSizeCode(paper));
      break;
    case kPaperListFin2Fin4ByModel:
      extra = paper == 11 || (paper == 6 && OptIsFin2Fin4ByModelInstalled(ctx)) || (model == 162 && paper == 512);
      break;
    case kPaperListFin50Fin2:
      extra = paper == 11 || (paper == 6 && OptIsFin50Fin2Installed(ctx)) || (model == 162 && IsFreeSizeCode(paper));
      break;
    case kPaperListFin100Fin3:
      extra = paper == 11 || (paper == 6 && OptIsFin100Fin3Installed(ctx)) || (model == 162 && paper == 512) ||
              (model == 165 && IsFreeSizeCode(paper));
      break;
    case kPaperListDom:
      extra = paper == 6 && OptIsDomFinisherInstalled(ctx);
      break;
    case kPaperListFin1DomFin4:
      extra = paper == 11 || paper == 6 || (model == 162 && IsFreeSizeCode(paper));
      break;
    case kPaperListFin4DomFin4:
      extra = paper == 11 || paper == 6;
      break;
    default:
      break;
  }
  return extra ? 1 : 0;
}

int OptIsPaperNotExcluded(DriverContext*, int list, int16_t paper) {
  return InRow(list, kExcluded, paper) ? 0 : 1;
}

int OptIsLongPaper(int16_t paper) { return paper != 0 && InRow(kPaperListLong, kListed, paper) ? 1 : 0; }

// ---- tray matchers ----------------------------------------------------------------------------

int OptModelMatchesAutoTray(DriverContext* ctx) {
  if (!ctx || !ctx->profile) return 0;
  switch (ctx->profile->modelCode) {
    case 142: case 144: case 146: case 149: case 150: case 151: case 158: case 160: case 162: case 164:
    case 165: case 166: case 167: case 170: case 172: case 174: case 175: case 179: case 186:
      return 1;
    case 145: case 148:
      return ctx->profile->modelVariant == 1 ? 1 : 0;
    default:
      return 0;
  }
}

int OptTrayHoldsPaper(DriverContext* ctx, WORD source, int32_t paper) { return Holds(ctx, source, paper, nullptr) ? 1 : 0; }

int OptTrayHoldsPaperFed(DriverContext* ctx, WORD source, int32_t paper, int32_t feed) {
  return Holds(ctx, source, paper, &feed) ? 1 : 0;
}

int OptSourceHoldsPaperFed(DriverContext* ctx, int32_t paper, int32_t feed) {
  if (!ctx) return 0;
  return Holds(ctx, DefaultSource(ctx), paper, &feed) ? 1 : 0;
}

int OptMainTrayHoldsPaperFed(DriverContext* ctx, int32_t paper, int32_t feed) {
  if (!ctx) return 0;
  WORD source = DefaultSource(ctx);
  if (source == kSourceAuto && !OptModelMatchesAutoTray(ctx)) source = kSourceTray1;
  return Holds(ctx, source, paper, &feed) ? 1 : 0;
}

WORD OptGetPaperFeedFlags(DriverContext* ctx, int32_t paper) {
  if (!ctx) return 0;
  const WORD source = DefaultSource(ctx);
  switch (source) {
    case kSourceTray1: case kSourceTray2: case kSourceTray3: case kSourceTray4: {
      const Tray& t = *FixedTray(source);
      return PaperMatches(ctx, PaperOf(ctx, t), paper, true) ? FeedBit(ctx, t) : 0;
    }
    case kSourceLct: case kSourceTray5: case kSourceTray6: case kSourceTray7: {
      const Tray& t = *FixedTray(source);
      return PaperOf(ctx, t) == paper ? FeedBit(ctx, t) : 0;
    }
    case kSourceBypass:
      if (ManualForm(ctx)) return PaperOf(ctx, kManual) == paper ? FeedBit(ctx, kManual) : 0;
      if (ModelCode(ctx) == 165 && IsFreeSizeCode(paper))
        return IsSlotCode(PaperOf(ctx, kManual)) ? FeedBit(ctx, kManual) : 0;
      return MultiPresent(ctx) && PaperOf(ctx, kMulti) == paper ? FeedBit(ctx, kMulti) : 0;
    case kSourceAuto: {
      WORD flags = 0;
      ForEachAutoTray(ctx, [&](const Tray& t) {
        if (PaperOf(ctx, t) == paper) flags |= FeedBit(ctx, t);
        return false;
      });
      return flags;
    }
    default:
      return 0;
  }
}

int32_t OptGetTrayContents(DriverContext* ctx, WORD source, int16_t* paper, int32_t* feed) {
  if (!ctx) return source;
  const Tray* t = FixedTray(source);
  if (source == kSourceBypass) {
    if (ManualForm(ctx)) t = &kManual;
    else if (MultiPresent(ctx)) t = &kMulti;
    else return 0;
  }
  if (!t) return source;
  const int32_t value = FeedOf(ctx, *t);
  if (paper) *paper = static_cast<int16_t>(PaperOf(ctx, *t));
  if (feed) *feed = value;
  return value;
}

// ---- size classes -----------------------------------------------------------------------------

const PaperSizeClassRow* OptGetPaperClassTable(DriverContext* ctx) {
  if (!ctx) return nullptr;
  switch (OptGetValue(ctx, kOptMachineId, nullptr)) {
    case 144: case 158: case 186: return kSizeClassesShared;
    case 162: return kSizeClasses162;
    default: return nullptr;
  }
}

const WORD* OptGetModelTrayList(DriverContext* ctx) {
  if (!ctx) return nullptr;
  switch (OptGetValue(ctx, kOptMachineId, nullptr)) {
    case 144: return kModelTrays144;
    case 158: case 186: return kModelTrays158;
    case 162: return kModelTrays162;
    default: return nullptr;
  }
}

BYTE OptGetPaperSizeClass(DriverContext* ctx, int32_t paper) {
  const PaperSizeClassRow* row = OptGetPaperClassTable(ctx);
  if (!row) return 0;
  const auto code = static_cast<int16_t>(paper);
  for (; row->paper != 0; ++row)
    if (row->paper == code) return row->sizeClass;
  return 0;
}

int OptOutputPaperHasSizeClass(DriverContext* ctx, int sizeClass) {
  if (!ctx) return 0;
  return OptGetPaperSizeClass(ctx, OptGetOutputPaperSize(ctx)) == sizeClass ? 1 : 0;
}

namespace {

// The first tray of the model's list whose contents satisfy `match` with feed value `feed`.
template <typename Match>
bool AnyModelTray(DriverContext* ctx, int32_t feed, Match match) {
  const WORD* list = OptGetModelTrayList(ctx);
  if (!list) return false;
  for (; *list; ++list) {
    int16_t paper = -1;
    int32_t trayFeed = -1;
    OptGetTrayContents(ctx, *list, &paper, &trayFeed);
    if (match(paper) && trayFeed == feed) return true;
  }
  return false;
}

}  // namespace

int OptModelTrayHoldsPaper(DriverContext* ctx, int32_t paper, int32_t feed) {
  return AnyModelTray(ctx, feed, [&](int16_t p) { return p == paper; }) ? 1 : 0;
}

int OptModelTrayHoldsSizeClass(DriverContext* ctx, int sizeClass, int32_t feed) {
  return AnyModelTray(ctx, feed, [&](int16_t p) { return OptGetPaperSizeClass(ctx, p) == sizeClass; }) ? 1 : 0;
}

// ---- bypass use -------------------------------------------------------------------------------

int OptChapterUsesBypass(DriverContext* ctx) {
  if (!ctx) return 0;
  for (uint16_t id : {1020, 1021, 1022, 1028, 1029, 1030, 1031})
    if (OptGetValue(ctx, id, nullptr) == kSourceBypass) return 1;
  return 0;
}

int OptIsBypassUnused(DriverContext* ctx) {
  if (!ctx) return 0;
  auto value = [&](uint16_t id) { return OptGetValue(ctx, id, nullptr); };
  if (DefaultSource(ctx) == kSourceBypass) return 0;
  if (Get(ctx, kGetCoverInputTray) == kSourceBypass && value(65) == 1) return 0;   // cover
  if (Get(ctx, kGetMarkInputTray) == kSourceBypass && value(64) == 1) return 0;    // insert sheets
  if (value(127) == kSourceBypass && value(66) == 1) return 0;                     // back cover
  if (value(410) == kSourceBypass && value(70) == 1) return 0;                     // reverse cover
  if ((value(1026) == kSourceBypass || OptChapterUsesBypass(ctx)) && value(69) == 1) return 0;  // chapters
  return 1;
}
