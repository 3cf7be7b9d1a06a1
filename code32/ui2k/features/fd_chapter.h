// Covers, slip sheets, marks and chapters: the dialog side of feature module 5. The page list a
// person types into the chapter dialog, its merge into the chapter list of the work area, the
// owner-drawn chapter lists and the tray combos with the device's default-tray marks.
#pragma once

#include <cstdint>

#include "driver_context.h"
#include "fm_modules_5_8.h"
#include "win32/windows.h"

// ---- dialogs and controls -------------------------------------------------------------------

enum : uint16_t {
  kDlgCover = 1030,         // ZPD_IDD_DIALOG_COVER
  kDlgMark = 1031,          // ZPD_IDD_DIALOG_MARK
  kDlgCoverMark = 1042,     // ZPD_IDD_CVRMARK, the summary page
  kDlgBackCover = 1043,     // ZPD_IDD_DIALOG_BACKCOVER
  kDlgChapter = 1044,       // ZPD_IDD_DIALOG_CHAPTER
  kDlgReverseCover = 4014,  // ZPD_IDD_DIALOG_REVERSECOVER
};
enum : uint16_t {
  kCtlChapterPage = 2776,        // ZPD_IDC_CHAPTER_PAGE, the page list edit
  kCtlChapterKind = 2781,
  kCtlChapterTray = 2771,        // ZPD_IDC_CHAPTER_CHOICE_TRAY
  kCtlChapterPrint = 2791,
  kCtlChapterAdd = 2792,         // ZPD_IDC_CHAPTER_BUTTON_ADD
  kCtlChapterList = 2800,        // ZPD_IDC_CHAPTER_CHOICE_CHAPTER, owner-drawn
  kCtlChapterDelete = 2802,      // ZPD_IDC_CHAPTER_BUTTON_DELL
  kCtlChapterDeleteAll = 2803,   // ZPD_IDC_CHAPTER_BUTTON_DELLALL
  kCtlCoverMarkChapter = 2726,   // ZPD_IDC_CVRMARK_CHOICE_CHAPTER, the chapter switch
  kCtlCoverMarkList = 2813,      // ZPD_IDC_CVRMARK_CHOICE_CHAPTERLIST, read-only
};

// Messages of this module (string ids of the language library).
enum : uint16_t {
  kMsgDeleteChapter = 10064,      // question before one entry is deleted
  kMsgTooManyChapters = 10065,
  kMsgTooManyTrays = 10066,
  kMsgPrintClash = 10068,
  kMsgBadPageList = 10073,
  kMsgChapterOnDocumentTray = 10074,
  kMsgDeleteAllChapters = 12001,  // question before all entries are deleted
  kMsgRangeOverlap = 12045,
  kMsgRangeOnCover = 12046,
  kMsgBadPageCharacter = 12049,
};

// ---- the page list --------------------------------------------------------------------------

constexpr int kPageListMaxValues = 512;
constexpr int32_t kFirstPage = 1;
constexpr int32_t kLastPage = 30000;

// The values a page list gives: ascending after FdSortPageList, zero-terminated; in range mode
// each value has its range text ("a-b", or "a" for a range of one page).
struct PageListValues {
  int32_t values[kPageListMaxValues + 1];
  WCHAR ranges[kPageListMaxValues][kChapterRangeChars];
  int count;
};

// Parses a page list: comma-separated page numbers and ranges "a-b" (a > b is taken as b-a),
// pages 1-30000. Range mode keeps one value per range with its text; page mode lists every page
// of a range. limit is wdmChapterMax, the most values one range may give. Answers 0 when the
// list is good (out filled, unsorted), else the string id of the warning (out->count 0).
int FdParsePageList(const WCHAR* text, int rangeMode, int limit, PageListValues* out);
// Ascending by a gap-halving insertion sort, range texts moved along; the value after the last
// one is set to 0.
void FdSortPageList(PageListValues* list, int rangeMode);

// ---- the chapter list -----------------------------------------------------------------------

// wdmChapterNum.
int FdGetChapterCount(DriverContext* ctx);
// Merges the sorted values into the chapter list with kind, tray and print of options 1025-1027
// and recomputes the trays the list uses. Answers 0 on success, else the string id of the
// refusal; a refused merge leaves the list and the tray options as they were. Shows nothing.
int FdMergeChapterPages(DriverContext* ctx, const PageListValues* values, int rangeMode);
// The merge with the dialog: the warning shown, the focus put back on the page edit and the
// chapter list repainted; on success the last entry selected. 0 on success, 1 when refused.
int FdInsertChapterPages(DriverContext* ctx, const PageListValues* values, int rangeMode);
// Removes the entry at index (the rest moved up); the count before is kept for Cancel. Answers
// the index to select afterwards, -1 when there was no entry there.
int FdRemoveChapterAt(DriverContext* ctx, int index);
// The entry selected in the chapter list of the open chapter dialog removed, the selection kept
// on the same index or moved one up.
void FdDeleteSelectedChapter(DriverContext* ctx);
// Every entry emptied, the count before kept for Cancel, wdmChapterNum 0, item 0 selected.
void FdClearChapters(DriverContext* ctx);
// wdmChapterUseTray1-8 / wdmChapterTrayNum and wdmDesignUseTray1-8 / wdmDesignTrayNum from the
// distinct trays of the kind-0 and kind-3 entries, without limits.
void FdUpdateChapterTrayUse(DriverContext* ctx);

// The count kept for Cancel of the chapter dialog: set when its list is filled and at each delete
// or clear; taken (and forgotten) when the dialog closes, fallback when none was kept.
void FdKeepChapterCount(DriverContext* ctx, int count);
int FdTakeKeptChapterCount(DriverContext* ctx, int fallback);

// ---- drawing and tray combos ------------------------------------------------------------------

// One row of a chapter list (WM_DRAWITEM of 2800 or 2813).
int FdDrawChapterItem(DriverContext* ctx, DialogDescriptor* dialog, const DRAWITEMSTRUCT* item);
// A cover dialog's tray combo with " " x3 + the mark string after the device's default tray.
int FdFillTrayComboWithDefaultMark(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control,
                                   uint16_t defaultOption, BYTE deviceBit, uint16_t markString);
