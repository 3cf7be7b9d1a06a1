// The computed finishing and tray items: what the condition evaluator reads for ids 746-937.
// Each item is computed afresh from the options on every read.
#include "finisher_papers.h"
#include "finishing_internal.h"
#include "finishing_rules.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_values.h"

namespace {

using finishing::Facts;
using finishing::Family;
using finishing::FamilyState;

// Options read without a slot.
enum : uint16_t {
  kOptFuncSelectTonerSave = 68,
  kOptFuncSelectCopyProtect = 79,
  kOptBackCoverInputTray = 127,
  kOptReverseCoverInputTray = 410,
  kOptChapterTray = 1026,
};

int ModelCode(const DriverContext* ctx) { return ctx->profile ? ctx->profile->modelCode : 0; }

}  // namespace

Facts finishing::ReadFacts(DriverContext* ctx) {
  Facts f;
  f.paper = OptGetOutputPaperSize(ctx);
  f.orient = OptGetPrintPaperOrient(ctx);
  f.model = ModelCode(ctx);
  f.feed = OptGetPaperFeedFlags(ctx, f.paper);
  f.fed0 = OptSourceHoldsPaperFed(ctx, f.paper, 0) != 0;
  f.fed1 = OptSourceHoldsPaperFed(ctx, f.paper, 1) != 0;
  f.longPaper = OptIsLongPaper(static_cast<int16_t>(f.paper)) != 0;
  f.staple = OptGetFinishingOption(ctx, kGetStapleType);
  f.punch = OptGetFinishingOption(ctx, kGetPunchType);
  return f;
}

namespace {

// How each seven-item family is read from the options.
struct FamilySource {
  int (*installed)(DriverContext*);
  int paperList;
  int noPunch;  // getter, or -1 for none
  int variants[5];  // getters, -1 past the end
};

constexpr FamilySource kFamilySources[finishing::kFamilyCount] = {
    {OptIsFinMfFin1Installed, kPaperListFinMfFin1, kGetFin1NoPunch, {kGetFinMf, kGetFin1Na, kGetFin1Eu, kGetFin1Ne, -1}},
    {OptIsFin1DomFin4Installed, kPaperListFin1DomFin4, kGetFin1DomFin4NoPunch,
     {kGetFin1Dom, kGetFin1DomFin4Na2, kGetFin1DomFin4Eu, kGetFin1DomFin4Ne, -1}},
    {OptIsFin50Fin2Installed, kPaperListFin50Fin2, kGetFin2NoPunch, {kGetFin50, kGetFin2Na, kGetFin2Eu, kGetFin2Ne, -1}},
    {OptIsDomFinisherInstalled, kPaperListDom, kGetDomFin4NoPunch,
     {kGetDomFin1Dom, kGetDomFin4Na2, kGetDomFin4Eu, kGetDomFin4Ne, kGetDomFin2Dom}},
    {OptIsFin100Fin3Installed, kPaperListFin100Fin3, kGetFin3NoPunch,
     {kGetFin100, kGetFin3Na, kGetFin3Eu, kGetFin3Ne, -1}},
    {OptIsFin2Fin4ByModelInstalled, kPaperListFin2Fin4ByModel, -1,
     {kGetByModelNa, kGetByModelEu, kGetByModelNe, kGetByModelFourth, -1}},
    {OptIsFin4DomFin4Installed, kPaperListFin4DomFin4, kGetFin4DomFin4NoPunch,
     {kGetFin4Dom, kGetFin4DomFin4Na2, kGetFin4DomFin4Eu, kGetFin4DomFin4Ne, -1}},
};

}  // namespace

FamilyState finishing::ReadFamily(DriverContext* ctx, Family family, int16_t paper) {
  const FamilySource& src = kFamilySources[family];
  FamilyState s;
  s.installed = src.installed(ctx) != 0;
  s.listedStrict = OptIsPaperInFinisherList(ctx, src.paperList, paper) != 0;
  s.listed = OptIsPaperInFinisherListLenient(ctx, src.paperList, paper) != 0;
  s.notExcluded = OptIsPaperNotExcluded(ctx, src.paperList, paper) != 0;
  s.noPunch = src.noPunch >= 0 && OptGetFinishingOption(ctx, src.noPunch) != 0;
  for (int i = 0; i < 5; ++i) s.variant[i] = src.variants[i] >= 0 && OptGetFinishingOption(ctx, src.variants[i]) != 0;
  s.finBF = OptGetFinishingOption(ctx, kGetFinBF) != 0;
  return s;
}

