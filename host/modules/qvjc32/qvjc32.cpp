// QVJC32.DLL: the maker's job-control module. It keeps, per printer, the items that identify a
// user's jobs to the device, in the file <root>/jobcontrol/<printer>.ini of the machine ('\',
// '/' and ':' of the printer name become '_'), one line per item:
//
//   <code>=text:<UTF-8 text>     a text item (kind 1)
//   <code>=value:<decimal>       a 32-bit item (kind 4)
//   registered=1                 the printer was initialised
//   language=<primary>,<sub>     the language last sent
//
// The module's own behaviour comes from <root>/jobcontrol/module.ini (optional):
//
//   versions=0x105,0x104,...     the interface versions "JCGetInterface" accepts (default all
//                                of 0x101-0x105)
//   open=0                       sessions are refused
//   crypt=0                      the encryption interface (asked as version 385) is refused
//
// Slot 10 reads an item as a given user sees it: the line "<code>@<user>" when there is one,
// else "<code>". The encryption interface transforms a password in two stages: mode 4 (or
// mode 2, keyed by the user name and network key handed over as parameter 256) XORs every
// byte with its key, mode 1 writes the bytes as upper-case hexadecimal text.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <sstream>
#include <string>

#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/windows.h"

namespace {

constexpr DWORD kMoreData = 0x20000001;  // an item too large for the buffer, or unknown
constexpr DWORD kRefused = 0x20000002;   // a session the module does not grant
constexpr DWORD kKindText = 1;
constexpr DWORD kKindValue = 4;

std::mutex g_lock;

std::filesystem::path Folder() { return zolt::host::Machine::Root() / "jobcontrol"; }

std::filesystem::path FileOf(const std::u16string& printer) {
  std::string name = zolt::host::ToUtf8(printer);
  for (char& c : name)
    if (c == '\\' || c == '/' || c == ':') c = '_';
  return Folder() / (name + ".ini");
}

using Lines = std::map<std::string, std::string>;

Lines Load(const std::filesystem::path& file) {
  Lines lines;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t eq = line.find('=');
    if (eq != std::string::npos) lines[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return lines;
}

void Save(const std::filesystem::path& file, const Lines& lines) {
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  for (const auto& [key, value] : lines) out << key << '=' << value << "\r\n";
}

std::string ModuleSetting(const char* key) {
  Lines lines = Load(Folder() / "module.ini");
  auto it = lines.find(key);
  return it == lines.end() ? std::string() : it->second;
}

bool AcceptsVersion(WORD version) {
  const std::string list = ModuleSetting("versions");
  if (list.empty()) return version >= 0x101 && version <= 0x105;
  std::stringstream in(list);
  std::string item;
  while (std::getline(in, item, ','))
    if (std::strtoul(item.c_str(), nullptr, 0) == version) return true;
  return false;
}

struct Session {
  std::u16string printer;
};

Session* Of(HANDLE h) { return static_cast<Session*>(h); }

std::u16string Text(const WCHAR* text) { return text ? std::u16string(text) : std::u16string(); }

DWORD WINAPI InitPrinter(const WCHAR* printer) {
  if (!printer) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(g_lock);
  const auto file = FileOf(Text(printer));
  Lines lines = Load(file);
  lines["registered"] = "1";
  Save(file, lines);
  return 0;
}

DWORD WINAPI PrinterOperation(const WCHAR* printer) { return printer ? 0 : ERROR_INVALID_PARAMETER; }

DWORD WINAPI OpenSession(const WCHAR* printer, HANDLE* session) {
  if (!printer || !session) return ERROR_INVALID_PARAMETER;
  if (ModuleSetting("open") == "0") return kRefused;
  *session = new Session{Text(printer)};
  return 0;
}

DWORD WINAPI CloseSession(HANDLE session) {
  delete Of(session);
  return 0;
}

DWORD WINAPI QueryItem(HANDLE session, DWORD code, DWORD* flags) {
  if (!session || !flags) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(g_lock);
  Lines lines = Load(FileOf(Of(session)->printer));
  *flags = lines.count(std::to_string(code)) ? 1 : 0;
  return 0;
}

DWORD WINAPI GetItem(HANDLE session, DWORD code, DWORD kind, void* buffer, DWORD size, DWORD* needed) {
  if (!session || !needed) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(g_lock);
  Lines lines = Load(FileOf(Of(session)->printer));
  auto it = lines.find(std::to_string(code));
  *needed = 0;
  if (it == lines.end()) return kMoreData;
  std::string bytes;
  const std::string& stored = it->second;
  if (kind == kKindText && stored.rfind("text:", 0) == 0) {
    std::u16string text = zolt::host::FromUtf8(stored.substr(5));
    text.push_back(u'\0');
    bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
  } else if (kind == kKindValue && stored.rfind("value:", 0) == 0) {
    const DWORD value = static_cast<DWORD>(std::strtoul(stored.c_str() + 6, nullptr, 10));
    bytes.assign(reinterpret_cast<const char*>(&value), sizeof(value));
  } else {
    return ERROR_INVALID_PARAMETER;
  }
  *needed = static_cast<DWORD>(bytes.size());
  if (!buffer || size < bytes.size()) return kMoreData;
  std::memcpy(buffer, bytes.data(), bytes.size());
  return 0;
}

DWORD WINAPI SetItem(HANDLE session, DWORD code, DWORD kind, const void* data, DWORD size) {
  if (!session || (!data && size)) return ERROR_INVALID_PARAMETER;
  std::string value;
  if (kind == kKindText) {
    const auto* text = static_cast<const char16_t*>(data);
    const size_t units = size / sizeof(char16_t);
    const size_t length = std::find(text, text + units, u'\0') - text;
    value = "text:" + zolt::host::ToUtf8(std::u16string_view(text, length));
  } else if (kind == kKindValue && size == sizeof(DWORD)) {
    DWORD number = 0;
    std::memcpy(&number, data, sizeof(number));
    value = "value:" + std::to_string(number);
  } else {
    return ERROR_INVALID_PARAMETER;
  }
  std::lock_guard guard(g_lock);
  const auto file = FileOf(Of(session)->printer);
  Lines lines = Load(file);
  lines[std::to_string(code)] = value;
  Save(file, lines);
  return 0;
}

DWORD WINAPI GetItemForUser(HANDLE session, DWORD code, DWORD kind, const WCHAR* user, void* buffer, DWORD size,
                           DWORD* needed) {
  if (!session || !needed) return ERROR_INVALID_PARAMETER;
  if (user && *user) {
    std::lock_guard guard(g_lock);
    Lines lines = Load(FileOf(Of(session)->printer));
    const std::string key = std::to_string(code) + "@" + zolt::host::ToUtf8(Text(user));
    auto it = lines.find(key);
    if (it != lines.end() && kind == kKindText && it->second.rfind("text:", 0) == 0) {
      std::u16string text = zolt::host::FromUtf8(it->second.substr(5));
      text.push_back(u'\0');
      *needed = static_cast<DWORD>(text.size() * sizeof(char16_t));
      if (!buffer || size < *needed) return kMoreData;
      std::memcpy(buffer, text.data(), *needed);
      return 0;
    }
  }
  return GetItem(session, code, kind, buffer, size, needed);
}

DWORD WINAPI DeleteItem(HANDLE session, DWORD code) {
  if (!session) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(g_lock);
  const auto file = FileOf(Of(session)->printer);
  Lines lines = Load(file);
  if (!lines.erase(std::to_string(code))) return kMoreData;
  Save(file, lines);
  return 0;
}

struct LanguageRecord {
  DWORD size;
  WORD primary;
  WORD sub;
};

DWORD WINAPI SetLanguage(HANDLE session, DWORD, const LanguageRecord* language) {
  if (!session || !language || language->size != sizeof(LanguageRecord)) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(g_lock);
  const auto file = FileOf(Of(session)->printer);
  Lines lines = Load(file);
  lines["language"] = std::to_string(language->primary) + "," + std::to_string(language->sub);
  Save(file, lines);
  return 0;
}

DWORD WINAPI AccessMode(HANDLE session, DWORD, DWORD) { return session ? 0 : ERROR_INVALID_PARAMETER; }

DWORD WINAPI ReadItemFlags(HANDLE session, DWORD code, DWORD, DWORD, DWORD* value, DWORD, DWORD* needed) {
  if (needed) *needed = sizeof(DWORD);
  return QueryItem(session, code, value);
}

// ---- the encryption interface --------------------------------------------------------------

struct Crypt {
  DWORD mode;
  BYTE key;
};

DWORD WINAPI CryptCreate(DWORD mode, HANDLE* handle) {
  if (!handle || (mode != 1 && mode != 2 && mode != 4)) return ERROR_INVALID_PARAMETER;
  *handle = new Crypt{mode, 0x5A};
  return 0;
}

DWORD WINAPI CryptDestroy(HANDLE handle) {
  delete static_cast<Crypt*>(handle);
  return 0;
}

DWORD WINAPI CryptSetParameter(HANDLE handle, DWORD id, const void* data, DWORD size) {
  auto* c = static_cast<Crypt*>(handle);
  if (!c || id != 256 || !data || size != 2 * sizeof(void*)) return ERROR_INVALID_PARAMETER;
  const WCHAR* pair[2];
  std::memcpy(pair, data, sizeof pair);
  unsigned key = 0;
  for (const WCHAR* text : pair)
    for (const WCHAR* p = text; p && *p; ++p) key += *p;
  c->key = static_cast<BYTE>(key ? key : 0x5A);
  return 0;
}

DWORD WINAPI CryptTransform(HANDLE handle, const void* input, DWORD length, void* output, DWORD outputSize,
                            DWORD* outLength) {
  auto* c = static_cast<Crypt*>(handle);
  if (!c || !outLength || (!input && length)) return ERROR_INVALID_PARAMETER;
  const auto* in = static_cast<const BYTE*>(input);
  std::string result;
  if (c->mode == 1) {
    static const char kHex[] = "0123456789ABCDEF";
    for (DWORD i = 0; i < length; ++i) {
      result.push_back(kHex[in[i] >> 4]);
      result.push_back(kHex[in[i] & 15]);
    }
  } else {
    for (DWORD i = 0; i < length; ++i) result.push_back(static_cast<char>(in[i] ^ c->key));
  }
  *outLength = static_cast<DWORD>(result.size());
  if (!output) return 0;
  if (outputSize < result.size()) return kMoreData;
  std::memcpy(output, result.data(), result.size());
  return 0;
}

struct CryptTable {
  void* slots[4];
};
const CryptTable kCryptTable = {{reinterpret_cast<void*>(&CryptCreate), reinterpret_cast<void*>(&CryptDestroy),
                                 reinterpret_cast<void*>(&CryptSetParameter),
                                 reinterpret_cast<void*>(&CryptTransform)}};
constexpr WORD kCryptVersion = 385;

// The table, as the driver reads it: thirteen slots.
struct Table {
  void* slots[13];
};

const Table kTable = {{
    reinterpret_cast<void*>(&InitPrinter), reinterpret_cast<void*>(&PrinterOperation),
    reinterpret_cast<void*>(&OpenSession), reinterpret_cast<void*>(&CloseSession),
    reinterpret_cast<void*>(&QueryItem), reinterpret_cast<void*>(&GetItem), reinterpret_cast<void*>(&SetItem),
    reinterpret_cast<void*>(&DeleteItem), reinterpret_cast<void*>(&SetLanguage), nullptr,
    reinterpret_cast<void*>(&GetItemForUser),
    reinterpret_cast<void*>(&AccessMode), reinterpret_cast<void*>(&ReadItemFlags),
}};

}  // namespace

ZOLT_EXPORT DWORD WINAPI JCGetInterface(WORD version, const Table** table) {
  if (!table) return ERROR_INVALID_PARAMETER;
  *table = nullptr;
  if (version == kCryptVersion) {
    if (ModuleSetting("crypt") == "0") return ERROR_NOT_SUPPORTED;
    *table = reinterpret_cast<const Table*>(&kCryptTable);
    return 0;
  }
  if (!AcceptsVersion(version)) return ERROR_NOT_SUPPORTED;
  *table = &kTable;
  return 0;
}

ZOLT_EXPORT DWORD WINAPI JCDisposeInterface(const Table* table) {
  const bool known = table == &kTable || table == reinterpret_cast<const Table*>(&kCryptTable);
  return known ? 0 : static_cast<DWORD>(ERROR_INVALID_PARAMETER);
}
