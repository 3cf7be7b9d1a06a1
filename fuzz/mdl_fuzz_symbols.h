// Symbol lookups of the model description fuzz targets: the option model's own tables first,
// then every "ZPD_" name and every value name with an underscore resolves, so that the handlers
// behind the names are reached whatever the tables hold yet. A name's number comes from the name
// alone (never from the order in which a run meets names), so every finding reproduces from its
// input file; ForgetSymbols at the start of each input keeps the tables from growing.
// Messages ("MSG_"), dialogs ("ZPD_IDD_") and controls ("ZPD_IDC_") resolve by their prefix.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <string>

#include "mdl_compile.h"
#include "option_table.h"

namespace mdl_fuzz {

inline std::map<std::string, NameEntry, std::less<>> gNames;
inline std::map<std::string, ValueNameEntry, std::less<>> gValues;
inline std::deque<std::string> gStrings;

// A number of a name, the same in every run.
inline uint32_t NameHash(const char* name) {
  uint32_t h = 2166136261u;
  for (const char* p = name; *p; ++p) h = (h ^ static_cast<unsigned char>(*p)) * 16777619u;
  return h;
}

// The tables of one input; the next input starts without them.
inline void ForgetSymbols() {
  gNames.clear();
  gValues.clear();
  gStrings.clear();
}

inline const NameEntry* FindName(const char* name) {
  if (const NameEntry* e = OptFindSymbolByName(name)) return e;
  if (std::strncmp(name, "ZPD_", 4) != 0) return nullptr;
  auto it = gNames.find(name);
  if (it == gNames.end()) {
    const uint16_t n = static_cast<uint16_t>(1 + NameHash(name) % 4096);
    const char* kept = gStrings.emplace_back(name).c_str();
    // Spread the option IDs over the three direct slot ranges and beyond.
    static const uint16_t kBases[] = {1, 720, 10001, 2000};
    it = gNames.emplace(kept, NameEntry{static_cast<uint16_t>(kBases[n % 4] + n % 400), n, kept}).first;
  }
  return &it->second;
}

inline const ValueNameEntry* FindValue(const char* name) {
  if (const ValueNameEntry* e = OptFindValueSymbolByName(name)) return e;
  if (!name[0] || !std::strchr(name, '_')) return nullptr;
  auto it = gValues.find(name);
  if (it == gValues.end()) {
    const char* kept = gStrings.emplace_back(name).c_str();
    const uint32_t value = 1 + NameHash(name) % 4096;
    it = gValues.emplace(kept, ValueNameEntry{0, 0, value, 1, kept, 0}).first;
  }
  return &it->second;
}

inline int FindByPrefix(const char* name, const char* prefix, uint16_t base, uint16_t* out) {
  size_t n = std::strlen(prefix);
  if (std::strncmp(name, prefix, n) != 0) return 0;
  *out = static_cast<uint16_t>(base + std::strlen(name));
  return 1;
}
inline int FindMessage(const char* name, uint16_t* id) { return FindByPrefix(name, "MSG_", 268, id); }
inline int FindDialog(const char* name, uint16_t* id) { return FindByPrefix(name, "ZPD_IDD_", 1000, id); }
inline int FindControl(const char* name, uint16_t* id) { return FindByPrefix(name, "ZPD_IDC_", 2000, id); }

inline const MdlSymbolLookups kLookups = {FindName, FindValue, FindMessage, FindDialog, FindControl};

}  // namespace mdl_fuzz
