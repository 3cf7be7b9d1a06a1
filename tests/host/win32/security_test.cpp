// Tokens, SIDs, ACLs, AccessCheck as the driver's administrator test uses them, file security
// and the user's name.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "machine_fixture.h"
#include "win32/hostsecurity.h"
#include "win32/windows.h"

namespace {

using zolt::host::MachineFacts;

// The administrator test exactly as the driver makes it: impersonate, open the thread token
// (the process token when there is none), build a descriptor whose DACL allows mask 3 to
// BUILTIN\Administrators, AccessCheck for access 1, release everything.
BOOL AdministratorCheck() {
  BOOL impersonated = ImpersonateSelf(SecurityImpersonation);
  HANDLE token = nullptr;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token)) {
    if (GetLastError() != ERROR_NO_TOKEN || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
      return FALSE;
  }
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  BOOL status = FALSE;
  if (AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                               &admins)) {
    DWORD aclSize = GetLengthSid(admins) + 16;
    PACL acl = static_cast<PACL>(LocalAlloc(LPTR, aclSize));
    PSECURITY_DESCRIPTOR sd = LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH);
    if (InitializeSecurityDescriptor(sd, SECURITY_DESCRIPTOR_REVISION) &&
        InitializeAcl(acl, aclSize, ACL_REVISION) && AddAccessAllowedAce(acl, ACL_REVISION, 3, admins) &&
        SetSecurityDescriptorDacl(sd, TRUE, acl, FALSE) && SetSecurityDescriptorOwner(sd, admins, FALSE) &&
        SetSecurityDescriptorGroup(sd, admins, FALSE) && IsValidSecurityDescriptor(sd)) {
      GENERIC_MAPPING mapping = {1, 2, 0, 3};
      PRIVILEGE_SET privileges;
      DWORD privilegesLength = sizeof privileges;
      DWORD granted = 0;
      if (!AccessCheck(sd, token, 1, &mapping, &privileges, &privilegesLength, &granted, &status)) status = FALSE;
    }
    LocalFree(acl);
    LocalFree(sd);
    FreeSid(admins);
  }
  CloseHandle(token);
  if (impersonated) RevertToSelf();
  return status;
}

class SecurityTest : public zolt::test::MachineTest {};

class NonAdminSecurityTest : public zolt::test::MachineTest {
 protected:
  MachineFacts Facts() const override {
    MachineFacts f;
    f.userIsAdmin = false;
    f.userName = "guest";
    return f;
  }
};

TEST_F(SecurityTest, AdministratorPassesTheDriversCheck) { EXPECT_TRUE(AdministratorCheck()); }
TEST_F(NonAdminSecurityTest, OtherUserFailsTheDriversCheck) { EXPECT_FALSE(AdministratorCheck()); }

TEST_F(SecurityTest, ThreadTokenExistsOnlyWhileImpersonating) {
  HANDLE token = nullptr;
  SetLastError(0);
  EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_TOKEN));
  ASSERT_TRUE(ImpersonateSelf(SecurityImpersonation));
  ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
  TOKEN_TYPE type{};
  DWORD len = 0;
  ASSERT_TRUE(GetTokenInformation(token, TokenType, &type, sizeof type, &len));
  EXPECT_EQ(type, TokenImpersonation);
  CloseHandle(token);
  // Other threads do not share the impersonation.
  std::thread([] {
    HANDLE t = nullptr;
    EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &t));
  }).join();
  // The spooler's pair steps out of the impersonation and back in.
  HANDLE client = RevertToPrinterSelf();
  ASSERT_NE(client, nullptr);
  EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
  ASSERT_TRUE(ImpersonatePrinterClient(client));
  ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
  CloseHandle(token);
  EXPECT_FALSE(CloseHandle(client));  // ImpersonatePrinterClient closed it
  ASSERT_TRUE(RevertToSelf());
  EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
  EXPECT_EQ(RevertToPrinterSelf(), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_TOKEN));
}

