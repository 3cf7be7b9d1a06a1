// The computed finishing and tray settings (ids 746-937) and the cached option getters they
// read through.
//
// The model description's conditions ask for these settings by id; they are stored nowhere and
// computed on each read from the finishing selections, the installed finishers, the trays and
// the output paper. Every item is 0 or 1. The resolution cap (600 dpi when the page is too large
// in dots for a finer resolution) is used directly by the device-mode fix-ups as well.
//
// The getters remember the option row of each option they read in a slot of the context's work
// area, so that the many reads of a rule pass look each option up once per context. A slot holds
// the row, not the value: a later change of the option is seen by the next read.
#pragma once

#include <cstdint>

#include "driver_context.h"

// ---- cached getters ---------------------------------------------------------------------------

// The value of option `id` through a row slot: with a row in the slot, that row's value; else the
// option is looked up and its row kept in the slot. A missing option reads 0 and leaves the slot
// empty.
int32_t OptGetValueCached(DriverContext* ctx, uint16_t id, OptionEntry** slot);

// One getter per option read through the work area's slots; two getters that read the same
// option have separate slots.
enum FinishingGetter : uint16_t {
  // main source, orientation and insert trays
  kGetOrientation,       // 7 dmOrientation
  kGetDefaultSource,     // 13 dmDefaultSource
  kGetCoverInputTray,    // 125 zdmCoverInputTray
  kGetMarkInputTray,     // 123 zdmMPInputTray
  // finishing selections
  kGetFuncStaple,        // 63
  kGetStapleType,        // 121
  kGetFuncPunch,         // 62
  kGetPunchType,         // 120
  kGetFuncNup,           // 56, read as an unsigned 16-bit value
  kGetNupType,           // 92
  kGetFuncDuplex,        // 58
  kGetDuplexType,        // 94
  // tray paper
  kGetTray1Paper, kGetTray2Paper, kGetTray3Paper, kGetTray4Paper, kGetTray5Paper, kGetTray6Paper,
  kGetTray7Paper, kGetLctPaper, kGetManualPaper, kGetMultiPaper, kGetExt1Paper,
  // tray feed orientation
  kGetTray1Feed, kGetTray2Feed, kGetTray3Feed, kGetTray4Feed, kGetTray5Feed, kGetTray6Feed,
  kGetTray7Feed, kGetLctFeed, kGetManualFeed, kGetMultiFeed, kGetExt1Feed,
  // tray locks
  kGetTray1Lock, kGetTray2Lock, kGetTray3Lock, kGetTray4Lock, kGetTray5Lock, kGetTray6Lock,
  kGetTray7Lock, kGetLctLock, kGetManualLock, kGetMultiLock,
  // installed paper sources
  kGetSourceManual, kGetSourceMulti, kGetSourceLct,
  // single finishers
  kGetFin1000, kGetFinBF, kGetType14, kGetType15,
  // family members
  kGetFin2000, kGetFin2000Na, kGetFin2000Eu, kGetFin2000Ne, kGetFin2000NoPunch,
  kGetFin3000, kGetFin3000Na2, kGetFin3000Eu2, kGetFin3000Na3, kGetFin3000NoPunch,
  kGetFinMf, kGetFin1Na, kGetFin1Eu, kGetFin1Ne, kGetFin1NoPunch,
  kGetByModelNa, kGetByModelEu, kGetByModelNe, kGetByModelFourth,
  kGetFin50, kGetFin2Na, kGetFin2Eu, kGetFin2Ne, kGetFin2NoPunch,
  kGetFin100, kGetFin3Na, kGetFin3Eu, kGetFin3Ne, kGetFin3NoPunch,
  kGetDomFin1Dom, kGetDomFin4Na2, kGetDomFin4Eu, kGetDomFin4Ne, kGetDomFin4NoPunch, kGetDomFin2Dom,
  kGetFin1Dom, kGetFin1DomFin4Na2, kGetFin1DomFin4Eu, kGetFin1DomFin4Ne, kGetFin1DomFin4NoPunch,
  kGetFin3Dom,
  kGetFin4Dom, kGetFin4DomFin4Na2, kGetFin4DomFin4Eu, kGetFin4DomFin4Ne, kGetFin4DomFin4NoPunch,
  kFinishingGetterCount
};
static_assert(kFinishingGetterCount <= kFinishingRowSlots);

