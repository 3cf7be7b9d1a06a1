// Symbol lookups of the model description fuzz targets: the option model's own tables first,
// then every "ZPD_" name and every value name with an underscore resolves (each new name gets the
// next number), so that the handlers behind the names are reached whatever the tables hold yet.
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

inline const NameEntry* FindName(const char* name) {
  if (const NameEntry* e = OptFindSymbolByName(name)) return e;
  if (std::strncmp(name, "ZPD_", 4) != 0) return nullptr;
  auto it = gNames.find(name);
  if (it == gNames.end()) {
    if (gNames.size() > 4096) return nullptr;
    uint16_t n = static_cast<uint16_t>(gNames.size() + 1);
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
    if (gValues.size() > 4096) return nullptr;
    const char* kept = gStrings.emplace_back(name).c_str();
    it = gValues.emplace(kept, ValueNameEntry{0, 0, static_cast<uint32_t>(gValues.size() + 1), 1, kept, 0}).first;
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
