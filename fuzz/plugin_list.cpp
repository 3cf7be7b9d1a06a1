// Any bytes as the plug-in list file of the driver directory, looked up for the output-filter
// category, for the category named on the input's first line and for a category that is only
// registered: the lookup must neither crash nor read or write outside its buffers, whatever
// the counts, identifiers and value lengths, and every entry it returns keeps its bounds.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_machine.h"
#include "plugin_registry.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

constexpr char kDir[] = "C:\\drv";
fs::path g_file;

void Require(bool condition) {
  if (!condition) std::abort();
}

void Register(const char16_t* category, const char16_t* id) {
  const std::u16string path = std::u16string(u"Software\\ORVEX\\ZoltPlugins\\") + category + u"\\" + id;
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    std::abort();
  const std::u16string name = u"Registered";
  RegSetValueExW(key, u"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                 static_cast<DWORD>((name.size() + 1) * sizeof(WCHAR)));
  RegCloseKey(key);
}

void Check(PluginList* list) {
  if (!list) return;
  Require(list->count > 0 && list->entries);
  const size_t pathMax = std::strlen(kDir) + 1 + kPluginTextChars;
  for (uint32_t i = 0; i < list->count; ++i) {
    const PluginEntry* e = list->entries[i];
    Require(e && e->identifier);
    const size_t id = std::strlen(e->identifier);
    Require(id >= 1 && id <= 2 * kPluginTextChars);
    Require(!e->name || std::strlen(e->name) <= 2 * kPluginTextChars);
    Require(!e->installPath || std::strlen(e->installPath) <= 2 * pathMax);
  }
  PlgFreeList(list);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zolt::fuzz::MakeFuzzMachine("plugin-list");
  CreateDirectoryW(u"C:\\drv", nullptr);
  Register(u"iZOLTFilter", u"Shared");
  Register(u"RegOnly", u"R");
  g_file = zolt::host::Machine::Root() / "drive_c" / "drv" / "ZOLTPLUG.ini";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  {
    std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  // The profile functions keep a cached copy of a file they read: the new input must be seen.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, (std::string(kDir) + "\\ZOLTPLUG.ini").c_str());
  std::string first(reinterpret_cast<const char*>(data), size);
  first = first.substr(0, first.find_first_of("\r\n"));
  if (first.size() > 2 && first.front() == '[' && first.find(']') != std::string::npos)
    first = first.substr(1, first.find(']') - 1);
  first.erase(first.find('\0') == std::string::npos ? first.size() : first.find('\0'));
  Check(PlgEnumCategory(kPluginCategoryOutputFilter, kDir));
  Check(PlgEnumCategory("RegOnly", kDir));
  if (!first.empty()) Check(PlgEnumCategory(first.c_str(), kDir));
  return 0;
}
