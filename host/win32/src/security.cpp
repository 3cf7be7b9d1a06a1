// Tokens, SIDs, ACLs, security descriptors, AccessCheck, file security and the user's name.
//
// Every binary record is read and written through memcpy, so that blocks of any alignment
// that callers build (byte buffers, self-relative descriptors) are handled safely.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <sstream>
#include <vector>

#include "handles.h"
#include "win32/hostpath.h"
#include "win32/hostsecurity.h"
#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/memory.h"
#include "win32/security.h"

namespace fs = std::filesystem;

namespace zolt::host {
namespace {

using Bytes = std::vector<BYTE>;

template <class T>
T Load(const void* p, size_t offset = 0) {
  T v;
  std::memcpy(&v, static_cast<const BYTE*>(p) + offset, sizeof v);
  return v;
}

template <class T>
void Store(void* p, size_t offset, const T& v) {
  std::memcpy(static_cast<BYTE*>(p) + offset, &v, sizeof v);
}

// ---------------------------------------------------------------------------------------------
// SIDs

bool SidValid(const void* sid) {
  if (!sid) return false;
  return Load<BYTE>(sid, 0) == SID_REVISION && Load<BYTE>(sid, 1) <= SID_MAX_SUB_AUTHORITIES;
}

DWORD SidLength(const void* sid) { return 8 + 4 * DWORD(Load<BYTE>(sid, 1)); }

Bytes MakeSid(std::initializer_list<BYTE> authority, std::initializer_list<DWORD> subs) {
  Bytes b(8 + 4 * subs.size());
  b[0] = SID_REVISION;
  b[1] = static_cast<BYTE>(subs.size());
  size_t i = 2;
  for (BYTE a : authority) b[i++] = a;
  i = 8;
  for (DWORD s : subs) {
    Store(b.data(), i, s);
    i += 4;
  }
  return b;
}

bool SidEquals(const void* a, const void* b) {
  if (!SidValid(a) || !SidValid(b)) return false;
  DWORD n = SidLength(a);
  return n == SidLength(b) && std::memcmp(a, b, n) == 0;
}

Bytes UserSid() {
  // A machine SID made from the computer name, so each machine has its own user.
  const std::string& name = Machine::Facts().computerName;
  uint32_t h[3] = {2166136261u, 16777619u, 374761393u};
  for (unsigned char c : name) {
    h[0] = (h[0] ^ c) * 16777619u;
    h[1] = (h[1] + c) * 2654435761u;
    h[2] = (h[2] ^ (c << 3)) * 2246822519u;
  }
  return MakeSid({0, 0, 0, 0, 0, 5}, {21, h[0], h[1], h[2], 1001});
}

const Bytes& EveryoneSid() {
  static const Bytes s = MakeSid({0, 0, 0, 0, 0, 1}, {0});
  return s;
}
const Bytes& AdministratorsSid() {
  static const Bytes s = MakeSid({0, 0, 0, 0, 0, 5}, {32, 544});
  return s;
}

// The user's SID and the groups the machine's user belongs to.
struct Identity {
  Bytes user;
  std::vector<Bytes> groups;
};

Identity CurrentIdentity() {
  Identity id;
  id.user = UserSid();
  id.groups.push_back(EveryoneSid());
  id.groups.push_back(MakeSid({0, 0, 0, 0, 0, 5}, {32, 545}));  // BUILTIN\Users
  id.groups.push_back(MakeSid({0, 0, 0, 0, 0, 5}, {4}));        // INTERACTIVE
  id.groups.push_back(MakeSid({0, 0, 0, 0, 0, 5}, {11}));       // Authenticated Users
  if (Machine::Facts().userIsAdmin) id.groups.push_back(AdministratorsSid());
  return id;
}

bool IdentityHas(const Identity& id, const void* sid) {
  if (SidEquals(id.user.data(), sid)) return true;
  for (const auto& g : id.groups)
    if (SidEquals(g.data(), sid)) return true;
  return false;
}

// ---------------------------------------------------------------------------------------------
// ACLs

// The ACL's valid ACEs: offsets of each, or false when the ACL is damaged.
bool AclAces(const void* acl, std::vector<size_t>* offsets, size_t* end) {
  if (!acl) return false;
  BYTE revision = Load<BYTE>(acl, 0);
  WORD size = Load<WORD>(acl, 2);
  WORD count = Load<WORD>(acl, 4);
  if (revision < MIN_ACL_REVISION || revision > MAX_ACL_REVISION || size < sizeof(ACL)) return false;
  size_t at = sizeof(ACL);
  for (WORD i = 0; i < count; ++i) {
    if (at + sizeof(ACE_HEADER) > size) return false;
    WORD aceSize = Load<WORD>(acl, at + 2);
    if (aceSize < sizeof(ACE_HEADER) || aceSize % 4 != 0 || at + aceSize > size) return false;
    if (offsets) offsets->push_back(at);
    at += aceSize;
  }
  if (end) *end = at;
  return true;
}

BOOL AddAce(PACL acl, DWORD revision, BYTE type, DWORD flags, DWORD mask, PSID sid) {
  size_t end = 0;
  if (!AclAces(acl, nullptr, &end)) {
    SetLastError(ERROR_INVALID_ACL);
    return FALSE;
  }
  if (revision < MIN_ACL_REVISION || revision > MAX_ACL_REVISION) {
    SetLastError(ERROR_REVISION_MISMATCH);
    return FALSE;
  }
  if (flags & ~DWORD(VALID_INHERIT_FLAGS)) {
    SetLastError(ERROR_INVALID_FLAGS);
    return FALSE;
  }
  if (!SidValid(sid)) {
    SetLastError(ERROR_INVALID_SID);
    return FALSE;
  }
  DWORD sidLen = SidLength(sid);
  size_t aceSize = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + sidLen;
  if (end + aceSize > Load<WORD>(acl, 2)) {
    SetLastError(ERROR_ALLOTTED_SPACE_EXCEEDED);
    return FALSE;
  }
  BYTE* at = reinterpret_cast<BYTE*>(acl) + end;
  Store<BYTE>(at, 0, type);
  Store<BYTE>(at, 1, static_cast<BYTE>(flags));
  Store<WORD>(at, 2, static_cast<WORD>(aceSize));
  Store<DWORD>(at, 4, mask);
  std::memcpy(at + 8, sid, sidLen);
  Store<WORD>(acl, 4, static_cast<WORD>(Load<WORD>(acl, 4) + 1));
  if (revision > Load<BYTE>(acl, 0)) Store<BYTE>(acl, 0, static_cast<BYTE>(revision));
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Security descriptors

struct SdParts {
  WORD control = 0;
  const BYTE* owner = nullptr;
  const BYTE* group = nullptr;
  const BYTE* sacl = nullptr;
  const BYTE* dacl = nullptr;
};

size_t AclLength(const BYTE* acl) { return acl ? Load<WORD>(acl, 2) : 0; }

// Reads an absolute or self-relative descriptor; false when it is not a valid one. With size
// non-zero the descriptor is a self-relative one of that many bytes (a stored one): every part
// its offsets name must lie wholly inside them.
bool ReadSd(const void* sd, SdParts& out, size_t size = 0) {
  out = SdParts{};
  if (!sd || (size && size < sizeof(SECURITY_DESCRIPTOR_RELATIVE))) return false;
  if (Load<BYTE>(sd, 0) != SECURITY_DESCRIPTOR_REVISION) return false;
  out.control = Load<WORD>(sd, 2);
  const BYTE* base = static_cast<const BYTE*>(sd);
  if (size && !(out.control & SE_SELF_RELATIVE)) return false;  // stored pointers mean nothing
  if (size) {
    // Each part's fixed header must fit before its own length is read, then the whole part.
    auto fits = [&](size_t field, size_t header, bool isSid) {
      const DWORD off = Load<DWORD>(sd, field);
      if (!off) return true;
      if (off > size || size - off < header) return false;
      const size_t length = isSid ? SidLength(base + off) : AclLength(base + off);
      return length <= size - off;
    };
    if (!fits(4, 8, true) || !fits(8, 8, true)) return false;
    if ((out.control & SE_SACL_PRESENT) && !fits(12, sizeof(ACL), false)) return false;
    if ((out.control & SE_DACL_PRESENT) && !fits(16, sizeof(ACL), false)) return false;
  }
  if (out.control & SE_SELF_RELATIVE) {
    auto at = [&](size_t field) -> const BYTE* {
      DWORD off = Load<DWORD>(sd, field);
      return off ? base + off : nullptr;
    };
    out.owner = at(4);
    out.group = at(8);
    out.sacl = at(12);
    out.dacl = at(16);
  } else {
    out.owner = Load<const BYTE*>(sd, offsetof(SECURITY_DESCRIPTOR, Owner));
    out.group = Load<const BYTE*>(sd, offsetof(SECURITY_DESCRIPTOR, Group));
    out.sacl = Load<const BYTE*>(sd, offsetof(SECURITY_DESCRIPTOR, Sacl));
    out.dacl = Load<const BYTE*>(sd, offsetof(SECURITY_DESCRIPTOR, Dacl));
  }
  if (!(out.control & SE_DACL_PRESENT)) out.dacl = nullptr;
  if (!(out.control & SE_SACL_PRESENT)) out.sacl = nullptr;
  if (out.owner && !SidValid(out.owner)) return false;
  if (out.group && !SidValid(out.group)) return false;
  if (out.dacl && !AclAces(out.dacl, nullptr, nullptr)) return false;
  if (out.sacl && !AclAces(out.sacl, nullptr, nullptr)) return false;
  return true;
}

// The self-relative form of the parts: the header, then owner, group, SACL and DACL, each at a
// DWORD boundary.
Bytes MakeSelfRelative(const SdParts& p) {
  struct Part {
    const BYTE* data;
    size_t size;
    size_t field;  // offset of its offset in the header
  } parts[] = {{p.owner, p.owner ? SidLength(p.owner) : 0, 4},
               {p.group, p.group ? SidLength(p.group) : 0, 8},
               {p.sacl, AclLength(p.sacl), 12},
               {p.dacl, AclLength(p.dacl), 16}};
  size_t total = sizeof(SECURITY_DESCRIPTOR_RELATIVE);
  for (const Part& part : parts)
    if (part.data) total = (total + 3) / 4 * 4 + part.size;
  Bytes out(total, 0);
  out[0] = SECURITY_DESCRIPTOR_REVISION;
  Store<WORD>(out.data(), 2, static_cast<WORD>(p.control | SE_SELF_RELATIVE));
  size_t at = sizeof(SECURITY_DESCRIPTOR_RELATIVE);
  for (const Part& part : parts) {
    if (!part.data) continue;
    at = (at + 3) / 4 * 4;
    Store<DWORD>(out.data(), part.field, static_cast<DWORD>(at));
    std::memcpy(out.data() + at, part.data, part.size);
    at += part.size;
  }
  return out;
}

bool AbsoluteSd(PSECURITY_DESCRIPTOR sd) {
  if (!sd) return false;
  if (Load<BYTE>(sd, 0) != SECURITY_DESCRIPTOR_REVISION) return false;
  return !(Load<WORD>(sd, 2) & SE_SELF_RELATIVE);
}

ACCESS_MASK MapGeneric(ACCESS_MASK mask, const GENERIC_MAPPING& m) {
  if (mask & GENERIC_READ) mask |= m.GenericRead;
  if (mask & GENERIC_WRITE) mask |= m.GenericWrite;
  if (mask & GENERIC_EXECUTE) mask |= m.GenericExecute;
  if (mask & GENERIC_ALL) mask |= m.GenericAll;
  return mask & ~ACCESS_MASK(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
}

// ---------------------------------------------------------------------------------------------
// Tokens

class TokenObject : public KernelObject {
 public:
  TOKEN_TYPE type = TokenPrimary;
  SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
};

struct ThreadToken {
  std::shared_ptr<TokenObject> token;  // set while the thread impersonates
};
thread_local ThreadToken t_thread;

// ---------------------------------------------------------------------------------------------
// File security store: <root>/security/<hash>.sd holds the file's Windows path and the
// self-relative descriptor.

std::mutex& StoreLock() {
  static std::mutex* m = new std::mutex;
  return *m;
}

fs::path StoreFileOf(const std::u16string& windowsPath) {
  uint64_t h = 1469598103934665603ull;
  for (char16_t c : windowsPath) {
    h = (h ^ (c & 0xFF)) * 1099511628211ull;
    h = (h ^ (c >> 8)) * 1099511628211ull;
  }
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.sd", static_cast<unsigned long long>(h));
  return Machine::Root() / "security" / name;
}

std::optional<Bytes> LoadStored(const std::u16string& windowsPath) {
  std::ifstream in(StoreFileOf(windowsPath), std::ios::binary);
  if (!in) return std::nullopt;
  std::string path;
  if (!std::getline(in, path) || FromUtf8(path) != windowsPath) return std::nullopt;
  Bytes sd((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  SdParts parts;
  if (!ReadSd(sd.data(), parts, sd.size())) return std::nullopt;
  return sd;
}

bool SaveStored(const std::u16string& windowsPath, const Bytes& sd) {
  fs::path file = StoreFileOf(windowsPath);
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  fs::path tmp = file;
  tmp += ".tmp" + std::to_string(getpid());
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << ToUtf8(windowsPath) << '\n';
    out.write(reinterpret_cast<const char*>(sd.data()), static_cast<std::streamsize>(sd.size()));
    if (!out.flush()) return false;
  }
  fs::rename(tmp, file, ec);
  return !ec;
}

}  // namespace

std::string SidToString(const void* sid) {
  if (!SidValid(sid)) return {};
  uint64_t authority = 0;
  for (int i = 0; i < 6; ++i) authority = (authority << 8) | Load<BYTE>(sid, 2 + i);
  std::string s = "S-1-";
  s += std::to_string(authority);
  for (BYTE i = 0; i < Load<BYTE>(sid, 1); ++i) {
    s += '-';
    s += std::to_string(Load<DWORD>(sid, 8 + 4 * i));
  }
  return s;
}

std::string MachineUserSid() { return SidToString(UserSid().data()); }

std::optional<StoredSecurity> StoredFileSecurity(std::u16string_view windowsPath) {
  DWORD error = 0;
  auto real = MapPath(windowsPath, Resolve::Existing, &error);
  if (!real) return std::nullopt;
  std::lock_guard guard(StoreLock());
  auto sd = LoadStored(ToWindowsPath(*real));
  if (!sd) return std::nullopt;
  SdParts parts;
  ReadSd(sd->data(), parts, sd->size());
  StoredSecurity out;
  out.selfRelative = *sd;
  out.owner = parts.owner ? SidToString(parts.owner) : std::string();
  out.group = parts.group ? SidToString(parts.group) : std::string();
  out.daclPresent = (parts.control & SE_DACL_PRESENT) != 0;
  out.daclNull = out.daclPresent && !parts.dacl;
  std::vector<size_t> aces;
  if (parts.dacl && AclAces(parts.dacl, &aces, nullptr)) {
    for (size_t at : aces) {
      StoredAce ace;
      ace.type = Load<BYTE>(parts.dacl, at);
      ace.flags = Load<BYTE>(parts.dacl, at + 1);
      const WORD aceSize = Load<WORD>(parts.dacl, at + 2);
      const bool sidFits = aceSize >= 8 + 8 && SidValid(parts.dacl + at + 8) && 8 + SidLength(parts.dacl + at + 8) <= aceSize;
      if ((ace.type == ACCESS_ALLOWED_ACE_TYPE || ace.type == ACCESS_DENIED_ACE_TYPE) && sidFits) {
        ace.mask = Load<DWORD>(parts.dacl, at + 4);
        ace.sid = SidToString(parts.dacl + at + 8);
      }
      out.dacl.push_back(std::move(ace));
    }
  }
  return out;
}

}  // namespace zolt::host

using namespace zolt::host;

// ---------------------------------------------------------------------------------------------
// Tokens

WIN32_API BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD, PHANDLE TokenHandle) {
  if (!TokenHandle) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (ProcessHandle != GetCurrentProcess() && !HandleGet(ProcessHandle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  auto token = std::make_shared<TokenObject>();
  token->type = TokenPrimary;
  *TokenHandle = HandleInsert(token);
  return TRUE;
}

WIN32_API BOOL WINAPI OpenThreadToken(HANDLE ThreadHandle, DWORD, BOOL, PHANDLE TokenHandle) {
  if (!TokenHandle) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (ThreadHandle != GetCurrentThread()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!t_thread.token) {
    SetLastError(ERROR_NO_TOKEN);
    return FALSE;
  }
  *TokenHandle = HandleInsert(t_thread.token);
  return TRUE;
}

WIN32_API BOOL WINAPI ImpersonateSelf(SECURITY_IMPERSONATION_LEVEL level) {
  if (level < SecurityAnonymous || level > SecurityDelegation) {
    SetLastError(ERROR_BAD_IMPERSONATION_LEVEL);
    return FALSE;
  }
  auto token = std::make_shared<TokenObject>();
  token->type = TokenImpersonation;
  token->level = level;
  t_thread.token = token;
  return TRUE;
}

WIN32_API BOOL WINAPI RevertToSelf(void) {
  t_thread.token.reset();
  return TRUE;
}

WIN32_API HANDLE WINAPI RevertToPrinterSelf(void) {
  if (!t_thread.token) {
    SetLastError(ERROR_NO_TOKEN);
    return nullptr;
  }
  HANDLE h = HandleInsert(t_thread.token);
  t_thread.token.reset();
  return h;
}

WIN32_API BOOL WINAPI ImpersonatePrinterClient(HANDLE hToken) {
  auto token = HandleGetAs<TokenObject>(hToken);
  if (!token || token->type != TokenImpersonation) {
    SetLastError(token ? ERROR_BAD_IMPERSONATION_LEVEL : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  t_thread.token = token;
  HandleRemove(hToken);
  return TRUE;
}

WIN32_API BOOL WINAPI GetTokenInformation(HANDLE TokenHandle, TOKEN_INFORMATION_CLASS cls, LPVOID info,
                                          DWORD length, PDWORD returnLength) {
  auto token = HandleGetAs<TokenObject>(TokenHandle);
  if (!token) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!returnLength) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Identity id = CurrentIdentity();
  Bytes out;
  switch (cls) {
    case TokenUser: {
      out.resize(sizeof(TOKEN_USER));
      out.insert(out.end(), id.user.begin(), id.user.end());
      break;
    }
    case TokenGroups: {
      size_t head = offsetof(TOKEN_GROUPS, Groups) + id.groups.size() * sizeof(SID_AND_ATTRIBUTES);
      out.resize(head);
      Store<DWORD>(out.data(), 0, static_cast<DWORD>(id.groups.size()));
      for (const auto& g : id.groups) out.insert(out.end(), g.begin(), g.end());
      break;
    }
    case TokenType:
      out.resize(sizeof(TOKEN_TYPE));
      Store<TOKEN_TYPE>(out.data(), 0, token->type);
      break;
    case TokenImpersonationLevel:
      if (token->type != TokenImpersonation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      out.resize(sizeof(SECURITY_IMPERSONATION_LEVEL));
      Store<SECURITY_IMPERSONATION_LEVEL>(out.data(), 0, token->level);
      break;
    case TokenElevation:
      out.resize(sizeof(TOKEN_ELEVATION));
      Store<DWORD>(out.data(), 0, Machine::Facts().userIsAdmin ? 1u : 0u);
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
  *returnLength = static_cast<DWORD>(out.size());
  if (!info || length < out.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  BYTE* dst = static_cast<BYTE*>(info);
  std::memcpy(dst, out.data(), out.size());
  // Point the SID_AND_ATTRIBUTES records at the SIDs copied behind them.
  if (cls == TokenUser) {
    Store<PSID>(dst, offsetof(TOKEN_USER, User.Sid), dst + sizeof(TOKEN_USER));
    Store<DWORD>(dst, offsetof(TOKEN_USER, User.Attributes), 0);
  } else if (cls == TokenGroups) {
    size_t at = offsetof(TOKEN_GROUPS, Groups) + id.groups.size() * sizeof(SID_AND_ATTRIBUTES);
    for (size_t i = 0; i < id.groups.size(); ++i) {
      size_t rec = offsetof(TOKEN_GROUPS, Groups) + i * sizeof(SID_AND_ATTRIBUTES);
      Store<PSID>(dst, rec + offsetof(SID_AND_ATTRIBUTES, Sid), dst + at);
      Store<DWORD>(dst, rec + offsetof(SID_AND_ATTRIBUTES, Attributes),
                   DWORD(SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED));
      at += id.groups[i].size();
    }
  }
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// SIDs

WIN32_API BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD s0,
                                               DWORD s1, DWORD s2, DWORD s3, DWORD s4, DWORD s5, DWORD s6,
                                               DWORD s7, PSID* pSid) {
  if (!authority || !pSid || count > 8) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const DWORD subs[8] = {s0, s1, s2, s3, s4, s5, s6, s7};
  size_t size = 8 + 4 * size_t(count);
  BYTE* sid = static_cast<BYTE*>(LocalAlloc(LPTR, size));
  if (!sid) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  sid[0] = SID_REVISION;
  sid[1] = count;
  std::memcpy(sid + 2, authority->Value, 6);
  for (BYTE i = 0; i < count; ++i) Store<DWORD>(sid, 8 + 4 * i, subs[i]);
  *pSid = sid;
  return TRUE;
}

WIN32_API PVOID WINAPI FreeSid(PSID pSid) {
  if (pSid) LocalFree(pSid);
  return nullptr;
}

WIN32_API DWORD WINAPI GetLengthSid(PSID pSid) { return SidValid(pSid) ? SidLength(pSid) : 0; }

WIN32_API BOOL WINAPI IsValidSid(PSID pSid) { return SidValid(pSid) ? TRUE : FALSE; }

WIN32_API BOOL WINAPI EqualSid(PSID pSid1, PSID pSid2) {
  SetLastError(ERROR_SUCCESS);
  return SidEquals(pSid1, pSid2) ? TRUE : FALSE;
}

WIN32_API BOOL WINAPI CopySid(DWORD length, PSID dst, PSID src) {
  if (!SidValid(src)) {
    SetLastError(ERROR_INVALID_SID);
    return FALSE;
  }
  if (!dst || length < SidLength(src)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memmove(dst, src, SidLength(src));
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// ACLs

WIN32_API BOOL WINAPI InitializeAcl(PACL pAcl, DWORD nAclLength, DWORD dwAclRevision) {
  if (!pAcl) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (dwAclRevision < MIN_ACL_REVISION || dwAclRevision > MAX_ACL_REVISION) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (nAclLength < sizeof(ACL) || nAclLength > 0xFFFF) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  ACL acl{};
  acl.AclRevision = static_cast<BYTE>(dwAclRevision);
  acl.AclSize = static_cast<WORD>(nAclLength & ~3u);  // sizes are kept to whole DWORDs
  std::memcpy(pAcl, &acl, sizeof acl);
  return TRUE;
}

WIN32_API BOOL WINAPI IsValidAcl(PACL pAcl) { return AclAces(pAcl, nullptr, nullptr) ? TRUE : FALSE; }

WIN32_API BOOL WINAPI AddAccessAllowedAce(PACL pAcl, DWORD rev, DWORD mask, PSID sid) {
  return AddAce(pAcl, rev, ACCESS_ALLOWED_ACE_TYPE, 0, mask, sid);
}

WIN32_API BOOL WINAPI AddAccessAllowedAceEx(PACL pAcl, DWORD rev, DWORD flags, DWORD mask, PSID sid) {
  return AddAce(pAcl, rev, ACCESS_ALLOWED_ACE_TYPE, flags, mask, sid);
}

WIN32_API BOOL WINAPI AddAccessDeniedAce(PACL pAcl, DWORD rev, DWORD mask, PSID sid) {
  return AddAce(pAcl, rev, ACCESS_DENIED_ACE_TYPE, 0, mask, sid);
}

WIN32_API BOOL WINAPI GetAce(PACL pAcl, DWORD index, LPVOID* pAce) {
  std::vector<size_t> aces;
  if (!pAce || !AclAces(pAcl, &aces, nullptr) || index >= aces.size()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pAce = reinterpret_cast<BYTE*>(pAcl) + aces[index];
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Security descriptors

WIN32_API BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR sd, DWORD revision) {
  if (!sd) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_UNKNOWN_REVISION);
    return FALSE;
  }
  SECURITY_DESCRIPTOR d{};
  d.Revision = SECURITY_DESCRIPTOR_REVISION;
  std::memcpy(sd, &d, sizeof d);
  return TRUE;
}

namespace {

// Only an absolute descriptor can be changed: the error for any other block.
BOOL NotAbsolute(PSECURITY_DESCRIPTOR sd) {
  SetLastError(sd && Load<BYTE>(sd, 0) == SECURITY_DESCRIPTOR_REVISION ? ERROR_INVALID_SECURITY_DESCR
                                                                        : ERROR_UNKNOWN_REVISION);
  return FALSE;
}

BOOL SetSdField(PSECURITY_DESCRIPTOR sd, size_t field, const void* value, WORD flag, WORD defaultedFlag,
                BOOL defaulted, bool present) {
  if (!AbsoluteSd(sd)) return NotAbsolute(sd);
  WORD control = Load<WORD>(sd, 2);
  control &= static_cast<WORD>(~(flag | defaultedFlag));
  if (present) {
    control |= flag;
    if (defaulted) control |= defaultedFlag;
  } else {
    value = nullptr;
  }
  Store<WORD>(sd, 2, control);
  Store<const void*>(sd, field, value);
  return TRUE;
}

}  // namespace

WIN32_API BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR sd, BOOL present, PACL dacl, BOOL defaulted) {
  return SetSdField(sd, offsetof(SECURITY_DESCRIPTOR, Dacl), dacl, SE_DACL_PRESENT, SE_DACL_DEFAULTED, defaulted,
                    present != FALSE);
}

WIN32_API BOOL WINAPI SetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR sd, PSID owner, BOOL defaulted) {
  if (!AbsoluteSd(sd)) return NotAbsolute(sd);
  Store<PSID>(sd, offsetof(SECURITY_DESCRIPTOR, Owner), owner);
  WORD control = Load<WORD>(sd, 2) & static_cast<WORD>(~SE_OWNER_DEFAULTED);
  Store<WORD>(sd, 2, static_cast<WORD>(control | (defaulted ? SE_OWNER_DEFAULTED : 0)));
  return TRUE;
}

WIN32_API BOOL WINAPI SetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR sd, PSID group, BOOL defaulted) {
  if (!AbsoluteSd(sd)) return NotAbsolute(sd);
  Store<PSID>(sd, offsetof(SECURITY_DESCRIPTOR, Group), group);
  WORD control = Load<WORD>(sd, 2) & static_cast<WORD>(~SE_GROUP_DEFAULTED);
  Store<WORD>(sd, 2, static_cast<WORD>(control | (defaulted ? SE_GROUP_DEFAULTED : 0)));
  return TRUE;
}

WIN32_API BOOL WINAPI GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR sd, LPBOOL present, PACL* dacl,
                                                LPBOOL defaulted) {
  SdParts p;
  if (!present || !dacl || !defaulted || !ReadSd(sd, p)) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return FALSE;
  }
  *present = (p.control & SE_DACL_PRESENT) ? TRUE : FALSE;
  *dacl = reinterpret_cast<PACL>(const_cast<BYTE*>(p.dacl));
  *defaulted = (p.control & SE_DACL_DEFAULTED) ? TRUE : FALSE;
  return TRUE;
}

WIN32_API BOOL WINAPI GetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR sd, PSID* owner, LPBOOL defaulted) {
  SdParts p;
  if (!owner || !defaulted || !ReadSd(sd, p)) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return FALSE;
  }
  *owner = const_cast<BYTE*>(p.owner);
  *defaulted = (p.control & SE_OWNER_DEFAULTED) ? TRUE : FALSE;
  return TRUE;
}

WIN32_API BOOL WINAPI IsValidSecurityDescriptor(PSECURITY_DESCRIPTOR sd) {
  SdParts p;
  if (!ReadSd(sd, p)) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return FALSE;
  }
  return TRUE;
}

WIN32_API DWORD WINAPI GetSecurityDescriptorLength(PSECURITY_DESCRIPTOR sd) {
  SdParts p;
  if (!ReadSd(sd, p)) return 0;
  return static_cast<DWORD>(MakeSelfRelative(p).size());
}

WIN32_API void WINAPI MapGenericMask(PDWORD mask, PGENERIC_MAPPING mapping) {
  if (mask && mapping) *mask = MapGeneric(*mask, *mapping);
}

WIN32_API BOOL WINAPI AccessCheck(PSECURITY_DESCRIPTOR sd, HANDLE clientToken, DWORD desired,
                                  PGENERIC_MAPPING mapping, PPRIVILEGE_SET privileges, LPDWORD privilegesLength,
                                  LPDWORD granted, LPBOOL status) {
  if (!mapping || !privilegesLength || !granted || !status) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SdParts p;
  if (!ReadSd(sd, p) || !p.owner || !p.group) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return FALSE;
  }
  auto token = HandleGetAs<TokenObject>(clientToken);
  if (!token) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (token->type != TokenImpersonation) {
    SetLastError(ERROR_NO_IMPERSONATION_TOKEN);
    return FALSE;
  }
  if (token->level < SecurityIdentification) {
    SetLastError(ERROR_BAD_IMPERSONATION_LEVEL);
    return FALSE;
  }
  if (desired & (GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL)) {
    SetLastError(ERROR_GENERIC_NOT_MAPPED);
    return FALSE;
  }
  if (*privilegesLength < sizeof(PRIVILEGE_SET) || !privileges) {
    *privilegesLength = sizeof(PRIVILEGE_SET);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  Store<DWORD>(privileges, offsetof(PRIVILEGE_SET, PrivilegeCount), 0);
  Store<DWORD>(privileges, offsetof(PRIVILEGE_SET, Control), 0);

  const ACCESS_MASK everything = MapGeneric(GENERIC_ALL, *mapping) | STANDARD_RIGHTS_ALL;
  const bool maximum = (desired & MAXIMUM_ALLOWED) != 0;
  ACCESS_MASK want = desired & ~ACCESS_MASK(MAXIMUM_ALLOWED);
  ACCESS_MASK allowed = 0;
  Identity id = CurrentIdentity();
  if (!p.dacl) {
    allowed = everything | want;  // no DACL, or a NULL one: every access
  } else {
    ACCESS_MASK denied = 0;
    if (IdentityHas(id, p.owner)) allowed |= READ_CONTROL | WRITE_DAC;  // the owner's implicit rights
    std::vector<size_t> aces;
    AclAces(p.dacl, &aces, nullptr);
    for (size_t at : aces) {
      BYTE type = Load<BYTE>(p.dacl, at);
      BYTE flags = Load<BYTE>(p.dacl, at + 1);
      if (flags & INHERIT_ONLY_ACE) continue;
      if (type != ACCESS_ALLOWED_ACE_TYPE && type != ACCESS_DENIED_ACE_TYPE) continue;
      WORD size = Load<WORD>(p.dacl, at + 2);
      if (size < 8 + 8 || !SidValid(p.dacl + at + 8) || 8 + SidLength(p.dacl + at + 8) > size) continue;
      if (!IdentityHas(id, p.dacl + at + 8)) continue;
      ACCESS_MASK mask = MapGeneric(Load<DWORD>(p.dacl, at + 4), *mapping);
      if (type == ACCESS_ALLOWED_ACE_TYPE) allowed |= mask & ~denied;
      else denied |= mask & ~allowed;
    }
  }
  bool ok = (want & ~allowed) == 0 && (want != 0 || maximum);
  if (ok) {
    *granted = maximum ? (allowed & everything) | want : want;
    *status = TRUE;
  } else {
    *granted = 0;
    *status = FALSE;
    SetLastError(ERROR_ACCESS_DENIED);
  }
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// File security

WIN32_API BOOL WINAPI SetFileSecurityW(LPCWSTR lpFileName, SECURITY_INFORMATION info, PSECURITY_DESCRIPTOR sd) {
  if (!lpFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SdParts given;
  if (!ReadSd(sd, given)) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return FALSE;
  }
  DWORD error = 0;
  auto real = MapPath(WideView(lpFileName), Resolve::Existing, &error);
  if (!real) {
    SetLastError(error);
    return FALSE;
  }
  if ((info & OWNER_SECURITY_INFORMATION) && given.owner && !Machine::Facts().userIsAdmin &&
      !SidEquals(given.owner, UserSid().data())) {
    SetLastError(ERROR_INVALID_OWNER);
    return FALSE;
  }
  std::u16string key = ToWindowsPath(*real);
  std::lock_guard guard(StoreLock());
  std::optional<Bytes> old = LoadStored(key);
  SdParts merged;
  if (old && !ReadSd(old->data(), merged, old->size())) merged = SdParts{};
  WORD control = merged.control & static_cast<WORD>(~SE_SELF_RELATIVE);
  if (info & OWNER_SECURITY_INFORMATION) {
    merged.owner = given.owner;
    control = static_cast<WORD>((control & ~SE_OWNER_DEFAULTED) | (given.control & SE_OWNER_DEFAULTED));
  }
  if (info & GROUP_SECURITY_INFORMATION) {
    merged.group = given.group;
    control = static_cast<WORD>((control & ~SE_GROUP_DEFAULTED) | (given.control & SE_GROUP_DEFAULTED));
  }
  constexpr WORD kDaclBits = SE_DACL_PRESENT | SE_DACL_DEFAULTED | SE_DACL_PROTECTED;
  constexpr WORD kSaclBits = SE_SACL_PRESENT | SE_SACL_DEFAULTED | SE_SACL_PROTECTED;
  if (info & DACL_SECURITY_INFORMATION) {
    merged.dacl = given.dacl;
    control = static_cast<WORD>((control & ~kDaclBits) | (given.control & kDaclBits));
  }
  if (info & SACL_SECURITY_INFORMATION) {
    merged.sacl = given.sacl;
    control = static_cast<WORD>((control & ~kSaclBits) | (given.control & kSaclBits));
  }
  merged.control = control;
  if (!SaveStored(key, MakeSelfRelative(merged))) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// The user's name

WIN32_API BOOL WINAPI GetUserNameW(LPWSTR lpBuffer, LPDWORD pcbBuffer) {
  if (!pcbBuffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::u16string name = FromUtf8(Machine::Facts().userName);
  DWORD need = static_cast<DWORD>(name.size() + 1);
  if (!lpBuffer || *pcbBuffer < need) {
    *pcbBuffer = need;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(lpBuffer, name.c_str(), need * sizeof(WCHAR));
  *pcbBuffer = need;
  return TRUE;
}

WIN32_API BOOL WINAPI GetUserNameA(LPSTR lpBuffer, LPDWORD pcbBuffer) {
  if (!pcbBuffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string name;
  WideToAnsi(Machine::Facts().ansiCodePage, FromUtf8(Machine::Facts().userName), name);
  DWORD need = static_cast<DWORD>(name.size() + 1);
  if (!lpBuffer || *pcbBuffer < need) {
    *pcbBuffer = need;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(lpBuffer, name.c_str(), need);
  *pcbBuffer = need;
  return TRUE;
}
