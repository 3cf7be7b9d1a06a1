// Values derived from the options of a context: lengths in the user's display unit, the
// custom-size range, the regional and effective output paper, the authentication fields and
// character sets, the language's number format, the custom functions, the resolution options and
// the administrator-lock bits.
#pragma once

#include <cstdint>

#include "driver_context.h"

// ---- lengths in the display unit --------------------------------------------------------------

// Options that the derived values read.
enum : uint16_t {
  kOptPaperSize = 8,             // dmPaperSize
  kOptDmPrintQuality = 14,       // dmPrintQuality
  kOptDmYResolution = 17,        // dmYResolution
  kOptDstResolutionW = 38,       // zdmDstResolutionW
  kOptDstResolutionH = 39,       // zdmDstResolutionH
  kOptOutPaperSize = 46,         // zdmOutPaperSize
  kOptLanguageId = 169,          // zdmLanguageID
  kOptLocaleId = 172,            // zdmLocaleID
  kOptDriverType = 244,          // zdmDriverType
  kOptHiddenFunc16 = 367,        // zdmHiddenFunc16
  kOptAuthUserNameCharSet = 615,
  kOptAuthPasswordCharSet = 616,
  kOptFreeSizeWidth = 939,       // wdmFreeSizeWidth
  kOptFreeSizeLength = 940,      // wdmFreeSizeLength
  kOptAuthUserName = 1144,       // wdmAuthenticationUserName
  kOptAuthPassword = 1145,
  kOptAuthNetworkKey = 1146,
  kOptCustomFuncFirst = 1549,    // wdmCustomFunc0 .. wdmCustomFunc31
  kOptCustomFuncLast = 1580,
  kOptAuthMode = 10354,          // zdmPrnFuncAuthenticationMode
  kOptAuthSecureMode = 10355,    // zdmPrnFuncAuthenticationSecureMode
};

// The display unit of lengths: kLengthTenthMm when OptIsMetric, else kLengthHundredthInch.
uint32_t OptDisplayUnit(DriverContext* ctx);
// 1200-dpi dots to the display unit, rounded up to the next step, sign kept. With a non-zero id
// the option's UI value is converted and `value` is not used.
int32_t OptToDisplayUnits(DriverContext* ctx, uint16_t id, int32_t value);
// A display length to 1200-dpi dots (an even count that does not pass the length, sign kept);
// with a non-zero id the option is set to the dots. Returns the dots.
int32_t OptFromDisplayUnits(DriverContext* ctx, uint16_t id, int32_t length);
// The displayed range of the custom paper width (939) or length (940) from the profile's paper
// extents, kept inside the dot limits. Returns 1 for those two options, else 0 (outputs
// untouched). Either output may be NULL.
int OptGetFreeSizeRange(DriverContext* ctx, uint16_t id, int32_t* min, int32_t* max);
struct ControlDescriptor;
// The displayed range of a numeric length control: the custom-size module's range for the
// control when it gives one, else the control's Numeric model item, kept inside its dot limits.
// 1 when a range was found, else 0 (outputs untouched). Either output may be NULL.
int OptGetControlRange(DriverContext* ctx, ControlDescriptor* control, int32_t* min, int32_t* max);

// ---- paper ------------------------------------------------------------------------------------

// Notify code that asks the modules whether the regional paper is the smaller size (answer 1).
constexpr DWORD kFmNotifyRegionalPaper = 54;

// (zdmDriverType and zdmLocaleID both non-zero) XOR (zdmHiddenFunc16 is 1).
int OptIsLetterRegion(DriverContext* ctx);
// Letter (1) or Tabloid (3) in a letter region, A4 (9) or A3 (8) elsewhere; the smaller size
// when a module answers notify code 54 with 1 (the answer starts at 0).
int16_t OptGetRegionalPaperSize(DriverContext* ctx);
// zdmOutPaperSize as stored, except 1024 gives dmPaperSize and 1025-1028 the regional paper.
int16_t OptGetOutputPaperSize(DriverContext* ctx);
// Kind 1: the source and output paper options from dmPaperSize and zdmOutPaperSize (the regional
// paper for 1025-1028), then the zoom of a fitted or scaled output; kind 3 (4): the custom-size
// slot of dmPaperSize (zdmOutPaperSize) when it is one of 384-393.
void OptRefreshPaperSettings(DriverContext* ctx, int kind);