// The option a getter reads. The tray-5 getters read tray 5's own options on models 144 and 150
// and the large-capacity tray's elsewhere; the four by-model family getters read the FIN4
// options on models 158, 186 and 165, a mix of FIN3000 and FIN4 options on 162, the FIN2
// options elsewhere. 0 for a getter outside the enumeration.
uint16_t OptFinishingGetterOption(const DriverContext* ctx, int getter);
// The getter's option value through its slot; 0 for a context without a work area.
int32_t OptGetFinishingOption(DriverContext* ctx, int getter);

// Family tests: 1 when any member option is non-zero (members read in order, the first
// non-zero one ends the test).
int OptIsFin2000Installed(DriverContext* ctx);
int OptIsFin3000Installed(DriverContext* ctx);
int OptIsFin2000Or3000Installed(DriverContext* ctx);
int OptIsFinMfFin1Installed(DriverContext* ctx);
int OptIsFin2Fin4ByModelInstalled(DriverContext* ctx);
int OptIsFin50Fin2Installed(DriverContext* ctx);
int OptIsFin100Fin3Installed(DriverContext* ctx);
int OptIsDomFinisherInstalled(DriverContext* ctx);
int OptIsFin1DomFin4Installed(DriverContext* ctx);
int OptIsFin3DomInstalled(DriverContext* ctx);
int OptIsFin4DomFin4Installed(DriverContext* ctx);

// ---- computed items ---------------------------------------------------------------------------

constexpr uint16_t kFinishingItemFirst = 746;
constexpr uint16_t kFinishingItemLast = 937;

// The value of computed item `id` (0 or 1); 0 for an id without a rule.
int32_t OptGetFinishingItem(DriverContext* ctx, uint16_t id);

// Item 842: 1 when the printed sheet is in the other orientation than the page (dmOrientation
// 1 for the two-up layouts and booklets, anything but 1 otherwise).
int OptGetPrintPaperOrient(DriverContext* ctx);

// The feed orientation the selected punch or staple position needs: 1, 2, 3 (either) or 0 (no
// finishing possible), from the first installed finisher family.
WORD OptGetFinishingFeedOrient(DriverContext* ctx);
int OptFinishingNeedsFeedOrient1(DriverContext* ctx);  // item 850
int OptFinishingNeedsFeedOrient2(DriverContext* ctx);  // item 851

// Items 859-863: the insert tray (cover, insert sheets, back cover, chapter, reverse cover) holds
// the main tray's paper with the same feed value.
int OptInsertTraySamePaperCover(DriverContext* ctx);
int OptInsertTraySamePaperMark(DriverContext* ctx);
int OptInsertTraySamePaperBackCover(DriverContext* ctx);
int OptInsertTraySamePaperChapter(DriverContext* ctx);
int OptInsertTraySamePaperReverseCover(DriverContext* ctx);

// Items 868 (wanted orientation 1) and 869 (0): a model tray can supply the output paper's size
// class while the bypass tray is unused.
int OptTraySuppliesSizeClass(DriverContext* ctx, int wantedOrient);

// ---- resolution cap ---------------------------------------------------------------------------

// The resolution cap: 0 for none, else the highest resolution the page allows (600, or a locked
// lower resolution). Brings the resolution and the source and output paper options up to date
// in the settings (and, under the administrator's resolution lock, sets the tested resolution
// option to the locked one); nothing is restored. useDstResolution tests zdmDstResolutionW
// instead of dmPrintQuality under the lock and takes the resolution from it.
WORD OptComputeResolutionCap(DriverContext* ctx, int useDstResolution, int strict);
WORD OptGetResolutionCap(DriverContext* ctx, int useDstResolution);        // strict 0
WORD OptGetResolutionCapStrict(DriverContext* ctx, int useDstResolution);  // strict 1

// The paper-size tests of the cap (dots of the paper at the current resolution).
int OptDstPaperFitsDots(DriverContext* ctx);        // output paper below 30709 dots both ways
int OptDstPaperFitsDotLimit(DriverContext* ctx);    // output paper at most 32124 dots both ways
int OptSrcPaperFitsDotLimit(DriverContext* ctx);    // source paper at most 32124 dots both ways
int OptScaledSrcPaperFitsDots(DriverContext* ctx);  // scaled or N-up source within 30708 dots
