// The registry calls: handles of open keys, access rights and the value and key operations,
// on the hives of registry_hive.cpp.
#include <algorithm>
#include <cstring>
#include <sys/stat.h>

#include "handles.h"
#include "win32/hostregistry.h"
#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/registry.h"

using namespace zolt::host;

namespace {

// An open key: a kernel object that names its key by path, so that it stays valid when the
// hive is read again after another process changed it.
class KeyObject : public KernelObject {
 public:
  Hive hive = Hive::LocalMachine;
  std::vector<std::u16string> path;
  REGSAM access = 0;
};

struct KeyRef {
  Hive hive = Hive::LocalMachine;
  std::vector<std::u16string> path;
  REGSAM access = 0;
  bool predefined = false;
};

constexpr REGSAM kAllKeyRights = KEY_ALL_ACCESS | SYNCHRONIZE;
constexpr REGSAM kReadKeyRights = KEY_READ | SYNCHRONIZE;

// The rights the current user holds on the keys of a hive: everything in the user's own hive;
// in the machine's hive everything for an administrator and reading for anyone else.
REGSAM AllowedRights(Hive hive) {
  if (hive == Hive::CurrentUser || Machine::Facts().userIsAdmin) return kAllKeyRights;
  return kReadKeyRights;
}

// Maps generic rights to key rights; MAXIMUM_ALLOWED asks for whatever the user holds.
bool GrantRights(Hive hive, REGSAM desired, REGSAM& granted) {
  desired &= ~static_cast<REGSAM>(KEY_WOW64_RES);
  REGSAM allowed = AllowedRights(hive);
  REGSAM wanted = desired & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | MAXIMUM_ALLOWED);
  if (desired & GENERIC_READ) wanted |= KEY_READ;
  if (desired & GENERIC_WRITE) wanted |= KEY_WRITE;
  if (desired & GENERIC_EXECUTE) wanted |= KEY_EXECUTE;
  if (desired & GENERIC_ALL) wanted |= KEY_ALL_ACCESS;
  if (wanted & ~allowed) return false;
  granted = (desired & MAXIMUM_ALLOWED) ? allowed : wanted;
  return true;
}

// A predefined key given as its 32-bit value without sign extension is the predefined key: the
// 64-bit platform takes both forms.
HKEY SignExtendPredefined(HKEY hKey) {
  const auto value = reinterpret_cast<ULONG_PTR>(hKey);
  if (value < 0x80000000u || value > 0x800000FFu) return hKey;
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(value))));
}

bool ResolveHandle(HKEY hKey, KeyRef& out) {
  out = KeyRef{};
  hKey = SignExtendPredefined(hKey);
  if (hKey == HKEY_LOCAL_MACHINE || hKey == HKEY_CURRENT_USER || hKey == HKEY_CLASSES_ROOT) {
    out.hive = hKey == HKEY_CURRENT_USER ? Hive::CurrentUser : Hive::LocalMachine;
    if (hKey == HKEY_CLASSES_ROOT) out.path = {u"SOFTWARE", u"Classes"};
    out.access = AllowedRights(out.hive);
    out.predefined = true;
    return true;
  }
  auto key = HandleGetAs<KeyObject>(reinterpret_cast<HANDLE>(hKey));
  if (!key) return false;
  out.hive = key->hive;
  out.path = key->path;
  out.access = key->access;
  return true;
}

