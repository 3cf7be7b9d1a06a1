// The finishers' paper lists, the tray matchers and the paper size classes that the computed
// finishing rules consult: which paper codes a finisher family accepts, what the paper trays hold
// and in which feed orientation, and the size class of a paper on the models that have one.
#pragma once

#include <cstdint>

#include "driver_context.h"

// Paper source codes (dmDefaultSource and the insert-tray options).
enum PaperSource : WORD {
  kSourceTray1 = 1,
  kSourceTray3 = 2,
  kSourceTray2 = 3,
  kSourceBypass = 4,
  kSourceAuto = 7,
  kSourceLct = 11,
  kSourceTray4 = 256,
  kSourceTray5 = 261,
  kSourceTray6 = 262,
  kSourceTray7 = 263,
  kSourceExt1 = 286,
};

// The paper lists of the finisher families.
enum FinisherPaperList : int {
  kPaperListFin2000Or3000,
  kPaperListFin1000,
  kPaperListFinBF,
  kPaperListType14,
  kPaperListType15,
  kPaperListFinMfFin1,
  kPaperListFin2Fin4ByModel,
  kPaperListFin50Fin2,
  kPaperListFin100Fin3,
  kPaperListDom,
  kPaperListFin1DomFin4,
  kPaperListFin3Dom,
  kPaperListFin4DomFin4,
  kPaperListLong,  // the long papers (no family)
};

// Free-size paper codes: the hand-entered size, the slots and the output size's custom codes;
// the slot codes alone are what a tray can hold for a free-size request on models 162 and 165.
int OptIsFreeSizePaperCode(DriverContext* ctx, int32_t paper);
int OptIsFreeSizeSlotCode(DriverContext* ctx, int32_t paper);

// Membership of a paper code in a family's list: strict, and lenient (the list's extra codes
// accepted too; the strict answer for a list without extras).
int OptIsPaperInFinisherList(DriverContext* ctx, int list, int16_t paper);
int OptIsPaperInFinisherListLenient(DriverContext* ctx, int list, int16_t paper);
// 1 when the paper is not in the family's exclusion list.
int OptIsPaperNotExcluded(DriverContext* ctx, int list, int16_t paper);
// 1 for the long papers (A3, B4, Legal, Tabloid, Folio and the driver's long sizes).
int OptIsLongPaper(int16_t paper);

// Models whose automatic tray selection is matched as such (else it counts as tray 1).
int OptModelMatchesAutoTray(DriverContext* ctx);

// Tray matchers by paper source code.
int OptTrayHoldsPaper(DriverContext* ctx, WORD source, int32_t paper);
int OptTrayHoldsPaperFed(DriverContext* ctx, WORD source, int32_t paper, int32_t feed);
// The same for the main source (dmDefaultSource).
int OptSourceHoldsPaperFed(DriverContext* ctx, int32_t paper, int32_t feed);
// The same, automatic selection counting as tray 1 unless the model matches it itself.
int OptMainTrayHoldsPaperFed(DriverContext* ctx, int32_t paper, int32_t feed);
// Feed flags of a paper in the tray(s) of dmDefaultSource: bit 0 a tray holding it with feed
// value 0, bit 1 one with a non-zero feed value.
WORD OptGetPaperFeedFlags(DriverContext* ctx, int32_t paper);
// The paper code and feed value loaded in a source's tray; see the matchers' file.
int32_t OptGetTrayContents(DriverContext* ctx, WORD source, int16_t* paper, int32_t* feed);

// Size-class rows {paper code, class}, ended by code 0; the table and the tray list (zero-ended
// source codes) of the context's machine id, nullptr for a machine without them.
struct PaperSizeClassRow {
  int16_t paper;
  BYTE sizeClass;
};
const PaperSizeClassRow* OptGetPaperClassTable(DriverContext* ctx);
const WORD* OptGetModelTrayList(DriverContext* ctx);

// Size classes: 1 large, 2 A4/Letter, 3 other, 0 without a class table for the model.
BYTE OptGetPaperSizeClass(DriverContext* ctx, int32_t paper);
int OptOutputPaperHasSizeClass(DriverContext* ctx, int sizeClass);
int OptModelTrayHoldsPaper(DriverContext* ctx, int32_t paper, int32_t feed);
int OptModelTrayHoldsSizeClass(DriverContext* ctx, int sizeClass, int32_t feed);
// 1 when no selected source, insert tray or chapter tray uses the bypass tray.
int OptIsBypassUnused(DriverContext* ctx);
// 1 when a chapter tray option (chapters 1-7) selects the bypass tray.
int OptChapterUsesBypass(DriverContext* ctx);
