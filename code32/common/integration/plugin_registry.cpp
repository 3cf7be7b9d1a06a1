// The plug-in registry: the plug-ins of a category from the machine's registry and from the
// plug-in list file of the driver directory.
#include "plugin_registry.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core_memory.h"
#include "env_text.h"

namespace {

// List-file counts above this are taken as this: a damaged count must not keep the caller
// reading the file for hours.
constexpr int kListFileIdsMax = 256;

// Identifier buffers: 250 characters, one more to tell a longer one, and the terminator.
constexpr int kIdBufferChars = kPluginTextChars + 1;
constexpr int kListTextChars = kPluginTextChars + 2;

char* CopyText(std::string_view text) {
  auto* copy = static_cast<char*>(CtxAllocMem(static_cast<DWORD>(text.size() + 1)));
  if (copy) std::memcpy(copy, text.data(), text.size());
  return copy;
}

std::u16string Widen(std::string_view ansi) {
  std::u16string wide(ansi.size(), u'\0');
  wide.resize(EnvAnsiBytesToWide(ansi, wide.data(), wide.size()));
  return wide;
}

std::string Narrow(std::u16string_view wide) {
  std::string ansi(wide.size() * 2, '\0');
  ansi.resize(EnvWideToAnsiBytes(wide, ansi.data(), ansi.size()));
  return ansi;
}

std::string CategoryKey(const char* category) { return std::string(kPluginRegistryKey) + "\\" + category; }

// A registry key of HKEY_LOCAL_MACHINE opened for reading, closed with the object. Reading is
// all the lookup does, so a user without write access to the machine's keys sees the same
// plug-ins as an administrator.
class ReadKey {
 public:
  explicit ReadKey(const std::string& path) {
    const std::u16string wide = Widen(path);
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~ReadKey() {
    if (key_) RegCloseKey(key_);
  }
  ReadKey(const ReadKey&) = delete;
  ReadKey& operator=(const ReadKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// A string value whose stored size is below kPluginRegistryTextBytes; NULL otherwise.
char* ReadRegistryText(HKEY key, const char* name) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return nullptr;
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || size >= kPluginRegistryTextBytes) return nullptr;
  char text[kPluginRegistryTextBytes + 1] = {};
  DWORD got = kPluginRegistryTextBytes;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &got) != ERROR_SUCCESS) return nullptr;
  if (got > kPluginRegistryTextBytes) return nullptr;
  text[got] = '\0';  // a value stored without its terminator ends here
  return CopyText(text);
}

// A 4-byte number; 0 when missing or of another size or kind.
int32_t ReadRegistryNumber(HKEY key, const char* name) {
  DWORD type = 0, value = 0, size = sizeof value;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS) return 0;
  if (size != sizeof value || (type != REG_DWORD && type != REG_BINARY)) return 0;
  return static_cast<int32_t>(value);
}

