// Lengths, paper codes and small derived values of the option model.
//
// Lengths are stored in device dots of 1/1200 inch and shown in the user's display unit,
// 0.1 mm or 0.01 inch. All conversions are integer arithmetic with the rounding given per
// function; the signed forms divide with truncation toward zero.
#pragma once

#include <cstdint>

// ---- unit conversions -------------------------------------------------------------------------

// Dots at `dpi` to 0.1 mm: (dots / dpi) x 254 + (dots mod dpi) x 254 / dpi; 0 when dpi is 0.
uint32_t OptDotsToTenthMmU(uint32_t dots, uint32_t dpi);
int32_t OptDotsToTenthMm(int32_t dots, int32_t dpi);
// Dots at `dpi` to 0.01 inch: dots / (dpi / 100); the remainder dots mod (dpi / 100) goes to
// *remainder when given. 0 and 0 when dpi / 100 is 0.
uint32_t OptDotsToHundredthInch(uint32_t dots, uint32_t dpi, uint32_t* remainder);
// 0.1 mm to dots at `dpi`: dpi x (length / 254) + dpi x (length mod 254) / 254.
uint32_t OptTenthMmToDotsU(uint32_t length, uint32_t dpi);
int32_t OptTenthMmToDots(int32_t length, int32_t dpi);
// 0.01 inch to dots at `dpi`: length x (dpi / 100).
int32_t OptHundredthInchToDots(int32_t length, uint32_t dpi);
// Dots from one resolution to another: to x (dots / from) + to x (dots mod from) / from; 0 when
// either resolution is 0.
int32_t OptRescaleDots(int32_t dots, uint32_t fromDpi, uint32_t toDpi);
// 0.01 inch to 0.1 mm: the smallest value whose way back (truncated) reaches x.
uint32_t OptHundredthInchToTenthMm(uint32_t x);
// 0.1 mm to 0.01 inch, truncated.
uint32_t OptTenthMmToHundredthInch(uint32_t x);

// Length flags: the unit a display length is in.
enum : uint32_t {
  kLengthTenthMm = 0x1,
  kLengthHundredthInch = 0x2,
};

// A display length to dots at `dpi`: the even number of 1200-dpi dots that does not exceed the
// length, rescaled to `dpi`. 0 for flags without a unit.
uint32_t OptLengthToDots(uint32_t flags, uint32_t length, uint32_t dpi);
// Dots at `dpi` to a display length, rounded up to the next display step; *lengthDots (when
// given) receives the 1200-dpi dots of that length. 0 for flags without a unit.
uint32_t OptDotsToLength(uint32_t flags, uint32_t dots, uint32_t dpi, uint32_t* lengthDots);

// Signed 1200-dpi dots to a display length and back: the sign is kept and the magnitude
// converted as above. `flags` names the display unit.
int32_t OptSignedDotsToLength(uint32_t flags, int32_t dots);
int32_t OptSignedLengthToDots(uint32_t flags, int32_t length);

// The displayed range of a length limited to [minDots, maxDots] (1200 dpi): the maximum is
// lowered by one step when its way back gives more dots than maxDots, the minimum raised by one
// step when its way back gives fewer dots than minDots. Either output may be NULL.
void OptDisplayRangeOfDots(uint32_t flags, int32_t minDots, int32_t maxDots, int32_t* min, int32_t* max);

// ---- paper codes ------------------------------------------------------------------------------

enum : int16_t {
  kPaperLetter = 1,
  kPaperTabloid = 3,
  kPaperA3 = 8,
  kPaperA4 = 9,
  kPaperFreeSizeFirst = 384,  // custom-size slots 0-9: paper codes 384-393
  kPaperFreeSizeLast = 393,
  kOutPaperSameAsInput = 1024,     // zdmOutPaperSize: print on the input paper
  kOutPaperRegionalFirst = 1025,   // zdmOutPaperSize 1025-1028: the regional standard paper
  kOutPaperRegionalLast = 1028,
};

// The regional standard paper: Letter or Tabloid in a letter region, A4 or A3 elsewhere; the
// smaller size when the modules' answer is 1.
int16_t OptRegionalPaperFor(int letterRegion, uint32_t answer);
// The effective output paper: the stored output code, except 1024 gives the input paper and
// 1025-1028 give the regional standard paper.
int16_t OptResolveOutputPaper(int16_t outPaper, int16_t inputPaper, int16_t regionalPaper);
// The custom-size slot (0-9) a paper code selects, or -1 for other codes.
int OptFreeSizeSlotOfPaper(int32_t paperCode);

// ---- small derived values ---------------------------------------------------------------------

// a x b / c with a 64-bit product, truncated; -1 when c is 0 or the result does not fit.
int32_t OptMulDiv(int32_t a, int32_t b, int32_t c);

// Character filter of text fields: kind 1 accepts 0x20-0x7E except '"' and ':', kind 2 accepts
// 0x20-0x7E; both accept backspace. Other kinds accept nothing. Returns 1 accept, 0 reject.
int OptIsTextCharAllowed(uint16_t ch, int kind);

// The driver's code for a character set (1 Shift-JIS, 2 ANSI, 3 East European, 4 Greek,
// 5 Cyrillic, 6 Turkish, 7 Baltic, 8 GB2312, 9 Big5, 10 Hebrew, 11 Arabic, 12 Thai,
// 13 Johab and Hangul); 0 for any other character set.
uint32_t OptCharsetToCode(uint32_t charset);

// Build switches.
int OptIsBuildSwitchOn(int n);      // 1 for the switches of this build (only switch 1)
int OptHasBuildFeature15();         // off
int OptUseSharedChapterTrayMark();  // off
