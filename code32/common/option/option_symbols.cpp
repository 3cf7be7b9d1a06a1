// Lookups over the shared symbol tables.
#include <initializer_list>
#include <string_view>
#include <unordered_map>

#include "option_table.h"

namespace {

// The tables are constant: their names are looked up through an index built once, holding the
// first row of each name (value table 1 before table 2), as a walk of the rows finds it.
struct NameIndexes {
  std::unordered_map<std::string_view, const NameEntry*> symbols;
  std::unordered_map<std::string_view, const ValueNameEntry*> values;
  std::unordered_map<uint16_t, const NameEntry*> keys;  // by symbol number
  // By option and value: the first row with a fixed value whose low 16 bits are the value.
  std::unordered_map<uint32_t, const ValueNameEntry*> optionValues;
  NameIndexes() {
    symbols.reserve(static_cast<size_t>(kNameTable.count));
    keys.reserve(static_cast<size_t>(kNameTable.count));
    for (int i = 0; i < kNameTable.count; ++i) {
      if (kNameTable.rows[i].name) symbols.emplace(kNameTable.rows[i].name, &kNameTable.rows[i]);
      keys.emplace(kNameTable.rows[i].nameIndex, &kNameTable.rows[i]);
    }
    values.reserve(static_cast<size_t>(kValueNameTable1.count + kValueNameTable2.count));
    for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2})
      for (int i = 0; i < t->count; ++i)
        if (t->rows[i].name) values.emplace(t->rows[i].name, &t->rows[i]);
    optionValues.reserve(static_cast<size_t>(kValueNameTable1.count + kValueNameTable2.count));
    for (const ValueNameTable* t : {&kValueNameTable1, &kValueNameTable2})
      for (int i = 0; i < t->count; ++i)
        if (t->rows[i].value != kValueNameUnfixed)
          optionValues.emplace(OptionValueKey(t->rows[i].optionId, static_cast<uint16_t>(t->rows[i].value)),
                               &t->rows[i]);
  }
  static uint32_t OptionValueKey(uint16_t optionId, uint16_t value) { return uint32_t{optionId} << 16 | value; }
};

const NameIndexes& Indexes() {
  static const NameIndexes indexes;
  return indexes;
}

template <class Map>
auto FindIn(const Map& map, const char* name) -> typename Map::mapped_type {
  if (!name) return nullptr;
  auto it = map.find(name);
  return it == map.end() ? nullptr : it->second;
}

}  // namespace

const NameEntry* OptFindSymbol(uint16_t nameIndex) {
  const auto& keys = Indexes().keys;
  auto it = keys.find(nameIndex);
  return it == keys.end() ? nullptr : it->second;
}

const NameEntry* OptFindSymbolByName(const char* name) { return FindIn(Indexes().symbols, name); }

const ValueNameEntry* OptFindValueSymbol(uint16_t optionId, uint16_t value) {
  const auto& map = Indexes().optionValues;
  auto it = map.find(NameIndexes::OptionValueKey(optionId, value));
  return it == map.end() ? nullptr : it->second;
}

const ValueNameEntry* OptFindValueSymbolByName(const char* name) { return FindIn(Indexes().values, name); }
