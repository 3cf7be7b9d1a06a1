// The constant command table (two sets of rows) and the administrator-lock overrides.
#include <iterator>

#include "command_table.h"

namespace {

#include "mdl_command_rows.inc"

constexpr CommandTable kStandardSet = {kCommandRowCount, kStandardRows};
constexpr CommandTable kAlternateSet = {kCommandRowCount, kAlternateRows};

}  // namespace

const CommandTable* MdlStandardCommandTable() { return &kStandardSet; }
const CommandTable* MdlAlternateCommandTable() { return &kAlternateSet; }

const LockOverride* MdlLockOverrides(int* count) {
  if (count) *count = static_cast<int>(std::size(kLockOverrideRows));
  return kLockOverrideRows;
}
