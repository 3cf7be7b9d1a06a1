// Translation of the device's codes into option ids and option values.
#include "device_codes.h"

#include <array>
#include <cstddef>

namespace {

// A row of the combined tray table, from which the six column tables are built.
struct TrayRow {
  uint32_t code;
  uint16_t installed, orientation, paper, media, lock, bin;
};

#define TRAY_ROW(code, installed, orientation, paper, media, lock, bin) \
  TrayRow{code, installed, orientation, paper, media, lock, bin},
constexpr TrayRow kTrayRows[] = {
#include "device_tray_rows.inc"
};
#undef TRAY_ROW
constexpr size_t kTrayCount = std::size(kTrayRows);
static_assert(kTrayCount == 12);

// The options of one tray lie in five runs of 32 ids each: installed bit n = 10111 + n,
// orientation 10143 + n, paper 10175 + n, media 10207 + n, lock 10239 + n.
constexpr bool TrayRowsConsistent() {
  for (const TrayRow& r : kTrayRows) {
    if (r.installed < 10111 || r.installed > 10142) return false;
    if (r.orientation != r.installed + 32 || r.paper != r.installed + 64 || r.media != r.installed + 96 ||
        r.lock != r.installed + 128)
      return false;
    if (r.code == 0 || r.bin == 0) return false;
  }
  return true;
}
static_assert(TrayRowsConsistent());

using TrayTable = std::array<DeviceCodeRow, kTrayCount + 1>;

constexpr uint16_t Column(const TrayRow& r, int column) {
  switch (column) {
    case 0: return r.installed;
    case 1: return r.orientation;
    case 2: return r.paper;
    case 3: return r.media;
    case 4: return r.lock;
    default: return r.bin;
  }
}

constexpr TrayTable MakeTrayTable(int column) {
  TrayTable table{};
  for (size_t i = 0; i < kTrayCount; ++i) table[i] = {Column(kTrayRows[i], column), 0, kTrayRows[i].code};
  return table;  // the last row stays zero: the end row
}

constexpr std::array<TrayTable, 6> kFixedTrayTables = {MakeTrayTable(0), MakeTrayTable(1), MakeTrayTable(2),
                                                       MakeTrayTable(3), MakeTrayTable(4), MakeTrayTable(5)};

// The model family's own tray tables: all empty, so the fixed tables are in force.
constexpr DeviceCodeRow kModelTrayTables[6][1] = {};

constexpr DeviceCodeRow kPaperCodes[] = {
#include "device_paper_rows.inc"
    {0, 0, 0},
};
static_assert(std::size(kPaperCodes) == 55 + 1);

constexpr DeviceCodeRow kRotatedPaperCodes[] = {
#include "device_rotated_paper_rows.inc"
    {0, 0, 0},
};
static_assert(std::size(kRotatedPaperCodes) == 29 + 1);

constexpr DeviceCodeRow kMediaCodes[] = {
#include "device_media_rows.inc"
    {0, 0, 0},
};
static_assert(std::size(kMediaCodes) == 47 + 1);

// The installed-option table of the model family: empty.
constexpr DeviceCodeRow kDeviceOptionCodes[] = {{0, 0, 0}};

// Every row but the end row has a value; the code tables hold no "no media" paper value and no
// "no paper" media value beyond the single rows that stand for them.
constexpr bool RowsHaveValues(const DeviceCodeRow* rows, size_t count) {
  for (size_t i = 0; i + 1 < count; ++i)
    if (rows[i].value == 0 || rows[i].reserved != 0) return false;
  return rows[count - 1].value == 0;
}
static_assert(RowsHaveValues(kPaperCodes, std::size(kPaperCodes)));
static_assert(RowsHaveValues(kRotatedPaperCodes, std::size(kRotatedPaperCodes)));
static_assert(RowsHaveValues(kMediaCodes, std::size(kMediaCodes)));

// The default-tray priority list, best first. Only the first 24 positions count; 102 is listed
// twice.
constexpr DWORD kPriorityTrays[kDevicePriorityTrays] = {3,  4,  5,  6,  7,  8,  9,   11, 2,  1,   10,  12,
                                                        51, 52, 53, 54, 60, 61, 101, 13, 70, 102, 103, 102};

bool IsEmptyTable(const DeviceCodeRow* table) { return table[0].value == 0 && table[0].reserved == 0 && table[0].code == 0; }

}  // namespace

WORD BidiLookupCode(DWORD code, const DeviceCodeRow* table) {
  if (!table) return 0;
  for (const DeviceCodeRow* row = table; row->value != 0; ++row)
    if (row->code == code) return row->value;
  return 0;
}

const DeviceCodeRow* BidiFixedTrayTable(DeviceTrayColumn column) {
  const int index = static_cast<int>(column);
  return kFixedTrayTables[index >= 0 && index < 6 ? index : 5].data();
}

const DeviceCodeRow* BidiTrayTable(DeviceTrayColumn column) {
  const int index = static_cast<int>(column);
  const DeviceCodeRow* model = kModelTrayTables[index >= 0 && index < 6 ? index : 5];
  return IsEmptyTable(model) ? BidiFixedTrayTable(column) : model;
}

WORD BidiTrayCodeToOption(DWORD trayCode, DeviceTrayColumn column) {
  return BidiLookupCode(trayCode, BidiTrayTable(column));
}

WORD BidiTrayCodeToBin(DWORD trayCode) { return BidiTrayCodeToOption(trayCode, DeviceTrayColumn::kBin); }

WORD BidiPaperCodeToValue(DWORD paperCode, DWORD* rotated) {
  WORD value = BidiLookupCode(paperCode, kPaperCodes);
  DWORD turned = 0;
  if (value == 0) {
    turned = 1;
    value = BidiLookupCode(paperCode, kRotatedPaperCodes);
  }
  if (rotated) *rotated = turned;
  return value == kDeviceNoPaper || value == kDeviceNoMedia ? 0 : value;
}

WORD BidiMediaCodeToValue(DWORD mediaCode) {
  const WORD value = BidiLookupCode(mediaCode, kMediaCodes);
  return value == kDeviceNoPaper ? 0 : value;
}

WORD BidiOptionCodeToOption(DWORD optionCode, DriverContext*) { return BidiLookupCode(optionCode, kDeviceOptionCodes); }

WORD BidiPickPriorityTray(const DWORD* trayCodes, DWORD count) {
  if (!trayCodes) return 0;
  int best = kDevicePriorityTrays;
  DWORD picked = 0;
  for (DWORD i = 0; i < count; ++i) {
    const DWORD code = trayCodes[i];
    if (code == 0) continue;
    for (int position = 0; position < best; ++position) {
      if (kPriorityTrays[position] == code) {
        best = position;
        picked = code;
        break;
      }
    }
  }
  return static_cast<WORD>(picked);
}

const DeviceCodeRow* BidiPaperCodeTable() { return kPaperCodes; }
const DeviceCodeRow* BidiRotatedPaperCodeTable() { return kRotatedPaperCodes; }
const DeviceCodeRow* BidiMediaCodeTable() { return kMediaCodes; }
const DWORD* BidiPriorityTrayList() { return kPriorityTrays; }
