// The command table: the settings that correspond to printer job-language variables, with the
// variable name and, for each value the printer language knows, its keyword, the option value
// it stands for, the settings that choosing it also sets and the conditions under which the
// current printer can offer it. The table is constant data in two sets of 37 rows that differ
// only in the output paper list; the model type picks the set.
//
// On it rest the selectable-value queries: which values of such a setting can be chosen now,
// given the installed options (the values' condition chains) and the administrator locks.
//
// All records here are in-memory constants: links are pointers, field order is kept.
#pragma once

#include <cstdint>

#include "condition_chain.h"
#include "driver_context.h"

// A setting that choosing a value also sets.
struct CommandAssign {
  const CommandAssign* next;
  DWORD mark;  // 1 on the N-up kind and balance-macro assignments
  WORD optionId;
  WORD reserved;  // 0
  DWORD value;
};

// One value of a row's list.
struct CommandValue {
  DWORD flags;  // kCommandValueNoOwnValue, kCommandValueRepeatedKeyword
  DWORD value;  // the option value
  const char* keyword;  // ANSI
  DWORD reserved1;  // 0
  const CommandAssign* assigns;
  const ConditionTest* conditions;  // must hold for the value to be offered; NULL holds
  DWORD reserved2;  // 0
};

enum : DWORD {
  kCommandValueNoOwnValue = 0x1,         // the OFF keyword of SCALETYPE and NUP
  kCommandValueRepeatedKeyword = 0x10,   // the keyword repeats an earlier one of the list
};

struct CommandValueList {
  DWORD count;
  const CommandValue* values;  // count values in an array
};

// One row: nine fields, in this order.
struct CommandEntry {
  DWORD optionId;  // the setting; a row with 0 is passed over
  DWORD reserved;  // 0
  DWORD flags;     // kCommandRowHasList or kCommandRowFreeValue, and higher bits for other readers
  DWORD kinds;     // the kinds of request the row answers
  DWORD valueType;  // item type of the setting: 1 lists, 8 numbers, 16 text
  const char* commandName;  // ANSI, the printer-language variable
  const CommandAssign* assigns;  // none in the constant sets
  const CommandValueList* values;  // NULL for a free value
  const ConditionTest* conditions;  // must hold for the row to be found; none in the constant sets
};

enum : DWORD {
  kCommandRowHasList = 0x1,
  kCommandRowFreeValue = 0x2,
};

// Kinds of request. The selectable-value queries ask for kCommandKindSelect.
enum : DWORD {
  kCommandKindSelect = 0x1,
};

struct CommandTable {
  DWORD rowCount;
  const CommandEntry* rows;
};

constexpr DWORD kCommandRowCount = 37;

// An administrator lock that fixes a setting to a stored value: while the lock-bit option is
// non-zero, the setting offers only the value of the locked-value option (when the setting's
// list has it).
struct LockOverride {
  WORD settingId;
  WORD lockBitOption;
  WORD lockedValueOption;
  WORD reserved;  // 0
};
static_assert(sizeof(LockOverride) == 8);

// ---- the constant data --------------------------------------------------------------------

// The standard and the alternative set, each with kCommandRowCount rows.
const CommandTable* MdlStandardCommandTable();
const CommandTable* MdlAlternateCommandTable();
// The lock overrides; their number goes to *count.
const LockOverride* MdlLockOverrides(int* count);

// ---- queries ------------------------------------------------------------------------------

// The set in use: the alternative set when wdmModelType is 2, else the standard set.
const CommandTable* MdlGetValueTable(DriverContext* ctx);
// kCommandRowCount when wdmModelType is 1 or 2, else 0: other model types have no rows.
int MdlGetValueTableRowCount(DriverContext* ctx);
// The number of values of a list (its own count); 0 for NULL.
int MdlGetValueListLength(const CommandValueList* list);
// The first of the counted rows for the setting whose kinds meet the asked kinds and whose
// row conditions hold; NULL when none.
const CommandEntry* MdlFindValueTableRow(DriverContext* ctx, WORD settingId, DWORD kinds);

// The values of a setting that can be chosen now, in list order: an administrator lock that
// fixes the setting to one of its values leaves only that value, else every value that
// MdlTryValue accepts. *count gets the number of values. Returns 0 when they were copied (or
// there are none), 1 when values is NULL or capacity is smaller than the count (nothing
// copied), -1 out of memory.
int MdlGetSelectableValues(DriverContext* ctx, WORD settingId, int capacity, int32_t* values, int32_t* count);
// 1 when a value of the setting, other than those marked kCommandValueNoOwnValue, can be
// chosen now, or an administrator lock fixes the setting; else 0.
int MdlHasSelectableValue(DriverContext* ctx, WORD settingId);
// 1 when the value can be offered: its conditions hold and, for zdmNUPType under the N-up kind
// lock, the value is not 0 and either every kind is allowed or the kind it sets is the locked
// one (a value that sets nothing passes). Else 0.
int MdlTryValue(DriverContext* ctx, const CommandEntry* entry, const CommandValue* value);
// The collection behind the two queries above, on a given row (NULL: no values): the lock
// overrides of the row's setting, else the values MdlTryValue accepts, leaving out values
// with any of the leaveOut flags. Same results and outputs as MdlGetSelectableValues.
int MdlCollectSelectableValues(DriverContext* ctx, const CommandEntry* entry, DWORD leaveOut, int capacity,
                               int32_t* values, int32_t* count);
