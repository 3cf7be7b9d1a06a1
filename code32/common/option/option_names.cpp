// The shared symbol tables (data only): the symbol names, the two value-name tables and the
// help topics. The rows are data files of their own, one row per line:
//   option_names.inc          {option id, name index, name}, in table order
//   option_names_own.inc      symbols of our own: "ZPD_" + field name of an option that the model
//                             can describe but that no shared symbol names (indexes from 1899)
//   option_value_names1.inc   value-name table 1: {option id, name index, value, kind, name, second}
//   option_value_names2.inc   value-name table 2, searched after table 1
//   option_help_topics.inc    {help id, topic}, sorted by help id
//
// Name indexes: the nine button symbols at the end are 1-9; a dialog symbol is 304 plus the
// dialog's row in the dialog table; every other symbol is numbered from 10 in table order,
// passing over the dialog range 304-392. A symbol carries the option it names: the option of
// its value names, or the option whose field name (without dm, zdm or wdm) follows "ZPD_".
// Our own symbols follow the button symbols, numbered from 1899 in option order.
//
// Value names belong to an option (kind 1) or, with option id 0, to a control or page as a
// resource symbol (kind 0). Every row carries its number; scripts/symbol_numbers.py gave the
// rows that no other evidence numbered theirs, and its rule stands on the first row it numbered
// in each group.
#include "option_table.h"

namespace {

// clang-format off
const NameEntry kNames[] = {
#include "option_names.inc"
#include "option_names_own.inc"
};

const ValueNameEntry kValueNames1[] = {
#include "option_value_names1.inc"
};

const ValueNameEntry kValueNames2[] = {
#include "option_value_names2.inc"
};
// clang-format on

template <typename T, size_t N>
constexpr int16_t CountOf(const T (&)[N]) {
  return static_cast<int16_t>(N);
}

static_assert(sizeof kNames / sizeof kNames[0] == kSharedSymbolCount + kOwnSymbolCount);
static_assert(sizeof kValueNames1 / sizeof kValueNames1[0] == 2992);
static_assert(sizeof kValueNames2 / sizeof kValueNames2[0] == 680);

}  // namespace

const NameTable kNameTable = {CountOf(kNames), kNames};
const ValueNameTable kValueNameTable1 = {CountOf(kValueNames1), kValueNames1};
const ValueNameTable kValueNameTable2 = {CountOf(kValueNames2), kValueNames2};

// clang-format off
const HelpTopicEntry kHelpTopics[kHelpTopicCount + 1] = {
#include "option_help_topics.inc"
{0, nullptr},
};
// clang-format on

const HelpTopicEntry* OptGetHelpTopicTable() { return kHelpTopics; }
