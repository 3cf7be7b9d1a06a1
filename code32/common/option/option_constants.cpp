// The constant lookup tables of the option model. The rows are data files of their own
// (legal_value_*.inc, fixed_id_*.inc, page_control_rows.inc, finisher_code_rows.inc).
#include "option_constants.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "option_access.h"

namespace {

#include "legal_value_lists.inc"
#include "fixed_id_lists.inc"

constexpr LegalValueList kLegalValueTable[] = {
#include "legal_value_rows.inc"
    {0, 0, nullptr},
};
static_assert(std::size(kLegalValueTable) == 274 + 1);

constexpr FixedIdList kFixedListTable[] = {
#include "fixed_id_rows.inc"
};
static_assert(std::size(kFixedListTable) == 14);
constexpr uint16_t kFixedListLast = 12;

constexpr PageControlEntry kPageControlTable[] = {
#include "page_control_rows.inc"
};
static_assert(std::size(kPageControlTable) == 11);

constexpr FinisherCodeEntry kFinisherCodeTable[] = {
#include "finisher_code_rows.inc"
};
static_assert(std::size(kFinisherCodeTable) == 35 + 1);

constexpr NupCountEntry kNupCountTable[] = {{0, 1}, {1, 2}, {2, 4}, {3, 9}, {4, 16}};

constexpr uint32_t kA4FitPaperList[] = {0};

constexpr uint16_t kCustomMediaSlots = 16;
constexpr std::array<CustomMediaSlot, kCustomMediaSlots + 1> MakeCustomMediaTable() {
  std::array<CustomMediaSlot, kCustomMediaSlots + 1> rows{};
  for (uint16_t n = 1; n <= kCustomMediaSlots; ++n)
    rows[n - 1] = {n, static_cast<uint16_t>(13707 + n), static_cast<uint16_t>(1582 + n),
                   static_cast<uint16_t>(1598 + n), static_cast<uint16_t>(1614 + n)};
  return rows;
}
constexpr auto kCustomMediaTable = MakeCustomMediaTable();

constexpr ResolutionEntry kResolutionTable[] = {
#include "resolution_rows.inc"
    {0, 0, 0},
};

struct DisplayRemap {
  uint16_t from;
  uint16_t to;
};
constexpr DisplayRemap kDisplayRemap[] = {
#include "value_id_remap_rows.inc"
};
static_assert(std::size(kDisplayRemap) == 40 + 1);

constexpr ValueRemapRule kValueRemapRules[] = {{0, 0, 0}};
constexpr AdjustRangeEntry kAdjustRangeTable[] = {{0, 0, 0, 0, 0}};

constexpr char kOtherText[] = "A282020207d014";

constexpr uint16_t kOptUseUserMacro = 176;
constexpr uint16_t kOptBalanceMacro = 178;
constexpr uint16_t kOptOther = 10274;

bool Contains(const uint32_t* values, uint32_t count, int32_t value) {
  for (uint32_t i = 0; i < count; ++i)
    if (static_cast<int32_t>(values[i]) == value) return true;
  return false;
}

}  // namespace

// ---- legal values ---------------------------------------------------------------------------------

const LegalValueList* OptGetLegalValueTable() { return kLegalValueTable; }

namespace {

// The first list of each option, by option ID: the table is constant, so the index is built once.
class LegalValueIndex {
 public:
  LegalValueIndex() {
    uint32_t last = 0;  // a list beyond 16 bits is never asked for
    for (const LegalValueList* row = kLegalValueTable; row->option != 0; ++row)
      if (row->option <= 0xFFFF) last = std::max(last, row->option);
    lists_.assign(size_t{last} + 1, nullptr);
    for (const LegalValueList* row = kLegalValueTable; row->option != 0; ++row)
      if (row->option <= 0xFFFF && !lists_[row->option]) lists_[row->option] = row;
  }
  const LegalValueList* Find(uint16_t option) const { return option < lists_.size() ? lists_[option] : nullptr; }

 private:
  std::vector<const LegalValueList*> lists_;
};

}  // namespace

const LegalValueList* OptGetLegalValues(uint16_t option) {
  if (option == 0) return nullptr;
  static const LegalValueIndex index;
  return index.Find(option);
}

int OptIsLegalValue(uint16_t option, int32_t value) {
  const LegalValueList* row = OptGetLegalValues(option);
  if (!row) return 0;
  for (uint32_t i = 0; i < row->count; ++i)
    if (row->values[i] == value) return 1;
  return 0;
}

