// The public device-mode fields and the private options that carry the same settings.
//
// Applications see paper size and custom size, orientation, duplex, media type, print quality
// and collation in the public part of a device mode; the model's rules and the output stage use
// private options instead: source and output paper geometry in device dots, the duplex switch
// and binding type, the resolution and the balance macro. After a merge the public fields are
// carried into the options; before a device mode is handed out, back from the options into the
// public fields. The paper geometry options are computed here, and the model's Transacts run
// over all options.
//
// A device mode here is the full record of DmGetSize() bytes (public part first, at the fixed
// offsets of the platform's device mode), as in devmode_fields.h. The public fields are read
// from and written to the record given; options are read and written in the context.
#pragma once

#include <cstdint>

#include "driver_context.h"

// ---- public fields ----------------------------------------------------------------------------

// Byte offsets of the public fields used here.
enum : DWORD {
  kDmPubFields = 72,         // DWORD dmFields
  kDmPubOrientation = 76,    // short
  kDmPubPaperSize = 78,      // short
  kDmPubPaperLength = 80,    // short, 0.1 mm
  kDmPubPaperWidth = 82,     // short, 0.1 mm
  kDmPubDefaultSource = 88,  // short
  kDmPubPrintQuality = 90,   // short
  kDmPubDuplex = 94,         // short
  kDmPubYResolution = 96,    // short
  kDmPubMediaType = 196,     // DWORD
};

// dmFields bits of the public part.
enum : DWORD {
  kDmFieldOrientation = 0x1,
  kDmFieldPaperSize = 0x2,
  kDmFieldPaperLength = 0x4,
  kDmFieldPaperWidth = 0x8,
  kDmFieldScale = 0x10,
  kDmFieldCopies = 0x100,
  kDmFieldDefaultSource = 0x200,
  kDmFieldPrintQuality = 0x400,
  kDmFieldColor = 0x800,
  kDmFieldDuplex = 0x1000,
  kDmFieldYResolution = 0x2000,
  kDmFieldTTOption = 0x4000,
  kDmFieldCollate = 0x8000,
  kDmFieldFormName = 0x10000,
  kDmFieldICMMethod = 0x800000,
  kDmFieldICMIntent = 0x1000000,
  kDmFieldMediaType = 0x2000000,
  kDmFieldDitherType = 0x4000000,
};

// dmOrientation and dmDuplex values.
enum : int16_t {
  kDmOrientPortrait = 1,
  kDmOrientLandscape = 2,
  kDmDuplexSimplex = 1,
  kDmDuplexVertical = 2,
  kDmDuplexHorizontal = 3,
};

// Custom sizes whose length or width (1/1200 inch) exceeds this cannot be given in the public
// fields (which hold 0.1 mm in 16 bits): they are marked in zdmFuncSelectFreeShortOver instead.
constexpr int32_t kFreeSizeOversizeDots = 154771;

// Merge-flags bit that keeps the print quality out of the public-field pass.
constexpr DWORD kMergeKeepPrintQuality = 0x10000000;
// Merge-flags bit that loads the name of the user quality entry with its values.
constexpr DWORD kMergeLoadQualityName = 0x80000;
// Flags of the user quality file load: quality rows of block 3.
constexpr DWORD kQualityMacroLoadFlags = 0x1010;

// Notify codes of this file's senders.
enum : DWORD {
  kFmNotifyPublicApplied = 13,
  kFmNotifySourcePaperSet = 45,
  kFmNotifyPaperRefreshed = 53,
};
// Built-in function offered after the public fields were applied.
constexpr WORD kBfPublicFieldsApplied = 124;

// Parameter of notify code 45: the device mode whose source paper was set, and the answer a
// module sets to 1 when it has written dmPaperLength and dmPaperWidth itself.
struct FmSourcePaperParam {
  BYTE* devMode;
  DWORD answer;
};

// ---- the merge and the way back ----------------------------------------------------------------