std::vector<std::string> RegistryIds(const char* category) {
  std::vector<std::string> ids;
  ReadKey key(CategoryKey(category));
  if (!key.get()) return ids;
  for (DWORD index = 0;; ++index) {
    WCHAR name[kIdBufferChars] = {};
    DWORD chars = kIdBufferChars;
    const LONG rc = RegEnumKeyExW(key.get(), index, name, &chars, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;  // a name longer than an identifier may be
    if (rc != ERROR_SUCCESS) break;
    if (chars == 0) continue;
    ids.push_back(Narrow(std::u16string_view(name, chars)));
  }
  return ids;
}

std::string ListFilePath(const char* driverDirectory) {
  return std::string(driverDirectory) + "\\" + kPluginListFileName;
}

// A text of the list file: its length, -1 when longer than an identifier may be.
int ReadListText(const std::string& file, const char* section, const char* key, char (&out)[kListTextChars]) {
  std::memset(out, 0, sizeof out);
  const DWORD n = GetPrivateProfileStringA(section, key, "", out, kListTextChars, file.c_str());
  return n > static_cast<DWORD>(kPluginTextChars) ? -1 : static_cast<int>(n);
}

bool IsRegistryId(const std::vector<std::string>& registry, const char* id) {
  for (const std::string& r : registry)
    if (lstrcmpiA(r.c_str(), id) == 0) return true;
  return false;
}

std::vector<std::string> ListFileIds(const char* category, const std::string& file,
                                     const std::vector<std::string>& registry) {
  std::vector<std::string> ids;
  int count = static_cast<int>(GetPrivateProfileIntA(category, "Count", 0, file.c_str()));
  if (count > kListFileIdsMax) count = kListFileIdsMax;
  for (int i = 0; i < count; ++i) {
    const std::string key = "PluginID" + std::to_string(i);
    char id[kListTextChars];
    if (ReadListText(file, category, key.c_str(), id) <= 0) continue;
    if (!IsRegistryId(registry, id)) ids.emplace_back(id);
  }
  return ids;
}

PluginEntry* NewEntry(std::string_view identifier) {
  auto* entry = static_cast<PluginEntry*>(CtxAllocMem(sizeof(PluginEntry)));
  if (!entry) return nullptr;
  entry->identifier = CopyText(identifier);
  if (!entry->identifier) {
    MdlFreeMem(entry);
    return nullptr;
  }
  return entry;
}

void FreeEntry(PluginEntry* entry) {
  if (!entry) return;
  MdlFreeMem(entry->identifier);
  MdlFreeMem(entry->name);
  MdlFreeMem(entry->installPath);
  MdlFreeMem(entry);
}

PluginEntry* RegistryEntry(const char* category, const std::string& id) {
  ReadKey key(CategoryKey(category) + "\\" + id);
  if (!key.get()) return nullptr;
  PluginEntry* entry = NewEntry(id);
  if (!entry) return nullptr;
  entry->name = ReadRegistryText(key.get(), "Name");
  entry->installPath = ReadRegistryText(key.get(), "InstallPath");
  entry->forceRaw = ReadRegistryNumber(key.get(), "ForceRAW");
  entry->perPrinter = ReadRegistryNumber(key.get(), "PerPrinter");
  return entry;
}

PluginEntry* ListFileEntry(const std::string& file, const char* driverDirectory, const std::string& id) {
  PluginEntry* entry = NewEntry(id);
  if (!entry) return nullptr;
  char text[kListTextChars];
  if (ReadListText(file, id.c_str(), "Name", text) >= 0) entry->name = CopyText(text);
  if (ReadListText(file, id.c_str(), "InstallPath", text) >= 0)
    entry->installPath = CopyText(std::string(driverDirectory) + "\\" + text);
  entry->forceRaw = static_cast<int32_t>(GetPrivateProfileIntA(id.c_str(), "ForceRAW", 0, file.c_str()));
  entry->perPrinter = static_cast<int32_t>(GetPrivateProfileIntA(id.c_str(), "PerPrinter", 0, file.c_str()));
  return entry;
}

}  // namespace

PluginList* PlgEnumCategory(const char* category, const char* driverDirectory) {
  if (!category || !category[0]) return nullptr;
  const std::vector<std::string> registry = RegistryIds(category);
  std::vector<std::string> listed;
  std::string file;
  if (driverDirectory) {
    file = ListFilePath(driverDirectory);
    listed = ListFileIds(category, file, registry);
  }
  if (registry.empty() && listed.empty()) return nullptr;

  auto* list = static_cast<PluginList*>(CtxAllocMem(sizeof(PluginList)));
  if (!list) return nullptr;
  list->entries =
      static_cast<PluginEntry**>(CtxAllocMem(static_cast<DWORD>((registry.size() + listed.size()) * sizeof(void*))));
  if (!list->entries) {
    MdlFreeMem(list);
    return nullptr;
  }
  for (const std::string& id : registry)
    if (PluginEntry* entry = RegistryEntry(category, id)) list->entries[list->count++] = entry;
  for (const std::string& id : listed)
    if (PluginEntry* entry = ListFileEntry(file, driverDirectory, id)) list->entries[list->count++] = entry;
  if (list->count == 0) {
    PlgFreeList(list);
    return nullptr;
  }
  return list;
}

int PlgFreeList(PluginList* list) {
  if (!list) return 1;
  if (list->entries) {
    for (uint32_t i = 0; i < list->count; ++i) FreeEntry(list->entries[i]);
    MdlFreeMem(list->entries);
  }
  MdlFreeMem(list);
  return 1;
}


int PlgFreeIdList(PluginIdList* list) {
  if (!list) return 1;
  if (list->names) {
    for (uint32_t i = 0; i < list->count; ++i) MdlFreeMem(list->names[i]);
    MdlFreeMem(list->names);
  }
  MdlFreeMem(list);
  return 1;
}