// ---- authentication and character sets --------------------------------------------------------

enum : uint32_t {
  kAuthFieldUserName = 0x1,
  kAuthFieldPassword = 0x2,
  kAuthFieldNetworkKey = 0x4,
};
// The asked fields that hold a text, only while zdmPrnFuncAuthenticationMode is on; the network
// key only while zdmPrnFuncAuthenticationSecureMode is on too.
uint32_t OptGetAuthFieldFlags(DriverContext* ctx, uint32_t flags);
// Stores the system code page's character-set code (OptGetCodePageCharset) into the option.
// Returns 1 when written.
int OptSetCodePageCharset(DriverContext* ctx, uint16_t id);
// kAuthFieldUserName sets zdmAuthUserNameCharSet, kAuthFieldPassword zdmAuthPasswordCharSet.
void OptSetAuthCharsets(DriverContext* ctx, uint32_t flags);

// ---- small accessors --------------------------------------------------------------------------

// 1 when the UI language (zdmLanguageID) is one of 2-15 and 21: numbers take a decimal comma.
int OptUsesDecimalComma(DriverContext* ctx);
// The value of wdmCustomFunc0-31 (1549-1580); 0 for any other id.
int32_t OptGetCustomFunc(DriverContext* ctx, uint16_t id);
int32_t OptGetDstResolutionW(DriverContext* ctx);
int32_t OptGetDstResolutionH(DriverContext* ctx);
int OptSetDstResolutionW(DriverContext* ctx, int32_t dpi);
int OptSetDstResolutionH(DriverContext* ctx, int32_t dpi);
int OptSetPrintQuality(DriverContext* ctx, int32_t value);  // dmPrintQuality
int OptSetYResolution(DriverContext* ctx, int32_t value);   // dmYResolution
// 1 when zdmSortType (119) has selectable values (MdlGetSelectableValues) and they are not
// just the single value 0: collation can be offered. OptIsCollateAvailable asks the same.
int OptCanCollate(DriverContext* ctx);
int OptIsCollateAvailable(DriverContext* ctx);

// ---- administrator locks ----------------------------------------------------------------------

enum : uint16_t {
  kOptLockEnabled = 10386,          // zdmLockInfoLockInfo
  kOptLockDefault = 10418,          // zdmLock000InfoBitDefault
  kOptLockTray = 10419,
  kOptLockMedia = 10420,
  kOptLockNupKind = 10421,
  kOptLockNupKindAll = 10422,
  kOptLockDuplex = 10423,
  kOptLockPrintType = 10424,
  kOptLockResolution = 10425,
  kOptLockColor = 10426,            // zdmLock001InfoBitColor
  kOptLockHeaderFooter = 10427,
  kOptLockBitLast = 10433,          // zdmLock001InfoBit7
};

// Each answers its printer-configuration bit, 0 or 1.
int OptIsLockEnabled(DriverContext* ctx);
int OptIsDefaultLocked(DriverContext* ctx);
int OptIsTrayLocked(DriverContext* ctx);
int OptIsMediaLocked(DriverContext* ctx);
int OptIsNupKindLocked(DriverContext* ctx);
int OptIsNupKindAllLocked(DriverContext* ctx);
int OptIsDuplexLocked(DriverContext* ctx);
int OptIsPrintTypeLocked(DriverContext* ctx);
int OptIsResolutionLocked(DriverContext* ctx);
int OptIsColorLocked(DriverContext* ctx);
int OptIsHeaderFooterLocked(DriverContext* ctx);
// 1 when any of the lock bits 10418-10433 is set.
int OptHasAnyLock(DriverContext* ctx);

// Whether a control shows its lock marker: only with feature 2 on and the control's notice switch
// set; a control whose model item has a rule follows the locked condition of its value row when
// that row has one, else the rule's own; other controls follow their lock option (non-zero).
int OptHasControlNotice(DriverContext* ctx, const ControlDescriptor* control);

// ---- values from the model and the driver's files ----------------------------------------------

// The body-print and perfect-binding extents and the seven cut positions, in 0.1 mm, into the
// work options 1252-1262; an extent the model does not give leaves its pair as it is.
void OptRefreshFinishingExtents(DriverContext* ctx);
// zdmDriverID := "DriverID" of the driver's section in the driver-defaults file, read only when
// that file's path begins with a drive letter and colon; else 0.
void OptLoadDriverId(DriverContext* ctx);