// Public fields of `incoming` (those whose dmFields bit both records have) into the options,
// with `working` the context's device mode; nothing for a NULL record.
void DmApplyPublicFields(BYTE* working, const BYTE* incoming, DriverContext* ctx);
// Options into the public fields: paper (by kind), duplex and media type. Kind 2 is the merge,
// 3 and 4 the sheet commits; kinds 1, 3 and 4 also reset zdmOther to its default text.
void DmSetPublicFromOptions(BYTE* dm, DriverContext* ctx, int kind);
// Resolution, source and output paper, environment flags, the cut position in 0.1 mm; notify
// code 53.
void DmRefreshPaperFromOptions(BYTE* dm, DriverContext* ctx, int kind);

// ---- duplex, media type, quality and resolution ------------------------------------------------

// dmDuplex from zdmFuncSelectDuplex and zdmDuplexType with dmOrientation; returns the dmDuplex
// written (or kept), 0 for a NULL record.
int DmSetDuplexFromOptions(BYTE* dm, DriverContext* ctx);
// dmMediaType := zdmMediaType.
void DmSetMediaTypeFromOptions(BYTE* dm, DriverContext* ctx);
// dmYResolution, zdmDstResolutionW and zdmDstResolutionH := dmPrintQuality; then the balance
// macro for that resolution. 1, or 0 for a NULL record.
int DmApplyPrintQuality(BYTE* dm, DriverContext* ctx);
// zdmDstResolutionH, dmPrintQuality and dmYResolution := zdmDstResolutionW.
void DmSetResolutionFromOptions(BYTE* dm, DriverContext* ctx);
// Unless zdmUseUserMacro is set: zdmBalanceMacro := 17 for 200, 300, 400 and 600 dpi, else 18.
void OptSetBalanceMacroForResolution(DriverContext* ctx, int32_t resolution);
// With a user print macro selected (zdmUseUserMacro 1, zdmUserPrintMacro 32-39 or 160), loads
// the quality entry's file named in the printer's settings section.
void OptLoadUserQualityMacro(DriverContext* ctx);

// ---- paper geometry ---------------------------------------------------------------------------

// Source geometry (options 40-45) from dmPaperLength and dmPaperWidth (0.1 mm) at the record's
// dmPrintQuality, with the margins of the custom paper (256).
void OptSetSourcePaperFromDmSize(BYTE* dm, DriverContext* ctx);
// Source geometry (40-45, 85) and the record's paper fields for a paper code whose value texts
// are those of `option`. The oriented forms swap a custom size in landscape. 1 when the
// geometry was set, 0 when the paper is not known.
int DmSetSourcePaper(int32_t code, WORD option, DriverContext* ctx, BYTE* dm);
int DmSetSourcePaperOriented(int32_t code, WORD option, DriverContext* ctx, BYTE* dm);
int DmSetSourcePaperEx(int32_t code, WORD option, DriverContext* ctx, BYTE* dm, int oriented);
// Output geometry (47-52) and size in 0.1 mm (598, 599); the plain and oriented forms then
// refresh the finishing work options in 0.1 mm. 1 when the geometry was set, else 0.
int DmSetOutputPaper(int32_t code, WORD option, DriverContext* ctx, BYTE* dm);
int DmSetOutputPaperOriented(int32_t code, WORD option, DriverContext* ctx, BYTE* dm);
int DmSetOutputPaperEx(int32_t code, WORD option, DriverContext* ctx, BYTE* dm, int oriented);
// The feed tray of a custom-size paper code: mode (low byte) 0 answers the tray, 1 sets it as
// dmDefaultSource of the context and answers 1; other modes and other codes answer 0.
int OptGetCustomSizeTray(DriverContext* ctx, int32_t code, int mode);

// ---- the model's Transacts --------------------------------------------------------------------

// The first Transact list of every option's active item, in option-table order.
void OptApplyAllTransacts(DriverContext* ctx);
// The same for one option.
void OptApplyTransactOf(DriverContext* ctx, WORD id);

// ---- module events ----------------------------------------------------------------------------

void FmBroadcastPublicApplied(DriverContext* ctx);  // notify code 13
void FmBroadcastRecheck(DriverContext* ctx);        // notify code 11
