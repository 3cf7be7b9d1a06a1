// The condition tables of the settings summary: whether a line of a summary list is shown,
// decided by its label. Every table that has a row for the label must let the line through; the
// first row of a table with that label decides for that table.
#include <algorithm>
#include <iterator>

#include "fd_summary.h"
#include "model_query.h"
#include "option_access.h"
#include "prn_data.h"

namespace {

int32_t Value(DriverContext* ctx, uint16_t option) { return OptGetValue(ctx, option, nullptr); }

// ---- 1: one test -------------------------------------------------------------------------------
struct SingleTest {
  uint16_t first, last;  // labels first..last
  uint16_t option;
  int32_t value;
};
constexpr SingleTest kSingle[] = {
    {1006, 1007, 87, 3},     {1008, 1008, 87, 1},     {1010, 1011, 65, 1},     {1127, 1128, 66, 1},
    {13097, 13097, 66, 1},   {1016, 1017, 64, 1},     {1140, 1142, 70, 1},     {1020, 1020, 56, 1},
    {1037, 1042, 67, 1},     {1045, 1046, 67, 1},     {1051, 1053, 67, 1},     {13077, 13077, 67, 1},
    {1147, 1147, 390, 1},    {13123, 13128, 72, 0},   {13363, 13363, 72, 0},   {13567, 13567, 72, 0},
    {13164, 13179, 79, 1},   {13379, 13381, 8, 256},  {13383, 13385, 46, 448}, {13400, 13400, 209, 5},
    {13386, 13386, 209, 2},  {13387, 13387, 209, 1},  {13396, 13396, 209, 1},  {13391, 13392, 209, 3},
    {13397, 13397, 209, 3},  {13388, 13388, 209, 8},  {13393, 13393, 209, 8},  {13389, 13389, 209, 9},
    {13394, 13394, 209, 9},  {13398, 13398, 209, 9},  {13401, 13401, 209, 9},  {13390, 13390, 209, 10},
    {13395, 13395, 209, 10}, {13399, 13399, 209, 10}, {13402, 13402, 209, 10}, {14006, 14007, 209, 11},
    {13452, 13454, 1193, 1}, {13657, 13658, 545, 1},  {13862, 13864, 549, 1},  {13866, 13866, 549, 1},
    {13870, 13870, 549, 1},  {13877, 13886, 549, 1},  {13888, 13888, 549, 1},  {13896, 13896, 549, 1},
    {14113, 14113, 550, 1},
};

// ---- 2: two tests ------------------------------------------------------------------------------
struct DoubleTest {
  uint16_t first, last;
  uint16_t optionA;
  int32_t valueA;
  uint16_t optionB;
  int32_t valueB;
};
constexpr DoubleTest kDouble[] = {
    {1104, 1104, 130, 1, 131, 0},      {1022, 1029, 60, 1, 117, 1},       {13075, 13075, 60, 1, 117, 1},
    {1034, 1034, 60, 1, 117, 2},       {13076, 13076, 60, 1, 117, 2},     {1035, 1036, 60, 1, 117, 3},
    {13287, 13289, 68, 1, 605, 256},   {13654, 13654, 545, 1, 695, 5},    {13655, 13655, 545, 1, 695, 6},
    {13656, 13656, 545, 1, 695, 7},
};

// ---- 3: two tests per occurrence ---------------------------------------------------------------
struct OccurrenceTest {
  uint16_t label;
  uint16_t occurrence;
  uint16_t optionA;
  int32_t valueA;
  uint16_t optionB;  // 0: only the first test
  int32_t valueB;
};
constexpr OccurrenceTest kOccurrence[] = {
    {1021, 0, 60, 1, 117, 1}, {1021, 1, 60, 1, 117, 2}, {1030, 0, 60, 1, 117, 1}, {1030, 1, 60, 1, 117, 2},
    {1031, 0, 60, 1, 117, 1}, {1031, 1, 60, 1, 117, 2}, {1032, 0, 60, 1, 117, 1}, {1032, 1, 60, 1, 117, 2},
    {1033, 0, 60, 1, 117, 1}, {1033, 1, 60, 1, 117, 2}, {1033, 2, 60, 1, 117, 3}, {1203, 0, 60, 1, 117, 1},
    {1125, 0, 130, 1, 131, 1}, {1125, 1, 130, 1, 131, 1}, {1125, 2, 130, 1, 131, 1}, {1125, 3, 130, 1, 131, 1},
    {1043, 0, 67, 1, 100, 1}, {1043, 1, 67, 1, 101, 1}, {1043, 2, 67, 1, 102, 1},
    {1044, 0, 67, 1, 100, 1}, {1044, 1, 67, 1, 101, 1}, {1044, 2, 67, 1, 102, 1},
};

// ---- 4: one test per occurrence ----------------------------------------------------------------
constexpr OccurrenceTest kOccurrenceSingle[] = {
    {243, 0, 130, 0, 0, 0},  {243, 1, 130, 0, 0, 0},  {243, 2, 130, 0, 0, 0},  {243, 3, 130, 0, 0, 0},
    {1113, 0, 130, 1, 0, 0}, {1113, 1, 130, 1, 0, 0}, {1113, 2, 130, 1, 0, 0}, {1113, 3, 130, 1, 0, 0},
    {1201, 0, 56, 1, 0, 0},  {1201, 1, 56, 1, 0, 0},
};

// ---- 5: one test and one of two values ---------------------------------------------------------
struct EitherTest {
  uint16_t label;
  uint16_t optionA;
  int32_t valueA;
  uint16_t optionB;
  int32_t valueB1, valueB2;
};
constexpr EitherTest kEither[] = {
    {1047, 67, 1, 95, 1, 3}, {1048, 67, 1, 95, 2, 4}, {1049, 67, 1, 95, 1, 2}, {1050, 67, 1, 95, 3, 4},
};

// ---- 6: by the control that shows the line's option ------------------------------------------------
struct ControlTest {
  uint16_t label;
  uint16_t dialogId;
  uint16_t controlId;
  uint16_t option;
  int32_t value;
};
constexpr ControlTest kByControl[] = {
    {1145, 1030, 2861, 65, 1}, {1145, 1031, 2863, 64, 1}, {1145, 1043, 2865, 66, 1}, {1145, 4014, 2855, 70, 1},
};

// ---- 7: by the kind of system --------------------------------------------------------------------
constexpr uint16_t kOptOsKind = 730;  // zdmOSKind
struct SystemTest {
  uint16_t label;
  int32_t values[4];  // 0 ends the list early
};
constexpr SystemTest kBySystem[] = {
    {1057, {1, 2, 0, 0}},  {1148, {1, 2, 0, 0}},  {13182, {1, 2, 0, 0}}, {1103, {2, 3, 0, 0}},
    {1104, {2, 3, 0, 0}},  {1113, {2, 3, 0, 0}},  {1125, {2, 3, 0, 0}},  {13455, {2, 3, 0, 0}},
};

// ---- 8: a text to show ------------------------------------------------------------------------
struct TextTest {
  uint16_t label;
  uint16_t option;
};
constexpr TextTest kTextPresent[] = {{13333, 10271}, {13334, 10272}, {13335, 203}};

// ---- 9: an add-on tool -------------------------------------------------------------------------
struct AddOnTest {
  uint16_t label;
  int kind;
  int expected;
};
constexpr AddOnTest kAddOn[] = {{13420, kAddOnJobBinding, 1}};

// ---- 10: a model item ---------------------------------------------------------------------------
struct ItemTest {
  uint16_t label;
  uint16_t setting;
};
constexpr ItemTest kItemPresent[] = {
    {1058, 201},  {13422, 211}, {13421, 212}, {13423, 213}, {13420, 215},    {13424, 217},    {13425, 218},
    {13426, 219}, {13427, 220}, {14043, 221}, {13451, 1193}, {13460, 178},   {13456, 10354}, {13457, 10355},
};

template <typename Row, size_t N>
const Row* FirstByRange(const Row (&rows)[N], uint16_t label) {
  for (const Row& row : rows)
    if (label >= row.first && label <= row.last) return &row;
  return nullptr;
}

template <typename Row, size_t N>
const Row* FirstByLabel(const Row (&rows)[N], uint16_t label) {
  for (const Row& row : rows)
    if (row.label == label) return &row;
  return nullptr;
}

// The row of the per-occurrence table for this occurrence of the label; the counter advances
// whenever the table has rows for the label. NULL (pass) for an occurrence without a row.
template <size_t N>
const OccurrenceTest* ForOccurrence(const OccurrenceTest (&rows)[N], uint16_t label, FdSummaryCounter* counters) {
  if (!FirstByLabel(rows, label)) return nullptr;
  const uint16_t occurrence = FdAdvanceCounter(counters, label);
  for (const OccurrenceTest& row : rows)
    if (row.label == label && row.occurrence == occurrence) return &row;
  return nullptr;
}

bool Holds(DriverContext* ctx, const OccurrenceTest* row) {
  if (!row) return true;
  if (Value(ctx, row->optionA) != row->valueA) return false;
  return !row->optionB || Value(ctx, row->optionB) == row->valueB;
}

bool ByControl(DriverContext* ctx, const SummaryLine* line) {
  const OptionEntry* second = line->secondOption ? OptFind(ctx, line->secondOption) : nullptr;
  for (const ControlTest& row : kByControl) {
    if (row.label != line->label || !second) continue;
    DialogDescriptor* dialog = OptFindDialog(ctx, row.dialogId);
    const ControlDescriptor* control = dialog ? OptFindControl(ctx, dialog, row.controlId) : nullptr;
    if (control && second->nameIndex && control->nameIndex == second->nameIndex) return Value(ctx, row.option) == row.value;
  }
  return true;
}

}  // namespace

