// The custom media the device reports: sixteen slots of options kept as one binary value of
// CustomMediaEntry rows in printer data.
#include <algorithm>
#include <cstring>
#include <vector>

#include "byte_order.h"
#include "lock_data.h"
#include "option_access.h"
#include "option_constants.h"
#include "prn_data.h"

namespace {

// The maximum row count: option 1581, never more than the slot table holds.
int MaxRows(DriverContext* ctx) {
  return std::clamp<int32_t>(OptGetValue(ctx, kOptCustomMediaMaxNum, nullptr), 0, kCustomMediaMaxSlots);
}

// The slot's name as stored: the option's 8-bit text up to its terminator.
void NameToEntry(DriverContext* ctx, const CustomMediaSlot& slot, CustomMediaEntry* entry) {
  OptionEntry* row = nullptr;
  const BYTE* text = OptGetValuePointer(ctx, slot.nameOption, &row);
  if (!text || !row) return;
  const size_t limit = std::min<size_t>(TypeSize(row->typeWord), sizeof entry->name - 1);
  const size_t length = strnlen(reinterpret_cast<const char*>(text), limit);
  std::memcpy(entry->name, text, length);
}

// A stored name into the slot's option, cut to the option's size with its terminator.
void NameFromEntry(DriverContext* ctx, const CustomMediaSlot& slot, const CustomMediaEntry& entry) {
  OptionEntry* row = OptFind(ctx, slot.nameOption);
  if (!row || TypeSize(row->typeWord) == 0) return;
  std::vector<char> field(TypeSize(row->typeWord), '\0');
  const size_t length = strnlen(entry.name, std::min(sizeof entry.name, field.size() - 1));
  std::memcpy(field.data(), entry.name, length);
  OptWriteValueBytes(ctx, row, field.data());
}

}  // namespace

void CfgResetCustomMedia(DriverContext* ctx) {
  if (!ctx) return;
  OptSetValue(ctx, kOptCustomMediaDataNum, MaxRows(ctx));
  for (const CustomMediaSlot* slot = OptGetCustomMediaTable(); slot->slot != 0; ++slot) {
    OptSetUiValue(ctx, slot->quotOption, 1);
    if (OptionEntry* row = OptFind(ctx, slot->nameOption)) OptWriteValueBytes(ctx, row, nullptr);
    OptSetUiValue(ctx, slot->charSetOption, 0);
  }
}

int CfgSaveCustomMedia(HANDLE printer, DriverContext* ctx) {
  if (!ctx) return 0;
  const int max = MaxRows(ctx);
  std::vector<CustomMediaEntry> rows(static_cast<size_t>(max));
  const CustomMediaSlot* slots = OptGetCustomMediaTable();
  for (int i = 0; i < max; ++i) {
    CustomMediaEntry& entry = rows[static_cast<size_t>(i)];
    std::memset(&entry, 0, sizeof entry);
    WriteLe32(reinterpret_cast<BYTE*>(&entry.quot), static_cast<uint32_t>(OptGetUiValue(ctx, slots[i].quotOption, nullptr)));
    WriteLe32(reinterpret_cast<BYTE*>(&entry.charset),
              static_cast<uint32_t>(OptGetUiValue(ctx, slots[i].charSetOption, nullptr)));
    NameToEntry(ctx, slots[i], &entry);
  }
  BYTE count[2];
  WriteLe16(count, static_cast<uint16_t>(OptGetValue(ctx, kOptCustomMediaDataNum, nullptr)));
  int ok = PrnSetBinary(printer, count, sizeof count, kCustomMediaDataNumValue, ctx);
  // With no rows there is nothing to keep beside the count.
  if (max > 0 && !PrnSetBinary(printer, rows.data(), static_cast<DWORD>(rows.size() * sizeof(CustomMediaEntry)),
                               kCustomMediaDataValue, ctx))
    ok = 0;
  return ok;
}

int CfgLoadCustomMedia(HANDLE printer, DriverContext* ctx) {
  if (!ctx) return 0;
  CfgResetCustomMedia(ctx);
  BYTE countBytes[2] = {};
  DWORD type = 0;
  DWORD needed = 0;
  if (GetPrinterDataW(printer, const_cast<LPWSTR>(kCustomMediaDataNumValue), &type, countBytes, sizeof countBytes,
                      &needed) != ERROR_SUCCESS)
    return 0;
  const int count = ReadLe16(countBytes);
  const int max = MaxRows(ctx);
  if (count == 0 || max == 0) return 0;

  // Only a value of exactly max rows is taken.
  const DWORD size = static_cast<DWORD>(max) * sizeof(CustomMediaEntry);
  std::vector<CustomMediaEntry> rows(static_cast<size_t>(max));
  if (GetPrinterDataW(printer, const_cast<LPWSTR>(kCustomMediaDataValue), &type, reinterpret_cast<LPBYTE>(rows.data()),
                      size, &needed) != ERROR_SUCCESS ||
      needed != size)
    return 0;

  // The count never passes the rows that exist.
  const int used = std::min(count, max);
  OptSetValue(ctx, kOptCustomMediaDataNum, used);
  const CustomMediaSlot* slots = OptGetCustomMediaTable();
  for (int i = 0; i < used; ++i) {
    const CustomMediaEntry& entry = rows[static_cast<size_t>(i)];
    OptSetUiValue(ctx, slots[i].quotOption, ReadLe32(reinterpret_cast<const BYTE*>(&entry.quot)));
    NameFromEntry(ctx, slots[i], entry);
    OptSetUiValue(ctx, slots[i].charSetOption, ReadLe32(reinterpret_cast<const BYTE*>(&entry.charset)));
  }
  return 1;
}
