// Feature modules 1-4 without their dialogs: the watermark save of module 2, the
// colour-matching profile list of module 3 and its notify handler, and the custom paper-size
// ranges and inch entry of module 4.
//
// The handlers that the module table registers (FmStampOnBuiltInFunc, FmCmmOnNotify,
// FmFreeSizeOnNotify, FmGetCmmComputedItem) are declared with the table in feature_modules.h.
#pragma once

#include <cstdint>

#include "driver_context.h"
#include "free_size.h"
#include "feature_modules.h"

// ---- module 3: the colour-matching profile list -----------------------------------------------
//
// Kept in the settings INI: [<lang>] "CmmCount", "CmmDefault", "CmmMax"; entry n in section
// "ColorMatching<n><lang>" with the name under "zdmColorMatchingMode" and the profile path
// under "wdmColorProfilePath". A colour-matching option value of 200 + n selects entry n; lower
// values are the built-in modes.

constexpr int kCmmDefaultCount = 0;
constexpr int kCmmDefaultBuiltIn = 4;
constexpr int kCmmDefaultMax = 16;
constexpr int32_t kCmmFirstListValue = 200;  // option value of list entry 0

// Characters of an entry section name buffer, terminator included.
constexpr int kCmmSectionChars = 40;
// Characters of an entry text (name or path), terminator included.
constexpr int kCmmTextChars = 260;

// The options that hold a colour-matching choice.
enum : WORD {
  kOptAdjustMode = 128,            // zdmAdjustMode: 0 the whole page, else per object
  kOptAdjustObject = 129,          // zdmAdjustObject: 0 text, 1 line art, 2 images
  kOptColorMatchingMode = 133,     // zdmColorMatchingMode
  kOptColorMatchingText = 984,     // wdmColorMatchingText
  kOptColorMatchingLine = 985,     // wdmColorMatchingLine
  kOptColorMatchingImage = 986,    // wdmColorMatchingImage
};

// The dialogs and controls of the list: the add/edit dialog with the name and profile-file edits,
// and the colour-matching choice of the user-quality dialog.
enum : WORD {
  kDlgUserIcmMode = 4010,       // ZPD_IDD_DIALOG_USER_ICMMODE
  kDlgCmmAddProfile = 4011,     // ZPD_IDD_CMMADDPROFILE
  kCtlIcmModeChoice = 2256,     // ZPD_IDC_USER_QUALITY_CHOICE_ICMMODE
  kCtlCmmEditName = 2823,       // ZPD_IDC_CMM_EDIT_NAME
  kCtlCmmEditFile = 2825,       // ZPD_IDC_CMM_EDIT_FILE
};

// The three counters: entries in the list, built-in entries at its start, most entries allowed.
int FmGetCmmCount(DriverContext* ctx);
int FmGetCmmDefault(DriverContext* ctx);
int FmGetCmmMax(DriverContext* ctx);
// Writes "CmmCount" as decimal text. 1 when written.
int FmSetCmmCount(DriverContext* ctx, int count);
// "ColorMatching<n><lang>" into out (kCmmSectionChars characters). Returns out.
WCHAR* FmCmmSectionName(DriverContext* ctx, WCHAR* out, int n);

// The edit and choice controls (NULL when the context's dialog table lacks them).
ControlDescriptor* FmGetCmmNameEdit(DriverContext* ctx);
ControlDescriptor* FmGetCmmFileEdit(DriverContext* ctx);
ControlDescriptor* FmGetIcmModeChoice(DriverContext* ctx);

// Entry n into the options bound to the two edits: an index at or above "CmmCount" loads entry
// 0; a negative index empties both. A field whose control is missing is left out.
void FmLoadCmmEntry(DriverContext* ctx, int n);
// The same, finding each option by its control's name index, which works before the dialog's
// controls are bound to their options.
void FmLoadCmmEntryByName(DriverContext* ctx, int n);
// The two edit options into entry n, for 0 <= n < "CmmCount"; nothing otherwise.
void FmStoreCmmEntry(DriverContext* ctx, int n);
// Removes entry n (n < "CmmCount"): the entries after it move one place down and the count
// drops by one; the former last section stays in the file.
void FmDeleteCmmEntry(DriverContext* ctx, int n);

// The list entry a colour-matching value selects (value - 200 when that is below "CmmCount"),
// else -1; the same for an option's stored value and for the value of the choice control.
int FmCmmIndexFromValue(DriverContext* ctx, int32_t value);
int FmGetCmmIndexOfOption(DriverContext* ctx, WORD optionId);
int FmGetSelectedCmmIndex(DriverContext* ctx);

// Remembers the colour-matching value of the object being adjusted in the work area, so that a
// cancelled user-quality dialog can put it back: the four values of options 133, 984, 985 and
// 986 in cmmMemory[0..3], and mark bits 1, 2, 4 and 8 in cmmMemory[4].
void FmRememberCmmChoice(DriverContext* ctx);
constexpr int kCmmMarkByte = 4;

// Notify code 36: with a user print macro selected, every colour-matching choice that points
// past the list is replaced by the choice of the macro's installed default.
void FmRecheckCmmChoices(DriverContext* ctx);

// The profile header check: 1 when the file's CMM type, device class, colour space, file
// signature and device maker (bytes 4-7, 12-15, 20-23, 36-39, 48-51) are "QVMS", "prtr",
// "RGB ", "acsp" and "ORVX"; 0 when a byte differs, the file is short or cannot be opened.
int FmCheckColorProfileHeader(const WCHAR* path);
// What the modules answer: the printer-interface module checks the header; the settings and
// graphics modules have no check and answer 1.
int FdCheckColorProfileFile(const WCHAR* path);

