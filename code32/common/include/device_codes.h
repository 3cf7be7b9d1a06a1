// Translation of the device's own codes (trays, paper, media, installed options) into option
// ids and option values, and the pick of one default tray out of several.
#pragma once

#include <cstdint>

#include "driver_context.h"

// One row of a translation table: an option id or value for a device code. A table ends with a
// row whose first field is 0, so "no paper" and "no media" are kept as 2048 and 2049 and turned
// into 0 by the lookups. Stored layout: 8 bytes.
struct DeviceCodeRow {
  uint16_t value;  // option id or option value
  uint16_t reserved;
  uint32_t code;   // the device's code
};
static_assert(sizeof(DeviceCodeRow) == 8);

// The place-holder values of the tables.
constexpr uint16_t kDeviceNoPaper = 2048;
constexpr uint16_t kDeviceNoMedia = 2049;

// The six columns of the tray tables.
enum class DeviceTrayColumn : int {
  kInstalled = 0,    // zdmTrayField<n>: the tray is installed
  kOrientation = 1,  // zdmTrayOrient<n>: the loaded paper is fed the other way
  kPaper = 2,        // zdmTray<n+1>Paper...
  kMedia = 3,        // zdmTray<n+1>Media...
  kLock = 4,         // zdmTrayLock<n>
  kBin = 5,          // the paper source value used for default trays
};

// Entries of the default-tray priority list that count.
constexpr int kDevicePriorityTrays = 24;

// The first field of the first row with the code; 0 when none (the end row stops the walk).
WORD BidiLookupCode(DWORD code, const DeviceCodeRow* table);

// The tray table of a column in force: the model's own when its first row is not all zero,
// else the fixed one. Never NULL.
const DeviceCodeRow* BidiTrayTable(DeviceTrayColumn column);
// The option (or, for kBin, the paper source value) of a tray code in a column; 0 when the code
// is not in the table.
WORD BidiTrayCodeToOption(DWORD trayCode, DeviceTrayColumn column);
// The paper source value of a device tray code; 0 for a code not in the table.
WORD BidiTrayCodeToBin(DWORD trayCode);

// The paper value of a device paper code; *rotated := 0 when found among the codes of paper fed
// in the normal direction, else 1 (then looked up among the rotated codes). No paper, or no
// match: 0. rotated may be NULL.
WORD BidiPaperCodeToValue(DWORD paperCode, DWORD* rotated);
// The zdmMediaType value of a device media code; 0 for no media or no match.
WORD BidiMediaCodeToValue(DWORD mediaCode);
// The option of an installed device option: the model family's table is empty, so always 0.
WORD BidiOptionCodeToOption(DWORD optionCode, DriverContext* ctx);

// The tray code of the list that stands highest in the priority list (earlier entries win
// ties, zero codes are skipped); 0 when none of them is among its first 24 positions.
WORD BidiPickPriorityTray(const DWORD* trayCodes, DWORD count);

// The tables themselves, for checks: the fixed tray table of a column, the paper, rotated paper
// and media tables, and the priority list (kDevicePriorityTrays entries).
const DeviceCodeRow* BidiFixedTrayTable(DeviceTrayColumn column);
const DeviceCodeRow* BidiPaperCodeTable();
const DeviceCodeRow* BidiRotatedPaperCodeTable();
const DeviceCodeRow* BidiMediaCodeTable();
const DWORD* BidiPriorityTrayList();