std::vector<std::u16string> Join(const std::vector<std::u16string>& a, const std::vector<std::u16string>& b) {
  std::vector<std::u16string> out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

HKEY NewHandle(Hive hive, std::vector<std::u16string> path, REGSAM access) {
  auto key = std::make_shared<KeyObject>();
  key->hive = hive;
  key->path = std::move(path);
  key->access = access;
  return reinterpret_cast<HKEY>(HandleInsert(std::move(key)));
}

// The key a handle names, or the error its absence gives: a predefined root always exists
// (HKEY_CLASSES_ROOT's key may be missing), a key opened through a handle that was deleted
// since gives ERROR_KEY_DELETED.
const RegistryKey* KeyOf(const RegistryKey& root, const KeyRef& ref, LONG& rc) {
  const RegistryKey* key = root.Find(ref.path);
  rc = key ? ERROR_SUCCESS : (ref.predefined ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED);
  return key;
}

// The same for a change: the key of a predefined handle is made when missing.
RegistryKey* KeyToChange(RegistryKey& root, const KeyRef& ref, LONG& rc, bool& changed) {
  if (ref.predefined && !root.Find(ref.path)) {
    root.Make(ref.path);
    changed = true;
  }
  return const_cast<RegistryKey*>(KeyOf(root, ref, rc));
}

FILETIME HiveTime(Hive hive) {
  FILETIME ft{0, 0};
  struct stat st;
  if (::stat(HiveFile(hive).c_str(), &st) != 0) return ft;
  // 100-ns intervals since 1601-01-01.
  uint64_t t = (uint64_t(st.st_mtim.tv_sec) + 11644473600ull) * 10000000ull + uint64_t(st.st_mtim.tv_nsec) / 100;
  ft.dwLowDateTime = static_cast<DWORD>(t);
  ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return ft;
}

// Copies data to a caller's buffer with the platform's size rules.
LONG CopyData(std::string_view data, LPBYTE lpData, LPDWORD lpcbData) {
  if (!lpcbData) return lpData ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  DWORD size = static_cast<DWORD>(data.size());
  if (!lpData) {
    *lpcbData = size;
    return ERROR_SUCCESS;
  }
  if (*lpcbData < size) {
    *lpcbData = size;
    return ERROR_MORE_DATA;
  }
  if (size) std::memcpy(lpData, data.data(), size);
  *lpcbData = size;
  return ERROR_SUCCESS;
}

// Copies a name with its terminator into a buffer of *cch characters; on success *cch is the
// length without the terminator.
LONG CopyName(std::u16string_view name, LPWSTR buffer, LPDWORD cch) {
  if (!buffer || !cch) return ERROR_INVALID_PARAMETER;
  if (*cch < name.size() + 1) return ERROR_MORE_DATA;
  std::copy(name.begin(), name.end(), buffer);
  buffer[name.size()] = u'\0';
  *cch = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// The key a handle names and the components of a subkey path below it.
LONG ResolveSubkey(HKEY hKey, LPCWSTR lpSubKey, KeyRef& ref, std::vector<std::u16string>& sub) {
  if (!ResolveHandle(hKey, ref)) return ERROR_INVALID_HANDLE;
  return SplitKeyPath(WideView(lpSubKey), sub);
}

LONG OpenKey(HKEY hKey, LPCWSTR lpSubKey, REGSAM samDesired, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  KeyRef ref;
  std::vector<std::u16string> sub;
  LONG rc = ResolveSubkey(hKey, lpSubKey, ref, sub);
  if (rc != ERROR_SUCCESS) return rc;
  std::vector<std::u16string> spelled;
  rc = ReadHive(ref.hive, [&](const RegistryKey& root) {
    LONG r;
    const RegistryKey* key = KeyOf(root, ref, r);
    if (!key) return r;
    spelled = ref.path;
    for (const auto& part : sub) {
      key = key->Subkey(part);
      if (!key) return LONG(ERROR_FILE_NOT_FOUND);
      spelled.push_back(key->name);
    }
    return LONG(ERROR_SUCCESS);
  });
  if (rc != ERROR_SUCCESS) return rc;
  REGSAM granted = 0;
  if (!GrantRights(ref.hive, samDesired, granted)) return ERROR_ACCESS_DENIED;
  *phkResult = NewHandle(ref.hive, std::move(spelled), granted);
  return ERROR_SUCCESS;
}

}  // namespace

WIN32_API LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  return OpenKey(hKey, lpSubKey, samDesired, phkResult);
}

WIN32_API LSTATUS WINAPI RegOpenKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  if (!lpSubKey || !*lpSubKey) {
    KeyRef ref;
    if (!ResolveHandle(hKey, ref)) return ERROR_INVALID_HANDLE;
    *phkResult = hKey;  // the same handle, as the platform answers an empty name
    return ERROR_SUCCESS;
  }
  return OpenKey(hKey, lpSubKey, MAXIMUM_ALLOWED, phkResult);
}

WIN32_API LSTATUS WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                                         const SECURITY_ATTRIBUTES*, PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (!phkResult || !lpSubKey) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  KeyRef ref;
  std::vector<std::u16string> sub;
  LONG rc = ResolveSubkey(hKey, lpSubKey, ref, sub);
  if (rc != ERROR_SUCCESS) return rc;
  REGSAM granted = 0;
  bool rightsOk = GrantRights(ref.hive, samDesired, granted);
  bool created = false;
  std::vector<std::u16string> spelled;
  rc = WriteHive(ref.hive, [&](RegistryKey& root, bool& changed) {
    LONG r;
    RegistryKey* key = KeyToChange(root, ref, r, changed);
    if (!key) return r;
    RegistryKey* existing = key->Find(sub);
    if (!existing) {
      // A new key needs the right to make subkeys on the parent handle.
      if (!(ref.access & KEY_CREATE_SUB_KEY) || !rightsOk) return LONG(ERROR_ACCESS_DENIED);
      existing = &key->Make(sub, &created);
      changed = true;
    } else if (!rightsOk) {
      return LONG(ERROR_ACCESS_DENIED);
    }
    spelled = ref.path;
    RegistryKey* walk = key;
    for (const auto& part : sub) {
      walk = walk->Subkey(part);
      spelled.push_back(walk->name);
    }
    return LONG(ERROR_SUCCESS);
  });
  if (rc != ERROR_SUCCESS) return rc;
  *phkResult = NewHandle(ref.hive, std::move(spelled), granted);
  if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