TEST_F(SecurityTest, TokenUserIsTheMachinesUser) {
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  DWORD need = 0;
  SetLastError(0);
  EXPECT_FALSE(GetTokenInformation(token, TokenUser, nullptr, 0, &need));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(need, sizeof(TOKEN_USER) + 28);  // S-1-5-21-a-b-c-1001: five sub-authorities
  std::vector<BYTE> buf(need);
  ASSERT_TRUE(GetTokenInformation(token, TokenUser, buf.data(), need, &need));
  auto* user = reinterpret_cast<TOKEN_USER*>(buf.data());
  EXPECT_TRUE(IsValidSid(user->User.Sid));
  EXPECT_EQ(zolt::host::SidToString(user->User.Sid), zolt::host::MachineUserSid());
  EXPECT_EQ(zolt::host::MachineUserSid().rfind("S-1-5-21-", 0), 0u);
  // The groups hold Administrators on this machine.
  ASSERT_FALSE(GetTokenInformation(token, TokenGroups, nullptr, 0, &need));
  buf.assign(need, 0);
  ASSERT_TRUE(GetTokenInformation(token, TokenGroups, buf.data(), need, &need));
  auto* groups = reinterpret_cast<TOKEN_GROUPS*>(buf.data());
  bool admin = false;
  for (DWORD i = 0; i < groups->GroupCount; ++i)
    admin = admin || zolt::host::SidToString(groups->Groups[i].Sid) == "S-1-5-32-544";
  EXPECT_TRUE(admin);
  CloseHandle(token);
}

TEST_F(SecurityTest, SidAndAclBytesAreThePlatformsLayout) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, 32, 544, 0, 0, 0, 0, 0, 0, &admins));
  EXPECT_EQ(GetLengthSid(admins), 16u);
  const BYTE sidBytes[] = {1, 2, 0, 0, 0, 0, 0, 5, 0x20, 0, 0, 0, 0x20, 2, 0, 0};
  EXPECT_EQ(std::memcmp(admins, sidBytes, 16), 0);
  // SID length + 16 holds exactly one ACE.
  alignas(4) BYTE acl[32] = {};
  ASSERT_TRUE(InitializeAcl(reinterpret_cast<PACL>(acl), sizeof acl, ACL_REVISION));
  ASSERT_TRUE(AddAccessAllowedAceEx(reinterpret_cast<PACL>(acl), ACL_REVISION,
                                    OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, 3, admins));
  const BYTE aclBytes[] = {2, 0, 32, 0, 1, 0, 0, 0,                  // ACL header
                           0, 3, 24, 0, 3, 0, 0, 0,                  // ACE header and mask
                           1, 2, 0, 0, 0, 0, 0, 5, 0x20, 0, 0, 0, 0x20, 2, 0, 0};
  EXPECT_EQ(std::memcmp(acl, aclBytes, sizeof aclBytes), 0);
  SetLastError(0);
  EXPECT_FALSE(AddAccessAllowedAce(reinterpret_cast<PACL>(acl), ACL_REVISION, 1, admins));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALLOTTED_SPACE_EXCEEDED));
  EXPECT_FALSE(AddAccessAllowedAceEx(reinterpret_cast<PACL>(acl), ACL_REVISION, 0x100, 1, admins));
  PSID copy[4];
  ASSERT_TRUE(CopySid(sizeof copy, copy, admins));
  EXPECT_TRUE(EqualSid(copy, admins));
  FreeSid(admins);
}

// AccessCheck over a few descriptors, for an administrator and another user.
struct AccessCase {
  const char* what;
  int dacl;  // 0 no DACL, 1 NULL DACL, 2 Everyone mask 3, 3 Administrators mask 3, 4 empty,
             // 5 deny Everyone 1 then allow Everyone 3
  DWORD desired;
  bool admin;
  BOOL expected;
};