namespace {

int FamilyItemOf(DriverContext* ctx, Family family, int kind) {
  const Facts f = finishing::ReadFacts(ctx);
  return finishing::FamilyItem(family, kind, f, finishing::ReadFamily(ctx, family, static_cast<int16_t>(f.paper)));
}

int Type15ItemOf(DriverContext* ctx, int kind) {
  const Facts f = finishing::ReadFacts(ctx);
  return finishing::Type15Item(kind, f, OptGetFinishingOption(ctx, kGetType15) != 0,
                               OptIsPaperInFinisherList(ctx, kPaperListType15, static_cast<int16_t>(f.paper)) != 0);
}

int Fin3DomItemOf(DriverContext* ctx, int kind) {
  const Facts f = finishing::ReadFacts(ctx);
  return finishing::Fin3DomItem(kind, f, OptIsFin3DomInstalled(ctx) != 0,
                                OptIsPaperInFinisherList(ctx, kPaperListFin3Dom, static_cast<int16_t>(f.paper)) != 0);
}

int FinBFItemOf(DriverContext* ctx, int kind) {
  const Facts f = finishing::ReadFacts(ctx);
  return finishing::FinBFItem(kind, f, OptGetFinishingOption(ctx, kGetFinBF) != 0,
                              OptIsPaperInFinisherList(ctx, kPaperListFinBF, static_cast<int16_t>(f.paper)) != 0);
}

int TrayHoldsOutputPaper(DriverContext* ctx, WORD source) {
  return OptTrayHoldsPaper(ctx, source, OptGetOutputPaperSize(ctx)) != 0;
}

int InsertTraySamePaper(DriverContext* ctx, int32_t source) {
  if (!ctx) return 0;
  int16_t paper = -1;
  int32_t feed = -1;  // an unknown source leaves both and so matches nothing
  OptGetTrayContents(ctx, static_cast<WORD>(source), &paper, &feed);
  return OptMainTrayHoldsPaperFed(ctx, paper, feed) != 0;
}

int LockDefaultSwitch(DriverContext* ctx, uint16_t option) {
  if (!OptIsDefaultLocked(ctx)) return 0;
  return OptGetLockDefaultValue(ctx, option, nullptr) != 0;
}

}  // namespace

int OptGetPrintPaperOrient(DriverContext* ctx) {
  if (!ctx) return 0;
  const int32_t orientation = OptGetFinishingOption(ctx, kGetOrientation);
  if (OptGetFinishingOption(ctx, kGetFuncNup) == 1) {
    const int32_t type = OptGetFinishingOption(ctx, kGetNupType);
    // The two-up layouts print the page across the sheet.
    if ((type >= 1 && type <= 18) || type == 129 || type == 130 || (type >= 161 && type <= 164))
      return orientation == 1;
  }
  // So do the booklet types of duplex.
  if (OptGetFinishingOption(ctx, kGetFuncDuplex) == 1 && OptGetFinishingOption(ctx, kGetDuplexType) >= 17)
    return orientation == 1;
  return orientation != 1;
}