uint16_t FdAdvanceCounter(FdSummaryCounter* counters, uint16_t label) {
  for (int i = 0; i < kFdSummaryCounterSlots; ++i) {
    FdSummaryCounter& c = counters[i];
    if (c.label == label) return c.count++;
    if (c.label == 0) {
      c.label = label;
      c.count = 1;
      return 0;
    }
  }
  return 0xFFFF;  // more labels than slots: an occurrence no row names, which passes
}

int FdIsSummaryLineShown(DriverContext* ctx, const SummaryLine* line, FdSummaryCounters* counters, int* emptyLine) {
  if (emptyLine) *emptyLine = 0;
  if (!ctx || !line || !counters) return 0;
  const uint16_t label = line->label;
  bool shown = true;
  if (const SingleTest* t = FirstByRange(kSingle, label)) shown &= Value(ctx, t->option) == t->value;
  if (const DoubleTest* t = FirstByRange(kDouble, label))
    shown &= Value(ctx, t->optionA) == t->valueA && Value(ctx, t->optionB) == t->valueB;
  // The occurrence tables are consulted for every line, so that their counters count every
  // occurrence of a label whatever the other tables decide.
  shown &= Holds(ctx, ForOccurrence(kOccurrence, label, counters->pairs));
  shown &= Holds(ctx, ForOccurrence(kOccurrenceSingle, label, counters->singles));
  if (const EitherTest* t = FirstByLabel(kEither, label)) {
    const int32_t b = Value(ctx, t->optionB);
    shown &= Value(ctx, t->optionA) == t->valueA && (b == t->valueB1 || b == t->valueB2);
  }
  shown &= ByControl(ctx, line);
  if (const SystemTest* t = FirstByLabel(kBySystem, label)) {
    const int32_t kind = Value(ctx, kOptOsKind);
    bool any = false;
    for (int32_t v : t->values) any |= v != 0 && v == kind;
    shown &= any;
  }
  if (const AddOnTest* t = FirstByLabel(kAddOn, label))
    shown &= (RegIsAddOnInstalled(t->kind, ctx) ? 1 : 0) == t->expected;
  if (const ItemTest* t = FirstByLabel(kItemPresent, label)) {
    const ModelItem* item = MdlFindActiveItem(t->setting, ctx);
    shown &= !(item && MdlIsDisabled(item, 0, ctx));
  }
  if (!shown) return 0;
  if (const TextTest* t = FirstByLabel(kTextPresent, label); t && emptyLine) {
    WCHAR text[4] = {};
    const OptionEntry* row = OptFind(ctx, t->option);
    if (!row || !OptGetStringValue(ctx, row, text, std::size(text)) || text[0] == 0) *emptyLine = 1;
  }
  return 1;
}
