// The dialog and control description rows (data only). The rows are a data file of their own,
// dialog_rows.inc, in table order. A row's name index is resolved from the shared symbol names
// by the row's name when this file is compiled: a name that the symbol table lacks, or a symbol
// number other than 304 plus the row's index, stops the build.
//
// Control rows: the description gives only the number of control rows of each dialog (the last
// column of dialog_rows.inc, 1566 in all), not the rows. Every dialog therefore has no control
// rows yet (count 0, no rows); the lookups and the per-context copy handle that like any dialog
// without controls.
#include <array>
#include <string_view>
#include <utility>

#include "dialog_table.h"

namespace {

// The shared symbol names, for the lookups at compile time only.
constexpr NameEntry kSymbolNames[] = {
#include "option_names.inc"
};

consteval uint16_t SymbolOf(std::string_view name) {
  for (const NameEntry& e : kSymbolNames)
    if (name == e.name) return e.nameIndex;
  throw "dialog symbol missing from the symbol names";
}

struct DescribedDialog {
  uint16_t dialogId;
  const char* name;
  uint32_t kindFlags;
  uint32_t helpId;
  int16_t describedControls;
};

// clang-format off
#define ZOLT_DIALOG_ROW(id, name, flags, help, controls) {id, name, flags, help, controls},
constexpr DescribedDialog kDescribed[] = {
#include "dialog_rows.inc"
};
#undef ZOLT_DIALOG_ROW
// clang-format on

constexpr int kDialogCount = static_cast<int>(std::size(kDescribed));
static_assert(kDialogCount == 89);

consteval int DescribedControlTotal() {
  int total = 0;
  for (const DescribedDialog& d : kDescribed) total += d.describedControls;
  return total;
}
static_assert(DescribedControlTotal() == 1566);

template <size_t... I>
consteval std::array<DialogDescriptor, sizeof...(I)> MakeRows(std::index_sequence<I...>) {
  return {DialogDescriptor{kDescribed[I].dialogId, SymbolOf(kDescribed[I].name), kDescribed[I].kindFlags,
                           kDescribed[I].name, kDescribed[I].helpId, nullptr, 0, 0, nullptr, 0}...};
}

constexpr std::array<DialogDescriptor, kDialogCount> kRows = MakeRows(std::make_index_sequence<kDialogCount>());

consteval bool SymbolsFollowRowOrder() {
  for (int i = 0; i < kDialogCount; ++i)
    if (kRows[i].nameIndex != kDialogSymbolBase + i) return false;
  return true;
}
static_assert(SymbolsFollowRowOrder(), "dialog symbol numbers must be 304 plus the row's index");

}  // namespace

const StaticDialogTable kDialogTable = {static_cast<int16_t>(kDialogCount), kRows.data()};