bool finishing::ReadFeedFamily(DriverContext* ctx, int16_t paper, FeedFamily* family, FeedState* state) {
  const bool punchOn = OptGetFinishingOption(ctx, kGetFuncPunch) != 0;
  FeedState s;
  s.stapleOn = OptGetFinishingOption(ctx, kGetFuncStaple) != 0;
  auto choose = [&](FeedFamily chosen, int list, bool lenient, bool punchStep) {
    s.listed = (lenient ? OptIsPaperInFinisherListLenient(ctx, list, paper) : OptIsPaperInFinisherList(ctx, list, paper)) != 0;
    s.punchStep = punchStep;
    *family = chosen;
    *state = s;
    return true;
  };
  auto noPunchClear = [&](int getter) { return punchOn && OptGetFinishingOption(ctx, getter) == 0; };

  if (OptIsFin2000Or3000Installed(ctx))
    return choose(kFeedFin2000Or3000, kPaperListFin2000Or3000, true,
                  noPunchClear(kGetFin2000NoPunch) && noPunchClear(kGetFin3000NoPunch));
  if (OptGetFinishingOption(ctx, kGetFin1000)) return choose(kFeedFin1000, kPaperListFin1000, false, false);
  if (OptGetFinishingOption(ctx, kGetFinBF)) return choose(kFeedFinBF, kPaperListFinBF, false, false);
  if (OptGetFinishingOption(ctx, kGetType14)) return choose(kFeedType14, kPaperListType14, false, false);
  if (OptGetFinishingOption(ctx, kGetType15)) return choose(kFeedType15, kPaperListType15, false, false);
  if (OptIsFinMfFin1Installed(ctx))
    return choose(kFeedFinMfFin1, kPaperListFinMfFin1, true, noPunchClear(kGetFin1NoPunch));
  // The by-model family skips its punch step on the FIN3 no-punch option.
  if (OptIsFin2Fin4ByModelInstalled(ctx))
    return choose(kFeedFin2Fin4ByModel, kPaperListFin2Fin4ByModel, true, noPunchClear(kGetFin3NoPunch));
  if (OptIsFin50Fin2Installed(ctx))
    return choose(kFeedFin50Fin2, kPaperListFin50Fin2, true, noPunchClear(kGetFin2NoPunch));
  if (OptIsFin100Fin3Installed(ctx))
    return choose(kFeedFin100Fin3, kPaperListFin100Fin3, true, noPunchClear(kGetFin3NoPunch));
  if (OptIsDomFinisherInstalled(ctx)) return choose(kFeedDom, kPaperListDom, true, noPunchClear(kGetDomFin4NoPunch));
  if (OptIsFin1DomFin4Installed(ctx))
    return choose(kFeedFin1DomFin4, kPaperListFin1DomFin4, true, noPunchClear(kGetFin1DomFin4NoPunch));
  return false;
}

WORD OptGetFinishingFeedOrient(DriverContext* ctx) {
  if (!ctx) return 0;
  const Facts f = finishing::ReadFacts(ctx);
  finishing::FeedFamily family;
  finishing::FeedState s;
  if (!finishing::ReadFeedFamily(ctx, static_cast<int16_t>(f.paper), &family, &s)) return 0;
  return finishing::FeedOrientOf(family, f, s);
}

int OptFinishingNeedsFeedOrient1(DriverContext* ctx) { return OptGetFinishingFeedOrient(ctx) == 1; }
int OptFinishingNeedsFeedOrient2(DriverContext* ctx) { return OptGetFinishingFeedOrient(ctx) == 2; }

int OptInsertTraySamePaperCover(DriverContext* ctx) {
  return InsertTraySamePaper(ctx, OptGetFinishingOption(ctx, kGetCoverInputTray));
}
int OptInsertTraySamePaperMark(DriverContext* ctx) {
  return InsertTraySamePaper(ctx, OptGetFinishingOption(ctx, kGetMarkInputTray));
}
int OptInsertTraySamePaperBackCover(DriverContext* ctx) {
  return InsertTraySamePaper(ctx, OptGetValue(ctx, kOptBackCoverInputTray, nullptr));
}
int OptInsertTraySamePaperChapter(DriverContext* ctx) {
  return InsertTraySamePaper(ctx, OptGetValue(ctx, kOptChapterTray, nullptr));
}
int OptInsertTraySamePaperReverseCover(DriverContext* ctx) {
  return InsertTraySamePaper(ctx, OptGetValue(ctx, kOptReverseCoverInputTray, nullptr));
}

