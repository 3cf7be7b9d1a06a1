// Feature modules 5-8 without their dialogs: the chapter list of module 5 (covers, separator
// sheets and chapters) with its INI storage, its tray codes and the hooks it answers on the
// bus; the installable-options module 6 (its condition chains are in condition_chain.h); the
// device-font choice of module 7 (TrueType font substitution; the default face,
// OptGetDefaultFontName, is declared with the device-mode defaults that use it). Module 8, the
// settings summary, has nothing outside its dialog.
//
// The handlers that the module table registers (FmChapterOnBuiltInFunc, FmChapterOnNotify,
// FmTtfOnNotify) are declared with the table in feature_modules.h.
#pragma once

#include <cstdint>

#include "dialog_table.h"
#include "driver_context.h"
#include "preset_list.h"
#include "feature_modules.h"

// ---- module 5: the chapter list ---------------------------------------------------------------

// Characters of an entry's page-range text, terminator included.
constexpr int kChapterRangeChars = 16;
// Characters of a chapter key name buffer ("wdmChapterPageRange1018" and a terminator fit).
constexpr int kChapterKeyChars = 32;

// One chapter, that is one inserted sheet. In memory only.
struct ChapterEntry {
  int16_t page;  // the page before which the sheet goes; 0 ends the list when it is saved
  int16_t tray;  // paper source code of the sheet
  uint8_t kind;
  uint8_t print;  // print on the sheet
  WCHAR pageRange[kChapterRangeChars];
};

// The chapter options.
enum : WORD {
  kOptChapterNum = 1019,      // wdmChapterNum: entries in use
  kOptChapterUseTray1 = 1020,
  kOptChapterUseTray2 = 1021,
  kOptChapterUseTray3 = 1022,
  kOptChapterKind = 1025,
  kOptChapterTray = 1026,
  kOptChapterPrint = 1027,
  kOptChapterUseTray4 = 1028,
  kOptChapterUseTray8 = 1032,
  kOptDesignUseTray1 = 1033,  // wdmDesignUseTray1-8 and wdmDesignTrayNum: 1033-1041
  kOptDesignTrayNum = 1041,
  kOptFuncSelectChapter = 69,  // zdmFuncSelectChapter
  kOptChapterDefTray1 = 10278,  // zdmChapterDefTray1-3: 10278-10280
  kOptCallSrc = 729,            // zdmCallSrc
};

// The media types of the inserted sheets, kept equal by FmCopyInsertMediaType.
enum : WORD {
  kOptCoverMediaType = 406,
  kOptBackCoverMediaType = 407,
  kOptMPInputMediaType = 408,
  kOptChapterMediaType = 409,
  kOptReverseCoverMediaType = 411,
};

// The chapter dialog's list edits, and the module's built-in functions that copy one insert
// media type to the others.
enum : WORD {
  kBfChapterAdd = 300,        // the page list of the chapter dialog merged into the list
  kBfChapterDelete = 301,     // the selected entry deleted, after a question
  kBfChapterDeleteAll = 302,  // every entry deleted, after a question
  kBfCoverMediaTypeCopy = 303,
  kBfBackCoverMediaTypeCopy = 304,
  kBfMarkMediaTypeCopy = 305,
  kBfChapterMediaTypeCopy = 306,
  kBfReverseCoverMediaTypeCopy = 307,
};

// The fields of an entry as key kinds of the INI keys; any other kind names the print flag.
enum : int {
  kChapterKeyPage = 1,
  kChapterKeyTray = 2,
  kChapterKeyKind = 3,
  kChapterKeyPrint = 4,
  kChapterKeyPageRange = 5,
};

// Flag of the chapter reads: from the language section instead of the printer section.
constexpr DWORD kChapterReadLanguageSection = 0x8;

// Entry index of the list, allocating the list (zero-filled) on first use. NULL for an index
// outside 0 <= index < wdmChapterNum (UI value), without a work area, or without memory.
ChapterEntry* FmGetChapterEntry(DriverContext* ctx, int index);
// The whole list (wdmChapterMax + 1 entries at least, made or grown on first use) and its
// capacity in *capacity; NULL without a work area or memory.
ChapterEntry* FmGetChapterList(DriverContext* ctx, int* capacity);

// "wdmChapterPage<n>", "...Tray<n>", "...Kind<n>", "...Print<n>", "...PageRange<n>" with
// n = index + 1, into out (kChapterKeyChars characters). Returns out.
WCHAR* FmChapterKeyName(DriverContext* ctx, WCHAR* out, int index, int keyKind);

