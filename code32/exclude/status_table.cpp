// The status table with its handlers, the function-switch table and the object-variant table.
#include <array>

#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"

namespace {

struct StatusRowData {
  uint32_t id;
  uint32_t enabled;
  uint32_t recordVersion;
  uint16_t mainOption;
  uint16_t related[kStatusRelatedOptions];
};

constexpr StatusRowData kStatusRowData[] = {
#include "status_rows.inc"
};
static_assert(std::size(kStatusRowData) == kStatusRowCount);

// The handler tables of the handler files, in the order they are searched.
const StatusHandlers* const kHandlerTables[] = {kPlainStatusHandlers,  kLayoutStatusHandlers, kPaperStatusHandlers,
                                               kJobStatusHandlers,    kColourStatusHandlers, kOutputStatusHandlers,
                                               kAccountStatusHandlers, kPageMarkStatusHandlers, kBindingStatusHandlers};

const StatusHandlers* FindHandlers(uint32_t id) {
  for (const StatusHandlers* table : kHandlerTables)
    for (const StatusHandlers* h = table; h->id; ++h)
      if (h->id == id) return h;
  return nullptr;
}

const std::array<StatusRow, kStatusRowCount>& Rows() {
  static const std::array<StatusRow, kStatusRowCount> rows = [] {
    std::array<StatusRow, kStatusRowCount> out{};
    for (size_t i = 0; i < out.size(); ++i) {
      const StatusRowData& d = kStatusRowData[i];
      StatusRow& r = out[i];
      r.id = d.id;
      r.enabled = d.enabled;
      r.recordVersion = d.recordVersion;
      r.mainOption = d.mainOption;
      for (int j = 0; j < kStatusRelatedOptions; ++j) r.related[j] = d.related[j];
      if (const StatusHandlers* h = FindHandlers(d.id)) {
        r.setHandler = h->setHandler;
        r.postSetCheck = h->postSetCheck;
        r.getHandler = h->getHandler;
      }
    }
    return out;
  }();
  return rows;
}

constexpr FunctionSwitchRow kFunctionSwitchTable[] = {
    {11, kApiOptFuncSelectScale, 0},   {12, 65, 3},  {13, 64, 2},  {14, 56, 0},
    {15, kApiOptFuncSelectDuplex, 0},  {17, kApiOptFuncSelectWaterMark, 0},
    {18, kApiOptFuncSelectMargin, 0},  {19, kApiOptFuncSelectSort, 0},
    {20, kApiOptFuncSelectStaple, 0},  {21, kApiOptFuncSelectPunch, 0},
    {262, kApiOptUseUserMacro, 0},     {264, 68, 0},  {51, kApiOptFuncSelectFold, 0},
    {55, 79, 0},                       {58, 388, 0},  {79, 545, 0},  {80, 549, 0},
    {81, 71, 0},                       {82, 550, 0},  {83, kApiOptFuncSelectFold, 0},
};
static_assert(std::size(kFunctionSwitchTable) == 20);

struct ObjectVariantRow {
  uint16_t option;
  uint16_t text;
  uint16_t line;
  uint16_t image;
  uint16_t unused[2];
};

constexpr ObjectVariantRow kObjectVariantTable[] = {
    {137, 990, 991, 992, {}},    {133, 984, 985, 986, {}},    {134, 987, 988, 989, {}},
    {132, 981, 982, 983, {}},    {163, 1075, 1091, 1107, {}}, {138, 993, 994, 995, {}},
    {139, 996, 997, 998, {}},    {140, 999, 1000, 1001, {}},  {141, 1002, 1003, 1004, {}},
    {142, 1005, 1006, 1007, {}}, {143, 1008, 1009, 1010, {}}, {0, 0, 0, 0, {}},
};

}  // namespace

const StatusRow* StatusRowOfId(uint32_t id) {
  size_t index;
  if (id >= 1 && id <= 84) index = id - 1;
  else if (id >= 257 && id <= 269) index = 84 + (id - 257);
  else return nullptr;
  return &Rows()[index];
}

const StatusRow* StatusRowById(uint32_t id) {
  if (id == 0 || !ApiIsStatusIdKnown(id)) return nullptr;
  return StatusRowOfId(id);
}

uint16_t ApiFindSwitchOption(uint32_t statusId, const FunctionSwitchRow** rowOut) {
  for (const FunctionSwitchRow& row : kFunctionSwitchTable) {
    if (row.statusId != statusId) continue;
    if (rowOut) *rowOut = &row;
    return row.switchOption;
  }
  if (rowOut) *rowOut = nullptr;
  return 0;
}

uint16_t ApiGetObjectVariant(DriverContext*, uint16_t option, int object) {
  if (object < 0 || object > 2) return option;
  for (const ObjectVariantRow* row = kObjectVariantTable; row->option; ++row) {
    if (row->option != option) continue;
    return object == 0 ? row->text : object == 1 ? row->line : row->image;
  }
  return option;
}