int OptTraySuppliesSizeClass(DriverContext* ctx, int wantedOrient) {
  if (!ctx || !OptIsBypassUnused(ctx)) return 0;
  const int32_t paper = OptGetOutputPaperSize(ctx);
  const int orient = OptGetPrintPaperOrient(ctx);
  switch (OptGetPaperSizeClass(ctx, paper)) {
    case 1:
      return wantedOrient == orient && OptModelTrayHoldsPaper(ctx, paper, 0);
    case 2:
      if (wantedOrient != orient) return OptModelTrayHoldsSizeClass(ctx, 1, 0) != 0;
      return OptModelTrayHoldsPaper(ctx, paper, 0) != 0;
    case 3:
      return OptModelTrayHoldsSizeClass(ctx, 1, 0) || OptModelTrayHoldsSizeClass(ctx, 2, 0);
    default:
      return 0;
  }
}

int32_t OptGetFinishingItem(DriverContext* ctx, uint16_t id) {
  if (!ctx) return 0;
  if (id >= 753 && id <= 759) return FamilyItemOf(ctx, finishing::kFamilyFin1DomFin4, id - 753);
  if (id >= 782 && id <= 788) return FamilyItemOf(ctx, finishing::kFamilyFin50Fin2, id - 782);
  if (id >= 794 && id <= 797) return Type15ItemOf(ctx, id - 794);
  if (id >= 798 && id <= 804) return FamilyItemOf(ctx, finishing::kFamilyDom, id - 798);
  if (id >= 810 && id <= 815) return FinBFItemOf(ctx, id - 810);
  if (id >= 818 && id <= 824) return FamilyItemOf(ctx, finishing::kFamilyFin100Fin3, id - 818);
  if (id >= 826 && id <= 832) return FamilyItemOf(ctx, finishing::kFamilyFinMfFin1, id - 826);
  if (id >= 834 && id <= 840) return FamilyItemOf(ctx, finishing::kFamilyFin2Fin4ByModel, id - 834);
  if (id >= 895 && id <= 898) return Fin3DomItemOf(ctx, id - 895);
  if (id >= 899 && id <= 905) return FamilyItemOf(ctx, finishing::kFamilyFin4DomFin4, id - 899);
  switch (id) {
    case 842: return OptGetPrintPaperOrient(ctx);
    case 843: return TrayHoldsOutputPaper(ctx, kSourceAuto);
    case 844: return TrayHoldsOutputPaper(ctx, kSourceTray1);
    case 845: return TrayHoldsOutputPaper(ctx, kSourceTray2);
    case 846: return TrayHoldsOutputPaper(ctx, kSourceTray3);
    case 847: case 852: return TrayHoldsOutputPaper(ctx, kSourceTray4);
    case 848: return TrayHoldsOutputPaper(ctx, kSourceLct);
    case 849: return TrayHoldsOutputPaper(ctx, kSourceBypass);
    case 850: return OptFinishingNeedsFeedOrient1(ctx);
    case 851: return OptFinishingNeedsFeedOrient2(ctx);
    case 853: return TrayHoldsOutputPaper(ctx, kSourceTray5);
    case 855: return TrayHoldsOutputPaper(ctx, kSourceTray6);
    case 856: return TrayHoldsOutputPaper(ctx, kSourceTray7);
    case 858: return OptGetResolutionCapStrict(ctx, 1) == 0;
    case 859: return OptInsertTraySamePaperCover(ctx);
    case 860: return OptInsertTraySamePaperMark(ctx);
    case 861: return OptInsertTraySamePaperBackCover(ctx);
    case 862: return OptInsertTraySamePaperChapter(ctx);
    case 863: return OptInsertTraySamePaperReverseCover(ctx);
    case 864: return OptIsA4FitActive(ctx) != 0;
    case 865: case 866: case 867: return OptOutputPaperHasSizeClass(ctx, id - 864) != 0;
    case 868: return OptTraySuppliesSizeClass(ctx, 1);
    case 869: return OptTraySuppliesSizeClass(ctx, 0);
    case 893: return LockDefaultSwitch(ctx, kOptFuncSelectCopyProtect);
    case 894: return LockDefaultSwitch(ctx, kOptFuncSelectTonerSave);
    default: return 0;
  }
}
