// The device-capability lists: paper codes, paper names and sizes, bins and bin names,
// resolutions, extents and the small answers of the capability queries, taken from the loaded
// model and the context's settings so that they match what the dialogs offer.
//
// Every list follows the two-call protocol: with a NULL output buffer it returns the number of
// entries; with a buffer it fills it and returns the number written; -1 when the model has no
// usable list. Lengths are in 0.1 mm.
#pragma once

#include <cstdint>

#include "driver_context.h"
#include "option_constants.h"

// Record sizes of the list entries.
constexpr int kCapsBinNameChars = 24;    // one bin name: 24 characters, zero-filled
constexpr int kCapsPaperNameChars = 64;  // one paper name: 64 characters, zero-filled
static_assert(sizeof(WORD) == 2);        // one bin or paper code
static_assert(sizeof(POINT) == 8);       // one paper size {width, length}
static_assert(sizeof(POINTS) == 4);      // an extent {width, length}

// Which extent DmCapsExtent answers.
enum : int16_t {
  kCapsMinExtent = 4,
  kCapsMaxExtent = 5,
};

// The paper list of the paper-size setting, which leaves out the papers that are excluded in
// the current settings; any other list setting lists every value.
constexpr WORD kCapsPaperSetting = 8;

// Notify codes that ask the modules whether every value is listed, excluded ones too (a
// non-zero answer word).
constexpr DWORD kFmNotifyListAllResolutions = 30;
constexpr DWORD kFmNotifyListAllBins = 33;

// ---- bins and papers ----------------------------------------------------------------------------

// The dmDefaultSource codes of the model's paper sources.
int DmCapsBins(DriverContext* ctx, WORD* out, DWORD reserved);
// Their names, each in a slot of `step` characters (zero-filled; the entry point passes 24).
int DmCapsBinNames(DriverContext* ctx, WCHAR* out, int step, DWORD reserved);
// The paper codes of a list setting (kCapsPaperSetting for the paper list).
int DmCapsPapers(DriverContext* ctx, WORD* out, WORD setting);
// Their names, each in a slot of `step` characters (the entry point passes 64); the custom-size
// slot papers 384-393 are named by their slots.
int DmCapsPaperNames(DriverContext* ctx, WCHAR* out, int step, WORD setting);
// Their sizes {width, length}; the custom papers 256 and 384-393 take their slots' sizes.
int DmCapsPaperSizes(DriverContext* ctx, POINT* out, WORD setting);

// ---- extents, resolutions and single answers -------------------------------------------------------

// The minimum (which 4) or maximum (which 5) paper extent, limited to the custom-size range:
// stored into out when given and returned as length << 16 | width. 0 for any other `which`.
DWORD DmCapsExtent(DriverContext* ctx, POINTS* out, int16_t which);
// The resolutions as (x, y) pairs of dpi; with no usable list one pair of the profile's
// resolution and the result 1.
int DmCapsResolutions(DriverContext* ctx, int32_t* out);
// The same walk; with valuesOnly set each entry is one zdmDstResolutionBoth value (the table
// value of the pair, 0 when the table has none) instead of a pair.
int DmCapsResolutionList(DriverContext* ctx, int32_t* out, int valuesOnly);

// 1 when the duplex unit is installed (zdmSourceOptionTypeDuplex, 10014, non-zero).
int OptIsDuplexInstalled(DriverContext* ctx);
// 1 when the device mode's machine type says colour (zdmMachineTypeColor), unless the
// administrator lock data are built in, the colour lock (bit 0 of lockBits) is set and the
// device mode's dmColor is 1 (monochrome). 0 for a NULL device mode.
int DmIsColorDevice(BYTE lockBits, const BYTE* printerDefault);
// Bit `bit` (0-7) of the low byte of value; 0 for other bits.
int OptTestByteBit(DWORD value, int bit);

// ---- the resolution table -------------------------------------------------------------------

// The row of a zdmDstResolutionBoth value; NULL for 0 and for values without a row.
const ResolutionEntry* OptFindResolutionRow(int16_t value);
// The value of the first row with both dpi; 0 when none or either is 0.
int OptFindResolutionValue(int16_t x, int16_t y);
// The value of the first row with that x; 0 when none.
int OptFindResolutionByX(WORD x);
// The value of the first row with that x after the row of `current`; 0 when none (also when
// `current` has no row).
int OptFindNextResolutionByX(WORD x, int16_t current);
