// Unit conversions between device dots and the display units (0.1 mm, 0.01 inch).
//
// The arithmetic is that of 32-bit integers. Products are formed in 64 bits and the result
// truncated to 32 bits, so that an out-of-range value read from a settings file can neither
// overflow a signed intermediate nor keep a rounding loop from ending.
#include "option_units.h"

namespace {

constexpr uint32_t kBaseDpi = 1200;

uint32_t Low32(uint64_t v) { return static_cast<uint32_t>(v); }
int32_t Low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

// The forward conversion of a display length to 1200-dpi dots, in 64 bits.
uint64_t LengthToBaseDots(uint32_t flags, uint64_t length) {
  if (flags & kLengthTenthMm) return kBaseDpi * (length / 254) + kBaseDpi * (length % 254) / 254;
  return length * 12;
}

// The truncated conversion of 1200-dpi dots to a display length, in 64 bits.
uint64_t BaseDotsToLength(uint32_t flags, uint64_t dots) {
  if (flags & kLengthTenthMm) return (dots / kBaseDpi) * 254 + (dots % kBaseDpi) * 254 / kBaseDpi;
  return dots / 12;
}

uint32_t Magnitude(int32_t v) { return v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v); }

int32_t WithSign(bool negative, uint32_t magnitude) {
  uint32_t v = negative ? 0u - magnitude : magnitude;
  return static_cast<int32_t>(v);
}

}  // namespace

uint32_t OptDotsToTenthMmU(uint32_t dots, uint32_t dpi) {
  if (dpi == 0) return 0;
  return Low32(uint64_t{dots / dpi} * 254 + uint64_t{dots % dpi} * 254 / dpi);
}

int32_t OptDotsToTenthMm(int32_t dots, int32_t dpi) {
  if (dpi == 0) return 0;
  int64_t a = dots, b = dpi;
  return Low32((a / b) * 254 + (a % b) * 254 / b);
}

uint32_t OptDotsToHundredthInch(uint32_t dots, uint32_t dpi, uint32_t* remainder) {
  // A resolution below 100 dpi has no whole dots per 0.01 inch; it answers like resolution 0.
  uint32_t perStep = dpi / 100;
  if (perStep == 0) {
    if (remainder) *remainder = 0;
    return 0;
  }
  if (remainder) *remainder = dots % perStep;
  return dots / perStep;
}

uint32_t OptTenthMmToDotsU(uint32_t length, uint32_t dpi) {
  return Low32(uint64_t{dpi} * (length / 254) + uint64_t{dpi} * (length % 254) / 254);
}

int32_t OptTenthMmToDots(int32_t length, int32_t dpi) {
  int64_t a = length, b = dpi;
  return Low32(b * (a / 254) + b * (a % 254) / 254);
}

int32_t OptHundredthInchToDots(int32_t length, uint32_t dpi) { return Low32(int64_t{length} * (dpi / 100)); }

int32_t OptRescaleDots(int32_t dots, uint32_t fromDpi, uint32_t toDpi) {
  if (fromDpi == 0 || toDpi == 0) return 0;
  int64_t a = dots, b = fromDpi, c = toDpi;
  return Low32(c * (a / b) + c * (a % b) / b);
}

uint32_t OptHundredthInchToTenthMm(uint32_t x) {
  uint64_t r = uint64_t{x} * 254 / 100;
  while (r * 100 / 254 < x) ++r;
  return Low32(r);
}

uint32_t OptTenthMmToHundredthInch(uint32_t x) { return Low32(uint64_t{x} * 100 / 254); }

uint32_t OptLengthToDots(uint32_t flags, uint32_t length, uint32_t dpi) {
  if (!(flags & (kLengthTenthMm | kLengthHundredthInch))) return 0;
  uint64_t n = LengthToBaseDots(flags, length);
  // An even number of 1200-dpi dots whose way back does not pass the length.
  while (n != 0 && ((n & 1) != 0 || BaseDotsToLength(flags, n) > length)) --n;
  return static_cast<uint32_t>(OptRescaleDots(static_cast<int32_t>(Low32(n)), kBaseDpi, dpi));
}

uint32_t OptDotsToLength(uint32_t flags, uint32_t dots, uint32_t dpi, uint32_t* lengthDots) {
  if (!(flags & (kLengthTenthMm | kLengthHundredthInch))) {
    if (lengthDots) *lengthDots = 0;
    return 0;
  }
  uint32_t b = static_cast<uint32_t>(OptRescaleDots(static_cast<int32_t>(dots), dpi, kBaseDpi));
  uint64_t i = BaseDotsToLength(flags, b);
  // Round up: the smallest length whose dots reach b.
  while (LengthToBaseDots(flags, i) < b) ++i;
  if (lengthDots) *lengthDots = Low32(LengthToBaseDots(flags, i));
  return Low32(i);
}

int32_t OptSignedDotsToLength(uint32_t flags, int32_t dots) {
  return WithSign(dots < 0, OptDotsToLength(flags, Magnitude(dots), kBaseDpi, nullptr));
}

int32_t OptSignedLengthToDots(uint32_t flags, int32_t length) {
  return WithSign(length < 0, OptLengthToDots(flags, Magnitude(length), kBaseDpi));
}

void OptDisplayRangeOfDots(uint32_t flags, int32_t minDots, int32_t maxDots, int32_t* min, int32_t* max) {
  if (max) {
    int32_t shown = OptSignedDotsToLength(flags, maxDots);
    if (OptSignedLengthToDots(flags, shown) > maxDots) --shown;
    *max = shown;
  }
  if (min) {
    int32_t shown = OptSignedDotsToLength(flags, minDots);
    if (OptSignedLengthToDots(flags, shown) < minDots) ++shown;
    *min = shown;
  }
}
