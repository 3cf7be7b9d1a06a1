// Creation of the shared settings folder and the security that opens it to every user: full
// access for Everyone (inherited by new files and folders) and the Administrators as owner.
#include <string>

#include "env_system.h"
#include "settings_paths.h"

namespace {

constexpr DWORD kFileAllAccess = 0x1F01FF;

// A SID of one sub-authority in a LocalAlloc block, or NULL.
PSID MakeSid(SID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD sub0, DWORD sub1) {
  PSID built = nullptr;
  if (!AllocateAndInitializeSid(&authority, count, sub0, sub1, 0, 0, 0, 0, 0, 0, &built)) return nullptr;
  const DWORD length = GetLengthSid(built);
  PSID copy = LocalAlloc(LPTR, length);
  if (copy && !CopySid(length, copy, built)) {
    LocalFree(copy);
    copy = nullptr;
  }
  FreeSid(built);
  return copy;
}

using SdFactory = PSECURITY_DESCRIPTOR (*)();
using SdRelease = void (*)(PSECURITY_DESCRIPTOR);

int ApplyDescriptor(const WCHAR* path, DWORD flags, SECURITY_INFORMATION information, SdFactory make, SdRelease release) {
  if (!path) return 0;
  PSECURITY_DESCRIPTOR sd = make();
  if (!sd) return 0;
  SetFileSecurityW(path, information, sd);
  if (!(flags & 1)) EnvApplySecurityToChildren(path, sd, flags, information);
  release(sd);
  return 1;
}

bool IsDotEntry(const WCHAR* name) {
  return name[0] == u'.' && (name[1] == u'\0' || (name[1] == u'.' && name[2] == u'\0'));
}

// Calls visit(child path, is folder) for every entry of folder\*.* but "." and "..". false
// when the enumeration could not start.
template <typename Visit>
bool ForEachChild(const WCHAR* folder, Visit visit) {
  const std::u16string base(folder);
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((base + u"\\*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  do {
    if (!IsDotEntry(data.cFileName))
      visit(base + u"\\" + data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return true;
}

}  // namespace

PSECURITY_DESCRIPTOR EnvCreateEveryoneSd() {
  PSID everyone = MakeSid(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID, 0);
  if (!everyone) return nullptr;
  const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(everyone);
  auto* acl = static_cast<PACL>(LocalAlloc(LPTR, aclSize));
  auto* sd = static_cast<PSECURITY_DESCRIPTOR>(LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH));
  const bool built = acl && sd && InitializeAcl(acl, aclSize, ACL_REVISION) &&
                     AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
                                           kFileAllAccess, everyone) &&
                     InitializeSecurityDescriptor(sd, SECURITY_DESCRIPTOR_REVISION) &&
                     SetSecurityDescriptorDacl(sd, TRUE, acl, FALSE);
  LocalFree(everyone);  // the ACE holds its own copy
  if (!built) {
    if (acl) LocalFree(acl);
    if (sd) LocalFree(sd);
    return nullptr;
  }
  return sd;
}

void EnvFreeEveryoneSd(PSECURITY_DESCRIPTOR sd) {
  if (!sd) return;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL acl = nullptr;
  if (GetSecurityDescriptorDacl(sd, &present, &acl, &defaulted) && present && !defaulted && acl) LocalFree(acl);
  LocalFree(sd);
}

PSECURITY_DESCRIPTOR EnvCreateAdminOwnerSd() {
  PSID admins = MakeSid(SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS);
  if (!admins) return nullptr;
  auto* sd = static_cast<PSECURITY_DESCRIPTOR>(LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH));
  if (!sd || !InitializeSecurityDescriptor(sd, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorOwner(sd, admins, FALSE)) {
    if (sd) LocalFree(sd);
    LocalFree(admins);
    return nullptr;
  }
  return sd;
}

void EnvFreeAdminOwnerSd(PSECURITY_DESCRIPTOR sd) {
  if (!sd) return;
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (GetSecurityDescriptorOwner(sd, &owner, &defaulted) && owner && !defaulted) LocalFree(owner);
  LocalFree(sd);
}

int EnvApplySecurityToChildren(const WCHAR* folder, PSECURITY_DESCRIPTOR sd, DWORD flags,
                               SECURITY_INFORMATION information) {
  if (!folder || !sd) return 0;
  return ForEachChild(folder, [&](const std::u16string& child, bool isFolder) {
           if (!isFolder || (flags & 2)) SetFileSecurityW(child.c_str(), information, sd);
           if (isFolder && (flags & 4)) EnvApplySecurityToChildren(child.c_str(), sd, flags, information);
         })
             ? 1
             : 0;
}

int EnvApplyEveryoneDacl(const WCHAR* path, DWORD flags) {
  return ApplyDescriptor(path, flags, DACL_SECURITY_INFORMATION, EnvCreateEveryoneSd, EnvFreeEveryoneSd);
}

int EnvApplyAdminOwner(const WCHAR* path, DWORD flags) {
  return ApplyDescriptor(path, flags, OWNER_SECURITY_INFORMATION, EnvCreateAdminOwnerSd, EnvFreeAdminOwnerSd);
}

namespace {

// Creates the shared folder (not its parents), hides it and gives the folder itself the
// Administrators as owner and Everyone full access.
int CreateSharedFolder(const WCHAR* folder) {
  const int created = PathEnsureDir(folder);
  SetFileAttributesW(folder, FILE_ATTRIBUTE_HIDDEN);
  EnvApplyAdminOwner(folder, 1);
  EnvApplyEveryoneDacl(folder, 1);
  return created;
}

}  // namespace

int PathCreateSharedDirOf(HANDLE printer) {
  WCHAR folder[MAX_PATH + 1] = {};
  if (PathGetSharedDirOfPrinter(folder, MAX_PATH + 1, printer) <= 0) return 0;
  return CreateSharedFolder(folder);
}

int PathCreateSharedDir(DriverContext* ctx) {
  if (!ctx) return 0;
  WCHAR folder[MAX_PATH + 1] = {};
  if (PathGetSharedDir(folder, MAX_PATH + 1, ctx) <= 0) return 0;
  return CreateSharedFolder(folder);
}

int PathSecureSharedDirOf(HANDLE printer) {
  WCHAR folder[MAX_PATH + 1] = {};
  if (PathGetSharedDirOfPrinter(folder, MAX_PATH + 1, printer) <= 0) return 0;
  EnvApplyAdminOwner(folder, 0);
  EnvApplyEveryoneDacl(folder, 0);
  return 1;
}

int PathSecureSharedData(DriverContext* ctx) {
  if (!ctx) return 0;
  // Before Windows 2000 the shared data is the device-state file of the system directory,
  // which its own code secures.
  if (!EnvIsWin2000OrLater()) return 0;
  return PathSecureSharedDirOf(ctx->printer);
}

int PathGetDefaultSharedDir(WCHAR* buf, int size) {
  if (!buf || size <= 0) return 0;
  WCHAR system[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryW(system, MAX_PATH + 1);
  if (n < 3 || n > MAX_PATH || 3 + lstrlenW(kSettingsFolderWord) >= size) {
    buf[0] = u'\0';
    return 0;
  }
  lstrcpynW(buf, system, 4);
  lstrcatW(buf, kSettingsFolderWord);
  return lstrlenW(buf);
}

int PathRemoveTree(const WCHAR* folder) {
  if (!folder) return 0;
  return ForEachChild(folder, [](const std::u16string& child, bool isFolder) {
           if (isFolder) {
             PathRemoveTree(child.c_str());
             RemoveDirectoryW(child.c_str());
           } else {
             DeleteFileW(child.c_str());
           }
         })
             ? 1
             : 0;
}

int PathRemoveDefaultSharedDir(HANDLE) {
  WCHAR folder[MAX_PATH + 1] = {};
  if (PathGetDefaultSharedDir(folder, MAX_PATH + 1) <= 0) return 0;
  PathRemoveTree(folder);
  return RemoveDirectoryW(folder) ? 1 : 0;
}