WIN32_API LSTATUS WINAPI RegCreateKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  if (!lpSubKey || !*lpSubKey) {
    KeyRef ref;
    if (!ResolveHandle(hKey, ref)) return ERROR_INVALID_HANDLE;
    *phkResult = hKey;
    return ERROR_SUCCESS;
  }
  return RegCreateKeyExW(hKey, lpSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, MAXIMUM_ALLOWED, nullptr, phkResult,
                         nullptr);
}

WIN32_API LSTATUS WINAPI RegCloseKey(HKEY hKey) {
  KeyRef ref;
  if (!ResolveHandle(hKey, ref)) return ERROR_INVALID_HANDLE;
  if (ref.predefined) return ERROR_SUCCESS;
  HandleRemove(reinterpret_cast<HANDLE>(hKey));
  return ERROR_SUCCESS;
}

WIN32_API LSTATUS WINAPI RegFlushKey(HKEY hKey) {
  KeyRef ref;
  if (!ResolveHandle(hKey, ref)) return ERROR_INVALID_HANDLE;
  return ERROR_SUCCESS;  // every change is written through already
}

namespace {

// Runs fn on the value of a key for reading, after the handle and right checks.
LONG WithValue(HKEY hKey, std::u16string_view name, const std::function<LONG(const RegistryValue&)>& fn) {
  KeyRef ref;
  if (!ResolveHandle(hKey, ref)) return ERROR_INVALID_HANDLE;
  if (!(ref.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  return ReadHive(ref.hive, [&](const RegistryKey& root) {
    LONG r;
    const RegistryKey* key = KeyOf(root, ref, r);
    if (!key) return r;
    const RegistryValue* v = key->Value(name);
    if (!v) return LONG(ERROR_FILE_NOT_FOUND);
    return fn(*v);
  });
}

}  // namespace

WIN32_API LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                          LPBYTE lpData, LPDWORD lpcbData) {
  if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  return WithValue(hKey, WideView(lpValueName), [&](const RegistryValue& v) {
    if (lpType) *lpType = v.type;
    return CopyData(v.data, lpData, lpcbData);
  });
}

WIN32_API LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                          LPBYTE lpData, LPDWORD lpcbData) {
  if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  UINT cp = Machine::Facts().ansiCodePage;
  std::u16string name;
  if (lpValueName && !AnsiToWide(cp, lpValueName, name)) return ERROR_INVALID_PARAMETER;
  return WithValue(hKey, name, [&](const RegistryValue& v) {
    if (lpType) *lpType = v.type;
    if (!IsStringType(v.type)) return CopyData(v.data, lpData, lpcbData);
    std::string ansi;
    WideToAnsi(cp, RegUnits(v.data), ansi);
    return CopyData(ansi, lpData, lpcbData);
  });
}

