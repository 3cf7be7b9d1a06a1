// Lock data, custom media and user permissions kept beside the settings.
//
// An administrator's locks force chosen settings (paper source, media, print type, colour,
// layout, duplex, resolution, header and footer) onto every user: the locked values live in the
// printer's data under one value each and are applied whenever the settings are loaded; the
// administrator's whole default settings image is kept as "LockDefaultData". The device may
// report up to sixteen custom media, kept as one binary value of CustomMediaEntry rows. The
// driver-defaults file may name a user-information file that grants special functions per user,
// driver or printer, and declares which printer-information functions a model supports.
//
// Results are 1 for success and 0 for failure unless stated.
#pragma once

#include <cstddef>
#include <cstdint>

#include "driver_context.h"

// ---- stored names -----------------------------------------------------------------------------

inline constexpr WCHAR kLockDefaultDataValue[] = u"LockDefaultData";
inline constexpr WCHAR kAuthenticationModeValue[] = u"AuthenticationMode";
inline constexpr WCHAR kUserCustomizePopupValue[] = u"UserCustomizePopup";
inline constexpr WCHAR kCustomMediaDataValue[] = u"CustomMediaData";
inline constexpr WCHAR kCustomMediaDataNumValue[] = u"CustomMediaDataNum";

// Bytes of a locked text value (REG_SZ, UTF-16 with its terminator, zero-padded).
constexpr DWORD kLockedTextBytes = 260;

// Options of this area.
enum : uint16_t {
  kOptUserSpecialFirst = 1203,      // wdmSpecial1 .. wdmSpecial16
  kOptPrnInfoFuncFirst = 1264,      // wdmPrnInfoFunc0 .. 7
  kOptPrnInfoSupportFirst = 1272,   // wdmPrnInfoFuncSupport0 .. 7
  kOptCustomMediaMaxNum = 1581,     // wdmCustomMediaMaxNum
  kOptCustomMediaDataNum = 1582,    // wdmCustomMediaDataNum
  kOptLockDstResolutionBoth = 10442,
};

// ---- stored records ---------------------------------------------------------------------------

// One custom medium as stored in "CustomMediaData" (rows back to back, little-endian).
struct CustomMediaEntry {
  uint32_t quot;     // the slot's Quot option
  uint32_t charset;  // the slot's CharSet option: character set of the name
  char name[260];    // the slot's Name option, 8-bit text, NUL-terminated, the rest zero
};
static_assert(sizeof(CustomMediaEntry) == 268);
static_assert(offsetof(CustomMediaEntry, charset) == 4 && offsetof(CustomMediaEntry, name) == 8);

// The slot table (OptGetCustomMediaTable) has this many rows before its zero row.
constexpr int kCustomMediaMaxSlots = 16;

// ---- administrator default image and lock bits ------------------------------------------------

// "LockDefaultData" into the context's lock-default image, or from it (DmGetImageSize bytes).
// 0 when the context has no such image; a stored value of another size is not read and leaves
// the image as it was. The font-list references (10004-10009) of the image are cleared on both
// ways: they mean nothing outside the process that made them.
int PrnReadLockDefaultData(HANDLE printer, DriverContext* ctx);
int PrnWriteLockDefaultData(HANDLE printer, DriverContext* ctx);
// The byte "zdmLock000InfoBit" (id 10418) or "zdmLock001InfoBit" (id 10426); 0 for any other
// id, a NULL out or a value that cannot be read.
int PrnReadLockInfoByte(HANDLE printer, BYTE* out, WORD optionId);

// ---- locked values ----------------------------------------------------------------------------

// For each lock in force, in the fixed order (tray, media, print type, colour, layout, duplex,
// resolution, header and footer), reads its values from printer data into the options. The
// first value that cannot be read ends the walk with 0; the options set so far keep their
// values. When the walk completes, built-in function 312 is offered to the feature modules
// and the result is 1.
int PrnReadLockedValues(HANDLE printer, DriverContext* ctx);
// Writes the current values of the locks in force in the same order (the resolution has no
// value of its own). The first failed write ends the walk with 0.
int PrnWriteLockedValues(HANDLE printer, DriverContext* ctx);
// How the model offers the resolution (option 38): 0 a list of values, 1 a range without
// listed values, -1 no usable list.
int CfgGetResolutionListKind(DriverContext* ctx);

// 4-byte values read for the document events. 1 when read; 0 for a NULL out.
int PrnReadAuthenticationMode(HANDLE printer, uint32_t* out);
int PrnReadUserCustomizePopup(HANDLE printer, uint32_t* out);

// ---- custom media -----------------------------------------------------------------------------

// Count := maximum (at most the slots there are); every slot: Quot 1, Name empty, CharSet 0.
void CfgResetCustomMedia(DriverContext* ctx);
// Writes "CustomMediaDataNum" (2 bytes) and "CustomMediaData" (maximum rows); both writes are
// tried. 1 unless one failed.
int CfgSaveCustomMedia(HANDLE printer, DriverContext* ctx);
// Resets, then applies the stored rows. A count of 0, a missing value or a data value whose
// size is not maximum x 268 bytes leaves the reset state. 1 when stored data was applied.
int CfgLoadCustomMedia(HANDLE printer, DriverContext* ctx);

// ---- functions granted by the driver-defaults file --------------------------------------------

// Options 1203-1218 from the user-information file named by the driver-defaults file; only the
// functions whose build feature is on are read, the rest are 0, and any missing piece makes
// them all 0. 1 when the file was read.
int CfgLoadUserInfoFunctions(DriverContext* ctx);
// Options 1264-1279 from the driver-defaults file; all 0 when its path is not absolute.
// 1 when the file was read.
int CfgLoadPrnInfoFunctions(DriverContext* ctx);
