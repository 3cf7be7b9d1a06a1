// Small values of the option model that need no context: arithmetic, the character filter of
// text fields, the character-set codes and the build switches; and whether the model offers
// collation.
#include <cstdint>
#include <limits>

#include "command_table.h"
#include "option_units.h"
#include "option_values.h"

int32_t OptMulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  int64_t r = int64_t{a} * b / c;
  if (r > std::numeric_limits<int32_t>::max() || r < std::numeric_limits<int32_t>::min()) return -1;
  return static_cast<int32_t>(r);
}

int OptIsTextCharAllowed(uint16_t ch, int kind) {
  if (kind != 1 && kind != 2) return 0;
  if (ch == 8) return 1;  // backspace
  if (ch < 0x20 || ch > 0x7E) return 0;
  if (kind == 1 && (ch == '"' || ch == ':')) return 0;
  return 1;
}

namespace {

struct CharsetCode {
  uint32_t charset;
  uint32_t code;
};

// Character set -> the driver's code; the first matching row wins.
constexpr CharsetCode kCharsetCodes[] = {
    {128, 1},   // Shift-JIS
    {0, 2},     // ANSI
    {238, 3},   // East European
    {161, 4},   // Greek
    {204, 5},   // Cyrillic
    {162, 6},   // Turkish
    {186, 7},   // Baltic
    {134, 8},   // GB2312
    {136, 9},   // Big5
    {177, 10},  // Hebrew
    {178, 11},  // Arabic
    {222, 12},  // Thai
    {130, 13},  // Johab
    {129, 13},  // Hangul
};

// Build switches 1-8 (entry 0 unused). Switch 1 refreshes the presets against the scenario
// package.
constexpr int kBuildSwitches[9] = {0, 1, 0, 0, 0, 0, 0, 0, 0};

}  // namespace

uint32_t OptCharsetToCode(uint32_t charset) {
  for (const CharsetCode& row : kCharsetCodes)
    if (row.charset == charset) return row.code;
  return 0;
}

int OptIsBuildSwitchOn(int n) { return n >= 1 && n <= 8 && kBuildSwitches[n] != 0 ? 1 : 0; }

int OptHasBuildFeature15() { return 0; }

int OptUseSharedChapterTrayMark() { return 0; }

// ---- collation --------------------------------------------------------------------------------

int OptCanCollate(DriverContext* ctx) {
  constexpr WORD kOptSortType = 119;  // zdmSortType
  int32_t values[2] = {};
  int32_t count = 0;
  const int result = MdlGetSelectableValues(ctx, kOptSortType, 2, values, &count);
  if (result < 0 || count == 0) return 0;
  return count == 1 && values[0] == 0 ? 0 : 1;
}

int OptIsCollateAvailable(DriverContext* ctx) { return OptCanCollate(ctx); }