// A key of entry index from the given settings file (NULL: the printer's settings INI), from
// the printer section or, with kChapterReadLanguageSection in flags, the language section.
// Missing keys read as 0 and "". The text read takes at most kChapterRangeChars characters
// (terminator included); returns the characters copied.
int FmReadChapterInt(DriverContext* ctx, int index, int keyKind, const WCHAR* file, DWORD flags);
int FmReadChapterText(DriverContext* ctx, int index, int keyKind, const WCHAR* file, WCHAR* out, DWORD flags);
// Writes a key of entry index into the printer section (decimal text for numbers). 1 when
// written.
int FmWriteChapterInt(DriverContext* ctx, int index, int keyKind, int value, const WCHAR* file);
int FmWriteChapterText(DriverContext* ctx, int index, int keyKind, const WCHAR* text, const WCHAR* file);

// Loads the first wdmChapterNum entries; the rest of the first wdmChapterMax entries are
// emptied. Nothing is read while the list has no entry. Returns wdmChapterNum.
int FmLoadChapterList(DriverContext* ctx, const WCHAR* file, DWORD flags);
// Writes the entries up to the first with page 0 (that one included) and makes its index the
// new wdmChapterNum. Returns 0.
int FmSaveChapterList(DriverContext* ctx, const WCHAR* file);

// The chapter-tray code of a paper source value of wdmChapterTray: the value's tray name
// looked up with FmTrayCodeFromItemId.
DWORD FmGetChapterTrayCode(DriverContext* ctx, int32_t trayValue);
// The code of the first tray-table row with the tray-name string id; 0 when none has it.
DWORD FmTrayCodeFromItemId(WORD stringId);

// ---- module 5: the hooks it answers on the bus ------------------------------------------------

// Notify codes of the device-configuration query that this module answers; code 13
// (kFmNotifyPublicApplied) also runs the set-up on demand.
enum : DWORD {
  kFmNotifyChapterTrayQuery = 8,
  kFmNotifyChapterTraySet = 9,
  kFmNotifyChapterTraysReset = 10,
  kFmNotifyDialogClosed = 25,  // a dialog of the sheets closed: {dialog, control, IDOK or IDCANCEL}
};

// Parameter records of the chapter tray codes sent by the device-configuration query.
struct FmChapterTrayQuery {  // code 8: does this tray default to chapter slot n
  DWORD attributes;          // the tray's attribute word
  DWORD slot;                // 1-3, or 0 for any
  DWORD answer;              // set to non-zero when it does
};
struct FmChapterTraySet {  // code 9: a device tray's attributes are applied
  DWORD attributes;
  DWORD trayValue;     // the tray's paper source value
  BYTE* functionBits;  // bits 4, 8 and 16 are added for chapter default trays 1-3
};

// Code 4 and 5: 1 for the chapter options 1019-1032 (they take part in the pass), else 0.
int FmIsChapterOption(WORD optionId);
// Code 6: 0 for the design-tray options 1033-1041, which settings files never carry; 1 for
// every other option.
int FmIsNotDesignTrayOption(WORD optionId);
// Code 8: 1 when the attributes mark the tray as default for chapter slot 1 (0x20), 2 (0x40),
// 3 (0x80) or, for slot 0, any of them.
int FmIsChapterDefaultTrayAttr(DWORD attributes, DWORD slot);
// Code 9: the first of the slot bits 0x20, 0x40, 0x80 sets zdmChapterDefTray1, 2 or 3 to the
// tray value and adds 4, 8 or 16 to *functionBits.
void FmSetChapterDefaultTray(DriverContext* ctx, DWORD attributes, int32_t trayValue, BYTE* functionBits);
// Code 10: the three chapter default trays become the paper source value of device tray 3.
void FmResetChapterDefaultTrays(DriverContext* ctx);
// Code 11: every entry's tray (and, in the window-free build, kind) and print flag pass the
// constraints of their options; a changed tray also replaces the old one in the use-tray list.
void FmValidateChapterTrays(DriverContext* ctx);
// Code 12: once per context loads the stored chapter options and list and the chapter limits,
// and asks the modules to re-check their data. The load result, or 1 when already done.
int FmEnsureChapterSetup(DriverContext* ctx);
// Code 13: the set-up on demand when chapters are selected.
void FmEnsureChapterSetupIfSelected(DriverContext* ctx);

// Copies the signed 16-bit value of the source option to the other insert media types.
void FmCopyInsertMediaType(DriverContext* ctx, WORD sourceOption);

// ---- module 7: the device-font choice ---------------------------------------------------------

constexpr WORD kCtlTtfChoiceDeviceFont = 2384;  // ZPD_IDC_TTF_CHOICE_DEVICEFONT
constexpr WORD kDlgUserTtf = 4004;              // ZPD_IDD_DIALOG_USER_TTF

// Code 3: the state of a control is asked.
struct FmControlStateQuery {
  ControlDescriptor* control;
  DialogDescriptor* dialog;
  DWORD claimed;  // set to 1 by the module that set the state
};