BOOL Check(const AccessCase& c) {
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY, nt = SECURITY_NT_AUTHORITY;
  PSID everyone = nullptr, admins = nullptr;
  AllocateAndInitializeSid(&world, 1, 0, 0, 0, 0, 0, 0, 0, 0, &everyone);
  AllocateAndInitializeSid(&nt, 2, 32, 544, 0, 0, 0, 0, 0, 0, &admins);
  alignas(8) BYTE acl[128];
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  InitializeAcl(reinterpret_cast<PACL>(acl), sizeof acl, ACL_REVISION);
  PACL pacl = reinterpret_cast<PACL>(acl);
  if (c.dacl == 2) AddAccessAllowedAce(pacl, ACL_REVISION, 3, everyone);
  if (c.dacl == 3) AddAccessAllowedAce(pacl, ACL_REVISION, 3, admins);
  if (c.dacl == 5) {
    AddAccessDeniedAce(pacl, ACL_REVISION, 1, everyone);
    AddAccessAllowedAce(pacl, ACL_REVISION, 3, everyone);
  }
  if (c.dacl == 1) SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
  if (c.dacl >= 2) SetSecurityDescriptorDacl(&sd, TRUE, pacl, FALSE);
  SetSecurityDescriptorOwner(&sd, admins, FALSE);
  SetSecurityDescriptorGroup(&sd, admins, FALSE);
  ImpersonateSelf(SecurityImpersonation);
  HANDLE token = nullptr;
  OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token);
  GENERIC_MAPPING mapping = {1, 2, 0, 3};
  PRIVILEGE_SET ps;
  DWORD psLen = sizeof ps, granted = 0;
  BOOL status = 2;
  EXPECT_TRUE(AccessCheck(&sd, token, c.desired, &mapping, &ps, &psLen, &granted, &status)) << c.what;
  EXPECT_EQ(granted, status ? c.desired : 0u) << c.what;
  CloseHandle(token);
  RevertToSelf();
  FreeSid(everyone);
  FreeSid(admins);
  return status;
}

TEST_F(SecurityTest, AccessCheckFollowsTheDacl) {
  const AccessCase cases[] = {
      {"no DACL", 0, 1, true, TRUE},          {"no DACL, other user", 0, 1, false, TRUE},
      {"NULL DACL", 1, 3, false, TRUE},       {"Everyone", 2, 3, false, TRUE},
      {"Administrators", 3, 1, true, TRUE},   {"Administrators, other user", 3, 1, false, FALSE},
      {"more than allowed", 3, 4, true, FALSE}, {"empty DACL", 4, 1, true, FALSE},
      {"deny first wins", 5, 1, true, FALSE}, {"deny leaves the rest", 5, 2, true, TRUE},
  };
  for (const auto& c : cases) {
    MachineFacts f;
    f.userIsAdmin = c.admin;
    ASSERT_TRUE(zolt::host::Machine::SetFacts(f));
    EXPECT_EQ(Check(c), c.expected) << c.what;
  }
}

TEST_F(SecurityTest, AccessCheckWantsAnImpersonationToken) {
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  AllocateAndInitializeSid(&nt, 2, 32, 544, 0, 0, 0, 0, 0, 0, &admins);
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  GENERIC_MAPPING mapping = {1, 2, 0, 3};
  PRIVILEGE_SET ps;
  DWORD psLen = sizeof ps, granted = 0;
  BOOL status = FALSE;
  // No owner and group yet: not a descriptor AccessCheck takes.
  EXPECT_FALSE(AccessCheck(&sd, token, 1, &mapping, &ps, &psLen, &granted, &status));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_SECURITY_DESCR));
  SetSecurityDescriptorOwner(&sd, admins, FALSE);
  SetSecurityDescriptorGroup(&sd, admins, FALSE);
  EXPECT_FALSE(AccessCheck(&sd, token, 1, &mapping, &ps, &psLen, &granted, &status));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_IMPERSONATION_TOKEN));
  CloseHandle(token);
  FreeSid(admins);
}

