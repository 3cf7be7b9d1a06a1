// Resources of a module: the resource directory compiled into it, language selection, and
// the string tables read by LoadString.
#include <dlfcn.h>

#include <cstring>
#include <string>
#include <vector>

#include "win32/codepage.h"
#include "win32/hostpath.h"
#include "win32/hosttext.h"
#include "win32/locale.h"
#include "win32/module.h"
#include "win32/resource.h"

using namespace zolt::host;

namespace {

struct Directory {
  HMODULE base = nullptr;
  const ZOLT_RESOURCE_DIRECTORY* dir = nullptr;
};

HMODULE ImageOf(HMODULE module) {
  return reinterpret_cast<HMODULE>(reinterpret_cast<ULONG_PTR>(module) & ~ULONG_PTR{3});
}

// The resource directory of a module (NULL: the process image), or nullptr when it has none.
const ZOLT_RESOURCE_DIRECTORY* DirectoryOf(HMODULE module) {
  void* dl = ModuleLoaderHandle(module);
  if (!dl) return nullptr;
  HMODULE base = module ? ImageOf(module) : GetModuleHandleW(nullptr);
  void* sym = dlsym(dl, ZOLT_RESOURCE_DIRECTORY_SYMBOL);
  Dl_info info;
  // Only the module's own directory, never one of a module it depends on.
  if (!sym || !dladdr(sym, &info) || info.dli_fbase != static_cast<void*>(base)) return nullptr;
  auto* dir = static_cast<const ZOLT_RESOURCE_DIRECTORY*>(sym);
  if (dir->magic != ZOLT_RESOURCE_MAGIC || dir->version != ZOLT_RESOURCE_VERSION) return nullptr;
  return dir;
}

// A type or name argument: an ordinal, "#123" for the ordinal 123, or a name compared
// without case.
struct Key {
  bool isId = false;
  WORD id = 0;
  std::u16string name;
};

Key KeyOf(LPCWSTR value) {
  Key k;
  if (IS_INTRESOURCE(value)) {
    k.isId = true;
    k.id = LOWORD(reinterpret_cast<ULONG_PTR>(value));
    return k;
  }
  std::u16string_view text = WideView(value);
  if (text.size() > 1 && text[0] == u'#') {
    unsigned n = 0;
    bool digits = true;
    for (char16_t c : text.substr(1)) {
      if (c < u'0' || c > u'9') {
        digits = false;
        break;
      }
      n = n * 10 + (c - u'0');
    }
    if (digits && n <= 0xFFFF) {
      k.isId = true;
      k.id = static_cast<WORD>(n);
      return k;
    }
  }
  k.name = text;
  return k;
}

bool Matches(const Key& k, const WCHAR* name, WORD id) {
  if (k.isId) return !name && id == k.id;
  return name && NamesEqual(WideView(name), k.name);
}

bool OwnsEntry(const ZOLT_RESOURCE_DIRECTORY* dir, const void* entry) {
  if (!dir || !entry) return false;
  auto* first = dir->entries;
  auto* e = static_cast<const ZOLT_RESOURCE_ENTRY*>(entry);
  return e >= first && e < first + dir->count &&
         (reinterpret_cast<const char*>(e) - reinterpret_cast<const char*>(first)) % sizeof(ZOLT_RESOURCE_ENTRY) == 0;
}

// The languages tried, in order, for a request.
std::vector<LANGID> LanguageOrder(WORD wanted) {
  std::vector<LANGID> order;
  auto add = [&order](LANGID lang) {
    for (LANGID l : order)
      if (l == lang) return;
    order.push_back(lang);
  };
  if (wanted == MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)) {
    LANGID thread = LANGIDFROMLCID(GetThreadLocale());
    add(thread);
    add(MAKELANGID(PRIMARYLANGID(thread), SUBLANG_NEUTRAL));
    add(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    add(GetUserDefaultLangID());
    add(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  } else {
    add(wanted);
    add(MAKELANGID(PRIMARYLANGID(wanted), SUBLANG_NEUTRAL));
    add(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
  }
  return order;
}

const ZOLT_RESOURCE_ENTRY* Find(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) {
  const ZOLT_RESOURCE_DIRECTORY* dir = DirectoryOf(module);
  if (!dir) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  if (!type || !name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Key typeKey = KeyOf(type);
  Key nameKey = KeyOf(name);
  bool typeSeen = false;
  std::vector<const ZOLT_RESOURCE_ENTRY*> found;  // in language order of the directory
  for (DWORD i = 0; i < dir->count; ++i) {
    const ZOLT_RESOURCE_ENTRY& e = dir->entries[i];
    if (!Matches(typeKey, e.typeName, e.typeId)) continue;
    typeSeen = true;
    if (Matches(nameKey, e.name, e.nameId)) found.push_back(&e);
  }
  if (found.empty()) {
    SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  for (LANGID lang : LanguageOrder(language))
    for (const ZOLT_RESOURCE_ENTRY* e : found)
      if (e->language == lang) return e;
  return found.front();
}

// The string of a table, or false when the module has none under that number.
bool FindString(HINSTANCE module, UINT id, const WCHAR*& text, size_t& length) {
  const ZOLT_RESOURCE_ENTRY* e =
      Find(module, RT_STRING, MAKEINTRESOURCEW((id >> 4) + 1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
  if (!e) return false;
  // A block holds 16 counted strings, each a WORD length and that many characters.
  const BYTE* p = e->data;
  const BYTE* end = e->data + e->size;
  for (UINT i = 0; i < (id & 15); ++i) {
    if (end - p < 2) return false;
    WORD n;
    std::memcpy(&n, p, 2);
    if (static_cast<size_t>(end - p - 2) < n * sizeof(WCHAR)) return false;
    p += 2 + n * sizeof(WCHAR);
  }
  if (end - p < 2) return false;
  WORD n;
  std::memcpy(&n, p, 2);
  if (n == 0 || static_cast<size_t>(end - p - 2) < n * sizeof(WCHAR)) return false;
  text = reinterpret_cast<const WCHAR*>(p + 2);
  length = n;
  return true;
}

}  // namespace

WIN32_API HRSRC WINAPI FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage) {
  return reinterpret_cast<HRSRC>(const_cast<ZOLT_RESOURCE_ENTRY*>(Find(hModule, lpType, lpName, wLanguage)));
}

WIN32_API HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
  return FindResourceExW(hModule, lpType, lpName, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
}

WIN32_API HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
  auto widen = [](LPCSTR s, std::u16string& out) -> LPCWSTR {
    if (IS_INTRESOURCE(s)) return reinterpret_cast<LPCWSTR>(s);
    AnsiToWide(CP_ACP, s, out);
    return out.c_str();
  };
  std::u16string name, type;
  return FindResourceW(hModule, widen(lpName, name), widen(lpType, type));
}

WIN32_API HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
  if (!OwnsEntry(DirectoryOf(hModule), hResInfo)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return const_cast<BYTE*>(reinterpret_cast<const ZOLT_RESOURCE_ENTRY*>(hResInfo)->data);
}

WIN32_API LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

WIN32_API DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  if (!OwnsEntry(DirectoryOf(hModule), hResInfo)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return reinterpret_cast<const ZOLT_RESOURCE_ENTRY*>(hResInfo)->size;
}

WIN32_API BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }

WIN32_API BOOL WINAPI EnumResourceNamesW(HMODULE hModule, LPCWSTR lpType, ENUMRESNAMEPROCW lpEnumFunc,
                                         LONG_PTR lParam) {
  const ZOLT_RESOURCE_DIRECTORY* dir = DirectoryOf(hModule);
  if (!dir) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return FALSE;
  }
  if (!lpType || !lpEnumFunc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Key typeKey = KeyOf(lpType);
  const ZOLT_RESOURCE_ENTRY* previous = nullptr;
  bool any = false;
  for (DWORD i = 0; i < dir->count; ++i) {
    const ZOLT_RESOURCE_ENTRY& e = dir->entries[i];
    if (!Matches(typeKey, e.typeName, e.typeId)) continue;
    any = true;
    // One call per name: the languages of a name follow each other in the directory.
    if (previous && previous->nameId == e.nameId &&
        ((!previous->name && !e.name) || (previous->name && e.name && WideView(previous->name) == WideView(e.name))))
      continue;
    previous = &e;
    LPWSTR name = e.name ? const_cast<LPWSTR>(e.name) : MAKEINTRESOURCEW(e.nameId);
    if (!lpEnumFunc(hModule, lpType, name, lParam)) {
      SetLastError(ERROR_RESOURCE_ENUM_USER_STOP);
      return FALSE;
    }
  }
  if (!any) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}

WIN32_API int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const WCHAR* text = nullptr;
  size_t length = 0;
  if (!FindString(hInstance, uID, text, length)) {
    // The caller's buffer reads as an empty string, so that it never shows stale text.
    if (cchBufferMax > 0) lpBuffer[0] = 0;
    return 0;
  }
  if (cchBufferMax == 0) {
    // The read-only string itself; it is not terminated.
    *reinterpret_cast<const WCHAR**>(lpBuffer) = text;
    return static_cast<int>(length);
  }
  size_t n = std::min(length, static_cast<size_t>(cchBufferMax) - 1);
  std::memcpy(lpBuffer, text, n * sizeof(WCHAR));
  lpBuffer[n] = 0;
  return static_cast<int>(n);
}

WIN32_API int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const WCHAR* text = nullptr;
  size_t length = 0;
  if (!FindString(hInstance, uID, text, length)) {
    lpBuffer[0] = 0;
    return 0;
  }
  std::string bytes;
  WideToAnsi(CP_ACP, std::u16string_view(text, length), bytes);
  size_t n = CharacterBoundary(ResolveCodePage(CP_ACP), bytes, static_cast<size_t>(cchBufferMax) - 1);
  std::memcpy(lpBuffer, bytes.data(), n);
  lpBuffer[n] = 0;
  return static_cast<int>(n);
}
