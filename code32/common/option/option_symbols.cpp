// Lookups over the shared symbol tables.
#include <cstring>
#include <initializer_list>

#include "option_table.h"

const NameEntry* OptFindSymbol(uint16_t nameIndex) {
  for (int i = 0; i < kNameTable.count; ++i)
    if (kNameTable.rows[i].nameIndex == nameIndex) return &kNameTable.rows[i];
  return nullptr;
}

const NameEntry* OptFindSymbolByName(const char* name) {
  if (!name) return nullptr;
  for (int i = 0; i < kNameTable.count; ++i)
    if (kNameTable.rows[i].name && std::strcmp(kNameTable.rows[i].name, name) == 0) return &kNameTable.rows[i];
  return nullptr;
}

const ValueNameEntry* OptFindValueSymbol(uint16_t optionId, uint16_t value) {
  for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2})
    for (int i = 0; i < t->count; ++i)
      if (t->rows[i].optionId == optionId && t->rows[i].value != kValueNameUnfixed &&
          static_cast<uint16_t>(t->rows[i].value) == value)
        return &t->rows[i];
  return nullptr;
}

const ValueNameEntry* OptFindValueSymbolByName(const char* name) {
  if (!name) return nullptr;
  for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2})
    for (int i = 0; i < t->count; ++i)
      if (t->rows[i].name && std::strcmp(t->rows[i].name, name) == 0) return &t->rows[i];
  return nullptr;
}
