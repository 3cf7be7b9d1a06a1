// Which values of a command-table setting can be chosen on the current printer: the set in
// use, the row search, the lock overrides and the trial of one value.
#include <algorithm>

#include "command_table.h"
#include "core_memory.h"
#include "option_access.h"
#include "option_values.h"

namespace {

constexpr uint16_t kOptModelType = 1263;       // wdmModelType
constexpr uint16_t kOptNupType = 92;           // zdmNUPType
constexpr uint16_t kOptNupLockedKind = 1238;   // wdmLock003Info: the N-up kind the lock allows

int32_t ModelType(DriverContext* ctx) { return OptGetValue(ctx, kOptModelType, nullptr); }

int32_t Value(DriverContext* ctx, DWORD id) { return OptGetValue(ctx, static_cast<uint16_t>(id), nullptr); }

// The value a lock override fixes the row's setting to, when one is in force and the row's
// list has that value.
bool LockedValue(DriverContext* ctx, const CommandEntry* entry, int32_t* locked) {
  int count = 0;
  const LockOverride* rows = MdlLockOverrides(&count);
  const int length = MdlGetValueListLength(entry->values);
  for (int i = 0; i < count; ++i) {
    const LockOverride& row = rows[i];
    if (row.settingId != entry->optionId || Value(ctx, row.lockBitOption) == 0) continue;
    const int32_t value = Value(ctx, row.lockedValueOption);
    for (int k = 0; k < length; ++k) {
      if (static_cast<int32_t>(entry->values->values[k].value) == value) {
        *locked = value;
        return true;
      }
    }
  }
  return false;
}

}  // namespace

const CommandTable* MdlGetValueTable(DriverContext* ctx) {
  return ModelType(ctx) == 2 ? MdlAlternateCommandTable() : MdlStandardCommandTable();
}

int MdlGetValueTableRowCount(DriverContext* ctx) {
  const int32_t type = ModelType(ctx);
  return type == 1 || type == 2 ? static_cast<int>(kCommandRowCount) : 0;
}

// The length is the list's own count. (Taking it from a separate list of known lists would
// leave a list that is missing there, such as BOOKLET's, without values.)
int MdlGetValueListLength(const CommandValueList* list) {
  return list && list->values ? static_cast<int>(list->count) : 0;
}

const CommandEntry* MdlFindValueTableRow(DriverContext* ctx, WORD settingId, DWORD kinds) {
  if (settingId == 0) return nullptr;
  const CommandTable* table = MdlGetValueTable(ctx);
  const int rows = std::min(MdlGetValueTableRowCount(ctx), static_cast<int>(table->rowCount));
  for (int i = 0; i < rows; ++i) {
    const CommandEntry* entry = &table->rows[i];
    if (entry->optionId != settingId || (entry->kinds & kinds) == 0) continue;
    if (!OptTestConditionChain(ctx, entry->conditions)) continue;
    return entry;
  }
  return nullptr;
}

int MdlTryValue(DriverContext* ctx, const CommandEntry* entry, const CommandValue* value) {
  if (!entry || !value) return 0;
  if (!OptTestConditionChain(ctx, value->conditions)) return 0;
  // The N-up kind lock: no "off", and only the locked kind unless every kind is allowed.
  if (entry->optionId == kOptNupType && OptHasAnyLock(ctx) && OptIsNupKindLocked(ctx)) {
    if (value->value == 0) return 0;
    if (OptIsNupKindAllLocked(ctx)) return 1;
    if (!value->assigns) return 1;
    return static_cast<int32_t>(value->assigns->value) == OptGetValue(ctx, kOptNupLockedKind, nullptr) ? 1 : 0;
  }
  return 1;
}

int MdlCollectSelectableValues(DriverContext* ctx, const CommandEntry* entry, DWORD leaveOut, int capacity,
                               int32_t* values, int32_t* count) {
  int32_t ignored = 0;
  if (!count) count = &ignored;
  *count = 0;
  const int length = entry ? MdlGetValueListLength(entry->values) : 0;
  if (length <= 0) return 0;

  auto* found = static_cast<int32_t*>(CtxAllocMem(static_cast<DWORD>(length) * sizeof(int32_t)));
  if (!found) return -1;
  int n = 0;
  int32_t locked = 0;
  if (LockedValue(ctx, entry, &locked)) {
    found[n++] = locked;
  } else {
    for (int i = 0; i < length; ++i) {
      const CommandValue* value = &entry->values->values[i];
      if (value->flags & leaveOut) continue;
      if (MdlTryValue(ctx, entry, value)) found[n++] = static_cast<int32_t>(value->value);
    }
  }

  int result = 0;
  *count = n;
  if (n > 0) {
    if (values && capacity >= n)
      std::copy_n(found, n, values);
    else
      result = 1;
  }
  MdlFreeMem(found);
  return result;
}

int MdlGetSelectableValues(DriverContext* ctx, WORD settingId, int capacity, int32_t* values, int32_t* count) {
  if (count) *count = 0;
  return MdlCollectSelectableValues(ctx, MdlFindValueTableRow(ctx, settingId, kCommandKindSelect), 0, capacity,
                                    values, count);
}

int MdlHasSelectableValue(DriverContext* ctx, WORD settingId) {
  int32_t count = 0;
  const int result = MdlCollectSelectableValues(ctx, MdlFindValueTableRow(ctx, settingId, kCommandKindSelect),
                                                kCommandValueNoOwnValue, 0, nullptr, &count);
  return result == 1 ? 1 : 0;
}
