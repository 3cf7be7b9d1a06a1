// The dialog and control description rows (data only). The rows are a data file of their own,
// dialog_rows.inc, in table order. A dialog's name index is 304 plus its row; the tests check that
// the shared symbol table names every dialog by that number.
//
// Control rows: the description gives only the number of control rows of each dialog (the last
// column of dialog_rows.inc, 1566 in all), not the rows. Every dialog therefore has no control
// rows yet (count 0, no rows); the lookups and the per-context copy handle that like any dialog
// without controls.
#include <array>
#include <utility>

#include "dialog_table.h"

namespace {

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
  // A dialog's symbol is numbered 304 plus its row (the tests check the symbol table agrees).
  return {DialogDescriptor{kDescribed[I].dialogId, static_cast<uint16_t>(kDialogSymbolBase + I), kDescribed[I].kindFlags,
                           kDescribed[I].name, kDescribed[I].helpId, nullptr, 0, 0, nullptr, 0}...};
}

constexpr std::array<DialogDescriptor, kDialogCount> kRows = MakeRows(std::make_index_sequence<kDialogCount>());

}  // namespace

const StaticDialogTable kDialogTable = {static_cast<int16_t>(kDialogCount), kRows.data()};
