// The dialog and control description rows (data only). The rows are a data file of their own,
// dialog_rows.inc, in table order. A dialog's name index is 304 plus its row; the tests check that
// the shared symbol table names every dialog by that number.
//
// Control rows: dialog_rows_controls.inc, written with the dialog templates of the language
// libraries from scripts/dialogs/controls.txt, holds the 1566 rows dialog by dialog in table order;
// every dialog owns the run of rows whose count the last column of dialog_rows.inc gives.
#include <array>
#include <utility>

#include "aux_records.h"
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

// Auxiliary records of the rows that carry one.
constexpr uint16_t kAux_combo_refuse[] = {4, 0, 1, 0, 7005, 0};  // refuse restricted values, picture 7005
#include "summary_line_rows.inc"

// The preview picture of the watermark (control 2039 of page 1002; the fix-up hands it to every
// preview): the symbols of its fourteen options, in the order the preview reads them: text,
// face, style, effect, colour, density, angle, size, picture file, picture scale, position,
// tiling, opaque, page. The fix-up replaces each by the option it names.
constexpr uint16_t kAux_preview[] = {8,    1200, 71,   1204, 1206, 1208, 1210, 1216,
                                     1213, 1233, 1235, 1191, 1192, 1193, 1194};
static_assert(std::size(kAux_preview) == 15);

// The colour-balance sample (control 2249 of dialog 1038): words 3 to 8 are the controls whose
// options colour it (brightness, contrast, saturation, red, green, blue: the sliders of the
// dialog); the fix-up replaces each by its option.
constexpr uint16_t kAux_sample_balance[] = {1, 0, 0, 2264, 2267, 2270, 2273, 2275, 2277};

// The colour-balance buttons of dialog 1038 repeat while held and step the red, green and blue
// balance by one.
constexpr LinkedStepRow kBalanceDownRows[] = {{2273, {}, -1, 0}, {2275, {}, -1, 0}, {2277, {}, -1, 0}};
constexpr LinkedStepRow kBalanceUpRows[] = {{2273, {}, 1, 0}, {2275, {}, 1, 0}, {2277, {}, 1, 0}};
constexpr AuxLinkedSteps kBalanceDown = {5, 3, kBalanceDownRows};
constexpr AuxLinkedSteps kBalanceUp = {5, 3, kBalanceUpRows};
constexpr const uint16_t* kAux_balance_down = &kBalanceDown.tag;
constexpr const uint16_t* kAux_balance_up = &kBalanceUp.tag;

// The check list of the hidden functions: the option of each list row (no tag).
constexpr std::array<uint16_t, 96> MakeHiddenFuncOptions() {
  std::array<uint16_t, 96> out{};
  for (int i = 0; i < 32; ++i) {
    out[i] = static_cast<uint16_t>(351 + i);
    out[32 + i] = static_cast<uint16_t>(449 + i);
    out[64 + i] = static_cast<uint16_t>(617 + i);
  }
  return out;
}
constexpr std::array<uint16_t, 96> kHiddenFuncOptions = MakeHiddenFuncOptions();
constexpr const uint16_t* kAux_hidden_func_options = kHiddenFuncOptions.data();

struct ControlSource {
  uint16_t dialogId;
  ControlDescriptor row;
};

// clang-format off
#define ZOLT_CONTROL_ROW(dialog, name, id, kind, help, desc, info, link, bif, aux, flags) \
  {dialog, ControlDescriptor{name, id, kind, 0, help, desc, info, link, 0, bif, nullptr, nullptr, nullptr, aux, flags, \
                             0, 0, nullptr, 0, 0, 0}},
constexpr ControlSource kControlSource[] = {
#include "dialog_rows_controls.inc"
};
#undef ZOLT_CONTROL_ROW
// clang-format on

constexpr int kControlCount = static_cast<int>(std::size(kControlSource));
static_assert(kControlCount == 1566);

// The rows of every dialog lie together and in table order.
consteval bool RowsFollowTable() {
  int at = 0;
  for (const DescribedDialog& d : kDescribed)
    for (int j = 0; j < d.describedControls; ++j, ++at)
      if (kControlSource[at].dialogId != d.dialogId) return false;
  return at == kControlCount;
}
static_assert(RowsFollowTable());

template <size_t... I>
constexpr std::array<ControlDescriptor, sizeof...(I)> MakeControls(std::index_sequence<I...>) {
  return {kControlSource[I].row...};
}
// Static storage the context copies are taken from; nothing writes it.
std::array<ControlDescriptor, kControlCount> kControlRows = MakeControls(std::make_index_sequence<kControlCount>());

consteval int FirstControlOf(size_t dialog) {
  int at = 0;
  for (size_t i = 0; i < dialog; ++i) at += kDescribed[i].describedControls;
  return at;
}

template <size_t... I>
std::array<DialogDescriptor, sizeof...(I)> MakeRows(std::index_sequence<I...>) {
  // A dialog's symbol is numbered 304 plus its row (the tests check the symbol table agrees).
  return {DialogDescriptor{kDescribed[I].dialogId, static_cast<uint16_t>(kDialogSymbolBase + I), kDescribed[I].kindFlags,
                           kDescribed[I].name, kDescribed[I].helpId, &kControlRows[FirstControlOf(I)], 0,
                           kDescribed[I].describedControls, nullptr, 0}...};
}

const std::array<DialogDescriptor, kDialogCount> kRows = MakeRows(std::make_index_sequence<kDialogCount>());

}  // namespace

const StaticDialogTable kDialogTable = {static_cast<int16_t>(kDialogCount), kRows.data()};