// Notify parameters of the colour-matching module.
struct FmListImportParam {  // code 15: user lists carried from an old settings file to a new one
  const WCHAR* oldFile;
  const WCHAR* newFile;
  int32_t keep;  // 1: a list the new file already has stays as it is
};
struct FmPictureShadeParam {  // code 56: the shading of a sample picture
  ControlDescriptor* control;
  WORD pictureId;
  DWORD answer;  // preset 0xFFFF by the sender
};
struct FmControlFlagParam {  // codes 51 and 58: a yes/no question about a control
  ControlDescriptor* control;
  DWORD answer;
};

// ---- module 4: custom paper-size ranges -------------------------------------------------------

// A row of a custom-size range table (40 bytes). Lengths in 1/1200 inch; the metric columns are
// used while lengths are shown in 0.1 mm, the inch columns while they are shown in 0.01 inch.
// A table ends with a row whose tray is 0.
struct FreeSizeRangeRow {
  uint16_t platform;  // 1 Windows 9x, 2 other Windows systems, 3 both
  uint16_t tray;      // paper source code
  uint16_t orientation;  // 1 or 2, as stored in the custom-size orientation options
  uint16_t reserved;
  int32_t metricLengthMax, metricLengthMin, metricWidthMax, metricWidthMin;
  int32_t inchLengthMax, inchLengthMin, inchWidthMax, inchWidthMin;
};
static_assert(sizeof(FreeSizeRangeRow) == 40);

enum : uint16_t {
  kFreeSizePlatform9x = 1,
  kFreeSizePlatformNt = 2,
  kFreeSizePlatformBoth = 3,
};

// The table in force: the device table whose key (1, 2, 4 or 8) equals wdmPrnInfoFunc0 while
// the device reports function 0 (NULL when no device table has that key), else the fixed table.
const FreeSizeRangeRow* FmGetDeviceFreeSizeTable(DriverContext* ctx);

// The allowed custom length (isLength) or width for a tray and orientation, in 1/1200 inch,
// moved inward so that both ends are whole display units. 1, or 0 (outputs untouched) when
// there is no table or no row.
int FmGetFreeSizeRange(DriverContext* ctx, WORD tray, WORD orientation, LONG* max, LONG* min, int isLength);
// The range of a custom-size length or width control for the tray and orientation of the open
// dialog (1017 the custom-size dialog, 1041 the custom-size input). 1/0.
int FmGetFreeSizeControlRange(DriverContext* ctx, ControlDescriptor* control, LONG* max, LONG* min);
// The same for a control of the named dialog, open or not.
int FmGetFreeSizeRangeIn(DriverContext* ctx, WORD dialogId, ControlDescriptor* control, LONG* max, LONG* min);

// The first usable length (isLength) or width edit of a dialog; NULL when none is.
ControlDescriptor* FmFindFreeSizeEdit(DriverContext* ctx, DialogDescriptor* dialog, int isLength);
// 1 when the dialog has no such control or either of its state bits 0-1 is set.
int FmIsControlUnusable(DriverContext* ctx, DialogDescriptor* dialog, WORD controlId);
// The inch values (596, 597) derived again from the custom length and width (343, 342), kept
// inside the ranges of the first usable edits of the custom-size input dialog.
void FmSyncFreeSizeInputValues(DriverContext* ctx);

// Inch entry mode: the document's custom size (256) shown in 0.01 inch and entered as such
// (wdmInputFreeSizeType is 1).
int FmIsFreeSizeInchEntry(DriverContext* ctx);
// What codes 38-45 do in inch entry mode (FmFreeSizeOnNotify asks the mode first). 1 when the
// code is one of them.
int FmFreeSizeInchNotify(DriverContext* ctx, DWORD code, void* param);

// Dialogs, options and controls of the custom sizes.
enum : WORD {
  kDlgFreeSize = 1017,       // the custom paper-size dialog
  kDlgFreeSizeInput = 1041,  // ZPD_IDD_DIALOG_FREESIZE_INPUT
  kOptPaperFreeSizeWidth = 342,
  kOptPaperFreeSizeLength = 343,
  kOptPaperFreeSizeTray = 344,
  kOptPaperFreeSizeOrient = 345,
  kOptPrintFreeSizeTray = 348,
  kOptPrintFreeSizeOrient = 349,
  kOptPaperInchLength = 596,  // zdmPaperINCHLength
  kOptPaperInchWidth = 597,   // zdmPaperINCHWidth
  kOptInputFreeSizeType = 1051,
  kOptPrnInfoFunc0 = 1264,    // wdmPrnInfoFunc0
  kCtlPresetPaperSize = 2017,  // ZPD_IDC_PRESET_CHOICE_PAPERSIZE
  kCtlPrintSize1 = 2023,
  kCtlPrintSize2 = 2053,
};

// Notify parameters of the custom-size module.
struct FmEditValueParam {  // codes 38-41, 43 and 55: a value of an edit or spin control
  ControlDescriptor* control;
  int32_t value;  // the value typed or read; codes 38 and 40 answer here
  DWORD answer;
};
struct FmControlRangeParam {  // code 46: the range of a numeric control
  ControlDescriptor* control;
  LONG max;
  LONG min;
  DWORD found;
};
// Code 44 passes the public device mode itself.
struct FmDevModeParam {  // code 45: the custom size is written back to a device mode
  BYTE* devMode;   // the public device mode
  DWORD handled;   // set to 1 when the module wrote the size
};
struct FmItemTransactParam {  // code 47: an item's rule transaction is about to run
  DialogDescriptor* dialog;
  const ModelItem* item;
};