WIN32_API LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                                        DWORD cbData) {
  KeyRef ref;
  if (!ResolveHandle(hKey, ref)) return ERROR_INVALID_HANDLE;
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  std::u16string_view name = WideView(lpValueName);
  if (name.size() > REG_MAX_VALUE_NAME) return ERROR_INVALID_PARAMETER;
  if (!(ref.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::string data(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
  return WriteHive(ref.hive, [&](RegistryKey& root, bool& changed) {
    LONG r;
    RegistryKey* key = KeyToChange(root, ref, r, changed);
    if (!key) return r;
    key->SetValue(name, dwType, std::move(data));
    changed = true;
    return LONG(ERROR_SUCCESS);
  });
}

WIN32_API LSTATUS WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  KeyRef ref;
  if (!ResolveHandle(hKey, ref)) return ERROR_INVALID_HANDLE;
  if (!(ref.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::u16string_view name = WideView(lpValueName);
  return WriteHive(ref.hive, [&](RegistryKey& root, bool& changed) {
    LONG r;
    RegistryKey* key = const_cast<RegistryKey*>(KeyOf(root, ref, r));
    if (!key) return r;
    if (!key->RemoveValue(name)) return LONG(ERROR_FILE_NOT_FOUND);
    changed = true;
    return LONG(ERROR_SUCCESS);
  });
}

WIN32_API LSTATUS WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  KeyRef ref;
  std::vector<std::u16string> sub;
  LONG rc = ResolveSubkey(hKey, lpSubKey, ref, sub);
  if (rc != ERROR_SUCCESS) return rc;
  std::vector<std::u16string> target = Join(ref.path, sub);
  return WriteHive(ref.hive, [&](RegistryKey& root, bool& changed) {
    LONG r;
    if (!KeyOf(root, ref, r)) return r;
    RegistryKey* key = root.Find(target);
    if (!key) return LONG(ERROR_FILE_NOT_FOUND);
    // The root of a hive, a key with subkeys and a key the user may not delete stay.
    if (target.empty() || !key->subkeys.empty() || !(AllowedRights(ref.hive) & DELETE))
      return LONG(ERROR_ACCESS_DENIED);
    std::vector<std::u16string> parentPath(target.begin(), target.end() - 1);
    root.Find(parentPath)->RemoveSubkey(target.back());
    changed = true;
    return LONG(ERROR_SUCCESS);
  });
}

WIN32_API LSTATUS WINAPI RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                                       LPWSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
  if (lpReserved || !lpName || !lpcchName) return ERROR_INVALID_PARAMETER;
  KeyRef ref;
  if (!ResolveHandle(hKey, ref)) return ERROR_INVALID_HANDLE;
  if (!(ref.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  LONG rc = ReadHive(ref.hive, [&](const RegistryKey& root) {
    LONG r;
    const RegistryKey* key = KeyOf(root, ref, r);
    if (!key) return r;
    if (dwIndex >= key->subkeys.size()) return LONG(ERROR_NO_MORE_ITEMS);
    auto it = key->subkeys.begin();
    std::advance(it, dwIndex);
    return CopyName(it->second->name, lpName, lpcchName);
  });
  if (rc != ERROR_SUCCESS) return rc;
  if (lpClass && lpcchClass && *lpcchClass) {
    lpClass[0] = u'\0';
    *lpcchClass = 0;
  }
  if (lpftLastWriteTime) *lpftLastWriteTime = HiveTime(ref.hive);
  return ERROR_SUCCESS;
}

WIN32_API LSTATUS WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                                       LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (lpReserved || !lpValueName || !lpcchValueName || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  KeyRef ref;
  if (!ResolveHandle(hKey, ref)) return ERROR_INVALID_HANDLE;
  if (!(ref.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  return ReadHive(ref.hive, [&](const RegistryKey& root) {
    LONG r;
    const RegistryKey* key = KeyOf(root, ref, r);
    if (!key) return r;
    if (dwIndex >= key->values.size()) return LONG(ERROR_NO_MORE_ITEMS);
    const RegistryValue& v = key->values[dwIndex];
    LONG nameRc = CopyName(v.name, lpValueName, lpcchValueName);
    if (lpType) *lpType = v.type;
    LONG dataRc = CopyData(v.data, lpData, lpcbData);
    return nameRc != ERROR_SUCCESS ? nameRc : dataRc;
  });
}

WIN32_API LSTATUS WINAPI RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                                          LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                                          LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                          LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime) {
  if (lpReserved) return ERROR_INVALID_PARAMETER;
  KeyRef ref;
  if (!ResolveHandle(hKey, ref)) return ERROR_INVALID_HANDLE;
  if (!(ref.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  LONG rc = ReadHive(ref.hive, [&](const RegistryKey& root) {
    LONG r;
    const RegistryKey* key = KeyOf(root, ref, r);
    if (!key) return r;
    DWORD maxSub = 0, maxName = 0, maxData = 0;
    for (const auto& [folded, sub] : key->subkeys) maxSub = std::max<DWORD>(maxSub, DWORD(sub->name.size()));
    for (const auto& v : key->values) {
      maxName = std::max<DWORD>(maxName, DWORD(v.name.size()));
      maxData = std::max<DWORD>(maxData, DWORD(v.data.size()));
    }
    if (lpcSubKeys) *lpcSubKeys = DWORD(key->subkeys.size());
    if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = maxSub;
    if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
    if (lpcValues) *lpcValues = DWORD(key->values.size());
    if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = maxName;
    if (lpcbMaxValueLen) *lpcbMaxValueLen = maxData;
    return LONG(ERROR_SUCCESS);
  });
  if (rc != ERROR_SUCCESS) return rc;
  if (lpClass && lpcchClass && *lpcchClass) {
    lpClass[0] = u'\0';
    *lpcchClass = 0;
  }
  if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
  if (lpftLastWriteTime) *lpftLastWriteTime = HiveTime(ref.hive);
  return ERROR_SUCCESS;
}