TEST_F(SecurityTest, FileSecurityIsKeptForTheFile) {
  zolt::test::WriteBytes(Root() / "drive_c/_zolt/a.dat", "x");
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY, nt = SECURITY_NT_AUTHORITY;
  PSID everyone = nullptr, admins = nullptr;
  AllocateAndInitializeSid(&world, 1, 0, 0, 0, 0, 0, 0, 0, 0, &everyone);
  AllocateAndInitializeSid(&nt, 2, 32, 544, 0, 0, 0, 0, 0, 0, &admins);
  alignas(8) BYTE acl[64];
  InitializeAcl(reinterpret_cast<PACL>(acl), sizeof acl, ACL_REVISION);
  AddAccessAllowedAceEx(reinterpret_cast<PACL>(acl), ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
                        FILE_ALL_ACCESS, everyone);
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, reinterpret_cast<PACL>(acl), FALSE);
  SetSecurityDescriptorOwner(&sd, admins, FALSE);
  ASSERT_TRUE(SetFileSecurityW(u"C:\\_ZOLT", DACL_SECURITY_INFORMATION, &sd));
  ASSERT_TRUE(SetFileSecurityW(u"c:\\_zolt", OWNER_SECURITY_INFORMATION, &sd));
  auto stored = zolt::host::StoredFileSecurity(u"C:\\_zolt");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->owner, "S-1-5-32-544");
  EXPECT_TRUE(stored->daclPresent);
  ASSERT_EQ(stored->dacl.size(), 1u);
  EXPECT_EQ(stored->dacl[0].sid, "S-1-1-0");
  EXPECT_EQ(stored->dacl[0].mask, DWORD(0x1F01FF));
  EXPECT_EQ(stored->dacl[0].flags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
  EXPECT_FALSE(zolt::host::StoredFileSecurity(u"C:\\_zolt\\a.dat").has_value());
  SetLastError(0);
  EXPECT_FALSE(SetFileSecurityW(u"C:\\_zolt\\missing.dat", DACL_SECURITY_INFORMATION, &sd));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  FreeSid(everyone);
  FreeSid(admins);
}

TEST_F(NonAdminSecurityTest, OnlyAnAdministratorGivesFilesToAdministrators) {
  zolt::test::WriteBytes(Real(u"C:\\state.ini"), "x");
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  AllocateAndInitializeSid(&nt, 2, 32, 544, 0, 0, 0, 0, 0, 0, &admins);
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorOwner(&sd, admins, FALSE);
  SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
  EXPECT_FALSE(SetFileSecurityW(u"C:\\state.ini", OWNER_SECURITY_INFORMATION, &sd));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_OWNER));
  EXPECT_TRUE(SetFileSecurityW(u"C:\\state.ini", DACL_SECURITY_INFORMATION, &sd));
  auto stored = zolt::host::StoredFileSecurity(u"C:\\state.ini");
  ASSERT_TRUE(stored.has_value());
  EXPECT_TRUE(stored->daclNull);
  EXPECT_EQ(stored->owner, "");
  FreeSid(admins);
}

TEST_F(NonAdminSecurityTest, UserNameAndItsBufferRules) {
  WCHAR buf[16];
  DWORD size = 5;
  SetLastError(0);
  EXPECT_FALSE(GetUserNameW(buf, &size));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(size, 6u);  // "guest" and its NUL
  ASSERT_TRUE(GetUserNameW(buf, &size));
  EXPECT_EQ(std::u16string(buf), u"guest");
  EXPECT_EQ(size, 6u);
  char abuf[16];
  DWORD asize = sizeof abuf;
  ASSERT_TRUE(GetUserNameA(abuf, &asize));
  EXPECT_STREQ(abuf, "guest");
  EXPECT_EQ(asize, 6u);
}

}  // namespace