// ---- fixed id lists -------------------------------------------------------------------------------

const FixedIdList* OptGetFixedListTable(uint16_t* count) {
  if (count) *count = static_cast<uint16_t>(std::size(kFixedListTable));
  return kFixedListTable;
}

const FixedIdList* OptGetFixedList(uint16_t n) { return n <= kFixedListLast ? &kFixedListTable[n] : nullptr; }

int OptIsInFixedList(uint16_t n, int32_t value) { return OptListContains(OptGetFixedList(n), value); }

int OptListContains(const FixedIdList* list, int32_t value) {
  return list && list->values && Contains(list->values, list->count, value) ? 1 : 0;
}

// ---- value ids shown as text ----------------------------------------------------------------------

uint32_t OptRemapDisplayValueId(uint32_t valueId) {
  for (const DisplayRemap* p = kDisplayRemap; p->from != 0; ++p)
    if (p->from == valueId) valueId = p->to;
  return valueId;
}

// ---- page controls, finishers, N-up ---------------------------------------------------------------

const PageControlEntry* OptGetPageControlTable() { return kPageControlTable; }

int OptGetPageControlCount() { return static_cast<int>(std::size(kPageControlTable)); }

const PageControlEntry* OptFindPageControl(uint16_t option) {
  for (const PageControlEntry& row : kPageControlTable)
    if (row.option == option) return &row;
  return nullptr;
}

const FinisherCodeEntry* OptGetFinisherCodeTable() { return kFinisherCodeTable; }

const FinisherCodeEntry* OptFindInstalledFinisher(DriverContext* ctx) {
  const FinisherCodeEntry* row = kFinisherCodeTable;
  for (; row->option != 0xFFFF; ++row)
    if (OptGetValue(ctx, row->option, nullptr) != 0) return row;
  return row;
}

int OptIsFinisherCode(uint16_t code, uint8_t selector) {
  if (code == kFinisherCodeNone) return 0;
  for (const FinisherCodeEntry* row = kFinisherCodeTable; row->option != 0xFFFF; ++row)
    if ((selector == kFinisherSelectorB ? row->codeB : row->codeA) == code) return 1;
  return 0;
}

const NupCountEntry* OptGetNupCountTable(int* count) {
  if (count) *count = static_cast<int>(std::size(kNupCountTable));
  return kNupCountTable;
}

// ---- paper, resolution macro, fixed texts ---------------------------------------------------------

const uint32_t* OptGetA4FitPaperList() { return kA4FitPaperList; }

int OptIsA4FitPaper(DriverContext*, int16_t paperCode) {
  for (const uint32_t* p = kA4FitPaperList; *p != 0; ++p)
    if (static_cast<int32_t>(*p) == paperCode) return 1;
  return 0;
}

void OptApplyBalanceMacro(int16_t resolution, DriverContext* ctx) {
  if (OptGetValue(ctx, kOptUseUserMacro, nullptr) != 0) return;
  const bool standard = resolution == 200 || resolution == 300 || resolution == 400 || resolution == 600;
  OptSetValue(ctx, kOptBalanceMacro, standard ? 17 : 18);
}

const char* OptGetOtherText(uint8_t) { return kOtherText; }

void OptSetOtherString(DriverContext* ctx) {
  OptionEntry* row = ctx ? OptFind(ctx, kOptOther) : nullptr;
  if (!row) return;
  char buffer[256] = {};
  const size_t size = TypeSize(row->typeWord);
  if (size > sizeof buffer) return;
  std::memcpy(buffer, kOtherText, std::min(size, sizeof kOtherText - 1));
  OptWriteValueBytes(ctx, row, buffer);
}

// ---- build constants ------------------------------------------------------------------------------

int OptHasUserCodeFile() { return 0; }
int OptHasJobControl() { return 1; }
int OptGetForcedPrintQuality(DriverContext*) { return 0; }

// ---- further constant tables ----------------------------------------------------------------------

const CustomMediaSlot* OptGetCustomMediaTable() { return kCustomMediaTable.data(); }
const ResolutionEntry* OptGetResolutionTable() { return kResolutionTable; }
const ValueRemapRule* OptGetValueRemapRules() { return kValueRemapRules; }
const AdjustRangeEntry* OptGetAdjustRangeTable() { return kAdjustRangeTable; }
