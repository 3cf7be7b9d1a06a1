// Constant lookup tables of the option model: legal values of options, fixed id lists, the
// page-control table, finisher codes, the N-up table, and the small tables and build
// constants that several subsystems search.
#pragma once

#include <cstdint>

#include "driver_context.h"

// Every stored value the driver accepts for an option.
struct LegalValueList {
  uint32_t option;  // 0 ends the table
  uint32_t count;
  const int32_t* values;
};

// A fixed list of ids or values; the first field is always 0xFFFF.
struct FixedIdList {
  uint32_t marker;
  uint32_t count;
  const uint32_t* values;
};

struct PageControlEntry {
  uint16_t option;
  uint16_t dialogId;  // the page that shows the option
  uint16_t controlId;
};

// Codes of an installed finisher option; 0xFFFF: no code. The table ends with option 0xFFFF.
struct FinisherCodeEntry {
  uint16_t option;
  uint16_t codeA;
  uint16_t codeB;
};

constexpr uint16_t kFinisherCodeNone = 0xFFFF;
constexpr uint8_t kFinisherSelectorB = 0x20;

struct NupCountEntry {
  uint32_t kind;
  uint32_t pagesPerSheet;
};

// A custom-media slot: its number (1-16), the string id of its label, and its three options.
struct CustomMediaSlot {
  uint16_t slot;
  uint16_t stringId;
  uint16_t quotOption;     // wdmCustomMedia<n>Quot
  uint16_t nameOption;     // wdmCustomMedia<n>Name
  uint16_t charSetOption;  // wdmMedia<n>NameCharSet
};

// A resolution choice (zdmDstResolutionBoth value 0 ends the table).
struct ResolutionEntry {
  uint16_t value;
  uint16_t xDpi;
  uint16_t yDpi;
};

// A value remap rule (from value id 0 ends the table).
struct ValueRemapRule {
  uint16_t fromValueId;
  uint16_t toValueId;
  uint16_t conditionOption;
};

// Adjustment range of a signed length option, in 0.1 mm and 0.01 inch (option 0 ends).
struct AdjustRangeEntry {
  uint16_t option;
  int16_t metricMin;
  int16_t metricMax;
  int16_t inchMin;
  int16_t inchMax;
};

// ---- legal values -----------------------------------------------------------------------------

const LegalValueList* OptGetLegalValueTable();           // 274 rows and the end row
const LegalValueList* OptGetLegalValues(uint16_t option);  // NULL when the option has no row
int OptIsLegalValue(uint16_t option, int32_t value);       // 0 also without a row

// ---- fixed id lists ---------------------------------------------------------------------------

// The 14 rows (numbers 0-12 hold lists; row 13 is empty); *count := 14 when count is given.
const FixedIdList* OptGetFixedListTable(uint16_t* count);
const FixedIdList* OptGetFixedList(uint16_t n);  // NULL for n above 12
int OptIsInFixedList(uint16_t n, int32_t value);  // 0 for n above 12
int OptListContains(const FixedIdList* list, int32_t value);

// ---- value ids shown as text -----------------------------------------------------------------

// The value id whose text shows a list value: the fixed remap list walked from start to end,
// each pair whose "from" matches replacing the value id (later pairs see the replaced id).
uint32_t OptRemapDisplayValueId(uint32_t valueId);

// ---- page controls, finishers, N-up -----------------------------------------------------------

const PageControlEntry* OptGetPageControlTable();
int OptGetPageControlCount();  // 11
const PageControlEntry* OptFindPageControl(uint16_t option);

const FinisherCodeEntry* OptGetFinisherCodeTable();
// The first row whose option is non-zero in the context, else the end row.
const FinisherCodeEntry* OptFindInstalledFinisher(DriverContext* ctx);
// 1 when the code is code B (selector 0x20) or code A (any other selector) of some row; the
// "no code" mark and the end row never match.
int OptIsFinisherCode(uint16_t code, uint8_t selector);

const NupCountEntry* OptGetNupCountTable(int* count);  // 5 rows

// ---- paper, resolution macro, fixed texts -----------------------------------------------------

const uint32_t* OptGetA4FitPaperList();  // empty (only the terminating 0)
int OptIsA4FitPaper(DriverContext* ctx, int16_t paperCode);  // 0 for every code
// Unless zdmUseUserMacro (176) is set: zdmBalanceMacro (178) := 17 for 200, 300, 400 and 600
// dpi, else 18.
void OptApplyBalanceMacro(int16_t resolution, DriverContext* ctx);
// The fixed text of zdmOther, whatever the selector.
const char* OptGetOtherText(uint8_t selector);
// Writes that text into zdmOther (10274), zero-padded to the field's size.
void OptSetOtherString(DriverContext* ctx);

// ---- build constants --------------------------------------------------------------------------

int OptHasUserCodeFile();                         // 0
int OptHasJobControl();                           // 1
int OptGetForcedPrintQuality(DriverContext* ctx);  // 0: none

// ---- further constant tables ------------------------------------------------------------------

const CustomMediaSlot* OptGetCustomMediaTable();      // 16 rows and a zero row
const ResolutionEntry* OptGetResolutionTable();       // the resolution choices and the end row
const ValueRemapRule* OptGetValueRemapRules();        // empty: the end row only
const AdjustRangeEntry* OptGetAdjustRangeTable();     // empty: the end row only
